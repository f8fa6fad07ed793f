// Effect sounds: repeat mode before play, the started types stopped once each in ascending
// order, and a missing player object.
#include "CallCommonSvc/VoiceVideoCommonSvc/Mgr/CallSound.h"
#include "support/HostTest.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

int Done(void*) {
    return 1;
}

std::vector<std::string> EffectCalls() {
    std::vector<std::string> texts;
    for (const tmxhost::Call& call : tmxhost::Calls()) {
        if (call.name.rfind("AppSndEffect", 0) == 0) {
            texts.push_back(call.Text());
        }
    }
    tmxhost::ClearCalls();
    return texts;
}

class EffectSoundTest : public HostTest {};

TEST_F(EffectSoundTest, RepeatModeIsSetBeforeEachPlay) {
    CCallSound sound;
    EXPECT_EQ(sound.Play(5, 1, 0, Done), 1);
    EXPECT_EQ(sound.Play(5, 0, 1, nullptr), 1);
    EXPECT_EQ(sound.Play(6, 2, 1, 0, Done), 1);
    EXPECT_THAT(EffectCalls(),
                ElementsAre("AppSndEffectSetRepeat(5, 3)", "AppSndEffectPlay(5, callback, 0, 0)",
                            "AppSndEffectSetRepeat(5, 0)", "AppSndEffectPlay(5, NULL, 0, 1)",
                            "AppSndEffectSetRepeat(6, 3)",
                            "AppSndEffectPlayWithType(6, 2, callback, 0, 0)"));
    EXPECT_THAT(
        TraceTexts(0x200E6),
        ElementsAre("CCallSound::Play: iEffectType (5) bRepeat (1) bVib (0)\n",
                    "CCallSound::Play: iEffectType (5) bRepeat (0) bVib (1)\n",
                    "CCallSound::Play: iEffectType (6) iSndype (2) bRepeat (1) bVib (0)\n"));
    EXPECT_EQ(sound.SetVolume(5, 40), 1);
    EXPECT_EQ(sound.SetPath(5, 0x11), 1);
    EXPECT_THAT(EffectCalls(),
                ElementsAre("AppSndEffectSetVolume(5, 0, 40, 0, 0)", "AppSndEffectSetPath(5, 17)"));
    // The player's own answer comes back.
    tmxhost::FailCall("AppSndEffectPlay", 7);
    EXPECT_EQ(sound.Play(8, 0, 0, nullptr), 7);
    sound.Stop();
}

// Records the types it is asked to stop and keeps them in the started set.
class RecordingSound : public CCallSound {
public:
    using CCallSound::Stop;
    std::vector<int> stopped;
    int Stop(int iEffectType) override {
        stopped.push_back(iEffectType);
        return 0;
    }
};

TEST_F(EffectSoundTest, StopAllEndsEachStartedTypeOnceInAscendingOrder) {
    CCallSound sound;
    for (int type : {7, 3, 7}) {
        sound.Play(type, 1, 0, nullptr);
    }
    // A type never played still reaches the platform and changes nothing here.
    EXPECT_EQ(sound.Stop(9), 0);
    tmxhost::ClearCalls();
    tmxhost::FailCall("AppSndEffectStop", 0);  // Stop() answers 1 all the same
    EXPECT_EQ(sound.Stop(), 1);
    EXPECT_THAT(EffectCalls(), ElementsAre("AppSndEffectStop(3)", "AppSndEffectStop(7)"));
    EXPECT_EQ(sound.Stop(), 1);
    EXPECT_THAT(EffectCalls(), IsEmpty());

    // Through an override of Stop(int) that keeps the types, still once each.
    RecordingSound recording;
    for (int type : {9, 2, 9, 4}) {
        recording.Play(type, 0, 0, nullptr);
    }
    EXPECT_EQ(recording.Stop() + recording.Stop(), 2);
    EXPECT_THAT(recording.stopped, ElementsAre(2, 4, 9));
}

TEST_F(EffectSoundTest, DestructionReleasesThePlayerAndLeavesSoundsPlaying) {
    CCallSound* pSound = new CCallSound;
    EXPECT_EQ(tmxhost::EffectPlayers(), 1);
    pSound->Play(4, 1, 0, nullptr);
    delete pSound;
    EXPECT_EQ(tmxhost::EffectPlayers(), 0);
    ASSERT_EQ(tmxhost::Effects().size(), 1u);
    EXPECT_TRUE(tmxhost::Effects()[0].playing);
    EXPECT_EQ(AppSndStopEffectSound(4), 1);
}

TEST_F(EffectSoundTest, MissingPlayerRefusesEverythingButStopAll) {
    tmxhost::FailCall("AppSndQueryInterface", 0);
    {
        CCallSound sound;
        EXPECT_EQ(sound.Play(1, 0, 0, Done), 0);
        EXPECT_EQ(sound.Play(1, 2, 0, 0, Done), 0);
        EXPECT_EQ(sound.Stop(1), 0);
        EXPECT_EQ(sound.SetPath(1, 2), 0);
        EXPECT_EQ(sound.SetVolume(1, 2), 0);
        EXPECT_EQ(sound.Repeat(1, 1), 0);
        EXPECT_EQ(sound.Stop(), 1);
    }
    // Construction, six operations and destruction.
    ExpectReports(std::vector<std::string>(8, "m_pPlayObj != NULL"));
    EXPECT_THAT(EffectCalls(), IsEmpty());
}

}  // namespace
