#include "pictures/WmfBitmaps.h"

#include "pictures/WmfCanvas.h"
#include "pictures/WmfFrame.h"

#include <cstddef>
#include <optional>

namespace tav::wmf {
namespace {

void PatBlt(Canvas& c, std::uint32_t rop, QRectF logical) {
    logical = logical.normalized();
    if (!c.transformUsable() || !c.deviceRectInLimits(logical)) return;
    const QRectF device = c.transform().mapRect(logical);
    c.chargeArea(device);
    QPainter& painter = c.painter();
    painter.save();
    painter.setPen(Qt::NoPen);
    switch (rop) {
    case 0x00000042: painter.fillRect(device, Qt::black); break;  // BLACKNESS
    case 0x00FF0062: painter.fillRect(device, Qt::white); break;  // WHITENESS
    case 0x00550009:                                              // DSTINVERT
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        painter.fillRect(device, Qt::white);
        break;
    case 0x005A0049:  // PATINVERT
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        painter.fillRect(device, c.makeBrush());
        break;
    case 0x00AA0029: break;                                   // the destination itself
    default: painter.fillRect(device, c.makeBrush()); break;  // PATCOPY and the rest
    }
    painter.restore();
}

// Where a blit record keeps its rectangles and its bitmap.
struct BlitLayout {
    QRectF src, dst;
    std::size_t dibAt = 0;
    bool srcFromBottom = false;  // StretchDIBits counts source rows from the bottom
};

std::optional<BlitLayout> ReadBlitLayout(std::uint16_t f, const Params& p) {
    BlitLayout l;
    if (f == kStretchDib) {
        if (!p.has(11)) return std::nullopt;
        l.srcFromBottom = true;
        l.src = QRectF(p.s(6), p.s(5), p.s(4), p.s(3));
        l.dst = QRectF(p.s(10), p.s(9), p.s(8), p.s(7));
        l.dibAt = 11;
    } else if (f == kDibStretchBlt) {
        if (!p.has(10)) return std::nullopt;
        l.src = QRectF(p.s(5), p.s(4), p.s(3), p.s(2));
        l.dst = QRectF(p.s(9), p.s(8), p.s(7), p.s(6));
        l.dibAt = 10;
    } else {
        if (!p.has(8)) return std::nullopt;
        l.src = QRectF(p.s(3), p.s(2), p.s(5), p.s(4));
        l.dst = QRectF(p.s(7), p.s(6), p.s(5), p.s(4));
        l.dibAt = 8;
    }
    return l;
}

QPainter::CompositionMode CompositionForRop(std::uint32_t rop) {
    switch (rop) {
    case 0x00EE0086: return QPainter::RasterOp_SourceOrDestination;   // SRCPAINT
    case 0x008800C6: return QPainter::RasterOp_SourceAndDestination;  // SRCAND
    case 0x00660046: return QPainter::RasterOp_SourceXorDestination;  // SRCINVERT
    case 0x00330008: return QPainter::RasterOp_NotSource;             // NOTSRCCOPY
    default: return QPainter::CompositionMode_SourceOver;
    }
}

Played Blit(Canvas& c, std::uint16_t f, const Params& p) {
    // A record that carries no bitmap is a pattern fill of its destination.
    // Its length in words, header included, is then the high byte of the
    // function number plus the three header words.
    if (f != kStretchDib && p.words() == std::size_t(f >> 8)) {
        if (f == kDibBitBlt)
            PatBlt(c, p.u32(0), QRectF(p.s(8), p.s(7), p.s(6), p.s(5)));
        else
            PatBlt(c, p.u32(0), QRectF(p.s(10), p.s(9), p.s(8), p.s(7)));
        return Played::Drawn;
    }
    const std::uint32_t rop = p.u32(0);
    const std::optional<BlitLayout> layout = ReadBlitLayout(f, p);
    if (!layout) return Played::Skipped;
    QRectF src = layout->src;
    const QRectF dst = layout->dst;
    if (!c.transformUsable() || !c.deviceRectInLimits(dst.normalized())) return Played::Drawn;
    bool bottomUp = false;
    QImage image = c.decodeBitmap(p.bytes(layout->dibAt), p.bytesFrom(layout->dibAt), &bottomUp);
    if (image.isNull()) return Played::Skipped;
    if (layout->srcFromBottom && bottomUp) src.moveTop(image.height() - src.top() - src.height());
    if (src.width() < 0 || src.height() < 0) return Played::Drawn;
    // A negative extent, in the record or from a flipped mapping, mirrors
    // the bitmap on that axis.
    const QPointF a = c.toDevice(dst.topLeft()), b = c.toDevice(dst.bottomRight());
    const bool mirrorX = b.x() < a.x(), mirrorY = b.y() < a.y();
    if (mirrorX || mirrorY) {
        image = image.mirrored(mirrorX, mirrorY);
        src = QRectF(mirrorX ? image.width() - src.right() : src.left(),
                     mirrorY ? image.height() - src.bottom() : src.top(), src.width(), src.height());
    }
    const QRectF device = QRectF(a, b).normalized();
    c.chargeArea(device);
    c.work += (static_cast<long long>(image.width()) * image.height()) / kWmfPixelsPerUnit;
    QPainter& painter = c.painter();
    painter.save();
    painter.setCompositionMode(CompositionForRop(rop));
    painter.drawImage(device, image, src);
    painter.restore();
    return Played::Drawn;
}

}  // namespace

Played PlayBitmapRecord(Canvas& c, std::uint16_t f, const Params& p) {
    switch (f) {
    case kPatBlt:
        if (!p.has(6)) return Played::Skipped;
        PatBlt(c, p.u32(0), QRectF(p.s(5), p.s(4), p.s(3), p.s(2)));
        return Played::Drawn;
    case kDibBitBlt:
    case kDibStretchBlt:
    case kStretchDib: return Blit(c, f, p);
    default: return Played::Elsewhere;
    }
}

}  // namespace tav::wmf
