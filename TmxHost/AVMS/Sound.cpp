// Sound-state manager and audio callers. A registration asks for a priority's sound; the
// manager grants it (state 3) and calls the registered callback with its user data, during the
// registration or later on the clock. Unregistering returns the priority to state 0.
#include <map>

#include "../Control/HostInternal.h"
#include "../Control/TmxHost.h"
#include "CallCommonSvc/Platform/TmxAVMS.h"

namespace tmxhost {
namespace {

struct SoundSlot {
    int type = 0;
    int state = AM_SNDSTATE_NONE;
    SsmSoundCallback_T callback = nullptr;
    void* userData = nullptr;
    unsigned generation = 0;  // bumped by each registration and unregistration
};

struct CallerEntry {
    int priority = 0;
    int path = 0;
    int mute = 0;
    int rxMute = 0;
    int whisper = 0;
    int volume = 0;
};

struct AvmsState {
    std::map<int, SoundSlot> slots;
    std::map<int, CallerEntry> callers;
    int nextCaller = 1;
    long long grantDelay = 0;
};

AvmsState& State() {
    static AvmsState state;
    return state;
}

// Calls the registered callback; the callback may register, unregister or create callers.
bool Deliver(int priority, int type, int cmd) {
    auto it = State().slots.find(priority);
    if (it == State().slots.end() || it->second.callback == nullptr) {
        return false;
    }
    SsmSoundCallback_T callback = it->second.callback;
    void* userData = it->second.userData;
    callback(priority, type, cmd, userData);
    return true;
}

void Grant(int priority, unsigned generation) {
    auto it = State().slots.find(priority);
    if (it == State().slots.end() || it->second.callback == nullptr ||
        it->second.generation != generation) {
        return;  // unregistered or registered again meanwhile
    }
    it->second.state = AM_SNDSTATE_ACTIVE;
    Deliver(priority, it->second.type, kSoundCommandStart);
}

CallerEntry* FindCaller(int hCaller) {
    auto it = State().callers.find(hCaller);
    return it != State().callers.end() ? &it->second : nullptr;
}

}  // namespace

namespace detail {
void ResetSound() {
    State() = AvmsState{};
}
}  // namespace detail

void SetSoundState(int priority, int type, int state) {
    SoundSlot& slot = State().slots[priority];
    slot.type = type;
    slot.state = state;
}

int GetSoundState(int priority) {
    auto it = State().slots.find(priority);
    return it != State().slots.end() ? it->second.state : AM_SNDSTATE_NONE;
}

bool IsSoundCallbackRegistered(int priority) {
    auto it = State().slots.find(priority);
    return it != State().slots.end() && it->second.callback != nullptr;
}

void SetSoundGrantDelay(long long ms) {
    State().grantDelay = ms;
}

bool SendSoundCommand(int priority, int type, int cmd) {
    return Deliver(priority, type, cmd);
}

std::vector<AudioCallerView> AudioCallers() {
    std::vector<AudioCallerView> views;
    for (const auto& [handle, c] : State().callers) {
        views.push_back(
            AudioCallerView{handle, c.priority, c.path, c.mute, c.rxMute, c.whisper, c.volume});
    }
    return views;
}

}  // namespace tmxhost

using namespace tmxhost;
using detail::Arg;

extern "C" int SsmGetSoundState(SsmSoundPriority_T priority, SsmSoundType_T* pType, int* pState) {
    if (auto fault = detail::Enter("SsmGetSoundState", priority)) {
        return static_cast<int>(*fault);
    }
    auto it = State().slots.find(priority);
    if (pType != nullptr) {
        *pType = it != State().slots.end() ? it->second.type : 0;
    }
    if (pState != nullptr) {
        *pState = it != State().slots.end() ? it->second.state : AM_SNDSTATE_NONE;
    }
    return 1;
}

// A new registration replaces the priority's previous one.
extern "C" int SsmRegisterSoundCallback(SsmSoundPriority_T priority, int reserved,
                                        SsmSoundCallback_T callback, void* userData, const char*,
                                        int) {
    if (auto fault = detail::Enter("SsmRegisterSoundCallback", priority, reserved,
                                   detail::Verbatim{callback != nullptr ? "callback" : "NULL"},
                                   detail::Verbatim{userData != nullptr ? "object" : "NULL"})) {
        return static_cast<int>(*fault);
    }
    if (callback == nullptr) {
        return 0;
    }
    SoundSlot& slot = State().slots[priority];
    slot.callback = callback;
    slot.userData = userData;
    unsigned generation = ++slot.generation;
    if (State().grantDelay > 0) {
        detail::Schedule(State().grantDelay,
                         [priority, generation] { Grant(priority, generation); });
    } else {
        Grant(priority, generation);
    }
    return 1;
}

extern "C" int SsmUnregisterSoundCallback(SsmSoundPriority_T priority, const char*, int) {
    if (auto fault = detail::Enter("SsmUnregisterSoundCallback", priority)) {
        return static_cast<int>(*fault);
    }
    auto it = State().slots.find(priority);
    if (it == State().slots.end()) {
        return 0;
    }
    bool registered = it->second.callback != nullptr;
    it->second.callback = nullptr;
    it->second.userData = nullptr;
    it->second.state = AM_SNDSTATE_NONE;
    ++it->second.generation;
    return registered ? 1 : 0;
}

extern "C" int AvCreateCaller(SsmSoundPriority_T priority, SndOutDevPath path) {
    if (auto fault = detail::Enter("AvCreateCaller", priority, path)) {
        return static_cast<int>(*fault);
    }
    int handle = State().nextCaller++;
    CallerEntry& caller = State().callers[handle];
    caller.priority = priority;
    caller.path = path;
    return handle;
}

extern "C" int AvDeleteCaller(int hCaller) {
    if (auto fault = detail::Enter("AvDeleteCaller", hCaller)) {
        return static_cast<int>(*fault);
    }
    return State().callers.erase(hCaller) != 0 ? 1 : 0;
}

extern "C" int AvSetSoundPath(int hCaller, SndOutDevPath path) {
    if (auto fault = detail::Enter("AvSetSoundPath", hCaller, path)) {
        return static_cast<int>(*fault);
    }
    CallerEntry* caller = FindCaller(hCaller);
    if (caller == nullptr) {
        return 0;
    }
    caller->path = path;
    return 1;
}

extern "C" int AvMuteCaller(int hCaller, AvMuteInfo muteInfo) {
    if (auto fault = detail::Enter("AvMuteCaller", hCaller, muteInfo.reserved0, muteInfo.bMute,
                                   muteInfo.bRxMute, muteInfo.reserved[0], muteInfo.reserved[1],
                                   muteInfo.reserved[2], muteInfo.reserved[3])) {
        return static_cast<int>(*fault);
    }
    CallerEntry* caller = FindCaller(hCaller);
    if (caller == nullptr) {
        return 0;
    }
    caller->mute = muteInfo.bMute;
    caller->rxMute = muteInfo.bRxMute;
    return 1;
}

extern "C" int AvSetWhisperMode(int hCaller, int bMode) {
    if (auto fault = detail::Enter("AvSetWhisperMode", hCaller, bMode)) {
        return static_cast<int>(*fault);
    }
    CallerEntry* caller = FindCaller(hCaller);
    if (caller == nullptr) {
        return 0;
    }
    caller->whisper = bMode;
    return 1;
}

extern "C" int AvSetCallVolume(int hCaller, AvVolume volume) {
    if (auto fault = detail::Enter("AvSetCallVolume", hCaller, volume.reserved0, volume.leftVolume,
                                   volume.reserved2, volume.reserved3)) {
        return static_cast<int>(*fault);
    }
    CallerEntry* caller = FindCaller(hCaller);
    if (caller == nullptr) {
        return 0;
    }
    caller->volume = volume.leftVolume;
    return 1;
}
