#include "platform/Raster.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <optional>
#include <utility>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace tav {

Bitmap::Bitmap(int width, int height, Pixel fill) { resize(width, height, fill); }

Bitmap::Bitmap(const Bitmap& other)
    : width_(other.width_),
      height_(other.height_),
      pixels_(other.data_, other.data_ + other.size()),
      data_(pixels_.data()) {}

Bitmap& Bitmap::operator=(const Bitmap& other) {
    if (this != &other) {
        pixels_.assign(other.data_, other.data_ + other.size());
        width_ = other.width_;
        height_ = other.height_;
        data_ = pixels_.data();
    }
    return *this;
}

Bitmap::Bitmap(Bitmap&& other) noexcept
    : width_(std::exchange(other.width_, 0)),
      height_(std::exchange(other.height_, 0)),
      pixels_(std::move(other.pixels_)),
      data_(std::exchange(other.data_, nullptr)) {
    other.pixels_.clear();
}

Bitmap& Bitmap::operator=(Bitmap&& other) noexcept {
    if (this != &other) {
        width_ = std::exchange(other.width_, 0);
        height_ = std::exchange(other.height_, 0);
        pixels_ = std::move(other.pixels_);
        other.pixels_.clear();
        data_ = std::exchange(other.data_, nullptr);
    }
    return *this;
}

bool Bitmap::operator==(const Bitmap& other) const {
    return width_ == other.width_ && height_ == other.height_ && std::equal(data_, data_ + size(), other.data_);
}

void Bitmap::fill(Pixel p) { std::fill(data_, data_ + size(), p); }

void Bitmap::resize(int width, int height, Pixel fill) {
    width_ = std::max(0, width);
    height_ = std::max(0, height);
    pixels_.assign(size(), fill);
    data_ = pixels_.data();
}

void Bitmap::UseMemory(Pixel* memory) {
    if (memory) {
        // The own pixels are let go: a full-screen display is 8 MB. (An
        // assignment of {} would keep them, as assign() keeps the capacity.)
        std::vector<Pixel>().swap(pixels_);
        data_ = memory;
    } else if (data_ != pixels_.data() || pixels_.size() != size()) {
        pixels_.assign(data_, data_ + size());
        data_ = pixels_.data();
    }
}

BitmapHeader GetObjectHeader(const Bitmap& bitmap) {
    BitmapHeader h;
    h.bmType = 0;
    h.bmWidth = bitmap.width();
    h.bmHeight = bitmap.height();
    h.bmWidthBytes = bitmap.width() * 4;
    h.bmPlanes = 1;
    h.bmBitsPixel = 32;
    h.bmBits = 0;
    return h;
}

DC::DC() : bitmap_(std::make_shared<Bitmap>(1, 1, 0)) {}
DC::DC(BitmapPtr bitmap) : bitmap_(bitmap ? std::move(bitmap) : std::make_shared<Bitmap>(1, 1, 0)) {}

BitmapPtr DC::select(BitmapPtr bitmap) {
    if (!bitmap) return nullptr;
    std::swap(bitmap_, bitmap);
    return bitmap;
}

std::unique_ptr<DC> CreateCompatibleDC(const DC*) { return std::make_unique<DC>(); }

BitmapPtr CreateCompatibleBitmap(const DC&, int width, int height) {
    return std::make_shared<Bitmap>(width, height, 0);
}

int SetStretchBltMode(DC& dc, int mode) {
    int old = dc.stretchMode;
    dc.stretchMode = mode;
    return old;
}

int RoundEven(double v) {
    // nearbyint honours the default rounding mode, which is round-half-even.
    double r = std::nearbyint(v);
    if (!(r > -2147483648.0)) return INT32_MIN;
    if (!(r < 2147483647.0)) return INT32_MAX;
    return static_cast<int>(r);
}

namespace {

// Row kernels. Callers must do clipping: `n` pixels are valid in both rows.
// The loops are plain so the compiler vectorises them. A caller whose rows
// follow one another without a gap passes them all as one long row.
void RowCopy(Pixel* d, const Pixel* s, std::size_t n) { std::memmove(d, s, n * 4); }
void RowAnd(Pixel* __restrict d, const Pixel* __restrict s, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) d[i] &= s[i];
}
void RowOr(Pixel* __restrict d, const Pixel* __restrict s, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) d[i] |= s[i];
}
void RowNotSrc(Pixel* __restrict d, const Pixel* __restrict s, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) d[i] = ~s[i] & 0x00FFFFFFu;
}
void RowInvertDst(Pixel* d, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) d[i] = ~d[i] & 0x00FFFFFFu;
}

void ApplyRow(Rop rop, Pixel* d, const Pixel* s, std::size_t n) {
    switch (rop) {
    case Rop::SrcCopy: RowCopy(d, s, n); break;
    case Rop::SrcAnd: RowAnd(d, s, n); break;
    case Rop::SrcPaint: RowOr(d, s, n); break;
    case Rop::NotSrcCopy: RowNotSrc(d, s, n); break;
    case Rop::DstInvert: RowInvertDst(d, n); break;
    }
}

bool NeedsSource(Rop rop) { return rop != Rop::DstInvert; }

// Intersects the span [a, a + n) with [0, limit) and moves `other` along.
bool ClipSpan(int& a, int& n, int limit, int& other) {
    if (a < 0) {
        other -= a;
        n += a;
        a = 0;
    }
    if (a + n > limit) n = limit - a;
    return n > 0;
}

}  // namespace

void BitBlt(DC& dst, int x, int y, int w, int h, const DC* src, int sx, int sy, Rop rop) {
    if (w <= 0 || h <= 0) return;
    Bitmap& db = dst.target();
    if (!NeedsSource(rop)) {
        int dummyX = 0, dummyY = 0;
        if (!ClipSpan(x, w, db.width(), dummyX) || !ClipSpan(y, h, db.height(), dummyY)) return;
        MarkDirty(dst, x, y, w, h);
        if (w == db.width()) {
            RowInvertDst(db.row(y), static_cast<std::size_t>(w) * h);
            return;
        }
        for (int r = 0; r < h; ++r) RowInvertDst(db.row(y + r) + x, w);
        return;
    }
    if (!src) return;
    const Bitmap& sb = src->bitmap();
    // Clip against the destination, then against the source, keeping both in step.
    if (!ClipSpan(x, w, db.width(), sx) || !ClipSpan(y, h, db.height(), sy)) return;
    if (!ClipSpan(sx, w, sb.width(), x) || !ClipSpan(sy, h, sb.height(), y)) return;
    MarkDirty(dst, x, y, w, h);

    // Rows that span both bitmaps from edge to edge follow one another without a
    // gap, so the whole block is one long row: one call instead of one per row.
    const bool block = w == db.width() && w == sb.width();
    const std::size_t area = static_cast<std::size_t>(w) * h;
    const bool same = &db == &sb;
    if (same && rop != Rop::SrcCopy) {
        // Overlapping reads and writes in one bitmap: read from a copy of the rows.
        std::vector<Pixel> tmp(area);
        if (block) {
            std::memcpy(tmp.data(), sb.row(sy), area * 4);
            ApplyRow(rop, db.row(y), tmp.data(), area);
            return;
        }
        for (int r = 0; r < h; ++r)
            std::memcpy(tmp.data() + static_cast<std::size_t>(r) * w, sb.row(sy + r) + sx, w * 4u);
        for (int r = 0; r < h; ++r) ApplyRow(rop, db.row(y + r) + x, tmp.data() + static_cast<std::size_t>(r) * w, w);
        return;
    }
    if (block) {
        // memmove copes with a block moved within its own bitmap.
        ApplyRow(rop, db.row(y), sb.row(sy), area);
        return;
    }
    if (same && y > sy) {
        for (int r = h - 1; r >= 0; --r) ApplyRow(rop, db.row(y + r) + x, sb.row(sy + r) + sx, w);
    } else {
        for (int r = 0; r < h; ++r) ApplyRow(rop, db.row(y + r) + x, sb.row(sy + r) + sx, w);
    }
}

namespace {

// Builds, for each destination index 0..|dn|-1 of an axis, the destination
// coordinate and the source coordinate, dropping pairs that fall outside
// either bitmap. Returns false when nothing is left.
struct AxisMap {
    int first = 0;         // first destination coordinate written
    std::vector<int> src;  // source coordinate per destination coordinate, -1 = none
};

bool MapAxis(int d, int dn, int s, int sn, int dlimit, int slimit, AxisMap& out) {
    if (dn == 0 || sn == 0) return false;
    const int adn = std::abs(dn);
    const int asn = std::abs(sn);
    // Covered destination pixels, in increasing order; a negative extent covers
    // the pixels just before its origin.
    const int dlo = dn > 0 ? d : d + dn;
    const int lo = std::max(dlo, 0);
    const int hi = std::min(dlo + adn, dlimit);
    if (lo >= hi) return false;
    out.first = lo;
    out.src.assign(hi - lo, -1);
    bool any = false;
    for (int p = lo; p < hi; ++p) {
        // i counts destination pixels away from the origin; the source is walked
        // away from its own origin, so opposite signs mirror.
        const long long i = dn > 0 ? p - d : (d - 1) - p;
        const long long off = i * asn / adn;
        const long long sc = sn > 0 ? s + off : (s - 1) - off;
        if (sc >= 0 && sc < slimit) {
            out.src[p - lo] = static_cast<int>(sc);
            any = true;
        }
    }
    return any;
}

}  // namespace

namespace {

// A stretch of destination columns with one way of reading the source: a run
// of consecutive source columns is one copy, a run of one repeated source
// column is one fill, anything else reads column by column through the table.
struct ColumnRun {
    enum Kind { Copy, Fill, Gather } kind;
    int start;  // first destination index, relative to the first column written
    int length;
    int source = 0;      // Copy, Fill: the source column of its first destination column
    int firstBlock = 0;  // Gather: its first entry in the shuffle table, if there is one
};

// Eight columns of a Gather run whose sources lie within sixteen neighbouring
// source columns: read with two loads and put in place by two permutes, which
// is most of a squeeze or a moderate enlargement. `base` is -1 for eight
// columns read through the table.
struct ShuffleBlock {
    std::int32_t lane[8];  // source column - base
    int base;
};

#if defined(__x86_64__)
bool HasAvx2() {
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}

__attribute__((target("avx2"))) void ShuffleColumns(Pixel* out, const Pixel* s, const int* index,
                                                    const ShuffleBlock* block, int blocks, Pixel mask) {
    const __m256i keep = _mm256_set1_epi32(static_cast<int>(mask));
    const __m256i seven = _mm256_set1_epi32(7);
    for (int k = 0; k < blocks; ++k, out += 8, index += 8) {
        const ShuffleBlock& b = block[k];
        if (b.base < 0) {
            for (int j = 0; j < 8; ++j) out[j] = s[index[j]] & mask;
            continue;
        }
        // The permute reads the low three bits of each lane: lanes 8 to 15 take
        // the second load.
        const __m256i lanes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(b.lane));
        const __m256i lo = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + b.base));
        const __m256i hi = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + b.base + 8));
        const __m256i v = _mm256_blendv_epi8(_mm256_permutevar8x32_epi32(lo, lanes),
                                             _mm256_permutevar8x32_epi32(hi, lanes), _mm256_cmpgt_epi32(lanes, seven));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), _mm256_and_si256(v, keep));
    }
}
#else
bool HasAvx2() { return false; }
void ShuffleColumns(Pixel*, const Pixel*, const int*, const ShuffleBlock*, int, Pixel) {}
#endif

// The shuffle table of every Gather run, for sources `width` columns wide; the
// sixteen columns a block loads must lie inside the row.
std::vector<ShuffleBlock> ShuffleTable(std::vector<ColumnRun>& runs, const std::vector<int>& src, int width) {
    std::vector<ShuffleBlock> table;
    for (ColumnRun& run : runs) {
        if (run.kind != ColumnRun::Gather) continue;
        run.firstBlock = static_cast<int>(table.size());
        for (int k = 0; k + 8 <= run.length; k += 8) {
            const int* index = src.data() + run.start + k;
            const auto [lo, hi] = std::minmax_element(index, index + 8);
            ShuffleBlock b{};
            b.base = *hi - *lo < 16 && *lo + 16 <= width ? *lo : -1;
            for (int j = 0; j < 8; ++j) b.lane[j] = index[j] - *lo;
            table.push_back(b);
        }
    }
    return table;
}

std::vector<ColumnRun> ColumnRuns(const std::vector<int>& src) {
    // Shorter runs than this are read through the table: a call costs more than it saves.
    constexpr int kMinRun = 16;
    std::vector<ColumnRun> runs;
    const int n = static_cast<int>(src.size());
    int i = 0;
    while (i < n) {
        if (src[i] < 0) {
            ++i;
            continue;
        }
        int j = i + 1;
        const int step = j < n && src[j] >= 0 ? src[j] - src[i] : 1;
        while (j < n && src[j] >= 0 && src[j] - src[j - 1] == step) ++j;
        if (j - i >= kMinRun && (step == 1 || step == 0)) {
            runs.push_back({step == 1 ? ColumnRun::Copy : ColumnRun::Fill, i, j - i, src[i]});
        } else {
            // The last column of a run may begin the next one, with another step;
            // the rest is read through the table.
            j = std::max(i + 1, j - 1);
            if (!runs.empty() && runs.back().kind == ColumnRun::Gather && runs.back().start + runs.back().length == i)
                runs.back().length += j - i;
            else
                runs.push_back({ColumnRun::Gather, i, j - i});
        }
        i = j;
    }
    return runs;
}

// Writes the source row `s` through the column table into `d` (both relative to
// the first column written), keeping only the bits of `mask`; only columns
// [a, b) when given. With a shuffle table, Gather runs go through it.
void StretchRow(Pixel* __restrict d, const Pixel* __restrict s, const std::vector<int>& src,
                const std::vector<ColumnRun>& runs, const std::vector<ShuffleBlock>& shuffles, Pixel mask, int a = 0,
                int b = INT_MAX) {
    for (const ColumnRun& run : runs) {
        const int lo = std::max(a, run.start), hi = std::min(b, run.start + run.length);
        if (lo >= hi) continue;
        Pixel* out = d + lo;
        const std::size_t n = static_cast<std::size_t>(hi - lo);
        switch (run.kind) {
        case ColumnRun::Copy: {
            const Pixel* in = s + run.source + (lo - run.start);
            if (mask == 0xFFFFFFFFu) {
                std::memcpy(out, in, n * 4);
            } else {
                for (std::size_t k = 0; k < n; ++k) out[k] = in[k] & mask;
            }
            break;
        }
        case ColumnRun::Fill: std::fill(out, out + n, s[run.source] & mask); break;
        case ColumnRun::Gather: {
            // The table's blocks begin every eight columns from the run's start;
            // the columns before the first whole block in [lo, hi) and after the
            // last are read one by one.
            int k = lo;
            if (!shuffles.empty()) {
                const int m0 = (lo - run.start + 7) / 8, m1 = std::min((hi - run.start) / 8, run.length / 8);
                if (m0 < m1) {
                    for (; k < run.start + 8 * m0; ++k) d[k] = s[src[static_cast<std::size_t>(k)]] & mask;
                    ShuffleColumns(d + k, s, src.data() + k, shuffles.data() + run.firstBlock + m0, m1 - m0, mask);
                    k = run.start + 8 * m1;
                }
            }
            for (; k < hi; ++k) d[k] = s[src[static_cast<std::size_t>(k)]] & mask;
            break;
        }
        }
    }
}

}  // namespace

// One stretch, worked out once per call and then drawn row by row: by itself,
// or together with other stretches into the same destination.
struct StretchPlan {
    // `reuseRows`: a destination row made from the same source row as the one
    // before is a copy of that row, which holds only when no other stretch
    // draws between the two rows.
    StretchPlan(const PixelView& from, Rop rop, bool reuseRows) : from(from), rop(rop), reuseRows(reuseRows) {}
    // A box filled with one colour, in the batch's order with the stretches.
    StretchPlan(int left, int top, int right, int bottom, Pixel colour) : rop(SRCCOPY), reuseRows(false), fill(colour) {
        cols.first = left;
        columns = right - left;
        rows.first = top;
        rows.src.assign(static_cast<std::size_t>(bottom - top), 0);
        spans.emplace_back(0, right - left);
    }

    PixelView from;
    Rop rop;
    bool reuseRows;
    std::optional<Pixel> fill;
    AxisMap cols, rows;
    int columns = 0;  // destination columns from cols.first on
    std::vector<ColumnRun> runs;
    std::vector<ShuffleBlock> shuffles;
    std::vector<std::pair<int, int>> spans;  // the destination columns written, as spans without gaps
    std::vector<Pixel> line;                 // a source row read through the table, for the other operations
    int lastRow = -1;                        // the source row read last
    const Pixel* lastOut = nullptr;          // where SRCCOPY wrote it

    // False when the stretch draws nothing.
    bool Make(const Bitmap& db, int x, int y, int dw, int dh, int sx, int sy, int sw, int sh) {
        if (!MapAxis(x, dw, sx, sw, db.width(), from.width, cols)) return false;
        if (!MapAxis(y, dh, sy, sh, db.height(), from.height, rows)) return false;
        columns = static_cast<int>(cols.src.size());
        // The column table is read once per call; each row then only follows it.
        runs = ColumnRuns(cols.src);
        if (HasAvx2()) shuffles = ShuffleTable(runs, cols.src, from.width);
        for (const ColumnRun& run : runs) {
            if (!spans.empty() && spans.back().first + spans.back().second == run.start)
                spans.back().second += run.length;
            else
                spans.emplace_back(run.start, run.length);
        }
        if (rop != Rop::SrcCopy) line.resize(cols.src.size());
        return true;
    }
    // Lets go of the column table when no run reads through it: a batch
    // keeps all its plans until it draws, and a thin strip's table is as
    // long as the destination is wide.
    void DropCopiedColumns() {
        if (std::none_of(runs.begin(), runs.end(), [](const ColumnRun& r) { return r.kind == ColumnRun::Gather; }))
            std::vector<int>().swap(cols.src);
    }
    // Whether every destination row of the stretch is drawn: its source row
    // lies inside the source.
    bool EveryRow() const { return std::find(rows.src.begin(), rows.src.end(), -1) == rows.src.end(); }
    int firstRow() const { return rows.first; }
    int endRow() const { return rows.first + static_cast<int>(rows.src.size()); }
    void MarkDirty(DC& dst) const {
        tav::MarkDirty(dst, cols.first, rows.first, columns, static_cast<int>(rows.src.size()));
    }

    // Draws destination row `y`, one of firstRow() ... endRow() - 1.
    void DrawRow(Bitmap& db, int y) {
        if (fill) {
            std::fill_n(db.row(y) + cols.first, columns, *fill);
            return;
        }
        const int srow = rows.src[static_cast<std::size_t>(y - rows.first)];
        if (srow < 0) return;
        DrawRowFrom(db, y, srow, from.pixels + static_cast<std::ptrdiff_t>(srow) * from.stride);
    }

    // Draws columns [x0, x1) of destination row `y` of a SRCCOPY stretch.
    void DrawRowPart(Bitmap& db, int y, int x0, int x1) const {
        const int srow = rows.src[static_cast<std::size_t>(y - rows.first)];
        if (srow < 0) return;
        StretchRow(db.row(y) + cols.first, from.pixels + static_cast<std::ptrdiff_t>(srow) * from.stride, cols.src,
                   runs, shuffles, from.mask, x0 - cols.first, x1 - cols.first);
    }

    // Draws destination row `y` from source row `srow`, whose pixels are `s`.
    void DrawRowFrom(Bitmap& db, int y, int srow, const Pixel* s) {
        Pixel* d = db.row(y) + cols.first;
        if (rop == Rop::SrcCopy) {
            if (reuseRows && srow == lastRow) {
                for (const auto& [start, length] : spans)
                    std::memcpy(d + start, lastOut + start, static_cast<std::size_t>(length) * 4);
            } else {
                StretchRow(d, s, cols.src, runs, shuffles, from.mask);
            }
            lastOut = d;
        } else {
            if (srow != lastRow) StretchRow(line.data(), s, cols.src, runs, shuffles, from.mask);
            for (const auto& [start, length] : spans) ApplyRow(rop, d + start, line.data() + start, length);
        }
        lastRow = srow;
    }
};

namespace {

void StretchRows(DC& dst, int x, int y, int dw, int dh, const PixelView& from, int sx, int sy, int sw, int sh,
                 Rop rop) {
    Bitmap& db = dst.target();
    StretchPlan plan(from, rop, true);
    if (!plan.Make(db, x, y, dw, dh, sx, sy, sw, sh)) return;
    plan.MarkDirty(dst);
    for (int r = plan.firstRow(); r < plan.endRow(); ++r) plan.DrawRow(db, r);
}

}  // namespace

void StretchBlt(DC& dst, int x, int y, int dw, int dh, const DC* src, int sx, int sy, int sw, int sh, Rop rop) {
    if (dw == 0 || dh == 0 || sw == 0 || sh == 0) return;
    if (std::abs(dw) == std::abs(sw) && std::abs(dh) == std::abs(sh) && dw > 0 && dh > 0 && sw > 0 && sh > 0) {
        BitBlt(dst, x, y, dw, dh, src, sx, sy, rop);
        return;
    }
    Bitmap& db = dst.target();
    if (!NeedsSource(rop)) {
        // The source only decides which destination pixels are touched; without one, all are.
        int lx = dw > 0 ? x : x + dw, ly = dh > 0 ? y : y + dh;
        BitBlt(dst, lx, ly, std::abs(dw), std::abs(dh), nullptr, 0, 0, rop);
        return;
    }
    if (!src) return;
    const Bitmap& sb = src->bitmap();
    if (&db == &sb) {
        // Reading and writing one bitmap: read from a copy.
        const Bitmap copy = sb;
        StretchRows(dst, x, y, dw, dh, PixelView{copy.pixels().data(), copy.width(), copy.height(), copy.width()}, sx,
                    sy, sw, sh, rop);
        return;
    }
    StretchRows(dst, x, y, dw, dh, PixelView{sb.pixels().data(), sb.width(), sb.height(), sb.width()}, sx, sy, sw, sh,
                rop);
}

void StretchBlt(DC& dst, int x, int y, int dw, int dh, const PixelView& src, int sx, int sy, int sw, int sh, Rop rop) {
    if (dw == 0 || dh == 0 || sw == 0 || sh == 0 || !src.pixels) return;
    StretchRows(dst, x, y, dw, dh, src, sx, sy, sw, sh, rop);
}

RowStretch::RowStretch(DC& dst, int x, int y, int dw, int dh, int sw, int sh, Pixel mask, RowTurn turn)
    : target_(dst.target()), sw_(sw), sh_(sh), mask_(mask), turn_(turn) {
    const int w = turn.rotate90 ? sh : sw, h = turn.rotate90 ? sw : sh;
    plan_ = std::make_unique<StretchPlan>(PixelView{nullptr, w, h, w, mask}, Rop::SrcCopy, true);
    if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0 || !plan_->Make(target_, x, y, dw, dh, 0, 0, w, h)) {
        plan_.reset();
        return;
    }
    plan_->MarkDirty(dst);
    next_ = plan_->firstRow();
}

RowStretch::~RowStretch() = default;

void RowStretch::Row(int r, const Pixel* pixels) {
    if (!plan_ || r < 0 || r >= sh_) return;
    if (turn_.mirror || turn_.flip || turn_.rotate90) {
        TurnedRow(r, pixels);
        return;
    }
    // With positive extents the destination rows take their source rows in
    // increasing order: those of the rows before r are behind already.
    const int end = plan_->endRow();
    while (next_ < end && plan_->rows.src[static_cast<std::size_t>(next_ - plan_->firstRow())] < r) ++next_;
    while (next_ < end && plan_->rows.src[static_cast<std::size_t>(next_ - plan_->firstRow())] == r)
        plan_->DrawRowFrom(target_, next_++, r, pixels);
}

void RowStretch::TurnedRow(int r, const Pixel* pixels) {
    // Pixel (nx, ny) of the shown picture is pixel (sx, sy) of the rows as
    // they arrive: unturned, ix = nx and iy = ny; turned a quarter clockwise,
    // ix = ny and iy = sh - 1 - nx; then sx and sy are ix and iy, mirrored
    // and flipped where the turn says.
    const std::vector<int>& cols = plan_->cols.src;
    const std::vector<int>& rows = plan_->rows.src;
    const int iy = turn_.flip ? sh_ - 1 - r : r;
    const auto sourceColumn = [&](int i) { return turn_.mirror ? sw_ - 1 - i : i; };
    if (!turn_.rotate90) {
        // The row is shown row ny = iy: the destination rows made from it.
        const auto [lo, hi] = std::equal_range(rows.begin(), rows.end(), iy);
        for (auto j = lo; j != hi; ++j) {
            Pixel* d = target_.row(plan_->rows.first + static_cast<int>(j - rows.begin())) + plan_->cols.first;
            for (std::size_t i = 0; i < cols.size(); ++i)
                if (cols[i] >= 0) d[i] = pixels[sourceColumn(cols[i])] & mask_;
        }
        return;
    }
    // The row is shown as column nx = sh - 1 - iy: the destination columns
    // made from it, each down every destination row.
    const auto [lo, hi] = std::equal_range(cols.begin(), cols.end(), sh_ - 1 - iy);
    if (lo == hi) return;
    const int x0 = plan_->cols.first + static_cast<int>(lo - cols.begin());
    const int x1 = plan_->cols.first + static_cast<int>(hi - cols.begin());
    for (std::size_t j = 0; j < rows.size(); ++j) {
        if (rows[j] < 0) continue;
        const Pixel p = pixels[sourceColumn(rows[j])] & mask_;
        Pixel* d = target_.row(plan_->rows.first + static_cast<int>(j));
        std::fill(d + x0, d + x1, p);
    }
}

namespace {

// Columns [first, second) of the destination, apart and in order.
using ColumnSpans = std::vector<std::pair<int, int>>;

// What a band draws: a whole stretch (x0 < 0), or columns [x0, x1) of a
// stretch or a box.
struct Piece {
    std::size_t order;  // the call's place among the band's
    int x0, x1;
};

// The parts of columns [a, b) outside `covered`, as pieces of one call.
void Uncovered(const ColumnSpans& covered, int a, int b, std::vector<Piece>& out) {
    // The spans are sorted and apart: the search starts at the first that ends past a.
    const auto from = std::upper_bound(covered.begin(), covered.end(), a,
                                       [](int x, const std::pair<int, int>& s) { return x < s.second; });
    for (const auto& [c0, c1] : std::span(from, covered.end())) {
        if (c0 >= b) break;
        if (c0 > a) out.push_back({0, a, c0});
        a = std::max(a, c1);
    }
    if (a < b) out.push_back({0, a, b});
}

void Cover(ColumnSpans& covered, const StretchPlan& plan) {
    for (const auto& [start, length] : plan.spans) {
        int a = plan.cols.first + start, b = a + length;
        // Spans that touch or overlap the new one join it.
        auto first = std::lower_bound(covered.begin(), covered.end(), a,
                                      [](const std::pair<int, int>& s, int x) { return s.second < x; });
        auto last = first;
        while (last != covered.end() && last->first <= b) {
            a = std::min(a, last->first);
            b = std::max(b, last->second);
            ++last;
        }
        covered.insert(covered.erase(first, last), {a, b});
    }
}

}  // namespace

StretchBatch::StretchBatch(DC& dst) : dst_(dst) {}

StretchBatch::~StretchBatch() { Draw(); }

void StretchBatch::Add(int x, int y, int dw, int dh, const DC& src, int sx, int sy, int sw, int sh, Rop rop) {
    if (dw == 0 || dh == 0 || sw == 0 || sh == 0) return;
    const Bitmap& sb = src.bitmap();
    if (rop != Rop::SrcCopy || &sb == &dst_.target()) {
        Draw();
        StretchBlt(dst_, x, y, dw, dh, src, sx, sy, sw, sh, rop);
        return;
    }
    StretchPlan plan(PixelView{sb.pixels().data(), sb.width(), sb.height(), sb.width()}, rop, false);
    if (!plan.Make(dst_.target(), x, y, dw, dh, sx, sy, sw, sh)) return;
    plan.DropCopiedColumns();
    plans_.push_back(std::move(plan));
}

void StretchBatch::Draw() {
    if (plans_.empty()) return;
    Bitmap& db = dst_.target();
    // Between two rows where a stretch begins or ends, the same stretches
    // draw every row, in the order they were added.
    std::vector<int> edges;
    for (const StretchPlan& plan : plans_) {
        plan.MarkDirty(dst_);
        edges.push_back(plan.firstRow());
        edges.push_back(plan.endRow());
    }
    std::sort(edges.begin(), edges.end());
    edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
    std::vector<char> everyRow;
    for (const StretchPlan& plan : plans_) everyRow.push_back(plan.EveryRow());
    // The calls drawing in the band at hand, in their order: each band takes
    // those that begin at its first row and drops those that ended, so a
    // frame of many thin stretches is not searched whole for every band.
    std::vector<std::size_t> byStart(plans_.size());
    for (std::size_t i = 0; i < byStart.size(); ++i) byStart[i] = i;
    std::stable_sort(byStart.begin(), byStart.end(),
                     [&](std::size_t a, std::size_t b) { return plans_[a].firstRow() < plans_[b].firstRow(); });
    std::size_t started = 0;
    std::vector<StretchPlan*> drawing;
    ColumnSpans covered;  // what the calls after the one at hand write on every row of the band
    std::vector<Piece> pieces;
    for (std::size_t e = 0; e + 1 < edges.size(); ++e) {
        std::erase_if(drawing, [&](const StretchPlan* plan) { return plan->endRow() <= edges[e]; });
        for (; started < byStart.size() && plans_[byStart[started]].firstRow() <= edges[e]; ++started) {
            StretchPlan* plan = &plans_[byStart[started]];
            drawing.insert(std::upper_bound(drawing.begin(), drawing.end(), plan), plan);
        }
        // Columns that later calls write on every row of the band are drawn
        // over at once: a stretch or a box draws only its other columns, and
        // nothing when there are none. That saves their reads and writes and
        // leaves the frame as it was: stretches only write, so what a later
        // one writes does not depend on what lies under it.
        covered.clear();
        pieces.clear();
        for (std::size_t i = drawing.size(); i-- > 0;) {
            StretchPlan& plan = *drawing[i];
            const std::size_t first = pieces.size();
            int open = 0, written = 0;
            if (plan.fill) {
                Uncovered(covered, plan.cols.first, plan.cols.first + plan.columns, pieces);
            } else {
                for (const auto& [start, length] : plan.spans) {
                    Uncovered(covered, plan.cols.first + start, plan.cols.first + start + length, pieces);
                    written += length;
                }
                for (std::size_t k = first; k < pieces.size(); ++k) open += pieces[k].x1 - pieces[k].x0;
                // Nothing of it covered: drawn whole, the quicker way.
                if (open == written) pieces.resize(first), pieces.push_back({0, -1, -1});
            }
            for (std::size_t k = first; k < pieces.size(); ++k) pieces[k].order = i;
            if (everyRow[static_cast<std::size_t>(&plan - plans_.data())]) Cover(covered, plan);
        }
        // Back into the order of the calls.
        std::reverse(pieces.begin(), pieces.end());
        for (int y = edges[e]; y < edges[e + 1]; ++y)
            for (const Piece& piece : pieces) {
                StretchPlan& plan = *drawing[piece.order];
                if (piece.x0 < 0)
                    plan.DrawRow(db, y);
                else if (plan.fill)
                    std::fill(db.row(y) + piece.x0, db.row(y) + piece.x1, *plan.fill);
                else
                    plan.DrawRowPart(db, y, piece.x0, piece.x1);
            }
    }
    plans_.clear();
}

void SelectStockWhitePen(DC& dc) { dc.pen = Pen{0xFFFFFF, false}; }

void MoveToEx(DC& dc, int x, int y) {
    dc.posX = x;
    dc.posY = y;
}

void LineTo(DC& dc, int x1, int y1) {
    int x = dc.posX, y = dc.posY;
    dc.posX = x1;
    dc.posY = y1;
    if (dc.pen.null) return;
    MarkDirty(dc, std::min(x, x1), std::min(y, y1), std::abs(x1 - x) + 1, std::abs(y1 - y) + 1);
    Bitmap& b = dc.target();
    const int dx = std::abs(x1 - x), sxs = x < x1 ? 1 : -1;
    const int dy = -std::abs(y1 - y), sys = y < y1 ? 1 : -1;
    int err = dx + dy;
    while (x != x1 || y != y1) {
        if (x >= 0 && y >= 0 && x < b.width() && y < b.height()) b.setPixel(x, y, dc.pen.color);
        int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sxs;
        }
        if (e2 <= dx) {
            err += dx;
            y += sys;
        }
    }
}

EllipseSpans::EllipseSpans(int left, int top, int right, int bottom)
    : firstRow(std::min(top, bottom)),
      lastRow(std::max(top, bottom)),
      cx_((left + right) / 2.0),
      cy_((top + bottom) / 2.0),
      rx_((right - left) / 2.0),
      ry_((bottom - top) / 2.0) {}

bool EllipseSpans::Row(int y, int& xa, int& xb) const {
    if (rx_ == 0 || ry_ == 0) return false;
    const double v = (y + 0.5 - cy_) / ry_;
    const double rest = 1.0 - v * v;
    if (rest < 0) return false;
    // Solve ((x + 0.5 - cx) / rx)^2 <= rest for x, then confirm the edges exactly.
    const double half = std::abs(rx_) * std::sqrt(rest);
    xa = static_cast<int>(std::floor(cx_ - half - 0.5)) - 1;
    xb = static_cast<int>(std::ceil(cx_ + half - 0.5)) + 1;
    auto inside = [&](int x) {
        const double u = (x + 0.5 - cx_) / rx_;
        return u * u + v * v <= 1.0;
    };
    while (xa <= xb && !inside(xa)) ++xa;
    while (xb >= xa && !inside(xb)) --xb;
    return xa <= xb;
}

void Ellipse(DC& dc, int left, int top, int right, int bottom) {
    const EllipseSpans spans(left, top, right, bottom);
    if (spans.empty()) return;
    Bitmap& b = dc.target();
    const int y0 = std::max(0, spans.firstRow);
    const int y1 = std::min(b.height() - 1, spans.lastRow);
    MarkDirty(dc, std::min(left, right), y0, std::abs(right - left) + 1, y1 - y0 + 1);
    for (int y = y0; y <= y1; ++y) {
        int xa = 0, xb = 0;
        if (!spans.Row(y, xa, xb)) continue;
        xa = std::max(xa, 0);
        xb = std::min(xb, b.width() - 1);
        Pixel* row = b.row(y);
        for (int x = xa; x <= xb; ++x) row[x] = dc.brush;
    }
}

namespace {

// The pixels of the box with the real corners (x1, y1) and (x2, y2), both
// inside, as the half-open rectangle [ax, bx) × [ay, by) clipped to `b`;
// false when none is left.
bool BoxPixels(const Bitmap& b, double x1, double y1, double x2, double y2, int& ax, int& ay, int& bx, int& by) {
    ax = RoundEven(x1), ay = RoundEven(y1), bx = RoundEven(x2), by = RoundEven(y2);
    if (ax > bx) std::swap(ax, bx);
    if (ay > by) std::swap(ay, by);
    ax = std::max(ax, 0);
    ay = std::max(ay, 0);
    bx = std::min(bx, b.width() - 1) + 1;
    by = std::min(by, b.height() - 1) + 1;
    return ax < bx && ay < by;
}

}  // namespace

void FillBox(DC& dc, double x1, double y1, double x2, double y2, Colorref color) {
    Bitmap& b = dc.target();
    int ax, ay, bx, by;
    if (!BoxPixels(b, x1, y1, x2, y2, ax, ay, bx, by)) return;
    const Pixel p = ColorrefToPixel(color);
    MarkDirty(dc, ax, ay, bx - ax, by - ay);
    for (int y = ay; y < by; ++y) std::fill(b.row(y) + ax, b.row(y) + bx, p);
}

void StretchBatch::FillBox(double x1, double y1, double x2, double y2, Colorref color) {
    int ax, ay, bx, by;
    if (BoxPixels(dst_.target(), x1, y1, x2, y2, ax, ay, bx, by))
        plans_.emplace_back(ax, ay, bx, by, ColorrefToPixel(color));
}

void FillAll(DC& dc, Pixel color) { dc.bitmap().fill(color); }

}  // namespace tav
