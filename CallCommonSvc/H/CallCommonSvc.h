/* The library's exported flat functions. Usable from C (C99) and C++. */
#pragma once

#include "../Platform/TmxCtSvc.h"
#include "../Platform/TmxAppFrmwk.h"
#include "../Platform/TmxGWESCore.h"
#include "CallCommonSvc/H/CallCommonSvcVersion.h"
#include "CallCommonSvcDef.h"

/* Module entry: 0 after loading, 1 before unloading. */
CALL_EXPORT int CallCommonSvcDispatch(int reason);

/* Settings file "CallReg.ini". */
CALL_EXPORT int CallCommonSvcRegSetInt(const char* szSection, const char* szKey, int value);
CALL_EXPORT int CallCommonSvcRegGetInt(const char* szSection, const char* szKey);
CALL_EXPORT int CallCommonSvcRegSetUint64(const char* szSection, const char* szKey,
                                          unsigned long long value);
CALL_EXPORT unsigned long long CallCommonSvcRegGetUint64(const char* szSection, const char* szKey);
CALL_EXPORT int CallCommonSvcRegSetString(const char* szSection, const char* szKey,
                                          const char* value);
CALL_EXPORT int CallCommonSvcRegGetString(const char* szSection, const char* szKey,
                                          char* pDestBuffer, int nSize);
CALL_EXPORT int CallCommonSvcRegSetStringEx(const char* szSection, const char* szKey,
                                            const char* value);
CALL_EXPORT int CallCommonSvcRegGetStringEx(const char* szSection, const char* szKey,
                                            char* pDestBuffer, int nSize);
CALL_EXPORT int CallCommonSvcRegSetAlertsOnCallType(int iAlertsOnCallType);
CALL_EXPORT int CallCommonSvcRegGetAlertsOnCallType(void);

/* Emergency numbers and the serving network. */
CALL_EXPORT int CallIsEccNumber(const char* pszNumber);
CALL_EXPORT int CallIsEccNumberNoSim(const char* pszNumber);
CALL_EXPORT int CallGetMcc(void);
CALL_EXPORT int CallGetMnc(void);

/* Text and encodings. */
CALL_EXPORT unsigned short* CallWmStrcpy(unsigned short* pBuffer, int nBufCount,
                                         const unsigned short* pmszString);
CALL_EXPORT unsigned short* CallWmSprintf(unsigned short* pBuffer, const char* pszString1,
                                          const char* pszString2);
CALL_EXPORT char* CallAcStrcpy(char* pBuffer, int nBufCount, const char* pszString);
CALL_EXPORT int CallAcStrcpyByEncodeType(char* pBuffer, int nBufLen, char* pszString, int nStrLen,
                                         int eType);
CALL_EXPORT int CallUtilSwapMCHAR(unsigned short* pDest, unsigned short* pSrc, int nCount);
CALL_EXPORT int CallUtilParseDCS(unsigned char dcs);
CALL_EXPORT int CallEncodeSkypeID(unsigned char* pUUS, char* szSkypeID, int iLen);
CALL_EXPORT int CallDecodeSkypeID(unsigned char* pUUS, char* szSkypeID, int iLen);
CALL_EXPORT char* CallSetDisplayFullName(char* pszFullName, int nBufCount, const char* pszLastName,
                                         const char* pszFirstName);
/* 1 when the date record's month and day (words 1 and 2) are today's. */
CALL_EXPORT int CallIsToday(const int* pDate);

/* Dial strings and supplementary-service codes. */
CALL_EXPORT int CallIsSsCode(const char* pszInput);
CALL_EXPORT int CallIsPreDefinedSsCode(const char* pszInput);
CALL_EXPORT int CallGetSsStateInCalling(const char* pszNumber);
CALL_EXPORT int CallGetSsXCalling(const char* pszNumber);
CALL_EXPORT int CallGetCallNumberFromTelNumber(const char* pszTelNumber, char* pszCallNumber,
                                               int nSize);
CALL_EXPORT int CallGetDtmfNumberFromTelNumber(const char* pszTelNumber, char* pszDtmfNumber,
                                               int nSize);
CALL_EXPORT int CallUtilTelNumCheckIdentityMode(const char* pszTelNumber);
CALL_EXPORT int CallIsPossibleDialledNumber(const char* pszInput);
CALL_EXPORT int CallIsPrefixDiallingOn(void);
/* The selected prefix in a block the caller frees with MemFreeTraceMultiHeap. */
CALL_EXPORT int CallGetPrefixDiallingNum(char** ppszNum);

/* Caller identification. Text fields are NUL-terminated local text of the capacity shown. */
#define CALL_INVALID_CONTACT_INDEX 0

typedef struct CallCommonCtRecord {
    int nPrimaryId;        /* 0 in FDN and SDN records */
    int nPersonId;         /* person index; the SDN index in SDN records */
    int nDataID;           /* data ID of the number or e-mail that matched */
    int nFdnId;            /* FDN records only */
    char szFirstName[151]; /* the entry's name in FDN and SDN records */
    char szLastName[151];
    int nPhoneNumberId; /* -1 in FDN records */
    int nPhoneNumberId2;
    char szRingtone[961]; /* the person's own, else the group's */
    char szVibration[961];
    char szImage[773];
    char szDtmf[961];
    CtSvcPhoneNumberInfo PhoneNumberInfo;
    int nDevType;    /* CTSVC_USE_TYPE_PHONE or CTSVC_USE_TYPE_SIM */
    int nRecordKind; /* 0 contact, 1 FDN by number or ID, 2 FDN or SDN entry */
    int nYear;       /* 0 when no date is stored */
    int nMonth;
    int nDay;
} CallCommonCtRecord;

/* A mobile-originated call chosen from the contacts; PhoneType CTSVC_PHONE_SDN means the number
   came from the SDN and nPrimaryID holds the SDN index. */
typedef struct CallCommonMoInfo {
    int nPrimaryID;
    int nDataID;
    CtSvcPhoneNumberInfo PhoneNumberInfo;
} CallCommonMoInfo;

/* 1 on success, 0 on failure; a failed lookup leaves the record as it was. In fixed-dialling
   mode the FDN is searched first, otherwise the contacts are. */
CALL_EXPORT int CallCommonSvcGetCtRecordbyNum(char* pszTelNumber, CallCommonCtRecord* pRecord);
CALL_EXPORT int CallCommonSvcGetCtRecordByMoInfo(CallCommonMoInfo* pMoInfo,
                                                 CallCommonCtRecord* pRecord);
CALL_EXPORT int CallCommonSvcGetCtRecordbyEmail(const char* pszEmail, CallCommonCtRecord* pRecord);
CALL_EXPORT int CallCommonSvcGetCtRecordByPrimaryID(int nPrimaryID, CallCommonCtRecord* pRecord);
CALL_EXPORT int CallCommonSvcGetFdnRecordbyNum(char* pszTelNumber, CallCommonCtRecord* pRecord);
CALL_EXPORT int CallCommonSvcGetFdnRecordbyFdnID(int nId, CallCommonCtRecord* pRecord);
CALL_EXPORT int CallCommonSvcCheckFdnNumberExist(char* pszTelNumber);
/* 1 when the number is in the contacts or the FDN. */
CALL_EXPORT int CallCommonSvcGetEntryInfobyNum(char* pszTelNumber);
/* The name in the contacts view order, at most 50 characters; pszDisplayName holds 302 bytes. */
CALL_EXPORT int CallCommonSvcGetDisplayName(const char* pszFirstName, const char* pszLastName,
                                            char* pszDisplayName);
CALL_EXPORT int CallCommonSvcIsValidPrimaryID(int nPrimaryID);
/* Phone state: keys, alert types, ring steps, SIM services, backlight, G-sensor, the
   missed-call counter, timers and accessories. */
CALL_EXPORT int CallIsTouchKey(int nKeyCode);
CALL_EXPORT int CallIs3x4Key(int nKeyCode);
CALL_EXPORT int CallGetKeyClass(int nKeyCode);
CALL_EXPORT int CallIsUnlockKey(int nKeyCode);
CALL_EXPORT int CallIsPossibleKeypadLock(void);
CALL_EXPORT int CallIsVibAlertType(void);
CALL_EXPORT int CallIsMelodyAlertType(void);
/* Fills a CallRingToneInputInfo (CallCommonSvc/Util/CallCommonUtil.h). */
CALL_EXPORT int CallSetRingToneStep(void* pInputInfo);
CALL_EXPORT int CallIsAcmValid(void);
CALL_EXPORT int CallSetBackLight(LcdType iLcdType, CallBackLightState iState);
CALL_EXPORT int CallStartGSensor(int hHandler, APP_ID appID);
CALL_EXPORT int CallStopGSensor(int hHandler, APP_ID appID);
CALL_EXPORT int CallInterrogateForwardState(void);
CALL_EXPORT int CallCheckCallControl(void);
CALL_EXPORT int CallCheckSimCallControl(const char* pszText);
CALL_EXPORT int CallIsAnykeyAnswerMode(void);
CALL_EXPORT int CallSetMissedCount(int nCount);
CALL_EXPORT int CallGetMissedCount(void);
CALL_EXPORT int CallIncreaseMissedCount(void);
CALL_EXPORT unsigned int CallGetElapsedTime(void);
CALL_EXPORT int CallCreateTimer(char* name);
CALL_EXPORT int CallStartTimer(int id, unsigned long period, void (*callback)(int, unsigned long),
                               unsigned long param);
CALL_EXPORT int CallDeleteTimer(int id);
CALL_EXPORT int CallCancelTimer(int id);
CALL_EXPORT int CallIsTimerActive(int id);
CALL_EXPORT int CallIsBgmRunning(void);
CALL_EXPORT int CallIsInternalUmsAccessible(void);
CALL_EXPORT int CallIsMtpWorking(void);
CALL_EXPORT int CallIsSlideUp(void);
CALL_EXPORT int CallIsLcdHorizontal(void);

/* Images. The Load functions scale an image file, or a 16- or 32-bit bitmap, to width x height
   (the aspect ratio is not kept, nothing is painted around it) into a new 16-bit bitmap whose
   grey 0x8430 and white 0xFFFF become 0x8431 and 0xFFFE; `color` is not used. The caller frees
   that bitmap with CallFreeScaledImageBlackBackground, which releases its pixels and its record.
   A caller-ID thumbnail (CallLoadCallerIDThumbnail) is the platform's bitmap instead: the caller
   frees it, pixels and record, with CallFreeCallerIDThumbnail. */
typedef enum {
    CALL_CHANGE_COLOR_GRAY = 0,   /* 0x8430 becomes 0x8431 */
    CALL_CHANGE_COLOR_WHITE = 1,  /* 0xFFFF becomes 0xFFFE */
    CALL_CHANGE_COLOR_MAGENTA = 2 /* 0xF81F becomes 0x0000 */
} CallChangeColorType;
CALL_EXPORT tagWMBITMAP* CallLoadScaledImageBlackBackground(char* szFilePath, int width, int height,
                                                            int color);
CALL_EXPORT tagWMBITMAP* CallLoadScaledImageBlackBackgroundEx(tagWMBITMAP* pSrc, int width,
                                                              int height, int color);
CALL_EXPORT int CallFreeScaledImageBlackBackground(tagWMBITMAP* pBmp);
CALL_EXPORT void CallFreeCallerIDThumbnail(tagWMBITMAP* pBmp);
/* Recolours the 16-bit pixels of nSize bytes (CallChangeColorType); always 1. */
CALL_EXPORT int CallChangeBitmapColor(unsigned char* pBits, int nSize, CallChangeColorType eType);
/* Frames of an image file: animated GIF, WebP and PNG count theirs, a still image 1; -1 when
   the file cannot be read. */
CALL_EXPORT int CallGetImgFrameCount(const char* pszImgPath);
/* 1 for a path with the extension SWF in any case. */
CALL_EXPORT int CallIsFlashContent(char* pszPath);

/* Call-alert devices: one LED blink and one vibration at a time, and the ear jack. */
CALL_EXPORT int CallLedBlink(void);
CALL_EXPORT int CallLedClear(void);
CALL_EXPORT int CallVibStart(char* pszVibInfo);
CALL_EXPORT int CallVibStop(void);
CALL_EXPORT int CallIsVibStop(void);
CALL_EXPORT int CallIsEarJackInserted(void);
