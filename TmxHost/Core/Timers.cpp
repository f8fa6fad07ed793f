// Window-manager and hard timers: one-shot timers on one millisecond clock, virtual by default.
#include <chrono>
#include <climits>
#include <map>
#include <thread>

#include "../Control/HostInternal.h"
#include "../Control/TmxHost.h"
#include "CallCommonSvc/Platform/TmxCore.h"

namespace tmxhost {
namespace {

using SteadyClock = std::chrono::steady_clock;

struct Timer {
    std::string name;
    bool hard = false;
    bool armed = false;
    long long due = 0;
    unsigned long long armSerial = 0;  // orders timers due at the same moment
    WmTimerCallback callback = nullptr;
    unsigned long param = 0;
    std::function<void()> event;  // a host event instead of a platform timer
};

struct TimerState {
    std::map<int, Timer> timers;
    int nextHandle = 1;
    unsigned long long nextSerial = 0;
    long long virtualNow = 0;
    bool realTime = false;
    SteadyClock::time_point realStart;
};

TimerState& State() {
    static TimerState state;
    return state;
}

Timer* Find(int hTimer, bool hard) {
    auto it = State().timers.find(hTimer);
    return it != State().timers.end() && it->second.hard == hard && !it->second.event ? &it->second
                                                                                      : nullptr;
}

int Create(const char* name, bool hard) {
    TimerState& state = State();
    int handle = state.nextHandle++;
    Timer& timer = state.timers[handle];
    timer.name = name != nullptr ? name : "";
    timer.hard = hard;
    return handle;
}

int Start(int hTimer, bool hard, unsigned long period, WmTimerCallback callback,
          unsigned long param) {
    Timer* timer = Find(hTimer, hard);
    if (timer == nullptr || callback == nullptr) {
        return 0;
    }
    timer->armed = true;
    // A zero period waits one millisecond, so that a timer re-armed from its own expiry
    // cannot hold the clock still.
    // A period beyond the clock's range never expires.
    long long now = Now();
    unsigned long long room = static_cast<unsigned long long>(LLONG_MAX - now);
    timer->due = now + static_cast<long long>(period == 0 ? 1 : period < room ? period : room);
    timer->armSerial = State().nextSerial++;
    timer->callback = callback;
    timer->param = param;
    return 1;
}

int Cancel(int hTimer, bool hard) {
    Timer* timer = Find(hTimer, hard);
    if (timer == nullptr) {
        return 0;
    }
    timer->armed = false;
    return 1;
}

int Delete(int hTimer, bool hard) {
    if (Find(hTimer, hard) == nullptr) {
        return 0;
    }
    State().timers.erase(hTimer);
    return 1;
}

// The armed timer due first at or before `limit`, or 0.
int NextDue(long long limit) {
    int best = 0;
    const Timer* bestTimer = nullptr;
    for (const auto& [handle, timer] : State().timers) {
        if (!timer.armed || timer.due > limit) {
            continue;
        }
        if (bestTimer == nullptr || timer.due < bestTimer->due ||
            (timer.due == bestTimer->due && timer.armSerial < bestTimer->armSerial)) {
            best = handle;
            bestTimer = &timer;
        }
    }
    return best;
}

// Disarms the timer and calls its callback; the callback may touch any timer. A host event is
// removed before it runs.
void Fire(int handle) {
    Timer& timer = State().timers.at(handle);
    if (timer.event) {
        std::function<void()> event = std::move(timer.event);
        State().timers.erase(handle);
        event();
        return;
    }
    timer.armed = false;
    WmTimerCallback callback = timer.callback;
    unsigned long param = timer.param;
    callback(handle, param);
}

}  // namespace

namespace detail {
void Schedule(long long delay, std::function<void()> event) {
    TimerState& state = State();
    // Host events use negative keys, so that they never collide with a timer handle.
    static int nextEvent = 0;
    Timer& timer = state.timers[--nextEvent];
    timer.armed = true;
    timer.due = Now() + (delay > 0 ? delay : 0);
    timer.armSerial = state.nextSerial++;
    timer.event = std::move(event);
}

void ResetTimers() {
    TimerState& state = State();
    state.timers.clear();
    state.nextHandle = 1;
    state.nextSerial = 0;
    state.virtualNow = 0;
    state.realTime = false;
}
}  // namespace detail

long long Now() {
    TimerState& state = State();
    if (!state.realTime) {
        return state.virtualNow;
    }
    return std::chrono::duration_cast<std::chrono::milliseconds>(SteadyClock::now() -
                                                                 state.realStart)
        .count();
}

void Advance(long long ms) {
    TimerState& state = State();
    if (state.realTime) {
        RunFor(ms);
        return;
    }
    long long target = state.virtualNow + (ms > 0 ? ms : 0);
    while (int handle = NextDue(target)) {
        state.virtualNow = state.timers.at(handle).due;
        Fire(handle);
    }
    state.virtualNow = target;
}

void UseRealTime(bool realTime) {
    TimerState& state = State();
    if (realTime == state.realTime) {
        return;
    }
    if (realTime) {
        state.realStart = SteadyClock::now() - std::chrono::milliseconds(state.virtualNow);
    } else {
        state.virtualNow = Now();
    }
    state.realTime = realTime;
}

void RunFor(long long ms) {
    TimerState& state = State();
    if (!state.realTime) {
        Advance(ms);
        return;
    }
    long long end = Now() + (ms > 0 ? ms : 0);
    for (;;) {
        while (int handle = NextDue(Now())) {
            Fire(handle);
        }
        long long now = Now();
        if (now >= end) {
            return;
        }
        long long wake = end;
        for (const auto& [handle, timer] : state.timers) {
            if (timer.armed && timer.due < wake) {
                wake = timer.due;
            }
        }
        // To the very instant the next timer is due: a sleep of whole milliseconds from the
        // truncated clock would wake up to a millisecond late.
        std::this_thread::sleep_until(state.realStart + std::chrono::milliseconds(wake));
    }
}

std::vector<TimerView> Timers() {
    std::vector<TimerView> views;
    for (const auto& [handle, timer] : State().timers) {
        if (timer.event) {
            continue;
        }
        views.push_back(TimerView{handle, timer.name, timer.hard, timer.armed, timer.due});
    }
    return views;
}

}  // namespace tmxhost

using namespace tmxhost;
using detail::Arg;

extern "C" int __WmCreateTimer(const char* name, const char*, int) {
    if (auto fault = detail::Enter("__WmCreateTimer", name)) {
        return static_cast<int>(*fault);
    }
    return Create(name, false);
}

extern "C" int WmStartTimer(int hTimer, unsigned long period, WmTimerCallback callback,
                            unsigned long param) {
    if (auto fault = detail::Enter("WmStartTimer", hTimer, period)) {
        return static_cast<int>(*fault);
    }
    return Start(hTimer, false, period, callback, param);
}

extern "C" int WmCancelTimer(int hTimer) {
    if (auto fault = detail::Enter("WmCancelTimer", hTimer)) {
        return static_cast<int>(*fault);
    }
    return Cancel(hTimer, false);
}

extern "C" int __WmDeleteTimer(int hTimer, const char*, int) {
    if (auto fault = detail::Enter("__WmDeleteTimer", hTimer)) {
        return static_cast<int>(*fault);
    }
    return Delete(hTimer, false);
}

extern "C" int WmIsTimerActive(int hTimer) {
    if (auto fault = detail::Enter("WmIsTimerActive", hTimer)) {
        return static_cast<int>(*fault);
    }
    Timer* timer = Find(hTimer, false);
    return timer != nullptr && timer->armed ? 1 : 0;
}

extern "C" int WmCreateHardTimer(const char* name) {
    if (auto fault = detail::Enter("WmCreateHardTimer", name)) {
        return static_cast<int>(*fault);
    }
    return Create(name, true);
}

extern "C" int WmStartHardTimer(int hTimer, unsigned long period, WmTimerCallback callback,
                                unsigned long param) {
    if (auto fault = detail::Enter("WmStartHardTimer", hTimer, period)) {
        return static_cast<int>(*fault);
    }
    return Start(hTimer, true, period, callback, param);
}

extern "C" int WmCancelHardTimer(int hTimer) {
    if (auto fault = detail::Enter("WmCancelHardTimer", hTimer)) {
        return static_cast<int>(*fault);
    }
    return Cancel(hTimer, true);
}

extern "C" int __WmDeleteHardTimer(int hTimer, const char*, int) {
    if (auto fault = detail::Enter("__WmDeleteHardTimer", hTimer)) {
        return static_cast<int>(*fault);
    }
    return Delete(hTimer, true);
}
