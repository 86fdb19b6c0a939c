#include <gtest/gtest.h>

#include <set>

#include "engine/InputWatch.h"
#include "engine/Orders.h"
#include "engine/VirtualKeys.h"
#include "platform/Random.h"

namespace tav {
namespace {

TEST(ShuffleBag, EveryCycleDrawsEachItemOnceThenStartsAgain) {
    SeedRandom(7);
    ShuffleBag bag;
    for (int cycle = 0; cycle < 3; ++cycle) {
        std::set<int> seen;
        for (int i = 0; i < 143; ++i) {
            const int e = bag.Draw(143);
            ASSERT_GE(e, 1);
            ASSERT_LE(e, 143);
            EXPECT_TRUE(seen.insert(e).second) << "effect " << e << " twice in cycle " << cycle;
        }
        EXPECT_TRUE(bag.IsEmpty());
    }
}

TEST(ShuffleBag, TheLastDrawOfACycleTakesWhatIsLeft) {
    // Whatever the generator says, after 2 and 3 only 1 is left.
    for (unsigned seed = 0; seed < 200; ++seed) {
        SeedRandom(seed);
        ShuffleBag bag;
        const int a = bag.Draw(3), b = bag.Draw(3), c = bag.Draw(3);
        EXPECT_EQ(a + b + c, 6) << "seed " << seed;
        EXPECT_TRUE(a != b && b != c && a != c) << "seed " << seed;
    }
}

TEST(ShuffleBag, ANewListSizeRefillsTheBag) {
    ShuffleBag bag;
    bag.Draw(5);
    EXPECT_EQ(bag.Draw(2) <= 2, true);
    EXPECT_EQ(bag.Remaining(), 1);
}

TEST(PlainOrder, WrapsAfterTheLastEntry) {
    EXPECT_EQ(NextInOrder(1, 2), 2);
    EXPECT_EQ(NextInOrder(2, 2), 1);
    EXPECT_EQ(NextInOrder(5, 5), 1);
}

std::vector<InputAction> Exit() { return {InputAction::Exit}; }
std::vector<InputAction> Nothing() { return {}; }

TEST(InputWatch, MovesEndTheShowOnlyOnBothAxesAfterAFirstRecordedMove) {
    InputWatch w({.bareStart = false, .mouseLock = false, .cdMusic = false});
    EXPECT_EQ(w.MouseMove(InputWatch::Window, 10, 10), Nothing()) << "the first move only records";
    EXPECT_EQ(w.MouseMove(InputWatch::Window, 15, 10), Nothing()) << "a move along x only";
    EXPECT_EQ(w.MouseMove(InputWatch::Window, 10, 30), Nothing()) << "a move along y only";
    EXPECT_EQ(w.MouseMove(InputWatch::Display, 11, 11), Nothing()) << "each surface records on its own";
    EXPECT_EQ(w.MouseMove(InputWatch::Window, 11, 11), Exit());
    EXPECT_EQ(w.MouseMove(InputWatch::Window, 50, 50), Nothing()) << "the record starts over after an exit";
}

TEST(InputWatch, BareStartAndMouseLockIgnoreTheMouseButNotKeys) {
    InputWatch bare({.bareStart = true, .mouseLock = false, .cdMusic = false});
    bare.MouseMove(InputWatch::Window, 1, 1);
    EXPECT_EQ(bare.MouseMove(InputWatch::Window, 9, 9), Nothing());
    EXPECT_EQ(bare.MouseDown(), Exit());
    EXPECT_EQ(bare.KeyDown('A'), Exit());

    InputWatch locked({.bareStart = false, .mouseLock = true, .cdMusic = false});
    locked.MouseMove(InputWatch::Window, 1, 1);
    EXPECT_EQ(locked.MouseMove(InputWatch::Window, 9, 9), Nothing());
    EXPECT_EQ(locked.MouseDown(), Nothing());
    EXPECT_EQ(locked.KeyDown('A'), Exit());
    EXPECT_EQ(locked.KeyDown(VK_MENU), (std::vector<InputAction>{InputAction::Exit, InputAction::Exit}))
        << "Alt ends the show once on its own, then under the key rule";
}

TEST(InputWatch, EveryKeyEndsTheShowButTheArrowsLeftAndRightWithCdMusic) {
    const InputWatch cd({.bareStart = false, .mouseLock = false, .cdMusic = true});
    const InputWatch file({.bareStart = false, .mouseLock = false, .cdMusic = false});
    // Every printable and Latin-1 key, every special key (functions, locks,
    // modifiers, navigation, media, input-method keys), plain and on the keypad.
    std::vector<int> keys;
    for (int k = 0x20; k <= 0xFF; ++k)
        if (k < 'a' || k > 'z') keys.push_back(k);
    for (int k = 0x01000000; k <= 0x010011FF; ++k) keys.push_back(k);
    for (int key : keys) {
        for (Qt::KeyboardModifiers modifiers :
             {Qt::KeyboardModifiers(Qt::NoModifier), Qt::KeyboardModifiers(Qt::KeypadModifier)}) {
            const int number = VirtualKeyOf(key, modifiers);
            std::vector<InputAction> want = Exit();
            if (key == Qt::Key_Left) want = {InputAction::PreviousTrack};
            if (key == Qt::Key_Right) want = {InputAction::NextTrack};
            EXPECT_EQ(cd.KeyDown(number), want) << std::hex << "Qt key 0x" << key << " modifiers 0x"
                                                << modifiers.toInt() << " gives " << std::dec << number;
            EXPECT_EQ(file.KeyDown(number), Exit()) << std::hex << "Qt key 0x" << key;
        }
    }
}

TEST(VirtualKeyOf, NumbersKeysAsTheInputRulesDo) {
    struct Case {
        int key;
        Qt::KeyboardModifiers modifiers;
        int want;
    };
    const Case cases[] = {
        {Qt::Key_A, Qt::NoModifier, 'A'},
        {Qt::Key_7, Qt::NoModifier, '7'},
        {Qt::Key_7, Qt::KeypadModifier, 103},
        {Qt::Key_Apostrophe, Qt::NoModifier, 222},
        {Qt::Key_Percent, Qt::NoModifier, '5'},
        {Qt::Key_NumLock, Qt::NoModifier, 144},
        {Qt::Key_F1, Qt::NoModifier, 112},
        {Qt::Key_F12, Qt::NoModifier, 123},
        {Qt::Key_Alt, Qt::NoModifier, VK_MENU},
        {Qt::Key_Down, Qt::NoModifier, VK_DOWN},
        {Qt::Key_Left, Qt::KeypadModifier, VK_LEFT},
        {Qt::Key_Asterisk, Qt::KeypadModifier, 106},
        {Qt::Key_unknown, Qt::NoModifier, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(VirtualKeyOf(c.key, c.modifiers), c.want) << std::hex << "Qt key 0x" << c.key;
}

}  // namespace
}  // namespace tav
