// Flash caller ID: the ring of each call-alert type on the clock, muting, the player handle,
// the first-frame grab, failures of the Flash engine, and unloading with a Flash alive.
#include <fstream>

#include "CallCommonSvc/H/CallCommonSvc.h"
#include "CallCommonSvc/VoiceVideoCommonSvc/Mgr/CallFlashCLI.h"
#include "support/HostTest.h"

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;
using ::testing::SizeIs;

namespace {

const unsigned kFail = 0xBA;

void Put16(std::string& out, unsigned value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}

std::string Tag(unsigned code, const std::string& body) {
    std::string out;
    Put16(out, code << 6 | static_cast<unsigned>(body.size()));
    return out + body;
}

// An uncompressed SWF of 20 x 20 pixels at 12 frames a second: a background colour, `tags`,
// and two frames.
std::string Swf(unsigned rgb, const std::string& tags = "") {
    // Frame rectangle with 10-bit fields: 0, 400, 0, 400 twips.
    std::uint64_t bits = 10;
    for (unsigned field : {0u, 400u, 0u, 400u}) {
        bits = bits << 10 | field;
    }
    bits <<= 3;  // 45 bits, padded to 6 bytes
    std::string body;
    for (int i = 5; i >= 0; --i) {
        body += static_cast<char>((bits >> (8 * i)) & 0xFF);
    }
    Put16(body, 12 << 8);
    Put16(body, 2);
    body += Tag(9, std::string{char(rgb >> 16), char(rgb >> 8), char(rgb)}) + tags;
    body += Tag(1, "") + Tag(1, "") + Tag(0, "");
    std::string file = "FWS";
    file += char(8);
    const std::uint32_t size = static_cast<std::uint32_t>(body.size() + 8);
    for (int i = 0; i < 4; ++i) {
        file += static_cast<char>((size >> (8 * i)) & 0xFF);
    }
    return file + body;
}

const std::string kVideoStream = Tag(60, std::string("\1\0\2\0\20\0\20\0\0\2", 10));
const std::string kSoundStream = Tag(18, std::string("\10\10\0\0", 4));

class FlashCliTest : public LoadedTest {
protected:
    void SetUp() override {
        LoadedTest::SetUp();
        m_path = WriteSwf("ring.swf", Swf(0xFF0000));
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

    std::string WriteSwf(const std::string& name, const std::string& bytes) {
        const std::string path = tmxhost::DataRoot() + "/" + name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
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

    // "time name(args)" of the sound, vibration and LED calls, the Flash handle shown as H.
    std::vector<std::string> SoundLog() {
        std::vector<std::string> log;
        const std::string handle = "(" + std::to_string(m_fcli->m_hFlash);
        for (const tmxhost::Call& call : tmxhost::Calls()) {
            std::string text = call.Text();
            if (call.name.rfind("Am", 0) == 0) {
                text = call.name;
            } else if (call.name == "WmeSetFlashVolumeLevel" || call.name == "WmeMuteFlashSound") {
                text.replace(text.find(handle), handle.size(), "(H");
            } else {
                continue;
            }
            log.push_back(std::to_string(call.time) + " " + text);
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
    const std::string level = "WmeSetFlashVolumeLevel(H, ";
    const std::string mute = "WmeMuteFlashSound(H, ";
    const AlertCase cases[] = {
        {0, 50, {"0 " + level + "0)", "0 " + mute + "1)", "0 AmVibStart"}, false, 1, {}},
        {1, 50, {"0 " + level + "7)", "2000 " + level + "50)"}, true, 0, {}},
        {2,
         40,
         {"0 " + level + "0)", "3000 " + level + "16)", "6000 " + level + "32)"},
         true,
         0,
         {}},
        {2, 10, {"0 " + level + "0)"}, true, 0, {}},
        // A negative ring volume neither loses the ring nor walks past the table.
        {2, -40, {"0 " + level + "0)"}, true, 0, {}},
        {3, 50, {"0 " + level + "0)", "0 " + mute + "1)", "0 AmLedBlink"}, false, 0, {}},
        {4,
         60,
         {"0 " + level + "0)", "0 " + mute + "1)", "0 AmVibStart", "6000 " + mute + "0)",
          "6000 AmVibStop", "6000 " + level + "60)"},
         true,
         0,
         {}},
        {5, 80, {"0 " + level + "7)", "0 AmVibStart", "2000 " + level + "80)"}, true, 1, {}},
        {6, 112, {"0 AmVibStart"}, true, 1, {"nStepMax <= FCLI_STEP_COUNT_MAX"}},
        {7, 50, {}, true, 0, {}},
        {8, 50, {"0 " + level + "0)", "0 " + mute + "1)"}, false, 0, {}},
        {-1, 50, {}, true, 0, {}},
    };
    for (const AlertCase& c : cases) {
        SCOPED_TRACE("alert type " + std::to_string(c.alertType) + " volume " +
                     std::to_string(c.ringVolume));
        const long long start = tmxhost::Now();
        Ring(c.alertType, c.ringVolume);
        tmxhost::Advance(12000);
        std::vector<std::string> log = SoundLog();
        for (std::string& line : log) {
            const std::size_t space = line.find(' ');
            line = std::to_string(std::stoll(line.substr(0, space)) - start) + line.substr(space);
        }
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

    tmxhost::FailCall("WmePlayFlashByShowFlag", 0);
    EXPECT_EQ(CallCommonSvcFCLIPlay(), 0);
    EXPECT_TRUE(tmxhost::HasTrace("CCallFlashCLIInfo::Play : WmePlayFlash() failed\n", kFail));
    tmxhost::FailCall("WmeDestroyFlash", 0);
    EXPECT_EQ(CallCommonSvcFCLIDestroy(), 0);
    EXPECT_EQ(CallCommonSvcFCLIGetFlashHandle(), std::stoi(h)) << "the handle stays";
    EXPECT_EQ(CallCommonSvcFCLIDestroy(), 1);
}

TEST_F(FlashCliTest, PlayStatesAnswerIsPlaying) {
    Ring(7, 0);
    EXPECT_EQ(CallCommonSvcFCLIIsPlaying(), 1);
    EXPECT_EQ(m_fcli->Pause(), 1);
    EXPECT_EQ(CallCommonSvcFCLIGetFlashPlayState(), 1);
    EXPECT_EQ(CallCommonSvcFCLIIsPlaying(), 0);
    EXPECT_EQ(m_fcli->Resume(), 1);
    EXPECT_EQ(CallCommonSvcFCLIIsPlaying(), 1);
    EXPECT_EQ(CallCommonSvcFCLIStop(), 1);
    EXPECT_EQ(CallCommonSvcFCLIGetFlashPlayState(), 2);
    EXPECT_THAT(TraceTexts(0x1000E6),
                testing::IsSupersetOf({"CCallFlashCLIInfo::IsPlaying : OK\n",
                                       "CCallFlashCLIInfo::IsPlaying : NO\n",
                                       "CCallFlashCLIInfo::GetFlashPlayState : (2)\n "}));
    EXPECT_EQ(CallCommonSvcFCLIDestroy(), 1);
}

TEST_F(FlashCliTest, PlayerHandlePrefersTheVideoPlayer) {
    struct {
        std::string tags;
        bool video;
    } cases[] = {{"", false}, {kSoundStream, false}, {kVideoStream + kSoundStream, true}};
    ASSERT_EQ(CallCommonSvcFCLISetGc(m_hWnd), 1);
    for (const auto& c : cases) {
        std::string path = WriteSwf("media.swf", Swf(0x000000, c.tags));
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
    EXPECT_EQ(calls[0].Text(), "__WmCreateScreenSubGC(0, 16, 0, 0, 40, 30)");
    EXPECT_EQ(calls[1].name, "WmeCreateFlash");
    EXPECT_THAT(calls[1].args,
                ElementsAre(testing::_, "0", "0", "40", "30", "1", "\"" + m_path + "\"", "0"));
    EXPECT_EQ(calls[2].name, "WmeGetFlashFrame");
    EXPECT_EQ(calls[2].args[1], "0");
    EXPECT_EQ(calls[3].name, "WmeDestroyFlash");
    EXPECT_EQ(calls[4].Text(), "__WmDeleteGC(" + calls[1].args[0] + ", 0)");
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
    std::string longPath(800, 'a');
    EXPECT_EQ(CallCommonSvcFCLISetPath(longPath.data()), 1);
    EXPECT_EQ(std::string(CallCommonSvcFCLIGetPath()), longPath.substr(0, 771));
    EXPECT_EQ(CallCommonSvcFCLISetPath(nullptr), 0);
    ExpectReports({"szFilePath != NULL"});
}

TEST_F(FlashCliTest, AmCallbackAcceptsTheCallAndRingPrioritiesOnly) {
    EXPECT_EQ(CCallFlashCLIInfo::AmCallback(4, 1, 1, nullptr), 1);
    EXPECT_EQ(CCallFlashCLIInfo::AmCallback(0, 1, 1, nullptr), 1);
    ExpectReports({});
    EXPECT_EQ(CCallFlashCLIInfo::AmCallback(2, 1, 1, nullptr), 1);
    ASSERT_THAT(tmxhost::Reports(), SizeIs(1));
    EXPECT_EQ(tmxhost::Reports()[0].detail, "CCallFlashCLIInfo::AmCallback: priority (2)");
    ExpectReports({"NEVER_GET_HERE"});
}

}  // namespace
