#include "effects/RandomLineDissolve.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "effects/EffectHost.h"
#include "effects/FrameSteps.h"

namespace tav {

namespace {
constexpr int kLinesPerFrame = 51;
constexpr int kFrameSleepMs = 100;
}  // namespace

void RandomLineDissolve(EffectHost& h, const RandomLineDissolveArgs& a) {
    const bool columns = a.orientation == 1;
    // A negative area would leave no room for the order array; it has no lines.
    const std::int32_t n = std::max<std::int32_t>(columns ? h.AreaWidth : h.AreaHeight, 0);

    // Entries 0 ... n, each value once. The value n names no line of the
    // picture; drawing it copies nothing, but it still uses up a slot.
    std::vector<std::int32_t> order(static_cast<std::size_t>(n) + 1);
    for (std::int32_t i = 1; i <= n; ++i) order[i] = i;
    for (int pass = 1; pass <= 3; ++pass) {
        for (std::int32_t i = 1; i <= n; ++i) {
            const double r = h.Rnd();
            const int j = RoundEven(r * n);
            std::swap(order[i], order[j]);
        }
    }

    h.EffectDone = false;
    std::int32_t k = 0;
    while (!h.EffectDone) {
        for (int slot = 0; slot < kLinesPerFrame; ++slot) {
            if (k >= n) {
                ShowIncomingPicture(h);
                break;
            }
            const std::int32_t v = order[k];
            if (columns)
                BitBlt(h.Display(), v, 0, 1, h.AreaHeight, h.Incoming(), v, 0, SRCCOPY);
            else
                BitBlt(h.Display(), 0, v, h.AreaWidth, 1, h.Incoming(), 0, v, SRCCOPY);
            ++k;
        }
        EndFrame(h, kFrameSleepMs);
    }
}

}  // namespace tav
