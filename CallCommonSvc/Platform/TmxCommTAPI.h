// TmxCommTAPI: the platform's telephony and SIM library, as this library calls it.
#pragma once

#include "TmxCore.h"

// A call handle naming no call.
#define TAPI_INVALID_CALLHANDLE (-1)

#define SIM_CARD_TYPE_GSM 0
#define SIM_CARD_TYPE_USIM 1

#ifdef __cplusplus
extern "C" {
#endif

/* Dial request handed to TapiSetupCall. The library fills it only through the application's
   pre-hook and never looks inside. */
typedef struct TapiSetupCallInfo {
    int nCallType;      // 0 voice, 1 video
    int nIdentityMode;  // caller-ID presentation for this call
    char szNumber[84];  // dialled number, NUL-terminated
} TapiSetupCallInfo;

/* Release reason handed to TapiReleaseCall. */
typedef int TapiReleaseCause;

/* Network information: the library reads the word at byte 32, MCC in the upper 16 bits and
   MNC in the lower 16 bits, both plain numbers. */
typedef struct TapiNetworkInfo {
    unsigned char reserved0[32];
    uint32_t nMccMnc;
    unsigned char reserved1[124];
} TapiNetworkInfo;

/* DTMF request: the digit string at the start, the tone duration in the last four bytes. */
typedef struct TapiDtmfRequest {
    char szDigits[84];
    uint32_t nDuration;
} TapiDtmfRequest;

/* CCBS record; copied whole, never read. */
typedef struct TapiCcbsInfo {
    unsigned char data[132];
} TapiCcbsInfo;

/* SIM service tables: one 32-bit flag word per service, non-zero when the service is available
   and activated. Only the words the library reads are named. */
typedef struct SimSstInfo {
    uint32_t reserved0[10];
    uint32_t bAoc;  // advice of charge: the accumulated call meter
    uint32_t reserved1[22];
    uint32_t bCallControl;
    uint32_t reserved2[30];
} SimSstInfo;

typedef struct SimUstInfo {
    uint32_t reserved0[18];
    uint32_t bAoc;
    uint32_t reserved1[16];
    uint32_t bCallControl;
    uint32_t reserved2[28];
} SimUstInfo;

/* Kinds asked of SimAtkCheckCallControlCapability. */
#define SIM_ATK_CALL_CONTROL_CALL 1
#define SIM_ATK_CALL_CONTROL_SS 2
#define SIM_ATK_CALL_CONTROL_USSD 4

/* Call control. Each returns the platform's result; TapiSetupCall returns the new call's
   handle or TAPI_INVALID_CALLHANDLE. */
TMX_API int TapiSetupCall(const TapiSetupCallInfo* setupInfo);
TMX_API int TapiSetupFakeCall(int reserved);
TMX_API int TapiAnswerCall(int hCall);
TMX_API int TapiHoldCall(int hCall);
TMX_API int TapiActivateCall(int hCall);
TMX_API int TapiSwapCall(int hActiveCall, int hHeldCall);
TMX_API int TapiSetupConferenceCall(int hActiveCall, int hHeldCall);
TMX_API int TapiSplitConferenceCall(int hCall);
TMX_API int TapiTransferCall(int hActiveCall, int hHeldCall);
TMX_API int TapiRespondRecall(int hCall, int response);
TMX_API int TapiReleaseCall(int hCall, TapiReleaseCause cause);
TMX_API int TapiDestroyCall(int hCall);

/* DTMF. */
TMX_API int TapiStartDTMF(int hCall, const TapiDtmfRequest* request);
TMX_API int TapiStopDTMF(int hCall, const TapiDtmfRequest* request);

/* Network and call forwarding. */
TMX_API int TapiGetNetworkInfo(TapiNetworkInfo* info);
TMX_API int TapiCallForwardQueryStatusReq(int reason, int serviceClass, int reserved);

/* SIM. */
TMX_API int SimGetCardType(void);
TMX_API int SimGetEccRecordCountInfo(void);
TMX_API const unsigned char* SimGetEccInfo(void);
TMX_API int SimGetUEccRecordCountInfo(void);
TMX_API const unsigned char* SimGetUEccInfo(void);
TMX_API int SimGetFdnEnable(void);
TMX_API const SimSstInfo* SimGetSstInfo(void);
TMX_API const SimUstInfo* SimGetUstInfo(void);
TMX_API int SimAtkCheckCallControlCapability(int kind);

#ifdef __cplusplus
}

static_assert(sizeof(TapiNetworkInfo) == 160, "network information is 160 bytes");
static_assert(offsetof(TapiNetworkInfo, nMccMnc) == 32, "MCC/MNC word at byte 32");
static_assert(sizeof(TapiDtmfRequest) == 88, "DTMF request is 88 bytes");
static_assert(offsetof(TapiDtmfRequest, nDuration) == 84, "tone duration in the last word");
static_assert(sizeof(TapiCcbsInfo) == 132, "CCBS record is 132 bytes");
static_assert(sizeof(SimSstInfo) == 256 && sizeof(SimUstInfo) == 256, "64 service words");
static_assert(offsetof(SimSstInfo, bAoc) == 40, "SST advice of charge at byte 40");
static_assert(offsetof(SimSstInfo, bCallControl) == 132, "SST call control at byte 132");
static_assert(offsetof(SimUstInfo, bAoc) == 72, "UST advice of charge at byte 72");
static_assert(offsetof(SimUstInfo, bCallControl) == 140, "UST call control at byte 140");
#endif
