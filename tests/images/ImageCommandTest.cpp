// callsvc image: the library's view of an image file, and the bitmaps it writes.
#include <filesystem>
#include <nlohmann/json.hpp>

#include "CallCommonSvc/Platform/TmxGWESCore.h"
#include "support/HostTest.h"
#include "support/ImageMaker.h"

namespace {

class ImageCommand : public HostTest {
protected:
    std::string Write(const std::string& name, const imagemaker::Bytes& bytes) {
        const std::string path = tmxhost::DataRoot() + "/" + name;
        EXPECT_TRUE(imagemaker::Save(path, bytes));
        return path;
    }
};

TEST_F(ImageCommand, ReportsTheImageAndWritesTheBitmapItMade) {
    const std::string gif = Write("wave.gif", imagemaker::Gif(160, 128, 3));
    const std::string png = tmxhost::DataRoot() + "/thumb.png";
    Outcome run = RunCallsvc("image", "'" + gif + "' --thumbnail --png '" + png + "' --json");
    ASSERT_EQ(run.code, 0) << run.err;
    const nlohmann::json result = nlohmann::json::parse(run.out);
    EXPECT_EQ(result, nlohmann::json::parse(R"({"path": ")" + gif + R"(", "width": 160,
        "height": 128, "frames": 3, "flash": false, "output": {"width": 80, "height": 64}})"));
    std::string error;
    tagWMBITMAP* written = tmxhost::LoadImage(png, &error);
    ASSERT_NE(written, nullptr) << error;
    EXPECT_EQ(written->rectW * 100 + written->rectH, 8064);
    EXPECT_EQ(static_cast<const std::uint16_t*>(written->pBits)[0], 0xF800) << "frame 0 is red";
    tmxhost::FreeBitmap(written);

    // Fitted to a box without keeping the shape; plain text names the file and its frames.
    run = RunCallsvc("image", "'" + gif + "' --fit 30x90 --png '" + png + "'");
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_NE(run.out.find("Frames         3 (animated)"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Fitted         30 x 90"), std::string::npos) << run.out;
    written = tmxhost::LoadImage(png, &error);
    ASSERT_NE(written, nullptr) << error;
    EXPECT_EQ(written->rectW * 100 + written->rectH, 3090);
    tmxhost::FreeBitmap(written);
}

TEST_F(ImageCommand, UnreadableImagesExitOneAndWriteNothing) {
    const imagemaker::Bytes jpeg = imagemaker::Jpeg(64, 48, imagemaker::Solid(0xFF00FF00));
    const std::string out = tmxhost::DataRoot() + "/out.png";
    const std::string files[] = {
        tmxhost::DataRoot() + "/missing.jpg",
        Write("empty.jpg", {}),
        Write("cut.jpg", imagemaker::Bytes(jpeg.begin(), jpeg.begin() + jpeg.size() / 2)),
        Write("ring.swf", {'F', 'W', 'S', 9, 0, 0, 0, 0}),
    };
    for (const std::string& file : files) {
        Outcome run = RunCallsvc("image", "'" + file + "' --fit 40x40 --png '" + out + "' --json");
        EXPECT_EQ(run.code, 1) << file;
        EXPECT_EQ(run.out, "") << file;
        EXPECT_NE(run.err.find(file), std::string::npos) << run.err;
        EXPECT_FALSE(std::filesystem::exists(out)) << file;
    }
    const std::string good = Write("good.jpg", jpeg);
    for (const char* usage :
         {"--fit 0x40", "--fit 40", "--fit 40x40 --thumbnail", "--png x.png", "--size 3"}) {
        EXPECT_EQ(RunCallsvc("image", "'" + good + "' " + usage).code, 2) << usage;
    }
    EXPECT_EQ(RunCallsvc("image", "--help").code, 0);
}

}  // namespace
