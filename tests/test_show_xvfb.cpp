// The real program on a private X server: the slide show, its end, the
// single-copy rule, the preview, running inside a desktop saver's window and
// being run by a real XScreenSaver from the installed files. Skipped where
// Xvfb is missing.
#include <gtest/gtest.h>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "startup/Tavrelle_B.h"
#include "storage/PictureListFile.h"
#include "storage/SettingsRecord.h"
#include "picturewriters/PictureWriters.h"
#include "support/xvfb_session.h"

namespace tav::test {
namespace {

using namespace std::chrono_literals;

constexpr unsigned kRed = 0xE02020, kGreen = 0x20C040;

// A data folder holding two flat pictures in group 0 and a grey background.
struct ShowData {
    QTemporaryDir home;
    ShowData() {
        const QString folder = home.path() + "/Tavrelle";
        QDir().mkpath(folder);
        std::vector<std::string> paths;
        int i = 0;
        for (unsigned colour : {kRed, kGreen}) {
            QImage img(160, 120, QImage::Format_RGB32);
            img.fill(QColor::fromRgb(colour));
            const QString path = home.filePath(QString("pic%1.bmp").arg(++i));
            img.save(path, "BMP");
            paths.push_back(path.toStdString());
        }
        WritePictureListFile((folder + "/Tavrelle_0.rdm").toStdString(), paths);
        SaverSettingsData settings;
        settings.Groups[0].BackColor = 0x00404040;
        settings.Groups[0].IntervalSeconds = 10;
        settings.Groups[0].Opacity = 255;
        WriteSettingsRecord((folder + "/Tavrelle_S.rdm").toStdString(), settings);
    }
    // Makes `paths` the list of group 0, shown back to back.
    void UseList(const std::vector<std::string>& paths) const {
        const QString folder = home.path() + "/Tavrelle";
        WritePictureListFile((folder + "/Tavrelle_0.rdm").toStdString(), paths);
        SaverSettingsData settings;
        settings.Groups[0].BackColor = 0x00404040;
        settings.Groups[0].IntervalSeconds = 0;
        settings.Groups[0].EffectSpeed = 24;
        settings.Groups[0].Opacity = 255;
        WriteSettingsRecord((folder + "/Tavrelle_S.rdm").toStdString(), settings);
    }
    std::string Path(const char* name) const { return home.filePath(name).toStdString(); }
    std::map<std::string, std::string> Env(const XvfbSession& x) const {
        return {{"DISPLAY", x.name()}, {"XDG_DATA_HOME", home.path().toStdString()}, {"QT_QPA_PLATFORM", "xcb"},
                {"SDL_AUDIODRIVER", "dummy"}};
    }
};

// Waits until the pixel shows one of the colours, for at most `limit`.
bool WaitForPixel(XvfbSession& x, int px, int py, std::initializer_list<unsigned> colours,
                  std::chrono::milliseconds limit, unsigned long window = 0) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        const unsigned p = x.Pixel(px, py, window);
        for (unsigned c : colours)
            if (p == c) return true;
        std::this_thread::sleep_for(50ms);
    }
    return false;
}

class ShowOnX : public ::testing::Test {
protected:
    void SetUp() override {
        if (!x.ok()) GTEST_SKIP() << "Xvfb is not installed";
    }
    XvfbSession x{800, 600};
    ShowData data;
};

TEST_F(ShowOnX, ShowsThePictureCentredOnTheBackgroundAndEndsOnAKey) {
    Process show({ProgramPath("tavrelle"), "/s"}, data.Env(x));
    // The 640 × 480 area sits at (80, 60); outside it the background colour.
    ASSERT_TRUE(WaitForPixel(x, 400, 300, {kRed, kGreen}, 20s)) << "no picture on the screen";
    EXPECT_EQ(x.Pixel(20, 20), 0x404040u);
    EXPECT_EQ(x.Pixel(85, 65), x.Pixel(400, 300)) << "the fitted picture fills the area";
    EXPECT_EQ(x.Pixel(75, 300), 0x404040u) << "left of the area";
    if (const char* dir = std::getenv("TAVRELLE_SCREENSHOT_DIR")) x.SavePng(std::string(dir) + "/show.png");
    ASSERT_TRUE(show.Running());
    RunCommand({"xdotool", "key", "a"}, {{"DISPLAY", x.name()}});
    EXPECT_EQ(show.WaitExit(10s), 0) << "a key ends the show";
}

// A metafile of many large shapes: composing it takes a good while, within
// the budget one metafile may spend.
std::string WriteSlowPicture(const std::string& path) {
    pw::WmfWriter wmf;
    wmf.setPlaceable(QRect(0, 0, 1000, 750), 1000);
    for (int i = 0; i < 4000; ++i) {
        wmf.selectObject(wmf.createBrush(0, QColor::fromRgb(0x2040E0u - 0x10u * unsigned(i % 3)), 0));
        wmf.ellipse(-i % 50, 0, 1000 - i % 40, 750);
        wmf.deleteObject(0);
    }
    pw::SaveBytes(path, wmf.finish());
    return path;
}

// Pictures that cannot be read or take long never hold the show nor its end:
// a pipe, a slow picture, each first and later in the list. The show goes on
// past them, and a key ends the process at once, also before the first
// picture is on the screen.
TEST_F(ShowOnX, PicturesThatBlockOrTakeLongHoldNeitherTheShowNorItsEnd) {
    const std::string pipe = data.Path("pipe.jpg");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const std::string slow = WriteSlowPicture(data.Path("slow.wmf"));
    const std::string red = data.Path("pic1.bmp"), green = data.Path("pic2.bmp");
    struct Case {
        const char* name;
        std::vector<std::string> list;
        bool keyAtOnce;  // press the key as soon as the window is there
    };
    const Case cases[] = {
        {"pipe as picture 1 and 3", {pipe, red, pipe, green}, false},
        {"slow picture between two", {red, slow, green}, false},
        {"slow first picture", {slow, red}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        data.UseList(c.list);
        Process show({ProgramPath("tavrelle"), "/s"}, data.Env(x));
        if (c.keyAtOnce) {
            ASSERT_TRUE(WaitForPixel(x, 20, 20, {0x404040}, 20s)) << "no window";
        } else {
            // The last picture of the list comes up: the show went past the others.
            ASSERT_TRUE(WaitForPixel(x, 400, 300, {kGreen}, 30s)) << "the show did not go on";
            ASSERT_TRUE(WaitForPixel(x, 400, 300, {kRed, 0x404040}, 30s)) << "the show did not go round";
        }
        RunCommand({"xdotool", "key", "a"}, {{"DISPLAY", x.name()}});
        EXPECT_EQ(show.WaitExit(1s), 0) << "a key ends the process at once";
    }
}

TEST_F(ShowOnX, ASecondCopyEndsAtOnceWhileAShowRuns) {
    Process first({ProgramPath("tavrelle"), "/s"}, data.Env(x));
    ASSERT_TRUE(WaitForPixel(x, 400, 300, {kRed, kGreen}, 20s));
    Process second({ProgramPath("tavrelle"), "/s"}, data.Env(x));
    EXPECT_EQ(second.WaitExit(10s), 0);
    EXPECT_TRUE(first.Running());
}

TEST_F(ShowOnX, PreviewDrawsInsideTheGivenWindowAndEndsWithIt) {
    const unsigned long host = x.CreateWindow(10, 10, 152, 112);
    Process preview({ProgramPath("tavrelle"), "/p", std::to_string(host)}, data.Env(x));
    const auto end = std::chrono::steady_clock::now() + 20s;
    bool drawn = false;
    while (!drawn && std::chrono::steady_clock::now() < end) {
        drawn = x.Pixel(2, 2, host) != 0 && x.Pixel(150, 110, host) != 0;
        std::this_thread::sleep_for(50ms);
    }
    EXPECT_TRUE(drawn) << "the preview picture fills the small window";
    x.DestroyWindow(host);
    EXPECT_EQ(preview.WaitExit(10s), 0) << "the preview ends when its window goes away";
}

TEST_F(ShowOnX, RunsInsideTheWindowADesktopSaverLendsIt) {
    const unsigned long host = x.CreateWindow(0, 0, 800, 600);
    auto env = data.Env(x);
    env["XSCREENSAVER_WINDOW"] = std::to_string(host);
    Process show({ProgramPath("tavrelle"), "/s"}, env);
    EXPECT_TRUE(WaitForPixel(x, 400, 300, {kRed, kGreen}, 20s, host)) << "the show draws inside the window";
    EXPECT_EQ(x.Pixel(20, 20, host), 0x404040u);
    x.DestroyWindow(host);
    EXPECT_TRUE(show.WaitExit(10s).has_value()) << "the show ends with its window";
}

// XScreenSaver refuses to run hacks as root, so as root its processes run as
// an ordinary account made for the tests; otherwise as the caller.
struct SaverUser {
    uid_t uid = 0;
    gid_t gid = 0;
    bool switchUser = false;
};

std::optional<SaverUser> OrdinaryUser() {
    if (::geteuid() != 0) return SaverUser{::geteuid(), ::getegid(), false};
    const char* name = "tavrelle-test";
    if (!::getpwnam(name))
        std::system("useradd --system --no-create-home --shell /usr/sbin/nologin tavrelle-test >/dev/null 2>&1");
    const passwd* pw = ::getpwnam(name);
    if (!pw) return std::nullopt;
    return SaverUser{pw->pw_uid, pw->pw_gid, true};
}

// The exit status of a command, or -1 when it does not end within `limit`.
int Status(const std::vector<std::string>& args, std::chrono::milliseconds limit = 60s) {
    Process p(args, {});
    return p.WaitExit(limit).value_or(-1);
}

// The position (from 1) of the Tavrelle entry in the "programs" resource of an
// app-defaults file: XScreenSaver splits the value at its "\n"s.
int ProgramNumber(const std::string& appDefaults) {
    std::ifstream in(appDefaults);
    std::stringstream text;
    text << in.rdbuf();
    const std::string all = text.str();
    const std::size_t start = all.find("\n*programs:");
    const std::size_t entry = all.find("tavrelle /s", start);
    if (start == std::string::npos || entry == std::string::npos) return 0;
    int number = 1;
    for (std::size_t at = all.find("\\n", start); at < entry; at = all.find("\\n", at + 2)) ++number;
    return number;
}

class XScreenSaverOnX : public ::testing::Test {
protected:
    void SetUp() override {
        if (!x.ok()) GTEST_SKIP() << "Xvfb is not installed";
        if (!HaveProgram("xscreensaver") || !HaveProgram("xscreensaver-command"))
            GTEST_SKIP() << "XScreenSaver is not installed";
        if (!std::filesystem::exists("/etc/X11/app-defaults/XScreenSaver"))
            GTEST_SKIP() << "XScreenSaver's list of programs is missing";
        const auto found = OrdinaryUser();
        if (!found) GTEST_SKIP() << "no ordinary account to run XScreenSaver (run as root to create one)";
        user = *found;
    }

    // Runs a command as the ordinary user with only the given environment.
    std::vector<std::string> AsUser(std::vector<std::string> command, const std::map<std::string, std::string>& env) {
        std::vector<std::string> args;
        if (user.switchUser)
            args = {"setpriv", "--reuid=" + std::to_string(user.uid), "--regid=" + std::to_string(user.gid),
                    "--init-groups"};
        args.push_back("env");
        args.push_back("-i");
        for (const auto& [k, v] : env) args.push_back(k + "=" + v);
        args.insert(args.end(), command.begin(), command.end());
        return args;
    }

    void GiveToUser(const QString& path) {
        ::chmod(path.toLocal8Bit().constData(), 0755);
        if (!user.switchUser) return;
        ::chown(path.toLocal8Bit().constData(), user.uid, user.gid);
        for (const auto& e : std::filesystem::recursive_directory_iterator(path.toStdString()))
            ::lchown(e.path().c_str(), user.uid, user.gid);
    }

    XvfbSession x{800, 600};
    ShowData data;
    SaverUser user;
};

TEST_F(XScreenSaverOnX, RunsTavrelleFromItsSystemWideListOfPrograms) {
    // The installed files, with the system's lists as the package's
    // installation leaves them (its postinst runs the same script).
    QTemporaryDir stage, home;
    const std::string root = stage.path().toStdString();
    const char* cmake = std::getenv("TAVRELLE_CMAKE");
    ASSERT_EQ(Status({"env", "DESTDIR=" + root, cmake ? cmake : "cmake", "--install", ProgramPath(""), "--prefix",
                      "/usr"}),
              0);
    const std::string appDefaults = root + "/etc/X11/app-defaults";
    std::filesystem::create_directories(appDefaults);
    ASSERT_EQ(Status({"sh", "-c", "cp -P /etc/X11/app-defaults/XScreenSaver* " + appDefaults}), 0);
    ASSERT_EQ(Status({root + "/usr/libexec/tavrelle/xscreensaver-programs", "add", appDefaults}), 0);
    const int number = ProgramNumber(appDefaults + "/XScreenSaver");
    ASSERT_GT(number, 0) << "Tavrelle is not in the list of programs";
    GiveToUser(stage.path());
    GiveToUser(home.path());
    GiveToUser(data.home.path());

    // No ~/.xscreensaver: the list comes from the app-defaults alone, and the
    // hack folder comes first on the path as XScreenSaver puts it.
    const std::map<std::string, std::string> env = {
        {"HOME", home.path().toStdString()},
        {"DISPLAY", x.name()},
        {"XFILESEARCHPATH", appDefaults + "/%N"},
        {"PATH", root + "/usr/libexec/xscreensaver:" + root + "/usr/bin:/usr/bin:/bin"},
        {"XDG_DATA_HOME", data.home.path().toStdString()},
        {"SDL_AUDIODRIVER", "dummy"},
    };
    Process daemon(AsUser({"xscreensaver", "--no-splash"}, env), {});
    bool ready = false;
    for (int i = 0; i < 100 && !ready && daemon.Running(); ++i) {
        ready = Status(AsUser({"xscreensaver-command", "-version"}, env), 10s) == 0;
        if (!ready) std::this_thread::sleep_for(200ms);
    }
    ASSERT_TRUE(ready) << "XScreenSaver did not start";

    ASSERT_EQ(Status(AsUser({"xscreensaver-command", "-select", std::to_string(number)}, env)), 0);
    // XScreenSaver fades the screen out first; then the show's picture
    // appears centred on its grey background.
    EXPECT_TRUE(WaitForPixel(x, 400, 300, {kRed, kGreen}, 30s)) << "no picture on the screen";
    EXPECT_EQ(x.Pixel(20, 20), 0x404040u);
    if (const char* dir = std::getenv("TAVRELLE_SCREENSHOT_DIR")) x.SavePng(std::string(dir) + "/xscreensaver.png");
    Status(AsUser({"xscreensaver-command", "-exit"}, env), 10s);
    EXPECT_TRUE(daemon.WaitExit(10s).has_value());
}

}  // namespace
}  // namespace tav::test
