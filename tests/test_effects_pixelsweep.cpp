// Pixel line sweeps (effects 114 to 123).

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "effects/PixelSweep.h"
#include "support/effect_harness.h"

namespace tav::test {
namespace {

// Compares every pixel of a frame with the picture a rule says it shows ('I' or 'O').
::testing::AssertionResult Shows(const Stage& stage, const Bitmap& frame,
                                 const std::function<char(int, int)>& expected) {
    for (int y = 0; y < frame.height(); ++y)
        for (int x = 0; x < frame.width(); ++x) {
            const char want = expected(x, y);
            const char got = PixelSource(frame, x, y, stage.outgoing, stage.incoming);
            if (got != want)
                return ::testing::AssertionFailure()
                       << "pixel (" << x << ", " << y << ") shows '" << got << "', expected '" << want << "'";
        }
    return ::testing::AssertionSuccess();
}

struct SizeCase {
    int width, height;
    int speed;       // the sweeps do not read it; each size runs another one
    int frames[10];  // effects 114 ... 123, the dispatcher's last frame included
};

// Patterns 1 to 6 present once per line group: with A and B the next multiples
// of 6 above W and H, the four passes over columns take A/6 + 1, A/6, A/6 and
// A/6 steps (rows likewise; the crosshatches run both). Patterns 7 to 10 step until the fourth sweep
// (starting at 3, 4 lines per step, first drawing once sweep 1 is past three
// band widths) reaches the far edge, or for the dither on a narrow side until
// the far dither line passes 3.
const SizeCase kSizes[] = {
    {640, 480, 1, {430, 326, 430, 326, 755, 755, 281, 211, 281, 321}},
    {800, 600, 2, {538, 406, 538, 406, 943, 943, 351, 263, 351, 401}},
    {1366, 767, 24, {914, 514, 914, 514, 1427, 1427, 598, 336, 598, 684}},
    {600, 800, 0, {406, 538, 406, 538, 943, 943, 263, 351, 401, 351}},
    // A square area ends the dither patterns with the far dither line.
    {40, 40, 2, {30, 30, 30, 30, 59, 59, 18, 18, 21, 21}},
};

TEST(PixelSweep, EveryEffectEndsOnTheIncomingPictureWithItsFrameCount) {
    for (const SizeCase& c : kSizes)
        for (int i = 0; i < 10; ++i) {
            const int effect = 114 + i;
            SCOPED_TRACE("effect " + std::to_string(effect) + " at " + std::to_string(c.width) + "x" +
                         std::to_string(c.height));
            const TransitionRun r = RunEffect(effect, c.width, c.height, {.speed = c.speed});
            EXPECT_TRUE(r.finalEqualsIncoming);
            EXPECT_EQ(r.frames, c.frames[i]);
            EXPECT_EQ(r.sleepMs, 0);
        }
}

TEST(PixelSweep, ColumnPassesCoverResiduesZeroThreeOneFourFiveTwo) {
    // 64 x 48: A = 66, so the passes take 12, 11, 11 and 11 frames.
    Stage stage(64, 48);
    const auto f = stage.runKeeping(114, {1, 12, 13, 23, 34, 44});
    auto columns = [](std::string residues, int extra = -1) {
        return
            [=](int x, int) { return residues.find(char('0' + x % 6)) != std::string::npos || x == extra ? 'I' : 'O'; };
    };
    EXPECT_TRUE(Shows(stage, f.at(1), [](int x, int) { return x == 0 ? 'I' : 'O'; }));
    EXPECT_TRUE(Shows(stage, f.at(12), columns("0")));
    // Pass 1 starts at A - 3 = 63, the last column of the picture.
    EXPECT_TRUE(Shows(stage, f.at(13), columns("0", 63)));
    EXPECT_TRUE(Shows(stage, f.at(23), columns("03")));
    EXPECT_TRUE(Shows(stage, f.at(34), columns("0314")));
    // Before the last step of pass 3 only columns 5 and 2 are left.
    EXPECT_TRUE(Shows(stage, f.at(44), [](int x, int) { return x == 5 || x == 2 ? 'O' : 'I'; }));
}

TEST(PixelSweep, SplitColumnsSweepFromBothSides) {
    // 64 x 48: the upper half is rows 0 ... 25, the lower half rows 24 ... 48.
    Stage stage(64, 48);
    const auto f = stage.runKeeping(116, {1, 2});
    EXPECT_TRUE(Shows(stage, f.at(1), [](int x, int y) { return x == 0 && y <= 25 ? 'I' : 'O'; }));
    EXPECT_TRUE(Shows(stage, f.at(2), [](int x, int y) {
        return ((x == 0 || x == 6) && y <= 25) || (x == 60 && y >= 24) ? 'I' : 'O';
    }));
}

TEST(PixelSweep, CrosshatchRunsTheWholeColumnPassBeforeTheRowPass) {
    // 64 x 48: column pass 0 takes 12 frames, row pass 0 (B = 54) 10.
    Stage stage(64, 48);
    const auto f = stage.runKeeping(118, {12, 13, 22});
    EXPECT_TRUE(Shows(stage, f.at(12), [](int x, int) { return x % 6 == 0 ? 'I' : 'O'; }));
    EXPECT_TRUE(Shows(stage, f.at(13), [](int x, int y) { return x % 6 == 0 || y == 0 ? 'I' : 'O'; }));
    EXPECT_TRUE(Shows(stage, f.at(22), [](int x, int y) { return x % 6 == 0 || y % 6 == 0 ? 'I' : 'O'; }));
}

TEST(PixelSweep, BandedSweepsRunStaggeredAndEachCoversItsColumns) {
    // 800 x 600, band width 200: sweep 2 starts when sweep 1 is at 204 (frame
    // 52), and at frame 350 the fourth sweep has drawn up to column 795.
    Stage stage(800, 600);
    const auto f = stage.runKeeping(120, {1, 52, 350});
    EXPECT_TRUE(Shows(stage, f.at(1), [](int x, int) { return x == 0 ? 'I' : 'O'; }));
    EXPECT_TRUE(Shows(stage, f.at(52), [](int x, int) { return (x % 4 == 0 && x <= 204) || x == 2 ? 'I' : 'O'; }));
    EXPECT_TRUE(Shows(stage, f.at(350), [](int x, int) { return x == 799 ? 'O' : 'I'; }));
}

TEST(PixelSweep, DitherFillsTheOddLinesFromBothEnds) {
    Stage columns(800, 600);
    const auto c = columns.runKeeping(122, {1});
    // Column 0 at even rows, row 1 at even columns; row 601 lies outside.
    EXPECT_TRUE(Shows(columns, c.at(1),
                      [](int x, int y) { return (x == 0 && y % 2 == 0) || (y == 1 && x % 2 == 0) ? 'I' : 'O'; }));

    // Rows on a landscape area end with the far dither column: in the frame
    // before the end only column 1 at the odd rows is left.
    Stage rows(800, 600);
    const auto r = rows.runKeeping(123, {400});
    EXPECT_TRUE(Shows(rows, r.at(400), [](int x, int y) { return x == 1 && y % 2 == 1 ? 'O' : 'I'; }));
}

// The show repaints only what changed: a frame of a sweep is its line alone.
TEST(PixelSweep, FrameReportsOnlyItsLineAsChanged) {
    struct DirtyHost : RecordingHost {
        using RecordingHost::RecordingHost;
        std::vector<std::vector<int>> changed;
        void Refresh() override {
            std::vector<int> frame;
            const ChangedArea dirty = Display().TakeDirty();
            for (const ChangedArea::Box& d : dirty.boxes())
                frame.insert(frame.end(), {d.x0, d.y0, d.x1, d.y1});
            changed.push_back(frame);
        }
    };
    SlideSurfaces surfaces;
    DirtyHost host(surfaces);
    PrepareTransition(host, 64, 48, Colorref{0}, 2, OutgoingCard(64, 48), IncomingCard(64, 48));
    host.Display().trackDirty = true;
    PixelSweep(host, {.pattern = 2, .bands = 0});
    ASSERT_GE(host.changed.size(), 2u);
    EXPECT_EQ(host.changed[0], std::vector<int>({0, 0, 64, 1}));
    EXPECT_EQ(host.changed[1], std::vector<int>({0, 6, 64, 7}));
}

TEST(PixelSweep, UnknownPatternOrNoBandsShowsTheIncomingPictureAtOnce) {
    const struct { std::int16_t pattern, bands; } cases[] = {{0, 0}, {11, 4}, {7, 0}, {10, -3}};
    for (const auto& c : cases) {
        SCOPED_TRACE("pattern " + std::to_string(c.pattern) + ", bands " + std::to_string(c.bands));
        Stage stage(64, 48);
        PixelSweep(stage.host, {.pattern = c.pattern, .bands = c.bands});
        EXPECT_EQ(stage.host.frames, 0);
        EXPECT_TRUE(stage.host.EffectDone);
        EXPECT_TRUE(SameBitmap(stage.host.Display().bitmap(), stage.incoming));
    }
}

}  // namespace
}  // namespace tav::test
