// Image files made by the tests themselves with each format's own library.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace imagemaker {

using Bytes = std::vector<unsigned char>;
// The colour of pixel (x, y) as 0xAARRGGBB (straight alpha).
using Pixels = std::function<std::uint32_t(int x, int y)>;

// Every pixel one colour.
Pixels Solid(std::uint32_t argb);
// The RGB888 colour that an RGB565 value expands to, opaque.
std::uint32_t From565(std::uint16_t rgb565);

Bytes Png(int width, int height, const Pixels& pixels);
// An animated PNG of `frames` frames (acTL, fcTL and fdAT chunks around the default image).
Bytes Apng(int width, int height, int frames, std::uint32_t argb);
Bytes Jpeg(int width, int height, const Pixels& pixels, int quality = 90);
// A GIF of `frames` frames, frame i in colour i of a four-colour palette (red, green, blue,
// white); one frame makes a still image.
Bytes Gif(int width, int height, int frames);
// Lossless WebP; with frames > 1 an animation of that many frames.
Bytes Webp(int width, int height, const Pixels& pixels, int frames = 1);

// Writes the bytes to a file; false when it cannot.
bool Save(const std::string& path, const Bytes& bytes);

}  // namespace imagemaker
