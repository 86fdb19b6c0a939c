#pragma once
#include <optional>
#include <string>
#include <vector>

#include "platform/Raster.h"

namespace tav {

struct RenderOptions {
    int effect = 0;
    int width = 0;
    int height = 0;
    int speed = 2;
    Colorref backColor = 0x000000;  // 0x00BBGGRR, read from RRGGBB
    std::optional<unsigned> seed;
    std::string from, to, framesDir;
    bool stats = false;
    bool list = false;
};

// Parses the command line (without the program name). On a bad option returns
// nothing and sets `error` to a one-line message.
std::optional<RenderOptions> ParseRenderOptions(const std::vector<std::string>& args, std::string& error);

extern const char* const kRenderUsage;

}  // namespace tav
