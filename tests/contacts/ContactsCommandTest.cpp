// callsvc contacts: an import, a lookup as JSON, the exit codes a script relies on, and what it
// says about an address book it cannot use.

#include <nlohmann/json.hpp>

#include <fstream>
#include <set>

#include "contacts/ContactsSupport.h"
#include "support/HostTest.h"

namespace {

Outcome Contacts(const std::string& args) {
    return RunCallsvc("contacts", args);
}

class ContactsCommand : public HostTest {};

}  // namespace

TEST_F(ContactsCommand, LookupPrintsOneRecordObjectAndExitCodesTellTheOutcome) {
    const std::string book = tmxhost::DataRoot() + "/book.json", bad = book + ".bad";
    std::ofstream(book) << R"({"contacts": [{"firstName": "Anna", "lastName": "Berg",
        "numbers": [{"number": "+44 20 7946 0958", "type": 1}], "dtmf": "12"}]})";
    std::ofstream(bad) << R"({"contacts": [{"firstName": "Anna", "nmbers": []}]})";
    ASSERT_EQ(Contacts("import '" + book + "'").code, 0);

    Outcome found = Contacts("lookup 02079460958 --json");
    EXPECT_EQ(found.code, 0) << found.err;
    nlohmann::json record = nlohmann::json::parse(found.out, nullptr, false);
    ASSERT_TRUE(record.is_object()) << found.out;
    std::set<std::string> keys;
    for (const nlohmann::json leaves = record.flatten(); const auto& item : leaves.items()) {
        keys.insert(item.key());
    }
    EXPECT_THAT(keys, ::testing::ElementsAre(
                          "/PhoneNumberInfo/PhoneType", "/PhoneNumberInfo/UseType",
                          "/PhoneNumberInfo/nAasId", "/PhoneNumberInfo/szPhoneNumber",
                          "/displayName", "/found", "/nDataID", "/nDay", "/nDevType", "/nFdnId",
                          "/nMonth", "/nPersonId", "/nPhoneNumberId", "/nPhoneNumberId2",
                          "/nPrimaryId", "/nRecordKind", "/nYear", "/szDtmf", "/szFirstName",
                          "/szImage", "/szLastName", "/szRingtone", "/szVibration"));
    EXPECT_EQ(record["found"].dump() + record["displayName"].dump() + record["szDtmf"].dump() +
                  record["PhoneNumberInfo"]["szPhoneNumber"].dump(),
              R"(true"Anna Berg""12""+44 20 7946 0958")");

    Outcome rejected = Contacts("import '" + bad + "'");
    EXPECT_THAT(rejected.err, ::testing::HasSubstr("nmbers"));
    // Not found, usage errors, help; the rejected import left the book as it was.
    std::string codes = std::to_string(rejected.code);
    for (const char* args : {"lookup 0123456789 --json", "lookup", "lookup 0701 --bogus",
                             "find 0701", "--help", "lookup 02079460958"}) {
        codes += std::to_string(Contacts(args).code);
    }
    EXPECT_EQ(codes, "1122200");
}

TEST_F(ContactsCommand, AnAddressBookThatCannotBeUsedIsNotAnUnknownCaller) {
    const std::string root = tmxhost::DataRoot(), book = root + "/book.json",
                      db = root + "/contacts.db";
    std::ofstream(book) << R"({"contacts": [{"firstName": "Anna",
        "numbers": [{"number": "+44 20 7946 0112"}]}]})";
    auto outcome = [](const Outcome& o, const char* said) {
        return std::to_string(o.code) +
               (o.err.find(said) != std::string::npos ? " said" : " " + o.err);
    };
    EXPECT_EQ(outcome(Contacts("lookup 02079460112"), "no address book yet"), "3 said");
    EXPECT_EQ(outcome(Contacts("import '" + root + "'"), "is a folder"), "1 said");
    ASSERT_EQ(Contacts("import '" + book + "'").code, 0);
    EXPECT_EQ(outcome(Contacts("lookup 112"), ""), "1 said");
    {
        // An import under way in another process: lookups read the book it replaces.
        OtherConnection importer(db);
        ASSERT_TRUE(importer.Run("BEGIN EXCLUSIVE; UPDATE contact SET first = 'Bob'"));
        Outcome during = Contacts("lookup 02079460112");
        EXPECT_EQ(during.code, 0) << during.err;
        EXPECT_THAT(during.out, ::testing::HasSubstr("Anna"));
        ASSERT_TRUE(importer.Run("ROLLBACK"));
        // A process keeping even readers out.
        ASSERT_TRUE(importer.Run(
            "PRAGMA locking_mode = EXCLUSIVE; BEGIN EXCLUSIVE; UPDATE contact SET first = 'Bob'"));
        Outcome locked = Contacts("lookup 02079460112 --wait 50");
        EXPECT_EQ(outcome(locked, "locked"), "3 said");
        EXPECT_THAT(locked.err, ::testing::Not(::testing::HasSubstr("import")));
    }
    std::ofstream(db, std::ios::trunc) << std::string(4096, 'Z');
    EXPECT_EQ(outcome(Contacts("lookup 02079460112"), "not a database"), "3 said");
    EXPECT_EQ(outcome(Contacts("import '" + book + "'"), "--force replaces it"), "3 said");
    EXPECT_EQ(outcome(Contacts("import '" + book + "' --force"), "replaced"), "0 said");
    EXPECT_EQ(Contacts("lookup 02079460112").code, 0);
}
