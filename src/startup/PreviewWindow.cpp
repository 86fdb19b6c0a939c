// The preview host, class Tavrelle_X.
#include "startup/PreviewWindow.h"

#include <QApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>

#include "platform/Random.h"
#include "x11/ForeignWindow.h"

namespace tav {

namespace {

constexpr int kW = 200, kH = 150;

void SunsetHills(QPainter& p) {
    QLinearGradient sky(0, 0, 0, kH);
    sky.setColorAt(0, QColor(40, 30, 90));
    sky.setColorAt(0.55, QColor(240, 120, 70));
    sky.setColorAt(1, QColor(255, 200, 120));
    p.fillRect(0, 0, kW, kH, sky);
    QRadialGradient sun(140, 88, 26);
    sun.setColorAt(0, QColor(255, 250, 210));
    sun.setColorAt(1, QColor(255, 170, 80, 0));
    p.setBrush(sun);
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(140, 88), 26, 26);
    QPainterPath far, near;
    far.moveTo(0, 110);
    near.moveTo(0, 130);
    for (int x = 0; x <= kW; x += 4) {
        far.lineTo(x, 100 - 14 * std::sin(x * 0.035));
        near.lineTo(x, 122 - 10 * std::sin(x * 0.05 + 1.5));
    }
    far.lineTo(kW, kH);
    far.lineTo(0, kH);
    near.lineTo(kW, kH);
    near.lineTo(0, kH);
    p.setBrush(QColor(90, 50, 90));
    p.drawPath(far);
    p.setBrush(QColor(45, 30, 60));
    p.drawPath(near);
}

void NightSea(QPainter& p) {
    QLinearGradient sky(0, 0, 0, 100);
    sky.setColorAt(0, QColor(5, 10, 40));
    sky.setColorAt(1, QColor(30, 60, 120));
    p.fillRect(0, 0, kW, 100, sky);
    QLinearGradient sea(0, 100, 0, kH);
    sea.setColorAt(0, QColor(20, 50, 100));
    sea.setColorAt(1, QColor(5, 15, 40));
    p.fillRect(0, 100, kW, kH - 100, sea);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(250, 245, 220));
    p.drawEllipse(QPointF(52, 38), 14, 14);
    p.setBrush(QColor(5, 10, 40));
    p.drawEllipse(QPointF(58, 34), 12, 12);
    for (int i = 0; i < 40; ++i) {
        const int x = (i * 53) % kW, y = (i * 37) % 90;
        p.fillRect(x, y, 1, 1, QColor(255, 255, 255, 120 + (i * 13) % 130));
    }
    for (int y = 104; y < kH; y += 5)
        p.fillRect(40 + (y % 3) * 4, y, 24 - (y - 104) / 4, 1, QColor(250, 240, 200, 140));
}

void Meadow(QPainter& p) {
    QLinearGradient sky(0, 0, 0, 90);
    sky.setColorAt(0, QColor(110, 180, 240));
    sky.setColorAt(1, QColor(200, 230, 250));
    p.fillRect(0, 0, kW, 90, sky);
    QLinearGradient grass(0, 80, 0, kH);
    grass.setColorAt(0, QColor(110, 180, 70));
    grass.setColorAt(1, QColor(40, 110, 40));
    p.fillRect(0, 80, kW, kH - 80, grass);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 220));
    for (auto [x, y] : {std::pair{40, 25}, {52, 20}, {64, 26}, {140, 40}, {152, 35}})
        p.drawEllipse(QPointF(x, y), 12, 8);
    const QColor petals[] = {QColor(240, 80, 90), QColor(250, 210, 60), QColor(250, 250, 250), QColor(190, 90, 220)};
    for (int i = 0; i < 60; ++i) {
        const double x = (i * 71) % kW, y = 92 + (i * 29) % 56;
        p.setBrush(petals[i % 4]);
        p.drawEllipse(QPointF(x, y), 2.5, 2.5);
    }
}

}  // namespace

QImage MasterPicture(int index) {
    QImage img(kW, kH, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    switch (index) {
    case 0: SunsetHills(p); break;
    case 1: NightSea(p); break;
    default: Meadow(p); break;
    }
    return img;
}

Tavrelle_X::Tavrelle_X(unsigned long parentWindow) : parent_(parentWindow) { setAttribute(Qt::WA_OpaquePaintEvent); }

void Tavrelle_X::RunPreview() {
    // The chooser destroys its preview window when it is done with it: the preview ends with it.
    embedding_.Embed(*this, parent_, [] { QCoreApplication::exit(0); });
    SeedRandomFromClock();
    shown_ = static_cast<int>(3 * Rnd());
    picture_ = MasterPicture(shown_);
    show();
}

void Tavrelle_X::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
    // Natural size from the top-left corner: a small monitor shows the top-left part.
    QImage image = picture_;
    image.setDevicePixelRatio(devicePixelRatioF());
    p.drawImage(0, 0, image);
}

int RunPreview(unsigned long windowId) {
    // Nothing would ever end a preview without a window to draw in.
    if (windowId == 0 || !ForeignWindowExists(windowId)) return 0;
    Tavrelle_X host(windowId);
    host.RunPreview();
    return QApplication::exec();
}

}  // namespace tav
