#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <map>
#include <vector>

#include "effects/Dispatch.h"
#include "effects/LineRows.h"
#include "effects/MaskReveal.h"
#include "support/effect_harness.h"

namespace tav::test {
namespace {

int CeilDiv(int a, int b) { return (a + b - 1) / b; }

// Frames of one run, the dispatcher's closing frame included: the number of
// mask items each shape draws, ten a frame.
int ExpectedFrames(int effect, int W, int H) {
    switch (effect) {
    case 134: return CeilDiv(2 * W + 2 * H + 5, 10) + 1;
    case 135: return CeilDiv(static_cast<int>(std::nearbyint(std::hypot(W / 2.0, H / 2.0))), 10) + 1;
    case 136: return CeilDiv(W + 1 + 1 + H + 1, 10) + 1;
    case 137: return CeilDiv(W, 10) + 1;
    case 138: return CeilDiv(W + 1, 10) + 1;
    default: return 1;
    }
}

TEST(MaskReveal, EveryEffectEndsOnTheIncomingPictureAtEverySizeAndSpeed) {
    struct Run {
        Area size;
        int speed;
    };
    std::vector<Run> runs;
    for (Area s : kAreas) runs.push_back({s, 2});
    for (int speed : {0, 1, 24}) runs.push_back({{640, 480}, speed});  // speed plays no part
    for (Run r : runs)
        for (int effect = 134; effect <= 139; ++effect) {
            TransitionRun run = RunEffect(effect, r.size.w, r.size.h, {.speed = r.speed});
            SCOPED_TRACE(Where(effect, r.size, r.speed));
            EXPECT_TRUE(run.finalEqualsIncoming);
            EXPECT_EQ(run.frames, ExpectedFrames(effect, r.size.w, r.size.h));
            // One millisecond per mask frame; the column sweep never sleeps.
            EXPECT_EQ(run.sleepMs, effect == 139 ? 0 : run.frames - 1);
        }
    // The figures at 800 x 600, written out.
    const std::map<int, int> frames = {{134, 282}, {135, 51}, {136, 142}, {137, 81}, {138, 82}, {139, 1}};
    for (auto [effect, expected] : frames) EXPECT_EQ(ExpectedFrames(effect, 800, 600), expected) << effect;
}

TEST(MaskReveal, ShapesUncoverTheDescribedRegionsAt800x600) {
    struct Probe {
        int effect, frame, x, y;
        char source;
    };
    const Probe probes[] = {
        // Rays: the first frame holds ten rays towards the top-left corner only.
        {134, 1, 400, 300, 'I'},
        {134, 1, 700, 100, 'O'},
        {134, 1, 100, 500, 'O'},
        // After the top edge (81 frames of ten rays) its whole triangle is open.
        {134, 81, 200, 100, 'I'},
        {134, 81, 600, 20, 'I'},
        {134, 81, 700, 250, 'O'},
        {134, 81, 100, 250, 'O'},
        {134, 281, 799, 599, 'I'},
        {134, 281, 0, 599, 'I'},
        // Circle: radius 198 after 20 frames; the last frame reaches 498, not the corner.
        {135, 20, 400, 160, 'I'},
        {135, 20, 400, 60, 'O'},
        {135, 49, 2, 2, 'O'},
        {135, 50, 2, 2, 'I'},
        {135, 50, 0, 0, 'O'},
        {135, 50, 799, 599, 'O'},
        // Fan: the first lines run down the left edge; after the bottom edge all
        // below the main diagonal is open.
        {136, 1, 0, 300, 'I'},
        {136, 1, 400, 300, 'O'},
        {136, 81, 100, 500, 'I'},
        {136, 81, 700, 100, 'O'},
        // Triangles after 400 columns each.
        {137, 40, 300, 100, 'I'},
        {137, 40, 300, 250, 'O'},
        {137, 40, 700, 590, 'I'},
        {137, 40, 700, 400, 'O'},
        {137, 40, 100, 590, 'O'},
        // Lines out from the anti-diagonal after 400 steps each way.
        {138, 40, 300, 200, 'I'},
        {138, 40, 100, 100, 'O'},
        {138, 40, 600, 300, 'I'},
        {138, 40, 700, 500, 'O'},
    };
    std::map<int, std::map<int, Bitmap>> frames;
    for (int effect = 134; effect <= 138; ++effect) {
        std::set<int> wanted;
        for (const Probe& p : probes)
            if (p.effect == effect) wanted.insert(p.frame);
        frames[effect] = Stage(800, 600).runKeeping(effect, wanted);
    }
    Stage cards(800, 600);
    for (const Probe& p : probes) {
        const Bitmap& shown = frames[p.effect][p.frame];
        ASSERT_FALSE(shown.empty()) << "effect " << p.effect << " has no frame " << p.frame;
        EXPECT_EQ(PixelSource(shown, p.x, p.y, cards.outgoing, cards.incoming), p.source)
            << "effect " << p.effect << " frame " << p.frame << " at (" << p.x << ", " << p.y << ")";
    }
}

TEST(MaskReveal, EveryFrameShowsOnlyPicturePixelsAndRevealsForGood) {
    for (int effect = 134; effect <= 138; ++effect) {
        Stage stage(64, 48);
        std::vector<char> revealed(64 * 48, 0);
        int bad = 0, lost = 0;
        stage.host.onFrame = [&](int, const Bitmap& display) {
            for (int y = 0; y < 48; ++y)
                for (int x = 0; x < 64; ++x) {
                    const char c = PixelSource(display, x, y, stage.outgoing, stage.incoming);
                    if (c != 'I' && c != 'O' && bad++ == 0)
                        ADD_FAILURE() << "effect " << effect << ": foreign pixel at (" << x << ", " << y << ")";
                    if (c == 'I')
                        revealed[y * 64 + x] = 1;
                    else if (revealed[y * 64 + x] && lost++ == 0)
                        ADD_FAILURE() << "effect " << effect << ": (" << x << ", " << y << ") covered again";
                }
        };
        stage.run(effect);
        EXPECT_TRUE(SameBitmap(stage.host.Display().bitmap(), stage.incoming)) << effect;
    }
}

TEST(MaskReveal, TheRowsOfALineHoldEveryPixelItDraws) {
    // The shapes reveal only the spans their lines' rows report, so every
    // pixel LineTo sets must lie in one: steep, shallow, level and upright
    // lines, both ways, reaching past the bitmap as the shapes' lines do.
    const int W = 90, H = 70;
    struct Line {
        int x0, y0, x1, y1;
    };
    std::vector<Line> lines = {{0, 0, 89, 69},   {89, 0, 0, 69},   {-1, 30, 90, 31}, {45, -1, 45, 70},
                               {45, 35, 90, 34}, {45, 35, -1, 36}, {10, 69, 11, -1}, {0, 0, 89, 1}};
    for (int k = 0; k <= 90; k += 7) lines.push_back({45, 35, k, -1}), lines.push_back({0, 0, k, 70});
    for (const Line& l : lines) {
        DC dc(std::make_shared<Bitmap>(W, H, 0));
        SelectStockWhitePen(dc);
        MoveToEx(dc, l.x0, l.y0);
        LineTo(dc, l.x1, l.y1);
        LineRows rows(H);
        rows.Add(l.x0, l.y0, l.x1, l.y1);
        Bitmap inside(W, H, 0);
        rows.Take([&](int y, int a, int b) {
            for (int x = std::max(a, 0); x <= std::min(b, W - 1); ++x) inside.setPixel(x, y, 1);
        });
        int outside = 0;
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x)
                if (dc.bitmap().pixel(x, y) != 0 && inside.pixel(x, y) == 0 && outside++ == 0)
                    ADD_FAILURE() << "line (" << l.x0 << ", " << l.y0 << ") to (" << l.x1 << ", " << l.y1 << ") set ("
                                  << x << ", " << y << ") outside its rows' spans";
    }
}

TEST(MaskReveal, ItemCountsAndOddArguments) {
    const int W = 40, H = 30;
    struct Case {
        int shape, perStep, frames;
    };
    const Case cases[] = {
        // A shape of N items takes one frame at N items a frame and two at N - 1.
        // Rays: W + 2 on the top edge, then H + 1, W + 1 and H + 1.
        {1, 2 * W + 2 * H + 5, 1},
        {1, 2 * W + 2 * H + 4, 2},
        {3, W + H + 3, 1},
        {3, W + H + 2, 2},
        {4, W, 1},
        {4, W - 1, 2},
        {5, W + 1, 1},
        {5, W, 2},
        // The circle grows to the half-diagonal, 25, one pixel a frame; fewer
        // than one item a frame behaves as one instead of never ending.
        {2, 1, 25},
        {2, 0, 25},
        {4, -3, W},
        // A shape outside the table draws no frame.
        {0, 10, 0},
        {6, 10, 0},
    };
    for (const Case& c : cases) {
        Stage stage(W, H);
        ShapeMaskReveal(stage.host, {.shape = c.shape, .perStep = c.perStep});
        EXPECT_EQ(stage.host.frames, c.frames) << "shape " << c.shape << " perStep " << c.perStep;
        EXPECT_TRUE(stage.host.EffectDone);
        EXPECT_TRUE(SameBitmap(stage.host.Display().bitmap(), stage.incoming)) << "shape " << c.shape;
    }
}

// Sees the column sweep between its paints, which are not frames.
class WatchingHost : public RecordingHost {
public:
    using RecordingHost::RecordingHost;
    void DoEvents() override {
        RecordingHost::DoEvents();
        if (onEvents) onEvents(doEventsCalls);
    }
    void ShowDirect() override { ++shown; }
    std::function<void(int)> onEvents;
    int shown = 0;
};

TEST(ColumnSmear, EachPlacedColumnLeavesASmearedBandAhead) {
    for (Area s : {Area{800, 600}, Area{40, 30}}) {
        SlideSurfaces surfaces;
        WatchingHost host(surfaces);
        const Bitmap outgoing = OutgoingCard(s.w, s.h), incoming = IncomingCard(s.w, s.h);
        PrepareTransition(host, s.w, s.h, Colorref{0}, 2, outgoing, incoming);
        // Every column takes 50 slides and one more pause for input.
        std::map<int, Bitmap> afterColumn;
        std::map<int, int> shownAfter;
        host.onEvents = [&](int calls) {
            if (calls % 51 == 0) {
                const int X = calls / 51;
                if (X == 1 || X == 49 || X == 50 || X == 300 || X == s.w - 1) {
                    afterColumn[X] = host.Display().bitmap();
                    shownAfter[X] = host.shown;
                }
            }
        };
        host.EffectNumber = 139;
        RunTransition(host);

        EXPECT_EQ(host.frames, 1);
        EXPECT_EQ(host.sleepMs, 0);
        EXPECT_TRUE(SameBitmap(host.Display().bitmap(), incoming));
        EXPECT_EQ(host.PicD().bitmap().width(), 1) << "the columns come from a copy of the incoming picture";
        for (auto& [X, shown] : afterColumn) {
            SCOPED_TRACE(testing::Message() << s.w << "x" << s.h << " after column " << X);
            EXPECT_GE(shownAfter[X], 50 * X) << "column paints not shown";
            for (int x = 0; x < s.w; ++x)
                for (int y : {0, s.h / 2, s.h - 1}) {
                    const Pixel p = shown.pixel(x, y);
                    Pixel want;
                    // Column 0 is only placed once the sweep is 50 columns on.
                    if (x == 0 && X < 50)
                        want = outgoing.pixel(x, y);
                    else if (x <= X)
                        want = incoming.pixel(x, y);
                    else if (x < X + 50)
                        want = incoming.pixel(X, y);
                    else
                        want = outgoing.pixel(x, y);
                    if (p != want) {
                        ADD_FAILURE() << "at (" << x << ", " << y << "): 0x" << std::hex << p << ", expected 0x"
                                      << want;
                        x = s.w;
                        break;
                    }
                }
        }
    }
}

}  // namespace
}  // namespace tav::test
