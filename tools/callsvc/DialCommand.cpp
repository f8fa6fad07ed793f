// callsvc dial: everything the library can say about one dialled string.
#include <nlohmann/json.hpp>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "CallCommonSvc/H/CallCommonSvc.h"
#include "Commands.h"
#include "Module.h"
#include "Options.h"
#include "TmxHost.h"

namespace callsvc {
namespace {

const char kUsage[] =
    "usage: callsvc dial STRING [options]\n"
    "\n"
    "Analyses one dialled string: emergency number (with the SIM and without one), SS/USSD\n"
    "string, predefined SS code, in-call command and call index, the number to dial and the\n"
    "DTMF part, caller-identity prefix, whether it can be dialled, and the prefix-dialling\n"
    "number that would apply.\n"
    "\n"
    "options:\n"
    "  --mcc N, --mnc N    the serving network (default 0 and 0: no country rules)\n"
    "  --sim none|gsm|usim the SIM (default gsm)\n"
    "  --ecc LIST          the SIM's emergency numbers, comma-separated (e.g. 112,999)\n"
    "  --json              one JSON object with the keys input, emergency, emergency_no_sim,\n"
    "                      ss_code, predefined_ss, in_call_state, call_index, call_number,\n"
    "                      call_number_found, dtmf, identity_mode, dialable,\n"
    "                      prefix_dialling_on, prefix\n"
    "  --data DIR          data folder holding the settings (prefix dialling)\n"
    "  --trace CHANNELS    print the library's trace lines of these channels to stderr\n"
    "  --help              this text\n";

const char* const kInCallStates[] = {
    "no string",
    "release held calls or set user-determined busy (0)",
    "release the active calls and accept the other (1)",
    "release call X (1X)",
    "hold the active calls and accept the other (2)",
    "private communication with call X (2X)",
    "join the calls into a conference (3)",
    "explicit call transfer (4)",
    "not an in-call command",
};

const char* const kIdentityModes[] = {
    "no identity prefix",
    "caller ID shown for this call (*31# or 1470)",
    "withheld caller ID (#31#)",
};

std::vector<std::string> SplitList(const std::string& text) {
    std::vector<std::string> items;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t comma = text.find(',', start);
        std::string item = text.substr(start, comma - start);
        if (!item.empty()) {
            items.push_back(item);
        }
        if (comma == std::string::npos) {
            break;
        }
        start = comma + 1;
    }
    return items;
}

// Sets up the network and the SIM that the options describe.
bool ConfigurePhone(const Options& options, std::string& simWords, std::string& error) {
    long long mcc = 0;
    long long mnc = 0;
    if (!ParseInteger(options.Value("--mcc", "0"), 0, 999, mcc) ||
        !ParseInteger(options.Value("--mnc", "0"), 0, 999, mnc)) {
        error = "--mcc and --mnc take numbers from 0 to 999";
        return false;
    }
    tmxhost::SetNetwork(static_cast<int>(mcc), static_cast<int>(mnc));
    std::string sim = options.Value("--sim", "gsm");
    if (sim == "none") {
        tmxhost::SetPhoneStatus(58, 1);
    } else if (sim == "gsm" || sim == "usim") {
        tmxhost::SetSimCardType(sim == "gsm" ? 0 : 1);
    } else {
        error = "--sim takes none, gsm or usim";
        return false;
    }
    std::vector<std::string> ecc = SplitList(options.Value("--ecc"));
    tmxhost::SetSimEccNumbers(ecc);
    simWords = sim == "none" ? "no SIM" : sim == "gsm" ? "GSM SIM" : "USIM";
    if (!ecc.empty()) {
        simWords += " with emergency numbers " + options.Value("--ecc");
    }
    return true;
}

// Which records decided an emergency check, from the library's traces.
std::string Decider(bool emergency, bool simAbsent, int mcc, int mnc) {
    for (const tmxhost::Trace& trace : tmxhost::Traces()) {
        if (trace.text == "CallIsEccNumber: return TRUE\n" ||
            trace.text.find("pUEccInfo[") != std::string::npos) {
            return "the SIM's emergency records";
        }
    }
    std::string list = simAbsent ? "no-SIM list" : "list";
    return std::string(emergency ? "in" : "not in") + " the " + list + " for MCC " +
           std::to_string(mcc) + " MNC " + std::to_string(mnc);
}

}  // namespace

int RunDial(int argc, char** argv, int first) {
    Options options;
    std::string error;
    if (!ParseOptions(argc, argv, first, {"--mcc", "--mnc", "--sim", "--ecc"}, {"--json"}, options,
                      error)) {
        std::fprintf(stderr, "callsvc dial: %s\n\n%s", error.c_str(), kUsage);
        return kExitUsage;
    }
    if (options.help) {
        std::fputs(kUsage, stdout);
        return kExitOk;
    }
    if (options.positional.size() != 1) {
        std::fprintf(stderr, "%s", kUsage);
        return kExitUsage;
    }
    std::string simWords;
    if (!ApplyCommonOptions(options, error) || !ConfigurePhone(options, simWords, error)) {
        std::fprintf(stderr, "callsvc dial: %s\n", error.c_str());
        return kExitUsage;
    }
    Module module;
    if (!module.Load(error)) {
        std::fprintf(stderr, "callsvc: %s\n", error.c_str());
        return kExitFailure;
    }

    const std::string& input = options.positional[0];
    const char* s = input.c_str();
    // The traces of the emergency check tell which records decided it.
    const unsigned recording = tmxhost::GetRecording();
    tmxhost::SetRecording(recording | tmxhost::kRecordTraces);
    tmxhost::TakeTraces();
    bool emergency = CallIsEccNumber(s) == 1;
    std::string decider =
        Decider(emergency, options.Value("--sim") == "none", CallGetMcc(), CallGetMnc());
    tmxhost::SetRecording(recording);
    bool emergencyNoSim = CallIsEccNumberNoSim(s) == 1;
    std::vector<char> number(input.size() + 1, '\0');
    std::vector<char> dtmf(input.size() + 1, '\0');
    bool numberFound =
        CallGetCallNumberFromTelNumber(s, number.data(), static_cast<int>(number.size())) == 1;
    CallGetDtmfNumberFromTelNumber(s, dtmf.data(), static_cast<int>(dtmf.size()));
    int inCallState = CallGetSsStateInCalling(s);
    int identityMode = CallUtilTelNumCheckIdentityMode(s);
    std::string prefix;
    char* pszPrefix = nullptr;
    if (CallGetPrefixDiallingNum(&pszPrefix) == 1) {
        prefix = pszPrefix;
        MemFreeTraceMultiHeap(pszPrefix, __FILE__, __LINE__);
    }

    nlohmann::ordered_json result;
    result["input"] = input;
    result["emergency"] = emergency;
    result["emergency_no_sim"] = emergencyNoSim;
    result["ss_code"] = CallIsSsCode(s) == 1;
    result["predefined_ss"] = CallIsPreDefinedSsCode(s) == 1;
    result["in_call_state"] = inCallState;
    result["call_index"] = CallGetSsXCalling(s);
    result["call_number"] = std::string(number.data());
    result["call_number_found"] = numberFound;
    result["dtmf"] = std::string(dtmf.data());
    result["identity_mode"] = identityMode;
    result["dialable"] = CallIsPossibleDialledNumber(s) == 1;
    result["prefix_dialling_on"] = CallIsPrefixDiallingOn();
    result["prefix"] = prefix;
    // Reports about bad input belong to the analysis, not to the output.
    tmxhost::TakeReports();

    if (options.Has("--json")) {
        std::printf("%s\n",
                    result.dump(2, ' ', false, nlohmann::json::error_handler_t::replace).c_str());
        return kExitOk;
    }
    auto yes = [](bool b) { return b ? "yes" : "no"; };
    int callIndex = result["call_index"];
    std::printf("Dial string          '%s' (%s)\n", s, simWords.c_str());
    std::printf("Emergency number     %s: %s\n", yes(emergency), decider.c_str());
    std::printf("  without a SIM      %s\n", yes(emergencyNoSim));
    std::printf("SS/USSD string       %s\n",
                result["ss_code"] ? "yes: sent to the network as a supplementary-service string"
                                  : "no: dialled as a number");
    std::printf("Predefined SS code   %s\n", yes(result["predefined_ss"]));
    std::printf("In-call command      %d: %s\n", inCallState,
                kInCallStates[inCallState >= 0 && inCallState <= 8 ? inCallState : 8]);
    std::printf("Call index           %s\n",
                callIndex < 0 ? "none" : std::to_string(callIndex).c_str());
    std::printf("Number to dial       %s\n",
                numberFound ? ("'" + std::string(number.data()) + "'").c_str() : "none");
    std::printf("DTMF after connect   %s\n",
                dtmf[0] != '\0' ? ("'" + std::string(dtmf.data()) + "'").c_str() : "none");
    std::printf("Caller identity      %d: %s\n", identityMode,
                kIdentityModes[identityMode >= 0 && identityMode <= 2 ? identityMode : 0]);
    std::printf("Dialable             %s\n", yes(result["dialable"]));
    std::printf("Prefix dialling      %s, prefix '%s'\n",
                int(result["prefix_dialling_on"]) != 0 ? "on" : "off", prefix.c_str());
    return kExitOk;
}

}  // namespace callsvc
