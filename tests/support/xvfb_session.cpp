#include "support/xvfb_session.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

extern char** environ;

namespace tav::test {

namespace {

// With errorFile, the process's standard error goes to that file ("/dev/null"
// for Xorg's banner and log lines).
pid_t SpawnWith(const std::vector<std::string>& args, const std::map<std::string, std::string>& env,
                const std::string& errorFile = {}) {
    std::vector<std::string> entries;
    for (char** e = environ; *e; ++e) {
        std::string entry = *e;
        if (!env.count(entry.substr(0, entry.find('=')))) entries.push_back(entry);
    }
    for (const auto& [k, v] : env) entries.push_back(k + "=" + v);
    std::vector<char*> argv, envp;
    std::vector<std::string> a = args;
    for (auto& s : a) argv.push_back(s.data());
    argv.push_back(nullptr);
    for (auto& s : entries) envp.push_back(s.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!errorFile.empty())
        posix_spawn_file_actions_addopen(&actions, 2, errorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = -1;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

Display* D(void* p) { return static_cast<Display*>(p); }

// A read outside the screen (a monitor switched off shrinks it) fails with
// BadMatch; Xlib's default handler would end the test program there and
// leave the server and the program under test running.
int IgnoreXErrors(Display*, XErrorEvent*) { return 0; }

}  // namespace

bool HaveProgram(const std::string& name) {
    return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

std::string ProgramPath(const std::string& name) {
    const char* dir = std::getenv("TAVRELLE_BIN_DIR");
    return std::string(dir ? dir : ".") + "/" + name;
}

void RunCommand(const std::vector<std::string>& args, const std::map<std::string, std::string>& env) {
    pid_t pid = SpawnWith(args, env);
    if (pid > 0) waitpid(pid, nullptr, 0);
}

bool XvfbSession::Connect(const std::vector<std::string>& serverCommand) {
    // Try display numbers until one is free; the server refuses a taken one.
    for (int n = 90 + getpid() % 200; n < 400 && !display_; n += 7) {
        std::string name = ":" + std::to_string(n);
        if (access(("/tmp/.X11-unix/X" + std::to_string(n)).c_str(), F_OK) == 0) continue;
        std::vector<std::string> command = serverCommand;
        command.insert(command.begin() + 1, name);
        server_ = SpawnWith(command, {}, "/dev/null");
        for (int i = 0; i < 100 && !display_; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            display_ = XOpenDisplay(name.c_str());
            if (display_) XSetErrorHandler(IgnoreXErrors);
            if (waitpid(server_, nullptr, WNOHANG) == server_) break;
        }
        if (display_)
            name_ = name;
        else if (server_ > 0)
            kill(server_, SIGTERM), waitpid(server_, nullptr, 0);
        server_ = display_ ? server_ : -1;
        if (!display_ && command[0] != "Xvfb") break;  // Xorg fails for other reasons than a taken number
    }
    return display_ != nullptr;
}

XvfbSession::XvfbSession(int width, int height, const std::vector<std::string>& serverOptions) {
    if (!HaveProgram("Xvfb")) return;
    std::vector<std::string> command{
        "Xvfb", "-screen", "0", std::to_string(width) + "x" + std::to_string(height) + "x24", "-nolisten", "tcp"};
    command.insert(command.end(), serverOptions.begin(), serverOptions.end());
    Connect(command);
}

XvfbSession::XvfbSession(const std::vector<MonitorSize>& monitors) : monitors_(monitors) {
    if (monitors.empty() || !HaveProgram("Xorg") || getuid() != 0) return;
    configFolder_ = std::make_unique<TempFolder>();
    int width = 0, height = 0;
    for (const MonitorSize& m : monitors) width += m.width, height = std::max(height, m.height);
    std::ofstream config(configFolder_->File("xorg.conf"));
    config << "Section \"Device\"\n  Identifier \"dev\"\n  Driver \"dummy\"\n  VideoRam 256000\nEndSection\n"
              "Section \"Monitor\"\n  Identifier \"mon\"\n  HorizSync 5.0-1000.0\n  VertRefresh 5.0-200.0\nEndSection\n"
              "Section \"Screen\"\n  Identifier \"scr\"\n  Device \"dev\"\n  Monitor \"mon\"\n  DefaultDepth 24\n"
              "  SubSection \"Display\"\n    Depth 24\n    Virtual "
           << width << " " << height
           << "\n  EndSubSection\nEndSection\n"
              "Section \"ServerFlags\"\n  Option \"AutoAddDevices\" \"false\"\nEndSection\n";
    config.close();
    if (!Connect({"Xorg", "-config", configFolder_->File("xorg.conf"), "-configdir", configFolder_->Path(), "-noreset",
                  "-nolisten", "tcp", "-logfile", configFolder_->File("xorg.log"), "-novtswitch", "-sharevts"}))
        return;
    for (std::size_t i = 0; i < monitors.size(); ++i) SetMonitor(static_cast<int>(i), true);
    RunCommand({"xrandr", "--output", "DUMMY0", "--primary"}, {{"DISPLAY", name_}});
}

void XvfbSession::SetMonitor(int index, bool on) {
    if (index < 0 || index >= static_cast<int>(monitors_.size())) return;
    const std::string output = "DUMMY" + std::to_string(index);
    if (!on) {
        RunCommand({"xrandr", "--output", output, "--off"}, {{"DISPLAY", name_}});
        return;
    }
    int x = 0;
    for (int i = 0; i < index; ++i) x += monitors_[static_cast<std::size_t>(i)].width;
    const MonitorSize& m = monitors_[static_cast<std::size_t>(index)];
    const std::string mode = std::to_string(m.width) + "x" + std::to_string(m.height);
    RunCommand({"xrandr", "--addmode", output, mode}, {{"DISPLAY", name_}});
    RunCommand({"xrandr", "--output", output, "--mode", mode, "--pos", std::to_string(x) + "x0"}, {{"DISPLAY", name_}});
}

XvfbSession::~XvfbSession() {
    if (display_) XCloseDisplay(D(display_));
    if (server_ > 0) {
        kill(server_, SIGTERM);
        waitpid(server_, nullptr, 0);
    }
}

unsigned long XvfbSession::CreateWindow(int x, int y, int width, int height) {
    Display* d = D(display_);
    Window w = XCreateSimpleWindow(d, DefaultRootWindow(d), x, y, width, height, 0, 0, BlackPixel(d, 0));
    XMapWindow(d, w);
    XSync(d, False);
    return w;
}

void XvfbSession::DestroyWindow(unsigned long id) {
    XDestroyWindow(D(display_), id);
    XSync(D(display_), False);
}

unsigned XvfbSession::Pixel(int x, int y, unsigned long window) {
    Display* d = D(display_);
    XImage* img = XGetImage(d, window ? window : DefaultRootWindow(d), x, y, 1, 1, AllPlanes, ZPixmap);
    if (!img) return 0xFFFFFFFF;
    unsigned p = XGetPixel(img, 0, 0) & 0xFFFFFF;
    XDestroyImage(img);
    return p;
}

QImage XvfbSession::Grab(int x, int y, int width, int height) {
    Display* d = D(display_);
    XImage* img = XGetImage(d, DefaultRootWindow(d), x, y, width, height, AllPlanes, ZPixmap);
    if (!img) return {};
    QImage out(width, height, QImage::Format_RGB32);
    for (int row = 0; row < height; ++row)
        for (int col = 0; col < width; ++col)
            out.setPixel(col, row, 0xFF000000u | (XGetPixel(img, col, row) & 0xFFFFFF));
    XDestroyImage(img);
    return out;
}

void XvfbSession::SavePng(const std::string& path) {
    Display* d = D(display_);
    XWindowAttributes a;
    XGetWindowAttributes(d, DefaultRootWindow(d), &a);
    Grab(0, 0, a.width, a.height).save(QString::fromStdString(path));
}

bool XvfbSession::ShowsWindowTitled(const std::string& title) { return WindowTitled(title).has_value(); }

int XvfbSession::ViewablePopups() {
    Display* d = D(display_);
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &count)) return 0;
    int popups = 0;
    for (unsigned i = 0; i < count; ++i) {
        XWindowAttributes a;
        popups += XGetWindowAttributes(d, children[i], &a) && a.map_state == IsViewable && a.override_redirect;
    }
    if (children) XFree(children);
    return popups;
}

std::optional<QRect> XvfbSession::WindowTitled(const std::string& title) {
    Display* d = D(display_);
    const Atom netName = XInternAtom(d, "_NET_WM_NAME", False), utf8 = XInternAtom(d, "UTF8_STRING", False);
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &count)) return std::nullopt;
    std::optional<QRect> found;
    for (unsigned i = 0; i < count && !found; ++i) {
        XWindowAttributes a;
        if (!XGetWindowAttributes(d, children[i], &a) || a.map_state != IsViewable) continue;
        std::string name;
        Atom type = 0;
        int format = 0;
        unsigned long items = 0, after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(d, children[i], netName, 0, 1024, False, utf8, &type, &format, &items, &after, &data) ==
                Success &&
            data && format == 8)
            name.assign(reinterpret_cast<const char*>(data), items);
        if (data) XFree(data);
        char* plain = nullptr;
        if (name.empty() && XFetchName(d, children[i], &plain) && plain) name = plain;
        if (plain) XFree(plain);
        if (name == title) found = QRect(a.x, a.y, a.width, a.height);
    }
    if (children) XFree(children);
    return found;
}

int XvfbSession::ViewableTopLevelWindows() {
    Display* d = D(display_);
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &count)) return 0;
    int viewable = 0;
    for (unsigned i = 0; i < count; ++i) {
        XWindowAttributes a;
        if (XGetWindowAttributes(d, children[i], &a) && a.map_state == IsViewable) ++viewable;
    }
    if (children) XFree(children);
    return viewable;
}

std::optional<unsigned long> XvfbSession::TopLevelCardinal(const std::string& property) {
    Display* d = D(display_);
    const Atom atom = XInternAtom(d, property.c_str(), False);
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &count)) return std::nullopt;
    std::optional<unsigned long> found;
    for (unsigned i = 0; i < count && !found; ++i) {
        Atom type = 0;
        int format = 0;
        unsigned long items = 0, after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(d, children[i], atom, 0, 1, False, XA_CARDINAL, &type, &format, &items, &after, &data) ==
                Success &&
            format == 32 && items == 1)
            found = *reinterpret_cast<unsigned long*>(data) & 0xFFFFFFFFul;
        if (data) XFree(data);
    }
    if (children) XFree(children);
    return found;
}

Process::Process(const std::vector<std::string>& args, const std::map<std::string, std::string>& env,
                 const std::string& errorFile)
    : pid_(SpawnWith(args, env, errorFile)) {}

Process::~Process() {
    if (pid_ > 0 && !status_) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
}

void Process::Signal(int signal) {
    if (pid_ > 0 && !status_) kill(pid_, signal);
}

int Process::Threads() const {
    std::error_code ec;
    int n = 0;
    for (auto it = std::filesystem::directory_iterator("/proc/" + std::to_string(pid_) + "/task", ec);
         !ec && it != std::filesystem::directory_iterator(); it.increment(ec))
        ++n;
    return n;
}

bool Process::Running() { return started() && !WaitExit(std::chrono::milliseconds(0)); }

std::optional<int> Process::WaitExit(std::chrono::milliseconds limit) {
    if (status_ || pid_ <= 0) return status_;
    const auto end = std::chrono::steady_clock::now() + limit;
    for (;;) {
        int st = 0;
        if (waitpid(pid_, &st, WNOHANG) == pid_) {
            status_ = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
            return status_;
        }
        if (std::chrono::steady_clock::now() >= end) return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

}  // namespace tav::test
