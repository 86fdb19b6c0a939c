#pragma once
// Writing the frames of a transition as PNG files while the transition runs.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/Raster.h"

namespace tav {

// The frame as a PNG file: 8-bit RGB, each row filtered against the one above
// and deflated fast. Exported frames are looked at, not archived, so speed wins
// over size.
std::vector<unsigned char> EncodePng(const Bitmap& frame);

// Writes frames as DIR/frame_0001.png, ... on worker threads, so encoding one
// frame overlaps drawing the next. Frames are numbered in the order they are
// handed in; only a few wait at a time, so memory stays bounded however long
// the transition runs.
class FrameWriter {
public:
    explicit FrameWriter(std::string dir, unsigned threads = std::thread::hardware_concurrency());
    ~FrameWriter();
    FrameWriter(const FrameWriter&) = delete;
    FrameWriter& operator=(const FrameWriter&) = delete;

    void Add(const Bitmap& frame);
    // Waits until every frame handed in is written; false when any could not be.
    bool Finish();

private:
    void Work();

    std::string dir_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::pair<int, Bitmap>> waiting_;
    std::size_t limit_ = 1;
    int added_ = 0;
    int busy_ = 0;
    bool closing_ = false;
    bool failed_ = false;
    std::vector<std::thread> workers_;
};

}  // namespace tav
