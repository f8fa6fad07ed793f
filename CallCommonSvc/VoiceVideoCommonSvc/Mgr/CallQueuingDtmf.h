// DTMF sending through a digit queue, one tone at a time, driven by the platform's
// acknowledgements.
#pragma once

#include "../H/CallState.h"
#include "CallDtmf.h"

// Ring of 81 positions in an 82-byte buffer whose last byte stays 0; one position stays free,
// so the queue holds at most 80 digits.
#define CALL_DTMF_QUEUE_SIZE 82
#define CALL_DTMF_RING_SIZE 81
#define CALL_DTMF_QUEUE_MAX 80

class CALLCOMMONSVC_API ICallQueuingDtmf : public CCallDtmf {
public:
    virtual int Push(const char* pszDigits) = 0;
    virtual int Pop() = 0;
    virtual int Clear() = 0;
    virtual int StartDtmfAck(int hCall) = 0;
    virtual int StopDtmfReq(int hCall) = 0;
    virtual int GetCount() = 0;
    virtual void SetLongDtmfMode(int bMode) = 0;
    virtual int IsLongDtmfMode() = 0;
    virtual void SetBurstMode(int bMode) = 0;
    virtual int IsBurstMode() = 0;
};

// The application pushes digits, reports the start acknowledgement with StartDtmfAck, the stop
// acknowledgement with Pop and a long key's release with StopDtmfReq, and names the call to
// send on by implementing GetActiveCallHandle.
class CALLCOMMONSVC_API CCallQueuingDtmf : public ICallQueuingDtmf {
public:
    enum DtmfState {
        DTMF_BUF_IDLE = 0,
        DTMF_BUF_SENT_START_REQ = 1,
        DTMF_BUF_RECEIVED_START_ACK = 2,
        DTMF_BUF_SENT_STOP_REQ = 3
    };

    enum Result { DTMF_RESULT_SUCCESS = 0, DTMF_RESULT_END_OF_SEND = 1, DTMF_RESULT_FAIL = 3 };

    CCallQueuingDtmf();
    virtual ~CCallQueuingDtmf();

    virtual int Push(const char* pszDigits);
    virtual int Pop();
    virtual int Clear();
    virtual int StartDtmfAck(int hCall);
    virtual int StopDtmfReq(int hCall);
    virtual int GetCount();
    virtual void SetLongDtmfMode(int bMode);
    virtual int IsLongDtmfMode();
    virtual void SetBurstMode(int bMode);
    virtual int IsBurstMode();
    virtual int OnPostStopDtmfReq(Result result);
    virtual int OnPostPush(Result result);
    virtual int OnPostPop(Result result);
    // The call on which to send, or TAPI_INVALID_CALLHANDLE when there is none.
    virtual int GetActiveCallHandle() = 0;

protected:
    // Empties the queue after the active call has gone.
    void Reset();

    CCallState<DtmfState, 0, 3> m_state;
    int m_bLongDtmfMode;
    int m_bBurstMode;
    char m_szQueue[CALL_DTMF_QUEUE_SIZE];
    int m_nHead;
    int m_nTail;
};
