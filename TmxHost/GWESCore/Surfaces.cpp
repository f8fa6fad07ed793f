// The screen, windows and GCs over pixman images; drawing, capture and show (see TmxHost.h for
// the rules a GC follows).
#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <set>

#include "../Control/HostInternal.h"
#include "../Control/TmxHost.h"
#include "Graphics.h"

namespace tmxhost {
namespace gfx {

namespace {

struct ImageDeleter {
    void operator()(pixman_image_t* image) const { pixman_image_unref(image); }
};
using Image = std::unique_ptr<pixman_image_t, ImageDeleter>;

Image NewImage(pixman_format_code_t format, int width, int height) {
    return Image(pixman_image_create_bits(format, width, height, nullptr, 0));
}

// What a window gives its GCs until they are given their own.
struct Attributes {
    std::uint32_t fg = 0xFFFFFFFF;
    std::uint32_t bg = 0xFF000000;
    int fgOpacity = 255;
    int bgOpacity = 255;
    std::optional<std::uint32_t> replacement;
};

struct Window {
    Box rect;  // on the screen
    Image pixels;
    Attributes attributes;
};

enum class Kind { WindowSub, ClientSub, Memory, SubMemory, Overlay, Screen };

const char* KindName(Kind kind) {
    switch (kind) {
        case Kind::WindowSub:
            return "window-sub";
        case Kind::ClientSub:
            return "client-sub";
        case Kind::Memory:
            return "memory";
        case Kind::SubMemory:
            return "sub-memory";
        case Kind::Overlay:
            return "overlay";
        case Kind::Screen:
            return "screen";
    }
    return "";
}

struct GC {
    Kind kind;
    int window;  // -1 for a screen GC
    Box rect;    // in the window's (or the screen's) coordinates
    Image own;   // null for a view
    std::optional<std::uint32_t> fg, bg, replacement;
    std::optional<int> fgOpacity, bgOpacity;
    int overlayMode = 0;
    int aspectRatio = 0;
    // Own pixels all opaque: true after an opaque clear, and every drawing keeps it so.
    bool opaque = false;
};

struct GraphicsState {
    Image screen;
    std::map<int, Window> windows;
    std::map<int, GC> gcs;
    std::set<const tagWMBITMAP*> bitmaps;
    int nextHandle = 1;
};

GraphicsState& State() {
    static GraphicsState state;
    return state;
}

Box ScreenBox() {
    pixman_image_t* screen = State().screen.get();
    return {0, 0, pixman_image_get_width(screen), pixman_image_get_height(screen)};
}

int ClampLevel(int level) {
    return std::clamp(level, 0, 255);
}

Window* FindWindow(int hWindow) {
    auto found = State().windows.find(hWindow);
    return found == State().windows.end() ? nullptr : &found->second;
}

GC* FindGC(int hGC) {
    auto found = State().gcs.find(hGC);
    return found == State().gcs.end() ? nullptr : &found->second;
}

// The GC's effective attributes: its own, else its window's.
Attributes Effective(const GC& gc) {
    Attributes attributes;
    if (const Window* window = FindWindow(gc.window)) {
        attributes = window->attributes;
    }
    attributes.fg = gc.fg.value_or(attributes.fg);
    attributes.bg = gc.bg.value_or(attributes.bg);
    attributes.fgOpacity = gc.fgOpacity.value_or(attributes.fgOpacity);
    attributes.bgOpacity = gc.bgOpacity.value_or(attributes.bgOpacity);
    if (gc.replacement) {
        attributes.replacement = gc.replacement;
    }
    return attributes;
}

// Where a GC draws: an image, the GC's origin in it and the part it may touch.
struct Canvas {
    pixman_image_t* image;
    long long ox;
    long long oy;
    Box clip;
};

std::optional<Canvas> CanvasOf(const GC& gc) {
    if (gc.own) {
        pixman_image_t* image = gc.own.get();
        return Canvas{
            image, 0, 0, {0, 0, pixman_image_get_width(image), pixman_image_get_height(image)}};
    }
    const Window* window = FindWindow(gc.window);
    if (window == nullptr) {
        return std::nullopt;
    }
    Box clip = Intersect(gc.rect.x, gc.rect.y, gc.rect.w, gc.rect.h,
                         {0, 0, window->rect.w, window->rect.h});
    return Canvas{window->pixels.get(), gc.rect.x, gc.rect.y, clip};
}

std::uint32_t Expand565(std::uint16_t rgb565) {
    std::uint32_t r = (rgb565 >> 11) & 0x1F;
    std::uint32_t g = (rgb565 >> 5) & 0x3F;
    std::uint32_t b = rgb565 & 0x1F;
    return 0xFF000000u | ((r << 3 | r >> 2) << 16) | ((g << 2 | g >> 4) << 8) | (b << 3 | b >> 2);
}

void FillBox(pixman_op_t op, pixman_image_t* image, const pixman_color_t& color, const Box& box) {
    if (box.Empty()) {
        return;
    }
    pixman_box32_t pbox{box.x, box.y, box.x + box.w, box.y + box.h};
    pixman_image_fill_boxes(op, image, &color, 1, &pbox);
}

// Draws the part {sx, sy, sw, sh} of a bitmap at (dx, dy) of the GC.
int DrawPart(const GC& gc, long long dx, long long dy, const tagWMBITMAP* bitmap, long long sx,
             long long sy, long long sw, long long sh) {
    std::optional<Canvas> canvas = CanvasOf(gc);
    if (!canvas) {
        return 0;
    }
    Image source(BitmapImage(bitmap));
    if (!source) {
        return 0;
    }
    Box part = Intersect(sx, sy, sw, sh, {0, 0, bitmap->rectW, bitmap->rectH});
    if (part.Empty()) {
        return 1;
    }
    long long left = canvas->ox + dx + (part.x - sx);
    long long top = canvas->oy + dy + (part.y - sy);
    Box target = Intersect(left, top, part.w, part.h, canvas->clip);
    if (target.Empty()) {
        return 1;
    }
    int srcX = static_cast<int>(part.x + (target.x - left));
    int srcY = static_cast<int>(part.y + (target.y - top));
    Attributes attributes = Effective(gc);
    Image opacity;
    if (attributes.fgOpacity < 255) {
        pixman_color_t alpha = Color32(0xFFFFFFFF, attributes.fgOpacity);
        opacity.reset(pixman_image_create_solid_fill(&alpha));
    }
    if (bitmap->nBitsPerPixel == 32 && attributes.replacement) {
        // Recoloured: the replacement colour painted through the bitmap's alpha.
        pixman_color_t color =
            Color32(0xFF000000u | (*attributes.replacement & 0xFFFFFF), attributes.fgOpacity);
        Image solid(pixman_image_create_solid_fill(&color));
        pixman_image_composite32(PIXMAN_OP_OVER, solid.get(), source.get(), canvas->image, 0, 0,
                                 srcX, srcY, target.x, target.y, target.w, target.h);
    } else {
        pixman_op_t op = bitmap->nBitsPerPixel == 16 && !opacity ? PIXMAN_OP_SRC : PIXMAN_OP_OVER;
        pixman_image_composite32(op, source.get(), opacity.get(), canvas->image, srcX, srcY, 0, 0,
                                 target.x, target.y, target.w, target.h);
    }
    return 1;
}

// Composes a GC with pixels of its own at `place` (screen pixels) over the screen.
void Compose(const GC& gc, long long placeX, long long placeY) {
    pixman_image_t* screen = State().screen.get();
    pixman_image_t* own = gc.own.get();
    Box target = Intersect(placeX, placeY, pixman_image_get_width(own),
                           pixman_image_get_height(own), ScreenBox());
    if (target.Empty()) {
        return;
    }
    int srcX = static_cast<int>(target.x - placeX);
    int srcY = static_cast<int>(target.y - placeY);
    if (gc.opaque) {
        pixman_image_composite32(PIXMAN_OP_SRC, own, nullptr, screen, srcX, srcY, 0, 0, target.x,
                                 target.y, target.w, target.h);
        return;
    }
    if (gc.overlayMode == 2) {
        // All or nothing per pixel: its colour where the alpha reaches 128, the screen elsewhere.
        Image color = NewImage(PIXMAN_x8r8g8b8, target.w, target.h);
        Image mask = NewImage(PIXMAN_a1, target.w, target.h);
        if (!color || !mask) {
            return;
        }
        pixman_image_composite32(PIXMAN_OP_SRC, own, nullptr, color.get(), srcX, srcY, 0, 0, 0, 0,
                                 target.w, target.h);
        pixman_image_composite32(PIXMAN_OP_SRC, own, nullptr, mask.get(), srcX, srcY, 0, 0, 0, 0,
                                 target.w, target.h);
        pixman_image_composite32(PIXMAN_OP_OVER, color.get(), mask.get(), screen, 0, 0, 0, 0,
                                 target.x, target.y, target.w, target.h);
        return;
    }
    pixman_image_composite32(PIXMAN_OP_OVER, own, nullptr, screen, srcX, srcY, 0, 0, target.x,
                             target.y, target.w, target.h);
}

// Copies the window's pixels at {x, y, w, h} (window coordinates) to the screen.
void CopyWindow(const Window& window, long long x, long long y, long long w, long long h) {
    Box area = Intersect(x, y, w, h, {0, 0, window.rect.w, window.rect.h});
    if (area.Empty()) {
        return;
    }
    long long left = static_cast<long long>(window.rect.x) + area.x;
    long long top = static_cast<long long>(window.rect.y) + area.y;
    Box target = Intersect(left, top, area.w, area.h, ScreenBox());
    if (target.Empty()) {
        return;
    }
    pixman_image_composite32(PIXMAN_OP_SRC, window.pixels.get(), nullptr, State().screen.get(),
                             static_cast<int>(area.x + (target.x - left)),
                             static_cast<int>(area.y + (target.y - top)), 0, 0, target.x, target.y,
                             target.w, target.h);
}

int Show(const GC& gc) {
    if (gc.kind == Kind::Screen) {
        Compose(gc, gc.rect.x, gc.rect.y);
        return 1;
    }
    const Window* window = FindWindow(gc.window);
    if (window == nullptr) {
        return 0;
    }
    if (!gc.opaque) {
        CopyWindow(*window, gc.rect.x, gc.rect.y, gc.rect.w, gc.rect.h);
    }
    if (gc.own) {
        Compose(gc, static_cast<long long>(window->rect.x) + gc.rect.x,
                static_cast<long long>(window->rect.y) + gc.rect.y);
    }
    return 1;
}

void Clear(GC& gc) {
    std::optional<Canvas> canvas = CanvasOf(gc);
    if (!canvas) {
        return;
    }
    Attributes attributes = Effective(gc);
    pixman_color_t color = Color32(attributes.bg, attributes.bgOpacity);
    gc.opaque = gc.own && (color.alpha == 0xFFFF ||
                           PIXMAN_FORMAT_A(pixman_image_get_format(gc.own.get())) == 0);
    // Own pixels take the colour with its alpha; a window's pixels are blended with it.
    FillBox(gc.own ? PIXMAN_OP_SRC : PIXMAN_OP_OVER, canvas->image, color, canvas->clip);
}

int NewGC(Kind kind, int window, Box rect, pixman_format_code_t ownFormat) {
    if (rect.Empty()) {
        return INVALID_HOBJ;
    }
    GC gc{kind, window, rect, nullptr, {}, {}, {}, {}, {}, 0, 0};
    if (kind != Kind::WindowSub && kind != Kind::ClientSub) {
        if (rect.w > kMaxSide || rect.h > kMaxSide) {
            return INVALID_HOBJ;
        }
        gc.own = NewImage(ownFormat, rect.w, rect.h);
        if (!gc.own) {
            return INVALID_HOBJ;
        }
    }
    int handle = NextHandle();
    GC& made = State().gcs.emplace(handle, std::move(gc)).first->second;
    if (made.own) {
        Clear(made);
    }
    return handle;
}

void MakeScreen(int width, int height) {
    State().screen = NewImage(PIXMAN_r5g6b5, width, height);
}

}  // namespace

Box Intersect(long long x, long long y, long long w, long long h, const Box& clip) {
    if (w <= 0 || h <= 0 || clip.Empty()) {
        return {};
    }
    long long left = std::max<long long>(x, clip.x);
    long long top = std::max<long long>(y, clip.y);
    long long right = std::min<long long>(x + w, static_cast<long long>(clip.x) + clip.w);
    long long bottom = std::min<long long>(y + h, static_cast<long long>(clip.y) + clip.h);
    if (right <= left || bottom <= top) {
        return {};
    }
    return {static_cast<int>(left), static_cast<int>(top), static_cast<int>(right - left),
            static_cast<int>(bottom - top)};
}

int NextHandle() {
    return State().nextHandle++;
}

pixman_color_t Color32(std::uint32_t argb, int opacity) {
    std::uint32_t alpha =
        ((argb >> 24) * static_cast<std::uint32_t>(ClampLevel(opacity)) + 127) / 255;
    auto channel = [alpha](std::uint32_t c) {
        return static_cast<std::uint16_t>((c * alpha + 127) / 255 * 257);
    };
    return pixman_color_t{channel((argb >> 16) & 0xFF), channel((argb >> 8) & 0xFF),
                          channel(argb & 0xFF), static_cast<std::uint16_t>(alpha * 257)};
}

pixman_color_t Color565(std::uint16_t rgb565, int alpha) {
    return Color32(Expand565(rgb565), alpha);
}

tagWMBITMAP* NewBitmap(int width, int height, int bitsPerPixel, const char* path, int line) {
    if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide ||
        (bitsPerPixel != 16 && bitsPerPixel != 32)) {
        return nullptr;
    }
    auto* bitmap = static_cast<tagWMBITMAP*>(detail::HeapAlloc(sizeof(tagWMBITMAP), path, line));
    if (bitmap == nullptr) {
        return nullptr;
    }
    bitmap->pBits = detail::HeapAlloc(static_cast<std::size_t>(width) * height * (bitsPerPixel / 8),
                                      path, line);
    if (bitmap->pBits == nullptr) {
        MemFreeTraceMultiHeap(bitmap, path, line);
        return nullptr;
    }
    bitmap->rectW = width;
    bitmap->rectH = height;
    bitmap->nBitsPerPixel = static_cast<std::uint8_t>(bitsPerPixel);
    State().bitmaps.insert(bitmap);
    return bitmap;
}

pixman_image_t* BitmapImage(const tagWMBITMAP* bitmap) {
    if (bitmap == nullptr || bitmap->pBits == nullptr || bitmap->rectW < 1 || bitmap->rectH < 1 ||
        bitmap->rectW > kMaxSide || bitmap->rectH > kMaxSide ||
        (bitmap->nBitsPerPixel != 16 && bitmap->nBitsPerPixel != 32)) {
        return nullptr;
    }
    int bytes = bitmap->nBitsPerPixel / 8;
    int stride = bitmap->rectW * bytes;
    std::size_t needed = static_cast<std::size_t>(stride) * bitmap->rectH;
    // Pixels on the platform heap are known to be large enough or not.
    if (std::optional<std::size_t> size = detail::HeapBlockSize(bitmap->pBits)) {
        if (*size < needed) {
            return nullptr;
        }
    }
    pixman_format_code_t format = bytes == 2 ? PIXMAN_r5g6b5 : PIXMAN_a8r8g8b8;
    if (stride % 4 == 0 && reinterpret_cast<std::uintptr_t>(bitmap->pBits) % 4 == 0) {
        return pixman_image_create_bits(format, bitmap->rectW, bitmap->rectH,
                                        static_cast<std::uint32_t*>(bitmap->pBits), stride);
    }
    pixman_image_t* copy =
        pixman_image_create_bits(format, bitmap->rectW, bitmap->rectH, nullptr, 0);
    if (copy == nullptr) {
        return nullptr;
    }
    auto* to = reinterpret_cast<unsigned char*>(pixman_image_get_data(copy));
    const auto* from = static_cast<const unsigned char*>(bitmap->pBits);
    for (int row = 0; row < bitmap->rectH; ++row) {
        std::memcpy(to + static_cast<std::size_t>(row) * pixman_image_get_stride(copy),
                    from + static_cast<std::size_t>(row) * stride, stride);
    }
    return copy;
}

void StoreImage(pixman_image_t* image, tagWMBITMAP* bitmap) {
    int width = bitmap->rectW;
    int height = bitmap->rectH;
    int bytes = bitmap->nBitsPerPixel / 8;
    pixman_format_code_t format = bytes == 2 ? PIXMAN_r5g6b5 : PIXMAN_a8r8g8b8;
    Image staged = NewImage(format, width, height);
    if (!staged) {
        return;
    }
    pixman_image_composite32(PIXMAN_OP_SRC, image, nullptr, staged.get(), 0, 0, 0, 0, 0, 0, width,
                             height);
    auto* to = static_cast<unsigned char*>(bitmap->pBits);
    const auto* from = reinterpret_cast<const unsigned char*>(pixman_image_get_data(staged.get()));
    int stride = pixman_image_get_stride(staged.get());
    for (int row = 0; row < height; ++row) {
        std::memcpy(to + static_cast<std::size_t>(row) * width * bytes,
                    from + static_cast<std::size_t>(row) * stride,
                    static_cast<std::size_t>(width) * bytes);
    }
}

bool GCExists(int hGC) {
    return FindGC(hGC) != nullptr;
}

bool PutImage(int hGC, long long x, long long y, pixman_image_t* image) {
    const GC* gc = FindGC(hGC);
    std::optional<Canvas> canvas = gc != nullptr ? CanvasOf(*gc) : std::nullopt;
    if (!canvas) {
        return false;
    }
    long long left = canvas->ox + x;
    long long top = canvas->oy + y;
    Box target = Intersect(left, top, pixman_image_get_width(image), pixman_image_get_height(image),
                           canvas->clip);
    if (!target.Empty()) {
        pixman_image_composite32(
            PIXMAN_OP_SRC, image, nullptr, canvas->image, static_cast<int>(target.x - left),
            static_cast<int>(target.y - top), 0, 0, target.x, target.y, target.w, target.h);
    }
    return true;
}

bool ShowGC(int hGC) {
    const GC* gc = FindGC(hGC);
    return gc != nullptr && Show(*gc) == 1;
}

// Bitmaps made here and not yet freed.
bool ForgetBitmap(const tagWMBITMAP* bitmap) {
    return State().bitmaps.erase(bitmap) != 0;
}

pixman_image_t* ScreenImage() {
    return State().screen.get();
}

}  // namespace gfx

namespace detail {
void ResetGraphics() {
    gfx::GraphicsState& state = gfx::State();
    state.gcs.clear();
    state.windows.clear();
    state.bitmaps.clear();
    gfx::ResetText();
    gfx::MakeScreen(kDefaultScreenWidth, kDefaultScreenHeight);
}
}  // namespace detail

using gfx::Box;
using gfx::State;

bool SetScreenSize(int width, int height) {
    if (width < 1 || height < 1 || width > gfx::kMaxSide || height > gfx::kMaxSide) {
        return false;
    }
    gfx::MakeScreen(width, height);
    return true;
}

int CreateWindow(int x, int y, int width, int height) {
    if (width < 1 || height < 1 || width > gfx::kMaxSide || height > gfx::kMaxSide) {
        return -1;
    }
    gfx::Window window{{x, y, width, height}, gfx::NewImage(PIXMAN_r5g6b5, width, height), {}};
    if (!window.pixels) {
        return -1;
    }
    gfx::FillBox(PIXMAN_OP_SRC, window.pixels.get(), gfx::Color32(window.attributes.bg, 255),
                 {0, 0, width, height});
    int handle = gfx::NextHandle();
    State().windows.emplace(handle, std::move(window));
    return handle;
}

bool DestroyWindow(int hWindow) {
    if (State().windows.erase(hWindow) == 0) {
        return false;
    }
    std::erase_if(State().gcs,
                  [hWindow](const auto& entry) { return entry.second.window == hWindow; });
    return true;
}

bool ShowWindow(int hWindow) {
    const gfx::Window* window = gfx::FindWindow(hWindow);
    if (window == nullptr) {
        return false;
    }
    gfx::CopyWindow(*window, 0, 0, window->rect.w, window->rect.h);
    return true;
}

static std::uint16_t PixelOf(pixman_image_t* image, int x, int y) {
    if (x < 0 || y < 0 || x >= pixman_image_get_width(image) ||
        y >= pixman_image_get_height(image)) {
        return 0;
    }
    const auto* row = reinterpret_cast<const unsigned char*>(pixman_image_get_data(image)) +
                      static_cast<std::size_t>(y) * pixman_image_get_stride(image);
    std::uint16_t pixel;
    std::memcpy(&pixel, row + static_cast<std::size_t>(x) * 2, 2);
    return pixel;
}

std::uint16_t ScreenPixel(int x, int y) {
    return PixelOf(State().screen.get(), x, y);
}

std::uint16_t WindowPixel(int hWindow, int x, int y) {
    const gfx::Window* window = gfx::FindWindow(hWindow);
    return window == nullptr ? 0 : PixelOf(window->pixels.get(), x, y);
}

bool SaveScreenPng(const std::string& path, std::string* error) {
    pixman_image_t* screen = State().screen.get();
    tagWMBITMAP bitmap{};
    bitmap.rectW = pixman_image_get_width(screen);
    bitmap.rectH = pixman_image_get_height(screen);
    bitmap.nBitsPerPixel = 16;
    std::vector<std::uint16_t> pixels(static_cast<std::size_t>(bitmap.rectW) * bitmap.rectH);
    for (int y = 0; y < bitmap.rectH; ++y) {
        for (int x = 0; x < bitmap.rectW; ++x) {
            pixels[static_cast<std::size_t>(y) * bitmap.rectW + x] = PixelOf(screen, x, y);
        }
    }
    bitmap.pBits = pixels.data();
    return SaveBitmapPng(&bitmap, path, error);
}

std::vector<WindowView> Windows() {
    std::vector<WindowView> views;
    for (const auto& [handle, window] : State().windows) {
        views.push_back({handle, window.rect.x, window.rect.y, window.rect.w, window.rect.h});
    }
    return views;
}

std::vector<GCView> GCs() {
    std::vector<GCView> views;
    for (const auto& [handle, gc] : State().gcs) {
        views.push_back({handle, gc.window, gfx::KindName(gc.kind), gc.rect.x, gc.rect.y, gc.rect.w,
                         gc.rect.h, gc.overlayMode});
    }
    return views;
}

int TextObjects() {
    return gfx::LiveTextObjects();
}

std::vector<BitmapView> Bitmaps() {
    std::vector<BitmapView> views;
    for (const tagWMBITMAP* bitmap : State().bitmaps) {
        if (_MemIsHeapAddr(bitmap)) {
            views.push_back({bitmap, bitmap->rectW, bitmap->rectH, bitmap->nBitsPerPixel});
        }
    }
    return views;
}

void FreeBitmap(tagWMBITMAP* bitmap) {
    if (bitmap != nullptr && _MemIsHeapAddr(bitmap)) {
        gfx::ForgetBitmap(bitmap);
        MemFreeTraceMultiHeap(bitmap->pBits, "TmxHost\\GWESCore\\Surfaces", __LINE__);
        MemFreeTraceMultiHeap(bitmap, "TmxHost\\GWESCore\\Surfaces", __LINE__);
    }
}

}  // namespace tmxhost

// ---- The platform calls ----------------------------------------------------------------------

using namespace tmxhost;
using detail::Arg;
using gfx::Box;

namespace {

template <class Set>
int SetWindow(int hWindow, Set set) {
    gfx::Window* window = gfx::FindWindow(hWindow);
    if (window == nullptr) {
        return 0;
    }
    set(window->attributes);
    return 1;
}

template <class Set>
int SetGC(int hGC, Set set) {
    gfx::GC* gc = gfx::FindGC(hGC);
    if (gc == nullptr) {
        return 0;
    }
    set(*gc);
    return 1;
}

}  // namespace

extern "C" unsigned int SysGetLcdWidth(int screen) {
    if (auto fault = detail::Enter("SysGetLcdWidth", {Arg(screen)})) {
        return static_cast<unsigned int>(*fault);
    }
    return screen == SCREEN_MAIN ? static_cast<unsigned int>(gfx::ScreenBox().w) : 0;
}

extern "C" unsigned int SysGetLcdHeight(int screen) {
    if (auto fault = detail::Enter("SysGetLcdHeight", {Arg(screen)})) {
        return static_cast<unsigned int>(*fault);
    }
    return screen == SCREEN_MAIN ? static_cast<unsigned int>(gfx::ScreenBox().h) : 0;
}

extern "C" int WmIsWindowValid(int hWindow) {
    if (auto fault = detail::Enter("WmIsWindowValid", {Arg(hWindow)})) {
        return static_cast<int>(*fault);
    }
    return gfx::FindWindow(hWindow) != nullptr ? 1 : 0;
}

extern "C" int WmSetWindowFgColor(int hWindow, unsigned short rgb565) {
    if (auto fault = detail::Enter("WmSetWindowFgColor", {Arg(hWindow), Arg(unsigned{rgb565})})) {
        return static_cast<int>(*fault);
    }
    return SetWindow(hWindow, [&](gfx::Attributes& a) { a.fg = gfx::Expand565(rgb565); });
}

extern "C" int WmSetWindowBgColor(int hWindow, unsigned short rgb565) {
    if (auto fault = detail::Enter("WmSetWindowBgColor", {Arg(hWindow), Arg(unsigned{rgb565})})) {
        return static_cast<int>(*fault);
    }
    return SetWindow(hWindow, [&](gfx::Attributes& a) { a.bg = gfx::Expand565(rgb565); });
}

extern "C" int WmSetWindowFgOpacityLevel(int hWindow, int level) {
    if (auto fault = detail::Enter("WmSetWindowFgOpacityLevel", {Arg(hWindow), Arg(level)})) {
        return static_cast<int>(*fault);
    }
    return SetWindow(hWindow, [&](gfx::Attributes& a) { a.fgOpacity = gfx::ClampLevel(level); });
}

extern "C" int WmSetWindowBgOpacityLevel(int hWindow, int level) {
    if (auto fault = detail::Enter("WmSetWindowBgOpacityLevel", {Arg(hWindow), Arg(level)})) {
        return static_cast<int>(*fault);
    }
    return SetWindow(hWindow, [&](gfx::Attributes& a) { a.bgOpacity = gfx::ClampLevel(level); });
}

extern "C" int WmSetWindowReplacementColor(int hWindow, unsigned int color) {
    if (auto fault = detail::Enter("WmSetWindowReplacementColor", {Arg(hWindow), Arg(color)})) {
        return static_cast<int>(*fault);
    }
    return SetWindow(hWindow, [&](gfx::Attributes& a) { a.replacement = color; });
}

namespace {

int CreateViewOrSub(const char* name, gfx::Kind kind, int hWindow, int x, int y, int w, int h) {
    if (auto fault = detail::Enter(name, {Arg(hWindow), Arg(x), Arg(y), Arg(w), Arg(h)})) {
        return static_cast<int>(*fault);
    }
    if (gfx::FindWindow(hWindow) == nullptr) {
        return INVALID_HOBJ;
    }
    return gfx::NewGC(kind, hWindow, {x, y, w, h}, PIXMAN_a8r8g8b8);
}

}  // namespace

extern "C" int __WmCreateWindowSubGC(int hWindow, int x, int y, int w, int h, const char*, int) {
    return CreateViewOrSub("__WmCreateWindowSubGC", gfx::Kind::WindowSub, hWindow, x, y, w, h);
}

extern "C" int __WmCreateClientSubGC(int hWindow, int x, int y, int w, int h, const char*, int) {
    return CreateViewOrSub("__WmCreateClientSubGC", gfx::Kind::ClientSub, hWindow, x, y, w, h);
}

extern "C" int __WmCreateWindowSubMemGC(int hWindow, int x, int y, int w, int h, const char*, int) {
    return CreateViewOrSub("__WmCreateWindowSubMemGC", gfx::Kind::SubMemory, hWindow, x, y, w, h);
}

extern "C" int __WmCreateWindowMemGC(int hWindow, const char*, int) {
    if (auto fault = detail::Enter("__WmCreateWindowMemGC", {Arg(hWindow)})) {
        return static_cast<int>(*fault);
    }
    const gfx::Window* window = gfx::FindWindow(hWindow);
    if (window == nullptr) {
        return INVALID_HOBJ;
    }
    return gfx::NewGC(gfx::Kind::Memory, hWindow, {0, 0, window->rect.w, window->rect.h},
                      PIXMAN_r5g6b5);
}

extern "C" int __WmGetOverlayWindowGC(int hWindow, const char*, int) {
    if (auto fault = detail::Enter("__WmGetOverlayWindowGC", {Arg(hWindow)})) {
        return static_cast<int>(*fault);
    }
    const gfx::Window* window = gfx::FindWindow(hWindow);
    if (window == nullptr) {
        return INVALID_HOBJ;
    }
    return gfx::NewGC(gfx::Kind::Overlay, hWindow, {0, 0, window->rect.w, window->rect.h},
                      PIXMAN_a8r8g8b8);
}

extern "C" int __WmCreateScreenSubGC(int screen, int bitsPerPixel, int x, int y, int w, int h,
                                     const char*, int) {
    if (auto fault = detail::Enter("__WmCreateScreenSubGC", {Arg(screen), Arg(bitsPerPixel), Arg(x),
                                                             Arg(y), Arg(w), Arg(h)})) {
        return static_cast<int>(*fault);
    }
    if (screen != SCREEN_MAIN || (bitsPerPixel != 16 && bitsPerPixel != 32)) {
        return INVALID_HOBJ;
    }
    return gfx::NewGC(gfx::Kind::Screen, -1, {x, y, w, h},
                      bitsPerPixel == 16 ? PIXMAN_r5g6b5 : PIXMAN_a8r8g8b8);
}

extern "C" int WmSetOverlayGC(int hGC, int mode) {
    if (auto fault = detail::Enter("WmSetOverlayGC", {Arg(hGC), Arg(mode)})) {
        return static_cast<int>(*fault);
    }
    gfx::GC* gc = gfx::FindGC(hGC);
    if (gc == nullptr || !gc->own || (mode != 1 && mode != 2)) {
        return 0;
    }
    gc->overlayMode = mode;
    return 1;
}

extern "C" int WmIsGCValid(int hGC) {
    if (auto fault = detail::Enter("WmIsGCValid", {Arg(hGC)})) {
        return static_cast<int>(*fault);
    }
    return gfx::FindGC(hGC) != nullptr ? 1 : 0;
}

extern "C" int __WmDeleteGC(int hGC, int flag, const char*, int) {
    if (auto fault = detail::Enter("__WmDeleteGC", {Arg(hGC), Arg(flag)})) {
        return static_cast<int>(*fault);
    }
    return State().gcs.erase(hGC) != 0 ? 1 : 0;
}

extern "C" int WmClearGC(int hGC) {
    if (auto fault = detail::Enter("WmClearGC", {Arg(hGC)})) {
        return static_cast<int>(*fault);
    }
    gfx::GC* gc = gfx::FindGC(hGC);
    if (gc == nullptr) {
        return 0;
    }
    gfx::Clear(*gc);
    return 1;
}

extern "C" int _WmShowGC(int hGC, int flag) {
    if (auto fault = detail::Enter("_WmShowGC", {Arg(hGC), Arg(flag)})) {
        return static_cast<int>(*fault);
    }
    const gfx::GC* gc = gfx::FindGC(hGC);
    if (gc == nullptr || flag != 1) {
        return 0;
    }
    return gfx::Show(*gc);
}

extern "C" int WmSetBgColor(int hGC, unsigned short rgb565) {
    if (auto fault = detail::Enter("WmSetBgColor", {Arg(hGC), Arg(unsigned{rgb565})})) {
        return static_cast<int>(*fault);
    }
    return SetGC(hGC, [&](gfx::GC& gc) { gc.bg = gfx::Expand565(rgb565); });
}

extern "C" int WmSetBgColor32(int hGC, unsigned int argb) {
    if (auto fault = detail::Enter("WmSetBgColor32", {Arg(hGC), Arg(argb)})) {
        return static_cast<int>(*fault);
    }
    return SetGC(hGC, [&](gfx::GC& gc) { gc.bg = argb; });
}

extern "C" int WmSetFgOpacityLevel(int hGC, int level) {
    if (auto fault = detail::Enter("WmSetFgOpacityLevel", {Arg(hGC), Arg(level)})) {
        return static_cast<int>(*fault);
    }
    return SetGC(hGC, [&](gfx::GC& gc) { gc.fgOpacity = gfx::ClampLevel(level); });
}

extern "C" int WmSetBgOpacityLevel(int hGC, int level) {
    if (auto fault = detail::Enter("WmSetBgOpacityLevel", {Arg(hGC), Arg(level)})) {
        return static_cast<int>(*fault);
    }
    return SetGC(hGC, [&](gfx::GC& gc) { gc.bgOpacity = gfx::ClampLevel(level); });
}

extern "C" int WmSetReplacementColor(int hGC, unsigned int color) {
    if (auto fault = detail::Enter("WmSetReplacementColor", {Arg(hGC), Arg(color)})) {
        return static_cast<int>(*fault);
    }
    return SetGC(hGC, [&](gfx::GC& gc) { gc.replacement = color; });
}

extern "C" int WmSetGCSurfaceAspectRatio(int hGC, int mode) {
    if (auto fault = detail::Enter("WmSetGCSurfaceAspectRatio", {Arg(hGC), Arg(mode)})) {
        return static_cast<int>(*fault);
    }
    return SetGC(hGC, [&](gfx::GC& gc) { gc.aspectRatio = mode; });
}

extern "C" int WmDrawBitmap(int hGC, int x, int y, tagWMBITMAP* pBitmap) {
    if (auto fault = detail::Enter("WmDrawBitmap", {Arg(hGC), Arg(x), Arg(y), Arg(pBitmap)})) {
        return static_cast<int>(*fault);
    }
    const gfx::GC* gc = gfx::FindGC(hGC);
    if (gc == nullptr || pBitmap == nullptr) {
        return 0;
    }
    return gfx::DrawPart(*gc, x, y, pBitmap, 0, 0, pBitmap->rectW, pBitmap->rectH);
}

extern "C" int WmDrawSubBitmap(int hGC, int x, int y, tagWMBITMAP* pBitmap, int srcX, int srcY,
                               int w, int h) {
    if (auto fault = detail::Enter("WmDrawSubBitmap", {Arg(hGC), Arg(x), Arg(y), Arg(pBitmap),
                                                       Arg(srcX), Arg(srcY), Arg(w), Arg(h)})) {
        return static_cast<int>(*fault);
    }
    const gfx::GC* gc = gfx::FindGC(hGC);
    if (gc == nullptr || pBitmap == nullptr) {
        return 0;
    }
    return gfx::DrawPart(*gc, x, y, pBitmap, srcX, srcY, w, h);
}

extern "C" int WmDrawRect(int hGC, int x, int y, int w, int h) {
    if (auto fault = detail::Enter("WmDrawRect", {Arg(hGC), Arg(x), Arg(y), Arg(w), Arg(h)})) {
        return static_cast<int>(*fault);
    }
    const gfx::GC* gc = gfx::FindGC(hGC);
    if (gc == nullptr) {
        return 0;
    }
    std::optional<gfx::Canvas> canvas = gfx::CanvasOf(*gc);
    if (!canvas || w <= 0 || h <= 0) {
        return canvas ? 1 : 0;
    }
    gfx::Attributes attributes = gfx::Effective(*gc);
    pixman_color_t color = gfx::Color32(attributes.fg, attributes.fgOpacity);
    long long left = canvas->ox + x;
    long long top = canvas->oy + y;
    // Top and bottom rows, then the columns between them.
    std::vector<std::array<long long, 4>> edges{{left, top, w, 1}};
    if (h > 1) {
        edges.push_back({left, top + h - 1, w, 1});
    }
    if (h > 2) {
        edges.push_back({left, top + 1, 1, h - 2});
        if (w > 1) {
            edges.push_back({left + w - 1, top + 1, 1, h - 2});
        }
    }
    for (const auto& edge : edges) {
        gfx::FillBox(PIXMAN_OP_OVER, canvas->image, color,
                     gfx::Intersect(edge[0], edge[1], edge[2], edge[3], canvas->clip));
    }
    return 1;
}

extern "C" tagWMBITMAP* _WmCaptureBitmap(int hGC, int x, int y, int w, int h, int flag,
                                         const char* sourcePath, int line) {
    if (auto fault = detail::Enter("_WmCaptureBitmap",
                                   {Arg(hGC), Arg(x), Arg(y), Arg(w), Arg(h), Arg(flag)})) {
        return reinterpret_cast<tagWMBITMAP*>(static_cast<std::intptr_t>(*fault));
    }
    const gfx::GC* gc = gfx::FindGC(hGC);
    std::optional<gfx::Canvas> canvas = gc != nullptr ? gfx::CanvasOf(*gc) : std::nullopt;
    if (!canvas) {
        return nullptr;
    }
    tagWMBITMAP* bitmap = gfx::NewBitmap(w, h, 16, sourcePath, line);
    if (bitmap == nullptr) {
        return nullptr;
    }
    gfx::Image staged = gfx::NewImage(PIXMAN_r5g6b5, w, h);
    if (!staged) {
        FreeBitmap(bitmap);
        return nullptr;
    }
    long long left = canvas->ox + x;
    long long top = canvas->oy + y;
    Box source = gfx::Intersect(left, top, w, h, canvas->clip);
    if (!source.Empty()) {
        pixman_image_composite32(PIXMAN_OP_SRC, canvas->image, nullptr, staged.get(), source.x,
                                 source.y, 0, 0, static_cast<int>(source.x - left),
                                 static_cast<int>(source.y - top), source.w, source.h);
    }
    gfx::StoreImage(staged.get(), bitmap);
    return bitmap;
}

extern "C" int _WmFreeBitmap(tagWMBITMAP* pBitmap, int flag, const char* sourcePath, int line) {
    if (auto fault = detail::Enter("_WmFreeBitmap", {Arg(pBitmap), Arg(flag)})) {
        return static_cast<int>(*fault);
    }
    if (pBitmap == nullptr) {
        return 0;
    }
    if (!_MemIsHeapAddr(pBitmap)) {
        // Not a live record: the heap records the bad free; the record is not read.
        MemFreeTraceMultiHeap(pBitmap, sourcePath, line);
        return 0;
    }
    gfx::ForgetBitmap(pBitmap);
    if (flag == 0 && _MemIsHeapAddr(pBitmap->pBits)) {
        MemFreeTraceMultiHeap(pBitmap->pBits, sourcePath, line);
    }
    MemFreeTraceMultiHeap(pBitmap, sourcePath, line);
    return 1;
}

extern "C" int WmTextDisplay(int hGC, tagWMRECT rect, int hText) {
    if (auto fault = detail::Enter("WmTextDisplay", {Arg(hGC), Arg(rect.x), Arg(rect.y),
                                                     Arg(rect.w), Arg(rect.h), Arg(hText)})) {
        return static_cast<int>(*fault);
    }
    const gfx::GC* gc = gfx::FindGC(hGC);
    std::optional<gfx::Canvas> canvas = gc != nullptr ? gfx::CanvasOf(*gc) : std::nullopt;
    if (!canvas) {
        return 0;
    }
    return gfx::DrawText(hText, canvas->image, canvas->ox + rect.x, canvas->oy + rect.y, rect.w,
                         rect.h, canvas->clip, gfx::Effective(*gc).fgOpacity)
               ? 1
               : 0;
}
