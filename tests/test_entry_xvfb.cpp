// The single-instance guard of the real program on an X server: a second copy
// ends at once while a window of a running copy exists. Needs Xvfb; skipped
// without it.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <thread>

#include "x11/X11Windows.h"
#include "startup/SharedState.h"
#include "support/storage_temp_folder.h"

// Xlib last: its macros clash with other headers.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

extern char** environ;

namespace tav {
namespace {

using namespace std::chrono_literals;

// A generous bound for a process that should end or show something; only a
// hang ever reaches it.
constexpr auto kPatience = 30s;

std::optional<std::string> FindProgram(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= dirs.size()) {
        const std::size_t end = dirs.find(':', start);
        const std::string dir = dirs.substr(start, end == std::string::npos ? std::string::npos : end - start);
        const std::string candidate = dir + "/" + name;
        if (!dir.empty() && ::access(candidate.c_str(), X_OK) == 0) return candidate;
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return std::nullopt;
}

// Starts a program with the environment of this process plus overrides;
// when resultFd >= 0 it is handed to the child as fd 3.
pid_t Spawn(std::vector<std::string> args, const std::map<std::string, std::string>& overrides, int resultFd = -1) {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        if (!overrides.count(entry.substr(0, entry.find('=')))) env.push_back(entry);
    }
    for (const auto& [k, v] : overrides) env.push_back(k + "=" + v);
    std::vector<char*> argv, envp;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (resultFd >= 0) posix_spawn_file_actions_adddup2(&actions, resultFd, 3);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

// The exit status, or std::nullopt when the process still runs after kPatience
// or once keepWaiting() says to stop.
std::optional<int> WaitForExit(pid_t pid, const std::function<bool()>& keepWaiting = [] { return true; }) {
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (std::chrono::steady_clock::now() < deadline && keepWaiting()) {
        int status = 0;
        if (::waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        std::this_thread::sleep_for(20ms);
    }
    return std::nullopt;
}

void Stop(pid_t pid) {
    ::kill(pid, SIGTERM);
    int status = 0;
    ::waitpid(pid, &status, 0);
}

class SecondCopy : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        const auto xvfb = FindProgram("Xvfb");
        if (!xvfb) return;
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0) return;
        // Duplicating a descriptor onto itself would keep its close-on-exec
        // flag, so the write end must not already be fd 3.
        const int writeEnd = ::fcntl(fds[1], F_DUPFD_CLOEXEC, 10);
        ::close(fds[1]);
        xvfbPid = Spawn({*xvfb, "-displayfd", "3", "-screen", "0", "1024x768x24", "-nolisten", "tcp"}, {}, writeEnd);
        ::close(writeEnd);
        // Xvfb writes its display number to fd 3 once it accepts clients.
        std::string number;
        pollfd p{fds[0], POLLIN, 0};
        char c = 0;
        while (xvfbPid > 0 && ::poll(&p, 1, static_cast<int>(std::chrono::milliseconds(kPatience).count())) > 0 &&
               ::read(fds[0], &c, 1) == 1 && c != '\n')
            number += c;
        ::close(fds[0]);
        if (!number.empty()) display = ":" + number;
    }

    static void TearDownTestSuite() {
        if (xvfbPid > 0) Stop(xvfbPid);
        xvfbPid = -1;
    }

    void SetUp() override {
        if (display.empty()) GTEST_SKIP() << "Xvfb is not available";
        const char* binDir = std::getenv("TAVRELLE_BIN_DIR");
        program = std::string(binDir ? binDir : ".") + "/tavrelle";
        if (::access(program.c_str(), X_OK) != 0) GTEST_SKIP() << "no program at " << program;
        x = XOpenDisplay(display.c_str());
        ASSERT_NE(x, nullptr);
    }

    void TearDown() override {
        if (x) XCloseDisplay(x);
    }

    // A titled window; with nested, it sits two frames below the root and is
    // announced in _NET_CLIENT_LIST, as a window manager would do.
    Window MakeWindow(const std::string& title, bool utf8Only, bool nested = false) {
        Window parent = DefaultRootWindow(x);
        if (nested) {
            parent = XCreateSimpleWindow(x, parent, 0, 0, 140, 100, 0, 0, 0);
            parent = XCreateSimpleWindow(x, parent, 0, 0, 130, 90, 0, 0, 0);
        }
        const Window w = XCreateSimpleWindow(x, parent, 0, 0, 120, 80, 0, 0, 0);
        if (nested) {
            const unsigned long list[] = {w};
            XChangeProperty(x, DefaultRootWindow(x), XInternAtom(x, "_NET_CLIENT_LIST", False), XA_WINDOW, 32,
                            PropModeReplace, reinterpret_cast<const unsigned char*>(list), 1);
        }
        if (utf8Only) {
            XChangeProperty(x, w, XInternAtom(x, "_NET_WM_NAME", False), XInternAtom(x, "UTF8_STRING", False), 8,
                            PropModeReplace, reinterpret_cast<const unsigned char*>(title.data()),
                            static_cast<int>(title.size()));
        } else {
            XStoreName(x, w, title.c_str());
        }
        XMapWindow(x, w);
        XSync(x, False);
        return w;
    }

    pid_t StartCopy(const std::string& commandSwitch = "/s") {
        return Spawn({program, commandSwitch},
                     {{"DISPLAY", display}, {"QT_QPA_PLATFORM", "xcb"}, {"XDG_DATA_HOME", folder.Root()}});
    }

    bool WindowOnDisplay(const std::string& title) {
        // The search runs in this process, which the test runner started for
        // the offscreen platform.
        const std::string oldDisplay = std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "";
        const std::string oldPlatform = std::getenv("QT_QPA_PLATFORM") ? std::getenv("QT_QPA_PLATFORM") : "";
        ::setenv("DISPLAY", display.c_str(), 1);
        ::unsetenv("QT_QPA_PLATFORM");
        const bool found = TopLevelWindowTitled({title});
        ::setenv("DISPLAY", oldDisplay.c_str(), 1);
        if (!oldPlatform.empty()) ::setenv("QT_QPA_PLATFORM", oldPlatform.c_str(), 1);
        return found;
    }

    static inline pid_t xvfbPid = -1;
    static inline std::string display;
    std::string program;
    Display* x = nullptr;
    test::StorageTempFolder folder;
};

TEST_F(SecondCopy, EndsAtOnceWhileAWindowOfARunningCopyExists) {
    struct Case {
        const char* title;
        bool utf8Only;
        bool nested;
    };
    for (const Case c : {Case{"Tavrelle_Main", false, false}, Case{"Tavrelleの設定", true, false},
                         Case{"Tavrelleの設定", true, true}}) {
        SCOPED_TRACE(c.title);
        const Window w = MakeWindow(c.title, c.utf8Only, c.nested);
        ASSERT_TRUE(WindowOnDisplay(c.title));
        const pid_t pid = StartCopy();
        ASSERT_GT(pid, 0);
        const auto status = WaitForExit(pid);
        if (!status) Stop(pid);
        EXPECT_EQ(status, std::optional<int>(0));
        EXPECT_FALSE(std::filesystem::exists(folder.Data())) << "the copy went past the guard";
        XDestroyWindow(x, w);
        XDeleteProperty(x, DefaultRootWindow(x), XInternAtom(x, "_NET_CLIENT_LIST", False));
        XSync(x, False);
    }
}

// Started in the same moment, before either has a window: exactly one runs
// (to its message box or its dialog), the other ends at once.
TEST_F(SecondCopy, OfTwoStartedTogetherExactlyOneRuns) {
    for (const char* commandSwitch : {"/s", "/c"}) {
        for (int round = 0; round < 20; ++round) {
            SCOPED_TRACE(std::string(commandSwitch) + " round " + std::to_string(round));
            const pid_t pids[2] = {StartCopy(commandSwitch), StartCopy(commandSwitch)};
            ASSERT_GT(pids[0], 0);
            ASSERT_GT(pids[1], 0);
            bool ended[2] = {false, false};
            int statuses[2] = {-1, -1};
            auto reap = [&] {
                for (int i = 0; i < 2; ++i) {
                    int raw = 0;
                    if (!ended[i] && ::waitpid(pids[i], &raw, WNOHANG) == pids[i]) {
                        ended[i] = true;
                        statuses[i] = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
                    }
                }
                return ended[0] || ended[1];
            };
            const auto deadline = std::chrono::steady_clock::now() + kPatience;
            while (!reap() && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(10ms);
            // The one left must still be running a moment later.
            std::this_thread::sleep_for(300ms);
            reap();
            EXPECT_NE(ended[0], ended[1]) << "ended: " << ended[0] << ", " << ended[1];
            for (int i = 0; i < 2; ++i) {
                if (ended[i])
                    EXPECT_EQ(statuses[i], 0);
                else
                    Stop(pids[i]);
            }
        }
    }
}

TEST_F(SecondCopy, WithoutSuchAWindowTheCopyRunsOnToItsMessage) {
    // A similar title is not the program's window.
    const Window w = MakeWindow("Tavrelle_Main2", false);
    const pid_t pid = StartCopy();
    ASSERT_GT(pid, 0);
    // The first start has no pictures: the copy creates its data and waits in
    // the message box titled "Tavrelle".
    bool shown = false;
    const auto status = WaitForExit(pid, [&] { return !(shown = WindowOnDisplay("Tavrelle")); });
    EXPECT_FALSE(status) << "the copy ended with status " << status.value_or(-1);
    EXPECT_TRUE(shown);
    EXPECT_TRUE(std::filesystem::exists(folder.Data() + "/Tavrelle_S.rdm"));
    if (!status) Stop(pid);
    XDestroyWindow(x, w);
}

}  // namespace
}  // namespace tav
