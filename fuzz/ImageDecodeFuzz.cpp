// The host's image decoders on arbitrary bytes: a file is decoded or refused with a message,
// never read or written out of bounds; a decoded bitmap has a size within the host's limits and
// pixels the heap holds in full, draws clipped into a small window from fuzzed offsets, and
// leaves nothing behind once freed. The same bytes as a file go through the media library's image
// calls (frame counting of GIF, WebP and APNG; decoding for a box; fitting as a bitmap; scaling)
// and the library's helpers: a result within its box, or a refusal, and nothing left behind.
#include <unistd.h>

#include <cstdint>
#include <fstream>
#include <string>

#include "CallCommonSvc/H/CallCommonSvc.h"
#include "CallCommonSvc/Platform/TmxAVMS.h"
#include "CallCommonSvc/Platform/TmxGWESCore.h"
#include "CallCommonSvc/VoiceVideoCommonSvc/Util/VoiceVideoCommonUtil.h"
#include "FuzzSupport.h"

namespace {

void MediaCalls(const uint8_t* data, size_t size) {
    static const std::string path = "/tmp/image_decode_fuzz." + std::to_string(getpid());
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    // A small box taken from the input, so that DCT scaling and both filters are met.
    const int boxW = size > 2 ? 1 + data[size / 2] % 96 : 40;
    const int boxH = size > 3 ? 1 + data[size / 3] % 96 : 30;

    int flags = 1;
    ImgImageInfo info{};
    const int known = ImgGetImageInfo(path.c_str(), &flags, &info);
    Check(known == 0 || (info.nWidth >= 1 && info.nHeight >= 1 && info.nFrameCount >= 1));
    Check(CallGetImgFrameCount(path.c_str()) == (known != 0 ? info.nFrameCount : -1));

    ImgImage* image = nullptr;
    if (ImgDecodeFileEx(path.c_str(), &image, boxW, boxH, 2, 0) != 0) {
        const ImgBitmap* bitmap = image->pHead->pbmBitmap;
        Check(bitmap->nBitsPerPixel == 16 && bitmap->pBits != nullptr);
        Check(static_cast<long long>(bitmap->nWidth) * bitmap->nHeight <= tmxhost::kMaxImagePixels);
        std::uint16_t out[96 * 96];
        int bytes = boxW * boxH * 2;
        Check(ImgScaleImage(0, bitmap->pBits, bitmap->nWidth, bitmap->nHeight, out, boxW, boxH,
                            &bytes) == 1);
        Check(bytes == boxW * boxH * 2);
        Check(ImgFreeImage(image) == 1);
    } else {
        Check(image == nullptr);
    }

    char* file = const_cast<char*>(path.c_str());
    if (tagWMBITMAP* fitted = CallLoadScaledImageBlackBackground(file, boxW, boxH, 0)) {
        Check(fitted->rectW == boxW && fitted->rectH == boxH && fitted->nBitsPerPixel == 16);
        Check(CallFreeScaledImageBlackBackground(fitted) == 1);
    }
    if (tagWMBITMAP* thumbnail = CallLoadCallerIDThumbnail(file, 0)) {
        Check(thumbnail->rectW >= 1 && thumbnail->rectW <= 80 && thumbnail->rectH >= 1 &&
              thumbnail->rectH <= 64);
        CallFreeCallerIDThumbnail(thumbnail);
    }
    Check(tmxhost::LiveBlocks().empty() && tmxhost::Bitmaps().empty());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    HostRound round;
    MediaCalls(data, size);
    std::string error;
    tagWMBITMAP* bitmap = tmxhost::DecodeImage(data, size, &error);
    if (bitmap == nullptr) {
        Check(!error.empty());
        Check(tmxhost::LiveBlocks().empty());
        return 0;
    }
    Check(bitmap->rectW >= 1 && bitmap->rectW <= 4096 && bitmap->rectH >= 1 &&
          bitmap->rectH <= 4096);
    Check(bitmap->nBitsPerPixel == 16 || bitmap->nBitsPerPixel == 32);
    Check(tmxhost::Bitmaps().size() == 1);

    const int window = tmxhost::CreateWindow(0, 0, 32, 32);
    const int gc = __WmCreateWindowSubGC(window, 4, 4, 24, 24, "fuzz", 0);
    const int x = size > 0 ? static_cast<int8_t>(data[size - 1]) : 0;
    const int y = size > 1 ? static_cast<int8_t>(data[size - 2]) : 0;
    Check(WmDrawBitmap(gc, x, y, bitmap) == 1);
    Check(WmDrawSubBitmap(gc, 0, 0, bitmap, x, y, 40, 40) == 1);
    for (int i = 0; i < 32; ++i) {
        // The GC's border never moves.
        Check(tmxhost::WindowPixel(window, i, 0) == 0 && tmxhost::WindowPixel(window, 0, i) == 0 &&
              tmxhost::WindowPixel(window, i, 31) == 0 && tmxhost::WindowPixel(window, 31, i) == 0);
    }
    __WmDeleteGC(gc, 0, "fuzz", 0);
    tmxhost::DestroyWindow(window);
    Check(_WmFreeBitmap(bitmap, 0, "fuzz", 0) == 1);
    Check(tmxhost::LiveBlocks().empty() && tmxhost::Bitmaps().empty());
    return 0;
}
