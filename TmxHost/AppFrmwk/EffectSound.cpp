// Effect sounds: player objects with the operation table applications call, over one table of
// effects shared by the whole platform. An effect played once ends after its duration and calls
// its completion callback; a repeating one plays until stopped.
#include <map>
#include <set>

#include "../Control/HostInternal.h"
#include "../Control/TmxHost.h"
#include "CallCommonSvc/Platform/TmxAppFrmwk.h"

namespace tmxhost {
namespace {

struct EffectEntry {
    int soundType = -1;
    bool playing = false;
    int repeatMode = APPSND_REPEAT_ONCE;
    int path = 0;
    int volume = 0;
    bool vibrate = false;
    unsigned generation = 0;  // bumped by each play and stop
};

struct EffectState {
    std::map<int, EffectEntry> effects;
    std::set<AppSndEffectPlayer*> players;
    long long duration = 1000;
};

EffectState& State() {
    static EffectState state;
    return state;
}

detail::Verbatim CallbackArg(AppSndEffectCallback callback) {
    return detail::Verbatim{callback != nullptr ? "callback" : "NULL"};
}

int Start(int type, int soundType, AppSndEffectCallback callback, int bVib) {
    EffectEntry& effect = State().effects[type];
    effect.soundType = soundType;
    effect.playing = true;
    effect.vibrate = bVib != 0;
    unsigned generation = ++effect.generation;
    if (effect.repeatMode != APPSND_REPEAT_ON) {
        detail::Schedule(State().duration, [type, generation, callback] {
            auto it = State().effects.find(type);
            if (it == State().effects.end() || it->second.generation != generation) {
                return;
            }
            it->second.playing = false;
            if (callback != nullptr) {
                callback(nullptr);
            }
        });
    }
    return 1;
}

int StopEffect(int type) {
    auto it = State().effects.find(type);
    if (it == State().effects.end() || !it->second.playing) {
        return 0;
    }
    it->second.playing = false;
    ++it->second.generation;
    return 1;
}

int OpReserved(AppSndEffectPlayer*) {
    detail::Enter("AppSndEffectReserved");
    return 0;
}

// Players still held when the platform was reset: their holders may release them later.
std::set<AppSndEffectPlayer*>& Retired() {
    static std::set<AppSndEffectPlayer*> retired;
    return retired;
}

int OpRelease(AppSndEffectPlayer* self) {
    if (auto fault = detail::Enter("AppSndEffectRelease")) {
        return static_cast<int>(*fault);
    }
    if (State().players.erase(self) == 0 && Retired().erase(self) == 0) {
        return 0;
    }
    delete self;
    return 1;
}

int OpPlay(AppSndEffectPlayer*, int type, AppSndEffectCallback callback, int reserved, int bVib) {
    if (auto fault =
            detail::Enter("AppSndEffectPlay", type, CallbackArg(callback), reserved, bVib)) {
        return static_cast<int>(*fault);
    }
    return Start(type, -1, callback, bVib);
}

int OpPlayWithType(AppSndEffectPlayer*, int type, int soundType, AppSndEffectCallback callback,
                   int reserved, int bVib) {
    if (auto fault = detail::Enter("AppSndEffectPlayWithType", type, soundType,
                                   CallbackArg(callback), reserved, bVib)) {
        return static_cast<int>(*fault);
    }
    return Start(type, soundType, callback, bVib);
}

int OpStop(AppSndEffectPlayer*, int type) {
    if (auto fault = detail::Enter("AppSndEffectStop", type)) {
        return static_cast<int>(*fault);
    }
    return StopEffect(type);
}

int OpSetPath(AppSndEffectPlayer*, int type, SndOutDevPath path) {
    if (auto fault = detail::Enter("AppSndEffectSetPath", type, path)) {
        return static_cast<int>(*fault);
    }
    State().effects[type].path = path;
    return 1;
}

int OpSetRepeat(AppSndEffectPlayer*, int type, int mode) {
    if (auto fault = detail::Enter("AppSndEffectSetRepeat", type, mode)) {
        return static_cast<int>(*fault);
    }
    if (mode != APPSND_REPEAT_ONCE && mode != APPSND_REPEAT_ON) {
        return 0;
    }
    State().effects[type].repeatMode = mode;
    return 1;
}

int OpSetVolume(AppSndEffectPlayer*, int type, const AvVolume* pVolume) {
    if (pVolume == nullptr) {
        if (auto fault = detail::Enter("AppSndEffectSetVolume", type, detail::Verbatim{"NULL"})) {
            return static_cast<int>(*fault);
        }
        return 0;
    }
    if (auto fault = detail::Enter(
            "AppSndEffectSetVolume", type, static_cast<int>(pVolume->reserved0),
            static_cast<int>(pVolume->leftVolume), static_cast<int>(pVolume->reserved2),
            static_cast<int>(pVolume->reserved3))) {
        return static_cast<int>(*fault);
    }
    State().effects[type].volume = pVolume->leftVolume;
    return 1;
}

const AppSndEffectPlayerOps kPlayerOps = {
    OpReserved, OpReserved, OpRelease,  OpReserved, OpReserved, OpPlay,      OpPlayWithType,
    OpStop,     OpReserved, OpReserved, OpReserved, OpSetPath,  OpSetRepeat, OpSetVolume};

}  // namespace

namespace detail {
void ResetEffects() {
    Retired().insert(State().players.begin(), State().players.end());
    State() = EffectState{};
}
}  // namespace detail

std::vector<EffectView> Effects() {
    std::vector<EffectView> views;
    for (const auto& [type, e] : State().effects) {
        views.push_back(
            EffectView{type, e.soundType, e.playing, e.repeatMode, e.path, e.volume, e.vibrate});
    }
    return views;
}

int EffectPlayers() {
    return static_cast<int>(State().players.size());
}

void SetEffectDuration(long long ms) {
    State().duration = ms;
}

}  // namespace tmxhost

using namespace tmxhost;

extern "C" int AppSndQueryInterface(int iid, void** ppObj) {
    if (auto fault = detail::Enter("AppSndQueryInterface", iid)) {
        return static_cast<int>(*fault);
    }
    if (ppObj == nullptr || iid != APPSND_IID_EFFECT_PLAYER) {
        return 0;
    }
    AppSndEffectPlayer* player = new AppSndEffectPlayer{&kPlayerOps};
    State().players.insert(player);
    *ppObj = player;
    return 1;
}

extern "C" int AppSndStopEffectSound(int iEffectType) {
    if (auto fault = detail::Enter("AppSndStopEffectSound", iEffectType)) {
        return static_cast<int>(*fault);
    }
    return StopEffect(iEffectType);
}
