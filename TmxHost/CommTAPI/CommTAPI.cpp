// Telephony and SIM: every call is logged and answers a configurable result. The call model,
// DTMF acknowledgements and SIM records grow here as the library comes to use them.
#include <cstring>
#include <map>

#include "../Control/HostInternal.h"
#include "../Control/TmxHost.h"
#include "CallCommonSvc/Platform/TmxCommTAPI.h"

namespace tmxhost {
namespace {

struct TapiState {
    std::map<std::string, int, std::less<>> results;
    int nextCall = 1;
};

TapiState& State() {
    static TapiState state;
    return state;
}

int Result(std::string_view function, int fallback = 1) {
    auto it = State().results.find(function);
    return it != State().results.end() ? it->second : fallback;
}

// Logs a call whose result is configured (or faulted).
int Answer(const char* function, std::vector<std::string> args, int fallback = 1) {
    if (auto fault = detail::Enter(function, std::move(args))) {
        return static_cast<int>(*fault);
    }
    return Result(function, fallback);
}

}  // namespace

namespace detail {
void ResetTapi() {
    State() = TapiState{};
}
}  // namespace detail

void SetTapiResult(const std::string& function, int result) {
    State().results[function] = result;
}

}  // namespace tmxhost

using namespace tmxhost;
using detail::Arg;

extern "C" int TapiSetupCall(const TapiSetupCallInfo* setupInfo) {
    if (auto fault = detail::Enter("TapiSetupCall",
                                   {Arg(setupInfo != nullptr ? setupInfo->szNumber : nullptr)})) {
        return static_cast<int>(*fault);
    }
    if (setupInfo == nullptr) {
        return TAPI_INVALID_CALLHANDLE;
    }
    return Result("TapiSetupCall", State().nextCall++);
}

extern "C" int TapiSetupFakeCall(int reserved) {
    return Answer("TapiSetupFakeCall", {Arg(reserved)});
}
extern "C" int TapiAnswerCall(int hCall) {
    return Answer("TapiAnswerCall", {Arg(hCall)});
}
extern "C" int TapiHoldCall(int hCall) {
    return Answer("TapiHoldCall", {Arg(hCall)});
}
extern "C" int TapiActivateCall(int hCall) {
    return Answer("TapiActivateCall", {Arg(hCall)});
}
extern "C" int TapiSwapCall(int hActiveCall, int hHeldCall) {
    return Answer("TapiSwapCall", {Arg(hActiveCall), Arg(hHeldCall)});
}
extern "C" int TapiSetupConferenceCall(int hActiveCall, int hHeldCall) {
    return Answer("TapiSetupConferenceCall", {Arg(hActiveCall), Arg(hHeldCall)});
}
extern "C" int TapiSplitConferenceCall(int hCall) {
    return Answer("TapiSplitConferenceCall", {Arg(hCall)});
}
extern "C" int TapiTransferCall(int hActiveCall, int hHeldCall) {
    return Answer("TapiTransferCall", {Arg(hActiveCall), Arg(hHeldCall)});
}
extern "C" int TapiRespondRecall(int hCall, int response) {
    return Answer("TapiRespondRecall", {Arg(hCall), Arg(response)});
}
extern "C" int TapiReleaseCall(int hCall, TapiReleaseCause cause) {
    return Answer("TapiReleaseCall", {Arg(hCall), Arg(static_cast<int>(cause))});
}
extern "C" int TapiDestroyCall(int hCall) {
    return Answer("TapiDestroyCall", {Arg(hCall)});
}

extern "C" int TapiStartDTMF(int hCall, const TapiDtmfRequest* request) {
    return Answer("TapiStartDTMF",
                  {Arg(hCall), Arg(request != nullptr ? request->szDigits : nullptr),
                   Arg(request != nullptr ? request->nDuration : 0u)});
}
extern "C" int TapiStopDTMF(int hCall, const TapiDtmfRequest*) {
    return Answer("TapiStopDTMF", {Arg(hCall)});
}

extern "C" int TapiGetNetworkInfo(TapiNetworkInfo* info) {
    int result = Answer("TapiGetNetworkInfo", {});
    if (info != nullptr) {
        std::memset(info, 0, sizeof(*info));
    }
    return result;
}
extern "C" int TapiCallForwardQueryStatusReq(int reason, int serviceClass, int reserved) {
    return Answer("TapiCallForwardQueryStatusReq", {Arg(reason), Arg(serviceClass), Arg(reserved)});
}

extern "C" int SimGetCardType(void) {
    return Answer("SimGetCardType", {}, SIM_CARD_TYPE_GSM);
}
extern "C" int SimGetEccRecordCountInfo(void) {
    return Answer("SimGetEccRecordCountInfo", {}, 0);
}
extern "C" const unsigned char* SimGetEccInfo(void) {
    static const unsigned char kNone[35] = {};
    detail::Enter("SimGetEccInfo", {});
    return kNone;
}
extern "C" int SimGetUEccRecordCountInfo(void) {
    return Answer("SimGetUEccRecordCountInfo", {}, 0);
}
extern "C" const unsigned char* SimGetUEccInfo(void) {
    static const unsigned char kNone[64] = {};
    detail::Enter("SimGetUEccInfo", {});
    return kNone;
}
extern "C" int SimGetFdnEnable(void) {
    return Answer("SimGetFdnEnable", {}, 0);
}
extern "C" const uint32_t* SimGetSstInfo(void) {
    static const uint32_t kNone[16] = {};
    detail::Enter("SimGetSstInfo", {});
    return kNone;
}
extern "C" const uint32_t* SimGetUstInfo(void) {
    static const uint32_t kNone[16] = {};
    detail::Enter("SimGetUstInfo", {});
    return kNone;
}
extern "C" int SimAtkCheckCallControlCapability(int kind) {
    return Answer("SimAtkCheckCallControlCapability", {Arg(kind)}, 0);
}
