#include "effects/InterlaceSlide.h"

#include <algorithm>

#include "effects/Dispatch.h"
#include "effects/EffectHost.h"

namespace tav {
namespace {

// Where the strips come from and how wide they are. A strip keeps its place
// across the direction of motion and its full length along it.
struct Strips {
    int W = 0;
    int H = 0;
    int n = 0;  // strips per area side; 0 for strips one pixel thick

    // The index of the last even strip the strip loop may start at.
    int LastOfRows() const { return n > 0 ? n - 1 : H - 1; }
    int LastOfColumns() const { return n > 0 ? n - 1 : W - 1; }
    // Rows and columns share one index; rows beyond the picture change nothing.
    int LastOfBoth() const { return n > 0 ? n - 1 : W - 1; }

    // Copies row strip i of `src` to `dst` with its left edge at x.
    void Row(DC& dst, const DC& src, int i, int x) const {
        if (n == 0) {
            StretchBlt(dst, x, i, W, 1, src, 0, i, W, 1, SRCCOPY);
            return;
        }
        // Drawn one pixel taller than its source, so that rounding leaves no gaps.
        const double step = static_cast<double>(H) / n;
        const int top = RoundEven(step * i);
        StretchBlt(dst, x, top, W, RoundEven(step + 1), src, 0, top, W, RoundEven(step), SRCCOPY);
    }

    // Copies column strip i of `src` to `dst` with its top edge at y.
    void Column(DC& dst, const DC& src, int i, int y) const {
        if (n == 0) {
            StretchBlt(dst, i, y, 1, H, src, i, 0, 1, H, SRCCOPY);
            return;
        }
        const double step = static_cast<double>(W) / n;
        const int left = RoundEven(step * i);
        StretchBlt(dst, left, y, RoundEven(step + 1), H, src, left, 0, RoundEven(step), H, SRCCOPY);
    }
};

// Frame k of one phase, drawn over the background colour. Each pattern has a
// phase in which the outgoing strips part and one in which the incoming strips
// arrive from opposite edges; each returns whether its phase has ended.
struct InterlaceFrame {
    const Strips& g;
    DC& d;
    int k;
    int s;     // the distance per frame
    double v;  // pattern 3's horizontal distance per frame

    bool RowsPart(const DC& out) const {
        for (int i = 0; i <= g.LastOfRows(); i += 2) {
            g.Row(d, out, i, k * s);
            g.Row(d, out, i + 1, -k * s);
        }
        return (k + 1) * s > g.W;
    }
    bool ColumnsPart(const DC& out) const {
        for (int i = 0; i <= g.LastOfColumns(); i += 2) {
            g.Column(d, out, i, k * s);
            g.Column(d, out, i + 1, -k * s);
        }
        return (k + 1) * s > g.H;
    }
    bool BothPart(const DC& out) const {
        const int kv = RoundEven(k * v);
        for (int i = 0; i <= g.LastOfBoth(); i += 2) {
            g.Row(d, out, i, kv);
            g.Row(d, out, i + 1, -kv);
            g.Column(d, out, i, k * s);
            g.Column(d, out, i + 1, -k * s);
        }
        return (k + 1) * s > g.H;
    }

    bool ColumnsArrive(const DC& in) const {
        for (int i = 0; i <= g.LastOfColumns(); i += 2) {
            g.Column(d, in, i, g.H - k * s);
            g.Column(d, in, i + 1, k * s - g.H);
        }
        return (k + 1) * s > g.H;
    }
    bool RowsArrive(const DC& in) const {
        for (int i = 0; i <= g.LastOfRows(); i += 2) {
            g.Row(d, in, i, g.W - k * s);
            g.Row(d, in, i + 1, k * s - g.W);
        }
        return (k + 1) * s > g.W;
    }
    bool BothArrive(const DC& in) const {
        for (int i = 0; i <= g.LastOfBoth(); i += 2) {
            g.Column(d, in, i, g.H - k * s);
            g.Column(d, in, i + 1, k * s - g.H);
            g.Row(d, in, i, RoundEven(g.W - k * v));
            g.Row(d, in, i + 1, RoundEven(k * v - g.W));
        }
        return (k + 1) * s > g.H;
    }
};

// Pattern 1: rows part sideways, columns arrive; pattern 2 the other way
// round; pattern 3 both at once.
struct InterlacePattern {
    bool (InterlaceFrame::*part)(const DC&) const;
    bool (InterlaceFrame::*arrive)(const DC&) const;
};
constexpr InterlacePattern kInterlacePatterns[] = {
    {&InterlaceFrame::RowsPart, &InterlaceFrame::ColumnsArrive},
    {&InterlaceFrame::ColumnsPart, &InterlaceFrame::RowsArrive},
    {&InterlaceFrame::BothPart, &InterlaceFrame::BothArrive},
};

void Interlace(EffectHost& h, int pattern, const Strips& g, int sleepMs) {
    if (pattern < 1 || pattern > 3) {
        // No other pattern has an end; show the picture rather than run forever.
        ShowIncomingPicture(h);
        return;
    }
    const InterlacePattern& p = kInterlacePatterns[pattern - 1];
    // A speed of 0 would never move a strip.
    const int s = h.SpeedStep();
    // The horizontal distance per frame in pattern 3, so that a move across the
    // width takes as many frames as one down the height. W × s overflows 16 bits
    // on wide areas at high speed, so it is taken in double precision.
    const double v = static_cast<double>(g.W) * s / g.H;
    DC& display = h.Display();
    const auto frame = [&]() {
        FillBox(display, 0, 0, g.W - 1, g.H - 1, h.BackColor);
        return InterlaceFrame{g, display, h.EffectFrame, s, v};
    };

    for (;;) {
        const bool ended = (frame().*p.part)(h.Outgoing());
        ++h.EffectFrame;
        if (ended) {
            h.EffectFrame = 0;
            h.EffectDone = true;
        }
        EndFrame(h, sleepMs);
        if (ended) break;
    }
    h.EffectDone = false;

    for (;;) {
        const bool ended = (frame().*p.arrive)(h.Incoming());
        ++h.EffectFrame;
        if (ended) ShowIncomingPicture(h);
        EndFrame(h, sleepMs);
        if (h.EffectDone) return;
    }
}

}  // namespace

void StripInterlaceSlide(EffectHost& h, std::int16_t pattern, std::int16_t n) {
    // At least one strip: the table passes 4 to 120.
    Interlace(h, pattern, Strips{h.AreaWidth, h.AreaHeight, std::max<int>(n, 1)}, 20);
}

void LineInterlaceSlide(EffectHost& h, std::int16_t pattern) {
    Interlace(h, pattern, Strips{h.AreaWidth, h.AreaHeight, 0}, 10);
}

}  // namespace tav
