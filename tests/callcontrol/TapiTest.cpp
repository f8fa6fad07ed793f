// Call-control requests: handle checks, hooks around the platform call, and the example
// application's requests against the host's call model.
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "CallCommonSvc/VoiceVideoCommonSvc/Mgr/CallTapi.h"
#include "ExampleCallApp.h"
#include "support/HostTest.h"

namespace {

using Texts = std::vector<std::string>;

std::string Text(const std::string& name, const std::vector<int>& args) {
    std::string text = name + "(";
    for (std::size_t i = 0; i < args.size(); ++i) {
        text += (i > 0 ? ", " : "") + std::to_string(args[i]);
    }
    return text + ")";
}

// clang-format off
#define SAW(hook, ...) hooks.push_back(Text(hook, {__VA_ARGS__}))
#define PRE1(N) int OnPre##N(int& h) override { SAW("OnPre" #N, h); h = 7; return pre; }
#define PRE2(N) \
    int OnPre##N(int& a, int& b) override { SAW("OnPre" #N, a, b); a = 7; b = 8; return pre; }
#define POST1(N) int OnPost##N(int r, int h) override { SAW("OnPost" #N, r, h); return post; }
#define POST2(N) \
    int OnPost##N(int r, int a, int b) override { SAW("OnPost" #N, r, a, b); return post; }
#define REQUEST(N, platform, args, argless, preArgs)                                            \
    Request{#N, std::string(#args) == "(a, b)", platform,                                       \
            [](CCallTapi& t, int a, [[maybe_unused]] int b) { return t.N args; },               \
            [](CCallTapi& t) { return t.N argless; }, "OnPre" #N preArgs}
// clang-format on

// Records every hook. Pre-hooks supply the calls 7 and 8, the cause 16 and the number
// "0101234", and answer with `pre`; post-hooks answer with `post`.
struct ProbeTapi : CCallTapi {
    int pre = 1;
    int post = 1;
    Texts hooks;

    int OnPreSetup(TapiSetupCallInfo& info) override {
        TapiSetupCallInfo zero{};
        hooks.push_back(std::memcmp(&info, &zero, sizeof(info)) == 0 ? "OnPreSetup(zeroed)"
                                                                     : "OnPreSetup(dirty)");
        std::strcpy(info.szNumber, "0101234");
        return pre;
    }
    int OnPreRespondRecall(int& h, int r) override {
        SAW("OnPreRespondRecall", h, r);
        h = 7;
        return pre;
    }
    int OnPreRelease(int& h, TapiReleaseCause& c) override {
        SAW("OnPreRelease", h, c);
        h = 7;
        c = 16;
        return pre;
    }
    // clang-format off
    PRE1(Answer) PRE1(Hold) PRE1(Activate) PRE1(SplitConference) PRE1(Destroy)
    PRE2(Swap) PRE2(SetupConference) PRE2(Transfer)
    POST1(Setup) POST1(Answer) POST1(Hold) POST1(Activate) POST1(SplitConference)
    POST1(RespondRecall) POST1(Release) POST1(Destroy)
    POST2(Swap) POST2(SetupConference) POST2(Transfer)
    // clang-format on
};

// A request: its platform call for the calls 7 and 8, and what its pre-hook sees.
struct Request {
    std::string name;
    bool two;
    std::string platform;
    std::function<int(CCallTapi&, int, int)> run;
    std::function<int(CCallTapi&)> runArgless;
    std::string preSeen;
};

const std::vector<Request> kRequests = {
    REQUEST(Answer, "TapiAnswerCall(7)", (a), (), "(-1)"),
    REQUEST(Hold, "TapiHoldCall(7)", (a), (), "(-1)"),
    REQUEST(Activate, "TapiActivateCall(7)", (a), (), "(-1)"),
    REQUEST(Swap, "TapiSwapCall(7, 8)", (a, b), (), "(-1, -1)"),
    REQUEST(SetupConference, "TapiSetupConferenceCall(7, 8)", (a, b), (), "(-1, -1)"),
    REQUEST(SplitConference, "TapiSplitConferenceCall(7)", (a), (), "(-1)"),
    REQUEST(Transfer, "TapiTransferCall(7, 8)", (a, b), (), "(-1, -1)"),
    REQUEST(RespondRecall, "TapiRespondRecall(7, 2)", (a, 2), (2), "(-1, 2)"),
    REQUEST(Release, "TapiReleaseCall(7, 16)", (a, 16), (), "(-1, 0)"),
    REQUEST(Destroy, "TapiDestroyCall(7)", (a), (), "(-1)"),
};

std::string CallStates() {
    std::string text;
    for (const tmxhost::CallView& call : tmxhost::CallsInProgress()) {
        text += (text.empty() ? "" : ", ") + std::to_string(call.handle) + " " + call.state +
                (call.multiparty ? "*" : "");
    }
    return text;
}

using TapiTest = HostTest;

}  // namespace

TEST_F(TapiTest, EachRequestChecksHandlesAndCallsPlatformBetweenItsHooks) {
    for (const Request& r : kRequests) {
        SCOPED_TRACE(r.name);
        tmxhost::ClearCalls();
        tmxhost::TakeTraces();
        ProbeTapi tapi;
        CCallTapi plain;  // default pre-hooks know no call
        std::string first =
            r.two ? "hActiveCall != TAPI_INVALID_CALLHANDLE" : "hCall != TAPI_INVALID_CALLHANDLE";
        // Invalid handles are reported in argument order, before any hook or platform call;
        // a vetoing pre-hook stops the request before the platform too.
        EXPECT_EQ(r.run(tapi, -1, 8), 0);
        EXPECT_EQ(r.runArgless(plain), 0);
        ExpectReports({first, first});
        if (r.two) {
            EXPECT_EQ(r.run(tapi, 5, -1), 0);
            EXPECT_EQ(r.run(tapi, -1, -1), 0);
            ExpectReports({"hHoldCall != TAPI_INVALID_CALLHANDLE", first});
        }
        tapi.pre = 0;
        EXPECT_EQ(r.runArgless(tapi), 0);
        EXPECT_TRUE(tmxhost::CallTexts().empty());

        // The post-hook sees the platform's result and may turn it into a failure, though the
        // platform has acted all the same.
        tmxhost::FailCall(r.platform.substr(0, r.platform.find('(')), 42, 1, 2);
        tapi.pre = 1;
        EXPECT_EQ(r.runArgless(tapi), 42);
        tapi.post = 0;
        EXPECT_EQ(r.run(tapi, 7, 8), 0);
        std::string post =
            Text("OnPost" + r.name, r.two ? std::vector{42, 7, 8} : std::vector{42, 7});
        EXPECT_EQ(tapi.hooks, (Texts{r.preSeen, r.preSeen, post, post}));
        EXPECT_EQ(tmxhost::CallTexts(), Texts(2, r.platform));
        EXPECT_EQ(TraceTexts(TMX_DBG_FAIL),
                  (Texts{r.name == "SplitConference"
                             ? "CCallTapi::SplitConference: OnPreSplitConferencefailed\n"
                             : "CCallTapi::" + r.name + ": OnPre" + r.name + " failed\n",
                         "CCallTapi::" + r.name + ": OnPost" + r.name + " failed\n"}));
    }

    struct Recalling : ProbeTapi {  // the argument-less form reaches an override
        using ProbeTapi::RespondRecall;
        int RespondRecall(int hCall, int response) override { return hCall * 10 + response; }
    } recalling;
    EXPECT_EQ(recalling.RespondRecall(2), 72);
}

TEST_F(TapiTest, SetupReturnsPlatformHandleOrMinusOne) {
    ProbeTapi tapi;
    EXPECT_EQ(tapi.Setup(), 1);  // dials what the pre-hook filled into a zeroed record
    EXPECT_EQ(tapi.hooks, (Texts{"OnPreSetup(zeroed)", "OnPostSetup(1, 1)"}));

    TapiSetupCallInfo info{};
    std::strcpy(info.szNumber, "0209876");
    tmxhost::FailCall("TapiSetupCall", -1);
    EXPECT_EQ(tapi.Setup(info), -1);
    EXPECT_EQ(tapi.hooks.back(), "OnPostSetup(0, -1)");

    tapi.post = 0;
    tmxhost::FailCall("TapiSetupCall", 3);
    EXPECT_EQ(tapi.Setup(info), -1);
    tapi.pre = 0;
    EXPECT_EQ(tapi.Setup(), -1);
    EXPECT_EQ(TraceTexts(TMX_DBG_FAIL), (Texts{"CCallTapi::Setup: OnPostSetup failed\n",
                                               "CCallTapi::Setup: OnPreSetup failed\n"}));

    CCallTapi plain;
    EXPECT_EQ(plain.Setup(), -1);  // the zeroed record has no number
    EXPECT_EQ(tmxhost::CallTexts(),
              (Texts{"TapiSetupCall(\"0101234\")", "TapiSetupCall(\"0209876\")",
                     "TapiSetupCall(\"0209876\")", "TapiSetupCall(\"\")"}));
}

TEST_F(TapiTest, ExampleApplicationDrivesHostCallModel) {
    example::CallControl control;
    control.SetNumber("0101234");
    EXPECT_EQ(control.Setup(), 1);
    tmxhost::Advance(1000);
    EXPECT_EQ(CallStates(), "1 active");
    EXPECT_EQ(control.Hold(), 1);
    EXPECT_EQ(tmxhost::IncomingCall("0207777"), 2);
    EXPECT_EQ(control.Answer(), 1);
    EXPECT_EQ(CallStates(), "1 held, 2 active");
    EXPECT_EQ(control.Swap(), 1);
    EXPECT_EQ(CallStates(), "1 active, 2 held");
    EXPECT_EQ(control.SetupConference(), 1);
    EXPECT_EQ(CallStates(), "1 active*, 2 active*");
    EXPECT_EQ(control.SplitConference(), 1);
    EXPECT_EQ(CallStates(), "1 active, 2 held*");
    EXPECT_EQ(control.Transfer(), 1);
    EXPECT_EQ(CallStates(), "1 released, 2 released*");

    control.SetNumber("0303333");
    EXPECT_EQ(control.Setup(), 3);
    EXPECT_EQ(control.Release(), 1);
    EXPECT_EQ(tmxhost::CallTexts().back(), "TapiReleaseCall(3, 0)");
    EXPECT_EQ(control.Destroy() + control.Destroy() + control.Destroy(), 3);
    EXPECT_EQ(CallStates(), "");
    EXPECT_EQ(control.Destroy(), 0);
    EXPECT_EQ(TraceTexts(TMX_DBG_FAIL), Texts{"CCallTapi::Destroy: OnPreDestroy failed\n"});
}
