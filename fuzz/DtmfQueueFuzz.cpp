// Drives the DTMF queue with random sequences of pushes, acknowledgements, key releases,
// clears and mode switches, checking the ring's invariants after every step.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "CallCommonSvc/VoiceVideoCommonSvc/Mgr/CallQueuingDtmf.h"
#include "TmxHost.h"

namespace {

class ProbedDtmf : public CCallQueuingDtmf {
public:
    int GetActiveCallHandle() override { return m_hCall; }

    void CheckInvariants() {
        int count = GetCount();
        if (count < 0 || count > CALL_DTMF_QUEUE_MAX || m_nHead < 0 ||
            m_nHead >= CALL_DTMF_RING_SIZE || m_nTail < 0 || m_nTail >= CALL_DTMF_RING_SIZE ||
            m_szQueue[CALL_DTMF_QUEUE_SIZE - 1] != 0) {
            std::abort();
        }
    }

    int m_hCall = 1;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A fresh platform now and then keeps its records from growing over millions of runs.
    static unsigned runs = 0;
    if (runs++ % 10000 == 0) {
        tmxhost::Reset();
        tmxhost::IncomingCall("+441632960958");
        TapiAnswerCall(1);
    }
    {
        ProbedDtmf dtmf;
        size_t i = 0;
        auto next = [&]() -> uint8_t { return i < size ? data[i++] : 0; };
        while (i < size) {
            uint8_t op = next();
            int hCall = (op & 0x80) != 0 ? TAPI_INVALID_CALLHANDLE : dtmf.m_hCall;
            switch (op % 8) {
                case 0: {
                    size_t length = next() % 90;
                    std::string digits;
                    for (size_t k = 0; k < length && i < size; ++k) {
                        char c = static_cast<char>(next());
                        digits += c != '\0' ? c : '0';
                    }
                    dtmf.Push((op & 0x40) != 0 ? nullptr : digits.c_str());
                    break;
                }
                case 1:
                    dtmf.StartDtmfAck(hCall);
                    break;
                case 2:
                    dtmf.StopDtmfReq(hCall);
                    break;
                case 3:
                    dtmf.Pop();
                    break;
                case 4:
                    dtmf.Clear();
                    break;
                case 5:
                    dtmf.SetLongDtmfMode(next() & 1);
                    break;
                case 6:
                    dtmf.SetBurstMode(next() & 1);
                    break;
                case 7:
                    dtmf.m_hCall = dtmf.m_hCall == 1 ? TAPI_INVALID_CALLHANDLE : 1;
                    break;
            }
            dtmf.CheckInvariants();
        }
    }
    // Deliver the pending acknowledgements (nobody listens) and drop the records.
    tmxhost::Advance(1000);
    tmxhost::ClearCalls();
    tmxhost::TakeTraces();
    tmxhost::TakeReports();
    return 0;
}
