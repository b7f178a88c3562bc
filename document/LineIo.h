#pragma once
// Subtitle files on disk: bytes split into lines, and lines written back with CR LF.

#include "document/LineStore.h"
#include "document/SubtitleDocument.h"

#include <string>
#include <string_view>
#include <vector>

namespace velkar {

inline constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

// Splits `bytes` into lines at every CR LF, lone CR and lone LF; a final line end adds no empty
// line; the text ends at the first NUL byte. No byte is changed. (LineStore::Split splits the
// same way without a string per line.)
std::vector<std::string> SplitLines(std::string_view bytes);

// Reads the whole file at `path` into doc.SubtitleLines (replacing them), which keep the file's
// bytes. A UTF-8 byte-order mark at the very start is kept aside in doc.ByteOrderMark. Throws
// FileOpenError ("Cannot open file <path>") when the file cannot be read.
void ReadSubtitleLines(SubtitleDocument& doc, const std::string& path);

// The bytes of a file holding `lines`: `prefix`, then every line followed by CR LF.
std::string JoinLines(const LineStore& lines, std::string_view prefix = {});

// Writes `bytes` to `path` with SafeWrite (document/SafeWrite.h): the target is either the old
// file or the whole new one. Throws FileCreateError ("Cannot create file <path>: <reason>").
void WriteFileAtomically(const std::string& path, std::string_view bytes);

// Writes `prefix`, then every line followed by CR LF, to `path` atomically (as
// WriteFileAtomically).
void WriteLinesAtomically(const std::string& path, const LineStore& lines,
                          std::string_view prefix = {});

// Writes the document's lines (after its byte-order mark, if it had one) to `path` atomically.
void WriteSubtitleLines(const SubtitleDocument& doc, const std::string& path);

// Reads a whole file into memory; throws FileOpenError.
std::string ReadWholeFile(const std::string& path);

} // namespace velkar
