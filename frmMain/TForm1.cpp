// Start-up, settings, shutdown, keys and the About box of the main window.

#include "frmMain/TForm1.h"
#include "strip/TimingStrip.h"

#include "app/CommandLine.h"
#include "app/Guard.h"
#include "app/Settings.h"
#include "frmMain/BarProgress.h"
#include "frmMain/MaskedTimeEdit.h"
#include "frmMain/PlaybackCommands.h"
#include "subs/TfrmSubs.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>

namespace velkar::gui {

template <class Handler> void TForm1::guard(Handler&& handler) {
    Guarded(this, std::forward<Handler>(handler), &m_codec);
}

TForm1::TForm1(QString settingsPath, QWidget* parent)
    : QWidget(parent), m_settingsPath(std::move(settingsPath)) {
    buildLayout();
    m_progress = std::make_unique<BarProgress>(pgrBar);
    m_strip = new TimingStrip(*this, this);
    connect(this, &TForm1::documentChanged, m_strip, &TimingStrip::documentChanged);
    connect(this, &TForm1::documentReplaced, m_strip, &TimingStrip::documentReplaced);
    // Key preview: the window sees every key before the focused control.
    qApp->installEventFilter(this);
    guard([this] { FormCreate(); });
}

TForm1::~TForm1() {
    qApp->removeEventFilter(this);
    if (!m_destroyed)
        guard([this] { FormDestroy(); });
    // The dialog list's rows read m_dialogEntries, which goes before the list does.
    m_dialogRows->clear();
    // The strip reads the document, which goes before the strip would.
    delete m_strip;
    m_strip = nullptr;
}

void TForm1::attachWindows(TfrmEdit* editor, TfrmSubs* viewer, TForm2* picker, TfrmMvd* mvd) {
    m_editor = editor;
    m_viewer = viewer;
    m_picker = picker;
    m_mvd = mvd;
}

void TForm1::setPlayer(playback::MediaPlayer* player) {
    m_player = player ? player : &m_noMedia;
}

void TForm1::FormCreate() {
    LoadSettings();
    m_document = velkar::SubtitleDocument();
    m_codec = TextCodec();
    txtFirst->setMask(MaskedTimeEdit::Mask::SubRipClock);
    txtLast->setMask(MaskedTimeEdit::Mask::SubRipClock);
    // The position bar, the built-in player and the overlay.
    m_playback = std::make_unique<PlaybackCommands>(*this);
}

void TForm1::FormDestroy() {
    m_destroyed = true;
    // The players end with the window: the external one is told to exit, and stopped when it
    // does not within a bounded time.
    if (m_playback)
        m_playback->closePlayers();
    SaveSettings();
}

void TForm1::LoadSettings() {
    std::string unreadable;
    const velkar::Settings settings =
        velkar::ReadSettings(m_settingsPath.toStdString(), &unreadable);
    // A settings file that is there but cannot be read is left as it is, and said so once.
    m_keepSettingsFile = !unreadable.empty();
    if (m_keepSettingsFile)
        Dialogs().information(this, kAppTitle, QString::fromStdString(unreadable));
    m_bspPath = QString::fromStdString(settings.BSPPath);
    chkBSP->setChecked(settings.UseBSP); // fires chkBspClick, which sets m_useBsp
    m_useBsp = chkBSP->isChecked();
    // An index outside the list leaves it without a selected item.
    const bool inList = settings.Agression >= 0 && settings.Agression < cboRegression->count();
    cboRegression->setCurrentIndex(inList ? settings.Agression : -1);
}

void TForm1::SaveSettings() {
    velkar::Settings settings;
    settings.BSPPath = m_bspPath.toStdString();
    settings.UseBSP = m_useBsp;
    settings.Agression = cboRegression->currentIndex();
    if (m_keepSettingsFile)
        return;
    // A failure is shown by the guard around FormDestroy.
    velkar::WriteSettings(m_settingsPath.toStdString(), settings);
}

QString TForm1::AboutText() {
    const QString br = QStringLiteral("\n\r");
    return QStringLiteral("Velkar Version:") + kAppVersion + br + br +
           QStringLiteral("Subtitle timing repair, written for the Velkar project") + br +
           QStringLiteral("Supported Subtitle Formats: Subviewer2, Subrip, MicroDVD") + br +
           QStringLiteral("Released 2026") + br + br +
           QStringLiteral("webpage:\thttps://velkar.example.org") + br +
           QStringLiteral("email:\t\tvelkar@example.org") + br;
}

void TForm1::cmdAboutClick() {
    Dialogs().information(this, kAppTitle, AboutText());
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && watched->isWidgetType()) {
        const QWidget* window = static_cast<QWidget*>(watched)->window();
        auto* key = static_cast<QKeyEvent*>(event);
        // FormKeyPress: Escape closes the window (and so the program); other keys go on.
        if (window == this && key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier) {
            close();
            return true;
        }
        // Undo and redo, here and on the timing strip.
        if (window == this || (m_strip && window == m_strip)) {
            bool handled = false;
            guard([this, key, &handled] { handled = undoKey(*key); });
            if (handled)
                return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TForm1::closeEvent(QCloseEvent* event) {
    bool close = true;
    if (!m_destroyed) {
        close = false;
        guard([this, &close] { close = ConfirmDiscardChanges(); });
    }
    if (!close) {
        event->ignore();
        return;
    }
    if (!m_destroyed)
        guard([this] { FormDestroy(); });
    event->accept();
    // The list viewer is the one secondary window that may be open; with it gone the
    // program ends.
    if (m_viewer)
        m_viewer->hide();
}

} // namespace velkar::gui
