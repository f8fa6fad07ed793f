// Style sets: the current theme, read from a JSON file, and the colour derivations of its items.
#include <dlfcn.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include "../Control/HostInternal.h"
#include "../Control/TmxHost.h"
#include "CallCommonSvc/Platform/TmxGWESWinSet.h"

struct tagWSSTYLESET {
    std::string name;
    std::vector<WsStyleItem> items;
};

namespace tmxhost {
namespace {

struct StyleState {
    WsStyleSet current;
    bool defaultLoaded = false;
    WsStyleSet defaults;
};

StyleState& State() {
    static StyleState state;
    return state;
}

std::uint32_t ParseColor(const nlohmann::json& value, const std::string& where) {
    if (!value.is_string()) {
        throw std::runtime_error(where + ": colour is not a \"#RRGGBB\" or \"#AARRGGBB\" string");
    }
    const std::string text = value.get<std::string>();
    if ((text.size() != 7 && text.size() != 9) || text[0] != '#' ||
        text.find_first_not_of("0123456789abcdefABCDEF", 1) != std::string::npos) {
        throw std::runtime_error(where + ": bad colour \"" + text + "\"");
    }
    std::uint32_t color = static_cast<std::uint32_t>(std::stoul(text.substr(1), nullptr, 16));
    return text.size() == 7 ? 0xFF000000u | color : color;
}

std::uint32_t ParseId(const nlohmann::json& value, const std::string& where) {
    if (value.is_number_unsigned()) {
        if (value.get<unsigned long long>() <= 0xFFFFFFFFull) {
            return static_cast<std::uint32_t>(value.get<unsigned long long>());
        }
    } else if (value.is_string()) {
        const std::string text = value.get<std::string>();
        if (text.size() > 2 && text.size() <= 10 && text.compare(0, 2, "0x") == 0 &&
            text.find_first_not_of("0123456789abcdefABCDEF", 2) == std::string::npos) {
            return static_cast<std::uint32_t>(std::stoul(text.substr(2), nullptr, 16));
        }
    }
    throw std::runtime_error(where + ": id is not a number from 0 to 0xFFFFFFFF");
}

// Parses a theme; throws with the offending key's path.
WsStyleSet ParseTheme(const std::string& text) {
    nlohmann::json document = nlohmann::json::parse(text);
    if (!document.is_object()) {
        throw std::runtime_error("the theme is not a JSON object");
    }
    WsStyleSet set;
    if (document.contains("name")) {
        if (!document["name"].is_string()) {
            throw std::runtime_error("name: not a string");
        }
        set.name = document["name"].get<std::string>();
    }
    if (!document.contains("items") || !document["items"].is_array()) {
        throw std::runtime_error("items: missing or not an array");
    }
    const nlohmann::json& items = document["items"];
    for (std::size_t i = 0; i < items.size(); ++i) {
        std::string where = "items[" + std::to_string(i) + "]";
        const nlohmann::json& item = items[i];
        if (!item.is_object() || !item.contains("id") || !item.contains("color")) {
            throw std::runtime_error(where + ": needs \"id\" and \"color\"");
        }
        WsStyleItem parsed{ParseId(item["id"], where + ".id"),
                           ParseColor(item["color"], where + ".color"), 255};
        if (item.contains("opacity")) {
            if (!item["opacity"].is_number_integer()) {
                throw std::runtime_error(where + ".opacity: not an integer");
            }
            parsed.nOpacityLevel = item["opacity"].get<std::int32_t>();
        }
        for (const WsStyleItem& earlier : set.items) {
            if (earlier.nID == parsed.nID) {
                throw std::runtime_error(where + ".id: repeats an earlier item's id");
            }
        }
        set.items.push_back(parsed);
    }
    return set;
}

bool ReadTheme(const std::string& path, WsStyleSet& set, std::string* error) {
    std::ifstream file(path, std::ios::binary);
    std::string text;
    if (file) {
        text.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }
    if (!file && !file.eof()) {
        if (error != nullptr) {
            *error = path + ": cannot be read";
        }
        return false;
    }
    try {
        set = ParseTheme(text);
    } catch (const std::exception& failure) {
        if (error != nullptr) {
            *error = path + ": " + failure.what();
        }
        return false;
    }
    return true;
}

}  // namespace

std::string DefaultThemePath() {
    if (const char* chosen = std::getenv("TMXHOST_THEME"); chosen != nullptr && *chosen != '\0') {
        return chosen;
    }
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&DefaultThemePath), &info) == 0 ||
        info.dli_fname == nullptr) {
        return "share/callsvc/theme.json";
    }
    const std::filesystem::path folder = std::filesystem::absolute(info.dli_fname).parent_path();
#ifdef TMXHOST_DATA_FROM_LIBDIR
    // Installed: the data folder lies where the install rules put it relative to the library.
    std::filesystem::path installed = folder / TMXHOST_DATA_FROM_LIBDIR / "theme.json";
    std::error_code ignored;
    if (std::filesystem::is_regular_file(installed, ignored)) {
        return installed.lexically_normal().string();
    }
#endif
    // The build tree: lib/ and share/callsvc/ side by side.
    return (folder.parent_path() / "share" / "callsvc" / "theme.json").string();
}

bool LoadTheme(const std::string& path, std::string* error) {
    WsStyleSet set;
    if (!ReadTheme(path, set, error)) {
        return false;
    }
    State().current = std::move(set);
    return true;
}

namespace detail {
// The default theme is read once; a missing or bad one leaves an empty style set and says so.
void ResetStyleSets() {
    StyleState& state = State();
    if (!state.defaultLoaded) {
        state.defaultLoaded = true;
        std::string error;
        if (!ReadTheme(DefaultThemePath(), state.defaults, &error)) {
            std::fprintf(stderr, "tmxhost: default theme: %s\n", error.c_str());
        }
    }
    state.current = state.defaults;
}
}  // namespace detail

}  // namespace tmxhost

using namespace tmxhost;
using detail::Arg;

extern "C" WsStyleSet* WsGetCurrentStyleSet(void) {
    if (auto fault = detail::Enter("WsGetCurrentStyleSet", {})) {
        return reinterpret_cast<WsStyleSet*>(static_cast<std::intptr_t>(*fault));
    }
    return &State().current;
}

extern "C" WsStyleItem* WsGetStyleSetItem(WsStyleSet* pStyleSet, unsigned int styleID) {
    if (auto fault = detail::Enter("WsGetStyleSetItem", {Arg(pStyleSet), Arg(styleID)})) {
        return reinterpret_cast<WsStyleItem*>(static_cast<std::intptr_t>(*fault));
    }
    // Only the platform's own style set is read.
    if (pStyleSet != &State().current) {
        return nullptr;
    }
    for (WsStyleItem& item : pStyleSet->items) {
        if (item.nID == styleID) {
            return &item;
        }
    }
    return nullptr;
}

extern "C" unsigned int WsGetStyleItemDerivativeColor(const WsStyleItem* pItem, int method,
                                                      int value) {
    if (auto fault =
            detail::Enter("WsGetStyleItemDerivativeColor", {Arg(pItem), Arg(method), Arg(value)})) {
        return static_cast<unsigned int>(*fault);
    }
    if (pItem == nullptr) {
        return 0;
    }
    std::uint32_t color = pItem->nColor;
    int percent = std::clamp(value, 0, 100);
    auto derive = [&](int shift) -> std::uint32_t {
        int c = static_cast<int>((color >> shift) & 0xFF);
        if (method == WS_DERIVE_LIGHTER) {
            c += ((255 - c) * percent + 50) / 100;
        } else if (method == WS_DERIVE_DARKER) {
            c -= (c * percent + 50) / 100;
        }
        return static_cast<std::uint32_t>(c) << shift;
    };
    return (color & 0xFF000000u) | derive(16) | derive(8) | derive(0);
}
