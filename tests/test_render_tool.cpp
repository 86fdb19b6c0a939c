// The renderer as a user runs it: options, exit status and the JSON figures.
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <cstdint>
#include <cstdlib>

#include "effects/RecordingHost.h"
#include "render/Crc32.h"
#include "render/FrameWriter.h"
#include "render/RenderOptions.h"
#include "support/effect_harness.h"
#include "support/xvfb_session.h"
#include "testmedia/PictureWriters.h"
#include "testmedia/TempFolder.h"

namespace tav {
namespace {

struct ToolRun {
    int status = -1;
    QByteArray out, err;
};

ToolRun Render(const QStringList& args) {
    QProcess p;
    p.start(QString::fromStdString(test::ProgramPath("tavrelle-render")), args);
    p.waitForFinished(120000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
            p.readAllStandardError()};
}

// A bit-by-bit CRC-32, written apart from the tool's table-driven one.
std::uint32_t SlowCrc(const std::vector<std::uint8_t>& bytes) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::uint8_t b : bytes) {
        crc ^= b;
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

TEST(RenderTool, StatsAreOneJsonObjectWithTheFiguresOfTheTransition) {
    const ToolRun r = Render({"--effect", "1", "--size", "80x60", "--speed", "2", "--stats"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(r.out, &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << r.out.toStdString();
    const QJsonObject o = doc.object();
    EXPECT_EQ(o["effect"].toInt(), 1);
    EXPECT_EQ(o["routine"].toString(), "StripSequenceWipe");
    EXPECT_EQ(o["args"].toArray(), QJsonArray({1, 1, 1}));
    EXPECT_EQ(o["width"].toInt(), 80);
    EXPECT_EQ(o["height"].toInt(), 60);
    EXPECT_EQ(o["speed"].toInt(), 2);
    EXPECT_TRUE(o["final_equals_incoming"].toBool());
    EXPECT_EQ(o["sleep_ms"].toInt(), 0);
    // One strip of 80 columns at 2 a frame: 80 / 2 + 1 frames, and the dispatcher's last one.
    EXPECT_EQ(o["frames"].toInt(), 42);
    EXPECT_EQ(o["frame_crc32"].toArray().size(), 42);
}

TEST(RenderTool, FrameChecksumIsTheCrcOfTheLittleEndianPixels) {
    Bitmap frame(3, 2);
    const Pixel values[] = {0x000000, 0xFFFFFF, 0x123456, 0xABCDEF, 0x00FF00, 0x0000FF};
    std::vector<std::uint8_t> bytes;
    for (int i = 0; i < 6; ++i) {
        frame.setPixel(i % 3, i / 3, values[i]);
        for (int k = 0; k < 4; ++k) bytes.push_back(static_cast<std::uint8_t>(values[i] >> (8 * k)));
    }
    EXPECT_EQ(FrameCrc32(frame), SlowCrc(bytes));
    EXPECT_EQ(Crc32("123456789", 9), 0xCBF43926u) << "the standard check value";
}

TEST(RenderTool, ASeedGivesTheSameFramesEveryTime) {
    const ToolRun r = Render({"--effect", "124", "--size", "40x30", "--speed", "24", "--stats", "--seed", "3"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const ToolRun again = Render({"--effect", "124", "--size", "40x30", "--speed", "24", "--stats", "--seed", "3"});
    EXPECT_EQ(r.out, again.out);
}

TEST(RenderTool, BadOptionsEndWithStatusTwoAndOneLine) {
    const QStringList bad[] = {
        {"--effect", "0", "--size", "10x10"},
        {"--effect", "144", "--size", "10x10"},
        {"--effect", "x", "--size", "10x10"},
        {"--effect", "1", "--size", "10"},
        {"--effect", "1"},
        {"--size", "10x10"},
        {"--effect", "1", "--size", "10x10", "--back-color", "12345"},
        {"--effect", "1", "--size", "10x10", "--bogus"},
        {"--effect", "1", "--size", "10x10", "--speed"},
    };
    for (const QStringList& args : bad) {
        const ToolRun r = Render(args);
        EXPECT_EQ(r.status, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(r.err.startsWith("tavrelle-render: ")) << r.err.toStdString();
    }
}

TEST(RenderTool, ListHasEveryEffectAndFramesAreWritten) {
    const ToolRun list = Render({"--list"});
    ASSERT_EQ(list.status, 0);
    EXPECT_EQ(list.out.count('\n'), 143);
    EXPECT_TRUE(list.out.startsWith("  1 StripSequenceWipe 1, 1, 1\n")) << list.out.left(60).toStdString();

    // Every frame file holds the very frame the checksum of its number describes.
    test::TempFolder dir;
    const QString folder = QString::fromStdString(dir.Path());
    const ToolRun r =
        Render({"--effect", "41", "--size", "64x48", "--frames", folder, "--back-color", "FF8800", "--stats"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QJsonArray crcs = QJsonDocument::fromJson(r.out).object()["frame_crc32"].toArray();
    ASSERT_GE(crcs.size(), 5);
    for (int n = 1; n <= crcs.size(); ++n) {
        const QString name = folder + QString::asprintf("/frame_%04d.png", n);
        const QImage image = QImage(name).convertToFormat(QImage::Format_RGB32);
        ASSERT_EQ(image.size(), QSize(64, 48)) << name.toStdString();
        Bitmap frame(64, 48);
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 64; ++x) frame.setPixel(x, y, image.pixel(x, y) & 0xFFFFFFu);
        EXPECT_EQ(FrameCrc32(frame), static_cast<std::uint32_t>(crcs[n - 1].toDouble())) << name.toStdString();
    }
    EXPECT_FALSE(QFile::exists(folder + QString::asprintf("/frame_%04d.png", int(crcs.size()) + 1)));
}

TEST(RenderTool, PngFramesDecodeToTheirPixels) {
    struct Case {
        int w, h;
        Pixel seed;
    } cases[] = {{1, 1, 0}, {3, 2, 0xFFFFFF}, {17, 5, 0x123456}, {300, 3, 0xABCDEF}};
    for (const auto& c : cases) {
        Bitmap frame(c.w, c.h);
        Pixel v = c.seed;
        for (Pixel& p : frame.pixels()) p = (v = v * 1103515245u + 12345u) & 0xFFFFFFu;
        const std::vector<unsigned char> png = EncodePng(frame);
        const QImage image = QImage::fromData(png.data(), static_cast<int>(png.size()), "PNG");
        ASSERT_EQ(image.size(), QSize(c.w, c.h)) << c.w << "x" << c.h;
        for (int i = 0; i < c.w * c.h; ++i)
            if ((image.pixel(i % c.w, i / c.w) & 0xFFFFFFu) != frame.pixels()[i]) {
                ADD_FAILURE() << c.w << "x" << c.h << ": pixel " << i % c.w << "," << i / c.w << " differs";
                break;
            }
    }
}

// A solid HEIC photo goes out, a PNG with a transparent middle comes in on a red ground.
TEST(RenderTool, PicturesOfEveryFormatAreComposedOnTheBackColour) {
    test::TempFolder dir;
    const QString folder = QString::fromStdString(dir.Path());
    QImage photo(40, 30, QImage::Format_RGB32);
    photo.fill(qRgb(30, 40, 200));
    QImage hollow(40, 30, QImage::Format_ARGB32);
    hollow.fill(qRgb(0, 200, 0));
    for (int y = 5; y < 25; ++y)
        for (int x = 5; x < 35; ++x) hollow.setPixel(x, y, qRgba(0, 0, 0, 0));
    const QString from = folder + "/photo.heic", to = folder + "/hollow.png";
    ASSERT_TRUE(pw::SaveBytes(from.toStdString(), pw::WriteHeif(photo, pw::HeifCodec::Hevc)));
    ASSERT_TRUE(pw::SaveBytes(to.toStdString(), pw::WritePng(hollow)));
    const ToolRun r = Render({"--effect", "1", "--size", "40x30", "--from", from, "--to", to, "--back-color", "FF0000",
                              "--frames", folder, "--stats"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const int frames = QJsonDocument::fromJson(r.out).object()["frames"].toInt();
    const QImage first(folder + "/frame_0001.png");
    const QImage last(folder + QString::asprintf("/frame_%04d.png", frames));
    ASSERT_FALSE(first.isNull());
    ASSERT_FALSE(last.isNull());
    const QRgb outgoing = first.pixel(39, 15);
    EXPECT_LT(std::abs(qBlue(outgoing) - 200) + std::abs(qRed(outgoing) - 30), 30) << std::hex << outgoing;
    EXPECT_EQ(last.pixel(20, 15), qRgb(255, 0, 0)) << "the transparent middle shows the back colour";
    EXPECT_EQ(last.pixel(1, 1), qRgb(0, 200, 0));
}

TEST(RenderOptions, BackColourIsReadAsRrggbbAndStoredAsColorref) {
    std::string error;
    auto o = ParseRenderOptions({"--effect", "5", "--size", "8x4", "--back-color", "112233", "--seed", "9"}, error);
    ASSERT_TRUE(o) << error;
    EXPECT_EQ(o->backColor, 0x00332211u);
    EXPECT_EQ(o->seed.value_or(0), 9u);
    EXPECT_EQ(o->speed, 2);
}

}  // namespace
}  // namespace tav
