#include "effects/PixelSweep.h"

#include <algorithm>
#include <cstddef>
#include <vector>

#include "effects/EffectHost.h"
#include "effects/FrameSteps.h"

namespace tav {
namespace {

// Which kind of line a sweep visits: a column runs down over the rows, a row
// runs across the columns.
enum class Axis { Columns, Rows };

Axis Across(Axis a) { return a == Axis::Columns ? Axis::Rows : Axis::Columns; }

// The pixels of the sweeps, copied straight between the bitmaps. Each copy has
// the result of a 1 x 1 SRCCOPY BitBlt from the incoming picture to the same
// place of the display: a pixel outside either bitmap draws nothing. Whole
// lines are clipped once instead of per pixel, since about half a million
// copies make up one transition.
class Sweeper {
public:
    explicit Sweeper(EffectHost& h) : host_(h), W_(h.AreaWidth), H_(h.AreaHeight) {}

    // Number of lines of the kind (the area's width for columns) and the last
    // pixel index along one line (the area's height for columns); the sweeps
    // run one past the picture on both counts.
    int Extent(Axis a) const { return a == Axis::Columns ? W_ : H_; }
    int LineEnd(Axis a) const { return a == Axis::Columns ? H_ : W_; }
    // The next multiple of 6 above the extent.
    int Bound(Axis a) const {
        const int e = Extent(a);
        return e + 6 - e % 6;
    }

    // Copies the pixels from .. to (inclusive) of line `pos`, every `step`-th one.
    void Line(Axis a, int pos, int from, int to, int step = 1) { Lines(a, pos, -1, from, to, step); }
    // The same for two lines at once (a negative `second`: none), pixel by pixel
    // along both, so that two columns a few pixels apart share their memory rows.
    void Lines(Axis a, int first, int second, int from, int to, int step = 1) {
        // The bitmaps are looked up for every line, as a drawing call would,
        // since the host may run other code between two presentations.
        DC& display = host_.Display();
        Bitmap& dst = display.target();
        const DC& incoming = host_.Incoming();
        const Bitmap& src = incoming.bitmap();
        const int clipW = std::min(dst.width(), src.width());
        const int clipH = std::min(dst.height(), src.height());
        const int lines = a == Axis::Columns ? clipW : clipH;
        const int length = a == Axis::Columns ? clipH : clipW;
        const bool firstIn = first >= 0 && first < lines;
        const bool secondIn = second >= 0 && second < lines;
        if (!firstIn && !secondIn) return;
        if (from < 0) from += (-from + step - 1) / step * step;
        to = std::min(to, length - 1);
        if (from > to) return;
        // Only the lines drawn count as changed, so a frame repaints just them.
        for (int pos : {first, second}) {
            if (pos < 0 || pos >= lines) continue;
            if (a == Axis::Rows) {
                MarkDirty(display, from, pos, to - from + 1, 1);
            } else {
                MarkDirty(display, pos, from, 1, to - from + 1);
            }
        }
        if (a == Axis::Rows) {
            for (int pos : {first, second}) {
                if (pos < 0 || pos >= lines) continue;
                Pixel* d = dst.row(pos);
                const Pixel* s = src.row(pos);
                if (step == 1) {
                    std::copy(s + from, s + to + 1, d + from);
                } else {
                    for (int i = from; i <= to; i += step) d[i] = s[i];
                }
            }
            return;
        }
        Pixel* d = dst.pixels().data();
        const Pixel* s = src.pixels().data();
        const std::size_t dstride = static_cast<std::size_t>(dst.width());
        const std::size_t sstride = static_cast<std::size_t>(src.width());
        if (firstIn && secondIn) {
            for (int i = from; i <= to; i += step) {
                d[i * dstride + first] = s[i * sstride + first];
                d[i * dstride + second] = s[i * sstride + second];
            }
        } else {
            const int pos = firstIn ? first : second;
            for (int i = from; i <= to; i += step) d[i * dstride + pos] = s[i * sstride + pos];
        }
    }
    void WholeLines(Axis a, int first, int second = -1) { Lines(a, first, second, 0, LineEnd(a)); }
    // The two halves of a split line overlap by two pixels in the middle.
    void FirstHalves(Axis a, int first, int second = -1) { Lines(a, first, second, 0, LineEnd(a) / 2 + 1); }
    void SecondHalves(Axis a, int first, int second = -1) { Lines(a, first, second, LineEnd(a) / 2, LineEnd(a)); }

    void Present() { EndFrame(host_, 0); }

private:
    EffectHost& host_;
    int W_;
    int H_;
};

// One of the four passes over whole lines 6 apart. Together they cover the
// lines congruent to 0, 3, 1 and 4, 5 and 2 (mod 6), alternately forwards and
// backwards.
void WholeLinePass(Sweeper& s, Axis a, int pass) {
    const int bound = s.Bound(a);
    switch (pass) {
    case 0:
        for (int p = 0; p <= bound; p += 6) {
            s.WholeLines(a, p);
            s.Present();
        }
        break;
    case 1:
        for (int p = bound - 3; p >= 0; p -= 6) {
            s.WholeLines(a, p);
            s.Present();
        }
        break;
    case 2:
        for (int p = 1; p <= bound; p += 6) {
            s.WholeLines(a, p, p + 3);
            s.Present();
        }
        break;
    default:
        for (int p = bound - 1; p >= 0; p -= 6) {
            s.WholeLines(a, p, p - 3);
            s.Present();
        }
        break;
    }
}

// One of the four passes over split lines: a sweep from the start and one from
// the far end step together, each drawing the half of its lines that the other
// leaves, so that every half line is drawn once.
void SplitLinePass(Sweeper& s, Axis a, int pass) {
    const int bound = s.Bound(a);
    static constexpr int kNearStart[4] = {0, 3, 1, 2};
    static constexpr int kFarStart[4] = {0, 3, 2, 1};
    const bool nearFirstHalf = pass == 0 || pass == 2;
    // Passes 2 and 3 draw each sweep's line together with the one 3 further on.
    const int partner = pass >= 2 ? 3 : 0;
    int near = kNearStart[pass];
    int far = bound - kFarStart[pass];
    for (; near <= bound; near += 6, far -= 6) {
        const int nearPartner = partner ? near + partner : -1;
        const int farPartner = partner ? far - partner : -1;
        if (nearFirstHalf) {
            s.FirstHalves(a, near, nearPartner);
            s.SecondHalves(a, far, farPartner);
        } else {
            s.SecondHalves(a, near, nearPartner);
            s.FirstHalves(a, far, farPartner);
        }
        s.Present();
    }
}

// Several sweeps side by side, each advancing `bands` lines per step and each
// starting once the first sweep is one band width ahead of it. With `dither`,
// the sweeps copy only every other pixel of their lines and two lines across
// them fill in the rest: one from the start, one from the far end.
void BandedSweeps(Sweeper& s, Axis a, int bands, bool dither) {
    const int extent = s.Extent(a);
    const int lineEnd = s.LineEnd(a);
    const int bandWidth = RoundEven(static_cast<double>(extent) / bands);
    static constexpr int kStart[4] = {0, 2, 1, 3};
    std::vector<int> pos(static_cast<std::size_t>(bands));
    for (int i = 0; i < bands; ++i) pos[i] = i < 4 ? kStart[i] : i;
    const int step = dither ? 2 : 1;
    const Axis across = Across(a);
    int nearAcross = 1;
    int farAcross = lineEnd % 2 == 1 ? lineEnd : lineEnd + 1;

    for (;;) {
        if (pos[0] <= extent) s.Line(a, pos[0], 0, lineEnd, step);
        for (int i = 1; i < bands; ++i) {
            // A later sweep moves only in the steps in which it draws, so it
            // covers all of its lines however late it starts.
            if (pos[i] <= extent && pos[0] > i * bandWidth) {
                s.Line(a, pos[i], 0, lineEnd, step);
                pos[i] += bands;
            }
        }
        bool end;
        if (dither) {
            s.Line(across, nearAcross, 0, extent, 2);
            s.Line(across, farAcross, 1, extent, 2);
            // On a square area the far dither line ends the sweep; it has then
            // reached the start, so every pixel has been drawn.
            end = (extent <= lineEnd && farAcross - 3 < 0) || (pos[bands - 1] >= extent && lineEnd < extent);
        } else {
            end = pos[bands - 1] >= extent;
        }
        if (end) break;
        pos[0] += bands;
        nearAcross += 2;
        farAcross -= 2;
        s.Present();
    }
}

}  // namespace

void PixelSweep(EffectHost& h, const PixelSweepArgs& a) {
    const std::int16_t pattern = a.pattern;
    Sweeper s(h);
    switch (pattern) {
    case 1:
    case 2: {
        const Axis a = pattern == 1 ? Axis::Columns : Axis::Rows;
        for (int pass = 0; pass < 4; ++pass) WholeLinePass(s, a, pass);
        break;
    }
    case 3:
    case 4: {
        const Axis a = pattern == 3 ? Axis::Columns : Axis::Rows;
        for (int pass = 0; pass < 4; ++pass) SplitLinePass(s, a, pass);
        break;
    }
    case 5:
        for (int pass = 0; pass < 4; ++pass) {
            WholeLinePass(s, Axis::Columns, pass);
            WholeLinePass(s, Axis::Rows, pass);
        }
        break;
    case 6:
        for (int pass = 0; pass < 4; ++pass) {
            SplitLinePass(s, Axis::Columns, pass);
            SplitLinePass(s, Axis::Rows, pass);
        }
        break;
    case 7:
    case 8:
    case 9:
    case 10:
        // Without a sweep there is nothing to step; the picture is shown whole.
        if (a.bands >= 1) BandedSweeps(s, pattern % 2 == 1 ? Axis::Columns : Axis::Rows, a.bands, pattern >= 9);
        break;
    default: break;
    }
    ShowIncomingPicture(h);
}

}  // namespace tav
