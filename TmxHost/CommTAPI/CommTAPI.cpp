// Telephony and SIM: a small call model with handles and states, and DTMF tones acknowledged
// later on the clock. Every call is logged and can be faulted.
#include <cstring>
#include <map>

#include "../Control/HostInternal.h"
#include "../Control/TmxHost.h"
#include "CallCommonSvc/Platform/TmxCommTAPI.h"

namespace tmxhost {
namespace {

constexpr char kDtmfDigits[] = "0123456789*#ABCD";
constexpr int kGsmEccFields = 5;
constexpr int kGsmEccFieldSize = 7;
constexpr int kUsimEccRecords = 255;
constexpr int kUsimEccRecordSize = 64;
constexpr int kUsimEccNumberOffset = 4;

struct CallEntry {
    std::string number;
    std::string state;
    bool incoming = false;
    bool multiparty = false;
    bool tone = false;  // a DTMF tone was started and not yet stopped
};

struct TapiState {
    std::map<std::string, int, std::less<>> results;
    std::map<int, CallEntry> calls;
    int nextCall = 1;
    long long answerDelay = 1000;
    long long dtmfAckDelay = 100;
    std::function<void(const CallView&)> callListener;
    DtmfListener dtmfListener;
    std::string dtmfSent;
    int mcc = 0;
    int mnc = 0;
    int simCardType = SIM_CARD_TYPE_GSM;
    int eccCount = 0;
    unsigned char gsmEcc[kGsmEccFields * kGsmEccFieldSize] = {};
    unsigned char usimEcc[kUsimEccRecords * kUsimEccRecordSize] = {};
    SimSstInfo sst = {};
    SimUstInfo ust = {};
    std::map<int, int> callControlCapability;
    std::string forwardedTo;  // "" when calls are not forwarded
    std::function<void(const ForwardingAnswer&)> forwardingListener;
};

TapiState& State() {
    static TapiState state;
    return state;
}

int Result(std::string_view function, int fallback = 1) {
    if (State().results.empty()) {
        return fallback;
    }
    auto it = State().results.find(function);
    return it != State().results.end() ? it->second : fallback;
}

// Logs a call whose result is configured (or faulted).
template <class... Args>
int Answer(const char* function, int fallback, const Args&... args) {
    if (auto fault = detail::Enter(function, args...)) {
        return static_cast<int>(*fault);
    }
    return Result(function, fallback);
}

CallEntry* Find(int hCall) {
    auto it = State().calls.find(hCall);
    return it != State().calls.end() ? &it->second : nullptr;
}

bool InState(int hCall, std::string_view state) {
    CallEntry* call = Find(hCall);
    return call != nullptr && call->state == state;
}

CallView View(int handle, const CallEntry& call) {
    return CallView{handle, call.number, call.state, call.incoming, call.multiparty};
}

void Notify(int hCall) {
    CallEntry* call = Find(hCall);
    if (call != nullptr && State().callListener) {
        State().callListener(View(hCall, *call));
    }
}

int NewCall(std::string number, std::string state, bool incoming) {
    int handle = State().nextCall++;
    State().calls[handle] = CallEntry{std::move(number), std::move(state), incoming};
    return handle;
}

}  // namespace

namespace detail {
void ResetTapi() {
    State() = TapiState{};
}
}  // namespace detail

std::vector<CallView> CallsInProgress() {
    std::vector<CallView> views;
    for (const auto& [handle, call] : State().calls) {
        views.push_back(View(handle, call));
    }
    return views;
}

int IncomingCall(const std::string& number) {
    int handle = NewCall(number, "incoming", true);
    Notify(handle);
    return handle;
}

void SetAnswerDelay(long long ms) {
    State().answerDelay = ms;
}
void SetCallListener(std::function<void(const CallView&)> listener) {
    State().callListener = std::move(listener);
}
void SetDtmfListener(DtmfListener listener) {
    State().dtmfListener = std::move(listener);
}
void SetDtmfAckDelay(long long ms) {
    State().dtmfAckDelay = ms;
}
std::string DtmfSent() {
    return State().dtmfSent;
}
void SetTapiResult(const std::string& function, int result) {
    State().results[function] = result;
}

void SetCallForwarding(const std::string& number) {
    State().forwardedTo = number;
}

void SetForwardingListener(std::function<void(const ForwardingAnswer&)> listener) {
    State().forwardingListener = std::move(listener);
}

void SetNetwork(int mcc, int mnc) {
    State().mcc = mcc;
    State().mnc = mnc;
}

void SetSimCardType(int cardType) {
    State().simCardType = cardType;
}

void SetSimEccNumbers(const std::vector<std::string>& numbers, int reportedCount) {
    TapiState& state = State();
    std::memset(state.gsmEcc, 0, sizeof(state.gsmEcc));
    std::memset(state.usimEcc, 0, sizeof(state.usimEcc));
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        char* usim =
            reinterpret_cast<char*>(state.usimEcc + i * kUsimEccRecordSize + kUsimEccNumberOffset);
        if (i < kGsmEccFields) {
            // A GSM field holds up to seven bytes, terminated only when shorter.
            std::memcpy(state.gsmEcc + i * kGsmEccFieldSize, numbers[i].c_str(),
                        std::min<std::size_t>(numbers[i].size(), kGsmEccFieldSize));
        }
        if (i < kUsimEccRecords) {
            std::strncpy(usim, numbers[i].c_str(), kUsimEccRecordSize - kUsimEccNumberOffset - 1);
        }
    }
    state.eccCount = reportedCount >= 0 ? reportedCount : static_cast<int>(numbers.size());
}

namespace {
void SetServiceWord(void* table, std::size_t size, int byteOffset, uint32_t value) {
    if (byteOffset >= 0 && byteOffset % 4 == 0 &&
        static_cast<std::size_t>(byteOffset) + 4 <= size) {
        std::memcpy(static_cast<unsigned char*>(table) + byteOffset, &value, sizeof(value));
    }
}
}  // namespace

void SetSstWord(int byteOffset, uint32_t value) {
    SetServiceWord(&State().sst, sizeof(SimSstInfo), byteOffset, value);
}

void SetUstWord(int byteOffset, uint32_t value) {
    SetServiceWord(&State().ust, sizeof(SimUstInfo), byteOffset, value);
}

void SetSimCallControlCapability(int kind, int result) {
    State().callControlCapability[kind] = result;
}

}  // namespace tmxhost

using namespace tmxhost;
using detail::Arg;

extern "C" int TapiSetupCall(const TapiSetupCallInfo* setupInfo) {
    std::string number;
    if (setupInfo != nullptr) {
        number.assign(setupInfo->szNumber,
                      strnlen(setupInfo->szNumber, sizeof(setupInfo->szNumber)));
    }
    if (auto fault =
            detail::Enter("TapiSetupCall", setupInfo != nullptr ? number.c_str() : nullptr)) {
        return static_cast<int>(*fault);
    }
    if (setupInfo == nullptr || number.empty()) {
        return TAPI_INVALID_CALLHANDLE;
    }
    int handle = NewCall(number, "dialing", false);
    if (State().answerDelay >= 0) {
        detail::Schedule(State().answerDelay, [handle] {
            if (InState(handle, "dialing")) {
                Find(handle)->state = "active";
                Notify(handle);
            }
        });
    }
    return handle;
}

extern "C" int TapiSetupFakeCall(int reserved) {
    if (auto fault = detail::Enter("TapiSetupFakeCall", reserved)) {
        return static_cast<int>(*fault);
    }
    return NewCall("", "incoming", true);
}

extern "C" int TapiAnswerCall(int hCall) {
    if (auto fault = detail::Enter("TapiAnswerCall", hCall)) {
        return static_cast<int>(*fault);
    }
    if (!InState(hCall, "incoming")) {
        return 0;
    }
    Find(hCall)->state = "active";
    return 1;
}

extern "C" int TapiHoldCall(int hCall) {
    if (auto fault = detail::Enter("TapiHoldCall", hCall)) {
        return static_cast<int>(*fault);
    }
    if (!InState(hCall, "active")) {
        return 0;
    }
    Find(hCall)->state = "held";
    return 1;
}

extern "C" int TapiActivateCall(int hCall) {
    if (auto fault = detail::Enter("TapiActivateCall", hCall)) {
        return static_cast<int>(*fault);
    }
    if (!InState(hCall, "held")) {
        return 0;
    }
    Find(hCall)->state = "active";
    return 1;
}

extern "C" int TapiSwapCall(int hActiveCall, int hHeldCall) {
    if (auto fault = detail::Enter("TapiSwapCall", hActiveCall, hHeldCall)) {
        return static_cast<int>(*fault);
    }
    if (!InState(hActiveCall, "active") || !InState(hHeldCall, "held")) {
        return 0;
    }
    Find(hActiveCall)->state = "held";
    Find(hHeldCall)->state = "active";
    return 1;
}

extern "C" int TapiSetupConferenceCall(int hActiveCall, int hHeldCall) {
    if (auto fault = detail::Enter("TapiSetupConferenceCall", hActiveCall, hHeldCall)) {
        return static_cast<int>(*fault);
    }
    if (!InState(hActiveCall, "active") || !InState(hHeldCall, "held")) {
        return 0;
    }
    for (int h : {hActiveCall, hHeldCall}) {
        Find(h)->state = "active";
        Find(h)->multiparty = true;
    }
    return 1;
}

extern "C" int TapiSplitConferenceCall(int hCall) {
    if (auto fault = detail::Enter("TapiSplitConferenceCall", hCall)) {
        return static_cast<int>(*fault);
    }
    CallEntry* split = Find(hCall);
    if (split == nullptr || !split->multiparty || split->state != "active") {
        return 0;
    }
    // The split-off call stays active; the rest of the conference goes on hold.
    for (auto& [handle, call] : State().calls) {
        if (handle != hCall && call.multiparty && call.state == "active") {
            call.state = "held";
        }
    }
    split->multiparty = false;
    return 1;
}

extern "C" int TapiTransferCall(int hActiveCall, int hHeldCall) {
    if (auto fault = detail::Enter("TapiTransferCall", hActiveCall, hHeldCall)) {
        return static_cast<int>(*fault);
    }
    if (!InState(hActiveCall, "active") || !InState(hHeldCall, "held")) {
        return 0;
    }
    Find(hActiveCall)->state = "released";
    Find(hHeldCall)->state = "released";
    return 1;
}

extern "C" int TapiRespondRecall(int hCall, int response) {
    if (auto fault = detail::Enter("TapiRespondRecall", hCall, response)) {
        return static_cast<int>(*fault);
    }
    return Find(hCall) != nullptr ? 1 : 0;
}

extern "C" int TapiReleaseCall(int hCall, TapiReleaseCause cause) {
    if (auto fault = detail::Enter("TapiReleaseCall", hCall, static_cast<int>(cause))) {
        return static_cast<int>(*fault);
    }
    CallEntry* call = Find(hCall);
    if (call == nullptr || call->state == "released") {
        return 0;
    }
    call->state = "released";
    call->tone = false;
    return 1;
}

extern "C" int TapiDestroyCall(int hCall) {
    if (auto fault = detail::Enter("TapiDestroyCall", hCall)) {
        return static_cast<int>(*fault);
    }
    return State().calls.erase(hCall) != 0 ? 1 : 0;
}

extern "C" int TapiStartDTMF(int hCall, const TapiDtmfRequest* request) {
    std::string digits;
    if (request != nullptr) {
        digits.assign(request->szDigits, strnlen(request->szDigits, sizeof(request->szDigits)));
    }
    if (auto fault =
            detail::Enter("TapiStartDTMF", hCall, request != nullptr ? digits.c_str() : nullptr,
                          request != nullptr ? request->nDuration : 0u)) {
        return static_cast<int>(*fault);
    }
    CallEntry* call = Find(hCall);
    // One tone at a time, on an active call, for one DTMF character (3GPP TS 23.014).
    if (call == nullptr || call->state != "active" || call->tone || digits.size() != 1 ||
        std::strchr(kDtmfDigits, digits[0]) == nullptr) {
        return 0;
    }
    call->tone = true;
    char digit = digits[0];
    State().dtmfSent += digit;
    detail::Schedule(State().dtmfAckDelay, [hCall, digit] {
        if (State().dtmfListener.started) {
            State().dtmfListener.started(hCall, digit);
        }
    });
    return 1;
}

extern "C" int TapiStopDTMF(int hCall, const TapiDtmfRequest*) {
    if (auto fault = detail::Enter("TapiStopDTMF", hCall)) {
        return static_cast<int>(*fault);
    }
    CallEntry* call = Find(hCall);
    if (call == nullptr || !call->tone) {
        return 0;
    }
    call->tone = false;
    detail::Schedule(State().dtmfAckDelay, [hCall] {
        if (State().dtmfListener.stopped) {
            State().dtmfListener.stopped(hCall);
        }
    });
    return 1;
}

extern "C" int TapiGetNetworkInfo(TapiNetworkInfo* info) {
    if (auto fault = detail::Enter("TapiGetNetworkInfo")) {
        return static_cast<int>(*fault);
    }
    if (info == nullptr) {
        return 0;
    }
    std::memset(info, 0, sizeof(*info));
    info->nMccMnc = (static_cast<uint32_t>(State().mcc) << 16) | (State().mnc & 0xFFFF);
    return 1;
}

// An accepted interrogation is answered by the network a little later, as the others are.
extern "C" int TapiCallForwardQueryStatusReq(int reason, int serviceClass, int reserved) {
    int result = Answer("TapiCallForwardQueryStatusReq", 1, reason, serviceClass, reserved);
    if (result != 0) {
        ForwardingAnswer answer{reason, serviceClass, !State().forwardedTo.empty(),
                                State().forwardedTo};
        detail::Schedule(State().dtmfAckDelay, [answer] {
            if (State().forwardingListener) {
                State().forwardingListener(answer);
            }
        });
    }
    return result;
}

extern "C" int SimGetCardType(void) {
    return Answer("SimGetCardType", State().simCardType);
}

extern "C" int SimGetEccRecordCountInfo(void) {
    return Answer("SimGetEccRecordCountInfo", State().eccCount);
}

extern "C" const unsigned char* SimGetEccInfo(void) {
    detail::Enter("SimGetEccInfo");
    return State().gsmEcc;
}

extern "C" int SimGetUEccRecordCountInfo(void) {
    return Answer("SimGetUEccRecordCountInfo", State().eccCount);
}

extern "C" const unsigned char* SimGetUEccInfo(void) {
    detail::Enter("SimGetUEccInfo");
    return State().usimEcc;
}

extern "C" int SimGetFdnEnable(void) {
    return Answer("SimGetFdnEnable", 0);
}
// A faulted call gives no table.
extern "C" const SimSstInfo* SimGetSstInfo(void) {
    if (detail::Enter("SimGetSstInfo")) {
        return nullptr;
    }
    return &State().sst;
}
extern "C" const SimUstInfo* SimGetUstInfo(void) {
    if (detail::Enter("SimGetUstInfo")) {
        return nullptr;
    }
    return &State().ust;
}
extern "C" int SimAtkCheckCallControlCapability(int kind) {
    if (auto fault = detail::Enter("SimAtkCheckCallControlCapability", kind)) {
        return static_cast<int>(*fault);
    }
    auto it = State().callControlCapability.find(kind);
    return it != State().callControlCapability.end() ? it->second : 0;
}
