#pragma once
// What a running show costs, against the least it could cost and against its
// peers (see main.cpp for the command lines).

#include <QString>

#include <sys/types.h>

#include <string>
#include <vector>

namespace tav {

// A minute of the standalone show at the screen's size (eight 6-megapixel
// photos, numeric order from effect 1, interval 1 s, speed 2), run in this
// process: CPU seconds per minute of the show (its drawing thread apart) and
// of the X server, against the floor (the bytes the frames changed: the changed
// rectangles of every presented frame, summed, copied at this machine's memcpy
// speed); then feh's slide show and glslideshow on the same photos for as
// long, where installed, and `program` (when given) from its start, for its
// own peak memory. `seconds` shortens the minute.
int ShowMinute(int argc, char** argv, int seconds, const std::string& program);

// Start of the program to `picture` on the whole screen, against
// feh --fullscreen with the same file, medians of nine runs each. The picture
// counts as shown when the middle of the screen matches the middle of the
// picture fitted to it.
int FirstOfFile(const std::string& program, const std::string& picture);

// Each decoder against its format's own command-line tool, process against
// process: a 12-megapixel JPEG, HEIC and PNG and a 13-megapixel WebP photo
// composed for 1920 × 1080 (by `self compose-child`) against vipsthumbnail,
// heif-convert to y4m, dwebp to ppm and pngtopnm; wall time and peak memory.
int DecoderTable(int argc, char** argv, const std::string& self);

// Kilobytes of one field ("VmRSS:", "RssAnon:", ...) of a process's status, or -1.
long StatusKb(pid_t pid, const char* field);

// Writes a data folder under `home` whose group 0 shows `pictures` on the
// whole screen at `interval` seconds and `speed`, fully opaque.
// Runs the in-process show's events as they come, waking at least every
// 50 ms. The overload of processEvents that takes a time never waits, so a
// loop on it spins, and the spinning counted as the show's own CPU.
void AwaitEvents();

void WriteShowData(const QString& home, int interval, int speed, const std::vector<std::string>& pictures);

}  // namespace tav
