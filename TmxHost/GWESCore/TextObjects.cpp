// Text objects: wide texts shaped with HarfBuzz, laid out in a box (alignment, wrapping) and
// drawn anti-aliased through FreeType glyphs kept in pixman's glyph cache. Fonts come from
// fontconfig: DejaVu Sans, and for characters it lacks the first font of fontconfig's fallback
// list that has them.
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include <hb-ft.h>
#include <hb.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "../Control/HostInternal.h"
#include "../Control/TmxHost.h"
#include "Graphics.h"

namespace tmxhost::gfx {
namespace {

// Longest text a text object keeps, in 16-bit units.
constexpr int kMaxTextUnits = 4096;
constexpr int kDefaultFont = 1;

int PixelSize(int font) {
    static constexpr int kSizes[] = {12, 16, 20, 24, 32};
    return font >= 0 && font < 5 ? kSizes[font] : kSizes[kDefaultFont];
}

struct TextObject {
    std::u16string text;
    std::uint16_t color = 0xFFFF;
    int font = kDefaultFont;
    int wrap = 0;
    int align = 0;
    int action = 0;
};

// One font file at one pixel size.
struct Font {
    FT_Face face = nullptr;
    hb_font_t* hb = nullptr;
    int ascender = 0;  // pixels above the baseline
    int height = 0;    // line height in pixels
};

// One shaped glyph in logical order, with the text unit it starts at.
struct Shaped {
    const Font* font;
    unsigned glyph;
    int advance;  // 26.6
    int dx;       // 26.6
    int dy;       // 26.6
    unsigned cluster;
};

class FontLibrary {
public:
    FontLibrary() {
        FT_Init_FreeType(&m_library);
        FcInit();
        m_cache = pixman_glyph_cache_create();
        FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>("DejaVu Sans"));
        FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);
        FcResult result;
        m_fallbacks = FcFontSort(nullptr, pattern, FcTrue, nullptr, &result);
        FcPattern* match = FcFontMatch(nullptr, pattern, &result);
        if (match != nullptr) {
            m_primary = FileOf(match);
            FcPatternDestroy(match);
        }
        FcPatternDestroy(pattern);
    }

    ~FontLibrary() {
        pixman_glyph_cache_destroy(m_cache);
        for (auto& [key, font] : m_fonts) {
            hb_font_destroy(font.hb);
            FT_Done_Face(font.face);
        }
        if (m_fallbacks != nullptr) {
            FcFontSetDestroy(m_fallbacks);
        }
        FT_Done_FreeType(m_library);
        FcFini();  // fontconfig's configuration and caches go with the last user
    }

    pixman_glyph_cache_t* Cache() { return m_cache; }

    // The font for a character at a size: the primary font when it has the character.
    const Font* FontFor(char32_t c, int px) {
        const Font* primary = Primary(px);
        if (primary != nullptr && FT_Get_Char_Index(primary->face, c) != 0) {
            return primary;
        }
        auto known = m_fallbackFile.find(c);
        if (known == m_fallbackFile.end()) {
            known = m_fallbackFile.emplace(c, FindFallback(c)).first;
        }
        const Font* fallback = known->second.empty() ? nullptr : Load(known->second, px);
        return fallback != nullptr ? fallback : primary;
    }

    const Font* Primary(int px) {
        auto found = m_primaryBySize.find(px);
        if (found == m_primaryBySize.end()) {
            found = m_primaryBySize.emplace(px, Load(m_primary, px)).first;
        }
        return found->second;
    }

    // Shaped runs of recent texts, so that a text drawn again is not shaped again.
    std::map<std::pair<std::u16string, int>, std::vector<Shaped>>& Shapes() { return m_shapes; }

    // The glyph's image, rendered once and kept in the cache; null for an empty glyph.
    const void* Glyph(const Font* font, unsigned glyph) {
        void* key = reinterpret_cast<void*>(static_cast<std::uintptr_t>(glyph) + 1);
        if (const void* cached = pixman_glyph_cache_lookup(m_cache, const_cast<Font*>(font), key)) {
            return cached;
        }
        if (FT_Load_Glyph(font->face, glyph, FT_LOAD_DEFAULT) != 0 ||
            FT_Render_Glyph(font->face->glyph, FT_RENDER_MODE_NORMAL) != 0) {
            return nullptr;
        }
        const FT_Bitmap& bitmap = font->face->glyph->bitmap;
        if (bitmap.width == 0 || bitmap.rows == 0 || bitmap.pixel_mode != FT_PIXEL_MODE_GRAY) {
            return nullptr;
        }
        pixman_image_t* image =
            pixman_image_create_bits(PIXMAN_a8, bitmap.width, bitmap.rows, nullptr, 0);
        if (image == nullptr) {
            return nullptr;
        }
        auto* to = reinterpret_cast<unsigned char*>(pixman_image_get_data(image));
        for (unsigned row = 0; row < bitmap.rows; ++row) {
            std::memcpy(to + static_cast<std::size_t>(row) * pixman_image_get_stride(image),
                        bitmap.buffer + static_cast<std::ptrdiff_t>(row) * bitmap.pitch,
                        bitmap.width);
        }
        const FT_GlyphSlot slot = font->face->glyph;
        const void* inserted = pixman_glyph_cache_insert(
            m_cache, const_cast<Font*>(font), key, -slot->bitmap_left, slot->bitmap_top, image);
        pixman_image_unref(image);
        return inserted;
    }

private:
    static std::string FileOf(FcPattern* pattern) {
        FcChar8* file = nullptr;
        if (FcPatternGetString(pattern, FC_FILE, 0, &file) != FcResultMatch) {
            return {};
        }
        return reinterpret_cast<const char*>(file);
    }

    std::string FindFallback(char32_t c) {
        if (m_fallbacks == nullptr) {
            return {};
        }
        for (int i = 0; i < m_fallbacks->nfont; ++i) {
            FcCharSet* charset = nullptr;
            if (FcPatternGetCharSet(m_fallbacks->fonts[i], FC_CHARSET, 0, &charset) ==
                    FcResultMatch &&
                FcCharSetHasChar(charset, c)) {
                return FileOf(m_fallbacks->fonts[i]);
            }
        }
        return {};
    }

    const Font* Load(const std::string& file, int px) {
        if (file.empty()) {
            return nullptr;
        }
        auto key = std::make_pair(file, px);
        auto found = m_fonts.find(key);
        if (found != m_fonts.end()) {
            return found->second.face != nullptr ? &found->second : nullptr;
        }
        Font& font = m_fonts[key];
        if (FT_New_Face(m_library, file.c_str(), 0, &font.face) != 0) {
            font.face = nullptr;
            return nullptr;
        }
        if (FT_Set_Pixel_Sizes(font.face, 0, px) != 0 && font.face->num_fixed_sizes > 0) {
            FT_Select_Size(font.face, 0);
        }
        font.hb = hb_ft_font_create_referenced(font.face);
        const FT_Size_Metrics& metrics = font.face->size->metrics;
        font.ascender = static_cast<int>((metrics.ascender + 63) >> 6);
        font.height = static_cast<int>((metrics.ascender - metrics.descender + 63) >> 6);
        return &font;
    }

    FT_Library m_library = nullptr;
    pixman_glyph_cache_t* m_cache = nullptr;
    FcFontSet* m_fallbacks = nullptr;
    std::string m_primary;
    std::map<std::pair<std::string, int>, Font> m_fonts;
    std::unordered_map<char32_t, std::string> m_fallbackFile;
    std::unordered_map<int, const Font*> m_primaryBySize;
    std::map<std::pair<std::u16string, int>, std::vector<Shaped>> m_shapes;
};

FontLibrary& Fonts() {
    static FontLibrary library;
    return library;
}

struct TextState {
    std::map<int, TextObject> objects;
};

TextState& State() {
    static TextState state;
    return state;
}

TextObject* Find(int hText) {
    auto found = State().objects.find(hText);
    return found == State().objects.end() ? nullptr : &found->second;
}

char32_t Decode(const std::u16string& text, std::size_t& i) {
    char16_t unit = text[i++];
    if (unit >= 0xD800 && unit < 0xDC00 && i < text.size() && text[i] >= 0xDC00 &&
        text[i] < 0xE000) {
        return 0x10000 + ((unit - 0xD800) << 10) + (text[i++] - 0xDC00);
    }
    return unit >= 0xD800 && unit < 0xE000 ? 0xFFFD : unit;
}

constexpr std::size_t kShapeCacheSize = 256;

// Shapes the text in runs of one font each.
const std::vector<Shaped>& Shape(const std::u16string& text, int px) {
    auto& shapes = Fonts().Shapes();
    auto key = std::make_pair(text, px);
    auto cached = shapes.find(key);
    if (cached != shapes.end()) {
        return cached->second;
    }
    if (shapes.size() >= kShapeCacheSize) {
        shapes.clear();
    }
    std::vector<Shaped>& glyphs = shapes[key];
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t start = i;
        const Font* font = Fonts().FontFor(Decode(text, i), px);
        std::size_t end = i;
        while (end < text.size()) {
            std::size_t next = end;
            if (Fonts().FontFor(Decode(text, next), px) != font) {
                break;
            }
            end = next;
        }
        i = end;
        if (font == nullptr) {
            continue;
        }
        hb_buffer_t* buffer = hb_buffer_create();
        hb_buffer_add_utf16(buffer, reinterpret_cast<const std::uint16_t*>(text.data()),
                            static_cast<int>(text.size()), static_cast<unsigned>(start),
                            static_cast<int>(end - start));
        hb_buffer_guess_segment_properties(buffer);
        hb_shape(font->hb, buffer, nullptr, 0);
        unsigned count = 0;
        hb_glyph_info_t* info = hb_buffer_get_glyph_infos(buffer, &count);
        hb_glyph_position_t* position = hb_buffer_get_glyph_positions(buffer, &count);
        for (unsigned g = 0; g < count; ++g) {
            glyphs.push_back({font, info[g].codepoint, position[g].x_advance, position[g].x_offset,
                              position[g].y_offset, info[g].cluster});
        }
        hb_buffer_destroy(buffer);
    }
    return glyphs;
}

struct Line {
    std::size_t begin;  // glyph range
    std::size_t end;
    long long width;  // 26.6, trailing spaces left out
};

bool IsSpace(char16_t c) {
    return c == u' ' || c == u'\t' || c == 0x3000;
}

// Breaks the glyphs into lines no wider than `boxWidth` pixels as the wrap mode asks.
std::vector<Line> BreakLines(const std::u16string& text, const std::vector<Shaped>& glyphs,
                             int wrap, long long boxWidth) {
    std::vector<Line> lines;
    long long limit = boxWidth * 64;
    std::size_t begin = 0;
    long long width = 0;
    long long visible = 0;                      // width without trailing spaces
    std::size_t lastSpace = std::string::npos;  // glyph after which the line may end
    auto finish = [&](std::size_t end, long long lineWidth, std::size_t next) {
        lines.push_back({begin, end, lineWidth});
        begin = next;
        width = 0;
        visible = 0;
        lastSpace = std::string::npos;
    };
    for (std::size_t g = 0; g < glyphs.size(); ++g) {
        char16_t unit = glyphs[g].cluster < text.size() ? text[glyphs[g].cluster] : u' ';
        if (unit == u'\n') {
            finish(g, visible, g + 1);
            continue;
        }
        bool space = IsSpace(unit);
        long long after = width + glyphs[g].advance;
        if (wrap != 0 && !space && after > limit && g > begin) {
            if (wrap == 2 && lastSpace != std::string::npos) {
                // Back to the last space: the line ends before it, the next starts after it.
                long long lineWidth = 0;
                long long run = 0;
                for (std::size_t k = begin; k <= lastSpace; ++k) {
                    char16_t u = glyphs[k].cluster < text.size() ? text[glyphs[k].cluster] : u' ';
                    run += glyphs[k].advance;
                    if (!IsSpace(u)) {
                        lineWidth = run;
                    }
                }
                std::size_t next = lastSpace + 1;
                finish(lastSpace + 1, lineWidth, next);
                for (std::size_t k = next; k < g; ++k) {
                    width += glyphs[k].advance;
                    visible = width;
                }
                after = width + glyphs[g].advance;
            } else {
                finish(g, visible, g);
                after = glyphs[g].advance;
            }
        }
        width = after;
        if (space) {
            lastSpace = g;
        } else {
            visible = width;
        }
    }
    lines.push_back({begin, glyphs.size(), visible});
    return lines;
}

}  // namespace

void ResetText() {
    State().objects.clear();
}

int LiveTextObjects() {
    return static_cast<int>(State().objects.size());
}

bool DrawText(int hText, pixman_image_t* dest, long long boxX, long long boxY, long long boxW,
              long long boxH, const Box& clip, int opacity) {
    const TextObject* object = Find(hText);
    if (object == nullptr) {
        return false;
    }
    Box visible = Intersect(boxX, boxY, boxW, boxH, clip);
    if (visible.Empty() || object->text.empty()) {
        return true;
    }
    int px = PixelSize(object->font);
    const Font* primary = Fonts().Primary(px);
    if (primary == nullptr) {
        return true;
    }
    const std::vector<Shaped>& glyphs = Shape(object->text, px);
    std::vector<Line> lines = BreakLines(object->text, glyphs, object->wrap, boxW);

    long long total = static_cast<long long>(lines.size()) * primary->height;
    long long top = boxY;
    if (object->align & WM_TEXT_ALIGN_VCENTER) {
        top = boxY + (boxH - total) / 2;
    } else if (object->align & WM_TEXT_ALIGN_BOTTOM) {
        top = boxY + boxH - total;
    }

    std::vector<pixman_glyph_t> placed;
    pixman_glyph_cache_freeze(Fonts().Cache());
    for (std::size_t n = 0; n < lines.size(); ++n) {
        const Line& line = lines[n];
        long long lineTop = top + static_cast<long long>(n) * primary->height;
        if (lineTop >= visible.y + visible.h || lineTop + primary->height <= visible.y) {
            continue;
        }
        long long left = boxX * 64;
        if (object->align & WM_TEXT_ALIGN_HCENTER) {
            left = boxX * 64 + (boxW * 64 - line.width) / 2;
        } else if (object->align & WM_TEXT_ALIGN_RIGHT) {
            left = (boxX + boxW) * 64 - line.width;
        }
        long long baseline = lineTop + primary->ascender;
        long long pen = left;
        for (std::size_t g = line.begin; g < line.end; ++g) {
            const Shaped& shaped = glyphs[g];
            long long x = (pen + shaped.dx + 32) >> 6;
            long long y = baseline - ((shaped.dy + 32) >> 6);
            pen += shaped.advance;
            if (x < visible.x - 256 || x > visible.x + visible.w + 256) {
                continue;
            }
            if (const void* image = Fonts().Glyph(shaped.font, shaped.glyph)) {
                placed.push_back({static_cast<int>(x), static_cast<int>(y), image});
            }
        }
    }
    if (!placed.empty()) {
        pixman_color_t color = Color565(object->color, opacity);
        pixman_image_t* solid = pixman_image_create_solid_fill(&color);
        pixman_region32_t region;
        pixman_region32_init_rect(&region, visible.x, visible.y, visible.w, visible.h);
        pixman_image_set_clip_region32(dest, &region);
        pixman_composite_glyphs_no_mask(PIXMAN_OP_OVER, solid, dest, 0, 0, 0, 0, Fonts().Cache(),
                                        static_cast<int>(placed.size()), placed.data());
        pixman_image_set_clip_region32(dest, nullptr);
        pixman_region32_fini(&region);
        pixman_image_unref(solid);
    }
    pixman_glyph_cache_thaw(Fonts().Cache());
    return true;
}

}  // namespace tmxhost::gfx

// ---- The platform calls ----------------------------------------------------------------------

using namespace tmxhost;
using detail::Arg;

namespace {

// The text as quoted UTF-8 for the call log.
std::string LogText(const std::u16string& text) {
    std::string utf8(text.size() * 3 + 1, '\0');
    std::vector<unsigned short> units(text.begin(), text.end());
    units.push_back(0);
    WmConvert2LCode(utf8.data(), static_cast<int>(utf8.size()), units.data());
    return Arg(utf8.c_str());
}

template <class Set>
int SetText(int hText, Set set) {
    gfx::TextObject* object = gfx::Find(hText);
    if (object == nullptr) {
        return 0;
    }
    set(*object);
    return 1;
}

}  // namespace

extern "C" int _WmTextCreate(const unsigned short* pText, int nLen, int flag, const char*, int) {
    std::u16string text;
    if (pText != nullptr && nLen > 0) {
        text.assign(pText, pText + std::min(nLen, gfx::kMaxTextUnits));
        text.resize(std::min(text.size(), text.find(u'\0')));  // a text ends at its terminator
    }
    if (auto fault = detail::Enter("_WmTextCreate", {LogText(text), Arg(nLen), Arg(flag)})) {
        return static_cast<int>(*fault);
    }
    if (pText == nullptr || nLen < 0) {
        return INVALID_HOBJ;
    }
    int handle = gfx::NextHandle();
    gfx::State().objects[handle].text = std::move(text);
    return handle;
}

extern "C" int WmTextSetFontFgColor(int hText, unsigned short rgb565) {
    if (auto fault = detail::Enter("WmTextSetFontFgColor", {Arg(hText), Arg(unsigned{rgb565})})) {
        return static_cast<int>(*fault);
    }
    return SetText(hText, [&](gfx::TextObject& o) { o.color = rgb565; });
}

extern "C" int WmTextSetFont(int hText, int font) {
    if (auto fault = detail::Enter("WmTextSetFont", {Arg(hText), Arg(font)})) {
        return static_cast<int>(*fault);
    }
    return SetText(hText, [&](gfx::TextObject& o) { o.font = font; });
}

extern "C" int WmTextSetWrap(int hText, int mode) {
    if (auto fault = detail::Enter("WmTextSetWrap", {Arg(hText), Arg(mode)})) {
        return static_cast<int>(*fault);
    }
    return SetText(hText, [&](gfx::TextObject& o) { o.wrap = mode; });
}

extern "C" int WmTextSetAlign(int hText, int align) {
    if (auto fault = detail::Enter("WmTextSetAlign", {Arg(hText), Arg(align)})) {
        return static_cast<int>(*fault);
    }
    return SetText(hText, [&](gfx::TextObject& o) { o.align = align; });
}

extern "C" int WmTextSetAction(int hText, int action) {
    if (auto fault = detail::Enter("WmTextSetAction", {Arg(hText), Arg(action)})) {
        return static_cast<int>(*fault);
    }
    return SetText(hText, [&](gfx::TextObject& o) { o.action = action; });
}

extern "C" int WmTextDestroy(int hText) {
    if (auto fault = detail::Enter("WmTextDestroy", {Arg(hText)})) {
        return static_cast<int>(*fault);
    }
    return gfx::State().objects.erase(hText) != 0 ? 1 : 0;
}
