#pragma once
// Where lines drawn with LineTo may have set pixels, row by row, as a few
// spans of columns per row. A slanted line's box is mostly pixels it never
// touched: an effect that must redo what its lines changed can keep to these.

#include <algorithm>
#include <climits>
#include <utility>
#include <vector>

namespace tav {

class LineRows {
public:
    // Rows 0 to height - 1; lines are cut to them.
    explicit LineRows(int height) : rows_(static_cast<std::size_t>(std::max(height, 0))) {}

    // The line from (x0, y0) towards (x1, y1). In each row it crosses, a line
    // drawn step by step lies within |dx / dy| + 1 columns of the straight
    // line, and always within its box.
    void Add(int x0, int y0, int x1, int y1);

    // Calls f(y, a, b) for the columns [a, b] of each row's spans, those that
    // overlap or nearly touch joined, top to bottom, and forgets them.
    template <class F>
    void Take(F f) {
        for (int y = first_; y <= last_; ++y) {
            auto& spans = rows_[static_cast<std::size_t>(y)];
            std::sort(spans.begin(), spans.end());
            for (std::size_t i = 0; i < spans.size();) {
                auto [a, b] = spans[i];
                for (++i; i < spans.size() && spans[i].first <= b + kJoin; ++i) b = std::max(b, spans[i].second);
                f(y, a, b);
            }
            spans.clear();
        }
        first_ = INT_MAX;
        last_ = -1;
    }

private:
    static constexpr int kJoin = 16;  // columns between two spans that cost less done than split
    std::vector<std::vector<std::pair<int, int>>> rows_;
    int first_ = INT_MAX, last_ = -1;
};

}  // namespace tav
