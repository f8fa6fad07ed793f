// callsvc contacts: the address book behind caller identification.
#include <nlohmann/json.hpp>

#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>

#include "CallCommonSvc/H/CallCommonSvc.h"
#include "Commands.h"
#include "Module.h"
#include "Options.h"
#include "TmxHost.h"

namespace callsvc {
namespace {

const char kUsage[] =
    "usage: callsvc contacts import FILE.json [options]\n"
    "       callsvc contacts generate N [options]\n"
    "       callsvc contacts lookup NUMBER [options]\n"
    "\n"
    "The address book lives in contacts.db in the data folder.\n"
    "  import    replaces it with a JSON address book (groups, contacts, fdn, sdn; see the\n"
    "            README); FILE '-' reads standard input\n"
    "  generate  replaces it with N synthetic contacts (numbers +4477 and eight digits)\n"
    "  lookup    identifies a caller as the call screen does: the contacts, then the SIM's\n"
    "            fixed dialling numbers (FDN), or the FDN first in fixed-dialling mode\n"
    "Lookups go on reading the old address book while an import writes the new one.\n"
    "\n"
    "options:\n"
    "  --fdn-mode          lookup: the SIM is in fixed-dialling mode\n"
    "  --last-name-first   lookup: the contacts view shows the last name first\n"
    "  --json              lookup: one JSON object with the record's fields, found and\n"
    "                      displayName\n"
    "  --force             import, generate: replace a contacts.db that is damaged or not a\n"
    "                      contacts database\n"
    "  --wait MS           how long to wait for an address book that another process holds\n"
    "                      locked (default 3000)\n"
    "  --data DIR          data folder holding contacts.db\n"
    "  --trace CHANNELS    print the library's trace lines of these channels to stderr\n"
    "  --help              this text\n"
    "\n"
    "exit codes:\n"
    "  0  done; lookup: the caller was found\n"
    "  1  lookup: an unknown caller; import: the file is in error (nothing changed)\n"
    "  2  usage error\n"
    "  3  the address book is missing, locked, damaged or not a contacts database\n";

const int kNvContactsViewOrder = 1417;
const int kDefaultWaitMs = 3000;
// The address book cannot be used; distinct from an unknown caller.
const int kExitNoAddressBook = 3;

std::string DatabasePath() {
    return tmxhost::DataRoot() + "/contacts.db";
}

// Removes a database file with the journal files SQLite keeps beside it.
void RemoveDatabase(const std::string& path, bool withMain) {
    for (const char* suffix : {"-wal", "-shm", "-journal"}) {
        std::remove((path + suffix).c_str());
    }
    if (withMain) {
        std::remove(path.c_str());
    }
}

// Says what keeps the address book from being used, and what to do about it.
int AddressBookFailure(bool writing) {
    std::string message;
    const char* hint = nullptr;
    switch (tmxhost::LastContactsProblem(&message)) {
        case tmxhost::ContactsProblem::kMissing:
            hint = "no address book yet: import or generate one first";
            break;
        case tmxhost::ContactsProblem::kLocked:
            hint = "another process holds the address book locked; try again when it is done";
            break;
        case tmxhost::ContactsProblem::kDamaged:
        case tmxhost::ContactsProblem::kForeign:
            hint =
                writing ? "--force replaces it" : "import or generate with --force to replace it";
            break;
        case tmxhost::ContactsProblem::kUnusable:
        case tmxhost::ContactsProblem::kNone:
            break;
    }
    if (message.empty()) {
        message = DatabasePath() + ": cannot be used";
    }
    std::fprintf(stderr, "callsvc contacts: %s%s%s%s\n", message.c_str(), hint ? " (" : "",
                 hint ? hint : "", hint ? ")" : "");
    return kExitNoAddressBook;
}

// Opens the JSON file to import; "-" is standard input.
std::istream* OpenInput(const std::string& name, std::ifstream& file, std::string& error) {
    if (name == "-") {
        return &std::cin;
    }
    struct stat info;
    if (stat(name.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
        error = name + " is a folder, not a JSON file";
        return nullptr;
    }
    file.open(name, std::ios::binary);
    if (!file) {
        error = "cannot read " + name + ": " + std::strerror(errno);
        return nullptr;
    }
    return &file;
}

void PrintSummary(const char* verb) {
    tmxhost::ContactsCount count = tmxhost::CountContacts();
    std::printf("%s %d contacts with %d numbers, %d groups, %d FDN and %d SDN entries into %s\n",
                verb, count.contacts, count.numbers, count.groups, count.fdn, count.sdn,
                DatabasePath().c_str());
}

const char* RecordKind(int kind) {
    switch (kind) {
        case 0:
            return "contact";
        case 1:
            return "fixed dialling number";
        default:
            return "SIM entry (FDN or SDN)";
    }
}

nlohmann::ordered_json ToJson(const CallCommonCtRecord& r, bool found,
                              const std::string& displayName) {
    nlohmann::ordered_json j;
    j["found"] = found;
    j["nPrimaryId"] = r.nPrimaryId;
    j["nPersonId"] = r.nPersonId;
    j["nDataID"] = r.nDataID;
    j["nFdnId"] = r.nFdnId;
    j["szFirstName"] = r.szFirstName;
    j["szLastName"] = r.szLastName;
    j["nPhoneNumberId"] = r.nPhoneNumberId;
    j["nPhoneNumberId2"] = r.nPhoneNumberId2;
    j["szRingtone"] = r.szRingtone;
    j["szVibration"] = r.szVibration;
    j["szImage"] = r.szImage;
    j["szDtmf"] = r.szDtmf;
    j["PhoneNumberInfo"] = {{"nAasId", r.PhoneNumberInfo.nAasId},
                            {"PhoneType", r.PhoneNumberInfo.PhoneType},
                            {"UseType", r.PhoneNumberInfo.UseType},
                            {"szPhoneNumber", r.PhoneNumberInfo.szPhoneNumber}};
    j["nDevType"] = r.nDevType;
    j["nRecordKind"] = r.nRecordKind;
    j["nYear"] = r.nYear;
    j["nMonth"] = r.nMonth;
    j["nDay"] = r.nDay;
    j["displayName"] = displayName;
    return j;
}

void PrintRecord(const std::string& number, const CallCommonCtRecord& r, bool found,
                 const std::string& displayName, double ms) {
    std::printf("Caller          '%s' (looked up in %.2f ms)\n", number.c_str(), ms);
    if (!found) {
        std::printf("Found           no: an unknown caller\n");
        return;
    }
    auto line = [](const char* label, const char* value) {
        std::printf("%-16s%s\n", label, value[0] != '\0' ? value : "-");
    };
    std::printf("Found           yes: %s %d%s\n", RecordKind(r.nRecordKind),
                r.nRecordKind == 0   ? r.nPrimaryId
                : r.nRecordKind == 1 ? r.nFdnId
                                     : r.nPersonId,
                r.nDevType == 2 ? " (on the SIM)" : " (in the phone's memory)");
    line("Display name", displayName.c_str());
    std::printf("%-16s%s (type %d)\n", "Number",
                r.PhoneNumberInfo.szPhoneNumber[0] != '\0' ? r.PhoneNumberInfo.szPhoneNumber : "-",
                r.PhoneNumberInfo.PhoneType);
    line("Picture", r.szImage);
    line("Ringtone", r.szRingtone);
    line("Vibration", r.szVibration);
    line("DTMF", r.szDtmf);
    if (r.nYear != 0) {
        std::printf("%-16s%04d-%02d-%02d\n", "Date", r.nYear, r.nMonth, r.nDay);
    }
    std::printf("%-16s%d: %s\n", "Record kind", r.nRecordKind, RecordKind(r.nRecordKind));
}

int Lookup(const Options& options, const std::string& number) {
    std::string error;
    if (!tmxhost::UseContactsFile(DatabasePath(), false)) {
        return AddressBookFailure(false);
    }
    tmxhost::SetTapiResult("SimGetFdnEnable", options.Has("--fdn-mode") ? 1 : 0);
    tmxhost::SetNvInt(kNvContactsViewOrder, options.Has("--last-name-first") ? 1 : 0);
    Module module;
    if (!module.Load(error)) {
        std::fprintf(stderr, "callsvc: %s\n", error.c_str());
        return kExitFailure;
    }

    CallCommonCtRecord record = {};
    std::vector<char> input(number.begin(), number.end());
    input.push_back('\0');
    auto start = std::chrono::steady_clock::now();
    bool found = CallCommonSvcGetCtRecordbyNum(input.data(), &record) == 1;
    double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    char displayName[302] = "";
    if (found) {
        CallCommonSvcGetDisplayName(record.szFirstName, record.szLastName, displayName);
    }
    // Reports about bad input belong to the lookup, not to the output.
    tmxhost::TakeReports();
    // A caller is unknown only when the book could be read.
    if (!found && tmxhost::LastContactsProblem() != tmxhost::ContactsProblem::kNone) {
        return AddressBookFailure(false);
    }
    if (options.Has("--json")) {
        std::printf("%s\n", ToJson(record, found, displayName)
                                .dump(2, ' ', false, nlohmann::json::error_handler_t::replace)
                                .c_str());
    } else {
        PrintRecord(number, record, found, displayName, ms);
    }
    return found ? kExitOk : kExitFailure;
}

// Import or generate into the data folder's address book. A damaged or foreign contacts.db is
// replaced with --force only: the new book is built beside it and renamed over it once complete.
int Fill(const Options& options, const std::string& what, const std::string& argument) {
    long long count = 0;
    std::ifstream file;
    std::istream* input = nullptr;
    std::string error;
    if (what == "generate" && !ParseInteger(argument, 0, 10000000, count)) {
        std::fprintf(stderr, "callsvc contacts: generate takes a count from 0 to 10000000\n");
        return kExitUsage;
    }
    if (what == "import" && (input = OpenInput(argument, file, error)) == nullptr) {
        std::fprintf(stderr, "callsvc contacts: %s\n", error.c_str());
        return kExitFailure;
    }
    const std::string path = DatabasePath();
    std::string target = path;
    if (!tmxhost::UseContactsFile(path, true)) {
        tmxhost::ContactsProblem problem = tmxhost::LastContactsProblem();
        if (!options.Has("--force") || (problem != tmxhost::ContactsProblem::kDamaged &&
                                        problem != tmxhost::ContactsProblem::kForeign)) {
            return AddressBookFailure(true);
        }
        target = path + ".new";
        RemoveDatabase(target, true);
        if (!tmxhost::UseContactsFile(target, true)) {
            return AddressBookFailure(true);
        }
    }
    bool ok = what == "import" ? tmxhost::ImportContacts(*input, &error)
                               : tmxhost::GenerateContacts(static_cast<int>(count), &error);
    bool bookProblem = tmxhost::LastContactsProblem() != tmxhost::ContactsProblem::kNone;
    if (!ok) {
        int code = bookProblem ? AddressBookFailure(true) : kExitFailure;
        if (!bookProblem) {
            std::fprintf(stderr, "callsvc contacts: %s: %s\n", argument.c_str(), error.c_str());
        }
        if (target != path) {
            tmxhost::UseContactsFile("", true);
            RemoveDatabase(target, true);
        }
        return code;
    }
    if (target != path) {
        tmxhost::UseContactsFile("", true);  // the last connection: the new book is whole
        RemoveDatabase(path, false);
        if (std::rename(target.c_str(), path.c_str()) != 0) {
            std::fprintf(stderr, "callsvc contacts: cannot replace %s: %s\n", path.c_str(),
                         std::strerror(errno));
            RemoveDatabase(target, true);
            return kExitNoAddressBook;
        }
        std::fprintf(stderr,
                     "callsvc contacts: replaced %s, which was not a usable contacts "
                     "database\n",
                     path.c_str());
        tmxhost::UseContactsFile(path, false);
    }
    PrintSummary(what == "import" ? "imported" : "generated");
    if (what == "generate" && count > 0) {
        std::printf("try: callsvc contacts lookup %s\n",
                    tmxhost::GeneratedNumber(static_cast<int>(count)).c_str());
    }
    return kExitOk;
}

}  // namespace

int RunContacts(int argc, char** argv, int first) {
    Options options;
    std::string error;
    if (!ParseOptions(argc, argv, first, {"--wait"},
                      {"--fdn-mode", "--last-name-first", "--json", "--force"}, options, error)) {
        std::fprintf(stderr, "callsvc contacts: %s\n\n%s", error.c_str(), kUsage);
        return kExitUsage;
    }
    if (options.help) {
        std::fputs(kUsage, stdout);
        return kExitOk;
    }
    const std::vector<std::string>& args = options.positional;
    if (args.size() != 2 || (args[0] != "import" && args[0] != "generate" && args[0] != "lookup")) {
        std::fprintf(stderr, "%s", kUsage);
        return kExitUsage;
    }
    if (!ApplyCommonOptions(options, error)) {
        std::fprintf(stderr, "callsvc contacts: %s\n", error.c_str());
        return kExitUsage;
    }
    long long wait = kDefaultWaitMs;
    if (!ParseInteger(options.Value("--wait", std::to_string(kDefaultWaitMs)), 0, 3600000, wait)) {
        std::fprintf(stderr, "callsvc contacts: --wait takes milliseconds from 0 to 3600000\n");
        return kExitUsage;
    }
    tmxhost::SetContactsBusyTimeout(static_cast<int>(wait));
    return args[0] == "lookup" ? Lookup(options, args[1]) : Fill(options, args[0], args[1]);
}

}  // namespace callsvc
