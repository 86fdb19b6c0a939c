#pragma once
// The table of the 143 transition effects: for each number, the routine that
// draws it and the arguments it is called with.

#include <cstdint>
#include <span>

namespace tav {

class EffectHost;

enum class Routine {
    StripSequenceWipe,
    QuadrantZoom,
    ZoomOrRandomCells,
    OverlayFlashWipe,
    InvertFlashWipe,
    CombWipe,
    CombWipeCross,
    SpiralBlockReveal,
    TileShrinkRandomPairs,
    TileShrinkRandomQuads,
    TileShrinkAll,
    CentreDoorSlide,
    StripSlideSequence,
    StaircaseSplit,
    StaircaseSplitCross,
    SlideEntry,
    SlideCross,
    CrossBandWipe,
    BlockGridSweep,
    FourWaySlideIn,
    StripSqueeze,
    StripInterlaceSlide,
    LineInterlaceSlide,
    CheckerBlockFill,
    PixelSweep,
    TileScatter,
    RandomLineDissolve,
    ShapeMaskReveal,
    ColumnSmearSweep,
    SplitRoll,
};

struct EffectEntry {
    std::int16_t number;
    Routine routine;
    std::int8_t argc;
    std::int16_t args[3];
};

constexpr int kEffectCount = 143;

std::span<const EffectEntry> EffectTable();
// The row of effect `number`, or null outside 1 ... 143.
const EffectEntry* FindEffect(int number);
const char* RoutineName(Routine routine);
// Calls the row's routine with the row's arguments.
void InvokeEffect(EffectHost& host, const EffectEntry& entry);

}  // namespace tav
