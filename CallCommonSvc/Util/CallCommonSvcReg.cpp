#include "../H/CallCommonSvc.h"
#include "CallRegMgr.h"

namespace {
const char kSourcePath[] = "CallCommonSvc\\Util\\CallCommonSvcReg";
}

int CallCommonSvcRegSetInt(const char* szSection, const char* szKey, int value) {
    CCallRegMgr* pMgr = CCallRegMgr::GetInstance();
    return pMgr != NULL ? pMgr->CallRegSetInt(szSection, szKey, value) : 0;
}

int CallCommonSvcRegGetInt(const char* szSection, const char* szKey) {
    CCallRegMgr* pMgr = CCallRegMgr::GetInstance();
    return pMgr != NULL ? pMgr->CallRegGetInt(szSection, szKey) : 0;
}

int CallCommonSvcRegSetUint64(const char* szSection, const char* szKey, unsigned long long value) {
    CCallRegMgr* pMgr = CCallRegMgr::GetInstance();
    return pMgr != NULL ? pMgr->CallRegSetUint64(szSection, szKey, value) : 0;
}

unsigned long long CallCommonSvcRegGetUint64(const char* szSection, const char* szKey) {
    CCallRegMgr* pMgr = CCallRegMgr::GetInstance();
    return pMgr != NULL ? pMgr->CallRegGetUint64(szSection, szKey) : 0;
}

int CallCommonSvcRegSetString(const char* szSection, const char* szKey, const char* value) {
    CCallRegMgr* pMgr = CCallRegMgr::GetInstance();
    return pMgr != NULL ? pMgr->CallRegSetString(szSection, szKey, value) : 0;
}

int CallCommonSvcRegGetString(const char* szSection, const char* szKey, char* pDestBuffer,
                              int nSize) {
    CCallRegMgr* pMgr = CCallRegMgr::GetInstance();
    return pMgr != NULL ? pMgr->CallRegGetString(szSection, szKey, pDestBuffer, nSize) : 0;
}

int CallCommonSvcRegSetStringEx(const char* szSection, const char* szKey, const char* value) {
    CCallRegMgr* pMgr = CCallRegMgr::GetInstance();
    return pMgr != NULL ? pMgr->CallRegSetStringEx(szSection, szKey, value) : 0;
}

int CallCommonSvcRegGetStringEx(const char* szSection, const char* szKey, char* pDestBuffer,
                                int nSize) {
    CCallRegMgr* pMgr = CCallRegMgr::GetInstance();
    return pMgr != NULL ? pMgr->CallRegGetStringEx(szSection, szKey, pDestBuffer, nSize) : 0;
}

int CallCommonSvcRegSetAlertsOnCallType(int iAlertsOnCallType) {
    if (!CALL_REQUIRE(((iAlertsOnCallType >= CALL_REG_ALERTS_ON_CALL_MIN) &&
                       (iAlertsOnCallType <= CALL_REG_ALERTS_ON_CALL_MAX)))) {
        return 0;
    }
    int bStored =
        CallCommonSvcRegSetInt("CallSetting", "CALL_REG_KEY_ALERTS_ON_CALL", iAlertsOnCallType);
    SysDebugPrintf(TMX_DBG_SETTING, "CallCommonSvcRegSetAlertsOnCallType: iAlertsOnCallType (%d)\n",
                   iAlertsOnCallType);
    return bStored;
}

int CallCommonSvcRegGetAlertsOnCallType(void) {
    int iAlertsOnCallType = CallCommonSvcRegGetInt("CallSetting", "CALL_REG_KEY_ALERTS_ON_CALL");
    SysDebugPrintf(TMX_DBG_SETTING, "CallCommonSvcRegGetAlertsOnCallType: iAlertsOnCallType (%d)\n",
                   iAlertsOnCallType);
    CALL_REQUIRE(((iAlertsOnCallType >= CALL_REG_ALERTS_ON_CALL_MIN) &&
                  (iAlertsOnCallType <= CALL_REG_ALERTS_ON_CALL_MAX)));
    return iAlertsOnCallType;
}
