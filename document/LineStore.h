#pragma once
// The lines of a document, kept as views into bytes the store owns: for a file read from disk
// the file's own bytes, split where its lines end. Nothing is converted or copied line by line:
// a line holds exactly the bytes between two line ends, and keeps the line end it had (CR LF,
// LF, CR, or none for a last line the file did not end). A line rewritten no longer than it was
// is rewritten where it stands; a longer one, and every line added later, goes to a block the
// store allocates, with its line end after it, so that the bytes of most documents can be
// written out in large runs as they stand.

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace velkar {

// What ends a line in a file.
enum class LineBreak : std::uint8_t { None, CrLf, Lf, Cr };

// The bytes of a line break: "", "\r\n", "\n" or "\r".
std::string_view LineBreakBytes(LineBreak lineBreak);

class LineStore {
  public:
  private:
    // A line's place and its line end in 16 bytes: a line's length fits 32 bits, since no file
    // of more than 256 MiB is read and no line grows beyond 4 GiB.
    struct Line {
        const char* data = nullptr;
        std::uint32_t size = 0;
        LineBreak lineBreak = LineBreak::None;

        std::string_view text() const { return {data, size}; }
    };

  public:
    using value_type = std::string_view;
    using size_type = std::size_t;
    using difference_type = std::ptrdiff_t;
    using const_reference = std::string_view;
    using reference = const_reference;

    // Walks the lines, giving each as a view.
    class const_iterator {
      public:
        using iterator_category = std::random_access_iterator_tag;
        using iterator_concept = std::random_access_iterator_tag;
        using value_type = std::string_view;
        using difference_type = std::ptrdiff_t;
        using reference = std::string_view;
        using pointer = void;

        const_iterator() = default;
        explicit const_iterator(const Line* line) : m_line(line) {}
        std::string_view operator*() const { return m_line->text(); }
        std::string_view operator[](difference_type n) const { return m_line[n].text(); }
        const_iterator& operator++() { return ++m_line, *this; }
        const_iterator operator++(int) { return const_iterator(m_line++); }
        const_iterator& operator--() { return --m_line, *this; }
        const_iterator operator--(int) { return const_iterator(m_line--); }
        const_iterator& operator+=(difference_type n) { return m_line += n, *this; }
        const_iterator& operator-=(difference_type n) { return m_line -= n, *this; }
        friend const_iterator operator+(const_iterator it, difference_type n) { return it += n; }
        friend const_iterator operator+(difference_type n, const_iterator it) { return it += n; }
        friend const_iterator operator-(const_iterator it, difference_type n) { return it -= n; }
        friend difference_type operator-(const_iterator a, const_iterator b) {
            return a.m_line - b.m_line;
        }
        friend bool operator==(const_iterator a, const_iterator b) = default;
        friend auto operator<=>(const_iterator a, const_iterator b) = default;

      private:
        const Line* m_line = nullptr;
    };
    using iterator = const_iterator;

    // Writable bytes the store owns, on the heap. Moving a block moves no byte, so views into
    // it stay valid.
    class Block {
      public:
        Block() = default;
        // `size` bytes, not initialised.
        explicit Block(std::size_t size);
        Block(Block&& other) noexcept;
        Block& operator=(Block&& other) noexcept;
        Block(const Block&) = delete;
        Block& operator=(const Block&) = delete;
        ~Block();

        char* data() const { return m_data; }
        std::size_t size() const { return m_size; }

      private:
        char* m_data = nullptr;
        std::size_t m_size = 0;
    };

    LineStore() = default;
    // Lines each ended by CR LF.
    LineStore(const std::vector<std::string>& lines);
    LineStore(std::initializer_list<std::string_view> lines);
    // `lines`, line i ended by `breaks[i]` (as many breaks as lines).
    LineStore(const std::vector<std::string_view>& lines, const std::vector<LineBreak>& breaks);
    LineStore(const LineStore& other);
    LineStore(LineStore&&) noexcept = default;
    LineStore& operator=(const LineStore& other);
    LineStore& operator=(LineStore&&) noexcept = default;
    ~LineStore() = default;

    // The lines of `bytes` (copied): split at every CR LF, lone CR and lone LF, each keeping the
    // line end it had; a final line end adds no empty line, and a last line without one keeps
    // none; the text ends at the first NUL byte.
    static LineStore Split(std::string_view bytes);
    // The lines of block bytes `skip` .. end, split as above; the store keeps the block and
    // rewrites lines in it. With `nulIsText` NUL bytes are characters of the lines, and only
    // those that pad the end are left out.
    static LineStore Split(Block block, std::size_t skip = 0, bool nulIsText = false);
    // The number of lines Split(bytes) makes, counted in one pass without making them.
    static std::size_t Count(std::string_view bytes);

    std::size_t size() const { return m_lines.size(); }
    bool empty() const { return m_lines.empty(); }
    // Read-only: a line changes through set() or replace().
    std::string_view operator[](std::size_t i) const { return m_lines[i].text(); }
    std::string_view front() const { return m_lines.front().text(); }
    std::string_view back() const { return m_lines.back().text(); }
    const_iterator begin() const { return const_iterator(m_lines.data()); }
    const_iterator end() const { return const_iterator(m_lines.data() + m_lines.size()); }
    // What ends line `i` in the file.
    LineBreak lineBreak(std::size_t i) const { return m_lines[i].lineBreak; }
    // The line end that lines added to the store take: the first line's, CR LF when it has none.
    LineBreak NewLineBreak() const;

    // Line `i` becomes `text` (which may be a view of this store); its line end stays.
    void set(std::size_t i, std::string_view text);
    // The first `count` characters of line `i` (all of a shorter line) become `text`; the rest
    // of the line stays. `text` must not be a view of this store.
    void replace(std::size_t i, std::size_t count, std::string_view text);
    // Writes `text` over bytes [at, at + text.size()) of line i, which lie within the line: a
    // field rewritten at its own width, without moving any other byte.
    void overwrite(std::size_t i, std::size_t at, std::string_view text);

    // Adds a line ended by NewLineBreak(); a last line that had no line end gets that one too.
    void push_back(std::string_view text);
    template <typename... Args> void emplace_back(Args&&... args) {
        push_back(std::string(std::forward<Args>(args)...));
    }
    template <typename It> void assign(It first, It last) {
        clear();
        for (; first != last; ++first)
            push_back(std::string_view(*first));
    }
    void clear();

    // The lines as strings, for code that keeps its own copies.
    std::vector<std::string> strings() const;

    // The longest run of lines from `first` on whose bytes stand in memory exactly as a file
    // holds them, each followed by its line end, one after the other: the number of lines, and
    // in `bytes` all of theirs. 0 (and `bytes` empty) when line `first` is not stored so.
    std::size_t StoredRun(std::size_t first, std::string_view& bytes) const;

    // Same lines with the same line ends.
    friend bool operator==(const LineStore& a, const LineStore& b);
    // Same lines (line ends aside).
    friend bool operator==(const LineStore& a, const std::vector<std::string>& b);

  private:
    // Room for `size` bytes and `lineBreak` after them, in the last block or a new one.
    char* Allocate(std::size_t size, LineBreak lineBreak);
    // A copy of `text` followed by `lineBreak` in allocated room.
    std::string_view Place(std::string_view text, LineBreak lineBreak);
    // Makes a line that no longer fits its place point at `text`'s copy; drops the bytes left
    // behind once they outweigh the lines.
    void Move(std::size_t i, std::string_view text);
    // Copies `lines`; line i ends with breakOf(i).
    template <typename Lines, typename BreakOf> void CopyFrom(const Lines& lines, BreakOf breakOf);

    // Makes line `i` the `size` bytes at `data`, its line end unchanged.
    void Point(std::size_t i, const char* data, std::size_t size);

    std::vector<Line> m_lines;
    std::vector<Block> m_blocks;
    std::size_t m_used = 0;      // bytes taken in the last block
    std::size_t m_abandoned = 0; // bytes of allocated room no line uses any more
};

} // namespace velkar
