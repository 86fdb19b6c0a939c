#include "pictures/WmfCanvas.h"

#include "pictures/WmfDib.h"
#include "pictures/WmfFrame.h"

#include <QPolygonF>

#include <algorithm>
#include <cstdlib>

namespace tav::wmf {
namespace {

// Bounds the pixels of embedded bitmaps one picture may decode. Real drawings
// stay far below it; a file beyond it is cut off there, like a damaged one.
constexpr long long kMaxBitmapPixels = 64LL * 1000 * 1000;

// Plots the integer line from a to b (device pixels, rounded), the end point
// included, clipped to the image. The segment is first cut to the image in
// floating point, so a line running far outside costs nothing.
void Hairline(QImage& image, QPointF a, QPointF b, QRgb color) {
    const double xmax = image.width() - 1, ymax = image.height() - 1;
    double t0 = 0, t1 = 1;
    const double dx = b.x() - a.x(), dy = b.y() - a.y();
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {a.x() + 0.5, xmax + 0.5 - a.x(), a.y() + 0.5, ymax + 0.5 - a.y()};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0) return;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        if (t0 > t1) return;
    }
    int x0 = int(std::lround(a.x() + t0 * dx)), y0 = int(std::lround(a.y() + t0 * dy));
    const int x1 = int(std::lround(a.x() + t1 * dx)), y1 = int(std::lround(a.y() + t1 * dy));
    const int w = image.width(), h = image.height();
    const qsizetype stride = image.bytesPerLine() / 4;
    auto* bits = reinterpret_cast<QRgb*>(image.bits());
    const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    const int ddx = std::abs(x1 - x0), ddy = -std::abs(y1 - y0);
    int err = ddx + ddy;
    for (;;) {
        if (x0 >= 0 && y0 >= 0 && x0 < w && y0 < h) bits[y0 * stride + x0] = color;
        if (x0 == x1 && y0 == y1) break;
        const int e2 = 2 * err;
        if (e2 >= ddy) err += ddy, x0 += sx;
        if (e2 <= ddx) err += ddx, y0 += sy;
    }
}

QPainter::CompositionMode CompositionFor(int rop2) {
    switch (rop2) {
    case 4: return QPainter::RasterOp_NotSource;             // R2_NOTCOPYPEN
    case 6:                                                  // R2_NOT
    case 7: return QPainter::RasterOp_SourceXorDestination;  // R2_XORPEN
    case 9: return QPainter::RasterOp_SourceAndDestination;  // R2_MASKPEN
    case 15: return QPainter::RasterOp_SourceOrDestination;  // R2_MERGEPEN
    default: return QPainter::CompositionMode_SourceOver;
    }
}

}  // namespace

Canvas::Canvas(const WmfInfo& info, QImage& target)
    : objects(static_cast<std::size_t>(std::max(0, info.objectCount))), target_(target), painter_(&target) {
    scaleX_ = double(target.width()) / std::max(1, info.naturalSize.width());
    scaleY_ = double(target.height()) / std::max(1, info.naturalSize.height());
    dc.winOrg = info.frame.topLeft();
    dc.winExt = QPointF(info.frame.width(), info.frame.height());
    dc.vpExt = QPointF(info.naturalSize.width(), info.naturalSize.height());
    directPixels_ = target.format() == QImage::Format_RGB32 || target.format() == QImage::Format_ARGB32;
    painter_.setRenderHint(QPainter::Antialiasing, false);
    painter_.setRenderHint(QPainter::TextAntialiasing, true);
    painter_.setRenderHint(QPainter::SmoothPixmapTransform, false);
    applyTransform();
}

void Canvas::applyTransform() {
    const double ax = dc.vpExt.x() / dc.winExt.x();
    const double ay = dc.vpExt.y() / dc.winExt.y();
    const double m11 = ax * scaleX_;
    const double m22 = ay * scaleY_;
    const double dx = (dc.vpOrg.x() - dc.winOrg.x() * ax) * scaleX_;
    const double dy = (dc.vpOrg.y() - dc.winOrg.y() * ay) * scaleY_;
    transform_ = QTransform(m11, 0, 0, m22, dx, dy);
    transformUsable_ =
        std::isfinite(m11) && std::isfinite(m22) && std::isfinite(dx) && std::isfinite(dy) && m11 != 0 && m22 != 0;
}

void Canvas::applyClip() {
    clipChanged = false;
    if (dc.clip) {
        work += dc.clip->rectCount();
        painter_.setClipRegion(*dc.clip);
    } else {
        painter_.setClipping(false);
    }
}

void Canvas::chargeArea(const QRectF& device) {
    const QRectF on = device.intersected(QRectF(0, 0, target_.width(), target_.height()));
    if (!on.isEmpty()) work += static_cast<long long>(on.width() * on.height()) / kWmfPixelsPerUnit;
}

void Canvas::chargeEdges(long long edges, const QRectF& logicalBounds) {
    const double rows = std::min<double>(transform_.mapRect(logicalBounds).height(), target_.height());
    work += edges * (1 + static_cast<long long>(std::max(0.0, rows)) / 16);
}

bool Canvas::begin(bool stroke, bool fill, const QRectF& logicalBounds) {
    if (!transformUsable_ || dc.rop2 == 11) return false;  // R2_NOP
    if (!deviceRectInLimits(logicalBounds)) return false;
    chargeArea(transform_.mapRect(logicalBounds));
    QPen pen(Qt::NoPen);
    if (stroke && dc.pen.style != 5) {  // PS_NULL
        pen = QPen(ropColor(dc.pen.color));
        // A pen that comes out about one pixel wide on the device is drawn
        // as a hairline: the same pixels, without the cost of outlining
        // every stroke as a polygon.
        const double deviceWidth = dc.pen.width * std::sqrt(std::abs(transform_.m11() * transform_.m22()));
        if (dc.pen.width > 1 && deviceWidth >= 1.5)
            pen.setWidthF(deviceWidth);
        else
            pen.setWidth(0), pen.setCosmetic(true);
        static constexpr Qt::PenStyle kStyles[] = {Qt::SolidLine, Qt::DashLine, Qt::DotLine, Qt::DashDotLine,
                                                   Qt::DashDotDotLine};
        if (dc.pen.style < 5) pen.setStyle(kStyles[dc.pen.style]);
        pen.setCapStyle(dc.pen.endCap == 0x100 ? Qt::SquareCap : dc.pen.endCap == 0x200 ? Qt::FlatCap : Qt::RoundCap);
        pen.setJoinStyle(dc.pen.join == 0x1000 ? Qt::BevelJoin : dc.pen.join == 0x2000 ? Qt::MiterJoin : Qt::RoundJoin);
    }
    QBrush brush(Qt::NoBrush);
    if (fill) brush = makeBrush();
    if (pen.style() == Qt::NoPen && brush.style() == Qt::NoBrush) return false;
    // Solid one-pixel pens that replace the destination are drawn by our
    // own line loop, several times faster than the painter's; everything
    // else goes through the painter.
    hairline_ = pen.style() == Qt::SolidLine && pen.isCosmetic() && !dc.clip && directPixels_ &&
                (dc.rop2 == 13 || dc.rop2 == 1 || dc.rop2 == 16);
    hairlineColor_ = pen.color().rgb();
    outlinePen_ = pen;
    painter_.setPen(Qt::NoPen);
    painter_.setBrush(brush);
    painter_.setBackgroundMode(dc.bkMode == 2 ? Qt::OpaqueMode : Qt::TransparentMode);
    painter_.setBackground(dc.bkColor);
    painter_.setCompositionMode(CompositionFor(dc.rop2));
    return true;
}

void Canvas::outline(const QPainterPath& path) {
    if (outlinePen_.style() == Qt::NoPen) return;
    if (!hairline_) {
        painter_.strokePath(path, outlinePen_);
        return;
    }
    for (const QPolygonF& poly : path.toSubpathPolygons())
        for (qsizetype i = 1; i < poly.size(); ++i) Hairline(target_, poly[i - 1], poly[i], hairlineColor_);
}

QBrush Canvas::makeBrush() const {
    switch (dc.brush.style) {
    case 0: return QBrush(ropColor(dc.brush.color));
    case 2: {
        static constexpr Qt::BrushStyle kHatches[] = {Qt::HorPattern,   Qt::VerPattern,   Qt::FDiagPattern,
                                                      Qt::BDiagPattern, Qt::CrossPattern, Qt::DiagCrossPattern};
        return QBrush(ropColor(dc.brush.color), dc.brush.hatch < 6 ? kHatches[dc.brush.hatch] : Qt::SolidPattern);
    }
    case 3:
    case 5:
        if (!dc.brush.pattern.isNull()) return QBrush(dc.brush.pattern);
        return QBrush(Qt::gray);
    default: return QBrush(Qt::NoBrush);
    }
}

// R2_BLACK and R2_WHITE paint fixed colours whatever the pen's colour.
QColor Canvas::ropColor(QColor c) const {
    if (dc.rop2 == 1) return Qt::black;
    if (dc.rop2 == 16) return Qt::white;
    if (dc.rop2 == 6) return Qt::white;  // R2_NOT: white XOR destination inverts it
    return c;
}

QImage Canvas::decodeBitmap(const std::uint8_t* data, std::size_t size, bool* bottomUp) {
    if (bitmapPixels_ >= kMaxBitmapPixels) return {};
    QImage image = DecodeDib(data, size, bottomUp);
    bitmapPixels_ += static_cast<long long>(image.width()) * image.height();
    return image;
}

QRectF BoxOf(const Params& p, std::size_t at) {
    return QRectF(QPointF(p.s(at + 3), p.s(at + 2)), QPointF(p.s(at + 1), p.s(at))).normalized();
}

}  // namespace tav::wmf
