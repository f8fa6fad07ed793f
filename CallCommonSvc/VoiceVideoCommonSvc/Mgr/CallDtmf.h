// Single DTMF tone requests on a call.
#pragma once

#include "../../H/CallInterface.h"

// Tone duration placed in every start request.
#define CALL_DTMF_TONE_DURATION 300

class CALLCOMMONSVC_API CCallDtmf : public ICallDtmf {
public:
    CCallDtmf();
    virtual ~CCallDtmf();

    virtual int Start(int hCall, char digit);
    virtual int Stop(int hCall);
    virtual int IsPossible();
};
