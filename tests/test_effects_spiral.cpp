#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "support/effect_harness.h"

namespace tav::test {
namespace {

// The block revealed by a frame: the bounding box of the pixels that changed
// since the frame before, and how many changed.
struct Change {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1, count = 0;
};
Change Diff(const Bitmap& before, const Bitmap& after) {
    Change c;
    for (int y = 0; y < after.height(); ++y)
        for (int x = 0; x < after.width(); ++x)
            if (before.pixel(x, y) != after.pixel(x, y)) {
                c.left = std::min(c.left, x), c.top = std::min(c.top, y);
                c.right = std::max(c.right, x), c.bottom = std::max(c.bottom, y);
                ++c.count;
            }
    return c;
}

}  // namespace

TEST(SpiralBlockReveal, OneFramePerBlockWhateverTheSpeed) {
    // Columns and rows are the area over 32, rounded half to even (600 / 32
    // gives 19 rows); the dispatcher presents once more.
    struct Case {
        int w, h, blocks;
    };
    for (const Case c : {Case{640, 480, 300}, Case{800, 600, 475}, Case{1024, 768, 768}, Case{1366, 767, 43 * 24},
                         Case{600, 800, 475}})
        for (int speed : {0, 1, 24}) {
            const TransitionRun run = RunEffect(41, c.w, c.h, {.speed = speed});
            SCOPED_TRACE(testing::Message() << c.w << "x" << c.h << " speed " << speed);
            EXPECT_TRUE(run.finalEqualsIncoming);
            EXPECT_EQ(run.frames, c.blocks + 1);
            EXPECT_EQ(run.sleepMs, 0);
        }
}

TEST(SpiralBlockReveal, WalksClockwiseFromTheTopLeftCorner) {
    // 640 × 480: 20 columns and 15 rows. The top row left to right, the right
    // column down, the bottom row back, the left column up, then the next ring.
    Stage stage(640, 480);
    std::map<int, std::pair<int, int>> expected = {{1, {0, 0}},      {20, {608, 0}}, {21, {608, 32}}, {34, {608, 448}},
                                                   {35, {576, 448}}, {53, {0, 448}}, {54, {0, 416}},  {66, {0, 32}},
                                                   {67, {32, 32}},   {84, {576, 32}}};
    Bitmap before = stage.host.Display().bitmap();
    int frames = 0;
    stage.host.onFrame = [&](int frame, const Bitmap& display) {
        ++frames;
        if (frame <= 300) {
            const Change c = Diff(before, display);
            // Every block is new: all of its 32 × 32 pixels change.
            EXPECT_EQ(c.count, 32 * 32) << "frame " << frame;
            EXPECT_EQ(c.right - c.left, 31) << "frame " << frame;
            if (auto it = expected.find(frame); it != expected.end()) {
                EXPECT_EQ(c.left, it->second.first) << "frame " << frame;
                EXPECT_EQ(c.top, it->second.second) << "frame " << frame;
            }
        }
        before = display;
    };
    stage.run(41);
    EXPECT_EQ(frames, 301);
}

TEST(SpiralBlockReveal, BlocksCoverTheAreaWhenTheGridFitsIt) {
    // At 1024 × 768 the 768 blocks cover the area exactly: the last block frame
    // already shows the whole incoming picture. On 80 × 48 the grid rounds to
    // 2 × 2 blocks and leaves the columns from 64 on to the final copy.
    struct Case {
        int w, h, blocks, uncoveredFromX;
    };
    for (const Case c : {Case{1024, 768, 768, 1024}, Case{80, 48, 4, 64}}) {
        Stage stage(c.w, c.h);
        const Bitmap lastBlock = stage.runKeeping(41, {c.blocks}).at(c.blocks);
        for (int y = 0; y < c.h; ++y)
            for (int x = 0; x < c.w; ++x)
                ASSERT_EQ(PixelSource(lastBlock, x, y, stage.outgoing, stage.incoming),
                          x < c.uncoveredFromX ? 'I' : 'O')
                    << c.w << "x" << c.h << " at (" << x << ", " << y << ")";
        EXPECT_TRUE(SameBitmap(stage.host.Display().bitmap(), stage.incoming));
    }
}

}  // namespace tav::test
