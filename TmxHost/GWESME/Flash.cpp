// The Flash engine: instances of SWF files drawn into GCs on the host clock, with the play
// state, repeat mode, sound switch and sound settings each instance keeps.
//
// Handles of instances count from 1 and are never reused until Reset. A file with a video stream
// or with sound gets player handles of its own from 64 up, outside the 0-to-63 range of the
// media player so that they never name one of its players; nothing plays through them.
// Until set, an instance's volume level, sound priority and sound path are 0 and its repeat
// mode 0 (the movie ends after its last frame). A file whose frame rate is 0 plays at 12 frames
// per second.
#include <cairo.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>

#include "../Control/HostInternal.h"
#include "../Control/TmxHost.h"
#include "../GWESCore/Graphics.h"
#include "CallCommonSvc/Platform/TmxGWESME.h"
#include "Swf.h"

namespace tmxhost {
namespace {

using detail::Arg;

// Longest path accepted, in characters (the platform's paths fit 772 bytes with their zero).
constexpr std::size_t kMaxPath = 771;
constexpr int kFirstPlayer = 64;
constexpr std::uint16_t kDefaultRate = 12 * 256;

struct SurfaceDeleter {
    void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
using Surface = std::unique_ptr<cairo_surface_t, SurfaceDeleter>;

struct ImageDeleter {
    void operator()(pixman_image_t* image) const { pixman_image_unref(image); }
};

struct Instance {
    std::string path;
    int gc = INVALID_HOBJ;
    int flags = 0;
    int x = 0, y = 0, w = 0, h = 0;
    int state = WME_FLASH_STATE_STOPPED;
    bool show = true;
    int frame = -1;  // shown last
    int volume = 0;
    bool soundOn = true;
    int priority = 0;
    int soundPath = 0;
    int repeat = 0;
    std::unique_ptr<swf::Movie> movie;
    swf::Stage stage;
    WmeFlashInfo info{};
    // The clock of the running play: frames advanced since `base`.
    long long base = 0;
    long long ticks = 0;
    unsigned generation = 0;  // bumped whenever the pending frame event is to be dropped
};

struct FlashState {
    std::map<int, Instance> instances;
    int nextHandle = 1;
    int nextPlayer = kFirstPlayer;
    unsigned nextGeneration = 1;  // across resets, so that a stale event never matches
};

FlashState& State() {
    static FlashState state;
    return state;
}

Instance* Find(int hFlash) {
    auto found = State().instances.find(hFlash);
    return found == State().instances.end() ? nullptr : &found->second;
}

bool SizeOk(int w, int h) {
    return w >= 1 && h >= 1 && w <= gfx::kMaxSide && h <= gfx::kMaxSide;
}

// Milliseconds from the start of a play to its frame k.
long long Offset(const Instance& instance, long long k) {
    std::uint16_t rate = instance.movie->rate != 0 ? instance.movie->rate : kDefaultRate;
    return k * 256000 / rate;
}

// Draws the stage at the instance's size into a new RGB565 surface.
Surface Draw(const Instance& instance, const swf::Stage& stage) {
    Surface surface(cairo_image_surface_create(CAIRO_FORMAT_RGB16_565, instance.w, instance.h));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) {
        return nullptr;
    }
    swf::Render(*instance.movie, stage, surface.get());
    return surface;
}

// Draws the current stage into the GC at the instance's place, and shows it when asked.
void Present(Instance& instance) {
    Surface surface = Draw(instance, instance.stage);
    if (!surface) {
        return;
    }
    cairo_surface_flush(surface.get());
    std::unique_ptr<pixman_image_t, ImageDeleter> image(pixman_image_create_bits(
        PIXMAN_r5g6b5, instance.w, instance.h,
        reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(surface.get())),
        cairo_image_surface_get_stride(surface.get())));
    if (!image) {
        return;
    }
    if (gfx::PutImage(instance.gc, instance.x, instance.y, image.get()) && instance.show) {
        gfx::ShowGC(instance.gc);
    }
}

void ScheduleNext(int hFlash, Instance& instance);

// The next frame falls due: advance, loop or end.
void Step(int hFlash, unsigned generation) {
    Instance* instance = Find(hFlash);
    if (instance == nullptr || instance->generation != generation ||
        instance->state != WME_FLASH_STATE_PLAYING) {
        return;
    }
    ++instance->ticks;
    const auto& frames = instance->movie->frames;
    int next = instance->frame + 1;
    if (next >= static_cast<int>(frames.size())) {
        if (instance->repeat != 1) {
            instance->state = WME_FLASH_STATE_ENDED;
            return;
        }
        next = 0;
        instance->stage = swf::Stage{};
    }
    instance->stage.Apply(frames[next]);
    instance->frame = next;
    Present(*instance);
    ScheduleNext(hFlash, *instance);
}

void ScheduleNext(int hFlash, Instance& instance) {
    unsigned generation = instance.generation;
    long long due = instance.base + Offset(instance, instance.ticks + 1);
    detail::Schedule(due - Now(), [hFlash, generation] { Step(hFlash, generation); });
}

void Halt(Instance& instance, int state) {
    instance.state = state;
    instance.generation = State().nextGeneration++;
}

bool ReadFile(const char* path, std::vector<std::uint8_t>& bytes) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return false;
    }
    // A compressed file is at most a little larger than what it holds.
    constexpr std::size_t kMaxFile = kMaxFlashBytes + 65536;
    bytes.resize(kMaxFile + 1);
    file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    std::size_t got = static_cast<std::size_t>(file.gcount());
    if (got > kMaxFile) {
        return false;
    }
    bytes.resize(got);
    return true;
}

const char* StateName(int state) {
    switch (state) {
        case WME_FLASH_STATE_PLAYING:
            return "playing";
        case WME_FLASH_STATE_PAUSED:
            return "paused";
        case WME_FLASH_STATE_ENDED:
            return "ended";
        default:
            return "stopped";
    }
}

}  // namespace

namespace detail {
void ResetFlash() {
    State().instances.clear();
    State().nextHandle = 1;
    State().nextPlayer = kFirstPlayer;
}
}  // namespace detail

std::vector<FlashView> FlashInstances() {
    std::vector<FlashView> views;
    for (const auto& [handle, instance] : State().instances) {
        views.push_back(FlashView{handle, instance.path, instance.gc, instance.flags, instance.x,
                                  instance.y, instance.w, instance.h, StateName(instance.state),
                                  instance.frame, static_cast<int>(instance.movie->frames.size()),
                                  instance.volume, instance.soundOn, instance.priority,
                                  instance.soundPath, instance.repeat, instance.movie->skipped,
                                  instance.info.hFlashVideoPlayer, instance.info.hFlashAvPlayer});
    }
    return views;
}

}  // namespace tmxhost

using namespace tmxhost;

extern "C" int WmeCreateFlash(int hGC, int x, int y, int w, int h, int flags, const char* path,
                              int reserved) {
    if (auto fault = detail::Enter("WmeCreateFlash", hGC, x, y, w, h, flags, path, reserved)) {
        return static_cast<int>(*fault);
    }
    if (!gfx::GCExists(hGC) || !SizeOk(w, h) || path == nullptr || std::strlen(path) > kMaxPath) {
        return INVALID_HOBJ;
    }
    std::vector<std::uint8_t> bytes;
    if (!ReadFile(path, bytes)) {
        return INVALID_HOBJ;
    }
    auto movie = std::make_unique<swf::Movie>();
    std::string error;
    if (!swf::Parse(bytes.data(), bytes.size(), *movie, error)) {
        return INVALID_HOBJ;
    }
    Instance instance;
    instance.path = path;
    instance.gc = hGC;
    instance.flags = flags;
    instance.x = x;
    instance.y = y;
    instance.w = w;
    instance.h = h;
    instance.info.nWidth = (movie->xMax - movie->xMin) / 20;
    instance.info.nHeight = (movie->yMax - movie->yMin) / 20;
    instance.info.nFrameRate = movie->rate;
    instance.info.nFrameCount = static_cast<int32_t>(movie->frames.size());
    instance.info.hFlashVideoPlayer = movie->hasVideo ? State().nextPlayer++ : INVALID_HOBJ;
    instance.info.hFlashAvPlayer = movie->hasSound ? State().nextPlayer++ : INVALID_HOBJ;
    instance.movie = std::move(movie);
    instance.generation = State().nextGeneration++;
    int handle = State().nextHandle++;
    State().instances.emplace(handle, std::move(instance));
    return handle;
}

extern "C" int WmeDestroyFlash(int hFlash) {
    if (auto fault = detail::Enter("WmeDestroyFlash", hFlash)) {
        return static_cast<int>(*fault);
    }
    return State().instances.erase(hFlash) != 0 ? 1 : 0;
}

extern "C" int WmePlayFlashByShowFlag(int hFlash, int bShow) {
    if (auto fault = detail::Enter("WmePlayFlashByShowFlag", hFlash, bShow)) {
        return static_cast<int>(*fault);
    }
    Instance* instance = Find(hFlash);
    if (instance == nullptr) {
        return 0;
    }
    instance->show = bShow != 0;
    if (instance->state == WME_FLASH_STATE_PLAYING) {
        return 1;
    }
    bool resume = instance->state == WME_FLASH_STATE_PAUSED;
    Halt(*instance, WME_FLASH_STATE_PLAYING);
    instance->base = Now();
    instance->ticks = 0;
    if (!resume) {
        instance->stage = swf::Stage{};
        instance->stage.Apply(instance->movie->frames[0]);
        instance->frame = 0;
        Present(*instance);
    }
    ScheduleNext(hFlash, *instance);
    return 1;
}

extern "C" int WmeStopFlash(int hFlash) {
    if (auto fault = detail::Enter("WmeStopFlash", hFlash)) {
        return static_cast<int>(*fault);
    }
    Instance* instance = Find(hFlash);
    if (instance == nullptr) {
        return 0;
    }
    Halt(*instance, WME_FLASH_STATE_STOPPED);
    return 1;
}

extern "C" int WmePauseFlash(int hFlash) {
    if (auto fault = detail::Enter("WmePauseFlash", hFlash)) {
        return static_cast<int>(*fault);
    }
    Instance* instance = Find(hFlash);
    if (instance == nullptr) {
        return 0;
    }
    if (instance->state == WME_FLASH_STATE_PLAYING) {
        Halt(*instance, WME_FLASH_STATE_PAUSED);
    }
    return instance->state == WME_FLASH_STATE_PAUSED ? 1 : 0;
}

extern "C" int WmeGetFlashPlayState(int hFlash, int* pState) {
    if (auto fault = detail::Enter("WmeGetFlashPlayState", hFlash)) {
        return static_cast<int>(*fault);
    }
    Instance* instance = Find(hFlash);
    if (instance == nullptr || pState == nullptr) {
        return 0;
    }
    *pState = instance->state;
    return 1;
}

extern "C" int WmeSetFlashRect(int hFlash, int x, int y, int w, int h) {
    if (auto fault = detail::Enter("WmeSetFlashRect", hFlash, x, y, w, h)) {
        return static_cast<int>(*fault);
    }
    Instance* instance = Find(hFlash);
    if (instance == nullptr || !SizeOk(w, h)) {
        return 0;
    }
    instance->x = x;
    instance->y = y;
    instance->w = w;
    instance->h = h;
    if (instance->state == WME_FLASH_STATE_PLAYING || instance->state == WME_FLASH_STATE_PAUSED) {
        Present(*instance);
    }
    return 1;
}

extern "C" int WmeSetFlashRepeatMode(int hFlash, int mode) {
    if (auto fault = detail::Enter("WmeSetFlashRepeatMode", hFlash, mode)) {
        return static_cast<int>(*fault);
    }
    Instance* instance = Find(hFlash);
    if (instance == nullptr) {
        return 0;
    }
    instance->repeat = mode;
    return 1;
}

extern "C" WmeFlashInfo* WmeGetFlashInfo(int hFlash) {
    if (auto fault = detail::Enter("WmeGetFlashInfo", hFlash)) {
        return reinterpret_cast<WmeFlashInfo*>(static_cast<std::intptr_t>(*fault));
    }
    Instance* instance = Find(hFlash);
    return instance == nullptr ? nullptr : &instance->info;
}

extern "C" int WmeEnableFlashSound(int hFlash, int bEnable) {
    if (auto fault = detail::Enter("WmeEnableFlashSound", hFlash, bEnable)) {
        return static_cast<int>(*fault);
    }
    Instance* instance = Find(hFlash);
    if (instance == nullptr) {
        return 0;
    }
    instance->soundOn = bEnable != 0;
    return 1;
}

extern "C" int WmeMuteFlashSound(int hFlash, int bMute) {
    if (auto fault = detail::Enter("WmeMuteFlashSound", hFlash, bMute)) {
        return static_cast<int>(*fault);
    }
    Instance* instance = Find(hFlash);
    if (instance == nullptr) {
        return 0;
    }
    instance->soundOn = bMute == 0;
    return 1;
}

extern "C" int WmeIsFlashSoundEnabled(int hFlash) {
    if (auto fault = detail::Enter("WmeIsFlashSoundEnabled", hFlash)) {
        return static_cast<int>(*fault);
    }
    Instance* instance = Find(hFlash);
    return instance != nullptr && instance->soundOn ? 1 : 0;
}

extern "C" int WmeSetFlashSoundPriority(int hFlash, SsmSoundPriority_T priority) {
    if (auto fault = detail::Enter("WmeSetFlashSoundPriority", hFlash, priority)) {
        return static_cast<int>(*fault);
    }
    Instance* instance = Find(hFlash);
    if (instance == nullptr) {
        return 0;
    }
    instance->priority = priority;
    return 1;
}

extern "C" int WmeSetFlashSoundPath(int hFlash, SndOutDevPath path) {
    if (auto fault = detail::Enter("WmeSetFlashSoundPath", hFlash, path)) {
        return static_cast<int>(*fault);
    }
    Instance* instance = Find(hFlash);
    if (instance == nullptr) {
        return 0;
    }
    instance->soundPath = path;
    return 1;
}

extern "C" int WmeGetFlashSoundPath(int hFlash, SndOutDevPath* pPath) {
    if (auto fault = detail::Enter("WmeGetFlashSoundPath", hFlash)) {
        return static_cast<int>(*fault);
    }
    Instance* instance = Find(hFlash);
    if (instance == nullptr || pPath == nullptr) {
        return 0;
    }
    *pPath = instance->soundPath;
    return 1;
}

extern "C" int WmeSetFlashVolumeLevel(int hFlash, int level) {
    if (auto fault = detail::Enter("WmeSetFlashVolumeLevel", hFlash, level)) {
        return static_cast<int>(*fault);
    }
    Instance* instance = Find(hFlash);
    if (instance == nullptr) {
        return 0;
    }
    instance->volume = level;
    return 1;
}

extern "C" int WmeGetFlashVolumeLevel(int hFlash, int* pLevel) {
    if (auto fault = detail::Enter("WmeGetFlashVolumeLevel", hFlash)) {
        return static_cast<int>(*fault);
    }
    Instance* instance = Find(hFlash);
    if (instance == nullptr || pLevel == nullptr) {
        return 0;
    }
    *pLevel = instance->volume;
    return 1;
}

extern "C" tagWMBITMAP* WmeGetFlashFrame(int hFlash, int frame) {
    if (auto fault = detail::Enter("WmeGetFlashFrame", hFlash, frame)) {
        return reinterpret_cast<tagWMBITMAP*>(static_cast<std::intptr_t>(*fault));
    }
    Instance* instance = Find(hFlash);
    if (instance == nullptr || frame < 0 ||
        frame >= static_cast<int>(instance->movie->frames.size())) {
        return nullptr;
    }
    swf::Stage stage;
    for (int i = 0; i <= frame; ++i) {
        stage.Apply(instance->movie->frames[i]);
    }
    Surface surface = Draw(*instance, stage);
    if (!surface) {
        return nullptr;
    }
    tagWMBITMAP* bitmap =
        gfx::NewBitmap(instance->w, instance->h, 16, "TmxHost/GWESME/Flash", __LINE__);
    if (bitmap == nullptr) {
        return nullptr;
    }
    cairo_surface_flush(surface.get());
    const unsigned char* from = cairo_image_surface_get_data(surface.get());
    int stride = cairo_image_surface_get_stride(surface.get());
    auto* to = static_cast<unsigned char*>(bitmap->pBits);
    std::size_t row = static_cast<std::size_t>(instance->w) * 2;
    for (int y = 0; y < instance->h; ++y) {
        std::memcpy(to + row * y, from + static_cast<std::size_t>(stride) * y, row);
    }
    return bitmap;
}
