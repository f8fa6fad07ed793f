// Caller lookup by number against its floor, in one run: CallCommonSvcGetCtRecordbyNum for a
// number in the contacts and one that is not, at 1,000, 10,000 and 100,000 contacts, next to a
// single indexed query for the same number on the same database file through a connection of
// its own. The lookup cannot do less than that query. A second floor is one query that fetches
// every field the lookup fills its record with (contact, person, default number, group, extra
// data). The lookup runs as a program runs it (the host recording nothing, its loop turning after
// each lookup) and, apart, with everything recorded as in tests. Only the ratios printed at the
// end mean anything; absolute times depend on the machine.
#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include "BenchSupport.h"
#include "CallCommonSvc/H/CallCommonSvc.h"
#include "TmxHost.h"

namespace {

const int kSizes[] = {1000, 10000, 100000};
const char kMissing[] = "+449999999999";
const char kRawQuery[] =
    "SELECT id, person_id, primary_id, dev_type, phone_type, number FROM phone_number "
    "WHERE rdigits >= ?1 AND rdigits < ?1 || ':' ORDER BY id";
const char kFullRecordQuery[] =
    "SELECT p.id, p.dev_type, p.phone_type, c.dev_type, c.first, c.last, c.image, pe.id, "
    "pe.storage, pe.year, pe.month, pe.day, pe.marker, pe.image, d.id, d.phone_type, "
    "d.use_type, d.number, g.ringtone, g.vibration, e.type, e.value "
    "FROM phone_number p JOIN contact c ON c.id = p.primary_id "
    "JOIN person pe ON pe.primary_id = c.id "
    "LEFT JOIN phone_number d ON d.id = (SELECT min(id) FROM phone_number WHERE person_id = pe.id) "
    "LEFT JOIN group_member m ON m.primary_id = c.id "
    "LEFT JOIN contact_group g ON g.id = m.group_id "
    "LEFT JOIN etc_data e ON e.person_id = pe.id "
    "WHERE p.rdigits >= ?1 AND p.rdigits < ?1 || ':' ORDER BY +p.id";

// The key the index is searched with: the number's last eight dial digits, reversed.
std::string ReversedTail(const std::string& number) {
    std::string digits;
    for (char c : number) {
        if ((c >= '0' && c <= '9') || c == '*' || c == '#') {
            digits += c;
        }
    }
    if (digits.size() > 8) {
        digits.erase(0, digits.size() - 8);
    }
    std::reverse(digits.begin(), digits.end());
    return digits;
}

// A generated address book in its own file, with a second, read-only connection for the raw
// query.
struct Database {
    int size = 0;
    std::string path;
    std::string present;  // the number of contact size/2
    sqlite3* raw = nullptr;
    sqlite3_stmt* query = nullptr;
    sqlite3_stmt* fullQuery = nullptr;

    ~Database() {
        sqlite3_finalize(query);
        sqlite3_finalize(fullQuery);
        sqlite3_close(raw);
    }
};

std::map<int, std::unique_ptr<Database>> g_databases;
int g_selected = 0;  // the size whose file the host has open

// Number of rows a raw query returns for `key`, or -1 on an error. Every column is read.
int RunRawQuery(sqlite3_stmt* query, const std::string& key) {
    sqlite3_bind_text(query, 1, key.data(), static_cast<int>(key.size()), SQLITE_STATIC);
    const int columns = sqlite3_column_count(query);
    int rows = 0;
    int rc;
    while ((rc = sqlite3_step(query)) == SQLITE_ROW) {
        for (int column = 0; column < columns; ++column) {
            if (sqlite3_column_type(query, column) == SQLITE_TEXT) {
                benchmark::DoNotOptimize(sqlite3_column_text(query, column));
            } else {
                benchmark::DoNotOptimize(sqlite3_column_int64(query, column));
            }
        }
        ++rows;
    }
    sqlite3_reset(query);
    return rc == SQLITE_DONE ? rows : -1;
}

// Builds the book of `size` contacts on first use, checks that both numbers give the answers
// being timed, and makes it the host's database. Null (with a message) on a failure.
Database* Select(int size, std::string* error) {
    std::unique_ptr<Database>& slot = g_databases[size];
    if (!slot) {
        auto db = std::make_unique<Database>();
        db->size = size;
        db->path = tmxhost::DataRoot() + "/contacts-" + std::to_string(size) + ".db";
        db->present = tmxhost::GeneratedNumber(size / 2);
        if (!tmxhost::UseContactsFile(db->path, true, error) ||
            !tmxhost::GenerateContacts(size, error)) {
            return nullptr;
        }
        g_selected = size;
        if (sqlite3_open_v2(db->path.c_str(), &db->raw, SQLITE_OPEN_READONLY, nullptr) !=
                SQLITE_OK ||
            sqlite3_prepare_v2(db->raw, kRawQuery, -1, &db->query, nullptr) != SQLITE_OK ||
            sqlite3_prepare_v2(db->raw, kFullRecordQuery, -1, &db->fullQuery, nullptr) !=
                SQLITE_OK) {
            *error = "raw connection: " + std::string(sqlite3_errmsg(db->raw));
            return nullptr;
        }
        CallCommonCtRecord record{};
        std::string number = db->present;
        if (CallCommonSvcGetCtRecordbyNum(number.data(), &record) != 1 ||
            std::to_string(size / 2) != record.szLastName) {
            *error = "the lookup does not find contact " + std::to_string(size / 2);
            return nullptr;
        }
        number = kMissing;
        if (CallCommonSvcGetCtRecordbyNum(number.data(), &record) != 0) {
            *error = std::string("the lookup finds ") + kMissing;
            return nullptr;
        }
        if (RunRawQuery(db->query, ReversedTail(db->present)) != 1 ||
            RunRawQuery(db->query, ReversedTail(kMissing)) != 0 ||
            RunRawQuery(db->fullQuery, ReversedTail(db->present)) != 1 ||
            RunRawQuery(db->fullQuery, ReversedTail(kMissing)) != 0) {
            *error = "the raw queries do not give one row and no row";
            return nullptr;
        }
        tmxhost::ClearCalls();
        tmxhost::TakeTraces();
        slot = std::move(db);
    }
    if (g_selected != size) {
        if (!tmxhost::UseContactsFile(slot->path, false, error)) {
            return nullptr;
        }
        g_selected = size;
    }
    return slot.get();
}

void Lookup(benchmark::State& state, int size, bool match) {
    std::string error;
    Database* db = Select(size, &error);
    if (db == nullptr) {
        state.SkipWithError(error.c_str());
        return;
    }
    std::string number = match ? db->present : kMissing;
    const int expected = match ? 1 : 0;
    CallCommonCtRecord record{};
    long long n = 0;
    for (auto _ : state) {
        if (CallCommonSvcGetCtRecordbyNum(number.data(), &record) != expected) {
            state.SkipWithError("CallCommonSvcGetCtRecordbyNum changed its answer");
            break;
        }
        benchmark::DoNotOptimize(record);
        tmxhost::Advance(0);  // the program's loop turns: the host's zero-delay events run
        bench::TrimHostLogs(state, n++);
    }
}

void Raw(benchmark::State& state, int size, bool match, bool full) {
    std::string error;
    Database* db = Select(size, &error);
    if (db == nullptr) {
        state.SkipWithError(error.c_str());
        return;
    }
    const std::string key = ReversedTail(match ? db->present : kMissing);
    const int expected = match ? 1 : 0;
    sqlite3_stmt* query = full ? db->fullQuery : db->query;
    for (auto _ : state) {
        if (RunRawQuery(query, key) != expected) {
            state.SkipWithError("the raw query changed its answer");
            break;
        }
    }
}

std::string Name(const char* what, bool match, int size) {
    return std::string(what) + (match ? "/match/" : "/nomatch/") + std::to_string(size);
}

void PrintRatio(bench::RatioReporter& reporter, const std::string& top, const std::string& bottom,
                const std::string& label) {
    const std::string ratio = reporter.Ratio(top, bottom);
    if (!ratio.empty()) {
        std::printf("%s: %s\n", label.c_str(), ratio.c_str());
    }
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    tmxhost::Reset();  // a fresh data root in a temporary folder
    tmxhost::SetTracePrint("");
    CallCommonSvcDispatch(0);
    // Grouped by size so that the host opens each file once; each lookup runs next to its floor.
    for (int size : kSizes) {
        for (bool match : {true, false}) {
            bench::RegisterBoth(Name("CallCommonSvcGetCtRecordbyNum", match, size),
                                [=](benchmark::State& state) { Lookup(state, size, match); });
            bench::Register(Name("RawIndexedQuery", match, size),
                            [=](benchmark::State& state) { Raw(state, size, match, false); });
            if (match) {
                bench::Register(Name("RawFullRecordQuery", match, size),
                                [=](benchmark::State& state) { Raw(state, size, match, true); });
            }
        }
    }
    bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    CallCommonSvcDispatch(1);
    for (bool match : {true, false}) {
        const char* kind = match ? "match" : "no match";
        for (int size : kSizes) {
            const std::string lookup = Name("CallCommonSvcGetCtRecordbyNum", match, size);
            const std::string where = std::string(kind) + ", " + std::to_string(size);
            PrintRatio(reporter, lookup, Name("RawIndexedQuery", match, size),
                       "lookup/raw (" + where + ", recording off)");
            PrintRatio(reporter, bench::Recorded(lookup), Name("RawIndexedQuery", match, size),
                       "lookup/raw (" + where + ", recording on)");
            if (match) {
                PrintRatio(reporter, lookup, Name("RawFullRecordQuery", match, size),
                           "lookup/full record (" + where + ", recording off)");
                PrintRatio(reporter, bench::Recorded(lookup),
                           Name("RawFullRecordQuery", match, size),
                           "lookup/full record (" + where + ", recording on)");
            }
        }
    }
    const int small = kSizes[0];
    const int large = kSizes[2];
    for (bool match : {true, false}) {
        const std::string scale = std::to_string(large) + "/" + std::to_string(small) + " (" +
                                  (match ? "match" : "no match") + ")";
        PrintRatio(reporter, Name("CallCommonSvcGetCtRecordbyNum", match, large),
                   Name("CallCommonSvcGetCtRecordbyNum", match, small), "lookup " + scale);
        PrintRatio(reporter, Name("RawIndexedQuery", match, large),
                   Name("RawIndexedQuery", match, small), "raw " + scale);
    }
    g_databases.clear();
    benchmark::Shutdown();
    return 0;
}
