// The host's image calls on their own: DCT-scaled decoding, filtered scaling, the size a scaler
// is told, file information and extensions.
#include <cstring>

#include "CallCommonSvc/Platform/TmxAVMS.h"
#include "support/HostTest.h"
#include "support/ImageMaker.h"

namespace {

class ImagesHostTest : public HostTest {
protected:
    std::string Write(const std::string& name, const imagemaker::Bytes& bytes) {
        const std::string path = tmxhost::DataRoot() + "/" + name;
        EXPECT_TRUE(imagemaker::Save(path, bytes));
        return path;
    }
};

TEST_F(ImagesHostTest, LargeJpegDecodesAtTheDctScaleThatCoversTheBox) {
    const std::string path =
        Write("photo.jpg", imagemaker::Jpeg(1600, 1200, imagemaker::Solid(0xFF0000FF)));
    const struct {
        int boxW, boxH, mode;
        int width, height, bitsPerPixel;
    } cases[] = {{240, 320, 2, 600, 450, 16},
                 {80, 64, 2, 200, 150, 16},
                 {0, 0, 1, 1600, 1200, 32},
                 {1600, 1200, 2, 1600, 1200, 16}};
    for (const auto& c : cases) {
        ImgImage* image = nullptr;
        ASSERT_EQ(ImgDecodeFileEx(path.c_str(), &image, c.boxW, c.boxH, c.mode, 0), 1);
        const ImgBitmap* bitmap = image->pHead->pbmBitmap;
        EXPECT_EQ(bitmap->nWidth * 10000 + bitmap->nHeight, c.width * 10000 + c.height);
        EXPECT_EQ(bitmap->nBitsPerPixel, c.bitsPerPixel);
        EXPECT_EQ(ImgFreeImage(image), 1);
    }
}

TEST_F(ImagesHostTest, ScalingFiltersAndRespectsTheDestinationSize) {
    // A one-pixel checkerboard shrunk by four averages to grey; nearest-neighbour would give
    // black or white.
    std::vector<std::uint16_t> board(64 * 64);
    for (int i = 0; i < 64 * 64; ++i) {
        board[i] = ((i % 64) + (i / 64)) % 2 != 0 ? 0xFFFF : 0x0000;
    }
    std::vector<std::uint16_t> small(16 * 16, 0x1234);
    int size = 16 * 16 * 2;
    ASSERT_EQ(ImgScaleImage(0, board.data(), 64, 64, small.data(), 16, 16, &size), 1);
    EXPECT_EQ(size, 512);
    for (std::uint16_t pixel : small) {
        const int green = (pixel >> 5) & 0x3F;
        ASSERT_GT(green, 20);
        ASSERT_LT(green, 44);
    }
    // A destination said to be smaller than the result is left alone.
    std::vector<std::uint16_t> guard(16 * 16 + 8, 0x5555);
    for (int told : {511, 0, -1}) {
        size = told;
        EXPECT_EQ(ImgScaleImage(0, board.data(), 64, 64, guard.data(), 16, 16, &size), 0);
        EXPECT_EQ(size, told);
    }
    EXPECT_EQ(guard, std::vector<std::uint16_t>(16 * 16 + 8, 0x5555));
    // A heap source smaller than its stated size is refused rather than read past.
    void* shortSource = MemAllocTraceEx(0, 64 * 63 * 2, "test", 1);
    size = 512;
    EXPECT_EQ(ImgScaleImage(0, shortSource, 64, 64, small.data(), 16, 16, &size), 0);
    MemFreeTraceMultiHeap(shortSource, "test", 2);
}

TEST_F(ImagesHostTest, InformationAndRefusals) {
    using imagemaker::Solid;
    const struct {
        const char* name;
        imagemaker::Bytes bytes;
        int width, height, frames;
    } cases[] = {
        {"a.png", imagemaker::Png(30, 20, Solid(0xFF102030)), 30, 20, 1},
        {"a.apng", imagemaker::Apng(30, 20, 3, 0xFF102030), 30, 20, 3},
        {"a.jpg", imagemaker::Jpeg(30, 20, Solid(0xFF102030)), 30, 20, 1},
        {"a.gif", imagemaker::Gif(30, 20, 6), 30, 20, 6},
        {"a.webp", imagemaker::Webp(30, 20, Solid(0xFF102030), 2), 30, 20, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        int flags = 1;
        ImgImageInfo info{};
        ASSERT_EQ(ImgGetImageInfo(Write(c.name, c.bytes).c_str(), &flags, &info), 1);
        EXPECT_EQ(info.nWidth * 10000 + info.nHeight, c.width * 10000 + c.height);
        EXPECT_EQ(info.nFrameCount, c.frames);
        // Every format decodes, animated ones to their first frame.
        ImgImage* image = nullptr;
        ASSERT_EQ(ImgDecodeFileEx((tmxhost::DataRoot() + "/" + c.name).c_str(), &image, 0, 0, 2, 0),
                  1);
        EXPECT_EQ(ImgFreeImage(image), 1);
    }
    // A PNG whose chunks stop before IEND, and a decode that fails, leave nothing.
    const imagemaker::Bytes png = imagemaker::Png(30, 20, Solid(0xFF102030));
    const std::string cut = Write("cut.png", imagemaker::Bytes(png.begin(), png.end() - 6));
    int flags = 1;
    ImgImageInfo info{};
    EXPECT_EQ(ImgGetImageInfo(cut.c_str(), &flags, &info), 0);
    ImgImage* image = reinterpret_cast<ImgImage*>(1);
    EXPECT_EQ(ImgDecodeFileEx(cut.c_str(), &image, 0, 0, 2, 0), 0);
    EXPECT_EQ(image, nullptr);
    tagWMBITMAP* bitmap = nullptr;
    EXPECT_EQ(ImgGetScaledImageFileEx(cut.c_str(), &bitmap, 80, 64, 2, 0, "test", 1), 0);
    EXPECT_EQ(bitmap, nullptr);
}

TEST_F(ImagesHostTest, FileExtensions) {
    const struct {
        const char* path;
        int size;
        const char* ext;
        int found;
    } cases[] = {{"ring.swf", 10, "swf", 1},
                 {"/a.b/ring", 10, "", 0},
                 {"c:\\a.b\\ring.Jpg", 10, "Jpg", 1},
                 {"ring.", 10, "", 0},
                 {"ring.abcdefghij", 10, "", 0},
                 {"ring.abcdefghi", 10, "abcdefghi", 1},
                 {"a.tar.gz", 3, "gz", 1},
                 {".hidden", 10, "hidden", 1}};
    for (const auto& c : cases) {
        char ext[16];
        std::memset(ext, 'x', sizeof(ext));
        EXPECT_EQ(FmGetFileExtEx(c.path, ext, c.size), c.found) << c.path;
        EXPECT_STREQ(ext, c.ext) << c.path;
    }
    EXPECT_EQ(FmGetFileExtEx(nullptr, nullptr, 10), 0);
}

}  // namespace
