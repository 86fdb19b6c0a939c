#include "pictures/WmfObjects.h"

#include "base/ColourQt.h"
#include "pictures/WmfCanvas.h"
#include "pictures/WmfText.h"

#include <algorithm>
#include <cstdlib>

namespace tav::wmf {
namespace {

Object MakeObject(PenObj pen) {
    Object o;
    o.kind = Object::Pen;
    o.pen = std::move(pen);
    return o;
}
Object MakeObject(BrushObj brush) {
    Object o;
    o.kind = Object::Brush;
    o.brush = std::move(brush);
    return o;
}
Object MakeObject(FontObj font) {
    Object o;
    o.kind = Object::Font;
    o.font = std::move(font);
    return o;
}

Played CreatePen(Canvas& c, const Params& p) {
    if (!p.has(5)) return c.objects.add(Object{}), Played::Skipped;
    PenObj pen;
    pen.style = p.u(0) & 0x0F;
    pen.endCap = p.u(0) & 0x0F00;
    pen.join = p.u(0) & 0xF000;
    pen.width = std::abs(int(p.s(1)));
    pen.color = ColorFromColorref(Colorref{p.u32(3)});
    c.objects.add(MakeObject(pen));
    return Played::Drawn;
}

Played CreateBrush(Canvas& c, const Params& p) {
    if (!p.has(4)) return c.objects.add(Object{}), Played::Skipped;
    BrushObj brush;
    brush.style = p.u(0);
    brush.color = ColorFromColorref(Colorref{p.u32(1)});
    brush.hatch = p.u(3);
    c.objects.add(MakeObject(brush));
    return Played::Drawn;
}

Played CreateDibPatternBrush(Canvas& c, const Params& p) {
    BrushObj brush;
    brush.style = 3;
    if (p.has(2)) brush.pattern = c.decodeBitmap(p.bytes(2), p.bytesFrom(2), nullptr);
    const bool ok = !brush.pattern.isNull();
    if (!ok) brush.style = 0, brush.color = Qt::gray;
    c.objects.add(MakeObject(brush));
    return ok ? Played::Drawn : Played::Skipped;
}

Played CreateFont(Canvas& c, const Params& p) {
    if (!p.has(9)) return c.objects.add(Object{}), Played::Skipped;
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
    font.face = DecodeText(face, len, font.charset);
    c.objects.add(MakeObject(font));
    return Played::Drawn;
}

bool Select(Canvas& c, std::size_t index) {
    const Object* o = c.objects.find(index);
    if (!o) return false;
    switch (o->kind) {
    case Object::Pen: c.dc.pen = o->pen; return true;
    case Object::Brush: c.dc.brush = o->brush; return true;
    case Object::Font: c.dc.font = o->font; return true;
    case Object::Other: return false;
    }
    return false;
}

}  // namespace

Played PlayObjectRecord(Canvas& c, std::uint16_t f, const Params& p) {
    switch (f) {
    case kCreatePenIndirect: return CreatePen(c, p);
    case kCreateBrushIndirect: return CreateBrush(c, p);
    case kDibCreatePatternBrush: return CreateDibPatternBrush(c, p);
    case kCreatePatternBrush: {
        // The old bitmap-object pattern brush: its slot is kept, drawn as grey.
        BrushObj brush;
        brush.color = Qt::gray;
        c.objects.add(MakeObject(brush));
        return Played::Skipped;
    }
    case kCreateFontIndirect: return CreateFont(c, p);
    case kCreatePalette:
    case kCreateRegion: c.objects.add(Object{}); return Played::Skipped;
    case kSelectObject: return p.has(1) && Select(c, p.u(0)) ? Played::Drawn : Played::Skipped;
    case kDeleteObject: return p.has(1) && c.objects.remove(p.u(0)) ? Played::Drawn : Played::Skipped;
    default: return Played::Elsewhere;
    }
}

}  // namespace tav::wmf
