#include "render/GifPalette.h"

#include <algorithm>
#include <climits>

namespace tav {

namespace {

constexpr int kBins = 32 * 32 * 32;

int Bin(Pixel p) { return ((p >> 19) & 31) << 10 | ((p >> 11) & 31) << 5 | ((p >> 3) & 31); }
int Channel(int bin, int c) { return (bin >> (10 - 5 * c)) & 31; }

struct Box {
    std::vector<int> bins;  // occupied bins
    long long count = 0;
    int longest = 0;  // channel with the widest range
    int range = 0;
};

void Measure(Box& box, const std::vector<long long>& counts) {
    int lo[3] = {31, 31, 31}, hi[3] = {0, 0, 0};
    box.count = 0;
    for (int b : box.bins) {
        box.count += counts[b];
        for (int c = 0; c < 3; ++c) lo[c] = std::min(lo[c], Channel(b, c)), hi[c] = std::max(hi[c], Channel(b, c));
    }
    box.range = -1;
    for (int c = 0; c < 3; ++c)
        if (hi[c] - lo[c] > box.range) box.range = hi[c] - lo[c], box.longest = c;
}

}  // namespace

GifPalette GifPalette::Build(const std::vector<const Bitmap*>& pictures) {
    std::vector<long long> counts(kBins, 0);
    for (const Bitmap* picture : pictures) {
        // A few hundred thousand pixels describe a picture's colours well enough.
        const std::size_t n = picture->pixels().size();
        const std::size_t step = std::max<std::size_t>(1, n / 250000);
        for (std::size_t i = 0; i < n; i += step) ++counts[Bin(picture->pixels()[i])];
    }
    std::vector<Box> boxes(1);
    for (int b = 0; b < kBins; ++b)
        if (counts[b]) boxes[0].bins.push_back(b);
    Measure(boxes[0], counts);
    // Median cut: the box with the most pixels over the widest range is split
    // at its median until there are 255 boxes or none can be split.
    while (boxes.size() < kTransparent) {
        Box* widest = nullptr;
        for (Box& box : boxes)
            if (box.range > 0 && (!widest || box.count * box.range > widest->count * widest->range)) widest = &box;
        if (!widest) break;
        const int c = widest->longest;
        std::sort(widest->bins.begin(), widest->bins.end(),
                  [c](int a, int b) { return Channel(a, c) < Channel(b, c); });
        long long half = 0;
        std::size_t cut = 0;
        while (cut + 1 < widest->bins.size() && (half += counts[widest->bins[cut]]) * 2 < widest->count) ++cut;
        cut = std::max<std::size_t>(cut, 1);
        // Never cut between two bins of the same value: the halves must not overlap.
        while (cut < widest->bins.size() && Channel(widest->bins[cut], c) == Channel(widest->bins[cut - 1], c)) ++cut;
        if (cut == widest->bins.size()) {
            cut = 1;
            while (Channel(widest->bins[cut], c) == Channel(widest->bins[0], c)) ++cut;
        }
        Box upper;
        upper.bins.assign(widest->bins.begin() + static_cast<std::ptrdiff_t>(cut), widest->bins.end());
        widest->bins.resize(cut);
        Measure(*widest, counts);
        Measure(upper, counts);
        boxes.push_back(std::move(upper));
    }

    GifPalette palette;
    int used = 0;
    for (const Box& box : boxes) {
        if (box.bins.empty()) continue;
        long long sum[3] = {0, 0, 0};
        for (int b : box.bins)
            for (int c = 0; c < 3; ++c) sum[c] += counts[b] * (Channel(b, c) * 8 + 4);
        std::uint32_t rgb = 0xFF000000u;
        for (int c = 0; c < 3; ++c)
            rgb |= static_cast<std::uint32_t>(box.count ? sum[c] / box.count : 0) << (16 - 8 * c);
        palette.entries_[used++] = rgb;
    }
    if (used == 0) palette.entries_[used++] = 0xFF000000u;
    palette.entries_[kTransparent] = 0;

    palette.nearest_.resize(kBins);
    for (int b = 0; b < kBins; ++b) {
        const int r = Channel(b, 0) * 8 + 4, g = Channel(b, 1) * 8 + 4, bl = Channel(b, 2) * 8 + 4;
        int best = 0, bestDistance = INT_MAX;
        for (int i = 0; i < used; ++i) {
            const std::uint32_t e = palette.entries_[i];
            const int dr = r - static_cast<int>((e >> 16) & 255), dg = g - static_cast<int>((e >> 8) & 255),
                      db = bl - static_cast<int>(e & 255);
            // Green counts most and blue least, roughly as the eye weighs them.
            const int d = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
            if (d < bestDistance) bestDistance = d, best = i;
        }
        palette.nearest_[b] = static_cast<std::uint8_t>(best);
    }
    return palette;
}

void GifPalette::Map(const Bitmap& frame, std::uint8_t* out, int stride) const {
    // clang-format off
    static constexpr int kBayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    // clang-format on
    for (int y = 0; y < frame.height(); ++y) {
        const Pixel* row = frame.row(y);
        std::uint8_t* o = out + static_cast<std::ptrdiff_t>(y) * stride;
        for (int x = 0; x < frame.width(); ++x) {
            const int d = kBayer[y & 3][x & 3] - 8;  // -8 ... 7: one bin of the lookup, spread over 4 x 4 pixels
            const Pixel p = row[x];
            const int r = std::clamp(static_cast<int>((p >> 16) & 255) + d, 0, 255);
            const int g = std::clamp(static_cast<int>((p >> 8) & 255) + d, 0, 255);
            const int b = std::clamp(static_cast<int>(p & 255) + d, 0, 255);
            o[x] = nearest_[(r >> 3) << 10 | (g >> 3) << 5 | (b >> 3)];
        }
    }
}

}  // namespace tav
