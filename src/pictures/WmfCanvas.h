// The drawing state one metafile's records share while they play: the device
// context (mapping, pen, brush, font, modes and clip), the object table, the
// painter on the target and the work spent so far. The record families
// (WmfState, WmfObjects, WmfDrawing, WmfText, WmfBitmaps, WmfClip) act on it;
// WmfPlayer reads the records and hands each to its family.
#pragma once

#include "pictures/WmfObjectTable.h"
#include "pictures/WmfRecords.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPointF>
#include <QRegion>
#include <QTransform>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace tav {
struct WmfInfo;
}

namespace tav::wmf {

// Device coordinates beyond this are not handed to the rasteriser: no real
// drawing needs them and they only come from damaged mappings.
inline constexpr double kDeviceLimit = 1 << 22;

struct DcState {
    QPointF winOrg, winExt{1, 1}, vpOrg, vpExt{1, 1};
    PenObj pen;
    BrushObj brush;
    FontObj font;
    QColor textColor = Qt::black;
    QColor bkColor = Qt::white;
    int bkMode = 2;  // OPAQUE
    int textAlign = 0;
    int polyFill = 1;  // ALTERNATE
    int rop2 = 13;     // R2_COPYPEN
    QPointF cur;
    std::optional<QRegion> clip;  // device pixels
};

// The painter works in device pixels: every coordinate is mapped here, so
// that hatches stay on the device's grid, as they do on screen, and Qt's fast
// paths for unscaled drawing apply.
class Canvas {
public:
    Canvas(const WmfInfo& info, QImage& target);

    DcState dc;
    std::vector<DcState> saved;  // SaveDC's stack
    ObjectTable objects;
    long long work = 0;        // in the units of kWmfWorkBudget
    bool clipChanged = false;  // dc.clip differs from the painter's clip

    QPainter& painter() { return painter_; }
    QSize size() const { return target_.size(); }
    const QTransform& transform() const { return transform_; }
    // False when the mapping is degenerate or overflows: nothing can be drawn.
    bool transformUsable() const { return transformUsable_; }

    // Maps logical units to device pixels: viewport origin plus the scaled
    // distance from the window origin, then from the natural size to the target.
    void applyTransform();
    // Hands dc.clip to the painter.
    void applyClip();

    // The cost of filling the part of a device rectangle that lies on the image.
    void chargeArea(const QRectF& device);
    // Filling a shape of many edges visits every edge on each row it spans.
    void chargeEdges(long long edges, const QRectF& logicalBounds);

    QPointF toDevice(QPointF logical) const { return transform_.map(logical); }
    static bool inLimits(QPointF d) { return std::abs(d.x()) < kDeviceLimit && std::abs(d.y()) < kDeviceLimit; }
    bool deviceRectInLimits(const QRectF& logical) const {
        const QRectF d = transform_.mapRect(logical);
        return inLimits(d.topLeft()) && inLimits(d.bottomRight());
    }
    QRect deviceRect(const QRectF& logical) const { return transform_.mapRect(logical).toAlignedRect(); }
    Qt::FillRule fillRule() const { return dc.polyFill == 2 ? Qt::WindingFill : Qt::OddEvenFill; }

    // Sets pen, brush and raster mode for one primitive. False when the
    // primitive would draw nothing or cannot be mapped.
    bool begin(bool stroke, bool fill, const QRectF& logicalBounds);
    // Strokes a device-space outline with the pen begin() chose.
    void outline(const QPainterPath& path);
    QBrush makeBrush() const;

    // Decodes an embedded bitmap while the picture's allowance of bitmap
    // pixels lasts; a null image after that.
    QImage decodeBitmap(const std::uint8_t* data, std::size_t size, bool* bottomUp);

private:
    QColor ropColor(QColor c) const;

    QImage& target_;
    QPainter painter_;
    bool directPixels_ = false;
    bool hairline_ = false;
    QRgb hairlineColor_ = 0;
    QPen outlinePen_;
    long long bitmapPixels_ = 0;
    double scaleX_ = 1, scaleY_ = 1;
    QTransform transform_;
    bool transformUsable_ = false;
};

// A GDI box "left, top, right, bottom" stored as bottom, right, top, left.
QRectF BoxOf(const Params& p, std::size_t at);

// The box a one-pixel outline takes inside a filled device rectangle, so
// that the outline covers the shape's own edge pixels.
inline QRectF Inside(const QRectF& r) { return r.adjusted(0, 0, -1, -1); }

}  // namespace tav::wmf
