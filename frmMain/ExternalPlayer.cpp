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
    UseBSP = chkBSP->isChecked();
    if (m_playback)
        m_playback->holdPlayer();
}

void TForm1::cmdBSPClick() {
    OpenDialog.title = QStringLiteral("Locate Bsplayer executable");
    // A player without an extension, as programs are here, shows under "All Files".
    OpenDialog.filter = QStringLiteral("BSPlayer (*.exe);;All Files (*)");
    OpenDialog.fileName = QStringLiteral("mpv");
    OpenDialog.folder =
        BSPPath.isEmpty() ? QStringLiteral("/usr/bin") : QFileInfo(BSPPath).absolutePath();
    if (const std::optional<QString> chosen = Dialogs().openFile(this, OpenDialog))
        BSPPath = *chosen; // whatever was chosen: nothing checks that it is a player
}

QString TForm1::LocatePlayerProgram() {
    if (!IsExistingFile(BSPPath))
        cmdBSPClick();
    return IsExistingFile(BSPPath) ? BSPPath : QString();
}

} // namespace velkar::gui
