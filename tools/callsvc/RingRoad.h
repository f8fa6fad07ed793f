// The incoming call from ring to release through the example application, shared by
// `callsvc ring` and `callsvc demo`, and the timeline of what the host platform saw meanwhile.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ExampleCallApp.h"

namespace callsvc {

struct RoadPlan {
    std::string number;
    // The ringtone given on the command line; kNone: the caller's ringtone file when it is a
    // video or a Flash file.
    example::RingMedia media = example::RingMedia::kNone;
    std::string mediaPath;
    int alertType = 2;                     // NV item 17
    int ringVolume = 64;                   // NV item 18
    std::optional<std::string> vibration;  // else the caller's, else the phone's default
    long long answerAfter = 8000;          // negative: not answered
    std::string dtmf;                      // sent once the call is answered
    long long releaseAt = 20000;
    std::string screens;  // folder for NNNNNN-EVENT.png, empty for none
    bool window = false;  // real time in the live window, keys answer and end the call
};

// One thing the platform saw, at `t` ms from the incoming call.
struct RoadEvent {
    long long t = 0;
    std::string name;
    int level = 0;   // "volume"
    char digit = 0;  // "dtmf"
};

// Points of the call where the demo shows more; each is optional.
struct RoadOutcome;
struct RoadHooks {
    std::function<void(const RoadOutcome&)> ringing;  // caller known, ring started
    std::function<void()> answered;                   // the audio path is open
    std::function<void(int hCall)> dtmfStarted;
    std::function<void()> dtmfStopped;
    std::function<void(const RoadEvent&)> event;  // as each event is seen
    std::function<void(const std::string& path)> screenWritten;
};

struct RoadOutcome {
    example::Caller caller;
    example::RingMedia media = example::RingMedia::kNone;
    std::string mediaPath;
    std::vector<RoadEvent> events;
    std::vector<std::string> problems;  // what did not go as planned
};

// Runs the call with the library loaded: ring at 0, answer, DTMF, release. True when every step
// did what it should.
bool RunRoad(const RoadPlan& plan, const RoadHooks& hooks, RoadOutcome& outcome);

// "  1200 ms  volume 16"
std::string EventLine(const RoadEvent& event);

}  // namespace callsvc
