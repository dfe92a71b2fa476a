#pragma once
// What screen readers and keyboard users need of the windows: names for
// controls whose label stands beside them, descriptions of plots, the Tab
// order, and the accessible roles of the home-made widgets (plots as charts,
// the spin arrows as buttons that can be pressed).
#include <QString>
#include <functional>
#include <initializer_list>
#include <optional>
#include <utility>

#include "common/plot_export.h"

class QWidget;

namespace common::ui {

class PlotView;
class SpinEditBase;
class ArrowButtons;

// Gives the plot and spin-arrow widgets their roles; called by every naming
// function below, so a window that names its controls needs nothing else.
void InstallAccessibleRoles();

// `name` for `widget` (nothing for a null widget).
void NameControl(QWidget* widget, const QString& name);
// The field, its text box and its arrows ("increase s1", "decrease s1").
void NameSpinField(SpinEditBase* field, const QString& name);
void NameArrows(ArrowButtons* arrows, const QString& name);
// A plot: its name, and reachable with Tab so its menu opens with the Menu
// key and Space or Enter does what a click does.
void NamePlot(PlotView* plot, const QString& name);
void DescribePlot(PlotView* plot, const QString& description);
// Described by PlotDescription of the table `table` gives; when the table
// cannot be made (the model refuses), by the title alone.
void DescribePlotFrom(PlotView* plot, const QString& title,
                      const std::function<common::DataTable()>& table) noexcept;
// The description is asked of `describe` whenever a reader wants it (for
// plots whose captions change apart from their drawing).
void DescribePlotWith(PlotView* plot, std::function<QString()> describe);

// Tab goes through `widgets` in this order (null entries are skipped).
void SetTabOrder(std::initializer_list<QWidget*> widgets);

// Smallest and largest value of a table column, empty cells left out.
std::optional<std::pair<double, double>> ColumnRange(const common::DataTable& table,
                                                     std::size_t column);
// A number as read aloud: up to 4 significant digits, "." as decimal point.
QString SpokenNumber(double value);
// "<title>: t ms from 0 to 2800, E from -1.5 to 2.25": the range of each
// column, its unit read as a word.
QString PlotDescription(const QString& title, const common::DataTable& table);

}  // namespace common::ui
