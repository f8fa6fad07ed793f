// Phone-state queries: keys, the call-alert type and its ring table, SIM services and call
// control, backlight, G-sensor, the missed-call counter, timers and accessories.
#include "../H/CallCommonSvc.h"
#include "../Platform/TmxCommTAPI.h"
#include "CallCommonUtil.h"

#include <limits.h>

namespace {

const char kSourcePath[] = "CallCommonSvc\\Util\\CallCommonUtil";

// NV items.
const int kNvAnswerMode = 15;
const int kNvCallAlertType = 17;
const int kNvRingVolume = 18;
const int kNvAnyKeyAnswerCover = 1366;
const int kNvAnyKeyAnswer = 1453;

// Phone status values and accessories.
const int kPhsBtRemoteSim = 15;
const int kPsvBtRemoteSimConnected = 1;
const int kPhsMtp = 47;
const int kPhsUms = 49;
const int kDevRingAccessory = 12;

const int kKeyUnlock = 0x451;
const int kRingStepUnit = 16;
const int kRingModeSteps = 3;
const int kRingStartLevel = 7;
const int kRingLongStep = 2000;
const int kEscalatingSteps = 8;
const int kCallControlEnabled = 1;

int AlertType() {
    return NvGetInt(kNvCallAlertType);
}

bool IsOneOf(int value, const int* pValues, int nCount) {
    for (int i = 0; i < nCount; ++i) {
        if (pValues[i] == value) {
            return true;
        }
    }
    return false;
}

template <int N>
bool IsOneOf(int value, const int (&values)[N]) {
    return IsOneOf(value, values, N);
}

void SetStep(CallRingToneStep* pStep, int nDuration, int bIncreasing, int nLevel) {
    pStep->nDuration = nDuration;
    pStep->bIncreasing = bIncreasing;
    pStep->nLevel = nLevel;
}

// Whether the SIM imposes call control, from its service table; the card type is traced with
// the caller's texts.
struct CallControlTexts {
    const char* pszCardType;
    const char* pszGsmEnabled;
    const char* pszUsimEnabled;
    const char* pszUnknownSim;
};

bool IsCallControlEnabled(const CallControlTexts& texts) {
    int iCardType = SimGetCardType();
    SysDebugPrintf(TMX_DBG_UTIL, texts.pszCardType, iCardType);
    if (iCardType == SIM_CARD_TYPE_GSM) {
        const SimSstInfo* pSstInfo = SimGetSstInfo();
        if (!CALL_REQUIRE(pSstInfo != NULL) || pSstInfo->bCallControl != kCallControlEnabled) {
            return false;
        }
        SysDebugPrintf(TMX_DBG_UTIL, "%s", texts.pszGsmEnabled);
        return true;
    }
    if (iCardType == SIM_CARD_TYPE_USIM) {
        const SimUstInfo* pUstInfo = SimGetUstInfo();
        if (!CALL_REQUIRE(pUstInfo != NULL) || pUstInfo->bCallControl != kCallControlEnabled) {
            return false;
        }
        SysDebugPrintf(TMX_DBG_UTIL, "%s", texts.pszUsimEnabled);
        return true;
    }
    SysDebugPrintf(TMX_DBG_FAIL, "%s", texts.pszUnknownSim);
    return false;
}

}  // namespace

int CCallUtil::m_nMissedCount = 0;

int CCallUtil::IsTouchKey(int nKeyCode) {
    static const int kTouchKeys[] = {0x08, 0xBF,  0xC0,  0xC1,  0xC2,  0xC3, 0xC4,
                                     0xD4, 0x451, 0x45D, 0x4C7, 0x4CA, 0x4CB};
    int bTouchKey = IsOneOf(nKeyCode, kTouchKeys) ? 1 : 0;
    SysDebugPrintf(TMX_DBG_UTIL, "CallIsTouchKey: nKeyCode (0x%x) bTouchKey (%d)!!\n", nKeyCode,
                   bTouchKey);
    return bTouchKey;
}

int CCallUtil::Is3x4Key(int nKeyCode) {
    int b3x4Key = (nKeyCode >= '0' && nKeyCode <= '9') || nKeyCode == '*' || nKeyCode == '#';
    SysDebugPrintf(TMX_DBG_UTIL, "CallIs3x4Key: nKeyCode (0x%x) b3x4Key (%d)!!\n", nKeyCode,
                   b3x4Key);
    return b3x4Key;
}

int CCallUtil::GetKeyClass(int nKeyCode) {
    int iKeyClass = 0;
    if (KeyIsTouchCoverKey(nKeyCode & 0xFFFF) != 0) {
        iKeyClass = 1;
    } else if (CallIs3x4Key(nKeyCode & 0xFFFF) != 0) {
        iKeyClass = 2;
    }
    SysDebugPrintf(TMX_DBG_UTIL, "CallGetKeyClass: nKeyCode (0x%x) iKeyClass (%d)!!\n", nKeyCode,
                   iKeyClass);
    return iKeyClass;
}

int CCallUtil::IsUnlockKey(int nKeyCode) {
    int bResult = nKeyCode == kKeyUnlock ? 1 : 0;
    SysDebugPrintf(TMX_DBG_UTIL, "CallIsUnlockKey : bResult = %d, nKeyCode = %x \n", bResult,
                   nKeyCode);
    return bResult;
}

// The incoming-call popup is asked about, but no state forbids the keypad lock yet.
int CCallUtil::IsPossibleKeypadLock() {
    int state = 0;
    AmGetNotifyStateByScreen(0, 4, &state);
    int bKeypadLock = 1;
    SysDebugPrintf(TMX_DBG_UTIL, "CallIsPossibleKeypadLock: bKeypadLock (%d)\n", bKeypadLock);
    return bKeypadLock;
}

int CCallUtil::IncomingCallPopupExist() {
    int stateIncomingCallPopup = 0;
    AmGetNotifyStateByScreen(0, 4, &stateIncomingCallPopup);
    SysDebugPrintf(TMX_DBG_UTIL, "IncomingCallPopupExist : stateIncomingCallPopup = %d \n",
                   stateIncomingCallPopup);
    return stateIncomingCallPopup != 0 ? 1 : 0;
}

int CCallUtil::IsVibAlertType() {
    static const int kVibTypes[] = {0, 5, 6};
    SysDebugPrintf(TMX_DBG_UTIL, "CallIsVibAlertType: \n");
    int bReturn = IsOneOf(AlertType(), kVibTypes) ? 1 : 0;
    SysDebugPrintf(TMX_DBG_UTIL, "CallIsVibAlertType: bReturn = %d\n", bReturn);
    return bReturn;
}

int CCallUtil::IsMelodyAlertType() {
    static const int kMelodyTypes[] = {1, 2, 4, 5, 6};
    SysDebugPrintf(TMX_DBG_UTIL, "CallIsMelodyAlertType: \n");
    int bReturn = IsOneOf(AlertType(), kMelodyTypes) ? 1 : 0;
    SysDebugPrintf(TMX_DBG_UTIL, "CallIsMelodyAlertType: bReturn = %d\n", bReturn);
    return bReturn;
}

int CCallUtil::IsIncreasingMelody() {
    int alertType = AlertType();
    SysDebugPrintf(TMX_DBG_UTIL, "IsIncreasingMelody: alertType = %d", alertType);
    return alertType == 2 || alertType == 6;
}

int CCallUtil::IsNormalMelody() {
    int alertType = AlertType();
    SysDebugPrintf(TMX_DBG_UTIL, "IsNormalMelody: alertType = %d", alertType);
    return alertType == 1 || alertType == 5;
}

int CCallUtil::IsAcousticShockLevelAlertType() {
    int alertType = AlertType();
    SysDebugPrintf(TMX_DBG_UTIL, "CCallUtil::IsAcousticShockLevelAlertType: alertType = %d\n",
                   alertType);
    int bReturn = ((alertType == 1 || alertType == 5) && FlipIsOpened() == 1) || alertType == 4 ||
                  alertType == 7;
    SysDebugPrintf(TMX_DBG_UTIL, "CCallUtil::IsAcousticShockLevelAlertType: bReturn = %d\n",
                   bReturn);
    return bReturn;
}

// Writes only the path, mode, step count and step table of the caller's record.
int CCallUtil::SetRingToneStep(void* pInputInfo) {
    if (!CALL_REQUIRE(pInputInfo != NULL)) {
        return 0;
    }
    SysDebugPrintf(TMX_DBG_UTIL, "CallSetRingToneStep: NV_SI_MODE_CALL_ALERT_TYPE (%d)\n",
                   AlertType());
    CallRingToneStep step[CALL_RING_STEP_SLOTS];
    AcMemsetEx(step, sizeof(step), 0, sizeof(step), kSourcePath, __LINE__);
    // A level below silence is taken as silence.
    const int nStored = NvGetInt(kNvRingVolume);
    const int nVolume = nStored < 0 ? 0 : nStored;
    int nStepMax = 0;
    if (IsIncreasingMelody()) {
        nStepMax = nVolume / kRingStepUnit + 1;
        if (!CALL_REQUIRE(nStepMax <= STEP_COUNT_MAX)) {
            return 0;
        }
        for (int i = 0; i < nStepMax; ++i) {
            SetStep(&step[i], 3000, 1, kRingStepUnit * i);
        }
    } else if (IsAcousticShockLevelAlertType()) {
        if (SysIsFeatureEnabled("TMX_CSC_FEATURE_ESCALATING") != 0) {
            // A long quiet step, six short ones climbing in equal parts, then the full level.
            const int nDelta = (nVolume - kRingStartLevel) / kEscalatingSteps;
            nStepMax = kEscalatingSteps;
            SetStep(&step[0], kRingLongStep, 0, kRingStartLevel);
            for (int i = 1; i < nStepMax - 1; ++i) {
                SetStep(&step[i], kRingLongStep / kEscalatingSteps, 0,
                        kRingStartLevel + nDelta * i);
            }
            SetStep(&step[nStepMax - 1], kRingLongStep, 0, nVolume);
        } else {
            nStepMax = 2;
            SetStep(&step[0], kRingLongStep, 0, kRingStartLevel);
            SetStep(&step[1], kRingLongStep, 0, nVolume);
        }
    } else {
        nStepMax = 1;
        SetStep(&step[0], kRingLongStep, 0, nVolume);
    }
    // Ring media keep their output path whether or not an accessory is present.
    PhsIsDevInserted(kDevRingAccessory);
    CallRingToneInputInfo* pInfo = static_cast<CallRingToneInputInfo*>(pInputInfo);
    pInfo->nMode = kRingModeSteps;
    pInfo->nStepCount = nStepMax;
    pInfo->iSoundPath = SND_OUT_DEV_PATH_RING;
    AcMemcpyEx(pInfo->step, sizeof(pInfo->step), step, sizeof(step), kSourcePath, __LINE__);
    return 1;
}

int CCallUtil::IsAcmValid() {
    int bIsAcmValid = 0;
    int iCardType = SimGetCardType();
    if (iCardType == SIM_CARD_TYPE_GSM) {
        SysDebugPrintf(TMX_DBG_UTIL, "CallIsAcmValid: SIM_CARD_TYPE_GSM!!\n");
        const SimSstInfo* pSstInfo = SimGetSstInfo();
        if (!CALL_REQUIRE(pSstInfo != NULL)) {
            return 0;
        }
        bIsAcmValid = pSstInfo->bAoc != 0 ? 1 : 0;
    } else if (iCardType == SIM_CARD_TYPE_USIM) {
        SysDebugPrintf(TMX_DBG_UTIL, "CallIsAcmValid: SIM_CARD_TYPE_USIM!!\n");
        const SimUstInfo* pUstInfo = SimGetUstInfo();
        if (!CALL_REQUIRE(pUstInfo != NULL)) {
            return 0;
        }
        bIsAcmValid = pUstInfo->bAoc != 0 ? 1 : 0;
    } else {
        SysDebugPrintf(TMX_DBG_FAIL, "CallIsAcmValid: SimGetCardType unknown sim type!!\n");
    }
    SysDebugPrintf(TMX_DBG_UTIL, "CallIsAcmValid: bIsAcmValid (%d)!!\n", bIsAcmValid);
    return bIsAcmValid;
}

int CCallUtil::SetBackLight(LcdType iLcdType, CallBackLightState iState) {
    int isOpened = FlipIsOpened();
    if (isOpened != 0 && iLcdType == 1) {
        SysDebugPrintf(TMX_DBG_UTIL, "CallSetBackLight: isOpended(%d) iLcdType (%d)\n", isOpened,
                       iLcdType);
        return 0;
    }
    int uOnTime = 0;
    int uDimTime = 0;
    switch (iState) {
        case 1:
        case 2:
        case 3:
            uOnTime = -1;
            uDimTime = 0;
            break;
        case 4:
        case 6:
            uOnTime = 5000;
            uDimTime = 10000;
            break;
        case 5:
            uOnTime = 0;
            uDimTime = 10000;
            break;
        case 7:
            uOnTime = 5000;
            uDimTime = 5000;
            break;
        case 8:
            uOnTime = 5000;
            uDimTime = 0;
            break;
        default:
            _SysSaveAssertMsg("CallSetBackLight: iState (%d)", iState);
            CALL_NEVER_GET_HERE();
            return 0;
    }
    SysDebugPrintf(TMX_DBG_UTIL, "CallSetBackLight: uOnTime (%d) uDimTime (%d)\n", uOnTime,
                   uDimTime);
    AmLcdSetBacklight(iLcdType, 0, uOnTime, uDimTime);
    return 1;
}

int CCallUtil::StartGSensor(int hHandler, APP_ID appID) {
    SysDebugPrintf(TMX_DBG_UTIL, "StartGSensor : hHandler = %d, appID = %d\n", hHandler, appID);
    DevGSensorRegisterEventHandler(hHandler);
    DevGSensorStartMotion(appID);
    return 1;
}

int CCallUtil::StopGSensor(int hHandler, APP_ID appID) {
    SysDebugPrintf(TMX_DBG_UTIL, "StopGSensor : hHandler = %d, appID = %d\n", hHandler, appID);
    DevGSensorStopMotion(appID);
    DevGSensorUnregisterEventHandler(hHandler);
    return 1;
}

// Only asks: the network's answer goes to the application.
int CCallUtil::InterrogateForwardState() {
    SysDebugPrintf(TMX_DBG_UTIL, "CallInterrogateForwardState!\n");
    TapiCallForwardQueryStatusReq(0x21, 1, 0);
    return 1;
}

int CCallUtil::CheckCallControl() {
    if (PhsGetStatus(kPhsBtRemoteSim) == kPsvBtRemoteSimConnected) {
        SysDebugPrintf(TMX_DBG_FAIL,
                       "CCallUtil::CheckCallControl : PhsGetStatus(PS_BTREMOTESIM) == "
                       "PSV_BT_REMOTE_SIM_CONNECTED\n");
        return 0;
    }
    static const CallControlTexts kTexts = {
        " CCallUtil::CheckCallControl : Check Call control cardtype=%d\n",
        " CCallUtil::CheckCallControl : Call control is enabled. \n",
        " CCallUtil::CheckCallControl: Call control is enabled. \n",
        "CCallUtil::CheckCallControl:Not supported SIM type!\n"};
    if (!IsCallControlEnabled(kTexts)) {
        return 0;
    }
    return SimAtkCheckCallControlCapability(SIM_ATK_CALL_CONTROL_CALL) != 0 ? 1 : 0;
}

int CCallUtil::CheckSimCallControl(const char* pszText) {
    static const CallControlTexts kTexts = {
        " CCallUtil::CheckSimCallControl : Check Call control cardtype=%d\n",
        " CCallUtil::CheckSimCallControl : Call control is enabled. \n",
        " CCallUtil::CheckSimCallControl: Call control is enabled. \n",
        "CCallUtil::CheckSimCallControl:Not supported SIM type!\n"};
    if (!IsCallControlEnabled(kTexts) || !CALL_REQUIRE(pszText != NULL)) {
        return 0;
    }
    int kind =
        IsPreDefinedSsCode(pszText) == 1 ? SIM_ATK_CALL_CONTROL_SS : SIM_ATK_CALL_CONTROL_USSD;
    return SimAtkCheckCallControlCapability(kind) != 0 ? 1 : 0;
}

int CCallUtil::IsAnykeyAnswerMode() {
    if (NvGetInt(kNvAnyKeyAnswer) == 1) {
        return 1;
    }
    return NvGetInt(kNvAnswerMode) == 2 && NvGetInt(kNvAnyKeyAnswerCover) == 1 ? 1 : 0;
}

int CCallUtil::SetMissedCount(int nCount) {
    if (!CALL_REQUIRE(nCount >= 0)) {
        return 0;
    }
    m_nMissedCount = nCount;
    return 1;
}

int CCallUtil::GetMissedCount() {
    return m_nMissedCount;
}

// The counter stops at the largest int rather than wrapping to a negative count.
int CCallUtil::IncreaseMissedCount() {
    if (m_nMissedCount < INT_MAX) {
        ++m_nMissedCount;
    }
    return m_nMissedCount;
}

unsigned int CCallUtil::GetElapsedTime() {
    return TmGetElapsedTime();
}

int CCallUtil::CreateTimer(char* name) {
    return __WmCreateTimer(name, kSourcePath, __LINE__);
}

int CCallUtil::StartTimer(int id, unsigned long period, void (*callback)(int, unsigned long),
                          unsigned long param) {
    return WmStartTimer(id, period, callback, param);
}

int CCallUtil::DeleteTimer(int id) {
    return __WmDeleteTimer(id, kSourcePath, __LINE__);
}

int CCallUtil::CancelTimer(int id) {
    return WmCancelTimer(id);
}

int CCallUtil::IsTimerActive(int id) {
    return WmIsTimerActive(id);
}

int CCallUtil::IsBgmRunning() {
    SsmSoundType_T iMpType = 3;
    int iMpState = AM_SNDSTATE_NONE;
    SsmSoundType_T iRadioType = 3;
    int iRadioState = AM_SNDSTATE_NONE;
    SsmGetSoundState(AM_SNDPRIO_MUSIC, &iMpType, &iMpState);
    SsmGetSoundState(AM_SNDPRIO_RADIO, &iRadioType, &iRadioState);
    if (iMpState != AM_SNDSTATE_ACTIVE && iRadioState != AM_SNDSTATE_ACTIVE) {
        return 0;
    }
    SysDebugPrintf(TMX_DBG_UTIL, "CallIsBgmRunning: iMpType (%d) iMpState (%d)\n", iMpType,
                   iMpState);
    SysDebugPrintf(TMX_DBG_UTIL, "CallIsBgmRunning: iRadioType (%d) iRadioState (%d)\n", iRadioType,
                   iRadioState);
    return 1;
}

int CCallUtil::IsInternalUmsAccessible() {
    int iUms = PhsGetStatus(kPhsUms);
    SysDebugPrintf(TMX_DBG_UTIL, "IsInternalUmsAccessible: PS_UMS (%d)\n", iUms);
    return iUms == 1 ? 0 : 1;
}

int CCallUtil::IsMtpWorking() {
    int bMtp = PhsGetStatus(kPhsMtp);
    SysDebugPrintf(TMX_DBG_UTIL, "IsMtpWorking:NvGetInt(NV_SI_MTP_WORKING)=%d\n", bMtp);
    return bMtp;
}

// The slide counts as up when the display is horizontal.
int CCallUtil::IsSlideup() {
    return SysIsLcdHorizontal(0);
}

int CCallUtil::IsLcdHorizontal() {
    return SysIsLcdHorizontal(0);
}

int CallIsTouchKey(int nKeyCode) {
    return CCallUtil::IsTouchKey(nKeyCode);
}
int CallIs3x4Key(int nKeyCode) {
    return CCallUtil::Is3x4Key(nKeyCode);
}
int CallGetKeyClass(int nKeyCode) {
    return CCallUtil::GetKeyClass(nKeyCode);
}
int CallIsUnlockKey(int nKeyCode) {
    return CCallUtil::IsUnlockKey(nKeyCode);
}
int CallIsPossibleKeypadLock(void) {
    return CCallUtil::IsPossibleKeypadLock();
}
int CallIsVibAlertType(void) {
    return CCallUtil::IsVibAlertType();
}
int CallIsMelodyAlertType(void) {
    return CCallUtil::IsMelodyAlertType();
}
int CallSetRingToneStep(void* pInputInfo) {
    return CCallUtil::SetRingToneStep(pInputInfo);
}
int CallIsAcmValid(void) {
    return CCallUtil::IsAcmValid();
}
int CallSetBackLight(LcdType iLcdType, CallBackLightState iState) {
    return CCallUtil::SetBackLight(iLcdType, iState);
}
int CallStartGSensor(int hHandler, APP_ID appID) {
    return CCallUtil::StartGSensor(hHandler, appID);
}
int CallStopGSensor(int hHandler, APP_ID appID) {
    return CCallUtil::StopGSensor(hHandler, appID);
}
int CallInterrogateForwardState(void) {
    return CCallUtil::InterrogateForwardState();
}
int CallCheckCallControl(void) {
    return CCallUtil::CheckCallControl();
}
int CallCheckSimCallControl(const char* pszText) {
    return CCallUtil::CheckSimCallControl(pszText);
}
int CallIsAnykeyAnswerMode(void) {
    return CCallUtil::IsAnykeyAnswerMode();
}
int CallSetMissedCount(int nCount) {
    return CCallUtil::SetMissedCount(nCount);
}
int CallGetMissedCount(void) {
    return CCallUtil::GetMissedCount();
}
int CallIncreaseMissedCount(void) {
    return CCallUtil::IncreaseMissedCount();
}
unsigned int CallGetElapsedTime(void) {
    return CCallUtil::GetElapsedTime();
}
int CallCreateTimer(char* name) {
    return CCallUtil::CreateTimer(name);
}
int CallStartTimer(int id, unsigned long period, void (*callback)(int, unsigned long),
                   unsigned long param) {
    return CCallUtil::StartTimer(id, period, callback, param);
}
int CallDeleteTimer(int id) {
    return CCallUtil::DeleteTimer(id);
}
int CallCancelTimer(int id) {
    return CCallUtil::CancelTimer(id);
}
int CallIsTimerActive(int id) {
    return CCallUtil::IsTimerActive(id);
}
int CallIsBgmRunning(void) {
    return CCallUtil::IsBgmRunning();
}
int CallIsInternalUmsAccessible(void) {
    return CCallUtil::IsInternalUmsAccessible();
}
int CallIsMtpWorking(void) {
    return CCallUtil::IsMtpWorking();
}
int CallIsSlideUp(void) {
    return CCallUtil::IsSlideup();
}
int CallIsLcdHorizontal(void) {
    return CCallUtil::IsLcdHorizontal();
}
