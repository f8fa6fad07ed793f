// Colours and opacities of GCs and windows from the current style set, and PNG to RGB565.
#pragma once

#include "../H/CallCommonSvcDef.h"
#include "../Platform/TmxGWESCore.h"

/* Each setter derives the colour of item styleID of the current style set by method and value,
   sets it on the target and sets opacityLevel (-1: the item's own level). 1 when set, 0 when the
   window is not valid or the item is missing. Bg and Fg setters set the colour as RGB565, Png
   setters set the 32-bit colour as the replacement colour. */
CALL_EXPORT int CallSetBgChangeableStyleItem(int hGC, int styleID, int method, int value,
                                             int opacityLevel);
CALL_EXPORT int CallSetPngChangeableStyleItem(int hGC, int styleID, int method, int value,
                                              int opacityLevel);
CALL_EXPORT int CallSetWinFgChangeableStyleItem(int hWindow, int styleID, int method, int value,
                                                int opacityLevel);
CALL_EXPORT int CallSetWinBgChangeableStyleItem(int hWindow, int styleID, int method, int value,
                                                int opacityLevel);
CALL_EXPORT int CallSetWinPngChangeableStyleItem(int hWindow, int styleID, int method, int value,
                                                 int opacityLevel);
/* The derived 32-bit colour (0xAARRGGBB), or 0 when the item is missing. */
CALL_EXPORT unsigned int CallGetColorChangeableStyleItem(int styleID, int method, int value);
/* These do nothing and return 1. */
CALL_EXPORT int CallSetFgChangeableStyleItem(int hGC, int styleID, int method, int value,
                                             int opacityLevel);
CALL_EXPORT int CallUcsSetIconListItemBgChangeableStyleItem(int hGC, int styleID, int method,
                                                            int value, int opacityLevel);
CALL_EXPORT int CallUcsSetIconListItemPngChangeableStyleItem(int hGC, int styleID, int method,
                                                             int value, int opacityLevel);

/* Draws pbmPngIn on an off-screen GC of the window and captures it as an RGB565 bitmap of the
   same size into *pbmOut. The pixels pbmOut->pBits names afterwards are a block of the platform
   heap that the caller owns and frees with MemFreeTraceMultiHeap (or with the record, by
   _WmFreeBitmap(pbmOut, 0, ...) when pbmOut itself is a platform-heap record). 1 when the
   conversion ran (pbmOut is left as it was when nothing could be captured), 0 on a refused
   input. */
CALL_EXPORT int CallUcsMakePngToRgb565(int hWindow, tagWMBITMAP* pbmPngIn, tagWMBITMAP* pbmOut);
