#include "dialogs/DialogPictures.h"

#include <QBitmap>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QPaintDevice>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cstdint>
#include <map>

namespace tav {

namespace {

// A small fixed generator, so the texture is the same on every run.
class TextureNoise {
public:
    int Next(int range) {
        state_ = state_ * 1664525u + 1013904223u;
        return static_cast<int>((state_ >> 16) % static_cast<std::uint32_t>(range));
    }

private:
    std::uint32_t state_ = 0x5EED1234u;
};

QImage MakeTextureTile(qreal scale) {
    QImage tile(qRound(kTextureTileWidth * scale), qRound(kTextureTileHeight * scale), QImage::Format_RGB32);
    tile.setDevicePixelRatio(scale);
    TextureNoise noise;
    // Brushed metal: every row has its own slight shade, pixels a little grain.
    for (int y = 0; y < tile.height(); ++y) {
        const int rowShade = noise.Next(7) - 3;
        auto* line = reinterpret_cast<QRgb*>(tile.scanLine(y));
        for (int x = 0; x < tile.width(); ++x) {
            const int grain = noise.Next(5) - 2 + rowShade;
            line[x] = qRgb(qBound(0, 212 + grain, 255), qBound(0, 218 + grain, 255), qBound(0, 228 + grain, 255));
        }
    }
    return tile;
}

QPainterPath RoundedRect(const QRectF& r, qreal radius) {
    QPainterPath path;
    path.addRoundedRect(r, radius, radius);
    return path;
}

}  // namespace

QPixmap Canvas(QSize size) {
    const qreal scale = PictureScale();
    QPixmap pixmap(qRound(size.width() * scale), qRound(size.height() * scale));
    pixmap.setDevicePixelRatio(scale);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

qreal PictureScale() {
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return app->devicePixelRatio();
    return 1;
}

const QImage& TextureTile(qreal scale) {
    if (scale <= 0) scale = PictureScale();
    static std::map<qreal, QImage> tiles;
    QImage& tile = tiles[scale];
    if (tile.isNull()) tile = MakeTextureTile(scale);
    return tile;
}

int TileTexture(QPaintDevice* surface, const QImage& tile) {
    if (!surface || tile.isNull()) return 0;
    const qreal surfaceScale = surface->devicePixelRatioF();
    const int width = qRound(surface->width() / surfaceScale), height = qRound(surface->height() / surfaceScale);
    const QSize step = tile.deviceIndependentSize().toSize();
    QPainter painter(surface);
    int x = 0, y = 0, copies = 0;
    for (;;) {
        painter.drawImage(x, y, tile);
        ++copies;
        if (y <= height) {
            y += step.height();
        } else if (x <= width) {
            x += step.width();
            y = 0;
        } else {
            break;
        }
    }
    return copies;
}

QPixmap HeadingPicture(QSize size) {
    QPixmap pixmap = Canvas(size);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r(0.5, 0.5, size.width() - 1.0, size.height() - 1.0);
    QLinearGradient fill(0, 0, 0, size.height());
    fill.setColorAt(0.0, QColor(74, 110, 168));
    fill.setColorAt(0.5, QColor(46, 76, 128));
    fill.setColorAt(1.0, QColor(32, 56, 100));
    p.setPen(QColor(24, 40, 72));
    p.setBrush(fill);
    p.drawPath(RoundedRect(r, 4));
    p.setPen(QColor(255, 255, 255, 70));
    p.drawLine(QPointF(4, 1.5), QPointF(size.width() - 4, 1.5));
    // A small amber mark at the left, the lamp colour of the selectors.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 176, 48));
    p.drawRoundedRect(QRectF(3, 4, 3, size.height() - 8.0), 1, 1);
    return pixmap;
}

QPixmap ButtonFace(QSize size, bool pressed) {
    QPixmap pixmap = Canvas(size);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r(0.5, 0.5, size.width() - 1.0, size.height() - 1.0);
    QLinearGradient fill(0, 0, 0, size.height());
    if (pressed) {
        fill.setColorAt(0.0, QColor(168, 182, 204));
        fill.setColorAt(1.0, QColor(204, 214, 230));
    } else {
        fill.setColorAt(0.0, QColor(252, 253, 255));
        fill.setColorAt(0.5, QColor(232, 237, 245));
        fill.setColorAt(1.0, QColor(206, 214, 228));
    }
    p.setPen(pressed ? QColor(52, 74, 112) : QColor(112, 128, 154));
    p.setBrush(fill);
    p.drawPath(RoundedRect(r, 3));
    if (!pressed) {
        p.setPen(QColor(255, 255, 255, 200));
        p.drawLine(QPointF(3, 1.5), QPointF(size.width() - 3, 1.5));
    }
    return pixmap;
}

QPixmap SelectorPicture(bool on) {
    QPixmap pixmap = Canvas(QSize(kSelectorSize, kSelectorSize));
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF ring(0.5, 0.5, kSelectorSize - 1.0, kSelectorSize - 1.0);
    p.setPen(QColor(70, 84, 108));
    QRadialGradient lamp(QPointF(5, 5), kSelectorSize * 0.7);
    if (on) {
        lamp.setColorAt(0.0, QColor(255, 244, 200));
        lamp.setColorAt(0.35, QColor(255, 190, 60));
        lamp.setColorAt(1.0, QColor(214, 120, 20));
    } else {
        lamp.setColorAt(0.0, QColor(246, 248, 252));
        lamp.setColorAt(1.0, QColor(170, 178, 192));
    }
    p.setBrush(lamp);
    p.drawEllipse(ring);
    return pixmap;
}

QPixmap GroupPicture(QSize size, bool on) {
    if (!on) return ButtonFace(size, false);
    QPixmap pixmap = Canvas(size);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient fill(0, 0, 0, size.height());
    fill.setColorAt(0.0, QColor(255, 226, 150));
    fill.setColorAt(0.5, QColor(255, 190, 60));
    fill.setColorAt(1.0, QColor(226, 140, 30));
    p.setPen(QColor(150, 90, 20));
    p.setBrush(fill);
    p.drawPath(RoundedRect(QRectF(0.5, 0.5, size.width() - 1.0, size.height() - 1.0), 3));
    return pixmap;
}

QPixmap CloseImage(bool pressed) {
    QPixmap pixmap = Canvas(QSize(kCloseImageSize, kCloseImageSize));
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient fill(0, 0, 0, kCloseImageSize);
    fill.setColorAt(0.0, pressed ? QColor(150, 40, 32) : QColor(236, 112, 96));
    fill.setColorAt(1.0, pressed ? QColor(190, 64, 52) : QColor(190, 52, 40));
    p.setPen(QColor(110, 24, 20));
    p.setBrush(fill);
    p.drawRoundedRect(QRectF(0.5, 0.5, kCloseImageSize - 1.0, kCloseImageSize - 1.0), 3, 3);
    QPen cross(Qt::white, 1.8, Qt::SolidLine, Qt::RoundCap);
    p.setPen(cross);
    const qreal a = 4.5, b = kCloseImageSize - 4.5, shift = pressed ? 0.5 : 0.0;
    p.drawLine(QPointF(a + shift, a + shift), QPointF(b + shift, b + shift));
    p.drawLine(QPointF(b + shift, a + shift), QPointF(a + shift, b + shift));
    return pixmap;
}

QPixmap TitlePicture(QSize size) {
    QPixmap pixmap = Canvas(size);
    QPainter p(&pixmap);
    QLinearGradient fill(0, 0, size.width(), 0);
    fill.setColorAt(0.0, QColor(24, 40, 76));
    fill.setColorAt(0.6, QColor(46, 76, 128));
    fill.setColorAt(1.0, QColor(84, 122, 180));
    p.fillRect(QRect(QPoint(0, 0), size), fill);
    p.setPen(QColor(255, 255, 255, 40));
    p.drawLine(0, 0, size.width(), 0);
    p.setPen(QColor(255, 176, 48));
    p.drawLine(0, size.height() - 1, size.width(), size.height() - 1);
    return pixmap;
}

QCursor DialogCursor() {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath arrow;
    arrow.moveTo(1, 1);
    arrow.lineTo(1, 18);
    arrow.lineTo(5.5, 14);
    arrow.lineTo(9, 21);
    arrow.lineTo(12, 19.5);
    arrow.lineTo(8.5, 12.5);
    arrow.lineTo(14, 12.5);
    arrow.closeSubpath();
    p.setPen(QPen(Qt::white, 1.5));
    p.setBrush(QColor(32, 56, 100));
    p.drawPath(arrow);
    p.setPen(QPen(QColor(24, 40, 72), 0.8));
    p.setBrush(QColor(255, 176, 48));
    p.drawEllipse(QPointF(4, 8), 1.6, 1.6);
    return QCursor(pixmap, 1, 1);
}

QIcon DialogIcon() {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    // A framed picture: navy frame, sky, amber sun and two hills.
    p.setPen(QColor(24, 40, 72));
    p.setBrush(QColor(46, 76, 128));
    p.drawRoundedRect(QRectF(1.5, 3.5, 29, 25), 3, 3);
    const QRectF inner(4.5, 6.5, 23, 19);
    QLinearGradient sky(0, inner.top(), 0, inner.bottom());
    sky.setColorAt(0, QColor(150, 196, 240));
    sky.setColorAt(1, QColor(228, 238, 250));
    p.setPen(Qt::NoPen);
    p.setBrush(sky);
    p.drawRect(inner);
    p.setClipRect(inner);
    p.setBrush(QColor(255, 176, 48));
    p.drawEllipse(QPointF(21, 11.5), 3, 3);
    QPainterPath hills;
    hills.moveTo(inner.left(), inner.bottom());
    hills.lineTo(11, 15);
    hills.lineTo(16, 20);
    hills.lineTo(20, 17);
    hills.lineTo(inner.right(), inner.bottom());
    hills.closeSubpath();
    p.setBrush(QColor(64, 120, 92));
    p.drawPath(hills);
    return QIcon(pixmap);
}

QFont DialogFont(int pixelSize) {
    QFont font;
    font.setFamilies({QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans CJK JP"),
                      QStringLiteral("Noto Sans JP")});
    font.setPixelSize(pixelSize);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

QFont FixedPitchFont(int pixelSize) {
    QFont font;
    font.setFamilies(
        {QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans Mono CJK JP"), QStringLiteral("Noto Sans CJK JP")});
    font.setFixedPitch(true);
    font.setStyleHint(QFont::Monospace);
    font.setPixelSize(pixelSize);
    return font;
}

}  // namespace tav
