// The Flash engine's model of a SWF file: its header, the shapes it defines and, frame by frame,
// the changes to the display list. Parsing checks every read against the data it was given, so a
// damaged or hostile file is refused and never read out of bounds.
#pragma once

#include <cairo.h>

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tmxhost::swf {

// Edges a file may hold in all its shapes together; each costs memory and drawing time.
constexpr std::size_t kMaxEdges = 1u << 20;

struct Color {
    std::uint8_t r = 0, g = 0, b = 0, a = 255;
};

// An affine matrix in cairo's order: x' = xx x + xy y + x0, y' = yx x + yy y + y0 (twips).
struct Matrix {
    double xx = 1, yx = 0, xy = 0, yy = 1, x0 = 0, y0 = 0;
};

// Colour transform: each channel times its multiplier (1 = unchanged) plus its addend, clamped.
struct ColorTransform {
    double mul[4] = {1, 1, 1, 1};  // r, g, b, a
    int add[4] = {0, 0, 0, 0};
    Color Apply(Color color) const;
};

struct FillStyle {
    bool solid = false;  // gradients and bitmaps are not drawn
    Color color;
};

struct LineStyle {
    double width = 0;  // twips
    Color color;
    bool solid = true;  // false for a line filled with a gradient or bitmap (not drawn)
    int cap = 0;        // 0 round, 1 none, 2 square
    int join = 0;       // 0 round, 1 bevel, 2 miter
    double miterLimit = 3;
};

// One edge in twips; a curve is quadratic through its control point. Styles are indices into the
// shape's arrays plus one, 0 for none.
struct Edge {
    std::int32_t x0, y0, cx, cy, x1, y1;
    bool curved;
    std::uint32_t fill0, fill1, line;
};

// Styles brought in together, and the edges drawn with them.
struct StyleGroup {
    std::size_t fillBegin, fillEnd, lineBegin, lineEnd, edgeBegin, edgeEnd;
};

struct Shape {
    std::vector<FillStyle> fills;
    std::vector<LineStyle> lines;
    std::vector<Edge> edges;
    std::vector<StyleGroup> groups;
};

// A change to the display list, in the order the file makes them.
struct Command {
    enum Kind { kPlace, kRemove, kBackground } kind = kPlace;
    std::uint16_t depth = 0;
    bool move = false;  // modifies (or replaces) what is at the depth
    std::optional<std::uint16_t> character;
    std::optional<Matrix> matrix;
    std::optional<ColorTransform> transform;
    bool clipLayer = false;  // a mask: not drawn
    Color background;
};

struct Movie {
    int version = 0;
    std::int32_t xMin = 0, xMax = 0, yMin = 0, yMax = 0;  // frame in twips
    std::uint16_t rate = 0;                               // frames per 256 s
    std::uint16_t headerFrames = 0;
    std::vector<std::vector<Command>> frames;  // at least one
    std::map<std::uint16_t, Shape> shapes;
    bool hasVideo = false;
    bool hasSound = false;
    std::vector<std::string> skipped;  // names of content not drawn, each once
};

// Parses a whole SWF file (FWS, CWS or ZWS). False with a reason when it is refused.
bool Parse(const std::uint8_t* data, std::size_t size, Movie& movie, std::string& error);

// What is on the display list after some frames.
struct Placed {
    std::uint16_t character = 0;
    Matrix matrix;
    std::optional<ColorTransform> transform;
    bool clipLayer = false;
};
struct Stage {
    Color background{255, 255, 255, 255};
    std::map<std::uint16_t, Placed> list;
    void Apply(const std::vector<Command>& commands);
};

// Draws the stage on an image surface, the movie's frame scaled to fill it.
void Render(const Movie& movie, const Stage& stage, cairo_surface_t* surface);

}  // namespace tmxhost::swf
