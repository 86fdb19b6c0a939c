#include "surfaces/PictureSlots.h"

namespace tav {

clsPicture::clsPicture() : hDC(std::make_unique<DC>()) {}

void clsPicture::ClearMemory() { hDC.reset(); }

void clsPicture::CreateDC(const DC& reference) { hDC = CreateCompatibleDC(&reference); }

clsPicture& SlideSurfaces::Slot(int k) {
    auto& slot = SlotPictures[k & 3];
    if (!slot) slot = std::make_unique<clsPicture>();
    return *slot;
}

void SlideSurfaces::GetImageDC(int s, const DC& reference, BitmapPtr bitmap) {
    clsPicture& slot = Slot(s);
    // Put the context's original bitmap back; the previous picture goes with the old context.
    if (slot.hDC && SavedObjects[s]) slot.hDC->select(SavedObjects[s]);
    slot.ClearMemory();
    slot.CreateDC(reference);
    slot.header = GetObjectHeader(*bitmap);
    SavedObjects[s] = slot.hDC->select(std::move(bitmap));
}

void SlideSurfaces::SetArea(int width, int height, Pixel background) {
    Display.bitmap().resize(width, height, background);
    Pic_DD.bitmap().resize(width, height, background);
}

}  // namespace tav
