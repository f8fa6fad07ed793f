#include "CallTimer.h"

namespace {

const char kSourcePath[] = "CallCommonSvc\\Mgr\\CallTimer";
const unsigned int kTimerNameSize = 128;

// The owner whose OnTick is running. Its destructor clears it, so that an owner destroyed
// inside its own OnTick is not re-armed afterwards.
CCallTimer* g_pTicking = NULL;

}  // namespace

CCallTimer::CCallTimer() {}

CCallTimer::~CCallTimer() {
    if (g_pTicking == this) {
        g_pTicking = NULL;
    }
    ReleaseAll();
}

void CCallTimer::ReleaseAll() {
    while (!m_map.empty()) {
        TimerMap::iterator it = m_map.begin();
        TimerInfo* pInfo = it->second;
        m_map.erase(it);
        if (pInfo != NULL) {
            OnStop(pInfo);
            OnDelete(pInfo);
            MemStubFree(pInfo);
        }
    }
}

int CCallTimer::SetTimer(unsigned long timerID, unsigned long tickFrequency) {
    Create(timerID);
    Start(timerID, tickFrequency);
    return 1;
}

int CCallTimer::KillTimer(unsigned long timerID) {
    Stop(timerID);
    Delete(timerID);
    return 1;
}

void CCallTimer::OnTick(unsigned long) {}

int CCallTimer::OnCreate(char* name) {
    return __WmCreateTimer(name, kSourcePath, __LINE__);
}

int CCallTimer::OnStart(TimerInfo* pInfo) {
    if (!CALL_REQUIRE(pInfo != NULL)) {
        return 0;
    }
    return WmStartTimer(pInfo->hTimer, pInfo->tickFrequency, TimerCallback,
                        reinterpret_cast<unsigned long>(this));
}

int CCallTimer::OnStop(TimerInfo* pInfo) {
    if (!CALL_REQUIRE(pInfo != NULL)) {
        return 0;
    }
    return WmCancelTimer(pInfo->hTimer);
}

int CCallTimer::OnDelete(TimerInfo* pInfo) {
    if (!CALL_REQUIRE(pInfo != NULL)) {
        return 0;
    }
    return __WmDeleteTimer(pInfo->hTimer, kSourcePath, __LINE__);
}

int CCallTimer::Create(unsigned long timerID) {
    char name[kTimerNameSize];
    AcMemsetEx(name, sizeof(name), 0, sizeof(name), kSourcePath, __LINE__);
    AcSprintfSEx(name, sizeof(name), kSourcePath, __LINE__, "CallTimer__%d",
                 static_cast<int>(timerID));

    int hTimer = OnCreate(name);
    if (!CALL_REQUIRE(hTimer != INVALID_HOBJ)) {
        return 0;
    }

    // A number created again gives up its previous platform timer instead of orphaning it.
    TimerMap::iterator old = m_map.find(timerID);
    if (old != m_map.end() && old->second != NULL) {
        OnStop(old->second);
        OnDelete(old->second);
    }

    TimerInfo info;
    info.timerID = static_cast<uint32_t>(timerID);
    info.hTimer = hTimer;
    info.tickFrequency = 0;
    if (!AddElement(timerID, &info)) {
        // Without a record nobody could ever stop or delete this platform timer.
        OnDelete(&info);
        if (old != m_map.end()) {
            DeleteElement(timerID);
        }
        return 0;
    }
    SysDebugPrintf(TMX_DBG_CALL, "CCallTimer::Create: %s created\n", name);
    return 1;
}

int CCallTimer::AddElement(unsigned long timerID, const TimerInfo* pInfo) {
    if (!CALL_REQUIRE(pInfo != NULL)) {
        return 0;
    }
    TimerInfo* pObj = static_cast<TimerInfo*>(MemStubMalloc(sizeof(TimerInfo)));
    if (!CALL_REQUIRE(pObj != NULL)) {
        return 0;
    }
    *pObj = *pInfo;
    if (!CallMapStore(m_map, timerID, pObj)) {
        MemStubFree(pObj);
        pObj = NULL;
        CALL_REQUIRE(pObj != NULL);
        return 0;
    }
    return 1;
}

CCallTimer::TimerInfo* CCallTimer::GetElement(unsigned long timerID) {
    TimerMap::iterator it = m_map.find(timerID);
    if (it == m_map.end()) {
        SysDebugPrintf(TMX_DBG_FAIL, "GetElement: m_map doesn't have an element (%d)\n",
                       static_cast<int>(timerID));
        return NULL;
    }
    return it->second;
}

int CCallTimer::DeleteElement(unsigned long timerID) {
    TimerMap::iterator it = m_map.find(timerID);
    if (it == m_map.end()) {
        SysDebugPrintf(TMX_DBG_FAIL, "DeleteElement: m_map doesn't have an element (%d)\n",
                       static_cast<int>(timerID));
        return 0;
    }
    MemStubFree(it->second);
    m_map.erase(it);
    return 1;
}

int CCallTimer::Start(unsigned long timerID, unsigned long tickFrequency) {
    SysDebugPrintf(TMX_DBG_CALL, "CCallTimer::Start: timerID %d tickFrequency %d\n",
                   static_cast<int>(timerID), static_cast<int>(tickFrequency));
    TimerInfo* pInfo = GetElement(timerID);
    if (!CALL_REQUIRE(pInfo != NULL)) {
        return 0;
    }
    pInfo->tickFrequency = static_cast<uint32_t>(tickFrequency);
    OnStart(pInfo);
    return 1;
}

int CCallTimer::Start(unsigned long timerID) {
    TimerInfo* pInfo = GetElement(timerID);
    if (pInfo == NULL) {
        SysDebugPrintf(TMX_DBG_FAIL, "CCallTimer::Start: pInfo == NULL\n");
        return 0;
    }
    Start(timerID, pInfo->tickFrequency);
    return 1;
}

int CCallTimer::Stop(unsigned long timerID) {
    TimerInfo* pInfo = GetElement(timerID);
    if (pInfo == NULL) {
        SysDebugPrintf(TMX_DBG_FAIL, "CCallTimer::Stop: pInfo == NULL\n");
        return 0;
    }
    if (pInfo->hTimer == INVALID_HOBJ) {
        SysDebugPrintf(TMX_DBG_FAIL, "CCallTimer::Stop: pInfo->hTimer == INVALID_HOBJ\n");
        return 0;
    }
    OnStop(pInfo);
    return 1;
}

int CCallTimer::Delete(unsigned long timerID) {
    TimerInfo* pInfo = GetElement(timerID);
    if (pInfo == NULL) {
        SysDebugPrintf(TMX_DBG_FAIL, "CCallTimer::Delete: pInfo == NULL\n");
        return 0;
    }
    if (pInfo->hTimer == INVALID_HOBJ) {
        SysDebugPrintf(TMX_DBG_FAIL, "CCallTimer::Delete: pInfo->hTimer == INVALID_HOBJ\n");
        return 0;
    }
    OnDelete(pInfo);
    DeleteElement(timerID);
    return 1;
}

unsigned long CCallTimer::GetTimerID(int hTimer) {
    if (!CALL_REQUIRE(hTimer != INVALID_HOBJ)) {
        return 0;
    }
    for (TimerMap::iterator it = m_map.begin(); it != m_map.end(); ++it) {
        TimerInfo* pInfo = it->second;
        if (!CALL_REQUIRE(pInfo != NULL)) {
            return 0;
        }
        if (pInfo->hTimer == hTimer) {
            return pInfo->timerID;
        }
    }
    return 0;
}

void CCallTimer::TimerCallback(int hTimer, unsigned long param) {
    CCallTimer* pTimer = reinterpret_cast<CCallTimer*>(param);
    if (!CALL_REQUIRE(pTimer != NULL)) {
        return;
    }
    CCallTimer* pOuter = g_pTicking;
    g_pTicking = pTimer;
    pTimer->OnTick(pTimer->GetTimerID(hTimer));
    bool bAlive = g_pTicking == pTimer;
    g_pTicking = pOuter;
    if (bAlive) {
        pTimer->Start(pTimer->GetTimerID(hTimer));
    }
}

CCallHardTimer::CCallHardTimer() {}

// The hard-timer hooks must release this object's timers: by the time the base destructor
// runs, the hooks are the window-manager ones again.
CCallHardTimer::~CCallHardTimer() {
    ReleaseAll();
}

int CCallHardTimer::OnCreate(char* name) {
    return WmCreateHardTimer(name);
}

int CCallHardTimer::OnStart(TimerInfo* pInfo) {
    if (!CALL_REQUIRE(pInfo != NULL)) {
        return 0;
    }
    return WmStartHardTimer(pInfo->hTimer, pInfo->tickFrequency, TimerCallback,
                            reinterpret_cast<unsigned long>(static_cast<CCallTimer*>(this)));
}

int CCallHardTimer::OnStop(TimerInfo* pInfo) {
    if (!CALL_REQUIRE(pInfo != NULL)) {
        return 0;
    }
    return WmCancelHardTimer(pInfo->hTimer);
}

int CCallHardTimer::OnDelete(TimerInfo* pInfo) {
    if (!CALL_REQUIRE(pInfo != NULL)) {
        return 0;
    }
    return __WmDeleteHardTimer(pInfo->hTimer, kSourcePath, __LINE__);
}
