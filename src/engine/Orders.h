#pragma once
// Plain and random orders of pictures and effects. Random order is a shuffle
// bag: every item is drawn once, in random order, before any is drawn again.

#include <cstdint>
#include <vector>

namespace tav {

class ShuffleBag {
public:
    // Draws one of 1 ... size. A draw from an empty bag first refills it.
    int Draw(int size);
    // Forgets the current cycle; the next draw refills.
    void MarkEmpty() { empty_ = true; }
    bool IsEmpty() const { return empty_; }
    int Remaining() const { return remaining_; }
    // The cycle in progress: entry i - 1 is true when entry i has been drawn;
    // empty when the bag is empty. Restore takes such a cycle back for a bag
    // of `size` entries, and empties the bag when it does not fit.
    std::vector<bool> Drawn() const;
    void Restore(const std::vector<bool>& drawn, int size);

private:
    std::vector<std::int16_t> used_;  // entries 1 ... size; 1 = drawn in this cycle
    int remaining_ = 0;
    bool empty_ = true;
};

// The next entry in plain order: 1 after the last.
inline int NextInOrder(int current, int count) { return current + 1 > count ? 1 : current + 1; }

}  // namespace tav
