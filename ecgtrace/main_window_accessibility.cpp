#include "ecgtrace/main_window_accessibility.h"

#include "common/number_format.h"
#include "common/ui/accessibility.h"
#include "common/ui/int_spin_edit.h"
#include "common/ui/plot_view.h"
#include "common/ui/spin_arrows.h"
#include "ecgtrace/model/plot_data.h"
#include "ecgtrace/model/recording_plots.h"
#include "ecgtrace/step_arrows.h"

#include <QLineEdit>
#include <QWidget>
#include <vector>

namespace ecgtrace {
namespace {

using common::ui::PlotView;

struct Named {
    const char* objectName;
    const char* accessibleName;
};

// Each page's controls in Tab order, with the label that stands beside them.
const std::vector<std::vector<Named>>& PageControls() {
    static const std::vector<std::vector<Named>> pages = {
        {{"introductionText", "introduction text"},
         {"aboutButton", "about"},
         {"exitButton", "exit"}},
        {{"groupCountField", "G"},
         {"actualGroupField", "g"},
         {"crossGroupField", "g cross"},
         {"sumAnalysisButton", "signal analysis"},
         {"sumPlot", "E(t)"},
         {"windowStartField", "E(t) from (ms)"},
         {"applyWindowButton", "apply"},
         {"windowEndField", "E(t) to (ms)"},
         {"recordingTracePlot", "recording"}},
        {{"fField", "f"},
         {"FField", "F"},
         {"periodNEField", "Nb"},
         {"periodNField", "N"},
         {"TeField", "Te"},
         {"TaField", "Ta"},
         {"TrField", "Tr"}},
        {{"groupAnalysisButton", "signal analysis"},
         {"signalPlot", "A(t)"},
         {"s1Field", "s1"},
         {"s2Field", "s2"},
         {"offsetField", "offset"}},
        {{"seriesPlot", "series Pn"},
         {"mapPlot", "map Pn -> Pn+1"},
         {"cobwebButton", "plot Pn -> Pn+1"},
         {"P0Field", "P0"},
         {"P0Arrows", "P0"},
         {"mapNEField", "NE"},
         {"NdField", "Nd"},
         {"MField", "M"},
         {"mapNField", "N"}},
    };
    return pages;
}

void Name(QWidget* widget, const QString& name) {
    using namespace common::ui;
    if (auto* spin = qobject_cast<SpinEditBase*>(widget))
        NameSpinField(spin, name);
    else if (auto* plot = qobject_cast<PlotView*>(widget))
        NamePlot(plot, name);
    else if (auto* arrows = qobject_cast<StepArrows*>(widget)) {
        NameControl(arrows, QStringLiteral("step ") + name);
        NameArrows(arrows->findChild<ArrowButtons*>(), name);
    } else
        NameControl(widget, name);
}

QString GroupTitle(const char* what, std::int32_t g) {
    return QStringLiteral("%1 of group %2").arg(QLatin1String(what)).arg(g);
}

}  // namespace

void MakeMainWindowAccessible(QWidget& window) {
    for (const auto& page : PageControls()) {
        std::vector<QWidget*> order;
        for (const Named& control : page) {
            QWidget* widget = window.findChild<QWidget*>(QLatin1String(control.objectName));
            Name(widget, QString::fromUtf8(control.accessibleName));
            order.push_back(widget);
        }
        for (std::size_t i = 1; i < order.size(); ++i)
            common::ui::SetTabOrder({order[i - 1], order[i]});
    }
    const std::pair<const char*, const char*> pictures[] = {
        {"sumSignalEquations", "equations of E(t)"},
        {"periodEquations", "equations of T"},
        {"signalEquations", "equations of A(t)"},
        {"mapEquations", "equations of Pn"}};
    for (const auto& [objectName, name] : pictures)
        common::ui::NameControl(window.findChild<QWidget*>(QLatin1String(objectName)),
                                QLatin1String(name));
}

void DescribeSumPlot(PlotView* plot, const SignalModel& model) noexcept {
    const QString title = QStringLiteral("E(t)");
    try {
        const common::DataTable table = ETable(model);
        const auto time = common::ui::ColumnRange(table, 0);
        const auto values = common::ui::ColumnRange(table, 1);
        if (!time || !values) {
            common::ui::DescribePlot(plot, title);
            return;
        }
        using common::ui::SpokenNumber;
        common::ui::DescribePlot(
            plot, QStringLiteral("%1 from %2 to %3 ms: minimum %4, maximum %5")
                      .arg(title, SpokenNumber(time->first), SpokenNumber(time->second),
                           SpokenNumber(values->first), SpokenNumber(values->second)));
    } catch (...) {
        common::ui::DescribePlot(plot, title);
    }
}

void DescribeRecordingPlot(PlotView* plot, const RecordingWindow& window) noexcept {
    common::ui::DescribePlotFrom(
        plot,
        QStringLiteral("recording %1, channel %2, from %3 s")
            .arg(QString::fromStdString(RecordingName(window.file)),
                 QString::fromStdString(RecordingChannelName(window)),
                 QString::fromStdString(common::FormatGeneral(window.startSeconds, 6))),
        [&] { return RecordingTraceTable(window); });
}

void DescribeSignalPlot(PlotView* plot, const SignalModel& model, std::int32_t g) noexcept {
    common::ui::DescribePlotFrom(plot, GroupTitle("A(t)", g), [&] { return ATable(model, g); });
}

void DescribeSeriesPlot(PlotView* plot, const SignalModel& model, std::int32_t g) noexcept {
    common::ui::DescribePlotFrom(plot, GroupTitle("series Pn", g),
                                 [&] { return PSeriesTable(model, g); });
}

void DescribeMapPlot(PlotView* plot, const SignalModel& model, std::int32_t g) noexcept {
    common::ui::DescribePlotFrom(plot, GroupTitle("map Pn -> Pn+1", g),
                                 [&] { return PMapTable(model, g); });
}

}  // namespace ecgtrace
