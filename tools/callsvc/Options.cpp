#include "Options.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "TmxHost.h"

namespace callsvc {

bool ParseSize(const std::string& text, int maxSide, int& width, int& height) {
    const std::size_t x = text.find('x');
    long long w = 0;
    long long h = 0;
    if (x == std::string::npos || !ParseInteger(text.substr(0, x), 1, maxSide, w) ||
        !ParseInteger(text.substr(x + 1), 1, maxSide, h)) {
        return false;
    }
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    return true;
}

bool WriteInPlace(const std::string& path,
                  const std::function<bool(const std::string& temporary, std::string* why)>& write,
                  std::string& error) {
    const std::string temporary = path + ".part" + std::to_string(getpid());
    std::string why;
    if (!write(temporary, &why)) {
        std::filesystem::remove(temporary);
        error = "cannot write " + path + ": " + why;
        return false;
    }
    std::error_code failed;
    std::filesystem::rename(temporary, path, failed);
    if (failed) {
        std::filesystem::remove(temporary);
        error = "cannot write " + path + ": " + failed.message();
        return false;
    }
    return true;
}

bool Options::Has(const std::string& flag) const {
    return std::find(flags.begin(), flags.end(), flag) != flags.end();
}

std::string Options::Value(const std::string& name, const std::string& fallback) const {
    auto it = values.find(name);
    return it != values.end() ? it->second : fallback;
}

bool ParseOptions(int argc, char** argv, int first, const std::vector<std::string>& valued,
                  const std::vector<std::string>& known, Options& options, std::string& error) {
    auto contains = [](const std::vector<std::string>& list, const std::string& name) {
        return std::find(list.begin(), list.end(), name) != list.end();
    };
    bool onlyPositional = false;
    for (int i = first; i < argc; ++i) {
        std::string arg = argv[i];
        // A negative number is a value, not an option.
        if (onlyPositional || arg.size() < 2 || arg[0] != '-' || (arg[1] >= '0' && arg[1] <= '9')) {
            options.positional.push_back(arg);
        } else if (arg == "--") {
            onlyPositional = true;
        } else if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--data" || arg == "--trace" || contains(valued, arg)) {
            if (i + 1 >= argc) {
                error = "option " + arg + " needs a value";
                return false;
            }
            options.values[arg] = argv[++i];
        } else if (contains(known, arg)) {
            options.flags.push_back(arg);
        } else {
            error = "unknown option " + arg;
            return false;
        }
    }
    return true;
}

bool ParseInteger(const std::string& text, long long low, long long high, long long& value) {
    long long parsed = 0;
    if (!ParseNumber(text, parsed) || parsed < low || parsed > high) {
        return false;
    }
    value = parsed;
    return true;
}

bool ApplyCommonOptions(const Options& options, std::string& error) {
    if (!tmxhost::SetDataRoot(options.Value("--data", tmxhost::DefaultDataRoot()), &error)) {
        return false;
    }
    if (options.values.count("--trace") != 0 &&
        !tmxhost::SetTracePrint(options.Value("--trace"), &error)) {
        return false;
    }
    return true;
}

}  // namespace callsvc
