#include "RingRoad.h"

#include <charconv>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <memory>

#include "CallCommonSvc/Platform/TmxCore.h"
#include "DemoScreen.h"
#include "TmxHost.h"

namespace callsvc {
namespace {

constexpr int kNvCallAlertType = 17;
constexpr int kNvRingVolume = 18;
constexpr int kVoicePriority = 2;
constexpr int kPathReceiver = 0x1;
// After the call ends the live window stays this long on the last screen.
constexpr long long kWindowLingerMs = 1500;
// Real-time turns of the live window: about 60 a second.
constexpr long long kWindowTurnMs = 16;

int IntArg(const tmxhost::Call& call, std::size_t index) {
    int value = 0;
    if (index < call.args.size()) {
        const std::string& text = call.args[index];
        std::from_chars(text.data(), text.data() + text.size(), value);
    }
    return value;
}

// Turns the host's call log into the road's events: each call is looked at once, in order, and
// the ring's sound, vibration and LED are followed so that only changes count.
class HostEvents {
public:
    // Looks at the calls made from now on; times count from `start`.
    void Begin(long long start) {
        m_start = start;
        m_seen = tmxhost::Calls().size();
    }

    void Scan(std::vector<RoadEvent>& found) {
        const std::vector<tmxhost::Call>& calls = tmxhost::Calls();
        for (; m_seen < calls.size(); ++m_seen) {
            Look(calls[m_seen], found);
        }
    }

private:
    void Add(std::vector<RoadEvent>& found, const tmxhost::Call& call, const char* name,
             int level = 0, char digit = 0) {
        found.push_back({call.time - m_start, name, level, digit});
    }

    void Sound(std::vector<RoadEvent>& found, const tmxhost::Call& call, bool muted) {
        if (muted != m_muted) {
            m_muted = muted;
            Add(found, call, muted ? "mute" : "unmute");
        }
    }

    void Look(const tmxhost::Call& call, std::vector<RoadEvent>& found) {
        const std::string& name = call.name;
        if (name == "AvCreatePlayer" || name == "WmeCreateFlash") {
            m_muted = false;  // a new player, and a new Flash, start with their sound on
        } else if (name == "AvStartPlayer" || name == "WmePlayFlashByShowFlag") {
            if (!m_ringing) {
                m_ringing = true;
                Add(found, call, "ring-start");
            }
        } else if (name == "AvStopPlayer" || name == "WmeStopFlash" || name == "AvDeletePlayer" ||
                   name == "WmeDestroyFlash") {
            if (m_ringing) {
                m_ringing = false;
                Add(found, call, "ring-stop");
            }
        } else if (name == "AvSetPlayerVolume") {
            Add(found, call, "volume", IntArg(call, 2));  // the volume record's leftVolume
        } else if (name == "WmeSetFlashVolumeLevel") {
            Add(found, call, "volume", IntArg(call, 1));
        } else if (name == "AvSetPlayerMute") {
            Sound(found, call, IntArg(call, 2) == 1);  // word 1 of the mute record
        } else if (name == "WmeMuteFlashSound") {
            Sound(found, call, IntArg(call, 1) != 0);
        } else if (name == "WmeEnableFlashSound") {
            Sound(found, call, IntArg(call, 1) == 0);
        } else if (name == "AmVibStart" || name == "AmVibStop") {
            bool start = name == "AmVibStart";
            if (start != m_vibrating) {
                m_vibrating = start;
                Add(found, call, start ? "vibration-start" : "vibration-stop");
            }
        } else if (name == "AmLedBlink" || name == "AmLedClear") {
            bool blink = name == "AmLedBlink";
            if (blink != m_blinking) {
                m_blinking = blink;
                Add(found, call, blink ? "led-blink" : "led-clear");
            }
        } else if (name == "TapiAnswerCall") {
            Add(found, call, "answer");
        } else if (name == "AvCreateCaller") {
            Add(found, call, "audio-path-open");
        } else if (name == "TapiStartDTMF" && call.args.size() > 1 && call.args[1].size() == 3) {
            Add(found, call, "dtmf", 0, call.args[1][1]);  // the digit, quoted
        } else if (name == "TapiReleaseCall") {
            Add(found, call, "release");
        }
    }

    long long m_start = 0;
    std::size_t m_seen = 0;
    bool m_ringing = false;
    bool m_muted = false;
    bool m_vibrating = false;
    bool m_blinking = false;
};

// The example's DTMF sender, passing the acknowledgements on to the hooks.
class RoadDtmf : public example::DtmfSender {
public:
    explicit RoadDtmf(const RoadHooks& hooks) : m_hooks(hooks) {}

    int StartDtmfAck(int hCall) override {
        if (m_hooks.dtmfStarted) {
            m_hooks.dtmfStarted(hCall);
        }
        return DtmfSender::StartDtmfAck(hCall);
    }
    int Pop() override {
        if (m_hooks.dtmfStopped) {
            m_hooks.dtmfStopped();
        }
        return DtmfSender::Pop();
    }

private:
    const RoadHooks& m_hooks;
};

// Keeps the host's call log recorded while the road runs.
class RecordCalls {
public:
    RecordCalls() { tmxhost::SetRecording(m_was | tmxhost::kRecordCalls); }
    ~RecordCalls() { tmxhost::SetRecording(m_was); }
    RecordCalls(const RecordCalls&) = delete;
    RecordCalls& operator=(const RecordCalls&) = delete;

private:
    unsigned m_was = tmxhost::GetRecording();
};

class Road {
public:
    Road(const RoadPlan& plan, const RoadHooks& hooks, RoadOutcome& outcome)
        : m_plan(plan), m_hooks(hooks), m_outcome(outcome), m_screen("") {}

    bool Run() {
        tmxhost::SetNvInt(kNvCallAlertType, m_plan.alertType);
        tmxhost::SetNvInt(kNvRingVolume, m_plan.ringVolume);
        std::string error;
        // The window first: opening it takes a while on the real-time clock.
        if (m_plan.window &&
            !tmxhost::OpenLiveWindow(
                "callsvc: call from " + m_plan.number, 2, [this](char key) { Key(key); }, &error)) {
            Problem("no live window: " + error);
            return false;
        }
        m_start = tmxhost::Now();
        m_events.Begin(m_start);
        Ring();
        if (m_hooks.ringing) {
            m_hooks.ringing(m_outcome);
        }
        Observe();
        if (m_plan.window) {
            RunLive();
        } else {
            for (;;) {
                FollowPlan();
                Observe();
                if (m_released) {
                    break;
                }
                tmxhost::Advance(1);
            }
        }
        return m_outcome.problems.empty();
    }

    // Keys of the live window, handled on the next turn.
    void Key(char key) { m_keys.push_back(key); }

private:
    long long Elapsed() const { return tmxhost::Now() - m_start; }

    void Problem(const std::string& text) { m_outcome.problems.push_back(text); }

    void Ring() {
        tmxhost::IncomingCall(m_plan.number);
        example::Caller& caller = m_outcome.caller = example::LookUpCaller(m_plan.number);
        m_outcome.media = m_plan.media;
        m_outcome.mediaPath = m_plan.mediaPath;
        if (m_plan.media == example::RingMedia::kNone && caller.found) {
            m_outcome.media = example::MediaOf(caller.ringtone);
            m_outcome.mediaPath = caller.ringtone;
        }
        m_thumbnail = example::LoadThumbnail(caller);
        const char* tickers[] = {"Ringing", "Video ringtone", "Flash ringtone"};
        if (!m_screen.Ring(caller.found ? caller.displayName : "Unknown caller", m_plan.number,
                           tickers[static_cast<int>(m_outcome.media)], m_thumbnail.get())) {
            Problem("the call screen could not be drawn");
        }
        m_ringing = true;
        if (m_outcome.media == example::RingMedia::kNone) {
            return;
        }
        int hWindow = m_screen.OpenMediaWindow();
        tagWMRECT area = CallScreen::MediaRect();
        std::string error;
        std::string vibration = m_plan.vibration.value_or(caller.vibration);
        if (!m_ring.Start(m_outcome.media, m_outcome.mediaPath, vibration, hWindow,
                          {0, 0, area.w, area.h}, error)) {
            Problem(error);
        }
    }

    void Answer() {
        m_ring.Stop();
        m_screen.CloseMediaWindow();
        m_ringing = false;
        if (m_control.Answer() != 1) {
            Problem("the call could not be answered");
            return;
        }
        m_answered = true;
        m_audio = std::make_unique<example::AudioCall>();
        m_audio->SetPath(kPathReceiver, 0);
        if (m_audio->OpenPath(kVoicePriority) <= 0) {
            Problem("the call's audio path did not open");
        }
        m_screen.SetState("Connected", "Receiver");
        m_dtmf = std::make_unique<RoadDtmf>(m_hooks);
        if (m_hooks.answered) {
            Observe();  // the answer's events come before what the hook shows
            m_hooks.answered();
        }
        SendDtmf(m_plan.dtmf);
    }

    void SendDtmf(const std::string& digits) {
        if (!digits.empty() && m_dtmf != nullptr && m_dtmf->Push(digits.c_str()) != 1) {
            Problem("DTMF \"" + digits + "\" refused");
        }
    }

    void Release() {
        bool rejected = m_ringing;
        m_ring.Stop();
        m_screen.CloseMediaWindow();
        m_ringing = false;
        if (m_control.Release() != 1) {
            Problem("the call could not be released");
        }
        if (m_audio != nullptr && m_audio->ClosePath(kVoicePriority) != 1) {
            Problem("the call's audio path did not close");
        }
        m_dtmf.reset();
        if (m_control.Destroy() != 1) {
            Problem("the released call could not be destroyed");
        }
        m_screen.SetState(rejected ? "Call rejected" : "Call ended", m_outcome.caller.displayName);
        m_released = true;
    }

    // The planned steps whose time has come.
    void FollowPlan() {
        long long t = Elapsed();
        if (m_ringing && m_plan.answerAfter >= 0 && t >= m_plan.answerAfter &&
            m_plan.answerAfter < m_plan.releaseAt) {
            Answer();
        }
        if (!m_released && t >= m_plan.releaseAt) {
            Release();
        }
    }

    void RunLive() {
        long long endAt = -1;
        while (tmxhost::PumpLiveWindow()) {
            for (; !m_keys.empty(); m_keys.pop_front()) {
                char key = m_keys.front();
                if (key == tmxhost::kKeyEnter && m_ringing) {
                    Answer();
                } else if (key == tmxhost::kKeyEscape && !m_released) {
                    Release();
                } else if (key != tmxhost::kKeyEnter && key != tmxhost::kKeyEscape && m_answered &&
                           !m_released) {
                    SendDtmf(std::string(1, key));
                }
            }
            FollowPlan();
            Observe();
            if (m_released && endAt < 0) {
                endAt = Elapsed() + kWindowLingerMs;
            }
            if (endAt >= 0 && Elapsed() >= endAt) {
                break;
            }
            tmxhost::RunFor(kWindowTurnMs);
        }
        if (!m_released) {  // the window was closed during the call
            Release();
            Observe();
        }
        tmxhost::CloseLiveWindow();
    }

    // Takes the new events, with a screen for each when asked.
    void Observe() {
        std::vector<RoadEvent> found;
        m_events.Scan(found);
        for (const RoadEvent& event : found) {
            m_outcome.events.push_back(event);
            if (m_hooks.event) {
                m_hooks.event(event);
            }
            if (!m_plan.screens.empty()) {
                char name[64];
                std::snprintf(name, sizeof(name), "%06lld-%s.png", event.t, event.name.c_str());
                std::string path, error;
                if (!m_screen.SaveAs((std::filesystem::path(m_plan.screens) / name).string(), path,
                                     error)) {
                    Problem("screen not written: " + error);
                } else if (m_hooks.screenWritten) {
                    m_hooks.screenWritten(path);
                }
            }
        }
    }

    const RoadPlan& m_plan;
    const RoadHooks& m_hooks;
    RoadOutcome& m_outcome;
    RecordCalls m_recording;
    example::Thumbnail m_thumbnail;  // borrowed by the screen
    CallScreen m_screen;
    example::Ringtone m_ring;
    example::CallControl m_control;
    std::unique_ptr<example::AudioCall> m_audio;
    std::unique_ptr<RoadDtmf> m_dtmf;
    long long m_start = 0;
    HostEvents m_events;
    std::deque<char> m_keys;
    bool m_ringing = false;
    bool m_answered = false;
    bool m_released = false;
};

}  // namespace

bool RunRoad(const RoadPlan& plan, const RoadHooks& hooks, RoadOutcome& outcome) {
    Road road(plan, hooks, outcome);
    return road.Run();
}

std::string EventLine(const RoadEvent& event) {
    char line[96];
    int n = std::snprintf(line, sizeof(line), "%6lld ms  %s", event.t, event.name.c_str());
    if (event.name == "volume") {
        std::snprintf(line + n, sizeof(line) - n, " %d", event.level);
    } else if (event.name == "dtmf") {
        std::snprintf(line + n, sizeof(line) - n, " %c", event.digit);
    }
    return line;
}

}  // namespace callsvc
