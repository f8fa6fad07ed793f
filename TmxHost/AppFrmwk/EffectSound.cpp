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

std::string CallbackArg(AppSndEffectCallback callback) {
    return callback != nullptr ? "callback" : "NULL";
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
    detail::Enter("AppSndEffectReserved", {});
    return 0;
}

// Players still held when the platform was reset: their holders may release them later.
std::set<AppSndEffectPlayer*>& Retired() {
    static std::set<AppSndEffectPlayer*> retired;
    return retired;
}

int OpRelease(AppSndEffectPlayer* self) {
    if (auto fault = detail::Enter("AppSndEffectRelease", {})) {
        return static_cast<int>(*fault);
    }
    if (State().players.erase(self) == 0 && Retired().erase(self) == 0) {
        return 0;
    }
    delete self;
    return 1;
}

int OpPlay(AppSndEffectPlayer*, int type, AppSndEffectCallback callback, int reserved, int bVib) {
    if (auto fault = detail::Enter(
            "AppSndEffectPlay",
            {detail::Arg(type), CallbackArg(callback), detail::Arg(reserved), detail::Arg(bVib)})) {
        return static_cast<int>(*fault);
    }
    return Start(type, -1, callback, bVib);
}

int OpPlayWithType(AppSndEffectPlayer*, int type, int soundType, AppSndEffectCallback callback,
                   int reserved, int bVib) {
    if (auto fault =
            detail::Enter("AppSndEffectPlayWithType",
                          {detail::Arg(type), detail::Arg(soundType), CallbackArg(callback),
                           detail::Arg(reserved), detail::Arg(bVib)})) {
        return static_cast<int>(*fault);
    }
    return Start(type, soundType, callback, bVib);
}

int OpStop(AppSndEffectPlayer*, int type) {
    if (auto fault = detail::Enter("AppSndEffectStop", {detail::Arg(type)})) {
        return static_cast<int>(*fault);
    }
    return StopEffect(type);
}

int OpSetPath(AppSndEffectPlayer*, int type, SndOutDevPath path) {
    if (auto fault = detail::Enter("AppSndEffectSetPath", {detail::Arg(type), detail::Arg(path)})) {
        return static_cast<int>(*fault);
    }
    State().effects[type].path = path;
    return 1;
}

int OpSetRepeat(AppSndEffectPlayer*, int type, int mode) {
    if (auto fault =
            detail::Enter("AppSndEffectSetRepeat", {detail::Arg(type), detail::Arg(mode)})) {
        return static_cast<int>(*fault);
    }
    if (mode != APPSND_REPEAT_ONCE && mode != APPSND_REPEAT_ON) {
        return 0;
    }
    State().effects[type].repeatMode = mode;
    return 1;
}

int OpSetVolume(AppSndEffectPlayer*, int type, const AvVolume* pVolume) {
    std::vector<std::string> args{detail::Arg(type)};
    if (pVolume == nullptr) {
        args.push_back("NULL");
    } else {
        for (int32_t word :
             {pVolume->reserved0, pVolume->leftVolume, pVolume->reserved2, pVolume->reserved3}) {
            args.push_back(detail::Arg(static_cast<int>(word)));
        }
    }
    if (auto fault = detail::Enter("AppSndEffectSetVolume", std::move(args))) {
        return static_cast<int>(*fault);
    }
    if (pVolume == nullptr) {
        return 0;
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
    if (auto fault = detail::Enter("AppSndQueryInterface", {detail::Arg(iid)})) {
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
    if (auto fault = detail::Enter("AppSndStopEffectSound", {detail::Arg(iEffectType)})) {
        return static_cast<int>(*fault);
    }
    return StopEffect(iEffectType);
}
