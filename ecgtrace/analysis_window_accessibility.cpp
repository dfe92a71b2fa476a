#include "ecgtrace/analysis_window_accessibility.h"

#include "common/ui/accessibility.h"
#include "common/ui/plot_view.h"
#include "ecgtrace/model/analysis_plots.h"
#include "ecgtrace/model/plot_data.h"

#include <QAbstractButton>
#include <QPushButton>
#include <QWidget>
#include <algorithm>
#include <string>
#include <vector>

namespace ecgtrace {
namespace {

using common::ui::PlotView;

struct Page {
    const char* plot;
    const char* plotName;
    const char* figure;  // the book figure beside the plot
};

constexpr Page kPages[] = {{"histogramPlot", "histogram", "histogramFigure"},
                           {"correlationPlot", "autocorrelation", "correlationFigure"},
                           {"powerPlot", "power spectrum", "powerFigure"},
                           {"phasePlot", "cross phase spectrum", "phaseFigure"}};

// The titles are drawn on two lines; read as one.
void DescribeFrom(PlotView* plot, const std::string& title,
                  const std::function<common::DataTable()>& table) noexcept {
    common::ui::DescribePlotFrom(plot, QString::fromStdString(title).simplified(), table);
}

}  // namespace

void MakeAnalysisWindowAccessible(QWidget& window) {
    using common::ui::NameControl;
    NameControl(window.findChild<QWidget*>(QStringLiteral("introductionText")),
                QStringLiteral("introduction text"));
    for (const Page& page : kPages) {
        auto* plot = window.findChild<PlotView*>(QLatin1String(page.plot));
        common::ui::NamePlot(plot, QLatin1String(page.plotName));
        NameControl(
            window.findChild<QWidget*>(QLatin1String(page.figure)),
            QStringLiteral("figure from the book beside the ") + QLatin1String(page.plotName));
        if (!plot || !plot->parentWidget()) continue;
        // The plot first, then the page's buttons and switches from top to bottom.
        QList<QAbstractButton*> buttons = plot->parentWidget()->findChildren<QAbstractButton*>(
            QString(), Qt::FindDirectChildrenOnly);
        std::stable_sort(buttons.begin(), buttons.end(), [](QWidget* a, QWidget* b) {
            return a->y() != b->y() ? a->y() < b->y() : a->x() < b->x();
        });
        QWidget* previous = plot;
        for (QAbstractButton* button : buttons) {
            // "fig.4.3" reads better as "figure 4.3 of the book".
            const QString caption = button->text();
            if (caption.startsWith(QLatin1String("fig.")))
                button->setAccessibleDescription(
                    QStringLiteral("shows figure %1 of the book").arg(caption.mid(4).trimmed()));
            common::ui::SetTabOrder({previous, button});
            previous = button;
        }
    }
}

void DescribeHistogramPlot(PlotView* plot, const SignalModel& model, std::int32_t index) noexcept {
    DescribeFrom(plot, HistogramTitle(index), [&] { return HistogramTable(model, index); });
}

void DescribeCorrelationPlot(PlotView* plot, const SignalModel& model,
                             std::int32_t index) noexcept {
    DescribeFrom(plot, AutocorrelationTitle(index),
                 [&] { return AutocorrelationTable(model, index); });
}

void DescribePowerPlot(PlotView* plot, const SignalModel& model, std::int32_t g1,
                       std::int32_t g2) noexcept {
    DescribeFrom(plot, PowerSpectrumTitle(g1, g2),
                 [&] { return PowerSpectrumTable(model, g1, g2); });
}

void DescribePhasePlot(PlotView* plot, const SignalModel& model, std::int32_t g1,
                       std::int32_t g2) noexcept {
    DescribeFrom(plot, CrossPhaseTitle(g1, g2), [&] { return CrossPhaseTable(model, g1, g2); });
}

}  // namespace ecgtrace
