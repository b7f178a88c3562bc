// The overlay tick and the list viewer's "View" button.

#include "app/WindowPlace.h"
#include "frmMain/PlaybackCommands.h"
#include "frmMain/TForm1.h"
#include "strip/TimingStrip.h"
#include "subs/TfrmSubs.h"

#include <QScreen>

namespace velkar::gui {

namespace {

velkar::PlaceRect Place(const QRect& r) {
    return {r.left(), r.top(), r.width(), r.height()};
}

} // namespace

QPoint TForm1::viewerPlace() const {
    const QRect frame = frameGeometry();
    // The viewer's outer size: its frame as the window system gave it, or the main window's
    // frame around its client size before it was first shown.
    QSize outer = m_viewer->frameGeometry().size();
    if (!m_viewer->isVisible() || !m_viewer->testAttribute(Qt::WA_WState_Created))
        outer = m_viewer->size() + (frame.size() - size());
    const QRect screen = this->screen() ? this->screen()->availableGeometry() : QRect();
    if (screen.isEmpty())
        return QPoint(frame.left(), frame.bottom() + 1);
    const velkar::PlacePoint at =
        velkar::ViewerPlace(Place(frame), outer.width(), outer.height(), Place(screen));
    return QPoint(at.x, at.y);
}

void TForm1::tmrSubTimer() {
    // The label under the picture follows the player; the viewer rides along with the main
    // window on every tick, on the screen.
    if (m_playback)
        m_playback->tmrSubTimer();
    if (m_viewer && m_viewer->moveAlong() && m_viewer->isVisible()) {
        const QPoint dock = viewerPlace();
        if (m_viewer->pos() != dock)
            m_viewer->move(dock);
    }
    if (m_strip && m_strip->isVisible() && m_viewer && m_viewer->moveAlong()) {
        const QPoint dock = stripPlace();
        if (m_strip->pos() != dock)
            m_strip->move(dock);
    }
}

QPoint TForm1::stripPlace() const {
    const QRect frame = frameGeometry();
    if (m_viewer && m_viewer->isVisible() && m_viewer->frameGeometry().top() > frame.top() &&
        m_viewer->frameGeometry().left() == frame.left())
        return QPoint(frame.left(), m_viewer->frameGeometry().bottom() + 1);
    return QPoint(frame.left(), frame.bottom() + 1);
}

void TForm1::cmdStripClick() {
    if (m_strip->isVisible()) {
        m_strip->hide();
        return;
    }
    m_strip->resize(std::max(m_strip->width(), frameGeometry().width()), m_strip->height());
    m_strip->move(stripPlace());
    m_strip->show();
}

void TForm1::cmdShowSubsClick() {
    if (m_viewer->isVisible()) {
        m_viewer->hide();
        return;
    }
    m_viewer->resize(frameGeometry().width(), 120);
    m_viewer->move(viewerPlace());
    m_viewer->show();
}

} // namespace velkar::gui
