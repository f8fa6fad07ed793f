#include "CallVideoCLI.h"

#include <limits.h>

#include "../../H/CallCommonSvc.h"
#include "CallRingVolumeInternal.h"
#include "../../Platform/TmxAppFrmwk.h"

namespace {

const char kSourcePath[] = "CallCommonSvc\\VoiceVideoCommonSvc\\Mgr\\CallVideoCLI";

const unsigned long kVolumeTimerId = 20;
const unsigned long kVibThenMelodyTimerId = 21;
const unsigned long kLeadInPeriod = 6000;
const int kPlayerHandleMax = 63;
const int kRingPriority = AM_SNDPRIO_RING;
const int kRingSoundPath = SND_OUT_DEV_PATH_RING;
const int kEffectSoundStopped = 27;
const char kVolumePresetName[] = "RingTone";

const int kNvVibrationPattern = 16;
const int kNvCallAlertType = 17;
const int kNvRingVolume = 18;
const int kPhsSosWait = 45;
const int kSosWaiting = 2;
const int kSosWaitingToo = 3;

// Alert types that ring muted (0, 3, 4 and 8) and those that ring a volume table (1, 2, 5, 6).
const unsigned kMutedAlertTypes = 0x119;
const unsigned kMelodyAlertTypes = 0x66;
const int kMaxAlertType = 8;

// Time of the first frame, and the unit of the player's position, in milliseconds.
const int kFirstFrameTime = 1000;

// True while the ring priority's registration made by Create is still with the manager, so that
// the object's destruction can take it back: AmCallback lives in this library.
bool g_bRingRegistered = false;

bool IsValidPlayer(int hPlayer) {
    return hPlayer >= 0 && hPlayer <= kPlayerHandleMax;
}

bool IsAlertType(int alertType, unsigned mask) {
    return alertType >= 0 && alertType <= kMaxAlertType && ((1u << alertType) & mask) != 0;
}

int RingSoundState() {
    SsmSoundType_T type = 0;
    int state = AM_SNDSTATE_NONE;
    SsmGetSoundState(kRingPriority, &type, &state);
    return state;
}

void UnregisterRing() {
    SsmUnregisterSoundCallback(kRingPriority, kSourcePath, __LINE__);
    g_bRingRegistered = false;
}

// Copies the stored path into a player record.
void CopyPath(char* dest, unsigned int destSize, const char* path) {
    AcStrncpyEx(dest, destSize, path, CALL_VCLI_PATH_SIZE - 1, kSourcePath, __LINE__);
}

}  // namespace

CALL_DEFINE_SINGLETON(CCallVideoCLIInfo, pCallVideoCLIMgr)

CCallVideoCLIInfo::CCallVideoCLIInfo() {
    Init();
}

// Not Stop() or Destroy(): on unload the device-signalling singleton is already gone, and the
// facade would report it. The timer base releases both timers.
CCallVideoCLIInfo::~CCallVideoCLIInfo() {
    if (IsValidPlayer(m_hPlayerVideoCLI)) {
        SysDebugPrintf(TMX_DBG_SETTING,
                       "CCallVideoCLIInfo::~CCallVideoCLIInfo: delete player (%d)\n",
                       m_hPlayerVideoCLI);
        AvStopPlayer(m_hPlayerVideoCLI);
        AvDeletePlayer(m_hPlayerVideoCLI);
        m_hPlayerVideoCLI = INVALID_HOBJ;
    }
    if (g_bRingRegistered) {
        UnregisterRing();
    }
}

void CCallVideoCLIInfo::Init() {
    SysDebugPrintf(TMX_DBG_SETTING, "CCallVideoCLIInfo::Init : START! \n");
    m_hPlayerVideoCLI = INVALID_HOBJ;
    m_hGCVideoCLI = INVALID_HOBJ;
    AcMemsetEx(m_szFilePath, sizeof(m_szFilePath), 0, sizeof(m_szFilePath), kSourcePath, __LINE__);
    AcMemsetEx(m_szVibAlertInfo, sizeof(m_szVibAlertInfo), 0, sizeof(m_szVibAlertInfo), kSourcePath,
               __LINE__);
    AcMemsetEx(&m_Volume, sizeof(m_Volume), 0, sizeof(m_Volume), kSourcePath, __LINE__);
    m_iCallVCLIIncomState = 0;
    bPlaying = 0;
    iCurrentAvmsState = CALL_VCLI_AVMS_STATE_INVALID;
    AcMemsetEx(&m_Rect, sizeof(m_Rect), 0, sizeof(m_Rect), kSourcePath, __LINE__);
}

// ---- Set-up --------------------------------------------------------------------------------

int CCallVideoCLIInfo::SetPath(char* szFilePath) {
    if (!CALL_REQUIRE(szFilePath != NULL)) {
        return 0;
    }
    CopyPath(m_szFilePath, sizeof(m_szFilePath), szFilePath);
    SysDebugPrintf(TMX_DBG_SETTING, "CCallVideoCLIInfo::SetPath : Strncpy success!! \n");
    return 1;
}

// A missing name counts as an empty one: the phone's default pattern.
int CCallVideoCLIInfo::SetVibAlertInfo(char* szVibInfo) {
    if (szVibInfo != NULL && szVibInfo[0] != '\0') {
        CopyPath(m_szVibAlertInfo, sizeof(m_szVibAlertInfo), szVibInfo);
    } else {
        AcMemsetEx(m_szVibAlertInfo, sizeof(m_szVibAlertInfo), 0, sizeof(m_szVibAlertInfo),
                   kSourcePath, __LINE__);
        NvGetString(kNvVibrationPattern, m_szVibAlertInfo);
    }
    return 1;
}

int CCallVideoCLIInfo::SetGC(int hWnd) {
    if (hWnd == INVALID_HOBJ) {
        SysDebugPrintf(TMX_DBG_FAIL, "CCallVideoCLIInfo::SetGC : hWndVCLI is invalid \n");
        return 0;
    }
    m_hGCVideoCLI = __WmGetOverlayWindowGC(hWnd, kSourcePath, __LINE__);
    if (m_hGCVideoCLI == INVALID_HOBJ) {
        SysDebugPrintf(TMX_DBG_FAIL, "CCallVideoCLIInfo::SetGC : get overlay gc fail \n");
        return 0;
    }
    SysDebugPrintf(TMX_DBG_SETTING, "CCallVideoCLIInfo::SetGC : hGCVideoCLI = %d !\n ",
                   m_hGCVideoCLI);
    return 1;
}

int CCallVideoCLIInfo::GetGC() {
    return m_hGCVideoCLI;
}

int CCallVideoCLIInfo::SetInputMedia(AvInputMedia* avInputMedia) {
    if (!CALL_REQUIRE(avInputMedia != NULL)) {
        return 0;
    }
    avInputMedia->hGC = m_hGCVideoCLI;
    CopyPath(avInputMedia->szFilePath, sizeof(avInputMedia->szFilePath), m_szFilePath);
    AvMediaInfo info;
    AcMemsetEx(&info, sizeof(info), 0, sizeof(info), kSourcePath, __LINE__);
    if (!AvGetVideoInfo(m_szFilePath, &info)) {
        SysDebugPrintf(TMX_DBG_FAIL, "CCallVideoCLIInfo::SetInputMedia: AvGetVideoInfo() failed");
        return 0;
    }
    avInputMedia->nMediaType = info.nMediaType;
    return 1;
}

// ---- Availability and state ----------------------------------------------------------------

int CCallVideoCLIInfo::IsPlayAvail() {
    int sos = PhsGetStatus(kPhsSosWait);
    if (sos == kSosWaiting || sos == kSosWaitingToo) {
        SysDebugPrintf(TMX_DBG_FAIL, "CCallVideoCLIInfo::IsPlayAvail : SOS Waiting state !! \n");
        return 0;
    }
    SsmSoundType_T type = 0;
    int state = AM_SNDSTATE_NONE;
    SsmGetSoundState(AM_SNDPRIO_VOICE, &type, &state);
    if (state == AM_SNDSTATE_ACTIVE) {
        SysDebugPrintf(TMX_DBG_FAIL,
                       "CCallVideoCLIInfo::IsPlayAvail : Voice 1st call is connected !! \n");
        return 0;
    }
    type = 0;
    state = AM_SNDSTATE_NONE;
    SsmGetSoundState(AM_SNDPRIO_STREAM, &type, &state);
    if (state != AM_SNDSTATE_NONE) {
        SysDebugPrintf(TMX_DBG_FAIL, "CCallVideoCLIInfo::IsPlayAvail :Streaming is alive !! \n");
        return 0;
    }
    return 1;
}

int CCallVideoCLIInfo::IsPlayerValid() {
    if (!IsValidPlayer(m_hPlayerVideoCLI)) {
        SysDebugPrintf(TMX_DBG_FAIL,
                       "CCallVideoCLIInfo::IsPlayerValid: hPlayerVideoCLI is invalid");
        return 0;
    }
    return 1;
}

int CCallVideoCLIInfo::IsPlayerStopPossible() {
    if (!IsPlayerValid()) {
        return 0;
    }
    SysDebugPrintf(TMX_DBG_SETTING,
                   "CCallVideoCLIInfo::IsPlayerStopPossible : VideoCLI current state is now %d  "
                   "!!\n ",
                   iCurrentAvmsState);
    if (iCurrentAvmsState == 2 || iCurrentAvmsState == 3 || iCurrentAvmsState == 6) {
        SysDebugPrintf(TMX_DBG_FAIL,
                       "CCallVideoCLIInfo::IsPlayerStopPossible : Can't stop VideoCLI !!\n ");
        return 0;
    }
    return 1;
}

int CCallVideoCLIInfo::IsPlayerResuming() {
    return IsPlayerValid() && iCurrentAvmsState == 4 ? 1 : 0;
}

int CCallVideoCLIInfo::GetPlayer() {
    return m_hPlayerVideoCLI;
}

int CCallVideoCLIInfo::SetAvmsState(CallVCLIAvmsState state) {
    if (state < CALL_VCLI_AVMS_STATE_INVALID || state >= CALL_VCLI_AVMS_STATE_MAX) {
        CALL_REPORT_REQUIRE(
            "(iCurrentAvmsState >= CALL_VCLI_AVMS_STATE_INVALID)&&(iCurrentAvmsState < "
            "CALL_VCLI_AVMS_STATE_MAX)");
        return 0;
    }
    iCurrentAvmsState = state;
    SysDebugPrintf(TMX_DBG_SETTING, "CCallVideoCLIInfo::SetAvmsState: iCurrentState  (%d)\n",
                   iCurrentAvmsState);
    return 1;
}

CallVCLIAvmsState CCallVideoCLIInfo::GetAvmsState() {
    return iCurrentAvmsState;
}

int CCallVideoCLIInfo::SetIncomState(CallVCLIIncomState state) {
    m_iCallVCLIIncomState = state;
    SysDebugPrintf(TMX_DBG_SETTING,
                   "CCallVideoCLIInfo::SetIncomState : m_iCallVCLIIncomState = %d\n",
                   m_iCallVCLIIncomState);
    return 1;
}

CallVCLIIncomState CCallVideoCLIInfo::GetIncomState() {
    SysDebugPrintf(TMX_DBG_SETTING,
                   "CCallVideoCLIInfo::GetIncomState : m_iCallVCLIIncomState = %d\n",
                   m_iCallVCLIIncomState);
    return m_iCallVCLIIncomState;
}

int CCallVideoCLIInfo::SetPlaying(int bPlay) {
    bPlaying = bPlay;
    SysDebugPrintf(TMX_DBG_SETTING, "CCallVideoCLIInfo::SetPlaying : bPlaying=%d\n", bPlaying);
    return 1;
}

int CCallVideoCLIInfo::IsPlaying() {
    SysDebugPrintf(TMX_DBG_SETTING, "CCallVideoCLIInfo::IsPlaying : bPlaying=%d\n", bPlaying);
    return bPlaying;
}

// ---- Player --------------------------------------------------------------------------------

// The registration stays when a later step fails; the range checks treat a refused handle as
// no player.
int CCallVideoCLIInfo::Create(int owner) {
    SysDebugPrintf(TMX_DBG_SETTING, "CCallVideoCLIInfo::Create : start !!\n");
    AvInputMedia media;
    AcMemsetEx(&media, sizeof(media), 0, sizeof(media), kSourcePath, __LINE__);

    SsmRegisterSoundCallback(kRingPriority, 0, AmCallback, NULL, kSourcePath, __LINE__);
    g_bRingRegistered = true;

    media.hGC = m_hGCVideoCLI;
    CopyPath(media.szFilePath, sizeof(media.szFilePath), m_szFilePath);

    AvMediaInfo info;
    AcMemsetEx(&info, sizeof(info), 0, sizeof(info), kSourcePath, __LINE__);
    if (!AvGetVideoInfo(m_szFilePath, &info)) {
        SysDebugPrintf(TMX_DBG_FAIL, "CCallVideoCLIInfo::Create: AvGetVideoInfo() failed");
        return 0;
    }
    AvVolPreset* pPreset = AvVolMgrLookupPresetByName(kVolumePresetName);
    if (!CALL_REQUIRE(pPreset != NULL)) {
        return 0;
    }
    media.nSourceType = 1;
    media.nMediaType = info.nMediaType;
    media.nPresetId = pPreset->nPresetId;
    media.nSoundPath = kRingSoundPath;

    m_hPlayerVideoCLI = AvCreatePlayer(&media, 0, owner);
    if (!IsValidPlayer(m_hPlayerVideoCLI)) {
        SysDebugPrintf(TMX_DBG_FAIL, "CCallVideoCLIInfo::Create: create video player failed");
        return 0;
    }
    SysDebugPrintf(
        TMX_DBG_SETTING,
        "CCallVideoCLIInfo::Create : Create video player success !!hPlayerVideoCLI(%d)\n ",
        m_hPlayerVideoCLI);
    return 1;
}

int CCallVideoCLIInfo::Start(tagWMRECT* pRect, int n) {
    SysDebugPrintf(TMX_DBG_SETTING, "CCallVideoCLIInfo::Start : start !!\n");
    if (!CALL_REQUIRE(pRect != NULL)) {
        return 0;
    }
    m_Rect = *pRect;
    SetVolume();
    SetPlayAttribute(pRect, n);
    if (!AvStartPlayer(m_hPlayerVideoCLI)) {
        SysDebugPrintf(TMX_DBG_FAIL, "CCallVideoCLIInfo::Start: AvStartPlayer() failed");
        return 0;
    }
    return 1;
}

// The rectangle is only traced: the player fills its overlay GC keeping the video's aspect.
int CCallVideoCLIInfo::SetPlayAttribute(tagWMRECT* pRect, int) {
    if (!CALL_REQUIRE(pRect != NULL)) {
        return 0;
    }
    SysDebugPrintf(TMX_DBG_SETTING,
                   "CCallVideoCLIInfo::SetPlayAttribute: x(%d), y(%d), w(%d), h(%d)\n", pRect->x,
                   pRect->y, pRect->w, pRect->h);
    AvMediaInfo info;
    AcMemsetEx(&info, sizeof(info), 0, sizeof(info), kSourcePath, __LINE__);
    if (!AvGetVideoInfo(m_szFilePath, &info)) {
        SysDebugPrintf(TMX_DBG_FAIL,
                       "CCallVideoCLIInfo::SetPlayAttribute: AvGetVideoInfo() failed");
        return 0;
    }
    WmSetGCSurfaceAspectRatio(m_hGCVideoCLI, 1);
    if (!AvSetPlayerRepeat(m_hPlayerVideoCLI, -1)) {
        SysDebugPrintf(TMX_DBG_FAIL,
                       "CCallVideoCLIInfo::SetPlayAttribute: AvSetPlayerRepeat failed");
        return 0;
    }
    return 1;
}

int CCallVideoCLIInfo::Stop() {
    SysDebugPrintf(TMX_DBG_SETTING, "CCallVideoCLIInfo::Stop : start !!\n");
    CallLedClear();
    CallVibStop();
    DestroyVolumeTimer();
    DestroyVibThenMelodyTimer();

    if (!IsValidPlayer(m_hPlayerVideoCLI)) {
        SysDebugPrintf(TMX_DBG_FAIL, "CCallVideoCLIInfo::Stop: hPlayerVideoCLI is invalid");
        UnregisterRing();
        return 0;
    }
    if (iCurrentAvmsState == 0 || (iCurrentAvmsState >= 7 && iCurrentAvmsState <= 10)) {
        Destroy();
        SysDebugPrintf(TMX_DBG_SETTING,
                       "CCallVideoCLIInfo::Stop: hPlayerVideoCLI is now created, error or none "
                       "state, so VCLI is destroyed");
        return 0;
    }
    if (!AvStopPlayer(m_hPlayerVideoCLI)) {
        SysDebugPrintf(TMX_DBG_FAIL, "CCallVideoCLIInfo::Stop: Stop video player failed");
        UnregisterRing();
        return 0;
    }
    iCurrentAvmsState = 2;
    UnregisterRing();
    SysDebugPrintf(TMX_DBG_SETTING, "CCallVideoCLIInfo::Stop : Stop VideoCLI Player !!\n ");
    return 1;
}

int CCallVideoCLIInfo::Destroy() {
    SysDebugPrintf(TMX_DBG_SETTING, "CCallVideoCLIInfo::Destroy : start !!\n");
    if (RingSoundState() != AM_SNDSTATE_NONE) {
        UnregisterRing();
    }
    CallLedClear();
    CallVibStop();
    DestroyVolumeTimer();
    DestroyVibThenMelodyTimer();

    if (!IsValidPlayer(m_hPlayerVideoCLI)) {
        SysDebugPrintf(TMX_DBG_FAIL, "CCallVideoCLIInfo::Destroy: hPlayerVideoCLI is invalid");
        return 0;
    }
    if (!AvDeletePlayer(m_hPlayerVideoCLI)) {
        SysDebugPrintf(TMX_DBG_FAIL, "CCallVideoCLIInfo::Destroy: Delete video player failed");
        return 0;
    }
    m_hPlayerVideoCLI = INVALID_HOBJ;
    SysDebugPrintf(TMX_DBG_SETTING, "CCallVideoCLIInfo::Destroy : Destroy VideoCLI Player !!\n ");
    return 1;
}

// ---- Frames --------------------------------------------------------------------------------

tagWMBITMAP* CCallVideoCLIInfo::GetFirstFrame(int width, int height) {
    return GetFrame(width, height, false);
}

tagWMBITMAP* CCallVideoCLIInfo::GetLastFrame(int width, int height) {
    return GetFrame(width, height, true);
}

tagWMBITMAP* CCallVideoCLIInfo::GetFrame(int width, int height, bool bLast) {
    const char* pszMethod = bLast ? "GetLastFrame" : "GetFirstFrame";
    SysDebugPrintf(TMX_DBG_SETTING, "CCallVideoCLIInfo::%s : start !!\n", pszMethod);

    tagWMBITMAP* pDescriptor =
        static_cast<tagWMBITMAP*>(MemAllocTraceEx(0, sizeof(tagWMBITMAP), kSourcePath, __LINE__));
    if (pDescriptor == NULL) {
        SysDebugPrintf(TMX_DBG_FAIL, "CCallVideoCLIInfo::%s : %s malloc fail \n", pszMethod,
                       bLast ? "pbmLastFrame" : "pbmFirstFrame");
        return NULL;
    }
    // Zeroed before anything can free it: _WmFreeBitmap reads its pixel pointer.
    AcMemsetEx(pDescriptor, sizeof(tagWMBITMAP), 0, sizeof(tagWMBITMAP), kSourcePath, __LINE__);

    // A box that is empty or whose pixels do not fit a 32-bit size counts as a failed
    // allocation.
    long long nBytes = static_cast<long long>(width) * height * 2;
    void* pBuffer = NULL;
    if (width > 0 && height > 0 && nBytes <= static_cast<long long>(UINT_MAX)) {
        pBuffer = MemAllocTraceEx(0, static_cast<unsigned int>(nBytes), kSourcePath, __LINE__);
    }
    if (pBuffer == NULL) {
        SysDebugPrintf(TMX_DBG_FAIL, "CCallVideoCLIInfo::%s : pFrameBuffer malloc fail \n",
                       pszMethod);
        _WmFreeBitmap(pDescriptor, 0, kSourcePath, __LINE__);
        return NULL;
    }

    AvMediaInfo info;
    AcMemsetEx(&info, sizeof(info), 0, sizeof(info), kSourcePath, __LINE__);
    if (!AvGetVideoInfo(m_szFilePath, &info)) {
        SysDebugPrintf(TMX_DBG_FAIL, "CCallVideoCLIInfo::%s: AvGetVideoInfo() failed", pszMethod);
        MemFreeTraceMultiHeap(pBuffer, kSourcePath, __LINE__);
        _WmFreeBitmap(pDescriptor, 0, kSourcePath, __LINE__);
        return NULL;
    }
    int bScale = info.nWidth < width && info.nHeight < height ? 0 : 1;

    int timeMs = kFirstFrameTime;
    if (bLast) {
        if (m_hPlayerVideoCLI == INVALID_HOBJ) {
            SysDebugPrintf(TMX_DBG_FAIL,
                           "CCallVideoCLIInfo::GetLastFrame : hPlayerVideoCLI is INVALID_HOBJ.\n ");
        } else {
            long long position =
                static_cast<long long>(AvGetPlayerPosition(m_hPlayerVideoCLI)) * kFirstFrameTime;
            timeMs = position > INT_MAX ? INT_MAX : static_cast<int>(position);
        }
    }

    if (!AvGetVideoFrame(m_szFilePath, width, height, timeMs, 1, bScale, pBuffer, pDescriptor)) {
        SysDebugPrintf(TMX_DBG_FAIL, "CCallVideoCLIInfo::%s : AvGetVideoFrame fail \n", pszMethod);
        MemFreeTraceMultiHeap(pBuffer, kSourcePath, __LINE__);
        MemFreeTraceMultiHeap(pDescriptor, kSourcePath, __LINE__);
        return NULL;
    }
    return pDescriptor;
}

// ---- Volume --------------------------------------------------------------------------------

void CCallVideoCLIInfo::ApplyVolume(const CallVCLIVolumeStep& step) {
    AvVolume volume;
    volume.reserved0 = step.volume[0];
    volume.leftVolume = step.volume[1];
    volume.reserved2 = step.volume[2];
    volume.reserved3 = step.volume[3];
    AvSetPlayerVolume(m_hPlayerVideoCLI, volume);
}

void CCallVideoCLIInfo::MutePlayer(int bMute) {
    AvPlayerMute mute;
    mute.bMute = bMute;
    mute.bMuteState = bMute;
    AvSetPlayerMute(m_hPlayerVideoCLI, mute);
}

int CCallVideoCLIInfo::SetVolume() {
    SysDebugPrintf(TMX_DBG_SETTING, "CCallVideoCLIInfo::SetVolume : Start !!\n ");
    AppSndStopEffectSound(kEffectSoundStopped);
    int alertType = NvGetInt(kNvCallAlertType);
    SysDebugPrintf(TMX_DBG_SETTING, "CCallVideoCLIInfo::SetVolume : callAlertType = %d\n ",
                   alertType);

    if (IsAlertType(alertType, kMutedAlertTypes)) {
        m_Volume.step[0].volume[1] = 0;
        ApplyVolume(m_Volume.step[0]);
        MutePlayer(1);
        if (alertType == 3) {
            CallLedBlink();
        } else if (alertType == 0 || alertType == 4) {
            CallVibStart(m_szVibAlertInfo);
            if (alertType == 4) {
                StartVibThenMelodyTimer();
            }
        }
    } else if (IsAlertType(alertType, kMelodyAlertTypes)) {
        SetVolumeStep(alertType);
        StartSetVolumeTimer();
        if (alertType == 5 || alertType == 6) {
            CallVibStart(m_szVibAlertInfo);
        }
    } else {
        SysDebugPrintf(TMX_DBG_FAIL,
                       "CCallVideoCLIInfo::SetVolume: Not defined call alert type!\n");
    }
    return 1;
}

int CCallVideoCLIInfo::SetVolumeStep(int alertType) {
    const int ringVolume = NvGetInt(kNvRingVolume);
    const int nStepMax = callringvolume::EscalatingSteps(ringVolume);
    if (callringvolume::IsEscalating(alertType) && !CALL_REQUIRE(nStepMax <= VCLI_STEP_COUNT_MAX)) {
        return 0;
    }
    m_Volume = callringvolume::Table(alertType, ringVolume);
    return 1;
}

int CCallVideoCLIInfo::StartSetVolumeTimer() {
    KillTimer(kVolumeTimerId);
    if (m_Volume.nStepIndex >= m_Volume.nStepCount) {
        SysDebugPrintf(TMX_DBG_FAIL,
                       "CCallVideoCLIInfo::StartSetVolumeTimer : nStepIndex (%d) is same as "
                       "nStepCount (%d) !!\n ",
                       m_Volume.nStepIndex, m_Volume.nStepCount);
        return 0;
    }
    const CallVCLIVolumeStep& step = m_Volume.step[m_Volume.nStepIndex++];
    ApplyVolume(step);
    SetTimer(kVolumeTimerId, step.nDuration);
    return 1;
}

int CCallVideoCLIInfo::StartVibThenMelodyTimer() {
    KillTimer(kVibThenMelodyTimerId);
    SetTimer(kVibThenMelodyTimerId, kLeadInPeriod);
    return 1;
}

int CCallVideoCLIInfo::DestroyVolumeTimer() {
    KillTimer(kVolumeTimerId);
    return 1;
}

int CCallVideoCLIInfo::DestroyVibThenMelodyTimer() {
    KillTimer(kVibThenMelodyTimerId);
    return 1;
}

// The vibration and the LED keep running.
int CCallVideoCLIInfo::MuteVolume() {
    SysDebugPrintf(TMX_DBG_SETTING, "CCallVideoCLIInfo::MuteVolume : start !!\n");
    DestroyVolumeTimer();
    DestroyVibThenMelodyTimer();
    m_Volume.step[0].volume[1] = 0;
    if (m_hPlayerVideoCLI == INVALID_HOBJ) {
        SysDebugPrintf(TMX_DBG_FAIL,
                       "CCallVideoCLIInfo::MuteVolume: m_hPlayerVideoCLI == INVALID_HOBJ\n");
        return 1;
    }
    ApplyVolume(m_Volume.step[0]);
    MutePlayer(1);
    return 1;
}

int CCallVideoCLIInfo::IsMuteVolume() {
    if (m_hPlayerVideoCLI == INVALID_HOBJ) {
        SysDebugPrintf(TMX_DBG_FAIL,
                       "CCallVideoCLIInfo::IsMuteVolume: m_hPlayerVideoCLI == INVALID_HOBJ\n");
        return 0;
    }
    AvPlayerMute mute;
    AcMemsetEx(&mute, sizeof(mute), 0, sizeof(mute), kSourcePath, __LINE__);
    AvGetPlayerMute(m_hPlayerVideoCLI, &mute);
    return mute.bMuteState == 1 ? 1 : 0;
}

// ---- Callbacks -----------------------------------------------------------------------------

int CCallVideoCLIInfo::AmCallback(SsmSoundPriority_T priority, SsmSoundType_T type,
                                  SsmSoundCommand_T cmd, void*) {
    SysDebugPrintf(TMX_DBG_SETTING,
                   "CCallVideoCLIInfo::AmCallback starts... : priority (%d) cmd (%d) type (%d)\n",
                   priority, cmd, type);
    if (priority == AM_SNDPRIO_CALL || priority == kRingPriority) {
        return 1;
    }
    _SysSaveAssertMsg("CCallVideoCLIInfo::AmCallback: priority (%d)", priority);
    CALL_NEVER_GET_HERE();
    SysDebugPrintf(TMX_DBG_SETTING, "CCallVideoCLIInfo::AmCallback ends...\n");
    return 1;
}

void CCallVideoCLIInfo::OnTick(unsigned long timerID) {
    CCallVideoCLIInfo* pCallVideoCLIInfo = pCallVideoCLIMgr;
    if (!CALL_REQUIRE(pCallVideoCLIInfo != NULL)) {
        return;
    }
    CallVCLIVolume& table = pCallVideoCLIInfo->m_Volume;

    if (timerID == kVolumeTimerId) {
        SysDebugPrintf(TMX_DBG_SETTING,
                       "CCallVideoCLIInfo::VideoCLISetVolumeCallback : Start!!\n ");
        if (table.nStepIndex >= table.nStepCount) {
            SysDebugPrintf(TMX_DBG_SETTING,
                           "CCallVideoCLIInfo::VideoCLISetVolumeCallback : nStepIndex (%d) is same "
                           "as nStepCount (%d) !!\n ",
                           table.nStepIndex, table.nStepCount);
            pCallVideoCLIInfo->KillTimer(kVolumeTimerId);
            return;
        }
        CallVCLIVolumeStep& step = table.step[table.nStepIndex++];
        step.volume[0] = 1;
        pCallVideoCLIInfo->ApplyVolume(step);
    } else if (timerID == kVibThenMelodyTimerId) {
        SysDebugPrintf(TMX_DBG_SETTING,
                       "CCallVideoCLIInfo::VideoCLIVibThenMelodyCallback : Start!!\n ");
        AvPlayerMute mute;
        AcMemsetEx(&mute, sizeof(mute), 0, sizeof(mute), kSourcePath, __LINE__);
        AvGetPlayerMute(pCallVideoCLIInfo->m_hPlayerVideoCLI, &mute);
        if (mute.bMuteState == 1) {
            pCallVideoCLIInfo->MutePlayer(0);
        }
        CallVibStop();
        pCallVideoCLIInfo->SetVolumeStep(4);
        pCallVideoCLIInfo->StartSetVolumeTimer();
        pCallVideoCLIInfo->KillTimer(kVibThenMelodyTimerId);
    }
}

// ---- Exported functions --------------------------------------------------------------------

namespace {

// Handle and state queries answer "none" when the service is not loaded.
CCallVideoCLIInfo* Instance() {
    return CCallVideoCLIInfo::GetInstance();
}

}  // namespace

int CallCommonSvcVCLIInit(void) {
    CCallVideoCLIInfo* p = Instance();
    if (p == NULL) {
        return 0;
    }
    p->Init();
    return 1;
}

int CallCommonSvcVCLISetPath(char* szFilePath) {
    CCallVideoCLIInfo* p = Instance();
    return p != NULL ? p->SetPath(szFilePath) : 0;
}

int CallCommonSvcVCLIIsPlayAvail(void) {
    CCallVideoCLIInfo* p = Instance();
    return p != NULL ? p->IsPlayAvail() : 0;
}

int CallCommonSvcVCLIIsPlayerValid(void) {
    CCallVideoCLIInfo* p = Instance();
    return p != NULL ? p->IsPlayerValid() : 0;
}

tagWMBITMAP* CallCommonSvcVCLIGetFirstFrame(int width, int height) {
    CCallVideoCLIInfo* p = Instance();
    return p != NULL ? p->GetFirstFrame(width, height) : NULL;
}

tagWMBITMAP* CallCommonSvcVCLIGetLastFrame(int width, int height) {
    CCallVideoCLIInfo* p = Instance();
    return p != NULL ? p->GetLastFrame(width, height) : NULL;
}

int CallCommonSvcVCLIIsPlayerStopPossible(void) {
    CCallVideoCLIInfo* p = Instance();
    return p != NULL ? p->IsPlayerStopPossible() : 0;
}

int CallCommonSvcVCLIIsPlayerResuming(void) {
    CCallVideoCLIInfo* p = Instance();
    return p != NULL ? p->IsPlayerResuming() : 0;
}

int CallCommonSvcVCLISetGc(int hWnd) {
    CCallVideoCLIInfo* p = Instance();
    return p != NULL ? p->SetGC(hWnd) : 0;
}

int CallCommonSvcVCLIGetGC(void) {
    CCallVideoCLIInfo* p = Instance();
    return p != NULL ? p->GetGC() : INVALID_HOBJ;
}

int CallCommonSvcVCLISetVibAlertInfo(char* szVibInfo) {
    CCallVideoCLIInfo* p = Instance();
    return p != NULL ? p->SetVibAlertInfo(szVibInfo) : 0;
}

int CallCommonSvcVCLIGetPlayer(void) {
    CCallVideoCLIInfo* p = Instance();
    return p != NULL ? p->GetPlayer() : INVALID_HOBJ;
}

int CallCommonSvcVCLICreate(int owner) {
    CCallVideoCLIInfo* p = Instance();
    return p != NULL ? p->Create(owner) : 0;
}

int CallCommonSvcVCLIStart(tagWMRECT* pRect, int n) {
    CCallVideoCLIInfo* p = Instance();
    return p != NULL ? p->Start(pRect, n) : 0;
}

int CallCommonSvcVCLIStop(void) {
    CCallVideoCLIInfo* p = Instance();
    return p != NULL ? p->Stop() : 0;
}

int CallCommonSvcVCLIDestroy(void) {
    CCallVideoCLIInfo* p = Instance();
    return p != NULL ? p->Destroy() : 0;
}

int CallCommonSvcVCLISetPlaying(int bPlay) {
    CCallVideoCLIInfo* p = Instance();
    return p != NULL ? p->SetPlaying(bPlay) : 0;
}

int CallCommonSvcVCLIIsPlaying(void) {
    CCallVideoCLIInfo* p = Instance();
    return p != NULL ? p->IsPlaying() : 0;
}

int CallCommonSvcVCLISetAvmsState(CallVCLIAvmsState state) {
    CCallVideoCLIInfo* p = Instance();
    return p != NULL ? p->SetAvmsState(state) : 0;
}

CallVCLIAvmsState CallCommonSvcVCLIGetAvmsState(void) {
    CCallVideoCLIInfo* p = Instance();
    return p != NULL ? p->GetAvmsState() : CALL_VCLI_AVMS_STATE_INVALID;
}

int CallCommonSvcVCLISetIncomState(CallVCLIIncomState state) {
    CCallVideoCLIInfo* p = Instance();
    return p != NULL ? p->SetIncomState(state) : 0;
}

CallVCLIIncomState CallCommonSvcVCLIGetIncomState(void) {
    CCallVideoCLIInfo* p = Instance();
    return p != NULL ? p->GetIncomState() : 0;
}

int CallCommonSvcVCLIDestroyVolumeTimer(void) {
    CCallVideoCLIInfo* p = Instance();
    return p != NULL ? p->DestroyVolumeTimer() : 0;
}

int CallCommonSvcVCLIDestroyVibThenMelodyTimer(void) {
    CCallVideoCLIInfo* p = Instance();
    return p != NULL ? p->DestroyVibThenMelodyTimer() : 0;
}

int CallCommonSvcVCLIMuteVolume(void) {
    CCallVideoCLIInfo* p = Instance();
    return p != NULL ? p->MuteVolume() : 0;
}

int CallCommonSvcVCLIIsMuteVolume(void) {
    CCallVideoCLIInfo* p = Instance();
    return p != NULL ? p->IsMuteVolume() : 0;
}
