#pragma once
// The position bar under the subtitle label: a 20-pixel strip composed off-screen from two
// bitmaps (a stretched background and a thumb whose magenta pixels are transparent) and shown
// on the main window. It is no control: the window's own mouse handlers drive it, so it lets
// every mouse event through to the window beneath.
//
// Drawing goes into BarImage only; PaintBar() puts BarImage on the window at (BarLeft,
// BarTop). Nothing shows before the first PaintBar().

#include <QImage>
#include <QWidget>
#include <cstdint>
#include <string_view>

namespace velkar::playback {

// The bar's bitmaps by resource name, drawn by this program: "ID_SCROLLBACK" (390 x 20, a dark
// strip with a groove) and "ID_TRACKBAR" (16 x 20, a green frame around a slot on pure
// magenta, the transparent colour). Both 24-bit RGB. Any other name gives a null image.
QImage BarBitmap(std::string_view name);

// The transparent colour of the thumb: red 255, green 0, blue 255.
inline constexpr QRgb kBarTransparent = 0xFFFF00FF;

class PositionBar final : public QWidget {
  public:
    // A bar on `window` (which owns it), hidden until the first PaintBar().
    explicit PositionBar(QWidget* window);

    // Set-up: the bar at `left`, `top`, `width` pixels wide; loads both bitmaps; BarImage gets
    // the background and the thumb at (0, 0).
    void setUp(std::int32_t left, std::int32_t top, std::int32_t width);
    // A new place after a layout change: BarImage gets the new width and the background (no
    // thumb).
    void moveTo(std::int32_t left, std::int32_t top, std::int32_t width);

    // Stretches BarBackground over the whole of BarImage.
    void redrawBackground();
    // Draws BarThumb into BarImage with its left edge at `x`, top 0; magenta stays see-through.
    void drawThumb(std::int32_t x);
    // Copies BarImage onto the window at (BarLeft, BarTop).
    void PaintBar();

    // The picture the window shows now (BarImage as of the last PaintBar()).
    const QImage& shown() const { return m_shown; }
    std::int32_t thumbWidth() const { return BarThumb.width(); }

    std::int32_t BarLeft = 0;
    std::int32_t BarTop = 0;
    std::int32_t BarWidth = 0;
    std::int32_t BarHeight = 20;
    QImage BarBackground;
    QImage BarThumb; // with the magenta pixels made transparent
    QImage BarImage;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QImage m_stretched; // BarBackground at BarWidth x BarHeight, made once per width
    QImage m_shown;
};

} // namespace velkar::playback
