#pragma once
// The gallery: an animated WebP of every effect at a small size, on the
// user's own two pictures or the built-in cards, and an index.html that lists
// them by number with what each one does, so the effects can be told apart
// and chosen by eye.

#include "render/RenderOptions.h"

namespace tav {

// The file of effect `number` inside the gallery's folder.
std::string GalleryFileName(int number);

// Exit status: 0, or 1 after a one-line message on standard error.
int RenderGallery(const RenderOptions& options);

}  // namespace tav
