#pragma once
// The main window. It holds the one subtitle document and the playback state, shows the
// controls, and runs every command as an event handler that calls the core and shows its
// results. The handlers are split by concern:
//
//   TForm1.cpp            start-up, settings, shutdown, keys, About
//   Layout.cpp            the controls: place, size, captions, colours, fonts, wiring
//   DocumentCommands.cpp  Open Subtitle, Edit..., Save As..., Subtitle Information, and the
//                         question about unsaved changes
//   HandedFiles.cpp       files handed over on the command line or dropped onto the window
//   SyncCommands.cpp      the anchors, the dialog picker, Set Time..., Fix Synch
//   AutoSynch.cpp         Auto Synch: the anchors' true times from the movie's sound
//   ViewerCommands.cpp    the overlay tick and the list viewer's View button
//   AuthoringCommands.cpp Make MVD File, Create Subs, Load Text, the Dialog Start/End button
//                         and the repair of a single dialog
//   ExternalPlayer.cpp    "Use BSP" and "BSP": which player the window holds, and the
//                         external player's program
//   UndoCommands.cpp      undo and redo of the document's changes

#include "app/DocumentText.h"
#include "app/RowList.h"
#include "app/UserDialogs.h"
#include "autosync/StreamChoice.h"
#include "document/SubtitleDocument.h"
#include "document/UndoHistory.h"
#include "playback/MediaPlayer.h"

#include <QRect>
#include <QStringList>
#include <QWidget>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class QCheckBox;
class QComboBox;
class QDragEnterEvent;
class QDropEvent;
class QKeyEvent;
class QFrame;
class QLabel;
class QProgressBar;
class QPushButton;
class QSlider;
class QTimer;
class QToolButton;

namespace velkar::gui {

class BarProgress;
class MaskedTimeEdit;
class TForm2;
class TfrmEdit;
class TfrmMvd;
class TfrmSubs;
class TimingStrip;
class PlaybackCommands;

class TForm1 : public QWidget {
    Q_OBJECT
  public:
    // Builds the window and runs FormCreate, which reads the settings from `settingsPath`.
    explicit TForm1(QString settingsPath, QWidget* parent = nullptr);
    ~TForm1() override;

    // The windows created after this one (start-up order: TForm1, TfrmEdit, TfrmSubs, TForm2,
    // TfrmMvd). Not owned.
    void attachWindows(TfrmEdit* editor, TfrmSubs* viewer, TForm2* picker, TfrmMvd* mvd);
    // The player the window holds and every handler asks (not owned): the built-in or the
    // external one, as "Use BSP" chooses; nullptr: no media.
    void setPlayer(playback::MediaPlayer* player);
    playback::MediaPlayer& player() const { return *m_player; }
    // The built-in player, the position bar and the overlay label (PlaybackCommands.cpp).
    PlaybackCommands& playback() const { return *m_playback; }
    TfrmSubs* viewer() const { return m_viewer; }
    // The sound stream of the open movie that Auto Synch and the timing strip listen to,
    // numbered as the container numbers its streams; -1 (the first sound stream) when the
    // movie's streams could not be read. Reads them the first time it is asked for a movie.
    int soundStream();

    velkar::SubtitleDocument& document() { return m_document; }
    const TextCodec& codec() const { return m_codec; }
    // The bytes of the document as the screen shows them.
    QString screenText(std::string_view bytes) const { return Decode(m_codec, bytes); }
    const QString& settingsPath() const { return m_settingsPath; }

    // Controls, named as everywhere in this program. Positions and captions: Layout.cpp.
    QPushButton* cmdOpenMovie = nullptr;
    QToolButton* cmdMovieInfo = nullptr;
    QCheckBox* chkBSP = nullptr;
    QPushButton* cmdBSP = nullptr;
    QPushButton* cmdOpenSubtitle = nullptr;
    QPushButton* cmdLoadText = nullptr;
    QToolButton* cmdSubInfo = nullptr;
    QPushButton* cmdCreate = nullptr;
    QPushButton* cmdEdit = nullptr;
    QPushButton* cmdView = nullptr;
    QPushButton* cmdSelect1 = nullptr;
    QPushButton* cmdFirst = nullptr;
    MaskedTimeEdit* txtFirst = nullptr;
    QPushButton* cmdStartEnd = nullptr;
    QPushButton* cmdSelect2 = nullptr;
    QPushButton* cmdLast = nullptr;
    MaskedTimeEdit* txtLast = nullptr;
    QLabel* Label3 = nullptr;
    QComboBox* cboRegression = nullptr;
    QPushButton* cmdStretch = nullptr;
    QPushButton* cmdLeaveCreation = nullptr;
    QPushButton* cmdAutoSynch = nullptr;
    // Which sound stream Auto Synch and the timing strip listen to: shown only when the open
    // movie has several.
    QLabel* lblSoundStream = nullptr;
    QComboBox* cboSoundStream = nullptr;
    QProgressBar* pgrBar = nullptr;
    QPushButton* cmdSave = nullptr;
    QPushButton* Button1 = nullptr;
    QWidget* Mplayer = nullptr;
    QLabel* Label1 = nullptr;
    QSlider* VolBar = nullptr;
    QLabel* Label2 = nullptr;
    QComboBox* cboZoom = nullptr;
    QPushButton* cmdAbout = nullptr;
    QFrame* MoviePanel = nullptr;
    QLabel* lblSubs = nullptr;
    QLabel* lblResult = nullptr; // what the last Fix Synch did
    QCheckBox* chkRepair = nullptr;
    QComboBox* cboDialogs = nullptr;
    QTimer* tmrSub = nullptr;
    QTimer* tmrScroll = nullptr;

    // Settings: "Use BSP" (the window holds the external player) and the external player's
    // program (empty: none chosen yet).
    bool useBsp() const { return m_useBsp; }
    const QString& bspPath() const { return m_bspPath; }
    void setBspPath(QString path) { m_bspPath = std::move(path); }

    // Asks for a file to open with the open dialog shared by the commands: `title`, `filter`
    // (Qt form) and the proposed `fileName`; the folder stays where the last command put it.
    // The chosen path, or nothing when the user cancels.
    std::optional<QString> chooseFileToOpen(const QString& title, const QString& filter,
                                            const QString& fileName = QString());

    // Start-up and shutdown.
    void FormCreate();
    void FormDestroy();
    void LoadSettings();
    void SaveSettings();
    void cmdAboutClick();

    // The external player ("Use BSP").
    // Chooses the player the window holds: the external one while ticked.
    void chkBspClick();
    // Lets the user locate the player's executable; bspPath() becomes the confirmed choice.
    void cmdBSPClick();
    // The program the external player's next open starts: bspPath(), after the locate dialog
    // when it names no file; empty when there is still none.
    QString LocatePlayerProgram();

    // Document commands.
    void cmdOpenSubtitleClick();
    void cmdEditClick();
    void cmdSaveClick();
    void cmdSubInfoClick();
    // Opens the subtitle file at `path` as "Open Subtitle" does once its dialog has chosen it
    // (asks nothing about unsaved changes). Throws what reading and parsing throw.
    void OpenSubtitle(const QString& path);
    // "Save As...": proposes the document's own folder and name (a created document: the plain
    // text's, as ".sub"), asks before replacing an existing file (No shows the dialog again)
    // and writes the lines. True when the file was written; false when the user cancelled or
    // nothing is loaded. Throws FileCreateError.
    bool SaveDocumentAs();
    // While the document has unsaved changes, asks "Save changes to NAME?": Yes runs Save As,
    // No drops the changes, Cancel keeps everything. True when the caller may go on (nothing
    // to save, No, or Yes and the file was written). Throws what SaveDocumentAs throws.
    bool ConfirmDiscardChanges();
    // True while the lines differ from what was opened or last saved: re-timed by Fix Synch,
    // changed in the editor, a repaired dialog, created subtitles. Opening and saving clear it.
    bool documentModified() const { return m_modified; }
    // The plain text's lines, one dialog each, as "Load Text" last read them.
    const velkar::LineStore& plainTextLines() const { return m_plainTextLines; }

    // Opens files handed over on the command line or dropped onto the window: the first
    // subtitle file and the first movie among `paths` (told apart by velkar::SortHandedFiles).
    // The movie opens as with "Open Media"; the subtitle file, after the question about
    // unsaved changes (Cancel opens neither), as with "Open Subtitle", leaving the creation or
    // repair layout first. Failures are shown; nothing is thrown.
    void OpenHandedFiles(const QStringList& paths);
    // The movie's file name, shown in the caption (empty: none).
    void setMovieName(const QString& name);

    // Anchors and Fix Synch.
    void ShowAnchors();
    void SelectDialog(QObject* sender);
    void cmdFirstClick();
    void cmdLastClick();
    void cmdStretchClick();
    // Auto Synch: listens to the open movie's sound off the window thread (progress on pgrBar)
    // and puts the true starts of the two anchors into txtFirst and txtLast, then seeks the
    // player to the first. Pressed again while it listens ("Cancel"), it stops and changes
    // nothing. A fit that the sound does not support is reported and changes nothing.
    void cmdAutoSynchClick();

    // Overlay and list viewer.
    void tmrSubTimer();
    void cmdShowSubsClick();

    // Authoring and single-dialog repair.
    // Fills the descriptor window from the movie and the subtitle file and shows it modally.
    void cmdMakeMVDClick();
    // Replaces the document by an empty created SubViewer 2.0 one, in the creation layout.
    void cmdCreateClick();
    // "Stop Creating": back from the creation layout to the normal one, after the question
    // about unsaved changes (Cancel stays); the created document goes unless it was saved.
    void cmdLeaveCreationClick();
    // Reads a plain text file into plainTextLines() and shows it in the viewer, two entries a
    // line (an empty one, then the line). Throws FileOpenError; nothing changes then.
    void cmdLoadTextClick();
    // The two-state button: "Dialog Start" / "Dialog End" while creating, "Repair Dialog
    // Start" / "Repair Dialog End" in repair mode; positions from the built-in player (ms,
    // or frames for a MicroDVD document). Does nothing without a movie.
    void cmdStartEndClick();
    // Switches the repair of a single dialog on or off, with its layout.
    void chkRepairClick();
    // Shows the picked dialog's start and end in the anchor fields and moves the player to its
    // start (the external player with "Use BSP"); playback goes on or stays paused.
    void cboDialogsClick();

    // The About box text, lines ended by LF CR.
    static QString AboutText();

    // Undo and redo (Ctrl+Z; Ctrl+Shift+Z or Ctrl+Y): each change of the document's timing or
    // lines is one step; undoing back to what the file holds clears the unsaved mark. Nothing
    // happens when there is no step to take.
    void undoChange();
    void redoChange();
    bool canUndo() const { return m_history.canUndo(); }
    bool canRedo() const { return m_history.canRedo(); }
    // Records the document as it is now as one step after a change, and marks it unsaved.
    void recordChange();
    // After a re-timing made outside the window's own commands (the timing strip): records it,
    // shows the new times in the viewer, the player and the anchor fields, and `result` in the
    // result row.
    void documentRetimed(const QString& result);
    // Shows `text` in the result row.
    void reportResult(const QString& text) { showResult(text); }

    // The timing strip, docked under the window (and the list viewer when it is shown).
    TimingStrip* strip() const { return m_strip; }
    QPushButton* cmdStrip = nullptr; // shows and hides it
    void cmdStripClick();

  signals:
    // The document's timing or lines changed (a change, an undo or a redo).
    void documentChanged();
    // Another document took its place (opened, created, closed).
    void documentReplaced();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Closing asks about unsaved changes first; Cancel (or a save that did not happen) keeps
    // the window open.
    void closeEvent(QCloseEvent* event) override;
    // Local files dragged onto the window are taken; dropping them runs OpenHandedFiles once
    // the drop has ended.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void buildLayout();
    // Runs `handler` inside the general error handler.
    template <class Handler> void guard(Handler&& handler);

    // Masks, texts and the player's time unit for the document's format; the "not supported"
    // message for an unknown file.
    void applyFormatSetup();
    // Asks the damaged-file question while the document is damaged; on Yes the editor opens at
    // the error and the lines are recognised again.
    void repairLoop();
    // What the user made of the offer to mend a file that does not open as it is.
    enum class MendChoice { NotOffered, Mended, Edit, Cancel };
    // Offers to mend the document when it does not open as it is and mending can put it right:
    // Mend takes the mended lines (an unsaved change), Edit... opens the editor at the first
    // error, Cancel leaves the file as it is. After Mend, `summary` says in short what changed.
    MendChoice offerMending(QString& summary);
    // The editor, shown modally on the document with the error information given.
    void runEditor();
    // No document: the fields, the lists, the viewer and the result row cleared, the caption
    // without a subtitle file.
    void closeDocument();
    // Throws NoDocumentError while no subtitle file is loaded (commands that work on one).
    void requireDocument() const;
    // Recognises the lines again (ErrorLines zeroed first).
    void recognise();
    // Where the list viewer goes: under the main window, else beside it, else over its lower
    // part, on the screen (app/WindowPlace.h).
    QPoint viewerPlace() const;
    // Where the timing strip goes: under the window, or under the list viewer docked there.
    QPoint stripPlace() const;
    // The lines, as the list viewer shows them.
    void fillViewer();
    // The dialog list of the repair mode: `entries`, shown in the document's encoding; one
    // more at its end.
    void fillDialogs(std::vector<std::string> entries);
    void addDialog(const std::string& entry);
    RowModel::RowText dialogEntryText() const;
    // What the last action did, in the result row (empty: nothing to say).
    void showResult(const QString& text);
    // Puts the anchors on the first and the last subtitle when they lie outside the document.
    void keepAnchorsInRange();
    void setTimeFromPlayer(MaskedTimeEdit* field);
    // Marks the document changed or saved, and shows it in the caption.
    void setModified(bool modified);
    // The caption: the document's file name with the platform's mark while it has unsaved
    // changes (once a document is loaded), the program's title, the movie's file name.
    void updateCaption();
    // The document's file name as the caption and the question show it ("Untitled" for a
    // created document not saved yet).
    QString documentName() const;
    // The three layouts of the left column: normal (synchronisation), repair of a single dialog
    // (the dialog list enabled, "Repair Dialog Start") and creation ("Load Text", "Dialog
    // Start", "View" where "Create Subs" was).
    enum class LayoutMode { Normal, Repair, Creation };
    // Shows, hides and places the controls for `mode`, ticks "Repair Single Dialog" for the
    // repair layout only (without running its handler) and enables the dialog list with it.
    void applyLayout(LayoutMode mode);
    // Back from the creation or repair layout to the normal one, the time fields showing the
    // anchors again (nothing while it is shown).
    void leaveAuthoringLayout();
    // Shows subtitle `anchor`'s start and text in `field` (a reset field without subtitles).
    void showAnchor(MaskedTimeEdit* field, std::int32_t anchor);
    // Auto Synch (AutoSynch.cpp): the button's timer, and the end of a run.
    struct AutoSynchRun;
    void setUpAutoSynch();
    // Undo (UndoCommands.cpp): runs the undo or redo a key asks for (true: it was one), and
    // puts a recorded state back with `what` in the result row.
    bool undoKey(const QKeyEvent& key);
    void restoreState(const velkar::SubtitleDocument& state, const QString& what);
    // A new document (opened, created or closed): the history starts again from it, `saved`
    // when the file on disk holds it.
    void startHistory(bool saved);
    // The two-state button back at its first press, as the layout has it.
    void resetStartEnd();
    void autoSynchTick();
    void autoSynchFinished();
    // Fills cboSoundStream with the sound streams of `movie`, the one in the subtitles' language
    // (else the default) chosen. When only the subtitle file changes, the stream in its language
    // is chosen if the movie has one; else the choice made before (perhaps by hand) stays.
    void readSoundStreams(const QString& movie);

    QString m_settingsPath;
    bool m_useBsp = false;
    QString m_bspPath;
    // The two file dialogs, shared by the commands that use them (a folder chosen in one
    // command is where the next one starts).
    FileRequest m_openDialog;
    FileRequest m_saveDialog;
    bool m_keepSettingsFile = false; // it was there but could not be read: never written
    velkar::SubtitleDocument m_document;
    TextCodec m_codec;
    std::unique_ptr<BarProgress> m_progress;
    playback::NoMedia m_noMedia;
    playback::MediaPlayer* m_player = &m_noMedia;
    TfrmEdit* m_editor = nullptr;
    TfrmSubs* m_viewer = nullptr;
    TimingStrip* m_strip = nullptr;
    TForm2* m_picker = nullptr;
    TfrmMvd* m_mvd = nullptr;
    bool m_destroyed = false;
    // The file the document was read from or last written to; empty for a created document.
    QString m_documentPath;
    // The plain text "Load Text" last read (a created document is proposed beside it), and its
    // lines.
    QString m_plainTextPath;
    velkar::LineStore m_plainTextLines;
    QString m_movieName;
    bool m_modified = false;
    velkar::UndoHistory m_history;
    LayoutMode m_layout = LayoutMode::Normal;
    // The dialog list's entries as the core made them, and the list's rows over them.
    std::vector<std::string> m_dialogEntries;
    RowModel* m_dialogRows = nullptr;
    QRect m_viewGeometry; // "View" in the normal layout, kept while another one is shown
    std::unique_ptr<PlaybackCommands> m_playback;
    // The analysis under way (shared_ptr: its type is complete only in AutoSynch.cpp).
    std::shared_ptr<AutoSynchRun> m_autoSynch;
    QTimer* m_autoSynchTimer = nullptr;
    QString m_streamsMovie;        // the movie cboSoundStream lists the sound streams of
    std::string m_streamsSubtitle; // the subtitle file whose language chose among them
    std::vector<velkar::autosync::StreamFacts> m_soundStreams; // what cboSoundStream lists
};

} // namespace velkar::gui
