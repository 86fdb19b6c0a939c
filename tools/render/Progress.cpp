#include "render/Progress.h"

#include <unistd.h>

#include <cstdio>

namespace tav {

namespace {

std::string Clock(double seconds) {
    const long s = static_cast<long>(seconds + 0.5);
    char text[32];
    std::snprintf(text, sizeof text, "%ld:%02ld", s / 60, s % 60);
    return text;
}

}  // namespace

Progress::Progress(std::string unit, long total)
    : unit_(std::move(unit)), total_(total), terminal_(isatty(STDERR_FILENO) == 1) {
    start_ = last_ = std::chrono::steady_clock::now();
}

Progress::~Progress() { Done(); }

void Progress::Update(long done) {
    if (!terminal_) return;
    const auto now = std::chrono::steady_clock::now();
    if (shown_ && now - last_ < std::chrono::milliseconds(100)) return;
    last_ = now;
    Print(done);
}

void Progress::Print(long done) {
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    std::string line = unit_ + " " + std::to_string(done);
    if (total_ > 0) line += " of " + std::to_string(total_);
    line += ", " + Clock(elapsed) + " elapsed";
    if (total_ > 0 && done > 0)
        line += ", about " + Clock(elapsed * static_cast<double>(total_ - done) / done) + " left";
    std::fprintf(stderr, "\r%s\033[K", line.c_str());
    std::fflush(stderr);
    shown_ = true;
}

void Progress::Done() {
    if (!terminal_ || !shown_) return;
    std::fprintf(stderr, "\r\033[K");
    std::fflush(stderr);
    shown_ = false;
}

}  // namespace tav
