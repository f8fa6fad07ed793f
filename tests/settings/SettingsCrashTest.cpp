// A process killed in the middle of saving settings must leave a usable "CallReg.ini": the old
// or the new contents, never a torn file.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <random>

#include "CallCommonSvc/H/CallCommonSvc.h"
#include "support/HostTest.h"

namespace {

const char kSet[] = "CallSetting";
const char kCounterKey[] = "CALL_REG_KEY_ANSWERING_MODE_ANY_KEY";
const char kTextKey[] = "CALL_REG_KEY_FAKE_CALL_NAME";
const std::string kCounter = std::string(kSet) + "/" + kCounterKey;
const std::string kText = std::string(kSet) + "/" + kTextKey;

// The file as "section/key" to value; empty when it cannot be read.
std::map<std::string, std::string> ReadContents() {
    std::vector<tmxhost::RegistryEntry> entries;
    std::map<std::string, std::string> contents;
    tmxhost::ReadRegistry("CallReg.ini", entries);
    for (const tmxhost::RegistryEntry& e : entries) {
        contents[e.section + "/" + e.key] = e.value;
    }
    return contents;
}

// Saves a counter and then a text made from it, over and over, telling the parent after each
// save. It carries on from the text in the file, so that the text always belongs to the saved
// counter or to the one before.
[[noreturn]] void RunWriter(const std::string& root, int progress) {
    int i = 0;
    try {
        tmxhost::SetDataRoot(root);
        CallCommonSvcDispatch(0);
        i = std::stoi(ReadContents().at(kText).substr(6)) + 1;
    } catch (...) {
        _exit(3);
    }
    for (;; ++i) {
        CallCommonSvcRegSetInt(kSet, kCounterKey, i);
        (void)!write(progress, "i", 1);
        CallCommonSvcRegSetString(kSet, kTextKey, ("value-" + std::to_string(i)).c_str());
        (void)!write(progress, "s", 1);
    }
}

class SettingsCrash : public HostTest {};

}  // namespace

TEST_F(SettingsCrash, KilledWriterLeavesTheOldOrTheNewFile) {
    char folder[] = "/tmp/settings-crash.XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string root = folder;
    struct Cleanup {
        std::string folder;
        ~Cleanup() { std::filesystem::remove_all(folder); }
    } cleanup{root};
    ASSERT_TRUE(tmxhost::SetDataRoot(root));

    // A complete file to start from; one timed save tells how long saving takes here.
    Load();
    const auto before = std::chrono::steady_clock::now();
    ASSERT_EQ(CallCommonSvcRegSetString(kSet, kTextKey, "value-0"), 1);
    const long long save = std::chrono::duration_cast<std::chrono::microseconds>(
                               std::chrono::steady_clock::now() - before)
                               .count();
    Unload();
    const std::map<std::string, std::string> initial = ReadContents();
    ASSERT_EQ(initial.size(), 30u);

    // Each writer is killed after 0 or 1 saves and a random delay of up to 3 ms, or of up to
    // one save where saving is slower, so that kills fall anywhere inside a save.
    std::mt19937 random(7);
    std::uniform_int_distribution<int> saves(0, 1);
    std::uniform_int_distribution<long long> delay(0, std::max(3000LL, save));
    const auto start = std::chrono::steady_clock::now();
    int kills = 0;
    int last = 0;
    for (; kills < 200 || std::chrono::steady_clock::now() - start < std::chrono::seconds(2);
         ++kills) {
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        fflush(nullptr);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(fds[0]);
            RunWriter(root, fds[1]);
        }
        close(fds[1]);
        char done;
        for (int n = saves(random); n > 0 && read(fds[0], &done, 1) == 1; --n) {
        }
        usleep(static_cast<useconds_t>(delay(random)));
        kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        close(fds[0]);
        ASSERT_TRUE(WIFSIGNALED(status)) << "writer ended by itself with " << status;

        std::map<std::string, std::string> now = ReadContents();
        ASSERT_EQ(now.size(), initial.size()) << "after kill " << kills;
        for (const auto& [key, value] : initial) {
            ASSERT_EQ(now.count(key), 1u) << key << " lost after kill " << kills;
        }
        ASSERT_EQ(now["Version/Version"], "10");
        const int counter = std::stoi(now[kCounter]);
        ASSERT_TRUE(now[kText] == "value-" + std::to_string(counter) ||
                    now[kText] == "value-" + std::to_string(counter - 1))
            << "counter " << counter << " with text '" << now[kText] << "' after kill " << kills;
        ASSERT_GE(counter, last) << "a saved value went back after kill " << kills;
        last = counter;
    }
    EXPECT_GT(last, 0) << "no writer ever finished a save";

    // The library takes the file as it is.
    tmxhost::ClearCalls();
    Load();
    EXPECT_TRUE(tmxhost::CallTexts({"RegClean"}).empty());
    EXPECT_EQ(CallCommonSvcRegGetInt(kSet, kCounterKey), last);
    Unload();
    tmxhost::Reset();
}
