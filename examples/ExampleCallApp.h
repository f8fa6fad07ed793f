// A minimal call application on the call common service: call control whose argument-less
// requests act on the calls the platform reports, a DTMF sender fed by the platform's
// acknowledgements, the audio caller of a call, and what an incoming call needs before it is
// answered: the caller's record and a video or Flash ringtone. It runs on the host platform,
// whose call model stands in for the application's own call list.
#pragma once

#include <memory>
#include <string>

#include "CallCommonSvc/VoiceVideoCommonSvc/Mgr/CallCaller.h"
#include "CallCommonSvc/VoiceVideoCommonSvc/Mgr/CallQueuingDtmf.h"
#include "CallCommonSvc/VoiceVideoCommonSvc/Mgr/CallTapi.h"
#include "CallCommonSvc/Platform/TmxGWESCore.h"

namespace example {

// The first call in `state` ("incoming", "active", "held", ...), or TAPI_INVALID_CALLHANDLE.
int FindCall(const std::string& state, bool multipartyOnly = false);

// Pre-hooks pick the calls a phone's keys mean: answer the incoming call, hold the active one,
// release the active (else the held, the dialling, or the incoming: a rejection) call, and so on.
// A hook that finds no call vetoes.
class CallControl : public CCallTapi {
public:
    void SetNumber(const std::string& number) { m_number = number; }

    int OnPreSetup(TapiSetupCallInfo& info) override;
    int OnPreAnswer(int& hCall) override;
    int OnPreHold(int& hCall) override;
    int OnPreActivate(int& hCall) override;
    int OnPreSwap(int& hActiveCall, int& hHoldCall) override;
    int OnPreSetupConference(int& hActiveCall, int& hHoldCall) override;
    int OnPreSplitConference(int& hCall) override;
    int OnPreTransfer(int& hActiveCall, int& hHoldCall) override;
    int OnPreRelease(int& hCall, TapiReleaseCause& cause) override;
    int OnPreDestroy(int& hCall) override;

private:
    std::string m_number;
};

// Sends DTMF on the active call. While it exists it receives the platform's acknowledgements:
// a start acknowledgement goes to StartDtmfAck, a stop acknowledgement to Pop.
class DtmfSender : public CCallQueuingDtmf {
public:
    DtmfSender();
    ~DtmfSender() override;

    int GetActiveCallHandle() override;
};

// The audio side of a call: when the sound-state manager grants the call's priority, the
// platform audio caller is created on the path set last.
class AudioCall : public CCallCaller {
public:
    int AmSoundHandler(SsmSoundPriority_T priority, SsmSoundType_T type,
                       SsmSoundCommand_T cmd) override;
};

// Who is calling: the address book's record for the number, as the library's lookup finds it
// (the FDN first in fixed-dialling mode, else the contacts first).
struct Caller {
    bool found = false;
    std::string number;
    std::string displayName;  // empty when not found
    std::string image;        // picture file, ringtone file and vibration pattern, as stored
    std::string ringtone;
    std::string vibration;
    int index = 0;  // the contact's primary ID
};
Caller LookUpCaller(const std::string& number);

// The caller's picture scaled for the caller-ID box (80 x 64 at most), freed with
// CallFreeCallerIDThumbnail; null when there is no picture or it cannot be decoded.
struct ThumbnailFree {
    void operator()(tagWMBITMAP* bitmap) const;
};
using Thumbnail = std::unique_ptr<tagWMBITMAP, ThumbnailFree>;
Thumbnail LoadThumbnail(const Caller& caller);

// What kind of ringtone a file is, by its extension: ".swf" Flash; ".mp4", ".avi", ".3gp",
// ".mkv", ".webm", ".mov" video; anything else none.
enum class RingMedia { kNone, kVideo, kFlash };
RingMedia MediaOf(const std::string& path);
const char* MediaName(RingMedia media);  // "none", "video", "flash"

// The ringtone of an incoming call, played by the library's video or Flash caller ID in the
// overlay GC of a window. The host player's state changes are reported to the video caller ID
// while it exists.
class Ringtone {
public:
    Ringtone();
    ~Ringtone();  // stops a ring still playing

    // Init, SetPath, SetVibAlertInfo, SetGc, IsPlayAvail, Create, then Start (video) or Play
    // (Flash); the ring follows the phone's call-alert type and ring volume. `vibration` empty:
    // the phone's default pattern. False with the step that failed in `error`.
    bool Start(RingMedia media, const std::string& path, const std::string& vibration, int hWindow,
               const tagWMRECT& rect, std::string& error);
    // Stops and destroys the player, which also ends vibration, LED and volume timers.
    void Stop();
    bool Ringing() const { return m_media != RingMedia::kNone; }

    Ringtone(const Ringtone&) = delete;
    Ringtone& operator=(const Ringtone&) = delete;

private:
    RingMedia m_media = RingMedia::kNone;
};

}  // namespace example
