#include "render/EffectDescriptions.h"

namespace tav {

namespace {

std::string N(int n) { return std::to_string(n); }

const char* Side(int direction) {
    switch (direction) {
    case 1: return "the right";
    case 2: return "the left";
    case 3: return "the bottom";
    default: return "the top";
    }
}

const char* StripWord(int axis) { return axis == 1 ? "vertical" : "horizontal"; }

std::string Describe(const StripSequenceWipeArgs& a) {
    const int c = a.strips;
    return a.mode == 1 ? "The new picture squeezes the old one aside in " + N(c) + " " + StripWord(a.axis) + " strip" +
                             (c == 1 ? "" : "s")
                       : "The two halves of " + N(c) + " " + StripWord(a.axis) + " strip" + (c == 1 ? "" : "s") +
                             " move in opposite directions";
}
std::string Describe(const QuadrantZoomArgs& a) {
    return std::string(a.shape == 1 ? "The whole picture" : "Each quarter") +
           (a.direction == 1 ? ": the old picture shrinks away" : ": the new picture grows out of a point");
}
std::string Describe(const ZoomOrRandomCellsArgs& a) {
    return a.mode == 1 ? "The new picture zooms out, shrinks to nothing and grows back"
                       : "The cells of a 10 x 10 grid appear in random order";
}
std::string Describe(const OverlayFlashWipeArgs& a) {
    return std::string("The new picture slides over the old one, blended, from ") +
           (a.axis == 1 ? "the right" : "below") + (a.mode == 1 ? ", stops" : ", passes on") + ", then a wipe";
}
std::string Describe(const InvertFlashWipeArgs& a) {
    return std::string("A negative band sweeps in from ") + (a.axis == 1 ? "the right" : "below") +
           ", then a comb of " + N(a.strips) + " uncovers the new picture";
}
std::string Describe(const CombWipeArgs& a) {
    return "Two combs of " + N(a.strips) +
           (a.axis == 1 ? " columns meet from the top and bottom" : " rows meet from the sides");
}
std::string Describe(const CombWipeCrossArgs& a) {
    return "Combs of " + N(a.strips) + " rows and " + N(a.strips) + " columns at once";
}
std::string Describe(const SpiralBlockRevealArgs&) {
    return "Blocks of the new picture along a spiral from the corner inwards";
}
std::string TileShrink(int clear, int cells, const char* which) {
    return "Tiles of a " + N(cells) + " x " + N(cells) + " grid shrink and grow, " + which +
           (clear == 1 ? "" : ", leaving trails");
}
std::string Describe(const TileShrinkRandomPairsArgs& a) {
    return TileShrink(a.clear, a.cells, "two random cells at a time");
}
std::string Describe(const TileShrinkRandomQuadsArgs& a) {
    return TileShrink(a.clear, a.cells, "four random cells at a time");
}
std::string Describe(const TileShrinkAllArgs& a) { return TileShrink(a.clear, a.cells, "all cells at once"); }
std::string Describe(const CentreDoorSlideArgs& a) {
    static const char* const kVariants[] = {"halves of the new picture come in from the left and right",
                                            "the old picture opens to the sides like doors",
                                            "halves of the new picture come in from the top and bottom",
                                            "the old picture opens up and down like doors",
                                            "the quarters of the old picture leave for the corners",
                                            "the new picture comes in from all four sides",
                                            "the old picture opens to all four sides"};
    const std::string text = a.variant >= 1 && a.variant <= 7 ? kVariants[a.variant - 1] : "doors";
    return static_cast<char>(text[0] - 'a' + 'A') + text.substr(1);
}
std::string Describe(const StripSlideSequenceArgs& a) {
    return N(a.strips) + (a.axis == 1 ? " rows slide up and out, then the new ones come down"
                                      : " columns slide out to the left, then the new ones come in");
}
std::string Staircase(int axis, int strips, const char* then) {
    return N(strips) + (axis == 1 ? " columns" : " rows") + " split like a staircase; the old parts leave" + then;
}
std::string Describe(const StaircaseSplitArgs& a) { return Staircase(a.axis, a.strips, ", then the new ones enter"); }
std::string Describe(const StaircaseSplitCrossArgs& a) { return Staircase(a.axis, a.strips, " as the new ones enter"); }
std::string Describe(const SlideEntryArgs& a) {
    return std::string("The new picture slides in from ") + Side(a.direction) +
           (a.mode == 1 ? " over the old one" : ", pushing the old one out");
}
std::string Describe(const SlideCrossArgs& a) {
    return std::string("Two copies of the new picture slide in across each other from ") +
           (a.side == 1 ? "the right and the bottom" : "the left and the top") + (a.push == 2 ? ", pushing" : "") +
           (a.alternate == 1 ? "" : ", taking turns");
}
std::string Describe(const CrossBandWipeArgs&) { return "Two bands of the new picture cross the old one, then a wipe"; }
std::string Describe(const BlockGridSweepArgs& a) {
    return "A " + N(a.cells) + " x " + N(a.cells) + " grid filled cell by cell, " +
           (a.pattern == 1   ? "row by row"
            : a.pattern == 2 ? "column by column"
                             : "row by row mirrored across the diagonal");
}
std::string Describe(const FourWaySlideInArgs&) {
    return "The new picture pushes in from a different side every frame";
}
std::string Describe(const StripSqueezeArgs& a) {
    return "The old picture collapses in " + N(a.strips) + " column" + (a.strips == 1 ? "" : "s") +
           " while the new one grows in rows" + (a.mode == 2 ? ", the old on top" : "");
}
std::string Describe(const StripInterlaceSlideArgs& a) {
    return N(a.strips) +
           (a.pattern == 1   ? " rows leave sideways, columns arrive"
            : a.pattern == 2 ? " columns leave up and down, rows arrive"
                             : " rows and columns move at once") +
           " in opposite directions";
}
std::string Describe(const LineInterlaceSlideArgs& a) {
    return std::string("Every ") +
           (a.pattern == 1   ? "row leaves sideways, every column arrives"
            : a.pattern == 2 ? "column leaves up and down, every row arrives"
                             : "row and column moves at once") +
           ", neighbours opposite";
}
std::string Describe(const CheckerBlockFillArgs& a) {
    return "Blocks of " + N(a.size) + " pixels in four checkerboard passes";
}
std::string Describe(const PixelSweepArgs& a) {
    return "Lines of single pixels, sweep pattern " + N(a.pattern) +
           (a.bands > 0 && a.pattern >= 7 ? " in " + N(a.bands) + " bands" : "");
}
std::string Describe(const TileScatterArgs& a) {
    static const char* const kWays[] = {"sideways", "up and down", "along the four axes", "along the diagonals"};
    return "A " + N(a.columns) + " x " + N(a.rows) + " grid of tiles flies off " +
           (a.pattern >= 1 && a.pattern <= 4 ? kWays[a.pattern - 1] : "") + " and back";
}
std::string Describe(const RandomLineDissolveArgs& a) {
    return std::string("Single-pixel ") + (a.orientation == 1 ? "columns" : "rows") + " in random order";
}
std::string Describe(const ShapeMaskRevealArgs& a) {
    static const char* const kShapes[] = {
        "rays from the centre sweep round", "a circle grows from the centre", "a fan opens from the top-left corner",
        "two triangles close along the diagonal", "lines run out from the other diagonal"};
    const std::string text = a.shape >= 1 && a.shape <= 5 ? kShapes[a.shape - 1] : "a mask";
    return "The new picture shows where " + text;
}
std::string Describe(const ColumnSmearSweepArgs&) { return "Columns slide into place from the right, smearing a band"; }
std::string Describe(const SplitRollArgs& a) {
    static const char* const kWays[] = {"up", "down", "left", "right"};
    return std::string("The old picture rolls ") +
           (a.direction >= 0 && a.direction <= 3 ? kWays[a.direction] : "away") + " and two pieces of the new one meet";
}

}  // namespace

std::string DescribeEffect(const EffectEntry& e) {
    return std::visit([](const auto& args) { return Describe(args); }, e.args);
}

}  // namespace tav
