// The host's contacts service: database files it cannot use, locks held by another process,
// JSON import and its memory, matching by trailing digits, short codes and FDN.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <fstream>

#include "CallCommonSvc/Platform/TmxCtSvc.h"

#include "contacts/ContactsSupport.h"
#include "support/HostTest.h"

namespace {

class ContactsHost : public LoadedTest {
protected:
    // A contacts file holding Anna, in use by the service.
    std::string AnnaFile() {
        std::string path = tmxhost::DataRoot() + "/contacts.db";
        EXPECT_TRUE(tmxhost::UseContactsFile(path, true));
        tmxhost::AddContact(Person("Anna", "", "02079460958"));
        return path;
    }
};

const char kBook[] = R"({
  "groups": [{"id": 2, "name": "Family", "ringtone": "/g.mp3", "vibration": "pulse"}],
  "contacts": [{"firstName": "Anna", "numbers": [{"number": "0701"}, {"number": "0702"}]},
               {"firstName": "Bob", "numbers": [{"number": "0703", "type": 2}], "groups": [2],
                "ringtone": "", "vibration": ""}],
  "fdn": [{"name": "Office", "number": "0800"}, {"name": "Help", "number": "0801"}],
  "sdn": [{"name": "Care", "number": "150"}]})";

}  // namespace

TEST_F(ContactsHost, UnusableFilesAreToldApartAndLeaveEveryLookupFailing) {
    using P = tmxhost::ContactsProblem;
    std::string path = AnnaFile();
    tmxhost::UseContactsFile("", true);
    const std::string root = tmxhost::DataRoot();
    const struct {
        const char* what;
        std::string file;
        const char* setup;
        P problem;
    } cases[] = {{"missing", root + "/none.db", nullptr, P::kMissing},
                 {"garbage", root + "/garbage.db", nullptr, P::kDamaged},
                 {"foreign", root + "/foreign.db", "CREATE TABLE t(x)", P::kForeign},
                 {"newer", root + "/newer.db", "PRAGMA user_version = 7", P::kForeign},
                 {"folder", root, nullptr, P::kUnusable},
                 // A writer that keeps even readers out.
                 {"locked", path,
                  "PRAGMA locking_mode = EXCLUSIVE; BEGIN EXCLUSIVE; DELETE FROM sdn", P::kLocked}};
    std::ofstream(cases[1].file) << std::string(4096, '\x5A');
    for (const auto& c : cases) {
        OtherConnection other(c.setup != nullptr ? c.file : root + "/unused.db");
        if (c.setup != nullptr) {
            ASSERT_TRUE(other.Run(c.setup)) << c.what;
        }
        std::string error, message;
        EXPECT_FALSE(tmxhost::UseContactsFile(c.file, false, &error)) << c.what;
        EXPECT_EQ(tmxhost::LastContactsProblem(&message), c.problem) << c.what;
        EXPECT_EQ(message, error);
        EXPECT_THAT(error, ::testing::StartsWith(c.file + ": ")) << c.what;
        EXPECT_EQ(Found("02079460958"), "-") << c.what;
        EXPECT_FALSE(tmxhost::ImportContacts(kBook, &error)) << c.what;
    }
    EXPECT_TRUE(tmxhost::UseContactsFile(path, false));
    EXPECT_EQ(tmxhost::LastContactsProblem(), P::kNone);
}

TEST_F(ContactsHost, LookupsReadTheLastCommittedBookWhileAnotherProcessImports) {
    std::string path = AnnaFile();
    OtherConnection importer(path);
    ASSERT_TRUE(importer.Run("BEGIN EXCLUSIVE; UPDATE contact SET first = 'Bob'; DELETE FROM fdn"));
    EXPECT_EQ(Found("02079460958"), "Anna");
    EXPECT_EQ(tmxhost::LastContactsProblem(), tmxhost::ContactsProblem::kNone);
    // A second writer waits its busy timeout, then fails with nothing changed.
    tmxhost::SetContactsBusyTimeout(20);
    std::string error;
    EXPECT_FALSE(tmxhost::ImportContacts(kBook, &error));
    EXPECT_THAT(error, ::testing::HasSubstr("locked"));
    EXPECT_EQ(tmxhost::LastContactsProblem(), tmxhost::ContactsProblem::kLocked);
    ASSERT_TRUE(importer.Run("COMMIT"));
    EXPECT_EQ(Found("02079460958"), "Bob");
    // A book changed under the service is damaged for it, not a book without the caller.
    EXPECT_TRUE(tmxhost::UseContactsFile(path, false));
    ASSERT_TRUE(importer.Run("DROP TABLE phone_number"));
    EXPECT_EQ(Found("02079460958"), "-");
    EXPECT_EQ(tmxhost::LastContactsProblem(), tmxhost::ContactsProblem::kDamaged);
}

// The service's queries share one read transaction until the loop turns; it never holds back a
// change of the control API nor hides another process's commit after the turn.
TEST_F(ContactsHost, ReadsOfOneTurnShareASnapshotThatEndsWithTheTurn) {
    std::string path = AnnaFile();
    OtherConnection other(path);
    EXPECT_EQ(Found("02079460958"), "Anna");
    // Committed at once, though the loop has not turned since the lookup.
    EXPECT_GT(tmxhost::AddContact(Person("Carl", "", "02079461111")), 0);
    EXPECT_EQ(other.Count("contact"), 2);
    EXPECT_EQ(Found("02079461111"), "Carl");
    tmxhost::Advance(0);
    ASSERT_TRUE(other.Run("UPDATE contact SET first = 'Bob' WHERE first = 'Anna'"));
    EXPECT_EQ(Found("02079460958"), "Bob");
    tmxhost::Advance(0);
    // No reader is left after the turn, so another process can checkpoint the whole log.
    sqlite3* db = nullptr;
    sqlite3_stmt* checkpoint = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_prepare_v2(db, "PRAGMA wal_checkpoint(TRUNCATE)", -1, &checkpoint, nullptr),
              SQLITE_OK);
    EXPECT_EQ(sqlite3_step(checkpoint), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_int(checkpoint, 0), 0);  // not blocked by a reader
    sqlite3_finalize(checkpoint);
    sqlite3_close(db);
}

TEST_F(ContactsHost, ImportIsAllOrNothingNamesTheOffendingKeyAndNumbersFromOne) {
    for (int i = 0; i < 3; ++i) {
        tmxhost::AddContact(Person("Old", "", "0999"));
        tmxhost::AddFdn("OldFdn", "0998");
    }
    const struct {
        const char *json, *path, *problem;
    } cases[] = {
        {R"({"people": []})", "document", "people"},
        {R"({"contacts": [{"firstName": "A", "nickname": "x"}]})", "contacts[0]", "nickname"},
        {R"({"contacts": [{"numbers": [{"number": "1", "kind": 1}]}]})", "contacts[0].numbers[0]",
         "kind"},
        {R"({"groups": [{"id": 2}], "contacts": [{"groups": [7]}]})", "contacts[0].groups[0]", "7"},
        {R"({"contacts": [{"firstName": "A"}], "sdn": [{"name": "x"}]})", "sdn[0]", "number"},
        {R"({"contacts": [{"date": "+980-+1-+1"}]})", "contacts[0].date", "YYYY-MM-DD"},
        {R"({"contacts": [{"date": "1980-02-30"}]})", "contacts[0].date", "YYYY-MM-DD"},
        {R"({"contacts": [{"date": "1900-02-29"}]})", "contacts[0].date", "YYYY-MM-DD"},
        {R"({"contacts": [{"numbers": [{"number": "1", "type": 2147483648}]}]})",
         "contacts[0].numbers[0].type", "out of range"},
        {R"({"contacts": [{"numbers": [{"number": "1", "type": -2147483649}]}]})",
         "contacts[0].numbers[0].type", "out of range"},
        {R"({"groups": [{"id": 99999999999999999999999}]})", "groups[0].id", "out of range"},
        {R"({"groups": [{"id": 1e400}]})", "groups[0].id", "out of range"},
        {R"({"contacts": [{"groups": [1.5]}]})", "contacts[0].groups[0]", "expected an integer"},
        {R"({"contacts": [{"firstName": "A", "firstName": "B"}]})", "contacts[0]",
         "duplicate key \"firstName\""},
        {R"({"fdn": [], "fdn": []})", "document", "duplicate key \"fdn\""},
        {R"({"contacts": [{"groups": [3]}, {"groups": [4]}], "groups": [{"id": 4}]})",
         "contacts[0].groups[0]", "no group 3"},
        {R"({"contacts": {}})", "contacts", "expected an array"},
        {R"({"contacts": [{"numbers": [[[[[[[[[[]]]]]]]]]]}]})", "contacts[0].numbers[0][0]",
         "nested too deeply"},
        {R"([{"contacts": []}])", "document", "expected an object"},
        {R"({"contacts": [{"firstName": "A"}]} {})", "not valid JSON", "syntax error"}};
    std::string error;
    for (const auto& c : cases) {
        EXPECT_FALSE(tmxhost::ImportContacts(c.json, &error)) << c.json;
        EXPECT_THAT(
            error, ::testing::AllOf(::testing::HasSubstr(c.path), ::testing::HasSubstr(c.problem)));
        EXPECT_EQ(tmxhost::CountContacts().contacts + tmxhost::CountContacts().fdn, 6) << c.json;
        EXPECT_EQ(Found("0999"), "Old") << c.json;
    }

    // Groups may follow the contacts that name them.
    ASSERT_TRUE(tmxhost::ImportContacts(
        R"({"contacts": [{"firstName": "G", "numbers": [{"number": "0704"}], "groups": [5]}],
            "groups": [{"id": 5, "ringtone": "/five.mp3"}]})",
        &error))
        << error;
    CallCommonCtRecord r = Pattern();
    ASSERT_EQ(Lookup("0704", r), 1);
    EXPECT_STREQ(r.szRingtone, "/five.mp3");

    ASSERT_TRUE(tmxhost::ImportContacts(kBook, &error)) << error;
    ASSERT_EQ(Lookup("0702", r), 1);
    EXPECT_EQ(r.nPrimaryId * 10 + r.nDataID, 12);
    ASSERT_EQ(Lookup("0703", r), 1);
    EXPECT_EQ(r.nPrimaryId * 100 + r.nDataID * 10 + r.PhoneNumberInfo.PhoneType, 232);
    // The empty ringtone and vibration are stored, and keep the group's.
    EXPECT_TRUE(
        tmxhost::HasTrace("CCallCommonCtRecord::GetCtRecordByPrimaryID: nEtcCnt is [2]!!\n"));
    EXPECT_EQ(std::string(r.szRingtone) + " " + r.szVibration, "/g.mp3 pulse");
    ASSERT_EQ(CallCommonSvcGetFdnRecordbyNum(const_cast<char*>("0801"), &r), 1);
    EXPECT_EQ(r.nFdnId, 2);
    CallCommonMoInfo sdn{1, 0, {0, 11, 0, "150"}};
    ASSERT_EQ(CallCommonSvcGetCtRecordByMoInfo(&sdn, &r), 1);
    EXPECT_STREQ(r.szFirstName, "Care");
}

TEST_F(ContactsHost, NumbersMatchByTheirTrailingDigitsWhateverThePunctuation) {
    ASSERT_TRUE(tmxhost::GenerateContacts(5000));
    for (int i : {1, 2500, 5000}) {
        CallCommonCtRecord r = Pattern();
        EXPECT_EQ(Lookup(tmxhost::GeneratedNumber(i), r) * r.nPrimaryId, i);
    }
    ASSERT_TRUE(tmxhost::ImportContacts(R"({"contacts": [
        {"firstName": "Short", "numbers": [{"number": "0958"}]},
        {"firstName": "Zed", "numbers": [{"number": "0309460958"}]},
        {"firstName": "Anna", "numbers": [{"number": "+44 20 7946 0958"}]}]})"));
    const struct {
        int compare;
        const char *number, *expected;
    } cases[] = {{8, "020 7946 0958", "Anna"},
                 {8, "030 946 0958", "Zed"},
                 {8, "+44 20 7946 0958", "Anna"},
                 {8, "*31#020 7946 0958", "Anna"},
                 {8, "79460959", "-"},
                 {3, "99958", "Short"},
                 {0, "*31#442079460958", "Anna"},
                 {0, "#31#+44 20 7946 0958", "Anna"},
                 {0, "1102079460958", "-"},
                 {0, "*31#0030 9460958", "-"},
                 // Fewer digits than compared: only the same digits.
                 {8, "9460958", "-"},
                 {8, "0958", "Short"},
                 {8, "958", "-"},
                 {8, "*31#0958", "Short"},
                 {5, "0958", "Short"},
                 {3, "58", "-"},
                 {-1, "2079460958", "-"},
                 {0, "0309460958", "Zed"}};
    for (const auto& c : cases) {
        tmxhost::SetDigitsToCompare(c.compare);
        EXPECT_EQ(Found(c.number), c.expected) << c.compare << " " << c.number;
    }
}

TEST_F(ContactsHost, IdsOfADeletedContactAreNeverHandedOutAgain) {
    tmxhost::AddContact(Person("A", "", "0711"));
    int b = tmxhost::AddContact(Person("B", "", "0722"));
    ASSERT_TRUE(tmxhost::DeleteContact(b));
    tmxhost::AddContact(Person("C", "", "0722"));  // B's number, gone with B
    CallCommonCtRecord r = Pattern();
    ASSERT_EQ(Lookup("0722", r), 1);
    EXPECT_EQ(r.nPrimaryId * 100 + r.nPersonId * 10 + r.nDataID, 333);  // none of B's 2s
    EXPECT_EQ(CallCommonSvcIsValidPrimaryID(1) * 10 + CallCommonSvcIsValidPrimaryID(b), 10);
}

TEST_F(ContactsHost, AFetchOfAllRowsFillsNoMoreThanTheLastCount) {
    for (int i = 0; i < 5; ++i) {
        tmxhost::Contact c = Person("P" + std::to_string(i), "", std::to_string(i) + "2079460958");
        c.emails = {"same@example.com"};
        tmxhost::AddContact(c);
    }
    CtSvcPhoneNumberRecord number{}, numbers[8];
    CtSvcEmailRecord email{}, emails[8];
    std::strcpy(number.PhoneNumberInfo.szPhoneNumber, "79460958");
    std::strcpy(email.szAddress, "same@example.com");
    auto fetched = [&] {
        return CtSvcDbPhoneNumberGetRecords(&number, numbers, -1) * 10 +
               CtSvcDbEmailAddressGetRecords(&email, emails, -1);
    };
    EXPECT_EQ(fetched(), 0);  // nothing counted yet
    // A service answering a count lower than its rows: the arrays sized by it must hold.
    tmxhost::FailCall("CtSvcDbPhoneNumberGetCount", 1);
    tmxhost::FailCall("CtSvcDbEmailAddressGetCount", 1);
    ASSERT_EQ(CtSvcDbPhoneNumberGetCount(&number) + CtSvcDbEmailAddressGetCount(&email), 2);
    EXPECT_EQ(fetched(), 11);
}

// Numbers sharing the compared digits come back as the first ones by id, in order of id, though
// the index holds them in another order.
TEST_F(ContactsHost, MatchingNumbersComeFirstByIdWhateverTheirDigits) {
    for (const char* prefix : {"3", "1", "4", "2"}) {
        tmxhost::AddContact(Person(prefix, "", std::string(prefix) + "2079460958"));
    }
    CtSvcPhoneNumberRecord number{};
    std::strcpy(number.PhoneNumberInfo.szPhoneNumber, "79460958");
    const struct {
        int max;
        std::vector<int> ids;
    } cases[] = {{0, {}},        {1, {1}},          {2, {1, 2}},
                 {3, {1, 2, 3}}, {4, {1, 2, 3, 4}}, {9, {1, 2, 3, 4}}};
    for (const auto& c : cases) {
        CtSvcPhoneNumberRecord numbers[9];
        const int filled = CtSvcDbPhoneNumberGetRecords(&number, numbers, c.max);
        std::vector<int> ids;
        for (int i = 0; i < filled; ++i) {
            ids.push_back(numbers[i].nDataId);
            EXPECT_EQ(numbers[i].nPrimaryId, numbers[i].nDataId) << c.max;
        }
        EXPECT_EQ(ids, c.ids) << c.max;
    }
}

TEST_F(ContactsHost, ShortCodesNeverNameTheContactWhoseNumberEndsWithThem) {
    tmxhost::AddContact(Person("Anna", "", "+44 20 7946 0112"));
    tmxhost::AddContact(Person("Bob", "", "+44 20 7946 0958"));
    std::string known;
    for (std::string number : {"112", "58", "8", "0112", "2079460112"}) {
        known += std::to_string(CallCommonSvcGetEntryInfobyNum(number.data()));
    }
    EXPECT_EQ(known, "00001");
    EXPECT_EQ(Found("112") + Found("58") + Found("020 7946 0112"), "--Anna");
    tmxhost::AddContact(Person("Operator", "", "112"));
    EXPECT_EQ(Found("112"), "Operator");
}

TEST_F(ContactsHost, FixedDiallingKeepsThePlusSignificant) {
    tmxhost::AddFdn("Intl", "+442079460000");
    tmxhost::AddFdn("Local", "02079460001");
    const struct {
        const char* number;
        int allowed;
    } cases[] = {{"+442079460000", 1}, {"+44 20 7946 0000", 1}, {"*31#+442079460000", 1},
                 {"442079460000", 0},  {"00442079460000", 0},   {"02079460001", 1},
                 {"020 7946 0001", 1}, {"+02079460001", 0},     {"+2079460001", 0}};
    for (const auto& c : cases) {
        std::string number = c.number;
        EXPECT_EQ(CallCommonSvcCheckFdnNumberExist(number.data()), c.allowed) << number;
    }
    tmxhost::SetTapiResult("SimGetFdnEnable", 1);
    CallCommonCtRecord r = Pattern();
    EXPECT_EQ(Lookup("442079460000", r), 0);
    EXPECT_TRUE(Untouched(r));
}

#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
// Peak memory of an import: a child process imports a 3 MB book into a file with its address
// space capped a little above where it starts. Holding the whole document as a value would take
// several times the file's size; reading it entry by entry fits.
TEST_F(ContactsHost, AnImportHoldsOneEntryAtATimeNotTheWholeBook) {
    const std::string root = tmxhost::DataRoot(), file = root + "/big.json";
    const int kContacts = 20000;
    {
        std::ofstream out(file);
        out << R"({"groups": [{"id": 1, "name": "g"}], "contacts": [)";
        for (int i = 0; i < kContacts; ++i) {
            out << (i > 0 ? "," : "") << R"({"firstName": "A)" << i
                << R"(", "lastName": "B", "image": "i", "storage": "phone", "date": "1980-01-02",)"
                << R"( "groups": [1], "numbers": [{"number": ")" << 1000000 + i
                << R"(", "type": 1}]})";
        }
        out << "]}";
    }
    ASSERT_GT(std::ifstream(file, std::ios::ate).tellg(), 2800000);
    pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        long pages = 0;
        std::ifstream("/proc/self/statm") >> pages;
        rlimit cap{};
        cap.rlim_cur = cap.rlim_max = pages * sysconf(_SC_PAGESIZE) + (12 << 20);
        std::ifstream in(file);
        bool ok = setrlimit(RLIMIT_AS, &cap) == 0 &&
                  tmxhost::UseContactsFile(root + "/big.db", true) && tmxhost::ImportContacts(in) &&
                  tmxhost::CountContacts().contacts == kContacts;
        _exit(ok ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}
#endif
