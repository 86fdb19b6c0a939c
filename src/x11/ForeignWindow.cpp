#include "x11/ForeignWindow.h"

#include <QWidget>
#include <QWindow>

#include <cmath>

// Xlib last: its macros (Bool, Status, None) clash with Qt's headers.
#include <X11/Xlib.h>

#include "x11/XConnection.h"

namespace tav {

bool ForeignWindowSize(unsigned long windowId, int& width, int& height) {
    if (windowId == 0) return false;
    XWindowAttributes attributes;
    bool exists = false;
    const bool answered = WithXDisplay([&](Display* display) {
        exists = XGetWindowAttributes(display, static_cast<Window>(windowId), &attributes) != 0;
    });
    if (!answered || !exists) return false;
    width = attributes.width;
    height = attributes.height;
    return true;
}

bool ForeignWindowExists(unsigned long windowId) {
    int w = 0, h = 0;
    return ForeignWindowSize(windowId, w, h);
}

ForeignEmbedding::ForeignEmbedding() {
    watch_.setInterval(250);
    QObject::connect(&watch_, &QTimer::timeout, &watch_, [this] {
        if (ForeignWindowExists(host_)) return;
        watch_.stop();
        if (onGone_) onGone_();
    });
}

void ForeignEmbedding::Embed(QWidget& widget, unsigned long host, std::function<void()> onGone) {
    host_ = host;
    onGone_ = std::move(onGone);
    int w = 0, h = 0;
    ForeignWindowSize(host, w, h);
    widget.setWindowFlags(Qt::FramelessWindowHint);
    widget.winId();
    if (QWindow* parent = QWindow::fromWinId(host)) widget.windowHandle()->setParent(parent);
    const qreal dpr = widget.devicePixelRatioF();
    widget.setGeometry(0, 0, static_cast<int>(std::ceil(w / dpr)), static_cast<int>(std::ceil(h / dpr)));
    if (host != 0) watch_.start();
}

}  // namespace tav
