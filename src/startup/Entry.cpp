#include "startup/Entry.h"

#include <QApplication>
#include <QMessageBox>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <memory>
#include <system_error>

#include "dialogs/SettingsRun.h"
#include "engine/ShowRun.h"
#include "platform/X11Windows.h"
#include "startup/InstanceLock.h"
#include "startup/PreviewHost.h"
#include "startup/Tavrelle_B.h"
#include "storage/AtomicFile.h"
#include "storage/Settings.h"

namespace tav {

namespace {

char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexDigit(char c) {
    if (IsDigit(c)) return c - '0';
    c = UpperAscii(c);
    return (c >= 'A' && c <= 'F') ? c - 'A' + 10 : -1;
}

void ShowWarningBox(const std::string& text) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Tavrelle"), QString::fromStdString(text), QMessageBox::Ok);
    box.exec();
}

bool ProgramWindowOpen() { return TopLevelWindowTitled({kSaverWindowTitle, kSettingsWindowTitle}); }

// The slide-show start: choose the group and its list, then hand over.
int StartSlideShow(const EntryEnvironment& environment) {
    const ClockReading now = environment.Clock ? environment.Clock() : ReadLocalClock();
    RunList run = ChooseRunList(now, SaverSettings.CurrentGroup);
    auto warn = [&](const char* text) {
        if (environment.ShowWarning)
            environment.ShowWarning(text);
        else
            ShowWarningBox(text);
    };
    if (run.Pictures.empty()) {
        warn(kNoPicturesMessage);
        return 0;
    }
    PictureList.Assign(std::move(run.Pictures));
    if (PictureList.Count() <= 1) {
        warn(kTooFewPicturesMessage);
        return 0;
    }
    // A scheduled group shows with its own settings, not the default group's.
    SelectGroup(run.Group);
    return environment.SlideShow ? environment.SlideShow() : RunSlideShow();
}

}  // namespace

std::string JoinCommandLine(int argc, char** argv) {
    std::string line;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) line += ' ';
        line += argv[i];
    }
    return line;
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

InformationRequest ParseInformationRequest(int argc, char** argv) {
    if (argc != 2) return InformationRequest::None;
    if (std::strcmp(argv[1], "--help") == 0) return InformationRequest::Usage;
    if (std::strcmp(argv[1], "--version") == 0) return InformationRequest::Version;
    return InformationRequest::None;
}

std::string UsageText() {
    return "Usage: tavrelle [/s | /c | /p WINDOW | /a]\n"
           "A picture slide-show screen saver for X11.\n"
           "\n"
           "  /s, -s or nothing  the slide show: full screen, or inside the window a\n"
           "                     screen saver gives in $XSCREENSAVER_WINDOW or after\n"
           "                     --window-id\n"
           "  /c                 the settings dialog: pictures, music and schedule\n"
           "  /p WINDOW          a still preview inside the X window WINDOW (a decimal\n"
           "                     or 0x hexadecimal id)\n"
           "  /a                 nothing: the desktop's screen locker owns the password\n"
           "  --help             print this help and end\n"
           "  --version          print the version and end\n"
           "\n"
           "Only the second character of the command line chooses the run mode; any\n"
           "other command line ends at once. Settings and picture lists live in\n"
           "$XDG_DATA_HOME/Tavrelle (~/.local/share/Tavrelle). See tavrelle(1).\n";
}

// The version comes from the build (the project version), so the program,
// its package and its manual page always agree.
std::string VersionText() { return std::string("tavrelle ") + TAVRELLE_VERSION + "\n"; }

void PrepareDataFolder() {
    DataFolder = DataFolderLocation();
    if (!FolderExists(DataFolder)) {
        std::error_code ignored;
        std::filesystem::create_directories(DataFolder, ignored);
    }
}

int RunEntry(int argc, char** argv, const EntryEnvironment& environment) {
    // Answered before Qt starts, which would need a display and would end a
    // second copy's run before anything is printed.
    switch (ParseInformationRequest(argc, argv)) {
        case InformationRequest::Usage: std::cout << UsageText() << std::flush; return 0;
        case InformationRequest::Version: std::cout << VersionText() << std::flush; return 0;
        case InformationRequest::None: break;
    }
    // Qt takes its own options (-display, -platform, ...) out of argv, so it
    // is created before the command line is read.
    int qtArgc = argc;
    std::unique_ptr<QApplication> application;
    if (!QCoreApplication::instance()) application = std::make_unique<QApplication>(qtArgc, argv);

    const Invocation invocation = ParseCommandLine(JoinCommandLine(qtArgc, argv));
    // A desktop screen saver starts one copy per monitor, each in a window it
    // lends; those copies belong together, every other start stays alone.
    const bool lentWindow = invocation.Switch == 'S' && SaverHostWindow() != 0;
    if (!lentWindow) {
        const bool anotherCopy =
            environment.AnotherCopyRunning ? environment.AnotherCopyRunning() : ProgramWindowOpen();
        if (anotherCopy) return 0;
    }

    if (invocation.Mode == RunMode::Preview)
        return environment.Preview ? environment.Preview(invocation.WindowId) : RunPreview(invocation.WindowId);

    PrepareDataFolder();
    // The window titles appear only once a copy has loaded its pictures or
    // built its dialog; two copies started together would both pass that
    // test. The lock is taken before anything is read, and held until the end.
    std::optional<InstanceLock> lock;
    if (!lentWindow && (invocation.Mode == RunMode::SlideShow || invocation.Mode == RunMode::Settings)) {
        lock = InstanceLock::TryTake(DataFolder);
        if (!lock) return 0;
    }
    // Writers killed between writing and renaming leave their temporary files behind.
    RemoveLeftoverTemporaryFiles(DataFolder);
    LoadSettings();

    switch (invocation.Mode) {
        case RunMode::Settings:
            QCoreApplication::processEvents();
            return environment.SettingsDialog ? environment.SettingsDialog() : RunSettingsDialog();
        case RunMode::SlideShow: return StartSlideShow(environment);
        // Passwords belong to the desktop's locker here (IsWindowsNT), so the
        // password switch ends like an unknown one.
        case RunMode::Password:
        case RunMode::Quit:
        case RunMode::Preview: break;
    }
    return 0;
}

int RunEntry(int argc, char** argv) { return RunEntry(argc, argv, EntryEnvironment{}); }

}  // namespace tav
