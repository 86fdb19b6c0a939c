// The frame the settings and schedule dialogs share: their icon and font, a
// fixed size in the middle of the primary screen, and the rectangle
// animations that open them out of the pointer and close them back into it.
#pragma once

#include <QDialog>
#include <QPoint>
#include <QSize>

namespace tav {

class DialogFrame : public QDialog {
    Q_OBJECT
public:
    // size is the window's own; decoration is what the desktop's frame adds
    // around it (nothing for a frameless window), so the framed window is
    // the one centred.
    DialogFrame(QWidget* parent, Qt::WindowFlags flags, const QString& title, QSize size,
                QSize decoration = QSize(0, 0));

protected:
    void done(int result) override;
    void showEvent(QShowEvent* event) override;

private:
    // Where the pointer was when the dialog opened: the close animation ends there.
    QPoint loadCursor_;
    bool opened_ = false;
};

}  // namespace tav
