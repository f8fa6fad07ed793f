#include "ContactsDb.h"

#include <sys/stat.h>

#include <cerrno>
#include <ctime>

#include "HostInternal.h"

namespace tmxhost::detail {
namespace {

const char kSchema[] = R"sql(
CREATE TABLE contact(id INTEGER PRIMARY KEY AUTOINCREMENT, dev_type INTEGER NOT NULL, first TEXT NOT NULL,
                     last TEXT NOT NULL, image TEXT NOT NULL);
CREATE TABLE person(id INTEGER PRIMARY KEY AUTOINCREMENT, primary_id INTEGER NOT NULL, storage INTEGER NOT NULL,
                    first TEXT NOT NULL, last TEXT NOT NULL, image TEXT NOT NULL,
                    year INTEGER NOT NULL, month INTEGER NOT NULL, day INTEGER NOT NULL,
                    marker INTEGER NOT NULL);
CREATE INDEX person_primary ON person(primary_id);
CREATE TABLE phone_number(id INTEGER PRIMARY KEY AUTOINCREMENT, person_id INTEGER NOT NULL,
                          primary_id INTEGER NOT NULL, dev_type INTEGER NOT NULL,
                          aas_id INTEGER NOT NULL, phone_type INTEGER NOT NULL,
                          use_type INTEGER NOT NULL, number TEXT NOT NULL, rdigits TEXT NOT NULL);
CREATE INDEX phone_number_rdigits ON phone_number(rdigits);
CREATE INDEX phone_number_person ON phone_number(person_id);
CREATE TABLE email(id INTEGER PRIMARY KEY AUTOINCREMENT, person_id INTEGER NOT NULL, primary_id INTEGER NOT NULL,
                   address TEXT NOT NULL);
CREATE INDEX email_address ON email(address COLLATE NOCASE);
CREATE TABLE contact_group(id INTEGER PRIMARY KEY, name TEXT NOT NULL, ringtone TEXT NOT NULL,
                           vibration TEXT NOT NULL);
CREATE TABLE group_member(primary_id INTEGER NOT NULL, group_id INTEGER NOT NULL);
CREATE INDEX group_member_primary ON group_member(primary_id);
CREATE TABLE etc_data(id INTEGER PRIMARY KEY AUTOINCREMENT, person_id INTEGER NOT NULL, type INTEGER NOT NULL,
                      value TEXT NOT NULL);
CREATE INDEX etc_data_person ON etc_data(person_id);
CREATE TABLE fdn(id INTEGER PRIMARY KEY AUTOINCREMENT, name TEXT NOT NULL, number TEXT NOT NULL,
                 digits TEXT NOT NULL);
CREATE INDEX fdn_digits ON fdn(digits);
CREATE TABLE sdn(id INTEGER PRIMARY KEY AUTOINCREMENT, name TEXT NOT NULL, number TEXT NOT NULL);
PRAGMA user_version = 2;
)sql";

const int kSchemaVersion = 2;

}  // namespace

std::string DialDigits(std::string_view number) {
    std::string digits;
    for (char c : number) {
        if ((c >= '0' && c <= '9') || c == '*' || c == '#') {
            digits += c;
        }
    }
    return digits;
}

Statement::~Statement() {
    if (m_statement != nullptr) {
        sqlite3_reset(m_statement);
        sqlite3_clear_bindings(m_statement);
    }
}

Statement& Statement::Bind(int index, long long value) {
    if (m_statement != nullptr) {
        sqlite3_bind_int64(m_statement, index, value);
    }
    return *this;
}

Statement& Statement::Bind(int index, std::string_view text) {
    if (m_statement != nullptr) {
        sqlite3_bind_text(m_statement, index, text.data(), static_cast<int>(text.size()),
                          SQLITE_TRANSIENT);
    }
    return *this;
}

int Statement::Step() {
    if (m_statement == nullptr) {
        return SQLITE_MISUSE;
    }
    int code = sqlite3_step(m_statement);
    if (code != SQLITE_ROW && code != SQLITE_DONE && m_owner != nullptr) {
        // Our statements fit our schema: a plain error means the schema was changed under us.
        m_owner->Note((code & 0xFF) == SQLITE_ERROR ? SQLITE_CORRUPT : code);
    }
    return code;
}

bool Statement::Run() {
    return Step() == SQLITE_DONE;
}

long long Statement::Int(int column) const {
    return sqlite3_column_int64(m_statement, column);
}

std::string_view Statement::Text(int column) const {
    const unsigned char* text = sqlite3_column_text(m_statement, column);
    if (text == nullptr) {
        return {};
    }
    return {reinterpret_cast<const char*>(text),
            static_cast<std::size_t>(sqlite3_column_bytes(m_statement, column))};
}

namespace {

// What an SQLite result says about the file; kNone for results about the statement alone.
ContactsProblem ProblemOf(int code) {
    switch (code & 0xFF) {
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return ContactsProblem::kLocked;
        case SQLITE_CORRUPT:
        case SQLITE_NOTADB:
            return ContactsProblem::kDamaged;
        case SQLITE_IOERR:
        case SQLITE_CANTOPEN:
        case SQLITE_FULL:
        case SQLITE_READONLY:
        case SQLITE_PERM:
        case SQLITE_NOMEM:
        case SQLITE_PROTOCOL:
        case SQLITE_AUTH:
            return ContactsProblem::kUnusable;
        default:
            return ContactsProblem::kNone;
    }
}

}  // namespace

bool ContactsDb::Open(const std::string& path, bool create, int busyMs, std::string* error) {
    Close();
    std::string name = path.empty() ? ":memory:" : path;
    auto fail = [&](ContactsProblem problem, const std::string& message) {
        Close();
        NoteProblem(problem, name + ": " + message);
        if (error != nullptr) {
            *error = m_problemMessage;
        }
        return false;
    };
    struct stat info;
    if (!path.empty() && !create && stat(path.c_str(), &info) != 0 && errno == ENOENT) {
        return fail(ContactsProblem::kMissing, "no such file");
    }
    if (!path.empty() && stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
        return fail(ContactsProblem::kUnusable, "a folder, not a database file");
    }
    // The host's contacts state is used from one thread at a time, so the connection goes
    // without SQLite's own mutex, which every call would otherwise take.
    int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX |
                (create || path.empty() ? SQLITE_OPEN_CREATE : 0);
    int opened = sqlite3_open_v2(name.c_str(), &m_db, flags, nullptr);
    if (opened != SQLITE_OK) {
        std::string message = m_db != nullptr ? sqlite3_errmsg(m_db) : "out of memory";
        ContactsProblem problem = ProblemOf(opened);
        return fail(problem != ContactsProblem::kNone ? problem : ContactsProblem::kUnusable,
                    message);
    }
    m_path = path;
    sqlite3_busy_timeout(m_db, busyMs);
    auto failed = [&](int code) {
        ContactsProblem problem = ProblemOf(code);
        return fail(problem != ContactsProblem::kNone ? problem : ContactsProblem::kDamaged,
                    Error());
    };
    int version = -1;
    {
        sqlite3_stmt* statement = nullptr;
        int code = sqlite3_prepare_v2(m_db, "PRAGMA user_version", -1, &statement, nullptr);
        if (code == SQLITE_OK && (code = sqlite3_step(statement)) == SQLITE_ROW) {
            version = sqlite3_column_int(statement, 0);
        }
        sqlite3_finalize(statement);
        if (version < 0) {
            return failed(code);
        }
    }
    if (version == 0) {
        // A new database gets the tables; anything else in it means it is not ours.
        int tables = -1;
        {
            Statement count = Prepare("SELECT count(*) FROM sqlite_master");
            int code = count.Step();
            if (code != SQLITE_ROW) {
                return failed(code);
            }
            tables = static_cast<int>(count.Int(0));
        }
        if (tables != 0) {
            return fail(ContactsProblem::kForeign, "not a contacts database");
        }
        if (!create && !path.empty()) {
            return fail(ContactsProblem::kMissing, "holds no address book");
        }
    } else if (version != kSchemaVersion) {
        return fail(ContactsProblem::kForeign,
                    "contacts database of unknown version " + std::to_string(version));
    }
    // Readers of a WAL database read the last committed book while a writer works. The mode
    // stays with the file; a file that cannot switch now (another process busy) keeps its mode.
    if (create && !path.empty()) {
        Execute("PRAGMA journal_mode=WAL");
    }
    if (version == 0) {
        if (!Execute("BEGIN IMMEDIATE") || !Execute(kSchema) || !Execute("COMMIT")) {
            int code = sqlite3_extended_errcode(m_db);
            std::string message = Error();
            Execute("ROLLBACK");
            ContactsProblem problem = ProblemOf(code);
            return fail(problem != ContactsProblem::kNone ? problem : ContactsProblem::kUnusable,
                        "cannot create the tables: " + message);
        }
    }
    // What the mode switch met is no problem of the book.
    m_problem = ContactsProblem::kNone;
    m_problemMessage.clear();
    return true;
}

void ContactsDb::NoteProblem(ContactsProblem problem, const std::string& message) {
    if (m_problem == ContactsProblem::kNone && problem != ContactsProblem::kNone) {
        m_problem = problem;
        m_problemMessage = message;
    }
}

void ContactsDb::Note(int code) {
    ContactsProblem problem = ProblemOf(code);
    if (problem != ContactsProblem::kNone && m_db != nullptr) {
        NoteProblem(problem, (m_path.empty() ? ":memory:" : m_path) + ": " + Error());
    }
}

void ContactsDb::Close() {
    EndRead();
    for (auto& [sql, statement] : m_statements) {
        sqlite3_finalize(statement);
    }
    m_statements.clear();
    if (m_db != nullptr) {
        sqlite3_close(m_db);
        m_db = nullptr;
    }
    m_path.clear();
    m_problem = ContactsProblem::kNone;
    m_problemMessage.clear();
}

namespace {
long long SteadyNanoseconds() {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000000000LL + now.tv_nsec;
}
}  // namespace

bool ContactsDb::BeginRead() {
    if (m_db == nullptr) {
        return false;
    }
    const long long now = SteadyNanoseconds();
    if (m_reading && sqlite3_get_autocommit(m_db) == 0 &&
        now - m_readSince <= kSnapshotMs * 1000000) {
        return false;
    }
    EndRead();
    if (sqlite3_get_autocommit(m_db) == 0) {
        return false;  // some other transaction is open; its reads are its own
    }
    m_reading = Prepare("BEGIN").Run();
    m_readSince = now;
    return m_reading;
}

void ContactsDb::EndRead() {
    if (!m_reading) {
        return;
    }
    m_reading = false;
    // A failed read may have ended the transaction already.
    if (m_db != nullptr && sqlite3_get_autocommit(m_db) == 0 && !Prepare("COMMIT").Run()) {
        Execute("ROLLBACK");
    }
}

void ContactsDb::SetBusyTimeout(int ms) {
    if (m_db != nullptr) {
        sqlite3_busy_timeout(m_db, ms);
    }
}

Statement ContactsDb::Prepare(const char* sql) {
    if (m_db == nullptr) {
        return Statement(nullptr, this);
    }
    auto found = m_statements.find(sql);
    if (found != m_statements.end()) {
        return Statement(found->second, this);
    }
    sqlite3_stmt* statement = nullptr;
    int code = sqlite3_prepare_v2(m_db, sql, -1, &statement, nullptr);
    if (code != SQLITE_OK) {
        // Our statements prepare on our schema: one that does not was damaged.
        NoteProblem((code & 0xFF) == SQLITE_ERROR ? ContactsProblem::kDamaged : ProblemOf(code),
                    (m_path.empty() ? ":memory:" : m_path) + ": " + Error());
        return Statement(nullptr, this);
    }
    m_statements.emplace(sql, statement);
    return Statement(statement, this);
}

bool ContactsDb::Execute(const char* sql) {
    if (m_db == nullptr) {
        return false;
    }
    int code = sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr);
    if (code != SQLITE_OK) {
        Note(code);
    }
    return code == SQLITE_OK;
}

std::string ContactsDb::Error() const {
    return m_db != nullptr ? sqlite3_errmsg(m_db) : "no contacts database";
}

}  // namespace tmxhost::detail
