#include "CallSound.h"

namespace {
const char kSourcePath[] = "CallCommonSvc\\VoiceVideoCommonSvc\\Mgr\\CallSound";
}

CCallSound::CCallSound() : m_pPlayObj(NULL) {
    AppSndQueryInterface(APPSND_IID_EFFECT_PLAYER, reinterpret_cast<void**>(&m_pPlayObj));
    CALL_REQUIRE(m_pPlayObj != NULL);
}

CCallSound::~CCallSound() {
    if (HasPlayer()) {
        m_pPlayObj->pOps->Release(m_pPlayObj);
    }
}

bool CCallSound::HasPlayer() const {
    return CALL_REQUIRE(m_pPlayObj != NULL);
}

// A type whose entry cannot be stored is still played; Stop() then cannot reach it.
void CCallSound::RememberStarted(int iEffectType) {
    try {
        m_EffectTypes.insert(iEffectType);
    } catch (const std::bad_alloc&) {
        SysDebugPrintf(TMX_DBG_FAIL, "CCallSound::Play: iEffectType (%d) not remembered\n",
                       iEffectType);
    }
}

int CCallSound::Play(int iEffectType, int bRepeat, int bVib, int (*pfnCallback)(void*)) {
    if (!HasPlayer()) {
        return 0;
    }
    SysDebugPrintf(TMX_DBG_CALL, "CCallSound::Play: iEffectType (%d) bRepeat (%d) bVib (%d)\n",
                   iEffectType, bRepeat, bVib);
    RememberStarted(iEffectType);
    Repeat(iEffectType, bRepeat);
    return m_pPlayObj->pOps->Play(m_pPlayObj, iEffectType, pfnCallback, 0, bVib);
}

int CCallSound::Play(int iEffectType, int iSndType, int bRepeat, int bVib,
                     int (*pfnCallback)(void*)) {
    if (!HasPlayer()) {
        return 0;
    }
    SysDebugPrintf(TMX_DBG_CALL,
                   "CCallSound::Play: iEffectType (%d) iSndype (%d) bRepeat (%d) bVib (%d)\n",
                   iEffectType, iSndType, bRepeat, bVib);
    RememberStarted(iEffectType);
    Repeat(iEffectType, bRepeat);
    return m_pPlayObj->pOps->PlayWithType(m_pPlayObj, iEffectType, iSndType, pfnCallback, 0, bVib);
}

// The platform is asked even for a type this object did not start.
int CCallSound::Stop(int iEffectType) {
    if (!HasPlayer()) {
        return 0;
    }
    m_EffectTypes.erase(iEffectType);
    return m_pPlayObj->pOps->Stop(m_pPlayObj, iEffectType);
}

int CCallSound::Stop() {
    while (!m_EffectTypes.empty()) {
        int iEffectType = *m_EffectTypes.begin();
        Stop(iEffectType);
        // Each type once, even if an override of Stop(int) kept it.
        m_EffectTypes.erase(iEffectType);
    }
    return 1;
}

int CCallSound::SetPath(int iEffectType, SndOutDevPath path) {
    if (!HasPlayer()) {
        return 0;
    }
    return m_pPlayObj->pOps->SetPath(m_pPlayObj, iEffectType, path);
}

int CCallSound::SetVolume(int iEffectType, int volume) {
    if (!HasPlayer()) {
        return 0;
    }
    AvVolume effectVolume;
    AcMemsetEx(&effectVolume, sizeof(effectVolume), 0, sizeof(effectVolume), kSourcePath, __LINE__);
    effectVolume.leftVolume = volume;
    return m_pPlayObj->pOps->SetVolume(m_pPlayObj, iEffectType, &effectVolume);
}

int CCallSound::Repeat(int iEffectType, int bRepeat) {
    if (!HasPlayer()) {
        return 0;
    }
    return m_pPlayObj->pOps->SetRepeat(m_pPlayObj, iEffectType,
                                       bRepeat ? APPSND_REPEAT_ON : APPSND_REPEAT_ONCE);
}
