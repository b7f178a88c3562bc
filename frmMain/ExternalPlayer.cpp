// "Use BSP" and "BSP": which player the window holds, and the program the external player
// starts. Everything else about the external player is asked through the player the window
// holds (playback/ExternalPlayer.h).

#include "app/UserDialogs.h"
#include "frmMain/PlaybackCommands.h"
#include "frmMain/TForm1.h"

#include <QCheckBox>
#include <QFileInfo>

namespace velkar::gui {

namespace {

bool IsExistingFile(const QString& path) {
    return !path.isEmpty() && QFileInfo(path).isFile();
}

} // namespace

void TForm1::chkBspClick() {
    // The next open, tick or handler asks the other player.
    m_useBsp = chkBSP->isChecked();
    if (m_playback)
        m_playback->holdPlayer();
}

void TForm1::cmdBSPClick() {
    m_openDialog.folder =
        m_bspPath.isEmpty() ? QStringLiteral("/usr/bin") : QFileInfo(m_bspPath).absolutePath();
    // A player without an extension, as programs are here, shows under "All Files".
    if (const std::optional<QString> chosen = chooseFileToOpen(
            QStringLiteral("Locate Bsplayer executable"),
            QStringLiteral("BSPlayer (*.exe);;All Files (*)"), QStringLiteral("mpv")))
        m_bspPath = *chosen; // whatever was chosen: nothing checks that it is a player
}

QString TForm1::LocatePlayerProgram() {
    if (!IsExistingFile(m_bspPath))
        cmdBSPClick();
    return IsExistingFile(m_bspPath) ? m_bspPath : QString();
}

} // namespace velkar::gui
