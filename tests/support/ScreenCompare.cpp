#include "support/ScreenCompare.h"

#include <cstdlib>
#include <filesystem>
#include <vector>

#include "CallCommonSvc/Platform/TmxGWESCore.h"
#include "TmxHost.h"

namespace {

int Channel(std::uint16_t pixel, int shift, int bits) {
    int value = (pixel >> shift) & ((1 << bits) - 1);
    return bits == 5 ? (value << 3 | value >> 2) : (value << 2 | value >> 4);
}

std::uint16_t Pixel(const tagWMBITMAP* bitmap, int x, int y) {
    if (bitmap->nBitsPerPixel == 16) {
        return static_cast<const std::uint16_t*>(bitmap->pBits)[y * bitmap->rectW + x];
    }
    std::uint32_t p = static_cast<const std::uint32_t*>(bitmap->pBits)[y * bitmap->rectW + x];
    return static_cast<std::uint16_t>(((p >> 8) & 0xF800) | ((p >> 5) & 0x07E0) |
                                      ((p >> 3) & 0x1F));
}

}  // namespace

::testing::AssertionResult ScreenMatches(const std::string& name, int tolerance, int allowedBad) {
    namespace fs = std::filesystem;
    const fs::path reference = fs::path(CALLSVC_TESTS_DIR) / "screens" / (name + ".png");
    const fs::path output = fs::path("screens") / (name + ".png");
    fs::create_directories(output.parent_path());
    std::string error;
    if (!tmxhost::SaveScreenPng(output.string(), &error)) {
        return ::testing::AssertionFailure() << error;
    }
    const char* update = std::getenv("UPDATE_SCREENS");
    if (update != nullptr && std::string(update) == "1") {
        fs::create_directories(reference.parent_path());
        fs::copy_file(output, reference, fs::copy_options::overwrite_existing);
        return ::testing::AssertionSuccess() << "reference rewritten";
    }
    tagWMBITMAP* expected = tmxhost::LoadImage(reference.string(), &error);
    if (expected == nullptr) {
        return ::testing::AssertionFailure() << "no reference: " << error;
    }
    const int width = static_cast<int>(SysGetLcdWidth(0));
    const int height = static_cast<int>(SysGetLcdHeight(0));
    if (expected->rectW != width || expected->rectH != height) {
        tmxhost::FreeBitmap(expected);
        return ::testing::AssertionFailure()
               << "reference is " << expected->rectW << "x" << expected->rectH << ", screen "
               << width << "x" << height;
    }
    std::vector<std::uint16_t> marks(static_cast<std::size_t>(width) * height);
    int bad = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            std::uint16_t want = Pixel(expected, x, y);
            std::uint16_t got = tmxhost::ScreenPixel(x, y);
            bool same = std::abs(Channel(want, 11, 5) - Channel(got, 11, 5)) <= tolerance &&
                        std::abs(Channel(want, 5, 6) - Channel(got, 5, 6)) <= tolerance &&
                        std::abs(Channel(want, 0, 5) - Channel(got, 0, 5)) <= tolerance;
            bad += same ? 0 : 1;
            marks[static_cast<std::size_t>(y) * width + x] =
                same ? static_cast<std::uint16_t>((got >> 2) & 0x39E7) : 0xF800;
        }
    }
    tmxhost::FreeBitmap(expected);
    if (bad <= allowedBad) {
        return ::testing::AssertionSuccess();
    }
    tagWMBITMAP diff{};
    diff.rectW = width;
    diff.rectH = height;
    diff.nBitsPerPixel = 16;
    diff.pBits = marks.data();
    const fs::path errPath = output.parent_path() / (name + "_err.png");
    tmxhost::SaveBitmapPng(&diff, errPath.string());
    return ::testing::AssertionFailure()
           << bad << " pixels differ from " << reference << "; see " << fs::absolute(errPath);
}
