// Compares a rendered screen (a PNG file) with a reference PNG kept beside the tests, within a
// per-pixel tolerance. On a mismatch it writes NAME_err.png beside the rendered file: differing
// pixels in red over a dimmed copy of the rendering. With UPDATE_SCREENS=1 in the environment it
// rewrites the reference from the rendering instead.
#pragma once

#include <gtest/gtest.h>

#include <string>

namespace screens {

struct Tolerance {
    int channel = 32;           // largest difference of one 8-bit channel that still matches
    int shift = 1;              // pixels a glyph edge may have moved (FreeType versions differ)
    double pixelShare = 0.001;  // share of pixels that may still differ
};

// Folder of the references and the test images.
std::string ReferenceDir();
std::string DataDir();
// Folder the screen tests write their renderings to ($CALLSVC_SCREENS_OUT, else screens/ in
// the build folder).
std::string OutputDir();

// `rendered` is a PNG file; the reference is ReferenceDir()/NAME.png.
::testing::AssertionResult MatchesReference(const std::string& name, const std::string& rendered,
                                            Tolerance tolerance = {});

}  // namespace screens
