// The message inside a lent window, class LentWindowMessage.
#include "startup/LentWindowMessage.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

namespace tav {

namespace {

constexpr int kFlags = Qt::AlignCenter | Qt::TextWordWrap;

// Smaller than this, Japanese script no longer reads.
constexpr int kSmallestPixels = 10;

// The text takes at most this share of the window in each direction.
QRect TextBox(QSize window) {
    const int marginX = window.width() / 20, marginY = window.height() / 10;
    return QRect(marginX, marginY, window.width() - 2 * marginX, window.height() - 2 * marginY);
}

}  // namespace

LentWindowMessage::LentWindowMessage(unsigned long host, QString message, QString hint, QColor background)
    : host_(host), message_(std::move(message)), hint_(std::move(hint)), background_(background) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void LentWindowMessage::Start() {
    embedding_.Embed(*this, host_, [] { QCoreApplication::exit(0); });
    show();
}

int LentWindowMessage::TextPixelSize(QSize window) const {
    // Grows with the window's height, more slowly than it: a preview of 200 ×
    // 150 gets the smallest size that still reads, a 4K screen about 80
    // pixels. Text that does not fit the box is made smaller.
    const QRect box = TextBox(window);
    int size = std::max(kSmallestPixels, std::min(10 + window.height() / 30, window.width() / 18));
    QFont font = QApplication::font();
    for (; size > kSmallestPixels; --size) {
        font.setPixelSize(size);
        const QRect needed = QFontMetrics(font).boundingRect(box, kFlags, Text());
        if (needed.width() <= box.width() && needed.height() <= box.height()) break;
    }
    return size;
}

QRect LentWindowMessage::BalancedBox(const QFont& font, QRect box) const {
    // A wrapped hint would leave its last word or two alone on a line: the
    // box is made as narrow as it can be without taking another line, so the
    // lines come out of even length.
    const QFontMetrics metrics(font);
    const int height = metrics.boundingRect(box, kFlags, Text()).height();
    int narrow = box.width() / 2, wide = box.width();
    while (wide - narrow > 2) {
        const int middle = (narrow + wide) / 2;
        const QRect trial(box.x() + (box.width() - middle) / 2, box.y(), middle, box.height());
        const QRect needed = metrics.boundingRect(trial, kFlags, Text());
        (needed.height() <= height && needed.width() <= middle ? wide : narrow) = middle;
    }
    return QRect(box.x() + (box.width() - wide) / 2, box.y(), wide, box.height());
}

void LentWindowMessage::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), background_);
    QFont font = QApplication::font();
    font.setPixelSize(TextPixelSize(size()));
    painter.setFont(font);
    // Light text on a dark ground, dark text on a light one.
    painter.setPen(background_.lightness() < 128 ? QColor(Qt::white) : QColor(Qt::black));
    painter.drawText(BalancedBox(font, TextBox(size())), kFlags, Text());
}

int RunLentWindowMessage(unsigned long host, const QString& message, const QString& hint, QColor background) {
    if (!ForeignWindowExists(host)) return 0;
    LentWindowMessage window(host, message, hint, background);
    window.Start();
    return QApplication::exec();
}

}  // namespace tav
