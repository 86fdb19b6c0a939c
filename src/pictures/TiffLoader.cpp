#include "pictures/TiffLoader.h"

#include <cstring>

namespace tav {

bool IsTiff(const unsigned char* data, std::size_t size) {
    if (size < 4) return false;
    return std::memcmp(data, "II*\0", 4) == 0 || std::memcmp(data, "MM\0*", 4) == 0 ||
           std::memcmp(data, "II+\0", 4) == 0 || std::memcmp(data, "MM\0+", 4) == 0;
}

DecodedPicture LoadTiff(QIODevice& device, const DecodeRequest& request) {
    // Qt's reader reads the orientation tag itself and starts at the first page.
    return DecodeWithQt(device, {"tiff"}, request);
}

}  // namespace tav
