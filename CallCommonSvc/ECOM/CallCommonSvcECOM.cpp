#include "../H/CallCommonSvc.h"
#include "../Mgr/CallCommonSvcDev.h"
#include "../Util/CallCommonCtRecord.h"
#include "../Util/CallRegMgr.h"
#include "../VoiceVideoCommonSvc/Mgr/CallFlashCLI.h"
#include "../VoiceVideoCommonSvc/Mgr/CallVideoCLI.h"

namespace {

const char kSourcePath[] = "CallCommonSvc\\ECOM\\CallCommonSvcECOM";

const unsigned int kModuleClassId = 0x1000076;
const int kDispatchLoad = 0;
const int kDispatchUnload = 1;

// The module class record belongs to the platform; the library only points its first word at
// its fourth. Words are pointer-sized so that an address fits.
uintptr_t g_moduleClassRecord[8];

}  // namespace

int CallCommonSvcDispatch(int reason) {
    switch (reason) {
        case kDispatchLoad:
            CCallCommonSvcDev::CreateInstance();
            CCallVideoCLIInfo::CreateInstance();
            CCallFlashCLIInfo::CreateInstance();
            CCallRegMgr::CreateInstance();
            CCallCommonCtRecord::CreateInstance();
            g_moduleClassRecord[0] = reinterpret_cast<uintptr_t>(&g_moduleClassRecord[3]);
            return __SysRegisterClass(0, kModuleClassId, g_moduleClassRecord, 1);
        case kDispatchUnload:
            CallFlashCLIReleaseAtUnload();
            // Deleted in the order of creation.
            CCallCommonSvcDev::DeleteInstance();
            CCallVideoCLIInfo::DeleteInstance();
            CCallFlashCLIInfo::DeleteInstance();
            CCallRegMgr::DeleteInstance();
            CCallCommonCtRecord::DeleteInstance();
            return SysUnregisterClass(0, kModuleClassId);
        default:
            CALL_NEVER_GET_HERE();
            return 0;
    }
}
