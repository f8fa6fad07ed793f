// Caller-ID thumbnail.
#include "VoiceVideoCommonUtil.h"

#include "../../H/CallCommonSvcDef.h"
#include "../../Platform/TmxAVMS.h"

namespace {

const char kSourcePath[] = "CallCommonSvc\\VoiceVideoCommonSvc\\Util\\VoiceVideoCommonUtil";

const int kDecodeMode16Bit = 2;

// A size past the box is a warning: the bitmap is still handed out.
void WarnIf(bool bOversized, const char* pszExpression, int line) {
    if (bOversized) {
        _SysAssertReport(TMX_ASSERTION_ASSERT, "ASSERTION_ASSERT", pszExpression, kSourcePath,
                         line);
    }
}

}  // namespace

tagWMBITMAP* CVoiceVideoCommonUtil::LoadCallerIDThumbnail(char* szFilePath, int nCtIndex) {
    tagWMBITMAP* pBmp = NULL;
    ImgGetScaledImageFileEx(szFilePath, &pBmp, CALLER_ID_IMAGE_WIDTH_MAX,
                            CALLER_ID_IMAGE_HEIGHT_MAX, kDecodeMode16Bit, 0, kSourcePath, __LINE__);
    if (pBmp == NULL) {
        return NULL;
    }
    WarnIf(pBmp->rectW > CALLER_ID_IMAGE_WIDTH_MAX, "pBmp->rectW <= CALLER_ID_IMAGE_WIDTH_MAX",
           __LINE__);
    WarnIf(pBmp->rectH > CALLER_ID_IMAGE_HEIGHT_MAX, "pBmp->rectH <= CALLER_ID_IMAGE_HEIGHT_MAX",
           __LINE__);
    SysDebugPrintf(TMX_DBG_UTIL, "CallLoadCallerIDThumbnail:CtIndex=%d, w=%d,h=%d\n", nCtIndex,
                   pBmp->rectW, pBmp->rectH);
    return pBmp;
}

CALL_EXPORT tagWMBITMAP* CallLoadCallerIDThumbnail(char* szFilePath, int nCtIndex) {
    return CVoiceVideoCommonUtil::LoadCallerIDThumbnail(szFilePath, nCtIndex);
}
