#include "myogrid/window_accessibility.h"

#include "common/ui/accessibility.h"
#include "common/ui/int_spin_edit.h"
#include "common/ui/plot_view.h"
#include "myogrid/model_window_layout.h"
#include "myogrid/real_spin_edit.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QToolButton>

namespace myogrid {
namespace {

// The heading above a coordinate field, which its label ("x") alone lacks.
QString HeadingOf(Param p) {
    switch (p) {
        case Param::Cell1X:
        case Param::Cell1Y:
        case Param::Cell1Z:
            return QStringLiteral("cell 1 ");
        case Param::Cell2X:
        case Param::Cell2Y:
        case Param::Cell2Z:
            return QStringLiteral("cell 2 ");
        case Param::Osc1X:
        case Param::Osc1Y:
        case Param::Osc1Z:
            return QStringLiteral("oscillator 1 ");
        case Param::Osc2X:
        case Param::Osc2Y:
        case Param::Osc2Z:
            return QStringLiteral("oscillator 2 ");
        default:
            return QString();
    }
}

}  // namespace

void MakeModelWindowAccessible(const ModelWindowControls& c) {
    using namespace common::ui;
    for (int i = 0; i < kParamCount; ++i) {
        const auto p = static_cast<Param>(i);
        const QLabel* label = c.FieldLabel(p);
        auto* field = qobject_cast<SpinEditBase*>(c.Field(p));
        if (label && field) NameSpinField(field, HeadingOf(p) + label->text());
    }
    NameSpinField(c.pause, QStringLiteral("pause (ms)"));
    NameControl(c.seed, QStringLiteral("seed"));
    NameControl(c.modelTime, QStringLiteral("model time (msec)"));
    NameControl(c.saveTimePlot, QStringLiteral("save top window"));
    NameControl(c.saveRightPlot, QStringLiteral("save right window"));
    NameControl(c.help, QStringLiteral("help"));
    NameControl(c.helpReturn, QStringLiteral("return"));
    for (QPlainTextEdit* text : c.helpTexts) {
        if (!text) continue;
        NameControl(text, QStringLiteral("help text"));
        // Tab leaves the text instead of typing into it, so it is no trap.
        text->setTabChangesFocus(true);
    }
    NamePlot(c.timePlot, QStringLiteral("time window"));
    NamePlot(c.rightPlot, QStringLiteral("right window"));
    for (PlotView* plot : {c.timePlot, c.rightPlot})
        if (plot)
            plot->setWhatsThis(QStringLiteral("Space runs or pauses, Right arrow makes one step"));
    // Title, model time and right caption change apart from the drawing:
    // the descriptions are read from them when asked.
    QLabel* title = c.title;
    QLineEdit* time = c.modelTime;
    QLabel* rightCaption = c.rightCaption;
    if (title && time)
        DescribePlotWith(c.timePlot, [title, time] {
            return QStringLiteral("%1: model time %2 msec").arg(title->text(), time->text());
        });
    if (rightCaption)
        DescribePlotWith(c.rightPlot, [rightCaption] { return rightCaption->text(); });
}

void MakeLauncherAccessible(QWidget& launcher) {
    common::ui::NameControl(launcher.findChild<QWidget*>(QStringLiteral("titlePicture")),
                            QStringLiteral("title animation"));
}

void MakeIllusionWindowAccessible(QWidget& illusion) {
    auto* grid = illusion.findChild<common::ui::PlotView*>(QStringLiteral("gridView"));
    common::ui::NamePlot(grid, QStringLiteral("25 x 25 oscillators"));
    common::ui::DescribePlot(grid, QStringLiteral("independent oscillators with almost equal "
                                                  "periods, lit or dark"));
    common::ui::NameControl(illusion.findChild<QPlainTextEdit*>(QStringLiteral("explanation")),
                            QStringLiteral("explanation"));
}

}  // namespace myogrid
