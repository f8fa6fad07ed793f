#include "CallCcbs.h"

namespace {
const char kSourcePath[] = "CallCommonSvc\\VoiceVideoCommonSvc\\Mgr\\CallCcbs";
}

CCallCcbs::CCallCcbs() {}

CCallCcbs::~CCallCcbs() {}

int CCallCcbs::Add(TapiCcbsInfo* pCcbsInfo) {
    if (!CALL_REQUIRE(pCcbsInfo != NULL)) {
        return 0;
    }
    return m_CcbsList.Add(pCcbsInfo);
}

int CCallCcbs::Delete(int index) {
    return m_CcbsList.Delete(index);
}

int CCallCcbs::IsAvailableSlot() {
    return m_CcbsList.GetCount() < CALL_CCBS_MAX ? 1 : 0;
}
