// callsvc settings: list, read and write the call settings file through the library.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "CallCommonSvc/H/CallCommonSvc.h"
#include "Commands.h"
#include "Module.h"
#include "Options.h"
#include "TmxHost.h"

namespace callsvc {
namespace {

const char kSettingsFile[] = "CallReg.ini";

const char kUsage[] =
    "usage: callsvc settings list [options]\n"
    "       callsvc settings get SECTION KEY [--int|--u64|--str] [options]\n"
    "       callsvc settings set SECTION KEY VALUE [--int|--u64|--str] [options]\n"
    "\n"
    "Lists, reads or writes the call settings file CallReg.ini of the data folder. The library\n"
    "is loaded first, so a missing or outdated file is created with its defaults.\n"
    "\n"
    "  list            one 'SECTION KEY = VALUE' line per key, in file order\n"
    "  get             prints the value of one key\n"
    "  set             stores a value and prints the key's new line\n"
    "\n"
    "options:\n"
    "  --int, --u64, --str  the value's type: 32-bit integer, 64-bit unsigned or string\n"
    "                       (default: the type the stored value has)\n"
    "  --data DIR           data folder (default $TMXHOST_DATA_ROOT, else\n"
    "                       $XDG_DATA_HOME/callsvc or ~/.local/share/callsvc)\n"
    "  --trace CHANNELS     print the library's trace lines of these channels to stderr:\n"
    "                       comma-separated channel words such as 0xBA,0x1000E6, or all\n"
    "  --help               this text\n"
    "\n"
    "Exit codes: 0 done, 1 the library could not do it, 2 bad usage or unknown section/key.\n";

enum class ValueType { kInt, kUint64, kString };

// The type a stored value has: an int if it reads as one, a 64-bit value if it reads as that.
ValueType InferType(const std::string& stored) {
    long long ignored = 0;
    unsigned long long ignoredU = 0;
    if (ParseInteger(stored, INT32_MIN, INT32_MAX, ignored)) {
        return ValueType::kInt;
    }
    if (ParseUnsigned64(stored, ignoredU)) {
        return ValueType::kUint64;
    }
    return ValueType::kString;
}

bool ChosenType(const Options& options, ValueType& type, std::string& error) {
    int chosen = 0;
    if (options.Has("--int")) {
        type = ValueType::kInt;
        ++chosen;
    }
    if (options.Has("--u64")) {
        type = ValueType::kUint64;
        ++chosen;
    }
    if (options.Has("--str")) {
        type = ValueType::kString;
        ++chosen;
    }
    if (chosen > 1) {
        error = "give at most one of --int, --u64 and --str";
        return false;
    }
    return true;
}

// Finds the stored entry of SECTION KEY; exit code 2 with a message when there is none.
int FindEntry(const std::vector<tmxhost::RegistryEntry>& entries, const std::string& section,
              const std::string& key, const tmxhost::RegistryEntry*& found) {
    bool sectionKnown = false;
    for (const auto& entry : entries) {
        if (entry.section == section) {
            sectionKnown = true;
            if (entry.key == key) {
                found = &entry;
                return kExitOk;
            }
        }
    }
    if (!sectionKnown) {
        std::fprintf(stderr,
                     "callsvc settings: unknown section '%s' (see 'callsvc settings list')\n",
                     section.c_str());
    } else {
        std::fprintf(stderr,
                     "callsvc settings: unknown key '%s' in section '%s' (see 'callsvc settings "
                     "list')\n",
                     key.c_str(), section.c_str());
    }
    return kExitUsage;
}

std::string Get(ValueType type, const std::string& section, const std::string& key,
                std::size_t storedLength) {
    switch (type) {
        case ValueType::kInt:
            return std::to_string(CallCommonSvcRegGetInt(section.c_str(), key.c_str()));
        case ValueType::kUint64:
            return std::to_string(CallCommonSvcRegGetUint64(section.c_str(), key.c_str()));
        case ValueType::kString:
            break;
    }
    std::vector<char> buffer(storedLength + 1, '\0');
    CallCommonSvcRegGetString(section.c_str(), key.c_str(), buffer.data(),
                              static_cast<int>(buffer.size()));
    return buffer.data();
}

int Set(ValueType type, const std::string& section, const std::string& key,
        const std::string& value) {
    int stored = 0;
    switch (type) {
        case ValueType::kInt: {
            long long number = 0;
            if (!ParseInteger(value, INT32_MIN, INT32_MAX, number)) {
                std::fprintf(
                    stderr, "callsvc settings: '%s' is not a 32-bit integer (use --str for text)\n",
                    value.c_str());
                return kExitUsage;
            }
            stored = CallCommonSvcRegSetInt(section.c_str(), key.c_str(), static_cast<int>(number));
            break;
        }
        case ValueType::kUint64: {
            unsigned long long number = 0;
            if (!ParseUnsigned64(value, number)) {
                std::fprintf(stderr, "callsvc settings: '%s' is not an unsigned 64-bit number\n",
                             value.c_str());
                return kExitUsage;
            }
            stored = CallCommonSvcRegSetUint64(section.c_str(), key.c_str(), number);
            break;
        }
        case ValueType::kString:
            stored = CallCommonSvcRegSetString(section.c_str(), key.c_str(), value.c_str());
            break;
    }
    if (!stored) {
        std::fprintf(stderr, "callsvc settings: the value could not be stored in %s\n",
                     tmxhost::RegistryPath(kSettingsFile).c_str());
        return kExitFailure;
    }
    return kExitOk;
}

}  // namespace

int RunSettings(int argc, char** argv, int first) {
    Options options;
    std::string error;
    if (!ParseOptions(argc, argv, first, {}, {"--int", "--u64", "--str"}, options, error)) {
        std::fprintf(stderr, "callsvc settings: %s\n\n%s", error.c_str(), kUsage);
        return kExitUsage;
    }
    if (options.help) {
        std::fputs(kUsage, stdout);
        return kExitOk;
    }
    const std::vector<std::string>& args = options.positional;
    std::string action = args.empty() ? "" : args[0];
    std::size_t wanted = action == "list" ? 1 : action == "get" ? 3 : action == "set" ? 4 : 0;
    if (wanted == 0 || args.size() != wanted) {
        std::fprintf(stderr, "%s", kUsage);
        return kExitUsage;
    }
    ValueType type = ValueType::kString;
    bool typed = options.Has("--int") || options.Has("--u64") || options.Has("--str");
    if (!ChosenType(options, type, error) || !ApplyCommonOptions(options, error)) {
        std::fprintf(stderr, "callsvc settings: %s\n", error.c_str());
        return kExitUsage;
    }

    Module module;
    if (!module.Load(error)) {
        std::fprintf(stderr, "callsvc: %s\n", error.c_str());
        return kExitFailure;
    }
    std::vector<tmxhost::RegistryEntry> entries;
    if (!tmxhost::ReadRegistry(kSettingsFile, entries)) {
        std::fprintf(stderr, "callsvc settings: cannot read %s\n",
                     tmxhost::RegistryPath(kSettingsFile).c_str());
        return kExitFailure;
    }
    if (action == "list") {
        for (const auto& entry : entries) {
            std::printf("%s %s = %s\n", entry.section.c_str(), entry.key.c_str(),
                        entry.value.c_str());
        }
        return kExitOk;
    }

    const tmxhost::RegistryEntry* entry = nullptr;
    if (int code = FindEntry(entries, args[1], args[2], entry); code != kExitOk) {
        return code;
    }
    if (!typed) {
        type = InferType(entry->value);
    }
    if (action == "set") {
        if (int code = Set(type, args[1], args[2], args[3]); code != kExitOk) {
            return code;
        }
        std::printf("%s %s = %s\n", args[1].c_str(), args[2].c_str(),
                    Get(type, args[1], args[2], args[3].size()).c_str());
        return kExitOk;
    }
    std::printf("%s\n", Get(type, args[1], args[2], entry->value.size()).c_str());
    return kExitOk;
}

}  // namespace callsvc
