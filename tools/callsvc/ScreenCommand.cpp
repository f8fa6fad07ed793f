// callsvc screen: renders a call screen described in JSON through the library's widgets and
// writes the host's screen as PNG.

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "Commands.h"
#include "Options.h"
#include "ScreenLayout.h"
#include "TmxHost.h"

namespace callsvc {
namespace {

const char kUsage[] =
    "usage: callsvc screen LAYOUT.json --png OUT.png [--theme FILE] [--at MS] [options]\n"
    "\n"
    "Renders the call screen that LAYOUT.json describes through the library's widgets (a pane\n"
    "list over a background image, framed pictures, tickers) and writes the screen as PNG. The\n"
    "host's clock is virtual: after everything is drawn and shown it moves on by `at`\n"
    "milliseconds, so a ticker's animation has advanced and the picture is always the same.\n"
    "\n"
    "Layout keys (every key may be left out except an item's id, kind and rect):\n"
    "  screen      {\"width\": 240, \"height\": 320}, 1 to 8192 pixels each\n"
    "  window      [x, y, w, h] on the screen; default the whole screen\n"
    "  background  image file given to the pane list for all its panes\n"
    "  panes       {\"rect\": [x, y, w, h] (default the whole window),\n"
    "               \"items\": up to 5 of\n"
    "                 {\"id\", \"kind\": \"text\", \"rect\", \"x\", \"y\", \"text\", \"color\", "
    "\"font\",\n"
    "                  \"align\"} or {\"id\", \"kind\": \"bitmap\", \"rect\", \"x\", \"y\", "
    "\"image\"}}\n"
    "  pictures    [{\"rect\", \"image\", \"color\" (frame, default white)}, ...]\n"
    "  tickers     up to 5 of {\"rect\", \"background\", \"bitmaps\": up to 3 {\"x\", \"y\", "
    "\"image\"},\n"
    "               \"texts\": up to 3 {\"rect\", \"text\", \"color\", \"font\"},\n"
    "               \"animation\": {\"x\", \"y\", \"duration\" (ms, default 500), \"frames\": up "
    "to 3\n"
    "               images}}\n"
    "  at          milliseconds to run the clock after drawing, 0 to 600000\n"
    "Rectangles of widgets are in the window's coordinates, x and y of an item relative to its\n"
    "pane or ticker. Colours are \"#RRGGBB\"; fonts 0 to 4 are 12, 16, 20, 24 and 32 pixels;\n"
    "align 0 is top-left, 1 centres across, 2 aligns right, 512 centres down, 1024 aligns to\n"
    "the bottom (513 centres both ways). Images are PNG, JPEG or GIF, relative to the layout.\n"
    "\n"
    "options:\n"
    "  --png OUT.png      the screen's picture (written only when everything worked)\n"
    "  --theme FILE       style-set theme (JSON) instead of the default one\n"
    "  --at MS            overrides the layout's `at`\n"
    "  --data DIR         data folder\n"
    "  --trace CHANNELS   print the library's trace lines of these channels to stderr\n"
    "  --help             this text\n"
    "\n"
    "Exit codes: 0 written, 1 a bad layout, image or theme (the message names the key), or the\n"
    "screen could not be written, 2 bad usage.\n";

bool ReadFile(const std::string& path, std::string& text, std::string& error) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream content;
    if (!file || !(content << file.rdbuf())) {
        error = "cannot read " + path;
        return false;
    }
    text = content.str();
    return true;
}

// What the rendering left alive, if anything.
std::string LeftAlive() {
    std::string left;
    auto add = [&left](std::size_t count, const char* what) {
        if (count != 0) {
            left += (left.empty() ? "" : ", ") + std::to_string(count) + " " + what;
        }
    };
    add(tmxhost::Windows().size(), "windows");
    add(tmxhost::GCs().size(), "GCs");
    add(static_cast<std::size_t>(tmxhost::TextObjects()), "text objects");
    add(tmxhost::Bitmaps().size(), "bitmaps");
    add(tmxhost::LiveBlocks().size(), "heap blocks");
    return left;
}

int Fail(const std::string& message) {
    std::fprintf(stderr, "callsvc screen: %s\n", message.c_str());
    return kExitFailure;
}

}  // namespace

int RunScreen(int argc, char** argv, int first) {
    Options options;
    std::string error;
    bool parsed = ParseOptions(argc, argv, first, {"--png", "--theme", "--at"}, {}, options, error);
    if (parsed && !options.help) {
        if (options.positional.size() != 1) {
            error = options.positional.empty() ? "no layout file" : "one layout file only";
        } else if (options.values.count("--png") == 0) {
            error = "--png OUT.png is missing";
        }
    }
    long long at = -1;
    if (error.empty() && options.values.count("--at") != 0 &&
        !ParseInteger(options.Value("--at"), 0, kMaxAt, at)) {
        error = "--at takes milliseconds from 0 to " + std::to_string(kMaxAt);
    }
    if (!error.empty()) {
        std::fprintf(stderr, "callsvc screen: %s\n\n%s", error.c_str(), kUsage);
        return kExitUsage;
    }
    if (options.help) {
        std::fputs(kUsage, stdout);
        return kExitOk;
    }
    if (!ApplyCommonOptions(options, error)) {
        std::fprintf(stderr, "callsvc screen: %s\n", error.c_str());
        return kExitUsage;
    }
    if (options.values.count("--theme") != 0 &&
        !tmxhost::LoadTheme(options.Value("--theme"), &error)) {
        return Fail("--theme: " + error);
    }

    const std::string layoutPath = options.positional[0];
    std::string text;
    Layout layout;
    if (!ReadFile(layoutPath, text, error) ||
        !ParseLayout(text, std::filesystem::path(layoutPath).parent_path().string(), layout,
                     error)) {
        return Fail(error);
    }
    if (at >= 0) {
        layout.at = at;
    }
    const std::string png = options.Value("--png");
    if (!RenderLayout(
            layout,
            [&png](std::string& why) {
                return WriteInPlace(
                    png,
                    [](const std::string& temporary, std::string* reason) {
                        return tmxhost::SaveScreenPng(temporary, reason);
                    },
                    why);
            },
            error)) {
        return Fail(error);
    }
    if (std::string left = LeftAlive(); !left.empty()) {
        std::filesystem::remove(png);
        return Fail("left alive after the screen was taken down: " + left);
    }
    return kExitOk;
}

}  // namespace callsvc
