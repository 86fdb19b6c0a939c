#pragma once
// Animated WebP through libwebp's animation encoder.

#include <memory>
#include <string>

#include "render/VideoEncoder.h"

namespace tav {

// The encoder, or nothing with `error` set.
std::unique_ptr<VideoEncoder> OpenWebpEncoder(const VideoSettings& settings, std::string& error);

}  // namespace tav
