#include <gtest/gtest.h>

#include <algorithm>

#include "support/effect_harness.h"

namespace tav::test {
namespace {

// The percentage step: a quarter of the speed, at least 1.
int Step(int speed) { return std::max(1, speed / 4); }

// Frames the routine draws: shrinking runs p = 0, D, ... up to 100 (101 frames
// for speeds 1 to 3); growing counts 100 / D down by 1 while it stays above 0
// (17 frames at speed 24).
int RoutineFrames(int number, int speed) {
    const int d = Step(speed);
    const bool shrink = number == 21 || number == 23;
    return shrink ? 100 / d + 1 : (100 + d - 1) / d;
}

// The outgoing test card is dark in every channel, the incoming one bright.
bool Bright(Pixel p) { return (p & 0x808080u) == 0x808080u; }
bool Dark(Pixel p) { return (p & 0x808080u) == 0; }

struct Box {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;  // inclusive
    bool operator==(const Box&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Box& b) {
    return os << "(" << b.left << ", " << b.top << ")-(" << b.right << ", " << b.bottom << ")";
}

template <typename Pred>
Box BoundingBox(const Bitmap& b, Pred pred) {
    Box box;
    for (int y = 0; y < b.height(); ++y)
        for (int x = 0; x < b.width(); ++x)
            if (pred(b.pixel(x, y))) {
                box.left = std::min(box.left, x);
                box.top = std::min(box.top, y);
                box.right = std::max(box.right, x);
                box.bottom = std::max(box.bottom, y);
            }
    return box;
}

}  // namespace

TEST(QuadrantZoom, EndsOnTheIncomingPictureAfterItsFrameCount) {
    for (int number : {21, 22, 23, 24})
        for (Area a : kAreas)
            for (int speed : {0, 1, 2, 3, 8, 12, 16, 20, 24}) {
                if (speed != 2 && speed != 24 && a.w != 640) continue;  // every step on one area
                const TransitionRun run = RunEffect(number, a.w, a.h, {.speed = speed});
                const int frames = RoutineFrames(number, speed);
                SCOPED_TRACE(Where(number, a, speed));
                EXPECT_TRUE(run.finalEqualsIncoming);
                EXPECT_EQ(run.frames, frames + 1);
                EXPECT_EQ(run.sleepMs, frames * 10LL);
            }
}

TEST(QuadrantZoom, WholeOutgoingPictureShrinksTowardsItsCorner) {
    // Effect 21 on 800 × 600 at speed 2: frame k draws the outgoing picture
    // at (k, k), (100 − k) % of its size, over the incoming one.
    Stage stage(800, 600, {.speed = 2, .keepFrames = true});
    stage.run(21);
    const auto& frames = stage.host.frameCopies;
    ASSERT_EQ(frames.size(), 102u);
    EXPECT_TRUE(SameBitmap(frames[0], stage.outgoing));
    EXPECT_EQ(BoundingBox(frames[50], Dark), (Box{50, 50, 449, 349}));
    EXPECT_EQ(BoundingBox(frames[99], Dark), (Box{99, 99, 106, 104}));
    // At 100 % nothing of the outgoing picture is left.
    EXPECT_TRUE(SameBitmap(frames[100], stage.incoming));
}

TEST(QuadrantZoom, EachOutgoingQuarterShrinksTowardsItsCentre) {
    // Effect 23 on 800 × 600 at speed 2, p = 50: four 200 × 150 pictures
    // centred on the quarters, the incoming picture everywhere else.
    Stage stage(800, 600, {.speed = 2, .keepFrames = true});
    stage.run(23);
    const Bitmap& f = stage.host.frameCopies.at(50);
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x) {
            const bool inQuarter =
                ((x >= 100 && x < 300) || (x >= 500 && x < 700)) && ((y >= 75 && y < 225) || (y >= 375 && y < 525));
            const Pixel p = f.pixel(x, y);
            ASSERT_TRUE(inQuarter ? Dark(p) : Bright(p)) << "at (" << x << ", " << y << ")";
        }
    // The top-left pixel of each shrunk quarter is the top-left pixel of its
    // source quarter.
    EXPECT_EQ(f.pixel(100, 75), stage.outgoing.pixel(0, 0));
    EXPECT_EQ(f.pixel(500, 75), stage.outgoing.pixel(400, 0));
    EXPECT_EQ(f.pixel(100, 375), stage.outgoing.pixel(0, 300));
    EXPECT_EQ(f.pixel(500, 375), stage.outgoing.pixel(400, 300));
}

TEST(QuadrantZoom, IncomingPictureGrowsFromNothing) {
    // Effect 22 on 800 × 600 at speed 24: p = 100, 94, ..., 4; the picture's
    // corner sits at (p, p), its width is (100 − p) % of the area's.
    Stage stage(800, 600, {.speed = 24, .keepFrames = true});
    stage.run(22);
    const auto& frames = stage.host.frameCopies;
    ASSERT_EQ(frames.size(), 18u);
    EXPECT_TRUE(SameBitmap(frames[0], stage.outgoing));
    for (int k = 1; k < 16; ++k) {
        const int p = 100 - 6 * k;
        const Box box = BoundingBox(frames[k], Bright);
        SCOPED_TRACE(testing::Message() << "frame " << k + 1 << " box " << box);
        EXPECT_EQ(box.left, p);
        EXPECT_EQ(box.top, p);
        EXPECT_NEAR(box.right + 1 - p, 8 * (100 - p), 1);
        EXPECT_NEAR(box.bottom + 1 - p, 6 * (100 - p), 1);
    }
    EXPECT_TRUE(SameBitmap(frames[16], stage.incoming));
}

}  // namespace tav::test
