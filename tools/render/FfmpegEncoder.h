#pragma once
// MP4 (H.264, AAC), WebM (VP9, Opus), MKV (FFV1, FLAC) and GIF through
// FFmpeg's libraries.

#include <memory>
#include <string>

#include "render/VideoEncoder.h"

namespace tav {

// The encoder for the settings' container, or nothing with `error` set: an
// encoder the installed FFmpeg lacks, a size the codec cannot take, a file
// that cannot be opened.
std::unique_ptr<VideoEncoder> OpenFfmpegEncoder(const VideoSettings& settings, std::string& error);

}  // namespace tav
