#include "document/LineMatch.h"

#include <algorithm>
#include <functional>
#include <string_view>

namespace velkar {

namespace {

// Beyond this many lines inserted and deleted the search gives up: its time grows with the
// number of lines times this bound, its memory with the square of the bound (about 2 MiB).
constexpr std::ptrdiff_t kMaxEdits = 512;

// Matches old lines [0, n) with new lines [0, m) (offsets into the caller's ranges) by Myers's
// greedy shortest edit script; false when it takes more than kMaxEdits edits. `same(x, y)` says
// whether old line x and new line y are equal.
bool ShortestScript(std::ptrdiff_t n, std::ptrdiff_t m,
                    const std::function<bool(std::ptrdiff_t, std::ptrdiff_t)>& same,
                    const std::function<void(std::ptrdiff_t, std::ptrdiff_t)>& match) {
    const std::ptrdiff_t limit = std::min(n + m, kMaxEdits);
    const std::ptrdiff_t offset = limit + 1;
    // v[offset + k]: the furthest x reached on diagonal k = x - y; trace[d] is v before round d.
    std::vector<std::ptrdiff_t> v(static_cast<std::size_t>(2 * offset + 1), 0);
    std::vector<std::vector<std::ptrdiff_t>> trace;
    const auto at = [&](const std::vector<std::ptrdiff_t>& w, std::ptrdiff_t k) {
        return w[static_cast<std::size_t>(offset + k)];
    };
    bool found = false;
    for (std::ptrdiff_t d = 0; d <= limit && !found; ++d) {
        trace.push_back(v);
        for (std::ptrdiff_t k = -d; k <= d; k += 2) {
            std::ptrdiff_t x = k == -d || (k != d && at(v, k - 1) < at(v, k + 1))
                                   ? at(v, k + 1)      // down: a line inserted
                                   : at(v, k - 1) + 1; // right: a line deleted
            std::ptrdiff_t y = x - k;
            while (x < n && y < m && same(x, y))
                ++x, ++y;
            v[static_cast<std::size_t>(offset + k)] = x;
            if (x >= n && y >= m) {
                found = true;
                break;
            }
        }
    }
    if (!found)
        return false;
    std::ptrdiff_t x = n, y = m;
    for (std::ptrdiff_t d = static_cast<std::ptrdiff_t>(trace.size()) - 1; d >= 0; --d) {
        const auto& w = trace[static_cast<std::size_t>(d)];
        const std::ptrdiff_t k = x - y;
        const std::ptrdiff_t previous =
            k == -d || (k != d && at(w, k - 1) < at(w, k + 1)) ? k + 1 : k - 1;
        const std::ptrdiff_t px = at(w, previous);
        const std::ptrdiff_t py = px - previous;
        while (x > px && y > py && x > 0 && y > 0) {
            match(x - 1, y - 1);
            --x, --y;
        }
        x = px;
        y = py;
    }
    return true;
}

} // namespace

std::vector<std::size_t> MatchLines(const LineStore& before,
                                    const std::vector<std::string>& after) {
    const std::size_t n = before.size();
    const std::size_t m = after.size();
    std::vector<std::size_t> matched(m, kNewLine);
    std::size_t head = 0;
    while (head < n && head < m && before[head] == after[head]) {
        matched[head] = head;
        ++head;
    }
    std::size_t tail = 0;
    while (tail < n - head && tail < m - head && before[n - 1 - tail] == after[m - 1 - tail]) {
        matched[m - 1 - tail] = n - 1 - tail;
        ++tail;
    }
    const std::size_t oldCount = n - head - tail;
    const std::size_t newCount = m - head - tail;

    // Hashes first: most comparisons are between lines that differ.
    std::vector<std::size_t> oldHash(oldCount), newHash(newCount);
    const std::hash<std::string_view> hash;
    for (std::size_t i = 0; i < oldCount; ++i)
        oldHash[i] = hash(before[head + i]);
    for (std::size_t j = 0; j < newCount; ++j)
        newHash[j] = hash(after[head + j]);
    const auto same = [&](std::ptrdiff_t x, std::ptrdiff_t y) {
        const auto i = static_cast<std::size_t>(x), j = static_cast<std::size_t>(y);
        return oldHash[i] == newHash[j] && before[head + i] == after[head + j];
    };
    std::vector<std::size_t> middle(newCount, kNewLine); // old line (from head) of each new one
    const bool scripted =
        ShortestScript(static_cast<std::ptrdiff_t>(oldCount), static_cast<std::ptrdiff_t>(newCount),
                       same, [&](std::ptrdiff_t x, std::ptrdiff_t y) {
                           middle[static_cast<std::size_t>(y)] = static_cast<std::size_t>(x);
                       });
    if (!scripted) {
        for (std::size_t j = 0; j < newCount && j < oldCount; ++j)
            matched[head + j] = head + j;
        return matched;
    }
    // Between two matched lines, changed lines pair with the old lines that went, in order.
    std::size_t nextOld = 0;
    for (std::size_t j = 0; j < newCount;) {
        if (middle[j] != kNewLine) {
            nextOld = middle[j] + 1;
            matched[head + j] = head + middle[j];
            ++j;
            continue;
        }
        std::size_t end = j;
        while (end < newCount && middle[end] == kNewLine)
            ++end;
        const std::size_t oldEnd = end < newCount ? middle[end] : oldCount;
        for (std::size_t k = j; k < end && nextOld < oldEnd; ++k)
            matched[head + k] = head + nextOld++;
        j = end;
    }
    return matched;
}

LineStore KeepLineBreaks(const LineStore& before, const std::vector<std::string>& after,
                         bool lastEnded) {
    const std::vector<std::size_t> matched = MatchLines(before, after);
    const LineBreak added = before.NewLineBreak();
    std::string bytes;
    for (std::size_t j = 0; j < after.size(); ++j) {
        bytes += after[j];
        if (j + 1 == after.size() && !lastEnded)
            break;
        const LineBreak kept =
            matched[j] == kNewLine ? LineBreak::None : before.lineBreak(matched[j]);
        bytes += LineBreakBytes(kept == LineBreak::None ? added : kept);
    }
    return LineStore::Split(bytes);
}

} // namespace velkar
