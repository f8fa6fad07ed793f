// The library's abstract interfaces. Each is implemented by the CCall class of the same name.
#pragma once

#include "../Platform/TmxAVMS.h"
#include "../Platform/TmxCommTAPI.h"
#include "CallObject.h"

class CALLCOMMONSVC_API ICallTimer : public CCallObject {
public:
    virtual int SetTimer(unsigned long timerID, unsigned long tickFrequency) = 0;
    virtual int KillTimer(unsigned long timerID) = 0;
    virtual void OnTick(unsigned long timerID) = 0;
};

class CALLCOMMONSVC_API ICallGraphicObject : public CCallObject {
public:
    virtual int Draw() = 0;
    virtual int Show() = 0;
};

class CALLCOMMONSVC_API ICallDocument : public CCallObject {};

// Exported for the applications; the library neither implements nor calls any of its
// operations, so none is declared.
class CALLCOMMONSVC_API ICallCommon : public CCallObject {};

class CALLCOMMONSVC_API ICallCaller : public CCallObject {
public:
    virtual int OpenVirtualPath() = 0;
    virtual int CloseVirtualPath() = 0;
    virtual int OpenPath(SsmSoundPriority_T priority) = 0;
    virtual int ClosePath(SsmSoundPriority_T priority) = 0;
    virtual int SetPath(SndOutDevPath path, int bApply) = 0;
    virtual int SetMuteMode(int bMode, int bApply) = 0;
    virtual int SetWhisperMode(int bMode, int bApply) = 0;
    virtual int SetVolume(int volume) = 0;
    virtual int GetCaller() = 0;
    virtual int GetPath() = 0;
    virtual int ApplyPath() = 0;
    virtual int GetMuteMode() = 0;
    virtual int GetWhisperMode() = 0;
    virtual int AmSoundHandler(SsmSoundPriority_T priority, SsmSoundType_T type,
                               SsmSoundCommand_T cmd) = 0;
};

class CALLCOMMONSVC_API ICallSound : public CCallObject {
public:
    virtual int Play(int iEffectType, int bRepeat, int bVib, int (*pfnCallback)(void*)) = 0;
    virtual int Play(int iEffectType, int iSndType, int bRepeat, int bVib,
                     int (*pfnCallback)(void*)) = 0;
    virtual int Stop(int iEffectType) = 0;
    virtual int Stop() = 0;
    virtual int SetPath(int iEffectType, SndOutDevPath path) = 0;
    virtual int SetVolume(int iEffectType, int volume) = 0;
    virtual int Repeat(int iEffectType, int bRepeat) = 0;
};

class CALLCOMMONSVC_API ICallTapi : public CCallObject {
public:
    virtual int Setup(const TapiSetupCallInfo& info) = 0;
    virtual int Setup() = 0;
    virtual int SetupFakeCall() = 0;
    virtual int Answer(int hCall) = 0;
    virtual int Answer() = 0;
    virtual int Hold(int hCall) = 0;
    virtual int Hold() = 0;
    virtual int Activate(int hCall) = 0;
    virtual int Activate() = 0;
    virtual int Swap(int hActiveCall, int hHoldCall) = 0;
    virtual int Swap() = 0;
    virtual int SetupConference(int hActiveCall, int hHoldCall) = 0;
    virtual int SetupConference() = 0;
    virtual int SplitConference(int hCall) = 0;
    virtual int SplitConference() = 0;
    virtual int Transfer(int hActiveCall, int hHoldCall) = 0;
    virtual int Transfer() = 0;
    virtual int RespondRecall(int hCall, int response) = 0;
    virtual int RespondRecall(int response) = 0;
    virtual int Release(int hCall, TapiReleaseCause cause) = 0;
    virtual int Release() = 0;
    virtual int Destroy(int hCall) = 0;
    virtual int Destroy() = 0;
};

class CALLCOMMONSVC_API ICallDtmf : public CCallObject {
public:
    virtual int Start(int hCall, char digit) = 0;
    virtual int Stop(int hCall) = 0;
    virtual int IsPossible() = 0;
};

class CALLCOMMONSVC_API ICallCcbs : public CCallObject {
public:
    virtual int Add(TapiCcbsInfo* pCcbsInfo) = 0;
    virtual int Delete(int index) = 0;
    virtual int IsAvailableSlot() = 0;
};
