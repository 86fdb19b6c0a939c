#include <gtest/gtest.h>

#include <malloc.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <span>
#include <string>
#include <tuple>
#include <type_traits>
#include <vector>

#include "platform/Raster.h"
#include "support/effect_harness.h"

namespace tav {
namespace {

// Builds a bitmap from rows of single-character pixel names; '.' is 0.
Bitmap Pic(const std::vector<std::string>& rows) {
    Bitmap b(static_cast<int>(rows[0].size()), static_cast<int>(rows.size()));
    for (int y = 0; y < b.height(); ++y)
        for (int x = 0; x < b.width(); ++x) b.setPixel(x, y, rows[y][x] == '.' ? 0 : static_cast<Pixel>(rows[y][x]));
    return b;
}

std::vector<std::string> Rows(const Bitmap& b) {
    std::vector<std::string> out(b.height(), std::string(b.width(), '?'));
    for (int y = 0; y < b.height(); ++y)
        for (int x = 0; x < b.width(); ++x) {
            Pixel p = b.pixel(x, y);
            out[y][x] = p == 0 ? '.' : (p < 128 ? static_cast<char>(p) : '#');
        }
    return out;
}

::testing::AssertionResult Looks(const Bitmap& b, const std::vector<std::string>& expected) {
    auto got = Rows(b);
    if (got == expected) return ::testing::AssertionSuccess();
    auto f = ::testing::AssertionFailure();
    for (std::size_t y = 0; y < std::max(got.size(), expected.size()); ++y)
        f << "\n  row " << y << ": got " << (y < got.size() ? got[y] : "-") << "  want "
          << (y < expected.size() ? expected[y] : "-");
    return f;
}

DC Ctx(const Bitmap& b) { return DC(std::make_shared<Bitmap>(b)); }

TEST(RasterBitBlt, RasterOperationsCombineSourceAndDestination) {
    const Pixel d = 0x00F00F0F, s = 0x00F0F00F;
    struct Case {
        Rop rop;
        Pixel expected;
    } cases[] = {
        {SRCCOPY, s}, {SRCAND, s & d}, {SRCPAINT, s | d}, {NOTSRCCOPY, ~s & 0x00FFFFFFu}, {DSTINVERT, ~d & 0x00FFFFFFu},
    };
    for (const auto& c : cases) {
        DC dst = Ctx(Bitmap(3, 2, d));
        DC src = Ctx(Bitmap(3, 2, s));
        BitBlt(dst, 1, 0, 1, 1, src, 0, 0, c.rop);
        EXPECT_EQ(dst.bitmap().pixel(1, 0), c.expected) << "rop " << std::hex << static_cast<unsigned>(c.rop);
        EXPECT_EQ(dst.bitmap().pixel(0, 0), d) << "outside the rectangle";
        EXPECT_EQ(dst.bitmap().pixel(1, 1), d) << "outside the rectangle";
    }
}

TEST(RasterBitBlt, ClipsAtEveryEdgeOfDestinationAndSource) {
    const Bitmap src = Pic({"abc", "def", "ghi"});
    struct Case {
        int x, y, w, h, sx, sy;
        std::vector<std::string> want;
    } cases[] = {
        {-1, -1, 3, 3, 0, 0, {"ef..", "hi..", "....", "...."}}, {2, 2, 3, 3, 0, 0, {"....", "....", "..ab", "..de"}},
        {0, 0, 4, 4, -1, -1, {"....", ".abc", ".def", ".ghi"}}, {0, 0, 4, 1, 1, 2, {"hi..", "....", "....", "...."}},
        {0, 0, 0, 3, 0, 0, {"....", "....", "....", "...."}},   {0, 0, 3, -2, 0, 0, {"....", "....", "....", "...."}},
    };
    for (const auto& c : cases) {
        DC dst = Ctx(Bitmap(4, 4));
        BitBlt(dst, c.x, c.y, c.w, c.h, Ctx(src), c.sx, c.sy, SRCCOPY);
        EXPECT_TRUE(Looks(dst.bitmap(), c.want)) << "at " << c.x << "," << c.y << " from " << c.sx << "," << c.sy;
    }
}

TEST(RasterBitBlt, OverlappingCopyWithinOneBitmapActsAsIfThroughACopy) {
    DC dc = Ctx(Pic({"abcd", "efgh", "ijkl"}));
    BitBlt(dc, 1, 1, 3, 2, &dc, 0, 0, SRCCOPY);
    EXPECT_TRUE(Looks(dc.bitmap(), {"abcd", "eabc", "iefg"}));
    DC dc2 = Ctx(Pic({"abcd", "efgh", "ijkl"}));
    BitBlt(dc2, 0, 0, 3, 2, &dc2, 1, 1, SRCPAINT);
    EXPECT_EQ(dc2.bitmap().pixel(0, 0), static_cast<Pixel>('a' | 'f'));
    EXPECT_EQ(dc2.bitmap().pixel(0, 1), static_cast<Pixel>('e' | 'j'));
    // Rows from edge to edge are copied as one block, down and up.
    DC down = Ctx(Pic({"abcd", "efgh", "ijkl"}));
    BitBlt(down, 0, 1, 4, 2, &down, 0, 0, SRCCOPY);
    EXPECT_TRUE(Looks(down.bitmap(), {"abcd", "abcd", "efgh"}));
    DC up = Ctx(Pic({"abcd", "efgh", "ijkl"}));
    BitBlt(up, 0, 0, 4, 2, &up, 0, 1, SRCPAINT);
    EXPECT_EQ(up.bitmap().pixel(3, 0), static_cast<Pixel>('d' | 'h'));
    EXPECT_EQ(up.bitmap().pixel(0, 1), static_cast<Pixel>('e' | 'i'));
    EXPECT_EQ(up.bitmap().pixel(0, 2), static_cast<Pixel>('i'));
}

TEST(RasterStretchBlt, NearestNeighbourShrinkEnlargeAndMirror) {
    const Bitmap src = Pic({"abcd", "efgh"});
    struct Case {
        const char* name;
        int x, y, dw, dh, sx, sy, sw, sh;
        std::vector<std::string> want;
    } cases[] = {
        {"shrink", 0, 0, 2, 1, 0, 0, 4, 2, {"ac....", "......", "......"}},
        {"enlarge", 0, 0, 6, 3, 0, 0, 4, 2, {"aabccd", "aabccd", "eefggh"}},
        {"mirror x", 4, 0, -4, 2, 0, 0, 4, 2, {"dcba..", "hgfe..", "......"}},
        {"mirror y", 0, 2, 4, -2, 0, 0, 4, 2, {"efgh..", "abcd..", "......"}},
        {"mirror source", 0, 0, 4, 1, 4, 0, -4, 1, {"dcba..", "......", "......"}},
        {"clipped left", -2, 0, 4, 1, 0, 0, 4, 1, {"cd....", "......", "......"}},
        {"clipped right", 4, 0, 4, 1, 0, 0, 4, 1, {"....ab", "......", "......"}},
        {"source partly outside", 0, 0, 6, 1, 2, 0, 3, 1, {"ccdd..", "......", "......"}},
        {"source above", 0, 0, 2, 3, 0, -1, 1, 3, {"......", "aa....", "ee...."}},
        {"zero source", 0, 0, 2, 2, 0, 0, 0, 2, {"......", "......", "......"}},
    };
    for (const auto& c : cases) {
        DC dst = Ctx(Bitmap(6, 3));
        StretchBlt(dst, c.x, c.y, c.dw, c.dh, Ctx(src), c.sx, c.sy, c.sw, c.sh, SRCCOPY);
        EXPECT_TRUE(Looks(dst.bitmap(), c.want)) << c.name;
    }
}

// The stretch rule pixel by pixel: destination column i (counted away from the
// origin) takes source column i * |sw| / |dw| counted away from the source
// origin, rows likewise; pixels outside either bitmap are left alone.
void ReferenceStretch(Bitmap& d, int x, int y, int dw, int dh, const Bitmap& s, int sx, int sy, int sw, int sh, Rop rop,
                      Pixel mask) {
    for (int j = 0; j < std::abs(dh); ++j)
        for (int i = 0; i < std::abs(dw); ++i) {
            const int px = dw > 0 ? x + i : x - 1 - i, py = dh > 0 ? y + j : y - 1 - j;
            const int ox = static_cast<int>(static_cast<long long>(i) * std::abs(sw) / std::abs(dw));
            const int oy = static_cast<int>(static_cast<long long>(j) * std::abs(sh) / std::abs(dh));
            const int qx = sw > 0 ? sx + ox : sx - 1 - ox, qy = sh > 0 ? sy + oy : sy - 1 - oy;
            if (px < 0 || py < 0 || px >= d.width() || py >= d.height()) continue;
            if (qx < 0 || qy < 0 || qx >= s.width() || qy >= s.height()) continue;
            const Pixel v = s.pixel(qx, qy) & mask;
            Pixel& out = d.row(py)[px];
            out = rop == SRCAND ? out & v : rop == SRCPAINT ? out | v : rop == NOTSRCCOPY ? ~v & 0xFFFFFF : v;
        }
}

// Wide enough for the copied and filled runs of columns and the repeated rows
// the stretch takes short cuts through.
Bitmap WideSource() {
    Bitmap src(70, 9);
    for (int y = 0; y < src.height(); ++y)
        for (int x = 0; x < src.width(); ++x) src.setPixel(x, y, 0xA00000u | (y << 8) | x);
    return src;
}

struct WideCase {
    const char* name;
    int x, y, dw, dh, sx, sy, sw, sh;
    Rop rop = SRCCOPY;
    Pixel mask = 0xFFFFFFFFu;
};
const WideCase kWideCases[] = {
    {"rows only", 0, 0, 70, 20, 0, 0, 70, 9},
    {"columns 1.875", 0, 0, 120, 9, 0, 0, 64, 9},
    {"one column wide", 3, 1, 90, 15, 5, 2, 1, 3},
    {"shrink by two", 0, 0, 35, 4, 0, 0, 70, 9},
    {"mirror", 100, 20, -100, -20, 0, 0, 70, 9},
    {"mirror source", 0, 0, 100, 20, 70, 9, -70, -9},
    {"source half outside", -7, -3, 110, 24, -30, -2, 75, 12},
    {"runs then table", 0, 0, 100, 9, 0, 0, 60, 9},
    {"or with repeated rows", 2, 0, 96, 21, 10, 0, 50, 9, SRCPAINT},
    {"and", 0, 0, 100, 20, 0, 0, 70, 9, SRCAND},
    {"not source", 0, 0, 100, 20, 0, 0, 70, 9, NOTSRCCOPY},
    {"masked view", 0, 0, 100, 20, 0, 0, 70, 9, SRCCOPY, 0x00FF00FFu},
    {"squeeze to the row's end", 0, 0, 53, 9, 0, 0, 70, 9},
    {"squeeze by nearly two", 1, 0, 37, 9, 0, 0, 70, 9, SRCCOPY, 0x0000FFFFu},
    {"mirrored squeeze", 60, 0, -45, 9, 5, 0, 64, 9},
    {"enlarge by 1.6", 0, 0, 64, 9, 2, 0, 40, 9},
    {"shrink by three", 0, 0, 23, 9, 0, 0, 70, 9},
};

TEST(RasterStretchBlt, WideStretchesFollowTheRulePixelByPixel) {
    const Bitmap src = WideSource();
    for (const auto& c : kWideCases) {
        Bitmap want(110, 22, 0x123456);
        ReferenceStretch(want, c.x, c.y, c.dw, c.dh, src, c.sx, c.sy, c.sw, c.sh, c.rop, c.mask);
        DC dst = Ctx(Bitmap(110, 22, 0x123456));
        if (c.mask == 0xFFFFFFFFu)
            StretchBlt(dst, c.x, c.y, c.dw, c.dh, Ctx(src), c.sx, c.sy, c.sw, c.sh, c.rop);
        else
            StretchBlt(dst, c.x, c.y, c.dw, c.dh, PixelView{src.pixels().data(), 70, 9, 70, c.mask}, c.sx, c.sy, c.sw,
                       c.sh, c.rop);
        EXPECT_TRUE(test::SameBitmap(dst.bitmap(), want)) << c.name;
    }
}

TEST(RasterStretchBlt, ABatchDrawsWhatItsCallsDrawOneAfterTheOther) {
    // Every unmasked wide case into one destination: the stretches overlap,
    // cover one another, cover different rows, repeat source rows and mix operations, which a
    // batch draws by themselves; boxes are filled among them, one call reads
    // the destination itself, and the last is drawn when the batch ends.
    const DC src = Ctx(WideSource());
    DC want = Ctx(Bitmap(110, 22, 0x123456)), got = Ctx(Bitmap(110, 22, 0x123456));
    want.trackDirty = got.trackDirty = true;
    {
        StretchBatch batch(got);
        const auto both = [&](const WideCase& c, const DC& from) {
            StretchBlt(want, c.x, c.y, c.dw, c.dh, from, c.sx, c.sy, c.sw, c.sh, c.rop);
            batch.Add(c.x, c.y, c.dw, c.dh, &from == &want ? got : from, c.sx, c.sy, c.sw, c.sh, c.rop);
        };
        for (const auto& c : kWideCases)
            if (c.mask == 0xFFFFFFFFu) both(c, src);
        for (const auto& [x1, y1, x2, y2] : {std::array{-3.0, 5.5, 20.5, 2.0}, std::array{90.0, 21.0, 200.0, 7.5}}) {
            FillBox(want, x1, y1, x2, y2, Colorref{0x00CC8844});
            batch.FillBox(x1, y1, x2, y2, Colorref{0x00CC8844});
        }
        // A row that repeats the one above it must not repeat what a later
        // stretch drew there.
        both(WideCase{"rows twice", 0, 4, 60, 18, 0, 0, 60, 9}, src);
        both(WideCase{"over its first row", 10, 4, 20, 1, 30, 5, 20, 1}, src);
        // Over all of some earlier calls' columns in some of their rows, and
        // short of others by a column: a call drawn over at once is left out,
        // and only then.
        both(WideCase{"covering the left", 0, 3, 61, 12, 0, 0, 61, 9}, src);
        both(WideCase{"a column short", 1, 0, 109, 22, 0, 0, 70, 9}, src);
        both(WideCase{"under rows left out", 40, 0, 20, 3, 0, 0, 20, 3}, src);
        both(WideCase{"rows left out", 30, 0, 40, 6, 0, -3, 70, 6}, src);
        both(WideCase{"from itself", 5, 2, 40, 9, 60, 0, -50, 12}, want);
        EXPECT_TRUE(test::SameBitmap(got.bitmap(), want.bitmap())) << "once a call reads the destination";
        both(WideCase{"after it", 50, 3, 30, 7, 0, 0, 70, 9}, src);
        FillBox(want, 20.0, 15.0, 105.0, 19.0, Colorref{0x00224466});
        batch.FillBox(20.0, 15.0, 105.0, 19.0, Colorref{0x00224466});
        both(WideCase{"over a box's middle", 40, 14, 30, 6, 0, 0, 70, 9}, src);
        both(WideCase{"a column past the next", 0, 4, 61, 5, 0, 0, 70, 9}, src);
        both(WideCase{"one column narrower", 0, 3, 60, 12, 0, 0, 61, 9}, src);
        // Later calls over the middle of an enlargement, a copy and a repeated
        // column: each is drawn only on both sides of it, from columns that
        // begin and end inside blocks of the column table.
        both(WideCase{"enlargement to be cut", 0, 16, 100, 2, 0, 0, 53, 9}, src);
        both(WideCase{"copy to be cut", 2, 18, 68, 2, 0, 0, 68, 2}, src);
        both(WideCase{"repeat to be cut", 0, 20, 90, 2, 5, 0, 1, 2}, src);
        both(WideCase{"cutting them", 13, 16, 34, 6, 0, 0, 34, 6}, src);
        both(WideCase{"and again", 51, 17, 9, 5, 0, 0, 30, 5}, src);
    }
    EXPECT_TRUE(test::SameBitmap(got.bitmap(), want.bitmap()));
    const ChangedArea::Box w = want.TakeDirty().bounds(), g = got.TakeDirty().bounds();
    EXPECT_EQ(std::vector<int>({g.x0, g.y0, g.x1, g.y1}), std::vector<int>({w.x0, w.y0, w.x1, w.y1}));
}

// The source mirrored left to right, flipped top to bottom, then turned a
// quarter clockwise, each where `turn` says, one after the other.
Bitmap TurnedCopy(const Bitmap& s, RowTurn turn) {
    Bitmap m(s.width(), s.height());
    for (int y = 0; y < s.height(); ++y)
        for (int x = 0; x < s.width(); ++x)
            m.setPixel(turn.mirror ? s.width() - 1 - x : x, turn.flip ? s.height() - 1 - y : y, s.pixel(x, y));
    if (!turn.rotate90) return m;
    // Clockwise: the left column becomes the top row, read from the bottom up.
    Bitmap r(m.height(), m.width());
    for (int y = 0; y < m.height(); ++y)
        for (int x = 0; x < m.width(); ++x) r.setPixel(m.height() - 1 - y, x, m.pixel(x, y));
    return r;
}

TEST(RasterStretchBlt, RowsArrivingOneAtATimeDrawWhatTheWholeSourceDraws) {
    // A decoder's rows stretched as they come, against the same stretch of
    // the whole picture: shrunk, enlarged, cut at every edge, masked, and
    // turned as the eight photo orientations turn them.
    const Bitmap src = WideSource();
    using Turn = RowTurn;
    struct Case {
        const char* name;
        int x, y, dw, dh;
        Pixel mask = 0xFFFFFFFFu;
        int skipRow = -1;  // a source row that never arrives
        Turn turn = {};
    } cases[] = {
        {"rows only", 0, 0, 70, 20},
        {"shrink by two", 0, 0, 35, 4},
        {"shrink by three, masked", 3, 2, 23, 3, 0x00FF00FFu},
        {"enlarge", 1, 1, 100, 20},
        {"cut at every edge", -7, -3, 130, 30},
        {"cut at the bottom only", 4, 10, 90, 40},
        {"one pixel", 50, 10, 1, 1},
        {"outside", 120, 0, 10, 10},
        {"mirrored: nothing", 100, 20, -100, -20},
        {"a row missing", 0, 0, 100, 20, 0xFFFFFFFFu, 4},
        {"turned: mirrored", -3, 1, 100, 20, 0xFFFFFFFFu, -1, {true, false, false}},
        {"turned: flipped, masked", 2, 0, 35, 25, 0x00FF00FFu, -1, {false, true, false}},
        {"turned: half", 0, -2, 120, 30, 0xFFFFFFFFu, 3, {true, true, false}},
        {"turned: a quarter", 1, -5, 20, 140, 0xFFFFFFFFu, -1, {false, false, true}},
        {"turned: a quarter, mirrored", 30, 2, 5, 18, 0xFFFFFFFFu, -1, {true, false, true}},
        {"turned: a quarter, flipped", -2, 0, 40, 90, 0xFFFFFFFFu, 7, {false, true, true}},
        {"turned: three quarters", 0, 0, 18, 22, 0xFFFFFFFFu, -1, {true, true, true}},
    };
    for (const Case& c : cases) {
        DC want = Ctx(Bitmap(110, 22, 0x123456)), got = Ctx(Bitmap(110, 22, 0x123456));
        if (c.dw > 0 && c.dh > 0) {
            // Where a missing row would go, the destination stays as it was:
            // here, as though that row were of the destination's colour.
            Bitmap whole = src;
            if (c.skipRow >= 0)
                for (int x = 0; x < whole.width(); ++x) whole.setPixel(x, c.skipRow, 0x123456);
            const Bitmap shown = TurnedCopy(whole, c.turn);
            StretchBlt(want, c.x, c.y, c.dw, c.dh,
                       PixelView{shown.pixels().data(), shown.width(), shown.height(), shown.width(), c.mask}, 0, 0,
                       shown.width(), shown.height(), SRCCOPY);
        }
        {
            RowStretch rows(got, c.x, c.y, c.dw, c.dh, 70, 9, c.mask, c.turn);
            for (int r = 0; r < 9; ++r)
                if (r != c.skipRow) rows.Row(r, src.row(r));
        }
        EXPECT_TRUE(test::SameBitmap(got.bitmap(), want.bitmap())) << c.name;
    }
}

TEST(RasterStretchBlt, UsesTheRasterOperation) {
    DC dst = Ctx(Bitmap(2, 1, 0x0F));
    StretchBlt(dst, 0, 0, 2, 1, Ctx(Bitmap(1, 1, 0xF0)), 0, 0, 1, 1, SRCPAINT);
    EXPECT_EQ(dst.bitmap().pixel(1, 0), 0xFFu);
    StretchBlt(dst, 0, 0, 2, 1, Ctx(Bitmap(1, 1, 0x0F)), 0, 0, 1, 1, SRCAND);
    EXPECT_EQ(dst.bitmap().pixel(0, 0), 0x0Fu);
}

TEST(RasterLines, LineToStopsBeforeTheEndPointAndClips) {
    DC dc = Ctx(Bitmap(5, 3));
    SelectStockWhitePen(dc);
    MoveToEx(dc, 0, 0);
    LineTo(dc, 4, 2);
    EXPECT_TRUE(Looks(dc.bitmap(), {"#....", ".##..", "...#."}));
    EXPECT_EQ(dc.posX, 4);
    EXPECT_EQ(dc.posY, 2);
    MoveToEx(dc, -3, 2);
    LineTo(dc, 2, 2);
    EXPECT_TRUE(Looks(dc.bitmap(), {"#....", ".##..", "##.#."}));
}

TEST(RasterFillBox, RoundsRealCornersHalfToEvenAndIncludesBoth) {
    DC dc = Ctx(Bitmap(6, 4));
    FillBox(dc, 0.5, 1.5, 2.5, 1.6, Colorref{0x000041});  // 0x41 'A' as COLORREF red byte -> pixel 0x410000
    for (int x = 0; x <= 2; ++x) EXPECT_EQ(dc.bitmap().pixel(x, 2), 0x410000u) << x;
    EXPECT_EQ(dc.bitmap().pixel(3, 2), 0u);
    EXPECT_EQ(dc.bitmap().pixel(0, 1), 0u);
    FillBox(dc, 5, 3, 9, 9, Colorref{0x0000FF});
    EXPECT_EQ(dc.bitmap().pixel(5, 3), 0xFF0000u);
}

TEST(RasterEllipse, FillsPixelCentresInsideTheInscribedEllipse) {
    DC dc = Ctx(Bitmap(6, 6));
    dc.brush = 0x23;  // '#'
    Ellipse(dc, 0, 0, 6, 6);
    EXPECT_TRUE(Looks(dc.bitmap(), {".####.", "######", "######", "######", "######", ".####."}));
    DC flat = Ctx(Bitmap(4, 4));
    Ellipse(flat, 1, 1, 1, 3);
    EXPECT_TRUE(Looks(flat.bitmap(), {"....", "....", "....", "...."}));
}

TEST(RasterContexts, SelectHandsBackThePreviousBitmapAndHeaderDescribesIt) {
    DC dc;
    EXPECT_EQ(dc.width(), 1);
    auto bmp = CreateCompatibleBitmap(dc, 7, 5);
    auto old = dc.select(bmp);
    EXPECT_EQ(old->width(), 1);
    EXPECT_EQ(dc.width(), 7);
    BitmapHeader h = GetObjectHeader(dc.bitmap());
    EXPECT_EQ(h.bmWidth, 7);
    EXPECT_EQ(h.bmHeight, 5);
    EXPECT_EQ(h.bmWidthBytes, 28);
    EXPECT_EQ(h.bmBitsPixel, 32);
    EXPECT_EQ(h.bmPlanes, 1);
}

// Bytes the allocator has handed out and not had back, in every arena.
std::size_t HeapInUse() {
    const struct mallinfo2 m = mallinfo2();
    return m.uordblks + m.hblkhd;
}

TEST(RasterContexts, ABitmapDrawingIntoOtherMemoryGivesItsOwnPixelsBackAndTakesThemAgainAfter) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer's allocator does not count through mallinfo2";
#endif
    // A full-screen display hands its pixels to the window's shared image:
    // memory of its own held on beside it would be 8 MB for nothing.
    constexpr int W = 1920, H = 1080;
    const std::size_t bytes = std::size_t(W) * H * 4;
    Bitmap display(W, H, 0x123456);
    std::vector<Pixel> shared(std::size_t(W) * H, 0x654321);
    const std::size_t before = HeapInUse();
    display.UseMemory(shared.data());
    EXPECT_GE(before - HeapInUse(), bytes) << "the bitmap kept its own pixels";
    EXPECT_EQ(display.memory(), shared.data());
    display.setPixel(5, 7, 0xABCDEF);
    EXPECT_EQ(shared[7 * W + 5], 0xABCDEFu);
    display.UseMemory(nullptr);
    EXPECT_NE(display.memory(), shared.data());
    EXPECT_EQ(display.pixel(5, 7), 0xABCDEFu);
    EXPECT_EQ(display.pixel(0, 0), 0x654321u);
}

TEST(RasterRounding, HalvesGoToTheEvenNeighbour) {
    EXPECT_EQ(RoundEven(2.5), 2);
    EXPECT_EQ(RoundEven(3.5), 4);
    EXPECT_EQ(RoundEven(-2.5), -2);
    EXPECT_EQ(RoundEven(2.6), 3);
    EXPECT_EQ(ColorrefToPixel(Colorref{0x00112233}), 0x00332211u);
    EXPECT_EQ(ColorrefValue(PixelToColorref(0x00332211u)), 0x00112233u);
}

using Box = ChangedArea::Box;

std::string Describe(std::span<const Box> boxes) {
    std::string out;
    for (const Box& b : boxes)
        out += " [" + std::to_string(b.x0) + "," + std::to_string(b.y0) + " " + std::to_string(b.x1) + "," +
               std::to_string(b.y1) + ")";
    return out.empty() ? " none" : out;
}

// Whatever was added is covered, by boxes that never overlap (a pixel is
// sent once) and never exceed the bound.
::testing::AssertionResult Holds(const ChangedArea& area, const std::vector<Box>& added) {
    const std::span<const Box> boxes = area.boxes();
    if (boxes.size() > ChangedArea::kMaxBoxes) return ::testing::AssertionFailure() << boxes.size() << " boxes";
    for (std::size_t i = 0; i < boxes.size(); ++i)
        for (std::size_t j = i + 1; j < boxes.size(); ++j)
            if (boxes[i].x0 < boxes[j].x1 && boxes[j].x0 < boxes[i].x1 && boxes[i].y0 < boxes[j].y1 &&
                boxes[j].y0 < boxes[i].y1)
                return ::testing::AssertionFailure() << "overlapping:" << Describe(boxes);
    for (const Box& a : added)
        for (int y = a.y0; y < a.y1; ++y)
            for (int x = a.x0; x < a.x1; ++x)
                if (std::none_of(boxes.begin(), boxes.end(),
                                 [&](const Box& b) { return b.x0 <= x && x < b.x1 && b.y0 <= y && y < b.y1; }))
                    return ::testing::AssertionFailure()
                           << "(" << x << "," << y << ") added but not covered:" << Describe(boxes);
    return ::testing::AssertionSuccess();
}

TEST(RasterChangedArea, KeepsDistantChangesApartAndJoinsTouchingOnes) {
    struct Case {
        const char* what;
        std::vector<Box> added;  // as x0, y0, x1, y1
        std::vector<Box> want;   // in any order
    };
    // clang-format off
    const Case cases[] = {
        {"strips far apart stay apart", {{0, 0, 10, 1080}, {500, 0, 510, 1080}, {1000, 0, 1010, 1080}},
                                        {{0, 0, 10, 1080}, {500, 0, 510, 1080}, {1000, 0, 1010, 1080}}},
        {"rows far apart stay apart", {{0, 10, 1920, 12}, {0, 300, 1920, 302}}, {{0, 10, 1920, 12}, {0, 300, 1920, 302}}},
        {"overlapping ones join", {{0, 0, 10, 10}, {5, 5, 15, 15}}, {{0, 0, 15, 15}}},
        {"side by side on the same rows join", {{0, 0, 10, 50}, {10, 0, 20, 50}}, {{0, 0, 20, 50}}},
        {"one below the other on the same columns join", {{40, 0, 80, 5}, {40, 5, 80, 9}}, {{40, 0, 80, 9}}},
        {"thin columns a few pixels apart join", {{0, 0, 1, 1080}, {4, 0, 5, 1080}}, {{0, 0, 5, 1080}}},
        {"one inside another adds nothing", {{0, 0, 100, 100}, {10, 10, 15, 15}}, {{0, 0, 100, 100}}},
        {"a union reaching a third joins it too", {{0, 0, 10, 10}, {300, 0, 310, 10}, {0, 4, 310, 6}},
                                                  {{0, 0, 310, 10}}},
        {"small blocks near each other join", {{0, 0, 8, 8}, {9, 9, 17, 17}}, {{0, 0, 17, 17}}},
        {"an empty one adds nothing", {{5, 5, 5, 20}, {7, 9, 20, 9}}, {}},
        {"lines that cross stay lines", {{0, 500, 1920, 502}, {900, 0, 902, 1080}},
                                        {{0, 500, 1920, 502}, {900, 0, 902, 500}, {900, 502, 902, 1080}}},
        {"a line over a block is cut around it", {{100, 100, 300, 300}, {0, 200, 1920, 203}},
                                                 {{100, 100, 300, 300}, {0, 200, 100, 203}, {300, 200, 1920, 203}}},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ChangedArea area;
        for (const Box& b : c.added) area.add(b.x0, b.y0, b.width(), b.height());
        std::vector<Box> got(area.boxes().begin(), area.boxes().end()), want = c.want;
        const auto order = [](const Box& a, const Box& b) {
            return std::tie(a.x0, a.y0, a.x1, a.y1) < std::tie(b.x0, b.y0, b.x1, b.y1);
        };
        std::sort(got.begin(), got.end(), order);
        std::sort(want.begin(), want.end(), order);
        EXPECT_EQ(got, want) << "got" << Describe(got) << ", want" << Describe(want);
        EXPECT_TRUE(Holds(area, c.added));
        EXPECT_EQ(area.empty(), want.empty());
    }
}

TEST(RasterChangedArea, StaysWithinItsBoundAndCoversEverythingAdded) {
    // Forty strips spread evenly over the screen: more than the bound, so
    // neighbours join, and still well under the box around them.
    ChangedArea strips;
    std::vector<Box> added;
    for (int i = 0; i < 40; ++i) {
        added.push_back({i * 48, 0, i * 48 + 2, 1080});
        strips.add(added.back());
        ASSERT_TRUE(Holds(strips, added)) << "after strip " << i;
    }
    EXPECT_EQ(strips.boxes().size(), ChangedArea::kMaxBoxes);
    EXPECT_LT(strips.area(), strips.bounds().area() * 2 / 3);
    EXPECT_EQ(strips.bounds(), (Box{0, 0, 39 * 48 + 2, 1080}));

    // Scattered blocks and lines, some reaching past the surface.
    std::srand(7);
    for (int round = 0; round < 20; ++round) {
        ChangedArea area;
        added.clear();
        for (int i = 0; i < 60; ++i) {
            const int x = std::rand() % 220 - 10, y = std::rand() % 170 - 10;
            const int w = 1 + std::rand() % (i % 3 == 0 ? 60 : 6), h = 1 + std::rand() % (i % 3 == 1 ? 60 : 6);
            added.push_back({x, y, x + w, y + h});
            area.add(x, y, w, h);
            ASSERT_TRUE(Holds(area, added)) << "round " << round << ", after box " << i;
        }
        long long sum = 0;
        for (const Box& b : area.boxes()) sum += b.area();
        EXPECT_EQ(area.area(), sum);
        EXPECT_LE(area.area(), area.bounds().area());
    }
}

// The two byte orders meet only through the conversions.
static_assert(!std::is_convertible_v<Pixel, Colorref> && !std::is_convertible_v<Colorref, Pixel>);

}  // namespace
}  // namespace tav
