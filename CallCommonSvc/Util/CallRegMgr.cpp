#include "CallRegMgr.h"

#include <climits>

#include "CallRegDefaults.h"

namespace {

const char kSourcePath[] = "CallCommonSvc\\Util\\CallRegMgr";
const char kSectionVersion[] = "Version";
const char kKeyVersion[] = "Version";
const char kSectionCallSetting[] = CALL_REG_SECTION_CALL_SETTING;
const unsigned int kSectionBodySize = 50;

// Arguments a caller may get wrong; checked before the file is touched.
bool KeyArgumentsValid(const char* szSection, const char* szKey) {
    return CALL_REQUIRE(szSection != NULL) && CALL_REQUIRE(szKey != NULL);
}

bool DestArgumentsValid(const char* pDestBuffer, int nSize) {
    return CALL_REQUIRE(pDestBuffer != NULL) && CALL_REQUIRE(nSize > 0);
}

// Whether an open file holds a readable value of the setting's type. Each read passes a
// default that a present value cannot be confused with, asking a second time with another
// default only when the first read came back with it.
bool HasValue(int hReg, const CallRegDefaultValue& d) {
    switch (d.type) {
        case CALL_REG_TYPE_INT:
            return RegGetInt(hReg, d.szSection, d.szKey, INT_MIN) != INT_MIN ||
                   RegGetInt(hReg, d.szSection, d.szKey, INT_MAX) != INT_MAX;
        case CALL_REG_TYPE_UINT64:
            return RegGetUint64(hReg, d.szSection, d.szKey, ULLONG_MAX) != ULLONG_MAX ||
                   RegGetUint64(hReg, d.szSection, d.szKey, 0) != 0;
        case CALL_REG_TYPE_STRING:
            break;
    }
    char szFirst[2];
    RegGetString(hReg, d.szSection, d.szKey, "\x01", szFirst, sizeof(szFirst));
    if (szFirst[0] != '\x01') {
        return true;
    }
    RegGetString(hReg, d.szSection, d.szKey, "\x02", szFirst, sizeof(szFirst));
    return szFirst[0] != '\x02';
}

void WriteDefault(int hReg, const CallRegDefaultValue& d) {
    switch (d.type) {
        case CALL_REG_TYPE_INT:
            RegSetInt(hReg, d.szSection, d.szKey, static_cast<int>(d.number));
            break;
        case CALL_REG_TYPE_UINT64:
            RegSetUint64(hReg, d.szSection, d.szKey, static_cast<unsigned long long>(d.number));
            break;
        case CALL_REG_TYPE_STRING:
            RegSetString(hReg, d.szSection, d.szKey, d.szText);
            break;
    }
}

// Releases a file, flushing it first if asked. Returns 1 when the handle was released;
// *pbFlushed tells whether the flush (when asked for) succeeded.
int CloseFile(int hReg, int bFlush, int* pbFlushed) {
    SysDebugPrintf(TMX_DBG_SETTING, " CCallRegMgr::CloseRegisterFile: hReg(%d), bFlush(%d) \n",
                   hReg, bFlush);
    *pbFlushed = 0;
    if (hReg == INVALID_HOBJ) {
        SysDebugPrintf(TMX_DBG_FAIL, "CCallRegMgr::CloseRegisterFile: RegLoad() is failed\n");
        return 0;
    }
    *pbFlushed = 1;
    if (bFlush && !RegFlush(hReg)) {
        *pbFlushed = 0;
        SysDebugPrintf(TMX_DBG_SETTING,
                       " CCallRegMgr::CloseRegisterFile: RegFlush() is failed for creating \n");
    }
    if (!RegUnload(hReg)) {
        SysDebugPrintf(TMX_DBG_SETTING,
                       " CCallRegMgr::CloseRegisterFile: RegUnload() is failed for creating \n");
        return 0;
    }
    SysDebugPrintf(TMX_DBG_SETTING,
                   " CCallRegMgr::CloseRegisterFile: RegUnload() is success for creating \n");
    return 1;
}

// Closes a file after a write. The value is stored once the write and the flush succeeded,
// whether or not releasing the handle did.
int CloseAfterWrite(int hReg, int bWritten) {
    int bFlushed = 0;
    CloseFile(hReg, 1, &bFlushed);
    return bWritten && bFlushed;
}

}  // namespace

CALL_DEFINE_SINGLETON(CCallRegMgr, pCCallRegMgr)

CCallRegMgr::CCallRegMgr() {
    Init();
}

CCallRegMgr::~CCallRegMgr() {}

void CCallRegMgr::Init() {
    int hReg = OpenRegisterFile();
    if (hReg == INVALID_HOBJ) {
        CreateRegisterFile();
        return;
    }
    if (RegGetInt(hReg, kSectionVersion, kKeyVersion, 0) != CALL_REG_VERSION) {
        SysDebugPrintf(TMX_DBG_SETTING,
                       "CCallRegMgr::Init: version is different. re-create ini file !!!! \n");
        RegUnload(hReg);
        RegClean(CALL_REG_FILE_NAME);
        CreateRegisterFile();
        return;
    }
    // A file of the current version that lost settings (a damaged or deleted line) gets them
    // back with their defaults; every value it holds stays.
    int bRestored = 0;
    for (const CallRegDefaultValue& d : g_CallRegDefaults) {
        if (!HasValue(hReg, d)) {
            WriteDefault(hReg, d);
            SysDebugPrintf(TMX_DBG_SETTING, "CCallRegMgr::Init: key %s missing, default restored\n",
                           d.szKey);
            bRestored = 1;
        }
    }
    if (bRestored && !RegFlush(hReg)) {
        SysDebugPrintf(TMX_DBG_FAIL, "CCallRegMgr::Init: RegFlush() failed\n");
    }
    if (!RegUnload(hReg)) {
        SysDebugPrintf(TMX_DBG_FAIL, "CCallRegMgr::Init: RegUnload() failed\n");
    } else {
        SysDebugPrintf(TMX_DBG_SETTING, "CCallRegMgr::Init: RegUnload() succeeded\n");
    }
}

int CCallRegMgr::CreateRegisterFile() {
    int hReg = RegLoad(CALL_REG_FILE_NAME, 1);
    if (hReg == INVALID_HOBJ) {
        SysDebugPrintf(TMX_DBG_SETTING,
                       " CCallRegMgr::CreateRegisterFile: RegLoad() is failed for creating \n");
        return 0;
    }
    SysDebugPrintf(TMX_DBG_SETTING,
                   " CCallRegMgr::CreateRegisterFile: RegLoad() is success for creating \n");
    RegSetInt(hReg, kSectionVersion, kKeyVersion, CALL_REG_VERSION);

    char body[kSectionBodySize];
    AcSprintfSEx(body, sizeof(body), kSourcePath, __LINE__, "%s=%d\n", "Value", 1);
    RegSetSection(hReg, kSectionCallSetting, body);

    SetDefaultValue(hReg);
    // A file that could not be written is not created.
    return CloseRegisterFile(hReg, 1);
}

int CCallRegMgr::SetDefaultValue(int hReg) {
    if (hReg == INVALID_HOBJ) {
        SysDebugPrintf(TMX_DBG_FAIL, "CCallRegMgr::SetDefaultValue: hReg is INVALID_HOBJ\n");
        return 0;
    }
    for (const CallRegDefaultValue& d : g_CallRegDefaults) {
        WriteDefault(hReg, d);
    }
    return 1;
}

int CCallRegMgr::OpenRegisterFile() {
    int hReg = RegLoad(CALL_REG_FILE_NAME, 0);
    if (hReg == INVALID_HOBJ) {
        SysDebugPrintf(TMX_DBG_FAIL, "CCallRegMgr::OpenRegisterFile: RegLoad() is failed\n");
    }
    return hReg;
}

// Returns 1 only when the handle was released and, if asked, the contents were flushed.
int CCallRegMgr::CloseRegisterFile(int hReg, int bFlush) {
    int bFlushed = 0;
    return CloseFile(hReg, bFlush, &bFlushed) && bFlushed;
}

// A set reports 1 exactly when the value reached the file: written and flushed.
int CCallRegMgr::CallRegSetInt(const char* szSection, const char* szKey, int value) {
    if (!KeyArgumentsValid(szSection, szKey)) {
        return 0;
    }
    int hReg = OpenRegisterFile();
    if (hReg == INVALID_HOBJ) {
        SysDebugPrintf(TMX_DBG_FAIL, "CCallRegMgr::CallRegSetInt: RegLoad() is failed\n");
        return 0;
    }
    int bWritten = RegSetInt(hReg, szSection, szKey, value);
    SysDebugPrintf(TMX_DBG_SETTING,
                   " CCallRegMgr::CallRegSetInt: szSection(%s), szKey(%s), value(%d) \n", szSection,
                   szKey, value);
    return CloseAfterWrite(hReg, bWritten);
}

int CCallRegMgr::CallRegGetInt(const char* szSection, const char* szKey) {
    if (!KeyArgumentsValid(szSection, szKey)) {
        return 0;
    }
    int hReg = OpenRegisterFile();
    if (hReg == INVALID_HOBJ) {
        SysDebugPrintf(TMX_DBG_FAIL, "CCallRegMgr::CallRegGetInt: RegLoad() is failed\n");
        return 0;
    }
    int nReturn = RegGetInt(hReg, szSection, szKey, 0);
    SysDebugPrintf(TMX_DBG_SETTING,
                   " CCallRegMgr::CallRegGetInt: szSection(%s), szKey(%s), nReturn(%d) \n",
                   szSection, szKey, nReturn);
    CloseRegisterFile(hReg, 0);
    return nReturn;
}

int CCallRegMgr::CallRegSetUint64(const char* szSection, const char* szKey,
                                  unsigned long long value) {
    if (!KeyArgumentsValid(szSection, szKey)) {
        return 0;
    }
    int hReg = OpenRegisterFile();
    if (hReg == INVALID_HOBJ) {
        SysDebugPrintf(TMX_DBG_FAIL, "CCallRegMgr::CallRegSetUint64: RegLoad() is failed\n");
        return 0;
    }
    int bWritten = RegSetUint64(hReg, szSection, szKey, value);
    SysDebugPrintf(TMX_DBG_SETTING,
                   " CCallRegMgr::CallRegSetUint64: szSection(%s), szKey(%s), value(%llu) \n",
                   szSection, szKey, value);
    return CloseAfterWrite(hReg, bWritten);
}

unsigned long long CCallRegMgr::CallRegGetUint64(const char* szSection, const char* szKey) {
    if (!KeyArgumentsValid(szSection, szKey)) {
        return 0;
    }
    int hReg = OpenRegisterFile();
    if (hReg == INVALID_HOBJ) {
        SysDebugPrintf(TMX_DBG_FAIL, "CCallRegMgr::CallRegGetUint64: RegLoad() is failed\n");
        return 0;
    }
    unsigned long long nReturn = RegGetUint64(hReg, szSection, szKey, 0);
    SysDebugPrintf(TMX_DBG_SETTING,
                   " CCallRegMgr::CallRegGetUint64: szSection(%s), szKey(%s), nReturn(%llu) \n",
                   szSection, szKey, nReturn);
    CloseRegisterFile(hReg, 0);
    return nReturn;
}

int CCallRegMgr::CallRegSetString(const char* szSection, const char* szKey, const char* value) {
    if (!KeyArgumentsValid(szSection, szKey) || !CALL_REQUIRE(value != NULL)) {
        return 0;
    }
    int hReg = OpenRegisterFile();
    if (hReg == INVALID_HOBJ) {
        SysDebugPrintf(TMX_DBG_FAIL, "CCallRegMgr::CallRegSetString: RegLoad() is failed\n");
        return 0;
    }
    int bWritten = RegSetString(hReg, szSection, szKey, value);
    SysDebugPrintf(TMX_DBG_SETTING,
                   " CCallRegMgr::CallRegSetString: szSection(%s), szKey(%s), value(%s) \n",
                   szSection, szKey, value);
    return CloseAfterWrite(hReg, bWritten);
}

int CCallRegMgr::CallRegGetString(const char* szSection, const char* szKey, char* pDestBuffer,
                                  int nSize) {
    if (!KeyArgumentsValid(szSection, szKey) || !DestArgumentsValid(pDestBuffer, nSize)) {
        return 0;
    }
    int hReg = OpenRegisterFile();
    if (hReg == INVALID_HOBJ) {
        SysDebugPrintf(TMX_DBG_FAIL, "CCallRegMgr::CallRegGetString: RegLoad() is failed\n");
        return 0;
    }
    RegGetString(hReg, szSection, szKey, "", pDestBuffer, nSize);
    SysDebugPrintf(
        TMX_DBG_SETTING,
        " CCallRegMgr::CallRegGetString: szSection(%s), szKey(%s), pDestBuffer(%s), nSize(%d) \n",
        szSection, szKey, pDestBuffer, nSize);
    CloseRegisterFile(hReg, 1);
    return 1;
}

int CCallRegMgr::CallRegSetStringEx(const char* szSection, const char* szKey, const char* value) {
    if (!KeyArgumentsValid(szSection, szKey) || !CALL_REQUIRE(value != NULL)) {
        return 0;
    }
    int hReg = OpenRegisterFile();
    if (hReg == INVALID_HOBJ) {
        SysDebugPrintf(TMX_DBG_FAIL, "CCallRegMgr::CallRegSetStringEx: RegLoad() is failed\n");
        return 0;
    }
    int bWritten = RegSetStringEx(hReg, szSection, szKey, value);
    SysDebugPrintf(TMX_DBG_SETTING,
                   " CCallRegMgr::CallRegSetStringEx: szSection(%s), szKey(%s), value(%s) \n",
                   szSection, szKey, value);
    return CloseAfterWrite(hReg, bWritten);
}

int CCallRegMgr::CallRegGetStringEx(const char* szSection, const char* szKey, char* pDestBuffer,
                                    int nSize) {
    if (!KeyArgumentsValid(szSection, szKey) || !DestArgumentsValid(pDestBuffer, nSize)) {
        return 0;
    }
    int hReg = OpenRegisterFile();
    if (hReg == INVALID_HOBJ) {
        SysDebugPrintf(TMX_DBG_FAIL, "CCallRegMgr::CallRegGetStringEx: RegLoad() is failed\n");
        return 0;
    }
    RegGetStringEx(hReg, szSection, szKey, "", pDestBuffer, nSize);
    SysDebugPrintf(TMX_DBG_SETTING,
                   " CCallRegMgr::CallRegGetStringEx: szSection(%s), szKey(%s), pDestBuffer(%s), "
                   "nSize(%d) \n",
                   szSection, szKey, pDestBuffer, nSize);
    CloseRegisterFile(hReg, 1);
    return 1;
}
