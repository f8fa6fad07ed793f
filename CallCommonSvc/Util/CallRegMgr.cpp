#include "CallRegMgr.h"

namespace {

const char kSourcePath[] = "CallCommonSvc\\Util\\CallRegMgr";
const char kSectionVersion[] = "Version";
const char kKeyVersion[] = "Version";
const char kSectionCallSetting[] = "CallSetting";
const char kSectionVideoCall[] = "VideoCall";
const unsigned int kSectionBodySize = 50;

enum DefaultType { kInt, kUint64, kString };

struct DefaultValue {
    const char* szSection;
    const char* szKey;
    DefaultType type;
    long long number;
    const char* szText;
};

// Written in this order when the file is created.
const DefaultValue kDefaults[] = {
    {kSectionCallSetting, "CALL_REG_KEY_REJECT_MSG_USER1", kString, 0,
     "CALL_REG_MGR_REJECT_MSG_INIT_DEFAULT_VAL_1"},
    {kSectionCallSetting, "CALL_REG_KEY_REJECT_MSG_USER2", kString, 0,
     "CALL_REG_MGR_REJECT_MSG_INIT_DEFAULT_VAL_2"},
    {kSectionCallSetting, "CALL_REG_KEY_REJECT_MSG_USER3", kString, 0,
     "CALL_REG_MGR_REJECT_MSG_INIT_DEFAULT_VAL_3"},
    {kSectionCallSetting, "CALL_REG_KEY_REJECT_MSG_USER4", kString, 0,
     "CALL_REG_MGR_REJECT_MSG_INIT_DEFAULT_VAL_4"},
    {kSectionCallSetting, "CALL_REG_KEY_REJECT_MSG_USER5", kString, 0,
     "CALL_REG_MGR_REJECT_MSG_INIT_DEFAULT_VAL_5"},
    {kSectionCallSetting, "CALL_REG_KEY_PREFIX_DIALLING_1", kString, 0, ""},
    {kSectionCallSetting, "CALL_REG_KEY_PREFIX_DIALLING_2", kString, 0, ""},
    {kSectionCallSetting, "CALL_REG_KEY_PREFIX_DIALLING_3", kString, 0, ""},
    {kSectionCallSetting, "CALL_REG_KEY_PREFIX_DIALLING_4", kString, 0, ""},
    {kSectionCallSetting, "CALL_REG_KEY_PREFIX_DIALLING_5", kString, 0, ""},
    {kSectionCallSetting, "CALL_REG_KEY_PREFIX_DIALLING_ON_OFF", kInt, 0, NULL},
    {kSectionCallSetting, "CALL_REG_KEY_PREFIX_DIALLING_SELECTED_ITEM", kInt, -1, NULL},
    {kSectionCallSetting, "CALL_REG_KEY_ALERTS_ON_CALL", kInt, 0, NULL},
    {kSectionCallSetting, "CALL_REG_KEY_ANSWERING_MODE_ANY_KEY", kInt, 0, NULL},
    {kSectionCallSetting, "CALL_REG_KEY_ANSWERING_MODE_AUTOMATIC", kInt, 0, NULL},
    {kSectionCallSetting, "CALL_REG_KEY_FAKE_CALL_NAME", kString, 0, ""},
    {kSectionCallSetting, "CALL_REG_KEY_FAKE_CALL_CALLER_IMAGE", kString, 0, ""},
    {kSectionCallSetting, "CALL_REG_KEY_VIDEO_CALL_SCREEN_SIZE", kInt, 1, NULL},
    {kSectionCallSetting, "CALL_REG_KEY_VIDEO_CALL_VIEWING_STYLE", kInt, 1, NULL},
    {kSectionCallSetting, "CALL_REG_KEY_INCOMING_CALL_BG", kUint64, 0xFF000000LL, NULL},
    {kSectionVideoCall, "CALL_REG_KEY_VIDEO_CALL_CAPTURE_FRAME", kUint64, 0, NULL},
    {kSectionCallSetting, "CALL_REG_KEY_FAKE_CALL_NUM", kString, 0, ""},
    {kSectionCallSetting, "CALL_REG_KEY_ANSWERING_MODE_SLIDE_UP", kInt, 1, NULL},
    {kSectionCallSetting, "CALL_REG_KEY_ANSWERING_MODE_ACTIVE_FLIP", kInt, 0, NULL},
    {kSectionCallSetting, "CALL_REG_KEY_DIVERTING_NUMBER1", kString, 0, ""},
    {kSectionCallSetting, "CALL_REG_KEY_DIVERTING_NUMBER2", kString, 0, ""},
    {kSectionCallSetting, "CALL_REG_KEY_DIVERTING_NUMBER3", kString, 0, ""},
    {kSectionCallSetting, "CALL_REG_KEY_VD_PRESET_IMAGE", kString, 0, ""},
};
static_assert(sizeof(kDefaults) / sizeof(kDefaults[0]) == 28, "28 default settings");

// Arguments a caller may get wrong; checked before the file is touched.
bool KeyArgumentsValid(const char* szSection, const char* szKey) {
    return CALL_REQUIRE(szSection != NULL) && CALL_REQUIRE(szKey != NULL);
}

bool DestArgumentsValid(const char* pDestBuffer, int nSize) {
    return CALL_REQUIRE(pDestBuffer != NULL) && CALL_REQUIRE(nSize > 0);
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
    for (const DefaultValue& d : kDefaults) {
        switch (d.type) {
            case kInt:
                RegSetInt(hReg, d.szSection, d.szKey, static_cast<int>(d.number));
                break;
            case kUint64:
                RegSetUint64(hReg, d.szSection, d.szKey, static_cast<unsigned long long>(d.number));
                break;
            case kString:
                RegSetString(hReg, d.szSection, d.szKey, d.szText);
                break;
        }
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
    SysDebugPrintf(TMX_DBG_SETTING, " CCallRegMgr::CloseRegisterFile: hReg(%d), bFlush(%d) \n",
                   hReg, bFlush);
    if (hReg == INVALID_HOBJ) {
        SysDebugPrintf(TMX_DBG_FAIL, "CCallRegMgr::CloseRegisterFile: RegLoad() is failed\n");
        return 0;
    }
    int bFlushed = 1;
    if (bFlush && !RegFlush(hReg)) {
        bFlushed = 0;
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
    return bFlushed;
}

// A set reports 1 only when the value reached the file: written, flushed and released.
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
    int bClosed = CloseRegisterFile(hReg, 1);
    return bWritten && bClosed;
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
    int bClosed = CloseRegisterFile(hReg, 1);
    return bWritten && bClosed;
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
    int bClosed = CloseRegisterFile(hReg, 1);
    return bWritten && bClosed;
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
    int bClosed = CloseRegisterFile(hReg, 1);
    return bWritten && bClosed;
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
