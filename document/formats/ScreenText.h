#pragma once
// Markup that several formats share, taken out of a text for the screen. The stored bytes never
// change: these only build the text shown.

#include <string>
#include <string_view>

namespace velkar {

// Appends `text` without MicroDVD control codes: a "{", a letter, ":" and everything up to the
// next "}" ("{y:i}", "{c:$0000ff}", "{Y:b,u}"). Other braces stay.
void AppendWithoutControlCodes(std::string& out, std::string_view text);

// Appends `text` without its tags: "<" up to the next ">" goes ("<i>", "</font>",
// "<c.yellow>", "<00:00:01.500>"); a "<" without a ">" after it stays.
void AppendWithoutTags(std::string& out, std::string_view text);

// Appends `text` without the tags SubRip players know: "<i>", "<b>", "<u>", "<s>", "<font ...>"
// and their closing tags, in either case. Any other "<" stays ("5 < 6", "<3").
void AppendWithoutSubRipTags(std::string& out, std::string_view text);

// Appends `text` without the override blocks SubRip files borrow from ASS: "{\" up to the next
// "}" ("{\an8}", "{\i1}"). Other braces stay.
void AppendWithoutBorrowedOverrides(std::string& out, std::string_view text);

// Appends `text` with the character references of HTML that subtitles use decoded to UTF-8:
// "&amp;" "&lt;" "&gt;" "&nbsp;" "&lrm;" "&rlm;" "&quot;" "&apos;" "&#124;" (decimal and
// "&#x..;" references). Any other "&" stays.
void AppendDecodingReferences(std::string& out, std::string_view text);

// Appends `text` without ASS override blocks ("{...}"), "\N" and "\n" becoming LF CR and "\h" a
// space.
void AppendWithoutOverrides(std::string& out, std::string_view text);

} // namespace velkar
