// The metafile player: sizes, mapping, objects, shapes, text, blits and
// damaged records. Metafiles are built by the test with the WMF writer.
#include "pictures/WmfDib.h"
#include "pictures/WmfPlayer.h"
#include "pictures/WmfRecords.h"

#include "testmedia/PictureWriters.h"

#include "support/application.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace tav {
namespace {

constexpr QRgb kWhite = 0xFFFFFFFF;
constexpr QRgb kRed = 0xFFFF0000;
constexpr QRgb kGreen = 0xFF00FF00;
constexpr QRgb kBlue = 0xFF0000FF;

// A 100 x 100 picture: placeable, one logical unit per pixel.
pw::WmfWriter Canvas() {
    pw::WmfWriter w;
    w.setPlaceable(QRect(0, 0, 100, 100), 96);
    return w;
}

QImage Render(const pw::WmfWriter& w, QSize size = {100, 100}, WmfPlayStats* stats = nullptr) {
    test::EnsureApplication();
    return RenderWmf(w.finish(), size, stats);
}

std::string Hex(QRgb c) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "#%06x", c & 0xFFFFFF);
    return buf;
}

// Checks listed pixels; a failure names each pixel that differs.
::testing::AssertionResult PixelsAre(const QImage& image, std::initializer_list<std::pair<QPoint, QRgb>> expected) {
    if (image.isNull()) return ::testing::AssertionFailure() << "no image";
    std::string wrong;
    for (const auto& [at, color] : expected) {
        const QRgb got = image.pixel(at);
        if ((got & 0xFFFFFF) != (color & 0xFFFFFF))
            wrong += " (" + std::to_string(at.x()) + ", " + std::to_string(at.y()) + ") is " + Hex(got) + " not " +
                     Hex(color) + ";";
    }
    if (wrong.empty()) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << wrong;
}

int CountColor(const QImage& image, QRect area, QRgb color) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) n += (image.pixel(x, y) & 0xFFFFFF) == (color & 0xFFFFFF);
    return n;
}

void NoPenRedBrush(pw::WmfWriter& w) {
    w.selectObject(w.createPen(5, 0, Qt::black));
    w.selectObject(w.createBrush(0, Qt::red));
}

TEST(WmfInfo, NaturalSize) {
    test::EnsureApplication();
    struct Case {
        const char* name;
        std::function<void(pw::WmfWriter&)> build;
        bool ok;
        QSize size;
    };
    const Case cases[] = {
        {"placeable, 1440 per inch",
         [](pw::WmfWriter& w) { w.setPlaceable(QRect(0, 0, 2880, 1440), 1440); },
         true,
         {192, 96}},
        {"placeable, offset bounds",
         [](pw::WmfWriter& w) { w.setPlaceable(QRect(-500, 200, 1000, 500), 1000); },
         true,
         {96, 48}},
        {"placeable, no units per inch", [](pw::WmfWriter& w) { w.setPlaceable(QRect(0, 0, 100, 100), 0); }, false, {}},
        {"placeable, empty bounds", [](pw::WmfWriter& w) { w.setPlaceable(QRect(0, 0, 0, 100), 96); }, false, {}},
        {"plain, window extent",
         [](pw::WmfWriter& w) {
             w.setWindowOrg(10, 10);
             w.setWindowExt(300, 200);
             w.rectangle(0, 0, 10, 10);
         },
         true,
         {300, 200}},
        {"plain, flipped window extent", [](pw::WmfWriter& w) { w.setWindowExt(300, -200); }, true, {300, 200}},
        {"plain, no window extent", [](pw::WmfWriter& w) { w.rectangle(0, 0, 10, 10); }, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        pw::WmfWriter w;
        c.build(w);
        WmfInfo info;
        EXPECT_EQ(ReadWmfInfo(w.finish(), info), c.ok);
        if (c.ok) {
            EXPECT_EQ(info.naturalSize, c.size);
        }
    }
    WmfInfo info;
    EXPECT_FALSE(ReadWmfInfo(QByteArray("BM not a metafile at all"), info));
    EXPECT_FALSE(ReadWmfInfo(QByteArray(), info));
}

// The same rectangle (logical 0,0 - 50,50) lands where each mapping puts it.
TEST(WmfPlay, WindowAndViewportMapping) {
    struct Case {
        const char* name;
        std::function<void(pw::WmfWriter&)> map;
        QPoint inside, outside;
    };
    const Case cases[] = {
        {"identity", [](pw::WmfWriter&) {}, {25, 25}, {75, 75}},
        {"window origin moved", [](pw::WmfWriter& w) { w.setWindowOrg(-50, 0); }, {75, 25}, {25, 25}},
        {"window extent doubled", [](pw::WmfWriter& w) { w.setWindowExt(200, 200); }, {20, 20}, {40, 40}},
        {"y axis flipped",
         [](pw::WmfWriter& w) {
             w.setWindowOrg(0, 100);
             w.setWindowExt(100, -100);
         },
         {25, 75},
         {25, 25}},
        {"viewport origin moved", [](pw::WmfWriter& w) { w.setViewportOrg(50, 50); }, {75, 75}, {25, 25}},
        {"viewport extent halved", [](pw::WmfWriter& w) { w.setViewportExt(50, 50); }, {20, 20}, {30, 30}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        pw::WmfWriter w = Canvas();
        c.map(w);
        NoPenRedBrush(w);
        w.rectangle(0, 0, 50, 50);
        EXPECT_TRUE(PixelsAre(Render(w), {{c.inside, kRed}, {c.outside, kWhite}}));
    }
}

TEST(WmfPlay, RendersAtAnySizeCoveringTheFrame) {
    pw::WmfWriter w;
    w.setPlaceable(QRect(1000, 1000, 2000, 1000), 1000);  // 192 x 96 natural
    NoPenRedBrush(w);
    w.rectangle(1000, 1000, 2000, 2000);  // the left half
    for (QSize size : {QSize(192, 96), QSize(40, 20), QSize(1000, 300)}) {
        SCOPED_TRACE(std::to_string(size.width()));
        const QImage img = Render(w, size);
        ASSERT_EQ(img.size(), size);
        EXPECT_TRUE(PixelsAre(
            img, {{{size.width() / 4, size.height() / 2}, kRed}, {{size.width() * 3 / 4, size.height() / 2}, kWhite}}));
    }
}

TEST(WmfPlay, BrushKinds) {
    struct Case {
        const char* name;
        int style, hatch;
        int minRed, maxRed;  // red pixels of the 40 x 40 interior
    };
    const Case cases[] = {{"solid", 0, 0, 1600, 1600},
                          {"null", 1, 0, 0, 0},
                          {"horizontal hatch", 2, 0, 100, 800},
                          {"diagonal cross hatch", 2, 5, 100, 1000}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        pw::WmfWriter w = Canvas();
        w.setBkMode(1);
        w.selectObject(w.createPen(0, 0, Qt::blue));
        w.selectObject(w.createBrush(c.style, Qt::red, c.hatch));
        w.rectangle(10, 10, 70, 70);
        const QImage img = Render(w);
        const int red = CountColor(img, QRect(20, 20, 40, 40), kRed);
        EXPECT_GE(red, c.minRed);
        EXPECT_LE(red, c.maxRed);
        EXPECT_EQ(red + CountColor(img, QRect(20, 20, 40, 40), kWhite), 1600) << "other colours inside";
        // The one-pixel outline lies on the shape's own edge pixels, inside its box.
        EXPECT_TRUE(PixelsAre(img, {{{10, 40}, kBlue},
                                    {{69, 40}, kBlue},
                                    {{40, 69}, kBlue},
                                    {{9, 40}, kWhite},
                                    {{70, 40}, kWhite},
                                    {{40, 70}, kWhite}}));
    }
}

TEST(WmfPlay, OpaqueHatchFillsGapsWithBackgroundColour) {
    pw::WmfWriter w = Canvas();
    w.setBkMode(2);
    w.setBkColor(Qt::green);
    NoPenRedBrush(w);
    w.selectObject(w.createBrush(2, Qt::red, 4));
    w.rectangle(0, 0, 100, 100);
    const QImage img = Render(w);
    const QRect all(10, 10, 80, 80);
    EXPECT_GT(CountColor(img, all, kRed), 100);
    EXPECT_EQ(CountColor(img, all, kRed) + CountColor(img, all, kGreen), 6400);
}

// Slots freed by DeleteObject are reused lowest first, like the system's table.
TEST(WmfPlay, ObjectTableReusesFreedSlots) {
    pw::WmfWriter w = Canvas();
    const int pen = w.createPen(5, 0, Qt::black);
    const int red = w.createBrush(0, Qt::red);
    w.selectObject(pen);
    w.deleteObject(red);
    const int blue = w.createBrush(0, Qt::blue);
    ASSERT_EQ(blue, red);
    w.selectObject(blue);
    w.rectangle(0, 0, 100, 100);
    // A palette takes a slot too, so the next brush lands after it.
    ASSERT_EQ(w.createPalette(), 2);
    const int green = w.createBrush(0, Qt::green);
    w.selectObject(green);
    w.rectangle(50, 0, 100, 100);
    w.selectObject(40);  // no such object: ignored
    w.rectangle(0, 50, 20, 100);
    EXPECT_TRUE(PixelsAre(Render(w), {{{25, 25}, kBlue}, {{75, 25}, kGreen}, {{10, 75}, kGreen}}));
}

TEST(WmfPlay, SaveAndRestoreDc) {
    pw::WmfWriter w = Canvas();
    w.selectObject(w.createPen(5, 0, Qt::black));
    const int blue = w.createBrush(0, Qt::blue);
    const int red = w.createBrush(0, Qt::red);
    w.selectObject(blue);
    w.saveDc();
    w.setWindowOrg(50, 0);
    w.selectObject(red);
    w.saveDc();
    w.selectObject(blue);
    w.restoreDc(-1);             // back to red, origin still moved
    w.rectangle(50, 0, 60, 10);  // device 0..10
    w.restoreDc(1);              // back to blue and the first origin
    w.rectangle(90, 90, 100, 100);
    w.restoreDc(-5);  // nothing saved any more: ignored
    w.rectangle(40, 40, 50, 50);
    EXPECT_TRUE(PixelsAre(Render(w), {{{5, 5}, kRed}, {{95, 95}, kBlue}, {{45, 45}, kBlue}, {{55, 5}, kWhite}}));
}

TEST(WmfPlay, ShapesFillWhereExpected) {
    struct Case {
        const char* name;
        std::function<void(pw::WmfWriter&)> draw;
        std::vector<QPoint> red, white;
    };
    const Case cases[] = {
        {"ellipse", [](pw::WmfWriter& w) { w.ellipse(0, 0, 100, 100); }, {{50, 50}, {50, 5}}, {{3, 3}, {97, 97}}},
        {"round rect", [](pw::WmfWriter& w) { w.roundRect(0, 0, 100, 100, 60, 60); }, {{50, 50}, {50, 1}}, {{1, 1}}},
        // A pie from 3 o'clock counter-clockwise to 12 o'clock: the top right quarter.
        {"pie",
         [](pw::WmfWriter& w) { w.pie(0, 0, 100, 100, 100, 50, 50, 0); },
         {{70, 30}},
         {{30, 30}, {30, 70}, {70, 70}}},
        {"pie the long way",
         [](pw::WmfWriter& w) { w.pie(0, 0, 100, 100, 50, 0, 100, 50); },
         {{30, 30}, {30, 70}, {70, 70}},
         {{70, 30}}},
        {"chord", [](pw::WmfWriter& w) { w.chord(0, 0, 100, 100, 100, 50, 50, 0); }, {{80, 20}}, {{55, 45}, {30, 30}}},
        {"polygon",
         [](pw::WmfWriter& w) {
             w.polygon({{0, 0}, {100, 0}, {0, 100}});
         },
         {{20, 20}},
         {{80, 80}}},
        {"alternate nested squares",
         [](pw::WmfWriter& w) {
             w.polyPolygon({{{0, 0}, {100, 0}, {100, 100}, {0, 100}}, {{25, 25}, {75, 25}, {75, 75}, {25, 75}}});
         },
         {{10, 10}},
         {{50, 50}}},
        {"winding nested squares",
         [](pw::WmfWriter& w) {
             w.setPolyFillMode(2);
             w.polyPolygon({{{0, 0}, {100, 0}, {100, 100}, {0, 100}}, {{25, 25}, {75, 25}, {75, 75}, {25, 75}}});
         },
         {{10, 10}, {50, 50}},
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        pw::WmfWriter w = Canvas();
        NoPenRedBrush(w);
        c.draw(w);
        const QImage img = Render(w);
        for (QPoint p : c.red) EXPECT_TRUE(PixelsAre(img, {{p, kRed}}));
        for (QPoint p : c.white) EXPECT_TRUE(PixelsAre(img, {{p, kWhite}}));
    }
}

TEST(WmfPlay, LinesAndArcsStrokeOnly) {
    pw::WmfWriter w = Canvas();
    w.selectObject(w.createPen(0, 0, Qt::blue));
    w.selectObject(w.createBrush(0, Qt::red));
    w.moveTo(0, 10);
    w.lineTo(100, 10);
    w.polyline({{10, 0}, {10, 100}});
    w.arc(20, 20, 80, 80, 80, 50, 50, 20);  // the top right quarter of a circle
    const QImage img = Render(w);
    EXPECT_TRUE(PixelsAre(img, {{{50, 10}, kBlue}, {{10, 50}, kBlue}, {{50, 50}, kWhite}, {{30, 70}, kWhite}}));
    EXPECT_GT(CountColor(img, QRect(50, 15, 36, 36), kBlue), 20);  // the arc's quarter
    EXPECT_EQ(CountColor(img, QRect(15, 50, 35, 35), kBlue), 0);   // nothing in the opposite quarter
    EXPECT_EQ(CountColor(img, img.rect(), kRed), 0);
}

// One-pixel lines far longer than the picture are cut to it; the same with a
// dashed pen (drawn by the painter) and under a clip (also by the painter).
TEST(WmfPlay, LongLinesAreCutToThePicture) {
    struct Case {
        const char* name;
        int penStyle;
        bool clip;
        int expected;  // blue pixels on row 50
    };
    const Case cases[] = {{"solid", 0, false, 100}, {"dashed", 1, false, -1}, {"solid, clipped", 0, true, 50}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        pw::WmfWriter w = Canvas();
        if (c.clip) w.record(wmf::kIntersectClipRect, {100, 50, 0, 0});
        w.selectObject(w.createPen(c.penStyle, 0, Qt::blue));
        w.moveTo(-32000, 50);
        w.lineTo(32000, 50);
        w.moveTo(-32000, -32000);
        w.lineTo(32000, 32000);
        const QImage img = Render(w);
        const int onRow = CountColor(img, QRect(0, 50, 100, 1), kBlue);
        if (c.expected >= 0) {
            EXPECT_EQ(onRow, c.expected);
        } else {
            EXPECT_GT(onRow, 20);
            EXPECT_LT(onRow, 90);
        }
        int diagonal = 0;  // the diagonal's upper half lies within the clip in every case
        for (int i = 0; i < 50; ++i) diagonal += CountColor(img, QRect(i, i, 1, 1), kBlue);
        if (c.penStyle == 0) {
            EXPECT_EQ(diagonal, 50);
        } else
            EXPECT_GT(diagonal, 10);
    }
}

TEST(WmfPlay, ClipRectanglesAndTheirRestore) {
    pw::WmfWriter w = Canvas();
    NoPenRedBrush(w);
    w.saveDc();
    w.record(wmf::kIntersectClipRect, {100, 50, 0, 0});  // keep the left half
    w.record(wmf::kExcludeClipRect, {60, 50, 40, 0});    // but not this band
    w.rectangle(0, 0, 100, 100);
    w.restoreDc(-1);
    w.selectObject(w.createBrush(0, Qt::blue));
    w.rectangle(90, 90, 100, 100);  // no clip any more
    EXPECT_TRUE(PixelsAre(
        Render(w), {{{20, 20}, kRed}, {{20, 50}, kWhite}, {{20, 80}, kRed}, {{70, 20}, kWhite}, {{95, 95}, kBlue}}));
}

TEST(WmfPlay, RasterOperationsOfThePen) {
    pw::WmfWriter w = Canvas();
    NoPenRedBrush(w);
    w.setRop2(7);  // XOR: twice over is no change
    w.rectangle(0, 0, 50, 100);
    w.rectangle(0, 0, 50, 100);
    w.setRop2(11);  // NOP
    w.rectangle(50, 0, 100, 50);
    w.setRop2(13);
    w.rectangle(50, 50, 100, 100);
    EXPECT_TRUE(PixelsAre(Render(w), {{{25, 50}, kWhite}, {{75, 25}, kWhite}, {{75, 75}, kRed}}));
}

TEST(WmfPlay, TextIsDrawnAlignedInTheTextColour) {
    for (int align : {0 /* left, top */, 2 /* right */, 6 /* centre */}) {
        SCOPED_TRACE(align);
        pw::WmfWriter w;
        w.setPlaceable(QRect(0, 0, 400, 100), 96);
        w.selectObject(w.createBrush(0, Qt::red));
        w.rectangle(0, 0, 400, 100);  // leaves the painter in opaque mode from the default background mode
        w.setBkMode(1);
        w.setTextColor(Qt::blue);
        w.setTextAlign(align);
        w.selectObject(w.createFont(-40, 700, false, "DejaVu Sans"));
        w.textOut(200, 30, "WWWWW");
        const QImage img = Render(w, {400, 100});
        EXPECT_EQ(CountColor(img, QRect(2, 2, 396, 96), kWhite), 0) << "transparent text filled its background";
        const int left = CountColor(img, QRect(0, 0, 200, 100), kBlue);
        const int right = CountColor(img, QRect(200, 0, 200, 100), kBlue);
        EXPECT_GT(left + right, 100);
        if (align == 0) {
            EXPECT_EQ(left, 0);
        }
        if (align == 2) {
            EXPECT_EQ(right, 0);
        }
        if (align == 6) {
            EXPECT_GT(std::min(left, right), 20);
        }
        EXPECT_EQ(CountColor(img, QRect(0, 0, 400, 28), kBlue), 0) << "text hangs below its top reference";
    }
}

TEST(WmfPlay, ExtTextOutOpaqueRectangle) {
    pw::WmfWriter w;
    w.setPlaceable(QRect(0, 0, 200, 100), 96);
    w.setBkColor(Qt::green);
    w.setTextColor(Qt::blue);
    w.selectObject(w.createFont(-20, 400, false, "DejaVu Sans"));
    const QRect box(10, 10, 180, 80);
    w.extTextOut(20, 40, 0x0002, &box, "Hello", {12, 12, 12, 12, 12});
    const QImage img = Render(w, {200, 100});
    EXPECT_TRUE(PixelsAre(img, {{{15, 15}, kGreen}, {{185, 85}, kGreen}, {{5, 5}, kWhite}}));
    EXPECT_GT(CountColor(img, box, kBlue), 20);
}

TEST(WmfPlay, DibBlitsPlaceTheirPixels) {
    QImage dib(2, 2, QImage::Format_RGB32);
    dib.setPixel(0, 0, kRed);
    dib.setPixel(1, 0, kGreen);
    dib.setPixel(0, 1, kBlue);
    dib.setPixel(1, 1, 0xFF000000);
    struct Case {
        const char* name;
        std::function<void(pw::WmfWriter&)> draw;
        QRgb topLeft, topRight, bottomLeft;
    };
    const Case cases[] = {
        {"StretchDIBits", [&](pw::WmfWriter& w) { w.stretchDib(QRect(0, 0, 100, 100), QRect(0, 0, 2, 2), dib); }, kRed,
         kGreen, kBlue},
        {"StretchDIBits mirrored",
         [&](pw::WmfWriter& w) { w.stretchDib(QRect(100, 0, -100, 100), QRect(0, 0, 2, 2), dib); }, kGreen, kRed,
         0xFF000000},
        {"DIBStretchBlt", [&](pw::WmfWriter& w) { w.dibStretchBlt(QRect(0, 0, 100, 100), QRect(0, 0, 2, 2), dib); },
         kRed, kGreen, kBlue},
        {"DIBStretchBlt of one pixel",
         [&](pw::WmfWriter& w) { w.dibStretchBlt(QRect(0, 0, 100, 100), QRect(1, 0, 1, 1), dib); }, kGreen, kGreen,
         kGreen},
        {"DIBBitBlt", [&](pw::WmfWriter& w) { w.dibBitBlt(QPoint(0, 0), QRect(0, 0, 2, 2), dib); }, kRed, kWhite,
         kWhite},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        pw::WmfWriter w = Canvas();
        c.draw(w);
        const QImage img = Render(w);
        const QPoint tl = c.name == std::string("DIBBitBlt") ? QPoint(0, 0) : QPoint(25, 25);
        EXPECT_TRUE(PixelsAre(img, {{tl, c.topLeft}, {{75, 25}, c.topRight}, {{25, 75}, c.bottomLeft}}));
    }
}

// Bitmaps inside records: every layout decodes to the same pixels, and one
// that claims more than its bytes hold is refused.
TEST(WmfDib, LayoutsAndLies) {
    test::EnsureApplication();
    QImage picture(7, 5, QImage::Format_RGB32);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x) picture.setPixel(x, y, qRgb(x * 36, y * 60, (x + y) % 2 ? 255 : 0));
    const QByteArray dib24 = pw::MakeDib24(picture);
    QByteArray topDown = dib24;
    const int h = -5;
    for (int i = 0; i < 4; ++i) topDown[8 + i] = char((std::uint32_t(h) >> (8 * i)) & 0xFF);
    // Top-down rows are the bottom-up rows in reverse order.
    const qsizetype stride = 24;
    QByteArray rows = dib24.mid(40);
    for (int y = 0; y < 5; ++y) topDown.replace(40 + y * stride, stride, rows.mid((4 - y) * stride, stride));
    QByteArray huge = dib24;
    huge[4] = char(0x30);
    huge[5] = char(0x75);  // 30000 wide, with the data of 7
    struct Case {
        const char* name;
        QByteArray dib;
        bool ok;
        bool bottomUp;
    };
    const Case cases[] = {
        {"24-bit", dib24, true, true},
        {"24-bit top-down", topDown, true, false},
        {"8-bit palette", pw::WriteBmp8(picture, false).mid(14), true, true},
        {"8-bit RLE", pw::WriteBmp8(picture, true).mid(14), true, true},
        {"pixels cut short", dib24.left(dib24.size() - 10), false, true},
        {"width beyond its data", huge, false, true},
        {"header only", dib24.left(40), false, true},
        {"not a header", QByteArray(64, '\x7f'), false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        bool bottomUp = !c.bottomUp;
        const QImage image =
            DecodeDib(reinterpret_cast<const std::uint8_t*>(c.dib.constData()), std::size_t(c.dib.size()), &bottomUp);
        EXPECT_EQ(!image.isNull(), c.ok);
        if (!c.ok) continue;
        EXPECT_EQ(bottomUp, c.bottomUp);
        ASSERT_EQ(image.size(), picture.size());
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 7; ++x)
                ASSERT_EQ(image.pixel(x, y) & 0xFFFFFF, picture.pixel(x, y) & 0xFFFFFF) << "pixel " << x << ", " << y;
    }
}

TEST(WmfPlay, UnknownRecordsAreSkippedAndListed) {
    pw::WmfWriter w = Canvas();
    NoPenRedBrush(w);
    w.record(0x7777, {1, 2, 3});
    w.record(wmf::kFloodFill, {0, 0, 5, 5});
    w.rectangle(0, 0, 100, 100);
    WmfPlayStats stats;
    const QImage img = Render(w, {100, 100}, &stats);
    EXPECT_TRUE(PixelsAre(img, {{{50, 50}, kRed}}));
    EXPECT_TRUE(stats.reachedEnd);
    EXPECT_FALSE(stats.damaged);
    EXPECT_EQ(stats.skipped.count(0x7777), 1u);
    EXPECT_EQ(stats.skipped.count(wmf::kFloodFill), 1u);
    EXPECT_EQ(stats.skipped.count(wmf::kRectangle), 0u);
}

// Damage ends the picture with what was drawn before it.
TEST(WmfPlay, DamagedRecordsEndThePictureCleanly) {
    test::EnsureApplication();
    pw::WmfWriter w = Canvas();
    NoPenRedBrush(w);
    w.rectangle(0, 0, 50, 100);
    const QByteArray whole = w.finish();
    pw::WmfWriter more = w;
    more.selectObject(more.createBrush(0, Qt::blue));
    more.rectangle(50, 0, 100, 100);
    const QByteArray full = more.finish();
    struct Case {
        const char* name;
        QByteArray bytes;
    };
    QByteArray lying = full;
    // The last rectangle's size field claims far more words than the file holds.
    const qsizetype lastRect = full.size() - 6 - 14;
    lying[lastRect] = char(0xFF);
    lying[lastRect + 3] = char(0x7F);
    QByteArray tooShort = full;
    tooShort[lastRect] = char(2);
    tooShort[lastRect + 1] = tooShort[lastRect + 2] = tooShort[lastRect + 3] = 0;
    const Case cases[] = {{"truncated in the last record", full.left(full.size() - 10)},
                          {"size beyond the data", lying},
                          {"size below a header", tooShort}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WmfPlayStats stats;
        const QImage img = RenderWmf(c.bytes, {100, 100}, &stats);
        EXPECT_TRUE(stats.damaged);
        EXPECT_TRUE(PixelsAre(img, {{{25, 50}, kRed}, {{75, 50}, kWhite}}));
    }
    WmfPlayStats stats;
    EXPECT_TRUE(PixelsAre(RenderWmf(whole, {100, 100}, &stats), {{{25, 50}, kRed}, {{75, 50}, kWhite}}));
    EXPECT_FALSE(stats.damaged);
}

// One metafile may spend at most kWmfWorkBudget (4 million units, about a
// second of CPU on a slow core at 1920 x 1080). The costliest files of 1 MiB
// the writers make stop there, keeping what they drew. A clip region is kept
// to a bounded size, so the maze of clip rectangles, which grew with the
// square of its records before, gets through tens of thousands of records.
TEST(WmfPlay, CostlyFilesStopAtTheWorkBudgetKeepingWhatTheyDrew) {
    test::EnsureApplication();
    static_assert(kWmfWorkBudget == 4'000'000);
    struct Case {
        pw::CostlyMetafile kind;
        const char* name;
        int minRecords;
    };
    const Case cases[] = {{pw::CostlyMetafile::ClipMaze, "clip maze", 20000},
                          {pw::CostlyMetafile::LargeShapes, "large shapes", 1000},
                          {pw::CostlyMetafile::TinyRecords, "tiny records", 70000},
                          {pw::CostlyMetafile::LargeText, "large text", 10},
                          {pw::CostlyMetafile::ManyEdges, "many edges", 5}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WmfPlayStats stats;
        const QImage img = RenderWmf(pw::WriteCostlyMetafile(c.kind, 1 << 20), {640, 480}, &stats);
        EXPECT_GE(stats.records, c.minRecords);
        EXPECT_LE(stats.work, kWmfWorkBudget + 1'000'000) << "one record may go past the budget, not more";
        EXPECT_EQ(stats.budgetSpent, !stats.reachedEnd);
        QImage blank(img.size(), img.format());
        blank.fill(Qt::white);
        EXPECT_NE(img, blank) << "what was drawn before the stop is kept";
    }
}

// Mappings that would send coordinates out of all proportion draw nothing
// rather than handing the rasteriser absurd numbers.
TEST(WmfPlay, AbsurdMappingsDrawNothing) {
    pw::WmfWriter w = Canvas();
    w.setWindowExt(1, 1);
    w.setViewportExt(32767, 32767);
    NoPenRedBrush(w);
    w.rectangle(-32768, -32768, 32767, 32767);
    w.selectObject(w.createFont(-32000, 400, false, "Sans"));
    w.textOut(0, 0, "x");
    WmfPlayStats stats;
    const QImage img = Render(w, {100, 100}, &stats);
    EXPECT_TRUE(stats.reachedEnd);
    EXPECT_EQ(CountColor(img, img.rect(), kRed), 0);
}

}  // namespace
}  // namespace tav
