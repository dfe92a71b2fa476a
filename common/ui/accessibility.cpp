#include "common/ui/accessibility.h"

#include "common/number_format.h"
#include "common/ui/plot_view.h"
#include "common/ui/spin_arrows.h"
#include "common/ui/spin_edit_base.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QLineEdit>
#include <QVariant>
#include <algorithm>
#include <memory>
#include <cmath>

namespace common::ui {
namespace {

const char* const kDescriber = "accessibleDescriber";

// The function of DescribePlotWith, kept on the plot itself.
struct Describer {
    std::function<QString()> describe;
};

}  // namespace
}  // namespace common::ui
Q_DECLARE_METATYPE(std::shared_ptr<common::ui::Describer>)
namespace common::ui {
namespace {

// A plot reads as a chart, not as an empty pane.
class PlotAccessible : public QAccessibleWidget {
public:
    explicit PlotAccessible(QWidget* plot) : QAccessibleWidget(plot, QAccessible::Chart) {}
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Description) {
            const auto describer =
                widget()->property(kDescriber).value<std::shared_ptr<Describer>>();
            if (describer && describer->describe) return describer->describe();
        }
        return QAccessibleWidget::text(t);
    }
};

// An arrow of a spin pair: a button that steps its field once when pressed.
class RepeatButtonAccessible : public QAccessibleWidget {
public:
    explicit RepeatButtonAccessible(RepeatButton* button)
        : QAccessibleWidget(button, QAccessible::Button) {}
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& action) override {
        if (action != pressAction() || !widget()->isEnabled()) return;
        emit static_cast<RepeatButton*>(widget())->Step();
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }
};

QAccessibleInterface* WidgetRoles(const QString& key, QObject* object) {
    if (key == QLatin1String(PlotView::staticMetaObject.className()))
        if (auto* plot = qobject_cast<PlotView*>(object)) return new PlotAccessible(plot);
    if (key == QLatin1String(RepeatButton::staticMetaObject.className()))
        if (auto* button = qobject_cast<RepeatButton*>(object))
            return new RepeatButtonAccessible(button);
    return nullptr;
}

}  // namespace

void InstallAccessibleRoles() {
    static const bool installed = [] {
        QAccessible::installFactory(WidgetRoles);
        return true;
    }();
    (void)installed;
}

void NameControl(QWidget* widget, const QString& name) {
    InstallAccessibleRoles();
    if (widget) widget->setAccessibleName(name);
}

void NameArrows(ArrowButtons* arrows, const QString& name) {
    if (!arrows) return;
    NameControl(arrows, name);
    NameControl(arrows->UpButton(), QStringLiteral("increase ") + name);
    NameControl(arrows->DownButton(), QStringLiteral("decrease ") + name);
}

void NameSpinField(SpinEditBase* field, const QString& name) {
    if (!field) return;
    NameControl(field, name);
    // The text box is what takes the focus, so it carries the name too.
    NameControl(field->Editor(), name);
    NameArrows(field->Arrows(), name);
}

void NamePlot(PlotView* plot, const QString& name) {
    if (!plot) return;
    NameControl(plot, name);
    plot->setFocusPolicy(Qt::StrongFocus);
}

void DescribePlot(PlotView* plot, const QString& description) {
    if (plot) plot->setAccessibleDescription(description);
}

void DescribePlotFrom(PlotView* plot, const QString& title,
                      const std::function<common::DataTable()>& table) noexcept {
    try {
        DescribePlot(plot, PlotDescription(title, table()));
    } catch (...) {
        DescribePlot(plot, title);
    }
}

void DescribePlotWith(PlotView* plot, std::function<QString()> describe) {
    if (!plot) return;
    InstallAccessibleRoles();
    plot->setProperty(kDescriber, QVariant::fromValue(
                                      std::make_shared<Describer>(Describer{std::move(describe)})));
}

void SetTabOrder(std::initializer_list<QWidget*> widgets) {
    QWidget* previous = nullptr;
    for (QWidget* widget : widgets) {
        if (!widget) continue;
        if (previous) QWidget::setTabOrder(previous, widget);
        previous = widget;
    }
}

std::optional<std::pair<double, double>> ColumnRange(const common::DataTable& table,
                                                     std::size_t column) {
    std::optional<std::pair<double, double>> range;
    for (const auto& row : table.rows) {
        if (column >= row.size() || !std::isfinite(row[column])) continue;
        const double v = row[column];
        if (!range)
            range.emplace(v, v);
        else
            range = std::pair{std::min(range->first, v), std::max(range->second, v)};
    }
    return range;
}

QString SpokenNumber(double value) {
    if (!std::isfinite(value)) return QStringLiteral("?");
    if (value != 0) {
        // Four significant digits, without exponent for large whole numbers.
        const double scale = std::pow(10.0, 3 - std::floor(std::log10(std::abs(value))));
        const double rounded = std::round(value * scale) / scale;
        if (std::isfinite(rounded)) value = rounded;
    }
    return QString::fromStdString(common::FormatGeneral(value, 15));
}

QString PlotDescription(const QString& title, const common::DataTable& table) {
    QString text = title;
    QString separator = QStringLiteral(": ");
    for (std::size_t c = 0; c < table.columns.size(); ++c) {
        const auto range = ColumnRange(table, c);
        if (!range) continue;
        // "t_ms" reads "t ms".
        const QString column = QString::fromStdString(table.columns[c]).replace(u'_', u' ');
        text += separator + column + QStringLiteral(" from ") + SpokenNumber(range->first) +
                QStringLiteral(" to ") + SpokenNumber(range->second);
        separator = QStringLiteral(", ");
    }
    return text;
}

}  // namespace common::ui
