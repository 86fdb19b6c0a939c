#include "effects/MaskReveal.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "effects/Dispatch.h"
#include "effects/EffectHost.h"

namespace tav {
namespace {

// The walk along the mask's items: the position on the current edge and the
// edge itself (0 to 3, or -1 once the shape is complete).
struct Walk {
    std::int32_t c = 0;
    std::int16_t edge = 0;
};

void Line(DC& dc, int x0, int y0, int x1, int y1) {
    MoveToEx(dc, x0, y0);
    LineTo(dc, x1, y1);
}

// Rays from the centre to every point just outside the border, clockwise from
// the top-left corner. Each edge runs one step past its corner.
void RayItem(DC& m, Walk& w, int W, int H, int cx, int cy) {
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
        default:
            break;
    }
    ++w.c;
}

// A fan from the top-left corner: along the bottom edge, then up the right one.
void FanItem(DC& m, Walk& w, int W, int H) {
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
void TriangleItem(DC& m, Walk& w, int W, int H) {
    if (w.edge != 0) return;
    ++w.c;
    if (w.c == W) w.edge = -1;
    const int rise = RoundEven(static_cast<double>(w.c) / W * H + 1);
    Line(m, w.c, 0, w.c, rise);
    Line(m, W - w.c, H, W - w.c, H - rise);
}

// Two lines parallel to the anti-diagonal, one moving towards the top-left
// corner and one towards the bottom-right corner.
void DiagonalItem(DC& m, Walk& w, int W, int H) {
    if (w.edge != 0) return;
    if (w.c == W) w.edge = -1;
    const int drop = RoundEven(static_cast<double>(w.c) / W * H);
    Line(m, W - w.c, -1, -1, H - drop);
    Line(m, W, drop, w.c, H);
    ++w.c;
}

// Copies the incoming picture onto the display where the mask is white,
// within the rectangle `part` of the mask (clipped to the display).
void RevealWhereWhite(DC& display, const DC& incoming, const Bitmap& mask, DC::DirtyRect part) {
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

}  // namespace

void ShapeMaskReveal(EffectHost& h, std::int16_t shape, std::int16_t perStep) {
    const int W = h.AreaWidth, H = h.AreaHeight;
    DC& display = h.Display();
    // With fewer than one item per frame the circle would never grow and the
    // transition would never end.
    const int items = std::max<int>(perStep, 1);

    // The mask, two pixels larger than the area; only the area itself is ever
    // composed. A fresh bitmap is black, which is the cleared mask; every item
    // draws white on it, and the part each frame's items touched is noted.
    auto mask = CreateCompatibleDC(&display);
    mask->select(CreateCompatibleBitmap(display, W + 2, H + 2));
    FillAll(*mask, 0x000000);
    SelectStockWhitePen(*mask);  // the brush stays white, so circles fill white
    mask->trackDirty = true;

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
    while (d < limit && walk.edge != -1) {
        if (shape == 2) --d;  // so that the radius grows by exactly `items` a frame
        for (int k = 0; k < items; ++k) {
            switch (shape) {
                case 1: RayItem(*mask, walk, W, H, cx, cy); break;
                case 2:
                    // A negative radius gives a reversed box: the same circle as its opposite.
                    Ellipse(*mask, RoundEven(W / 2.0 - d), RoundEven(H / 2.0 - d), RoundEven(W / 2.0 + d),
                            RoundEven(H / 2.0 + d));
                    ++d;
                    break;
                case 3: FanItem(*mask, walk, W, H); break;
                case 4: TriangleItem(*mask, walk, W, H); break;
                case 5: DiagonalItem(*mask, walk, W, H); break;
                default: break;
            }
        }

        // The display shows the incoming picture wherever the mask is white and
        // the outgoing one elsewhere, so only what this frame's items touched
        // can change.
        RevealWhereWhite(display, h.Incoming(), mask->target(), mask->TakeDirty());

        ++d;
        h.Refresh();
        h.DoEvents();
        h.Sleep(1);
    }

    mask.reset();
    ShowIncomingPicture(h);
}

void ColumnSmearSweep(EffectHost& h) {
    const int W = h.AreaWidth, H = h.AreaHeight;
    DC& display = h.Display();
    DC& source = h.PicD();

    // The loading surface becomes an area-sized copy of the incoming picture and
    // the source of every column painted below.
    source.bitmap().resize(W, H);
    BitBlt(source, 0, 0, W, H, h.Incoming(), 0, 0, SRCCOPY);

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
