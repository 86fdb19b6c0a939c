#include "effects/LineRows.h"

#include <cmath>
#include <cstdlib>

namespace tav {

void LineRows::Add(int x0, int y0, int x1, int y1) {
    const int h = static_cast<int>(rows_.size());
    const int top = std::max(std::min(y0, y1), 0), bottom = std::min(std::max(y0, y1), h - 1);
    const int left = std::min(x0, x1), right = std::max(x0, x1);
    const double slack = y0 == y1 ? 0 : std::abs(static_cast<double>(x1 - x0) / (y1 - y0)) + 1;
    for (int y = top; y <= bottom; ++y) {
        int a = left, b = right;
        if (y0 != y1) {
            const double x = x0 + static_cast<double>(y - y0) * (x1 - x0) / (y1 - y0);
            a = std::max(left, static_cast<int>(std::floor(x - slack)));
            b = std::min(right, static_cast<int>(std::ceil(x + slack)));
        }
        rows_[static_cast<std::size_t>(y)].emplace_back(a, b);
        first_ = std::min(first_, y);
        last_ = std::max(last_, y);
    }
}

}  // namespace tav
