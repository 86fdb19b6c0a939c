// Tile shrink and grow (effects 42 to 55).

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "effects/EffectTable.h"
#include "effects/TileShrink.h"
#include "support/effect_harness.h"

namespace tav::test {
namespace {

constexpr Colorref kRed{0x0000FF};  // neither card has a channel at 0 beside one at 0xFF
constexpr Pixel kRedPixel = ColorrefToPixel(kRed);

struct EffectCase {
    int effect;
    int cellsPerRound;  // 0: all cells at once
    int gridCells;      // N x N
    int pauseMs;        // per round
};

const EffectCase kEffects[] = {
    {42, 2, 16, 10}, {43, 2, 16, 10}, {44, 4, 64, 200}, {45, 4, 64, 200}, {46, 0, 4, 0},
    {47, 0, 4, 0},   {48, 0, 16, 0},  {49, 0, 16, 0},   {50, 0, 36, 0},   {51, 0, 36, 0},
    {52, 0, 64, 0},  {53, 0, 64, 0},  {54, 0, 100, 0},  {55, 0, 100, 0},
};

// A tile takes D = 34 - speed size steps (speed 0 runs as 1): D + 1 shrink
// frames, D grow frames, and for the random routines one pause frame a round.
TEST(TileShrink, EveryEffectEndsOnTheIncomingPictureWithItsFramesAndPauses) {
    for (const Area& s : kAreas)
        for (int speed : {1, 2, 24, 0})
            for (const EffectCase& e : kEffects) {
                // Other sizes than 800 x 600 at the extreme speeds only for a few
                // effects, to keep the run short.
                if (speed != 2 && s.w != 800 && e.effect != 42 && e.effect != 44 && e.effect != 47) continue;
                SCOPED_TRACE(Where(e.effect, s, speed));
                const int D = 34 - (speed < 1 ? 1 : speed);
                const int rounds = e.cellsPerRound ? e.gridCells / e.cellsPerRound : 1;
                const int perRound = (D + 1) + D + (e.cellsPerRound ? 1 : 0);
                const TransitionRun r = RunEffect(e.effect, s.w, s.h, {.speed = speed, .backColor = kRed});
                EXPECT_TRUE(r.finalEqualsIncoming);
                EXPECT_EQ(r.frames, rounds * perRound + 1);
                EXPECT_EQ(r.sleepMs, static_cast<long long>(rounds) * e.pauseMs);
            }
}

TEST(TileShrink, AllTilesShrinkOverTheBackgroundThenGrow) {
    // 64 x 48 in a 2 x 2 grid at speed 2: D = 32, cells of 32 x 24.
    const int D = 32;
    for (int clear : {1, 2}) {
        SCOPED_TRACE("clear " + std::to_string(clear));
        Stage stage(64, 48, {.speed = 2, .backColor = kRed});
        const auto f = stage.runKeeping(clear == 1 ? 46 : 47, {1, D, D + 1, D + 2, 2 * D, 2 * D + 1});
        // Full-size tiles first, the incoming picture complete at the last grow step.
        EXPECT_TRUE(SameBitmap(f.at(1), stage.outgoing));
        EXPECT_TRUE(SameBitmap(f.at(2 * D + 1), stage.incoming));
        // At size 0 nothing is drawn: cleared, only the background is left;
        // uncleared, the frame keeps the earlier, larger copies.
        if (clear == 1) {
            for (int y = 0; y < 48; ++y)
                for (int x = 0; x < 64; ++x)
                    ASSERT_EQ(PixelSource(f.at(D + 1), x, y, stage.outgoing, stage.incoming, kRedPixel), 'B')
                        << "at (" << x << ", " << y << ")";
        } else {
            EXPECT_TRUE(SameBitmap(f.at(D + 1), f.at(D)));
        }
        // The first grow step puts one pixel in the middle of each cell.
        int changed = 0;
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 64; ++x)
                if (f.at(D + 2).pixel(x, y) != f.at(D + 1).pixel(x, y)) ++changed;
        EXPECT_EQ(changed, 4);
        EXPECT_EQ(f.at(D + 2).pixel(16, 12), stage.incoming.pixel(0, 0));
        // One step short of full size (31 x 23 at (0, 0)) the far corner of a cell is still uncovered.
        EXPECT_EQ(PixelSource(f.at(2 * D), 31, 23, stage.outgoing, stage.incoming, kRedPixel), clear == 1 ? 'B' : 'O');
    }
}

// After every round, two (or four) more whole cells show the incoming picture
// and all others still show the outgoing one: the cells of a round differ and
// no cell is taken twice.
TEST(TileShrink, RandomRoundsEachFinishDistinctNewCells) {
    const struct { int effect, grid, perRound; } cases[] = {{42, 4, 2}, {43, 4, 2}, {44, 8, 4}, {45, 8, 4}};
    for (const auto& c : cases)
        for (unsigned seed : {1u, 7u}) {
            SCOPED_TRACE("effect " + std::to_string(c.effect) + ", seed " + std::to_string(seed));
            Stage stage(800, 600, {.speed = 24, .backColor = kRed, .seed = seed});
            const int framesPerRound = 11 + 10 + 1;
            const int cw = 800 / c.grid, ch = 600 / c.grid;
            int checked = 0;
            stage.host.onFrame = [&](int frame, const Bitmap& display) {
                if (frame % framesPerRound != 0) return;
                const int round = frame / framesPerRound;
                int in = 0, out = 0;
                for (int r = 0; r < c.grid; ++r)
                    for (int col = 0; col < c.grid; ++col) {
                        int cellIn = 0, cellOut = 0;
                        for (int y = r * ch; y < (r + 1) * ch; ++y)
                            for (int x = col * cw; x < (col + 1) * cw; ++x) {
                                const char s = PixelSource(display, x, y, stage.outgoing, stage.incoming, kRedPixel);
                                cellIn += s == 'I';
                                cellOut += s == 'O';
                            }
                        in += cellIn == cw * ch;
                        out += cellOut == cw * ch;
                    }
                EXPECT_EQ(in, round * c.perRound) << "after round " << round;
                EXPECT_EQ(in + out, c.grid * c.grid) << "after round " << round;
                ++checked;
            };
            stage.run(c.effect);
            EXPECT_EQ(checked, c.grid * c.grid / c.perRound);
            EXPECT_FALSE(stage.host.EffectFirstPass);
        }
}

// A grid that is not a multiple of the round size ends with a smaller round;
// no grid, or a speed past the step count, still ends on the incoming picture.
TEST(TileShrink, UnusualArgumentsStillEnd) {
    const struct {
        const char* name;
        RoutineArgs args;
        int speed;
        int frames;
    } cases[] = {
        {"pairs 3 x 3", TileShrinkRandomPairsArgs{.clear = 1, .cells = 3}, 24, 5 * 22},
        {"quads 3 x 3", TileShrinkRandomQuadsArgs{.clear = 1, .cells = 3}, 24, 3 * 22},
        {"pairs, no grid", TileShrinkRandomPairsArgs{.clear = 1, .cells = 0}, 2, 0},
        {"all, no grid", TileShrinkAllArgs{.clear = 1, .cells = 0}, 2, 0},
        {"all, speed 40", TileShrinkAllArgs{.clear = 1, .cells = 2}, 40, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Stage stage(64, 48, {.speed = c.speed});
        InvokeEffect(stage.host, {.number = 0, .args = c.args});
        EXPECT_TRUE(stage.host.EffectDone);
        EXPECT_EQ(stage.host.frames, c.frames);
        EXPECT_TRUE(SameBitmap(stage.host.Display().bitmap(), stage.incoming));
    }
}

}  // namespace
}  // namespace tav::test
