#pragma once
// The core's progress reports, shown on the main window's progress bar.

#include "document/Progress.h"

#include <QProgressBar>

namespace velkar::gui {

class BarProgress final : public velkar::Progress {
  public:
    explicit BarProgress(QProgressBar* bar) : m_bar(bar) {}
    void setMaximum(int maximum) override { m_bar->setMaximum(maximum > 0 ? maximum : 1); }
    void setPosition(int position) override { m_bar->setValue(position); }

  private:
    QProgressBar* m_bar;
};

} // namespace velkar::gui
