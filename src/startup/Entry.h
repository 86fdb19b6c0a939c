// The program's entry routine: command-line dispatch, single-instance guard,
// data folder, settings, and the choice of the slide show's pictures.
//
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

#include <QtGlobal>

#include <functional>
#include <string>

#include "storage/GroupChoice.h"

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

// Everything the entry routine takes from outside, so tests can run it
// in-process. Empty functions take the real ones: QMessageBox warnings titled
// "Tavrelle", the same messages drawn inside a lent window
// (RunLentWindowMessage), the local clock, the X11 window search, and the
// hand-overs RunPreview, RunSettingsDialog and RunSlideShow.
struct EntryEnvironment {
    std::function<void(const std::string& text)> ShowWarning;
    std::function<int(unsigned long window, const std::string& text)> LentWindowWarning;
    ClockFunction Clock;
    std::function<bool()> AnotherCopyRunning;
    std::function<int(unsigned long windowId)> Preview;
    std::function<int()> SettingsDialog;
    std::function<int()> SlideShow;
};

// The two messages of the slide-show start, as marked texts of the context
// "Entry" (shown through Translated).
inline constexpr const char* kNoPicturesMessage = QT_TRANSLATE_NOOP("Entry", "画像ﾌｧｲﾙを設定して下さい。");
inline constexpr const char* kTooFewPicturesMessage = QT_TRANSLATE_NOOP("Entry", "画像ﾌｧｲﾙは最低２つ以上必要です。");
// Under either message inside a lent window, where no button leads anywhere:
// how to choose the pictures.
inline constexpr const char* kChoosePicturesHint =
    QT_TRANSLATE_NOOP("Entry", "画像はメニューの「Tavrelleの設定」か tavrelle /c で選べます。");
// Title of the saver window, which marks a running copy like the settings
// dialog's caption (kSettingsWindowTitle) in either language.
inline constexpr const char* kSaverWindowTitle = "Tavrelle_Main";

// "--help" and "--version" as the whole command line ask for the usage or the
// version on standard output; every other line keeps its run mode, so
// "--helpme" or "--help x" still end at once like any unknown switch.
enum class InformationRequest { None, Usage, Version };
InformationRequest ParseInformationRequest(int argc, char** argv);
std::string UsageText();    // in the language of the user interface
std::string VersionText();  // "tavrelle 1.0.0" and a newline

// Some desktop savers start their programs without $XDG_RUNTIME_DIR. When it
// is unset or empty, it is set to <base>/<uid> if that is a folder (not a
// link) of this user that nobody else may enter, as a session's runtime
// folder is; otherwise it stays unset and the locks use the data folder.
// Returns the folder set, or an empty text when nothing was set.
std::string AdoptSessionRuntimeFolder(const std::string& base = "/run/user");

// Creates the QApplication when none exists yet and runs the entry routine.
// Returns the process exit status (0 also for every quiet end).
int RunEntry(int argc, char** argv);
int RunEntry(int argc, char** argv, const EntryEnvironment& environment);

// Sets DataFolder from DataFolderLocation() and creates the folder when it is
// missing (its parent too, as a fresh account may lack ~/.local/share).
// Errors are ignored; later file steps then fail quietly.
void PrepareDataFolder();

}  // namespace tav
