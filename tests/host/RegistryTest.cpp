// Registry files on disk: round trips, refused paths, damaged files, crash-safe flushing, handles
// that share a file, and files that are not plain files.
#include <sys/resource.h>
#include <sys/stat.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <random>

#include "CallCommonSvc/Platform/TmxCore.h"
#include "support/HostTest.h"

namespace fs = std::filesystem;

namespace {

class HostRegistry : public HostTest {};

void WriteRaw(const std::string& name, const std::string& bytes) {
    std::ofstream(tmxhost::RegistryPath(name), std::ios::binary) << bytes;
}

std::string ReadRaw(const std::string& name) {
    std::ifstream in(tmxhost::RegistryPath(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST_F(HostRegistry, OnlyASuccessfulFlushChangesTheFile) {
    const std::string odd = "a=b[c]d\\e\nf\rg\\n=";
    std::string big(1 << 20, '\0');
    std::mt19937 rng(7);
    std::generate(big.begin(), big.end(), [&rng] { return char(1 + rng() % 255); });  // no NUL
    EXPECT_EQ(RegLoad("a.ini", 0), INVALID_HOBJ);
    int h = RegLoad("a.ini", 1);
    EXPECT_FALSE(fs::exists(tmxhost::RegistryPath("a.ini")));
    EXPECT_EQ(RegSetInt(h, "S", "int", INT_MIN) + RegSetUint64(h, "S", "u64", ULLONG_MAX) +
                  RegSetSection(
                      h, "N",
                      "word=abc\ntail=12abc\nover=2147483648\nneg=-1\nuover=18446744073709551616\n"
                      "space= 7\nplus=+7") +
                  RegSetString(h, odd.c_str(), odd.c_str(), big.c_str()),
              4);
    EXPECT_EQ(RegFlush(h), 1);
    const std::string raw = ReadRaw("a.ini");
    EXPECT_EQ(RegSetInt(h, "S", "int", 7), 1);
    // A file size limit stops the writing half way: the old file stays whole, no temporary left.
    auto handler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit limit{4096, saved.rlim_max};
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    const int flushed = RegFlush(h);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, handler);
    EXPECT_EQ(flushed, 0);
    for (const auto& entry : fs::directory_iterator(tmxhost::DataRoot())) {
        EXPECT_THAT(entry.path().filename().string(), ::testing::AnyOf("a.ini", "a.ini.lock"));
    }
    EXPECT_EQ(RegUnload(h) + RegUnload(h) + RegFlush(h), 1);  // the change is lost
    EXPECT_TRUE(ReadRaw("a.ini") == raw);
    EXPECT_EQ(raw.substr(0, 49), "[S]\nint=-2147483648\nu64=18446744073709551615\n[N]\n");
    EXPECT_EQ(std::count(raw.begin(), raw.end(), '\n'), 13);  // odd text stays on its line
    h = RegLoad("a.ini", 0);
    EXPECT_EQ(RegGetInt(h, "S", "int", 0), INT_MIN);
    EXPECT_EQ(RegGetUint64(h, "S", "u64", 0), ULLONG_MAX);
    std::vector<char> buffer(big.size() + 1);
    EXPECT_EQ(RegGetString(h, odd.c_str(), odd.c_str(), "", buffer.data(), int(buffer.size())), 1);
    EXPECT_TRUE(buffer.data() == big);
    // Only a whole decimal number as the Set calls write them is read; anything else gives the
    // default.
    for (const char* key : {"tail", "over", "no", "space", "plus"}) {
        EXPECT_EQ(RegGetInt(h, "N", key, 5), 5) << key;
    }
    for (const char* key : {"neg", "uover", "space", "plus"}) {
        EXPECT_EQ(RegGetUint64(h, "N", key, 9), 9u) << key;
    }
    char small[10] = "#########";  // reads stay in their buffer; a zero-size one is untouched
    EXPECT_EQ(RegGetString(h, "N", "word", "", small, 3) +
                  RegGetString(h, "N", "no", "dflt", small + 4, 3) +
                  RegGetString(h, "N", "word", "", small + 8, 0),
              1);
    EXPECT_EQ(std::string(small, 10), std::string("ab\0#df\0##", 10));
    EXPECT_EQ(RegUnload(h) + RegClean("a.ini") + RegClean("a.ini"), 3);  // gone is no error
    EXPECT_EQ(RegLoad("a.ini", 0), INVALID_HOBJ);
}

TEST_F(HostRegistry, PathsThatLeaveTheDataRootAreRefused) {
    const fs::path root = tmxhost::DataRoot();
    const std::string decoy = root.filename().string() + ".decoy";
    std::ofstream(root.parent_path() / decoy) << "[s]\nk=1\n";
    fs::create_directory(root / "a");
    const std::string up = "../" + decoy, deep = "a/../../" + decoy, dotted = "./../" + decoy;
    for (const char* path : {up.c_str(), deep.c_str(), dotted.c_str(), "/etc/passwd", "",
                             static_cast<const char*>(nullptr)}) {
        EXPECT_EQ(RegLoad(path, 0) + RegLoad(path, 1) + RegClean(path), 2 * INVALID_HOBJ) << path;
    }
    EXPECT_TRUE(fs::remove(root.parent_path() / decoy));
    EXPECT_EQ(RegUnload(RegLoad("a/inner.ini", 1)), 1);  // a folder inside the root is fine
}

TEST_F(HostRegistry, DamagedFilesKeepTheLinesThatParseAndGarbageNeverCrashes) {
    std::string text = "orphan=1\n[good]\na=1\r\n" + std::string("nul=x\0y\n", 8) + "bad=\\q\n";
    text += std::string(1 << 20, 'x') + "\nb=2\n[broken\nlost=1\n[bad\\q]\nlost=2\n[good]\nc=3";
    WriteRaw("damaged.ini", text);
    int h = RegLoad("damaged.ini", 0);
    EXPECT_EQ(RegGetInt(h, "good", "c", 0), 3);
    EXPECT_EQ(RegFlush(h), 1);  // nothing changed: the file is left as it is
    EXPECT_EQ(ReadRaw("damaged.ini"), text);
    // A damaged header is skipped on its own; the lines after it stay in the section before.
    EXPECT_EQ(RegSetInt(h, "new", "d", 4) + RegFlush(h) + RegUnload(h), 3);
    EXPECT_EQ(ReadRaw("damaged.ini"), "[good]\na=1\nb=2\nlost=2\nc=3\n[new]\nd=4\n");
    std::mt19937 rng(20240611);
    const char alphabet[] = "abnrabnrab[]=\\\n\r\0";
    for (int round = 0; round < 80; ++round) {
        std::string bytes = "[ab]\n";
        for (int i = rng() % 60; i > 0; --i) {
            bytes += rng() % 10 == 0 ? char(rng()) : alphabet[rng() % (sizeof(alphabet) - 1)];
            bytes += rng() % 8 == 0 ? "\n" : rng() % 8 == 0 ? "=" : "";
        }
        WriteRaw("junk.ini", bytes);
        for (int pass = 0; pass < 2; ++pass) {  // the second flush must change nothing
            bytes = ReadRaw("junk.ini");
            h = RegLoad("junk.ini", 0);
            ASSERT_EQ(RegSetString(h, "ab", "k", "v") + RegFlush(h) + RegUnload(h), 3)
                << "round " << round;
        }
        ASSERT_EQ(ReadRaw("junk.ini"), bytes) << "round " << round;
    }
}

TEST_F(HostRegistry, HandlesOfOneFileKeepEachOthersChangesAndACreateReplacesNothing) {
    WriteRaw("s.ini", "[s]\nbase=0\n");
    const int first = RegLoad("s.ini", 0), second = RegLoad("s.ini", 0);
    EXPECT_EQ(RegSetInt(first, "s", "a", 1) + RegSetInt(second, "s", "b", 2) +
                  RegSetSection(second, "t", "x=1\n") + RegSetInt(second, "s", "base", 5),
              4);
    EXPECT_EQ(RegFlush(first) + RegFlush(second), 2);
    EXPECT_EQ(ReadRaw("s.ini"), "[s]\nbase=5\na=1\nb=2\n[t]\nx=1\n");
    EXPECT_EQ(RegGetInt(second, "s", "a", 0), 1);  // a flush brings the others' changes in
    EXPECT_EQ(RegUnload(first) + RegUnload(second), 2);

    // Two creators of one new file: the first flush makes it, the second changes nothing.
    const int one = RegLoad("n.ini", 1), two = RegLoad("n.ini", 1);
    EXPECT_EQ(RegSetInt(one, "s", "who", 1) + RegSetInt(two, "s", "who", 2), 2);
    EXPECT_EQ(RegFlush(one), 1);
    EXPECT_EQ(RegFlush(two), 0);
    EXPECT_EQ(RegLoad("n.ini", 1), INVALID_HOBJ);
    EXPECT_EQ(ReadRaw("n.ini"), "[s]\nwho=1\n");
    EXPECT_EQ(RegUnload(one) + RegUnload(two), 2);
}

// Loads reuse the parse of an unchanged file; no change on disk and no unflushed change of
// another handle may show through the reused copy.
TEST_F(HostRegistry, ReusedParsesNeverHideChangesOnDiskOrLeakUnflushedOnes) {
    WriteRaw("r.ini", "[s]\nk=1\n");
    auto get = [](const char* name) {
        const int h = RegLoad(name, 0);
        const int value = RegGetInt(h, "s", "k", -1);
        RegUnload(h);
        return value;
    };
    EXPECT_EQ(get("r.ini"), 1);

    // Rewritten in place with the same size, inode and modification time.
    const std::string path = tmxhost::RegistryPath("r.ini");
    struct stat before;
    ASSERT_EQ(stat(path.c_str(), &before), 0);
    WriteRaw("r.ini", "[s]\nk=2\n");
    const timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    EXPECT_EQ(get("r.ini"), 2);

    // A handle's change stays its own until flushed, and a dropped one is gone.
    const int changed = RegLoad("r.ini", 0), other = RegLoad("r.ini", 0);
    EXPECT_EQ(RegSetInt(changed, "s", "k", 3) + RegSetSection(changed, "t", "x=1"), 2);
    EXPECT_EQ(RegGetInt(other, "s", "k", -1), 2);
    EXPECT_EQ(RegGetInt(other, "t", "x", -1), -1);
    EXPECT_EQ(get("r.ini"), 2);
    EXPECT_EQ(RegUnload(changed), 1);
    EXPECT_EQ(get("r.ini"), 2);

    // A flush is seen by the next load, and so is a file replaced by another writer afterwards.
    const int writer = RegLoad("r.ini", 0);
    EXPECT_EQ(RegSetInt(writer, "s", "k", 4) + RegFlush(writer) + RegUnload(writer), 3);
    EXPECT_EQ(get("r.ini"), 4);
    EXPECT_EQ(RegGetInt(other, "s", "k", -1), 2);  // a handle keeps the file as it loaded it
    WriteRaw("r.ini.new", "[s]\nk=5\n");
    fs::rename(tmxhost::RegistryPath("r.ini.new"), path);
    EXPECT_EQ(get("r.ini"), 5);
    fs::remove(path);
    EXPECT_EQ(RegLoad("r.ini", 0), INVALID_HOBJ);
    EXPECT_EQ(RegUnload(other), 1);
}

TEST_F(HostRegistry, OnlyRegularFilesAreReadLinksAreWrittenThroughAndModesKept) {
    // A FIFO is refused at once; the load runs in a child so that a hang fails the test.
    ASSERT_EQ(mkfifo(tmxhost::RegistryPath("fifo.ini").c_str(), 0644), 0);
    fs::create_directory(tmxhost::RegistryPath("dir.ini"));
    const pid_t child = fork();
    if (child == 0) {
        alarm(10);
        const bool refused = RegLoad("fifo.ini", 0) == INVALID_HOBJ &&
                             RegLoad("fifo.ini", 1) == INVALID_HOBJ && RegClean("fifo.ini") == 0 &&
                             RegLoad("dir.ini", 0) == INVALID_HOBJ && RegClean("dir.ini") == 0;
        _exit(refused ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;

    // Through a relative link into another folder: the link stays, the target gets the data
    // and keeps its mode; the lock and the backup sit beside the target.
    fs::create_directory(tmxhost::RegistryPath("real"));
    WriteRaw("real/t.ini", "[s]\nk=1\n");
    fs::permissions(tmxhost::RegistryPath("real/t.ini"), fs::perms(0600));
    fs::create_symlink("real/t.ini", tmxhost::RegistryPath("link.ini"));
    int h = RegLoad("link.ini", 0);
    EXPECT_EQ(RegSetInt(h, "s", "k", 2) + RegFlush(h) + RegUnload(h), 3);
    EXPECT_TRUE(fs::is_symlink(tmxhost::RegistryPath("link.ini")));
    EXPECT_EQ(ReadRaw("real/t.ini"), "[s]\nk=2\n");
    EXPECT_EQ(fs::status(tmxhost::RegistryPath("real/t.ini")).permissions(), fs::perms(0600));
    EXPECT_TRUE(fs::exists(tmxhost::RegistryPath("real/t.ini.lock")));

    // Cleaning keeps the file as "<name>.bak", replacing an older backup, and says so once. A
    // file that someone else replaced after this process read it is not cleaned.
    WriteRaw("real/t.ini.bak", "old backup");
    tmxhost::TakeRegistryBackups();
    EXPECT_EQ(RegClean("link.ini"), 1);
    EXPECT_EQ(ReadRaw("real/t.ini.bak"), "[s]\nk=2\n");
    EXPECT_THAT(tmxhost::TakeRegistryBackups(),
                ::testing::ElementsAre(tmxhost::RegistryPath("real/t.ini.bak")));
    EXPECT_FALSE(fs::exists(tmxhost::RegistryPath("real/t.ini")));
    WriteRaw("c.ini", "[s]\nk=1\n");
    EXPECT_EQ(RegUnload(RegLoad("c.ini", 0)), 1);
    fs::rename(tmxhost::RegistryPath("c.ini"), tmxhost::RegistryPath("moved"));
    WriteRaw("c.ini", "[s]\nk=new\n");
    EXPECT_EQ(RegClean("c.ini"), 0);
    EXPECT_EQ(ReadRaw("c.ini"), "[s]\nk=new\n");
    EXPECT_TRUE(tmxhost::TakeRegistryBackups().empty());
}

}  // namespace
