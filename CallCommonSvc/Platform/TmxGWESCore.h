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
#endif
