#pragma once
// Names, Tab order and plot descriptions of the main window for keyboard
// and screen-reader users.
#include <cstdint>

class QWidget;

namespace common::ui {
class PlotView;
}

namespace ecgtrace {

class SignalModel;
struct RecordingWindow;

// Names every control of the built main window and sets the Tab order of
// each page (the controls are found by their object names).
void MakeMainWindowAccessible(QWidget& window);

// What each plot shows now; called whenever the plot is drawn. Never throws:
// values that cannot be had leave the title alone.
void DescribeSumPlot(common::ui::PlotView* plot, const SignalModel& model) noexcept;
void DescribeSignalPlot(common::ui::PlotView* plot, const SignalModel& model,
                        std::int32_t g) noexcept;
void DescribeSeriesPlot(common::ui::PlotView* plot, const SignalModel& model,
                        std::int32_t g) noexcept;
void DescribeMapPlot(common::ui::PlotView* plot, const SignalModel& model, std::int32_t g) noexcept;
void DescribeRecordingPlot(common::ui::PlotView* plot, const RecordingWindow& window) noexcept;

}  // namespace ecgtrace
