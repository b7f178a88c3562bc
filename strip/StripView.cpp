#include "strip/StripView.h"

#include <algorithm>
#include <cmath>

namespace velkar::strip {

void StripView::setWidth(int pixels) {
    m_width = std::max(1, pixels);
}

void StripView::setFilmMs(double lengthMs) {
    m_filmMs = std::max(0.0, lengthMs);
    keepInFilm();
}

void StripView::zoom(double x, double factor) {
    const double at = msAt(x);
    const double widest = std::max(kNarrowestMs, m_filmMs);
    m_spanMs = std::clamp(m_spanMs * factor, kNarrowestMs, widest);
    m_startMs = at - x * msPerPixel();
    keepInFilm();
}

void StripView::scroll(double dx) {
    m_startMs += dx * msPerPixel();
    keepInFilm();
}

void StripView::follow(double ms) {
    if (ms >= m_startMs && ms < m_startMs + m_spanMs)
        return;
    // The position comes in a tenth of the way from the left edge.
    m_startMs = ms - m_spanMs / 10;
    keepInFilm();
}

void StripView::keepInFilm() {
    if (m_filmMs > 0)
        m_startMs = std::min(m_startMs, std::max(0.0, m_filmMs - m_spanMs));
    m_startMs = std::max(0.0, m_startMs);
}

Hit HitBlock(const std::vector<Span>& blocks, const StripView& view, double x, double edgePixels) {
    for (std::size_t k = blocks.size(); k-- > 0;) {
        const double left = view.xAt(blocks[k].startMs);
        const double right = view.xAt(blocks[k].endMs);
        if (x < left - edgePixels || x > right + edgePixels)
            continue;
        const bool roomy = right - left >= 3 * edgePixels;
        if (roomy && std::abs(x - left) <= edgePixels)
            return {int(k), Grip::Start};
        if (roomy && std::abs(x - right) <= edgePixels)
            return {int(k), Grip::End};
        if (x >= left && x <= right)
            return {int(k), Grip::Body};
    }
    return {};
}

namespace {
std::int64_t Snap(std::int64_t value, std::int32_t unit) {
    const std::int64_t u = std::max<std::int32_t>(unit, 1);
    const std::int64_t down = value >= 0 ? value / u * u : -((-value + u - 1) / u) * u;
    return value - down >= u - (value - down) ? down + u : down;
}
} // namespace

std::pair<TimeValue, TimeValue> DraggedTimes(TimeValue start, TimeValue end, Grip grip,
                                             std::int64_t delta, std::int32_t unit) {
    const std::int64_t u = std::max<std::int32_t>(unit, 1);
    std::int64_t s = start;
    std::int64_t e = end;
    switch (grip) {
    case Grip::Start:
        s = std::clamp<std::int64_t>(Snap(start + delta, unit), 0,
                                     std::max<std::int64_t>(0, e - u));
        break;
    case Grip::End:
        e = std::max<std::int64_t>(Snap(end + delta, unit), s + u);
        break;
    case Grip::Body: {
        std::int64_t moved = Snap(start + delta, unit) - start;
        moved = std::max<std::int64_t>(moved, -s);
        s += moved;
        e += moved;
        break;
    }
    case Grip::None:
        break;
    }
    return {std::min(s, kMaxTimeValue), std::min(e, kMaxTimeValue)};
}

} // namespace velkar::strip
