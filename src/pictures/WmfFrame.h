// What the player learns from a metafile's headers, and the work budget one
// metafile may spend. The player and every record family share them, so they
// live apart from the player: the families then never include the player that
// calls them.
#pragma once

#include <QRect>
#include <QSize>

#include <cstddef>

namespace tav {

struct WmfInfo {
    bool placeable = false;
    // The picture's frame in the metafile's logical units: the placeable
    // header's bounds, or the window origin and extent set by the records
    // before the first drawing record.
    QRect frame;
    int unitsPerInch = 0;         // placeable header only
    QSize naturalSize;            // pixels at 96 dots per inch (or the window extent)
    int objectCount = 0;          // size of the object table
    std::size_t firstRecord = 0;  // byte offset of the first record
};

// The work one metafile may cause, in units of about one simple record: each
// record costs 1 plus its length in words / 16, each drawing adds the pixels
// it covers on the image / kWmfPixelsPerUnit, each clip operation the number
// of rectangles in the clip region. A file that spends it stops there and
// shows what it has drawn so far. The budget is about one second of CPU on a
// slow desktop core, far beyond what real drawings need.
inline constexpr long long kWmfWorkBudget = 4'000'000;
inline constexpr long long kWmfPixelsPerUnit = 256;

}  // namespace tav
