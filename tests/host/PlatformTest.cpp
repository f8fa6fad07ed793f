// The host platform itself: the tracking heap, fault injection, the call log, bounded string
// operations, traces, and window-manager and hard timers on the virtual clock.
#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "CallCommonSvc/Platform/TmxCore.h"
#include "support/HostTest.h"

using ::testing::ElementsAre;

namespace {

using HostPlatform = HostTest;

const char kFile[] = "PlatformTest";

// Live blocks as "path:line/size", oldest first.
std::vector<std::string> Origins() {
    std::vector<std::string> origins;
    for (const tmxhost::Block& b : tmxhost::LiveBlocks()) {
        origins.push_back(b.path + ":" + std::to_string(b.line) + "/" + std::to_string(b.size));
    }
    return origins;
}

TEST_F(HostPlatform, HeapLiveBlocksKeepTheirOriginAndBadFreesAreRecorded) {
    tmxhost::FailCall("MemAllocTraceEx", 0, 2);
    void* a = MemAllocTraceEx(0, 10, "Dir\\a.c", 11);
    EXPECT_EQ(MemAllocTraceEx(0, 10, "failed.c", 1), nullptr);
    auto* b = static_cast<unsigned char*>(MemCallocTraceEx(0, 4, 8, "b.c", 22));
    auto* c = static_cast<char*>(MemReAllocTraceEx(0, nullptr, 6, "c.c", 33));
    ASSERT_TRUE(a != nullptr && b != nullptr && c != nullptr);
    std::memcpy(c, "hello", 6);
    c = static_cast<char*>(MemReAllocTraceEx(0, c, 1 << 20, "grow.c", 44));
    EXPECT_STREQ(c, "hello");
    c[(1 << 20) - 1] = 'x';
    EXPECT_EQ(b[0] | b[31], 0);
    EXPECT_THAT(Origins(), ElementsAre("Dir\\a.c:11/10", "b.c:22/32", "c.c:33/1048576"));
    int local = 0;
    EXPECT_EQ(_MemIsHeapAddr(a) + _MemIsHeapAddr(b), 2);
    EXPECT_EQ(_MemIsHeapAddr(b + 1) + _MemIsHeapAddr(&local) + _MemIsHeapAddr(nullptr), 0);
    MemFreeTraceMultiHeap(a, "a.c", 12);
    MemFreeTraceMultiHeap(nullptr, "a.c", 13);  // freeing null is allowed
    MemFreeTraceMultiHeap(a, "a.c", 14);
    MemFreeTraceMultiHeap(&local, "l.c", 15);
    EXPECT_EQ(MemReAllocTraceEx(0, &local, 16, "l.c", 16), nullptr);
    EXPECT_THAT(tmxhost::BadFrees(), ElementsAre("a.c:14", "l.c:15", "l.c:16"));
    EXPECT_THAT(Origins(), ElementsAre("b.c:22/32", "c.c:33/1048576"));
    MemFreeTraceMultiHeap(b, "b.c", 17);
    MemFreeTraceMultiHeap(c, "c.c", 18);
    tmxhost::Reset();  // forgets the bad frees
}

// RegGetInt on a handle that is not open only returns its default: a probe without effects.
std::vector<int> Probes(int count) {
    std::vector<int> results(count);
    std::generate(results.begin(), results.end(), [] { return RegGetInt(99, "s", "k", -5); });
    return results;
}

TEST_F(HostPlatform, FaultRulesCountTheCallsMadeSinceTheyWereSetAndFailedCallsAreLogged) {
    Probes(3);
    tmxhost::FailCall("RegGetInt", 42, 2, 2);
    EXPECT_THAT(Probes(5), ElementsAre(-5, 42, 42, -5, -5));
    tmxhost::FailCall("RegGetInt", 1, 1);  // set together, each counts on its own
    tmxhost::FailCall("RegGetInt", 3, 3);
    EXPECT_THAT(Probes(4), ElementsAre(1, -5, 3, -5));
    tmxhost::FailCall("RegGetInt", 7, 1, -1);
    EXPECT_THAT(Probes(100), ::testing::Each(7));
    tmxhost::ClearFaults();
    tmxhost::FailCall("RegGetInt", 1, 0);     // there is no 0th call
    tmxhost::FailCall("RegGetInt", 1, 1, 0);  // nor zero failures
    tmxhost::FailCall("RegLoad", 0);
    EXPECT_THAT(Probes(1), ElementsAre(-5));
    EXPECT_EQ(RegLoad("x.ini", 1), 0);
    char buffer[8];
    RegGetString(3, "Sec", nullptr, "dflt", buffer, 8);
    EXPECT_THAT(
        tmxhost::CallTexts({"RegGetString", "RegLoad"}),
        ElementsAre("RegLoad(\"x.ini\", 1)", "RegGetString(3, \"Sec\", NULL, \"dflt\", 8)"));
}

TEST_F(HostPlatform, AcStringWritesStayWithinTheCapacityAndNullReadsAsEmpty) {
    const char *text = "0123456789abcdef", *null = nullptr;
    std::string guarded[10];  // eight bytes written to ('Z' unless set) between eight '#' each side
    std::fill_n(guarded, 10, std::string(8, '#') + std::string(8, 'Z') + std::string(8, '#'));
    auto d = [&guarded](int i) { return &guarded[i][8]; };
    std::memcpy(d(2), "ab", 3);
    AcStrcpyEx(d(0), 8, text, kFile, 1);
    AcStrncpyEx(d(1), 8, text, 3, kFile, 1);
    AcStrcatEx(d(2), 8, text, kFile, 1);
    AcStrcatEx(d(3), 8, text, kFile, 1);  // the destination has no terminator
    AcMemsetEx(d(4), 8, 'x', 99, kFile, 1);
    AcMemcpyEx(d(5), 5, text, 16, kFile, 1);
    EXPECT_EQ(AcSprintfSEx(d(6), 8, kFile, 1, "%s-%d", "abc", 12345), 7);
    EXPECT_EQ(AcSprintfSEx(d(7), 0, kFile, 1, "x"), -1);
    AcStrcatEx(AcStrcpySEx(d(7), 0, text, kFile, 1), 0, text, kFile, 1);
    AcStrcpyEx(d(8), 8, null, kFile, 1);
    EXPECT_EQ(AcSprintfSEx(d(9), 8, kFile, 1, null), -1);
    const char* expected[] = {"0123456\0", "012\0ZZZZ", "ab01234\0", "ZZZZZZZ\0", "xxxxxxxx",
                              "01234ZZZ",  "abc-123\0", "ZZZZZZZZ",  "\0ZZZZZZZ", "\0ZZZZZZZ"};
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(guarded[i], "########" + std::string(expected[i], 8) + "########") << i;
    }
    EXPECT_EQ(AcStrcpyEx(nullptr, 8, "x", kFile, 1), nullptr);
    EXPECT_EQ(AcStrlen(null) + AcStrcmp(null, "") + AcStricmp(null, null), 0);
    EXPECT_EQ(AcAtoi("2147483648"), INT_MAX);
    EXPECT_EQ(AcAtoi("-99999999999999999999999"), INT_MIN);
    EXPECT_EQ(AcAtoi("  -42xyz") + AcAtoi("abc") + AcAtoi(nullptr), -42);
}

TEST_F(HostPlatform, TraceLinesAreRecordedAndPrintedWhenTheirChannelIsChosen) {
    if (std::getenv("TMXHOST_TRACE_FILE") != nullptr) {
        GTEST_SKIP() << "lines go to a file in this environment";
    }
    auto print = [](unsigned channel) { SysDebugPrintf(channel, "%x ", channel); };
    std::string error;
    ::testing::internal::CaptureStderr();
    EXPECT_TRUE(tmxhost::SetTracePrint("0xBA,0x200E6", &error));
    print(TMX_DBG_FAIL), print(TMX_DBG_INFO), print(TMX_DBG_CALL);
    EXPECT_FALSE(tmxhost::SetTracePrint("0xE6,0xZZ", &error));
    print(TMX_DBG_INFO), print(TMX_DBG_FAIL);  // the previous choice is kept
    EXPECT_TRUE(tmxhost::SetTracePrint("all"));
    print(TMX_DBG_INFO);
    EXPECT_TRUE(tmxhost::SetTracePrint(""));
    print(TMX_DBG_FAIL);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "ba 200e6 ba e6 ");
    EXPECT_THAT(error, ::testing::HasSubstr("0xZZ"));
    EXPECT_EQ(tmxhost::Traces().size(), 7u);  // printed or not, every line is recorded
    const char* initial = std::getenv("TMXHOST_TRACE");
    tmxhost::SetTracePrint(initial != nullptr ? initial : "");
}

std::vector<std::string> g_fired;  // expiries as "param@time"

void Record(int, unsigned long param) {
    g_fired.push_back(std::to_string(param) + "@" + std::to_string(tmxhost::Now()));
}

TEST_F(HostPlatform, TimerExpiryFollowsDueTimeThenArmingOrderAndKindsDoNotMix) {
    g_fired.clear();
    int a = __WmCreateTimer("a", kFile, 0), b = WmCreateHardTimer("b");
    int c = __WmCreateTimer("c", kFile, 0), d = WmCreateHardTimer("d");
    EXPECT_EQ(WmStartTimer(b, 5, Record, 1) + WmStartHardTimer(a, 5, Record, 1) + WmCancelTimer(b) +
                  WmCancelHardTimer(a) + __WmDeleteTimer(b, kFile, 0) +
                  __WmDeleteHardTimer(a, kFile, 0) + WmStartTimer(a, 5, nullptr, 1),
              0);
    WmStartTimer(a, 20, Record, 1);
    WmStartHardTimer(b, 10, Record, 2);
    WmStartTimer(c, 20, Record, 3);
    WmStartHardTimer(d, 20, Record, 4);
    tmxhost::Advance(5);
    WmStartTimer(a, 15, Record, 1);  // re-armed: due as before, but armed last
    tmxhost::Advance(14);
    EXPECT_THAT(g_fired, ElementsAre("2@10"));
    EXPECT_EQ(WmIsTimerActive(a) + WmIsTimerActive(d), 1);
    tmxhost::Advance(1);
    tmxhost::Advance(-5);
    EXPECT_THAT(g_fired, ElementsAre("2@10", "3@20", "4@20", "1@20"));
    EXPECT_EQ(tmxhost::Now(), 20);
    EXPECT_EQ(__WmDeleteTimer(a, kFile, 0) + __WmDeleteHardTimer(b, kFile, 0) +
                  __WmDeleteTimer(c, kFile, 0) + __WmDeleteHardTimer(d, kFile, 0),
              4);
    EXPECT_EQ(WmStartTimer(a, 5, Record, 1), 0);
}

int g_stopped, g_doomed, g_spawned, g_rounds;

// First expiry: cancels a timer due at the same moment, deletes a later one, starts a new one
// and re-arms itself. Second expiry: deletes itself.
void Busy(int hTimer, unsigned long param) {
    Record(hTimer, param);
    if (++g_rounds == 1) {
        WmCancelTimer(g_stopped);
        __WmDeleteHardTimer(g_doomed, kFile, 0);
        WmStartTimer(g_spawned = __WmCreateTimer("spawned", kFile, 0), 5, Record, 9);
        WmStartTimer(hTimer, 0, Busy, param);
    } else {
        __WmDeleteTimer(hTimer, kFile, 0);
    }
}

TEST_F(HostPlatform, TimerCallbacksMayRearmCancelAndDeleteTimersDuringAdvance) {
    g_fired.clear();
    g_rounds = 0;
    const int far = __WmCreateTimer("far", kFile, 0);  // due past the end of the clock
    WmStartTimer(__WmCreateTimer("busy", kFile, 0), 10, Busy, 1);
    WmStartTimer(g_stopped = __WmCreateTimer("stopped", kFile, 0), 10, Record, 2);
    WmStartHardTimer(g_doomed = WmCreateHardTimer("doomed"), 12, Record, 3);
    tmxhost::Advance(5);
    ASSERT_EQ(WmStartTimer(far, ULONG_MAX, Record, 4), 1);
    tmxhost::RunFor(95);  // on the virtual clock, the same as Advance
    EXPECT_THAT(g_fired, ElementsAre("1@10", "1@11", "9@15"));  // a zero period waits one tick
    EXPECT_EQ(tmxhost::Timers().size(), 3u);
    EXPECT_EQ(WmIsTimerActive(g_stopped) + WmIsTimerActive(g_spawned), 0);
    EXPECT_EQ(__WmDeleteTimer(g_stopped, kFile, 0) + __WmDeleteTimer(g_spawned, kFile, 0) +
                  __WmDeleteTimer(far, kFile, 0),
              3);
}

}  // namespace
