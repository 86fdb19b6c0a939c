#include "engine/FramePresenter.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace tav {
namespace {

ImageRect Clip(const ChangedArea::Box& b, int width, int height) {
    return {std::max(b.x0, 0), std::max(b.y0, 0), std::min(b.x1, width), std::min(b.y1, height)};
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
    if (sink_->ImageCount() > 1) lacks_[1].add(0, 0, width_, height_);
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
    const ChangedArea changed = display_.TakeDirty();
    std::array<ImageRect, ChangedArea::kMaxBoxes> rects;
    std::size_t n = 0;
    for (const ChangedArea::Box& b : changed.boxes())
        if (const ImageRect r = Clip(b, width_, height_); !r.empty()) rects[n++] = r;
    if (n == 0) return;
    if (sink_->ImageCount() > 1)
        for (std::size_t i = 0; i < n; ++i) Lacks(current_ ^ 1, rects[i]);
    Put({rects.data(), n});
}

void FramePresenter::Repaint(const ImageRect& area) {
    const ImageRect r = Clip({area.x0, area.y0, area.x1, area.y1}, width_, height_);
    if (!r.empty()) Put({&r, 1});
}

void FramePresenter::Put(std::span<const ImageRect> rects) {
    sink_->Put(current_, rects);
    if (sink_->ImageCount() > 1) {
        sent_[current_].insert(sent_[current_].end(), rects.begin(), rects.end());
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
    sink_->Put(current_, lost);
}

void FramePresenter::Lacks(int k, const ImageRect& r) { lacks_[k].add(r.x0, r.y0, r.width(), r.height()); }

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
    for (const ChangedArea::Box& b : display_.dirty.boxes()) Lacks(other, Clip(b, width_, height_));
    const Pixel* from = sink_->Image(current_);
    Pixel* to = sink_->Image(other);
    for (const ChangedArea::Box& b : lacks_[other].boxes()) {
        const ImageRect r = Clip(b, width_, height_);
        if (r.empty()) continue;
        for (int y = r.y0; y < r.y1; ++y) {
            const std::size_t at = static_cast<std::size_t>(y) * width_ + r.x0;
            std::memcpy(to + at, from + at, static_cast<std::size_t>(r.width()) * sizeof(Pixel));
        }
    }
    lacks_[other] = ChangedArea{};
    bitmap_->UseMemory(to);
    current_ = other;
    undecided_ = false;
    ++moves;
}

}  // namespace tav
