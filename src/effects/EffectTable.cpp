#include "effects/EffectTable.h"

#include <iterator>
#include <type_traits>

#include "effects/EffectHost.h"

namespace tav {
namespace {

// What the table knows of a routine: its name and how to call it with a row's
// arguments.
struct RoutineLine {
    std::size_t args;  // the index of its argument struct in RoutineArgs
    const char* name;
    void (*invoke)(EffectHost& host, const RoutineArgs& args);
};

template <class Args, std::size_t I = 0>
constexpr std::size_t IndexOf() {
    if constexpr (std::is_same_v<std::variant_alternative_t<I, RoutineArgs>, Args>)
        return I;
    else
        return IndexOf<Args, I + 1>();
}

// A routine without arguments is called without its empty struct.
template <class Args, auto Draw>
constexpr RoutineLine Line(const char* name) {
    return {IndexOf<Args>(), name, [](EffectHost& host, const RoutineArgs& args) {
                if constexpr (std::is_empty_v<Args>)
                    Draw(host);
                else
                    Draw(host, std::get<Args>(args));
            }};
}

// The routine `name` draws with the struct `nameArgs`.
#define ROUTINE(name) Line<name##Args, name>(#name)

// One line per routine, in the order of RoutineArgs.
constexpr RoutineLine kRoutines[] = {
    ROUTINE(StripSequenceWipe),
    ROUTINE(QuadrantZoom),
    ROUTINE(ZoomOrRandomCells),
    ROUTINE(OverlayFlashWipe),
    ROUTINE(InvertFlashWipe),
    ROUTINE(CombWipe),
    ROUTINE(CombWipeCross),
    ROUTINE(SpiralBlockReveal),
    ROUTINE(TileShrinkRandomPairs),
    ROUTINE(TileShrinkRandomQuads),
    ROUTINE(TileShrinkAll),
    ROUTINE(CentreDoorSlide),
    ROUTINE(StripSlideSequence),
    ROUTINE(StaircaseSplit),
    ROUTINE(StaircaseSplitCross),
    ROUTINE(SlideEntry),
    ROUTINE(SlideCross),
    ROUTINE(CrossBandWipe),
    ROUTINE(BlockGridSweep),
    ROUTINE(FourWaySlideIn),
    ROUTINE(StripSqueeze),
    ROUTINE(StripInterlaceSlide),
    ROUTINE(LineInterlaceSlide),
    ROUTINE(CheckerBlockFill),
    ROUTINE(PixelSweep),
    ROUTINE(TileScatter),
    ROUTINE(RandomLineDissolve),
    ROUTINE(ShapeMaskReveal),
    ROUTINE(ColumnSmearSweep),
    ROUTINE(SplitRoll),
};

#undef ROUTINE

// clang-format off
constexpr EffectEntry kEffects[] = {
    {1, StripSequenceWipeArgs{.mode = 1, .axis = 1, .strips = 1}},
    {2, StripSequenceWipeArgs{.mode = 1, .axis = 2, .strips = 1}},
    {3, StripSequenceWipeArgs{.mode = 1, .axis = 1, .strips = 2}},
    {4, StripSequenceWipeArgs{.mode = 1, .axis = 2, .strips = 2}},
    {5, StripSequenceWipeArgs{.mode = 1, .axis = 1, .strips = 3}},
    {6, StripSequenceWipeArgs{.mode = 1, .axis = 2, .strips = 3}},
    {7, StripSequenceWipeArgs{.mode = 1, .axis = 1, .strips = 4}},
    {8, StripSequenceWipeArgs{.mode = 1, .axis = 2, .strips = 4}},
    {9, StripSequenceWipeArgs{.mode = 1, .axis = 1, .strips = 5}},
    {10, StripSequenceWipeArgs{.mode = 1, .axis = 2, .strips = 5}},
    {11, StripSequenceWipeArgs{.mode = 2, .axis = 1, .strips = 1}},
    {12, StripSequenceWipeArgs{.mode = 2, .axis = 2, .strips = 1}},
    {13, StripSequenceWipeArgs{.mode = 2, .axis = 1, .strips = 2}},
    {14, StripSequenceWipeArgs{.mode = 2, .axis = 2, .strips = 2}},
    {15, StripSequenceWipeArgs{.mode = 2, .axis = 1, .strips = 3}},
    {16, StripSequenceWipeArgs{.mode = 2, .axis = 2, .strips = 3}},
    {17, StripSequenceWipeArgs{.mode = 2, .axis = 1, .strips = 4}},
    {18, StripSequenceWipeArgs{.mode = 2, .axis = 2, .strips = 4}},
    {19, StripSequenceWipeArgs{.mode = 2, .axis = 1, .strips = 5}},
    {20, StripSequenceWipeArgs{.mode = 2, .axis = 2, .strips = 5}},
    {21, QuadrantZoomArgs{.shape = 1, .direction = 1}},
    {22, QuadrantZoomArgs{.shape = 1, .direction = 2}},
    {23, QuadrantZoomArgs{.shape = 2, .direction = 1}},
    {24, QuadrantZoomArgs{.shape = 2, .direction = 2}},
    {25, ZoomOrRandomCellsArgs{.mode = 1}},
    {26, ZoomOrRandomCellsArgs{.mode = 2}},
    {27, OverlayFlashWipeArgs{.mode = 1, .axis = 1}},
    {28, OverlayFlashWipeArgs{.mode = 1, .axis = 2}},
    {29, OverlayFlashWipeArgs{.mode = 2, .axis = 1}},
    {30, OverlayFlashWipeArgs{.mode = 2, .axis = 2}},
    {31, InvertFlashWipeArgs{.axis = 1, .strips = 100}},
    {32, InvertFlashWipeArgs{.axis = 2, .strips = 100}},
    {33, CombWipeArgs{.axis = 1, .strips = 2}},
    {34, CombWipeArgs{.axis = 2, .strips = 3}},
    {35, CombWipeArgs{.axis = 1, .strips = 4}},
    {36, CombWipeArgs{.axis = 2, .strips = 5}},
    {37, CombWipeArgs{.axis = 1, .strips = 6}},
    {38, CombWipeArgs{.axis = 2, .strips = 7}},
    {39, CombWipeCrossArgs{.strips = 50}},
    {40, CombWipeCrossArgs{.strips = 100}},
    {41, SpiralBlockRevealArgs{}},
    {42, TileShrinkRandomPairsArgs{.clear = 1, .cells = 4}},
    {43, TileShrinkRandomPairsArgs{.clear = 2, .cells = 4}},
    {44, TileShrinkRandomQuadsArgs{.clear = 1, .cells = 8}},
    {45, TileShrinkRandomQuadsArgs{.clear = 2, .cells = 8}},
    {46, TileShrinkAllArgs{.clear = 1, .cells = 2}},
    {47, TileShrinkAllArgs{.clear = 2, .cells = 2}},
    {48, TileShrinkAllArgs{.clear = 1, .cells = 4}},
    {49, TileShrinkAllArgs{.clear = 2, .cells = 4}},
    {50, TileShrinkAllArgs{.clear = 1, .cells = 6}},
    {51, TileShrinkAllArgs{.clear = 2, .cells = 6}},
    {52, TileShrinkAllArgs{.clear = 1, .cells = 8}},
    {53, TileShrinkAllArgs{.clear = 2, .cells = 8}},
    {54, TileShrinkAllArgs{.clear = 1, .cells = 10}},
    {55, TileShrinkAllArgs{.clear = 2, .cells = 10}},
    {56, CentreDoorSlideArgs{.variant = 1}},
    {57, CentreDoorSlideArgs{.variant = 2}},
    {58, CentreDoorSlideArgs{.variant = 3}},
    {59, CentreDoorSlideArgs{.variant = 4}},
    {60, CentreDoorSlideArgs{.variant = 5}},
    {61, CentreDoorSlideArgs{.variant = 6}},
    {62, CentreDoorSlideArgs{.variant = 7}},
    {63, StripSlideSequenceArgs{.axis = 1, .strips = 4}},
    {64, StripSlideSequenceArgs{.axis = 2, .strips = 6}},
    {65, StaircaseSplitArgs{.axis = 1, .strips = 50}},
    {66, StaircaseSplitArgs{.axis = 2, .strips = 50}},
    {67, StaircaseSplitCrossArgs{.axis = 1, .strips = 6}},
    {68, StaircaseSplitCrossArgs{.axis = 2, .strips = 6}},
    {69, SlideEntryArgs{.direction = 1, .mode = 1}},
    {70, SlideEntryArgs{.direction = 2, .mode = 1}},
    {71, SlideEntryArgs{.direction = 3, .mode = 1}},
    {72, SlideEntryArgs{.direction = 4, .mode = 1}},
    {73, SlideEntryArgs{.direction = 1, .mode = 2}},
    {74, SlideEntryArgs{.direction = 2, .mode = 2}},
    {75, SlideEntryArgs{.direction = 3, .mode = 2}},
    {76, SlideEntryArgs{.direction = 4, .mode = 2}},
    {77, SlideCrossArgs{.side = 1, .push = 1, .alternate = 1}},
    {78, SlideCrossArgs{.side = 2, .push = 1, .alternate = 1}},
    {79, SlideCrossArgs{.side = 1, .push = 2, .alternate = 1}},
    {80, SlideCrossArgs{.side = 2, .push = 2, .alternate = 1}},
    {81, CrossBandWipeArgs{}},
    {82, BlockGridSweepArgs{.pattern = 1, .cells = 40}},
    {83, BlockGridSweepArgs{.pattern = 2, .cells = 40}},
    {84, BlockGridSweepArgs{.pattern = 3, .cells = 40}},
    {85, FourWaySlideInArgs{}},
    {86, StripSqueezeArgs{.mode = 1, .strips = 1}},
    {87, StripSqueezeArgs{.mode = 2, .strips = 1}},
    {88, StripSqueezeArgs{.mode = 1, .strips = 2}},
    {89, StripSqueezeArgs{.mode = 2, .strips = 2}},
    {90, StripSqueezeArgs{.mode = 1, .strips = 3}},
    {91, StripSqueezeArgs{.mode = 2, .strips = 3}},
    {92, StripSqueezeArgs{.mode = 1, .strips = 4}},
    {93, StripSqueezeArgs{.mode = 2, .strips = 4}},
    {94, StripSqueezeArgs{.mode = 1, .strips = 12}},
    {95, StripSqueezeArgs{.mode = 2, .strips = 12}},
    {96, SlideCrossArgs{.side = 1, .push = 1, .alternate = 2}},
    {97, SlideCrossArgs{.side = 2, .push = 1, .alternate = 2}},
    {98, SlideCrossArgs{.side = 1, .push = 2, .alternate = 2}},
    {99, SlideCrossArgs{.side = 2, .push = 2, .alternate = 2}},
    {100, StripInterlaceSlideArgs{.pattern = 1, .strips = 120}},
    {101, StripInterlaceSlideArgs{.pattern = 2, .strips = 100}},
    {102, StripInterlaceSlideArgs{.pattern = 3, .strips = 100}},
    {103, StripInterlaceSlideArgs{.pattern = 1, .strips = 10}},
    {104, StripInterlaceSlideArgs{.pattern = 2, .strips = 10}},
    {105, StripInterlaceSlideArgs{.pattern = 3, .strips = 10}},
    {106, StripInterlaceSlideArgs{.pattern = 1, .strips = 4}},
    {107, StripInterlaceSlideArgs{.pattern = 2, .strips = 4}},
    {108, StripInterlaceSlideArgs{.pattern = 3, .strips = 4}},
    {109, LineInterlaceSlideArgs{.pattern = 1}},
    {110, LineInterlaceSlideArgs{.pattern = 2}},
    {111, LineInterlaceSlideArgs{.pattern = 3}},
    {112, CheckerBlockFillArgs{.size = 64}},
    {113, CheckerBlockFillArgs{.size = 32}},
    {114, PixelSweepArgs{.pattern = 1, .bands = 0}},
    {115, PixelSweepArgs{.pattern = 2, .bands = 0}},
    {116, PixelSweepArgs{.pattern = 3, .bands = 0}},
    {117, PixelSweepArgs{.pattern = 4, .bands = 0}},
    {118, PixelSweepArgs{.pattern = 5, .bands = 0}},
    {119, PixelSweepArgs{.pattern = 6, .bands = 4}},
    {120, PixelSweepArgs{.pattern = 7, .bands = 4}},
    {121, PixelSweepArgs{.pattern = 8, .bands = 4}},
    {122, PixelSweepArgs{.pattern = 9, .bands = 4}},
    {123, PixelSweepArgs{.pattern = 10, .bands = 4}},
    {124, TileScatterArgs{.pattern = 3, .columns = 32, .rows = 2}},
    {125, TileScatterArgs{.pattern = 1, .columns = 2, .rows = 32}},
    {126, TileScatterArgs{.pattern = 2, .columns = 32, .rows = 2}},
    {127, TileScatterArgs{.pattern = 4, .columns = 2, .rows = 32}},
    {128, TileScatterArgs{.pattern = 3, .columns = 64, .rows = 2}},
    {129, TileScatterArgs{.pattern = 1, .columns = 2, .rows = 64}},
    {130, TileScatterArgs{.pattern = 2, .columns = 64, .rows = 2}},
    {131, TileScatterArgs{.pattern = 4, .columns = 2, .rows = 64}},
    {132, RandomLineDissolveArgs{.orientation = 1}},
    {133, RandomLineDissolveArgs{.orientation = 2}},
    {134, ShapeMaskRevealArgs{.shape = 1, .perStep = 10}},
    {135, ShapeMaskRevealArgs{.shape = 2, .perStep = 10}},
    {136, ShapeMaskRevealArgs{.shape = 3, .perStep = 10}},
    {137, ShapeMaskRevealArgs{.shape = 4, .perStep = 10}},
    {138, ShapeMaskRevealArgs{.shape = 5, .perStep = 10}},
    {139, ColumnSmearSweepArgs{}},
    {140, SplitRollArgs{.direction = 2}},
    {141, SplitRollArgs{.direction = 3}},
    {142, SplitRollArgs{.direction = 0}},
    {143, SplitRollArgs{.direction = 1}},
};
// clang-format on

constexpr bool NumberedInOrder() {
    for (std::size_t i = 0; i < std::size(kEffects); ++i)
        if (kEffects[i].number != static_cast<int>(i) + 1) return false;
    return true;
}

constexpr bool RoutinesInOrder() {
    for (std::size_t i = 0; i < std::size(kRoutines); ++i)
        if (kRoutines[i].args != i) return false;
    return true;
}

// A routine no row names has most likely lost its rows.
constexpr bool EveryRoutineDraws() {
    for (std::size_t r = 0; r < std::size(kRoutines); ++r) {
        bool used = false;
        for (const EffectEntry& e : kEffects) used = used || e.args.index() == r;
        if (!used) return false;
    }
    return true;
}

static_assert(std::size(kEffects) == kEffectCount, "one row per effect number");
static_assert(NumberedInOrder(), "rows are numbered 1, 2, 3 ... in order");
static_assert(std::size(kRoutines) == std::variant_size_v<RoutineArgs>, "one line per routine");
static_assert(RoutinesInOrder(), "routine lines follow RoutineArgs");
static_assert(EveryRoutineDraws(), "every routine draws at least one effect");

template <class Args>
std::vector<int> Values(const Args& a) {
    constexpr EffectArg x = 0;
    if constexpr (requires { Args{x, x, x}; }) {
        const auto& [p, q, r] = a;
        return {p, q, r};
    } else if constexpr (requires { Args{x, x}; }) {
        const auto& [p, q] = a;
        return {p, q};
    } else if constexpr (requires { Args{x}; }) {
        const auto& [p] = a;
        return {p};
    } else {
        static_assert(std::is_empty_v<Args>, "a routine takes at most three arguments");
        return {};
    }
}

}  // namespace

std::span<const EffectEntry> EffectTable() { return kEffects; }

const EffectEntry* FindEffect(int number) {
    if (number < 1 || number > kEffectCount) return nullptr;
    return &kEffects[number - 1];
}

const char* RoutineName(const EffectEntry& entry) { return kRoutines[entry.args.index()].name; }

std::vector<int> ArgumentValues(const EffectEntry& entry) {
    return std::visit([](const auto& args) { return Values(args); }, entry.args);
}

void InvokeEffect(EffectHost& host, const EffectEntry& entry) {
    kRoutines[entry.args.index()].invoke(host, entry.args);
}

}  // namespace tav
