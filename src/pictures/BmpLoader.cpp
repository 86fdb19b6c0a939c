#include "pictures/BmpLoader.h"

namespace tav {

bool IsBmp(const unsigned char* data, std::size_t size) { return size >= 2 && data[0] == 'B' && data[1] == 'M'; }

DecodedPicture LoadBmp(QIODevice& device, const DecodeRequest& request) {
    return DecodeWithQt(device, {"bmp"}, request);
}

}  // namespace tav
