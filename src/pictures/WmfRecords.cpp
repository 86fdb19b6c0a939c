#include "pictures/WmfRecords.h"

namespace tav::wmf {

const char* RecordName(std::uint16_t function) {
    switch (function) {
    case kEof: return "EOF";
    case kRealizePalette: return "REALIZEPALETTE";
    case kSetPalEntries: return "SETPALENTRIES";
    case kSetBkMode: return "SETBKMODE";
    case kSetMapMode: return "SETMAPMODE";
    case kSetRop2: return "SETROP2";
    case kSetRelAbs: return "SETRELABS";
    case kSetPolyFillMode: return "SETPOLYFILLMODE";
    case kSetStretchBltMode: return "SETSTRETCHBLTMODE";
    case kSetTextCharExtra: return "SETTEXTCHAREXTRA";
    case kRestoreDc: return "RESTOREDC";
    case kInvertRegion: return "INVERTREGION";
    case kPaintRegion: return "PAINTREGION";
    case kSelectClipRegion: return "SELECTCLIPREGION";
    case kSelectObject: return "SELECTOBJECT";
    case kSetTextAlign: return "SETTEXTALIGN";
    case kResizePalette: return "RESIZEPALETTE";
    case kDibCreatePatternBrush: return "DIBCREATEPATTERNBRUSH";
    case kSetLayout: return "SETLAYOUT";
    case kDeleteObject: return "DELETEOBJECT";
    case kCreatePatternBrush: return "CREATEPATTERNBRUSH";
    case kSetBkColor: return "SETBKCOLOR";
    case kSetTextColor: return "SETTEXTCOLOR";
    case kSetTextJustification: return "SETTEXTJUSTIFICATION";
    case kSetWindowOrg: return "SETWINDOWORG";
    case kSetWindowExt: return "SETWINDOWEXT";
    case kSetViewportOrg: return "SETVIEWPORTORG";
    case kSetViewportExt: return "SETVIEWPORTEXT";
    case kOffsetWindowOrg: return "OFFSETWINDOWORG";
    case kOffsetViewportOrg: return "OFFSETVIEWPORTORG";
    case kLineTo: return "LINETO";
    case kMoveTo: return "MOVETO";
    case kOffsetClipRgn: return "OFFSETCLIPRGN";
    case kFillRegion: return "FILLREGION";
    case kSetMapperFlags: return "SETMAPPERFLAGS";
    case kSelectPalette: return "SELECTPALETTE";
    case kCreatePenIndirect: return "CREATEPENINDIRECT";
    case kCreateFontIndirect: return "CREATEFONTINDIRECT";
    case kCreateBrushIndirect: return "CREATEBRUSHINDIRECT";
    case kPolygon: return "POLYGON";
    case kPolyline: return "POLYLINE";
    case kScaleWindowExt: return "SCALEWINDOWEXT";
    case kScaleViewportExt: return "SCALEVIEWPORTEXT";
    case kExcludeClipRect: return "EXCLUDECLIPRECT";
    case kIntersectClipRect: return "INTERSECTCLIPRECT";
    case kEllipse: return "ELLIPSE";
    case kFloodFill: return "FLOODFILL";
    case kRectangle: return "RECTANGLE";
    case kSetPixel: return "SETPIXEL";
    case kFrameRegion: return "FRAMEREGION";
    case kAnimatePalette: return "ANIMATEPALETTE";
    case kTextOut: return "TEXTOUT";
    case kPolyPolygon: return "POLYPOLYGON";
    case kExtFloodFill: return "EXTFLOODFILL";
    case kRoundRect: return "ROUNDRECT";
    case kPatBlt: return "PATBLT";
    case kEscape: return "ESCAPE";
    case kCreateRegion: return "CREATEREGION";
    case kArc: return "ARC";
    case kPie: return "PIE";
    case kChord: return "CHORD";
    case kBitBlt: return "BITBLT";
    case kDibBitBlt: return "DIBBITBLT";
    case kExtTextOut: return "EXTTEXTOUT";
    case kStretchBlt: return "STRETCHBLT";
    case kDibStretchBlt: return "DIBSTRETCHBLT";
    case kSetDibToDev: return "SETDIBTODEV";
    case kStretchDib: return "STRETCHDIB";
    case kSaveDc: return "SAVEDC";
    case kCreatePalette: return "CREATEPALETTE";
    default: return nullptr;
    }
}

bool IsDrawingRecord(std::uint16_t f) {
    switch (f) {
    // clang-format off
    case kLineTo: case kPolyline: case kPolygon: case kPolyPolygon: case kRectangle: case kRoundRect:
    case kEllipse: case kArc: case kPie: case kChord: case kTextOut: case kExtTextOut: case kPatBlt:
    case kSetPixel: case kDibBitBlt: case kDibStretchBlt: case kStretchDib: case kBitBlt: case kStretchBlt:
        // clang-format on
        return true;
    default: return false;
    }
}

}  // namespace tav::wmf
