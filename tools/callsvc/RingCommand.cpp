// callsvc ring: an incoming call from NUMBER rung, answered and released through the example
// application, printed as the timeline of what the host platform saw.
#include <cstdio>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>

#include "Commands.h"
#include "Module.h"
#include "Options.h"
#include "RingRoad.h"
#include "TmxHost.h"

namespace callsvc {
namespace {

const char kUsage[] =
    "usage: callsvc ring NUMBER [--video FILE | --flash FILE] [--alert-type N]\n"
    "                   [--ring-volume V] [--vibration NAME] [--answer-after MS]\n"
    "                   [--dtmf DIGITS] [--for MS] [--screens DIR] [--json] [--window]\n"
    "\n"
    "Rings the phone: a call from NUMBER arrives at 0 ms, the caller is looked up in the\n"
    "address book of the data folder (contacts.db; the FDN first in fixed-dialling mode), the\n"
    "call screen shows name, number and picture, and the ringtone plays in the screen's media\n"
    "area: the file given, else the caller's ringtone when it is a video or a Flash (.swf)\n"
    "file, else none. The ring follows the call-alert type and the ring volume. The call is\n"
    "answered (ring stopped, audio path opened), DTMF digits are sent, and the call is\n"
    "released. Runs on a virtual clock, in no time, unless --window is given.\n"
    "\n"
    "Prints one line per event the platform saw, with its time in ms: ring-start, volume\n"
    "LEVEL, mute, unmute, vibration-start, vibration-stop, led-blink, led-clear, ring-stop,\n"
    "answer, audio-path-open, dtmf DIGIT, release.\n"
    "\n"
    "options:\n"
    "  --video FILE        ring with this video file\n"
    "  --flash FILE        ring with this Flash (SWF) file\n"
    "  --alert-type N      call-alert type, NV item 17 (default 2): 0 vibrate, 1 melody,\n"
    "                      2 escalating, 3 LED, 4 vibrate then melody, 5 melody and vibrate,\n"
    "                      6 escalating and vibrate, 8 silent\n"
    "  --ring-volume V     ring volume, NV item 18 (default 64)\n"
    "  --vibration NAME    vibration pattern (default: the caller's, else the phone's)\n"
    "  --answer-after MS   answer at this time (default 8000; past --for: never answered,\n"
    "                      the call is rejected at --for)\n"
    "  --dtmf DIGITS       send these digits (0-9, *, #, A-D) once answered\n"
    "  --for MS            release the call at this time (default 20000)\n"
    "  --screens DIR       write the screen at each event as DIR/NNNNNN-EVENT.png (ms)\n"
    "  --json              print one JSON object: number, caller, media and events\n"
    "  --window            show the phone in a window, in real time: Enter answers, Escape\n"
    "                      rejects or ends the call, digits send DTMF during the call;\n"
    "                      --answer-after and --for apply only when given\n"
    "  --data DIR          data folder holding contacts.db\n"
    "  --trace CHANNELS    print the library's trace lines of these channels to stderr\n"
    "  --help              this text\n";

int Usage(const std::string& message) {
    std::fprintf(stderr, "callsvc ring: %s\n\n%s", message.c_str(), kUsage);
    return kExitUsage;
}

bool ValidDtmf(const std::string& digits) {
    return digits.find_first_not_of("0123456789*#ABCD") == std::string::npos;
}

nlohmann::json ToJson(const RoadPlan& plan, const RoadOutcome& outcome) {
    nlohmann::json events = nlohmann::json::array();
    for (const RoadEvent& event : outcome.events) {
        nlohmann::json item = {{"t", event.t}, {"event", event.name}};
        if (event.name == "volume") {
            item["level"] = event.level;
        } else if (event.name == "dtmf") {
            item["digit"] = std::string(1, event.digit);
        }
        events.push_back(std::move(item));
    }
    nlohmann::json caller = {{"found", outcome.caller.found}};
    caller["displayName"] =
        outcome.caller.found ? nlohmann::json(outcome.caller.displayName) : nlohmann::json();
    return {{"number", plan.number},
            {"caller", caller},
            {"media", example::MediaName(outcome.media)},
            {"events", events}};
}

}  // namespace

int RunRing(int argc, char** argv, int first) {
    Options options;
    std::string error;
    if (!ParseOptions(argc, argv, first,
                      {"--video", "--flash", "--alert-type", "--ring-volume", "--vibration",
                       "--answer-after", "--dtmf", "--for", "--screens"},
                      {"--json", "--window"}, options, error)) {
        return Usage(error);
    }
    if (options.help) {
        std::fputs(kUsage, stdout);
        return kExitOk;
    }
    if (options.positional.size() != 1) {
        return Usage(options.positional.empty() ? "which number calls? (NUMBER is missing)"
                                                : "one NUMBER only");
    }
    RoadPlan plan;
    plan.number = options.positional[0];
    if (plan.number.empty() || plan.number.size() > 40) {
        return Usage("NUMBER must be 1 to 40 characters");
    }
    if (options.values.count("--video") != 0 && options.values.count("--flash") != 0) {
        return Usage("--video and --flash exclude each other");
    }
    if (options.values.count("--video") != 0) {
        plan.media = example::RingMedia::kVideo;
        plan.mediaPath = options.Value("--video");
    } else if (options.values.count("--flash") != 0) {
        plan.media = example::RingMedia::kFlash;
        plan.mediaPath = options.Value("--flash");
    }
    if (plan.media != example::RingMedia::kNone &&
        !std::filesystem::is_regular_file(plan.mediaPath)) {
        std::fprintf(stderr, "callsvc ring: no such file: %s\n", plan.mediaPath.c_str());
        return kExitFailure;
    }
    plan.window = options.Has("--window");
    if (plan.window) {
        plan.answerAfter = -1;
        plan.releaseAt = 24LL * 3600 * 1000;
    }
    long long value = 0;
    struct Number {
        const char* option;
        long long low, high;
        const char* what;
    };
    for (const Number& n : {Number{"--alert-type", 0, 255, "a call-alert type 0 to 255"},
                            Number{"--ring-volume", 0, 1000, "a volume 0 to 1000"},
                            Number{"--answer-after", 0, 86400000, "a time in ms"},
                            Number{"--for", 0, 86400000, "a time in ms"}}) {
        if (options.values.count(n.option) == 0) {
            continue;
        }
        if (!ParseInteger(options.Value(n.option), n.low, n.high, value)) {
            return Usage(std::string(n.option) + " needs " + n.what + ", not '" +
                         options.Value(n.option) + "'");
        }
        std::string option = n.option;
        if (option == "--alert-type") {
            plan.alertType = static_cast<int>(value);
        } else if (option == "--ring-volume") {
            plan.ringVolume = static_cast<int>(value);
        } else if (option == "--answer-after") {
            plan.answerAfter = value;
        } else {
            plan.releaseAt = value;
        }
    }
    if (options.values.count("--vibration") != 0) {
        plan.vibration = options.Value("--vibration");
    }
    plan.dtmf = options.Value("--dtmf");
    if (!ValidDtmf(plan.dtmf)) {
        return Usage("--dtmf takes the digits 0-9, *, # and A-D");
    }
    plan.screens = options.Value("--screens");
    if (!ApplyCommonOptions(options, error)) {
        std::fprintf(stderr, "callsvc ring: %s\n", error.c_str());
        return kExitUsage;
    }
    std::error_code failed;
    if (!plan.screens.empty() && !std::filesystem::create_directories(plan.screens, failed) &&
        failed) {
        std::fprintf(stderr, "callsvc ring: cannot make %s: %s\n", plan.screens.c_str(),
                     failed.message().c_str());
        return kExitFailure;
    }
    // A missing address book leaves every caller unknown; a damaged one is an error.
    const std::string book = tmxhost::DataRoot() + "/contacts.db";
    if (std::filesystem::exists(book) && !tmxhost::UseContactsFile(book, false, &error)) {
        std::fprintf(stderr, "callsvc ring: %s\n", error.c_str());
        return kExitFailure;
    }
    if (plan.window) {
        tmxhost::UseRealTime(true);
    }

    Module module;
    if (!module.Load(error)) {
        std::fprintf(stderr, "callsvc: %s\n", error.c_str());
        return kExitFailure;
    }
    const bool json = options.Has("--json");
    RoadHooks hooks;
    if (!json) {
        hooks.ringing = [](const RoadOutcome& outcome) {
            const example::Caller& caller = outcome.caller;
            std::printf("Call from %s: %s\n", caller.number.c_str(),
                        caller.found ? caller.displayName.c_str() : "not in the address book");
            std::printf(
                "Ringtone: %s%s%s\n\n", example::MediaName(outcome.media),
                outcome.media == example::RingMedia::kNone ? "" : " ",
                outcome.media == example::RingMedia::kNone ? "" : outcome.mediaPath.c_str());
        };
        hooks.event = [](const RoadEvent& event) {
            std::printf("%s\n", EventLine(event).c_str());
            std::fflush(stdout);
        };
    }
    RoadOutcome outcome;
    bool ok = RunRoad(plan, hooks, outcome);
    module.Unload();

    if (json) {
        std::printf("%s\n", ToJson(plan, outcome)
                                .dump(2, ' ', false, nlohmann::json::error_handler_t::replace)
                                .c_str());
    }
    for (const std::string& problem : outcome.problems) {
        std::fprintf(stderr, "callsvc ring: %s\n", problem.c_str());
    }
    return ok ? kExitOk : kExitFailure;
}

}  // namespace callsvc
