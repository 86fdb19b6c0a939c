// The single-instance guard of the real program on an X server: a second copy
// ends at once while a window of a running copy exists. Needs Xvfb; skipped
// without it.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "startup/SharedState.h"
#include "support/storage_temp_folder.h"
#include "support/xvfb_session.h"
#include "x11/X11Windows.h"

// Xlib last: its macros clash with other headers.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace tav {
namespace {

using namespace std::chrono_literals;
using test::Process;

// A generous bound for a process that should end or show something; only a
// hang ever reaches it.
constexpr auto kPatience = 30s;

class SecondCopy : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        server = std::make_unique<test::XvfbSession>(1024, 768);
        if (!server->ok()) server.reset();
    }

    static void TearDownTestSuite() { server.reset(); }

    void SetUp() override {
        if (!server) GTEST_SKIP() << "Xvfb is not available";
        program = test::ProgramPath("tavrelle");
        if (::access(program.c_str(), X_OK) != 0) GTEST_SKIP() << "no program at " << program;
        x = XOpenDisplay(server->name().c_str());
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

    std::unique_ptr<Process> StartCopy(const std::string& commandSwitch = "/s") {
        return std::make_unique<Process>(
            std::vector<std::string>{program, commandSwitch},
            std::map<std::string, std::string>{
                {"DISPLAY", server->name()}, {"QT_QPA_PLATFORM", "xcb"}, {"XDG_DATA_HOME", folder.Root()}});
    }

    bool WindowOnDisplay(const std::string& title) {
        // The search runs in this process, which the test runner started for
        // the offscreen platform.
        const std::string oldDisplay = std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "";
        const std::string oldPlatform = std::getenv("QT_QPA_PLATFORM") ? std::getenv("QT_QPA_PLATFORM") : "";
        ::setenv("DISPLAY", server->name().c_str(), 1);
        ::unsetenv("QT_QPA_PLATFORM");
        const bool found = TopLevelWindowTitled({title});
        ::setenv("DISPLAY", oldDisplay.c_str(), 1);
        if (!oldPlatform.empty()) ::setenv("QT_QPA_PLATFORM", oldPlatform.c_str(), 1);
        return found;
    }

    static inline std::unique_ptr<test::XvfbSession> server;
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
                         Case{"Tavrelleの設定", true, true}, Case{"Tavrelle settings", false, true}}) {
        SCOPED_TRACE(c.title);
        const Window w = MakeWindow(c.title, c.utf8Only, c.nested);
        ASSERT_TRUE(WindowOnDisplay(c.title));
        const auto copy = StartCopy();
        ASSERT_TRUE(copy->started());
        EXPECT_EQ(copy->WaitExit(kPatience), std::optional<int>(0));
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
            const std::unique_ptr<Process> copies[2] = {StartCopy(commandSwitch), StartCopy(commandSwitch)};
            ASSERT_TRUE(copies[0]->started());
            ASSERT_TRUE(copies[1]->started());
            const auto deadline = std::chrono::steady_clock::now() + kPatience;
            while (!copies[0]->WaitExit(0ms) && !copies[1]->WaitExit(10ms) &&
                   std::chrono::steady_clock::now() < deadline) {
            }
            // The one left must still be running a moment later; it is ended with its object.
            std::this_thread::sleep_for(300ms);
            const std::optional<int> statuses[2] = {copies[0]->WaitExit(0ms), copies[1]->WaitExit(0ms)};
            EXPECT_NE(statuses[0].has_value(), statuses[1].has_value())
                << "ended: " << statuses[0].has_value() << ", " << statuses[1].has_value();
            for (const std::optional<int>& status : statuses) {
                if (status) {
                    EXPECT_EQ(*status, 0);
                }
            }
        }
    }
}

TEST_F(SecondCopy, WithoutSuchAWindowTheCopyRunsOnToItsMessage) {
    // A similar title is not the program's window.
    const Window w = MakeWindow("Tavrelle_Main2", false);
    const auto copy = StartCopy();
    ASSERT_TRUE(copy->started());
    // The first start has no pictures: the copy creates its data and waits in
    // the message box titled "Tavrelle".
    bool shown = false;
    std::optional<int> status;
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (!(shown = WindowOnDisplay("Tavrelle")) && !(status = copy->WaitExit(20ms)) &&
           std::chrono::steady_clock::now() < deadline) {
    }
    EXPECT_FALSE(status) << "the copy ended with status " << status.value_or(-1);
    EXPECT_TRUE(shown);
    EXPECT_TRUE(std::filesystem::exists(folder.Data() + "/Tavrelle_S.rdm"));
    XDestroyWindow(x, w);
}

}  // namespace
}  // namespace tav
