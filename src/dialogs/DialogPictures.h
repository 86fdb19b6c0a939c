// The pictures of the dialogs' own design, all drawn in code so the program
// ships no image files: a brushed blue-grey texture, navy headings and title
// strip, light button faces, amber selector lamps, a red close button and an
// arrow pointer in the same colours.
#pragma once

#include <QColor>
#include <QCursor>
#include <QFont>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QSize>

class QPaintDevice;

namespace tav {

inline constexpr int kTextureTileWidth = 579;
inline constexpr int kTextureTileHeight = 21;
inline constexpr int kSelectorSize = 14;
inline constexpr int kCloseImageSize = 15;

// Pictures are drawn at the resolution of the screens: on a HiDPI screen a
// picture of w × h pixels holds w × h times the device pixel ratio in device
// pixels, so its edges stay sharp instead of being enlarged. This is the
// highest ratio of the screens, 1 without a GUI application.
qreal PictureScale();
// A transparent pixmap of the given logical size at PictureScale().
QPixmap Canvas(QSize size);

// The texture tile, 579 × 21 pixels at the given scale (0: PictureScale());
// it repeats seamlessly in both directions.
const QImage& TextureTile(qreal scale = 0);

// Covers the surface (an image or pixmap, measured in its own logical pixels)
// column by column with copies of the tile, each column ending with one copy
// below the bottom edge. Returns the number of copies.
int TileTexture(QPaintDevice* surface, const QImage& tile);

QPixmap HeadingPicture(QSize size);
QPixmap ButtonFace(QSize size, bool pressed);
QPixmap SelectorPicture(bool on);
// The key under a group digit: lit amber when on, a light face when off.
QPixmap GroupPicture(QSize size, bool on);
QPixmap CloseImage(bool pressed);
QPixmap TitlePicture(QSize size);
QCursor DialogCursor();
QIcon DialogIcon();

// Colours of text drawn over the pictures.
inline QColor HeadingTextColour() { return QColor(255, 255, 255); }
inline QColor PanelTextColour() { return QColor(24, 32, 48); }

// The dialogs' font: IPA Gothic, else a Noto CJK family, so Japanese text
// never falls back to empty boxes. FixedPitchFont is the monospaced variant
// whose full-width characters are exactly two half-width ones wide.
QFont DialogFont(int pixelSize = 12);
QFont FixedPitchFont(int pixelSize = 12);

}  // namespace tav
