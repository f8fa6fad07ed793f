// The host's image decoders on arbitrary bytes: a file is decoded or refused with a message,
// never read or written out of bounds; a decoded bitmap has a size within the host's limits and
// pixels the heap holds in full, draws clipped into a small window from fuzzed offsets, and
// leaves nothing behind once freed.
#include <cstdint>
#include <string>

#include "CallCommonSvc/Platform/TmxGWESCore.h"
#include "FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    HostRound round;
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
