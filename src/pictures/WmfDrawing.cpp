#include "pictures/WmfDrawing.h"

#include "base/ColourQt.h"
#include "pictures/WmfCanvas.h"

#include <QPolygonF>

#include <cmath>
#include <cstddef>

namespace tav::wmf {
namespace {

Played LineTo(Canvas& c, const Params& p) {
    if (!p.has(2)) return Played::Skipped;
    const QPointF to(p.s(1), p.s(0));
    if (c.begin(true, false, QRectF(c.dc.cur, to).normalized())) {
        QPainterPath line(c.toDevice(c.dc.cur));
        line.lineTo(c.toDevice(to));
        c.outline(line);
    }
    c.dc.cur = to;
    return Played::Drawn;
}

bool ReadPoints(const Params& p, std::size_t at, std::size_t count, QPolygonF& out) {
    if (!p.has(at + 2 * count)) return false;
    out.reserve(int(count));
    for (std::size_t i = 0; i < count; ++i) out.append(QPointF(p.s(at + 2 * i), p.s(at + 2 * i + 1)));
    return true;
}

Played Poly(Canvas& c, std::uint16_t f, const Params& p) {
    QPolygonF poly;
    if (!ReadPoints(p, 1, p.u(0), poly)) return Played::Skipped;
    if (!c.begin(true, f == kPolygon, poly.boundingRect())) return Played::Drawn;
    c.chargeEdges(poly.size(), poly.boundingRect());
    QPainterPath path;
    path.setFillRule(c.fillRule());
    path.addPolygon(c.transform().map(poly));
    if (f == kPolygon) {
        path.closeSubpath();
        c.painter().drawPath(path);
    }
    c.outline(path);
    return Played::Drawn;
}

Played PolyPolygon(Canvas& c, const Params& p) {
    const std::size_t polygons = p.u(0);
    if (!p.has(1 + polygons)) return Played::Skipped;
    std::size_t at = 1 + polygons;
    QPainterPath path;
    path.setFillRule(c.fillRule());
    for (std::size_t i = 0; i < polygons; ++i) {
        QPolygonF poly;
        const std::size_t count = p.u(1 + i);
        if (!ReadPoints(p, at, count, poly)) return Played::Skipped;
        at += 2 * count;
        path.addPolygon(poly);
        path.closeSubpath();
    }
    if (!c.begin(true, true, path.boundingRect())) return Played::Drawn;
    c.chargeEdges(path.elementCount(), path.boundingRect());
    path = c.transform().map(path);
    c.painter().drawPath(path);
    c.outline(path);
    return Played::Drawn;
}

Played RectangleOrEllipse(Canvas& c, std::uint16_t f, const Params& p) {
    if (!p.has(4)) return Played::Skipped;
    const QRectF r = BoxOf(p, 0);
    if (!c.begin(true, true, r)) return Played::Drawn;
    const QRectF d = c.transform().mapRect(r);
    QPainterPath border;
    if (f == kRectangle) {
        c.painter().drawRect(d);
        border.addRect(Inside(d));
    } else {
        c.painter().drawEllipse(d);
        border.addEllipse(Inside(d));
    }
    c.outline(border);
    return Played::Drawn;
}

Played RoundRect(Canvas& c, const Params& p) {
    if (!p.has(6)) return Played::Skipped;
    const QRectF r = BoxOf(p, 2);
    if (!c.begin(true, true, r)) return Played::Drawn;
    const QTransform& t = c.transform();
    const QRectF d = t.mapRect(r);
    const double rx = std::abs(p.s(1) * t.m11()) / 2.0, ry = std::abs(p.s(0) * t.m22()) / 2.0;
    c.painter().drawRoundedRect(d, rx, ry, Qt::AbsoluteSize);
    QPainterPath border;
    border.addRoundedRect(Inside(d), rx, ry, Qt::AbsoluteSize);
    c.outline(border);
    return Played::Drawn;
}

// Arcs run counter-clockwise (in logical space) from the radial through the
// start point to the radial through the end point; equal radials give the
// whole ellipse. Under a mapping that flips one axis they run clockwise on the
// device.
Played Arc(Canvas& c, std::uint16_t f, const Params& p) {
    if (!p.has(8)) return Played::Skipped;
    const QRectF box = BoxOf(p, 4);
    if (box.width() <= 0 || box.height() <= 0 || !c.begin(true, f != kArc, box)) return Played::Drawn;
    const QRectF d = c.transform().mapRect(box);
    const QPointF centre = d.center();
    auto angleOf = [&](QPointF logical) {
        const QPointF q = c.toDevice(logical);
        return std::atan2(-(q.y() - centre.y()) / d.height(), (q.x() - centre.x()) / d.width()) * 180.0 / M_PI;
    };
    auto turn = [](double a) {  // into (0, 360]
        a = std::fmod(a, 360.0);
        return a <= 0 ? a + 360.0 : a;
    };
    const double start = angleOf(QPointF(p.s(3), p.s(2)));
    const double end = angleOf(QPointF(p.s(1), p.s(0)));
    const bool flipped = c.transform().m11() * c.transform().m22() < 0;
    const double span = flipped ? -turn(start - end) : turn(end - start);
    auto shape = [&](const QRectF& r) {
        QPainterPath path;
        if (f == kPie) {
            path.moveTo(r.center());
            path.arcTo(r, start, span);
            path.closeSubpath();
        } else {
            path.arcMoveTo(r, start);
            path.arcTo(r, start, span);
            if (f == kChord) path.closeSubpath();
        }
        return path;
    };
    if (f != kArc) c.painter().drawPath(shape(d));
    c.outline(shape(Inside(d)));
    return Played::Drawn;
}

Played SetPixel(Canvas& c, const Params& p) {
    if (!p.has(4)) return Played::Skipped;
    const QPointF d = c.toDevice(QPointF(p.s(3), p.s(2)));
    if (!Canvas::inLimits(d)) return Played::Drawn;
    c.painter().fillRect(QRectF(std::floor(d.x()), std::floor(d.y()), 1, 1), ColorFromColorref(Colorref{p.u32(0)}));
    return Played::Drawn;
}

}  // namespace

Played PlayDrawingRecord(Canvas& c, std::uint16_t f, const Params& p) {
    switch (f) {
    case kMoveTo:
        if (!p.has(2)) return Played::Skipped;
        c.dc.cur = QPointF(p.s(1), p.s(0));
        return Played::Drawn;
    case kLineTo: return LineTo(c, p);
    case kPolyline:
    case kPolygon: return Poly(c, f, p);
    case kPolyPolygon: return PolyPolygon(c, p);
    case kRectangle:
    case kEllipse: return RectangleOrEllipse(c, f, p);
    case kRoundRect: return RoundRect(c, p);
    case kArc:
    case kPie:
    case kChord: return Arc(c, f, p);
    case kSetPixel: return SetPixel(c, p);
    default: return Played::Elsewhere;
    }
}

}  // namespace tav::wmf
