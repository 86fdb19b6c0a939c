#include "pictures/GifLoader.h"

#include <cstring>

namespace tav {

bool IsGif(const unsigned char* data, std::size_t size) {
    return size >= 6 && (std::memcmp(data, "GIF87a", 6) == 0 || std::memcmp(data, "GIF89a", 6) == 0);
}

DecodedPicture LoadGif(QIODevice& device, const DecodeRequest& request) {
    return DecodeWithQt(device, {"gif"}, request);
}

}  // namespace tav
