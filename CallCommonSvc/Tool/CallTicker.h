// The ticker: background, bitmaps, texts and a looping frame animation composed on an off-screen
// GC, reached through ticker handles.
#pragma once

#include "../H/CallCommonSvcDef.h"
#include "../H/CallInterface.h"
#include "../Platform/TmxGWESCore.h"
#include "CallPane.h"

#define CALL_TICKER_ITEM_MAX 3    // bitmaps, texts and frames of a ticker
#define CALL_TICKER_TEXT_MAX 256  // 16-bit units of a ticker text
#define CALL_TICKER_MAX 5         // tickers alive at once

// A bitmap at (x, y) of the ticker's GC; pBitmap NULL when the item is not used.
typedef CallPaneBitmap CallTickerBitmap;

// A text box of the ticker's GC.
typedef struct CallTickerText {
    tagWMRECT rect;
    uint16_t color;  // RGB565
    int32_t font;
    unsigned short szText[CALL_TICKER_TEXT_MAX];  // zero-terminated within the field
} CallTickerText;

// Frames drawn in turn at (x, y), one every nDuration milliseconds.
typedef struct CallTickerAni {
    int32_t x;
    int32_t y;
    int32_t nFrameCount;  // 0 to 3; 0 or less: no animation
    int32_t nDuration;
    tagWMBITMAP* pBitmap[CALL_TICKER_ITEM_MAX];
} CallTickerAni;

// The content of a ticker. Every bitmap is borrowed until the ticker is destroyed.
typedef struct CallTickerInfo {
    CallTickerBitmap bmBackground;
    CallTickerBitmap bmObj[CALL_TICKER_ITEM_MAX];
    int32_t nTextCount;  // 0 to 3
    CallTickerText txtObj[CALL_TICKER_ITEM_MAX];
    CallTickerAni aniObj;
} CallTickerInfo;

static_assert(offsetof(CallTickerText, color) == 16 && offsetof(CallTickerText, font) == 20 &&
                  offsetof(CallTickerText, szText) == 24 && sizeof(CallTickerText) == 536,
              "ticker text layout");
static_assert(offsetof(CallTickerAni, pBitmap) == 16 &&
                  sizeof(CallTickerAni) == 16 + 3 * sizeof(void*),
              "ticker animation layout");
static_assert(offsetof(CallTickerInfo, bmObj) == sizeof(CallPaneBitmap) &&
                  offsetof(CallTickerInfo, nTextCount) == 4 * sizeof(CallPaneBitmap) &&
                  offsetof(CallTickerInfo, txtObj) == 4 * sizeof(CallPaneBitmap) + 4 &&
                  offsetof(CallTickerInfo, aniObj) == (sizeof(void*) == 8 ? 1680 : 1660) &&
                  sizeof(CallTickerInfo) == (sizeof(void*) == 8 ? 1720 : 1688),
              "ticker record layout");

// The ticker interface, with the table that maps handles to tickers. The table owns nothing.
class CALLCOMMONSVC_API CCallTicker : public ICallGraphicObject {
public:
    virtual int Create(int hWin, tagWMRECT* pRect) = 0;
    virtual int Destroy() = 0;
    virtual int Draw(CallTickerInfo* pTickerInfo) = 0;
    using ICallGraphicObject::Draw;

    static int AddMapItem(int hTicker, CCallTicker* pTicker);
    static int DeleteMapItem(int hTicker);
    static CCallTicker* FindItem(int hTicker);

private:
    struct MapItem {
        int hTicker;
        CCallTicker* pTicker;
    };
    static MapItem s_aMap[CALL_TICKER_MAX];
};

/* A new ticker on {x, y, w, h} of the window: its handle, or -1. */
CALL_EXPORT int CallCreateTicker(int hWin, tagWMRECT* pRect);
/* 1 when the handle named a ticker, which is then deleted. */
CALL_EXPORT int CallDestroyTicker(int hTicker);
/* Stores and draws the content; 1 when the handle named a ticker. Timer 1 animates from here. */
CALL_EXPORT int CallDrawTicker(int hTicker, CallTickerInfo* pTickerInfo);
/* Brings the ticker to the screen; 1 when the handle named a ticker. */
CALL_EXPORT int CallShowTicker(int hTicker);
