#include "support/SwfMaker.h"

#include <lzma.h>
#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <fstream>

namespace swfmaker {
namespace {

class BitWriter {
public:
    void Bits(std::uint32_t value, int count) {
        for (int i = count - 1; i >= 0; --i) {
            if (m_bit == 0) {
                m_bytes.push_back(0);
            }
            if ((value >> i) & 1u) {
                m_bytes.back() |= static_cast<std::uint8_t>(0x80 >> m_bit);
            }
            m_bit = (m_bit + 1) % 8;
        }
    }
    void SBits(int value, int count) { Bits(static_cast<std::uint32_t>(value), count); }
    void Align() { m_bit = 0; }
    void U8(int value) {
        Align();
        m_bytes.push_back(static_cast<std::uint8_t>(value));
    }
    void U16(int value) {
        U8(value & 0xFF);
        U8((value >> 8) & 0xFF);
    }
    void Append(const Bytes& bytes) {
        Align();
        m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
    }
    Bytes Take() {
        Align();
        return std::move(m_bytes);
    }

private:
    Bytes m_bytes;
    int m_bit = 0;
};

// Bits for a signed value.
int SignedBits(long long value) {
    int bits = 1;
    while (value < -(1LL << (bits - 1)) || value >= (1LL << (bits - 1))) {
        ++bits;
    }
    return bits;
}

int SignedBits(std::initializer_list<long long> values) {
    int bits = 0;
    for (long long v : values) {
        bits = std::max(bits, SignedBits(v));
    }
    return bits;
}

void Color(BitWriter& w, Rgba color, bool alpha) {
    w.U8(color >> 24);
    w.U8((color >> 16) & 0xFF);
    w.U8((color >> 8) & 0xFF);
    if (alpha) {
        w.U8(color & 0xFF);
    }
}

void WriteRect(BitWriter& w, int xMin, int xMax, int yMin, int yMax) {
    w.Align();
    int bits = SignedBits({xMin, xMax, yMin, yMax});
    w.Bits(bits, 5);
    for (int v : {xMin, xMax, yMin, yMax}) {
        w.SBits(v, bits);
    }
    w.Align();
}

void WriteMatrix(BitWriter& w, const Matrix& m) {
    w.Align();
    auto fixed = [](double v) { return std::lround(v * 65536); };
    bool scale = m.scaleX != 1 || m.scaleY != 1;
    w.Bits(scale ? 1 : 0, 1);
    if (scale) {
        int bits = SignedBits({fixed(m.scaleX), fixed(m.scaleY)});
        w.Bits(bits, 5);
        w.SBits(fixed(m.scaleX), bits);
        w.SBits(fixed(m.scaleY), bits);
    }
    bool rotate = m.skew0 != 0 || m.skew1 != 0;
    w.Bits(rotate ? 1 : 0, 1);
    if (rotate) {
        int bits = SignedBits({fixed(m.skew0), fixed(m.skew1)});
        w.Bits(bits, 5);
        w.SBits(fixed(m.skew0), bits);
        w.SBits(fixed(m.skew1), bits);
    }
    int bits = m.tx == 0 && m.ty == 0 ? 0 : SignedBits({m.tx, m.ty});
    w.Bits(bits, 5);
    w.SBits(m.tx, bits);
    w.SBits(m.ty, bits);
    w.Align();
}

void WriteTransform(BitWriter& w, const ColorTransform& t) {
    w.Align();
    int bits = SignedBits(
        {t.mul[0], t.mul[1], t.mul[2], t.mul[3], t.add[0], t.add[1], t.add[2], t.add[3]});
    w.Bits(1, 1);  // add terms
    w.Bits(1, 1);  // multiply terms
    w.Bits(bits, 4);
    for (int v : t.mul) {
        w.SBits(v, bits);
    }
    for (int v : t.add) {
        w.SBits(v, bits);
    }
    w.Align();
}

int UnsignedBits(std::size_t count) {
    int bits = 0;
    while ((std::size_t{1} << bits) <= count) {
        ++bits;
    }
    return bits;
}

Bytes Zlib(const Bytes& data) {
    uLongf size = compressBound(data.size());
    Bytes out(size);
    compress2(out.data(), &size, data.data(), data.size(), 9);
    out.resize(size);
    return out;
}

// Raw LZMA1 data and its 5 bytes of properties.
Bytes Lzma(const Bytes& data, Bytes& properties) {
    lzma_options_lzma options;
    lzma_lzma_preset(&options, 6);
    options.dict_size = 1 << 16;
    lzma_filter filters[2] = {{LZMA_FILTER_LZMA1, &options}, {LZMA_VLI_UNKNOWN, nullptr}};
    properties.assign(5, 0);
    lzma_properties_encode(&filters[0], properties.data());
    lzma_stream z = LZMA_STREAM_INIT;
    lzma_raw_encoder(&z, filters);
    Bytes out(data.size() + data.size() / 2 + 1024);
    z.next_in = data.data();
    z.avail_in = data.size();
    z.next_out = out.data();
    z.avail_out = out.size();
    while (lzma_code(&z, LZMA_FINISH) == LZMA_OK) {
    }
    out.resize(z.total_out);
    lzma_end(&z);
    return out;
}

}  // namespace

int Shape::Fill(Rgba color) {
    m_fills.push_back(color);
    return static_cast<int>(m_fills.size());
}

int Shape::Line(int widthTwips, Rgba color) {
    m_lines.emplace_back(widthTwips, color);
    return static_cast<int>(m_lines.size());
}

Shape& Shape::Style(int fill0, int fill1, int line) {
    m_records.push_back({Record::kStyle, fill0, fill1, line, 0});
    return *this;
}

Shape& Shape::MoveTo(int x, int y) {
    m_records.push_back({Record::kMove, x, y, 0, 0});
    m_x = x;
    m_y = y;
    return *this;
}

Shape& Shape::LineTo(int x, int y) {
    m_records.push_back({Record::kLine, x - m_x, y - m_y, 0, 0});
    m_x = x;
    m_y = y;
    return *this;
}

Shape& Shape::CurveTo(int cx, int cy, int x, int y) {
    m_records.push_back({Record::kCurve, cx - m_x, cy - m_y, x - cx, y - cy});
    m_x = x;
    m_y = y;
    return *this;
}

Shape& Shape::Rect(int x, int y, int w, int h) {
    return MoveTo(x, y).LineTo(x + w, y).LineTo(x + w, y + h).LineTo(x, y + h).LineTo(x, y);
}

Bytes Shape::Tag(std::uint16_t id) const {
    BitWriter w;
    w.U16(id);
    WriteRect(w, 0, 20, 0, 20);  // bounds are not used for drawing
    if (m_version == 4) {
        WriteRect(w, 0, 20, 0, 20);
        w.U8(0);
    }
    bool alpha = m_version >= 3;
    w.U8(static_cast<int>(m_fills.size()));
    for (Rgba fill : m_fills) {
        w.U8(0x00);
        Color(w, fill, alpha);
    }
    w.U8(static_cast<int>(m_lines.size()));
    for (const auto& [width, color] : m_lines) {
        w.U16(width);
        if (m_version == 4) {
            w.U8(0);  // round caps and joins, no fill
            w.U8(0);
        }
        Color(w, color, alpha || m_version == 4);
    }
    int fillBits = UnsignedBits(m_fills.size());
    int lineBits = UnsignedBits(m_lines.size());
    w.Bits(fillBits, 4);
    w.Bits(lineBits, 4);
    for (const Record& r : m_records) {
        switch (r.kind) {
            case Record::kStyle:
                w.Bits(0, 1);
                w.Bits(0x0E, 5);  // line style, fill 1, fill 0
                w.Bits(r.a, fillBits);
                w.Bits(r.b, fillBits);
                w.Bits(r.c, lineBits);
                break;
            case Record::kMove: {
                w.Bits(0, 1);
                w.Bits(0x01, 5);
                int bits = SignedBits({r.a, r.b});
                w.Bits(bits, 5);
                w.SBits(r.a, bits);
                w.SBits(r.b, bits);
                break;
            }
            case Record::kLine: {
                int bits = std::max(2, SignedBits({r.a, r.b}));
                w.Bits(1, 1);
                w.Bits(1, 1);
                w.Bits(bits - 2, 4);
                w.Bits(1, 1);  // general line
                w.SBits(r.a, bits);
                w.SBits(r.b, bits);
                break;
            }
            case Record::kCurve: {
                int bits = std::max(2, SignedBits({r.a, r.b, r.c, r.d}));
                w.Bits(1, 1);
                w.Bits(0, 1);
                w.Bits(bits - 2, 4);
                for (int v : {r.a, r.b, r.c, r.d}) {
                    w.SBits(v, bits);
                }
                break;
            }
        }
    }
    w.Bits(0, 6);  // end of shape
    static const int kCodes[] = {2, 2, 22, 32, 83};
    return TagBytes(kCodes[std::clamp(m_version, 1, 4)], w.Take());
}

Bytes TagBytes(int code, const Bytes& body) {
    BitWriter w;
    if (body.size() < 0x3F) {
        w.U16(code << 6 | static_cast<int>(body.size()));
    } else {
        w.U16(code << 6 | 0x3F);
        w.U16(static_cast<int>(body.size() & 0xFFFF));
        w.U16(static_cast<int>(body.size() >> 16));
    }
    w.Append(body);
    return w.Take();
}

Movie::Movie(int widthPx, int heightPx, double fps, int version) : m_version(version) {
    BitWriter w;
    WriteRect(w, 0, widthPx * 20, 0, heightPx * 20);
    w.U16(static_cast<int>(std::lround(fps * 256)));
    m_body = w.Take();
    m_countAt = m_body.size();
    m_body.push_back(0);
    m_body.push_back(0);
}

Movie& Movie::Tag(int code, const Bytes& body) {
    Bytes tag = TagBytes(code, body);
    m_body.insert(m_body.end(), tag.begin(), tag.end());
    return *this;
}

Movie& Movie::Background(std::uint32_t rgb) {
    return Tag(9, {static_cast<std::uint8_t>(rgb >> 16), static_cast<std::uint8_t>(rgb >> 8),
                   static_cast<std::uint8_t>(rgb)});
}

Movie& Movie::Define(std::uint16_t id, const Shape& shape) {
    Bytes tag = shape.Tag(id);
    m_body.insert(m_body.end(), tag.begin(), tag.end());
    return *this;
}

Movie& Movie::Place(std::uint16_t id, std::uint16_t depth, const Matrix& matrix,
                    const std::optional<ColorTransform>& transform) {
    BitWriter w;
    w.U8(0x02 | 0x04 | (transform ? 0x08 : 0));
    w.U16(depth);
    w.U16(id);
    WriteMatrix(w, matrix);
    if (transform) {
        WriteTransform(w, *transform);
    }
    return Tag(26, w.Take());
}

Movie& Movie::Move(std::uint16_t depth, const Matrix& matrix,
                   const std::optional<ColorTransform>& transform, std::uint16_t id) {
    BitWriter w;
    w.U8(0x01 | 0x04 | (transform ? 0x08 : 0) | (id != 0 ? 0x02 : 0));
    w.U16(depth);
    if (id != 0) {
        w.U16(id);
    }
    WriteMatrix(w, matrix);
    if (transform) {
        WriteTransform(w, *transform);
    }
    return Tag(26, w.Take());
}

Movie& Movie::PlaceFirstForm(std::uint16_t id, std::uint16_t depth, const Matrix& matrix) {
    BitWriter w;
    w.U16(id);
    w.U16(depth);
    WriteMatrix(w, matrix);
    return Tag(4, w.Take());
}

Movie& Movie::Remove(std::uint16_t depth) {
    return Tag(28, {static_cast<std::uint8_t>(depth), static_cast<std::uint8_t>(depth >> 8)});
}

Movie& Movie::ShowFrame() {
    ++m_frames;
    return Tag(1, {});
}

Bytes Movie::File(Compression compression, std::optional<std::uint32_t> lengthField) const {
    Bytes body = m_body;
    body[m_countAt] = static_cast<std::uint8_t>(m_frames);
    body[m_countAt + 1] = static_cast<std::uint8_t>(m_frames >> 8);
    Bytes end = TagBytes(0, {});
    body.insert(body.end(), end.begin(), end.end());
    std::uint32_t length = lengthField.value_or(static_cast<std::uint32_t>(body.size() + 8));
    const char* signature = compression == Compression::kNone   ? "FWS"
                            : compression == Compression::kZlib ? "CWS"
                                                                : "ZWS";
    Bytes file(signature, signature + 3);
    file.push_back(static_cast<std::uint8_t>(m_version));
    for (int i = 0; i < 4; ++i) {
        file.push_back(static_cast<std::uint8_t>(length >> (8 * i)));
    }
    if (compression == Compression::kNone) {
        file.insert(file.end(), body.begin(), body.end());
    } else if (compression == Compression::kZlib) {
        Bytes packed = Zlib(body);
        file.insert(file.end(), packed.begin(), packed.end());
    } else {
        Bytes properties;
        Bytes packed = Lzma(body, properties);
        for (int i = 0; i < 4; ++i) {
            file.push_back(static_cast<std::uint8_t>(packed.size() >> (8 * i)));
        }
        file.insert(file.end(), properties.begin(), properties.end());
        file.insert(file.end(), packed.begin(), packed.end());
    }
    return file;
}

bool Movie::Write(const std::string& path, Compression compression) const {
    return WriteFile(path, File(compression));
}

bool WriteFile(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

}  // namespace swfmaker
