// Function numbers of the metafile records the player knows, their names for
// reports of what a picture contained, and the checked reading of a record's
// parameters that every record family of the player shares.
#pragma once

#include "base/LittleEndian.h"

#include <cstddef>
#include <cstdint>

namespace tav::wmf {

enum Record : std::uint16_t {
    kEof = 0x0000,
    kRealizePalette = 0x0035,
    kSetPalEntries = 0x0037,
    kSetBkMode = 0x0102,
    kSetMapMode = 0x0103,
    kSetRop2 = 0x0104,
    kSetRelAbs = 0x0105,
    kSetPolyFillMode = 0x0106,
    kSetStretchBltMode = 0x0107,
    kSetTextCharExtra = 0x0108,
    kRestoreDc = 0x0127,
    kInvertRegion = 0x012A,
    kPaintRegion = 0x012B,
    kSelectClipRegion = 0x012C,
    kSelectObject = 0x012D,
    kSetTextAlign = 0x012E,
    kResizePalette = 0x0139,
    kDibCreatePatternBrush = 0x0142,
    kSetLayout = 0x0149,
    kDeleteObject = 0x01F0,
    kCreatePatternBrush = 0x01F9,
    kSetBkColor = 0x0201,
    kSetTextColor = 0x0209,
    kSetTextJustification = 0x020A,
    kSetWindowOrg = 0x020B,
    kSetWindowExt = 0x020C,
    kSetViewportOrg = 0x020D,
    kSetViewportExt = 0x020E,
    kOffsetWindowOrg = 0x020F,
    kOffsetViewportOrg = 0x0211,
    kLineTo = 0x0213,
    kMoveTo = 0x0214,
    kOffsetClipRgn = 0x0220,
    kFillRegion = 0x0228,
    kSetMapperFlags = 0x0231,
    kSelectPalette = 0x0234,
    kCreatePenIndirect = 0x02FA,
    kCreateFontIndirect = 0x02FB,
    kCreateBrushIndirect = 0x02FC,
    kPolygon = 0x0324,
    kPolyline = 0x0325,
    kScaleWindowExt = 0x0410,
    kScaleViewportExt = 0x0412,
    kExcludeClipRect = 0x0415,
    kIntersectClipRect = 0x0416,
    kEllipse = 0x0418,
    kFloodFill = 0x0419,
    kRectangle = 0x041B,
    kSetPixel = 0x041F,
    kFrameRegion = 0x0429,
    kAnimatePalette = 0x0436,
    kTextOut = 0x0521,
    kPolyPolygon = 0x0538,
    kExtFloodFill = 0x0548,
    kRoundRect = 0x061C,
    kPatBlt = 0x061D,
    kEscape = 0x0626,
    kCreateRegion = 0x06FF,
    kArc = 0x0817,
    kPie = 0x081A,
    kChord = 0x0830,
    kBitBlt = 0x0922,
    kDibBitBlt = 0x0940,
    kExtTextOut = 0x0A32,
    kStretchBlt = 0x0B23,
    kDibStretchBlt = 0x0B41,
    kSetDibToDev = 0x0D33,
    kStretchDib = 0x0F43,
    kSaveDc = 0x001E,
    kCreatePalette = 0x00F7,
};

// The record's name without its "META_" prefix, or nullptr for a number the
// player does not know.
const char* RecordName(std::uint16_t function);

// True for the records that draw; the clip is brought up to date before them,
// and a plain metafile's frame is what it sets before the first of them.
bool IsDrawingRecord(std::uint16_t function);

// The first four bytes of a placeable metafile.
inline constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7u;

// The parameters of one record, as 16-bit words after the 6-byte record header.
// Every read is checked against the record's own length.
class Params {
public:
    Params(const std::uint8_t* p, std::size_t words) : p_(p), words_(words) {}
    std::size_t words() const { return words_; }
    bool has(std::size_t n) const { return n <= words_; }
    std::int16_t s(std::size_t i) const { return i < words_ ? ReadI16(p_ + 2 * i) : 0; }
    std::uint16_t u(std::size_t i) const { return i < words_ ? ReadU16(p_ + 2 * i) : 0; }
    std::uint32_t u32(std::size_t i) const { return i + 1 < words_ ? ReadU32(p_ + 2 * i) : 0; }
    const std::uint8_t* bytes(std::size_t wordIndex) const { return p_ + 2 * wordIndex; }
    std::size_t bytesFrom(std::size_t wordIndex) const { return wordIndex < words_ ? 2 * (words_ - wordIndex) : 0; }

private:
    const std::uint8_t* p_;
    std::size_t words_;
};

// What a family of records made of the record it was handed: drawn (or
// otherwise carried out), skipped (known but not carried out; the player lists
// it), or not one of the family's records at all.
enum class Played { Drawn, Skipped, Elsewhere };

}  // namespace tav::wmf
