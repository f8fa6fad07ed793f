// TmxCtSvc: the platform's contacts service, as this library calls it.
#pragma once

#include "TmxCore.h"

/* Storage of a person and device type of a number. */
#define CTSVC_USE_TYPE_PHONE 1
#define CTSVC_USE_TYPE_SIM 2

/* Phone types the library itself gives or tests. */
#define CTSVC_PHONE_FDN 10
#define CTSVC_PHONE_SDN 11

/* Etc-data types. */
#define CTSVC_ETCDATA_RINGTONE 1
#define CTSVC_ETCDATA_VIBRATION 24
#define CTSVC_ETCDATA_DTMF 30

/* A person handle: the storage type in the upper two bits, the person index below. */
#define CTSVC_PERSON_INDEX_MASK 0x3FFFFFFF

#ifdef __cplusplus
extern "C" {
#endif

/* A phone number as the contacts service describes it. */
typedef struct CtSvcPhoneNumberInfo {
    int nAasId;
    int PhoneType;
    int UseType;
    char szPhoneNumber[51];
} CtSvcPhoneNumberInfo;

/* Phone-number record; as a query only PhoneNumberInfo.szPhoneNumber is set. */
typedef struct CtSvcPhoneNumberRecord {
    int nDataId;
    int nPersonIndex;
    int nPrimaryId;
    int nDevType;
    int nReserved;
    CtSvcPhoneNumberInfo PhoneNumberInfo;
} CtSvcPhoneNumberRecord;

typedef struct CtSvcPersonRecord {
    int nIndex;
    int nStorageType;
    unsigned char reserved0[8];
    char szFirstName[151];
    char szLastName[151];
    unsigned char reserved1[2];
    int nYear;
    int nMonth;
    int nDay;
    unsigned char reserved2[140];
    int nPrimaryId;
    int nMarker; /* negative: the person that stands for its contact */
    char szImage[773];
    unsigned char reserved3[267];
} CtSvcPersonRecord;

/* A contact: one or more persons under one primary ID. */
typedef struct CtSvcPrimaryRecord {
    int nPrimaryId;
    int nDevType;
    unsigned char reserved0[24];
    char szImage[773];
    unsigned char reserved1[11];
    char szFirstName[151];
    char szLastName[151];
    unsigned char reserved2[14];
    int nPersonCount;
    unsigned char reserved3[12];
} CtSvcPrimaryRecord;

/* E-mail record; as a query only szAddress is set. */
typedef struct CtSvcEmailRecord {
    int nDataId;
    int nPersonIndex;
    int nPrimaryId;
    unsigned char reserved0[16];
    char szAddress[301];
} CtSvcEmailRecord;

/* Group membership; the query sets nPrimaryId, a result carries nGroupId. */
typedef struct CtSvcGroupMemberRecord {
    int nReserved0;
    int nPrimaryId;
    unsigned char reserved1[12];
    int nGroupId;
} CtSvcGroupMemberRecord;

/* The group's paths fill the record to its end: 773 bytes each. */
typedef struct CtSvcGroupRecord {
    int nGroupId;
    char szName[850];
    char szRingtone[773];
    char szVibration[773];
} CtSvcGroupRecord;

typedef struct CtSvcEtcDataKey {
    int nPersonIndex;
    unsigned char reserved[988];
} CtSvcEtcDataKey;

typedef struct CtSvcEtcDataInfo {
    int EtcDataType;
    char szValue[961];
} CtSvcEtcDataInfo;

typedef struct CtSvcEtcDataRecord {
    int nId;
    int nPersonIndex;
    unsigned char reserved[12];
    CtSvcEtcDataInfo EtcDataInfo;
} CtSvcEtcDataRecord;

/* Fixed dialling number. */
typedef struct CtSvcFdnRecord {
    int nId;
    int nReserved;
    char szName[151];
    char szNumber[51];
} CtSvcFdnRecord;

/* Service dialling number. */
typedef struct CtSvcSdnRecord {
    char szName[121];
    char szNumber[42];
} CtSvcSdnRecord;

/* Numbers: a stored number matches when its digits end with the query's trailing digits. */
TMX_API int CtSvcDbPhoneNumberGetCount(const CtSvcPhoneNumberRecord* pQuery);
/* Fills up to nMax records (-1: all matches) and returns how many; 0 or less on failure. */
TMX_API int CtSvcDbPhoneNumberGetRecords(const CtSvcPhoneNumberRecord* pQuery,
                                         CtSvcPhoneNumberRecord* pRecords, int nMax);
/* How many trailing digits the service compares for this number. */
TMX_API int CtSvcGetDigitsCount2Compare(const char* pszNumber);

/* Persons and contacts; non-zero on success. */
TMX_API int CtSvcDbPersonGetRecord(int hPerson, CtSvcPersonRecord* pPerson);
TMX_API int _CtSvcDbPersonGetRecords(int nPrimaryId, CtSvcPersonRecord* pPersons, int nCount,
                                     const char* sourcePath, int line);
TMX_API int CtSvcDbPrimaryGetRecord(int nPrimaryId, CtSvcPrimaryRecord* pPrimary);
TMX_API int CtSvcDbPersonGetDefaultPhoneNumber(int hPerson, CtSvcPhoneNumberRecord* pNumber);
/* Groups the person's contact belongs to, at most nMax; returns how many were filled. */
TMX_API int CtSvcDbPersonGetJoinedGroupList(int hPerson, CtSvcGroupRecord* pGroups, int nMax);

/* Groups: the member query returns how many memberships were filled. */
TMX_API int CtSvcDbGroupMemberGetRecords(const CtSvcGroupMemberRecord* pQuery,
                                         CtSvcGroupMemberRecord* pMembers, int nMax);
TMX_API int CtSvcDbGroupGetRecord(int nGroupId, CtSvcGroupRecord* pGroup);

/* Etc data of a person; the fetch returns a negative value on failure. */
TMX_API int CtSvcDbEtcDataGetCount(const CtSvcEtcDataKey* pKey);
TMX_API int CtSvcDbEtcDataGetRecords(const CtSvcEtcDataKey* pKey, CtSvcEtcDataRecord* pRecords,
                                     int nCount);

/* E-mail addresses, matched whole and without regard to case. */
TMX_API int CtSvcDbEmailAddressGetCount(const CtSvcEmailRecord* pQuery);
TMX_API int CtSvcDbEmailAddressGetRecords(const CtSvcEmailRecord* pQuery,
                                          CtSvcEmailRecord* pRecords, int nMax);

/* The SIM's fixed and service dialling numbers. */
TMX_API int CtSvcDbFdnGetRecordByPhoneNumber(const char* pszNumber, CtSvcFdnRecord* pFdn);
TMX_API int CtSvcDbFdnGetRecord(int nId, CtSvcFdnRecord* pFdn);
TMX_API int CtSvcDbFdnCheckIsAvailFdnNumber(const char* pszNumber);
TMX_API int CtSvcSimGetSdnRecord(int nIndex, CtSvcSdnRecord* pSdn);

#ifdef __cplusplus
}

static_assert(sizeof(CtSvcPhoneNumberInfo) == 64, "phone number info");
static_assert(sizeof(CtSvcPhoneNumberRecord) == 84 &&
                  offsetof(CtSvcPhoneNumberRecord, nDataId) == 0 &&
                  offsetof(CtSvcPhoneNumberRecord, nPersonIndex) == 4 &&
                  offsetof(CtSvcPhoneNumberRecord, nPrimaryId) == 8 &&
                  offsetof(CtSvcPhoneNumberRecord, nDevType) == 12 &&
                  offsetof(CtSvcPhoneNumberRecord, PhoneNumberInfo) == 20 &&
                  offsetof(CtSvcPhoneNumberRecord, PhoneNumberInfo.szPhoneNumber) == 32,
              "phone number record");
static_assert(sizeof(CtSvcPersonRecord) == 1520 && offsetof(CtSvcPersonRecord, nIndex) == 0 &&
                  offsetof(CtSvcPersonRecord, nStorageType) == 4 &&
                  offsetof(CtSvcPersonRecord, szFirstName) == 16 &&
                  offsetof(CtSvcPersonRecord, nMonth) == 324 &&
                  offsetof(CtSvcPersonRecord, szLastName) == 167 &&
                  offsetof(CtSvcPersonRecord, nYear) == 320 &&
                  offsetof(CtSvcPersonRecord, nDay) == 328 &&
                  offsetof(CtSvcPersonRecord, nPrimaryId) == 472 &&
                  offsetof(CtSvcPersonRecord, nMarker) == 476 &&
                  offsetof(CtSvcPersonRecord, szImage) == 480,
              "person record");
static_assert(sizeof(CtSvcPrimaryRecord) == 1148 && offsetof(CtSvcPrimaryRecord, nDevType) == 4 &&
                  offsetof(CtSvcPrimaryRecord, szImage) == 32 &&
                  offsetof(CtSvcPrimaryRecord, szFirstName) == 816 &&
                  offsetof(CtSvcPrimaryRecord, szLastName) == 967 &&
                  offsetof(CtSvcPrimaryRecord, nPersonCount) == 1132,
              "primary record");
static_assert(sizeof(CtSvcEmailRecord) == 332 && offsetof(CtSvcEmailRecord, nDataId) == 0 &&
                  offsetof(CtSvcEmailRecord, nPrimaryId) == 8 &&
                  offsetof(CtSvcEmailRecord, szAddress) == 28,
              "e-mail record");
static_assert(sizeof(CtSvcGroupMemberRecord) == 24 &&
                  offsetof(CtSvcGroupMemberRecord, nPrimaryId) == 4 &&
                  offsetof(CtSvcGroupMemberRecord, nGroupId) == 20,
              "group member record");
static_assert(sizeof(CtSvcGroupRecord) == 2400 && offsetof(CtSvcGroupRecord, szRingtone) == 854 &&
                  offsetof(CtSvcGroupRecord, szVibration) == 1627,
              "group record");
static_assert(sizeof(CtSvcEtcDataKey) == 992 && offsetof(CtSvcEtcDataKey, nPersonIndex) == 0,
              "etc-data key");
static_assert(sizeof(CtSvcEtcDataRecord) == 988 &&
                  offsetof(CtSvcEtcDataRecord, EtcDataInfo.EtcDataType) == 20 &&
                  offsetof(CtSvcEtcDataRecord, EtcDataInfo.szValue) == 24,
              "etc-data record");
static_assert(sizeof(CtSvcFdnRecord) == 212 && offsetof(CtSvcFdnRecord, nId) == 0 &&
                  offsetof(CtSvcFdnRecord, szName) == 8 &&
                  offsetof(CtSvcFdnRecord, szNumber) == 159,
              "FDN record");
static_assert(sizeof(CtSvcSdnRecord) == 163 && offsetof(CtSvcSdnRecord, szNumber) == 121,
              "SDN record");
#endif
