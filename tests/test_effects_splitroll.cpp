#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>

#include "effects/SplitRoll.h"
#include "support/effect_harness.h"

namespace tav::test {
namespace {

// Direction of each effect's roll and the distance at which it turns: half the
// width for direction 3, half the height for the others.
int Direction(int effect) { return effect == 140 ? 2 : effect == 141 ? 3 : effect == 142 ? 0 : 1; }
int Half(int effect, Area a) { return Direction(effect) > 2 ? a.w / 2 : a.h / 2; }

// Frames the routine presents: the first phase shows the distances 0, s, ...
// while the next one stays within the turning point; the second counts down
// from the first distance past it to 0.
int RollFrames(int half, int s) { return 2 * (half / s) + 2; }

void ExpectEndsAtPace(int effect, Area a, int speed) {
    SCOPED_TRACE(std::to_string(effect) + " at " + std::to_string(a.w) + "x" + std::to_string(a.h) + " speed " +
                 std::to_string(speed));
    const int frames = RollFrames(Half(effect, a), std::max(speed, 1));
    TransitionRun run = RunEffect(effect, a.w, a.h, {.speed = speed});
    EXPECT_TRUE(run.finalEqualsIncoming);
    EXPECT_EQ(run.frames, frames + 1);
    EXPECT_EQ(run.sleepMs, 10LL * frames);
}

TEST(SplitRoll, EveryDirectionEndsOnTheIncomingPictureAtTheStatedPace) {
    EXPECT_EQ(RollFrames(300, 2), 302);
    for (int effect : {140, 141, 142, 143}) {
        for (Area a : kAreas) {
            for (int speed : {1, 2, 24}) {
                // Speed 1 on the largest area takes over a thousand full-area frames.
                if (speed == 1 && a.w == 1366) continue;
                ExpectEndsAtPace(effect, a, speed);
            }
        }
        // A speed of 0 runs as 1.
        ExpectEndsAtPace(effect, {64, 48}, 0);
        ExpectEndsAtPace(effect, {1366, 767}, 5);
    }
}

TEST(SplitRoll, FramesShowTheRollAndTheClosingHalves) {
    // Each probe: the display pixel (x, y) of a frame equals the pixel (sx, sy)
    // of the outgoing ('O') or incoming ('I') picture, or is black ('K').
    struct Probe {
        int frame, x, y;
        char picture;
        int sx, sy;
    };
    struct Case {
        int effect, speed;
        std::vector<Probe> probes;
    };
    // 800 × 600. At speed 2, directions 0, 1 and 2 present y = 0 ... 298
    // (frames 1 to 150) and close from d = 302 (frame 151) to d = 0 (frame 302).
    const Case cases[] = {
        {142,
         2,
         {{1, 5, 5, 'O', 5, 5},
          {1, 5, 599, 'O', 5, 599},
          {76, 5, 0, 'O', 5, 150},
          {76, 5, 449, 'O', 5, 599},
          {76, 5, 450, 'I', 5, 300},
          {76, 5, 599, 'I', 5, 449},
          {151, 5, 0, 'I', 5, 302},
          {151, 5, 297, 'I', 5, 599},
          // Source rows past the bottom edge yield nothing over the black fill.
          {151, 5, 298, 'K', 0, 0},
          {151, 5, 301, 'K', 0, 0},
          {151, 5, 302, 'I', 5, 0},
          {151, 5, 599, 'I', 5, 297},
          {302, 7, 9, 'I', 7, 9}}},
        {143,
         2,
         {{1, 5, 5, 'O', 5, 5},
          {76, 5, 0, 'I', 5, 150},
          {76, 5, 149, 'I', 5, 299},
          {76, 5, 150, 'O', 5, 0},
          {76, 5, 599, 'O', 5, 449},
          {151, 5, 302, 'I', 5, 0},
          {151, 5, 0, 'I', 5, 302},
          {151, 5, 297, 'I', 5, 599},
          {151, 5, 298, 'K', 0, 0},
          {151, 5, 301, 'K', 0, 0},
          {302, 3, 599, 'I', 3, 599}}},
        // Direction 2 turns at half the height: 300 pixels, not 400.
        {140,
         2,
         {{1, 5, 5, 'O', 5, 5},
          {150, 0, 5, 'O', 298, 5},
          {150, 501, 5, 'O', 799, 5},
          {150, 502, 5, 'I', 204, 5},
          {150, 799, 5, 'I', 501, 5},
          {151, 0, 5, 'I', 302, 5},
          {151, 301, 5, 'I', 603, 5},
          {151, 302, 5, 'I', 0, 5},
          {151, 799, 5, 'I', 497, 5}}},
        // Direction 3 at speed 24 presents y = 0 ... 360 (16 frames) and closes
        // from d = 408, which leaves a black gap between the two halves.
        {141,
         24,
         {{16, 0, 5, 'I', 360, 5},
          {16, 360, 5, 'O', 0, 5},
          {17, 0, 5, 'I', 408, 5},
          {17, 391, 5, 'I', 799, 5},
          {17, 392, 5, 'K', 0, 0},
          {17, 407, 5, 'K', 0, 0},
          {17, 408, 5, 'I', 0, 5},
          {17, 799, 5, 'I', 391, 5}}},
    };
    for (const Case& c : cases) {
        Stage stage(800, 600, {.speed = c.speed});
        std::set<int> wanted;
        for (const Probe& p : c.probes) wanted.insert(p.frame);
        const auto frames = stage.runKeeping(c.effect, wanted);
        for (const Probe& p : c.probes) {
            const Pixel want =
                p.picture == 'K' ? 0 : (p.picture == 'O' ? stage.outgoing : stage.incoming).pixel(p.sx, p.sy);
            const Pixel got = frames.at(p.frame).pixel(p.x, p.y);
            EXPECT_EQ(got, want) << "effect " << c.effect << " frame " << p.frame << " at (" << p.x << ", " << p.y
                                 << "): expected " << p.picture << "(" << p.sx << ", " << p.sy << ")";
        }
    }
}

TEST(SplitRoll, UnknownDirectionsStillEndOnTheIncomingPicture) {
    for (std::int16_t direction : {-1, 4, 9}) {
        Stage stage(40, 30, {.speed = 3});
        SplitRoll(stage.host, {.direction = direction});
        EXPECT_TRUE(SameBitmap(stage.host.Display().bitmap(), stage.incoming)) << direction;
        EXPECT_TRUE(stage.host.EffectDone);
    }
}

}  // namespace
}  // namespace tav::test
