#include "CallPane.h"

#include <string.h>

#include <new>

namespace {
const char kSourcePath[] = "CallCommonSvc\\Tool\\CallPane";

// Phone status whose values 1 and 3 make a text pane take its background from column 0.
const int kPhsBgFromLeft = 31;

// Units of a text up to its terminator, never past the field's capacity.
int BoundedLength(const unsigned short* pText, int nCapacity) {
    int n = 0;
    while (n < nCapacity && pText[n] != 0) {
        ++n;
    }
    return n;
}

// The record's name as the list keys it: at most CALL_PANE_ID_MAX - 1 bytes, terminated.
void PaneName(const CallPaneInfo& info, char (&szName)[CALL_PANE_ID_MAX]) {
    size_t n = 0;
    while (n < CALL_PANE_ID_MAX - 1 && info.szPaneID[n] != '\0') {
        ++n;
    }
    memcpy(szName, info.szPaneID, n);
    szName[n] = '\0';
}
}  // namespace

// ---- CCallPane --------------------------------------------------------------------------------

CCallPane::CCallPane() : m_pbmBG(NULL), m_rect(), m_hWinParent(INVALID_HOBJ) {}

CCallPane::CCallPane(int hWinParent, tagWMRECT& rect)
    : m_pbmBG(NULL), m_rect(), m_hWinParent(INVALID_HOBJ) {
    if (CALL_REQUIRE(WmIsWindowValid(hWinParent))) {
        m_hWinParent = hWinParent;
        m_rect = rect;
    }
}

CCallPane::~CCallPane() {}

int CCallPane::GetParentWindow(int& hWin) const {
    hWin = m_hWinParent;
    return 1;
}

int CCallPane::GetGect(tagWMRECT& rect) const {
    rect = m_rect;
    return 1;
}

int CCallPane::SetBgImage(tagWMBITMAP* pBitmap) {
    if (!CALL_REQUIRE(pBitmap != NULL)) {
        return 0;
    }
    m_pbmBG = pBitmap;
    return 1;
}

int CCallPane::GetBgImage(tagWMBITMAP& bitmap) const {
    if (m_pbmBG == NULL) {
        SysDebugPrintf(TMX_DBG_FAIL, "CCallPane::GetBgImage: m_pbmBG is NULL\n");
        return 0;
    }
    bitmap = *m_pbmBG;
    return 1;
}

void CCallPane::DrawBackground(int hGC, int srcX) {
    tagWMRECT rect;
    tagWMBITMAP background;
    GetGect(rect);
    if (GetBgImage(background)) {
        WmDrawSubBitmap(hGC, 0, 0, &background, srcX, 0, rect.w, rect.h);
    }
}

// ---- CCallPaneText ----------------------------------------------------------------------------

CCallPaneText::CCallPaneText() : m_hGC(INVALID_HOBJ), m_Text() {}

CCallPaneText::CCallPaneText(int hWinParent, tagWMRECT& rect, CallPaneText* pText)
    : CCallPane(hWinParent, rect), m_hGC(INVALID_HOBJ), m_Text() {
    if (!CALL_REQUIRE(pText != NULL)) {
        return;
    }
    m_Text = *pText;
    m_hGC =
        __WmCreateWindowSubGC(hWinParent, rect.x, rect.y, rect.w, rect.h, kSourcePath, __LINE__);
    CALL_REQUIRE(m_hGC != INVALID_HOBJ);
}

CCallPaneText::~CCallPaneText() {
    if (WmIsGCValid(m_hGC)) {
        __WmDeleteGC(m_hGC, 0, kSourcePath, __LINE__);
        m_hGC = INVALID_HOBJ;
    }
}

int CCallPaneText::Draw() {
    if (!WmIsGCValid(m_hGC)) {
        return 0;
    }
    // A text filling all 128 units has no terminator: it is taken whole and no further.
    const int nStrLen = BoundedLength(m_Text.szText, CALL_PANE_TEXT_MAX);
    if (nStrLen == 0) {
        SysDebugPrintf(TMX_DBG_FAIL, "CCallPaneText::Draw: nStrLen == 0\n");
        return -1;
    }
    const int hText = _WmTextCreate(m_Text.szText, nStrLen, 1, kSourcePath, __LINE__);
    if (hText == INVALID_HOBJ) {
        SysDebugPrintf(TMX_DBG_FAIL, "CCallPaneText::Draw: hText == INVALID_HOBJ\n");
        return -1;
    }
    WmTextSetFontFgColor(hText, m_Text.color);
    WmTextSetFont(hText, m_Text.font);
    WmTextSetWrap(hText, 2);
    WmTextSetAlign(hText, m_Text.align);
    WmTextSetAction(hText, 1);

    const int phs = PhsGetStatus(kPhsBgFromLeft);
    DrawBackground(m_hGC, phs == 1 || phs == 3 ? 0 : m_rect.x);

    const tagWMRECT box = {m_Text.x, m_Text.y, m_rect.w, m_rect.h};
    WmTextDisplay(m_hGC, box, hText);
    WmTextDestroy(hText);
    return 1;
}

int CCallPaneText::Show() {
    if (WmIsGCValid(m_hGC)) {
        _WmShowGC(m_hGC, 1);
    }
    return 1;
}

int CCallPaneText::DrawShow() {
    Draw();
    Show();
    return 1;
}

int CCallPaneText::SetValue(CallPaneObj& value) {
    memcpy(m_Text.szText, value.text.szText, sizeof(m_Text.szText));
    return 1;
}

int CCallPaneText::SetValue(const unsigned short* pszText) {
    if (!CALL_REQUIRE(pszText != NULL)) {
        return 0;
    }
    memcpy(m_Text.szText, pszText, sizeof(m_Text.szText));
    return 1;
}

int CCallPaneText::GetGC() {
    return m_hGC;
}

// ---- CCallPaneBitmap --------------------------------------------------------------------------

CCallPaneBitmap::CCallPaneBitmap() : m_hGC(INVALID_HOBJ), m_Bitmap() {}

CCallPaneBitmap::CCallPaneBitmap(int hWinParent, tagWMRECT& rect, CallPaneBitmap* pBitmap)
    : CCallPane(hWinParent, rect), m_hGC(INVALID_HOBJ), m_Bitmap() {
    if (!CALL_REQUIRE(pBitmap != NULL)) {
        return;
    }
    m_Bitmap = *pBitmap;
    m_hGC =
        __WmCreateWindowSubGC(hWinParent, rect.x, rect.y, rect.w, rect.h, kSourcePath, __LINE__);
    CALL_REQUIRE(m_hGC != INVALID_HOBJ);
}

CCallPaneBitmap::~CCallPaneBitmap() {
    if (WmIsGCValid(m_hGC)) {
        __WmDeleteGC(m_hGC, 0, kSourcePath, __LINE__);
        m_hGC = INVALID_HOBJ;
    }
}

int CCallPaneBitmap::Draw() {
    if (m_Bitmap.pBitmap == NULL || !WmIsGCValid(m_hGC)) {
        SysDebugPrintf(TMX_DBG_FAIL, "CCallPaneBitmap::Draw: m_Bitmap.pBitmap == NULL m_hGC (%d)\n",
                       m_hGC);
        return -1;
    }
    DrawBackground(m_hGC, m_rect.x);
    WmDrawBitmap(m_hGC, m_Bitmap.x, m_Bitmap.y, m_Bitmap.pBitmap);
    return 1;
}

int CCallPaneBitmap::Show() {
    if (WmIsGCValid(m_hGC)) {
        _WmShowGC(m_hGC, 1);
    }
    return 1;
}

int CCallPaneBitmap::DrawShow() {
    Draw();
    Show();
    return 1;
}

int CCallPaneBitmap::SetValue(CallPaneObj& value) {
    m_Bitmap.x = value.bitmap.x;
    m_Bitmap.y = value.bitmap.y;
    m_Bitmap.pBitmap = value.bitmap.pBitmap;
    return 1;
}

int CCallPaneBitmap::GetGC() {
    return m_hGC;
}

// ---- CCallPaneList ----------------------------------------------------------------------------

CCallPaneList::CCallPaneList()
    : m_hWinParent(INVALID_HOBJ), m_rect(), m_pbmBG(NULL), m_hGC(INVALID_HOBJ) {
    for (int i = 0; i < CALL_PANE_INDEX_MAX; ++i) {
        m_ahPaneGC[i] = INVALID_HOBJ;
    }
}

CCallPaneList::~CCallPaneList() {
    for (PaneMap::iterator it = m_mapPane.begin(); it != m_mapPane.end(); ++it) {
        MemFreeTraceMultiHeap(it->first, kSourcePath, __LINE__);
        delete it->second;
    }
    m_mapPane.clear();
    if (WmIsGCValid(m_hGC)) {
        __WmDeleteGC(m_hGC, 0, kSourcePath, __LINE__);
        m_hGC = INVALID_HOBJ;
    }
}

CCallPane* CCallPaneList::NewPane(int hWinParent, CallPaneInfo& info, int* phGC) {
    if (info.iObjType == CALL_PANE_TYPE_TEXT) {
        CCallPaneText* pPane = new CCallPaneText(hWinParent, info.rect, &info.obj.text);
        *phGC = pPane != NULL ? pPane->GetGC() : INVALID_HOBJ;
        return pPane;
    }
    CCallPaneBitmap* pPane = new CCallPaneBitmap(hWinParent, info.rect, &info.obj.bitmap);
    *phGC = pPane != NULL ? pPane->GetGC() : INVALID_HOBJ;
    return pPane;
}

bool CCallPaneList::AddPane(CallPaneInfo& info, CCallPane* pPane) {
    char* pszPaneID =
        static_cast<char*>(MemAllocTraceEx(0, CALL_PANE_ID_MAX, kSourcePath, __LINE__));
    if (!CALL_REQUIRE(pszPaneID != NULL)) {
        delete pPane;  // no longer reachable through the list
        return false;
    }
    char szName[CALL_PANE_ID_MAX];
    PaneName(info, szName);
    memset(pszPaneID, 0, CALL_PANE_ID_MAX);
    AcStrcpySEx(pszPaneID, CALL_PANE_ID_MAX, szName, kSourcePath, __LINE__);

    PaneMap::iterator it = m_mapPane.find(pszPaneID);
    if (it != m_mapPane.end()) {
        // The entry keeps its key; the pane it held is replaced and released.
        MemFreeTraceMultiHeap(pszPaneID, kSourcePath, __LINE__);
        delete it->second;
        it->second = pPane;
        return true;
    }
    try {
        m_mapPane.insert(PaneMap::value_type(pszPaneID, pPane));
    } catch (const std::bad_alloc&) {
        MemFreeTraceMultiHeap(pszPaneID, kSourcePath, __LINE__);
        delete pPane;
        return false;
    }
    return true;
}

int CCallPaneList::Create(int hWinParent, const tagWMRECT& rect, CallPaneInfo* pInfo,
                          int nPaneCnt) {
    if (!CALL_REQUIRE(WmIsWindowValid(hWinParent))) {
        return 0;
    }
    if (!CALL_REQUIRE(nPaneCnt < CALL_PANE_INDEX_MAX)) {
        return 0;
    }
    if (nPaneCnt > 0 && !CALL_REQUIRE(pInfo != NULL)) {
        return 0;
    }
    m_hWinParent = hWinParent;
    m_rect = rect;
    if (WmIsGCValid(m_hGC)) {
        WmClearGC(m_hGC);
        __WmDeleteGC(m_hGC, 0, kSourcePath, __LINE__);
        m_hGC = INVALID_HOBJ;
    }
    m_hGC =
        __WmCreateClientSubGC(m_hWinParent, rect.x, rect.y, rect.w, rect.h, kSourcePath, __LINE__);
    if (!CALL_REQUIRE(m_hGC != INVALID_HOBJ)) {
        return 0;
    }
    for (int i = 0; i < nPaneCnt; ++i) {
        if (WmIsGCValid(m_ahPaneGC[i])) {
            __WmDeleteGC(m_ahPaneGC[i], 0, kSourcePath, __LINE__);
        }
        if (pInfo[i].iObjType != CALL_PANE_TYPE_TEXT &&
            pInfo[i].iObjType != CALL_PANE_TYPE_BITMAP) {
            _SysSaveAssertMsg("CCallPaneList::Create: paneInfo[%d].iObjType (%d)", i,
                              pInfo[i].iObjType);
            CALL_NEVER_GET_HERE();
            continue;
        }
        int hPaneGC = INVALID_HOBJ;
        CCallPane* pPane = NewPane(hWinParent, pInfo[i], &hPaneGC);
        if (pPane == NULL || !AddPane(pInfo[i], pPane)) {
            return 0;
        }
        m_ahPaneGC[i] = hPaneGC;
    }
    return 1;
}

int CCallPaneList::Create(int hWinParent, const tagWMRECT& rect, CallPaneInfo& info) {
    if (!CALL_REQUIRE(WmIsWindowValid(hWinParent))) {
        return 0;
    }
    m_hWinParent = hWinParent;
    m_rect = rect;
    // A GC left by an earlier Create would otherwise be lost.
    if (WmIsGCValid(m_hGC)) {
        WmClearGC(m_hGC);
        __WmDeleteGC(m_hGC, 0, kSourcePath, __LINE__);
        m_hGC = INVALID_HOBJ;
    }
    m_hGC =
        __WmCreateClientSubGC(m_hWinParent, rect.x, rect.y, rect.w, rect.h, kSourcePath, __LINE__);
    if (m_hGC == INVALID_HOBJ) {
        SysDebugPrintf(TMX_DBG_FAIL, "CCallPaneList::Create: m_hGC is invalid\n");
        return 0;
    }
    if (info.iObjType != CALL_PANE_TYPE_TEXT && info.iObjType != CALL_PANE_TYPE_BITMAP) {
        _SysSaveAssertMsg("CCallPaneList::Create: paneInfo.iObjType (%d)", info.iObjType);
        CALL_NEVER_GET_HERE();
        return 1;
    }
    int hPaneGC = INVALID_HOBJ;
    CCallPane* pPane = NewPane(hWinParent, info, &hPaneGC);
    if (pPane == NULL || !AddPane(info, pPane)) {
        return 0;
    }
    return 1;
}

int CCallPaneList::Create(int hWinParent, int x, int y, int w, int h, CallPaneInfo* pInfo,
                          int nPaneCnt) {
    const tagWMRECT rect = {x, y, w, h};
    Create(hWinParent, rect, pInfo, nPaneCnt);
    return 1;
}

int CCallPaneList::Create(int hWinParent, int x, int y, int w, int h, CallPaneInfo& info) {
    const tagWMRECT rect = {x, y, w, h};
    Create(hWinParent, rect, info);
    return 1;
}

int CCallPaneList::SetBgImage(tagWMBITMAP* pBitmap) {
    if (!CALL_REQUIRE(pBitmap != NULL)) {
        return 0;
    }
    m_pbmBG = pBitmap;
    for (PaneMap::iterator it = m_mapPane.begin(); it != m_mapPane.end(); ++it) {
        it->second->SetBgImage(pBitmap);
    }
    return 1;
}

int CCallPaneList::SetPaneInfo(CallPaneInfo& info) {
    char szName[CALL_PANE_ID_MAX];
    PaneName(info, szName);
    PaneMap::iterator it = m_mapPane.find(szName);
    if (it == m_mapPane.end()) {
        SysDebugPrintf(TMX_DBG_FAIL,
                       "CCallPaneList::SetPaneInfo: m_mapPane doesn't have an element (%s)\n",
                       szName);
        return 0;
    }
    // The kind is tested first, so that an unknown one leaves the entry and its pane as they are.
    if (info.iObjType != CALL_PANE_TYPE_TEXT && info.iObjType != CALL_PANE_TYPE_BITMAP) {
        _SysSaveAssertMsg("CCallPaneList::SetPaneInfo: paneInfo.iObjType (%d)", info.iObjType);
        CALL_NEVER_GET_HERE();
        return 1;
    }
    delete it->second;
    it->second = NULL;
    int hPaneGC = INVALID_HOBJ;
    CCallPane* pPane = NewPane(m_hWinParent, info, &hPaneGC);
    if (pPane == NULL) {
        // No pane could be made: the entry goes with its key.
        MemFreeTraceMultiHeap(it->first, kSourcePath, __LINE__);
        m_mapPane.erase(it);
        return 0;
    }
    it->second = pPane;
    return 1;
}

int CCallPaneList::SetPaneValue(const char* pszPaneName, CallPaneObj& value) {
    if (!CALL_REQUIRE(pszPaneName != NULL)) {
        return 0;
    }
    PaneMap::iterator it = m_mapPane.find(const_cast<char*>(pszPaneName));
    if (it == m_mapPane.end()) {
        SysDebugPrintf(TMX_DBG_WIDGET, "CCallPaneList::SetPaneInfo: Call Time is running~\n");
        return 0;
    }
    it->second->SetValue(value);
    return 1;
}

int CCallPaneList::Draw() {
    if (m_mapPane.empty() || m_hGC == INVALID_HOBJ) {
        return -1;
    }
    if (m_pbmBG != NULL) {
        WmDrawBitmap(m_hGC, 0, 0, m_pbmBG);
    }
    for (PaneMap::iterator it = m_mapPane.begin(); it != m_mapPane.end(); ++it) {
        it->second->Draw();
    }
    return 1;
}

int CCallPaneList::Draw(const char* pszPaneName) {
    if (!CALL_REQUIRE(pszPaneName != NULL)) {
        return 0;
    }
    PaneMap::iterator it = m_mapPane.find(const_cast<char*>(pszPaneName));
    if (it == m_mapPane.end()) {
        SysDebugPrintf(TMX_DBG_FAIL,
                       "CCallPaneList::SetPaneInfo: m_mapPane doesn't have an element (%s)\n",
                       pszPaneName);
        return -1;
    }
    it->second->Draw();
    return 1;
}

int CCallPaneList::Show() {
    if (WmIsGCValid(m_hGC)) {
        _WmShowGC(m_hGC, 1);
    }
    return 1;
}

int CCallPaneList::DrawShow() {
    Draw();
    Show();
    return 1;
}

int CCallPaneList::DrawShow(const char* pszPaneName) {
    if (!CALL_REQUIRE(pszPaneName != NULL)) {
        return 0;
    }
    Draw(pszPaneName);
    CCallPaneList::Show();
    return 1;
}

int CCallPaneList::Destroy() {
    delete this;
    return 1;
}
