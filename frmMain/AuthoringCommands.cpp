// "Make MVD File", "Create Subs", "Load Text", the two-state button cmdStartEnd and the repair
// of a single dialog.

#include "frmMain/PlaybackCommands.h"
#include "frmMain/TForm1.h"
#include "mvd/TfrmMvd.h"

#include <QFile>

namespace velkar::gui {

void TForm1::cmdMakeMVDClick() {
    // The external player names its movie once it is driven from this window; until then a
    // movie played there gives empty movie fields, as an unanswered request does.
    QString movie;
    if (!UseBSP && m_playback && m_playback->Mplayer())
        movie = m_playback->Mplayer()->fileName();
    m_mvd->Prepare(movie,
                   QFile::decodeName(QByteArray::fromStdString(m_document.SubtitleFileName)));
    m_mvd->setSaveDialog(&SaveDialog);
    m_mvd->exec();
}

} // namespace velkar::gui
