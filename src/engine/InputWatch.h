#pragma once
// The saver window's input rules: which mouse and key events end the show and
// which change the CD track. Kept apart from the window so they are tested
// with synthetic events.

#include <vector>

namespace tav {

// Key codes as the rules name them.
inline constexpr int VK_MENU = 18;
inline constexpr int VK_LEFT = 37;
inline constexpr int VK_RIGHT = 39;
inline constexpr int VK_DOWN = 40;

enum class InputAction { Exit, PreviousTrack, NextTrack };

struct InputRules {
    bool bareStart = false;  // started without any command line
    bool mouseLock = false;  // the mouse does not end the show
    bool cdMusic = false;    // CD audio plays: the arrows change the track
};

class InputWatch {
public:
    // Two surfaces watch the mouse on their own: the window and the picture area.
    enum Surface { Window = 0, Display = 1 };

    explicit InputWatch(InputRules rules) : rules_(rules) {}

    std::vector<InputAction> MouseDown() const;
    std::vector<InputAction> MouseMove(Surface surface, float x, float y);
    std::vector<InputAction> KeyDown(int virtualKey) const;
    // A refused exit starts the mouse records over.
    void ForgetMouse();

private:
    struct Record {
        float x = 0, y = 0;
        bool recorded = false;
    };
    InputRules rules_;
    Record records_[2];
};

}  // namespace tav
