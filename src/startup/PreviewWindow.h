#pragma once
// The preview host (class Tavrelle_X): a still picture inside the small monitor of a screen-saver
// chooser. It reads no setting and plays no music.

#include <QImage>
#include <QWidget>

#include "x11/ForeignWindow.h"

namespace tav {

// The three built-in preview pictures, 200 × 150 each, drawn in code.
QImage MasterPicture(int index);

class Tavrelle_X : public QWidget {
public:
    explicit Tavrelle_X(unsigned long parentWindow);
    // Sizes the host to its parent, chooses one of the pictures and shows it.
    void RunPreview();
    int ShownPicture() const { return shown_; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    unsigned long parent_;
    QImage picture_;
    int shown_ = -1;
    ForeignEmbedding embedding_;
};

// Hand-over to the preview host: draws the still picture inside the X window
// windowId (the small monitor of a screen-saver chooser) and runs the event
// loop until that window goes away. Returns the process exit status.
// Called by the entry routine with a QApplication already created; no setting
// has been read.
int RunPreview(unsigned long windowId);

}  // namespace tav
