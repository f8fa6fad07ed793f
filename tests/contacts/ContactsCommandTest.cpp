// callsvc contacts: an import, a lookup as JSON, and the exit codes a script relies on.
#include <sys/wait.h>

#include <nlohmann/json.hpp>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>

#include "support/HostTest.h"

namespace {

struct Outcome {
    int code;
    std::string out, err;
};

// `callsvc contacts ARGS` on this test's data folder.
Outcome Contacts(const std::string& args) {
    const std::string root = tmxhost::DataRoot();
    int status = std::system(("'" CALLSVC_TOOL_FILE "' contacts " + args + " --data '" + root +
                              "' >'" + root + "/out' 2>'" + root + "/err'")
                                 .c_str());
    auto read = [&](const char* name) {
        std::ifstream file(root + name);
        return std::string(std::istreambuf_iterator<char>(file), {});
    };
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, read("/out"), read("/err")};
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
