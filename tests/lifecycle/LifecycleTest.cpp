// Loading and unloading through the dispatch, the five services, widgets and allocation routing.
#include <cxxabi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "CallCommonSvc/H/CallCommonSvc.h"
#include "CallCommonSvc/H/CallWindow.h"
#include "CallCommonSvc/Mgr/CallCommonSvcDev.h"
#include "CallCommonSvc/Util/CallCommonCtRecord.h"
#include "CallCommonSvc/Util/CallRegMgr.h"
#include "CallCommonSvc/VoiceVideoCommonSvc/Mgr/CallFlashCLI.h"
#include "CallCommonSvc/VoiceVideoCommonSvc/Mgr/CallVideoCLI.h"
#include "support/HostTest.h"

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

namespace {

// The flat C functions the library exports; a new exported family is added here.
const char* const kExportedCFunctions[] = {
    "CallCommonSvcDispatch",
    "CallCommonSvcRegSetInt",
    "CallCommonSvcRegGetInt",
    "CallCommonSvcRegSetUint64",
    "CallCommonSvcRegGetUint64",
    "CallCommonSvcRegSetString",
    "CallCommonSvcRegGetString",
    "CallCommonSvcRegSetStringEx",
    "CallCommonSvcRegGetStringEx",
    "CallCommonSvcRegSetAlertsOnCallType",
    "CallCommonSvcRegGetAlertsOnCallType",
};

const unsigned kModuleClassId = 0x1000076;

// The five services in order of creation.
struct Service {
    const char* pointerName;
    const char* path;
    const void* (*instance)();
};
const Service kServices[] = {
    {"pCallCommonDev", "CallCommonSvc\\Mgr\\CallCommonSvcDev",
     [] { return static_cast<const void*>(CCallCommonSvcDev::GetInstance()); }},
    {"pCallVideoCLIMgr", "CallCommonSvc\\VoiceVideoCommonSvc\\Mgr\\CallVideoCLI",
     [] { return static_cast<const void*>(CCallVideoCLIInfo::GetInstance()); }},
    {"pCallFCLIInfoMgr", "CallCommonSvc\\VoiceVideoCommonSvc\\Mgr\\CallFlashCLI",
     [] { return static_cast<const void*>(CCallFlashCLIInfo::GetInstance()); }},
    {"pCCallRegMgr", "CallCommonSvc\\Util\\CallRegMgr",
     [] { return static_cast<const void*>(CCallRegMgr::GetInstance()); }},
    {"pCallCommonCtRecord", "CallCommonSvc\\Util\\CallCommonCtRecord",
     [] { return static_cast<const void*>(CCallCommonCtRecord::GetInstance()); }},
};

// The reports made so far as "kind kindName expression @ path".
std::vector<std::string> TakeReportDescriptions() {
    std::vector<std::string> texts;
    for (const tmxhost::Report& r : tmxhost::TakeReports()) {
        texts.push_back(std::to_string(r.kind) + " " + r.kindName + " " + r.expression + " @ " +
                        r.path);
    }
    return texts;
}

std::string ServiceReport(const Service& service, const char* comparison) {
    return std::string("1 ASSERTION_REQUIRE ") + service.pointerName + comparison + " @ " +
           service.path;
}

// One report per service, in order of creation.
std::vector<std::string> ServiceReports(const char* comparison) {
    std::vector<std::string> texts;
    for (const Service& service : kServices) {
        texts.push_back(ServiceReport(service, comparison));
    }
    return texts;
}

std::vector<const void*> Instances() {
    std::vector<const void*> instances;
    for (const Service& service : kServices) {
        instances.push_back(service.instance());
    }
    return instances;
}

// A call-screen widget: draws nothing, logs its ticks and its end.
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

// The defined dynamic symbols of the library, demangled.
std::vector<std::string> DynamicSymbols() {
    std::vector<std::string> names;
    FILE* pipe = popen("nm -D --defined-only -C '" CALLSVC_LIBRARY_FILE "'", "r");
    if (pipe == nullptr) {
        ADD_FAILURE() << "cannot run nm";
        return names;
    }
    // Each line: address, type, name (which may hold spaces).
    char line[4096];
    char name[4096];
    while (fgets(line, sizeof(line), pipe) != nullptr) {
        if (sscanf(line, "%*s %*s %4095[^\n]", name) == 1) {
            names.push_back(name);
        }
    }
    EXPECT_EQ(pclose(pipe), 0);
    return names;
}

// True for a member, vtable or typeinfo of a class whose name begins with CCall or ICall.
bool BelongsToCallClass(std::string name) {
    // AddressSanitizer marks each exported global with "__odr_asan.<mangled name>".
    const std::string odrIndicator = "__odr_asan.";
    if (name.rfind(odrIndicator, 0) == 0) {
        int status = 0;
        char* demangled =
            abi::__cxa_demangle(name.c_str() + odrIndicator.size(), nullptr, nullptr, &status);
        name = status == 0 ? demangled : "";
        std::free(demangled);
    }
    bool classItself = false;
    for (const char* prefix : {"vtable for ", "typeinfo for ", "typeinfo name for ",
                               "non-virtual thunk to ", "virtual thunk to "}) {
        if (name.rfind(prefix, 0) == 0) {
            classItself = std::strstr(prefix, "thunk") == nullptr;
            name.erase(0, std::strlen(prefix));
            break;
        }
    }
    std::size_t end = name.find_first_of("<:(");
    if (name.rfind("CCall", 0) != 0 && name.rfind("ICall", 0) != 0) {
        return false;
    }
    return classItself || (end != std::string::npos && name[end] != '(');
}

class LifecycleTest : public HostTest {};

TEST_F(LifecycleTest, LoadCreatesTheServicesInOrderThenRegistersTheClass) {
    EXPECT_EQ(CallCommonSvcDispatch(0), 1);
    EXPECT_TRUE(tmxhost::IsClassRegistered(kModuleClassId));
    EXPECT_THAT(TakeReportDescriptions(), IsEmpty());
    std::vector<std::string> traces = TraceTexts();
    ASSERT_GE(traces.size(), 4u);
    EXPECT_THAT(
        std::vector<std::string>(traces.begin(), traces.begin() + 3),
        ElementsAre(" CCallCommonSvcDev::Init : START! \n", "CCallVideoCLIInfo::Init : START! \n",
                    "CCallFlashCLIInfo::Init : START! \n"));
    EXPECT_THAT(traces[3], ::testing::HasSubstr("CCallRegMgr::"));
    std::vector<std::string> calls = tmxhost::CallTexts();
    EXPECT_EQ(calls.front(), "RegLoad(\"CallReg.ini\", 0)");
    EXPECT_EQ(calls.back(), "__SysRegisterClass(0, 16777334, record, 1)");
    for (const void* instance : Instances()) {
        EXPECT_NE(instance, nullptr);
    }

    tmxhost::ClearCalls();
    EXPECT_EQ(CallCommonSvcDispatch(1), 1);
    EXPECT_THAT(tmxhost::CallTexts(), ElementsAre("SysUnregisterClass(0, 16777334)"));
    EXPECT_FALSE(tmxhost::IsClassRegistered(kModuleClassId));
    for (const void* instance : Instances()) {
        EXPECT_EQ(instance, nullptr);
    }
    EXPECT_THAT(TakeReportDescriptions(), ElementsAreArray(ServiceReports(" != NULL")));

    // Both results of the platform are handed back as they are.
    tmxhost::FailCall("__SysRegisterClass", 42);
    EXPECT_EQ(CallCommonSvcDispatch(0), 42);
    tmxhost::FailCall("SysUnregisterClass", -5);
    EXPECT_EQ(CallCommonSvcDispatch(1), -5);
    EXPECT_THAT(TakeReportDescriptions(), IsEmpty());
}

TEST_F(LifecycleTest, UnknownReasonsAreReportedAndChangeNothing) {
    for (bool loaded : {false, true}) {
        SCOPED_TRACE(loaded ? "loaded" : "unloaded");
        if (loaded) {
            Load();
        }
        tmxhost::ClearCalls();
        tmxhost::TakeTraces();
        const std::size_t blocks = tmxhost::LiveBlocks().size();
        const std::vector<const void*> before = loaded ? Instances() : std::vector<const void*>();
        EXPECT_EQ(CallCommonSvcDispatch(2), 0);
        EXPECT_EQ(CallCommonSvcDispatch(-1), 0);
        const std::string neverHere =
            "4 ASSERTION_NEVER_GET_HERE NEVER_GET_HERE @ CallCommonSvc\\ECOM\\CallCommonSvcECOM";
        EXPECT_THAT(TakeReportDescriptions(), ElementsAre(neverHere, neverHere));
        EXPECT_THAT(tmxhost::CallTexts(), IsEmpty());
        EXPECT_THAT(TraceTexts(), IsEmpty());
        EXPECT_EQ(tmxhost::LiveBlocks().size(), blocks);
        EXPECT_EQ(tmxhost::IsClassRegistered(kModuleClassId), loaded);
        if (loaded) {
            EXPECT_EQ(Instances(), before);
        }
    }
}

TEST_F(LifecycleTest, RepeatedLoadOrUnloadKeepsTheState) {
    EXPECT_EQ(CallCommonSvcDispatch(1), 0);
    EXPECT_THAT(TakeReportDescriptions(), ElementsAreArray(ServiceReports(" != NULL")));

    Load();
    const std::vector<const void*> first = Instances();
    const std::size_t blocks = tmxhost::LiveBlocks().size();
    tmxhost::TakeTraces();
    CallCommonSvcDispatch(0);
    EXPECT_THAT(TakeReportDescriptions(), ElementsAreArray(ServiceReports(" == NULL")));
    EXPECT_EQ(Instances(), first);
    EXPECT_EQ(tmxhost::LiveBlocks().size(), blocks);
    EXPECT_FALSE(tmxhost::HasTrace("CCallVideoCLIInfo::Init : START! \n"));

    // Unload and load again: fresh services, nothing reported, nothing left over.
    Unload();
    Load();
    EXPECT_THAT(TakeReportDescriptions(), IsEmpty());
    EXPECT_TRUE(tmxhost::HasTrace("CCallVideoCLIInfo::Init : START! \n"));
    EXPECT_TRUE(tmxhost::IsClassRegistered(kModuleClassId));
    EXPECT_EQ(tmxhost::LiveBlocks().size(), blocks);
    for (const void* instance : Instances()) {
        EXPECT_NE(instance, nullptr);
    }
}

TEST_F(LifecycleTest, ServiceThatCannotBeAllocatedIsAbsentAlone) {
    for (std::size_t failed = 0; failed < std::size(kServices); ++failed) {
        SCOPED_TRACE(kServices[failed].pointerName);
        tmxhost::FailCall("MemAllocTraceEx", 0, static_cast<int>(failed) + 1);
        CallCommonSvcDispatch(0);
        tmxhost::ClearFaults();
        const std::string absent = ServiceReport(kServices[failed], " != NULL");
        EXPECT_THAT(TakeReportDescriptions(), ElementsAre(absent));
        std::vector<const void*> instances = Instances();
        for (std::size_t i = 0; i < instances.size(); ++i) {
            EXPECT_EQ(instances[i] == nullptr, i == failed) << kServices[i].pointerName;
        }
        EXPECT_THAT(TakeReportDescriptions(), ElementsAre(absent));
        EXPECT_EQ(CallCommonSvcDispatch(1), 1);
        EXPECT_THAT(TakeReportDescriptions(), ElementsAre(absent));
        EXPECT_THAT(tmxhost::LiveBlocks(), IsEmpty());
    }
}

TEST_F(LifecycleTest, UnloadDeletesInCreationOrderAndReleasesTimers) {
    Load();
    CCallVideoCLIInfo::GetInstance()->SetTimer(21, 6000);
    CCallFlashCLIInfo::GetInstance()->SetTimer(21, 6000);
    const std::string hVideo = std::to_string(tmxhost::Timers()[0].handle);
    const std::string hFlash = std::to_string(tmxhost::Timers()[1].handle);
    tmxhost::ClearCalls();
    Unload();
    EXPECT_THAT(tmxhost::CallTexts({"WmCancelTimer", "__WmDeleteTimer"}),
                ElementsAre("WmCancelTimer(" + hVideo + ")", "__WmDeleteTimer(" + hVideo + ")",
                            "WmCancelTimer(" + hFlash + ")", "__WmDeleteTimer(" + hFlash + ")"));
    tmxhost::Advance(10000);
}

TEST_F(LifecycleTest, WidgetIsOneObjectThroughEitherBase) {
    std::vector<std::string> log;
    Widget* pWidget = new Widget(&log);
    CCallTimer* pTimer = pWidget;
    ICallGraphicObject* pGraphic = pWidget;
    EXPECT_NE(static_cast<void*>(pTimer), static_cast<void*>(pGraphic));
    EXPECT_EQ(dynamic_cast<Widget*>(pTimer), pWidget);
    EXPECT_EQ(pGraphic->Show(), 2);
    EXPECT_EQ(tmxhost::LiveBlocks().size(), 1u);

    // The expiry reaches the widget's override through its timer part.
    pTimer->SetTimer(1, 100);
    pTimer->SetTimer(2, 300);
    tmxhost::Advance(100);
    EXPECT_THAT(log, ElementsAre("OnTick 1"));
    delete pTimer;
    EXPECT_THAT(log, ElementsAre("OnTick 1", "~Widget"));
    EXPECT_THAT(tmxhost::Timers(), IsEmpty());
    EXPECT_THAT(tmxhost::LiveBlocks(), IsEmpty());

    log.clear();
    pWidget = new Widget(&log);
    pWidget->SetTimer(3, 50);
    pGraphic = pWidget;
    delete pGraphic;
    EXPECT_THAT(log, ElementsAre("~Widget"));
    EXPECT_THAT(tmxhost::Timers(), IsEmpty());

    // Deleted from its own tick: released, and not armed again.
    log.clear();
    pWidget = new Widget(&log);
    pWidget->deleteOnTick = true;
    pWidget->SetTimer(4, 50);
    tmxhost::ClearCalls();
    tmxhost::Advance(1000);
    EXPECT_THAT(log, ElementsAre("OnTick 4", "~Widget"));
    EXPECT_THAT(tmxhost::CallTexts({"WmStartTimer"}), IsEmpty());
}

TEST_F(LifecycleTest, BlocksFromBeforeTheHeapRunsGoBackToTheCRuntime) {
    tmxhost::SetModuleStatus(2, 0);
    EXPECT_EQ(CallCommonSvcDispatch(0), 1);
    CCallTimer* pTimer = new CCallTimer;
    pTimer->SetTimer(1, 100);
    EXPECT_THAT(tmxhost::LiveBlocks(), IsEmpty());

    tmxhost::SetModuleStatus(2, 1);
    pTimer->SetTimer(2, 100);
    EXPECT_EQ(tmxhost::LiveBlocks().size(), 2u);
    pTimer->KillTimer(1);
    EXPECT_EQ(tmxhost::LiveBlocks().size(), 2u);
    delete pTimer;
    EXPECT_EQ(CallCommonSvcDispatch(1), 1);
    EXPECT_THAT(tmxhost::BadFrees(), IsEmpty());
}

TEST_F(LifecycleTest, ExportsOnlyTheFlatFunctionsAndCallClasses) {
    const std::set<std::string> cFunctions(std::begin(kExportedCFunctions),
                                           std::end(kExportedCFunctions));
    std::set<std::string> exportedC;
    std::vector<std::string> unexpected;
    for (const std::string& name : DynamicSymbols()) {
        if (cFunctions.count(name) != 0) {
            exportedC.insert(name);
        } else if (!BelongsToCallClass(name)) {
            unexpected.push_back(name);
        }
    }
    EXPECT_EQ(exportedC, cFunctions);
    EXPECT_THAT(unexpected, IsEmpty());
}

}  // namespace
