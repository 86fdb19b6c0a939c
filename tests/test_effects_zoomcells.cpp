#include <gtest/gtest.h>

#include <map>
#include <set>

#include "effects/ZoomCells.h"
#include "platform/Random.h"
#include "support/effect_harness.h"

namespace tav::test {
namespace {

// Effect 25 presents 50 growing, 51 shrinking and 20 growing frames without a
// pause; effect 26 shows 95 cells, 100 ms apart. The dispatcher adds one frame.
struct Figures {
    int effect, frames;
    long long sleepMs;
};
const Figures kFigures[] = {{25, 122, 0}, {26, 96, 9500}};

TEST(ZoomCells, EndsOnTheIncomingPictureAtEverySizeAndSpeed) {
    for (const Figures& f : kFigures) {
        for (Area s : kAreas) {
            TransitionRun run = RunEffect(f.effect, s.w, s.h, {.speed = 2});
            EXPECT_TRUE(run.finalEqualsIncoming) << f.effect << " at " << s.w << "x" << s.h;
            EXPECT_EQ(run.frames, f.frames) << f.effect << " at " << s.w << "x" << s.h;
            EXPECT_EQ(run.sleepMs, f.sleepMs) << f.effect << " at " << s.w << "x" << s.h;
        }
        for (int speed : {0, 1, 24}) {
            TransitionRun run = RunEffect(f.effect, 640, 480, {.speed = speed});
            EXPECT_TRUE(run.finalEqualsIncoming) << f.effect << " speed " << speed;
            EXPECT_EQ(run.frames, f.frames) << f.effect << " speed " << speed;
        }
    }
}

TEST(ZoomCells, ZoomBouncesThroughTheBackgroundColour) {
    constexpr Colorref kBack{0x336699};
    const Pixel back = ColorrefToPixel(kBack);
    struct Probe {
        int frame, x, y;
        char picture;  // 'O' outgoing, 'I' incoming, 'B' background
        int sx, sy;
    };
    // On 800 x 600, step i is i/20 of the area centred: step 1 is 40 x 30 at (380, 285).
    const Probe probes[] = {
        {1, 400, 300, 'I', 400, 300},   {1, 0, 0, 'O', 0, 0},
        {1, 379, 300, 'O', 379, 300},   {20, 0, 0, 'I', 0, 0},
        {20, 799, 599, 'I', 799, 599},  {50, 0, 0, 'I', 240, 180},  // 2000 x 1500 at (-600, -450)
        {51, 0, 0, 'I', 240, 180},      {100, 0, 0, 'B', 0, 0},
        {100, 400, 300, 'I', 400, 300}, {101, 0, 0, 'B', 0, 0},
        {101, 400, 300, 'B', 0, 0},  // step 0: nothing but background
        {110, 0, 0, 'B', 0, 0},         {110, 400, 300, 'I', 400, 300},
        {110, 220, 165, 'I', 0, 0},     {121, 0, 0, 'I', 0, 0},
        {121, 799, 599, 'I', 799, 599},
    };
    Stage stage(800, 600, {.backColor = kBack});
    std::set<int> wanted;
    for (const Probe& p : probes) wanted.insert(p.frame);
    const auto shown = stage.runKeeping(25, wanted);
    for (const Probe& p : probes) {
        ASSERT_TRUE(shown.count(p.frame)) << p.frame;
        const Pixel want = p.picture == 'O'   ? stage.outgoing.pixel(p.sx, p.sy)
                           : p.picture == 'I' ? stage.incoming.pixel(p.sx, p.sy)
                                              : back;
        const Pixel got = shown.at(p.frame).pixel(p.x, p.y);
        EXPECT_EQ(got, want) << "frame " << p.frame << " at (" << p.x << ", " << p.y << "): 0x" << std::hex << got
                             << ", expected " << p.picture << "(" << std::dec << p.sx << ", " << p.sy << ")";
    }
    EXPECT_TRUE(SameBitmap(shown.at(20), stage.incoming));
    EXPECT_TRUE(SameBitmap(shown.at(121), stage.incoming));
}

TEST(ZoomCells, EachFrameCopiesOneNewCellOfTheGrid) {
    // On 800 x 600 a cell is 80 x 60 and each copy 81 x 61. Only cell c's copy
    // reaches its inside, so the inside tells which cell a frame drew.
    const int W = 800, H = 600;
    Stage stage(W, H);
    Bitmap previous = stage.outgoing;
    std::set<int> cells;
    int frames = 0;
    stage.host.onFrame = [&](int frame, const Bitmap& display) {
        frames = frame;
        if (frame >= 95) return;  // the 95th cell comes with the whole picture
        int drawn = -1, count = 0;
        for (int j = 0; j < 100; ++j) {
            const int x = j % 10 * 80 + 40, y = j / 10 * 60 + 30;
            if (display.pixel(x, y) != previous.pixel(x, y)) drawn = j, ++count;
        }
        ASSERT_EQ(count, 1) << "frame " << frame << " changed the inside of " << count << " cells";
        EXPECT_TRUE(cells.insert(drawn).second) << "cell " << drawn << " drawn twice";
        const int left = drawn % 10 * 80, top = drawn / 10 * 60;
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) {
                const bool inCopy = x >= left && x < left + 81 && y >= top && y < top + 61;
                const Pixel p = display.pixel(x, y);
                if (inCopy ? p != stage.incoming.pixel(x, y) : p != previous.pixel(x, y)) {
                    ADD_FAILURE() << "frame " << frame << ", cell " << drawn << ": wrong pixel at (" << x << ", " << y
                                  << ")";
                    y = H;
                    break;
                }
            }
        previous = display;
    };
    stage.run(26);
    EXPECT_EQ(cells.size(), 94u);
    EXPECT_EQ(frames, 96);
    EXPECT_TRUE(SameBitmap(stage.host.Display().bitmap(), stage.incoming));
    EXPECT_FALSE(stage.host.EffectFirstPass);
}

TEST(ZoomCells, RandomCellsDrawOneNumberACellAndAnyOtherModeIsRandomCells) {
    for (int mode : {2, 0, 7}) {
        const unsigned seed = 12345;
        SeedRandom(seed);
        for (int i = 0; i < 95; ++i) Rnd();
        const double next = Rnd();

        Stage stage(100, 80, {.seed = seed});
        ZoomOrRandomCells(stage.host, {.mode = mode});
        EXPECT_EQ(stage.host.frames, 95) << mode;
        EXPECT_EQ(Rnd(), next) << "mode " << mode << " drew another count of random numbers";
        EXPECT_TRUE(SameBitmap(stage.host.Display().bitmap(), stage.incoming)) << mode;
    }
}

}  // namespace
}  // namespace tav::test
