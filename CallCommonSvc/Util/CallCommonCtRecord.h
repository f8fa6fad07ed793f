// Caller identification from the contacts database, the FDN and the SDN.
#pragma once

#include "../H/CallSingleton.h"
#include "../Platform/MemStub.h"

class CALLCOMMONSVC_API CCallCommonCtRecord {
    CALL_DECLARE_SINGLETON(CCallCommonCtRecord, pCallCommonCtRecord)

public:
    CCallCommonCtRecord();
    ~CCallCommonCtRecord();

    CALL_MEMSTUB_OPERATORS
};
