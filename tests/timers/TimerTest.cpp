// Numbered, repeating timers of CCallTimer and CCallHardTimer, driven by the host's virtual clock.
#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "CallCommonSvc/Mgr/CallTimer.h"
#include "support/HostTest.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::StartsWith;

namespace {

typedef std::vector<std::string> Strings;

const unsigned kCallChannel = 0x200E6;
const unsigned kFailChannel = 0xBA;
const char kNoRecordForZero[] = "GetElement: m_map doesn't have an element (0)\n";
const char kNothingToStart[] = "CCallTimer::Start: pInfo == NULL\n";

// An owner that records its ticks and can act from inside OnTick.
template <class Base>
class Owner : public Base {
public:
    void OnTick(unsigned long timerID) override {
        ticks.push_back(timerID);
        if (onTick) {
            onTick(timerID);
        }
    }
    std::vector<unsigned long> ticks;
    std::function<void(unsigned long)> onTick;
};
typedef Owner<CCallTimer> SoftOwner;
typedef Owner<CCallHardTimer> HardOwner;

// Deletes itself on its first tick.
class SelfDeletingOwner : public CCallTimer {
public:
    explicit SelfDeletingOwner(int* pTicks) : m_pTicks(pTicks) {}
    void OnTick(unsigned long) override {
        ++*m_pTicks;
        delete this;
    }

private:
    int* m_pTicks;
};

// The platform calls behind the four hooks of one kind of timer.
struct Hooks {
    const char* create;
    const char* start;
    const char* cancel;
    const char* destroy;
};
const Hooks kSoftHooks = {"__WmCreateTimer", "WmStartTimer", "WmCancelTimer", "__WmDeleteTimer"};
const Hooks kHardHooks = {"WmCreateHardTimer", "WmStartHardTimer", "WmCancelHardTimer",
                          "__WmDeleteHardTimer"};

// A call as the host logs it: "name(handle)" or "name(handle, period)".
std::string Call(const char* name, int hTimer, long period = -1) {
    return std::string(name) + "(" + std::to_string(hTimer) +
           (period >= 0 ? ", " + std::to_string(period) : std::string()) + ")";
}

class TimerTest : public HostTest {
protected:
    // The one live platform timer.
    static tmxhost::TimerView OnlyTimer() {
        std::vector<tmxhost::TimerView> timers = tmxhost::Timers();
        EXPECT_EQ(timers.size(), 1u);
        return timers.empty() ? tmxhost::TimerView{-1, "", false, false, 0} : timers[0];
    }
    static Strings TakeCalls() {
        Strings calls = tmxhost::CallTexts();
        tmxhost::ClearCalls();
        return calls;
    }

    // A timer from SetTimer to KillTimer, then two left for the destructor.
    template <class O>
    void Series(const Hooks& hooks, bool hard) {
        int h1 = -1;
        int h2 = -1;
        {
            O owner;
            EXPECT_EQ(owner.SetTimer(5, 1000), 1);
            tmxhost::TimerView timer = OnlyTimer();
            const int h = timer.handle;
            EXPECT_EQ(timer.name, "CallTimer__5");
            EXPECT_EQ(timer.hard, hard);
            EXPECT_EQ(TakeCalls(), (Strings{std::string(hooks.create) + "(\"CallTimer__5\")",
                                            Call(hooks.start, h, 1000)}));
            EXPECT_THAT(TraceTexts(kCallChannel),
                        ElementsAre("CCallTimer::Create: CallTimer__5 created\n",
                                    "CCallTimer::Start: timerID 5 tickFrequency 1000\n"));

            // Each expiry ticks once and re-arms with the same period.
            tmxhost::Advance(999);
            EXPECT_THAT(owner.ticks, IsEmpty());
            tmxhost::Advance(1);
            EXPECT_THAT(owner.ticks, ElementsAre(5u));
            EXPECT_EQ(TakeCalls(), Strings{Call(hooks.start, h, 1000)});
            tmxhost::Advance(3500);
            EXPECT_THAT(owner.ticks, ElementsAre(5u, 5u, 5u, 5u));

            // Stopped, it stays in the table; Start re-arms it without a new create.
            EXPECT_EQ(owner.Stop(5), 1);
            tmxhost::Advance(5000);
            EXPECT_EQ(owner.ticks.size(), 4u);
            TakeCalls();
            EXPECT_EQ(owner.Start(5), 1);
            EXPECT_EQ(TakeCalls(), Strings{Call(hooks.start, h, 1000)});
            EXPECT_EQ(owner.Start(5, 250), 1);
            tmxhost::Advance(1000);
            EXPECT_EQ(owner.ticks.size(), 8u);

            TakeCalls();
            EXPECT_EQ(owner.KillTimer(5), 1);
            EXPECT_EQ(TakeCalls(), (Strings{Call(hooks.cancel, h), Call(hooks.destroy, h)}));
            EXPECT_THAT(tmxhost::Timers(), IsEmpty());
            EXPECT_EQ(owner.Stop(5), 0);

            owner.SetTimer(1, 100);
            owner.SetTimer(2, 200);
            owner.Stop(2);
            h1 = owner.GetElement(1)->hTimer;
            h2 = owner.GetElement(2)->hTimer;
            TakeCalls();
        }
        // The destructor releases what is left, with the owner's own kind of calls.
        EXPECT_EQ(TakeCalls(), (Strings{Call(hooks.cancel, h1), Call(hooks.destroy, h1),
                                        Call(hooks.cancel, h2), Call(hooks.destroy, h2)}));
        tmxhost::Advance(1000);
    }
};

TEST_F(TimerTest, WindowManagerTimerSeries) {
    Series<SoftOwner>(kSoftHooks, false);
}

TEST_F(TimerTest, HardTimerSeries) {
    Series<HardOwner>(kHardHooks, true);
}

TEST_F(TimerTest, MissingRecordsAndOwnersNeverReachThePlatform) {
    SoftOwner owner;
    EXPECT_EQ(owner.Start(6), 0);
    EXPECT_THAT(TraceTexts(kFailChannel),
                ElementsAre("GetElement: m_map doesn't have an element (6)\n", kNothingToStart));
    EXPECT_EQ(owner.Stop(6), 0);
    EXPECT_EQ(owner.Delete(6), 0);
    EXPECT_EQ(owner.KillTimer(6), 1);
    EXPECT_EQ(owner.Start(6, 100), 0);
    CCallTimer::TimerCallback(1, 0);
    ExpectReports({"pInfo != NULL", "pTimer != NULL"});
    EXPECT_THAT(tmxhost::CallTexts(), IsEmpty());

    // A platform timer the owner has no record of, firing into it.
    owner.SetTimer(5, 1000);
    const unsigned long param = reinterpret_cast<unsigned long>(static_cast<CCallTimer*>(&owner));
    const int hStray = __WmCreateTimer("Stray", "test", 1);
    WmStartTimer(hStray, 10, CCallTimer::TimerCallback, param);
    tmxhost::TakeTraces();
    TakeCalls();
    tmxhost::Advance(10);
    EXPECT_THAT(owner.ticks, ElementsAre(0u));
    EXPECT_THAT(TraceTexts(kFailChannel), ElementsAre(kNoRecordForZero, kNothingToStart));
    EXPECT_THAT(TakeCalls(), IsEmpty());
    __WmDeleteTimer(hStray, "test", 1);
    owner.KillTimer(5);
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
    EXPECT_THAT(owner.ticks, ElementsAre(2u, 2u, 2u, 5u));
    // The restart after the kill finds no record for the handle and looks for number 0.
    EXPECT_THAT(TraceTexts(kFailChannel), ElementsAre(kNoRecordForZero, kNothingToStart));
    Strings calls = TakeCalls();
    EXPECT_EQ(Strings(calls.end() - 2, calls.end()),
              (Strings{Call("WmCancelTimer", h5), Call("__WmDeleteTimer", h5)}));

    // Timer 2 stops itself on every tick, and the restart arms it again each time.
    tmxhost::Advance(3000);
    EXPECT_EQ(owner.ticks.size(), 14u);
    EXPECT_TRUE(OnlyTimer().armed);
    owner.KillTimer(2);
}

TEST_F(TimerTest, OwnersSharingANumberTickIndependently) {
    SoftOwner a;
    SoftOwner b;
    a.SetTimer(1, 300);
    b.SetTimer(1, 500);
    tmxhost::Advance(1500);
    EXPECT_THAT(a.ticks, ElementsAre(1u, 1u, 1u, 1u, 1u));
    EXPECT_THAT(b.ticks, ElementsAre(1u, 1u, 1u));
    a.KillTimer(1);
    tmxhost::Advance(1000);
    EXPECT_EQ(a.ticks.size(), 5u);
    EXPECT_EQ(b.ticks.size(), 5u);
    b.KillTimer(1);
}

TEST_F(TimerTest, RefusedPlatformCreateLeavesTheTableAlone) {
    SoftOwner owner;
    owner.SetTimer(5, 1000);
    const int h = OnlyTimer().handle;
    tmxhost::TakeTraces();
    tmxhost::FailCall("__WmCreateTimer", -1);
    EXPECT_EQ(owner.Create(5), 0);
    ASSERT_EQ(tmxhost::Reports().size(), 1u);
    EXPECT_EQ(tmxhost::Reports()[0].path, "CallCommonSvc\\Mgr\\CallTimer");
    ExpectReports({"hTimer != INVALID_HOBJ"});
    EXPECT_THAT(TraceTexts(kCallChannel), IsEmpty());
    EXPECT_EQ(owner.GetElement(5)->hTimer, h);
    tmxhost::Advance(1000);
    EXPECT_THAT(owner.ticks, ElementsAre(5u));
    owner.KillTimer(5);

    TakeCalls();
    tmxhost::FailCall("__WmCreateTimer", -1);
    EXPECT_EQ(owner.SetTimer(7, 100), 1);
    ExpectReports({"hTimer != INVALID_HOBJ", "pInfo != NULL"});
    EXPECT_EQ(TakeCalls(), Strings{"__WmCreateTimer(\"CallTimer__7\")"});
    EXPECT_THAT(tmxhost::Timers(), IsEmpty());
}

TEST_F(TimerTest, OwnerGoneBeforeItsExpiry) {
    // Deleted through the root while armed.
    SoftOwner* pOwner = new SoftOwner;
    pOwner->SetTimer(3, 50);
    CCallObject* pObject = pOwner;
    delete pObject;
    EXPECT_THAT(tmxhost::Timers(), IsEmpty());
    tmxhost::Advance(1000);

    // Deleted from inside its own OnTick: released, and not armed again.
    int ticks = 0;
    CCallTimer* pSelfDeleting = new SelfDeletingOwner(&ticks);
    pSelfDeleting->SetTimer(5, 100);
    const int h = OnlyTimer().handle;
    TakeCalls();
    tmxhost::Advance(1000);
    EXPECT_EQ(ticks, 1);
    EXPECT_EQ(TakeCalls(), (Strings{Call("WmCancelTimer", h), Call("__WmDeleteTimer", h)}));
    EXPECT_THAT(TraceTexts(kFailChannel), IsEmpty());
}

TEST_F(TimerTest, CreateOnANumberInUseReleasesTheOldTimer) {
    SoftOwner owner;
    owner.SetTimer(5, 1000);
    const int hOld = OnlyTimer().handle;
    TakeCalls();
    EXPECT_EQ(owner.Create(5), 1);
    const int hNew = OnlyTimer().handle;
    EXPECT_FALSE(OnlyTimer().armed);
    EXPECT_EQ(owner.GetElement(5)->hTimer, hNew);
    EXPECT_EQ(TakeCalls(), (Strings{"__WmCreateTimer(\"CallTimer__5\")",
                                    Call("WmCancelTimer", hOld), Call("__WmDeleteTimer", hOld)}));
    tmxhost::Advance(2000);
    EXPECT_THAT(owner.ticks, IsEmpty());

    // Without memory for the new record, the new platform timer is given back as well, and
    // the number is gone.
    tmxhost::FailCall("MemAllocTraceEx", 0);
    EXPECT_EQ(owner.Create(5), 0);
    ExpectReports({"pObj != NULL"});
    EXPECT_THAT(tmxhost::Timers(), IsEmpty());
    EXPECT_EQ(owner.GetElement(5), nullptr);
    EXPECT_THAT(TakeCalls(),
                ElementsAre(StartsWith("__WmCreateTimer("), Call("WmCancelTimer", hNew),
                            Call("__WmDeleteTimer", hNew), StartsWith("__WmDeleteTimer(")));
}

TEST_F(TimerTest, SetTimerSurvivesEachFailedAllocation) {
    int failures = 0;
    bool succeeded = false;
    for (int n = 1; n <= 20 && !succeeded; ++n) {
        SCOPED_TRACE("failing allocation " + std::to_string(n));
        SoftOwner owner;
        owner.SetTimer(3, 100);
        const size_t blocksBefore = tmxhost::LiveBlocks().size();
        tmxhost::FailCall("MemAllocTraceEx", 0, n);
        EXPECT_EQ(owner.SetTimer(5, 1000), 1);
        tmxhost::ClearFaults();
        const bool failed = !tmxhost::Reports().empty();
        if (failed) {
            ++failures;
            ExpectReports({"pObj != NULL", "pInfo != NULL"});
            EXPECT_EQ(tmxhost::LiveBlocks().size(), blocksBefore);
        }
        succeeded = !failed;
        EXPECT_EQ(tmxhost::Timers().size(), failed ? 1u : 2u);
        EXPECT_EQ(owner.GetElement(5) == nullptr, failed);
        // The rest of the table is untouched either way.
        tmxhost::Advance(1000);
        EXPECT_EQ(std::count(owner.ticks.begin(), owner.ticks.end(), 3u), 10);
        EXPECT_EQ(std::count(owner.ticks.begin(), owner.ticks.end(), 5u), succeeded ? 1 : 0);
        owner.KillTimer(3);
        owner.KillTimer(5);
        EXPECT_THAT(tmxhost::LiveBlocks(), IsEmpty());
        EXPECT_THAT(tmxhost::Timers(), IsEmpty());
    }
    EXPECT_TRUE(succeeded);
    EXPECT_GE(failures, 1);
}

}  // namespace
