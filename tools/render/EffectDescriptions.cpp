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

}  // namespace

std::string DescribeEffect(const EffectEntry& e) {
    const int a = e.argc > 0 ? e.args[0] : 0, b = e.argc > 1 ? e.args[1] : 0, c = e.argc > 2 ? e.args[2] : 0;
    const char* strips = b == 1 ? "vertical" : "horizontal";
    switch (e.routine) {
    case Routine::StripSequenceWipe:
        return a == 1 ? "The new picture squeezes the old one aside in " + N(c) + " " + strips + " strip" +
                            (c == 1 ? "" : "s")
                      : "The two halves of " + N(c) + " " + strips + " strip" + (c == 1 ? "" : "s") +
                            " move in opposite directions";
    case Routine::QuadrantZoom:
        return std::string(a == 1 ? "The whole picture" : "Each quarter") +
               (b == 1 ? ": the old picture shrinks away" : ": the new picture grows out of a point");
    case Routine::ZoomOrRandomCells:
        return a == 1 ? "The new picture zooms out, shrinks to nothing and grows back"
                      : "The cells of a 10 x 10 grid appear in random order";
    case Routine::OverlayFlashWipe:
        return std::string("The new picture slides over the old one, blended, from ") +
               (b == 1 ? "the right" : "below") + (a == 1 ? ", stops" : ", passes on") + ", then a wipe";
    case Routine::InvertFlashWipe:
        return std::string("A negative band sweeps in from ") + (a == 1 ? "the right" : "below") + ", then a comb of " +
               N(b) + " uncovers the new picture";
    case Routine::CombWipe:
        return "Two combs of " + N(b) +
               (a == 1 ? " columns meet from the top and bottom" : " rows meet from the sides");
    case Routine::CombWipeCross: return "Combs of " + N(a) + " rows and " + N(a) + " columns at once";
    case Routine::SpiralBlockReveal: return "Blocks of the new picture along a spiral from the corner inwards";
    case Routine::TileShrinkRandomPairs:
    case Routine::TileShrinkRandomQuads:
    case Routine::TileShrinkAll: {
        const std::string which = e.routine == Routine::TileShrinkAll           ? "all cells at once"
                                  : e.routine == Routine::TileShrinkRandomPairs ? "two random cells at a time"
                                                                                : "four random cells at a time";
        return "Tiles of a " + N(b) + " x " + N(b) + " grid shrink and grow, " + which +
               (a == 1 ? "" : ", leaving trails");
    }
    case Routine::CentreDoorSlide: {
        static const char* const kVariants[] = {"halves of the new picture come in from the left and right",
                                                "the old picture opens to the sides like doors",
                                                "halves of the new picture come in from the top and bottom",
                                                "the old picture opens up and down like doors",
                                                "the quarters of the old picture leave for the corners",
                                                "the new picture comes in from all four sides",
                                                "the old picture opens to all four sides"};
        const std::string text = a >= 1 && a <= 7 ? kVariants[a - 1] : "doors";
        return static_cast<char>(text[0] - 'a' + 'A') + text.substr(1);
    }
    case Routine::StripSlideSequence:
        return N(b) + (a == 1 ? " rows slide up and out, then the new ones come down"
                              : " columns slide out to the left, then the new ones come in");
    case Routine::StaircaseSplit:
    case Routine::StaircaseSplitCross:
        return N(b) + (a == 1 ? " columns" : " rows") + " split like a staircase; the old parts leave" +
               (e.routine == Routine::StaircaseSplit ? ", then the new ones enter" : " as the new ones enter");
    case Routine::SlideEntry:
        return std::string("The new picture slides in from ") + Side(a) +
               (b == 1 ? " over the old one" : ", pushing the old one out");
    case Routine::SlideCross:
        return std::string("Two copies of the new picture slide in across each other from ") +
               (a == 1 ? "the right and the bottom" : "the left and the top") + (b == 2 ? ", pushing" : "") +
               (c == 1 ? "" : ", taking turns");
    case Routine::CrossBandWipe: return "Two bands of the new picture cross the old one, then a wipe";
    case Routine::BlockGridSweep:
        return "A " + N(b) + " x " + N(b) + " grid filled cell by cell, " +
               (a == 1   ? "row by row"
                : a == 2 ? "column by column"
                         : "row by row mirrored across the diagonal");
    case Routine::FourWaySlideIn: return "The new picture pushes in from a different side every frame";
    case Routine::StripSqueeze:
        return "The old picture collapses in " + N(b) + " column" + (b == 1 ? "" : "s") +
               " while the new one grows in rows" + (a == 2 ? ", the old on top" : "");
    case Routine::StripInterlaceSlide:
        return N(b) +
               (a == 1   ? " rows leave sideways, columns arrive"
                : a == 2 ? " columns leave up and down, rows arrive"
                         : " rows and columns move at once") +
               " in opposite directions";
    case Routine::LineInterlaceSlide:
        return std::string("Every ") +
               (a == 1   ? "row leaves sideways, every column arrives"
                : a == 2 ? "column leaves up and down, every row arrives"
                         : "row and column moves at once") +
               ", neighbours opposite";
    case Routine::CheckerBlockFill: return "Blocks of " + N(a) + " pixels in four checkerboard passes";
    case Routine::PixelSweep:
        return "Lines of single pixels, sweep pattern " + N(a) + (b > 0 && a >= 7 ? " in " + N(b) + " bands" : "");
    case Routine::TileScatter: {
        static const char* const kWays[] = {"sideways", "up and down", "along the four axes", "along the diagonals"};
        return "A " + N(b) + " x " + N(c) + " grid of tiles flies off " + (a >= 1 && a <= 4 ? kWays[a - 1] : "") +
               " and back";
    }
    case Routine::RandomLineDissolve:
        return std::string("Single-pixel ") + (a == 1 ? "columns" : "rows") + " in random order";
    case Routine::ShapeMaskReveal: {
        static const char* const kShapes[] = {"rays from the centre sweep round", "a circle grows from the centre",
                                              "a fan opens from the top-left corner",
                                              "two triangles close along the diagonal",
                                              "lines run out from the other diagonal"};
        const std::string text = a >= 1 && a <= 5 ? kShapes[a - 1] : "a mask";
        return "The new picture shows where " + text;
    }
    case Routine::ColumnSmearSweep: return "Columns slide into place from the right, smearing a band";
    case Routine::SplitRoll: {
        static const char* const kWays[] = {"up", "down", "left", "right"};
        return std::string("The old picture rolls ") + (a >= 0 && a <= 3 ? kWays[a] : "away") +
               " and two pieces of the new one meet";
    }
    }
    return RoutineName(e.routine);
}

}  // namespace tav
