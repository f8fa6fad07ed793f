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

const char kTapiPath[] = "CallCommonSvc\\VoiceVideoCommonSvc\\Mgr\\CallTapi";

std::string Text(const std::string& name, const std::vector<int>& args) {
    std::string text = name + "(";
    for (std::size_t i = 0; i < args.size(); ++i) {
        text += (i > 0 ? ", " : "") + std::to_string(args[i]);
    }
    return text + ")";
}

// Records every hook. Unless vetoing, pre-hooks supply the calls 7 and 8, the cause 16 and the
// number "0101234"; post-hooks answer with `post`.
class ProbeTapi : public CCallTapi {
public:
    int pre = 1;
    int post = 1;
    std::vector<std::string> hooks;

    int OnPreSetup(TapiSetupCallInfo& info) override {
        TapiSetupCallInfo zero{};
        bool zeroed = std::memcmp(&info, &zero, sizeof(info)) == 0;
        hooks.push_back(zeroed ? "OnPreSetup(zeroed)" : "OnPreSetup(dirty)");
        std::strcpy(info.szNumber, "0101234");
        return pre;
    }
    int OnPreAnswer(int& h) override { return Pre("OnPreAnswer", {h}, h); }
    int OnPreHold(int& h) override { return Pre("OnPreHold", {h}, h); }
    int OnPreActivate(int& h) override { return Pre("OnPreActivate", {h}, h); }
    int OnPreSwap(int& a, int& b) override { return Pre("OnPreSwap", {a, b}, a, &b); }
    int OnPreSetupConference(int& a, int& b) override {
        return Pre("OnPreSetupConference", {a, b}, a, &b);
    }
    int OnPreSplitConference(int& h) override { return Pre("OnPreSplitConference", {h}, h); }
    int OnPreTransfer(int& a, int& b) override { return Pre("OnPreTransfer", {a, b}, a, &b); }
    int OnPreRespondRecall(int& h, int r) override { return Pre("OnPreRespondRecall", {h, r}, h); }
    int OnPreRelease(int& h, TapiReleaseCause& cause) override {
        int go = Pre("OnPreRelease", {h, cause}, h);
        cause = 16;
        return go;
    }
    int OnPreDestroy(int& h) override { return Pre("OnPreDestroy", {h}, h); }

    int OnPostSetup(int ok, int h) override { return Post("OnPostSetup", {ok, h}); }
    int OnPostAnswer(int r, int h) override { return Post("OnPostAnswer", {r, h}); }
    int OnPostHold(int r, int h) override { return Post("OnPostHold", {r, h}); }
    int OnPostActivate(int r, int h) override { return Post("OnPostActivate", {r, h}); }
    int OnPostSwap(int r, int a, int b) override { return Post("OnPostSwap", {r, a, b}); }
    int OnPostSetupConference(int r, int a, int b) override {
        return Post("OnPostSetupConference", {r, a, b});
    }
    int OnPostSplitConference(int r, int h) override {
        return Post("OnPostSplitConference", {r, h});
    }
    int OnPostTransfer(int r, int a, int b) override { return Post("OnPostTransfer", {r, a, b}); }
    int OnPostRespondRecall(int r, int h) override { return Post("OnPostRespondRecall", {r, h}); }
    int OnPostRelease(int r, int h) override { return Post("OnPostRelease", {r, h}); }
    int OnPostDestroy(int r, int h) override { return Post("OnPostDestroy", {r, h}); }

private:
    int Pre(const char* name, const std::vector<int>& seen, int& h1, int* h2 = nullptr) {
        hooks.push_back(Text(name, seen));
        if (pre) {
            h1 = 7;
            if (h2 != nullptr) {
                *h2 = 8;
            }
        }
        return pre;
    }
    int Post(const char* name, const std::vector<int>& seen) {
        hooks.push_back(Text(name, seen));
        return post;
    }
};

// The ten requests that take calls. `platform` is the call made for the calls 7 and 8;
// `preSeen` is what the argument-less form hands its pre-hook.
struct Request {
    std::string name;
    bool two;
    std::string platform;
    std::function<int(CCallTapi&, int, int)> run;
    std::function<int(CCallTapi&)> runArgless;
    std::string preSeen;

    std::string Function() const { return platform.substr(0, platform.find('(')); }
    std::string PostSeen(int result) const {
        return Text("OnPost" + name, two ? std::vector{result, 7, 8} : std::vector{result, 7});
    }
    std::string FirstHandle() const {
        return two ? "hActiveCall != TAPI_INVALID_CALLHANDLE" : "hCall != TAPI_INVALID_CALLHANDLE";
    }
    std::string PreFailed() const {
        // This request's line has no space before "failed".
        return name == "SplitConference"
                   ? "CCallTapi::SplitConference: OnPreSplitConferencefailed\n"
                   : "CCallTapi::" + name + ": OnPre" + name + " failed\n";
    }
    std::string PostFailed() const {
        return "CCallTapi::" + name + ": OnPost" + name + " failed\n";
    }
};

const std::vector<Request>& Requests() {
    using T = CCallTapi;
    static const std::vector<Request> requests = {
        {"Answer", false, "TapiAnswerCall(7)", [](T& t, int a, int) { return t.Answer(a); },
         [](T& t) { return t.Answer(); }, "OnPreAnswer(-1)"},
        {"Hold", false, "TapiHoldCall(7)", [](T& t, int a, int) { return t.Hold(a); },
         [](T& t) { return t.Hold(); }, "OnPreHold(-1)"},
        {"Activate", false, "TapiActivateCall(7)", [](T& t, int a, int) { return t.Activate(a); },
         [](T& t) { return t.Activate(); }, "OnPreActivate(-1)"},
        {"Swap", true, "TapiSwapCall(7, 8)", [](T& t, int a, int b) { return t.Swap(a, b); },
         [](T& t) { return t.Swap(); }, "OnPreSwap(-1, -1)"},
        {"SetupConference", true, "TapiSetupConferenceCall(7, 8)",
         [](T& t, int a, int b) { return t.SetupConference(a, b); },
         [](T& t) { return t.SetupConference(); }, "OnPreSetupConference(-1, -1)"},
        {"SplitConference", false, "TapiSplitConferenceCall(7)",
         [](T& t, int a, int) { return t.SplitConference(a); },
         [](T& t) { return t.SplitConference(); }, "OnPreSplitConference(-1)"},
        {"Transfer", true, "TapiTransferCall(7, 8)",
         [](T& t, int a, int b) { return t.Transfer(a, b); }, [](T& t) { return t.Transfer(); },
         "OnPreTransfer(-1, -1)"},
        {"RespondRecall", false, "TapiRespondRecall(7, 2)",
         [](T& t, int a, int) { return t.RespondRecall(a, 2); },
         [](T& t) { return t.RespondRecall(2); }, "OnPreRespondRecall(-1, 2)"},
        {"Release", false, "TapiReleaseCall(7, 16)",
         [](T& t, int a, int) { return t.Release(a, 16); }, [](T& t) { return t.Release(); },
         "OnPreRelease(-1, 0)"},
        {"Destroy", false, "TapiDestroyCall(7)", [](T& t, int a, int) { return t.Destroy(a); },
         [](T& t) { return t.Destroy(); }, "OnPreDestroy(-1)"},
    };
    return requests;
}

using TapiTest = HostTest;

// A fresh log between table rows.
void Forget() {
    tmxhost::ClearCalls();
    tmxhost::TakeTraces();
}

}  // namespace

TEST_F(TapiTest, InvalidHandleIsReportedInArgumentOrderBeforeAnyPlatformCall) {
    for (const Request& r : Requests()) {
        SCOPED_TRACE(r.name);
        ProbeTapi tapi;
        EXPECT_EQ(r.run(tapi, -1, 8), 0);
        ASSERT_EQ(tmxhost::Reports().size(), 1u);
        EXPECT_EQ(tmxhost::Reports()[0].kind, 1);
        EXPECT_EQ(tmxhost::Reports()[0].path, kTapiPath);
        ExpectReports({r.FirstHandle()});
        if (r.two) {
            EXPECT_EQ(r.run(tapi, 5, -1), 0);
            ExpectReports({"hHoldCall != TAPI_INVALID_CALLHANDLE"});
            EXPECT_EQ(r.run(tapi, -1, -1), 0);
            ExpectReports({"hActiveCall != TAPI_INVALID_CALLHANDLE"});
        }
        EXPECT_TRUE(tmxhost::CallTexts().empty());
        EXPECT_TRUE(tapi.hooks.empty());
    }
}

TEST_F(TapiTest, PostHookSeesPlatformResultAndMayTurnItIntoFailure) {
    for (const Request& r : Requests()) {
        SCOPED_TRACE(r.name);
        Forget();
        ProbeTapi tapi;
        tmxhost::FailCall(r.Function(), 42);
        EXPECT_EQ(r.run(tapi, 7, 8), 42);
        EXPECT_EQ(tapi.hooks, std::vector<std::string>{r.PostSeen(42)});

        tapi.post = 0;
        tmxhost::FailCall(r.Function(), 42);
        EXPECT_EQ(r.run(tapi, 7, 8), 0);
        // The platform has acted all the same.
        EXPECT_EQ(tmxhost::CallTexts(), std::vector<std::string>(2, r.platform));
        EXPECT_EQ(TraceTexts(TMX_DBG_FAIL), std::vector<std::string>{r.PostFailed()});
    }
}

TEST_F(TapiTest, ArgumentlessFormTakesCallsFromPreHookOrStopsAtItsVeto) {
    for (const Request& r : Requests()) {
        SCOPED_TRACE(r.name);
        Forget();
        ProbeTapi tapi;
        tmxhost::FailCall(r.Function(), 42);
        EXPECT_EQ(r.runArgless(tapi), 42);
        EXPECT_EQ(tapi.hooks, (std::vector<std::string>{r.preSeen, r.PostSeen(42)}));
        EXPECT_EQ(tmxhost::CallTexts(), std::vector<std::string>{r.platform});

        Forget();
        ProbeTapi vetoing;
        vetoing.pre = 0;
        EXPECT_EQ(r.runArgless(vetoing), 0);
        EXPECT_EQ(vetoing.hooks, std::vector<std::string>{r.preSeen});
        EXPECT_TRUE(tmxhost::CallTexts().empty());
        EXPECT_EQ(TraceTexts(TMX_DBG_FAIL), std::vector<std::string>{r.PreFailed()});

        // Default pre-hooks know no call.
        CCallTapi plain;
        EXPECT_EQ(r.runArgless(plain), 0);
        ExpectReports({r.FirstHandle()});
        EXPECT_TRUE(tmxhost::CallTexts().empty());
    }
}

TEST_F(TapiTest, SetupHandsPlatformHandleToPostHook) {
    ProbeTapi tapi;
    EXPECT_EQ(tapi.Setup(), 1);  // dials what the pre-hook filled into a zeroed record
    EXPECT_EQ(tapi.hooks, (std::vector<std::string>{"OnPreSetup(zeroed)", "OnPostSetup(1, 1)"}));

    TapiSetupCallInfo info{};
    std::strcpy(info.szNumber, "0209876");
    tmxhost::FailCall("TapiSetupCall", -1);
    EXPECT_EQ(tapi.Setup(info), -1);
    EXPECT_EQ(tapi.hooks.back(), "OnPostSetup(0, -1)");
    EXPECT_TRUE(TraceTexts(TMX_DBG_FAIL).empty());

    tapi.post = 0;
    tmxhost::FailCall("TapiSetupCall", 3);
    EXPECT_EQ(tapi.Setup(info), -1);
    EXPECT_EQ(tapi.hooks.back(), "OnPostSetup(1, 3)");
    EXPECT_EQ(TraceTexts(TMX_DBG_FAIL),
              std::vector<std::string>{"CCallTapi::Setup: OnPostSetup failed\n"});

    tmxhost::TakeTraces();
    tapi.pre = 0;
    EXPECT_EQ(tapi.Setup(), -1);
    EXPECT_EQ(TraceTexts(TMX_DBG_FAIL),
              std::vector<std::string>{"CCallTapi::Setup: OnPreSetup failed\n"});

    CCallTapi plain;
    EXPECT_EQ(plain.Setup(), -1);  // the zeroed record has no number
    EXPECT_EQ(plain.SetupFakeCall(), 2);
    EXPECT_EQ(tmxhost::CallTexts(),
              (std::vector<std::string>{"TapiSetupCall(\"0101234\")", "TapiSetupCall(\"0209876\")",
                                        "TapiSetupCall(\"0209876\")", "TapiSetupCall(\"\")",
                                        "TapiSetupFakeCall(0)"}));
}

// An override of the explicit form is what the argument-less form reaches.
TEST_F(TapiTest, ArgumentlessFormCallsExplicitFormVirtually) {
    struct Recalling : ProbeTapi {
        using ProbeTapi::RespondRecall;
        int RespondRecall(int hCall, int response) override {
            hooks.push_back(Text("RespondRecall", {hCall, response}));
            return 5;
        }
    } tapi;
    EXPECT_EQ(tapi.RespondRecall(2), 5);
    EXPECT_EQ(tapi.hooks,
              (std::vector<std::string>{"OnPreRespondRecall(-1, 2)", "RespondRecall(7, 2)"}));
    EXPECT_TRUE(tmxhost::CallTexts().empty());
}

namespace {
std::string CallStates() {
    std::string text;
    for (const tmxhost::CallView& call : tmxhost::CallsInProgress()) {
        text += (text.empty() ? "" : ", ") + std::to_string(call.handle) + " " + call.state +
                (call.multiparty ? "*" : "");
    }
    return text;
}
}  // namespace

TEST_F(TapiTest, ExampleApplicationDrivesHostCallModel) {
    example::CallControl control;
    control.SetNumber("0101234");
    EXPECT_EQ(control.Setup(), 1);
    tmxhost::Advance(999);
    EXPECT_EQ(CallStates(), "1 dialing");
    tmxhost::Advance(1);
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
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(control.Destroy(), 1);
    }
    EXPECT_EQ(CallStates(), "");
    EXPECT_EQ(control.Destroy(), 0);
    EXPECT_EQ(TraceTexts(TMX_DBG_FAIL),
              std::vector<std::string>{"CCallTapi::Destroy: OnPreDestroy failed\n"});
}
