// Emergency-number detection: the SIM's records, then the lists of the serving country.
#include "../H/CallCommonSvc.h"
#include "../Platform/TmxCommTAPI.h"
#include "CallCommonUtil.h"
#include "CallCommonUtilInternal.h"

namespace {

const char kSourcePath[] = "CallCommonSvc\\Util\\CallCommonUtil";

// Phone status whose value 1 means that no usable SIM is present.
const int kPhsSimAbsent = 58;
const int kGsmEccFields = 5;
const int kGsmEccFieldSize = 7;
const int kUsimEccRecordSize = 64;
const int kUsimEccNumberOffset = 4;

struct EccList {
    const char** ppszNumbers;
    int nCount;
};

#define ECC_LIST(list)                                                                          \
    EccList {                                                                                   \
        CCallUtil::list, static_cast<int>(sizeof(CCallUtil::list) / sizeof(CCallUtil::list[0])) \
    }

// The list of the serving network when a SIM is present, by MCC and then MNC.
EccList SimList(int mcc, int mnc) {
    switch (mcc) {
        case 234:
        case 272:
        case 424:
        case 454:
        case 620:
            return ECC_LIST(m_pszEccNumbers999);
        case 334:
            return mnc == 2 || mnc == 20 ? ECC_LIST(m_pszEccNumbers060)
                                         : ECC_LIST(m_pszEccNumbers066);
        case 425:
            if (mnc == 1 || mnc == 3) {
                return ECC_LIST(m_pszEccNumbers100);
            }
            break;
        case 440:
            return ECC_LIST(m_pszEccNumbersJapan);
        case 450:
            return ECC_LIST(m_pszEccNumbersKorea);
        case 505:
            return ECC_LIST(m_pszEccNumbers000);
        case 530:
            return ECC_LIST(m_pszEccNumbers000111);
        case 704:
            if (mnc == 3) {
                return ECC_LIST(m_pszEccNumbers122);
            }
            break;
        case 706:
            if (mnc == 4) {
                return ECC_LIST(m_pszEccNumbers122);
            }
            break;
        case 710:
            if (mnc == 30 || mnc == 300) {
                return ECC_LIST(m_pszEccNumbers122);
            }
            break;
        case 714:
            if (mnc == 1 || mnc == 11) {
                return ECC_LIST(m_pszEccNumbers104);
            }
            break;
        case 716:
            if (mnc == 6) {
                return ECC_LIST(m_pszEccNumbers105);
            }
            break;
        case 724:
            return ECC_LIST(m_pszEccNumbers190);
        case 730:
            return ECC_LIST(m_pszEccNumbers133);
        case 732:
            if (mnc == 103 || mnc == 111 || mnc == 123) {
                return ECC_LIST(m_pszEccNumbers123_911);
            }
            break;
        case 734:
            if (mnc == 6) {
                return ECC_LIST(m_pszEccNumbers_1_171);
            }
            break;
        case 748:
            return ECC_LIST(m_pszEccNumbers104109);
        default:
            break;
    }
    return ECC_LIST(m_pszEccNumbersDefault);
}

// The list of the serving network when no SIM is present; a few countries use a SIM-present
// list here.
EccList NoSimList(int mcc, int mnc) {
    switch (mcc) {
        case 334:
            return mnc == 2 || mnc == 20 ? ECC_LIST(m_pszEccNumbersNoSim060)
                                         : ECC_LIST(m_pszEccNumbersNoSim066);
        case 425:
            if (mnc == 1 || mnc == 3) {
                return ECC_LIST(m_pszEccNumbers100);
            }
            if (mnc == 2) {
                return ECC_LIST(m_pszEccNumbersDefault);
            }
            break;
        case 450:
            return ECC_LIST(m_pszEccNumbersKorea);
        case 460:
            if (mnc == 1) {
                return ECC_LIST(m_pszEccNumbersNoSim120122);
            }
            break;
        case 530:
            return ECC_LIST(m_pszEccNumbersNoSim111);
        case 704:
            if (mnc == 3) {
                return ECC_LIST(m_pszEccNumbersNoSim122);
            }
            break;
        case 706:
            if (mnc == 4) {
                return ECC_LIST(m_pszEccNumbersNoSim122);
            }
            break;
        case 710:
            if (mnc == 30 || mnc == 300) {
                return ECC_LIST(m_pszEccNumbersNoSim122);
            }
            break;
        case 714:
            if (mnc == 1 || mnc == 11) {
                return ECC_LIST(m_pszEccNumbersNoSim104);
            }
            break;
        case 716:
            if (mnc == 6) {
                return ECC_LIST(m_pszEccNumbersNoSim105);
            }
            break;
        case 724:
            return ECC_LIST(m_pszEccNumbersNoSim190);
        case 730:
            return ECC_LIST(m_pszEccNumbersNoSim133);
        case 732:
            return mnc == 103 || mnc == 111 || mnc == 123 ? ECC_LIST(m_pszEccNumbers123_911)
                                                          : ECC_LIST(m_pszEccNumbersDefault);
        case 734:
            if (mnc == 6) {
                return ECC_LIST(m_pszEccNumbersNoSim_1_171);
            }
            break;
        case 748:
            return ECC_LIST(m_pszEccNumbersNoSim104109);
        default:
            break;
    }
    return ECC_LIST(m_pszEccNumbersNoSimDefault);
}

// A SIM field copied out with its terminator guaranteed, whatever the SIM holds.
void CopyField(char* pszField, int nFieldSize, const unsigned char* pSource, int nSourceSize) {
    AcStrncpyEx(pszField, static_cast<unsigned>(nFieldSize), reinterpret_cast<const char*>(pSource),
                static_cast<unsigned>(nSourceSize), kSourcePath, __LINE__);
}

// Compares in array order; the index of the first exact match, or -1.
int FindInList(const char* pszNumber, const char** ppszNumbers, int nCount) {
    for (int i = 0; i < nCount; ++i) {
        if (AcStrcmp(pszNumber, ppszNumbers[i]) == 0) {
            return i;
        }
    }
    return -1;
}

int MatchesGsmSim(const char* pszNumber) {
    int nRecordCount = SimGetEccRecordCountInfo() & 0xFF;
    SysDebugPrintf(TMX_DBG_UTIL, "CallIsEccNumber: SIM_CARD_TYPE_GSM: nRecordCount (%d) \n",
                   nRecordCount);
    if (nRecordCount <= 0) {
        return 0;
    }
    const unsigned char* pEccInfo = SimGetEccInfo();
    if (pEccInfo == NULL) {
        return 0;
    }
    char szEcc[kGsmEccFields][kGsmEccFieldSize + 1];
    for (int i = 0; i < kGsmEccFields; ++i) {
        CopyField(szEcc[i], kGsmEccFieldSize + 1, pEccInfo + i * kGsmEccFieldSize,
                  kGsmEccFieldSize);
    }
    SysDebugPrintf(TMX_DBG_UTIL,
                   "CallIsEccNumber: SIM_CARD_TYPE_GSM pszNumber (%s) ecc 1(%s) 2(%s) 3(%s) 4(%s) "
                   "5(%s)\n",
                   pszNumber, szEcc[0], szEcc[1], szEcc[2], szEcc[3], szEcc[4]);
    for (int i = 0; i < kGsmEccFields; ++i) {
        if (AcStrcmp(pszNumber, szEcc[i]) == 0) {
            SysDebugPrintf(TMX_DBG_UTIL, "CallIsEccNumber: return TRUE\n");
            return 1;
        }
    }
    return 0;
}

int MatchesUsim(const char* pszNumber) {
    int nRecordCount = SimGetUEccRecordCountInfo() & 0xFF;
    SysDebugPrintf(TMX_DBG_UTIL, "CallIsEccNumber: SIM_CARD_TYPE_USIM: nRecordCount (%d) \n",
                   nRecordCount);
    const unsigned char* pUEccInfo = nRecordCount > 0 ? SimGetUEccInfo() : NULL;
    if (pUEccInfo == NULL) {
        return 0;
    }
    const int kNumberSize = kUsimEccRecordSize - kUsimEccNumberOffset;
    for (int i = 0; i < nRecordCount; ++i) {
        char szEcc[kNumberSize + 1];
        CopyField(szEcc, sizeof(szEcc), pUEccInfo + i * kUsimEccRecordSize + kUsimEccNumberOffset,
                  kNumberSize);
        if (AcStrcmp(pszNumber, szEcc) == 0) {
            SysDebugPrintf(TMX_DBG_UTIL, "CallIsEccNumber: pszNumber (%s) pUEccInfo[%d].ecc (%s)\n",
                           pszNumber, i, szEcc);
            return 1;
        }
    }
    return 0;
}

}  // namespace

const char* CCallUtil::m_pszEccNumbersDefault[2] = {"112", "911"};
const char* CCallUtil::m_pszEccNumbers999[3] = {"112", "911", "999"};
const char* CCallUtil::m_pszEccNumbers000[3] = {"112", "911", "000"};
const char* CCallUtil::m_pszEccNumbers000111[4] = {"112", "911", "000", "111"};
const char* CCallUtil::m_pszEccNumbers100[3] = {"112", "911", "100"};
const char* CCallUtil::m_pszEccNumbers190[3] = {"112", "911", "190"};
const char* CCallUtil::m_pszEccNumbers060[3] = {"112", "911", "060"};
const char* CCallUtil::m_pszEccNumbers066[3] = {"112", "911", "066"};
const char* CCallUtil::m_pszEccNumbers104109[4] = {"112", "911", "104", "109"};
const char* CCallUtil::m_pszEccNumbers123_911[2] = {"112", "123"};
const char* CCallUtil::m_pszEccNumbers133[3] = {"112", "911", "133"};
const char* CCallUtil::m_pszEccNumbers105[3] = {"112", "911", "105"};
const char* CCallUtil::m_pszEccNumbers_1_171[4] = {"112", "911", "*1", "*171"};
const char* CCallUtil::m_pszEccNumbers122[3] = {"112", "911", "122"};
const char* CCallUtil::m_pszEccNumbers104[3] = {"112", "911", "104"};
const char* CCallUtil::m_pszEccNumbersJapan[5] = {"110", "118", "119", "112", "911"};
const char* CCallUtil::m_pszEccNumbersKorea[8] = {"112", "119", "122", "113",
                                                  "125", "127", "111", "911"};

#define ECC_NO_SIM_COMMON "000", "08", "112", "110", "118", "119", "911", "999"
const char* CCallUtil::m_pszEccNumbersNoSimDefault[8] = {ECC_NO_SIM_COMMON};
const char* CCallUtil::m_pszEccNumbersNoSim120122[10] = {ECC_NO_SIM_COMMON, "120", "122"};
const char* CCallUtil::m_pszEccNumbersNoSim190[9] = {ECC_NO_SIM_COMMON, "190"};
const char* CCallUtil::m_pszEccNumbersNoSim060[9] = {ECC_NO_SIM_COMMON, "060"};
const char* CCallUtil::m_pszEccNumbersNoSim066[9] = {ECC_NO_SIM_COMMON, "066"};
const char* CCallUtil::m_pszEccNumbersNoSim104109[10] = {ECC_NO_SIM_COMMON, "104", "109"};
const char* CCallUtil::m_pszEccNumbersNoSim133[9] = {ECC_NO_SIM_COMMON, "133"};
const char* CCallUtil::m_pszEccNumbersNoSim105[9] = {ECC_NO_SIM_COMMON, "105"};
const char* CCallUtil::m_pszEccNumbersNoSim_1_171[10] = {ECC_NO_SIM_COMMON, "*1", "*171"};
const char* CCallUtil::m_pszEccNumbersNoSim122[9] = {ECC_NO_SIM_COMMON, "122"};
const char* CCallUtil::m_pszEccNumbersNoSim104[9] = {ECC_NO_SIM_COMMON, "104"};
const char* CCallUtil::m_pszEccNumbersNoSim111[9] = {ECC_NO_SIM_COMMON, "111"};

int CCallUtil::GetMcc() {
    int mcc = static_cast<int>(CallUtilNetworkWord() >> 16);
    SysDebugPrintf(TMX_DBG_UTIL, "GetMcc: mcc (0x%x)!!\n", mcc);
    return mcc;
}

int CCallUtil::GetMnc() {
    int mnc = static_cast<int>(CallUtilNetworkWord() & 0xFFFF);
    SysDebugPrintf(TMX_DBG_UTIL, "GetMnc: mnc (0x%x)!!\n", mnc);
    return mnc;
}

int CCallUtil::IsEccNumber(const char* pszNumber) {
    if (!CALL_REQUIRE(pszNumber != NULL)) {
        return 0;
    }
    if (AcStrlen(pszNumber) == 0) {
        SysDebugPrintf(TMX_DBG_FAIL,
                       "CCallUtil::IsEccNumber: pszNumber's length is ZERO so return FALSE\n");
        return 0;
    }
    if (PhsGetStatus(kPhsSimAbsent) == 1) {
        return IsEccNumberNoSim(pszNumber);
    }
    int mcc = GetMcc();
    int mnc = GetMnc();

    int nCardType = SimGetCardType();
    if (nCardType == SIM_CARD_TYPE_GSM) {
        if (MatchesGsmSim(pszNumber)) {
            return 1;
        }
    } else if (nCardType == SIM_CARD_TYPE_USIM) {
        if (MatchesUsim(pszNumber)) {
            return 1;
        }
    } else {
        SysDebugPrintf(TMX_DBG_UTIL, "CallIsEccNumber: Invalid card type (%d) \n", nCardType);
    }

    SysDebugPrintf(TMX_DBG_UTIL, "CallIsEccNumber: mcc (0x%x)\n", mcc);
    EccList chosen = SimList(mcc, mnc);
    int nEccCount = chosen.nCount;
    const char** ppszEccNumbers = chosen.ppszNumbers;
    if (!CALL_REQUIRE(nEccCount > 0) || !CALL_REQUIRE(ppszEccNumbers != NULL)) {
        return 0;
    }
    int i = FindInList(pszNumber, ppszEccNumbers, nEccCount);
    if (i >= 0) {
        SysDebugPrintf(TMX_DBG_UTIL, "CallIsEccNumber: pszNumber (%s) ppszEccNumbers[%d] (%s)\n",
                       pszNumber, i, ppszEccNumbers[i]);
        return 1;
    }
    SysDebugPrintf(TMX_DBG_UTIL, "CallIsEccNumber: (%s) is not Ecc Number so return FALSE\n",
                   pszNumber);
    return 0;
}

int CCallUtil::IsEccNumberNoSim(const char* pszNumber) {
    if (!CALL_REQUIRE(pszNumber != NULL)) {
        return 0;
    }
    if (AcStrlen(pszNumber) == 0) {
        SysDebugPrintf(TMX_DBG_FAIL,
                       "CallIsEccNumberNoSim: pszNumber's length is ZERO so return FALSE\n");
        return 0;
    }
    int mcc = GetMcc();
    int mnc = GetMnc();
    SysDebugPrintf(TMX_DBG_UTIL, "CallIsEccNumberNoSim: mcc (0x%x)\n", mcc);
    EccList chosen = NoSimList(mcc, mnc);
    int nEccCount = chosen.nCount;
    const char** ppszNoSimEccNumbers = chosen.ppszNumbers;
    if (!CALL_REQUIRE(nEccCount > 0) || !CALL_REQUIRE(ppszNoSimEccNumbers != NULL)) {
        return 0;
    }
    int i = FindInList(pszNumber, ppszNoSimEccNumbers, nEccCount);
    if (i >= 0) {
        SysDebugPrintf(TMX_DBG_UTIL,
                       "CallIsEccNumberNoSim: pszNumber (%s) ppszNoSimEccNumbers[%d] (%s)\n",
                       pszNumber, i, ppszNoSimEccNumbers[i]);
        return 1;
    }
    SysDebugPrintf(TMX_DBG_UTIL, "CallIsEccNumberNoSim: (%s) is not Ecc Number so return FALSE\n",
                   pszNumber);
    return 0;
}

int CallIsEccNumber(const char* pszNumber) {
    return CCallUtil::IsEccNumber(pszNumber);
}
int CallIsEccNumberNoSim(const char* pszNumber) {
    return CCallUtil::IsEccNumberNoSim(pszNumber);
}
int CallGetMcc(void) {
    return CCallUtil::GetMcc();
}
int CallGetMnc(void) {
    return CCallUtil::GetMnc();
}
