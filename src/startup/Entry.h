// The program's entry routine: command-line dispatch, single-instance guard,
// data folder, settings, and the choice of the slide show's pictures.
// The command line itself is read by base/CommandLine.h.
#pragma once

#include <QtGlobal>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/CommandLine.h"
#include "base/Identity.h"
#include "storage/GroupChoice.h"
#include "storage/Settings.h"
#include "surfaces/PictureJobs.h"

namespace tav {

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

// The toolkit's accessibility bridge connects to the session's message bus as
// a window shows. Without a bus it has the bus library start one
// (dbus-launch), waits for it, and leaves a bus daemon behind on the display.
// A show has nothing for a screen reader that needs that, so where no
// session bus is reachable ($DBUS_SESSION_BUS_ADDRESS unset or empty, and no
// socket $XDG_RUNTIME_DIR/bus), the address is set to one that fails at once.
// Returns true when it was set.
bool KeepOffAMissingSessionBus();

// The first picture of a show, found from the command line and the data
// files alone, so that it can be composed while the toolkit starts.
struct FirstPicturePlan {
    SaverSettingsData settings;
    int group = 0;
    std::string path;
    // What the show will ask for on a screen of that size.
    PictureRequest For(ScreenSize screen) const;
};
// `arguments` is the command line after the program's name, without the
// toolkit's options. Nothing for another mode, for a show in a lent window
// (it goes on where its last show stopped, in the window's size), for a
// random order (the show draws its first picture), or for fewer than two
// pictures.
std::optional<FirstPicturePlan> PlanFirstPicture(const std::vector<std::string>& arguments, const std::string& folder,
                                                 ClockReading now);

// Creates the QApplication when none exists yet and runs the entry routine.
// Returns the process exit status (0 also for every quiet end).
int RunEntry(int argc, char** argv);
int RunEntry(int argc, char** argv, const EntryEnvironment& environment);

// Sets DataFolder from DataFolderLocation() and creates the folder when it is
// missing (its parent too, as a fresh account may lack ~/.local/share).
// Errors are ignored; later file steps then fail quietly.
void PrepareDataFolder();

}  // namespace tav
