#include "CallTickerImpl.h"

#include <stdint.h>
#include <string.h>

namespace {
const char kSourcePath[] = "CallCommonSvc\\Tool\\CallTickerImpl";

const unsigned long kAniTimer = 1;
// Phone status whose value 1 selects overlay mode 1; any other value mode 2.
const int kPhsOverlay = 31;

// Pointers appear in the traces as 32-bit hexadecimal words.
unsigned int TraceAddress(const void* p) {
    return static_cast<unsigned int>(reinterpret_cast<uintptr_t>(p));
}

// The frame count as far as the record has frames for it.
int UsableFrames(const CallTickerInfo& info) {
    return info.aniObj.nFrameCount < CALL_TICKER_ITEM_MAX ? info.aniObj.nFrameCount
                                                          : CALL_TICKER_ITEM_MAX;
}

int BoundedLength(const unsigned short* pText, int nCapacity) {
    int n = 0;
    while (n < nCapacity && pText[n] != 0) {
        ++n;
    }
    return n;
}
}  // namespace

CCallTickerImpl::CCallTickerImpl() : m_hTicker(INVALID_HOBJ), m_nAniOrder(0), m_TickerInfo() {}

CCallTickerImpl::~CCallTickerImpl() {
    SysDebugPrintf(TMX_DBG_WIDGET, "CCallTickerImpl::~CCallTickerImpl: m_hTicker (%d)!!\n",
                   m_hTicker);
    KillTimer(kAniTimer);
    if (m_hTicker != INVALID_HOBJ) {
        __WmDeleteGC(m_hTicker, 0, kSourcePath, __LINE__);
    }
}

int CCallTickerImpl::Create(int hWin, tagWMRECT* pRect) {
    if (!CALL_REQUIRE(hWin != INVALID_HOBJ)) {
        return INVALID_HOBJ;
    }
    if (!CALL_REQUIRE(pRect != NULL)) {
        return INVALID_HOBJ;
    }
    const int lcdWidth = static_cast<int>(SysGetLcdWidth(SCREEN_MAIN));
    const int lcdHeight = static_cast<int>(SysGetLcdHeight(SCREEN_MAIN));
    if (pRect->w > lcdWidth || pRect->h > lcdHeight) {
        _SysSaveAssertMsg("CCallTickerImpl::Create (%d, %d)", lcdWidth, lcdHeight);
        CALL_REPORT_REQUIRE(
            "( pRect->w <= (int)SysGetLcdWidth(SCREEN_MAIN) ) && ( pRect->h <= "
            "(int)SysGetLcdHeight(SCREEN_MAIN) )");
        return INVALID_HOBJ;
    }
    SysDebugPrintf(TMX_DBG_WIDGET, "CCallTickerImpl::Create: (%d, %d, %d, %d) !!\n", pRect->x,
                   pRect->y, pRect->w, pRect->h);
    m_hTicker = __WmCreateWindowSubMemGC(hWin, pRect->x, pRect->y, pRect->w, pRect->h, kSourcePath,
                                         __LINE__);
    if (m_hTicker == INVALID_HOBJ) {
        SysDebugPrintf(TMX_DBG_FAIL,
                       "CCallTickerImpl::Create: m_hTicker m_hTicker == INVALID_HOBJ!!\n");
        return INVALID_HOBJ;
    }
    WmSetOverlayGC(m_hTicker, PhsGetStatus(kPhsOverlay) == 1 ? 1 : 2);
    WmSetBgColor32(m_hTicker, 0xFF000000u);
    WmClearGC(m_hTicker);
    SysDebugPrintf(TMX_DBG_WIDGET, "CCallTickerImpl::Create: m_hTicker (%d)!!\n", m_hTicker);
    return m_hTicker;
}

int CCallTickerImpl::Draw(CallTickerInfo* pTickerInfo) {
    if (!CALL_REQUIRE(m_hTicker != INVALID_HOBJ)) {
        return 0;
    }
    if (!CALL_REQUIRE(pTickerInfo != NULL)) {
        return 0;
    }
    SysDebugPrintf(TMX_DBG_WIDGET, "CCallTickerImpl::Draw: m_hTicker (%d)!!\n", m_hTicker);
    if (pTickerInfo != &m_TickerInfo) {
        memcpy(&m_TickerInfo, pTickerInfo, sizeof(m_TickerInfo));
    }
    const CallTickerInfo& info = m_TickerInfo;

    if (info.bmBackground.pBitmap != NULL) {
        SysDebugPrintf(
            TMX_DBG_WIDGET, "CCallTickerImpl::Draw: (%d, %d) bmBackground.pBitmap (0x%x)!!\n",
            info.bmBackground.x, info.bmBackground.y, TraceAddress(info.bmBackground.pBitmap));
        WmDrawBitmap(m_hTicker, info.bmBackground.x, info.bmBackground.y,
                     info.bmBackground.pBitmap);
    }
    for (int i = 0; i < CALL_TICKER_ITEM_MAX; ++i) {
        if (info.bmObj[i].pBitmap != NULL) {
            SysDebugPrintf(TMX_DBG_WIDGET,
                           "CCallTickerImpl::Draw: (%d, %d) bmObj[i].pBitmap (0x%x)!!\n",
                           info.bmObj[i].x, info.bmObj[i].y, TraceAddress(info.bmObj[i].pBitmap));
            WmDrawBitmap(m_hTicker, info.bmObj[i].x, info.bmObj[i].y, info.bmObj[i].pBitmap);
        }
    }

    SysDebugPrintf(TMX_DBG_WIDGET, "CCallTickerImpl::Draw: nFrameCount (%d)!!\n",
                   info.aniObj.nFrameCount);
    const int nFrames = UsableFrames(info);
    if (nFrames > 0) {
        if (m_nAniOrder >= nFrames) {
            m_nAniOrder = 0;
        }
        const int nFrameIndex = m_nAniOrder % nFrames;
        SysDebugPrintf(TMX_DBG_WIDGET,
                       "CCallTickerImpl::Draw: m_nAniOrder (%d) nFrameIndex (%d) nDuration "
                       "(%d)!!\n",
                       m_nAniOrder, nFrameIndex, info.aniObj.nDuration);
        tagWMBITMAP* pFrame = info.aniObj.pBitmap[nFrameIndex];
        if (pFrame != NULL && pFrame->pBits != NULL) {
            SysDebugPrintf(TMX_DBG_WIDGET,
                           "CCallTickerImpl::Draw: (%d, %d) "
                           "pTickerInfo->aniObj.pBitmap[nFrameIndex]->pBitmap (0x%x)!!\n",
                           info.aniObj.x, info.aniObj.y, TraceAddress(pFrame));
            WmDrawBitmap(m_hTicker, info.aniObj.x, info.aniObj.y, pFrame);
            ++m_nAniOrder;
            SetTimer(kAniTimer, static_cast<unsigned long>(info.aniObj.nDuration));
        }
    }

    // The record has room for three texts; a larger count draws those three.
    for (int i = 0; i < info.nTextCount && i < CALL_TICKER_ITEM_MAX; ++i) {
        const CallTickerText& text = info.txtObj[i];
        const int hText =
            _WmTextCreate(text.szText, BoundedLength(text.szText, CALL_TICKER_TEXT_MAX), 1,
                          kSourcePath, __LINE__);
        if (hText != INVALID_HOBJ) {
            WmTextSetFontFgColor(hText, text.color);
            WmTextSetFont(hText, text.font);
            WmTextSetWrap(hText, 2);
            WmTextSetAlign(hText, 0x201);
            WmTextDisplay(m_hTicker, text.rect, hText);
            WmTextDestroy(hText);
        }
        SysDebugPrintf(TMX_DBG_WIDGET, "CCallTickerImpl::Draw: (%d, %d)!!\n", text.rect.x,
                       text.rect.y);
    }
    return 1;
}

int CCallTickerImpl::Draw() {
    return Draw(&m_TickerInfo);
}

int CCallTickerImpl::Show() {
    if (!CALL_REQUIRE(m_hTicker != INVALID_HOBJ)) {
        return 0;
    }
    SysDebugPrintf(TMX_DBG_WIDGET, "CCallTickerImpl::Show: m_hTicker (%d)!!\n", m_hTicker);
    return _WmShowGC(m_hTicker, 1);
}

int CCallTickerImpl::Destroy() {
    delete this;
    return 1;
}

void CCallTickerImpl::OnTick(unsigned long timerID) {
    if (timerID != kAniTimer) {
        return;
    }
    if (m_hTicker == INVALID_HOBJ) {
        SysDebugPrintf(TMX_DBG_WIDGET,
                       "__CallTickerAniTimerCallback: m_hTicker == INVALID_HOBJ!!\n");
        return;
    }
    const CallTickerAni& ani = m_TickerInfo.aniObj;
    const int nFrames = UsableFrames(m_TickerInfo);
    if (nFrames <= 0) {
        return;
    }
    if (m_nAniOrder >= nFrames) {
        m_nAniOrder = 0;
    }
    const int nFrameIndex = m_nAniOrder % nFrames;
    SysDebugPrintf(TMX_DBG_WIDGET,
                   "__CallTickerAniTimerCallback: m_nAniOrder (%d) nFrameIndex (%d) nDuration "
                   "(%d)!!\n",
                   m_nAniOrder, nFrameIndex, ani.nDuration);
    tagWMBITMAP* pFrame = ani.pBitmap[nFrameIndex];
    if (pFrame == NULL || pFrame->pBits == NULL) {
        return;
    }
    SysDebugPrintf(TMX_DBG_WIDGET,
                   "__CallTickerAniTimerCallback: (%d, %d) "
                   "pTickerInfo->aniObj.pBitmap[nFrameIndex]->pBitmap (0x%x)!!\n",
                   ani.x, ani.y, TraceAddress(pFrame));
    // Without a background the frame is drawn over what is there.
    if (m_TickerInfo.bmBackground.pBitmap != NULL) {
        WmDrawSubBitmap(m_hTicker, ani.x, ani.y, m_TickerInfo.bmBackground.pBitmap, ani.x, ani.y,
                        pFrame->rectW, pFrame->rectH);
    }
    WmDrawBitmap(m_hTicker, ani.x, ani.y, pFrame);
    CallShowTicker(m_hTicker);
    ++m_nAniOrder;
}
