// Shared by the graphics host's parts: bitmaps on the platform heap, pixman views of them, and
// the text renderer's entry points.
#pragma once

#include <pixman.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "CallCommonSvc/Platform/TmxGWESCore.h"

namespace tmxhost::gfx {

// Largest bitmap side the host makes or accepts, in pixels.
constexpr int kMaxSide = 4096;

// A rectangle in some image's pixel coordinates; empty when w or h is not positive.
struct Box {
    int x = 0;
    int y = 0;
    int w = 0;
    int h = 0;
    bool Empty() const { return w <= 0 || h <= 0; }
};

// The intersection of {x, y, w, h} (64-bit, any size) with `clip`.
Box Intersect(long long x, long long y, long long w, long long h, const Box& clip);

// A new bitmap on the platform heap (record and pixels, zeroed), freed with _WmFreeBitmap; null
// when the size is out of range.
tagWMBITMAP* NewBitmap(int width, int height, int bitsPerPixel, const char* path, int line);
// Pixman image of a bitmap's pixels, or null when the record is unusable (null pixels, sizes out
// of range, a heap block too small for them). Rows whose length is not a multiple of 4 bytes are
// copied, so the image must only be read.
pixman_image_t* BitmapImage(const tagWMBITMAP* bitmap);
// Writes `image` (same size) into a bitmap's pixels, converting to its format.
void StoreImage(pixman_image_t* image, tagWMBITMAP* bitmap);

// RGB565 to pixman's 16-bit colour channels, with `alpha` (0 to 255).
pixman_color_t Color565(std::uint16_t rgb565, int alpha);
// 0xAARRGGBB to pixman's premultiplied colour channels, alpha scaled by `opacity` (0 to 255).
pixman_color_t Color32(std::uint32_t argb, int opacity);

// Text objects: draws `hText` into `dest` inside the box {x, y, w, h}, clipped to `clip` (both in
// dest pixels), with the text's colour at `opacity`. False for an unknown text handle.
bool DrawText(int hText, pixman_image_t* dest, long long x, long long y, long long w, long long h,
              const Box& clip, int opacity);
void ResetText();
int LiveTextObjects();

// The screen's pixels (RGB565).
pixman_image_t* ScreenImage();

// For the Flash engine: whether a GC exists; copies an image to (x, y) of a GC, clipped to it,
// replacing the pixels there; and shows a GC as _WmShowGC(h, 1) does, without logging a call.
bool GCExists(int hGC);
bool PutImage(int hGC, long long x, long long y, pixman_image_t* image);
bool ShowGC(int hGC);
// Image files (ImageFiles.cpp): PNG (APNG's default image), JPEG, GIF (first frame) and WebP
// (first frame), checked against `Limits` before any pixel buffer is made.
struct ImageLimits {
    long long maxPixels = 0;  // decoded pixels at most
    int maxSide = 0;          // each decoded side at most; 0: no limit of its own
    // A JPEG is decoded at the smallest DCT scale (n/8) whose result still covers this box, so
    // that a large photo shown small is never decoded whole; 0 x 0 decodes at full size.
    int fitWidth = 0;
    int fitHeight = 0;
};
// An allocator whose resize leaves new pixels uninitialised: a decoder writes every one.
template <class T>
struct NoInitAllocator : std::allocator<T> {
    using std::allocator<T>::allocator;
    template <class U>
    struct rebind {
        using other = NoInitAllocator<U>;
    };
    template <class U, class... Args>
    void construct(U* p, Args&&... args) {
        if constexpr (sizeof...(Args) == 0) {
            ::new (static_cast<void*>(p)) U;
        } else {
            ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
        }
    }
};
struct DecodedImage {
    int width = 0;
    int height = 0;
    bool translucent = false;  // some pixel is not opaque
    // Premultiplied 0xAARRGGBB, rows without padding.
    std::vector<std::uint32_t, NoInitAllocator<std::uint32_t>> argb;
};
bool DecodeImageData(const unsigned char* data, std::size_t size, const ImageLimits& limits,
                     DecodedImage& image, std::string* error);
// Size and frame count from a file's structure, without decoding pixels: animated GIF, WebP
// and PNG (acTL) count their frames, a still image counts 1. False for a damaged file.
struct ImageFileInfo {
    int width = 0;
    int height = 0;
    int frames = 0;
};
bool ReadImageFileInfo(const unsigned char* data, std::size_t size, ImageFileInfo& info,
                       std::string* error);

// A fresh handle for any graphics object (windows, GCs, text objects share one series).
int NextHandle();

}  // namespace tmxhost::gfx
