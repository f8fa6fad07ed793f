#include "CallTicker.h"

#include "CallTickerImpl.h"

namespace {
const char kSourcePath[] = "CallCommonSvc\\Tool\\CallTicker";
}  // namespace

CCallTicker::MapItem CCallTicker::s_aMap[CALL_TICKER_MAX] = {
    {INVALID_HOBJ, NULL}, {INVALID_HOBJ, NULL}, {INVALID_HOBJ, NULL},
    {INVALID_HOBJ, NULL}, {INVALID_HOBJ, NULL},
};

int CCallTicker::AddMapItem(int hTicker, CCallTicker* pTicker) {
    if (!CALL_REQUIRE(hTicker != INVALID_HOBJ)) {
        return 0;
    }
    if (!CALL_REQUIRE(pTicker != NULL)) {
        return 0;
    }
    for (int i = 0; i < CALL_TICKER_MAX; ++i) {
        if (s_aMap[i].hTicker == INVALID_HOBJ && s_aMap[i].pTicker == NULL) {
            s_aMap[i].hTicker = hTicker;
            s_aMap[i].pTicker = pTicker;
            return 1;
        }
    }
    SysDebugPrintf(TMX_DBG_FAIL, "CCallTicker::AddMapItem: Slot is full\n");
    return 0;
}

int CCallTicker::DeleteMapItem(int hTicker) {
    if (!CALL_REQUIRE(hTicker != INVALID_HOBJ)) {
        return 0;
    }
    for (int i = 0; i < CALL_TICKER_MAX; ++i) {
        if (s_aMap[i].hTicker == hTicker) {
            s_aMap[i].hTicker = INVALID_HOBJ;
            s_aMap[i].pTicker = NULL;
            return 1;
        }
    }
    SysDebugPrintf(TMX_DBG_FAIL, "CCallTicker::DeleteMapItem: Does not found hTicker (%d)\n",
                   hTicker);
    return 0;
}

CCallTicker* CCallTicker::FindItem(int hTicker) {
    if (!CALL_REQUIRE(hTicker != INVALID_HOBJ)) {
        return NULL;
    }
    for (int i = 0; i < CALL_TICKER_MAX; ++i) {
        if (s_aMap[i].hTicker == hTicker) {
            return s_aMap[i].pTicker;
        }
    }
    SysDebugPrintf(TMX_DBG_FAIL, "CCallTicker::FindItem: Does not found hTicker (%d)\n", hTicker);
    return NULL;
}

CALL_EXPORT int CallCreateTicker(int hWin, tagWMRECT* pRect) {
    CCallTicker* pTicker = new CCallTickerImpl();
    const int hTicker = pTicker != NULL ? pTicker->Create(hWin, pRect) : INVALID_HOBJ;
    if (!CCallTicker::AddMapItem(hTicker, pTicker) && pTicker != NULL) {
        // A ticker without a GC, or one the table cannot reach, is of no use to anyone.
        pTicker->Destroy();
        return INVALID_HOBJ;
    }
    return hTicker;
}

CALL_EXPORT int CallDestroyTicker(int hTicker) {
    CCallTicker* pItem = CCallTicker::FindItem(hTicker);
    if (!CALL_REQUIRE(pItem != NULL)) {
        return 0;
    }
    pItem->Destroy();
    CCallTicker::DeleteMapItem(hTicker);
    return 1;
}

CALL_EXPORT int CallDrawTicker(int hTicker, CallTickerInfo* pTickerInfo) {
    CCallTicker* pItem = CCallTicker::FindItem(hTicker);
    if (!CALL_REQUIRE(pItem != NULL)) {
        return 0;
    }
    pItem->Draw(pTickerInfo);
    return 1;
}

CALL_EXPORT int CallShowTicker(int hTicker) {
    CCallTicker* pItem = CCallTicker::FindItem(hTicker);
    if (!CALL_REQUIRE(pItem != NULL)) {
        return 0;
    }
    pItem->Show();
    return 1;
}
