// Dial strings and supplementary-service codes, after the man-machine interface of
// 3GPP TS 22.030.
#include "../H/CallCommonSvc.h"
#include "../Platform/TmxCommTAPI.h"
#include "CallCommonUtil.h"
#include "CallCommonUtilInternal.h"

namespace {

const char kSourcePath[] = "CallCommonSvc\\Util\\CallCommonUtil";
const char kSectionCallSetting[] = "CallSetting";
const int kPrefixSize = 10;
const int kPrefixCount = 5;

// The service codes of the standard SS procedures, in order of comparison.
const char* const kPredefinedSsCodes[] = {"03",  "04",  "05",  "21",  "30",  "31",  "33",  "35",
                                          "43",  "61",  "62",  "76",  "77",  "67",  "002", "004",
                                          "042", "052", "330", "331", "332", "333", "351", "353"};

const char* const kPrefixKeys[kPrefixCount] = {
    "CALL_REG_KEY_PREFIX_DIALLING_1", "CALL_REG_KEY_PREFIX_DIALLING_2",
    "CALL_REG_KEY_PREFIX_DIALLING_3", "CALL_REG_KEY_PREFIX_DIALLING_4",
    "CALL_REG_KEY_PREFIX_DIALLING_5"};

// Networks 234/15, 234/10 and 234/33, where "1470" shows the caller's identity.
const unsigned int kIdentityNetworks[] = {0x00EA000F, 0x00EA000A, 0x00EA0021};

bool StartsWith(const char* psz, const char* pszPrefix) {
    for (; *pszPrefix != '\0'; ++psz, ++pszPrefix) {
        if (*psz != *pszPrefix) {
            return false;
        }
    }
    return true;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

unsigned int CallUtilNetworkWord() {
    TapiNetworkInfo info;
    AcMemsetEx(&info, sizeof(info), 0, sizeof(info), kSourcePath, __LINE__);
    TapiGetNetworkInfo(&info);
    return info.nMccMnc;
}

// The first pause mark: the first 'P', or without one the first 'p'; -1 when there is none.
static int FindPauseMark(const char* psz) {
    const char* pMark = AcStrchr(psz, 'P');
    if (pMark == NULL) {
        pMark = AcStrchr(psz, 'p');
    }
    return pMark != NULL ? static_cast<int>(pMark - psz) : -1;
}

int CCallUtil::IsSsCode(const char* pszInput) {
    if (!CALL_REQUIRE(pszInput != NULL)) {
        return 0;
    }
    int nLength = AcStrlen(pszInput);
    int mcc = static_cast<int>(CallUtilNetworkWord() >> 16);
    SysDebugPrintf(TMX_DBG_UTIL, "CallIsSsCode: mcc (%d)!!\n", mcc);
    if ((mcc == 219 || mcc == 220) && nLength == 2 && pszInput[0] == '9' && pszInput[1] >= '2' &&
        pszInput[1] <= '6') {
        return 0;
    }
    if (mcc == 310 && (StartsWith(pszInput, "00") || StartsWith(pszInput, "08"))) {
        return 0;
    }
    int nMark = FindPauseMark(pszInput);
    if (nMark >= 0) {
        SysDebugPrintf(
            TMX_DBG_UTIL,
            "CallIsSsCode: Find P in Input Number (%s), Original StrLength = %d, Changed "
            "StrLength = %d\n",
            pszInput, nLength, nMark);
        nLength = nMark;
    }
    // An empty judged part is no USSD string, and nothing before the string is read.
    if (nLength == 0) {
        return 0;
    }
    if (pszInput[nLength - 1] == '#') {
        SysDebugPrintf(TMX_DBG_UTIL, "CallIsSsCode: last char of pszInput[%d] = %c \n", nLength - 1,
                       pszInput[nLength - 1]);
        return 1;
    }
    if (pszInput[0] == '*' || pszInput[0] == '#') {
        return 0;
    }
    // TS 22.030: one or two characters are a short USSD string.
    return nLength <= 2 ? 1 : 0;
}

int CCallUtil::IsPreDefinedSsCode(const char* pszInput) {
    if (!CALL_REQUIRE(pszInput != NULL) || AcStrlen(pszInput) < 2) {
        return 0;
    }
    const char* pszCode = pszInput + ((pszInput[1] == '#' || pszInput[1] == '*') ? 2 : 1);
    for (const char* pszKnown : kPredefinedSsCodes) {
        if (StartsWith(pszCode, pszKnown)) {
            char next = pszCode[AcStrlen(pszKnown)];
            if (next == '#' || next == '*') {
                return 1;
            }
        }
    }
    return 0;
}

int CCallUtil::GetSsStateInCalling(const char* pszNumber) {
    if (!CALL_REQUIRE(pszNumber != NULL)) {
        return 0;
    }
    int nLength = AcStrlen(pszNumber);
    if (nLength == 1) {
        switch (pszNumber[0]) {
            case '0':
                return 1;
            case '1':
                return 2;
            case '2':
                return 4;
            case '3':
                return 6;
            case '4':
                return 7;
            default:
                return 8;
        }
    }
    if (nLength == 2 && pszNumber[1] >= '1' && pszNumber[1] <= '7') {
        if (pszNumber[0] == '1') {
            return 3;
        }
        if (pszNumber[0] == '2') {
            return 5;
        }
    }
    return 8;
}

int CCallUtil::GetSsXCalling(const char* pszNumber) {
    if (!CALL_REQUIRE(pszNumber != NULL)) {
        return -1;
    }
    if (AcStrlen(pszNumber) == 2 && (pszNumber[0] == '1' || pszNumber[0] == '2') &&
        pszNumber[1] >= '1' && pszNumber[1] <= '7') {
        return AcAtoi(pszNumber + 1);
    }
    return -1;
}

int CCallUtil::GetCallNumberFromTelNumber(const char* pszTelNumber, char* pszCallNumber,
                                          int nSize) {
    if (!CALL_REQUIRE(pszTelNumber != NULL) || !CALL_REQUIRE(pszCallNumber != NULL) || nSize < 1) {
        return 0;
    }
    AcMemsetEx(pszCallNumber, static_cast<unsigned>(nSize), 0, static_cast<unsigned>(nSize),
               kSourcePath, __LINE__);
    const char* pszRest = pszTelNumber;
    if (StartsWith(pszRest, "*31#") || StartsWith(pszRest, "#31#")) {
        pszRest += 4;
    }
    int nMark = FindPauseMark(pszRest);
    if (nMark == 0) {
        return 0;
    }
    if (nMark > 0) {
        AcStrncpyEx(pszCallNumber, static_cast<unsigned>(nSize), pszRest,
                    static_cast<unsigned>(nMark < nSize - 1 ? nMark : nSize - 1), kSourcePath,
                    __LINE__);
        return 1;
    }
    if (AcStrlen(pszRest) == 0) {
        return 0;
    }
    Strcpy(pszCallNumber, nSize, pszRest);
    return 1;
}

int CCallUtil::GetDtmfNumberFromTelNumber(const char* pszTelNumber, char* pszDtmfNumber,
                                          int nSize) {
    if (!CALL_REQUIRE(pszTelNumber != NULL) || !CALL_REQUIRE(pszDtmfNumber != NULL) || nSize < 1) {
        return 0;
    }
    AcMemsetEx(pszDtmfNumber, static_cast<unsigned>(nSize), 0, static_cast<unsigned>(nSize),
               kSourcePath, __LINE__);
    int nMark = FindPauseMark(pszTelNumber);
    if (nMark < 0) {
        return 0;
    }
    AcStrncpyEx(pszDtmfNumber, static_cast<unsigned>(nSize), pszTelNumber + nMark,
                static_cast<unsigned>(nSize - 1), kSourcePath, __LINE__);
    return 1;
}

int CCallUtil::TelNumCheckIdentityMode(const char* pszTelNumber) {
    if (!CALL_REQUIRE(pszTelNumber != NULL)) {
        return 0;
    }
    unsigned int network = CallUtilNetworkWord();
    for (unsigned int identityNetwork : kIdentityNetworks) {
        if (network == identityNetwork && StartsWith(pszTelNumber, "1470")) {
            return 1;
        }
    }
    if (StartsWith(pszTelNumber, "*31#")) {
        return 1;
    }
    return StartsWith(pszTelNumber, "#31#") ? 2 : 0;
}

int CCallUtil::IsPossibleDialledNumber(const char* pszInput) {
    if (!CALL_REQUIRE(pszInput != NULL)) {
        return 0;
    }
    SysDebugPrintf(TMX_DBG_UTIL, "CCallUtil::IsPossibleDialledNumber: pszInput(%s)\n", pszInput);
    int nLength = AcStrlen(pszInput);
    if (nLength == 0) {
        SysDebugPrintf(TMX_DBG_FAIL,
                       "CCallUtil::IsPossibleDialledNumber: pszInput's length is 0!!\n");
        return 0;
    }
    char first = pszInput[0];
    if (!(first == '+' || first == '*' || first == '#' || IsDigit(first))) {
        SysDebugPrintf(TMX_DBG_FAIL,
                       "CCallUtil::IsPossibleDialledNumber: first word of pszInput is not proper "
                       "character \n");
        return 0;
    }
    SysDebugPrintf(TMX_DBG_UTIL,
                   "CCallUtil::IsPossibleDialledNumber: first word of pszInput is number \n");
    for (int iPos = 1; iPos < nLength; ++iPos) {
        char c = pszInput[iPos];
        if (c == 'p' || c == 'P' || c == '*' || c == '#' || c == '+' || IsDigit(c)) {
            SysDebugPrintf(TMX_DBG_UTIL,
                           "CCallUtil::IsPossibleDialledNumber: pszInput[iPos] is (%c) \n", c);
            continue;
        }
        SysDebugPrintf(TMX_DBG_FAIL,
                       "CCallUtil::IsPossibleDialledNumber: (%d) of pszInput[iPos] is (%c) \n",
                       iPos, c);
        return 0;
    }
    return 1;
}

int CCallUtil::IsPrefixDiallingOn() {
    int nOn = CallCommonSvcRegGetInt(kSectionCallSetting, "CALL_REG_KEY_PREFIX_DIALLING_ON_OFF");
    SysDebugPrintf(TMX_DBG_UTIL, "CCallUtil::IsPrefixDiallingOn (%d)\n", nOn);
    return nOn;
}

// The block returned belongs to the caller, who frees it with MemFreeTraceMultiHeap.
int CCallUtil::GetPrefixDiallingNum(char** ppszNum) {
    if (!CALL_REQUIRE(ppszNum != NULL)) {
        return 0;
    }
    char szPrefix[kPrefixSize];
    AcMemsetEx(szPrefix, sizeof(szPrefix), 0, sizeof(szPrefix), kSourcePath, __LINE__);
    int nItem =
        CallCommonSvcRegGetInt(kSectionCallSetting, "CALL_REG_KEY_PREFIX_DIALLING_SELECTED_ITEM");
    if (nItem >= 0 && nItem < kPrefixCount) {
        CallCommonSvcRegGetString(kSectionCallSetting, kPrefixKeys[nItem], szPrefix,
                                  sizeof(szPrefix));
    } else {
        SysDebugPrintf(TMX_DBG_UTIL, "CCallUtil::GetPrefixDiallingNum : No selected item!!\n");
    }
    int nLength = AcStrlen(szPrefix);
    char* pszNum = static_cast<char*>(
        MemAllocTraceEx(0, static_cast<unsigned>(nLength + 1), kSourcePath, __LINE__));
    if (pszNum == NULL) {
        SysDebugPrintf(TMX_DBG_FAIL, "CCallUtil::GetPrefixDiallingNum : MemAlloc() is failed!!\n");
        return 0;
    }
    AcStrcpyEx(pszNum, static_cast<unsigned>(nLength + 1), szPrefix, kSourcePath, __LINE__);
    *ppszNum = pszNum;
    SysDebugPrintf(TMX_DBG_UTIL, "CCallUtil::GetPrefixDiallingNum : pszNum (%s)\n", pszNum);
    return 1;
}

int CallIsSsCode(const char* pszInput) {
    return CCallUtil::IsSsCode(pszInput);
}
int CallIsPreDefinedSsCode(const char* pszInput) {
    return CCallUtil::IsPreDefinedSsCode(pszInput);
}
int CallGetSsStateInCalling(const char* pszNumber) {
    return CCallUtil::GetSsStateInCalling(pszNumber);
}
int CallGetSsXCalling(const char* pszNumber) {
    return CCallUtil::GetSsXCalling(pszNumber);
}
int CallGetCallNumberFromTelNumber(const char* pszTelNumber, char* pszCallNumber, int nSize) {
    return CCallUtil::GetCallNumberFromTelNumber(pszTelNumber, pszCallNumber, nSize);
}
int CallGetDtmfNumberFromTelNumber(const char* pszTelNumber, char* pszDtmfNumber, int nSize) {
    return CCallUtil::GetDtmfNumberFromTelNumber(pszTelNumber, pszDtmfNumber, nSize);
}
int CallUtilTelNumCheckIdentityMode(const char* pszTelNumber) {
    return CCallUtil::TelNumCheckIdentityMode(pszTelNumber);
}
int CallIsPossibleDialledNumber(const char* pszInput) {
    return CCallUtil::IsPossibleDialledNumber(pszInput);
}
int CallIsPrefixDiallingOn(void) {
    return CCallUtil::IsPrefixDiallingOn();
}
int CallGetPrefixDiallingNum(char** ppszNum) {
    return CCallUtil::GetPrefixDiallingNum(ppszNum);
}
