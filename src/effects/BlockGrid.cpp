#include "effects/BlockGrid.h"

#include "effects/EffectHost.h"
#include "effects/FrameSteps.h"

namespace tav {

void CheckerBlockFill(EffectHost& h, const CheckerBlockFillArgs& a) {
    const std::int32_t p = a.size;
    // A block size of zero or less would never advance its loops; such a call
    // shows the incoming picture at once instead.
    if (p <= 0) {
        ShowIncomingPicture(h);
        return;
    }
    const std::int32_t step = 2 * p;
    const std::int32_t w = h.AreaWidth, ht = h.AreaHeight;
    struct Offset {
        std::int32_t x0, y0;
    };
    // Together the four passes cover every block of the grid; the inclusive
    // bounds reach the blocks clipped at the right and bottom edges.
    const Offset passes[] = {{0, 0}, {p, p}, {p, 0}, {0, p}};
    for (const Offset& o : passes) {
        for (std::int32_t x = o.x0; x <= w; x += step) {
            for (std::int32_t y = o.y0; y <= ht; y += step) {
                BitBlt(h.Display(), x, y, p, p, h.Incoming(), x, y, SRCCOPY);
                EndFrame(h, 10);
            }
        }
    }
}

namespace {

// Cell geometry of the sweep: cells are real-valued, and every rectangle is
// rounded only where it is handed to a drawing call.
struct Grid {
    EffectHost& h;
    double cw, ch;

    // A box in the background colour; its corners pass through single
    // precision before the filled box rounds them.
    void box(int c, int r) const {
        const auto corner = [](double v) { return static_cast<double>(static_cast<float>(v)); };
        FillBox(h.Display(), corner(c * cw), corner(r * ch), corner((c + 1) * cw - 1), corner((r + 1) * ch - 1),
                h.BackColor);
    }

    // The incoming cell, one pixel taller than the cell so rows of cells meet.
    void copy(int c, int r) const {
        const int x = RoundEven(c * cw), y = RoundEven(r * ch);
        BitBlt(h.Display(), x, y, RoundEven(cw), RoundEven(ch + 1), h.Incoming(), x, y, SRCCOPY);
    }
};

}  // namespace

void BlockGridSweep(EffectHost& h, const BlockGridSweepArgs& a) {
    const int n = a.cells;
    const Grid grid{h, static_cast<double>(h.AreaWidth) / n, static_cast<double>(h.AreaHeight) / n};

    struct Phase {
        int first, last;
        bool paint;
    };
    // The odd phases reach index n, one cell beyond the grid; that cell lies
    // outside the area and changes nothing.
    const Phase phases[] = {{0, n - 1, true}, {0, n - 1, false}, {1, n, true}, {1, n, false}};
    for (const Phase& ph : phases) {
        const auto act = [&](int c, int r) { ph.paint ? grid.box(c, r) : grid.copy(c, r); };
        for (int outer = 0; outer <= n - 1; ++outer) {
            for (int inner = ph.first; inner <= ph.last; inner += 2) {
                if (a.pattern == 2) {
                    act(outer, inner);
                } else {
                    act(inner, outer);
                    if (a.pattern == 3) act(outer, inner);
                }
            }
            EndFrame(h, 20);
        }
    }
    ShowIncomingPicture(h);
}

}  // namespace tav
