// The host's control over the contacts database: adding entries, JSON import, synthetic books.
#include <nlohmann/json.hpp>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <istream>
#include <map>
#include <set>

#include "ContactsDb.h"
#include "TmxHost.h"

namespace tmxhost {

using detail::Contacts;
using detail::Statement;

namespace {

const int kEtcRingtone = 1;
const int kEtcVibration = 24;
const int kEtcDtmf = 30;

// The contacts service's "no date".
const int kNoDateYear = 1899;
const int kNoDateMonth = 12;
const int kNoDateDay = 30;

// A savepoint: rolled back unless committed, so a failed change leaves nothing behind.
class Transaction {
public:
    Transaction() : m_open(Contacts().Execute("SAVEPOINT host_change")) {}
    ~Transaction() {
        if (m_open && !(Contacts().Execute("ROLLBACK TO host_change") &&
                        Contacts().Execute("RELEASE host_change"))) {
            // The outermost savepoint could not end (a lock held elsewhere): end it all.
            Contacts().Execute("ROLLBACK");
        }
    }
    bool Open() const { return m_open; }
    bool Commit() {
        if (!m_open) {
            return false;
        }
        if (!Contacts().Execute("RELEASE host_change")) {
            return false;  // still open: rolled back by the destructor
        }
        m_open = false;
        return true;
    }

private:
    bool m_open;
};

int LastId() {
    return static_cast<int>(Contacts().LastId());
}

bool InsertEtc(int person, int type, const std::optional<std::string>& value) {
    if (!value) {
        return true;
    }
    return Contacts()
        .Prepare("INSERT INTO etc_data(person_id, type, value) VALUES(?1, ?2, ?3)")
        .Bind(1, person)
        .Bind(2, type)
        .Bind(3, *value)
        .Run();
}

// Inserts the person with its numbers, e-mails, memberships and etc data; 0 on failure.
int InsertPerson(int primaryId, const Contact& c) {
    bool dated = c.year != 0;
    bool ok = Contacts()
                  .Prepare(
                      "INSERT INTO person(primary_id, storage, first, last, image, year, "
                      "month, day, marker) VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)")
                  .Bind(1, primaryId)
                  .Bind(2, c.storage)
                  .Bind(3, c.firstName)
                  .Bind(4, c.lastName)
                  .Bind(5, c.image)
                  .Bind(6, dated ? c.year : kNoDateYear)
                  .Bind(7, dated ? c.month : kNoDateMonth)
                  .Bind(8, dated ? c.day : kNoDateDay)
                  .Bind(9, c.representative ? INT_MIN : 0)
                  .Run();
    if (!ok) {
        return 0;
    }
    int person = LastId();
    for (const ContactNumber& number : c.numbers) {
        std::string digits = detail::DialDigits(number.number);
        ok = ok && Contacts()
                       .Prepare(
                           "INSERT INTO phone_number(person_id, primary_id, dev_type, aas_id, "
                           "phone_type, use_type, number, rdigits) "
                           "VALUES(?1, ?2, ?3, 0, ?4, 0, ?5, ?6)")
                       .Bind(1, person)
                       .Bind(2, primaryId)
                       .Bind(3, c.storage)
                       .Bind(4, number.type)
                       .Bind(5, number.number)
                       .Bind(6, std::string(digits.rbegin(), digits.rend()))
                       .Run();
    }
    for (const std::string& email : c.emails) {
        ok = ok && Contacts()
                       .Prepare(
                           "INSERT INTO email(person_id, primary_id, address) "
                           "VALUES(?1, ?2, ?3)")
                       .Bind(1, person)
                       .Bind(2, primaryId)
                       .Bind(3, email)
                       .Run();
    }
    for (int group : c.groups) {
        ok = ok && Contacts()
                       .Prepare("INSERT INTO group_member(primary_id, group_id) VALUES(?1, ?2)")
                       .Bind(1, primaryId)
                       .Bind(2, group)
                       .Run();
    }
    ok = ok && InsertEtc(person, kEtcRingtone, c.ringtone) &&
         InsertEtc(person, kEtcVibration, c.vibration) && InsertEtc(person, kEtcDtmf, c.dtmf);
    return ok ? person : 0;
}

int InsertContact(const Contact& c) {
    bool ok = Contacts()
                  .Prepare(
                      "INSERT INTO contact(dev_type, first, last, image) "
                      "VALUES(?1, ?2, ?3, ?4)")
                  .Bind(1, c.storage)
                  .Bind(2, c.firstName)
                  .Bind(3, c.lastName)
                  .Bind(4, c.image)
                  .Run();
    if (!ok) {
        return 0;
    }
    int primaryId = LastId();
    return InsertPerson(primaryId, c) != 0 ? primaryId : 0;
}

int InsertGroup(const Group& group) {
    bool ok = Contacts()
                  .Prepare(
                      "INSERT INTO contact_group(id, name, ringtone, vibration) "
                      "VALUES(?1, ?2, ?3, ?4)")
                  .Bind(1, group.id)
                  .Bind(2, group.name)
                  .Bind(3, group.ringtone)
                  .Bind(4, group.vibration)
                  .Run();
    return ok ? group.id : 0;
}

int InsertFdn(const std::string& name, const std::string& number) {
    bool ok = Contacts()
                  .Prepare("INSERT INTO fdn(name, number, digits) VALUES(?1, ?2, ?3)")
                  .Bind(1, name)
                  .Bind(2, number)
                  .Bind(3, detail::DialDigits(number))
                  .Run();
    return ok ? LastId() : 0;
}

int InsertSdn(const std::string& name, const std::string& number) {
    bool ok = Contacts()
                  .Prepare("INSERT INTO sdn(name, number) VALUES(?1, ?2)")
                  .Bind(1, name)
                  .Bind(2, number)
                  .Run();
    return ok ? LastId() : 0;
}

// Why the last change failed, taken before its rollback clears the database's message.
std::string& LastError() {
    static std::string error;
    return error;
}

// Runs `change` in a savepoint; its result stands only when the savepoint commits.
template <class Change>
auto Changed(Change change) -> decltype(change()) {
    Transaction transaction;
    auto result = transaction.Open() ? change() : decltype(change()){};
    if (!result || !transaction.Commit()) {
        LastError() = Contacts().Error();
        return {};
    }
    return result;
}

bool ClearAll() {
    return Contacts().Execute(
        "DELETE FROM contact; DELETE FROM person; DELETE FROM phone_number; DELETE FROM email; "
        "DELETE FROM contact_group; DELETE FROM group_member; DELETE FROM etc_data; "
        "DELETE FROM fdn; DELETE FROM sdn; DELETE FROM sqlite_sequence;");
}

// ---- JSON import ----------------------------------------------------------------------------
//
// The document is read as a stream of SAX events. Only the entry being read (one group, contact,
// FDN or SDN entry) is held as a value; it is checked and inserted as soon as it ends, inside the
// import's transaction, so memory stays a small multiple of one entry whatever the book's size.

using nlohmann::json;

struct ImportError {
    std::string message;
};

[[noreturn]] void Fail(const std::string& path, const std::string& problem) {
    throw ImportError{path + ": " + problem};
}

void CheckKeys(const json& object, const std::string& path,
               std::initializer_list<std::string_view> keys) {
    if (!object.is_object()) {
        Fail(path, "expected an object");
    }
    for (const auto& item : object.items()) {
        if (std::find(keys.begin(), keys.end(), item.key()) == keys.end()) {
            Fail(path, "unknown key \"" + item.key() + "\"");
        }
    }
}

std::string Join(const std::string& path, const std::string& key) {
    return path.empty() ? key : path + "." + key;
}

std::string Item(const std::string& path, std::size_t i) {
    return path + "[" + std::to_string(i) + "]";
}

std::optional<std::string> OptionalString(const json& object, const char* key,
                                          const std::string& path) {
    auto found = object.find(key);
    if (found == object.end()) {
        return std::nullopt;
    }
    if (!found->is_string()) {
        Fail(Join(path, key), "expected a string");
    }
    return found->get<std::string>();
}

std::string String(const json& object, const char* key, const std::string& path,
                   bool required = false) {
    std::optional<std::string> value = OptionalString(object, key, path);
    if (!value && required) {
        Fail(path, std::string("missing \"") + key + "\"");
    }
    return value.value_or("");
}

int Integer(const json& value, const std::string& path) {
    if (value.is_number_unsigned()) {
        if (value.get<std::uint64_t>() > static_cast<std::uint64_t>(INT_MAX)) {
            Fail(path, "out of range");
        }
        return value.get<int>();
    }
    if (value.is_number_integer()) {
        if (value.get<std::int64_t>() < INT_MIN || value.get<std::int64_t>() > INT_MAX) {
            Fail(path, "out of range");
        }
        return value.get<int>();
    }
    // Whole numbers too large for 64 bits arrive as floating point.
    if (value.is_number_float()) {
        double d = value.get<double>();
        if (std::trunc(d) == d && (d < INT_MIN || d > INT_MAX)) {
            Fail(path, "out of range");
        }
    }
    Fail(path, "expected an integer");
}

const json& Array(const json& object, const char* key, const std::string& path) {
    static const json kEmpty = json::array();
    auto found = object.find(key);
    if (found == object.end()) {
        return kEmpty;
    }
    if (!found->is_array()) {
        Fail(Join(path, key), "expected an array");
    }
    return *found;
}

void ParseDate(const std::string& text, const std::string& path, Contact& c) {
    static const int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    auto digits = [&](std::size_t from, std::size_t count) {
        int value = 0;
        for (std::size_t i = from; i < from + count; ++i) {
            if (text[i] < '0' || text[i] > '9') {
                return -1;
            }
            value = value * 10 + (text[i] - '0');
        }
        return value;
    };
    bool shaped = text.size() == 10 && text[4] == '-' && text[7] == '-';
    int year = shaped ? digits(0, 4) : -1;
    int month = shaped ? digits(5, 2) : -1;
    int day = shaped ? digits(8, 2) : -1;
    bool leap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
    if (year < 1 || month < 1 || month > 12 || day < 1 || day > kDays[month - 1] ||
        (month == 2 && day == 29 && !leap)) {
        Fail(path, "expected a date YYYY-MM-DD");
    }
    c.year = year;
    c.month = month;
    c.day = day;
}

// `group` is called with each membership's group ID and path.
template <class GroupCheck>
Contact ParseContact(const json& item, const std::string& path, GroupCheck group) {
    CheckKeys(item, path,
              {"firstName", "lastName", "storage", "image", "numbers", "emails", "groups",
               "ringtone", "vibration", "dtmf", "date"});
    Contact c;
    c.firstName = String(item, "firstName", path);
    c.lastName = String(item, "lastName", path);
    c.image = String(item, "image", path);
    std::string storage = String(item, "storage", path);
    if (storage == "sim") {
        c.storage = 2;
    } else if (storage.empty() || storage == "phone") {
        c.storage = 1;
    } else {
        Fail(Join(path, "storage"), "expected \"phone\" or \"sim\"");
    }
    const json& numbers = Array(item, "numbers", path);
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        std::string at = Item(Join(path, "numbers"), i);
        CheckKeys(numbers[i], at, {"number", "type"});
        ContactNumber number{String(numbers[i], "number", at, true), 0};
        if (numbers[i].contains("type")) {
            number.type = Integer(numbers[i]["type"], Join(at, "type"));
        }
        c.numbers.push_back(number);
    }
    const json& emails = Array(item, "emails", path);
    for (std::size_t i = 0; i < emails.size(); ++i) {
        if (!emails[i].is_string()) {
            Fail(Item(Join(path, "emails"), i), "expected a string");
        }
        c.emails.push_back(emails[i].get<std::string>());
    }
    const json& groups = Array(item, "groups", path);
    for (std::size_t i = 0; i < groups.size(); ++i) {
        std::string at = Item(Join(path, "groups"), i);
        int id = Integer(groups[i], at);
        group(id, at);
        c.groups.push_back(id);
    }
    c.ringtone = OptionalString(item, "ringtone", path);
    c.vibration = OptionalString(item, "vibration", path);
    c.dtmf = OptionalString(item, "dtmf", path);
    if (std::optional<std::string> date = OptionalString(item, "date", path)) {
        ParseDate(*date, Join(path, "date"), c);
    }
    return c;
}

// Thrown when the database refuses an entry; the database's own message says why.
struct DatabaseError {};

// SAX handler over an address book: the document object, its four lists, and in them one entry
// at a time, built as a value, then checked and inserted when it ends.
class BookReader {
public:
    // Reads and inserts the whole document; false with Error() for a document in error, or
    // with an empty Error() when the database refused a change.
    template <class Input>
    bool Read(Input&& input) {
        try {
            bool parsed = json::sax_parse(std::forward<Input>(input), this);
            if (parsed) {
                CheckGroupsResolved();
            }
            return parsed;
        } catch (const ImportError& e) {
            m_error = e.message;
        } catch (const DatabaseError&) {
        } catch (const json::exception& e) {
            m_error = std::string("not valid JSON: ") + e.what();
        }
        return false;
    }
    const std::string& Error() const { return m_error; }

    // ---- SAX events ----
    bool null() { return Value(json()); }
    bool boolean(bool value) { return Value(json(value)); }
    bool number_integer(json::number_integer_t value) { return Value(json(value)); }
    bool number_unsigned(json::number_unsigned_t value) { return Value(json(value)); }
    bool number_float(json::number_float_t value, const std::string&) { return Value(json(value)); }
    bool string(std::string& value) { return Value(json(std::move(value))); }
    bool binary(json::binary_t&) { return Value(json()); }  // not in JSON text

    bool start_object(std::size_t) { return Open(json::object()); }
    bool start_array(std::size_t) {
        if (m_state == State::kDocument) {
            // The value of a list key: its entries follow.
            m_state = State::kList;
            m_index = 0;
            return true;
        }
        return Open(json::array());
    }
    bool key(std::string& key) {
        if (m_state == State::kDocument) {
            if (key != "groups" && key != "contacts" && key != "fdn" && key != "sdn") {
                Fail("document", "unknown key \"" + key + "\"");
            }
            if (!m_lists.insert(key).second) {
                Fail("document", "duplicate key \"" + key + "\"");
            }
            m_list = key;
            return true;
        }
        Frame& frame = m_frames.back();
        if (frame.value->contains(key)) {
            Fail(PathOf(m_frames.size()), "duplicate key \"" + key + "\"");
        }
        frame.key = std::move(key);
        return true;
    }
    bool end_object() {
        if (m_state == State::kDocument) {
            m_state = State::kDone;
            return true;
        }
        return Close();
    }
    bool end_array() {
        if (m_state == State::kList) {
            m_state = State::kDocument;
            return true;
        }
        return Close();
    }
    bool parse_error(std::size_t, const std::string& token, const nlohmann::detail::exception& e) {
        // 406: a number beyond the range of a double.
        m_error = e.id == 406 ? NextPath() + ": out of range (" + token + ")"
                              : std::string("not valid JSON: ") + e.what();
        return false;
    }

private:
    enum class State { kStart, kDocument, kList, kEntry, kDone };
    struct Frame {
        json* value;
        std::string key;  // the key whose value comes next, in an object
    };
    // No entry nests deeper than a contact's list of number objects.
    static const std::size_t kMaxDepth = 8;

    // The path of the container that the first `depth` open frames lead to: each frame is the
    // last element of its parent array, or the value of its parent's current key.
    std::string PathOf(std::size_t depth) const {
        std::string path = Item(m_list, m_index);
        for (std::size_t i = 1; i < depth; ++i) {
            const Frame& parent = m_frames[i - 1];
            path = parent.value->is_array() ? Item(path, parent.value->size() - 1)
                                            : Join(path, parent.key);
        }
        return path;
    }

    // Where the next value goes.
    std::string NextPath() const {
        switch (m_state) {
            case State::kStart:
                return "document";
            case State::kDocument:
                return m_list;
            case State::kList:
                return Item(m_list, m_index);
            default:
                break;
        }
        const Frame& frame = m_frames.back();
        std::string path = PathOf(m_frames.size());
        return frame.value->is_array() ? Item(path, frame.value->size()) : Join(path, frame.key);
    }

    // Puts a scalar value, or a container about to be filled, where the next value goes.
    json* Place(json value) {
        switch (m_state) {
            case State::kStart:
                Fail("document", "expected an object");
            case State::kDocument:
                Fail(m_list, "expected an array");
            case State::kList:
                m_entry = std::move(value);
                m_state = State::kEntry;
                return &m_entry;
            case State::kEntry: {
                Frame& frame = m_frames.back();
                if (frame.value->is_array()) {
                    frame.value->push_back(std::move(value));
                    return &frame.value->back();
                }
                return &((*frame.value)[frame.key] = std::move(value));
            }
            case State::kDone:
                break;
        }
        return nullptr;
    }

    bool Value(json value) {
        bool whole = m_state == State::kList;
        Place(std::move(value));
        if (whole) {
            EndEntry();
        }
        return true;
    }

    bool Open(json container) {
        if (m_state == State::kStart && container.is_object()) {
            m_state = State::kDocument;
            return true;
        }
        if (m_frames.size() >= kMaxDepth) {
            Fail(NextPath(), "nested too deeply");
        }
        json* value = Place(std::move(container));
        m_frames.push_back(Frame{value, {}});
        return true;
    }

    bool Close() {
        m_frames.pop_back();
        if (m_frames.empty()) {
            EndEntry();
        }
        return true;
    }

    // The entry that just ended: checked, then inserted.
    void EndEntry() {
        std::string at = Item(m_list, m_index++);
        m_state = State::kList;
        bool inserted = true;
        if (m_list == "groups") {
            inserted = AddGroup(at);
        } else if (m_list == "contacts") {
            Contact c = ParseContact(m_entry, at, [&](int id, const std::string& path) {
                if (m_groups.count(id) == 0) {
                    m_unresolved.emplace(id, std::make_pair(m_references, path));
                }
                ++m_references;
            });
            inserted = InsertContact(c) != 0;
        } else {
            CheckKeys(m_entry, at, {"name", "number"});
            std::string name = String(m_entry, "name", at);
            std::string number = String(m_entry, "number", at, true);
            inserted = (m_list == "fdn" ? InsertFdn(name, number) : InsertSdn(name, number)) != 0;
        }
        m_entry = json();
        if (!inserted) {
            throw DatabaseError{};
        }
    }

    bool AddGroup(const std::string& at) {
        CheckKeys(m_entry, at, {"id", "name", "ringtone", "vibration"});
        if (!m_entry.contains("id")) {
            Fail(at, "missing \"id\"");
        }
        int id = Integer(m_entry["id"], Join(at, "id"));
        if (id <= 0 || m_groups.count(id) != 0) {
            Fail(Join(at, "id"), "expected a new positive group ID");
        }
        m_groups.insert(id);
        m_unresolved.erase(id);
        return InsertGroup(Group{id, String(m_entry, "name", at), String(m_entry, "ringtone", at),
                                 String(m_entry, "vibration", at)}) != 0;
    }

    // Groups may follow the contacts that name them; one never defined fails the import at the
    // first membership that named it.
    void CheckGroupsResolved() const {
        auto first = std::min_element(
            m_unresolved.begin(), m_unresolved.end(),
            [](const auto& a, const auto& b) { return a.second.first < b.second.first; });
        if (first != m_unresolved.end()) {
            Fail(first->second.second, "no group " + std::to_string(first->first));
        }
    }

    State m_state = State::kStart;
    std::set<std::string> m_lists;  // the lists seen in the document
    std::string m_list;
    std::size_t m_index = 0;  // of the entry in its list
    json m_entry;
    std::vector<Frame> m_frames;  // the open containers of the entry
    std::set<int> m_groups;
    // Group IDs named before their group, with the order and path of the first membership.
    std::map<int, std::pair<std::size_t, std::string>> m_unresolved;
    std::size_t m_references = 0;
    std::string m_error;
};

bool SetError(std::string* error, const std::string& message) {
    if (error != nullptr) {
        *error = message;
    }
    return false;
}

std::string DatabaseMessage() {
    return "contacts database: " + LastError();
}

// Replaces the address book with what `fill` inserts, all or nothing.
template <class Fill>
bool Replace(Fill fill, std::string* error) {
    if (!Contacts().IsOpen()) {
        return SetError(error, Contacts().Error());
    }
    bool ok = Changed([&] { return ClearAll() && fill(); });
    return ok ? true : SetError(error, DatabaseMessage());
}

template <class Input>
bool Import(Input&& input, std::string* error) {
    BookReader reader;
    if (Replace([&] { return reader.Read(std::forward<Input>(input)); }, error)) {
        return true;
    }
    if (!reader.Error().empty()) {
        SetError(error, reader.Error());
    }
    return false;
}

}  // namespace

bool UseContactsFile(const std::string& path, bool create, std::string* error) {
    auto& state = detail::ContactsStateOf();
    state.fileChosen = !path.empty();
    return state.db.Open(path, create, state.busyTimeout, error);
}

void SetContactsBusyTimeout(int ms) {
    detail::ContactsStateOf().busyTimeout = ms;
    detail::ContactsStateOf().db.SetBusyTimeout(ms);
}

ContactsProblem LastContactsProblem(std::string* message) {
    const detail::ContactsDb& db = detail::ContactsStateOf().db;
    if (message != nullptr) {
        *message = db.ProblemMessage();
    }
    return db.Problem();
}

void SetDigitsToCompare(int digits) {
    detail::ContactsStateOf().digitsToCompare = digits;
}

int AddGroup(const Group& group) {
    return Changed([&] { return InsertGroup(group); });
}

int AddContact(const Contact& contact) {
    return Changed([&] { return InsertContact(contact); });
}

int AddPerson(int primaryId, const Contact& person) {
    return Changed([&] { return InsertPerson(primaryId, person); });
}

int AddFdn(const std::string& name, const std::string& number) {
    return Changed([&] { return InsertFdn(name, number); });
}

int AddSdn(const std::string& name, const std::string& number) {
    return Changed([&] { return InsertSdn(name, number); });
}

bool DeleteContact(int primaryId) {
    return Changed([&] {
        auto remove = [&](const char* sql) {
            return Contacts().Prepare(sql).Bind(1, primaryId).Run();
        };
        bool existed = false;
        {
            Statement row = Contacts().Prepare("SELECT 1 FROM contact WHERE id = ?1");
            existed = row.Bind(1, primaryId).Step() == SQLITE_ROW;
        }
        return existed &&
               remove(
                   "DELETE FROM etc_data WHERE person_id IN "
                   "(SELECT id FROM person WHERE primary_id = ?1)") &&
               remove("DELETE FROM phone_number WHERE primary_id = ?1") &&
               remove("DELETE FROM email WHERE primary_id = ?1") &&
               remove("DELETE FROM group_member WHERE primary_id = ?1") &&
               remove("DELETE FROM person WHERE primary_id = ?1") &&
               remove("DELETE FROM contact WHERE id = ?1");
    });
}

ContactsCount CountContacts() {
    auto count = [](const char* sql) {
        Statement row = Contacts().Prepare(sql);
        return row.Step() == SQLITE_ROW ? static_cast<int>(row.Int(0)) : 0;
    };
    return ContactsCount{count("SELECT count(*) FROM contact"),
                         count("SELECT count(*) FROM phone_number"),
                         count("SELECT count(*) FROM contact_group"),
                         count("SELECT count(*) FROM fdn"), count("SELECT count(*) FROM sdn")};
}

bool ImportContacts(const std::string& text, std::string* error) {
    return Import(text, error);
}

bool ImportContacts(std::istream& input, std::string* error) {
    return Import(input, error);
}

std::string GeneratedNumber(int i) {
    // 7919 is prime to 10^8, so distinct contacts below 10^8 get distinct numbers.
    char number[32];
    std::snprintf(number, sizeof(number), "+4477%08lld",
                  (static_cast<long long>(i) * 7919) % 100000000);
    return number;
}

bool GenerateContacts(int count, std::string* error) {
    if (count < 0) {
        return SetError(error, "the count must not be negative");
    }
    return Replace(
        [&] {
            static const Group kGroups[] = {{1, "Family", "/sounds/family.mp3", "pulse"},
                                            {2, "Friends", "/sounds/friends.mp3", "heartbeat"},
                                            {3, "Work", "/sounds/work.mp3", "short"}};
            for (const Group& group : kGroups) {
                if (InsertGroup(group) == 0) {
                    return false;
                }
            }
            for (int i = 1; i <= count; ++i) {
                Contact c;
                c.firstName = "Contact";
                c.lastName = std::to_string(i);
                c.numbers.push_back(ContactNumber{GeneratedNumber(i), 1});
                if (i % 4 != 0) {
                    c.groups.push_back(i % 4);
                }
                if (InsertContact(c) == 0) {
                    return false;
                }
            }
            return true;
        },
        error);
}

}  // namespace tmxhost
