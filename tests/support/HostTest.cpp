#include "support/HostTest.h"

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "CallCommonSvc/H/CallCommonSvc.h"

void HostTest::SetUp() {
    tmxhost::Reset();
}

void HostTest::TearDown() {
    if (m_loaded) {
        Unload();
    }
    for (const tmxhost::Report& report : tmxhost::TakeReports()) {
        ADD_FAILURE() << "unexpected report " << report.kindName << " \"" << report.expression
                      << "\" at " << report.path << ":" << report.line;
    }
    for (const tmxhost::Block& block : tmxhost::LiveBlocks()) {
        ADD_FAILURE() << "leaked " << block.size << " bytes from " << block.path << ":"
                      << block.line;
    }
    for (const std::string& origin : tmxhost::BadFrees()) {
        ADD_FAILURE() << "free of a block that is not live, from " << origin;
    }
    for (const tmxhost::TimerView& timer : tmxhost::Timers()) {
        ADD_FAILURE() << "platform timer " << timer.handle << " (" << timer.name << ") left alive";
    }
    EXPECT_EQ(tmxhost::OpenRegistryHandles(), 0) << "registry handles left open";
    EXPECT_EQ(tmxhost::EffectPlayers(), 0) << "effect-sound players left unreleased";
    for (const tmxhost::WindowView& window : tmxhost::Windows()) {
        ADD_FAILURE() << "window " << window.handle << " left alive";
    }
    for (const tmxhost::GCView& gc : tmxhost::GCs()) {
        ADD_FAILURE() << gc.kind << " GC " << gc.handle << " left alive";
    }
    EXPECT_EQ(tmxhost::TextObjects(), 0) << "text objects left alive";
    for (const tmxhost::PlayerView& player : tmxhost::Players()) {
        ADD_FAILURE() << "video player " << player.handle << " (" << player.path << ") left alive";
    }
    for (const tmxhost::BitmapView& bitmap : tmxhost::Bitmaps()) {
        ADD_FAILURE() << "host bitmap " << bitmap.width << "x" << bitmap.height << " left alive";
    }
}

void HostTest::Load() {
    CallCommonSvcDispatch(0);
    m_loaded = true;
}

void HostTest::Unload() {
    CallCommonSvcDispatch(1);
    m_loaded = false;
}

void HostTest::ExpectReports(const std::vector<std::string>& expressions) {
    std::vector<std::string> made;
    for (const tmxhost::Report& report : tmxhost::TakeReports()) {
        made.push_back(report.expression);
    }
    EXPECT_EQ(made, expressions);
}

std::vector<std::string> HostTest::TraceTexts(unsigned channel) {
    std::vector<std::string> texts;
    for (const tmxhost::Trace& trace : tmxhost::Traces()) {
        if (channel == 0 || trace.channel == channel) {
            texts.push_back(trace.text);
        }
    }
    return texts;
}

void LoadedTest::SetUp() {
    HostTest::SetUp();
    Load();
    ExpectReports({});
}

Outcome RunCallsvc(const std::string& command, const std::string& args) {
    const std::string root = tmxhost::DataRoot();
    int status = std::system(("'" CALLSVC_TOOL_FILE "' " + command + " " + args + " --data '" +
                              root + "' >'" + root + "/out' 2>'" + root + "/err'")
                                 .c_str());
    auto read = [&](const char* name) {
        std::ifstream file(root + name);
        return std::string(std::istreambuf_iterator<char>(file), {});
    };
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, read("/out"), read("/err")};
}
