// Image files into host bitmaps: PNG through libpng, JPEG through libjpeg-turbo, GIF (first
// frame) through giflib, WebP (first frame) through libwebp; their sizes and frame counts; and
// bitmaps out as PNG. Sizes are checked before any pixel buffer is made, and every decoder error
// ends in a message, never in a crash.
#include <gif_lib.h>
#include <png.h>
#include <webp/decode.h>
#include <webp/demux.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>
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

// The decoded size against the limits, before any pixel buffer is made.
bool SizeOk(long long width, long long height, const gfx::ImageLimits& limits, std::string* error) {
    const std::string size = std::to_string(width) + "x" + std::to_string(height);
    if (width < 1 || height < 1) {
        return Fail(error, "image size " + size + " is empty");
    }
    if (limits.maxSide > 0 && (width > limits.maxSide || height > limits.maxSide)) {
        return Fail(error,
                    "image size " + size + " is outside 1 to " + std::to_string(limits.maxSide));
    }
    if (width * height > limits.maxPixels) {
        return Fail(error, "image size " + size + " is more than " +
                               std::to_string(limits.maxPixels) + " pixels");
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

std::uint32_t BigEndian32(const unsigned char* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
           p[3];
}

const unsigned char kPngSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};

bool IsPng(const unsigned char* data, std::size_t size) {
    return size >= 8 && std::memcmp(data, kPngSignature, 8) == 0;
}
bool IsJpeg(const unsigned char* data, std::size_t size) {
    return size >= 2 && data[0] == 0xFF && data[1] == 0xD8;
}
bool IsGif(const unsigned char* data, std::size_t size) {
    return size >= 4 && std::memcmp(data, "GIF8", 4) == 0;
}
bool IsWebp(const unsigned char* data, std::size_t size) {
    return size >= 12 && std::memcmp(data, "RIFF", 4) == 0 && std::memcmp(data + 8, "WEBP", 4) == 0;
}

bool PngInfo(const unsigned char* data, std::size_t size, gfx::ImageFileInfo& info,
             std::string* error);

// The chunks are walked first, so a file cut anywhere (even after its image data) is refused.
bool DecodePng(const unsigned char* data, std::size_t size, const gfx::ImageLimits& limits,
               gfx::DecodedImage& out, std::string* error) {
    gfx::ImageFileInfo structure;
    if (!PngInfo(data, size, structure, error)) {
        return false;
    }
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, data, size)) {
        return Fail(error, std::string("damaged PNG: ") + image.message);
    }
    if (!SizeOk(image.width, image.height, limits, error)) {
        png_image_free(&image);
        return false;
    }
    image.format = PNG_FORMAT_BGRA;  // little-endian 0xAARRGGBB words
    out.width = static_cast<int>(image.width);
    out.height = static_cast<int>(image.height);
    out.argb.assign(static_cast<std::size_t>(image.width) * image.height, 0);
    if (!png_image_finish_read(&image, nullptr, out.argb.data(), 0, nullptr)) {
        std::string message = std::string("damaged PNG: ") + image.message;
        png_image_free(&image);
        return Fail(error, message);
    }
    out.translucent = Premultiply(out.argb.data(), out.argb.size());
    return true;
}

// PNG chunks from the signature to IEND: the size from IHDR and, for an animated PNG, the frame
// count from acTL. The chunks' CRCs are left to the decoder.
bool PngInfo(const unsigned char* data, std::size_t size, gfx::ImageFileInfo& info,
             std::string* error) {
    std::size_t at = 8;
    bool first = true;
    bool seenData = false;
    info.frames = 1;
    while (true) {
        if (size - at < 12) {
            return Fail(error, "damaged PNG: truncated");
        }
        const std::uint32_t length = BigEndian32(data + at);
        const unsigned char* type = data + at + 4;
        if (length > 0x7FFFFFFFu || size - at - 12 < length) {
            return Fail(error, "damaged PNG: truncated chunk");
        }
        const unsigned char* body = data + at + 8;
        if (first) {
            if (std::memcmp(type, "IHDR", 4) != 0 || length != 13) {
                return Fail(error, "damaged PNG: no IHDR");
            }
            const std::uint32_t width = BigEndian32(body);
            const std::uint32_t height = BigEndian32(body + 4);
            if (width == 0 || height == 0 || width > 0x7FFFFFFFu || height > 0x7FFFFFFFu) {
                return Fail(error, "damaged PNG: bad size");
            }
            info.width = static_cast<int>(width);
            info.height = static_cast<int>(height);
            first = false;
        } else if (std::memcmp(type, "acTL", 4) == 0 && !seenData && length == 8) {
            // An acTL after the image data does not make the file animated; 0 frames is invalid
            // and leaves the still image.
            const std::uint32_t frames = BigEndian32(body);
            if (frames > 0x7FFFFFFFu) {
                return Fail(error, "damaged PNG: bad frame count");
            }
            info.frames = frames == 0 ? 1 : static_cast<int>(frames);
        } else if (std::memcmp(type, "IDAT", 4) == 0) {
            seenData = true;
        } else if (std::memcmp(type, "IEND", 4) == 0) {
            return seenData ? true : Fail(error, "damaged PNG: no image data");
        }
        at += 12 + static_cast<std::size_t>(length);
    }
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

// Warnings (corrupt or missing data, which the decoder would paint grey) are counted, not
// printed: a file that gave any is damaged.
void JpegWarning(j_common_ptr info, int level) {
    if (level < 0) {
        info->err->num_warnings++;
    }
}

// The smallest DCT scale n/8 whose output still covers the fit box.
void ChooseJpegScale(jpeg_decompress_struct& info, const gfx::ImageLimits& limits) {
    if (limits.fitWidth <= 0 || limits.fitHeight <= 0) {
        return;
    }
    info.scale_denom = 8;
    for (unsigned n = 1; n <= 8; ++n) {
        info.scale_num = n;
        jpeg_calc_output_dimensions(&info);
        if (info.output_width >= static_cast<unsigned>(limits.fitWidth) &&
            info.output_height >= static_cast<unsigned>(limits.fitHeight)) {
            return;
        }
    }
}

// Plain data only between setjmp and the decoder's calls, so a longjmp skips no destructor.
bool DecodeJpeg(const unsigned char* data, std::size_t size, const gfx::ImageLimits& limits,
                gfx::DecodedImage& out, std::string* error) {
    jpeg_decompress_struct info{};
    JpegError failure{};
    info.err = jpeg_std_error(&failure.manager);
    failure.manager.error_exit = JpegExit;
    failure.manager.emit_message = JpegWarning;
    if (setjmp(failure.jump) != 0) {
        jpeg_destroy_decompress(&info);
        return Fail(error, std::string("damaged JPEG: ") + failure.message);
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_EXT_BGRA;
    ChooseJpegScale(info, limits);
    jpeg_calc_output_dimensions(&info);
    if (!SizeOk(info.output_width, info.output_height, limits, error)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    out.width = static_cast<int>(info.output_width);
    out.height = static_cast<int>(info.output_height);
    out.argb.resize(static_cast<std::size_t>(out.width) * out.height);
    jpeg_start_decompress(&info);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = reinterpret_cast<JSAMPROW>(
            out.argb.data() + static_cast<std::size_t>(info.output_scanline) * out.width);
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    const long warnings = failure.manager.num_warnings;
    jpeg_destroy_decompress(&info);
    if (warnings != 0) {
        return Fail(error, "damaged JPEG: corrupt or missing data");
    }
    out.translucent = false;
    return true;
}

bool JpegInfo(const unsigned char* data, std::size_t size, gfx::ImageFileInfo& info,
              std::string* error) {
    jpeg_decompress_struct decoder{};
    JpegError failure{};
    decoder.err = jpeg_std_error(&failure.manager);
    failure.manager.error_exit = JpegExit;
    failure.manager.emit_message = JpegWarning;
    if (setjmp(failure.jump) != 0) {
        jpeg_destroy_decompress(&decoder);
        return Fail(error, std::string("damaged JPEG: ") + failure.message);
    }
    jpeg_create_decompress(&decoder);
    jpeg_mem_src(&decoder, data, static_cast<unsigned long>(size));
    jpeg_read_header(&decoder, TRUE);
    info.width = static_cast<int>(decoder.image_width);
    info.height = static_cast<int>(decoder.image_height);
    info.frames = 1;
    jpeg_destroy_decompress(&decoder);
    return true;
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
using Gif = std::unique_ptr<GifFileType, GifCloser>;

Gif OpenGif(GifSource& source, std::string* error) {
    int code = 0;
    Gif gif(DGifOpen(&source, GifRead, &code));
    if (!gif) {
        Fail(error, std::string("damaged GIF: ") + GifErrorString(code));
    }
    return gif;
}

// Reads an extension's blocks; `control` gets the transparent colour of a graphic control one.
bool SkipGifExtension(GifFileType* gif, int* transparent, std::string* error) {
    int kind = 0;
    GifByteType* block = nullptr;
    if (DGifGetExtension(gif, &kind, &block) == GIF_ERROR) {
        return Fail(error, "damaged GIF extension");
    }
    while (block != nullptr) {
        GraphicsControlBlock control;
        if (transparent != nullptr && kind == GRAPHICS_EXT_FUNC_CODE && block[0] >= 4 &&
            DGifExtensionToGCB(block[0], block + 1, &control) == GIF_OK) {
            *transparent = control.TransparentColor;
        }
        if (DGifGetExtensionNext(gif, &block) == GIF_ERROR) {
            return Fail(error, "damaged GIF extension");
        }
    }
    return true;
}

// The first frame on the logical screen; pixels it leaves out, and its transparent colour, are
// transparent.
bool DecodeGif(const unsigned char* data, std::size_t size, const gfx::ImageLimits& limits,
               gfx::DecodedImage& out, std::string* error) {
    GifSource source{data, size, 0};
    Gif gif = OpenGif(source, error);
    if (!gif) {
        return false;
    }
    if (!SizeOk(gif->SWidth, gif->SHeight, limits, error)) {
        return false;
    }
    int width = gif->SWidth;
    int height = gif->SHeight;
    int transparent = -1;
    GifRecordType record;
    do {
        if (DGifGetRecordType(gif.get(), &record) == GIF_ERROR) {
            return Fail(error, std::string("damaged GIF: ") + GifErrorString(gif->Error));
        }
        if (record == EXTENSION_RECORD_TYPE && !SkipGifExtension(gif.get(), &transparent, error)) {
            return false;
        }
    } while (record != IMAGE_DESC_RECORD_TYPE && record != TERMINATE_RECORD_TYPE);
    if (record != IMAGE_DESC_RECORD_TYPE || DGifGetImageDesc(gif.get()) == GIF_ERROR) {
        return Fail(error, "GIF without an image");
    }
    const GifImageDesc& frame = gif->Image;
    if (frame.Width < 1 || frame.Height < 1 ||
        static_cast<long long>(frame.Width) * frame.Height > limits.maxPixels) {
        return Fail(error, "damaged GIF: frame size " + std::to_string(frame.Width) + "x" +
                               std::to_string(frame.Height));
    }
    const ColorMapObject* colors = frame.ColorMap != nullptr ? frame.ColorMap : gif->SColorMap;
    std::vector<GifPixelType> line(frame.Width);
    out.width = width;
    out.height = height;
    out.argb.assign(static_cast<std::size_t>(width) * height, 0);
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
            return Fail(error, std::string("damaged GIF: ") + GifErrorString(gif->Error));
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
            out.argb[static_cast<std::size_t>(y) * width + x] =
                0xFF000000u | (c.Red << 16) | (c.Green << 8) | c.Blue;
        }
    }
    out.translucent = false;
    for (std::uint32_t pixel : out.argb) {
        out.translucent = out.translucent || (pixel >> 24) != 255;
    }
    return true;
}

// Counts the image descriptors, skipping their compressed data undecoded. A file that ends
// cleanly after a frame without its trailer still counts.
bool GifInfo(const unsigned char* data, std::size_t size, gfx::ImageFileInfo& info,
             std::string* error) {
    GifSource source{data, size, 0};
    Gif gif = OpenGif(source, error);
    if (!gif) {
        return false;
    }
    if (gif->SWidth < 1 || gif->SHeight < 1) {
        return Fail(error, "damaged GIF: empty screen");
    }
    info.width = gif->SWidth;
    info.height = gif->SHeight;
    info.frames = 0;
    while (true) {
        GifRecordType record;
        if (DGifGetRecordType(gif.get(), &record) == GIF_ERROR) {
            if (info.frames > 0 && source.offset == source.size) {
                return true;
            }
            return Fail(error, std::string("damaged GIF: ") + GifErrorString(gif->Error));
        }
        if (record == TERMINATE_RECORD_TYPE) {
            break;
        }
        if (record == EXTENSION_RECORD_TYPE) {
            if (!SkipGifExtension(gif.get(), nullptr, error)) {
                return false;
            }
            continue;
        }
        if (record != IMAGE_DESC_RECORD_TYPE || DGifGetImageDesc(gif.get()) == GIF_ERROR) {
            return Fail(error, "damaged GIF: bad record");
        }
        int codeSize = 0;
        GifByteType* block = nullptr;
        if (DGifGetCode(gif.get(), &codeSize, &block) == GIF_ERROR) {
            return Fail(error, "damaged GIF: image data");
        }
        while (block != nullptr) {
            if (DGifGetCodeNext(gif.get(), &block) == GIF_ERROR) {
                return Fail(error, "damaged GIF: image data");
            }
        }
        if (info.frames == std::numeric_limits<int>::max()) {
            return Fail(error, "damaged GIF: too many frames");
        }
        ++info.frames;
    }
    return info.frames > 0 ? true : Fail(error, "GIF without an image");
}

struct WebpAnimCloser {
    void operator()(WebPAnimDecoder* decoder) const { WebPAnimDecoderDelete(decoder); }
};

// A still image, or the first frame of an animation on its canvas.
bool DecodeWebp(const unsigned char* data, std::size_t size, const gfx::ImageLimits& limits,
                gfx::DecodedImage& out, std::string* error) {
    WebPBitstreamFeatures features;
    if (WebPGetFeatures(data, size, &features) != VP8_STATUS_OK) {
        return Fail(error, "damaged WebP");
    }
    if (!SizeOk(features.width, features.height, limits, error)) {
        return false;
    }
    out.width = features.width;
    out.height = features.height;
    const std::size_t count = static_cast<std::size_t>(out.width) * out.height;
    if (!features.has_animation) {
        out.argb.assign(count, 0);
        // BGRA bytes are little-endian 0xAARRGGBB words.
        if (WebPDecodeBGRAInto(data, size, reinterpret_cast<std::uint8_t*>(out.argb.data()),
                               count * 4, out.width * 4) == nullptr) {
            return Fail(error, "damaged WebP");
        }
    } else {
        WebPData whole{data, size};
        WebPAnimDecoderOptions options;
        if (!WebPAnimDecoderOptionsInit(&options)) {
            return Fail(error, "WebP decoder unavailable");
        }
        options.color_mode = MODE_BGRA;
        options.use_threads = 0;
        std::unique_ptr<WebPAnimDecoder, WebpAnimCloser> decoder(
            WebPAnimDecoderNew(&whole, &options));
        WebPAnimInfo info;
        std::uint8_t* canvas = nullptr;
        int timestamp = 0;
        if (!decoder || !WebPAnimDecoderGetInfo(decoder.get(), &info) ||
            static_cast<int>(info.canvas_width) != out.width ||
            static_cast<int>(info.canvas_height) != out.height ||
            !WebPAnimDecoderGetNext(decoder.get(), &canvas, &timestamp)) {
            return Fail(error, "damaged WebP animation");
        }
        out.argb.resize(count);
        std::memcpy(out.argb.data(), canvas, count * 4);
    }
    out.translucent = Premultiply(out.argb.data(), out.argb.size());
    return true;
}

bool WebpInfo(const unsigned char* data, std::size_t size, gfx::ImageFileInfo& info,
              std::string* error) {
    WebPData whole{data, size};
    WebPDemuxer* demux = WebPDemux(&whole);  // complete files only
    if (demux == nullptr) {
        return Fail(error, "damaged WebP");
    }
    info.width = static_cast<int>(WebPDemuxGetI(demux, WEBP_FF_CANVAS_WIDTH));
    info.height = static_cast<int>(WebPDemuxGetI(demux, WEBP_FF_CANVAS_HEIGHT));
    const std::uint32_t frames = WebPDemuxGetI(demux, WEBP_FF_FRAME_COUNT);
    WebPDemuxDelete(demux);
    if (info.width < 1 || info.height < 1 || frames < 1 || frames > 0x7FFFFFFFu) {
        return Fail(error, "damaged WebP");
    }
    info.frames = static_cast<int>(frames);
    return true;
}

}  // namespace

namespace gfx {

bool DecodeImageData(const unsigned char* data, std::size_t size, const ImageLimits& limits,
                     DecodedImage& image, std::string* error) {
    if (data == nullptr || size < 4) {
        return Fail(error, "not an image");
    }
    if (IsPng(data, size)) {
        return DecodePng(data, size, limits, image, error);
    }
    if (IsJpeg(data, size)) {
        return DecodeJpeg(data, size, limits, image, error);
    }
    if (IsGif(data, size)) {
        return DecodeGif(data, size, limits, image, error);
    }
    if (IsWebp(data, size)) {
        return DecodeWebp(data, size, limits, image, error);
    }
    return Fail(error, "not a PNG, JPEG, GIF or WebP image");
}

bool ReadImageFileInfo(const unsigned char* data, std::size_t size, ImageFileInfo& info,
                       std::string* error) {
    if (data == nullptr || size < 4) {
        return Fail(error, "not an image");
    }
    if (IsPng(data, size)) {
        return PngInfo(data, size, info, error);
    }
    if (IsJpeg(data, size)) {
        return JpegInfo(data, size, info, error);
    }
    if (IsGif(data, size)) {
        return GifInfo(data, size, info, error);
    }
    if (IsWebp(data, size)) {
        return WebpInfo(data, size, info, error);
    }
    return Fail(error, "not a PNG, JPEG, GIF or WebP image");
}

}  // namespace gfx

tagWMBITMAP* DecodeImage(const void* data, std::size_t size, std::string* error) {
    gfx::ImageLimits limits;
    limits.maxSide = gfx::kMaxSide;
    limits.maxPixels = static_cast<long long>(gfx::kMaxSide) * gfx::kMaxSide;
    gfx::DecodedImage image;
    if (!gfx::DecodeImageData(static_cast<const unsigned char*>(data), size, limits, image,
                              error)) {
        return nullptr;
    }
    // Premultiplied ARGB: 32 bits when some pixels are not opaque, else RGB565.
    tagWMBITMAP* bitmap =
        gfx::NewBitmap(image.width, image.height, image.translucent ? 32 : 16, kPath, __LINE__);
    if (bitmap == nullptr) {
        Fail(error, "no memory for the image");
        return nullptr;
    }
    Image source(pixman_image_create_bits(PIXMAN_a8r8g8b8, image.width, image.height,
                                          image.argb.data(), image.width * 4));
    gfx::StoreImage(source.get(), bitmap);
    return bitmap;
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
