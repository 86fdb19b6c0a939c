// Key press to the end of the show's process, in the states where a picture
// holds things up:
//   pipe   the list is pipe, picture, pipe, picture: a pipe never delivers
//   50mp   a 50-megapixel photo shown at its natural size, composed on the
//          worker thread while the key comes
// The key is sent through XTEST from this process (no helper program's
// start-up in the figure), at several moments after the start, so that it
// falls before the first picture, while a picture is composed and in
// mid-transition. Also prints the show's peak memory.
//   tavrelle-exit-latency TAVRELLE [pipe|50mp]    (DISPLAY names the X server)
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QTemporaryDir>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "startup/SharedState.h"
#include "storage/PictureListFile.h"
#include "storage/SettingsRecord.h"
#include "x11/X11Windows.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

std::string Picture(const QString& dir, const char* name, int w, int h, QRgb colour) {
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < w; ++x) row[x] = colour ^ qRgb(x & 0x3F, y & 0x3F, (x ^ y) & 0x3F);
    }
    const QString path = dir + "/" + name;
    img.save(path, "JPEG", 85);
    return path.toStdString();
}

std::string PeakMemory(pid_t pid) {
    std::ifstream f("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(f, line))
        if (line.rfind("VmHWM:", 0) == 0) return line.substr(6);
    return " ?";
}

// The show's data folder under home: the picture list for the case and
// settings that show one picture at a time without pause.
void WriteProfile(const QString& home, const std::string& which) {
    const QString folder = home + "/Tavrelle";
    QDir().mkpath(folder);
    std::vector<std::string> list;
    tav::SaverSettingsData settings;
    settings.Groups[0].AreaSize = 3;
    settings.Groups[0].IntervalSeconds = 0;
    settings.Groups[0].Opacity = 255;
    if (which == "50mp") {
        settings.Groups[0].FitMode = 0;  // natural size: the whole photo is decoded
        list = {Picture(home, "big.jpg", 8660, 5774, qRgb(200, 40, 40)),
                Picture(home, "small.jpg", 640, 480, qRgb(40, 200, 40))};
    } else {
        const std::string pipe = (home + "/pipe.jpg").toStdString();
        ::mkfifo(pipe.c_str(), 0600);
        list = {pipe, Picture(home, "a.jpg", 1280, 720, qRgb(200, 40, 40)), pipe,
                Picture(home, "b.jpg", 1280, 720, qRgb(40, 200, 40))};
    }
    tav::WritePictureListFile((folder + "/Tavrelle_0.rdm").toStdString(), list);
    tav::WriteSettingsRecord((folder + "/Tavrelle_S.rdm").toStdString(), settings);
}

// Our own environment for the show, with its data under home and its window
// on the X server.
std::vector<std::string> ShowEnvironment(const QString& home) {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        if (entry.rfind("QT_QPA_PLATFORM=", 0) != 0 && entry.rfind("XDG_DATA_HOME=", 0) != 0) env.push_back(entry);
    }
    env.push_back("XDG_DATA_HOME=" + home.toStdString());
    env.push_back("SDL_AUDIODRIVER=dummy");
    env.push_back("QT_QPA_PLATFORM=xcb");
    return env;
}

// What each start of the show needs: the program, its environment, the X
// connection the key goes through, and the case's name for the report.
struct Show {
    std::string program;
    char** envp;
    Display* x;
    KeyCode key;
    std::string which;
};

// Starts the show, sends the key delay ms after its window appears and
// returns the milliseconds until the process ended; a negative figure when
// the show could not be started. peak receives its peak memory at the key.
double KeyToExit(const Show& show, int delay, std::string& peak) {
    std::string arg0 = show.program, arg1 = "/s";
    char* args[] = {arg0.data(), arg1.data(), nullptr};
    pid_t pid = -1;
    if (posix_spawn(&pid, args[0], nullptr, nullptr, args, show.envp) != 0) return -1;
    // The key counts from the moment the show's window is there.
    const auto shown = Clock::now() + std::chrono::seconds(20);
    while (!tav::TopLevelWindowTitled({"Tavrelle_Main"}) && Clock::now() < shown)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    std::this_thread::sleep_for(std::chrono::milliseconds(delay));
    peak = PeakMemory(pid);
    const auto t0 = Clock::now();
    XTestFakeKeyEvent(show.x, show.key, True, CurrentTime);
    XTestFakeKeyEvent(show.x, show.key, False, CurrentTime);
    XFlush(show.x);
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (Clock::now() - t0 > std::chrono::seconds(10)) {
            std::printf("%s: the process did not end within 10 s of the key\n", show.which.c_str());
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: tavrelle-exit-latency TAVRELLE [pipe|50mp]\n");
        return 2;
    }
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const std::string program = argv[1];
    const std::string which = argc > 2 ? argv[2] : "pipe";
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    Display* x = XOpenDisplay(nullptr);
    if (!x) {
        std::fprintf(stderr, "tavrelle-exit-latency: no X display\n");
        return 1;
    }
    QTemporaryDir home;
    WriteProfile(home.path(), which);
    std::vector<std::string> env = ShowEnvironment(home.path());
    std::vector<char*> envp;
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    const Show show{program, envp.data(), x, XKeysymToKeycode(x, XStringToKeysym("a")), which};

    double worst = 0, total = 0;
    std::string peak;
    // After the window appears: before the first picture, while pictures are
    // composed, in mid-transition.
    const int delays[] = {0, 20, 60, 150, 300, 600, 1000, 1500, 2200, 3000};
    for (int delay : delays) {
        const double ms = KeyToExit(show, delay, peak);
        if (ms < 0) return 1;
        std::printf("%s: key %5d ms after the window: process ended %6.1f ms later (peak memory so far%s)\n",
                    which.c_str(), delay, ms, peak.c_str());
        worst = std::max(worst, ms);
        total += ms;
    }
    std::printf("%s: key to end of process: mean %.1f ms, worst %.1f ms over %zu starts\n", which.c_str(),
                total / std::size(delays), worst, std::size(delays));
    XCloseDisplay(x);
    return 0;
}
