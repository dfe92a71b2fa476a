#include "myogrid/engine/model_pictures.h"

#include "common/numeric.h"

#include <algorithm>

namespace myogrid {

ModelPictures::ModelPictures()
    : timeWindow_(kTimeWindowWidth, kTimeWindowHeight),
      rightWindow_(kRightWindowSize, kRightWindowSize) {
    ClearTimeWindow();
    ClearRightWindow();
}

void ModelPictures::Clear(common::PlotSurface& surface) {
    const int w = surface.Width(), h = surface.Height();
    surface.SetPenColor(kButtonFace);
    surface.SetBrushColor(kButtonFace);
    surface.Rectangle(0, 0, w, h);
    // Rounded rectangle with corner ellipses of 30 x 30, built from four
    // such ellipses so that all corners are alike: the inside is painted
    // over their inner halves, then the straight edges join their arcs.
    surface.SetPenColor(common::kLime);
    surface.SetBrushColor(common::kGreen);
    constexpr int kCorner = 30, kHalf = kCorner / 2;
    surface.Ellipse(0, 0, kCorner, kCorner);
    surface.Ellipse(w - kCorner, 0, w, kCorner);
    surface.Ellipse(0, h - kCorner, kCorner, h);
    surface.Ellipse(w - kCorner, h - kCorner, w, h);
    surface.FillRect(1, kHalf, w - 1, h - kHalf);
    surface.FillRect(kHalf, 1, w - kHalf, h - 1);
    surface.MoveTo(kHalf, 0);
    surface.LineTo(w - kHalf, 0);
    surface.MoveTo(kHalf, h - 1);
    surface.LineTo(w - kHalf, h - 1);
    surface.MoveTo(0, kHalf);
    surface.LineTo(0, h - kHalf);
    surface.MoveTo(w - 1, kHalf);
    surface.LineTo(w - 1, h - kHalf);
    const int g = std::max(h / 10, 1);
    for (int k = 1; k <= h / g - 1; ++k) {
        surface.MoveTo(0, k * g);
        surface.LineTo(w, k * g);
    }
    for (int k = 1; k <= w / g - 1; ++k) {
        surface.MoveTo(k * g, 0);
        surface.LineTo(k * g, h);
    }
}

void ModelPictures::ClearTimeWindow() { Clear(timeWindow_); }
void ModelPictures::ClearRightWindow() { Clear(rightWindow_); }

void ModelPictures::PlaceBeyondRightEdge() {
    trace.x1 = timeWindow_.Width() + 1;
    trace.x2 = trace.x1;
}

void ModelPictures::RestartSweep() {
    ClearTimeWindow();
    timeWindow_.SetPenColor(common::kWhite);
    trace.tracePosition = 0.0;
    trace.x1 = 0;
    trace.x2 = 0;
}

void Dot(common::PlotSurface& surface, int x, int y, int size, common::Rgb color) {
    surface.SetPenColor(color);
    surface.SetBrushColor(color);
    surface.Ellipse(x, y, x + size, y + size);
}

int PixelCoordinate(std::int64_t value) {
    constexpr std::int64_t kLimit = 1000000;
    return static_cast<int>(std::clamp<std::int64_t>(value, -kLimit, kLimit));
}

int PixelCoordinate(double value) {
    // An infinity is no far-away point but an overflow: never drawn.
    common::RequireFinite(value);
    constexpr double kLimit = 1000000;
    if (value > kLimit) value = kLimit;
    if (value < -kLimit) value = -kLimit;
    return static_cast<int>(common::Round(value));
}

}  // namespace myogrid
