#include "document/UndoHistory.h"

#include <algorithm>

namespace velkar {

UndoHistory::UndoHistory(std::size_t byteLimit) : m_byteLimit(byteLimit) {}

std::size_t UndoHistory::Bytes(const SubtitleDocument& doc) {
    std::size_t bytes = sizeof(SubtitleDocument);
    for (std::string_view line : doc.SubtitleLines)
        bytes += line.size() + 16;
    bytes += sizeof(TimeValue) * (doc.TimingTable[0].size() + doc.TimingTable[1].size()) +
             sizeof(std::int32_t) * doc.SubtitleLineIndex.size();
    for (const std::string& text : doc.SubtitleTexts)
        bytes += text.size() + sizeof(std::string);
    return bytes;
}

void UndoHistory::reset(const SubtitleDocument& doc, bool saved) {
    m_states.clear();
    m_states.push_back({doc, Bytes(doc)});
    m_bytes = m_states.back().bytes;
    m_current = 0;
    m_saved = saved ? std::optional<std::size_t>(0) : std::nullopt;
}

void UndoHistory::record(const SubtitleDocument& doc) {
    if (m_states.empty()) {
        reset(doc, false);
        return;
    }
    while (m_states.size() > m_current + 1) {
        m_bytes -= m_states.back().bytes;
        m_states.pop_back();
    }
    if (m_saved && *m_saved > m_current)
        m_saved.reset(); // that state can no longer be reached
    m_states.push_back({doc, Bytes(doc)});
    m_bytes += m_states.back().bytes;
    m_current = m_states.size() - 1;
    trim();
}

void UndoHistory::markSaved() {
    if (!m_states.empty())
        m_saved = m_current;
}

const SubtitleDocument& UndoHistory::undo() {
    --m_current;
    return m_states[m_current].doc;
}

const SubtitleDocument& UndoHistory::redo() {
    ++m_current;
    return m_states[m_current].doc;
}

void UndoHistory::trim() {
    while (m_bytes > m_byteLimit && m_current > 0) {
        m_bytes -= m_states.front().bytes;
        m_states.pop_front();
        --m_current;
        if (m_saved)
            m_saved = *m_saved == 0 ? std::nullopt : std::optional<std::size_t>(*m_saved - 1);
    }
}

SubtitleDocument RestoredState(const SubtitleDocument& state, const SubtitleDocument& current) {
    SubtitleDocument doc = state;
    doc.SubtitleFileName = current.SubtitleFileName;
    const auto last = static_cast<std::int32_t>(doc.FinishedCount()) - 1;
    doc.FirstAnchor = std::clamp(current.FirstAnchor, 0, std::max(last, 0));
    doc.LastAnchor = std::clamp(current.LastAnchor, 0, std::max(last, 0));
    return doc;
}

} // namespace velkar
