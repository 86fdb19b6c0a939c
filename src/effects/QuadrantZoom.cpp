#include "effects/QuadrantZoom.h"

#include <algorithm>
#include <cmath>

#include "effects/Backdrop.h"
#include "effects/EffectHost.h"
#include "effects/FrameSteps.h"

namespace tav {
namespace {

// Int() of a scaled size. Sizes never go below zero: a grow step that lands a
// hair above 100 % shrink must draw nothing rather than a mirrored pixel.
int ScaledSize(double v) { return std::max(0, static_cast<int>(std::floor(v))); }

// Draws `picture` shrunk by p percent over the ground.
void DrawShrunk(EffectHost& h, const DC& picture, std::int16_t shape, double p, Backdrop& ground) {
    DC& dst = h.Display();
    const auto draw = [&](int x, int y, int w, int hgt, int sx, int sy, int sw, int sh) {
        StretchBlt(dst, x, y, w, hgt, picture, sx, sy, sw, sh, SRCCOPY);
        ground.Covered(x, y, w, hgt);
    };
    const double W = h.AreaWidth, H = h.AreaHeight;
    const double q = (100 - p) / 100;
    if (shape == 1) {
        draw(RoundEven(p), RoundEven(p), ScaledSize(W * q), ScaledSize(H * q), 0, 0, h.AreaWidth, h.AreaHeight);
        return;
    }
    const double hw = h.AreaCentreX, hh = h.AreaCentreY;
    const int qw = ScaledSize(hw * q), qh = ScaledSize(hh * q);
    const int left = RoundEven(W / 4 - static_cast<double>(qw) / 2);
    const int right = RoundEven(3 * W / 4 - static_cast<double>(qw) / 2);
    const int top = RoundEven(H / 4 - static_cast<double>(qh) / 2);
    const int bottom = RoundEven(3 * H / 4 - static_cast<double>(qh) / 2);
    const int sw = RoundEven(hw), sh = RoundEven(hh);
    draw(left, top, qw, qh, 0, 0, sw, sh);
    draw(right, top, qw, qh, RoundEven(hw), 0, sw, sh);
    draw(left, bottom, qw, qh, 0, RoundEven(hh), sw, sh);
    draw(right, bottom, qw, qh, RoundEven(hw), RoundEven(hh), sw, sh);
}

}  // namespace

void QuadrantZoom(EffectHost& h, const QuadrantZoomArgs& a) {
    // The percentage step is a quarter of the speed, at least 1.
    const int step = std::max(1, static_cast<int>(std::floor(h.EffectSpeed / 4.0)));
    // The grow counter is single precision, so the grow steps land a little
    // below whole percentages when 100 does not divide by the step.
    float grow = 100.0f / static_cast<float>(step);
    const DC& out = h.Outgoing();
    const DC& in = h.Incoming();
    Backdrop ground(h.Display(), a.direction == 1 ? in : out, h.AreaWidth, h.AreaHeight);
    do {
        ground.Begin();
        if (a.direction == 1) {
            DrawShrunk(h, out, a.shape, static_cast<double>(h.EffectFrame) * step, ground);
            StepFrame(h, step, 100, 10);
        } else {
            DrawShrunk(h, in, a.shape, step * static_cast<double>(grow), ground);
            grow -= 1.0f;
            if (grow <= 0.0f) ShowIncomingPicture(h);
            EndFrame(h, 10);
        }
    } while (!h.EffectDone);
}

}  // namespace tav
