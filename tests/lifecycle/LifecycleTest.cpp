// Loading and unloading through the dispatch, the singleton reports, widgets, allocation routing
// and the exported symbols.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <set>
#include <sstream>

#include "CallCommonSvc/H/CallCommonSvc.h"
#include "CallCommonSvc/H/CallWindow.h"
#include "CallCommonSvc/Mgr/CallCommonSvcDev.h"
#include "CallCommonSvc/Util/CallCommonCtRecord.h"
#include "CallCommonSvc/Util/CallRegMgr.h"
#include "CallCommonSvc/VoiceVideoCommonSvc/Mgr/CallFlashCLI.h"
#include "CallCommonSvc/VoiceVideoCommonSvc/Mgr/CallVideoCLI.h"
#include "support/HostTest.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

// The five services in order of creation: the name of the instance pointer and the source path.
const char* const kServices[][2] = {
    {"pCallCommonDev", "CallCommonSvc\\Mgr\\CallCommonSvcDev"},
    {"pCallVideoCLIMgr", "CallCommonSvc\\VoiceVideoCommonSvc\\Mgr\\CallVideoCLI"},
    {"pCallFCLIInfoMgr", "CallCommonSvc\\VoiceVideoCommonSvc\\Mgr\\CallFlashCLI"},
    {"pCCallRegMgr", "CallCommonSvc\\Util\\CallRegMgr"},
    {"pCallCommonCtRecord", "CallCommonSvc\\Util\\CallCommonCtRecord"}};

// Their instances, in the same order; asking for a missing one reports it.
std::vector<const void*> Instances() {
    return {CCallCommonSvcDev::GetInstance(), CCallVideoCLIInfo::GetInstance(),
            CCallFlashCLIInfo::GetInstance(), CCallRegMgr::GetInstance(),
            CCallCommonCtRecord::GetInstance()};
}

// The reports made so far as "kind kindName expression @ path".
std::vector<std::string> Reports() {
    std::vector<std::string> texts;
    for (const tmxhost::Report& r : tmxhost::TakeReports()) {
        texts.push_back(std::to_string(r.kind) + " " + r.kindName + " " + r.expression + " @ " +
                        r.path);
    }
    return texts;
}

// The singleton report of each service for a check like " != NULL".
std::vector<std::string> ServiceReports(const char* check) {
    std::vector<std::string> texts;
    for (const auto& service : kServices) {
        texts.push_back(std::string("1 ASSERTION_REQUIRE ") + service[0] + check + " @ " +
                        service[1]);
    }
    return texts;
}

// A call-screen widget that logs its ticks and its end.
class Widget : public CCallWindow {
public:
    explicit Widget(std::vector<std::string>* pLog) : m_pLog(pLog) {}
    ~Widget() override { m_pLog->push_back("~Widget"); }
    int Draw() override { return 1; }
    int Show() override { return 2; }
    void OnTick(unsigned long timerID) override {
        m_pLog->push_back("OnTick " + std::to_string(timerID));
        if (deleteOnTick) {
            delete this;
        }
    }
    bool deleteOnTick = false;

private:
    std::vector<std::string>* m_pLog;
};

class LifecycleTest : public HostTest {};

TEST_F(LifecycleTest, LoadAndUnloadGoInCreationOrderAndHandBackThePlatformResult) {
    EXPECT_EQ(CallCommonSvcDispatch(0), 1);
    std::vector<std::string> traces = TraceTexts();
    traces.resize(4);
    EXPECT_THAT(
        traces,
        ElementsAre(" CCallCommonSvcDev::Init : START! \n", "CCallVideoCLIInfo::Init : START! \n",
                    "CCallFlashCLIInfo::Init : START! \n", ::testing::StartsWith("CCallRegMgr::")));
    EXPECT_EQ(tmxhost::CallTexts().back(), "__SysRegisterClass(0, 16777334, record, 1)");
    EXPECT_THAT(Instances(), ::testing::Each(::testing::NotNull()));

    // The video service goes before the flash one, each with its timers.
    CCallVideoCLIInfo::GetInstance()->SetTimer(21, 6000);
    CCallFlashCLIInfo::GetInstance()->SetTimer(21, 6000);
    const std::string video = std::to_string(tmxhost::Timers()[0].handle);
    const std::string flash = std::to_string(tmxhost::Timers()[1].handle);
    tmxhost::ClearCalls();
    EXPECT_EQ(CallCommonSvcDispatch(1), 1);
    EXPECT_THAT(tmxhost::CallTexts(),
                ElementsAre("WmCancelTimer(" + video + ")", "__WmDeleteTimer(" + video + ")",
                            "WmCancelTimer(" + flash + ")", "__WmDeleteTimer(" + flash + ")",
                            "SysUnregisterClass(0, 16777334)"));
    EXPECT_THAT(Instances(), ::testing::Each(::testing::IsNull()));
    EXPECT_EQ(Reports(), ServiceReports(" != NULL"));

    tmxhost::FailCall("__SysRegisterClass", 42);
    EXPECT_EQ(CallCommonSvcDispatch(0), 42);
    tmxhost::FailCall("SysUnregisterClass", -5);
    EXPECT_EQ(CallCommonSvcDispatch(1), -5);
    EXPECT_THAT(Reports(), IsEmpty());
}

TEST_F(LifecycleTest, RepeatedOrUnknownReasonsAreReportedAndKeepTheState) {
    const std::string neverHere =
        "4 ASSERTION_NEVER_GET_HERE NEVER_GET_HERE @ CallCommonSvc\\ECOM\\CallCommonSvcECOM";
    EXPECT_EQ(CallCommonSvcDispatch(1), 0);
    EXPECT_EQ(Reports(), ServiceReports(" != NULL"));
    for (bool loaded : {false, true}) {
        SCOPED_TRACE(loaded ? "loaded" : "unloaded");
        if (loaded) {
            Load();
        }
        const std::size_t blocks = tmxhost::LiveBlocks().size();
        tmxhost::ClearCalls();
        tmxhost::TakeTraces();
        EXPECT_EQ(CallCommonSvcDispatch(2), 0);
        EXPECT_EQ(CallCommonSvcDispatch(-1), 0);
        EXPECT_THAT(Reports(), ElementsAre(neverHere, neverHere));
        EXPECT_THAT(tmxhost::CallTexts(), IsEmpty());
        if (loaded) {
            CallCommonSvcDispatch(0);
            EXPECT_EQ(Reports(), ServiceReports(" == NULL"));
        }
        EXPECT_THAT(TraceTexts(), IsEmpty());
        EXPECT_EQ(tmxhost::LiveBlocks().size(), blocks);
    }
}

TEST_F(LifecycleTest, ServiceThatCannotBeAllocatedIsAbsentAlone) {
    for (int failed = 0; failed < 5; ++failed) {
        SCOPED_TRACE(kServices[failed][0]);
        tmxhost::FailCall("MemAllocTraceEx", 0, failed + 1);
        CallCommonSvcDispatch(0);
        tmxhost::ClearFaults();
        const std::vector<const void*> instances = Instances();
        EXPECT_EQ(std::count(instances.begin(), instances.end(), nullptr), 1);
        EXPECT_EQ(instances[failed], nullptr);
        EXPECT_EQ(CallCommonSvcDispatch(1), 1);
        // Reported when created, asked for and deleted.
        EXPECT_EQ(Reports(), std::vector<std::string>(3, ServiceReports(" != NULL")[failed]));
        EXPECT_THAT(tmxhost::LiveBlocks(), IsEmpty());
    }
}

TEST_F(LifecycleTest, WidgetDeletedThroughEitherBaseOrFromItsTickEndsWhole) {
    std::vector<std::string> log;
    for (const char* way : {"timer base", "graphic base", "own tick"}) {
        SCOPED_TRACE(way);
        log.clear();
        Widget* pWidget = new Widget(&log);
        EXPECT_EQ(tmxhost::LiveBlocks().size(), 1u);
        EXPECT_EQ(dynamic_cast<Widget*>(static_cast<CCallTimer*>(pWidget)), pWidget);
        pWidget->deleteOnTick = way[0] == 'o';
        pWidget->SetTimer(1, 100);
        pWidget->SetTimer(2, 300);
        tmxhost::ClearCalls();
        // The expiry reaches the widget's override through its timer part.
        tmxhost::Advance(100);
        if (way[0] == 't') {
            delete static_cast<CCallTimer*>(pWidget);
        } else if (way[0] == 'g') {
            delete static_cast<ICallGraphicObject*>(pWidget);
        } else {
            EXPECT_THAT(tmxhost::CallTexts({"WmStartTimer"}), IsEmpty());  // not armed again
        }
        EXPECT_THAT(log, ElementsAre("OnTick 1", "~Widget"));
        EXPECT_THAT(tmxhost::Timers(), IsEmpty());
    }
}

TEST_F(LifecycleTest, BlocksFromBeforeTheHeapRunsGoBackToTheCRuntime) {
    tmxhost::SetModuleStatus(2, 0);
    Load();
    CCallTimer* pTimer = new CCallTimer;
    pTimer->SetTimer(1, 100);
    EXPECT_THAT(tmxhost::LiveBlocks(), IsEmpty());

    tmxhost::SetModuleStatus(2, 1);
    pTimer->SetTimer(2, 100);
    EXPECT_EQ(tmxhost::LiveBlocks().size(), 2u);
    // The fixture checks that every block went back to the heap it came from.
    pTimer->KillTimer(1);
    delete pTimer;
}

// The flat functions the library exports; extend with each new one.
std::set<std::string> ExportedCFunctions() {
    std::istringstream names(
        "CallCommonSvcDispatch CallCommonSvcRegSetInt CallCommonSvcRegGetInt "
        "CallCommonSvcRegSetUint64 CallCommonSvcRegGetUint64 CallCommonSvcRegSetString "
        "CallCommonSvcRegGetString CallCommonSvcRegSetStringEx CallCommonSvcRegGetStringEx "
        "CallCommonSvcRegSetAlertsOnCallType CallCommonSvcRegGetAlertsOnCallType "
        "CallIsEccNumber CallIsEccNumberNoSim CallGetMcc CallGetMnc CallWmStrcpy CallWmSprintf "
        "CallAcStrcpy CallAcStrcpyByEncodeType CallUtilSwapMCHAR CallUtilParseDCS "
        "CallEncodeSkypeID CallDecodeSkypeID CallSetDisplayFullName CallIsToday CallIsSsCode "
        "CallIsPreDefinedSsCode CallGetSsStateInCalling CallGetSsXCalling "
        "CallGetCallNumberFromTelNumber CallGetDtmfNumberFromTelNumber "
        "CallUtilTelNumCheckIdentityMode CallIsPossibleDialledNumber CallIsPrefixDiallingOn "
        "CallGetPrefixDiallingNum CallCommonSvcGetCtRecordbyNum CallCommonSvcGetCtRecordByMoInfo "
        "CallCommonSvcGetCtRecordbyEmail CallCommonSvcGetCtRecordByPrimaryID "
        "CallCommonSvcGetFdnRecordbyNum CallCommonSvcGetFdnRecordbyFdnID "
        "CallCommonSvcCheckFdnNumberExist CallCommonSvcGetEntryInfobyNum "
        "CallCommonSvcGetDisplayName CallCommonSvcIsValidPrimaryID "
        "CallIsTouchKey CallIs3x4Key CallGetKeyClass CallIsUnlockKey "
        "CallIsPossibleKeypadLock CallIsVibAlertType CallIsMelodyAlertType CallSetRingToneStep "
        "CallIsAcmValid CallSetBackLight CallStartGSensor CallStopGSensor "
        "CallInterrogateForwardState CallCheckCallControl CallCheckSimCallControl "
        "CallIsAnykeyAnswerMode CallSetMissedCount CallGetMissedCount CallIncreaseMissedCount "
        "CallGetElapsedTime CallCreateTimer CallStartTimer CallDeleteTimer CallCancelTimer "
        "CallIsTimerActive CallIsBgmRunning CallIsInternalUmsAccessible CallIsMtpWorking "
        "CallIsSlideUp CallIsLcdHorizontal CallLedBlink CallLedClear CallVibStart CallVibStop "
        "CallIsVibStop CallIsEarJackInserted CallCreateTicker CallDestroyTicker CallDrawTicker "
        "CallShowTicker CallSetBgChangeableStyleItem CallSetPngChangeableStyleItem "
        "CallSetWinFgChangeableStyleItem CallSetWinBgChangeableStyleItem "
        "CallSetWinPngChangeableStyleItem CallGetColorChangeableStyleItem "
        "CallSetFgChangeableStyleItem CallUcsSetIconListItemBgChangeableStyleItem "
        "CallUcsSetIconListItemPngChangeableStyleItem CallUcsMakePngToRgb565 "
        "CallCommonSvcVCLIInit CallCommonSvcVCLISetPath CallCommonSvcVCLIIsPlayAvail "
        "CallCommonSvcVCLIIsPlayerValid CallCommonSvcVCLIGetFirstFrame "
        "CallCommonSvcVCLIGetLastFrame CallCommonSvcVCLIIsPlayerStopPossible "
        "CallCommonSvcVCLIIsPlayerResuming CallCommonSvcVCLISetGc CallCommonSvcVCLIGetGC "
        "CallCommonSvcVCLISetVibAlertInfo CallCommonSvcVCLIGetPlayer CallCommonSvcVCLICreate "
        "CallCommonSvcVCLIStart CallCommonSvcVCLIStop CallCommonSvcVCLIDestroy "
        "CallCommonSvcVCLISetPlaying CallCommonSvcVCLIIsPlaying CallCommonSvcVCLISetAvmsState "
        "CallCommonSvcVCLIGetAvmsState CallCommonSvcVCLISetIncomState "
        "CallCommonSvcVCLIGetIncomState CallCommonSvcVCLIDestroyVolumeTimer "
        "CallCommonSvcVCLIDestroyVibThenMelodyTimer CallCommonSvcVCLIMuteVolume "
        "CallCommonSvcVCLIIsMuteVolume "
        "CallCommonSvcFCLIInit CallCommonSvcFCLIIsPlayAvail CallCommonSvcFCLIGetFirstFrame "
        "CallCommonSvcFCLISetPath CallCommonSvcFCLIGetPath CallCommonSvcFCLIChangeFlashRect "
        "CallCommonSvcFCLISetVibAlertInfo CallCommonSvcFCLISetGc CallCommonSvcFCLIGetGC "
        "CallCommonSvcFCLICreate CallCommonSvcFCLIDestroy CallCommonSvcFCLIPlay "
        "CallCommonSvcFCLIStop CallCommonSvcFCLIIsPlaying CallCommonSvcFCLIGetFlashHandle "
        "CallCommonSvcFCLIGetPlayerHandle CallCommonSvcFCLIGetFlashPlayState "
        "CallCommonSvcFCLISetSoundPath CallCommonSvcFCLIGetSoundPath "
        "CallCommonSvcFCLISetVolumeLevel CallCommonSvcFCLIGetVolumeLevel "
        "CallCommonSvcFCLIDestroyVolumeTimer CallCommonSvcFCLIDestroyVibThenMelodyTimer "
        "CallCommonSvcFCLIMuteVolume CallCommonSvcFCLIUnmuteVolume CallCommonSvcFCLIIsMuteVolume "

        "CallLoadScaledImageBlackBackground CallLoadScaledImageBlackBackgroundEx "
        "CallFreeScaledImageBlackBackground CallFreeCallerIDThumbnail CallChangeBitmapColor "
        "CallGetImgFrameCount CallIsFlashContent CallLoadCallerIDThumbnail");
    return {std::istream_iterator<std::string>(names), {}};
}

// A member, vtable or typeinfo of a CCall* or ICall* class, or of CVoiceVideoCommonUtil, as
// "nm -C" shows it.
bool OfCallClass(std::string name) {
    bool itself = false;
    for (const char* prefix : {"vtable for ", "typeinfo for ", "typeinfo name for ",
                               "non-virtual thunk to ", "virtual thunk to "}) {
        if (name.rfind(prefix, 0) == 0) {
            itself = !strstr(prefix, "thunk");
            name.erase(0, strlen(prefix));
        }
    }
    const std::size_t end = name.find_first_of("<:(");
    return (name.rfind("CCall", 0) == 0 || name.rfind("ICall", 0) == 0 ||
            name.rfind("CVoiceVideoCommonUtil", 0) == 0) &&
           (itself || (end != std::string::npos && name[end] != '('));
}

TEST_F(LifecycleTest, ExportsOnlyTheFlatFunctionsAndCallClasses) {
    const std::set<std::string> expected = ExportedCFunctions();
    std::set<std::string> flat;
    std::vector<std::string> unexpected;
    FILE* pipe = popen("nm -D --defined-only -C '" CALLSVC_LIBRARY_FILE "'", "r");
    ASSERT_NE(pipe, nullptr);
    char line[4096], name[4096];
    while (fgets(line, sizeof(line), pipe) != nullptr) {
        // Each line: address, type, name (which may hold spaces). AddressSanitizer adds an
        // "__odr_asan." twin of each exported global, which is checked itself.
        if (sscanf(line, "%*s %*s %4095[^\n]", name) != 1 || !strncmp(name, "__odr_asan.", 11)) {
            continue;
        }
        // The linker's own segment markers, which some sanitizer links leave in the table.
        if (!strcmp(name, "_edata") || !strcmp(name, "_end") || !strcmp(name, "__bss_start")) {
            continue;
        }
        if (expected.count(name) != 0) {
            flat.insert(name);
        } else if (!OfCallClass(name)) {
            unexpected.push_back(name);
        }
    }
    EXPECT_EQ(pclose(pipe), 0);
    EXPECT_EQ(flat, expected);
    EXPECT_THAT(unexpected, IsEmpty());
}

}  // namespace
