#include "ecgtrace/analysis_window.h"

#include <utility>

#include "common/program_folders.h"
#include "common/ui/plot_menu.h"
#include "ecgtrace/model/plot_data.h"
#include "ecgtrace/analysis_window_accessibility.h"
#include "common/errors.h"
#include "common/rtf_reader.h"
#include "common/ui/error_box.h"
#include "common/ui/plot_view.h"
#include "ecgtrace/jpeg_figure.h"
#include "ecgtrace/page_keys.h"
#include "ecgtrace/program_icon.h"
#include "ecgtrace/recording_dialog.h"
#include "common/number_format.h"
#include "common/ui/dialogs.h"
#include "ecgtrace/model/signal_measures.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <algorithm>

namespace ecgtrace {
namespace {

using common::ui::Guarded;
using common::ui::PlotView;

constexpr int kPlotBackground[3] = {255, 255, 0};

enum Page { kIntroductionPage = 0, kHistogramPage, kCorrelationPage, kPowerPage, kCrossPhasePage };

PlotView* MakeImage(QWidget* page, const char* name, const QRect& r, bool stretched) {
    auto* view = new PlotView(r.width(), r.height(), page);
    view->setObjectName(QString::fromLatin1(name));
    view->move(r.topLeft());
    view->SetStretched(stretched);
    return view;
}

QLabel* MakeBookLabel(QWidget* page, const char* name, int x, int y) {
    auto* label = new QLabel(QStringLiteral("show real examples from the book"), page);
    label->setObjectName(QString::fromLatin1(name));
    QFont font = label->font();
    font.setPixelSize(16);
    label->setFont(font);
    label->move(x, y);
    label->adjustSize();
    return label;
}

}  // namespace

AnalysisWindow::AnalysisWindow(SignalSession& session, SubjectSource mainWindowSubject,
                               QWidget* parent)
    : QWidget(parent, Qt::Window),
      session_(session),
      mainWindowSubject_(std::move(mainWindowSubject)),
      histogramSurface_(kHistogramPlotWidth, kHistogramPlotHeight),
      correlationSurface_(kCorrelationPlotWidth, kCorrelationPlotHeight),
      powerSurface_(kPowerPlotWidth, kPowerPlotHeight),
      phaseSurface_(kPhasePlotWidth, kPhasePlotHeight),
      recordingHistogram_(kHistogramPlotWidth, kHistogramPlotHeight),
      recordingCorrelation_(kCorrelationPlotWidth, kCorrelationPlotHeight),
      recordingPower_(kPowerPlotWidth, kPowerPlotHeight) {
    setObjectName(QStringLiteral("analysisWindow"));
    setWindowTitle(QStringLiteral("signal analysis"));
    setWindowIcon(ProgramIcon());
    setAttribute(Qt::WA_QuitOnClose, false);
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(11);
    setFont(font);
    resize(670, 400);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - QPoint(670 / 2, 400 / 2));

    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("analysisTabs"));
    tabs_->setGeometry(16, 16, 633, 329);

    // Introduction.
    introductionPage_ = AddPage("introductionPage", "introduction");
    introductionText_ = new QTextEdit(introductionPage_);
    introductionText_->setObjectName(QStringLiteral("introductionText"));
    introductionText_->setGeometry(16, 24, 521, 249);
    introductionText_->setReadOnly(true);
    auto* exitButton = new QPushButton(QStringLiteral("exit"), introductionPage_);
    exitButton->setObjectName(QStringLiteral("exitButton"));
    exitButton->setGeometry(544, 24, 73, 25);
    connect(exitButton, &QPushButton::clicked, this, [this] { hide(); });

    // Histogram.
    histogramPage_ = AddPage("histogramPage", "histogram");
    histogramPlot_ = MakeImage(histogramPage_, "histogramPlot", {24, 40, 210, 200}, false);
    histogramFigure_ = MakeImage(histogramPage_, "histogramFigure", {248, 40, 210, 200}, true);
    MakeBookLabel(histogramPage_, "histogramBookHint", 296, 8);
    using Shown = FigureButton::Shown;
    AddFigureButton(histogramPage_, "figure4_3Button", "fig.4.3", "Fig4-3.jpg", histogramFigure_,
                    Shown::FromGroup, {480, 40, 41, 25});
    AddFigureButton(histogramPage_, "figure4_5Button", "fig.4.5", "Fig4-5.jpg", histogramFigure_,
                    Shown::FromGroup, {480, 72, 41, 25});
    AddFigureButton(histogramPage_, "figure4_6Button", "fig.4.6", "Fig4-6.jpg", histogramFigure_,
                    Shown::FromGroup, {480, 104, 41, 25});
    AddFigureButton(histogramPage_, "figure4_7Button", "fig.4.7", "Fig4-7.jpg", histogramFigure_,
                    Shown::FromGroup, {480, 136, 41, 25});
    AddFigureButton(histogramPage_, "figure10_2Button", "fig.10.2", "Fig10-2.jpg", histogramFigure_,
                    Shown::FromSumSignal, {480, 168, 41, 25});

    // Correlation.
    correlationPage_ = AddPage("correlationPage", "correlation");
    correlationPlot_ = MakeImage(correlationPage_, "correlationPlot", {24, 24, 230, 250}, false);
    correlationFigure_ =
        MakeImage(correlationPage_, "correlationFigure", {272, 24, 230, 250}, true);
    MakeBookLabel(correlationPage_, "correlationBookHint", 296, 0);
    AddFigureButton(correlationPage_, "figure4_10Button", "fig.4.10", "Fig4-10.jpg",
                    correlationFigure_, Shown::FromGroup, {512, 24, 41, 25});
    AddFigureButton(correlationPage_, "figure4_8Button", "fig.4.8", "Fig4-8.jpg",
                    correlationFigure_, Shown::FromSumSignal, {512, 56, 41, 25});
    AddFigureButton(correlationPage_, "figure10_4Button", "fig.10.4", "Fig10-4.jpg",
                    correlationFigure_, Shown::FromSumSignal, {512, 88, 41, 25});

    // Power spectrum.
    powerPage_ = AddPage("powerPage", "power spectrum");
    powerPlot_ = MakeImage(powerPage_, "powerPlot", {32, 56, 210, 200}, false);
    powerFigure_ = MakeImage(powerPage_, "powerFigure", {256, 56, 210, 200}, true);
    MakeBookLabel(powerPage_, "powerBookHint", 296, 16);
    repetitionButton_ =
        new QPushButton(QString::fromLatin1(RepetitionSwitchCaption(false)), powerPage_);
    repetitionButton_->setObjectName(QStringLiteral("repetitionButton"));
    repetitionButton_->setGeometry(32, 264, 209, 25);
    connect(repetitionButton_, &QPushButton::clicked, this, [this] {
        Guarded(this, [this] { FollowMainWindow(); });
        ToggleRepetition();
    });
    AddFigureButton(powerPage_, "figure4_12Button", "fig. 4.12", "Fig4-12.jpg", powerFigure_,
                    Shown::FromGroup, {480, 56, 49, 25});
    AddFigureButton(powerPage_, "figure4_13Button", "fig. 4.13", "Fig4-13.jpg", powerFigure_,
                    Shown::FromGroup, {480, 88, 49, 25});
    AddFigureButton(powerPage_, "figure4_14Button", "fig. 4.14", "Fig4-14.jpg", powerFigure_,
                    Shown::FromGroup, {480, 120, 49, 25});
    AddFigureButton(powerPage_, "figure10_3Button", "fig. 10.3", "Fig10-3.jpg", powerFigure_,
                    Shown::FromSumSignal, {480, 152, 49, 25});

    // Cross phase spectrum.
    crossPhasePage_ = AddPage("crossPhasePage", "cross phase spectrum");
    phasePlot_ = MakeImage(crossPhasePage_, "phasePlot", {24, 40, 230, 250}, false);
    phaseFigure_ = MakeImage(crossPhasePage_, "phaseFigure", {272, 40, 230, 250}, true);
    MakeBookLabel(crossPhasePage_, "crossPhaseBookHint", 296, 8);
    AddFigureButton(crossPhasePage_, "figure7_14Button", "fig. 7.14", "Fig7-14.jpg", phaseFigure_,
                    Shown::Always, {512, 40, 49, 25});

    for (PlotView* view : {histogramPlot_, powerPlot_}) {
        view->setCursor(Qt::PointingHandCursor);
        connect(view, &PlotView::Clicked, this, [this, view] {
            Guarded(this, [view] {
                common::ui::CopyPlotAsMask(view->Image(), kPlotBackground[0], kPlotBackground[1],
                                           kPlotBackground[2]);
            });
        });
    }
    // A recording beside the simulation, in the book figures' place.
    recordingButton_ = new QPushButton(QStringLiteral("recording…"), introductionPage_);
    recordingButton_->setObjectName(QStringLiteral("recordingButton"));
    recordingButton_->setGeometry(544, 56, 73, 25);
    connect(recordingButton_, &QPushButton::clicked, this, [this] { ChooseRecording(); });
    const std::pair<QWidget*, QRect> switches[] = {{histogramPage_, {480, 208, 130, 20}},
                                                   {correlationPage_, {512, 128, 110, 20}},
                                                   {powerPage_, {480, 192, 130, 20}}};
    for (const auto& [page, place] : switches) {
        auto* box = new QCheckBox(QStringLiteral("recording"), page);
        box->setObjectName(page->objectName() + QStringLiteral("RecordingSwitch"));
        box->setToolTip(QStringLiteral("the recording instead of the book figure"));
        box->setGeometry(place);
        connect(box, &QCheckBox::clicked, this, [this](bool on) {
            if (on && !session_.Recording()) {
                ChooseRecording();
                if (!session_.Recording()) ShowRecording(false);
                return;
            }
            ShowRecording(on);
        });
        recordingSwitches_.push_back(box);
    }
    measuresLabel_ = new QLabel(powerPage_);
    measuresLabel_->setObjectName(QStringLiteral("measuresLabel"));
    measuresLabel_->setGeometry(256, 262, 370, 30);

    connect(tabs_, &QTabWidget::currentChanged, this, [this](int index) {
        if (!settingPage_) PageChanged(index);
    });
    AddPageKeys(tabs_);
    AttachExportMenus();
    MakeAnalysisWindowAccessible(*this);
}

void AnalysisWindow::AttachExportMenus() {
    // Pictures as drawn; the values of the rows they were drawn from.
    using common::ui::AttachPlotMenu;
    AttachPlotMenu(histogramPlot_,
                   {QStringLiteral("histogram"),
                    [this]() -> const common::PlotSurface& { return histogramSurface_; },
                    [this] { return HistogramTable(session_.Model(), histogramIndex_); },
                    {}});
    AttachPlotMenu(correlationPlot_,
                   {QStringLiteral("autocorrelation"),
                    [this]() -> const common::PlotSurface& { return correlationSurface_; },
                    [this] { return AutocorrelationTable(session_.Model(), correlationIndex_); },
                    {}});
    AttachPlotMenu(
        powerPlot_,
        {QStringLiteral("power"),
         [this]() -> const common::PlotSurface& { return powerSurface_; },
         [this] { return PowerSpectrumTable(session_.Model(), powerRows_.g1, powerRows_.g2); },
         {}});
    AttachPlotMenu(
        phasePlot_,
        {QStringLiteral("crossphase"),
         [this]() -> const common::PlotSurface& { return phaseSurface_; },
         [this] { return CrossPhaseTable(session_.Model(), phaseRows_.g1, phaseRows_.g2); },
         {}});
    // A recording's plots, while they stand in the book figures' place.
    const struct {
        PlotView* view;
        const char* name;
        RecordingPlot plot;
    } recordingPlots[] = {
        {histogramFigure_, "recording_histogram", RecordingPlot::Histogram},
        {correlationFigure_, "recording_autocorrelation", RecordingPlot::Autocorrelation},
        {powerFigure_, "recording_power", RecordingPlot::Power}};
    for (const auto& shown : recordingPlots) {
        const RecordingPlot plot = shown.plot;
        AttachPlotMenu(
            shown.view,
            {QString::fromLatin1(shown.name),
             [this, plot]() -> const common::PlotSurface& { return RecordingSurface(plot); },
             [this, plot] {
                 const RecordingAnalysis* recording = session_.Recording();
                 return recording ? RecordingPlotTable(*recording, plot) : common::DataTable{};
             },
             {}})
            ->OfferOnlyWhile([this] { return ShowsRecording(); });
    }
}

QWidget* AnalysisWindow::AddPage(const char* name, const char* caption) {
    auto* page = new QWidget;
    page->setObjectName(QString::fromLatin1(name));
    settingPage_ = true;
    tabs_->addTab(page, QString::fromLatin1(caption));
    settingPage_ = false;
    return page;
}

QPushButton* AnalysisWindow::AddFigureButton(QWidget* page, const char* name, const char* caption,
                                             const char* file, PlotView* image,
                                             FigureButton::Shown shown, const QRect& geometry) {
    auto* button = new QPushButton(QString::fromLatin1(caption), page);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(geometry);
    figures_.push_back({button, file, image, shown});
    const std::size_t index = figures_.size() - 1;
    connect(button, &QPushButton::clicked, this,
            [this, index] { Guarded(this, [this, index] { LoadFigure(figures_[index]); }); });
    return button;
}

void AnalysisWindow::LoadFigure(const FigureButton& figure) {
    // Decoded on the decoder's thread; a picture that cannot be read leaves
    // the one shown before.
    common::ui::PlotView* image = figure.image;
    figureDecoder_.Request(
        figure.file,
        [this, image](const QImage& picture) {
            // A book figure asked for: the book figures come back in place of the recording.
            ShowRecording(false);
            image->SetImage(picture);
        },
        [this](const std::string& message) {
            common::ui::ShowErrorBox(this, QString::fromStdString(message));
        });
}

// --- a recording beside the simulation ---------------------------------------------

const common::PlotSurface& AnalysisWindow::RecordingSurface(RecordingPlot plot) const {
    switch (plot) {
        case RecordingPlot::Histogram:
            return recordingHistogram_;
        case RecordingPlot::Autocorrelation:
            return recordingCorrelation_;
        case RecordingPlot::Power:
            break;
    }
    return recordingPower_;
}

void AnalysisWindow::ChooseRecording(const QString& given) {
    Guarded(this, [this, &given] {
        QString path = given;
        if (path.isEmpty()) {
            const auto chosen = common::ui::Dialogs().OpenFileName(
                this, QStringLiteral("open recording"),
                QStringLiteral("recordings|*.edf *.bdf *.hea *.rec *.gdf *.dat|all files|*"));
            if (!chosen) return;
            path = *chosen;
        }
        const std::unique_ptr<RecordingSource> source = OpenRecording(path.toStdString());
        RecordingDialog dialog(source->Info(), this);
        if (common::ui::Dialogs().RunModal(dialog) != QDialog::Accepted) return;
        RecordingAnalysis analysis =
            AnalyseRecording(ReadRecordingWindow(*source, dialog.Channel(), dialog.StartSeconds()));
        // Drawn before anything changes, so a failure leaves the old choice.
        common::PlotSurface histogram(kHistogramPlotWidth, kHistogramPlotHeight),
            correlation(kCorrelationPlotWidth, kCorrelationPlotHeight),
            power(kPowerPlotWidth, kPowerPlotHeight);
        DrawRecordingHistogram(analysis, histogram);
        DrawRecordingAutocorrelation(analysis, correlation);
        DrawRecordingPowerSpectrum(analysis, power);
        recordingHistogram_ = histogram;
        recordingCorrelation_ = correlation;
        recordingPower_ = power;
        session_.ChooseRecording(std::move(analysis));
        ShowRecording(true);
    });
}

void AnalysisWindow::ShowRecording(bool shown) {
    shown = shown && session_.Recording() != nullptr;
    PlotView* const views[] = {histogramFigure_, correlationFigure_, powerFigure_};
    const common::PlotSurface* const surfaces[] = {&recordingHistogram_, &recordingCorrelation_,
                                                   &recordingPower_};
    for (int i = 0; i < 3; ++i) {
        if (shown && !recordingShown_) bookPictures_[i] = views[i]->Image();
        if (shown)
            views[i]->SetImage(surfaces[i]->Image());
        else if (recordingShown_)
            views[i]->SetImage(bookPictures_[i]);
    }
    recordingShown_ = shown;
    for (QCheckBox* box : recordingSwitches_) box->setChecked(shown);
    ShowMeasures();
    if (subject_) ShowSubject(*subject_);
}

QString AnalysisWindow::RecordingCaption() const {
    if (!ShowsRecording()) return {};
    const RecordingWindow& w = session_.Recording()->window;
    return QStringLiteral(" beside %1, channel %2, from %3 s")
        .arg(QString::fromStdString(RecordingName(w.file)),
             QString::fromStdString(RecordingChannelName(w)),
             QString::fromStdString(common::FormatGeneral(w.startSeconds, 6)));
}

void AnalysisWindow::ShowMeasures() {
    const auto text = [](const std::optional<double>& value, int decimals, const char* unit) {
        return value ? QString::fromStdString(common::FormatFixed(*value, decimals)) +
                           QString::fromLatin1(unit)
                     : QStringLiteral("-");
    };
    QString frequencies = QStringLiteral("dominant frequency   E(t): ");
    QString organisation = QStringLiteral("organisation index   E(t): ");
    const std::vector<double>& e = session_.Model().ESignal();
    if (e.size() > 1) {
        const SignalMeasures m = MeasureSignal(std::vector<double>(e.begin() + 1, e.end()));
        frequencies += text(m.dominantFrequencyHz, 2, " Hz");
        organisation += text(m.organisationIndex, 2, "");
    }
    if (const RecordingAnalysis* recording = session_.Recording()) {
        const SignalMeasures m = MeasureSignal(recording->window.samples);
        const QString name = QString::fromStdString(RecordingChannelName(recording->window));
        frequencies += QStringLiteral("   %1: ").arg(name) + text(m.dominantFrequencyHz, 2, " Hz");
        organisation += QStringLiteral("   %1: ").arg(name) + text(m.organisationIndex, 2, "");
    }
    measuresLabel_->setText(frequencies + QLatin1Char('\n') + organisation);
}

// --- opening and filling ------------------------------------------------------------

void AnalysisWindow::LoadIntroduction() {
    if (introductionReported_) return;
    const bool loaded = Guarded(this, [this] {
        // Read into the box's own document: the text is replaced only when
        // the file could be read.
        QTextDocument* document = introductionText_->document();
        document->setDefaultFont(introductionText_->font());
        common::LoadRtfFile(common::CompanionFile(kAnalysisIntroductionFile), *document);
        // The caret followed the inserted text to its end; the reader starts at the top.
        introductionText_->moveCursor(QTextCursor::Start);
    });
    // The plots are still filled; the message is given once per opening.
    if (!loaded) introductionReported_ = true;
}

QString AnalysisCaption(const AnalysisSubject& subject) {
    if (subject.sumSignal) return QStringLiteral("Signal analysis of E(t)");
    QString caption = QStringLiteral("Signal analysis of At(%1)").arg(subject.index);
    if (subject.crossGroup != subject.index)
        caption += QStringLiteral(" versus At(%1)").arg(subject.crossGroup);
    return caption;
}

void AnalysisWindow::DrawHistogram(std::int32_t index) {
    ecgtrace::DrawHistogram(session_.Model(), index, histogramSurface_);
    histogramIndex_ = index;
    histogramPlot_->SetImage(histogramSurface_.Image());
    DescribeHistogramPlot(histogramPlot_, session_.Model(), index);
}

void AnalysisWindow::DrawPowerSpectrum(const PowerSpectrumRows& rows) {
    ecgtrace::DrawPowerSpectrum(session_.Model(), rows.g1, rows.g2, powerSurface_);
    powerRows_ = rows;
    powerPlot_->SetImage(powerSurface_.Image());
    DescribePowerPlot(powerPlot_, session_.Model(), rows.g1, rows.g2);
}

void AnalysisWindow::ShowSubject(const AnalysisSubject& subject) {
    subject_ = subject;
    setWindowTitle(AnalysisCaption(subject) + RecordingCaption());
}

void AnalysisWindow::FollowMainWindow() {
    // What is analysed follows the main window's tab, actual group and cross
    // group as they are now; caption, figure buttons and pages say so before
    // anything is drawn for it.
    const AnalysisSubject subject = mainWindowSubject_();
    ShowSubject(subject);
    ShowFigureButtons(subject.sumSignal);
    SetCrossPhaseVisible(subject.CrossPhaseShown());
}

void AnalysisWindow::PlaceBesideMainWindow() {
    if (!groupAnalysisButton_) return;
    const QWidget* mainWindow = groupAnalysisButton_->window();
    const QScreen* screen = mainWindow->screen();
    if (!screen) return;
    const QRect mainFrame = mainWindow->frameGeometry();
    // Before its first showing this window has no frame yet: it will get
    // one like the main window's.
    QSize ownFrame = frameGeometry().size();
    if (!isVisible()) ownFrame = size() + (mainFrame.size() - mainWindow->size());
    // The main window's controls begin with the E(t) plot's column.
    int controlsLeft = mainFrame.left() + mainFrame.width() / 2;
    if (const auto* sumPlot = mainWindow->findChild<const QWidget*>(QStringLiteral("sumPlot")))
        controlsLeft = mainWindow->geometry().left() + sumPlot->mapTo(mainWindow, QPoint()).x();
    move(
        AnalysisWindowPlace(mainFrame, controlsLeft, ownFrame, screen->availableGeometry(), pos()));
}

void AnalysisWindow::Open(const AnalysisOpening& opening, bool fromSumSignal) {
    LoadIntroduction();
    DrawHistogram(opening.histogramIndex);
    SetPage(kIntroductionPage);
    ShowSubject(opening.subject);
    ShowRepetitionSwitch(false);
    SetCrossPhaseVisible(opening.subject.CrossPhaseShown());
    Guarded(this, [&] {
        DrawPowerSpectrum(opening.power);
        ShowRepetitionSwitch(opening.power.switchable);
    });
    ShowFigureButtons(fromSumSignal);
    Guarded(this, [this] { ShowMeasures(); });
    if (!placed_) {
        PlaceBesideMainWindow();
        placed_ = true;
    }
    show();
    raise();
}

void AnalysisWindow::OpenFromGroup() {
    // The button comes back even when filling fails, so it never stays dead.
    struct EnableAgain {
        QPushButton* button;
        ~EnableAgain() {
            if (button) button->setEnabled(true);
        }
    } enableAgain{groupAnalysisButton_};
    if (groupAnalysisButton_) groupAnalysisButton_->setEnabled(false);
    introductionReported_ = false;
    const SignalModel& m = session_.Model();
    Open(session_.OpenAnalysis(AnalysisSubject::Group(m.ActualGroup(), m.CrossGroup())), false);
}

void AnalysisWindow::OpenFromSumSignal() {
    introductionReported_ = false;
    Open(session_.OpenAnalysis(AnalysisSubject::SumSignal(session_.Model().CrossGroup())), true);
}

void AnalysisWindow::ShowFigureButtons(bool fromEt) {
    for (const FigureButton& f : figures_) {
        const bool visible = f.shown == FigureButton::Shown::Always ||
                             (f.shown == FigureButton::Shown::FromSumSignal) == fromEt;
        f.button->setVisible(visible);
    }
}

// --- pages and the repetition switch ----------------------------------------------

void AnalysisWindow::SetPage(int index) {
    settingPage_ = true;
    tabs_->setCurrentIndex(index);
    settingPage_ = false;
}

void AnalysisWindow::SetCrossPhaseVisible(bool visible) {
    settingPage_ = true;
    tabs_->setTabVisible(kCrossPhasePage, visible);
    settingPage_ = false;
}

const char* RepetitionSwitchCaption(bool withRepetition) {
    return withRepetition ? "remove repetition effect" : "show repetition effect";
}

void AnalysisWindow::ShowRepetitionSwitch(bool enabled) {
    const bool withRepetition = session_.Model().WithRepetition(AnalysedIndex());
    repetitionButton_->setText(QString::fromLatin1(RepetitionSwitchCaption(withRepetition)));
    repetitionButton_->setEnabled(enabled);
}

void AnalysisWindow::ToggleRepetition() {
    // The flip, the caption, the disabled button and the cross phase page
    // take effect whatever the computing and drawing do.
    PowerSpectrumRows rows;
    const AnalysisSubject subject = subject_.value_or(mainWindowSubject_());
    const bool computed = Guarded(this, [&] { rows = session_.ToggleRepetition(subject); });
    ShowRepetitionSwitch(false);
    SetCrossPhaseVisible(subject.CrossPhaseShown());
    if (!computed) return;
    Guarded(this, [&] {
        DrawPowerSpectrum(rows);
        ShowRepetitionSwitch(rows.switchable);
    });
}

void AnalysisWindow::PageChanged(int index) {
    Guarded(this, [this] { FollowMainWindow(); });
    // The page chosen may have just been hidden: the page shown instead counts.
    if (!tabs_->isTabVisible(index)) index = tabs_->currentIndex();
    if (index == kPowerPage) {
        ToggleRepetition();
        return;
    }
    Guarded(this, [this, index] {
        const SignalModel& model = session_.Model();
        const AnalysisSubject subject = subject_.value_or(mainWindowSubject_());
        const std::int32_t analysed = subject.index;
        switch (index) {
            case kHistogramPage:
                DrawHistogram(analysed);
                break;
            case kCorrelationPage:
                DrawAutocorrelation(model, analysed, correlationSurface_);
                correlationIndex_ = analysed;
                correlationPlot_->SetImage(correlationSurface_.Image());
                DescribeCorrelationPlot(correlationPlot_, model, analysed);
                break;
            case kCrossPhasePage: {
                const PowerSpectrumRows rows = session_.ComputeCrossPhase(subject);
                DrawCrossPhase(model, rows.g1, rows.g2, phaseSurface_);
                phaseRows_ = rows;
                phasePlot_->SetImage(phaseSurface_.Image());
                DescribePhasePlot(phasePlot_, model, rows.g1, rows.g2);
                ShowRepetitionSwitch(true);
                break;
            }
            default:
                break;
        }
    });
}

QPoint AnalysisWindowPlace(const QRect& mainFrame, int mainControlsLeft, const QSize& ownFrame,
                           const QRect& screen, const QPoint& fallback) {
    if (ownFrame.width() > screen.width() || ownFrame.height() > screen.height()) return fallback;
    const QRect beside[] = {
        QRect(QPoint(mainFrame.right() + 1, mainFrame.top()), ownFrame),
        QRect(QPoint(mainFrame.left() - ownFrame.width(), mainFrame.top()), ownFrame),
        QRect(QPoint(mainFrame.left(), mainFrame.bottom() + 1), ownFrame),
        QRect(QPoint(mainFrame.left(), mainFrame.top() - ownFrame.height()), ownFrame),
    };
    for (const QRect& place : beside)
        if (screen.contains(place)) return place.topLeft();

    // Too little room: over the main window, but not over what the user works with.
    const QRect keepClear[] = {
        QRect(mainFrame.topLeft(), QSize(mainFrame.width(), kMainTabBarClearance)),
        QRect(QPoint(mainControlsLeft, mainFrame.top()), mainFrame.bottomRight()),
    };
    const auto covered = [&](const QRect& place) {
        long long area = 0;
        for (const QRect& clear : keepClear) {
            const QRect common = place.intersected(clear);
            if (!common.isEmpty()) area += static_cast<long long>(common.width()) * common.height();
        }
        return area;
    };
    const int left = screen.left();
    const int right = screen.right() + 1 - ownFrame.width();
    const int top = screen.top();
    const int bottom = screen.bottom() + 1 - ownFrame.height();
    const QPoint corners[] = {{left, bottom}, {right, bottom}, {left, top}, {right, top}};
    QPoint best = corners[0];
    long long least = covered(QRect(best, ownFrame));
    for (const QPoint& corner : corners) {
        const long long area = covered(QRect(corner, ownFrame));
        if (area < least) {
            best = corner;
            least = area;
        }
    }
    return best;
}

}  // namespace ecgtrace
