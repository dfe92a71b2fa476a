#pragma once
// Plots of the main window's tabs, drawn on fixed-size surfaces with a lime
// pen on green. ImageAt 190x170, ImagePt 320x70, ImageP 120x120, ImageEt 281x105.
#include <cstdint>
#include <vector>

#include "common/plot_surface.h"
#include "ecgtrace/model/signal_model.h"

namespace ecgtrace {

inline constexpr int kImageAtWidth = 190, kImageAtHeight = 170;
inline constexpr int kImagePtWidth = 320, kImagePtHeight = 70;
inline constexpr int kImagePWidth = 120, kImagePHeight = 120;
inline constexpr int kImageEtWidth = 281, kImageEtHeight = 105;

// A(t) of group g with its time axis and ticks every 50 ms.
void DrawA(const SignalModel& model, std::int32_t g, common::PlotSurface& imageAt);

// The series P_0..P_300 as returned by SignalModel::ComputePSeries.
void DrawPSeries(const std::vector<double>& series, common::PlotSurface& imagePt);

// Computes the series of g (storing PHalf and PWhole) and draws it when
// `imagePt` is given.
void ComputePSeries(SignalModel& model, std::int32_t g, common::PlotSurface* imagePt);

// The map of g with frame and diagonals, then ComputePSeries(g).
void DrawPMap(SignalModel& model, std::int32_t g, common::PlotSurface& imageP,
              common::PlotSurface* imagePt);

// "plot Pn -> Pn+1": map and series redrawn, then the iteration from P0 in red.
void PlotCobweb(SignalModel& model, std::int32_t g, common::PlotSurface& imageP,
                common::PlotSurface* imagePt);

// The window EWindowStart..EWindowEnd of E(t), scaled by EMax/EMin.
void DrawE(const SignalModel& model, common::PlotSurface& imageEt);

}  // namespace ecgtrace
