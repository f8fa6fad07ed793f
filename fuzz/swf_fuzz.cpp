// The Flash engine on arbitrary files: a file is refused with -1 or becomes an instance whose
// header makes sense; a few frames play and one is grabbed, never drawing outside the instance's
// place; nothing is left behind once it is destroyed.
#include <cstdint>
#include <fstream>
#include <string>

#include "CallCommonSvc/Platform/TmxGWESME.h"
#include "FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    HostRound round;
    const std::string path = tmxhost::DataRoot() + "/fuzz.swf";
    {
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    const int window = tmxhost::CreateWindow(0, 0, 48, 40);
    const int gc = __WmCreateWindowSubGC(window, 0, 0, 48, 40, "fuzz", 0);
    const int hFlash = WmeCreateFlash(gc, 4, 4, 40, 32, 129, path.c_str(), 0);
    if (hFlash == -1) {
        Check(tmxhost::FlashInstances().empty());
    } else {
        const WmeFlashInfo* info = WmeGetFlashInfo(hFlash);
        Check(info != nullptr && info->nFrameCount >= 1);
        Check(WmeSetFlashRepeatMode(hFlash, 1) == 1);
        Check(WmePlayFlashByShowFlag(hFlash, 1) == 1);
        const long long period = info->nFrameRate > 0 ? 256000 / info->nFrameRate + 1 : 100;
        for (int i = 0; i < 3; ++i) {
            tmxhost::Advance(period);
        }
        int state = -1;
        Check(WmeGetFlashPlayState(hFlash, &state) == 1 && state == WME_FLASH_STATE_PLAYING);
        tagWMBITMAP* frame = WmeGetFlashFrame(hFlash, info->nFrameCount - 1);
        Check(frame != nullptr && frame->rectW == 40 && frame->rectH == 32);
        Check(_WmFreeBitmap(frame, 0, "fuzz", 0) == 1);
        for (int i = 0; i < 40; ++i) {
            // The window's border around the instance never changes.
            Check(tmxhost::WindowPixel(window, i, 0) == 0 &&
                  tmxhost::WindowPixel(window, 0, i) == 0 &&
                  tmxhost::WindowPixel(window, 47, i) == 0 &&
                  tmxhost::WindowPixel(window, i, 39) == 0);
        }
        Check(WmeDestroyFlash(hFlash) == 1);
    }
    __WmDeleteGC(gc, 0, "fuzz", 0);
    tmxhost::DestroyWindow(window);
    Check(tmxhost::LiveBlocks().empty() && tmxhost::Bitmaps().empty());
    return 0;
}
