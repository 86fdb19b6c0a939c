#include "platform/ChangedArea.h"

#include <algorithm>

namespace tav {
namespace {

using Box = ChangedArea::Box;

// What the X server spends on one rectangle, in pixels copied for the same
// time: a request and its set-up, a little for every row, and its pixels.
// Thin strips a few pixels apart are one rectangle, strips spread over the
// screen are several.
constexpr long long kRequestCost = 2048;
constexpr long long kRowCost = 16;

long long Cost(const Box& b) { return kRequestCost + kRowCost * b.height() + b.area(); }

Box Union(const Box& a, const Box& b) {
    return {std::min(a.x0, b.x0), std::min(a.y0, b.y0), std::max(a.x1, b.x1), std::max(a.y1, b.y1)};
}

bool Overlap(const Box& a, const Box& b) { return a.x0 < b.x1 && b.x0 < a.x1 && a.y0 < b.y1 && b.y0 < a.y1; }

bool Contains(const Box& outer, const Box& inner) {
    return outer.x0 <= inner.x0 && outer.y0 <= inner.y0 && outer.x1 >= inner.x1 && outer.y1 >= inner.y1;
}

// How much more the union of two boxes apart costs than the two.
long long JoinCost(const Box& a, const Box& b) { return Cost(Union(a, b)) - Cost(a) - Cost(b); }

// The parts of b outside a, which it overlaps: the rows above and below a,
// then the columns beside it.
int Outside(const Box& b, const Box& a, Box (&parts)[4]) {
    int n = 0;
    if (b.y0 < a.y0) parts[n++] = {b.x0, b.y0, b.x1, a.y0};
    if (a.y1 < b.y1) parts[n++] = {b.x0, a.y1, b.x1, b.y1};
    const int y0 = std::max(a.y0, b.y0), y1 = std::min(a.y1, b.y1);
    if (b.x0 < a.x0) parts[n++] = {b.x0, y0, a.x0, y1};
    if (a.x1 < b.x1) parts[n++] = {a.x1, y0, b.x1, y1};
    return n;
}

}  // namespace

void ChangedArea::add(int x, int y, int w, int h) {
    if (w <= 0 || h <= 0) return;
    const Box b{x, y, x + w, y + h};
    for (std::size_t i = 0; i < count_; ++i)
        if (Contains(boxes_[i], b)) return;
    Insert(b, 0);
}

void ChangedArea::Insert(Box b, int cuts) {
    // A union can reach boxes checked before it, so the search starts over
    // after each; the list shrinks every time, which ends it.
    for (std::size_t i = 0; i < count_;) {
        if (Overlap(boxes_[i], b)) {
            // Two lines that cross would join into the box around both, most
            // of which did not change: the new one is cut around the old one
            // instead when its parts outside cost less than half what the
            // union adds, and there is room for them. Short of that the union
            // may yet take in more of what comes, as a line over two boxes
            // does. A part can be cut again, a few times only, so that adding
            // always ends.
            Box parts[4];
            const int n = Outside(b, boxes_[i], parts);
            long long apart = 0;
            for (int k = 0; k < n; ++k) apart += Cost(parts[k]);
            if (cuts < kMaxCuts && count_ + static_cast<std::size_t>(n) <= kMaxBoxes &&
                2 * apart < Cost(Union(boxes_[i], b)) - Cost(boxes_[i])) {
                for (int k = 0; k < n; ++k) Insert(parts[k], cuts + 1);
                return;
            }
        }
        if (Overlap(boxes_[i], b) || (JoinCost(boxes_[i], b) <= 0 && !ReachesAnother(Union(boxes_[i], b), i))) {
            b = Union(boxes_[i], b);
            boxes_[i] = boxes_[--count_];
            i = 0;
        } else {
            ++i;
        }
    }
    if (count_ < kMaxBoxes) {
        boxes_[count_++] = b;
        return;
    }
    // Full: of the boxes and the new one (index kMaxBoxes), the pair whose
    // union costs least more becomes one, which may then meet others.
    const auto at = [&](std::size_t i) -> const Box& { return i < kMaxBoxes ? boxes_[i] : b; };
    std::size_t bestI = 0, bestJ = 1;
    long long best = JoinCost(at(0), at(1));
    for (std::size_t i = 0; i < kMaxBoxes; ++i)
        for (std::size_t j = i + 1; j <= kMaxBoxes; ++j)
            if (const long long c = JoinCost(at(i), at(j)); c < best) best = c, bestI = i, bestJ = j;
    const Box joined = Union(at(bestI), at(bestJ));
    if (bestJ == kMaxBoxes) {
        boxes_[bestI] = boxes_[--count_];
    } else {
        // bestJ > bestI: the later one goes first, so the earlier index still holds.
        boxes_[bestJ] = b;
        boxes_[bestI] = boxes_[--count_];
    }
    Insert(joined, kMaxCuts);
}

// Two boxes apart join only where their union overlaps no third: the parts
// of a line cut around another would otherwise join across it again.
bool ChangedArea::ReachesAnother(const Box& u, std::size_t except) const {
    for (std::size_t k = 0; k < count_; ++k)
        if (k != except && Overlap(boxes_[k], u)) return true;
    return false;
}

ChangedArea::Box ChangedArea::bounds() const {
    if (count_ == 0) return {};
    Box u = boxes_[0];
    for (std::size_t i = 1; i < count_; ++i) u = Union(u, boxes_[i]);
    return u;
}

long long ChangedArea::area() const {
    long long sum = 0;
    for (std::size_t i = 0; i < count_; ++i) sum += boxes_[i].area();
    return sum;
}

}  // namespace tav
