#include "x11/WindowHelpers.h"

#include <QPaintDevice>
#include <QPainter>
#include <QPropertyAnimation>
#include <QRubberBand>
#include <QWidget>

namespace tav {

namespace {

// The animation is an outline that travels between the point and the window,
// like the caption animation of classic desktops; it never blocks.
void AnimateBetween(QWidget* window, const QRect& from, const QRect& to) {
    if (!window) return;
    auto* band = new QRubberBand(QRubberBand::Rectangle);
    band->setGeometry(from);
    band->show();
    auto* anim = new QPropertyAnimation(band, "geometry", band);
    anim->setDuration(180);
    anim->setStartValue(from);
    anim->setEndValue(to);
    anim->setEasingCurve(QEasingCurve::OutCubic);
    QObject::connect(anim, &QPropertyAnimation::finished, band, &QObject::deleteLater);
    // The outline is a window of its own: a window closed or destroyed before
    // the animation ends takes its outline with it instead of leaving it behind.
    QObject::connect(window, &QObject::destroyed, band, [band] { delete band; });
    anim->start();
}

}  // namespace

void AnimateOpen(QWidget* window, int x, int y) {
    const QRect target = window ? window->frameGeometry() : QRect();
    AnimateBetween(window, QRect(x, y, 1, 1), target);
}

void AnimateClose(QWidget* window, int x, int y) {
    const QRect source = window ? window->frameGeometry() : QRect();
    AnimateBetween(window, source, QRect(x, y, 1, 1));
}

void DrawButtonEdge(QPaintDevice* surface, std::int32_t edgeType) {
    if (!surface || surface->width() < 2 || surface->height() < 2) return;
    QPainter p(surface);
    const int w = surface->width(), h = surface->height();
    const bool raised = edgeType != EDGE_SUNKEN;
    // Outer and inner lines of a classic three-dimensional edge.
    const QColor light(255, 255, 255), face(223, 223, 223), shadow(128, 128, 128), dark(64, 64, 64);
    auto frame = [&](int inset, QColor topLeft, QColor bottomRight) {
        p.setPen(topLeft);
        p.drawLine(inset, inset, w - 1 - inset, inset);
        p.drawLine(inset, inset, inset, h - 1 - inset);
        p.setPen(bottomRight);
        p.drawLine(inset, h - 1 - inset, w - 1 - inset, h - 1 - inset);
        p.drawLine(w - 1 - inset, inset, w - 1 - inset, h - 1 - inset);
    };
    if (raised) {
        frame(0, face, dark);
        frame(1, light, shadow);
    } else {
        frame(0, shadow, light);
        frame(1, dark, face);
    }
}

void SetWindowOpacity(QWidget* window, std::uint8_t alpha) {
    if (window) window->setWindowOpacity(alpha / 255.0);
}

void SetSaverRunning(bool) {
    // The desktop's own screen saver keeps its state: the desktop owns the
    // saver, so there is nothing to tell it.
}

std::string GetFolderOfPath(const std::string& path) {
    const auto cut = path.find_last_of('/');
    if (cut == std::string::npos) return std::string();
    std::string folder = path.substr(0, cut + 1);
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder;
}

}  // namespace tav
