#pragma once
// The show's place on a desktop of several monitors: the show window fills the
// primary monitor, and every other monitor gets a window of the background
// colour, so no monitor keeps showing the desktop while the saver runs.
// Monitors that come and go during the show (a laptop lid, a projector) are
// covered or released as they do; the show goes on.

#include <QColor>
#include <QObject>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <map>
#include <vector>

class QScreen;

namespace tav {

// What a cover does with the input that reaches it: the show's own rules
// decide, so a touch on any monitor counts like one on the show window.
struct CoverInput {
    std::function<void()> MouseDown;
    std::function<void(QPointF globalPosition)> MouseMove;
    std::function<void(QKeyEvent* event)> KeyDown;
};

// A borderless window on top of one monitor, in the background colour.
class CoverWindow : public QWidget {
public:
    CoverWindow(const CoverInput& input, const QColor& colour, bool blankCursor);

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    const CoverInput& input_;
    QColor colour_;
};

class MonitorCovers : public QObject {
public:
    // `show` is the show window; `placed` runs after it was moved to another
    // monitor, so the picture area can be centred again.
    MonitorCovers(QWidget* show, CoverInput input, std::function<void()> placed);
    ~MonitorCovers() override;

    // Moves the show to the primary monitor (the first one when the desktop
    // names none) and covers the others; from then on follows the monitors
    // until Release.
    void Cover(const QColor& colour, bool blankCursor, std::uint8_t opacity);
    void Release();
    // The rectangles of the monitors covered now (logical pixels), for tests and tools.
    std::vector<QRect> CoveredRects() const;

private:
    void Arrange();

    QWidget* show_;
    CoverInput input_;
    std::function<void()> placed_;
    std::map<QScreen*, CoverWindow*> covers_;
    QColor colour_;
    bool blankCursor_ = false;
    std::uint8_t opacity_ = 255;
    bool active_ = false;
    bool following_ = false;
};

}  // namespace tav
