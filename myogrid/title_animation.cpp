#include "myogrid/title_animation.h"

#include <limits>

namespace myogrid {
namespace {

struct Corner {
    int x, y;
};

// Pixel coordinates of the figure's corners (x to the right, y down).
constexpr std::array<Corner, 57> kPoints = {{
    {99, 223},  {116, 225}, {88, 204},  {138, 206}, {78, 182},  {113, 179},  // 0-5
    {163, 183}, {71, 155},  {97, 154},  {139, 155}, {172, 156}, {64, 130},   // 6-11
    {89, 132},  {118, 129}, {151, 129}, {183, 126}, {48, 99},   {83, 99},    // 12-17
    {109, 101}, {138, 98},  {191, 102}, {48, 73},   {74, 77},   {105, 81},   // 18-23
    {138, 77},  {178, 79},  {203, 75},  {42, 43},   {71, 59},   {104, 65},   // 24-29
    {136, 65},  {172, 62},  {210, 55},  {73, 36},   {109, 45},  {136, 46},   // 30-35
    {177, 43},  {190, 39},  {193, 32},  {184, 28},  {206, 29},  {187, 16},   // 36-41
    {175, 37},  {154, 34},  {153, 27},  {149, 17},  {122, 35},  {127, 39},   // 42-47
    {124, 27},  {122, 18},  {106, 34},  {103, 20},  {79, 21},   {71, 54},    // 48-53
    {104, 60},  {136, 61},  {172, 57},                                       // 54-56
}};

struct Segment {
    std::array<int, 6> corners;  // point numbers in drawing order
    int count;
    std::int32_t period;
    std::int32_t firstToggle;
};

constexpr std::array<Segment, TitleAnimation::kSegmentCount> kSegments = {{
    {{2, 3, 1, 0}, 4, 250, 0},                // 1
    {{4, 5, 3, 2}, 4, 240, 0},                // 2
    {{5, 6, 3}, 3, 240, 70},                  // 3
    {{7, 8, 5, 4}, 4, 230, 0},                // 4
    {{8, 9, 6, 5}, 4, 230, 70},               // 5
    {{9, 10, 6}, 3, 230, 140},                // 6
    {{11, 12, 8, 7}, 4, 220, 0},              // 7
    {{12, 13, 9, 8}, 4, 220, 50},             // 8
    {{13, 14, 10, 9}, 4, 220, 100},           // 9
    {{14, 15, 10}, 3, 220, 150},              // 10
    {{16, 17, 12, 11}, 4, 210, 0},            // 11
    {{17, 18, 13, 12}, 4, 210, 50},           // 12
    {{18, 19, 14, 13}, 4, 210, 100},          // 13
    {{19, 20, 15, 14}, 4, 210, 150},          // 14
    {{21, 22, 17, 16}, 4, 200, 0},            // 15
    {{22, 23, 18, 17}, 4, 200, 40},           // 16
    {{23, 24, 19, 18}, 4, 200, 80},           // 17
    {{24, 25, 20, 19}, 4, 200, 120},          // 18
    {{25, 26, 20}, 3, 200, 160},              // 19
    {{27, 28, 22, 21}, 4, 190, 0},            // 20
    {{28, 29, 23, 22}, 4, 190, 40},           // 21
    {{29, 30, 24, 23}, 4, 190, 80},           // 22
    {{30, 31, 25, 24}, 4, 190, 120},          // 23
    {{31, 32, 26, 25}, 4, 190, 160},          // 24
    {{27, 53, 33}, 3, 190, 0},                // 25
    {{53, 54, 34, 33}, 4, 190, 35},           // 26
    {{54, 55, 35, 34}, 4, 190, 70},           // 27
    {{55, 56, 36, 35}, 4, 190, 105},          // 28
    {{56, 32, 37, 36}, 4, 190, 140},          // 29
    {{32, 40, 41, 39, 38, 37}, 6, 190, 175},  // 30
    {{41, 45, 44, 39}, 4, 190, 210},          // 31
    {{45, 49, 48, 44}, 4, 190, 245},          // 32
    {{49, 51, 50, 48}, 4, 190, 280},          // 33
    {{51, 52, 33, 50}, 4, 190, 315},          // 34
    {{52, 27, 33}, 3, 190, 350},              // 35
    {{34, 35, 47, 46, 48, 50}, 6, 200, 175},  // 36
    {{35, 36, 42, 47}, 4, 200, 70},           // 37
    {{36, 37, 42}, 3, 200, 105},              // 38
    {{37, 38, 39, 42}, 4, 200, 140},          // 39
    {{42, 39, 44, 43}, 4, 200, 175},          // 40
    {{43, 44, 48, 46}, 4, 200, 210},          // 41
}};

std::vector<QPoint> PolygonOf(std::initializer_list<int> corners) {
    std::vector<QPoint> points;
    for (int c : corners)
        points.emplace_back(kPoints[static_cast<std::size_t>(c)].x,
                            kPoints[static_cast<std::size_t>(c)].y);
    return points;
}

}  // namespace

std::vector<QPoint> TitleAnimation::SegmentPolygon(int segment) {
    const Segment& s = kSegments[static_cast<std::size_t>(segment - 1)];
    std::vector<QPoint> points;
    for (int i = 0; i < s.count; ++i) {
        const Corner& c = kPoints[static_cast<std::size_t>(s.corners[static_cast<std::size_t>(i)])];
        points.emplace_back(c.x, c.y);
    }
    return points;
}

std::vector<QPoint> TitleAnimation::FixedTriangle() { return PolygonOf({33, 34, 50}); }

std::vector<QPoint> TitleAnimation::FixedQuadrilateral() { return PolygonOf({42, 43, 46, 47}); }

TitleAnimation::TitleAnimation() : surface_(kWidth, kHeight) {
    surface_.SetBrushColor(common::kWhite);
    surface_.FillRect(0, 0, kWidth, kHeight);
    surface_.SetPenColor(common::kBlack);
    surface_.SetBrushColor(common::kBlack);
    surface_.Polygon(FixedTriangle());
    surface_.Polygon(FixedQuadrilateral());
    for (std::size_t i = 0; i < kSegments.size(); ++i) {
        phase_[i] = true;
        next_[i] = kSegments[i].firstToggle;
    }
}

int TitleAnimation::Tick(std::int32_t interval) {
    // A clock that would pass the 32-bit range starts again at 0.
    const std::int64_t sum = std::int64_t{clock_} + interval;
    clock_ = (sum < 0 || sum > std::numeric_limits<std::int32_t>::max())
                 ? 0
                 : static_cast<std::int32_t>(sum);
    int drawn = 0;
    for (std::size_t i = 0; i < kSegments.size(); ++i) {
        if (next_[i] >= clock_) continue;  // not yet: keeps its colour
        const common::Rgb colour = phase_[i] ? kFirstColour : kSecondColour;
        surface_.SetPenColor(colour);
        surface_.SetBrushColor(colour);
        phase_[i] = !phase_[i];
        next_[i] += kSegments[i].period;
        surface_.Polygon(SegmentPolygon(static_cast<int>(i) + 1));
        ++drawn;
    }
    return drawn;
}

}  // namespace myogrid
