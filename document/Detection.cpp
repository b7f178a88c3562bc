#include "document/Detection.h"

#include "document/Format.h"
#include "document/LineTests.h"

namespace velkar {

std::string ErrorText(std::size_t index, std::string_view line) {
    // Shown to the user, who counts lines from 1 as every text editor does.
    std::string text = "(Line:" + std::to_string(index + 1) + ")\n\r";
    text.append(ShortString(line));
    if (text.size() > kShortStringMax)
        text.resize(kShortStringMax);
    return text;
}

Detection DetectFormat(SubtitleDocument& doc, Progress& progress) {
    Detection result;
    for (const FormatEntry* entry : RecognitionOrder()) {
        const Recognition found = entry->recognise(doc.SubtitleLines, progress);
        if (found.passed) {
            result.format = found.variant != sfUnknown ? found.variant : entry->code;
            return result;
        }
        if (found.recorded) {
            doc.ErrorLines[entry->record] = static_cast<std::int32_t>(found.line);
            doc.ErrorTexts[entry->record] = ErrorText(found.line, doc.SubtitleLines[found.line]);
            result.recorded[entry->record] = true;
        }
    }
    bool damaged = false;
    for (std::int32_t line : doc.ErrorLines)
        damaged = damaged || line > 0;
    result.format = damaged ? sfDamaged : sfUnknown;
    return result;
}

} // namespace velkar
