#include "surfaces/PictureSlots.h"

#include <utility>

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

void SlideSurfaces::ReleaseOutgoing() {
    const int s = CurrentSlot ^ 1;
    clsPicture& slot = Slot(s);
    if (!slot.hDC || !SavedObjects[s]) return;
    // The context's own bitmap goes back in; the picture goes with the last share of it.
    slot.hDC->select(std::exchange(SavedObjects[s], nullptr));
    slot.header = GetObjectHeader(slot.hDC->bitmap());
}

void SlideSurfaces::SetArea(int width, int height, Pixel background) {
    Display.bitmap().resize(width, height, background);
}

}  // namespace tav
