#include "dialogs/DialogFrame.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

#include "dialogs/DialogPictures.h"
#include "x11/WindowHelpers.h"

namespace tav {

DialogFrame::DialogFrame(QWidget* parent, Qt::WindowFlags flags, const QString& title, QSize size, QSize decoration)
    : QDialog(parent, flags) {
    setWindowTitle(title);
    setWindowIcon(DialogIcon());
    setFont(DialogFont(12));
    setFixedSize(size);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect s = screen->geometry();
        const QSize framed = size + decoration;
        move(s.x() + (s.width() - framed.width()) / 2, s.y() + (s.height() - framed.height()) / 2);
    }
    loadCursor_ = QCursor::pos();
}

void DialogFrame::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (opened_) return;
    opened_ = true;
    loadCursor_ = QCursor::pos();
    AnimateOpen(this, loadCursor_.x(), loadCursor_.y());
}

void DialogFrame::done(int result) {
    AnimateClose(this, loadCursor_.x(), loadCursor_.y());
    QDialog::done(result);
}

}  // namespace tav
