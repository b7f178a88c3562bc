#pragma once
// What the mending of every format shares: the mended file built line by line from the file's
// own lines, and the rules that hold for all formats (invisible format characters, lines of
// blanks, a download's header lines).

#include "document/LineStore.h"
#include "document/Mending.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace velkar::mend {

// The mended lines, built in order from the file's lines. Each line of the file is kept,
// rewritten or dropped; new lines may come between them. Kept lines keep their bytes and line
// end; a rewritten line keeps its line end; an added line takes the file's usual line end.
class MendedLines {
  public:
    explicit MendedLines(const LineStore& source) : m_source(source) {}

    void keep(std::size_t line);
    void rewrite(std::size_t line, std::string text, MendKind kind);
    void drop(std::size_t line, MendKind kind);
    // Adds `text` as a new line; `before` is the file's line it stands in front of.
    void add(std::string text, std::size_t before, MendKind kind);
    // Counts one change of `kind` at `line` without a line of its own (a whole subtitle dropped
    // counts once, though all its lines go).
    void note(MendKind kind, std::size_t line);
    // Drops `line` without counting it (a line of something counted once).
    void dropQuietly(std::size_t line);

    bool changed() const { return !m_entries.empty(); }
    std::vector<MendEntry> entries() const;
    LineStore result() const;
    // For each line of result(), the file's line it keeps unchanged, or kMendedLine.
    std::vector<std::size_t> kept() const;

  private:
    struct Out {
        std::size_t source; // the file's line, or npos for an added line
        std::string text;   // the new text of a rewritten or added line
        bool rewritten;
    };
    const LineStore& m_source;
    std::vector<Out> m_out;
    std::vector<MendEntry> m_entries;
};

// A fault that mending cannot put right.
struct MendFault {
    std::size_t line = 0;
    std::string what;
};

// Mending for one format: fills `out` and returns true, or returns false with the first fault
// that cannot be mended (an empty one when the file holds nothing of the format). Each format has
// one (FormatMending.h).
using FormatMending = bool (*)(const LineStore& lines, MendedLines& out, MendFault& fault);

// Bytes of invisible format characters (U+200B-U+200F, U+202A-U+202E, U+2060, U+FEFF, in UTF-8)
// at the start of `line`: 0 when there are none.
std::size_t InvisiblePrefix(std::string_view line);
// A line of one or more blanks or tabs and nothing else.
bool IsBlankLine(std::string_view line);
// A line that a download puts before a file: "HTTP/1.1 200 OK", "Content-Type: text/plain".
bool IsForeignLine(std::string_view line);

} // namespace velkar::mend
