#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "effects/Dispatch.h"
#include "effects/TileScatter.h"
#include "support/effect_harness.h"

namespace tav::test {
namespace {

struct Scatter {
    int effect;
    int pattern;
};
constexpr Scatter kScatters[] = {{124, 3}, {125, 1}, {126, 2}, {127, 4}, {128, 3}, {129, 1}, {130, 2}, {131, 4}};

// Frames of the way out: the slowest tile of a pure horizontal (vertical) move
// starts at the left (top) edge and has left once it is more than the width
// (height) away. With 32 or 64 tiles in that column the slowest direction is
// as good as certain to be drawn by at least one of them.
int WayOutFrames(int pattern, int w, int h, int speed) {
    const int step = std::max(speed, 1);
    if (pattern == 1) return w / step + 1;
    if (pattern == 2) return h / step + 1;
    return -1;
}

void CheckRun(const Scatter& s, const Area& a, int speed) {
    const std::string where = "effect " + std::to_string(s.effect) + " at " + std::to_string(a.w) + "x" +
                              std::to_string(a.h) + " speed " + std::to_string(speed);
    const TransitionRun r = RunEffect(s.effect, a.w, a.h, {.speed = speed});
    EXPECT_TRUE(r.finalEqualsIncoming) << where;
    // Way out K frames, way in K frames, and the dispatcher's last one.
    ASSERT_EQ(r.frames % 2, 1) << where;
    const int k = (r.frames - 1) / 2;
    EXPECT_EQ(r.sleepMs, 20LL * k) << where;
    const int step = std::max(speed, 1);
    EXPECT_GE(k, 1) << where;
    EXPECT_LE(k, std::max(a.w, a.h) / step + 1) << where;
    const int expected = WayOutFrames(s.pattern, a.w, a.h, speed);
    if (expected > 0) {
        EXPECT_EQ(k, expected) << where;
    }
}

// Every area at the fastest speed; the slow speeds (a thousand frames and
// more per run) on the smallest area.
TEST(TileScatter, EndsOnTheIncomingPictureAndComesBackAsFastAsItLeft) {
    for (const Scatter& s : kScatters) {
        for (const Area& a : kAreas) CheckRun(s, a, 24);
        CheckRun(s, kAreas[0], 2);
    }
    CheckRun(kScatters[3], kAreas[0], 1);
    CheckRun(kScatters[1], kAreas[0], 0);  // moves one pixel per frame, like speed 1
}

// The incoming card is the outgoing card with 0x808080 added, so the way in,
// drawn from the incoming picture along the reverse path, must show frame
// K + j exactly as frame K - j with that bit pattern set.
TEST(TileScatter, WayInRetracesTheWayOut) {
    const Colorref back{0x0000FF};  // pure red: in neither card
    const Pixel backPixel = ColorrefToPixel(back);
    for (const Scatter& s : kScatters) {
        const TransitionRun r = RunEffect(s.effect, 256, 192, {.speed = 5, .backColor = back, .keepFrames = true});
        const int k = (r.frames - 1) / 2;
        ASSERT_EQ(static_cast<int>(r.frameCopies.size()), r.frames);
        for (int j = 1; j < k; ++j) {
            const Bitmap& out = r.frameCopies[k - j - 1];
            const Bitmap& in = r.frameCopies[k + j - 1];
            long long bad = 0;
            for (int y = 0; y < 192; ++y)
                for (int x = 0; x < 256; ++x) {
                    const Pixel o = out.pixel(x, y);
                    const Pixel want = o == backPixel ? backPixel : (o | 0x808080);
                    if (in.pixel(x, y) != want && bad++ == 0)
                        ADD_FAILURE() << "effect " << s.effect << " way-in frame " << j << " at (" << x << ", " << y
                                      << "): 0x" << std::hex << in.pixel(x, y) << ", expected 0x" << want;
                }
            if (bad) break;
        }
    }
}

// Pictures whose pixels name their own position, so a displayed pixel tells
// how far it has travelled. White never occurs as a position.
Bitmap PositionCard(int w, int h, Pixel mark) {
    Bitmap b(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) b.setPixel(x, y, mark | (static_cast<Pixel>(y) << 11) | static_cast<Pixel>(x));
    return b;
}

// Tiles are drawn one pixel larger than their cells, so a pixel may sit one
// place after its source on each axis; anything beyond that is movement.
TEST(TileScatter, HorizontalAndVerticalPatternsKeepToTheirAxis) {
    constexpr int kW = 640, kH = 512, kSpeed = 3;  // every tile edge an integer
    for (const Scatter& s : kScatters) {
        if (s.pattern > 2) continue;
        SlideSurfaces surfaces;
        RecordingHost host(surfaces);
        const Bitmap out = PositionCard(kW, kH, 0), in = PositionCard(kW, kH, 0x400000);
        PrepareTransition(host, kW, kH, Colorref{0xFFFFFF}, kSpeed, out, in);
        SeedRandom(7);
        int failures = 0;
        host.onFrame = [&](int frame, const Bitmap& d) {
            for (int y = 0; y < kH && failures < 3; ++y)
                for (int x = 0; x < kW && failures < 3; ++x) {
                    const Pixel p = d.pixel(x, y);
                    if (p == 0xFFFFFF) continue;
                    const int dx = x - static_cast<int>(p & 0x7FF), dy = y - static_cast<int>((p >> 11) & 0x7FF);
                    const int along = s.pattern == 1 ? dx : dy, across = s.pattern == 1 ? dy : dx;
                    bool ok = across == 0 || across == 1;
                    // The first frame shows every tile already moved by one step.
                    if (frame == 1)
                        ok = ok && (std::abs(along) == kSpeed || along == kSpeed + 1 || along == 1 - kSpeed);
                    if (!ok && failures++ < 3)
                        ADD_FAILURE() << "effect " << s.effect << " frame " << frame << " at (" << x << ", " << y
                                      << ") shows the source pixel (" << (p & 0x7FF) << ", " << ((p >> 11) & 0x7FF)
                                      << ")";
                }
        };
        host.EffectNumber = static_cast<std::int16_t>(s.effect);
        RunTransition(host);
        EXPECT_EQ(failures, 0) << "effect " << s.effect;
    }
}

// Arguments outside the table would leave tiles that never move, or none at
// all, and must not hold the show.
TEST(TileScatter, ArgumentsOutsideTheTableEndAtOnce) {
    using Args = TileScatterArgs;
    for (const Args& a : {Args{0, 4, 4}, Args{5, 4, 4}, Args{1, 0, 4}, Args{3, 4, -1}}) {
        Stage st(64, 48);
        TileScatter(st.host, a);
        EXPECT_EQ(st.host.frames, 0) << int{a.pattern} << " " << int{a.columns} << " " << int{a.rows};
        EXPECT_TRUE(SameBitmap(st.host.Display().bitmap(), st.incoming));
    }
}

}  // namespace
}  // namespace tav::test
