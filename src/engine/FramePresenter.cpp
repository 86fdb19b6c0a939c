#include "engine/FramePresenter.h"

#include <algorithm>
#include <cstring>

namespace tav {
namespace {

// Beyond this many rectangles an image's misses are kept as their bounding box.
constexpr std::size_t kMaxRects = 8;

bool Contains(const ImageRect& outer, const ImageRect& inner) {
    return outer.x0 <= inner.x0 && outer.y0 <= inner.y0 && outer.x1 >= inner.x1 && outer.y1 >= inner.y1;
}

}  // namespace

FramePresenter::FramePresenter(DC& display, std::unique_ptr<FrameSink> sink)
    : display_(display),
      bitmap_(display.bitmapPtr()),
      sink_(std::move(sink)),
      width_(bitmap_->width()),
      height_(bitmap_->height()) {
    const std::size_t bytes = static_cast<std::size_t>(width_) * height_ * sizeof(Pixel);
    std::memcpy(sink_->Image(0), bitmap_->memory(), bytes);
    bitmap_->UseMemory(sink_->Image(0));
    // The second image takes the pixels the first time the drawing moves to
    // it: until then its shared memory is never touched and takes no room.
    if (sink_->ImageCount() > 1) lacks_[1].push_back({0, 0, width_, height_});
}

FramePresenter::~FramePresenter() {
    for (int k = 0; k < sink_->ImageCount(); ++k)
        if (bitmap_->memory() == sink_->Image(k)) bitmap_->UseMemory(nullptr);
}

bool FramePresenter::Serves() const {
    return display_.bitmapPtr() == bitmap_ && bitmap_->memory() == sink_->Image(current_) &&
           bitmap_->width() == width_ && bitmap_->height() == height_;
}

void FramePresenter::Present() {
    const DC::DirtyRect d = display_.TakeDirty();
    const ImageRect r{std::max(d.x0, 0), std::max(d.y0, 0), std::min(d.x1, width_), std::min(d.y1, height_)};
    if (r.empty()) return;
    if (sink_->ImageCount() > 1) Lacks(current_ ^ 1, r);
    Put(r);
}

void FramePresenter::Repaint(const ImageRect& area) {
    const ImageRect r{std::max(area.x0, 0), std::max(area.y0, 0), std::min(area.x1, width_),
                      std::min(area.y1, height_)};
    if (!r.empty()) Put(r);
}

void FramePresenter::Put(const ImageRect& r) {
    sink_->Put(current_, r);
    if (sink_->ImageCount() > 1) {
        sent_[current_].push_back(r);
        undecided_ = true;
    }
}

void FramePresenter::Resend() {
    // Shared memory failed, so no put still out from either image counts.
    sink_->SendPlain();
    std::vector<ImageRect> lost;
    for (auto& sent : sent_) {
        lost.insert(lost.end(), sent.begin(), sent.end());
        sent.clear();
    }
    for (const ImageRect& r : lost) sink_->Put(current_, r);
}

void FramePresenter::Lacks(int k, const ImageRect& r) {
    if (r.empty()) return;
    std::vector<ImageRect>& list = lacks_[k];
    for (const ImageRect& have : list)
        if (Contains(have, r)) return;
    std::erase_if(list, [&](const ImageRect& have) { return Contains(r, have); });
    list.push_back(r);
    if (list.size() > kMaxRects) {
        ImageRect box = list.front();
        for (const ImageRect& have : list)
            box = {std::min(box.x0, have.x0), std::min(box.y0, have.y0), std::max(box.x1, have.x1),
                   std::max(box.y1, have.y1)};
        list.assign(1, box);
    }
}

void FramePresenter::BeforeDrawing(bool mayMove) {
    if (!undecided_) return;
    FrameSink::PutState state = sink_->Poll(current_);
    if (state == FrameSink::PutState::Failed) Resend();
    if (state != FrameSink::PutState::Busy) {
        sent_[current_].clear();
        undecided_ = false;
        return;
    }
    if (!mayMove) return;
    // The server is still reading this image: the drawing moves to the
    // other, which the server finished reading a frame ago, or else will
    // have shortly (it is waited for only when the server lags two frames).
    const int other = current_ ^ 1;
    state = sink_->Poll(other);
    if (state == FrameSink::PutState::Busy) state = sink_->Wait(other);
    if (state == FrameSink::PutState::Failed) Resend();
    sent_[other].clear();
    // Drawing since the last frame is in the current image only, as well.
    const DC::DirtyRect d = display_.dirty;
    Lacks(other, {std::max(d.x0, 0), std::max(d.y0, 0), std::min(d.x1, width_), std::min(d.y1, height_)});
    const Pixel* from = sink_->Image(current_);
    Pixel* to = sink_->Image(other);
    for (const ImageRect& r : lacks_[other]) {
        if (r.empty()) continue;
        for (int y = r.y0; y < r.y1; ++y) {
            const std::size_t at = static_cast<std::size_t>(y) * width_ + r.x0;
            std::memcpy(to + at, from + at, static_cast<std::size_t>(r.width()) * sizeof(Pixel));
        }
    }
    lacks_[other].clear();
    bitmap_->UseMemory(to);
    current_ = other;
    undecided_ = false;
    ++moves;
}

}  // namespace tav
