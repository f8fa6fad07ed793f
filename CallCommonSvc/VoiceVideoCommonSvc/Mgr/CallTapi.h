// Call-control requests, each wrapped in an overridable pre-hook and post-hook.
#pragma once

#include "../../H/CallInterface.h"

// Each request comes in two forms. The explicit form checks its handles, calls the platform and
// lets the post-hook judge the result. The argument-less form asks its pre-hook for the handles
// and then calls the explicit form. Default hooks return 1.
class CALLCOMMONSVC_API CCallTapi : public ICallTapi {
public:
    CCallTapi();
    virtual ~CCallTapi();

    virtual int Setup(const TapiSetupCallInfo& info);
    virtual int Setup();
    virtual int SetupFakeCall();
    virtual int Answer(int hCall);
    virtual int Answer();
    virtual int Hold(int hCall);
    virtual int Hold();
    virtual int Activate(int hCall);
    virtual int Activate();
    virtual int Swap(int hActiveCall, int hHoldCall);
    virtual int Swap();
    virtual int SetupConference(int hActiveCall, int hHoldCall);
    virtual int SetupConference();
    virtual int SplitConference(int hCall);
    virtual int SplitConference();
    virtual int Transfer(int hActiveCall, int hHoldCall);
    virtual int Transfer();
    virtual int RespondRecall(int hCall, int response);
    virtual int RespondRecall(int response);
    virtual int Release(int hCall, TapiReleaseCause cause);
    virtual int Release();
    virtual int Destroy(int hCall);
    virtual int Destroy();

    // Pre-hooks: supply the handles (and the setup record) or veto with 0.
    virtual int OnPreSetup(TapiSetupCallInfo& info);
    virtual int OnPreAnswer(int& hCall);
    virtual int OnPreHold(int& hCall);
    virtual int OnPreActivate(int& hCall);
    virtual int OnPreSwap(int& hActiveCall, int& hHoldCall);
    virtual int OnPreSetupConference(int& hActiveCall, int& hHoldCall);
    virtual int OnPreSplitConference(int& hCall);
    virtual int OnPreTransfer(int& hActiveCall, int& hHoldCall);
    virtual int OnPreRespondRecall(int& hCall, int response);
    virtual int OnPreRelease(int& hCall, TapiReleaseCause& cause);
    virtual int OnPreDestroy(int& hCall);

    // Post-hooks: see the platform's result and may turn the request into a failure with 0.
    virtual int OnPostSetup(int bSuccess, int hCall);
    virtual int OnPostAnswer(int result, int hCall);
    virtual int OnPostHold(int result, int hCall);
    virtual int OnPostActivate(int result, int hCall);
    virtual int OnPostSwap(int result, int hActiveCall, int hHoldCall);
    virtual int OnPostSetupConference(int result, int hActiveCall, int hHoldCall);
    virtual int OnPostSplitConference(int result, int hCall);
    virtual int OnPostTransfer(int result, int hActiveCall, int hHoldCall);
    virtual int OnPostRespondRecall(int result, int hCall);
    virtual int OnPostRelease(int result, int hCall);
    virtual int OnPostDestroy(int result, int hCall);
};
