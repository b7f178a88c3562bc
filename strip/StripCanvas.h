#pragma once
// The drawing surface of the timing strip and what the mouse does on it.

#include "strip/StripView.h"

#include <QWidget>

namespace velkar::gui {

class TimingStrip;

class StripCanvas : public QWidget {
    Q_OBJECT
  public:
    explicit StripCanvas(TimingStrip& strip, QWidget* parent = nullptr);

    // The block being dragged and where it would go now (subtitle -1: none).
    struct Drag {
        int subtitle = -1;
        strip::Grip grip = strip::Grip::None;
        double fromX = 0;
        double deltaMs = 0;
        bool scrolling = false;
        bool moved = false;
    };
    const Drag& drag() const { return m_drag; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    TimingStrip& m_strip;
    Drag m_drag;
};

} // namespace velkar::gui
