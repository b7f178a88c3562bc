#pragma once
// Matching the lines of an edited text with the lines it was made from, so that every line the
// edit left alone keeps its own line end wherever lines were inserted or deleted around it.

#include "document/LineStore.h"

#include <cstddef>
#include <limits>
#include <string>
#include <vector>

namespace velkar {

inline constexpr std::size_t kNewLine = std::numeric_limits<std::size_t>::max();

// For each line of `after`, the line of `before` it stands for, or kNewLine. Lines the edit left
// alone are matched by a shortest edit script (fewest lines inserted and deleted), the order kept;
// between two such lines, the k-th changed line of `after` stands for the k-th unmatched line of
// `before` (a line edited in place is still that line), and what is left over is new. Where the
// texts differ in more than 512 lines beyond their common start and end, the lines between those
// are paired by position instead. Example: before {a, b, c}, after {a, x, c, d} gives {0, 1, 2,
// kNewLine}; after {x, a, b} gives {kNewLine, 0, 1}.
std::vector<std::size_t> MatchLines(const LineStore& before, const std::vector<std::string>& after);

// The lines `after` as a store, each with the line end of the line of `before` it stands for
// (MatchLines); a new line, and one whose old line had no line end, takes before.NewLineBreak().
// The last line has no line end unless `lastEnded`.
LineStore KeepLineBreaks(const LineStore& before, const std::vector<std::string>& after,
                         bool lastEnded);

} // namespace velkar
