// callsvc demo: loads the library, shows the settings file it keeps and runs timers on the
// real-time clock.
#include <stdlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "CallCommonSvc/H/CallCommonSvc.h"
#include "CallCommonSvc/Mgr/CallTimer.h"
#include "CallCommonSvc/VoiceVideoCommonSvc/Mgr/CallSound.h"
#include "Commands.h"
#include "DemoScreen.h"
#include "ExampleCallApp.h"
#include "Module.h"
#include "Options.h"
#include "RingRoad.h"
#include "TmxHost.h"

namespace callsvc {
namespace {

const char kUsage[] =
    "usage: callsvc demo [options]\n"
    "\n"
    "Loads the call common service as the module manager does, shows the settings file it\n"
    "created or found (version and defaults) and runs a short sequence of timers on the\n"
    "real-time clock. Then a call rings in from a caller of the address book, whose photo and\n"
    "video ringtone the demo makes in a temporary folder: the call screen is drawn with the\n"
    "library's widgets (name, number, photo, the video in its media area, a ticker), the\n"
    "video rings with escalating volume and vibration, the call is answered through the\n"
    "example application, its audio path opens, an effect sound plays, the DTMF string\n"
    "\"123#\" goes out tone by tone with its acknowledgements, and the call is released.\n"
    "The timeline shows what the platform saw (as `callsvc ring` prints it) and the demo's\n"
    "own steps (.); the call runs on a virtual clock, in no time.\n"
    "\n"
    "options:\n"
    "  --screens DIR       write the screen as DIR/NNNNNN-EVENT.png at each event of the call\n"
    "  --window            show the phone in a window, in real time: Enter answers, digits\n"
    "                      send DTMF, Escape rejects or ends the call\n"
    "  --data DIR          data folder to use and keep (default: a new temporary folder,\n"
    "                      removed at exit; unlike the other commands, the demo never\n"
    "                      uses $TMXHOST_DATA_ROOT or ~/.local/share/callsvc)\n"
    "  --trace CHANNELS    print the library's trace lines of these channels to stderr:\n"
    "                      comma-separated channel words such as 0x200E6,0xBA, or all\n"
    "  --help              this text\n";

// A new folder under $TMPDIR (or /tmp), removed with its contents when the demo ends.
class TemporaryFolder {
public:
    TemporaryFolder() {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern =
            std::string(tmp != nullptr && tmp[0] != '\0' ? tmp : "/tmp") + "/callsvc-demo.XXXXXX";
        if (::mkdtemp(pattern.data()) != nullptr) {
            m_path = pattern;
        }
    }
    ~TemporaryFolder() {
        if (!m_path.empty()) {
            std::error_code ignored;
            std::filesystem::remove_all(m_path, ignored);
        }
    }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

// Two repeating timers: a fast one that ticks until the slow one has ticked twice.
class DemoTimers : public CCallTimer {
public:
    enum { kFast = 1, kSlow = 2 };

    void OnTick(unsigned long timerID) override {
        std::printf("  %5lld ms  tick of timer %lu\n", tmxhost::Now() - m_start, timerID);
        if (timerID == kSlow && ++m_slowTicks == 2) {
            KillTimer(kFast);
            KillTimer(kSlow);
            std::printf("  %5lld ms  both timers killed\n", tmxhost::Now() - m_start);
        }
    }

    void Begin() {
        m_start = tmxhost::Now();
        SetTimer(kFast, 150);
        SetTimer(kSlow, 400);
        std::printf("  %5d ms  timer 1 every 150 ms, timer 2 every 400 ms\n", 0);
    }

    bool Running() const { return m_slowTicks < 2; }

private:
    long long m_start = 0;
    int m_slowTicks = 0;
};

// Runs the clock until `done` holds, at most `limitMs`.
template <class Done>
bool RunUntil(Done done, long long limitMs) {
    for (long long waited = 0; !done() && waited < limitMs; waited += 20) {
        tmxhost::RunFor(20);
    }
    return done();
}

constexpr char kCallerNumber[] = "+44 1632 960111";

// The caller's photo: a head and shoulders on a blue ground, 160 x 128.
bool WritePhoto(const std::string& path, std::string& error) {
    constexpr int kW = 160, kH = 128;
    std::vector<std::uint16_t> pixels(kW * kH);
    auto inside = [](int x, int y, double cx, double cy, double r) {
        return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r;
    };
    for (int y = 0; y < kH; ++y) {
        for (int x = 0; x < kW; ++x) {
            std::uint16_t pixel =
                static_cast<std::uint16_t>((6 + y / 16) << 11 | (20 + y / 8) << 5 | 24);
            if (inside(x, y, 80, 150, 62)) {
                pixel = 0x3B1A;  // shoulders
            } else if (inside(x, y, 80, 52, 30)) {
                pixel = 0xF6B2;  // face
            }
            if (inside(x, y, 80, 40, 31) && y < 40) {
                pixel = 0x7A85;  // hair
            }
            pixels[y * kW + x] = pixel;
        }
    }
    tagWMBITMAP bitmap{};
    bitmap.rectW = kW;
    bitmap.rectH = kH;
    bitmap.nBitsPerPixel = 16;
    bitmap.pBits = pixels.data();
    return tmxhost::SaveBitmapPng(&bitmap, path, &error);
}

// The address book: the caller with a photo and a video ringtone made in `media`.
bool SeedAddressBook(const std::string& media, std::string& error) {
    std::string photo = media + "/anna.png", ringtone = media + "/anna-ring.mp4";
    if (!WritePhoto(photo, error)) {
        return false;
    }
    tmxhost::VideoClip video;
    video.width = 128;
    video.height = 96;
    video.fps = 10;
    video.frames = 30;
    video.colors = {0xE6783C, 0xF1C40F, 0x3CC878, 0x3498DB, 0x9B59B6};
    if (!tmxhost::WriteVideo(ringtone, video, &error)) {
        return false;
    }
    tmxhost::AddGroup({2, "Family", "", "pulse"});
    tmxhost::Contact anna;
    anna.firstName = "Anna";
    anna.lastName = "Berg";
    anna.image = photo;
    anna.numbers = {{kCallerNumber, 1}};
    anna.groups = {2};
    anna.ringtone = ringtone;
    anna.vibration = "heartbeat";
    tmxhost::AddContact(anna);
    std::printf("\nAddress book: Anna Berg, %s, photo %s, video ringtone %s\n", kCallerNumber,
                photo.c_str(), ringtone.c_str());
    return true;
}

constexpr int kConnectTone = 12;
bool g_effectDone = false;

int OnEffectDone(void*) {
    g_effectDone = true;
    return 1;
}

std::string AudioCallerText() {
    std::string text = "no audio caller";
    for (const tmxhost::AudioCallerView& c : tmxhost::AudioCallers()) {
        char line[160];
        std::snprintf(line, sizeof(line),
                      "audio caller %d: path 0x%x, mute %d, rx mute %d, whisper %d, volume %d",
                      c.handle, c.path, c.mute, c.rxMute, c.whisper, c.volume);
        text = line;
    }
    return text;
}

// The incoming call with the demo's own steps shown between the platform's events.
bool RunIncomingCall(const std::string& screens, bool window) {
    RoadPlan plan;
    plan.number = kCallerNumber;
    plan.alertType = 6;  // escalating, with vibration
    plan.ringVolume = 48;
    plan.answerAfter = window ? -1 : 7000;
    plan.dtmf = window ? "" : "123#";
    plan.releaseAt = window ? 24LL * 3600 * 1000 : 12000;
    plan.screens = screens;
    plan.window = window;

    long long start = tmxhost::Now();
    auto step = [start](const std::string& text) {
        std::printf("  %6lld ms  . %s\n", tmxhost::Now() - start, text.c_str());
    };
    bool ok = true;
    int screensWritten = 0;
    RoadHooks hooks;
    hooks.ringing = [&step](const RoadOutcome& outcome) {
        step("caller " + (outcome.caller.found ? outcome.caller.displayName : "unknown") +
             ", ringtone " + example::MediaName(outcome.media) + " " + outcome.mediaPath);
    };
    hooks.event = [](const RoadEvent& event) { std::printf("  %s\n", EventLine(event).c_str()); };
    hooks.screenWritten = [&screensWritten](const std::string&) { ++screensWritten; };
    hooks.dtmfStarted = [&step](int hCall) {
        step("DTMF start acknowledged on call " + std::to_string(hCall));
    };
    hooks.dtmfStopped = [&step] { step("DTMF stop acknowledged"); };
    hooks.answered = [&] {
        step(AudioCallerText());
        CCallSound sound;
        g_effectDone = false;
        step("connect tone, once");
        ok = sound.SetVolume(kConnectTone, 3) == 1 &&
             sound.Play(kConnectTone, 0, 0, OnEffectDone) == 1 && ok;
        ok = RunUntil([] { return g_effectDone; }, 3000) && ok;
        step("connect tone done");
        sound.Stop();
    };
    if (window) {
        std::printf("  (window: Enter answers, digits send DTMF, Escape rejects or ends)\n");
    }
    RoadOutcome outcome;
    ok = RunRoad(plan, hooks, outcome) && ok;
    for (const std::string& problem : outcome.problems) {
        std::printf("  problem: %s\n", problem.c_str());
    }

    std::string sent = tmxhost::DtmfSent();
    if (!window) {
        std::printf("\nDTMF tones sent in order: ");
        for (char digit : sent) {
            std::printf("%c ", digit);
        }
        bool exact = sent == "123#";
        std::printf("(%s)\n", exact ? "every digit once, none lost or repeated" : "NOT as pushed");
        ok = ok && exact;
    }
    bool released = tmxhost::LedBlinks().empty() && tmxhost::Vibrations().empty() &&
                    tmxhost::AudioCallers().empty() && tmxhost::Players().empty();
    std::printf("LED, vibration, ring player and audio caller after the call: %s\n",
                released ? "all released" : "NOT as expected");
    if (!screens.empty()) {
        std::printf("%d screens written to %s (NNNNNN-EVENT.png, time in ms)\n", screensWritten,
                    screens.c_str());
    }
    return ok && released;
}

}  // namespace

int RunDemo(int argc, char** argv, int first) {
    Options options;
    std::string error;
    if (!ParseOptions(argc, argv, first, {"--screens"}, {"--window"}, options, error) ||
        !options.positional.empty()) {
        std::fprintf(stderr, "callsvc demo: %s\n\n%s",
                     error.empty() ? "unexpected argument" : error.c_str(), kUsage);
        return kExitUsage;
    }
    if (options.help) {
        std::fputs(kUsage, stdout);
        return kExitOk;
    }
    // Without --data the demo works in a folder of its own, never in the user's data folder.
    // Declared before the module, so that it goes after the module is unloaded.
    std::optional<TemporaryFolder> temporary;
    if (options.values.count("--data") == 0) {
        temporary.emplace();
        if (temporary->Path().empty()) {
            std::fprintf(stderr, "callsvc demo: cannot create a temporary data folder\n");
            return kExitFailure;
        }
        options.values["--data"] = temporary->Path();
    }
    if (!ApplyCommonOptions(options, error)) {
        std::fprintf(stderr, "callsvc demo: %s\n", error.c_str());
        return kExitUsage;
    }
    std::printf("Data folder %s (%s)\n\n", tmxhost::DataRoot().c_str(),
                temporary ? "temporary, removed at exit; --data DIR uses and keeps a folder"
                          : "given with --data");
    const std::string screens = options.Value("--screens");
    std::error_code failed;
    if (!screens.empty() && !std::filesystem::create_directories(screens, failed) && failed) {
        std::fprintf(stderr, "callsvc demo: cannot make %s: %s\n", screens.c_str(),
                     failed.message().c_str());
        return kExitFailure;
    }
    tmxhost::UseRealTime(true);

    Module module;
    if (!module.Load(error)) {
        std::fprintf(stderr, "callsvc: %s\n", error.c_str());
        return kExitFailure;
    }
    std::printf("Loaded %s (module class registered: %s)\n", LibraryPath().c_str(),
                tmxhost::IsClassRegistered(0x1000076) ? "yes" : "no");

    std::vector<tmxhost::RegistryEntry> entries;
    if (!tmxhost::ReadRegistry("CallReg.ini", entries)) {
        std::fprintf(stderr, "callsvc demo: no settings file at %s\n",
                     tmxhost::RegistryPath("CallReg.ini").c_str());
        return kExitFailure;
    }
    std::printf("\nSettings file %s: version %d, %zu keys\n",
                tmxhost::RegistryPath("CallReg.ini").c_str(),
                CallCommonSvcRegGetInt("Version", "Version"), entries.size());
    for (const auto& entry : entries) {
        std::printf("  %s %s = %s\n", entry.section.c_str(), entry.key.c_str(),
                    entry.value.c_str());
    }

    std::printf("\nTimers on the real-time clock:\n");
    {
        DemoTimers timers;
        timers.Begin();
        for (int guard = 0; guard < 100 && timers.Running(); ++guard) {
            tmxhost::RunFor(50);
        }
    }

    TemporaryFolder media;
    if (media.Path().empty() || !SeedAddressBook(media.Path(), error)) {
        std::fprintf(stderr, "callsvc demo: cannot make the caller's media: %s\n", error.c_str());
        return kExitFailure;
    }
    const bool window = options.Has("--window");
    // The call runs on the virtual clock, or in real time in the window.
    tmxhost::UseRealTime(window);
    std::printf("\nAn incoming call through the example application:\n");
    bool callsOk = RunIncomingCall(screens, window);

    module.Unload();
    std::printf("\nUnloaded (module class registered: %s)\n",
                tmxhost::IsClassRegistered(0x1000076) ? "yes" : "no");
    if (temporary) {
        std::printf("Removing the temporary data folder %s\n", temporary->Path().c_str());
    }
    return callsOk ? kExitOk : kExitFailure;
}

}  // namespace callsvc
