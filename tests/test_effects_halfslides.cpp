#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "effects/HalfSlides.h"
#include "support/effect_harness.h"

namespace tav::test {
namespace {

// Door variants end in the frame whose step, after the count, passes their
// limit: the half width, or the half height for variants 3, 5 and 6.
TEST(CentreDoorSlide, EndsWhenTheStepPassesItsLimit) {
    for (int variant = 1; variant <= 7; ++variant)
        for (const auto& [a, speed] : kRuns) {
            const int effect = 55 + variant;
            const double limit = (variant == 3 || variant == 5 || variant == 6) ? a.h / 2.0 : a.w / 2.0;
            const int step = std::max(speed, 1);
            const int loopFrames = static_cast<int>(limit / step) + 1;
            const TransitionRun r = RunEffect(effect, a.w, a.h, {.speed = speed});
            EXPECT_TRUE(r.finalEqualsIncoming) << Where(effect, a, speed);
            EXPECT_EQ(r.frames, loopFrames + 1) << Where(effect, a, speed);
            EXPECT_EQ(r.sleepMs, 10LL * loopFrames) << Where(effect, a, speed);
        }
}

// A variant outside the table has no limit to reach and must not hold the show.
TEST(CentreDoorSlide, UnknownVariantEndsAtOnce) {
    for (std::int16_t variant : {0, 8}) {
        Stage st(64, 48);
        CentreDoorSlide(st.host, {.variant = variant});
        EXPECT_EQ(st.host.frames, 0) << variant;
        EXPECT_TRUE(SameBitmap(st.host.Display().bitmap(), st.incoming)) << variant;
    }
}

TEST(CentreDoorSlide, HalvesAndQuartersSitWhereTheyHaveMoved) {
    constexpr int kW = 800, kH = 600;
    {
        // Variant 1, speed 2: frame 101 is drawn with s = 200, frame 200 with s = 398.
        auto g = Grab(56, kW, kH, 2, {101, 200, 201});
        EXPECT_TRUE(Shows(g.at(101), 0, 0, 200, kH, g.in(), 200, 0));
        EXPECT_TRUE(Shows(g.at(101), 200, 0, 600, kH, g.out(), 0, 0));
        EXPECT_TRUE(Shows(g.at(101), 600, 0, kW, kH, g.in(), -200, 0));
        EXPECT_TRUE(Shows(g.at(200), 0, 0, 398, kH, g.in(), 2, 0));
        EXPECT_TRUE(Shows(g.at(200), 398, 0, 402, kH, g.out(), 0, 0));
        EXPECT_TRUE(Shows(g.at(200), 402, 0, kW, kH, g.in(), -2, 0));
        // The frame drawn with s = 400 meets at the centre and ends the effect.
        EXPECT_TRUE(SameBitmap(g.at(201), g.in()));
    }
    {
        // Variant 4 on a landscape area: past s = 300 only the incoming picture is left.
        auto g = Grab(59, kW, kH, 2, {51, 176});
        EXPECT_TRUE(Shows(g.at(51), 0, 0, kW, 200, g.out(), 0, 100));
        EXPECT_TRUE(Shows(g.at(51), 0, 200, kW, 400, g.in(), 0, 0));
        EXPECT_TRUE(Shows(g.at(51), 0, 400, kW, kH, g.out(), 0, -100));
        EXPECT_TRUE(SameBitmap(g.at(176), g.in()));  // s = 350
    }
    {
        // Variant 5, speed 4, frame 26: s = 100, each quarter 100 pixels towards its corner.
        auto g = Grab(60, kW, kH, 4, {26});
        const Bitmap& f = g.at(26);
        EXPECT_TRUE(Shows(f, 0, 0, 300, 200, g.out(), 100, 100));
        EXPECT_TRUE(Shows(f, 500, 0, kW, 200, g.out(), -100, 100));
        EXPECT_TRUE(Shows(f, 0, 400, 300, kH, g.out(), 100, -100));
        EXPECT_TRUE(Shows(f, 500, 400, kW, kH, g.out(), -100, -100));
        EXPECT_TRUE(Shows(f, 300, 0, 500, kH, g.in(), 0, 0));
        EXPECT_TRUE(Shows(f, 0, 200, kW, 400, g.in(), 0, 0));
    }
    {
        // Variant 6 on an odd height, s = 20: the half height 383.5 is rounded
        // at each call, so the top band comes from row round(363.5) = 364 and
        // the bottom band from row round(383.5) = 384.
        auto g = Grab(61, 1366, 767, 2, {11});
        const Bitmap& f = g.at(11);
        EXPECT_TRUE(Shows(f, 20, 20, 1346, 747, g.out(), 0, 0));
        EXPECT_TRUE(Shows(f, 0, 0, 1366, 20, g.in(), 0, 364));
        EXPECT_TRUE(Shows(f, 0, 747, 1366, 767, g.in(), 0, 384 - 747));
        EXPECT_TRUE(Shows(f, 0, 20, 20, 747, g.in(), 663, 0));
        EXPECT_TRUE(Shows(f, 1346, 20, 1366, 747, g.in(), 683 - 1346, 0));
    }
}

// Hand-worked from the order of the tests: the first test against the
// shorter side that holds ends the effect.
TEST(FourWaySlideIn, EndsOnTheFirstTestThatHolds) {
    struct Case {
        Area a;
        int speed, frames;
    };
    const Case cases[] = {
        {{640, 480}, 1, 483}, {{640, 480}, 2, 243}, {{640, 480}, 24, 23},  {{640, 480}, 0, 483},  {{800, 600}, 1, 603},
        {{800, 600}, 2, 303}, {{800, 600}, 24, 27}, {{1366, 767}, 1, 769}, {{1366, 767}, 2, 385}, {{1366, 767}, 24, 33},
        {{600, 800}, 1, 602}, {{600, 800}, 2, 302}, {{600, 800}, 24, 28},
    };
    for (const Case& c : cases) {
        const TransitionRun r = RunEffect(85, c.a.w, c.a.h, {.speed = c.speed});
        EXPECT_TRUE(r.finalEqualsIncoming) << Where(85, c.a, c.speed);
        EXPECT_EQ(r.frames, c.frames) << Where(85, c.a, c.speed);
        EXPECT_EQ(r.sleepMs, 10LL * (c.frames - 1)) << Where(85, c.a, c.speed);
    }
}

TEST(FourWaySlideIn, EachFrameAddsOneSideOverTheLast) {
    constexpr int kW = 640, kH = 480;
    auto g = Grab(85, kW, kH, 24, {1, 2, 3, 4, 6});
    EXPECT_TRUE(SameBitmap(g.at(1), g.out()));                      // s = 0 draws nothing
    EXPECT_TRUE(Shows(g.at(2), 0, 0, 24, kH, g.in(), kW - 24, 0));  // from the left
    EXPECT_TRUE(Shows(g.at(2), 24, 0, kW, kH, g.out(), 0, 0));
    EXPECT_TRUE(Shows(g.at(3), 0, kH - 48, kW, kH, g.in(), 0, 48 - kH));  // top rows at the bottom
    EXPECT_TRUE(Shows(g.at(3), 0, 0, 24, kH - 48, g.in(), kW - 24, 0));   // the left band stays
    EXPECT_TRUE(Shows(g.at(3), 24, 0, kW, kH - 48, g.out(), 0, 0));
    EXPECT_TRUE(Shows(g.at(4), 0, 0, kW, 72, g.in(), 0, kH - 72));    // from the top
    EXPECT_TRUE(Shows(g.at(6), 0, 0, 120, kH, g.in(), kW - 120, 0));  // from the left again
}

TEST(CrossBandWipe, PresentsAllButTheLastFrameOfEachPhase) {
    for (const auto& [a, speed] : kRuns) {
        const int step = std::max(speed, 1);
        const int perPhase = (a.w + step - 1) / step - 1;
        Stage st(a.w, a.h, {.speed = speed});
        st.run(81);
        EXPECT_TRUE(SameBitmap(st.host.Display().bitmap(), st.incoming)) << Where(81, a, speed);
        EXPECT_EQ(st.host.frames, 2 * perPhase + 1) << Where(81, a, speed);
        EXPECT_EQ(st.host.sleepMs, 20LL * perPhase) << Where(81, a, speed);
        // The band phase lets no messages run.
        EXPECT_EQ(st.host.doEventsCalls, perPhase) << Where(81, a, speed);
    }
}

TEST(CrossBandWipe, BandsCrossThenTheWipeGrows) {
    constexpr int kW = 800, kH = 600;
    // Speed 4: band frame f has s = 4 (f - 1); 199 band frames are presented.
    auto g = Grab(81, kW, kH, 4, {51, 180, 199 + 51});
    const Bitmap& f = g.at(51);  // s = 200
    EXPECT_TRUE(Shows(f, 0, 0, 400, 200, g.out(), 0, 0));
    EXPECT_TRUE(Shows(f, 400, 0, 600, 200, g.in(), -400, 0));  // vertical band
    EXPECT_TRUE(Shows(f, 600, 0, kW, 200, g.out(), 0, 0));
    EXPECT_TRUE(Shows(f, 0, 200, kW, 400, g.in(), 0, -200));  // horizontal band, drawn last
    EXPECT_TRUE(Shows(f, 400, 400, 600, kH, g.in(), -400, 0));
    EXPECT_TRUE(Shows(f, 600, 400, kW, kH, g.out(), 0, 0));
    // s = 716: the horizontal band lies wholly above the area.
    EXPECT_TRUE(Shows(g.at(180), 0, 0, 84, kH, g.in(), 632, 0));
    EXPECT_TRUE(Shows(g.at(180), 84, 0, kW, kH, g.out(), 0, 0));
    // Wipe frame 51, s = 200: the left 400 columns; beyond them the unshown
    // last band frame, whose vertical band covers only the first 4 columns.
    EXPECT_TRUE(Shows(g.at(250), 0, 0, 400, kH, g.in(), 0, 0));
    EXPECT_TRUE(Shows(g.at(250), 400, 0, kW, kH, g.out(), 0, 0));
}

}  // namespace
}  // namespace tav::test
