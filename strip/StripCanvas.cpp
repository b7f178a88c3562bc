#include "strip/StripCanvas.h"

#include "app/Guard.h"
#include "strip/TimingStrip.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace velkar::gui {

namespace {
constexpr int kRulerHeight = 14;
constexpr int kSpeechHeight = 6;
constexpr int kBlockHeight = 34;
constexpr double kClickPixels = 3; // a press that moves less is a click

// A tick step of 1, 2 or 5 times a power of ten (ms) that puts about 80 pixels between ticks.
double TickStep(double msPerPixel) {
    const double wanted = 80 * msPerPixel;
    double step = 100;
    for (double base = 100; base < 1e9; base *= 10)
        for (double k : {1.0, 2.0, 5.0})
            if (base * k >= wanted)
                return base * k;
    return step;
}

QString Clock(double ms) {
    const auto total = static_cast<long long>(std::llround(ms / 100)); // tenths
    const long long h = total / 36000, m = total / 600 % 60, s = total / 10 % 60, t = total % 10;
    return h > 0 ? QStringLiteral("%1:%2:%3")
                       .arg(h)
                       .arg(m, 2, 10, QChar('0'))
                       .arg(s, 2, 10, QChar('0'))
                 : QStringLiteral("%1:%2.%3").arg(m).arg(s, 2, 10, QChar('0')).arg(t);
}
} // namespace

StripCanvas::StripCanvas(TimingStrip& strip, QWidget* parent) : QWidget(parent), m_strip(strip) {
    setMinimumHeight(kRulerHeight + kSpeechHeight + 60 + kBlockHeight);
    setMouseTracking(false);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void StripCanvas::resizeEvent(QResizeEvent* event) {
    m_strip.view().setWidth(width());
    QWidget::resizeEvent(event);
}

void StripCanvas::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const strip::StripView& view = m_strip.view();
    const int w = width();
    const int h = height();
    p.fillRect(rect(), QColor(24, 24, 28));

    // The ruler.
    p.setPen(QColor(150, 150, 150));
    const double step = TickStep(view.msPerPixel());
    for (double t = std::floor(view.startMs() / step) * step; t < view.startMs() + view.spanMs();
         t += step) {
        const int x = static_cast<int>(std::lround(view.xAt(t)));
        p.drawLine(x, 0, x, 4);
        p.drawText(x + 2, kRulerHeight - 2, Clock(t));
    }

    const int waveTop = kRulerHeight + kSpeechHeight;
    const int blockTop = h - kBlockHeight;
    const int waveMid = (waveTop + blockTop) / 2;
    const int waveHalf = std::max(1, (blockTop - waveTop) / 2 - 1);

    // The sound: speech as a band, the level as a waveform, a column per pixel.
    if (const autosync::MovieSpeech* sound = m_strip.sound()) {
        const auto& speech = sound->speech.frames;
        const auto& peaks = sound->peaks;
        const double framesPerPixel = view.msPerPixel() / autosync::kFrameMs;
        const QColor band(90, 200, 120);
        const QColor wave(110, 150, 220);
        for (int x = 0; x < w; ++x) {
            const double first = (view.startMs() / autosync::kFrameMs) + x * framesPerPixel;
            const auto from = static_cast<std::ptrdiff_t>(std::floor(first));
            const auto to = std::max<std::ptrdiff_t>(
                from + 1, static_cast<std::ptrdiff_t>(std::floor(first + framesPerPixel)));
            if (from < 0 || std::size_t(from) >= speech.size())
                continue;
            const auto end = std::min<std::ptrdiff_t>(to, std::ptrdiff_t(speech.size()));
            bool spoken = false;
            int loudest = 0;
            for (std::ptrdiff_t k = from; k < end; ++k) {
                spoken = spoken || speech[std::size_t(k)] != 0;
                if (std::size_t(k) < peaks.size())
                    loudest = std::max<int>(loudest, peaks[std::size_t(k)]);
            }
            if (spoken)
                p.fillRect(x, kRulerHeight, 1, kSpeechHeight - 1, band);
            const int half = loudest * waveHalf / 255;
            p.fillRect(x, waveMid - half, 1, 2 * half + 1, wave);
        }
    }

    // Blocks: where many share a pixel only their cover is drawn; wide ones get their text.
    const auto drawBlocks = [&](const std::vector<strip::Span>& spans, const QColor& fill,
                                const QColor& edge, bool texts, int top, int height) {
        std::vector<char> covered(std::size_t(w), 0);
        int drawn = 0;
        for (std::size_t i = 0; i < spans.size(); ++i) {
            const double left = view.xAt(spans[i].startMs);
            const double right = view.xAt(spans[i].endMs);
            if (right < 0 || left >= w)
                continue;
            const int l = std::max(0, static_cast<int>(std::floor(left)));
            const int r = std::min(w - 1, static_cast<int>(std::ceil(right)));
            if (r - l < 3) {
                for (int x = l; x <= r; ++x)
                    covered[std::size_t(x)] = 1;
                continue;
            }
            const QRect box(l, top, r - l, height);
            p.fillRect(box, fill);
            p.setPen(edge);
            p.drawRect(box.adjusted(0, 0, -1, -1));
            if (texts && r - l > 24 && drawn++ < 400) {
                p.setPen(Qt::white);
                p.drawText(box.adjusted(3, 1, -2, -1), Qt::AlignLeft | Qt::AlignVCenter,
                           p.fontMetrics().elidedText(m_strip.blockText(int(i)), Qt::ElideRight,
                                                      r - l - 5));
            }
        }
        for (int x = 0; x < w;) {
            if (!covered[std::size_t(x)]) {
                ++x;
                continue;
            }
            int end = x;
            while (end < w && covered[std::size_t(end)])
                ++end;
            p.fillRect(x, top, end - x, height, fill);
            x = end;
        }
    };
    drawBlocks(m_strip.ghosts(), QColor(120, 120, 120, 60), QColor(150, 150, 150, 90), false,
               blockTop, kBlockHeight - 2);
    drawBlocks(m_strip.preview(), QColor(240, 200, 60, 70), QColor(240, 200, 60), false, blockTop,
               kBlockHeight - 2);
    drawBlocks(m_strip.blocks(), QColor(60, 90, 160, 200), QColor(150, 180, 255), true, blockTop,
               kBlockHeight - 2);

    // The selected block, the one being dragged (where it would go), the sync points.
    const auto outline = [&](const strip::Span& span, const QColor& colour) {
        const QRectF box(view.xAt(span.startMs), blockTop,
                         view.xAt(span.endMs) - view.xAt(span.startMs), kBlockHeight - 2);
        p.setPen(QPen(colour, 2));
        p.setBrush(Qt::NoBrush);
        p.drawRect(box);
    };
    const int selected = m_strip.selected();
    if (selected >= 0 && std::size_t(selected) < m_strip.blocks().size())
        outline(m_strip.blocks()[std::size_t(selected)], QColor(255, 255, 255));
    if (m_drag.subtitle >= 0 && m_drag.moved)
        outline(m_strip.draggedSpan(m_drag.subtitle, m_drag.grip, m_drag.deltaMs),
                QColor(255, 160, 60));
    p.setPen(QPen(QColor(240, 200, 60), 2));
    for (const strip::SyncPoint& point : m_strip.syncPoints()) {
        const double x = view.xAt(m_strip.valueToMs(point.value));
        p.drawLine(QPointF(x, waveTop), QPointF(x, h));
    }

    // The play position.
    const double play = m_strip.playMs();
    if (play >= 0) {
        p.setPen(QPen(QColor(230, 60, 60), 1));
        const double x = view.xAt(play);
        p.drawLine(QPointF(x, 0), QPointF(x, h));
    }
}

void StripCanvas::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    const double x = event->position().x();
    const double ms = m_strip.view().msAt(x);
    Guarded(this, [&] {
        if (event->modifiers() & Qt::ShiftModifier) {
            m_strip.setStartAt(ms);
            return;
        }
        if (event->modifiers() & Qt::ControlModifier) {
            m_strip.setEndAt(ms);
            return;
        }
        // Blocks are taken only in their own band: above it the mouse seeks and scrolls.
        const strip::Hit hit = event->position().y() >= height() - kBlockHeight
                                   ? strip::HitBlock(m_strip.blocks(), m_strip.view(), x)
                                   : strip::Hit{};
        m_drag = Drag{hit.subtitle, hit.grip, x, 0, hit.subtitle < 0, false};
        if (hit.subtitle >= 0)
            m_strip.select(hit.subtitle);
    });
}

void StripCanvas::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton) || (m_drag.subtitle < 0 && !m_drag.scrolling))
        return;
    const double x = event->position().x();
    if (std::abs(x - m_drag.fromX) >= kClickPixels)
        m_drag.moved = true;
    if (!m_drag.moved)
        return;
    if (m_drag.scrolling) {
        m_strip.view().scroll(m_drag.fromX - x);
        m_drag.fromX = x;
    } else {
        m_drag.deltaMs = (x - m_drag.fromX) * m_strip.view().msPerPixel();
    }
    update();
}

void StripCanvas::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    const Drag done = m_drag;
    m_drag = Drag{};
    const double x = event->position().x();
    Guarded(this, [&] {
        if (!done.moved) {
            if (done.subtitle >= 0 || done.scrolling)
                m_strip.seekTo(m_strip.view().msAt(x));
        } else if (done.subtitle >= 0) {
            m_strip.dragBlock(done.subtitle, done.grip, done.deltaMs);
        }
    });
    update();
}

void StripCanvas::wheelEvent(QWheelEvent* event) {
    const int steps = event->angleDelta().y() / 120;
    if (steps == 0)
        return;
    m_strip.view().zoom(event->position().x(), std::pow(0.8, steps));
    update();
}

void StripCanvas::contextMenuEvent(QContextMenuEvent* event) {
    // On a block: that subtitle; elsewhere (where its speech starts, say): the selected one.
    const double x = event->pos().x();
    const strip::Hit hit = event->pos().y() >= height() - kBlockHeight
                               ? strip::HitBlock(m_strip.blocks(), m_strip.view(), x)
                               : strip::Hit{};
    if (hit.subtitle >= 0)
        m_strip.select(hit.subtitle);
    const int subtitle = m_strip.selected();
    if (subtitle < 0)
        return;
    QMenu menu(this);
    const double clicked = m_strip.view().msAt(x);
    const QString number = QString::number(subtitle + 1);
    QAction* here =
        menu.addAction(QStringLiteral("Sync point: subtitle %1 starts here").arg(number));
    QAction* atPlay = menu.addAction(
        QStringLiteral("Sync point: subtitle %1 starts at the play position").arg(number));
    atPlay->setEnabled(m_strip.playMs() >= 0);
    QAction* chosen = menu.exec(event->globalPos());
    Guarded(this, [&] {
        if (chosen == here)
            m_strip.addSyncPoint(subtitle, clicked);
        else if (chosen == atPlay)
            m_strip.addSyncPoint(subtitle, m_strip.playMs());
    });
}

} // namespace velkar::gui
