// The host's video reader on arbitrary files: media information and a frame grab either fail or
// give sizes within the host's limits, write no pixel outside the caller's buffer, and leave
// nothing behind. The corpus folder is seeded with tiny clips from the host's writer.
#include <unistd.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "CallCommonSvc/Platform/TmxAVMS.h"
#include "CallCommonSvc/Platform/TmxGWESCore.h"
#include "FuzzSupport.h"

// Writes small MP4 and AVI clips into the first corpus folder on the command line when it has
// none of them yet.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    for (int i = 1; i < *argc; ++i) {
        std::string folder = (*argv)[i];
        if (folder.empty() || folder[0] == '-') {
            continue;
        }
        tmxhost::Reset();
        tmxhost::WriteVideo(folder + "/seed-plain.mp4",
                            {16, 16, 5, 4, false, {0x102030, 0xF0E0D0}});
        tmxhost::WriteVideo(folder + "/seed-sound.mp4", {8, 8, 10, 3, true, {}});
        tmxhost::WriteVideo(folder + "/seed-sound.avi", {16, 8, 10, 3, true, {}});
        break;
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    HostRound round;
    static const std::string path = "/tmp/video_info_fuzz." + std::to_string(getpid()) + ".mp4";
    {
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    AvMediaInfo info{};
    if (AvGetVideoInfo(path.c_str(), &info) == 1) {
        Check(info.nWidth >= 1 && info.nWidth <= 4096 && info.nHeight >= 1 && info.nHeight <= 4096);
        Check(info.nMediaType == 1 || info.nMediaType == 2);
        Check(info.nDurationMs >= 0);
    }
    // A 24 x 18 box in a buffer with guard pixels after it.
    constexpr int kWidth = 24;
    constexpr int kHeight = 18;
    constexpr std::uint16_t kGuard = 0xA55A;
    std::vector<std::uint16_t> pixels(kWidth * kHeight + 64, kGuard);
    tagWMBITMAP descriptor{};
    const int timeMs = size > 0 ? data[size - 1] * 40 : 0;
    const int scale = size > 1 ? data[size - 2] & 1 : 1;
    if (AvGetVideoFrame(path.c_str(), kWidth, kHeight, timeMs, 1, scale, pixels.data(),
                        &descriptor) == 1) {
        Check(descriptor.rectW == kWidth && descriptor.rectH == kHeight &&
              descriptor.nBitsPerPixel == 16 && descriptor.pBits == pixels.data());
    }
    for (std::size_t i = kWidth * kHeight; i < pixels.size(); ++i) {
        Check(pixels[i] == kGuard);
    }
    Check(tmxhost::LiveBlocks().empty());
    return 0;
}
