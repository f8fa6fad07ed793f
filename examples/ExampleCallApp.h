// A minimal call application on the call common service: call control whose argument-less
// requests act on the calls the platform reports, a DTMF sender fed by the platform's
// acknowledgements, and the audio caller of a call. It runs on the host platform, whose call model
// stands in for the application's own call list.
#pragma once

#include <string>

#include "CallCommonSvc/VoiceVideoCommonSvc/Mgr/CallCaller.h"
#include "CallCommonSvc/VoiceVideoCommonSvc/Mgr/CallQueuingDtmf.h"
#include "CallCommonSvc/VoiceVideoCommonSvc/Mgr/CallTapi.h"

namespace example {

// The first call in `state` ("incoming", "active", "held", ...), or TAPI_INVALID_CALLHANDLE.
int FindCall(const std::string& state, bool multipartyOnly = false);

// Pre-hooks pick the calls a phone's keys mean: answer the incoming call, hold the active one,
// release the active (else the held) call, and so on. A hook that finds no call vetoes.
class CallControl : public CCallTapi {
public:
    void SetNumber(const std::string& number) { m_number = number; }

    int OnPreSetup(TapiSetupCallInfo& info) override;
    int OnPreAnswer(int& hCall) override;
    int OnPreHold(int& hCall) override;
    int OnPreActivate(int& hCall) override;
    int OnPreSwap(int& hActiveCall, int& hHoldCall) override;
    int OnPreSetupConference(int& hActiveCall, int& hHoldCall) override;
    int OnPreSplitConference(int& hCall) override;
    int OnPreTransfer(int& hActiveCall, int& hHoldCall) override;
    int OnPreRelease(int& hCall, TapiReleaseCause& cause) override;
    int OnPreDestroy(int& hCall) override;

private:
    std::string m_number;
};

// Sends DTMF on the active call. While it exists it receives the platform's acknowledgements:
// a start acknowledgement goes to StartDtmfAck, a stop acknowledgement to Pop.
class DtmfSender : public CCallQueuingDtmf {
public:
    DtmfSender();
    ~DtmfSender() override;

    int GetActiveCallHandle() override;
};

// The audio side of a call: when the sound-state manager grants the call's priority, the
// platform audio caller is created on the path set last.
class AudioCall : public CCallCaller {
public:
    int AmSoundHandler(SsmSoundPriority_T priority, SsmSoundType_T type,
                       SsmSoundCommand_T cmd) override;
};

}  // namespace example
