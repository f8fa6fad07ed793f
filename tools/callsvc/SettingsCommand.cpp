// callsvc settings: list, read and write the call settings file through the library.
#include <cstdint>
#include <cstdio>
#include <map>
#include <utility>
#include <vector>

#include "CallCommonSvc/H/CallCommonSvc.h"
#include "CallCommonSvc/Platform/TmxCore.h"
#include "CallCommonSvc/Util/CallRegDefaults.h"
#include "Commands.h"
#include "Module.h"
#include "Options.h"
#include "TmxHost.h"

namespace callsvc {
namespace {

const char kSettingsFile[] = "CallReg.ini";

const char kTypesFile[] = "CallRegTypes.ini";

const char kUsage[] =
    "usage: callsvc settings list [options]\n"
    "       callsvc settings get SECTION KEY [--int|--u64|--str] [options]\n"
    "       callsvc settings set SECTION KEY VALUE [--int|--u64|--str] [options]\n"
    "\n"
    "Lists, reads or writes the call settings file CallReg.ini of the data folder. The library\n"
    "is loaded first, so a missing or outdated file is created with its defaults (an outdated\n"
    "or unreadable one is kept as CallReg.ini.bak).\n"
    "\n"
    "  list            one 'SECTION KEY = VALUE' line per key, in file order\n"
    "  get             prints the value of one key\n"
    "  set             stores a value and prints the key's new line\n"
    "\n"
    "options:\n"
    "  --int, --u64, --str  the value's type: 32-bit integer, 64-bit unsigned or string.\n"
    "                       Each of the library's 28 settings has its own type: set refuses\n"
    "                       another one, get reads the value as the type given. Other keys\n"
    "                       are strings unless a set gave them a type.\n"
    "  --data DIR           data folder (default $TMXHOST_DATA_ROOT, else\n"
    "                       $XDG_DATA_HOME/callsvc or ~/.local/share/callsvc)\n"
    "  --trace CHANNELS     print the library's trace lines of these channels to stderr:\n"
    "                       comma-separated channel words such as 0xBA,0x1000E6, or all\n"
    "  --help               this text\n"
    "\n"
    "Exit codes: 0 done; 1 the library could not store the value, or the stored value is not\n"
    "of the type asked for; 2 bad usage, a value not of the key's type, or an unknown\n"
    "section or key.\n";

enum class ValueType { kInt, kUint64, kString };

const char* TypeName(ValueType type) {
    switch (type) {
        case ValueType::kInt:
            return "int";
        case ValueType::kUint64:
            return "u64";
        case ValueType::kString:
            break;
    }
    return "str";
}

const char* TypeText(ValueType type) {
    switch (type) {
        case ValueType::kInt:
            return "a 32-bit integer";
        case ValueType::kUint64:
            return "an unsigned 64-bit number";
        case ValueType::kString:
            break;
    }
    return "a string";
}

// The type of one of the library's settings, from its default.
bool SettingType(const std::string& section, const std::string& key, ValueType& type) {
    for (const CallRegDefaultValue& d : g_CallRegDefaults) {
        if (section == d.szSection && key == d.szKey) {
            type = d.type == CALL_REG_TYPE_INT      ? ValueType::kInt
                   : d.type == CALL_REG_TYPE_UINT64 ? ValueType::kUint64
                                                    : ValueType::kString;
            return true;
        }
    }
    return false;
}

// Keys outside the library's settings keep a type only when a set named it; those types are
// kept in a registry file of their own beside the settings.
bool RecordedType(const std::string& section, const std::string& key, ValueType& type) {
    std::vector<tmxhost::RegistryEntry> entries;
    tmxhost::ReadRegistry(kTypesFile, entries);
    for (const auto& entry : entries) {
        if (entry.section == section && entry.key == key) {
            for (ValueType known : {ValueType::kInt, ValueType::kUint64, ValueType::kString}) {
                if (entry.value == TypeName(known)) {
                    type = known;
                    return true;
                }
            }
        }
    }
    return false;
}

bool RecordType(const std::string& section, const std::string& key, ValueType type) {
    for (int attempt = 0; attempt < 2; ++attempt) {  // a second try if another process made it
        int hReg = RegLoad(kTypesFile, 0);
        if (hReg == INVALID_HOBJ) {
            hReg = RegLoad(kTypesFile, 1);
        }
        if (hReg == INVALID_HOBJ) {
            continue;
        }
        bool saved = RegSetString(hReg, section.c_str(), key.c_str(), TypeName(type)) != 0 &&
                     RegFlush(hReg) != 0;
        RegUnload(hReg);
        if (saved) {
            return true;
        }
    }
    return false;
}

bool ChosenType(const Options& options, ValueType& type, bool& typed, std::string& error) {
    int chosen = 0;
    for (ValueType option : {ValueType::kInt, ValueType::kUint64, ValueType::kString}) {
        if (options.Has(std::string("--") + TypeName(option))) {
            type = option;
            ++chosen;
        }
    }
    if (chosen > 1) {
        error = "give at most one of --int, --u64 and --str";
        return false;
    }
    typed = chosen == 1;
    return true;
}

// Whether `text` is a value of `type`, written as that type writes it.
bool IsOfType(ValueType type, const std::string& text) {
    std::int32_t number = 0;
    unsigned long long unsignedNumber = 0;
    switch (type) {
        case ValueType::kInt:
            return ParseNumber(text, number);
        case ValueType::kUint64:
            return ParseNumber(text, unsignedNumber);
        case ValueType::kString:
            break;
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
    if (!IsOfType(type, value)) {
        std::fprintf(stderr, "callsvc settings: '%s' is not %s; %s %s holds %s\n", value.c_str(),
                     TypeText(type), section.c_str(), key.c_str(), TypeText(type));
        return kExitUsage;
    }
    int stored = 0;
    switch (type) {
        case ValueType::kInt: {
            std::int32_t number = 0;
            ParseNumber(value, number);
            stored = CallCommonSvcRegSetInt(section.c_str(), key.c_str(), number);
            break;
        }
        case ValueType::kUint64: {
            unsigned long long number = 0;
            ParseNumber(value, number);
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

// What was wrong, then the usage text.
int UsageError(const std::string& error) {
    std::fprintf(stderr, "callsvc settings: %s\n\n%s", error.c_str(), kUsage);
    return kExitUsage;
}

}  // namespace

int RunSettings(int argc, char** argv, int first) {
    Options options;
    std::string error;
    if (!ParseOptions(argc, argv, first, {}, {"--int", "--u64", "--str"}, options, error)) {
        return UsageError(error);
    }
    if (options.help) {
        std::fputs(kUsage, stdout);
        return kExitOk;
    }
    const std::vector<std::string>& args = options.positional;
    if (args.empty()) {
        return UsageError("missing action: list, get or set");
    }
    const std::string& action = args[0];
    const std::map<std::string, std::pair<std::size_t, const char*>> actions = {
        {"list", {1, "'list' takes no arguments"}},
        {"get", {3, "'get' takes SECTION KEY"}},
        {"set", {4, "'set' takes SECTION KEY VALUE"}}};
    auto wanted = actions.find(action);
    if (wanted == actions.end()) {
        return UsageError("unknown action '" + action + "'");
    }
    if (args.size() != wanted->second.first) {
        return UsageError(wanted->second.second);
    }
    ValueType type = ValueType::kString;
    bool typed = false;
    if (!ChosenType(options, type, typed, error) || !ApplyCommonOptions(options, error)) {
        return UsageError(error);
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

    const std::string& section = args[1];
    const std::string& key = args[2];
    const tmxhost::RegistryEntry* entry = nullptr;
    if (int code = FindEntry(entries, section, key, entry); code != kExitOk) {
        return code;
    }
    // The type is the setting's own, never guessed from the text stored.
    ValueType own = ValueType::kString;
    const bool setting = SettingType(section, key, own);
    if (!setting) {
        RecordedType(section, key, own);
    }
    if (!typed) {
        type = own;
    }
    if (action == "set") {
        if (setting && type != own) {
            std::fprintf(stderr, "callsvc settings: %s %s holds %s; --%s does not apply\n",
                         section.c_str(), key.c_str(), TypeText(own), TypeName(type));
            return kExitUsage;
        }
        if (int code = Set(type, section, key, args[3]); code != kExitOk) {
            return code;
        }
        if (!setting && typed && !RecordType(section, key, type)) {
            std::fprintf(stderr, "callsvc settings: the type of %s %s could not be kept in %s\n",
                         section.c_str(), key.c_str(), tmxhost::RegistryPath(kTypesFile).c_str());
        }
        std::printf("%s %s = %s\n", section.c_str(), key.c_str(),
                    Get(type, section, key, args[3].size()).c_str());
        return kExitOk;
    }
    if (!IsOfType(type, entry->value)) {
        std::fprintf(stderr, "callsvc settings: %s %s holds '%s', which is not %s\n",
                     section.c_str(), key.c_str(), entry->value.c_str(), TypeText(type));
        return kExitFailure;
    }
    std::printf("%s\n", Get(type, section, key, entry->value.size()).c_str());
    return kExitOk;
}

}  // namespace callsvc
