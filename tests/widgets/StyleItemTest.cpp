// Style-item colours and opacities on GCs and windows, and the PNG to RGB565 conversion.
#include <fstream>

#include "CallCommonSvc/Tool/CallUCS.h"
#include "WidgetSupport.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using namespace widgets;

namespace {

const Strings kStyleCalls = {"WmSet", "WsGetStyleItemDerivativeColor"};

class StyleItemTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        const std::string path = tmxhost::DataRoot() + "/theme.json";
        std::ofstream(path) << R"({"name": "test", "items": [
            {"id": 4097, "color": "#FF8040", "opacity": 200},
            {"id": 4098, "color": "#123456", "opacity": 10},
            {"id": 4099, "color": "#FFFFFFFF"}]})";
        std::string error;
        ASSERT_TRUE(tmxhost::LoadTheme(path, &error)) << error;
    }
    // Setter calls without the colour queries.
    static Strings Settings() {
        Strings calls;
        for (const std::string& call : TakeCalls(kStyleCalls)) {
            if (call.rfind("WsGet", 0) != 0) {
                calls.push_back(call);
            }
        }
        return calls;
    }
};

// RGB565 keeps the top bits of each channel; -1 takes the item's own opacity, anything else
// is passed on as it is.
TEST_F(StyleItemTest, SettersConvertColourAndChooseOpacity) {
    const struct {
        int styleID, opacity;
        int rgb565, level;
    } cases[] = {{4097, -1, 0xFC08, 200}, {4098, 0, 0x11AA, 0}, {4099, 999, 0xFFFF, 999}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.styleID);
        tmxhost::ClearCalls();
        EXPECT_EQ(CallSetBgChangeableStyleItem(77, c.styleID, 0, 0, c.opacity), 1);
        EXPECT_EQ(CallSetWinFgChangeableStyleItem(hWin, c.styleID, 0, 0, c.opacity), 1);
        EXPECT_EQ(CallSetWinBgChangeableStyleItem(hWin, c.styleID, 0, 0, c.opacity), 1);
        EXPECT_EQ(Settings(),
                  (Strings{C("WmSetBgColor", 77, c.rgb565), C("WmSetBgOpacityLevel", 77, c.level),
                           C("WmSetWindowFgColor", hWin, c.rgb565),
                           C("WmSetWindowFgOpacityLevel", hWin, c.level),
                           C("WmSetWindowBgColor", hWin, c.rgb565),
                           C("WmSetWindowBgOpacityLevel", hWin, c.level)}));
    }
    // The replacement colour is the derived 32-bit colour, unconverted.
    EXPECT_EQ(CallSetPngChangeableStyleItem(77, 4097, 0, 0, -1), 1);
    EXPECT_EQ(CallSetWinPngChangeableStyleItem(hWin, 4098, 0, 0, 5), 1);
    EXPECT_EQ(Settings(), (Strings{C("WmSetReplacementColor", 77, 0xFFFF8040u),
                                   C("WmSetFgOpacityLevel", 77, 200),
                                   C("WmSetWindowReplacementColor", hWin, 0xFF123456u),
                                   C("WmSetWindowFgOpacityLevel", hWin, 5)}));
    EXPECT_EQ(CallGetColorChangeableStyleItem(4097, 0, 0), 0xFFFF8040u);
    EXPECT_EQ(TraceTexts(0x400E6).front(),
              "CallSetChangebleStyleItem : hGC = 77, styleID = 1001, method = 0,  value = 0, "
              "opacityLevel = -1\n");
}

// Only window setters check their target; a missing item reads as black.
TEST_F(StyleItemTest, RefusalsTouchNoTarget) {
    tmxhost::ClearCalls();
    EXPECT_EQ(CallSetWinFgChangeableStyleItem(-1, 4097, 0, 0, -1) +
                  CallSetWinBgChangeableStyleItem(-1, 4097, 0, 0, -1) +
                  CallSetWinPngChangeableStyleItem(-1, 4097, 0, 0, -1) +
                  CallSetWinFgChangeableStyleItem(hWin, 1, 0, 0, -1) +
                  CallSetBgChangeableStyleItem(77, 1, 0, 0, -1),
              0);
    EXPECT_THAT(TakeCalls(kStyleCalls), IsEmpty());
    EXPECT_THAT(TraceTexts(0xBA),
                ElementsAre("CallSetWinFgChangeableStyleItem: hWindow(-1)\n",
                            "CallSetWinBgChangeableStyleItem: hWindow(-1)\n",
                            "CallSetWinPngChangeableStyleItem: hWindow(-1)\n",
                            "CallSetWinFgChangeableStyleItem: can't get StyleSetItem\n",
                            "CallSetChangeableStyleItem: can't get StyleSetItem\n"));
    EXPECT_EQ(CallGetColorChangeableStyleItem(1, 0, 0), 0u);
    // An invalid GC is not checked: the platform is asked all the same.
    EXPECT_EQ(CallSetBgChangeableStyleItem(-1, 4097, 0, 0, -1), 1);
    EXPECT_EQ(Settings().size(), 2u);
    EXPECT_EQ(CallSetFgChangeableStyleItem(1, 2, 3, 4, 5), 1);
    EXPECT_THAT(TakeCalls({""}), IsEmpty());
}

// The output outlives the capture: its pixels are the caller's, freed with the platform heap.
TEST_F(StyleItemTest, PngConversionOwnsItsPixels) {
    Bitmap png(6, 4, 0x07E0);
    tagWMBITMAP out = {};
    EXPECT_EQ(CallUcsMakePngToRgb565(hWin, &png, &out), 1);
    EXPECT_EQ(out.rectW, 6);
    EXPECT_EQ(out.rectH, 4);
    EXPECT_EQ(out.nBitsPerPixel, 16);
    ASSERT_NE(out.pBits, nullptr);
    const std::uint16_t* pixels = static_cast<const std::uint16_t*>(out.pBits);
    for (int i = 0; i < 24; ++i) {
        EXPECT_EQ(pixels[i], 0x07E0) << i;
    }
    EXPECT_THAT(tmxhost::Bitmaps(), IsEmpty());
    EXPECT_THAT(tmxhost::GCs(), IsEmpty());
    MemFreeTraceMultiHeap(out.pBits, "test", 1);

    // Nothing captured: 1, and the output as it was.
    tmxhost::FailCall("_WmCaptureBitmap", 0);
    tagWMBITMAP untouched = {};
    untouched.rectW = 99;
    EXPECT_EQ(CallUcsMakePngToRgb565(hWin, &png, &untouched), 1);
    EXPECT_EQ(untouched.rectW, 99);
    EXPECT_EQ(untouched.pBits, nullptr);

    Bitmap noPixels(2, 2);
    noPixels.record.pBits = nullptr;
    EXPECT_EQ(CallUcsMakePngToRgb565(hWin, nullptr, &out) +
                  CallUcsMakePngToRgb565(hWin, &noPixels, &out) +
                  CallUcsMakePngToRgb565(hWin, &png, nullptr) +
                  CallUcsMakePngToRgb565(-1, &png, &out),
              0);
    ExpectReports({"pbmPngIn", "pbmPngIn->pBits", "pbmOut"});
    EXPECT_TRUE(tmxhost::HasTrace("CallUcsMakePngToRgb565: hWindow(-1)\n", 0xBA));
}

}  // namespace
