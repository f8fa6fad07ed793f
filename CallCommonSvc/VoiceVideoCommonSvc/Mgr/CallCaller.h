// The audio side of one call: its sound-state registration, the platform audio caller that
// carries its speech, and the path, mute, whisper mode and volume applied to that caller.
#pragma once

#include "../../H/CallInterface.h"

// The handle of a call that has no real audio caller.
#define CALL_FAKE_CALL_CALLER_HANDLE (-2)

// The application derives from it and creates the audio caller in AmSoundHandler, which runs
// when the sound-state manager grants the registered priority. The stored path and modes
// survive ClosePath, so they can be applied again to the next caller.
class CALLCOMMONSVC_API CCallCaller : public ICallCaller {
public:
    CCallCaller();
    // Closes nothing; the manager's later callbacks for this object are dropped.
    virtual ~CCallCaller();

    virtual int OpenVirtualPath();
    virtual int CloseVirtualPath();
    virtual int OpenPath(SsmSoundPriority_T priority);
    virtual int ClosePath(SsmSoundPriority_T priority);
    virtual int SetPath(SndOutDevPath path, int bApply);
    virtual int SetMuteMode(int bMode, int bApply);
    virtual int SetWhisperMode(int bMode, int bApply);
    virtual int SetVolume(int volume);
    virtual int GetCaller();
    virtual int GetPath();
    virtual int ApplyPath();
    virtual int GetMuteMode();
    virtual int GetWhisperMode();
    // Creates the audio caller for a granted sound and returns its handle.
    virtual int AmSoundHandler(SsmSoundPriority_T priority, SsmSoundType_T type,
                               SsmSoundCommand_T cmd) = 0;

    int SetCaller(int hAvCaller);
    int SetRxMuteMode(int mode, int bApply);
    int GetRxMuteMode();

    // Registered with the sound-state manager; userData is the CCallCaller. A callback for a
    // caller that no longer holds the priority's registration (destroyed since) is dropped.
    static int SsmSoundCallback(SsmSoundPriority_T priority, SsmSoundType_T type,
                                SsmSoundCommand_T cmd, void* userData);

protected:
    int m_hAvCaller;
    SndOutDevPath m_iSoundPath;
    int m_bMuteMode;
    int m_bRxMuteMode;
    int m_bWhisperMode;

private:
    void Register(SsmSoundPriority_T priority);
    void Unregister(SsmSoundPriority_T priority);
};
