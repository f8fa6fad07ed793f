// TmxGWESCore: the platform's graphics and window library, as this library calls it.
#pragma once

#include "TmxCore.h"

#ifdef __cplusplus
extern "C" {
#endif

/* The platform's rectangle, in pixels. */
typedef struct tagWMRECT {
    int32_t x;
    int32_t y;
    int32_t w;
    int32_t h;
} tagWMRECT;

/* The platform's bitmap record. On the handset it is eleven 32-bit words; words 0 to 9 keep that
   order and width here, and pBits (word 10 there) is a native pointer, so on a 64-bit host the
   record is 48 bytes (40 bytes of words, then an 8-byte pointer) instead of 44. */
typedef struct tagWMBITMAP {
    uint32_t nWord0;
    uint32_t nWord1;  // 0 in bitmaps the library makes
    uint32_t nWord2;
    int32_t rectW;          // width in pixels
    int32_t rectH;          // height in pixels
    uint8_t nBitsPerPixel;  // low byte of word 5: 16 (RGB565) or 32 (ARGB with alpha)
    uint8_t nWord5Rest[3];  // rest of word 5
    uint32_t nWord6;        // carried over from a decoded source image
    uint32_t nWord7;        // carried over from a decoded source image
    uint32_t nWord8;
    uint32_t nWord9;
    void* pBits;  // pixel rows, rectW pixels each, no padding; 16-bit pixels low byte first
} tagWMBITMAP;

/* Windows. Handles are non-negative; INVALID_HOBJ names none. */
TMX_API int WmIsWindowValid(int hWindow);  // non-zero for a live window
TMX_API int WmSetWindowFgColor(int hWindow, unsigned short rgb565);
TMX_API int WmSetWindowBgColor(int hWindow, unsigned short rgb565);
TMX_API int WmSetWindowFgOpacityLevel(int hWindow, int level);
TMX_API int WmSetWindowBgOpacityLevel(int hWindow, int level);
/* 32-bit colour (0xAARRGGBB) that recolours alpha bitmaps drawn in the window's GCs. */
TMX_API int WmSetWindowReplacementColor(int hWindow, unsigned int color);

/* Graphics contexts (GCs). The creating calls return a new GC handle owned by the caller, to be
   released with __WmDeleteGC, or INVALID_HOBJ. A rectangle is in the window's coordinates. */
// A view onto the window's pixels at the rectangle.
TMX_API int __WmCreateWindowSubGC(int hWindow, int x, int y, int w, int h, const char* sourcePath,
                                  int line);
// A view onto the window's client area at the rectangle.
TMX_API int __WmCreateClientSubGC(int hWindow, int x, int y, int w, int h, const char* sourcePath,
                                  int line);
// An off-screen GC of the window's whole size, with pixels of its own.
TMX_API int __WmCreateWindowMemGC(int hWindow, const char* sourcePath, int line);
// An off-screen GC with pixels of its own, shown at the rectangle of the window.
TMX_API int __WmCreateWindowSubMemGC(int hWindow, int x, int y, int w, int h,
                                     const char* sourcePath, int line);
// An off-screen GC of the given screen and pixel depth, shown at the rectangle of that screen.
TMX_API int __WmCreateScreenSubGC(int screen, int bitsPerPixel, int x, int y, int w, int h,
                                  const char* sourcePath, int line);
// The window's overlay GC (video and Flash draw there); a new GC the caller deletes.
TMX_API int __WmGetOverlayWindowGC(int hWindow, const char* sourcePath, int line);
// Overlay mode of a GC with pixels of its own: 1 or 2; opaque pixels come through in both.
TMX_API int WmSetOverlayGC(int hGC, int mode);
TMX_API int WmIsGCValid(int hGC);  // non-zero for a live GC
// Releases the GC; flag is 0. 1 when a GC was deleted.
TMX_API int __WmDeleteGC(int hGC, int flag, const char* sourcePath, int line);
// Fills the GC with its background colour.
TMX_API int WmClearGC(int hGC);
// With flag 1, brings the GC's rectangle to the screen.
TMX_API int _WmShowGC(int hGC, int flag);
TMX_API int WmSetBgColor(int hGC, unsigned short rgb565);
TMX_API int WmSetBgColor32(int hGC, unsigned int argb);  // 0xAARRGGBB
TMX_API int WmSetFgOpacityLevel(int hGC, int level);
TMX_API int WmSetBgOpacityLevel(int hGC, int level);
// 32-bit colour (0xAARRGGBB) that recolours alpha bitmaps drawn in the GC, keeping their alpha.
TMX_API int WmSetReplacementColor(int hGC, unsigned int color);
TMX_API int WmSetGCSurfaceAspectRatio(int hGC, int mode);

/* Drawing, clipped to the GC. Bitmaps are borrowed for the call. */
TMX_API int WmDrawBitmap(int hGC, int x, int y, tagWMBITMAP* pBitmap);
// Draws the part {srcX, srcY, w, h} of the bitmap with its corner at (x, y).
TMX_API int WmDrawSubBitmap(int hGC, int x, int y, tagWMBITMAP* pBitmap, int srcX, int srcY, int w,
                            int h);
// A one-pixel outline of {x, y, w, h} in the GC's foreground colour.
TMX_API int WmDrawRect(int hGC, int x, int y, int w, int h);
/* A new bitmap of the GC's pixels at {x, y, w, h} (flag 1), or NULL. The caller owns it and frees
   it with _WmFreeBitmap. */
TMX_API tagWMBITMAP* _WmCaptureBitmap(int hGC, int x, int y, int w, int h, int flag,
                                      const char* sourcePath, int line);
/* Frees a bitmap record taken from the platform heap and, with flag 0, also the pixel block its
   pBits names when that is a live platform-heap block. */
TMX_API int _WmFreeBitmap(tagWMBITMAP* pBitmap, int flag, const char* sourcePath, int line);

/* Text objects: a wide text laid out in a box. _WmTextCreate copies nLen units of the text and
   returns a handle the caller releases with WmTextDestroy, or INVALID_HOBJ. */
TMX_API int _WmTextCreate(const unsigned short* pText, int nLen, int flag, const char* sourcePath,
                          int line);
TMX_API int WmTextSetFontFgColor(int hText, unsigned short rgb565);
TMX_API int WmTextSetFont(int hText, int font);
TMX_API int WmTextSetWrap(int hText, int mode);    // 2: break lines at word boundaries
TMX_API int WmTextSetAlign(int hText, int align);  // WM_TEXT_ALIGN_ flags
TMX_API int WmTextSetAction(int hText, int action);
// Draws the text into the GC inside the box, clipped to it.
TMX_API int WmTextDisplay(int hGC, tagWMRECT rect, int hText);
TMX_API int WmTextDestroy(int hText);

/* Text alignment flags: 0 is top-left. */
#define WM_TEXT_ALIGN_HCENTER 0x001
#define WM_TEXT_ALIGN_RIGHT 0x002
#define WM_TEXT_ALIGN_VCENTER 0x200
#define WM_TEXT_ALIGN_BOTTOM 0x400

/* Text. Wide strings are NUL-terminated 16-bit units (UTF-16); 8-bit local text is UTF-8.
   Capacities are in bytes; results are always terminated within them. */
TMX_API int WmStrlen(const unsigned short* pmszString);
TMX_API unsigned short* WmStrcpy(unsigned short* pDest, const unsigned short* pSrc);
TMX_API unsigned short* WmStrncpy(unsigned short* pDest, const unsigned short* pSrc, int nCount);
/* Formats 8-bit `format` with 8-bit arguments into wide text. */
TMX_API int WmSprintf(unsigned short* pDest, const char* format, ...) TMX_PRINTF(2, 3);
/* Local (UTF-8) text to wide: nSrcLen bytes, or up to the terminator. */
TMX_API int WmConvert2PCodeN(unsigned short* pDest, int nDestBytes, const char* pSrc, int nSrcLen);
TMX_API int WmConvert2PCode(unsigned short* pDest, int nDestBytes, const char* pSrc);
/* Wide text to local (UTF-8). */
TMX_API int WmConvert2LCode(char* pDest, int nDestBytes, const unsigned short* pSrc);
/* GSM 7-bit default alphabet (3GPP TS 23.038), unpacked septets one per byte, to wide. */
TMX_API int WmConvertGSM2PCode(unsigned short* pDest, int nDestBytes, const char* pSrc,
                               int nSrcLen);

#ifdef __cplusplus
}

static_assert(sizeof(tagWMRECT) == 16, "the rectangle is four 32-bit words");
static_assert(offsetof(tagWMBITMAP, rectW) == 12 && offsetof(tagWMBITMAP, rectH) == 16 &&
                  offsetof(tagWMBITMAP, nBitsPerPixel) == 20 &&
                  offsetof(tagWMBITMAP, nWord6) == 24 && offsetof(tagWMBITMAP, pBits) == 40,
              "bitmap words keep the handset's order");
static_assert(sizeof(tagWMBITMAP) == 40 + sizeof(void*) || sizeof(void*) == 4,
              "the bitmap record ends with its pixel pointer");
#endif
