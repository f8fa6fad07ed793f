// Flash caller ID: a Flash file played as the ringtone of an incoming call.
#pragma once

#include "CallVideoCLI.h"
#include "../../Platform/TmxAVMS.h"
#include "../../Platform/TmxGWESME.h"

#define FCLI_STEP_COUNT_MAX 7

// The same layout as the video caller ID's table.
typedef CallVCLIVolume CallFCLIVolume;

// Rings a Flash file the way the phone's call-alert type asks, with the volume steps and the
// vibrate-then-melody lead-in of the video caller ID. The Flash engine takes one volume level;
// muting switches its sound off.
//
// Only Stop ends the LED, the vibration and the timers; Destroy alone releases the Flash
// instance and leaves them running. Stop unregisters no sound priority, and this class never
// registers AmCallback itself.
class CALLCOMMONSVC_API CCallFlashCLIInfo : public CCallTimer {
    CALL_DECLARE_SINGLETON(CCallFlashCLIInfo, pCallFCLIInfoMgr)
    friend void CallFlashCLIReleaseAtUnload();

public:
    CCallFlashCLIInfo();
    virtual ~CCallFlashCLIInfo();

    virtual void OnTick(unsigned long timerID);

    void Init();
    int IsPlayAvail();
    int SetPath(char* szFilePath);
    char* GetPath();
    int SetVibAlertInfo(char* szVibInfo);
    int SetGC(int hWnd);
    int GetGC();

    int Create(tagWMRECT* pFlashRect);
    int ChangeFlashRect(tagWMRECT rect);
    int Play();
    int Stop();
    int Pause();
    int Resume();
    int Destroy();

    int GetFlashPlayState();  // WME_FLASH_STATE_*, -1 with no Flash
    int IsPlaying();
    int GetFlashHandle();
    // The Flash's video player when it has one, else its audio player; -1 for neither.
    int GetPlayerHandle();

    void SetVolumeLevel(int level);
    void GetVolumeLevel(int* pLevel);
    int SetSoundPath(SndOutDevPath path);
    int GetSoundPath(SndOutDevPath* pPath);

    // The call-alert dispatch that Play runs before the Flash starts; always 1.
    int SetVolume();
    int SetVolumeStep(int alertType);
    int StartSetVolumeTimer();
    int StartVibThenMelodyTimer();
    int DestroyVolumeTimer();
    int DestroyVibThenMelodyTimer();
    // Ends the volume steps and silences the Flash at level -16.
    int MuteVolume();
    // Switches the sound back on at whatever level it has; the level is not restored.
    int UnmuteVolume();
    int IsMuteVolume();

    // Frame 0 of the file, drawn by a temporary Flash instance in a temporary screen GC of
    // width x height, whatever Flash is playing. The caller owns the bitmap and frees it with
    // CallFreeCallerIDThumbnail (that is, _WmFreeBitmap(bitmap, 0, ...)), which also releases
    // its pixels. NULL on failure.
    tagWMBITMAP* GetFirstFrame(int width, int height);

    static int AmCallback(SsmSoundPriority_T priority, SsmSoundType_T type, SsmSoundCommand_T cmd,
                          void* pUserData);

    int m_hFlash;
    int m_hGCFlashCLI;
    char m_szFilePath[CALL_VCLI_PATH_SIZE];
    char m_szVibAlertInfo[CALL_VCLI_PATH_SIZE];
    CallFCLIVolume m_Volume;
};

// Before the singletons go at unload: a Flash still alive is stopped and destroyed while the
// device signalling that Stop ends is still there. Silent when the service is not loaded. Not
// exported.
void CallFlashCLIReleaseAtUnload();

/* The Flash caller ID's exported functions; each forwards to the singleton. */
CALL_EXPORT int CallCommonSvcFCLIInit(void);
CALL_EXPORT int CallCommonSvcFCLIIsPlayAvail(void);
/* The bitmap is the caller's; free it with CallFreeCallerIDThumbnail. */
CALL_EXPORT tagWMBITMAP* CallCommonSvcFCLIGetFirstFrame(int width, int height);
CALL_EXPORT int CallCommonSvcFCLISetPath(char* szFilePath);
CALL_EXPORT char* CallCommonSvcFCLIGetPath(void);
CALL_EXPORT int CallCommonSvcFCLIChangeFlashRect(tagWMRECT rect);
CALL_EXPORT int CallCommonSvcFCLISetVibAlertInfo(char* szVibInfo);
CALL_EXPORT int CallCommonSvcFCLISetGc(int hWnd);
CALL_EXPORT int CallCommonSvcFCLIGetGC(void);
CALL_EXPORT int CallCommonSvcFCLICreate(tagWMRECT* pRect);
CALL_EXPORT int CallCommonSvcFCLIDestroy(void);
CALL_EXPORT int CallCommonSvcFCLIPlay(void);
CALL_EXPORT int CallCommonSvcFCLIStop(void);
CALL_EXPORT int CallCommonSvcFCLIIsPlaying(void);
CALL_EXPORT int CallCommonSvcFCLIGetFlashHandle(void);
CALL_EXPORT int CallCommonSvcFCLIGetPlayerHandle(void);
CALL_EXPORT int CallCommonSvcFCLIGetFlashPlayState(void);
CALL_EXPORT int CallCommonSvcFCLISetSoundPath(SndOutDevPath path);
CALL_EXPORT int CallCommonSvcFCLIGetSoundPath(SndOutDevPath* pPath);
CALL_EXPORT void CallCommonSvcFCLISetVolumeLevel(int level);
CALL_EXPORT void CallCommonSvcFCLIGetVolumeLevel(int* pLevel);
CALL_EXPORT int CallCommonSvcFCLIDestroyVolumeTimer(void);
CALL_EXPORT int CallCommonSvcFCLIDestroyVibThenMelodyTimer(void);
CALL_EXPORT int CallCommonSvcFCLIMuteVolume(void);
CALL_EXPORT int CallCommonSvcFCLIUnmuteVolume(void);
CALL_EXPORT int CallCommonSvcFCLIIsMuteVolume(void);
