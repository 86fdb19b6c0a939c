#include "pictures/WmfPlayer.h"

#include "base/Colour.h"
#include "base/LittleEndian.h"
#include "pictures/WmfDib.h"
#include "pictures/WmfRecords.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QRegion>
#include <QStringDecoder>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <functional>
#include <optional>
#include <queue>
#include <vector>

namespace tav {
namespace {

using namespace wmf;


bool IsDrawingRecord(std::uint16_t f);

constexpr std::size_t kPlaceableSize = 22;
constexpr std::size_t kHeaderSize = 18;
// Device coordinates beyond this are not handed to the rasteriser: no real
// drawing needs them and they only come from damaged mappings.
constexpr double kDeviceLimit = 1 << 22;
constexpr int kMaxSaveDepth = 1000;
constexpr int kMaxFontPixels = 4096;
// Bounds on the work one picture may cause: records played, and pixels of
// embedded bitmaps decoded. Real drawings stay far below both; a file beyond
// them is cut off there, like a damaged one.
constexpr int kMaxRecords = 1'000'000;
constexpr long long kMaxBitmapPixels = 64LL * 1000 * 1000;
// A clip region is kept to this many rectangles: a record that would make it
// more complex is not carried out. Every clip operation is then bounded, and
// clip handling stays linear in the number of records.
constexpr int kMaxClipRects = 256;

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


struct PenObj {
    int style = 0;   // PS_SOLID, the low four bits of the pen style
    int endCap = 0;
    int join = 0;
    int width = 0;
    QColor color = Qt::black;
};
struct BrushObj {
    int style = 0;   // 0 solid, 1 null, 2 hatched, 3/5 pattern
    int hatch = 0;
    QColor color = Qt::white;
    QImage pattern;
};
struct FontObj {
    int height = 0, width = 0, escapement = 0, weight = 400;
    bool italic = false, underline = false, strikeOut = false;
    int charset = 0;
    QString face;
};
// An entry of the object table. Palettes and regions take a slot too (kind
// Other), so that the indices of later objects stay right.
struct Object {
    enum Kind { Other, Pen, Brush, Font } kind = Other;
    PenObj pen;
    BrushObj brush;
    FontObj font;
};
Object MakeObject(PenObj pen) { Object o; o.kind = Object::Pen; o.pen = std::move(pen); return o; }
Object MakeObject(BrushObj brush) { Object o; o.kind = Object::Brush; o.brush = std::move(brush); return o; }
Object MakeObject(FontObj font) { Object o; o.kind = Object::Font; o.font = std::move(font); return o; }

struct DcState {
    QPointF winOrg, winExt{1, 1}, vpOrg, vpExt{1, 1};
    PenObj pen;
    BrushObj brush;
    FontObj font;
    QColor textColor = Qt::black;
    QColor bkColor = Qt::white;
    int bkMode = 2;        // OPAQUE
    int textAlign = 0;
    int polyFill = 1;      // ALTERNATE
    int rop2 = 13;         // R2_COPYPEN
    QPointF cur;
    std::optional<QRegion> clip;  // device pixels
};

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
        if (p[i] < 0) t0 = std::max(t0, t);
        else t1 = std::min(t1, t);
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

// Plays records onto a painter. The painter works in device pixels: every
// coordinate is mapped here, so that hatches stay on the device's grid, as
// they do on screen, and Qt's fast paths for unscaled drawing apply.
class Player {
public:
    Player(const QByteArray& data, const WmfInfo& info, QImage& target)
        : data_(reinterpret_cast<const std::uint8_t*>(data.constData())),
          size_(static_cast<std::size_t>(data.size())),
          info_(info),
          target_(target),
          painter_(&target),
          tableSize_(static_cast<std::size_t>(std::max(0, info.objectCount))) {
        scaleX_ = double(target.width()) / std::max(1, info.naturalSize.width());
        scaleY_ = double(target.height()) / std::max(1, info.naturalSize.height());
        dc_.winOrg = info.frame.topLeft();
        dc_.winExt = QPointF(info.frame.width(), info.frame.height());
        dc_.vpExt = QPointF(info.naturalSize.width(), info.naturalSize.height());
        directPixels_ = target.format() == QImage::Format_RGB32 || target.format() == QImage::Format_ARGB32;
        painter_.setRenderHint(QPainter::Antialiasing, false);
        painter_.setRenderHint(QPainter::TextAntialiasing, true);
        painter_.setRenderHint(QPainter::SmoothPixmapTransform, false);
        applyTransform();
    }

    WmfPlayStats play() {
        std::size_t pos = info_.firstRecord;
        while (pos + 6 <= size_) {
            const std::uint32_t sizeWords = ReadU32(data_ + pos);
            const std::uint16_t function = ReadU16(data_ + pos + 4);
            if (sizeWords < 3 || sizeWords > (size_ - pos) / 2) {
                stats_.damaged = true;
                break;
            }
            if (stats_.records >= kMaxRecords) {
                stats_.damaged = true;
                break;
            }
            // Every record costs its reading (points, text, bitmap bytes);
            // drawing and clipping add their own cost as they go.
            work_ += 1 + sizeWords / 16;
            if (work_ > kWmfWorkBudget) {
                stats_.budgetSpent = true;
                break;
            }
            ++stats_.records;
            if (function == kEof) {
                stats_.reachedEnd = true;
                break;
            }
            Params prm(data_ + pos + 6, sizeWords - 3);
            // The painter's clip follows the records only when something is
            // drawn, so a run of clip records costs one update, not one each.
            if (clipChanged_ && IsDrawingRecord(function)) applyClip();
            if (!dispatch(function, prm)) skip(function);
            pos += std::size_t(sizeWords) * 2;
        }
        if (!stats_.reachedEnd) stats_.damaged = true;
        stats_.work = work_;
        painter_.end();
        return stats_;
    }

private:
    void skip(std::uint16_t function) { ++stats_.skipped[function]; }

    // Returns false for a record that was not drawn (unknown, or known but not
    // carried out); the caller lists it.
    bool dispatch(std::uint16_t f, const Params& p) {
        switch (f) {
        case kSetWindowOrg:
            if (!p.has(2)) return false;
            dc_.winOrg = QPointF(p.s(1), p.s(0));
            applyTransform();
            return true;
        case kSetWindowExt:
            if (!p.has(2) || p.s(0) == 0 || p.s(1) == 0) return false;
            dc_.winExt = QPointF(p.s(1), p.s(0));
            applyTransform();
            return true;
        case kSetViewportOrg:
            if (!p.has(2)) return false;
            dc_.vpOrg = QPointF(p.s(1), p.s(0));
            applyTransform();
            return true;
        case kSetViewportExt:
            if (!p.has(2) || p.s(0) == 0 || p.s(1) == 0) return false;
            dc_.vpExt = QPointF(p.s(1), p.s(0));
            applyTransform();
            return true;
        case kOffsetWindowOrg:
            if (!p.has(2)) return false;
            dc_.winOrg += QPointF(p.s(1), p.s(0));
            applyTransform();
            return true;
        case kOffsetViewportOrg:
            if (!p.has(2)) return false;
            dc_.vpOrg += QPointF(p.s(1), p.s(0));
            applyTransform();
            return true;
        case kScaleWindowExt:
        case kScaleViewportExt: {
            if (!p.has(4) || p.s(0) == 0 || p.s(2) == 0 || p.s(1) == 0 || p.s(3) == 0) return false;
            QPointF& ext = f == kScaleWindowExt ? dc_.winExt : dc_.vpExt;
            const QPointF scaled(ext.x() * p.s(3) / p.s(2), ext.y() * p.s(1) / p.s(0));
            if (scaled.x() == 0 || scaled.y() == 0) return false;
            ext = scaled;
            applyTransform();
            return true;
        }
        case kSetMapMode:
            // Pictures are always played anisotropically into their frame, the
            // way a program places a metafile into a rectangle.
            return true;
        case kSetBkColor:
            if (!p.has(2)) return false;
            dc_.bkColor = ColorFromColorref(p.u32(0));
            return true;
        case kSetTextColor:
            if (!p.has(2)) return false;
            dc_.textColor = ColorFromColorref(p.u32(0));
            return true;
        case kSetBkMode:
            if (!p.has(1)) return false;
            dc_.bkMode = p.u(0);
            return true;
        case kSetTextAlign:
            if (!p.has(1)) return false;
            dc_.textAlign = p.u(0);
            return true;
        case kSetPolyFillMode:
            if (!p.has(1)) return false;
            dc_.polyFill = p.u(0);
            return true;
        case kSetRop2:
            if (!p.has(1)) return false;
            dc_.rop2 = p.u(0);
            return true;
        case kSetStretchBltMode:
            return true;
        case kSaveDc:
            if (saved_.size() >= kMaxSaveDepth) return false;
            saved_.push_back(dc_);
            return true;
        case kRestoreDc: {
            if (!p.has(1)) return false;
            const int n = p.s(0);
            std::size_t keep;
            if (n < 0) {
                if (std::size_t(-n) > saved_.size()) return false;
                keep = saved_.size() - std::size_t(-n);
            } else {
                if (n == 0 || std::size_t(n) > saved_.size()) return false;
                keep = std::size_t(n) - 1;
            }
            dc_ = saved_[keep];
            saved_.resize(keep);
            applyTransform();
            clipChanged_ = true;
            return true;
        }
        case kCreatePenIndirect: {
            if (!p.has(5)) return addObject(Object{}), false;
            PenObj pen;
            pen.style = p.u(0) & 0x0F;
            pen.endCap = p.u(0) & 0x0F00;
            pen.join = p.u(0) & 0xF000;
            pen.width = std::abs(int(p.s(1)));
            pen.color = ColorFromColorref(p.u32(3));
            addObject(MakeObject(pen));
            return true;
        }
        case kCreateBrushIndirect: {
            if (!p.has(4)) return addObject(Object{}), false;
            BrushObj brush;
            brush.style = p.u(0);
            brush.color = ColorFromColorref(p.u32(1));
            brush.hatch = p.u(3);
            addObject(MakeObject(brush));
            return true;
        }
        case kDibCreatePatternBrush: {
            BrushObj brush;
            brush.style = 3;
            if (p.has(2)) brush.pattern = decodeBitmap(p.bytes(2), p.bytesFrom(2), nullptr);
            const bool ok = !brush.pattern.isNull();
            if (!ok) brush.style = 0, brush.color = Qt::gray;
            addObject(MakeObject(brush));
            return ok;
        }
        case kCreatePatternBrush: {
            // The old bitmap-object pattern brush: its slot is kept, drawn as grey.
            BrushObj brush;
            brush.color = Qt::gray;
            addObject(MakeObject(brush));
            return false;
        }
        case kCreateFontIndirect: {
            if (!p.has(9)) return addObject(Object{}), false;
            FontObj font;
            font.height = p.s(0);
            font.width = p.s(1);
            font.escapement = p.s(2);
            font.weight = p.s(4);
            const std::uint8_t* b = p.bytes(5);
            font.italic = b[0] != 0;
            font.underline = b[1] != 0;
            font.strikeOut = b[2] != 0;
            font.charset = b[3];
            const std::size_t faceBytes = std::min<std::size_t>(32, p.bytesFrom(9));
            const char* face = reinterpret_cast<const char*>(p.bytes(9));
            const std::size_t len = std::find(face, face + faceBytes, '\0') - face;
            font.face = decodeText(face, len, font.charset);
            addObject(MakeObject(font));
            return true;
        }
        case kCreatePalette:
        case kCreateRegion:
            addObject(Object{});
            return false;
        case kSelectObject:
            return p.has(1) && selectObject(p.u(0));
        case kDeleteObject:
            if (!p.has(1) || p.u(0) >= objects_.size() || !objects_[p.u(0)]) return false;
            objects_[p.u(0)].reset();
            freeSlots_.push(p.u(0));
            return true;
        case kMoveTo:
            if (!p.has(2)) return false;
            dc_.cur = QPointF(p.s(1), p.s(0));
            return true;
        case kLineTo: {
            if (!p.has(2)) return false;
            const QPointF to(p.s(1), p.s(0));
            if (begin(true, false, QRectF(dc_.cur, to).normalized())) {
                QPainterPath line(toDevice(dc_.cur));
                line.lineTo(toDevice(to));
                outline(line);
            }
            dc_.cur = to;
            return true;
        }
        case kPolyline:
        case kPolygon: {
            QPolygonF poly;
            if (!readPoints(p, 1, p.u(0), poly)) return false;
            if (!begin(true, f == kPolygon, poly.boundingRect())) return true;
            chargeEdges(poly.size(), poly.boundingRect());
            QPainterPath path;
            path.setFillRule(fillRule());
            path.addPolygon(transform_.map(poly));
            if (f == kPolygon) {
                path.closeSubpath();
                painter_.drawPath(path);
            }
            outline(path);
            return true;
        }
        case kPolyPolygon:
            return polyPolygon(p);
        case kRectangle:
        case kEllipse: {
            if (!p.has(4)) return false;
            const QRectF r = boxOf(p, 0);
            if (!begin(true, true, r)) return true;
            const QRectF d = transform_.mapRect(r);
            QPainterPath border;
            if (f == kRectangle) {
                painter_.drawRect(d);
                border.addRect(Inside(d));
            } else {
                painter_.drawEllipse(d);
                border.addEllipse(Inside(d));
            }
            outline(border);
            return true;
        }
        case kRoundRect: {
            if (!p.has(6)) return false;
            const QRectF r = boxOf(p, 2);
            if (!begin(true, true, r)) return true;
            const QRectF d = transform_.mapRect(r);
            const double rx = std::abs(p.s(1) * transform_.m11()) / 2.0, ry = std::abs(p.s(0) * transform_.m22()) / 2.0;
            painter_.drawRoundedRect(d, rx, ry, Qt::AbsoluteSize);
            QPainterPath border;
            border.addRoundedRect(Inside(d), rx, ry, Qt::AbsoluteSize);
            outline(border);
            return true;
        }
        case kArc:
        case kPie:
        case kChord:
            return arc(f, p);
        case kSetPixel: {
            if (!p.has(4)) return false;
            const QPointF d = toDevice(QPointF(p.s(3), p.s(2)));
            if (!inLimits(d)) return true;
            painter_.fillRect(QRectF(std::floor(d.x()), std::floor(d.y()), 1, 1), ColorFromColorref(p.u32(0)));
            return true;
        }
        case kIntersectClipRect:
        case kExcludeClipRect: {
            if (!p.has(4)) return false;
            const QRect dev = deviceRect(boxOf(p, 0));
            QRegion clip = dc_.clip.value_or(QRegion(QRect(0, 0, target_.width(), target_.height())));
            work_ += clip.rectCount();
            clip = f == kIntersectClipRect ? clip.intersected(dev) : clip.subtracted(dev);
            if (clip.rectCount() > kMaxClipRects) return false;
            dc_.clip = clip;
            clipChanged_ = true;
            return true;
        }
        case kTextOut: {
            const int len = p.s(0);
            if (len < 0 || !p.has(1 + (len + 1) / 2 + 2)) return false;
            const std::size_t at = 1 + (len + 1) / 2;
            text(QPointF(p.s(at + 1), p.s(at)),
                 decodeText(reinterpret_cast<const char*>(p.bytes(1)), len, dc_.font.charset), {});
            return true;
        }
        case kExtTextOut:
            return extTextOut(p);
        case kPatBlt:
            if (!p.has(6)) return false;
            patBlt(p.u32(0), QRectF(p.s(5), p.s(4), p.s(3), p.s(2)));
            return true;
        case kDibBitBlt:
        case kDibStretchBlt:
        case kStretchDib:
            return blit(f, p);
        default:
            return false;
        }
    }

    QImage decodeBitmap(const std::uint8_t* data, std::size_t size, bool* bottomUp) {
        if (bitmapPixels_ >= kMaxBitmapPixels) return {};
        QImage image = DecodeDib(data, size, bottomUp);
        bitmapPixels_ += static_cast<long long>(image.width()) * image.height();
        return image;
    }

    // A new object takes the lowest free slot of the table, as the system's
    // player does; when the table is full it is dropped. Freed slots wait in a
    // heap and the table grows only as far as it is used, so even a table of
    // 65535 entries costs nothing until filled.
    void addObject(Object obj) {
        std::size_t slot;
        if (!freeSlots_.empty()) {
            slot = freeSlots_.top();
            freeSlots_.pop();
        } else if (objects_.size() < tableSize_) {
            slot = objects_.size();
            objects_.emplace_back();
        } else {
            return;
        }
        objects_[slot] = std::move(obj);
    }

    bool selectObject(std::size_t index) {
        if (index >= objects_.size() || !objects_[index]) return false;
        const Object& o = *objects_[index];
        switch (o.kind) {
        case Object::Pen: dc_.pen = o.pen; return true;
        case Object::Brush: dc_.brush = o.brush; return true;
        case Object::Font: dc_.font = o.font; return true;
        case Object::Other: return false;
        }
        return false;
    }

    // Maps logical units to device pixels: viewport origin plus the scaled
    // distance from the window origin, then from the natural size to the target.
    void applyTransform() {
        const double ax = dc_.vpExt.x() / dc_.winExt.x();
        const double ay = dc_.vpExt.y() / dc_.winExt.y();
        const double m11 = ax * scaleX_;
        const double m22 = ay * scaleY_;
        const double dx = (dc_.vpOrg.x() - dc_.winOrg.x() * ax) * scaleX_;
        const double dy = (dc_.vpOrg.y() - dc_.winOrg.y() * ay) * scaleY_;
        transform_ = QTransform(m11, 0, 0, m22, dx, dy);
        transformUsable_ = std::isfinite(m11) && std::isfinite(m22) && std::isfinite(dx) && std::isfinite(dy) &&
                           m11 != 0 && m22 != 0;
    }

    void applyClip() {
        clipChanged_ = false;
        if (dc_.clip) {
            work_ += dc_.clip->rectCount();
            painter_.setClipRegion(*dc_.clip);
        } else {
            painter_.setClipping(false);
        }
    }

    // The cost of filling the part of a device rectangle that lies on the image.
    void chargeArea(const QRectF& device) {
        const QRectF on = device.intersected(QRectF(0, 0, target_.width(), target_.height()));
        if (!on.isEmpty()) work_ += static_cast<long long>(on.width() * on.height()) / kWmfPixelsPerUnit;
    }

    // Filling a shape of many edges visits every edge on each row it spans.
    void chargeEdges(long long edges, const QRectF& logicalBounds) {
        const double rows = std::min<double>(transform_.mapRect(logicalBounds).height(), target_.height());
        work_ += edges * (1 + static_cast<long long>(std::max(0.0, rows)) / 16);
    }

    QPointF toDevice(QPointF logical) const { return transform_.map(logical); }
    static bool inLimits(QPointF d) { return std::abs(d.x()) < kDeviceLimit && std::abs(d.y()) < kDeviceLimit; }
    bool deviceRectInLimits(const QRectF& logical) const {
        const QRectF d = transform_.mapRect(logical);
        return inLimits(d.topLeft()) && inLimits(d.bottomRight());
    }
    QRect deviceRect(const QRectF& logical) const { return transform_.mapRect(logical).toAlignedRect(); }

    // A GDI box "left, top, right, bottom" stored as bottom, right, top, left.
    static QRectF boxOf(const Params& p, std::size_t at) {
        return QRectF(QPointF(p.s(at + 3), p.s(at + 2)), QPointF(p.s(at + 1), p.s(at))).normalized();
    }

    Qt::FillRule fillRule() const { return dc_.polyFill == 2 ? Qt::WindingFill : Qt::OddEvenFill; }

    // Sets pen, brush and raster mode for one primitive. False when the
    // primitive would draw nothing or cannot be mapped.
    bool begin(bool stroke, bool fill, const QRectF& logicalBounds) {
        if (!transformUsable_ || dc_.rop2 == 11) return false;  // R2_NOP
        if (!deviceRectInLimits(logicalBounds)) return false;
        chargeArea(transform_.mapRect(logicalBounds));
        QPen pen(Qt::NoPen);
        if (stroke && dc_.pen.style != 5) {  // PS_NULL
            pen = QPen(ropColor(dc_.pen.color));
            // A pen that comes out about one pixel wide on the device is drawn
            // as a hairline: the same pixels, without the cost of outlining
            // every stroke as a polygon.
            const double deviceWidth = dc_.pen.width * std::sqrt(std::abs(transform_.m11() * transform_.m22()));
            if (dc_.pen.width > 1 && deviceWidth >= 1.5) pen.setWidthF(deviceWidth);
            else pen.setWidth(0), pen.setCosmetic(true);
            static constexpr Qt::PenStyle kStyles[] = {Qt::SolidLine, Qt::DashLine, Qt::DotLine, Qt::DashDotLine,
                                                       Qt::DashDotDotLine};
            if (dc_.pen.style < 5) pen.setStyle(kStyles[dc_.pen.style]);
            pen.setCapStyle(dc_.pen.endCap == 0x100 ? Qt::SquareCap : dc_.pen.endCap == 0x200 ? Qt::FlatCap : Qt::RoundCap);
            pen.setJoinStyle(dc_.pen.join == 0x1000 ? Qt::BevelJoin : dc_.pen.join == 0x2000 ? Qt::MiterJoin : Qt::RoundJoin);
        }
        QBrush brush(Qt::NoBrush);
        if (fill) brush = makeBrush();
        if (pen.style() == Qt::NoPen && brush.style() == Qt::NoBrush) return false;
        // Solid one-pixel pens that replace the destination are drawn by our
        // own line loop, several times faster than the painter's; everything
        // else goes through the painter.
        hairline_ = pen.style() == Qt::SolidLine && pen.isCosmetic() && !dc_.clip && directPixels_ &&
                    (dc_.rop2 == 13 || dc_.rop2 == 1 || dc_.rop2 == 16);
        hairlineColor_ = pen.color().rgb();
        outlinePen_ = pen;
        painter_.setPen(Qt::NoPen);
        painter_.setBrush(brush);
        painter_.setBackgroundMode(dc_.bkMode == 2 ? Qt::OpaqueMode : Qt::TransparentMode);
        painter_.setBackground(dc_.bkColor);
        painter_.setCompositionMode(compositionFor(dc_.rop2));
        return true;
    }

    // Strokes a device-space outline with the current pen.
    void outline(const QPainterPath& path) {
        if (outlinePen_.style() == Qt::NoPen) return;
        if (!hairline_) {
            painter_.strokePath(path, outlinePen_);
            return;
        }
        for (const QPolygonF& poly : path.toSubpathPolygons())
            for (qsizetype i = 1; i < poly.size(); ++i) Hairline(target_, poly[i - 1], poly[i], hairlineColor_);
    }

    // The box a one-pixel outline takes inside a filled device rectangle, so
    // that the outline covers the shape's own edge pixels.
    static QRectF Inside(const QRectF& r) { return r.adjusted(0, 0, -1, -1); }

    QBrush makeBrush() const {
        switch (dc_.brush.style) {
        case 0: return QBrush(ropColor(dc_.brush.color));
        case 2: {
            static constexpr Qt::BrushStyle kHatches[] = {Qt::HorPattern, Qt::VerPattern, Qt::FDiagPattern,
                                                          Qt::BDiagPattern, Qt::CrossPattern, Qt::DiagCrossPattern};
            return QBrush(ropColor(dc_.brush.color), dc_.brush.hatch < 6 ? kHatches[dc_.brush.hatch] : Qt::SolidPattern);
        }
        case 3:
        case 5:
            if (!dc_.brush.pattern.isNull()) return QBrush(dc_.brush.pattern);
            return QBrush(Qt::gray);
        default: return QBrush(Qt::NoBrush);
        }
    }

    // R2_BLACK and R2_WHITE paint fixed colours whatever the pen's colour.
    QColor ropColor(QColor c) const {
        if (dc_.rop2 == 1) return Qt::black;
        if (dc_.rop2 == 16) return Qt::white;
        if (dc_.rop2 == 6) return Qt::white;  // R2_NOT: white XOR destination inverts it
        return c;
    }

    static QPainter::CompositionMode compositionFor(int rop2) {
        switch (rop2) {
        case 4: return QPainter::RasterOp_NotSource;                   // R2_NOTCOPYPEN
        case 6:                                                        // R2_NOT
        case 7: return QPainter::RasterOp_SourceXorDestination;        // R2_XORPEN
        case 9: return QPainter::RasterOp_SourceAndDestination;        // R2_MASKPEN
        case 15: return QPainter::RasterOp_SourceOrDestination;        // R2_MERGEPEN
        default: return QPainter::CompositionMode_SourceOver;
        }
    }

    bool readPoints(const Params& p, std::size_t at, std::size_t count, QPolygonF& out) const {
        if (!p.has(at + 2 * count)) return false;
        out.reserve(int(count));
        for (std::size_t i = 0; i < count; ++i) out.append(QPointF(p.s(at + 2 * i), p.s(at + 2 * i + 1)));
        return true;
    }

    bool polyPolygon(const Params& p) {
        const std::size_t polygons = p.u(0);
        if (!p.has(1 + polygons)) return false;
        std::size_t at = 1 + polygons;
        QPainterPath path;
        path.setFillRule(fillRule());
        for (std::size_t i = 0; i < polygons; ++i) {
            QPolygonF poly;
            const std::size_t count = p.u(1 + i);
            if (!readPoints(p, at, count, poly)) return false;
            at += 2 * count;
            path.addPolygon(poly);
            path.closeSubpath();
        }
        if (!begin(true, true, path.boundingRect())) return true;
        chargeEdges(path.elementCount(), path.boundingRect());
        path = transform_.map(path);
        painter_.drawPath(path);
        outline(path);
        return true;
    }

    // Arcs run counter-clockwise (in logical space) from the radial through
    // the start point to the radial through the end point; equal radials give
    // the whole ellipse. Under a mapping that flips one axis they run
    // clockwise on the device.
    bool arc(std::uint16_t f, const Params& p) {
        if (!p.has(8)) return false;
        const QRectF box = boxOf(p, 4);
        if (box.width() <= 0 || box.height() <= 0 || !begin(true, f != kArc, box)) return true;
        const QRectF d = transform_.mapRect(box);
        const QPointF c = d.center();
        auto angleOf = [&](QPointF logical) {
            const QPointF q = toDevice(logical);
            return std::atan2(-(q.y() - c.y()) / d.height(), (q.x() - c.x()) / d.width()) * 180.0 / M_PI;
        };
        auto turn = [](double a) {  // into (0, 360]
            a = std::fmod(a, 360.0);
            return a <= 0 ? a + 360.0 : a;
        };
        const double start = angleOf(QPointF(p.s(3), p.s(2)));
        const double end = angleOf(QPointF(p.s(1), p.s(0)));
        const bool flipped = transform_.m11() * transform_.m22() < 0;
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
        if (f != kArc) painter_.drawPath(shape(d));
        outline(shape(Inside(d)));
        return true;
    }

    QString decodeText(const char* s, std::size_t len, int charset) const {
        // SHIFTJIS_CHARSET; other charsets are read as Windows Latin-1.
        if (charset == 128) {
            QStringDecoder sjis("Shift_JIS");
            if (sjis.isValid()) return sjis.decode(QByteArrayView(s, qsizetype(len)));
        }
        QStringDecoder cp1252("windows-1252");
        if (cp1252.isValid()) return cp1252.decode(QByteArrayView(s, qsizetype(len)));
        return QString::fromLatin1(s, qsizetype(len));
    }

    bool extTextOut(const Params& p) {
        if (!p.has(4)) return false;
        const QPointF at(p.s(1), p.s(0));
        const int len = p.s(2);
        const int options = p.u(3);
        std::size_t w = 4;
        std::optional<QRectF> rect;
        if (options & 0x0006) {  // ETO_OPAQUE or ETO_CLIPPED carry a rectangle
            if (!p.has(8)) return false;
            rect = QRectF(QPointF(p.s(4), p.s(5)), QPointF(p.s(6), p.s(7))).normalized();
            w = 8;
        }
        if (len < 0 || !p.has(w + (len + 1) / 2)) return false;
        const QString str = decodeText(reinterpret_cast<const char*>(p.bytes(w)), len, dc_.font.charset);
        std::vector<double> dx;
        const std::size_t dxAt = w + (len + 1) / 2;
        if (p.has(dxAt + len) && len > 0 && str.size() == len) {
            for (int i = 0; i < len; ++i) dx.push_back(p.s(dxAt + i));
        }
        if (rect && (options & 0x0002) && transformUsable_ && deviceRectInLimits(*rect)) {
            painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
            painter_.fillRect(transform_.mapRect(*rect), dc_.bkColor);
        }
        if (rect && (options & 0x0004)) {
            painter_.save();
            painter_.setClipRect(transform_.mapRect(*rect), Qt::IntersectClip);
            text(at, str, dx);
            painter_.restore();
        } else {
            text(at, str, dx);
        }
        return true;
    }

    // Draws text at a logical reference point. Glyphs are laid out in device
    // pixels so they keep their shape at any scale; dx gives the advance of
    // each character in logical units when the record carries it.
    void text(QPointF logicalAt, const QString& str, const std::vector<double>& dx) {
        if (!transformUsable_ || str.isEmpty()) return;
        const bool updateCp = dc_.textAlign & 1;
        const QPointF ref = updateCp ? dc_.cur : logicalAt;
        const QPointF dev = toDevice(ref);
        if (!inLimits(dev)) return;
        const double sy = std::abs(transform_.m22());
        const double sx = std::abs(transform_.m11());
        int px = dc_.font.height == 0 ? 12 : int(std::lround(std::abs(dc_.font.height) * sy *
                                                              (dc_.font.height > 0 ? 0.87 : 1.0)));
        if (px < 1 || px > kMaxFontPixels) return;
        // Each character is drawn in a box of about the font's size; glyphs
        // cost about four times a plain fill of their box.
        work_ += 1 + 4LL * px * px * str.size() / kWmfPixelsPerUnit;
        QFont font(dc_.font.face.isEmpty() ? QStringLiteral("Sans Serif") : dc_.font.face);
        font.setPixelSize(px);
        font.setWeight(QFont::Weight(std::clamp(dc_.font.weight == 0 ? 400 : dc_.font.weight, 1, 1000)));
        font.setItalic(dc_.font.italic);
        font.setUnderline(dc_.font.underline);
        font.setStrikeOut(dc_.font.strikeOut);
        const QFontMetricsF fm(font);
        double width = 0;
        if (!dx.empty()) for (double d : dx) width += d * sx;
        else width = fm.horizontalAdvance(str);
        double x = 0;
        switch (dc_.textAlign & 6) {
        case 2: x = -width; break;       // TA_RIGHT
        case 6: x = -width / 2; break;   // TA_CENTER
        default: break;
        }
        double y = 0;
        switch (dc_.textAlign & 24) {
        case 8: y = -fm.descent(); break;   // TA_BOTTOM
        case 24: break;                     // TA_BASELINE
        default: y = fm.ascent(); break;    // TA_TOP
        }
        painter_.save();
        painter_.translate(dev);
        if (dc_.font.escapement != 0) painter_.rotate(-dc_.font.escapement / 10.0);
        painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
        // The opaque box is filled here, over the whole run of text; the
        // painter's own opaque mode would fill glyph by glyph.
        painter_.setBackgroundMode(Qt::TransparentMode);
        if (dc_.bkMode == 2) painter_.fillRect(QRectF(x, y - fm.ascent(), width, fm.height()), dc_.bkColor);
        painter_.setFont(font);
        painter_.setPen(dc_.textColor);
        if (dx.empty()) {
            painter_.drawText(QPointF(x, y), str);
        } else {
            double cx = x;
            for (qsizetype i = 0; i < str.size(); ++i) {
                painter_.drawText(QPointF(cx, y), QString(str[i]));
                cx += dx[std::size_t(i)] * sx;
            }
        }
        painter_.restore();
        if (updateCp) dc_.cur = ref + QPointF((dc_.textAlign & 6) == 0 ? width / sx : 0, 0);
    }

    void patBlt(std::uint32_t rop, QRectF logical) {
        logical = logical.normalized();
        if (!transformUsable_ || !deviceRectInLimits(logical)) return;
        const QRectF device = transform_.mapRect(logical);
        chargeArea(device);
        painter_.save();
        painter_.setPen(Qt::NoPen);
        switch (rop) {
        case 0x00000042: painter_.fillRect(device, Qt::black); break;       // BLACKNESS
        case 0x00FF0062: painter_.fillRect(device, Qt::white); break;       // WHITENESS
        case 0x00550009:                                                     // DSTINVERT
            painter_.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
            painter_.fillRect(device, Qt::white);
            break;
        case 0x005A0049:                                                     // PATINVERT
            painter_.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
            painter_.fillRect(device, makeBrush());
            break;
        case 0x00AA0029: break;                                              // the destination itself
        default: painter_.fillRect(device, makeBrush()); break;             // PATCOPY and the rest
        }
        painter_.restore();
    }

    bool blit(std::uint16_t f, const Params& p) {
        // A record that carries no bitmap is a pattern fill of its destination.
        // Its length in words, header included, is then the high byte of the
        // function number plus the three header words.
        if (f != kStretchDib && p.words() == std::size_t(f >> 8)) {
            if (f == kDibBitBlt) patBlt(p.u32(0), QRectF(p.s(8), p.s(7), p.s(6), p.s(5)));
            else patBlt(p.u32(0), QRectF(p.s(10), p.s(9), p.s(8), p.s(7)));
            return true;
        }
        std::uint32_t rop = p.u32(0);
        QRectF src, dst;
        std::size_t dibAt;
        bool srcFromBottom = false;
        if (f == kStretchDib) {
            if (!p.has(11)) return false;
            srcFromBottom = true;
            src = QRectF(p.s(6), p.s(5), p.s(4), p.s(3));
            dst = QRectF(p.s(10), p.s(9), p.s(8), p.s(7));
            dibAt = 11;
        } else if (f == kDibStretchBlt) {
            if (!p.has(10)) return false;
            src = QRectF(p.s(5), p.s(4), p.s(3), p.s(2));
            dst = QRectF(p.s(9), p.s(8), p.s(7), p.s(6));
            dibAt = 10;
        } else {
            if (!p.has(8)) return false;
            src = QRectF(p.s(3), p.s(2), p.s(5), p.s(4));
            dst = QRectF(p.s(7), p.s(6), p.s(5), p.s(4));
            dibAt = 8;
        }
        if (!transformUsable_ || !deviceRectInLimits(dst.normalized())) return true;
        bool bottomUp = false;
        QImage image = decodeBitmap(p.bytes(dibAt), p.bytesFrom(dibAt), &bottomUp);
        if (image.isNull()) return false;
        // StretchDIBits counts source rows from the bottom of a bottom-up bitmap.
        if (srcFromBottom && bottomUp) src.moveTop(image.height() - src.top() - src.height());
        if (src.width() < 0 || src.height() < 0) return true;
        // A negative extent, in the record or from a flipped mapping, mirrors
        // the bitmap on that axis.
        const QPointF a = toDevice(dst.topLeft()), b = toDevice(dst.bottomRight());
        const bool mirrorX = b.x() < a.x(), mirrorY = b.y() < a.y();
        if (mirrorX || mirrorY) {
            image = image.mirrored(mirrorX, mirrorY);
            src = QRectF(mirrorX ? image.width() - src.right() : src.left(),
                         mirrorY ? image.height() - src.bottom() : src.top(), src.width(), src.height());
        }
        const QRectF device = QRectF(a, b).normalized();
        chargeArea(device);
        work_ += (static_cast<long long>(image.width()) * image.height()) / kWmfPixelsPerUnit;
        painter_.save();
        switch (rop) {
        case 0x00EE0086: painter_.setCompositionMode(QPainter::RasterOp_SourceOrDestination); break;   // SRCPAINT
        case 0x008800C6: painter_.setCompositionMode(QPainter::RasterOp_SourceAndDestination); break;  // SRCAND
        case 0x00660046: painter_.setCompositionMode(QPainter::RasterOp_SourceXorDestination); break;  // SRCINVERT
        case 0x00330008: painter_.setCompositionMode(QPainter::RasterOp_NotSource); break;             // NOTSRCCOPY
        default: painter_.setCompositionMode(QPainter::CompositionMode_SourceOver); break;
        }
        painter_.drawImage(device, image, src);
        painter_.restore();
        return true;
    }

    const std::uint8_t* data_;
    std::size_t size_;
    const WmfInfo& info_;
    QImage& target_;
    QPainter painter_;
    bool directPixels_ = false;
    bool hairline_ = false;
    long long bitmapPixels_ = 0;
    long long work_ = 0;
    bool clipChanged_ = false;
    QRgb hairlineColor_ = 0;
    QPen outlinePen_;
    std::size_t tableSize_;
    std::vector<std::optional<Object>> objects_;
    std::priority_queue<std::size_t, std::vector<std::size_t>, std::greater<>> freeSlots_;
    DcState dc_;
    std::vector<DcState> saved_;
    double scaleX_ = 1, scaleY_ = 1;
    QTransform transform_;
    bool transformUsable_ = false;
    WmfPlayStats stats_;
};

bool IsDrawingRecord(std::uint16_t f) {
    switch (f) {
    case kLineTo: case kPolyline: case kPolygon: case kPolyPolygon: case kRectangle: case kRoundRect:
    case kEllipse: case kArc: case kPie: case kChord: case kTextOut: case kExtTextOut: case kPatBlt:
    case kSetPixel: case kDibBitBlt: case kDibStretchBlt: case kStretchDib: case kBitBlt: case kStretchBlt:
        return true;
    default:
        return false;
    }
}

// Finds the window origin and extent that a plain metafile sets before it
// draws anything: they are its frame. A file that sets them only later is
// framed by the first ones it sets.
bool ScanWindow(const std::uint8_t* data, std::size_t size, std::size_t pos, QRect& frame) {
    QPoint org;
    QPoint ext;
    bool haveExt = false;
    bool drawn = false;
    for (int guard = 0; pos + 6 <= size && guard < 1000000; ++guard) {
        const std::uint32_t words = ReadU32(data + pos);
        const std::uint16_t f = ReadU16(data + pos + 4);
        if (words < 3 || words > (size - pos) / 2 || f == kEof) break;
        const Params p(data + pos + 6, words - 3);
        if (f == kSetWindowOrg && p.has(2) && !(drawn && haveExt)) {
            org = QPoint(p.s(1), p.s(0));
        } else if (f == kSetWindowExt && p.has(2) && !haveExt) {
            ext = QPoint(p.s(1), p.s(0));
            haveExt = true;
            if (drawn) break;
        } else if (IsDrawingRecord(f)) {
            drawn = true;
            if (haveExt) break;
        }
        pos += std::size_t(words) * 2;
    }
    if (!haveExt || ext.x() == 0 || ext.y() == 0) return false;
    frame = QRect(org, QSize(ext.x(), ext.y()));
    return true;
}

}  // namespace

bool ReadWmfInfo(const QByteArray& bytes, WmfInfo& info) {
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.constData());
    const std::size_t size = static_cast<std::size_t>(bytes.size());
    info = WmfInfo{};
    std::size_t pos = 0;
    if (size >= kPlaceableSize && ReadU32(data) == kPlaceableKey) {
        info.placeable = true;
        const int left = ReadI16(data + 6), top = ReadI16(data + 8), right = ReadI16(data + 10), bottom = ReadI16(data + 12);
        info.unitsPerInch = ReadU16(data + 14);
        info.frame = QRect(QPoint(left, top), QSize(right - left, bottom - top));
        pos = kPlaceableSize;
    }
    if (size < pos + kHeaderSize) return false;
    const std::uint16_t type = ReadU16(data + pos);
    const std::uint16_t headerWords = ReadU16(data + pos + 2);
    const std::uint16_t version = ReadU16(data + pos + 4);
    if ((type != 1 && type != 2) || headerWords != 9 || (version != 0x0100 && version != 0x0300)) return false;
    info.objectCount = ReadU16(data + pos + 12);
    info.firstRecord = pos + kHeaderSize;

    long long w, h;
    if (info.placeable) {
        if (info.unitsPerInch == 0 || info.frame.width() == 0 || info.frame.height() == 0) return false;
        w = std::llround(std::abs(double(info.frame.width())) * 96.0 / info.unitsPerInch);
        h = std::llround(std::abs(double(info.frame.height())) * 96.0 / info.unitsPerInch);
    } else {
        if (!ScanWindow(data, size, info.firstRecord, info.frame)) return false;
        w = std::abs(info.frame.width());
        h = std::abs(info.frame.height());
    }
    if (w < 1 || h < 1) return false;
    info.naturalSize = QSize(int(w), int(h));
    return true;
}

WmfPlayStats PlayWmf(const QByteArray& data, const WmfInfo& info, QImage& target) {
    if (target.isNull() || info.naturalSize.isEmpty()) {
        WmfPlayStats none;
        none.damaged = true;
        return none;
    }
    Player player(data, info, target);
    return player.play();
}

QImage RenderWmf(const QByteArray& data, QSize size, WmfPlayStats* stats) {
    WmfInfo info;
    if (size.isEmpty() || !ReadWmfInfo(data, info)) return {};
    QImage image(size, QImage::Format_RGB32);
    if (image.isNull()) return {};
    image.fill(Qt::white);
    const WmfPlayStats s = PlayWmf(data, info, image);
    if (stats) *stats = s;
    return image;
}

}  // namespace tav
