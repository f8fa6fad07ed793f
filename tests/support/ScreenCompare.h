// Screen tests: the host screen against a reference PNG kept under tests/screens.
#pragma once

#include <gtest/gtest.h>

#include <string>

// Compares the screen with tests/screens/NAME.png. A pixel matches when each 8-bit channel is
// within `tolerance`; the screens match when at most `allowedBad` pixels do not (font
// rasterisers differ a little between versions). The screen is written to screens/NAME.png in
// the working folder, and on a mismatch NAME_err.png beside it marks the differing pixels in red.
// With UPDATE_SCREENS=1 the reference is rewritten instead.
::testing::AssertionResult ScreenMatches(const std::string& name, int tolerance = 40,
                                         int allowedBad = 60);
