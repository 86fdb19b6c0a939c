#pragma once
// The table of the 143 transition effects: for each number, the routine that
// draws it and the arguments it is called with, by name.

#include <cstdint>
#include <span>
#include <variant>
#include <vector>

#include "effects/BlockGrid.h"
#include "effects/CombWipes.h"
#include "effects/HalfSlides.h"
#include "effects/InterlaceSlide.h"
#include "effects/MaskReveal.h"
#include "effects/OverlayWipe.h"
#include "effects/PixelSweep.h"
#include "effects/QuadrantZoom.h"
#include "effects/RandomLineDissolve.h"
#include "effects/SlidePush.h"
#include "effects/SpiralBlocks.h"
#include "effects/SplitRoll.h"
#include "effects/StaircaseSplit.h"
#include "effects/StripSequence.h"
#include "effects/StripSqueeze.h"
#include "effects/TileScatter.h"
#include "effects/TileShrink.h"
#include "effects/ZoomCells.h"

namespace tav {

class EffectHost;

// The arguments of one row; which struct it holds chooses the routine.
using RoutineArgs =
    std::variant<StripSequenceWipeArgs, QuadrantZoomArgs, ZoomOrRandomCellsArgs, OverlayFlashWipeArgs,
                 InvertFlashWipeArgs, CombWipeArgs, CombWipeCrossArgs, SpiralBlockRevealArgs, TileShrinkRandomPairsArgs,
                 TileShrinkRandomQuadsArgs, TileShrinkAllArgs, CentreDoorSlideArgs, StripSlideSequenceArgs,
                 StaircaseSplitArgs, StaircaseSplitCrossArgs, SlideEntryArgs, SlideCrossArgs, CrossBandWipeArgs,
                 BlockGridSweepArgs, FourWaySlideInArgs, StripSqueezeArgs, StripInterlaceSlideArgs,
                 LineInterlaceSlideArgs, CheckerBlockFillArgs, PixelSweepArgs, TileScatterArgs, RandomLineDissolveArgs,
                 ShapeMaskRevealArgs, ColumnSmearSweepArgs, SplitRollArgs>;

struct EffectEntry {
    std::int16_t number;
    RoutineArgs args;
};

constexpr int kEffectCount = 143;

std::span<const EffectEntry> EffectTable();
// The row of effect `number`, or null outside 1 ... 143.
const EffectEntry* FindEffect(int number);
// The name of the routine that draws the row.
const char* RoutineName(const EffectEntry& entry);
// The row's arguments in the order its struct declares them, as tools print them.
std::vector<int> ArgumentValues(const EffectEntry& entry);
// Calls the row's routine with the row's arguments.
void InvokeEffect(EffectHost& host, const EffectEntry& entry);

}  // namespace tav
