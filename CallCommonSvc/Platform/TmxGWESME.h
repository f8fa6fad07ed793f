// TmxGWESME: the platform's Flash engine, as this library calls it.
#pragma once

#include "TmxAVMS.h"
#include "TmxGWESCore.h"

/* Play states of a Flash instance. */
#define WME_FLASH_STATE_PLAYING 0
#define WME_FLASH_STATE_PAUSED 1
#define WME_FLASH_STATE_STOPPED 2
#define WME_FLASH_STATE_ENDED 3

#ifdef __cplusplus
extern "C" {
#endif

/* What a Flash instance holds, owned by the engine and valid while the instance lives. The
   players are TmxAVMS player handles, INVALID_HOBJ when the file has no such stream. */
typedef struct WmeFlashInfo {
    int32_t nWidth;  // the file's frame size in pixels
    int32_t nHeight;
    int32_t nFrameRate;  // frames per 256 seconds (the file's 8.8 rate)
    int32_t nFrameCount;
    int32_t hFlashVideoPlayer;
    int32_t hFlashAvPlayer;
} WmeFlashInfo;

/* A Flash instance playing the file into the GC at {x, y, w, h}, or INVALID_HOBJ. Flags: 1 a
   still instance for frame grabs, 129 a ringtone; the last argument is 0. A new instance is
   stopped, with its sound on. */
TMX_API int WmeCreateFlash(int hGC, int x, int y, int w, int h, int flags, const char* path,
                           int reserved);
/* Non-zero on success unless stated. */
TMX_API int WmeDestroyFlash(int hFlash);
TMX_API int WmePlayFlashByShowFlag(int hFlash, int bShow);  // plays, or resumes a paused one
TMX_API int WmeStopFlash(int hFlash);
TMX_API int WmePauseFlash(int hFlash);
TMX_API int WmeGetFlashPlayState(int hFlash, int* pState);  // WME_FLASH_STATE_*
TMX_API int WmeSetFlashRect(int hFlash, int x, int y, int w, int h);
TMX_API int WmeSetFlashRepeatMode(int hFlash, int mode);  // 1: from the start at the end
TMX_API WmeFlashInfo* WmeGetFlashInfo(int hFlash);        // NULL for no instance
/* Sound: one switch, on (1) or off; muting turns it off. */
TMX_API int WmeEnableFlashSound(int hFlash, int bEnable);
TMX_API int WmeMuteFlashSound(int hFlash, int bMute);
TMX_API int WmeIsFlashSoundEnabled(int hFlash);  // 1 when the sound is on
TMX_API int WmeSetFlashSoundPriority(int hFlash, SsmSoundPriority_T priority);
TMX_API int WmeSetFlashSoundPath(int hFlash, SndOutDevPath path);
TMX_API int WmeGetFlashSoundPath(int hFlash, SndOutDevPath* pPath);
TMX_API int WmeSetFlashVolumeLevel(int hFlash, int level);
TMX_API int WmeGetFlashVolumeLevel(int hFlash, int* pLevel);
/* A new 16-bit bitmap of frame `frame` (from 0) at the instance's size, or NULL. The caller
   frees it with _WmFreeBitmap(bitmap, 0, ...), which releases its pixels too. */
TMX_API tagWMBITMAP* WmeGetFlashFrame(int hFlash, int frame);

#ifdef __cplusplus
}

static_assert(offsetof(WmeFlashInfo, hFlashVideoPlayer) == 16 &&
                  offsetof(WmeFlashInfo, hFlashAvPlayer) == 20,
              "Flash info players");
#endif
