#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "support/effect_harness.h"

namespace tav::test {
namespace {

// Frames of a phase that runs until its step passes `limit`: the step after
// the count of the last one is the first beyond it.
int PhaseFrames(int limit, int speed) { return limit / std::max(speed, 1) + 1; }

TEST(CombWipes, EndWhenTheCombHasCrossedTheArea) {
    // Frames of the loop for each effect: one phase across the height (columns)
    // or the width (rows); the inverting ones first sweep their band across
    // the other side.
    struct Effect {
        int number;
        int (*loopFrames)(const Area&, int speed);
    };
    const Effect effects[] = {
        {31, [](const Area& a, int s) { return PhaseFrames(a.w, s) + PhaseFrames(a.h, s); }},
        {32, [](const Area& a, int s) { return PhaseFrames(a.h, s) + PhaseFrames(a.w, s); }},
        {33, [](const Area& a, int s) { return PhaseFrames(a.h, s); }},
        {34, [](const Area& a, int s) { return PhaseFrames(a.w, s); }},
        {35, [](const Area& a, int s) { return PhaseFrames(a.h, s); }},
        {36, [](const Area& a, int s) { return PhaseFrames(a.w, s); }},
        {37, [](const Area& a, int s) { return PhaseFrames(a.h, s); }},
        {38, [](const Area& a, int s) { return PhaseFrames(a.w, s); }},
        {39, [](const Area& a, int s) { return PhaseFrames(a.h, s); }},
        {40, [](const Area& a, int s) { return PhaseFrames(a.h, s); }},
    };
    for (const Effect& e : effects)
        for (const auto& [a, speed] : kRuns) {
            const TransitionRun r = RunEffect(e.number, a.w, a.h, {.speed = speed});
            const int loop = e.loopFrames(a, speed);
            EXPECT_TRUE(r.finalEqualsIncoming) << Where(e.number, a, speed);
            EXPECT_EQ(r.frames, loop + 1) << Where(e.number, a, speed);
            EXPECT_EQ(r.sleepMs, 10LL * loop) << Where(e.number, a, speed);
        }
}

// 'I' incoming, 'O' outgoing, 'N' the outgoing picture inverted.
::testing::AssertionResult Shows(const Grabbed& g, int frame, int x0, int y0, int x1, int y1, char what) {
    Bitmap negative = g.out();
    for (Pixel& p : negative.pixels()) p = ~p & 0xFFFFFF;
    return test::Shows(g.at(frame), x0, y0, x1, y1,
                       what == 'I'   ? g.in()
                       : what == 'O' ? g.out()
                                     : negative)
           << " in frame " << frame;
}

TEST(CombWipe, TwoColumnsMeetFromTopAndBottom) {
    // 800 × 600, speed 2, frame 101: s = 200. Column 0 spans x 0 ... 400
    // (one pixel wider than half), column 1 starts at 400.
    auto g = Grab(33, 800, 600, 2, {101});
    EXPECT_TRUE(Shows(g, 101, 0, 0, 401, 200, 'I'));
    EXPECT_TRUE(Shows(g, 101, 0, 200, 400, 600, 'O'));
    EXPECT_TRUE(Shows(g, 101, 400, 400, 800, 600, 'I'));
    EXPECT_TRUE(Shows(g, 101, 401, 0, 800, 400, 'O'));
    EXPECT_TRUE(Shows(g, 101, 400, 200, 401, 400, 'O'));
}

TEST(CombWipe, RowsGetNoExtraPixel) {
    // Five rows on 767 lines start at 0, 153, 307, 460 and 614 and are 153
    // high, so line 306 keeps the outgoing picture until the final copy.
    // Frame 683 (speed 2) is drawn with s = 1364, the frame before the end.
    auto g = Grab(36, 1366, 767, 2, {2, 683, 684});
    EXPECT_TRUE(Shows(g, 2, 0, 0, 2, 153, 'I'));  // row 0 from the left
    EXPECT_TRUE(Shows(g, 2, 2, 0, 1366, 153, 'O'));
    EXPECT_TRUE(Shows(g, 2, 1364, 153, 1366, 306, 'I'));  // row 1 from the right
    EXPECT_TRUE(Shows(g, 2, 0, 153, 1364, 306, 'O'));
    EXPECT_TRUE(Shows(g, 683, 0, 306, 1366, 307, 'O'));
    EXPECT_TRUE(Shows(g, 683, 2, 153, 1366, 306, 'I'));
    EXPECT_TRUE(Shows(g, 683, 0, 307, 1364, 460, 'I'));
    EXPECT_TRUE(Shows(g, 683, 0, 614, 1364, 767, 'I'));  // row 4, the last even one
    EXPECT_TRUE(Shows(g, 684, 0, 0, 1366, 767, 'I'));
}

TEST(CombWipeCross, RowsAndColumnsRevealTogether) {
    // 100 strips on 800 × 600, speed 2, frame 51: s = 100. Columns are 8
    // apart and 9 wide, rows 6 apart and 6 high.
    auto g = Grab(40, 800, 600, 2, {51});
    struct Point {
        int x, y;
        char what;
    };
    const Point points[] = {
        {404, 50, 'I'},   // even column 50, from the top
        {412, 550, 'I'},  // odd column 51, from the bottom
        {404, 550, 'O'},  // even column, near the bottom; odd row 91 from the right has not come that far
        {412, 306, 'O'},  // odd column, mid-height; odd row 51
        {50, 300, 'I'},   // even row 50, from the left
        {50, 306, 'O'},   // odd row 51, on the left
        {750, 306, 'I'},  // odd row 51, from the right
    };
    for (const Point& p : points) EXPECT_TRUE(Shows(g, 51, p.x, p.y, p.x + 1, p.y + 1, p.what));
}

TEST(InvertFlashWipe, BandThenNegativeThenComb) {
    // Effect 31 on 800 × 600, speed 2: band frames 1 ... 401 (frame f has
    // s = 2 (f - 1)); frame 401 shows the whole negative; the comb of 100
    // columns (8 apart, 9 wide) starts from nothing in frame 402.
    auto g = Grab(31, 800, 600, 2, {201, 401, 402, 452});
    EXPECT_TRUE(Shows(g, 201, 0, 0, 400, 600, 'O'));
    EXPECT_TRUE(Shows(g, 201, 400, 0, 800, 600, 'N'));
    EXPECT_TRUE(Shows(g, 401, 0, 0, 800, 600, 'N'));
    EXPECT_TRUE(Shows(g, 402, 0, 0, 800, 600, 'N'));
    EXPECT_TRUE(Shows(g, 452, 0, 0, 9, 100, 'I'));  // column 0 from the top, s = 100
    EXPECT_TRUE(Shows(g, 452, 0, 100, 8, 600, 'N'));
    EXPECT_TRUE(Shows(g, 452, 8, 500, 17, 600, 'I'));  // column 1 from the bottom
    EXPECT_TRUE(Shows(g, 452, 9, 0, 16, 500, 'N'));

    // Effect 32: the band rises from the bottom, then rows (6 apart) from the sides.
    auto v = Grab(32, 800, 600, 2, {151, 302, 352});
    EXPECT_TRUE(Shows(v, 151, 0, 0, 800, 300, 'O'));
    EXPECT_TRUE(Shows(v, 151, 0, 300, 800, 600, 'N'));
    EXPECT_TRUE(Shows(v, 302, 0, 0, 800, 600, 'N'));
    EXPECT_TRUE(Shows(v, 352, 0, 0, 100, 6, 'I'));  // row 0 from the left, s = 100
    EXPECT_TRUE(Shows(v, 352, 100, 0, 800, 6, 'N'));
    EXPECT_TRUE(Shows(v, 352, 700, 6, 800, 12, 'I'));  // row 1 from the right
    EXPECT_TRUE(Shows(v, 352, 0, 6, 700, 12, 'N'));
}

}  // namespace
}  // namespace tav::test
