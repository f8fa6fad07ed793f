// The video caller ID: ring timelines of each call-alert type on the virtual clock, stop and
// destroy by the player state, the availability test, frame grabs, bad input, and unloading
// with a player still alive.
#include <algorithm>
#include <cstring>

#include "CallCommonSvc/H/CallCommonSvc.h"
#include "CallCommonSvc/VoiceVideoCommonSvc/Mgr/CallVideoCLI.h"
#include "support/HostTest.h"

using ::testing::Contains;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

namespace {

const std::vector<std::string> kVolumeCalls = {"AvSetPlayerVolume", "AvSetPlayerMute",
                                               "AvGetPlayerMute"};

class VideoCliTest : public LoadedTest {
protected:
    void SetUp() override {
        LoadedTest::SetUp();
        m_window = tmxhost::CreateWindow(0, 40, 240, 180);
    }

    // A 3 s clip at 10 frames a second, 64 x 48; frame i is red, green or blue by i % 3.
    const std::string& Clip() {
        if (m_clip.empty()) {
            m_clip = tmxhost::DataRoot() + "/ring.mp4";
            tmxhost::VideoClip clip;
            clip.colors = {0xFF0000, 0x00FF00, 0x0000FF};
            std::string error;
            EXPECT_TRUE(tmxhost::WriteVideo(m_clip, clip, &error)) << error;
        }
        return m_clip;
    }

    void TearDown() override {
        CallCommonSvcVCLIDestroy();
        tmxhost::DestroyWindow(m_window);
        LoadedTest::TearDown();
    }

    // The application's set-up, up to a created player; the call log starts after it.
    void Create(const std::string& path) {
        CallCommonSvcVCLIInit();
        ASSERT_EQ(CallCommonSvcVCLISetPath(const_cast<char*>(path.c_str())), 1);
        CallCommonSvcVCLISetVibAlertInfo(const_cast<char*>(""));
        ASSERT_EQ(CallCommonSvcVCLISetGc(m_window), 1);
        ASSERT_EQ(CallCommonSvcVCLICreate(7), 1);
        m_createdLevel = Player().volumeLevel;
        m_start = tmxhost::Now();
        tmxhost::ClearCalls();
    }

    int Ring(int alertType, int ringVolume) {
        tmxhost::SetNvInt(17, alertType);
        tmxhost::SetNvInt(18, ringVolume);
        Create(Clip());
        tagWMRECT rect = {0, 40, 240, 180};
        return CallCommonSvcVCLIStart(&rect, 0);
    }

    // The volume and mute calls with the time they were made since the player's creation.
    std::vector<std::string> Timeline() const {
        std::vector<std::string> lines;
        for (const tmxhost::Call& call : tmxhost::Calls()) {
            if (std::find(kVolumeCalls.begin(), kVolumeCalls.end(), call.name) !=
                kVolumeCalls.end()) {
                lines.push_back(std::to_string(call.time - m_start) + " " + call.Text());
            }
        }
        return lines;
    }

    static tmxhost::PlayerView Player() {
        std::vector<tmxhost::PlayerView> players = tmxhost::Players();
        return players.size() == 1 ? players[0] : tmxhost::PlayerView{};
    }

    std::string m_clip;
    int m_window = -1;
    int m_createdLevel = -1;  // the player's level before the ring sets one
    long long m_start = 0;
};

TEST_F(VideoCliTest, EachAlertTypeRingsItsTimeline) {
    // "ms since the start" and the call, on player 0.
    auto volume = [](int ms, int flag, int level) {
        return std::to_string(ms) + " AvSetPlayerVolume(0, " + std::to_string(flag) + ", " +
               std::to_string(level) + ", 0, 0)";
    };
    const std::string mute = "0 AvSetPlayerMute(0, 1, 1)";
    const struct {
        int type, volume;
        long long end;          // when the last timer is gone; 0: none runs
        bool vibrating, ledOn;  // at the end
        std::vector<std::string> timeline;
    } kCases[] = {
        // Escalation in steps of 16 that stops below the ring volume.
        {2, 40, 9000, false, false, {volume(0, 1, 0), volume(3000, 1, 16), volume(6000, 1, 32)}},
        {2, 10, 3000, false, false, {volume(0, 1, 0)}},
        // A negative ring volume rings like one below 16, never past the table.
        {2, -40, 3000, false, false, {volume(0, 1, 0)}},
        {6, 112, 0, true, false, {}},
        {5, 80, 4000, true, false, {volume(0, 0, 7), volume(2000, 1, 80)}},
        // Silent vibration for the lead-in, then the ring volume without vibration.
        {4,
         50,
         8000,
         false,
         false,
         {volume(0, 0, 0), mute, "6000 AvGetPlayerMute(0)", "6000 AvSetPlayerMute(0, 0, 0)",
          volume(6000, 0, 50)}},
        {3, 50, 0, false, true, {volume(0, 0, 0), mute}},
        {7, 50, 0, false, false, {}},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(testing::Message() << "type " << c.type << " volume " << c.volume);
        tmxhost::TakeTraces();
        ASSERT_EQ(Ring(c.type, c.volume), 1);
        tmxhost::Advance(c.end == 0 ? 10000 : c.end - 1);
        if (c.end != 0) {
            EXPECT_FALSE(tmxhost::Timers().empty()) << "ended early";
            tmxhost::Advance(1 + 10000);
        }
        EXPECT_THAT(tmxhost::Timers(), IsEmpty());
        EXPECT_EQ(Timeline(), c.timeline);
        EXPECT_EQ(!tmxhost::Vibrations().empty(), c.vibrating);
        EXPECT_EQ(!tmxhost::LedBlinks().empty(), c.ledOn);
        EXPECT_EQ(Player().state, "playing");
        if (c.timeline.empty()) {
            EXPECT_EQ(Player().volumeLevel, m_createdLevel);
        }
        EXPECT_EQ(
            tmxhost::HasTrace("CCallVideoCLIInfo::SetVolume: Not defined call alert type!\n", 0xBA),
            c.type == 7);
        ExpectReports(c.volume >= 112 ? std::vector<std::string>{"nStepMax <= VCLI_STEP_COUNT_MAX"}
                                      : std::vector<std::string>{});
        // Stop and Destroy end the LED, the vibration and the player.
        EXPECT_EQ(CallCommonSvcVCLIStop(), 1);
        EXPECT_EQ(CallCommonSvcVCLIDestroy(), 1);
        EXPECT_THAT(tmxhost::Players(), IsEmpty());
        EXPECT_TRUE(tmxhost::Vibrations().empty() && tmxhost::LedBlinks().empty());
        EXPECT_FALSE(tmxhost::IsSoundCallbackRegistered(4));
    }
}

TEST_F(VideoCliTest, MuteSilencesTheRingButKeepsTheVibration) {
    ASSERT_EQ(Ring(6, 48), 1);
    tmxhost::Advance(3000);
    EXPECT_EQ(CallCommonSvcVCLIIsMuteVolume(), 0);
    EXPECT_EQ(CallCommonSvcVCLIMuteVolume(), 1);
    EXPECT_EQ(CallCommonSvcVCLIIsMuteVolume(), 1);
    EXPECT_THAT(tmxhost::Timers(), IsEmpty());
    EXPECT_TRUE(Player().muted);
    EXPECT_EQ(Player().volumeLevel, 0);
    EXPECT_FALSE(tmxhost::Vibrations().empty());
}

TEST_F(VideoCliTest, StopStopsOrDestroysByTheReportedState) {
    for (int state = -1; state <= 10; ++state) {
        SCOPED_TRACE(state);
        ASSERT_EQ(Ring(1, 30), 1);
        ASSERT_EQ(CallCommonSvcVCLISetAvmsState(state), 1);
        const bool stoppable = state != 2 && state != 3 && state != 6;
        EXPECT_EQ(CallCommonSvcVCLIIsPlayerStopPossible(), stoppable ? 1 : 0);
        EXPECT_EQ(CallCommonSvcVCLIIsPlayerResuming(), state == 4 ? 1 : 0);
        const bool destroys = state == 0 || state >= 7;
        EXPECT_EQ(CallCommonSvcVCLIStop(), destroys ? 0 : 1);
        EXPECT_THAT(tmxhost::Timers(), IsEmpty());
        if (destroys) {
            EXPECT_THAT(tmxhost::Players(), IsEmpty());
            EXPECT_EQ(CallCommonSvcVCLIGetPlayer(), -1);
        } else {
            EXPECT_EQ(Player().state, "stopped");
            EXPECT_EQ(CallCommonSvcVCLIGetAvmsState(), 2);
            EXPECT_FALSE(tmxhost::IsSoundCallbackRegistered(4));
            EXPECT_EQ(CallCommonSvcVCLIDestroy(), 1);
        }
    }
    // A refused stop still unregisters and keeps the player.
    ASSERT_EQ(Ring(1, 30), 1);
    tmxhost::FailCall("AvStopPlayer", 0);
    EXPECT_EQ(CallCommonSvcVCLIStop(), 0);
    EXPECT_FALSE(tmxhost::IsSoundCallbackRegistered(4));
    EXPECT_EQ(Player().state, "playing");
}

TEST_F(VideoCliTest, PlaysOnlyWithoutSosWaitVoiceCallOrStreaming) {
    const struct {
        int sos, voice, stream, expected;
        const char* trace;
    } kCases[] = {
        {0, 0, 0, 1, nullptr},
        {2, 0, 0, 0, "CCallVideoCLIInfo::IsPlayAvail : SOS Waiting state !! \n"},
        {3, 3, 3, 0, "CCallVideoCLIInfo::IsPlayAvail : SOS Waiting state !! \n"},
        {0, 3, 0, 0, "CCallVideoCLIInfo::IsPlayAvail : Voice 1st call is connected !! \n"},
        {0, 1, 0, 1, nullptr},
        {0, 0, 1, 0, "CCallVideoCLIInfo::IsPlayAvail :Streaming is alive !! \n"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(testing::Message() << c.sos << c.voice << c.stream);
        tmxhost::TakeTraces();
        tmxhost::SetPhoneStatus(45, c.sos);
        tmxhost::SetSoundState(2, 0, c.voice);
        tmxhost::SetSoundState(19, 0, c.stream);
        EXPECT_EQ(CallCommonSvcVCLIIsPlayAvail(), c.expected);
        EXPECT_EQ(TraceTexts(0xBA),
                  c.trace ? std::vector<std::string>{c.trace} : std::vector<std::string>{});
    }
}

TEST_F(VideoCliTest, GrabsTheFirstAndLastFrames) {
    Create(Clip());
    // The 64 x 48 clip is scaled only when the box is not larger both ways. The first frame is
    // the one at one second (frame 10: green); the last follows the player's position.
    tagWMBITMAP* pFirst = CallCommonSvcVCLIGetFirstFrame(80, 64);
    tagWMBITMAP* pFit = CallCommonSvcVCLIGetFirstFrame(64, 64);
    tagWMRECT rect = {0, 40, 240, 180};
    ASSERT_EQ(CallCommonSvcVCLIStart(&rect, 0), 1);
    tmxhost::Advance(2500);
    tagWMBITMAP* pLast = CallCommonSvcVCLIGetLastFrame(80, 64);
    ASSERT_TRUE(pFirst && pFit && pLast);
    EXPECT_THAT(tmxhost::CallTexts({"AvGetVideoFrame"}),
                ElementsAreArray({"AvGetVideoFrame(\"" + m_clip + "\", 80, 64, 1000, 1, 0)",
                                  "AvGetVideoFrame(\"" + m_clip + "\", 64, 64, 1000, 1, 1)",
                                  "AvGetVideoFrame(\"" + m_clip + "\", 80, 64, 2000, 1, 0)"}));
    const uint16_t centre = static_cast<const uint16_t*>(pFirst->pBits)[32 * 80 + 40];
    EXPECT_TRUE((centre >> 5 & 0x3F) > 48 && (centre >> 11) < 8 && (centre & 0x1F) < 8)
        << std::hex << centre;
    EXPECT_EQ(static_cast<int>(pFirst->rectW), 80);
    EXPECT_GT(Player().framesShown, 0);
    // The caller frees descriptor and pixels with one call; the fixture checks nothing is left.
    for (tagWMBITMAP* pBitmap : {pFirst, pFit, pLast}) {
        EXPECT_EQ(_WmFreeBitmap(pBitmap, 0, "test", __LINE__), 1);
    }

    // No player: the last frame is the one at one second.
    EXPECT_EQ(CallCommonSvcVCLIDestroy(), 1);
    tmxhost::ClearCalls();
    tagWMBITMAP* pNoPlayer = CallCommonSvcVCLIGetLastFrame(16, 16);
    EXPECT_THAT(tmxhost::CallTexts({"AvGetVideoFrame"}),
                ElementsAreArray({"AvGetVideoFrame(\"" + m_clip + "\", 16, 16, 1000, 1, 1)"}));
    EXPECT_TRUE(
        tmxhost::HasTrace("CCallVideoCLIInfo::GetLastFrame : hPlayerVideoCLI is INVALID_HOBJ.\n "));
    _WmFreeBitmap(pNoPlayer, 0, "test", __LINE__);
}

// A descriptor can reuse a block whose old contents still name a live block: the grab that
// fails on its pixels must not free that block through the stale pixel pointer.
TEST_F(VideoCliTest, FailedGrabsReleaseOnlyTheirOwnBlocks) {
    void* pLive = MemAllocTraceEx(0, 64, "test", __LINE__);
    std::vector<void*> stale;
    for (int i = 0; i < 7; ++i) {
        stale.push_back(MemAllocTraceEx(0, sizeof(tagWMBITMAP), "t", __LINE__));
        static_cast<tagWMBITMAP*>(stale.back())->pBits = pLive;
    }
    for (void* pBlock : stale) {
        MemFreeTraceMultiHeap(pBlock, "t", __LINE__);
    }
    tmxhost::FailCall("MemAllocTraceEx", 0, 2);
    EXPECT_EQ(CallCommonSvcVCLIGetFirstFrame(16, 16), nullptr);
    EXPECT_TRUE(_MemIsHeapAddr(pLive));
    MemFreeTraceMultiHeap(pLive, "test", __LINE__);

    // Each other failure: descriptor, pixels of an impossible box, video information, frame.
    CallCommonSvcVCLISetPath(const_cast<char*>(Clip().c_str()));
    const struct {
        const char* fail;
        int width;
        const char* trace;
    } kCases[] = {
        {"MemAllocTraceEx", 16, "CCallVideoCLIInfo::GetFirstFrame : pbmFirstFrame malloc fail \n"},
        {nullptr, -16, "CCallVideoCLIInfo::GetFirstFrame : pFrameBuffer malloc fail \n"},
        {nullptr, 1 << 20, "CCallVideoCLIInfo::GetFirstFrame : pFrameBuffer malloc fail \n"},
        {"AvGetVideoInfo", 16, "CCallVideoCLIInfo::GetFirstFrame: AvGetVideoInfo() failed"},
        {"AvGetVideoFrame", 16, "CCallVideoCLIInfo::GetFirstFrame : AvGetVideoFrame fail \n"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.trace);
        tmxhost::TakeTraces();
        if (c.fail != nullptr) {
            tmxhost::FailCall(c.fail, 0);
        }
        EXPECT_EQ(CallCommonSvcVCLIGetFirstFrame(c.width, 1 << 12), nullptr);
        EXPECT_THAT(TraceTexts(0xBA), Contains(c.trace));
    }
}

TEST_F(VideoCliTest, BadInputNeverBreaksTheRing) {
    // States outside -1 to 10 are refused and leave the last one.
    for (int state : {-2, 11, 1000, -1000}) {
        EXPECT_EQ(CallCommonSvcVCLISetAvmsState(state), 0);
        ExpectReports(
            {"(iCurrentAvmsState >= CALL_VCLI_AVMS_STATE_INVALID)&&(iCurrentAvmsState < "
             "CALL_VCLI_AVMS_STATE_MAX)"});
    }
    EXPECT_EQ(CallCommonSvcVCLIGetAvmsState(), -1);

    // No player: nothing to stop, destroy, mute or ask; Start fails but still rings.
    EXPECT_EQ(
        CallCommonSvcVCLIStop() + CallCommonSvcVCLIDestroy() + CallCommonSvcVCLIIsMuteVolume(), 0);
    EXPECT_EQ(CallCommonSvcVCLIMuteVolume(), 1);
    tagWMRECT rect = {0, 0, 10, 10};
    EXPECT_EQ(CallCommonSvcVCLIStart(nullptr, 0), 0);
    ExpectReports({"pRect != NULL"});
    EXPECT_EQ(CallCommonSvcVCLIStart(&rect, 0), 0);
    EXPECT_EQ(CallCommonSvcVCLIStop(), 0);

    // Paths are kept to 771 characters.
    CCallVideoCLIInfo* pInfo = CCallVideoCLIInfo::GetInstance();
    for (std::size_t length : {771u, 772u, 5000u}) {
        std::string path(length, 'v');
        EXPECT_EQ(CallCommonSvcVCLISetPath(path.data()), 1);
        EXPECT_EQ(std::strlen(pInfo->m_szFilePath), 771u);
        EXPECT_EQ(CallCommonSvcVCLICreate(1), 0);
    }
    EXPECT_EQ(CallCommonSvcVCLISetPath(nullptr), 0);
    ExpectReports({"szFilePath != NULL"});

    // Every alert type with every ring volume ends its sequence by itself at its level.
    Create(Clip());
    int refused = 0;
    for (int type = -1; type <= 9; ++type) {
        for (int volume = 0; volume <= 255; ++volume) {
            tmxhost::SetNvInt(17, type);
            tmxhost::SetNvInt(18, volume);
            const int before = Player().volumeLevel;
            pInfo->SetVolume();
            tmxhost::Advance(25000);
            ASSERT_THAT(tmxhost::Timers(), IsEmpty()) << type << " " << volume;
            const bool escalating = type == 2 || type == 6;
            int level = volume;
            if (escalating) {
                refused += volume >= 112;
                level = volume >= 112 ? before : volume / 16 * 16;
            } else if (type == 0 || type == 3 || type == 8) {
                level = 0;
            } else if (type < 0 || type == 7 || type == 9) {
                level = before;
            }
            ASSERT_EQ(Player().volumeLevel, level) << type << " " << volume;
            CallVibStop();
            CallLedClear();
        }
    }
    EXPECT_EQ(tmxhost::TakeReports().size(), static_cast<std::size_t>(refused));
    EXPECT_EQ(refused, 2 * 144);
}

// Unloading mid-ring takes back the player, the timers and the sound registration, so that
// neither the clock nor the sound manager reaches the deleted object.
TEST_F(VideoCliTest, UnloadWithALivePlayerReleasesIt) {
    ASSERT_EQ(Ring(6, 100), 1);
    ASSERT_FALSE(tmxhost::Players().empty());
    Unload();
    EXPECT_THAT(tmxhost::Players(), IsEmpty());
    EXPECT_THAT(tmxhost::Timers(), IsEmpty());
    EXPECT_FALSE(tmxhost::IsSoundCallbackRegistered(4));
    tmxhost::ClearCalls();
    tmxhost::Advance(30000);
    EXPECT_THAT(tmxhost::Calls(), IsEmpty());
    Load();

    // A failed create keeps its registration; unloading still takes it back.
    tmxhost::FailCall("AvCreatePlayer", 99);
    CallCommonSvcVCLISetPath(const_cast<char*>(Clip().c_str()));
    EXPECT_EQ(CallCommonSvcVCLICreate(1), 0);
    EXPECT_EQ(CallCommonSvcVCLIGetPlayer(), 99);
    EXPECT_TRUE(tmxhost::IsSoundCallbackRegistered(4));
    Unload();
    EXPECT_FALSE(tmxhost::IsSoundCallbackRegistered(4));
    Load();
}

}  // namespace
