// The registry's file parser on arbitrary file contents: a load never fails on a regular file,
// every value read back is the one listed, a flush keeps every value and adds the one set, and
// what a flush writes reads back the same and is written again byte for byte.
#include <sys/stat.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "CallCommonSvc/Platform/TmxCore.h"
#include "FuzzSupport.h"

namespace {

const char kFile[] = "fuzz.ini";

std::vector<tmxhost::RegistryEntry> Entries() {
    std::vector<tmxhost::RegistryEntry> entries;
    Check(tmxhost::ReadRegistry(kFile, entries));
    return entries;
}

std::string Raw() {
    std::ifstream in(tmxhost::RegistryPath(kFile), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

bool Same(const tmxhost::RegistryEntry& a, const tmxhost::RegistryEntry& b) {
    return a.section == b.section && a.key == b.key && a.value == b.value;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Flushes sync the file; a memory-backed folder keeps the runs fast.
    struct stat info;
    if (::stat("/dev/shm", &info) == 0 && S_ISDIR(info.st_mode)) {
        setenv("TMPDIR", "/dev/shm", 0);
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    HostRound round;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    std::ofstream(tmxhost::RegistryPath(kFile), std::ios::binary | std::ios::trunc) << bytes;

    const std::vector<tmxhost::RegistryEntry> before = Entries();
    int h = RegLoad(kFile, 0);
    Check(h != INVALID_HOBJ);
    for (const tmxhost::RegistryEntry& e : before) {
        std::vector<char> value(e.value.size() + 1, 'x');
        Check(RegGetString(h, e.section.c_str(), e.key.c_str(), "", value.data(),
                           static_cast<int>(value.size())) == 1);
        Check(value.data() == e.value);
    }
    // A value made of the input itself, in a section the input may also name.
    const std::string text = bytes.substr(0, bytes.find('\0')).substr(0, 64);
    const std::string section = before.empty() ? "s" : before.front().section;
    Check(RegSetString(h, section.c_str(), "fuzz\\key=", text.c_str()) == 1);
    Check(RegFlush(h) == 1 && RegUnload(h) == 1);

    const std::vector<tmxhost::RegistryEntry> after = Entries();
    for (const tmxhost::RegistryEntry& e : before) {
        bool kept = e.section == section && e.key == "fuzz\\key=";  // the one replaced
        for (const tmxhost::RegistryEntry& a : after) {
            kept = kept || Same(a, e);
        }
        Check(kept);
    }
    bool stored = false;
    for (const tmxhost::RegistryEntry& a : after) {
        stored = stored || Same(a, {section, "fuzz\\key=", text});
    }
    Check(stored);

    // What was written is a fixed point.
    const std::string written = Raw();
    h = RegLoad(kFile, 0);
    Check(RegSetString(h, section.c_str(), "fuzz\\key=", text.c_str()) == 1);
    Check(RegFlush(h) == 1 && RegUnload(h) == 1);
    Check(Raw() == written);
    return 0;
}
