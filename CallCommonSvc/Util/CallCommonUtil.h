// Static utilities of the call applications: emergency numbers, dial strings and text.
#pragma once

#include "../H/CallObject.h"

// Alphabet of network text, from a data coding scheme (3GPP TS 23.038).
typedef enum {
    TAPI_USSD_ENCODE_8BIT = 0,
    TAPI_USSD_ENCODE_GSM7BIT = 1,
    TAPI_USSD_ENCODE_UCS2 = 2
} TapiUssdEncodeType;

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
