// Flash caller ID: the ring of each call-alert type on the clock, muting, the player handle,
// the first-frame grab, failures of the Flash engine, and unloading with a Flash alive.
#include "CallCommonSvc/H/CallCommonSvc.h"
#include "CallCommonSvc/VoiceVideoCommonSvc/Mgr/CallFlashCLI.h"
#include "support/HostTest.h"
#include "support/SwfMaker.h"

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;
using ::testing::SizeIs;

namespace {

const unsigned kFail = 0xBA;

// A 20 x 20 movie of two frames on a background, with these extra tags (code, body).
std::string WriteSwf(const std::string& name, std::uint32_t rgb,
                     const std::vector<std::pair<int, swfmaker::Bytes>>& tags = {}) {
    swfmaker::Movie movie(20, 20, 12);
    movie.Background(rgb);
    for (const auto& [code, body] : tags) {
        movie.Tag(code, body);
    }
    const std::string path = tmxhost::DataRoot() + "/" + name;
    EXPECT_TRUE(movie.ShowFrame().ShowFrame().Write(path));
    return path;
}

const std::pair<int, swfmaker::Bytes> kVideoStream{60, {1, 0, 2, 0, 16, 0, 16, 0, 0, 2}};
const std::pair<int, swfmaker::Bytes> kSoundStream{18, {8, 8, 0, 0}};

class FlashCliTest : public LoadedTest {
protected:
    void SetUp() override {
        LoadedTest::SetUp();
        m_path = WriteSwf("ring.swf", 0xFF0000);
        m_hWnd = tmxhost::CreateWindow(0, 0, 240, 320);
        m_fcli = CCallFlashCLIInfo::GetInstance();
        m_fcli->SetPath(m_path.data());
    }
    void TearDown() override {
        if (!m_unloaded) {
            Unload();
        }
        EXPECT_THAT(tmxhost::FlashInstances(), IsEmpty());
        tmxhost::DestroyWindow(m_hWnd);
        LoadedTest::TearDown();
    }

    // Rings the file with this alert type and ring volume; the call log starts after it.
    void Ring(int alertType, int ringVolume) {
        tmxhost::SetNvInt(17, alertType);
        tmxhost::SetNvInt(18, ringVolume);
        ASSERT_EQ(CallCommonSvcFCLIInit(), 1);
        ASSERT_EQ(CallCommonSvcFCLISetPath(m_path.data()), 1);
        ASSERT_EQ(CallCommonSvcFCLISetGc(m_hWnd), 1);
        tagWMRECT rect = {10, 20, 120, 90};
        ASSERT_EQ(CallCommonSvcFCLICreate(&rect), 1);
        tmxhost::ClearCalls();
        ASSERT_EQ(CallCommonSvcFCLIPlay(), 1);
    }

    tmxhost::FlashView View() {
        std::vector<tmxhost::FlashView> views = tmxhost::FlashInstances();
        EXPECT_THAT(views, SizeIs(1));
        return views.empty() ? tmxhost::FlashView{} : views[0];
    }

    // The sound, vibration and LED calls since `start`: "ms level N", "ms mute B", "ms AmVibStart".
    std::vector<std::string> SoundLog(long long start) {
        std::vector<std::string> log;
        for (const tmxhost::Call& call : tmxhost::Calls()) {
            std::string what;
            if (call.name.rfind("Am", 0) == 0) {
                what = call.name;
            } else if (call.name == "WmeSetFlashVolumeLevel" || call.name == "WmeMuteFlashSound") {
                EXPECT_EQ(call.args[0], std::to_string(m_fcli->m_hFlash));
                what = (call.name == "WmeMuteFlashSound" ? "mute " : "level ") + call.args[1];
            } else {
                continue;
            }
            log.push_back(std::to_string(call.time - start) + " " + what);
        }
        return log;
    }

    std::string m_path;
    int m_hWnd = -1;
    bool m_unloaded = false;
    CCallFlashCLIInfo* m_fcli = nullptr;
};

struct AlertCase {
    int alertType;
    int ringVolume;
    std::vector<std::string> log;  // over 12000 ms of ringing
    bool soundOn;                  // at the end
    std::size_t vibrations;
    std::vector<std::string> reports;
};

TEST_F(FlashCliTest, EachAlertTypeRingsOnTheClockAndStopEndsIt) {
    const AlertCase cases[] = {
        {0, 50, {"0 level 0", "0 mute 1", "0 AmVibStart"}, false, 1, {}},
        {1, 50, {"0 level 7", "2000 level 50"}, true, 0, {}},
        {2, 40, {"0 level 0", "3000 level 16", "6000 level 32"}, true, 0, {}},
        {2, 10, {"0 level 0"}, true, 0, {}},
        // A negative ring volume neither loses the ring nor walks past the table.
        {2, -40, {"0 level 0"}, true, 0, {}},
        {3, 50, {"0 level 0", "0 mute 1", "0 AmLedBlink"}, false, 0, {}},
        {4,
         60,
         {"0 level 0", "0 mute 1", "0 AmVibStart", "6000 mute 0", "6000 AmVibStop",
          "6000 level 60"},
         true,
         0,
         {}},
        {5, 80, {"0 level 7", "0 AmVibStart", "2000 level 80"}, true, 1, {}},
        {6, 112, {"0 AmVibStart"}, true, 1, {"nStepMax <= FCLI_STEP_COUNT_MAX"}},
        {7, 50, {}, true, 0, {}},
        {8, 50, {"0 level 0", "0 mute 1"}, false, 0, {}},
        {-1, 50, {}, true, 0, {}},
    };
    for (const AlertCase& c : cases) {
        SCOPED_TRACE("alert type " + std::to_string(c.alertType) + " volume " +
                     std::to_string(c.ringVolume));
        const long long start = tmxhost::Now();
        Ring(c.alertType, c.ringVolume);
        tmxhost::Advance(12000);
        std::vector<std::string> log = SoundLog(start);
        EXPECT_THAT(log, ElementsAreArray(c.log));
        EXPECT_EQ(View().soundOn, c.soundOn);
        EXPECT_THAT(tmxhost::Vibrations(), SizeIs(c.vibrations));
        EXPECT_THAT(tmxhost::Timers(), IsEmpty()) << "every series ends by itself";
        ExpectReports(c.reports);
        EXPECT_EQ(tmxhost::HasTrace("CCallFlashCLIInfo::SetVolume: Not defined call alert type!\n",
                                    kFail),
                  c.alertType == 7 || c.alertType == -1);
        EXPECT_EQ(CallCommonSvcFCLIStop(), 1);
        EXPECT_THAT(tmxhost::Vibrations(), IsEmpty());
        EXPECT_THAT(tmxhost::LedBlinks(), IsEmpty());
        EXPECT_EQ(CallCommonSvcFCLIDestroy(), 1);
        tmxhost::DestroyWindow(m_hWnd);  // with the overlay GC
        m_hWnd = tmxhost::CreateWindow(0, 0, 240, 320);
        tmxhost::TakeTraces();
    }
}

TEST_F(FlashCliTest, MuteHoldsLevelMinus16AndUnmuteKeepsIt) {
    Ring(2, 40);
    tmxhost::Advance(3000);
    EXPECT_EQ(View().volumeLevel, 16);
    EXPECT_EQ(CallCommonSvcFCLIIsPlaying(), 1);
    EXPECT_EQ(CallCommonSvcFCLIMuteVolume(), 1);
    EXPECT_EQ(CallCommonSvcFCLIIsMuteVolume(), 1);
    EXPECT_THAT(tmxhost::Timers(), IsEmpty());
    tmxhost::Advance(9000);
    EXPECT_EQ(View().volumeLevel, -16);
    EXPECT_FALSE(View().soundOn);

    EXPECT_EQ(CallCommonSvcFCLIUnmuteVolume(), 1);
    EXPECT_EQ(CallCommonSvcFCLIIsMuteVolume(), 0);
    EXPECT_TRUE(View().soundOn);
    int level = 0;
    CallCommonSvcFCLIGetVolumeLevel(&level);
    EXPECT_EQ(level, -16) << "the level is not restored";

    tmxhost::FailCall("WmeMuteFlashSound", 0);
    EXPECT_EQ(CallCommonSvcFCLIUnmuteVolume(), 0);
    EXPECT_TRUE(tmxhost::HasTrace(
        "CCallFlashCLIInfo::UnmuteVolume : WmeMuteFlashSound() failed!!\n ", kFail));
    EXPECT_EQ(CallCommonSvcFCLIStop(), 1);
    EXPECT_EQ(CallCommonSvcFCLIDestroy(), 1);
}

TEST_F(FlashCliTest, WithoutAFlashNothingStartsAndNothingIsReported) {
    tmxhost::SetNvInt(17, 4);
    tmxhost::ClearCalls();
    EXPECT_EQ(CallCommonSvcFCLIPlay(), 0);
    EXPECT_EQ(m_fcli->Pause(), 0);
    EXPECT_EQ(m_fcli->Resume(), 0);
    EXPECT_EQ(CallCommonSvcFCLIIsPlaying(), 0);
    EXPECT_EQ(CallCommonSvcFCLIGetFlashPlayState(), -1);
    EXPECT_EQ(CallCommonSvcFCLIGetPlayerHandle(), -1);
    EXPECT_EQ(CallCommonSvcFCLIStop(), 0);
    EXPECT_EQ(CallCommonSvcFCLIDestroy(), 0);
    EXPECT_THAT(tmxhost::CallTexts(), IsEmpty());
    EXPECT_THAT(TraceTexts(kFail),
                testing::IsSupersetOf({
                    "CCallFlashCLIInfo::Play : Failed!!, m_hFlash == INVALID_HOBJ\n ",
                    "CCallFlashCLIInfo::Pause : Failed!!, m_hFlash == INVALID_HOBJ\n ",
                    "CCallFlashCLIInfo::Resume : Failed!!, m_hFlash == INVALID_HOBJ\n ",
                    "CCallFlashCLIInfo::Stop : Failed!!, m_hFlash == INVALID_HOBJ\n ",
                    "CCallFlashCLIInfo::Destroy : Failed!!, m_hFlash == INVALID_HOBJ\n ",
                }));
    EXPECT_TRUE(tmxhost::HasTrace("CCallFlashCLIInfo::IsPlaying : NO\n"));
}

TEST_F(FlashCliTest, DestroyAloneLeavesVibrationAndTimers) {
    Ring(4, 60);
    EXPECT_EQ(CallCommonSvcFCLIDestroy(), 1);
    EXPECT_EQ(CallCommonSvcFCLIGetFlashHandle(), -1);
    EXPECT_THAT(tmxhost::FlashInstances(), IsEmpty());
    EXPECT_THAT(tmxhost::Vibrations(), SizeIs(1));
    EXPECT_THAT(tmxhost::Timers(), SizeIs(1));
    EXPECT_EQ(CallVibStop(), 1);
    EXPECT_EQ(CallCommonSvcFCLIStop(), 0);
    EXPECT_THAT(tmxhost::Timers(), IsEmpty());
}

TEST_F(FlashCliTest, CreateSetsUpTheRingtoneAndEngineFailuresAreTraced) {
    tagWMRECT rect = {10, 20, 120, 90};
    EXPECT_EQ(CallCommonSvcFCLICreate(nullptr), 0);
    ExpectReports({"pFlashRect != NULL"});
    ASSERT_EQ(CallCommonSvcFCLISetGc(m_hWnd), 1);
    const int hGC = CallCommonSvcFCLIGetGC();
    tmxhost::FailCall("WmeCreateFlash", -1);
    EXPECT_EQ(CallCommonSvcFCLICreate(&rect), 0);
    EXPECT_TRUE(tmxhost::HasTrace("CCallFlashCLIInfo::Create: WmeCreateFlash() failed\n", kFail));
    EXPECT_EQ(CallCommonSvcFCLIGetFlashHandle(), -1);

    tmxhost::ClearCalls();
    ASSERT_EQ(CallCommonSvcFCLICreate(&rect), 1);
    const std::string h = std::to_string(CallCommonSvcFCLIGetFlashHandle());
    EXPECT_THAT(
        tmxhost::CallTexts(),
        ElementsAre("WmeCreateFlash(" + std::to_string(hGC) + ", 0, 0, 120, 90, 129, \"" + m_path +
                        "\", 0)",
                    "WmeEnableFlashSound(" + h + ", 1)", "WmeSetFlashSoundPriority(" + h + ", 4)",
                    "WmeSetFlashSoundPath(" + h + ", 17)", "WmeSetFlashRepeatMode(" + h + ", 1)"));
    EXPECT_FALSE(tmxhost::IsSoundCallbackRegistered(4)) << "AmCallback is never registered";

    tmxhost::FailCall("WmeDestroyFlash", 0);
    EXPECT_EQ(CallCommonSvcFCLIDestroy(), 0);
    EXPECT_EQ(CallCommonSvcFCLIGetFlashHandle(), std::stoi(h)) << "the handle stays";
    EXPECT_EQ(CallCommonSvcFCLIDestroy(), 1);
}

TEST_F(FlashCliTest, PlayerHandlePrefersTheVideoPlayer) {
    struct {
        std::vector<std::pair<int, swfmaker::Bytes>> tags;
        bool video;
    } cases[] = {{{}, false}, {{kSoundStream}, false}, {{kVideoStream, kSoundStream}, true}};
    ASSERT_EQ(CallCommonSvcFCLISetGc(m_hWnd), 1);
    for (const auto& c : cases) {
        std::string path = WriteSwf("media.swf", 0x000000, c.tags);
        CallCommonSvcFCLISetPath(path.data());
        tagWMRECT rect = {0, 0, 20, 20};
        ASSERT_EQ(CallCommonSvcFCLICreate(&rect), 1);
        const tmxhost::FlashView view = View();
        EXPECT_EQ(CallCommonSvcFCLIGetPlayerHandle(),
                  c.video ? view.videoPlayer : view.audioPlayer);
        EXPECT_EQ(view.audioPlayer != -1, !c.tags.empty());
        EXPECT_EQ(view.videoPlayer != -1, c.video);
        EXPECT_EQ(CallCommonSvcFCLIDestroy(), 1);
    }
    ASSERT_EQ(CallCommonSvcFCLIGetPlayerHandle(), -1);
    Ring(7, 0);
    tmxhost::FailCall("WmeGetFlashInfo", 0);
    EXPECT_EQ(CallCommonSvcFCLIGetPlayerHandle(), -1);
    ASSERT_THAT(tmxhost::Reports(), SizeIs(1));
    EXPECT_EQ(tmxhost::Reports()[0].kindName, "ASSERTION_ASSERT");
    ExpectReports({"pFlashInfo"});
    EXPECT_EQ(CallCommonSvcFCLIStop(), 1);
    EXPECT_EQ(CallCommonSvcFCLIDestroy(), 1);
}

TEST_F(FlashCliTest, FirstFrameComesFromATemporaryFlashInASubGC) {
    tmxhost::ClearCalls();
    tagWMBITMAP* pBmp = CallCommonSvcFCLIGetFirstFrame(40, 30);
    ASSERT_NE(pBmp, nullptr);
    EXPECT_EQ(pBmp->rectW, 40);
    EXPECT_EQ(pBmp->rectH, 30);
    EXPECT_EQ(static_cast<const std::uint16_t*>(pBmp->pBits)[0], 0xF800) << "red background";
    const std::vector<tmxhost::Call>& calls = tmxhost::Calls();
    ASSERT_THAT(calls, SizeIs(5));
    const std::string gc = calls[1].args[0], h = calls[2].args[0];
    EXPECT_THAT(tmxhost::CallTexts(),
                ElementsAre("__WmCreateScreenSubGC(0, 16, 0, 0, 40, 30)",
                            "WmeCreateFlash(" + gc + ", 0, 0, 40, 30, 1, \"" + m_path + "\", 0)",
                            "WmeGetFlashFrame(" + h + ", 0)", "WmeDestroyFlash(" + h + ")",
                            "__WmDeleteGC(" + gc + ", 0)"));
    EXPECT_THAT(tmxhost::GCs(), IsEmpty());
    _WmFreeBitmap(pBmp, 0, "test", __LINE__);  // as CallFreeCallerIDThumbnail does

    // Each failure gives NULL and leaves neither a GC nor a Flash behind.
    tmxhost::TakeTraces();
    for (const char* function : {"__WmCreateScreenSubGC", "WmeCreateFlash", "WmeGetFlashFrame"}) {
        SCOPED_TRACE(function);
        tmxhost::FailCall(function, std::string(function) == "WmeGetFlashFrame" ? 0 : -1);
        EXPECT_EQ(CallCommonSvcFCLIGetFirstFrame(40, 30), nullptr);
        EXPECT_THAT(TraceTexts(kFail), SizeIs(1));
        EXPECT_THAT(tmxhost::GCs(), IsEmpty());
        EXPECT_THAT(tmxhost::FlashInstances(), IsEmpty());
        tmxhost::TakeTraces();
    }
}

TEST_F(FlashCliTest, UnloadStopsAndDestroysALiveFlash) {
    Ring(4, 60);
    Unload();
    m_unloaded = true;
    EXPECT_THAT(tmxhost::FlashInstances(), IsEmpty());
    EXPECT_THAT(tmxhost::Vibrations(), IsEmpty());
    EXPECT_THAT(tmxhost::Timers(), IsEmpty());
    EXPECT_THAT(tmxhost::CallTexts({"WmeStopFlash", "WmeDestroyFlash"}), SizeIs(2));
}

TEST_F(FlashCliTest, NoTickReachesAnUnloadedService) {
    Ring(2, 40);
    EXPECT_EQ(CallCommonSvcFCLIDestroy(), 1);  // the volume steps run on
    Unload();
    m_unloaded = true;
    EXPECT_THAT(tmxhost::Timers(), IsEmpty());
    tmxhost::ClearCalls();
    tmxhost::Advance(10000);
    EXPECT_THAT(tmxhost::CallTexts(), IsEmpty());
}

TEST_F(FlashCliTest, AvailabilityGcAndVibrationSettings) {
    struct {
        int sos, voice, stream, result;
    } cases[] = {{0, 0, 0, 1}, {2, 0, 0, 0}, {3, 0, 0, 0}, {0, 3, 0, 0}, {0, 0, 3, 1}};
    for (const auto& c : cases) {
        tmxhost::SetPhoneStatus(45, c.sos);
        tmxhost::SetSoundState(2, 0, c.voice);
        tmxhost::SetSoundState(19, 0, c.stream);
        EXPECT_EQ(CallCommonSvcFCLIIsPlayAvail(), c.result) << c.sos << c.voice << c.stream;
    }
    EXPECT_EQ(CallCommonSvcFCLISetGc(-1), 0);
    tmxhost::FailCall("__WmGetOverlayWindowGC", -1);
    EXPECT_EQ(CallCommonSvcFCLISetGc(m_hWnd), 0);
    EXPECT_EQ(CallCommonSvcFCLIGetGC(), -1);

    tmxhost::SetNvString(16, "Pulse");
    for (const char* name : {"", static_cast<const char*>(nullptr)}) {
        m_fcli->m_szVibAlertInfo[0] = 'x';
        EXPECT_EQ(CallCommonSvcFCLISetVibAlertInfo(const_cast<char*>(name)), 1);
        EXPECT_STREQ(m_fcli->m_szVibAlertInfo, "Pulse");
    }
    EXPECT_EQ(CallCommonSvcFCLISetPath(nullptr), 0);
    ExpectReports({"szFilePath != NULL"});
}

}  // namespace
