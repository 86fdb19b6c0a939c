#include "surfaces/PictureSlots.h"

#include <QImage>

#include <cstdlib>

#include "platform/PictureLoader.h"

namespace tav {

FitBox FitPicture(int w, int h, const CompositionParams& params) {
    double dw = w, dh = h;
    if (params.fitMode != 0 && w > 0 && h > 0) {
        // The picture's own orientation decides which side fills the area.
        if (w > h) {
            dw = params.areaWidth;
            dh = static_cast<double>(h) * params.areaWidth / w;
        } else {
            dh = params.areaHeight;
            dw = static_cast<double>(w) * params.areaHeight / h;
        }
    }
    FitBox box;
    box.x = RoundEven((params.areaWidth - dw) / 2);
    box.y = RoundEven((params.areaHeight - dh) / 2);
    box.width = RoundEven(dw);
    box.height = RoundEven(dh);
    return box;
}

namespace {

// Copies a decoded picture into a loading surface, 0x00RRGGBB per pixel.
void ImageToBitmap(const QImage& image, Bitmap& out) {
    QImage rgb = image.format() == QImage::Format_RGB32 ? image : image.convertToFormat(QImage::Format_RGB32);
    out.resize(rgb.width(), rgb.height());
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* src = reinterpret_cast<const Pixel*>(rgb.constScanLine(y));
        Pixel* dst = out.row(y);
        for (int x = 0; x < rgb.width(); ++x) dst[x] = src[x] & 0x00FFFFFFu;
    }
}

}  // namespace

void ComposeSlide(SlideSurfaces& surfaces, const std::string& path, const CompositionParams& params) {
    const Pixel back = ColorrefToPixel(params.backColor);
    Bitmap& dd = surfaces.Pic_DD.bitmap();
    if (dd.width() != params.areaWidth || dd.height() != params.areaHeight)
        dd.resize(params.areaWidth, params.areaHeight, back);
    else
        dd.fill(back);

    FitBox box;
    DecodedPicture picture = LoadPictureFile(path, [&](QSize natural) {
        box = FitPicture(natural.width(), natural.height(), params);
        return QSize(std::abs(box.width), std::abs(box.height));
    });
    Bitmap& d = surfaces.Pic_D.bitmap();
    if (picture.ok()) {
        ImageToBitmap(picture.image, d);
        box = FitPicture(picture.naturalWidth, picture.naturalHeight, params);
        SetStretchBltMode(surfaces.Pic_DD, COLORONCOLOR);
        // The decoder may have reduced the picture; the geometry stays that of its natural size.
        StretchBlt(surfaces.Pic_DD, box.x, box.y, box.width, box.height, surfaces.Pic_D, 0, 0, d.width(),
                   d.height(), SRCCOPY);
    } else {
        d.resize(1, 1, back);
    }
    // The slot gets its own copy: the composition surface is reused for the next slide.
    surfaces.GetImageDC(surfaces.CurrentSlot, surfaces.Pic_Dumy, std::make_shared<Bitmap>(dd));
}

}  // namespace tav
