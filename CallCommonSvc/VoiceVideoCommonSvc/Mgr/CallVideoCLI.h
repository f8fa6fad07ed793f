// Video caller ID: a video file played as the ringtone of an incoming call.
#pragma once

#include "../../H/CallSingleton.h"
#include "../../Mgr/CallTimer.h"
#include "../../Platform/TmxAVMS.h"
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

#ifdef __cplusplus
static_assert(sizeof(CallVCLIVolumeStep) == 20 && offsetof(CallVCLIVolumeStep, volume) == 4,
              "a step is its duration, then a four-word volume record");
static_assert(sizeof(CallVCLIVolume) == 148 && offsetof(CallVCLIVolume, nStepIndex) == 4 &&
                  offsetof(CallVCLIVolume, step) == 8,
              "the volume table: count, index, seven steps");
#endif

typedef int32_t CallVCLIIncomState;

// Player states as the application reports them.
typedef int32_t CallVCLIAvmsState;
#define CALL_VCLI_AVMS_STATE_INVALID (-1)
#define CALL_VCLI_AVMS_STATE_MAX 11

class CALLCOMMONSVC_API CCallVideoCLIInfo : public CCallTimer {
    CALL_DECLARE_SINGLETON(CCallVideoCLIInfo, pCallVideoCLIMgr)

public:
    CCallVideoCLIInfo();
    // Releases what the ring still holds: both timers, a live player (stopped, then deleted)
    // and the sound-state registration, so that nothing calls back into a library that is
    // being unloaded.
    virtual ~CCallVideoCLIInfo();

    void Init();

    // Set-up.
    int SetPath(char* szFilePath);
    int SetVibAlertInfo(char* szVibInfo);
    int SetGC(int hWnd);
    int GetGC();
    int SetInputMedia(AvInputMedia* avInputMedia);

    // Availability and state.
    int IsPlayAvail();
    int IsPlayerValid();
    int IsPlayerStopPossible();
    int IsPlayerResuming();
    int GetPlayer();
    int SetAvmsState(CallVCLIAvmsState state);
    CallVCLIAvmsState GetAvmsState();
    int SetIncomState(CallVCLIIncomState state);
    CallVCLIIncomState GetIncomState();
    int SetPlaying(int bPlay);
    int IsPlaying();

    // Player.
    int Create(int owner);
    int Start(tagWMRECT* pRect, int n);
    int SetPlayAttribute(tagWMRECT* pRect, int n);
    int Stop();
    int Destroy();

    // One frame of the video, fitted to a width x height box, as a new bitmap, or NULL. The
    // descriptor and its pixels (pBits, width x height x 2 bytes) are two platform-heap blocks
    // that belong to the caller: _WmFreeBitmap(bitmap, 0, ...) releases both.
    tagWMBITMAP* GetFirstFrame(int width, int height);
    // The frame at the player's position (the first second when there is no player).
    tagWMBITMAP* GetLastFrame(int width, int height);

    // Ring volume.
    int SetVolume();
    int SetVolumeStep(int alertType);
    int StartSetVolumeTimer();
    int StartVibThenMelodyTimer();
    int DestroyVolumeTimer();
    int DestroyVibThenMelodyTimer();
    int MuteVolume();
    int IsMuteVolume();

    // Registered with the sound-state manager for the ring priority.
    static int AmCallback(SsmSoundPriority_T priority, SsmSoundType_T type, SsmSoundCommand_T cmd,
                          void* pUserData);
    virtual void OnTick(unsigned long timerID);

    int m_hPlayerVideoCLI;
    int m_hGCVideoCLI;
    char m_szFilePath[CALL_VCLI_PATH_SIZE];
    char m_szVibAlertInfo[CALL_VCLI_PATH_SIZE];
    CallVCLIVolume m_Volume;
    CallVCLIIncomState m_iCallVCLIIncomState;
    int bPlaying;
    CallVCLIAvmsState iCurrentAvmsState;
    tagWMRECT m_Rect;

private:
    tagWMBITMAP* GetFrame(int width, int height, bool bLast);
    void ApplyVolume(const CallVCLIVolumeStep& step);
    void MutePlayer(int bMute);
};

/* The video caller ID's exported functions; each forwards to the singleton. */
CALL_EXPORT int CallCommonSvcVCLIInit(void);
CALL_EXPORT int CallCommonSvcVCLISetPath(char* szFilePath);
CALL_EXPORT int CallCommonSvcVCLIIsPlayAvail(void);
CALL_EXPORT int CallCommonSvcVCLIIsPlayerValid(void);
/* A grabbed frame belongs to the caller: _WmFreeBitmap(bitmap, 0, ...) frees the descriptor
   and its pixels. */
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
