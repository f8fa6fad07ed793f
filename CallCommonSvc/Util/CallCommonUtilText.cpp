// Text and encoding helpers.
#include "../H/CallCommonSvc.h"
#include "../Platform/TmxGWESCore.h"
#include "CallCommonUtil.h"

namespace {

const char kSourcePath[] = "CallCommonSvc\\Util\\CallCommonUtil";

// The encode-type copy converts through a wide work buffer of 481 characters.
const int kWorkChars = 481;
const int kSkypeIdMax = 32;
const int kUusMax = 31;
const int kFullNameSize = 301;

// A terminated copy of at most nLength bytes of text that may lack its terminator, for traces.
struct Printable {
    Printable(const char* pText, int nLength) {
        int n = pText == NULL || nLength < 0 ? 0 : nLength < kWorkChars ? nLength : kWorkChars - 1;
        AcStrncpyEx(szText, sizeof(szText), pText, static_cast<unsigned>(n), kSourcePath, __LINE__);
    }
    char szText[kWorkChars];
};

}  // namespace

unsigned short* CCallUtil::Strcpy(unsigned short* pBuffer, int nBufCount,
                                  const unsigned short* pmszString) {
    if (!CALL_REQUIRE(pBuffer) || !CALL_REQUIRE(pmszString)) {
        return NULL;
    }
    int nLength = WmStrlen(pmszString);
    if (nLength > nBufCount - 1) {
        SysDebugPrintf(TMX_DBG_FAIL, "CallWmStrcpy:short of buffer..BufCount=%d, strlen=%d\n",
                       nBufCount, nLength);
        // A buffer without room for the terminator gets nothing.
        if (nBufCount < 1) {
            return NULL;
        }
        WmStrncpy(pBuffer, pmszString, nBufCount - 1);
        pBuffer[nBufCount - 1] = 0;
        return pBuffer;
    }
    WmStrcpy(pBuffer, pmszString);
    return pBuffer;
}

unsigned short* CCallUtil::Sprintf(unsigned short* pBuffer, const char* pszString1,
                                   const char* pszString2) {
    if (!CALL_REQUIRE(pBuffer) || !CALL_REQUIRE(pszString1) || !CALL_REQUIRE(pszString2)) {
        return NULL;
    }
    SysDebugPrintf(TMX_DBG_FAIL, "CallWmSprintf:\n");
    WmSprintf(pBuffer, pszString1, pszString2);
    return pBuffer;
}

char* CCallUtil::Strcpy(char* pBuffer, int nBufCount, const char* pszString) {
    if (!CALL_REQUIRE(pBuffer) || !CALL_REQUIRE(pszString)) {
        return NULL;
    }
    int nLength = AcStrlen(pszString);
    if (nLength > nBufCount - 1) {
        SysDebugPrintf(TMX_DBG_FAIL,
                       "CallAcStrcpy:short of buffer..BufCount=%d, strlen=%d, str=%s\n", nBufCount,
                       nLength, pszString);
        if (nBufCount < 1) {
            return NULL;
        }
        AcStrncpyEx(pBuffer, static_cast<unsigned>(nBufCount), pszString,
                    static_cast<unsigned>(nBufCount - 1), kSourcePath, __LINE__);
        pBuffer[nBufCount - 1] = '\0';
        return pBuffer;
    }
    AcStrcpyEx(pBuffer, static_cast<unsigned>(nBufCount), pszString, kSourcePath, __LINE__);
    return pBuffer;
}

int CCallUtil::Strcpy(char* pBuffer, int nBufLen, char* pszString, int nStrLen,
                      TapiUssdEncodeType eType) {
    if (!CALL_REQUIRE(pBuffer != NULL) || !CALL_REQUIRE(pszString != NULL)) {
        return 0;
    }
    SysDebugPrintf(TMX_DBG_UTIL,
                   "CallAcStrcpyByEncodeType: outBuffer=%s, outLength= %d, inBuffer=%s, "
                   "inLength=%d, encodetype=%d\n",
                   Printable(pBuffer, nBufLen).szText, nBufLen,
                   Printable(pszString, nStrLen).szText, nStrLen, static_cast<int>(eType));
    unsigned short work[kWorkChars];
    AcMemsetEx(work, sizeof(work), 0, sizeof(work), kSourcePath, __LINE__);
    int nLength = nStrLen > 0 ? nStrLen : 0;
    switch (eType) {
        case TAPI_USSD_ENCODE_8BIT:
            WmConvert2PCodeN(work, sizeof(work), pszString, nLength);
            break;
        case TAPI_USSD_ENCODE_UCS2: {
            // High byte first on the network: swap into the work buffer, leaving room for the
            // terminator.
            int nCount = nLength / 2;
            if (nCount > kWorkChars - 1) {
                nCount = kWorkChars - 1;
            }
            unsigned short source[kWorkChars];
            AcMemcpyEx(source, sizeof(source), pszString, static_cast<unsigned>(nCount * 2),
                       kSourcePath, __LINE__);
            source[nCount] = 0;
            SwapMCHAR(work, source, nCount);
            break;
        }
        default:
            WmConvertGSM2PCode(work, sizeof(work), pszString, nLength);
            break;
    }
    if (nBufLen > 0) {
        WmConvert2LCode(pBuffer, nBufLen, work);
    }
    SysDebugPrintf(TMX_DBG_UTIL, "CallAcStrcpyByEncodeType: encodetype=%d, out=%s, in=%s\n",
                   static_cast<int>(eType), Printable(pBuffer, nBufLen).szText,
                   Printable(pszString, nStrLen).szText);
    return 1;
}

int CCallUtil::SwapMCHAR(unsigned short* pDest, unsigned short* pSrc, int nCount) {
    if (!CALL_REQUIRE(pDest) || !CALL_REQUIRE(pSrc)) {
        return 0;
    }
    int i = 0;
    for (; i < nCount; ++i) {
        if (pSrc[i] == 0) {
            break;
        }
        pDest[i] = UtilSwapShort(pSrc[i]);
    }
    pDest[i] = 0;
    return i == nCount ? 1 : 0;
}

unsigned short CCallUtil::UtilSwapShort(unsigned short x) {
    return static_cast<unsigned short>((x << 8) | (x >> 8));
}

// The CBS data coding scheme of 3GPP TS 23.038, which USSD uses; reserved values are GSM 7-bit.
TapiUssdEncodeType CCallUtil::ParseDCS(unsigned char dcs) {
    SysDebugPrintf(TMX_DBG_UTIL, "CallUtilParseDCS : dcs = %02x \n", dcs);
    unsigned char alphabet = dcs & 0x0C;
    if (dcs <= 0x3F) {
        return dcs == 0x11 ? TAPI_USSD_ENCODE_UCS2 : TAPI_USSD_ENCODE_GSM7BIT;
    }
    if ((dcs & 0xF0) == 0xF0) {
        return alphabet == 0x04 ? TAPI_USSD_ENCODE_8BIT : TAPI_USSD_ENCODE_GSM7BIT;
    }
    if ((dcs & 0x40) != 0) {
        if (alphabet == 0x04) {
            return TAPI_USSD_ENCODE_8BIT;
        }
        return alphabet == 0x08 ? TAPI_USSD_ENCODE_UCS2 : TAPI_USSD_ENCODE_GSM7BIT;
    }
    return TAPI_USSD_ENCODE_GSM7BIT;
}

// Bytes 0 to 30 carry characters 0 to 30; the 32nd character's bits ride on bit 7 of bytes 23
// to 30. An identifier longer than 32 characters is encoded by its first 32.
int CCallUtil::EncodeSkypeID(unsigned char* pUUS, char* szSkypeID, int iLen) {
    if (!CALL_REQUIRE(pUUS != NULL) || !CALL_REQUIRE(szSkypeID != NULL)) {
        return 0;
    }
    SysDebugPrintf(TMX_DBG_UTIL, "CCallUtil::EncodeSkypeID: szSkypeID(%s),  iLen(%d)\n",
                   Printable(szSkypeID, iLen).szText, iLen);
    int nLength = iLen < 0 ? 0 : iLen > kSkypeIdMax ? kSkypeIdMax : iLen;
    for (int i = 0; i < nLength && i < kUusMax; ++i) {
        pUUS[i] = static_cast<unsigned char>(szSkypeID[i]);
    }
    if (nLength == kSkypeIdMax) {
        unsigned char last = static_cast<unsigned char>(szSkypeID[kSkypeIdMax - 1]);
        for (int bit = 7; bit >= 0; --bit) {
            pUUS[23 + (7 - bit)] |= static_cast<unsigned char>(((last >> bit) & 1) << 7);
        }
    }
    int nResult = nLength == kSkypeIdMax ? kUusMax : nLength;
    SysDebugPrintf(TMX_DBG_UTIL, "CCallUtil::EncodeSkypeID: szUUS(%s), iLen(%d)\n",
                   Printable(szSkypeID, nLength).szText, nResult);
    return nResult;
}

// Reads at most 31 payload bytes; szSkypeID holds at least 33 bytes.
int CCallUtil::DecodeSkypeID(unsigned char* pUUS, char* szSkypeID, int iLen) {
    if (!CALL_REQUIRE(pUUS != NULL) || !CALL_REQUIRE(szSkypeID != NULL)) {
        return 0;
    }
    szSkypeID[kSkypeIdMax - 1] = 0;
    int nLength = iLen < 0 ? 0 : iLen > kUusMax ? kUusMax : iLen;
    SysDebugPrintf(TMX_DBG_UTIL, "CCallUtil::DecodeSkypeID: szUUS(%s), iLen(%d)\n",
                   Printable(reinterpret_cast<const char*>(pUUS), nLength).szText, iLen);
    unsigned char last = 0;
    for (int i = 0; i < nLength; ++i) {
        szSkypeID[i] = static_cast<char>(pUUS[i] & 0x7F);
        if (i >= 24) {
            last = static_cast<unsigned char>((last << 1) | (pUUS[i] >> 7));
        }
    }
    szSkypeID[kSkypeIdMax - 1] = static_cast<char>(last);
    int nResult = nLength == kUusMax && last > 0 ? kSkypeIdMax : nLength;
    SysDebugPrintf(TMX_DBG_UTIL, "CCallUtil::DecodeSkypeID: szSkypeID(%s), iLen(%d)\n",
                   Printable(szSkypeID, kSkypeIdMax).szText, nResult);
    return nResult;
}

char* CCallUtil::SetDisplayFullName(char* pszFullName, int nBufCount, const char* pszLastName,
                                    const char* pszFirstName) {
    if (!CALL_REQUIRE(pszFullName) || !CALL_REQUIRE(pszLastName) || !CALL_REQUIRE(pszFirstName)) {
        return NULL;
    }
    char szWork[kFullNameSize];
    AcMemsetEx(szWork, sizeof(szWork), 0, sizeof(szWork), kSourcePath, __LINE__);
    if (AcStrlen(pszFirstName) > 0) {
        AcStrcpyEx(szWork, sizeof(szWork), pszFirstName, kSourcePath, __LINE__);
    }
    if (AcStrlen(pszLastName) > 0) {
        AcStrcatEx(szWork, sizeof(szWork), pszLastName, kSourcePath, __LINE__);
    }
    return Strcpy(pszFullName, nBufCount, szWork);
}

unsigned short* CallWmStrcpy(unsigned short* pBuffer, int nBufCount,
                             const unsigned short* pmszString) {
    return CCallUtil::Strcpy(pBuffer, nBufCount, pmszString);
}
unsigned short* CallWmSprintf(unsigned short* pBuffer, const char* pszString1,
                              const char* pszString2) {
    return CCallUtil::Sprintf(pBuffer, pszString1, pszString2);
}
char* CallAcStrcpy(char* pBuffer, int nBufCount, const char* pszString) {
    return CCallUtil::Strcpy(pBuffer, nBufCount, pszString);
}
int CallAcStrcpyByEncodeType(char* pBuffer, int nBufLen, char* pszString, int nStrLen, int eType) {
    return CCallUtil::Strcpy(pBuffer, nBufLen, pszString, nStrLen,
                             static_cast<TapiUssdEncodeType>(eType));
}
int CallUtilSwapMCHAR(unsigned short* pDest, unsigned short* pSrc, int nCount) {
    return CCallUtil::SwapMCHAR(pDest, pSrc, nCount);
}
int CallUtilParseDCS(unsigned char dcs) {
    return CCallUtil::ParseDCS(dcs);
}
int CallEncodeSkypeID(unsigned char* pUUS, char* szSkypeID, int iLen) {
    return CCallUtil::EncodeSkypeID(pUUS, szSkypeID, iLen);
}
int CallDecodeSkypeID(unsigned char* pUUS, char* szSkypeID, int iLen) {
    return CCallUtil::DecodeSkypeID(pUUS, szSkypeID, iLen);
}
char* CallSetDisplayFullName(char* pszFullName, int nBufCount, const char* pszLastName,
                             const char* pszFirstName) {
    return CCallUtil::SetDisplayFullName(pszFullName, nBufCount, pszLastName, pszFirstName);
}

int CallIsToday(const int* pDate) {
    if (!CALL_REQUIRE(pDate)) {
        return 0;
    }
    unsigned long long seconds = TmGetLocalTime();
    TmDateTime today;
    AcMemsetEx(&today, sizeof(today), 0, sizeof(today), kSourcePath, __LINE__);
    TmSecondsToDateTime64(seconds, &today);
    SysDebugPrintf(TMX_DBG_UTIL, "CallIsToday: pDate is %d-%d-%d and today is %d-%d-%d\n", pDate[0],
                   pDate[1], pDate[2], today.nYear, today.nMonth, today.nDay);
    return pDate[1] == today.nMonth && pDate[2] == today.nDay ? 1 : 0;
}
