// Writers of small picture files in the formats the show reads, for tests,
// benchmarks and the sample pictures. Every byte is laid down field by field,
// so the files are exactly what the format says and nothing else.
#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QPoint>
#include <QRect>

#include <cstdint>
#include <string>
#include <vector>

namespace tav::pw {

// A bitmap file of 24 bits per pixel, rows bottom first.
QByteArray WriteBmp24(const QImage& image);

// A bitmap file of 8 bits per pixel with a colour table, plain or run-length
// encoded (RLE8). The image is reduced to 256 colours first when it has more.
QByteArray WriteBmp8(const QImage& image, bool rle8);

// A GIF file (LZW-compressed, 256-colour global table). Every image of frames
// becomes one frame; all must have the size of the first. A fully transparent
// colour in the first frame becomes the file's transparent index.
QByteArray WriteGif(const std::vector<QImage>& frames);

// A baseline JPEG file. exifOrientation 1 ... 8 adds an Exif block with that
// orientation tag; 0 adds none.
QByteArray WriteJpeg(const QImage& image, int quality = 90, int exifOrientation = 0);
// A CMYK JPEG as print software writes it (Adobe marker, inverted inks): the
// stored C, M, Y are the red, green and blue of the image and K is full, so a
// reader that multiplies the inks by K gets the image back.
QByteArray WriteCmykJpeg(const QImage& image, int quality = 95);

// Files written by Qt's own writers (WebP lossless), with an Exif block
// holding exifOrientation 1 ... 8 (0: none) as the format carries it: a PNG
// eXIf chunk, a WebP EXIF chunk, the TIFF orientation tag.
QByteArray WritePng(const QImage& image, int exifOrientation = 0);
QByteArray WriteWebp(const QImage& image, int exifOrientation = 0);
QByteArray WriteTiff(const QImage& image, int exifOrientation = 0);

// A HEIF file written by libheif's own encoder: HEVC (HEIC) or AV1 (AVIF),
// lossy at quality 0 ... 100, with the rotation and mirror boxes that turn
// the stored image the way the Exif orientation 1 ... 8 says, and a thumbnail
// fitting a square of thumbnailSide pixels when that is not 0.
enum class HeifCodec { Hevc, Av1 };
QByteArray WriteHeif(const QImage& image, HeifCodec codec, int quality = 90, int orientation = 1,
                     int thumbnailSide = 0);

// The image as 8-bit indexed colours (exact when it has at most 256 colours).
QImage ToIndexed8(const QImage& image);

// Writes bytes to a file; false on failure.
bool SaveBytes(const std::string& path, const QByteArray& bytes);

// Writes a width × height picture of one colour, in the format the file name's
// suffix names, with Qt's own writers; false on failure.
bool SaveFlatPicture(const std::string& path, int width, int height, QRgb colour);

// Builds a Windows metafile record by record.
class WmfWriter {
public:
    // A placeable header with these bounds (logical units) and units per inch.
    void setPlaceable(QRect bounds, int unitsPerInch);

    // Any record, from its 16-bit parameter words.
    void record(std::uint16_t function, const std::vector<std::int16_t>& words);
    // Any record, from its parameter bytes (padded to an even length).
    void recordBytes(std::uint16_t function, const QByteArray& params);

    void setWindowOrg(int x, int y);
    void setWindowExt(int w, int h);
    void setViewportOrg(int x, int y);
    void setViewportExt(int w, int h);
    void setMapMode(int mode);
    void setBkMode(int mode);
    void setBkColor(QColor c);
    void setTextColor(QColor c);
    void setTextAlign(int align);
    void setPolyFillMode(int mode);
    void setRop2(int rop);
    void saveDc();
    void restoreDc(int n);

    // Each create returns the object's table index.
    int createPen(int style, int width, QColor color);
    int createBrush(int style, QColor color, int hatch = 0);
    int createFont(int height, int weight, bool italic, const std::string& face, int escapement = 0, int charset = 0);
    // A one-entry palette: not drawn, but it takes a slot of the object table.
    int createPalette();
    void selectObject(int index);
    void deleteObject(int index);

    void moveTo(int x, int y);
    void lineTo(int x, int y);
    void polyline(const std::vector<QPoint>& points);
    void polygon(const std::vector<QPoint>& points);
    void polyPolygon(const std::vector<std::vector<QPoint>>& polygons);
    void rectangle(int l, int t, int r, int b);
    void roundRect(int l, int t, int r, int b, int w, int h);
    void ellipse(int l, int t, int r, int b);
    void arc(int l, int t, int r, int b, int xs, int ys, int xe, int ye);
    void pie(int l, int t, int r, int b, int xs, int ys, int xe, int ye);
    void chord(int l, int t, int r, int b, int xs, int ys, int xe, int ye);
    void textOut(int x, int y, const std::string& text);
    void extTextOut(int x, int y, int options, const QRect* rect, const std::string& text,
                    const std::vector<int>& dx = {});

    // Blits of a 24-bit DIB made from image. dst and src are in logical units
    // and bitmap pixels respectively.
    void stretchDib(QRect dst, QRect src, const QImage& image, std::uint32_t rop = 0x00CC0020);
    void dibStretchBlt(QRect dst, QRect src, const QImage& image, std::uint32_t rop = 0x00CC0020);
    void dibBitBlt(QPoint dst, QRect src, const QImage& image, std::uint32_t rop = 0x00CC0020);

    // The whole file: placeable header (when set), header, records, end record.
    QByteArray finish() const;

private:
    int allocate();

    QByteArray records_;
    std::uint32_t maxRecordWords_ = 3;
    std::vector<bool> used_;
    bool placeable_ = false;
    QRect bounds_;
    int unitsPerInch_ = 1440;
};

// Metafiles made to cost as much work per byte as they can, of about `bytes`
// bytes, framed 0..1000 x 0..750:
//  ClipMaze     - excluded clip rectangles on a grid, each followed by a pixel,
//                 so the clip region grows and is applied again and again;
//  LargeShapes  - ellipses over the whole frame;
//  TinyRecords  - single pixels, as many records as fit;
//  LargeText    - lines of large text;
//  ManyEdges    - polygons of thousands of points across the whole frame.
enum class CostlyMetafile { ClipMaze, LargeShapes, TinyRecords, LargeText, ManyEdges };
QByteArray WriteCostlyMetafile(CostlyMetafile kind, std::size_t bytes);

// A 24-bit bottom-up DIB (info header and pixels, no file header).
QByteArray MakeDib24(const QImage& image);

}  // namespace tav::pw
