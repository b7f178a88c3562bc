#include "document/Report.h"

#include "document/Errors.h"
#include "document/Format.h"
#include "document/LineTests.h"
#include "document/TimeCode.h"

namespace velkar {

namespace {

std::string Cut(std::string text) {
    if (text.size() > kShortStringMax)
        text.resize(kShortStringMax);
    return text;
}

std::string SubtitleEntry(const SubtitleDocument& doc, std::size_t index) {
    return StartText(doc, index) + "  " + doc.SubtitleTexts[index];
}

} // namespace

std::string OutsideDayText(const SubtitleDocument& doc, std::size_t i, bool end, std::int32_t value,
                           bool retimed) {
    std::string text = "Subtitle " + std::to_string(i + 1);
    if (i < doc.SubtitleLineIndex.size())
        text +=
            " (line " + std::to_string(static_cast<long long>(doc.SubtitleLineIndex[i]) + 1) + ")";
    text += retimed ? " would " : " ";
    text += end ? (retimed ? "end" : "ends") : (retimed ? "start" : "starts");
    text += value < 0 ? " before 00:00:00" : " at 24:00:00 or later";
    // WebVTT and ASS hours have no limit: only a time before the film's start has no text there.
    text += CanEncode(doc.SubtitleFormat, kMillisecondsPerDay)
                ? ". A subtitle's times cannot run before 00:00:00: "
                : ". A subtitle file's times run from 00:00:00 to 23:59:59: ";
    text += retimed ? "check the true times typed for the anchors."
                    : "mend the line in the editor (Edit...).";
    return text;
}

std::string StartText(const SubtitleDocument& doc, std::size_t i) {
    const std::int32_t value = doc.start(i);
    if (!CanEncode(doc.SubtitleFormat, value))
        throw TimeEncodeError(OutsideDayText(doc, i, false, value, false));
    return TimeToText(doc.SubtitleFormat, value);
}

ErrorRecord MostLikelyFormat(const SubtitleDocument& doc) {
    return MostLikelyFormat(doc.ErrorLines);
}

ErrorRecord MostLikelyFormat(const std::array<std::int32_t, 3>& e) {
    return MostLikelyFormat(ErrorLineArray{e[0], e[1], e[2]});
}

ErrorRecord MostLikelyFormat(const ErrorLineArray& e) {
    // In the order of recognition, the first of the largest.
    ErrorRecord best = erMicroDVD;
    for (const FormatEntry* entry : RecognitionOrder())
        if (e[entry->record] > e[best])
            best = entry->record;
    return best;
}

std::string LikelyFormatName(ErrorRecord format) {
    return std::string(FormatOfRecord(format).likelyName);
}

std::string DamagedFileMessage(const SubtitleDocument& doc) {
    const ErrorRecord format = MostLikelyFormat(doc);
    // The SubRip error text follows on the same line.
    return Cut("The Subtitle file seems to be a " + LikelyFormatName(format) +
               ", but it has at least one error:" + (format == erSubRip ? "" : "\n\r") +
               doc.ErrorTexts[format]);
}

std::string DamagedFileQuestion(const SubtitleDocument& doc) {
    return Cut(DamagedFileMessage(doc) + "\n\r\n\rTry to fix errors?");
}

std::string ReportFormatName(SubtitleFormat format) {
    if (const FormatEntry* entry = FindFormat(format))
        return std::string(entry->reportName);
    switch (format) {
    case sfDamaged:
        return "Damaged";
    default:
        return "Unknown";
    }
}

std::string SubtitleInformation(const SubtitleDocument& doc) {
    std::string report = "Subtitle Format:\t" + ReportFormatName(doc.SubtitleFormat) + "\n\r";
    if (doc.SubtitleFormat == sfMicroDVD && !doc.SubtitleLines.empty()) {
        const std::string_view rate = FrameRateOf(doc.SubtitleLines[0]);
        if (!rate.empty())
            report.append("Frame Rate:\t").append(rate).append("\n\r");
    }
    report += "Total Lines:\t" + std::to_string(doc.SubtitleLines.size()) + "\n\r";
    report += "First Subtitle:\t";
    if (doc.SubtitleCount > 0)
        report += SubtitleEntry(doc, 0);
    report += "\n\rLast Subtitle:\t";
    if (doc.SubtitleCount > 0)
        report += SubtitleEntry(doc, doc.SubtitleCount - 1u);
    return report;
}

} // namespace velkar
