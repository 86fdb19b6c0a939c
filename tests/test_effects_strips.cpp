#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "support/effect_harness.h"

namespace tav::test {
namespace {

// The common areas and 1024 x 768, whose thirds are fractional.
constexpr Area kStripAreas[] = {{640, 480}, {800, 600}, {1024, 768}, {1366, 767}, {600, 800}};

struct Wipe {
    int number, mode, axis, strips;
};

// Effects 1-10 are mode 1 and 11-20 mode 2; within each ten the axis alternates
// and the strip count goes 1, 1, 2, 2, ... 5, 5.
std::vector<Wipe> Wipes() {
    std::vector<Wipe> wipes;
    for (int number = 1; number <= 20; ++number) {
        const int k = (number - 1) % 10;
        wipes.push_back({number, number <= 10 ? 1 : 2, k % 2 + 1, k / 2 + 1});
    }
    return wipes;
}

// Frames drawn by a wipe: the amount grows by the step (at least 1) until it
// passes the strip size, so floor(size / step) + 1 frames, and the dispatcher
// presents once more.
int WipeFrames(const Wipe& e, Area a, int speed) {
    const int length = e.axis == 1 ? a.w : a.h;
    return length / (e.strips * std::max(speed, 1)) + 1 + 1;
}

// Strip slides: every strip moves out, then in, by the speed until it has
// passed one strip size; one frame between the phases, one from the dispatcher.
struct Slide {
    int number, axis, strips;
};
constexpr Slide kSlides[] = {{63, 1, 4}, {64, 2, 6}};

int SlideFramesPerStrip(const Slide& e, Area a, int speed) {
    const int length = e.axis == 1 ? a.h : a.w;
    return length / (e.strips * std::max(speed, 1)) + 1;
}

// The outgoing test card is dark in every channel, the incoming one bright.
bool Bright(Pixel p) { return (p & 0x808080u) == 0x808080u; }
bool Dark(Pixel p) { return (p & 0x808080u) == 0; }

}  // namespace

TEST(StripSequenceWipe, EndsOnTheIncomingPictureAfterItsFrameCount) {
    // Every wipe at every area at the top speed; the slower speeds on the areas
    // where they stay quick. Speed 0 steps like speed 1.
    struct Run {
        Area area;
        int speed;
        int minStrips;
    };
    for (const Wipe& e : Wipes())
        for (const Run r : {Run{kStripAreas[0], 24, 1}, Run{kStripAreas[1], 24, 1}, Run{kStripAreas[2], 24, 1},
                            Run{kStripAreas[3], 24, 1}, Run{kStripAreas[4], 24, 1}, Run{kStripAreas[0], 2, 3},
                            Run{kStripAreas[2], 2, 5}, Run{kStripAreas[3], 1, 5}, Run{kStripAreas[4], 2, 5},
                            Run{{320, 240}, 1, 1}, Run{{320, 240}, 0, 1}}) {
            if (e.strips < r.minStrips) continue;
            const TransitionRun run = RunEffect(e.number, r.area.w, r.area.h, {.speed = r.speed});
            SCOPED_TRACE(Where(e.number, r.area, r.speed));
            EXPECT_TRUE(run.finalEqualsIncoming);
            EXPECT_EQ(run.frames, WipeFrames(e, r.area, r.speed));
            EXPECT_EQ(run.sleepMs, 0);
        }
    // At 800 x 600, speed 2, written out: 800 / 2 + 1 frames for the one-strip
    // wipes, with the dispatcher's frame.
    EXPECT_EQ(WipeFrames(Wipes()[0], {800, 600}, 2), 402);
    EXPECT_EQ(WipeFrames(Wipes()[10], {800, 600}, 2), 402);
}

TEST(StripSequenceWipe, SpeedZeroDrawsTheFramesOfSpeedOne) {
    for (int number : {1, 2, 11, 12}) {
        Stage one(90, 60, {.speed = 1, .keepFrames = true});
        Stage zero(90, 60, {.speed = 0, .keepFrames = true});
        one.run(number);
        zero.run(number);
        ASSERT_EQ(zero.host.frames, one.host.frames) << number;
        for (std::size_t k = 0; k < one.host.frameCopies.size(); ++k)
            ASSERT_TRUE(SameBitmap(zero.host.frameCopies[k], one.host.frameCopies[k]))
                << "effect " << number << " frame " << k + 1;
    }
}

TEST(StripSequenceWipe, SpeedBeyondTheStripSizeEndsAfterTheFirstFrame) {
    // 40 / 5 = 8-pixel strips at speed 24: the first frame already ends with
    // the final copy, then the dispatcher presents once more.
    Stage stage(40, 30, {.speed = 24, .keepFrames = true});
    stage.run(9);
    ASSERT_EQ(stage.host.frames, 2);
    EXPECT_TRUE(SameBitmap(stage.host.frameCopies[0], stage.incoming));
    EXPECT_TRUE(SameBitmap(stage.host.frameCopies[1], stage.incoming));
}

TEST(StripSequenceWipe, IncomingPictureEntersAtTheSqueezedEdge) {
    // Whole-pixel strips on a 60 × 40 area; in every frame but the last, a pixel
    // shows the incoming picture exactly where the strip has given way to it.
    constexpr int W = 60, H = 40, kSpeed = 3;
    for (const Wipe& e : Wipes()) {
        if (e.strips == 3) continue;
        const double size = (e.axis == 1 ? W : H) / static_cast<double>(e.strips);
        Stage stage(W, H, {.speed = kSpeed, .keepFrames = true});
        stage.run(e.number);
        const auto& frames = stage.host.frameCopies;
        ASSERT_EQ(static_cast<int>(frames.size()), WipeFrames(e, {W, H}, kSpeed)) << e.number;
        for (std::size_t k = 0; k + 2 < frames.size(); ++k) {
            const int d = static_cast<int>(k) * kSpeed;
            for (int y = 0; y < H; ++y)
                for (int x = 0; x < W; ++x) {
                    const int along = e.axis == 1 ? x : y;
                    const int local = along - static_cast<int>(along / size) * static_cast<int>(size);
                    const bool firstHalf = e.axis == 1 ? y < H / 2 : x < W / 2;
                    const bool fromNearEdge = e.mode == 2 && firstHalf;
                    const bool expectIn = fromNearEdge ? local < d : local >= size - d;
                    const Pixel p = frames[k].pixel(x, y);
                    if (expectIn ? !Bright(p) : !Dark(p)) {
                        ADD_FAILURE() << "effect " << e.number << " frame " << k + 1 << " at (" << x << ", " << y
                                      << "): 0x" << std::hex << p << ", expected the "
                                      << (expectIn ? "incoming" : "outgoing") << " picture";
                        goto next;
                    }
                }
        }
    next:;
    }
}

TEST(StripSequenceWipe, FractionalStripsRedrawEveryPixelOfEveryFrame) {
    // Strips of 341.33 or 153.4 pixels and an odd height for the halves: the
    // display is painted over after each frame, so a pixel that no copy of the
    // next frame reaches keeps the marker.
    constexpr Pixel kMarker = 0x00FF00;  // neither test card can hold it
    struct Case {
        Area area;
        int number;
    };
    for (const Case c : {Case{{1024, 768}, 5}, Case{{1024, 768}, 6}, Case{{1024, 768}, 15}, Case{{1024, 768}, 16},
                         Case{{1366, 767}, 19}, Case{{1366, 767}, 10}, Case{{1365, 767}, 20}, Case{{101, 67}, 13},
                         Case{{101, 67}, 14}}) {
        Stage stage(c.area.w, c.area.h, {.speed = 7});
        FillAll(stage.host.Display(), kMarker);
        int firstBad = 0;
        stage.host.onFrame = [&](int frame, const Bitmap& display) {
            if (firstBad == 0 &&
                std::find(display.pixels().begin(), display.pixels().end(), kMarker) != display.pixels().end())
                firstBad = frame;
            // The dispatcher's last presentation draws nothing of its own.
            if (!stage.host.EffectDone) FillAll(stage.host.Display(), kMarker);
        };
        stage.run(c.number);
        EXPECT_EQ(firstBad, 0) << "effect " << c.number << " at " << c.area.w << "x" << c.area.h
                               << " left pixels undrawn in frame " << firstBad;
    }
}

TEST(StripSlideSequence, EndsOnTheIncomingPictureAfterItsFrameCount) {
    for (const Slide& e : kSlides)
        for (Area a : kStripAreas)
            for (int speed : {0, 1, 2, 24}) {
                if (speed < 2 && a.w != 640) continue;  // slow speeds on the smallest area only
                const TransitionRun run = RunEffect(e.number, a.w, a.h, {.speed = speed});
                const int perStrip = SlideFramesPerStrip(e, a, speed);
                SCOPED_TRACE(Where(e.number, a, speed));
                EXPECT_TRUE(run.finalEqualsIncoming);
                EXPECT_EQ(run.frames, 2 * e.strips * perStrip + 2);
                EXPECT_EQ(run.sleepMs, 2LL * e.strips * perStrip * 10);
            }
    // At 800 x 600, speed 2, written out: 4 strips of 150 rows take 76 frames
    // each way, 6 strips of 133.3 columns 67.
    EXPECT_EQ(SlideFramesPerStrip(kSlides[0], {800, 600}, 2), 76);
    EXPECT_EQ(SlideFramesPerStrip(kSlides[1], {800, 600}, 2), 67);
}

TEST(StripSlideSequence, MovingStripSlipsUnderTheStripsBeforeIt) {
    // Effect 63 on 64 × 48: four strips of 12 rows at speed 2, so 7 frames per
    // strip. The last strip moves up first; rows above it are the outgoing
    // picture, the strip is shifted, and the rows it has uncovered below keep
    // the previous frame.
    constexpr int W = 64, H = 48, kSpeed = 2, kPerStrip = 7;
    Stage stage(W, H, {.speed = kSpeed, .keepFrames = true});
    stage.run(63);
    const auto& frames = stage.host.frameCopies;
    ASSERT_EQ(static_cast<int>(frames.size()), 2 * 4 * kPerStrip + 2);
    for (int k = 0; k < kPerStrip; ++k) {
        const int moved = k * kSpeed;
        const Bitmap& now = frames[k];
        const Bitmap& before = k == 0 ? stage.outgoing : frames[k - 1];
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) {
                const Pixel expected = y < 36          ? stage.outgoing.pixel(x, y)
                                       : y < H - moved ? stage.outgoing.pixel(x, y + moved)
                                                       : before.pixel(x, y);
                ASSERT_EQ(now.pixel(x, y), expected) << "frame " << k + 1 << " at (" << x << ", " << y << ")";
            }
    }
    // The pause between the phases presents the same picture again.
    const int lastOut = 4 * kPerStrip - 1;
    EXPECT_TRUE(SameBitmap(frames[lastOut + 1], frames[lastOut]));
    // When the first new strip has come down, its rows are the incoming ones.
    const Bitmap& firstIn = frames[lastOut + 1 + kPerStrip];
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < W; ++x)
            ASSERT_EQ(firstIn.pixel(x, y), stage.incoming.pixel(x, y)) << "at (" << x << ", " << y << ")";
}

TEST(StripSlideSequence, VerticalStripsLeaveToTheLeft) {
    // Effect 64 on 60 × 20: six strips of 10 columns at speed 5, 3 frames each.
    constexpr int W = 60, H = 20;
    Stage stage(W, H, {.speed = 5, .keepFrames = true});
    stage.run(64);
    const auto& frames = stage.host.frameCopies;
    ASSERT_EQ(static_cast<int>(frames.size()), 2 * 6 * 3 + 2);
    // Second frame: the last strip has moved 5 columns left under the others.
    const Bitmap& f = frames[1];
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < 50; ++x) ASSERT_EQ(f.pixel(x, y), stage.outgoing.pixel(x, y)) << x << "," << y;
        for (int x = 50; x < 55; ++x) ASSERT_EQ(f.pixel(x, y), stage.outgoing.pixel(x + 5, y)) << x << "," << y;
    }
}

}  // namespace tav::test
