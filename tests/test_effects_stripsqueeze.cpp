// Cross strip squeeze (effects 86 to 95).

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>

#include "effects/StripSqueeze.h"
#include "support/effect_harness.h"

namespace tav::test {
namespace {

constexpr Colorref kRed{0x0000FF};  // neither card has a channel at 0 beside one at 0xFF
constexpr Pixel kRedPixel = ColorrefToPixel(kRed);

// The strips of effects 86 ... 95 (two modes each).
constexpr int kStrips[] = {1, 1, 2, 2, 3, 3, 4, 4, 12, 12};

// The effect runs frames F = 0, 1, ... up to the first F with F x speed past
// both strip sizes, then the dispatcher presents once more.
int ExpectedFrames(int width, int height, int strips, int speed) {
    const double largest = std::max(static_cast<double>(width) / strips, static_cast<double>(height) / strips);
    const int lastF = static_cast<int>(std::floor(largest / speed)) + 1;
    return lastF + 1 + 1;
}

TEST(StripSqueeze, EveryEffectEndsOnTheIncomingPictureWithItsFrameCount) {
    for (const Area& s : kAreas)
        for (int speed : {2, 24, 1, 0})
            for (int i = 0; i < 10; ++i) {
                // Few strips at a slow speed take hundreds of full-area frames:
                // those run at one size only, to keep the run short.
                if (speed == 2 && s.w != 800 && kStrips[i] < 3) continue;
                if ((speed == 1 || speed == 0) && (s.w != 640 || kStrips[i] < 4)) continue;
                const int effect = 86 + i;
                SCOPED_TRACE(Where(effect, s, speed));
                const TransitionRun r = RunEffect(effect, s.w, s.h, {.speed = speed, .backColor = kRed});
                EXPECT_TRUE(r.finalEqualsIncoming);
                EXPECT_EQ(r.frames, ExpectedFrames(s.w, s.h, kStrips[i], speed < 1 ? 1 : speed));
                EXPECT_EQ(r.sleepMs, 0);
            }
}

// 800 x 600, two strips, speed 2. Frame 1 (d = 0) shows the outgoing strips
// whole and no incoming strip. Frame 51: d = 100, so the outgoing strips are
// 300 wide at x = 50 and 450 and the incoming strips 100 high at y = 100 and
// 400. A strip's centre line shows the picture's own pixels there.
TEST(StripSqueeze, FirstAndMiddleFramesLayerStripsByMode) {
    for (int effect : {88, 89}) {
        SCOPED_TRACE("effect " + std::to_string(effect));
        Stage stage(800, 600, {.speed = 2, .backColor = kRed});
        const auto f = stage.runKeeping(effect, {1, 51});
        EXPECT_TRUE(SameBitmap(f.at(1), stage.outgoing));
        const Bitmap& frame = f.at(51);
        auto at = [&](int x, int y) { return PixelSource(frame, x, y, stage.outgoing, stage.incoming, kRedPixel); };
        for (int x : {10, 360, 760}) {
            EXPECT_EQ(at(x, 10), 'B') << "x " << x;
            EXPECT_EQ(at(x, 590), 'B') << "x " << x;
        }
        EXPECT_EQ(at(200, 10), 'O');
        EXPECT_EQ(at(10, 150), 'I');
        // Where the strips cross, the top layer shows.
        const char crossing = effect == 88 ? 'I' : 'O';
        EXPECT_EQ(at(200, 150), crossing);
        EXPECT_EQ(at(600, 450), crossing);
    }
}

TEST(StripSqueeze, IncomingLayerCompletesBeforeTheOutgoingStripsVanish) {
    // One strip on 800 x 600 at speed 2: frame 302 has d = 602, past the strip
    // height but not its width; the outgoing strip is then 198 wide at x = 301.
    Stage on(800, 600, {.speed = 2, .backColor = kRed});
    EXPECT_TRUE(SameBitmap(on.runKeeping(86, {302}).at(302), on.incoming));

    Stage under(800, 600, {.speed = 2, .backColor = kRed});
    const Bitmap frame = under.runKeeping(87, {302}).at(302);
    for (int y : {0, 300, 599}) {
        EXPECT_EQ(PixelSource(frame, 300, y, under.outgoing, under.incoming), 'I');
        EXPECT_EQ(PixelSource(frame, 499, y, under.outgoing, under.incoming), 'I');
        EXPECT_EQ(frame.pixel(301, y), under.outgoing.pixel(0, y)) << "y " << y;
        EXPECT_EQ(frame.pixel(498, y), under.outgoing.pixel(795, y)) << "y " << y;
    }
}

TEST(StripSqueeze, OutgoingOnTopReappearsWholeOnAPortraitArea) {
    // 600 x 800, one strip, speed 2: from d = 602 the whole outgoing picture is
    // drawn on top until d passes 800 in frame 402, the last.
    Stage stage(600, 800, {.speed = 2, .backColor = kRed});
    const auto f = stage.runKeeping(87, {302, 401, 402});
    EXPECT_TRUE(SameBitmap(f.at(302), stage.outgoing));
    EXPECT_TRUE(SameBitmap(f.at(401), stage.outgoing));
    EXPECT_TRUE(SameBitmap(f.at(402), stage.incoming));
}

TEST(StripSqueeze, NoStripsShowsTheIncomingPictureAtOnce) {
    for (std::int16_t strips : {0, -2}) {
        Stage stage(64, 48, {.speed = 2, .backColor = kRed});
        StripSqueeze(stage.host, {.mode = 1, .strips = strips});
        EXPECT_EQ(stage.host.frames, 0);
        EXPECT_TRUE(stage.host.EffectDone);
        EXPECT_TRUE(SameBitmap(stage.host.Display().bitmap(), stage.incoming));
    }
}

}  // namespace
}  // namespace tav::test
