#include "pictures/DecodedPicture.h"

namespace tav {

bool PictureSizeAcceptable(long long width, long long height) {
    return width > 0 && height > 0 && width <= kMaxPictureSide && height <= kMaxPictureSide &&
           width * height <= kMaxPicturePixels;
}

}  // namespace tav
