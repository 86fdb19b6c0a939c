// Command line. The arguments after the program name are joined with single
// blanks into one line (so "/p 1234" as two arguments and "/p 1234" as one
// are the same). The mode is the second character of that line, upper-cased;
// the first character (normally "/" or "-") is never looked at. A number that
// follows the switch is taken from the fourth character to the end, so exactly
// one separator is expected between switch and number:
//
//   /s  -S  xS  (nothing)  /   slide show ("S", or a line shorter than 2)
//   /c  /c:1234                settings dialog (the number is ignored)
//   /p 1234  /p 0x4a0001f      preview inside X window 1234 / 0x4a0001f
//   /a 77                      password change: does nothing here (the
//                              desktop's locker owns passwords); ends
//   anything else (/x)         ends at once
//
// A window id is read as a decimal number (a fraction is rounded to the
// nearest integer, halves to even) or, after "0x", as hexadecimal digits; the
// leading number of the text counts and the rest is ignored. Text that does
// not start with a number gives 0.
#pragma once

#include <string>
#include <vector>

namespace tav {

enum class RunMode { SlideShow, Settings, Preview, Password, Quit };

struct Invocation {
    RunMode Mode = RunMode::SlideShow;
    char Switch = '\0';          // the upper-cased second character, '\0' when absent
    std::string Argument;        // the text from the fourth character on
    unsigned long WindowId = 0;  // Argument as a window id (preview and password)
};

// The arguments after the program name, joined with single blanks.
std::string JoinCommandLine(int argc, char** argv);
Invocation ParseCommandLine(const std::string& line);
unsigned long ParseWindowId(const std::string& text);

// The window a desktop screen saver lends the show: the number after
// "-window-id" (or "--window-id") among `arguments` (the command line after
// the program's name), else `environment` ($XSCREENSAVER_WINDOW, or null);
// 0 when there is none.
unsigned long LentWindowOf(const std::vector<std::string>& arguments, const char* environment);

}  // namespace tav
