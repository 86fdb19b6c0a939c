#include "pictures/WmfPlayer.h"

#include "base/LittleEndian.h"
#include "pictures/WmfBitmaps.h"
#include "pictures/WmfCanvas.h"
#include "pictures/WmfClip.h"
#include "pictures/WmfDrawing.h"
#include "pictures/WmfObjects.h"
#include "pictures/WmfRecords.h"
#include "pictures/WmfState.h"
#include "pictures/WmfText.h"

#include <cmath>
#include <cstdlib>

namespace tav {
namespace {

using namespace wmf;

constexpr std::size_t kPlaceableSize = 22;
constexpr std::size_t kHeaderSize = 18;
// Bounds the records one picture may play. Real drawings stay far below it; a
// file beyond it is cut off there, like a damaged one.
constexpr int kMaxRecords = 1'000'000;

// Each family of records is played by its own function; a family hands back
// the records that are not its own.
using RecordFamily = Played (*)(Canvas&, std::uint16_t, const Params&);
constexpr RecordFamily kFamilies[] = {PlayStateRecord, PlayObjectRecord, PlayDrawingRecord,
                                      PlayTextRecord,  PlayBitmapRecord, PlayClipRecord};

// Reads the records one by one and hands each to its family.
class Player {
public:
    Player(const QByteArray& data, const WmfInfo& info, QImage& target)
        : data_(reinterpret_cast<const std::uint8_t*>(data.constData())),
          size_(static_cast<std::size_t>(data.size())),
          first_(info.firstRecord),
          canvas_(info, target) {}

    WmfPlayStats play() {
        std::size_t pos = first_;
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
            canvas_.work += 1 + sizeWords / 16;
            if (canvas_.work > kWmfWorkBudget) {
                stats_.budgetSpent = true;
                break;
            }
            ++stats_.records;
            if (function == kEof) {
                stats_.reachedEnd = true;
                break;
            }
            const Params prm(data_ + pos + 6, sizeWords - 3);
            // The painter's clip follows the records only when something is
            // drawn, so a run of clip records costs one update, not one each.
            if (canvas_.clipChanged && IsDrawingRecord(function)) canvas_.applyClip();
            if (dispatch(function, prm) != Played::Drawn) ++stats_.skipped[function];
            pos += std::size_t(sizeWords) * 2;
        }
        if (!stats_.reachedEnd) stats_.damaged = true;
        stats_.work = canvas_.work;
        canvas_.painter().end();
        return stats_;
    }

private:
    Played dispatch(std::uint16_t f, const Params& p) {
        for (RecordFamily family : kFamilies) {
            const Played played = family(canvas_, f, p);
            if (played != Played::Elsewhere) return played;
        }
        return Played::Skipped;
    }

    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t first_;
    Canvas canvas_;
    WmfPlayStats stats_;
};

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
        const int left = ReadI16(data + 6), top = ReadI16(data + 8), right = ReadI16(data + 10),
                  bottom = ReadI16(data + 12);
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
