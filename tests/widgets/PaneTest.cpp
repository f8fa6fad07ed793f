// Text and bitmap panes: the calls of one Draw, the background strip, ownership of the GC.
#include <algorithm>
#include <cstring>

#include "CallCommonSvc/Tool/CallPane.h"
#include "WidgetSupport.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::StartsWith;
using namespace widgets;

namespace {

const Strings kPaintCalls = {"_WmTextCreate", "WmText", "WmDraw", "_WmShowGC", "__WmDeleteGC"};

class PaneTest : public WindowTest {
protected:
    static CallPaneText TextRecord(const std::string& text) {
        CallPaneText record = {};
        record.x = 2;
        record.y = 3;
        record.color = 0x07E0;
        record.font = 2;
        record.align = 0x201;
        const std::vector<unsigned short> w = Wide(text, CALL_PANE_TEXT_MAX);
        std::copy(w.begin(), w.end(), record.szText);
        return record;
    }

    tagWMRECT rect = {40, 100, 80, 20};
    Bitmap background{240, 320, 0x001F};
};

// The text object is set up in a fixed order before the strip is painted; the strip is taken at
// the pane's column, row 0, except for a text pane while phone status 31 reads 1 or 3. (The
// background record is handed on as a copy, so its address is not compared.)
TEST_F(PaneTest, DrawsInOrderOverTheBackgroundStrip) {
    for (const auto& [phs, srcX] : {std::pair{0, 40}, {1, 0}, {2, 40}, {3, 0}}) {
        SCOPED_TRACE(phs);
        tmxhost::SetPhoneStatus(31, phs);
        CallPaneText record = TextRecord("Anna");
        CCallPaneText pane(hWin, rect, &record);
        Bitmap photo(10, 10);
        CallPaneBitmap content = {5, 6, &photo};
        CCallPaneBitmap bitmapPane(hWin, rect, &content);
        const int gc = pane.GetGC(), bgc = bitmapPane.GetGC();
        pane.SetBgImage(&background);
        bitmapPane.SetBgImage(&background);
        tmxhost::ClearCalls();
        EXPECT_EQ(pane.Draw() + bitmapPane.Draw(), 2);
        const Strings calls = NoPointers(TakeCalls(kPaintCalls));
        ASSERT_EQ(calls.size(), 11u);
        EXPECT_THAT(calls[0], StartsWith("_WmTextCreate("));
        const std::string h = calls[1].substr(21, calls[1].find(',') - 21);
        EXPECT_EQ(Strings(calls.begin() + 1, calls.end()),
                  (Strings{C("WmTextSetFontFgColor", h, 0x07E0), C("WmTextSetFont", h, 2),
                           C("WmTextSetWrap", h, 2), C("WmTextSetAlign", h, 0x201),
                           C("WmTextSetAction", h, 1),
                           C("WmDrawSubBitmap", gc, 0, 0, "P", srcX, 0, 80, 20),
                           C("WmTextDisplay", gc, 2, 3, 80, 20, h), C("WmTextDestroy", h),
                           C("WmDrawSubBitmap", bgc, 0, 0, "P", 40, 0, 80, 20),
                           C("WmDrawBitmap", bgc, 5, 6, "P")}));
    }
    EXPECT_EQ(tmxhost::TextObjects(), 0);
}

// Without a background only the content is drawn, and each draw says so on the failure channel.
TEST_F(PaneTest, FailedAndPartialDrawsReturnTheirCodes) {
    CallPaneText record = TextRecord("Bo");
    CCallPaneText text(hWin, rect, &record);
    EXPECT_EQ(text.Draw(), 1);
    EXPECT_EQ(text.Draw(), 1);
    const Strings failures = TraceTexts(0xBA);
    EXPECT_EQ(
        std::count(failures.begin(), failures.end(), "CCallPane::GetBgImage: m_pbmBG is NULL\n"),
        2);

    // An empty text paints nothing at all, not even the background.
    CallPaneText empty = TextRecord("");
    CCallPaneText emptyPane(hWin, rect, &empty);
    emptyPane.SetBgImage(&background);
    tmxhost::ClearCalls();
    tmxhost::TakeTraces();
    EXPECT_EQ(emptyPane.Draw(), -1);
    EXPECT_EQ(emptyPane.DrawShow(), 1);
    EXPECT_THAT(TakeCalls(kPaintCalls), ElementsAre(C("_WmShowGC", emptyPane.GetGC(), 1)));
    EXPECT_THAT(TraceTexts(0xBA), ElementsAre("CCallPaneText::Draw: nStrLen == 0\n",
                                              "CCallPaneText::Draw: nStrLen == 0\n"));

    // A pane made without a record has no GC.
    CCallPaneText bare;
    CCallPaneBitmap bareBitmap;
    EXPECT_EQ(bare.Draw(), 0);
    EXPECT_EQ(bareBitmap.Draw(), -1);
    EXPECT_TRUE(
        tmxhost::HasTrace("CCallPaneBitmap::Draw: m_Bitmap.pBitmap == NULL m_hGC (-1)\n", 0xBA));
}

// SetValue changes only the text; a text that fills all 128 units is drawn whole, no further.
TEST_F(PaneTest, SetValueTakesOnlyTheTextAndStaysWithinIt) {
    CallPaneText record = TextRecord("old");
    CCallPaneText pane(hWin, rect, &record);
    CallPaneObj value = {};
    value.text = TextRecord("new");
    value.text.x = 50;
    value.text.color = 0xFFFF;
    value.text.font = 4;
    EXPECT_EQ(pane.SetValue(value), 1);
    const std::string gc = std::to_string(pane.GetGC());
    tmxhost::ClearCalls();
    pane.Draw();
    Strings calls = TakeCalls(kPaintCalls);
    EXPECT_THAT(Starting(calls, "WmTextDisplay(" + gc + ", 2, 3, 80, 20,").size(), 1u);
    EXPECT_THAT(calls[1], ::testing::EndsWith(", 2016)"));  // the colour of the first record
    EXPECT_THAT(calls[2], ::testing::EndsWith(", 2)"));     // and its font

    std::vector<unsigned short> full(CALL_PANE_TEXT_MAX + 8, 'x');
    EXPECT_EQ(pane.SetValue(full.data()), 1);
    pane.Draw();
    calls = TakeCalls({"_WmTextCreate"});
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_NE(calls[0].find(", 128, 1"), std::string::npos) << calls[0];

    // The wrapped text stays inside the pane's rectangle {40, 100, 80, 20} on the screen.
    pane.Show();
    int inside = 0;
    for (int y = 0; y < 320; ++y) {
        for (int x = 0; x < 240; ++x) {
            const bool in = x >= 40 && x < 120 && y >= 100 && y < 120;
            inside += in && tmxhost::ScreenPixel(x, y) != 0;
            ASSERT_TRUE(in || tmxhost::ScreenPixel(x, y) == 0) << x << "," << y;
        }
    }
    EXPECT_GT(inside, 0);
}

// Each pane deletes its own GC once; an invalid parent is reported and the GC still asked for.
TEST_F(PaneTest, PaneOwnsExactlyTheGCItMade) {
    {
        CallPaneText record = TextRecord("x");
        CCallPaneText pane(hWin, rect, &record);
        CCallPaneText bare;
        EXPECT_EQ(tmxhost::GCs().size(), 1u);
        tmxhost::ClearCalls();
    }
    EXPECT_THAT(Names(TakeCalls({"__WmDeleteGC"})), ElementsAre("__WmDeleteGC"));
    EXPECT_THAT(tmxhost::GCs(), IsEmpty());

    CallPaneText record = TextRecord("x");
    CCallPaneText orphan(12345, rect, &record);
    int hParent = 0;
    tagWMRECT got = {1, 1, 1, 1};
    orphan.GetParentWindow(hParent);
    orphan.GetGect(got);
    EXPECT_EQ(hParent, -1);
    EXPECT_EQ(got.w, 0);
    EXPECT_THAT(Names(TakeCalls({"__WmCreateWindowSubGC"})), ElementsAre("__WmCreateWindowSubGC"));
    ExpectReports({"WmIsWindowValid(hWinParent)", "m_hGC != INVALID_HOBJ"});

    CCallPaneText noText(hWin, rect, nullptr);
    CCallPaneBitmap noBitmap(hWin, rect, nullptr);
    EXPECT_EQ(noText.SetBgImage(nullptr), 0);
    ExpectReports({"pText != NULL", "pBitmap != NULL", "pBitmap != NULL"});
    EXPECT_EQ(noText.GetGC(), -1);
    EXPECT_EQ(noBitmap.GetGC(), -1);
}

// The panes' virtual operations keep their slots (Itanium ABI: a virtual member pointer holds
// 1 + the slot's byte offset; the destructor takes two slots).
TEST(PaneLayout, VirtualSlotsKeepTheirOrder) {
    auto slot = [](auto member) {
        std::uintptr_t raw;
        std::memcpy(&raw, &member, sizeof(raw));
        return static_cast<int>((raw - 1) / sizeof(void*));
    };
    EXPECT_EQ(slot(&CCallPane::Draw), 2);
    EXPECT_EQ(slot(&CCallPane::Show), 3);
    EXPECT_EQ(slot(&CCallPane::GetParentWindow), 4);
    EXPECT_EQ(slot(&CCallPane::GetGect), 5);
    EXPECT_EQ(slot(&CCallPane::SetBgImage), 6);
    EXPECT_EQ(slot(&CCallPane::GetBgImage), 7);
    EXPECT_EQ(slot(&CCallPane::DrawShow), 8);
    EXPECT_EQ(slot(static_cast<int (CCallPaneText::*)(CallPaneObj&)>(&CCallPaneText::SetValue)), 9);
    EXPECT_EQ(
        slot(static_cast<int (CCallPaneText::*)(const unsigned short*)>(&CCallPaneText::SetValue)),
        10);
    EXPECT_EQ(slot(&CCallPaneText::GetGC), 11);
    EXPECT_EQ(slot(&CCallPaneBitmap::GetGC), 10);
    EXPECT_EQ(slot(static_cast<int (CCallPaneList::*)(const char*)>(&CCallPaneList::DrawShow)), 5);
}

}  // namespace
