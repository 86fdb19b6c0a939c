// Every effect of the table, end to end: each number draws, ends on the
// incoming picture, and the numeric order of the show runs through all of them.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "effects/Dispatch.h"
#include "effects/EffectTable.h"
#include "support/effect_harness.h"

namespace tav::test {
namespace {

// Effects that draw only what their frames change, and how many pixels they
// may mark as changed, summed over the transition, per pixel that changed.
// Drawing the whole area or the whole ground again every frame marks 1.7 to
// 24 times as many on these areas; what stays above 1 is the change record
// joining nearby rectangles into one.
struct MarkedBound {
    int first, last;
    double most;
};
constexpr MarkedBound kDrawOnlyWhatChanges[] = {
    {21, 22, 1.6},  // quadrant zooms, one picture
    {23, 24, 2.6},  // quadrant zooms, four quarters
    {27, 30, 1.6},  // overlay wipes
    {31, 32, 9.5},  // inverting band, then comb
    {33, 38, 5.5},  // combs
    {56, 59, 1.6},  // centre doors, halves
    {60, 60, 2.3},  // centre doors, quarters
    {63, 64, 3.0},  // sliding strips
    {81, 81, 2.5},  // crossing bands
};

TEST(AllEffects, EveryNumberDrawsAndEndsOnTheIncomingPicture) {
    // Also: every pixel a frame changes lies in what the frame marked as
    // changed, which is all the window is sent, however little an effect
    // draws per frame; and the effects above mark little more than that.
    for (auto [w, h] : {std::pair{160, 120}, std::pair{97, 131}}) {
        for (const EffectEntry& e : EffectTable()) {
            Stage stage(w, h, {.speed = 6, .seed = static_cast<unsigned>(e.number)});
            DC& display = stage.host.Display();
            display.trackDirty = true;
            Bitmap before = display.target();
            std::string unmarked;
            long long markedPixels = 0, changedPixels = 0;
            stage.host.onFrame = [&](int frame, const Bitmap& now) {
                const ChangedArea marked = display.TakeDirty();
                markedPixels += marked.area();
                for (int y = 0; y < now.height(); ++y)
                    for (int x = 0; x < now.width(); ++x) {
                        if (now.pixel(x, y) == before.pixel(x, y)) continue;
                        ++changedPixels;
                        const auto inside = [&](const ChangedArea::Box& b) {
                            return b.x0 <= x && x < b.x1 && b.y0 <= y && y < b.y1;
                        };
                        if (unmarked.empty() && std::none_of(marked.boxes().begin(), marked.boxes().end(), inside))
                            unmarked = "frame " + std::to_string(frame) + " changed (" + std::to_string(x) + ", " +
                                       std::to_string(y) + ") unmarked";
                    }
                before = now;
            };
            stage.run(e.number);
            EXPECT_EQ(unmarked, "") << "effect " << e.number << " at " << w << "x" << h;
            for (const auto& [first, last, most] : kDrawOnlyWhatChanges) {
                if (e.number < first || e.number > last) continue;
                EXPECT_LE(static_cast<double>(markedPixels), most * static_cast<double>(changedPixels))
                    << "effect " << e.number << " at " << w << "x" << h << " marked " << markedPixels << " pixels for "
                    << changedPixels << " changed";
            }
            EXPECT_GE(stage.host.frames, 1) << "effect " << e.number << " at " << w << "x" << h;
            EXPECT_TRUE(SameBitmap(stage.host.Display().bitmap(), stage.incoming))
                << "effect " << e.number << " at " << w << "x" << h;
        }
    }
}

TEST(AllEffects, NumericOrderRunsThroughAllAndStartsAgain) {
    // The show's numeric order: the tick adds one, the dispatcher resets after 143.
    Stage stage(48, 36, {.speed = 12});
    std::vector<int> seen;
    for (int slide = 0; slide < 145; ++slide) {
        stage.host.EffectNumber = static_cast<std::int16_t>(stage.host.EffectNumber + 1);
        seen.push_back(stage.host.EffectNumber);
        stage.host.EffectDone = false;
        stage.host.EffectFirstPass = true;
        stage.host.EffectFrame = 0;
        RunTransition(stage.host);
    }
    ASSERT_EQ(seen.size(), 145u);
    for (int i = 0; i < 143; ++i) EXPECT_EQ(seen[i], i + 1);
    EXPECT_EQ(seen[143], 1);
    EXPECT_EQ(seen[144], 2);

    // The random order keeps the number it drew.
    Stage randomOrder(64, 48, {.effectOrder = 1});
    randomOrder.run(143);
    EXPECT_EQ(randomOrder.host.EffectNumber, 143);
}

}  // namespace
}  // namespace tav::test
