// Call-alert devices: LED blink, vibration and the ear-jack test.
#pragma once

#include "../H/CallObject.h"
#include "../H/CallSingleton.h"
#include "../Platform/TmxAppFrmwk.h"

class CALLCOMMONSVC_API CCallCommonSvcDev : public CCallObject {
    CALL_DECLARE_SINGLETON(CCallCommonSvcDev, pCallCommonDev)

public:
    CCallCommonSvcDev();
    virtual ~CCallCommonSvcDev();

    void Init();

    // At most one LED blink and one vibration run: a second start is a no-op that succeeds,
    // and clear and stop always return to idle, even when the platform refuses.
    int LedBlink();
    int LedClear();
    int VibStart(char* pszVibInfo);
    int VibStop();
    int IsVibStop();
    int IsEarJackInserted();

    int hCallLED;  // running LED blink, INVALID_HOBJ when none
    int hCallVib;  // running vibration, INVALID_HOBJ when none
};
