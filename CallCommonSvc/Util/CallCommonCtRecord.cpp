#include "CallCommonCtRecord.h"

#include "../Platform/TmxCommTAPI.h"
#include "../Platform/TmxGWESCore.h"

namespace {

const char kSourcePath[] = "CallCommonSvc\\Util\\CallCommonCtRecord";

const int kNvContactsViewOrder = 1417;  // 0: first name in front
const int kNoDateYear = 1899;           // the contacts service's "no date"
const int kDisplayNameChars = 50;
const unsigned kDisplayNameBytes = 302;
const int kSimPersonBit = static_cast<int>(0x80000000u);

// Text for a trace of caller input that may be missing.
const char* Text(const char* s) {
    return s != NULL ? s : "";
}

bool IsEmpty(const char* s) {
    return s == NULL || AcStrlen(s) == 0;
}

// Platform records are terminated before use, so a full field is never read past its end.
template <size_t N>
void Terminate(char (&field)[N]) {
    field[N - 1] = '\0';
}

template <size_t N>
void Copy(char (&dest)[N], const char* src) {
    AcStrcpySEx(dest, N, src, kSourcePath, __LINE__);
}

template <class T>
void Zero(T& record) {
    AcMemsetEx(&record, sizeof(T), 0, sizeof(T), kSourcePath, __LINE__);
}

int PersonHandle(const CtSvcPersonRecord& person) {
    return static_cast<int>((static_cast<unsigned>(person.nStorageType) << 30) |
                            static_cast<unsigned>(person.nIndex));
}

void TerminatePerson(CtSvcPersonRecord& person) {
    Terminate(person.szFirstName);
    Terminate(person.szLastName);
    Terminate(person.szImage);
}

void TerminateNumber(CtSvcPhoneNumberRecord& number) {
    Terminate(number.PhoneNumberInfo.szPhoneNumber);
}

void TerminateGroup(CtSvcGroupRecord& group) {
    Terminate(group.szRingtone);
    Terminate(group.szVibration);
}

// A zeroed array on the platform heap, released when it goes out of scope.
template <class T>
class HeapArray {
public:
    HeapArray(int count, int line) : m_p(NULL), m_count(count) {
        if (count <= 0 || static_cast<size_t>(count) > 0x7FFFFFFFu / sizeof(T)) {
            return;
        }
        unsigned size = static_cast<unsigned>(count * sizeof(T));
        m_p = static_cast<T*>(MemAllocTraceEx(0, size, kSourcePath, line));
        if (m_p != NULL) {
            AcMemsetEx(m_p, size, 0, size, kSourcePath, line);
        }
    }
    ~HeapArray() {
        if (m_p != NULL) {
            MemFreeTraceMultiHeap(m_p, kSourcePath, __LINE__);
        }
    }
    HeapArray(const HeapArray&) = delete;
    HeapArray& operator=(const HeapArray&) = delete;

    T* Get() const { return m_p; }
    T& operator[](int i) const { return m_p[i]; }
    int Count() const { return m_count; }

private:
    T* m_p;
    int m_count;
};

// The traces of the two lookups that build a whole contact record, naming the lookup.
struct ContactTraces {
    const char* groupRingtone;
    const char* groupVibration;
    const char* notMember;
    const char* ringtone;
    const char* copyRingtone;
    const char* vibration;
    const char* copyVibration;
    const char* dtmf;
    const char* other;
    const char* each;
};

const ContactTraces kPrimaryTraces = {
    "CCallCommonCtRecord::GetCtRecordByPrimaryID: Copy Group Ringtone = [%s]\n",
    "CCallCommonCtRecord::GetCtRecordByPrimaryID: Copy Group Vibration = [%s]\n",
    "CCallCommonCtRecord::GetCtRecordByPrimaryID: It's not Group member!!\n",
    "CCallCommonCtRecord::GetCtRecordByPrimaryID: Etc Ringtone = %s\n",
    "CCallCommonCtRecord::GetCtRecordByPrimaryID: copy Etc Ringtone = %s\n",
    "CCallCommonCtRecord::GetCtRecordByPrimaryID: EtcVibration = %s\n",
    "CCallCommonCtRecord::GetCtRecordByPrimaryID: copy Etc Vibration = %s!!\n",
    "CCallCommonCtRecord::GetCtRecordByPrimaryID: EtcDataType is CTSVC_ETCDATA_DTMF!!\n",
    "CCallCommonCtRecord::GetCtRecordByPrimaryID: EtcDataType is default!!\n",
    "CCallCommonCtRecord::GetCtRecordByPrimaryID: pEtcRecords[%d].EtcDataInfo.EtcDataType = %d\n",
};

const ContactTraces kPersonTraces = {
    "CCallCommonCtRecord::GetRecordbyHperson: Copy Group Ringtone = [%s]\n",
    "CCallCommonCtRecord::GetRecordbyHperson: Copy Group Vibration = [%s]\n",
    "CCallCommonCtRecord::GetRecordbyHperson: It's not Group member!!\n",
    "CCallCommonCtRecord::GetRecordbyHperson: Etc Ringtone = %s\n",
    "CCallCommonCtRecord::GetRecordbyHperson: copy Etc Ringtone = %s\n",
    "CCallCommonCtRecord::GetRecordbyHperson: EtcVibration = %s\n",
    "CCallCommonCtRecord::GetRecordbyHperson: copy Etc Vibration = %s!!\n",
    "CCallCommonCtRecord::GetRecordbyHperson: EtcDataType is CTSVC_ETCDATA_DTMF !!!\n",
    "CCallCommonCtRecord::GetRecordbyHperson: default!!!\n",
    "CCallCommonCtRecord::GetRecordbyHperson: pEtcRecords[%d].EtcDataInfo.EtcDataType = %d\n",
};

// The ringtone and vibration of the contact's group, when it is in one.
void ApplyGroup(int nPrimaryId, CtSvcGroupMemberRecord* pMember, const ContactTraces& traces,
                CallCommonCtRecord& record) {
    CtSvcGroupMemberRecord query;
    Zero(query);
    query.nPrimaryId = nPrimaryId;
    if (CtSvcDbGroupMemberGetRecords(&query, pMember, 1) == 0) {
        SysDebugPrintf(TMX_DBG_UTIL, "%s", traces.notMember);
        return;
    }
    CtSvcGroupRecord group;
    Zero(group);
    CtSvcDbGroupGetRecord(pMember->nGroupId, &group);
    TerminateGroup(group);
    if (group.szRingtone[0] != '\0') {
        Copy(record.szRingtone, group.szRingtone);
        SysDebugPrintf(TMX_DBG_UTIL, traces.groupRingtone, record.szRingtone);
    }
    if (group.szVibration[0] != '\0') {
        Copy(record.szVibration, group.szVibration);
        SysDebugPrintf(TMX_DBG_UTIL, traces.groupVibration, record.szVibration);
    }
}

// Applies the etc-data records in order: the person's own values win over the group's.
void ApplyEtcData(const HeapArray<CtSvcEtcDataRecord>& records, const ContactTraces& traces,
                  CallCommonCtRecord& record) {
    for (int i = 0; i < records.Count(); ++i) {
        CtSvcEtcDataInfo& info = records[i].EtcDataInfo;
        Terminate(info.szValue);
        switch (info.EtcDataType) {
            case CTSVC_ETCDATA_RINGTONE:
                SysDebugPrintf(TMX_DBG_UTIL, traces.ringtone, info.szValue);
                if (info.szValue[0] != '\0') {
                    Copy(record.szRingtone, info.szValue);
                    SysDebugPrintf(TMX_DBG_UTIL, traces.copyRingtone, record.szRingtone);
                }
                break;
            case CTSVC_ETCDATA_VIBRATION:
                SysDebugPrintf(TMX_DBG_UTIL, traces.vibration, info.szValue);
                if (info.szValue[0] != '\0') {
                    Copy(record.szVibration, info.szValue);
                    SysDebugPrintf(TMX_DBG_UTIL, traces.copyVibration, record.szVibration);
                }
                break;
            case CTSVC_ETCDATA_DTMF:
                Copy(record.szDtmf, info.szValue);
                SysDebugPrintf(TMX_DBG_UTIL, "%s", traces.dtmf);
                break;
            default:
                SysDebugPrintf(TMX_DBG_UTIL, "%s", traces.other);
                break;
        }
        SysDebugPrintf(TMX_DBG_UTIL, traces.each, i, info.EtcDataType);
    }
}

// Fills the record from an FDN entry, as the two FDN lookups that build a record of their own.
void FillFdnRecord(const CtSvcFdnRecord& fdn, int nFdnId, CallCommonCtRecord& record) {
    record.nFdnId = nFdnId;
    record.nPrimaryId = 0;
    record.nPersonId = 0;
    record.nDataID = 0;
    record.nDevType = CTSVC_USE_TYPE_SIM;
    record.nRecordKind = 1;
    record.PhoneNumberInfo.PhoneType = CTSVC_PHONE_FDN;
    Copy(record.szFirstName, fdn.szName);
    Copy(record.PhoneNumberInfo.szPhoneNumber, fdn.szNumber);
    record.nPhoneNumberId = -1;
    record.nPhoneNumberId2 = -1;
}

void CopyOut(const CallCommonCtRecord& record, CallCommonCtRecord* pRecord) {
    if (pRecord != NULL) {
        AcMemcpyEx(pRecord, sizeof(*pRecord), &record, sizeof(record), kSourcePath, __LINE__);
    }
}

// Cuts a wide string after `chars` characters; a surrogate pair counts as one character.
void CutWide(unsigned short* text, int chars) {
    int i = 0;
    for (int n = 0; n < chars && text[i] != 0; ++n) {
        bool pair = text[i] >= 0xD800 && text[i] <= 0xDBFF && text[i + 1] >= 0xDC00 &&
                    text[i + 1] <= 0xDFFF;
        i += pair ? 2 : 1;
    }
    text[i] = 0;
}

// Cuts local (UTF-8) text at `bytes`, backing off a character the cut would split.
void CutLocal(char* text, int bytes) {
    int length = AcStrlen(text);
    if (length <= bytes) {
        return;
    }
    int cut = bytes;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) {
        --cut;
    }
    text[cut] = '\0';
}

}  // namespace

CALL_DEFINE_SINGLETON(CCallCommonCtRecord, pCallCommonCtRecord)
CALL_DEFINE_MEMSTUB_OPERATORS(CCallCommonCtRecord)

CCallCommonCtRecord::CCallCommonCtRecord() {}

CCallCommonCtRecord::~CCallCommonCtRecord() {}

int CCallCommonCtRecord::GetCtRecordbyNum(char* pszTelNumber, CallCommonCtRecord* pRecord) {
    if (IsEmpty(pszTelNumber)) {
        SysDebugPrintf(TMX_DBG_FAIL,
                       "CCallCommonCtRecord::GetCtRecordbyNum : AcStrlen( pszTelNumber ) == 0\n");
        return 0;
    }
    char szBuffer[51];
    Zero(szBuffer);
    AcStrncpyEx(szBuffer, sizeof(szBuffer), pszTelNumber, 50, kSourcePath, __LINE__);
    SysDebugPrintf(TMX_DBG_UTIL, "CCallCommonCtRecord::GetCtRecordbyNum: [%s] Start!!!!\n",
                   szBuffer);

    // Caller-ID restriction (*31#) or presentation (#31#) prefix, 3GPP TS 22.030.
    int bufSstringCnt = 0;
    if ((szBuffer[0] == '*' || szBuffer[0] == '#') && szBuffer[1] == '3' && szBuffer[2] == '1' &&
        szBuffer[3] == '#') {
        bufSstringCnt = 4;
        SysDebugPrintf(TMX_DBG_UTIL,
                       "CCallCommonCtRecord::GetCtRecordbyNum: bSstring is TRUE & "
                       "bufSstringCnt is 4 !!!!\n");
    }

    int nLength = AcStrlen(szBuffer);
    int nCompare = CtSvcGetDigitsCount2Compare(szBuffer);
    // The last nCompare characters; a count outside 0..nLength is taken as its nearest bound.
    const char* pszTail = szBuffer + nLength -
                          (nCompare < 0         ? 0
                           : nCompare > nLength ? nLength
                                                : nCompare);
    char* pszLookup;
    if (bufSstringCnt != 0) {
        pszLookup = nLength > 11 ? const_cast<char*>(pszTail) : szBuffer + bufSstringCnt;
    } else {
        pszLookup = nCompare <= nLength ? const_cast<char*>(pszTail) : szBuffer;
    }

    if (GetCtRecord(pszLookup, pRecord) == 0) {
        SysDebugPrintf(TMX_DBG_FAIL,
                       "CCallCommonCtRecord::GetCtRecordbyNum GetCtRecord failed!!! "
                       "return FALSE!!!\n");
        return 0;
    }
    SysDebugPrintf(TMX_DBG_UTIL, "CCallCommonCtRecord::GetCtRecordbyNum: return TRUE !!!\n");
    return 1;
}

int CCallCommonCtRecord::GetCtRecord(char* pszTelNumber, CallCommonCtRecord* pRecord) {
    SysDebugPrintf(TMX_DBG_UTIL, "CCallCommonCtRecord::GetCtRecord: pszTelNumber [%s] Start!!!\n",
                   Text(pszTelNumber));
    if (IsEmpty(pszTelNumber)) {
        SysDebugPrintf(TMX_DBG_FAIL,
                       "CCallCommonCtRecord::GetCtRecord : AcStrlen( pszTelNumber ) == 0\n");
        return 0;
    }

    CtSvcPhoneNumberRecord query;
    Zero(query);
    AcStrncpyEx(query.PhoneNumberInfo.szPhoneNumber, sizeof(query.PhoneNumberInfo.szPhoneNumber),
                pszTelNumber, 50, kSourcePath, __LINE__);
    int nCount = CtSvcDbPhoneNumberGetCount(&query);
    if (nCount <= 0) {
        SysDebugPrintf(TMX_DBG_FAIL,
                       "CCallCommonCtRecord::GetCtRecord: CtSvcDbPhoneNumberGetCount "
                       "is Zero !!!!!\n");
        return 0;
    }
    HeapArray<CtSvcPhoneNumberRecord> numbers(nCount, __LINE__);
    if (numbers.Get() == NULL) {
        SysDebugPrintf(TMX_DBG_FAIL, "CCallCommonCtRecord::GetCtRecord ->Memalloc Failed!!!!!\n");
        return 0;
    }
    if (CtSvcDbPhoneNumberGetRecords(&query, numbers.Get(), -1) <= 0) {
        SysDebugPrintf(TMX_DBG_FAIL,
                       "CCallCommonCtRecord::GetCtRecord: "
                       "CtSvcDbPhoneNumberGetRecords Failed!!!!!\n");
        return 0;
    }

    // A number in the phone's memory wins over the same number on the SIM.
    int nMatch = 0;
    for (int i = 0; nCount > 1 && i < nCount; ++i) {
        if (numbers[i].nDevType == CTSVC_USE_TYPE_PHONE) {
            nMatch = i;
            break;
        }
    }
    CtSvcPhoneNumberRecord& match = numbers[nMatch];
    TerminateNumber(match);

    if (match.nDevType == CTSVC_USE_TYPE_SIM) {
        SysDebugPrintf(TMX_DBG_UTIL,
                       "CCallCommonCtRecord::GetCtRecord: DevType is CTSVC_USE_TYPE_SIM !!!\n");
        CtSvcPersonRecord person;
        Zero(person);
        if (CtSvcDbPersonGetRecord(match.nPersonIndex | kSimPersonBit, &person) == 0) {
            SysDebugPrintf(TMX_DBG_FAIL,
                           "CCallCommonCtRecord::GetCtRecord CtSvcDbPersonGetRecord failed\n");
            return 0;
        }
        TerminatePerson(person);
        CallCommonCtRecord record;
        Zero(record);
        record.nPrimaryId = match.nPrimaryId;
        record.nDataID = match.nDataId;
        record.nPersonId = person.nIndex;
        record.nDevType = person.nStorageType;
        record.nRecordKind = 0;
        SysDebugPrintf(TMX_DBG_UTIL,
                       "CCallCommonCtRecord::GetCtRecord: nPrimaryId [%d] is copied !!!\n",
                       record.nPrimaryId);
        if (match.PhoneNumberInfo.szPhoneNumber[0] != '\0') {
            record.PhoneNumberInfo.PhoneType = match.PhoneNumberInfo.PhoneType;
            record.nPhoneNumberId = match.nDataId;
            record.nPhoneNumberId2 = match.nDataId;
            Copy(record.PhoneNumberInfo.szPhoneNumber, match.PhoneNumberInfo.szPhoneNumber);
            SysDebugPrintf(TMX_DBG_UTIL,
                           "CCallCommonCtRecord::GetCtRecord: szPhoneNumber[%s] is copied !!!\n",
                           record.PhoneNumberInfo.szPhoneNumber);
        }
        if (person.szFirstName[0] != '\0') {
            Copy(record.szFirstName, person.szFirstName);
            SysDebugPrintf(TMX_DBG_UTIL,
                           "CCallCommonCtRecord::GetCtRecord: szFirstName[%s] is copied !!!\n",
                           record.szFirstName);
        }
        CopyOut(record, pRecord);
    } else {
        if (GetCtRecordByPrimaryID(match.nPrimaryId, pRecord) == 0) {
            SysDebugPrintf(
                TMX_DBG_FAIL,
                "CCallCommonCtRecord::GetCtRecord: GetRecordbyHperson return fail !!!\n");
            return 0;
        }
        if (pRecord != NULL) {
            pRecord->PhoneNumberInfo.PhoneType = match.PhoneNumberInfo.PhoneType;
            pRecord->nDataID = match.nDataId;
        }
    }
    SysDebugPrintf(TMX_DBG_UTIL, "CCallCommonCtRecord::GetCtRecord: return TRUE !!!\n");
    return 1;
}

int CCallCommonCtRecord::GetCtRecordByPrimaryID(int nPrimaryID, CallCommonCtRecord* pRecord) {
    HeapArray<CtSvcGroupMemberRecord> member(1, __LINE__);
    if (member.Get() == NULL) {
        SysDebugPrintf(TMX_DBG_FAIL,
                       "CCallCommonCtRecord::GetCtRecordByPrimaryID: "
                       "pGroupMemberRecords is NULL !!!\n");
        return 0;
    }
    if (nPrimaryID == CALL_INVALID_CONTACT_INDEX) {
        SysDebugPrintf(TMX_DBG_FAIL,
                       "CCallCommonCtRecord::GetCtRecordByPrimaryID: nPrimaryID in "
                       "MoInfo is CALL_INVALID_CONTACT_INDEX !!!\n");
        return 0;
    }
    SysDebugPrintf(TMX_DBG_UTIL,
                   "CCallCommonCtRecord::GetCtRecordByPrimaryID: nPrimaryID [%d] Start!!\n",
                   nPrimaryID);

    CtSvcPrimaryRecord primary;
    Zero(primary);
    if (CtSvcDbPrimaryGetRecord(nPrimaryID, &primary) == 0) {
        SysDebugPrintf(TMX_DBG_FAIL, "CCallCommonCtRecord::GetCtRecordByPrimaryID: failed\n");
        return 0;
    }
    Terminate(primary.szImage);
    Terminate(primary.szFirstName);
    Terminate(primary.szLastName);
    if (primary.nPersonCount <= 0) {
        return 0;
    }
    HeapArray<CtSvcPersonRecord> persons(primary.nPersonCount, __LINE__);
    if (persons.Get() == NULL) {
        return 0;
    }
    if (_CtSvcDbPersonGetRecords(nPrimaryID, persons.Get(), persons.Count(), kSourcePath,
                                 __LINE__) == 0) {
        SysDebugPrintf(TMX_DBG_FAIL, "CCallCommonCtRecord::GetCtRecordByPrimaryID: failed\n");
        return 0;
    }

    // The person that stands for the contact: the last one marked, else the first.
    int nChosen = 0;
    for (int i = 0; i < persons.Count(); ++i) {
        TerminatePerson(persons[i]);
        if (persons[i].nMarker < 0) {
            nChosen = i;
        }
    }
    const CtSvcPersonRecord& person = persons[nChosen];
    int hCtPerson = PersonHandle(person);
    SysDebugPrintf(TMX_DBG_UTIL,
                   "CCallCommonCtRecord::GetCtRecordByPrimaryID: hCtPerson is [%d]!!\n", hCtPerson);

    CallCommonCtRecord record;
    Zero(record);
    record.nPrimaryId = nPrimaryID;
    record.nPersonId = person.nIndex;
    record.nDevType = primary.nDevType;
    for (int i = 0; i < persons.Count(); ++i) {
        if (persons[i].nYear != kNoDateYear) {
            record.nYear = persons[i].nYear;
            record.nMonth = persons[i].nMonth;
            record.nDay = persons[i].nDay;
            break;
        }
    }

    CtSvcPhoneNumberRecord number;
    Zero(number);
    if (CtSvcDbPersonGetDefaultPhoneNumber(hCtPerson, &number) == 0) {
        SysDebugPrintf(TMX_DBG_FAIL,
                       "CCallCommonCtRecord::GetCtRecordByPrimaryID: "
                       "CtSvcDbPersonGetDefaultPhoneNumber failed\n");
        return 0;
    }
    TerminateNumber(number);
    if (number.PhoneNumberInfo.szPhoneNumber[0] != '\0') {
        record.nPhoneNumberId = number.nDataId;
        record.nPhoneNumberId2 = number.nDataId;
        record.nDataID = number.nDataId;
        record.PhoneNumberInfo.PhoneType = number.PhoneNumberInfo.PhoneType;
        record.PhoneNumberInfo.UseType = number.PhoneNumberInfo.UseType;
        Copy(record.PhoneNumberInfo.szPhoneNumber, number.PhoneNumberInfo.szPhoneNumber);
        SysDebugPrintf(
            TMX_DBG_UTIL,
            "CCallCommonCtRecord::GetCtRecordByPrimaryID: "
            "SrcCtRecord.PhoneNumberInfo.szPhoneNumber(CallCommonSVC) is [%s] copied.!!\n",
            record.PhoneNumberInfo.szPhoneNumber);
    }
    if (primary.szFirstName[0] != '\0') {
        Copy(record.szFirstName, primary.szFirstName);
        SysDebugPrintf(TMX_DBG_UTIL,
                       "CCallCommonCtRecord::GetCtRecordByPrimaryID: SrcCtRecord.szFirstName is "
                       "[%s] copied.!!\n",
                       record.szFirstName);
    }
    if (primary.szLastName[0] != '\0') {
        Copy(record.szLastName, primary.szLastName);
        SysDebugPrintf(TMX_DBG_UTIL,
                       "CCallCommonCtRecord::GetCtRecordByPrimaryID: SrcCtRecord.szLastName is "
                       "[%s] copied.!!\n",
                       record.szLastName);
    }
    Copy(record.szImage, primary.szImage[0] != '\0' ? primary.szImage : person.szImage);
    SysDebugPrintf(TMX_DBG_UTIL,
                   "CCallCommonCtRecord::GetCtRecordByPrimaryID: SrcCtRecord.szImage is [%s] "
                   "copied.!!\n",
                   record.szImage);

    ApplyGroup(nPrimaryID, member.Get(), kPrimaryTraces, record);

    CtSvcEtcDataKey key;
    Zero(key);
    key.nPersonIndex = hCtPerson & CTSVC_PERSON_INDEX_MASK;
    int nEtcCnt = CtSvcDbEtcDataGetCount(&key);
    SysDebugPrintf(TMX_DBG_UTIL, "CCallCommonCtRecord::GetCtRecordByPrimaryID: nEtcCnt is [%d]!!\n",
                   nEtcCnt);
    if (nEtcCnt > 0) {
        HeapArray<CtSvcEtcDataRecord> etc(nEtcCnt, __LINE__);
        if (etc.Get() == NULL) {
            SysDebugPrintf(TMX_DBG_FAIL,
                           "CCallCommonCtRecord::GetCtRecordByPrimaryID pEtcRecords: "
                           "Memalloc failed\n");
            return 0;
        }
        if (CtSvcDbEtcDataGetRecords(&key, etc.Get(), nEtcCnt) < 0) {
            SysDebugPrintf(TMX_DBG_FAIL,
                           "CCallCommonCtRecord::GetCtRecordByPrimaryID "
                           "CtSvcDbEtcDataGetRecords was failed\n");
            return 0;
        }
        ApplyEtcData(etc, kPrimaryTraces, record);
    }

    CopyOut(record, pRecord);
    SysDebugPrintf(TMX_DBG_UTIL, "CCallCommonCtRecord::GetCtRecordByPrimaryID: return TRUE!!!!\n");
    return 1;
}

int CCallCommonCtRecord::GetCtRecordByMoInfo(CallCommonMoInfo* pMoInfo,
                                             CallCommonCtRecord* pRecord) {
    if (!CALL_REQUIRE(pMoInfo != NULL)) {
        return 0;
    }
    char szNumber[51];
    Zero(szNumber);
    AcStrncpyEx(szNumber, sizeof(szNumber), pMoInfo->PhoneNumberInfo.szPhoneNumber, 50, kSourcePath,
                __LINE__);
    SysDebugPrintf(TMX_DBG_UTIL,
                   "CCallCommonCtRecord::GetCtRecordByMoInfo: nPrimaryID [%d],  nDataID [%d], "
                   "PhoneNumberInfo.nAasId [%d], PhoneNumberInfo.PhoneType [%d], "
                   "PhoneNumberInfo.UseType [%d], PhoneNumberInfo.szPhoneNumber [%s].\n",
                   pMoInfo->nPrimaryID, pMoInfo->nDataID, pMoInfo->PhoneNumberInfo.nAasId,
                   pMoInfo->PhoneNumberInfo.PhoneType, pMoInfo->PhoneNumberInfo.UseType, szNumber);

    if (pMoInfo->PhoneNumberInfo.PhoneType == CTSVC_PHONE_SDN) {
        SysDebugPrintf(
            TMX_DBG_UTIL,
            "CCallCommonCtRecord::GetCtRecordByMoInfo: PhoneType is CTSVC_PHONE_SDN!!\n");
        if (GetSdnRecord(pMoInfo->nPrimaryID, pRecord) == 0) {
            SysDebugPrintf(TMX_DBG_FAIL,
                           "CCallCommonCtRecord::GetCtRecordByMoInfo GetSdnRecord Failed\n");
            return 0;
        }
        SysDebugPrintf(TMX_DBG_UTIL,
                       "CCallCommonCtRecord::GetCtRecordByMoInfo: CTSVC_PHONE_SDN "
                       "return TRUE !!!\n");
        return 1;
    }
    if (pMoInfo->nPrimaryID == CALL_INVALID_CONTACT_INDEX) {
        SysDebugPrintf(TMX_DBG_FAIL,
                       "CCallCommonCtRecord::GetCtRecordByMoInfo: nPrimaryID in MoInfo "
                       "is CALL_INVALID_CONTACT_INDEX !!!\n");
        return 0;
    }

    CtSvcPersonRecord person;
    Zero(person);
    if (_CtSvcDbPersonGetRecords(pMoInfo->nPrimaryID, &person, 1, kSourcePath, __LINE__) == 0) {
        SysDebugPrintf(TMX_DBG_FAIL, "CCallCommonCtRecord::GetCtRecordByMoInfo failed\n");
        return 0;
    }
    SysDebugPrintf(TMX_DBG_UTIL,
                   "CCallCommonCtRecord::GetCtRecordByMoInfo: hCtPerson is [%d] !!!\n",
                   PersonHandle(person));

    // Built apart and copied out at the end, so that no failure leaves a half-filled record.
    CallCommonCtRecord record;
    Zero(record);
    if (GetCtRecordByPrimaryID(pMoInfo->nPrimaryID, &record) == 0) {
        SysDebugPrintf(TMX_DBG_FAIL,
                       "CCallCommonCtRecord::GetCtRecordByMoInfo: GetCtRecordByPrimaryID failed\n");
        return 0;
    }

    CtSvcPhoneNumberRecord query;
    Zero(query);
    Copy(query.PhoneNumberInfo.szPhoneNumber, szNumber);
    if (CtSvcDbPhoneNumberGetCount(&query) > 0) {
        HeapArray<CtSvcPhoneNumberRecord> pNumberRecord(1, __LINE__);
        if (pNumberRecord.Get() == NULL) {
            CALL_REPORT_REQUIRE("pNumberRecord != NULL");
            return 0;
        }
        CtSvcDbPhoneNumberGetRecords(&query, pNumberRecord.Get(), 1);
        record.PhoneNumberInfo = pMoInfo->PhoneNumberInfo;
        Terminate(record.PhoneNumberInfo.szPhoneNumber);
        record.PhoneNumberInfo.PhoneType = pNumberRecord[0].PhoneNumberInfo.PhoneType;
    } else {
        SysDebugPrintf(TMX_DBG_FAIL,
                       "CCallCommonCtRecord::CtSvcDbPhoneNumberGetCount: No matching contact with "
                       "number[%s] !!!\n",
                       szNumber);
    }
    record.nDataID = pMoInfo->nDataID;
    CopyOut(record, pRecord);
    SysDebugPrintf(TMX_DBG_UTIL, "CCallCommonCtRecord::GetCtRecordByMoInfo: return TRUE !!!\n");
    return 1;
}

int CCallCommonCtRecord::GetCtRecordbyEmail(const char* pszEmail, CallCommonCtRecord* pRecord) {
    if (IsEmpty(pszEmail)) {
        SysDebugPrintf(TMX_DBG_FAIL,
                       "CCallCommonCtRecord::GetCtRecordbyEmail : AcStrlen( "
                       "GetCtRecordbyEmail ) == 0\n");
        return 0;
    }
    CtSvcEmailRecord query;
    Zero(query);
    AcStrncpyEx(query.szAddress, sizeof(query.szAddress), pszEmail, 300, kSourcePath, __LINE__);
    int nCount = CtSvcDbEmailAddressGetCount(&query);
    SysDebugPrintf(TMX_DBG_UTIL, "CCallCommonCtRecord::GetCtRecordbyEmail:  [%s] Start !!!\n",
                   query.szAddress);
    if (nCount <= 0) {
        SysDebugPrintf(TMX_DBG_FAIL, "CCallCommonCtRecord::GetCtRecordbyEmail EmailNumCnt:%d\n",
                       nCount);
        return 0;
    }
    HeapArray<CtSvcEmailRecord> pEmailInfo(nCount, __LINE__);
    SysDebugPrintf(TMX_DBG_UTIL,
                   "CCallCommonCtRecord::GetCtRecordbyEmail:  EmailNumCnt: [%d] !!!\n", nCount);
    if (pEmailInfo.Get() == NULL) {
        SysDebugPrintf(TMX_DBG_FAIL,
                       "CCallCommonCtRecord::GetCtRecordbyEmail pEmailInfo Memalloc Failed!!!!\n");
        return 0;
    }
    if (CtSvcDbEmailAddressGetRecords(&query, pEmailInfo.Get(), -1) <= 0) {
        SysDebugPrintf(TMX_DBG_FAIL,
                       "__CtDbCtGetRecordByEmail( void ): CtSvcDbEmailAddressGetRecords "
                       "Failed!! return FALSE!!\n");
        return 0;
    }
    int nPrimaryID = pEmailInfo[0].nPrimaryId;
    if (GetCtRecordByPrimaryID(nPrimaryID, pRecord) == 0) {
        SysDebugPrintf(TMX_DBG_FAIL,
                       "CCallCommonCtRecord::GetCtRecordbyEmail:  GetRecordbyHperson "
                       "is fail !! return FALSE!!\n");
        return 0;
    }
    if (pRecord != NULL) {
        pRecord->nPrimaryId = nPrimaryID;
        pRecord->nDataID = pEmailInfo[0].nDataId;
    }
    SysDebugPrintf(TMX_DBG_UTIL, "CCallCommonCtRecord::GetCtRecordbyEmail: return TRUE !!!\n");
    return 1;
}

int CCallCommonCtRecord::GetFdnRecordbyNum(char* pszTelNumber, CallCommonCtRecord* pRecord) {
    SysDebugPrintf(TMX_DBG_UTIL, "CCallCommonCtRecord::GetFdnRecordbyNum:  [%s] Start!!!!\n",
                   Text(pszTelNumber));
    if (IsEmpty(pszTelNumber)) {
        SysDebugPrintf(TMX_DBG_FAIL,
                       "CCallCommonCtRecord::GetFdnRecordbyNum : AcStrlen( pszTelNumber ) == 0\n");
        return 0;
    }
    CtSvcFdnRecord fdn;
    Zero(fdn);
    if (CtSvcDbFdnGetRecordByPhoneNumber(pszTelNumber, &fdn) == 0) {
        SysDebugPrintf(TMX_DBG_FAIL,
                       "CCallCommonCtRecord::GetFdnRecordbyNum "
                       "CtSvcDbFdnGetRecordByPhoneNumber failed\n");
        return 0;
    }
    Terminate(fdn.szName);
    Terminate(fdn.szNumber);
    CallCommonCtRecord record;
    Zero(record);
    FillFdnRecord(fdn, fdn.nId, record);
    CopyOut(record, pRecord);
    SysDebugPrintf(TMX_DBG_UTIL, "CCallCommonCtRecord::GetFdnRecordbyNum:  return TRUE!!!!\n");
    return 1;
}

int CCallCommonCtRecord::GetFdnRecordbyFdnID(int nId, CallCommonCtRecord* pRecord) {
    SysDebugPrintf(TMX_DBG_UTIL, "CCallCommonCtRecord::GetFdnRecordbyFdnID:  [%d] Start!!!!\n",
                   nId);
    if (nId == CALL_INVALID_CONTACT_INDEX) {
        SysDebugPrintf(TMX_DBG_FAIL, "CCallCommonCtRecord::GetFdnRecordbyFdnID : nId == 0\n");
        return 0;
    }
    CtSvcFdnRecord fdn;
    Zero(fdn);
    if (CtSvcDbFdnGetRecord(nId, &fdn) == 0) {
        SysDebugPrintf(TMX_DBG_FAIL,
                       "CCallCommonCtRecord::GetFdnRecordbyFdnID: CtSvcDbFdnGetRecord failed\n");
        return 0;
    }
    Terminate(fdn.szName);
    Terminate(fdn.szNumber);
    CallCommonCtRecord record;
    Zero(record);
    FillFdnRecord(fdn, nId, record);
    CopyOut(record, pRecord);
    SysDebugPrintf(TMX_DBG_UTIL, "CCallCommonCtRecord::GetFdnRecordbyFdnID:  return TRUE!!!!\n");
    return 1;
}

int CCallCommonCtRecord::GetFdnRecord(int nRecordId, CallCommonCtRecord* pRecord) {
    if (nRecordId == CALL_INVALID_CONTACT_INDEX) {
        SysDebugPrintf(TMX_DBG_FAIL,
                       "CCallCommonCtRecord::GetFdnRecord: nRecordId is "
                       "CALL_INVALID_CONTACT_INDEX !!!\n");
        return 0;
    }
    SysDebugPrintf(TMX_DBG_UTIL, "CCallCommonCtRecord::GetFdnRecord: nRecordId[%d] Start!!!\n",
                   nRecordId);
    CtSvcFdnRecord fdn;
    Zero(fdn);
    if (CtSvcDbFdnGetRecord(nRecordId, &fdn) == 0) {
        SysDebugPrintf(TMX_DBG_FAIL, "CCallCommonCtRecord::GetFdnRecord: Get FDN record faile\n");
        return 0;
    }
    SysDebugPrintf(TMX_DBG_UTIL,
                   "CCallCommonCtRecord::GetFdnRecord: CtSvcDbFdnGetRecord is success!!!\n");
    Terminate(fdn.szName);
    Terminate(fdn.szNumber);
    if (pRecord != NULL) {
        pRecord->nFdnId = nRecordId;
        pRecord->nPrimaryId = 0;
        pRecord->nDataID = 0;
        Copy(pRecord->szFirstName, fdn.szName);
        pRecord->nDevType = CTSVC_USE_TYPE_SIM;
        pRecord->nRecordKind = 2;
        Copy(pRecord->PhoneNumberInfo.szPhoneNumber, fdn.szNumber);
    }
    SysDebugPrintf(TMX_DBG_UTIL, "CCallCommonCtRecord::GetFdnRecord: return TRUE!!!\n");
    return 1;
}

int CCallCommonCtRecord::GetSdnRecord(int nRecordId, CallCommonCtRecord* pRecord) {
    if (nRecordId < 0) {
        SysDebugPrintf(TMX_DBG_FAIL,
                       "CCallCommonCtRecord::GetSdnRecord: nRecordId is INVALID INDEX !!!\n");
        return 0;
    }
    SysDebugPrintf(TMX_DBG_UTIL, "CCallCommonCtRecord::GetSdnRecord: nRecordId [%d] Start!!!\n",
                   nRecordId);
    CtSvcSdnRecord sdn;
    Zero(sdn);
    if (CtSvcSimGetSdnRecord(nRecordId, &sdn) == 0) {
        SysDebugPrintf(TMX_DBG_FAIL, "CCallCommonCtRecord::GetSdnRecord: return FALSE!!!\n");
        return 0;
    }
    SysDebugPrintf(TMX_DBG_UTIL,
                   "CCallCommonCtRecord::GetSdnRecord: CtSvcSimGetSdnRecord is success!!!\n");
    Terminate(sdn.szName);
    Terminate(sdn.szNumber);
    if (pRecord != NULL) {
        pRecord->nPersonId = nRecordId;
        AcStrncpyEx(pRecord->szFirstName, sizeof(pRecord->szFirstName), sdn.szName, 120,
                    kSourcePath, __LINE__);
        pRecord->nDevType = CTSVC_USE_TYPE_SIM;
        pRecord->nRecordKind = 2;
        AcStrncpyEx(pRecord->PhoneNumberInfo.szPhoneNumber,
                    sizeof(pRecord->PhoneNumberInfo.szPhoneNumber), sdn.szNumber, 41, kSourcePath,
                    __LINE__);
    }
    SysDebugPrintf(TMX_DBG_UTIL, "CCallCommonCtRecord::GetSdnRecord: return TRUE!!!\n");
    return 1;
}

int CCallCommonCtRecord::CheckFdnNumberExist(char* pszTelNumber) {
    if (IsEmpty(pszTelNumber)) {
        SysDebugPrintf(
            TMX_DBG_FAIL,
            "CCallCommonCtRecord::CheckFdnNumberExist : AcStrlen( pszTelNumber ) == 0\n");
        return 0;
    }
    if (CtSvcDbFdnCheckIsAvailFdnNumber(pszTelNumber) == 1) {
        SysDebugPrintf(TMX_DBG_UTIL, "CCallCommonCtRecord::CheckFdnNumberExist :: return TRUE \n");
        return 1;
    }
    SysDebugPrintf(TMX_DBG_UTIL, "CCallCommonCtRecord::CheckFdnNumberExist :: return FALSE \n");
    return 0;
}

int CCallCommonCtRecord::GetRecordbyHperson(int hPerson, CallCommonCtRecord* pRecord) {
    if (hPerson == INVALID_HOBJ) {
        SysDebugPrintf(TMX_DBG_FAIL,
                       "CCallCommonCtRecord::GetRecordbyHperson: hPerson is INVALID_HOBJ !!!\n");
        return 0;
    }
    HeapArray<CtSvcGroupMemberRecord> member(1, __LINE__);
    if (member.Get() == NULL) {
        return 0;
    }
    SysDebugPrintf(TMX_DBG_UTIL, "GetRecordbyHperson [%d] Start!!!\n", hPerson);

    CtSvcPersonRecord person;
    Zero(person);
    if (CtSvcDbPersonGetRecord(hPerson, &person) == 0) {
        SysDebugPrintf(TMX_DBG_FAIL, "CCallCommonCtRecord::GetRecordbyHperson: failed\n");
        return 0;
    }
    TerminatePerson(person);
    CtSvcPhoneNumberRecord number;
    Zero(number);
    if (CtSvcDbPersonGetDefaultPhoneNumber(hPerson, &number) == 0) {
        SysDebugPrintf(TMX_DBG_FAIL,
                       "CCallCommonCtRecord::GetRecordbyHperson: "
                       "CtSvcDbPersonGetDefaultPhoneNumber failed\n");
        return 0;
    }
    TerminateNumber(number);

    CallCommonCtRecord record;
    Zero(record);
    record.nPrimaryId = number.nPrimaryId;
    record.nDataID = number.nDataId;
    record.nPersonId = hPerson & CTSVC_PERSON_INDEX_MASK;
    record.nDevType = number.nDevType;
    if (person.nYear != kNoDateYear) {
        record.nYear = person.nYear;
        record.nMonth = person.nMonth;
        record.nDay = person.nDay;
    }
    if (number.PhoneNumberInfo.szPhoneNumber[0] != '\0') {
        record.PhoneNumberInfo.PhoneType = number.PhoneNumberInfo.PhoneType;
        record.nPhoneNumberId = number.nDataId;
        record.nPhoneNumberId2 = number.nDataId;
        Copy(record.PhoneNumberInfo.szPhoneNumber, number.PhoneNumberInfo.szPhoneNumber);
        SysDebugPrintf(TMX_DBG_UTIL,
                       "CCallCommonCtRecord::GetRecordbyHperson: "
                       "SrcCtRecord.PhoneNumberInfo.szPhoneNumber is [%s] copied.!!\n",
                       record.PhoneNumberInfo.szPhoneNumber);
    }
    if (person.szFirstName[0] != '\0') {
        Copy(record.szFirstName, person.szFirstName);
        SysDebugPrintf(TMX_DBG_UTIL,
                       "CCallCommonCtRecord::GetRecordbyHperson: SrcCtRecord.szFirstName is [%s] "
                       "copied.!!\n",
                       record.szFirstName);
    }
    if (person.szLastName[0] != '\0') {
        Copy(record.szLastName, person.szLastName);
        SysDebugPrintf(TMX_DBG_UTIL,
                       "CCallCommonCtRecord::GetRecordbyHperson: SrcCtRecord.szLastName is [%s] "
                       "copied.!!\n",
                       record.szLastName);
    }
    if (person.szImage[0] != '\0') {
        Copy(record.szImage, person.szImage);
        SysDebugPrintf(TMX_DBG_UTIL,
                       "CCallCommonCtRecord::GetRecordbyHperson: SrcCtRecord.szImage is [%s] "
                       "copied.!!\n",
                       record.szImage);
    }

    ApplyGroup(person.nPrimaryId, member.Get(), kPersonTraces, record);

    CtSvcEtcDataKey key;
    Zero(key);
    key.nPersonIndex = hPerson & CTSVC_PERSON_INDEX_MASK;
    int nEtcCnt = CtSvcDbEtcDataGetCount(&key);
    if (nEtcCnt > 0) {
        SysDebugPrintf(TMX_DBG_UTIL,
                       "CCallCommonCtRecord::GetRecordbyHperson: nEtcCnt is [%d]!!!\n", nEtcCnt);
        HeapArray<CtSvcEtcDataRecord> etc(nEtcCnt, __LINE__);
        if (etc.Get() == NULL) {
            SysDebugPrintf(
                TMX_DBG_FAIL,
                "CCallCommonCtRecord::GetRecordbyHperson: pEtcRecords: Memalloc failed\n");
            return 0;
        }
        if (CtSvcDbEtcDataGetRecords(&key, etc.Get(), nEtcCnt) < 0) {
            SysDebugPrintf(TMX_DBG_FAIL,
                           "CCallCommonCtRecord::GetRecordbyHperson: "
                           "CtSvcDbEtcDataGetRecords was failed\n");
            return 0;
        }
        ApplyEtcData(etc, kPersonTraces, record);
    }

    // The first joined group supplies a missing ringtone, unless it is group 1.
    if (record.szRingtone[0] == '\0') {
        CtSvcGroupRecord group;
        Zero(group);
        if (CtSvcDbPersonGetJoinedGroupList(hPerson, &group, 1) > 0 && group.nGroupId != 1) {
            TerminateGroup(group);
            SysDebugPrintf(TMX_DBG_UTIL,
                           "CCallCommonCtRecord::GetRecordbyHperson: Group Rintone = %s\n",
                           group.szRingtone);
            Copy(record.szRingtone, group.szRingtone);
        }
    }
    SysDebugPrintf(TMX_DBG_UTIL, "CCallCommonCtRecord::GetRecordbyHperson: nEtcCnt is [%d]!!!\n",
                   nEtcCnt);
    CopyOut(record, pRecord);
    return 1;
}

int CCallCommonCtRecord::GetEntryInfobyNum(char* pszTelNumber) {
    SysDebugPrintf(TMX_DBG_UTIL, "CCallCommonCtRecord::GetEntryInfobyNum: [%s] Start!!!\n",
                   Text(pszTelNumber));
    if (IsEmpty(pszTelNumber)) {
        SysDebugPrintf(TMX_DBG_FAIL,
                       "CCallCommonCtRecord::GetEntryInfobyNum : AcStrlen( pszTelNumber ) == 0\n");
        return 0;
    }
    if (GetCtRecord(pszTelNumber, NULL) == 1) {
        SysDebugPrintf(TMX_DBG_UTIL,
                       "CCallCommonCtRecord::GetEntryInfobyNum: GetCtRecord is TRUE!!!\n");
        return 1;
    }
    if (GetFdnRecordbyNum(pszTelNumber, NULL) == 1) {
        SysDebugPrintf(TMX_DBG_UTIL,
                       "CCallCommonCtRecord::GetEntryInfobyNum: GetFdnRecordbyNum is TRUE!!!\n");
        return 1;
    }
    SysDebugPrintf(TMX_DBG_UTIL, "CCallCommonCtRecord::GetEntryInfobyNum: return FALSE!!!\n");
    return 0;
}

int CCallCommonCtRecord::IsValidPrimaryID(int nPrimaryID) {
    CtSvcPrimaryRecord primary;
    Zero(primary);
    if (CtSvcDbPrimaryGetRecord(nPrimaryID, &primary) != 0) {
        SysDebugPrintf(
            TMX_DBG_INFO,
            "CCallCommonCtRecord::IsValidPrimaryID: Primary ID [%d] is VALID, return TRUE!\n",
            nPrimaryID);
        return 1;
    }
    SysDebugPrintf(
        TMX_DBG_INFO,
        "CCallCommonCtRecord::IsValidPrimaryID: Primary ID [%d] is INVALID, return FALSE!\n",
        nPrimaryID);
    return 0;
}

int CCallCommonCtRecord::MakingDisplayName(const char* pszFirstName, const char* pszLastName,
                                           char* pszDisplayName) {
    SysDebugPrintf(TMX_DBG_INFO, "CCallCommonCtRecord::MakingDisplayName -Entered\n");
    if (!CALL_REQUIRE(pszDisplayName != NULL)) {
        return 0;
    }
    char szName[kDisplayNameBytes];
    unsigned short mszName[151];
    Zero(szName);
    Zero(mszName);
    const char* pszFirst = Text(pszFirstName);
    const char* pszLast = Text(pszLastName);
    bool bBoth = pszFirst[0] != '\0' && pszLast[0] != '\0';
    bool bFirstFront = NvGetInt(kNvContactsViewOrder) == 0;
    AcStrcatEx(szName, sizeof(szName), bFirstFront ? pszFirst : pszLast, kSourcePath, __LINE__);
    if (bBoth) {
        AcStrcatEx(szName, sizeof(szName), " ", kSourcePath, __LINE__);
    }
    AcStrcatEx(szName, sizeof(szName), bFirstFront ? pszLast : pszFirst, kSourcePath, __LINE__);
    SysDebugPrintf(TMX_DBG_UTIL, bFirstFront ? "CCallCommonCtRecord::MakingDisplayName:  "
                                               "NV_SI_CT_VIEW_ORDER_FIRST_NAME_FRONT !!!\n"
                                             : "CCallCommonCtRecord::MakingDisplayName:  "
                                               "NV_SI_CT_VIEW_ORDER_LAST_NAME_FRONT !!!\n");
    CutLocal(szName, 150);

    WmConvert2PCode(mszName, sizeof(mszName), szName);
    if (WmStrlen(mszName) > kDisplayNameChars) {
        CutWide(mszName, kDisplayNameChars);
    }
    Zero(szName);
    WmConvert2LCode(szName, sizeof(szName), mszName);
    AcStrcpySEx(pszDisplayName, kDisplayNameBytes, szName, kSourcePath, __LINE__);
    SysDebugPrintf(TMX_DBG_INFO,
                   "CCallCommonCtRecord::MakingDisplayName: return TRUE!! result displayname is "
                   "[%s]!!!\n",
                   pszDisplayName);
    return 1;
}

// ---- Exported facade ------------------------------------------------------------------------

CALL_EXPORT int CallCommonSvcGetCtRecordbyNum(char* pszTelNumber, CallCommonCtRecord* pRecord) {
    CCallCommonCtRecord* pCtRecord = CCallCommonCtRecord::GetInstance();
    if (pCtRecord == NULL) {
        return 0;
    }
    if (SimGetFdnEnable() == 1) {
        SysDebugPrintf(TMX_DBG_UTIL, "CallCommonSvcGetCtRecordbyNum:  FDN Mode...!\n");
        if (pCtRecord->GetFdnRecordbyNum(pszTelNumber, pRecord) != 0) {
            SysDebugPrintf(TMX_DBG_UTIL, "CallCommonSvcGetCtRecordbyNum:  return TRUE !!!\n");
            return 1;
        }
        SysDebugPrintf(TMX_DBG_UTIL,
                       "CallCommonSvcGetCtRecordbyNum:  GetFdnRecordbyNum FALSE search "
                       "the Phone DB !!!\n");
        return pCtRecord->GetCtRecordbyNum(pszTelNumber, pRecord);
    }
    if (pCtRecord->GetCtRecordbyNum(pszTelNumber, pRecord) != 0) {
        SysDebugPrintf(TMX_DBG_UTIL, "CallCommonSvcGetCtRecordbyNum:  return TRUE !!!\n");
        return 1;
    }
    SysDebugPrintf(TMX_DBG_UTIL,
                   "CallCommonSvcGetCtRecordbyNum:  GetCtRecordbyNum FALSE search the "
                   "FDN DB !!!\n");
    return pCtRecord->GetFdnRecordbyNum(pszTelNumber, pRecord);
}

CALL_EXPORT int CallCommonSvcGetCtRecordByMoInfo(CallCommonMoInfo* pMoInfo,
                                                 CallCommonCtRecord* pRecord) {
    CCallCommonCtRecord* pCtRecord = CCallCommonCtRecord::GetInstance();
    if (pCtRecord == NULL || !CALL_REQUIRE(pMoInfo != NULL)) {
        return 0;
    }
    char szNumber[51];
    Zero(szNumber);
    AcStrncpyEx(szNumber, sizeof(szNumber), pMoInfo->PhoneNumberInfo.szPhoneNumber, 50, kSourcePath,
                __LINE__);
    if (SimGetFdnEnable() == 1) {
        SysDebugPrintf(TMX_DBG_UTIL, "CallCommonSvcGetCtRecordByMoInfo:  FDN Mode...!\n");
        if (pCtRecord->GetFdnRecordbyNum(szNumber, pRecord) != 0) {
            SysDebugPrintf(TMX_DBG_UTIL,
                           "CallCommonSvcGetCtRecordByMoInfo:  GetCtRecordByMoInfo TRUE !!!\n");
            return 1;
        }
        SysDebugPrintf(TMX_DBG_UTIL,
                       "CallCommonSvcGetCtRecordByMoInfo:  GetFdnRecordbyNum FALSE "
                       "search the Phone DB !!!\n");
        return pCtRecord->GetCtRecordByMoInfo(pMoInfo, pRecord);
    }
    if (pCtRecord->GetCtRecordByMoInfo(pMoInfo, pRecord) != 0) {
        SysDebugPrintf(TMX_DBG_UTIL,
                       "CallCommonSvcGetCtRecordByMoInfo:  GetCtRecordByMoInfo TRUE !!!\n");
        return 1;
    }
    SysDebugPrintf(TMX_DBG_UTIL,
                   "CallCommonSvcGetCtRecordByMoInfo:  GetCtRecordByMoInfo FALSE "
                   "search the FDN DB !!!\n");
    return pCtRecord->GetFdnRecordbyNum(szNumber, pRecord);
}

// The other facade functions forward to one lookup; 0 when the service is not loaded.
CALL_EXPORT int CallCommonSvcGetCtRecordbyEmail(const char* pszEmail, CallCommonCtRecord* pRecord) {
    CCallCommonCtRecord* pCtRecord = CCallCommonCtRecord::GetInstance();
    return pCtRecord != NULL ? pCtRecord->GetCtRecordbyEmail(pszEmail, pRecord) : 0;
}

CALL_EXPORT int CallCommonSvcGetCtRecordByPrimaryID(int nPrimaryID, CallCommonCtRecord* pRecord) {
    CCallCommonCtRecord* pCtRecord = CCallCommonCtRecord::GetInstance();
    return pCtRecord != NULL ? pCtRecord->GetCtRecordByPrimaryID(nPrimaryID, pRecord) : 0;
}

CALL_EXPORT int CallCommonSvcGetFdnRecordbyNum(char* pszTelNumber, CallCommonCtRecord* pRecord) {
    CCallCommonCtRecord* pCtRecord = CCallCommonCtRecord::GetInstance();
    return pCtRecord != NULL ? pCtRecord->GetFdnRecordbyNum(pszTelNumber, pRecord) : 0;
}

CALL_EXPORT int CallCommonSvcGetFdnRecordbyFdnID(int nId, CallCommonCtRecord* pRecord) {
    CCallCommonCtRecord* pCtRecord = CCallCommonCtRecord::GetInstance();
    return pCtRecord != NULL ? pCtRecord->GetFdnRecordbyFdnID(nId, pRecord) : 0;
}

CALL_EXPORT int CallCommonSvcCheckFdnNumberExist(char* pszTelNumber) {
    CCallCommonCtRecord* pCtRecord = CCallCommonCtRecord::GetInstance();
    return pCtRecord != NULL ? pCtRecord->CheckFdnNumberExist(pszTelNumber) : 0;
}

CALL_EXPORT int CallCommonSvcGetEntryInfobyNum(char* pszTelNumber) {
    CCallCommonCtRecord* pCtRecord = CCallCommonCtRecord::GetInstance();
    return pCtRecord != NULL ? pCtRecord->GetEntryInfobyNum(pszTelNumber) : 0;
}

CALL_EXPORT int CallCommonSvcGetDisplayName(const char* pszFirstName, const char* pszLastName,
                                            char* pszDisplayName) {
    CCallCommonCtRecord* pCtRecord = CCallCommonCtRecord::GetInstance();
    return pCtRecord != NULL
               ? pCtRecord->MakingDisplayName(pszFirstName, pszLastName, pszDisplayName)
               : 0;
}

CALL_EXPORT int CallCommonSvcIsValidPrimaryID(int nPrimaryID) {
    CCallCommonCtRecord* pCtRecord = CCallCommonCtRecord::GetInstance();
    return pCtRecord != NULL ? pCtRecord->IsValidPrimaryID(nPrimaryID) : 0;
}
