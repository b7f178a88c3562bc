// Files handed to the main window on the command line or dropped onto it.

#include "app/FileKind.h"
#include "app/Guard.h"
#include "frmMain/PlaybackCommands.h"
#include "frmMain/TForm1.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

namespace velkar::gui {

namespace {

// The local files among the dragged URLs, in order.
QStringList LocalFiles(const QMimeData* data) {
    QStringList files;
    if (!data || !data->hasUrls())
        return files;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile())
            files << url.toLocalFile();
    return files;
}

} // namespace

void TForm1::OpenHandedFiles(const QStringList& paths) {
    std::vector<std::string> names;
    for (const QString& path : paths)
        if (!path.isEmpty())
            names.push_back(QFile::encodeName(QFileInfo(path).absoluteFilePath()).toStdString());
    const velkar::HandedFiles files = velkar::SortHandedFiles(names);
    if (!files.subtitle.empty()) {
        bool goOn = false;
        Guarded(
            this, [this, &goOn] { goOn = ConfirmDiscardChanges(); }, &m_codec);
        if (!goOn)
            return;
    }
    if (!files.movie.empty() && m_playback)
        Guarded(
            this, [this, &files] { m_playback->OpenMovie(QFile::decodeName(files.movie.c_str())); },
            &m_codec);
    if (!files.subtitle.empty())
        Guarded(
            this,
            [this, &files] {
                leaveAuthoringLayout();
                OpenSubtitle(QFile::decodeName(files.subtitle.c_str()));
            },
            &m_codec);
}

void TForm1::dragEnterEvent(QDragEnterEvent* event) {
    if (!LocalFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* event) {
    const QStringList files = LocalFiles(event->mimeData());
    if (files.isEmpty())
        return;
    event->acceptProposedAction();
    // Opened once the drop has ended: the program the files come from waits for its answer,
    // and opening may ask questions.
    QMetaObject::invokeMethod(
        this, [this, files] { OpenHandedFiles(files); }, Qt::QueuedConnection);
}

} // namespace velkar::gui
