#pragma once
// Subtitle files on disk: bytes split into lines, and lines written back each with the line end
// it had, in the file's own encoding (UTF-16 files are held as UTF-8 while open).

#include "document/LineStore.h"
#include "document/SubtitleDocument.h"
#include "document/Unicode.h"

#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace velkar {

// Splits `bytes` into lines at every CR LF, lone CR and lone LF; a final line end adds no empty
// line; the text ends at the first NUL byte. No byte is changed. (LineStore::Split splits the
// same way without a string per line.)
std::vector<std::string> SplitLines(std::string_view bytes);

// The size of `bytes` without the NUL bytes that pad its end. Throws NulBytesError ("The
// Subtitle file holds NUL bytes") when a NUL byte has anything but NUL bytes after it.
std::size_t UnpaddedSize(std::string_view bytes);

// True when `mark` (a document's ByteOrderMark) is a UTF-16 one; `bigEndian` tells which.
bool IsUtf16Mark(std::string_view mark, bool* bigEndian = nullptr);

// Reads the whole file at `path` into doc.SubtitleLines (replacing them), which keep the file's
// bytes and line ends. A byte-order mark at the very start is kept aside in doc.ByteOrderMark:
// after a UTF-8 one the lines are the file's bytes; after a UTF-16 one (FF FE little endian,
// FE FF big endian) they are the UTF-8 form of its text. NUL bytes (NUL characters in UTF-16)
// that pad the end of the file are dropped; NUL bytes inside are characters of the lines in a
// format that takes them (TakesNulBytes: WebVTT). Throws FileOpenError ("Cannot open file
// <path>") when the file cannot be read, NulBytesError when a NUL has something else after it
// in any other file and
// Utf16Error when a file with a UTF-16 mark is not valid UTF-16.
void ReadSubtitleLines(SubtitleDocument& doc, const std::string& path);

// As ReadSubtitleLines, on the bytes of a file already read (standard input, say).
void ReadSubtitleBytes(SubtitleDocument& doc, LineStore::Block block);

// The bytes of a file holding `lines`: `prefix`, then every line followed by its line end.
std::string JoinLines(const LineStore& lines, std::string_view prefix = {});

// The bytes of the file the document's lines make: its byte-order mark, then every line with its
// line end, in UTF-16 after a UTF-16 mark.
std::string SubtitleFileBytes(const SubtitleDocument& doc);

// Writes `bytes` to `path` with SafeWrite (document/SafeWrite.h): the target is either the old
// file or the whole new one. Throws FileCreateError ("Cannot create file <path>: <reason>").
void WriteFileAtomically(const std::string& path, std::string_view bytes);

// Hands `put` the bytes JoinLines(lines, prefix) would make, in order, in pieces: runs of lines
// that stand in memory as the file holds them (all of a file's lines until one is rewritten
// longer) go as they are, without a copy; other lines are gathered into chunks. Stops at the
// first `put` that gives false, and then gives false.
bool PutFileBytes(const LineStore& lines, std::string_view prefix,
                  const std::function<bool(std::string_view)>& put);

// Writes `prefix`, then every line followed by its line end, to `path` atomically (as
// WriteFileAtomically).
void WriteLinesAtomically(const std::string& path, const LineStore& lines,
                          std::string_view prefix = {});

// Writes SubtitleFileBytes(doc) to `path` atomically.
void WriteSubtitleLines(const SubtitleDocument& doc, const std::string& path);
// Writes SubtitleFileBytes(doc) to `out`, building no copy of them where the lines allow.
void WriteSubtitleLines(const SubtitleDocument& doc, std::ostream& out);

// Reads a whole file into memory; throws FileOpenError.
std::string ReadWholeFile(const std::string& path);

} // namespace velkar
