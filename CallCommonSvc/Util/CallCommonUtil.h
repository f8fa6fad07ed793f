// Static utilities of the call applications: emergency numbers, dial strings and text.
#pragma once

#include "../H/CallCommonSvc.h"
#include "../H/CallObject.h"
#include "../Platform/TmxAppFrmwk.h"
#include "../Platform/TmxGWESCore.h"

// Alphabet of network text, from a data coding scheme (3GPP TS 23.038).
typedef enum {
    TAPI_USSD_ENCODE_8BIT = 0,
    TAPI_USSD_ENCODE_GSM7BIT = 1,
    TAPI_USSD_ENCODE_UCS2 = 2
} TapiUssdEncodeType;

// The most steps an escalating-melody ring table may have.
#define STEP_COUNT_MAX 7
#define CALL_RING_STEP_SLOTS 10

// One ring-volume step; duration in timer milliseconds, level a ring volume.
struct CallRingToneStep {
    int32_t nDuration;
    int32_t bIncreasing;  // 1 in the steps of an increasing melody
    int32_t nLevel;
    int32_t reserved[2];
};

// The ring-tone input record that SetRingToneStep fills; the other bytes belong to the caller.
struct CallRingToneInputInfo {
    unsigned char reserved0[16];
    int32_t iSoundPath;  // SndOutDevPath
    int32_t nMode;
    unsigned char reserved1[20];
    int32_t nStepCount;
    CallRingToneStep step[CALL_RING_STEP_SLOTS];
};

static_assert(sizeof(CallRingToneStep) == 20, "a step is five words");
static_assert(offsetof(CallRingToneInputInfo, iSoundPath) == 16, "path at byte 16");
static_assert(offsetof(CallRingToneInputInfo, nMode) == 20, "mode at byte 20");
static_assert(offsetof(CallRingToneInputInfo, nStepCount) == 44, "step count at byte 44");
static_assert(offsetof(CallRingToneInputInfo, step) == 48, "step table at byte 48");
static_assert(sizeof(CallRingToneInputInfo) == 248, "record ends with the step table");

class CALLCOMMONSVC_API CCallUtil : public CCallObject {
public:
    // Emergency numbers: a dialled string is one only when it equals an entry exactly.
    static int IsEccNumber(const char* pszNumber);
    static int IsEccNumberNoSim(const char* pszNumber);
    static int GetMcc();
    static int GetMnc();

    // Dial strings (3GPP TS 22.030): SS and USSD strings, in-call commands, the number and
    // its DTMF part, identity prefixes, dialable characters and prefix dialling.
    static int IsSsCode(const char* pszInput);
    static int IsPreDefinedSsCode(const char* pszInput);
    static int GetSsStateInCalling(const char* pszNumber);
    static int GetSsXCalling(const char* pszNumber);
    static int GetCallNumberFromTelNumber(const char* pszTelNumber, char* pszCallNumber, int nSize);
    static int GetDtmfNumberFromTelNumber(const char* pszTelNumber, char* pszDtmfNumber, int nSize);
    static int TelNumCheckIdentityMode(const char* pszTelNumber);
    static int IsPossibleDialledNumber(const char* pszInput);
    static int IsPrefixDiallingOn();
    static int GetPrefixDiallingNum(char** ppszNum);

    // Text: bounded copies (always terminated), network text by alphabet, UCS2 byte order, the
    // Skype ID in a call's user-to-user payload, and the displayed full name.
    static unsigned short* Strcpy(unsigned short* pBuffer, int nBufCount,
                                  const unsigned short* pmszString);
    static unsigned short* Sprintf(unsigned short* pBuffer, const char* pszString1,
                                   const char* pszString2);
    static char* Strcpy(char* pBuffer, int nBufCount, const char* pszString);
    static int Strcpy(char* pBuffer, int nBufLen, char* pszString, int nStrLen,
                      TapiUssdEncodeType eType);
    static int SwapMCHAR(unsigned short* pDest, unsigned short* pSrc, int nCount);
    static unsigned short UtilSwapShort(unsigned short x);
    static TapiUssdEncodeType ParseDCS(unsigned char dcs);
    static int EncodeSkypeID(unsigned char* pUUS, char* szSkypeID, int iLen);
    static int DecodeSkypeID(unsigned char* pUUS, char* szSkypeID, int iLen);
    static char* SetDisplayFullName(char* pszFullName, int nBufCount, const char* pszLastName,
                                    const char* pszFirstName);

    // Keys: touch keys, the dial pad and the unlock key; key classes 1 (touch cover), 2 (dial
    // pad) or 0.
    static int IsTouchKey(int nKeyCode);
    static int Is3x4Key(int nKeyCode);
    static int GetKeyClass(int nKeyCode);
    static int IsUnlockKey(int nKeyCode);
    static int IsPossibleKeypadLock();
    static int IncomingCallPopupExist();

    // The call-alert type (0 to 8) and the ring-volume table built from it.
    static int IsVibAlertType();
    static int IsMelodyAlertType();
    static int IsIncreasingMelody();
    static int IsNormalMelody();
    static int IsAcousticShockLevelAlertType();
    static int SetRingToneStep(void* pInputInfo);

    // SIM services and call control.
    static int IsAcmValid();
    static int CheckCallControl();
    static int CheckSimCallControl(const char* pszText);
    static int InterrogateForwardState();

    static int SetBackLight(LcdType iLcdType, CallBackLightState iState);
    static int StartGSensor(int hHandler, APP_ID appID);
    static int StopGSensor(int hHandler, APP_ID appID);
    static int IsAnykeyAnswerMode();

    // The missed-call counter, shared by every caller for the life of the library.
    static int SetMissedCount(int nCount);
    static int GetMissedCount();
    static int IncreaseMissedCount();
    static int m_nMissedCount;

    // Platform timers and the clock, passed through.
    static unsigned int GetElapsedTime();
    static int CreateTimer(char* name);
    static int StartTimer(int id, unsigned long period, void (*callback)(int, unsigned long),
                          unsigned long param);
    static int DeleteTimer(int id);
    static int CancelTimer(int id);
    static int IsTimerActive(int id);

    // Background music, USB storage and MTP, slide and display orientation.
    static int IsBgmRunning();
    static int IsInternalUmsAccessible();
    static int IsMtpWorking();
    static int IsSlideup();
    static int IsLcdHorizontal();

    // Images scaled to width x height (aspect ratio not kept) into new 16-bit bitmaps, with the
    // reserved grey and white recoloured; released with FreeScaledImageBlackBackground. `color`
    // is traced only. Null on any failure, with nothing left allocated.
    static tagWMBITMAP* GetFitToScreenBitmap(const char* szFilePath, int width, int height,
                                             int color);
    static tagWMBITMAP* GetFitToScreenBitmapEx(tagWMBITMAP* pSrc, int width, int height, int color);
    static tagWMBITMAP* LoadScaledImageBlackBackground(char* szFilePath, int width, int height,
                                                       int color);
    static tagWMBITMAP* LoadScaledImageBlackBackgroundEx(tagWMBITMAP* pSrc, int width, int height,
                                                         int color);
    // Frees the pixels and the record of a bitmap made above; 1 when one was given.
    static int FreeScaledImageBlackBackground(tagWMBITMAP* pBmp);
    // Frees a caller-ID thumbnail (record and pixels) through the platform.
    static void FreeCallerIDThumbnail(tagWMBITMAP* pBmp);
    static int ChangeBitmapColor(unsigned char* pBits, int nSize, CallChangeColorType eType);
    // Frames of an image file (1 for a still image), or -1.
    static int GetImgFrameCount(const char* pszImgPath);
    static int IsFlashContent(char* pszPath);

    // Lists used with a SIM present, in order of comparison.
    static const char* m_pszEccNumbersDefault[2];
    static const char* m_pszEccNumbers999[3];
    static const char* m_pszEccNumbers000[3];
    static const char* m_pszEccNumbers000111[4];
    static const char* m_pszEccNumbers100[3];
    static const char* m_pszEccNumbers190[3];
    static const char* m_pszEccNumbers060[3];
    static const char* m_pszEccNumbers066[3];
    static const char* m_pszEccNumbers104109[4];
    static const char* m_pszEccNumbers123_911[2];
    static const char* m_pszEccNumbers133[3];
    static const char* m_pszEccNumbers105[3];
    static const char* m_pszEccNumbers_1_171[4];
    static const char* m_pszEccNumbers122[3];
    static const char* m_pszEccNumbers104[3];
    static const char* m_pszEccNumbersJapan[5];
    static const char* m_pszEccNumbersKorea[8];

    // Lists used without a SIM.
    static const char* m_pszEccNumbersNoSimDefault[8];
    static const char* m_pszEccNumbersNoSim120122[10];
    static const char* m_pszEccNumbersNoSim190[9];
    static const char* m_pszEccNumbersNoSim060[9];
    static const char* m_pszEccNumbersNoSim066[9];
    static const char* m_pszEccNumbersNoSim104109[10];
    static const char* m_pszEccNumbersNoSim133[9];
    static const char* m_pszEccNumbersNoSim105[9];
    static const char* m_pszEccNumbersNoSim_1_171[10];
    static const char* m_pszEccNumbersNoSim122[9];
    static const char* m_pszEccNumbersNoSim104[9];
    static const char* m_pszEccNumbersNoSim111[9];
};
