// callsvc: runs the call common service on the host platform.
#include <cstdio>
#include <cstring>

#include "CallCommonSvc/H/CallCommonSvc.h"
#include "Commands.h"
#include "Options.h"
#include "TmxHost.h"

namespace {

const char kUsage[] =
    "usage: callsvc COMMAND [options]\n"
    "\n"
    "Runs the call common service on the host platform.\n"
    "\n"
    "commands:\n"
    "  demo        the library at work: settings file, timers, an incoming call rung with a\n"
    "              video, answered, DTMF, audio path, effect sound (the default)\n"
    "  ring        ring the phone: an incoming call from NUMBER to release, as a timeline\n"
    "  settings    list, get or set the call settings (CallReg.ini)\n"
    "  dial        analyse a dialled string: emergency, SS code, number, DTMF, identity\n"
    "  contacts    import, generate or look up the address book (caller identification)\n"
    "  screen      render a call screen described in JSON through the library's widgets\n"
    "  video       write the first or last frame the video caller ID grabs from a video\n"
    "  image       size, frames and Flash check of an image file; its fitted bitmap as PNG\n"
    "\n"
    "Every command takes --data DIR, --trace CHANNELS and --help;\n"
    "'callsvc COMMAND --help' tells more.\n"
    "\n"
    "options:\n"
    "  --help      this text\n"
    "  --version   the version of the program and its library\n";

// Whether the command line asks for trace lines; without them nobody reads the host's records.
bool WantsTraces(int argc, char** argv) {
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "--") == 0) {
            return false;
        }
        if (std::strcmp(argv[i], "--trace") == 0) {
            return true;
        }
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    tmxhost::Reset();
    if (!WantsTraces(argc, argv)) {
        tmxhost::SetRecording(tmxhost::kRecordNothing);
    }
    const char* command = argc > 1 ? argv[1] : "demo";
    if (std::strcmp(command, "--help") == 0 || std::strcmp(command, "-h") == 0 ||
        std::strcmp(command, "help") == 0) {
        std::fputs(kUsage, stdout);
        return callsvc::kExitOk;
    }
    if (std::strcmp(command, "--version") == 0) {
        std::printf("callsvc %s\n", CALLCOMMONSVC_VERSION_STRING);
        return callsvc::kExitOk;
    }
    if (std::strcmp(command, "demo") == 0) {
        return callsvc::RunDemo(argc, argv, 2);
    }
    if (std::strcmp(command, "dial") == 0) {
        return callsvc::RunDial(argc, argv, 2);
    }
    if (std::strcmp(command, "contacts") == 0) {
        return callsvc::RunContacts(argc, argv, 2);
    }
    if (std::strcmp(command, "screen") == 0) {
        return callsvc::RunScreen(argc, argv, 2);
    }
    if (std::strcmp(command, "ring") == 0) {
        return callsvc::RunRing(argc, argv, 2);
    }
    if (std::strcmp(command, "video") == 0) {
        return callsvc::RunVideo(argc, argv, 2);
    }
    if (std::strcmp(command, "image") == 0) {
        return callsvc::RunImage(argc, argv, 2);
    }
    if (std::strcmp(command, "settings") == 0) {
        return callsvc::RunSettings(argc, argv, 2);
    }
    std::fprintf(stderr, "callsvc: unknown command '%s'\n\n%s", command, kUsage);
    return callsvc::kExitUsage;
}
