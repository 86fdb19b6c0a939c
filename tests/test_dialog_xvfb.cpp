// The settings dialog of the real program on a private X server: "/c" opens
// it centred, a group digit switches the edited group, and "設定" writes the
// files and ends the program. Skipped where Xvfb or xdotool is missing.
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include <thread>

#include "support/storage_temp_folder.h"
#include "support/xvfb_session.h"

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
    QTemporaryDir home;
    const std::string data = home.path().toStdString() + "/Tavrelle";
    // The opening animation grows from the pointer; with the pointer over the
    // empty picture list, a white pixel there means the animation is over.
    RunCommand({"xdotool", "mousemove", "400", "300"}, {{"DISPLAY", x.name()}});
    Process dialog({ProgramPath("tavrelle"), "/c"},
                   {{"DISPLAY", x.name()}, {"XDG_DATA_HOME", home.path().toStdString()}, {"QT_QPA_PLATFORM", "xcb"}});

    // The title strip is drawn over the black screen once the dialog is up.
    const auto end = std::chrono::steady_clock::now() + 30s;
    bool shown = false;
    while (!shown && std::chrono::steady_clock::now() < end) {
        shown = x.Pixel(kLeft + 300, kTop + 10) != 0 && x.Pixel(kLeft + 300, kTop + 480) != 0 &&
                x.Pixel(400, 300) == 0xFFFFFFu;
        if (!shown) std::this_thread::sleep_for(50ms);
    }
    ASSERT_TRUE(shown) << "no dialog in the middle of the screen";
    EXPECT_EQ(x.Pixel(kLeft - 2, kTop + 10), 0u) << "nothing left of the window";
    if (const char* dir = std::getenv("TAVRELLE_SCREENSHOT_DIR")) x.SavePng(std::string(dir) + "/settings.png");

    Click(x, 220, 44);   // group digit 2
    Click(x, 410, 462);  // "設定"
    ASSERT_EQ(dialog.WaitExit(30s), 0) << "saving ends the program";
    const auto record = tav::testing::ReadBytes(data + "/Tavrelle_S.rdm");
    ASSERT_EQ(record.size(), 224u);
    EXPECT_EQ(record[0], 2) << "the shown group becomes the default";
    EXPECT_NE(tav::testing::ReadText(data + "/Tavrelle.ini").find("半透明_9=200"), std::string::npos);
}

}  // namespace
}  // namespace tav::test
