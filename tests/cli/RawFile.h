#pragma once
// A subtitle file taken apart by the plain rule, for checking what a save changed: its
// byte-order mark, then lines of code units (bytes, or byte pairs after a UTF-16 mark), each
// with the bytes of the line end that followed it (CR LF, LF, CR, or nothing at the end).

#include <string>
#include <string_view>
#include <vector>

namespace velkar::test {

struct RawLine {
    std::string bytes; // in the file's encoding
    std::string end;   // the line end's bytes, in the file's encoding
};

struct RawFile {
    std::string mark;
    std::vector<RawLine> lines;
    // The ASCII characters of line `i` (a character beyond ASCII shows as '?').
    std::string ascii(std::size_t i) const;
};

RawFile SplitRawFile(std::string_view bytes);

} // namespace velkar::test
