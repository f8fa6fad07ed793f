// The contacts database behind TmxCtSvc: SQLite, in memory unless a file is chosen.
//
// Tables (ids follow insertion order and are never handed out again after a delete):
//   contact(id, dev_type, first, last, image)                  the primary records
//   person(id, primary_id, storage, first, last, image, year, month, day, marker)
//   phone_number(id, person_id, primary_id, dev_type, aas_id, phone_type, use_type, number,
//                rdigits)                                       rdigits: dial digits reversed
//   email(id, person_id, primary_id, address)
//   contact_group(id, name, ringtone, vibration), group_member(primary_id, group_id)
//   etc_data(id, person_id, type, value), fdn(id, name, number, digits), sdn(id, name, number)
//
// A number matches when its dial digits end with the query's trailing digits: the reversed
// digits of the query are a prefix of rdigits, a range scan of its index. A query shorter than
// the digits compared matches only the same digits.
#pragma once

#include <sqlite3.h>

#include <map>
#include <string>
#include <string_view>

#include "TmxHost.h"

namespace tmxhost::detail {

class ContactsDb;

// Dial digits of a number: 0-9, '*' and '#', in order; everything else is punctuation.
std::string DialDigits(std::string_view number);

// A prepared statement of the database's cache, reset when the holder goes out of scope.
class Statement {
public:
    Statement(sqlite3_stmt* statement, ContactsDb* owner)
        : m_statement(statement), m_owner(owner) {}
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool Ok() const { return m_statement != nullptr; }
    Statement& Bind(int index, long long value);
    Statement& Bind(int index, std::string_view text);
    // SQLITE_ROW, SQLITE_DONE or an error code, which the database notes.
    int Step();
    // Runs a statement that returns no rows; false on an error.
    bool Run();
    long long Int(int column) const;
    std::string_view Text(int column) const;

private:
    sqlite3_stmt* m_statement;
    ContactsDb* m_owner;
};

// The longest a read transaction of the platform calls is kept, in ms of real time.
constexpr long long kSnapshotMs = 5;

class ContactsDb {
public:
    ~ContactsDb() { Close(); }

    // Opens `path` ("" for a fresh in-memory database), waiting up to `busyMs` for locks,
    // creating the tables when it is new. A file opened to `create` is put in WAL mode.
    bool Open(const std::string& path, bool create, int busyMs, std::string* error);
    void Close();
    bool IsOpen() const { return m_db != nullptr; }
    const std::string& Path() const { return m_path; }
    void SetBusyTimeout(int ms);

    // The first problem with the file since it was opened (or failed to open), and its message.
    ContactsProblem Problem() const { return m_problem; }
    const std::string& ProblemMessage() const { return m_problemMessage; }
    // Notes the problem an SQLite result code stands for, unless one is noted already.
    void Note(int code);

    // Opens a read transaction unless one is open, so that the queries until EndRead share
    // one snapshot and take the file's locks once. True when a new one was opened. One
    // older than kSnapshotMs is ended first, so that a reader never lags the file for long.
    bool BeginRead();
    // Ends the read transaction, if one is open.
    void EndRead();

    // A cached statement; not Ok() when the database is closed or the SQL does not prepare.
    Statement Prepare(const char* sql);
    bool Execute(const char* sql);
    long long LastId() const { return sqlite3_last_insert_rowid(m_db); }
    std::string Error() const;

private:
    void NoteProblem(ContactsProblem problem, const std::string& message);

    sqlite3* m_db = nullptr;
    std::string m_path;
    bool m_reading = false;
    long long m_readSince = 0;  // steady clock, ns
    std::map<const char*, sqlite3_stmt*> m_statements;
    ContactsProblem m_problem = ContactsProblem::kNone;
    std::string m_problemMessage;
};

// The contacts service's state.
struct ContactsState {
    ContactsDb db;
    bool fileChosen = false;
    bool endReadPending = false;  // a host event will end the read transaction  // a file was
                                  // chosen: no in-memory fallback when it failed to open
    int digitsToCompare = 8;
    int busyTimeout = 0;
    // The last count answered per query kind, which bounds a fetch of "all" rows.
    std::string countedNumber;
    int numberCount = 0;
    std::string countedEmail;
    int emailCount = 0;
};
ContactsState& ContactsStateOf();

// The database the control API uses; opened in memory on first use after a reset. Ends the
// platform calls' read transaction, so that changes are committed on their own.
ContactsDb& Contacts();
// The database for the platform calls' queries, in a read transaction that lasts until the
// host's next turn (a zero-delay host event), the next control call, or kSnapshotMs.
ContactsDb& ContactsReader();

}  // namespace tmxhost::detail
