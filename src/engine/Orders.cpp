#include "engine/Orders.h"

#include "platform/Random.h"

namespace tav {

int ShuffleBag::Draw(int size) {
    if (size < 1) return 1;
    if (empty_ || static_cast<int>(used_.size()) != size + 1) {
        used_.assign(size + 1, 0);
        remaining_ = size;
        empty_ = false;
    }
    // The generator is seeded once per process; re-seeding from the clock here
    // would repeat draws that fall within one clock tick.
    const int r = static_cast<int>(remaining_ * Rnd()) + 1;
    int seen = 0, result = 1;
    for (int i = 1; i <= size; ++i) {
        if (used_[i] == 0 && ++seen == r) {
            used_[i] = 1;
            result = i;
            break;
        }
    }
    if (--remaining_ <= 0) empty_ = true;
    return result;
}

std::vector<bool> ShuffleBag::Drawn() const {
    if (empty_) return {};
    return std::vector<bool>(used_.begin() + 1, used_.end());
}

void ShuffleBag::Restore(const std::vector<bool>& drawn, int size) {
    empty_ = true;
    if (size < 1 || static_cast<int>(drawn.size()) != size) return;
    used_.assign(size + 1, 0);
    remaining_ = size;
    for (int i = 1; i <= size; ++i)
        if (drawn[i - 1]) {
            used_[i] = 1;
            --remaining_;
        }
    empty_ = remaining_ <= 0;
}

}  // namespace tav
