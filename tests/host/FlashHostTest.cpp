// The host's Flash engine: SWF files in three compressions drawn on the host clock, play states,
// sound and volume bookkeeping, frame grabs, and the files it refuses.
#include <algorithm>
#include <cstring>
#include <string>

#include "CallCommonSvc/Platform/TmxGWESME.h"
#include "screens/ScreenMatch.h"
#include "support/HostTest.h"
#include "support/SwfMaker.h"

using swfmaker::Compression;
using ::testing::ElementsAre;

namespace {

constexpr int kPx = 20;  // twips

// Three frames at 10 per second on a 160 x 120 stage: a red square with a thick dark outline, a
// translucent blue curved lens rotated and scaled over it, and a green triangle through a colour
// transform; frame 1 moves the lens, frame 2 removes the square.
swfmaker::Movie Scene(int version = 8) {
    swfmaker::Movie movie(160, 120, 10, version);
    movie.Background(0xF0E0C0);
    swfmaker::Shape square(2);
    int red = square.Fill(0xE02020FF);
    int outline = square.Line(4 * kPx, 0x202040FF);
    square.Style(0, red, outline).Rect(0, 0, 60 * kPx, 60 * kPx);
    swfmaker::Shape lens(3);
    int blue = lens.Fill(0x2040F080);
    lens.Style(blue, 0, 0)
        .MoveTo(0, 0)
        .CurveTo(40 * kPx, -30 * kPx, 80 * kPx, 0)
        .CurveTo(40 * kPx, 30 * kPx, 0, 0);
    swfmaker::Shape triangle(4);
    int green = triangle.Fill(0x20A040FF);
    int edge = triangle.Line(0, 0x000000FF);
    triangle.Style(0, green, edge)
        .MoveTo(0, 0)
        .LineTo(30 * kPx, 0)
        .LineTo(15 * kPx, 26 * kPx)
        .LineTo(0, 0);
    swfmaker::ColorTransform half;
    half.mul[0] = 128;
    half.add[2] = 120;
    movie.Define(1, square).Define(2, lens).Define(3, triangle);
    movie.Place(1, 1, {.tx = 20 * kPx, .ty = 20 * kPx})
        .Place(2, 3,
               {.scaleX = 0.9,
                .scaleY = 0.9,
                .skew0 = 0.5,
                .skew1 = -0.5,
                .tx = 50 * kPx,
                .ty = 30 * kPx})
        .PlaceFirstForm(3, 2, {.tx = 110 * kPx, .ty = 70 * kPx})
        .Move(2, {.tx = 110 * kPx, .ty = 70 * kPx}, half)
        .ShowFrame();
    movie.Move(3, {.tx = 60 * kPx, .ty = 90 * kPx}).ShowFrame();
    movie.Remove(1).ShowFrame();
    return movie;
}

class FlashHostTest : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        m_window = tmxhost::CreateWindow(0, 0, 240, 320);
        m_gc = __WmCreateWindowSubGC(m_window, 0, 0, 240, 320, "test", 1);
    }

    void TearDown() override {
        tmxhost::DestroyWindow(m_window);
        HostTest::TearDown();
    }

    std::string Write(const swfmaker::Movie& movie, Compression compression = Compression::kNone,
                      const std::string& name = "movie.swf") {
        std::string path = tmxhost::DataRoot() + "/" + name;
        EXPECT_TRUE(movie.Write(path, compression));
        return path;
    }

    std::string WriteBytes(const swfmaker::Bytes& bytes) {
        std::string path = tmxhost::DataRoot() + "/raw.swf";
        EXPECT_TRUE(swfmaker::WriteFile(path, bytes));
        return path;
    }

    int Create(const std::string& path, int flags = 129) {
        return WmeCreateFlash(m_gc, 40, 60, 160, 120, flags, path.c_str(), 0);
    }

    tmxhost::FlashView View(int hFlash) {
        for (const tmxhost::FlashView& view : tmxhost::FlashInstances()) {
            if (view.handle == hFlash) {
                return view;
            }
        }
        ADD_FAILURE() << "no Flash " << hFlash;
        return {};
    }

    int m_window = -1;
    int m_gc = -1;
};

TEST_F(FlashHostTest, DrawsTheSameSceneFromEveryCompression) {
    for (Compression compression : {Compression::kNone, Compression::kZlib, Compression::kLzma}) {
        SCOPED_TRACE(static_cast<int>(compression));
        const int hFlash = Create(Write(Scene(), compression));
        ASSERT_NE(hFlash, -1);
        ASSERT_EQ(WmePlayFlashByShowFlag(hFlash, 1), 1);
        const std::string out = screens::OutputDir() + "/flash-scene.png";
        ASSERT_TRUE(tmxhost::SaveScreenPng(out));
        EXPECT_TRUE(screens::MatchesReference("flash-scene", out));
        // Outside the instance's place the window is untouched.
        EXPECT_EQ(tmxhost::ScreenPixel(39, 100), 0);
        EXPECT_EQ(tmxhost::ScreenPixel(200, 100), 0);
        EXPECT_EQ(WmeDestroyFlash(hFlash), 1);
    }
}

TEST_F(FlashHostTest, FramesFollowTheClockAndEndOrLoop) {
    const std::string path = Write(Scene());
    const int hFlash = Create(path);
    EXPECT_EQ(View(hFlash).state, "stopped");  // a new instance waits
    EXPECT_EQ(View(hFlash).frame, -1);
    ASSERT_EQ(WmePlayFlashByShowFlag(hFlash, 1), 1);
    const std::uint16_t squareAt0 = tmxhost::ScreenPixel(90, 120);
    tmxhost::Advance(99);
    EXPECT_EQ(View(hFlash).frame, 0);
    tmxhost::Advance(1);
    EXPECT_EQ(View(hFlash).frame, 1);
    tmxhost::Advance(100);
    EXPECT_EQ(View(hFlash).frame, 2);
    EXPECT_NE(tmxhost::ScreenPixel(90, 120), squareAt0);  // the square is gone
    tmxhost::Advance(99);
    EXPECT_EQ(View(hFlash).state, "playing");
    tmxhost::Advance(1);
    int state = -1;
    EXPECT_EQ(WmeGetFlashPlayState(hFlash, &state), 1);
    EXPECT_EQ(state, WME_FLASH_STATE_ENDED);
    EXPECT_EQ(View(hFlash).frame, 2);

    // Playing an ended movie starts it over; repeat mode 1 loops back to the first frame.
    EXPECT_EQ(WmeSetFlashRepeatMode(hFlash, 1), 1);
    EXPECT_EQ(WmePlayFlashByShowFlag(hFlash, 1), 1);
    EXPECT_EQ(tmxhost::ScreenPixel(90, 120), squareAt0);
    tmxhost::Advance(300);
    EXPECT_EQ(View(hFlash).frame, 0);
    EXPECT_EQ(tmxhost::ScreenPixel(90, 120), squareAt0);
    EXPECT_EQ(View(hFlash).state, "playing");

    // Paused, the frame holds; resumed, the next one comes a full frame later.
    tmxhost::Advance(150);
    EXPECT_EQ(WmePauseFlash(hFlash), 1);
    tmxhost::Advance(1000);
    EXPECT_EQ(View(hFlash).frame, 1);
    EXPECT_EQ(View(hFlash).state, "paused");
    EXPECT_EQ(WmePlayFlashByShowFlag(hFlash, 1), 1);
    tmxhost::Advance(99);
    EXPECT_EQ(View(hFlash).frame, 1);
    tmxhost::Advance(1);
    EXPECT_EQ(View(hFlash).frame, 2);

    // Stopped, nothing moves; a stopped instance cannot be paused.
    EXPECT_EQ(WmeStopFlash(hFlash), 1);
    tmxhost::Advance(1000);
    EXPECT_EQ(View(hFlash).frame, 2);
    EXPECT_EQ(WmePauseFlash(hFlash), 0);
    EXPECT_EQ(WmeGetFlashPlayState(hFlash, &state), 1);
    EXPECT_EQ(state, WME_FLASH_STATE_STOPPED);
    EXPECT_EQ(WmeDestroyFlash(hFlash), 1);
    tmxhost::Advance(1000);  // nothing left to fire
}

TEST_F(FlashHostTest, KeepsSoundVolumeAndPlayers) {
    swfmaker::Movie plain = Scene();
    swfmaker::Movie withMedia = Scene();
    withMedia
        .Tag(14, {1, 0, 0x32, 0, 0, 0, 0})          // DefineSound
        .Tag(60, {2, 0, 1, 0, 16, 0, 16, 0, 0, 2})  // DefineVideoStream
        .Tag(12, {0})                               // DoAction
        .Tag(14, {3, 0, 0x32, 0, 0, 0, 0})          // another DefineSound: named once
        .Tag(69, {0, 0, 0, 0});                     // FileAttributes: not content
    const int hPlain = Create(Write(plain, Compression::kNone, "plain.swf"));
    const int hMedia = Create(Write(withMedia, Compression::kZlib, "media.swf"));
    ASSERT_NE(hPlain, -1);
    ASSERT_NE(hMedia, -1);

    const WmeFlashInfo* info = WmeGetFlashInfo(hPlain);
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->nWidth * 1000 + info->nHeight, 160120);
    EXPECT_EQ(info->nFrameRate, 2560);
    EXPECT_EQ(info->nFrameCount, 3);
    EXPECT_EQ(info->hFlashVideoPlayer, -1);
    EXPECT_EQ(info->hFlashAvPlayer, -1);
    info = WmeGetFlashInfo(hMedia);
    EXPECT_GE(info->hFlashVideoPlayer, 64);  // never one of the media player's 0 to 63
    EXPECT_GE(info->hFlashAvPlayer, 64);
    EXPECT_NE(info->hFlashVideoPlayer, info->hFlashAvPlayer);
    EXPECT_THAT(View(hMedia).skipped, ElementsAre("DefineSound", "DefineVideoStream", "DoAction"));
    EXPECT_THAT(View(hPlain).skipped, ElementsAre());

    // Sound on at first; enabling and muting are one switch.
    EXPECT_EQ(WmeIsFlashSoundEnabled(hPlain), 1);
    EXPECT_EQ(WmeMuteFlashSound(hPlain, 1), 1);
    EXPECT_EQ(WmeIsFlashSoundEnabled(hPlain), 0);
    EXPECT_EQ(WmeEnableFlashSound(hPlain, 1), 1);
    EXPECT_EQ(WmeIsFlashSoundEnabled(hPlain), 1);
    EXPECT_EQ(WmeEnableFlashSound(hPlain, 0), 1);
    EXPECT_EQ(WmeIsFlashSoundEnabled(hPlain), 0);
    EXPECT_EQ(WmeMuteFlashSound(hPlain, 0), 1);
    EXPECT_TRUE(View(hPlain).soundOn);
    EXPECT_TRUE(View(hMedia).soundOn);  // each instance its own

    EXPECT_EQ(WmeSetFlashVolumeLevel(hPlain, -16), 1);
    EXPECT_EQ(WmeSetFlashSoundPriority(hPlain, 4), 1);
    EXPECT_EQ(WmeSetFlashSoundPath(hPlain, 17), 1);
    int level = 0;
    SndOutDevPath path = 0;
    EXPECT_EQ(WmeGetFlashVolumeLevel(hPlain, &level), 1);
    EXPECT_EQ(WmeGetFlashSoundPath(hPlain, &path), 1);
    EXPECT_EQ(level * 100 + path, -1600 + 17);
    const tmxhost::FlashView view = View(hPlain);
    EXPECT_EQ(view.soundPriority, 4);
    EXPECT_EQ(view.volumeLevel, -16);
    EXPECT_EQ(view.flags, 129);
    EXPECT_EQ(view.frameCount, 3);

    // A destroyed handle names nothing, and the calls are in the log.
    EXPECT_EQ(WmeDestroyFlash(hPlain), 1);
    EXPECT_EQ(WmeDestroyFlash(hPlain), 0);
    EXPECT_EQ(WmeGetFlashInfo(hPlain), nullptr);
    EXPECT_EQ(WmePlayFlashByShowFlag(hPlain, 1), 0);
    EXPECT_EQ(WmeIsFlashSoundEnabled(hPlain), 0);
    EXPECT_EQ(WmeGetFlashVolumeLevel(hPlain, &level), 0);
    EXPECT_THAT(tmxhost::CallTexts({"WmeSetFlashSoundPath", "WmeGetFlashVolumeLevel"}),
                ElementsAre("WmeSetFlashSoundPath(1, 17)", "WmeGetFlashVolumeLevel(1)",
                            "WmeGetFlashVolumeLevel(1)"));
    tmxhost::FailCall("WmeCreateFlash", -1);
    EXPECT_EQ(Create(Write(plain)), -1);
    EXPECT_EQ(tmxhost::FlashInstances().size(), 1u);
}

TEST_F(FlashHostTest, DrawsIntoAnOverlayAtItsRectangleAndShowsOnlyWhenAsked) {
    const int overlay = __WmGetOverlayWindowGC(m_window, "test", 2);
    const int hFlash = WmeCreateFlash(overlay, 0, 0, 80, 60, 129, Write(Scene()).c_str(), 0);
    ASSERT_EQ(WmePlayFlashByShowFlag(hFlash, 0), 1);
    EXPECT_EQ(tmxhost::ScreenPixel(25, 30), 0);  // drawn, not shown
    EXPECT_EQ(WmeStopFlash(hFlash), 1);
    ASSERT_EQ(WmePlayFlashByShowFlag(hFlash, 1), 1);
    EXPECT_EQ(tmxhost::ScreenPixel(25, 30), 0xE104);  // the square at half scale
    EXPECT_EQ(tmxhost::ScreenPixel(70, 5), 0xF718);   // background
    // A new rectangle redraws the frame at its size and place.
    EXPECT_EQ(WmeSetFlashRect(hFlash, 10, 0, 160, 120), 1);
    EXPECT_EQ(tmxhost::ScreenPixel(60, 60), 0xE104);
    EXPECT_EQ(WmeSetFlashRect(hFlash, 0, 0, 0, 120), 0);
    EXPECT_EQ(View(hFlash).width, 160);
    EXPECT_EQ(WmeDestroyFlash(hFlash), 1);
}

TEST_F(FlashHostTest, GrabsFramesAtTheInstanceSize) {
    const int hFlash = WmeCreateFlash(m_gc, 0, 0, 80, 60, 1, Write(Scene()).c_str(), 0);
    tagWMBITMAP* first = WmeGetFlashFrame(hFlash, 0);
    tagWMBITMAP* last = WmeGetFlashFrame(hFlash, 2);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(first->rectW * 100 + first->rectH, 8060);
    EXPECT_EQ(first->nBitsPerPixel, 16);
    const auto* a = static_cast<const std::uint16_t*>(first->pBits);
    const auto* b = static_cast<const std::uint16_t*>(last->pBits);
    EXPECT_EQ(a[30 * 80 + 25], 0xE104);  // the square's red at half scale
    EXPECT_NE(b[30 * 80 + 25], a[30 * 80 + 25]);
    EXPECT_EQ(a[0], b[0]);  // background
    EXPECT_EQ(WmeGetFlashFrame(hFlash, 3), nullptr);
    EXPECT_EQ(WmeGetFlashFrame(hFlash, -1), nullptr);
    EXPECT_EQ(View(hFlash).state, "stopped");  // a grab plays nothing
    EXPECT_EQ(_WmFreeBitmap(first, 0, "test", 1), 1);
    EXPECT_EQ(_WmFreeBitmap(last, 0, "test", 2), 1);
    EXPECT_EQ(WmeDestroyFlash(hFlash), 1);
}

TEST_F(FlashHostTest, RefusesDamagedTruncatedAndHostileFiles) {
    const swfmaker::Bytes good = Scene().File(Compression::kNone);
    // Every cut of a good file is refused, in each compression. An LZMA stream may end without
    // its end marker, so its last bytes are not needed.
    for (Compression compression : {Compression::kNone, Compression::kZlib, Compression::kLzma}) {
        const swfmaker::Bytes whole = Scene().File(compression);
        ASSERT_NE(Create(WriteBytes(whole)), -1);
        const std::size_t needed = whole.size() - (compression == Compression::kLzma ? 8 : 0);
        for (std::size_t size = 0; size < needed;
             size += compression == Compression::kNone ? 1 : 7) {
            const std::string path =
                WriteBytes(swfmaker::Bytes(whole.begin(), whole.begin() + size));
            EXPECT_EQ(Create(path), -1) << "cut at " << size;
        }
    }
    auto patched = [&good](std::size_t at, std::uint8_t value) {
        swfmaker::Bytes bytes = good;
        bytes[at] = value;
        return bytes;
    };
    swfmaker::Bytes badZlib = Scene().File(Compression::kZlib);
    badZlib[12] ^= 0xFF;
    // A fill style type that does not exist: the square's red fill made type 0x77.
    const std::uint8_t redFill[] = {0x00, 0xE0, 0x20, 0x20};
    const std::size_t shapeAt =
        std::search(good.begin(), good.end(), redFill, redFill + 4) - good.begin();
    ASSERT_LT(shapeAt, good.size());
    const struct {
        const char* name;
        swfmaker::Bytes bytes;
    } cases[] = {
        {"not a SWF file", {'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0}},
        {"length beyond the file", patched(4, good[4] + 1)},
        {"length below the header", patched(4, 7)},
        {"bad zlib data", badZlib},
        {"unknown fill style type", patched(shapeAt, 0x77)},
        {"over the size limit", Scene().File(Compression::kZlib, tmxhost::kMaxFlashBytes + 1)},
        {"empty frame",
         [] {
             swfmaker::Movie empty(0, 0);
             return empty.ShowFrame().File(Compression::kNone);
         }()},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Create(WriteBytes(c.bytes)), -1) << c.name;
    }

    // A tag bomb: more tags than the limit, compressed to little.
    swfmaker::Movie many(10, 10);
    for (int i = 0; i < tmxhost::kMaxFlashTags; ++i) {
        many.Tag(43, {0});
    }
    EXPECT_EQ(Create(Write(many, Compression::kZlib)), -1);

    // Missing files, over-long paths, bad GCs and sizes.
    EXPECT_EQ(Create(tmxhost::DataRoot() + "/missing.swf"), -1);
    const std::string path = Write(Scene());
    EXPECT_EQ(WmeCreateFlash(m_gc, 0, 0, 16, 16, 1, nullptr, 0), -1);
    EXPECT_EQ(Create(tmxhost::DataRoot() + "/" + std::string(800, 'a')), -1);
    EXPECT_EQ(WmeCreateFlash(-1, 0, 0, 16, 16, 1, path.c_str(), 0), -1);
    EXPECT_EQ(WmeCreateFlash(m_gc, 0, 0, 0, 16, 1, path.c_str(), 0), -1);
    EXPECT_EQ(WmeCreateFlash(m_gc, 0, 0, 16, 5000, 1, path.c_str(), 0), -1);
    EXPECT_EQ(tmxhost::FlashInstances().size(), 3u);  // the three whole files
}

}  // namespace
