#pragma once
// The timing strip's geometry, without drawing: which stretch of the film it shows over its
// width, how the wheel zooms and a drag scrolls it, and which subtitle's block (or edge) lies
// under a point.

#include "document/SubtitleDocument.h"

#include <cstdint>
#include <vector>

namespace velkar::strip {

// A subtitle's block along the film, in ms.
struct Span {
    double startMs = 0;
    double endMs = 0;
};

class StripView {
  public:
    static constexpr double kNarrowestMs = 2000; // the most the wheel zooms in

    // The strip's width in pixels (at least 1) and the film's length in ms (0: not known yet,
    // the strip then reaches as far as the subtitles).
    void setWidth(int pixels);
    void setFilmMs(double lengthMs);

    double startMs() const { return m_startMs; }
    double spanMs() const { return m_spanMs; }
    int width() const { return m_width; }
    double msPerPixel() const { return m_spanMs / m_width; }
    double msAt(double x) const { return m_startMs + x * msPerPixel(); }
    double xAt(double ms) const { return (ms - m_startMs) / msPerPixel(); }

    // Zooms by `factor` (below 1: in) keeping the time under `x` where it is; the span stays
    // between kNarrowestMs and the whole film.
    void zoom(double x, double factor);
    // Scrolls by `dx` pixels (positive: later times come into view), within the film.
    void scroll(double dx);
    // Pages so that `ms` is in view, as a strip that follows playback does; nothing while it is.
    void follow(double ms);

  private:
    void keepInFilm();

    double m_startMs = 0;
    double m_spanMs = 20000;
    double m_filmMs = 0;
    int m_width = 1;
};

// Which part of a block a point takes.
enum class Grip { None, Start, End, Body };

struct Hit {
    int subtitle = -1; // -1: the empty background
    Grip grip = Grip::None;
};

// The block under `x`: a later block drawn over an earlier one wins; within `edgePixels` of a
// block's start or end (and the block at least three times as wide) the grip is that edge.
Hit HitBlock(const std::vector<Span>& blocks, const StripView& view, double x,
             double edgePixels = 4);

// The start and end of a block after a drag of `grip` by `delta` (in the document's unit), each
// moved value rounded to a multiple of `unit`: an edge stops one unit short of the other, and
// nothing goes below 0 (a moved block keeps its length).
std::pair<TimeValue, TimeValue> DraggedTimes(TimeValue start, TimeValue end, Grip grip,
                                             std::int64_t delta, std::int32_t unit);

} // namespace velkar::strip
