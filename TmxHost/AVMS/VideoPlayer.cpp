// The video player: handles 0 to 63, each playing its file on the host clock into an overlay GC,
// and the frame grabber. The host's own drawing of frames is not a platform call: it is neither
// logged nor subject to injected faults.
#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <vector>

extern "C" {
#include <libavutil/frame.h>
}

#include "../Control/HostInternal.h"
#include "../Control/TmxHost.h"
#include "CallCommonSvc/Platform/TmxAVMS.h"
#include "CallCommonSvc/Platform/TmxGWESCore.h"
#include "VideoMedia.h"

namespace tmxhost {
namespace {

constexpr int kMaxPlayers = 64;

// Volume presets of the platform's volume manager: the ring tone and the other sound kinds the
// host plays. Preset ids are the manager's own numbers.
AvVolPreset g_presets[] = {
    {0, 10, 5, "RingTone"}, {1, 11, 5, "Alarm"}, {2, 12, 4, "Notification"},
    {3, 13, 5, "Media"},    {4, 14, 4, "Voice"},
};

struct Player {
    std::string path;
    std::string state = "created";
    long long positionMs = 0;  // frozen value when not playing
    int volumeLevel = -1;
    int volumeFlag = 0;
    bool muted = false;
    int repeat = 0;
    int soundPath = 0;
    int presetId = 0;
    int gc = INVALID_HOBJ;
    int framesShown = 0;
    unsigned id = 0;          // tells this player from a later one at the same handle
    unsigned serial = 0;      // identifies this player's current run for its clock events
    long long loopStart = 0;  // host time of the media's time 0 in the current loop
    int loopsLeft = 0;
    std::unique_ptr<video::Source> source;
    video::Scaler scaler;
    std::vector<std::uint16_t> pixels;
};

struct VideoState {
    std::map<int, Player> players;
    std::function<void(int, PlayerEvent)> listener;
    unsigned nextSerial = 1;
};

VideoState& State() {
    static VideoState state;
    return state;
}

Player* Find(int handle) {
    auto it = State().players.find(handle);
    return it != State().players.end() ? &it->second : nullptr;
}

Player* FindId(int handle, unsigned id) {
    Player* player = Find(handle);
    return player != nullptr && player->id == id ? player : nullptr;
}

Player* FindRun(int handle, unsigned serial) {
    Player* player = Find(handle);
    return player != nullptr && player->serial == serial ? player : nullptr;
}

// Tells the listener on the clock, as a platform player posts its notifications, unless the
// player was deleted meanwhile.
void Post(int handle, PlayerEvent event) {
    Player* player = Find(handle);
    unsigned id = player != nullptr ? player->id : 0;
    detail::Schedule(0, [handle, id, event] {
        if (FindId(handle, id) != nullptr && State().listener) {
            auto listener = State().listener;
            listener(handle, event);
        }
    });
}

// Already on the clock: tells the listener now.
void Tell(int handle, PlayerEvent event) {
    if (State().listener) {
        auto listener = State().listener;
        listener(handle, event);
    }
}

long long Duration(const Player& player) {
    return player.source ? player.source->Info().durationMs : 0;
}

long long PositionMs(const Player& player) {
    if (player.state != "playing") {
        return player.positionMs;
    }
    long long at = Now() - player.loopStart;
    long long duration = Duration(player);
    return std::clamp(at, 0LL, duration > 0 ? duration : at);
}

// Runs platform calls of the host's own without logging them or letting faults hit them.
class Unobserved {
public:
    Unobserved() : recording_(detail::g_recording), faults_(detail::g_faultsSet) {
        detail::g_recording &= ~static_cast<unsigned>(kRecordCalls);
        detail::g_faultsSet = false;
    }
    ~Unobserved() {
        detail::g_recording = recording_;
        detail::g_faultsSet = faults_;
    }
    Unobserved(const Unobserved&) = delete;
    Unobserved& operator=(const Unobserved&) = delete;

private:
    unsigned recording_;
    bool faults_;
};

// Fits the decoded frame into the overlay GC, centred, and shows the GC.
bool Draw(Player& player) {
    std::optional<GCView> target;
    for (const GCView& gc : GCs()) {
        if (gc.handle == player.gc) {
            target = gc;
        }
    }
    const AVFrame* frame = player.source->Frame();
    if (!target || frame == nullptr) {
        return false;
    }
    int width = 0;
    int height = 0;
    video::FitInside(frame->width, frame->height, target->width, target->height, &width, &height);
    player.pixels.resize(static_cast<std::size_t>(width) * height);
    if (!player.scaler.Convert(frame, width, height,
                               reinterpret_cast<std::uint8_t*>(player.pixels.data()), width * 2)) {
        return false;
    }
    tagWMBITMAP bitmap{};
    bitmap.rectW = width;
    bitmap.rectH = height;
    bitmap.nBitsPerPixel = 16;
    bitmap.pBits = player.pixels.data();
    Unobserved quiet;
    return WmDrawBitmap(player.gc, (target->width - width) / 2, (target->height - height) / 2,
                        &bitmap) != 0 &&
           _WmShowGC(player.gc, 1) != 0;
}

void Fail(int handle, Player& player, bool onClock) {
    player.positionMs = PositionMs(player);
    player.state = "error";
    if (onClock) {
        Tell(handle, PlayerEvent::kError);
    } else {
        Post(handle, PlayerEvent::kError);
    }
}

void ShowFrame(int handle, unsigned serial);
void EndOfMedia(int handle, unsigned serial, long long endsAt);

// Decodes the next frame and schedules it, or the end of the media. False on a decoding error.
bool Continue(int handle, Player& player) {
    int result = player.source->Next();
    if (result < 0) {
        return false;
    }
    unsigned serial = player.serial;
    if (result == 1) {
        long long due = player.loopStart + player.source->FrameMs();
        detail::Schedule(due - Now(), [handle, serial] { ShowFrame(handle, serial); });
        return true;
    }
    long long lastEnds = player.source->FrameMs() + player.source->FrameDurationMs();
    long long endsAt = player.loopStart + std::max(Duration(player), lastEnds);
    detail::Schedule(endsAt - Now(),
                     [handle, serial, endsAt] { EndOfMedia(handle, serial, endsAt); });
    return true;
}

void ShowFrame(int handle, unsigned serial) {
    Player* player = FindRun(handle, serial);
    if (player == nullptr || player->state != "playing") {
        return;
    }
    if (Draw(*player)) {
        ++player->framesShown;
    }
    if (!Continue(handle, *player)) {
        Fail(handle, *player, true);
    }
}

void EndOfMedia(int handle, unsigned serial, long long endsAt) {
    Player* player = FindRun(handle, serial);
    if (player == nullptr || player->state != "playing") {
        return;
    }
    if (player->loopsLeft != 0) {
        if (player->loopsLeft > 0) {
            --player->loopsLeft;
        }
        player->loopStart = endsAt;
        if (!player->source->Rewind() || !Continue(handle, *player)) {
            Fail(handle, *player, true);
        }
        return;
    }
    player->positionMs = Duration(*player);
    player->state = "ended";
    Tell(handle, PlayerEvent::kStopped);
}

std::string MediaArg(const AvInputMedia* media) {
    if (media == nullptr) {
        return "NULL";
    }
    std::size_t length = strnlen(media->szFilePath, sizeof(media->szFilePath));
    std::string path(media->szFilePath, length);
    return "{" + std::to_string(media->nSourceType) + ", " + std::to_string(media->nMediaType) +
           ", " + std::to_string(media->nPresetId) + ", " + std::to_string(media->nSoundPath) +
           ", " + std::to_string(media->hGC) + ", \"" + path + "\"}";
}

}  // namespace

namespace detail {
void ResetVideo() {
    State() = VideoState{};
}
}  // namespace detail

void SetPlayerListener(std::function<void(int hPlayer, PlayerEvent event)> listener) {
    State().listener = std::move(listener);
}

std::vector<PlayerView> Players() {
    std::vector<PlayerView> views;
    for (const auto& [handle, p] : State().players) {
        views.push_back(PlayerView{handle, p.path, p.state, PositionMs(p), p.volumeLevel,
                                   p.volumeFlag, p.muted, p.repeat, p.soundPath, p.presetId, p.gc,
                                   p.framesShown});
    }
    return views;
}

}  // namespace tmxhost

using namespace tmxhost;
using detail::Arg;

extern "C" int AvGetVideoInfo(const char* path, AvMediaInfo* pInfo) {
    if (auto fault = detail::Enter("AvGetVideoInfo", path)) {
        return static_cast<int>(*fault);
    }
    if (pInfo == nullptr) {
        return 0;
    }
    video::Source source;
    if (!source.Open(path)) {
        return 0;
    }
    const video::MediaInfo& info = source.Info();
    std::memset(pInfo, 0, sizeof(*pInfo));
    pInfo->nMediaType = info.hasAudio ? 1 : 2;
    pInfo->nDurationMs = static_cast<int32_t>(std::min(info.durationMs, 0x7FFFFFFFLL));
    pInfo->nFrameRate = info.frameRate;
    pInfo->nWidth = info.width;
    pInfo->nHeight = info.height;
    return 1;
}

extern "C" AvVolPreset* AvVolMgrLookupPresetByName(const char* name) {
    if (auto fault = detail::Enter("AvVolMgrLookupPresetByName", name)) {
        return reinterpret_cast<AvVolPreset*>(static_cast<std::intptr_t>(*fault));
    }
    if (name == nullptr) {
        return nullptr;
    }
    for (AvVolPreset& preset : g_presets) {
        if (std::strcmp(preset.szName, name) == 0) {
            return &preset;
        }
    }
    return nullptr;
}

extern "C" int AvCreatePlayer(const AvInputMedia* pMedia, int reserved, int owner) {
    if (auto fault =
            detail::Enter("AvCreatePlayer", {MediaArg(pMedia), Arg(reserved), Arg(owner)})) {
        return static_cast<int>(*fault);
    }
    if (pMedia == nullptr || pMedia->nSourceType != 1 ||
        strnlen(pMedia->szFilePath, sizeof(pMedia->szFilePath)) == sizeof(pMedia->szFilePath)) {
        return INVALID_HOBJ;  // no file, or a path without its terminating zero
    }
    int handle = 0;
    while (handle < kMaxPlayers && State().players.count(handle) != 0) {
        ++handle;
    }
    if (handle == kMaxPlayers) {
        return INVALID_HOBJ;
    }
    auto source = std::make_unique<video::Source>();
    if (!source->Open(pMedia->szFilePath)) {
        return INVALID_HOBJ;
    }
    Player& player = State().players[handle];
    player.path = pMedia->szFilePath;
    player.soundPath = pMedia->nSoundPath;
    player.presetId = pMedia->nPresetId;
    player.gc = pMedia->hGC;
    player.id = State().nextSerial++;
    player.serial = State().nextSerial++;
    player.source = std::move(source);
    for (const AvVolPreset& preset : g_presets) {
        if (preset.nPresetId == pMedia->nPresetId) {
            player.volumeLevel = preset.nLevel;
        }
    }
    Post(handle, PlayerEvent::kCreated);
    return handle;
}

// Plays from the first frame; a player already playing goes on.
extern "C" int AvStartPlayer(int hPlayer) {
    if (auto fault = detail::Enter("AvStartPlayer", hPlayer)) {
        return static_cast<int>(*fault);
    }
    Player* player = Find(hPlayer);
    if (player == nullptr) {
        return 0;
    }
    if (player->state == "playing") {
        return 1;
    }
    if (player->state != "created" && !player->source->Rewind()) {
        // A damaged file that cannot seek: open it afresh.
        if (!player->source->Open(player->path.c_str())) {
            Fail(hPlayer, *player, false);
            return 0;
        }
    }
    player->serial = State().nextSerial++;
    player->state = "playing";
    player->positionMs = 0;
    player->framesShown = 0;
    player->loopStart = Now();
    player->loopsLeft = player->repeat;
    Post(hPlayer, PlayerEvent::kPlaying);
    if (!Continue(hPlayer, *player)) {
        Fail(hPlayer, *player, false);
        return 0;
    }
    return 1;
}

extern "C" int AvStopPlayer(int hPlayer) {
    if (auto fault = detail::Enter("AvStopPlayer", hPlayer)) {
        return static_cast<int>(*fault);
    }
    Player* player = Find(hPlayer);
    if (player == nullptr) {
        return 0;
    }
    if (player->state == "playing") {
        player->positionMs = PositionMs(*player);
        player->state = "stopped";
        player->serial = State().nextSerial++;
        Post(hPlayer, PlayerEvent::kStopped);
    }
    return 1;
}

extern "C" int AvDeletePlayer(int hPlayer) {
    if (auto fault = detail::Enter("AvDeletePlayer", hPlayer)) {
        return static_cast<int>(*fault);
    }
    return State().players.erase(hPlayer) != 0 ? 1 : 0;
}

extern "C" int AvSetPlayerRepeat(int hPlayer, int count) {
    if (auto fault = detail::Enter("AvSetPlayerRepeat", hPlayer, count)) {
        return static_cast<int>(*fault);
    }
    Player* player = Find(hPlayer);
    if (player == nullptr || count < -1) {
        return 0;
    }
    player->repeat = count;
    player->loopsLeft = count;
    return 1;
}

extern "C" int AvSetPlayerVolume(int hPlayer, AvVolume volume) {
    if (auto fault = detail::Enter("AvSetPlayerVolume", hPlayer, volume.reserved0,
                                   volume.leftVolume, volume.reserved2, volume.reserved3)) {
        return static_cast<int>(*fault);
    }
    Player* player = Find(hPlayer);
    if (player == nullptr) {
        return 0;
    }
    player->volumeFlag = volume.reserved0;
    player->volumeLevel = volume.leftVolume;
    return 1;
}

extern "C" int AvSetPlayerMute(int hPlayer, AvPlayerMute mute) {
    if (auto fault = detail::Enter("AvSetPlayerMute", hPlayer, mute.bMute, mute.bMuteState)) {
        return static_cast<int>(*fault);
    }
    Player* player = Find(hPlayer);
    if (player == nullptr) {
        return 0;
    }
    player->muted = mute.bMute != 0;
    return 1;
}

extern "C" int AvGetPlayerMute(int hPlayer, AvPlayerMute* pMute) {
    if (auto fault = detail::Enter("AvGetPlayerMute", hPlayer)) {
        return static_cast<int>(*fault);
    }
    Player* player = Find(hPlayer);
    if (player == nullptr || pMute == nullptr) {
        return 0;
    }
    pMute->bMute = player->muted ? 1 : 0;
    pMute->bMuteState = player->muted ? 1 : 0;
    return 1;
}

// The playing position in the media, in whole seconds; 0 for no player.
extern "C" int AvGetPlayerPosition(int hPlayer) {
    if (auto fault = detail::Enter("AvGetPlayerPosition", hPlayer)) {
        return static_cast<int>(*fault);
    }
    Player* player = Find(hPlayer);
    return player != nullptr ? static_cast<int>(PositionMs(*player) / 1000) : 0;
}

// bScale 1 fits the frame inside the box keeping its aspect ratio; otherwise the frame keeps its
// size, centred and cropped. The box outside the picture is black.
extern "C" int AvGetVideoFrame(const char* path, int width, int height, int timeMs, int flag,
                               int bScale, void* pBuffer, tagWMBITMAP* pDescriptor) {
    if (auto fault = detail::Enter("AvGetVideoFrame", path, width, height, timeMs, flag, bScale)) {
        return static_cast<int>(*fault);
    }
    if (pBuffer == nullptr || pDescriptor == nullptr || width < 1 || height < 1 ||
        width > video::kMaxSide || height > video::kMaxSide) {
        return 0;
    }
    video::Source source;
    if (!source.Open(path) || !source.FrameAt(std::max(timeMs, 0))) {
        return 0;
    }
    const AVFrame* frame = source.Frame();
    video::Scaler scaler;
    auto* out = static_cast<std::uint8_t*>(pBuffer);
    std::size_t stride = static_cast<std::size_t>(width) * 2;
    std::memset(out, 0, stride * height);
    if (bScale == 1) {
        int w = 0;
        int h = 0;
        video::FitInside(frame->width, frame->height, width, height, &w, &h);
        std::uint8_t* at = out + static_cast<std::size_t>((height - h) / 2) * stride +
                           static_cast<std::size_t>((width - w) / 2) * 2;
        if (!scaler.Convert(frame, w, h, at, static_cast<int>(stride))) {
            return 0;
        }
    } else {
        std::vector<std::uint8_t> full(static_cast<std::size_t>(frame->width) * frame->height * 2);
        int fullStride = frame->width * 2;
        if (!scaler.Convert(frame, frame->width, frame->height, full.data(), fullStride)) {
            return 0;
        }
        // Centre the frame on the box: crop where it is larger, black around where smaller.
        int dx = (width - frame->width) / 2;
        int dy = (height - frame->height) / 2;
        int cols = std::min(width, frame->width);
        int rows = std::min(height, frame->height);
        int srcX = std::max(0, -dx);
        int srcY = std::max(0, -dy);
        int dstX = std::max(0, dx);
        int dstY = std::max(0, dy);
        for (int row = 0; row < rows; ++row) {
            std::memcpy(out + (dstY + row) * stride + dstX * 2,
                        full.data() + static_cast<std::size_t>(srcY + row) * fullStride + srcX * 2,
                        static_cast<std::size_t>(cols) * 2);
        }
    }
    pDescriptor->rectW = width;
    pDescriptor->rectH = height;
    pDescriptor->nBitsPerPixel = 16;
    pDescriptor->pBits = pBuffer;
    return 1;
}
