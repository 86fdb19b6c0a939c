#include <gtest/gtest.h>

#include <QImage>

#include "pictures/PictureLoader.h"
#include "support/application.h"
#include "support/effect_harness.h"
#include "surfaces/Composition.h"
#include "testmedia/PictureWriters.h"
#include "testmedia/TempFolder.h"

namespace tav {
namespace {

TEST(FitPicture, OrientationOfThePictureDecidesWhichSideFills) {
    struct Case {
        int area_w, area_h, fit, w, h;
        FitBox want;
    } cases[] = {
        {800, 600, 1, 400, 300, {0, 0, 800, 600}},
        {800, 600, 1, 200, 180, {0, -60, 800, 720}},  // landscape, taller than the area: cut top and bottom
        {800, 600, 1, 300, 400, {175, 0, 450, 600}},
        {800, 600, 1, 500, 500, {100, 0, 600, 600}},  // square counts as portrait
        {800, 600, 0, 1000, 500, {-100, 50, 1000, 500}},
        {805, 600, 0, 800, 600, {2, 0, 800, 600}},  // (805 - 800) / 2 = 2.5 rounds to 2
        {807, 600, 0, 800, 600, {4, 0, 800, 600}},  // 3.5 rounds to 4
    };
    for (const auto& c : cases) {
        const FitBox b = FitPicture(c.w, c.h, {c.area_w, c.area_h, c.fit, Colorref{0}});
        EXPECT_EQ(b.x, c.want.x) << c.w << "x" << c.h << " fit " << c.fit;
        EXPECT_EQ(b.y, c.want.y) << c.w << "x" << c.h << " fit " << c.fit;
        EXPECT_EQ(b.width, c.want.width) << c.w << "x" << c.h << " fit " << c.fit;
        EXPECT_EQ(b.height, c.want.height) << c.w << "x" << c.h << " fit " << c.fit;
    }
}

class Compose : public ::testing::Test {
protected:
    test::TempFolder dir;
    SlideSurfaces surfaces;
    void SetUp() override { test::EnsureApplication(); }
    std::string Write(const char* name, int w, int h, QRgb colour) {
        const std::string path = dir.File(name);
        EXPECT_TRUE(pw::SaveFlatPicture(path, w, h, colour));
        return path;
    }
};

TEST_F(Compose, PictureLandsFittedAndCentredInTheCurrentSlot) {
    const std::string path = Write("portrait.bmp", 30, 40, qRgb(0x10, 0x20, 0x30));
    surfaces.CurrentSlot = 1;
    ComposeSlide(surfaces, path, {80, 60, 1, Colorref{0x00FFFFFF}});
    const Bitmap& slot = surfaces.Slot(1).hDC->bitmap();
    ASSERT_EQ(slot.width(), 80);
    ASSERT_EQ(slot.height(), 60);
    // 30 × 40 fitted to height 60 is 45 wide at x = 17.5, rounded to 18.
    EXPECT_EQ(slot.pixel(17, 30), 0xFFFFFFu);
    EXPECT_EQ(slot.pixel(18, 30), 0x102030u);
    EXPECT_EQ(slot.pixel(62, 30), 0x102030u);
    EXPECT_EQ(slot.pixel(63, 30), 0xFFFFFFu);
    EXPECT_EQ(surfaces.Slot(1).header.bmWidth, 80);
    EXPECT_EQ(surfaces.Slot(0).hDC->bitmap().width(), 1) << "the other slot is untouched";
}

TEST_F(Compose, EachSlideStartsFromTheBackgroundAndSlotsKeepTheirOwnPictures) {
    const std::string big = Write("big.bmp", 40, 30, qRgb(255, 0, 0));
    const std::string small = Write("small.bmp", 10, 10, qRgb(0, 0, 255));
    surfaces.CurrentSlot = 0;
    ComposeSlide(surfaces, big, {40, 30, 1, Colorref{0}});
    surfaces.CurrentSlot = 1;
    ComposeSlide(surfaces, small, {40, 30, 0, Colorref{0}});
    EXPECT_EQ(surfaces.Slot(1).hDC->bitmap().pixel(0, 0), 0u) << "nothing of the previous picture remains";
    EXPECT_EQ(surfaces.Slot(1).hDC->bitmap().pixel(20, 15), 0x0000FFu);
    EXPECT_EQ(surfaces.Slot(0).hDC->bitmap().pixel(0, 0), 0xFF0000u) << "the outgoing slot keeps its picture";
}

TEST_F(Compose, TransparentPixelsShowTheBackground) {
    QImage dot(4, 4, QImage::Format_Indexed8);
    dot.setColorTable({qRgba(0, 0, 0, 0), qRgb(255, 0, 0)});
    dot.fill(0);
    dot.setPixel(0, 0, 1);
    const std::string path = dir.File("dot.gif");
    ASSERT_TRUE(pw::SaveBytes(path, pw::WriteGif({dot})));
    ComposeSlide(surfaces, path, {8, 8, 1, Colorref{0x00123456}});
    const Bitmap& slot = surfaces.Incoming().bitmap();
    EXPECT_EQ(slot.pixel(0, 0), 0xFF0000u);
    EXPECT_EQ(slot.pixel(5, 5), 0x563412u) << "a transparent pixel shows the background colour";
}

// A JPEG's rows are fitted onto the slide as they are decoded: the slide is
// the one its whole decoded picture stretched in one go would give.
TEST_F(Compose, AJpegLandsAsItsWholeDecodedPictureStretchedWould) {
    const auto photo = [](int w, int h) {
        QImage image(w, h, QImage::Format_RGB32);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) image.setPixel(x, y, qRgb(x * 255 / w, y * 255 / h, (x * 7 + y * 3) % 256));
        return image;
    };
    const QByteArray big = pw::WriteJpeg(photo(400, 300), 92);
    struct Case {
        const char* name;
        QByteArray bytes;
        int fit;
    } cases[] = {
        {"reduced, cut at top and bottom", big, 1},
        {"enlarged", pw::WriteJpeg(photo(50, 30), 92), 1},
        {"portrait", pw::WriteJpeg(photo(60, 120), 92), 1},
        {"turned a quarter by its orientation", pw::WriteJpeg(photo(120, 60), 92, 6), 1},
        {"turned half, reduced", pw::WriteJpeg(photo(400, 300), 92, 3), 1},
        {"turned three quarters, reduced", pw::WriteJpeg(photo(400, 300), 92, 8), 1},
        {"flipped and turned a quarter", pw::WriteJpeg(photo(90, 120), 92, 5), 1},
        {"mirrored", pw::WriteJpeg(photo(120, 60), 92, 2), 0},
        {"cut short", big.left(big.size() * 2 / 3), 1},
        {"natural size, larger than the area", big, 0},
    };
    const CompositionParams params{160, 90, 1, Colorref{0x00123456}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.File("photo.jpg");
        ASSERT_TRUE(pw::SaveBytes(path, c.bytes));
        CompositionParams p = params;
        p.fitMode = c.fit;
        const DecodedPicture whole = LoadPictureFile(path, [&](QSize natural) {
            const FitBox box = FitPicture(natural.width(), natural.height(), p);
            return QSize(box.width, box.height);
        });
        ASSERT_TRUE(whole.ok());
        const FitBox box = FitPicture(whole.naturalWidth, whole.naturalHeight, p);
        DC want(std::make_shared<Bitmap>(160, 90, 0x563412));
        StretchBlt(want, box.x, box.y, box.width, box.height,
                   PixelView{reinterpret_cast<const Pixel*>(whole.image.constBits()), whole.image.width(),
                             whole.image.height(), whole.image.bytesPerLine() / 4, 0x00FFFFFFu},
                   0, 0, whole.image.width(), whole.image.height(), SRCCOPY);
        const BitmapPtr slide = ComposePicture(path, p);
        EXPECT_TRUE(test::SameBitmap(*slide, want.bitmap()));
    }
}

TEST_F(Compose, AnUnreadablePictureGivesThePlainBackground) {
    const std::string broken = dir.File("broken.jpg");
    FILE* f = std::fopen(broken.c_str(), "wb");
    std::fputs("\xFF\xD8\xFF\xE0 not really a jpeg", f);
    std::fclose(f);
    for (const std::string& path : {broken, std::string("/nonexistent/picture.gif")}) {
        ComposeSlide(surfaces, path, {16, 12, 1, Colorref{0x00123456}});
        const Bitmap& slot = surfaces.Incoming().bitmap();
        EXPECT_EQ(slot, Bitmap(16, 12, 0x563412)) << path;
    }
}

}  // namespace
}  // namespace tav
