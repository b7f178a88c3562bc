#pragma once
// The lines of a document, kept as views into bytes the store owns: for a file read from disk
// the file's own bytes, split where its lines end. Nothing is converted or copied line by line:
// a line holds exactly the bytes between two line ends. A line rewritten no longer than it was
// is rewritten where it stands; a longer one, and every line added later, goes to a block the
// store allocates, with CR LF after it, so that the bytes of most documents can be written out
// in large runs as they stand.

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace velkar {

class LineStore {
  public:
    using value_type = std::string_view;
    using size_type = std::size_t;
    using difference_type = std::ptrdiff_t;
    using const_reference = const std::string_view&;
    using reference = const_reference;
    using const_iterator = std::vector<std::string_view>::const_iterator;
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
    LineStore(const std::vector<std::string>& lines);
    LineStore(std::initializer_list<std::string_view> lines);
    LineStore(const LineStore& other);
    LineStore(LineStore&&) noexcept = default;
    LineStore& operator=(const LineStore& other);
    LineStore& operator=(LineStore&&) noexcept = default;
    ~LineStore() = default;

    // The lines of `bytes` (copied): split at every CR LF, lone CR and lone LF; a final line end
    // adds no empty line; the text ends at the first NUL byte.
    static LineStore Split(std::string_view bytes);
    // The lines of block bytes `skip` .. end, split as above; the store keeps the block and
    // rewrites lines in it.
    static LineStore Split(Block block, std::size_t skip = 0);

    std::size_t size() const { return m_lines.size(); }
    bool empty() const { return m_lines.empty(); }
    // Read-only: a line changes through set() or replace().
    const std::string_view& operator[](std::size_t i) const { return m_lines[i]; }
    const std::string_view& front() const { return m_lines.front(); }
    const std::string_view& back() const { return m_lines.back(); }
    const_iterator begin() const { return m_lines.begin(); }
    const_iterator end() const { return m_lines.end(); }

    // Line `i` becomes `text` (which may be a view of this store).
    void set(std::size_t i, std::string_view text);
    // The first `count` characters of line `i` (all of a shorter line) become `text`; the rest
    // of the line stays. `text` must not be a view of this store.
    void replace(std::size_t i, std::size_t count, std::string_view text);

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
    // holds them, each followed by CR LF, one after the other: the number of lines, and in
    // `bytes` all of theirs. 0 (and `bytes` empty) when line `first` is not stored so.
    std::size_t CrlfRun(std::size_t first, std::string_view& bytes) const;

    friend bool operator==(const LineStore& a, const LineStore& b);
    friend bool operator==(const LineStore& a, const std::vector<std::string>& b);

  private:
    // Room for `size` bytes and CR LF after them, in the last block or a new one.
    char* Allocate(std::size_t size);
    // A copy of `text` followed by CR LF in allocated room.
    std::string_view Place(std::string_view text);
    // Makes a line that no longer fits its place point at `text`'s copy; drops the bytes left
    // behind once they outweigh the lines.
    void Move(std::size_t i, std::string_view text);
    template <typename Lines> void CopyFrom(const Lines& lines);

    std::vector<std::string_view> m_lines;
    std::vector<Block> m_blocks;
    std::size_t m_used = 0;      // bytes taken in the last block
    std::size_t m_abandoned = 0; // bytes of allocated room no line uses any more
};

} // namespace velkar
