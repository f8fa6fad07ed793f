// Writes small SWF files for the Flash engine's tests: a header, the background colour, shapes
// with solid fills, lines and curves, display-list changes and frames, stored plain (FWS), with
// zlib (CWS) or with LZMA (ZWS). Coordinates are in twips (20 to a pixel).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace swfmaker {

using Bytes = std::vector<std::uint8_t>;

enum class Compression { kNone, kZlib, kLzma };

// 0xRRGGBBAA
using Rgba = std::uint32_t;

struct Matrix {
    double scaleX = 1, scaleY = 1, skew0 = 0, skew1 = 0;
    int tx = 0, ty = 0;  // twips
};

// Multipliers in 1/256 (256 = unchanged), addends -255..255: r, g, b, a.
struct ColorTransform {
    int mul[4] = {256, 256, 256, 256};
    int add[4] = {0, 0, 0, 0};
};

// A shape's styles and outline. Style indices count from 1; 0 is none.
class Shape {
public:
    explicit Shape(int version = 3) : m_version(version) {}
    int Fill(Rgba color);
    int Line(int widthTwips, Rgba color);
    Shape& Style(int fill0, int fill1, int line);
    Shape& MoveTo(int x, int y);
    Shape& LineTo(int x, int y);
    Shape& CurveTo(int cx, int cy, int x, int y);
    // A closed rectangle in the current styles.
    Shape& Rect(int x, int y, int w, int h);
    // The tag (DefineShape, 2, 3 or 4 by version) defining character `id`.
    Bytes Tag(std::uint16_t id) const;

private:
    struct Record {
        enum Kind { kStyle, kMove, kLine, kCurve } kind;
        int a, b, c, d;
    };
    int m_version;
    std::vector<Rgba> m_fills;
    std::vector<std::pair<int, Rgba>> m_lines;
    std::vector<Record> m_records;
    int m_x = 0, m_y = 0;
};

class Movie {
public:
    Movie(int widthPx, int heightPx, double fps = 10, int version = 8);
    Movie& Background(std::uint32_t rgb);
    Movie& Define(std::uint16_t id, const Shape& shape);
    // PlaceObject2: a new character, a move of what is at the depth (character 0 keeps it)
    Movie& Place(std::uint16_t id, std::uint16_t depth, const Matrix& matrix = {},
                 const std::optional<ColorTransform>& transform = std::nullopt);
    Movie& Move(std::uint16_t depth, const Matrix& matrix,
                const std::optional<ColorTransform>& transform = std::nullopt,
                std::uint16_t id = 0);
    // PlaceObject (the first form): character, depth, matrix.
    Movie& PlaceFirstForm(std::uint16_t id, std::uint16_t depth, const Matrix& matrix = {});
    Movie& Remove(std::uint16_t depth);
    Movie& ShowFrame();
    Movie& Tag(int code, const Bytes& body);
    // The whole file, End tag appended; the header's length field can be overridden.
    Bytes File(Compression compression,
               std::optional<std::uint32_t> lengthField = std::nullopt) const;
    bool Write(const std::string& path, Compression compression = Compression::kNone) const;

private:
    int m_version;
    Bytes m_body;  // frame rectangle, rate, count, tags
    int m_frames = 0;
    std::size_t m_countAt = 0;
};

// Raw tag bytes: the header (short or long form) and the body.
Bytes TagBytes(int code, const Bytes& body);
// Writes bytes to a file.
bool WriteFile(const std::string& path, const Bytes& bytes);

}  // namespace swfmaker
