#include "ExampleCallApp.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <vector>

#include "CallCommonSvc/H/CallCommonSvc.h"
#include "CallCommonSvc/VoiceVideoCommonSvc/Mgr/CallFlashCLI.h"
#include "CallCommonSvc/VoiceVideoCommonSvc/Mgr/CallVideoCLI.h"
#include "CallCommonSvc/VoiceVideoCommonSvc/Util/VoiceVideoCommonUtil.h"
#include "TmxHost.h"

namespace example {

int FindCall(const std::string& state, bool multipartyOnly) {
    for (const tmxhost::CallView& call : tmxhost::CallsInProgress()) {
        if (call.state == state && (!multipartyOnly || call.multiparty)) {
            return call.handle;
        }
    }
    return TAPI_INVALID_CALLHANDLE;
}

namespace {
int Found(int& hCall, const std::string& state, bool multipartyOnly = false) {
    hCall = FindCall(state, multipartyOnly);
    return hCall != TAPI_INVALID_CALLHANDLE;
}
}  // namespace

int CallControl::OnPreSetup(TapiSetupCallInfo& info) {
    if (m_number.empty() || m_number.size() >= sizeof(info.szNumber)) {
        return 0;
    }
    std::memcpy(info.szNumber, m_number.c_str(), m_number.size() + 1);
    return 1;
}

int CallControl::OnPreAnswer(int& hCall) {
    return Found(hCall, "incoming");
}
int CallControl::OnPreHold(int& hCall) {
    return Found(hCall, "active");
}
int CallControl::OnPreActivate(int& hCall) {
    return Found(hCall, "held");
}

int CallControl::OnPreSwap(int& hActiveCall, int& hHoldCall) {
    return Found(hActiveCall, "active") && Found(hHoldCall, "held");
}

int CallControl::OnPreSetupConference(int& hActiveCall, int& hHoldCall) {
    return Found(hActiveCall, "active") && Found(hHoldCall, "held");
}

int CallControl::OnPreSplitConference(int& hCall) {
    return Found(hCall, "active", true);
}

int CallControl::OnPreTransfer(int& hActiveCall, int& hHoldCall) {
    return Found(hActiveCall, "active") && Found(hHoldCall, "held");
}

int CallControl::OnPreRelease(int& hCall, TapiReleaseCause&) {
    return Found(hCall, "active") || Found(hCall, "held") || Found(hCall, "dialing") ||
           Found(hCall, "incoming");
}

int CallControl::OnPreDestroy(int& hCall) {
    return Found(hCall, "released");
}

DtmfSender::DtmfSender() {
    tmxhost::SetDtmfListener(tmxhost::DtmfListener{[this](int hCall, char) { StartDtmfAck(hCall); },
                                                   [this](int) { Pop(); }});
}

DtmfSender::~DtmfSender() {
    tmxhost::SetDtmfListener({});
}

int DtmfSender::GetActiveCallHandle() {
    return FindCall("active");
}

// A grant creates the caller when the call has none (a fake call keeps its fake handle); any
// other command leaves the handle as it is.
int AudioCall::AmSoundHandler(SsmSoundPriority_T priority, SsmSoundType_T, SsmSoundCommand_T cmd) {
    if (cmd != tmxhost::kSoundCommandStart || m_hAvCaller != INVALID_HOBJ) {
        return m_hAvCaller;
    }
    return AvCreateCaller(priority, m_iSoundPath);
}

Caller LookUpCaller(const std::string& number) {
    Caller caller;
    caller.number = number;
    CallCommonCtRecord record = {};
    std::vector<char> input(number.begin(), number.end());
    input.push_back('\0');
    if (CallCommonSvcGetCtRecordbyNum(input.data(), &record) != 1) {
        return caller;
    }
    char name[302] = "";
    CallCommonSvcGetDisplayName(record.szFirstName, record.szLastName, name);
    caller.found = true;
    caller.displayName = name;
    caller.image = record.szImage;
    caller.ringtone = record.szRingtone;
    caller.vibration = record.szVibration;
    caller.index = record.nPrimaryId;
    return caller;
}

void ThumbnailFree::operator()(tagWMBITMAP* bitmap) const {
    CallFreeCallerIDThumbnail(bitmap);
}

Thumbnail LoadThumbnail(const Caller& caller) {
    if (caller.image.empty()) {
        return nullptr;
    }
    std::vector<char> path(caller.image.begin(), caller.image.end());
    path.push_back('\0');
    return Thumbnail(CallLoadCallerIDThumbnail(path.data(), caller.index));
}

RingMedia MediaOf(const std::string& path) {
    std::string::size_type dot = path.rfind('.');
    if (dot == std::string::npos || path.find('/', dot) != std::string::npos) {
        return RingMedia::kNone;
    }
    std::string ext = path.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (ext == "swf") {
        return RingMedia::kFlash;
    }
    for (const char* video : {"mp4", "avi", "3gp", "mkv", "webm", "mov"}) {
        if (ext == video) {
            return RingMedia::kVideo;
        }
    }
    return RingMedia::kNone;
}

const char* MediaName(RingMedia media) {
    switch (media) {
        case RingMedia::kVideo:
            return "video";
        case RingMedia::kFlash:
            return "flash";
        default:
            return "none";
    }
}

namespace {

// Player states as the video caller ID knows them: created, playing, stopped, error.
CallVCLIAvmsState AvmsState(tmxhost::PlayerEvent event) {
    switch (event) {
        case tmxhost::PlayerEvent::kCreated:
            return 0;
        case tmxhost::PlayerEvent::kPlaying:
            return 1;
        case tmxhost::PlayerEvent::kStopped:
            return 2;
        default:
            return 7;
    }
}

std::vector<char> Text(const std::string& text) {
    std::vector<char> copy(text.begin(), text.end());
    copy.push_back('\0');
    return copy;
}

}  // namespace

Ringtone::Ringtone() {
    tmxhost::SetPlayerListener([](int hPlayer, tmxhost::PlayerEvent event) {
        if (hPlayer == CallCommonSvcVCLIGetPlayer()) {
            CallCommonSvcVCLISetAvmsState(AvmsState(event));
        }
    });
}

Ringtone::~Ringtone() {
    Stop();
    tmxhost::SetPlayerListener({});
}

bool Ringtone::Start(RingMedia media, const std::string& path, const std::string& vibration,
                     int hWindow, const tagWMRECT& rect, std::string& error) {
    Stop();
    std::vector<char> file = Text(path), pattern = Text(vibration);
    tagWMRECT place = rect;
    if (media == RingMedia::kVideo) {
        CallCommonSvcVCLIInit();
        if (CallCommonSvcVCLISetPath(file.data()) != 1 ||
            CallCommonSvcVCLISetVibAlertInfo(pattern.data()) != 1 ||
            CallCommonSvcVCLISetGc(hWindow) != 1) {
            error = "the video ringtone could not be set up";
        } else if (CallCommonSvcVCLIIsPlayAvail() != 1) {
            error = "a video ringtone may not play now";
        } else if (CallCommonSvcVCLICreate(0) != 1) {
            error = "the video player refused " + path;
        } else {
            m_media = media;
            if (CallCommonSvcVCLIStart(&place, 0) == 1) {
                return true;
            }
            error = "the video player did not start";
            Stop();
        }
        return false;
    }
    if (media == RingMedia::kFlash) {
        CallCommonSvcFCLIInit();
        if (CallCommonSvcFCLISetPath(file.data()) != 1 ||
            CallCommonSvcFCLISetVibAlertInfo(pattern.data()) != 1 ||
            CallCommonSvcFCLISetGc(hWindow) != 1) {
            error = "the Flash ringtone could not be set up";
        } else if (CallCommonSvcFCLIIsPlayAvail() != 1) {
            error = "a Flash ringtone may not play now";
        } else if (CallCommonSvcFCLICreate(&place) != 1) {
            error = "the Flash engine refused " + path;
        } else {
            m_media = media;
            if (CallCommonSvcFCLIPlay() == 1) {
                return true;
            }
            error = "the Flash ringtone did not play";
            Stop();
        }
        return false;
    }
    error = "no ringtone";
    return false;
}

void Ringtone::Stop() {
    if (m_media == RingMedia::kVideo) {
        CallCommonSvcVCLIStop();
        // Stop hands a player that never played to Destroy itself.
        if (CallCommonSvcVCLIIsPlayerValid() == 1) {
            CallCommonSvcVCLIDestroy();
        }
    } else if (m_media == RingMedia::kFlash) {
        CallCommonSvcFCLIStop();
        CallCommonSvcFCLIDestroy();
    }
    m_media = RingMedia::kNone;
}

}  // namespace example
