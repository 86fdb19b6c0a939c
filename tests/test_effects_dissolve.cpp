#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "effects/RandomLineDissolve.h"
#include "platform/Random.h"
#include "support/effect_harness.h"

namespace tav::test {
namespace {

TEST(RandomLineDissolve, EndsOnTheIncomingPictureAtTheStatedPace) {
    for (int effect : {132, 133}) {
        for (Area a : kAreas) {
            const int n = effect == 132 ? a.w : a.h;
            // n lines at 51 per frame, then the frame that finds none left; the
            // dispatcher presents once more.
            const int routineFrames = n / 51 + 1;
            for (int speed : {0, 1, 2, 24}) {
                SCOPED_TRACE(std::to_string(effect) + " at " + std::to_string(a.w) + "x" + std::to_string(a.h) +
                             " speed " + std::to_string(speed));
                TransitionRun run = RunEffect(effect, a.w, a.h, {.speed = speed});
                EXPECT_TRUE(run.finalEqualsIncoming);
                EXPECT_EQ(run.frames, routineFrames + 1);
                EXPECT_EQ(run.sleepMs, 100LL * routineFrames);
            }
        }
    }
    EXPECT_EQ(RunEffect(132, 800, 600).frames, 16 + 1);
}

// For each line across the moving axis: 'I' when the whole line shows the
// incoming picture, 'O' when it all shows the outgoing one, '?' when mixed.
std::string LineSources(const Bitmap& display, const Stage& stage, bool columns) {
    const int lines = columns ? display.width() : display.height();
    const int length = columns ? display.height() : display.width();
    std::string out;
    for (int i = 0; i < lines; ++i) {
        int in = 0, old = 0;
        for (int t = 0; t < length; ++t) {
            const int x = columns ? i : t, y = columns ? t : i;
            const char c = PixelSource(display, x, y, stage.outgoing, stage.incoming);
            in += c == 'I';
            old += c == 'O';
        }
        out += in == length ? 'I' : old == length ? 'O' : '?';
    }
    return out;
}

TEST(RandomLineDissolve, EachFrameAddsWholeLinesFiftyOneAtATime) {
    struct Case {
        int effect;
        int w, h;
    };
    for (Case c : {Case{132, 200, 30}, Case{133, 30, 200}, Case{132, 51, 8}}) {
        const bool columns = c.effect == 132;
        const int n = columns ? c.w : c.h;
        SCOPED_TRACE("effect " + std::to_string(c.effect) + " n " + std::to_string(n));
        Stage stage(c.w, c.h, {.seed = 7});
        std::vector<std::string> seen;
        stage.host.onFrame = [&](int, const Bitmap& d) { seen.push_back(LineSources(d, stage, columns)); };
        stage.run(c.effect);
        ASSERT_EQ(static_cast<int>(seen.size()), n / 51 + 2);
        std::string previous(n, 'O');
        for (std::size_t f = 0; f + 2 < seen.size(); ++f) {
            const std::string& now = seen[f];
            ASSERT_EQ(now.find('?'), std::string::npos) << "frame " << f + 1 << ": " << now;
            int added = 0;
            for (int i = 0; i < n; ++i) {
                ASSERT_FALSE(previous[i] == 'I' && now[i] != 'I') << "line " << i << " lost in frame " << f + 1;
                added += previous[i] == 'O' && now[i] == 'I';
            }
            // One slot of the whole run may hold the value that names no line.
            EXPECT_TRUE(added == 51 || added == 50) << "frame " << f + 1 << " added " << added;
            previous = now;
        }
        EXPECT_EQ(seen[seen.size() - 2], std::string(n, 'I'));
    }
}

TEST(RandomLineDissolve, AnyOrientationOtherThanOneDrawsRows) {
    for (std::int16_t orientation : {0, 2, -1, 9}) {
        Stage stage(60, 40, {.seed = 3});
        std::string first;
        stage.host.onFrame = [&](int frame, const Bitmap& d) {
            if (frame == 1) first = LineSources(d, stage, false);
        };
        RandomLineDissolve(stage.host, {.orientation = orientation});
        EXPECT_EQ(first.find('?'), std::string::npos) << "orientation " << orientation << ": " << first;
        EXPECT_TRUE(SameBitmap(stage.host.Display().bitmap(), stage.incoming)) << "orientation " << orientation;
    }
}

TEST(RandomLineDissolve, ShuffleDrawsThreeNumbersPerLineAndIsNotReseeded) {
    const int w = 120, h = 20;
    Stage stage(w, h, {.seed = 11});
    std::vector<std::string> firstFrames;
    stage.host.onFrame = [&](int frame, const Bitmap& d) {
        if (frame == 1) firstFrames.push_back(LineSources(d, stage, true));
    };
    RandomLineDissolve(stage.host, {.orientation = 1});
    const double after = Rnd();
    SeedRandom(11);
    for (int i = 0; i < 3 * w; ++i) Rnd();
    EXPECT_EQ(after, Rnd());

    // A second transition in the same run continues the sequence: another order.
    BitBlt(stage.host.Display(), 0, 0, w, h, stage.host.Outgoing(), 0, 0, SRCCOPY);
    stage.host.resetCounters();
    RandomLineDissolve(stage.host, {.orientation = 1});
    ASSERT_EQ(firstFrames.size(), 2u);
    EXPECT_NE(firstFrames[0], firstFrames[1]);
}

}  // namespace
}  // namespace tav::test
