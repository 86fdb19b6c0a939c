#include "measure/ShowCost.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>
#include <vector>

#include "engine/ShowWindow.h"
#include "startup/SharedState.h"
#include "storage/PictureListFile.h"
#include "storage/Settings.h"
#include "storage/SettingsRecord.h"
#include "testmedia/PictureWriters.h"

extern char** environ;

namespace tav {
namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// A photo-like picture: gradients, fine grain everywhere (so the decoder has
// work on every block) and a few soft shapes, different for each `k`.
QImage Photo(int w, int h, int k) {
    QImage img(w, h, QImage::Format_RGB32);
    std::mt19937 grain(static_cast<unsigned>(k) + 7);
    const double hue = k * 0.7;
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const int n = static_cast<int>(grain() & 31) - 16;
            const double fx = double(x) / w, fy = double(y) / h;
            const double wave = std::sin(fx * 9 + hue) * std::cos(fy * 7 - hue);
            row[x] = qRgb(std::clamp(int(120 + 90 * fx + 40 * wave) + n, 0, 255),
                          std::clamp(int(80 + 120 * fy - 30 * wave) + n, 0, 255),
                          std::clamp(int(100 + 80 * std::sin(hue + fx * 3)) + n, 0, 255));
        }
    }
    return img;
}

std::vector<std::string> WritePhotos(const QString& dir, int count, int w, int h) {
    std::vector<std::string> paths;
    for (int k = 0; k < count; ++k) {
        const std::string path = (dir + QString("/photo%1.jpg").arg(k)).toStdString();
        pw::SaveBytes(path, pw::WriteJpeg(Photo(w, h, k), 90));
        paths.push_back(path);
    }
    return paths;
}

double ProcessCpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

double ThreadCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec + t.tv_nsec / 1e9;
}

double ServerCpuSeconds() {
    const char* pid = std::getenv("TAVRELLE_SERVER_PID");
    if (!pid) return 0;
    std::ifstream f(std::string("/proc/") + pid + "/stat");
    std::string s((std::istreambuf_iterator<char>(f)), {});
    const auto close = s.rfind(')');
    if (close == std::string::npos) return 0;
    std::istringstream in(s.substr(close + 2));
    std::string field;
    long long ticks = 0;
    for (int i = 3; i <= 15 && in >> field; ++i)
        if (i == 14 || i == 15) ticks += std::stoll(field);
    return double(ticks) / sysconf(_SC_CLK_TCK);
}

// What a process's resident memory was made of when it was largest, as far
// as samples every 20 ms saw: its own memory (pictures, heaps, the libraries'
// written pages), the pages of its files (mostly libraries' code), and memory
// it shares with the X server (the window's images).
struct MemoryMix {
    long rss = 0, anon = 0, file = 0, shared = 0;
    void Sample(pid_t pid) {
        const long now = StatusKb(pid, "VmRSS:");
        if (now <= rss) return;
        rss = now;
        anon = StatusKb(pid, "RssAnon:");
        file = StatusKb(pid, "RssFile:");
        shared = StatusKb(pid, "RssShmem:");
    }
    std::string Text() const {
        char text[160];
        std::snprintf(text, sizeof text, "largest seen %.1f MiB: own %.1f, files %.1f, shared %.1f", rss / 1024.0,
                      anon / 1024.0, file / 1024.0, shared / 1024.0);
        return text;
    }
};

std::string PeakMemory(pid_t pid) {
    std::ifstream f("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(f, line))
        if (line.rfind("VmHWM:", 0) == 0) {
            line.erase(0, line.find_first_not_of(" \t", 6));
            return line;
        }
    return "?";
}

// Bytes per second memcpy moves here between full-HD frames: the median of
// many copies. Between two frames both stay in the processor's cache; the
// show keeps more than fits there (two pictures, the window's images, the X
// server's copy of the screen), so its frames are copied from memory, which
// copies over eight frames in turn measure.
struct CopyRates {
    double cached = 0, memory = 0;
};

CopyRates MemcpyRates() {
    const std::size_t bytes = 1920u * 1080u * 4u;
    constexpr int kFrames = 8;
    std::vector<std::vector<char>> frames(kFrames, std::vector<char>(bytes, 1));
    const auto median = [&](int spread) {
        std::vector<double> times;
        for (int i = 0; i < 41; ++i) {
            const int to = (2 * i) % spread, from = (2 * i + 1) % spread;
            const auto t0 = Clock::now();
            std::memcpy(frames[to].data(), frames[from].data(), bytes);
            times.push_back(Seconds(Clock::now() - t0));
        }
        std::sort(times.begin(), times.end());
        return bytes / times[times.size() / 2];
    };
    CopyRates r;
    r.cached = median(2);
    r.memory = median(kFrames);
    return r;
}

pid_t Spawn(std::vector<std::string> args, const std::vector<std::string>& extraEnv) {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) env.emplace_back(*e);
    env.insert(env.end(), extraEnv.begin(), extraEnv.end());
    std::vector<char*> argv, envp;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), envp.data()) != 0) return -1;
    return pid;
}

// Ends a program politely, then for certain; its CPU, with the helpers it
// started and waited for, in seconds.
double StopAndCount(pid_t pid) {
    kill(pid, SIGTERM);
    int status = 0;
    rusage u{};
    for (int i = 0; i < 300; ++i) {
        if (wait4(pid, &status, WNOHANG, &u) == pid)
            return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill(pid, SIGKILL);
    wait4(pid, &status, 0, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

struct Cost {
    double cpu = 0, server = 0, wall = 0;
    std::string peak;
    MemoryMix mix;
    double perMinute(double v) const { return wall > 0 ? v * 60 / wall : 0; }
};

Cost RunPeer(std::vector<std::string> args, const std::vector<std::string>& env, int seconds) {
    Cost c;
    const double server0 = ServerCpuSeconds();
    const auto t0 = Clock::now();
    const pid_t pid = Spawn(std::move(args), env);
    if (pid <= 0) return c;
    while (Seconds(Clock::now() - t0) < seconds) {
        c.mix.Sample(pid);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    c.peak = PeakMemory(pid);
    c.cpu = StopAndCount(pid);
    c.wall = Seconds(Clock::now() - t0);
    c.server = ServerCpuSeconds() - server0;
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    return c;
}

std::string Which(const std::vector<std::string>& candidates) {
    for (const std::string& c : candidates) {
        if (c.find('/') != std::string::npos) {
            if (access(c.c_str(), X_OK) == 0) return c;
            continue;
        }
        for (const char* dir : {"/usr/bin/", "/usr/local/bin/"})
            if (access((dir + c).c_str(), X_OK) == 0) return dir + c;
    }
    return {};
}

}  // namespace

long StatusKb(pid_t pid, const char* field) {
    std::ifstream f("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(f, line))
        if (line.rfind(field, 0) == 0) return std::atol(line.c_str() + std::strlen(field));
    return -1;
}

void AwaitEvents() {
    static QTimer* const wake = [] {
        auto* timer = new QTimer;
        timer->start(50);
        return timer;
    }();
    (void)wake;
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void WriteShowData(const QString& home, int interval, int speed, const std::vector<std::string>& pictures) {
    const QString folder = home + "/Tavrelle";
    QDir().mkpath(folder);
    SaverSettingsData s;
    s.Groups[0].AreaSize = 3;
    s.Groups[0].IntervalSeconds = static_cast<std::int16_t>(interval);
    s.Groups[0].EffectSpeed = static_cast<std::int16_t>(speed);
    s.Groups[0].Opacity = 255;
    WriteSettingsRecord((folder + "/Tavrelle_S.rdm").toStdString(), s);
    WritePictureListFile((folder + "/Tavrelle_0.rdm").toStdString(), pictures);
}

int ShowMinute(int argc, char** argv, int seconds, const std::string& program) {
    QApplication app(argc, argv);
    QTemporaryDir home;
    const std::vector<std::string> photos = WritePhotos(home.path(), 8, 3000, 2000);
    WriteShowData(home.path(), 1, 2, photos);
    SetDataFolderOverride((home.path() + "/Tavrelle").toStdString());
    DataFolder = DataFolderLocation();
    LoadSettings();
    SelectGroup(0);
    PictureList.Assign(ReadPictureListFile(PictureListPath(DataFolder, 0)));
    Cost programCost;
    if (!program.empty())
        programCost =
            RunPeer({program, "/s"}, {"XDG_DATA_HOME=" + home.path().toStdString(), "SDL_AUDIODRIVER=dummy"}, seconds);
    Tavrelle_S window(SaverOptions{'S', 0}, Current, PictureList);
    window.Start();
    // The figure is of the show running, not of its start: it begins once the first transition is over.
    while (window.slideShow().TransitionCount() == 0 && !window.Ended()) AwaitEvents();
    const QtEffectHost& host = window.effectHost();
    const double cpu0 = ProcessCpuSeconds(), thread0 = ThreadCpuSeconds(), server0 = ServerCpuSeconds();
    const long long frames0 = host.frames + host.directPaints, pixels0 = host.changedPixels;
    const int transitions0 = window.slideShow().TransitionCount();
    const int firstEffect = host.EffectNumber;
    const auto t0 = Clock::now();
    // Each transition's own time and CPU, to tell the drawing from the rest.
    double inTransitionsCpuMs = 0, inTransitionsMs = 0;
    for (int seen = transitions0; Seconds(Clock::now() - t0) < seconds && !window.Ended();) {
        AwaitEvents();
        if (window.slideShow().TransitionCount() != seen) {
            seen = window.slideShow().TransitionCount();
            inTransitionsCpuMs += window.slideShow().LastTransitionCpuMs();
            inTransitionsMs += window.slideShow().LastTransitionMs();
        }
    }
    Cost show;
    show.wall = Seconds(Clock::now() - t0);
    show.cpu = ProcessCpuSeconds() - cpu0;
    const double drawing = ThreadCpuSeconds() - thread0;
    show.server = ServerCpuSeconds() - server0;
    show.peak = PeakMemory(getpid());
    const long long frames = host.frames + host.directPaints - frames0;
    const double changedBytes = double(host.changedPixels - pixels0) * 4;
    const int transitions = window.slideShow().TransitionCount() - transitions0;
    window.ExitShow();
    // A copy started later looks for a running one by its window on the server.
    if (QWindow* handle = window.windowHandle()) handle->destroy();
    // Measured once the show's peak memory is read: the frames copied take
    // more memory than the show.
    const CopyRates rates = MemcpyRates();
    const double floor = changedBytes / rates.memory, cachedFloor = changedBytes / rates.cached;

    std::printf(
        "A minute of the show at %dx%d (eight 3000x2000 JPEGs, interval 1 s, speed 2, numeric order; "
        "measured over %.1f s from the end of the first transition, effects %d to %d, %d transitions, "
        "%lld frames):\n",
        Current.AreaWidth, Current.AreaHeight, show.wall, firstEffect + 1, host.EffectNumber, transitions, frames);
    std::printf(
        "  show CPU %.2f s per minute (drawing thread %.2f s: drawing and presenting; other threads "
        "%.2f s: composing pictures ahead), X server %.2f s per minute, peak memory %s\n",
        show.perMinute(show.cpu), show.perMinute(drawing), show.perMinute(show.cpu - drawing),
        show.perMinute(show.server), show.peak.c_str());
    std::printf(
        "  of the drawing thread's CPU, %.2f s per minute ran inside the transitions (%.2f s of them per minute)\n",
        show.perMinute(inTransitionsCpuMs / 1e3), show.perMinute(inTransitionsMs / 1e3));
    std::printf(
        "  floor: %.1f MB changed per minute (the changed rectangles of every presented frame, summed) at "
        "memcpy's %.2f GB/s from memory = %.3f s per minute; show CPU / floor = %.1f (at memcpy's %.2f GB/s "
        "within the cache: %.3f s, %.1fx)\n",
        show.perMinute(changedBytes) / 1e6, rates.memory / 1e9, show.perMinute(floor),
        floor > 0 ? show.cpu / floor : 0.0, rates.cached / 1e9, show.perMinute(cachedFloor),
        cachedFloor > 0 ? show.cpu / cachedFloor : 0.0);
    std::fflush(stdout);

    if (!program.empty())
        std::printf(
            "  %s /s from its start (run before the minute above), same photos: CPU %.2f s per minute, X "
            "server %.2f s per minute, peak memory %s (%s)\n",
            program.c_str(), programCost.perMinute(programCost.cpu), programCost.perMinute(programCost.server),
            programCost.peak.c_str(), programCost.mix.Text().c_str());
    std::vector<std::string> peerEnv{"HOME=" + home.path().toStdString()};
    if (const std::string feh = Which({"feh"}); !feh.empty()) {
        std::vector<std::string> args{feh, "--fullscreen", "--hide-pointer", "--slideshow-delay", "1"};
        args.insert(args.end(), photos.begin(), photos.end());
        const Cost c = RunPeer(args, peerEnv, seconds);
        std::printf(
            "  feh --fullscreen --slideshow-delay 1, same photos: CPU %.2f s per minute (%.2fx the show), "
            "X server %.2f s per minute, peak memory %s (%s)\n",
            c.perMinute(c.cpu), show.cpu > 0 ? c.perMinute(c.cpu) / show.perMinute(show.cpu) : 0.0,
            c.perMinute(c.server), c.peak.c_str(), c.mix.Text().c_str());
    } else {
        std::printf("  feh is not installed\n");
    }
    if (const std::string gl = Which({"/usr/libexec/xscreensaver/glslideshow", "/usr/lib/xscreensaver/glslideshow"});
        !gl.empty()) {
        // Its pictures come through xscreensaver-getimage, which reads the folder from ~/.xscreensaver.
        std::ofstream((home.path() + "/.xscreensaver").toStdString())
            << "imageDirectory: " << home.path().toStdString() << "\ngrabDesktopImages: False\n"
            << "chooseRandomImages: True\n";
        const Cost c = RunPeer({gl, "-root"}, peerEnv, seconds);
        std::printf(
            "  glslideshow -root (its defaults, software GL), same photos: CPU %.2f s per minute (%.2fx the "
            "show), X server %.2f s per minute, peak memory %s\n",
            c.perMinute(c.cpu), show.cpu > 0 ? c.perMinute(c.cpu) / show.perMinute(show.cpu) : 0.0,
            c.perMinute(c.server), c.peak.c_str());
    } else {
        std::printf("  glslideshow is not installed\n");
    }
    std::fflush(nullptr);
    // A picture may still be composing on a worker; as in the program, it is not waited for.
    ::_exit(0);
}

namespace {

// Mean colour of a square of the screen (or of an image), as three channel values.
struct Mean {
    double r = 0, g = 0, b = 0;
    bool near(const Mean& o, double tolerance) const {
        return std::abs(r - o.r) <= tolerance && std::abs(g - o.g) <= tolerance && std::abs(b - o.b) <= tolerance;
    }
};

constexpr int kPatch = 15;

Mean ImageMean(const QImage& img, int cx, int cy) {
    Mean m;
    int n = 0;
    for (int y = cy - kPatch / 2; y <= cy + kPatch / 2; ++y)
        for (int x = cx - kPatch / 2; x <= cx + kPatch / 2; ++x) {
            if (x < 0 || y < 0 || x >= img.width() || y >= img.height()) continue;
            const QRgb p = img.pixel(x, y);
            m.r += qRed(p), m.g += qGreen(p), m.b += qBlue(p), ++n;
        }
    if (n) m.r /= n, m.g /= n, m.b /= n;
    return m;
}

class ScreenReader {
public:
    ScreenReader() : c_(xcb_connect(nullptr, nullptr)) {
        if (xcb_connection_has_error(c_)) return;
        const xcb_screen_t* s = xcb_setup_roots_iterator(xcb_get_setup(c_)).data;
        root_ = s->root;
        width = s->width_in_pixels;
        height = s->height_in_pixels;
    }
    ~ScreenReader() { xcb_disconnect(c_); }
    bool ok() const { return root_ != 0; }
    // The squares around the points, read in one round trip.
    std::vector<Mean> Means(const std::vector<QPoint>& points) {
        std::vector<xcb_get_image_cookie_t> cookies;
        for (const QPoint& p : points)
            cookies.push_back(xcb_get_image(c_, XCB_IMAGE_FORMAT_Z_PIXMAP, root_,
                                            static_cast<std::int16_t>(p.x() - kPatch / 2),
                                            static_cast<std::int16_t>(p.y() - kPatch / 2), kPatch, kPatch, ~0u));
        std::vector<Mean> means;
        for (auto cookie : cookies) {
            Mean m;
            if (xcb_get_image_reply_t* r = xcb_get_image_reply(c_, cookie, nullptr)) {
                const auto* px = reinterpret_cast<const std::uint32_t*>(xcb_get_image_data(r));
                const int n = xcb_get_image_data_length(r) / 4;
                for (int i = 0; i < n; ++i)
                    m.r += (px[i] >> 16) & 0xFF, m.g += (px[i] >> 8) & 0xFF, m.b += px[i] & 0xFF;
                if (n) m.r /= n, m.g /= n, m.b /= n;
                std::free(r);
            }
            means.push_back(m);
        }
        return means;
    }
    int width = 0, height = 0;

private:
    xcb_connection_t* c_;
    xcb_window_t root_ = 0;
};

double TimeToMatch(ScreenReader& screen, const std::vector<QPoint>& points, const std::vector<Mean>& want,
                   std::vector<std::string> args, const std::vector<std::string>& env) {
    const auto t0 = Clock::now();
    const pid_t pid = Spawn(std::move(args), env);
    double ms = -1;
    while (ms < 0 && pid > 0) {
        const double now = Seconds(Clock::now() - t0) * 1000;
        const std::vector<Mean> got = screen.Means(points);
        bool all = true;
        for (std::size_t i = 0; i < got.size(); ++i) all = all && got[i].near(want[i], 28);
        if (all)
            ms = now;
        else if (now > 20000)
            break;
        else
            std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    if (pid > 0) StopAndCount(pid);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    return ms;
}

}  // namespace

namespace {

struct Run {
    double ms = 0;
    double peakMiB = 0;
};

// A program run to its end with its output thrown away: wall time and peak
// memory. The peak is told by /usr/bin/time, itself small: a child of this
// process would inherit this process's peak, pictures and all, through exec.
Run Timed(std::vector<std::string> args, const std::string& peakFile) {
    args.insert(args.begin(), {"/usr/bin/time", "-f", "%M", "-o", peakFile});
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    Run r;
    pid_t pid = -1;
    const auto t0 = Clock::now();
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        rusage u{};
        wait4(pid, &status, 0, &u);
        r.ms = Seconds(Clock::now() - t0) * 1000;
        double kilobytes = 0;
        std::ifstream(peakFile) >> kilobytes;
        r.peakMiB = kilobytes / 1024.0;
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) r.ms = -1;
    } else {
        r.ms = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    return r;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

QByteArray LossyWebp(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "webp");
    writer.setQuality(90);  // lossy, as cameras and the web write it
    writer.write(image);
    return bytes;
}

}  // namespace

int DecoderTable(int argc, char** argv, const std::string& self) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const auto file = [&](const char* name) { return (dir.path() + "/" + name).toStdString(); };
    const QImage landscape = Photo(4000, 3000, 1), portrait = Photo(3120, 4208, 2);
    struct Row {
        const char* format;
        std::string path;
        QImage image;
        std::vector<std::string> tool;
    };
    std::vector<Row> rows{
        {"JPEG",
         file("photo.jpg"),
         landscape,
         {"vipsthumbnail", file("photo.jpg"), "-s", "1920x1080", "-o", file("v.ppm")}},
        {"HEIC", file("photo.heic"), landscape, {"heif-convert", "--quiet", file("photo.heic"), file("h.y4m")}},
        {"WebP", file("photo.webp"), portrait, {"dwebp", file("photo.webp"), "-ppm", "-o", file("w.ppm")}},
        {"PNG", file("photo.png"), landscape, {"pngtopnm", file("photo.png")}},
    };
    pw::SaveBytes(rows[0].path, pw::WriteJpeg(landscape, 90));
    pw::SaveBytes(rows[1].path, pw::WriteHeif(landscape, pw::HeifCodec::Hevc, 90));
    pw::SaveBytes(rows[2].path, LossyWebp(portrait));
    pw::SaveBytes(rows[3].path, pw::WritePng(landscape));
    std::printf(
        "| Format | Picture | Tavrelle composes for 1920x1080, ms | peak MiB | Tool | tool ms | tool peak MiB "
        "| Tavrelle / tool |\n|---|---|---|---|---|---|---|---|\n");
    // Each a process of its own from start to end, taking turns, medians of five.
    for (const Row& row : rows) {
        std::vector<double> ours, theirs;
        double oursPeak = 0, theirsPeak = 0;
        for (int i = 0; i < 5; ++i) {
            const Run a = Timed({self, "compose-child", row.path, "1920", "1080"}, file("peak"));
            const Run b = Timed(row.tool, file("peak"));
            ours.push_back(a.ms), theirs.push_back(b.ms);
            oursPeak = std::max(oursPeak, a.peakMiB), theirsPeak = std::max(theirsPeak, b.peakMiB);
        }
        const double a = Median(ours), b = Median(theirs);
        std::printf("| %s | %dx%d | %.0f | %.0f | %s | %.0f | %.0f | %.2f |\n", row.format, row.image.width(),
                    row.image.height(), a, oursPeak, row.tool.front().c_str(), b, theirsPeak, b > 0 ? a / b : 0.0);
        std::fflush(stdout);
    }
    std::printf(
        "Times are of whole processes (start, decode, fit or convert, write to a file or /dev/null); -1 is "
        "a run that failed or a tool that is missing.\n");
    return 0;
}

int FirstOfFile(const std::string& program, const std::string& picture) {
    ScreenReader screen;
    if (!screen.ok()) {
        std::fprintf(stderr, "tavrelle-measure: no X server\n");
        return 1;
    }
    QImageReader reader(QString::fromStdString(picture));
    reader.setAutoTransform(true);
    const QImage image = reader.read();
    if (image.isNull()) {
        std::fprintf(stderr, "tavrelle-measure: cannot read %s\n", picture.c_str());
        return 1;
    }
    // Both programs fit the picture to the screen, its shape kept, centred.
    const QImage fitted = image.scaled(screen.width, screen.height, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    const int left = (screen.width - fitted.width()) / 2, top = (screen.height - fitted.height()) / 2;
    std::vector<QPoint> points;
    std::vector<Mean> want;
    // The middle of the picture, as the photo of the other form of `first` is
    // watched: the first moment the picture is on the screen, whatever the
    // transition that brings it still has to do elsewhere.
    for (auto [fx, fy] : {std::pair{0.5, 0.5}}) {
        const int x = static_cast<int>(fitted.width() * fx), y = static_cast<int>(fitted.height() * fy);
        points.emplace_back(left + x, top + y);
        want.push_back(ImageMean(fitted, x, y));
    }
    QTemporaryDir home;
    WriteShowData(home.path(), 10, 2, {picture, picture});
    const std::vector<std::string> env{"XDG_DATA_HOME=" + home.path().toStdString(), "SDL_AUDIODRIVER=dummy"};
    std::vector<double> show, feh;
    const int runs = 9;
    for (int i = 0; i < runs; ++i) {
        show.push_back(TimeToMatch(screen, points, want, {program, "/s"}, env));
        feh.push_back(TimeToMatch(screen, points, want, {"feh", "--fullscreen", picture}, env));
    }
    std::sort(show.begin(), show.end());
    std::sort(feh.begin(), feh.end());
    std::printf(
        "first picture of %s (%dx%d) on the whole screen: tavrelle /s median %.1f ms, feh --fullscreen "
        "median %.1f ms, ratio %.2f (%d runs each; -1 is a run that showed nothing within 20 s)\n",
        picture.c_str(), image.width(), image.height(), show[runs / 2], feh[runs / 2],
        feh[runs / 2] > 0 ? show[runs / 2] / feh[runs / 2] : 0.0, runs);
    return 0;
}

}  // namespace tav
