#pragma once
// Names, Tab order and plot descriptions of the signal-analysis window.
#include <cstdint>

class QWidget;

namespace common::ui {
class PlotView;
}

namespace ecgtrace {

class SignalModel;

// Names every control of the built analysis window and sets the Tab order
// of each page (the controls are found by their object names).
void MakeAnalysisWindowAccessible(QWidget& window);

// What each plot shows now; called whenever the plot is drawn. Never throw.
void DescribeHistogramPlot(common::ui::PlotView* plot, const SignalModel& model,
                           std::int32_t index) noexcept;
void DescribeCorrelationPlot(common::ui::PlotView* plot, const SignalModel& model,
                             std::int32_t index) noexcept;
void DescribePowerPlot(common::ui::PlotView* plot, const SignalModel& model, std::int32_t g1,
                       std::int32_t g2) noexcept;
void DescribePhasePlot(common::ui::PlotView* plot, const SignalModel& model, std::int32_t g1,
                       std::int32_t g2) noexcept;

}  // namespace ecgtrace
