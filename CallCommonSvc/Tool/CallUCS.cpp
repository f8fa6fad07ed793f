#include "CallUCS.h"

#include <string.h>

#include "../Platform/TmxGWESWinSet.h"

namespace {
const char kSourcePath[] = "CallCommonSvc\\Tool\\CallUCS";

// The replacement colour under which a PNG is flattened.
const unsigned int kPngReplacementColor = 0xFF4B4B4B;

WsStyleItem* CurrentItem(int styleID) {
    return WsGetStyleSetItem(WsGetCurrentStyleSet(), static_cast<unsigned int>(styleID));
}

// RGB565 from the item's colour, asked for blue, then green, then red; low bits are dropped.
unsigned short DerivedRgb565(const WsStyleItem* pItem, int method, int value) {
    const unsigned int blue = WsGetStyleItemDerivativeColor(pItem, method, value) & 0xFF;
    const unsigned int green = (WsGetStyleItemDerivativeColor(pItem, method, value) >> 8) & 0xFF;
    const unsigned int red = (WsGetStyleItemDerivativeColor(pItem, method, value) >> 16) & 0xFF;
    return static_cast<unsigned short>(((red >> 3) << 11) | ((green >> 2) << 5) | (blue >> 3));
}

int OpacityOf(const WsStyleItem* pItem, int opacityLevel) {
    return opacityLevel == -1 ? pItem->nOpacityLevel : opacityLevel;
}
}  // namespace

CALL_EXPORT int CallSetBgChangeableStyleItem(int hGC, int styleID, int method, int value,
                                             int opacityLevel) {
    SysDebugPrintf(TMX_DBG_WIDGET,
                   "CallSetChangebleStyleItem : hGC = %d, styleID = %x, method = %d,  value = %d, "
                   "opacityLevel = %d\n",
                   hGC, styleID, method, value, opacityLevel);
    WsStyleItem* pItem = CurrentItem(styleID);
    if (pItem == NULL) {
        SysDebugPrintf(TMX_DBG_FAIL, "CallSetChangeableStyleItem: can't get StyleSetItem\n");
        return 0;
    }
    WmSetBgColor(hGC, DerivedRgb565(pItem, method, value));
    WmSetBgOpacityLevel(hGC, OpacityOf(pItem, opacityLevel));
    return 1;
}

CALL_EXPORT int CallSetPngChangeableStyleItem(int hGC, int styleID, int method, int value,
                                              int opacityLevel) {
    SysDebugPrintf(TMX_DBG_WIDGET,
                   "CallSetChangebleStyleItem : hGC = %d, styleID = %x, method = %d,  value = %d, "
                   "opacityLevel = %d\n",
                   hGC, styleID, method, value, opacityLevel);
    WsStyleItem* pItem = CurrentItem(styleID);
    if (pItem == NULL) {
        SysDebugPrintf(TMX_DBG_FAIL, "CallSetChangeableStyleItem: can't get StyleSetItem\n");
        return 0;
    }
    WmSetReplacementColor(hGC, WsGetStyleItemDerivativeColor(pItem, method, value));
    WmSetFgOpacityLevel(hGC, OpacityOf(pItem, opacityLevel));
    return 1;
}

CALL_EXPORT int CallSetWinFgChangeableStyleItem(int hWindow, int styleID, int method, int value,
                                                int opacityLevel) {
    SysDebugPrintf(TMX_DBG_WIDGET,
                   "CallSetWinFgChangeableStyleItem : hWindow = %d, styleID = %x, method = %d,  "
                   "value = %d, opacityLevel = %d\n",
                   hWindow, styleID, method, value, opacityLevel);
    if (!WmIsWindowValid(hWindow)) {
        SysDebugPrintf(TMX_DBG_FAIL, "CallSetWinFgChangeableStyleItem: hWindow(-1)\n");
        return 0;
    }
    WsStyleItem* pItem = CurrentItem(styleID);
    if (pItem == NULL) {
        SysDebugPrintf(TMX_DBG_FAIL, "CallSetWinFgChangeableStyleItem: can't get StyleSetItem\n");
        return 0;
    }
    WmSetWindowFgColor(hWindow, DerivedRgb565(pItem, method, value));
    WmSetWindowFgOpacityLevel(hWindow, OpacityOf(pItem, opacityLevel));
    return 1;
}

CALL_EXPORT int CallSetWinBgChangeableStyleItem(int hWindow, int styleID, int method, int value,
                                                int opacityLevel) {
    SysDebugPrintf(TMX_DBG_WIDGET,
                   "CallSetWinBgChangeableStyleItem : hWindow = %d, styleID = %x, method = %d,  "
                   "value = %d, opacityLevel = %d\n",
                   hWindow, styleID, method, value, opacityLevel);
    if (!WmIsWindowValid(hWindow)) {
        SysDebugPrintf(TMX_DBG_FAIL, "CallSetWinBgChangeableStyleItem: hWindow(-1)\n");
        return 0;
    }
    WsStyleItem* pItem = CurrentItem(styleID);
    if (pItem == NULL) {
        SysDebugPrintf(TMX_DBG_FAIL, "CallSetWinBgChangeableStyleItem: can't get StyleSetItem\n");
        return 0;
    }
    WmSetWindowBgColor(hWindow, DerivedRgb565(pItem, method, value));
    WmSetWindowBgOpacityLevel(hWindow, OpacityOf(pItem, opacityLevel));
    return 1;
}

CALL_EXPORT int CallSetWinPngChangeableStyleItem(int hWindow, int styleID, int method, int value,
                                                 int opacityLevel) {
    SysDebugPrintf(TMX_DBG_WIDGET,
                   "CallSetChangebleStyleItem : hWnd = %d, styleID = %x, method = %d,  value = %d, "
                   "opacityLevel = %d\n",
                   hWindow, styleID, method, value, opacityLevel);
    if (!WmIsWindowValid(hWindow)) {
        SysDebugPrintf(TMX_DBG_FAIL, "CallSetWinPngChangeableStyleItem: hWindow(-1)\n");
        return 0;
    }
    WsStyleItem* pItem = CurrentItem(styleID);
    if (pItem == NULL) {
        SysDebugPrintf(TMX_DBG_FAIL, "CallSetChangeableStyleItem: can't get StyleSetItem\n");
        return 0;
    }
    WmSetWindowReplacementColor(hWindow, WsGetStyleItemDerivativeColor(pItem, method, value));
    WmSetWindowFgOpacityLevel(hWindow, OpacityOf(pItem, opacityLevel));
    return 1;
}

CALL_EXPORT unsigned int CallGetColorChangeableStyleItem(int styleID, int method, int value) {
    SysDebugPrintf(TMX_DBG_WIDGET,
                   "CallGetColorChangeableStyleItem : styleID = %x, method = %d,  value = %d\n",
                   styleID, method, value);
    WsStyleItem* pItem = CurrentItem(styleID);
    if (pItem == NULL) {
        SysDebugPrintf(TMX_DBG_FAIL, "CallGetColorChangeableStyleItem: can't get StyleSetItem\n");
        return 0;
    }
    return WsGetStyleItemDerivativeColor(pItem, method, value);
}

CALL_EXPORT int CallSetFgChangeableStyleItem(int, int, int, int, int) {
    return 1;
}

CALL_EXPORT int CallUcsSetIconListItemBgChangeableStyleItem(int, int, int, int, int) {
    return 1;
}

CALL_EXPORT int CallUcsSetIconListItemPngChangeableStyleItem(int, int, int, int, int) {
    return 1;
}

CALL_EXPORT int CallUcsMakePngToRgb565(int hWindow, tagWMBITMAP* pbmPngIn, tagWMBITMAP* pbmOut) {
    if (!CALL_REQUIRE(pbmPngIn)) {
        return 0;
    }
    if (!CALL_REQUIRE(pbmPngIn->pBits)) {
        return 0;
    }
    if (!CALL_REQUIRE(pbmOut)) {
        return 0;
    }
    if (!WmIsWindowValid(hWindow)) {
        SysDebugPrintf(TMX_DBG_FAIL, "CallUcsMakePngToRgb565: hWindow(-1)\n");
        return 0;
    }
    const int hMemGC = __WmCreateWindowMemGC(hWindow, kSourcePath, __LINE__);
    WmSetReplacementColor(hMemGC, kPngReplacementColor);
    WmDrawBitmap(hMemGC, 0, 0, pbmPngIn);
    tagWMBITMAP* pCaptured =
        _WmCaptureBitmap(hMemGC, 0, 0, pbmPngIn->rectW, pbmPngIn->rectH, 1, kSourcePath, __LINE__);
    if (pCaptured != NULL) {
        // The capture goes with its pixels; the output keeps a copy of its own.
        void* pBits = NULL;
        const long long nBytes = static_cast<long long>(pCaptured->rectW) * pCaptured->rectH *
                                 pCaptured->nBitsPerPixel / 8;
        if (pCaptured->pBits != NULL && nBytes > 0 && nBytes <= 0x7FFFFFFF) {
            pBits = MemAllocTraceEx(0, static_cast<unsigned int>(nBytes), kSourcePath, __LINE__);
        }
        if (pBits != NULL || pCaptured->pBits == NULL || nBytes <= 0) {
            if (pBits != NULL) {
                memcpy(pBits, pCaptured->pBits, static_cast<size_t>(nBytes));
            }
            *pbmOut = *pCaptured;
            pbmOut->pBits = pBits;
        } else {
            SysDebugPrintf(TMX_DBG_FAIL, "CallUcsMakePngToRgb565: pBits malloc fail\n");
        }
        _WmFreeBitmap(pCaptured, 0, kSourcePath, __LINE__);
    }
    WmClearGC(hMemGC);
    __WmDeleteGC(hMemGC, 0, kSourcePath, __LINE__);
    return 1;
}
