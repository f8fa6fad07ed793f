// callsvc screen: reference screens rendered through the widgets, and layouts refused with the
// key that is wrong, exit code 1 and no file written.
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "screens/ScreenMatch.h"
#include "support/HostTest.h"

namespace {

namespace fs = std::filesystem;

struct Outcome {
    int code;
    std::string err;
};

Outcome Screen(const std::string& args) {
    const std::string root = tmxhost::DataRoot();
    int status = std::system(("'" CALLSVC_TOOL_FILE "' screen " + args + " --data '" + root +
                              "' >/dev/null 2>'" + root + "/err'")
                                 .c_str());
    std::ifstream file(root + "/err");
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1,
            std::string(std::istreambuf_iterator<char>(file), {})};
}

std::string Layouts() {
    return ((fs::path(CALLSVC_TESTS_DIR) / "screens") / "layouts").string();
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
