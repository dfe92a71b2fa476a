#include "myogrid/engine/illusion_renderer.h"

#include "common/number_format.h"

namespace myogrid {

IllusionRenderer::IllusionRenderer() : grid_(kGridPixels, kGridPixels) {
    // The cells are drawn in the colours the picture really holds.
    dark_ = Calibrated(kDarkWanted);
    light_ = Calibrated(kLightWanted);
    grid_.SetPenColor(common::kWhite);
    grid_.SetBrushColor(common::kWhite);
    grid_.Rectangle(180, 180, 220, 220);
}

common::Rgb IllusionRenderer::Calibrated(common::Rgb wanted) {
    grid_.SetPenColor(wanted);
    grid_.SetBrushColor(wanted);
    grid_.Rectangle(180, 180, 220, 220);
    return grid_.Pixel(200, 200);
}

void IllusionRenderer::DrawStep(const std::vector<IllusionSwitch>& switched, bool showCounts) {
    for (const IllusionSwitch& cell : switched) {
        const common::Rgb colour = cell.lit ? dark_ : light_;
        grid_.SetPenColor(colour);
        grid_.SetBrushColor(colour);
        const int x = (cell.column - 1) * kCellPixels;
        const int y = (cell.row - 1) * kCellPixels;
        grid_.Rectangle(x, y, x + kCellPixels, y + kCellPixels);
        if (showCounts) grid_.TextOut(x, y, common::IntToText(cell.count));
    }
}

}  // namespace myogrid
