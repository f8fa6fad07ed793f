#include "ContactsDb.h"

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
    return m_statement != nullptr ? sqlite3_step(m_statement) : SQLITE_MISUSE;
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

bool ContactsDb::Open(const std::string& path, bool create, std::string* error) {
    Close();
    auto fail = [&](const std::string& message) {
        if (error != nullptr) {
            *error = message;
        }
        Close();
        return false;
    };
    int flags = SQLITE_OPEN_READWRITE | (create || path.empty() ? SQLITE_OPEN_CREATE : 0);
    std::string name = path.empty() ? ":memory:" : path;
    if (sqlite3_open_v2(name.c_str(), &m_db, flags, nullptr) != SQLITE_OK) {
        std::string message = m_db != nullptr ? sqlite3_errmsg(m_db) : "out of memory";
        return fail(name + ": " + message);
    }
    m_path = path;
    int version = -1;
    {
        Statement statement = Prepare("PRAGMA user_version");
        if (statement.Step() == SQLITE_ROW) {
            version = static_cast<int>(statement.Int(0));
        }
    }
    if (version < 0) {
        return fail(name + ": " + Error());
    }
    if (version == 0) {
        // A new database gets the tables; anything else in it means it is not ours.
        bool empty = false;
        {
            Statement tables = Prepare("SELECT count(*) FROM sqlite_master");
            empty = tables.Step() == SQLITE_ROW && tables.Int(0) == 0;
        }
        if (!empty) {
            return fail(name + ": not a contacts database");
        }
        if (!Execute("BEGIN") || !Execute(kSchema) || !Execute("COMMIT")) {
            std::string message = Error();
            Execute("ROLLBACK");
            return fail(name + ": cannot create the tables: " + message);
        }
    } else if (version != kSchemaVersion) {
        return fail(name + ": contacts database of unknown version " + std::to_string(version));
    }
    return true;
}

void ContactsDb::Close() {
    for (auto& [sql, statement] : m_statements) {
        sqlite3_finalize(statement);
    }
    m_statements.clear();
    if (m_db != nullptr) {
        sqlite3_close(m_db);
        m_db = nullptr;
    }
    m_path.clear();
}

void ContactsDb::SetBusyTimeout(int ms) {
    if (m_db != nullptr) {
        sqlite3_busy_timeout(m_db, ms);
    }
}

Statement ContactsDb::Prepare(const char* sql) {
    if (m_db == nullptr) {
        return Statement(nullptr);
    }
    auto found = m_statements.find(sql);
    if (found != m_statements.end()) {
        return Statement(found->second);
    }
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(m_db, sql, -1, &statement, nullptr) != SQLITE_OK) {
        return Statement(nullptr);
    }
    m_statements.emplace(sql, statement);
    return Statement(statement);
}

bool ContactsDb::Execute(const char* sql) {
    return m_db != nullptr && sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

std::string ContactsDb::Error() const {
    return m_db != nullptr ? sqlite3_errmsg(m_db) : "no contacts database";
}

}  // namespace tmxhost::detail
