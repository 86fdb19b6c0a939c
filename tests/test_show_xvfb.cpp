// The real program on a private X server: the slide show, its opacity, the
// keys that end it, the single-copy rule, the preview, running inside a
// desktop saver's window and being run by a real XScreenSaver from the
// installed files; skipped where Xvfb is missing. And the program with no X
// display to reach.
#include <gtest/gtest.h>

#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QImage>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <thread>

#include "platform/InstanceLock.h"
#include "startup/SharedState.h"
#include "storage/IniFile.h"
#include "storage/PictureListFile.h"
#include "storage/SettingsRecord.h"
#include "support/music_test_audio.h"
#include "support/xvfb_session.h"
#include "surfaces/PictureJobs.h"
#include "testmedia/PictureWriters.h"
#include "testmedia/SoundWriters.h"
#include "testmedia/StallingFileSystem.h"
#include "testmedia/TempFolder.h"
#include "x11/ForeignWindow.h"
#include "x11/X11Windows.h"

namespace tav::test {
namespace {

using namespace std::chrono_literals;

constexpr unsigned kRed = 0xE02020, kGreen = 0x20C040;

// A data folder holding two flat pictures in group 0, a grey background, the
// music mode and the opacity as written in the INI file.
struct ShowData {
    TempFolder home;
    QString folder = QString::fromStdString(home.File("Tavrelle"));
    SaverSettingsData settings;
    explicit ShowData(std::int16_t musicMode = 0, const std::string& opacity = "255") {
        QDir().mkpath(folder);
        std::vector<std::string> paths;
        int i = 0;
        for (unsigned colour : {kRed, kGreen}) {
            paths.push_back(home.File("pic" + std::to_string(++i) + ".bmp"));
            pw::SaveFlatPicture(paths.back(), 160, 120, 0xFF000000u | colour);
        }
        WritePictureListFile((folder + "/Tavrelle_0.rdm").toStdString(), paths);
        settings.Groups[0].BackColor = 0x00404040;
        settings.Groups[0].IntervalSeconds = 10;
        settings.Groups[0].MusicMode = musicMode;
        WriteSettingsRecord((folder + "/Tavrelle_S.rdm").toStdString(), settings);
        WriteIniString(kIniSection, OpacityKey(0), opacity, Ini());
    }
    std::string Ini() const { return (folder + "/" + kIniFileName).toStdString(); }
    // Group 0 plays a music file.
    void PlayMusic(const std::string& file) {
        settings.Groups[0].MusicMode = 2;
        WriteSettingsRecord((folder + "/Tavrelle_S.rdm").toStdString(), settings);
        WriteIniString(kIniSection, MusicFileKey(0), file, Ini());
    }
    // Makes `paths` the list of group 0, shown back to back.
    void UseList(const std::vector<std::string>& paths) const {
        WritePictureListFile((folder + "/Tavrelle_0.rdm").toStdString(), paths);
        SaverSettingsData fast;
        fast.Groups[0].BackColor = 0x00404040;
        fast.Groups[0].IntervalSeconds = 0;
        fast.Groups[0].EffectSpeed = 24;
        WriteSettingsRecord((folder + "/Tavrelle_S.rdm").toStdString(), fast);
    }
    std::string Path(const char* name) const { return home.File(name); }
    std::map<std::string, std::string> Env(const XvfbSession& x) const {
        return {{"DISPLAY", x.name()},
                {"XDG_DATA_HOME", home.Path()},
                {"XDG_STATE_HOME", home.File("state")},
                {"QT_QPA_PLATFORM", "xcb"},
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
    // The first picture may still be coming in when its centre shows.
    EXPECT_TRUE(WaitForPixel(x, 85, 65, {x.Pixel(400, 300)}, 5s)) << "the fitted picture fills the area";
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

std::string Bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A file system whose stall.jpg (or another file) never answers, beside the
// show's two pictures served normally; skips where FUSE cannot be mounted.
struct StalledShare {
    TempFolder place;
    StallingFileSystem fs{place.File("share")};
    StalledShare(const ShowData& data, const std::string& stalled, StallingFileSystem::Stall stall,
                 const std::string& content = "") {
        if (!fs.ok()) return;
        fs.AddFile("pic1.bmp", Bytes(data.Path("pic1.bmp")));
        fs.AddFile("pic2.bmp", Bytes(data.Path("pic2.bmp")));
        fs.AddFile(stalled, content.empty() ? Bytes(data.Path("pic1.bmp")) : content, stall);
    }
};

// Waits until the show's window is off the screen, for at most `limit`.
bool WindowGone(XvfbSession& x, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (x.ShowsWindowTitled("Tavrelle_Main"))
        if (std::chrono::steady_clock::now() > end) return false;
    return true;
}

// A picture on a share that stopped answering at its lookup, its open or its
// read: the loader stuck on it keeps the process in the kernel, yet a key, a
// click, SIGTERM or even SIGKILL (which no handler sees) takes the window off
// the screen at once, and the process ends as soon as the share answers.
TEST_F(ShowOnX, APictureThatNeverAnswersHoldsNeitherTheWindowNorItsEnd) {
    using Stall = StallingFileSystem::Stall;
    struct Case {
        const char* name;
        Stall stall;
        const char* end;  // "key", "click", "term" or "kill"
    };
    const Case cases[] = {
        {"lookup, key", Stall::Lookup, "key"},  {"open, click", Stall::Open, "click"},
        {"read, key", Stall::Read, "key"},      {"read, SIGTERM", Stall::Read, "term"},
        {"open, SIGKILL", Stall::Open, "kill"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StalledShare share(data, "stall.jpg", c.stall);
        if (!share.fs.ok()) GTEST_SKIP() << share.fs.whyNot();
        data.UseList({share.fs.Path("stall.jpg"), share.fs.Path("pic1.bmp"), share.fs.Path("pic2.bmp")});
        Process show({ProgramPath("tavrelle"), "/s"}, data.Env(x));
        ASSERT_TRUE(WaitForPixel(x, 20, 20, {0x404040}, 20s)) << "no window";
        for (int i = 0; i < 40 && share.fs.Held() == 0; ++i) std::this_thread::sleep_for(50ms);
        EXPECT_GT(share.fs.Held(), 0) << "the loader reached the stalled file";
        const std::string dataFolder = data.folder.toStdString();
        EXPECT_FALSE(InstanceLock::TryTake(dataFolder).has_value()) << "the running show holds the lock";
        if (std::string(c.end) == "term" || std::string(c.end) == "kill")
            show.Signal(std::string(c.end) == "term" ? SIGTERM : SIGKILL);
        else
            RunCommand(
                {"xdotool", std::string(c.end) == "key" ? "key" : "click", std::string(c.end) == "key" ? "a" : "1"},
                {{"DISPLAY", x.name()}});
        EXPECT_TRUE(WindowGone(x, 2s)) << "the window stays while the loader is stuck";
        // The process lingers until the share answers, but it lets go of the
        // lock at once, so the next show or the settings can start.
        bool free = false;
        for (int i = 0; i < 200 && !(free = InstanceLock::TryTake(dataFolder).has_value()); ++i)
            std::this_thread::sleep_for(10ms);
        EXPECT_TRUE(free) << "the stuck process keeps the lock";
        share.fs.Release();
        EXPECT_TRUE(show.WaitExit(5s).has_value()) << "the process ends once the share answers";
    }
}

// A music file on a share that stopped answering: the show appears and
// ends as if there were no music.
TEST_F(ShowOnX, AMusicFileThatNeverAnswersHoldsNeitherTheShowNorItsEnd) {
    using Stall = StallingFileSystem::Stall;
    const std::string wav = data.Path("tone.wav");
    ASSERT_TRUE(WriteToneWav(wav, 440, 1));
    struct Case {
        const char* name;
        const char* file;
        Stall stall;
        bool kill = false;  // ended by SIGKILL rather than a key
    };
    const Case cases[] = {
        {"MP3, lookup", "song.mp3", Stall::Lookup},
        {"MP3, read", "song.mp3", Stall::Read},
        {"WAV, open", "tone.wav", Stall::Open},
        {"WAV, read", "tone.wav", Stall::Read},
        {"WAV, read, SIGKILL", "tone.wav", Stall::Read, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StalledShare share(data, c.file, c.stall, Bytes(wav));
        if (!share.fs.ok()) GTEST_SKIP() << share.fs.whyNot();
        ShowData music;
        music.PlayMusic(share.fs.Path(c.file));
        Process show({ProgramPath("tavrelle"), "/s"}, music.Env(x));
        EXPECT_TRUE(WaitForPixel(x, 400, 300, {kRed, kGreen}, 10s)) << "no picture while the music does not answer";
        if (c.kill)
            show.Signal(SIGKILL);
        else
            RunCommand({"xdotool", "key", "a"}, {{"DISPLAY", x.name()}});
        EXPECT_TRUE(WindowGone(x, 2s));
        share.fs.Release();
        const auto status = show.WaitExit(5s);
        EXPECT_TRUE(c.kill ? status.has_value() : status == 0);
    }
}

// Slides back to back with one picture that never answers: its loader is
// given up once and not started again while it is stuck, so the process
// keeps no more threads than it started with plus the few loaders allowed.
TEST_F(ShowOnX, AStuckLoaderIsNotStartedAgainAndThreadsStayFew) {
    StalledShare share(data, "stall.jpg", StallingFileSystem::Stall::Open);
    if (!share.fs.ok()) GTEST_SKIP() << share.fs.whyNot();
    data.UseList({share.fs.Path("pic1.bmp"), share.fs.Path("stall.jpg"), share.fs.Path("pic2.bmp")});
    Process show({ProgramPath("tavrelle"), "/s"}, data.Env(x));
    ASSERT_TRUE(WaitForPixel(x, 400, 300, {kRed}, 20s)) << "no first picture";
    const int start = show.Threads();
    // The stalled picture is given up after its wait, then comes round again.
    ASSERT_TRUE(WaitForPixel(x, 400, 300, {kGreen}, 20s)) << "the show did not go past the stalled picture";
    ASSERT_TRUE(WaitForPixel(x, 400, 300, {kRed}, 10s));
    ASSERT_TRUE(WaitForPixel(x, 400, 300, {kGreen}, 10s));
    EXPECT_EQ(share.fs.Held(), 1) << "one open of the stalled file";
    EXPECT_LE(show.Threads(), start + PictureJob::kMaxLoaders);
    RunCommand({"xdotool", "key", "a"}, {{"DISPLAY", x.name()}});
    EXPECT_TRUE(WindowGone(x, 2s));
    share.fs.Release();
    EXPECT_EQ(show.WaitExit(5s), 0);
}

TEST_F(ShowOnX, ASecondCopyEndsAtOnceWhileAShowRuns) {
    Process first({ProgramPath("tavrelle"), "/s"}, data.Env(x));
    ASSERT_TRUE(WaitForPixel(x, 400, 300, {kRed, kGreen}, 20s));
    Process second({ProgramPath("tavrelle"), "/s"}, data.Env(x));
    EXPECT_EQ(second.WaitExit(10s), 0);
    EXPECT_TRUE(first.Running());
}

TEST_F(ShowOnX, PreviewDrawsInsideTheGivenWindowAndEndsWithIt) {
    // At scale 2 an odd-sized window has a last device pixel that half a logical pixel must still reach.
    const struct {
        const char* scale;
        int width, height;
    } cases[] = {{"1", 152, 112}, {"2", 153, 113}};
    for (const auto& c : cases) {
        const unsigned long host = x.CreateWindow(10, 10, c.width, c.height);
        auto env = data.Env(x);
        env["QT_SCALE_FACTOR"] = c.scale;
        Process preview({ProgramPath("tavrelle"), "/p", std::to_string(host)}, env);
        const auto end = std::chrono::steady_clock::now() + 20s;
        bool drawn = false;
        while (!drawn && std::chrono::steady_clock::now() < end) {
            drawn = x.Pixel(0, 0, host) != 0 && x.Pixel(c.width - 1, c.height - 1, host) != 0;
            std::this_thread::sleep_for(50ms);
        }
        EXPECT_TRUE(drawn) << "the preview picture does not fill the small window at scale " << c.scale;
        x.DestroyWindow(host);
        EXPECT_EQ(preview.WaitExit(10s), 0) << "the preview does not end with its window at scale " << c.scale;
    }
}

TEST_F(ShowOnX, RunsInsideTheWindowADesktopSaverLendsIt) {
    // The daemon names the window in the environment; XScreenSaver's settings
    // preview also appends "--window-id 0x..." to the command.
    for (const bool asArgument : {false, true}) {
        SCOPED_TRACE(asArgument ? "--window-id" : "XSCREENSAVER_WINDOW");
        const unsigned long host = x.CreateWindow(0, 0, 800, 600);
        auto env = data.Env(x);
        std::vector<std::string> command = {ProgramPath("tavrelle"), "/s"};
        char hex[32];
        std::snprintf(hex, sizeof hex, "0x%lX", host);
        if (asArgument)
            command.insert(command.end(), {"--window-id", hex});
        else
            env["XSCREENSAVER_WINDOW"] = std::to_string(host);
        Process show(command, env);
        EXPECT_TRUE(WaitForPixel(x, 400, 300, {kRed, kGreen}, 20s, host)) << "the show draws inside the window";
        EXPECT_EQ(x.Pixel(20, 20, host), 0x404040u);
        x.DestroyWindow(host);
        EXPECT_TRUE(show.WaitExit(10s).has_value()) << "the show ends with its window";
    }
}

// A lent window smaller than the area in one direction or both shows the
// whole area shrunk to fit, centred on the background colour: the four corners
// of a picture with a blue border are inside the window.
TEST_F(ShowOnX, ALentWindowSmallerThanTheAreaShowsTheWholeAreaShrunk) {
    constexpr unsigned kBlue = 0x2040E0;
    QImage picture(640, 480, QImage::Format_RGB32);
    picture.fill(QColor::fromRgb(0xFF000000u | kBlue));
    for (int y = 24; y < 456; ++y)
        for (int x = 24; x < 616; ++x) picture.setPixel(x, y, 0xFF000000u | kRed);
    const std::string path = data.Path("bordered.bmp");
    ASSERT_TRUE(picture.save(QString::fromStdString(path), "BMP"));
    WritePictureListFile((data.folder + "/Tavrelle_0.rdm").toStdString(), {path, path});
    struct Case {
        int width, height;
        QRect shown;  // where the area lands in the window
    };
    // 640 × 480 shrunk by 200 / 480 is 267 × 200; by 600 / 640, 600 × 450.
    const Case cases[] = {{320, 200, QRect(26, 0, 267, 200)}, {600, 500, QRect(0, 25, 600, 450)}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
        const unsigned long host = x.CreateWindow(0, 0, c.width, c.height);
        auto env = data.Env(x);
        env["XSCREENSAVER_WINDOW"] = std::to_string(host);
        Process show({ProgramPath("tavrelle"), "/s"}, env);
        const QRect& a = c.shown;
        ASSERT_TRUE(WaitForPixel(x, a.center().x(), a.center().y(), {kRed}, 20s, host)) << "no picture in the window";
        for (auto [px, py] : {std::pair{a.left() + 2, a.top() + 2},
                              {a.right() - 2, a.top() + 2},
                              {a.left() + 2, a.bottom() - 2},
                              {a.right() - 2, a.bottom() - 2}})
            EXPECT_TRUE(WaitForPixel(x, px, py, {kBlue}, 5s, host))
                << "corner " << px << "," << py << " shows " << std::hex << x.Pixel(px, py, host);
        if (a.left() > 2) {
            EXPECT_EQ(x.Pixel(a.left() - 3, a.center().y(), host), 0x404040u) << "left of the area";
        }
        if (a.top() > 2) {
            EXPECT_EQ(x.Pixel(a.center().x(), a.top() - 3, host), 0x404040u) << "above the area";
        }
        if (const char* dir = std::getenv("TAVRELLE_SCREENSHOT_DIR"))
            x.SavePng(std::string(dir) + "/lent-" + std::to_string(c.width) + "x" + std::to_string(c.height) + ".png");
        x.DestroyWindow(host);
        EXPECT_TRUE(show.WaitExit(10s).has_value()) << "the show ends with its window";
    }
}

// Pixels of the image that are neither the background nor black, and the box around them.
struct Drawn {
    int count = 0;
    QRect box;
};
Drawn DrawnOn(const QImage& image, unsigned background) {
    Drawn drawn;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const unsigned p = image.pixel(x, y) & 0xFFFFFFu;
            if (p == background || p == 0) continue;
            ++drawn.count;
            drawn.box |= QRect(x, y, 1, 1);
        }
    return drawn;
}

// Without pictures to show, a lent window gets the message drawn inside it,
// centred on the group's background colour, and no window of its own opens;
// the process stays until the window goes and ends with it.
TEST_F(ShowOnX, WithoutPicturesTheMessageIsDrawnInsideTheLentWindowUntilItGoes) {
    const struct Case {
        const char* name;
        std::vector<std::string> list;
    } cases[] = {{"no pictures", {}}, {"one picture", {data.Path("pic1.bmp")}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WritePictureListFile((data.folder + "/Tavrelle_0.rdm").toStdString(), c.list);
        const unsigned long host = x.CreateWindow(0, 0, 320, 200);
        const int windowsBefore = x.ViewableTopLevelWindows();
        auto env = data.Env(x);
        env["XSCREENSAVER_WINDOW"] = std::to_string(host);
        Process show({ProgramPath("tavrelle"), "-s"}, env);
        ASSERT_TRUE(WaitForPixel(x, 2, 2, {0x404040}, 20s, host)) << "nothing drawn in the window";
        // The text comes with the same paint as the background, or right after it.
        Drawn text;
        const auto end = std::chrono::steady_clock::now() + 5s;
        while (text.count < 300 && std::chrono::steady_clock::now() < end)
            text = DrawnOn(x.Grab(0, 0, 320, 200), 0x404040);
        EXPECT_GE(text.count, 300) << "too little text in the window";
        EXPECT_NEAR(text.box.center().x(), 160, 20) << "the text is not centred across";
        EXPECT_NEAR(text.box.center().y(), 100, 20) << "the text is not centred down";
        EXPECT_GE(text.box.height(), 40) << "the hint is not under the message";
        EXPECT_EQ(x.ViewableTopLevelWindows(), windowsBefore) << "another window opened";
        if (const char* dir = std::getenv("TAVRELLE_SCREENSHOT_DIR"))
            x.Grab(0, 0, 320, 200)
                .save(QString::fromStdString(std::string(dir) + "/message-" + (c.list.empty() ? "none" : "one") +
                                             ".png"));
        EXPECT_TRUE(show.Running()) << "the process did not wait for its window to go";
        x.DestroyWindow(host);
        EXPECT_EQ(show.WaitExit(1s), 0) << "the process outlives its window";
    }
}

// The colour at the middle of the window once a picture is there.
unsigned FirstPicture(XvfbSession& x, int px, int py, unsigned long window, std::initializer_list<unsigned> pictures) {
    const auto end = std::chrono::steady_clock::now() + 20s;
    while (std::chrono::steady_clock::now() < end) {
        const unsigned p = x.Pixel(px, py, window);
        for (unsigned c : pictures)
            if (p == c) return p;
        std::this_thread::sleep_for(5ms);
    }
    return 0;
}

// A desktop saver restarts its program at every activation: in a lent window
// the show goes on where it stopped, while a show of its own starts at
// picture 1 every time.
TEST_F(ShowOnX, ALentWindowGoesOnWhereTheLastShowStoppedAndAShowOfItsOwnStartsAtOne) {
    constexpr unsigned kBlue = 0x2040E0;
    const std::string blue = data.Path("pic3.bmp");
    pw::SaveFlatPicture(blue, 160, 120, 0xFF000000u | kBlue);
    WritePictureListFile((data.folder + "/Tavrelle_0.rdm").toStdString(),
                         {data.Path("pic1.bmp"), data.Path("pic2.bmp"), blue});
    const std::string state = data.home.File("state/tavrelle/resume-0");
    {
        const unsigned long host = x.CreateWindow(0, 0, 800, 600);
        auto env = data.Env(x);
        env["XSCREENSAVER_WINDOW"] = std::to_string(host);
        Process show({ProgramPath("tavrelle"), "-s"}, env);
        EXPECT_EQ(FirstPicture(x, 400, 300, host, {kRed, kGreen, kBlue}), kRed) << "the first show starts at picture 1";
        // The first slide ends with picture 2 on the screen, picture 3 to come.
        const auto end = std::chrono::steady_clock::now() + 20s;
        while (Bytes(state).find("next 3\n") == std::string::npos && std::chrono::steady_clock::now() < end)
            std::this_thread::sleep_for(20ms);
        ASSERT_NE(Bytes(state).find("next 3\n"), std::string::npos) << Bytes(state);
        x.DestroyWindow(host);
        EXPECT_TRUE(show.WaitExit(10s).has_value());
    }
    {
        const unsigned long host = x.CreateWindow(0, 0, 800, 600);
        auto env = data.Env(x);
        env["XSCREENSAVER_WINDOW"] = std::to_string(host);
        Process show({ProgramPath("tavrelle"), "-s"}, env);
        EXPECT_NE(FirstPicture(x, 400, 300, host, {kRed, kGreen, kBlue}), 0u) << "the next show shows nothing";
        // It goes on with picture 3 and the effect after the last show's one,
        // so its first transition leads from picture 3 to picture 1 with
        // effect 2. Picture 3 stands only until picture 1 is composed, which
        // a look at the screen can miss on a busy machine; what the show
        // records after that transition cannot be missed.
        const auto end = std::chrono::steady_clock::now() + 20s;
        while (Bytes(state).find("next 2\neffect 2\n") == std::string::npos && std::chrono::steady_clock::now() < end)
            std::this_thread::sleep_for(20ms);
        EXPECT_NE(Bytes(state).find("next 2\neffect 2\n"), std::string::npos)
            << "the next show does not go on where the last one stopped: " << Bytes(state);
        x.DestroyWindow(host);
        EXPECT_TRUE(show.WaitExit(10s).has_value());
    }
    Process own({ProgramPath("tavrelle"), "/s"}, data.Env(x));
    EXPECT_EQ(FirstPicture(x, 400, 300, 0, {kRed, kGreen, kBlue}), kRed) << "a show of its own starts at picture 1";
    RunCommand({"xdotool", "key", "a"}, {{"DISPLAY", x.name()}});
    EXPECT_EQ(own.WaitExit(10s), 0);
}

TEST_F(ShowOnX, OpacityOutsideTheByteRangeIsHeldAtItsEnds) {
    struct Case {
        const char* written;
        std::optional<unsigned long> want;  // _NET_WM_WINDOW_OPACITY, absent when opaque
    };
    for (const Case c :
         {Case{"256", std::nullopt}, Case{"300", std::nullopt}, Case{"-1", 0ul}, Case{"51", 0x33333333ul}}) {
        ShowData written(0, c.written);
        Process show({ProgramPath("tavrelle"), "/s"}, written.Env(x));
        ASSERT_TRUE(WaitForPixel(x, 20, 20, {0x404040u}, 20s)) << c.written;
        EXPECT_EQ(x.TopLevelCardinal("_NET_WM_WINDOW_OPACITY"), c.want) << "opacity " << c.written;
        EXPECT_EQ(GetIniString(kIniSection, OpacityKey(0), written.Ini()), c.written) << "the file keeps it";
    }
}

TEST_F(ShowOnX, InCdModeEveryKeyButLeftAndRightEndsTheShow) {
    const ShowData cd(1);
    auto start = [&](const std::string& key) {
        auto show = std::make_unique<Process>(std::vector<std::string>{ProgramPath("tavrelle"), "/s"}, cd.Env(x));
        EXPECT_TRUE(WaitForPixel(x, 400, 300, {kRed, kGreen}, 20s)) << "no show for " << key;
        return show;
    };
    {
        auto show = start("Left");
        RunCommand({"xdotool", "key", "Left", "Right", "Left"}, {{"DISPLAY", x.name()}});
        EXPECT_FALSE(show->WaitExit(1s)) << "the arrows change the track and the show goes on";
    }
    // The printable keys of a US keyboard, and the usual function, lock,
    // modifier and navigation keys.
    std::vector<std::string> keys;
    for (char c = 'a'; c <= 'z'; ++c) keys.emplace_back(1, c);
    for (char c = '0'; c <= '9'; ++c) keys.emplace_back(1, c);
    for (const char* k :
         {"space",     "minus",    "equal",       "bracketleft", "bracketright", "backslash", "semicolon", "apostrophe",
          "grave",     "comma",    "period",      "slash",       "F1",           "F2",        "F3",        "F4",
          "F5",        "F6",       "F7",          "F8",          "F9",           "F10",       "F11",       "F12",
          "Caps_Lock", "Num_Lock", "Scroll_Lock", "Escape",      "Tab",          "Return",    "BackSpace", "Insert",
          "Delete",    "Home",     "End",         "Prior",       "Next",         "Up",        "Down",      "Pause",
          "Print",     "Shift_L",  "Control_L",   "Alt_L",       "Super_L",      "Menu",      "KP_Enter",  "KP_Add"})
        keys.emplace_back(k);
    for (const std::string& key : keys) {
        auto show = start(key);
        RunCommand({"xdotool", "key", key}, {{"DISPLAY", x.name()}});
        EXPECT_EQ(show->WaitExit(10s), 0) << key << " does not end the show";
    }
}

TEST_F(ShowOnX, PreviewWithoutAUsableWindowEndsAtOnce) {
    const unsigned long gone = x.CreateWindow(10, 10, 40, 30);
    x.DestroyWindow(gone);
    const std::vector<std::vector<std::string>> cases = {
        {"/p", "0"}, {"/p", "abc"}, {"/p"}, {"/p", std::to_string(gone)}};
    for (const auto& args : cases) {
        std::vector<std::string> command{ProgramPath("tavrelle")};
        command.insert(command.end(), args.begin(), args.end());
        Process preview(command, data.Env(x));
        EXPECT_EQ(preview.WaitExit(10s), 0) << args.back();
    }
}

// A display name that no X server answers.
std::string UnusedDisplay() {
    int n = 700;
    while (::access(("/tmp/.X11-unix/X" + std::to_string(n)).c_str(), F_OK) == 0) ++n;
    return ":" + std::to_string(n);
}

TEST(WithoutDisplay, ModesThatShowSomethingSayWhyAndFailTheOthersEndQuietly) {
    const std::string unused = UnusedDisplay();
    const std::string notSet = "tavrelle: cannot open the X display (DISPLAY is not set)\n";
    const std::string named = "tavrelle: cannot open the X display \"" + unused + "\"\n";
    struct Case {
        bool displaySet;  // DISPLAY names the unused display; else it is unset
        std::vector<std::string> args;
        int status;
        std::string error;
    };
    const Case cases[] = {
        {false, {"/s"}, 1, notSet}, {false, {"/c"}, 1, notSet},  {false, {"/p", "1234"}, 1, notSet},
        {false, {}, 1, notSet},     {false, {"/a"}, 0, ""},      {false, {"/x"}, 0, ""},
        {true, {"-S"}, 1, named},   {true, {"/a", "77"}, 0, ""}, {false, {"-display", unused, "/c"}, 1, named},
    };
    TempFolder folder;
    const std::string errorFile = folder.File("stderr");
    for (const Case& c : cases) {
        std::vector<std::string> command{"env", "-u", "DISPLAY", ProgramPath("tavrelle")};
        if (c.displaySet) command.erase(command.begin(), command.begin() + 3);
        command.insert(command.end(), c.args.begin(), c.args.end());
        // The messages are compared in English.
        std::map<std::string, std::string> env{
            {"QT_QPA_PLATFORM", "xcb"}, {"XDG_DATA_HOME", folder.Path()}, {"TAVRELLE_LANG", "en"}};
        if (c.displaySet) env["DISPLAY"] = unused;
        Process run(command, env, errorFile);
        std::string where = c.displaySet ? "DISPLAY=" + unused : "no DISPLAY";
        for (const std::string& a : c.args) where += " " + a;
        EXPECT_EQ(run.WaitExit(10s), c.status) << where;
        std::ifstream in(errorFile);
        std::stringstream error;
        error << in.rdbuf();
        EXPECT_EQ(error.str(), c.error) << where;
    }
}

// The program's one X connection outlives its server: requests then fail
// instead of ending the process, and the next server is reached anew.
TEST(XConnection, AServerThatGoesAwayEndsNothingAndTheNextOneIsReached) {
    const char* old = std::getenv("DISPLAY");
    const std::optional<std::string> oldDisplay = old ? std::optional<std::string>(old) : std::nullopt;
    int w = 0, h = 0;
    unsigned long window = 0;
    {
        XvfbSession first{320, 240};
        if (!first.ok()) GTEST_SKIP() << "Xvfb is not installed";
        ::setenv("DISPLAY", first.name().c_str(), 1);
        window = first.CreateWindow(0, 0, 30, 20);
        ASSERT_TRUE(ForeignWindowSize(window, w, h));
        EXPECT_EQ(w * 1000 + h, 30 * 1000 + 20);
    }
    EXPECT_FALSE(ForeignWindowExists(window)) << "a window on a server that has gone";
    EXPECT_FALSE(X11ScreenSize(w, h)) << "the screen of a server that has gone";
    XvfbSession second{640, 480};
    ::setenv("DISPLAY", second.name().c_str(), 1);
    EXPECT_TRUE(X11ScreenSize(w, h) && w == 640 && h == 480) << w << " x " << h;
    oldDisplay ? ::setenv("DISPLAY", oldDisplay->c_str(), 1) : ::unsetenv("DISPLAY");
}

// The picture area covers 640 × 480 device pixels and shows the picture's
// own pixels, not a resampling.
void DrawsPixelForPixel(XvfbSession& x, const char* scale) {
    ShowData data;
    // A picture of the area's size whose neighbouring pixels all differ.
    QImage picture(640, 480, QImage::Format_RGB32);
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) picture.setPixel(x, y, qRgb(x & 255, y & 255, ((x ^ y) & 1) * 255));
    const QString path = QString::fromStdString(data.home.File("fine.bmp"));
    picture.save(path, "BMP");
    WritePictureListFile((data.folder + "/Tavrelle_0.rdm").toStdString(), {path.toStdString(), path.toStdString()});
    auto env = data.Env(x);
    env["QT_SCALE_FACTOR"] = scale;
    Process show({ProgramPath("tavrelle"), "/s"}, env);
    const int left = (1600 - 640) / 2, top = (1200 - 480) / 2;
    // The first transition moves the picture about; once it is over the area must show it exactly.
    QImage shown;
    int differing = -1;
    const auto end = std::chrono::steady_clock::now() + 20s;
    while (differing != 0 && std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(100ms);
        shown = x.Grab(left - 1, top - 1, 642, 482);
        differing = 0;
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 640; ++x) differing += shown.pixel(x + 1, y + 1) != picture.pixel(x, y);
    }
    if (const char* dir = std::getenv("TAVRELLE_SCREENSHOT_DIR")) x.SavePng(std::string(dir) + "/show-hidpi.png");
    EXPECT_EQ(differing, 0) << "pixels of the area that differ from the picture";
    EXPECT_EQ(shown.pixel(0, 0), 0xFF404040u) << "the area reaches past 640 × 480 device pixels";
    EXPECT_EQ(shown.pixel(641, 481), 0xFF404040u) << "the area reaches past 640 × 480 device pixels";
}

// Pixel for pixel on a screen with a device pixel ratio of 2, and on a
// server without shared memory (as over the network), where every frame
// travels in the requests.
struct ExactCase {
    const char* what;
    const char* scale;
    std::vector<std::string> serverOptions;
};

TEST(ShowOnHiDpi, DrawsThePictureAreaPixelForPixelInDevicePixels) {
    for (const ExactCase& c :
         {ExactCase{"scale 2", "2", {}}, ExactCase{"scale 1 without shared memory", "1", {"-extension", "MIT-SHM"}}}) {
        SCOPED_TRACE(c.what);
        XvfbSession x{1600, 1200, c.serverOptions};
        if (!x.ok()) GTEST_SKIP() << "Xvfb is not installed";
        DrawsPixelForPixel(x, c.scale);
    }
}

// A desktop saver with two monitors starts two copies, each in its own window.
TEST_F(ShowOnX, CopiesInTwoLentWindowsBothDrawAndOnlyOnePlaysTheMusic) {
    const std::string wav = data.home.File("tone.wav");
    ASSERT_TRUE(WriteToneWav(wav, 440, 1));
    data.PlayMusic(wav);
    TempFolder runtime;
    const unsigned long windows[2] = {x.CreateWindow(0, 0, 400, 600), x.CreateWindow(400, 0, 400, 600)};
    std::string sound[2];
    std::vector<std::unique_ptr<Process>> copies;
    for (int i = 0; i < 2; ++i) {
        auto env = data.Env(x);
        env["XSCREENSAVER_WINDOW"] = std::to_string(windows[i]);
        env["XDG_RUNTIME_DIR"] = runtime.Path();
        // The disk driver writes what the copy plays to its own file, made when the copy opens the output.
        env["SDL_AUDIODRIVER"] = "disk";
        env["SDL_DISKAUDIOFILE"] = sound[i] = runtime.File("sound" + std::to_string(i) + ".raw");
        copies.push_back(std::make_unique<Process>(std::vector<std::string>{ProgramPath("tavrelle"), "/s"}, env));
    }
    for (int i = 0; i < 2; ++i)
        EXPECT_TRUE(WaitForPixel(x, 200, 300, {kRed, kGreen}, 20s, windows[i])) << "copy " << i << " does not draw";
    // A copy settles whether it plays before its window comes up, and the one
    // that plays opens the output before its first picture: once both have
    // drawn, which files exist is final.
    std::vector<int> playing;
    for (int i = 0; i < 2; ++i)
        if (std::filesystem::exists(sound[i])) playing.push_back(i);
    ASSERT_EQ(playing.size(), 1u) << "copies that opened the audio output";
    const int music = playing[0], other = 1 - music;
    bool sounds = false;
    for (int i = 0; i < 200 && !(sounds = std::filesystem::file_size(sound[music]) > 0); ++i)
        std::this_thread::sleep_for(50ms);
    EXPECT_TRUE(sounds) << "the music copy plays";

    // The music copy ends with its window; the other one goes on, silent. The
    // music lock comes free with the music copy unless the other copy takes it
    // over; taken here, it shuts the other copy out for good, so the silence
    // checked after it does not hang on a wait.
    const char* runtimeBefore = std::getenv("XDG_RUNTIME_DIR");
    const std::string keptRuntime = runtimeBefore ? runtimeBefore : "";
    setenv("XDG_RUNTIME_DIR", runtime.Path().c_str(), 1);
    const std::string dataFolder = data.folder.toStdString();
    EXPECT_FALSE(InstanceLock::TryTake(dataFolder, "music").has_value()) << "the music copy holds no music lock";
    x.DestroyWindow(windows[music]);
    EXPECT_TRUE(copies[music]->WaitExit(10s).has_value()) << "the music copy outlives its window";
    std::optional<InstanceLock> musicLock;
    for (int i = 0; i < 200 && !(musicLock = InstanceLock::TryTake(dataFolder, "music")); ++i)
        std::this_thread::sleep_for(10ms);
    if (runtimeBefore)
        setenv("XDG_RUNTIME_DIR", keptRuntime.c_str(), 1);
    else
        unsetenv("XDG_RUNTIME_DIR");
    EXPECT_TRUE(musicLock.has_value()) << "the other copy took the music over";
    EXPECT_TRUE(copies[other]->Running());
    EXPECT_FALSE(std::filesystem::exists(sound[other])) << "the other copy opened the audio output";
}

// A desktop of two monitors: 1024 × 768 (primary) and 800 × 600 to its right.
TEST(ShowOnTwoMonitors, CoversEveryMonitorFollowsThemAndEndsOnInputFromAny) {
    XvfbSession x({{1024, 768}, {800, 600}});
    if (!x.ok()) GTEST_SKIP() << "no Xorg with the dummy video driver (or not root)";
    if (!HaveProgram("xdotool") || !HaveProgram("xrandr")) GTEST_SKIP() << "xdotool or xrandr is not installed";
    ShowData data;
    const struct {
        const char* input;
        std::vector<std::string> command;
        const char* scale;  // QT_SCALE_FACTOR: at 2 Qt's logical monitors are half the size
    } cases[] = {
        {"a key", {"xdotool", "key", "a"}, "1"},
        {"a click on the other monitor", {"xdotool", "mousemove", "1400", "300", "click", "1"}, "1"},
        {"a key, at scale 2", {"xdotool", "key", "a"}, "2"},
    };
    bool followed = false;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input);
        auto env = data.Env(x);
        env["QT_SCALE_FACTOR"] = c.scale;
        Process show({ProgramPath("tavrelle"), "/s"}, env);
        // The picture area is centred on the primary monitor, the other one is all background.
        ASSERT_TRUE(WaitForPixel(x, 512, 384, {kRed, kGreen}, 20s)) << "no picture on the primary monitor";
        ASSERT_TRUE(WaitForPixel(x, 1024, 0, {0x404040}, 10s)) << "the other monitor is not covered";
        for (auto [px, py] : {std::pair{1823, 599}, {1400, 300}, {20, 20}})
            EXPECT_EQ(x.Pixel(px, py), 0x404040u) << "at " << px << "," << py;
        if (const char* dir = std::getenv("TAVRELLE_SCREENSHOT_DIR")) x.SavePng(std::string(dir) + "/two-monitors.png");
        if (!followed) {
            // The monitor goes away and comes back: the show goes on and covers it again.
            followed = true;
            x.SetMonitor(1, false);
            std::this_thread::sleep_for(500ms);
            EXPECT_TRUE(show.Running()) << "a monitor going away ends the show";
            x.SetMonitor(1, true);
            EXPECT_TRUE(WaitForPixel(x, 1400, 300, {0x404040}, 10s)) << "the monitor that came back is not covered";
            EXPECT_TRUE(show.Running());
        }
        RunCommand(c.command, {{"DISPLAY", x.name()}});
        EXPECT_EQ(show.WaitExit(10s), 0) << c.input << " does not end the show";
        // With the process every window is gone: the other monitor shows the bare root window again.
        EXPECT_TRUE(WaitForPixel(x, 1400, 300, {0x000000}, 5s)) << "a cover stays behind";
    }
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
    const std::size_t entry = all.find("tavrelle -s", start);
    if (start == std::string::npos || entry == std::string::npos) return 0;
    int number = 1;
    for (std::size_t at = all.find("\\n", start); at < entry; at = all.find("\\n", at + 2)) ++number;
    return number;
}

class XScreenSaverOnX : public ::testing::Test {
protected:
    void SetUp() override {
        x = Server();
        if (!x->ok()) GTEST_SKIP() << "no X server for this test";
        if (const auto why = MissingSaver()) GTEST_SKIP() << *why;
        const auto found = OrdinaryUser();
        if (!found) GTEST_SKIP() << "no ordinary account to run the screen saver (run as root to create one)";
        user = *found;
    }
    virtual std::unique_ptr<XvfbSession> Server() { return std::make_unique<XvfbSession>(800, 600); }
    // Why the screen saver cannot run here, or nothing.
    virtual std::optional<std::string> MissingSaver() const {
        if (!HaveProgram("xscreensaver") || !HaveProgram("xscreensaver-command"))
            return "XScreenSaver is not installed";
        if (!std::filesystem::exists("/etc/X11/app-defaults/XScreenSaver"))
            return "XScreenSaver's list of programs is missing";
        return std::nullopt;
    }

    // Installs the program into the staging folder with the system's list of
    // programs as the package's installation leaves it (its postinst runs the
    // same script); number is Tavrelle's place in that list, from 1.
    void StageListOfPrograms(int& number) {
        ASSERT_NO_FATAL_FAILURE(InstallToStage());
        const std::string appDefaults = stage.Path() + "/etc/X11/app-defaults";
        std::filesystem::create_directories(appDefaults);
        ASSERT_EQ(Status({"sh", "-c", "cp -P /etc/X11/app-defaults/XScreenSaver* " + appDefaults}), 0);
        ASSERT_EQ(Status({stage.Path() + "/usr/libexec/tavrelle/xscreensaver-programs", "add", appDefaults}), 0);
        number = ProgramNumber(appDefaults + "/XScreenSaver");
        ASSERT_GT(number, 0) << "Tavrelle is not in the list of programs";
    }

    // Installs the program into the staging folder as the package would.
    void InstallToStage() {
        const char* cmake = std::getenv("TAVRELLE_CMAKE");
        ASSERT_EQ(Status({"env", "DESTDIR=" + stage.Path(), cmake ? cmake : "cmake", "--install", ProgramPath(""),
                          "--prefix", "/usr"}),
                  0);
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

    void GiveToUser(const std::string& path) {
        ::chmod(path.c_str(), 0755);
        if (!user.switchUser) return;
        ::chown(path.c_str(), user.uid, user.gid);
        for (const auto& e : std::filesystem::recursive_directory_iterator(path))
            ::lchown(e.path().c_str(), user.uid, user.gid);
    }

    // Installs the program into a staging folder, with the system's lists as
    // the package's installation leaves them (its postinst runs the same
    // script), starts XScreenSaver as the ordinary user and has it run
    // Tavrelle. `extra` is added to the environment of the saver's processes.
    void StartSaverWithTavrelle(const std::map<std::string, std::string>& extra = {}) {
        const std::string root = stage.Path();
        int number = 0;
        ASSERT_NO_FATAL_FAILURE(StageListOfPrograms(number));
        const std::string appDefaults = root + "/etc/X11/app-defaults";
        GiveToUser(stage.Path());
        GiveToUser(home.Path());
        GiveToUser(data.home.Path());

        // No ~/.xscreensaver: the list comes from the app-defaults alone, and the
        // hack folder comes first on the path as XScreenSaver puts it.
        env = {
            {"HOME", home.Path()},
            {"DISPLAY", x->name()},
            {"XFILESEARCHPATH", appDefaults + "/%N"},
            {"PATH", root + "/usr/libexec/xscreensaver:" + root + "/usr/bin:/usr/bin:/bin"},
            {"XDG_DATA_HOME", data.home.Path()},
            {"SDL_AUDIODRIVER", "dummy"},
        };
        for (const auto& [k, v] : extra) env[k] = v;
        daemon = std::make_unique<Process>(AsUser({"xscreensaver", "--no-splash"}, env),
                                           std::map<std::string, std::string>{});
        bool ready = false;
        for (int i = 0; i < 100 && !ready && daemon->Running(); ++i) {
            ready = Status(AsUser({"xscreensaver-command", "-version"}, env), 10s) == 0;
            if (!ready) std::this_thread::sleep_for(200ms);
        }
        ASSERT_TRUE(ready) << "XScreenSaver did not start";
        ASSERT_EQ(Status(AsUser({"xscreensaver-command", "-select", std::to_string(number)}, env)), 0);
    }

    void StopSaver() {
        Status(AsUser({"xscreensaver-command", "-exit"}, env), 10s);
        EXPECT_TRUE(daemon->WaitExit(10s).has_value());
    }

    std::unique_ptr<XvfbSession> x;
    ShowData data;
    SaverUser user;
    TempFolder stage, home;
    std::map<std::string, std::string> env;
    std::unique_ptr<Process> daemon;
};

TEST_F(XScreenSaverOnX, RunsTavrelleFromItsSystemWideListOfPrograms) {
    ASSERT_NO_FATAL_FAILURE(StartSaverWithTavrelle());
    // XScreenSaver fades the screen out first; then the show's picture
    // appears centred on its grey background.
    EXPECT_TRUE(WaitForPixel(*x, 400, 300, {kRed, kGreen}, 30s)) << "no picture on the screen";
    EXPECT_EQ(x->Pixel(20, 20), 0x404040u);
    if (const char* dir = std::getenv("TAVRELLE_SCREENSHOT_DIR")) x->SavePng(std::string(dir) + "/xscreensaver.png");
    StopSaver();
}

// What a new user meets before choosing pictures: the request for them drawn
// in the saver's own window, centred on the background, with no box beside
// or under that window.
void ExpectRequestOnTheScreen(XvfbSession& x, const std::string& screenshot) {
    ASSERT_TRUE(WaitForPixel(x, 20, 20, {0x404040}, 30s)) << "the saver's window does not show the background";
    Drawn text;
    const auto end = std::chrono::steady_clock::now() + 10s;
    while (text.count < 300 && std::chrono::steady_clock::now() < end) text = DrawnOn(x.Grab(0, 0, 800, 600), 0x404040);
    EXPECT_GE(text.count, 300) << "too little text on the screen";
    EXPECT_NEAR(text.box.center().x(), 400, 40) << "the text is not centred across";
    EXPECT_NEAR(text.box.center().y(), 300, 40) << "the text is not centred down";
    if (const char* dir = std::getenv("TAVRELLE_SCREENSHOT_DIR")) x.SavePng(std::string(dir) + "/" + screenshot);
}

TEST_F(XScreenSaverOnX, WithoutPicturesTheRequestIsDrawnInTheSaversWindow) {
    WritePictureListFile((data.folder + "/Tavrelle_0.rdm").toStdString(), {});
    ASSERT_NO_FATAL_FAILURE(StartSaverWithTavrelle());
    ExpectRequestOnTheScreen(*x, "xscreensaver-no-pictures.png");
    StopSaver();
}

// Whether a process of the program runs with that argument.
bool ProgramRunsWith(const std::string& argument) {
    std::error_code ec;
    for (const auto& process : std::filesystem::directory_iterator("/proc", ec)) {
        if (std::filesystem::read_symlink(process.path() / "exe", ec).filename() != "tavrelle") continue;
        std::string line = Bytes(process.path() / "cmdline");
        std::replace(line.begin(), line.end(), '\0', ' ');
        if (line.find(argument) != std::string::npos) return true;
    }
    return false;
}

// XScreenSaver's settings read Tavrelle's description each time it is
// selected and complain there about what they cannot take; with Tavrelle
// selected they read it at once, then run its preview in their small window,
// where the whole request for pictures shows. Only the staged description is
// mounted where they look, for them alone.
TEST_F(XScreenSaverOnX, ItsSettingsTakeTheDescriptionWithoutAWarning) {
    if (!user.switchUser || !HaveProgram("unshare") || !HaveProgram("xscreensaver-settings"))
        GTEST_SKIP() << "mounting the staged description takes root, unshare and xscreensaver-settings";
    WritePictureListFile((data.folder + "/Tavrelle_0.rdm").toStdString(), {});
    int number = 0;
    ASSERT_NO_FATAL_FAILURE(StageListOfPrograms(number));
    const std::string root = stage.Path();
    std::ofstream(home.File(".xscreensaver")) << "mode: one\nselected: " << number - 1 << "\n";
    GiveToUser(stage.Path());
    GiveToUser(home.Path());
    GiveToUser(data.home.Path());
    env = {
        {"HOME", home.Path()},
        {"DISPLAY", x->name()},
        {"XFILESEARCHPATH", root + "/etc/X11/app-defaults/%N"},
        {"PATH", root + "/usr/libexec/xscreensaver:" + root + "/usr/bin:/usr/bin:/bin"},
        {"XDG_DATA_HOME", data.home.Path()},
    };
    std::vector<std::string> command = {"unshare",
                                        "-m",
                                        "sh",
                                        "-c",
                                        "mount --bind \"$1\" /usr/share/xscreensaver/config && shift && exec \"$@\"",
                                        "sh",
                                        root + "/usr/share/xscreensaver/config"};
    const auto asUser = AsUser({"xscreensaver-settings"}, env);
    command.insert(command.end(), asUser.begin(), asUser.end());
    const std::string errors = home.File("errors");
    Process settings(command, {}, errors);
    bool previewed = false;
    for (int i = 0; i < 400 && !previewed && settings.Running(); ++i) {
        previewed = ProgramRunsWith("--window-id");
        if (!previewed) std::this_thread::sleep_for(50ms);
    }
    EXPECT_TRUE(previewed) << "the settings did not run Tavrelle's preview";
    if (const char* dir = std::getenv("TAVRELLE_SCREENSHOT_DIR")) {
        // A moment for the preview's first paint: the picture is only looked at.
        std::this_thread::sleep_for(1s);
        x->SavePng(std::string(dir) + "/xscreensaver-settings-preview.png");
    }
    settings.Signal(SIGTERM);
    settings.WaitExit(10s);
    EXPECT_EQ(Bytes(errors).find("tavrelle"), std::string::npos) << Bytes(errors);
}

// mate-screensaver as a new user has it: one theme, Tavrelle's. It takes a
// theme's program only from XScreenSaver's hack folder, so the staged folder
// is mounted over that one for the daemon alone, in a mount namespace of its
// own; its settings come from a key file and it talks on a bus of its own.
class MateScreensaverOnX : public XScreenSaverOnX {
protected:
    std::optional<std::string> MissingSaver() const override {
        if (!HaveProgram("mate-screensaver") || !HaveProgram("mate-screensaver-command"))
            return "mate-screensaver is not installed";
        if (!HaveProgram("dbus-run-session")) return "dbus-run-session is not installed";
        if (::geteuid() != 0 || !HaveProgram("unshare"))
            return "mounting the staged hack folder takes root and unshare";
        if (!std::filesystem::is_directory(kHackFolder)) return "there is no XScreenSaver hack folder to mount over";
        return std::nullopt;
    }

    void StartMateWithTavrelle() {
        ASSERT_NO_FATAL_FAILURE(InstallToStage());
        const std::string root = stage.Path(), hacks = root + kHackFolder;
        // The package's link leads to /usr/bin, where the staged program is not.
        std::filesystem::remove(hacks + "/tavrelle");
        std::filesystem::create_symlink(root + "/usr/bin/tavrelle", hacks + "/tavrelle");
        const std::string settings = home.File(".config/glib-2.0/settings");
        std::filesystem::create_directories(settings);
        std::ofstream(settings + "/keyfile")
            << "[org/mate/screensaver]\nmode='single'\nthemes=['screensavers-tavrelle']\nlock-enabled=false\n";
        // The daemon passes its themes little more than HOME, so the data
        // folder is found where a user's is.
        std::filesystem::create_directories(data.home.File(".local/share"));
        std::filesystem::create_directory_symlink(data.folder.toStdString(), data.home.File(".local/share/Tavrelle"));
        GiveToUser(stage.Path());
        GiveToUser(home.Path());
        GiveToUser(data.home.Path());
        stop = home.File("stop");
        env = {
            {"HOME", data.home.Path()},
            {"DISPLAY", x->name()},
            {"PATH", root + "/usr/bin:/usr/bin:/bin"},
            {"XDG_DATA_HOME", data.home.Path()},
            {"XDG_DATA_DIRS", root + "/usr/share:/usr/share"},
            {"XDG_CONFIG_HOME", home.File(".config")},
            {"XDG_CURRENT_DESKTOP", "MATE"},
            {"GSETTINGS_BACKEND", "keyfile"},
            {"SDL_AUDIODRIVER", "dummy"},
        };
        const std::string session =
            "mate-screensaver --no-daemon & saver=$!\n"
            "for i in $(seq 100); do mate-screensaver-command --query >/dev/null 2>&1 && break; sleep 0.1; done\n"
            "mate-screensaver-command --activate\n"
            "while [ ! -e \"$1\" ]; do sleep 0.1; done\n"
            "kill $saver\n"
            "wait\n";
        std::vector<std::string> command = {
            "unshare", "-m", "sh", "-c", std::string("mount --bind \"$1\" ") + kHackFolder + " && shift && exec \"$@\"",
            "sh",      hacks};
        const auto asUser = AsUser({"dbus-run-session", "--", "sh", "-c", session, "sh", stop}, env);
        command.insert(command.end(), asUser.begin(), asUser.end());
        daemon = std::make_unique<Process>(command, std::map<std::string, std::string>{});
    }

    void StopMate() {
        std::ofstream{stop};
        EXPECT_TRUE(daemon->WaitExit(10s).has_value()) << "mate-screensaver did not end";
    }

    static constexpr const char* kHackFolder = "/usr/libexec/xscreensaver";
    std::string stop;
};

TEST_F(MateScreensaverOnX, WithoutPicturesTheRequestIsDrawnInTheSaversWindow) {
    WritePictureListFile((data.folder + "/Tavrelle_0.rdm").toStdString(), {});
    ASSERT_NO_FATAL_FAILURE(StartMateWithTavrelle());
    ExpectRequestOnTheScreen(*x, "mate-screensaver-no-pictures.png");
    StopMate();
}

// The processes of the program that have the file open.
int ProgramsWithFileOpen(const std::string& file) {
    int count = 0;
    std::error_code ec;
    for (const auto& process : std::filesystem::directory_iterator("/proc", ec)) {
        if (std::filesystem::read_symlink(process.path() / "exe", ec).filename() != "tavrelle") continue;
        for (const auto& fd : std::filesystem::directory_iterator(process.path() / "fd", ec))
            if (std::filesystem::read_symlink(fd.path(), ec) == file) {
                ++count;
                break;
            }
    }
    return count;
}

// XScreenSaver on two monitors starts a copy of the program for each.
class XScreenSaverOnTwoMonitors : public XScreenSaverOnX {
    std::unique_ptr<XvfbSession> Server() override {
        return std::make_unique<XvfbSession>(std::vector<MonitorSize>{{800, 600}, {800, 600}});
    }
};

TEST_F(XScreenSaverOnTwoMonitors, EveryMonitorShowsTheSlideShowAndTheMusicPlaysOnce) {
    const std::string wav = data.home.File("tone.wav");
    ASSERT_TRUE(WriteToneWav(wav, 440, 1));
    data.PlayMusic(wav);
    TempFolder runtime;
    GiveToUser(runtime.Path());
    const std::string sound = runtime.File("sound.raw");
    ASSERT_NO_FATAL_FAILURE(StartSaverWithTavrelle(
        {{"SDL_AUDIODRIVER", "disk"}, {"SDL_DISKAUDIOFILE", sound}, {"XDG_RUNTIME_DIR", runtime.Path()}}));
    EXPECT_TRUE(WaitForPixel(*x, 400, 300, {kRed, kGreen}, 30s)) << "no picture on the first monitor";
    EXPECT_TRUE(WaitForPixel(*x, 1200, 300, {kRed, kGreen}, 30s)) << "no picture on the second monitor";
    if (const char* dir = std::getenv("TAVRELLE_SCREENSHOT_DIR"))
        x->SavePng(std::string(dir) + "/xscreensaver-two-monitors.png");
    std::this_thread::sleep_for(1s);
    EXPECT_EQ(ProgramsWithFileOpen(sound), 1) << "copies that play the music";
    StopSaver();
    // The copies notice that their windows are gone within their watch interval.
    const auto end = std::chrono::steady_clock::now() + 5s;
    while (ProgramsWithFileOpen(sound) != 0 && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(50ms);
    EXPECT_EQ(ProgramsWithFileOpen(sound), 0) << "the music goes on after the saver ended";
}

}  // namespace
}  // namespace tav::test
