// callsvc screen: reference screens rendered through the widgets, and layouts refused with the
// key that is wrong, exit code 1 and no file written.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "CallCommonSvc/Platform/TmxGWESCore.h"
#include "screens/ScreenMatch.h"
#include "support/HostTest.h"

namespace {

namespace fs = std::filesystem;

Outcome Screen(const std::string& args) {
    return RunCallsvc("screen", args);
}

std::string Layouts() {
    return ((fs::path(CALLSVC_TESTS_DIR) / "screens") / "layouts").string();
}

// The smallest rectangle {x, y, w, h} holding every pixel in which two PNGs of one size differ;
// w is 0 when they are the same, -1 when they cannot be compared.
std::vector<int> Changed(const std::string& a, const std::string& b) {
    tagWMBITMAP* one = tmxhost::LoadImage(a);
    tagWMBITMAP* two = tmxhost::LoadImage(b);
    std::vector<int> box = {0, 0, -1, 0};
    if (one != nullptr && two != nullptr && one->rectW == two->rectW && one->rectH == two->rectH &&
        one->nBitsPerPixel == 16 && two->nBitsPerPixel == 16) {
        int x0 = one->rectW, y0 = one->rectH, x1 = -1, y1 = -1;
        auto* p = static_cast<const std::uint16_t*>(one->pBits);
        auto* q = static_cast<const std::uint16_t*>(two->pBits);
        for (int y = 0; y < one->rectH; ++y) {
            for (int x = 0; x < one->rectW; ++x) {
                if (p[y * one->rectW + x] != q[y * one->rectW + x]) {
                    x0 = std::min(x0, x), y0 = std::min(y0, y);
                    x1 = std::max(x1, x), y1 = std::max(y1, y);
                }
            }
        }
        box = x1 < 0 ? std::vector<int>{0, 0, 0, 0}
                     : std::vector<int>{x0, y0, x1 - x0 + 1, y1 - y0 + 1};
    }
    tmxhost::FreeBitmap(one);
    tmxhost::FreeBitmap(two);
    return box;
}

// A change was found, and only inside `area`.
::testing::AssertionResult Within(const std::vector<int>& box, const std::vector<int>& area) {
    if (box[2] > 0 && box[0] >= area[0] && box[1] >= area[1] &&
        box[0] + box[2] <= area[0] + area[2] && box[1] + box[3] <= area[1] + area[3]) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << "changed {" << box[0] << ", " << box[1] << ", " << box[2] << ", " << box[3] << "}";
}

class ScreenCommand : public HostTest {};

TEST_F(ScreenCommand, RendersPaneListPicturesAndTickerLikeTheirReferences) {
    struct Case {
        const char* name;
        std::string layout;
        const char* extra;
    };
    const std::string example =
        (fs::path(CALLSVC_TESTS_DIR).parent_path() / "examples" / "screen" / "call.json").string();
    const Case cases[] = {
        {"panes", Layouts() + "/panes.json", ""},
        {"pictures", Layouts() + "/pictures.json", ""},
        {"ticker_0", Layouts() + "/ticker.json", ""},
        // 250 ms a frame: frames 1, 2 and 0 have come and gone, frame 1 again.
        {"ticker_1000", Layouts() + "/ticker.json", " --at 1000"},
        {"example_call", example, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string out = screens::OutputDir() + "/" + c.name + ".png";
        fs::remove(out);
        Outcome made = Screen("'" + c.layout + "' --png '" + out + "'" + c.extra);
        ASSERT_EQ(made.code, 0) << made.err;
        EXPECT_TRUE(screens::MatchesReference(c.name, out));
    }
}

// What changes between two renderings stays inside the widget that changed: the ticker's
// animation box after 1000 ms, the state pane when only its text differs.
TEST_F(ScreenCommand, ChangesStayInsideTheWidgetThatChanged) {
    const std::string root = tmxhost::DataRoot();
    auto render = [&](const std::string& layout, const std::string& name,
                      const std::string& extra = "") {
        const std::string out = root + "/" + name + ".png";
        Outcome made = Screen("'" + layout + "' --png '" + out + "'" + extra);
        EXPECT_EQ(made.code, 0) << made.err;
        return out;
    };
    // Window at (0, 40), ticker at (0, 40) in it, frames of at most 16 x 16 at (4, 8).
    const std::string ticker = Layouts() + "/ticker.json";
    EXPECT_TRUE(Within(Changed(render(ticker, "t0"), render(ticker, "t1000", " --at 1000")),
                       {4, 88, 16, 16}));
    EXPECT_EQ(Changed(render(ticker, "t750", " --at 750"), render(ticker, "t0")),
              (std::vector<int>{0, 0, 0, 0}))
        << "the animation has come round to frame 0";

    std::ifstream file(Layouts() + "/panes.json");
    std::string text(std::istreambuf_iterator<char>(file), {});
    const std::string from = "Incoming call on line two";
    text.replace(text.find(from), from.size(), "Call ended");
    // The copy finds its images where the original does: ../data.
    fs::create_directories(root + "/layouts");
    fs::copy(screens::DataDir(), root + "/data");
    std::ofstream(root + "/layouts/panes.json") << text;
    const std::vector<int> box = Changed(render(Layouts() + "/panes.json", "before"),
                                         render(root + "/layouts/panes.json", "after"));
    EXPECT_TRUE(Within(box, {8, 92, 100, 24})) << "the state pane";
}

// Colours a layout leaves out come from the theme: the window's background and a frame.
TEST_F(ScreenCommand, ThemeGivesTheColoursLeftOut) {
    const std::string root = tmxhost::DataRoot();
    std::ofstream(root + "/layout.json") << R"({"screen": {"width": 40, "height": 40},
               "pictures": [{"rect": [10, 10, 24, 24], "image": ")"
                                         << screens::DataDir() << R"(/checker.png"}]})";
    std::ofstream(root + "/theme.json") << R"({"name": "Test", "items": [
        {"id": "0x1000", "color": "#0000FF"}, {"id": "0x1004", "color": "#FF0000"}]})";
    std::string pixels;
    for (const std::string& theme : {std::string(), " --theme '" + root + "/theme.json'"}) {
        Outcome made = Screen("'" + root + "/layout.json' --png '" + root + "/out.png'" + theme);
        ASSERT_EQ(made.code, 0) << made.err;
        tagWMBITMAP* shot = tmxhost::LoadImage(root + "/out.png");
        ASSERT_NE(shot, nullptr);
        auto at = [shot](int x, int y) {
            return static_cast<const std::uint16_t*>(shot->pBits)[y * shot->rectW + x];
        };
        // (0, 0) is background; (7, 7) the outer frame's corner; (8, 8) between the frames.
        char line[40];
        std::snprintf(line, sizeof(line), "%04X %04X %04X;", at(0, 0), at(7, 7), at(8, 8));
        pixels += line;
        tmxhost::FreeBitmap(shot);
    }
    EXPECT_EQ(pixels, "0000 FFFF 0000;001F F800 001F;");
}

TEST_F(ScreenCommand, ErrorsNameTheKeyExitOneAndWriteNothing) {
    const std::string root = tmxhost::DataRoot();
    const std::string data = screens::DataDir();
    std::ofstream(root + "/broken.png") << "\x89PNG\r\n\x1a\n this is no image";
    struct Case {
        const char* layout;
        const char* message;
    };
    const std::string png = "\"" + data + "/frame0.png\"";
    const std::string text128(128, 'x');
    const std::string fourBitmaps = "[{}, {}, {}, {}]";
    const std::string sixTickers =
        R"([{"rect": [0,0,1,1]}, {"rect": [0,0,1,1]}, {"rect": [0,0,1,1]}, {"rect": [0,0,1,1]},
            {"rect": [0,0,1,1]}, {"rect": [0,0,1,1]}])";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {R"({"panes": {"items": [{"id": "a", "kind": "text", "rect": [0, 0, 9, 9]},
                                  {"id": "b", "kind": "bmp", "rect": [0, 0, 9, 9]}]}})",
         R"(panes.items[1]: unknown kind "bmp")"},
        {R"({"panes": {"items": [{"id": "a", "kind": "text"}]}})",
         R"(panes.items[0]: missing "rect")"},
        {R"({"panes": {"items": [{"id": "a", "kind": "text", "rect": [0, 0, 9, 9]},
                                  {"id": "a", "kind": "text", "rect": [0, 0, 9, 9]}]}})",
         R"(panes.items[1].id: "a" already names panes.items[0])"},
        {R"({"panes": {"items": [{"id": "a", "kind": "bitmap", "rect": [0, 0, 9, 9],
                                  "text": "x"}]}})",
         R"(panes.items[0]: unknown key "text")"},
        {R"({"panes": {"items": [{"id": "a", "kind": "text", "rect": [0, 0, 9, 9],
                                  "text": ")" +
             text128 + R"("}]}})",
         "panes.items[0].text: longer than 127 UTF-16 units"},
        {R"({"window": [0, 0, -5, 10]})", "window[2]: must be between 1 and 8192"},
        {R"({"screen": {"width": 0}})", "screen.width: must be between 1 and 8192"},
        {R"({"pictures": [{"rect": [0, 0, 9, 9], "color": "red"}]})",
         R"(pictures[0].color: expected a colour "#RRGGBB")"},
        {R"({"pictures": [{"rect": [0, 0, 9, 9.5]}]})", "pictures[0].rect[3]: expected an integer"},
        {R"({"tickers": [{"rect": [0, 0, 9, 9], "bitmaps": )" + fourBitmaps + "}]}",
         "tickers[0].bitmaps: at most 3 items, not 4"},
        {R"({"tickers": )" + sixTickers + "}", "tickers: at most 5 items, not 6"},
        {R"({"tickers": [{"rect": [0, 0, 241, 20]}]})",
         "tickers[0].rect: larger than the screen (240 x 320)"},
        {R"({"tickers": [{"rect": [0, 0, 9, 9], "animation": {"duration": 0}}]})",
         "tickers[0].animation.duration: must be between 10 and 600000"},
        {R"({"colour": "#FFFFFF"})", R"(layout: unknown key "colour")"},
        {R"({"at": 1, )", "layout: parse error at line 1, column 11"},
        {R"({"background": "missing.png", "panes": {}})",
         R"(background: cannot load ")" + root + "/missing.png\""},
        {R"({"tickers": [{"rect": [0, 0, 9, 9], "animation": {"frames": [)" + png +
             R"(, "broken.png"]}}]})",
         R"(tickers[0].animation.frames[1]: cannot load ")" + root + "/broken.png\""},
    };
    const std::string out = root + "/out.png";
    for (const auto& [layout, message] : cases) {
        SCOPED_TRACE(layout);
        std::ofstream(root + "/layout.json", std::ios::trunc) << layout;
        Outcome refused = Screen("'" + root + "/layout.json' --png '" + out + "'");
        EXPECT_EQ(refused.code, 1);
        EXPECT_THAT(refused.err, ::testing::HasSubstr("callsvc screen: " + message)) << layout;
        EXPECT_FALSE(fs::exists(out));
    }

    // A theme that cannot be read, a layout that is not there; usage errors exit 2.
    std::ofstream(root + "/layout.json", std::ios::trunc) << "{}";
    const std::string layout = "'" + root + "/layout.json'", to = " --png '" + out + "'";
    std::string codes;
    for (const std::string& args :
         {layout + to + " --theme '" + root + "/nothere.json'", "'" + root + "/nothere.json'" + to,
          layout, layout + to + " --at -1", to, std::string("--help")}) {
        codes += std::to_string(Screen(args).code);
    }
    EXPECT_EQ(codes, "112220");
    EXPECT_FALSE(fs::exists(out));
}

}  // namespace
