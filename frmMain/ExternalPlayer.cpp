// "Use BSP", "BSP" and the window's side of the external player link: starting the player on
// "Open Media" and handing it the movie, and handing it the document's lines as its subtitle
// file. The ticks, "Set Time...", the dialog seek, the descriptor's movie name and shutdown ask
// the link where they run.

#include "app/UserDialogs.h"
#include "document/LineIo.h"
#include "frmMain/TForm1.h"

#include <QCheckBox>
#include <QFile>
#include <QFileInfo>

namespace velkar::gui {

namespace {

bool IsExistingFile(const QString& path) {
    return !path.isEmpty() && QFileInfo(path).isFile();
}

} // namespace

velkar::BspLink& TForm1::bsp() {
    if (!m_bsp)
        m_bsp = std::make_unique<velkar::BspLink>(BspWaits);
    return *m_bsp;
}

void TForm1::chkBspClick() {
    // Nothing else happens now: the next open, tick or handler takes the other path.
    UseBSP = chkBSP->isChecked();
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

bool TForm1::OpenInExternalPlayer(const QString& movie) {
    if (!IsExistingFile(BSPPath))
        cmdBSPClick();
    if (!IsExistingFile(BSPPath))
        return false;
    velkar::BspLink& link = bsp();
    // One player serves every open: the one started before is used while it still answers,
    // as a player that runs once per user takes the next movie in its own window.
    BSPWindow = link.FindPlayer();
    if (BSPWindow == 0)
        BSPWindow = link.Start(QFile::encodeName(BSPPath).toStdString(), BspArguments);
    if (BSPWindow == 0) {
        Dialogs().information(
            this, kAppTitle,
            QStringLiteral("Please make sure you have BSPlayer running, and try again"));
        return false;
    }
    link.SendCopyData(velkar::BspOpenMovie, QFile::encodeName(movie).toStdString());
    link.SendCommand(velkar::BspAfterOpen);
    return true;
}

void TForm1::HandLinesToPlayer() {
    // With no player linked the request reaches nobody; the file is written and deleted all
    // the same.
    bsp().LoadSubtitles(velkar::SubtitleFileBytes(m_document));
}

} // namespace velkar::gui
