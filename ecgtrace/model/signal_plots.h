#pragma once
// Plots of the main window's tabs, drawn on fixed-size surfaces with a lime
// pen on green. They read the model and never change it.
#include <cstdint>
#include <vector>

#include "common/plot_surface.h"
#include "ecgtrace/model/signal_model.h"

namespace ecgtrace {

inline constexpr int kSignalPlotWidth = 190, kSignalPlotHeight = 170;  // A(t)
inline constexpr int kSeriesPlotWidth = 320, kSeriesPlotHeight = 70;   // P series
inline constexpr int kMapPlotWidth = 120, kMapPlotHeight = 120;        // map Pn -> Pn+1
inline constexpr int kSumPlotWidth = 281, kSumPlotHeight = 105;        // E(t)

// A(t) of group g with its time axis and ticks every 50 ms.
void DrawA(const SignalModel& model, std::int32_t g, common::PlotSurface& plot);

// The series P_0..P_300 of group g, iterated from its P0 over its map.
void DrawPSeries(const SignalModel& model, std::int32_t g, common::PlotSurface& plot);

// The map of g with frame and diagonals.
void DrawPMap(const SignalModel& model, std::int32_t g, common::PlotSurface& plot);

// "plot Pn -> Pn+1": the map of g, then the iteration from P0 over it in red.
void DrawCobweb(const SignalModel& model, std::int32_t g, common::PlotSurface& plot);

// The window EWindowStart..EWindowEnd of E(t), scaled by EMax/EMin.
void DrawE(const SignalModel& model, common::PlotSurface& plot);

}  // namespace ecgtrace
