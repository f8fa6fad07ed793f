// Command-line parsing shared by the subcommands.
#pragma once

#include <charconv>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace callsvc {

enum ExitCode { kExitOk = 0, kExitFailure = 1, kExitUsage = 2 };

struct Options {
    std::vector<std::string> positional;
    std::map<std::string, std::string> values;  // --name VALUE
    std::vector<std::string> flags;             // --name
    bool help = false;

    bool Has(const std::string& flag) const;
    std::string Value(const std::string& name, const std::string& fallback = "") const;
};

// Parses argv[first..]. `valued` lists the options that take a value (--data and --trace always
// do); `known` the flags without one. False with a message for anything else.
bool ParseOptions(int argc, char** argv, int first, const std::vector<std::string>& valued,
                  const std::vector<std::string>& known, Options& options, std::string& error);

// A whole-string decimal number of type T: no sign for unsigned types, no '+', no spaces.
template <typename T>
bool ParseNumber(const std::string& text, T& value) {
    const char* end = text.data() + text.size();
    auto [stop, error] = std::from_chars(text.data(), end, value);
    return error == std::errc() && stop == end;
}

// A whole-string decimal number within [low, high].
bool ParseInteger(const std::string& text, long long low, long long high, long long& value);

// "WxH" with both sides from 1 to maxSide.
bool ParseSize(const std::string& text, int maxSide, int& width, int& height);

// Has `write` make the file under a temporary name beside `path` and renames it into place, so
// that a failed write leaves no partial file. `error` names the path and the cause.
bool WriteInPlace(const std::string& path,
                  const std::function<bool(const std::string& temporary, std::string* why)>& write,
                  std::string& error);

// Applies the options every subcommand takes: --data DIR and --trace CHANNELS.
bool ApplyCommonOptions(const Options& options, std::string& error);

}  // namespace callsvc
