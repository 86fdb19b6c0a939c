#include <gtest/gtest.h>

#include <algorithm>

#include "support/effect_harness.h"

namespace tav::test {
namespace {

struct Split {
    int number;
    int axis;
    bool cross;  // outgoing and incoming parts move in the same frames
};
constexpr Split kSplits[] = {{65, 1, false}, {66, 2, false}, {67, 1, true}, {68, 2, true}};

// One phase moves the parts by the speed (at least 1) until they have passed
// the area's height (columns) or width (rows): floor(length / speed) + 1 frames.
int PhaseFrames(const Split& e, Area a, int speed) {
    const int length = e.axis == 1 ? a.h : a.w;
    return length / std::max(speed, 1) + 1;
}

}  // namespace

TEST(StaircaseSplit, EndsOnTheIncomingPictureAfterItsFrameCount) {
    for (const Split& e : kSplits)
        for (Area a : kAreas)
            for (int speed : {0, 1, 2, 24}) {
                if (speed < 2 && a.w != 640) continue;  // slow speeds on the smallest area only
                const TransitionRun run = RunEffect(e.number, a.w, a.h, {.speed = speed});
                const int phases = e.cross ? 1 : 2;
                const int frames = phases * PhaseFrames(e, a, speed);
                SCOPED_TRACE(Where(e.number, a, speed));
                EXPECT_TRUE(run.finalEqualsIncoming);
                EXPECT_EQ(run.frames, frames + 1);
                EXPECT_EQ(run.sleepMs, frames * 10LL);
            }
}

TEST(StaircaseSplit, IncomingPartsStandInPlaceWhenTheyHaveTravelledTheArea) {
    // With a speed that divides the travel, the last frame of the incoming
    // phase shows the whole incoming picture before the final copy.
    struct Case {
        int number;
        Area area;
        int speed;
    };
    for (const Case c : {Case{65, {100, 50}, 5}, Case{66, {100, 50}, 5}, Case{67, {100, 48}, 4}, Case{68, {100, 48}, 4},
                         Case{65, {1024, 768}, 32}, Case{67, {1366, 767}, 59}}) {
        Stage stage(c.area.w, c.area.h, {.speed = c.speed, .keepFrames = true});
        stage.run(c.number);
        const auto& frames = stage.host.frameCopies;
        ASSERT_GE(frames.size(), 2u);
        EXPECT_TRUE(SameBitmap(frames[frames.size() - 2], stage.incoming))
            << "effect " << c.number << " at " << c.area.w << "x" << c.area.h;
    }
}

TEST(StaircaseSplit, ColumnPartsMoveApartFromTheirStaircasePoints) {
    // Effect 65 on 100 × 50: fifty columns start 2 pixels apart and are 3 wide,
    // column i is split at row i. After s pixels, the upper part of the column
    // starting at x shows its rows from s on at the top, the lower part starts
    // s rows below the split point.
    constexpr int W = 100, H = 50, kSpeed = 5;
    Stage stage(W, H, {.speed = kSpeed, .keepFrames = true});
    stage.run(65);
    const auto& frames = stage.host.frameCopies;
    ASSERT_EQ(static_cast<int>(frames.size()), 2 * (H / kSpeed + 1) + 1);
    // The first frame of the outgoing phase moves nothing.
    EXPECT_TRUE(SameBitmap(frames[0], stage.outgoing));
    for (int k : {1, 3}) {
        const int s = k * kSpeed;
        for (int x = 0; x < W; ++x) {
            const int split = x / 2;  // the last column drawn over x starts at x or x - 1
            for (int y = 0; y < H; ++y) {
                int from = -1;
                if (y < split - s) from = y + s;
                if (y >= split + s) from = y - s;
                if (from < 0) continue;  // uncovered: keeps what was drawn before
                ASSERT_EQ(frames[k].pixel(x, y), stage.outgoing.pixel(x, from))
                    << "frame " << k + 1 << " at (" << x << ", " << y << ")";
            }
        }
    }
    // Incoming phase, first frame: both incoming parts are still outside the
    // area, so the picture of the last outgoing frame stays.
    const int lastOut = H / kSpeed;
    EXPECT_TRUE(SameBitmap(frames[lastOut + 1], frames[lastOut]));
}

TEST(StaircaseSplit, RowsIncomingFromBothSidesMeetAtTheMirroredStaircase) {
    // Effect 68 on 120 × 48: six rows of 8; row i is split at a = 20 i coming in.
    // After s pixels the left part of row i ends at s - 120 + a + 1 and the
    // right part starts at 120 + a - s.
    constexpr int W = 120, H = 48, kSpeed = 10;
    Stage stage(W, H, {.speed = kSpeed, .keepFrames = true});
    stage.run(68);
    const auto& frames = stage.host.frameCopies;
    ASSERT_EQ(static_cast<int>(frames.size()), W / kSpeed + 1 + 1);
    const int k = 9, s = k * kSpeed;
    for (int i = 0; i < 6; ++i) {
        const int a = 20 * i, y = 8 * i + 3;
        for (int x = 0; x < W; ++x) {
            Pixel expected;
            if (x >= W + a - s)
                expected = stage.incoming.pixel(x - (W - s), y);
            else if (x < s - W + a + 1)
                expected = stage.incoming.pixel(x + (W - s), y);
            else
                continue;
            ASSERT_EQ(frames[k].pixel(x, y), expected) << "row " << i << " at (" << x << ", " << y << ")";
        }
    }
}

TEST(StaircaseSplit, RealAndIntegerSumsAreRoundedAsOneValue) {
    // Effect 67 at 1366 × 767: column 3 is split at b = 383.5. After one pixel
    // its lower part goes to round(384.5) = 384, where its source starts, so it
    // has not moved; rounding b first would put it one row lower.
    Stage stage(1366, 767, {.speed = 1});
    const Bitmap second = stage.runKeeping(67, {2}).at(2);
    for (int x : {700, 800, 900})
        for (int y : {385, 400, 700})
            ASSERT_EQ(second.pixel(x, y), stage.outgoing.pixel(x, y)) << "at (" << x << ", " << y << ")";
}

}  // namespace tav::test
