// Call-screen drawing against its floor, in one run:
// - a full call screen: a pane list of five text panes over a 240x320 background, DrawShow,
//   next to the same pixels drawn directly with pixman and FreeType (text laid out once, glyphs
//   already rendered in a pixman glyph cache) and copied to a screen image;
// - one ticker animation step (the host clock moved by one frame period) next to a memcpy of the
//   frame's pixels plus one composition of a ticker-sized ARGB image onto the screen.
// The host's observation (call log, traces) is on, as in the tests. Only the ratios printed at
// the end mean anything.
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include <pixman.h>

#include <cstring>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "CallCommonSvc/Platform/TmxGWESCore.h"
#include "CallCommonSvc/Tool/CallPane.h"
#include "CallCommonSvc/Tool/CallTicker.h"
#include "TmxHost.h"

namespace {

constexpr int kWidth = 240;
constexpr int kHeight = 320;
const char* const kTexts[5] = {"Anna Berg", "+44 20 7946 0000", "Incoming call", "Mobile", "00:12"};

struct Pixels {
    std::vector<std::uint16_t> data;
    tagWMBITMAP record{};
    Pixels(int w, int h, int seed) : data(static_cast<std::size_t>(w) * h) {
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                data[static_cast<std::size_t>(y) * w + x] =
                    static_cast<std::uint16_t>(((x + seed) >> 3 << 11) | ((y >> 2) << 5) | 8);
            }
        }
        record.rectW = w;
        record.rectH = h;
        record.nBitsPerPixel = 16;
        record.pBits = data.data();
    }
};

void CallScreen(benchmark::State& state) {
    tmxhost::Reset();
    Pixels background(kWidth, kHeight, 0);
    const int window = tmxhost::CreateWindow(0, 0, kWidth, kHeight);
    CallPaneInfo panes[5] = {};
    for (int i = 0; i < 5; ++i) {
        std::snprintf(panes[i].szPaneID, sizeof(panes[i].szPaneID), "pane%d", i);
        panes[i].iObjType = CALL_PANE_TYPE_TEXT;
        panes[i].rect = {0, 20 + 40 * i, kWidth, 30};
        panes[i].obj.text.color = 0xFFFF;
        panes[i].obj.text.font = 2;
        panes[i].obj.text.align = 0x201;
        WmConvert2PCode(panes[i].obj.text.szText, sizeof(panes[i].obj.text.szText), kTexts[i]);
    }
    auto* list = new CCallPaneList();
    list->Create(window, tagWMRECT{0, 0, kWidth, kHeight}, panes, 5);
    list->SetBgImage(&background.record);
    long long iteration = 0;
    for (auto _ : state) {
        list->DrawShow();
        bench::TrimHostLogs(state, iteration++);
    }
    list->Destroy();
    tmxhost::DestroyWindow(window);
}

// The floor: the same background, the same five centred lines, with no layout work per frame.
struct GlyphFloor {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    pixman_glyph_cache_t* cache = pixman_glyph_cache_create();
    std::vector<std::vector<pixman_glyph_t>> lines;

    GlyphFloor() {
        FT_Init_FreeType(&library);
        FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>("DejaVu Sans"));
        FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);
        FcResult result;
        FcPattern* match = FcFontMatch(nullptr, pattern, &result);
        FcChar8* file = nullptr;
        FcPatternGetString(match, FC_FILE, 0, &file);
        FT_New_Face(library, reinterpret_cast<const char*>(file), 0, &face);
        FcPatternDestroy(match);
        FcPatternDestroy(pattern);
        FT_Set_Pixel_Sizes(face, 0, 20);
        const int ascender = static_cast<int>((face->size->metrics.ascender + 63) >> 6);
        const int height = static_cast<int>(
            (face->size->metrics.ascender - face->size->metrics.descender + 63) >> 6);
        pixman_glyph_cache_freeze(cache);
        for (int i = 0; i < 5; ++i) {
            std::vector<pixman_glyph_t> line;
            long long pen = 0;
            for (const char* c = kTexts[i]; *c != '\0'; ++c) {
                FT_Load_Char(face, static_cast<unsigned char>(*c), FT_LOAD_RENDER);
                const FT_Bitmap& bitmap = face->glyph->bitmap;
                void* key = reinterpret_cast<void*>(static_cast<std::uintptr_t>(*c));
                const void* glyph = pixman_glyph_cache_lookup(cache, face, key);
                if (glyph == nullptr && bitmap.width > 0) {
                    pixman_image_t* image =
                        pixman_image_create_bits(PIXMAN_a8, bitmap.width, bitmap.rows, nullptr, 0);
                    for (unsigned r = 0; r < bitmap.rows; ++r) {
                        std::memcpy(reinterpret_cast<char*>(pixman_image_get_data(image)) +
                                        r * pixman_image_get_stride(image),
                                    bitmap.buffer + r * bitmap.pitch, bitmap.width);
                    }
                    glyph = pixman_glyph_cache_insert(cache, face, key, -face->glyph->bitmap_left,
                                                      face->glyph->bitmap_top, image);
                    pixman_image_unref(image);
                }
                if (glyph != nullptr) {
                    line.push_back({static_cast<int>(pen >> 6), 0, glyph});
                }
                pen += face->glyph->advance.x;
            }
            const int left = (kWidth - static_cast<int>(pen >> 6)) / 2;
            const int baseline = 20 + 40 * i + (30 - height) / 2 + ascender;
            for (pixman_glyph_t& glyph : line) {
                glyph.x += left;
                glyph.y = baseline;
            }
            lines.push_back(std::move(line));
        }
        pixman_glyph_cache_thaw(cache);
    }
    ~GlyphFloor() {
        pixman_glyph_cache_destroy(cache);
        FT_Done_Face(face);
        FT_Done_FreeType(library);
    }
};

void CallScreenFloor(benchmark::State& state) {
    GlyphFloor floor;
    Pixels background(kWidth, kHeight, 0);
    pixman_image_t* source = pixman_image_create_bits(
        PIXMAN_r5g6b5, kWidth, kHeight, reinterpret_cast<std::uint32_t*>(background.data.data()),
        kWidth * 2);
    pixman_image_t* window = pixman_image_create_bits(PIXMAN_r5g6b5, kWidth, kHeight, nullptr, 0);
    pixman_image_t* screen = pixman_image_create_bits(PIXMAN_r5g6b5, kWidth, kHeight, nullptr, 0);
    pixman_color_t white{0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF};
    pixman_image_t* ink = pixman_image_create_solid_fill(&white);
    for (auto _ : state) {
        pixman_image_composite32(PIXMAN_OP_SRC, source, nullptr, window, 0, 0, 0, 0, 0, 0, kWidth,
                                 kHeight);
        pixman_glyph_cache_freeze(floor.cache);
        for (const auto& line : floor.lines) {
            pixman_composite_glyphs_no_mask(PIXMAN_OP_OVER, ink, window, 0, 0, 0, 0, floor.cache,
                                            static_cast<int>(line.size()), line.data());
        }
        pixman_glyph_cache_thaw(floor.cache);
        pixman_image_composite32(PIXMAN_OP_SRC, window, nullptr, screen, 0, 0, 0, 0, 0, 0, kWidth,
                                 kHeight);
        benchmark::DoNotOptimize(pixman_image_get_data(screen));
    }
    pixman_image_unref(ink);
    pixman_image_unref(screen);
    pixman_image_unref(window);
    pixman_image_unref(source);
}

constexpr int kTickerHeight = 40;
constexpr int kFrame = 32;

void TickerStep(benchmark::State& state) {
    tmxhost::Reset();
    const int window = tmxhost::CreateWindow(0, 0, kWidth, kHeight);
    Pixels background(kWidth, kTickerHeight, 3);
    Pixels frames[3] = {{kFrame, kFrame, 1}, {kFrame, kFrame, 2}, {kFrame, kFrame, 4}};
    CallTickerInfo info = {};
    info.bmBackground.pBitmap = &background.record;
    info.nTextCount = 1;
    info.txtObj[0].rect = {40, 0, 200, kTickerHeight};
    info.txtObj[0].color = 0xFFFF;
    info.txtObj[0].font = 1;
    WmConvert2PCode(info.txtObj[0].szText, sizeof(info.txtObj[0].szText), "Incoming call");
    info.aniObj = {4, 4, 3, 100, {&frames[0].record, &frames[1].record, &frames[2].record}};
    tagWMRECT rect{0, kHeight - kTickerHeight, kWidth, kTickerHeight};
    const int ticker = CallCreateTicker(window, &rect);
    CallDrawTicker(ticker, &info);
    CallShowTicker(ticker);
    if (tmxhost::Timers().empty()) {
        state.SkipWithError("the ticker's animation timer does not run");
    }
    long long iteration = 0;
    for (auto _ : state) {
        tmxhost::Advance(100);
        bench::TrimHostLogs(state, iteration++);
    }
    CallDestroyTicker(ticker);
    tmxhost::DestroyWindow(window);
}

void TickerStepFloor(benchmark::State& state) {
    Pixels frame(kFrame, kFrame, 1);
    std::vector<std::uint16_t> target(frame.data.size());
    pixman_image_t* ticker =
        pixman_image_create_bits(PIXMAN_a8r8g8b8, kWidth, kTickerHeight, nullptr, 0);
    pixman_color_t grey{0x8000, 0x8000, 0x8000, 0xFFFF};
    pixman_box32_t all{0, 0, kWidth, kTickerHeight};
    pixman_image_fill_boxes(PIXMAN_OP_SRC, ticker, &grey, 1, &all);
    pixman_image_t* screen = pixman_image_create_bits(PIXMAN_r5g6b5, kWidth, kHeight, nullptr, 0);
    for (auto _ : state) {
        std::memcpy(target.data(), frame.data.data(), frame.data.size() * 2);
        benchmark::DoNotOptimize(target.data());
        pixman_image_composite32(PIXMAN_OP_OVER, ticker, nullptr, screen, 0, 0, 0, 0, 0,
                                 kHeight - kTickerHeight, kWidth, kTickerHeight);
        benchmark::DoNotOptimize(pixman_image_get_data(screen));
    }
    pixman_image_unref(screen);
    pixman_image_unref(ticker);
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    tmxhost::Reset();
    tmxhost::SetTracePrint("");
    bench::Register("CallScreen", CallScreen);
    bench::Register("CallScreenFloor", CallScreenFloor);
    bench::Register("TickerStep", TickerStep);
    bench::Register("TickerStepFloor", TickerStepFloor);
    bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatio("CallScreen", "CallScreenFloor", "pixman and FreeType directly");
    reporter.PrintRatio("TickerStep", "TickerStepFloor", "memcpy plus one composition");
    benchmark::Shutdown();
    return 0;
}
