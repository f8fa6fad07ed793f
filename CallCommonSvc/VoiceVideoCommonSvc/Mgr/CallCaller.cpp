#include "CallCaller.h"

#include "../../Platform/MemStub.h"

namespace {

const char kSourcePath[] = "CallCommonSvc\\VoiceVideoCommonSvc\\Mgr\\CallCaller";

// The sound-state manager keeps one callback per priority and calls it with the registering
// caller as user data. The library remembers, per priority, which live caller registered it
// last; a callback whose user data is not that caller (one destroyed since, or a stale
// address) is dropped, so the manager never reaches a destroyed object and a destroyed caller
// needs to unregister nothing. A plain list on the allocation routing: no static constructor,
// no limit.
struct SoundRegistration {
    SsmSoundPriority_T priority;
    const CCallCaller* pOwner;
    SoundRegistration* pNext;
};

SoundRegistration* g_pRegistrations = NULL;

// False when the registration cannot be remembered (no memory).
bool RememberRegistration(SsmSoundPriority_T priority, const CCallCaller* pOwner) {
    for (SoundRegistration* p = g_pRegistrations; p != NULL; p = p->pNext) {
        if (p->priority == priority) {
            p->pOwner = pOwner;
            return true;
        }
    }
    SoundRegistration* pRegistration =
        static_cast<SoundRegistration*>(MemStubMalloc(sizeof(SoundRegistration)));
    if (!CALL_REQUIRE(pRegistration != NULL)) {
        return false;
    }
    pRegistration->priority = priority;
    pRegistration->pOwner = pOwner;
    pRegistration->pNext = g_pRegistrations;
    g_pRegistrations = pRegistration;
    return true;
}

// Unlinks and frees the entry *pp points to.
void Unlink(SoundRegistration** pp) {
    SoundRegistration* pGone = *pp;
    *pp = pGone->pNext;
    MemStubFree(pGone);
}

void ForgetPriority(SsmSoundPriority_T priority) {
    for (SoundRegistration** pp = &g_pRegistrations; *pp != NULL; pp = &(*pp)->pNext) {
        if ((*pp)->priority == priority) {
            Unlink(pp);
            return;
        }
    }
}

void ForgetOwner(const CCallCaller* pOwner) {
    for (SoundRegistration** pp = &g_pRegistrations; *pp != NULL;) {
        if ((*pp)->pOwner == pOwner) {
            Unlink(pp);
        } else {
            pp = &(*pp)->pNext;
        }
    }
}

bool IsRegisteredBy(SsmSoundPriority_T priority, const void* pOwner) {
    for (SoundRegistration* p = g_pRegistrations; p != NULL; p = p->pNext) {
        if (p->priority == priority) {
            return p->pOwner == pOwner;
        }
    }
    return false;
}

int SoundState(SsmSoundPriority_T priority) {
    SsmSoundType_T type = 0;
    int state = AM_SNDSTATE_NONE;
    SsmGetSoundState(priority, &type, &state);
    return state;
}

// Operations that act on the audio caller refuse the invalid and the fake handle.
bool RefuseCaller(int hAvCaller, const char* pszOperation) {
    if (hAvCaller == INVALID_HOBJ) {
        SysDebugPrintf(TMX_DBG_FAIL, "%s: m_hAvCaller is invalid_hObj\n", pszOperation);
        return true;
    }
    if (hAvCaller == CALL_FAKE_CALL_CALLER_HANDLE) {
        SysDebugPrintf(TMX_DBG_FAIL, "%s: CALL_FAKE_CALL_CALLER_HANDLE\n", pszOperation);
        return true;
    }
    return false;
}

void MuteCaller(int hAvCaller, int bMute, int bRxMute) {
    AvMuteInfo muteInfo;
    AcMemsetEx(&muteInfo, sizeof(muteInfo), 0, sizeof(muteInfo), kSourcePath, __LINE__);
    muteInfo.bMute = bMute;
    muteInfo.bRxMute = bRxMute;
    AvMuteCaller(hAvCaller, muteInfo);
}

}  // namespace

CCallCaller::CCallCaller()
    : m_hAvCaller(INVALID_HOBJ),
      m_iSoundPath(0),
      m_bMuteMode(0),
      m_bRxMuteMode(0),
      m_bWhisperMode(0) {}

// Closes nothing: a registration left with the manager stays, and its callbacks are dropped.
CCallCaller::~CCallCaller() {
    ForgetOwner(this);
}

// Remembered first: a grant during the registration may already close the path again. A
// registration that cannot be remembered is not made.
void CCallCaller::Register(SsmSoundPriority_T priority) {
    if (RememberRegistration(priority, this)) {
        SsmRegisterSoundCallback(priority, 0, SsmSoundCallback, this, kSourcePath, __LINE__);
    }
}

void CCallCaller::Unregister(SsmSoundPriority_T priority) {
    ForgetPriority(priority);
    SsmUnregisterSoundCallback(priority, kSourcePath, __LINE__);
}

int CCallCaller::OpenVirtualPath() {
    if (SoundState(AM_SNDPRIO_CALL) != AM_SNDSTATE_NONE) {
        SysDebugPrintf(TMX_DBG_FAIL, "CCallCaller::OpenVirtualPath: state != AM_SNDSTATE_NONE\n");
        return 0;
    }
    Register(AM_SNDPRIO_CALL);
    SysDebugPrintf(TMX_DBG_CALL, "CCallCaller::OpenVirtualPath: AM_SNDPRIO_CALL\n");
    return 1;
}

int CCallCaller::CloseVirtualPath() {
    if (SoundState(AM_SNDPRIO_CALL) == AM_SNDSTATE_NONE) {
        SysDebugPrintf(TMX_DBG_FAIL, "CCallCaller::CloseVirtualPath: state == AM_SNDSTATE_NONE\n");
        return 0;
    }
    Unregister(AM_SNDPRIO_CALL);
    SysDebugPrintf(TMX_DBG_CALL, "CCallCaller::CloseVirtualPath:AM_SNDPRIO_CALL \n");
    return 1;
}

// A fake call registers even when the priority is in use. The result is the handle held after
// the registration: the manager may already have granted the sound through the callback.
int CCallCaller::OpenPath(SsmSoundPriority_T priority) {
    if (SoundState(priority) != AM_SNDSTATE_NONE) {
        // Only a refusal when the call has a real audio caller.
        bool bFake = m_hAvCaller == CALL_FAKE_CALL_CALLER_HANDLE;
        SysDebugPrintf(bFake ? TMX_DBG_CALL : TMX_DBG_FAIL,
                       "CCallCaller::OpenPath: state != AM_SNDSTATE_NONE\n");
        if (!bFake) {
            return 0;
        }
    }
    Register(priority);
    SysDebugPrintf(TMX_DBG_CALL, "CCallCaller::OpenPath: Ok - hAvCaller=%d\n", m_hAvCaller);
    return m_hAvCaller;
}

int CCallCaller::ClosePath(SsmSoundPriority_T priority) {
    SysDebugPrintf(TMX_DBG_CALL, "CCallCaller::ClosePath: entered.\n");
    if (m_hAvCaller != INVALID_HOBJ) {
        SysDebugPrintf(TMX_DBG_CALL, "CCallCaller::ClosePath: delete AvCaller(%d)\n", m_hAvCaller);
        if (m_hAvCaller != CALL_FAKE_CALL_CALLER_HANDLE) {
            AvDeleteCaller(m_hAvCaller);
        }
        m_hAvCaller = INVALID_HOBJ;
    }
    if (SoundState(priority) != AM_SNDSTATE_NONE) {
        SysDebugPrintf(TMX_DBG_CALL, "CCallCaller::ClosePath: Unregister\n");
        Unregister(priority);
    }
    return 1;
}

int CCallCaller::SetPath(SndOutDevPath path, int bApply) {
    SysDebugPrintf(TMX_DBG_CALL, "CCallCaller::SetPath: iPath (0x%x) bApply (%d)\n", path, bApply);
    m_iSoundPath = path;
    if (bApply) {
        ApplyPath();
    }
    return 1;
}

int CCallCaller::SetMuteMode(int bMode, int bApply) {
    SysDebugPrintf(TMX_DBG_CALL, "CCallCaller::SetMuteMode: bMode (0x%x) bApply (%d)\n", bMode,
                   bApply);
    m_bMuteMode = bMode;
    if (!bApply) {
        return 1;
    }
    if (RefuseCaller(m_hAvCaller, "CCallCaller::SetMuteMode")) {
        return 0;
    }
    MuteCaller(m_hAvCaller, bMode, 0);
    return 1;
}

int CCallCaller::SetRxMuteMode(int mode, int bApply) {
    SysDebugPrintf(TMX_DBG_CALL, "CCallCaller::SetRxMuteMode: RXMode (0x%x) bApply (%d)\n", mode,
                   bApply);
    m_bRxMuteMode = mode;
    if (!bApply) {
        return 1;
    }
    if (RefuseCaller(m_hAvCaller, "CCallCaller::SetRxMuteMode")) {
        return 0;
    }
    MuteCaller(m_hAvCaller, 0, mode);
    return 1;
}

int CCallCaller::SetWhisperMode(int bMode, int bApply) {
    SysDebugPrintf(TMX_DBG_CALL, "CCallCaller::SetWhisperMode: bMode (0x%x) bApply (%d)\n", bMode,
                   bApply);
    m_bWhisperMode = bMode;
    if (!bApply) {
        return 1;
    }
    if (RefuseCaller(m_hAvCaller, "CCallCaller::SetWhisperMode")) {
        return 0;
    }
    AvSetWhisperMode(m_hAvCaller, m_bWhisperMode);
    return 1;
}

// The volume is sent, not stored.
int CCallCaller::SetVolume(int volume) {
    if (RefuseCaller(m_hAvCaller, "CCallCaller::SetVolume")) {
        return 0;
    }
    AvVolume callVolume;
    AcMemsetEx(&callVolume, sizeof(callVolume), 0, sizeof(callVolume), kSourcePath, __LINE__);
    callVolume.leftVolume = volume;
    AvSetCallVolume(m_hAvCaller, callVolume);
    SysDebugPrintf(TMX_DBG_CALL, "CCallCaller::SetVolume: volume.leftVolume = %d \n",
                   callVolume.leftVolume);
    return 1;
}

int CCallCaller::GetCaller() {
    SysDebugPrintf(TMX_DBG_CALL, "CCallCaller::GetCaller: m_hAvCaller (%d)\n", m_hAvCaller);
    return m_hAvCaller;
}

int CCallCaller::SetCaller(int hAvCaller) {
    m_hAvCaller = hAvCaller;
    SysDebugPrintf(TMX_DBG_CALL, "CCallCaller::SetCaller: m_hAvCaller (%d)\n", m_hAvCaller);
    return 1;
}

int CCallCaller::GetPath() {
    SysDebugPrintf(TMX_DBG_CALL, "CCallCaller::GetPath: m_iSoundPath (0x%x)\n", m_iSoundPath);
    return m_iSoundPath;
}

int CCallCaller::ApplyPath() {
    SysDebugPrintf(TMX_DBG_CALL, "CCallCaller::ApplyPath: m_iSoundPath (0x%x)\n", m_iSoundPath);
    if (RefuseCaller(m_hAvCaller, "CCallCaller::ApplyPath")) {
        return 0;
    }
    return AvSetSoundPath(m_hAvCaller, m_iSoundPath);
}

int CCallCaller::GetMuteMode() {
    SysDebugPrintf(TMX_DBG_CALL, "CCallCaller::GetMuteMode: m_bMuteMode (0x%x)\n", m_bMuteMode);
    return m_bMuteMode;
}

int CCallCaller::GetRxMuteMode() {
    SysDebugPrintf(TMX_DBG_CALL, "CCallCaller::GetRxMuteMode: m_bRxMuteMode (0x%x)\n",
                   m_bRxMuteMode);
    return m_bRxMuteMode;
}

int CCallCaller::GetWhisperMode() {
    SysDebugPrintf(TMX_DBG_CALL, "CCallCaller::GetWhisperMode: m_bWhisperMode (0x%x)\n",
                   m_bWhisperMode);
    return m_bWhisperMode;
}

int CCallCaller::SsmSoundCallback(SsmSoundPriority_T priority, SsmSoundType_T type,
                                  SsmSoundCommand_T cmd, void* userData) {
    SysDebugPrintf(TMX_DBG_CALL, "CCallCaller::AmSoundCallback: priority (%d) cmd (%d) type (%d)\n",
                   priority, cmd, type);
    CCallCaller* pCaller = static_cast<CCallCaller*>(userData);
    if (!CALL_REQUIRE(pCaller != NULL)) {
        return 0;
    }
    if (!IsRegisteredBy(priority, pCaller)) {
        SysDebugPrintf(TMX_DBG_FAIL,
                       "CCallCaller::AmSoundCallback: no live caller registered priority (%d)\n",
                       priority);
        return 0;
    }
    pCaller->m_hAvCaller = pCaller->AmSoundHandler(priority, type, cmd);
    SysDebugPrintf(TMX_DBG_CALL, "CCallCaller::AmSoundHandler: m_hAvCaller (%d)\n",
                   pCaller->m_hAvCaller);
    return 1;
}
