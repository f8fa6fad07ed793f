#include "CallCommonSvcDev.h"

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
