// tavrelle-icon: draws the application icon as PNG files of the given pixel
// sizes, with the shapes of data/tavrelle.svg on its 128-unit grid, so the
// small sizes are drawn sharp rather than scaled from another picture.
//
//   tavrelle-icon OUTDIR SIZE...   writes OUTDIR/SIZE/tavrelle.png
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

QImage DrawIcon(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 128.0, size / 128.0);
    p.setPen(Qt::NoPen);

    p.setBrush(QColor("#2f5f96"));
    p.drawRoundedRect(QRectF(28, 12, 92, 72), 6, 6);
    p.setBrush(QColor("#e8a33d"));
    p.drawRect(QRectF(36, 20, 76, 56));

    p.setPen(QPen(QColor("#5a5a5a"), 2));
    p.setBrush(QColor("#f4f1e8"));
    p.drawRoundedRect(QRectF(8, 40, 92, 72), 6, 6);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor("#8fd0f0"));
    p.drawRect(QRectF(16, 48, 76, 56));

    p.setBrush(QColor("#ffd23c"));
    p.drawEllipse(QPointF(74, 62), 8, 8);
    p.setBrush(QColor("#3a8f4a"));
    p.drawPolygon(QPolygonF({{16, 104}, {40, 70}, {56, 90}, {68, 78}, {92, 104}}));
    return image;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: tavrelle-icon OUTDIR SIZE...\n");
        return 2;
    }
    for (int i = 2; i < argc; ++i) {
        const int size = std::atoi(argv[i]);
        if (size < 16 || size > 1024) {
            std::fprintf(stderr, "tavrelle-icon: bad size %s\n", argv[i]);
            return 2;
        }
        const QString dir = QString::fromLocal8Bit(argv[1]) + "/" + QString::number(size);
        if (!QDir().mkpath(dir) || !DrawIcon(size).save(dir + "/tavrelle.png", "PNG")) {
            std::fprintf(stderr, "tavrelle-icon: cannot write %s/tavrelle.png\n", qPrintable(dir));
            return 1;
        }
    }
    return 0;
}
