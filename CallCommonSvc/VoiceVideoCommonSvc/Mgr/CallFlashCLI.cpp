#include "CallFlashCLI.h"

namespace {
const char kSourcePath[] = "CallCommonSvc\\VoiceVideoCommonSvc\\Mgr\\CallFlashCLI";
}

CALL_DEFINE_SINGLETON(CCallFlashCLIInfo, pCallFCLIInfoMgr)

CCallFlashCLIInfo::CCallFlashCLIInfo() {
    Init();
}

CCallFlashCLIInfo::~CCallFlashCLIInfo() {}

void CCallFlashCLIInfo::Init() {
    SysDebugPrintf(TMX_DBG_SETTING, "CCallFlashCLIInfo::Init : START! \n");
    m_hFlash = INVALID_HOBJ;
    m_hGCFlashCLI = INVALID_HOBJ;
    AcMemsetEx(m_szFilePath, sizeof(m_szFilePath), 0, sizeof(m_szFilePath), kSourcePath, __LINE__);
    AcMemsetEx(m_szVibAlertInfo, sizeof(m_szVibAlertInfo), 0, sizeof(m_szVibAlertInfo), kSourcePath,
               __LINE__);
    AcMemsetEx(&m_Volume, sizeof(m_Volume), 0, sizeof(m_Volume), kSourcePath, __LINE__);
}
