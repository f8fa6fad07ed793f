// The graphics host on its own: surfaces and composition, drawing bounds, text layout, image
// files and style sets.
#include <gif_lib.h>

#include <climits>
#include <cstdio>
#include <fstream>
#include <vector>

#include "CallCommonSvc/Platform/TmxGWESCore.h"
#include "CallCommonSvc/Platform/TmxGWESWinSet.h"
#include "support/HostTest.h"
#include "support/ImageMaker.h"

namespace {

constexpr std::uint16_t kRed = 0xF800;
constexpr std::uint16_t kBlue = 0x001F;
constexpr std::uint16_t kWhite = 0xFFFF;

// A bitmap that the test owns.
struct TestBitmap {
    std::vector<std::uint32_t> words;
    tagWMBITMAP record{};
    TestBitmap(int w, int h, int bpp, std::uint32_t fill) : words((w * h * bpp / 8 + 3) / 4) {
        record.rectW = w;
        record.rectH = h;
        record.nBitsPerPixel = static_cast<std::uint8_t>(bpp);
        record.pBits = words.data();
        for (int i = 0; i < w * h; ++i) {
            Set(i, fill);
        }
    }
    void Set(int i, std::uint32_t value) {
        if (record.nBitsPerPixel == 16) {
            static_cast<std::uint16_t*>(record.pBits)[i] = static_cast<std::uint16_t>(value);
        } else {
            words[i] = value;
        }
    }
    tagWMBITMAP* operator&() { return &record; }
};

struct Ink {
    int left = INT_MAX, top = INT_MAX, right = -1, bottom = -1;  // right and bottom inclusive
    bool Any() const { return right >= 0; }
};

Ink InkOf(int hWindow, int w, int h) {
    Ink ink;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            if (tmxhost::WindowPixel(hWindow, x, y) != 0) {
                ink = {std::min(ink.left, x), std::min(ink.top, y), std::max(ink.right, x),
                       std::max(ink.bottom, y)};
            }
        }
    }
    return ink;
}

int Red5(std::uint16_t pixel) {
    return pixel >> 11;
}

class GraphicsHostTest : public HostTest {
protected:
    void TearDown() override {
        for (int gc : m_gcs) {
            __WmDeleteGC(gc, 0, "test", 0);
        }
        for (int window : m_windows) {
            tmxhost::DestroyWindow(window);
        }
        HostTest::TearDown();
    }
    int Window(int x, int y, int w, int h) {
        m_windows.push_back(tmxhost::CreateWindow(x, y, w, h));
        return m_windows.back();
    }
    int Keep(int gc) {
        m_gcs.push_back(gc);
        return gc;
    }
    // Displays `text` with the given settings into the GC, in the box.
    static void Text(int gc, const char* text, tagWMRECT box, int align, int wrap, int font,
                     std::uint16_t color = kWhite) {
        unsigned short wide[256];
        WmConvert2PCode(wide, sizeof(wide), text);
        int hText = _WmTextCreate(wide, WmStrlen(wide), 1, "test", 0);
        ASSERT_NE(hText, -1);
        WmTextSetFontFgColor(hText, color);
        WmTextSetFont(hText, font);
        WmTextSetWrap(hText, wrap);
        WmTextSetAlign(hText, align);
        EXPECT_EQ(WmTextDisplay(gc, box, hText), 1);
        EXPECT_EQ(WmTextDestroy(hText), 1);
    }

private:
    std::vector<int> m_windows, m_gcs;
};

TEST_F(GraphicsHostTest, ViewsDrawIntoTheirWindowAndShowOnlyTheirRectangle) {
    const int win = Window(10, 20, 100, 80);
    const int gc = Keep(__WmCreateWindowSubGC(win, 20, 10, 30, 20, "test", 0));
    TestBitmap red(50, 50, 16, kRed);  // larger than the GC, drawn up and left of it
    EXPECT_EQ(WmDrawBitmap(gc, -5, -5, &red), 1);
    EXPECT_EQ(tmxhost::WindowPixel(win, 20, 10), kRed);
    EXPECT_EQ(tmxhost::WindowPixel(win, 49, 29), kRed);
    EXPECT_EQ(tmxhost::WindowPixel(win, 50, 10), 0);
    EXPECT_EQ(tmxhost::WindowPixel(win, 20, 30), 0);
    EXPECT_EQ(tmxhost::ScreenPixel(30, 30), 0) << "nothing reaches the screen before a show";

    EXPECT_EQ(_WmShowGC(gc, 1), 1);
    EXPECT_EQ(tmxhost::ScreenPixel(30, 30), kRed);
    EXPECT_EQ(tmxhost::ScreenPixel(59, 49), kRed);
    EXPECT_EQ(tmxhost::ScreenPixel(60, 49), 0);
    EXPECT_EQ(tmxhost::ScreenPixel(29, 30), 0);

    // A second view of the same window shows what the first drew.
    const int whole = Keep(__WmCreateClientSubGC(win, 0, 0, 100, 80, "test", 0));
    tmxhost::SetScreenSize(240, 320);
    EXPECT_EQ(_WmShowGC(whole, 1), 1);
    EXPECT_EQ(tmxhost::ScreenPixel(30, 30), kRed);
    EXPECT_EQ(_WmShowGC(whole, 0), 0);
}

TEST_F(GraphicsHostTest, OwnPixelsAreComposedOverTheWindowByOverlayMode) {
    // {mode, the half-transparent white pixel over blue}
    const std::vector<std::pair<int, std::uint16_t>> cases = {{1, 0x841F}, {2, 0x8410}};
    for (const auto& [mode, half] : cases) {
        SCOPED_TRACE(mode);
        const int win = Window(0, 0, 40, 40);
        const int view = Keep(__WmCreateWindowSubGC(win, 0, 0, 40, 40, "test", 0));
        TestBitmap blue(40, 40, 16, kBlue);
        WmDrawBitmap(view, 0, 0, &blue);
        const int mem = Keep(__WmCreateWindowSubMemGC(win, 10, 10, 20, 10, "test", 0));
        EXPECT_EQ(WmSetOverlayGC(mem, mode), 1);
        WmSetBgColor32(mem, 0x00000000);
        WmClearGC(mem);
        TestBitmap pixels(2, 1, 32, 0xFFFF0000);
        pixels.Set(1, 0x80808080);  // white at half alpha, premultiplied
        WmDrawBitmap(mem, 0, 0, &pixels);
        EXPECT_EQ(_WmShowGC(mem, 1), 1);
        EXPECT_EQ(tmxhost::ScreenPixel(10, 10), kRed) << "opaque pixels come through unchanged";
        EXPECT_EQ(tmxhost::ScreenPixel(11, 10), half);
        EXPECT_EQ(tmxhost::ScreenPixel(12, 10), kBlue) << "transparent pixels show the window";
        EXPECT_EQ(tmxhost::ScreenPixel(9, 10), 0) << "outside the GC the screen is untouched";
        EXPECT_EQ(tmxhost::WindowPixel(win, 10, 10), kBlue) << "the window keeps its pixels";
        tmxhost::DestroyWindow(win);
        tmxhost::SetScreenSize(240, 320);
    }
    EXPECT_TRUE(tmxhost::GCs().empty()) << "a window takes its GCs with it";
}

TEST_F(GraphicsHostTest, RectanglesAreOnepixelOutlinesClippedToTheGC) {
    const int win = Window(0, 0, 100, 100);
    const int gc = Keep(__WmCreateWindowSubGC(win, 7, 17, 56, 46, "test", 0));
    EXPECT_EQ(WmDrawRect(gc, 2, 2, 52, 42), 1);
    EXPECT_EQ(WmDrawRect(gc, 0, 0, 56, 46), 1);
    for (auto [x, y] : std::vector<std::pair<int, int>>{
             {9, 19}, {60, 19}, {9, 60}, {60, 60}, {7, 17}, {62, 62}, {30, 17}, {7, 40}}) {
        EXPECT_EQ(tmxhost::WindowPixel(win, x, y), kWhite) << x << "," << y;
    }
    for (auto [x, y] : std::vector<std::pair<int, int>>{{8, 18}, {10, 20}, {30, 40}, {63, 17}}) {
        EXPECT_EQ(tmxhost::WindowPixel(win, x, y), 0) << x << "," << y;
    }
    // Partly outside: only the part inside the GC is drawn; empty sizes draw nothing.
    const int small = Keep(__WmCreateWindowSubGC(win, 80, 80, 10, 10, "test", 0));
    EXPECT_EQ(WmDrawRect(small, -5, -5, 10, 10), 1);
    EXPECT_EQ(WmDrawRect(small, 5, 5, 0, 3), 1);
    EXPECT_EQ(WmDrawRect(small, 8, 8, 1, 1), 1);
    EXPECT_EQ(tmxhost::WindowPixel(win, 84, 80), kWhite);
    EXPECT_EQ(tmxhost::WindowPixel(win, 80, 84), kWhite);
    EXPECT_EQ(tmxhost::WindowPixel(win, 79, 84), 0);
    EXPECT_EQ(tmxhost::WindowPixel(win, 85, 85), 0);
    EXPECT_EQ(tmxhost::WindowPixel(win, 88, 88), kWhite);
    EXPECT_EQ(tmxhost::WindowPixel(win, 89, 88), 0);
}

TEST_F(GraphicsHostTest, ReplacementColourTintsAlphaBitmapsKeepingTheirAlpha) {
    const int win = Window(0, 0, 20, 20);
    const int gc = Keep(__WmCreateWindowSubGC(win, 0, 0, 20, 20, "test", 0));
    TestBitmap icon(2, 1, 32, 0xFFFFFFFF);
    icon.Set(1, 0x00000000);
    TestBitmap opaque(1, 1, 16, kWhite);
    EXPECT_EQ(WmSetWindowReplacementColor(win, 0xFF00FF00), 1);  // GCs follow their window
    WmDrawBitmap(gc, 0, 0, &icon);
    EXPECT_EQ(tmxhost::WindowPixel(win, 0, 0), 0x07E0);
    EXPECT_EQ(tmxhost::WindowPixel(win, 1, 0), 0);
    EXPECT_EQ(WmSetReplacementColor(gc, 0x00FF0000), 1);  // its own, top byte ignored
    WmDrawBitmap(gc, 0, 1, &icon);
    WmDrawBitmap(gc, 2, 1, &opaque);  // 16-bit bitmaps are never recoloured
    EXPECT_EQ(tmxhost::WindowPixel(win, 0, 1), kRed);
    EXPECT_EQ(tmxhost::WindowPixel(win, 2, 1), kWhite);
    WmSetFgOpacityLevel(gc, 0);
    WmDrawBitmap(gc, 0, 2, &icon);
    WmDrawBitmap(gc, 2, 2, &opaque);
    EXPECT_EQ(tmxhost::WindowPixel(win, 0, 2), 0);
    EXPECT_EQ(tmxhost::WindowPixel(win, 2, 2), 0);
}

TEST_F(GraphicsHostTest, CapturesAreRgb565AndFreedWholeWithFlagZero) {
    const int win = Window(0, 0, 20, 20);
    const int gc = Keep(__WmCreateWindowSubGC(win, 0, 0, 20, 20, "test", 0));
    TestBitmap red(20, 20, 16, kRed);
    WmDrawBitmap(gc, 0, 0, &red);
    tagWMBITMAP* shot = _WmCaptureBitmap(gc, -2, 0, 3, 1, 1, "test", 1);
    ASSERT_NE(shot, nullptr);
    EXPECT_EQ(shot->nBitsPerPixel, 16);
    const auto* px = static_cast<const std::uint16_t*>(shot->pBits);
    EXPECT_EQ(px[0], 0) << "outside the GC reads black";
    EXPECT_EQ(px[2], kRed);
    EXPECT_EQ(tmxhost::Bitmaps().size(), 1u);
    EXPECT_EQ(_WmFreeBitmap(shot, 0, "test", 2), 1);
    EXPECT_TRUE(tmxhost::LiveBlocks().empty());

    tagWMBITMAP* kept = _WmCaptureBitmap(gc, 0, 0, 1, 1, 1, "test", 3);
    ASSERT_NE(kept, nullptr);
    void* pixels = kept->pBits;
    EXPECT_EQ(_WmFreeBitmap(kept, 1, "test", 4), 1);
    EXPECT_EQ(tmxhost::LiveBlocks().size(), 1u) << "flag 1 leaves the pixels to the caller";
    MemFreeTraceMultiHeap(pixels, "test", 5);

    EXPECT_EQ(_WmCaptureBitmap(gc, 0, 0, 0, 5, 1, "test", 6), nullptr);
    EXPECT_EQ(_WmCaptureBitmap(gc, 0, 0, 100000, 5, 1, "test", 7), nullptr);
}

TEST_F(GraphicsHostTest, BadInputIsRefusedOrClippedNeverDrawnOutside) {
    const int win = Window(0, 0, 30, 30);
    const int gc = Keep(__WmCreateWindowSubGC(win, 10, 10, 10, 10, "test", 0));
    TestBitmap red(4, 4, 16, kRed);
    tagWMBITMAP noPixels = red.record;
    noPixels.pBits = nullptr;
    tagWMBITMAP badDepth = red.record;
    badDepth.nBitsPerPixel = 8;
    tagWMBITMAP negative = red.record;
    negative.rectW = -4;
    tagWMBITMAP huge = red.record;
    huge.rectH = 1 << 30;
    tagWMBITMAP tooSmall = red.record;
    tooSmall.pBits = MemAllocTraceEx(0, 8, "test", 1);  // 4x4 pixels need 32 bytes
    for (tagWMBITMAP* bad :
         {static_cast<tagWMBITMAP*>(nullptr), &noPixels, &badDepth, &negative, &huge, &tooSmall}) {
        EXPECT_EQ(WmDrawBitmap(gc, 0, 0, bad), 0);
        EXPECT_EQ(WmDrawSubBitmap(gc, 0, 0, bad, 0, 0, 4, 4), 0);
    }
    MemFreeTraceMultiHeap(tooSmall.pBits, "test", 2);
    EXPECT_EQ(WmDrawBitmap(-1, 0, 0, &red), 0);
    EXPECT_EQ(WmDrawBitmap(gc, INT_MAX, INT_MIN, &red), 1);
    EXPECT_EQ(WmDrawSubBitmap(gc, 0, 0, &red, INT_MIN, INT_MIN, INT_MAX, INT_MAX), 1);
    EXPECT_EQ(WmDrawSubBitmap(gc, -1, -1, &red, 2, 2, INT_MAX, INT_MAX), 1);
    EXPECT_EQ(WmDrawRect(gc, INT_MAX - 1, INT_MAX - 1, INT_MAX, INT_MAX), 1);
    EXPECT_EQ(__WmCreateWindowSubGC(win, 0, 0, -5, 5, "test", 0), -1);
    EXPECT_EQ(__WmCreateWindowSubMemGC(win, 0, 0, 5000, 5, "test", 0), -1);
    EXPECT_EQ(__WmCreateWindowSubGC(12345, 0, 0, 5, 5, "test", 0), -1);
    EXPECT_EQ(__WmCreateScreenSubGC(0, 24, 0, 0, 5, 5, "test", 0), -1);
    EXPECT_EQ(_WmTextCreate(nullptr, 3, 1, "test", 0), -1);
    tagWMRECT box{INT_MIN, INT_MIN, INT_MAX, INT_MAX};
    EXPECT_EQ(WmTextDisplay(gc, box, 424242), 0);
    EXPECT_EQ(tmxhost::CreateWindow(0, 0, 0, 10), -1);
    // Only the GC's 10x10 square was drawn: the sub-bitmap at (-1, -1) left 1x1 of red.
    Ink ink = InkOf(win, 30, 30);
    EXPECT_EQ(ink.left, 10);
    EXPECT_EQ(ink.top, 10);
    EXPECT_EQ(ink.right, 10);
    EXPECT_EQ(ink.bottom, 10);
}

TEST_F(GraphicsHostTest, TextFollowsItsAlignmentInsideTheBox) {
    const int win = Window(0, 0, 200, 100);
    const int gc = Keep(__WmCreateWindowSubGC(win, 0, 0, 200, 100, "test", 0));
    const tagWMRECT box{20, 10, 160, 80};
    struct Case {
        int align;
        int hPos;  // -1 left, 0 centre, 1 right
        int vPos;  // -1 top, 0 centre, 1 bottom
    };
    for (Case c : std::vector<Case>{{0, -1, -1},
                                    {0x001, 0, -1},
                                    {0x002, 1, -1},
                                    {0x200, -1, 0},
                                    {0x400, -1, 1},
                                    {0x201, 0, 0}}) {
        SCOPED_TRACE(c.align);
        WmClearGC(gc);
        Text(gc, "Hi there", box, c.align, 2, 2);
        Ink ink = InkOf(win, 200, 100);
        ASSERT_TRUE(ink.Any());
        EXPECT_GE(ink.left, 20);
        EXPECT_LE(ink.right, 179);
        EXPECT_GE(ink.top, 10);
        EXPECT_LE(ink.bottom, 89);
        const int leftGap = ink.left - 20, rightGap = 179 - ink.right;
        const int topGap = ink.top - 10, bottomGap = 89 - ink.bottom;
        const int offH = c.hPos == -1  ? leftGap
                         : c.hPos == 1 ? rightGap
                                       : std::abs(leftGap - rightGap);
        const int offV = c.vPos == -1  ? topGap
                         : c.vPos == 1 ? bottomGap
                                       : std::abs(topGap - bottomGap);
        EXPECT_LE(offH, 3) << leftGap << " " << rightGap;
        EXPECT_LE(offV, 8) << topGap << " " << bottomGap;
    }
}

TEST_F(GraphicsHostTest, TextWrapsAtWordsAndIsClippedAtTheBox) {
    const int win = Window(0, 0, 200, 120);
    const int gc = Keep(__WmCreateWindowSubGC(win, 0, 0, 200, 120, "test", 0));
    const tagWMRECT box{10, 10, 70, 100};
    Text(gc, "one two three four", box, 0, 2, 1, kRed);
    Ink wrapped = InkOf(win, 200, 120);
    EXPECT_GT(wrapped.bottom - wrapped.top, 2 * 16) << "more than two lines";
    EXPECT_LE(wrapped.right, 79);
    EXPECT_EQ(tmxhost::WindowPixel(win, 0, 0), 0);
    bool exact = false;  // glyph cores are drawn in the text's colour
    for (int y = wrapped.top; y <= wrapped.bottom; ++y) {
        for (int x = wrapped.left; x <= wrapped.right; ++x) {
            exact = exact || tmxhost::WindowPixel(win, x, y) == kRed;
        }
    }
    EXPECT_TRUE(exact);

    WmClearGC(gc);
    Text(gc, "one two three four", box, 0, 0, 1);
    Ink line = InkOf(win, 200, 120);
    EXPECT_LT(line.bottom - line.top, 16) << "one line";
    EXPECT_EQ(line.right, 79) << "clipped at the box's right edge";

    WmClearGC(gc);
    Text(gc, "H", box, 0, 0, 0);
    const int smallHeight = InkOf(win, 200, 120).bottom - InkOf(win, 200, 120).top;
    WmClearGC(gc);
    Text(gc, "H", box, 0, 0, 4);
    const int largeHeight = InkOf(win, 200, 120).bottom - InkOf(win, 200, 120).top;
    EXPECT_GT(largeHeight, 2 * smallHeight - 4) << "font 4 is larger than font 0";

    // A length past the terminator draws only the text before it.
    WmClearGC(gc);
    const unsigned short units[] = {'H', 0, 'W', 'W'};
    const int hText = _WmTextCreate(units, 4, 1, "test", 0);
    WmTextSetFont(hText, 4);
    WmTextDisplay(gc, box, hText);
    WmTextDestroy(hText);
    EXPECT_EQ(InkOf(win, 200, 120).bottom - InkOf(win, 200, 120).top, largeHeight);
    EXPECT_LT(InkOf(win, 200, 120).right, 10 + 32);
}

int GifWrite(GifFileType* gif, const GifByteType* data, int length) {
    auto* bytes = static_cast<std::vector<unsigned char>*>(gif->UserData);
    bytes->insert(bytes->end(), data, data + length);
    return length;
}

// A 4x2 GIF: colour 0 red, 1 blue, 2 transparent.
std::vector<unsigned char> WriteGif(const std::vector<GifPixelType>& pixels) {
    std::vector<unsigned char> bytes;
    int error = 0;
    GifFileType* gif = EGifOpen(&bytes, GifWrite, &error);
    GifColorType colors[4] = {{255, 0, 0}, {0, 0, 255}, {0, 255, 0}, {0, 0, 0}};
    ColorMapObject* map = GifMakeMapObject(4, colors);
    EGifSetGifVersion(gif, true);
    EGifPutScreenDesc(gif, 4, 2, 2, 0, map);
    GraphicsControlBlock control{DISPOSAL_UNSPECIFIED, false, 0, 2};
    GifByteType extension[4];
    size_t length = EGifGCBToExtension(&control, extension);
    EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), extension);
    EGifPutImageDesc(gif, 0, 0, 4, 2, false, nullptr);
    std::vector<GifPixelType> row(pixels);
    EGifPutLine(gif, row.data(), 4);
    EGifPutLine(gif, row.data() + 4, 4);
    EGifCloseFile(gif, &error);
    GifFreeMapObject(map);
    return bytes;
}

std::uint32_t Word(const tagWMBITMAP* bitmap, int i) {
    return bitmap->nBitsPerPixel == 32 ? static_cast<const std::uint32_t*>(bitmap->pBits)[i]
                                       : static_cast<const std::uint16_t*>(bitmap->pBits)[i];
}

TEST_F(GraphicsHostTest, ImageFilesDecodeToHostBitmaps) {
    // PNG with alpha: 32 bits, premultiplied; opaque PNG: RGB565.
    auto png = imagemaker::Png(2, 1, [](int x, int) { return x == 0 ? 0xFFFF0000u : 0x80FFFFFFu; });
    std::string error;
    tagWMBITMAP* alpha = tmxhost::DecodeImage(png.data(), png.size(), &error);
    ASSERT_NE(alpha, nullptr) << error;
    EXPECT_EQ(alpha->nBitsPerPixel, 32);
    EXPECT_EQ(Word(alpha, 0), 0xFFFF0000u);
    EXPECT_EQ(Word(alpha, 1), 0x80808080u);
    tmxhost::FreeBitmap(alpha);
    auto opaque = imagemaker::Png(1, 1, imagemaker::Solid(0xFFFF0000));
    tagWMBITMAP* plain = tmxhost::DecodeImage(opaque.data(), opaque.size());
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plain->nBitsPerPixel, 16);
    EXPECT_EQ(Word(plain, 0), kRed);
    tmxhost::FreeBitmap(plain);

    auto jpeg = imagemaker::Jpeg(16, 8, imagemaker::Solid(0xFF0000FF), 95);
    tagWMBITMAP* photo = tmxhost::DecodeImage(jpeg.data(), jpeg.size(), &error);
    ASSERT_NE(photo, nullptr) << error;
    EXPECT_EQ(photo->rectW * 100 + photo->rectH, 1608);
    EXPECT_EQ(photo->nBitsPerPixel, 16);
    EXPECT_GE(Word(photo, 20) & 0x1F, 29u);
    EXPECT_LE(Red5(static_cast<std::uint16_t>(Word(photo, 20))), 2);
    tmxhost::FreeBitmap(photo);

    auto gif = WriteGif({0, 1, 2, 0, 1, 1, 1, 1});
    tagWMBITMAP* frame = tmxhost::DecodeImage(gif.data(), gif.size(), &error);
    ASSERT_NE(frame, nullptr) << error;
    EXPECT_EQ(frame->nBitsPerPixel, 32);
    EXPECT_EQ(Word(frame, 0), 0xFFFF0000u);
    EXPECT_EQ(Word(frame, 1), 0xFF0000FFu);
    EXPECT_EQ(Word(frame, 2), 0u) << "the transparent colour";
    tmxhost::FreeBitmap(frame);

    // Damaged, truncated and oversized files are refused with a message.
    std::vector<unsigned char> huge(png.begin(), png.end());
    huge[16] = 0x7F;  // IHDR width's high byte (the CRC no longer matches either)
    const std::vector<std::pair<std::vector<unsigned char>, std::string>> bad = {
        {{}, "not an image"},
        {{'a', 'b', 'c', 'd', 'e'}, "not a PNG, JPEG, GIF or WebP image"},
        {std::vector<unsigned char>(png.begin(), png.begin() + 30), "damaged PNG"},
        {huge, "PNG"},
        {std::vector<unsigned char>(jpeg.begin(), jpeg.begin() + 40), "JPEG"},
        {std::vector<unsigned char>(gif.begin(), gif.begin() + 30), "GIF"},
    };
    for (const auto& [bytes, message] : bad) {
        error.clear();
        EXPECT_EQ(tmxhost::DecodeImage(bytes.data(), bytes.size(), &error), nullptr) << message;
        EXPECT_NE(error.find(message), std::string::npos) << error;
    }
    EXPECT_EQ(tmxhost::LoadImage(tmxhost::DataRoot() + "/missing.png", &error), nullptr);
    EXPECT_NE(error.find("missing.png: cannot be read"), std::string::npos) << error;
}

TEST_F(GraphicsHostTest, ScreenSizeAndPngSnapshot) {
    EXPECT_EQ(SysGetLcdWidth(0) * 1000 + SysGetLcdHeight(0), 240320u);
    ASSERT_TRUE(tmxhost::SetScreenSize(64, 48));
    EXPECT_EQ(SysGetLcdWidth(0) * 1000 + SysGetLcdHeight(0), 64048u);
    EXPECT_FALSE(tmxhost::SetScreenSize(0, 48));
    const int win = Window(-8, 40, 20, 20);  // partly off the screen
    const int gc = Keep(__WmCreateWindowSubGC(win, 0, 0, 20, 20, "test", 0));
    TestBitmap blue(20, 20, 16, kBlue);
    WmDrawBitmap(gc, 0, 0, &blue);
    WmDrawRect(gc, 0, 0, 20, 20);
    _WmShowGC(gc, 1);
    const std::string path = tmxhost::DataRoot() + "/screen.png";
    std::string error;
    ASSERT_TRUE(tmxhost::SaveScreenPng(path, &error)) << error;
    tagWMBITMAP* saved = tmxhost::LoadImage(path, &error);
    ASSERT_NE(saved, nullptr) << error;
    ASSERT_EQ(saved->rectW * 100 + saved->rectH, 6448);
    for (int i = 0; i < 64 * 48; ++i) {
        ASSERT_EQ(Word(saved, i), tmxhost::ScreenPixel(i % 64, i / 64)) << i;
    }
    EXPECT_EQ(tmxhost::ScreenPixel(11, 47), kWhite);
    EXPECT_EQ(tmxhost::ScreenPixel(5, 45), kBlue);
    tmxhost::FreeBitmap(saved);
    EXPECT_FALSE(tmxhost::SaveScreenPng(tmxhost::DataRoot() + "/no/such/dir/x.png", &error));
}

TEST_F(GraphicsHostTest, ThemesLoadWithClearErrorsAndDeriveColours) {
    WsStyleSet* defaults = WsGetCurrentStyleSet();
    ASSERT_NE(WsGetStyleSetItem(defaults, 0x1001), nullptr) << "the default theme is loaded";
    const std::string dir = tmxhost::DataRoot();
    auto write = [&](const std::string& name, const std::string& text) {
        std::ofstream(dir + "/" + name) << text;
        return dir + "/" + name;
    };
    const std::vector<std::pair<std::string, std::string>> bad = {
        {dir + "/missing.json", "missing.json: cannot be read"},
        {write("broken.json", "{\"items\": ["), "broken.json: "},
        {write("noitems.json", "{}"), "items: missing"},
        {write("colour.json", R"({"items": [{"id": 1, "color": "red"}]})"), "items[0].color"},
        {write("twice.json", R"({"items": [{"id": 1, "color": "#000000"},
                                           {"id": "0x1", "color": "#000000"}]})"),
         "items[1].id: repeats"},
    };
    for (const auto& [path, message] : bad) {
        std::string error;
        EXPECT_FALSE(tmxhost::LoadTheme(path, &error));
        EXPECT_NE(error.find(message), std::string::npos) << error;
        EXPECT_NE(WsGetStyleSetItem(WsGetCurrentStyleSet(), 0x1001), nullptr);
    }

    std::string error;
    ASSERT_TRUE(tmxhost::LoadTheme(write("good.json", R"({"items": [
        {"id": 7, "color": "#804020", "opacity": 90}, {"id": "0x8", "color": "#80FF0000"}]})"),
                                   &error))
        << error;
    const WsStyleItem* item = WsGetStyleSetItem(WsGetCurrentStyleSet(), 7);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->nOpacityLevel, 90);
    EXPECT_EQ(WsGetStyleSetItem(WsGetCurrentStyleSet(), 0x1001), nullptr);
    const std::vector<std::tuple<int, int, unsigned>> derivations = {
        {WS_DERIVE_AS_IS, 50, 0xFF804020},   {WS_DERIVE_LIGHTER, 50, 0xFFC0A090},
        {WS_DERIVE_DARKER, 50, 0xFF402010},  {WS_DERIVE_LIGHTER, 150, 0xFFFFFFFF},
        {WS_DERIVE_DARKER, -20, 0xFF804020}, {7, 50, 0xFF804020}};
    for (const auto& [method, value, color] : derivations) {
        EXPECT_EQ(WsGetStyleItemDerivativeColor(item, method, value), color)
            << method << "/" << value;
    }
    const WsStyleItem* translucent = WsGetStyleSetItem(WsGetCurrentStyleSet(), 8);
    ASSERT_NE(translucent, nullptr);
    EXPECT_EQ(translucent->nOpacityLevel, 255);
    EXPECT_EQ(WsGetStyleItemDerivativeColor(translucent, WS_DERIVE_DARKER, 100), 0x80000000u);
    EXPECT_EQ(WsGetStyleItemDerivativeColor(nullptr, 0, 0), 0u);
    EXPECT_EQ(WsGetStyleSetItem(nullptr, 7), nullptr);
}

}  // namespace
