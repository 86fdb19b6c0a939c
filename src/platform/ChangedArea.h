#pragma once
// What changed of a surface since it was last presented, as a few rectangles
// apart from one another. An effect that moves several strips spread over the
// screen changes a fraction of it, and sending that fraction costs the X server
// far less than the box around all the strips.
//
// The rectangles never overlap, and they are at most kMaxBoxes, so adding one
// costs a few comparisons however often a frame draws: a new rectangle joins
// one whose union with it costs no more to send than the two apart, and one it
// overlaps unless its parts outside that one cost less (lines that cross stay
// lines); past the bound, the two whose union costs least more are joined.

#include <array>
#include <cstddef>
#include <span>

namespace tav {

class ChangedArea {
public:
    // Pixels [x0, x1) × [y0, y1).
    struct Box {
        int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
        bool empty() const { return x0 >= x1 || y0 >= y1; }
        int width() const { return x1 - x0; }
        int height() const { return y1 - y0; }
        long long area() const { return empty() ? 0 : static_cast<long long>(width()) * height(); }
        bool operator==(const Box&) const = default;
    };
    static constexpr std::size_t kMaxBoxes = 16;

    // Counts the w × h pixels at (x, y) as changed; nothing when w or h is not positive.
    void add(int x, int y, int w, int h);
    void add(const Box& b) { add(b.x0, b.y0, b.width(), b.height()); }

    bool empty() const { return count_ == 0; }
    std::span<const Box> boxes() const& { return {boxes_.data(), count_}; }
    // The boxes live inside the record: a record that is about to go (such as
    // TakeDirty()'s result looped over directly) cannot hand them out.
    std::span<const Box> boxes() const&& = delete;
    // The box around all of them.
    Box bounds() const;
    // Their pixels, summed: what presenting them sends.
    long long area() const;

private:
    // `cuts`: how often b was cut out of a larger rectangle.
    void Insert(Box b, int cuts);
    static constexpr int kMaxCuts = 4;
    bool ReachesAnother(const Box& u, std::size_t except) const;

    std::array<Box, kMaxBoxes> boxes_{};
    std::size_t count_ = 0;
};

}  // namespace tav
