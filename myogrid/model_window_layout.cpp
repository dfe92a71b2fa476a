#include "myogrid/model_window_layout.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStackedWidget>
#include <QStyle>
#include <QToolButton>

#include "common/ui/int_spin_edit.h"
#include "common/ui/plot_view.h"
#include "myogrid/engine/model_pictures.h"
#include "myogrid/engine/run_loop.h"
#include "myogrid/engine/parameter_definitions.h"
#include "myogrid/real_spin_edit.h"

namespace myogrid {

namespace {

constexpr int kNotebookWidth = 385;
constexpr int kNotebookHeight = 199;

// Names of the parameter fields, in the order of Param.
constexpr std::array<const char*, kParamCount> kFieldNames = {
    "dimension",
    "xNexus",
    "xyXzNexus",
    "xyzNexus",
    "threshold",
    "excited",
    "active",
    "absRefr",
    "diversity",
    "refractory",
    "stepUnit",
    "cell1X",
    "cell1Y",
    "cell1Z",
    "cell2X",
    "cell2Y",
    "cell2Z",
    "delayL",
    "delayC",
    "delayF",
    "period",
    "extraInterval",
    "envWeight",
    "startFraction",
    "phaseVariability",
    "periodVariability",
    "oscStepUnit",
    "oscDimension",
    "osc1X",
    "osc1Y",
    "osc1Z",
    "osc2X",
    "osc2Y",
    "osc2Z",
};

// Places the controls of one window; each Add* makes one control.
class LayoutBuilder {
public:
    explicit LayoutBuilder(ModelWindowControls& controls) : c_(controls) {}

    QLabel* AddLabel(QWidget* page, const QString& text, int x, int y, int width = 90) {
        auto* label = new QLabel(text, page);
        label->setGeometry(x, y, width, 17);
        return label;
    }

    QCheckBox* AddBox(QWidget* page, const char* name, const QString& caption, int x, int y) {
        auto* box = new QCheckBox(caption, page);
        box->setObjectName(QString::fromLatin1(name));
        box->setGeometry(x, y, 170, 20);
        return box;
    }
    void AddCommand(QWidget* page, Command command, const char* name, const QString& caption, int x,
                    int y) {
        c_.commands[static_cast<std::size_t>(command)] = AddBox(page, name, caption, x, y);
    }
    void AddSwitch(QWidget* page, Switch choice, const char* name, const QString& caption, int x,
                   int y) {
        c_.switches[static_cast<std::size_t>(choice)] = AddBox(page, name, caption, x, y);
    }
    // The "return" box in the top left corner of a sub-page.
    void AddReturn(int page) {
        QCheckBox* box =
            AddBox(c_.notebook->widget(page), "returnBox", QStringLiteral("return"), 8, 6);
        box->setObjectName(QStringLiteral("returnFrom%1").arg(page));
        c_.returnBoxes[static_cast<std::size_t>(page)] = box;
    }

    // A parameter's label and, right of it, its field with the range and
    // step of the parameter table.
    void AddField(QWidget* page, Param p, const QString& label, int x, int y, int labelWidth) {
        QLabel* caption = AddLabel(page, label, x, y + 2, labelWidth);
        const auto i = static_cast<std::size_t>(p);
        const QString name = QString::fromLatin1(kFieldNames[i]);
        QWidget* field = nullptr;
        if (IsRealParam(p)) {
            auto* spin = new RealSpinEdit(page);
            c_.realFields[i] = spin;
            field = spin;
        } else {
            auto* spin = new common::ui::IntSpinEdit(page);
            const ParameterDefinition& definition = DefinitionOf(p);
            spin->SetMinValue(definition.min);
            spin->SetMaxValue(definition.max);
            spin->SetIncrement(definition.increment);
            spin->SetShowsValueInUse(true);
            c_.integerFields[i] = spin;
            field = spin;
        }
        field->setObjectName(name + QStringLiteral("Field"));
        caption->setObjectName(name + QStringLiteral("Label"));
        caption->setBuddy(field);
        c_.fieldLabels[i] = caption;
        field->setGeometry(x + labelWidth, y, 72, 22);
    }

    QWidget* Page(int page) const { return c_.notebook->widget(page); }

private:
    ModelWindowControls& c_;
};

void BuildStartPage(LayoutBuilder& b, QWidget* page) {
    b.AddCommand(page, Command::Run, "runCommand", QStringLiteral("run"), 16, 12);
    b.AddSwitch(page, Switch::FirstDerivative, "firstDerivativeSwitch",
                QStringLiteral("1st derivative"), 16, 44);
    b.AddSwitch(page, Switch::AllCells, "allCellsSwitch", QStringLiteral("all cells"), 16, 76);
    b.AddCommand(page, Command::SaveParameters, "saveParametersCommand",
                 QStringLiteral("save parameters"), 16, 108);
    b.AddCommand(page, Command::Stop, "stopCommand", QStringLiteral("stop"), 16, 140);
    b.AddCommand(page, Command::Formula, "formulaCommand", QStringLiteral("formula"), 200, 12);
    b.AddCommand(page, Command::Delay, "delayCommand", QStringLiteral("delay"), 200, 44);
    b.AddCommand(page, Command::TimeWindow, "timeWindowCommand", QStringLiteral("Time Window"), 200,
                 76);
    b.AddCommand(page, Command::Parameters, "parametersCommand", QStringLiteral("parameters"), 200,
                 108);
    b.AddCommand(page, Command::StartMethod, "startMethodCommand", QStringLiteral("start method"),
                 200, 140);
}

void BuildParameterPages(LayoutBuilder& b, ModelWindowControls& c) {
    // The block's start method.
    QWidget* p = b.Page(PageStartMethod);
    b.AddReturn(PageStartMethod);
    b.AddSwitch(p, Switch::RandomStart, "randomStartSwitch", QStringLiteral("random start"), 8, 40);
    b.AddSwitch(p, Switch::FiftyHzStart, "fiftyHzStartSwitch", QStringLiteral("50 Hz start"), 8,
                64);
    b.AddSwitch(p, Switch::ExtraStart, "extraStartSwitch", QStringLiteral("extra"), 8, 88);
    b.AddSwitch(p, Switch::Background, "backgroundSwitch", QStringLiteral("background"), 8, 128);
    b.AddField(p, Param::Period, QStringLiteral("period"), 180, 40, 100);
    b.AddField(p, Param::ExtraInterval, QStringLiteral("extra interval"), 180, 72, 100);
    b.AddField(p, Param::EnvWeight, QStringLiteral("env. weight"), 180, 126, 100);

    // The formula.
    p = b.Page(PageFormula);
    b.AddReturn(PageFormula);
    b.AddLabel(p, QStringLiteral("not yet available"), 120, 90, 160);

    // The delay function.
    p = b.Page(PageDelay);
    b.AddReturn(PageDelay);
    b.AddField(p, Param::DelayL, QStringLiteral("L"), 40, 44, 30);
    b.AddField(p, Param::DelayC, QStringLiteral("C"), 40, 76, 30);
    b.AddField(p, Param::DelayF, QStringLiteral("F"), 40, 108, 30);
    b.AddCommand(p, Command::Redraw, "redrawCommand", QStringLiteral("redraw"), 200, 76);

    // The block's time window.
    p = b.Page(PageTimeWindow);
    b.AddReturn(PageTimeWindow);
    b.AddField(p, Param::StepUnit, QStringLiteral("step unit"), 8, 40, 70);
    b.AddLabel(p, QStringLiteral("cell 1"), 40, 76, 60);
    b.AddField(p, Param::Cell1X, QStringLiteral("x"), 20, 98, 20);
    b.AddField(p, Param::Cell1Y, QStringLiteral("y"), 20, 126, 20);
    b.AddField(p, Param::Cell1Z, QStringLiteral("z"), 20, 154, 20);
    b.AddLabel(p, QStringLiteral("cell 2"), 200, 76, 60);
    b.AddField(p, Param::Cell2X, QStringLiteral("x"), 180, 98, 20);
    b.AddField(p, Param::Cell2Y, QStringLiteral("y"), 180, 126, 20);
    b.AddField(p, Param::Cell2Z, QStringLiteral("z"), 180, 154, 20);

    // The cell parameters.
    p = b.Page(PageParameters);
    b.AddReturn(PageParameters);
    b.AddCommand(p, Command::DrawFunction, "drawFunctionCommand", QStringLiteral("draw function"),
                 110, 6);
    b.AddCommand(p, Command::DelayParameters, "delayParametersCommand",
                 QStringLiteral("delay parameters"), 240, 6);
    c.CommandBox(Command::DrawFunction)->setGeometry(110, 6, 125, 20);
    c.CommandBox(Command::DelayParameters)->setGeometry(240, 6, 140, 20);
    b.AddField(p, Param::Dimension, QStringLiteral("dimension"), 8, 36, 88);
    b.AddField(p, Param::XNexus, QStringLiteral("x nexus"), 8, 66, 88);
    b.AddField(p, Param::XyXzNexus, QStringLiteral("xy, xz nexus"), 8, 96, 88);
    b.AddField(p, Param::XyzNexus, QStringLiteral("xyz nexus"), 8, 126, 88);
    b.AddField(p, Param::Threshold, QStringLiteral("threshold"), 8, 156, 88);
    b.AddField(p, Param::Excited, QStringLiteral("excited"), 200, 36, 105);
    b.AddField(p, Param::Active, QStringLiteral("active"), 200, 66, 105);
    b.AddField(p, Param::AbsRefr, QStringLiteral("abs. refr."), 200, 96, 105);
    b.AddField(p, Param::Diversity, QStringLiteral("diversity"), 200, 126, 105);
    b.AddField(p, Param::Refractory, QStringLiteral("refractory"), 200, 156, 105);

    // The oscillators' time window.
    p = b.Page(PageOscTimeWindow);
    b.AddReturn(PageOscTimeWindow);
    b.AddField(p, Param::OscStepUnit, QStringLiteral("step unit"), 8, 40, 70);
    b.AddLabel(p, QStringLiteral("oscillator 1"), 30, 76, 90);
    b.AddField(p, Param::Osc1X, QStringLiteral("x"), 20, 98, 20);
    b.AddField(p, Param::Osc1Y, QStringLiteral("y"), 20, 126, 20);
    b.AddField(p, Param::Osc1Z, QStringLiteral("z"), 20, 154, 20);
    b.AddLabel(p, QStringLiteral("oscillator 2"), 190, 76, 90);
    b.AddField(p, Param::Osc2X, QStringLiteral("x"), 180, 98, 20);
    b.AddField(p, Param::Osc2Y, QStringLiteral("y"), 180, 126, 20);
    b.AddField(p, Param::Osc2Z, QStringLiteral("z"), 180, 154, 20);

    // The oscillator parameters.
    p = b.Page(PageOscParameters);
    b.AddReturn(PageOscParameters);
    b.AddCommand(p, Command::OscillatorStartMethod, "oscillatorStartMethodCommand",
                 QStringLiteral("start method"), 8, 40);
    b.AddField(p, Param::OscDimension, QStringLiteral("dimension"), 8, 80, 80);

    // The oscillators' start.
    p = b.Page(PageOscStart);
    b.AddReturn(PageOscStart);
    b.AddField(p, Param::StartFraction, QStringLiteral("start fraction"), 8, 44, 130);
    b.AddField(p, Param::PhaseVariability, QStringLiteral("phase variability"), 8, 76, 130);
    b.AddField(p, Param::PeriodVariability, QStringLiteral("period variability"), 8, 108, 130);
}

void BuildRunControls(LayoutBuilder& b, QWidget& window, ModelWindowControls& c) {
    constexpr int kRowY = 458;
    b.AddLabel(&window, QStringLiteral("pause"), 6, kRowY + 3, 38)
        ->setObjectName(QStringLiteral("pauseCaption"));
    c.pause = new common::ui::IntSpinEdit(&window);
    c.pause->setObjectName(QStringLiteral("pauseField"));
    c.pause->SetMinValue(0);
    c.pause->SetMaxValue(kMaxPauseMs);
    c.pause->SetIncrement(10);
    c.pause->SetValue(kDefaultPauseMs);
    c.pause->SetShowsValueInUse(true);
    c.pause->setToolTip(QStringLiteral("pause between steps; 0: as fast as possible"));
    c.pause->setGeometry(44, kRowY, 72, 22);
    b.AddLabel(&window, QStringLiteral("msec"), 120, kRowY + 3, 32);

    c.step = new QToolButton(&window);
    c.step->setObjectName(QStringLiteral("stepButton"));
    c.step->setText(QStringLiteral("step"));
    c.step->setToolTip(QStringLiteral("one step (Right arrow on the plots; Space: run/pause)"));
    c.step->setGeometry(160, kRowY, 50, 22);

    b.AddLabel(&window, QStringLiteral("seed"), 222, kRowY + 3, 32)
        ->setObjectName(QStringLiteral("seedCaption"));
    c.seed = new QLineEdit(&window);
    c.seed->setObjectName(QStringLiteral("seedField"));
    c.seed->setPlaceholderText(QStringLiteral("from the clock"));
    c.seed->setToolTip(QStringLiteral("seed of the model's build; type one to repeat a run"));
    c.seed->setMaxLength(30);
    c.seed->setGeometry(256, kRowY, 148, 22);
}

}  // namespace

QWidget* ModelWindowControls::Field(Param p) const {
    if (IsRealParam(p)) return RealField(p);
    return IntegerField(p);
}

ModelWindowControls BuildModelWindowLayout(QWidget& window) {
    window.setWindowTitle(QString::fromLatin1(kModelWindowCaption));
    window.setFixedSize(kModelWindowWidth, kModelWindowHeight);
    // The program's form font, as on the launcher; the controls inherit it.
    QFont formFont(QStringLiteral("Liberation Sans"));
    formFont.setPixelSize(12);
    window.setFont(formFont);

    ModelWindowControls c;
    LayoutBuilder b(c);

    c.title = new QLabel(&window);
    c.title->setObjectName(QStringLiteral("modelTitle"));
    c.title->setGeometry(6, 4, 616, 20);
    c.title->setAlignment(Qt::AlignCenter);
    QFont topFont = c.title->font();
    topFont.setBold(true);
    c.title->setFont(topFont);

    c.timePlot = new common::ui::PlotView(kTimeWindowWidth, kTimeWindowHeight, &window);
    c.timePlot->setObjectName(QStringLiteral("timePlot"));
    c.timePlot->move(6, 26);

    const QIcon saveIcon = window.style()->standardIcon(QStyle::SP_DialogSaveButton);
    c.saveTimePlot = new QToolButton(&window);
    c.saveTimePlot->setObjectName(QStringLiteral("saveTimePlotButton"));
    c.saveTimePlot->setIcon(saveIcon);
    c.saveTimePlot->setToolTip(QStringLiteral("save top window"));
    c.saveTimePlot->setGeometry(622, 26, 21, 21);

    // The row under the time plot.
    c.pageCaption = new QLabel(&window);
    c.pageCaption->setObjectName(QStringLiteral("pageCaption"));
    // Wide enough for the longest page caption ("help VFsum 0 & 2 time window").
    c.pageCaption->setGeometry(6, 208, 190, 18);
    QFont leftFont = c.pageCaption->font();
    leftFont.setBold(true);
    c.pageCaption->setFont(leftFont);
    c.modelTimeCaption = b.AddLabel(&window, QStringLiteral("model time:"), 194, 209, 64);
    c.modelTimeCaption->setObjectName(QStringLiteral("modelTimeCaption"));
    c.modelTimeCaption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    c.modelTime = new QLineEdit(QStringLiteral("0"), &window);
    c.modelTime->setObjectName(QStringLiteral("modelTime"));
    c.modelTime->setReadOnly(true);
    c.modelTime->setGeometry(262, 206, 60, 22);
    c.modelTime->setAlignment(Qt::AlignRight);
    b.AddLabel(&window, QStringLiteral("msec"), 326, 209, 32);

    c.help = new QToolButton(&window);
    c.help->setObjectName(QStringLiteral("helpButton"));
    c.help->setText(QStringLiteral("?"));
    c.help->setToolTip(QStringLiteral("help"));
    c.help->setGeometry(362, 206, 24, 22);
    c.helpReturn = new QToolButton(&window);
    c.helpReturn->setObjectName(QStringLiteral("helpReturnButton"));
    c.helpReturn->setText(QStringLiteral("<"));
    c.helpReturn->setToolTip(QStringLiteral("return"));
    c.helpReturn->setGeometry(362, 206, 24, 22);
    c.helpReturn->hide();

    c.rightCaption = new QLabel(QStringLiteral("phase plot"), &window);
    c.rightCaption->setObjectName(QStringLiteral("rightCaption"));
    c.rightCaption->setGeometry(410, 209, 180, 18);
    c.rightCaption->setAlignment(Qt::AlignCenter);
    c.saveRightPlot = new QToolButton(&window);
    c.saveRightPlot->setObjectName(QStringLiteral("saveRightPlotButton"));
    c.saveRightPlot->setIcon(saveIcon);
    c.saveRightPlot->setToolTip(QStringLiteral("save right window"));
    c.saveRightPlot->setGeometry(600, 206, 21, 21);

    // The notebook on its green panel, and the right plot.
    auto* panel = new QWidget(&window);
    panel->setObjectName(QStringLiteral("notebookPanel"));
    panel->setGeometry(6, 237, 398, 212);
    panel->setAutoFillBackground(true);
    QPalette green = panel->palette();
    green.setColor(QPalette::Window, QColor(0, 128, 0));
    panel->setPalette(green);
    c.notebook = new QStackedWidget(panel);
    c.notebook->setObjectName(QStringLiteral("notebook"));
    c.notebook->setGeometry(6, 6, kNotebookWidth, kNotebookHeight);
    c.notebook->setAutoFillBackground(true);
    c.notebook->setPalette(window.style()->standardPalette());
    // Fixed pitch keeps the columns and the formula of the help texts; small
    // enough for their longest line to fit the page.
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setPixelSize(11);
    for (int i = 0; i < kPageCount; ++i) {
        auto* page = new QWidget;
        page->setObjectName(QStringLiteral("notebookPage%1").arg(i));
        page->setAccessibleName(PageCaption(i));
        c.notebook->addWidget(page);
        if (IsHelpPage(i)) {
            auto* text = new QPlainTextEdit(page);
            text->setObjectName(QStringLiteral("helpText%1").arg(i));
            text->setGeometry(0, 0, kNotebookWidth, kNotebookHeight);
            text->setLineWrapMode(QPlainTextEdit::NoWrap);
            text->setFont(fixed);
            text->setPlainText(HelpText(i).join(QLatin1Char('\n')));
            text->setVerticalScrollBarPolicy(HelpHasScrollBar(i) ? Qt::ScrollBarAlwaysOn
                                                                 : Qt::ScrollBarAlwaysOff);
            text->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            c.helpTexts[static_cast<std::size_t>(i)] = text;
        }
    }
    BuildStartPage(b, b.Page(PageStart));
    BuildParameterPages(b, c);

    c.rightPlot = new common::ui::PlotView(kRightWindowSize, kRightWindowSize, &window);
    c.rightPlot->setObjectName(QStringLiteral("rightPlot"));
    c.rightPlot->move(410, 237);

    c.initializingNotice = new QLabel(QString::fromLatin1(kInitializingText), &window);
    c.initializingNotice->setObjectName(QStringLiteral("initializingNotice"));
    QFont initFont(QStringLiteral("Liberation Serif"));
    initFont.setPixelSize(29);
    initFont.setBold(true);
    initFont.setItalic(true);
    c.initializingNotice->setFont(initFont);
    QPalette red = c.initializingNotice->palette();
    red.setColor(QPalette::WindowText, QColor(255, 0, 0));
    c.initializingNotice->setPalette(red);
    c.initializingNotice->setAttribute(Qt::WA_TranslucentBackground);
    c.initializingNotice->setAlignment(Qt::AlignCenter);
    c.initializingNotice->setGeometry(6, 90, 616, 44);
    c.initializingNotice->hide();

    BuildRunControls(b, window, c);
    // Under the right plot, clear of every other control.
    c.record = new QCheckBox(QStringLiteral("record"), &window);
    c.record->setObjectName(QStringLiteral("recordBox"));
    c.record->setToolTip(QStringLiteral("write every step of the run into a CSV file"));
    c.record->setGeometry(410, 456, 100, 20);
    return c;
}

}  // namespace myogrid
