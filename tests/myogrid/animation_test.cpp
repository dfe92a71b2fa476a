#include "myogrid/title_animation.h"

#include <gtest/gtest.h>

#include <set>

namespace myogrid {
namespace {

constexpr common::Rgb kFirst{204, 51, 0};

// A pixel well inside a segment: the mean of its corners (the segments
// checked here are convex).
common::Rgb SegmentColour(const TitleAnimation& a, int segment) {
    const auto points = TitleAnimation::SegmentPolygon(segment);
    int x = 0, y = 0;
    for (const QPoint& p : points) {
        x += p.x();
        y += p.y();
    }
    const int n = static_cast<int>(points.size());
    return a.Surface().Pixel(x / n, y / n);
}

void TickTimes(TitleAnimation& a, int n) {
    for (int i = 0; i < n; ++i) a.Tick();
}

TEST(TitleAnimation, BeforeTheFirstTickOnlyTheTwoBlackPolygonsShow) {
    TitleAnimation a;
    EXPECT_EQ(a.Clock(), 0);
    std::set<std::tuple<int, int, int>> colours;
    const QImage& image = a.Surface().Image();
    ASSERT_EQ(image.width(), 231);
    ASSERT_EQ(image.height(), 236);
    int black = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const common::Rgb c = a.Surface().Pixel(x, y);
            colours.insert({c.r, c.g, c.b});
            if (c == common::kBlack) ++black;
        }
    EXPECT_EQ(colours, (std::set<std::tuple<int, int, int>>{{0, 0, 0}, {255, 255, 255}}));
    // Both fixed polygons are there: the triangle 33-34-50 and the
    // quadrilateral 42-43-46-47.
    EXPECT_EQ(a.Surface().Pixel((73 + 109 + 106) / 3, (36 + 45 + 34) / 3), common::kBlack);
    EXPECT_EQ(a.Surface().Pixel((175 + 154 + 122 + 127) / 4, (37 + 34 + 35 + 39) / 4),
              common::kBlack);
    EXPECT_GT(black, 300);
    EXPECT_EQ(SegmentColour(a, 1), common::kWhite);
}

TEST(TitleAnimation, FirstTickDrawsTheSegmentsThatStartAtOnce) {
    TitleAnimation a;
    EXPECT_EQ(a.Tick(), 8);
    EXPECT_EQ(a.Clock(), 10);
    const std::set<int> first{1, 2, 4, 7, 11, 15, 20, 25};
    for (int s = 1; s <= TitleAnimation::kSegmentCount; ++s) {
        EXPECT_EQ(a.PhaseFlag(s), first.count(s) == 0) << "segment " << s;
        if (s == 30 || s == 36) continue;  // not convex
        EXPECT_EQ(SegmentColour(a, s), first.count(s) ? kFirst : common::kWhite) << "segment " << s;
    }
    // Nothing is due at clock 20: nothing is redrawn.
    EXPECT_EQ(a.Tick(), 0);
}

TEST(TitleAnimation, SegmentsFollowTheirOwnTimes) {
    TitleAnimation a;
    TickTimes(a, 3);  // clock 30
    EXPECT_EQ(SegmentColour(a, 26), common::kWhite);
    a.Tick();  // 40: 35 < 40
    EXPECT_EQ(SegmentColour(a, 26), kFirst);
    TickTimes(a, 3);  // 70: 70 is not less than 70
    EXPECT_EQ(SegmentColour(a, 3), common::kWhite);
    a.Tick();  // 80
    EXPECT_EQ(SegmentColour(a, 3), kFirst);

    TickTimes(a, 17);  // 250
    EXPECT_EQ(SegmentColour(a, 1), kFirst);
    a.Tick();  // 260
    EXPECT_EQ(a.Clock(), 260);
    EXPECT_EQ(SegmentColour(a, 1), common::kRed);
    TickTimes(a, 24);  // 500
    EXPECT_EQ(SegmentColour(a, 1), common::kRed);
    a.Tick();  // 510
    EXPECT_EQ(SegmentColour(a, 1), kFirst);
    EXPECT_EQ(a.NextToggle(1), 750);
}

}  // namespace
}  // namespace myogrid
