// The streaming JSON import of an address book on fuzzed documents. Each input is imported over
// a small base book, as a string or, for inputs of odd length, as a stream.
// An import that fails must leave the base book whole and say why; one that succeeds must be of
// a document the DOM parser accepts, holding as many entries as its lists.
#include <nlohmann/json.hpp>

#include <cstdint>
#include <sstream>
#include <string>

#include "CallCommonSvc/H/CallCommonSvc.h"
#include "FuzzSupport.h"

namespace {

const char kBase[] = R"({"groups": [{"id": 3, "name": "Work", "ringtone": "/w.mp3"}],
  "contacts": [{"firstName": "Anna", "numbers": [{"number": "+44 20 7946 0958"}], "groups": [3]},
               {"firstName": "Sim", "storage": "sim", "numbers": [{"number": "0611223344"}]}],
  "fdn": [{"name": "Office", "number": "02079460000"}], "sdn": [{"name": "Care", "number": "150"}]})";

std::size_t ListSize(const nlohmann::json& document, const char* list) {
    auto found = document.find(list);
    return found != document.end() && found->is_array() ? found->size() : 0;
}

bool SameCount(const tmxhost::ContactsCount& a, const tmxhost::ContactsCount& b) {
    return a.contacts == b.contacts && a.numbers == b.numbers && a.groups == b.groups &&
           a.fdn == b.fdn && a.sdn == b.sdn;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const int loaded = CallCommonSvcDispatch(0);  // the lookup instance
    (void)loaded;
    HostRound round;
    std::string error;
    // The base book, put back after a reset or an import that replaced it.
    static tmxhost::ContactsCount base = {};
    static bool replaced = true;
    if (replaced || tmxhost::CountContacts().contacts != base.contacts) {
        Check(tmxhost::ImportContacts(kBase, &error));
        base = tmxhost::CountContacts();
        replaced = false;
    }

    const std::string text(reinterpret_cast<const char*>(data), size);
    bool imported;
    error.clear();
    if (size % 2 == 1) {
        std::istringstream stream(text);
        imported = tmxhost::ImportContacts(stream, &error);
    } else {
        imported = tmxhost::ImportContacts(text, &error);
    }
    const nlohmann::json document = nlohmann::json::parse(text, nullptr, false);
    if (!imported) {
        Check(!error.empty());
        Check(SameCount(tmxhost::CountContacts(), base));
        CallCommonCtRecord record = {};
        Check(CallCommonSvcGetCtRecordbyNum(const_cast<char*>("02079460958"), &record) == 1);
        return 0;
    }
    replaced = true;
    Check(!document.is_discarded() && document.is_object());
    const tmxhost::ContactsCount count = tmxhost::CountContacts();
    Check(static_cast<std::size_t>(count.contacts) == ListSize(document, "contacts"));
    Check(static_cast<std::size_t>(count.groups) == ListSize(document, "groups"));
    Check(static_cast<std::size_t>(count.fdn) == ListSize(document, "fdn"));
    Check(static_cast<std::size_t>(count.sdn) == ListSize(document, "sdn"));
    return 0;
}
