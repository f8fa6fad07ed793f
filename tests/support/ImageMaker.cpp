#include "support/ImageMaker.h"

#include <gif_lib.h>
#include <png.h>
#include <webp/encode.h>
#include <webp/mux.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>

namespace imagemaker {
namespace {

// Straight RGBA bytes, row by row.
std::vector<unsigned char> Rgba(int width, int height, const Pixels& pixels) {
    std::vector<unsigned char> rgba(static_cast<std::size_t>(width) * height * 4);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const std::uint32_t p = pixels(x, y);
            unsigned char* to = &rgba[(static_cast<std::size_t>(y) * width + x) * 4];
            to[0] = static_cast<unsigned char>(p >> 16);
            to[1] = static_cast<unsigned char>(p >> 8);
            to[2] = static_cast<unsigned char>(p);
            to[3] = static_cast<unsigned char>(p >> 24);
        }
    }
    return rgba;
}

void Put32(Bytes& to, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        to.push_back(static_cast<unsigned char>(value >> shift));
    }
}

void PutChunk(Bytes& to, const char* type, const Bytes& body) {
    Put32(to, static_cast<std::uint32_t>(body.size()));
    const std::size_t start = to.size();
    to.insert(to.end(), type, type + 4);
    to.insert(to.end(), body.begin(), body.end());
    Put32(to, static_cast<std::uint32_t>(crc32(0, to.data() + start, to.size() - start)));
}

int GifWrite(GifFileType* gif, const GifByteType* data, int length) {
    auto* bytes = static_cast<Bytes*>(gif->UserData);
    bytes->insert(bytes->end(), data, data + length);
    return length;
}

}  // namespace

Pixels Solid(std::uint32_t argb) {
    return [argb](int, int) { return argb; };
}

std::uint32_t From565(std::uint16_t v) {
    const std::uint32_t r = (v >> 11) & 0x1F, g = (v >> 5) & 0x3F, b = v & 0x1F;
    return 0xFF000000u | (((r << 3) | (r >> 2)) << 16) | (((g << 2) | (g >> 4)) << 8) |
           ((b << 3) | (b >> 2));
}

Bytes Png(int width, int height, const Pixels& pixels) {
    const std::vector<unsigned char> rgba = Rgba(width, height, pixels);
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGBA;
    png_alloc_size_t size = 0;
    png_image_write_to_memory(&image, nullptr, &size, 0, rgba.data(), 0, nullptr);
    Bytes bytes(size);
    png_image_write_to_memory(&image, bytes.data(), &size, 0, rgba.data(), 0, nullptr);
    bytes.resize(size);
    return bytes;
}

Bytes Apng(int width, int height, int frames, std::uint32_t argb) {
    const Bytes still = Png(width, height, Solid(argb));
    // Split the still image into its chunks; the image data is reused for every frame.
    Bytes header, data;
    for (std::size_t at = 8; at + 12 <= still.size();) {
        const std::uint32_t length = (std::uint32_t{still[at]} << 24) | (still[at + 1] << 16) |
                                     (still[at + 2] << 8) | still[at + 3];
        const Bytes chunk(still.begin() + at, still.begin() + at + 12 + length);
        if (std::memcmp(&still[at + 4], "IHDR", 4) == 0) {
            header = chunk;
        } else if (std::memcmp(&still[at + 4], "IDAT", 4) == 0) {
            data.insert(data.end(), chunk.begin() + 8, chunk.end() - 4);
        }
        at += 12 + length;
    }
    Bytes out(still.begin(), still.begin() + 8);
    out.insert(out.end(), header.begin(), header.end());
    Bytes control;
    Put32(control, static_cast<std::uint32_t>(frames));
    Put32(control, 0);  // loops forever
    PutChunk(out, "acTL", control);
    std::uint32_t sequence = 0;
    auto frameControl = [&]() {
        Bytes fc;
        Put32(fc, sequence++);
        Put32(fc, static_cast<std::uint32_t>(width));
        Put32(fc, static_cast<std::uint32_t>(height));
        Put32(fc, 0);
        Put32(fc, 0);
        fc.insert(fc.end(), {0, 10, 0, 100, 0, 0});  // 10/100 s, no disposal, source blend
        PutChunk(out, "fcTL", fc);
    };
    frameControl();
    PutChunk(out, "IDAT", data);
    for (int i = 1; i < frames; ++i) {
        frameControl();
        Bytes fd;
        Put32(fd, sequence++);
        fd.insert(fd.end(), data.begin(), data.end());
        PutChunk(out, "fdAT", fd);
    }
    PutChunk(out, "IEND", {});
    return out;
}

Bytes Jpeg(int width, int height, const Pixels& pixels, int quality) {
    jpeg_compress_struct info{};
    jpeg_error_mgr error{};
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &out, &size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<unsigned char> row(static_cast<std::size_t>(width) * 3);
    while (info.next_scanline < info.image_height) {
        const int y = static_cast<int>(info.next_scanline);
        for (int x = 0; x < width; ++x) {
            const std::uint32_t p = pixels(x, y);
            row[x * 3] = static_cast<unsigned char>(p >> 16);
            row[x * 3 + 1] = static_cast<unsigned char>(p >> 8);
            row[x * 3 + 2] = static_cast<unsigned char>(p);
        }
        JSAMPROW rows[] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    Bytes bytes(out, out + size);
    std::free(out);
    return bytes;
}

Bytes Gif(int width, int height, int frames) {
    Bytes bytes;
    int error = 0;
    GifFileType* gif = EGifOpen(&bytes, GifWrite, &error);
    GifColorType colors[4] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
    ColorMapObject* map = GifMakeMapObject(4, colors);
    EGifSetGifVersion(gif, true);
    EGifPutScreenDesc(gif, width, height, 2, 0, map);
    std::vector<GifPixelType> row(static_cast<std::size_t>(width));
    for (int frame = 0; frame < frames; ++frame) {
        GraphicsControlBlock control{DISPOSAL_UNSPECIFIED, false, 10, NO_TRANSPARENT_COLOR};
        GifByteType extension[4];
        const std::size_t length = EGifGCBToExtension(&control, extension);
        EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), extension);
        EGifPutImageDesc(gif, 0, 0, width, height, false, nullptr);
        std::fill(row.begin(), row.end(), static_cast<GifPixelType>(frame % 4));
        for (int y = 0; y < height; ++y) {
            EGifPutLine(gif, row.data(), width);
        }
    }
    EGifCloseFile(gif, &error);
    GifFreeMapObject(map);
    return bytes;
}

Bytes Webp(int width, int height, const Pixels& pixels, int frames) {
    const std::vector<unsigned char> rgba = Rgba(width, height, pixels);
    if (frames <= 1) {
        std::uint8_t* out = nullptr;
        const std::size_t size =
            WebPEncodeLosslessRGBA(rgba.data(), width, height, width * 4, &out);
        Bytes bytes(out, out + size);
        WebPFree(out);
        return bytes;
    }
    WebPAnimEncoderOptions options;
    WebPAnimEncoderOptionsInit(&options);
    WebPAnimEncoder* encoder = WebPAnimEncoderNew(width, height, &options);
    WebPConfig config;
    WebPConfigInit(&config);
    config.lossless = 1;
    for (int i = 0; i < frames; ++i) {
        WebPPicture picture;
        WebPPictureInit(&picture);
        picture.use_argb = 1;
        picture.width = width;
        picture.height = height;
        WebPPictureImportRGBA(&picture, rgba.data(), width * 4);
        // Each frame differs, so the encoder keeps them all.
        for (int p = 0; p < width * height; ++p) {
            picture.argb[p] ^= static_cast<std::uint32_t>(i * 0x10);
        }
        WebPAnimEncoderAdd(encoder, &picture, i * 100, &config);
        WebPPictureFree(&picture);
    }
    WebPAnimEncoderAdd(encoder, nullptr, frames * 100, nullptr);
    WebPData data;
    WebPDataInit(&data);
    WebPAnimEncoderAssemble(encoder, &data);
    Bytes bytes(data.bytes, data.bytes + data.size);
    WebPDataClear(&data);
    WebPAnimEncoderDelete(encoder);
    return bytes;
}

bool Save(const std::string& path, const Bytes& bytes) {
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}

}  // namespace imagemaker
