// Flash caller ID: a Flash file played as the ringtone of an incoming call.
#pragma once

#include "CallVideoCLI.h"

#define FCLI_STEP_COUNT_MAX 7

// The same layout as the video caller ID's table.
typedef CallVCLIVolume CallFCLIVolume;

class CALLCOMMONSVC_API CCallFlashCLIInfo : public CCallTimer {
    CALL_DECLARE_SINGLETON(CCallFlashCLIInfo, pCallFCLIInfoMgr)

public:
    CCallFlashCLIInfo();
    virtual ~CCallFlashCLIInfo();

    void Init();

    int m_hFlash;
    int m_hGCFlashCLI;
    char m_szFilePath[CALL_VCLI_PATH_SIZE];
    char m_szVibAlertInfo[CALL_VCLI_PATH_SIZE];
    CallFCLIVolume m_Volume;
};
