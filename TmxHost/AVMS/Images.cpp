// Image files for the media library: decoding into image objects, 16-bit scaling, size and
// frame count, and decoding fitted into a box as a bitmap. The codecs are the graphics host's
// (ImageFiles.cpp); scaling and pixel conversion go through pixman, with a box-sampled
// separable convolution when shrinking and bilinear filtering when enlarging.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <optional>
#include <vector>

#include "../Control/HostInternal.h"
#include "../Control/TmxHost.h"
#include "../GWESCore/Graphics.h"
#include "CallCommonSvc/Platform/TmxAVMS.h"

namespace tmxhost {
namespace {

constexpr const char* kPath = "TmxHost\\AVMS\\Images";
// Larger files are not read: no image within the pixel limit needs them.
constexpr std::streamoff kMaxFileBytes = 256LL << 20;
constexpr int kModeRgb565 = 2;

// What ImgDecodeFileEx puts into word 0 of a decoded bitmap: the file's format.
enum ImageFormat : std::uint32_t {
    kFormatPng = 1,
    kFormatJpeg = 2,
    kFormatGif = 3,
    kFormatWebp = 4
};

struct ImagesState {
    int forcedWidth = 0;  // SetScaledImageSize
    int forcedHeight = 0;
};

ImagesState& State() {
    static ImagesState state;
    return state;
}

// An image object: the three records in one heap block, the pixels in another.
struct ImageBlock {
    ImgImage image;
    ImgHead head;
    ImgBitmap bitmap;
};

struct PixmanDeleter {
    void operator()(pixman_image_t* image) const { pixman_image_unref(image); }
};
using Pixman = std::unique_ptr<pixman_image_t, PixmanDeleter>;

bool ReadFile(const char* path, std::vector<unsigned char>& bytes) {
    if (path == nullptr || *path == '\0') {
        return false;
    }
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    if (!file) {
        return false;
    }
    const std::streamoff size = file.tellg();
    if (size <= 0 || size > kMaxFileBytes) {
        return false;
    }
    bytes.resize(static_cast<std::size_t>(size));
    file.seekg(0);
    return static_cast<bool>(file.read(reinterpret_cast<char*>(bytes.data()), size));
}

std::uint32_t FormatOf(const std::vector<unsigned char>& bytes) {
    switch (bytes[0]) {
        case 0x89:
            return kFormatPng;
        case 0xFF:
            return kFormatJpeg;
        case 'G':
            return kFormatGif;
        default:
            return kFormatWebp;
    }
}

// Decodes a file within the host's pixel limit; a JPEG at the DCT scale that covers the box.
bool DecodeFile(const char* path, int fitWidth, int fitHeight, gfx::DecodedImage& image,
                std::uint32_t* format = nullptr) {
    std::vector<unsigned char> bytes;
    if (!ReadFile(path, bytes)) {
        return false;
    }
    gfx::ImageLimits limits;
    limits.maxPixels = kMaxImagePixels;
    limits.fitWidth = std::max(fitWidth, 0);
    limits.fitHeight = std::max(fitHeight, 0);
    if (!gfx::DecodeImageData(bytes.data(), bytes.size(), limits, image, nullptr)) {
        return false;
    }
    if (format != nullptr) {
        *format = FormatOf(bytes);
    }
    return true;
}

// Premultiplied ARGB over black into RGB565, truncating as pixman does.
void ArgbTo565(const std::uint32_t* from, std::uint16_t* to, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t p = from[i];
        to[i] = static_cast<std::uint16_t>(((p >> 8) & 0xF800) | ((p >> 5) & 0x07E0) |
                                           ((p >> 3) & 0x001F));
    }
}

// A pixman image holding a copy of tightly packed rows (pixman wants rows of whole words).
Pixman ImageOf(pixman_format_code_t format, int width, int height, const void* pixels,
               int bytesPerPixel) {
    Pixman image(pixman_image_create_bits(format, width, height, nullptr, 0));
    if (!image) {
        return image;
    }
    auto* to = reinterpret_cast<unsigned char*>(pixman_image_get_data(image.get()));
    const int stride = pixman_image_get_stride(image.get());
    const auto* from = static_cast<const unsigned char*>(pixels);
    const std::size_t row = static_cast<std::size_t>(width) * bytesPerPixel;
    for (int y = 0; y < height; ++y) {
        std::memcpy(to + static_cast<std::size_t>(y) * stride, from + y * row, row);
    }
    return image;
}

void CopyRows(pixman_image_t* image, void* pixels, int bytesPerPixel) {
    const int width = pixman_image_get_width(image);
    const int height = pixman_image_get_height(image);
    const auto* from = reinterpret_cast<const unsigned char*>(pixman_image_get_data(image));
    const int stride = pixman_image_get_stride(image);
    auto* to = static_cast<unsigned char*>(pixels);
    const std::size_t row = static_cast<std::size_t>(width) * bytesPerPixel;
    for (int y = 0; y < height; ++y) {
        std::memcpy(to + y * row, from + static_cast<std::size_t>(y) * stride, row);
    }
}

// Draws `source` (srcW x srcH) scaled to the whole of `dest`. Shrinking averages each
// destination pixel's footprint (box sampling of a linear reconstruction), so detail is
// filtered rather than dropped; enlarging interpolates bilinearly. Edges repeat outwards.
void Scale(pixman_image_t* source, int srcW, int srcH, pixman_image_t* dest) {
    const int dstW = pixman_image_get_width(dest);
    const int dstH = pixman_image_get_height(dest);
    const double sx = static_cast<double>(srcW) / dstW;
    const double sy = static_cast<double>(srcH) / dstH;
    pixman_transform_t transform;
    pixman_transform_init_scale(&transform, pixman_double_to_fixed(sx), pixman_double_to_fixed(sy));
    pixman_image_set_transform(source, &transform);
    pixman_image_set_repeat(source, PIXMAN_REPEAT_PAD);
    pixman_fixed_t* params = nullptr;
    if (sx > 1.0 || sy > 1.0) {
        int count = 0;
        params = pixman_filter_create_separable_convolution(
            &count, pixman_double_to_fixed(std::max(sx, 1.0)),
            pixman_double_to_fixed(std::max(sy, 1.0)), PIXMAN_KERNEL_LINEAR, PIXMAN_KERNEL_LINEAR,
            PIXMAN_KERNEL_BOX, PIXMAN_KERNEL_BOX, 2, 2);
        pixman_image_set_filter(source, PIXMAN_FILTER_SEPARABLE_CONVOLUTION, params, count);
    } else {
        pixman_image_set_filter(source, PIXMAN_FILTER_BILINEAR, nullptr, 0);
    }
    pixman_image_composite32(PIXMAN_OP_SRC, source, nullptr, dest, 0, 0, 0, 0, 0, 0, dstW, dstH);
    std::free(params);
    pixman_image_set_transform(source, nullptr);
}

}  // namespace

void SetScaledImageSize(int width, int height) {
    State().forcedWidth = std::max(width, 0);
    State().forcedHeight = std::max(height, 0);
}

namespace detail {
void ResetImages() {
    State() = ImagesState{};
}
}  // namespace detail

extern "C" int ImgDecodeFileEx(const char* path, ImgImage** ppImage, int width, int height,
                               int mode, int flag) {
    if (auto fault = detail::Enter("ImgDecodeFileEx", path, width, height, mode, flag)) {
        return static_cast<int>(*fault);
    }
    if (ppImage == nullptr) {
        return 0;
    }
    *ppImage = nullptr;
    gfx::DecodedImage decoded;
    std::uint32_t format = 0;
    if (!DecodeFile(path, width, height, decoded, &format)) {
        return 0;
    }
    const int bitsPerPixel = mode == kModeRgb565 ? 16 : 32;
    const std::size_t count = decoded.argb.size();
    auto* block = static_cast<ImageBlock*>(detail::HeapAlloc(sizeof(ImageBlock), kPath, __LINE__));
    void* pixels = detail::HeapAlloc(count * (bitsPerPixel / 8), kPath, __LINE__);
    if (block == nullptr || pixels == nullptr) {
        MemFreeTraceMultiHeap(block, kPath, __LINE__);
        MemFreeTraceMultiHeap(pixels, kPath, __LINE__);
        return 0;
    }
    if (bitsPerPixel == 16) {
        ArgbTo565(decoded.argb.data(), static_cast<std::uint16_t*>(pixels), count);
    } else {
        std::memcpy(pixels, decoded.argb.data(), count * 4);
    }
    block->image.pHead = &block->head;
    block->head.pbmBitmap = &block->bitmap;
    ImgBitmap& bitmap = block->bitmap;
    bitmap.nWord0 = format;
    bitmap.nBitsPerPixel = static_cast<std::uint8_t>(bitsPerPixel);
    bitmap.nWidth = decoded.width;
    bitmap.nHeight = decoded.height;
    bitmap.nWord12 = decoded.translucent ? 1 : 0;
    bitmap.pBits = pixels;
    *ppImage = &block->image;
    return 1;
}

extern "C" int ImgScaleImage(int mode, const void* src, int srcW, int srcH, void* dst, int dstW,
                             int dstH, int* pSize) {
    if (auto fault = detail::Enter("ImgScaleImage", mode, srcW, srcH, dstW, dstH,
                                   pSize != nullptr ? *pSize : -1)) {
        return static_cast<int>(*fault);
    }
    if (src == nullptr || dst == nullptr || pSize == nullptr || srcW < 1 || srcH < 1 || dstW < 1 ||
        dstH < 1 || static_cast<long long>(srcW) * srcH > kMaxImagePixels ||
        static_cast<long long>(dstW) * dstH > kMaxImagePixels) {
        return 0;
    }
    const long long needed = static_cast<long long>(dstW) * dstH * 2;
    if (*pSize < needed) {
        return 0;  // the destination cannot hold the result
    }
    // Pixels on the heap must hold the whole source.
    if (std::optional<std::size_t> held = detail::HeapBlockSize(src)) {
        if (*held < static_cast<std::size_t>(srcW) * srcH * 2) {
            return 0;
        }
    }
    if (srcW == dstW && srcH == dstH) {
        std::memmove(dst, src, static_cast<std::size_t>(needed));
    } else {
        Pixman source = ImageOf(PIXMAN_r5g6b5, srcW, srcH, src, 2);
        Pixman dest(pixman_image_create_bits(PIXMAN_r5g6b5, dstW, dstH, nullptr, 0));
        if (!source || !dest) {
            return 0;
        }
        Scale(source.get(), srcW, srcH, dest.get());
        CopyRows(dest.get(), dst, 2);
    }
    *pSize = static_cast<int>(needed);
    return 1;
}

extern "C" int ImgFreeImage(ImgImage* pImage) {
    if (auto fault = detail::Enter("ImgFreeImage", static_cast<const void*>(pImage))) {
        return static_cast<int>(*fault);
    }
    if (pImage == nullptr || !_MemIsHeapAddr(pImage)) {
        MemFreeTraceMultiHeap(pImage, kPath, __LINE__);  // records a bad free
        return 0;
    }
    auto* block = reinterpret_cast<ImageBlock*>(pImage);
    MemFreeTraceMultiHeap(block->bitmap.pBits, kPath, __LINE__);
    MemFreeTraceMultiHeap(block, kPath, __LINE__);
    return 1;
}

extern "C" int ImgGetImageInfo(const char* path, int* pFlags, ImgImageInfo* pInfo) {
    if (auto fault = detail::Enter("ImgGetImageInfo", path, pFlags != nullptr ? *pFlags : -1)) {
        return static_cast<int>(*fault);
    }
    std::vector<unsigned char> bytes;
    gfx::ImageFileInfo info;
    if (pInfo == nullptr || !ReadFile(path, bytes) ||
        !gfx::ReadImageFileInfo(bytes.data(), bytes.size(), info, nullptr)) {
        return 0;
    }
    pInfo->nWidth = info.width;
    pInfo->nHeight = info.height;
    pInfo->nFrameCount = info.frames;
    return 1;
}

extern "C" int ImgGetScaledImageFileEx(const char* path, tagWMBITMAP** ppBitmap, int width,
                                       int height, int mode, int flag, const char* sourcePath,
                                       int line) {
    if (auto fault = detail::Enter("ImgGetScaledImageFileEx", path, width, height, mode, flag)) {
        return static_cast<int>(*fault);
    }
    if (ppBitmap == nullptr || width < 1 || height < 1) {
        return 0;
    }
    gfx::DecodedImage decoded;
    if (!DecodeFile(path, width, height, decoded)) {
        return 0;
    }
    // The largest size of the image's shape inside the box.
    const double scale = std::min(static_cast<double>(width) / decoded.width,
                                  static_cast<double>(height) / decoded.height);
    int fitW = std::clamp(static_cast<int>(std::lround(decoded.width * scale)), 1, width);
    int fitH = std::clamp(static_cast<int>(std::lround(decoded.height * scale)), 1, height);
    if (State().forcedWidth > 0 && State().forcedHeight > 0) {
        fitW = State().forcedWidth;
        fitH = State().forcedHeight;
    }
    const int bitsPerPixel = mode == kModeRgb565 ? 16 : 32;
    tagWMBITMAP* bitmap = gfx::NewBitmap(fitW, fitH, bitsPerPixel, sourcePath, line);
    if (bitmap == nullptr) {
        return 0;
    }
    Pixman source(pixman_image_create_bits(PIXMAN_a8r8g8b8, decoded.width, decoded.height,
                                           decoded.argb.data(), decoded.width * 4));
    Pixman dest(pixman_image_create_bits(bitsPerPixel == 16 ? PIXMAN_r5g6b5 : PIXMAN_a8r8g8b8, fitW,
                                         fitH, nullptr, 0));
    if (!source || !dest) {
        FreeBitmap(bitmap);
        return 0;
    }
    Scale(source.get(), decoded.width, decoded.height, dest.get());
    CopyRows(dest.get(), bitmap->pBits, bitsPerPixel / 8);
    *ppBitmap = bitmap;
    return 1;
}

}  // namespace tmxhost
