// DTMF sending: the digit queue driven by the host's start and stop acknowledgements.
#include <string>
#include <vector>

#include "CallCommonSvc/VoiceVideoCommonSvc/Mgr/CallQueuingDtmf.h"
#include "support/HostTest.h"

using ::testing::Contains;
using ::testing::Not;

namespace {

using Q = CCallQueuingDtmf;
constexpr int kSuccess = Q::DTMF_RESULT_SUCCESS;
constexpr int kEnd = Q::DTMF_RESULT_END_OF_SEND;
constexpr int kFail = Q::DTMF_RESULT_FAIL;
using Results = std::vector<int>;
using Texts = std::vector<std::string>;
constexpr int kCall = 1;  // the answered call

// Sends on the call `hActive` and keeps the results handed to each post-hook.
class TestSender : public CCallQueuingDtmf {
    static int Note(Results& results, Result r) {
        results.push_back(r);
        return 1;
    }

public:
    int hActive = TAPI_INVALID_CALLHANDLE;
    Results pushed, popped, stopped;

    ~TestSender() override { tmxhost::SetDtmfListener({}); }
    int GetActiveCallHandle() override { return hActive; }
    int OnPostPush(Result r) override { return Note(pushed, r); }
    int OnPostPop(Result r) override { return Note(popped, r); }
    int OnPostStopDtmfReq(Result r) override { return Note(stopped, r); }
    DtmfState State() const { return m_state.Get(); }
    int Head() const { return m_nHead; }
    int Tail() const { return m_nTail; }
    std::string Ring(int from, int n) const { return std::string(m_szQueue + from, n); }
};

// An answered call whose acknowledgements reach the sender.
class DtmfTest : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        ASSERT_EQ(tmxhost::IncomingCall("0301234"), kCall);
        ASSERT_EQ(TapiAnswerCall(kCall), 1);
        sender.hActive = kCall;
        tmxhost::SetDtmfListener(
            {[this](int h, char) { sender.StartDtmfAck(h); }, [this](int) { sender.Pop(); }});
    }

    static Texts Tones() { return tmxhost::CallTexts({"TapiStartDTMF", "TapiStopDTMF"}); }
    // The lines traced on `channel` since the last call.
    static Texts Traced(unsigned channel = 0x200E6) {
        Texts texts;
        for (const tmxhost::Trace& trace : tmxhost::TakeTraces()) {
            if (trace.channel == channel) {
                texts.push_back(trace.text);
            }
        }
        return texts;
    }
    static std::string Start(char d) { return std::string("TapiStartDTMF(1, \"") + d + "\", 300)"; }

    const std::string kStop = "TapiStopDTMF(1)";
    TestSender sender;
};

}  // namespace

TEST_F(DtmfTest, SendsQueuedDigitsOneToneAtATime) {
    EXPECT_EQ(sender.Push(""), 1);
    EXPECT_EQ(sender.Push("123"), 1);
    tmxhost::Advance(100);  // started: more digits wait, so the tone is cut short
    EXPECT_EQ(sender.State(), Q::DTMF_BUF_SENT_STOP_REQ);
    EXPECT_THAT(Traced(), Contains("CCallQueuingDtmf::StartDtmfAck:DTMF Queue count > 1\n"));
    tmxhost::Advance(100);  // stopped: the next digit goes out
    EXPECT_EQ(sender.GetCount(), 2);
    tmxhost::Advance(300);
    EXPECT_THAT(Traced(), Not(Contains("CCallQueuingDtmf::Pop: End of Send\n")));
    tmxhost::Advance(700);
    EXPECT_THAT(Traced(), Contains("CCallQueuingDtmf::Pop: End of Send\n"));
    EXPECT_EQ(Tones(), (Texts{Start('1'), kStop, Start('2'), kStop, Start('3'), kStop}));
    EXPECT_EQ(sender.pushed, Results(2, kSuccess));
    EXPECT_EQ(sender.popped, (Results{kSuccess, kSuccess, kEnd}));
    EXPECT_EQ(sender.stopped, Results(3, kSuccess));
    EXPECT_EQ(sender.State(), Q::DTMF_BUF_IDLE);
}

TEST_F(DtmfTest, LongDtmfHoldsToneUntilKeyReleaseUnlessBurst) {
    sender.SetLongDtmfMode(1);
    sender.Push("5");
    EXPECT_EQ(sender.StopDtmfReq(kCall), 0);  // released before the start ack
    tmxhost::Advance(100);                    // the start ack stops the tone
    EXPECT_EQ(Tones(), (Texts{Start('5'), kStop}));
    EXPECT_THAT(Traced(), Contains("CCallQueuingDtmf::StartDtmfAck:DTMF Key released\n"));

    tmxhost::Advance(100);
    sender.SetLongDtmfMode(1);
    sender.Push("6");
    tmxhost::Advance(5000);
    EXPECT_EQ(sender.State(), Q::DTMF_BUF_RECEIVED_START_ACK);
    Texts held = Traced();
    EXPECT_THAT(held, Contains("CCallQueuingDtmf::StartDtmfAck:DTMF Key still pressed!\n"));
    EXPECT_THAT(held, Not(Contains("CCallQueuingDtmf::StartDtmfAck:DTMF Key released\n")));
    EXPECT_EQ(sender.StartDtmfAck(kCall), 0);
    ExpectReports({"m_state != DTMF_BUF_RECEIVED_START_ACK"});
    EXPECT_EQ(sender.StopDtmfReq(kCall), 1);
    tmxhost::Advance(100);
    EXPECT_EQ(Tones(), (Texts{Start('5'), kStop, Start('6'), kStop}));

    sender.SetBurstMode(1);
    sender.SetLongDtmfMode(1);
    sender.Push("9");
    tmxhost::Advance(100);
    EXPECT_EQ(Tones().back(), kStop);
    sender.Clear();
    EXPECT_EQ(sender.IsBurstMode(), 1);
    EXPECT_EQ(sender.IsLongDtmfMode(), 0);
}

TEST_F(DtmfTest, DigitsWrapAroundTheRingThatHoldsEighty) {
    EXPECT_EQ(sender.Push(std::string(78, '1').c_str()), 1);
    tmxhost::Advance(75 * 200 + 50);  // 75 tones sent, the 76th started
    ASSERT_EQ(sender.Head(), 75);
    ASSERT_EQ(sender.Tail(), 78);
    EXPECT_EQ(sender.Push("*#ABCD"), 1);
    EXPECT_TRUE(tmxhost::HasTrace("CCallQueuingDtmf::Push: strlen=6, partlen=3\n"));
    EXPECT_EQ(sender.Tail(), 3);
    EXPECT_EQ(sender.Ring(78, 4), std::string("*#A\0", 4));  // the byte after the ring stays 0
    EXPECT_EQ(sender.Ring(0, 3), "BCD");
    EXPECT_EQ(sender.GetCount(), 9);

    const std::string kFull = "CCallQueuingDtmf::Push: Queue Full!!!!\n";
    Traced();
    EXPECT_EQ(sender.Push(std::string(72, '2').c_str()), 0);  // refused whole
    EXPECT_THAT(Traced(), Contains(kFull));
    EXPECT_EQ(sender.Push(std::string(71, '2').c_str()), 1);
    EXPECT_THAT(Traced(), Not(Contains(kFull)));
    EXPECT_EQ(sender.Push("3"), 0);
    EXPECT_THAT(Traced(), Contains(kFull));
    EXPECT_EQ(sender.Push(""), 1);
    EXPECT_EQ(sender.GetCount(), 80);
    EXPECT_EQ(sender.pushed, Results(4, kSuccess));
    tmxhost::Advance(20000);
    EXPECT_EQ(tmxhost::DtmfSent(), std::string(78, '1') + "*#ABCD" + std::string(71, '2'));
    EXPECT_EQ(sender.State(), Q::DTMF_BUF_IDLE);
}

TEST_F(DtmfTest, RefusedStartOrStopReachesPostHook) {
    tmxhost::FailCall("TapiStartDTMF", 0);
    EXPECT_EQ(sender.Push("1"), 1);
    EXPECT_EQ(sender.pushed, Results{kFail});
    EXPECT_EQ(sender.State(), Q::DTMF_BUF_SENT_START_REQ);  // waits for an ack
    sender.Clear();

    sender.Push("1x2");  // the platform refuses the non-DTMF character
    tmxhost::Advance(1000);
    EXPECT_EQ(tmxhost::DtmfSent(), "1");
    EXPECT_EQ(sender.popped, Results{kFail});
    EXPECT_EQ(sender.State(), Q::DTMF_BUF_SENT_START_REQ);
    EXPECT_EQ(sender.GetCount(), 2);
    sender.Clear();

    sender.Push("34");
    tmxhost::FailCall("TapiStopDTMF", 0);
    Traced();
    tmxhost::Advance(1000);
    EXPECT_THAT(Traced(0xBA),
                Contains("CCallQueuingDtmf::StopDtmfReq:TapiStopDTMF return FAIL!\n"));
    EXPECT_EQ(sender.stopped, (Results{kSuccess, kFail}));  // and the queue is dropped
    EXPECT_EQ(sender.GetCount(), 0);
    EXPECT_EQ(sender.State(), Q::DTMF_BUF_IDLE);
}

TEST_F(DtmfTest, MisuseOrLostCallAbandonsSending) {
    EXPECT_EQ(sender.Push(nullptr), 0);
    ExpectReports({"pszDigits != NULL"});
    EXPECT_EQ(sender.StartDtmfAck(-1) + sender.StopDtmfReq(-1) + sender.Start(-1, '1'), 0);
    Traced();
    EXPECT_EQ(sender.Stop(-1) + sender.Pop(), 0);
    ExpectReports(Texts(4, "hCall != TAPI_INVALID_CALLHANDLE"));
    EXPECT_THAT(Traced(), Contains("CCallQueuingDtmf::Pop: Aborted of Send\n"));

    sender.Push("12");
    sender.SetLongDtmfMode(1);
    sender.hActive = TAPI_INVALID_CALLHANDLE;
    EXPECT_EQ(sender.Push("3"), 0);
    EXPECT_THAT(Traced(), Contains("CCallQueuingDtmf::Push: No Active Call Handle..\n"));
    EXPECT_EQ(sender.GetCount(), 0);
    EXPECT_EQ(sender.IsLongDtmfMode(), 0);
    EXPECT_EQ(sender.State(), Q::DTMF_BUF_IDLE);

    sender.hActive = kCall;
    tmxhost::Advance(200);  // the ack of '1' finds the queue gone: its tone is stopped
    EXPECT_EQ(sender.State(), Q::DTMF_BUF_IDLE);
    Texts aborted = Traced();
    EXPECT_THAT(aborted, Contains("CCallQueuingDtmf::StartDtmfAck:Sending DTMF Aborted!\n"));
    EXPECT_THAT(aborted, Contains("CCallQueuingDtmf::Pop: Aborted of Send\n"));
    sender.Push("45");
    tmxhost::Advance(200);  // '4' stopped and '5' started
    sender.hActive = TAPI_INVALID_CALLHANDLE;
    Traced();
    tmxhost::Advance(200);
    EXPECT_THAT(Traced(), Contains("CCallQueuingDtmf::Pop: No Active Call Handle..\n"));
    EXPECT_EQ(sender.GetCount(), 0);
    EXPECT_EQ(sender.popped, Results{kSuccess});
    EXPECT_EQ(Tones(), (Texts{Start('1'), kStop, Start('4'), kStop, Start('5'), kStop}));
}
