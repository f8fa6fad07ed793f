// Test videos written with libavcodec's MPEG-4 part 2 encoder.
#include "../Control/TmxHost.h"

namespace tmxhost {

bool WriteVideo(const std::string&, const VideoSpec&, std::string* error) {
    if (error != nullptr) {
        *error = "not available";
    }
    return false;
}

}  // namespace tmxhost
