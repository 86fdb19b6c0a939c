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

TEST(AllEffects, EveryNumberDrawsAndEndsOnTheIncomingPicture) {
    // Also: every pixel a frame changes lies in what the frame marked as
    // changed, which is all the window is sent, however little an effect
    // draws per frame.
    for (auto [w, h] : {std::pair{160, 120}, std::pair{97, 131}}) {
        for (const EffectEntry& e : EffectTable()) {
            Stage stage(w, h, {.speed = 6, .seed = static_cast<unsigned>(e.number)});
            DC& display = stage.host.Display();
            display.trackDirty = true;
            Bitmap before = display.target();
            std::string unmarked;
            stage.host.onFrame = [&](int frame, const Bitmap& now) {
                const ChangedArea marked = display.TakeDirty();
                for (int y = 0; y < now.height() && unmarked.empty(); ++y)
                    for (int x = 0; x < now.width(); ++x) {
                        const auto inside = [&](const ChangedArea::Box& b) {
                            return b.x0 <= x && x < b.x1 && b.y0 <= y && y < b.y1;
                        };
                        if (now.pixel(x, y) != before.pixel(x, y) &&
                            std::none_of(marked.boxes().begin(), marked.boxes().end(), inside)) {
                            unmarked = "frame " + std::to_string(frame) + " changed (" + std::to_string(x) + ", " +
                                       std::to_string(y) + ") unmarked";
                            break;
                        }
                    }
                before = now;
            };
            stage.run(e.number);
            EXPECT_EQ(unmarked, "") << "effect " << e.number << " at " << w << "x" << h;
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
