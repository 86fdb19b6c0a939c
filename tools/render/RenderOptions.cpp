#include "render/RenderOptions.h"

#include <charconv>

namespace tav {

const char* const kRenderUsage =
    "usage: tavrelle-render --effect N --size WxH [--speed S] [--back-color RRGGBB] [--seed K]\n"
    "                       [--from FILE] [--to FILE] [--frames DIR] [--stats [--timing]]\n"
    "                       [--video FILE [--fps F] [--codec NAME]]\n"
    "       tavrelle-render --group G --video FILE [--size WxH] [--slides K] [--fps F] [--codec NAME] [--stats]\n"
    "       tavrelle-render --gallery DIR [--size WxH] [--from FILE] [--to FILE] [--speed S] [--seed K]\n"
    "       tavrelle-render --list\n";

namespace {
bool ParseInt(const std::string& s, long long& out, int base = 10) {
    if (s.empty()) return false;
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), out, base);
    return ec == std::errc() && p == s.data() + s.size();
}
}  // namespace

std::optional<RenderOptions> ParseRenderOptions(const std::vector<std::string>& args, std::string& error) {
    RenderOptions o;
    bool haveEffect = false, haveSize = false, haveList = false, haveSlides = false, haveFps = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= args.size()) {
                error = a + " needs a value";
                return false;
            }
            out = args[++i];
            return true;
        };
        // A whole number lo ... hi for option a.
        auto number = [&](long long lo, long long hi, long long& out) {
            std::string v;
            if (!value(v)) return false;
            if (!ParseInt(v, out) || out < lo || out > hi) {
                error = a + " takes " + std::to_string(lo) + "..." + std::to_string(hi) + ", not '" + v + "'";
                return false;
            }
            return true;
        };
        std::string v;
        long long n = 0;
        if (a == "--stats") {
            o.stats = true;
        } else if (a == "--timing") {
            o.timing = true;
        } else if (a == "--list") {
            haveList = true;
        } else if (a == "--effect") {
            if (!value(v)) return std::nullopt;
            if (!ParseInt(v, n)) return error = "--effect takes a number, not '" + v + "'", std::nullopt;
            if (n < 1 || n > 143) return error = "effect " + v + " is outside 1...143", std::nullopt;
            o.effect = static_cast<int>(n);
            haveEffect = true;
        } else if (a == "--size") {
            if (!value(v)) return std::nullopt;
            auto x = v.find_first_of("xX");
            long long w = 0, h = 0;
            if (x == std::string::npos || !ParseInt(v.substr(0, x), w) || !ParseInt(v.substr(x + 1), h) || w < 1 ||
                h < 1 || w > 8192 || h > 8192)
                return error = "--size takes WxH with each side 1...8192, not '" + v + "'", std::nullopt;
            o.width = static_cast<int>(w);
            o.height = static_cast<int>(h);
            haveSize = true;
        } else if (a == "--speed") {
            if (!number(0, 32767, n)) return std::nullopt;
            o.speed = static_cast<int>(n);
        } else if (a == "--back-color") {
            if (!value(v)) return std::nullopt;
            if (v.size() != 6 || !ParseInt(v, n, 16))
                return error = "--back-color takes RRGGBB in hex, not '" + v + "'", std::nullopt;
            o.backColor = PixelToColorref(static_cast<Pixel>(n));
        } else if (a == "--seed") {
            if (!number(0, 0xFFFFFFFFLL, n)) return std::nullopt;
            o.seed = static_cast<unsigned>(n);
        } else if (a == "--from") {
            if (!value(o.from)) return std::nullopt;
        } else if (a == "--to") {
            if (!value(o.to)) return std::nullopt;
        } else if (a == "--frames") {
            if (!value(o.framesDir)) return std::nullopt;
        } else if (a == "--video") {
            if (!value(o.video)) return std::nullopt;
        } else if (a == "--codec") {
            if (!value(o.codec)) return std::nullopt;
        } else if (a == "--fps") {
            if (!number(1, 120, n)) return std::nullopt;
            o.fps = static_cast<int>(n);
            haveFps = true;
        } else if (a == "--group") {
            if (!number(0, 9, n)) return std::nullopt;
            o.group = static_cast<int>(n);
        } else if (a == "--slides") {
            if (!number(1, 32767, n)) return std::nullopt;
            o.slides = static_cast<int>(n);
            haveSlides = true;
        } else if (a == "--gallery") {
            if (!value(o.galleryDir)) return std::nullopt;
        } else {
            error = "unknown option '" + a + "'";
            return std::nullopt;
        }
    }
    const int modes = haveList + haveEffect + (o.group >= 0) + !o.galleryDir.empty();
    if (modes > 1) return error = "--effect, --group, --gallery and --list go one at a time", std::nullopt;
    if (haveList) {
        o.mode = RenderMode::List;
        return o;
    }
    if (o.group >= 0) {
        o.mode = RenderMode::Group;
        if (o.video.empty()) return error = "--group needs --video FILE", std::nullopt;
        if (o.timing || !o.framesDir.empty() || !o.from.empty() || !o.to.empty())
            return error = "--group takes its pictures from the group itself", std::nullopt;
        return o;
    }
    if (haveSlides) return error = "--slides goes with --group", std::nullopt;
    if (!o.galleryDir.empty()) {
        o.mode = RenderMode::Gallery;
        if (!o.video.empty() || o.stats || !o.framesDir.empty() || !o.codec.empty())
            return error = "--gallery writes its own files", std::nullopt;
        if (!haveSize) o.width = kGalleryWidth, o.height = kGalleryHeight;
        return o;
    }
    if (!haveEffect) return error = "--effect is required", std::nullopt;
    if (!haveSize) return error = "--size is required", std::nullopt;
    if (o.timing && !o.stats) return error = "--timing goes with --stats", std::nullopt;
    if (o.video.empty() && (haveFps || !o.codec.empty()))
        return error = "--fps and --codec go with --video", std::nullopt;
    return o;
}

}  // namespace tav
