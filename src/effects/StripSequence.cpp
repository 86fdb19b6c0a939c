#include "effects/StripSequence.h"

#include <algorithm>

#include "effects/EffectHost.h"
#include "effects/FrameSteps.h"

namespace tav {
namespace {

// A copy between two rectangles that share their extent across the strips
// (`cross`, `crossLen`) and differ along the axis the strips move on.
struct StripAxis {
    bool horizontal;  // true: the strips move along x

    void copy(DC& dst, int pos, int len, const DC& src, int srcPos, int srcLen, int cross, int crossLen) const {
        if (horizontal)
            StretchBlt(dst, pos, cross, len, crossLen, src, srcPos, cross, srcLen, crossLen, SRCCOPY);
        else
            StretchBlt(dst, cross, pos, crossLen, len, src, cross, srcPos, crossLen, srcLen, SRCCOPY);
    }
    // The same copy, drawn with the rest of the frame's strips.
    void copy(StretchBatch& dst, int pos, int len, const DC& src, int srcPos, int srcLen, int cross,
              int crossLen) const {
        if (horizontal)
            dst.Add(pos, cross, len, crossLen, src, srcPos, cross, srcLen, crossLen, SRCCOPY);
        else
            dst.Add(cross, pos, crossLen, len, src, cross, srcPos, crossLen, srcLen, SRCCOPY);
    }
};

// One strip [start, next) along the moving axis with d pixels of the incoming
// picture; `cross`/`crossLen` is the part of the area across the strip.
//
// Positions and sizes are rounded one by one, half to even, so a rounded part
// can stop one pixel short of the rounded start of the part after it, which
// would leave a column or row of the previous frame showing. A part is
// therefore stretched to meet the part after it (or the next strip) when it
// would otherwise stop short; where the rounding already meets, nothing changes.
struct Strip {
    double start, next, size, d;

    // The incoming picture enters at the strip's far edge: outgoing part first,
    // incoming part after it.
    void squeezeTowardsStart(const StripAxis& axis, StretchBatch& dst, const DC& out, const DC& in, int cross,
                             int crossLen) const {
        const int from = RoundEven(start), to = RoundEven(next), srcLen = RoundEven(size);
        const int inPos = RoundEven(next - d);
        axis.copy(dst, from, std::max(RoundEven(size - d), inPos - from), out, from, srcLen, cross, crossLen);
        axis.copy(dst, inPos, std::max(RoundEven(d), to - inPos), in, from, srcLen, cross, crossLen);
    }

    // The incoming picture enters at the strip's near edge and pushes the
    // outgoing part towards the far edge.
    void squeezeTowardsEnd(const StripAxis& axis, StretchBatch& dst, const DC& out, const DC& in, int cross,
                           int crossLen) const {
        const int from = RoundEven(start), to = RoundEven(next), srcLen = RoundEven(size);
        const int outPos = RoundEven(start + d);
        axis.copy(dst, outPos, std::max(RoundEven(size - d), to - outPos), out, from, srcLen, cross, crossLen);
        axis.copy(dst, from, std::max(RoundEven(d), outPos - from), in, from, srcLen, cross, crossLen);
    }
};

// Whether horizontal strips of `size` read only inside both pictures, which
// cover the area as the display does.
bool SecondDrawingCoversFirst(EffectHost& h, double size, int n) {
    const int w = h.AreaWidth, hgt = h.AreaHeight;
    const auto covers = [&](const DC& dc) { return dc.width() >= w && dc.height() >= hgt; };
    if (!covers(h.Outgoing()) || !covers(h.Incoming()) || h.Display().width() != w || h.Display().height() != hgt)
        return false;
    const int lines = std::min(h.Outgoing().height(), h.Incoming().height());
    for (int i = 0; i < n; ++i)
        if (RoundEven(size * i) + RoundEven(size) > lines) return false;
    return true;
}

}  // namespace

void StripSequenceWipe(EffectHost& h, const StripSequenceWipeArgs& a) {
    const std::int16_t mode = a.mode, strips = a.strips;
    const int w = h.AreaWidth, hgt = h.AreaHeight;
    const int n = std::max<int>(strips, 1);
    const long long step = h.SpeedStep();
    const StripAxis axis{a.axis == 1};
    const double size = (axis.horizontal ? w : hgt) / static_cast<double>(n);
    // Across the strips: the whole area, or for mode 2 its two halves. An odd
    // extent gives the second half the extra line so that no line stays unmoved.
    const int across = axis.horizontal ? hgt : w;
    const int half = across / 2;
    DC& dst = h.Display();
    const DC& out = h.Outgoing();
    const DC& in = h.Incoming();
    // Mode 2 draws the right half of horizontal strips twice. Where the
    // pictures cover the area and no strip reads past them, the second drawing
    // writes every line of its strip that the first wrote, and later strips the
    // lines beyond, so the first drawing can stay in the left half.
    const int wide = mode == 2 && !axis.horizontal && !SecondDrawingCoversFirst(h, size, n) ? across : half;

    do {
        // The strips squeeze whole frames: drawn together, every row of the
        // frame is written in one pass instead of once per strip.
        StretchBatch frame(dst);
        const double d = static_cast<double>(h.EffectFrame * step);
        for (int i = 0; i < n; ++i) {
            const Strip strip{size * i, size * (i + 1), size, d};
            if (mode == 2) {
                // Vertical strips: the upper half moves right, the lower half left.
                // Horizontal strips: the whole width moves down first, then the
                // right half is drawn again moving up.
                strip.squeezeTowardsEnd(axis, frame, out, in, 0, wide);
                strip.squeezeTowardsStart(axis, frame, out, in, half, across - half);
            } else {
                strip.squeezeTowardsStart(axis, frame, out, in, 0, across);
            }
        }
        frame.Draw();
        StepFrame(h, step, size, 0);
    } while (!h.EffectDone);
}

void StripSlideSequence(EffectHost& h, const StripSlideSequenceArgs& a) {
    const std::int16_t strips = a.strips;
    const int w = h.AreaWidth, hgt = h.AreaHeight;
    const int n = std::max<int>(strips, 1);
    // A stored speed of 0 would never move a strip; it moves like speed 1.
    const long long step = h.SpeedStep();
    const StripAxis axis{a.axis != 1};
    const double size = (axis.horizontal ? w : hgt) / static_cast<double>(n);
    const int across = axis.horizontal ? hgt : w;
    const int len = RoundEven(size);
    DC& dst = h.Display();
    const DC& out = h.Outgoing();
    const DC& in = h.Incoming();

    auto frame = [&] {
        ++h.EffectFrame;
        EndFrame(h, 10);
    };
    auto moved = [&] { return static_cast<double>(h.EffectFrame * step); };

    // The strips before the moving one lie over it, so they are drawn again
    // where it went under them. They show their picture everywhere else
    // already: the moving strip is the only thing drawn, and the frame before
    // drew them again where it lay then. [from, to) is where the strip was
    // drawn, up to the first place it must not show.
    const auto over = [&](const DC& picture, int from, int to) {
        const int a = std::clamp(from, 0, to);
        axis.copy(dst, a, to - a, picture, a, to - a, 0, across);
    };

    // Out: the strip moves towards the origin and slips under the unmoved
    // strips before it, which are drawn again over it.
    for (int i = n - 1; i >= 0; --i) {
        const double start = size * i;
        for (h.EffectFrame = 0; moved() <= size;) {
            const int at = RoundEven(start - moved());
            axis.copy(dst, at, len, out, RoundEven(start), len, 0, across);
            over(out, at, RoundEven(start));
            frame();
        }
    }
    EndFrame(h, 0);

    // In: each new strip comes from one strip size before its place, under
    // the new strips already in place. A strip's first frame also puts the
    // one before it exactly in its place, where its last frame may have
    // stopped short.
    for (int i = 0; i < n; ++i) {
        const double start = size * i;
        const int before = i > 0 ? RoundEven(size * (i - 1)) : 0;
        for (h.EffectFrame = 0; moved() <= size;) {
            const int at = RoundEven(start + moved() - size);
            axis.copy(dst, at, len, in, RoundEven(start), len, 0, across);
            over(in, h.EffectFrame == 0 ? std::min(at, before) : at, RoundEven(start));
            frame();
        }
    }
    ShowIncomingPicture(h);
}

}  // namespace tav
