// Call-alert devices: LED blink, vibration and the ear-jack test.
#pragma once

#include "../H/CallObject.h"
#include "../H/CallSingleton.h"

class CALLCOMMONSVC_API CCallCommonSvcDev : public CCallObject {
    CALL_DECLARE_SINGLETON(CCallCommonSvcDev, pCallCommonDev)

public:
    CCallCommonSvcDev();
    virtual ~CCallCommonSvcDev();

    void Init();

    int hCallLED;  // running LED blink, INVALID_HOBJ when none
    int hCallVib;  // running vibration, INVALID_HOBJ when none
};
