// The host's sound-state manager, signals and effect sounds on their own.
#include <tuple>

#include "CallCommonSvc/H/CallCommonSvc.h"
#include "CallCommonSvc/Platform/TmxAppFrmwk.h"
#include "CallCommonSvc/VoiceVideoCommonSvc/Mgr/CallSound.h"
#include "support/HostTest.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

std::vector<std::string> g_log;

int Record(SsmSoundPriority_T priority, SsmSoundType_T type, SsmSoundCommand_T cmd, void* data) {
    g_log.push_back(std::string(static_cast<const char*>(data)) + " " + std::to_string(priority) +
                    "/" + std::to_string(type) + "/" + std::to_string(cmd));
    return 1;
}

int Finished(void*) {
    g_log.push_back("finished");
    return 1;
}

class MediaHostTest : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        g_log.clear();
    }
};

TEST_F(MediaHostTest, LateGrantGoesToTheLatestRegistrationOnly) {
    tmxhost::SetSoundGrantDelay(50);
    tmxhost::SetSoundState(2, 7, 0);
    char first[] = "first", second[] = "second";
    EXPECT_EQ(SsmRegisterSoundCallback(2, 0, Record, first, "test", 1), 1);
    tmxhost::Advance(20);
    EXPECT_EQ(SsmRegisterSoundCallback(2, 0, Record, second, "test", 2), 1);
    EXPECT_EQ(tmxhost::GetSoundState(2), 0);  // not granted yet
    tmxhost::Advance(100);
    EXPECT_THAT(g_log, ElementsAre("second 2/7/1"));
    int type = 0, state = 0;
    EXPECT_EQ(SsmGetSoundState(2, &type, &state), 1);
    EXPECT_EQ(type * 10 + state, 73);

    EXPECT_EQ(SsmUnregisterSoundCallback(2, "test", 3), 1);
    EXPECT_EQ(SsmUnregisterSoundCallback(2, "test", 4), 0);
    EXPECT_EQ(tmxhost::GetSoundState(2), 0);
    EXPECT_FALSE(tmxhost::SendSoundCommand(2, 0, 1));
}

TEST_F(MediaHostTest, CountedSignalsEndByThemselves) {
    const int hLed = AmLedBlink(0, 1, 20, 80, 3);
    const int hVib = AmVibStart(100, 1560, 500, -1);
    tmxhost::Advance(299);
    EXPECT_EQ(tmxhost::LedBlinks().size(), 1u);
    tmxhost::Advance(1);
    EXPECT_THAT(tmxhost::LedBlinks(), IsEmpty());
    EXPECT_EQ(AmLedClear(hLed), 0);
    tmxhost::Advance(60000);
    EXPECT_EQ(AmVibStop(hVib), 1);
    EXPECT_EQ(AmVibStop(hVib), 0);
}

TEST_F(MediaHostTest, EffectPlayedOnceFinishesUnlessStoppedOrReplayed) {
    void* pObj = nullptr;
    EXPECT_EQ(AppSndQueryInterface(3, &pObj), 0);
    EXPECT_EQ(pObj, nullptr);
    ASSERT_EQ(AppSndQueryInterface(APPSND_IID_EFFECT_PLAYER, &pObj), 1);
    AppSndEffectPlayer* pPlayer = static_cast<AppSndEffectPlayer*>(pObj);
    tmxhost::SetEffectDuration(100);
    pPlayer->pOps->Play(pPlayer, 1, Finished, 0, 0);
    tmxhost::Advance(60);
    pPlayer->pOps->Play(pPlayer, 1, Finished, 0, 0);  // starts over
    tmxhost::Advance(60);
    EXPECT_THAT(g_log, IsEmpty());
    tmxhost::Advance(40);
    EXPECT_THAT(g_log, ElementsAre("finished"));

    pPlayer->pOps->SetRepeat(pPlayer, 2, APPSND_REPEAT_ON);
    pPlayer->pOps->Play(pPlayer, 2, Finished, 0, 1);
    pPlayer->pOps->Play(pPlayer, 3, Finished, 0, 0);
    EXPECT_EQ(AppSndStopEffectSound(3), 1);
    tmxhost::Advance(1000);
    EXPECT_EQ(g_log.size(), 1u);
    ASSERT_EQ(tmxhost::Effects().size(), 3u);
    EXPECT_TRUE(tmxhost::Effects()[1].playing && tmxhost::Effects()[1].vibrate);
    EXPECT_EQ(pPlayer->pOps->Release(pPlayer), 1);
    EXPECT_EQ(tmxhost::EffectPlayers(), 0);
}

TEST_F(MediaHostTest, PlayerOfAResetPlatformIsReleasedLater) {
    CCallSound sound;
    tmxhost::Reset();
    EXPECT_EQ(tmxhost::EffectPlayers(), 0);
    EXPECT_EQ(sound.SetPath(1, 0x11), 1);
}

TEST_F(MediaHostTest, ForwardingInterrogationIsAnsweredOnTheClock) {
    std::vector<tmxhost::ForwardingAnswer> answers;
    tmxhost::SetCallForwarding("+441632960999");
    tmxhost::SetForwardingListener(
        [&answers](const tmxhost::ForwardingAnswer& answer) { answers.push_back(answer); });
    EXPECT_EQ(CallInterrogateForwardState(), 1);
    EXPECT_THAT(answers, IsEmpty());
    tmxhost::Advance(100);
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(
        std::tie(answers[0].reason, answers[0].serviceClass, answers[0].active, answers[0].number),
        std::make_tuple(0x21, 1, true, std::string("+441632960999")));
}

}  // namespace
