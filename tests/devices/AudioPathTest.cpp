// The audio path of a call: registration with the sound-state manager, the audio caller's
// settings, the invalid and fake handles, and a caller destroyed while registered.
#include <cstdio>

#include "CallCommonSvc/VoiceVideoCommonSvc/Mgr/CallCaller.h"
#include "ExampleCallApp.h"
#include "support/HostTest.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::IsSupersetOf;

namespace {

const std::vector<std::string> kAvmsCalls = {
    "SsmRegisterSoundCallback", "SsmUnregisterSoundCallback",
    "AvCreateCaller",           "AvDeleteCaller",
    "AvSetSoundPath",           "AvMuteCaller",
    "AvSetWhisperMode",         "AvSetCallVolume"};

class AudioPathTest : public HostTest {};

TEST_F(AudioPathTest, GrantedCallCarriesPathMuteWhisperAndVolumeUntilClosed) {
    example::AudioCall call;
    EXPECT_EQ(call.SetPath(0x21, 0), 1);
    const int hCaller = call.OpenPath(2);
    ASSERT_GT(hCaller, 0);
    EXPECT_EQ(call.GetCaller(), hCaller);
    EXPECT_EQ(tmxhost::GetSoundState(2), 3);
    EXPECT_EQ(call.SetPath(0x22, 1) + call.SetMuteMode(1, 1) + call.SetRxMuteMode(1, 1) +
                  call.SetWhisperMode(1, 1) + call.SetVolume(6),
              5);
    const std::string h = std::to_string(hCaller);
    EXPECT_THAT(
        tmxhost::CallTexts(kAvmsCalls),
        ElementsAre("SsmRegisterSoundCallback(2, 0, callback, object)", "AvCreateCaller(2, 33)",
                    "AvSetSoundPath(" + h + ", 34)",
                    // Each mute request sends only its own mode.
                    "AvMuteCaller(" + h + ", 0, 1, 0, 0, 0, 0, 0)",
                    "AvMuteCaller(" + h + ", 0, 0, 1, 0, 0, 0, 0)",
                    "AvSetWhisperMode(" + h + ", 1)", "AvSetCallVolume(" + h + ", 0, 6, 0, 0)"));

    tmxhost::ClearCalls();
    EXPECT_EQ(call.ClosePath(2), 1);
    EXPECT_THAT(tmxhost::CallTexts(kAvmsCalls),
                ElementsAre("AvDeleteCaller(" + h + ")", "SsmUnregisterSoundCallback(2)"));
    EXPECT_THAT(tmxhost::AudioCallers(), IsEmpty());
    EXPECT_EQ(tmxhost::GetSoundState(2), 0);
    // The settings outlive the caller.
    EXPECT_THAT((std::vector<int>{call.GetCaller(), call.GetPath(), call.GetMuteMode(),
                                  call.GetRxMuteMode(), call.GetWhisperMode()}),
                ElementsAre(-1, 0x22, 1, 1, 1));
    EXPECT_THAT(TraceTexts(0x200E6),
                IsSupersetOf(std::vector<std::string>{
                    "CCallCaller::SetPath: iPath (0x21) bApply (0)\n",
                    "CCallCaller::AmSoundHandler: m_hAvCaller (" + h + ")\n",
                    "CCallCaller::OpenPath: Ok - hAvCaller=" + h + "\n",
                    "CCallCaller::SetVolume: volume.leftVolume = 6 \n",
                    "CCallCaller::ClosePath: entered.\n", "CCallCaller::ClosePath: Unregister\n",
                    "CCallCaller::GetPath: m_iSoundPath (0x22)\n"}));
}

TEST_F(AudioPathTest, InvalidAndFakeHandlesRefuseEveryCallerOperationButKeepTheModes) {
    const struct {
        int handle;
        const char* suffix;
    } kCases[] = {{-1, "m_hAvCaller is invalid_hObj\n"}, {-2, "CALL_FAKE_CALL_CALLER_HANDLE\n"}};
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.handle);
        tmxhost::TakeTraces();
        example::AudioCall call;
        EXPECT_EQ(call.SetCaller(c.handle), 1);
        EXPECT_EQ(call.SetMuteMode(1, 1) + call.SetRxMuteMode(1, 1) + call.SetWhisperMode(1, 1) +
                      call.SetVolume(9) + call.ApplyPath(),
                  0);
        EXPECT_EQ(call.SetPath(5, 1), 1);  // whatever ApplyPath answered
        EXPECT_EQ(call.GetMuteMode() + call.GetRxMuteMode() + call.GetWhisperMode(), 3);
        const std::string s = c.suffix;
        EXPECT_THAT(
            TraceTexts(0xBA),
            ElementsAre("CCallCaller::SetMuteMode: " + s, "CCallCaller::SetRxMuteMode: " + s,
                        "CCallCaller::SetWhisperMode: " + s, "CCallCaller::SetVolume: " + s,
                        "CCallCaller::ApplyPath: " + s, "CCallCaller::ApplyPath: " + s));
        // Not applying touches nothing either.
        EXPECT_EQ(call.SetMuteMode(0, 0), 1);
        EXPECT_EQ(call.GetMuteMode(), 0);
    }
    EXPECT_THAT(tmxhost::CallTexts(kAvmsCalls), IsEmpty());
}

TEST_F(AudioPathTest, BusyPriorityRefusesARealCallerAndRegistersAFakeOne) {
    tmxhost::SetSoundState(2, 0, 3);
    example::AudioCall call;
    call.SetCaller(4);
    EXPECT_EQ(call.OpenPath(2), 0);
    EXPECT_THAT(tmxhost::CallTexts(kAvmsCalls), IsEmpty());
    // The same line is a refusal for a real caller only.
    EXPECT_THAT(TraceTexts(0xBA),
                ElementsAre("CCallCaller::OpenPath: state != AM_SNDSTATE_NONE\n"));
    tmxhost::TakeTraces();

    call.SetCaller(-2);
    EXPECT_EQ(call.OpenPath(2), -2);
    EXPECT_THAT(TraceTexts(0x200E6),
                IsSupersetOf({"CCallCaller::SetCaller: m_hAvCaller (-2)\n",
                              "CCallCaller::OpenPath: state != AM_SNDSTATE_NONE\n"}));
    EXPECT_THAT(TraceTexts(0xBA), IsEmpty());
    EXPECT_TRUE(tmxhost::IsSoundCallbackRegistered(2));
    // A fake caller is forgotten, never deleted; the priority is still given back.
    tmxhost::ClearCalls();
    EXPECT_EQ(call.ClosePath(2), 1);
    EXPECT_THAT(tmxhost::CallTexts(kAvmsCalls), ElementsAre("SsmUnregisterSoundCallback(2)"));
    EXPECT_TRUE(tmxhost::HasTrace("CCallCaller::ClosePath: delete AvCaller(-2)\n"));
    EXPECT_EQ(call.GetCaller(), -1);
    // With nothing to close only the entry trace is left.
    tmxhost::ClearCalls();
    EXPECT_EQ(call.ClosePath(2), 1);
    EXPECT_THAT(tmxhost::CallTexts(kAvmsCalls), IsEmpty());
}

TEST_F(AudioPathTest, VirtualPathOpensAndClosesOnceAndLeavesTheCaller) {
    example::AudioCall call;
    EXPECT_EQ(call.OpenVirtualPath(), 1);
    EXPECT_EQ(call.OpenVirtualPath(), 0);
    const int hCaller = call.GetCaller();
    EXPECT_EQ(call.CloseVirtualPath(), 1);
    EXPECT_EQ(call.CloseVirtualPath(), 0);
    EXPECT_THAT(tmxhost::CallTexts(
                    {"SsmRegisterSoundCallback", "SsmUnregisterSoundCallback", "AvDeleteCaller"}),
                ElementsAre("SsmRegisterSoundCallback(0, 0, callback, object)",
                            "SsmUnregisterSoundCallback(0)"));
    EXPECT_THAT(TraceTexts(0xBA),
                ElementsAre("CCallCaller::OpenVirtualPath: state != AM_SNDSTATE_NONE\n",
                            "CCallCaller::CloseVirtualPath: state == AM_SNDSTATE_NONE\n"));
    EXPECT_THAT(TraceTexts(0x200E6),
                IsSupersetOf({"CCallCaller::OpenVirtualPath: AM_SNDPRIO_CALL\n",
                              "CCallCaller::CloseVirtualPath:AM_SNDPRIO_CALL \n"}));
    EXPECT_EQ(call.GetCaller(), hCaller);
    EXPECT_EQ(call.ClosePath(0), 1);  // the application deletes the caller
}

const char kDropped[] = "CCallCaller::AmSoundCallback: no live caller registered priority (%d)\n";

std::string Dropped(int priority) {
    char text[96];
    std::snprintf(text, sizeof(text), kDropped, priority);
    return text;
}

TEST_F(AudioPathTest, LateGrantReachesTheCallerOnlyWhileItIsAlive) {
    tmxhost::SetSoundGrantDelay(100);
    example::AudioCall call;
    EXPECT_EQ(call.OpenPath(2), -1);  // not granted yet
    tmxhost::Advance(100);
    EXPECT_EQ(tmxhost::AudioCallers().size(), 1u);
    EXPECT_EQ(call.GetCaller(), tmxhost::AudioCallers()[0].handle);
    EXPECT_TRUE(tmxhost::HasTrace("CCallCaller::AmSoundCallback: priority (2) cmd (1) type (0)\n"));
    call.ClosePath(2);

    // Destroyed while the grant is still due: nothing is unregistered, and the grant is dropped
    // before it reaches the destroyed object.
    example::AudioCall* pCall = new example::AudioCall;
    pCall->OpenPath(4);
    tmxhost::ClearCalls();
    tmxhost::TakeTraces();
    delete pCall;
    EXPECT_THAT(tmxhost::CallTexts(), IsEmpty());
    tmxhost::Advance(500);
    EXPECT_THAT(tmxhost::AudioCallers(), IsEmpty());
    EXPECT_THAT(TraceTexts(0xBA), ElementsAre(Dropped(4)));
}

int OtherComponentCallback(SsmSoundPriority_T, SsmSoundType_T, SsmSoundCommand_T, void* userData) {
    ++*static_cast<int*>(userData);
    return 1;
}

TEST_F(AudioPathTest, DestroyedCallerLeavesAnotherComponentsRegistration) {
    tmxhost::SetSoundGrantDelay(100);
    example::AudioCall* pCall = new example::AudioCall;
    EXPECT_EQ(pCall->OpenPath(4), -1);
    EXPECT_EQ(pCall->ClosePath(4), 1);  // still pending: nothing to unregister
    int otherCallbacks = 0;
    SsmRegisterSoundCallback(4, 0, OtherComponentCallback, &otherCallbacks, "other", 1);
    tmxhost::ClearCalls();
    delete pCall;
    EXPECT_THAT(tmxhost::CallTexts(), IsEmpty());
    EXPECT_TRUE(tmxhost::IsSoundCallbackRegistered(4));
    tmxhost::Advance(100);
    EXPECT_TRUE(tmxhost::SendSoundCommand(4, 0, 2));
    EXPECT_EQ(otherCallbacks, 2);  // its grant and the command
    EXPECT_THAT(tmxhost::AudioCallers(), IsEmpty());
}

TEST_F(AudioPathTest, DestructionUnregistersOnlyWhatTheCallerStillHolds) {
    example::AudioCall fake;
    fake.SetCaller(-2);
    {
        example::AudioCall first;
        first.OpenVirtualPath();
        first.OpenPath(2);
        first.ClosePath(2);
        // The fake call registers priority 0 over the first caller's registration.
        fake.OpenPath(0);
        tmxhost::ClearCalls();
    }
    EXPECT_THAT(tmxhost::CallTexts(), IsEmpty());
    EXPECT_TRUE(tmxhost::IsSoundCallbackRegistered(0));
    EXPECT_TRUE(tmxhost::SendSoundCommand(0, 0, 2));  // reaches the fake call, which keeps -2
    EXPECT_EQ(fake.GetCaller(), -2);
    fake.ClosePath(0);
    EXPECT_THAT(tmxhost::AudioCallers(), IsEmpty());
}

// Counts grants and paths applied; can close its path from inside the grant.
class CountingCall : public CCallCaller {
public:
    int grants = 0;
    int applied = 0;
    bool closeOnGrant = false;
    int AmSoundHandler(SsmSoundPriority_T priority, SsmSoundType_T, SsmSoundCommand_T) override {
        ++grants;
        if (closeOnGrant) {
            ClosePath(priority);
        }
        return 5;
    }
    int ApplyPath() override {
        ++applied;
        return 0;
    }
};

TEST_F(AudioPathTest, DestroyedCallerIsNeverCalledBack) {
    const int kPriorities = 40;
    CountingCall* pCall = new CountingCall;
    // SetPath applies through the subclass, and only when asked.
    EXPECT_EQ(pCall->SetPath(0x21, 0) + pCall->SetPath(0x22, 1), 2);
    EXPECT_EQ(pCall->applied, 1);
    pCall->OpenVirtualPath();  // priority 0
    for (int priority = 1; priority <= kPriorities; ++priority) {
        pCall->OpenPath(priority);
    }
    EXPECT_EQ(pCall->grants, kPriorities + 1);
    tmxhost::ClearCalls();
    tmxhost::TakeTraces();
    delete pCall;
    EXPECT_THAT(tmxhost::CallTexts(), IsEmpty());
    std::vector<std::string> dropped;
    for (int priority = 0; priority <= kPriorities; ++priority) {
        EXPECT_TRUE(tmxhost::SendSoundCommand(priority, 0, 2)) << priority;
        dropped.push_back(Dropped(priority));
    }
    EXPECT_EQ(TraceTexts(0xBA), dropped);

    // A stale registration whose user data now names another live caller (an address used
    // again) does not reach it either: only the priority's own registrant is called.
    CountingCall other;
    other.OpenPath(kPriorities + 1);
    EXPECT_EQ(CCallCaller::SsmSoundCallback(3, 0, 1, &other), 0);
    EXPECT_EQ(other.grants, 1);

    // The destroyed caller closed nothing: its priorities stay busy until unregistered.
    EXPECT_EQ(other.OpenPath(3), 0);

    // Closed from inside the grant: the caller holds nothing afterwards.
    const int kFree = kPriorities + 2;
    pCall = new CountingCall;
    pCall->closeOnGrant = true;
    EXPECT_EQ(pCall->OpenPath(kFree), 5);
    EXPECT_FALSE(tmxhost::IsSoundCallbackRegistered(kFree));
    EXPECT_EQ(CCallCaller::SsmSoundCallback(kFree, 0, 1, pCall), 0);
    EXPECT_EQ(pCall->grants, 1);
    tmxhost::ClearCalls();
    delete pCall;
    EXPECT_THAT(tmxhost::CallTexts(), IsEmpty());
}

TEST_F(AudioPathTest, CallbackWithoutUserDataIsReported) {
    EXPECT_EQ(CCallCaller::SsmSoundCallback(2, 0, 1, nullptr), 0);
    ExpectReports({"pCaller != NULL"});
    EXPECT_THAT(TraceTexts(0x200E6),
                ElementsAre("CCallCaller::AmSoundCallback: priority (2) cmd (1) type (0)\n"));
}

}  // namespace
