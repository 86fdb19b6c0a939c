// The graphics objects of a metafile (pens, brushes, fonts) and the table the
// records create them into, select them from and delete them from. The
// drawing state holds the table, so it stands apart from the records that
// fill it.
#pragma once

#include <QColor>
#include <QImage>
#include <QString>

#include <cstddef>
#include <functional>
#include <optional>
#include <queue>
#include <vector>

namespace tav::wmf {

struct PenObj {
    int style = 0;  // PS_SOLID, the low four bits of the pen style
    int endCap = 0;
    int join = 0;
    int width = 0;
    QColor color = Qt::black;
};
struct BrushObj {
    int style = 0;  // 0 solid, 1 null, 2 hatched, 3/5 pattern
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

// A new object takes the lowest free slot of the table, as the system's
// player does; when the table is full it is dropped. Freed slots wait in a
// heap and the table grows only as far as it is used, so even a table of
// 65535 entries costs nothing until filled.
class ObjectTable {
public:
    explicit ObjectTable(std::size_t size) : size_(size) {}
    void add(Object obj);
    // The object in a slot; nullptr for an empty slot or one beyond the table.
    const Object* find(std::size_t index) const;
    // False when the slot holds nothing.
    bool remove(std::size_t index);

private:
    std::size_t size_;
    std::vector<std::optional<Object>> objects_;
    std::priority_queue<std::size_t, std::vector<std::size_t>, std::greater<>> freeSlots_;
};

}  // namespace tav::wmf
