#include "pictures/WmfClip.h"

#include "pictures/WmfCanvas.h"

namespace tav::wmf {
namespace {

// A clip region is kept to this many rectangles: a record that would make it
// more complex is not carried out. Every clip operation is then bounded, and
// clip handling stays linear in the number of records.
constexpr int kMaxClipRects = 256;

Played CombineClipRect(Canvas& c, std::uint16_t f, const Params& p) {
    if (!p.has(4)) return Played::Skipped;
    const QRect dev = c.deviceRect(BoxOf(p, 0));
    QRegion clip = c.dc.clip.value_or(QRegion(QRect(QPoint(0, 0), c.size())));
    c.work += clip.rectCount();
    clip = f == kIntersectClipRect ? clip.intersected(dev) : clip.subtracted(dev);
    if (clip.rectCount() > kMaxClipRects) return Played::Skipped;
    c.dc.clip = clip;
    c.clipChanged = true;
    return Played::Drawn;
}

}  // namespace

Played PlayClipRecord(Canvas& c, std::uint16_t f, const Params& p) {
    switch (f) {
    case kIntersectClipRect:
    case kExcludeClipRect: return CombineClipRect(c, f, p);
    default: return Played::Elsewhere;
    }
}

}  // namespace tav::wmf
