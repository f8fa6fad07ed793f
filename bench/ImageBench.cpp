// A 1600 x 1200 photo fitted into a 240 x 320 call-screen picture: through the library
// (CallLoadScaledImageBlackBackground: the host decodes at libjpeg-turbo's DCT scale that still
// covers the box, then scales with pixman), against the plain way in the same run: read the
// file, decode it whole with libjpeg-turbo, and one pixman scale to RGB565 with the same
// box-sampled filter. The host records nothing in either run. Goal: 0.5x or less.
#include <pixman.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>
// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>

#include "BenchSupport.h"
#include "CallCommonSvc/H/CallCommonSvc.h"

namespace {

constexpr int kPhotoW = 1600;
constexpr int kPhotoH = 1200;
constexpr int kBoxW = 240;
constexpr int kBoxH = 320;

std::string g_path;

// A photo-like image: smooth gradients with some texture, so the coder has real work.
std::vector<unsigned char> MakePhoto() {
    jpeg_compress_struct info{};
    jpeg_error_mgr error{};
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &out, &size);
    info.image_width = kPhotoW;
    info.image_height = kPhotoH;
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 90, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<unsigned char> row(kPhotoW * 3);
    unsigned seed = 1;
    while (info.next_scanline < info.image_height) {
        const int y = static_cast<int>(info.next_scanline);
        for (int x = 0; x < kPhotoW; ++x) {
            seed = seed * 1103515245u + 12345u;
            const int noise = static_cast<int>((seed >> 16) & 15);
            row[x * 3] = static_cast<unsigned char>(x * 255 / kPhotoW ^ noise);
            row[x * 3 + 1] = static_cast<unsigned char>(y * 255 / kPhotoH + noise);
            row[x * 3 + 2] = static_cast<unsigned char>((x + y) / 11 & 0xFF);
        }
        JSAMPROW rows[] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::vector<unsigned char> bytes(out, out + size);
    std::free(out);
    return bytes;
}

void ThroughLibrary(benchmark::State& state) {
    tmxhost::SetRecording(tmxhost::kRecordNothing);
    for (auto _ : state) {
        tagWMBITMAP* bmp = CallLoadScaledImageBlackBackground(g_path.data(), kBoxW, kBoxH, 0);
        if (bmp == nullptr) {
            state.SkipWithError("the library could not fit the photo");
            return;
        }
        benchmark::DoNotOptimize(bmp->pBits);
        CallFreeScaledImageBlackBackground(bmp);
    }
}

void PlainDecodeAndScale(benchmark::State& state) {
    std::vector<std::uint16_t> out(kBoxW * kBoxH);
    for (auto _ : state) {
        std::ifstream file(g_path, std::ios::binary);
        std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(file)), {});
        jpeg_decompress_struct info{};
        jpeg_error_mgr error{};
        info.err = jpeg_std_error(&error);
        jpeg_create_decompress(&info);
        jpeg_mem_src(&info, bytes.data(), bytes.size());
        jpeg_read_header(&info, TRUE);
        info.out_color_space = JCS_EXT_BGRA;
        jpeg_start_decompress(&info);
        std::vector<std::uint32_t> argb(static_cast<std::size_t>(kPhotoW) * kPhotoH);
        while (info.output_scanline < info.output_height) {
            JSAMPROW row = reinterpret_cast<JSAMPROW>(argb.data() + info.output_scanline * kPhotoW);
            jpeg_read_scanlines(&info, &row, 1);
        }
        jpeg_finish_decompress(&info);
        jpeg_destroy_decompress(&info);

        pixman_image_t* source =
            pixman_image_create_bits(PIXMAN_a8r8g8b8, kPhotoW, kPhotoH, argb.data(), kPhotoW * 4);
        pixman_image_t* dest = pixman_image_create_bits(
            PIXMAN_r5g6b5, kBoxW, kBoxH, reinterpret_cast<std::uint32_t*>(out.data()), kBoxW * 2);
        const double sx = static_cast<double>(kPhotoW) / kBoxW;
        const double sy = static_cast<double>(kPhotoH) / kBoxH;
        pixman_transform_t transform;
        pixman_transform_init_scale(&transform, pixman_double_to_fixed(sx),
                                    pixman_double_to_fixed(sy));
        pixman_image_set_transform(source, &transform);
        pixman_image_set_repeat(source, PIXMAN_REPEAT_PAD);
        int count = 0;
        pixman_fixed_t* params = pixman_filter_create_separable_convolution(
            &count, pixman_double_to_fixed(sx), pixman_double_to_fixed(sy), PIXMAN_KERNEL_IMPULSE,
            PIXMAN_KERNEL_IMPULSE, PIXMAN_KERNEL_BOX, PIXMAN_KERNEL_BOX, 1, 1);
        pixman_image_set_filter(source, PIXMAN_FILTER_SEPARABLE_CONVOLUTION, params, count);
        pixman_image_composite32(PIXMAN_OP_SRC, source, nullptr, dest, 0, 0, 0, 0, 0, 0, kBoxW,
                                 kBoxH);
        std::free(params);
        pixman_image_unref(source);
        pixman_image_unref(dest);
        benchmark::DoNotOptimize(out.data());
    }
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    tmxhost::Reset();
    tmxhost::SetTracePrint("");
    g_path = tmxhost::DataRoot() + "/photo.jpg";
    const std::vector<unsigned char> photo = MakePhoto();
    std::ofstream(g_path, std::ios::binary)
        .write(reinterpret_cast<const char*>(photo.data()),
               static_cast<std::streamsize>(photo.size()));
    bench::Register("FitPhoto", ThroughLibrary);
    bench::Register("FitPhotoPlain", PlainDecodeAndScale);
    bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatio("FitPhoto", "FitPhotoPlain",
                        "full-size libjpeg-turbo decode and one pixman scale");
    benchmark::Shutdown();
    return 0;
}
