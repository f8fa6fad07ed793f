#include "CallDtmf.h"

namespace {
const char kSourcePath[] = "CallCommonSvc\\VoiceVideoCommonSvc\\Mgr\\CallDtmf";
}

CCallDtmf::CCallDtmf() {}

CCallDtmf::~CCallDtmf() {}

int CCallDtmf::Start(int hCall, char digit) {
    if (!CALL_REQUIRE(hCall != TAPI_INVALID_CALLHANDLE)) {
        return 0;
    }
    TapiDtmfRequest request;
    AcMemsetEx(&request, sizeof(request), 0, sizeof(request), kSourcePath, __LINE__);
    request.szDigits[0] = digit;
    request.nDuration = CALL_DTMF_TONE_DURATION;
    SysDebugPrintf(TMX_DBG_CALL, "CCallDtmf::Start: Digit = %s\n", request.szDigits);
    return TapiStartDTMF(hCall, &request);
}

int CCallDtmf::Stop(int hCall) {
    if (!CALL_REQUIRE(hCall != TAPI_INVALID_CALLHANDLE)) {
        return 0;
    }
    TapiDtmfRequest request;
    AcMemsetEx(&request, sizeof(request), 0, sizeof(request), kSourcePath, __LINE__);
    SysDebugPrintf(TMX_DBG_CALL, "CCallDtmf::Stop: Stop DTMF \n");
    return TapiStopDTMF(hCall, &request);
}

int CCallDtmf::IsPossible() {
    return 1;
}
