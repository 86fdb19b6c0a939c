// A player of Windows metafiles (WMF) on QPainter. It understands the records
// that drawings saved by ordinary programs use: placeable and plain headers,
// window/viewport mapping, pens, brushes, fonts and text, the line and shape
// primitives, save/restore of the drawing state and DIB blits. Records it does
// not know are skipped; a truncated or inconsistent record ends the picture
// with what was drawn so far.
#pragma once

#include "pictures/WmfFrame.h"

#include <QByteArray>
#include <QImage>

#include <cstdint>
#include <map>

namespace tav {

struct WmfPlayStats {
    int records = 0;                       // records read, the end record included
    bool reachedEnd = false;               // the end record was found
    bool damaged = false;                  // a record ran past the data or lied about its size
    bool budgetSpent = false;              // playing stopped at kWmfWorkBudget; what was drawn stays
    long long work = 0;                    // work spent, in the units of kWmfWorkBudget
    std::map<std::uint16_t, int> skipped;  // record function -> count, for records not drawn
};

// Reads the headers. False when the data is not a metafile or gives no usable size.
bool ReadWmfInfo(const QByteArray& data, WmfInfo& info);

// Plays the records onto target, the picture's frame covering the whole image.
// target must be Format_RGB32 (or another format QPainter can draw on). The
// target is not cleared first.
WmfPlayStats PlayWmf(const QByteArray& data, const WmfInfo& info, QImage& target);

// Renders the metafile at the given size on a white ground. Null image when
// the data is not a metafile or the size is empty.
QImage RenderWmf(const QByteArray& data, QSize size, WmfPlayStats* stats = nullptr);

}  // namespace tav
