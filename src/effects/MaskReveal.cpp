#include "effects/MaskReveal.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

#include "effects/EffectHost.h"
#include "effects/FrameSteps.h"
#include "effects/LineRows.h"

namespace tav {
namespace {

// The walk along the mask's items: the position on the current edge and the
// edge itself (0 to 3, or -1 once the shape is complete).
struct Walk {
    std::int32_t c = 0;
    std::int16_t edge = 0;
};

// The mask the items draw on, and the rows their lines went through; without
// rows, the mask keeps the box of each line as changed instead.
struct MaskPen {
    DC& dc;
    LineRows* rows;
};

void Line(MaskPen& m, int x0, int y0, int x1, int y1) {
    MoveToEx(m.dc, x0, y0);
    LineTo(m.dc, x1, y1);
    if (m.rows) m.rows->Add(x0, y0, x1, y1);
}

// Rays from the centre to every point just outside the border, clockwise from
// the top-left corner. Each edge runs one step past its corner.
void RayItem(MaskPen& m, Walk& w, int W, int H, int cx, int cy) {
    switch (w.edge) {
    case 0:
        Line(m, cx, cy, w.c, -1);
        if (w.c > W) w.edge = 1, w.c = 0;
        break;
    case 1:
        Line(m, cx, cy, W, w.c);
        if (w.c > H) w.edge = 2, w.c = 0;
        break;
    case 2:
        Line(m, cx, cy, W - w.c, H);
        if (w.c > W) w.edge = 3, w.c = 0;
        break;
    case 3:
        Line(m, cx, cy, -1, H - w.c);
        if (w.c > H) w.edge = -1, w.c = 0;
        break;
    default: break;
    }
    ++w.c;
}

// A fan from the top-left corner: along the bottom edge, then up the right one.
void FanItem(MaskPen& m, Walk& w, int W, int H) {
    if (w.edge == 0) {
        if (w.c > W) w.edge = 1, w.c = 0;
        Line(m, 0, 0, w.c, H);
    } else if (w.edge == 1) {
        if (w.c > H) w.edge = -1, w.c = 0;
        Line(m, 0, 0, W, H - w.c);
    }
    ++w.c;
}

// One column of each triangle: the upper one fills from the left, the lower
// one from the right, both to the height of the main diagonal.
void TriangleItem(MaskPen& m, Walk& w, int W, int H) {
    if (w.edge != 0) return;
    ++w.c;
    if (w.c == W) w.edge = -1;
    const int rise = RoundEven(static_cast<double>(w.c) / W * H + 1);
    Line(m, w.c, 0, w.c, rise);
    Line(m, W - w.c, H, W - w.c, H - rise);
}

// Two lines parallel to the anti-diagonal, one moving towards the top-left
// corner and one towards the bottom-right corner.
void DiagonalItem(MaskPen& m, Walk& w, int W, int H) {
    if (w.edge != 0) return;
    if (w.c == W) w.edge = -1;
    const int drop = RoundEven(static_cast<double>(w.c) / W * H);
    Line(m, W - w.c, -1, -1, H - drop);
    Line(m, W, drop, w.c, H);
    ++w.c;
}

// Copies the incoming picture onto the display where the mask is white,
// within the rectangle `part` of the mask (clipped to the display). Where the
// mask was white before, the display shows the picture already, so any part
// that holds what the mask gained reveals the same.
void RevealWhereWhite(DC& display, const DC& incoming, const Bitmap& mask, const ChangedArea::Box& part) {
    Bitmap& out = display.target();
    const Bitmap& in = incoming.bitmap();
    const int x0 = std::max(part.x0, 0), y0 = std::max(part.y0, 0);
    const int x1 = std::min({part.x1, out.width(), in.width()}), y1 = std::min({part.y1, out.height(), in.height()});
    if (x0 >= x1 || y0 >= y1) return;
    for (int y = y0; y < y1; ++y) {
        Pixel* __restrict d = out.row(y);
        const Pixel* __restrict s = in.row(y);
        const Pixel* __restrict m = mask.row(y);
        // Without a branch, so the compiler vectorises it: a white mask pixel
        // selects the picture, a black one keeps the display.
        for (int x = x0; x < x1; ++x) d[x] = (d[x] & ~m[x]) | (s[x] & m[x]);
    }
    MarkDirty(display, x0, y0, x1 - x0, y1 - y0);
}

// The growing circles. Ten nearly equal discs a frame, each almost the whole
// area late in the transition, would cost ten full fills of the mask; instead
// each row of the mask is filled once per frame, and only where it was still
// black is the incoming picture copied. Every row keeps a run of columns known
// to be white already, so a row's work is only its new edge pixels.
class Discs {
public:
    Discs(int w, int h) : w_(w), h_(h), known_(static_cast<std::size_t>(std::max(h, 0)), {1, 0}) {}
    void Add(int left, int top, int right, int bottom) { frame_.emplace_back(left, top, right, bottom); }

    // Draws this frame's discs on the mask (white) and reveals what they added.
    void Reveal(DC& display, const DC& incoming, Bitmap& mask) {
        Bitmap& out = display.target();
        const Bitmap& in = incoming.bitmap();
        int top = h_, bottom = -1;
        for (const EllipseSpans& e : frame_) {
            if (e.empty()) continue;
            top = std::min(top, std::max(e.firstRow, 0));
            bottom = std::max(bottom, std::min(e.lastRow, h_ - 1));
        }
        ChangedArea changed;
        std::vector<std::pair<int, int>> spans;
        for (int y = top; y <= bottom; ++y) {
            spans.clear();
            for (const EllipseSpans& e : frame_) {
                int xa = 0, xb = 0;
                if (e.empty() || !e.Row(y, xa, xb)) continue;
                xa = std::max(xa, 0);
                xb = std::min(xb, w_ - 1);
                if (xa <= xb) spans.emplace_back(xa, xb);
            }
            std::sort(spans.begin(), spans.end());
            Pixel* m = mask.row(y);
            Pixel* d = out.row(y);
            const Pixel* s = in.row(y);
            int lo = w_, hi = -1;  // the new pixels of this row
            auto fill = [&](int a, int b) {
                for (int x = a; x <= b; ++x)
                    if (m[x] != 0xFFFFFF) {
                        m[x] = 0xFFFFFF;
                        d[x] = s[x];
                        lo = std::min(lo, x);
                        hi = std::max(hi, x);
                    }
            };
            auto& [ka, kb] = known_[static_cast<std::size_t>(y)];
            for (std::size_t i = 0; i < spans.size();) {
                // Spans that overlap or touch are one run.
                int a = spans[i].first, b = spans[i].second;
                for (++i; i < spans.size() && spans[i].first <= b + 1; ++i) b = std::max(b, spans[i].second);
                if (ka > kb) {
                    fill(a, b);
                } else {
                    fill(a, std::min(b, ka - 1));
                    fill(std::max(a, kb + 1), b);
                }
                // The run is white now; it joins the known run when they meet.
                if (ka > kb || b - a > kb - ka) {
                    if (ka <= kb && a <= kb + 1 && b >= ka - 1) a = std::min(a, ka), b = std::max(b, kb);
                    ka = a, kb = b;
                } else if (a <= kb + 1 && b >= ka - 1) {
                    ka = std::min(a, ka), kb = std::max(b, kb);
                }
            }
            if (lo <= hi) changed.add(lo, y, hi - lo + 1, 1);
        }
        frame_.clear();
        for (const ChangedArea::Box& b : changed.boxes()) MarkDirty(display, b.x0, b.y0, b.width(), b.height());
    }

private:
    int w_, h_;
    std::vector<std::pair<int, int>> known_;  // per row: columns known to be white, empty when first > second
    std::vector<EllipseSpans> frame_;
};

}  // namespace

void ShapeMaskReveal(EffectHost& h, const ShapeMaskRevealArgs& a) {
    const std::int16_t shape = a.shape;
    const int W = h.AreaWidth, H = h.AreaHeight;
    DC& display = h.Display();
    // With fewer than one item per frame the circle would never grow and the
    // transition would never end.
    const int items = std::max<int>(a.perStep, 1);

    // The mask, two pixels larger than the area; only the area itself is ever
    // composed. A fresh bitmap is black, which is the cleared mask; every item
    // draws white on it, and the part each frame's items touched is noted.
    auto mask = CreateCompatibleDC(&display);
    mask->select(CreateCompatibleBitmap(display, W + 2, H + 2));
    FillAll(*mask, 0x000000);
    SelectStockWhitePen(*mask);  // the brush stays white, so circles fill white
    // The triangles' lines are upright: their boxes are exactly what they
    // drew, and far fewer to reveal than their rows.
    LineRows lines(H + 2);
    const bool upright = shape == 4;
    MaskPen pen{*mask, upright ? nullptr : &lines};
    mask->trackDirty = upright;

    std::int32_t limit = 0;
    switch (shape) {
    case 1: limit = 2 * W + 2 * H; break;
    case 2: limit = RoundEven(std::sqrt((W / 2.0) * (W / 2.0) + (H / 2.0) * (H / 2.0))); break;
    case 3: limit = W + H; break;
    case 4:
    case 5: limit = W; break;
    default: break;
    }
    const int cx = RoundEven(W / 2.0), cy = RoundEven(H / 2.0);

    std::int32_t d = 0;
    Walk walk;
    Discs discs(W, H);
    while (d < limit && walk.edge != -1) {
        if (shape == 2) --d;  // so that the radius grows by exactly `items` a frame
        for (int k = 0; k < items; ++k) {
            switch (shape) {
            case 1: RayItem(pen, walk, W, H, cx, cy); break;
            case 2:
                // A negative radius gives a reversed box: the same circle as its opposite.
                discs.Add(RoundEven(W / 2.0 - d), RoundEven(H / 2.0 - d), RoundEven(W / 2.0 + d),
                          RoundEven(H / 2.0 + d));
                ++d;
                break;
            case 3: FanItem(pen, walk, W, H); break;
            case 4: TriangleItem(pen, walk, W, H); break;
            case 5: DiagonalItem(pen, walk, W, H); break;
            default: break;
            }
        }

        // The display shows the incoming picture wherever the mask is white and
        // the outgoing one elsewhere, so only what this frame's items touched
        // can change.
        if (shape == 2) {
            discs.Reveal(display, h.Incoming(), mask->target());
        } else if (upright) {
            const ChangedArea touched = mask->TakeDirty();
            for (const ChangedArea::Box& part : touched.boxes())
                RevealWhereWhite(display, h.Incoming(), mask->target(), part);
        } else {
            lines.Take([&](int y, int a, int b) {
                RevealWhereWhite(display, h.Incoming(), mask->target(), {a, y, b + 1, y + 1});
            });
        }

        ++d;
        EndFrame(h, 1);
    }

    mask.reset();
    ShowIncomingPicture(h);
}

void ColumnSmearSweep(EffectHost& h) {
    const int W = h.AreaWidth, H = h.AreaHeight;
    DC& display = h.Display();
    // Every column painted below comes from the incoming picture, read where
    // it is: a copy of it would be a second full-area bitmap for nothing.
    const DC& source = h.Incoming();

    // Nothing here is a frame: each column paint goes straight to the window.
    for (int X = 1; X <= W; ++X) {
        if (X >= 50) {
            BitBlt(display, X - 50, 0, 1, H, source, X - 50, 0, SRCCOPY);
            h.ShowDirect();
        }
        // Column X slides from X + 49 to its place, leaving copies of itself in
        // the band ahead. The last value of X lies beyond the picture and paints
        // nothing.
        for (int o = 1; o <= 50; ++o) {
            h.DoEvents();
            BitBlt(display, X - o + 50, 0, 1, H, source, X, 0, SRCCOPY);
            h.ShowDirect();
        }
        h.DoEvents();
    }

    ShowIncomingPicture(h);
}

}  // namespace tav
