// callsvc contacts: the address book behind caller identification.
#include <nlohmann/json.hpp>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
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
    "\n"
    "options:\n"
    "  --fdn-mode          lookup: the SIM is in fixed-dialling mode\n"
    "  --last-name-first   lookup: the contacts view shows the last name first\n"
    "  --json              lookup: one JSON object with the record's fields, found and\n"
    "                      displayName\n"
    "  --data DIR          data folder holding contacts.db\n"
    "  --trace CHANNELS    print the library's trace lines of these channels to stderr\n"
    "  --help              this text\n";

const int kNvContactsViewOrder = 1417;
const int kBusyTimeoutMs = 2000;

std::string DatabasePath() {
    return tmxhost::DataRoot() + "/contacts.db";
}

bool ReadInput(const std::string& name, std::string& text, std::string& error) {
    std::ostringstream content;
    if (name == "-") {
        content << std::cin.rdbuf();
    } else {
        std::ifstream file(name, std::ios::binary);
        if (!file) {
            error = "cannot read " + name;
            return false;
        }
        content << file.rdbuf();
    }
    text = content.str();
    return true;
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
    if (!tmxhost::UseContactsFile(DatabasePath(), false, &error)) {
        std::fprintf(stderr, "callsvc contacts: %s (import or generate an address book first)\n",
                     error.c_str());
        return kExitFailure;
    }
    tmxhost::SetContactsBusyTimeout(kBusyTimeoutMs);
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
    if (options.Has("--json")) {
        std::printf("%s\n", ToJson(record, found, displayName)
                                .dump(2, ' ', false, nlohmann::json::error_handler_t::replace)
                                .c_str());
    } else {
        PrintRecord(number, record, found, displayName, ms);
    }
    return found ? kExitOk : kExitFailure;
}

}  // namespace

int RunContacts(int argc, char** argv, int first) {
    Options options;
    std::string error;
    if (!ParseOptions(argc, argv, first, {}, {"--fdn-mode", "--last-name-first", "--json"}, options,
                      error)) {
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
    if (args[0] == "lookup") {
        return Lookup(options, args[1]);
    }

    long long count = 0;
    std::string text;
    if (args[0] == "generate" && !ParseInteger(args[1], 0, 10000000, count)) {
        std::fprintf(stderr, "callsvc contacts: generate takes a count from 0 to 10000000\n");
        return kExitUsage;
    }
    if (args[0] == "import" && !ReadInput(args[1], text, error)) {
        std::fprintf(stderr, "callsvc contacts: %s\n", error.c_str());
        return kExitFailure;
    }
    if (!tmxhost::UseContactsFile(DatabasePath(), true, &error)) {
        std::fprintf(stderr, "callsvc contacts: %s\n", error.c_str());
        return kExitFailure;
    }
    tmxhost::SetContactsBusyTimeout(kBusyTimeoutMs);
    bool ok = args[0] == "import" ? tmxhost::ImportContacts(text, &error)
                                  : tmxhost::GenerateContacts(static_cast<int>(count), &error);
    if (!ok) {
        std::fprintf(stderr, "callsvc contacts: %s: %s\n", args[1].c_str(), error.c_str());
        return kExitFailure;
    }
    PrintSummary(args[0] == "import" ? "imported" : "generated");
    if (args[0] == "generate" && count > 0) {
        std::printf("try: callsvc contacts lookup %s\n",
                    tmxhost::GeneratedNumber(static_cast<int>(count)).c_str());
    }
    return kExitOk;
}

}  // namespace callsvc
