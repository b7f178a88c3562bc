#include "document/LineStore.h"

#include <cassert>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <sys/mman.h>
#include <utility>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace velkar {

namespace {

// Asks the kernel to back a large block with huge pages: a 65,535-subtitle document's line
// table then takes a handful of page faults instead of thousands. Only advice; nothing changes
// when the kernel declines.
void AdviseHugePages(void* data, std::size_t size) {
    constexpr std::uintptr_t kHugePage = 2u << 20;
    if (size < 2 * kHugePage)
        return;
    const auto begin = (reinterpret_cast<std::uintptr_t>(data) + kHugePage - 1) & ~(kHugePage - 1);
    const auto end = (reinterpret_cast<std::uintptr_t>(data) + size) & ~(kHugePage - 1);
    if (end > begin)
        ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

// Calls add(first, last, lineBreak) for every line of [begin, end): lines end at every CR LF,
// lone CR and lone LF, and a final line end adds no empty line (a last line without one ends
// with LineBreak::None). A line ends at an LF (one CR right before it belongs to the line end)
// or at a CR that no LF follows.
template <typename Add> void ForEachLine(const char* const begin, const char* const end, Add add) {
    const char* start = begin; // where the current line begins
    const char* p = begin;
#ifdef __SSE2__
    // 64 bytes at a time: masks of their CRs and LFs, bit k for byte k.
    const __m128i cr = _mm_set1_epi8('\r'), lf = _mm_set1_epi8('\n');
    auto mask = [](const char* q, __m128i c) {
        std::uint64_t m = 0;
        for (int k = 0; k < 4; ++k) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(q + 16 * k));
            m |= static_cast<std::uint64_t>(
                     static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, c))))
                 << (16 * k);
        }
        return m;
    };
    std::uint64_t crCarry = 0; // 1 when the byte before this block is a CR
    for (; end - p >= 64; p += 64) {
        const std::uint64_t crs = mask(p, cr), lfs = mask(p, lf);
        const std::uint64_t lfNext = (lfs >> 1) | (end - p > 64 && p[64] == '\n' ? 1ull << 63 : 0);
        const std::uint64_t crBefore = (crs << 1) | crCarry;
        crCarry = crs >> 63;
        for (std::uint64_t ends = lfs | (crs & ~lfNext); ends != 0; ends &= ends - 1) {
            const int k = __builtin_ctzll(ends);
            if ((lfs >> k & 1) == 0) {
                add(start, p + k, LineBreak::Cr);
            } else if ((crBefore >> k & 1) != 0) {
                add(start, p + k - 1, LineBreak::CrLf);
            } else {
                add(start, p + k, LineBreak::Lf);
            }
            start = p + k + 1;
        }
    }
#endif
    for (; p < end; ++p) {
        if (*p == '\n') {
            if (p > start && p[-1] == '\r')
                add(start, p - 1, LineBreak::CrLf);
            else
                add(start, p, LineBreak::Lf);
            start = p + 1;
        } else if (*p == '\r' && !(p + 1 < end && p[1] == '\n')) {
            add(start, p, LineBreak::Cr);
            start = p + 1;
        }
    }
    if (start < end)
        add(start, end, LineBreak::None);
}

// The number of lines ForEachLine finds in [begin, *end) and, where a NUL byte ends the text
// before *end, *end moved to it: one pass over the bytes, only counting. With `nulIsText` a NUL
// byte is a character like any other, and only the NUL bytes that pad the end are cut off.
std::size_t CountLines(const char* const begin, const char*& end, bool nulIsText = false) {
    std::size_t count = 0;
    if (nulIsText)
        while (end > begin && end[-1] == '\0')
            --end;
    const char* p = begin;
#ifdef __SSE2__
    // As ForEachLine: a line ends at every LF and at every CR that no LF follows. 64 bytes at a
    // time, each byte that ends a line adding 1 to its lane of a byte counter, which is emptied
    // into a wider one before any lane could pass 255; the byte after each is looked at too.
    const __m128i cr = _mm_set1_epi8('\r'), lf = _mm_set1_epi8('\n'), zero = _mm_setzero_si128();
    __m128i lanes = zero, total = zero;
    int rounds = 0;
    for (; end - p > 64; p += 64) {
        __m128i v[4];
        int nuls = 0;
        for (int k = 0; k < 4; ++k) {
            v[k] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
            nuls |= _mm_movemask_epi8(_mm_cmpeq_epi8(v[k], zero));
        }
        if (nuls != 0 && !nulIsText)
            break; // the bytes from here on are counted one by one, up to the NUL
        for (int k = 0; k < 4; ++k) {
            const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k + 1));
            const __m128i ends =
                _mm_or_si128(_mm_cmpeq_epi8(v[k], lf),
                             _mm_andnot_si128(_mm_cmpeq_epi8(next, lf), _mm_cmpeq_epi8(v[k], cr)));
            lanes = _mm_sub_epi8(lanes, ends); // a match is -1
        }
        if (++rounds == 63) {
            total = _mm_add_epi64(total, _mm_sad_epu8(lanes, zero));
            lanes = zero;
            rounds = 0;
        }
    }
    total = _mm_add_epi64(total, _mm_sad_epu8(lanes, zero));
    count = static_cast<std::size_t>(_mm_cvtsi128_si64(total)) +
            static_cast<std::size_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(total, total)));
#endif
    for (; p < end; ++p) {
        if (*p == '\0' && !nulIsText) {
            end = p;
            break;
        }
        if (*p == '\n' || (*p == '\r' && !(p + 1 < end && p[1] == '\n')))
            ++count;
    }
    // A last line that no line end closes.
    if (end > begin && end[-1] != '\n' && end[-1] != '\r')
        ++count;
    return count;
}

// A line's length as stored; no line comes near 4 GiB (files above 256 MiB are never read),
// and one that did would be refused rather than cut.
std::uint32_t CheckedSize(std::size_t size) {
    if (size > UINT32_MAX)
        throw std::length_error("A line of more than 4 GiB");
    return static_cast<std::uint32_t>(size);
}

// Blocks allocated for lines that do not fit their place grow with the store, up to this size.
constexpr std::size_t kMinBlock = 256, kMaxBlock = 1 << 20;
// Bytes left behind by moved lines are dropped (the store copied afresh) once there are more
// of them than this and than half of all the store holds.
constexpr std::size_t kAbandonedLimit = 1 << 20;

} // namespace

std::string_view LineBreakBytes(LineBreak lineBreak) {
    switch (lineBreak) {
    case LineBreak::CrLf:
        return "\r\n";
    case LineBreak::Lf:
        return "\n";
    case LineBreak::Cr:
        return "\r";
    default:
        return {};
    }
}

LineStore::Block::Block(std::size_t size) : m_data(new char[size]), m_size(size) {
    AdviseHugePages(m_data, m_size);
}

LineStore::Block::Block(Block&& other) noexcept
    : m_data(std::exchange(other.m_data, nullptr)), m_size(std::exchange(other.m_size, 0)) {}

LineStore::Block& LineStore::Block::operator=(Block&& other) noexcept {
    if (this != &other) {
        Block old(std::move(*this));
        m_data = std::exchange(other.m_data, nullptr);
        m_size = std::exchange(other.m_size, 0);
    }
    return *this;
}

LineStore::Block::~Block() {
    delete[] m_data;
}

template <typename Lines, typename BreakOf>
void LineStore::CopyFrom(const Lines& lines, BreakOf breakOf) {
    std::size_t total = 0, i = 0;
    for (const auto& line : lines)
        total += std::string_view(line).size() + LineBreakBytes(breakOf(i++)).size();
    m_lines.reserve(lines.size());
    Block block(total);
    char* p = block.data();
    i = 0;
    for (const auto& item : lines) {
        const std::string_view line(item);
        const LineBreak lineBreak = breakOf(i++);
        const std::string_view end = LineBreakBytes(lineBreak);
        if (!line.empty())
            std::memcpy(p, line.data(), line.size());
        m_lines.push_back({p, CheckedSize(line.size()), lineBreak});
        p += line.size();
        if (!end.empty())
            std::memcpy(p, end.data(), end.size());
        p += end.size();
    }
    if (total == 0)
        return;
    m_blocks.push_back(std::move(block));
    m_used = total;
}

LineStore::LineStore(const std::vector<std::string>& lines) {
    CopyFrom(lines, [](std::size_t) { return LineBreak::CrLf; });
}

LineStore::LineStore(std::initializer_list<std::string_view> lines) {
    CopyFrom(lines, [](std::size_t) { return LineBreak::CrLf; });
}

LineStore::LineStore(const std::vector<std::string_view>& lines,
                     const std::vector<LineBreak>& breaks) {
    CopyFrom(lines, [&](std::size_t i) { return breaks[i]; });
}

LineStore::LineStore(const LineStore& other) {
    CopyFrom(other, [&](std::size_t i) { return other.m_lines[i].lineBreak; });
}

LineStore& LineStore::operator=(const LineStore& other) {
    if (this != &other) {
        LineStore copy(other);
        *this = std::move(copy);
    }
    return *this;
}

LineStore LineStore::Split(std::string_view bytes) {
    // An empty view may have no data at all, which memchr must not be given.
    if (const void* nul = bytes.empty() ? nullptr : std::memchr(bytes.data(), '\0', bytes.size()))
        bytes = bytes.substr(0, static_cast<const char*>(nul) - bytes.data());
    Block block(bytes.size());
    if (!bytes.empty())
        std::memcpy(block.data(), bytes.data(), bytes.size());
    return Split(std::move(block));
}

LineStore LineStore::Split(Block block, std::size_t skip, bool nulIsText) {
    LineStore store;
    skip = std::min(skip, block.size());
    const char* const begin = block.data() + skip;
    const char* end = block.data() + block.size();
    // Counted first, so that the table of lines takes 16 bytes a line (where the line is and
    // its line end) and no more, even while it is filled (a file of bare line ends would otherwise
    // cost many times its size).
    const std::size_t count = CountLines(begin, end, nulIsText);
    store.m_lines.reserve(count);
    AdviseHugePages(store.m_lines.data(), store.m_lines.capacity() * sizeof(Line));
    ForEachLine(begin, end, [&](const char* first, const char* last, LineBreak lineBreak) {
        store.m_lines.push_back(
            {first, CheckedSize(static_cast<std::size_t>(last - first)), lineBreak});
    });
    store.m_used = block.size();
    store.m_blocks.push_back(std::move(block));
    return store;
}

std::size_t LineStore::Count(std::string_view bytes) {
    const char* end = bytes.data() + bytes.size();
    return bytes.empty() ? 0 : CountLines(bytes.data(), end);
}

char* LineStore::Allocate(std::size_t size, LineBreak lineBreak) {
    const std::string_view end = LineBreakBytes(lineBreak);
    const std::size_t need = size + end.size();
    if (m_blocks.empty() || m_blocks.back().size() - m_used < need) {
        const std::size_t last = m_blocks.empty() ? 0 : m_blocks.back().size();
        m_blocks.emplace_back(std::max(need, std::clamp(2 * last, kMinBlock, kMaxBlock)));
        m_used = 0;
    }
    char* p = m_blocks.back().data() + m_used;
    m_used += need;
    if (!end.empty())
        std::memcpy(p + size, end.data(), end.size());
    return p;
}

std::string_view LineStore::Place(std::string_view text, LineBreak lineBreak) {
    char* p = Allocate(text.size(), lineBreak);
    if (!text.empty())
        std::memcpy(p, text.data(), text.size());
    return {p, text.size()};
}

void LineStore::Point(std::size_t i, const char* data, std::size_t size) {
    m_lines[i].data = data;
    m_lines[i].size = CheckedSize(size);
}

void LineStore::Move(std::size_t i, std::string_view text) {
    m_abandoned += m_lines[i].size + LineBreakBytes(m_lines[i].lineBreak).size();
    Point(i, text.data(), text.size());
    std::size_t held = 0;
    for (const Block& block : m_blocks)
        held += block.size();
    if (m_abandoned > kAbandonedLimit && 2 * m_abandoned > held)
        *this = LineStore(*this);
}

void LineStore::set(std::size_t i, std::string_view text) {
    const std::string_view line = m_lines[i].text();
    if (text.size() <= line.size()) {
        if (!text.empty())
            std::memmove(const_cast<char*>(line.data()), text.data(), text.size());
        Point(i, line.data(), text.size());
        return;
    }
    Move(i, Place(text, m_lines[i].lineBreak));
}

void LineStore::replace(std::size_t i, std::size_t count, std::string_view text) {
    const std::string_view line = m_lines[i].text();
    count = std::min(count, line.size());
    const std::size_t rest = line.size() - count;
    if (text.size() <= count) {
        char* p = const_cast<char*>(line.data());
        if (text.size() != count)
            std::memmove(p + text.size(), p + count, rest);
        if (!text.empty())
            std::memcpy(p, text.data(), text.size());
        Point(i, p, text.size() + rest);
        return;
    }
    char* p = Allocate(text.size() + rest, m_lines[i].lineBreak);
    std::memcpy(p, text.data(), text.size());
    if (rest != 0)
        std::memcpy(p + text.size(), line.data() + count, rest);
    Move(i, {p, text.size() + rest});
}

void LineStore::overwrite(std::size_t i, std::size_t at, std::string_view text) {
    const std::string_view line = m_lines[i].text();
    assert(at <= line.size() && text.size() <= line.size() - at);
    if (!text.empty())
        std::memcpy(const_cast<char*>(line.data()) + at, text.data(), text.size());
}

LineBreak LineStore::NewLineBreak() const {
    return m_lines.empty() || m_lines.front().lineBreak == LineBreak::None
               ? LineBreak::CrLf
               : m_lines.front().lineBreak;
}

void LineStore::push_back(std::string_view text) {
    const LineBreak lineBreak = NewLineBreak();
    if (!m_lines.empty() && m_lines.back().lineBreak == LineBreak::None) {
        // The last line is the last no longer: it takes a line end, after its bytes if there is
        // room, which there is not where the file ended.
        m_lines.back().lineBreak = lineBreak;
        const std::size_t last = m_lines.size() - 1;
        Move(last, Place(m_lines[last].text(), lineBreak));
    }
    const std::string_view placed = Place(text, lineBreak);
    m_lines.push_back({placed.data(), CheckedSize(placed.size()), lineBreak});
}

void LineStore::clear() {
    std::vector<Line>().swap(m_lines);
    m_blocks.clear();
    m_used = 0;
    m_abandoned = 0;
}

std::vector<std::string> LineStore::strings() const {
    return std::vector<std::string>(begin(), end());
}

std::size_t LineStore::StoredRun(std::size_t first, std::string_view& bytes) const {
    bytes = {};
    if (first >= m_lines.size())
        return 0;
    const char* const start = m_lines[first].data;
    const char* blockEnd = nullptr;
    for (const Block& block : m_blocks)
        if (start >= block.data() && start < block.data() + block.size()) {
            blockEnd = block.data() + block.size();
            break;
        }
    if (!blockEnd)
        return 0;
    const char* cursor = start;
    std::size_t i = first;
    for (; i < m_lines.size(); ++i) {
        const std::string_view line = m_lines[i].text();
        const LineBreak lineBreak = m_lines[i].lineBreak;
        if (line.data() != cursor || static_cast<std::size_t>(blockEnd - cursor) < line.size())
            break;
        const std::size_t room = static_cast<std::size_t>(blockEnd - cursor) - line.size();
        const char* after = cursor + line.size();
        if (lineBreak == LineBreak::CrLf) {
            if (room < 2 || after[0] != '\r' || after[1] != '\n')
                break;
            cursor = after + 2;
        } else if (lineBreak == LineBreak::Lf || lineBreak == LineBreak::Cr) {
            if (room < 1 || after[0] != (lineBreak == LineBreak::Lf ? '\n' : '\r'))
                break;
            cursor = after + 1;
        } else {
            cursor = after;
        }
    }
    bytes = {start, static_cast<std::size_t>(cursor - start)};
    return i - first;
}

bool operator==(const LineStore& a, const LineStore& b) {
    return std::equal(a.m_lines.begin(), a.m_lines.end(), b.m_lines.begin(), b.m_lines.end(),
                      [](const LineStore::Line& x, const LineStore::Line& y) {
                          return x.lineBreak == y.lineBreak && x.text() == y.text();
                      });
}

bool operator==(const LineStore& a, const std::vector<std::string>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end());
}

} // namespace velkar
