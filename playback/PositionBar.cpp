#include "playback/PositionBar.h"

#include <QPainter>

namespace velkar::playback {

namespace {

QImage ScrollBack() {
    QImage image(390, 20, QImage::Format_RGB888);
    QPainter p(&image);
    // Dark, lighter towards the middle, with a sunken groove the thumb runs along.
    QLinearGradient shade(0, 0, 0, 20);
    shade.setColorAt(0.0, QColor(0x10, 0x10, 0x10));
    shade.setColorAt(0.5, QColor(0x30, 0x30, 0x30));
    shade.setColorAt(1.0, QColor(0x08, 0x08, 0x08));
    p.fillRect(image.rect(), shade);
    p.fillRect(QRect(0, 8, 390, 1), QColor(0x00, 0x00, 0x00));
    p.fillRect(QRect(0, 9, 390, 2), QColor(0x04, 0x40, 0x04));
    p.fillRect(QRect(0, 11, 390, 1), QColor(0x50, 0x50, 0x50));
    return image;
}

QImage TrackBar() {
    QImage image(16, 20, QImage::Format_RGB888);
    image.fill(QColor(0xFF, 0x00, 0xFF));
    QPainter p(&image);
    const QColor green(0x00, 0xE0, 0x00);
    const QColor dark(0x00, 0x50, 0x00);
    // A frame two pixels wide with cut corners, and a slot down the middle.
    p.fillRect(QRect(1, 0, 14, 2), green);
    p.fillRect(QRect(1, 18, 14, 2), green);
    p.fillRect(QRect(0, 1, 2, 18), green);
    p.fillRect(QRect(14, 1, 2, 18), green);
    p.fillRect(QRect(7, 3, 2, 14), dark);
    return image;
}

QImage WithTransparentMagenta(const QImage& source) {
    QImage image = source.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (line[x] == kBarTransparent)
                line[x] = 0;
    }
    return image;
}

} // namespace

QImage BarBitmap(std::string_view name) {
    if (name == "ID_SCROLLBACK")
        return ScrollBack();
    if (name == "ID_TRACKBAR")
        return TrackBar();
    return QImage();
}

PositionBar::PositionBar(QWidget* window) : QWidget(window) {
    setObjectName(QStringLiteral("PositionBar"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_OpaquePaintEvent);
    hide();
}

void PositionBar::setUp(std::int32_t left, std::int32_t top, std::int32_t width) {
    BarBackground = BarBitmap("ID_SCROLLBACK");
    BarThumb = WithTransparentMagenta(BarBitmap("ID_TRACKBAR"));
    moveTo(left, top, width);
    drawThumb(0);
}

void PositionBar::moveTo(std::int32_t left, std::int32_t top, std::int32_t width) {
    BarLeft = left;
    BarTop = top;
    if (width != BarWidth || BarImage.isNull()) {
        BarWidth = width;
        BarImage = QImage(std::max(BarWidth, 1), BarHeight, QImage::Format_RGB32);
        m_stretched = BarBackground
                          .scaled(std::max(BarWidth, 1), BarHeight, Qt::IgnoreAspectRatio,
                                  Qt::FastTransformation)
                          .convertToFormat(QImage::Format_RGB32);
    }
    redrawBackground();
}

void PositionBar::redrawBackground() {
    QPainter p(&BarImage);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(0, 0, m_stretched);
}

void PositionBar::drawThumb(std::int32_t x) {
    QPainter p(&BarImage);
    p.drawImage(x, 0, BarThumb);
}

void PositionBar::PaintBar() {
    m_shown = BarImage;
    const QRect place(BarLeft, BarTop, BarWidth, BarHeight);
    if (geometry() != place)
        setGeometry(place);
    if (isHidden())
        show();
    update();
}

void PositionBar::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawImage(0, 0, m_shown);
}

} // namespace velkar::playback
