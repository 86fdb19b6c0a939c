// The renderer as a user runs it: options, exit status and the JSON figures.
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

#include <fcntl.h>
#include <pty.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>

#include "effects/Dispatch.h"
#include "effects/RecordingHost.h"
#include "render/Crc32.h"
#include "render/FrameWriter.h"
#include "render/Gallery.h"
#include "render/RenderOptions.h"
#include "render/TestCards.h"
#include "render/TimedHost.h"
#include "startup/SharedState.h"
#include "storage/Settings.h"
#include "support/application.h"
#include "support/effect_harness.h"
#include "support/storage_temp_folder.h"
#include "support/xvfb_session.h"
#include "testmedia/PictureWriters.h"
#include "testmedia/SoundWriters.h"
#include "testmedia/TempFolder.h"

namespace tav {
namespace {

struct ToolRun {
    int status = -1;
    QByteArray out, err;
};

ToolRun Render(const QStringList& args, const std::function<void()>& inChild = {}) {
    QProcess p;
    if (inChild) p.setChildProcessModifier(inChild);
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

// What a video made at `fps` shows, one entry per video frame: the number of
// the rendered frame (0-based), or -1 for the outgoing picture before the
// first. Each rendered frame lasts its sleeps, or one video frame when it has
// none; video frame k shows what is on the display at k / fps seconds; the
// last rendered frame is shown at least once.
std::vector<int> ExpectedVideo(long long leadMs, const QJsonArray& sleepMs, int fps) {
    struct Span {
        int frame;
        long long start, end;  // in 1 / (1000 fps) s
    };
    std::vector<Span> spans;
    long long t = 0;
    if (leadMs > 0) spans.push_back({-1, 0, t = leadMs * fps});
    for (int i = 0; i < sleepMs.size(); ++i) {
        const long long ms = sleepMs[i].toInteger();
        const long long d = ms > 0 ? ms * fps : 1000;
        spans.push_back({i, t, t + d});
        t += d;
    }
    std::vector<int> shown;
    std::size_t s = 0;
    for (long long k = 0; k * 1000 < t; ++k) {
        while (spans[s].end <= k * 1000) ++s;
        shown.push_back(spans[s].frame);
    }
    if (shown.back() != spans.back().frame) shown.push_back(spans.back().frame);
    return shown;
}

// A video as FFmpeg's decoders read it back.
struct Decoded {
    int width = 0, height = 0;
    std::string videoCodec, audioCodec;
    int frames = 0;
    double videoSeconds = 0;  // from the last frame's time and length
    std::vector<std::uint32_t> crcs;
    long long audioSamples = 0;
    int sampleRate = 0;
    std::string error;
};

Decoded DecodeVideo(const std::string& path, bool checksums) {
    av_log_set_level(AV_LOG_ERROR);
    Decoded d;
    AVFormatContext* in = nullptr;
    if (avformat_open_input(&in, path.c_str(), nullptr, nullptr) < 0) return d.error = "cannot open " + path, d;
    avformat_find_stream_info(in, nullptr);
    std::vector<AVCodecContext*> decoders(in->nb_streams, nullptr);
    int video = -1, audio = -1;
    for (unsigned i = 0; i < in->nb_streams; ++i) {
        const AVCodecParameters* par = in->streams[i]->codecpar;
        const AVCodec* codec = avcodec_find_decoder(par->codec_id);
        if (!codec) continue;
        decoders[i] = avcodec_alloc_context3(codec);
        avcodec_parameters_to_context(decoders[i], par);
        avcodec_open2(decoders[i], codec, nullptr);
        if (par->codec_type == AVMEDIA_TYPE_VIDEO && video < 0) video = static_cast<int>(i), d.videoCodec = codec->name;
        if (par->codec_type == AVMEDIA_TYPE_AUDIO && audio < 0) audio = static_cast<int>(i), d.audioCodec = codec->name;
    }
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    SwsContext* toRgb = nullptr;
    std::int64_t videoEnd = 0;
    auto drain = [&](int index) {
        while (avcodec_receive_frame(decoders[index], frame) == 0) {
            if (index == audio) {
                d.audioSamples += frame->nb_samples;
                d.sampleRate = frame->sample_rate;
            } else {
                ++d.frames;
                d.width = frame->width;
                d.height = frame->height;
                videoEnd = std::max<std::int64_t>(videoEnd, frame->best_effort_timestamp + frame->pkt_duration);
                if (checksums) {
                    Bitmap b(frame->width, frame->height);
                    std::uint8_t* dst[1] = {reinterpret_cast<std::uint8_t*>(b.pixels().data())};
                    const int stride[1] = {frame->width * 4};
                    toRgb = sws_getCachedContext(toRgb, frame->width, frame->height,
                                                 static_cast<AVPixelFormat>(frame->format), frame->width, frame->height,
                                                 AV_PIX_FMT_BGR0, SWS_POINT, nullptr, nullptr, nullptr);
                    sws_scale(toRgb, frame->data, frame->linesize, 0, frame->height, dst, stride);
                    for (Pixel& p : b.pixels()) p &= 0xFFFFFFu;
                    d.crcs.push_back(FrameCrc32(b));
                }
            }
            av_frame_unref(frame);
        }
    };
    while (av_read_frame(in, packet) >= 0) {
        const int index = packet->stream_index;
        if ((index == video || index == audio) && avcodec_send_packet(decoders[index], packet) >= 0) drain(index);
        av_packet_unref(packet);
    }
    for (int index : {video, audio})
        if (index >= 0) {
            avcodec_send_packet(decoders[index], nullptr);
            drain(index);
        }
    if (video >= 0) d.videoSeconds = static_cast<double>(videoEnd) * av_q2d(in->streams[video]->time_base);
    sws_freeContext(toRgb);
    av_frame_free(&frame);
    av_packet_free(&packet);
    for (AVCodecContext*& c : decoders) avcodec_free_context(&c);
    avformat_close_input(&in);
    return d;
}

// The frames of an animated WebP file and its length in milliseconds, read
// from its chunks.
struct WebpAnimation {
    int frames = 0;
    long long durationMs = 0;
    bool valid = false;
};

WebpAnimation ReadWebp(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    WebpAnimation a;
    auto u = [&](std::size_t at, int n) {
        std::uint32_t v = 0;
        for (int k = 0; k < n; ++k)
            v |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + k])) << (8 * k);
        return v;
    };
    if (bytes.size() < 12 || bytes.compare(0, 4, "RIFF") != 0 || bytes.compare(8, 4, "WEBP") != 0) return a;
    for (std::size_t at = 12; at + 8 <= bytes.size();) {
        const std::uint32_t size = u(at + 4, 4);
        if (bytes.compare(at, 4, "ANMF") == 0) {
            ++a.frames;
            a.durationMs += u(at + 8 + 12, 3);
        }
        // A single picture is stored still, without a frame chunk.
        if (bytes.compare(at, 4, "VP8 ") == 0 || bytes.compare(at, 4, "VP8L") == 0) ++a.frames;
        at += 8 + size + (size & 1);
    }
    a.valid = true;
    return a;
}

// Every file in a folder, hidden ones too.
std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder)) names.push_back(e.path().filename().string());
    return names;
}

std::string Joined(const std::vector<std::string>& names) {
    std::string s;
    for (const std::string& n : names) s += (s.empty() ? "" : ", ") + n;
    return s;
}

TEST(RenderVideo, LosslessVideoShowsEachFrameForItsTime) {
    test::TempFolder dir;
    for (int effect : {1, 63, 100, 135}) {
        const std::string video = dir.File("effect.mkv");
        const ToolRun r = Render({"--effect", QString::number(effect), "--size", "320x240", "--seed", "1", "--stats",
                                  "--timing", "--video", QString::fromStdString(video)});
        ASSERT_EQ(r.status, 0) << effect << ": " << r.err.toStdString();
        const QJsonObject stats = QJsonDocument::fromJson(r.out).object();
        const QJsonArray crcs = stats["frame_crc32"].toArray();
        const std::vector<int> expected =
            ExpectedVideo(stats["lead_sleep_ms"].toInteger(), stats["frame_sleep_ms"].toArray(), 30);
        const Decoded d = DecodeVideo(video, true);
        ASSERT_EQ(d.error, "");
        EXPECT_EQ(d.videoCodec, "ffv1");
        EXPECT_EQ(d.width, 320);
        EXPECT_EQ(d.height, 240);
        ASSERT_EQ(d.crcs.size(), expected.size()) << "effect " << effect;
        for (std::size_t k = 0; k < expected.size(); ++k) {
            ASSERT_GE(expected[k], 0) << "effect " << effect << " sleeps before its first frame";
            ASSERT_EQ(d.crcs[k], static_cast<std::uint32_t>(crcs[expected[k]].toDouble()))
                << "effect " << effect << ", video frame " << k << " should show frame " << expected[k] + 1;
        }
        EXPECT_NEAR(d.videoSeconds, expected.size() / 30.0, 1 / 30.0) << "effect " << effect;
    }
}

// Each container plays for the transition's time at the asked size; GIF and
// WebP hold a picture as one frame while it stands.
TEST(RenderVideo, EveryContainerPlaysForTheTransitionsTime) {
    test::TempFolder dir;
    const ToolRun stats = Render({"--effect", "100", "--size", "160x120", "--stats", "--timing"});
    ASSERT_EQ(stats.status, 0) << stats.err.toStdString();
    const QJsonObject o = QJsonDocument::fromJson(stats.out).object();
    for (int fps : {30, 25}) {
        const std::vector<int> shown = ExpectedVideo(0, o["frame_sleep_ms"].toArray(), fps);
        const double seconds = static_cast<double>(shown.size()) / fps;
        int runs = 0;  // pictures that differ from the one before
        for (std::size_t k = 0; k < shown.size(); ++k) runs += k == 0 || shown[k] != shown[k - 1];
        for (const char* name : {"t.mp4", "t.webm", "t.gif", "t.webp"}) {
            SCOPED_TRACE(std::string(name) + " at " + std::to_string(fps) + " fps");
            const std::string video = dir.File(name);
            const ToolRun r = Render({"--effect", "100", "--size", "160x120", "--fps", QString::number(fps), "--video",
                                      QString::fromStdString(video)});
            ASSERT_EQ(r.status, 0) << r.err.toStdString();
            if (std::string(name).ends_with(".webp")) {
                const WebpAnimation a = ReadWebp(video);
                ASSERT_TRUE(a.valid);
                // The lossy encoder also merges pictures too alike to tell apart.
                EXPECT_LE(a.frames, runs);
                EXPECT_GE(a.frames, runs * 9 / 10);
                EXPECT_NEAR(a.durationMs, seconds * 1000, 1000.0 / fps);
                continue;
            }
            const Decoded d = DecodeVideo(video, false);
            ASSERT_EQ(d.error, "");
            EXPECT_EQ(d.width, 160);
            EXPECT_EQ(d.height, 120);
            EXPECT_NEAR(d.videoSeconds, seconds, 1.0 / fps);
            if (std::string(name).ends_with(".gif"))
                EXPECT_LE(d.frames, runs);
            else
                EXPECT_EQ(d.frames, static_cast<int>(shown.size()));
            EXPECT_EQ(d.videoCodec, std::string(name).ends_with(".mp4")    ? "h264"
                                    : std::string(name).ends_with(".webm") ? "vp9"
                                                                           : "gif");
        }
    }
}

// Whatever goes wrong, one line names it, the status is 1, and the folder
// holds no file of the run, not even a temporary one.
TEST(RenderVideo, BadOutputsEndWithOneLineAndLeaveNoFile) {
    test::TempFolder dir;
    const std::string plainFile = dir.File("plain");
    std::ofstream(plainFile) << "x";
    const std::string locked = dir.File("locked");
    std::filesystem::create_directory(locked);
    std::filesystem::permissions(locked, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    const std::string out = dir.File("out");
    std::filesystem::create_directory(out);

    const auto fullDisk = [] {
        // Past 64 KiB every write fails, as on a full disk.
        const rlimit limit{64 * 1024, 64 * 1024};
        setrlimit(RLIMIT_FSIZE, &limit);
    };
    struct Case {
        const char* what;
        std::string video;
        QStringList more;
        std::function<void()> inChild;
        const char* cause;  // in the message
    } cases[] = {
        {"unknown extension", out + "/t.avi", {}, {}, "unknown extension '.avi'"},
        {"no extension", out + "/t", {}, {}, "has no extension"},
        {"missing folder", out + "/missing/t.mp4", {}, {}, "cannot write in"},
        {"folder that is a file", plainFile + "/t.mp4", {}, {}, "cannot write in"},
        {"unwritable folder", locked + "/t.mp4", {}, {}, "Permission denied"},
        {"encoder not installed", out + "/t.mkv", {"--codec", "nosuchcodec"}, {}, "no video encoder named"},
        {"odd size for H.264", out + "/t.mp4", {"--size", "161x121"}, {}, "even width and height"},
        {"full disk", out + "/t.mkv", {"--size", "320x240"}, fullDisk, "File too large"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (std::string(c.what) == "unwritable folder" && geteuid() == 0) {
            std::printf("skipped the unwritable folder: root writes in any folder\n");
            continue;
        }
        QStringList args = {"--effect", "63", "--size", "160x120", "--video", QString::fromStdString(c.video)};
        args += c.more;
        const ToolRun r = Render(args, c.inChild);
        EXPECT_EQ(r.status, 1) << r.err.toStdString();
        const QList<QByteArray> lines = r.err.trimmed().split('\n');
        int ours = 0;
        for (const QByteArray& line : lines) ours += line.startsWith("tavrelle-render: ");
        EXPECT_EQ(ours, 1) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(c.cause)) << r.err.toStdString();
        EXPECT_EQ(Joined(FilesIn(out)), "");
        EXPECT_EQ(Joined(FilesIn(locked)), "");
    }
    std::filesystem::permissions(locked, std::filesystem::perms::owner_all);
}

// The time a transition takes in a video at `fps`, in steps of 1 / (1000 fps) s:
// each frame its sleeps, or one video frame (1000 steps) when it has none.
long long TransitionSteps(const QJsonObject& stats, int fps) {
    long long steps = stats["lead_sleep_ms"].toInteger() * fps;
    for (const QJsonValue& ms : stats["frame_sleep_ms"].toArray())
        steps += ms.toInteger() > 0 ? ms.toInteger() * fps : 1000;
    return steps;
}

// The files of a folder with their bytes, to see that nothing changed.
std::map<std::string, std::string> Snapshot(const std::string& folder) {
    std::map<std::string, std::string> files;
    for (const auto& e : std::filesystem::directory_iterator(folder)) {
        std::ifstream f(e.path(), std::ios::binary);
        files[e.path().filename().string()] = std::string(std::istreambuf_iterator<char>(f), {});
    }
    return files;
}

// The group's pictures, interval, speed, area colour and music make the video:
// the first picture, a transition to each next one, and the last picture
// standing until the slide timer's next tick, with the music looped under it
// all. The data folder is read and never written.
TEST(RenderGroup, AGroupBecomesAVideoOfItsSlidesWithItsMusic) {
    test::StorageTempFolder store;
    store.CreateData();
    const std::string root = store.Root();
    std::vector<std::string> pictures;
    for (QRgb colour : {qRgb(200, 0, 0), qRgb(0, 0, 200), qRgb(0, 180, 0)}) {
        QImage image(40, 30, QImage::Format_RGB32);
        image.fill(colour);
        pictures.push_back(root + "/picture" + std::to_string(pictures.size()) + ".png");
        ASSERT_TRUE(pw::SaveBytes(pictures.back(), pw::WritePng(image)));
    }
    const std::string wav = root + "/tone.wav";
    ASSERT_TRUE(test::WriteToneWav(wav, 440, 0.7));  // shorter than the video: it is looped
    const std::string mp3 = root + "/tone.mp3";
    const bool haveMp3 = test::EncodeMp3(wav, mp3);

    // Group 2 plays the WAV file, group 4 the MP3 file; group 3 has one picture.
    for (int n : {2, 4}) {
        SaverSettings.CurrentGroup = static_cast<std::int16_t>(n);
        GroupSettings& g = SaverSettings.Groups[n];
        g.IntervalSeconds = 1;
        g.EffectSpeed = 24;
        g.MusicMode = 2;
        g.MusicFile = n == 2 || !haveMp3 ? wav : mp3;
        ASSERT_TRUE(SaveAllSettings(pictures));
    }
    SaverSettings.CurrentGroup = 3;
    ASSERT_TRUE(SaveAllSettings({pictures[0]}));
    const auto before = Snapshot(store.Data());
    const QByteArray oldData = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString(root));

    // Effects 1 and 2 run in plain order at the group's speed.
    long long steps[3] = {};
    for (int effect : {1, 2}) {
        const ToolRun r =
            Render({"--effect", QString::number(effect), "--size", "160x120", "--speed", "24", "--stats", "--timing"});
        ASSERT_EQ(r.status, 0);
        steps[effect] = TransitionSteps(QJsonDocument::fromJson(r.out).object(), 30);
    }
    // The first picture stands one video frame; the slide timer starts when
    // the first transition ends and ticks once a second from then.
    const long long second = 1000 * 30, firstEnd = 1000 + steps[1];
    const long long secondEnd = firstEnd + second + steps[2];
    const long long end = firstEnd + (secondEnd - firstEnd + second - 1) / second * second;
    const double seconds = std::ceil(end / 1000.0) / 30;

    struct Case {
        const char* group;
        const char* name;
        const char* videoCodec;
        const char* audioCodec;
    } cases[] = {{"2", "group.mp4", "h264", "aac"}, {"4", "group.webm", "vp9", "opus"}};
    if (!haveMp3) std::printf("the MP3 sound track is made from a WAV file: lame is not installed\n");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string video = root + "/" + c.name;
        const ToolRun r = Render({"--group", c.group, "--size", "160x120", "--video", QString::fromStdString(video)});
        ASSERT_EQ(r.status, 0) << r.err.toStdString();
        const Decoded d = DecodeVideo(video, false);
        EXPECT_EQ(d.videoCodec, c.videoCodec);
        EXPECT_EQ(d.audioCodec, c.audioCodec);
        EXPECT_EQ(d.width, 160);
        EXPECT_EQ(d.height, 120);
        EXPECT_NEAR(d.videoSeconds, seconds, 1 / 30.0);
        ASSERT_GT(d.sampleRate, 0);
        EXPECT_NEAR(static_cast<double>(d.audioSamples) / d.sampleRate, seconds, 1 / 30.0);
    }

    // A group that cannot be shown gives one line and no file; a data folder
    // that is not there is not made.
    for (const auto& [group, home] : {std::pair{"3", root}, std::pair{"5", root}, std::pair{"2", root + "/nothing"}}) {
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(home));
        const std::string video = root + "/bad.mp4";
        const ToolRun r = Render({"--group", group, "--video", QString::fromStdString(video)});
        EXPECT_EQ(r.status, 1) << group << " " << home;
        EXPECT_TRUE(r.err.contains("a slide show needs two")) << r.err.toStdString();
        EXPECT_FALSE(std::filesystem::exists(video));
    }
    EXPECT_FALSE(std::filesystem::exists(root + "/nothing"));
    qputenv("XDG_DATA_HOME", oldData);
    // Every data file is as it was, byte for byte, and no new one was made.
    EXPECT_TRUE(Snapshot(store.Data()) == before);
}

// The gallery lists every effect with its picture, and each picture holds one
// frame for every change the video would show. Flat pictures keep every
// change far above what the lossy encoder takes for "the same".
TEST(RenderGallery, EveryEffectHasItsPictureWithOneFramePerChange) {
    test::EnsureApplication();
    test::TempFolder dir;
    const std::string from = dir.File("red.png"), to = dir.File("blue.png");
    QImage red(48, 36, QImage::Format_RGB32), blue(48, 36, QImage::Format_RGB32);
    red.fill(qRgb(200, 0, 0));
    blue.fill(qRgb(0, 0, 200));
    ASSERT_TRUE(pw::SaveBytes(from, pw::WritePng(red)));
    ASSERT_TRUE(pw::SaveBytes(to, pw::WritePng(blue)));
    const std::string gallery = dir.File("gallery");
    const ToolRun r = Render({"--gallery", QString::fromStdString(gallery), "--size", "48x36", "--from",
                              QString::fromStdString(from), "--to", QString::fromStdString(to), "--seed", "1"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();

    std::ifstream indexFile(gallery + "/index.html");
    const std::string index((std::istreambuf_iterator<char>(indexFile)), std::istreambuf_iterator<char>());
    int listed = 0;
    for (std::size_t at = index.find("<figure"); at != std::string::npos; at = index.find("<figure", at + 1)) ++listed;
    EXPECT_EQ(listed, 143);
    EXPECT_EQ(FilesIn(gallery).size(), 144u) << Joined(FilesIn(gallery));

    const Bitmap outgoing = PictureOrCard(from, 48, 36, Colorref{0}, true);
    const Bitmap incoming = PictureOrCard(to, 48, 36, Colorref{0}, false);
    for (int effect = 1; effect <= 143; ++effect) {
        const std::string name = GalleryFileName(effect);
        EXPECT_NE(index.find("<img src=\"" + name + "\""), std::string::npos) << name;
        EXPECT_NE(index.find(">" + std::to_string(effect) + ": "), std::string::npos) << effect;
        SlideSurfaces surfaces;
        TimedHost host(surfaces, nullptr);
        std::vector<std::uint32_t> crcs;
        host.onFrame = [&](int, const Bitmap& frame) { crcs.push_back(FrameCrc32(frame)); };
        PrepareTransition(host, 48, 36, Colorref{0}, 2, outgoing, incoming);
        const std::uint32_t outgoingCrc = FrameCrc32(host.Display().bitmap());
        host.EffectNumber = static_cast<std::int16_t>(effect);
        SeedRandom(1);
        RunTransition(host);
        QJsonArray sleeps;
        for (long long ms : host.frameSleepMs) sleeps.append(ms);
        int changes = 0;
        std::uint32_t last = 0;
        for (int shown : ExpectedVideo(host.leadSleepMs, sleeps, 30)) {
            const std::uint32_t crc = shown < 0 ? outgoingCrc : crcs[shown];
            changes += changes == 0 || crc != last;
            last = crc;
        }
        const WebpAnimation a = ReadWebp(gallery + "/" + name);
        ASSERT_TRUE(a.valid) << name;
        EXPECT_EQ(a.frames, changes) << name;
    }
}

// A long run shows how far it is on a terminal, at most ten times a second,
// and keeps quiet when standard error is a file or a pipe.
TEST(RenderGallery, ProgressShowsOnATerminalOnly) {
    test::TempFolder dir;
    int master = -1, slave = -1;
    ASSERT_EQ(openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
    const QStringList args = {"--gallery", QString::fromStdString(dir.File("gallery")), "--size", "32x24"};
    const auto start = std::chrono::steady_clock::now();
    const ToolRun onTerminal = Render(args, [slave] { dup2(slave, STDERR_FILENO); });
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    close(slave);
    ASSERT_EQ(onTerminal.status, 0);
    std::string shown;
    char buffer[4096];
    fcntl(master, F_SETFL, O_NONBLOCK);
    for (ssize_t n; (n = read(master, buffer, sizeof buffer)) > 0;) shown.append(buffer, static_cast<std::size_t>(n));
    close(master);
    EXPECT_NE(shown.find("effect "), std::string::npos) << shown;
    EXPECT_NE(shown.find(" of 143, "), std::string::npos) << shown;
    EXPECT_NE(shown.find(" elapsed"), std::string::npos) << shown;
    int updates = 0;
    for (char c : shown) updates += c == '\r';
    // One line per tenth of a second, and the one that clears it.
    EXPECT_LE(updates, static_cast<int>(seconds * 10) + 2) << shown;

    const ToolRun piped = Render(args);
    ASSERT_EQ(piped.status, 0);
    EXPECT_FALSE(piped.err.contains("elapsed")) << piped.err.toStdString();
}

TEST(RenderOptions, BackColourIsReadAsRrggbbAndStoredAsColorref) {
    std::string error;
    auto o = ParseRenderOptions({"--effect", "5", "--size", "8x4", "--back-color", "112233", "--seed", "9"}, error);
    ASSERT_TRUE(o) << error;
    EXPECT_EQ(ColorrefValue(o->backColor), 0x00332211u);
    EXPECT_EQ(o->seed.value_or(0), 9u);
    EXPECT_EQ(o->speed, 2);
}

}  // namespace
}  // namespace tav
