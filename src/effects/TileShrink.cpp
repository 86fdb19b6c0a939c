#include "effects/TileShrink.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "effects/EffectHost.h"
#include "effects/FrameSteps.h"

namespace tav {
namespace {

// The grid of one transition and the number of size steps a tile takes from
// full size to nothing.
class TileGrid {
public:
    TileGrid(EffectHost& h, int cells)
        : host_(h),
          W_(h.AreaWidth),
          H_(h.AreaHeight),
          cw_(static_cast<double>(W_) / cells),
          ch_(static_cast<double>(H_) / cells),
          // A faster speed gives fewer steps. Speeds below 1 behave as 1, and at
          // least one step is kept so that a step's size is always defined.
          steps_(std::max(34 - h.SpeedStep(), 1)) {}

    int Steps() const { return steps_; }

    // The tile of cell (c, r) at size step k, centred in its cell, drawn from the
    // whole cell of `source`. At k = 0 its size is 0 and nothing is drawn.
    void DrawTile(const DC& source, int c, int r, int k) {
        const double tw = (cw_ / steps_) * k;
        const double th = (ch_ / steps_) * k;
        StretchBlt(host_.Display(), RoundEven(cw_ * c + (cw_ - tw) / 2), RoundEven(ch_ * r + (ch_ - th) / 2),
                   RoundEven(tw), RoundEven(th), source, RoundEven(cw_ * c), RoundEven(ch_ * r), RoundEven(cw_),
                   RoundEven(ch_), SRCCOPY);
    }

    void FillArea() { FillBox(host_.Display(), 0, 0, W_ - 1, H_ - 1, host_.BackColor); }
    void FillCell(int c, int r) {
        FillBox(host_.Display(), cw_ * c, ch_ * r, cw_ * c + cw_ - 1, ch_ * r + ch_ - 1, host_.BackColor);
    }

private:
    EffectHost& host_;
    int W_;
    int H_;
    double cw_;
    double ch_;
    int steps_;
};

enum class Pause { Pairs, Quads };

void TileShrinkRandom(EffectHost& h, int clear, int cells, int perRound, Pause pause) {
    // Without cells there is no grid to step through.
    if (cells < 1) {
        ShowIncomingPicture(h);
        return;
    }
    TileGrid grid(h, cells);
    const int D = grid.Steps();
    const int total = cells * cells;

    // Cell i (1 ... total) is column (i - 1) mod N, row (i - 1) \ N.
    std::vector<std::uint8_t> used(static_cast<std::size_t>(total) + 1, 0);
    int freeCells = total;
    h.EffectFirstPass = false;
    std::vector<int> roundCol(perRound), roundRow(perRound);

    while (!h.EffectDone) {
        // The last round takes only the cells that are left when the grid is not
        // a multiple of the round size, so that no choice ever finds no cell.
        const int count = std::min(perRound, freeCells);
        for (int j = 0; j < count; ++j) {
            const int pick = static_cast<int>(std::floor(freeCells * h.Rnd())) + 1;
            int seen = 0;
            for (int i = 1; i <= total; ++i) {
                if (used[i]) continue;
                if (++seen == pick) {
                    used[i] = 1;
                    roundCol[j] = (i - 1) % cells;
                    roundRow[j] = (i - 1) / cells;
                    break;
                }
            }
            if (j < count - 1) --freeCells;
        }

        for (int k = D; k >= 0; --k) {
            if (clear == 1)
                for (int j = 0; j < count; ++j) grid.FillCell(roundCol[j], roundRow[j]);
            for (int j = 0; j < count; ++j) grid.DrawTile(h.Outgoing(), roundCol[j], roundRow[j], k);
            EndFrame(h, 0);
        }
        for (int k = 1; k <= D; ++k) {
            for (int j = 0; j < count; ++j) grid.DrawTile(h.Incoming(), roundCol[j], roundRow[j], k);
            EndFrame(h, 0);
        }

        --freeCells;
        if (freeCells <= 0) ShowIncomingPicture(h);
        if (pause == Pause::Pairs) {
            h.Refresh();
            h.Sleep(10);
            h.DoEvents();
        } else {
            EndFrame(h, 200);
        }
    }
}

}  // namespace

void TileShrinkAll(EffectHost& h, const TileShrinkAllArgs& a) {
    const std::int16_t cells = a.cells;
    if (cells < 1) {
        ShowIncomingPicture(h);
        return;
    }
    TileGrid grid(h, cells);
    const int D = grid.Steps();
    for (int k = D; k >= 0; --k) {
        if (a.clear == 1) grid.FillArea();
        for (int c = 0; c < cells; ++c)
            for (int r = 0; r < cells; ++r) grid.DrawTile(h.Outgoing(), c, r, k);
        EndFrame(h, 0);
    }
    for (int k = 1; k <= D; ++k) {
        for (int c = 0; c < cells; ++c)
            for (int r = 0; r < cells; ++r) grid.DrawTile(h.Incoming(), c, r, k);
        EndFrame(h, 0);
    }
    ShowIncomingPicture(h);
}

void TileShrinkRandomPairs(EffectHost& h, const TileShrinkRandomPairsArgs& a) {
    TileShrinkRandom(h, a.clear, a.cells, 2, Pause::Pairs);
}

void TileShrinkRandomQuads(EffectHost& h, const TileShrinkRandomQuadsArgs& a) {
    TileShrinkRandom(h, a.clear, a.cells, 4, Pause::Quads);
}

}  // namespace tav
