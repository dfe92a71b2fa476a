#include "myogrid/engine/model_pictures.h"

#include "common/numeric.h"

#include <QPainter>
#include <QPen>
#include <algorithm>

namespace myogrid {

namespace {

QColor ToQColor(common::Rgb c) { return QColor(c.r, c.g, c.b); }

}  // namespace

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
    {
        // Rounded rectangle with corner ellipses of 30 x 30.
        QImage& image = surface.MutableImage();
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing, false);
        QPen pen(ToQColor(common::kLime));
        pen.setWidth(1);
        pen.setCosmetic(true);
        painter.setPen(pen);
        painter.setBrush(ToQColor(common::kGreen));
        painter.drawRoundedRect(QRect(0, 0, w - 1, h - 1), 15, 15, Qt::AbsoluteSize);
    }
    surface.SetPenColor(common::kLime);
    surface.SetBrushColor(common::kGreen);
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
    constexpr double kLimit = 1000000;
    if (value > kLimit) value = kLimit;
    if (value < -kLimit) value = -kLimit;
    return static_cast<int>(common::Round(value));
}

}  // namespace myogrid
