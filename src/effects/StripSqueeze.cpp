#include "effects/StripSqueeze.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "effects/EffectHost.h"
#include "effects/FrameSteps.h"

namespace tav {
namespace {

// The outgoing strips, each squeezed to width sw - d about its centre line;
// once d is past the strip width the whole outgoing picture is drawn.
void DrawOutgoingLayer(EffectHost& h, StretchBatch& frame, int strips, double sw, int d) {
    const int W = h.AreaWidth, H = h.AreaHeight;
    if (d > sw) {
        frame.Add(0, 0, W, H, h.Outgoing(), 0, 0, W, H, SRCCOPY);
        return;
    }
    const double w = sw - d;
    for (int i = 0; i < strips; ++i)
        frame.Add(RoundEven(sw * i + (sw - w) / 2), 0, RoundEven(w), H, h.Outgoing(), RoundEven(sw * i), 0,
                  RoundEven(sw), H, SRCCOPY);
}

// The incoming strips, each stretched to height d out of its centre line;
// once d is past the strip height the whole incoming picture is drawn. Only
// the columns [from, to) are drawn: the strips keep their columns in place,
// so a part of them is what the whole would have drawn there.
void DrawIncomingLayer(EffectHost& h, StretchBatch& frame, int strips, double sh, int d, int from, int to) {
    const int H = h.AreaHeight;
    if (d > sh) {
        frame.Add(from, 0, to - from, H, h.Incoming(), from, 0, to - from, H, SRCCOPY);
        return;
    }
    for (int i = 0; i < strips; ++i)
        frame.Add(from, RoundEven(sh * i + (sh - d) / 2), to - from, d, h.Incoming(), from, RoundEven(sh * i),
                  to - from, RoundEven(sh), SRCCOPY);
}

// The columns of the area that the outgoing layer leaves as they were, as
// spans [first, last). The outgoing picture must cover the area and the
// display be its size, so that every row of a column it writes is written.
std::vector<std::pair<int, int>> ColumnsBesideOutgoing(EffectHost& h, int strips, double sw, int d) {
    const int W = h.AreaWidth;
    std::vector<std::pair<int, int>> gaps;
    if (d > sw) return gaps;
    const double w = sw - d;
    const int dw = RoundEven(w), sn = RoundEven(sw), pictureWidth = h.Outgoing().width();
    int x0 = 0;  // the first column not yet known to be covered
    for (int i = 0; i < strips && dw > 0 && sn > 0; ++i) {
        const int x = RoundEven(sw * i + (sw - w) / 2), sx = RoundEven(sw * i);
        // The stretch writes a column while it and its source column lie inside
        // their bitmaps; both move one way, so the written columns are a prefix.
        int n = std::clamp(W - x, 0, dw);
        while (n > 0 && sx + static_cast<long long>(n - 1) * sn / dw >= pictureWidth) --n;
        if (n == 0) continue;
        if (x > x0) gaps.emplace_back(x0, x);
        x0 = std::max(x0, x + n);
    }
    if (x0 < W) gaps.emplace_back(x0, W);
    return gaps;
}

// One frame. Where the pictures fit the area, the background, and in mode 2
// the incoming layer, are drawn only beside the outgoing strips: there they
// would be drawn over at once. The layers are drawn together, row by row
// across the whole frame.
void DrawFrame(EffectHost& h, bool fitting, int mode, int strips, double sw, double sh, int d) {
    StretchBatch frame(h.Display());
    const auto gaps =
        fitting ? ColumnsBesideOutgoing(h, strips, sw, d) : std::vector<std::pair<int, int>>{{0, h.AreaWidth}};
    for (const auto& [from, to] : gaps) {
        frame.FillBox(from, 0, to - 1, h.AreaHeight - 1, h.BackColor);
        if (mode == 2) DrawIncomingLayer(h, frame, strips, sh, d, from, to);
    }
    DrawOutgoingLayer(h, frame, strips, sw, d);
    if (mode != 2) DrawIncomingLayer(h, frame, strips, sh, d, 0, h.AreaWidth);
}

}  // namespace

void StripSqueeze(EffectHost& h, const StripSqueezeArgs& a) {
    const std::int16_t mode = a.mode, strips = a.strips;
    // Without strips nothing would ever complete.
    if (strips < 1) {
        ShowIncomingPicture(h);
        return;
    }
    const int W = h.AreaWidth, H = h.AreaHeight;
    const double sw = static_cast<double>(W) / strips;
    const double sh = static_cast<double>(H) / strips;
    // A speed below 1 would never move; it runs as 1.
    const int speed = h.SpeedStep();
    // Once the layer drawn last has grown past its strips it is a whole
    // picture over everything else: the frame is that picture, and the frames
    // after it, until the other layer ends too, are the same frame again.
    const DC& top = mode == 2 ? h.Outgoing() : h.Incoming();
    const double topStrip = mode == 2 ? sw : sh;
    const auto covers = [&](const DC& picture) { return picture.width() >= W && picture.height() >= H; };
    const bool topCovers = covers(top);
    const bool fitting =
        covers(h.Outgoing()) && covers(h.Incoming()) && h.Display().width() == W && h.Display().height() == H;
    bool topShown = false;
    while (!h.EffectDone) {
        const int d = h.EffectFrame * speed;
        if (topCovers && d > topStrip) {
            if (!topShown) BitBlt(h.Display(), 0, 0, W, H, top, 0, 0, SRCCOPY);
            topShown = true;
        } else {
            DrawFrame(h, fitting, mode, strips, sw, sh, d);
        }
        if (d > sw && d > sh) ShowIncomingPicture(h);
        ++h.EffectFrame;
        EndFrame(h, 0);
    }
}

}  // namespace tav
