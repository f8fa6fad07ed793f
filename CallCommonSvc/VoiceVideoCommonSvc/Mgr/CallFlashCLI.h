// Flash caller ID: a Flash file played as the ringtone of an incoming call.
#pragma once

#include "CallVideoCLI.h"
#include "../../Platform/TmxAVMS.h"

#define FCLI_STEP_COUNT_MAX 7

// The same layout as the video caller ID's table.
typedef CallVCLIVolume CallFCLIVolume;

class CALLCOMMONSVC_API CCallFlashCLIInfo : public CCallTimer {
    CALL_DECLARE_SINGLETON(CCallFlashCLIInfo, pCallFCLIInfoMgr)

public:
    CCallFlashCLIInfo();
    virtual ~CCallFlashCLIInfo();

    void Init();

    int m_hFlash;
    int m_hGCFlashCLI;
    char m_szFilePath[CALL_VCLI_PATH_SIZE];
    char m_szVibAlertInfo[CALL_VCLI_PATH_SIZE];
    CallFCLIVolume m_Volume;
};

/* The Flash caller ID's exported functions; each forwards to the singleton. */
CALL_EXPORT int CallCommonSvcFCLIInit(void);
CALL_EXPORT int CallCommonSvcFCLIIsPlayAvail(void);
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
