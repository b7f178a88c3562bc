#pragma once
// The states a document went through since it was opened or created, for undo and redo. Each
// change of its timing or lines (a sync, a repaired dialog, a drag on the timing strip, an edit,
// mending, a created subtitle) is one step; the history knows which state the file on disk
// holds, so that undoing back to it clears the unsaved mark.

#include "document/SubtitleDocument.h"

#include <cstddef>
#include <deque>
#include <optional>

namespace velkar {

class UndoHistory {
  public:
    // The oldest steps go once the states kept pass this many bytes (the current one stays).
    static constexpr std::size_t kDefaultByteLimit = std::size_t(256) << 20;

    explicit UndoHistory(std::size_t byteLimit = kDefaultByteLimit);

    // Starts again from `doc`, the only state. `saved`: the file on disk holds it (an opened
    // file); false for mended lines or a created document not saved yet.
    void reset(const SubtitleDocument& doc, bool saved);
    // `doc` is the state after a change: it follows the current one, and the steps that could
    // be redone go.
    void record(const SubtitleDocument& doc);
    // The file on disk now holds the current state.
    void markSaved();

    bool canUndo() const { return m_current > 0; }
    bool canRedo() const { return m_current + 1 < m_states.size(); }
    // Steps back (or forward) and gives the state to show. Call only when canUndo (canRedo).
    const SubtitleDocument& undo();
    const SubtitleDocument& redo();
    // Whether the current state is the one the file on disk holds.
    bool atSaved() const { return m_saved && *m_saved == m_current; }
    std::size_t size() const { return m_states.size(); }

    // What a document's state takes in memory, about.
    static std::size_t Bytes(const SubtitleDocument& doc);

  private:
    struct State {
        SubtitleDocument doc;
        std::size_t bytes = 0;
    };
    void trim();

    std::size_t m_byteLimit;
    std::deque<State> m_states;
    std::size_t m_current = 0;
    std::optional<std::size_t> m_saved;
    std::size_t m_bytes = 0;
};

// `state` as the document to work on after an undo or redo: its lines, table and texts, with
// what is not part of a step taken from `current` (the file's name, which Save As may have
// changed since, and the anchors, kept within the subtitles).
SubtitleDocument RestoredState(const SubtitleDocument& state, const SubtitleDocument& current);

} // namespace velkar
