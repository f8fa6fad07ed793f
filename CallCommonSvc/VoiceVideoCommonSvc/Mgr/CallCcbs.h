// Completion of calls to busy subscribers: the application's copies of up to five requests.
#pragma once

#include "../../H/CallInterface.h"
#include "../H/CallCcbs.h"

#define CALL_CCBS_MAX 5

class CALLCOMMONSVC_API CCallCcbs : public ICallCcbs {
public:
    CCallCcbs();
    virtual ~CCallCcbs();

    virtual int Add(TapiCcbsInfo* pCcbsInfo);
    virtual int Delete(int index);
    virtual int IsAvailableSlot();

private:
    CCallCcbsList<CALL_CCBS_MAX> m_CcbsList;
};
