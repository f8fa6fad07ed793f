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
#include "TmxHost.h"

namespace callsvc {
namespace {

const char kUsage[] =
    "usage: callsvc demo [options]\n"
    "\n"
    "Loads the call common service as the module manager does, shows the settings file it\n"
    "created or found (version and defaults), runs a short sequence of timers on the real-time\n"
    "clock, then makes a call through the example application: dial, send the DTMF string\n"
    "\"123#\" tone by tone, hold it for a waiting call whose caller it looks up in the address\n"
    "book, answer, release. The timeline shows every telephony request (->) and the\n"
    "network's answers (<-) with their clock times.\n"
    "Last, a call rings in with LED and vibration, is answered on its own audio path (path,\n"
    "mute and volume), hears an effect sound and is released; that timeline also shows the\n"
    "LED, vibration, sound-state, audio-caller and effect-sound calls. The ringing call is drawn\n"
    "on the host's screen with the library's widgets: a pane list (name, number, state, photo),\n"
    "the caller's group as a framed picture and a ticker with a ringing animation.\n"
    "\n"
    "options:\n"
    "  --screens DIR       write the screen as DIR/NN-STEP.png at each step of the ringing call\n"
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

// Prints the platform calls of the call log whose names begin with one of the prefixes
// (telephony requests by default) and the network's answers, in time order. The call log is
// recorded while a timeline exists.
class Timeline {
public:
    explicit Timeline(long long start, std::vector<std::string> prefixes = {"Tapi"})
        : m_start(start), m_prefixes(std::move(prefixes)) {
        tmxhost::SetRecording(m_recording | tmxhost::kRecordCalls);
    }
    ~Timeline() { tmxhost::SetRecording(m_recording); }
    Timeline(const Timeline&) = delete;
    Timeline& operator=(const Timeline&) = delete;

    // Prints the requests made since the last print.
    void Requests() {
        const std::vector<tmxhost::Call>& calls = tmxhost::Calls();
        for (; m_printed < calls.size(); ++m_printed) {
            const tmxhost::Call& call = calls[m_printed];
            for (const std::string& prefix : m_prefixes) {
                if (call.name.rfind(prefix, 0) == 0) {
                    std::printf("  %5lld ms  -> %s\n", call.time - m_start, call.Text().c_str());
                    break;
                }
            }
        }
    }

    void Event(const std::string& text) {
        Requests();
        std::printf("  %5lld ms  <- %s\n", tmxhost::Now() - m_start, text.c_str());
    }

    void Step(const std::string& text) {
        Requests();
        std::printf("  %5lld ms  %s\n", tmxhost::Now() - m_start, text.c_str());
    }

private:
    long long m_start;
    std::vector<std::string> m_prefixes;
    unsigned m_recording = tmxhost::GetRecording();
    std::size_t m_printed = tmxhost::Calls().size();
};

// The example's DTMF sender, with each acknowledgement shown on the timeline.
class ShownDtmfSender : public example::DtmfSender {
public:
    explicit ShownDtmfSender(Timeline& timeline) : m_timeline(timeline) {}

    int StartDtmfAck(int hCall) override {
        m_timeline.Event("start acknowledged on call " + std::to_string(hCall));
        return DtmfSender::StartDtmfAck(hCall);
    }
    int Pop() override {
        m_timeline.Event("stop acknowledged");
        return DtmfSender::Pop();
    }
    int OnPostPop(Result result) override {
        m_ended = m_ended || result == DTMF_RESULT_END_OF_SEND;
        return 1;
    }
    bool Ended() const { return m_ended; }

private:
    Timeline& m_timeline;
    bool m_ended = false;
};

// Runs the clock until `done` holds, at most `limitMs`.
template <class Done>
bool RunUntil(Done done, long long limitMs) {
    for (long long waited = 0; !done() && waited < limitMs; waited += 20) {
        tmxhost::RunFor(20);
    }
    return done();
}

// The demo's address book, in memory: the waiting caller is a contact of a group.
void SeedAddressBook() {
    tmxhost::AddGroup({2, "Family", "/sounds/family.mp3", "pulse"});
    tmxhost::Contact anna;
    anna.firstName = "Anna";
    anna.lastName = "Berg";
    anna.image = "/pics/anna.jpg";
    anna.numbers = {{"+44 1632 960000", 1}};
    anna.groups = {2};
    anna.vibration = "heartbeat";
    tmxhost::AddContact(anna);
}

// Who is calling, as the call screen shows it.
std::string IdentifyCaller(const std::string& number) {
    CallCommonCtRecord record = {};
    std::vector<char> input(number.begin(), number.end());
    input.push_back('\0');
    if (CallCommonSvcGetCtRecordbyNum(input.data(), &record) != 1) {
        return "unknown caller " + number;
    }
    char name[302] = "";
    CallCommonSvcGetDisplayName(record.szFirstName, record.szLastName, name);
    return std::string(name) + " (picture " + record.szImage + ", ringtone " + record.szRingtone +
           ", vibration " + record.szVibration + ")";
}

// Dials, sends DTMF, takes a waiting call and hangs up, through the example application.
bool RunCalls() {
    Timeline timeline(tmxhost::Now());
    tmxhost::SetCallListener([&timeline](const tmxhost::CallView& call) {
        timeline.Event("call " + std::to_string(call.handle) + " " + call.state +
                       (call.incoming ? " from " : " to ") + call.number);
    });
    example::CallControl control;
    bool ok = true;
    {
        ShownDtmfSender dtmf(timeline);
        control.SetNumber("+441632960958");
        timeline.Step("dial +441632960958");
        int hCall = control.Setup();
        ok = hCall != TAPI_INVALID_CALLHANDLE &&
             RunUntil([] { return example::FindCall("active") != TAPI_INVALID_CALLHANDLE; }, 3000);

        timeline.Step("send DTMF \"123#\" tone by tone");
        ok = ok && dtmf.Push("123#") == 1 && RunUntil([&dtmf] { return dtmf.Ended(); }, 5000);

        tmxhost::RunFor(300);
        tmxhost::IncomingCall("+441632960000");
        timeline.Step("waiting call from " + IdentifyCaller("+441632960000"));
        timeline.Step("hold the first call and answer the waiting one");
        ok = ok && control.Hold() == 1 && control.Answer() == 1;
        tmxhost::RunFor(500);
        timeline.Step("release the answered call, resume and release the first");
        ok = ok && control.Release() == 1 && control.Activate() == 1;
        tmxhost::RunFor(500);
        ok = ok && control.Release() == 1 && control.Destroy() == 1 && control.Destroy() == 1;
        timeline.Requests();
    }
    tmxhost::SetCallListener({});

    std::string sent = tmxhost::DtmfSent();
    std::printf("\nDTMF tones sent in order: ");
    for (char digit : sent) {
        std::printf("%c ", digit);
    }
    bool exact = sent == "123#";
    std::printf("(%s)\n", exact ? "every digit once, none lost or repeated" : "NOT as pushed");
    return ok && exact;
}

constexpr int kVoicePriority = 2;
constexpr int kPathReceiver = 0x1;
constexpr int kPathSpeaker = 0x2;
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

// An incoming call: ring with LED and vibration, answer on the call's audio path, an effect
// sound, release.
bool RunRingingCall(const std::string& screens) {
    Timeline timeline(tmxhost::Now(), {"Tapi", "Am", "Av", "Ssm", "AppSnd"});
    CallScreen screen(screens);
    bool screenOk = true;
    // Each step of the call on the screen, and with --screens in a file.
    auto show = [&](const std::string& slug) {
        std::string path, error;
        if (!screen.Save(slug, path, error)) {
            screenOk = false;
            timeline.Step("screen not written: " + error);
        } else if (!path.empty()) {
            timeline.Step("screen written to " + path);
        }
    };
    tmxhost::SetCallListener([&timeline](const tmxhost::CallView& call) {
        timeline.Event("call " + std::to_string(call.handle) + " " + call.state + " from " +
                       call.number);
    });
    example::CallControl control;
    tmxhost::IncomingCall("+441632960111");
    timeline.Step("ring: blink the LED and vibrate, draw the call screen");
    bool ok = CallLedBlink() == 1 && CallVibStart(nullptr) == 1;
    screenOk = screen.Ring("Anna Berg", "+44 1632 960111", "Mobile \xC2\xB7 Family");
    show("ringing");
    timeline.Step(std::to_string(tmxhost::LedBlinks().size()) + " LED blink and " +
                  std::to_string(tmxhost::Vibrations().size()) + " vibration running");
    tmxhost::RunFor(1500);
    show("still-ringing");

    timeline.Step("answer: LED and vibration off, open the call's audio path");
    ok = CallLedClear() == 1 && CallVibStop() == 1 && ok;
    ok = control.Answer() == 1 && ok;
    {
        example::AudioCall audio;
        audio.SetPath(kPathReceiver, 0);
        ok = audio.OpenPath(kVoicePriority) > 0 && ok;
        screen.SetState("Connected", "Receiver");
        show("answered");
        timeline.Step("speaker on, microphone live, volume 4");
        ok = audio.SetPath(kPathSpeaker, 1) == 1 && audio.SetMuteMode(0, 1) == 1 &&
             audio.SetVolume(4) == 1 && ok;
        screen.SetState("Connected", "Speaker, volume 4");
        show("speaker");
        timeline.Step(AudioCallerText());
        tmxhost::RunFor(500);

        timeline.Step("mute the microphone and play the connect tone once");
        ok = audio.SetMuteMode(1, 1) == 1 && ok;
        screen.SetState("Muted");
        show("muted");
        timeline.Step(AudioCallerText());
        {
            CCallSound sound;
            g_effectDone = false;
            ok = sound.SetVolume(kConnectTone, 3) == 1 &&
                 sound.Play(kConnectTone, 0, 0, OnEffectDone) == 1 && ok;
            ok = RunUntil([] { return g_effectDone; }, 3000) && ok;
            timeline.Event("connect tone done");
            sound.Stop();
        }
        ok = audio.SetMuteMode(0, 1) == 1 && ok;

        timeline.Step("release: close the audio path");
        ok = control.Release() == 1 && ok;
        ok = audio.ClosePath(kVoicePriority) == 1 && control.Destroy() == 1 && ok;
        screen.SetState("Call ended", "Anna Berg");
        show("ended");
        timeline.Requests();
    }
    tmxhost::SetCallListener({});
    ok = ok && tmxhost::LedBlinks().empty() && tmxhost::Vibrations().empty() &&
         tmxhost::AudioCallers().empty();
    std::printf("\nLED, vibration and audio caller after the call: %s\n",
                ok ? "all released" : "NOT as expected");
    if (!screenOk) {
        std::printf("The call screen could not be drawn or written\n");
    }
    return ok && screenOk;
}

}  // namespace

int RunDemo(int argc, char** argv, int first) {
    Options options;
    std::string error;
    if (!ParseOptions(argc, argv, first, {"--screens"}, {}, options, error) ||
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

    SeedAddressBook();
    std::printf("\nA call through the example application:\n");
    bool callsOk = RunCalls();

    std::printf("\nAn incoming call with ring, audio path and an effect sound:\n");
    callsOk = RunRingingCall(screens) && callsOk;

    module.Unload();
    std::printf("\nUnloaded (module class registered: %s)\n",
                tmxhost::IsClassRegistered(0x1000076) ? "yes" : "no");
    if (temporary) {
        std::printf("Removing the temporary data folder %s\n", temporary->Path().c_str());
    }
    return callsOk ? kExitOk : kExitFailure;
}

}  // namespace callsvc
