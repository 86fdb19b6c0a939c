// Decoding of picture files: exact pixels for the lossless formats, photo
// orientation, transparency, the size cap, reduced decoding and damaged files.
#include "pictures/PictureLoader.h"

#include "base/LateLibrary.h"
#include "pictures/ExifOrientation.h"
#include "pictures/HeifLibraries.h"

#include "support/application.h"
#include "testmedia/PictureWriters.h"
#include "testmedia/TempFolder.h"

#include <QLoggingCategory>
#include <QtEndian>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <zlib.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <random>
#include <string>

namespace tav {
namespace {

class PictureLoaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::EnsureApplication();
        // Damaged files are expected here; the decoder's complaints are noise.
        QLoggingCategory::setFilterRules(QStringLiteral("qt.gui.imageio*=false\nqt.imageformats*=false"));
    }
    std::string write(const std::string& name, const QByteArray& bytes) {
        const std::string path = dir_.File(name);
        EXPECT_TRUE(pw::SaveBytes(path, bytes));
        return path;
    }
    test::TempFolder dir_;
};

// A picture of 48 colours with detail in every pixel, odd sizes so that row
// padding matters.
QImage Pattern(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int i = (x * 7 + y * 13) % 48;
            image.setPixel(x, y, qRgb((i % 4) * 85, ((i / 4) % 4) * 85, (i / 16) * 120));
        }
    return image;
}

// Four solid quadrants survive JPEG compression within a small tolerance.
QImage Quadrants(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const bool right = x >= w / 2, bottom = y >= h / 2;
            image.setPixel(x, y,
                           !right && !bottom  ? qRgb(230, 20, 20)
                           : right && !bottom ? qRgb(20, 200, 30)
                           : !right           ? qRgb(30, 40, 220)
                                              : qRgb(240, 240, 240));
        }
    return image;
}

// Compares two images pixel by pixel; the message names the first pixel that
// differs by more than tolerance in any channel.
::testing::AssertionResult SamePixels(const QImage& expected, const QImage& actual, int tolerance) {
    if (expected.size() != actual.size())
        return ::testing::AssertionFailure() << "size " << actual.width() << "x" << actual.height() << ", expected "
                                             << expected.width() << "x" << expected.height();
    for (int y = 0; y < expected.height(); ++y)
        for (int x = 0; x < expected.width(); ++x) {
            const QRgb e = expected.pixel(x, y), a = actual.pixel(x, y);
            if (std::abs(qRed(e) - qRed(a)) > tolerance || std::abs(qGreen(e) - qGreen(a)) > tolerance ||
                std::abs(qBlue(e) - qBlue(a)) > tolerance)
                return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ") is #" << std::hex
                                                     << (a & 0xFFFFFF) << ", expected #" << (e & 0xFFFFFF);
        }
    return ::testing::AssertionSuccess();
}

TEST_F(PictureLoaderTest, EachFormatDecodesToTheWrittenPixels) {
    const QImage pattern = Pattern(37, 23);
    const QImage quadrants = Quadrants(64, 48);
    struct Case {
        const char* name;
        QByteArray bytes;
        QImage expected;
        int tolerance;
    };
    const Case cases[] = {
        {"p24.bmp", pw::WriteBmp24(pattern), pattern, 0},
        {"p8.bmp", pw::WriteBmp8(pattern, false), pattern, 0},
        {"rle8.bmp", pw::WriteBmp8(pattern, true), pattern, 0},
        {"rle8-runs.bmp", pw::WriteBmp8(quadrants, true), quadrants, 0},
        {"p.gif", pw::WriteGif({pattern}), pattern, 0},
        {"q.jpg", pw::WriteJpeg(quadrants, 95), quadrants, 40},
        {"cmyk.jpg", pw::WriteCmykJpeg(quadrants), quadrants, 40},
        {"p.png", pw::WritePng(pattern), pattern, 0},
        {"p.webp", pw::WriteWebp(pattern), pattern, 0},
        {"p.tif", pw::WriteTiff(pattern), pattern, 0},
        // Lossy, chroma at half resolution: the quadrant middles within a tolerance.
        {"q.heic", pw::WriteHeif(quadrants, pw::HeifCodec::Hevc), quadrants, 40},
        {"q.avif", pw::WriteHeif(quadrants, pw::HeifCodec::Av1), quadrants, 40},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_FALSE(c.bytes.isEmpty()) << "the writer failed";
        const DecodedPicture pic = LoadPictureFile(write(c.name, c.bytes));
        ASSERT_TRUE(pic.ok());
        EXPECT_EQ(pic.naturalWidth, c.expected.width());
        EXPECT_EQ(pic.naturalHeight, c.expected.height());
        EXPECT_EQ(pic.image.format(), QImage::Format_RGB32);
        if (c.tolerance == 0) {
            EXPECT_TRUE(SamePixels(c.expected, pic.image, 0));
        } else {
            // Away from the quadrant edges, where JPEG blurs.
            for (QPoint at : {QPoint(8, 8), QPoint(56, 8), QPoint(8, 40), QPoint(56, 40)}) {
                EXPECT_TRUE(SamePixels(c.expected.copy(QRect(at, QSize(1, 1))), pic.image.copy(QRect(at, QSize(1, 1))),
                                       c.tolerance))
                    << "at " << at.x() << ", " << at.y();
            }
        }
    }
}

TEST_F(PictureLoaderTest, GifShowsItsFirstFrame) {
    QImage first(20, 10, QImage::Format_RGB32), second(20, 10, QImage::Format_RGB32);
    first.fill(qRgb(255, 0, 0));
    second.fill(qRgb(0, 0, 255));
    const DecodedPicture pic = LoadPictureFile(write("two.gif", pw::WriteGif({first, second})));
    ASSERT_TRUE(pic.ok());
    EXPECT_TRUE(SamePixels(first, pic.image, 0));
}

TEST_F(PictureLoaderTest, FormatIsToldByContentNotByName) {
    const QImage pattern = Pattern(9, 5);
    EXPECT_TRUE(LoadPictureFile(write("really-a-bitmap.jpg", pw::WriteBmp24(pattern))).ok());
    EXPECT_TRUE(LoadPictureFile(write("really-a-gif.bmp", pw::WriteGif({pattern}))).ok());
    EXPECT_TRUE(LoadPictureFile(write("no-extension", pw::WriteJpeg(pattern))).ok());
    EXPECT_TRUE(LoadPictureFile(write("really-a-png.heic", pw::WritePng(pattern))).ok());
    EXPECT_TRUE(LoadPictureFile(write("really-a-heic.png", pw::WriteHeif(pattern, pw::HeifCodec::Hevc))).ok());
    // The same from the file alone, as the start tells a JPEG before decoding
    // anything; what is not a regular file is never opened and tells nothing.
    EXPECT_EQ(SniffPictureFile(dir_.File("no-extension")), PictureFormat::Jpeg);
    EXPECT_EQ(SniffPictureFile(dir_.File("really-a-png.heic")), PictureFormat::Png);
    EXPECT_EQ(SniffPictureFile(dir_.File("missing.jpg")), PictureFormat::Unknown);
    EXPECT_EQ(SniffPictureFile(dir_.Path()), PictureFormat::Unknown);
    const std::string pipe = dir_.File("pipe.jpg");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_EQ(SniffPictureFile(pipe), PictureFormat::Unknown);

    // HEIF files are told by the brands of their leading box: the major one or a compatible one.
    const struct {
        QByteArray head;
        PictureFormat want;
    } brands[] = {
        {QByteArray("\0\0\0\x18"
                    "ftypmif1\0\0\0\0mif1heic",
                    24),
         PictureFormat::Heic},
        {QByteArray("\0\0\0\x1c"
                    "ftypmif1\0\0\0\0mif1miafavif",
                    28),
         PictureFormat::Avif},
        {QByteArray("\0\0\0\x18"
                    "ftypisom\0\0\0\0isommp41",
                    24),
         PictureFormat::Unknown},
        // A compatible brand beyond the box's own size does not count.
        {QByteArray("\0\0\0\x14"
                    "ftypisom\0\0\0\0isomheic",
                    24),
         PictureFormat::Unknown},
        {QByteArray("\xff\xff\xff\xff"
                    "ftypisom\0\0\0\0isomavif",
                    24),
         PictureFormat::Avif},
    };
    for (const auto& b : brands) {
        EXPECT_EQ(
            SniffPictureFormat(reinterpret_cast<const unsigned char*>(b.head.constData()), std::size_t(b.head.size())),
            b.want)
            << b.head.mid(8).toStdString();
    }
}

// The stored picture has its red corner at the top left; each orientation tag
// says where that corner must appear when the photo is shown upright. HEIF
// says it with rotation and mirror boxes instead of a tag.
TEST_F(PictureLoaderTest, OrientationIsHonoured) {
    QImage stored(80, 40, QImage::Format_RGB32);
    stored.fill(qRgb(20, 20, 200));
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 40; ++x) stored.setPixel(x, y, qRgb(220, 20, 20));
    struct Case {
        int orientation;
        bool turned;
        bool redRight;
        bool redBottom;
    };
    const Case cases[] = {{1, false, false, false}, {2, false, true, false}, {3, false, true, true},
                          {4, false, false, true},  {5, true, false, false}, {6, true, true, false},
                          {7, true, true, true},    {8, true, false, true}};
    const struct {
        const char* extension;
        std::function<QByteArray(int orientation)> write;
    } formats[] = {
        {".jpg", [&](int o) { return pw::WriteJpeg(stored, 95, o); }},
        {".tif", [&](int o) { return pw::WriteTiff(stored, o); }},
        {".png", [&](int o) { return pw::WritePng(stored, o); }},
        {".webp", [&](int o) { return pw::WriteWebp(stored, o); }},
        {".heic", [&](int o) { return pw::WriteHeif(stored, pw::HeifCodec::Hevc, 90, o); }},
    };
    for (const auto& format : formats) {
        for (const Case& c : cases) {
            const std::string name = "o" + std::to_string(c.orientation) + format.extension;
            const std::string path = write(name, format.write(c.orientation));
            // JPEG decodes reduced; the turn must come out the same.
            for (bool reduced : {false, true}) {
                SCOPED_TRACE(name + (reduced ? " reduced" : ""));
                const auto draw = [](QSize natural) { return natural / 4; };
                const DecodedPicture pic = reduced ? LoadPictureFile(path, draw) : LoadPictureFile(path);
                ASSERT_TRUE(pic.ok());
                EXPECT_EQ(pic.naturalWidth, c.turned ? 40 : 80);
                EXPECT_EQ(pic.naturalHeight, c.turned ? 80 : 40);
                const QImage& img = pic.image;
                EXPECT_EQ(img.width() > img.height(), !c.turned);
                const int qx = c.redRight ? img.width() * 3 / 4 : img.width() / 4;
                const int qy = c.redBottom ? img.height() * 3 / 4 : img.height() / 4;
                const QRgb px = img.pixel(qx, qy);
                EXPECT_GT(qRed(px), 150) << "pixel (" << qx << ", " << qy << ") is #" << std::hex << (px & 0xFFFFFF);
                EXPECT_LT(qBlue(px), 100);
            }
        }
    }
}

// Keeps what a decoder streams, and checks the order it comes in.
class KeptRows final : public RowSink {
public:
    void Begin(QSize natural, QSize decoded, QImageIOHandler::Transformations turn) override {
        ++begun;
        this->natural = natural;
        this->turn = turn;
        image = QImage(decoded, QImage::Format_RGB32);
        image.fill(qRgb(1, 2, 3));
    }
    void Row(int y, const QRgb* pixels) override {
        if (y != next++ || y >= image.height()) outOfOrder = true;
        if (y >= 0 && y < image.height()) std::memcpy(image.scanLine(y), pixels, std::size_t(image.width()) * 4);
    }
    int begun = 0, next = 0;
    bool outOfOrder = false;
    QSize natural;
    QImageIOHandler::Transformations turn;
    QImage image;  // as the file stores it
};

// A JPEG is read from its file a piece at a time and may hand its rows on as
// they are decoded: the pixels are those of the picture decoded whole, also
// across markers skipped over several pieces, also reduced, also cut short.
TEST_F(PictureLoaderTest, JpegRowsStreamedAreThoseOfThePictureDecodedWhole) {
    const QByteArray plain = pw::WriteJpeg(Pattern(600, 400), 95);
    ASSERT_GT(plain.size(), 3 * 64 * 1024) << "the file should take several reads";
    // Two application blocks libjpeg skips unread, together longer than a
    // read, full of end markers that would end the picture if read as markers.
    QByteArray padded = plain;
    for (int k = 0; k < 2; ++k) {
        QByteArray block("\xFF\xE2\xFF\xFF", 4);
        block.append(QByteArray("\xFF\xD9", 2).repeated((0xFFFF - 2) / 2)).append('\0');
        padded.insert(2, block);
    }
    const std::string plainPath = write("plain.jpg", plain), paddedPath = write("padded.jpg", padded);
    const std::string cutPath = write("cut.jpg", plain.left(plain.size() / 2));
    const std::string turnedPath = write("turned.jpg", pw::WriteJpeg(Pattern(60, 40), 95, 6));
    const std::string bigTurnedPath = write("big-turned.jpg", pw::WriteJpeg(Pattern(600, 400), 90, 8));
    const std::string pngPath = write("p.png", pw::WritePng(Pattern(60, 40)));
    const DecodedPicture whole = LoadPictureFile(plainPath);
    ASSERT_TRUE(whole.ok());
    const auto quarter = [](QSize natural) { return natural / 4; };
    struct Case {
        const char* name;
        std::string path;
        std::function<QSize(QSize)> draw;
        bool streamed;
    };
    const Case cases[] = {
        {"plain", plainPath, {}, true},
        {"padded", paddedPath, {}, true},
        {"reduced", plainPath, quarter, true},
        {"cut short", cutPath, {}, true},
        {"turned", turnedPath, {}, true},
        {"turned the other way, reduced", bigTurnedPath, quarter, true},
        {"not a JPEG: decoded whole", pngPath, {}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const DecodedPicture reference = LoadPictureFile(c.path, c.draw);
        ASSERT_TRUE(reference.ok());
        KeptRows rows;
        const DecodedPicture pic = LoadPictureFile(c.path, c.draw, qRgb(0, 0, 0), &rows);
        ASSERT_TRUE(pic.ok());
        EXPECT_EQ(pic.streamed, c.streamed);
        EXPECT_EQ(pic.naturalWidth, reference.naturalWidth);
        EXPECT_EQ(pic.naturalHeight, reference.naturalHeight);
        if (!c.streamed) {
            EXPECT_EQ(rows.begun, 0);
            EXPECT_TRUE(SamePixels(reference.image, pic.image, 0));
            continue;
        }
        EXPECT_TRUE(pic.image.isNull());
        EXPECT_EQ(rows.begun, 1);
        EXPECT_FALSE(rows.outOfOrder);
        EXPECT_EQ(rows.next, rows.image.height()) << "every row, once";
        EXPECT_EQ(rows.natural, QSize(reference.naturalWidth, reference.naturalHeight));
        // The rows come as the file stores them; turned, they are the picture.
        EXPECT_TRUE(SamePixels(reference.image, Transformed(rows.image, rows.turn), 0));
    }
    // Read a piece at a time, blocks skipped or not, the same pixels.
    EXPECT_TRUE(SamePixels(whole.image, LoadPictureFile(paddedPath).image, 0));
    // Cut short: the rows that were there as in the whole file, the rest grey.
    const QImage cut = LoadPictureFile(cutPath).image;
    EXPECT_TRUE(SamePixels(whole.image.copy(0, 0, 600, 16), cut.copy(0, 0, 600, 16), 0));
    EXPECT_EQ(cut.pixel(300, 399) & 0xFFFFFF, 0x808080u);
}

// Sets the width and length tags of the first directory of a little-endian TIFF file.
void SetTiffSize(QByteArray& tiff, quint32 width, quint32 height) {
    ASSERT_TRUE(tiff.startsWith("II"));
    const quint32 directory = qFromLittleEndian<quint32>(tiff.constData() + 4);
    const quint16 entries = qFromLittleEndian<quint16>(tiff.constData() + directory);
    for (quint16 i = 0; i < entries; ++i) {
        char* entry = tiff.data() + directory + 2 + 12 * i;
        const quint16 tag = qFromLittleEndian<quint16>(entry);
        if (tag != 256 && tag != 257) continue;
        const quint32 value = tag == 256 ? width : height;
        if (qFromLittleEndian<quint16>(entry + 2) == 3)
            qToLittleEndian<quint16>(quint16(value), entry + 8);
        else
            qToLittleEndian<quint32>(value, entry + 8);
    }
}

// Header sizes patched to 50000 x 50000: refused from the header alone.
TEST_F(PictureLoaderTest, AbsurdSizeInHeaderFails) {
    const QImage small = Pattern(16, 16);
    QByteArray bmp = pw::WriteBmp24(small);
    for (int at : {18, 22}) {
        bmp[at] = char(50000 & 0xFF);
        bmp[at + 1] = char(50000 >> 8);
    }
    QByteArray gif = pw::WriteGif({small});
    for (int at : {6, 8, 6 + 7 + 768 + 5, 6 + 7 + 768 + 7}) {
        gif[at] = char(50000 & 0xFF);
        gif[at + 1] = char(50000 >> 8);
    }
    QByteArray jpeg = pw::WriteJpeg(small);
    const qsizetype sof = jpeg.indexOf("\xFF\xC0");
    ASSERT_GT(sof, 0);
    for (qsizetype at : {sof + 5, sof + 7}) {
        jpeg[at] = char(50000 >> 8);
        jpeg[at + 1] = char(50000 & 0xFF);
    }
    QByteArray png = pw::WritePng(small);
    for (int at : {16, 20}) qToBigEndian<quint32>(50000, png.data() + at);
    qToBigEndian<quint32>(quint32(crc32(0, reinterpret_cast<const Bytef*>(png.constData() + 12), 17)), png.data() + 29);
    // The lossless WebP header holds at most 16384 per side: the most it can claim.
    QByteArray webp = pw::WriteWebp(small);
    ASSERT_EQ(webp.mid(12, 4), "VP8L");
    for (int at = 21; at < 25; ++at) webp[at] = char(at == 24 ? webp[at] | 0x0F : 0xFF);
    QByteArray tiff = pw::WriteTiff(small);
    SetTiffSize(tiff, 50000, 50000);
    QByteArray heic = pw::WriteHeif(small, pw::HeifCodec::Hevc);
    QByteArray avif = pw::WriteHeif(small, pw::HeifCodec::Av1);
    for (QByteArray* heif : {&heic, &avif}) {
        const qsizetype ispe = heif->indexOf("ispe");
        ASSERT_GT(ispe, 0);
        for (qsizetype at : {ispe + 8, ispe + 12}) qToBigEndian<quint32>(50000, heif->data() + at);
    }
    for (const auto& [name, bytes] : {std::pair{"huge.bmp", bmp},
                                      {"huge.gif", gif},
                                      {"huge.jpg", jpeg},
                                      {"huge.png", png},
                                      {"huge.webp", webp},
                                      {"huge.tif", tiff},
                                      {"huge.heic", heic},
                                      {"huge.avif", avif}}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(LoadPictureFile(write(name, bytes)).ok());
    }
    EXPECT_FALSE(PictureSizeAcceptable(50000, 50000));
    EXPECT_FALSE(PictureSizeAcceptable(20000, 20000));
    EXPECT_TRUE(PictureSizeAcceptable(8000, 6000));
}

// JPEG reduces by its DCT scaling (1/2, 1/4, 1/8), WebP scales while
// decoding to the least size that covers the draw size, HEIC by the largest
// whole factor that covers it (here where JPEG's 1/2, 1/4, 1/8 do).
TEST_F(PictureLoaderTest, ReducedDecodeNeverFallsBelowTheDrawSize) {
    const std::string jpeg = write("big.jpg", pw::WriteJpeg(Quadrants(1600, 1200), 80));
    const std::string webp = write("big.webp", pw::WriteWebp(Quadrants(1600, 1200)));
    const std::string heic = write("big.heic", pw::WriteHeif(Quadrants(1600, 1200), pw::HeifCodec::Hevc));
    struct Case {
        QSize draw;
        bool jpegReduced, webpReduced;
    };
    const Case cases[] = {{{1600, 1200}, false, false}, {{2400, 1800}, false, false}, {{800, 600}, true, true},
                          {{801, 600}, false, true},    {{400, 300}, true, true},     {{401, 250}, true, true},
                          {{100, 75}, true, true},      {{1, 1}, true, true},         {{0, 0}, false, false},
                          {{-5, 7}, false, false},      {{1600, 1100}, false, false}, {{1599, 1200}, false, false},
                          {{1599, 1199}, false, true}};
    for (const Case& c : cases) {
        for (const auto& [path, reduced] :
             {std::pair{jpeg, c.jpegReduced}, std::pair{webp, c.webpReduced}, std::pair{heic, c.jpegReduced}}) {
            SCOPED_TRACE(path + " for " + std::to_string(c.draw.width()) + "x" + std::to_string(c.draw.height()));
            QSize seen;
            const DecodedPicture pic = LoadPictureFile(path, [&](QSize natural) {
                seen = natural;
                return c.draw;
            });
            ASSERT_TRUE(pic.ok());
            EXPECT_EQ(seen, QSize(1600, 1200));
            EXPECT_EQ(pic.naturalWidth, 1600);
            EXPECT_GE(pic.image.width(), std::min(c.draw.width(), 1600));
            EXPECT_GE(pic.image.height(), std::min(c.draw.height(), 1200));
            EXPECT_LE(pic.image.width(), 1600);
            EXPECT_EQ(pic.image.width() < 1600, reduced);
            // The picture is still the whole picture, only smaller (a few
            // pixels average whole quadrants).
            if (pic.image.width() >= 8) {
                const QImage source = Quadrants(4, 4);
                for (const QPoint at : {QPoint(1, 1), QPoint(3, 1), QPoint(1, 3), QPoint(3, 3)}) {
                    const QRgb seen = pic.image.pixel(pic.image.width() * at.x() / 4, pic.image.height() * at.y() / 4);
                    const QRgb want = source.pixel(at.x() / 2 * 2, at.y() / 2 * 2);
                    EXPECT_NEAR(qRed(seen), qRed(want), 30);
                    EXPECT_NEAR(qGreen(seen), qGreen(want), 30);
                    EXPECT_NEAR(qBlue(seen), qBlue(want), 30);
                }
            }
        }
    }
}

// A HEIC photo with a 320 x 240 thumbnail, turned sideways by its boxes: the
// thumbnail serves a draw size it covers, the photo itself anything larger,
// either then reduced by the largest whole factor that still covers it (the
// photo's would give 96 x 128 for the first row).
TEST_F(PictureLoaderTest, HeifThumbnailServesSmallDrawSizes) {
    const std::string path = write("thumb.heic", pw::WriteHeif(Quadrants(640, 480), pw::HeifCodec::Hevc, 90, 6, 320));
    const struct {
        QSize draw;
        QSize decoded;
    } cases[] = {{{90, 120}, {120, 160}},
                 {{240, 320}, {240, 320}},
                 {{240, 321}, {480, 640}},
                 {{0, 0}, {480, 640}},
                 {{-1, 5}, {480, 640}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.draw.width()) + "x" + std::to_string(c.draw.height()));
        const DecodedPicture pic = LoadPictureFile(path, [&](QSize) { return c.draw; });
        ASSERT_TRUE(pic.ok());
        EXPECT_EQ(QSize(pic.naturalWidth, pic.naturalHeight), QSize(480, 640));
        EXPECT_EQ(pic.image.size(), c.decoded);
        // Turned like the photo: the red quadrant (top left when stored) is now top right.
        const QRgb px = pic.image.pixel(pic.image.width() * 3 / 4, pic.image.height() / 4);
        EXPECT_GT(qRed(px), 150) << std::hex << px;
    }
}

TEST_F(PictureLoaderTest, MetafileIsRenderedAtTheDrawSize) {
    pw::WmfWriter wmf;
    wmf.setPlaceable(QRect(0, 0, 1440, 720), 1440);
    wmf.selectObject(wmf.createBrush(0, QColor(255, 0, 0)));
    wmf.rectangle(0, 0, 720, 720);
    const std::string path = write("half.wmf", wmf.finish());
    const DecodedPicture natural = LoadPictureFile(path);
    ASSERT_TRUE(natural.ok());
    EXPECT_EQ(natural.image.size(), QSize(96, 48));
    const DecodedPicture big = LoadPictureFile(path, [](QSize) { return QSize(800, 400); });
    ASSERT_TRUE(big.ok());
    EXPECT_EQ(big.naturalWidth, 96);
    EXPECT_EQ(big.image.size(), QSize(800, 400));
    EXPECT_EQ(big.image.pixel(200, 200), qRgb(255, 0, 0));
}

// A green frame around a transparent or half-transparent middle (a metafile:
// an unpainted middle), laid over two grounds.
TEST_F(PictureLoaderTest, TransparentPartsShowTheGround) {
    QImage frame(20, 16, QImage::Format_Indexed8);
    frame.setColorTable({qRgb(0, 200, 0), qRgba(0, 0, 0, 0)});
    frame.fill(0);
    for (int y = 4; y < 12; ++y)
        for (int x = 5; x < 15; ++x) frame.setPixel(x, y, 1);
    const QRgb half = qRgba(255, 255, 255, 128);
    QImage halfFrame = frame.convertToFormat(QImage::Format_ARGB32);
    for (int y = 4; y < 12; ++y)
        for (int x = 5; x < 15; ++x) halfFrame.setPixel(x, y, half);
    pw::WmfWriter wmf;
    wmf.setPlaceable(QRect(0, 0, 300, 240), 1440);
    wmf.selectObject(wmf.createPen(5, 0, Qt::black));
    wmf.selectObject(wmf.createBrush(0, QColor(0, 200, 0)));
    wmf.rectangle(0, 0, 300, 60);
    const struct {
        const char* name;
        QByteArray bytes;
        QRgb middle;    // the middle's colour and alpha
        int tolerance;  // per channel
    } files[] = {
        {"frame.gif", pw::WriteGif({frame}), qRgba(0, 0, 0, 0), 0},
        {"top-band.wmf", wmf.finish(), qRgba(0, 0, 0, 0), 0},
        {"half.png", pw::WritePng(halfFrame), half, 1},
        {"half.webp", pw::WriteWebp(halfFrame), half, 1},
        {"half.tif", pw::WriteTiff(halfFrame), half, 1},
        {"half.avif", pw::WriteHeif(halfFrame, pw::HeifCodec::Av1, 95), half, 12},
    };
    for (const auto& f : files) {
        const std::string path = write(f.name, f.bytes);
        for (QRgb ground : {qRgb(0, 0, 0), qRgb(220, 30, 40)}) {
            SCOPED_TRACE(std::string(f.name) + " on #" + QString::number(ground & 0xFFFFFF, 16).toStdString());
            const DecodedPicture pic = LoadPictureFile(path, {}, ground);
            ASSERT_TRUE(pic.ok());
            const int a = qAlpha(f.middle);
            const auto blend = [&](int top, int below) { return (top * a + below * (255 - a) + 127) / 255; };
            QImage expected(1, 1, QImage::Format_RGB32);
            expected.setPixel(0, 0,
                              qRgb(blend(qRed(f.middle), qRed(ground)), blend(qGreen(f.middle), qGreen(ground)),
                                   blend(qBlue(f.middle), qBlue(ground))));
            const QImage& img = pic.image;
            EXPECT_TRUE(SamePixels(expected, img.copy(img.width() / 2, img.height() / 2, 1, 1), f.tolerance));
            expected.setPixel(0, 0, qRgb(0, 200, 0));
            EXPECT_TRUE(SamePixels(expected, img.copy(1, 1, 1, 1), f.tolerance));
        }
    }
}

// A bitmap file cut short decodes without complaint; the rows it no longer
// holds show the ground, never whatever the memory held before.
TEST_F(PictureLoaderTest, MissingRowsOfACutBitmapShowTheGround) {
    const QImage picture = Pattern(21, 16);
    const QImage indexed = picture.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither);
    const QRgb ground = qRgb(220, 30, 40);
    const struct {
        const char* name;
        QByteArray bytes;
        const QImage& expected;
        int rowsKept;  // from the bottom; -1: wherever the data ran out
    } cases[] = {
        {"24-bit", pw::WriteBmp24(picture), picture, 5},
        {"8-bit", pw::WriteBmp8(indexed, false), indexed, 6},
        {"RLE8", pw::WriteBmp8(indexed, true), indexed, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const int bpp = c.bytes[28];
        const int offset = qFromLittleEndian<qint32>(c.bytes.constData() + 10);
        const int stride = (21 * bpp + 31) / 32 * 4;
        const int keep = c.rowsKept >= 0 ? offset + c.rowsKept * stride + stride / 2 : (c.bytes.size() + offset) / 2;
        const DecodedPicture pic = LoadPictureFile(write(std::string(c.name) + ".bmp", c.bytes.left(keep)), {}, ground);
        ASSERT_TRUE(pic.ok());
        ASSERT_EQ(pic.image.size(), picture.size());
        int groundRows = 0;
        for (int y = 0; y < 16; ++y) {
            const QImage row = pic.image.copy(0, y, 21, 1);
            if (SamePixels(c.expected.copy(0, y, 21, 1).convertToFormat(QImage::Format_RGB32), row, 0)) continue;
            QImage flat(21, 1, QImage::Format_RGB32);
            flat.fill(ground);
            EXPECT_TRUE(SamePixels(flat, row, 0)) << "row " << y << " is neither the picture's nor the ground";
            ++groundRows;
            EXPECT_TRUE(c.rowsKept < 0 || y < 16 - c.rowsKept) << "row " << y << " was in the file";
        }
        EXPECT_GT(groundRows, 0);
        if (c.rowsKept >= 0) {
            EXPECT_EQ(groundRows, 16 - c.rowsKept);
        }
    }
}

TEST_F(PictureLoaderTest, UnreadableFilesFailAndSayWhy) {
    const QByteArray jpeg = pw::WriteJpeg(Pattern(16, 16));
    struct Case {
        const char* name;
        QByteArray bytes;
        const char* why;  // a part of the failure's text
    };
    const Case cases[] = {
        {"empty.jpg", QByteArray(), "not in a picture format"},
        {"text.bmp", QByteArray("not a picture at all"), "not in a picture format"},
        {"png-signature.gif", QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), "PNG file is damaged"},
        {"riff-only.webp", QByteArray("RIFF\0\0\0\0WEBP", 12), ""},
        {"tiff-header-only.tif", QByteArray("II*\0\x08\0\0\0", 8), "TIFF file is damaged"},
        {"ftyp-only.heic",
         QByteArray("\0\0\0\x18"
                    "ftypheic\0\0\0\0mif1heic",
                    24),
         ""},
        {"header-only.jpg", jpeg.left(4), "JPEG file is damaged"},
        {"only-magic.bmp", QByteArray("BM"), "BMP file is damaged"},
        {"only-magic.gif", QByteArray("GIF89a"), "GIF file is damaged"},
    };
    const auto failsSaying = [](const DecodedPicture& pic, const std::string& why) {
        if (pic.ok()) return ::testing::AssertionFailure() << "decoded";
        if (pic.failure.empty() || pic.failure.find(why) == std::string::npos)
            return ::testing::AssertionFailure() << "says \"" << pic.failure << "\", not \"" << why << "\"";
        return ::testing::AssertionSuccess();
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_TRUE(failsSaying(LoadPictureFile(write(c.name, c.bytes)), c.why));
    }
    // The HEIF libraries are loaded at the first HEIF picture; without them
    // a sound photo is one more picture that cannot be decoded.
    const std::string heic = write("photo.heic", pw::WriteHeif(Pattern(16, 16), pw::HeifCodec::Hevc));
    LateLibrary missing("libtavrelle-missing.so.0");
    LateLibrary::AlsoRequireForTest(&missing);
    EXPECT_TRUE(failsSaying(LoadPictureFile(heic), "HEIF library is not available (libtavrelle-missing.so.0)"));
    LateLibrary::AlsoRequireForTest(nullptr);
    EXPECT_TRUE(LoadPictureFile(heic).ok());
    EXPECT_TRUE(failsSaying(LoadPictureFile(dir_.File("missing.bmp")), "No such file"));
    EXPECT_TRUE(failsSaying(LoadPictureFile(dir_.Path()), "not a regular file"));
    EXPECT_TRUE(failsSaying(LoadPictureFile(""), "No such file"));
    // A pipe is never opened: that would wait for a writer that never comes.
    const std::string pipe = dir_.File("pipe.jpg");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_TRUE(failsSaying(LoadPictureFile(pipe), "not a regular file"));
}

// Mutated copies of valid files (truncated, bytes overwritten) load or fail;
// none crashes, and what loads is a sane picture. Meant to run under ASan too.
TEST_F(PictureLoaderTest, DamagedFilesNeverCrash) {
    const QImage pattern = Pattern(40, 30);
    pw::WmfWriter wmf;
    wmf.setPlaceable(QRect(0, 0, 400, 300), 1000);
    wmf.setBkMode(1);
    wmf.selectObject(wmf.createPen(0, 3, Qt::blue));
    wmf.selectObject(wmf.createBrush(2, Qt::green, 3));
    wmf.selectObject(wmf.createFont(-40, 700, false, "Sans"));
    wmf.ellipse(10, 10, 200, 150);
    wmf.polyPolygon({{{0, 0}, {100, 0}, {50, 80}}, {{200, 200}, {300, 210}, {250, 290}}});
    wmf.textOut(20, 200, "Tavrelle");
    wmf.stretchDib(QRect(200, 0, 200, 150), QRect(0, 0, 40, 30), pattern);
    wmf.pie(0, 0, 400, 300, 400, 150, 200, 0);
    QImage translucent = pattern.convertToFormat(QImage::Format_ARGB32);
    translucent.setPixel(3, 3, qRgba(10, 20, 30, 40));
    const QByteArray originals[] = {pw::WriteBmp24(pattern),
                                    pw::WriteBmp8(pattern, true),
                                    pw::WriteGif({pattern}),
                                    pw::WriteJpeg(pattern, 85, 6),
                                    pw::WriteJpeg(pattern, 85),
                                    wmf.finish(),
                                    pw::WritePng(translucent, 6),
                                    pw::WriteWebp(translucent, 3),
                                    pw::WriteTiff(pattern, 8),
                                    pw::WriteHeif(pattern, pw::HeifCodec::Hevc, 80, 6),
                                    pw::WriteHeif(translucent, pw::HeifCodec::Av1, 80)};
    std::mt19937 random(20261207);
    const std::string path = dir_.File("mutant");
    int loaded = 0, total = 0;
    for (const QByteArray& original : originals) {
        for (int i = 0; i < 80; ++i) {
            QByteArray bytes = original;
            if (i % 4 == 0) {
                bytes.truncate(qsizetype(random() % std::uint32_t(bytes.size())));
            } else {
                const int flips = 1 + int(random() % 8);
                for (int f = 0; f < flips; ++f) {
                    // Headers are where the damage matters most; aim half the flips there.
                    const std::uint32_t span = (f & 1) ? std::uint32_t(bytes.size())
                                                       : std::min<std::uint32_t>(64, std::uint32_t(bytes.size()));
                    bytes[qsizetype(random() % span)] = char(random() & 0xFF);
                }
            }
            ASSERT_TRUE(pw::SaveBytes(path, bytes));
            const DecodedPicture pic =
                LoadPictureFile(path, [](QSize natural) { return natural.boundedTo(QSize(320, 240)); });
            ++total;
            if (pic.ok()) {
                ++loaded;
                EXPECT_TRUE(PictureSizeAcceptable(pic.naturalWidth, pic.naturalHeight));
                EXPECT_EQ(pic.image.format(), QImage::Format_RGB32);
            }
            // Streamed, the rows of a damaged file come in order and within the picture.
            KeptRows rows;
            const DecodedPicture streamed = LoadPictureFile(
                path, [](QSize natural) { return natural.boundedTo(QSize(320, 240)); }, qRgb(0, 0, 0), &rows);
            EXPECT_FALSE(rows.outOfOrder);
            EXPECT_LE(rows.begun, 1);
            if (streamed.streamed) {
                EXPECT_EQ(rows.next, rows.image.height());
            }
            EXPECT_EQ(streamed.ok(), pic.ok());
        }
    }
    EXPECT_EQ(total, 880);
    EXPECT_GT(loaded, 0);
}

}  // namespace
}  // namespace tav
