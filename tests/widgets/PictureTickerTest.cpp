// Framed pictures and tickers: geometry, the animation on the host clock, the handle table.
#include <cstring>

#include "CallCommonSvc/Tool/CallPicture.h"
#include "CallCommonSvc/Tool/CallTickerImpl.h"
#include "WidgetSupport.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using namespace widgets;

namespace {

using PictureTest = WindowTest;
using TickerTest = WindowTest;

// The GC is the box grown by 3; the bitmap is centred (halves truncated one by one) with frames
// 1 and 3 pixels outside it, frame first. A bitmap wider than the box starts left of the GC.
TEST_F(PictureTest, FrameAndBitmapGeometry) {
    // box width, bitmap width and height, then where the bitmap lands
    const int cases[][5] = {
        {50, 50, 40, 3, 3}, {50, 20, 10, 18, 18}, {51, 51, 40, 3, 3}, {50, 70, 40, -7, 3}};
    for (const auto& [boxW, w, h, x, y] : cases) {
        Bitmap bmp(w, h);
        CCallPicture* pPicture = new CCallPicture;
        EXPECT_EQ(pPicture->Create(hWin, 10, 20, boxW, 40, &bmp), 1);
        ASSERT_EQ(tmxhost::GCs().size(), 1u);
        const tmxhost::GCView gc = tmxhost::GCs()[0];
        EXPECT_THAT((std::vector<int>{gc.x, gc.y, gc.width, gc.height}),
                    ElementsAre(7, 17, boxW + 6, 46));
        tmxhost::ClearCalls();
        EXPECT_EQ(pPicture->Draw(), 1);
        EXPECT_THAT(TakeCalls({"WmDrawRect", "WmDrawBitmap", "WmClearGC"}),
                    ElementsAre(C("WmDrawRect", gc.handle, x - 1, y - 1, w + 2, h + 2),
                                C("WmDrawRect", gc.handle, x - 3, y - 3, w + 6, h + 6),
                                C("WmDrawBitmap", gc.handle, x, y, Ptr(&bmp))));
        EXPECT_EQ(pPicture->Destroy(), 1);
        EXPECT_THAT(tmxhost::GCs(), IsEmpty());
    }
}

// On the screen: frame lines exactly on the two rectangles, the gap between them untouched,
// nothing outside the GC changed.
TEST_F(PictureTest, FrameLinesOnTheScreen) {
    Bitmap bmp(20, 10, 0xF800);
    CCallPicture picture;
    picture.Create(hWin, 10, 20, 50, 40, &bmp);
    EXPECT_EQ(picture.DrawShow(), 1);
    // GC at (7, 17); bitmap at GC (18, 18) = screen (25, 35), 20 x 10.
    auto at = [](int x, int y) { return tmxhost::ScreenPixel(7 + x, 17 + y); };
    for (int x = 15; x < 15 + 26; ++x) {
        EXPECT_EQ(at(x, 15), 0xFFFF) << x;  // outer top
        EXPECT_EQ(at(x, 30), 0xFFFF) << x;  // outer bottom
    }
    for (int x = 17; x < 17 + 22; ++x) {
        EXPECT_EQ(at(x, 17), 0xFFFF) << x;  // inner top
        EXPECT_EQ(at(x, 28), 0xFFFF) << x;  // inner bottom
    }
    EXPECT_EQ(at(16, 20), 0x0000);  // between the frames
    EXPECT_EQ(at(18, 18), 0xF800);
    EXPECT_EQ(at(37, 27), 0xF800);
    for (int y = 0; y < 320; ++y) {
        for (int x = 0; x < 240; ++x) {
            if (x < 7 || x >= 63 || y < 17 || y >= 63) {
                ASSERT_EQ(tmxhost::ScreenPixel(x, y), 0) << x << "," << y;
            }
        }
    }
}

TEST_F(PictureTest, NothingToDrawAndGCReplacement) {
    CCallPicture picture;
    EXPECT_EQ(picture.Draw(), 0);
    EXPECT_EQ(picture.Create(hWin, 0, 0, 10, 10, nullptr), 1);
    tmxhost::ClearCalls();
    EXPECT_EQ(picture.Draw(), 1);
    EXPECT_THAT(TakeCalls({"WmDrawRect", "WmDrawBitmap"}), IsEmpty());
    Bitmap bmp(4, 4);
    EXPECT_EQ(picture.SetBitmap(&bmp), 1);
    EXPECT_EQ(picture.SetBitmap(nullptr), 0);
    EXPECT_EQ(picture.Draw(), 1);
    EXPECT_THAT(TakeCalls({"WmDrawBitmap"}).size(), 1u);
    // A second Create replaces the GC; the first is released.
    tagWMRECT rect = {20, 20, 30, 30};
    EXPECT_EQ(picture.Create(hWin, rect, &bmp), 1);
    EXPECT_EQ(tmxhost::GCs().size(), 1u);
    EXPECT_EQ(picture.DrawFrame(-1, 0, 0, 1, 1), 0);
    ExpectReports({"pBitmap != NULL", "hGC != INVALID_HOBJ"});
    // The window goes away under the picture.
    CCallPicture orphan;
    const int hOther = tmxhost::CreateWindow(0, 0, 50, 50);
    orphan.Create(hOther, 5, 5, 10, 10, &bmp);
    tmxhost::DestroyWindow(hOther);
    EXPECT_EQ(orphan.Draw(), 0);
    ExpectReports({"WmIsWindowValid(m_hWinParent)"});
}

// A ticker content with three frames over a background at (0, 0).
struct Content {
    Content() : info() {
        info.bmBackground = {0, 0, &background};
        info.aniObj = {4, 4, 3, 100, {&f0, &f1, &f2}};
    }
    Bitmap background{240, 40, 0x001F}, f0{8, 8, 0x1111}, f1{8, 8, 0x2222}, f2{8, 8, 0x3333};
    CallTickerInfo info;
};

// The frames drawn by Draw and on each tick, as indices into `frames`.
std::vector<int> FramesDrawn(const Strings& calls, const std::vector<const void*>& frames) {
    std::vector<int> drawn;
    for (const std::string& call : calls) {
        for (std::size_t i = 0; i < frames.size(); ++i) {
            if (call.find(Ptr(frames[i]) + ")") != std::string::npos) {
                drawn.push_back(static_cast<int>(i));
            }
        }
    }
    return drawn;
}

TEST_F(TickerTest, AnimationAdvancesOneFramePerPeriod) {
    Content content;
    tagWMRECT rect = {0, 280, 240, 40};
    const int h = CallCreateTicker(hWin, &rect);
    ASSERT_NE(h, -1);
    EXPECT_EQ(CallDrawTicker(h, &content.info), 1);
    tmxhost::Advance(350);
    const Strings calls = TakeCalls({"WmDrawBitmap", "WmDrawSubBitmap", "_WmShowGC"});
    EXPECT_EQ(FramesDrawn(calls, {&content.f0, &content.f1, &content.f2}),
              (std::vector<int>{0, 1, 2, 0}));
    // Each tick restores the background under the frame, draws it and shows the ticker.
    const std::string hs = std::to_string(h);
    EXPECT_EQ(Strings(calls.end() - 3, calls.end()),
              (Strings{C("WmDrawSubBitmap", hs, 4, 4, Ptr(&content.background), 4, 4, 8, 8),
                       C("WmDrawBitmap", hs, 4, 4, Ptr(&content.f0)), C("_WmShowGC", hs, 1)}));
    EXPECT_EQ(CallDestroyTicker(h), 1);
    EXPECT_THAT(tmxhost::Timers(), IsEmpty());
}

// Counts beyond the record's three items use those three; no frames means no timer; without a
// background a tick draws the frame without restoring.
TEST_F(TickerTest, OutOfRangeCountsAndMissingBackground) {
    Content content;
    content.info.aniObj.nFrameCount = 5;
    content.info.nTextCount = 9;
    for (CallTickerText& text : content.info.txtObj) {
        std::fill(std::begin(text.szText), std::end(text.szText), 'w');  // no terminator
        text.rect = {40, 0, 200, 40};
    }
    tagWMRECT rect = {0, 280, 240, 40};
    const int h = CallCreateTicker(hWin, &rect);
    CallDrawTicker(h, &content.info);
    tmxhost::Advance(500);
    const Strings calls =
        TakeCalls({"WmDrawBitmap", "_WmTextCreate", "WmTextSetAlign", "WmTextSetWrap"});
    EXPECT_EQ(FramesDrawn(calls, {&content.f0, &content.f1, &content.f2}),
              (std::vector<int>{0, 1, 2, 0, 1, 2}));
    EXPECT_EQ(Starting(calls, "_WmTextCreate(").size(), 3u);
    for (const std::string& create : Starting(calls, "_WmTextCreate(")) {
        EXPECT_NE(create.find(", 256, 1"), std::string::npos) << create;
    }
    EXPECT_EQ(Starting(calls, "WmTextSetAlign(").size(), 3u);
    EXPECT_THAT(Starting(calls, "WmTextSetAlign(")[0], ::testing::EndsWith(", 513)"));
    EXPECT_THAT(Starting(calls, "WmTextSetWrap(")[0], ::testing::EndsWith(", 2)"));

    content.info.bmBackground.pBitmap = nullptr;
    content.info.nTextCount = 0;
    CallDrawTicker(h, &content.info);
    tmxhost::ClearCalls();
    tmxhost::Advance(100);
    EXPECT_THAT(Names(TakeCalls({"WmDrawSubBitmap", "WmDrawBitmap"})), ElementsAre("WmDrawBitmap"));

    content.info.aniObj.nFrameCount = 0;
    const int h2 = CallCreateTicker(hWin, &rect);
    CallDrawTicker(h2, &content.info);
    EXPECT_EQ(tmxhost::Timers().size(), 1u);  // only the first ticker's
    CallDestroyTicker(h2);
    CallDestroyTicker(h);
}

// Five tickers at most; a sixth is refused and leaves nothing behind; a freed item is reused.
TEST_F(TickerTest, HandleTableHoldsFive) {
    tagWMRECT rect = {0, 0, 240, 320};
    std::vector<int> handles;
    for (int i = 0; i < 5; ++i) {
        handles.push_back(CallCreateTicker(hWin, &rect));
        EXPECT_NE(handles.back(), -1);
    }
    EXPECT_EQ(CallCreateTicker(hWin, &rect), -1);
    EXPECT_TRUE(tmxhost::HasTrace("CCallTicker::AddMapItem: Slot is full\n", 0xBA));
    EXPECT_EQ(tmxhost::GCs().size(), 5u);
    for (int h : handles) {
        EXPECT_EQ(CallShowTicker(h), 1);
    }
    EXPECT_EQ(CallDestroyTicker(handles[2]), 1);
    const int again = CallCreateTicker(hWin, &rect);
    EXPECT_NE(again, -1);
    handles[2] = again;
    for (int h : handles) {
        EXPECT_EQ(CallDestroyTicker(h), 1);
    }
    EXPECT_EQ(CallDestroyTicker(handles[0]) + CallShowTicker(-1) + CallDrawTicker(12345, nullptr),
              0);
    ExpectReports({"pItem != NULL", "hTicker != INVALID_HOBJ", "pItem != NULL", "pItem != NULL"});
    EXPECT_TRUE(tmxhost::HasTrace(
        "CCallTicker::FindItem: Does not found hTicker (" + std::to_string(handles[0]) + ")\n",
        0xBA));
}

// A ticker as large as the screen is accepted, one pixel more is not; the overlay mode follows
// phone status 31.
TEST_F(TickerTest, CreateChecksSizeAndSetsOverlay) {
    const struct {
        int w, h, phs;
        bool made;
        int mode;
    } cases[] = {{240, 320, 1, true, 1},
                 {240, 320, 0, true, 2},
                 {240, 320, 3, true, 2},
                 {241, 320, 0, false, 0},
                 {240, 321, 0, false, 0}};
    for (const auto& c : cases) {
        tmxhost::SetPhoneStatus(31, c.phs);
        tagWMRECT rect = {0, 0, c.w, c.h};
        const int h = CallCreateTicker(hWin, &rect);
        EXPECT_EQ(h != -1, c.made);
        if (c.made) {
            ASSERT_EQ(tmxhost::GCs().size(), 1u);
            EXPECT_EQ(tmxhost::GCs()[0].overlayMode, c.mode);
            EXPECT_EQ(tmxhost::GCs()[0].kind, "sub-memory");
            CallDestroyTicker(h);
        } else {
            EXPECT_THAT(TakeReportDetails(),
                        ElementsAre("( pRect->w <= (int)SysGetLcdWidth(SCREEN_MAIN) ) && ( "
                                    "pRect->h <= (int)SysGetLcdHeight(SCREEN_MAIN) ) | "
                                    "CCallTickerImpl::Create (240, 320)",
                                    "hTicker != INVALID_HOBJ"));
        }
    }
    EXPECT_EQ(CallCreateTicker(hWin, nullptr) + CallCreateTicker(-1, nullptr), -2);
    ExpectReports({"pRect != NULL", "hTicker != INVALID_HOBJ", "hWin != INVALID_HOBJ",
                   "hTicker != INVALID_HOBJ"});
    tmxhost::FailCall("__WmCreateWindowSubMemGC", -1);
    tagWMRECT rect = {0, 0, 10, 10};
    EXPECT_EQ(CallCreateTicker(hWin, &rect), -1);
    ExpectReports({"hTicker != INVALID_HOBJ"});
    EXPECT_TRUE(tmxhost::HasTrace(
        "CCallTickerImpl::Create: m_hTicker m_hTicker == INVALID_HOBJ!!\n", 0xBA));
}

}  // namespace
