#include "CallCommonSvcDev.h"

#include "../H/CallCommonSvc.h"

namespace {
const char kSourcePath[] = "CallCommonSvc\\Mgr\\CallCommonSvcDev";
}

CALL_DEFINE_SINGLETON(CCallCommonSvcDev, pCallCommonDev)

CCallCommonSvcDev::CCallCommonSvcDev() : hCallLED(INVALID_HOBJ), hCallVib(INVALID_HOBJ) {
    Init();
}

CCallCommonSvcDev::~CCallCommonSvcDev() {}

void CCallCommonSvcDev::Init() {
    hCallLED = INVALID_HOBJ;
    hCallVib = INVALID_HOBJ;
    SysDebugPrintf(TMX_DBG_SETTING, " CCallCommonSvcDev::Init : START! \n");
}

namespace {
const int kNvLedSetting = 360;
const int kDevEarMic = 1;
const int kDevEarphone = 13;
}  // namespace

int CCallCommonSvcDev::LedBlink() {
    if (hCallLED != INVALID_HOBJ) {
        SysDebugPrintf(TMX_DBG_INFO, "CallLedBlink:LED Blink Error! LED Lighting...\n");
        return 1;
    }
    hCallLED = AmLedBlink(0, NvGetInt(kNvLedSetting), 20, 120, -1);
    if (hCallLED == INVALID_HOBJ) {
        SysDebugPrintf(TMX_DBG_FAIL, "CallLedBlink:LED Blik fail! hCallLED=%d\n", hCallLED);
        return 0;
    }
    SysDebugPrintf(TMX_DBG_INFO, "CallLedBlink:LED Blik Sucessed! hCallLED=%d\n", hCallLED);
    return 1;
}

int CCallCommonSvcDev::LedClear() {
    SysDebugPrintf(TMX_DBG_INFO, "CallLedClear: hCallLED=%d\n", hCallLED);
    if (hCallLED == INVALID_HOBJ) {
        SysDebugPrintf(TMX_DBG_INFO, "CallLedClear:already LED Clear\n");
        return 0;
    }
    if (AmLedClear(hCallLED) == 0) {
        SysDebugPrintf(TMX_DBG_FAIL, "CallLedClear:Clear LED Fail!..hCallLED=%d\n", hCallLED);
    } else {
        SysDebugPrintf(TMX_DBG_INFO, "CallLedClear:Clear LED Sucessed!\n");
    }
    // A refused clear is not retried with the same handle.
    hCallLED = INVALID_HOBJ;
    return 1;
}

// The pattern is fixed; the caller's vibration name is not used.
int CCallCommonSvcDev::VibStart(char*) {
    if (hCallVib != INVALID_HOBJ) {
        SysDebugPrintf(TMX_DBG_INFO, "CallVibStart:[already started..%d]\n", hCallVib);
        return 1;
    }
    hCallVib = AmVibStart(100, 1560, 500, -1);
    if (hCallVib == INVALID_HOBJ) {
        SysDebugPrintf(TMX_DBG_FAIL, "CallVibStart:Vib Start fail! hCallVib=%d\n", hCallVib);
        return 0;
    }
    return 1;
}

int CCallCommonSvcDev::VibStop() {
    if (hCallVib == INVALID_HOBJ) {
        SysDebugPrintf(TMX_DBG_INFO, "CallVibStop:[already stopped..%d]\n", hCallVib);
        return 0;
    }
    if (AmVibStop(hCallVib) == 0) {
        SysDebugPrintf(TMX_DBG_FAIL, "CallVibStop:Vib Stop Fail!..hCallVib=%d\n", hCallVib);
    } else {
        SysDebugPrintf(TMX_DBG_INFO, "CallVibStop:Vib Stop Sucessed!\n");
    }
    hCallVib = INVALID_HOBJ;
    return 1;
}

int CCallCommonSvcDev::IsVibStop() {
    if (hCallVib == INVALID_HOBJ) {
        SysDebugPrintf(TMX_DBG_INFO, "CallIsVibStop: Vibration stopped!\n");
        return 1;
    }
    SysDebugPrintf(TMX_DBG_INFO, "CallIsVibStop: Vibration doesn't stop yet!!\n");
    return 0;
}

int CCallCommonSvcDev::IsEarJackInserted() {
    int bEarMic = PhsIsDevInserted(kDevEarMic);
    int bEarphone = bEarMic == 1 ? 0 : PhsIsDevInserted(kDevEarphone);
    if (bEarMic == 1 || bEarphone == 1) {
        SysDebugPrintf(TMX_DBG_INFO, "IsEarJackInserted: PS_DEV_EARMIC(%d), PS_DEV_EARPHONE(%d)\n",
                       bEarMic, bEarphone);
        return 1;
    }
    SysDebugPrintf(TMX_DBG_INFO, "IsEarJackInserted: Not Inserted!!\n");
    return 0;
}

// The exported device functions: 0 when the service is not loaded.
int CallLedBlink(void) {
    CCallCommonSvcDev* pDev = CCallCommonSvcDev::GetInstance();
    return pDev != NULL ? pDev->LedBlink() : 0;
}
int CallLedClear(void) {
    CCallCommonSvcDev* pDev = CCallCommonSvcDev::GetInstance();
    return pDev != NULL ? pDev->LedClear() : 0;
}
int CallVibStart(char* pszVibInfo) {
    CCallCommonSvcDev* pDev = CCallCommonSvcDev::GetInstance();
    return pDev != NULL ? pDev->VibStart(pszVibInfo) : 0;
}
int CallVibStop(void) {
    CCallCommonSvcDev* pDev = CCallCommonSvcDev::GetInstance();
    return pDev != NULL ? pDev->VibStop() : 0;
}
int CallIsVibStop(void) {
    CCallCommonSvcDev* pDev = CCallCommonSvcDev::GetInstance();
    return pDev != NULL ? pDev->IsVibStop() : 0;
}
int CallIsEarJackInserted(void) {
    CCallCommonSvcDev* pDev = CCallCommonSvcDev::GetInstance();
    return pDev != NULL ? pDev->IsEarJackInserted() : 0;
}
