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

void Present(EffectHost& h, int sleepMs) {
    h.Refresh();
    h.DoEvents();
    h.Sleep(sleepMs);
}

void Interlace(EffectHost& h, int pattern, const Strips& g, int sleepMs) {
    if (pattern < 1 || pattern > 3) {
        // No other pattern has an end; show the picture rather than run forever.
        ShowIncomingPicture(h);
        return;
    }
    const int W = g.W, H = g.H;
    // A speed of 0 would never move a strip.
    const int s = h.SpeedStep();
    // The horizontal distance per frame in pattern 3, so that a move across the
    // width takes as many frames as one down the height. W × s overflows 16 bits
    // on wide areas at high speed, so it is taken in double precision.
    const double v = static_cast<double>(W) * s / H;
    DC& display = h.Display();
    const DC& out = h.Outgoing();
    const DC& in = h.Incoming();

    // The outgoing strips part over the background colour.
    for (;;) {
        const int k = h.EffectFrame;
        const int ks = k * s;
        const int kv = RoundEven(k * v);
        FillBox(display, 0, 0, W - 1, H - 1, h.BackColor);
        bool ended = false;
        switch (pattern) {
            case 1:
                for (int i = 0; i <= g.LastOfRows(); i += 2) {
                    g.Row(display, out, i, ks);
                    g.Row(display, out, i + 1, -ks);
                }
                ended = (k + 1) * s > W;
                break;
            case 2:
                for (int i = 0; i <= g.LastOfColumns(); i += 2) {
                    g.Column(display, out, i, ks);
                    g.Column(display, out, i + 1, -ks);
                }
                ended = (k + 1) * s > H;
                break;
            default:
                for (int i = 0; i <= g.LastOfBoth(); i += 2) {
                    g.Row(display, out, i, kv);
                    g.Row(display, out, i + 1, -kv);
                    g.Column(display, out, i, ks);
                    g.Column(display, out, i + 1, -ks);
                }
                ended = (k + 1) * s > H;
                break;
        }
        h.EffectFrame = k + 1;
        if (ended) {
            h.EffectFrame = 0;
            h.EffectDone = true;
        }
        Present(h, sleepMs);
        if (ended) break;
    }
    h.EffectDone = false;

    // The incoming strips arrive from opposite edges.
    for (;;) {
        const int k = h.EffectFrame;
        const int ks = k * s;
        bool ended = false;
        FillBox(display, 0, 0, W - 1, H - 1, h.BackColor);
        switch (pattern) {
            case 1:
                for (int i = 0; i <= g.LastOfColumns(); i += 2) {
                    g.Column(display, in, i, H - ks);
                    g.Column(display, in, i + 1, ks - H);
                }
                ended = (k + 1) * s > H;
                break;
            case 2:
                for (int i = 0; i <= g.LastOfRows(); i += 2) {
                    g.Row(display, in, i, W - ks);
                    g.Row(display, in, i + 1, ks - W);
                }
                ended = (k + 1) * s > W;
                break;
            default:
                for (int i = 0; i <= g.LastOfBoth(); i += 2) {
                    g.Column(display, in, i, H - ks);
                    g.Column(display, in, i + 1, ks - H);
                    g.Row(display, in, i, RoundEven(W - k * v));
                    g.Row(display, in, i + 1, RoundEven(k * v - W));
                }
                ended = (k + 1) * s > H;
                break;
        }
        h.EffectFrame = k + 1;
        if (ended) ShowIncomingPicture(h);
        Present(h, sleepMs);
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
