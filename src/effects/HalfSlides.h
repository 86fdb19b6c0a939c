#pragma once
// Half-picture slides and edge bands: halves or quarters of the pictures move
// like doors, the incoming picture pushes in from a different side every
// frame, or two bands of it cross the outgoing picture before a wipe.

#include "effects/EffectArg.h"

namespace tav {

class EffectHost;

struct CentreDoorSlideArgs {
    // 1 and 3 bring halves of the incoming picture in from the left and right
    // (top and bottom) edges, 2 and 4 open the outgoing picture to the sides
    // (up and down), 5 sends its quarters to the corners, 6 brings the incoming
    // picture in from all four sides and 7 opens the outgoing one to all four.
    EffectArg variant;
};
void CentreDoorSlide(EffectHost& h, const CentreDoorSlideArgs& a);

struct FourWaySlideInArgs {};
// The incoming picture pushes in from the right, left, bottom and top in turn.
void FourWaySlideIn(EffectHost& h);

struct CrossBandWipeArgs {};
// A vertical and a horizontal band of the incoming picture cross the outgoing
// picture; then the incoming picture is wiped on from the left.
void CrossBandWipe(EffectHost& h);

}  // namespace tav
