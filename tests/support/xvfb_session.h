#pragma once
// A private X server for tests that drive the real program: Xvfb on a free
// display, processes started against it, and pixels read back from it.

#include <sys/types.h>

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tav::test {

class XvfbSession {
public:
    // Starts Xvfb with one screen of the given size; ok() is false when Xvfb is missing.
    XvfbSession(int width, int height);
    ~XvfbSession();
    bool ok() const { return display_ != nullptr; }
    const std::string& name() const { return name_; }

    // A plain top-level window, mapped, filled black; returns its id.
    unsigned long CreateWindow(int x, int y, int width, int height);
    void DestroyWindow(unsigned long id);
    // 0x00RRGGBB of a pixel of the root window (the screen) or of a window.
    unsigned Pixel(int x, int y, unsigned long window = 0);
    void SavePng(const std::string& path);
    // A 32-bit property of the first top-level window that has it.
    std::optional<unsigned long> TopLevelCardinal(const std::string& property);

private:
    pid_t server_ = -1;
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

private:
    pid_t pid_ = -1;
    std::optional<int> status_;
};

std::string ProgramPath(const std::string& name);  // in the build folder
bool HaveProgram(const std::string& name);          // on PATH
void RunCommand(const std::vector<std::string>& args, const std::map<std::string, std::string>& env);

}  // namespace tav::test
