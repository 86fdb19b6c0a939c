#pragma once
#include <optional>
#include <string>
#include <vector>

#include "platform/Raster.h"

namespace tav {

// What one run of the renderer makes.
enum class RenderMode {
    Transition,  // one effect: its figures, its frames or a video of it
    Group,       // a picture group's slide show as a video
    Gallery,     // an animated picture of every effect and a page listing them
    List,        // the effect table
};

struct RenderOptions {
    RenderMode mode = RenderMode::Transition;
    int effect = 0;
    int width = 0;  // 0 with a group: the group's own area
    int height = 0;
    int speed = 2;
    Colorref backColor{};  // 0x00BBGGRR, read from RRGGBB
    std::optional<unsigned> seed;
    std::string from, to, framesDir;
    bool stats = false;
    bool timing = false;  // the stats give every frame's sleeps too
    // Videos and animated pictures.
    std::string video;  // output file; its extension chooses the container
    std::string codec;  // an encoder of the installed FFmpeg instead of the container's own
    int fps = 30;
    int group = -1;  // 0 ... 9
    int slides = 0;  // 0: every picture of the group once
    std::string galleryDir;
};

// Parses the command line (without the program name). On a bad option returns
// nothing and sets `error` to a one-line message.
std::optional<RenderOptions> ParseRenderOptions(const std::vector<std::string>& args, std::string& error);

extern const char* const kRenderUsage;

// The side length of the gallery's pictures when --size is not given.
inline constexpr int kGalleryWidth = 160;
inline constexpr int kGalleryHeight = 120;

}  // namespace tav
