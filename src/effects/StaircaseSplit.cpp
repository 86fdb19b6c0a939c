#include "effects/StaircaseSplit.h"

#include <algorithm>

#include "effects/EffectHost.h"
#include "effects/FrameSteps.h"

namespace tav {
namespace {

// The geometry shared by both routines. Strip i starts at a = (W / N) × i
// (columns) or b = (H / N) × i (rows); columns split at b going out and at
// H − b coming in, rows at W − a going out and at a coming in, so the split
// points form a staircase.
struct Staircase {
    EffectHost& h;
    bool columns;  // axis 1
    int n;
    int columnWidth;
    int rowHeight;
    int partExtra;  // added to the width of a row's parts

    Staircase(EffectHost& host, std::int16_t axis, std::int16_t strips, bool cross)
        : h(host), columns(axis == 1), n(std::max<int>(strips, 1)) {
        const double w = h.AreaWidth, hgt = h.AreaHeight;
        columnWidth = RoundEven(w / n + 1);
        rowHeight = cross ? RoundEven(hgt / n) : RoundEven(hgt / n + 1);
        partExtra = cross ? 1 : 0;
    }

    double a(int i) const { return static_cast<double>(h.AreaWidth) / n * i; }
    double b(int i) const { return static_cast<double>(h.AreaHeight) / n * i; }
    // The distance the strips travel before the incoming parts stand in place.
    int travel() const { return columns ? h.AreaHeight : h.AreaWidth; }

    void drawOut(int s) {
        DC& dst = h.Display();
        const DC& out = h.Outgoing();
        const double W = h.AreaWidth, H = h.AreaHeight;
        for (int i = 0; i < n; ++i) {
            const double a = this->a(i), b = this->b(i);
            if (columns) {
                BitBlt(dst, RoundEven(a), -s, columnWidth, RoundEven(b), out, RoundEven(a), 0, SRCCOPY);
                BitBlt(dst, RoundEven(a), RoundEven(b + s), columnWidth, RoundEven(H - b), out, RoundEven(a),
                       RoundEven(b), SRCCOPY);
            } else {
                BitBlt(dst, RoundEven(W - a + s), RoundEven(b), RoundEven(a + partExtra), rowHeight, out,
                       RoundEven(W - a), RoundEven(b), SRCCOPY);
                BitBlt(dst, -s, RoundEven(b), RoundEven(W - a + partExtra), rowHeight, out, 0, RoundEven(b), SRCCOPY);
            }
        }
    }

    void drawIn(int s) {
        DC& dst = h.Display();
        const DC& in = h.Incoming();
        const double W = h.AreaWidth, H = h.AreaHeight;
        for (int i = 0; i < n; ++i) {
            const double a = this->a(i), b = this->b(i);
            if (columns) {
                BitBlt(dst, RoundEven(a), RoundEven(s - H), columnWidth, RoundEven(H - b), in, RoundEven(a), 0,
                       SRCCOPY);
                BitBlt(dst, RoundEven(a), RoundEven(2 * H - b - s), columnWidth, RoundEven(b), in, RoundEven(a),
                       RoundEven(H - b), SRCCOPY);
            } else {
                BitBlt(dst, RoundEven(s - W), RoundEven(b), RoundEven(a + partExtra), rowHeight, in, 0, RoundEven(b),
                       SRCCOPY);
                BitBlt(dst, RoundEven(W + a - s), RoundEven(b), RoundEven(W - a + partExtra), rowHeight, in,
                       RoundEven(a), RoundEven(b), SRCCOPY);
            }
        }
    }
};

}  // namespace

void StaircaseSplit(EffectHost& h, const StaircaseSplitArgs& a) {
    Staircase stairs(h, a.axis, a.strips, false);
    // A stored speed of 0 would never end the phases; it moves like speed 1.
    const int step = h.SpeedStep();
    const int travel = stairs.travel();
    do {
        stairs.drawOut(h.EffectFrame * step);
        EndFrame(h, 10);
        ++h.EffectFrame;
    } while (!(static_cast<long long>(h.EffectFrame) * step > travel));
    h.EffectFrame = 0;
    do {
        stairs.drawIn(h.EffectFrame * step);
        EndFrame(h, 10);
        ++h.EffectFrame;
    } while (!(static_cast<long long>(h.EffectFrame) * step > travel));
    ShowIncomingPicture(h);
}

void StaircaseSplitCross(EffectHost& h, const StaircaseSplitCrossArgs& a) {
    Staircase stairs(h, a.axis, a.strips, true);
    const int step = h.SpeedStep();
    const int travel = stairs.travel();
    do {
        const int s = h.EffectFrame * step;
        stairs.drawOut(s);
        stairs.drawIn(s);
        EndFrame(h, 10);
        ++h.EffectFrame;
    } while (!(static_cast<long long>(h.EffectFrame) * step > travel));
    ShowIncomingPicture(h);
}

}  // namespace tav
