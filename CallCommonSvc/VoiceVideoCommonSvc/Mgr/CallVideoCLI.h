// Video caller ID: a video file played as the ringtone of an incoming call.
#pragma once

#include "../../H/CallSingleton.h"
#include "../../Mgr/CallTimer.h"
#include "../../Platform/TmxGWESCore.h"

#define VCLI_STEP_COUNT_MAX 7
#define CALL_VCLI_PATH_SIZE 772

// One ring-volume step: its duration, then a volume record whose word 1 is the level.
struct CallVCLIVolumeStep {
    uint32_t nDuration;
    int32_t volume[4];
};

struct CallVCLIVolume {
    int nStepCount;  // valid steps, 0 to VCLI_STEP_COUNT_MAX
    int nStepIndex;  // next step to apply
    CallVCLIVolumeStep step[VCLI_STEP_COUNT_MAX];
};

typedef int32_t CallVCLIIncomState;

// Player states as the application reports them.
typedef int32_t CallVCLIAvmsState;
#define CALL_VCLI_AVMS_STATE_INVALID (-1)
#define CALL_VCLI_AVMS_STATE_MAX 11

class CALLCOMMONSVC_API CCallVideoCLIInfo : public CCallTimer {
    CALL_DECLARE_SINGLETON(CCallVideoCLIInfo, pCallVideoCLIMgr)

public:
    CCallVideoCLIInfo();
    virtual ~CCallVideoCLIInfo();

    void Init();

    int m_hPlayerVideoCLI;
    int m_hGCVideoCLI;
    char m_szFilePath[CALL_VCLI_PATH_SIZE];
    char m_szVibAlertInfo[CALL_VCLI_PATH_SIZE];
    CallVCLIVolume m_Volume;
    CallVCLIIncomState m_iCallVCLIIncomState;
    int bPlaying;
    CallVCLIAvmsState iCurrentAvmsState;
    tagWMRECT m_Rect;
};

/* The video caller ID's exported functions; each forwards to the singleton. */
CALL_EXPORT int CallCommonSvcVCLIInit(void);
CALL_EXPORT int CallCommonSvcVCLISetPath(char* szFilePath);
CALL_EXPORT int CallCommonSvcVCLIIsPlayAvail(void);
CALL_EXPORT int CallCommonSvcVCLIIsPlayerValid(void);
CALL_EXPORT tagWMBITMAP* CallCommonSvcVCLIGetFirstFrame(int width, int height);
CALL_EXPORT tagWMBITMAP* CallCommonSvcVCLIGetLastFrame(int width, int height);
CALL_EXPORT int CallCommonSvcVCLIIsPlayerStopPossible(void);
CALL_EXPORT int CallCommonSvcVCLIIsPlayerResuming(void);
CALL_EXPORT int CallCommonSvcVCLISetGc(int hWnd);
CALL_EXPORT int CallCommonSvcVCLIGetGC(void);
CALL_EXPORT int CallCommonSvcVCLISetVibAlertInfo(char* szVibInfo);
CALL_EXPORT int CallCommonSvcVCLIGetPlayer(void);
CALL_EXPORT int CallCommonSvcVCLICreate(int owner);
CALL_EXPORT int CallCommonSvcVCLIStart(tagWMRECT* pRect, int n);
CALL_EXPORT int CallCommonSvcVCLIStop(void);
CALL_EXPORT int CallCommonSvcVCLIDestroy(void);
CALL_EXPORT int CallCommonSvcVCLISetPlaying(int bPlaying);
CALL_EXPORT int CallCommonSvcVCLIIsPlaying(void);
CALL_EXPORT int CallCommonSvcVCLISetAvmsState(CallVCLIAvmsState state);
CALL_EXPORT CallVCLIAvmsState CallCommonSvcVCLIGetAvmsState(void);
CALL_EXPORT int CallCommonSvcVCLISetIncomState(CallVCLIIncomState state);
CALL_EXPORT CallVCLIIncomState CallCommonSvcVCLIGetIncomState(void);
CALL_EXPORT int CallCommonSvcVCLIDestroyVolumeTimer(void);
CALL_EXPORT int CallCommonSvcVCLIDestroyVibThenMelodyTimer(void);
CALL_EXPORT int CallCommonSvcVCLIMuteVolume(void);
CALL_EXPORT int CallCommonSvcVCLIIsMuteVolume(void);
