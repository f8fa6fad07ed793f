// SWF files into the engine's model: the header, decompression (zlib, LZMA), the tags, shapes and
// display-list changes. All reads go through a bounds-checked bit reader: running past the data
// marks the reader failed and the file is refused.
#include <lzma.h>
#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "../Control/TmxHost.h"
#include "Swf.h"

namespace tmxhost::swf {
namespace {

class Reader {
public:
    Reader(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}

    bool Ok() const { return !m_failed; }
    void Fail() { m_failed = true; }
    std::size_t Remaining() const { return m_failed ? 0 : m_size - m_pos; }

    void Align() {
        if (m_bit != 0) {
            m_bit = 0;
            ++m_pos;
        }
    }

    std::uint32_t Bits(unsigned count) {
        std::uint32_t value = 0;
        for (unsigned i = 0; i < count; ++i) {
            if (m_failed || m_pos >= m_size) {
                m_failed = true;
                return 0;
            }
            value = (value << 1) | ((m_data[m_pos] >> (7 - m_bit)) & 1u);
            if (++m_bit == 8) {
                m_bit = 0;
                ++m_pos;
            }
        }
        return value;
    }

    std::int32_t SBits(unsigned count) {
        std::uint32_t value = Bits(count);
        if (count > 0 && count < 32 && (value >> (count - 1)) != 0) {
            value |= ~((1u << count) - 1);
        }
        return static_cast<std::int32_t>(value);
    }

    double FBits(unsigned count) { return SBits(count) / 65536.0; }

    const std::uint8_t* Take(std::size_t count) {
        Align();
        if (m_failed || m_size - m_pos < count) {
            m_failed = true;
            return nullptr;
        }
        const std::uint8_t* at = m_data + m_pos;
        m_pos += count;
        return at;
    }

    std::uint8_t U8() {
        const std::uint8_t* at = Take(1);
        return at != nullptr ? at[0] : 0;
    }
    std::uint16_t U16() {
        const std::uint8_t* at = Take(2);
        return at != nullptr ? static_cast<std::uint16_t>(at[0] | at[1] << 8) : 0;
    }
    std::uint32_t U32() {
        const std::uint8_t* at = Take(4);
        return at != nullptr ? static_cast<std::uint32_t>(at[0]) | std::uint32_t{at[1]} << 8 |
                                   std::uint32_t{at[2]} << 16 | std::uint32_t{at[3]} << 24
                             : 0;
    }

    void SkipString() {
        while (Ok() && U8() != 0) {
        }
    }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
    unsigned m_bit = 0;
    bool m_failed = false;
};

struct Rect {
    std::int32_t xMin, xMax, yMin, yMax;
};

Rect ReadRect(Reader& r) {
    r.Align();
    unsigned bits = r.Bits(5);
    Rect rect;
    rect.xMin = r.SBits(bits);
    rect.xMax = r.SBits(bits);
    rect.yMin = r.SBits(bits);
    rect.yMax = r.SBits(bits);
    r.Align();
    return rect;
}

Matrix ReadMatrix(Reader& r) {
    r.Align();
    Matrix m;
    if (r.Bits(1) != 0) {
        unsigned bits = r.Bits(5);
        m.xx = r.FBits(bits);
        m.yy = r.FBits(bits);
    }
    if (r.Bits(1) != 0) {
        unsigned bits = r.Bits(5);
        m.yx = r.FBits(bits);  // RotateSkew0
        m.xy = r.FBits(bits);  // RotateSkew1
    }
    unsigned bits = r.Bits(5);
    m.x0 = r.SBits(bits);
    m.y0 = r.SBits(bits);
    r.Align();
    return m;
}

ColorTransform ReadColorTransform(Reader& r, bool alpha) {
    r.Align();
    ColorTransform t;
    bool hasAdd = r.Bits(1) != 0;
    bool hasMul = r.Bits(1) != 0;
    unsigned bits = r.Bits(4);
    int channels = alpha ? 4 : 3;
    if (hasMul) {
        for (int i = 0; i < channels; ++i) {
            t.mul[i] = r.SBits(bits) / 256.0;
        }
    }
    if (hasAdd) {
        for (int i = 0; i < channels; ++i) {
            t.add[i] = r.SBits(bits);
        }
    }
    r.Align();
    return t;
}

Color ReadColor(Reader& r, bool alpha) {
    Color c;
    c.r = r.U8();
    c.g = r.U8();
    c.b = r.U8();
    c.a = alpha ? r.U8() : 255;
    return c;
}

// What a parse has met so far that it reports.
struct Notes {
    std::vector<std::string>& skipped;
    std::size_t edges = 0;
    void Skip(const std::string& name) {
        if (std::find(skipped.begin(), skipped.end(), name) == skipped.end()) {
            skipped.push_back(name);
        }
    }
};

FillStyle ReadFillStyle(Reader& r, int version, Notes& notes) {
    FillStyle fill;
    std::uint8_t type = r.U8();
    if (type == 0x00) {
        fill.solid = true;
        fill.color = ReadColor(r, version >= 3);
    } else if (type == 0x10 || type == 0x12 || type == 0x13) {
        ReadMatrix(r);
        unsigned stops = r.U8() & 0x0F;
        for (unsigned i = 0; i < stops && r.Ok(); ++i) {
            r.U8();
            ReadColor(r, version >= 3);
        }
        if (type == 0x13) {
            r.U16();  // focal point
        }
        notes.Skip("GradientFill");
    } else if (type >= 0x40 && type <= 0x43) {
        r.U16();
        ReadMatrix(r);
        notes.Skip("BitmapFill");
    } else {
        r.Fail();
    }
    return fill;
}

// Reads a fill and a line style array as one new group of the shape.
void ReadStyles(Reader& r, int version, Shape& shape, Notes& notes) {
    r.Align();
    StyleGroup group{shape.fills.size(), 0, shape.lines.size(), 0, shape.edges.size(), 0};
    unsigned fills = r.U8();
    if (fills == 0xFF && version >= 2) {
        fills = r.U16();
    }
    for (unsigned i = 0; i < fills && r.Ok(); ++i) {
        shape.fills.push_back(ReadFillStyle(r, version, notes));
    }
    unsigned lines = r.U8();
    if (lines == 0xFF) {
        lines = r.U16();
    }
    for (unsigned i = 0; i < lines && r.Ok(); ++i) {
        LineStyle line;
        line.width = r.U16();
        if (version < 4) {
            line.color = ReadColor(r, version >= 3);
        } else {
            line.cap = static_cast<int>(r.Bits(2));
            line.join = static_cast<int>(r.Bits(2));
            bool hasFill = r.Bits(1) != 0;
            r.Bits(9);  // scaling, hinting, reserved and no-close flags
            r.Bits(2);  // end cap: drawn with the start cap
            if (line.join == 2) {
                line.miterLimit = std::max(1.0, r.U16() / 256.0);
            }
            if (hasFill) {
                FillStyle fill = ReadFillStyle(r, version, notes);
                line.solid = fill.solid;
                line.color = fill.color;
            } else {
                line.color = ReadColor(r, true);
            }
        }
        shape.lines.push_back(line);
    }
    group.fillEnd = shape.fills.size();
    group.lineEnd = shape.lines.size();
    shape.groups.push_back(group);
}

bool ReadShape(Reader& r, int version, Shape& shape, Notes& notes) {
    ReadRect(r);
    if (version == 4) {
        ReadRect(r);
        r.U8();
    }
    ReadStyles(r, version, shape, notes);
    unsigned fillBits = r.Bits(4);
    unsigned lineBits = r.Bits(4);
    std::int64_t x = 0, y = 0;
    // Style indices as the file gives them, relative to the current group.
    std::uint32_t fill0 = 0, fill1 = 0, line = 0;
    auto resolve = [](std::uint32_t local, std::size_t begin, std::size_t end) {
        return local != 0 && local <= end - begin ? static_cast<std::uint32_t>(begin + local) : 0u;
    };
    auto fits = [](std::int64_t v) {
        return v >= std::numeric_limits<std::int32_t>::min() &&
               v <= std::numeric_limits<std::int32_t>::max();
    };
    while (r.Ok()) {
        if (r.Bits(1) == 0) {
            unsigned flags = r.Bits(5);
            if (flags == 0) {
                break;  // end of shape
            }
            if (flags & 0x01) {
                unsigned bits = r.Bits(5);
                x = r.SBits(bits);
                y = r.SBits(bits);
            }
            if (flags & 0x02) {
                fill0 = r.Bits(fillBits);
            }
            if (flags & 0x04) {
                fill1 = r.Bits(fillBits);
            }
            if (flags & 0x08) {
                line = r.Bits(lineBits);
            }
            if (flags & 0x10) {
                // New styles: indices not given in this record start over as none.
                fill0 = flags & 0x02 ? fill0 : 0;
                fill1 = flags & 0x04 ? fill1 : 0;
                line = flags & 0x08 ? line : 0;
                shape.groups.back().edgeEnd = shape.edges.size();
                ReadStyles(r, version, shape, notes);
                fillBits = r.Bits(4);
                lineBits = r.Bits(4);
            }
            continue;
        }
        Edge edge{};
        edge.x0 = static_cast<std::int32_t>(x);
        edge.y0 = static_cast<std::int32_t>(y);
        bool straight = r.Bits(1) != 0;
        unsigned bits = r.Bits(4) + 2;
        if (straight) {
            if (r.Bits(1) != 0) {
                x += r.SBits(bits);
                y += r.SBits(bits);
            } else if (r.Bits(1) != 0) {
                y += r.SBits(bits);
            } else {
                x += r.SBits(bits);
            }
            edge.cx = static_cast<std::int32_t>((edge.x0 + x) / 2);
            edge.cy = static_cast<std::int32_t>((edge.y0 + y) / 2);
        } else {
            x += r.SBits(bits);
            y += r.SBits(bits);
            if (!fits(x) || !fits(y)) {
                return false;
            }
            edge.cx = static_cast<std::int32_t>(x);
            edge.cy = static_cast<std::int32_t>(y);
            edge.curved = true;
            x += r.SBits(bits);
            y += r.SBits(bits);
        }
        if (!fits(x) || !fits(y) || ++notes.edges > kMaxEdges) {
            return false;
        }
        edge.x1 = static_cast<std::int32_t>(x);
        edge.y1 = static_cast<std::int32_t>(y);
        const StyleGroup& group = shape.groups.back();
        edge.fill0 = resolve(fill0, group.fillBegin, group.fillEnd);
        edge.fill1 = resolve(fill1, group.fillBegin, group.fillEnd);
        edge.line = resolve(line, group.lineBegin, group.lineEnd);
        if (edge.fill0 != 0 || edge.fill1 != 0 || edge.line != 0) {
            shape.edges.push_back(edge);
        }
    }
    shape.groups.back().edgeEnd = shape.edges.size();
    return r.Ok();
}

// PlaceObject2 and PlaceObject3.
Command ReadPlace(Reader& r, bool third, Notes& notes) {
    Command c;
    std::uint8_t flags = r.U8();
    std::uint8_t flags2 = third ? r.U8() : 0;
    c.depth = r.U16();
    c.move = (flags & 0x01) != 0;
    if (third && ((flags2 & 0x08) != 0 || ((flags2 & 0x10) != 0 && (flags & 0x02) != 0))) {
        r.SkipString();  // class name
    }
    if (flags & 0x02) {
        c.character = r.U16();
    }
    if (flags & 0x04) {
        c.matrix = ReadMatrix(r);
    }
    if (flags & 0x08) {
        c.transform = ReadColorTransform(r, true);
    }
    if (flags & 0x10) {
        r.U16();  // ratio
    }
    if (flags & 0x20) {
        r.SkipString();  // name
    }
    if (flags & 0x40) {
        r.U16();
        c.clipLayer = true;
        notes.Skip("ClipLayer");
    }
    if (third && (flags2 & 0x07) != 0) {
        notes.Skip(flags2 & 0x01 ? "Filters" : "BlendMode");
    }
    if (flags & 0x80) {
        notes.Skip("ClipActions");
    }
    return c;
}

const char* TagName(unsigned code) {
    switch (code) {
        case 6:
            return "DefineBits";
        case 7:
            return "DefineButton";
        case 8:
            return "JPEGTables";
        case 10:
            return "DefineFont";
        case 11:
            return "DefineText";
        case 12:
            return "DoAction";
        case 13:
            return "DefineFontInfo";
        case 14:
            return "DefineSound";
        case 15:
            return "StartSound";
        case 17:
            return "DefineButtonSound";
        case 18:
            return "SoundStreamHead";
        case 19:
            return "SoundStreamBlock";
        case 20:
            return "DefineBitsLossless";
        case 21:
            return "DefineBitsJPEG2";
        case 23:
            return "DefineButtonCxform";
        case 33:
            return "DefineText2";
        case 34:
            return "DefineButton2";
        case 35:
            return "DefineBitsJPEG3";
        case 36:
            return "DefineBitsLossless2";
        case 37:
            return "DefineEditText";
        case 39:
            return "DefineSprite";
        case 45:
            return "SoundStreamHead2";
        case 46:
            return "DefineMorphShape";
        case 48:
            return "DefineFont2";
        case 56:
            return "ExportAssets";
        case 57:
            return "ImportAssets";
        case 59:
            return "DoInitAction";
        case 60:
            return "DefineVideoStream";
        case 61:
            return "VideoFrame";
        case 62:
            return "DefineFontInfo2";
        case 71:
            return "ImportAssets2";
        case 73:
            return "DefineFontAlignZones";
        case 74:
            return "CSMTextSettings";
        case 75:
            return "DefineFont3";
        case 76:
            return "SymbolClass";
        case 78:
            return "DefineScalingGrid";
        case 82:
            return "DoABC";
        case 84:
            return "DefineMorphShape2";
        case 87:
            return "DefineBinaryData";
        case 88:
            return "DefineFontName";
        case 89:
            return "StartSound2";
        case 90:
            return "DefineBitsJPEG4";
        case 91:
            return "DefineFont4";
        default:
            return nullptr;
    }
}

// Tags that describe the file rather than draw anything: passed over without a note.
bool Descriptive(unsigned code) {
    switch (code) {
        case 24:  // Protect
        case 41:  // ProductInfo
        case 43:  // FrameLabel
        case 58:  // EnableDebugger
        case 63:  // DebugID
        case 64:  // EnableDebugger2
        case 65:  // ScriptLimits
        case 66:  // SetTabIndex
        case 69:  // FileAttributes
        case 77:  // Metadata
        case 86:  // DefineSceneAndFrameLabelData
            return true;
        default:
            return false;
    }
}

bool ReadTags(Reader& body, Movie& movie, std::string& error) {
    Notes notes{movie.skipped};
    std::vector<Command> current;
    int tags = 0;
    for (;;) {
        if (++tags > kMaxFlashTags) {
            error = "too many tags";
            return false;
        }
        std::uint16_t header = body.U16();
        unsigned code = header >> 6;
        std::size_t length = header & 0x3F;
        if (length == 0x3F) {
            length = body.U32();
        }
        const std::uint8_t* data = body.Take(length);
        if (!body.Ok()) {
            error = "truncated tag";
            return false;
        }
        Reader r(data, length);
        switch (code) {
            case 0:
                // Changes after the last shown frame are never seen; a file that shows no
                // frame has one.
                if (movie.frames.empty()) {
                    movie.frames.push_back(std::move(current));
                }
                return true;
            case 1:
                movie.frames.push_back(std::move(current));
                current.clear();
                break;
            case 9: {
                Command c;
                c.kind = Command::kBackground;
                c.background = ReadColor(r, false);
                current.push_back(c);
                break;
            }
            case 2:
            case 22:
            case 32:
            case 83: {
                int version = code == 2 ? 1 : code == 22 ? 2 : code == 32 ? 3 : 4;
                std::uint16_t id = r.U16();
                Shape shape;
                if (!ReadShape(r, version, shape, notes)) {
                    error = notes.edges > kMaxEdges ? "too many edges" : "damaged shape";
                    return false;
                }
                movie.shapes[id] = std::move(shape);
                break;
            }
            case 4: {
                Command c;
                c.character = r.U16();
                c.depth = r.U16();
                c.matrix = ReadMatrix(r);
                if (r.Remaining() > 0) {
                    c.transform = ReadColorTransform(r, false);
                }
                current.push_back(c);
                break;
            }
            case 26:
            case 70:
                current.push_back(ReadPlace(r, code == 70, notes));
                break;
            case 5:
            case 28: {
                Command c;
                c.kind = Command::kRemove;
                if (code == 5) {
                    r.U16();
                }
                c.depth = r.U16();
                current.push_back(c);
                break;
            }
            default:
                if (code == 14 || code == 18 || code == 45) {
                    movie.hasSound = true;
                } else if (code == 60) {
                    movie.hasVideo = true;
                }
                if (!Descriptive(code)) {
                    const char* name = TagName(code);
                    notes.Skip(name != nullptr ? name : "Tag" + std::to_string(code));
                }
                break;
        }
        if (!r.Ok()) {
            error = "damaged tag " + std::to_string(code);
            return false;
        }
    }
}

bool Inflate(const std::uint8_t* in, std::size_t size, std::vector<std::uint8_t>& out,
             std::string& error) {
    z_stream z{};
    if (inflateInit(&z) != Z_OK) {
        error = "zlib";
        return false;
    }
    z.next_in = const_cast<Bytef*>(in);
    z.avail_in = static_cast<uInt>(size);
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    // The stream must end, checksum and all, exactly when the declared length is reached.
    int result = Z_OK;
    while (result == Z_OK) {
        result = inflate(&z, Z_FINISH);
    }
    inflateEnd(&z);
    if (result != Z_STREAM_END || z.avail_out > 0) {
        error = result == Z_DATA_ERROR ? "damaged zlib data" : "truncated or mislabelled zlib data";
        return false;
    }
    return true;
}

bool Unlzma(const std::uint8_t* in, std::size_t size, std::vector<std::uint8_t>& out,
            std::string& error) {
    // 4-byte compressed length, 5 bytes of properties, then raw LZMA data.
    if (size < 9) {
        error = "truncated";
        return false;
    }
    lzma_filter filters[2] = {{LZMA_FILTER_LZMA1, nullptr}, {LZMA_VLI_UNKNOWN, nullptr}};
    if (lzma_properties_decode(&filters[0], nullptr, in + 4, 5) != LZMA_OK) {
        error = "damaged LZMA properties";
        return false;
    }
    // The dictionary never needs to be larger than the output: a hostile size costs nothing.
    auto* options = static_cast<lzma_options_lzma*>(filters[0].options);
    options->dict_size = std::clamp<std::uint32_t>(
        options->dict_size, LZMA_DICT_SIZE_MIN,
        std::max<std::uint32_t>(LZMA_DICT_SIZE_MIN, static_cast<std::uint32_t>(out.size())));
    lzma_stream z = LZMA_STREAM_INIT;
    lzma_ret result = lzma_raw_decoder(&z, filters);
    std::free(filters[0].options);
    if (result != LZMA_OK) {
        error = "LZMA";
        return false;
    }
    z.next_in = in + 9;
    z.avail_in = size - 9;
    z.next_out = out.data();
    z.avail_out = out.size();
    // All the input is there: decode until the output is full or the decoder stops.
    while (z.avail_out > 0) {
        std::size_t before = z.avail_in + z.avail_out;
        result = lzma_code(&z, LZMA_FINISH);
        if (result != LZMA_OK || z.avail_in + z.avail_out == before) {
            break;
        }
    }
    bool full = z.avail_out == 0;
    lzma_end(&z);
    if (!full) {
        error = result == LZMA_OK || result == LZMA_STREAM_END || result == LZMA_BUF_ERROR
                    ? "truncated"
                    : "damaged LZMA data";
        return false;
    }
    return true;
}

}  // namespace

Color ColorTransform::Apply(Color color) const {
    std::uint8_t* channels[4] = {&color.r, &color.g, &color.b, &color.a};
    for (int i = 0; i < 4; ++i) {
        double value = std::round(*channels[i] * mul[i] + add[i]);
        *channels[i] = static_cast<std::uint8_t>(std::clamp(value, 0.0, 255.0));
    }
    return color;
}

bool Parse(const std::uint8_t* data, std::size_t size, Movie& movie, std::string& error) {
    if (size < 8 || (std::memcmp(data, "FWS", 3) != 0 && std::memcmp(data, "CWS", 3) != 0 &&
                     std::memcmp(data, "ZWS", 3) != 0)) {
        error = "not a SWF file";
        return false;
    }
    movie.version = data[3];
    std::uint32_t length = static_cast<std::uint32_t>(data[4]) | std::uint32_t{data[5]} << 8 |
                           std::uint32_t{data[6]} << 16 | std::uint32_t{data[7]} << 24;
    if (length > kMaxFlashBytes) {
        error = "larger than the engine's limit";
        return false;
    }
    if (length < 8) {
        error = "damaged header";
        return false;
    }
    std::vector<std::uint8_t> inflated;
    const std::uint8_t* body = data + 8;
    std::size_t bodySize = length - 8;
    if (data[0] == 'F') {
        if (size < length) {
            error = "truncated";
            return false;
        }
    } else {
        inflated.resize(bodySize);
        bool ok = data[0] == 'C' ? Inflate(data + 8, size - 8, inflated, error)
                                 : Unlzma(data + 8, size - 8, inflated, error);
        if (!ok) {
            return false;
        }
        body = inflated.data();
    }
    Reader r(body, bodySize);
    Rect frame = ReadRect(r);
    movie.xMin = frame.xMin;
    movie.xMax = frame.xMax;
    movie.yMin = frame.yMin;
    movie.yMax = frame.yMax;
    movie.rate = r.U16();
    movie.headerFrames = r.U16();
    if (!r.Ok()) {
        error = "truncated";
        return false;
    }
    if (frame.xMax <= frame.xMin || frame.yMax <= frame.yMin) {
        error = "empty frame";
        return false;
    }
    return ReadTags(r, movie, error);
}

void Stage::Apply(const std::vector<Command>& commands) {
    for (const Command& c : commands) {
        if (c.kind == Command::kBackground) {
            background = c.background;
            background.a = 255;
        } else if (c.kind == Command::kRemove) {
            list.erase(c.depth);
        } else if (!c.move) {
            if (c.character) {
                list[c.depth] =
                    Placed{*c.character, c.matrix.value_or(Matrix{}), c.transform, c.clipLayer};
            }
        } else if (auto found = list.find(c.depth); found != list.end()) {
            Placed& placed = found->second;
            if (c.character) {
                placed.character = *c.character;
            }
            if (c.matrix) {
                placed.matrix = *c.matrix;
            }
            if (c.transform) {
                placed.transform = c.transform;
            }
        }
    }
}

}  // namespace tmxhost::swf
