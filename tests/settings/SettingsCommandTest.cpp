// callsvc settings: each key's type, the exit codes and the backup notice.

#include <fstream>
#include <iterator>

#include "support/HostTest.h"

namespace {

Outcome Settings(const std::string& args) {
    return RunCallsvc("settings", args);
}

class SettingsCommand : public HostTest {};

const char kPrefix[] = "CallSetting CALL_REG_KEY_PREFIX_DIALLING_1";
const char kNumber[] = "CallSetting CALL_REG_KEY_FAKE_CALL_NUM";
const char kItem[] = "CallSetting CALL_REG_KEY_PREFIX_DIALLING_SELECTED_ITEM";
const char kBackground[] = "CallSetting CALL_REG_KEY_INCOMING_CALL_BG";
const char kOther[] = "CallSetting Value";  // in the file, not one of the library's settings

}  // namespace

TEST_F(SettingsCommand, TypesComeFromTheSettingNeverFromTheStoredText) {
    struct Step {
        std::string args;
        int code;
        std::string out;  // stdout, or a part of stderr when the code is not 0
    };
    const Step steps[] = {
        {std::string("set ") + kPrefix + " 0044 --str", 0, std::string(kPrefix) + " = 0044\n"},
        {std::string("get ") + kPrefix, 0, "0044\n"},
        {std::string("set ") + kPrefix + " 0033", 0, std::string(kPrefix) + " = 0033\n"},
        {std::string("set ") + kPrefix + " 5 --int", 2, "holds a string; --int does not apply"},
        {std::string("get ") + kPrefix + " --int", 0, "33\n"},  // read as asked
        {std::string("set ") + kNumber + " +445551234", 0, ""},
        {std::string("set ") + kNumber + " 00441234567", 0, ""},
        {std::string("get ") + kNumber, 0, "00441234567\n"},
        {std::string("set ") + kNumber + " Bob", 0, ""},
        {std::string("get ") + kNumber + " --u64", 1, "holds 'Bob', which is not an unsigned"},
        {std::string("get ") + kBackground, 0, "4278190080\n"},
        {std::string("get ") + kBackground + " --int", 1, "which is not a 32-bit integer"},
        {std::string("set ") + kItem + " -3", 0, std::string(kItem) + " = -3\n"},
        {std::string("set ") + kItem + " +3", 2, "'+3' is not a 32-bit integer"},
        {std::string("set ") + kItem + " 2147483648", 2, "is not a 32-bit integer"},
        {std::string("set ") + kBackground + " -1", 2, "is not an unsigned 64-bit number"},
        // Outside the table a key is a string until a set names its type.
        {std::string("set ") + kOther + " 007", 0, std::string(kOther) + " = 007\n"},
        {std::string("set ") + kOther + " 007 --int", 0, std::string(kOther) + " = 7\n"},
        {std::string("set ") + kOther + " 0008", 0, std::string(kOther) + " = 8\n"},
        {std::string("set ") + kOther + " Bob", 2, "'Bob' is not a 32-bit integer"},
        {"get CallSetting NoSuchKey", 2, "unknown key 'NoSuchKey'"},
        {"get CallSetting", 2, "callsvc settings: 'get' takes SECTION KEY\n\nusage:"},
        {"fetch", 2, "callsvc settings: unknown action 'fetch'\n\nusage:"},
    };
    for (const Step& step : steps) {
        const Outcome outcome = Settings(step.args);
        EXPECT_EQ(outcome.code, step.code) << step.args << ": " << outcome.err;
        if (step.code == 0) {
            EXPECT_TRUE(step.out.empty() || outcome.out == step.out) << step.args << outcome.out;
        } else {
            EXPECT_THAT(outcome.err, ::testing::HasSubstr(step.out)) << step.args;
        }
    }
    const Outcome list = Settings("list");
    EXPECT_THAT(list.out,
                ::testing::HasSubstr("CALL_REG_KEY_PREFIX_DIALLING_SELECTED_ITEM = -3\n"));
    EXPECT_THAT(list.out, ::testing::HasSubstr("CALL_REG_KEY_FAKE_CALL_NUM = Bob\n"));
}

TEST_F(SettingsCommand, AnOutdatedFileIsKeptAsABackupAndSaid) {
    const std::string file = tmxhost::RegistryPath("CallReg.ini");
    std::ofstream(file) << "[Version]\nVersion=9\n[CallSetting]\nCALL_REG_KEY_FAKE_CALL_NAME=Mum\n";
    const Outcome outcome = Settings(std::string("get ") + kPrefix);
    EXPECT_EQ(outcome.code, 0);
    EXPECT_THAT(outcome.err, ::testing::HasSubstr("the old file is kept as " + file + ".bak\n"));
    std::ifstream backup(file + ".bak");
    EXPECT_THAT(std::string(std::istreambuf_iterator<char>(backup), {}),
                ::testing::HasSubstr("FAKE_CALL_NAME=Mum"));
    EXPECT_EQ(Settings("list").err, "");  // said once
}
