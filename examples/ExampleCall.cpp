// A call through the example application on the host's virtual clock: dial, the remote party
// answers, DTMF "12#" goes out tone by tone, release. Prints each telephony request and exits
// with 0 when every step did what it should.
#include <cstdio>
#include <string>

#include "CallCommonSvc/H/CallCommonSvc.h"
#include "ExampleCallApp.h"
#include "TmxHost.h"

namespace {

// Prints the telephony requests made since the last call.
void PrintRequests(std::size_t& printed) {
    const std::vector<tmxhost::Call>& calls = tmxhost::Calls();
    for (; printed < calls.size(); ++printed) {
        if (calls[printed].name.rfind("Tapi", 0) == 0) {
            std::printf("%6lld ms  %s\n", calls[printed].time, calls[printed].Text().c_str());
        }
    }
}

bool RunCall() {
    example::CallControl control;
    example::DtmfSender dtmf;
    std::size_t printed = 0;
    bool ok = true;

    control.SetNumber("+441632960958");
    tmxhost::SetAnswerDelay(500);
    ok = ok && control.Setup() != TAPI_INVALID_CALLHANDLE;
    tmxhost::Advance(600);
    ok = ok && example::FindCall("active") != TAPI_INVALID_CALLHANDLE;

    ok = ok && dtmf.Push("12#") == 1;
    tmxhost::Advance(2000);
    ok = ok && tmxhost::DtmfSent() == "12#";

    ok = ok && control.Release() == 1;
    tmxhost::Advance(100);
    ok = ok && control.Destroy() == 1 && tmxhost::CallsInProgress().empty();
    PrintRequests(printed);
    return ok;
}

}  // namespace

int main() {
    tmxhost::Reset();
    std::printf("call common service %s\n", CALLCOMMONSVC_VERSION_STRING);
    if (CallCommonSvcDispatch(0) != 1) {
        std::fprintf(stderr, "example_call: the library did not load\n");
        return 1;
    }
    bool ok = RunCall();
    CallCommonSvcDispatch(1);
    std::printf("%s\n", ok ? "call done" : "call FAILED");
    return ok ? 0 : 1;
}
