// Numbered, repeating timers of CCallTimer and CCallHardTimer, driven by the host's virtual clock.
#include <algorithm>
#include <functional>

#include "CallCommonSvc/Mgr/CallTimer.h"
#include "support/HostTest.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::StartsWith;

namespace {

typedef std::vector<std::string> Strings;
typedef std::vector<unsigned long> Ticks;

const char kNothingToStart[] = "CCallTimer::Start: pInfo == NULL\n";

// Records its ticks, and runs `onTick` from inside OnTick.
template <class Base>
struct Owner : Base {
    void OnTick(unsigned long timerID) override {
        ticks.push_back(timerID);
        onTick(timerID);
    }
    Ticks ticks;
    std::function<void(unsigned long)> onTick = [](unsigned long) {};
};
typedef Owner<CCallTimer> SoftOwner;

// A call as the host logs it: "name(handle)" or "name(handle, period)".
std::string Call(const std::string& name, int hTimer, long period = -1) {
    return name + "(" + std::to_string(hTimer) +
           (period >= 0 ? ", " + std::to_string(period) : std::string()) + ")";
}

Strings TakeCalls() {
    Strings calls = tmxhost::CallTexts();
    tmxhost::ClearCalls();
    return calls;
}

int OnlyHandle() {
    EXPECT_EQ(tmxhost::Timers().size(), 1u);
    return tmxhost::Timers().empty() ? -1 : tmxhost::Timers()[0].handle;
}

using TimerTest = HostTest;

// One timer from SetTimer to KillTimer, then two left for the destructor; `hook` names the
// platform's create, start, cancel and delete calls for the owner's kind of timer.
template <class O>
void Series(const Strings& hook) {
    int h1, h2;
    {
        O owner;
        EXPECT_EQ(owner.SetTimer(5, 1000), 1);
        const int h = OnlyHandle();
        EXPECT_EQ(TakeCalls(), (Strings{hook[0] + "(\"CallTimer__5\")", Call(hook[1], h, 1000)}));
        tmxhost::Advance(1000);
        EXPECT_EQ(TakeCalls(), Strings{Call(hook[1], h, 1000)});  // each tick re-arms
        tmxhost::Advance(3500);
        EXPECT_EQ(owner.Stop(5), 1);  // stopped, it keeps its record and period
        tmxhost::Advance(5000);
        TakeCalls();
        EXPECT_EQ(owner.Start(5) + owner.Start(5, 250), 2);
        EXPECT_EQ(TakeCalls(), (Strings{Call(hook[1], h, 1000), Call(hook[1], h, 250)}));
        tmxhost::Advance(1000);
        EXPECT_EQ(owner.ticks, Ticks(8, 5));
        TakeCalls();
        EXPECT_EQ(owner.KillTimer(5), 1);
        EXPECT_EQ(TakeCalls(), (Strings{Call(hook[2], h), Call(hook[3], h)}));
        owner.SetTimer(1, 100);
        owner.SetTimer(2, 200);
        owner.Stop(2);
        h1 = owner.GetElement(1)->hTimer;
        h2 = owner.GetElement(2)->hTimer;
        TakeCalls();
    }
    EXPECT_EQ(TakeCalls(), (Strings{Call(hook[2], h1), Call(hook[3], h1), Call(hook[2], h2),
                                    Call(hook[3], h2)}));
}

TEST_F(TimerTest, WindowManagerTimerSeries) {
    Series<SoftOwner>({"__WmCreateTimer", "WmStartTimer", "WmCancelTimer", "__WmDeleteTimer"});
}

TEST_F(TimerTest, HardTimerSeries) {
    Series<Owner<CCallHardTimer>>(
        {"WmCreateHardTimer", "WmStartHardTimer", "WmCancelHardTimer", "__WmDeleteHardTimer"});
}

TEST_F(TimerTest, UnknownNumbersAndOwnersNeverReachThePlatform) {
    SoftOwner owner;
    EXPECT_EQ(owner.Start(6), 0);
    EXPECT_THAT(TraceTexts(TMX_DBG_FAIL),
                ElementsAre("GetElement: m_map doesn't have an element (6)\n", kNothingToStart));
    EXPECT_EQ(owner.Stop(6) + owner.Delete(6) + owner.Start(6, 100), 0);
    CCallTimer::TimerCallback(1, 0);
    ExpectReports({"pInfo != NULL", "pTimer != NULL"});
    EXPECT_THAT(tmxhost::CallTexts(), IsEmpty());
}

TEST_F(TimerTest, KillFromOnTickEndsTheSeriesButStopIsUndone) {
    SoftOwner owner;
    owner.onTick = [&owner](unsigned long timerID) {
        timerID == 5 ? owner.KillTimer(5) : owner.Stop(2);
    };
    owner.SetTimer(5, 1000);
    owner.SetTimer(2, 300);
    const int h5 = owner.GetElement(5)->hTimer;
    tmxhost::TakeTraces();
    TakeCalls();
    tmxhost::Advance(1000);
    EXPECT_EQ(owner.ticks, (Ticks{2, 2, 2, 5}));
    // The restart after the kill finds no record for the handle and looks for number 0.
    EXPECT_THAT(TraceTexts(TMX_DBG_FAIL),
                ElementsAre("GetElement: m_map doesn't have an element (0)\n", kNothingToStart));
    const Strings calls = TakeCalls();
    EXPECT_EQ(Strings(calls.end() - 2, calls.end()),
              (Strings{Call("WmCancelTimer", h5), Call("__WmDeleteTimer", h5)}));
    tmxhost::Advance(3000);  // timer 2 stops itself each tick, and the restart re-arms it
    EXPECT_EQ(owner.ticks.size(), 14u);
}

TEST_F(TimerTest, OwnersSharingANumberTickIndependently) {
    SoftOwner a, b;
    a.SetTimer(1, 300);
    b.SetTimer(1, 500);
    tmxhost::Advance(1500);
    a.KillTimer(1);
    tmxhost::Advance(1000);
    EXPECT_EQ(a.ticks, Ticks(5, 1));
    EXPECT_EQ(b.ticks, Ticks(5, 1));
}

// Deletes itself on its first tick.
struct SelfDeletingOwner : CCallTimer {
    void OnTick(unsigned long) override { delete this; }
};

TEST_F(TimerTest, OwnerGoneBeforeItsExpiry) {
    SoftOwner* pOwner = new SoftOwner;  // deleted through the root while armed
    pOwner->SetTimer(3, 50);
    delete static_cast<CCallObject*>(pOwner);
    CCallTimer* pSelfDeleting = new SelfDeletingOwner;  // released, and not armed again
    pSelfDeleting->SetTimer(5, 100);
    const int h = OnlyHandle();
    TakeCalls();
    tmxhost::Advance(1000);
    EXPECT_EQ(TakeCalls(), (Strings{Call("WmCancelTimer", h), Call("__WmDeleteTimer", h)}));
    EXPECT_THAT(TraceTexts(TMX_DBG_FAIL), IsEmpty());
}

TEST_F(TimerTest, CreateOnANumberInUseReplacesItsTimerOnlyWhenItCan) {
    SoftOwner owner;
    owner.SetTimer(5, 1000);
    const int hOld = OnlyHandle();
    tmxhost::FailCall("__WmCreateTimer", INVALID_HOBJ);
    EXPECT_EQ(owner.Create(5), 0);  // refused by the platform: the table is left alone
    ExpectReports({"hTimer != INVALID_HOBJ"});
    EXPECT_EQ(owner.GetElement(5)->hTimer, hOld);
    tmxhost::Advance(1000);
    EXPECT_EQ(owner.ticks, Ticks{5});
    TakeCalls();
    EXPECT_EQ(owner.Create(5), 1);  // the old timer is released, the new one is not armed
    const int hNew = OnlyHandle();
    EXPECT_EQ(owner.GetElement(5)->hTimer, hNew);
    EXPECT_EQ(TakeCalls(), (Strings{"__WmCreateTimer(\"CallTimer__5\")",
                                    Call("WmCancelTimer", hOld), Call("__WmDeleteTimer", hOld)}));
    tmxhost::Advance(2000);
    EXPECT_EQ(owner.ticks.size(), 1u);
    // Without memory for the record, the new timer is given back and the number is gone.
    tmxhost::FailCall("MemAllocTraceEx", 0);
    EXPECT_EQ(owner.Create(5), 0);
    ExpectReports({"pObj != NULL"});
    EXPECT_THAT(tmxhost::Timers(), IsEmpty());
    EXPECT_EQ(owner.GetElement(5), nullptr);
    EXPECT_THAT(TakeCalls(),
                ElementsAre(StartsWith("__WmCreateTimer("), Call("WmCancelTimer", hNew),
                            Call("__WmDeleteTimer", hNew), StartsWith("__WmDeleteTimer(")));
    tmxhost::FailCall("__WmCreateTimer", INVALID_HOBJ);
    EXPECT_EQ(owner.SetTimer(7, 100), 1);
    ExpectReports({"hTimer != INVALID_HOBJ", "pInfo != NULL"});
    EXPECT_EQ(TakeCalls(), Strings{"__WmCreateTimer(\"CallTimer__7\")"});
}

TEST_F(TimerTest, SetTimerSurvivesTheFailureOfAnyAllocation) {
    for (int n = 1, failed = 1; failed; ++n) {
        SCOPED_TRACE("failing allocation " + std::to_string(n));
        ASSERT_LE(n, 20);
        SoftOwner owner;
        owner.SetTimer(3, 100);
        tmxhost::FailCall("MemAllocTraceEx", 0, n);
        EXPECT_EQ(owner.SetTimer(5, 1000), 1);
        tmxhost::ClearFaults();
        failed = !tmxhost::Reports().empty();
        if (failed) {  // a leaked block or platform timer is caught when the test ends
            ExpectReports({"pObj != NULL", "pInfo != NULL"});
        }
        tmxhost::Advance(1000);
        EXPECT_EQ(std::count(owner.ticks.begin(), owner.ticks.end(), 3u), 10);
        EXPECT_EQ(std::count(owner.ticks.begin(), owner.ticks.end(), 5u), failed ? 0 : 1);
        ASSERT_TRUE(failed || n > 1) << "no allocation to fail";
    }
}

}  // namespace
