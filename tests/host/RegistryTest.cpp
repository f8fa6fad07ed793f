// Registry files on disk: round trips, refused paths, damaged files and crash-safe flushing.
#include <sys/resource.h>

#include <climits>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <random>

#include "CallCommonSvc/Platform/TmxCore.h"
#include "support/HostTest.h"

namespace fs = std::filesystem;

namespace {

class HostRegistry : public HostTest {
protected:
    static void WriteRaw(const std::string& name, const std::string& bytes) {
        std::ofstream(tmxhost::RegistryPath(name), std::ios::binary) << bytes;
    }
    static std::string ReadRaw(const std::string& name) {
        std::ifstream in(tmxhost::RegistryPath(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    // What a reader makes of a file, each field ended by a NUL (which no field can hold).
    static std::string Dump(const std::string& name) {
        std::vector<tmxhost::RegistryEntry> entries;
        EXPECT_TRUE(tmxhost::ReadRegistry(name, entries));
        std::string dump;
        for (const auto& e : entries) {
            dump += e.section + '\0' + e.key + '\0' + e.value + '\0';
        }
        return dump;
    }
};

TEST_F(HostRegistry, ChangesReachTheFileOnlyThroughFlush) {
    EXPECT_EQ(RegLoad("a.ini", 0), INVALID_HOBJ);
    EXPECT_FALSE(fs::exists(tmxhost::RegistryPath("a.ini")));
    int h = RegLoad("a.ini", 1);
    EXPECT_EQ(RegSetInt(h, "S", "int", INT_MIN) + RegSetUint64(h, "S", "u64", ULLONG_MAX) +
                  RegSetString(h, "T", "str", "hi") + RegSetSection(h, "U", "x=1\ny=2"),
              4);
    EXPECT_EQ(RegFlush(h), 1);
    EXPECT_EQ(RegSetInt(h, "S", "int", 7), 1);  // never flushed
    EXPECT_EQ(RegUnload(h) + RegUnload(h) + RegFlush(h), 1);
    EXPECT_EQ(ReadRaw("a.ini"),
              "[S]\nint=-2147483648\nu64=18446744073709551615\n[T]\nstr=hi\n[U]\nx=1\ny=2\n");
    h = RegLoad("a.ini", 0);
    EXPECT_EQ(RegGetInt(h, "S", "int", 0), INT_MIN);
    EXPECT_EQ(RegGetUint64(h, "S", "u64", 0), ULLONG_MAX);
    EXPECT_EQ(RegUnload(h) + RegClean("a.ini"), 2);
    EXPECT_EQ(RegLoad("a.ini", 0), INVALID_HOBJ);
    EXPECT_EQ(RegClean("a.ini"), 1);  // already gone is not an error
}

TEST_F(HostRegistry, PathsThatLeaveTheDataRootAreRefused) {
    const fs::path root = tmxhost::DataRoot();
    const std::string decoy = root.filename().string() + ".decoy";
    std::ofstream(root.parent_path() / decoy) << "[s]\nk=1\n";
    fs::create_directory(root / "a");
    const std::string up = "../" + decoy, deep = "a/../../" + decoy, dotted = "./../" + decoy;
    for (std::string path : {up, deep, dotted, std::string("/etc/passwd"), std::string()}) {
        EXPECT_EQ(RegLoad(path.c_str(), 0), INVALID_HOBJ) << path;
        EXPECT_EQ(RegLoad(path.c_str(), 1), INVALID_HOBJ) << path;
        EXPECT_EQ(RegClean(path.c_str()), 0) << path;
    }
    EXPECT_EQ(RegLoad(nullptr, 1) + RegClean(nullptr), INVALID_HOBJ);
    EXPECT_TRUE(fs::remove(root.parent_path() / decoy));
    EXPECT_EQ(RegUnload(RegLoad("a/inner.ini", 1)), 1);  // a folder inside the root is fine
}

TEST_F(HostRegistry, AnyTextRoundTripsExactly) {
    const std::string odd = "a=b[c]d\\e\nf\rg\\n=";
    std::string big(1 << 20, '\0');
    std::mt19937 rng(7);
    for (char& c : big) {
        c = static_cast<char>(1 + rng() % 255);  // every byte but NUL
    }
    int h = RegLoad("odd.ini", 1);
    EXPECT_EQ(RegSetString(h, odd.c_str(), odd.c_str(), big.c_str()), 1);
    EXPECT_EQ(RegFlush(h) + RegUnload(h), 2);
    const std::string raw = ReadRaw("odd.ini");
    EXPECT_EQ(std::count(raw.begin(), raw.end(), '\n'), 2);  // one header, one key
    std::vector<char> buffer(big.size() + 1);
    h = RegLoad("odd.ini", 0);
    EXPECT_EQ(RegGetString(h, odd.c_str(), odd.c_str(), "", buffer.data(), int(buffer.size())), 1);
    EXPECT_TRUE(buffer.data() == big);
    EXPECT_EQ(RegUnload(h), 1);
}

TEST_F(HostRegistry, DamagedFileKeepsTheLinesThatParse) {
    std::string text = "orphan=1\n[good]\na=1\r\n" + std::string("nul=x\0y\n", 8) + "bad=\\q\n";
    text += std::string(1 << 20, 'x') + "\nb=2\n[broken\nlost=1\n[bad\\q]\nlost=2\n[good]\nc=3";
    WriteRaw("damaged.ini", text);
    int h = RegLoad("damaged.ini", 0);
    EXPECT_EQ(RegGetInt(h, "good", "c", 0), 3);
    EXPECT_EQ(RegFlush(h) + RegUnload(h), 2);
    EXPECT_EQ(ReadRaw("damaged.ini"), "[good]\na=1\nb=2\nc=3\n");
}

TEST_F(HostRegistry, GarbageNeverCrashesAndWhatParsesSurvivesAFlush) {
    std::mt19937 rng(20240611);
    const char alphabet[] = "abnrabnrab[]=\\\n\r\0";
    std::size_t parsed = 0;
    for (int round = 0; round < 80; ++round) {
        std::string bytes = "[ab]\n";
        for (int i = rng() % 60; i > 0; --i) {
            bytes += rng() % 10 == 0 ? char(rng()) : alphabet[rng() % (sizeof(alphabet) - 1)];
            bytes += rng() % 8 == 0 ? "\n" : rng() % 8 == 0 ? "=" : "";
        }
        WriteRaw("junk.ini", bytes);
        const std::string before = Dump("junk.ini");
        int h = RegLoad("junk.ini", 0);
        ASSERT_EQ(RegFlush(h) + RegUnload(h), 2) << "round " << round;
        ASSERT_EQ(Dump("junk.ini"), before) << "round " << round;
        parsed += std::count(before.begin(), before.end(), '\0') / 3;
    }
    EXPECT_GT(parsed, 40u);  // the garbage did reach past the line checks
}

TEST_F(HostRegistry, FailedFlushLeavesTheOldFileAndNoTemporary) {
    int h = RegLoad("s.ini", 1);
    RegSetInt(h, "S", "k", 1);
    ASSERT_EQ(RegFlush(h) + RegFlush(h), 2);
    const std::string before = ReadRaw("s.ini");
    RegSetString(h, "S", "big", std::string(1 << 16, 'v').c_str());
    // The file size limit stops the temporary file half way.
    auto handler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small{4096, saved.rlim_max};
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const int flushed = RegFlush(h);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, handler);
    EXPECT_EQ(flushed, 0);
    EXPECT_EQ(ReadRaw("s.ini"), before);
    EXPECT_EQ(std::distance(fs::directory_iterator(tmxhost::DataRoot()), {}), 1);
    EXPECT_EQ(RegFlush(h) + RegUnload(h), 2);
    EXPECT_EQ(ReadRaw("s.ini").size(), before.size() + 5 + (1 << 16));
}

TEST_F(HostRegistry, ReadsFallBackToTheDefaultAndStayInTheirBuffer) {
    WriteRaw("n.ini",
             "[n]\nword=abc\ntail=12abc\nempty=\nover=2147483648\nhex=0x10\n"
             "min=-2147483648\nu=18446744073709551615\nuover=18446744073709551616\n");
    int h = RegLoad("n.ini", 0);
    for (const char* key : {"word", "tail", "empty", "over", "hex", "uover", "missing"}) {
        EXPECT_EQ(RegGetInt(h, "n", key, 55), 55) << key;
    }
    EXPECT_EQ(RegGetUint64(h, "n", "min", 9) + RegGetUint64(h, "n", "uover", 9), 18u);
    EXPECT_EQ(RegGetInt(h, "n", "min", 0), INT_MIN);
    EXPECT_EQ(RegGetUint64(h, "n", "u", 0), ULLONG_MAX);
    char buffer[8] = "#######";
    EXPECT_EQ(RegGetString(h, "n", "word", "dflt", buffer, 3), 1);
    EXPECT_EQ(std::string(buffer, 4), std::string("ab\0#", 4));
    EXPECT_EQ(RegGetString(h, "n", "missing", "default", buffer, 4), 0);
    EXPECT_EQ(std::string(buffer, 5), std::string("def\0#", 5));
    EXPECT_EQ(RegGetString(h, "n", "word", "", buffer, 0) + RegUnload(h), 1);
    EXPECT_EQ(buffer[0], 'd');  // a zero-size buffer is not touched
}

}  // namespace
