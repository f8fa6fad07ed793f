// The host's video player and frame grabber on generated clips.
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "CallCommonSvc/Platform/TmxAVMS.h"
#include "CallCommonSvc/Platform/TmxGWESCore.h"
#include "support/HostTest.h"

using ::testing::ElementsAre;
using tmxhost::PlayerEvent;

namespace {

// The dominant channel of an RGB565 pixel: 'r', 'g', 'b', or 'k' when dark.
char Hue(std::uint16_t pixel) {
    int r = (pixel >> 11) * 255 / 31;
    int g = ((pixel >> 5) & 63) * 255 / 63;
    int b = (pixel & 31) * 255 / 31;
    if (std::max({r, g, b}) < 60) {
        return 'k';
    }
    return r > g && r > b ? 'r' : (g > b ? 'g' : 'b');
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

class VideoHostTest : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        m_clip = tmxhost::DataRoot() + "/clip.mp4";
        std::string error;
        ASSERT_TRUE(tmxhost::WriteVideo(m_clip, {}, &error)) << error;  // 64x48, 3 s at 10 fps
        tmxhost::SetPlayerListener(
            [this](int handle, PlayerEvent event) { m_events.emplace_back(handle, event); });
    }
    void TearDown() override {
        for (const tmxhost::PlayerView& player : tmxhost::Players()) {
            AvDeletePlayer(player.handle);
        }
        if (m_window >= 0) {
            tmxhost::DestroyWindow(m_window);
        }
        HostTest::TearDown();
    }

    // A player of `path` drawing into the overlay GC of a 120 x 120 window at (0, 100).
    int Create(const std::string& path) {
        if (m_window < 0) {
            m_window = tmxhost::CreateWindow(0, 100, 120, 120);
            m_gc = __WmGetOverlayWindowGC(m_window, "test", 1);
        }
        AvInputMedia media{};
        media.nSourceType = 1;
        media.nPresetId = 10;
        media.nSoundPath = 17;
        media.hGC = m_gc;
        path.copy(media.szFilePath, sizeof(media.szFilePath) - 1);
        return AvCreatePlayer(&media, 0, 7);
    }

    // The hue at the middle of the screen's video area.
    static char Shown() { return Hue(tmxhost::ScreenPixel(60, 160)); }

    tmxhost::PlayerView View(int handle) {
        for (const tmxhost::PlayerView& player : tmxhost::Players()) {
            if (player.handle == handle) {
                return player;
            }
        }
        ADD_FAILURE() << "no player " << handle;
        return {};
    }

    std::string m_clip;
    int m_window = -1;
    int m_gc = -1;
    std::vector<std::pair<int, PlayerEvent>> m_events;
};

TEST_F(VideoHostTest, MediaInformationAndPresets) {
    AvMediaInfo info{};
    ASSERT_EQ(AvGetVideoInfo(m_clip.c_str(), &info), 1);
    EXPECT_EQ(info.nMediaType, 2) << "no sound track";
    EXPECT_EQ(info.nWidth, 64);
    EXPECT_EQ(info.nHeight, 48);
    EXPECT_NEAR(info.nDurationMs, 3000, 100);
    EXPECT_EQ(info.nFrameRate, 10000);

    const std::string avi = tmxhost::DataRoot() + "/sound.avi";
    ASSERT_TRUE(tmxhost::WriteVideo(
        avi, {.width = 32, .height = 32, .frames = 5, .audio = true, .colors = {}}));
    ASSERT_EQ(AvGetVideoInfo(avi.c_str(), &info), 1);
    EXPECT_EQ(info.nMediaType, 1) << "video with sound";
    EXPECT_EQ(info.nWidth, 32);

    const std::string mp4 = tmxhost::DataRoot() + "/sound.mp4";
    ASSERT_TRUE(tmxhost::WriteVideo(mp4, {.frames = 5, .audio = true, .colors = {}}));
    ASSERT_EQ(AvGetVideoInfo(mp4.c_str(), &info), 1);
    EXPECT_EQ(info.nMediaType, 1);

    AvVolPreset* ring = AvVolMgrLookupPresetByName("RingTone");
    ASSERT_NE(ring, nullptr);
    EXPECT_EQ(ring->nPresetId, 10);
    EXPECT_EQ(AvVolMgrLookupPresetByName("ringtone"), nullptr);
    EXPECT_EQ(AvVolMgrLookupPresetByName(nullptr), nullptr);
}

TEST_F(VideoHostTest, PlaysFramesIntoTheOverlayAndEndsWithoutRepeat) {
    const int player = Create(m_clip);
    ASSERT_EQ(player, 0);
    EXPECT_EQ(View(player).state, "created");
    EXPECT_EQ(View(player).volumeLevel, 5) << "the preset's level";
    ASSERT_EQ(AvStartPlayer(player), 1);
    EXPECT_EQ(Shown(), 'k') << "frames come on the clock";

    tmxhost::Advance(50);  // frame 0
    EXPECT_EQ(Shown(), 'r');
    EXPECT_EQ(Hue(tmxhost::WindowPixel(m_window, 60, 60)), 'k') << "drawn in the overlay only";
    tmxhost::Advance(100);  // frame 1
    EXPECT_EQ(Shown(), 'g');
    // The 64 x 48 clip is fitted into 120 x 120: 120 x 90, centred, bars above and below.
    EXPECT_EQ(Hue(tmxhost::ScreenPixel(60, 100 + 16)), 'g');
    EXPECT_EQ(Hue(tmxhost::ScreenPixel(60, 100 + 10)), 'k');
    tmxhost::Advance(100);  // frame 2
    EXPECT_EQ(Shown(), 'b');
    EXPECT_EQ(View(player).framesShown, 3);

    tmxhost::Advance(2300);
    EXPECT_EQ(AvGetPlayerPosition(player), 2);
    EXPECT_EQ(View(player).state, "playing");
    tmxhost::Advance(1000);
    EXPECT_EQ(View(player).state, "ended");
    EXPECT_EQ(View(player).framesShown, 30);
    EXPECT_EQ(AvGetPlayerPosition(player), 3);
    EXPECT_EQ(Shown(), 'b') << "the last frame stays";
    EXPECT_THAT(m_events, ElementsAre(std::pair(0, PlayerEvent::kCreated),
                                      std::pair(0, PlayerEvent::kPlaying),
                                      std::pair(0, PlayerEvent::kStopped)));
}

TEST_F(VideoHostTest, RepeatStopRestartAndSettings) {
    const int player = Create(m_clip);
    ASSERT_EQ(AvSetPlayerRepeat(player, -1), 1);
    ASSERT_EQ(AvStartPlayer(player), 1);
    tmxhost::Advance(7050);  // the third loop, 1.05 s in: frame 10
    EXPECT_EQ(View(player).state, "playing");
    EXPECT_EQ(View(player).framesShown, 71);
    EXPECT_EQ(AvGetPlayerPosition(player), 1) << "position within the media";
    EXPECT_EQ(Shown(), 'g');

    ASSERT_EQ(AvStopPlayer(player), 1);
    tmxhost::Advance(1000);
    EXPECT_EQ(View(player).framesShown, 71) << "nothing drawn once stopped";
    EXPECT_EQ(View(player).state, "stopped");

    ASSERT_EQ(AvSetPlayerRepeat(player, 1), 1);  // plays twice, then ends
    ASSERT_EQ(AvStartPlayer(player), 1);
    tmxhost::Advance(1);
    EXPECT_EQ(Shown(), 'r') << "a restart begins at the first frame";
    tmxhost::Advance(6100);
    EXPECT_EQ(View(player).state, "ended");
    EXPECT_EQ(View(player).framesShown, 60);

    AvVolume volume{1, 48, 0, 0};
    EXPECT_EQ(AvSetPlayerVolume(player, volume), 1);
    EXPECT_EQ(AvSetPlayerMute(player, {1, 1}), 1);
    AvPlayerMute mute{};
    EXPECT_EQ(AvGetPlayerMute(player, &mute), 1);
    EXPECT_EQ(mute.bMuteState, 1);
    tmxhost::PlayerView view = View(player);
    EXPECT_EQ(std::tuple(view.volumeLevel, view.volumeFlag, view.muted, view.repeat, view.soundPath,
                         view.presetId, view.gc),
              std::tuple(48, 1, true, 1, 17, 10, m_gc));

    ASSERT_EQ(AvDeletePlayer(player), 1);
    for (int call : {AvStartPlayer(player), AvStopPlayer(player), AvDeletePlayer(player),
                     AvSetPlayerRepeat(player, 1), AvSetPlayerVolume(player, volume),
                     AvGetPlayerMute(player, &mute), AvGetPlayerPosition(player)}) {
        EXPECT_EQ(call, 0);
    }
}

TEST_F(VideoHostTest, HandlesRunFrom0To63AndAreReused) {
    for (int i = 0; i < 64; ++i) {
        ASSERT_EQ(Create(m_clip), i);
    }
    EXPECT_EQ(Create(m_clip), INVALID_HOBJ);
    ASSERT_EQ(AvDeletePlayer(17), 1);
    EXPECT_EQ(Create(m_clip), 17);
    tmxhost::Advance(1);
    m_events.clear();
    // A player deleted while playing leaves no event behind for a new one at its handle.
    ASSERT_EQ(AvStartPlayer(17), 1);
    ASSERT_EQ(AvDeletePlayer(17), 1);
    EXPECT_EQ(Create(m_clip), 17);
    tmxhost::Advance(4000);
    EXPECT_THAT(m_events, ElementsAre(std::pair(17, PlayerEvent::kCreated)));
    EXPECT_EQ(View(17).framesShown, 0);
}

TEST_F(VideoHostTest, FrameGrabFitsCropsAndClampsToTheLastFrame) {
    std::vector<std::uint16_t> pixels(80 * 80, 0xFFFF);
    tagWMBITMAP descriptor{};
    // Fitted: 64 x 48 into 80 x 80 gives 80 x 60 with bars of 10 rows; frame 10 is green.
    ASSERT_EQ(AvGetVideoFrame(m_clip.c_str(), 80, 80, 1000, 1, 1, pixels.data(), &descriptor), 1);
    EXPECT_EQ(std::tuple(descriptor.rectW, descriptor.rectH, int{descriptor.nBitsPerPixel},
                         descriptor.pBits),
              std::tuple(80, 80, 16, static_cast<void*>(pixels.data())));
    EXPECT_EQ(Hue(pixels[40 * 80 + 40]), 'g');
    EXPECT_EQ(Hue(pixels[10 * 80 + 0]), 'g');
    EXPECT_EQ(Hue(pixels[9 * 80 + 40]), 'k');
    EXPECT_EQ(Hue(pixels[70 * 80 + 40]), 'k');

    // Not scaled: centred at its own size, bars of 16 columns and rows.
    ASSERT_EQ(AvGetVideoFrame(m_clip.c_str(), 80, 80, 0, 1, 0, pixels.data(), &descriptor), 1);
    EXPECT_EQ(Hue(pixels[16 * 80 + 16]), 'r');
    EXPECT_EQ(Hue(pixels[15 * 80 + 16]), 'k');
    EXPECT_EQ(Hue(pixels[63 * 80 + 79 - 16]), 'r');
    EXPECT_EQ(Hue(pixels[64 * 80 + 40]), 'k');

    // Past the end: the last frame (29, blue); a smaller box crops, writing only its own pixels.
    std::fill(pixels.begin(), pixels.end(), 0xFFFF);
    ASSERT_EQ(AvGetVideoFrame(m_clip.c_str(), 16, 16, 999999, 1, 0, pixels.data(), &descriptor), 1);
    EXPECT_EQ(Hue(pixels[0]), 'b');
    EXPECT_EQ(Hue(pixels[255]), 'b');
    EXPECT_EQ(pixels[256], 0xFFFF);

    EXPECT_EQ(AvGetVideoFrame(m_clip.c_str(), 0, 16, 0, 1, 1, pixels.data(), &descriptor), 0);
    EXPECT_EQ(AvGetVideoFrame(m_clip.c_str(), 16, 16, 0, 1, 1, nullptr, &descriptor), 0);
    EXPECT_EQ(AvGetVideoFrame(m_clip.c_str(), 16, 16, 0, 1, 1, pixels.data(), nullptr), 0);
}

TEST_F(VideoHostTest, BadFilesFailEverywhere) {
    const std::string root = tmxhost::DataRoot();
    const std::string clip = ReadFile(m_clip);
    WriteFile(root + "/empty.mp4", "");
    WriteFile(root + "/truncated.mp4", clip.substr(0, clip.size() / 2));
    WriteFile(root + "/text.mp4", "this is not a video at all\n");
    // A WAV file: a sound track and no video.
    std::string wav = std::string(
                          "RIFF\x2c\x1f\0\0WAVEfmt \x10\0\0\0\x01\0\x01\0\x40\x1f\0\0\x80\x3e\0\0"
                          "\x02\0\x10\0data\x08\x1f\0\0",
                          44) +
                      std::string(8000, '\0');
    WriteFile(root + "/sound.mp4", wav);
    WriteFile(root + "/huge.y4m",
              "YUV4MPEG2 W8000 H8000 F10:1 Ip A1:1 C420jpeg\nFRAME\n" + std::string(1000, '\x80'));
    ASSERT_TRUE(tmxhost::SaveScreenPng(root + "/still.mp4"));

    std::vector<std::uint16_t> pixels(16 * 16);
    tagWMBITMAP descriptor{};
    for (std::string path :
         {root + "/missing.mp4", root + "/empty.mp4", root + "/truncated.mp4", root + "/text.mp4",
          root + "/sound.mp4", root + "/huge.y4m", root + "/still.mp4",
          root + "/" + std::string(771, 'v'), std::string("file:") + m_clip}) {
        SCOPED_TRACE(path.substr(root.size()));
        AvMediaInfo info{};
        EXPECT_EQ(AvGetVideoInfo(path.c_str(), &info), 0);
        EXPECT_EQ(AvGetVideoFrame(path.c_str(), 16, 16, 0, 1, 1, pixels.data(), &descriptor), 0);
        EXPECT_EQ(Create(path), INVALID_HOBJ);
    }
    // Paths to the clip padded with slashes: up to 1811 characters (what the input-media record
    // holds) they are read; one more is refused even though the file exists.
    AvMediaInfo info{};
    for (std::size_t length : {771u, 1811u, 1812u, 4000u}) {
        std::string path = root + std::string(length - root.size() - 9, '/') + "/clip.mp4";
        EXPECT_EQ(AvGetVideoInfo(path.c_str(), &info), length <= 1811 ? 1 : 0) << length;
    }
    EXPECT_EQ(AvGetVideoInfo(nullptr, &info), 0);
    EXPECT_EQ(AvGetVideoInfo(m_clip.c_str(), nullptr), 0);
    EXPECT_EQ(AvCreatePlayer(nullptr, 0, 0), INVALID_HOBJ);
    EXPECT_TRUE(tmxhost::Players().empty());
}

TEST_F(VideoHostTest, UndecodableFramesReportAnError) {
    // Keep the AVI's headers and chunk headers and wipe the coded frames: the file opens, yet
    // no frame decodes.
    const std::string avi = tmxhost::DataRoot() + "/clip.avi";
    ASSERT_TRUE(tmxhost::WriteVideo(avi, {}));
    std::string clip = ReadFile(avi);
    std::size_t at = clip.find("movi") + 4;
    const std::size_t end = clip.find("idx1");
    ASSERT_LT(end, clip.size());
    while (at + 8 <= end) {
        std::uint32_t size = 0;
        std::memcpy(&size, clip.data() + at + 4, 4);  // little-endian hosts only
        std::fill_n(clip.begin() + static_cast<long>(at) + 8,
                    std::min<std::size_t>(size, end - at - 8), '\0');
        at += 8 + size + (size & 1);
    }
    const std::string wiped = tmxhost::DataRoot() + "/wiped.avi";
    WriteFile(wiped, clip);

    std::vector<std::uint16_t> pixels(16 * 16);
    tagWMBITMAP descriptor{};
    EXPECT_EQ(AvGetVideoFrame(wiped.c_str(), 16, 16, 0, 1, 1, pixels.data(), &descriptor), 0);
    const int player = Create(wiped);
    ASSERT_GE(player, 0);
    EXPECT_EQ(AvStartPlayer(player), 0);
    tmxhost::Advance(100);
    EXPECT_EQ(View(player).state, "error");
    EXPECT_EQ(m_events.back(), std::pair(player, PlayerEvent::kError));
}

TEST_F(VideoHostTest, CallsAreLoggedAndFaultsApplyToTheLibraryOnly) {
    const int player = Create(m_clip);
    tmxhost::FailCall("_WmShowGC", 0, 1, -1);
    tmxhost::FailCall("AvStartPlayer", 0);
    EXPECT_EQ(AvStartPlayer(player), 0);
    EXPECT_EQ(View(player).state, "created");
    ASSERT_EQ(AvStartPlayer(player), 1);
    tmxhost::Advance(50);
    EXPECT_EQ(View(player).framesShown, 1) << "the player's own drawing is not a platform call";
    EXPECT_EQ(Shown(), 'r');
    EXPECT_THAT(tmxhost::CallTexts({"AvCreatePlayer", "AvStartPlayer", "_WmShowGC"}),
                ElementsAre("AvCreatePlayer({1, 0, 10, 17, " + std::to_string(m_gc) + ", \"" +
                                m_clip + "\"}, 0, 7)",
                            "AvStartPlayer(0)", "AvStartPlayer(0)"));
}

}  // namespace

// The program grabs through the library: the first frame (at one second: green), the frame at
// the player's position after 2.25 s of play (frame 20: blue); nothing written on failure.
TEST_F(VideoHostTest, CallsvcVideoWritesTheGrabbedFrame) {
    const std::string root = tmxhost::DataRoot();
    struct Case {
        std::string args;
        int code;
        char hue;  // at the centre of the written picture; 0 when none is written
    };
    const Case cases[] = {
        {"'" + m_clip + "' --frame first --size 80x60", 0, 'g'},
        {"'" + m_clip + "' --frame last --play-ms 2250 --size 80x60", 0, 'b'},
        {"'" + m_clip + "' --frame last --size 80x60", 0, 'r'},
        {"'" + root + "/missing.mp4' --frame first --size 80x60", 1, 0},
        {"'" + root + "/missing.mp4' --frame last --play-ms 100 --size 80x60", 1, 0},
        {"'" + m_clip + "' --frame middle --size 80x60", 2, 0},
        {"'" + m_clip + "' --frame first --size 80x0", 2, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        const std::string png = root + "/out.png";
        std::filesystem::remove(png);
        Outcome outcome = RunCallsvc("video", c.args + " --png '" + png + "'");
        EXPECT_EQ(outcome.code, c.code) << outcome.err;
        tagWMBITMAP* picture = tmxhost::LoadImage(png);
        EXPECT_EQ(picture != nullptr, c.hue != 0);
        if (picture != nullptr) {
            EXPECT_EQ(std::tuple(picture->rectW, picture->rectH), std::tuple(80, 60));
            EXPECT_EQ(Hue(static_cast<const std::uint16_t*>(picture->pBits)[30 * 80 + 40]), c.hue);
            tmxhost::FreeBitmap(picture);
        }
    }
}
