#include "effects/ZoomCells.h"

#include <algorithm>
#include <array>

#include "effects/EffectHost.h"
#include "effects/FrameSteps.h"

namespace tav {
namespace {

// The whole incoming picture, scaled to i twentieths of the area about its centre.
void ZoomedCopy(EffectHost& h, int i) {
    const int W = h.AreaWidth, H = h.AreaHeight;
    const double zw = W / 20.0 * i, zh = H / 20.0 * i;
    StretchBlt(h.Display(), RoundEven((W - zw) / 2), RoundEven((H - zh) / 2), RoundEven(zw), RoundEven(zh),
               h.Incoming(), 0, 0, W, H, SRCCOPY);
    EndFrame(h, 0);
}

void ZoomBounce(EffectHost& h) {
    const int W = h.AreaWidth, H = h.AreaHeight;
    for (int i = 1; i <= 50; ++i) ZoomedCopy(h, i);
    for (int i = 50; i >= 0; --i) {
        FillBox(h.Display(), 0, 0, W - 1, H - 1, h.BackColor);
        ZoomedCopy(h, i);
    }
    // Without clearing: each copy covers the last, and the twentieth is full size.
    for (int i = 1; i <= 20; ++i) ZoomedCopy(h, i);
    ShowIncomingPicture(h);
}

void RandomCells(EffectHost& h) {
    const int W = h.AreaWidth, H = h.AreaHeight;
    std::array<bool, 100> used{};
    int remaining = 0;

    h.EffectFirstPass = true;
    for (;;) {
        if (h.EffectFirstPass) {
            used.fill(false);
            remaining = 100;
            h.EffectFirstPass = false;
        }
        // The pick-th cell not yet drawn, counted in ascending order.
        const int pick = std::min(static_cast<int>(h.Rnd() * remaining) + 1, remaining);
        int j = 0;
        for (int seen = 0; j < 100; ++j) {
            if (!used[j] && ++seen == pick) break;
        }
        used[j] = true;

        // One pixel larger than the cell both ways, so rounding leaves no gaps.
        const int x = RoundEven(j % 10 * W / 10.0), y = RoundEven(j / 10 * H / 10.0);
        BitBlt(h.Display(), x, y, RoundEven(W / 10.0 + 1), RoundEven(H / 10.0 + 1), h.Incoming(), x, y, SRCCOPY);

        // The last five cells arrive with the whole picture.
        if (--remaining <= 5) ShowIncomingPicture(h);
        EndFrame(h, 100);
        if (h.EffectDone) return;
    }
}

}  // namespace

void ZoomOrRandomCells(EffectHost& h, const ZoomOrRandomCellsArgs& a) {
    if (a.mode == 1)
        ZoomBounce(h);
    else
        RandomCells(h);
}

}  // namespace tav
