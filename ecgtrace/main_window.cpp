#include "ecgtrace/main_window.h"

#include "common/program_folders.h"
#include "common/ui/plot_menu.h"
#include "ecgtrace/model/edf_export.h"
#include "ecgtrace/model/plot_data.h"
#include "ecgtrace/model/recording_plots.h"
#include "common/errors.h"
#include "common/number_format.h"
#include "common/rtf_reader.h"
#include "common/ui/dialogs.h"
#include "common/ui/error_box.h"
#include "common/ui/int_spin_edit.h"
#include "common/ui/plot_view.h"
#include "ecgtrace/equations.h"
#include "ecgtrace/main_window_accessibility.h"
#include "ecgtrace/model/signal_plots.h"
#include "ecgtrace/page_keys.h"
#include "ecgtrace/program_icon.h"
#include "ecgtrace/step_arrows.h"
#include "ecgtrace/value_texts.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QDialog>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTextCursor>
#include <QTextEdit>
#include <algorithm>
#include <exception>
#include <utility>

namespace ecgtrace {
namespace {

using common::ui::Guarded;
using common::ui::IntSpinEdit;
using common::ui::PlotView;

// Client area for an outer size of 705 x 445 with the usual frame and title.
constexpr int kClientWidth = 697;
constexpr int kClientHeight = 418;
constexpr int kPlotBackground[3] = {0, 128, 0};
constexpr int kSumSignalTab = 1;  // the pages: introduction, E(t), T, A(t), map
// The recording's trace fills the E(t) tab below the window fields.
constexpr int kRecordingUnderSumHeight = 84;

QString Q(const std::string& s) { return QString::fromStdString(s); }

QLabel* MakeLabel(QWidget* parent, const QString& text, int x, int y, int w = 0, int h = 17) {
    auto* label = new QLabel(text, parent);
    if (w == 0) w = label->fontMetrics().horizontalAdvance(text) + 4;
    label->setGeometry(x, y, w, h);
    return label;
}

QLabel* MakePanel(QWidget* parent, const char* name, const QString& caption,
                  const QRect& geometry) {
    auto* panel = new QLabel(caption, parent);
    panel->setObjectName(QString::fromLatin1(name));
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setLineWidth(1);
    panel->setAlignment(Qt::AlignCenter);
    panel->setGeometry(geometry);
    return panel;
}

QLineEdit* MakeEdit(QWidget* parent, const char* name, int x, int y, int w = 73) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setGeometry(x, y, w, 21);
    return edit;
}

IntSpinEdit* MakeSpin(QWidget* parent, const char* name, int x, int y, int w, int min, int max,
                      int increment = 1) {
    auto* spin = new IntSpinEdit(parent);
    spin->setObjectName(QString::fromLatin1(name));
    spin->SetMinValue(min);
    spin->SetMaxValue(max);
    spin->SetIncrement(increment);
    spin->setGeometry(x, y, w, 22);
    return spin;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption, const QRect& r) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(r);
    return button;
}

PlotView* MakePlot(QWidget* parent, const char* name, int x, int y, int w, int h) {
    auto* view = new PlotView(w, h, parent);
    view->setObjectName(QString::fromLatin1(name));
    view->move(x, y);
    view->setCursor(Qt::PointingHandCursor);
    view->setToolTip(QStringLiteral("click to copy"));
    return view;
}

}  // namespace

MainWindow::MainWindow(QWidget* parent, std::string parameterFile)
    : QWidget(parent),
      sumSurface_(kSumPlotWidth, kSumPlotHeight),
      signalSurface_(kSignalPlotWidth, kSignalPlotHeight),
      seriesSurface_(kSeriesPlotWidth, kSeriesPlotHeight),
      mapSurface_(kMapPlotWidth, kMapPlotHeight),
      recordingSurface_(kSumPlotWidth, kRecordingUnderSumHeight),
      parameterFile_(std::move(parameterFile)) {
    setObjectName(QStringLiteral("mainWindow"));
    // Another parameter file than the usual one is named in the caption.
    QString caption = QString::fromLatin1(kMainCaption);
    const QString fileName = QFileInfo(QString::fromStdString(parameterFile_)).fileName();
    if (fileName != QLatin1String(kParameterFileName)) caption += QStringLiteral(" - ") + fileName;
    setWindowTitle(caption);
    setWindowIcon(ProgramIcon());
    QFont font(QStringLiteral("Liberation Serif"));
    font.setPixelSize(12);
    setFont(font);
    // The background of an application's workspace.
    QPalette pal = palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::Dark));
    setPalette(pal);
    setAutoFillBackground(true);
    resize(kClientWidth, kClientHeight);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(kClientWidth / 2, kClientHeight / 2));
    }

    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("tabs"));
    tabs_->setGeometry(8, 8, 675, 393);
    tabs_->setAutoFillBackground(true);
    tabs_->setPalette(QGuiApplication::palette());
    const char* const names[] = {"introductionPage", "sumSignalPage", "periodPage", "signalPage",
                                 "mapPage"};
    const char* const captions[] = {"introduction", "E(t)", "T", "A(t)", "P"};
    QWidget* pages[5];
    for (int i = 0; i < 5; ++i) {
        pages[i] = new QWidget;
        pages[i]->setObjectName(QString::fromLatin1(names[i]));
        tabs_->addTab(pages[i], QString::fromLatin1(captions[i]));
    }
    BuildIntroductionTab(pages[0]);
    BuildSumSignalTab(pages[1]);
    BuildPeriodTab(pages[2]);
    BuildSignalTab(pages[3]);
    BuildMapTab(pages[4]);
    tabs_->setCurrentIndex(0);
    connect(tabs_, &QTabWidget::currentChanged, this, [this](int index) { TabChanged(index); });
    AddPageKeys(tabs_);
    MakeMainWindowAccessible(*this);

    RunStartup();
}

MainWindow::~MainWindow() {
    // The fields outlive this part of the window: a focus lost while they
    // are destroyed must not reach its handlers.
    typing_.reset();
    for (const auto& field : fields_) QObject::disconnect(field->control, nullptr, this, nullptr);
    if (P0Field_) P0Field_->removeEventFilter(this);
}

// --- layout ------------------------------------------------------------------

void MainWindow::BuildIntroductionTab(QWidget* page) {
    introductionText_ = new QTextEdit(page);
    introductionText_->setObjectName(QStringLiteral("introductionText"));
    introductionText_->setGeometry(8, 8, 465, 290);
    introductionText_->setReadOnly(true);
    introductionText_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    introductionText_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    introductionText_->setLineWrapMode(QTextEdit::FixedPixelWidth);
    introductionText_->setLineWrapColumnOrWidth(440);

    auto* about = MakeButton(page, "aboutButton", QStringLiteral("about"), {496, 8, 75, 25});
    auto* exitButton = MakeButton(page, "exitButton", QStringLiteral("exit"), {496, 40, 75, 25});
    connect(about, &QPushButton::clicked, this, [this] { AboutClicked(); });
    connect(exitButton, &QPushButton::clicked, this, [this] { ExitClicked(); });
}

void MainWindow::BuildSumSignalTab(QWidget* page) {
    MakePanel(page, "sumSignalHeading",
              QStringLiteral("simulation of the extra-cellular electrical signal from the heart "
                             "during ventricular fibrillation"),
              {4, 4, 659, 25});
    auto* picture = CreateEquationPicture(Formulas::SumSignal, page);
    picture->setObjectName(QStringLiteral("sumSignalEquations"));
    picture->move(4, 36);

    const int x = 368;
    MakeLabel(page, QStringLiteral("G:"), x, 40);
    groupCountField_ = MakeSpin(page, "groupCountField", x + 18, 37, 50, 1, kMaxGroupCount);
    MakeLabel(page, QStringLiteral("g:"), x + 80, 40);
    actualGroupField_ = MakeSpin(page, "actualGroupField", x + 96, 37, 50, 1, kDefaultGroupCount);
    MakeLabel(page, QStringLiteral("g cross"), x + 158, 40);
    crossGroupField_ = MakeSpin(page, "crossGroupField", x + 200, 37, 50, 1, kDefaultGroupCount);
    sumAnalysisButton_ =
        MakeButton(page, "sumAnalysisButton", QStringLiteral("signal analysis"), {x, 72, 121, 25});
    sumAnalysisButton_->setEnabled(false);

    sumPlot_ = MakePlot(page, "sumPlot", x, 108, kSumPlotWidth, kSumPlotHeight);
    windowStartLabel_ = MakeLabel(page, QStringLiteral("E(0)"), x, 216, 100);
    windowStartLabel_->setObjectName(QStringLiteral("windowStartLabel"));
    windowEndLabel_ = MakeLabel(page, QStringLiteral("E(2800)"), x + kSumPlotWidth - 100, 216, 100);
    windowEndLabel_->setObjectName(QStringLiteral("windowEndLabel"));
    windowEndLabel_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    windowStartField_ = MakeSpin(page, "windowStartField", x, 242, 65, 0, 2700, 100);
    windowStartField_->SetEditorEnabled(false);
    applyWindowButton_ =
        MakeButton(page, "applyWindowButton", QStringLiteral("apply"), {x + 103, 240, 75, 25});
    windowEndField_ =
        MakeSpin(page, "windowEndField", x + kSumPlotWidth - 65, 242, 65, 100, 2800, 100);
    // As wide as E(t), so the 28 s of both line up when E(t) is shown whole.
    recordingPlot_ =
        MakePlot(page, "recordingTracePlot", x, 272, kSumPlotWidth, kRecordingUnderSumHeight);
    recordingPlot_->hide();
    connect(recordingPlot_, &PlotView::Clicked, this, [this] {
        Guarded(this, [this] { common::ui::CopyPlotAsMask(recordingPlot_->Image(), 255, 255, 0); });
    });
    session_.OnRecordingChosen([this] { Guarded(this, [this] { DrawRecording(); }); });

    // A number passed through while typing would lower g, move the cross
    // group or set up groups: the group fields apply when the editing ends.
    WireLimitSpin(
        groupCountField_, [this](int v) { GroupCountChanged(v); },
        [this] { return Model().GroupCount(); }, false, false);
    WireLimitSpin(
        actualGroupField_, [this](int v) { ActualGroupChanged(v); },
        [this] { return Model().ActualGroup(); }, false, false);
    WireLimitSpin(
        crossGroupField_, [this](int v) { session_.ChangeCrossGroup(v); },
        [this] { return Model().CrossGroup(); }, false, false);
    connect(applyWindowButton_, &QPushButton::clicked, this, [this] {
        RunAction([this] {
            try {
                Show(session_.SetEWindow(windowStartField_->Value(), windowEndField_->Value()));
            } catch (...) {
                DrawSumQuietly();
                throw;
            }
        });
    });
    connect(sumAnalysisButton_, &QPushButton::clicked, this, [this] {
        if (openFromSumSignal_) RunAction(openFromSumSignal_);
    });
}

void MainWindow::BuildPeriodTab(QWidget* page) {
    MakePanel(page, "periodHeading", QStringLiteral("elaboration of function T"), {4, 4, 659, 25});
    auto* picture = CreateEquationPicture(Formulas::Period, page);
    picture->setObjectName(QStringLiteral("periodEquations"));
    picture->move(4, 36);

    const int x = 468;
    periodLabel_ = MakeLabel(page, QString(), x, 40, 190);
    periodLabel_->setObjectName(QStringLiteral("periodLabel"));
    struct Row {
        const char* caption;
        const char* name;
        QLineEdit** edit;
        Parameter parameter;
        bool real;
    };
    const Row rows[] = {{"f", "fField", &fField_, Parameter::f, true},
                        {"F", "FField", &FField_, Parameter::F, true},
                        {"Nb", "periodNEField", &periodNEField_, Parameter::NE, false},
                        {"N", "periodNField", &periodNField_, Parameter::N, false},
                        {"Te", "TeField", &TeField_, Parameter::Te, false},
                        {"Ta", "TaField", &TaField_, Parameter::Ta, false},
                        {"Tr", "TrField", &TrField_, Parameter::Tr, false}};
    int y = 68;
    for (const Row& row : rows) {
        MakeLabel(page, QString::fromLatin1(row.caption), x, y + 2, 24);
        *row.edit = MakeEdit(page, row.name, x + 28, y);
        WireTypedEdit(*row.edit, row.real, row.parameter);
        y += 30;
    }
}

void MainWindow::BuildSignalTab(QWidget* page) {
    signalHeading_ = MakePanel(page, "signalHeading",
                               QStringLiteral("elaboration of function A(t)"), {4, 4, 659, 25});
    groupAnalysisButton_ = MakeButton(signalHeading_, "groupAnalysisButton",
                                      QStringLiteral("signal analysis"), {536, 2, 121, 21});
    groupAnalysisButton_->setEnabled(false);
    auto* picture = CreateEquationPicture(Formulas::GroupSignal, page);
    picture->setObjectName(QStringLiteral("signalEquations"));
    picture->move(4, 36);

    const int x = 462;
    signalPlot_ = MakePlot(page, "signalPlot", x, 36, kSignalPlotWidth, kSignalPlotHeight);
    m1Label_ = MakeLabel(page, QString(), x, 216, 110);
    m1Label_->setObjectName(QStringLiteral("m1Label"));
    MakeLabel(page, QStringLiteral("s1 ="), x + 112, 216, 30);
    s1Field_ = MakeSpin(page, "s1Field", x + 144, 213, 52, 0, 0);
    m2Label_ = MakeLabel(page, QString(), x, 246, 110);
    m2Label_->setObjectName(QStringLiteral("m2Label"));
    MakeLabel(page, QStringLiteral("s2 ="), x + 112, 246, 30);
    s2Field_ = MakeSpin(page, "s2Field", x + 144, 243, 52, 0, 0);
    MakeLabel(page, QStringLiteral("offset ="), x + 96, 276, 46);
    offsetField_ = MakeSpin(page, "offsetField", x + 144, 273, 52, 0, 0);

    for (const auto& [spin, which] :
         {std::pair{s1Field_, Parameter::s1}, std::pair{s2Field_, Parameter::s2},
          std::pair{offsetField_, Parameter::offset}}) {
        const Parameter parameter = which;
        WireLimitSpin(
            spin, [this, parameter](int v) { GroupEdited(parameter, v); },
            [this, parameter] { return StoredValue(parameter); }, true, true);
    }
    connect(groupAnalysisButton_, &QPushButton::clicked, this, [this] {
        if (openFromGroup_) RunAction(openFromGroup_);
    });
}

void MainWindow::BuildMapTab(QWidget* page) {
    mapHeading_ = MakePanel(page, "mapHeading", QStringLiteral("elaboration of function Pn"),
                            {4, 4, 659, 25});
    auto* picture = CreateEquationPicture(Formulas::Map, page);
    picture->setObjectName(QStringLiteral("mapEquations"));
    picture->move(4, 36);

    const int x = 276;
    seriesPlot_ = MakePlot(page, "seriesPlot", x, 36, kSeriesPlotWidth, kSeriesPlotHeight);
    pHalfLabel_ = MakeLabel(page, QString(), x, 110, 150);
    pHalfLabel_->setObjectName(QStringLiteral("pHalfLabel"));
    pWholeLabel_ = MakeLabel(page, QString(), x + 170, 110, 150);
    pWholeLabel_->setObjectName(QStringLiteral("pWholeLabel"));
    mapPlot_ = MakePlot(page, "mapPlot", x, 140, kMapPlotWidth, kMapPlotHeight);

    const int cx = x + 140;
    cobwebButton_ =
        MakeButton(page, "cobwebButton", QStringLiteral("plot Pn -> Pn+1"), {cx, 140, 121, 25});
    MakeLabel(page, QStringLiteral("P0"), cx, 176, 28);
    P0Field_ = MakeEdit(page, "P0Field", cx + 30, 173, 56);
    P0Arrows_ = new StepArrows(page);
    P0Arrows_->setObjectName(QStringLiteral("P0Arrows"));
    P0Arrows_->setGeometry(cx + 87, 173, 15, 21);
    P0Arrows_->SetRange(0, 100);
    P0Arrows_->SetIncrement(1);
    struct Row {
        const char* caption;
        const char* name;
        IntSpinEdit** spin;
        Parameter parameter;
    };
    const Row rows[] = {{"NE", "mapNEField", &mapNEField_, Parameter::NE},
                        {"Nd", "NdField", &NdField_, Parameter::Nd},
                        {"M", "MField", &MField_, Parameter::M},
                        {"N", "mapNField", &mapNField_, Parameter::N}};
    int y = 203;
    for (const Row& row : rows) {
        MakeLabel(page, QString::fromLatin1(row.caption), cx, y + 3, 28);
        *row.spin = MakeSpin(page, row.name, cx + 30, y, 72, 0, 0);
        WireTypedSpin(*row.spin, row.parameter);
        y += 28;
    }

    connect(cobwebButton_, &QPushButton::clicked, this,
            [this] { RunAction([this] { Show(session_.PlotCobweb()); }); });
    // A text that is P0 exactly stays as typed (0.125); one limited to 0..1
    // or refused gives way to P0 as it is in use.
    WireTypedEdit(P0Field_, true, Parameter::P0, true);
    P0Field_->installEventFilter(this);
    connect(P0Arrows_, &StepArrows::AboutToStep, this,
            [this] { Guarded(this, [this] { P0ArrowsStepping(); }); });
    connect(P0Arrows_, &StepArrows::Clicked, this,
            [this] { Guarded(this, [this] { P0ArrowsClicked(); }); });
    for (PlotView* view : {sumPlot_, signalPlot_, seriesPlot_, mapPlot_}) {
        connect(view, &PlotView::Clicked, this, [this, view] {
            Guarded(this, [view] {
                common::ui::CopyPlotAsMask(view->Image(), kPlotBackground[0], kPlotBackground[1],
                                           kPlotBackground[2]);
            });
        });
    }
    AttachExportMenus();
}

void MainWindow::AttachExportMenus() {
    // Pictures as drawn; the values of the actual group at the moment asked.
    using common::ui::AttachPlotMenu;
    AttachPlotMenu(sumPlot_, {QStringLiteral("et"),
                              [this]() -> const common::PlotSurface& { return sumSurface_; },
                              [this] { return ETable(Model()); },
                              {{QStringLiteral("EDF+ biosignal"), QStringLiteral("edf"),
                                [this](const std::string& path) { WriteEdf(Model(), path); }}}});
    AttachPlotMenu(signalPlot_, {QStringLiteral("at"),
                                 [this]() -> const common::PlotSurface& { return signalSurface_; },
                                 [this] { return ATable(Model(), Model().ActualGroup()); },
                                 {}});
    AttachPlotMenu(seriesPlot_, {QStringLiteral("pseries"),
                                 [this]() -> const common::PlotSurface& { return seriesSurface_; },
                                 [this] { return PSeriesTable(Model(), Model().ActualGroup()); },
                                 {}});
    AttachPlotMenu(mapPlot_, {QStringLiteral("pmap"),
                              [this]() -> const common::PlotSurface& { return mapSurface_; },
                              [this] { return PMapTable(Model(), Model().ActualGroup()); },
                              {}});
    AttachPlotMenu(recordingPlot_,
                   {QStringLiteral("recording"),
                    [this]() -> const common::PlotSurface& { return recordingSurface_; },
                    [this] {
                        const RecordingAnalysis* recording = session_.Recording();
                        if (!recording) throw common::AppError("No recording is chosen");
                        return RecordingTraceTable(recording->window);
                    },
                    {}});
}

// --- start-up and shutdown ---------------------------------------------------------

void MainWindow::RunStartup() {
    const StartupReport report = session_.Start(parameterFile_);
    if (!report.loadError.empty()) common::ui::ShowErrorBox(this, Q(report.loadError));
    if (!report.computeError.empty()) common::ui::ShowErrorBox(this, Q(report.computeError));

    const SignalModel& m = Model();
    Guarded(this, [this, &m] {
        groupCountField_->SetMaxValue(kMaxGroupCount);
        ShowSpin(groupCountField_, m.GroupCount());
        actualGroupField_->SetMaxValue(m.GroupCount());
        ShowSpin(actualGroupField_, m.ActualGroup());
        crossGroupField_->SetMaxValue(m.GroupCount());
        ShowSpin(crossGroupField_, m.CrossGroup());
        ShowSpin(windowStartField_, m.EWindowStart());
        ShowSpin(windowEndField_, m.EWindowEnd());
        windowStartLabel_->setText(Q(EStartText(m)));
        windowEndLabel_->setText(Q(EEndText(m)));

        ShowPeriodTab();
        ShowSignalValues();
    });
    // Each plot on its own, so one that cannot be drawn leaves the others.
    Guarded(this, [this] { DrawSignal(); });
    Guarded(this, [this] {
        ShowMapTab();
        DrawMap();
        DrawSeries();
    });
    LoadIntroduction();
}

void MainWindow::LoadIntroduction() {
    std::string failure;
    Guarded(this, [this, &failure] {
        const std::string path = common::CompanionFile("V13.rtf");
        failure = common::CannotOpenFileMessage(path);
        QTextDocument* document = introductionText_->document();
        document->setDefaultFont(introductionText_->font());
        try {
            common::LoadRtfFile(path, *document);
        } catch (const std::exception& e) {
            failure = e.what();
            throw;
        }
        failure.clear();
        // The caret followed the inserted text to its end; the reader starts at the top.
        introductionText_->moveCursor(QTextCursor::Start);
    });
    // Instead of the text, the box says which file it would have shown.
    if (!failure.empty()) introductionText_->setPlainText(Q(failure));
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (shuttingDown_) {
        event->accept();
        return;
    }
    // What the user typed last counts, also when the window closes at once.
    FinishTyping();
    if (Model().ParametersChanged()) {
        const auto path = common::ui::Dialogs().SaveFileName(
            this, QStringLiteral("Save As"), QString(), QString::fromStdString(parameterFile_));
        if (path) {
            const bool saved =
                Guarded(this, [&] { session_.SaveParameterFile(path->toStdString()); });
            if (!saved) {
                // Nothing was written: the window stays so the user can save elsewhere.
                event->ignore();
                return;
            }
        }
    }
    shuttingDown_ = true;
    event->accept();
    emit Closed();
}

void MainWindow::SetAnalysisActions(std::function<void()> openFromSumSignal,
                                    std::function<void()> openFromGroup) {
    openFromSumSignal_ = std::move(openFromSumSignal);
    openFromGroup_ = std::move(openFromGroup);
    sumAnalysisButton_->setEnabled(static_cast<bool>(openFromSumSignal_));
    groupAnalysisButton_->setEnabled(static_cast<bool>(openFromGroup_));
}

// --- showing -------------------------------------------------------------------

QString SignalHeading(std::int32_t g) {
    return QStringLiteral("elaboration of function A(t) for group ") + Q(common::IntToText(g));
}

QString MapHeading(std::int32_t g) {
    return QStringLiteral("elaboration of function P") + Q(common::IntToText(g));
}

void MainWindow::ShowText(QLineEdit* edit, const std::string& text) {
    // The field the user is typing in keeps the text as typed.
    if (edit == activeEdit_) return;
    edit->setText(Q(text));
}

void MainWindow::ShowSpin(IntSpinEdit* spin, int value) {
    // The field the user is typing in keeps the text as typed.
    if (spin == activeEdit_) return;
    spin->SetValue(value);
}

void MainWindow::ShowGroupChoice() {
    const SignalModel& m = Model();
    ShowSpin(actualGroupField_, m.ActualGroup());
    ShowSpin(crossGroupField_, m.CrossGroup());
    mapHeading_->setText(MapHeading(m.ActualGroup()));
}

void MainWindow::ShowPeriodTab() {
    const SignalModel& m = Model();
    const int g = m.ActualGroup();
    const GroupParameters& p = m.Parameters(g);
    periodLabel_->setText(Q(TGroupText(m, g)));
    ShowText(fField_, fText(m, g));
    ShowText(FField_, FText(m, g));
    ShowText(periodNEField_, common::IntToText(p.NE));
    ShowText(periodNField_, common::IntToText(p.N));
    ShowText(TeField_, common::IntToText(p.Te));
    ShowText(TaField_, common::IntToText(p.Ta));
    ShowText(TrField_, common::IntToText(p.Tr));
}

void MainWindow::ShowSignalValues() {
    const SignalModel& m = Model();
    const int g = m.ActualGroup();
    const GroupParameters& p = m.Parameters(g);
    signalHeading_->setText(SignalHeading(g));
    m1Label_->setText(Q(M1Text(m, g)));
    m2Label_->setText(Q(M2Text(m, g)));
    ShowSpin(s1Field_, p.s1);
    ShowSpin(s2Field_, p.s2);
    ShowSpin(offsetField_, p.offset);
}

void MainWindow::ShowSharedCounts() {
    // NE and N typed on one tab show at once on the other.
    const GroupParameters& p = Model().Parameters(Model().ActualGroup());
    ShowText(periodNEField_, common::IntToText(p.NE));
    ShowText(periodNField_, common::IntToText(p.N));
    ShowSpin(mapNEField_, p.NE);
    ShowSpin(mapNField_, p.N);
}

void MainWindow::ShowMapTab() {
    const SignalModel& m = Model();
    const int g = m.ActualGroup();
    const GroupParameters& p = m.Parameters(g);
    ShowText(P0Field_, P0Text(m, g));
    P0Arrows_->SetPosition(P0StepPosition(p.P0));
    ShowSpin(NdField_, p.Nd);
    ShowSpin(MField_, p.M);
    ShowSpin(mapNEField_, p.NE);
    ShowSpin(mapNField_, p.N);
}

void MainWindow::ShowSeriesLabels() {
    const SignalModel& m = Model();
    const int g = m.ActualGroup();
    pHalfLabel_->setText(Q(PHalfText(m, g)));
    pWholeLabel_->setText(Q(PWholeText(m, g)));
}

// --- drawing -------------------------------------------------------------------

// A drawing that stops leaves its empty frame: the view shows the surface
// either way, never a picture of values no longer behind it.
void MainWindow::DrawSignal() {
    struct Refresh {
        MainWindow* window;
        ~Refresh() { window->signalPlot_->SetImage(window->signalSurface_.Image()); }
    } refresh{this};
    ecgtrace::DrawA(Model(), Model().ActualGroup(), signalSurface_);
    DescribeSignalPlot(signalPlot_, Model(), Model().ActualGroup());
}

void MainWindow::DrawSum() {
    windowStartLabel_->setText(Q(EStartText(Model())));
    windowEndLabel_->setText(Q(EEndText(Model())));
    struct Refresh {
        MainWindow* window;
        ~Refresh() { window->sumPlot_->SetImage(window->sumSurface_.Image()); }
    } refresh{this};
    ecgtrace::DrawE(Model(), sumSurface_);
    DescribeSumPlot(sumPlot_, Model());
}

void MainWindow::DrawRecording() {
    const RecordingAnalysis* recording = session_.Recording();
    recordingPlot_->setVisible(recording != nullptr);
    if (!recording) return;
    // Drawn aside first: a failure leaves the trace shown before.
    common::PlotSurface surface(kSumPlotWidth, kRecordingUnderSumHeight);
    DrawRecordingTrace(recording->window, surface);
    recordingSurface_ = surface;
    recordingPlot_->SetImage(recordingSurface_.Image());
    DescribeRecordingPlot(recordingPlot_, recording->window);
}

void MainWindow::DrawSumQuietly() noexcept {
    try {
        DrawSum();
    } catch (...) {
        // The frame is shown; the message comes when E(t) is shown or applied.
    }
}

void MainWindow::DrawMap() {
    struct Refresh {  // shown even when the drawing fails midway
        MainWindow* window;
        ~Refresh() {
            window->mapPlot_->SetImage(window->mapSurface_.Image());
            DescribeMapPlot(window->mapPlot_, window->Model(), window->Model().ActualGroup());
        }
    } refresh{this};
    ecgtrace::DrawPMap(Model(), Model().ActualGroup(), mapSurface_);
}

void MainWindow::DrawCobweb() {
    struct Refresh {
        MainWindow* window;
        ~Refresh() {
            window->mapPlot_->SetImage(window->mapSurface_.Image());
            DescribeMapPlot(window->mapPlot_, window->Model(), window->Model().ActualGroup());
        }
    } refresh{this};
    ecgtrace::DrawCobweb(Model(), Model().ActualGroup(), mapSurface_);
}

void MainWindow::DrawSeries() {
    struct Refresh {  // the labels are shown even when the plot fails
        MainWindow* window;
        ~Refresh() {
            window->seriesPlot_->SetImage(window->seriesSurface_.Image());
            DescribeSeriesPlot(window->seriesPlot_, window->Model(), window->Model().ActualGroup());
            window->ShowSeriesLabels();
        }
    } refresh{this};
    ecgtrace::DrawPSeries(Model(), Model().ActualGroup(), seriesSurface_);
}

void MainWindow::Show(const Redraw& changed) {
    if (changed.groupChoice) ShowGroupChoice();
    if (changed.periodTab) ShowPeriodTab();
    if (changed.signalValues) ShowSignalValues();
    if (changed.sharedCounts) ShowSharedCounts();
    if (changed.mapTab) ShowMapTab();
    std::exception_ptr first;
    const auto draw = [&first](auto&& part) {
        try {
            part();
        } catch (...) {
            if (!first) first = std::current_exception();
        }
    };
    if (changed.signalPlot) draw([this] { DrawSignal(); });
    if (changed.sumSignal) draw([this] { DrawSum(); });
    if (changed.cobweb)
        draw([this] { DrawCobweb(); });
    else if (changed.map)
        draw([this] { DrawMap(); });
    if (changed.series) draw([this] { DrawSeries(); });
    if (first) std::rethrow_exception(first);
}

void MainWindow::RefreshActualGroup() noexcept {
    // Each part on its own: one that cannot be shown leaves the others.
    const auto quietly = [](auto&& part) {
        try {
            part();
        } catch (...) {
        }
    };
    quietly([this] { ShowPeriodTab(); });
    quietly([this] { ShowSignalValues(); });
    quietly([this] { ShowMapTab(); });
    quietly([this] { DrawSignal(); });
    quietly([this] { DrawMap(); });
    quietly([this] { DrawSeries(); });
}

// --- typed input ----------------------------------------------------------------

MainWindow::TypedField& MainWindow::AddField(TypedField field) {
    fields_.push_back(std::make_unique<TypedField>(std::move(field)));
    return *fields_.back();
}

int MainWindow::StoredValue(Parameter which) const {
    return static_cast<int>(ParameterValue(Model().Parameters(Model().ActualGroup()), which));
}

void MainWindow::WireTypedEdit(QLineEdit* edit, bool real, Parameter which, bool keepExactText) {
    auto read = [real](const QString& text, double& value) {
        const std::string typed = text.toStdString();
        std::int32_t integer = 0;
        if (real) return common::TryParseTypedReal(typed, value);
        if (!common::TryParseInteger(typed, integer)) return false;
        value = integer;
        return true;
    };
    // The text the field shows for the value kept.
    auto storedText = [this, which, real]() -> std::string {
        const SignalModel& m = Model();
        const int g = m.ActualGroup();
        if (!real) return common::IntToText(StoredValue(which));
        if (which == Parameter::F) return FText(m, g);
        if (which == Parameter::P0) return P0Text(m, g);
        return fText(m, g);
    };
    TypedField field;
    field.control = edit;
    field.text = [edit] { return edit->text(); };
    field.read = read;
    field.readFinal = [read, real](const QString& text) {
        double value = 0;
        if (!read(text, value)) {
            const std::string typed = text.toStdString();
            throw common::AppError(real ? common::NotValidFloatMessage(typed)
                                        : common::NotValidIntegerMessage(typed));
        }
        return value;
    };
    field.apply = [this, which](double v) { GroupEdited(which, v); };
    field.showKept = [this, edit, read, storedText, keepExactText, which] {
        const QString kept = Q(storedText());
        double typed = 0, value = 0;
        const bool readable = read(edit->text(), typed);
        if (readable && keepExactText &&
            typed == ParameterValue(Model().Parameters(Model().ActualGroup()), which))
            return;
        if (!readable || !read(kept, value) || typed != value) edit->setText(kept);
    };
    TypedField& wired = AddField(std::move(field));
    connect(edit, &QLineEdit::textEdited, this, [this, &wired] { TypedIn(wired); });
    connect(edit, &QLineEdit::editingFinished, this, [this, &wired] { EditingEnded(wired); });
}

void MainWindow::WireTypedSpin(IntSpinEdit* spin, Parameter which) {
    TypedField field;
    field.control = spin;
    field.text = [spin] { return spin->Text(); };
    field.read = [](const QString& text, double& value) {
        std::int32_t integer = 0;
        if (!common::TryParseInteger(text.toStdString(), integer)) return false;
        value = integer;
        return true;
    };
    field.readFinal = [](const QString& text) {
        std::int32_t integer = 0;
        const std::string typed = text.toStdString();
        if (!common::TryParseInteger(typed, integer))
            throw common::AppError(common::NotValidIntegerMessage(typed));
        return static_cast<double>(integer);
    };
    field.apply = [this, which](double v) { GroupEdited(which, v); };
    field.showKept = [this, spin, which] {
        ShowKept(spin, [this, which] { return StoredValue(which); });
    };
    ConnectSpin(spin, AddField(std::move(field)));
}

void MainWindow::WireLimitSpin(IntSpinEdit* spin, std::function<void(int)> apply,
                               std::function<int()> stored, bool live, bool groupEdit) {
    TypedField field;
    field.control = spin;
    field.text = [spin] { return spin->Text(); };
    // While typing only a number counts; "-" on the way to "-5" is no value yet.
    field.read = [spin](const QString& text, double& value) {
        std::int32_t integer = 0;
        if (!common::TryParseInteger(text.toStdString(), integer)) return false;
        value = spin->MinValue() == spin->MaxValue()
                    ? integer
                    : std::clamp(integer, spin->MinValue(), spin->MaxValue());
        return true;
    };
    // The final text reads as the field reads it: unreadable is the lower limit.
    field.readFinal = [spin](const QString&) {
        int value = spin->Value();
        if (spin->MinValue() != spin->MaxValue())
            value = std::clamp(value, spin->MinValue(), spin->MaxValue());
        return static_cast<double>(value);
    };
    field.apply = [apply = std::move(apply)](double v) { apply(static_cast<int>(v)); };
    field.showKept = [this, spin, stored] { ShowKept(spin, stored); };
    field.stored = [stored] { return static_cast<double>(stored()); };
    field.live = live;
    field.groupEdit = groupEdit;
    ConnectSpin(spin, AddField(std::move(field)));
}

void MainWindow::ConnectSpin(IntSpinEdit* spin, TypedField& field) {
    connect(spin, &IntSpinEdit::UserChanged, this, [this, spin, &field] {
        // Typing marks the text as modified; an arrow, an Up or Down key or
        // the limit applied on leaving write the text anew, which does not.
        if (spin->Editor()->isModified())
            TypedIn(field);
        else
            Stepped(field);
    });
    connect(spin, &IntSpinEdit::EditingFinished, this, [this, &field] { EditingEnded(field); });
}

void MainWindow::ShowKept(IntSpinEdit* spin, const std::function<int()>& stored) {
    // A text that was refused, or read as the lower limit, gives way to the
    // value kept once the typing is over.
    const int kept = stored();
    std::int32_t typed = 0;
    if (!common::TryParseInteger(spin->Text().toStdString(), typed) || typed != kept)
        spin->SetValue(kept);
}

void MainWindow::TypedIn(TypedField& field) {
    // The field being applied (an error box took its focus) is not typed in.
    if (activeEdit_ == field.control) return;
    if (typing_ && typing_->field != &field) FinishTyping();
    if (!typing_) {
        typing_.emplace();
        typing_->field = &field;
        if (field.groupEdit) session_.BeginTyping();
    }
    typing_->applied = false;
    if (!field.live) return;
    double value = 0;
    if (!field.read(field.text(), value)) return;  // held until it reads or the editing ends
    try {
        Apply(field, value);
        typing_->applied = true;
    } catch (...) {
        // Held: the model and the tabs keep the last good value.
    }
}

void MainWindow::Stepped(TypedField& field) {
    if (activeEdit_ == field.control) return;
    if (typing_ && typing_->field == &field) {
        typing_.reset();  // the step wrote the field anew from what it read
        session_.EndTyping();
    } else {
        FinishTyping();
    }
    QObject* previous = activeEdit_;
    activeEdit_ = field.control;
    Guarded(this, [&] { Apply(field, field.readFinal(field.text())); });
    activeEdit_ = previous;
    Guarded(this, field.showKept);
}

void MainWindow::EditingEnded(TypedField& field) {
    // An error box of this very field takes the focus: no second ending.
    if (activeEdit_ == field.control) return;
    if (typing_ && typing_->field == &field)
        FinishTyping();
    else
        Guarded(this, field.showKept);
}

void MainWindow::FinishTyping() {
    if (!typing_) return;
    const Typing typing = *typing_;
    typing_.reset();
    TypedField& field = *typing.field;
    QObject* previous = activeEdit_;
    activeEdit_ = field.control;
    if (!typing.applied) {
        const bool applied = Guarded(this, [&] {
            const double value = field.readFinal(field.text());
            // A choice retyped as it was is no change (it would move the cross group).
            if (field.stored && !field.groupEdit && field.stored() == value) return;
            Apply(field, value);
        });
        // Values passed through while typing leave no trace.
        if (!applied && field.groupEdit) {
            session_.TakeBackTyping();
            RefreshActualGroup();
        }
    }
    if (field.groupEdit) session_.EndTyping();
    activeEdit_ = previous;
    Guarded(this, field.showKept);
}

void MainWindow::Apply(TypedField& field, double value) {
    QObject* previous = activeEdit_;
    activeEdit_ = field.control;
    struct Reset {
        QObject*& active;
        QObject* previous;
        ~Reset() { active = previous; }
    } reset{activeEdit_, previous};
    if (!field.groupEdit) {
        field.apply(value);
        return;
    }
    try {
        field.apply(value);
    } catch (...) {
        RefreshActualGroup();
        throw;
    }
}

void MainWindow::RunAction(const std::function<void()>& work) {
    FinishTyping();
    Guarded(this, work);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == P0Field_ && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool plain = !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
        if (plain && (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down)) {
            if (key->key() == Qt::Key_Up)
                P0Arrows_->ClickUp();
            else
                P0Arrows_->ClickDown();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

// --- handlers ------------------------------------------------------------------
// Edits of the actual group's parameters run through Apply, which shows the
// group again as it was when the edit is refused.

void MainWindow::GroupEdited(Parameter which, double value) {
    Redraw changed = session_.SetGroupParameter(which, value);
    const bool sumSignal = changed.sumSignal;
    changed.sumSignal = false;
    try {
        Show(changed);
    } catch (...) {
        // What cannot be shown is not kept.
        session_.TakeBackLastEdit();
        throw;
    }
    if (!sumSignal) return;
    // A mended group brings E(t) up to date; its tab is not shown, so a sum
    // that still cannot be formed says why only when it is.
    try {
        session_.RecomputeSumSignal();
    } catch (...) {
    }
    DrawSumQuietly();
}

void MainWindow::GroupCountChanged(int value) {
    // The limit of the actual group follows G before the session may lower g.
    actualGroupField_->SetMaxValue(std::clamp(value, 1, kMaxGroupCount));
    const std::int32_t actualBefore = Model().ActualGroup();
    try {
        Show(session_.ChangeGroupCount(value));
    } catch (...) {
        if (Model().ActualGroup() != actualBefore) {
            ShowGroupChoice();
            RefreshActualGroup();
        }
        DrawSumQuietly();
        throw;
    }
}

void MainWindow::ActualGroupChanged(int value) {
    try {
        Show(session_.ChangeActualGroup(value));
    } catch (...) {
        // The tabs show the new group even when its computation fails: it
        // is the group the edits go to.
        ShowGroupChoice();
        RefreshActualGroup();
        DrawSumQuietly();
        throw;
    }
}

void MainWindow::P0ArrowsStepping() {
    // The arrows step from the value the field holds.
    FinishTyping();
    const int position = P0StepPosition(Model().Parameters(Model().ActualGroup()).P0);
    P0Arrows_->SetPosition(position);
    P0Arrows_->SetIncrement(P0StepIncrement(position));
}

void MainWindow::P0ArrowsClicked() {
    const int position = P0Arrows_->Position();
    P0Arrows_->SetIncrement(P0StepIncrement(position));
    const Redraw changed = session_.StepP0(position);
    P0Field_->setText(Q(P0Text(Model(), Model().ActualGroup())));
    Show(changed);
}

bool MainWindow::ShowsSumSignal() const { return tabs_->currentIndex() == kSumSignalTab; }

void MainWindow::ShowSumSignalTab() { tabs_->setCurrentIndex(kSumSignalTab); }

AnalysisSubject MainWindow::AnalysedSubject() const {
    const SignalModel& m = Model();
    return ShowsSumSignal() ? AnalysisSubject::SumSignal(m.CrossGroup())
                            : AnalysisSubject::Group(m.ActualGroup(), m.CrossGroup());
}

void MainWindow::TabChanged(int index) {
    FinishTyping();
    Guarded(this, [this, index] {
        try {
            // E(t) is brought up to date whenever its tab comes up.
            Show(index == kSumSignalTab ? session_.RecomputeSumSignal() : Redraw{});
        } catch (...) {
            if (index == kSumSignalTab) DrawSumQuietly();
            throw;
        }
    });
}

void MainWindow::ExitClicked() { close(); }

void MainWindow::AboutClicked() {
    if (aboutBox_) common::ui::Dialogs().RunModal(*aboutBox_);
}

}  // namespace ecgtrace
