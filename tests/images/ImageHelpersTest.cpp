// The image helpers and the caller-ID thumbnail on images the tests write themselves.
#include <cstring>
#include <filesystem>

#include "CallCommonSvc/H/CallCommonSvc.h"
#include "CallCommonSvc/VoiceVideoCommonSvc/Util/VoiceVideoCommonUtil.h"
#include "support/HostTest.h"
#include "support/ImageMaker.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

constexpr unsigned kFail = TMX_DBG_FAIL;
constexpr unsigned kUtil = TMX_DBG_UTIL;

class ImageHelpersTest : public HostTest {
protected:
    std::string Write(const std::string& name, const imagemaker::Bytes& bytes) {
        const std::string path = tmxhost::DataRoot() + "/" + name;
        EXPECT_TRUE(imagemaker::Save(path, bytes));
        return path;
    }
    static std::uint16_t Pixel(const tagWMBITMAP* bmp, int x, int y) {
        return static_cast<const std::uint16_t*>(bmp->pBits)[y * bmp->rectW + x];
    }
    static std::size_t BlockSize(const void* block) {
        for (const tmxhost::Block& live : tmxhost::LiveBlocks()) {
            if (live.address == block) {
                return live.size;
            }
        }
        return 0;
    }
};

// Quadrants of white, grey 0x8430, magenta 0xF81F and a plain blue.
std::uint32_t Quadrants(int x, int y, int w, int h) {
    static const std::uint32_t colours[] = {0xFFFFFFFF, imagemaker::From565(0x8430),
                                            imagemaker::From565(0xF81F), 0xFF0000FF};
    return colours[(x >= w / 2 ? 1 : 0) + (y >= h / 2 ? 2 : 0)];
}

TEST_F(ImageHelpersTest, ScaledBitmapRecoloursGreyAndWhiteButNotMagenta) {
    char* path = strdup(
        Write("quadrants.png",
              imagemaker::Png(480, 640, [](int x, int y) { return Quadrants(x, y, 480, 640); }))
            .c_str());
    tmxhost::ClearCalls();
    tagWMBITMAP* bmp = CallLoadScaledImageBlackBackground(path, 240, 320, 0x1234);
    ASSERT_NE(bmp, nullptr);
    EXPECT_EQ(bmp->rectW * 1000 + bmp->rectH, 240320);
    EXPECT_EQ(bmp->nBitsPerPixel, 16);
    EXPECT_EQ(bmp->nWord1 | bmp->nWord0 | bmp->nWord2 | bmp->nWord8 | bmp->nWord9, 0u);
    EXPECT_EQ(BlockSize(bmp->pBits), 153600u);
    EXPECT_EQ(Pixel(bmp, 60, 80), 0xFFFE);
    EXPECT_EQ(Pixel(bmp, 180, 80), 0x8431);
    EXPECT_EQ(Pixel(bmp, 60, 240), 0xF81F) << "type 2 is not applied";
    EXPECT_EQ(Pixel(bmp, 180, 240), 0x001F);

    const std::vector<std::string> calls = tmxhost::CallTexts();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0], "ImgDecodeFileEx(\"" + std::string(path) + "\", 240, 320, 2, 0)");
    EXPECT_EQ(calls[1], "ImgScaleImage(0, 480, 640, 240, 320, 153600)") << "told the block's size";
    EXPECT_THAT(calls[2], ::testing::StartsWith("ImgFreeImage(0x"));
    const auto texts = TraceTexts(kUtil);
    ASSERT_GE(texts.size(), 6u);
    EXPECT_EQ(texts[0], "GetFitToScreenBitmap() : szFilePath=" + std::string(path) +
                            " width (240) height (320) Color (0x1234)\n");
    EXPECT_EQ(texts[2], "CallChangeBitmapColor: iType(0)\n");
    EXPECT_EQ(texts[3], "CallChangeBitmapColor: iType(1)\n");
    EXPECT_EQ(texts.back(), "CallLoadScaledImageBlackBackground:width=240,height=320\n");
    EXPECT_THAT(TraceTexts(kFail), IsEmpty());

    EXPECT_EQ(CallFreeScaledImageBlackBackground(bmp), 1);
    EXPECT_EQ(CallFreeScaledImageBlackBackground(nullptr), 0);
    EXPECT_EQ(TraceTexts(kFail).back(), "CallFreeScaledImageBlackBackground:pBmp=NULL\n");
    // A record without pixels: only the record goes.
    auto* bare = static_cast<tagWMBITMAP*>(MemAllocTraceEx(0, sizeof(tagWMBITMAP), "test", 1));
    std::memset(bare, 0, sizeof(*bare));
    EXPECT_EQ(CallFreeScaledImageBlackBackground(bare), 1);
    EXPECT_THAT(TraceTexts(kFail).back(), ::testing::EndsWith(",pBmp->pBits=NULL\n"));
    std::free(path);
}

TEST_F(ImageHelpersTest, ChangeBitmapColorByType) {
    const struct {
        int type;
        std::vector<std::uint16_t> before, after;
    } cases[] = {
        {2, {0xF81F, 0x1234}, {0x0000, 0x1234}},
        {0, {0x8430, 0x8431, 0xFFFF}, {0x8431, 0x8431, 0xFFFF}},
        {1, {0xFFFF, 0x8430, 0xFFFE}, {0xFFFE, 0x8430, 0xFFFE}},
        {5, {0xF81F, 0xFFFF, 0x8430}, {0xF81F, 0xFFFF, 0x8430}},
        {-1, {0xF81F}, {0xF81F}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type);
        std::vector<std::uint16_t> pixels = c.before;
        tmxhost::TakeTraces();
        EXPECT_EQ(CallChangeBitmapColor(reinterpret_cast<unsigned char*>(pixels.data()),
                                        static_cast<int>(pixels.size() * 2),
                                        static_cast<CallChangeColorType>(c.type)),
                  1);
        EXPECT_EQ(pixels, c.after);
        EXPECT_EQ(TraceTexts(kUtil), std::vector<std::string>{"CallChangeBitmapColor: iType(" +
                                                              std::to_string(c.type) + ")\n"});
        if (c.type < 0 || c.type > 2) {
            EXPECT_THAT(TraceTexts(kFail), ElementsAre("CallChangeBitmapColor: No iType(" +
                                                       std::to_string(c.type) + ")\n"));
        }
    }
    // An odd byte count changes whole pixels only; nothing past the count is touched.
    unsigned char bytes[4] = {0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(CallChangeBitmapColor(bytes, 3, CALL_CHANGE_COLOR_WHITE), 1);
    EXPECT_THAT(bytes, ElementsAre(0xFE, 0xFF, 0xFF, 0xFF));
    EXPECT_EQ(CallChangeBitmapColor(nullptr, 8, CALL_CHANGE_COLOR_WHITE), 1);
}

TEST_F(ImageHelpersTest, FrameCountsOfStillAndAnimatedImages) {
    using imagemaker::Solid;
    const std::vector<std::pair<std::string, imagemaker::Bytes>> files = {
        {"still.png", imagemaker::Png(8, 6, Solid(0xFF336699))},
        {"still.jpg", imagemaker::Jpeg(8, 6, Solid(0xFF336699))},
        {"still.gif", imagemaker::Gif(8, 6, 1)},
        {"three.gif", imagemaker::Gif(8, 6, 3)},
        {"still.webp", imagemaker::Webp(8, 6, Solid(0xFF336699))},
        {"four.webp", imagemaker::Webp(8, 6, Solid(0xFF336699), 4)},
        {"five.png", imagemaker::Apng(8, 6, 5, 0xFF336699)},
        // A GIF named as a PNG is still a GIF.
        {"named.png", imagemaker::Gif(8, 6, 2)},
    };
    const int expected[] = {1, 1, 1, 3, 1, 4, 5, 2};
    for (std::size_t i = 0; i < files.size(); ++i) {
        EXPECT_EQ(CallGetImgFrameCount(Write(files[i].first, files[i].second).c_str()), expected[i])
            << files[i].first;
    }
    EXPECT_EQ(tmxhost::CallTexts({"ImgGetImageInfo"}).back(),
              "ImgGetImageInfo(\"" + tmxhost::DataRoot() + "/named.png\", 1)");

    tmxhost::TakeTraces();
    const imagemaker::Bytes gif = imagemaker::Gif(8, 6, 3);
    const std::string unreadable[] = {
        tmxhost::DataRoot() + "/missing.gif",
        Write("empty.gif", {}),
        Write("cut.gif", imagemaker::Bytes(gif.begin(), gif.begin() + gif.size() / 2)),
        Write("text.png", {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'}),
    };
    for (const std::string& path : unreadable) {
        EXPECT_EQ(CallGetImgFrameCount(path.c_str()), -1) << path;
    }
    EXPECT_EQ(TraceTexts(kFail),
              std::vector<std::string>(4, "CallIsMultiFramesImg: ImgGetImageInfo fail!\n"));
    EXPECT_EQ(TraceTexts(kUtil), std::vector<std::string>(4, "CallIsMultiFramesImg: \n"));

    EXPECT_EQ(CallGetImgFrameCount(""), -1);
    EXPECT_EQ(TraceTexts(kFail).back(), "CallIsMultiFramesImg: pszImgPath length is 0\n");
    EXPECT_EQ(CallGetImgFrameCount(nullptr), -1);
    ExpectReports({"pszImgPath != NULL"});
}

TEST_F(ImageHelpersTest, FlashContentByExtension) {
    const std::pair<const char*, int> cases[] = {
        {"ring.swf", 1}, {"RING.SWF", 1},          {"ring.jpg", 0},  {"/a/ring.SwF", 1},
        {"swf", 0},      {"ring.swf/clip", 0},     {"ring.swf.", 0}, {"ring.swfx", 0},
        {"ring.", 0},    {"ring.swfswfswfswf", 0}, {"c:\\x.swf", 1}, {"", 0},
    };
    for (const auto& [path, flash] : cases) {
        EXPECT_EQ(CallIsFlashContent(const_cast<char*>(path)), flash) << path;
    }
    EXPECT_EQ(CallIsFlashContent(nullptr), 0);
    tmxhost::TakeTraces();
    CallIsFlashContent(const_cast<char*>("a.swf"));
    CallIsFlashContent(const_cast<char*>("a.png"));
    EXPECT_THAT(TraceTexts(kUtil), ElementsAre("CCallUtil::IsFlashContent : Start ~ !!\n",
                                               "CCallUtil::IsFlashContent : OK!!\n",
                                               "CCallUtil::IsFlashContent : Start ~ !!\n",
                                               "CCallUtil::IsFlashContent : No!!\n"));
}

TEST_F(ImageHelpersTest, ThumbnailFitsTheCallerIdBox) {
    const struct {
        int w, h;
        int fitW, fitH;
    } cases[] = {{160, 128, 80, 64}, {50, 200, 16, 64}, {40, 30, 80, 60}, {1600, 1200, 80, 60}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h));
        std::string path =
            Write("face.jpg", imagemaker::Jpeg(c.w, c.h, imagemaker::Solid(0xFF20A040)));
        tmxhost::TakeTraces();
        tmxhost::ClearCalls();
        tagWMBITMAP* bmp = CallLoadCallerIDThumbnail(path.data(), 7);
        ASSERT_NE(bmp, nullptr);
        EXPECT_EQ(bmp->rectW * 1000 + bmp->rectH, c.fitW * 1000 + c.fitH);
        EXPECT_THAT(tmxhost::CallTexts(),
                    ElementsAre("ImgGetScaledImageFileEx(\"" + path + "\", 80, 64, 2, 0)"));
        EXPECT_THAT(TraceTexts(kUtil),
                    ElementsAre("CallLoadCallerIDThumbnail:CtIndex=7, w=" + std::to_string(c.fitW) +
                                ",h=" + std::to_string(c.fitH) + "\n"));
        // Record and pixels both go: the fixture finds no live block and no host bitmap.
        CallFreeCallerIDThumbnail(bmp);
        EXPECT_THAT(tmxhost::CallTexts({"_WmFreeBitmap"}).back(), ::testing::EndsWith(", 0)"));
    }
    CallFreeCallerIDThumbnail(nullptr);

    // Missing, empty, truncated and mislabelled files: null, no trace.
    const imagemaker::Bytes png = imagemaker::Png(160, 128, imagemaker::Solid(0xFF000000));
    std::string bad[] = {tmxhost::DataRoot() + "/missing.png", Write("empty.png", {}),
                         Write("cut.png", imagemaker::Bytes(png.begin(), png.end() - 20)),
                         Write("notes.jpg", {'n', 'o', 't', 'e', 's', '\n'})};
    tmxhost::TakeTraces();
    for (std::string& path : bad) {
        EXPECT_EQ(CallLoadCallerIDThumbnail(path.data(), 1), nullptr) << path;
    }
    EXPECT_THAT(TraceTexts(), IsEmpty());
}

TEST_F(ImageHelpersTest, OversizedThumbnailIsReportedAndStillReturned) {
    std::string path = Write("face.png", imagemaker::Png(160, 128, imagemaker::Solid(0xFFFFFFFF)));
    tmxhost::SetScaledImageSize(100, 64);
    tagWMBITMAP* bmp = CallLoadCallerIDThumbnail(path.data(), 3);
    ASSERT_NE(bmp, nullptr);
    EXPECT_EQ(bmp->rectW, 100);
    const std::vector<tmxhost::Report> reports = tmxhost::TakeReports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].kind, TMX_ASSERTION_ASSERT);
    EXPECT_EQ(reports[0].kindName, "ASSERTION_ASSERT");
    EXPECT_EQ(reports[0].expression, "pBmp->rectW <= CALLER_ID_IMAGE_WIDTH_MAX");
    EXPECT_EQ(reports[0].path, "CallCommonSvc\\VoiceVideoCommonSvc\\Util\\VoiceVideoCommonUtil");
    EXPECT_EQ(TraceTexts(kUtil).back(), "CallLoadCallerIDThumbnail:CtIndex=3, w=100,h=64\n");
    CallFreeCallerIDThumbnail(bmp);

    tmxhost::SetScaledImageSize(80, 65);
    bmp = CallLoadCallerIDThumbnail(path.data(), 3);
    ExpectReports({"pBmp->rectH <= CALLER_ID_IMAGE_HEIGHT_MAX"});
    CallFreeCallerIDThumbnail(bmp);
}

// Every allocation and platform call of the file path failed in turn: null, the failure's trace,
// and nothing left on the heap after any of them.
TEST_F(ImageHelpersTest, FaultSweepLeavesNothingBehind) {
    char* path =
        strdup(Write("photo.jpg", imagemaker::Jpeg(64, 48, imagemaker::Solid(0xFF804020))).c_str());
    const struct {
        const char* function;
        long long result;
        int nth;
        const char* trace;
        const char* report;
    } faults[] = {
        {"MemAllocTraceEx", 0, 1, "GetFitToScreenBitmap() : pPshFinalBitmap MemAlloc failed", ""},
        {"MemAllocTraceEx", 0, 2, "GetFitToScreenBitmap: Memory allocation is failed!", ""},
        {"ImgDecodeFileEx", 0, 1, "GetFitToScreenBitmap: ImgDecodeFileEx failed\n", ""},
        // Success claimed without an image.
        {"ImgDecodeFileEx", 1, 1, "", "pImgImage != NULL"},
        {"ImgScaleImage", 0, 1, "GetFitToScreenBitmap: ImgScaleImage returns FALSE !!! \n", ""},
    };
    for (const auto& f : faults) {
        SCOPED_TRACE(std::string(f.function) + " #" + std::to_string(f.nth));
        tmxhost::TakeTraces();
        tmxhost::FailCall(f.function, f.result, f.nth);
        EXPECT_EQ(CallLoadScaledImageBlackBackground(path, 32, 24, 0), nullptr);
        if (*f.trace != '\0') {
            ASSERT_FALSE(TraceTexts(kFail).empty());
            EXPECT_THAT(TraceTexts(kFail).back(), ::testing::StartsWith(f.trace));
        }
        ExpectReports(*f.report != '\0' ? std::vector<std::string>{f.report}
                                        : std::vector<std::string>{});
        EXPECT_THAT(tmxhost::LiveBlocks(), IsEmpty());
        tmxhost::ClearFaults();
    }
    // One allocation more than the path makes: it succeeds.
    tmxhost::FailCall("MemAllocTraceEx", 0, 3);
    tagWMBITMAP* bmp = CallLoadScaledImageBlackBackground(path, 32, 24, 0);
    ASSERT_NE(bmp, nullptr);
    CallFreeScaledImageBlackBackground(bmp);
    tmxhost::ClearFaults();

    // Empty boxes and a box too large for the heap fail at the pixel block.
    for (auto [w, h] : {std::pair{0, 24}, {32, -1}, {1 << 20, 1 << 20}}) {
        EXPECT_EQ(CallLoadScaledImageBlackBackground(path, w, h, 0), nullptr);
        EXPECT_THAT(TraceTexts(kFail).back(),
                    ::testing::StartsWith("GetFitToScreenBitmap: Memory allocation is failed!"));
    }
    EXPECT_EQ(CallLoadScaledImageBlackBackground(nullptr, 32, 24, 0), nullptr);
    char empty[] = "";
    EXPECT_EQ(CallLoadScaledImageBlackBackground(empty, 32, 24, 0), nullptr);
    ExpectReports({"szFilePath != NULL", "AcStrlen(szFilePath) > 0"});
    std::free(path);
}

// A 32-bit source is converted to the 16-bit pixels the block holds, over black; every
// allocation of that path failed in turn leaves nothing behind.
TEST_F(ImageHelpersTest, BitmapSourceOf32BitsIsConverted) {
    const imagemaker::Bytes png =
        imagemaker::Png(40, 20, [](int x, int) { return x < 20 ? 0xFFFF0000u : 0x80FFFFFFu; });
    tagWMBITMAP* src = tmxhost::DecodeImage(png.data(), png.size());
    ASSERT_NE(src, nullptr);
    ASSERT_EQ(src->nBitsPerPixel, 32);
    tagWMBITMAP* bmp = CallLoadScaledImageBlackBackgroundEx(src, 20, 10, 0);
    ASSERT_NE(bmp, nullptr);
    EXPECT_EQ(bmp->nBitsPerPixel, 16);
    EXPECT_EQ(BlockSize(bmp->pBits), 20u * 10 * 2);
    EXPECT_EQ(Pixel(bmp, 2, 5), 0xF800);
    EXPECT_EQ(Pixel(bmp, 17, 5), 0x8410) << "half-transparent white over black";
    EXPECT_EQ(TraceTexts(kUtil).back(), "LoadScaledImageBlackBackgroundEx:width=20,height=10\n");
    CallFreeScaledImageBlackBackground(bmp);

    for (int nth = 1; nth <= 3; ++nth) {
        SCOPED_TRACE(nth);
        tmxhost::FailCall("MemAllocTraceEx", 0, nth);
        EXPECT_EQ(CallLoadScaledImageBlackBackgroundEx(src, 20, 10, 0), nullptr);
        EXPECT_EQ(tmxhost::LiveBlocks().size(), 2u) << "only the source's blocks";
        tmxhost::ClearFaults();
    }
    tmxhost::FailCall("ImgScaleImage", 0);
    EXPECT_EQ(CallLoadScaledImageBlackBackgroundEx(src, 20, 10, 0), nullptr);
    EXPECT_EQ(TraceTexts(kFail).back(),
              "GetFitToScreenBitmapEx: ImgScaleImage returns FALSE !!! \n");
    EXPECT_EQ(tmxhost::LiveBlocks().size(), 2u);
    tmxhost::FreeBitmap(src);
    EXPECT_EQ(CallLoadScaledImageBlackBackgroundEx(nullptr, 20, 10, 0), nullptr);
    ExpectReports({"pSrc != NULL"});
}

// Damaged and oversized files are refused before any pixel buffer is made; a file's name does
// not decide its format.
TEST_F(ImageHelpersTest, BadFilesAreRefused) {
    const imagemaker::Bytes jpeg = imagemaker::Jpeg(64, 48, imagemaker::Solid(0xFF00FF00));
    imagemaker::Bytes bigJpeg = jpeg;
    for (std::size_t i = 0; i + 8 < bigJpeg.size(); ++i) {
        if (bigJpeg[i] == 0xFF && bigJpeg[i + 1] == 0xC0) {  // SOF0: height, width at 5 and 7
            bigJpeg[i + 5] = bigJpeg[i + 7] = 0xEA;
            bigJpeg[i + 6] = bigJpeg[i + 8] = 0x60;  // 60000 x 60000
            break;
        }
    }
    imagemaker::Bytes bigGif = imagemaker::Gif(8, 8, 1);
    bigGif[6] = bigGif[8] = 0x88;
    bigGif[7] = bigGif[9] = 0x13;  // a 5000 x 5000 screen: 25 million pixels
    const std::pair<std::string, imagemaker::Bytes> bad[] = {
        {"empty.png", {}},
        {"cut.jpg", imagemaker::Bytes(jpeg.begin(), jpeg.begin() + jpeg.size() * 2 / 3)},
        {"cut.gif",
         [] {
             imagemaker::Bytes gif = imagemaker::Gif(16, 16, 1);
             gif.resize(gif.size() - 12);
             return gif;
         }()},
        {"big.jpg", bigJpeg},
        {"big.gif", bigGif},
        {"text.gif", {'G', 'I', 'F', '8', '9', 'a'}},
    };
    for (const auto& [name, bytes] : bad) {
        std::string path = Write(name, bytes);
        EXPECT_EQ(CallLoadScaledImageBlackBackground(path.data(), 24, 32, 0), nullptr) << name;
        EXPECT_EQ(CallLoadCallerIDThumbnail(path.data(), 0), nullptr) << name;
        EXPECT_THAT(tmxhost::LiveBlocks(), IsEmpty()) << name;
    }
    std::string misnamed = Write("photo.png", jpeg);
    tagWMBITMAP* bmp = CallLoadScaledImageBlackBackground(misnamed.data(), 24, 32, 0);
    ASSERT_NE(bmp, nullptr);
    EXPECT_NEAR(Pixel(bmp, 12, 16) >> 5 & 0x3F, 0x3F, 2);
    CallFreeScaledImageBlackBackground(bmp);
}

}  // namespace
