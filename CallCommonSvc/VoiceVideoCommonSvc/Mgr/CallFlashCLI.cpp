#include "CallFlashCLI.h"

#include "../../H/CallCommonSvc.h"
#include "CallRingVolumeInternal.h"

namespace {

const char kSourcePath[] = "CallCommonSvc\\VoiceVideoCommonSvc\\Mgr\\CallFlashCLI";

const unsigned long kVolumeTimerId = 20;
const unsigned long kVibThenMelodyTimerId = 21;
const unsigned long kLeadInPeriod = 6000;
const int kMuteLevel = -16;

const int kNvDefaultVibration = 16;
const int kNvCallAlertType = 17;
const int kNvRingVolume = 18;
const int kPhsSosState = 45;
const int kEffectSoundStoppedFirst = 27;

// Creation flags of the Flash engine: a ringtone, and a still instance for a frame grab.
const int kFlashFlagsRingtone = 129;
const int kFlashFlagsStill = 1;

// Call-alert types, as bit masks over the type number.
const unsigned kAlertsMuted = 0x119;     // 0, 3, 4, 8: silent Flash
const unsigned kAlertsMelody = 0x66;     // 1, 2, 5, 6: a volume table
const unsigned kAlertsVibrating = 0x71;  // 0, 4, 5, 6
const int kAlertTypeLed = 3;
const int kAlertTypeVibThenMelody = 4;
const int kAlertTypeLast = 8;

const int kVolumeFlag = 0;   // word of the volume record set by a timer step
const int kVolumeLevel = 1;  // word of the volume record sent to the engine

bool IsAlertIn(int alertType, unsigned mask) {
    return alertType >= 0 && alertType <= kAlertTypeLast && ((mask >> alertType) & 1u) != 0;
}

int SoundState(SsmSoundPriority_T priority) {
    SsmSoundType_T type = 0;
    int state = AM_SNDSTATE_NONE;
    SsmGetSoundState(priority, &type, &state);
    return state;
}

}  // namespace

CALL_DEFINE_SINGLETON(CCallFlashCLIInfo, pCallFCLIInfoMgr)

CCallFlashCLIInfo::CCallFlashCLIInfo() {
    Init();
}

// The base destructor releases any timer still in the table, so no expiry reaches this object
// once it is gone.
CCallFlashCLIInfo::~CCallFlashCLIInfo() {}

void CCallFlashCLIInfo::Init() {
    SysDebugPrintf(TMX_DBG_SETTING, "CCallFlashCLIInfo::Init : START! \n");
    m_hFlash = INVALID_HOBJ;
    m_hGCFlashCLI = INVALID_HOBJ;
    AcMemsetEx(m_szFilePath, sizeof(m_szFilePath), 0, sizeof(m_szFilePath), kSourcePath, __LINE__);
    AcMemsetEx(m_szVibAlertInfo, sizeof(m_szVibAlertInfo), 0, sizeof(m_szVibAlertInfo), kSourcePath,
               __LINE__);
    AcMemsetEx(&m_Volume, sizeof(m_Volume), 0, sizeof(m_Volume), kSourcePath, __LINE__);
}

// ---- Set-up and queries ----------------------------------------------------------------------

int CCallFlashCLIInfo::IsPlayAvail() {
    const int iSosState = PhsGetStatus(kPhsSosState);
    if (iSosState == 2 || iSosState == 3) {
        SysDebugPrintf(TMX_DBG_FAIL, "CCallFlashCLIInfo::IsPlayAvail : SOS Waiting state !! \n");
        return 0;
    }
    if (SoundState(AM_SNDPRIO_VOICE) == AM_SNDSTATE_ACTIVE) {
        SysDebugPrintf(TMX_DBG_FAIL,
                       "CCallFlashCLIInfo::IsPlayAvail : Voice 1st call is connected !! \n");
        return 0;
    }
    return 1;
}

int CCallFlashCLIInfo::SetPath(char* szFilePath) {
    if (!CALL_REQUIRE(szFilePath != NULL)) {
        return 0;
    }
    AcStrncpyEx(m_szFilePath, sizeof(m_szFilePath), szFilePath, sizeof(m_szFilePath) - 1,
                kSourcePath, __LINE__);
    SysDebugPrintf(TMX_DBG_SETTING, "CCallFlashCLIInfo::SetPath : Strncpy success!! \n");
    return 1;
}

char* CCallFlashCLIInfo::GetPath() {
    return m_szFilePath;
}

// A missing name counts as an empty one: the phone's default pattern.
int CCallFlashCLIInfo::SetVibAlertInfo(char* szVibInfo) {
    if (szVibInfo != NULL && szVibInfo[0] != '\0') {
        AcStrncpyEx(m_szVibAlertInfo, sizeof(m_szVibAlertInfo), szVibInfo,
                    sizeof(m_szVibAlertInfo) - 1, kSourcePath, __LINE__);
    } else {
        AcMemsetEx(m_szVibAlertInfo, sizeof(m_szVibAlertInfo), 0, sizeof(m_szVibAlertInfo),
                   kSourcePath, __LINE__);
        NvGetString(kNvDefaultVibration, m_szVibAlertInfo);
    }
    return 1;
}

int CCallFlashCLIInfo::SetGC(int hWnd) {
    if (hWnd == INVALID_HOBJ) {
        SysDebugPrintf(TMX_DBG_FAIL, "CCallFlashCLIInfo::SetGC : hWndFCLI is invalid \n");
        return 0;
    }
    m_hGCFlashCLI = __WmGetOverlayWindowGC(hWnd, kSourcePath, __LINE__);
    if (m_hGCFlashCLI == INVALID_HOBJ) {
        SysDebugPrintf(TMX_DBG_FAIL, "CCallFlashCLIInfo::SetGC : get overlay gc fail \n");
        return 0;
    }
    SysDebugPrintf(TMX_DBG_SETTING, "CCallFlashCLIInfo::SetGC : m_hGCFlashCLI = %d !\n ",
                   m_hGCFlashCLI);
    return 1;
}

int CCallFlashCLIInfo::GetGC() {
    return m_hGCFlashCLI;
}

// ---- The Flash instance ------------------------------------------------------------------------

int CCallFlashCLIInfo::Create(tagWMRECT* pFlashRect) {
    if (!CALL_REQUIRE(pFlashRect != NULL)) {
        return 0;
    }
    m_hFlash = WmeCreateFlash(m_hGCFlashCLI, 0, 0, pFlashRect->w, pFlashRect->h,
                              kFlashFlagsRingtone, m_szFilePath, 0);
    if (m_hFlash == INVALID_HOBJ) {
        SysDebugPrintf(TMX_DBG_FAIL, "CCallFlashCLIInfo::Create: WmeCreateFlash() failed\n");
        return 0;
    }
    SysDebugPrintf(TMX_DBG_SETTING, "CCallFlashCLIInfo::Create : Success!!, m_hFlash(%d)\n ",
                   m_hFlash);
    WmeEnableFlashSound(m_hFlash, 1);
    WmeSetFlashSoundPriority(m_hFlash, AM_SNDPRIO_RING);
    SetSoundPath(SND_OUT_DEV_PATH_RING);
    WmeSetFlashRepeatMode(m_hFlash, 1);
    return 1;
}

int CCallFlashCLIInfo::ChangeFlashRect(tagWMRECT rect) {
    if (WmeSetFlashRect(m_hFlash, 0, 0, rect.w, rect.h) == 0) {
        SysDebugPrintf(TMX_DBG_FAIL,
                       "CCallFlashCLIInfo::ChangeFlashRect : WmeSetFlashRect failed!\n");
        return 0;
    }
    return 1;
}

int CCallFlashCLIInfo::Play() {
    if (m_hFlash == INVALID_HOBJ) {
        SysDebugPrintf(TMX_DBG_FAIL,
                       "CCallFlashCLIInfo::Play : Failed!!, m_hFlash == INVALID_HOBJ\n ");
        return 0;
    }
    SetVolume();
    if (WmePlayFlashByShowFlag(m_hFlash, 1) == 0) {
        SysDebugPrintf(TMX_DBG_FAIL, "CCallFlashCLIInfo::Play : WmePlayFlash() failed\n");
        return 0;
    }
    SysDebugPrintf(TMX_DBG_SETTING, "CCallFlashCLIInfo::Play : Success !!\n ");
    return 1;
}

int CCallFlashCLIInfo::Stop() {
    CallLedClear();
    CallVibStop();
    DestroyVolumeTimer();
    DestroyVibThenMelodyTimer();
    if (m_hFlash == INVALID_HOBJ) {
        SysDebugPrintf(TMX_DBG_FAIL,
                       "CCallFlashCLIInfo::Stop : Failed!!, m_hFlash == INVALID_HOBJ\n ");
        return 0;
    }
    if (WmeStopFlash(m_hFlash) == 0) {
        SysDebugPrintf(TMX_DBG_FAIL, "CCallFlashCLIInfo::Stop : WmeStopFlash() failed\n");
        return 0;
    }
    SysDebugPrintf(TMX_DBG_SETTING, "CCallFlashCLIInfo::Stop : Success !!\n ");
    return 1;
}

int CCallFlashCLIInfo::Pause() {
    if (m_hFlash == INVALID_HOBJ) {
        SysDebugPrintf(TMX_DBG_FAIL,
                       "CCallFlashCLIInfo::Pause : Failed!!, m_hFlash == INVALID_HOBJ\n ");
        return 0;
    }
    if (WmePauseFlash(m_hFlash) == 0) {
        SysDebugPrintf(TMX_DBG_FAIL, "CCallFlashCLIInfo::Pause: WmePauseFlash() failed\n");
        return 0;
    }
    return 1;
}

int CCallFlashCLIInfo::Resume() {
    if (m_hFlash == INVALID_HOBJ) {
        SysDebugPrintf(TMX_DBG_FAIL,
                       "CCallFlashCLIInfo::Resume : Failed!!, m_hFlash == INVALID_HOBJ\n ");
        return 0;
    }
    if (WmePlayFlashByShowFlag(m_hFlash, 1) == 0) {
        SysDebugPrintf(TMX_DBG_FAIL, "CCallFlashCLIInfo::Resume: WmeResumeFlash() failed\n");
        return 0;
    }
    return 1;
}

int CCallFlashCLIInfo::Destroy() {
    if (m_hFlash == INVALID_HOBJ) {
        SysDebugPrintf(TMX_DBG_FAIL,
                       "CCallFlashCLIInfo::Destroy : Failed!!, m_hFlash == INVALID_HOBJ\n ");
        return 0;
    }
    if (WmeDestroyFlash(m_hFlash) == 0) {
        SysDebugPrintf(TMX_DBG_FAIL, "CCallFlashCLIInfo::Destroy : WmeDestroyFlash() failed\n");
        return 0;
    }
    m_hFlash = INVALID_HOBJ;
    SysDebugPrintf(TMX_DBG_SETTING, "CCallFlashCLIInfo::Destroy : Success !!\n ");
    return 1;
}

int CCallFlashCLIInfo::GetFlashPlayState() {
    if (m_hFlash == INVALID_HOBJ) {
        return -1;
    }
    int state = -1;
    WmeGetFlashPlayState(m_hFlash, &state);
    SysDebugPrintf(TMX_DBG_SETTING, "CCallFlashCLIInfo::GetFlashPlayState : (%d)\n ", state);
    return state;
}

int CCallFlashCLIInfo::IsPlaying() {
    const int state = GetFlashPlayState();
    switch (state) {
        case WME_FLASH_STATE_PLAYING:
            SysDebugPrintf(TMX_DBG_SETTING, "CCallFlashCLIInfo::IsPlaying : OK\n");
            return 1;
        case -1:
        case WME_FLASH_STATE_PAUSED:
        case WME_FLASH_STATE_STOPPED:
        case WME_FLASH_STATE_ENDED:
            SysDebugPrintf(TMX_DBG_SETTING, "CCallFlashCLIInfo::IsPlaying : NO\n");
            return 0;
        default:
            _SysSaveAssertMsg("CCallFlashCLIInfo::IsPlaying : WmeFlashPlayState (%d)", state);
            CALL_NEVER_GET_HERE();
            return 0;
    }
}

int CCallFlashCLIInfo::GetFlashHandle() {
    return m_hFlash;
}

int CCallFlashCLIInfo::GetPlayerHandle() {
    if (m_hFlash == INVALID_HOBJ) {
        return INVALID_HOBJ;
    }
    WmeFlashInfo* pFlashInfo = WmeGetFlashInfo(m_hFlash);
    if (pFlashInfo == NULL) {
        _SysAssertReport(TMX_ASSERTION_ASSERT, "ASSERTION_ASSERT", "pFlashInfo", kSourcePath,
                         __LINE__);
        return INVALID_HOBJ;
    }
    SysDebugPrintf(TMX_DBG_SETTING,
                   "CCallFlashCLIInfo::GetPlayerHandle: pFlashInfo->hFlashVideoPlayer[%d] "
                   "pFlashInfo->hFlashAvPlayer[%d]\n",
                   pFlashInfo->hFlashVideoPlayer, pFlashInfo->hFlashAvPlayer);
    if (pFlashInfo->hFlashVideoPlayer != INVALID_HOBJ) {
        return pFlashInfo->hFlashVideoPlayer;
    }
    return pFlashInfo->hFlashAvPlayer;
}

// ---- Sound -------------------------------------------------------------------------------------

void CCallFlashCLIInfo::SetVolumeLevel(int level) {
    if (m_hFlash != INVALID_HOBJ) {
        WmeSetFlashVolumeLevel(m_hFlash, level);
    }
    SysDebugPrintf(TMX_DBG_SETTING, "CCallFlashCLIInfo::SetVolumeLevel : (%d)\n ", level);
}

void CCallFlashCLIInfo::GetVolumeLevel(int* pLevel) {
    if (!CALL_REQUIRE(pLevel != NULL)) {
        return;
    }
    if (m_hFlash != INVALID_HOBJ) {
        WmeGetFlashVolumeLevel(m_hFlash, pLevel);
    }
    SysDebugPrintf(TMX_DBG_SETTING, "CCallFlashCLIInfo::GetVolumeLevel : (%d)\n ", *pLevel);
}

int CCallFlashCLIInfo::SetSoundPath(SndOutDevPath path) {
    if (m_hFlash == INVALID_HOBJ) {
        return 0;
    }
    WmeSetFlashSoundPath(m_hFlash, path);
    SysDebugPrintf(TMX_DBG_SETTING, "CCallFlashCLIInfo::SetSoundPath : (%d)\n ", path);
    return 1;
}

int CCallFlashCLIInfo::GetSoundPath(SndOutDevPath* pPath) {
    if (m_hFlash == INVALID_HOBJ) {
        return 0;
    }
    if (!CALL_REQUIRE(pPath != NULL)) {
        return 0;
    }
    WmeGetFlashSoundPath(m_hFlash, pPath);
    SysDebugPrintf(TMX_DBG_SETTING, "CCallFlashCLIInfo::GetSoundPath : (%d)\n ", *pPath);
    return 1;
}

int CCallFlashCLIInfo::SetVolume() {
    AppSndStopEffectSound(kEffectSoundStoppedFirst);
    const int callAlertType = NvGetInt(kNvCallAlertType);
    SysDebugPrintf(TMX_DBG_SETTING, "CCallFlashCLIInfo::SetVolume : callAlertType = %d\n ",
                   callAlertType);
    if (IsAlertIn(callAlertType, kAlertsMuted)) {
        m_Volume.step[0].volume[kVolumeLevel] = 0;
        SetVolumeLevel(0);
        WmeMuteFlashSound(m_hFlash, 1);
        if (callAlertType == kAlertTypeLed) {
            CallLedBlink();
        }
        if (IsAlertIn(callAlertType, kAlertsVibrating)) {
            CallVibStart(m_szVibAlertInfo);
        }
        if (callAlertType == kAlertTypeVibThenMelody) {
            StartVibThenMelodyTimer();
        }
    } else if (IsAlertIn(callAlertType, kAlertsMelody)) {
        SetVolumeStep(callAlertType);
        StartSetVolumeTimer();
        if (IsAlertIn(callAlertType, kAlertsVibrating)) {
            CallVibStart(m_szVibAlertInfo);
        }
    } else {
        SysDebugPrintf(TMX_DBG_FAIL,
                       "CCallFlashCLIInfo::SetVolume: Not defined call alert type!\n");
    }
    return 1;
}

int CCallFlashCLIInfo::SetVolumeStep(int alertType) {
    const int ringVolume = NvGetInt(kNvRingVolume);
    const int nStepMax = callringvolume::EscalatingSteps(ringVolume);
    if (callringvolume::IsEscalating(alertType) && !CALL_REQUIRE(nStepMax <= FCLI_STEP_COUNT_MAX)) {
        return 0;
    }
    m_Volume = callringvolume::Table(alertType, ringVolume);
    return 1;
}

int CCallFlashCLIInfo::StartSetVolumeTimer() {
    KillTimer(kVolumeTimerId);
    if (m_Volume.nStepIndex >= m_Volume.nStepCount) {
        SysDebugPrintf(TMX_DBG_FAIL,
                       "CCallFlashCLIInfo::StartSetVolumeTimer : nStepIndex (%d) is same as "
                       "nStepCount (%d) !!\n ",
                       m_Volume.nStepIndex, m_Volume.nStepCount);
        return 0;
    }
    const CallVCLIVolumeStep& step = m_Volume.step[m_Volume.nStepIndex++];
    SetVolumeLevel(step.volume[kVolumeLevel]);
    SetTimer(kVolumeTimerId, step.nDuration);
    return 1;
}

int CCallFlashCLIInfo::StartVibThenMelodyTimer() {
    KillTimer(kVibThenMelodyTimerId);
    SetTimer(kVibThenMelodyTimerId, kLeadInPeriod);
    return 1;
}

int CCallFlashCLIInfo::DestroyVolumeTimer() {
    KillTimer(kVolumeTimerId);
    return 1;
}

int CCallFlashCLIInfo::DestroyVibThenMelodyTimer() {
    KillTimer(kVibThenMelodyTimerId);
    return 1;
}

int CCallFlashCLIInfo::MuteVolume() {
    DestroyVolumeTimer();
    DestroyVibThenMelodyTimer();
    m_Volume.step[0].volume[kVolumeLevel] = kMuteLevel;
    if (m_hFlash == INVALID_HOBJ) {
        SysDebugPrintf(TMX_DBG_FAIL, "CCallFlashCLIInfo::MuteVolume: m_hFlash == INVALID_HOBJ\n");
        return 1;
    }
    SetVolumeLevel(kMuteLevel);
    WmeMuteFlashSound(m_hFlash, 1);
    return 1;
}

int CCallFlashCLIInfo::UnmuteVolume() {
    if (WmeMuteFlashSound(m_hFlash, 0) == 0) {
        SysDebugPrintf(TMX_DBG_FAIL,
                       "CCallFlashCLIInfo::UnmuteVolume : WmeMuteFlashSound() failed!!\n ");
        return 0;
    }
    return 1;
}

int CCallFlashCLIInfo::IsMuteVolume() {
    if (WmeIsFlashSoundEnabled(m_hFlash) == 1) {
        SysDebugPrintf(TMX_DBG_SETTING, "CCallFlashCLIInfo::IsMuteVolume : Unmute\n ");
        return 0;
    }
    SysDebugPrintf(TMX_DBG_SETTING, "CCallFlashCLIInfo::IsMuteVolume : Mute\n ");
    return 1;
}

// ---- First frame -------------------------------------------------------------------------------

tagWMBITMAP* CCallFlashCLIInfo::GetFirstFrame(int width, int height) {
    char* pszPath = CallCommonSvcFCLIGetPath();
    if (pszPath == NULL) {
        return NULL;
    }
    const int hSubGC = __WmCreateScreenSubGC(0, 16, 0, 0, width, height, kSourcePath, __LINE__);
    if (hSubGC == INVALID_HOBJ) {
        SysDebugPrintf(TMX_DBG_FAIL, "CCallFlashCLIInfo::GetFirstFrame : create sub gc fail \n");
        return NULL;
    }
    const int hFlash = WmeCreateFlash(hSubGC, 0, 0, width, height, kFlashFlagsStill, pszPath, 0);
    if (hFlash == INVALID_HOBJ) {
        SysDebugPrintf(TMX_DBG_FAIL,
                       "CCallFlashCLIInfo::GetFirstFrame : WmeCreateFlash() failed\n");
        __WmDeleteGC(hSubGC, 0, kSourcePath, __LINE__);
        return NULL;
    }
    tagWMBITMAP* pBmp = WmeGetFlashFrame(hFlash, 0);
    WmeDestroyFlash(hFlash);
    __WmDeleteGC(hSubGC, 0, kSourcePath, __LINE__);
    if (pBmp == NULL) {
        SysDebugPrintf(TMX_DBG_FAIL,
                       "CCallFlashCLIInfo::GetFirstFrame : WmeGetFlashFrame() failed\n");
    }
    return pBmp;
}

// ---- Callbacks ---------------------------------------------------------------------------------

int CCallFlashCLIInfo::AmCallback(SsmSoundPriority_T priority, SsmSoundType_T type,
                                  SsmSoundCommand_T cmd, void*) {
    SysDebugPrintf(TMX_DBG_SETTING,
                   "CCallFlashCLIInfo::AmCallback starts... : priority (%d) cmd (%d) type (%d)\n",
                   priority, cmd, type);
    if (priority == AM_SNDPRIO_CALL || priority == AM_SNDPRIO_RING) {
        return 1;
    }
    _SysSaveAssertMsg("CCallFlashCLIInfo::AmCallback: priority (%d)", priority);
    CALL_NEVER_GET_HERE();
    SysDebugPrintf(TMX_DBG_SETTING, "CCallFlashCLIInfo::AmCallback ends...\n");
    return 1;
}

void CCallFlashCLIInfo::OnTick(unsigned long timerID) {
    CCallFlashCLIInfo* pInfo = GetInstance();
    if (pInfo == NULL) {
        return;
    }
    CallFCLIVolume& volume = pInfo->m_Volume;
    if (timerID == kVolumeTimerId) {
        SysDebugPrintf(TMX_DBG_SETTING,
                       "CCallFlashCLIInfo::FlashCLISetVolumeCallback : Start!!\n ");
        if (volume.nStepIndex >= volume.nStepCount) {
            SysDebugPrintf(TMX_DBG_SETTING,
                           "CCallFlashCLIInfo::FlashCLISetVolumeCallback : nStepIndex (%d) is "
                           "same as nStepCount (%d) !!\n ",
                           volume.nStepIndex, volume.nStepCount);
            pInfo->KillTimer(kVolumeTimerId);
            return;
        }
        CallVCLIVolumeStep& step = volume.step[volume.nStepIndex++];
        step.volume[kVolumeFlag] = 1;
        pInfo->SetVolumeLevel(step.volume[kVolumeLevel]);
    } else if (timerID == kVibThenMelodyTimerId) {
        SysDebugPrintf(TMX_DBG_SETTING,
                       "CCallFlashCLIInfo::FlashCLIVibThenMelodyCallback : Start!!\n ");
        if (WmeIsFlashSoundEnabled(pInfo->m_hFlash) == 0) {
            WmeMuteFlashSound(pInfo->m_hFlash, 0);
        }
        CallVibStop();
        pInfo->SetVolumeStep(kAlertTypeVibThenMelody);
        pInfo->StartSetVolumeTimer();
        pInfo->KillTimer(kVibThenMelodyTimerId);
    }
}

// ---- Unload and the exported functions ---------------------------------------------------------

void CallFlashCLIReleaseAtUnload() {
    CCallFlashCLIInfo* pInfo = CCallFlashCLIInfo::pCallFCLIInfoMgr;
    if (pInfo != NULL && pInfo->m_hFlash != INVALID_HOBJ) {
        pInfo->Stop();
        pInfo->Destroy();
    }
}

#define FCLI_FORWARD(failure, call)                              \
    CCallFlashCLIInfo* pInfo = CCallFlashCLIInfo::GetInstance(); \
    return pInfo != NULL ? pInfo->call : failure

int CallCommonSvcFCLIInit(void) {
    CCallFlashCLIInfo* pInfo = CCallFlashCLIInfo::GetInstance();
    if (pInfo == NULL) {
        return 0;
    }
    pInfo->Init();
    return 1;
}
int CallCommonSvcFCLIIsPlayAvail(void) {
    FCLI_FORWARD(0, IsPlayAvail());
}
tagWMBITMAP* CallCommonSvcFCLIGetFirstFrame(int width, int height) {
    FCLI_FORWARD(NULL, GetFirstFrame(width, height));
}
int CallCommonSvcFCLISetPath(char* szFilePath) {
    FCLI_FORWARD(0, SetPath(szFilePath));
}
char* CallCommonSvcFCLIGetPath(void) {
    FCLI_FORWARD(NULL, GetPath());
}
int CallCommonSvcFCLIChangeFlashRect(tagWMRECT rect) {
    FCLI_FORWARD(0, ChangeFlashRect(rect));
}
int CallCommonSvcFCLISetVibAlertInfo(char* szVibInfo) {
    FCLI_FORWARD(0, SetVibAlertInfo(szVibInfo));
}
int CallCommonSvcFCLISetGc(int hWnd) {
    FCLI_FORWARD(0, SetGC(hWnd));
}
int CallCommonSvcFCLIGetGC(void) {
    FCLI_FORWARD(INVALID_HOBJ, GetGC());
}
int CallCommonSvcFCLICreate(tagWMRECT* pRect) {
    FCLI_FORWARD(0, Create(pRect));
}
int CallCommonSvcFCLIDestroy(void) {
    FCLI_FORWARD(0, Destroy());
}
int CallCommonSvcFCLIPlay(void) {
    FCLI_FORWARD(0, Play());
}
int CallCommonSvcFCLIStop(void) {
    FCLI_FORWARD(0, Stop());
}
int CallCommonSvcFCLIIsPlaying(void) {
    FCLI_FORWARD(0, IsPlaying());
}
int CallCommonSvcFCLIGetFlashHandle(void) {
    FCLI_FORWARD(INVALID_HOBJ, GetFlashHandle());
}
int CallCommonSvcFCLIGetPlayerHandle(void) {
    FCLI_FORWARD(INVALID_HOBJ, GetPlayerHandle());
}
int CallCommonSvcFCLIGetFlashPlayState(void) {
    FCLI_FORWARD(-1, GetFlashPlayState());
}
int CallCommonSvcFCLISetSoundPath(SndOutDevPath path) {
    FCLI_FORWARD(0, SetSoundPath(path));
}
int CallCommonSvcFCLIGetSoundPath(SndOutDevPath* pPath) {
    FCLI_FORWARD(0, GetSoundPath(pPath));
}
void CallCommonSvcFCLISetVolumeLevel(int level) {
    CCallFlashCLIInfo* pInfo = CCallFlashCLIInfo::GetInstance();
    if (pInfo != NULL) {
        pInfo->SetVolumeLevel(level);
    }
}
void CallCommonSvcFCLIGetVolumeLevel(int* pLevel) {
    CCallFlashCLIInfo* pInfo = CCallFlashCLIInfo::GetInstance();
    if (pInfo != NULL) {
        pInfo->GetVolumeLevel(pLevel);
    }
}
int CallCommonSvcFCLIDestroyVolumeTimer(void) {
    FCLI_FORWARD(0, DestroyVolumeTimer());
}
int CallCommonSvcFCLIDestroyVibThenMelodyTimer(void) {
    FCLI_FORWARD(0, DestroyVibThenMelodyTimer());
}
int CallCommonSvcFCLIMuteVolume(void) {
    FCLI_FORWARD(0, MuteVolume());
}
int CallCommonSvcFCLIUnmuteVolume(void) {
    FCLI_FORWARD(0, UnmuteVolume());
}
int CallCommonSvcFCLIIsMuteVolume(void) {
    FCLI_FORWARD(0, IsMuteVolume());
}
