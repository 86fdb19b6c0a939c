#include "startup/ScreenMeasure.h"

#include <QGuiApplication>
#include <QScreen>

#include "x11/X11Windows.h"

namespace tav {

ScreenSize MeasureScreenNow() {
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            const QSize size = screen->geometry().size() * screen->devicePixelRatio();
            if (size.width() > 0 && size.height() > 0) return {size.width(), size.height()};
        }
    }
    int width = 0, height = 0;
    if (X11ScreenSize(width, height)) return {width, height};
    return {1024, 768};
}

}  // namespace tav
