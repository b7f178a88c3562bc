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
    // A document parsed for its times alone holds no texts.
    return StartText(doc, index) + "  " +
           (index < doc.SubtitleTexts.size() ? doc.SubtitleTexts[index] : std::string());
}

// `openHours`: the format's hours have no limit (WebVTT, ASS): only a time before the film's
// start has no text there.
std::string OutsideDay(TimeValue value, bool openHours = false) {
    return std::string(value < 0 ? " before 00:00:00" : " at 24:00:00 or later") +
           (openHours ? ". A subtitle's times cannot run before 00:00:00: "
                      : ". A subtitle file's times run from 00:00:00 to 23:59:59: ");
}

std::string OtherPlace(TimeValue value) {
    return value < 0 ? "take the time at a later place in the movie"
                     : "take the time at an earlier place in the movie";
}

} // namespace

std::string OutsideDayText(const SubtitleDocument& doc, std::size_t i, bool end, TimeValue value,
                           TimeSource source) {
    std::string text = "Subtitle " + std::to_string(i + 1);
    // A subtitle being created has no line of the file yet (its index is a viewer entry).
    if (source != TimeSource::Player && i < doc.SubtitleLineIndex.size())
        text +=
            " (line " + std::to_string(static_cast<long long>(doc.SubtitleLineIndex[i]) + 1) + ")";
    const bool asRead = source == TimeSource::File;
    text += asRead ? " " : " would ";
    text += end ? (asRead ? "ends" : "end") : (asRead ? "starts" : "start");
    text += OutsideDay(value, CanEncode(doc.SubtitleFormat, kMillisecondsPerDay));
    switch (source) {
    case TimeSource::File:
        return text + "mend the line in the editor (Edit...).";
    case TimeSource::TypedAnchors:
        return text + "check the true times typed for the anchors.";
    case TimeSource::Sound:
        return text + "the times found in the movie's sound do not fit these subtitles: check "
                      "that the movie is the one they belong to, from its very beginning.";
    case TimeSource::Player:
        break;
    }
    return text + OtherPlace(value) + ".";
}

std::string PlayerPositionText(TimeValue value) {
    return "The player's position is" + OutsideDay(value) + OtherPlace(value) + ", or type it.";
}

std::string SubtitleTimeText(const SubtitleDocument& doc, std::size_t i, bool end,
                             TimeSource source) {
    const TimeValue value = end ? doc.end(i) : doc.start(i);
    if (!CanEncode(doc.SubtitleFormat, value))
        throw TimeEncodeError(OutsideDayText(doc, i, end, value, source));
    return TimeToText(doc.SubtitleFormat, value);
}

std::string StartText(const SubtitleDocument& doc, std::size_t i) {
    return SubtitleTimeText(doc, i, false, TimeSource::File);
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
