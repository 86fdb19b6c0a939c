// The entry routine: command-line forms, dispatch, first start and the
// slide-show start's messages, run in-process with recorded hand-overs.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QCoreApplication>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <regex>

#include "dialogs/SettingsDialog.h"
#include "platform/InstanceLock.h"
#include "startup/Entry.h"
#include "startup/Language.h"
#include "startup/SharedState.h"
#include "storage/PictureListFile.h"
#include "storage/ScheduleFile.h"
#include "storage/Settings.h"
#include "storage/SettingsRecord.h"
#include "support/application.h"
#include "support/storage_temp_folder.h"

namespace tav {
namespace {

using test::StorageTempFolder;

TEST(CommandLine, SwitchIsTheSecondCharacterAndNumbersStartAtTheFourth) {
    struct Case {
        const char* line;
        RunMode mode;
        unsigned long windowId;
    };
    const Case cases[] = {
        {"/s", RunMode::SlideShow, 0},
        {"-S", RunMode::SlideShow, 0},
        {"xS", RunMode::SlideShow, 0},
        {"", RunMode::SlideShow, 0},
        {"/", RunMode::SlideShow, 0},
        {"/c", RunMode::Settings, 0},
        {"/c:1234", RunMode::Settings, 0},
        {"/p 1234", RunMode::Preview, 1234},
        {"-P 0x4a0001f", RunMode::Preview, 0x4a0001f},
        {"/p 12.5", RunMode::Preview, 12},
        {"/p 13.5", RunMode::Preview, 14},
        {"/p 77 more", RunMode::Preview, 77},
        {"/p abc", RunMode::Preview, 0},
        {"/p", RunMode::Preview, 0},
        {"/p 99999999999", RunMode::Preview, 0},
        {"/A 77", RunMode::Password, 77},
        {"/x", RunMode::Quit, 0},
        {"-Q", RunMode::Quit, 0},
        {"--help", RunMode::Quit, 0},
        {"/sx", RunMode::SlideShow, 0},
        {"/ä", RunMode::Quit, 0},
    };
    for (const Case& c : cases) {
        const Invocation invocation = ParseCommandLine(c.line);
        EXPECT_EQ(invocation.Mode, c.mode) << '"' << c.line << '"';
        EXPECT_EQ(invocation.WindowId, c.windowId) << '"' << c.line << '"';
    }
}

TEST(CommandLine, ArgumentsAreJoinedWithOneBlank) {
    char program[] = "tavrelle", p[] = "/p", id[] = "1234";
    char* argv[] = {program, p, id, nullptr};
    EXPECT_EQ(JoinCommandLine(3, argv), "/p 1234");
    EXPECT_EQ(JoinCommandLine(1, argv), "");
}

// Runs the entry routine in-process and records what it did.
class EntryRun : public ::testing::Test {
protected:
    static void SetUpTestSuite() { test::EnsureApplication(); }

    void SetUp() override {
        SetScreenSizeFunction([] { return ScreenSize{1280, 1024}; });
    }

    int Run(const std::string& line) {
        EntryEnvironment environment;
        environment.ShowWarning = [this](const std::string& text) { warnings.push_back(text); };
        environment.LentWindowWarning = [this](unsigned long window, const std::string& text) {
            calls.push_back("message in " + std::to_string(window) + ": " + text);
            return 0;
        };
        environment.Clock = [this] { return now; };
        environment.AnotherCopyRunning = [this] { return anotherCopy; };
        environment.Preview = [this](unsigned long id) {
            calls.push_back("preview " + std::to_string(id));
            return 0;
        };
        environment.SettingsDialog = [this] {
            calls.push_back("settings");
            return 0;
        };
        environment.SlideShow = [this] {
            calls.push_back("show");
            return 0;
        };
        std::vector<std::string> args = {"tavrelle"};
        if (!line.empty()) args.push_back(line);
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        return RunEntry(static_cast<int>(args.size()), argv.data(), environment);
    }

    StorageTempFolder folder;
    ClockReading now{3, 14};
    bool anotherCopy = false;
    std::vector<std::string> warnings;
    std::vector<std::string> calls;
};

// The lock file in the shared runtime folder counts only when it is a regular
// file of this user; anything else under its name (another user's file with
// their lock on it, a pipe, a folder) sends the lock to the data folder,
// where it still keeps a second copy out.
TEST(Language, TheOverrideThenTheDesktopsLocaleVariablesInTheirOrder) {
    using L = UiLanguage;
    struct Case {
        std::map<std::string, std::string> env;
        UiLanguage expected;
    };
    const Case cases[] = {
        {{}, L::English},
        {{{"LANG", "ja_JP.UTF-8"}}, L::Japanese},
        {{{"LANG", "ja"}}, L::Japanese},
        {{{"LANG", "ja_JP@cjknarrow"}}, L::Japanese},
        {{{"LANG", "jam_JM"}}, L::English},
        {{{"LANG", "en_US.UTF-8"}}, L::English},
        {{{"LANG", "de_DE.UTF-8"}}, L::English},
        {{{"LANG", "C"}}, L::English},
        {{{"LANG", "ja_JP.UTF-8"}, {"LC_MESSAGES", "en_GB.UTF-8"}}, L::English},
        {{{"LANG", "en_US.UTF-8"}, {"LC_MESSAGES", "ja_JP.UTF-8"}}, L::Japanese},
        {{{"LC_MESSAGES", "en_GB.UTF-8"}, {"LC_ALL", "ja_JP.UTF-8"}}, L::Japanese},
        {{{"LC_ALL", ""}, {"LANG", "ja_JP.UTF-8"}}, L::Japanese},
        {{{"LC_ALL", "C.UTF-8"}, {"LANGUAGE", "ja"}}, L::Japanese},
        {{{"LANG", "ja_JP.UTF-8"}, {"LANGUAGE", "fr:en:ja"}}, L::English},
        {{{"LANG", "en_US.UTF-8"}, {"LANGUAGE", "fr:ja_JP"}}, L::Japanese},
        {{{"LANG", "ja_JP.UTF-8"}, {"LANGUAGE", "fr:de"}}, L::Japanese},
        {{{"LANG", "ja_JP.UTF-8"}, {"TAVRELLE_LANG", "en"}}, L::English},
        {{{"LANGUAGE", "en"}, {"TAVRELLE_LANG", "ja"}}, L::Japanese},
        {{{"LANG", "ja_JP.UTF-8"}, {"TAVRELLE_LANG", "fr"}}, L::Japanese},
        {{{"LANG", "ja_JP.UTF-8"}, {"TAVRELLE_LANG", ""}}, L::Japanese},
    };
    for (const Case& c : cases) {
        std::string where;
        for (const auto& [name, value] : c.env) where += name + "=" + value + " ";
        const UiLanguage chosen = LanguageFromEnvironment([&c](const char* name) -> const char* {
            const auto it = c.env.find(name);
            return it == c.env.end() ? nullptr : it->second.c_str();
        });
        EXPECT_EQ(chosen, c.expected) << where;
    }
}

TEST(Language, EnglishTranslatesTheProgramAndQtsOwnTextsStayEnglish) {
    test::EnsureApplication();
    ASSERT_TRUE(UseLanguage(UiLanguage::English));
    EXPECT_EQ(Translated("Entry", kNoPicturesMessage), QStringLiteral("Please choose the pictures to show."));
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "&Choose"), QStringLiteral("&Choose"));
    EXPECT_TRUE(UsageText().starts_with("Usage: tavrelle")) << UsageText();
    ASSERT_TRUE(UseLanguage(UiLanguage::Japanese));
    EXPECT_EQ(Translated("Entry", kNoPicturesMessage), QString::fromUtf8(kNoPicturesMessage));
    EXPECT_NE(QCoreApplication::translate("QFileDialog", "&Choose"), QStringLiteral("&Choose"))
        << "Qt's dialogs stay English under a Japanese interface";
    EXPECT_TRUE(UsageText().starts_with("使い方: tavrelle")) << UsageText();
    // A running settings dialog is known by its caption in either language.
    EXPECT_EQ(EveryTranslation("tav::Tavrelle_P", kSettingsWindowTitle),
              QStringList({QStringLiteral("Tavrelleの設定"), QStringLiteral("Tavrelle settings")}));
}

// The menu entry, the saver's description and the hint drawn in a lent window
// call the settings dialog by its caption, in each language.
TEST(Language, TheMenuTheSaversDescriptionAndTheHintNameTheDialogByItsCaption) {
    test::EnsureApplication();
    const char* source = std::getenv("TAVRELLE_SOURCE_DIR");
    ASSERT_NE(source, nullptr);
    const QStringList captions = EveryTranslation("tav::Tavrelle_P", kSettingsWindowTitle);
    ASSERT_EQ(captions.size(), 2);
    const std::string entry = test::ReadText(std::string(source) + "/data/tavrelle-settings.desktop");
    EXPECT_NE(entry.find("\nName[ja]=" + captions[0].toStdString() + "\n"), std::string::npos) << entry;
    EXPECT_NE(entry.find("\nName=" + captions[1].toStdString() + "\n"), std::string::npos) << entry;
    const std::string description = test::ReadText(std::string(source) + "/data/tavrelle.xml");
    EXPECT_NE(description.find("\"" + captions[1].toStdString() + "\""), std::string::npos);
    for (const UiLanguage language : {UiLanguage::Japanese, UiLanguage::English}) {
        UseLanguage(language);
        const QString caption = language == UiLanguage::Japanese ? captions[0] : captions[1];
        EXPECT_TRUE(Translated("Entry", kChoosePicturesHint).contains(caption)) << caption.toStdString();
    }
    UseLanguage(UiLanguage::Japanese);
}

TEST(InstanceLockFile, OnlyOurOwnRegularFileInTheRuntimeFolderCounts) {
    StorageTempFolder folder;
    folder.CreateData();
    const std::string runtime = folder.Root() + "/run";
    std::filesystem::create_directories(runtime);
    const char* saved = std::getenv("XDG_RUNTIME_DIR");
    const std::string savedValue = saved ? saved : "";
    ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    const std::string shared = InstanceLock::PathFor(folder.Data());
    ASSERT_EQ(shared.rfind(runtime + "/", 0), 0u) << shared;
    const std::string own = folder.Data() + shared.substr(runtime.size());

    enum Kind { ForeignFile, Pipe, Folder };
    for (const Kind kind : {ForeignFile, Pipe, Folder}) {
        const char* what = kind == ForeignFile ? "another user's file" : kind == Pipe ? "a pipe" : "a folder";
        std::filesystem::remove_all(shared);
        std::filesystem::remove(own);
        int planted = -1;
        if (kind == ForeignFile) {
            if (::geteuid() != 0) continue;  // only root can give a file away
            planted = ::open(shared.c_str(), O_RDWR | O_CREAT, 0666);
            ASSERT_GE(planted, 0);
            ASSERT_EQ(::fchown(planted, 4321, 4321), 0);
            ASSERT_EQ(::flock(planted, LOCK_EX | LOCK_NB), 0);
        }
        if (kind == Pipe) {
            ASSERT_EQ(::mkfifo(shared.c_str(), 0666), 0);
        }
        if (kind == Folder) std::filesystem::create_directory(shared);
        {
            auto lock = InstanceLock::TryTake(folder.Data());
            EXPECT_TRUE(lock.has_value()) << what << " under the name keeps the show from starting";
            EXPECT_TRUE(std::filesystem::is_regular_file(own)) << what << ": no lock file in the data folder";
            EXPECT_FALSE(InstanceLock::TryTake(folder.Data()).has_value()) << what << ": a second copy was let in";
        }
        if (planted >= 0) ::close(planted);
    }
    if (saved)
        ::setenv("XDG_RUNTIME_DIR", savedValue.c_str(), 1);
    else
        ::unsetenv("XDG_RUNTIME_DIR");
}

TEST_F(EntryRun, DispatchesEachCommandLineForm) {
    struct Case {
        const char* line;
        std::vector<std::string> calls;
        bool dataPrepared;
    };
    const Case cases[] = {
        {"/p 1234", {"preview 1234"}, false},
        {"/c:1234", {"settings"}, true},
        {"/A 77", {}, true},
        {"/x", {}, true},
    };
    for (const Case& c : cases) {
        std::filesystem::remove_all(folder.Data());
        ResetSharedState();
        calls.clear();
        EXPECT_EQ(Run(c.line), 0) << c.line;
        EXPECT_EQ(calls, c.calls) << c.line;
        EXPECT_TRUE(warnings.empty()) << c.line;
        EXPECT_EQ(FileExists(folder.File("Tavrelle_S.rdm")), c.dataPrepared) << c.line;
    }
}

TEST_F(EntryRun, AnotherCopyEndsTheRunBeforeAnything) {
    anotherCopy = true;
    for (const char* line : {"/s", "/c", "/p 5"}) {
        EXPECT_EQ(Run(line), 0);
        EXPECT_TRUE(calls.empty()) << line;
        EXPECT_FALSE(FolderExists(folder.Data())) << line;
    }
}

TEST_F(EntryRun, OnlyAWholeHelpOrVersionArgumentPrintsAndItNeedsNothingElse) {
    anotherCopy = true;  // they answer even while a show runs
    struct Case {
        const char* line;
        std::string printed;
    };
    const Case cases[] = {
        {"--help", UsageText()},
        {"--version", VersionText()},
        {"--help x", ""},
        {"--Version", ""},
        {"-Q", ""},
        {"/x", ""},
    };
    for (const Case& c : cases) {
        ::testing::internal::CaptureStdout();
        EXPECT_EQ(Run(c.line), 0) << c.line;
        EXPECT_EQ(::testing::internal::GetCapturedStdout(), c.printed) << c.line;
        EXPECT_TRUE(calls.empty()) << c.line;
    }
    EXPECT_FALSE(FolderExists(folder.Data()));
    EXPECT_TRUE(std::regex_match(VersionText(), std::regex("tavrelle [0-9]+\\.[0-9]+\\.[0-9]+\n"))) << VersionText();
}

TEST_F(EntryRun, FirstStartCreatesTheFolderAndDefaultsAndAsksForPictures) {
    ASSERT_FALSE(FolderExists(folder.Data()));
    for (const char* line : {"/s", "-S", "xS", ""}) {
        SCOPED_TRACE(line);
        std::filesystem::remove_all(folder.Data());
        warnings.clear();
        EXPECT_EQ(Run(line), 0);
        EXPECT_TRUE(FolderExists(folder.Data()));
        EXPECT_EQ(std::filesystem::file_size(folder.File("Tavrelle_S.rdm")), 224u);
        EXPECT_EQ(warnings, std::vector<std::string>{"画像ﾌｧｲﾙを設定して下さい。"});
        EXPECT_TRUE(calls.empty());
    }
}

TEST_F(EntryRun, CreatesAMissingParentDataFolder) {
    SetDataFolderOverride(folder.Root() + "/share/deeper/Tavrelle");
    Run("/s");
    EXPECT_TRUE(FolderExists(folder.Root() + "/share/deeper/Tavrelle"));
}

TEST_F(EntryRun, OnePictureIsNotEnough) {
    folder.CreateData();
    WritePictureListFile(folder.File("Tavrelle_0.rdm"), {"/a.jpg"});
    Run("/s");
    EXPECT_EQ(warnings, std::vector<std::string>{"画像ﾌｧｲﾙは最低２つ以上必要です。"});
    EXPECT_TRUE(calls.empty());
}

TEST_F(EntryRun, TwoPicturesStartTheShowWithTheListLoaded) {
    folder.CreateData();
    WritePictureListFile(folder.File("Tavrelle_0.rdm"), {" /a.jpg ", "/b.gif"});
    Run("/S");
    EXPECT_TRUE(warnings.empty());
    EXPECT_EQ(calls, std::vector<std::string>{"show"});
    ASSERT_EQ(PictureList.Count(), 2);
    EXPECT_EQ(PictureList.Entry(1), "/a.jpg");
    EXPECT_EQ(PictureList.Entry(2), "/b.gif");
    EXPECT_EQ(PictureList.Entry(3), "");
}

// Inside a window a desktop saver lends, the start's messages are drawn in
// that window and no box opens; a show of its own keeps the box.
TEST_F(EntryRun, InALentWindowTheMessagesGoIntoThatWindow) {
    struct Case {
        const char* name;
        std::vector<std::string> list;
        const char* window;  // XSCREENSAVER_WINDOW, or nullptr
        std::vector<std::string> calls, warnings;
    };
    const std::string none = kNoPicturesMessage, one = kTooFewPicturesMessage;
    const Case cases[] = {
        {"no pictures, lent", {}, "0x2a", {"message in 42: " + none}, {}},
        {"one picture, lent", {"/a.jpg"}, "42", {"message in 42: " + one}, {}},
        {"no pictures, own window", {}, nullptr, {}, {none}},
        {"two pictures, lent", {"/a.jpg", "/b.jpg"}, "42", {"show"}, {}},
    };
    const char* saved = std::getenv("XSCREENSAVER_WINDOW");
    const std::string savedValue = saved ? saved : "";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        folder.CreateData();
        WritePictureListFile(folder.File("Tavrelle_0.rdm"), c.list);
        c.window ? ::setenv("XSCREENSAVER_WINDOW", c.window, 1) : ::unsetenv("XSCREENSAVER_WINDOW");
        calls.clear();
        warnings.clear();
        EXPECT_EQ(Run("-s"), 0);
        EXPECT_EQ(calls, c.calls);
        EXPECT_EQ(warnings, c.warnings);
    }
    saved ? ::setenv("XSCREENSAVER_WINDOW", savedValue.c_str(), 1) : ::unsetenv("XSCREENSAVER_WINDOW");
}

// A desktop saver that starts the program without XDG_RUNTIME_DIR: the
// session's folder is taken only when it is a folder of this user that
// nobody else may enter.
TEST(RuntimeFolder, TheSessionsFolderIsTakenOnlyWhenItIsPrivatelyOurs) {
    StorageTempFolder folder;
    const std::string base = folder.Root() + "/run/user";
    const std::string own = base + "/" + std::to_string(::geteuid());
    const char* saved = std::getenv("XDG_RUNTIME_DIR");
    const std::string savedValue = saved ? saved : "";
    enum Kind { Private, Open, Link, File, Missing, Foreign };
    struct Case {
        const char* name;
        Kind kind;
        const char* already;  // XDG_RUNTIME_DIR before, or nullptr
        bool taken;
    };
    const Case cases[] = {
        {"private folder", Private, nullptr, true},
        {"set but empty", Private, "", true},
        {"already set", Private, "/elsewhere", false},
        {"others may enter", Open, nullptr, false},
        {"a link to a private folder", Link, nullptr, false},
        {"a file", File, nullptr, false},
        {"missing", Missing, nullptr, false},
        {"another user's folder", Foreign, nullptr, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.kind == Foreign && ::geteuid() != 0) continue;  // only root can give a folder away
        std::filesystem::remove_all(folder.Root() + "/run");
        std::filesystem::create_directories(base);
        switch (c.kind) {
        case Private:
        case Open:
        case Foreign:
            std::filesystem::create_directory(own);
            ::chmod(own.c_str(), c.kind == Open ? 0755 : 0700);
            if (c.kind == Foreign) {
                ASSERT_EQ(::chown(own.c_str(), 4321, 4321), 0);
            }
            break;
        case Link:
            std::filesystem::create_directory(base + "/real");
            ::chmod((base + "/real").c_str(), 0700);
            std::filesystem::create_directory_symlink(base + "/real", own);
            break;
        case File: test::WriteText(own, ""); break;
        case Missing: break;
        }
        c.already ? ::setenv("XDG_RUNTIME_DIR", c.already, 1) : ::unsetenv("XDG_RUNTIME_DIR");
        EXPECT_EQ(AdoptSessionRuntimeFolder(base), c.taken ? own : "");
        const char* now = std::getenv("XDG_RUNTIME_DIR");
        const std::string want = c.taken ? own : (c.already ? c.already : "(unset)");
        EXPECT_EQ(now ? std::string(now) : "(unset)", want);
    }
    saved ? ::setenv("XDG_RUNTIME_DIR", savedValue.c_str(), 1) : ::unsetenv("XDG_RUNTIME_DIR");
}

// Without a session bus the toolkit would start one for the show and wait
// for it; a reachable bus is always left to it.
TEST(RuntimeFolder, AShowKeepsOffOnlyAMissingSessionBus) {
    StorageTempFolder folder;
    const std::string runtime = folder.Root();
    const std::string bus = runtime + "/bus";
    std::map<std::string, std::string> saved;
    for (const char* name : {"DBUS_SESSION_BUS_ADDRESS", "XDG_RUNTIME_DIR"})
        if (const char* value = std::getenv(name)) saved[name] = value;
    enum BusFile { None, Socket, Regular };
    struct Case {
        const char* name;
        const char* address;  // DBUS_SESSION_BUS_ADDRESS before, or nullptr
        bool runtimeSet;
        BusFile file;
        bool keptOff;
    };
    const Case cases[] = {
        {"an address", "unix:path=/somewhere", false, None, false},
        {"the session's socket", nullptr, true, Socket, false},
        {"an empty address and the socket", "", true, Socket, false},
        {"no socket", nullptr, true, None, true},
        {"a file named like the socket", nullptr, true, Regular, true},
        {"no runtime folder", nullptr, false, None, true},
        {"an empty address", "", false, None, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(bus);
        if (c.file == Regular) test::WriteText(bus, "");
        int socket = -1;
        if (c.file == Socket) {
            socket = ::socket(AF_UNIX, SOCK_STREAM, 0);
            sockaddr_un where{};
            where.sun_family = AF_UNIX;
            ASSERT_LT(bus.size(), sizeof(where.sun_path));
            std::memcpy(where.sun_path, bus.c_str(), bus.size() + 1);
            ASSERT_EQ(::bind(socket, reinterpret_cast<sockaddr*>(&where), sizeof(where)), 0);
        }
        c.address ? ::setenv("DBUS_SESSION_BUS_ADDRESS", c.address, 1) : ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
        c.runtimeSet ? ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1) : ::unsetenv("XDG_RUNTIME_DIR");
        EXPECT_EQ(KeepOffAMissingSessionBus(), c.keptOff);
        const char* now = std::getenv("DBUS_SESSION_BUS_ADDRESS");
        const std::string want = c.keptOff ? "disabled:" : (c.address ? c.address : "(unset)");
        EXPECT_EQ(now ? std::string(now) : "(unset)", want);
        if (socket >= 0) ::close(socket);
    }
    for (const char* name : {"DBUS_SESSION_BUS_ADDRESS", "XDG_RUNTIME_DIR"})
        saved.count(name) ? ::setenv(name, saved[name].c_str(), 1) : ::unsetenv(name);
}

TEST_F(EntryRun, AScheduledGroupShowsItsOwnPicturesAndSettings) {
    folder.CreateData();
    SaverSettingsData settings;
    settings.CurrentGroup = 1;
    settings.Groups[4].AreaSize = 3;
    settings.Groups[4].BackColor = 0x00123456;
    WriteSettingsRecord(folder.File("Tavrelle_S.rdm"), settings);
    WritePictureListFile(folder.File("Tavrelle_1.rdm"), {"/one/a.jpg", "/one/b.jpg"});
    WritePictureListFile(folder.File("Tavrelle_4.rdm"), {"/four/a.jpg", "/four/b.jpg", "/four/c.jpg"});
    ScheduleRecord schedule;
    schedule.Mode = 1;
    schedule.SetCell(3, 0, '4');  // Tuesdays
    WriteScheduleFile(folder.File("Tavrelle_P.rdm"), schedule);

    // The first picture planned before the toolkit starts is the one the
    // show asks for: the same file, area and colour.
    const auto expectPlannedAhead = [&] {
        const std::optional<FirstPicturePlan> plan = PlanFirstPicture({"/s"}, folder.Data(), now);
        ASSERT_TRUE(plan);
        const PictureRequest planned = plan->For(ScreenSize{1280, 1024});
        EXPECT_EQ(planned.path, PictureList.Entry(1));
        EXPECT_TRUE(planned.params == (CompositionParams{Current.AreaWidth, Current.AreaHeight, Current.FitMode,
                                                         static_cast<Colorref>(Current.BackColor)}));
    };
    Run("/s");
    EXPECT_EQ(ScheduleMode, 1);
    EXPECT_EQ(PictureList.Count(), 3);
    EXPECT_EQ(Current.AreaWidth, 1280);
    EXPECT_EQ(Current.BackColor, 0x00123456);
    expectPlannedAhead();

    now = {4, 14};  // Wednesday: no cell, the default group
    Run("/s");
    EXPECT_EQ(PictureList.Entry(1), "/one/a.jpg");
    EXPECT_EQ(Current.AreaWidth, 640);
    expectPlannedAhead();

    // Nothing is planned where the show's first picture is not known yet or
    // there is no show of our own.
    EXPECT_FALSE(PlanFirstPicture({"/c"}, folder.Data(), now));
    EXPECT_FALSE(PlanFirstPicture({"/p", "123"}, folder.Data(), now));
    EXPECT_FALSE(PlanFirstPicture({"/s", "-window-id", "0x400001"}, folder.Data(), now)) << "a lent window";
    settings.Groups[1].PictureOrder = 1;
    WriteSettingsRecord(folder.File("Tavrelle_S.rdm"), settings);
    EXPECT_FALSE(PlanFirstPicture({"/s"}, folder.Data(), now)) << "a random order";
    settings.Groups[1].PictureOrder = 0;
    WriteSettingsRecord(folder.File("Tavrelle_S.rdm"), settings);
    WritePictureListFile(folder.File("Tavrelle_1.rdm"), {"/one/a.jpg"});
    EXPECT_FALSE(PlanFirstPicture({"/s"}, folder.Data(), now)) << "one picture";
}

}  // namespace
}  // namespace tav
