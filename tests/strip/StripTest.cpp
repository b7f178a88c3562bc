// The timing strip's geometry and edits: the view's zoom and scroll stay on the film, hits find
// the block and edge under a point, drags land on the format's unit, one subtitle's change
// touches only its timing line, and sync points re-time exactly as the piecewise sync does.

#include "strip/StripEdits.h"
#include "strip/StripView.h"

#include "TestSupport.h"
#include "document/Errors.h"
#include "document/LineIo.h"
#include "document/Progress.h"
#include "document/TimeCode.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

namespace velkar::strip {
namespace {

TEST(StripView, ZoomKeepsTheTimeUnderThePointerAndStaysOnTheFilm) {
    StripView view;
    view.setWidth(1000);
    view.setFilmMs(3600000);
    view.zoom(0, 1e9); // out as far as it goes: the whole film
    EXPECT_DOUBLE_EQ(view.spanMs(), 3600000);
    EXPECT_DOUBLE_EQ(view.startMs(), 0);
    std::mt19937 random(3);
    for (int k = 0; k < 200; ++k) {
        const double x = random() % 1000;
        const double before = view.msAt(x);
        const double factor = k % 2 ? 0.5 : 1.7;
        view.zoom(x, factor);
        EXPECT_GE(view.spanMs(), StripView::kNarrowestMs);
        EXPECT_LE(view.spanMs(), 3600000);
        EXPECT_GE(view.startMs(), 0);
        EXPECT_LE(view.startMs() + view.spanMs(), 3600000 + 1e-6);
        // Away from the film's ends the time under the pointer stays put.
        if (view.startMs() > 0 && view.startMs() + view.spanMs() < 3600000 - 1e-6 &&
            view.spanMs() > StripView::kNarrowestMs && view.spanMs() < 3600000) {
            EXPECT_NEAR(view.msAt(x), before, 1e-6);
        }
    }
    view.zoom(500, 1e-9);
    EXPECT_DOUBLE_EQ(view.spanMs(), StripView::kNarrowestMs);

    view.scroll(-1e9);
    EXPECT_DOUBLE_EQ(view.startMs(), 0);
    view.scroll(1e12);
    EXPECT_DOUBLE_EQ(view.startMs(), 3600000 - view.spanMs());
    view.follow(1000); // out of view: pages to it
    EXPECT_LE(view.startMs(), 1000);
    EXPECT_GT(view.startMs() + view.spanMs(), 1000);
    const double start = view.startMs();
    view.follow(1500); // in view: stays
    EXPECT_DOUBLE_EQ(view.startMs(), start);
}

TEST(StripView, HitsFindTheBlockAndItsEdges) {
    StripView view;
    view.setWidth(1000);
    view.setFilmMs(10000);
    view.zoom(0, 100); // 10 ms a pixel
    const std::vector<Span> blocks = {{1000, 2000}, {1900, 3000}, {5000, 5020}};
    struct Case {
        double x;
        int subtitle;
        Grip grip;
    };
    for (const Case& c : std::vector<Case>{{50, -1, Grip::None},
                                           {100, 0, Grip::Start},
                                           {150, 0, Grip::Body},
                                           {192, 1, Grip::Start}, // the later block is on top
                                           {250, 1, Grip::Body},
                                           {299, 1, Grip::End},
                                           {305, -1, Grip::None},
                                           {501, 2, Grip::Body}}) { // too narrow for edges
        const Hit hit = HitBlock(blocks, view, c.x);
        EXPECT_EQ(hit.subtitle, c.subtitle) << c.x;
        EXPECT_EQ(hit.grip, c.grip) << c.x;
    }
}

TEST(DraggedTimes, LandOnTheUnitAndKeepTheBlockWhole) {
    std::mt19937 random(11);
    for (int k = 0; k < 5000; ++k) {
        const std::int32_t unit = std::vector<std::int32_t>{1, 10, 100}[random() % 3];
        const std::int32_t start = static_cast<std::int32_t>(random() % 100000) / unit * unit;
        const std::int32_t end = start + unit * std::int32_t(1 + random() % 500);
        const std::int64_t delta = std::int64_t(random() % 200001) - 100000;
        const Grip grip = std::vector<Grip>{Grip::Start, Grip::End, Grip::Body}[random() % 3];
        const auto [s, e] = DraggedTimes(start, end, grip, delta, unit);
        ASSERT_EQ(s % unit, 0);
        ASSERT_EQ(e % unit, 0);
        ASSERT_GE(s, 0);
        ASSERT_GE(e - s, unit);
        // The reference: the moved value to the nearest multiple, then held in bounds.
        const auto nearest = [&](std::int64_t v) {
            return std::int64_t(std::floor(double(v) / unit + 0.5)) * unit;
        };
        switch (grip) {
        case Grip::Start:
            ASSERT_EQ(e, end);
            ASSERT_EQ(s, std::clamp<std::int64_t>(nearest(start + delta), 0, end - unit));
            break;
        case Grip::End:
            ASSERT_EQ(s, start);
            ASSERT_EQ(e, std::max<std::int64_t>(nearest(end + delta), start + unit));
            break;
        default:
            ASSERT_EQ(e - s, end - start);
            ASSERT_EQ(s, std::max<std::int64_t>(nearest(start + delta), 0));
        }
    }
}

const std::string kFilm = "1\r\n00:00:01,000 --> 00:00:03,000\r\n<i>One</i>\r\n\r\n"
                          "2\r\n00:00:04,000 --> 00:00:06,000\r\nTwo\r\n\r\n"
                          "3\r\n00:00:10,000 --> 00:00:12,000\r\nThree\r\n\r\n"
                          "4\r\n00:00:20,000 --> 00:00:22,500\r\nFour\r\n";

TEST(SetSubtitleTimes, ChangesOnlyThatSubtitlesTimingLine) {
    SubtitleDocument doc = test::OpenLines(LineStore::Split(kFilm));
    SetSubtitleTimes(doc, 1, 4250, 5999);
    EXPECT_EQ(SubtitleFileBytes(doc), "1\r\n00:00:01,000 --> 00:00:03,000\r\n<i>One</i>\r\n\r\n"
                                      "2\r\n00:00:04,250 --> 00:00:05,999\r\nTwo\r\n\r\n"
                                      "3\r\n00:00:10,000 --> 00:00:12,000\r\nThree\r\n\r\n"
                                      "4\r\n00:00:20,000 --> 00:00:22,500\r\nFour\r\n");
    EXPECT_EQ(doc.start(1), 4250);
    const std::string before = SubtitleFileBytes(doc);
    EXPECT_THROW(SetSubtitleTimes(doc, 1, 6000, 6000), VelkarError);
    EXPECT_THROW(SetSubtitleTimes(doc, 1, 100, 360000000), TimeEncodeError); // 100 hours
    EXPECT_EQ(SubtitleFileBytes(doc), before);
    EXPECT_EQ(doc.end(1), 5999);
}

TEST(SyncPoints, ReTimeAsThePiecewiseSyncOfTheSameAnchors) {
    const SubtitleDocument opened = test::OpenLines(LineStore::Split(kFilm));
    NoProgress progress;
    const std::vector<std::vector<SyncPoint>> cases = {{{0, 1500}, {3, 21500}},
                                                       {{0, 1500}, {2, 10400}, {3, 22000}}};
    for (const auto& points : cases) {
        SubtitleDocument viaPoints = opened;
        ApplySyncPoints(viaPoints, points, progress);
        SubtitleDocument viaAnchors = opened;
        std::vector<TypedAnchor> anchors;
        for (const SyncPoint& p : points)
            anchors.push_back({p.subtitle, TimeToText(sfSubRip, p.value)});
        FixSynchPiecewise(viaAnchors, anchors, progress);
        EXPECT_EQ(SubtitleFileBytes(viaPoints), SubtitleFileBytes(viaAnchors));
        for (const SyncPoint& p : points)
            EXPECT_EQ(viaPoints.start(std::size_t(p.subtitle)), p.value);
    }
    SubtitleDocument doc = opened;
    EXPECT_THROW(ApplySyncPoints(doc, {{0, 5000}, {1, 4000}}, progress), VelkarError);
    EXPECT_EQ(SubtitleFileBytes(doc), kFilm);
}

} // namespace
} // namespace velkar::strip
