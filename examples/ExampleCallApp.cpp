#include "ExampleCallApp.h"

#include <cstring>

#include "TmxHost.h"

namespace example {

int FindCall(const std::string& state, bool multipartyOnly) {
    for (const tmxhost::CallView& call : tmxhost::CallsInProgress()) {
        if (call.state == state && (!multipartyOnly || call.multiparty)) {
            return call.handle;
        }
    }
    return TAPI_INVALID_CALLHANDLE;
}

namespace {
int Found(int& hCall, const std::string& state, bool multipartyOnly = false) {
    hCall = FindCall(state, multipartyOnly);
    return hCall != TAPI_INVALID_CALLHANDLE;
}
}  // namespace

int CallControl::OnPreSetup(TapiSetupCallInfo& info) {
    if (m_number.empty() || m_number.size() >= sizeof(info.szNumber)) {
        return 0;
    }
    std::memcpy(info.szNumber, m_number.c_str(), m_number.size() + 1);
    return 1;
}

int CallControl::OnPreAnswer(int& hCall) {
    return Found(hCall, "incoming");
}
int CallControl::OnPreHold(int& hCall) {
    return Found(hCall, "active");
}
int CallControl::OnPreActivate(int& hCall) {
    return Found(hCall, "held");
}

int CallControl::OnPreSwap(int& hActiveCall, int& hHoldCall) {
    return Found(hActiveCall, "active") && Found(hHoldCall, "held");
}

int CallControl::OnPreSetupConference(int& hActiveCall, int& hHoldCall) {
    return Found(hActiveCall, "active") && Found(hHoldCall, "held");
}

int CallControl::OnPreSplitConference(int& hCall) {
    return Found(hCall, "active", true);
}

int CallControl::OnPreTransfer(int& hActiveCall, int& hHoldCall) {
    return Found(hActiveCall, "active") && Found(hHoldCall, "held");
}

int CallControl::OnPreRelease(int& hCall, TapiReleaseCause&) {
    return Found(hCall, "active") || Found(hCall, "held") || Found(hCall, "dialing");
}

int CallControl::OnPreDestroy(int& hCall) {
    return Found(hCall, "released");
}

DtmfSender::DtmfSender() {
    tmxhost::SetDtmfListener(tmxhost::DtmfListener{[this](int hCall, char) { StartDtmfAck(hCall); },
                                                   [this](int) { Pop(); }});
}

DtmfSender::~DtmfSender() {
    tmxhost::SetDtmfListener({});
}

int DtmfSender::GetActiveCallHandle() {
    return FindCall("active");
}

// A grant creates the caller when the call has none (a fake call keeps its fake handle); any
// other command leaves the handle as it is.
int AudioCall::AmSoundHandler(SsmSoundPriority_T priority, SsmSoundType_T, SsmSoundCommand_T cmd) {
    if (cmd != tmxhost::kSoundCommandStart || m_hAvCaller != INVALID_HOBJ) {
        return m_hAvCaller;
    }
    return AvCreateCaller(priority, m_iSoundPath);
}

}  // namespace example
