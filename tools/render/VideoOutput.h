#pragma once
// The video file of one run: the container its name asks for, its encoder on
// a thread of its own (so encoding one frame overlaps drawing the next), and
// a temporary file renamed into place only when the video is complete.

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "render/OutputFile.h"
#include "render/VideoClock.h"
#include "render/VideoEncoder.h"

namespace tav {

// The container a file name asks for by its extension (any case), or
// nothing with `error` naming the extensions there are.
std::optional<Container> ContainerOf(const std::string& path, std::string& error);

class VideoOutput : public FrameSink {
public:
    ~VideoOutput() override;

    // `settings.file` is ignored: the encoder writes a temporary file beside
    // `settings.name`. False with `error` when the file cannot be begun.
    bool Open(VideoSettings settings, std::string& error);

    void Frame(Bitmap&& frame) override;
    void Repeat() override;
    Bitmap Spare() override;
    void Pictures(const Bitmap& outgoing, const Bitmap& incoming);
    // The encoder has failed; more frames are in vain.
    bool Failed() const;
    // Waits for the encoder, completes the file and gives it its name. On
    // false no file is left and `error` is one line naming the cause.
    bool Finish(std::string& error);
    // Stops without a file.
    void Abandon();

    // CPU seconds the encoding thread has used (its own work, not the
    // codec's helper threads).
    double EncodeThreadCpuSeconds() const { return encodeCpu_; }

private:
    struct Item {
        enum Kind { NewFrame, RepeatFrame, NewPictures } kind;
        Bitmap a, b;
    };
    void Push(Item item);
    void Work();
    void Stop();

    OutputFile file_;
    std::unique_ptr<VideoEncoder> encoder_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Item> queue_;
    std::vector<Bitmap> spares_;  // frames the encoder is done with
    std::size_t limit_ = 3;
    Container container_ = Container::Mkv;
    bool busy_ = false;
    bool closing_ = false;
    bool failed_ = false;
    double encodeCpu_ = 0;
    std::thread worker_;
};

}  // namespace tav
