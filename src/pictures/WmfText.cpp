#include "pictures/WmfText.h"

#include "pictures/WmfCanvas.h"
#include "pictures/WmfFrame.h"

#include <QFont>
#include <QFontMetricsF>
#include <QStringDecoder>

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

namespace tav::wmf {
namespace {

constexpr int kMaxFontPixels = 4096;

// The font's pixel size on the device, or 0 when it cannot be drawn. A
// positive height is the cell's, of which the characters take about 87 %.
int FontPixels(const FontObj& f, double sy) {
    const int px = f.height == 0 ? 12 : int(std::lround(std::abs(f.height) * sy * (f.height > 0 ? 0.87 : 1.0)));
    return px < 1 || px > kMaxFontPixels ? 0 : px;
}

QFont MakeFont(const FontObj& f, int px) {
    QFont font(f.face.isEmpty() ? QStringLiteral("Sans Serif") : f.face);
    font.setPixelSize(px);
    font.setWeight(QFont::Weight(std::clamp(f.weight == 0 ? 400 : f.weight, 1, 1000)));
    font.setItalic(f.italic);
    font.setUnderline(f.underline);
    font.setStrikeOut(f.strikeOut);
    return font;
}

// Where the run starts relative to the reference point, as the text
// alignment asks.
QPointF AlignedOrigin(int textAlign, double width, const QFontMetricsF& fm) {
    double x = 0;
    switch (textAlign & 6) {
    case 2: x = -width; break;      // TA_RIGHT
    case 6: x = -width / 2; break;  // TA_CENTER
    default: break;
    }
    double y = 0;
    switch (textAlign & 24) {
    case 8: y = -fm.descent(); break;  // TA_BOTTOM
    case 24: break;                    // TA_BASELINE
    default: y = fm.ascent(); break;   // TA_TOP
    }
    return QPointF(x, y);
}

// Draws text at a logical reference point. Glyphs are laid out in device
// pixels so they keep their shape at any scale; dx gives the advance of each
// character in logical units when the record carries it.
void DrawText(Canvas& c, QPointF logicalAt, const QString& str, const std::vector<double>& dx) {
    if (!c.transformUsable() || str.isEmpty()) return;
    const DcState& dc = c.dc;
    const bool updateCp = dc.textAlign & 1;
    const QPointF ref = updateCp ? dc.cur : logicalAt;
    const QPointF dev = c.toDevice(ref);
    if (!Canvas::inLimits(dev)) return;
    const double sx = std::abs(c.transform().m11());
    const int px = FontPixels(dc.font, std::abs(c.transform().m22()));
    if (px == 0) return;
    // Each character is drawn in a box of about the font's size; glyphs
    // cost about four times a plain fill of their box.
    c.work += 1 + 4LL * px * px * str.size() / kWmfPixelsPerUnit;
    const QFont font = MakeFont(dc.font, px);
    const QFontMetricsF fm(font);
    double width = 0;
    if (!dx.empty())
        for (double d : dx) width += d * sx;
    else
        width = fm.horizontalAdvance(str);
    const QPointF origin = AlignedOrigin(dc.textAlign, width, fm);
    const double x = origin.x(), y = origin.y();
    QPainter& painter = c.painter();
    painter.save();
    painter.translate(dev);
    if (dc.font.escapement != 0) painter.rotate(-dc.font.escapement / 10.0);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    // The opaque box is filled here, over the whole run of text; the
    // painter's own opaque mode would fill glyph by glyph.
    painter.setBackgroundMode(Qt::TransparentMode);
    if (dc.bkMode == 2) painter.fillRect(QRectF(x, y - fm.ascent(), width, fm.height()), dc.bkColor);
    painter.setFont(font);
    painter.setPen(dc.textColor);
    if (dx.empty()) {
        painter.drawText(QPointF(x, y), str);
    } else {
        double cx = x;
        for (qsizetype i = 0; i < str.size(); ++i) {
            painter.drawText(QPointF(cx, y), QString(str[i]));
            cx += dx[std::size_t(i)] * sx;
        }
    }
    painter.restore();
    if (updateCp) c.dc.cur = ref + QPointF((dc.textAlign & 6) == 0 ? width / sx : 0, 0);
}

Played TextOut(Canvas& c, const Params& p) {
    const int len = p.s(0);
    if (len < 0 || !p.has(1 + (len + 1) / 2 + 2)) return Played::Skipped;
    const std::size_t at = 1 + (len + 1) / 2;
    DrawText(c, QPointF(p.s(at + 1), p.s(at)),
             DecodeText(reinterpret_cast<const char*>(p.bytes(1)), len, c.dc.font.charset), {});
    return Played::Drawn;
}

Played ExtTextOut(Canvas& c, const Params& p) {
    if (!p.has(4)) return Played::Skipped;
    const QPointF at(p.s(1), p.s(0));
    const int len = p.s(2);
    const int options = p.u(3);
    std::size_t w = 4;
    std::optional<QRectF> rect;
    if (options & 0x0006) {  // ETO_OPAQUE or ETO_CLIPPED carry a rectangle
        if (!p.has(8)) return Played::Skipped;
        rect = QRectF(QPointF(p.s(4), p.s(5)), QPointF(p.s(6), p.s(7))).normalized();
        w = 8;
    }
    if (len < 0 || !p.has(w + (len + 1) / 2)) return Played::Skipped;
    const QString str = DecodeText(reinterpret_cast<const char*>(p.bytes(w)), len, c.dc.font.charset);
    std::vector<double> dx;
    const std::size_t dxAt = w + (len + 1) / 2;
    if (p.has(dxAt + len) && len > 0 && str.size() == len) {
        for (int i = 0; i < len; ++i) dx.push_back(p.s(dxAt + i));
    }
    QPainter& painter = c.painter();
    if (rect && (options & 0x0002) && c.transformUsable() && c.deviceRectInLimits(*rect)) {
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        painter.fillRect(c.transform().mapRect(*rect), c.dc.bkColor);
    }
    if (rect && (options & 0x0004)) {
        painter.save();
        painter.setClipRect(c.transform().mapRect(*rect), Qt::IntersectClip);
        DrawText(c, at, str, dx);
        painter.restore();
    } else {
        DrawText(c, at, str, dx);
    }
    return Played::Drawn;
}

}  // namespace

QString DecodeText(const char* s, std::size_t len, int charset) {
    if (charset == 128) {
        QStringDecoder sjis("Shift_JIS");
        if (sjis.isValid()) return sjis.decode(QByteArrayView(s, qsizetype(len)));
    }
    QStringDecoder cp1252("windows-1252");
    if (cp1252.isValid()) return cp1252.decode(QByteArrayView(s, qsizetype(len)));
    return QString::fromLatin1(s, qsizetype(len));
}

Played PlayTextRecord(Canvas& c, std::uint16_t f, const Params& p) {
    switch (f) {
    case kTextOut: return TextOut(c, p);
    case kExtTextOut: return ExtTextOut(c, p);
    default: return Played::Elsewhere;
    }
}

}  // namespace tav::wmf
