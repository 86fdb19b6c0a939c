#pragma once
// A private X server for tests that drive the real program: Xvfb on a free
// display, processes started against it, and pixels read back from it.

#include <sys/types.h>

#include <QImage>
#include <QRect>

#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "testmedia/TempFolder.h"

namespace tav::test {

struct MonitorSize {
    int width = 0, height = 0;
};

class XvfbSession {
public:
    // Starts Xvfb with one screen of the given size; ok() is false when Xvfb is missing.
    // `serverOptions` go to Xvfb as well (such as "-extension", "MIT-SHM").
    XvfbSession(int width, int height, const std::vector<std::string>& serverOptions = {});
    // Starts Xorg with its dummy video driver, one output per monitor, side by
    // side from the left and the first one primary: Xvfb keeps no RandR
    // monitors, so Qt would see one screen there. Sizes must be common modes
    // (640x480, 800x600, 1024x768). ok() is false when Xorg or the driver is
    // missing or may not start (it needs root).
    explicit XvfbSession(const std::vector<MonitorSize>& monitors);
    ~XvfbSession();
    bool ok() const { return display_ != nullptr; }
    const std::string& name() const { return name_; }

    // A plain top-level window, mapped, filled black; returns its id.
    unsigned long CreateWindow(int x, int y, int width, int height);
    void DestroyWindow(unsigned long id);
    // 0x00RRGGBB of a pixel of the root window (the screen) or of a window.
    unsigned Pixel(int x, int y, unsigned long window = 0);
    void SavePng(const std::string& path);
    // Whether a top-level window of that title is mapped and viewable.
    bool ShowsWindowTitled(const std::string& title);
    // How many top-level windows are mapped and viewable.
    int ViewableTopLevelWindows();
    // The place on the screen of such a window (title from _NET_WM_NAME, else WM_NAME).
    std::optional<QRect> WindowTitled(const std::string& title);
    // Viewable top-level windows that bypass the window manager: menus,
    // tooltips, the outline of an opening animation.
    int ViewablePopups();
    // A 32-bit property of the first top-level window that has it.
    std::optional<unsigned long> TopLevelCardinal(const std::string& property);
    // A part of the screen as 0xFFRRGGBB pixels; a null image when it cannot be read.
    QImage Grab(int x, int y, int width, int height);
    // Switches a monitor of the dummy server off or back on, as closing a
    // laptop's lid or plugging in a projector would.
    void SetMonitor(int index, bool on);

private:
    bool Connect(const std::vector<std::string>& serverCommand);

    pid_t server_ = -1;
    std::unique_ptr<TempFolder> configFolder_;
    std::vector<MonitorSize> monitors_;
    void* display_ = nullptr;
    std::string name_;
};

// A process of the program under test, killed when it goes out of scope.
class Process {
public:
    // With errorFile, the process's standard error is written to that file.
    Process(const std::vector<std::string>& args, const std::map<std::string, std::string>& env,
            const std::string& errorFile = {});
    ~Process();
    bool started() const { return pid_ > 0; }
    // The exit status once the process has ended, waiting at most `limit`.
    std::optional<int> WaitExit(std::chrono::milliseconds limit);
    bool Running();
    void Signal(int signal);
    // Threads of the process now; 0 when it cannot be told.
    int Threads() const;

private:
    pid_t pid_ = -1;
    std::optional<int> status_;
};

std::string ProgramPath(const std::string& name);  // in the build folder
bool HaveProgram(const std::string& name);         // on PATH
void RunCommand(const std::vector<std::string>& args, const std::map<std::string, std::string>& env);

}  // namespace tav::test
