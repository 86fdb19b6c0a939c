#include "effects/TileScatter.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "effects/FrameSteps.h"

namespace tav {
namespace {

struct Tile {
    int dx = 0;  // -1, 0 or 1 per step on each axis
    int dy = 0;
    double x = 0, y = 0;
    double x0 = 0, y0 = 0;
    bool gone = false;
};

// The unit step of a tile by pattern and direction number 1 ... 4.
void Heading(int pattern, int d, int& dx, int& dy) {
    dx = 0;
    dy = 0;
    switch (pattern) {
    case 1: dx = (d % 2 == 1) ? 1 : -1; break;
    case 2: dy = (d % 2 == 1) ? 1 : -1; break;
    case 3:
        if (d == 1)
            dx = 1;
        else if (d == 2)
            dx = -1;
        else if (d == 3)
            dy = 1;
        else
            dy = -1;
        break;
    case 4:
        if (d == 1)
            dx = 1, dy = 1;
        else if (d == 2)
            dx = -1, dy = -1;
        else if (d == 3)
            dx = -1, dy = 1;
        else
            dx = 1, dy = -1;
        break;
    default: break;
    }
}

// A tile has left once the coordinate it moves along is beyond the area; a
// diagonal tile once either of its two is.
bool HasLeft(const Tile& t, double w, double h, double tw, double th) {
    return (t.dx > 0 && t.x > w) || (t.dx < 0 && t.x < -tw) || (t.dy > 0 && t.y > h) || (t.dy < 0 && t.y < -th);
}

}  // namespace

void TileScatter(EffectHost& h, const TileScatterArgs& a) {
    const std::int16_t pattern = a.pattern;
    const double w = h.AreaWidth, ht = h.AreaHeight;
    const int step = h.SpeedStep();
    const int nc = std::max<int>(a.columns, 0), nr = std::max<int>(a.rows, 0);
    const double tw = w / a.columns, th = ht / a.rows;
    // Tiles are drawn one pixel larger than their cells, which closes the
    // rounding gaps between neighbours.
    const int srcW = RoundEven(tw), srcH = RoundEven(th);
    const int dstW = RoundEven(tw + 1), dstH = RoundEven(th + 1);

    std::vector<Tile> tiles(static_cast<std::size_t>(nc) * nr);
    for (int c = 0; c < nc; ++c)
        for (int r = 0; r < nr; ++r) {
            Tile& t = tiles[static_cast<std::size_t>(c) * nr + r];
            t.x0 = t.x = tw * c;
            t.y0 = t.y = th * r;
        }
    // One draw per tile, in tile order.
    const bool moves = pattern >= 1 && pattern <= 4;
    for (Tile& t : tiles) {
        const int d = static_cast<int>(std::floor(h.Rnd() * 4)) + 1;
        Heading(pattern, d, t.dx, t.dy);
    }

    DC& display = h.Display();
    // The ground and the tiles are drawn together, row by row, so the ground
    // is filled only between the tiles.
    auto drawFrame = [&](const DC& picture) {
        StretchBatch frame(display);
        frame.FillBox(0, 0, w, ht, h.BackColor);
        for (const Tile& t : tiles)
            frame.Add(RoundEven(t.x), RoundEven(t.y), dstW, dstH, picture, RoundEven(t.x0), RoundEven(t.y0), srcW, srcH,
                      SRCCOPY);
        frame.Draw();
        EndFrame(h, 10);
    };

    // An unknown pattern moves nothing and would never see its tiles leave.
    const std::size_t n = moves ? tiles.size() : 0;
    std::size_t goneCount = 0;
    long long frames = 0;
    while (goneCount < n) {
        for (Tile& t : tiles) {
            t.x += t.dx * step;
            t.y += t.dy * step;
            if (!t.gone && HasLeft(t, w, ht, tw, th)) {
                t.gone = true;
                ++goneCount;
            }
        }
        drawFrame(h.Outgoing());
        ++frames;
    }

    for (long long k = 0; k < frames; ++k) {
        for (Tile& t : tiles) {
            t.x -= t.dx * step;
            t.y -= t.dy * step;
        }
        drawFrame(h.Incoming());
    }

    ShowIncomingPicture(h);
}

}  // namespace tav
