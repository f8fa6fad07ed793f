// Image files into host bitmaps: PNG through libpng, JPEG through libjpeg-turbo, GIF (first
// frame) through giflib; and bitmaps out as PNG. Sizes are checked before any pixel buffer is
// made, and every decoder error ends in a message, never in a crash.
#include <gif_lib.h>
#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>
// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>

#include "../Control/TmxHost.h"
#include "Graphics.h"

namespace tmxhost {
namespace {

constexpr const char* kPath = "TmxHost\\GWESCore\\ImageFiles";

struct ImageDeleter {
    void operator()(pixman_image_t* image) const { pixman_image_unref(image); }
};
using Image = std::unique_ptr<pixman_image_t, ImageDeleter>;

bool Fail(std::string* error, const std::string& message) {
    if (error != nullptr) {
        *error = message;
    }
    return false;
}

bool SizeOk(long long width, long long height, std::string* error) {
    if (width < 1 || height < 1 || width > gfx::kMaxSide || height > gfx::kMaxSide) {
        return Fail(error, "image size " + std::to_string(width) + "x" + std::to_string(height) +
                               " is outside 1 to " + std::to_string(gfx::kMaxSide));
    }
    return true;
}

// Premultiplies 0xAARRGGBB words in place and tells whether any pixel is not opaque.
bool Premultiply(std::uint32_t* pixels, std::size_t count) {
    bool translucent = false;
    for (std::size_t i = 0; i < count; ++i) {
        std::uint32_t p = pixels[i];
        std::uint32_t a = p >> 24;
        if (a == 255) {
            continue;
        }
        translucent = true;
        auto scale = [a](std::uint32_t c) { return (c * a + 127) / 255; };
        pixels[i] = (a << 24) | (scale((p >> 16) & 0xFF) << 16) | (scale((p >> 8) & 0xFF) << 8) |
                    scale(p & 0xFF);
    }
    return translucent;
}

// A bitmap from premultiplied ARGB pixels: 32 bits when some are not opaque, else RGB565.
tagWMBITMAP* FromArgb(std::vector<std::uint32_t>& argb, int width, int height, bool translucent,
                      std::string* error) {
    tagWMBITMAP* bitmap = gfx::NewBitmap(width, height, translucent ? 32 : 16, kPath, __LINE__);
    if (bitmap == nullptr) {
        Fail(error, "no memory for the image");
        return nullptr;
    }
    Image source(pixman_image_create_bits(PIXMAN_a8r8g8b8, width, height, argb.data(), width * 4));
    gfx::StoreImage(source.get(), bitmap);
    return bitmap;
}

tagWMBITMAP* DecodePng(const unsigned char* data, std::size_t size, std::string* error) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, data, size)) {
        Fail(error, std::string("damaged PNG: ") + image.message);
        return nullptr;
    }
    if (!SizeOk(image.width, image.height, error)) {
        png_image_free(&image);
        return nullptr;
    }
    image.format = PNG_FORMAT_BGRA;  // little-endian 0xAARRGGBB words
    std::vector<std::uint32_t> argb(static_cast<std::size_t>(image.width) * image.height);
    if (!png_image_finish_read(&image, nullptr, argb.data(), 0, nullptr)) {
        Fail(error, std::string("damaged PNG: ") + image.message);
        png_image_free(&image);
        return nullptr;
    }
    bool translucent = Premultiply(argb.data(), argb.size());
    return FromArgb(argb, static_cast<int>(image.width), static_cast<int>(image.height),
                    translucent, error);
}

struct JpegError {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void JpegExit(j_common_ptr info) {
    auto* error = reinterpret_cast<JpegError*>(info->err);
    info->err->format_message(info, error->message);
    std::longjmp(error->jump, 1);
}

void JpegSilence(j_common_ptr, int) {}

// Plain data only between setjmp and the decoder's calls, so a longjmp skips no destructor.
bool DecodeJpegInto(const unsigned char* data, std::size_t size, std::vector<std::uint32_t>& argb,
                    int& width, int& height, std::string* error) {
    jpeg_decompress_struct info{};
    JpegError failure{};
    info.err = jpeg_std_error(&failure.manager);
    failure.manager.error_exit = JpegExit;
    failure.manager.emit_message = JpegSilence;
    if (setjmp(failure.jump) != 0) {
        jpeg_destroy_decompress(&info);
        return Fail(error, std::string("damaged JPEG: ") + failure.message);
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
    jpeg_read_header(&info, TRUE);
    if (!SizeOk(info.image_width, info.image_height, error)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    info.out_color_space = JCS_EXT_BGRA;
    jpeg_start_decompress(&info);
    width = static_cast<int>(info.output_width);
    height = static_cast<int>(info.output_height);
    argb.resize(static_cast<std::size_t>(width) * height);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = reinterpret_cast<JSAMPROW>(
            argb.data() + static_cast<std::size_t>(info.output_scanline) * width);
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

tagWMBITMAP* DecodeJpeg(const unsigned char* data, std::size_t size, std::string* error) {
    std::vector<std::uint32_t> argb;
    int width = 0;
    int height = 0;
    if (!DecodeJpegInto(data, size, argb, width, height, error)) {
        return nullptr;
    }
    return FromArgb(argb, width, height, false, error);
}

struct GifSource {
    const unsigned char* data;
    std::size_t size;
    std::size_t offset;
};

int GifRead(GifFileType* gif, GifByteType* to, int length) {
    auto* source = static_cast<GifSource*>(gif->UserData);
    std::size_t count = std::min<std::size_t>(length, source->size - source->offset);
    std::memcpy(to, source->data + source->offset, count);
    source->offset += count;
    return static_cast<int>(count);
}

struct GifCloser {
    void operator()(GifFileType* gif) const { DGifCloseFile(gif, nullptr); }
};

// The first frame on the logical screen; pixels it leaves out, and its transparent colour, are
// transparent.
tagWMBITMAP* DecodeGif(const unsigned char* data, std::size_t size, std::string* error) {
    GifSource source{data, size, 0};
    int code = 0;
    std::unique_ptr<GifFileType, GifCloser> gif(DGifOpen(&source, GifRead, &code));
    if (!gif) {
        Fail(error, std::string("damaged GIF: ") + GifErrorString(code));
        return nullptr;
    }
    if (!SizeOk(gif->SWidth, gif->SHeight, error)) {
        return nullptr;
    }
    int width = gif->SWidth;
    int height = gif->SHeight;
    int transparent = -1;
    GifRecordType record;
    do {
        if (DGifGetRecordType(gif.get(), &record) == GIF_ERROR) {
            Fail(error, std::string("damaged GIF: ") + GifErrorString(gif->Error));
            return nullptr;
        }
        if (record == EXTENSION_RECORD_TYPE) {
            int kind = 0;
            GifByteType* block = nullptr;
            if (DGifGetExtension(gif.get(), &kind, &block) == GIF_ERROR) {
                Fail(error, "damaged GIF extension");
                return nullptr;
            }
            while (block != nullptr) {
                GraphicsControlBlock control;
                if (kind == GRAPHICS_EXT_FUNC_CODE && block[0] >= 4 &&
                    DGifExtensionToGCB(block[0], block + 1, &control) == GIF_OK) {
                    transparent = control.TransparentColor;
                }
                if (DGifGetExtensionNext(gif.get(), &block) == GIF_ERROR) {
                    Fail(error, "damaged GIF extension");
                    return nullptr;
                }
            }
        }
    } while (record != IMAGE_DESC_RECORD_TYPE && record != TERMINATE_RECORD_TYPE);
    if (record != IMAGE_DESC_RECORD_TYPE || DGifGetImageDesc(gif.get()) == GIF_ERROR) {
        Fail(error, "GIF without an image");
        return nullptr;
    }
    const GifImageDesc& frame = gif->Image;
    if (!SizeOk(frame.Width, frame.Height, error)) {
        return nullptr;
    }
    const ColorMapObject* colors = frame.ColorMap != nullptr ? frame.ColorMap : gif->SColorMap;
    std::vector<GifPixelType> line(frame.Width);
    std::vector<std::uint32_t> argb(static_cast<std::size_t>(width) * height, 0);
    bool translucent = false;
    // Interlaced rows come in four passes (GIF89a, appendix E).
    static constexpr int kStart[] = {0, 4, 2, 1};
    static constexpr int kStep[] = {8, 8, 4, 2};
    std::vector<int> order;
    for (int pass = 0; pass < (frame.Interlace ? 4 : 1); ++pass) {
        for (int row = frame.Interlace ? kStart[pass] : 0; row < frame.Height;
             row += frame.Interlace ? kStep[pass] : 1) {
            order.push_back(row);
        }
    }
    for (int row : order) {
        if (DGifGetLine(gif.get(), line.data(), frame.Width) == GIF_ERROR) {
            Fail(error, std::string("damaged GIF: ") + GifErrorString(gif->Error));
            return nullptr;
        }
        long long y = static_cast<long long>(frame.Top) + row;
        for (int column = 0; column < frame.Width; ++column) {
            long long x = static_cast<long long>(frame.Left) + column;
            int index = line[column];
            if (x >= width || y >= height || index == transparent || colors == nullptr ||
                index >= colors->ColorCount) {
                continue;
            }
            const GifColorType& c = colors->Colors[index];
            argb[static_cast<std::size_t>(y) * width + x] =
                0xFF000000u | (c.Red << 16) | (c.Green << 8) | c.Blue;
        }
    }
    for (std::uint32_t pixel : argb) {
        translucent = translucent || (pixel >> 24) != 255;
    }
    return FromArgb(argb, width, height, translucent, error);
}

}  // namespace

tagWMBITMAP* DecodeImage(const void* data, std::size_t size, std::string* error) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    if (bytes == nullptr || size < 4) {
        Fail(error, "not an image");
        return nullptr;
    }
    if (size >= 8 && std::memcmp(bytes, "\x89PNG\r\n\x1a\n", 8) == 0) {
        return DecodePng(bytes, size, error);
    }
    if (bytes[0] == 0xFF && bytes[1] == 0xD8) {
        return DecodeJpeg(bytes, size, error);
    }
    if (std::memcmp(bytes, "GIF8", 4) == 0) {
        return DecodeGif(bytes, size, error);
    }
    Fail(error, "not a PNG, JPEG or GIF image");
    return nullptr;
}

tagWMBITMAP* LoadImage(const std::string& path, std::string* error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        Fail(error, path + ": cannot be read");
        return nullptr;
    }
    std::vector<char> bytes((std::istreambuf_iterator<char>(file)),
                            std::istreambuf_iterator<char>());
    std::string why;
    tagWMBITMAP* bitmap = DecodeImage(bytes.data(), bytes.size(), &why);
    if (bitmap == nullptr) {
        Fail(error, path + ": " + why);
    }
    return bitmap;
}

bool SaveBitmapPng(const tagWMBITMAP* bitmap, const std::string& path, std::string* error) {
    Image source(gfx::BitmapImage(bitmap));
    if (!source) {
        return Fail(error, "not a usable bitmap");
    }
    int width = bitmap->rectW;
    int height = bitmap->rectH;
    bool alpha = bitmap->nBitsPerPixel == 32;
    // Straight (not premultiplied) 8-bit channels, as PNG stores them.
    std::vector<std::uint32_t> argb(static_cast<std::size_t>(width) * height);
    Image staged(pixman_image_create_bits(PIXMAN_a8r8g8b8, width, height, argb.data(), width * 4));
    pixman_image_composite32(PIXMAN_OP_SRC, source.get(), nullptr, staged.get(), 0, 0, 0, 0, 0, 0,
                             width, height);
    for (std::uint32_t& p : argb) {
        std::uint32_t a = p >> 24;
        if (a != 0 && a != 255) {
            auto unscale = [a](std::uint32_t c) {
                return std::min<std::uint32_t>(255, (c * 255 + a / 2) / a);
            };
            p = (a << 24) | (unscale((p >> 16) & 0xFF) << 16) | (unscale((p >> 8) & 0xFF) << 8) |
                unscale(p & 0xFF);
        }
    }
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_BGRA;
    std::vector<std::uint8_t> rgb;
    const void* pixels = argb.data();
    if (!alpha) {
        image.format = PNG_FORMAT_RGB;
        rgb.reserve(argb.size() * 3);
        for (std::uint32_t p : argb) {
            rgb.push_back(static_cast<std::uint8_t>(p >> 16));
            rgb.push_back(static_cast<std::uint8_t>(p >> 8));
            rgb.push_back(static_cast<std::uint8_t>(p));
        }
        pixels = rgb.data();
    }
    if (!png_image_write_to_file(&image, path.c_str(), 0, pixels, 0, nullptr)) {
        std::string message = path + ": " + image.message;
        png_image_free(&image);
        return Fail(error, message);
    }
    return true;
}

}  // namespace tmxhost
