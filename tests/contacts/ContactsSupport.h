// Shared by the caller-identification tests: a record the lookups must leave alone, address-book
// entries, and lookups through the exported facade.
#pragma once

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
