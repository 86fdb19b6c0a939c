#include "effects/SpiralBlocks.h"

#include "effects/EffectHost.h"
#include "effects/FrameSteps.h"

namespace tav {

void SpiralBlockReveal(EffectHost& h) {
    constexpr int kBlock = 32;
    // The grid is rounded, so a partial last row or column may be included
    // (and then clipped) or left to the final full copy.
    const int columns = RoundEven(h.AreaWidth / static_cast<double>(kBlock));
    const int rows = RoundEven(h.AreaHeight / static_cast<double>(kBlock));
    const long total = static_cast<long>(columns) * rows;
    enum Heading { Right, Down, Left, Up };

    // Columns count from 1 (x = (c - 1) × 32), rows from 0 (y = r × 32); the
    // limits close in by one block each time the walk turns.
    int c = 0, r = 0;
    int right = columns, bottom = rows, left = 0, top = 0;
    Heading heading = Right;
    DC& dst = h.Display();
    const DC& in = h.Incoming();
    for (long n = 0; n < total; ++n) {
        switch (heading) {
        case Right:
            ++c;
            if (c == right) --bottom, heading = Down;
            break;
        case Down:
            ++r;
            if (r == bottom) ++left, heading = Left;
            break;
        case Left:
            --c;
            if (c == left) ++top, heading = Up;
            break;
        case Up:
            --r;
            if (r == top) --right, heading = Right;
            break;
        }
        const int x = (c - 1) * kBlock, y = r * kBlock;
        BitBlt(dst, x, y, kBlock, kBlock, in, x, y, SRCCOPY);
        EndFrame(h, 0);
    }
    ShowIncomingPicture(h);
}

}  // namespace tav
