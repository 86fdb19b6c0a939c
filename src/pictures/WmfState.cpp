#include "pictures/WmfState.h"

#include "base/ColourQt.h"
#include "pictures/WmfCanvas.h"

#include <cstddef>

namespace tav::wmf {
namespace {

constexpr std::size_t kMaxSaveDepth = 1000;

// A point or extent "x, y" stored as y, x.
QPointF PairOf(const Params& p) { return QPointF(p.s(1), p.s(0)); }

Played SetPoint(Canvas& c, const Params& p, QPointF& to) {
    if (!p.has(2)) return Played::Skipped;
    to = PairOf(p);
    c.applyTransform();
    return Played::Drawn;
}

Played OffsetPoint(Canvas& c, const Params& p, QPointF& point) {
    if (!p.has(2)) return Played::Skipped;
    point += PairOf(p);
    c.applyTransform();
    return Played::Drawn;
}

// An extent of zero would make the mapping singular; the record is refused.
Played SetExtent(Canvas& c, const Params& p, QPointF& ext) {
    if (!p.has(2) || p.s(0) == 0 || p.s(1) == 0) return Played::Skipped;
    return SetPoint(c, p, ext);
}

Played ScaleExtent(Canvas& c, const Params& p, QPointF& ext) {
    if (!p.has(4) || p.s(0) == 0 || p.s(2) == 0 || p.s(1) == 0 || p.s(3) == 0) return Played::Skipped;
    const QPointF scaled(ext.x() * p.s(3) / p.s(2), ext.y() * p.s(1) / p.s(0));
    if (scaled.x() == 0 || scaled.y() == 0) return Played::Skipped;
    ext = scaled;
    c.applyTransform();
    return Played::Drawn;
}

Played SetColour(const Params& p, QColor& colour) {
    if (!p.has(2)) return Played::Skipped;
    colour = ColorFromColorref(Colorref{p.u32(0)});
    return Played::Drawn;
}

Played SetMode(const Params& p, int& mode) {
    if (!p.has(1)) return Played::Skipped;
    mode = p.u(0);
    return Played::Drawn;
}

// A positive count names a saved state from the bottom of the stack (1 the
// first saved), a negative one counts back from the top.
Played RestoreDc(Canvas& c, const Params& p) {
    if (!p.has(1)) return Played::Skipped;
    const int n = p.s(0);
    std::size_t keep;
    if (n < 0) {
        if (std::size_t(-n) > c.saved.size()) return Played::Skipped;
        keep = c.saved.size() - std::size_t(-n);
    } else {
        if (n == 0 || std::size_t(n) > c.saved.size()) return Played::Skipped;
        keep = std::size_t(n) - 1;
    }
    c.dc = c.saved[keep];
    c.saved.resize(keep);
    c.applyTransform();
    c.clipChanged = true;
    return Played::Drawn;
}

}  // namespace

Played PlayStateRecord(Canvas& c, std::uint16_t f, const Params& p) {
    DcState& dc = c.dc;
    switch (f) {
    case kSetWindowOrg: return SetPoint(c, p, dc.winOrg);
    case kSetWindowExt: return SetExtent(c, p, dc.winExt);
    case kSetViewportOrg: return SetPoint(c, p, dc.vpOrg);
    case kSetViewportExt: return SetExtent(c, p, dc.vpExt);
    case kOffsetWindowOrg: return OffsetPoint(c, p, dc.winOrg);
    case kOffsetViewportOrg: return OffsetPoint(c, p, dc.vpOrg);
    case kScaleWindowExt: return ScaleExtent(c, p, dc.winExt);
    case kScaleViewportExt: return ScaleExtent(c, p, dc.vpExt);
    // Pictures are always played anisotropically into their frame, the way a
    // program places a metafile into a rectangle.
    case kSetMapMode: return Played::Drawn;
    case kSetBkColor: return SetColour(p, dc.bkColor);
    case kSetTextColor: return SetColour(p, dc.textColor);
    case kSetBkMode: return SetMode(p, dc.bkMode);
    case kSetTextAlign: return SetMode(p, dc.textAlign);
    case kSetPolyFillMode: return SetMode(p, dc.polyFill);
    case kSetRop2: return SetMode(p, dc.rop2);
    case kSetStretchBltMode: return Played::Drawn;
    case kSaveDc:
        if (c.saved.size() >= kMaxSaveDepth) return Played::Skipped;
        c.saved.push_back(dc);
        return Played::Drawn;
    case kRestoreDc: return RestoreDc(c, p);
    default: return Played::Elsewhere;
    }
}

}  // namespace tav::wmf
