// Call-screen layouts: a JSON description of a screen, checked key by key, and its rendering
// through the library's widgets (pane list, pictures, tickers) onto the host's screen.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace callsvc {

struct LayoutRect {
    int x = 0, y = 0, w = 0, h = 0;
};

// An image file named by a layout: the key that names it and its path, resolved against the
// layout file's folder.
struct LayoutImage {
    std::string key;
    std::string path;
};

constexpr int kNoImage = -1;  // an index into Layout::images

struct LayoutPane {
    std::string id;
    int kind = 0;  // 0 text, 1 bitmap
    LayoutRect rect;
    int x = 0, y = 0;
    std::u16string text;
    std::optional<std::uint32_t> color;  // 0xRRGGBB; the theme's primary text colour unless given
    int font = 1;
    int align = 0;
    int image = kNoImage;
};

struct LayoutPicture {
    LayoutRect rect;
    int image = kNoImage;
    std::optional<std::uint32_t> color;  // the frame's; the theme's picture frame unless given
};

struct LayoutTickerBitmap {
    int x = 0, y = 0;
    int image = kNoImage;
};

struct LayoutTickerText {
    LayoutRect rect;
    std::u16string text;
    std::optional<std::uint32_t> color;
    int font = 1;
};

struct LayoutTicker {
    LayoutRect rect;
    int background = kNoImage;
    std::vector<LayoutTickerBitmap> bitmaps;
    std::vector<LayoutTickerText> texts;
    int animationX = 0, animationY = 0;
    int duration = 500;
    std::vector<int> frames;  // images
};

struct Layout {
    int screenWidth = 240, screenHeight = 320;
    bool hasWindow = false;
    LayoutRect window;  // the whole screen unless given
    int background = kNoImage;
    bool hasPanes = false;
    bool hasPanesRect = false;
    LayoutRect panesRect;  // the whole window unless given
    std::vector<LayoutPane> panes;
    std::vector<LayoutPicture> pictures;
    std::vector<LayoutTicker> tickers;
    long long at = 0;
    std::vector<LayoutImage> images;
};

// Limits a layout is checked against.
constexpr int kMaxCoordinate = 8192;  // |x|, |y|, w and h of every rectangle, screen size
constexpr int kMaxPanes = 5;
constexpr int kMaxTickers = 5;
constexpr int kMaxTickerItems = 3;  // bitmaps, texts and frames of one ticker
constexpr int kMaxPaneText = 127;   // 16-bit units, without the terminator
constexpr int kMaxTickerText = 255;
constexpr int kMaxPaneId = 127;  // bytes
constexpr int kMinDuration = 10;
constexpr long long kMaxAt = 600000;

// 0xRRGGBB as the platform's 16-bit colour word (RGB565); the low bits are dropped.
inline std::uint16_t Rgb565(std::uint32_t rgb) {
    return static_cast<std::uint16_t>(((rgb >> 19) & 0x1F) << 11 | ((rgb >> 10) & 0x3F) << 5 |
                                      ((rgb >> 3) & 0x1F));
}

// Reads a layout. Relative image paths are taken from `folder`. False with a message that names
// the offending key with its path (`panes.items[1]: unknown kind "bmp"`).
bool ParseLayout(const std::string& text, const std::string& folder, Layout& layout,
                 std::string& error);

// Style items of the current theme that a rendering uses.
constexpr unsigned kStyleScreenBackground = 0x1000;
constexpr unsigned kStylePrimaryText = 0x1001;
constexpr unsigned kStylePictureFrame = 0x1004;

// Renders the layout on the host's screen, which it first sets to the layout's size: loads the
// images, makes the window (cleared in the theme's screen background) and the widgets, draws and
// shows them (colours left out come from the theme), advances the host clock by
// `at` milliseconds, then calls `shown` (which may look at or save the screen) and takes
// everything down again. False with a message when an image cannot be loaded, a widget refuses
// or `shown` fails; nothing is left alive either way.
bool RenderLayout(const Layout& layout, const std::function<bool(std::string& error)>& shown,
                  std::string& error);

}  // namespace callsvc
