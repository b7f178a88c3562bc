#pragma once
// The timing strip: a panel docked under the main window that shows, along time, the movie's
// sound (its waveform and the speech found in it), the subtitles as blocks, the play position,
// sync points and where they would move the subtitles, and the times before the last re-timing
// as faint ghosts. A click seeks; dragging a block or its edges re-times that subtitle;
// Shift+click and Ctrl+click set the selected subtitle's start and end; the wheel zooms and
// dragging the background scrolls. The sound is analysed once per movie off the window thread
// (the speech cache shares it with Auto Synch and velkar-cli). The panel only draws and asks:
// the document, the player and the changes stay with the main window.

#include "autosync/MovieSpeech.h"
#include "strip/StripEdits.h"
#include "strip/StripView.h"

#include <QString>
#include <QWidget>

#include <memory>
#include <optional>
#include <vector>

class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QTimer;

namespace velkar::gui {

class TForm1;
class StripCanvas;

class TimingStrip : public QWidget {
    Q_OBJECT
  public:
    explicit TimingStrip(TForm1& form, QWidget* parent = nullptr);
    ~TimingStrip() override;

    QPushButton* cmdUndo = nullptr;
    QPushButton* cmdRedo = nullptr;
    QPushButton* cmdSyncPoint = nullptr; // a point for the selected subtitle at the play position
    QPushButton* cmdApply = nullptr;
    QPushButton* cmdClearPoints = nullptr;
    QListWidget* lstPoints = nullptr;
    QProgressBar* pgrSound = nullptr;
    QLabel* lblStatus = nullptr;
    StripCanvas* canvas = nullptr;

    // The view over the film (tests and the canvas read and move it).
    strip::StripView& view() { return m_view; }
    // Each finished subtitle's block in ms, as drawn now.
    const std::vector<strip::Span>& blocks() const { return m_blocks; }
    // The blocks sync points would give (empty: no points, or they do not re-time).
    const std::vector<strip::Span>& preview() const { return m_preview; }
    // The times before the last re-timing of many subtitles (empty: none).
    const std::vector<strip::Span>& ghosts() const { return m_ghosts; }
    const std::vector<strip::SyncPoint>& syncPoints() const { return m_points; }
    // The subtitle Shift/Ctrl+click and "Sync point" work on (-1: none).
    int selected() const { return m_selected; }
    void select(int subtitle);
    // The text a block shows (its subtitle's, without markup, on one line).
    QString blockText(int subtitle) const;
    // Where subtitle `subtitle`'s block would go with its `grip` dragged by `deltaMs`.
    strip::Span draggedSpan(int subtitle, strip::Grip grip, double deltaMs) const;
    // The movie's sound as analysed (null until it is).
    const autosync::MovieSpeech* sound() const { return m_sound.get(); }
    bool analysing() const { return m_run != nullptr; }
    // Draws `sound` as the sound of the movie open now (what an analysis ends with).
    void showSound(std::shared_ptr<const autosync::MovieSpeech> sound);

    // Document values and ms, at the frame rate MicroDVD frames are counted at.
    double valueToMs(TimeValue value) const;
    TimeValue msToValue(double ms) const; // rounded to the format's unit
    // The player's position in ms (-1 without a movie).
    double playMs() const;

    // What the mouse does, callable as the canvas calls them.
    void seekTo(double ms);
    void setStartAt(double ms); // Shift+click
    void setEndAt(double ms);   // Ctrl+click
    // A finished drag of `subtitle`'s `grip` by `deltaMs`.
    void dragBlock(int subtitle, strip::Grip grip, double deltaMs);
    // Pins `subtitle`'s start to `ms` (replacing a point it had).
    void addSyncPoint(int subtitle, double ms);
    void applySyncPoints();
    void clearSyncPoints();

    // The document changed (a change, undo or redo): the blocks follow.
    void documentChanged();
    // Another document is loaded: its blocks, without points, ghosts or a selection.
    void documentReplaced();
    // Follows playback and starts the analysis of a newly opened movie (while shown).
    void tick();

  signals:
    // The movie's sound is analysed and drawn.
    void soundReady();

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    struct Analysis;
    void startAnalysis(const QString& movie, int stream);
    void analysisFinished();
    void refreshPoints();
    void updatePreview();
    std::vector<strip::Span> spansOf(const SubtitleDocument& doc) const;
    // Runs a change of one subtitle's times through the main window's change path.
    void retime(int subtitle, TimeValue start, TimeValue end);

    TForm1& m_form;
    strip::StripView m_view;
    std::vector<strip::Span> m_blocks;
    std::vector<strip::Span> m_preview;
    std::vector<strip::Span> m_ghosts;
    std::vector<strip::SyncPoint> m_points;
    int m_selected = -1;
    std::shared_ptr<const autosync::MovieSpeech> m_sound;
    QString m_soundMovie;   // the movie m_sound (or the analysis under way) belongs to
    int m_soundStream = -1; // and its sound stream
    std::shared_ptr<Analysis> m_run;
    QTimer* m_timer = nullptr;
};

} // namespace velkar::gui
