// Image helpers: images scaled into new 16-bit bitmaps that the caller owns, their release,
// recolouring of reserved colours, frame counts and Flash content.
#include "../H/CallCommonSvc.h"
#include "../Platform/TmxAVMS.h"
#include "CallCommonUtil.h"

namespace {

const char kSourcePath[] = "CallCommonSvc\\Util\\CallCommonUtil";

// Every bitmap made here holds 16-bit pixels: the scaler reads and writes nothing else.
const int kBitsPerPixel = 16;
const int kDecodeMode16Bit = 2;
const int kFrameInfoFlags = 1;

// The low word of a pointer, as the traces show it.
unsigned int PointerWord(const void* p) {
    return static_cast<unsigned int>(reinterpret_cast<uintptr_t>(p));
}

void FreeBlock(void* pBlock) {
    if (pBlock != NULL) {
        MemFreeTraceMultiHeap(pBlock, kSourcePath, __LINE__);
    }
}

// Byte count of a 16-bit pixel block, or 0 when the size is empty or too large for the heap.
unsigned int PixelBytes(int width, int height) {
    if (width <= 0 || height <= 0) {
        return 0;
    }
    const unsigned long long bytes = static_cast<unsigned long long>(width) *
                                     static_cast<unsigned long long>(height) * (kBitsPerPixel / 8);
    return bytes > 0x7FFFFFFFull ? 0 : static_cast<unsigned int>(bytes);
}

// A new zeroed bitmap record, or null.
tagWMBITMAP* NewRecord() {
    tagWMBITMAP* pBmp =
        static_cast<tagWMBITMAP*>(MemAllocTraceEx(0, sizeof(tagWMBITMAP), kSourcePath, __LINE__));
    if (pBmp != NULL) {
        AcMemsetEx(pBmp, sizeof(tagWMBITMAP), 0, sizeof(tagWMBITMAP), kSourcePath, __LINE__);
    }
    return pBmp;
}

// Source pixels in the 16-bit form the scaler takes. 16-bit pixels are used in place; 32-bit
// premultiplied ARGB is converted over black into a block that *ppOwned holds for the caller to
// free. Any other depth, or a failed block, gives null.
const void* Source16(const void* pBits, int bitsPerPixel, int width, int height, void** ppOwned) {
    *ppOwned = NULL;
    if (bitsPerPixel == kBitsPerPixel) {
        return pBits;
    }
    const unsigned int nBytes = PixelBytes(width, height);
    if (bitsPerPixel != 32 || nBytes == 0) {
        return NULL;
    }
    unsigned short* pTo =
        static_cast<unsigned short*>(MemAllocTraceEx(0, nBytes, kSourcePath, __LINE__));
    if (pTo == NULL) {
        return NULL;
    }
    const uint32_t* pFrom = static_cast<const uint32_t*>(pBits);
    const unsigned int nCount = nBytes / 2;
    for (unsigned int i = 0; i < nCount; ++i) {
        const uint32_t p = pFrom[i];
        pTo[i] = static_cast<unsigned short>(((p >> 8) & 0xF800) | ((p >> 5) & 0x07E0) |
                                             ((p >> 3) & 0x001F));
    }
    *ppOwned = pTo;
    return pTo;
}

}  // namespace

tagWMBITMAP* CCallUtil::GetFitToScreenBitmap(const char* szFilePath, int width, int height,
                                             int color) {
    if (!CALL_REQUIRE(szFilePath != NULL) || !CALL_REQUIRE(AcStrlen(szFilePath) > 0)) {
        return NULL;
    }
    SysDebugPrintf(TMX_DBG_UTIL,
                   "GetFitToScreenBitmap() : szFilePath=%s width (%d) height (%d) Color (0x%x)\n",
                   szFilePath, width, height, static_cast<unsigned int>(color));

    tagWMBITMAP* pPshFinalBitmap = NewRecord();
    if (pPshFinalBitmap == NULL) {
        SysDebugPrintf(TMX_DBG_FAIL, "GetFitToScreenBitmap() : pPshFinalBitmap MemAlloc failed");
        return NULL;
    }

    ImgImage* pImgImage = NULL;
    if (ImgDecodeFileEx(szFilePath, &pImgImage, width, height, kDecodeMode16Bit, 0) == 0) {
        SysDebugPrintf(TMX_DBG_FAIL, "GetFitToScreenBitmap: ImgDecodeFileEx failed\n");
        if (pImgImage != NULL) {
            ImgFreeImage(pImgImage);
        }
        FreeBlock(pPshFinalBitmap);
        return NULL;
    }
    if (!CALL_REQUIRE(pImgImage != NULL)) {
        FreeBlock(pPshFinalBitmap);
        return NULL;
    }
    const ImgBitmap* pSrc = pImgImage->pHead != NULL ? pImgImage->pHead->pbmBitmap : NULL;
    if (pSrc == NULL) {
        CALL_REPORT_REQUIRE("pImgImage->pHead->pbmBitmap->pBits != NULL");
        ImgFreeImage(pImgImage);
        FreeBlock(pPshFinalBitmap);
        return NULL;
    }
    if (!CALL_REQUIRE(pImgImage->pHead->pbmBitmap->pBits != NULL)) {
        ImgFreeImage(pImgImage);
        FreeBlock(pPshFinalBitmap);
        return NULL;
    }

    pPshFinalBitmap->nWord1 = 0;
    pPshFinalBitmap->rectW = width;
    pPshFinalBitmap->rectH = height;
    pPshFinalBitmap->nBitsPerPixel = kBitsPerPixel;
    pPshFinalBitmap->nWord6 = pSrc->nWord0;
    pPshFinalBitmap->nWord7 = pSrc->nWord12;

    const unsigned int nBytes = PixelBytes(width, height);
    pPshFinalBitmap->pBits = nBytes != 0 ? MemAllocTraceEx(0, nBytes, kSourcePath, __LINE__) : NULL;
    if (pPshFinalBitmap->pBits == NULL) {
        SysDebugPrintf(TMX_DBG_FAIL,
                       "GetFitToScreenBitmap: Memory allocation is failed! pPshFinalBitmap=0x%x\n",
                       PointerWord(pPshFinalBitmap));
        ImgFreeImage(pImgImage);
        FreeBlock(pPshFinalBitmap);
        return NULL;
    }

    void* pConverted = NULL;
    const void* pSrcBits =
        Source16(pSrc->pBits, pSrc->nBitsPerPixel, pSrc->nWidth, pSrc->nHeight, &pConverted);
    int size = static_cast<int>(nBytes);
    if (pSrcBits == NULL || ImgScaleImage(0, pSrcBits, pSrc->nWidth, pSrc->nHeight,
                                          pPshFinalBitmap->pBits, width, height, &size) == 0) {
        SysDebugPrintf(TMX_DBG_FAIL, "GetFitToScreenBitmap: ImgScaleImage returns FALSE !!! \n");
        FreeBlock(pConverted);
        ImgFreeImage(pImgImage);
        FreeBlock(pPshFinalBitmap->pBits);
        FreeBlock(pPshFinalBitmap);
        return NULL;
    }
    FreeBlock(pConverted);

    SysDebugPrintf(TMX_DBG_UTIL,
                   "GetFitToScreenBitmap : pPshFinalBitmap=0x%x,pPshFinalBitmap->pBits=0x%x\n",
                   PointerWord(pPshFinalBitmap), PointerWord(pPshFinalBitmap->pBits));
    ImgFreeImage(pImgImage);

    unsigned char* pBits = static_cast<unsigned char*>(pPshFinalBitmap->pBits);
    ChangeBitmapColor(pBits, size, CALL_CHANGE_COLOR_GRAY);
    ChangeBitmapColor(pBits, size, CALL_CHANGE_COLOR_WHITE);
    SysDebugPrintf(TMX_DBG_UTIL, "GetFitToScreenBitmap : Decode Success!!pPshFinalBitmap (0x%x) \n",
                   PointerWord(pPshFinalBitmap));
    return pPshFinalBitmap;
}

tagWMBITMAP* CCallUtil::GetFitToScreenBitmapEx(tagWMBITMAP* pSrc, int width, int height,
                                               int color) {
    (void)color;
    if (!CALL_REQUIRE(pSrc != NULL) || !CALL_REQUIRE(pSrc->pBits != NULL)) {
        return NULL;
    }
    tagWMBITMAP* pPshFinalBitmap = NewRecord();
    if (pPshFinalBitmap == NULL) {
        SysDebugPrintf(TMX_DBG_FAIL, "GetFitToScreenBitmapEx() : pPshFinalBitmap MemAlloc failed");
        return NULL;
    }
    pPshFinalBitmap->nWord1 = 0;
    pPshFinalBitmap->rectW = width;
    pPshFinalBitmap->rectH = height;
    pPshFinalBitmap->nBitsPerPixel = kBitsPerPixel;
    pPshFinalBitmap->nWord6 = pSrc->nWord6;
    pPshFinalBitmap->nWord7 = pSrc->nWord7;

    const unsigned int nBytes = PixelBytes(width, height);
    pPshFinalBitmap->pBits = nBytes != 0 ? MemAllocTraceEx(0, nBytes, kSourcePath, __LINE__) : NULL;
    if (pPshFinalBitmap->pBits == NULL) {
        SysDebugPrintf(
            TMX_DBG_FAIL,
            "GetFitToScreenBitmapEx: Memory allocation is failed! pPshFinalBitmap=0x%x\n",
            PointerWord(pPshFinalBitmap));
        FreeBlock(pPshFinalBitmap);
        return NULL;
    }

    void* pConverted = NULL;
    const void* pSrcBits =
        Source16(pSrc->pBits, pSrc->nBitsPerPixel, pSrc->rectW, pSrc->rectH, &pConverted);
    int size = static_cast<int>(nBytes);
    if (pSrcBits == NULL || ImgScaleImage(0, pSrcBits, pSrc->rectW, pSrc->rectH,
                                          pPshFinalBitmap->pBits, width, height, &size) == 0) {
        SysDebugPrintf(TMX_DBG_FAIL, "GetFitToScreenBitmapEx: ImgScaleImage returns FALSE !!! \n");
        FreeBlock(pConverted);
        FreeBlock(pPshFinalBitmap->pBits);
        FreeBlock(pPshFinalBitmap);
        return NULL;
    }
    FreeBlock(pConverted);

    SysDebugPrintf(TMX_DBG_UTIL,
                   "GetFitToScreenBitmapEx : pPshFinalBitmap=0x%x,pPshFinalBitmap->pBits=0x%x\n",
                   PointerWord(pPshFinalBitmap), PointerWord(pPshFinalBitmap->pBits));
    unsigned char* pBits = static_cast<unsigned char*>(pPshFinalBitmap->pBits);
    ChangeBitmapColor(pBits, size, CALL_CHANGE_COLOR_GRAY);
    ChangeBitmapColor(pBits, size, CALL_CHANGE_COLOR_WHITE);
    SysDebugPrintf(TMX_DBG_UTIL,
                   "GetFitToScreenBitmapEx : Decode Success!!pPshFinalBitmap (0x%x) \n",
                   PointerWord(pPshFinalBitmap));
    return pPshFinalBitmap;
}

tagWMBITMAP* CCallUtil::LoadScaledImageBlackBackground(char* szFilePath, int width, int height,
                                                       int color) {
    tagWMBITMAP* pBmp = GetFitToScreenBitmap(szFilePath, width, height, color);
    if (pBmp != NULL) {
        SysDebugPrintf(TMX_DBG_UTIL, "CallLoadScaledImageBlackBackground:width=%d,height=%d\n",
                       width, height);
    }
    return pBmp;
}

tagWMBITMAP* CCallUtil::LoadScaledImageBlackBackgroundEx(tagWMBITMAP* pSrc, int width, int height,
                                                         int color) {
    tagWMBITMAP* pBmp = GetFitToScreenBitmapEx(pSrc, width, height, color);
    if (pBmp != NULL) {
        SysDebugPrintf(TMX_DBG_UTIL, "LoadScaledImageBlackBackgroundEx:width=%d,height=%d\n", width,
                       height);
    }
    return pBmp;
}

int CCallUtil::FreeScaledImageBlackBackground(tagWMBITMAP* pBmp) {
    if (pBmp == NULL) {
        SysDebugPrintf(TMX_DBG_FAIL, "CallFreeScaledImageBlackBackground:pBmp=NULL\n");
        return 0;
    }
    if (pBmp->pBits != NULL) {
        SysDebugPrintf(TMX_DBG_UTIL,
                       "CallFreeScaledImageBlackBackground:pBmp=0x%x,pBmp->pBits=0x%x\n",
                       PointerWord(pBmp), PointerWord(pBmp->pBits));
        MemFreeTraceMultiHeap(pBmp->pBits, kSourcePath, __LINE__);
        pBmp->pBits = NULL;
    } else {
        SysDebugPrintf(TMX_DBG_FAIL,
                       "CallFreeScaledImageBlackBackground:pBmp=0x%x,pBmp->pBits=NULL\n",
                       PointerWord(pBmp));
    }
    MemFreeTraceMultiHeap(pBmp, kSourcePath, __LINE__);
    return 1;
}

void CCallUtil::FreeCallerIDThumbnail(tagWMBITMAP* pBmp) {
    if (pBmp != NULL) {
        _WmFreeBitmap(pBmp, 0, kSourcePath, __LINE__);
    }
}

int CCallUtil::ChangeBitmapColor(unsigned char* pBits, int nSize, CallChangeColorType eType) {
    SysDebugPrintf(TMX_DBG_UTIL, "CallChangeBitmapColor: iType(%d)\n", static_cast<int>(eType));
    unsigned short from = 0;
    unsigned short to = 0;
    switch (eType) {
        case CALL_CHANGE_COLOR_GRAY:
            from = 0x8430;
            to = 0x8431;
            break;
        case CALL_CHANGE_COLOR_WHITE:
            from = 0xFFFF;
            to = 0xFFFE;
            break;
        case CALL_CHANGE_COLOR_MAGENTA:
            from = 0xF81F;
            to = 0x0000;
            break;
        default:
            SysDebugPrintf(TMX_DBG_FAIL, "CallChangeBitmapColor: No iType(%d)\n",
                           static_cast<int>(eType));
            return 1;
    }
    if (pBits == NULL) {
        return 1;
    }
    // Whole pixels only: an odd last byte is left alone. Pixels are stored low byte first.
    for (int i = 0; i + 1 < nSize; i += 2) {
        if ((pBits[i] | (pBits[i + 1] << 8)) == from) {
            pBits[i] = static_cast<unsigned char>(to & 0xFF);
            pBits[i + 1] = static_cast<unsigned char>(to >> 8);
        }
    }
    return 1;
}

int CCallUtil::GetImgFrameCount(const char* pszImgPath) {
    if (!CALL_REQUIRE(pszImgPath != NULL)) {
        return -1;
    }
    SysDebugPrintf(TMX_DBG_UTIL, "CallIsMultiFramesImg: \n");
    if (AcStrlen(pszImgPath) == 0) {
        SysDebugPrintf(TMX_DBG_FAIL, "CallIsMultiFramesImg: pszImgPath length is 0\n");
        return -1;
    }
    int nFlags = kFrameInfoFlags;
    ImgImageInfo info;
    AcMemsetEx(&info, sizeof(info), 0, sizeof(info), kSourcePath, __LINE__);
    if (ImgGetImageInfo(pszImgPath, &nFlags, &info) == 0) {
        SysDebugPrintf(TMX_DBG_FAIL, "CallIsMultiFramesImg: ImgGetImageInfo fail!\n");
        return -1;
    }
    return info.nFrameCount;
}

int CCallUtil::IsFlashContent(char* pszPath) {
    SysDebugPrintf(TMX_DBG_UTIL, "CCallUtil::IsFlashContent : Start ~ !!\n");
    char extension[10];
    AcMemsetEx(extension, sizeof(extension), 0, sizeof(extension), kSourcePath, __LINE__);
    FmGetFileExtEx(pszPath, extension, sizeof(extension));
    extension[sizeof(extension) - 1] = '\0';
    if (AcStricmp(extension, "SWF") == 0) {
        SysDebugPrintf(TMX_DBG_UTIL, "CCallUtil::IsFlashContent : OK!!\n");
        return 1;
    }
    SysDebugPrintf(TMX_DBG_UTIL, "CCallUtil::IsFlashContent : No!!\n");
    return 0;
}

CALL_EXPORT tagWMBITMAP* CallLoadScaledImageBlackBackground(char* szFilePath, int width, int height,
                                                            int color) {
    return CCallUtil::LoadScaledImageBlackBackground(szFilePath, width, height, color);
}

CALL_EXPORT tagWMBITMAP* CallLoadScaledImageBlackBackgroundEx(tagWMBITMAP* pSrc, int width,
                                                              int height, int color) {
    return CCallUtil::LoadScaledImageBlackBackgroundEx(pSrc, width, height, color);
}

CALL_EXPORT int CallFreeScaledImageBlackBackground(tagWMBITMAP* pBmp) {
    return CCallUtil::FreeScaledImageBlackBackground(pBmp);
}

CALL_EXPORT void CallFreeCallerIDThumbnail(tagWMBITMAP* pBmp) {
    CCallUtil::FreeCallerIDThumbnail(pBmp);
}

CALL_EXPORT int CallChangeBitmapColor(unsigned char* pBits, int nSize, CallChangeColorType eType) {
    return CCallUtil::ChangeBitmapColor(pBits, nSize, eType);
}

CALL_EXPORT int CallGetImgFrameCount(const char* pszImgPath) {
    return CCallUtil::GetImgFrameCount(pszImgPath);
}

CALL_EXPORT int CallIsFlashContent(char* pszPath) {
    return CCallUtil::IsFlashContent(pszPath);
}
