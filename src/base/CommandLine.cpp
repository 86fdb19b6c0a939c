#include "base/CommandLine.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "base/Text.h"

namespace tav {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexDigit(char c) {
    if (IsDigit(c)) return c - '0';
    c = UpperAscii(c);
    return (c >= 'A' && c <= 'F') ? c - 'A' + 10 : -1;
}

}  // namespace

std::string JoinCommandLine(int argc, char** argv) {
    return JoinWithBlanks(std::vector<std::string>(argv + std::min(argc, 1), argv + argc));
}

unsigned long ParseWindowId(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        unsigned long long value = 0;
        for (i += 2; i < text.size() && HexDigit(text[i]) >= 0; ++i) {
            value = value * 16 + static_cast<unsigned>(HexDigit(text[i]));
            if (value > 0xFFFFFFFFull) return 0;  // X window ids are 32-bit
        }
        return static_cast<unsigned long>(value);
    }
    double value = 0;
    bool any = false;
    for (; i < text.size() && IsDigit(text[i]); ++i, any = true) {
        value = value * 10 + (text[i] - '0');
        if (value > 4294967295.0) return 0;
    }
    if (i < text.size() && text[i] == '.') {
        double scale = 0.1;
        for (++i; i < text.size() && IsDigit(text[i]); ++i, any = true, scale /= 10) value += (text[i] - '0') * scale;
    }
    if (!any) return 0;
    // The default floating-point rounding mode is to nearest, halves to even.
    const double rounded = std::nearbyint(value);
    return rounded > 4294967295.0 ? 0 : static_cast<unsigned long>(rounded);
}

Invocation ParseCommandLine(const std::string& line) {
    Invocation invocation;
    if (line.size() >= 2) invocation.Switch = UpperAscii(line[1]);
    if (line.size() > 3) invocation.Argument = line.substr(3);
    switch (invocation.Switch) {
    case 'P':
        invocation.Mode = RunMode::Preview;
        invocation.WindowId = ParseWindowId(invocation.Argument);
        break;
    case 'C': invocation.Mode = RunMode::Settings; break;
    case 'A':
        invocation.Mode = RunMode::Password;
        invocation.WindowId = ParseWindowId(invocation.Argument);
        break;
    case 'S':
    case '\0': invocation.Mode = RunMode::SlideShow; break;
    default: invocation.Mode = RunMode::Quit; break;
    }
    return invocation;
}

unsigned long LentWindowOf(const std::vector<std::string>& arguments, const char* environment) {
    for (std::size_t i = 0; i + 1 < arguments.size(); ++i)
        if (arguments[i] == "-window-id" || arguments[i] == "--window-id") return ParseWindowId(arguments[i + 1]);
    if (environment && *environment) return ParseWindowId(environment);
    return 0;
}

}  // namespace tav
