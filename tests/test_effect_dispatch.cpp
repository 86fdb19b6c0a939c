#include <gtest/gtest.h>

#include "effects/EffectTable.h"
#include "support/effect_harness.h"

namespace tav::test {

TEST(EffectTable, HoldsEveryNumberOnceInOrder) {
    auto table = EffectTable();
    ASSERT_EQ(table.size(), 143u);
    for (int i = 0; i < 143; ++i) EXPECT_EQ(table[i].number, i + 1);
    EXPECT_EQ(FindEffect(0), nullptr);
    EXPECT_EQ(FindEffect(144), nullptr);
    const EffectEntry* first = FindEffect(1);
    ASSERT_NE(first, nullptr);
    EXPECT_STREQ(RoutineName(*first), "StripSequenceWipe");
    EXPECT_EQ(ArgumentValues(*first), (std::vector<int>{1, 1, 1}));
    // The values come in the order the struct declares its fields.
    EXPECT_EQ(ArgumentValues(*FindEffect(124)), (std::vector<int>{3, 32, 2}));
    EXPECT_EQ(std::get<TileScatterArgs>(FindEffect(124)->args).columns, 32);
    EXPECT_STREQ(RoutineName(*FindEffect(143)), "SplitRoll");
    EXPECT_EQ(ArgumentValues(*FindEffect(143)), std::vector<int>{1});
    EXPECT_STREQ(RoutineName(*FindEffect(41)), "SpiralBlockReveal");
    EXPECT_TRUE(ArgumentValues(*FindEffect(41)).empty());
}

TEST(Dispatch, NumbersOutsideTheTableDrawNothingAndPresentOnce) {
    for (int number : {0, 144, -1, 1000}) {
        Stage stage(32, 24);
        stage.run(number);
        EXPECT_EQ(stage.host.frames, 1) << number;
        EXPECT_TRUE(SameBitmap(stage.host.Display().bitmap(), stage.outgoing)) << number;
        EXPECT_FALSE(stage.host.EffectDone) << number;
    }
}

}  // namespace tav::test
