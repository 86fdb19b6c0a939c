// Figures of the slide show on a real X server, measured as ratios or
// against the process itself, never asserted in tests:
//
//   tavrelle-measure transition N     effect N on the whole screen at speed 2: frames,
//                                     wall time of the transition against its sleeps, CPU,
//                                     the bytes sent per frame (its changed rectangles)
//   tavrelle-measure table [FIRST LAST]  the same for every effect, as one table
//   tavrelle-measure exit TAVRELLE [big|pipe]  key press in mid-show to the end of the
//                                     process; with big, while a 50-megapixel photo is being
//                                     composed; with pipe, while every other picture is a pipe
//                                     that never delivers
//   tavrelle-measure first TAVRELLE [PICTURE]  start to the first picture on screen, against
//                                     feh --fullscreen with the same 13-megapixel photo (or
//                                     with PICTURE, such as a phone's photo)
//   tavrelle-measure minute [SECONDS [TAVRELLE]]  CPU per minute of the standalone show against the floor
//                                     of the bytes its frames change, and against feh's slide
//                                     show and glslideshow on the same photos
//   tavrelle-measure decoders         each decoder composing a photo against its format's own
//                                     command-line tool, process against process, with peak memory
//   tavrelle-measure idle TAVRELLE    CPU while a 10-second interval passes, and peak memory
//   tavrelle-measure gone TAVRELLE none|lookup|open|read key|click|move|term|kill [RUNS]
//                                     with the first picture on a file system whose lookup,
//                                     open or reads of it never answer: key press (click,
//                                     pointer movement, SIGTERM, SIGKILL) to the show's window
//                                     going off the screen, seen as the X server's unmap or
//                                     destroy event; whether the process is still there 0.5 s
//                                     later; then the share answering to the end of the process
//   tavrelle-measure music TAVRELLE   start to the first picture with the music file on a
//                                     file system that does not answer, and with a 600 MB
//                                     WAV file: time and peak memory against no music
//   tavrelle-measure soak TAVRELLE SECONDS  32 pictures back to back, one of them on a file
//                                     system that never answers: threads, descriptors and
//                                     memory of the show at the start, each minute and the end
//   tavrelle-measure handover         a photo composed for the screen on a thread against the
//                                     same in a child process that sends back the raster
//
// The data folder is a throw-away one under /tmp; DISPLAY must name the server.
// TAVRELLE_SERVER_PID, when set, names the X server, whose CPU is counted too.

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTimer>

#include <dirent.h>
#include <fcntl.h>
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
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "engine/ShowWindow.h"
#include "measure/ShowCost.h"
#include "measure/XClient.h"
#include "platform/LargeBlocks.h"
#include "startup/ScreenMeasure.h"
#include "startup/SharedState.h"
#include "storage/IniFile.h"
#include "storage/PictureListFile.h"
#include "storage/Settings.h"
#include "storage/SettingsRecord.h"
#include "surfaces/Composition.h"
#include "testmedia/StallingFileSystem.h"

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
    if (pictures.empty()) pictures = MakePictures(home);
    WriteShowData(home, interval, speed, pictures);
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
// CPU of the X server, times in milliseconds, and the bytes sent per frame.
int Transition(int argc, char** argv, int effect) {
    QApplication app(argc, argv);
    QTemporaryDir home;
    WriteData(home.path(), 10);
    SetDataFolderOverride((home.path() + "/Tavrelle").toStdString());
    DataFolder = DataFolderLocation();
    LoadSettings();
    SelectGroup(0);
    PictureList.Assign(ReadPictureListFile(PictureListPath(DataFolder, 0)));
    Tavrelle_S window(SaverOptions{'S', 0}, Current, PictureList);
    window.effectHost().EffectNumber = static_cast<std::int16_t>(effect - 1);
    window.Start();
    // The first picture goes to the screen whole, before the transition: the
    // bytes sent are counted from after it.
    const QtEffectHost& host = window.effectHost();
    while (host.frames == 0 && !window.Ended()) AwaitEvents();
    const long long pixels0 = host.changedPixels, frames0 = host.frames + host.directPaints;
    const long long serverBefore = ServerTicks();
    // The pictures are composed on worker threads; the first transition runs
    // from the slide timer once both are ready.
    while (window.slideShow().TransitionCount() == 0 && !window.Ended()) AwaitEvents();
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
    const long long sentFrames = host.frames + host.directPaints - frames0;
    const double sentBytes = sentFrames ? 4.0 * double(host.changedPixels - pixels0) / double(sentFrames) : 0.0;
    std::printf(
        "  sent %.0f bytes per frame (the changed rectangles of every presented frame, summed); X server CPU "
        "%.1f ms from the first picture on\n",
        sentBytes, serverMs);
    std::printf("row %d %lld %lld %.1f %.1f %.1f %.0f\n", effect, frames, sleeps, wall, cpu, serverMs, sentBytes);
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
        double wall = 0, cpu = 0, server = 0, sent = 0;
        double perFrame() const { return frames ? (wall - sleeps) / frames : 0; }
    };
    std::vector<Row> rows;
    std::printf(
        "| Effect | Frames | Sleeps ms | Wall ms | Wall / sleeps | Over the sleeps, ms per frame "
        "| Show CPU ms per frame | X server CPU ms per frame | Sent kB per frame "
        "|\n|---|---|---|---|---|---|---|---|---|\n");
    for (int n = first; n <= last; ++n) {
        Row r;
        FILE* out = popen((self + " transition " + std::to_string(n)).c_str(), "r");
        char line[512];
        while (out && std::fgets(line, sizeof line, out))
            std::sscanf(line, "row %d %lld %lld %lf %lf %lf %lf", &r.effect, &r.frames, &r.sleeps, &r.wall, &r.cpu,
                        &r.server, &r.sent);
        if (out) pclose(out);
        if (r.effect != n) {
            std::printf("| %d | failed ||||||||\n", n);
            continue;
        }
        const double f = static_cast<double>(std::max(r.frames, 1LL));
        std::printf("| %d | %lld | %lld | %.0f | %.3f | %.2f | %.2f | %.2f | %.0f |\n", n, r.frames, r.sleeps, r.wall,
                    r.sleeps ? r.wall / r.sleeps : 0.0, r.perFrame(), r.cpu / f, r.server / f, r.sent / 1e3);
        std::fflush(stdout);
        rows.push_back(r);
    }
    std::sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) { return a.perFrame() > b.perFrame(); });
    std::printf("\nWorst by time over the sleeps per frame:");
    for (std::size_t i = 0; i < rows.size() && i < 10; ++i)
        std::printf(" %d (%.2f ms)", rows[i].effect, rows[i].perFrame());
    std::printf(
        "\nFrames include paints straight to the window, each a step the eye sees. Sent: the changed rectangles "
        "of every presented frame, summed.\n");
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

std::string FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

struct Spread {
    std::vector<double> values;
    void Add(double v) { values.push_back(v); }
    std::string Text(const char* unit = "ms") {
        if (values.empty()) return "no runs";
        std::sort(values.begin(), values.end());
        char text[160];
        std::snprintf(text, sizeof text, "median %.1f %s, worst %.1f %s, best %.1f %s over %zu runs",
                      values[values.size() / 2], unit, values.back(), unit, values.front(), unit, values.size());
        return text;
    }
};

using Stall = test::StallingFileSystem::Stall;

bool StallOf(const std::string& name, Stall& stall) {
    const struct {
        const char* name;
        Stall stall;
    } names[] = {{"none", Stall::None}, {"lookup", Stall::Lookup}, {"open", Stall::Open}, {"read", Stall::Read}};
    for (const auto& n : names)
        if (name == n.name) {
            stall = n.stall;
            return true;
        }
    return false;
}

// Key (click, pointer movement, SIGTERM) to the window going off the screen,
// with group 0 = [stall.jpg, a.jpg, b.jpg] on a file system of our own whose
// stall.jpg never answers; interval 0, so once the stalled picture is given
// up (after 10 s) transitions follow one another. The end comes 0.2 to 12 s
// after the loader reached the stalled file, spread over the runs, so every
// state of the show is met: waiting for the stuck first picture, composing,
// mid-transition.
int Gone(const std::string& program, const std::string& stallName, const std::string& end, int runs) {
    Stall stall{};
    if (!StallOf(stallName, stall)) return 2;
    XClient x;
    if (!x.ok()) {
        std::fprintf(stderr, "tavrelle-measure: no X server with the XTEST extension\n");
        return 1;
    }
    x.WatchWindows();
    QTemporaryDir home;
    const std::string a = MakePhoto(home.path(), "a.jpg", 1280, 720).toStdString();
    const std::string b = MakePhoto(home.path(), "b.jpg", 1600, 900).toStdString();
    Spread gone, ended;
    int missed = 0, lingering = 0;
    const int kWaitGoneMs = 15000;
    for (int i = 0; i < runs; ++i) {
        test::StallingFileSystem share((home.path() + "/share").toStdString());
        if (!share.ok()) {
            std::fprintf(stderr, "tavrelle-measure: %s\n", share.whyNot().c_str());
            return 1;
        }
        share.AddFile("stall.jpg", FileBytes(a), stall);
        share.AddFile("a.jpg", FileBytes(a));
        share.AddFile("b.jpg", FileBytes(b));
        WriteData(home.path(), 0, 2, {share.Path("stall.jpg"), share.Path("a.jpg"), share.Path("b.jpg")});
        const pid_t pid = Spawn({program, "/s"}, home.path().toStdString());
        const unsigned long window = x.WaitMapped(20000);
        for (int w = 0; w < 1000 && stall != Stall::None && share.Held() == 0; ++w)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        // The show takes the first position the pointer is seen at as its
        // place; only a move from there ends it.
        if (end == "move") x.MovePointerTo(100 + i, 100 + i);
        const int delay = 200 + (i * 7919) % 11800;
        std::this_thread::sleep_for(std::chrono::milliseconds(delay));
        const auto t0 = Clock::now();
        if (end == "term" || end == "kill")
            kill(pid, end == "term" ? SIGTERM : SIGKILL);
        else if (end == "click")
            x.Click();
        else if (end == "move")
            x.MovePointerTo(200 + i, 200 + i);
        else
            x.TypeKey('a');
        if (window && x.WaitGone(window, kWaitGoneMs)) {
            gone.Add(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
        } else {
            ++missed;
            kill(pid, SIGKILL);  // a show the end did not reach must not hold the next run
        }
        // A thread asleep in the kernel on the stalled file keeps the process
        // until the share answers, whatever ended it.
        std::this_thread::sleep_until(t0 + std::chrono::milliseconds(500));
        if (waitpid(pid, nullptr, WNOHANG) == 0) ++lingering;
        // The share answers (with an error): the stuck loader returns and
        // the process can end.
        const auto t1 = Clock::now();
        share.Release();
        waitpid(pid, nullptr, 0);
        ended.Add(std::chrono::duration<double, std::milli>(Clock::now() - t1).count());
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    std::printf(
        "stalled at %s, ended by %s: %s to the window going off the screen; %d runs without it in %d s; "
        "%d processes still there 0.5 s after the end; the share answering to the end of the process: %s\n",
        stallName.c_str(), end.c_str(), gone.Text().c_str(), missed, kWaitGoneMs / 1000, lingering,
        ended.Text().c_str());
    return 0;
}

// Writes a WAV file that says it holds `megabytes` of 44.1 kHz 16-bit stereo
// silence; the file is sparse, so it costs no disk space.
std::string BigWav(const QString& dir, int megabytes) {
    const std::string path = (dir + "/big.wav").toStdString();
    const std::uint32_t data = static_cast<std::uint32_t>(megabytes) << 20;
    auto le = [](std::string& s, std::uint32_t v, int n) {
        for (int k = 0; k < n; ++k) s += static_cast<char>(v >> (8 * k) & 0xFF);
    };
    std::string head = "RIFF";
    le(head, 36 + data, 4);
    head += "WAVEfmt ";
    le(head, 16, 4), le(head, 1, 2), le(head, 2, 2), le(head, 44100, 4), le(head, 44100 * 4, 4), le(head, 4, 2);
    le(head, 16, 2);
    head += "data";
    le(head, data, 4);
    std::ofstream(path, std::ios::binary) << head;
    ::truncate(path.c_str(), static_cast<off_t>(head.size() + data));
    return path;
}

// Start of the program to its first picture on the screen (the photo's
// orange disc), with group 0 playing `music`; the peak memory after
// `holdMs` more. The process is ended once the share answers.
void StartWithMusic(XClient& x, const std::string& program, const QString& home, const std::string& photo,
                    const std::string& music, test::StallingFileSystem* share, int holdMs, Spread& time,
                    Spread& memory) {
    WriteData(home, 10, 2, {photo, photo});
    const std::string folder = (home + "/Tavrelle").toStdString();
    if (!music.empty()) {
        SaverSettingsData s;
        ReadSettingsRecord(folder + "/Tavrelle_S.rdm", s);
        s.Groups[0].MusicMode = 2;
        WriteSettingsRecord(folder + "/Tavrelle_S.rdm", s);
    }
    WriteIniString(kIniSection, MusicFileKey(0), music, folder + "/" + kIniFileName);
    const int cx = x.ScreenWidth() / 2, cy = x.ScreenHeight() / 2;
    const auto t0 = Clock::now();
    const pid_t pid = Spawn({program, "/s"}, home.toStdString());
    double ms = -1;
    while (ms < 0) {
        const double now = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
        if (LooksOrange(x.ScreenPixel(cx, cy)))
            ms = now;
        else if (now > 20000)
            break;
        else
            std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    if (ms >= 0) time.Add(ms);
    std::this_thread::sleep_for(std::chrono::milliseconds(holdMs));
    memory.Add(static_cast<double>(StatusKb(pid, "VmHWM:")) / 1024.0);
    kill(pid, SIGTERM);
    if (share) share->Release();
    waitpid(pid, nullptr, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
}

// The show's first picture with its music file on a share that does not
// answer (an MP3 or a WAV file, stalled at its lookup, open or reads), and
// with a 600 MB local WAV file, against no music at all; five runs each.
int Music(const std::string& program) {
    XClient x;
    if (!x.ok()) {
        std::fprintf(stderr, "tavrelle-measure: no X server\n");
        return 1;
    }
    QTemporaryDir home;
    const std::string photo = MakePhoto(home.path(), "photo.jpg", 1920, 1080).toStdString();
    const std::string big = BigWav(home.path(), 600);
    const std::string tone = (home.path() + "/tone.wav").toStdString();
    {
        // One second of a quiet tone is enough to be a real sound file.
        std::string wav = FileBytes(big).substr(0, 44);
        std::string samples(44100 * 4, '\0');
        for (std::size_t i = 0; i < samples.size(); i += 2) samples[i + 1] = static_cast<char>((i / 200) % 2 ? 8 : -8);
        wav += samples;
        const std::uint32_t data = static_cast<std::uint32_t>(samples.size());
        for (int k = 0; k < 4; ++k) wav[40 + k] = static_cast<char>(data >> (8 * k) & 0xFF);
        for (int k = 0; k < 4; ++k) wav[4 + k] = static_cast<char>((36 + data) >> (8 * k) & 0xFF);
        std::ofstream(tone, std::ios::binary) << wav;
    }
    const int runs = 5;
    const char* stalls[] = {"lookup", "open", "read"};
    {
        Spread time, memory;
        for (int i = 0; i < runs; ++i) StartWithMusic(x, program, home.path(), photo, "", nullptr, 3000, time, memory);
        std::printf("no music: first picture %s; peak memory %s\n", time.Text().c_str(), memory.Text("MiB").c_str());
    }
    for (const char* file : {"song.mp3", "tone.wav"}) {
        for (const char* stallName : stalls) {
            Spread time, memory;
            for (int i = 0; i < runs; ++i) {
                Stall stall{};
                StallOf(stallName, stall);
                test::StallingFileSystem share((home.path() + "/share").toStdString());
                if (!share.ok()) {
                    std::fprintf(stderr, "tavrelle-measure: %s\n", share.whyNot().c_str());
                    return 1;
                }
                share.AddFile(file, FileBytes(tone), stall);
                StartWithMusic(x, program, home.path(), photo, share.Path(file), &share, 0, time, memory);
            }
            std::printf("music %s stalled at %s: first picture %s\n", file, stallName, time.Text().c_str());
        }
    }
    {
        Spread time, memory;
        for (int i = 0; i < runs; ++i) StartWithMusic(x, program, home.path(), photo, big, nullptr, 3000, time, memory);
        std::printf("a local 600 MB WAV file: first picture %s; peak memory 3 s later %s\n", time.Text().c_str(),
                    memory.Text("MiB").c_str());
    }
    return 0;
}

int CountEntries(const std::string& folder) {
    int n = 0;
    if (DIR* d = ::opendir(folder.c_str())) {
        while (const dirent* e = ::readdir(d))
            if (e->d_name[0] != '.') ++n;
        ::closedir(d);
    }
    return n;
}

void PrintUsage(const char* when, pid_t pid, const test::StallingFileSystem& share) {
    const std::string proc = "/proc/" + std::to_string(pid);
    std::printf("%s: %d threads, %d descriptors, memory %.1f MiB (peak %.1f MiB); stalled requests %d\n", when,
                CountEntries(proc + "/task"), CountEntries(proc + "/fd"), StatusKb(pid, "VmRSS:") / 1024.0,
                StatusKb(pid, "VmHWM:") / 1024.0, share.Held());
    std::fflush(stdout);
}

// 32 pictures at interval 0 (transitions back to back), one of them on a
// file system whose open of it never answers, for `seconds`.
int Soak(const std::string& program, int seconds) {
    QTemporaryDir home;
    test::StallingFileSystem share((home.path() + "/share").toStdString());
    if (!share.ok()) {
        std::fprintf(stderr, "tavrelle-measure: %s\n", share.whyNot().c_str());
        return 1;
    }
    std::vector<std::string> pictures;
    const QString photo = MakePhoto(home.path(), "p.jpg", 1280, 720);
    for (int i = 0; i < 31; ++i) {
        const QString copy = home.path() + QString("/p%1.jpg").arg(i);
        QFile::copy(photo, copy);
        pictures.push_back(copy.toStdString());
        if (i == 9) {
            share.AddFile("stall.jpg", FileBytes(photo.toStdString()), Stall::Open);
            pictures.push_back(share.Path("stall.jpg"));
        }
    }
    WriteData(home.path(), 0, 2, pictures);
    const pid_t pid = Spawn({program, "/s"}, home.path().toStdString());
    std::this_thread::sleep_for(std::chrono::seconds(3));
    PrintUsage("start (3 s)", pid, share);
    const auto t0 = Clock::now();
    for (int minute = 1; minute * 60 < seconds; ++minute) {
        std::this_thread::sleep_until(t0 + std::chrono::seconds(60 * minute));
        PrintUsage(("after " + std::to_string(minute) + " min").c_str(), pid, share);
    }
    std::this_thread::sleep_until(t0 + std::chrono::seconds(seconds));
    PrintUsage(("end (" + std::to_string(seconds + 3) + " s)").c_str(), pid, share);
    kill(pid, SIGTERM);
    share.Release();
    waitpid(pid, nullptr, 0);
    return 0;
}

// The raster of one composed slide, as a child process would send it back.
int ComposeToStdout(const std::string& path, int w, int h) {
    const BitmapPtr slide = ComposePicture(path, CompositionParams{w, h, 1, Colorref{0}});
    if (!slide) return 1;
    const auto* bytes = reinterpret_cast<const char*>(slide->pixels().data());
    std::size_t left = slide->pixels().size() * sizeof(Pixel);
    while (left > 0) {
        const ssize_t n = ::write(1, bytes, left);
        if (n <= 0) return 1;
        bytes += n;
        left -= static_cast<std::size_t>(n);
    }
    return 0;
}

// Reads exactly `size` bytes from fd into `out`; false when it ends sooner.
bool ReadAll(int fd, char* out, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::read(fd, out, size);
        if (n <= 0) return false;
        out += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// A 1920 x 1080 photo composed for a 1920 x 1080 area: on a thread of the
// show's own process (the design chosen), against a child process started
// for the picture that composes it and sends back the raster through a pipe
// (the design weighed against it), and the pipe alone; nine runs each, in turn.
int Handover(const std::string& self) {
    QTemporaryDir home;
    const std::string photo = MakePhoto(home.path(), "photo.jpg", 1920, 1080).toStdString();
    const int w = 1920, h = 1080;
    const std::size_t size = static_cast<std::size_t>(w) * h * sizeof(Pixel);
    std::vector<char> raster(size);
    Spread thread, child, pipeOnly;
    for (int i = 0; i < 9; ++i) {
        auto t0 = Clock::now();
        BitmapPtr slide;
        std::thread([&] { slide = ComposePicture(photo, CompositionParams{w, h, 1, Colorref{0}}); }).join();
        thread.Add(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());

        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0) return 1;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
        std::vector<std::string> args = {self, "compose-child", photo, std::to_string(w), std::to_string(h)};
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        t0 = Clock::now();
        pid_t pid = -1;
        const int spawned = posix_spawn(&pid, self.c_str(), &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(fds[1]);
        const bool whole = spawned == 0 && ReadAll(fds[0], raster.data(), size);
        ::close(fds[0]);
        if (spawned == 0) waitpid(pid, nullptr, 0);
        if (!whole) {
            std::fprintf(stderr, "tavrelle-measure: the child sent no raster\n");
            return 1;
        }
        child.Add(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());

        if (::pipe2(fds, O_CLOEXEC) != 0) return 1;
        t0 = Clock::now();
        std::thread writer([&] {
            const char* p = reinterpret_cast<const char*>(slide->pixels().data());
            for (std::size_t left = size; left > 0;) {
                const ssize_t n = ::write(fds[1], p, left);
                if (n <= 0) break;
                p += n;
                left -= static_cast<std::size_t>(n);
            }
        });
        ReadAll(fds[0], raster.data(), size);
        writer.join();
        pipeOnly.Add(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
        ::close(fds[0]);
        ::close(fds[1]);
    }
    const std::string threadText = thread.Text(), childText = child.Text(), pipeText = pipeOnly.Text();
    std::printf(
        "a 1920x1080 photo composed for a 1920x1080 area: on a thread %s; in a child process started for "
        "it, raster sent back through a pipe, %s; the 8 MiB raster through a pipe alone %s; child / thread "
        "%.2f (medians)\n",
        threadText.c_str(), childText.c_str(), pipeText.c_str(),
        child.values[child.values.size() / 2] / thread.values[thread.values.size() / 2]);
    return 0;
}

}  // namespace
}  // namespace tav

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    // As the program's entry does: without them a show measured here fills
    // 1024x768, not the screen, and keeps freed pictures in its heaps.
    tav::MapLargeBlocks();
    tav::SetScreenSizeFunction(tav::MeasureScreenNow);
    if (mode == "transition" && argc > 2) return tav::Transition(argc, argv, std::atoi(argv[2]));
    if (mode == "table")
        return tav::Table(tav::SelfPath(), argc > 2 ? std::atoi(argv[2]) : 1, argc > 3 ? std::atoi(argv[3]) : 143);
    if (mode == "exit" && argc > 2) return tav::Exit(argv[2], argc > 3 ? argv[3] : "");
    if (mode == "first" && argc > 3) return tav::FirstOfFile(argv[2], argv[3]);
    if (mode == "first" && argc > 2) return tav::First(argv[2]);
    if (mode == "decoders") return tav::DecoderTable(argc, argv, tav::SelfPath());
    if (mode == "minute")
        return tav::ShowMinute(argc, argv, argc > 2 ? std::atoi(argv[2]) : 60, argc > 3 ? argv[3] : "");
    if (mode == "idle" && argc > 2) return tav::Idle(argv[2]);
    if (mode == "gone" && argc > 4) return tav::Gone(argv[2], argv[3], argv[4], argc > 5 ? std::atoi(argv[5]) : 20);
    if (mode == "music" && argc > 2) return tav::Music(argv[2]);
    if (mode == "soak" && argc > 3) return tav::Soak(argv[2], std::atoi(argv[3]));
    if (mode == "compose-child" && argc > 4)
        return tav::ComposeToStdout(argv[2], std::atoi(argv[3]), std::atoi(argv[4]));
    if (mode == "handover") return tav::Handover(tav::SelfPath());
    std::fprintf(stderr,
                 "usage: tavrelle-measure transition N | table [FIRST LAST] | exit TAVRELLE [big|pipe] | first "
                 "TAVRELLE [PICTURE] | minute [SECONDS [TAVRELLE]] | decoders | idle TAVRELLE | gone TAVRELLE "
                 "none|lookup|open|read "
                 "key|click|move|term|kill [RUNS] | music "
                 "TAVRELLE | soak TAVRELLE SECONDS | handover\n");
    return 2;
}
