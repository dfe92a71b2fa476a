#include "myogrid/topolt.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScreen>
#include <QStackedWidget>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <algorithm>

#include "common/errors.h"
#include "common/number_format.h"
#include "common/ui/dialogs.h"
#include "common/ui/error_box.h"
#include "common/ui/int_spin_edit.h"
#include "common/ui/plot_view.h"
#include "myogrid/engine/parameter_table.h"
#include "myogrid/engine/parameter_values.h"
#include "myogrid/rspin.h"
#include "myogrid/topolt_help.h"

namespace myogrid {

namespace {

constexpr int kWindowWidth = 644;
constexpr int kWindowHeight = 489;
constexpr int kNotebookWidth = 385;
constexpr int kNotebookHeight = 199;

constexpr const char* kPhasePlot = "phase plot";
constexpr const char* kActiveCells = "active cells";
constexpr const char* kDelayFunction = "delay function";
constexpr const char* kReturnMapCaption = "Pt vs Pt-1";
constexpr const char* kBitmapFilter = "bitmap|*.BMP";

Param ParamOfControl(int n) {
    // ParI1..ParI27 follow the table; ParI34 edits "osc. dimension=", which
    // stands before the oscillator coordinates ParI28..ParI33.
    if (n <= 27) return static_cast<Param>(n - 1);
    if (n == 34) return Param::OscDimension;
    return static_cast<Param>(n);
}

}  // namespace

int ControlNumber(Param p) {
    const int i = static_cast<int>(p);
    if (p == Param::OscDimension) return 34;
    if (i >= static_cast<int>(Param::Osc1X)) return i;
    return i + 1;
}

TFormTopolt::TFormTopolt(ParameterTable& table, QWidget* parent, MillisecondClock* clock,
                         RandomSource* random)
    : QWidget(parent, Qt::Window), table_(table) {
    if (!clock) {
        ownClock_ = std::make_unique<SystemMillisecondClock>();
        clock = ownClock_.get();
    }
    if (!random) {
        ownRandom_ = std::make_unique<SeededRandom>(SeededRandom::ClockSeed());
        random = ownRandom_.get();
    }
    clock_ = clock;
    random_ = random;
    runLoop_ = std::make_unique<myogrid::RunLoop>(*clock_);

    setObjectName(QStringLiteral("FormTopolt"));
    setWindowTitle(QString::fromLatin1(kModelWindowCaption));
    setFixedSize(kWindowWidth, kWindowHeight);
    // The program's form font, as on the launcher; the controls inherit it.
    QFont formFont(QStringLiteral("Liberation Sans"));
    formFont.setPixelSize(12);
    setFont(formFont);
    CreateControls();

    engine_ = std::make_unique<ModelEngine>(*this, *random_);
    RefreshPlots();

    runTimer_ = new QTimer(this);
    runTimer_->setObjectName(QStringLiteral("RunLoop"));
    connect(runTimer_, &QTimer::timeout, this, &TFormTopolt::RunLoopTimer);
}

TFormTopolt::~TFormTopolt() {
    runTimer_->stop();
}

// ---------------------------------------------------------------- layout

QLabel* TFormTopolt::AddLabel(QWidget* page, const QString& text, int x, int y, int width) {
    auto* label = new QLabel(text, page);
    label->setGeometry(x, y, width, 17);
    return label;
}

QCheckBox* TFormTopolt::AddCheckBox(QWidget* page, int n, const QString& caption, int x, int y) {
    auto* box = new QCheckBox(caption, page);
    box->setObjectName(QStringLiteral("CheckBox%1").arg(n));
    box->setGeometry(x, y, 170, 20);
    checkBoxes_[static_cast<std::size_t>(n)] = box;
    return box;
}

void TFormTopolt::AddParameter(QWidget* page, int n, const QString& label, int x, int y,
                               int labelWidth) {
    QLabel* caption = AddLabel(page, label, x, y + 2, labelWidth);
    const Param p = ParamOfControl(n);
    QWidget* control = nullptr;
    if (IsRealParam(p)) {
        auto* spin = new TRspinEdit(page);
        spin->setObjectName(QStringLiteral("ParR%1").arg(n));
        parR_[static_cast<std::size_t>(n)] = spin;
        control = spin;
    } else {
        auto* spin = new common::ui::IntSpinEdit(page);
        spin->setObjectName(QStringLiteral("ParI%1").arg(n));
        const ParameterSpec& spec = SpecOf(p);
        spin->SetMinValue(spec.min);
        spin->SetMaxValue(spec.max);
        spin->SetIncrement(spec.increment);
        parI_[static_cast<std::size_t>(n)] = spin;
        control = spin;
    }
    caption->setObjectName(QStringLiteral("Label%1").arg(control->objectName()));
    caption->setBuddy(control);
    parLabels_[static_cast<std::size_t>(n)] = caption;
    control->setGeometry(x + labelWidth, y, 72, 22);
}

QWidget* TFormTopolt::Page(int page) const { return notebook_->widget(page); }

void TFormTopolt::CreateControls() {
    labelTop_ = new QLabel(this);
    labelTop_->setObjectName(QStringLiteral("LabelTop"));
    labelTop_->setGeometry(6, 4, 616, 20);
    labelTop_->setAlignment(Qt::AlignCenter);
    QFont topFont = labelTop_->font();
    topFont.setBold(true);
    labelTop_->setFont(topFont);

    timeWindow_ = new common::ui::PlotView(kTimeWindowWidth, kTimeWindowHeight, this);
    timeWindow_->setObjectName(QStringLiteral("TimeWindow"));
    timeWindow_->move(6, 26);

    const QIcon saveIcon = style()->standardIcon(QStyle::SP_DialogSaveButton);
    bitBtnSave1_ = new QToolButton(this);
    bitBtnSave1_->setObjectName(QStringLiteral("BitBtnSave1"));
    bitBtnSave1_->setIcon(saveIcon);
    bitBtnSave1_->setToolTip(QStringLiteral("save top window"));
    bitBtnSave1_->setGeometry(622, 26, 21, 21);
    connect(bitBtnSave1_, &QToolButton::clicked, this, [this] { SavePicture(true); });

    // The row under the time window.
    labelLeft_ = new QLabel(this);
    labelLeft_->setObjectName(QStringLiteral("LabelLeft"));
    // Wide enough for the longest page caption ("help VFsum 0 & 2 time window").
    labelLeft_->setGeometry(6, 208, 190, 18);
    QFont leftFont = labelLeft_->font();
    leftFont.setBold(true);
    labelLeft_->setFont(leftFont);
    QLabel* modelTime = AddLabel(this, QStringLiteral("model time:"), 194, 209, 64);
    modelTime->setObjectName(QStringLiteral("LabelModelTime"));
    modelTime->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    editModelTime_ = new QLineEdit(QStringLiteral("0"), this);
    editModelTime_->setObjectName(QStringLiteral("EditModelTime"));
    editModelTime_->setReadOnly(true);
    editModelTime_->setGeometry(262, 206, 60, 22);
    editModelTime_->setAlignment(Qt::AlignRight);
    AddLabel(this, QStringLiteral("msec"), 326, 209, 32);

    speedButtonHelp_ = new QToolButton(this);
    speedButtonHelp_->setObjectName(QStringLiteral("SpeedButtonHelp"));
    speedButtonHelp_->setText(QStringLiteral("?"));
    speedButtonHelp_->setToolTip(QStringLiteral("help"));
    speedButtonHelp_->setGeometry(362, 206, 24, 22);
    // Acts as soon as the mouse is pressed on it.
    connect(speedButtonHelp_, &QToolButton::pressed, this, &TFormTopolt::HelpPressed);
    speedButtonReturn_ = new QToolButton(this);
    speedButtonReturn_->setObjectName(QStringLiteral("SpeedButtonReturn"));
    speedButtonReturn_->setText(QStringLiteral("<"));
    speedButtonReturn_->setToolTip(QStringLiteral("return"));
    speedButtonReturn_->setGeometry(362, 206, 24, 22);
    speedButtonReturn_->hide();
    connect(speedButtonReturn_, &QToolButton::clicked, this, &TFormTopolt::ReturnPressed);

    labelRight_ = new QLabel(QString::fromLatin1(kPhasePlot), this);
    labelRight_->setObjectName(QStringLiteral("LabelRight"));
    labelRight_->setGeometry(410, 209, 180, 18);
    labelRight_->setAlignment(Qt::AlignCenter);
    bitBtnSave2_ = new QToolButton(this);
    bitBtnSave2_->setObjectName(QStringLiteral("BitBtnSave2"));
    bitBtnSave2_->setIcon(saveIcon);
    bitBtnSave2_->setToolTip(QStringLiteral("save right window"));
    bitBtnSave2_->setGeometry(600, 206, 21, 21);
    connect(bitBtnSave2_, &QToolButton::clicked, this, [this] { SavePicture(false); });

    // The notebook on its green panel, and the right window.
    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("PanelNotebook"));
    panel->setGeometry(6, 237, 398, 212);
    panel->setAutoFillBackground(true);
    QPalette green = panel->palette();
    green.setColor(QPalette::Window, QColor(0, 128, 0));
    panel->setPalette(green);
    notebook_ = new QStackedWidget(panel);
    notebook_->setObjectName(QStringLiteral("Notebook"));
    notebook_->setGeometry(6, 6, kNotebookWidth, kNotebookHeight);
    notebook_->setAutoFillBackground(true);
    notebook_->setPalette(style()->standardPalette());
    // Fixed pitch keeps the columns and the formula of the help texts; small
    // enough for their longest line to fit the page.
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setPixelSize(11);
    for (int i = 0; i < kPageCount; ++i) {
        auto* page = new QWidget;
        page->setObjectName(QStringLiteral("Page%1").arg(i));
        page->setAccessibleName(PageCaption(i));
        notebook_->addWidget(page);
        if (IsHelpPage(i)) {
            auto* memo = new QPlainTextEdit(page);
            memo->setObjectName(QStringLiteral("MemoHelp%1").arg(i));
            memo->setGeometry(0, 0, kNotebookWidth, kNotebookHeight);
            memo->setLineWrapMode(QPlainTextEdit::NoWrap);
            memo->setFont(fixed);
            memo->setPlainText(HelpText(i).join(QLatin1Char('\n')));
            memo->setVerticalScrollBarPolicy(HelpHasScrollBar(i) ? Qt::ScrollBarAlwaysOn
                                                                 : Qt::ScrollBarAlwaysOff);
            memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            helpMemos_[static_cast<std::size_t>(i)] = memo;
        }
    }
    CreateStartPage(Page(PageStart));
    CreateParameterPages();

    rightWindow_ = new common::ui::PlotView(kRightWindowSize, kRightWindowSize, this);
    rightWindow_->setObjectName(QStringLiteral("RightWindow"));
    rightWindow_->move(410, 237);

    labelInit_ = new QLabel(QString::fromLatin1(kInitializingText), this);
    labelInit_->setObjectName(QStringLiteral("LabelInit"));
    QFont initFont(QStringLiteral("Liberation Serif"));
    initFont.setPixelSize(29);
    initFont.setBold(true);
    initFont.setItalic(true);
    labelInit_->setFont(initFont);
    QPalette red = labelInit_->palette();
    red.setColor(QPalette::WindowText, QColor(255, 0, 0));
    labelInit_->setPalette(red);
    labelInit_->setAttribute(Qt::WA_TranslucentBackground);
    labelInit_->setAlignment(Qt::AlignCenter);
    labelInit_->setGeometry(6, 90, 616, 44);
    labelInit_->hide();

    // Commands and return boxes: a click toggles the tick and runs the command.
    for (int n = 1; n <= 26; ++n) {
        QCheckBox* box = checkBoxes_[static_cast<std::size_t>(n)];
        if (!box) continue;
        connect(box, &QCheckBox::clicked, this, [this, n] { CommandClicked(n); });
    }
    // The start-method boxes: a mouse press unticks all three first.
    for (int n = 12; n <= 14; ++n) CheckBox(n)->installEventFilter(this);
}

void TFormTopolt::CreateStartPage(QWidget* page) {
    AddCheckBox(page, 1, QStringLiteral("run"), 16, 12);
    AddCheckBox(page, 2, QStringLiteral("1st derivative"), 16, 44);
    AddCheckBox(page, 9, QStringLiteral("all cells"), 16, 76);
    AddCheckBox(page, 7, QStringLiteral("save parameters"), 16, 108);
    AddCheckBox(page, 10, QStringLiteral("stop"), 16, 140);
    AddCheckBox(page, 3, QStringLiteral("formula"), 200, 12);
    AddCheckBox(page, 4, QStringLiteral("delay"), 200, 44);
    AddCheckBox(page, 5, QStringLiteral("Time Window"), 200, 76);
    AddCheckBox(page, 6, QStringLiteral("parameters"), 200, 108);
    AddCheckBox(page, 8, QStringLiteral("start method"), 200, 140);
}

void TFormTopolt::CreateParameterPages() {
    // "topolt start method"
    QWidget* p = Page(PageStartMethod);
    AddCheckBox(p, 11, QStringLiteral("return"), 8, 6);
    AddCheckBox(p, 12, QStringLiteral("random start"), 8, 40);
    AddCheckBox(p, 13, QStringLiteral("50 Hz start"), 8, 64);
    AddCheckBox(p, 14, QStringLiteral("extra"), 8, 88);
    AddCheckBox(p, 15, QStringLiteral("background"), 8, 128);
    AddParameter(p, 21, QStringLiteral("period"), 180, 40, 100);
    AddParameter(p, 22, QStringLiteral("extra interval"), 180, 72, 100);
    AddParameter(p, 23, QStringLiteral("env. weight"), 180, 126, 100);

    // "topolt formula"
    p = Page(PageFormula);
    AddCheckBox(p, 16, QStringLiteral("return"), 8, 6);
    AddLabel(p, QStringLiteral("not yet available"), 120, 90, 160);

    // "topolt delay"
    p = Page(PageDelay);
    AddCheckBox(p, 17, QStringLiteral("return"), 8, 6);
    AddParameter(p, 18, QStringLiteral("L"), 40, 44, 30);
    AddParameter(p, 19, QStringLiteral("C"), 40, 76, 30);
    AddParameter(p, 20, QStringLiteral("F"), 40, 108, 30);
    AddCheckBox(p, 20, QStringLiteral("redraw"), 200, 76);

    // "topolt time window"
    p = Page(PageTimeWindow);
    AddCheckBox(p, 18, QStringLiteral("return"), 8, 6);
    AddParameter(p, 11, QStringLiteral("step unit"), 8, 40, 70);
    AddLabel(p, QStringLiteral("cell 1"), 40, 76, 60);
    AddParameter(p, 12, QStringLiteral("x"), 20, 98, 20);
    AddParameter(p, 13, QStringLiteral("y"), 20, 126, 20);
    AddParameter(p, 14, QStringLiteral("z"), 20, 154, 20);
    AddLabel(p, QStringLiteral("cell 2"), 200, 76, 60);
    AddParameter(p, 15, QStringLiteral("x"), 180, 98, 20);
    AddParameter(p, 16, QStringLiteral("y"), 180, 126, 20);
    AddParameter(p, 17, QStringLiteral("z"), 180, 154, 20);

    // "topolt parameters"
    p = Page(PageParameters);
    AddCheckBox(p, 19, QStringLiteral("return"), 8, 6);
    AddCheckBox(p, 26, QStringLiteral("draw function"), 110, 6);
    AddCheckBox(p, 21, QStringLiteral("delay parameters"), 240, 6);
    CheckBox(26)->setGeometry(110, 6, 125, 20);
    CheckBox(21)->setGeometry(240, 6, 140, 20);
    AddParameter(p, 1, QStringLiteral("dimension"), 8, 36, 88);
    AddParameter(p, 2, QStringLiteral("x nexus"), 8, 66, 88);
    AddParameter(p, 3, QStringLiteral("xy, xz nexus"), 8, 96, 88);
    AddParameter(p, 4, QStringLiteral("xyz nexus"), 8, 126, 88);
    AddParameter(p, 5, QStringLiteral("threshold"), 8, 156, 88);
    AddParameter(p, 6, QStringLiteral("excited"), 200, 36, 105);
    AddParameter(p, 7, QStringLiteral("active"), 200, 66, 105);
    AddParameter(p, 8, QStringLiteral("abs. refr."), 200, 96, 105);
    AddParameter(p, 9, QStringLiteral("diversity"), 200, 126, 105);
    AddParameter(p, 10, QStringLiteral("refractory"), 200, 156, 105);

    // "VFsum time window"
    p = Page(PageOscTimeWindow);
    AddCheckBox(p, 22, QStringLiteral("return"), 8, 6);
    AddParameter(p, 27, QStringLiteral("step unit"), 8, 40, 70);
    AddLabel(p, QStringLiteral("oscillator 1"), 30, 76, 90);
    AddParameter(p, 28, QStringLiteral("x"), 20, 98, 20);
    AddParameter(p, 29, QStringLiteral("y"), 20, 126, 20);
    AddParameter(p, 30, QStringLiteral("z"), 20, 154, 20);
    AddLabel(p, QStringLiteral("oscillator 2"), 190, 76, 90);
    AddParameter(p, 31, QStringLiteral("x"), 180, 98, 20);
    AddParameter(p, 32, QStringLiteral("y"), 180, 126, 20);
    AddParameter(p, 33, QStringLiteral("z"), 180, 154, 20);

    // "VFsum parameters"
    p = Page(PageOscParameters);
    AddCheckBox(p, 23, QStringLiteral("return"), 8, 6);
    AddCheckBox(p, 24, QStringLiteral("start method"), 8, 40);
    AddParameter(p, 34, QStringLiteral("dimension"), 8, 80, 80);

    // "oscillator start"
    p = Page(PageOscStart);
    AddCheckBox(p, 25, QStringLiteral("return"), 8, 6);
    AddParameter(p, 24, QStringLiteral("start fraction"), 8, 44, 130);
    AddParameter(p, 25, QStringLiteral("phase variability"), 8, 76, 130);
    AddParameter(p, 26, QStringLiteral("period variability"), 8, 108, 130);
}

// ------------------------------------------------------ parameter source

std::int32_t TFormTopolt::Integer(Param p) const {
    const int n = ControlNumber(p);
    if (auto* spin = parI_[static_cast<std::size_t>(n)]) return spin->Value();
    return static_cast<std::int32_t>(parR_[static_cast<std::size_t>(n)]->Value());
}

double TFormTopolt::Real(Param p) const {
    const int n = ControlNumber(p);
    if (auto* spin = parR_[static_cast<std::size_t>(n)]) return spin->Value();
    return parI_[static_cast<std::size_t>(n)]->Value();
}

// ------------------------------------------------------------- helpers

template <class Work>
bool TFormTopolt::Handle(Work&& work) {
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

BlockSwitches TFormTopolt::Switches() const {
    BlockSwitches s;
    s.randomStart = CheckBox(12)->isChecked();
    s.fiftyHzStart = CheckBox(13)->isChecked();
    s.extra = CheckBox(14)->isChecked();
    s.background = CheckBox(15)->isChecked();
    // A switch hidden for the model shown is off, whatever tick it kept.
    s.allCells = CheckBox(9)->isChecked() &&
                 (kind_ == ModelKind::Topological || kind_ == ModelKind::CoupledOscillators);
    s.firstDerivative = CheckBox(2)->isChecked() && kind_ != ModelKind::OneOscillator;
    return s;
}

void TFormTopolt::RefreshPlots() {
    timeWindow_->SetImage(renderer_.Pictures().TimeWindow().Image());
    rightWindow_->SetImage(renderer_.Pictures().RightWindow().Image());
}

void TFormTopolt::Halt() {
    runTimer_->stop();
    runLoop_->Halt();
    CheckBox(1)->setChecked(false);
}

bool TFormTopolt::Running() const { return runTimer_->isActive(); }

int TFormTopolt::CurrentPage() const { return notebook_->currentIndex(); }

void TFormTopolt::ShowPage(int page) {
    notebook_->setCurrentIndex(page);
    labelLeft_->setText(PageCaption(page));
}

void TFormTopolt::OpenPage(int page, QCheckBox* returnBox) {
    returnBox->setChecked(false);
    ShowPage(page);
}

void TFormTopolt::SetParametersForm(ParametersForm form) {
    const bool full = form != ParametersForm::ReturnMap;
    for (int n : {1, 6, 7, 8, 9, 10}) {
        if (parI_[static_cast<std::size_t>(n)]) parI_[static_cast<std::size_t>(n)]->setVisible(full);
        if (parR_[static_cast<std::size_t>(n)]) parR_[static_cast<std::size_t>(n)]->setVisible(full);
        parLabels_[static_cast<std::size_t>(n)]->setVisible(full);
    }
    CheckBox(26)->setVisible(form == ParametersForm::ReturnMap);
    CheckBox(21)->setVisible(form == ParametersForm::CellParams);
}

void TFormTopolt::SetLabelRightByAllCells() {
    labelRight_->setText(QString::fromLatin1(CheckBox(9)->isChecked() ? kActiveCells : kPhasePlot));
}

void TFormTopolt::ComputeTraceCells() { engine_->TraceCellsFromParameters(kind_); }

void TFormTopolt::ClampToDependentMaxima(std::initializer_list<UpperBound> bounds) {
    // Table order: the threshold before the cell coordinates.
    for (const ParameterSpec& spec : kParameterSpecs) {
        if (std::find(bounds.begin(), bounds.end(), spec.upperBound) == bounds.end()) continue;
        const std::int32_t maximum = *DependentMaximum(spec.param, *this);
        common::ui::IntSpinEdit* spin = ParI(ControlNumber(spec.param));
        spin->SetMaxValue(maximum);
        if (spin->Value() > maximum) spin->SetValue(maximum);
    }
}

// ------------------------------------------------------------- opening

void TFormTopolt::OpenModelWindow(const QString& title, ModelKind kind) {
    // A run of the model shown before must not go on under the new one.
    Halt();

    title_ = title;
    labelTop_->setText(title);
    labelLeft_->setText(PageCaption(CurrentPage()));
    speedButtonHelp_->setDown(false);
    // A help page left open keeps the button that leads back from it.
    const bool onHelp = IsHelpPage(CurrentPage());
    speedButtonHelp_->setVisible(!onHelp);
    speedButtonReturn_->setVisible(onHelp);
    CheckBox(12)->setChecked(true);

    // Table order; the dependent maxima from the values just filled in.
    for (int i = 0; i < kParamCount; ++i) {
        const auto p = static_cast<Param>(i);
        const int n = ControlNumber(p);
        const std::string key = KeyOf(p);
        const std::string fallback = DefaultOf(p);
        if (IsRealParam(p)) {
            ParR(n)->SetValue(table_.ParameterAsReal(key, fallback));
            continue;
        }
        if (const auto max = DependentMaximum(p, *this)) ParI(n)->SetMaxValue(*max);
        ParI(n)->SetValue(table_.ParameterAsInteger(key, fallback));
    }

    kind_ = kind;
    for (const FixedParameter& fixed : FixedParametersOf(kind)) ParI(ControlNumber(fixed.param))->SetValue(fixed.value);
    buildRecord_ = BuildRecord{};
    ApplyKindToStartPage();
    // The "all cells" tick is kept between openings; where the model offers
    // that view, the next run shows it.
    if (kind_ == ModelKind::Topological || kind_ == ModelKind::CoupledOscillators)
        SetLabelRightByAllCells();
    else
        labelRight_->setText(QString::fromLatin1(kPhasePlot));
}

void TFormTopolt::ApplyKindToStartPage() {
    const bool block = kind_ == ModelKind::Topological;
    const bool one = kind_ == ModelKind::OneOscillator;
    CheckBox(2)->setText(block ? QStringLiteral("1st derivative") : QStringLiteral("membr. pot."));
    CheckBox(4)->setText(block ? QStringLiteral("delay") : QString::fromLatin1(kReturnMapCaption));
    CheckBox(8)->setText(block ? QStringLiteral("start method") : QStringLiteral("cell param.s"));
    CheckBox(9)->setText(block ? QStringLiteral("all cells") : QStringLiteral("all oscill.s"));
    CheckBox(2)->setVisible(!one);
    CheckBox(6)->setVisible(!one);
    CheckBox(9)->setVisible(block || kind_ == ModelKind::CoupledOscillators);
    if (block) {
        CheckBox(12)->setChecked(true);
        CheckBox(13)->setChecked(false);
        CheckBox(14)->setChecked(false);
        CheckBox(15)->setChecked(false);
    }
    // A single oscillator has no coordinates to choose.
    for (int n = 28; n <= 33; ++n) ParI(n)->setVisible(!one);
}

bool TFormTopolt::OpenAndShow(const QString& title, ModelKind kind, QWidget* reportTo) {
    // A value the window cannot take is reported over the window that asked
    // (the launcher), not over this one, which may still be hidden.
    const bool opened = common::ui::Guarded(reportTo ? reportTo : this, [&] { OpenModelWindow(title, kind); });
    if (!opened) return false;
    if (!isVisible()) {
        if (QScreen* screen = QGuiApplication::primaryScreen()) {
            const QRect area = screen->availableGeometry();
            move(area.center() - QPoint(width() / 2, height() / 2));
        }
    }
    show();
    if (QGuiApplication::platformName() != QLatin1String("offscreen")) {
        raise();
        activateWindow();
    }
    return true;
}

// ------------------------------------------------------------ commands

void TFormTopolt::CommandClicked(int n) {
    QCheckBox* box = CheckBox(n);
    const bool tickedByClick = box->isChecked();
    const bool done = Handle([&] {
        switch (n) {
            case 1:
                RunCommand();
                return;
            case 10:
                StopCommand();
                return;
            case 11: case 16: case 17: case 18: case 19: case 22: case 23: case 25:
                ReturnClicked(n);
                return;
            case 12: case 13: case 14: case 15:
                return;  // start-method choices, read by the engine
            case 20:  // "redraw"
                CheckBox(20)->setChecked(false);
                DrawDelayFunction(renderer_.Pictures(), *this);
                RefreshPlots();
                return;
            case 26:  // "draw function"
                CheckBox(26)->setChecked(false);
                ShowReturnMap();
                return;
            case 21:  // "delay parameters": its tick is left as the user set it
                CheckBox(20)->hide();
                OpenPage(PageDelay, CheckBox(17));
                return;
            case 24:  // "start method" of the oscillators
                OpenPage(PageOscStart, CheckBox(25));
                return;
            default:
                break;
        }
        // The other commands of the start page halt a run first.
        Halt();
        const bool block = kind_ == ModelKind::Topological;
        switch (n) {
            case 2:
                break;
            case 3:
                OpenPage(PageFormula, CheckBox(16));
                break;
            case 4:
                if (block) {
                    DrawDelayFunction(renderer_.Pictures(), *this);
                    RefreshPlots();
                    CheckBox(20)->show();
                    labelRight_->setText(QString::fromLatin1(kDelayFunction));
                    OpenPage(PageDelay, CheckBox(17));
                } else {
                    ShowReturnMap();
                    SetParametersForm(ParametersForm::ReturnMap);
                    parametersOpener_ = CheckBox(4);
                    labelRight_->setText(QString::fromLatin1(kReturnMapCaption));
                    OpenPage(PageParameters, CheckBox(19));
                }
                break;
            case 5:
                if (block)
                    OpenPage(PageTimeWindow, CheckBox(18));
                else
                    OpenPage(PageOscTimeWindow, CheckBox(22));
                break;
            case 6:
                if (block) {
                    SetParametersForm(ParametersForm::Block);
                    parametersOpener_ = CheckBox(6);
                    OpenPage(PageParameters, CheckBox(19));
                } else {
                    OpenPage(PageOscParameters, CheckBox(23));
                }
                break;
            case 7:
                SaveParametersCommand();
                break;
            case 8:
                if (block) {
                    OpenPage(PageStartMethod, CheckBox(11));
                } else {
                    SetParametersForm(ParametersForm::CellParams);
                    parametersOpener_ = CheckBox(8);
                    OpenPage(PageParameters, CheckBox(19));
                }
                break;
            case 9:
                SetLabelRightByAllCells();
                break;
            default:
                break;
        }
    });
    // A command that failed leaves its box as it was before the click ("run"
    // is unticked by the halt already).
    if (!done && n != 1) box->setChecked(!tickedByClick);
}

void TFormTopolt::ReturnToStart(QCheckBox* opener) {
    if (opener) opener->setChecked(false);
    ShowPage(PageStart);
}

void TFormTopolt::ReturnClicked(int n) {
    switch (n) {
        case 11:
            ReturnToStart(CheckBox(8));
            break;
        case 16:
            ReturnToStart(CheckBox(3));
            break;
        case 17:
            ReturnToStart(CheckBox(4));
            SetLabelRightByAllCells();
            renderer_.Pictures().ClearRightWindow();
            RefreshPlots();
            break;
        case 18:
            ReturnToStart(CheckBox(5));
            ComputeTraceCells();
            break;
        case 19: {
            // Unticks the command that opened the page.
            ReturnToStart(parametersOpener_ ? parametersOpener_
                                            : CheckBox(kind_ == ModelKind::Topological ? 6 : 4));
            ClampToDependentMaxima({UpperBound::NexusesPerCell, UpperBound::Dimension});
            break;
        }
        case 22:
            ReturnToStart(CheckBox(5));
            break;
        case 23:
            ReturnToStart(CheckBox(6));
            ClampToDependentMaxima({UpperBound::OscDimension});
            break;
        case 25:
            CheckBox(24)->setChecked(false);
            ShowPage(PageOscParameters);
            break;
        default:
            break;
    }
}

void TFormTopolt::RunCommand() {
    RebuildCheck();
    if (CheckBox(1)->isChecked())
        StartRun();
    else
        Halt();
}

void TFormTopolt::RebuildCheck() {
    BuildRecord wanted;
    wanted.xNexus = ParI(2)->Value();
    wanted.xyXzNexus = ParI(3)->Value();
    wanted.xyzNexus = ParI(4)->Value();
    const bool block = kind_ == ModelKind::Topological;
    BuildRecord current = buildRecord_;
    if (block) {
        wanted.dimension = ParI(1)->Value();
        wanted.oscDimension = buildRecord_.oscDimension;
    } else {
        wanted.oscDimension = ParI(34)->Value();
        wanted.dimension = buildRecord_.dimension;
    }
    if (wanted == current && engine_->Built(kind_)) return;

    labelInit_->show();
    labelInit_->raise();
    repaint();
    emit BuildStarting();
    struct HideInit {
        QWidget* form;
        QLabel* label;
        ~HideInit() {
            label->hide();
            form->repaint();
        }
    } hideInit{this, labelInit_};

    buildRecord_ = wanted;
    try {
        ComputeTraceCells();
        const int built = engine_->Rebuild(kind_);
        // Memory ran out: the engine built a smaller model.
        const int dimensionControl = block ? 1 : 34;
        if (built > 0 && built < ParI(dimensionControl)->Value()) {
            ParI(dimensionControl)->SetMaxValue(built);
            ParI(dimensionControl)->SetValue(built);
            (block ? buildRecord_.dimension : buildRecord_.oscDimension) = built;
        }
        if (!block) ComputeTraceCells();
    } catch (...) {
        // Nothing usable was built: the next run must try again.
        buildRecord_ = BuildRecord{};
        throw;
    }
}

void TFormTopolt::StartRun() {
    if (!engine_->Built(kind_)) {
        Halt();
        return;
    }
    // The block in memory now matches the dimension in the controls: trace
    // the cells the time-window page shows, even if that page was last left
    // while another dimension stood there.
    if (kind_ == ModelKind::Topological) ComputeTraceCells();
    const int interval = runLoop_->StartRun(
        [&] {
            const BlockSwitches switches = Switches();
            engine_->StartRun(kind_, switches);
            renderer_.DrawRunStart(kind_, *engine_, switches);
            // The first step begins a new sweep.
            renderer_.Pictures().PlaceBeyondRightEdge();
        },
        [&] { StepAndDraw(); });
    RefreshPlots();
    runTimer_->setInterval(interval);
    runTimer_->start();
}

void TFormTopolt::RunLoopTimer() {
    Handle([&] {
        // Never step a model that is not (or no longer) built.
        if (!runLoop_->Running() || !engine_->Built(kind_)) {
            Halt();
            return;
        }
        editModelTime_->setText(QString::fromStdString(common::IntToText(engine_->ModelTime(kind_))));
        runLoop_->Tick([&] { StepAndDraw(); });
        RefreshPlots();
    });
}

void TFormTopolt::StepAndDraw() {
    const BlockSwitches switches = Switches();
    engine_->Step(kind_, switches);
    renderer_.DrawStep(kind_, *engine_, switches);
}

void TFormTopolt::ShowReturnMap() {
    engine_->ComputeReturnMap();
    DrawReturnMap(renderer_.Pictures(), engine_->Oscillators());
    RefreshPlots();
}

void TFormTopolt::StopCommand() {
    Halt();
    engine_->Release(kind_);
    CheckBox(10)->setChecked(false);
    hide();
}

void TFormTopolt::SaveParametersCommand() {
    Halt();
    auto store = [this](Param p) {
        const int n = ControlNumber(p);
        const std::string text = IsRealParam(p)
                                     ? common::FormatGeneral(ParR(n)->Value(), 15)
                                     : common::IntToText(ParI(n)->Value());
        table_.StoreParameter(KeyOf(p), text);
    };
    for (int n = 1; n <= 33; ++n) store(ParamOfControl(n));
    store(Param::OscDimension);
    CheckBox(7)->setChecked(false);
    table_.ParametersChanged = true;
}

// --------------------------------------------------------- help buttons

void TFormTopolt::HelpPressed() {
    common::ui::Guarded(this, [&] {
        const int target = HelpPageOf(CurrentPage(), kind_);
        if (target < 0) return;
        ShowPage(target);
        speedButtonHelp_->setDown(false);
        speedButtonHelp_->hide();
        speedButtonReturn_->show();
    });
}

void TFormTopolt::ReturnPressed() {
    common::ui::Guarded(this, [&] {
        const int target = HelpPageOf(CurrentPage(), kind_);
        if (target < 0) return;
        ShowPage(target);
        speedButtonReturn_->hide();
        speedButtonHelp_->show();
    });
}

// ------------------------------------------------------------- pictures

void TFormTopolt::SavePicture(bool timeWindow) {
    common::ui::Guarded(this, [&] {
        const QString title = timeWindow ? QStringLiteral("save top window")
                                         : QStringLiteral("save right window");
        const std::optional<QString> name = common::ui::Dialogs().SaveFileName(
            this, title, QString::fromLatin1(kBitmapFilter), QString());
        if (!name || name->isEmpty()) return;
        const common::PlotSurface& surface = timeWindow ? renderer_.Pictures().TimeWindow()
                                                        : renderer_.Pictures().RightWindow();
        surface.SaveBmp(name->toStdString());
    });
}

// --------------------------------------------------------------- events

void TFormTopolt::closeEvent(QCloseEvent* event) {
    // Closing by the frame only hides the window, but no run goes on unseen.
    Halt();
    event->accept();
}

bool TFormTopolt::eventFilter(QObject* watched, QEvent* event) {
    // The second press of a double click comes as a double-click event.
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton &&
            (watched == CheckBox(12) || watched == CheckBox(13) || watched == CheckBox(14))) {
            // Exactly the pressed start method is ticked after the click.
            for (int n = 12; n <= 14; ++n) CheckBox(n)->setChecked(false);
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace myogrid
