// Figures of the slide show on a real X server, measured as ratios or
// against the process itself, never asserted in tests:
//
//   tavrelle-measure transition N     effect N on the whole screen at speed 2: frames,
//                                     wall time of the transition against its sleeps, CPU
//   tavrelle-measure table [FIRST LAST]  the same for every effect, as one table
//   tavrelle-measure exit TAVRELLE [big|pipe]  key press in mid-show to the end of the
//                                     process; with big, while a 50-megapixel photo is being
//                                     composed; with pipe, while every other picture is a pipe
//                                     that never delivers
//   tavrelle-measure first TAVRELLE   start to the first picture on screen, against
//                                     feh --fullscreen with the same 13-megapixel photo
//   tavrelle-measure idle TAVRELLE    CPU while a 10-second interval passes, and peak memory
//
// The data folder is a throw-away one under /tmp; DISPLAY must name the server.
// TAVRELLE_SERVER_PID, when set, names the X server, whose CPU is counted too.

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <QTimer>

#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "engine/ShowWindow.h"
#include "measure/XClient.h"
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

// A photo-like picture of the given size: smooth shading with fine grain, and
// a flat orange disc in the middle that tells when it is on the screen.
QString MakePhoto(const QString& dir, const QString& name, int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    std::uint32_t grain = 12345;
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const double dx = (x - w / 2.0) / h, dy = (y - h / 2.0) / h;
            grain = grain * 1664525u + 1013904223u;
            const int n = static_cast<int>(grain >> 28);
            row[x] = dx * dx + dy * dy < 0.04 ? qRgb(240, 140, 40)
                                              : qRgb(40 + 100 * x / w + n, 60 + 120 * y / h + n, 150 + n);
        }
    }
    const QString path = dir + "/" + name;
    img.save(path, "JPEG", 92);
    return path;
}

bool LooksOrange(std::uint32_t p) {
    const int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
    return std::abs(r - 240) < 40 && std::abs(g - 140) < 40 && std::abs(b - 40) < 40;
}

void WriteData(const QString& home, int interval, int speed = 2, std::vector<std::string> pictures = {}) {
    const QString folder = home + "/Tavrelle";
    QDir().mkpath(folder);
    SaverSettingsData s;
    s.Groups[0].AreaSize = 3;
    s.Groups[0].IntervalSeconds = static_cast<std::int16_t>(interval);
    s.Groups[0].EffectSpeed = static_cast<std::int16_t>(speed);
    s.Groups[0].Opacity = 255;
    WriteSettingsRecord((folder + "/Tavrelle_S.rdm").toStdString(), s);
    if (pictures.empty()) pictures = MakePictures(home);
    WritePictureListFile((folder + "/Tavrelle_0.rdm").toStdString(), pictures);
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

long long ServerTicks() {
    const char* pid = std::getenv("TAVRELLE_SERVER_PID");
    return pid ? CpuTicks(static_cast<pid_t>(std::atoi(pid))) : 0;
}

// One transition of effect `effect` in this process. The last line is one
// row of the table: effect, frames, sleeps, wall, CPU of the show's thread and
// CPU of the X server, times in milliseconds.
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
    const long long serverBefore = ServerTicks();
    window.Start();
    // The pictures are composed on worker threads; the first transition runs
    // from the slide timer once both are ready.
    while (window.slideShow().TransitionCount() == 0 && !window.Ended())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    const double serverMs = 1000.0 * (ServerTicks() - serverBefore) / sysconf(_SC_CLK_TCK);
    const double wall = window.slideShow().LastTransitionMs();
    const double cpu = window.slideShow().LastTransitionCpuMs();
    const long long sleeps = window.effectHost().requestedSleepMs;
    // A paint straight to the window counts as a frame: it is one step of the
    // picture the eye sees, and the routine that paints so has no others.
    const long long direct = window.effectHost().directPaints;
    const long long frames = window.effectHost().frames + direct;
    std::printf(
        "effect %d at %dx%d speed %d: %lld frames (%lld of them painted straight to the window), transition %.1f "
        "ms, sleeps %lld ms, ratio %.3f, %.2f ms more than the sleeps per frame, CPU %.2f ms per frame\n",
        effect, Current.AreaWidth, Current.AreaHeight, Current.EffectSpeed, frames, direct, wall, sleeps,
        sleeps > 0 ? wall / sleeps : 0.0, frames ? (wall - sleeps) / frames : 0.0, frames ? cpu / frames : 0.0);
    std::printf("row %d %lld %lld %.1f %.1f %.1f\n", effect, frames, sleeps, wall, cpu, serverMs);
    window.ExitShow();
    // The next picture may still be composing on its worker thread; as in
    // the program itself, it is not waited for.
    std::fflush(nullptr);
    ::_exit(0);
}

std::string SelfPath() {
    char path[4096];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    return n > 0 ? std::string(path, static_cast<std::size_t>(n)) : "tavrelle-measure";
}

// Every effect in its own process, one after the other, as one table.
int Table(const std::string& self, int first, int last) {
    struct Row {
        int effect = 0;
        long long frames = 0, sleeps = 0;
        double wall = 0, cpu = 0, server = 0;
        double perFrame() const { return frames ? (wall - sleeps) / frames : 0; }
    };
    std::vector<Row> rows;
    std::printf(
        "| Effect | Frames | Sleeps ms | Wall ms | Wall / sleeps | Over the sleeps, ms per frame "
        "| Show CPU ms per frame | X server CPU ms per frame |\n|---|---|---|---|---|---|---|---|\n");
    for (int n = first; n <= last; ++n) {
        Row r;
        FILE* out = popen((self + " transition " + std::to_string(n)).c_str(), "r");
        char line[512];
        while (out && std::fgets(line, sizeof line, out))
            std::sscanf(line, "row %d %lld %lld %lf %lf %lf", &r.effect, &r.frames, &r.sleeps, &r.wall, &r.cpu,
                        &r.server);
        if (out) pclose(out);
        if (r.effect != n) {
            std::printf("| %d | failed |||||||\n", n);
            continue;
        }
        const double f = static_cast<double>(std::max(r.frames, 1LL));
        std::printf("| %d | %lld | %lld | %.0f | %.3f | %.2f | %.2f | %.2f |\n", n, r.frames, r.sleeps, r.wall,
                    r.sleeps ? r.wall / r.sleeps : 0.0, r.perFrame(), r.cpu / f, r.server / f);
        std::fflush(stdout);
        rows.push_back(r);
    }
    std::sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) { return a.perFrame() > b.perFrame(); });
    std::printf("\nWorst by time over the sleeps per frame:");
    for (std::size_t i = 0; i < rows.size() && i < 5; ++i)
        std::printf(" %d (%.2f ms)", rows[i].effect, rows[i].perFrame());
    std::printf("\nFrames include paints straight to the window, each a step the eye sees.\n");
    return 0;
}

// Key press (through XTEST, so no helper program starts in between) to the end
// of the show's process. Transitions follow one another at once; with "big"
// every other slide is a 50-megapixel photo, so a photo is always being
// composed, and with "pipe" every other picture is a pipe that never delivers.
int Exit(const std::string& program, const std::string& which) {
    const bool big = which == "big";
    XClient x;
    if (!x.ok()) {
        std::fprintf(stderr, "tavrelle-measure: no X server with the XTEST extension\n");
        return 1;
    }
    QTemporaryDir home;
    std::vector<std::string> pictures;
    if (big) {
        const std::string photo = MakePhoto(home.path(), "small.jpg", 1920, 1080).toStdString();
        const std::string huge = MakePhoto(home.path(), "huge.jpg", 8660, 5774).toStdString();
        pictures = {photo, huge, photo, huge};
    } else if (which == "pipe") {
        const std::string photo = MakePhoto(home.path(), "photo.jpg", 1280, 720).toStdString();
        const std::string pipe = (home.path() + "/pipe.jpg").toStdString();
        ::mkfifo(pipe.c_str(), 0600);
        pictures = {pipe, photo, pipe, photo};
    }
    WriteData(home.path(), 0, 2, pictures);  // transitions back to back
    std::vector<double> times;
    const int runs = big ? 10 : 5;
    for (int i = 0; i < runs; ++i) {
        pid_t pid = Spawn({program, "/s"}, home.path().toStdString());
        std::this_thread::sleep_for(std::chrono::milliseconds(2500 + 137 * i));
        const auto t0 = Clock::now();
        x.TypeKey('a');
        waitpid(pid, nullptr, 0);
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
    }
    std::sort(times.begin(), times.end());
    double total = 0;
    for (double t : times) total += t;
    const char* moment = big               ? " while a 50-megapixel photo is being composed"
                         : which == "pipe" ? " while every other picture is a pipe"
                                           : "";
    std::printf("key press to end of process%s: mean %.1f ms, median %.1f ms, worst %.1f ms over %d runs\n", moment,
                total / runs, times[runs / 2], times.back(), runs);
    return 0;
}

// Start of the program to the first picture on the screen (the middle of the
// photo, flat orange, read back from the screen every millisecond or so).
// Ends a program started for a measurement: politely, then for certain, so
// that one which ignores the request cannot stall the whole table.
void Stop(pid_t pid) {
    kill(pid, SIGTERM);
    for (int i = 0; i < 300; ++i) {
        if (waitpid(pid, nullptr, WNOHANG) == pid) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

double TimeToPicture(XClient& x, std::vector<std::string> args, const std::string& home) {
    const std::string program = args.front();
    const int cx = x.ScreenWidth() / 2, cy = x.ScreenHeight() / 2;
    const auto t0 = Clock::now();
    pid_t pid = Spawn(std::move(args), home);
    double ms = -1;
    while (ms < 0) {
        const double now = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
        if (LooksOrange(x.ScreenPixel(cx, cy)))
            ms = now;
        else if (now > 15000)
            break;
        else
            std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    if (ms < 0) std::fprintf(stderr, "tavrelle-measure: %s showed no picture within 15 s\n", program.c_str());
    Stop(pid);
    // The screen goes back to the server's own background before the next run.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    return ms;
}

int First(const std::string& program) {
    XClient x;
    if (!x.ok()) {
        std::fprintf(stderr, "tavrelle-measure: no X server\n");
        return 1;
    }
    QTemporaryDir home;
    const std::string photo = MakePhoto(home.path(), "photo13.jpg", 4256, 3072).toStdString();
    WriteData(home.path(), 10, 2, {photo, photo});
    std::vector<double> show, feh;
    // Both programs' times swing by a quarter from run to run here; the two
    // take turns, and the medians of nine runs each are compared.
    const int runs = 9;
    for (int i = 0; i < runs; ++i) {
        show.push_back(TimeToPicture(x, {program, "/s"}, home.path().toStdString()));
        feh.push_back(TimeToPicture(x, {"feh", "--fullscreen", photo}, home.path().toStdString()));
    }
    std::sort(show.begin(), show.end());
    std::sort(feh.begin(), feh.end());
    std::printf(
        "first picture of a 13-megapixel photo on the whole screen: tavrelle /s median %.1f ms, "
        "feh --fullscreen median %.1f ms, ratio %.2f (%d runs each)\n",
        show[runs / 2], feh[runs / 2], feh[runs / 2] > 0 ? show[runs / 2] / feh[runs / 2] : 0.0, runs);
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
    Stop(pid);
    return 0;
}

}  // namespace
}  // namespace tav

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "transition" && argc > 2) return tav::Transition(argc, argv, std::atoi(argv[2]));
    if (mode == "table")
        return tav::Table(tav::SelfPath(), argc > 2 ? std::atoi(argv[2]) : 1, argc > 3 ? std::atoi(argv[3]) : 143);
    if (mode == "exit" && argc > 2) return tav::Exit(argv[2], argc > 3 ? argv[3] : "");
    if (mode == "first" && argc > 2) return tav::First(argv[2]);
    if (mode == "idle" && argc > 2) return tav::Idle(argv[2]);
    std::fprintf(
        stderr,
        "usage: tavrelle-measure transition N | table [FIRST LAST] | exit TAVRELLE [big|pipe] | first TAVRELLE | "
        "idle TAVRELLE\n");
    return 2;
}
