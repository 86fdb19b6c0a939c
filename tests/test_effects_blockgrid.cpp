#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "effects/BlockGrid.h"
#include "support/effect_harness.h"

namespace tav::test {
namespace {

// Blocks drawn by the four checkerboard passes: per pass, the block origins
// from its offset up to the area's edge inclusive, two blocks apart.
int CheckerFrames(int w, int h, int p) {
    const int offsets[4][2] = {{0, 0}, {p, p}, {p, 0}, {0, p}};
    int frames = 0;
    const auto count = [p](int extent, int from) { return extent < from ? 0 : (extent - from) / (2 * p) + 1; };
    for (auto& o : offsets) frames += count(w, o[0]) * count(h, o[1]);
    return frames;
}

TEST(BlockGrid, EveryEffectEndsOnTheIncomingPictureAtTheStatedPace) {
    EXPECT_EQ(CheckerFrames(800, 600, 64), 130);
    struct Case {
        int effect;
        int size;  // 0 for the grid sweep
    };
    for (Case c : {Case{82, 0}, Case{83, 0}, Case{84, 0}, Case{112, 64}, Case{113, 32}}) {
        for (Area a : kAreas) {
            const int routineFrames = c.size ? CheckerFrames(a.w, a.h, c.size) : 4 * 40;
            const int sleepPerFrame = c.size ? 10 : 20;
            for (int speed : {0, 1, 2, 24}) {
                SCOPED_TRACE(std::to_string(c.effect) + " at " + std::to_string(a.w) + "x" + std::to_string(a.h) +
                             " speed " + std::to_string(speed));
                TransitionRun run = RunEffect(c.effect, a.w, a.h, {.speed = speed, .backColor = Colorref{0x0000FF}});
                EXPECT_TRUE(run.finalEqualsIncoming);
                EXPECT_EQ(run.frames, routineFrames + 1);
                EXPECT_EQ(run.sleepMs, static_cast<long long>(sleepPerFrame) * routineFrames);
            }
        }
    }
}

// Copies of the frames a test asks for.
struct Watch {
    Stage stage;
    std::map<int, Bitmap> frames;
    Watch(int w, int h, Colorref back = {}) : stage(w, h, {.backColor = back}) {}
    void run(int effect, const std::set<int>& wanted) { frames = stage.runKeeping(effect, wanted); }
    char at(int frame, int x, int y) const {
        return PixelSource(frames.at(frame), x, y, stage.outgoing, stage.incoming,
                           ColorrefToPixel(stage.host.BackColor));
    }
};

TEST(CheckerBlockFill, BuildsACheckerboardPassByPass) {
    // 640 × 480 with 32-pixel blocks: the first pass takes 11 × 8 blocks (the
    // last column of blocks starts at 640, outside the area), the second 10 × 8.
    const int p = 32, pass1 = 11 * 8, pass2 = 10 * 8;
    Watch w(640, 480);
    w.run(113, {1, 2, pass1, pass1 + pass2});
    EXPECT_EQ(w.at(1, 0, 0), 'I');
    EXPECT_EQ(w.at(1, 31, 31), 'I');
    EXPECT_EQ(w.at(1, 32, 0), 'O');
    EXPECT_EQ(w.at(1, 0, 32), 'O');
    // The inner loop runs down the column first.
    EXPECT_EQ(w.at(2, 0, 64), 'I');
    EXPECT_EQ(w.at(2, 128, 0), 'O');
    for (int y = 0; y < 480; y += 16)
        for (int x = 0; x < 640; x += 16) {
            const bool evenX = (x / p) % 2 == 0, evenY = (y / p) % 2 == 0;
            const char afterPass1 = evenX && evenY ? 'I' : 'O';
            const char afterPass2 = evenX == evenY ? 'I' : 'O';
            ASSERT_EQ(w.at(pass1, x, y), afterPass1) << "after pass 1 at (" << x << ", " << y << ")";
            ASSERT_EQ(w.at(pass1 + pass2, x, y), afterPass2) << "after pass 2 at (" << x << ", " << y << ")";
        }
}

TEST(CheckerBlockFill, CoversClippedEdgeBlocksAndLeavesDoneAlone) {
    for (Area a : {Area{100, 70}, Area{33, 97}, Area{1, 1}}) {
        Stage stage(a.w, a.h);
        CheckerBlockFill(stage.host, {.size = 32});
        EXPECT_TRUE(SameBitmap(stage.host.Display().bitmap(), stage.incoming)) << a.w << "x" << a.h;
        EXPECT_FALSE(stage.host.EffectDone);
        EXPECT_EQ(stage.host.frames, CheckerFrames(a.w, a.h, 32));
    }
}

TEST(CheckerBlockFill, ANonPositiveSizeShowsTheIncomingPictureInsteadOfLoopingForever) {
    for (std::int16_t size : {0, -5}) {
        Stage stage(40, 30);
        CheckerBlockFill(stage.host, {.size = size});
        EXPECT_TRUE(SameBitmap(stage.host.Display().bitmap(), stage.incoming)) << size;
        EXPECT_EQ(stage.host.frames, 0) << size;
    }
}

TEST(BlockGridSweep, PaintsThenFillsEveryOtherCellAlongTheSweep) {
    // 800 × 600 with 40 cells: cells are 20 × 15, copies 20 × 16.
    const Colorref red{0x0000FF};
    struct Probe {
        int frame, x, y;
        char source;
    };
    struct Case {
        int effect;
        std::vector<Probe> probes;
    };
    const Case cases[] = {
        {82,
         {{1, 0, 0, 'B'},
          {1, 19, 14, 'B'},
          {1, 20, 0, 'O'},
          {1, 40, 0, 'B'},
          {1, 760, 14, 'B'},
          {1, 780, 14, 'O'},
          {1, 0, 15, 'O'},
          // End of the first phase: stripes of background across the outgoing picture.
          {40, 0, 585, 'B'},
          {40, 25, 300, 'O'},
          {40, 45, 300, 'B'},
          // The first copy is one pixel taller than its cell.
          {41, 0, 0, 'I'},
          {41, 0, 15, 'I'},
          {41, 0, 16, 'B'},
          {41, 20, 0, 'O'},
          {80, 0, 599, 'I'},
          {80, 20, 300, 'O'},
          {81, 20, 0, 'B'},
          {81, 0, 20, 'I'},
          {81, 20, 15, 'O'},
          {160, 799, 599, 'I'},
          {160, 20, 0, 'I'}}},
        {83,
         {{1, 0, 0, 'B'},
          {1, 0, 14, 'B'},
          {1, 0, 15, 'O'},
          {1, 0, 30, 'B'},
          {1, 20, 0, 'O'},
          {41, 0, 0, 'I'},
          {41, 0, 15, 'I'},
          {41, 0, 16, 'O'},
          {41, 0, 30, 'I'},
          {41, 0, 45, 'I'},
          {41, 0, 46, 'O'},
          {41, 0, 60, 'I'},
          {41, 20, 0, 'B'},
          {160, 799, 599, 'I'}}},
        {84,
         {{1, 0, 0, 'B'},
          {1, 40, 0, 'B'},
          {1, 0, 30, 'B'},
          {1, 20, 0, 'O'},
          {1, 0, 15, 'O'},
          {1, 40, 30, 'O'},
          {2, 20, 15, 'O'},
          {2, 20, 30, 'B'},
          {160, 799, 599, 'I'}}},
    };
    for (const Case& c : cases) {
        std::set<int> wanted;
        for (const Probe& p : c.probes) wanted.insert(p.frame);
        Watch w(800, 600, red);
        w.run(c.effect, wanted);
        for (const Probe& p : c.probes)
            EXPECT_EQ(w.at(p.frame, p.x, p.y), p.source)
                << "effect " << c.effect << " frame " << p.frame << " at (" << p.x << ", " << p.y << ")";
        EXPECT_TRUE(SameBitmap(w.frames.at(160), w.stage.incoming)) << "effect " << c.effect;
    }
}

TEST(BlockGridSweep, DegenerateGridsStillEndOnTheIncomingPicture) {
    for (std::int16_t cells : {0, -3, 1, 3}) {
        Stage stage(50, 40);
        BlockGridSweep(stage.host, {.pattern = 1, .cells = cells});
        EXPECT_TRUE(SameBitmap(stage.host.Display().bitmap(), stage.incoming)) << cells;
        EXPECT_TRUE(stage.host.EffectDone);
        EXPECT_EQ(stage.host.frames, cells > 0 ? 4 * cells : 0) << cells;
    }
}

}  // namespace
}  // namespace tav::test
