#include "startup/Entry.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QMessageBox>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string_view>
#include <system_error>
#include <vector>

#include "base/ColourQt.h"
#include "base/Text.h"
#include "dialogs/SettingsDialog.h"
#include "engine/ShowWindow.h"
#include "engine/SlideShow.h"
#include "pictures/PictureLoader.h"
#include "platform/InstanceLock.h"
#include "platform/LargeBlocks.h"
#include "startup/Language.h"
#include "startup/LentWindowMessage.h"
#include "startup/PreviewWindow.h"
#include "startup/ScreenMeasure.h"
#include "startup/SharedState.h"
#include "storage/AtomicFile.h"
#include "storage/Settings.h"
#include "surfaces/Composition.h"
#include "x11/X11Windows.h"

namespace tav {

namespace {

void ShowWarningBox(const std::string& text) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Tavrelle"), QString::fromStdString(text), QMessageBox::Ok);
    box.exec();
}

// A copy may run in the other language: its settings dialog is found by
// either caption.
bool ProgramWindowOpen() {
    std::vector<std::string> titles{kSaverWindowTitle};
    for (const QString& caption : EveryTranslation("tav::Tavrelle_P", kSettingsWindowTitle))
        titles.push_back(caption.toStdString());
    return TopLevelWindowTitled(titles);
}

// Qt's own options, which it takes out of the command line when it starts:
// those followed by a value, and those that stand alone.
constexpr std::array<std::string_view, 15> kToolkitOptionsWithValue = {
    "platform", "platformpluginpath", "platformtheme", "plugin",      "display", "geometry", "qwindowgeometry",
    "title",    "qwindowtitle",       "icon",          "qwindowicon", "name",    "style",    "stylesheet",
    "session"};
constexpr std::array<std::string_view, 6> kToolkitFlags = {"reverse", "sync",        "nograb",
                                                           "dograb",  "widgetcount", "testability"};

template <std::size_t N>
bool Listed(const std::array<std::string_view, N>& list, std::string_view name) {
    for (std::string_view entry : list)
        if (entry == name) return true;
    return false;
}

// The command line as it will be once Qt has taken its options out, and the
// platform and display those options ask for.
struct ToolkitSplit {
    std::vector<std::string> Arguments;  // the program's own, after its name
    std::string Platform;
    std::optional<std::string> Display;
};

ToolkitSplit SplitToolkitOptions(int argc, char** argv) {
    ToolkitSplit split;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        std::string_view name = argument;
        if (name.starts_with("--")) name.remove_prefix(1);
        if (!name.starts_with('-')) {
            split.Arguments.emplace_back(argument);
            continue;
        }
        name.remove_prefix(1);
        if (Listed(kToolkitFlags, name)) continue;
        if (!Listed(kToolkitOptionsWithValue, name) || i + 1 >= argc) {
            split.Arguments.emplace_back(argument);
            continue;
        }
        const std::string value = argv[++i];
        if (name == "platform") split.Platform = value;
        if (name == "display") split.Display = value;
    }
    return split;
}

// Qt's X platform aborts the process when it cannot reach its display. Gives
// the display that cannot be opened, named for a message, or nothing when Qt
// can start (or runs on another platform, such as offscreen in tests).
std::optional<std::string> UnreachableDisplay(const ToolkitSplit& split) {
    std::string platform = split.Platform;
    if (platform.empty()) {
        const char* fromEnvironment = std::getenv("QT_QPA_PLATFORM");
        platform = fromEnvironment ? fromEnvironment : "";
    }
    if (!platform.empty() && !platform.starts_with("xcb")) return std::nullopt;
    const char* fromEnvironment = std::getenv("DISPLAY");
    const std::string name = split.Display ? *split.Display : std::string(fromEnvironment ? fromEnvironment : "");
    if (X11DisplayReachable(name)) return std::nullopt;
    if (name.empty()) return Translated("Entry", "(DISPLAY が設定されていません)").toStdString();
    return "\"" + name + "\"";
}

// Without a display the modes that only end still end quietly; the others
// cannot show anything and say why.
int EndWithoutDisplay(const ToolkitSplit& split, const std::string& display) {
    const RunMode mode = ParseCommandLine(JoinWithBlanks(split.Arguments)).Mode;
    if (mode == RunMode::Password || mode == RunMode::Quit) return 0;
    const QString message = Translated("Entry", "tavrelle: X ディスプレイ %1 を開けません");
    std::fprintf(stderr, "%s\n", message.arg(QString::fromStdString(display)).toUtf8().constData());
    return 1;
}

// The slide-show start: choose the group and its list, then hand over.
// showSwitch: the switch the show runs with; lentWindow: the window a desktop
// saver lent the show, or 0.
int StartSlideShow(const EntryEnvironment& environment, char showSwitch, unsigned long lentWindow) {
    const ClockReading now = environment.Clock ? environment.Clock() : ReadLocalClock();
    RunList run = ChooseRunList(DataFolder, now, SaverSettings.CurrentGroup);
    ScheduleMode = run.ScheduleMode;
    // A scheduled group shows with its own settings, not the default group's.
    SelectGroup(run.Group);
    auto warn = [&](const char* source) {
        const std::string text = Translated("Entry", source).toStdString();
        // A box would open beside the saver's window, where nobody sees it;
        // inside that window the message stays until the saver is done.
        if (lentWindow != 0)
            return environment.LentWindowWarning
                       ? environment.LentWindowWarning(lentWindow, text)
                       : RunLentWindowMessage(lentWindow, QString::fromStdString(text),
                                              Translated("Entry", kChoosePicturesHint),
                                              ColorFromColorref(static_cast<Colorref>(Current.BackColor)));
        if (environment.ShowWarning)
            environment.ShowWarning(text);
        else
            ShowWarningBox(text);
        return 0;
    };
    if (run.Pictures.empty()) return warn(kNoPicturesMessage);
    PictureList.Assign(std::move(run.Pictures));
    if (PictureList.Count() <= 1) return warn(kTooFewPicturesMessage);
    if (environment.SlideShow) return environment.SlideShow();
    return RunSlideShow(
        ShowPlan{showSwitch, lentWindow, run.Group, SaverSettings.MouseLock == 1, Current, PictureList, DataFolder});
}

}  // namespace

InformationRequest ParseInformationRequest(int argc, char** argv) {
    if (argc != 2) return InformationRequest::None;
    if (std::strcmp(argv[1], "--help") == 0) return InformationRequest::Usage;
    if (std::strcmp(argv[1], "--version") == 0) return InformationRequest::Version;
    return InformationRequest::None;
}

std::string UsageText() {
    return Translated("Entry",
                      "使い方: tavrelle [/s | /c | /p ウィンドウ | /a]\n"
                      "X11 の画像スライドショー・スクリーンセーバーです。\n"
                      "\n"
                      "  /s、-s、指定なし  スライドショー: 全画面で、またはスクリーンセーバーが\n"
                      "                    $XSCREENSAVER_WINDOW か --window-id で渡すウィンドウの中で\n"
                      "  /c                設定ダイアログ: 画像、音楽、スケジュール\n"
                      "  /p ウィンドウ     X ウィンドウの中に静止画のプレビュー (ウィンドウは10進数\n"
                      "                    または 0x で始まる16進数の ID)\n"
                      "  /a                何もしません: パスワードはデスクトップの画面ロックが扱います\n"
                      "  --help            この説明を表示して終了\n"
                      "  --version         バージョンを表示して終了\n"
                      "\n"
                      "実行モードを選ぶのはコマンドラインの2文字目だけで、それ以外のコマンドラインは\n"
                      "すぐに終了します。設定と画像リストは $XDG_DATA_HOME/Tavrelle\n"
                      "(~/.local/share/Tavrelle) にあります。表示はデスクトップの言語に従い\n"
                      "(日本語、それ以外は英語)、TAVRELLE_LANG=ja または en で選べます。\n"
                      "詳しくは tavrelle(1) を見てください。\n")
        .toStdString();
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

namespace {

QtMessageHandler g_toolkitMessages = nullptr;

// Without a runtime folder of the session the toolkit makes one of its own and
// says so on every start, which under a desktop saver lands in its log each
// time the saver starts us. That case is expected, so that one message is
// dropped; every other goes where it went before.
void DropMissingRuntimeFolderNote(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtWarningMsg && text.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set"))) return;
    if (g_toolkitMessages) g_toolkitMessages(type, context, text);
}

}  // namespace

std::string AdoptSessionRuntimeFolder(const std::string& base) {
    if (const char* set = std::getenv("XDG_RUNTIME_DIR"); set && *set) return {};
    const std::string folder = base + "/" + std::to_string(::geteuid());
    struct stat st {};
    // lstat: a link planted under the name could lead anywhere. The toolkit
    // warns about a runtime folder others may enter, and so would not use it.
    if (::lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid() ||
        (st.st_mode & 077) != 0)
        return {};
    ::setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
    return folder;
}

bool KeepOffAMissingSessionBus() {
    if (const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS"); address && *address) return false;
    // The bus library finds a session's bus here when the address is unset.
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime) {
        struct stat st {};
        if (::stat((std::string(runtime) + "/bus").c_str(), &st) == 0 && S_ISSOCK(st.st_mode)) return false;
    }
    // An address of an unknown kind: connecting fails without starting anything.
    ::setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 1);
    return true;
}

PictureRequest FirstPicturePlan::For(ScreenSize screen) const {
    return {path, SlideParams(GroupValues(settings, group, screen))};
}

std::optional<FirstPicturePlan> PlanFirstPicture(const std::vector<std::string>& arguments, const std::string& folder,
                                                 ClockReading now) {
    if (ParseCommandLine(JoinWithBlanks(arguments)).Mode != RunMode::SlideShow) return std::nullopt;
    if (LentWindowOf(arguments, std::getenv("XSCREENSAVER_WINDOW")) != 0) return std::nullopt;
    FirstPicturePlan plan;
    plan.settings = ReadAllSettings(folder);
    RunList run = ChooseRunList(folder, now, plan.settings.CurrentGroup);
    if (run.Group < 0 || run.Group >= kGroupCount || run.Pictures.size() < 2) return std::nullopt;
    if (plan.settings.Groups[run.Group].PictureOrder == 1) return std::nullopt;
    plan.group = run.Group;
    PictureListData list;
    list.Assign(std::move(run.Pictures));
    plan.path = list.Entry(1);
    return plan;
}

namespace {

// The show's first picture composed on a thread of its own while the toolkit
// starts, the screen measured there too; the show takes it over when it asks
// for the same.
void ComposeFirstPictureAhead(const ToolkitSplit& split, ClockReading now) {
    std::optional<FirstPicturePlan> plan = PlanFirstPicture(split.Arguments, DataFolderLocation(), now);
    if (!plan) return;
    std::string display = split.Display.value_or("");
    PictureJob::StartAhead(ComposePicture, [plan = std::move(*plan), display]() -> std::optional<PictureRequest> {
        // Only a JPEG goes ahead: other formats may paint through the toolkit
        // (transparency laid on the background, metafiles), and its painter
        // needs the application, which is still starting. A photo, the
        // picture whose decoding takes long, is a JPEG nearly always.
        if (SniffPictureFile(plan.path) != PictureFormat::Jpeg) return std::nullopt;
        ScreenSize screen;
        if (!X11PrimaryMonitorSize(display, screen.Width, screen.Height)) return std::nullopt;
        return plan.For(screen);
    });
}

}  // namespace

int RunEntry(int argc, char** argv, const EntryEnvironment& environment) {
    // Chosen once, before anything is said, and again once Qt has started
    // (its dialogs take their texts from the application).
    const UiLanguage language = LanguageFromEnvironment();
    UseLanguage(language);
    // Answered before Qt starts, which would need a display and would end a
    // second copy's run before anything is printed.
    switch (ParseInformationRequest(argc, argv)) {
    case InformationRequest::Usage: std::cout << UsageText() << std::flush; return 0;
    case InformationRequest::Version: std::cout << VersionText() << std::flush; return 0;
    case InformationRequest::None: break;
    }
    // Before Qt starts, which would warn about a missing runtime folder.
    if (AdoptSessionRuntimeFolder().empty() && !std::getenv("XDG_RUNTIME_DIR") && !g_toolkitMessages)
        g_toolkitMessages = qInstallMessageHandler(&DropMissingRuntimeFolderNote);
    // Qt takes its own options (-display, -platform, ...) out of argv, so it
    // is created before the command line is read.
    int qtArgc = argc;
    std::unique_ptr<QApplication> application;
    if (!QCoreApplication::instance()) {
        const ToolkitSplit split = SplitToolkitOptions(argc, argv);
        if (const std::optional<std::string> display = UnreachableDisplay(split))
            return EndWithoutDisplay(split, *display);
        if (!environment.SlideShow)
            ComposeFirstPictureAhead(split, environment.Clock ? environment.Clock() : ReadLocalClock());
        application = std::make_unique<QApplication>(qtArgc, argv);
    }
    UseLanguage(language);

    const std::string commandLine = JoinCommandLine(qtArgc, argv);
    const Invocation invocation = ParseCommandLine(commandLine);
    // A desktop screen saver starts one copy per monitor, each in a window it
    // lends; those copies belong together, every other start stays alone.
    const unsigned long lentWindow = invocation.Switch == 'S' ? SaverHostWindow() : 0;
    if (lentWindow == 0) {
        const bool anotherCopy =
            environment.AnotherCopyRunning ? environment.AnotherCopyRunning() : ProgramWindowOpen();
        if (anotherCopy) return 0;
    }

    if (invocation.Mode == RunMode::Preview || invocation.Mode == RunMode::SlideShow) KeepOffAMissingSessionBus();
    if (invocation.Mode == RunMode::Preview)
        return environment.Preview ? environment.Preview(invocation.WindowId) : RunPreview(invocation.WindowId);

    PrepareDataFolder();
    // The window titles appear only once a copy has loaded its pictures or
    // built its dialog; two copies started together would both pass that
    // test. The lock is taken before anything is read, and held until the end.
    std::optional<InstanceLock> lock;
    if (lentWindow == 0 && (invocation.Mode == RunMode::SlideShow || invocation.Mode == RunMode::Settings)) {
        lock = InstanceLock::TryTake(DataFolder);
        if (!lock) return 0;
    }
    // Writers killed between writing and renaming leave their temporary files behind.
    RemoveLeftoverTemporaryFiles(DataFolder);
    LoadSettings();

    switch (invocation.Mode) {
    case RunMode::Settings:
        QCoreApplication::processEvents();
        return environment.SettingsDialog ? environment.SettingsDialog() : RunSettingsDialog(DataFolder, SaverSettings);
    case RunMode::SlideShow: {
        // Any command line without a switch of its own runs the show as the saver.
        const char showSwitch = commandLine.empty() ? '\0' : invocation.Switch != '\0' ? invocation.Switch : 'S';
        return StartSlideShow(environment, showSwitch, lentWindow);
    }
    // Passwords belong to the desktop's locker here (IsWindowsNT), so the
    // password switch ends like an unknown one.
    case RunMode::Password:
    case RunMode::Quit:
    case RunMode::Preview: break;
    }
    return 0;
}

int RunEntry(int argc, char** argv) {
    MapLargeBlocks();
    SetScreenSizeFunction(MeasureScreenNow);
    const int status = RunEntry(argc, argv, EntryEnvironment{});
    // A picture composed ahead for a show that did not start (another copy
    // runs) is not waited for, and nothing is torn down under its loader.
    if (PictureJob::Running() > 0) {
        std::fflush(nullptr);
        std::_Exit(status);
    }
    return status;
}

}  // namespace tav
