// The root of the library's object model.
#pragma once

#include "../Platform/MemStub.h"
#include "CallCommonSvcDef.h"

// Any object of the library can be deleted through a CCallObject pointer. Objects live on the
// platform heap through the allocation routing.
class CALLCOMMONSVC_API CCallObject {
public:
    virtual ~CCallObject() {}

    CALL_MEMSTUB_OPERATORS
};
