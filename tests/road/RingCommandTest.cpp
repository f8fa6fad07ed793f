// callsvc ring: the incoming call from ring to release as the host platform saw it, with a
// video and with a Flash ringtone, and the screens it writes.
#include <algorithm>
#include <filesystem>
#include <nlohmann/json.hpp>

#include "CallCommonSvc/Platform/TmxGWESCore.h"
#include "support/HostTest.h"
#include "support/SwfMaker.h"

namespace {

using nlohmann::json;

constexpr char kNumber[] = "+441632960222";

class RingCommandTest : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        root = tmxhost::DataRoot();
        tmxhost::VideoClip clip;
        clip.width = 64;
        clip.height = 48;
        clip.colors = {0xFF0000};
        std::string error;
        ASSERT_TRUE(tmxhost::WriteVideo(root + "/ring.mp4", clip, &error)) << error;
        swfmaker::Shape box;
        box.Style(box.Fill(0x0000FFFF), 0, 0).Rect(160, 160, 960, 640);
        swfmaker::Movie swf(64, 48, 10);
        swf.Background(0x00FF00).Define(1, box).Place(1, 1);
        for (int frame = 0; frame < 20; ++frame) {
            swf.ShowFrame();
        }
        ASSERT_TRUE(swf.Write(root + "/ring.swf", swfmaker::Compression::kZlib));
    }

    // An address book in the data folder with the caller and a red 160 x 128 photo.
    void AddCaller() {
        std::vector<std::uint16_t> red(160 * 128, 0xF800);
        tagWMBITMAP photo{};
        photo.rectW = 160;
        photo.rectH = 128;
        photo.nBitsPerPixel = 16;
        photo.pBits = red.data();
        ASSERT_TRUE(tmxhost::SaveBitmapPng(&photo, root + "/photo.png"));
        ASSERT_TRUE(tmxhost::UseContactsFile(root + "/contacts.db", true));
        tmxhost::Contact caller;
        caller.firstName = "Anna";
        caller.lastName = "Berg";
        caller.image = root + "/photo.png";
        caller.numbers = {{kNumber, 1}};
        ASSERT_NE(tmxhost::AddContact(caller), 0);
        ASSERT_TRUE(tmxhost::UseContactsFile("", false));
    }

    static json Ring(const std::string& args) {
        Outcome run = RunCallsvc("ring", std::string(kNumber) + " " + args + " --json");
        EXPECT_EQ(run.code, 0) << run.err;
        return json::parse(run.out, nullptr, false);
    }

    // "t event [level|digit]" per event.
    static std::vector<std::string> Events(const json& out) {
        std::vector<std::string> events;
        for (const json& e : out.value("events", json::array())) {
            std::string text =
                std::to_string(e["t"].get<long long>()) + " " + e["event"].get<std::string>();
            if (e.contains("level")) {
                text += " " + std::to_string(e["level"].get<int>());
            }
            if (e.contains("digit")) {
                text += " " + e["digit"].get<std::string>();
            }
            events.push_back(text);
        }
        return events;
    }

    std::string root;
};

// The ring follows the call-alert type the same way for both players: escalating steps of 16
// every 3000 ms for type 2; for type 4 silence and vibration for 6000 ms, then the ring volume.
TEST_F(RingCommandTest, RingFollowsTheAlertTypeForVideoAndFlash) {
    const std::vector<std::string> answered = {"9000 ring-stop",       "9000 answer",
                                               "9000 audio-path-open", "9000 dtmf 1",
                                               "9200 dtmf #",          "12000 release"};
    struct Case {
        int alertType;
        std::vector<std::string> ring;
    } cases[] = {
        {2, {"0 volume 0", "0 ring-start", "3000 volume 16", "6000 volume 32"}},
        {4,
         {"0 volume 0", "0 mute", "0 vibration-start", "0 ring-start", "6000 unmute",
          "6000 vibration-stop", "6000 volume 40"}},
    };
    for (const char* media : {"video", "flash"}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(media) + " alert type " + std::to_string(c.alertType));
            json out = Ring(std::string("--") + media + " '" + root + "/ring." +
                            (media == std::string("video") ? "mp4" : "swf") + "' --alert-type " +
                            std::to_string(c.alertType) +
                            " --ring-volume 40 --answer-after 9000 --dtmf 1# --for 12000");
            ASSERT_TRUE(out.is_object());
            EXPECT_EQ(out["number"], kNumber);
            EXPECT_EQ(out["media"], media);
            EXPECT_EQ(out["caller"]["found"], false);
            std::vector<std::string> expected = c.ring;
            expected.insert(expected.end(), answered.begin(), answered.end());
            EXPECT_EQ(Events(out), expected);
        }
    }
}

// The caller's own ringtone file rings when no option names one; a call never answered is
// rejected at --for, and the ring's vibration ends with it.
TEST_F(RingCommandTest, CallerRingtoneAndARejectedCall) {
    ASSERT_TRUE(tmxhost::UseContactsFile(root + "/contacts.db", true));
    tmxhost::Contact caller;
    caller.firstName = "Bo";
    caller.numbers = {{kNumber, 1}};
    caller.ringtone = root + "/ring.swf";
    ASSERT_NE(tmxhost::AddContact(caller), 0);
    ASSERT_TRUE(tmxhost::UseContactsFile("", false));

    json out = Ring("--alert-type 0 --answer-after 5000 --for 4000");
    EXPECT_EQ(out["caller"], (json{{"found", true}, {"displayName", "Bo"}}));
    EXPECT_EQ(out["media"], "flash");
    EXPECT_EQ(Events(out),
              (std::vector<std::string>{"0 volume 0", "0 mute", "0 vibration-start", "0 ring-start",
                                        "4000 vibration-stop", "4000 ring-stop", "4000 release"}));
}

TEST_F(RingCommandTest, ScreensShowTheCallerAndTheVideo) {
    AddCaller();
    const std::string dir = root + "/shots";
    Outcome run =
        RunCallsvc("ring", std::string(kNumber) + " --video '" + root +
                               "/ring.mp4' --answer-after 4000 --for 5000 --screens '" + dir + "'");
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_THAT(run.out, ::testing::HasSubstr("Call from " + std::string(kNumber) + ": Anna Berg"));

    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"000000-ring-start.png", "000000-volume.png",
                                               "003000-volume.png", "004000-answer.png",
                                               "004000-audio-path-open.png", "004000-ring-stop.png",
                                               "005000-release.png"}));

    tagWMBITMAP* shot = tmxhost::LoadImage(dir + "/003000-volume.png");
    ASSERT_NE(shot, nullptr);
    auto pixel = [shot](int x, int y) {
        return static_cast<const std::uint16_t*>(shot->pBits)[y * shot->rectW + x];
    };
    auto reddish = [](std::uint16_t p) { return (p >> 11) > 24 && ((p >> 5) & 0x3F) < 16; };
    EXPECT_TRUE(reddish(pixel(168, 152))) << "the video in the media area";
    EXPECT_TRUE(reddish(pixel(52, 152))) << "the caller's photo";
    int white = 0;  // the name's letters
    for (int y = 44; y < 76; ++y) {
        for (int x = 0; x < 240; ++x) {
            white += pixel(x, y) == 0xFFFF;
        }
    }
    EXPECT_GT(white, 20);
    tmxhost::FreeBitmap(shot);
}

TEST_F(RingCommandTest, UsageErrors) {
    struct Case {
        std::string args;
        int code;
        const char* message;
    } cases[] = {
        {"", 2, "NUMBER is missing"},
        {std::string(kNumber) + " --video a.mp4 --flash b.swf", 2, "exclude each other"},
        {std::string(kNumber) + " --alert-type x", 2, "--alert-type needs"},
        {std::string(kNumber) + " --for -5", 2, "--for needs"},
        {std::string(kNumber) + " --dtmf 12x", 2, "--dtmf takes"},
        {std::string(kNumber) + " --bogus", 2, "unknown option --bogus"},
        {std::string(kNumber) + " --video /no/such.mp4", 1, "no such file"},
    };
    for (const Case& c : cases) {
        Outcome run = RunCallsvc("ring", c.args);
        EXPECT_EQ(run.code, c.code) << c.args;
        EXPECT_THAT(run.err, ::testing::HasSubstr(c.message)) << c.args;
    }
}

}  // namespace
