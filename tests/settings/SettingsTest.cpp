// The settings file "CallReg.ini": creation and the version rule at start-up, typed access, the
// alerts-on-call pair, platform failures, awkward input, damaged files and killed writers.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <random>
#include <sstream>

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
const char kFlushFailed[] = " CCallRegMgr::CloseRegisterFile: RegFlush() is failed for creating \n";

// The file as "[section] key=value" lines, in file order.
std::vector<std::string> FileLines() {
    std::vector<tmxhost::RegistryEntry> entries;
    std::vector<std::string> lines;
    tmxhost::ReadRegistry(kFile, entries);
    for (const tmxhost::RegistryEntry& e : entries) {
        lines.push_back("[" + e.section + "] " + e.key + "=" + e.value);
    }
    return lines;
}

// The file's settings by key (no key is in two sections).
std::map<std::string, std::string> Contents() {
    std::vector<tmxhost::RegistryEntry> entries;
    tmxhost::ReadRegistry(kFile, entries);
    std::map<std::string, std::string> contents;
    for (const tmxhost::RegistryEntry& e : entries) {
        contents[e.key] = e.value;
    }
    return contents;
}

// A new file: every default in the order written, the VideoCall section last.
std::vector<std::string> FreshFile() {
    std::vector<std::string> lines = {"[Version] Version=10", "[CallSetting] Value=1"};
    std::istringstream settings(
        "REJECT_MSG_USER1=CALL_REG_MGR_REJECT_MSG_INIT_DEFAULT_VAL_1 "
        "REJECT_MSG_USER2=CALL_REG_MGR_REJECT_MSG_INIT_DEFAULT_VAL_2 "
        "REJECT_MSG_USER3=CALL_REG_MGR_REJECT_MSG_INIT_DEFAULT_VAL_3 "
        "REJECT_MSG_USER4=CALL_REG_MGR_REJECT_MSG_INIT_DEFAULT_VAL_4 "
        "REJECT_MSG_USER5=CALL_REG_MGR_REJECT_MSG_INIT_DEFAULT_VAL_5 PREFIX_DIALLING_1= "
        "PREFIX_DIALLING_2= PREFIX_DIALLING_3= PREFIX_DIALLING_4= PREFIX_DIALLING_5= "
        "PREFIX_DIALLING_ON_OFF=0 PREFIX_DIALLING_SELECTED_ITEM=-1 ALERTS_ON_CALL=0 "
        "ANSWERING_MODE_ANY_KEY=0 ANSWERING_MODE_AUTOMATIC=0 FAKE_CALL_NAME= "
        "FAKE_CALL_CALLER_IMAGE= VIDEO_CALL_SCREEN_SIZE=1 VIDEO_CALL_VIEWING_STYLE=1 "
        "INCOMING_CALL_BG=4278190080 FAKE_CALL_NUM= ANSWERING_MODE_SLIDE_UP=1 "
        "ANSWERING_MODE_ACTIVE_FLIP=0 DIVERTING_NUMBER1= DIVERTING_NUMBER2= DIVERTING_NUMBER3= "
        "VD_PRESET_IMAGE=");
    for (std::string setting; settings >> setting;) {
        lines.push_back("[CallSetting] CALL_REG_KEY_" + setting);
    }
    lines.push_back("[VideoCall] CALL_REG_KEY_VIDEO_CALL_CAPTURE_FRAME=0");
    return lines;
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

}  // namespace

TEST_F(SettingsStartup, MissingFileIsCreatedAndOnlyAReadableFileOfTheCurrentVersionIsKept) {
    Load();
    EXPECT_TRUE(tmxhost::HasTrace(
        " CCallRegMgr::CreateRegisterFile: RegLoad() is success for creating \n", kSetting));
    EXPECT_EQ(FileLines(), FreshFile());
    Unload();

    std::mt19937 random(20240601);
    std::string noise(1 << 16, '\0');
    std::generate(noise.begin(), noise.end(), [&] { return static_cast<char>(random()); });
    const std::string mine = "[Mine]\nNote=mine\n";
    const std::string files[] = {"[Version]\nVersion=10\n" + mine,  // the only one kept
                                 "[Version]\nVersion=9\n" + mine,
                                 "[Version]\nVersion=11\n" + mine,
                                 "",
                                 noise,
                                 "[Version]\nVersion=1" + std::string(1, '\0') + "0\n",
                                 "[Version]\n" + std::string(1 << 20, 'x') + "\n",
                                 "[Version]\nVersion=10x\n",
                                 "[Version]\nVersion=4294967306\n",
                                 "[Version]\nVersion=1\\q0\n"};
    const std::string backup = tmxhost::RegistryPath(kFile) + ".bak";
    for (const std::string& bytes : files) {
        SCOPED_TRACE(bytes.substr(0, 40));
        const bool kept = &bytes == &files[0];
        std::ofstream(tmxhost::RegistryPath(kFile), std::ios::binary | std::ios::trunc) << bytes;
        tmxhost::ClearCalls();
        Load();
        EXPECT_TRUE(tmxhost::HasTrace(
            kept ? "CCallRegMgr::Init: RegUnload() succeeded\n"
                 : "CCallRegMgr::Init: version is different. re-create ini file !!!! \n",
            kSetting));
        // The kept file only gets its missing settings; a replaced one is kept as a backup.
        EXPECT_EQ(tmxhost::CallTexts({"RegClean", "RegFlush"}).size(), kept ? 1u : 2u);
        EXPECT_EQ(GetString("Mine", "Note"), kept ? "mine" : "");
        std::vector<std::string> lines = FreshFile();
        if (kept) {
            lines.insert(lines.begin() + 1, "[Mine] Note=mine");
            lines.erase(lines.begin() + 2);  // no "Value=1": the section body is not a setting
        }
        EXPECT_EQ(FileLines(), lines);
        std::ifstream saved(backup, std::ios::binary);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(saved), {}), kept ? "" : bytes);
        EXPECT_EQ(tmxhost::TakeRegistryBackups(),
                  kept ? std::vector<std::string>{} : std::vector<std::string>{backup});
        std::filesystem::remove(backup);
        Unload();
        tmxhost::TakeTraces();
    }
    tmxhost::FailCall("RegUnload", 0);
    Load();
    EXPECT_TRUE(tmxhost::HasTrace("CCallRegMgr::Init: RegUnload() failed\n", kFail));
    ReleaseHandles();
}

TEST_F(SettingsStartup, WithoutTheFileOrTheLibraryEveryOperationFailsAndTouchesNothing) {
    char buffer[8] = "keep";
    const std::pair<std::function<long long()>, const char*> ops[] = {
        {[] { return CallCommonSvcRegSetInt(kSet, "K", 1); }, "CallRegSetInt"},
        {[] { return CallCommonSvcRegGetInt(kSet, "K"); }, "CallRegGetInt"},
        {[] { return CallCommonSvcRegSetUint64(kSet, "K", 1); }, "CallRegSetUint64"},
        {[] { return CallCommonSvcRegGetUint64(kSet, "K"); }, "CallRegGetUint64"},
        {[] { return CallCommonSvcRegSetString(kSet, "K", "v"); }, "CallRegSetString"},
        {[&] { return CallCommonSvcRegGetString(kSet, "K", buffer, 8); }, "CallRegGetString"},
        {[] { return CallCommonSvcRegSetStringEx(kSet, "K", "v"); }, "CallRegSetStringEx"},
        {[&] { return CallCommonSvcRegGetStringEx(kSet, "K", buffer, 8); }, "CallRegGetStringEx"},
        {[] { return CallCommonSvcRegSetAlertsOnCallType(1); }, "CallRegSetInt"},
        {[] { return CallCommonSvcRegGetAlertsOnCallType(); }, "CallRegGetInt"}};
    // A file whose creation failed, or whose first flush did, is not there at all.
    for (const char* fault : {"RegLoad", "RegFlush"}) {
        SCOPED_TRACE(fault);
        tmxhost::TakeTraces();
        const bool create = std::string(fault) == "RegLoad";
        tmxhost::FailCall(fault, create ? -1 : 0, 1, create ? 2 : 1);
        Load();
        EXPECT_TRUE(tmxhost::HasTrace(
            create ? " CCallRegMgr::CreateRegisterFile: RegLoad() is failed for creating \n"
                   : kFlushFailed,
            kSetting));
        EXPECT_FALSE(std::filesystem::exists(tmxhost::RegistryPath(kFile)));
        EXPECT_EQ(TraceTexts(kFail), std::vector<std::string>{kOpenFailed});
        for (const auto& [run, name] : ops) {
            tmxhost::TakeTraces();
            EXPECT_EQ(run(), 0) << name;
            EXPECT_EQ(TraceTexts(kFail),
                      (std::vector<std::string>{kOpenFailed, std::string("CCallRegMgr::") + name +
                                                                 ": RegLoad() is failed\n"}));
        }
        Unload();
    }
    // Unloaded, each function reports the missing instance once and returns 0.
    tmxhost::ClearCalls();
    for (const auto& [run, name] : ops) {
        EXPECT_EQ(run(), 0) << name;
        ExpectReports({"pCCallRegMgr != NULL"});
    }
    EXPECT_TRUE(tmxhost::CallTexts({"RegLoad"}).empty());
    EXPECT_STREQ(buffer, "keep");
}

TEST_F(SettingsAccess, ValuesRoundTripAcrossAReloadAndOnlySetsAndStringReadsFlush) {
    tmxhost::ClearCalls();
    tmxhost::TakeTraces();
    ASSERT_EQ(CallCommonSvcRegSetInt(kSet, "Count", -7), 1);
    ASSERT_EQ(CallCommonSvcRegGetInt(kSet, "Count"), -7);
    const std::string h = tmxhost::Calls().at(1).args.at(0);
    const std::string g = tmxhost::Calls().at(5).args.at(0);
    const std::string closed =
        " CCallRegMgr::CloseRegisterFile: RegUnload() is success for creating \n";
    EXPECT_EQ(
        TraceTexts(kSetting),
        (std::vector<std::string>{
            " CCallRegMgr::CallRegSetInt: szSection(CallSetting), szKey(Count), value(-7) \n",
            " CCallRegMgr::CloseRegisterFile: hReg(" + h + "), bFlush(1) \n", closed,
            " CCallRegMgr::CallRegGetInt: szSection(CallSetting), szKey(Count), nReturn(-7) \n",
            " CCallRegMgr::CloseRegisterFile: hReg(" + g + "), bFlush(0) \n", closed}));
    EXPECT_TRUE(TraceTexts(kFail).empty());

    std::string big(1 << 20, 'v');
    big[0] = '=';
    big[4096] = '\n';
    big.back() = '\\';
    const std::pair<std::string, std::string> texts[] = {{"Name", " two  words "},
                                                         {"a=b", "x=y=z"},
                                                         {"[sec]", "[v]"},
                                                         {"k", big},
                                                         {"line\nbreak", "one\ntwo\r\n"},
                                                         {"back\\slash", "c:\\dir\\"},
                                                         {"\\n", "\\=\\["}};
    for (const auto& [key, value] : texts) {
        EXPECT_EQ(CallCommonSvcRegSetString(kSet, key.c_str(), value.c_str()), 1) << key;
        EXPECT_EQ(CallCommonSvcRegSetStringEx("Odd]Sec[=", key.c_str(), value.c_str()), 1) << key;
    }
    EXPECT_EQ(CallCommonSvcRegSetInt(kSet, "Min", INT_MIN), 1);
    EXPECT_EQ(CallCommonSvcRegSetInt(kSet, "Max", INT_MAX), 1);
    EXPECT_EQ(CallCommonSvcRegSetUint64("VideoCall", "Big", ULLONG_MAX), 1);
    // The reload must take the file as it is.
    Unload();
    tmxhost::ClearCalls();
    Load();
    EXPECT_TRUE(tmxhost::CallTexts({"RegClean", "RegFlush"}).empty());
    for (const auto& [key, value] : texts) {
        EXPECT_EQ(GetString(kSet, key.c_str()), value) << key;
        EXPECT_EQ(GetString("Odd]Sec[=", key.c_str(), true), value) << key;
    }
    EXPECT_EQ(CallCommonSvcRegGetInt(kSet, "Min"), INT_MIN);
    EXPECT_EQ(CallCommonSvcRegGetInt(kSet, "Max"), INT_MAX);
    EXPECT_EQ(CallCommonSvcRegGetUint64("VideoCall", "Big"), ULLONG_MAX);
    EXPECT_EQ(CallCommonSvcRegGetInt(kSet, "Never"), 0);
    EXPECT_EQ(CallCommonSvcRegGetUint64("NoSection", "Never"), 0ULL);
    EXPECT_EQ(tmxhost::CallTexts({"RegFlush"}).size(), 2 * std::size(texts));  // string reads only
    EXPECT_EQ(tmxhost::CallTexts({"RegGetStringEx"}).size(), std::size(texts));
    EXPECT_EQ(GetString(kSet, "Never") + GetString("NoSection", "Never", true), "");
    // A short buffer gets a terminated prefix and nothing past its size.
    char buffer[8] = {'x', 'x', 'x', 'x', 'x', 'x', 'x', 'x'};
    EXPECT_EQ(CallCommonSvcRegGetString(kSet, "Name", buffer, 4), 1);
    EXPECT_EQ(std::string(buffer, 8), std::string(" tw\0xxxx", 8));
}

TEST_F(SettingsAccess, AlertsOnCallTypeIsTracedAndAStoredValueOutOfRangeIsReported) {
    EXPECT_EQ(CallCommonSvcRegSetAlertsOnCallType(0), 1);
    EXPECT_EQ(CallCommonSvcRegSetAlertsOnCallType(1), 1);
    EXPECT_TRUE(tmxhost::HasTrace("CallCommonSvcRegSetAlertsOnCallType: iAlertsOnCallType (1)\n",
                                  kSetting));
    EXPECT_EQ(CallCommonSvcRegGetAlertsOnCallType(), 1);
    EXPECT_TRUE(tmxhost::HasTrace("CallCommonSvcRegGetAlertsOnCallType: iAlertsOnCallType (1)\n",
                                  kSetting));
    ASSERT_EQ(CallCommonSvcRegSetInt(kSet, "CALL_REG_KEY_ALERTS_ON_CALL", 5), 1);
    EXPECT_EQ(CallCommonSvcRegGetAlertsOnCallType(), 5);
    ExpectReports({kAlertsRange});
}

TEST_F(SettingsAccess, BadArgumentsAreReportedAndTouchNothing) {
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
        {[] { return CallCommonSvcRegSetAlertsOnCallType(2); }, kAlertsRange},
        {[] { return CallCommonSvcRegSetAlertsOnCallType(-1); }, kAlertsRange},
        {[] { return CallCommonSvcRegSetAlertsOnCallType(INT_MIN); }, kAlertsRange}};
    for (const auto& [run, report] : cases) {
        EXPECT_EQ(run(), 0) << report;
        ExpectReports({report});
    }
    EXPECT_STREQ(buffer, "keep");
    EXPECT_TRUE(tmxhost::CallTexts({"RegLoad"}).empty());
}

TEST_F(SettingsAccess, EveryFailedCallOfABatchOfSetsFailsThatSetAndLeavesAnIntactFile) {
    // One save of several settings, as a settings screen does it.
    const char* keys[] = {"CALL_REG_KEY_ANSWERING_MODE_ANY_KEY", "CALL_REG_KEY_FAKE_CALL_NAME",
                          "CALL_REG_KEY_INCOMING_CALL_BG", "CALL_REG_KEY_VD_PRESET_IMAGE"};
    auto batch = [&](int gen) {
        const std::string text = "text-" + std::to_string(gen);
        return std::vector<int>{CallCommonSvcRegSetInt(kSet, keys[0], gen),
                                CallCommonSvcRegSetString(kSet, keys[1], text.c_str()),
                                CallCommonSvcRegSetUint64(kSet, keys[2], gen * 1000ULL),
                                CallCommonSvcRegSetStringEx(kSet, keys[3], text.c_str())};
    };
    ASSERT_EQ(batch(1), std::vector<int>(4, 1));
    const std::map<std::string, std::string> one = Contents();
    tmxhost::ClearCalls();
    batch(2);
    const std::map<std::string, std::string> two = Contents();
    const std::vector<tmxhost::Call> log = tmxhost::Calls();
    std::string calls;  // each set through the platform call of its type
    for (const tmxhost::Call& call : log) {
        calls += call.name.substr(3) + " ";
    }
    ASSERT_EQ(calls,
              "Load SetInt Flush Unload Load SetString Flush Unload Load SetUint64 Flush "
              "Unload Load SetStringEx Flush Unload ");
    const size_t blocks = tmxhost::LiveBlocks().size();
    for (size_t n = 0; n < log.size(); ++n) {
        const std::string& name = log[n].name;
        SCOPED_TRACE(name + " at " + std::to_string(n));
        ASSERT_EQ(batch(1), std::vector<int>(4, 1));
        tmxhost::FailCall(name, name == "RegLoad" ? -1 : 0,
                          std::count_if(log.begin(), log.begin() + n + 1,
                                        [&](const tmxhost::Call& c) { return c.name == name; }));
        const std::vector<int> results = batch(2);
        ReleaseHandles();
        tmxhost::ClearFaults();
        EXPECT_EQ(tmxhost::LiveBlocks().size(), blocks);
        // Only the set that met the failure says so, and only when it left the old value: a
        // failure to release the file after the flush does not unsave the value.
        std::vector<int> expected(4, 1);
        expected[n / 4] = name == "RegUnload" ? 1 : 0;
        EXPECT_EQ(results, expected);
        std::map<std::string, std::string> file = two;
        if (name != "RegUnload") {
            file[keys[n / 4]] = one.at(keys[n / 4]);
        }
        EXPECT_EQ(Contents(), file);
    }
    // A string read does not fail with its flush.
    tmxhost::FailCall("RegFlush", 0);
    EXPECT_EQ(GetString(kSet, keys[1]), "text-2");
    tmxhost::FailCall("RegUnload", 0);
    EXPECT_EQ(CallCommonSvcRegSetAlertsOnCallType(1), 1);
    ReleaseHandles();
    EXPECT_EQ(Contents().at("CALL_REG_KEY_ALERTS_ON_CALL"), "1");
}

TEST_F(SettingsStartup, ADamagedLineLosesNothingAndMissingSettingsComeBackWithDefaults) {
    Load();
    ASSERT_EQ(CallCommonSvcRegSetString(kSet, "CALL_REG_KEY_DIVERTING_NUMBER2", "0044") +
                  CallCommonSvcRegSetInt(kSet, "CALL_REG_KEY_ANSWERING_MODE_SLIDE_UP", 0) +
                  CallCommonSvcRegSetString(kSet, "Mine", "kept"),
              3);
    Unload();
    const std::map<std::string, std::string> before = Contents();
    // A broken header in the middle, and one setting of each type gone.
    const std::string gone[] = {"CALL_REG_KEY_REJECT_MSG_USER2",
                                "CALL_REG_KEY_PREFIX_DIALLING_SELECTED_ITEM",
                                "CALL_REG_KEY_VIDEO_CALL_CAPTURE_FRAME"};
    std::ifstream in(tmxhost::RegistryPath(kFile), std::ios::binary);
    std::string damaged, line;
    std::vector<std::string> expected;
    while (std::getline(in, line)) {
        const std::string key = line.substr(0, line.find('='));
        damaged += key == "CALL_REG_KEY_FAKE_CALL_NAME" ? "[Broken\n" : "";
        if (std::find(std::begin(gone), std::end(gone), key) == std::end(gone)) {
            damaged += line + "\n";
        } else {
            expected.push_back("CCallRegMgr::Init: key " + key + " missing, default restored\n");
        }
    }
    std::ofstream(tmxhost::RegistryPath(kFile), std::ios::binary | std::ios::trunc) << damaged;
    tmxhost::TakeTraces();
    Load();
    std::vector<std::string> traces;
    for (const std::string& trace : TraceTexts(kSetting)) {
        if (trace.find("default restored") != std::string::npos) {
            traces.push_back(trace);
        }
    }
    EXPECT_EQ(traces, expected);
    EXPECT_TRUE(tmxhost::CallTexts({"RegClean"}).empty());
    EXPECT_EQ(Contents(), before);
    EXPECT_EQ(CallCommonSvcRegGetInt(kSet, "CALL_REG_KEY_PREFIX_DIALLING_SELECTED_ITEM"), -1);
}

namespace {

const char kCounter[] = "CALL_REG_KEY_ANSWERING_MODE_ANY_KEY";
const char kText[] = "CALL_REG_KEY_FAKE_CALL_NAME";

// Saves a counter, then a text made from it, over and over, telling `progress` after each pair.
// It carries on from the saved text, so the text always belongs to the counter or the one before.
[[noreturn]] void RunWriter(int progress) {
    CallCommonSvcDispatch(0);
    for (int i = std::atoi(GetString(kSet, kText).c_str() + 6) + 1;; ++i) {
        CallCommonSvcRegSetInt(kSet, kCounter, i);
        CallCommonSvcRegSetString(kSet, kText, ("value-" + std::to_string(i)).c_str());
        (void)!write(progress, "s", 1);
    }
}

class SettingsCrash : public HostTest {};

}  // namespace

TEST_F(SettingsCrash, ConcurrentProcessesLoseNoSavedValueAndReadersSeeWholeFiles) {
    // Six writers start on an empty folder, each saving its own key 50 times; a seventh process
    // reads meanwhile. Each exits with the number of its failed calls.
    const int kWriters = 6, kSaves = 50;
    std::vector<pid_t> children;
    for (int n = 0; n <= kWriters; ++n) {
        const pid_t child = fork();
        if (child == 0) {
            CallCommonSvcDispatch(0);
            int failed = 0;
            const std::string key = "Writer" + std::to_string(n);
            for (int i = 1; i <= kSaves; ++i) {
                if (n == kWriters) {
                    failed += CallCommonSvcRegGetInt("Version", "Version") != 10 ||
                              GetString(kSet, "CALL_REG_KEY_REJECT_MSG_USER5") !=
                                  "CALL_REG_MGR_REJECT_MSG_INIT_DEFAULT_VAL_5";
                } else {
                    failed += CallCommonSvcRegSetInt("Test", key.c_str(), i) != 1;
                }
            }
            _exit(failed);
        }
        children.push_back(child);
    }
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
    }
    std::map<std::string, std::string> contents = Contents();
    for (int n = 0; n < kWriters; ++n) {
        EXPECT_EQ(contents["Writer" + std::to_string(n)], std::to_string(kSaves)) << n;
        contents.erase("Writer" + std::to_string(n));
    }
    EXPECT_EQ(contents.size(), 30u);  // every default there too
}

TEST_F(SettingsCrash, KilledWriterLeavesTheOldOrTheNewFile) {
    using namespace std::chrono;
    // A complete file to start from; one timed save tells how long saving takes here.
    Load();
    const auto before = steady_clock::now();
    ASSERT_EQ(CallCommonSvcRegSetString(kSet, kText, "value-0"), 1);
    const long long save = duration_cast<microseconds>(steady_clock::now() - before).count();
    Unload();
    const std::map<std::string, std::string> initial = Contents();
    ASSERT_EQ(initial.size(), 30u);

    // Each writer is killed after 0 or 1 pairs of saves and a random delay of up to 3 ms, or of
    // up to one save where saving is slower, so that kills fall anywhere inside a save.
    std::mt19937 random(7);
    std::uniform_int_distribution<long long> delay(0, std::max(3000LL, save));
    const auto start = steady_clock::now();
    int last = 0;
    for (int kills = 0; kills < 200 || steady_clock::now() - start < seconds(2); ++kills) {
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        const pid_t child = fork();
        if (child == 0) {
            close(fds[0]);
            RunWriter(fds[1]);
        }
        close(fds[1]);
        char done;
        if (random() % 2 == 1) {
            (void)!read(fds[0], &done, 1);
        }
        usleep(static_cast<useconds_t>(delay(random)));
        kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        close(fds[0]);
        ASSERT_TRUE(WIFSIGNALED(status)) << "writer ended by itself with " << status;

        // Every other setting as it was; the counter and the text as a pair.
        std::map<std::string, std::string> now = Contents();
        const std::string counter = now[kCounter], text = now[kText];
        now[kCounter] = initial.at(kCounter);
        now[kText] = initial.at(kText);
        ASSERT_EQ(now, initial) << "after kill " << kills;
        const int n = std::atoi(counter.c_str());
        ASSERT_TRUE(std::to_string(n) == counter &&
                    (text == "value-" + counter || text == "value-" + std::to_string(n - 1)))
            << "counter '" << counter << "' with text '" << text << "' after kill " << kills;
        ASSERT_GE(n, last) << "a saved value went back after kill " << kills;
        last = n;
    }
    EXPECT_GT(last, 0) << "no writer ever finished a save";
    // The library takes the file as it is.
    tmxhost::ClearCalls();
    Load();
    EXPECT_TRUE(tmxhost::CallTexts({"RegClean"}).empty());
    EXPECT_EQ(CallCommonSvcRegGetInt(kSet, kCounter), last);
}
