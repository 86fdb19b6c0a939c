#include "dialogs/DialogWidgets.h"

#include <QMouseEvent>
#include <QPainter>

#include "dialogs/DialogPictures.h"

namespace tav {

PressLabel::PressLabel(QWidget* parent) : QLabel(parent) {}

void PressLabel::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) emit pressed(event->globalPosition().toPoint());
    event->accept();
}

void PressLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) emit released(event->globalPosition().toPoint());
    emit anyButtonReleased();
    event->accept();
}

void PressLabel::mouseMoveEvent(QMouseEvent* event) {
    emit moved(event->globalPosition().toPoint());
    event->accept();
}

TexturePanel::TexturePanel(QWidget* parent, const QRect& geometry, bool framed) : QWidget(parent), framed_(framed) {
    setGeometry(geometry);
    Retile();
}

void TexturePanel::Retile() {
    if (width() <= 0 || height() <= 0) return;
    background_ = Canvas(size());
    TileTexture(&background_, TextureTile());
    if (framed_) {
        QPainter p(&background_);
        const int w = width() - 1, h = height() - 1;
        p.setPen(QColor(150, 160, 178));
        p.drawRect(0, 0, w - 1, h - 1);
        p.setPen(QColor(250, 252, 255));
        p.drawLine(1, 1, w - 2, 1);
        p.drawLine(1, 1, 1, h - 2);
        p.drawLine(0, h, w, h);
        p.drawLine(w, 0, w, h);
    }
    update();
}

void TexturePanel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawPixmap(0, 0, background_);
}

void TexturePanel::resizeEvent(QResizeEvent*) {
    if (background_.deviceIndependentSize().toSize() != size()) Retile();
}

void FaceButton::SetPressed(bool pressed) {
    if (Face) Face->setPixmap(ButtonFace(Face->size(), pressed));
    if (Caption) Caption->setContentsMargins(pressed ? 1 : 0, pressed ? 1 : 0, 0, 0);
}

void FaceButton::SetVisible(bool visible) {
    if (Face) Face->setVisible(visible);
    if (Caption) Caption->setVisible(visible);
}

bool FaceButton::IsVisible() const { return Caption && !Caption->isHidden(); }

FaceButton MakeFaceButton(QWidget* parent, const QRect& geometry, const QString& caption) {
    FaceButton button;
    button.Face = new QLabel(parent);
    button.Face->setGeometry(geometry);
    button.Caption = MakeText(parent, geometry, caption, Qt::AlignCenter);
    button.SetPressed(false);
    return button;
}

PressLabel* MakePicture(QWidget* parent, const QRect& geometry, const QPixmap& picture) {
    auto* label = new PressLabel(parent);
    label->setGeometry(geometry);
    label->setPixmap(picture);
    return label;
}

PressLabel* MakeText(QWidget* parent, const QRect& geometry, const QString& text, Qt::Alignment alignment) {
    auto* label = new PressLabel(parent);
    label->setGeometry(geometry);
    label->setText(text);
    label->setAlignment(alignment);
    QPalette pal = label->palette();
    pal.setColor(QPalette::Active, QPalette::WindowText, PanelTextColour());
    pal.setColor(QPalette::Inactive, QPalette::WindowText, PanelTextColour());
    pal.setColor(QPalette::Disabled, QPalette::WindowText, QColor(160, 168, 182));
    label->setPalette(pal);
    return label;
}

QLabel* MakeHeading(QWidget* parent, const QRect& geometry, const QString& text) {
    auto* picture = new QLabel(parent);
    picture->setGeometry(geometry);
    picture->setPixmap(HeadingPicture(geometry.size()));
    auto* caption = new QLabel(parent);
    caption->setGeometry(geometry.adjusted(10, 0, -2, 0));
    caption->setText(text);
    caption->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    QPalette pal = caption->palette();
    pal.setColor(QPalette::WindowText, HeadingTextColour());
    caption->setPalette(pal);
    QFont font = caption->font();
    font.setBold(true);
    caption->setFont(font);
    caption->setAttribute(Qt::WA_TransparentForMouseEvents);
    return picture;
}

}  // namespace tav
