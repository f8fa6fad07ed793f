#include "CallQueuingDtmf.h"

namespace {
const char kSourcePath[] = "CallCommonSvc\\VoiceVideoCommonSvc\\Mgr\\CallQueuingDtmf";
}

CCallQueuingDtmf::CCallQueuingDtmf()
    : m_state(DTMF_BUF_IDLE), m_bLongDtmfMode(0), m_bBurstMode(0), m_nHead(0), m_nTail(0) {
    AcMemsetEx(m_szQueue, sizeof(m_szQueue), 0, sizeof(m_szQueue), kSourcePath, __LINE__);
}

CCallQueuingDtmf::~CCallQueuingDtmf() {}

void CCallQueuingDtmf::Reset() {
    m_nHead = 0;
    m_nTail = 0;
    m_state = DTMF_BUF_IDLE;
    SetLongDtmfMode(0);
}

int CCallQueuingDtmf::Push(const char* pszDigits) {
    if (!CALL_REQUIRE(pszDigits != NULL)) {
        return 0;
    }
    SysDebugPrintf(TMX_DBG_CALL,
                   "CCallQueuingDtmf::Push: Before PUSH pszDigits = %s, Head=%d, Tail=%d\n",
                   pszDigits, m_nHead, m_nTail);
    int hCall = GetActiveCallHandle();
    if (hCall == TAPI_INVALID_CALLHANDLE) {
        SysDebugPrintf(TMX_DBG_CALL, "CCallQueuingDtmf::Push: No Active Call Handle..\n");
        Reset();
        return 0;
    }
    int n = AcStrlen(pszDigits);
    if (n > CALL_DTMF_QUEUE_MAX - GetCount()) {
        SysDebugPrintf(TMX_DBG_CALL, "CCallQueuingDtmf::Push: Queue Full!!!!\n");
        return 0;
    }
    bool bWasEmpty = m_nHead == m_nTail;
    int nFirst = CALL_DTMF_RING_SIZE - m_nTail;
    if (n > nFirst) {
        int nWrapped = n - nFirst;
        SysDebugPrintf(TMX_DBG_CALL, "CCallQueuingDtmf::Push: strlen=%d, partlen=%d\n", n,
                       nWrapped);
        AcMemcpyEx(&m_szQueue[m_nTail], static_cast<unsigned>(nFirst), pszDigits,
                   static_cast<unsigned>(nFirst), kSourcePath, __LINE__);
        AcMemcpyEx(m_szQueue, static_cast<unsigned>(m_nHead), pszDigits + nFirst,
                   static_cast<unsigned>(nWrapped), kSourcePath, __LINE__);
    } else if (n > 0) {
        AcMemcpyEx(&m_szQueue[m_nTail], static_cast<unsigned>(nFirst), pszDigits,
                   static_cast<unsigned>(n), kSourcePath, __LINE__);
    }

    Result result = DTMF_RESULT_SUCCESS;
    if (bWasEmpty && n > 0) {
        SysDebugPrintf(TMX_DBG_CALL, "CCallQueuingDtmf::Push: activeCall = %d\n", hCall);
        if (!Start(hCall, m_szQueue[m_nHead])) {
            result = DTMF_RESULT_FAIL;
        }
        m_state = DTMF_BUF_SENT_START_REQ;
    }
    m_nTail = (m_nTail + n) % CALL_DTMF_RING_SIZE;
    OnPostPush(result);
    SysDebugPrintf(TMX_DBG_CALL, "CCallQueuingDtmf::Push: After PUSH Head=%d, Tail=%d\n", m_nHead,
                   m_nTail);
    return 1;
}

int CCallQueuingDtmf::StartDtmfAck(int hCall) {
    if (!CALL_REQUIRE(hCall != TAPI_INVALID_CALLHANDLE)) {
        return 0;
    }
    if (!CALL_REQUIRE(m_state != DTMF_BUF_RECEIVED_START_ACK)) {
        return 0;
    }
    SysDebugPrintf(TMX_DBG_CALL, "CCallQueuingDtmf::StartDtmfAck:DTMF state=%d\n",
                   static_cast<int>(m_state.Get()));
    m_state = DTMF_BUF_RECEIVED_START_ACK;

    int nCount = GetCount();
    if (IsBurstMode()) {
        StopDtmfReq(hCall);
    } else if (nCount > 1) {
        SysDebugPrintf(TMX_DBG_CALL, "CCallQueuingDtmf::StartDtmfAck:DTMF Queue count > 1\n");
        StopDtmfReq(hCall);
    } else if (nCount == 1) {
        if (!IsLongDtmfMode()) {
            SysDebugPrintf(TMX_DBG_CALL, "CCallQueuingDtmf::StartDtmfAck:DTMF Key released\n");
            StopDtmfReq(hCall);
        } else {
            SysDebugPrintf(TMX_DBG_CALL,
                           "CCallQueuingDtmf::StartDtmfAck:DTMF Key still pressed!\n");
        }
    } else {
        SysDebugPrintf(TMX_DBG_CALL, "CCallQueuingDtmf::StartDtmfAck:Sending DTMF Aborted!\n");
        StopDtmfReq(hCall);
        Clear();
    }
    return 1;
}

int CCallQueuingDtmf::StopDtmfReq(int hCall) {
    if (!CALL_REQUIRE(hCall != TAPI_INVALID_CALLHANDLE)) {
        return 0;
    }
    Result result = DTMF_RESULT_SUCCESS;
    if (m_state() == DTMF_BUF_RECEIVED_START_ACK) {
        m_state = DTMF_BUF_SENT_STOP_REQ;
        if (!Stop(hCall)) {
            SysDebugPrintf(TMX_DBG_FAIL,
                           "CCallQueuingDtmf::StopDtmfReq:TapiStopDTMF return FAIL!\n");
            Clear();
            result = DTMF_RESULT_FAIL;
        }
    } else if (m_state() == DTMF_BUF_SENT_START_REQ) {
        // Released before the start was confirmed: the coming acknowledgement stops the tone.
        SetLongDtmfMode(0);
        return 0;
    }
    OnPostStopDtmfReq(result);
    return 1;
}

int CCallQueuingDtmf::Pop() {
    int hCall = GetActiveCallHandle();
    if (hCall == TAPI_INVALID_CALLHANDLE) {
        SysDebugPrintf(TMX_DBG_CALL, "CCallQueuingDtmf::Pop: No Active Call Handle..\n");
        Reset();
        return 0;
    }
    if (m_nHead == m_nTail) {
        SysDebugPrintf(TMX_DBG_CALL, "CCallQueuingDtmf::Pop: Aborted of Send\n");
        return 0;
    }
    m_nHead = (m_nHead + 1) % CALL_DTMF_RING_SIZE;
    SysDebugPrintf(TMX_DBG_CALL, "CCallQueuingDtmf::Pop: POP Head=%d, Tail=%d\n", m_nHead, m_nTail);

    Result result = DTMF_RESULT_SUCCESS;
    if (m_nHead == m_nTail) {
        SysDebugPrintf(TMX_DBG_CALL, "CCallQueuingDtmf::Pop: End of Send\n");
        m_state = DTMF_BUF_IDLE;
        result = DTMF_RESULT_END_OF_SEND;
    } else {
        SysDebugPrintf(TMX_DBG_CALL, "CCallQueuingDtmf::Pop: activeCall = %d\n", hCall);
        if (!Start(hCall, m_szQueue[m_nHead])) {
            result = DTMF_RESULT_FAIL;
        }
        m_state = DTMF_BUF_SENT_START_REQ;
    }
    OnPostPop(result);
    return 1;
}

int CCallQueuingDtmf::Clear() {
    m_nHead = 0;
    m_nTail = 0;
    m_state = DTMF_BUF_IDLE;
    SetLongDtmfMode(0);
    SysDebugPrintf(TMX_DBG_CALL, "CCallQueuingDtmf::Clear: Queue CLEAR \n");
    return 1;
}

int CCallQueuingDtmf::GetCount() {
    return m_nTail >= m_nHead ? m_nTail - m_nHead : m_nTail + CALL_DTMF_RING_SIZE - m_nHead;
}

void CCallQueuingDtmf::SetLongDtmfMode(int bMode) {
    m_bLongDtmfMode = bMode;
}
int CCallQueuingDtmf::IsLongDtmfMode() {
    return m_bLongDtmfMode;
}
void CCallQueuingDtmf::SetBurstMode(int bMode) {
    m_bBurstMode = bMode;
}
int CCallQueuingDtmf::IsBurstMode() {
    return m_bBurstMode;
}

int CCallQueuingDtmf::OnPostStopDtmfReq(Result) {
    return 1;
}
int CCallQueuingDtmf::OnPostPush(Result) {
    return 1;
}
int CCallQueuingDtmf::OnPostPop(Result) {
    return 1;
}
