#pragma once
// Presents the display surface without copying it first: the effects draw
// straight into the window's images (x11/WindowImages.h), and each frame
// sends only the rectangles it changed.
//
// With two shared images, a frame is drawn into the image the server last
// read from if the server has finished reading it by the time the next
// drawing begins (after the frame's sleep, mostly); otherwise the drawing
// moves to the other image, which first takes over the rectangles it missed.
// A put the server failed counts as read: its rectangles are sent again, as
// plain requests from then on, and nothing ever waits for it.

#include <memory>
#include <span>
#include <vector>

#include "platform/Raster.h"
#include "x11/WindowImages.h"

namespace tav {

class FramePresenter {
public:
    // The display's pixels move into the sink's images; the display then draws there.
    FramePresenter(DC& display, std::unique_ptr<FrameSink> sink);
    // The display gets its pixels back in memory of its own.
    ~FramePresenter();
    FramePresenter(const FramePresenter&) = delete;
    FramePresenter& operator=(const FramePresenter&) = delete;

    // False once the display was resized or given another bitmap: a new
    // presenter is needed.
    bool Serves() const;
    // Sends what changed since the last frame.
    void Present();
    // Sends the rectangle again as it is now (the window was uncovered).
    void Repaint(const ImageRect& r);
    // Chooses the image the next drawing goes into. `mayMove`: false when
    // only input runs before more frames are presented (right after a frame),
    // so the drawing stays where it is unless the server is done with it.
    void BeforeDrawing(bool mayMove = true);

    int CurrentImage() const { return current_; }
    // How often the drawing moved to the other image, for the measuring tool.
    long long moves = 0;

private:
    void Put(std::span<const ImageRect> rects);
    // A put failed: what the puts still out showed is sent again, plainly,
    // from the newest pixels.
    void Resend();
    void Lacks(int k, const ImageRect& r);

    DC& display_;
    BitmapPtr bitmap_;  // the display's bitmap, drawing into the images
    std::unique_ptr<FrameSink> sink_;
    int width_, height_;
    int current_ = 0;
    bool undecided_ = false;          // a put went out since the drawing last chose its image
    ChangedArea lacks_[2];            // what each image misses of the newest pixels
    std::vector<ImageRect> sent_[2];  // each image's puts the server has not yet confirmed
};

}  // namespace tav
