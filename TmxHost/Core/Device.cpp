// Display orientation, flip, touch-cover keys, the G-sensor and the elapsed time.
#include <set>

#include "../Control/HostInternal.h"
#include "../Control/TmxHost.h"
#include "CallCommonSvc/Platform/TmxCore.h"

namespace tmxhost {
namespace {

struct DeviceState {
    std::set<int> touchCoverKeys;
    bool lcdHorizontal = false;
    bool flipOpened = false;
    std::set<int> gsensorHandlers;
    std::set<int> gsensorApps;
};

DeviceState& State() {
    static DeviceState state;
    return state;
}

}  // namespace

namespace detail {
void ResetDevices() {
    State() = DeviceState{};
}
}  // namespace detail

void SetTouchCoverKey(int keyCode, bool touchCover) {
    if (touchCover) {
        State().touchCoverKeys.insert(keyCode);
    } else {
        State().touchCoverKeys.erase(keyCode);
    }
}
void SetLcdHorizontal(bool horizontal) {
    State().lcdHorizontal = horizontal;
}
void SetFlipOpened(bool opened) {
    State().flipOpened = opened;
}
GSensorView GSensor() {
    return GSensorView{{State().gsensorHandlers.begin(), State().gsensorHandlers.end()},
                       {State().gsensorApps.begin(), State().gsensorApps.end()}};
}

}  // namespace tmxhost

using namespace tmxhost;
using detail::Arg;

extern "C" unsigned int TmGetElapsedTime(void) {
    if (auto fault = detail::Enter("TmGetElapsedTime", {})) {
        return static_cast<unsigned int>(*fault);
    }
    return static_cast<unsigned int>(Now());
}

extern "C" int SysIsLcdHorizontal(int display) {
    if (auto fault = detail::Enter("SysIsLcdHorizontal", {Arg(display)})) {
        return static_cast<int>(*fault);
    }
    return State().lcdHorizontal ? 1 : 0;
}

extern "C" int FlipIsOpened(void) {
    if (auto fault = detail::Enter("FlipIsOpened", {})) {
        return static_cast<int>(*fault);
    }
    return State().flipOpened ? 1 : 0;
}

extern "C" int KeyIsTouchCoverKey(int keyCode) {
    if (auto fault = detail::Enter("KeyIsTouchCoverKey", {Arg(keyCode)})) {
        return static_cast<int>(*fault);
    }
    return State().touchCoverKeys.count(keyCode) != 0 ? 1 : 0;
}

extern "C" int DevGSensorRegisterEventHandler(int hHandler) {
    if (auto fault = detail::Enter("DevGSensorRegisterEventHandler", {Arg(hHandler)})) {
        return static_cast<int>(*fault);
    }
    return State().gsensorHandlers.insert(hHandler).second ? 1 : 0;
}

extern "C" int DevGSensorUnregisterEventHandler(int hHandler) {
    if (auto fault = detail::Enter("DevGSensorUnregisterEventHandler", {Arg(hHandler)})) {
        return static_cast<int>(*fault);
    }
    return State().gsensorHandlers.erase(hHandler) != 0 ? 1 : 0;
}

extern "C" int DevGSensorStartMotion(APP_ID appID) {
    if (auto fault = detail::Enter("DevGSensorStartMotion", {Arg(appID)})) {
        return static_cast<int>(*fault);
    }
    return State().gsensorApps.insert(appID).second ? 1 : 0;
}

extern "C" int DevGSensorStopMotion(APP_ID appID) {
    if (auto fault = detail::Enter("DevGSensorStopMotion", {Arg(appID)})) {
        return static_cast<int>(*fault);
    }
    return State().gsensorApps.erase(appID) != 0 ? 1 : 0;
}
