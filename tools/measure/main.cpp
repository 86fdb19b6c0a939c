// Figures of the slide show on a real X server, measured as ratios or
// against the process itself, never asserted in tests:
//
//   tavrelle-measure transition N   effect N on the whole screen at speed 2:
//                                   wall time of the transition against its sleeps
//   tavrelle-measure exit TAVRELLE  key press in mid-transition to the end of the process
//   tavrelle-measure idle TAVRELLE  CPU while a 10-second interval passes, and peak memory
//
// The data folder is a throw-away one under /tmp; DISPLAY must name the server.

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <QTimer>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "engine/ShowWindow.h"
#include "startup/SharedState.h"
#include "storage/PictureListFile.h"
#include "storage/Settings.h"
#include "storage/SettingsRecord.h"

extern char** environ;

namespace tav {
namespace {

using Clock = std::chrono::steady_clock;

// Two full-screen photos-like pictures in group 0, shown on the whole screen.
std::vector<std::string> MakePictures(const QString& dir) {
    std::vector<std::string> paths;
    for (int k = 0; k < 2; ++k) {
        QImage img(1920, 1080, QImage::Format_RGB32);
        for (int y = 0; y < img.height(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
            for (int x = 0; x < img.width(); ++x)
                row[x] = k ? qRgb(x / 8, 100 + y / 8, 200) : qRgb(230, (x + y) / 12, y / 5);
        }
        const QString path = dir + QString("/photo%1.jpg").arg(k);
        img.save(path, "JPEG", 90);
        paths.push_back(path.toStdString());
    }
    return paths;
}

void WriteData(const QString& home, int interval, int speed = 2) {
    const QString folder = home + "/Tavrelle";
    QDir().mkpath(folder);
    SaverSettingsData s;
    s.Groups[0].AreaSize = 3;
    s.Groups[0].IntervalSeconds = static_cast<std::int16_t>(interval);
    s.Groups[0].EffectSpeed = static_cast<std::int16_t>(speed);
    s.Groups[0].Opacity = 255;
    WriteSettingsRecord((folder + "/Tavrelle_S.rdm").toStdString(), s);
    WritePictureListFile((folder + "/Tavrelle_0.rdm").toStdString(), MakePictures(home));
}

int Transition(int argc, char** argv, int effect) {
    QApplication app(argc, argv);
    QTemporaryDir home;
    WriteData(home.path(), 10);
    SetDataFolderOverride((home.path() + "/Tavrelle").toStdString());
    DataFolder = DataFolderLocation();
    LoadSettings();
    SelectGroup(0);
    PictureList.Assign(ReadPictureListFile(DataFile(PictureListFileName(0))));
    Tavrelle_S window(SaverOptions{'S', 0});
    window.effectHost().EffectNumber = static_cast<std::int16_t>(effect - 1);
    window.Start();
    // The pictures are composed on worker threads; the first transition runs
    // from the slide timer once both are ready.
    while (window.slideShow().TransitionCount() == 0 && !window.Ended())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    const double wall = window.slideShow().LastTransitionMs();
    const long long sleeps = window.effectHost().requestedSleepMs;
    std::printf("effect %d at %dx%d speed %d: transition %.1f ms, sleeps %lld ms, ratio %.3f\n", effect,
                Current.AreaWidth, Current.AreaHeight, Current.EffectSpeed, wall, sleeps,
                sleeps > 0 ? wall / sleeps : 0.0);
    window.ExitShow();
    // The next picture may still be composing on its worker thread; as in
    // the program itself, it is not waited for.
    std::fflush(nullptr);
    ::_exit(0);
}

pid_t Spawn(std::vector<std::string> args, const std::string& home) {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) env.emplace_back(*e);
    env.push_back("XDG_DATA_HOME=" + home);
    env.push_back("SDL_AUDIODRIVER=dummy");
    std::vector<char*> argv, envp;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), envp.data()) != 0) {
        std::fprintf(stderr, "tavrelle-measure: cannot start %s\n", argv[0]);
        std::exit(1);
    }
    return pid;
}

long long CpuTicks(pid_t pid) {
    std::ifstream f("/proc/" + std::to_string(pid) + "/stat");
    std::string s((std::istreambuf_iterator<char>(f)), {});
    if (s.rfind(')') == std::string::npos || s.rfind(')') + 2 > s.size()) {
        std::fprintf(stderr, "tavrelle-measure: process %d has ended\n", static_cast<int>(pid));
        std::exit(1);
    }
    std::istringstream in(s.substr(s.rfind(')') + 2));
    std::string field;
    long long utime = 0, stime = 0;
    for (int i = 3; i <= 15 && in >> field; ++i) {
        if (i == 14) utime = std::stoll(field);
        if (i == 15) stime = std::stoll(field);
    }
    return utime + stime;
}

std::string PeakMemory(pid_t pid) {
    std::ifstream f("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(f, line))
        if (line.rfind("VmHWM:", 0) == 0) return line.substr(6);
    return "?";
}

int Exit(const std::string& program) {
    QTemporaryDir home;
    WriteData(home.path(), 0);  // transitions back to back
    double worst = 0, total = 0;
    const int runs = 5;
    for (int i = 0; i < runs; ++i) {
        pid_t pid = Spawn({program, "/s"}, home.path().toStdString());
        std::this_thread::sleep_for(std::chrono::milliseconds(2500 + 137 * i));
        const auto t0 = Clock::now();
        pid_t key = Spawn({"xdotool", "key", "a"}, home.path().toStdString());
        waitpid(pid, nullptr, 0);
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
        waitpid(key, nullptr, 0);
        worst = std::max(worst, ms);
        total += ms;
    }
    std::printf("key press to end of process (xdotool start included): mean %.1f ms, worst %.1f ms over %d runs\n",
                total / runs, worst, runs);
    return 0;
}

int Idle(const std::string& program) {
    QTemporaryDir home;
    WriteData(home.path(), 10, 24);
    pid_t pid = Spawn({program, "/s"}, home.path().toStdString());
    // Let the first transition (effect 1, fast) finish, then watch the quiet rest of the interval.
    std::this_thread::sleep_for(std::chrono::seconds(4));
    const long long before = CpuTicks(pid);
    const auto t0 = Clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(5));
    const long long after = CpuTicks(pid);
    const double seconds = std::chrono::duration<double>(Clock::now() - t0).count();
    const double percent = 100.0 * (after - before) / sysconf(_SC_CLK_TCK) / seconds;
    std::printf("CPU while waiting for the next slide: %.2f %% over %.1f s; peak memory:%s\n", percent, seconds,
                PeakMemory(pid).c_str());
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    return 0;
}

}  // namespace
}  // namespace tav

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "transition" && argc > 2) return tav::Transition(argc, argv, std::atoi(argv[2]));
    if (mode == "exit" && argc > 2) return tav::Exit(argv[2]);
    if (mode == "idle" && argc > 2) return tav::Idle(argv[2]);
    std::fprintf(stderr, "usage: tavrelle-measure transition N | exit TAVRELLE | idle TAVRELLE\n");
    return 2;
}
