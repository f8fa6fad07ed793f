// Shared by the caller-identification tests: a record the lookups must leave alone, address-book
// entries, and lookups through the exported facade.
#pragma once

#include <sqlite3.h>

#include <cstring>
#include <string>

#include "CallCommonSvc/H/CallCommonSvc.h"
#include "TmxHost.h"

// A record no lookup has written to: every byte 0xA5.
inline CallCommonCtRecord Pattern() {
    CallCommonCtRecord record;
    std::memset(&record, 0xA5, sizeof(record));
    return record;
}

inline bool Untouched(const CallCommonCtRecord& record) {
    CallCommonCtRecord pattern = Pattern();
    return std::memcmp(&record, &pattern, sizeof(record)) == 0;
}

inline tmxhost::Contact Person(const std::string& first, const std::string& last,
                               const std::string& number, int storage = 1) {
    tmxhost::Contact c;
    c.firstName = first;
    c.lastName = last;
    c.storage = storage;
    if (!number.empty()) {
        c.numbers = {{number, 3}};
    }
    return c;
}

inline int Lookup(std::string number, CallCommonCtRecord& record) {
    return CallCommonSvcGetCtRecordbyNum(number.data(), &record);
}

// The first name a number is shown with; "-" when the lookup failed and left the record alone.
inline std::string Found(const std::string& number) {
    CallCommonCtRecord record = Pattern();
    return Lookup(number, record) == 1 ? record.szFirstName : Untouched(record) ? "-" : "touched";
}

// A second process's connection to the contacts file.
class OtherConnection {
public:
    explicit OtherConnection(const std::string& path) { sqlite3_open(path.c_str(), &m_db); }
    ~OtherConnection() { sqlite3_close(m_db); }
    OtherConnection(const OtherConnection&) = delete;
    OtherConnection& operator=(const OtherConnection&) = delete;
    bool Run(const char* sql) { return sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) == 0; }
    int Count(const char* table) {
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(m_db, (std::string("SELECT count(*) FROM ") + table).c_str(), -1,
                           &statement, nullptr);
        int count = sqlite3_step(statement) == SQLITE_ROW ? sqlite3_column_int(statement, 0) : -1;
        sqlite3_finalize(statement);
        return count;
    }

private:
    sqlite3* m_db = nullptr;
};
