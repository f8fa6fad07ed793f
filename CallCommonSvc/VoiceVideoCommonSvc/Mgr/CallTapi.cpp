#include "CallTapi.h"

namespace {

const char kSourcePath[] = "CallCommonSvc\\VoiceVideoCommonSvc\\Mgr\\CallTapi";

// Handles are tested in argument order; the first invalid one is reported.
bool CallValid(int hCall) {
    return CALL_REQUIRE(hCall != TAPI_INVALID_CALLHANDLE);
}

bool CallsValid(int hActiveCall, int hHoldCall) {
    return CALL_REQUIRE(hActiveCall != TAPI_INVALID_CALLHANDLE) &&
           CALL_REQUIRE(hHoldCall != TAPI_INVALID_CALLHANDLE);
}

int Refuse(const char* line, int failure = 0) {
    SysDebugPrintf(TMX_DBG_FAIL, "%s", line);
    return failure;
}

// The explicit form of a request: valid handles, the platform call, then the post-hook, which
// may turn the platform's result into a failure (the platform has acted all the same).
template <class Platform, class PostHook>
int Request(bool bHandlesValid, Platform platform, PostHook postHook, const char* postFailure) {
    if (!bHandlesValid) {
        return 0;
    }
    int result = platform();
    if (!postHook(result)) {
        return Refuse(postFailure);
    }
    return result;
}

}  // namespace

CCallTapi::CCallTapi() {}

CCallTapi::~CCallTapi() {}

int CCallTapi::Setup(const TapiSetupCallInfo& info) {
    int hCall = TapiSetupCall(&info);
    if (!OnPostSetup(hCall != TAPI_INVALID_CALLHANDLE ? 1 : 0, hCall)) {
        return Refuse("CCallTapi::Setup: OnPostSetup failed\n", TAPI_INVALID_CALLHANDLE);
    }
    return hCall;
}

int CCallTapi::Setup() {
    TapiSetupCallInfo info;
    AcMemsetEx(&info, sizeof(info), 0, sizeof(info), kSourcePath, __LINE__);
    if (!OnPreSetup(info)) {
        return Refuse("CCallTapi::Setup: OnPreSetup failed\n", TAPI_INVALID_CALLHANDLE);
    }
    return Setup(info);
}

int CCallTapi::SetupFakeCall() {
    return TapiSetupFakeCall(0);
}

int CCallTapi::Answer(int hCall) {
    return Request(
        CallValid(hCall), [&] { return TapiAnswerCall(hCall); },
        [&](int result) { return OnPostAnswer(result, hCall); },
        "CCallTapi::Answer: OnPostAnswer failed\n");
}

int CCallTapi::Answer() {
    int hCall = TAPI_INVALID_CALLHANDLE;
    return OnPreAnswer(hCall) ? Answer(hCall) : Refuse("CCallTapi::Answer: OnPreAnswer failed\n");
}

int CCallTapi::Hold(int hCall) {
    return Request(
        CallValid(hCall), [&] { return TapiHoldCall(hCall); },
        [&](int result) { return OnPostHold(result, hCall); },
        "CCallTapi::Hold: OnPostHold failed\n");
}

int CCallTapi::Hold() {
    int hCall = TAPI_INVALID_CALLHANDLE;
    return OnPreHold(hCall) ? Hold(hCall) : Refuse("CCallTapi::Hold: OnPreHold failed\n");
}

int CCallTapi::Activate(int hCall) {
    return Request(
        CallValid(hCall), [&] { return TapiActivateCall(hCall); },
        [&](int result) { return OnPostActivate(result, hCall); },
        "CCallTapi::Activate: OnPostActivate failed\n");
}

int CCallTapi::Activate() {
    int hCall = TAPI_INVALID_CALLHANDLE;
    return OnPreActivate(hCall) ? Activate(hCall)
                                : Refuse("CCallTapi::Activate: OnPreActivate failed\n");
}

int CCallTapi::Swap(int hActiveCall, int hHoldCall) {
    return Request(
        CallsValid(hActiveCall, hHoldCall), [&] { return TapiSwapCall(hActiveCall, hHoldCall); },
        [&](int result) { return OnPostSwap(result, hActiveCall, hHoldCall); },
        "CCallTapi::Swap: OnPostSwap failed\n");
}

int CCallTapi::Swap() {
    int hActiveCall = TAPI_INVALID_CALLHANDLE;
    int hHoldCall = TAPI_INVALID_CALLHANDLE;
    return OnPreSwap(hActiveCall, hHoldCall) ? Swap(hActiveCall, hHoldCall)
                                             : Refuse("CCallTapi::Swap: OnPreSwap failed\n");
}

int CCallTapi::SetupConference(int hActiveCall, int hHoldCall) {
    return Request(
        CallsValid(hActiveCall, hHoldCall),
        [&] { return TapiSetupConferenceCall(hActiveCall, hHoldCall); },
        [&](int result) { return OnPostSetupConference(result, hActiveCall, hHoldCall); },
        "CCallTapi::SetupConference: OnPostSetupConference failed\n");
}

int CCallTapi::SetupConference() {
    int hActiveCall = TAPI_INVALID_CALLHANDLE;
    int hHoldCall = TAPI_INVALID_CALLHANDLE;
    return OnPreSetupConference(hActiveCall, hHoldCall)
               ? SetupConference(hActiveCall, hHoldCall)
               : Refuse("CCallTapi::SetupConference: OnPreSetupConference failed\n");
}

int CCallTapi::Transfer(int hActiveCall, int hHoldCall) {
    return Request(
        CallsValid(hActiveCall, hHoldCall),
        [&] { return TapiTransferCall(hActiveCall, hHoldCall); },
        [&](int result) { return OnPostTransfer(result, hActiveCall, hHoldCall); },
        "CCallTapi::Transfer: OnPostTransfer failed\n");
}

int CCallTapi::Transfer() {
    int hActiveCall = TAPI_INVALID_CALLHANDLE;
    int hHoldCall = TAPI_INVALID_CALLHANDLE;
    return OnPreTransfer(hActiveCall, hHoldCall)
               ? Transfer(hActiveCall, hHoldCall)
               : Refuse("CCallTapi::Transfer: OnPreTransfer failed\n");
}

int CCallTapi::SplitConference(int hCall) {
    return Request(
        CallValid(hCall), [&] { return TapiSplitConferenceCall(hCall); },
        [&](int result) { return OnPostSplitConference(result, hCall); },
        "CCallTapi::SplitConference: OnPostSplitConference failed\n");
}

int CCallTapi::SplitConference() {
    int hCall = TAPI_INVALID_CALLHANDLE;
    return OnPreSplitConference(hCall)
               ? SplitConference(hCall)
               : Refuse("CCallTapi::SplitConference: OnPreSplitConferencefailed\n");
}

int CCallTapi::RespondRecall(int hCall, int response) {
    return Request(
        CallValid(hCall), [&] { return TapiRespondRecall(hCall, response); },
        [&](int result) { return OnPostRespondRecall(result, hCall); },
        "CCallTapi::RespondRecall: OnPostRespondRecall failed\n");
}

int CCallTapi::RespondRecall(int response) {
    int hCall = TAPI_INVALID_CALLHANDLE;
    return OnPreRespondRecall(hCall, response)
               ? RespondRecall(hCall, response)
               : Refuse("CCallTapi::RespondRecall: OnPreRespondRecall failed\n");
}

int CCallTapi::Release(int hCall, TapiReleaseCause cause) {
    return Request(
        CallValid(hCall), [&] { return TapiReleaseCall(hCall, cause); },
        [&](int result) { return OnPostRelease(result, hCall); },
        "CCallTapi::Release: OnPostRelease failed\n");
}

int CCallTapi::Release() {
    int hCall = TAPI_INVALID_CALLHANDLE;
    TapiReleaseCause cause = static_cast<TapiReleaseCause>(0);
    return OnPreRelease(hCall, cause) ? Release(hCall, cause)
                                      : Refuse("CCallTapi::Release: OnPreRelease failed\n");
}

int CCallTapi::Destroy(int hCall) {
    return Request(
        CallValid(hCall), [&] { return TapiDestroyCall(hCall); },
        [&](int result) { return OnPostDestroy(result, hCall); },
        "CCallTapi::Destroy: OnPostDestroy failed\n");
}

int CCallTapi::Destroy() {
    int hCall = TAPI_INVALID_CALLHANDLE;
    return OnPreDestroy(hCall) ? Destroy(hCall)
                               : Refuse("CCallTapi::Destroy: OnPreDestroy failed\n");
}

int CCallTapi::OnPreSetup(TapiSetupCallInfo&) {
    return 1;
}
int CCallTapi::OnPreAnswer(int&) {
    return 1;
}
int CCallTapi::OnPreHold(int&) {
    return 1;
}
int CCallTapi::OnPreActivate(int&) {
    return 1;
}
int CCallTapi::OnPreSwap(int&, int&) {
    return 1;
}
int CCallTapi::OnPreSetupConference(int&, int&) {
    return 1;
}
int CCallTapi::OnPreSplitConference(int&) {
    return 1;
}
int CCallTapi::OnPreTransfer(int&, int&) {
    return 1;
}
int CCallTapi::OnPreRespondRecall(int&, int) {
    return 1;
}
int CCallTapi::OnPreRelease(int&, TapiReleaseCause&) {
    return 1;
}
int CCallTapi::OnPreDestroy(int&) {
    return 1;
}

int CCallTapi::OnPostSetup(int, int) {
    return 1;
}
int CCallTapi::OnPostAnswer(int, int) {
    return 1;
}
int CCallTapi::OnPostHold(int, int) {
    return 1;
}
int CCallTapi::OnPostActivate(int, int) {
    return 1;
}
int CCallTapi::OnPostSwap(int, int, int) {
    return 1;
}
int CCallTapi::OnPostSetupConference(int, int, int) {
    return 1;
}
int CCallTapi::OnPostSplitConference(int, int) {
    return 1;
}
int CCallTapi::OnPostTransfer(int, int, int) {
    return 1;
}
int CCallTapi::OnPostRespondRecall(int, int) {
    return 1;
}
int CCallTapi::OnPostRelease(int, int) {
    return 1;
}
int CCallTapi::OnPostDestroy(int, int) {
    return 1;
}
