#include "effects/InterlaceSlide.h"

#include <algorithm>

#include "effects/EffectHost.h"
#include "effects/FrameSteps.h"

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
    void Row(StretchBatch& dst, const DC& src, int i, int x) const {
        if (n == 0) {
            dst.Add(x, i, W, 1, src, 0, i, W, 1, SRCCOPY);
            return;
        }
        // Drawn one pixel taller than its source, so that rounding leaves no gaps.
        const double step = static_cast<double>(H) / n;
        const int top = RoundEven(step * i);
        dst.Add(x, top, W, RoundEven(step + 1), src, 0, top, W, RoundEven(step), SRCCOPY);
    }

    // Copies column strip i of `src` to `dst` with its top edge at y.
    void Column(StretchBatch& dst, const DC& src, int i, int y) const {
        if (n == 0) {
            dst.Add(i, y, 1, H, src, i, 0, 1, H, SRCCOPY);
            return;
        }
        const double step = static_cast<double>(W) / n;
        const int left = RoundEven(step * i);
        dst.Add(left, y, RoundEven(step + 1), H, src, left, 0, RoundEven(step), H, SRCCOPY);
    }
};

// Where the strips of one frame go: even strips at one offset and odd strips
// at the opposite one, rows along x and columns along y.
struct Placement {
    bool rows = false;
    bool columns = false;
    int rowX[2] = {0, 0};     // left edges of the even and of the odd rows
    int columnY[2] = {0, 0};  // top edges of the even and of the odd columns
    bool rowsFirst = true;    // within one index, rows are drawn before columns
    int last = 0;             // the last even index drawn
    bool ended = false;       // the last frame of its phase
};

// Frame k of the phase in which the outgoing strips part. Pattern 1 parts the
// rows sideways, pattern 2 the columns up and down, pattern 3 both, moving the
// rows by v per frame.
Placement Parting(int pattern, const Strips& g, int k, int s, double v) {
    Placement p;
    const int ks = k * s;
    switch (pattern) {
    case 1:
        p.rows = true, p.rowX[0] = ks, p.rowX[1] = -ks;
        p.last = g.LastOfRows();
        p.ended = (k + 1) * s > g.W;
        break;
    case 2:
        p.columns = true, p.columnY[0] = ks, p.columnY[1] = -ks;
        p.last = g.LastOfColumns();
        p.ended = (k + 1) * s > g.H;
        break;
    default:
        p.rows = p.columns = true;
        p.rowX[0] = RoundEven(k * v), p.rowX[1] = -p.rowX[0];
        p.columnY[0] = ks, p.columnY[1] = -ks;
        p.last = g.LastOfBoth();
        p.ended = (k + 1) * s > g.H;
        break;
    }
    return p;
}

// Frame k of the phase in which the incoming strips arrive from opposite
// edges: columns in pattern 1, rows in pattern 2, both in pattern 3.
Placement Arriving(int pattern, const Strips& g, int k, int s, double v) {
    Placement p;
    const int ks = k * s;
    switch (pattern) {
    case 1:
        p.columns = true, p.columnY[0] = g.H - ks, p.columnY[1] = ks - g.H;
        p.last = g.LastOfColumns();
        p.ended = (k + 1) * s > g.H;
        break;
    case 2:
        p.rows = true, p.rowX[0] = g.W - ks, p.rowX[1] = ks - g.W;
        p.last = g.LastOfRows();
        p.ended = (k + 1) * s > g.W;
        break;
    default:
        p.rows = p.columns = true, p.rowsFirst = false;
        p.columnY[0] = g.H - ks, p.columnY[1] = ks - g.H;
        p.rowX[0] = RoundEven(g.W - k * v), p.rowX[1] = RoundEven(k * v - g.W);
        p.last = g.LastOfBoth();
        p.ended = (k + 1) * s > g.H;
        break;
    }
    return p;
}

// Copies the even or odd columns among [a, b) of one row, or both; a null
// source row leaves its columns as they are.
void LineColumns(Pixel* d, const Pixel* even, const Pixel* odd, int a, int b) {
    if (even && odd) {
        for (int x = a; x < b; ++x) d[x] = (x & 1) ? odd[x] : even[x];
        return;
    }
    if (even)
        for (int x = a + (a & 1); x < b; x += 2) d[x] = even[x];
    if (odd)
        for (int x = a | 1; x < b; x += 2) d[x] = odd[x];
}

// The frame of one-pixel lines, written row by row. Drawing each line with its
// own copy would walk every column down the whole height; each pixel is
// instead taken from the line that the copies in index order would have drawn
// last over it. Needs the display and the source to be of the area's size.
void DrawLines(DC& display, const Bitmap& src, const Strips& g, const Placement& p, Pixel back) {
    const int W = g.W, H = g.H;
    Bitmap& dst = display.target();
    MarkDirty(display, 0, 0, W, H);
    // The last index pair drawn is (last & ~1, (last & ~1) + 1).
    const int end = (p.last & ~1) + 2;
    const int rowEnd = p.rows ? std::min(H, end) : 0;
    const int columnEnd = p.columns ? std::min(W, end) : 0;
    for (int y = 0; y < H; ++y) {
        Pixel* d = dst.row(y);
        std::fill(d, d + W, back);
        const auto columnSource = [&](int top) { return y - top >= 0 && y - top < H ? src.row(y - top) : nullptr; };
        const Pixel* even = columnSource(p.columnY[0]);
        const Pixel* odd = columnSource(p.columnY[1]);
        if (y >= rowEnd) {
            LineColumns(d, even, odd, 0, columnEnd);
            continue;
        }
        // Row y is drawn with index y & ~1: after the columns of lower indices,
        // and after those of its own index too when columns go first.
        const int before = std::min(columnEnd, (y & ~1) + (p.rowsFirst ? 0 : 2));
        LineColumns(d, even, odd, 0, before);
        const long long x = p.rowX[y & 1];
        if (x > -W && x < W) {
            const int from = static_cast<int>(std::max(0LL, -x)), to = static_cast<int>(std::max(0LL, x));
            std::copy(src.row(y) + from, src.row(y) + from + (W - std::max(from, to)), d + to);
        }
        LineColumns(d, even, odd, before, columnEnd);
    }
}

// Draws the strips of one frame over the background colour, in index order.
void DrawStrips(EffectHost& h, const Strips& g, const Placement& p, const DC& src) {
    DC& display = h.Display();
    const Bitmap& s = src.bitmap();
    const Bitmap& d = display.target();
    const auto sized = [&](const Bitmap& b) { return b.width() == g.W && b.height() == g.H; };
    if (g.n == 0 && g.W > 0 && g.H > 0 && sized(s) && sized(d)) {
        DrawLines(display, s, g, p, ColorrefToPixel(h.BackColor));
        return;
    }
    // Drawn together, the background shows only where no strip lies, and a
    // strip only where no later one lies over it: each pixel is written once
    // rather than once for the background and again for every strip over it.
    StretchBatch frame(display);
    frame.FillBox(0, 0, g.W - 1, g.H - 1, h.BackColor);
    for (int i = 0; i <= p.last; i += 2) {
        const auto rows = [&] {
            g.Row(frame, src, i, p.rowX[0]);
            g.Row(frame, src, i + 1, p.rowX[1]);
        };
        const auto columns = [&] {
            g.Column(frame, src, i, p.columnY[0]);
            g.Column(frame, src, i + 1, p.columnY[1]);
        };
        if (p.rows && p.rowsFirst) rows();
        if (p.columns) columns();
        if (p.rows && !p.rowsFirst) rows();
        // One-pixel lines come in thousands, too many to weigh against each
        // other: they are drawn a pair at a time.
        if (g.n == 0) frame.Draw();
    }
    frame.Draw();
}

void Interlace(EffectHost& h, int pattern, const Strips& g, int sleepMs) {
    if (pattern < 1 || pattern > 3) {
        // No other pattern has an end; show the picture rather than run forever.
        ShowIncomingPicture(h);
        return;
    }
    // A speed of 0 would never move a strip.
    const int s = h.SpeedStep();
    // The horizontal distance per frame in pattern 3, so that a move across the
    // width takes as many frames as one down the height. W × s overflows 16 bits
    // on wide areas at high speed, so it is taken in double precision.
    const double v = static_cast<double>(g.W) * s / g.H;

    // The outgoing strips part over the background colour.
    for (;;) {
        const Placement p = Parting(pattern, g, h.EffectFrame, s, v);
        DrawStrips(h, g, p, h.Outgoing());
        ++h.EffectFrame;
        if (p.ended) {
            h.EffectFrame = 0;
            h.EffectDone = true;
        }
        EndFrame(h, sleepMs);
        if (p.ended) break;
    }
    h.EffectDone = false;

    // The incoming strips arrive from opposite edges.
    for (;;) {
        const Placement p = Arriving(pattern, g, h.EffectFrame, s, v);
        DrawStrips(h, g, p, h.Incoming());
        ++h.EffectFrame;
        if (p.ended) ShowIncomingPicture(h);
        EndFrame(h, sleepMs);
        if (h.EffectDone) return;
    }
}

}  // namespace

void StripInterlaceSlide(EffectHost& h, const StripInterlaceSlideArgs& a) {
    // At least one strip: the table passes 4 to 120.
    Interlace(h, a.pattern, Strips{h.AreaWidth, h.AreaHeight, std::max<int>(a.strips, 1)}, 20);
}

void LineInterlaceSlide(EffectHost& h, const LineInterlaceSlideArgs& a) {
    Interlace(h, a.pattern, Strips{h.AreaWidth, h.AreaHeight, 0}, 10);
}

}  // namespace tav
