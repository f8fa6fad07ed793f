#include "ScreenLayout.h"

#include <nlohmann/json.hpp>

#include <filesystem>
#include <initializer_list>
#include <map>
#include <stdexcept>

namespace callsvc {
namespace {

using nlohmann::json;

// A layout error, already naming its key.
struct LayoutError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

[[noreturn]] void Fail(const std::string& path, const std::string& message) {
    throw LayoutError(path.empty() ? message : path + ": " + message);
}

std::string Quoted(const std::string& text) {
    return json(text).dump();
}

std::string Index(const std::string& path, std::size_t i) {
    return path + "[" + std::to_string(i) + "]";
}

std::string Member(const std::string& path, const std::string& key) {
    return path.empty() ? key : path + "." + key;
}

// An object whose keys are all among `allowed` and include every one of `required`.
void CheckObject(const json& value, const std::string& path,
                 std::initializer_list<const char*> allowed,
                 std::initializer_list<const char*> required = {}) {
    if (!value.is_object()) {
        Fail(path.empty() ? "layout" : path, "expected an object");
    }
    for (const auto& item : value.items()) {
        bool known = false;
        for (const char* key : allowed) {
            known = known || item.key() == key;
        }
        if (!known) {
            Fail(path.empty() ? "layout" : path, "unknown key " + Quoted(item.key()));
        }
    }
    for (const char* key : required) {
        if (!value.contains(key)) {
            Fail(path, "missing " + Quoted(key));
        }
    }
}

long long Integer(const json& value, const std::string& path, long long low, long long high) {
    if (!value.is_number_integer()) {
        Fail(path, "expected an integer");
    }
    bool inRange = value.is_number_unsigned()
                       ? value.get<unsigned long long>() <= static_cast<unsigned long long>(high) &&
                             value.get<long long>() >= low
                       : value.get<long long>() >= low && value.get<long long>() <= high;
    if (!inRange) {
        Fail(path, "must be between " + std::to_string(low) + " and " + std::to_string(high));
    }
    return value.get<long long>();
}

int Coordinate(const json& value, const std::string& path) {
    return static_cast<int>(Integer(value, path, -kMaxCoordinate, kMaxCoordinate));
}

LayoutRect Rect(const json& value, const std::string& path, int minSize = 0) {
    if (!value.is_array() || value.size() != 4) {
        Fail(path, "expected [x, y, w, h]");
    }
    LayoutRect rect;
    rect.x = Coordinate(value[0], Index(path, 0));
    rect.y = Coordinate(value[1], Index(path, 1));
    rect.w = static_cast<int>(Integer(value[2], Index(path, 2), minSize, kMaxCoordinate));
    rect.h = static_cast<int>(Integer(value[3], Index(path, 3), minSize, kMaxCoordinate));
    return rect;
}

const json& Array(const json& value, const std::string& path, std::size_t most) {
    if (!value.is_array()) {
        Fail(path, "expected an array");
    }
    if (value.size() > most) {
        Fail(path,
             "at most " + std::to_string(most) + " items, not " + std::to_string(value.size()));
    }
    return value;
}

// "#RRGGBB" as 0xRRGGBB.
std::uint32_t Colour(const json& value, const std::string& path) {
    const std::string text = value.is_string() ? value.get<std::string>() : "";
    bool ok = text.size() == 7 && text[0] == '#';
    std::uint32_t rgb = 0;
    for (std::size_t i = 1; ok && i < text.size(); ++i) {
        char c = text[i];
        int digit = c >= '0' && c <= '9'   ? c - '0'
                    : c >= 'a' && c <= 'f' ? c - 'a' + 10
                    : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                           : -1;
        ok = digit >= 0;
        rgb = rgb << 4 | static_cast<std::uint32_t>(digit);
    }
    if (!ok) {
        Fail(path, "expected a colour \"#RRGGBB\"");
    }
    return rgb;
}

// UTF-8 (already checked by the JSON parser) as UTF-16 of at most `most` units.
std::u16string Text(const json& value, const std::string& path, std::size_t most) {
    if (!value.is_string()) {
        Fail(path, "expected a string");
    }
    const std::string& utf8 = value.get_ref<const std::string&>();
    std::u16string text;
    for (std::size_t i = 0; i < utf8.size();) {
        unsigned char lead = static_cast<unsigned char>(utf8[i]);
        int extra = lead < 0x80 ? 0 : lead < 0xE0 ? 1 : lead < 0xF0 ? 2 : 3;
        char32_t c = extra == 0 ? lead : lead & (0x3F >> extra);
        for (int k = 1; k <= extra; ++k) {
            c = c << 6 | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        }
        i += extra + 1;
        if (c >= 0x10000) {
            c -= 0x10000;
            text += static_cast<char16_t>(0xD800 + (c >> 10));
            text += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        } else {
            text += static_cast<char16_t>(c);
        }
    }
    if (text.find(u'\0') != std::u16string::npos) {
        Fail(path, "holds a NUL character");
    }
    if (text.size() > most) {
        Fail(path, "longer than " + std::to_string(most) + " UTF-16 units");
    }
    return text;
}

class Parser {
public:
    Parser(const std::string& folder, Layout& layout) : m_folder(folder), m_layout(layout) {}

    void Root(const json& root) {
        CheckObject(root, "",
                    {"screen", "window", "background", "panes", "pictures", "tickers", "at"});
        if (root.contains("screen")) {
            const json& screen = root["screen"];
            CheckObject(screen, "screen", {"width", "height"});
            if (screen.contains("width")) {
                m_layout.screenWidth =
                    static_cast<int>(Integer(screen["width"], "screen.width", 1, kMaxCoordinate));
            }
            if (screen.contains("height")) {
                m_layout.screenHeight =
                    static_cast<int>(Integer(screen["height"], "screen.height", 1, kMaxCoordinate));
            }
        }
        m_layout.window = {0, 0, m_layout.screenWidth, m_layout.screenHeight};
        if (root.contains("window")) {
            m_layout.hasWindow = true;
            m_layout.window = Rect(root["window"], "window", 1);
        }
        if (root.contains("background")) {
            m_layout.background = Image(root["background"], "background");
        }
        if (root.contains("panes")) {
            Panes(root["panes"], "panes");
        }
        if (root.contains("pictures")) {
            const json& pictures = Array(root["pictures"], "pictures", kMaxCoordinate);
            for (std::size_t i = 0; i < pictures.size(); ++i) {
                Picture(pictures[i], Index("pictures", i));
            }
        }
        if (root.contains("tickers")) {
            const json& tickers = Array(root["tickers"], "tickers", kMaxTickers);
            for (std::size_t i = 0; i < tickers.size(); ++i) {
                Ticker(tickers[i], Index("tickers", i));
            }
        }
        if (root.contains("at")) {
            m_layout.at = Integer(root["at"], "at", 0, kMaxAt);
        }
    }

private:
    int Image(const json& value, const std::string& path) {
        if (!value.is_string() || value.get_ref<const std::string&>().empty()) {
            Fail(path, "expected the path of an image file");
        }
        const std::string& name = value.get_ref<const std::string&>();
        if (name.find('\0') != std::string::npos) {
            Fail(path, "holds a NUL character");
        }
        std::filesystem::path file(name);
        if (file.is_relative()) {
            file = std::filesystem::path(m_folder) / file;
        }
        m_layout.images.push_back({path, file.lexically_normal().string()});
        return static_cast<int>(m_layout.images.size() - 1);
    }

    void Panes(const json& panes, const std::string& path) {
        CheckObject(panes, path, {"rect", "items"});
        m_layout.hasPanes = true;
        if (panes.contains("rect")) {
            m_layout.hasPanesRect = true;
            m_layout.panesRect = Rect(panes["rect"], Member(path, "rect"));
        }
        if (!panes.contains("items")) {
            return;
        }
        const std::string itemsPath = Member(path, "items");
        const json& items = Array(panes["items"], itemsPath, kMaxPanes);
        std::map<std::string, std::string> ids;  // id -> the item that has it
        for (std::size_t i = 0; i < items.size(); ++i) {
            const std::string at = Index(itemsPath, i);
            const json& item = items[i];
            CheckObject(item, at,
                        {"id", "kind", "rect", "x", "y", "text", "color", "font", "align", "image"},
                        {"id", "kind", "rect"});
            LayoutPane pane;
            const json& kind = item["kind"];
            if (!kind.is_string()) {
                Fail(Member(at, "kind"), "expected \"text\" or \"bitmap\"");
            }
            if (kind == "text") {
                pane.kind = 0;
                CheckObject(item, at,
                            {"id", "kind", "rect", "x", "y", "text", "color", "font", "align"});
            } else if (kind == "bitmap") {
                pane.kind = 1;
                CheckObject(item, at, {"id", "kind", "rect", "x", "y", "image"});
            } else {
                Fail(at, "unknown kind " + kind.dump());
            }
            if (!item["id"].is_string() || item["id"].get_ref<const std::string&>().empty()) {
                Fail(Member(at, "id"), "expected a non-empty string");
            }
            pane.id = item["id"].get<std::string>();
            if (pane.id.size() > kMaxPaneId || pane.id.find('\0') != std::string::npos) {
                Fail(Member(at, "id"),
                     "at most " + std::to_string(kMaxPaneId) + " bytes without NUL");
            }
            auto [earlier, fresh] = ids.emplace(pane.id, at);
            if (!fresh) {
                Fail(Member(at, "id"), Quoted(pane.id) + " already names " + earlier->second);
            }
            pane.rect = Rect(item["rect"], Member(at, "rect"));
            if (item.contains("x")) {
                pane.x = Coordinate(item["x"], Member(at, "x"));
            }
            if (item.contains("y")) {
                pane.y = Coordinate(item["y"], Member(at, "y"));
            }
            if (item.contains("text")) {
                pane.text = Text(item["text"], Member(at, "text"), kMaxPaneText);
            }
            if (item.contains("color")) {
                pane.color = Colour(item["color"], Member(at, "color"));
            }
            if (item.contains("font")) {
                pane.font = static_cast<int>(Integer(item["font"], Member(at, "font"), 0, 255));
            }
            if (item.contains("align")) {
                pane.align =
                    static_cast<int>(Integer(item["align"], Member(at, "align"), 0, 0xFFFF));
            }
            if (item.contains("image")) {
                pane.image = Image(item["image"], Member(at, "image"));
            }
            m_layout.panes.push_back(std::move(pane));
        }
    }

    void Picture(const json& value, const std::string& path) {
        CheckObject(value, path, {"rect", "image", "color"}, {"rect"});
        LayoutPicture picture;
        picture.rect = Rect(value["rect"], Member(path, "rect"));
        if (value.contains("image")) {
            picture.image = Image(value["image"], Member(path, "image"));
        }
        if (value.contains("color")) {
            picture.color = Colour(value["color"], Member(path, "color"));
        }
        m_layout.pictures.push_back(picture);
    }

    void Ticker(const json& value, const std::string& path) {
        CheckObject(value, path, {"rect", "background", "bitmaps", "texts", "animation"}, {"rect"});
        LayoutTicker ticker;
        ticker.rect = Rect(value["rect"], Member(path, "rect"));
        if (ticker.rect.w > m_layout.screenWidth || ticker.rect.h > m_layout.screenHeight) {
            Fail(Member(path, "rect"), "larger than the screen (" +
                                           std::to_string(m_layout.screenWidth) + " x " +
                                           std::to_string(m_layout.screenHeight) + ")");
        }
        if (value.contains("background")) {
            ticker.background = Image(value["background"], Member(path, "background"));
        }
        if (value.contains("bitmaps")) {
            const std::string at = Member(path, "bitmaps");
            const json& bitmaps = Array(value["bitmaps"], at, kMaxTickerItems);
            for (std::size_t i = 0; i < bitmaps.size(); ++i) {
                const std::string itemPath = Index(at, i);
                CheckObject(bitmaps[i], itemPath, {"x", "y", "image"});
                LayoutTickerBitmap bitmap;
                if (bitmaps[i].contains("x")) {
                    bitmap.x = Coordinate(bitmaps[i]["x"], Member(itemPath, "x"));
                }
                if (bitmaps[i].contains("y")) {
                    bitmap.y = Coordinate(bitmaps[i]["y"], Member(itemPath, "y"));
                }
                if (bitmaps[i].contains("image")) {
                    bitmap.image = Image(bitmaps[i]["image"], Member(itemPath, "image"));
                }
                ticker.bitmaps.push_back(bitmap);
            }
        }
        if (value.contains("texts")) {
            const std::string at = Member(path, "texts");
            const json& texts = Array(value["texts"], at, kMaxTickerItems);
            for (std::size_t i = 0; i < texts.size(); ++i) {
                const std::string itemPath = Index(at, i);
                CheckObject(texts[i], itemPath, {"rect", "text", "color", "font"}, {"rect"});
                LayoutTickerText text;
                text.rect = Rect(texts[i]["rect"], Member(itemPath, "rect"));
                if (texts[i].contains("text")) {
                    text.text = Text(texts[i]["text"], Member(itemPath, "text"), kMaxTickerText);
                }
                if (texts[i].contains("color")) {
                    text.color = Colour(texts[i]["color"], Member(itemPath, "color"));
                }
                if (texts[i].contains("font")) {
                    text.font = static_cast<int>(
                        Integer(texts[i]["font"], Member(itemPath, "font"), 0, 255));
                }
                ticker.texts.push_back(std::move(text));
            }
        }
        if (value.contains("animation")) {
            const std::string at = Member(path, "animation");
            const json& animation = value["animation"];
            CheckObject(animation, at, {"x", "y", "duration", "frames"});
            if (animation.contains("x")) {
                ticker.animationX = Coordinate(animation["x"], Member(at, "x"));
            }
            if (animation.contains("y")) {
                ticker.animationY = Coordinate(animation["y"], Member(at, "y"));
            }
            if (animation.contains("duration")) {
                ticker.duration = static_cast<int>(
                    Integer(animation["duration"], Member(at, "duration"), kMinDuration, kMaxAt));
            }
            if (animation.contains("frames")) {
                const std::string framesPath = Member(at, "frames");
                const json& frames = Array(animation["frames"], framesPath, kMaxTickerItems);
                for (std::size_t i = 0; i < frames.size(); ++i) {
                    ticker.frames.push_back(Image(frames[i], Index(framesPath, i)));
                }
            }
        }
        m_layout.tickers.push_back(std::move(ticker));
    }

    std::string m_folder;
    Layout& m_layout;
};

}  // namespace

bool ParseLayout(const std::string& text, const std::string& folder, Layout& layout,
                 std::string& error) {
    json root;
    try {
        root = json::parse(text);
    } catch (const json::exception& e) {
        // "[json.exception.parse_error.101] parse error at line 1, ..." without the bracket.
        std::string what = e.what();
        std::size_t cut = what.find("] ");
        error = "layout: " + (cut == std::string::npos ? what : what.substr(cut + 2));
        return false;
    }
    Layout parsed;
    try {
        Parser(folder, parsed).Root(root);
    } catch (const LayoutError& e) {
        error = e.what();
        return false;
    }
    layout = std::move(parsed);
    return true;
}

}  // namespace callsvc
