// The fixture of every test: a fresh host platform before, and after, a check that nothing
// leaked and no assertion report went unexpected.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TmxHost.h"

class HostTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Loads and unloads the library through its dispatch, as the module manager does.
    // TearDown unloads a library still loaded.
    void Load();
    void Unload();

    // Takes the reports made so far and expects exactly these expressions, in order.
    void ExpectReports(const std::vector<std::string>& expressions);
    // The trace texts recorded so far, optionally only those of one channel.
    static std::vector<std::string> TraceTexts(unsigned channel = 0);

private:
    bool m_loaded = false;
};

// What one run of the program said: its exit code (-1 when it did not exit), standard output and
// standard error.
struct Outcome {
    int code;
    std::string out, err;
};

// Runs `callsvc COMMAND ARGS` on this test's data folder.
Outcome RunCallsvc(const std::string& command, const std::string& args);

// A test that runs with the library loaded; the reports of loading are expected to be none.
class LoadedTest : public HostTest {
protected:
    void SetUp() override;
};
