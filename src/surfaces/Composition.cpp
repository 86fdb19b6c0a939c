#include "surfaces/Composition.h"

#include <QImage>

#include <cstdlib>
#include <optional>

#include "pictures/PictureLoader.h"

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

// Draws a decoder's rows on the slide as they come, fitted as the whole
// decoded picture would be: the slide is then all the picture the composing
// thread holds.
class FittedRows final : public RowSink {
public:
    FittedRows(DC& target, const CompositionParams& params) : target_(target), params_(params) {}
    void Begin(QSize natural, QSize decoded, QImageIOHandler::Transformations turn) override {
        const FitBox box = FitPicture(natural.width(), natural.height(), params_);
        // Rotate180 and Rotate270 are made of these three, as their bits.
        const RowTurn rowTurn{(turn & QImageIOHandler::TransformationMirror) != 0,
                              (turn & QImageIOHandler::TransformationFlip) != 0,
                              (turn & QImageIOHandler::TransformationRotate90) != 0};
        // The alpha byte is dropped on the way, as from a decoded picture.
        stretch_.emplace(target_, box.x, box.y, box.width, box.height, decoded.width(), decoded.height(), 0x00FFFFFFu,
                         rowTurn);
    }
    void Row(int y, const QRgb* pixels) override { stretch_->Row(y, reinterpret_cast<const Pixel*>(pixels)); }

private:
    DC& target_;
    const CompositionParams& params_;
    std::optional<RowStretch> stretch_;
};

}  // namespace

BitmapPtr ComposePicture(const std::string& path, const CompositionParams& params) {
    const Pixel back = ColorrefToPixel(params.backColor);
    auto composed = std::make_shared<Bitmap>(params.areaWidth, params.areaHeight, back);
    DC target(composed);
    SetStretchBltMode(target, COLORONCOLOR);
    FittedRows rows(target, params);
    FitBox box;
    DecodedPicture picture = LoadPictureFile(
        path,
        [&](QSize natural) {
            box = FitPicture(natural.width(), natural.height(), params);
            return QSize(std::abs(box.width), std::abs(box.height));
        },
        QRgb(back) | 0xFF000000u, &rows);
    if (picture.streamed) return composed;
    if (!picture.ok()) {
        // Rows a decoder streamed before it failed go: an unreadable picture
        // shows the plain background.
        composed->fill(back);
        return composed;
    }
    const QImage image = picture.image.format() == QImage::Format_RGB32
                             ? picture.image
                             : picture.image.convertToFormat(QImage::Format_RGB32);
    box = FitPicture(picture.naturalWidth, picture.naturalHeight, params);
    // The decoded picture is read in place; its alpha byte is dropped on the way.
    // The decoder may have reduced it; the geometry stays that of its natural size.
    const PixelView view{reinterpret_cast<const Pixel*>(image.constBits()), image.width(), image.height(),
                         image.bytesPerLine() / 4, 0x00FFFFFFu};
    StretchBlt(target, box.x, box.y, box.width, box.height, view, 0, 0, image.width(), image.height(), SRCCOPY);
    return composed;
}

void InstallSlide(SlideSurfaces& surfaces, BitmapPtr composed) {
    // Every slide has a composition surface of its own: the slot takes it over
    // as it is, and the previous one stays with the slot that shows it.
    surfaces.Pic_DD.select(composed);
    surfaces.GetImageDC(surfaces.CurrentSlot, surfaces.Pic_Dumy, std::move(composed));
}

void ComposeSlide(SlideSurfaces& surfaces, const std::string& path, const CompositionParams& params) {
    InstallSlide(surfaces, ComposePicture(path, params));
}

}  // namespace tav
