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
    EXPECT_STREQ(RoutineName(first->routine), "StripSequenceWipe");
    EXPECT_EQ(first->argc, 3);
    EXPECT_EQ(first->args[0], 1);
    EXPECT_EQ(first->args[1], 1);
    EXPECT_EQ(first->args[2], 1);
    EXPECT_STREQ(RoutineName(FindEffect(143)->routine), "SplitRoll");
    EXPECT_EQ(FindEffect(143)->args[0], 1);
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
