#include "effects/EffectTable.h"

#include <iterator>

#include "effects/BlockGrid.h"
#include "effects/CombWipes.h"
#include "effects/EffectHost.h"
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
namespace {

// Routines take the table's arguments as plain integers; an invoker unpacks a
// row for its routine.
using Invoker = void (*)(EffectHost& host, const std::int16_t* args);

struct RoutineEntry {
    Routine routine;
    const char* name;
    Invoker invoke;
};

// One line per routine, in the order of the Routine enumeration.
// clang-format off
constexpr RoutineEntry kRoutines[] = {
    {Routine::StripSequenceWipe, "StripSequenceWipe", [](EffectHost& h, const std::int16_t* a) { StripSequenceWipe(h, a[0], a[1], a[2]); }},
    {Routine::QuadrantZoom, "QuadrantZoom", [](EffectHost& h, const std::int16_t* a) { QuadrantZoom(h, a[0], a[1]); }},
    {Routine::ZoomOrRandomCells, "ZoomOrRandomCells", [](EffectHost& h, const std::int16_t* a) { ZoomOrRandomCells(h, a[0]); }},
    {Routine::OverlayFlashWipe, "OverlayFlashWipe", [](EffectHost& h, const std::int16_t* a) { OverlayFlashWipe(h, a[0], a[1]); }},
    {Routine::InvertFlashWipe, "InvertFlashWipe", [](EffectHost& h, const std::int16_t* a) { InvertFlashWipe(h, a[0], a[1]); }},
    {Routine::CombWipe, "CombWipe", [](EffectHost& h, const std::int16_t* a) { CombWipe(h, a[0], a[1]); }},
    {Routine::CombWipeCross, "CombWipeCross", [](EffectHost& h, const std::int16_t* a) { CombWipeCross(h, a[0]); }},
    {Routine::SpiralBlockReveal, "SpiralBlockReveal", [](EffectHost& h, const std::int16_t*) { SpiralBlockReveal(h); }},
    {Routine::TileShrinkRandomPairs, "TileShrinkRandomPairs", [](EffectHost& h, const std::int16_t* a) { TileShrinkRandomPairs(h, a[0], a[1]); }},
    {Routine::TileShrinkRandomQuads, "TileShrinkRandomQuads", [](EffectHost& h, const std::int16_t* a) { TileShrinkRandomQuads(h, a[0], a[1]); }},
    {Routine::TileShrinkAll, "TileShrinkAll", [](EffectHost& h, const std::int16_t* a) { TileShrinkAll(h, a[0], a[1]); }},
    {Routine::CentreDoorSlide, "CentreDoorSlide", [](EffectHost& h, const std::int16_t* a) { CentreDoorSlide(h, a[0]); }},
    {Routine::StripSlideSequence, "StripSlideSequence", [](EffectHost& h, const std::int16_t* a) { StripSlideSequence(h, a[0], a[1]); }},
    {Routine::StaircaseSplit, "StaircaseSplit", [](EffectHost& h, const std::int16_t* a) { StaircaseSplit(h, a[0], a[1]); }},
    {Routine::StaircaseSplitCross, "StaircaseSplitCross", [](EffectHost& h, const std::int16_t* a) { StaircaseSplitCross(h, a[0], a[1]); }},
    {Routine::SlideEntry, "SlideEntry", [](EffectHost& h, const std::int16_t* a) { SlideEntry(h, a[0], a[1]); }},
    {Routine::SlideCross, "SlideCross", [](EffectHost& h, const std::int16_t* a) { SlideCross(h, a[0], a[1], a[2]); }},
    {Routine::CrossBandWipe, "CrossBandWipe", [](EffectHost& h, const std::int16_t*) { CrossBandWipe(h); }},
    {Routine::BlockGridSweep, "BlockGridSweep", [](EffectHost& h, const std::int16_t* a) { BlockGridSweep(h, a[0], a[1]); }},
    {Routine::FourWaySlideIn, "FourWaySlideIn", [](EffectHost& h, const std::int16_t*) { FourWaySlideIn(h); }},
    {Routine::StripSqueeze, "StripSqueeze", [](EffectHost& h, const std::int16_t* a) { StripSqueeze(h, a[0], a[1]); }},
    {Routine::StripInterlaceSlide, "StripInterlaceSlide", [](EffectHost& h, const std::int16_t* a) { StripInterlaceSlide(h, a[0], a[1]); }},
    {Routine::LineInterlaceSlide, "LineInterlaceSlide", [](EffectHost& h, const std::int16_t* a) { LineInterlaceSlide(h, a[0]); }},
    {Routine::CheckerBlockFill, "CheckerBlockFill", [](EffectHost& h, const std::int16_t* a) { CheckerBlockFill(h, a[0]); }},
    {Routine::PixelSweep, "PixelSweep", [](EffectHost& h, const std::int16_t* a) { PixelSweep(h, a[0], a[1]); }},
    {Routine::TileScatter, "TileScatter", [](EffectHost& h, const std::int16_t* a) { TileScatter(h, a[0], a[1], a[2]); }},
    {Routine::RandomLineDissolve, "RandomLineDissolve", [](EffectHost& h, const std::int16_t* a) { RandomLineDissolve(h, a[0]); }},
    {Routine::ShapeMaskReveal, "ShapeMaskReveal", [](EffectHost& h, const std::int16_t* a) { ShapeMaskReveal(h, a[0], a[1]); }},
    {Routine::ColumnSmearSweep, "ColumnSmearSweep", [](EffectHost& h, const std::int16_t*) { ColumnSmearSweep(h); }},
    {Routine::SplitRoll, "SplitRoll", [](EffectHost& h, const std::int16_t* a) { SplitRoll(h, a[0]); }},
};
// clang-format on

constexpr EffectEntry kEffects[kEffectCount] = {
    {1, Routine::StripSequenceWipe, 3, {1, 1, 1}},
    {2, Routine::StripSequenceWipe, 3, {1, 2, 1}},
    {3, Routine::StripSequenceWipe, 3, {1, 1, 2}},
    {4, Routine::StripSequenceWipe, 3, {1, 2, 2}},
    {5, Routine::StripSequenceWipe, 3, {1, 1, 3}},
    {6, Routine::StripSequenceWipe, 3, {1, 2, 3}},
    {7, Routine::StripSequenceWipe, 3, {1, 1, 4}},
    {8, Routine::StripSequenceWipe, 3, {1, 2, 4}},
    {9, Routine::StripSequenceWipe, 3, {1, 1, 5}},
    {10, Routine::StripSequenceWipe, 3, {1, 2, 5}},
    {11, Routine::StripSequenceWipe, 3, {2, 1, 1}},
    {12, Routine::StripSequenceWipe, 3, {2, 2, 1}},
    {13, Routine::StripSequenceWipe, 3, {2, 1, 2}},
    {14, Routine::StripSequenceWipe, 3, {2, 2, 2}},
    {15, Routine::StripSequenceWipe, 3, {2, 1, 3}},
    {16, Routine::StripSequenceWipe, 3, {2, 2, 3}},
    {17, Routine::StripSequenceWipe, 3, {2, 1, 4}},
    {18, Routine::StripSequenceWipe, 3, {2, 2, 4}},
    {19, Routine::StripSequenceWipe, 3, {2, 1, 5}},
    {20, Routine::StripSequenceWipe, 3, {2, 2, 5}},
    {21, Routine::QuadrantZoom, 2, {1, 1}},
    {22, Routine::QuadrantZoom, 2, {1, 2}},
    {23, Routine::QuadrantZoom, 2, {2, 1}},
    {24, Routine::QuadrantZoom, 2, {2, 2}},
    {25, Routine::ZoomOrRandomCells, 1, {1}},
    {26, Routine::ZoomOrRandomCells, 1, {2}},
    {27, Routine::OverlayFlashWipe, 2, {1, 1}},
    {28, Routine::OverlayFlashWipe, 2, {1, 2}},
    {29, Routine::OverlayFlashWipe, 2, {2, 1}},
    {30, Routine::OverlayFlashWipe, 2, {2, 2}},
    {31, Routine::InvertFlashWipe, 2, {1, 100}},
    {32, Routine::InvertFlashWipe, 2, {2, 100}},
    {33, Routine::CombWipe, 2, {1, 2}},
    {34, Routine::CombWipe, 2, {2, 3}},
    {35, Routine::CombWipe, 2, {1, 4}},
    {36, Routine::CombWipe, 2, {2, 5}},
    {37, Routine::CombWipe, 2, {1, 6}},
    {38, Routine::CombWipe, 2, {2, 7}},
    {39, Routine::CombWipeCross, 1, {50}},
    {40, Routine::CombWipeCross, 1, {100}},
    {41, Routine::SpiralBlockReveal, 0, {}},
    {42, Routine::TileShrinkRandomPairs, 2, {1, 4}},
    {43, Routine::TileShrinkRandomPairs, 2, {2, 4}},
    {44, Routine::TileShrinkRandomQuads, 2, {1, 8}},
    {45, Routine::TileShrinkRandomQuads, 2, {2, 8}},
    {46, Routine::TileShrinkAll, 2, {1, 2}},
    {47, Routine::TileShrinkAll, 2, {2, 2}},
    {48, Routine::TileShrinkAll, 2, {1, 4}},
    {49, Routine::TileShrinkAll, 2, {2, 4}},
    {50, Routine::TileShrinkAll, 2, {1, 6}},
    {51, Routine::TileShrinkAll, 2, {2, 6}},
    {52, Routine::TileShrinkAll, 2, {1, 8}},
    {53, Routine::TileShrinkAll, 2, {2, 8}},
    {54, Routine::TileShrinkAll, 2, {1, 10}},
    {55, Routine::TileShrinkAll, 2, {2, 10}},
    {56, Routine::CentreDoorSlide, 1, {1}},
    {57, Routine::CentreDoorSlide, 1, {2}},
    {58, Routine::CentreDoorSlide, 1, {3}},
    {59, Routine::CentreDoorSlide, 1, {4}},
    {60, Routine::CentreDoorSlide, 1, {5}},
    {61, Routine::CentreDoorSlide, 1, {6}},
    {62, Routine::CentreDoorSlide, 1, {7}},
    {63, Routine::StripSlideSequence, 2, {1, 4}},
    {64, Routine::StripSlideSequence, 2, {2, 6}},
    {65, Routine::StaircaseSplit, 2, {1, 50}},
    {66, Routine::StaircaseSplit, 2, {2, 50}},
    {67, Routine::StaircaseSplitCross, 2, {1, 6}},
    {68, Routine::StaircaseSplitCross, 2, {2, 6}},
    {69, Routine::SlideEntry, 2, {1, 1}},
    {70, Routine::SlideEntry, 2, {2, 1}},
    {71, Routine::SlideEntry, 2, {3, 1}},
    {72, Routine::SlideEntry, 2, {4, 1}},
    {73, Routine::SlideEntry, 2, {1, 2}},
    {74, Routine::SlideEntry, 2, {2, 2}},
    {75, Routine::SlideEntry, 2, {3, 2}},
    {76, Routine::SlideEntry, 2, {4, 2}},
    {77, Routine::SlideCross, 3, {1, 1, 1}},
    {78, Routine::SlideCross, 3, {2, 1, 1}},
    {79, Routine::SlideCross, 3, {1, 2, 1}},
    {80, Routine::SlideCross, 3, {2, 2, 1}},
    {81, Routine::CrossBandWipe, 0, {}},
    {82, Routine::BlockGridSweep, 2, {1, 40}},
    {83, Routine::BlockGridSweep, 2, {2, 40}},
    {84, Routine::BlockGridSweep, 2, {3, 40}},
    {85, Routine::FourWaySlideIn, 0, {}},
    {86, Routine::StripSqueeze, 2, {1, 1}},
    {87, Routine::StripSqueeze, 2, {2, 1}},
    {88, Routine::StripSqueeze, 2, {1, 2}},
    {89, Routine::StripSqueeze, 2, {2, 2}},
    {90, Routine::StripSqueeze, 2, {1, 3}},
    {91, Routine::StripSqueeze, 2, {2, 3}},
    {92, Routine::StripSqueeze, 2, {1, 4}},
    {93, Routine::StripSqueeze, 2, {2, 4}},
    {94, Routine::StripSqueeze, 2, {1, 12}},
    {95, Routine::StripSqueeze, 2, {2, 12}},
    {96, Routine::SlideCross, 3, {1, 1, 2}},
    {97, Routine::SlideCross, 3, {2, 1, 2}},
    {98, Routine::SlideCross, 3, {1, 2, 2}},
    {99, Routine::SlideCross, 3, {2, 2, 2}},
    {100, Routine::StripInterlaceSlide, 2, {1, 120}},
    {101, Routine::StripInterlaceSlide, 2, {2, 100}},
    {102, Routine::StripInterlaceSlide, 2, {3, 100}},
    {103, Routine::StripInterlaceSlide, 2, {1, 10}},
    {104, Routine::StripInterlaceSlide, 2, {2, 10}},
    {105, Routine::StripInterlaceSlide, 2, {3, 10}},
    {106, Routine::StripInterlaceSlide, 2, {1, 4}},
    {107, Routine::StripInterlaceSlide, 2, {2, 4}},
    {108, Routine::StripInterlaceSlide, 2, {3, 4}},
    {109, Routine::LineInterlaceSlide, 1, {1}},
    {110, Routine::LineInterlaceSlide, 1, {2}},
    {111, Routine::LineInterlaceSlide, 1, {3}},
    {112, Routine::CheckerBlockFill, 1, {64}},
    {113, Routine::CheckerBlockFill, 1, {32}},
    {114, Routine::PixelSweep, 2, {1, 0}},
    {115, Routine::PixelSweep, 2, {2, 0}},
    {116, Routine::PixelSweep, 2, {3, 0}},
    {117, Routine::PixelSweep, 2, {4, 0}},
    {118, Routine::PixelSweep, 2, {5, 0}},
    {119, Routine::PixelSweep, 2, {6, 4}},
    {120, Routine::PixelSweep, 2, {7, 4}},
    {121, Routine::PixelSweep, 2, {8, 4}},
    {122, Routine::PixelSweep, 2, {9, 4}},
    {123, Routine::PixelSweep, 2, {10, 4}},
    {124, Routine::TileScatter, 3, {3, 32, 2}},
    {125, Routine::TileScatter, 3, {1, 2, 32}},
    {126, Routine::TileScatter, 3, {2, 32, 2}},
    {127, Routine::TileScatter, 3, {4, 2, 32}},
    {128, Routine::TileScatter, 3, {3, 64, 2}},
    {129, Routine::TileScatter, 3, {1, 2, 64}},
    {130, Routine::TileScatter, 3, {2, 64, 2}},
    {131, Routine::TileScatter, 3, {4, 2, 64}},
    {132, Routine::RandomLineDissolve, 1, {1}},
    {133, Routine::RandomLineDissolve, 1, {2}},
    {134, Routine::ShapeMaskReveal, 2, {1, 10}},
    {135, Routine::ShapeMaskReveal, 2, {2, 10}},
    {136, Routine::ShapeMaskReveal, 2, {3, 10}},
    {137, Routine::ShapeMaskReveal, 2, {4, 10}},
    {138, Routine::ShapeMaskReveal, 2, {5, 10}},
    {139, Routine::ColumnSmearSweep, 0, {}},
    {140, Routine::SplitRoll, 1, {2}},
    {141, Routine::SplitRoll, 1, {3}},
    {142, Routine::SplitRoll, 1, {0}},
    {143, Routine::SplitRoll, 1, {1}},
};

constexpr bool RoutinesInOrder() {
    for (std::size_t i = 0; i < std::size(kRoutines); ++i)
        if (static_cast<std::size_t>(kRoutines[i].routine) != i || !kRoutines[i].invoke) return false;
    return true;
}
static_assert(std::size(kRoutines) == static_cast<std::size_t>(Routine::SplitRoll) + 1, "one line per routine");
static_assert(RoutinesInOrder(), "routine lines follow the enumeration, each with its invoker");

const RoutineEntry& EntryFor(Routine routine) { return kRoutines[static_cast<int>(routine)]; }

}  // namespace

std::span<const EffectEntry> EffectTable() { return kEffects; }

const EffectEntry* FindEffect(int number) {
    if (number < 1 || number > kEffectCount) return nullptr;
    return &kEffects[number - 1];
}

const char* RoutineName(Routine routine) { return EntryFor(routine).name; }

void InvokeEffect(EffectHost& host, const EffectEntry& entry) { EntryFor(entry.routine).invoke(host, entry.args); }

}  // namespace tav
