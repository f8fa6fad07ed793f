#include "screens/ScreenMatch.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>

#include "CallCommonSvc/Platform/TmxGWESCore.h"
#include "TmxHost.h"

namespace screens {
namespace {

namespace fs = std::filesystem;

using Bitmap = std::unique_ptr<tagWMBITMAP, void (*)(tagWMBITMAP*)>;

Bitmap Load(const std::string& path, std::string& error) {
    return Bitmap(tmxhost::LoadImage(path, &error), tmxhost::FreeBitmap);
}

struct Rgb {
    int r, g, b;
};

// A pixel of a decoded image as 8-bit channels (32-bit pixels are premultiplied; a screen is
// opaque, so they are taken as they stand).
Rgb Pixel(const tagWMBITMAP& bitmap, int i) {
    if (bitmap.nBitsPerPixel == 32) {
        std::uint32_t p = static_cast<const std::uint32_t*>(bitmap.pBits)[i];
        return {int(p >> 16 & 0xFF), int(p >> 8 & 0xFF), int(p & 0xFF)};
    }
    std::uint16_t p = static_cast<const std::uint16_t*>(bitmap.pBits)[i];
    int r = p >> 11, g = p >> 5 & 0x3F, b = p & 0x1F;
    return {r << 3 | r >> 2, g << 2 | g >> 4, b << 3 | b >> 2};
}

std::uint16_t Pack(Rgb c) {
    return static_cast<std::uint16_t>((c.r >> 3) << 11 | (c.g >> 2) << 5 | (c.b >> 3));
}

bool UpdateRequested() {
    const char* flag = std::getenv("UPDATE_SCREENS");
    return flag != nullptr && std::strcmp(flag, "1") == 0;
}

}  // namespace

std::string ReferenceDir() {
    return ((fs::path(CALLSVC_TESTS_DIR) / "screens") / "reference").string();
}

std::string DataDir() {
    return ((fs::path(CALLSVC_TESTS_DIR) / "screens") / "data").string();
}

std::string OutputDir() {
    const char* out = std::getenv("CALLSVC_SCREENS_OUT");
    // The build folder the program was built in, whatever the working folder.
    fs::path dir = out != nullptr && *out != '\0'
                       ? fs::path(out)
                       : fs::path(CALLSVC_TOOL_FILE).parent_path().parent_path() / "screens";
    fs::create_directories(dir);
    return dir.string();
}

::testing::AssertionResult MatchesReference(const std::string& name, const std::string& rendered,
                                            Tolerance tolerance) {
    const fs::path reference = fs::path(ReferenceDir()) / (name + ".png");
    if (UpdateRequested()) {
        fs::create_directories(reference.parent_path());
        fs::copy_file(rendered, reference, fs::copy_options::overwrite_existing);
        return ::testing::AssertionSuccess() << "reference rewritten: " << reference;
    }
    std::string error;
    Bitmap actual = Load(rendered, error);
    if (!actual) {
        return ::testing::AssertionFailure() << "cannot read " << rendered << ": " << error;
    }
    Bitmap expected = Load(reference.string(), error);
    if (!expected) {
        return ::testing::AssertionFailure()
               << "no reference " << reference << " (" << error
               << "); run with UPDATE_SCREENS=1 to make it from " << rendered;
    }
    if (actual->rectW != expected->rectW || actual->rectH != expected->rectH) {
        return ::testing::AssertionFailure()
               << rendered << " is " << actual->rectW << " x " << actual->rectH
               << ", the reference " << expected->rectW << " x " << expected->rectH;
    }
    const int width = actual->rectW, height = actual->rectH, count = width * height;
    auto distance = [&](int i, int j) {
        Rgb a = Pixel(*actual, i), e = Pixel(*expected, j);
        return std::max({std::abs(a.r - e.r), std::abs(a.g - e.g), std::abs(a.b - e.b)});
    };
    int differing = 0, worst = 0;
    std::vector<std::uint16_t> marked(count);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            // A pixel matches when the reference holds a close colour at its place or, for glyph
            // edges that moved by a pixel, next to it.
            const int i = y * width + x;
            int best = distance(i, i);
            worst = std::max(worst, best);
            for (int dy = -tolerance.shift; dy <= tolerance.shift && best > tolerance.channel;
                 ++dy) {
                for (int dx = -tolerance.shift; dx <= tolerance.shift; ++dx) {
                    int nx = x + dx, ny = y + dy;
                    if (nx >= 0 && ny >= 0 && nx < width && ny < height) {
                        best = std::min(best, distance(i, ny * width + nx));
                    }
                }
            }
            Rgb a = Pixel(*actual, i);
            marked[i] = best > tolerance.channel ? 0xF800 : Pack({a.r / 3, a.g / 3, a.b / 3});
            differing += best > tolerance.channel;
        }
    }
    if (differing <= tolerance.pixelShare * count) {
        return ::testing::AssertionSuccess();
    }
    // The error picture reuses the decoded rendering's record, 16 bits per pixel.
    const fs::path errPath = fs::path(rendered).parent_path() / (name + "_err.png");
    std::string why = "not written";
    Bitmap canvas = Load(rendered, error);
    if (canvas && canvas->nBitsPerPixel == 16) {
        std::memcpy(canvas->pBits, marked.data(), marked.size() * sizeof(std::uint16_t));
        why = tmxhost::SaveBitmapPng(canvas.get(), errPath.string(), &why) ? "" : why;
    }
    return ::testing::AssertionFailure()
           << rendered << ": " << differing << " of " << count << " pixels differ by more than "
           << tolerance.channel << " (largest difference in place " << worst << ") from "
           << reference << "; differences marked in " << errPath << (why.empty() ? "" : " " + why);
}

}  // namespace screens
