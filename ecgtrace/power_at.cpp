#include "ecgtrace/power_at.h"

#include "common/program_folders.h"
#include "common/errors.h"
#include "common/rtf_reader.h"
#include "common/ui/error_box.h"
#include "common/ui/plot_view.h"
#include "ecgtrace/jpeg_figure.h"
#include "ecgtrace/model/spectra.h"
#include "ecgtrace/page_keys.h"
#include "ecgtrace/program_icon.h"

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

TFormPower::TFormPower(SignalModel& model, QWidget* parent)
    : QWidget(parent, Qt::Window),
      model_(model),
      imageHist_(kImageHistWidth, kImageHistHeight),
      imageCorrel_(kImageCorrelWidth, kImageCorrelHeight),
      imagePower_(kImagePowerWidth, kImagePowerHeight),
      imagePhase_(kImagePhaseWidth, kImagePhaseHeight) {
    setObjectName(QStringLiteral("FormPower"));
    setWindowTitle(QStringLiteral("signal analysis"));
    setWindowIcon(ProgramIcon());
    setAttribute(Qt::WA_QuitOnClose, false);
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(11);
    setFont(font);
    resize(670, 400);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - QPoint(670 / 2, 400 / 2));

    PageControl = new QTabWidget(this);
    PageControl->setObjectName(QStringLiteral("PageControl"));
    PageControl->setGeometry(16, 16, 633, 329);

    // Introduction.
    TabSheet1 = AddPage("TabSheet1", "introduction");
    RichEdit2 = new QTextEdit(TabSheet1);
    RichEdit2->setObjectName(QStringLiteral("RichEdit2"));
    RichEdit2->setGeometry(16, 24, 521, 249);
    RichEdit2->setReadOnly(true);
    auto* exitButton = new QPushButton(QStringLiteral("exit"), TabSheet1);
    exitButton->setObjectName(QStringLiteral("ButtonExit"));
    exitButton->setGeometry(544, 24, 73, 25);
    connect(exitButton, &QPushButton::clicked, this, [this] { hide(); });

    // Histogram.
    TabHistogram = AddPage("TabHistogram", "histogram");
    ImageHist = MakeImage(TabHistogram, "ImageHist", {24, 40, 210, 200}, false);
    ImageRealHist = MakeImage(TabHistogram, "ImageRealHist", {248, 40, 210, 200}, true);
    MakeBookLabel(TabHistogram, "Label2", 296, 8);
    using Shown = FigureButton::Shown;
    AddFigureButton(TabHistogram, "Button43", "fig.4.3", "Fig4-3.jpg", ImageRealHist, Shown::FromAt, {480, 40, 41, 25});
    AddFigureButton(TabHistogram, "Button45", "fig.4.5", "Fig4-5.jpg", ImageRealHist, Shown::FromAt, {480, 72, 41, 25});
    AddFigureButton(TabHistogram, "Button46", "fig.4.6", "Fig4-6.jpg", ImageRealHist, Shown::FromAt, {480, 104, 41, 25});
    AddFigureButton(TabHistogram, "Button47", "fig.4.7", "Fig4-7.jpg", ImageRealHist, Shown::FromAt, {480, 136, 41, 25});
    AddFigureButton(TabHistogram, "Button102", "fig.10.2", "Fig10-2.jpg", ImageRealHist, Shown::FromEt, {480, 168, 41, 25});

    // Correlation.
    TabCorrelation = AddPage("TabCorrelation", "correlation");
    ImageCorrel = MakeImage(TabCorrelation, "ImageCorrel", {24, 24, 230, 250}, false);
    ImageRealCorr = MakeImage(TabCorrelation, "ImageRealCorr", {272, 24, 230, 250}, true);
    MakeBookLabel(TabCorrelation, "Label3", 296, 0);
    AddFigureButton(TabCorrelation, "Button410", "fig.4.10", "Fig4-10.jpg", ImageRealCorr, Shown::FromAt, {512, 24, 41, 25});
    AddFigureButton(TabCorrelation, "Button48", "fig.4.8", "Fig4-8.jpg", ImageRealCorr, Shown::FromEt, {512, 56, 41, 25});
    AddFigureButton(TabCorrelation, "Button104", "fig.10.4", "Fig10-4.jpg", ImageRealCorr, Shown::FromEt, {512, 88, 41, 25});

    // Power spectrum.
    TabPower = AddPage("TabPower", "power spectrum");
    ImagePower = MakeImage(TabPower, "ImagePower", {32, 56, 210, 200}, false);
    ImageRealSpec = MakeImage(TabPower, "ImageRealSpec", {256, 56, 210, 200}, true);
    MakeBookLabel(TabPower, "Label4", 296, 16);
    ButtonRep = new QPushButton(QString::fromLatin1(kShowRepetitionCaption), TabPower);
    ButtonRep->setObjectName(QStringLiteral("ButtonRep"));
    ButtonRep->setGeometry(32, 264, 209, 25);
    connect(ButtonRep, &QPushButton::clicked, this, [this] {
        Guarded(this, [this] { FollowMainWindow(); });
        RunToggleRepetition();
    });
    AddFigureButton(TabPower, "Button412", "fig. 4.12", "Fig4-12.jpg", ImageRealSpec, Shown::FromAt, {480, 56, 49, 25});
    AddFigureButton(TabPower, "Button413", "fig. 4.13", "Fig4-13.jpg", ImageRealSpec, Shown::FromAt, {480, 88, 49, 25});
    AddFigureButton(TabPower, "Button414", "fig. 4.14", "Fig4-14.jpg", ImageRealSpec, Shown::FromAt, {480, 120, 49, 25});
    AddFigureButton(TabPower, "Button103", "fig. 10.3", "Fig10-3.jpg", ImageRealSpec, Shown::FromEt, {480, 152, 49, 25});

    // Cross phase spectrum.
    TabCrossPhase = AddPage("TabCrossPhase", "cross phase spectrum");
    ImagePhase = MakeImage(TabCrossPhase, "ImagePhase", {24, 40, 230, 250}, false);
    ImageRealPhase = MakeImage(TabCrossPhase, "ImageRealPhase", {272, 40, 230, 250}, true);
    MakeBookLabel(TabCrossPhase, "Label1", 296, 8);
    AddFigureButton(TabCrossPhase, "Button714", "fig. 7.14", "Fig7-14.jpg", ImageRealPhase, Shown::Always, {512, 40, 49, 25});

    for (PlotView* view : {ImageHist, ImagePower}) {
        view->setCursor(Qt::PointingHandCursor);
        connect(view, &PlotView::Clicked, this, [this, view] {
            Guarded(this, [view] {
                common::ui::CopyPlotAsMask(view->Image(), kPlotBackground[0], kPlotBackground[1],
                                           kPlotBackground[2]);
            });
        });
    }
    connect(PageControl, &QTabWidget::currentChanged, this, [this](int index) {
        if (!settingPage_) PageChanged(index);
    });
    AddPageKeys(PageControl);
}

QWidget* TFormPower::AddPage(const char* name, const char* caption) {
    auto* page = new QWidget;
    page->setObjectName(QString::fromLatin1(name));
    settingPage_ = true;
    PageControl->addTab(page, QString::fromLatin1(caption));
    settingPage_ = false;
    return page;
}

QPushButton* TFormPower::AddFigureButton(QWidget* page, const char* name, const char* caption,
                                         const char* file, PlotView* image, FigureButton::Shown shown,
                                         const QRect& geometry) {
    auto* button = new QPushButton(QString::fromLatin1(caption), page);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(geometry);
    figures_.push_back({button, file, image, shown});
    const std::size_t index = figures_.size() - 1;
    connect(button, &QPushButton::clicked, this, [this, index] {
        Guarded(this, [this, index] { LoadFigure(figures_[index]); });
    });
    return button;
}

void TFormPower::LoadFigure(const FigureButton& figure) {
    // A picture that cannot be read leaves the one shown before.
    figure.image->SetImage(DecodeJpegFile(figure.file));
}

// --- opening and filling ------------------------------------------------------------

void TFormPower::LoadIntroduction() {
    if (introductionReported_) return;
    const bool loaded = Guarded(this, [this] {
        // Read into the box's own document: the text is replaced only when
        // the file could be read.
        QTextDocument* document = RichEdit2->document();
        document->setDefaultFont(RichEdit2->font());
        common::LoadRtfFile(common::CompanionFile(kAnalysisIntroductionFile), *document);
        // The caret followed the inserted text to its end; the reader starts at the top.
        RichEdit2->moveCursor(QTextCursor::Start);
    });
    // The plots are still filled; the message is given once per opening.
    if (!loaded) introductionReported_ = true;
}

void TFormPower::FillAnalysis(std::int32_t g1, std::int32_t g2) {
    ComputeGroupSpectra(model_, g1, g2);
    LoadIntroduction();
    DrawHistogram(model_, g1, imageHist_);
    ImageHist->SetImage(imageHist_.Image());
    DrawPowerSpectrum(model_, g1, g2, imagePower_);
    ImagePower->SetImage(imagePower_.Image());
}

void TFormPower::UpdateAnalysisCaption() {
    const AnalysisCaption caption = ecgtrace::UpdateAnalysisCaption(model_);
    setWindowTitle(QString::fromStdString(caption.caption));
    analysedIndex_ = caption.analysedIndex;
}

void TFormPower::FollowMainWindow() {
    // What is analysed follows the main window's tab, actual group and cross
    // group as they are now; caption, figure buttons and pages say so before
    // anything is drawn for it.
    UpdateAnalysisCaption();
    const bool sumSignal = analysedIndex_ == 0;
    ShowFigureButtons(sumSignal);
    SetCrossPhaseVisible(!sumSignal && model_.ActualGroup != model_.CrossGroup);
}

void TFormPower::PlaceBesideMainWindow() {
    if (!buttonPowerAt_) return;
    const QWidget* mainWindow = buttonPowerAt_->window();
    const QScreen* screen = mainWindow->screen();
    if (!screen) return;
    move(AnalysisWindowPlace(mainWindow->frameGeometry(), frameGeometry().size(),
                             screen->availableGeometry(), pos()));
}

void TFormPower::OpenFromAt() {
    // The button comes back even when filling fails, so it never stays dead.
    struct EnableAgain {
        QPushButton* button;
        ~EnableAgain() {
            if (button) button->setEnabled(true);
        }
    } enableAgain{buttonPowerAt_};
    if (buttonPowerAt_) buttonPowerAt_->setEnabled(false);
    introductionReported_ = false;
    const std::int32_t g = model_.ActualGroup;
    FillAnalysis(g, g);
    SetPage(kIntroductionPage);
    UpdateAnalysisCaption();
    RunToggleRepetition();
    ShowFigureButtons(false);
    if (!isVisible()) PlaceBesideMainWindow();
    show();
    raise();
}

void TFormPower::OpenFromEt() {
    introductionReported_ = false;
    model_.RepetitionFlag[0] = 1;
    for (std::int32_t i = 1; i <= model_.GroupCount; ++i) {
        model_.RepetitionFlag[static_cast<std::size_t>(i)] = 1;
        FillAnalysis(i, i);
    }
    FillAnalysis(0, 0);
    UpdateAnalysisCaption();
    RunToggleRepetition();
    SetPage(kIntroductionPage);
    ShowFigureButtons(true);
    if (!isVisible()) PlaceBesideMainWindow();
    show();
    raise();
}

void TFormPower::ShowFigureButtons(bool fromEt) {
    for (const FigureButton& f : figures_) {
        const bool visible = f.shown == FigureButton::Shown::Always ||
                             (f.shown == FigureButton::Shown::FromEt) == fromEt;
        f.button->setVisible(visible);
    }
}

// --- pages and the repetition switch ----------------------------------------------

void TFormPower::SetPage(int index) {
    settingPage_ = true;
    PageControl->setCurrentIndex(index);
    settingPage_ = false;
}

void TFormPower::SetCrossPhaseVisible(bool visible) {
    settingPage_ = true;
    PageControl->setTabVisible(kCrossPhasePage, visible);
    settingPage_ = false;
}

void TFormPower::ApplyRepetitionState(const RepetitionButtonState& state) {
    ButtonRep->setText(QString::fromStdString(state.caption));
    ButtonRep->setEnabled(state.enabled);
}

void TFormPower::RunToggleRepetition() {
    // Flag, caption, disabled button and cross phase page take effect
    // whatever the drawing does.
    RepetitionButtonState state;
    if (!Guarded(this, [&] { state = FlipRepetition(model_, analysedIndex_); })) return;
    ApplyRepetitionState(state);
    SetCrossPhaseVisible(state.crossPhaseVisible);
    Guarded(this, [&] {
        state.enabled = DrawRepetitionSpectrum(model_, imagePower_);
        ImagePower->SetImage(imagePower_.Image());
        ApplyRepetitionState(state);
    });
}

void TFormPower::PageChanged(int index) {
    Guarded(this, [this] { FollowMainWindow(); });
    // The page chosen may have just been hidden: the page shown instead counts.
    if (!PageControl->isTabVisible(index)) index = PageControl->currentIndex();
    if (index == kPowerPage) {
        RunToggleRepetition();
        return;
    }
    Guarded(this, [this, index] {
        switch (index) {
        case kHistogramPage:
            DrawHistogram(model_, analysedIndex_, imageHist_);
            ImageHist->SetImage(imageHist_.Image());
            break;
        case kCorrelationPage:
            DrawAutocorrelation(model_, analysedIndex_, imageCorrel_);
            ImageCorrel->SetImage(imageCorrel_.Image());
            break;
        case kCrossPhasePage: {
            const RepetitionButtonState state =
                DrawCrossPhase(model_, analysedIndex_, model_.CrossGroup, imagePhase_);
            ImagePhase->SetImage(imagePhase_.Image());
            ApplyRepetitionState(state);
            break;
        }
        default:
            break;
        }
    });
}

QPoint AnalysisWindowPlace(const QRect& mainFrame, const QSize& ownFrame, const QRect& screen,
                           const QPoint& fallback) {
    const QRect candidates[] = {
        QRect(QPoint(mainFrame.right() + 1, mainFrame.top()), ownFrame),
        QRect(QPoint(mainFrame.left() - ownFrame.width(), mainFrame.top()), ownFrame),
        QRect(QPoint(mainFrame.left(), mainFrame.bottom() + 1), ownFrame),
        QRect(QPoint(mainFrame.left(), mainFrame.top() - ownFrame.height()), ownFrame),
    };
    // Beside the main window, wholly on the screen.
    for (const QRect& place : candidates)
        if (screen.contains(place)) return place.topLeft();
    // Too little room: as low on the screen as it goes, over the lower part
    // of the main window and clear of its tab bar when the screen allows.
    const int x = std::clamp(mainFrame.left(), screen.left(), std::max(screen.left(), screen.right() + 1 - ownFrame.width()));
    const int y = std::max(screen.top(), screen.bottom() + 1 - ownFrame.height());
    if (y >= mainFrame.top() + kMainTabBarClearance) return {x, y};
    return fallback;
}

}  // namespace ecgtrace
