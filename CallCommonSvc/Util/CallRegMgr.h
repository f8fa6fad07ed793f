// The call settings file "CallReg.ini": start-up check, defaults and typed access.
#pragma once

#include "../H/CallObject.h"
#include "../H/CallSingleton.h"

#define CALL_REG_FILE_NAME "CallReg.ini"
#define CALL_REG_VERSION 10

#define CALL_REG_ALERTS_ON_CALL_MIN 0
#define CALL_REG_ALERTS_ON_CALL_MAX 1

// Every operation opens the file, does its one access and closes it again; nothing is cached.
class CALLCOMMONSVC_API CCallRegMgr : public CCallObject {
    CALL_DECLARE_SINGLETON(CCallRegMgr, pCCallRegMgr)

public:
    CCallRegMgr();
    virtual ~CCallRegMgr();

    void Init();
    int CreateRegisterFile();
    int SetDefaultValue(int hReg);
    int OpenRegisterFile();
    int CloseRegisterFile(int hReg, int bFlush);

    int CallRegSetInt(const char* szSection, const char* szKey, int value);
    int CallRegGetInt(const char* szSection, const char* szKey);
    int CallRegSetUint64(const char* szSection, const char* szKey, unsigned long long value);
    unsigned long long CallRegGetUint64(const char* szSection, const char* szKey);
    int CallRegSetString(const char* szSection, const char* szKey, const char* value);
    int CallRegGetString(const char* szSection, const char* szKey, char* pDestBuffer, int nSize);
    int CallRegSetStringEx(const char* szSection, const char* szKey, const char* value);
    int CallRegGetStringEx(const char* szSection, const char* szKey, char* pDestBuffer, int nSize);
};
