#pragma once
// The progress line of a long run: on a terminal only, on standard error,
// at most ten times a second: what is done of all, the time so far and the
// time still to go.

#include <chrono>
#include <string>

namespace tav {

class Progress {
public:
    // `unit` names what is counted ("slide", "effect", "frame"); a total of 0
    // is unknown, and then no time left is guessed.
    Progress(std::string unit, long total);
    ~Progress();
    void Update(long done);
    // Clears the line.
    void Done();

private:
    void Print(long done);

    std::string unit_;
    long total_;
    bool terminal_;
    bool shown_ = false;
    std::chrono::steady_clock::time_point start_, last_;
};

}  // namespace tav
