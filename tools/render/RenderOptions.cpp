#include "render/RenderOptions.h"

#include <charconv>

namespace tav {

const char* const kRenderUsage =
    "usage: tavrelle-render --effect N --size WxH [--speed S] [--back-color RRGGBB] [--seed K]\n"
    "                       [--from FILE] [--to FILE] [--frames DIR] [--stats]\n"
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
    bool haveEffect = false, haveSize = false;
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
        std::string v;
        long long n = 0;
        if (a == "--stats") {
            o.stats = true;
        } else if (a == "--list") {
            o.list = true;
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
            if (!value(v)) return std::nullopt;
            if (!ParseInt(v, n) || n < 0 || n > 32767)
                return error = "--speed takes 0...32767, not '" + v + "'", std::nullopt;
            o.speed = static_cast<int>(n);
        } else if (a == "--back-color") {
            if (!value(v)) return std::nullopt;
            if (v.size() != 6 || !ParseInt(v, n, 16))
                return error = "--back-color takes RRGGBB in hex, not '" + v + "'", std::nullopt;
            o.backColor = PixelToColorref(static_cast<Pixel>(n));
        } else if (a == "--seed") {
            if (!value(v)) return std::nullopt;
            if (!ParseInt(v, n) || n < 0 || n > 0xFFFFFFFFLL)
                return error = "--seed takes 0...4294967295, not '" + v + "'", std::nullopt;
            o.seed = static_cast<unsigned>(n);
        } else if (a == "--from") {
            if (!value(o.from)) return std::nullopt;
        } else if (a == "--to") {
            if (!value(o.to)) return std::nullopt;
        } else if (a == "--frames") {
            if (!value(o.framesDir)) return std::nullopt;
        } else {
            error = "unknown option '" + a + "'";
            return std::nullopt;
        }
    }
    if (o.list) return o;
    if (!haveEffect) return error = "--effect is required", std::nullopt;
    if (!haveSize) return error = "--size is required", std::nullopt;
    return o;
}

}  // namespace tav
