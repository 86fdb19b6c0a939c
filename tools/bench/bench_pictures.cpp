// Picture loading speed.
//
// WmfCostly/0..4 renders the costliest metafiles the tests can write (clip
// maze, large shapes, tiny records, large text, many edges; 1 MiB each) at 1920 x 1080:
// the work budget stops each within about a second.
// WmfBusy renders a metafile of a few thousand primitives at 1024 x 768 (the
// aim is at most 10 ms). The three JPEG benchmarks decode the same generated
// 4000 x 3000 photo-like file for a 1920-wide draw: through LoadPictureFile,
// through QImageReader asked for the draw size, and through QImageReader asked
// for the DCT-reduced size LoadPictureFile picks; compare their times as ratios.
// The HEIC and WebP benchmarks load and fit the same photo in those formats
// against the formats' own command-line decoders (heif-convert to y4m, dwebp to
// PPM) and Qt's plain decode; tavrelle-measure decoders adds peak memory.
#include "pictures/PictureLoader.h"
#include "pictures/WmfPlayer.h"
#include "surfaces/Composition.h"

#include "testmedia/PictureWriters.h"
#include "testmedia/TempFolder.h"

#include <QBuffer>
#include <QFile>
#include <QGuiApplication>
#include <QImageReader>
#include <QImageWriter>
#include <QProcess>

#include <benchmark/benchmark.h>

#include <cmath>
#include <functional>
#include <random>

namespace {

QByteArray BusyMetafile() {
    tav::pw::WmfWriter w;
    w.setPlaceable(QRect(0, 0, 10240, 7680), 960);
    std::mt19937 random(5);
    auto r = [&](int n) { return int(random() % std::uint32_t(n)); };
    QImage dib(64, 48, QImage::Format_RGB32);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x) dib.setPixel(x, y, qRgb(x * 4, y * 5, 128));
    w.stretchDib(QRect(0, 0, 10240, 7680), QRect(0, 0, 64, 48), dib);
    const int pen = w.createPen(0, 10, Qt::black);
    w.selectObject(pen);
    for (int i = 0; i < 1500; ++i) {
        const int brush = w.createBrush(i % 7 == 0 ? 2 : 0, QColor(r(256), r(256), r(256)), i % 6);
        w.selectObject(brush);
        const int x = r(10000), y = r(7500), s = 50 + r(600);
        switch (i % 5) {
        case 0: w.rectangle(x, y, x + s, y + s / 2); break;
        case 1: w.ellipse(x, y, x + s, y + s); break;
        case 2: w.polygon({{x, y}, {x + s, y + s / 3}, {x + s / 2, y + s}, {x - s / 3, y + s / 2}}); break;
        case 3: w.pie(x, y, x + s, y + s, x + s, y, x, y); break;
        default: w.roundRect(x, y, x + s, y + s, s / 4, s / 4); break;
        }
        w.selectObject(pen);
        w.deleteObject(brush);
    }
    for (int i = 0; i < 500; ++i) {
        w.moveTo(r(10240), r(7680));
        w.lineTo(r(10240), r(7680));
    }
    w.setBkMode(1);
    w.selectObject(w.createFont(-120, 400, false, "DejaVu Sans"));
    for (int i = 0; i < 60; ++i) w.textOut(r(9000), r(7500), "Tavrelle slide show");
    return w.finish();
}

void WmfBusy(benchmark::State& state) {
    const QByteArray wmf = BusyMetafile();
    for (auto _ : state) {
        QImage image = tav::RenderWmf(wmf, QSize(1024, 768));
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(WmfBusy)->Unit(benchmark::kMillisecond);

// The costliest metafiles of about 1 MiB at 1920 x 1080: each is stopped by
// the work budget, which should come to about a second at most.
void WmfCostly(benchmark::State& state) {
    const auto kind = static_cast<tav::pw::CostlyMetafile>(state.range(0));
    const QByteArray wmf = tav::pw::WriteCostlyMetafile(kind, 1 << 20);
    tav::WmfPlayStats stats;
    for (auto _ : state) {
        QImage image = tav::RenderWmf(wmf, QSize(1920, 1080), &stats);
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["records"] = stats.records;
    state.counters["work"] = double(stats.work);
    state.counters["stopped"] = stats.budgetSpent;
}
BENCHMARK(WmfCostly)->DenseRange(0, 4)->Unit(benchmark::kMillisecond)->Iterations(1);

// Noise over gradients: detail everywhere, like a photo, so the decoder has
// real work on every block. 4000 x 3000, twelve megapixels.
const QImage& PhotoImage() {
    static const QImage image = [] {
        QImage photo(4000, 3000, QImage::Format_RGB32);
        std::mt19937 random(9);
        for (int y = 0; y < 3000; ++y) {
            auto* line = reinterpret_cast<QRgb*>(photo.scanLine(y));
            for (int x = 0; x < 4000; ++x) {
                const int n = int(random() & 63) - 32;
                line[x] = qRgb(std::clamp(x * 255 / 4000 + n, 0, 255), std::clamp(y * 255 / 3000 + n, 0, 255),
                               std::clamp(int(128 + 100 * std::sin(x * 0.003 + y * 0.002)) + n, 0, 255));
            }
        }
        return photo;
    }();
    return image;
}

// The photo written once per run in the given format.
QString PhotoPath(const char* name, const std::function<QByteArray(const QImage&)>& write) {
    static tav::test::TempFolder dir;
    const QString path = QString::fromStdString(dir.File(name));
    if (!QFile::exists(path)) tav::pw::SaveBytes(path.toStdString(), write(PhotoImage()));
    return path;
}

QString BigJpegPath() {
    return PhotoPath("big.jpg", [](const QImage& image) { return tav::pw::WriteJpeg(image, 90); });
}
QString BigHeicPath() {
    return PhotoPath("big.heic",
                     [](const QImage& image) { return tav::pw::WriteHeif(image, tav::pw::HeifCodec::Hevc, 90); });
}
QString BigWebpPath() {
    return PhotoPath("big.webp", [](const QImage& image) {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "webp");
        writer.setQuality(90);  // lossy, as cameras and the web write it
        writer.write(image);
        return bytes;
    });
}

// The fit of a landscape picture into a 1920 x 1080 area: full width.
QSize FitWidth(QSize natural) { return QSize(1920, natural.height() * 1920 / natural.width()); }

void JpegLoadPictureFile(benchmark::State& state) {
    const std::string path = BigJpegPath().toStdString();
    for (auto _ : state) {
        const tav::DecodedPicture pic = tav::LoadPictureFile(path, FitWidth);
        if (!pic.ok()) state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(pic.image.constBits());
    }
}
BENCHMARK(JpegLoadPictureFile)->Unit(benchmark::kMillisecond);

void JpegQtReducedToDrawSize(benchmark::State& state) {
    const QString path = BigJpegPath();
    for (auto _ : state) {
        QImageReader reader(path);
        reader.setScaledSize(FitWidth(QSize(4000, 3000)));
        const QImage image = reader.read();
        if (image.isNull()) state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(JpegQtReducedToDrawSize)->Unit(benchmark::kMillisecond);

void JpegQtReducedToDctSize(benchmark::State& state) {
    const QString path = BigJpegPath();
    for (auto _ : state) {
        QImageReader reader(path);
        reader.setScaledSize(QSize(2000, 1500));
        const QImage image = reader.read();
        if (image.isNull()) state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(JpegQtReducedToDctSize)->Unit(benchmark::kMillisecond);

// A 12-megapixel HEIC photo loaded and fitted into a 1920 x 1080 slide, against
// libheif's own command-line converter writing the decoded planes as they are
// (y4m), so that the converter's time is its decoding, not a PNG encoder's;
// both in wall-clock time, the converter being a process of its own.
void HeicLoadAndFit(benchmark::State& state) {
    const std::string path = BigHeicPath().toStdString();
    for (auto _ : state) {
        const tav::BitmapPtr slide = tav::ComposePicture(path, {1920, 1080, 1, tav::Colorref{0}});
        benchmark::DoNotOptimize(slide->pixels().data());
    }
}
BENCHMARK(HeicLoadAndFit)->Unit(benchmark::kMillisecond)->UseRealTime();

// A command-line tool run to its end, its output thrown away.
void RunTool(benchmark::State& state, const QString& program, const QStringList& args) {
    for (auto _ : state) {
        QProcess tool;
        tool.setStandardOutputFile(QProcess::nullDevice());
        tool.start(program, args);
        if (!tool.waitForFinished(120000) || tool.exitCode() != 0) state.SkipWithError("the tool failed or is missing");
    }
}

void HeicConvertToY4m(benchmark::State& state) {
    const tav::test::TempFolder out;
    RunTool(state, QStringLiteral("heif-convert"),
            {QStringLiteral("--quiet"), BigHeicPath(), QString::fromStdString(out.File("big.y4m"))});
}
BENCHMARK(HeicConvertToY4m)->Unit(benchmark::kMillisecond)->UseRealTime();

// A 12-megapixel lossy WebP loaded and fitted into a 1920 x 1080 slide, against
// libwebp's own command-line decoder writing the same file as PPM, and Qt's
// plain decode of it at full size.
void WebpLoadAndFit(benchmark::State& state) {
    const std::string path = BigWebpPath().toStdString();
    for (auto _ : state) {
        const tav::BitmapPtr slide = tav::ComposePicture(path, {1920, 1080, 1, tav::Colorref{0}});
        benchmark::DoNotOptimize(slide->pixels().data());
    }
}
BENCHMARK(WebpLoadAndFit)->Unit(benchmark::kMillisecond)->UseRealTime();

void WebpQtDecode(benchmark::State& state) {
    const QString path = BigWebpPath();
    for (auto _ : state) {
        QImageReader reader(path, "webp");
        const QImage image = reader.read();
        if (image.isNull()) state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(WebpQtDecode)->Unit(benchmark::kMillisecond)->UseRealTime();

void WebpDwebpToPpm(benchmark::State& state) {
    const tav::test::TempFolder out;
    RunTool(state, QStringLiteral("dwebp"),
            {BigWebpPath(), QStringLiteral("-ppm"), QStringLiteral("-o"), QString::fromStdString(out.File("big.ppm"))});
}
BENCHMARK(WebpDwebpToPpm)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
