#pragma once
// A start-up message drawn inside the window a desktop screen saver lends the
// show (class LentWindowMessage). A message box would open beside that window:
// under the saver's own window, over the locked screen, or outside a settings
// dialog's small preview. Here the message fills the lent window instead,
// centred on the group's background colour, and stays until the host destroys
// the window or ends the process, as every saver expects of its programs.

#include <QColor>
#include <QString>
#include <QWidget>

#include "x11/ForeignWindow.h"

namespace tav {

class LentWindowMessage : public QWidget {
public:
    // message: the first line; hint: what to do about it, under it.
    LentWindowMessage(unsigned long host, QString message, QString hint, QColor background);
    // Fills the lent window and shows the text; once the window is gone the
    // event loop ends.
    void Start();
    // The pixel size the text is drawn at in a window of that size: as large
    // as reads comfortably, small enough for both paragraphs to fit.
    int TextPixelSize(QSize window) const;

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QString Text() const { return message_ + QStringLiteral("\n") + hint_; }
    // The narrowest part of box, centred, that holds the text in as few lines as box does.
    QRect BalancedBox(const QFont& font, QRect box) const;

    unsigned long host_;
    QString message_, hint_;
    QColor background_;
    ForeignEmbedding embedding_;
};

// Shows the message inside the lent window host and runs the event loop until
// that window goes away. Returns the process exit status. Called by the entry
// routine with a QApplication created.
int RunLentWindowMessage(unsigned long host, const QString& message, const QString& hint, QColor background);

}  // namespace tav
