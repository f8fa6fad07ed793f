// Caller-ID thumbnail: a caller's picture fitted into the caller-ID picture box.
#pragma once

#include "../../H/CallObject.h"
#include "../../Platform/TmxGWESCore.h"

#define CALLER_ID_IMAGE_WIDTH_MAX 80
#define CALLER_ID_IMAGE_HEIGHT_MAX 64

class CALLCOMMONSVC_API CVoiceVideoCommonUtil : public CCallObject {
public:
    // The picture at szFilePath decoded and fitted by the platform inside 80 x 64 keeping its
    // aspect ratio, or null when it cannot be decoded. nCtIndex (the caller's contact index) is
    // traced only. The caller owns the bitmap and frees it, pixels and record, with
    // CallFreeCallerIDThumbnail.
    static tagWMBITMAP* LoadCallerIDThumbnail(char* szFilePath, int nCtIndex);
};

/* Forwards to CVoiceVideoCommonUtil::LoadCallerIDThumbnail; free the result with
   CallFreeCallerIDThumbnail. */
CALL_EXPORT tagWMBITMAP* CallLoadCallerIDThumbnail(char* szFilePath, int nCtIndex);
