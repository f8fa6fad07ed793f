// SWF parsing (in progress: header only).
#include <cstring>

#include "Swf.h"

namespace tmxhost::swf {

bool Parse(const std::uint8_t* data, std::size_t size, Movie& movie, std::string& error) {
    if (size < 8 || std::memcmp(data, "FWS", 3) != 0) {
        error = "not a SWF file";
        return false;
    }
    movie.version = data[3];
    movie.rate = 12 * 256;
    movie.frames.resize(1);
    return true;
}

void Stage::Apply(const std::vector<Command>&) {}

void Render(const Movie&, const Stage&, cairo_surface_t*) {}

}  // namespace tmxhost::swf
