#pragma once
// What the main window needs of a media player: whether a file is open, the position and the
// length in the document's unit, that unit, and seeking. The built-in player comes with the
// playback code; until a file is opened the window talks to NoMedia.

#include <cstdint>

namespace velkar::gui {

enum class TimeUnit {
    Milliseconds,
    Frames, // while a MicroDVD document is loaded: positions compare with its frame numbers
};

class MediaPlayer {
  public:
    virtual ~MediaPlayer() = default;
    virtual bool mediaLoaded() const = 0;
    // Position and length in the current time unit; 0 without media.
    virtual std::int32_t position() const = 0;
    virtual std::int32_t length() const = 0;
    virtual TimeUnit timeUnit() const = 0;
    virtual void setTimeUnit(TimeUnit unit) = 0;
    // Moves to `position` (current time unit); ignored without media.
    virtual void seek(std::int32_t position) = 0;
};

// No media open: position and length 0, seeking does nothing; the time unit is kept so that
// the document's unit is in place when a player takes over.
class NoMedia final : public MediaPlayer {
  public:
    bool mediaLoaded() const override { return false; }
    std::int32_t position() const override { return 0; }
    std::int32_t length() const override { return 0; }
    TimeUnit timeUnit() const override { return m_unit; }
    void setTimeUnit(TimeUnit unit) override { m_unit = unit; }
    void seek(std::int32_t) override {}

  private:
    TimeUnit m_unit = TimeUnit::Milliseconds;
};

} // namespace velkar::gui
