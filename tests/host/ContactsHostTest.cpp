// The host's contacts service: database files it cannot use, locks held by another process,
// JSON import and matching by trailing digits.
#include <sqlite3.h>

#include <cstring>
#include <fstream>

#include "CallCommonSvc/Platform/TmxCtSvc.h"

#include "contacts/ContactsSupport.h"
#include "support/HostTest.h"

namespace {

// A second process's connection to the contacts file.
class OtherConnection {
public:
    explicit OtherConnection(const std::string& path) { sqlite3_open(path.c_str(), &m_db); }
    ~OtherConnection() { sqlite3_close(m_db); }
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

TEST_F(ContactsHost, UnusableFilesLeaveEveryLookupFailing) {
    std::string path = AnnaFile();
    tmxhost::UseContactsFile("", true);
    const struct {
        const char* what;
        std::string file;
        const char* setup;
    } cases[] = {{"missing", tmxhost::DataRoot() + "/none.db", nullptr},
                 {"garbage", tmxhost::DataRoot() + "/garbage.db", nullptr},
                 {"foreign", tmxhost::DataRoot() + "/foreign.db", "CREATE TABLE t(x)"},
                 {"locked", path, "BEGIN EXCLUSIVE"}};
    std::ofstream(cases[1].file) << std::string(4096, '\x5A');
    for (const auto& c : cases) {
        OtherConnection other(c.setup != nullptr ? c.file : tmxhost::DataRoot() + "/unused.db");
        if (c.setup != nullptr) {
            ASSERT_TRUE(other.Run(c.setup)) << c.what;
        }
        std::string error;
        EXPECT_FALSE(tmxhost::UseContactsFile(c.file, false, &error)) << c.what;
        EXPECT_EQ(Found("02079460958"), "-") << c.what;
        EXPECT_FALSE(tmxhost::ImportContacts(kBook, &error)) << c.what;
    }
}

TEST_F(ContactsHost, AnotherProcessesLocksFailLookupsOrImportsUntilReleased) {
    OtherConnection other(AnnaFile());
    ASSERT_TRUE(other.Run("BEGIN EXCLUSIVE"));
    EXPECT_EQ(Found("02079460958"), "-");
    // A reader keeps the file read-only for us: lookups go on, an import changes nothing.
    ASSERT_TRUE(other.Run("COMMIT; BEGIN; SELECT count(*) FROM contact;"));
    std::string error;
    EXPECT_FALSE(tmxhost::ImportContacts(kBook, &error));
    EXPECT_THAT(error, ::testing::HasSubstr("locked"));
    EXPECT_EQ(Found("02079460958"), "Anna");
    ASSERT_TRUE(other.Run("COMMIT"));
    EXPECT_EQ(other.Count("contact"), 1);
    // Once released, an import is committed for every process.
    EXPECT_TRUE(tmxhost::ImportContacts(kBook, &error)) << error;
    EXPECT_EQ(other.Count("contact") * 10 + other.Count("fdn"), 22);
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
        {R"({"contacts": [{"date": "1900-02-29"}]})", "contacts[0].date", "YYYY-MM-DD"}};
    std::string error;
    for (const auto& c : cases) {
        EXPECT_FALSE(tmxhost::ImportContacts(c.json, &error)) << c.json;
        EXPECT_THAT(
            error, ::testing::AllOf(::testing::HasSubstr(c.path), ::testing::HasSubstr(c.problem)));
        EXPECT_EQ(tmxhost::CountContacts().contacts + tmxhost::CountContacts().fdn, 6) << c.json;
        EXPECT_EQ(Found("0999"), "Old") << c.json;
    }

    ASSERT_TRUE(tmxhost::ImportContacts(kBook, &error)) << error;
    CallCommonCtRecord r = Pattern();
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
    } cases[] = {{8, "020 7946 0958", "Anna"},        {8, "030 946 0958", "Zed"},
                 {8, "+44 20 7946 0958", "Anna"},     {8, "9460958", "Zed"},
                 {8, "*31#020 7946 0958", "Anna"},    {8, "79460959", "-"},
                 {0, "*31#442079460958", "Anna"},     {3, "99958", "Short"},
                 {0, "#31#+44 20 7946 0958", "Anna"}, {0, "1102079460958", "-"},
                 {0, "*31#0030 9460958", "-"},        {-1, "2079460958", "Anna"}};
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
