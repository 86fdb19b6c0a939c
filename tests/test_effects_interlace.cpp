#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <tuple>
#include <vector>

#include "effects/InterlaceSlide.h"
#include "support/effect_harness.h"

namespace tav::test {
namespace {

// Effects 100 to 111 cycle through patterns 1, 2 and 3.
int PatternOf(int effect) { return (effect - 100) % 3 + 1; }

// Frames of one run, the dispatcher's closing frame included. A phase ends on
// the first frame k with (k + 1) × s past its extent: pattern 1 leaves across
// the width and arrives down the height, pattern 2 the other way round, and
// pattern 3 measures both phases on the height.
int ExpectedFrames(int effect, int W, int H, int speed) {
    const int s = std::max(speed, 1);
    const int across = W / s + 1, down = H / s + 1;
    return PatternOf(effect) == 3 ? 2 * down + 1 : across + down + 1;
}

int SleepPerFrame(int effect) { return effect <= 108 ? 20 : 10; }

void ExpectRun(int effect, Area size, int speed) {
    TransitionRun run = RunEffect(effect, size.w, size.h, {.speed = speed});
    SCOPED_TRACE(Where(effect, size, speed));
    EXPECT_TRUE(run.finalEqualsIncoming);
    const int frames = ExpectedFrames(effect, size.w, size.h, speed);
    EXPECT_EQ(run.frames, frames);
    EXPECT_EQ(run.sleepMs, static_cast<long long>(frames - 1) * SleepPerFrame(effect));
}

TEST(InterlaceSlide, EndsOnTheIncomingPictureAtEverySizeAndSpeed) {
    // Every effect on a landscape and a portrait area at the highest speed.
    for (Area size : {Area{640, 480}, Area{600, 800}})
        for (int effect = 100; effect <= 111; ++effect) ExpectRun(effect, size, 24);
    // 1366 × 24 overflows 16 bits: one effect of each pattern and strip kind.
    for (int effect : {102, 106, 110, 111}) ExpectRun(effect, {1366, 767}, 24);
    // The slow speeds.
    ExpectRun(109, {640, 480}, 1);
    ExpectRun(105, {640, 480}, 2);
    // Speed 0 moves like speed 1.
    for (Area size : {Area{64, 48}, Area{48, 64}})
        for (int effect = 100; effect <= 111; ++effect) ExpectRun(effect, size, 0);
    // Phase A of pattern 1 ends on the width after 401 frames, phase B on the
    // height after 301; the runs themselves are checked with the probes below.
    EXPECT_EQ(ExpectedFrames(100, 800, 600, 2), 401 + 301 + 1);
    EXPECT_EQ(ExpectedFrames(101, 800, 600, 2), 301 + 401 + 1);
    EXPECT_EQ(ExpectedFrames(102, 800, 600, 2), 301 + 301 + 1);
}

struct Probe {
    int effect;
    Area size;
    int speed;
    int frame;
    int x, y;
    char picture;  // 'O' outgoing, 'I' incoming, 'B' background
    int sx, sy;    // where in the picture the pixel comes from
};

// Positions follow the strips' offsets: at 800 x 600 speed 2, frame f of phase A
// has k = f - 1; phase B starts after 401 (across) or 301 (down) frames.
const Probe kProbes[] = {
    // Effect 100: rows of 5 pixels, drawn 6 high; columns of 6.67, drawn 8 wide.
    {100, {800, 600}, 2, 1, 123, 75, 'O', 123, 75},
    {100, {800, 600}, 2, 101, 210, 0, 'O', 10, 0},
    {100, {800, 600}, 2, 101, 10, 5, 'O', 210, 5},
    {100, {800, 600}, 2, 101, 700, 6, 'B', 0, 0},
    {100, {800, 600}, 2, 552, 0, 400, 'I', 0, 100},
    {100, {800, 600}, 2, 552, 7, 100, 'I', 7, 400},
    // Effect 101: columns of 8 part up and down, then rows of 6 arrive sideways.
    {101, {800, 600}, 2, 101, 0, 250, 'O', 0, 50},
    {101, {800, 600}, 2, 101, 8, 100, 'O', 8, 300},
    {101, {800, 600}, 2, 502, 450, 0, 'I', 50, 0},
    {101, {800, 600}, 2, 502, 100, 6, 'I', 500, 6},
    // Effect 102: rows move 8/3 pixels a frame while columns move 2.
    {102, {800, 600}, 2, 101, 0, 306, 'O', 267, 306},
    {102, {800, 600}, 2, 101, 792, 10, 'O', 792, 210},
    {102, {800, 600}, 2, 101, 8, 100, 'O', 8, 300},
    {102, {800, 600}, 2, 101, 401, 0, 'O', 134, 0},
    {102, {800, 600}, 2, 452, 500, 0, 'I', 100, 0},
    {102, {800, 600}, 2, 452, 0, 400, 'I', 0, 100},
    // Effects 109 to 111: single rows and columns.
    {109, {800, 600}, 2, 1, 321, 123, 'O', 321, 123},
    {109, {800, 600}, 2, 101, 300, 10, 'O', 100, 10},
    {109, {800, 600}, 2, 101, 100, 11, 'O', 300, 11},
    {109, {800, 600}, 2, 101, 700, 11, 'B', 0, 0},
    {109, {800, 600}, 2, 552, 10, 400, 'I', 10, 100},
    {109, {800, 600}, 2, 552, 11, 100, 'I', 11, 400},
    {110, {800, 600}, 2, 101, 10, 300, 'O', 10, 100},
    {110, {800, 600}, 2, 101, 11, 100, 'O', 11, 300},
    {110, {800, 600}, 2, 502, 450, 10, 'I', 50, 10},
    {110, {800, 600}, 2, 502, 100, 11, 'I', 500, 11},
    {111, {800, 600}, 2, 101, 10, 100, 'B', 0, 0},
    {111, {800, 600}, 2, 101, 300, 100, 'O', 33, 100},
    {111, {800, 600}, 2, 101, 301, 300, 'O', 301, 500},
    {111, {800, 600}, 2, 101, 301, 500, 'O', 34, 500},
    {111, {800, 600}, 2, 101, 301, 501, 'O', 568, 501},
    {111, {800, 600}, 2, 101, 700, 501, 'O', 700, 301},
    {111, {800, 600}, 2, 101, 701, 501, 'B', 0, 0},
    {111, {800, 600}, 2, 452, 500, 100, 'I', 100, 100},
    {111, {800, 600}, 2, 452, 100, 101, 'I', 500, 101},
    {111, {800, 600}, 2, 452, 101, 100, 'I', 101, 400},
    // 1366 x 24 does not fit 16 bits: rows still move right, 1366 × 24 / 767 a frame.
    {111, {1366, 767}, 24, 11, 428, 0, 'O', 1, 0},
    {111, {1366, 767}, 24, 11, 1000, 0, 'O', 573, 0},
    // On a portrait area rows past the width are never drawn as rows.
    {111, {600, 800}, 4, 212, 590, 500, 'I', 20, 500},
    {111, {600, 800}, 4, 212, 591, 600, 'B', 0, 0},
    {111, {600, 800}, 4, 212, 590, 700, 'B', 0, 0},
    {111, {600, 800}, 4, 212, 591, 700, 'B', 0, 0},
};

TEST(InterlaceSlide, StripsSitWhereTheirOffsetsPutThemAndRunsEndOnTime) {
    constexpr Colorref kBack{0x336699};  // neither card has this colour
    struct Key {
        int effect, w, h, speed;
        bool operator<(const Key& o) const {
            return std::tie(effect, w, h, speed) < std::tie(o.effect, o.w, o.h, o.speed);
        }
    };
    std::map<Key, std::set<int>> wanted;
    for (const Probe& p : kProbes) wanted[{p.effect, p.size.w, p.size.h, p.speed}].insert(p.frame);

    for (auto& [key, frames] : wanted) {
        Stage stage(key.w, key.h, {.speed = key.speed, .backColor = kBack});
        const auto shown = stage.runKeeping(key.effect, frames);
        SCOPED_TRACE(testing::Message() << "effect " << key.effect << " at " << key.w << "x" << key.h << " speed "
                                        << key.speed);
        const int expected = ExpectedFrames(key.effect, key.w, key.h, key.speed);
        EXPECT_EQ(stage.host.frames, expected);
        EXPECT_EQ(stage.host.sleepMs, static_cast<long long>(expected - 1) * SleepPerFrame(key.effect));
        EXPECT_TRUE(SameBitmap(stage.host.Display().bitmap(), stage.incoming));
        for (const Probe& p : kProbes) {
            if (p.effect != key.effect || p.size.w != key.w || p.size.h != key.h || p.speed != key.speed) continue;
            ASSERT_TRUE(shown.count(p.frame)) << "effect " << p.effect << " has no frame " << p.frame;
            const Pixel want = p.picture == 'O'   ? stage.outgoing.pixel(p.sx, p.sy)
                               : p.picture == 'I' ? stage.incoming.pixel(p.sx, p.sy)
                                                  : ColorrefToPixel(kBack);
            const Pixel got = shown.at(p.frame).pixel(p.x, p.y);
            EXPECT_EQ(got, want) << "effect " << p.effect << " " << key.w << "x" << key.h << " speed " << key.speed
                                 << " frame " << p.frame << " at (" << p.x << ", " << p.y << "): 0x" << std::hex << got
                                 << ", expected " << p.picture << "(" << std::dec << p.sx << ", " << p.sy << ")";
        }
    }
}

TEST(InterlaceSlide, PhaseFlagsAndFrameCounter) {
    // EffectDone is set on the last frame of phase A only, and the counter
    // starts again for phase B; it keeps its final value at the end.
    Stage stage(80, 60, {.speed = 2});
    std::vector<int> doneFrames;
    stage.host.onFrame = [&](int frame, const Bitmap&) {
        if (stage.host.EffectDone) doneFrames.push_back(frame);
    };
    stage.run(100);
    EXPECT_EQ(doneFrames, (std::vector<int>{41, 72, 73}));
    EXPECT_EQ(stage.host.EffectFrame, 31);
}

TEST(InterlaceSlide, PatternsOutsideTheTableShowThePictureAtOnce) {
    for (int pattern : {0, 4}) {
        Stage strips(40, 30), lines(40, 30);
        StripInterlaceSlide(strips.host, {.pattern = pattern, .strips = 10});
        LineInterlaceSlide(lines.host, {.pattern = pattern});
        for (Stage* s : {&strips, &lines}) {
            EXPECT_EQ(s->host.frames, 0) << pattern;
            EXPECT_TRUE(SameBitmap(s->host.Display().bitmap(), s->incoming)) << pattern;
        }
    }
    // No strips is taken as one strip.
    Stage none(40, 30);
    StripInterlaceSlide(none.host, {.pattern = 1, .strips = 0});
    EXPECT_TRUE(SameBitmap(none.host.Display().bitmap(), none.incoming));
}

}  // namespace
}  // namespace tav::test
