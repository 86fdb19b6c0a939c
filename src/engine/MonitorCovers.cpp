#include "engine/MonitorCovers.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>

namespace tav {

CoverWindow::CoverWindow(const CoverInput& input, const QColor& colour, bool blankCursor)
    : input_(input), colour_(colour) {
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::X11BypassWindowManagerHint |
                   Qt::WindowDoesNotAcceptFocus);
    // The show window keeps the keyboard; a cover must never take it away.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
    setMouseTracking(true);
    if (blankCursor) setCursor(Qt::BlankCursor);
}

void CoverWindow::paintEvent(QPaintEvent*) { QPainter(this).fillRect(rect(), colour_); }

void CoverWindow::mousePressEvent(QMouseEvent*) {
    if (input_.MouseDown) input_.MouseDown();
}

void CoverWindow::mouseMoveEvent(QMouseEvent* event) {
    if (input_.MouseMove) input_.MouseMove(event->globalPosition());
}

void CoverWindow::keyPressEvent(QKeyEvent* event) {
    if (input_.KeyDown) input_.KeyDown(event);
}

MonitorCovers::MonitorCovers(QWidget* show, CoverInput input, std::function<void()> placed)
    : show_(show), input_(std::move(input)), placed_(std::move(placed)) {}

MonitorCovers::~MonitorCovers() { Release(); }

void MonitorCovers::Cover(const QColor& colour, bool blankCursor, std::uint8_t opacity) {
    colour_ = colour;
    blankCursor_ = blankCursor;
    opacity_ = opacity;
    active_ = true;
    if (!following_) {
        following_ = true;
        auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
        // Qt announces a monitor before it has settled its geometry and the
        // primary one, so the arrangement waits for the event loop.
        auto later = [this] { QTimer::singleShot(0, this, [this] { Arrange(); }); };
        auto follow = [this, later](QScreen* screen) { connect(screen, &QScreen::geometryChanged, this, later); };
        for (QScreen* screen : QGuiApplication::screens()) follow(screen);
        connect(app, &QGuiApplication::screenAdded, this, [follow, later](QScreen* screen) {
            follow(screen);
            later();
        });
        connect(app, &QGuiApplication::screenRemoved, this, [this, later](QScreen* screen) {
            // The screen object is deleted right after this signal.
            if (auto it = covers_.find(screen); it != covers_.end()) {
                delete it->second;
                covers_.erase(it);
            }
            later();
        });
        connect(app, &QGuiApplication::primaryScreenChanged, this, later);
    }
    Arrange();
}

void MonitorCovers::Release() {
    active_ = false;
    for (auto& [screen, cover] : covers_) delete cover;
    covers_.clear();
}

std::vector<QRect> MonitorCovers::CoveredRects() const {
    std::vector<QRect> rects;
    for (const auto& [screen, cover] : covers_) rects.push_back(cover->geometry());
    return rects;
}

void MonitorCovers::Arrange() {
    if (!active_) return;
    const QList<QScreen*> screens = QGuiApplication::screens();
    QScreen* primary = QGuiApplication::primaryScreen();
    if (primary && show_->geometry() != primary->geometry()) {
        show_->setGeometry(primary->geometry());
        if (placed_) placed_();
    }
    for (auto it = covers_.begin(); it != covers_.end();) {
        if (it->first == primary || !screens.contains(it->first)) {
            delete it->second;
            it = covers_.erase(it);
        } else {
            ++it;
        }
    }
    for (QScreen* screen : screens) {
        if (screen == primary) continue;
        CoverWindow*& cover = covers_[screen];
        if (!cover) {
            cover = new CoverWindow(input_, colour_, blankCursor_);
            cover->setWindowOpacity(opacity_ / 255.0);
        }
        if (cover->geometry() != screen->geometry()) cover->setGeometry(screen->geometry());
        cover->show();
        cover->raise();
    }
    show_->raise();
}

}  // namespace tav
