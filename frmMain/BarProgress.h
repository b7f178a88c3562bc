#pragma once
// The core's progress reports, shown on the main window's progress bar.

#include "document/Progress.h"

#include <QProgressBar>

namespace velkar::gui {

// The core reports every line; the bar, a few hundred pixels wide at most, is moved only when
// the position reaches the next 1/kSteps of the way, and at both ends (moving a bar repaints
// it, which for 262,140 lines took longer than the work itself).
class BarProgress final : public velkar::Progress {
  public:
    static constexpr long long kSteps = 1024;

    explicit BarProgress(QProgressBar* bar) : m_bar(bar), m_maximum(bar->maximum()) {}
    void setMaximum(int maximum) override {
        m_maximum = maximum > 0 ? maximum : 1;
        m_step = -1;
        m_bar->setMaximum(m_maximum);
    }
    void setPosition(int position) override {
        const long long step = static_cast<long long>(position) * kSteps / m_maximum;
        if (step == m_step && position != 0 && position != m_maximum)
            return;
        m_step = step;
        m_bar->setValue(position);
    }

  private:
    QProgressBar* m_bar;
    int m_maximum;
    long long m_step = -1;
};

} // namespace velkar::gui
