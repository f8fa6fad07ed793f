// Window-manager and hard timers on the virtual clock.
#include <climits>

#include "CallCommonSvc/Platform/TmxCore.h"
#include "support/HostTest.h"

using ::testing::ElementsAre;

namespace {

const char kFile[] = "TimerTest";

// Expiries as "param@time".
std::vector<std::string> g_fired;

void Record(int, unsigned long param) {
    g_fired.push_back(std::to_string(param) + "@" + std::to_string(tmxhost::Now()));
}

class HostTimers : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        g_fired.clear();
    }
};

TEST_F(HostTimers, ExpiryFollowsDueTimeThenArmingOrder) {
    int a = __WmCreateTimer("a", kFile, __LINE__), b = WmCreateHardTimer("b");
    int c = __WmCreateTimer("c", kFile, __LINE__), d = WmCreateHardTimer("d");
    WmStartTimer(a, 20, Record, 1);
    WmStartHardTimer(b, 10, Record, 2);
    WmStartTimer(c, 20, Record, 3);
    WmStartHardTimer(d, 20, Record, 4);
    tmxhost::Advance(5);
    WmStartTimer(a, 15, Record, 1);  // re-armed: due as before, but armed last
    tmxhost::Advance(14);
    EXPECT_THAT(g_fired, ElementsAre("2@10"));
    tmxhost::Advance(1);
    EXPECT_THAT(g_fired, ElementsAre("2@10", "3@20", "4@20", "1@20"));
    tmxhost::Advance(-5);
    EXPECT_EQ(tmxhost::Now(), 20);
    EXPECT_EQ(__WmDeleteTimer(a, kFile, 0) + __WmDeleteHardTimer(b, kFile, 0) +
                  __WmDeleteTimer(c, kFile, 0) + __WmDeleteHardTimer(d, kFile, 0),
              4);
}

int g_stopped, g_doomed, g_spawned, g_rounds;

// First expiry: cancels a timer due at the same moment, deletes a later one, starts a new one
// and re-arms itself. Second expiry: deletes itself.
void Busy(int hTimer, unsigned long param) {
    Record(hTimer, param);
    if (++g_rounds == 1) {
        WmCancelTimer(g_stopped);
        __WmDeleteHardTimer(g_doomed, kFile, __LINE__);
        g_spawned = __WmCreateTimer("spawned", kFile, __LINE__);
        WmStartTimer(g_spawned, 5, Record, 9);
        WmStartTimer(hTimer, 0, Busy, param);
    } else {
        __WmDeleteTimer(hTimer, kFile, __LINE__);
    }
}

TEST_F(HostTimers, CallbacksMayRearmCancelAndDeleteTimersDuringAdvance) {
    g_rounds = 0;
    WmStartTimer(__WmCreateTimer("busy", kFile, __LINE__), 10, Busy, 1);
    WmStartTimer(g_stopped = __WmCreateTimer("stopped", kFile, __LINE__), 10, Record, 2);
    WmStartHardTimer(g_doomed = WmCreateHardTimer("doomed"), 12, Record, 3);
    tmxhost::Advance(100);
    EXPECT_THAT(g_fired, ElementsAre("1@10", "1@11", "9@15"));
    std::vector<int> alive;  // handles left, negative when armed
    for (const tmxhost::TimerView& timer : tmxhost::Timers()) {
        alive.push_back(timer.armed ? -timer.handle : timer.handle);
    }
    EXPECT_THAT(alive, ElementsAre(g_stopped, g_spawned));
    __WmDeleteTimer(g_stopped, kFile, __LINE__);
    __WmDeleteTimer(g_spawned, kFile, __LINE__);
}

void Again(int hTimer, unsigned long param) {
    Record(hTimer, param);
    WmStartHardTimer(hTimer, 0, Again, param);
}

TEST_F(HostTimers, ZeroPeriodWaitsOneTickSoAdvanceEnds) {
    int h = WmCreateHardTimer("again");
    WmStartHardTimer(h, 0, Again, 5);
    tmxhost::Advance(50);
    EXPECT_EQ(g_fired.size(), 50u);
    tmxhost::RunFor(10);  // on the virtual clock, the same as Advance
    EXPECT_EQ(g_fired.size(), 60u);
    EXPECT_EQ(g_fired.back(), "5@60");
    __WmDeleteHardTimer(h, kFile, __LINE__);
}

TEST_F(HostTimers, PeriodBeyondTheClockRangeNeverFiresEarly) {
    int h = __WmCreateTimer("far", kFile, __LINE__);
    tmxhost::Advance(5);
    ASSERT_EQ(WmStartTimer(h, ULONG_MAX, Record, 1), 1);
    tmxhost::Advance(1000);
    EXPECT_THAT(g_fired, ElementsAre());  // not at 4, before the moment it was started
    __WmDeleteTimer(h, kFile, __LINE__);
}

TEST_F(HostTimers, CancelStopsExpiryAndHandleKindsDoNotMix) {
    int wm = __WmCreateTimer("wm", kFile, __LINE__), hard = WmCreateHardTimer("hard");
    EXPECT_EQ(WmStartTimer(hard, 5, Record, 1) + WmStartHardTimer(wm, 5, Record, 1) +
                  WmCancelTimer(hard) + WmCancelHardTimer(wm) + __WmDeleteTimer(hard, kFile, 0) +
                  __WmDeleteHardTimer(wm, kFile, 0) + WmStartTimer(wm, 5, nullptr, 1),
              0);
    ASSERT_EQ(WmStartTimer(wm, 30, Record, 1) + WmStartHardTimer(hard, 40, Record, 2), 2);
    const tmxhost::TimerView view = tmxhost::Timers().at(1);
    EXPECT_TRUE(view.handle == hard && view.name == "hard" && view.hard && view.due == 40);
    EXPECT_EQ(WmIsTimerActive(wm) + WmCancelTimer(wm), 2);
    EXPECT_EQ(WmIsTimerActive(wm), 0);
    tmxhost::Advance(100);
    EXPECT_THAT(g_fired, ElementsAre("2@40"));
    EXPECT_EQ(__WmDeleteTimer(wm, kFile, 0) + __WmDeleteHardTimer(hard, kFile, 0), 2);
    EXPECT_EQ(WmStartTimer(wm, 5, Record, 1), 0);
}

}  // namespace
