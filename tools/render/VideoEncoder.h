#pragma once
// One encoder per container family writes the frames of a video to a file.
// Its calls come from one thread (the encoding thread of VideoOutput); each
// returns false after a failure, with `error` one line naming the cause.

#include <memory>
#include <string>

#include "platform/Raster.h"

namespace tav {

enum class Container { Mp4, WebM, Mkv, Gif, WebP };

struct VideoSettings {
    Container container = Container::Mkv;
    std::string file;  // where the bytes go (the temporary file)
    std::string name;  // the file as the user named it, for messages
    int width = 0, height = 0, fps = 30;
    std::string codec;  // an encoder name instead of the container's own
    std::string music;  // the sound track, or empty
};

class VideoEncoder {
public:
    virtual ~VideoEncoder() = default;
    virtual bool Frame(Bitmap&& frame) = 0;
    // The frame before, once more.
    virtual bool Repeat() = 0;
    // The pictures the coming frames are made of, so a palette can cover them.
    virtual void Pictures(const Bitmap& outgoing, const Bitmap& incoming) {
        (void)outgoing;
        (void)incoming;
    }
    // Completes the file.
    virtual bool Finish() = 0;
    std::string error;
};

}  // namespace tav
