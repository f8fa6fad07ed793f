// Caller identification from the contacts database, the FDN and the SDN.
#pragma once

#include "../H/CallCommonSvc.h"
#include "../H/CallSingleton.h"
#include "../Platform/MemStub.h"

// Every lookup returns 1 on success and 0 on failure. Lookups call each other through the
// virtual table, so an override changes the lookups built on it too. A lookup given no output
// record runs all its steps and writes nothing.
class CALLCOMMONSVC_API CCallCommonCtRecord {
    CALL_DECLARE_SINGLETON(CCallCommonCtRecord, pCallCommonCtRecord)

public:
    CCallCommonCtRecord();

    virtual int GetCtRecordbyNum(char* pszTelNumber, CallCommonCtRecord* pRecord);
    // These two write their fields straight into the caller's record once the entry is read.
    virtual int GetSdnRecord(int nRecordId, CallCommonCtRecord* pRecord);
    virtual int GetFdnRecord(int nRecordId, CallCommonCtRecord* pRecord);
    virtual int GetFdnRecordbyNum(char* pszTelNumber, CallCommonCtRecord* pRecord);
    virtual int GetFdnRecordbyFdnID(int nId, CallCommonCtRecord* pRecord);
    virtual int GetCtRecordbyEmail(const char* pszEmail, CallCommonCtRecord* pRecord);
    virtual int CheckFdnNumberExist(char* pszTelNumber);
    virtual int GetCtRecordByMoInfo(CallCommonMoInfo* pMoInfo, CallCommonCtRecord* pRecord);
    virtual int GetCtRecordByPrimaryID(int nPrimaryID, CallCommonCtRecord* pRecord);
    virtual int GetEntryInfobyNum(char* pszTelNumber);
    // Writes at most 302 bytes to pszDisplayName; 0 (and a report) only when it is null.
    virtual int MakingDisplayName(const char* pszFirstName, const char* pszLastName,
                                  char* pszDisplayName);
    virtual int IsValidPrimaryID(int nPrimaryID);

    // After the lookups, so that they keep the first slots of the table.
    virtual ~CCallCommonCtRecord();

    // Looks the number up as given, without normalising it.
    int GetCtRecord(char* pszTelNumber, CallCommonCtRecord* pRecord);
    int GetRecordbyHperson(int hPerson, CallCommonCtRecord* pRecord);

    CALL_MEMSTUB_OPERATORS
};
