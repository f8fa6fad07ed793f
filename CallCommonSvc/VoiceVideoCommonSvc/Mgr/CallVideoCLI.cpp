#include "CallVideoCLI.h"

namespace {
const char kSourcePath[] = "CallCommonSvc\\VoiceVideoCommonSvc\\Mgr\\CallVideoCLI";
}

CALL_DEFINE_SINGLETON(CCallVideoCLIInfo, pCallVideoCLIMgr)

CCallVideoCLIInfo::CCallVideoCLIInfo() {
    Init();
}

CCallVideoCLIInfo::~CCallVideoCLIInfo() {}

void CCallVideoCLIInfo::Init() {
    SysDebugPrintf(TMX_DBG_SETTING, "CCallVideoCLIInfo::Init : START! \n");
    m_hPlayerVideoCLI = INVALID_HOBJ;
    m_hGCVideoCLI = INVALID_HOBJ;
    AcMemsetEx(m_szFilePath, sizeof(m_szFilePath), 0, sizeof(m_szFilePath), kSourcePath, __LINE__);
    AcMemsetEx(m_szVibAlertInfo, sizeof(m_szVibAlertInfo), 0, sizeof(m_szVibAlertInfo), kSourcePath,
               __LINE__);
    AcMemsetEx(&m_Volume, sizeof(m_Volume), 0, sizeof(m_Volume), kSourcePath, __LINE__);
    m_iCallVCLIIncomState = 0;
    bPlaying = 0;
    iCurrentAvmsState = CALL_VCLI_AVMS_STATE_INVALID;
    AcMemsetEx(&m_Rect, sizeof(m_Rect), 0, sizeof(m_Rect), kSourcePath, __LINE__);
}
