// LED blinks and vibrations with handles, the backlight and the screens' notify states. A blink
// or vibration with a positive count ends by itself after count cycles; -1 runs until cleared.
#include <algorithm>
#include <map>
#include <tuple>

#include "../Control/HostInternal.h"
#include "../Control/TmxHost.h"
#include "CallCommonSvc/Platform/TmxAppFrmwk.h"

namespace tmxhost {
namespace {

struct SignalState {
    std::map<int, LedView> leds;
    std::map<int, VibrationView> vibrations;
    std::map<int, BacklightView> backlights;
    std::map<std::pair<int, int>, int> notify;
    int nextHandle = 1;
};

SignalState& State() {
    static SignalState state;
    return state;
}

// Ends a counted signal after its cycles; a handle is never reused, so a late end finds
// nothing once the signal was cleared.
template <class View>
void EndAfterCycles(std::map<int, View> SignalState::*signals, const View& view) {
    if (view.count > 0) {
        long long cycle = static_cast<long long>(view.onTime) + view.offTime;
        int handle = view.handle;
        detail::Schedule(view.count * std::max(cycle, 1LL),
                         [signals, handle] { (State().*signals).erase(handle); });
    }
}

}  // namespace

namespace detail {
void ResetSignals() {
    State() = SignalState{};
}
}  // namespace detail

template <class View>
static std::vector<View> Values(const std::map<int, View>& map) {
    std::vector<View> views;
    for (const auto& entry : map) {
        views.push_back(entry.second);
    }
    return views;
}

std::vector<LedView> LedBlinks() {
    return Values(State().leds);
}
std::vector<VibrationView> Vibrations() {
    return Values(State().vibrations);
}
std::vector<BacklightView> Backlights() {
    return Values(State().backlights);
}

void SetNotifyState(int screen, int item, int state) {
    State().notify[{screen, item}] = state;
}

}  // namespace tmxhost

using namespace tmxhost;
using detail::Arg;

extern "C" int AmLedBlink(int led, int ledSetting, int onTime, int offTime, int count) {
    if (auto fault = detail::Enter("AmLedBlink", led, ledSetting, onTime, offTime, count)) {
        return static_cast<int>(*fault);
    }
    LedView view{State().nextHandle++, led, ledSetting, onTime, offTime, count};
    State().leds[view.handle] = view;
    EndAfterCycles(&SignalState::leds, view);
    return view.handle;
}

extern "C" int AmLedClear(int hLed) {
    if (auto fault = detail::Enter("AmLedClear", hLed)) {
        return static_cast<int>(*fault);
    }
    return State().leds.erase(hLed) != 0 ? 1 : 0;
}

extern "C" int AmVibStart(int level, int onTime, int offTime, int count) {
    if (auto fault = detail::Enter("AmVibStart", level, onTime, offTime, count)) {
        return static_cast<int>(*fault);
    }
    VibrationView view{State().nextHandle++, level, onTime, offTime, count};
    State().vibrations[view.handle] = view;
    EndAfterCycles(&SignalState::vibrations, view);
    return view.handle;
}

extern "C" int AmVibStop(int hVib) {
    if (auto fault = detail::Enter("AmVibStop", hVib)) {
        return static_cast<int>(*fault);
    }
    return State().vibrations.erase(hVib) != 0 ? 1 : 0;
}

extern "C" int AmLcdSetBacklight(LcdType lcdType, int reserved, int onTime, int dimTime) {
    if (auto fault = detail::Enter("AmLcdSetBacklight", lcdType, reserved, onTime, dimTime)) {
        return static_cast<int>(*fault);
    }
    State().backlights[lcdType] = BacklightView{lcdType, onTime, dimTime};
    return 1;
}

extern "C" int AmGetNotifyStateByScreen(int screen, int item, int* pState) {
    if (auto fault = detail::Enter("AmGetNotifyStateByScreen", screen, item)) {
        return static_cast<int>(*fault);
    }
    if (pState == nullptr) {
        return 0;
    }
    auto it = State().notify.find({screen, item});
    *pState = it != State().notify.end() ? it->second : 0;
    return 1;
}
