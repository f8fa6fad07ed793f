// TmxAVMS: the platform's media library, as this library calls it.
#pragma once

#include "TmxCore.h"

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

#ifdef __cplusplus
}

static_assert(sizeof(AvVolume) == 16, "volume record is four words");
static_assert(offsetof(AvVolume, leftVolume) == 4, "left volume in word 1");
static_assert(sizeof(AvMuteInfo) == 28, "mute record is seven words");
static_assert(offsetof(AvMuteInfo, bMute) == 4, "mute mode in word 1");
static_assert(offsetof(AvMuteInfo, bRxMute) == 8, "receive mute mode in word 2");
#endif
