// TmxAVMS: the platform's media library, as this library calls it.
#pragma once

#include "TmxCore.h"

struct tagWMBITMAP;

/* 32-bit codes of the platform's sound system. */
typedef int32_t SsmSoundPriority_T;
typedef int32_t SsmSoundType_T;
typedef int32_t SsmSoundCommand_T;
typedef int32_t SndOutDevPath;

/* Sound priorities and states this library chooses or tests. */
#define AM_SNDPRIO_CALL 0     // the call's own sound (virtual path)
#define AM_SNDPRIO_VOICE 2    // the voice call
#define AM_SNDPRIO_RING 4     // caller-ID ring media
#define AM_SNDPRIO_STREAM 19  // streaming playback
#define AM_SNDPRIO_MUSIC 21   // music player
#define AM_SNDPRIO_RADIO 23   // radio
#define AM_SNDSTATE_NONE 0    // nothing holds the priority
#define AM_SNDSTATE_ACTIVE 3  // the priority's sound is connected or playing

/* Output path given to ring media. */
#define SND_OUT_DEV_PATH_RING 17

#ifdef __cplusplus
extern "C" {
#endif

/* Volume record: the audio caller, the video player and the effect-sound player take it. */
typedef struct AvVolume {
    int32_t reserved0;
    int32_t leftVolume;
    int32_t reserved2;
    int32_t reserved3;
} AvVolume;

/* Mute record of an audio caller. */
typedef struct AvMuteInfo {
    int32_t reserved0;
    int32_t bMute;    // transmit mute
    int32_t bRxMute;  // receive mute
    int32_t reserved[4];
} AvMuteInfo;

/* Sound-state manager. A registration asks for the priority's sound; the manager answers
   through the callback with the registered user data. */
typedef int (*SsmSoundCallback_T)(SsmSoundPriority_T priority, SsmSoundType_T type,
                                  SsmSoundCommand_T cmd, void* userData);
TMX_API int SsmGetSoundState(SsmSoundPriority_T priority, SsmSoundType_T* pType, int* pState);
TMX_API int SsmRegisterSoundCallback(SsmSoundPriority_T priority, int reserved,
                                     SsmSoundCallback_T callback, void* userData,
                                     const char* sourcePath, int line);
TMX_API int SsmUnregisterSoundCallback(SsmSoundPriority_T priority, const char* sourcePath,
                                       int line);

/* Audio callers: the speech of a call. Applications create them when the manager grants the
   sound; this library only applies settings to them and deletes them. */
TMX_API int AvCreateCaller(SsmSoundPriority_T priority, SndOutDevPath path);
TMX_API int AvDeleteCaller(int hCaller);
TMX_API int AvSetSoundPath(int hCaller, SndOutDevPath path);
TMX_API int AvMuteCaller(int hCaller, AvMuteInfo muteInfo);
TMX_API int AvSetWhisperMode(int hCaller, int bMode);
TMX_API int AvSetCallVolume(int hCaller, AvVolume volume);

/* ---- Images ---------------------------------------------------------------------------- */

/* A decoded image's bitmap, as the image library lays it out: 13 words, then the pixels. */
typedef struct ImgBitmap {
    uint32_t nWord0;  // carried into word 6 of a bitmap made from it
    uint32_t nWord1;
    uint32_t nWord2;
    uint8_t nByte12;
    uint8_t nBitsPerPixel;  // byte 13: 16 (RGB565) or 32 (premultiplied ARGB)
    uint8_t nByte14[2];
    uint32_t nWord4;
    uint32_t nWord5;
    uint32_t nWord6;
    int32_t nWidth;   // word 7
    int32_t nHeight;  // word 8
    uint32_t nWord9;
    uint32_t nWord10;
    uint32_t nWord11;
    uint32_t nWord12;  // carried into word 7 of a bitmap made from it
    void* pBits;       // word 13: rows of nWidth pixels, no padding
} ImgBitmap;

typedef struct ImgHead {
    ImgBitmap* pbmBitmap;
} ImgHead;

/* A decoded image; released with ImgFreeImage. */
typedef struct ImgImage {
    ImgHead* pHead;
} ImgImage;

/* Image information: 280 bytes; the frame count is the word at byte 36. */
typedef struct ImgImageInfo {
    int32_t nWord0;
    int32_t nWidth;   // byte 4
    int32_t nHeight;  // byte 8
    int32_t nWord3[6];
    int32_t nFrameCount;  // byte 36: 1 for a still image
    uint8_t reserved[240];
} ImgImageInfo;

/* Decodes an image file (PNG, JPEG, GIF, WebP) for a box of width x height; mode 2 gives
   16-bit pixels. Non-zero on success, with *ppImage set. */
TMX_API int ImgDecodeFileEx(const char* path, ImgImage** ppImage, int width, int height, int mode,
                            int flag);
/* Scales 16-bit pixels from src (srcW x srcH) to dst (dstW x dstH). *pSize holds the byte count
   of dst on entry and the count written on return. Non-zero on success. */
TMX_API int ImgScaleImage(int mode, const void* src, int srcW, int srcH, void* dst, int dstW,
                          int dstH, int* pSize);
TMX_API int ImgFreeImage(ImgImage* pImage);
/* Size and frame count of an image file. *pFlags is 1 (the information the library asks for). */
TMX_API int ImgGetImageInfo(const char* path, int* pFlags, ImgImageInfo* pInfo);
/* Decodes an image file and fits it inside width x height keeping its aspect ratio (mode 2:
   16-bit pixels). Stores a new bitmap, never larger than the box, in *ppBitmap, or leaves it
   NULL; the caller frees it with _WmFreeBitmap(bitmap, 0, ...). Non-zero on success. */
TMX_API int ImgGetScaledImageFileEx(const char* path, struct tagWMBITMAP** ppBitmap, int width,
                                    int height, int mode, int flag, const char* sourcePath,
                                    int line);

/* ---- Video player ---------------------------------------------------------------------- */

/* Media information of a file: 56 bytes. Words 6 and 7 are the video's width and height. */
typedef struct AvMediaInfo {
    int32_t nMediaType;  // word 0: 1 for a video with sound, 2 for a video without
    int32_t nDurationMs;
    int32_t nWord2;
    int32_t nWord3;
    int32_t nWord4;
    int32_t nFrameRate;  // frames per 1000 seconds
    int32_t nWidth;      // word 6
    int32_t nHeight;     // word 7
    int32_t reserved[6];
} AvMediaInfo;

/* A volume preset: word 1 is the preset id a player is created with. */
typedef struct AvVolPreset {
    int32_t nIndex;
    int32_t nPresetId;  // word 1
    int32_t nLevel;     // the preset's volume level
    char szName[20];
} AvVolPreset;

/* What AvCreatePlayer plays: 2104 bytes, zeroed before it is filled. */
typedef struct AvInputMedia {
    int32_t nSourceType;  // word 0: 1 a file
    int32_t nMediaType;   // word 1: word 0 of the file's media information
    int32_t nWord2[8];
    int32_t nPresetId;  // word 10: the volume preset
    int32_t nWord11[2];
    int32_t nSoundPath;  // word 13: SndOutDevPath
    int32_t nWord14[56];
    int32_t hGC;  // word 70: the overlay GC the video is drawn into
    int32_t nWord71[2];
    char szFilePath[1812];  // byte 292
} AvInputMedia;

/* Mute record of a player: word 1 is 1 when muted. */
typedef struct AvPlayerMute {
    int32_t bMute;
    int32_t bMuteState;
} AvPlayerMute;

/* Fills the media information of a file. Non-zero on success. */
TMX_API int AvGetVideoInfo(const char* path, AvMediaInfo* pInfo);
/* The preset of that name, owned by the platform, or NULL. */
TMX_API AvVolPreset* AvVolMgrLookupPresetByName(const char* name);
/* A new player of the media, handle 0 to 63, or INVALID_HOBJ. */
TMX_API int AvCreatePlayer(const AvInputMedia* pMedia, int reserved, int owner);
TMX_API int AvStartPlayer(int hPlayer);
TMX_API int AvStopPlayer(int hPlayer);
TMX_API int AvDeletePlayer(int hPlayer);
/* How many times the media plays again at its end; -1 forever. */
TMX_API int AvSetPlayerRepeat(int hPlayer, int count);
TMX_API int AvSetPlayerVolume(int hPlayer, AvVolume volume);
TMX_API int AvSetPlayerMute(int hPlayer, AvPlayerMute mute);
TMX_API int AvGetPlayerMute(int hPlayer, AvPlayerMute* pMute);
/* Whole seconds played since the start. */
TMX_API int AvGetPlayerPosition(int hPlayer);
/* The frame shown at timeMs of the file, as 16-bit pixels in pBuffer (width x height x 2
   bytes), fitted to the box when bScale is 1; the descriptor gets the frame's size, 16 bits per
   pixel and pBits = pBuffer. Non-zero on success. */
TMX_API int AvGetVideoFrame(const char* path, int width, int height, int timeMs, int flag,
                            int bScale, void* pBuffer, struct tagWMBITMAP* pDescriptor);

#ifdef __cplusplus
}

static_assert(sizeof(AvVolume) == 16, "volume record is four words");
static_assert(offsetof(AvVolume, leftVolume) == 4, "left volume in word 1");
static_assert(sizeof(AvMuteInfo) == 28, "mute record is seven words");
static_assert(offsetof(AvMuteInfo, bMute) == 4, "mute mode in word 1");
static_assert(offsetof(AvMuteInfo, bRxMute) == 8, "receive mute mode in word 2");
static_assert(offsetof(ImgBitmap, nBitsPerPixel) == 13 && offsetof(ImgBitmap, nWidth) == 28 &&
                  offsetof(ImgBitmap, nHeight) == 32 && offsetof(ImgBitmap, nWord12) == 48,
              "decoded bitmap words");
static_assert(offsetof(ImgBitmap, pBits) == 52 || sizeof(void*) == 8, "pixels in word 13");
static_assert(sizeof(ImgImageInfo) == 280 && offsetof(ImgImageInfo, nFrameCount) == 36,
              "image information: 280 bytes, frame count at byte 36");
static_assert(sizeof(AvMediaInfo) == 56 && offsetof(AvMediaInfo, nWidth) == 24 &&
                  offsetof(AvMediaInfo, nHeight) == 28,
              "media information: 56 bytes, width and height in words 6 and 7");
static_assert(offsetof(AvVolPreset, nPresetId) == 4, "preset id in word 1");
static_assert(sizeof(AvInputMedia) == 2104, "input media is 2104 bytes");
static_assert(offsetof(AvInputMedia, nMediaType) == 4 && offsetof(AvInputMedia, nPresetId) == 40 &&
                  offsetof(AvInputMedia, nSoundPath) == 52 && offsetof(AvInputMedia, hGC) == 280 &&
                  offsetof(AvInputMedia, szFilePath) == 292,
              "input media words 1, 10, 13 and 70, path at byte 292");
static_assert(sizeof(AvPlayerMute) == 8, "mute record is two words");
#endif
