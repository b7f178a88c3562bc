#include "authoring/Creation.h"

#include "document/Opening.h"
#include "document/Parsing.h"
#include "document/Report.h"
#include "document/TimeCode.h"

namespace velkar {

void StartCreation(SubtitleDocument& doc) {
    doc.SubtitleLines.assign(kCreatedHeader.begin(), kCreatedHeader.end());
    doc.ByteOrderMark.clear();
    doc.SubtitleCount = 0;
    doc.TimingTable[0].assign(1, 0);
    doc.TimingTable[1].assign(1, 0);
    doc.SubtitleTexts.assign(1, std::string());
    doc.SubtitleLineIndex.assign(1, 0);
    doc.SubtitleFormat = sfSubViewer2;
    doc.SubtitleLoaded = true;
    doc.FirstTimeLine = static_cast<std::int32_t>(kCreatedHeader.size());
    doc.SubtitlePending = false;
    doc.PendingText.clear();
    doc.ParseFailure.clear();
    ResetAnchors(doc);
}

namespace {

// Makes sure every array has a column for subtitle `column`.
void Grow(SubtitleDocument& doc, std::size_t column) {
    if (doc.TimingTable[0].size() <= column) {
        doc.TimingTable[0].resize(column + 1, 0);
        doc.TimingTable[1].resize(column + 1, 0);
        doc.SubtitleTexts.resize(column + 1);
        doc.SubtitleLineIndex.resize(column + 1, 0);
    }
    doc.TimingTable[0][column] = 0;
    doc.TimingTable[1][column] = 0;
    doc.SubtitleTexts[column].clear();
    doc.SubtitleLineIndex[column] = 0;
}

} // namespace

DialogStarted DialogStart(SubtitleDocument& doc, const LineStore& plainText,
                          std::int32_t position) {
    DialogStarted started;
    if (doc.SubtitlePending || doc.SubtitleCount == kMaxSubtitles)
        return started;
    const std::size_t column = doc.SubtitleCount;
    Grow(doc, column);
    doc.SubtitleCount = static_cast<std::uint16_t>(column + 1);
    doc.SubtitlePending = true;
    doc.TimingTable[0][column] = position;
    const bool haveLine = plainText.size() > column;
    started.text = std::string(haveLine ? plainText[column] : kInsertTextHere);
    doc.PendingText = started.text;
    doc.SubtitleTexts[column] = started.text.substr(0, kShortStringMax);
    if (haveLine) {
        started.viewerEntry = static_cast<std::int32_t>(2 * column + 1);
        doc.SubtitleLineIndex[column] = started.viewerEntry;
    }
    return started;
}

DialogEnded DialogEnd(SubtitleDocument& doc, const LineStore& plainText, std::int32_t position) {
    DialogEnded ended;
    if (!doc.SubtitlePending || doc.SubtitleCount == 0)
        return ended;
    const std::size_t column = doc.SubtitleCount - 1u;
    doc.TimingTable[1][column] = position;
    std::string timeLine = SubtitleTimeText(doc, column, false, TimeSource::Player);
    timeLine += ',';
    timeLine += SubtitleTimeText(doc, column, true, TimeSource::Player);
    // The lines go in only once both times have a text.
    doc.SubtitleLines.push_back(std::move(timeLine));
    doc.SubtitleLines.push_back(doc.PendingText);
    doc.SubtitleLines.emplace_back();
    doc.SubtitlePending = false;
    ended.dialogEntry = DialogEntry(column, doc.PendingText);
    doc.PendingText.clear();
    if (plainText.size() > column)
        ended.viewerEntry = static_cast<std::int32_t>(2 * column + 2);
    ResetAnchors(doc);
    return ended;
}

} // namespace velkar
