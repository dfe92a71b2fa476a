#include "myogrid/model_window.h"
#include "myogrid/window_accessibility.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QStackedWidget>
#include <QTimer>
#include <QToolButton>
#include <algorithm>

#include "common/errors.h"
#include "common/number_format.h"
#include "common/numeric.h"
#include "common/ui/dialogs.h"
#include "common/ui/error_box.h"
#include "common/ui/int_spin_edit.h"
#include "common/ui/plot_menu.h"
#include "common/ui/plot_view.h"
#include "common/ui/scope_exit.h"
#include "common/ui/window_placement.h"
#include "myogrid/engine/delay_function.h"
#include "myogrid/engine/parameter_table.h"
#include "myogrid/model_help_texts.h"
#include "myogrid/real_spin_edit.h"

namespace myogrid {

namespace {

constexpr const char* kPhasePlot = "phase plot";
constexpr const char* kActiveCells = "active cells";
constexpr const char* kDelayFunction = "delay function";
constexpr const char* kReturnMapCaption = "Pt vs Pt-1";
constexpr const char* kBitmapFilter = "bitmap|*.BMP";

// The fields the reduced form of the parameters page hides: the dimension
// and the right column.
constexpr Param kFullFormOnly[] = {Param::Dimension, Param::Excited,   Param::Active,
                                   Param::AbsRefr,   Param::Diversity, Param::Refractory};

// The oscillator coordinates a single oscillator has no use for.
constexpr Param kOscillatorCoordinates[] = {Param::Osc1X, Param::Osc1Y, Param::Osc1Z,
                                            Param::Osc2X, Param::Osc2Y, Param::Osc2Z};

}  // namespace

std::span<const ModelWindow::CommandEntry> ModelWindow::CommandTable() {
    static const CommandEntry kTable[] = {
        {Command::Run, false, -1, -1, &ModelWindow::RunCommand},
        {Command::Formula, true, PageFormula, PageFormula, nullptr},
        {Command::Delay, true, PageDelay, PageParameters, &ModelWindow::PrepareDelayOrReturnMap},
        {Command::TimeWindow, true, PageTimeWindow, PageOscTimeWindow, nullptr},
        {Command::Parameters, true, PageParameters, PageOscParameters,
         &ModelWindow::PrepareBlockParameters},
        {Command::SaveParameters, true, -1, -1, &ModelWindow::SaveParametersCommand},
        {Command::StartMethod, true, PageStartMethod, PageParameters,
         &ModelWindow::PrepareCellParameters},
        {Command::Stop, false, -1, -1, &ModelWindow::StopCommand},
        {Command::Redraw, false, -1, -1, &ModelWindow::RedrawDelayFunction},
        {Command::DrawFunction, false, -1, -1, &ModelWindow::RedrawReturnMap},
        // Its tick is left as the user set it.
        {Command::DelayParameters, false, PageDelay, PageDelay, &ModelWindow::HideRedraw},
        {Command::OscillatorStartMethod, false, PageOscStart, PageOscStart, nullptr},
    };
    return kTable;
}

std::span<const ModelWindow::ReturnEntry> ModelWindow::ReturnTable() {
    static const ReturnEntry kTable[] = {
        {PageStartMethod, Command::StartMethod, PageStart, nullptr},
        {PageFormula, Command::Formula, PageStart, nullptr},
        {PageDelay, Command::Delay, PageStart, &ModelWindow::ShowRunViewAgain},
        {PageTimeWindow, Command::TimeWindow, PageStart, &ModelWindow::ComputeTraceCells},
        {PageParameters, std::nullopt, PageStart, &ModelWindow::ClampCellParameters},
        {PageOscTimeWindow, Command::TimeWindow, PageStart, nullptr},
        {PageOscParameters, Command::Parameters, PageStart,
         &ModelWindow::ClampOscillatorCoordinates},
        {PageOscStart, Command::OscillatorStartMethod, PageOscParameters, nullptr},
    };
    return kTable;
}

std::span<const ModelWindow::SwitchEntry> ModelWindow::SwitchTable() {
    static const SwitchEntry kTable[] = {
        {Switch::FirstDerivative, true, nullptr},
        {Switch::AllCells, true, &ModelWindow::SetRightCaptionByAllCells},
        // The start methods and the background are read by the engine.
        {Switch::RandomStart, false, nullptr},
        {Switch::FiftyHzStart, false, nullptr},
        {Switch::ExtraStart, false, nullptr},
        {Switch::Background, false, nullptr},
    };
    return kTable;
}

ModelWindow::ModelWindow(ParameterTable& table, QWidget* parent, MillisecondClock* clock,
                         RandomSource* random)
    : QWidget(parent, Qt::Window), table_(table), run_(std::make_unique<RunController>(random)) {
    if (!clock) {
        ownClock_ = std::make_unique<SystemMillisecondClock>();
        clock = ownClock_.get();
    }
    clock_ = clock;
    runLoop_ = std::make_unique<RunLoop>(*clock_);

    setObjectName(QStringLiteral("modelWindow"));
    controls_ = BuildModelWindowLayout(*this);

    // The engine reads the values the fields hold, taken as their texts change.
    TakeFieldValues();
    for (const ParameterDefinition& definition : kParameterDefinitions) {
        const Param p = definition.param;
        QLineEdit* editor = IsRealParam(p) ? RealField(p)->Editor() : IntegerField(p)->Editor();
        connect(editor, &QLineEdit::textChanged, this, [this, p] { TakeFieldValue(p); });
    }
    run_->SetStepObserver([this](const StepReport& step) {
        if (!recorder_) return;
        try {
            recorder_->Begin(run_->RepeatingSeed());
            recorder_->Add(step);
        } catch (const common::AppError&) {
            // A failed record has removed its file already: it ends here,
            // with one message.
            recorder_.reset();
            controls_.record->setChecked(false);
            throw;
        }
    });
    RefreshPlots();

    runTimer_ = new QTimer(this);
    runTimer_->setObjectName(QStringLiteral("runTimer"));
    connect(runTimer_, &QTimer::timeout, this, &ModelWindow::RunTimerTick);
    ConnectControls();
    ConnectExports();
    MakeModelWindowAccessible(controls_);
}

ModelWindow::~ModelWindow() {
    runTimer_->stop();
    // Closing normally has completed the record already; what a window
    // destroyed without closing has recorded is kept as far as it can be.
    if (recorder_) {
        try {
            recorder_->Finish();
        } catch (const std::exception&) {
        }
    }
}

void ModelWindow::ConnectControls() {
    const ModelWindowControls& c = controls_;
    connect(c.saveTimePlot, &QToolButton::clicked, this, [this] { SavePicture(true); });
    connect(c.saveRightPlot, &QToolButton::clicked, this, [this] { SavePicture(false); });
    // Acts as soon as the mouse is pressed on it.
    connect(c.help, &QToolButton::pressed, this, &ModelWindow::HelpPressed);
    connect(c.helpReturn, &QToolButton::clicked, this, &ModelWindow::HelpReturnClicked);

    // A click toggles the tick and runs the box's work.
    for (const CommandEntry& entry : CommandTable()) {
        QCheckBox* box = c.CommandBox(entry.command);
        connect(box, &QCheckBox::clicked, this, [this, box, &entry] {
            BoxClicked(box, entry.command != Command::Run, [&] { RunCommandEntry(entry); });
        });
    }
    for (const ReturnEntry& entry : ReturnTable()) {
        QCheckBox* box = c.ReturnBox(entry.page);
        connect(box, &QCheckBox::clicked, this,
                [this, box, &entry] { BoxClicked(box, true, [&] { RunReturnEntry(entry); }); });
    }
    for (const SwitchEntry& entry : SwitchTable()) {
        QCheckBox* box = c.SwitchBox(entry.choice);
        connect(box, &QCheckBox::clicked, this, [this, box, &entry] {
            BoxClicked(box, true, [&] {
                if (entry.haltsFirst) Halt();
                if (entry.then) (this->*entry.then)();
            });
        });
    }
    // The start-method boxes: a mouse press unticks all three first.
    for (Switch s : {Switch::RandomStart, Switch::FiftyHzStart, Switch::ExtraStart})
        c.SwitchBox(s)->installEventFilter(this);

    // Run control: the pause, single steps and the seed; Space and the
    // Right arrow on the plots, which take the focus when clicked.
    connect(c.pause, &common::ui::IntSpinEdit::UserChanged, this,
            [this] { SetPauseMs(controls_.pause->Value()); });
    connect(c.step, &QToolButton::clicked, this, &ModelWindow::StepCommand);
    connect(c.seed, &QLineEdit::textEdited, this,
            [this](const QString& text) { seedTyped_ = !text.trimmed().isEmpty(); });
    for (common::ui::PlotView* plot : {c.timePlot, c.rightPlot}) {
        plot->setFocusPolicy(Qt::ClickFocus);
        plot->installEventFilter(this);
    }
}

// ------------------------------------------------------ parameter source

void ModelWindow::TakeFieldValue(Param p) {
    ParameterValues& values = run_->Parameters();
    if (IsRealParam(p)) {
        values.SetReal(p, RealField(p)->Value());
    } else {
        const int value = IntegerField(p)->Value();
        values.SetInteger(p, value);
        values.SetReal(p, value);
    }
}

void ModelWindow::TakeFieldValues() {
    for (const ParameterDefinition& definition : kParameterDefinitions)
        TakeFieldValue(definition.param);
}

// ------------------------------------------------------------- helpers

template <class Work>
bool ModelWindow::Handle(Work&& work) {
    return common::ui::Guarded(this, [&] {
        try {
            work();
        } catch (...) {
            // The run stops before the error box, whose own event loop would
            // otherwise keep the timer ticking.
            Halt();
            RefreshPlots();
            throw;
        }
    });
}

void ModelWindow::BoxClicked(QCheckBox* box, bool restoreOnFailure,
                             const std::function<void()>& work) {
    const bool tickedByClick = box->isChecked();
    const bool done = Handle(work);
    if (!done && restoreOnFailure) box->setChecked(!tickedByClick);
}

void ModelWindow::RunCommandEntry(const CommandEntry& entry) {
    if (entry.haltsFirst) Halt();
    if (entry.work) (this->*entry.work)();
    const int page = kind_ == ModelKind::Topological ? entry.blockPage : entry.oscillatorPage;
    if (page >= 0) OpenPage(page);
}

void ModelWindow::RunReturnEntry(const ReturnEntry& entry) {
    Command opener = entry.unticks.value_or(parametersOpener_.value_or(
        kind_ == ModelKind::Topological ? Command::Parameters : Command::Delay));
    CommandBox(opener)->setChecked(false);
    ShowPage(entry.destination);
    if (entry.then) (this->*entry.then)();
}

bool ModelWindow::IsTicked(Switch s) const { return controls_.SwitchBox(s)->isChecked(); }

BlockSwitches ModelWindow::Switches() const {
    BlockSwitches s;
    s.randomStart = IsTicked(Switch::RandomStart);
    s.fiftyHzStart = IsTicked(Switch::FiftyHzStart);
    s.extra = IsTicked(Switch::ExtraStart);
    s.background = IsTicked(Switch::Background);
    // A switch hidden for the model shown is off, whatever tick it kept.
    s.allCells = IsTicked(Switch::AllCells) &&
                 (kind_ == ModelKind::Topological || kind_ == ModelKind::CoupledOscillators);
    s.firstDerivative = IsTicked(Switch::FirstDerivative) && kind_ != ModelKind::OneOscillator;
    return s;
}

void ModelWindow::RefreshPlots() {
    controls_.timePlot->SetImage(renderer_.Pictures().TimeWindow().Image());
    controls_.rightPlot->SetImage(renderer_.Pictures().RightWindow().Image());
}

void ModelWindow::Halt() {
    runTimer_->stop();
    runLoop_->Halt();
    CommandBox(Command::Run)->setChecked(false);
    controls_.step->setEnabled(true);
    if (unshownSteps_) ShowSteps();
    FinishRecording();
}

void ModelWindow::Pause() {
    runTimer_->stop();
    runLoop_->Pause();
    CommandBox(Command::Run)->setChecked(false);
    controls_.step->setEnabled(true);
    if (unshownSteps_) ShowSteps();
}

void ModelWindow::ShowSteps() {
    ShowModelTime(stepModelTime_);
    RefreshPlots();
    unshownSteps_ = false;
}

void ModelWindow::ShowModelTime(std::int64_t time) {
    QLineEdit* field = controls_.modelTime;
    const QString text = QString::fromStdString(common::IntToText(time));
    // A number wider than the field is shown in a smaller type, whole.
    QFont font = controls_.modelTimeCaption->font();
    const int room = field->contentsRect().width() - 6;
    const int width = QFontMetrics(font).horizontalAdvance(text);
    if (width > room && room > 0) {
        const qreal size = font.pointSizeF() > 0 ? font.pointSizeF() : 9.0;
        font.setPointSizeF(std::max(4.0, size * room / width));
    }
    if (field->font() != font) field->setFont(font);
    field->setText(text);
    field->setCursorPosition(0);
    field->setToolTip(text + QStringLiteral(" msec"));
}

bool ModelWindow::Running() const { return runTimer_->isActive(); }

int ModelWindow::CurrentPage() const { return controls_.notebook->currentIndex(); }

void ModelWindow::ShowPage(int page) {
    // Back on the start page no command stays ticked for a page left.
    if (page == PageStart) UntickPageCommands();
    controls_.notebook->setCurrentIndex(page);
    controls_.pageCaption->setText(PageCaption(page));
}

void ModelWindow::OpenPage(int page) {
    ReturnBox(page)->setChecked(false);
    // The page opens clean: its one-shot boxes carry no tick of a former visit.
    if (page == PageParameters) CommandBox(Command::DelayParameters)->setChecked(false);
    if (page == PageOscParameters) CommandBox(Command::OscillatorStartMethod)->setChecked(false);
    ShowPage(page);
}

void ModelWindow::SetParametersForm(ParametersForm form) {
    const bool full = form != ParametersForm::ReturnMap;
    for (Param p : kFullFormOnly) {
        controls_.Field(p)->setVisible(full);
        controls_.FieldLabel(p)->setVisible(full);
    }
    CommandBox(Command::DrawFunction)->setVisible(form == ParametersForm::ReturnMap);
    CommandBox(Command::DelayParameters)->setVisible(form == ParametersForm::CellParams);
}

void ModelWindow::SetRightCaptionByAllCells() {
    controls_.rightCaption->setText(
        QString::fromLatin1(IsTicked(Switch::AllCells) ? kActiveCells : kPhasePlot));
}

void ModelWindow::ComputeTraceCells() { run_->TraceCells(); }

void ModelWindow::ClampToDependentMaxima(std::initializer_list<UpperBound> bounds) {
    // Table order: the threshold before the cell coordinates.
    for (const ParameterDefinition& definition : kParameterDefinitions) {
        if (std::find(bounds.begin(), bounds.end(), definition.upperBound) == bounds.end())
            continue;
        const std::int32_t maximum = *DependentMaximum(definition.param, run_->Parameters());
        common::ui::IntSpinEdit* field = IntegerField(definition.param);
        field->SetMaxValue(maximum);
        if (field->Value() > maximum) field->SetValue(maximum);
    }
}

// ------------------------------------------------------------- opening

void ModelWindow::OpenModelWindow(const QString& title, ModelKind kind) {
    // A run of the model shown before must not go on under the new one.
    Halt();

    const ModelWindowControls& c = controls_;
    title_ = title;
    c.title->setText(title);
    c.pageCaption->setText(PageCaption(CurrentPage()));
    c.help->setDown(false);
    // A help page left open keeps the button that leads back from it.
    const bool onHelp = IsHelpPage(CurrentPage());
    c.help->setVisible(!onHelp);
    c.helpReturn->setVisible(onHelp);
    SwitchBox(Switch::RandomStart)->setChecked(true);

    // Table order; the dependent maxima from the values just filled in.
    for (const ParameterDefinition& definition : kParameterDefinitions) {
        const std::string key = definition.key;
        const std::string fallback = definition.defaultText;
        if (definition.real) {
            RealField(definition.param)->SetValue(table_.ParameterAsReal(key, fallback));
            continue;
        }
        common::ui::IntSpinEdit* field = IntegerField(definition.param);
        if (const auto max = DependentMaximum(definition.param, run_->Parameters()))
            field->SetMaxValue(*max);
        field->SetValue(table_.ParameterAsInteger(key, fallback));
    }

    kind_ = kind;
    run_->Open(kind);
    for (const FixedParameter& fixed : FixedParametersOf(kind))
        IntegerField(fixed.param)->SetValue(fixed.value);
    LimitCoordinatesToTheLayer();
    // The model opens clean: no tick, picture or time of the model before.
    UntickPageCommands();
    renderer_.Pictures().ClearTimeWindow();
    renderer_.Pictures().ClearRightWindow();
    sweep_.Clear();
    rightData_ = RightData::None;
    phasePoints_.clear();
    stepModelTime_ = 0;
    unshownSteps_ = false;
    ShowSteps();
    // The seed kept with the parameters is the typed one; without it each
    // build draws its own.
    seedTyped_ = table_.Seed.has_value();
    c.seed->setText(seedTyped_ ? QString::fromStdString(common::UnsignedToText(*table_.Seed))
                               : QString());
    ApplyKindToStartPage();
    // The "all cells" tick is kept between openings; where the model offers
    // that view, the next run shows it.
    if (kind_ == ModelKind::Topological || kind_ == ModelKind::CoupledOscillators)
        SetRightCaptionByAllCells();
    else
        c.rightCaption->setText(QString::fromLatin1(kPhasePlot));
}

void ModelWindow::ApplyKindToStartPage() {
    const bool block = kind_ == ModelKind::Topological;
    const bool one = kind_ == ModelKind::OneOscillator;
    QCheckBox* firstDerivative = SwitchBox(Switch::FirstDerivative);
    QCheckBox* allCells = SwitchBox(Switch::AllCells);
    firstDerivative->setText(block ? QStringLiteral("1st derivative")
                                   : QStringLiteral("membr. pot."));
    CommandBox(Command::Delay)
        ->setText(block ? QStringLiteral("delay") : QString::fromLatin1(kReturnMapCaption));
    CommandBox(Command::StartMethod)
        ->setText(block ? QStringLiteral("start method") : QStringLiteral("cell param.s"));
    allCells->setText(block ? QStringLiteral("all cells") : QStringLiteral("all oscill.s"));
    firstDerivative->setVisible(!one);
    CommandBox(Command::Parameters)->setVisible(!one);
    allCells->setVisible(block || kind_ == ModelKind::CoupledOscillators);
    if (block) {
        SwitchBox(Switch::RandomStart)->setChecked(true);
        SwitchBox(Switch::FiftyHzStart)->setChecked(false);
        SwitchBox(Switch::ExtraStart)->setChecked(false);
        SwitchBox(Switch::Background)->setChecked(false);
    }
    // The oscillator models draw no random numbers.
    controls_.seed->setEnabled(block);
    controls_.seed->setToolTip(
        block ? QStringLiteral("seed of the model's build; type one to repeat a run")
              : QStringLiteral("this model uses no random numbers"));
    // A single oscillator has no coordinates to choose.
    for (Param p : kOscillatorCoordinates) IntegerField(p)->setVisible(!one);
}

bool ModelWindow::OpenAndShow(const QString& title, ModelKind kind, QWidget* reportTo) {
    // A value the window cannot take is reported over the window that asked
    // (the launcher), not over this one, which may still be hidden.
    const bool opened =
        common::ui::Guarded(reportTo ? reportTo : this, [&] { OpenModelWindow(title, kind); });
    if (!opened) return false;
    if (!isVisible()) common::ui::CentreOnScreen(*this);
    show();
    common::ui::BringToFront(*this);
    return true;
}

// ------------------------------------------------------------ commands

void ModelWindow::PrepareDelayOrReturnMap() {
    if (kind_ == ModelKind::Topological) {
        ShowDelayFunction();
        CommandBox(Command::Redraw)->show();
        controls_.rightCaption->setText(QString::fromLatin1(kDelayFunction));
    } else {
        ShowReturnMap();
        SetParametersForm(ParametersForm::ReturnMap);
        parametersOpener_ = Command::Delay;
        controls_.rightCaption->setText(QString::fromLatin1(kReturnMapCaption));
    }
}

void ModelWindow::PrepareBlockParameters() {
    if (kind_ != ModelKind::Topological) return;
    SetParametersForm(ParametersForm::Block);
    parametersOpener_ = Command::Parameters;
}

void ModelWindow::PrepareCellParameters() {
    if (kind_ == ModelKind::Topological) return;
    SetParametersForm(ParametersForm::CellParams);
    parametersOpener_ = Command::StartMethod;
}

void ModelWindow::RedrawDelayFunction() {
    CommandBox(Command::Redraw)->setChecked(false);
    ShowDelayFunction();
}

void ModelWindow::ShowDelayFunction() {
    rightData_ = RightData::None;
    const ParameterValues& values = run_->Parameters();
    DrawDelayFunction(renderer_.Pictures(), values);
    RefreshPlots();
    // The data behind the curve, with the values it was drawn from.
    delayCurve_ = DelayFunction(values, DelayFunctionDataLimit(values));
    rightData_ = RightData::DelayFunction;
}

void ModelWindow::RedrawReturnMap() {
    CommandBox(Command::DrawFunction)->setChecked(false);
    ShowReturnMap();
}

void ModelWindow::HideRedraw() { CommandBox(Command::Redraw)->hide(); }

void ModelWindow::ShowRunViewAgain() {
    SetRightCaptionByAllCells();
    rightData_ = RightData::None;
    renderer_.Pictures().ClearRightWindow();
    RefreshPlots();
}

void ModelWindow::ClampCellParameters() {
    ClampToDependentMaxima({UpperBound::NexusesPerCell, UpperBound::Dimension});
}

void ModelWindow::ClampOscillatorCoordinates() {
    ClampToDependentMaxima({UpperBound::OscDimension});
    LimitCoordinatesToTheLayer();
}

void ModelWindow::LimitCoordinatesToTheLayer() {
    const bool layer = kind_ == ModelKind::IndependentOscillators;
    for (Param x : {Param::Osc1X, Param::Osc2X}) {
        IntegerField(x)->setEnabled(!layer);
        IntegerField(x)->setToolTip(layer ? QStringLiteral("the oscillators lie in the layer x = 0")
                                          : QString());
    }
    if (!layer) return;
    const int last = std::max(0, IntegerField(Param::OscDimension)->Value() - 1);
    for (Param p : {Param::Osc1Y, Param::Osc1Z, Param::Osc2Y, Param::Osc2Z}) {
        common::ui::IntSpinEdit* field = IntegerField(p);
        field->SetMaxValue(last);
        if (field->Value() > last) field->SetValue(last);
    }
}

void ModelWindow::UntickPageCommands() {
    for (Command c : {Command::Formula, Command::Delay, Command::TimeWindow, Command::Parameters,
                      Command::SaveParameters, Command::StartMethod, Command::Stop})
        CommandBox(c)->setChecked(false);
}

void ModelWindow::RunCommand() {
    const bool wasPaused = runLoop_->Paused();
    const bool rebuilt = RebuildCheck();
    if (!CommandBox(Command::Run)->isChecked())
        Halt();
    else if (wasPaused && !rebuilt && run_->Built())
        ContinueRun();
    else
        StartRun();
}

std::optional<std::uint64_t> ModelWindow::TypedSeed() const {
    const QString text = controls_.seed->text().trimmed();
    if (!seedTyped_ || text.isEmpty()) return std::nullopt;
    std::uint64_t seed = 0;
    if (!common::TryParseUnsigned64(text.toStdString(), seed))
        throw common::AppError(common::NotValidIntegerMessage(text.toStdString()));
    return seed;
}

bool ModelWindow::RebuildCheck() {
    TakeFieldValues();
    run_->ChooseSeed(TypedSeed());
    if (!run_->BuildDue()) return false;

    QLabel* notice = controls_.initializingNotice;
    notice->show();
    notice->raise();
    repaint();
    emit BuildStarting();
    BuildOutcome outcome;
    {
        const common::ui::ScopeExit hideNotice([this, notice] {
            notice->hide();
            repaint();
        });
        outcome = run_->BuildIfDue();
    }
    controls_.seed->setText(run_->BuildSeed()
                                ? QString::fromStdString(common::UnsignedToText(*run_->BuildSeed()))
                                : QString());
    if (outcome.smaller) {
        // Memory ran out: the engine built a smaller model.
        common::ui::IntSpinEdit* dimension =
            IntegerField(kind_ == ModelKind::Topological ? Param::Dimension : Param::OscDimension);
        dimension->SetMaxValue(outcome.dimension);
        dimension->SetValue(outcome.dimension);
    }
    // The block serves the run even when its nexus table could not be written.
    if (outcome.connexionFailure)
        common::ui::ShowErrorBox(this, QString::fromStdString(*outcome.connexionFailure));
    return true;
}

void ModelWindow::StartRun(bool goOn) {
    if (!run_->Built()) {
        Halt();
        return;
    }
    const int interval = runLoop_->StartRun(
        [&] {
            const BlockSwitches switches = Switches();
            run_->StartRun(switches);
            renderer_.DrawRunStart(kind_, run_->Engine(), switches);
            phasePoints_.clear();
            activeHistory_ = {};
            rightData_ = switches.allCells ? RightData::None : RightData::PhasePoints;
            // The first step begins a new sweep.
            renderer_.Pictures().PlaceBeyondRightEdge();
        },
        [&] { StepAndDraw(); });
    // The field shows the time before the step just made, as every tick does.
    stepModelTime_ = 0;
    ShowSteps();
    if (!goOn) {
        runLoop_->HoldStill();
        return;
    }
    runTimer_->setInterval(interval);
    runTimer_->start();
    controls_.step->setEnabled(false);
}

void ModelWindow::ContinueRun() {
    runLoop_->Resume();
    runTimer_->setInterval(runLoop_->IntervalMs());
    runTimer_->start();
    controls_.step->setEnabled(false);
}

void ModelWindow::RunTimerTick() {
    Handle([&] {
        // Never step a model that is not (or no longer) built.
        if (!runLoop_->Running() || !run_->Built()) {
            Halt();
            return;
        }
        const SliceResult slice = runLoop_->RunSlice([&] {
            stepModelTime_ = run_->ModelTime();
            unshownSteps_ = true;
            StepAndDraw();
        });
        if (slice.show) ShowSteps();
    });
}

void ModelWindow::SetPauseMs(int pauseMs) {
    runLoop_->SetPauseMs(pauseMs);
    if (controls_.pause->Value() != runLoop_->PauseMs())
        controls_.pause->SetValue(runLoop_->PauseMs());
    if (Running()) runTimer_->setInterval(runLoop_->IntervalMs());
}

void ModelWindow::StepCommand() {
    Handle([&] {
        if (Running()) return;
        TakeFieldValues();
        if (runLoop_->Paused() && run_->Built()) {
            stepModelTime_ = run_->ModelTime();
            unshownSteps_ = true;
            StepAndDraw();
            ShowSteps();
            return;
        }
        // No run to go on with: a new one, held after its first step.
        RebuildCheck();
        StartRun(false);
    });
}

void ModelWindow::ToggleRunPause() {
    if (Running()) {
        Pause();
        return;
    }
    CommandBox(Command::Run)->click();
}

void ModelWindow::PickTracedCell(const QPoint& pixel, bool second) {
    Handle([&] {
        // Only the view of every cell (or oscillator) of the model in memory.
        if (controls_.rightCaption->text() != QLatin1String(kActiveCells) || !Switches().allCells ||
            !run_->Built())
            return;
        const bool block = kind_ == ModelKind::Topological;
        const int dimension =
            block ? Engine().Block().Dimension() : Engine().Oscillators().OscDimension();
        if (IntegerField(block ? Param::Dimension : Param::OscDimension)->Value() != dimension)
            return;
        const std::optional<LatticePoint> cell = TileCellAt(pixel.x(), pixel.y(), dimension);
        if (!cell) return;
        static constexpr Param kCoordinates[2][2][3] = {
            {{Param::Cell1X, Param::Cell1Y, Param::Cell1Z},
             {Param::Cell2X, Param::Cell2Y, Param::Cell2Z}},
            {{Param::Osc1X, Param::Osc1Y, Param::Osc1Z},
             {Param::Osc2X, Param::Osc2Y, Param::Osc2Z}}};
        const Param(&fields)[3] = kCoordinates[block ? 0 : 1][second ? 1 : 0];
        IntegerField(fields[0])->SetValue(cell->x);
        IntegerField(fields[1])->SetValue(cell->y);
        IntegerField(fields[2])->SetValue(cell->z);
        ComputeTraceCells();
    });
}

void ModelWindow::StepAndDraw() {
    const BlockSwitches switches = Switches();
    // The step that finds the traces past the right edge clears the window.
    if (renderer_.Pictures().PastRightEdge()) sweep_.Clear();
    const StepReport report = run_->Step(switches);
    renderer_.DrawStep(kind_, run_->Engine(), switches);
    sweep_.Add(report);
    if (rightData_ == RightData::PhasePoints) AddPhasePoint(report);
}

void ModelWindow::AddPhasePoint(const StepReport& report) {
    std::array<double, 2> point{};
    if (kind_ == ModelKind::Topological) {
        // The number of active cells against its change over two steps.
        activeHistory_ = {activeHistory_[1], activeHistory_[2], report.activeCount};
        point = {static_cast<double>(report.activeCount),
                 static_cast<double>(activeHistory_[2] - activeHistory_[0])};
    } else {
        const OscillatorTable& table = run_->Engine().Oscillators();
        const Oscillator& o = table.Record(std::min(table.TraceCell1(), table.OscillatorCount()));
        point = {o.PrevAmplitude, o.Amplitude};
    }
    if (phasePoints_.size() >= SweepSteps::kMaxSteps) phasePoints_.pop_front();
    phasePoints_.push_back(point);
}

common::DataTable ModelWindow::RightTable() const {
    common::DataTable table;
    if (rightData_ == RightData::DelayFunction) return DelayFunctionTable(delayCurve_);
    if (rightData_ == RightData::ReturnMap) {
        table.columns = {"P(t-1)", "P(t)"};
        const auto& map = run_->Engine().Oscillators().ReturnMap();
        for (int i = 0; i < kReturnMapSize; ++i)
            table.rows.push_back({i / 100.0, map[static_cast<std::size_t>(i)]});
    } else if (rightData_ == RightData::PhasePoints) {
        table.columns = kind_ == ModelKind::Topological
                            ? std::vector<std::string>{"active_count", "change_over_two_steps"}
                            : std::vector<std::string>{"P(t-1)", "P(t)"};
        for (const auto& point : phasePoints_) table.rows.push_back({point[0], point[1]});
    }
    return table;
}

void ModelWindow::ShowReturnMap() {
    rightData_ = RightData::ReturnMap;
    run_->Engine().ComputeReturnMap();
    DrawReturnMap(renderer_.Pictures(), run_->Engine().Oscillators());
    RefreshPlots();
}

void ModelWindow::StopCommand() {
    Halt();
    run_->Release();
    CommandBox(Command::Stop)->setChecked(false);
    hide();
}

void ModelWindow::SaveParametersCommand() {
    Halt();
    // A seed that is no number fails before anything is stored.
    table_.Seed = TypedSeed();
    for (const ParameterDefinition& definition : kParameterDefinitions) {
        const std::string text =
            definition.real ? common::FormatGeneral(RealField(definition.param)->Value(), 15)
                            : common::IntToText(IntegerField(definition.param)->Value());
        table_.StoreParameter(definition.key, text);
    }
    CommandBox(Command::SaveParameters)->setChecked(false);
    table_.ParametersChanged = true;
}

// --------------------------------------------------------- help buttons

void ModelWindow::HelpPressed() {
    common::ui::Guarded(this, [&] {
        const int target = HelpPageOf(CurrentPage(), kind_);
        if (target < 0) return;
        ShowPage(target);
        controls_.help->setDown(false);
        controls_.help->hide();
        controls_.helpReturn->show();
    });
}

void ModelWindow::HelpReturnClicked() {
    common::ui::Guarded(this, [&] {
        const int target = HelpPageOf(CurrentPage(), kind_);
        if (target < 0) return;
        ShowPage(target);
        controls_.helpReturn->hide();
        controls_.help->show();
    });
}

// ------------------------------------------------------------- pictures

void ModelWindow::SavePicture(bool timePlot) {
    common::ui::Guarded(this, [&] {
        const QString title =
            timePlot ? QStringLiteral("save top window") : QStringLiteral("save right window");
        const std::optional<QString> name = common::ui::Dialogs().SaveFileName(
            this, title, QString::fromLatin1(kBitmapFilter), QString());
        if (!name || name->isEmpty()) return;
        const common::PlotSurface& surface =
            timePlot ? renderer_.Pictures().TimeWindow() : renderer_.Pictures().RightWindow();
        surface.SaveBmp(name->toStdString());
    });
}

// ------------------------------------------------------------- exports

void ModelWindow::ConnectExports() {
    common::ui::AttachPlotMenu(controls_.timePlot, {QStringLiteral("time window"),
                                                    [this]() -> const common::PlotSurface& {
                                                        return renderer_.Pictures().TimeWindow();
                                                    },
                                                    [this] { return sweep_.Table(kind_); },
                                                    {}});
    common::ui::AttachPlotMenu(controls_.rightPlot, {QStringLiteral("right window"),
                                                     [this]() -> const common::PlotSurface& {
                                                         return renderer_.Pictures().RightWindow();
                                                     },
                                                     [this] { return RightTable(); },
                                                     {}});
    connect(controls_.record, &QCheckBox::clicked, this, &ModelWindow::RecordClicked);
}

void ModelWindow::RecordClicked(bool ticked) {
    const bool done = common::ui::Guarded(this, [&] {
        if (!ticked) {
            FinishRecording();
            return;
        }
        const std::optional<QString> name = common::ui::Dialogs().SaveFileName(
            this, QStringLiteral("record the run"), QStringLiteral("CSV table|*.csv"),
            QStringLiteral("run.csv"));
        if (!name || name->isEmpty()) {
            controls_.record->setChecked(false);
            return;
        }
        recorder_ = std::make_unique<RunRecorder>(name->toStdString(), kind_);
    });
    if (!done) controls_.record->setChecked(recorder_ != nullptr);
}

void ModelWindow::FinishRecording() {
    controls_.record->setChecked(false);
    if (!recorder_) return;
    const std::unique_ptr<RunRecorder> recorder = std::move(recorder_);
    common::ui::Guarded(this, [&] { recorder->Finish(); });
}

// --------------------------------------------------------------- events

void ModelWindow::closeEvent(QCloseEvent* event) {
    // Closing by the frame only hides the window, but no run goes on unseen.
    Halt();
    event->accept();
}

bool ModelWindow::eventFilter(QObject* watched, QEvent* event) {
    const bool onPlot = watched == controls_.timePlot || watched == controls_.rightPlot;
    if (onPlot && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Space) {
            if (!key->isAutoRepeat()) ToggleRunPause();
            return true;
        }
        if (key->key() == Qt::Key_Right) {
            StepCommand();
            return true;
        }
    }
    if (watched == controls_.rightPlot && event->type() == QEvent::MouseButtonPress) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton)
            PickTracedCell(controls_.rightPlot->ImagePixelAt(mouse->position()),
                           mouse->modifiers().testFlag(Qt::ShiftModifier));
    }
    // The second press of a double click comes as a double-click event.
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        constexpr Switch kStartMethods[] = {Switch::RandomStart, Switch::FiftyHzStart,
                                            Switch::ExtraStart};
        const bool onStartMethod = std::any_of(std::begin(kStartMethods), std::end(kStartMethods),
                                               [&](Switch s) { return watched == SwitchBox(s); });
        if (mouse->button() == Qt::LeftButton && onStartMethod) {
            // Exactly the pressed start method is ticked after the click.
            for (Switch s : kStartMethods) SwitchBox(s)->setChecked(false);
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace myogrid
