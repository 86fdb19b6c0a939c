#pragma once
// The drawing vocabulary every picture surface and transition effect is built on.
//
// Surfaces hold 32-bit pixels 0x00RRGGBB. Colours that come from stored settings
// are COLORREF values 0x00BBGGRR and are converted at this boundary.
//
// Every public operation clips once, at its entry, against the destination
// bitmap (and, for copies, against the source bitmap: source pixels outside it
// draw nothing and leave the destination as it was). A zero width or height
// draws nothing. The inner row helpers in Raster.cpp assume clipped arguments.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <utility>
#include <vector>

#include "base/Colour.h"
#include "platform/ChangedArea.h"

namespace tav {

// Raster operations, with the values the classic drawing API gave them.
enum class Rop : std::uint32_t {
    SrcCopy = 0x00CC0020,
    SrcAnd = 0x008800C6,
    SrcPaint = 0x00EE0086,
    NotSrcCopy = 0x00330008,
    DstInvert = 0x00550009,
};
constexpr Rop SRCCOPY = Rop::SrcCopy;
constexpr Rop SRCAND = Rop::SrcAnd;
constexpr Rop SRCPAINT = Rop::SrcPaint;
constexpr Rop NOTSRCCOPY = Rop::NotSrcCopy;
constexpr Rop DSTINVERT = Rop::DstInvert;

// Stretch modes. Only COLORONCOLOR (drop eliminated rows and columns) is
// implemented; the others are accepted and behave the same way.
constexpr int BLACKONWHITE = 1;
constexpr int COLORONCOLOR = 3;

class Bitmap {
public:
    Bitmap() = default;
    Bitmap(int width, int height, Pixel fill = 0);
    // A copy always owns its pixels, whatever memory the original draws into.
    Bitmap(const Bitmap& other);
    Bitmap& operator=(const Bitmap& other);
    Bitmap(Bitmap&& other) noexcept;
    Bitmap& operator=(Bitmap&& other) noexcept;

    int width() const { return width_; }
    int height() const { return height_; }
    bool empty() const { return width_ <= 0 || height_ <= 0; }

    Pixel* row(int y) { return data_ + static_cast<std::size_t>(y) * width_; }
    const Pixel* row(int y) const { return data_ + static_cast<std::size_t>(y) * width_; }
    Pixel pixel(int x, int y) const { return row(y)[x]; }
    void setPixel(int x, int y, Pixel p) { row(y)[x] = p; }
    std::span<Pixel> pixels() { return {data_, size()}; }
    std::span<const Pixel> pixels() const { return {data_, size()}; }

    void fill(Pixel p);
    // Changes the size; the contents become `fill` everywhere, in memory of its own.
    void resize(int width, int height, Pixel fill = 0);

    // Draws from now on into `memory` (width × height pixels, rows packed,
    // owned by the caller and outliving this use), such as an image the X
    // server reads; nullptr goes back to memory of its own. The contents are
    // whatever that memory holds: the caller moves them over first.
    void UseMemory(Pixel* memory);
    const Pixel* memory() const { return data_; }

    bool operator==(const Bitmap& other) const;

private:
    std::size_t size() const { return static_cast<std::size_t>(width_) * height_; }

    int width_ = 0;
    int height_ = 0;
    std::vector<Pixel> pixels_;
    Pixel* data_ = nullptr;  // pixels_.data(), or the memory given to UseMemory
};

using BitmapPtr = std::shared_ptr<Bitmap>;

// The header the classic GetObject call fills in for a bitmap (24 bytes).
struct BitmapHeader {
    std::int32_t bmType = 0;
    std::int32_t bmWidth = 0;
    std::int32_t bmHeight = 0;
    std::int32_t bmWidthBytes = 0;
    std::uint16_t bmPlanes = 0;
    std::uint16_t bmBitsPixel = 0;
    std::uint32_t bmBits = 0;
};
BitmapHeader GetObjectHeader(const Bitmap& bitmap);

struct Pen {
    Pixel color = 0x000000;
    bool null = false;
};

// A device context: the bitmap drawn on, plus the drawing attributes the
// operations below read. A new context holds a 1 × 1 bitmap, a black pen and a
// white brush, like a fresh memory context.
class DC {
public:
    DC();
    explicit DC(BitmapPtr bitmap);

    // Direct access to the pixels. When the context tracks what changes, this
    // counts the whole bitmap as changed; code that writes a few pixels itself
    // uses target() and MarkDirty() instead.
    Bitmap& bitmap() {
        if (trackDirty) dirty.add(0, 0, bitmap_->width(), bitmap_->height());
        return *bitmap_;
    }
    const Bitmap& bitmap() const { return *bitmap_; }
    // The pixels for drawing code that reports its own changes.
    Bitmap& target() { return *bitmap_; }
    const BitmapPtr& bitmapPtr() const { return bitmap_; }
    int width() const { return bitmap_->width(); }
    int height() const { return bitmap_->height(); }

    // Puts `bitmap` into the context and hands back the one that was there.
    BitmapPtr select(BitmapPtr bitmap);

    // The parts of the bitmap changed since the last TakeDirty(), kept only
    // when trackDirty is set (the display does, so a frame repaints only what
    // changed). They may reach past the bitmap: a reader clips them.
    bool trackDirty = false;
    ChangedArea dirty;
    ChangedArea TakeDirty() { return std::exchange(dirty, ChangedArea{}); }

    int stretchMode = BLACKONWHITE;
    Pen pen;
    Pixel brush = 0xFFFFFF;
    int posX = 0;
    int posY = 0;

private:
    BitmapPtr bitmap_;
};

// Records that the rectangle of `dc` changed (clipped by the caller or not).
inline void MarkDirty(DC& dc, int x, int y, int w, int h) {
    if (dc.trackDirty) dc.dirty.add(x, y, w, h);
}

std::unique_ptr<DC> CreateCompatibleDC(const DC* reference);
// A new bitmap of the given size, black, like a fresh compatible bitmap.
BitmapPtr CreateCompatibleBitmap(const DC& reference, int width, int height);
int SetStretchBltMode(DC& dc, int mode);

// Copies w × h pixels from (sx, sy) of `src` to (x, y) of `dst` with `rop`.
// `src` may be null for DSTINVERT; `src` may be `dst` itself (overlap is handled).
void BitBlt(DC& dst, int x, int y, int w, int h, const DC* src, int sx, int sy, Rop rop);
inline void BitBlt(DC& dst, int x, int y, int w, int h, const DC& src, int sx, int sy, Rop rop) {
    BitBlt(dst, x, y, w, h, &src, sx, sy, rop);
}

// Nearest-neighbour scaling: destination column i (0 <= i < |dw|) takes source
// column sx + (i * |sw|) / |dw|, rows likewise. A negative extent covers the
// pixels before its origin (x + dw ... x - 1) and mirrors when the signs of the
// source and destination extents differ.
void StretchBlt(DC& dst, int x, int y, int dw, int dh, const DC* src, int sx, int sy, int sw, int sh, Rop rop);
inline void StretchBlt(DC& dst, int x, int y, int dw, int dh, const DC& src, int sx, int sy, int sw, int sh, Rop rop) {
    StretchBlt(dst, x, y, dw, dh, &src, sx, sy, sw, sh, rop);
}

// Pixels owned elsewhere, such as a decoded picture, read through `mask`.
struct PixelView {
    const Pixel* pixels = nullptr;
    int width = 0;
    int height = 0;
    std::ptrdiff_t stride = 0;  // pixels from one row to the next
    Pixel mask = 0xFFFFFFFFu;
};
void StretchBlt(DC& dst, int x, int y, int dw, int dh, const PixelView& src, int sx, int sy, int sw, int sh, Rop rop);

// A SRCCOPY stretch of an sw × sh source that arrives a row at a time, such
// as a decoder's output: the pixels of
// StretchBlt(dst, x, y, dw, dh, whole, 0, 0, w, h, SRCCOPY) with the whole
// source, turned as `turn` says and read through `mask`, which is never held
// as a whole. Positive extents only; anything else draws nothing. Nothing
// else may draw on the destination while rows arrive.
//
// `turn` says how the rows as they arrive are shown: mirrored left to right,
// flipped top to bottom, then turned a quarter clockwise (a photo's
// orientation). The shown picture is sh × sw when turned.
struct RowTurn {
    bool mirror = false, flip = false, rotate90 = false;
};
struct StretchPlan;
class RowStretch {
public:
    RowStretch(DC& dst, int x, int y, int dw, int dh, int sw, int sh, Pixel mask = 0xFFFFFFFFu, RowTurn turn = {});
    ~RowStretch();
    RowStretch(const RowStretch&) = delete;
    RowStretch& operator=(const RowStretch&) = delete;

    // Source row r (sw pixels) draws everything made from it: destination
    // rows, or columns when the turn makes rows columns. Without a turn, rows
    // come in increasing order; turned, in any order. A row left out leaves
    // its part of the destination as it was.
    void Row(int r, const Pixel* pixels);

private:
    void TurnedRow(int r, const Pixel* pixels);

    Bitmap& target_;
    std::unique_ptr<StretchPlan> plan_;  // null when nothing is drawn
    int next_ = 0;                       // the next destination row to draw
    int sw_ = 0, sh_ = 0;
    Pixel mask_ = 0;
    RowTurn turn_;
};

// Stretches (and boxes) into one destination drawn together, row by row: each row of the
// destination is written once from left to right and each source is read along
// its rows, which is what the memory of a large frame serves fastest. The
// pixels are those of the same StretchBlt calls one after the other; the
// columns of a call that later calls draw over on every row are not drawn. A call
// that cannot be interleaved (another operation than SRCCOPY, or a source that
// is the destination) draws the calls before it and is then drawn by itself.
// Nothing else may draw on the destination or resize a source until Draw().
class StretchBatch {
public:
    explicit StretchBatch(DC& dst);
    ~StretchBatch();  // draws what is still pending
    StretchBatch(const StretchBatch&) = delete;
    StretchBatch& operator=(const StretchBatch&) = delete;

    void Add(int x, int y, int dw, int dh, const DC& src, int sx, int sy, int sw, int sh, Rop rop);
    // FillBox, drawn in its place among the stretches.
    void FillBox(double x1, double y1, double x2, double y2, Colorref color);
    void Draw();

private:
    DC& dst_;
    std::vector<StretchPlan> plans_;
};

void SelectStockWhitePen(DC& dc);
void MoveToEx(DC& dc, int x, int y);
// Draws from the current position to (x, y) with the pen; the end point is not drawn.
void LineTo(DC& dc, int x, int y);
// Fills the pixels whose centres lie inside the ellipse inscribed in the box, with the brush.
void Ellipse(DC& dc, int left, int top, int right, int bottom);

// The pixels Ellipse fills, row by row, for drawing code that needs to know
// them without drawing them all.
class EllipseSpans {
public:
    EllipseSpans(int left, int top, int right, int bottom);
    bool empty() const { return rx_ == 0 || ry_ == 0; }
    // The first and last column filled in row y, before clipping to a bitmap;
    // false when the row has none.
    bool Row(int y, int& xa, int& xb) const;
    const int firstRow, lastRow;  // no row outside these has any pixel

private:
    double cx_, cy_, rx_, ry_;
};

// The toolkit's filled box "Line (x1, y1)-(x2, y2), colour, BF": the corners are
// rounded half to even and both are inside the box.
void FillBox(DC& dc, double x1, double y1, double x2, double y2, Colorref color);
// Fills the whole bitmap of the context.
void FillAll(DC& dc, Pixel color);

// Rounds half to even, as every real value passed to a drawing call is.
int RoundEven(double v);

}  // namespace tav
