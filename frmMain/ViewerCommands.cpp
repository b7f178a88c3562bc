// The overlay tick and the list viewer's "View" button.

#include "frmMain/PlaybackCommands.h"
#include "frmMain/TForm1.h"
#include "subs/TfrmSubs.h"

namespace velkar::gui {

void TForm1::tmrSubTimer() {
    // The label under the picture follows the player; the viewer rides along under the main
    // window on every tick.
    if (m_playback)
        m_playback->tmrSubTimer();
    if (m_viewer && m_viewer->moveAlong()) {
        const QRect frame = frameGeometry();
        const QPoint dock(frame.left(), frame.bottom() + 1);
        if (m_viewer->pos() != dock)
            m_viewer->move(dock);
    }
}

void TForm1::cmdShowSubsClick() {
    if (m_viewer->isVisible()) {
        m_viewer->hide();
        return;
    }
    const QRect frame = frameGeometry();
    m_viewer->move(frame.left(), frame.bottom() + 1);
    m_viewer->resize(frame.width(), 120);
    m_viewer->show();
}

} // namespace velkar::gui
