#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "effects/SlidePush.h"
#include "support/effect_harness.h"

namespace tav::test {
namespace {

constexpr int kSlideEffects[] = {69, 70, 71, 72, 73, 74, 75, 76, 77, 78, 79, 80, 96, 97, 98, 99};

// Frames drawn: positions k · s from 0 while they stay within the width
// (the height for slides from the bottom and the top).
int SlideFrames(int effect, Area a, int speed) {
    const bool vertical = effect == 71 || effect == 72 || effect == 75 || effect == 76;
    return (vertical ? a.h : a.w) / std::max(speed, 1) + 1;
}

void ExpectEndsAtPace(int effect, Area a, int speed) {
    SCOPED_TRACE(std::to_string(effect) + " at " + std::to_string(a.w) + "x" + std::to_string(a.h) + " speed " +
                 std::to_string(speed));
    const int frames = SlideFrames(effect, a, speed);
    TransitionRun run = RunEffect(effect, a.w, a.h, {.speed = speed});
    EXPECT_TRUE(run.finalEqualsIncoming);
    EXPECT_EQ(run.frames, frames + 1);
    EXPECT_EQ(run.sleepMs, 10LL * frames);
}

TEST(SlidePush, EveryEffectEndsOnTheIncomingPictureAtTheStatedPace) {
    EXPECT_EQ(SlideFrames(69, {800, 600}, 2), 401);
    // Every frame moves a whole picture, so the slow speeds run on the small
    // areas; a speed of 0 runs as 1. The frame probes below run every effect
    // at 800 x 600 and speed 2 as well.
    for (int effect : kSlideEffects) {
        for (Area a : kAreas) ExpectEndsAtPace(effect, a, 24);
        for (int speed : {0, 1, 2}) ExpectEndsAtPace(effect, {64, 48}, speed);
        ExpectEndsAtPace(effect, {1366, 767}, 2 * 24 - 1);
    }
    for (int effect : {69, 75})
        for (Area a : {Area{640, 480}, Area{1366, 767}, Area{600, 800}}) ExpectEndsAtPace(effect, a, 1);
    for (int effect : {77, 99}) ExpectEndsAtPace(effect, {600, 800}, 2);
}

// A display pixel equals one picture pixel, or two picture pixels ORed.
struct Term {
    char picture;  // 'O' outgoing, 'I' incoming, 0 none
    int sx, sy;
};
struct Probe {
    int frame, x, y;
    Term a, b = {};
};

void CheckProbes(int effect, const std::vector<Probe>& probes) {
    Stage stage(800, 600, {.speed = 2});
    std::set<int> wanted;
    for (const Probe& p : probes) wanted.insert(p.frame);
    const auto frames = stage.runKeeping(effect, wanted);
    const int drawn = SlideFrames(effect, {800, 600}, 2);
    EXPECT_EQ(stage.host.frames, drawn + 1) << "effect " << effect;
    EXPECT_EQ(stage.host.sleepMs, 10LL * drawn) << "effect " << effect;
    EXPECT_TRUE(SameBitmap(stage.host.Display().bitmap(), stage.incoming)) << "effect " << effect;
    const auto value = [&](const Term& t) -> Pixel {
        if (!t.picture) return 0;
        return (t.picture == 'O' ? stage.outgoing : stage.incoming).pixel(t.sx, t.sy);
    };
    for (const Probe& p : probes) {
        const Pixel want = value(p.a) | value(p.b);
        EXPECT_EQ(frames.at(p.frame).pixel(p.x, p.y), want)
            << "effect " << effect << " frame " << p.frame << " at (" << p.x << ", " << p.y << "): expected "
            << p.a.picture << "(" << p.a.sx << ", " << p.a.sy << ")"
            << (p.b.picture ? std::string(" | ") + p.b.picture + "(" + std::to_string(p.b.sx) + ", " +
                                  std::to_string(p.b.sy) + ")"
                            : std::string());
    }
}

TEST(SlideEntry, CoversOrPushesFromEachEdge) {
    // 800 × 600 at speed 2: frame 101 has k = 100, so the incoming picture is
    // 200 pixels in. The first frame shows none of it; frame 401 (or 301 for
    // the vertical slides) shows all of it.
    struct Case {
        int effect;
        std::vector<Probe> probes;
    };
    const Case cases[] = {
        {69,
         {{1, 799, 5, {'O', 799, 5}},
          {101, 599, 5, {'O', 599, 5}},
          {101, 600, 5, {'I', 0, 5}},
          {101, 799, 5, {'I', 199, 5}},
          {401, 0, 5, {'I', 0, 5}}}},
        {70,
         {{1, 0, 5, {'O', 0, 5}},
          {101, 0, 5, {'I', 600, 5}},
          {101, 199, 5, {'I', 799, 5}},
          {101, 200, 5, {'O', 200, 5}},
          {401, 799, 5, {'I', 799, 5}}}},
        {71,
         {{1, 5, 599, {'O', 5, 599}},
          {101, 5, 399, {'O', 5, 399}},
          {101, 5, 400, {'I', 5, 0}},
          {301, 5, 0, {'I', 5, 0}}}},
        {72,
         {{1, 5, 0, {'O', 5, 0}},
          {101, 5, 0, {'I', 5, 400}},
          {101, 5, 199, {'I', 5, 599}},
          {101, 5, 200, {'O', 5, 200}},
          {301, 5, 599, {'I', 5, 599}}}},
        {73,
         {{1, 5, 5, {'O', 5, 5}},
          {101, 0, 5, {'O', 200, 5}},
          {101, 599, 5, {'O', 799, 5}},
          {101, 600, 5, {'I', 0, 5}},
          {401, 0, 5, {'I', 0, 5}}}},
        {74, {{101, 0, 5, {'I', 600, 5}}, {101, 200, 5, {'O', 0, 5}}, {101, 799, 5, {'O', 599, 5}}}},
        {75, {{101, 5, 0, {'O', 5, 200}}, {101, 5, 399, {'O', 5, 599}}, {101, 5, 400, {'I', 5, 0}}}},
        {76, {{101, 5, 0, {'I', 5, 400}}, {101, 5, 200, {'O', 5, 0}}, {101, 5, 599, {'O', 5, 399}}}},
    };
    for (const Case& c : cases) CheckProbes(c.effect, c.probes);
}

TEST(SlideCross, MergesTheVerticalCopyWithOr) {
    // 800 × 600 at speed 2: the vertical copy moves v = 3 rows per frame, so
    // frame 101 (k = 100) has the horizontal copy 200 pixels and the vertical
    // one 300 rows in. From the bottom, the top 300 rows of the incoming
    // picture are stretched over 600 rows starting at row 300.
    struct Case {
        int effect;
        std::vector<Probe> probes;
    };
    const Case cases[] = {
        {77,
         {{1, 5, 5, {'O', 5, 5}},
          {101, 10, 100, {'O', 10, 100}},
          {101, 700, 100, {'I', 100, 100}},
          {101, 10, 450, {'O', 10, 450}, {'I', 10, 75}},
          {101, 700, 599, {'I', 100, 599}, {'I', 700, 149}}}},
        {78,
         {{1, 5, 5, {'O', 5, 5}},
          {101, 10, 100, {'I', 610, 100}, {'I', 10, 400}},
          {101, 400, 100, {'O', 400, 100}, {'I', 400, 400}},
          {101, 400, 400, {'O', 400, 400}}}},
        // Pushed: the outgoing picture is drawn moved left, then moved up.
        {79, {{101, 10, 100, {'O', 10, 400}}, {101, 10, 450, {'O', 210, 450}, {'I', 10, 75}}}},
        {80,
         {{101, 400, 100, {'O', 200, 100}, {'I', 400, 400}},
          {101, 400, 400, {'O', 400, 100}},
          {101, 10, 100, {'I', 610, 100}, {'I', 10, 400}}}},
        // Alternating order: k = 100 draws as effect 77, k = 101 draws the
        // vertical copy first, so the horizontal copy stays unmixed.
        {96,
         {{101, 10, 450, {'O', 10, 450}, {'I', 10, 75}},
          {101, 700, 450, {'I', 100, 450}, {'I', 700, 75}},
          {102, 700, 450, {'I', 102, 450}},
          {102, 10, 450, {'O', 10, 450}, {'I', 10, 77}}}},
        {97, {{102, 10, 100, {'I', 608, 100}}, {102, 400, 100, {'O', 400, 100}, {'I', 400, 397}}}},
        {98, {{102, 700, 450, {'I', 102, 450}}, {102, 10, 100, {'O', 10, 403}}}},
        {99, {{102, 10, 100, {'I', 608, 100}}, {102, 400, 400, {'O', 400, 97}}}},
    };
    for (const Case& c : cases) CheckProbes(c.effect, c.probes);
}

TEST(SlideCross, FarStretchedCopyDrawsNothingSoTheOrderNoLongerShows) {
    // At k = 350 (frame 351) the vertical copy is 1050 rows in: every visible
    // row of it maps to a source row beyond the picture.
    std::map<int, Bitmap> last;
    for (int effect : {77, 96}) {
        Stage stage(800, 600, {.speed = 2});
        last[effect] = stage.runKeeping(effect, {351}).at(351);
    }
    EXPECT_TRUE(SameBitmap(last.at(96), last.at(77)));
    Stage cards(800, 600);
    EXPECT_EQ(last.at(77).pixel(50, 300), cards.outgoing.pixel(50, 300));
    EXPECT_EQ(last.at(77).pixel(150, 300), cards.incoming.pixel(50, 300));
}

TEST(SlidePush, UnknownDirectionDrawsNothingAndEndsOnTheWidth) {
    Stage stage(40, 30, {.speed = 3});
    SlideEntry(stage.host, {.direction = 9, .mode = 1});
    EXPECT_EQ(stage.host.frames, 40 / 3 + 1);
    EXPECT_TRUE(SameBitmap(stage.host.Display().bitmap(), stage.incoming));
}

}  // namespace
}  // namespace tav::test
