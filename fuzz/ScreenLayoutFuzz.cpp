// Call-screen layouts as `callsvc screen` reads them: a refused layout names its key; an accepted
// one is rendered through the widgets and taken down with nothing left alive. Images named by the
// inputs are looked up in the screen tests' data folder.
#include <algorithm>
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "ScreenLayout.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    HostRound round;
    callsvc::Layout layout;
    std::string error;
    if (!callsvc::ParseLayout(std::string(reinterpret_cast<const char*>(data), size),
                              SCREEN_FUZZ_IMAGES, layout, error)) {
        Check(!error.empty());
        return 0;
    }
    // Short rounds: a small screen and at most two seconds of animation.
    if (static_cast<long long>(layout.screenWidth) * layout.screenHeight > 480 * 640) {
        return 0;
    }
    layout.at = std::min(layout.at, 2000LL);
    bool shown = false;
    bool rendered = callsvc::RenderLayout(
        layout,
        [&shown](std::string&) {
            shown = true;
            return true;
        },
        error);
    Check(rendered == shown && (rendered || !error.empty()));
    // Widgets report rectangles the host refuses (off the window, empty); that is their answer to
    // such a layout, not a finding.
    tmxhost::TakeReports();
    Check(tmxhost::Windows().empty() && tmxhost::GCs().empty());
    Check(tmxhost::TextObjects() == 0 && tmxhost::Bitmaps().empty());
    Check(tmxhost::LiveBlocks().empty());
    return 0;
}
