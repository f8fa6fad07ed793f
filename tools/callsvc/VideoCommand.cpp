// callsvc video: grabs the first frame of a video, or the last one shown after playing it as a
// video ringtone, through the library, and writes it as PNG.

#include <cstdio>

#include "CallCommonSvc/Platform/TmxGWESCore.h"
#include "CallCommonSvc/VoiceVideoCommonSvc/Mgr/CallVideoCLI.h"
#include "Commands.h"
#include "Module.h"
#include "Options.h"
#include "TmxHost.h"

namespace callsvc {
namespace {

constexpr long long kMaxPlayMs = 600000;
constexpr int kMaxSide = 4096;

const char kUsage[] =
    "usage: callsvc video FILE --frame first|last --size WxH --png OUT.png [--play-ms N]\n"
    "       [options]\n"
    "\n"
    "Writes a frame of a video file as the library grabs it for the video caller ID, fitted\n"
    "into a WxH box (black around it):\n"
    "  first   the frame the library takes as the first one (at one second)\n"
    "  last    the frame shown when the ring stops: the library creates and starts its player\n"
    "          (in a window of the screen's size), the host's virtual clock runs N ms, and the\n"
    "          frame at the player's position is grabbed\n"
    "\n"
    "options:\n"
    "  --frame first|last  which frame\n"
    "  --size WxH          the box, 1 to 4096 pixels each way\n"
    "  --png OUT.png       the frame's picture (written only when a frame was grabbed)\n"
    "  --play-ms N         how long the player plays before `last`, 0 to 600000 (default 0)\n"
    "  --data DIR          data folder\n"
    "  --trace CHANNELS    print the library's trace lines of these channels to stderr\n"
    "  --help              this text\n"
    "\n"
    "Exit codes: 0 written, 1 the video cannot be read or decoded, or the picture cannot be\n"
    "written, 2 bad usage.\n";

int Fail(const std::string& message) {
    std::fprintf(stderr, "callsvc video: %s\n", message.c_str());
    return kExitFailure;
}

// Plays the video through the library for `playMs` on the virtual clock, then grabs the last
// frame and takes the ring down. The player's notifications reach the library as the call
// application passes them on.
tagWMBITMAP* PlayAndGrabLast(long long playMs, int width, int height, std::string& error) {
    // AVMS states: created 0, playing 1, stopped 2, error 8.
    tmxhost::SetPlayerListener([](int, tmxhost::PlayerEvent event) {
        static const CallVCLIAvmsState kStates[] = {0, 1, 2, 8};
        CallCommonSvcVCLISetAvmsState(kStates[static_cast<int>(event)]);
    });
    const int window =
        tmxhost::CreateWindow(0, 0, tmxhost::kDefaultScreenWidth, tmxhost::kDefaultScreenHeight);
    tagWMBITMAP* frame = nullptr;
    tagWMRECT rect{0, 0, tmxhost::kDefaultScreenWidth, tmxhost::kDefaultScreenHeight};
    if (CallCommonSvcVCLISetGc(window) == 0 || CallCommonSvcVCLICreate(0) == 0) {
        error = "the video cannot be played";
    } else if (CallCommonSvcVCLIStart(&rect, 0) == 0) {
        error = "the video cannot be played";
    } else {
        tmxhost::Advance(playMs);
        frame = CallCommonSvcVCLIGetLastFrame(width, height);
    }
    CallCommonSvcVCLIStop();
    CallCommonSvcVCLIDestroy();
    tmxhost::SetPlayerListener(nullptr);
    tmxhost::DestroyWindow(window);
    return frame;
}

}  // namespace

int RunVideo(int argc, char** argv, int first) {
    Options options;
    std::string error;
    bool parsed = ParseOptions(argc, argv, first, {"--frame", "--size", "--png", "--play-ms"}, {},
                               options, error);
    int width = 0;
    int height = 0;
    long long playMs = 0;
    if (parsed && !options.help) {
        const std::string frame = options.Value("--frame");
        if (options.positional.size() != 1) {
            error = options.positional.empty() ? "no video file" : "one video file only";
        } else if (frame != "first" && frame != "last") {
            error = "--frame takes first or last";
        } else if (!ParseSize(options.Value("--size"), kMaxSide, width, height)) {
            error = "--size takes WxH, 1 to 4096 each";
        } else if (options.values.count("--png") == 0) {
            error = "--png OUT.png is missing";
        } else if (options.values.count("--play-ms") != 0 &&
                   !ParseInteger(options.Value("--play-ms"), 0, kMaxPlayMs, playMs)) {
            error = "--play-ms takes milliseconds from 0 to " + std::to_string(kMaxPlayMs);
        }
    }
    if (!error.empty()) {
        std::fprintf(stderr, "callsvc video: %s\n\n%s", error.c_str(), kUsage);
        return kExitUsage;
    }
    if (options.help) {
        std::fputs(kUsage, stdout);
        return kExitOk;
    }
    if (!ApplyCommonOptions(options, error)) {
        std::fprintf(stderr, "callsvc video: %s\n", error.c_str());
        return kExitUsage;
    }

    Module module;
    if (!module.Load(error)) {
        return Fail(error);
    }
    std::string path = options.positional[0];
    CallCommonSvcVCLIInit();
    CallCommonSvcVCLISetPath(path.data());
    tagWMBITMAP* frame = nullptr;
    if (options.Value("--frame") == "first") {
        frame = CallCommonSvcVCLIGetFirstFrame(width, height);
    } else {
        frame = PlayAndGrabLast(playMs, width, height, error);
    }
    bool saved = frame != nullptr && WriteInPlace(
                                         options.Value("--png"),
                                         [frame](const std::string& temporary, std::string* why) {
                                             return tmxhost::SaveBitmapPng(frame, temporary, why);
                                         },
                                         error);
    if (frame != nullptr) {
        _WmFreeBitmap(frame, 0, __FILE__, __LINE__);
    }
    module.Unload();
    if (frame == nullptr) {
        return Fail(path + ": " + (error.empty() ? "no frame could be read" : error));
    }
    return saved ? kExitOk : Fail(error);
}

}  // namespace callsvc
