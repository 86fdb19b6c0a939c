#pragma once
// Windows of other programs that host ours: the preview window of a desktop's
// settings, or the full-screen window a desktop screen saver hands its hacks.

#include <QTimer>

#include <functional>

class QWidget;

namespace tav {

// The window's size in pixels; false when it does not exist (or no display).
bool ForeignWindowSize(unsigned long windowId, int& width, int& height);
bool ForeignWindowExists(unsigned long windowId);

// Our widget inside a foreign window. The host program destroys its window
// without telling us, so the window is looked for every 250 ms.
class ForeignEmbedding {
public:
    ForeignEmbedding();

    // Makes widget a frameless child of the window host and sizes it to the
    // host (Qt reports 0 x 0 for a foreign window, so X is asked); on a HiDPI
    // screen the size is rounded up, so the widget reaches the host's last
    // device pixel. Then watches the host: once it has gone, the watch ends
    // and onGone runs. A host of 0 is not watched.
    void Embed(QWidget& widget, unsigned long host, std::function<void()> onGone);
    void StopWatching() { watch_.stop(); }

private:
    unsigned long host_ = 0;
    std::function<void()> onGone_;
    QTimer watch_;
};

}  // namespace tav
