#pragma once
// Draws the illusion's cells onto its 300 x 300 grid picture: a step
// repaints only the cells that switched, 12 x 12 pixels each, dark when lit
// and light when not, with the new switch count written in when asked.
#include <vector>

#include "common/plot_surface.h"
#include "myogrid/engine/illusion_model.h"

namespace myogrid {

class IllusionRenderer {
public:
    static constexpr int kCellPixels = 12;
    static constexpr int kGridPixels = IllusionModel::kSize * kCellPixels;
    static constexpr common::Rgb kDarkWanted{0, 130, 130};
    static constexpr common::Rgb kLightWanted{102, 255, 255};

    // Calibrates the two cell colours on the picture, then leaves it white.
    IllusionRenderer();

    // Paints the cells of one step; `showCounts` writes each cell's new
    // switch count as a digit on its new colour. Other cells keep what they
    // show, digits included.
    void DrawStep(const std::vector<IllusionSwitch>& switched, bool showCounts);

    const common::PlotSurface& Grid() const { return grid_; }
    common::Rgb DarkColour() const { return dark_; }
    common::Rgb LightColour() const { return light_; }

private:
    common::Rgb Calibrated(common::Rgb wanted);

    common::PlotSurface grid_;
    common::Rgb dark_;
    common::Rgb light_;
};

}  // namespace myogrid
