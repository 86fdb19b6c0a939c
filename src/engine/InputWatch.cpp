#include "engine/InputWatch.h"

namespace tav {

std::vector<InputAction> InputWatch::MouseDown() const {
    if (rules_.mouseLock) return {};
    return {InputAction::Exit};
}

std::vector<InputAction> InputWatch::MouseMove(Surface surface, float x, float y) {
    if (rules_.bareStart || rules_.mouseLock) return {};
    Record& r = records_[surface];
    if (!r.recorded) {
        r = {x, y, true};
        return {};
    }
    // Only a move on both axes counts; there is no distance threshold.
    if (x != r.x && y != r.y) {
        r.recorded = false;
        return {InputAction::Exit};
    }
    return {};
}

std::vector<InputAction> InputWatch::KeyDown(int virtualKey) const {
    std::vector<InputAction> actions;
    if (rules_.mouseLock && virtualKey == VK_MENU) actions.push_back(InputAction::Exit);
    if (rules_.cdMusic && virtualKey == VK_LEFT)
        actions.push_back(InputAction::PreviousTrack);
    else if (rules_.cdMusic && virtualKey == VK_RIGHT)
        actions.push_back(InputAction::NextTrack);
    else
        actions.push_back(InputAction::Exit);
    return actions;
}

void InputWatch::ForgetMouse() {
    records_[0].recorded = false;
    records_[1].recorded = false;
}

}  // namespace tav
