#include "document/Opening.h"

#include "document/Errors.h"
#include "document/LineIo.h"
#include "document/Parsing.h"

namespace velkar {

void ReadDocument(SubtitleDocument& doc, const std::string& path) {
    doc.Reset(path);
    ReadSubtitleLines(doc, path);
}

Detection Recognise(SubtitleDocument& doc, Progress& progress) {
    doc.ErrorLines = {};
    Detection detection = DetectFormat(doc, progress);
    doc.SubtitleFormat = detection.format;
    return detection;
}

void ApplyMending(SubtitleDocument& doc, const Mending& mending, Progress& progress) {
    doc.SubtitleLines = mending.lines;
    Recognise(doc, progress);
}

void ResetAnchors(SubtitleDocument& doc) {
    doc.FirstAnchor = 0;
    const std::size_t finished = doc.FinishedCount();
    doc.LastAnchor = finished > 0 ? static_cast<std::int32_t>(finished - 1) : 0;
}

void FinishOpen(SubtitleDocument& doc, Progress& progress, std::vector<std::string>* dialogs,
                SubtitleTextsWanted texts) {
    doc.SubtitleLoaded = true;
    try {
        ParseSubtitles(doc, progress, dialogs, texts);
    } catch (const VelkarError&) {
        ResetAnchors(doc);
        throw;
    }
    ResetAnchors(doc);
}

} // namespace velkar
