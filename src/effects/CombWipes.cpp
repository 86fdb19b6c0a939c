#include "effects/CombWipes.h"

#include <algorithm>

#include "effects/FrameSteps.h"

namespace tav {
namespace {

// The strips of one comb. Columns are one pixel wider than their spacing,
// which closes the rounding gaps between them; rows are not, so on some
// heights a row of pixels stays uncovered until the final copy.
//
// Every strip uncovers the incoming picture in its own place, and nothing
// else draws while the comb grows, so a pixel once uncovered stays as it is:
// each pass draws only what its strips grew by since the pass before.
class Comb {
public:
    Comb(EffectHost& h, int n)
        : h_(h), n_(n), w_(h.AreaWidth), ht_(h.AreaHeight), colW_(RoundEven(w_ / n + 1)), rowH_(RoundEven(ht_ / n)) {}

    // Even columns grow down from the top, odd ones up from the bottom; the
    // last pass of an odd count also reveals column N, just outside the area.
    void columns(int s) {
        const int grown = Grow(s);
        for (int j = 0; j <= n_ - 1; j += 2) {
            column(j, s - grown, grown);
            column(j + 1, h_.AreaHeight - s, grown);
        }
    }

    // Even rows grow from the left, odd ones from the right.
    void rows(int s) {
        const int grown = Grow(s);
        for (int j = 0; j <= n_ - 1; j += 2) {
            row(j, s - grown, grown);
            row(j + 1, h_.AreaWidth - s, grown);
        }
    }

    // Per pass: both rows, then both columns.
    void cross(int s) {
        const int grown = Grow(s);
        for (int j = 0; j <= n_ - 1; j += 2) {
            row(j, s - grown, grown);
            row(j + 1, h_.AreaWidth - s, grown);
            column(j, s - grown, grown);
            column(j + 1, h_.AreaHeight - s, grown);
        }
    }

private:
    // The length the strips grew by to reach s.
    int Grow(int s) {
        const int grown = std::max(s - reached_, 0);
        reached_ = std::max(reached_, s);
        return grown;
    }
    int colX(int j) const { return RoundEven(w_ / n_ * j); }
    int rowY(int j) const { return RoundEven(ht_ / n_ * j); }
    // Strip j's part from y (or x), `len` long.
    void column(int j, int y, int len) { Reveal(colX(j), y, colW_, len); }
    void row(int j, int x, int len) { Reveal(x, rowY(j), len, rowH_); }

    // The incoming picture stays in place; only the uncovered part grows.
    void Reveal(int x, int y, int w, int hgt) {
        StretchBlt(h_.Display(), x, y, w, hgt, h_.Incoming(), x, y, w, hgt, SRCCOPY);
    }

    EffectHost& h_;
    int n_;
    double w_, ht_;
    int colW_, rowH_;
    int reached_ = 0;  // the length the strips have reached
};

}  // namespace

void CombWipe(EffectHost& h, const CombWipeArgs& a) {
    const int step = h.SpeedStep();
    const long long limit = a.axis == 1 ? h.AreaHeight : h.AreaWidth;
    Comb comb(h, a.strips);
    while (!h.EffectDone) {
        const int s = h.EffectFrame * step;
        if (a.axis == 1)
            comb.columns(s);
        else
            comb.rows(s);
        StepFrame(h, step, limit, 10);
    }
}

void CombWipeCross(EffectHost& h, const CombWipeCrossArgs& a) {
    const int step = h.SpeedStep();
    Comb comb(h, a.strips);
    // On a landscape area the columns complete first and already cover the
    // whole area, so their end ends the effect.
    while (!h.EffectDone) {
        comb.cross(h.EffectFrame * step);
        StepFrame(h, step, h.AreaHeight, 10);
    }
}

void InvertFlashWipe(EffectHost& h, const InvertFlashWipeArgs& a) {
    const std::int16_t axis = a.axis;
    const int step = h.SpeedStep();
    const int w = h.AreaWidth, ht = h.AreaHeight;
    const long long bandLimit = axis == 1 ? w : ht;
    const long long combLimit = axis == 2 ? w : ht;
    DC& d = h.Display();
    Comb comb(h, a.strips);
    // The saver window's first-pass flag tells the band phase from the comb
    // phase. The frame that ends the band shows the whole negative and draws
    // no comb; the comb starts from nothing in the next frame.
    //
    // The band inverts the outgoing picture from the far edge. The first frame
    // puts the outgoing picture on the display; each frame after it inverts
    // only what the band grew by, once, which leaves every frame as it was.
    long long inverted = 0;
    while (!h.EffectDone) {
        const int s = h.EffectFrame * step;
        if (h.EffectFirstPass) {
            if (h.EffectFrame == 0) {
                BitBlt(d, 0, 0, w, ht, h.Outgoing(), 0, 0, SRCCOPY);
                inverted = 0;
            }
            const int grown = static_cast<int>(std::max(s - inverted, 0LL));
            inverted = std::max<long long>(inverted, s);
            if (axis == 1)
                StretchBlt(d, w - s, 0, grown, ht, nullptr, 0, 0, grown, ht, DSTINVERT);
            else
                StretchBlt(d, 0, ht - s, w, grown, nullptr, 0, 0, w, grown, DSTINVERT);
            ++h.EffectFrame;
            if (static_cast<long long>(h.EffectFrame) * step > bandLimit) {
                BitBlt(d, 0, 0, w, ht, h.Outgoing(), 0, 0, SRCCOPY);
                BitBlt(d, 0, 0, w, ht, nullptr, 0, 0, DSTINVERT);
                h.EffectFirstPass = false;
                h.EffectFrame = 0;
            }
            EndFrame(h, 10);
        } else {
            if (axis == 2)
                comb.rows(s);
            else
                comb.columns(s);
            StepFrame(h, step, combLimit, 10);
        }
    }
}

}  // namespace tav
