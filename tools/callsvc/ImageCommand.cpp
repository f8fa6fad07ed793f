// callsvc image: what the library makes of an image file, and the bitmap it scales it to.

#include <cstdio>
#include <nlohmann/json.hpp>

#include "CallCommonSvc/H/CallCommonSvc.h"
#include "CallCommonSvc/Platform/TmxAVMS.h"
#include "CallCommonSvc/VoiceVideoCommonSvc/Util/VoiceVideoCommonUtil.h"
#include "Commands.h"
#include "Module.h"
#include "Options.h"
#include "TmxHost.h"

namespace callsvc {
namespace {

const char kUsage[] =
    "usage: callsvc image FILE [--fit WxH | --thumbnail] [--png OUT.png] [--json] [options]\n"
    "\n"
    "Prints what the library makes of an image file (PNG, JPEG, GIF or WebP): its size, its\n"
    "frame count (animated GIF, WebP and PNG count their frames, a still image 1) and whether\n"
    "it is Flash content. With --fit or --thumbnail it also makes the bitmap the library would\n"
    "show, and --png writes that bitmap.\n"
    "\n"
    "options:\n"
    "  --fit WxH         scale the image to W x H pixels (1 to 4096 each), as call screens do\n"
    "                    (CallLoadScaledImageBlackBackground: the shape is not kept, grey 0x8430\n"
    "                    and white 0xFFFF become 0x8431 and 0xFFFE)\n"
    "  --thumbnail       fit the image inside the caller-ID box of 80 x 64 keeping its shape\n"
    "                    (CallLoadCallerIDThumbnail)\n"
    "  --png OUT.png     write the bitmap as PNG (with --fit or --thumbnail; written only when\n"
    "                    everything worked)\n"
    "  --json            one JSON object with the keys path, width, height, frames, flash and,\n"
    "                    when a bitmap was made, output {width, height}\n"
    "  --data DIR        data folder\n"
    "  --trace CHANNELS  print the library's trace lines of these channels to stderr\n"
    "  --help            this text\n"
    "\n"
    "Exit codes: 0 done, 1 the image cannot be read or decoded or the PNG cannot be written\n"
    "(nothing is written then), 2 bad usage.\n";

constexpr int kMaxFitSide = 4096;

int Fail(const std::string& message) {
    std::fprintf(stderr, "callsvc image: %s\n", message.c_str());
    return kExitFailure;
}

}  // namespace

int RunImage(int argc, char** argv, int first) {
    Options options;
    std::string error;
    int fitW = 0;
    int fitH = 0;
    bool parsed = ParseOptions(argc, argv, first, {"--fit", "--png"}, {"--thumbnail", "--json"},
                               options, error);
    if (parsed && !options.help) {
        if (options.positional.size() != 1) {
            error = options.positional.empty() ? "no image file" : "one image file only";
        } else if (options.values.count("--fit") != 0 && options.Has("--thumbnail")) {
            error = "--fit and --thumbnail exclude each other";
        } else if (options.values.count("--fit") != 0 &&
                   !ParseSize(options.Value("--fit"), kMaxFitSide, fitW, fitH)) {
            error = "--fit takes WxH, each from 1 to " + std::to_string(kMaxFitSide);
        } else if (options.values.count("--png") != 0 && options.values.count("--fit") == 0 &&
                   !options.Has("--thumbnail")) {
            error = "--png needs --fit or --thumbnail";
        }
    }
    if (!error.empty()) {
        std::fprintf(stderr, "callsvc image: %s\n\n%s", error.c_str(), kUsage);
        return kExitUsage;
    }
    if (options.help) {
        std::fputs(kUsage, stdout);
        return kExitOk;
    }
    if (!ApplyCommonOptions(options, error)) {
        std::fprintf(stderr, "callsvc image: %s\n", error.c_str());
        return kExitUsage;
    }
    Module module;
    if (!module.Load(error)) {
        return Fail(error);
    }

    std::string path = options.positional[0];
    const int frames = CallGetImgFrameCount(path.c_str());
    const bool flash = CallIsFlashContent(path.data()) == 1;
    int flags = 1;
    ImgImageInfo info{};
    if (frames < 0 || ImgGetImageInfo(path.c_str(), &flags, &info) == 0) {
        return Fail(path + ": not an image that can be read (PNG, JPEG, GIF or WebP)");
    }

    tagWMBITMAP* bitmap = nullptr;
    bool thumbnail = options.Has("--thumbnail");
    if (thumbnail) {
        bitmap = CallLoadCallerIDThumbnail(path.data(), 0);
    } else if (fitW > 0) {
        bitmap = CallLoadScaledImageBlackBackground(path.data(), fitW, fitH, 0);
    }
    if ((thumbnail || fitW > 0) && bitmap == nullptr) {
        return Fail(path + ": the image cannot be decoded");
    }
    // Its reports (an oversized thumbnail) belong to the result, not to the output.
    tmxhost::TakeReports();
    const bool made = bitmap != nullptr;
    const int outW = made ? bitmap->rectW : 0;
    const int outH = made ? bitmap->rectH : 0;
    bool written = true;
    if (made && options.values.count("--png") != 0) {
        written = WriteInPlace(
            options.Value("--png"),
            [bitmap](const std::string& temporary, std::string* why) {
                return tmxhost::SaveBitmapPng(bitmap, temporary, why);
            },
            error);
    }
    if (thumbnail) {
        CallFreeCallerIDThumbnail(bitmap);
    } else if (made) {
        CallFreeScaledImageBlackBackground(bitmap);
    }
    if (!written) {
        return Fail(error);
    }

    if (options.Has("--json")) {
        nlohmann::ordered_json result;
        result["path"] = path;
        result["width"] = info.nWidth;
        result["height"] = info.nHeight;
        result["frames"] = frames;
        result["flash"] = flash;
        if (made) {
            result["output"] = {{"width", outW}, {"height", outH}};
        }
        std::printf("%s\n",
                    result.dump(2, ' ', false, nlohmann::json::error_handler_t::replace).c_str());
        return kExitOk;
    }
    std::printf("Image          %s\n", path.c_str());
    std::printf("Size           %d x %d\n", info.nWidth, info.nHeight);
    std::printf("Frames         %d%s\n", frames, frames > 1 ? " (animated)" : "");
    std::printf("Flash content  %s\n", flash ? "yes" : "no");
    if (made) {
        std::printf(
            "%-14s %d x %d, 16 bits per pixel%s\n", thumbnail ? "Thumbnail" : "Fitted", outW, outH,
            options.values.count("--png") != 0 ? (", written to " + options.Value("--png")).c_str()
                                               : "");
    }
    return kExitOk;
}

}  // namespace callsvc
