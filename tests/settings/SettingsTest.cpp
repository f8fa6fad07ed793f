// The settings file "CallReg.ini": the start-up check, typed access, the alerts-on-call pair,
// and what happens when the platform fails or the file is damaged.
#include <algorithm>
#include <climits>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>

#include "CallCommonSvc/H/CallCommonSvc.h"
#include "support/HostTest.h"

namespace {

const char kFile[] = "CallReg.ini";
const char kSet[] = "CallSetting";
const unsigned kSetting = 0x1000E6;
const unsigned kFail = 0xBA;
const char kAlertsRange[] =
    "((iAlertsOnCallType >= CALL_REG_ALERTS_ON_CALL_MIN) && (iAlertsOnCallType <= "
    "CALL_REG_ALERTS_ON_CALL_MAX))";
const char kOpenFailed[] = "CCallRegMgr::OpenRegisterFile: RegLoad() is failed\n";

struct Default {
    const char* section;
    const char* key;
    char type;  // 's'tring, 'i'nt, 'u'int64
    const char* value;
};

// Every setting of a new file, in the order it is written.
const Default kDefaults[] = {
    {kSet, "CALL_REG_KEY_REJECT_MSG_USER1", 's', "CALL_REG_MGR_REJECT_MSG_INIT_DEFAULT_VAL_1"},
    {kSet, "CALL_REG_KEY_REJECT_MSG_USER2", 's', "CALL_REG_MGR_REJECT_MSG_INIT_DEFAULT_VAL_2"},
    {kSet, "CALL_REG_KEY_REJECT_MSG_USER3", 's', "CALL_REG_MGR_REJECT_MSG_INIT_DEFAULT_VAL_3"},
    {kSet, "CALL_REG_KEY_REJECT_MSG_USER4", 's', "CALL_REG_MGR_REJECT_MSG_INIT_DEFAULT_VAL_4"},
    {kSet, "CALL_REG_KEY_REJECT_MSG_USER5", 's', "CALL_REG_MGR_REJECT_MSG_INIT_DEFAULT_VAL_5"},
    {kSet, "CALL_REG_KEY_PREFIX_DIALLING_1", 's', ""},
    {kSet, "CALL_REG_KEY_PREFIX_DIALLING_2", 's', ""},
    {kSet, "CALL_REG_KEY_PREFIX_DIALLING_3", 's', ""},
    {kSet, "CALL_REG_KEY_PREFIX_DIALLING_4", 's', ""},
    {kSet, "CALL_REG_KEY_PREFIX_DIALLING_5", 's', ""},
    {kSet, "CALL_REG_KEY_PREFIX_DIALLING_ON_OFF", 'i', "0"},
    {kSet, "CALL_REG_KEY_PREFIX_DIALLING_SELECTED_ITEM", 'i', "-1"},
    {kSet, "CALL_REG_KEY_ALERTS_ON_CALL", 'i', "0"},
    {kSet, "CALL_REG_KEY_ANSWERING_MODE_ANY_KEY", 'i', "0"},
    {kSet, "CALL_REG_KEY_ANSWERING_MODE_AUTOMATIC", 'i', "0"},
    {kSet, "CALL_REG_KEY_FAKE_CALL_NAME", 's', ""},
    {kSet, "CALL_REG_KEY_FAKE_CALL_CALLER_IMAGE", 's', ""},
    {kSet, "CALL_REG_KEY_VIDEO_CALL_SCREEN_SIZE", 'i', "1"},
    {kSet, "CALL_REG_KEY_VIDEO_CALL_VIEWING_STYLE", 'i', "1"},
    {kSet, "CALL_REG_KEY_INCOMING_CALL_BG", 'u', "4278190080"},
    {"VideoCall", "CALL_REG_KEY_VIDEO_CALL_CAPTURE_FRAME", 'u', "0"},
    {kSet, "CALL_REG_KEY_FAKE_CALL_NUM", 's', ""},
    {kSet, "CALL_REG_KEY_ANSWERING_MODE_SLIDE_UP", 'i', "1"},
    {kSet, "CALL_REG_KEY_ANSWERING_MODE_ACTIVE_FLIP", 'i', "0"},
    {kSet, "CALL_REG_KEY_DIVERTING_NUMBER1", 's', ""},
    {kSet, "CALL_REG_KEY_DIVERTING_NUMBER2", 's', ""},
    {kSet, "CALL_REG_KEY_DIVERTING_NUMBER3", 's', ""},
    {kSet, "CALL_REG_KEY_VD_PRESET_IMAGE", 's', ""},
};

std::vector<std::string> RegCalls() {
    std::vector<std::string> texts;
    for (const tmxhost::Call& call : tmxhost::Calls()) {
        if (call.name.rfind("Reg", 0) == 0) {
            texts.push_back(call.Text());
        }
    }
    return texts;
}

// The handle passed to the latest (or the first) logged call of `name`.
std::string HandleOf(const std::string& name, bool first = false) {
    std::string handle = "none";
    for (const tmxhost::Call& call : tmxhost::Calls()) {
        if (call.name == name && (!first || handle == "none")) {
            handle = call.args.at(0);
        }
    }
    return handle;
}

// What creating the file asks of the platform, on handle `h`.
std::vector<std::string> CreationCalls(const std::string& h) {
    std::vector<std::string> calls = {"RegLoad(\"CallReg.ini\", 1)",
                                      "RegSetInt(" + h + ", \"Version\", \"Version\", 10)",
                                      "RegSetSection(" + h + ", \"CallSetting\", \"Value=1\n\")"};
    for (const Default& d : kDefaults) {
        const char* name = d.type == 's' ? "String" : d.type == 'i' ? "Int" : "Uint64";
        std::string value = d.type == 's' ? "\"" + std::string(d.value) + "\"" : d.value;
        calls.push_back(std::string("RegSet") + name + "(" + h + ", \"" + d.section + "\", \"" +
                        d.key + "\", " + value + ")");
    }
    calls.insert(calls.end(), {"RegFlush(" + h + ")", "RegUnload(" + h + ")"});
    return calls;
}

// The file as "[section] key=value" lines, in file order.
std::vector<std::string> FileLines() {
    std::vector<tmxhost::RegistryEntry> entries;
    std::vector<std::string> lines;
    if (!tmxhost::ReadRegistry(kFile, entries)) {
        lines.push_back("<unreadable>");
    }
    for (const tmxhost::RegistryEntry& e : entries) {
        lines.push_back("[" + e.section + "] " + e.key + "=" + e.value);
    }
    return lines;
}

// A new file holds its sections in the order they were first written.
std::vector<std::string> FreshFileLines() {
    std::vector<std::string> lines = {"[Version] Version=10", "[CallSetting] Value=1"};
    for (const Default& d : kDefaults) {
        lines.push_back("[" + std::string(d.section) + "] " + d.key + "=" + d.value);
    }
    std::stable_partition(lines.begin(), lines.end(), [](const std::string& line) {
        return line.rfind("[VideoCall]", 0) != 0;
    });
    return lines;
}

void WriteFileBytes(const std::string& bytes) {
    std::ofstream(tmxhost::RegistryPath(kFile), std::ios::binary | std::ios::trunc) << bytes;
}

// A failed RegUnload leaves its handle with the platform; give it back so nothing stays open.
void ReleaseHandles() {
    for (int h = 1; h < 1000 && tmxhost::OpenRegistryHandles() > 0; ++h) {
        RegUnload(h);
    }
}

std::string GetString(const char* section, const char* key, bool ex = false) {
    std::vector<char> buffer((1 << 20) + 16, 'x');
    const int size = static_cast<int>(buffer.size());
    int ok = ex ? CallCommonSvcRegGetStringEx(section, key, buffer.data(), size)
                : CallCommonSvcRegGetString(section, key, buffer.data(), size);
    return ok == 1 ? std::string(buffer.data()) : "<failed>";
}

class SettingsStartup : public HostTest {};
class SettingsAccess : public LoadedTest {};
class SettingsFaults : public LoadedTest {};
class SettingsInput : public LoadedTest {};
class SettingsStorage : public HostTest {};

}  // namespace

TEST_F(SettingsStartup, MissingFileIsCreatedWithEveryDefaultInOrder) {
    Load();
    std::vector<std::string> expected = CreationCalls(HandleOf("RegUnload"));
    expected.insert(expected.begin(), "RegLoad(\"CallReg.ini\", 0)");
    EXPECT_EQ(RegCalls(), expected);
    EXPECT_TRUE(tmxhost::HasTrace(
        " CCallRegMgr::CreateRegisterFile: RegLoad() is success for creating \n", kSetting));
    EXPECT_EQ(FileLines(), FreshFileLines());
    EXPECT_EQ(CallCommonSvcRegGetInt(kSet, "CALL_REG_KEY_PREFIX_DIALLING_SELECTED_ITEM"), -1);
    EXPECT_EQ(CallCommonSvcRegGetUint64(kSet, "CALL_REG_KEY_INCOMING_CALL_BG"), 4278190080ULL);
    EXPECT_EQ(GetString(kSet, "CALL_REG_KEY_REJECT_MSG_USER5"),
              "CALL_REG_MGR_REJECT_MSG_INIT_DEFAULT_VAL_5");
}

TEST_F(SettingsStartup, OnlyAFileOfTheCurrentVersionIsKept) {
    for (int version : {10, 9, 11}) {
        SCOPED_TRACE(version);
        Load();
        ASSERT_EQ(CallCommonSvcRegSetString("Mine", "Note", "mine"), 1);
        ASSERT_EQ(CallCommonSvcRegSetInt("Version", "Version", version), 1);
        Unload();
        tmxhost::ClearCalls();
        Load();
        const std::string h = HandleOf("RegGetInt", true);
        std::vector<std::string> expected = {"RegLoad(\"CallReg.ini\", 0)",
                                             "RegGetInt(" + h + ", \"Version\", \"Version\", 0)",
                                             "RegUnload(" + h + ")"};
        if (version != 10) {
            expected.push_back("RegClean(\"CallReg.ini\")");
            for (const std::string& call : CreationCalls(HandleOf("RegUnload"))) {
                expected.push_back(call);
            }
        }
        EXPECT_EQ(RegCalls(), expected);
        EXPECT_TRUE(tmxhost::HasTrace(
            version == 10 ? "CCallRegMgr::Init: RegUnload() succeeded\n"
                          : "CCallRegMgr::Init: version is different. re-create ini file !!!! \n",
            kSetting));
        EXPECT_EQ(GetString("Mine", "Note"), version == 10 ? "mine" : "");
        if (version != 10) {
            EXPECT_EQ(FileLines(), FreshFileLines());
        }
        Unload();
        tmxhost::TakeTraces();
    }
    tmxhost::FailCall("RegUnload", 0);
    Load();
    EXPECT_TRUE(tmxhost::HasTrace("CCallRegMgr::Init: RegUnload() failed\n", kFail));
    ReleaseHandles();
}

TEST_F(SettingsStartup, FileWhoseFirstFlushFailsIsNotLeftHalfMade) {
    tmxhost::FailCall("RegFlush", 0);
    Load();
    EXPECT_TRUE(tmxhost::HasTrace(
        " CCallRegMgr::CloseRegisterFile: RegFlush() is failed for creating \n", kSetting));
    EXPECT_FALSE(std::filesystem::exists(tmxhost::RegistryPath(kFile)));
    // Whatever a set then says must hold after the next load.
    const int saved = CallCommonSvcRegSetInt(kSet, "CALL_REG_KEY_ANSWERING_MODE_ANY_KEY", 1);
    Unload();
    Load();
    EXPECT_EQ(CallCommonSvcRegGetInt(kSet, "CALL_REG_KEY_ANSWERING_MODE_ANY_KEY"), saved);
}

TEST_F(SettingsAccess, TypedValuesRoundTripAndMissingKeysReadEmpty) {
    for (int value : {-1, INT_MIN, INT_MAX}) {
        EXPECT_EQ(CallCommonSvcRegSetInt(kSet, "Count", value), 1);
        EXPECT_EQ(CallCommonSvcRegGetInt(kSet, "Count"), value);
    }
    EXPECT_EQ(CallCommonSvcRegSetUint64("VideoCall", "Big", ULLONG_MAX), 1);
    EXPECT_EQ(CallCommonSvcRegGetUint64("VideoCall", "Big"), ULLONG_MAX);
    EXPECT_EQ(CallCommonSvcRegSetString(kSet, "Name", " two  words "), 1);
    EXPECT_EQ(GetString(kSet, "Name"), " two  words ");
    EXPECT_EQ(CallCommonSvcRegSetStringEx(kSet, "Pic", "a b.jpg"), 1);
    EXPECT_EQ(GetString(kSet, "Pic", true), "a b.jpg");
    EXPECT_EQ(CallCommonSvcRegGetInt(kSet, "Never"), 0);
    EXPECT_EQ(CallCommonSvcRegGetUint64("NoSection", "Never"), 0ULL);
    EXPECT_EQ(GetString(kSet, "Never"), "");
    EXPECT_EQ(GetString("NoSection", "Never", true), "");

    // A short buffer gets a terminated prefix and nothing past its size.
    char buffer[8] = {'x', 'x', 'x', 'x', 'x', 'x', 'x', 'x'};
    EXPECT_EQ(CallCommonSvcRegGetString(kSet, "Name", buffer, 4), 1);
    EXPECT_EQ(std::string(buffer, 8), std::string(" tw\0xxxx", 8));
}

TEST_F(SettingsAccess, SetsAndStringReadsFlushNumericReadsDoNot) {
    const std::string closed =
        " CCallRegMgr::CloseRegisterFile: RegUnload() is success for creating \n";
    tmxhost::ClearCalls();
    tmxhost::TakeTraces();
    ASSERT_EQ(CallCommonSvcRegSetInt(kSet, "Count", -7), 1);
    ASSERT_EQ(CallCommonSvcRegGetInt(kSet, "Count"), -7);
    const std::string h = HandleOf("RegSetInt");
    const std::string g = HandleOf("RegUnload");
    EXPECT_EQ(
        RegCalls(),
        (std::vector<std::string>{
            "RegLoad(\"CallReg.ini\", 0)", "RegSetInt(" + h + ", \"CallSetting\", \"Count\", -7)",
            "RegFlush(" + h + ")", "RegUnload(" + h + ")", "RegLoad(\"CallReg.ini\", 0)",
            "RegGetInt(" + g + ", \"CallSetting\", \"Count\", 0)", "RegUnload(" + g + ")"}));
    EXPECT_EQ(
        TraceTexts(kSetting),
        (std::vector<std::string>{
            " CCallRegMgr::CallRegSetInt: szSection(CallSetting), szKey(Count), value(-7) \n",
            " CCallRegMgr::CloseRegisterFile: hReg(" + h + "), bFlush(1) \n", closed,
            " CCallRegMgr::CallRegGetInt: szSection(CallSetting), szKey(Count), nReturn(-7) \n",
            " CCallRegMgr::CloseRegisterFile: hReg(" + g + "), bFlush(0) \n", closed}));
    EXPECT_TRUE(TraceTexts(kFail).empty());

    char buffer[16];
    const std::pair<std::function<void()>, size_t> reads[] = {
        {[] { CallCommonSvcRegGetUint64(kSet, "CALL_REG_KEY_INCOMING_CALL_BG"); }, 0},
        {[&] { CallCommonSvcRegGetString(kSet, "Count", buffer, 16); }, 1},
        {[&] { CallCommonSvcRegGetStringEx(kSet, "Count", buffer, 16); }, 1},
    };
    for (const auto& [run, flushes] : reads) {
        tmxhost::ClearCalls();
        run();
        EXPECT_EQ(tmxhost::CallTexts({"RegFlush"}).size(), flushes) << RegCalls().at(1);
    }
}

TEST_F(SettingsAccess, AlertsOnCallTypeIsRangeCheckedOnSetAndReportedOnGet) {
    for (int bad : {2, -1, INT_MIN}) {
        tmxhost::ClearCalls();
        EXPECT_EQ(CallCommonSvcRegSetAlertsOnCallType(bad), 0);
        ExpectReports({kAlertsRange});
        EXPECT_TRUE(RegCalls().empty());
    }
    EXPECT_EQ(CallCommonSvcRegSetAlertsOnCallType(1), 1);
    EXPECT_TRUE(tmxhost::HasTrace("CallCommonSvcRegSetAlertsOnCallType: iAlertsOnCallType (1)\n",
                                  kSetting));
    EXPECT_EQ(CallCommonSvcRegSetAlertsOnCallType(2), 0);
    ExpectReports({kAlertsRange});
    EXPECT_EQ(CallCommonSvcRegGetAlertsOnCallType(), 1);
    EXPECT_TRUE(tmxhost::HasTrace("CallCommonSvcRegGetAlertsOnCallType: iAlertsOnCallType (1)\n",
                                  kSetting));

    // A stored value out of range is passed through, with a report.
    ASSERT_EQ(CallCommonSvcRegSetInt(kSet, "CALL_REG_KEY_ALERTS_ON_CALL", 5), 1);
    EXPECT_EQ(CallCommonSvcRegGetAlertsOnCallType(), 5);
    std::vector<tmxhost::Report> reports = tmxhost::TakeReports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].expression, kAlertsRange);
    EXPECT_EQ(reports[0].path, "CallCommonSvc\\Util\\CallCommonSvcReg");
}

TEST_F(SettingsFaults, WithoutTheFileOrTheLibraryEveryOperationFailsAndLeavesBuffersAlone) {
    char buffer[8] = "keep";
    const char* key = "CALL_REG_KEY_REJECT_MSG_USER1";
    const std::pair<std::function<long long()>, const char*> ops[] = {
        {[] { return CallCommonSvcRegSetInt(kSet, "K", 1); }, "CallRegSetInt"},
        {[] { return CallCommonSvcRegGetInt("Version", "Version"); }, "CallRegGetInt"},
        {[] { return CallCommonSvcRegSetUint64(kSet, "K", 1); }, "CallRegSetUint64"},
        {[] { return CallCommonSvcRegGetUint64(kSet, "K"); }, "CallRegGetUint64"},
        {[] { return CallCommonSvcRegSetString(kSet, "K", "v"); }, "CallRegSetString"},
        {[&] { return CallCommonSvcRegGetString(kSet, key, buffer, 8); }, "CallRegGetString"},
        {[] { return CallCommonSvcRegSetStringEx(kSet, "K", "v"); }, "CallRegSetStringEx"},
        {[&] { return CallCommonSvcRegGetStringEx(kSet, key, buffer, 8); }, "CallRegGetStringEx"},
        {[] { return CallCommonSvcRegSetAlertsOnCallType(1); }, "CallRegSetInt"},
        {[] { return CallCommonSvcRegGetAlertsOnCallType(); }, "CallRegGetInt"},
    };
    tmxhost::FailCall("RegLoad", -1, 1, -1);
    for (const auto& [run, name] : ops) {
        tmxhost::TakeTraces();
        EXPECT_EQ(run(), 0) << name;
        EXPECT_EQ(TraceTexts(kFail),
                  (std::vector<std::string>{kOpenFailed, std::string("CCallRegMgr::") + name +
                                                             ": RegLoad() is failed\n"}));
    }
    // Unloaded, each function reports the missing instance once and returns 0.
    Unload();
    tmxhost::ClearCalls();
    for (const auto& [run, name] : ops) {
        EXPECT_EQ(run(), 0) << name;
        ExpectReports({"pCCallRegMgr != NULL"});
    }
    EXPECT_TRUE(RegCalls().empty());
    EXPECT_STREQ(buffer, "keep");
}

TEST_F(SettingsFaults, FailedFlushFailsTheSetButNotTheRead) {
    tmxhost::FailCall("RegFlush", 0);
    EXPECT_EQ(CallCommonSvcRegSetAlertsOnCallType(1), 0);
    EXPECT_TRUE(tmxhost::HasTrace(
        " CCallRegMgr::CloseRegisterFile: RegFlush() is failed for creating \n", kSetting));
    EXPECT_EQ(CallCommonSvcRegGetAlertsOnCallType(), 0);
    tmxhost::FailCall("RegFlush", 0);
    EXPECT_EQ(GetString(kSet, "CALL_REG_KEY_REJECT_MSG_USER2"),
              "CALL_REG_MGR_REJECT_MSG_INIT_DEFAULT_VAL_2");
}

TEST_F(SettingsFaults, EveryFailedCallOfABatchOfSetsLeavesAnIntactFile) {
    // One save of several settings, as a settings screen does it.
    auto batch = [](int gen) {
        const std::string text = "text-" + std::to_string(gen);
        return std::vector<int>{
            CallCommonSvcRegSetInt(kSet, "CALL_REG_KEY_ANSWERING_MODE_ANY_KEY", gen),
            CallCommonSvcRegSetString(kSet, "CALL_REG_KEY_FAKE_CALL_NAME", text.c_str()),
            CallCommonSvcRegSetUint64(kSet, "CALL_REG_KEY_INCOMING_CALL_BG", gen * 1000ULL),
            CallCommonSvcRegSetStringEx(kSet, "CALL_REG_KEY_VD_PRESET_IMAGE", text.c_str())};
    };
    ASSERT_EQ(batch(1), std::vector<int>(4, 1));
    std::ifstream in(tmxhost::RegistryPath(kFile), std::ios::binary);
    const std::string old((std::istreambuf_iterator<char>(in)), {});
    tmxhost::ClearCalls();
    batch(2);
    const std::vector<tmxhost::Call> log = tmxhost::Calls();
    ASSERT_EQ(log.size(), 16u);
    const size_t blocks = tmxhost::LiveBlocks().size();

    for (size_t n = 0; n < log.size(); ++n) {
        const std::string& name = log[n].name;
        SCOPED_TRACE(name + " at " + std::to_string(n));
        WriteFileBytes(old);
        int nth = 0;
        for (size_t i = 0; i <= n; ++i) {
            nth += log[i].name == name ? 1 : 0;
        }
        tmxhost::FailCall(name, name == "RegLoad" ? -1 : 0, nth);
        const std::vector<int> results = batch(2);
        ReleaseHandles();
        tmxhost::ClearFaults();
        EXPECT_EQ(tmxhost::LiveBlocks().size(), blocks);
        EXPECT_EQ(FileLines().size(), 30u);

        // Only the set that met the failure says so. It left the old value, unless the
        // failure came after the flush.
        std::vector<int> expected(4, 1), gens(4, 2);
        expected[n / 4] = 0;
        gens[n / 4] = name == "RegUnload" ? 2 : 1;
        EXPECT_EQ(results, expected);
        EXPECT_EQ(CallCommonSvcRegGetInt(kSet, "CALL_REG_KEY_ANSWERING_MODE_ANY_KEY"), gens[0]);
        EXPECT_EQ(GetString(kSet, "CALL_REG_KEY_FAKE_CALL_NAME"),
                  "text-" + std::to_string(gens[1]));
        EXPECT_EQ(CallCommonSvcRegGetUint64(kSet, "CALL_REG_KEY_INCOMING_CALL_BG"),
                  gens[2] * 1000ULL);
        EXPECT_EQ(GetString(kSet, "CALL_REG_KEY_VD_PRESET_IMAGE", true),
                  "text-" + std::to_string(gens[3]));
    }
}

TEST_F(SettingsInput, MissingArgumentsAreReportedAndTouchNothing) {
    tmxhost::ClearCalls();
    char buffer[8] = "keep";
    const std::pair<std::function<long long()>, const char*> cases[] = {
        {[] { return CallCommonSvcRegSetInt(NULL, "K", 1); }, "szSection != NULL"},
        {[] { return CallCommonSvcRegGetInt("Version", NULL); }, "szKey != NULL"},
        {[] { return CallCommonSvcRegSetString(kSet, "K", NULL); }, "value != NULL"},
        {[] { return CallCommonSvcRegSetStringEx(kSet, "K", NULL); }, "value != NULL"},
        {[] { return CallCommonSvcRegGetString(kSet, "K", NULL, 8); }, "pDestBuffer != NULL"},
        {[&] { return CallCommonSvcRegGetString(kSet, "K", buffer, 0); }, "nSize > 0"},
        {[&] { return CallCommonSvcRegGetStringEx(NULL, "K", buffer, 8); }, "szSection != NULL"},
        {[&] { return CallCommonSvcRegGetStringEx(kSet, "K", buffer, INT_MIN); }, "nSize > 0"},
    };
    for (const auto& [run, report] : cases) {
        EXPECT_EQ(run(), 0) << report;
        ExpectReports({report});
    }
    EXPECT_STREQ(buffer, "keep");
    EXPECT_TRUE(RegCalls().empty());
}

TEST_F(SettingsInput, AwkwardTextRoundTripsAcrossAReload) {
    std::string big(1 << 20, 'v');
    big[0] = '=';
    big[4096] = '\n';
    big.back() = '\\';
    const std::pair<std::string, std::string> pairs[] = {{"a=b", "x=y=z"},
                                                         {"[sec]", "[v]"},
                                                         {"line\nbreak", "one\ntwo\r\n"},
                                                         {"back\\slash", "c:\\dir\\"},
                                                         {"\\n", "\\=\\["},
                                                         {"k", big}};
    for (const auto& [key, value] : pairs) {
        EXPECT_EQ(CallCommonSvcRegSetString(kSet, key.c_str(), value.c_str()), 1) << key;
        EXPECT_EQ(CallCommonSvcRegSetStringEx("Odd]Sec[=", key.c_str(), value.c_str()), 1) << key;
    }
    // Read back after a reload, which must take the file as it is.
    Unload();
    tmxhost::ClearCalls();
    Load();
    EXPECT_TRUE(tmxhost::CallTexts({"RegClean", "RegFlush"}).empty());
    for (const auto& [key, value] : pairs) {
        EXPECT_EQ(GetString(kSet, key.c_str()), value) << key;
        EXPECT_EQ(GetString("Odd]Sec[=", key.c_str(), true), value) << key;
    }
}

TEST_F(SettingsStorage, DamagedFileIsRecreatedWithDefaults) {
    std::mt19937 random(20240601);
    std::string noise(1 << 16, '\0');
    for (char& c : noise) {
        c = static_cast<char>(random());
    }
    const std::string files[] = {"",
                                 noise,
                                 std::string(4096, '\0'),
                                 std::string("[Version]\nVersion=1\0"
                                             "0\n",
                                             22),
                                 "[Version\nVersion=10\n[CallSetting]\nCALL_REG_KEY_ALER",
                                 "[Version]\n" + std::string(1 << 20, 'x') + "\n",
                                 "[CallSetting]\nCALL_REG_KEY_ALERTS_ON_CALL=1\n",
                                 "[Version]\nVersion=10x\n",
                                 "[Version]\nVersion=4294967306\n",
                                 "[Version]\nVersion=1\\q0\n"};
    for (const std::string& bytes : files) {
        SCOPED_TRACE(bytes.substr(0, 40));
        WriteFileBytes(bytes);
        Load();
        EXPECT_TRUE(tmxhost::HasTrace(
            "CCallRegMgr::Init: version is different. re-create ini file !!!! \n", kSetting));
        EXPECT_EQ(FileLines(), FreshFileLines());
        Unload();
        tmxhost::TakeTraces();
    }
}

TEST_F(SettingsStorage, FileThatCannotBeCreatedLeavesEveryOperationFailing) {
    char folder[] = "/tmp/settings-root.XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    ASSERT_TRUE(tmxhost::SetDataRoot(folder));
    Load();
    EXPECT_EQ(FileLines(), FreshFileLines());
    // The data folder goes away under the library, and with it the file.
    std::filesystem::remove_all(folder);
    EXPECT_EQ(CallCommonSvcRegSetString(kSet, "K", "v"), 0);
    Unload();
    tmxhost::TakeTraces();
    Load();
    EXPECT_TRUE(tmxhost::HasTrace(
        " CCallRegMgr::CreateRegisterFile: RegLoad() is failed for creating \n", kSetting));
    tmxhost::TakeTraces();
    EXPECT_EQ(CallCommonSvcRegGetInt(kSet, "CALL_REG_KEY_PREFIX_DIALLING_SELECTED_ITEM"), 0);
    EXPECT_EQ(CallCommonSvcRegSetInt(kSet, "CALL_REG_KEY_ANSWERING_MODE_ANY_KEY", 1), 0);
    EXPECT_EQ(TraceTexts(kFail),
              (std::vector<std::string>{
                  kOpenFailed, "CCallRegMgr::CallRegGetInt: RegLoad() is failed\n", kOpenFailed,
                  "CCallRegMgr::CallRegSetInt: RegLoad() is failed\n"}));
}
