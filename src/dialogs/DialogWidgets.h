// Small widgets the two dialogs are built from: labels and images that report
// mouse presses and releases, and panels tiled with the texture.
#pragma once

#include <QLabel>
#include <QPixmap>
#include <QWidget>

namespace tav {

// A label (text or picture) that reports the left button going down and up.
// The release arrives here wherever the pointer is by then, because the
// widget that took the press keeps the mouse until the button is up.
class PressLabel : public QLabel {
    Q_OBJECT
public:
    explicit PressLabel(QWidget* parent = nullptr);

signals:
    void pressed(QPoint globalPosition);
    void released(QPoint globalPosition);
    void moved(QPoint globalPosition);
    // Any mouse button, not only the left one, went up.
    void anyButtonReleased();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
};

// A panel covered with the texture, optionally with an etched frame that
// sets it off from the panel it lies on.
class TexturePanel : public QWidget {
public:
    TexturePanel(QWidget* parent, const QRect& geometry, bool framed);
    // Tiles the background anew (after a size change).
    void Retile();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QPixmap background_;
    bool framed_;
};

// A button made of a face picture with a caption label over it.
struct FaceButton {
    QLabel* Face = nullptr;
    PressLabel* Caption = nullptr;
    void SetPressed(bool pressed);
    void SetVisible(bool visible);
    bool IsVisible() const;
};
FaceButton MakeFaceButton(QWidget* parent, const QRect& geometry, const QString& caption);

// A picture label at a fixed place.
PressLabel* MakePicture(QWidget* parent, const QRect& geometry, const QPixmap& picture);
// A text label at a fixed place, transparent, in the panel text colour.
PressLabel* MakeText(QWidget* parent, const QRect& geometry, const QString& text,
                     Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter);
// A heading: the heading picture with its white caption; returns the picture.
QLabel* MakeHeading(QWidget* parent, const QRect& geometry, const QString& text);

}  // namespace tav
