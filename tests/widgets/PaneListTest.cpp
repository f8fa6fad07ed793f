// Pane lists: building from records, name order, replacing panes, and what the list owns.
#include <algorithm>
#include <cstring>

#include "CallCommonSvc/Tool/CallPane.h"
#include "WidgetSupport.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using namespace widgets;

namespace {

class PaneListTest : public WindowTest {
protected:
    // A text pane record named `id`, a row of 20 pixels at `row`.
    static CallPaneInfo TextInfo(const std::string& id, int row, const std::string& text = "t") {
        CallPaneInfo info = {};
        std::memcpy(info.szPaneID, id.c_str(), std::min(id.size(), sizeof(info.szPaneID)));
        info.iObjType = CALL_PANE_TYPE_TEXT;
        info.rect = {0, row, 240, 20};
        const std::vector<unsigned short> w = Wide(text, CALL_PANE_TEXT_MAX);
        std::copy(w.begin(), w.end(), info.obj.text.szText);
        return info;
    }
    CallPaneInfo BitmapInfo(const std::string& id, int row) {
        CallPaneInfo info = TextInfo(id, row);
        info.iObjType = CALL_PANE_TYPE_BITMAP;
        info.obj.bitmap = {0, 0, &photo};
        return info;
    }
    // The GC of each pane, in the order the list drew them.
    static Strings DrawnGCs() {
        Strings gcs;
        for (const std::string& call : TakeCalls({"WmTextDisplay", "WmDrawBitmap"})) {
            gcs.push_back(call.substr(call.find('(') + 1, call.find(',') - call.find('(') - 1));
        }
        return gcs;
    }
    static std::string PaneGC(int row) {
        for (const tmxhost::GCView& gc : tmxhost::GCs()) {
            if (gc.kind == "window-sub" && gc.y == row) {
                return std::to_string(gc.handle);
            }
        }
        return "none";
    }

    tagWMRECT area = {0, 0, 240, 200};
    Bitmap photo{16, 16};
    Bitmap background{240, 200, 0x001F};
};

// Panes are walked by name in byte order whatever the record order; "B" and "b" are two panes.
TEST_F(PaneListTest, DrawsBackgroundThenPanesInNameOrder) {
    CallPaneInfo infos[] = {TextInfo("b", 20), BitmapInfo("a", 0), TextInfo("c", 40),
                            TextInfo("B", 60)};
    CCallPaneList* pList = new CCallPaneList;
    EXPECT_EQ(pList->Create(hWin, area, infos, 4), 1);
    EXPECT_EQ(pList->SetBgImage(&background), 1);
    const Strings names = {PaneGC(60), PaneGC(0), PaneGC(20), PaneGC(40)};  // B a b c
    std::string listGC;
    for (const tmxhost::GCView& gc : tmxhost::GCs()) {
        if (gc.kind == "client-sub") {
            listGC = std::to_string(gc.handle);
        }
    }
    tmxhost::ClearCalls();
    EXPECT_EQ(pList->DrawShow(), 1);
    EXPECT_EQ(DrawnGCs(), (Strings{listGC, names[0], names[1], names[2], names[3]}));
    // Every pane painted its strip of the shared background before its content.
    tmxhost::ClearCalls();
    pList->Draw();
    EXPECT_EQ(TakeCalls({"WmDrawSubBitmap"}).size(), 4u);

    // One pane by name: only that pane is drawn, and the list's GC is what is shown.
    EXPECT_EQ(pList->DrawShow("c"), 1);
    EXPECT_THAT(TakeCalls({"WmTextDisplay", "WmDrawBitmap", "_WmShowGC"}),
                ElementsAre(::testing::StartsWith("WmTextDisplay(" + names[3] + ","),
                            C("_WmShowGC", listGC, 1)));
    EXPECT_EQ(pList->Destroy(), 1);
    EXPECT_THAT(tmxhost::GCs(), IsEmpty());
}

// At most five records; a bad kind is skipped and the records after it are still made.
TEST_F(PaneListTest, CreateChecksCountAndKind) {
    CallPaneInfo infos[6] = {TextInfo("a", 0),  TextInfo("b", 20), TextInfo("c", 40),
                             TextInfo("d", 60), TextInfo("e", 80), TextInfo("f", 100)};
    {
        CCallPaneList list;
        tmxhost::ClearCalls();
        EXPECT_EQ(list.Create(hWin, area, infos, 6), 0);
        ExpectReports({"nPaneCnt < CALL_PANE_INDEX_MAX"});
        EXPECT_THAT(tmxhost::GCs(), IsEmpty());
        EXPECT_EQ(list.Create(hWin, area, infos, 5), 1);
        EXPECT_EQ(tmxhost::GCs().size(), 6u);
    }
    {
        CCallPaneList list;
        EXPECT_EQ(list.Create(hWin, area, infos, 0), 1);
        EXPECT_EQ(tmxhost::GCs().size(), 1u);
        EXPECT_EQ(list.Draw(), -1);
        infos[1].iObjType = 2;
        EXPECT_EQ(list.Create(hWin, area, infos, 3), 1);
        EXPECT_THAT(
            TakeReportDetails(),
            ElementsAre("NEVER_GET_HERE | CCallPaneList::Create: paneInfo[1].iObjType (2)"));
        EXPECT_EQ(list.Draw("a") + list.Draw("c"), 2);
        EXPECT_EQ(list.Draw("b"), -1);
        EXPECT_THAT(TraceTexts(0xBA),
                    ::testing::Contains(
                        "CCallPaneList::SetPaneInfo: m_mapPane doesn't have an element (b)\n"));
    }
    // The int-coordinate forms answer 1 even for a window that does not exist.
    CCallPaneList list;
    EXPECT_EQ(list.Create(999999, 0, 0, 10, 10, infos, 1), 1);
    EXPECT_EQ(list.Create(999999, 0, 0, 10, 10, infos[0]), 1);
    ExpectReports({"WmIsWindowValid(hWinParent)", "WmIsWindowValid(hWinParent)"});
    EXPECT_EQ(list.Create(hWin, area, nullptr, 2), 0);
    ExpectReports({"pInfo != NULL"});
}

// Replaced panes and their GCs are released at once; keys are kept, nothing leaks.
TEST_F(PaneListTest, RecreatingAndDuplicateNamesLeaveNoOrphans) {
    CCallPaneList list;
    CallPaneInfo first[] = {TextInfo("a", 0), TextInfo("a", 20), TextInfo("b", 40)};
    EXPECT_EQ(list.Create(hWin, area, first, 3), 1);
    // Two names, so two panes and the list GC.
    EXPECT_EQ(tmxhost::GCs().size(), 3u);
    CallPaneInfo second[] = {BitmapInfo("a", 100), TextInfo("b", 120)};
    EXPECT_EQ(list.Create(hWin, area, second, 2), 1);
    EXPECT_EQ(tmxhost::GCs().size(), 3u);
    tmxhost::ClearCalls();
    EXPECT_EQ(list.Draw("a"), 1);
    EXPECT_THAT(Names(TakeCalls({"WmDrawBitmap", "WmTextDisplay"})), ElementsAre("WmDrawBitmap"));
    // The single form replaces the list GC of an earlier Create too.
    EXPECT_EQ(list.Create(hWin, area, second[1]), 1);
    EXPECT_EQ(tmxhost::GCs().size(), 3u);
}

// A refused key costs the pane made for it, and Create stops there.
TEST_F(PaneListTest, KeyRefusedDropsItsPane) {
    CCallPaneList list;
    CallPaneInfo infos[] = {TextInfo("a", 0), TextInfo("b", 20)};
    tmxhost::FailCall("MemAllocTraceEx", 0, 2);  // the first pane, then its key
    EXPECT_EQ(list.Create(hWin, area, infos, 2), 0);
    ExpectReports({"pszPaneID != NULL"});
    EXPECT_EQ(tmxhost::GCs().size(), 1u);
    EXPECT_EQ(list.Draw(), -1);
}

// SetPaneInfo swaps a pane for a new one; an unknown kind leaves the old pane in place.
TEST_F(PaneListTest, SetPaneInfoAndSetPaneValueByName) {
    CCallPaneList list;
    CallPaneInfo infos[] = {TextInfo("name", 0, "Anna")};
    list.Create(hWin, area, infos, 1);

    CallPaneInfo bad = BitmapInfo("name", 0);
    bad.iObjType = 7;
    EXPECT_EQ(list.SetPaneInfo(bad), 1);
    EXPECT_THAT(TakeReportDetails(),
                ElementsAre("NEVER_GET_HERE | CCallPaneList::SetPaneInfo: paneInfo.iObjType (7)"));
    tmxhost::ClearCalls();
    EXPECT_EQ(list.Draw("name"), 1);
    EXPECT_THAT(Names(TakeCalls({"WmDrawBitmap", "WmTextDisplay"})), ElementsAre("WmTextDisplay"));

    CallPaneInfo photo = BitmapInfo("name", 30);
    EXPECT_EQ(list.SetPaneInfo(photo), 1);
    EXPECT_EQ(list.Draw("name"), 1);
    EXPECT_THAT(Names(TakeCalls({"WmDrawBitmap", "WmTextDisplay"})), ElementsAre("WmDrawBitmap"));
    EXPECT_EQ(tmxhost::GCs().size(), 2u);

    CallPaneInfo missing = TextInfo("nope", 0);
    EXPECT_EQ(list.SetPaneInfo(missing), 0);
    CallPaneObj value = {};
    EXPECT_EQ(list.SetPaneValue("nope", value), 0);
    EXPECT_EQ(list.SetPaneValue("name", value), 1);
    EXPECT_THAT(TraceTexts(0xBA),
                ::testing::Contains(
                    "CCallPaneList::SetPaneInfo: m_mapPane doesn't have an element (nope)\n"));
    EXPECT_THAT(TraceTexts(0x400E6),
                ElementsAre("CCallPaneList::SetPaneInfo: Call Time is running~\n"));

    // A name that fills its field without a terminator is cut, never read past.
    CallPaneInfo longName = TextInfo("", 0);
    std::memset(longName.szPaneID, 'z', sizeof(longName.szPaneID));
    EXPECT_EQ(list.SetPaneInfo(longName), 0);

    EXPECT_EQ(list.SetPaneValue(nullptr, value) + list.Draw(nullptr) + list.DrawShow(nullptr) +
                  list.SetBgImage(nullptr),
              0);
    ExpectReports(
        {"pszPaneName != NULL", "pszPaneName != NULL", "pszPaneName != NULL", "pBitmap != NULL"});
}

}  // namespace
