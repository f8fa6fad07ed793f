// The library's exported flat functions.
#pragma once

#include "CallCommonSvcDef.h"

/* Module entry: 0 after loading, 1 before unloading. */
CALL_EXPORT int CallCommonSvcDispatch(int reason);

/* Settings file "CallReg.ini". */
CALL_EXPORT int CallCommonSvcRegSetInt(const char* szSection, const char* szKey, int value);
CALL_EXPORT int CallCommonSvcRegGetInt(const char* szSection, const char* szKey);
CALL_EXPORT int CallCommonSvcRegSetUint64(const char* szSection, const char* szKey,
                                          unsigned long long value);
CALL_EXPORT unsigned long long CallCommonSvcRegGetUint64(const char* szSection, const char* szKey);
CALL_EXPORT int CallCommonSvcRegSetString(const char* szSection, const char* szKey,
                                          const char* value);
CALL_EXPORT int CallCommonSvcRegGetString(const char* szSection, const char* szKey,
                                          char* pDestBuffer, int nSize);
CALL_EXPORT int CallCommonSvcRegSetStringEx(const char* szSection, const char* szKey,
                                            const char* value);
CALL_EXPORT int CallCommonSvcRegGetStringEx(const char* szSection, const char* szKey,
                                            char* pDestBuffer, int nSize);
CALL_EXPORT int CallCommonSvcRegSetAlertsOnCallType(int iAlertsOnCallType);
CALL_EXPORT int CallCommonSvcRegGetAlertsOnCallType(void);

/* Emergency numbers and the serving network. */
CALL_EXPORT int CallIsEccNumber(const char* pszNumber);
CALL_EXPORT int CallIsEccNumberNoSim(const char* pszNumber);
CALL_EXPORT int CallGetMcc(void);
CALL_EXPORT int CallGetMnc(void);
