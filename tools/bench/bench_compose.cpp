// ComposeSlide of a 12-megapixel JPEG into a 1920 × 1080 area, against
// QImageReader's reduced decode of the same file alone. The photo is made here
// (noise over gradients), so the benchmark needs no outside files.

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QPainter>

#include <random>

#include "surfaces/Composition.h"
#include "testmedia/TempFolder.h"

namespace {

QString PhotoPath() {
    static tav::test::TempFolder dir;
    static QString path = [] {
        QImage img(4000, 3000, QImage::Format_RGB32);
        std::mt19937 gen(42);
        for (int y = 0; y < img.height(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
            for (int x = 0; x < img.width(); ++x) {
                const int n = static_cast<int>(gen() % 48);
                row[x] = qRgb((x * 255 / 4000 + n) & 0xFF, (y * 255 / 3000 + n) & 0xFF, ((x + y) / 28 + n) & 0xFF);
            }
        }
        const QString p = QString::fromStdString(dir.File("photo.jpg"));
        img.save(p, "JPEG", 90);
        return p;
    }();
    return path;
}

void BM_ReaderReducedDecode(benchmark::State& state) {
    const QString path = PhotoPath();
    for (auto _ : state) {
        QImageReader reader(path);
        reader.setScaledSize(QSize(2000, 1500));  // what a 1920 × 1440 fit needs at the least
        QImage img = reader.read();
        benchmark::DoNotOptimize(img.constBits());
    }
}
BENCHMARK(BM_ReaderReducedDecode)->Unit(benchmark::kMillisecond);

void BM_ComposeSlide(benchmark::State& state) {
    const std::string path = PhotoPath().toStdString();
    tav::SlideSurfaces surfaces;
    for (auto _ : state) {
        tav::ComposeSlide(surfaces, path, {1920, 1080, 1, tav::Colorref{0}});
        benchmark::DoNotOptimize(surfaces.Incoming().bitmap().pixels().data());
    }
}
BENCHMARK(BM_ComposeSlide)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
