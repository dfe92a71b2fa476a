// The cleared plot windows of the model pictures: round corners and edges.
#include "myogrid/engine/model_pictures.h"

#include <gtest/gtest.h>

namespace myogrid {
namespace {

// The corner of a cleared window is the matching quarter of a 30 x 30
// ellipse (lime outline, green inside) on the button face, at all four
// corners alike.
void ExpectCornersOfThirtyPixelEllipses(const common::PlotSurface& window) {
    const int w = window.Width(), h = window.Height();
    struct Corner {
        int left, top;  // corner square of 15 x 15 pixels
    };
    const Corner corners[] = {{0, 0}, {w - 15, 0}, {0, h - 15}, {w - 15, h - 15}};
    for (const Corner& c : corners) {
        common::PlotSurface ellipse(w, h);
        ellipse.SetPenColor(kButtonFace);
        ellipse.SetBrushColor(kButtonFace);
        ellipse.Rectangle(0, 0, w, h);
        ellipse.SetPenColor(common::kLime);
        ellipse.SetBrushColor(common::kGreen);
        const int ex = c.left == 0 ? 0 : w - 30, ey = c.top == 0 ? 0 : h - 30;
        ellipse.Ellipse(ex, ey, ex + 30, ey + 30);
        for (int y = c.top; y < c.top + 15; ++y) {
            for (int x = c.left; x < c.left + 15; ++x) {
                ASSERT_EQ(window.Pixel(x, y), ellipse.Pixel(x, y))
                    << "window " << w << "x" << h << " pixel " << x << "," << y;
            }
        }
    }
}

TEST(ModelPictures, ClearedWindowsHaveFourEqualRoundCorners) {
    ModelPictures pictures;
    ExpectCornersOfThirtyPixelEllipses(pictures.TimeWindow());
    ExpectCornersOfThirtyPixelEllipses(pictures.RightWindow());
    // The straight edges join the corners: lime along all four sides.
    const common::PlotSurface& right = pictures.RightWindow();
    for (int k = 15; k <= 195; ++k) {
        ASSERT_EQ(right.Pixel(k, 0), common::kLime) << k;
        ASSERT_EQ(right.Pixel(k, 210), common::kLime) << k;
        ASSERT_EQ(right.Pixel(0, k), common::kLime) << k;
        ASSERT_EQ(right.Pixel(210, k), common::kLime) << k;
    }
    EXPECT_EQ(right.Pixel(1, 100), common::kGreen);
    EXPECT_EQ(right.Pixel(209, 100), common::kGreen);
}

}  // namespace
}  // namespace myogrid
