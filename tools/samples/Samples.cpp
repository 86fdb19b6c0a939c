// tavrelle-samples OUTDIR [--list FILE]
//
// Draws the sample pictures of the demo in every picture format, at
// several sizes and orientations, and optionally writes a picture list file
// naming them. Every picture is drawn here in code.
#include "storage/PictureListFile.h"
#include "testmedia/PictureWriters.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace {

using tav::pw::WmfWriter;

double Hash(int i, int seed) {
    std::uint32_t h = std::uint32_t(i) * 374761393u + std::uint32_t(seed) * 668265263u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return double(h ^ (h >> 16)) / 4294967295.0;
}

// Smooth one-dimensional value noise summed over octaves, in [0, 1).
double Fbm(double x, int seed, int octaves = 5) {
    double sum = 0, amp = 0.5, norm = 0;
    for (int o = 0; o < octaves; ++o) {
        const int i = int(std::floor(x));
        const double f = x - i;
        const double t = f * f * (3 - 2 * f);
        sum += amp * (Hash(i, seed + o) * (1 - t) + Hash(i + 1, seed + o) * t);
        norm += amp;
        amp *= 0.5;
        x *= 2.03;
    }
    return sum / norm;
}

QColor Mix(QColor a, QColor b, double t) {
    t = std::clamp(t, 0.0, 1.0);
    return QColor(int(a.red() + (b.red() - a.red()) * t), int(a.green() + (b.green() - a.green()) * t),
                  int(a.blue() + (b.blue() - a.blue()) * t));
}

// A mountain ridge as a filled path from the ridge line down to baseY.
QPainterPath Ridge(int width, double baseY, double top, double height, double scale, int seed) {
    QPainterPath path;
    path.moveTo(0, baseY);
    for (int x = 0; x <= width; x += 4) path.lineTo(x, top + height * (1 - Fbm(x / scale, seed)));
    path.lineTo(width, baseY);
    path.closeSubpath();
    return path;
}

QImage SunsetLake() {
    const int w = 1600, h = 1000, horizon = 620;
    QImage sky(w, horizon, QImage::Format_RGB32);
    QPainter p(&sky);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, horizon);
    g.setColorAt(0, QColor(0x1d, 0x1b, 0x4f));
    g.setColorAt(0.55, QColor(0xb0, 0x45, 0x6b));
    g.setColorAt(1, QColor(0xff, 0xb3, 0x47));
    p.fillRect(sky.rect(), g);
    QRadialGradient glow(1060, 540, 360);
    glow.setColorAt(0, QColor(255, 240, 200, 200));
    glow.setColorAt(1, QColor(255, 200, 120, 0));
    p.fillRect(sky.rect(), glow);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xff, 0xf3, 0xd0));
    p.drawEllipse(QPointF(1060, 540), 70, 70);
    const QColor layers[] = {QColor(0x8a, 0x52, 0x7e), QColor(0x5a, 0x35, 0x68), QColor(0x33, 0x1f, 0x47),
                             QColor(0x1a, 0x10, 0x2a)};
    for (int i = 0; i < 4; ++i) {
        p.setBrush(layers[i]);
        p.drawPath(Ridge(w, horizon, 260 + i * 70, 260 - i * 40, 380 - i * 60, 11 + i));
    }
    p.end();

    QImage image(w, h, QImage::Format_RGB32);
    QPainter out(&image);
    out.drawImage(0, 0, sky);
    out.end();
    // The lake mirrors the sky, rippled and tinted.
    const QColor water(0x10, 0x1a, 0x3a);
    for (int y = horizon; y < h; ++y) {
        const double depth = double(y - horizon) / (h - horizon);
        const int src = std::clamp(horizon - 1 - int((y - horizon) * 1.4), 0, horizon - 1);
        const int shift = int(6 * depth * std::sin(y * 0.9) + 3 * std::sin(y * 0.23));
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        const auto* from = reinterpret_cast<const QRgb*>(sky.constScanLine(src));
        for (int x = 0; x < w; ++x) {
            const QColor c = Mix(QColor::fromRgb(from[std::clamp(x + shift, 0, w - 1)]), water, 0.25 + 0.55 * depth);
            line[x] = c.rgb();
        }
    }
    return image;
}

QImage Aurora() {
    const int w = 900, h = 1400;
    QImage image(w, h, QImage::Format_RGB32);
    std::mt19937 random(7);
    for (int y = 0; y < h; ++y) {
        const QColor c = Mix(QColor(2, 4, 20), QColor(10, 40, 58), double(y) / h);
        std::fill_n(reinterpret_cast<QRgb*>(image.scanLine(y)), w, c.rgb());
    }
    for (int i = 0; i < 700; ++i) {
        const int x = int(random() % w), y = int(random() % (h * 3 / 4));
        const int v = 120 + int(random() % 135);
        image.setPixel(x, y, qRgb(v, v, std::min(255, v + 20)));
    }
    struct Curtain {
        double base, amp, freq, phase, height;
        QColor low, high;
    };
    const Curtain curtains[] = {{420, 90, 0.006, 0.0, 260, QColor(40, 255, 140), QColor(120, 60, 255)},
                                {600, 70, 0.009, 2.0, 200, QColor(30, 220, 200), QColor(255, 60, 180)},
                                {300, 60, 0.004, 4.0, 180, QColor(80, 255, 120), QColor(60, 120, 255)}};
    for (int x = 0; x < w; ++x) {
        for (const Curtain& c : curtains) {
            const double cy =
                c.base + c.amp * std::sin(x * c.freq + c.phase) + 40 * std::sin(x * c.freq * 3.1 + c.phase);
            const double streak = 0.55 + 0.45 * std::sin(x * 0.21 + c.phase) * std::sin(x * 0.037);
            for (int y = std::max(0, int(cy - c.height)); y < std::min(h, int(cy + 40)); ++y) {
                const double t = (cy - y) / c.height;  // 0 at the curtain's foot, 1 at its top
                const double a = (y < cy ? std::pow(1 - t, 1.6) : std::exp(-(y - cy) / 12.0)) * streak * 0.8;
                const QColor col = Mix(c.low, c.high, t);
                const QRgb old = image.pixel(x, y);
                image.setPixel(x, y,
                               qRgb(std::min(255, int(qRed(old) + col.red() * a)),
                                    std::min(255, int(qGreen(old) + col.green() * a)),
                                    std::min(255, int(qBlue(old) + col.blue() * a))));
            }
        }
    }
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(4, 10, 16));
    p.drawPath(Ridge(w, h, 1080, 140, 300, 3));
    p.setBrush(QColor(1, 4, 8));
    for (int i = 0; i < 14; ++i) {
        const double x = 30 + i * 64 + 20 * Hash(i, 5);
        const double base = 1330 - 40 * Hash(i, 9);
        const double tall = 160 + 140 * Hash(i, 1);
        for (int tier = 0; tier < 4; ++tier) {
            const double top = base - tall + tier * tall / 5;
            const double half = 14 + tier * 9;
            p.drawPolygon(
                QPolygonF({QPointF(x, top), QPointF(x - half, top + tall / 3), QPointF(x + half, top + tall / 3)}));
        }
    }
    p.fillRect(QRect(0, 1320, w, h - 1320), QColor(1, 4, 8));
    p.end();
    return image;
}

// A dune's profile over one period: a long windward slope rising to a sharp
// crest and a short steep lee side.
double DuneProfile(double u) {
    u -= std::floor(u);
    return u < 0.72 ? std::sin(M_PI / 2 * u / 0.72) : std::cos(M_PI / 2 * (u - 0.72) / 0.28);
}

QImage Dunes() {
    const int w = 1024, h = 640;
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        const QColor c = Mix(QColor(0x6f, 0xa8, 0xdc), QColor(0xf6, 0xd8, 0xae), double(y) / 300);
        std::fill_n(reinterpret_cast<QRgb*>(image.scanLine(y)), w, c.rgb());
    }
    const QColor lit[] = {QColor(0xf0, 0xc8, 0x8a), QColor(0xe8, 0xa8, 0x62), QColor(0xdc, 0x8c, 0x4a)};
    const QColor shade[] = {QColor(0xb0, 0x80, 0x60), QColor(0x9a, 0x60, 0x3c), QColor(0x7e, 0x48, 0x2a)};
    for (int layer = 0; layer < 3; ++layer) {
        const double top = 250 + layer * 115, height = 110 - layer * 10, period = 520 - layer * 120;
        auto ridgeAt = [&](double x) {
            const double u = x / period + 0.35 * Fbm(x / 700.0, 40 + layer, 3) + layer * 0.37;
            return top + height * (1 - DuneProfile(u)) + 25 * Fbm(x / 300.0, 60 + layer, 2);
        };
        for (int x = 0; x < w; ++x) {
            const double ridge = ridgeAt(x);
            const double slope =
                ridgeAt(x + 1) - ridge;  // negative where the sand rises to the right, towards the sun on the left
            const double light = std::clamp(0.6 - slope * 0.5, 0.0, 1.0);
            const QColor face = Mix(shade[layer], lit[layer], light);
            for (int y = std::max(0, int(ridge)); y < h; ++y) {
                const double depth = (y - ridge) / 320.0;
                image.setPixel(x, y, Mix(face, shade[layer], depth).rgb());
            }
        }
    }
    return image;
}

QImage Plasma() {
    const int size = 480;
    QImage image(size, size, QImage::Format_Indexed8);
    QVector<QRgb> colors;
    for (int i = 0; i < 256; ++i) {
        const double t = i / 256.0 * 2 * M_PI;
        colors.append(
            qRgb(int(128 + 127 * std::sin(t)), int(128 + 127 * std::sin(t + 2.1)), int(128 + 127 * std::sin(t + 4.2))));
    }
    image.setColorTable(colors);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const double cx = x - size / 2.0, cy = y - size / 2.0;
            const double v = std::sin(x / 23.0) + std::sin(y / 17.0) + std::sin((x + y) / 31.0) +
                             std::sin(std::sqrt(cx * cx + cy * cy) / 11.0);
            image.setPixel(x, y, uint(int((v + 4) / 8 * 255.99) & 0xFF));
        }
    return image;
}

QImage Bauhaus() {
    QImage image(640, 480, QImage::Format_RGB32);
    image.fill(QColor(0xf2, 0xe8, 0xd5));
    QPainter p(&image);
    p.setPen(Qt::NoPen);
    const QColor red(0xd6, 0x2f, 0x2f), blue(0x1f, 0x4e, 0x9c), yellow(0xf2, 0xb7, 0x05), black(0x1a, 0x1a, 0x1a);
    p.setBrush(blue);
    p.drawRect(40, 40, 240, 240);
    p.setBrush(yellow);
    p.drawEllipse(QPoint(160, 160), 100, 100);
    p.setBrush(red);
    p.drawPie(QRect(300, 180, 320, 320), 90 * 16, 90 * 16);
    p.setBrush(black);
    p.drawRect(300, 40, 24, 300);
    p.drawRect(300, 340, 300, 24);
    p.setBrush(red);
    p.drawEllipse(QPoint(520, 110), 60, 60);
    p.setBrush(yellow);
    p.drawPolygon(QPolygon({QPoint(60, 440), QPoint(260, 440), QPoint(160, 310)}));
    p.setBrush(blue);
    p.drawRect(540, 380, 60, 60);
    p.end();
    return image;
}

// The Bauhaus shapes cut out of their paper: the background colour shows
// around them, and half through the faded square.
QImage BauhausCutOut() {
    QImage image = Bauhaus().convertToFormat(QImage::Format_ARGB32);
    const QRgb paper = image.pixel(0, 0);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (line[x] == paper)
                line[x] = qRgba(0, 0, 0, 0);
            else if (x >= 540 && y >= 380)
                line[x] = (line[x] & 0x00FFFFFFu) | 0x80000000u;
        }
    }
    return image;
}

QImage Truchet() {
    const int w = 800, h = 600, tile = 50;
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(QColor(0xf4, 0xee, 0xe0));
    QPainter p(&image);
    const QColor colors[] = {QColor(0x26, 0x46, 0x53), QColor(0x2a, 0x9d, 0x8f), QColor(0xe9, 0xc4, 0x6a),
                             QColor(0xe7, 0x6f, 0x51)};
    std::mt19937 random(1234);
    for (int ty = 0; ty < h / tile; ++ty)
        for (int tx = 0; tx < w / tile; ++tx) {
            const QPoint o(tx * tile, ty * tile);
            const bool flip = random() & 1;
            QPen pen(colors[(tx + ty) % 4], 12, Qt::SolidLine, Qt::FlatCap);
            p.setPen(pen);
            p.setBrush(Qt::NoBrush);
            if (flip) {
                p.drawArc(QRect(o.x() - tile / 2, o.y() - tile / 2, tile, tile), 270 * 16, 90 * 16);
                p.drawArc(QRect(o.x() + tile / 2, o.y() + tile / 2, tile, tile), 90 * 16, 90 * 16);
            } else {
                p.drawArc(QRect(o.x() + tile / 2, o.y() - tile / 2, tile, tile), 180 * 16, 90 * 16);
                p.drawArc(QRect(o.x() - tile / 2, o.y() + tile / 2, tile, tile), 0, 90 * 16);
            }
        }
    p.end();
    return image;
}

// A mandala of polygons, ellipses, pies and chords on a gradient ground, with
// a title: most of what the metafile player draws.
QByteArray Mandala() {
    WmfWriter w;
    w.setPlaceable(QRect(-4000, -3000, 8000, 6000), 1000);  // 768 x 576
    w.setMapMode(8);
    w.setWindowOrg(-4000, -3000);
    w.setWindowExt(8000, 6000);
    QImage ground(1, 64, QImage::Format_RGB32);
    for (int y = 0; y < 64; ++y)
        ground.setPixel(0, y, Mix(QColor(0x0b, 0x13, 0x2b), QColor(0x3a, 0x1c, 0x5c), y / 63.0).rgb());
    w.stretchDib(QRect(-4000, -3000, 8000, 6000), QRect(0, 0, 1, 64), ground);
    const int noPen = w.createPen(5, 0, Qt::black);
    const int goldPen = w.createPen(0, 30, QColor(0xf5, 0xc5, 0x42));
    const QColor palette[] = {QColor(0xf5, 0xc5, 0x42), QColor(0x2e, 0xc4, 0xb6), QColor(0xe7, 0x1d, 0x36),
                              QColor(0xff, 0x9f, 0x1c), QColor(0xcb, 0xf3, 0xf0)};
    w.selectObject(noPen);
    for (int ring = 5; ring >= 1; --ring) {
        const int r = ring * 520;
        const int brush = w.createBrush(0, palette[ring % 5]);
        w.selectObject(brush);
        const int petals = 6 + ring * 4;
        for (int i = 0; i < petals; ++i) {
            const double a = 2 * M_PI * i / petals + ring * 0.3;
            const double da = M_PI / petals;
            std::vector<QPoint> petal;
            for (int k = 0; k <= 8; ++k) {
                const double t = double(k) / 8;
                const double ang = a - da + 2 * da * t;
                const double rr = r - 420 + 420 * std::sin(M_PI * t);
                petal.push_back(QPoint(int(rr * std::cos(ang) * 0.95), int(rr * std::sin(ang) * 0.95)));
            }
            petal.push_back(QPoint(int((r - 520) * std::cos(a)), int((r - 520) * std::sin(a))));
            w.polygon(petal);
        }
        w.selectObject(noPen);
        w.deleteObject(brush);
    }
    w.saveDc();
    w.selectObject(goldPen);
    const int hatch = w.createBrush(2, QColor(0x2e, 0xc4, 0xb6), 5);
    w.setBkMode(1);
    w.selectObject(hatch);
    w.ellipse(-520, -520, 520, 520);
    w.restoreDc(-1);
    for (int i = 0; i < 8; ++i) {
        const int brush = w.createBrush(0, palette[i % 5]);
        w.selectObject(brush);
        const double a0 = i * M_PI / 4, a1 = a0 + M_PI / 4;
        w.pie(-300, -300, 300, 300, int(300 * std::cos(a0)), int(-300 * std::sin(a0)), int(300 * std::cos(a1)),
              int(-300 * std::sin(a1)));
        w.deleteObject(brush);
    }
    const int cream = w.createBrush(0, palette[4]);
    w.selectObject(cream);
    w.chord(-3800, -2900, -3000, -2100, -3000, -2500, -3800, -2500);
    w.chord(3000, 2100, 3800, 2900, 3000, 2500, 3800, 2500);
    w.selectObject(goldPen);
    w.arc(-3800, 2100, -3000, 2900, -3400, 2100, -3000, 2500);
    w.arc(3000, -2900, 3800, -2100, 3400, -2100, 3000, -2500);
    w.setTextColor(QColor(0xf5, 0xc5, 0x42));
    w.setTextAlign(6 | 24);
    w.setBkMode(1);
    w.selectObject(w.createFont(-300, 700, false, "DejaVu Serif"));
    w.textOut(0, 2850, "Tavrelle");
    return w.finish();
}

// Stained glass: jittered triangles in saturated colours under a dark lead
// line, framed by a plain metafile's window.
QByteArray StainedGlass() {
    WmfWriter w;
    w.setMapMode(8);
    w.setWindowOrg(0, 0);
    w.setWindowExt(1000, 750);
    const int cols = 12, rows = 9;
    std::vector<QPoint> grid;
    for (int y = 0; y <= rows; ++y)
        for (int x = 0; x <= cols; ++x) {
            const bool edgeX = x == 0 || x == cols, edgeY = y == 0 || y == rows;
            const int jx = edgeX ? 0 : int(40 * (Hash(x * 31 + y, 2) - 0.5));
            const int jy = edgeY ? 0 : int(40 * (Hash(x * 17 + y * 5, 3) - 0.5));
            grid.push_back(QPoint(x * 1000 / cols + jx, y * 750 / rows + jy));
        }
    const int lead = w.createPen(0, 7, QColor(0x14, 0x12, 0x10));
    w.selectObject(lead);
    auto at = [&](int x, int y) { return grid[std::size_t(y * (cols + 1) + x)]; };
    for (int y = 0; y < rows; ++y)
        for (int x = 0; x < cols; ++x) {
            const double dx = x - cols / 2.0 + 0.5, dy = y - rows / 2.0 + 0.5;
            const double hue = std::fmod(std::atan2(dy, dx) / (2 * M_PI) + 1.0, 1.0);
            const double dist = std::sqrt(dx * dx + dy * dy) / 7.5;
            for (int half = 0; half < 2; ++half) {
                const QColor c = QColor::fromHsvF(float(std::fmod(hue + half * 0.08, 1.0)), 0.85f,
                                                  float(std::clamp(1.0 - dist * 0.5, 0.35, 1.0)));
                const int brush = w.createBrush(0, c);
                w.selectObject(brush);
                if (half == 0)
                    w.polygon({at(x, y), at(x + 1, y), at(x + 1, y + 1)});
                else
                    w.polygon({at(x, y), at(x + 1, y + 1), at(x, y + 1)});
                w.selectObject(lead);
                w.deleteObject(brush);
            }
        }
    const int rose = w.createBrush(0, QColor(0xff, 0xf1, 0xc9));
    w.selectObject(rose);
    w.ellipse(430, 305, 570, 445);
    w.selectObject(w.createBrush(1, Qt::black));
    w.roundRect(20, 20, 980, 730, 80, 80);
    return w.finish();
}

struct Sample {
    const char* name;
    std::function<QByteArray()> make;
};

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    std::string outDir, listFile;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--list") == 0 && i + 1 < argc)
            listFile = argv[++i];
        else if (outDir.empty() && argv[i][0] != '-')
            outDir = argv[i];
        else {
            std::fprintf(stderr, "usage: tavrelle-samples OUTDIR [--list FILE]\n");
            return 2;
        }
    }
    if (outDir.empty()) {
        std::fprintf(stderr, "usage: tavrelle-samples OUTDIR [--list FILE]\n");
        return 2;
    }
    if (!QDir().mkpath(QString::fromStdString(outDir))) {
        std::fprintf(stderr, "tavrelle-samples: cannot create %s\n", outDir.c_str());
        return 1;
    }
    // A photo taken with the camera turned: stored sideways, shown upright
    // through its orientation tag.
    const auto auroraStored = [] { return Aurora().transformed(QTransform().rotate(-90)); };
    const Sample samples[] = {
        {"01-sunset-lake.jpg", [] { return tav::pw::WriteJpeg(SunsetLake(), 90); }},
        {"02-mandala.wmf", [] { return Mandala(); }},
        {"03-dunes.bmp", [] { return tav::pw::WriteBmp24(Dunes()); }},
        {"04-plasma.gif", [] { return tav::pw::WriteGif({Plasma()}); }},
        {"05-aurora.jpg", [&] { return tav::pw::WriteJpeg(auroraStored(), 90, 6); }},
        {"06-stained-glass.wmf", [] { return StainedGlass(); }},
        {"07-truchet.bmp", [] { return tav::pw::WriteBmp8(Truchet(), true); }},
        {"08-bauhaus.gif", [] { return tav::pw::WriteGif({Bauhaus()}); }},
        {"09-bauhaus-cut-out.png", [] { return tav::pw::WritePng(BauhausCutOut()); }},
        {"10-dunes.webp", [] { return tav::pw::WriteWebp(Dunes()); }},
        {"11-truchet.tif", [] { return tav::pw::WriteTiff(Truchet()); }},
        {"12-aurora.heic", [&] { return tav::pw::WriteHeif(auroraStored(), tav::pw::HeifCodec::Hevc, 85, 6); }},
        {"13-plasma.avif", [] { return tav::pw::WriteHeif(Plasma(), tav::pw::HeifCodec::Av1, 85); }},
    };
    std::vector<std::string> paths;
    for (const Sample& s : samples) {
        const QString path = QDir(QString::fromStdString(outDir)).absoluteFilePath(QString::fromLatin1(s.name));
        if (!tav::pw::SaveBytes(path.toStdString(), s.make())) {
            std::fprintf(stderr, "tavrelle-samples: cannot write %s\n", qPrintable(path));
            return 1;
        }
        paths.push_back(path.toStdString());
    }
    if (!listFile.empty() && !tav::WritePictureListFile(listFile, paths)) {
        std::fprintf(stderr, "tavrelle-samples: cannot write %s\n", listFile.c_str());
        return 1;
    }
    std::printf("%zu sample pictures in %s\n", paths.size(), outDir.c_str());
    return 0;
}
