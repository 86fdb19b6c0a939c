// The settings dialog of the real program on a private X server: "/c" opens
// it centred, a group digit switches the edited group, and "設定" writes the
// files and ends the program. Skipped where Xvfb or xdotool is missing.
#include <gtest/gtest.h>

#include <QDir>

#include <map>
#include <optional>

#include <thread>

#include "support/storage_temp_folder.h"
#include "support/xvfb_session.h"
#include "testmedia/TempFolder.h"

namespace tav::test {
namespace {

using namespace std::chrono_literals;

constexpr int kScreenW = 800, kScreenH = 600;
// The window's top-left corner: 577 × 493, centred.
constexpr int kLeft = (kScreenW - 577) / 2, kTop = (kScreenH - 493) / 2;

void Click(const XvfbSession& x, int windowX, int windowY) {
    RunCommand({"xdotool", "mousemove", std::to_string(kLeft + windowX), std::to_string(kTop + windowY), "click", "1"},
               {{"DISPLAY", x.name()}});
}

TEST(SettingsDialogOnX, OpensCentredAndSavesTheChosenGroup) {
    if (!HaveProgram("xdotool")) GTEST_SKIP() << "xdotool is not installed";
    XvfbSession x{kScreenW, kScreenH};
    if (!x.ok()) GTEST_SKIP() << "Xvfb is not installed";
    TempFolder home;
    const std::string data = home.File("Tavrelle");
    // The opening animation grows from the pointer; with the pointer over the
    // empty picture list, a white pixel there means the animation is over.
    RunCommand({"xdotool", "mousemove", "400", "300"}, {{"DISPLAY", x.name()}});
    Process dialog({ProgramPath("tavrelle"), "/c"},
                   {{"DISPLAY", x.name()}, {"XDG_DATA_HOME", home.Path()}, {"QT_QPA_PLATFORM", "xcb"}});

    // The title strip is drawn over the black screen once the dialog is up.
    const auto end = std::chrono::steady_clock::now() + 30s;
    bool shown = false;
    while (!shown && std::chrono::steady_clock::now() < end) {
        shown = x.Pixel(kLeft + 300, kTop + 10) != 0 && x.Pixel(kLeft + 300, kTop + 480) != 0 &&
                x.Pixel(400, 300) == 0xFFFFFFu;
        if (!shown) std::this_thread::sleep_for(50ms);
    }
    ASSERT_TRUE(shown) << "no dialog in the middle of the screen";
    // Exactly centred: the corner pixel is the window's, its neighbours outside are not.
    EXPECT_TRUE(x.Pixel(kLeft, kTop) != 0 && x.Pixel(kLeft - 1, kTop) == 0 && x.Pixel(kLeft, kTop - 1) == 0)
        << "the window's top-left corner is not at " << kLeft << ", " << kTop;
    if (const char* dir = std::getenv("TAVRELLE_SCREENSHOT_DIR")) x.SavePng(std::string(dir) + "/settings.png");

    Click(x, 220, 44);   // group digit 2
    Click(x, 410, 462);  // "設定"
    ASSERT_EQ(dialog.WaitExit(30s), 0) << "saving ends the program";
    const auto record = ReadBytes(data + "/Tavrelle_S.rdm");
    ASSERT_EQ(record.size(), 224u);
    EXPECT_EQ(record[0], 2) << "the shown group becomes the default";
    EXPECT_NE(ReadText(data + "/Tavrelle.ini").find("半透明_9=200"), std::string::npos);
}

// The title strip of the dialog, 577 × 20 times the scale, on a screen of
// 800 × 600 times the scale with QT_SCALE_FACTOR set to it; a null image when
// the dialog does not come up. `size` receives the window's size in device pixels.
QImage TitleStripAtScale(int scale, QSize& size) {
    XvfbSession x{scale * kScreenW, scale * kScreenH};
    if (!x.ok()) return {};
    TempFolder home;
    const int centreX = scale * kScreenW / 2, centreY = scale * kScreenH / 2;
    RunCommand({"xdotool", "mousemove", std::to_string(centreX), std::to_string(centreY)}, {{"DISPLAY", x.name()}});
    Process dialog({ProgramPath("tavrelle"), "/c"}, {{"DISPLAY", x.name()},
                                                     {"XDG_DATA_HOME", home.Path()},
                                                     {"QT_QPA_PLATFORM", "xcb"},
                                                     {"QT_SCALE_FACTOR", std::to_string(scale)}});
    const int left = scale * kLeft, top = scale * kTop;
    const auto end = std::chrono::steady_clock::now() + 30s;
    bool shown = false;
    while (!shown && std::chrono::steady_clock::now() < end) {
        shown = x.Pixel(left + scale * 300, top + scale * 10) != 0 &&
                x.Pixel(left + scale * 300, top + scale * 480) != 0 && x.Pixel(centreX, centreY) == 0xFFFFFFu;
        if (!shown) std::this_thread::sleep_for(50ms);
    }
    if (!shown) return {};
    if (const char* dir = std::getenv("TAVRELLE_SCREENSHOT_DIR"))
        x.SavePng(std::string(dir) + "/settings-scale" + std::to_string(scale) + ".png");
    // The window ends where the black screen begins.
    int w = 0, h = 0;
    while (w < scale * kScreenW - left && x.Pixel(left + w, top + scale * 300) != 0) ++w;
    while (h < scale * kScreenH - top && x.Pixel(left + scale * 300, top + h) != 0) ++h;
    size = QSize(w, h);
    return x.Grab(left, top, scale * 577, scale * 20);
}

// Pixels of a that differ from b by more than a little in some channel.
int Differing(const QImage& a, const QImage& b) {
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            n += std::abs(qRed(p) - qRed(q)) > 24 || std::abs(qGreen(p) - qGreen(q)) > 24 ||
                 std::abs(qBlue(p) - qBlue(q)) > 24;
        }
    return n;
}

// With a device pixel ratio of 2 the dialog is twice its size, and the
// pictures drawn in code are drawn at the device resolution: the title strip
// is not the one of scale 1 enlarged, neither pixel by pixel nor smoothly.
TEST(SettingsDialogOnX, ScalesAsAWholeWithSharpPicturesOnHiDpi) {
    if (!HaveProgram("xdotool")) GTEST_SKIP() << "xdotool is not installed";
    QSize size1, size2;
    const QImage strip1 = TitleStripAtScale(1, size1);
    if (strip1.isNull() && !XvfbSession(8, 8).ok()) GTEST_SKIP() << "Xvfb is not installed";
    const QImage strip2 = TitleStripAtScale(2, size2);
    ASSERT_FALSE(strip1.isNull() || strip2.isNull()) << "the dialog does not come up";
    EXPECT_EQ(size1, QSize(577, 493));
    EXPECT_EQ(size2, QSize(1154, 986));
    // The title picture right of the caption: an enlargement of the scale-1
    // one would differ from it only by the enlarging method's rounding.
    const QRect part(200, 0, 340, 20);
    const QImage one = strip1.copy(part);
    const QImage two = strip2.copy(QRect(part.topLeft() * 2, part.size() * 2));
    for (auto mode : {Qt::FastTransformation, Qt::SmoothTransformation})
        EXPECT_GT(Differing(two, one.scaled(two.size(), Qt::IgnoreAspectRatio, mode)), 500)
            << "the title picture is the scale-1 one enlarged "
            << (mode == Qt::FastTransformation ? "pixel by pixel" : "smoothly");
}

// A window of the title once it is up, the outline of its opening animation
// has gone and its picture has stopped changing: its place on the screen, or
// nothing.
std::optional<QRect> SettledWindow(XvfbSession& x, const std::string& title) {
    const auto end = std::chrono::steady_clock::now() + 30s;
    QImage last;
    while (std::chrono::steady_clock::now() < end) {
        const std::optional<QRect> place = x.WindowTitled(title);
        if (place && x.ViewablePopups() == 0) {
            const QImage now = x.Grab(place->x(), place->y(), place->width(), place->height());
            if (!now.isNull() && now == last) return place;
            last = now;
        } else {
            last = QImage();
        }
        std::this_thread::sleep_for(100ms);
    }
    return std::nullopt;
}

void ClickOn(const XvfbSession& x, const QRect& window, int windowX, int windowY) {
    RunCommand({"xdotool", "mousemove", std::to_string(window.x() + windowX), std::to_string(window.y() + windowY),
                "click", "1"},
               {{"DISPLAY", x.name()}});
}

// The program started on a desktop of each language shows that language in
// its windows: the settings dialog, the schedule dialog and the folder
// chooser it opens, and the message of a show without pictures. With
// TAVRELLE_SCREENSHOT_DIR set, each is written there as <window>-<language>.png.
TEST(DialogsOnX, FollowTheDesktopsLanguage) {
    if (!HaveProgram("xdotool")) GTEST_SKIP() << "xdotool is not installed";
    struct Desktop {
        const char* lang;
        const char* tag;
        const char* settings;
        const char* otherSettings;
        const char* schedule;
        const char* folder;
    };
    const Desktop desktops[] = {
        {"ja_JP.UTF-8", "ja", "Tavrelleの設定", "Tavrelle settings", "曜日・時刻で設定",
         "フォルダーをクリックして選択状態にしてから ＯＫ を押してください"},
        {"en_US.UTF-8", "en", "Tavrelle settings", "Tavrelleの設定", "Schedule",
         "Click a folder to select it, then press OK"},
    };
    const char* shots = std::getenv("TAVRELLE_SCREENSHOT_DIR");
    for (const Desktop& desktop : desktops) {
        SCOPED_TRACE(desktop.lang);
        XvfbSession x{kScreenW, kScreenH};
        if (!x.ok()) GTEST_SKIP() << "Xvfb is not installed";
        auto shoot = [&](const std::string& name) {
            if (shots) x.SavePng(std::string(shots) + "/" + name + "-" + desktop.tag + ".png");
        };
        TempFolder home;
        // Only LANG speaks: the override and the variables before it are empty.
        const std::map<std::string, std::string> env = {{"DISPLAY", x.name()},
                                                        {"XDG_DATA_HOME", home.Path()},
                                                        {"QT_QPA_PLATFORM", "xcb"},
                                                        {"LANG", desktop.lang},
                                                        {"TAVRELLE_LANG", ""},
                                                        {"LANGUAGE", ""},
                                                        {"LC_ALL", ""},
                                                        {"LC_MESSAGES", ""}};
        RunCommand({"xdotool", "mousemove", "400", "300"}, {{"DISPLAY", x.name()}});
        {
            Process dialog({ProgramPath("tavrelle"), "/c"}, env);
            const std::optional<QRect> settings = SettledWindow(x, desktop.settings);
            ASSERT_TRUE(settings) << "no window titled " << desktop.settings;
            EXPECT_FALSE(x.ShowsWindowTitled(desktop.otherSettings));
            shoot("settings");

            ClickOn(x, *settings, 238, 462);  // the schedule command
            std::optional<QRect> schedule = SettledWindow(x, desktop.schedule);
            ASSERT_TRUE(schedule) << "no window titled " << desktop.schedule;
            // The three modes; in the third a weekday shows its hours.
            const int modeX[3] = {92, 184, 276};
            for (int mode = 1; mode <= 3; ++mode) {
                ClickOn(x, *schedule, modeX[mode - 1] + 6, 42);
                if (mode == 3) ClickOn(x, *schedule, 50, 100);
                schedule = SettledWindow(x, desktop.schedule);
                ASSERT_TRUE(schedule);
                shoot("schedule-mode" + std::to_string(mode));
            }
            ClickOn(x, *schedule, 354, 352);  // its cancel button
            const auto closed = std::chrono::steady_clock::now() + 30s;
            while (x.ShowsWindowTitled(desktop.schedule) && std::chrono::steady_clock::now() < closed)
                std::this_thread::sleep_for(50ms);

            ClickOn(x, *settings, 368, 238);  // the folder command
            ASSERT_TRUE(SettledWindow(x, desktop.folder)) << "no folder chooser titled " << desktop.folder;
            shoot("folder");
        }
        {
            // A first start has no pictures: the show says so in a message box.
            Process show({ProgramPath("tavrelle"), "/s"}, env);
            ASSERT_TRUE(SettledWindow(x, "Tavrelle")) << "no message box";
            shoot("message");
        }
    }
}

}  // namespace
}  // namespace tav::test
