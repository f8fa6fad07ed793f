// DTMF sending: the digit queue driven by the host's start and stop acknowledgements.
#include <string>
#include <vector>

#include "CallCommonSvc/VoiceVideoCommonSvc/Mgr/CallQueuingDtmf.h"
#include "support/HostTest.h"

namespace {

constexpr int kSuccess = CCallQueuingDtmf::DTMF_RESULT_SUCCESS;
constexpr int kEndOfSend = CCallQueuingDtmf::DTMF_RESULT_END_OF_SEND;
constexpr int kFail = CCallQueuingDtmf::DTMF_RESULT_FAIL;
using Results = std::vector<int>;
using Texts = std::vector<std::string>;

// Sends on a call the test names and keeps the results handed to each post-hook.
class TestSender : public CCallQueuingDtmf {
public:
    int hActive = TAPI_INVALID_CALLHANDLE;
    Results pushed, popped, stopped;

    ~TestSender() override { tmxhost::SetDtmfListener({}); }
    void Listen() {
        tmxhost::SetDtmfListener(tmxhost::DtmfListener{
            [this](int hCall, char) { StartDtmfAck(hCall); }, [this](int) { Pop(); }});
    }

    int GetActiveCallHandle() override { return hActive; }
    int OnPostPush(Result r) override { return Note(pushed, r); }
    int OnPostPop(Result r) override { return Note(popped, r); }
    int OnPostStopDtmfReq(Result r) override { return Note(stopped, r); }

    DtmfState State() const { return m_state.Get(); }
    int Head() const { return m_nHead; }
    int Tail() const { return m_nTail; }
    std::string Ring(int from, int n) const { return std::string(m_szQueue + from, n); }
    char LastByte() const { return m_szQueue[CALL_DTMF_QUEUE_SIZE - 1]; }

private:
    static int Note(Results& results, Result r) {
        results.push_back(r);
        return 1;
    }
};

class DtmfTest : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        hCall = tmxhost::IncomingCall("0301234");
        ASSERT_EQ(TapiAnswerCall(hCall), 1);
        tmxhost::ClearCalls();
        sender.hActive = hCall;
        sender.Listen();
    }

    static Texts Tones() { return tmxhost::CallTexts({"TapiStartDTMF", "TapiStopDTMF"}); }
    static std::string Start(char digit) {
        return std::string("TapiStartDTMF(1, \"") + digit + "\", 300)";
    }
    static bool Traced(const char* text) { return tmxhost::HasTrace(text, TMX_DBG_CALL); }

    const std::string kStop = "TapiStopDTMF(1)";
    TestSender sender;
    int hCall = TAPI_INVALID_CALLHANDLE;
};

}  // namespace

TEST_F(DtmfTest, SendsQueuedDigitsOneToneAtATime) {
    EXPECT_EQ(sender.Push("123"), 1);
    EXPECT_EQ(sender.GetCount(), 3);
    EXPECT_EQ(sender.State(), CCallQueuingDtmf::DTMF_BUF_SENT_START_REQ);
    EXPECT_EQ(Tones(), Texts{Start('1')});

    tmxhost::Advance(100);  // started: more digits wait, so the tone is cut short
    EXPECT_EQ(sender.State(), CCallQueuingDtmf::DTMF_BUF_SENT_STOP_REQ);
    EXPECT_TRUE(Traced("CCallQueuingDtmf::StartDtmfAck:DTMF Queue count > 1\n"));
    tmxhost::Advance(100);  // stopped: the next digit goes out
    EXPECT_EQ(sender.GetCount(), 2);
    EXPECT_EQ(sender.State(), CCallQueuingDtmf::DTMF_BUF_SENT_START_REQ);

    tmxhost::Advance(1000);
    EXPECT_EQ(Tones(), (Texts{Start('1'), kStop, Start('2'), kStop, Start('3'), kStop}));
    EXPECT_EQ(tmxhost::DtmfSent(), "123");
    EXPECT_EQ(sender.pushed, Results{kSuccess});
    EXPECT_EQ(sender.popped, (Results{kSuccess, kSuccess, kEndOfSend}));
    EXPECT_EQ(sender.stopped, (Results{kSuccess, kSuccess, kSuccess}));
    EXPECT_EQ(sender.State(), CCallQueuingDtmf::DTMF_BUF_IDLE);
    EXPECT_TRUE(Traced("CCallQueuingDtmf::StartDtmfAck:DTMF Key released\n"));
}

TEST_F(DtmfTest, BurstModeStopsEveryToneAtItsStartAck) {
    sender.SetBurstMode(1);
    sender.SetLongDtmfMode(1);
    sender.Push("9");
    tmxhost::Advance(100);
    EXPECT_EQ(Tones(), (Texts{Start('9'), kStop}));
    EXPECT_FALSE(Traced("CCallQueuingDtmf::StartDtmfAck:DTMF Key still pressed!\n"));
    tmxhost::Advance(100);
    EXPECT_EQ(sender.popped, Results{kEndOfSend});

    sender.Clear();
    EXPECT_EQ(sender.IsBurstMode(), 1);
    EXPECT_EQ(sender.IsLongDtmfMode(), 0);
}

TEST_F(DtmfTest, LongDtmfHoldsToneUntilKeyRelease) {
    sender.SetLongDtmfMode(1);
    sender.Push("5");
    tmxhost::Advance(5000);
    EXPECT_TRUE(Traced("CCallQueuingDtmf::StartDtmfAck:DTMF Key still pressed!\n"));
    EXPECT_EQ(sender.State(), CCallQueuingDtmf::DTMF_BUF_RECEIVED_START_ACK);
    EXPECT_EQ(Tones(), Texts{Start('5')});

    EXPECT_EQ(sender.StopDtmfReq(hCall), 1);
    EXPECT_EQ(sender.stopped, Results{kSuccess});
    tmxhost::Advance(100);
    EXPECT_EQ(Tones(), (Texts{Start('5'), kStop}));
    EXPECT_EQ(sender.popped, Results{kEndOfSend});
}

TEST_F(DtmfTest, KeyReleasedBeforeStartAckStopsToneOnArrival) {
    sender.SetLongDtmfMode(1);
    sender.Push("5");
    EXPECT_EQ(sender.StopDtmfReq(hCall), 0);
    EXPECT_EQ(sender.IsLongDtmfMode(), 0);
    EXPECT_TRUE(sender.stopped.empty());
    EXPECT_EQ(Tones(), Texts{Start('5')});

    tmxhost::Advance(100);
    EXPECT_TRUE(Traced("CCallQueuingDtmf::StartDtmfAck:DTMF Key released\n"));
    EXPECT_EQ(Tones(), (Texts{Start('5'), kStop}));
    tmxhost::Advance(100);
    EXPECT_EQ(sender.State(), CCallQueuingDtmf::DTMF_BUF_IDLE);
}

TEST_F(DtmfTest, FullQueueRefusesWholePush) {
    EXPECT_EQ(sender.Push(std::string(70, '1').c_str()), 1);
    EXPECT_EQ(sender.Push(std::string(11, '2').c_str()), 0);
    EXPECT_TRUE(Traced("CCallQueuingDtmf::Push: Queue Full!!!!\n"));
    EXPECT_EQ(sender.GetCount(), 70);
    EXPECT_EQ(sender.Push(std::string(10, '2').c_str()), 1);
    EXPECT_EQ(sender.GetCount(), 80);
    EXPECT_EQ(sender.Push("3"), 0);
    EXPECT_EQ(sender.Push(""), 1);
    EXPECT_EQ(sender.GetCount(), 80);
    EXPECT_EQ(sender.pushed, (Results{kSuccess, kSuccess, kSuccess}));
    EXPECT_EQ(Tones(), Texts{Start('1')});
}

TEST_F(DtmfTest, DigitsWrapAroundTheRingAndGoOutInOrder) {
    std::string first;
    for (int i = 0; i < 78; ++i) {
        first += static_cast<char>('0' + i % 10);
    }
    sender.Push(first.c_str());
    tmxhost::Advance(75 * 200 + 50);  // 75 tones sent, the 76th started
    ASSERT_EQ(sender.Head(), 75);
    ASSERT_EQ(sender.Tail(), 78);

    EXPECT_EQ(sender.Push("*#ABCD"), 1);
    EXPECT_TRUE(Traced("CCallQueuingDtmf::Push: strlen=6, partlen=3\n"));
    EXPECT_EQ(sender.Tail(), 3);
    EXPECT_EQ(sender.Ring(78, 3), "*#A");
    EXPECT_EQ(sender.Ring(0, 3), "BCD");
    EXPECT_EQ(sender.LastByte(), 0);
    EXPECT_EQ(sender.GetCount(), 9);

    tmxhost::Advance(600);
    EXPECT_EQ(sender.Head(), 78);
    EXPECT_EQ(sender.GetCount(), 6);
    tmxhost::Advance(2000);
    EXPECT_EQ(tmxhost::DtmfSent(), first + "*#ABCD");
    EXPECT_EQ(sender.popped.back(), kEndOfSend);
    EXPECT_EQ(sender.State(), CCallQueuingDtmf::DTMF_BUF_IDLE);
}

TEST_F(DtmfTest, RefusedStartIsHandedToPostHookAndWaits) {
    tmxhost::FailCall("TapiStartDTMF", 0);
    EXPECT_EQ(sender.Push("1"), 1);
    EXPECT_EQ(sender.pushed, Results{kFail});
    EXPECT_EQ(sender.State(), CCallQueuingDtmf::DTMF_BUF_SENT_START_REQ);
    sender.Clear();

    tmxhost::FailCall("TapiStartDTMF", 0, 2);
    sender.Push("23");
    tmxhost::Advance(1000);
    EXPECT_EQ(sender.popped, Results{kFail});
    EXPECT_EQ(sender.State(), CCallQueuingDtmf::DTMF_BUF_SENT_START_REQ);
    EXPECT_EQ(sender.GetCount(), 1);
    EXPECT_EQ(tmxhost::DtmfSent(), "2");
}

TEST_F(DtmfTest, RefusedStopAbandonsQueue) {
    sender.Push("12");
    tmxhost::FailCall("TapiStopDTMF", 0);
    tmxhost::Advance(1000);
    EXPECT_EQ(TraceTexts(TMX_DBG_FAIL),
              Texts{"CCallQueuingDtmf::StopDtmfReq:TapiStopDTMF return FAIL!\n"});
    EXPECT_EQ(sender.stopped, Results{kFail});
    EXPECT_EQ(sender.GetCount(), 0);
    EXPECT_EQ(sender.State(), CCallQueuingDtmf::DTMF_BUF_IDLE);
    EXPECT_TRUE(sender.popped.empty());
}

TEST_F(DtmfTest, NonDtmfCharacterIsSentAndRefusedByPlatform) {
    sender.Push("1x2");
    tmxhost::Advance(1000);
    EXPECT_EQ(Tones(), (Texts{Start('1'), kStop, Start('x')}));
    EXPECT_EQ(sender.popped, Results{kFail});
    EXPECT_EQ(sender.GetCount(), 2);
    EXPECT_EQ(tmxhost::DtmfSent(), "1");
}

TEST_F(DtmfTest, MisuseIsReported) {
    EXPECT_EQ(sender.Push(nullptr), 0);
    EXPECT_EQ(tmxhost::Reports().at(0).path,
              "CallCommonSvc\\VoiceVideoCommonSvc\\Mgr\\CallQueuingDtmf");
    ExpectReports({"pszDigits != NULL"});
    EXPECT_EQ(sender.StartDtmfAck(-1), 0);
    EXPECT_EQ(sender.StopDtmfReq(-1), 0);
    ExpectReports({"hCall != TAPI_INVALID_CALLHANDLE", "hCall != TAPI_INVALID_CALLHANDLE"});

    sender.SetLongDtmfMode(1);
    sender.Push("1");
    tmxhost::Advance(100);
    EXPECT_EQ(sender.StartDtmfAck(hCall), 0);
    ExpectReports({"m_state != DTMF_BUF_RECEIVED_START_ACK"});
    EXPECT_EQ(sender.State(), CCallQueuingDtmf::DTMF_BUF_RECEIVED_START_ACK);
    EXPECT_EQ(Tones(), Texts{Start('1')});
    EXPECT_TRUE(sender.stopped.empty());
}

TEST_F(DtmfTest, LostCallOrClearedQueueAbandonsSending) {
    EXPECT_EQ(sender.Pop(), 0);
    EXPECT_TRUE(Traced("CCallQueuingDtmf::Pop: Aborted of Send\n"));

    sender.Push("12");
    sender.SetLongDtmfMode(1);
    sender.hActive = TAPI_INVALID_CALLHANDLE;
    EXPECT_EQ(sender.Push("3"), 0);
    EXPECT_TRUE(Traced("CCallQueuingDtmf::Push: No Active Call Handle..\n"));
    EXPECT_EQ(sender.GetCount(), 0);
    EXPECT_EQ(sender.IsLongDtmfMode(), 0);
    EXPECT_EQ(sender.State(), CCallQueuingDtmf::DTMF_BUF_IDLE);

    sender.hActive = hCall;
    tmxhost::Advance(200);  // the ack of '1' finds the queue gone: its tone is stopped
    EXPECT_TRUE(Traced("CCallQueuingDtmf::StartDtmfAck:Sending DTMF Aborted!\n"));
    EXPECT_EQ(sender.State(), CCallQueuingDtmf::DTMF_BUF_IDLE);

    sender.Push("45");
    tmxhost::Advance(200);  // '4' stopped and '5' started
    sender.hActive = TAPI_INVALID_CALLHANDLE;
    tmxhost::Advance(200);
    EXPECT_TRUE(Traced("CCallQueuingDtmf::Pop: No Active Call Handle..\n"));
    EXPECT_EQ(sender.GetCount(), 0);
    EXPECT_EQ(sender.popped, Results{kSuccess});
    EXPECT_EQ(sender.pushed, (Results{kSuccess, kSuccess}));
    EXPECT_EQ(Tones(), (Texts{Start('1'), kStop, Start('4'), kStop, Start('5'), kStop}));
}

TEST_F(DtmfTest, SingleToneRequestsCarryDigitAndDuration) {
    CCallDtmf dtmf;
    EXPECT_EQ(dtmf.Start(-1, '1'), 0);
    EXPECT_EQ(dtmf.Stop(-1), 0);
    EXPECT_EQ(tmxhost::Reports().at(0).path, "CallCommonSvc\\VoiceVideoCommonSvc\\Mgr\\CallDtmf");
    ExpectReports({"hCall != TAPI_INVALID_CALLHANDLE", "hCall != TAPI_INVALID_CALLHANDLE"});
    EXPECT_TRUE(Tones().empty());

    EXPECT_EQ(dtmf.Start(hCall, '5'), 1);
    EXPECT_EQ(dtmf.Stop(hCall), 1);
    EXPECT_EQ(Tones(), (Texts{"TapiStartDTMF(1, \"5\", 300)", kStop}));
    EXPECT_EQ(TraceTexts(TMX_DBG_CALL),
              (Texts{"CCallDtmf::Start: Digit = 5\n", "CCallDtmf::Stop: Stop DTMF \n"}));
}
