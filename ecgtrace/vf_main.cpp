#include "ecgtrace/vf_main.h"

#include "common/program_folders.h"
#include "common/errors.h"
#include "common/number_format.h"
#include "common/rtf_reader.h"
#include "common/ui/dialogs.h"
#include "common/ui/error_box.h"
#include "common/ui/int_spin_edit.h"
#include "common/ui/plot_view.h"
#include "ecgtrace/equations.h"
#include "ecgtrace/model/signal_plots.h"
#include "ecgtrace/page_keys.h"
#include "ecgtrace/program_icon.h"
#include "ecgtrace/up_down.h"

#include <QCloseEvent>
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

namespace ecgtrace {
namespace {

using common::ui::Guarded;
using common::ui::IntSpinEdit;
using common::ui::PlotView;

// Client area for an outer size of 705 x 445 with the usual frame and title.
constexpr int kClientWidth = 697;
constexpr int kClientHeight = 418;
constexpr int kPlotBackground[3] = {0, 128, 0};

QString Q(const std::string& s) { return QString::fromStdString(s); }

QLabel* MakeLabel(QWidget* parent, const QString& text, int x, int y, int w = 0, int h = 17) {
    auto* label = new QLabel(text, parent);
    if (w == 0) w = label->fontMetrics().horizontalAdvance(text) + 4;
    label->setGeometry(x, y, w, h);
    return label;
}

QLabel* MakePanel(QWidget* parent, const char* name, const QString& caption, const QRect& geometry) {
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

TMainForm::TMainForm(QWidget* parent)
    : QWidget(parent),
      imageEt_(kImageEtWidth, kImageEtHeight),
      imageAt_(kImageAtWidth, kImageAtHeight),
      imagePt_(kImagePtWidth, kImagePtHeight),
      imageP_(kImagePWidth, kImagePHeight) {
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QString::fromLatin1(kMainCaption));
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

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setGeometry(8, 8, 675, 393);
    PageControl1->setAutoFillBackground(true);
    PageControl1->setPalette(QGuiApplication::palette());
    const char* const names[] = {"TabIntroduction", "TabEt", "TabT", "TabAt", "TabP"};
    const char* const captions[] = {"introduction", "E(t)", "T", "A(t)", "P"};
    QWidget* pages[5];
    for (int i = 0; i < 5; ++i) {
        pages[i] = new QWidget;
        pages[i]->setObjectName(QString::fromLatin1(names[i]));
        PageControl1->addTab(pages[i], QString::fromLatin1(captions[i]));
    }
    BuildIntroductionTab(pages[0]);
    BuildETab(pages[1]);
    BuildTTab(pages[2]);
    BuildATab(pages[3]);
    BuildPTab(pages[4]);
    PageControl1->setCurrentIndex(0);
    connect(PageControl1, &QTabWidget::currentChanged, this, [this](int index) { TabChanged(index); });
    AddPageKeys(PageControl1);

    RunStartup();
}

TMainForm::~TMainForm() {
    // The fields outlive this part of the window: a focus lost while they
    // are destroyed must not reach its handlers.
    typing_.reset();
    for (const auto& field : fields_) QObject::disconnect(field->control, nullptr, this, nullptr);
    if (EditP0) EditP0->removeEventFilter(this);
}

// --- layout ------------------------------------------------------------------

void TMainForm::BuildIntroductionTab(QWidget* page) {
    RichEdit1 = new QTextEdit(page);
    RichEdit1->setObjectName(QStringLiteral("RichEdit1"));
    RichEdit1->setGeometry(8, 8, 465, 290);
    RichEdit1->setReadOnly(true);
    RichEdit1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEdit1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEdit1->setLineWrapMode(QTextEdit::FixedPixelWidth);
    RichEdit1->setLineWrapColumnOrWidth(440);
    RichEdit1->setPlainText(QStringLiteral("RichEdit1"));

    auto* about = MakeButton(page, "ButtonAbout", QStringLiteral("about"), {496, 8, 75, 25});
    auto* exitButton = MakeButton(page, "ButtonExit", QStringLiteral("exit"), {496, 40, 75, 25});
    connect(about, &QPushButton::clicked, this, [this] { AboutClicked(); });
    connect(exitButton, &QPushButton::clicked, this, [this] { ExitClicked(); });
}

void TMainForm::BuildETab(QWidget* page) {
    MakePanel(page, "PanelEt",
              QStringLiteral("simulation of the extra-cellular electrical signal from the heart "
                             "during ventricular fibrillation"),
              {4, 4, 659, 25});
    auto* picture = CreateEquationPicture(Formulas::SumSignal, page);
    picture->setObjectName(QStringLiteral("ImageEquationEt"));
    picture->move(4, 36);

    const int x = 368;
    MakeLabel(page, QStringLiteral("G:"), x, 40);
    SpinEditG = MakeSpin(page, "SpinEditG", x + 18, 37, 50, 1, kMaxGroupCount);
    MakeLabel(page, QStringLiteral("g:"), x + 80, 40);
    SpinEditActualg = MakeSpin(page, "SpinEditActualg", x + 96, 37, 50, 1, kDefaultGroupCount);
    MakeLabel(page, QStringLiteral("g cross"), x + 158, 40);
    SpinEditCrossg = MakeSpin(page, "SpinEditCrossg", x + 200, 37, 50, 1, kDefaultGroupCount);
    ButtonEtAnalysis = MakeButton(page, "ButtonEtAnalysis", QStringLiteral("signal analysis"),
                                  {x, 72, 121, 25});
    ButtonEtAnalysis->setEnabled(false);

    ImageEt = MakePlot(page, "ImageEt", x, 108, kImageEtWidth, kImageEtHeight);
    LabelEtmin = MakeLabel(page, QStringLiteral("E(0)"), x, 216, 100);
    LabelEtmin->setObjectName(QStringLiteral("LabelEtmin"));
    LabelEtMax = MakeLabel(page, QStringLiteral("E(2800)"), x + kImageEtWidth - 100, 216, 100);
    LabelEtMax->setObjectName(QStringLiteral("LabelEtMax"));
    LabelEtMax->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    SpinEditEmin = MakeSpin(page, "SpinEditEmin", x, 242, 65, 0, 2700, 100);
    SpinEditEmin->SetEditorEnabled(false);
    ButtonRedraw = MakeButton(page, "ButtonRedraw", QStringLiteral("apply"), {x + 103, 240, 75, 25});
    SpinEditEmax = MakeSpin(page, "SpinEditEmax", x + kImageEtWidth - 65, 242, 65, 100, 2800, 100);

    // A number passed through while typing would lower g, move the cross
    // group or set up groups: the group fields apply when the editing ends.
    WireLimitSpin(SpinEditG, [this](int v) { GroupCountChanged(v); }, [this] { return model_.GroupCount; },
                  false, false);
    WireLimitSpin(SpinEditActualg, [this](int v) { ActualGroupChanged(v); },
                  [this] { return model_.ActualGroup; }, false, false);
    WireLimitSpin(SpinEditCrossg, [this](int v) { CrossGroupChanged(v); }, [this] { return model_.CrossGroup; },
                  false, false);
    connect(ButtonRedraw, &QPushButton::clicked, this, [this] { RunAction([this] { RedrawClicked(); }); });
    connect(ButtonEtAnalysis, &QPushButton::clicked, this, [this] {
        if (openFromEt_) RunAction(openFromEt_);
    });
    connect(ImageEt, &PlotView::Clicked, this, [this] {
        Guarded(this, [this] {
            common::ui::CopyPlotAsMask(ImageEt->Image(), kPlotBackground[0], kPlotBackground[1],
                                       kPlotBackground[2]);
        });
    });
}

void TMainForm::BuildTTab(QWidget* page) {
    MakePanel(page, "PanelT", QStringLiteral("elaboration of function T"), {4, 4, 659, 25});
    auto* picture = CreateEquationPicture(Formulas::Period, page);
    picture->setObjectName(QStringLiteral("ImageEquationT"));
    picture->move(4, 36);

    const int x = 468;
    LabelTg = MakeLabel(page, QString(), x, 40, 190);
    LabelTg->setObjectName(QStringLiteral("LabelTg"));
    struct Row {
        const char* caption;
        const char* name;
        QLineEdit** edit;
    };
    const Row rows[] = {{"f", "EditfScale", &EditfScale}, {"F", "EditFAccom", &EditFAccom},
                        {"Nb", "EditNb", &EditNb},       {"N", "EditN", &EditN},
                        {"Te", "EditTe", &EditTe},       {"Ta", "EditTa", &EditTa},
                        {"Tr", "EditTr", &EditTr}};
    int y = 68;
    for (const Row& row : rows) {
        MakeLabel(page, QString::fromLatin1(row.caption), x, y + 2, 24);
        *row.edit = MakeEdit(page, row.name, x + 28, y);
        y += 30;
    }

    // When the typing is over, a field whose value was limited or refused
    // shows the value kept.
    auto shown = [this](auto text) { return [this, text] { return (model_.*text)(model_.ActualGroup); }; };
    auto shownInt = [this](std::int32_t GroupParameters::*member) {
        return [this, member] { return common::IntToText(model_.Group(model_.ActualGroup).*member); };
    };
    WireTypedEdit(EditfScale, true, [this](double v) { fScaleChanged(v); }, shown(&SignalModel::fText));
    WireTypedEdit(EditFAccom, true, [this](double v) { FAccomChanged(v); }, shown(&SignalModel::FText));
    WireTypedEdit(EditNb, false, [this](double v) { NEChanged(static_cast<int>(v), EditNb); },
                  shownInt(&GroupParameters::NE));
    WireTypedEdit(EditN, false, [this](double v) { NChanged(static_cast<int>(v), EditN); },
                  shownInt(&GroupParameters::N));
    WireTypedEdit(EditTe, false, [this](double v) { PeriodTimeChanged(&GroupParameters::Te, static_cast<int>(v)); },
                  shownInt(&GroupParameters::Te));
    WireTypedEdit(EditTa, false, [this](double v) { PeriodTimeChanged(&GroupParameters::Ta, static_cast<int>(v)); },
                  shownInt(&GroupParameters::Ta));
    WireTypedEdit(EditTr, false, [this](double v) { PeriodTimeChanged(&GroupParameters::Tr, static_cast<int>(v)); },
                  shownInt(&GroupParameters::Tr));
}

void TMainForm::BuildATab(QWidget* page) {
    Panel7 = MakePanel(page, "Panel7", QStringLiteral("elaboration of function A(t)"), {4, 4, 659, 25});
    ButtonPowerAt_ = MakeButton(Panel7, "ButtonPowerAt", QStringLiteral("signal analysis"),
                                {536, 2, 121, 21});
    ButtonPowerAt_->setEnabled(false);
    auto* picture = CreateEquationPicture(Formulas::GroupSignal, page);
    picture->setObjectName(QStringLiteral("ImageEquationAt"));
    picture->move(4, 36);

    const int x = 462;
    ImageAt = MakePlot(page, "ImageAt", x, 36, kImageAtWidth, kImageAtHeight);
    Labelm1 = MakeLabel(page, QString(), x, 216, 110);
    Labelm1->setObjectName(QStringLiteral("Labelm1"));
    MakeLabel(page, QStringLiteral("s1 ="), x + 112, 216, 30);
    SpinEditS1 = MakeSpin(page, "SpinEditS1", x + 144, 213, 52, 0, 0);
    Labelm2 = MakeLabel(page, QString(), x, 246, 110);
    Labelm2->setObjectName(QStringLiteral("Labelm2"));
    MakeLabel(page, QStringLiteral("s2 ="), x + 112, 246, 30);
    SpinEditS2 = MakeSpin(page, "SpinEditS2", x + 144, 243, 52, 0, 0);
    MakeLabel(page, QStringLiteral("offset ="), x + 96, 276, 46);
    SpinEditOff = MakeSpin(page, "SpinEditOff", x + 144, 273, 52, 0, 0);

    auto stored = [this](std::int32_t GroupParameters::*member) {
        return [this, member] { return model_.Group(model_.ActualGroup).*member; };
    };
    WireLimitSpin(SpinEditS1, [this](int v) { WidthChanged(&GroupParameters::s1, v); }, stored(&GroupParameters::s1),
                  true, true);
    WireLimitSpin(SpinEditS2, [this](int v) { WidthChanged(&GroupParameters::s2, v); }, stored(&GroupParameters::s2),
                  true, true);
    WireLimitSpin(SpinEditOff, [this](int v) { OffsetChanged(v); }, stored(&GroupParameters::offset), true, true);
    connect(ButtonPowerAt_, &QPushButton::clicked, this, [this] {
        if (openFromAt_) RunAction(openFromAt_);
    });
    connect(ImageAt, &PlotView::Clicked, this, [this] {
        Guarded(this, [this] {
            common::ui::CopyPlotAsMask(ImageAt->Image(), kPlotBackground[0], kPlotBackground[1],
                                       kPlotBackground[2]);
        });
    });
}

void TMainForm::BuildPTab(QWidget* page) {
    Panel10 = MakePanel(page, "Panel10", QStringLiteral("elaboration of function Pn"), {4, 4, 659, 25});
    auto* picture = CreateEquationPicture(Formulas::Map, page);
    picture->setObjectName(QStringLiteral("ImageEquationP"));
    picture->move(4, 36);

    const int x = 276;
    ImagePt = MakePlot(page, "ImagePt", x, 36, kImagePtWidth, kImagePtHeight);
    LabelP1 = MakeLabel(page, QString(), x, 110, 150);
    LabelP1->setObjectName(QStringLiteral("LabelP1"));
    LabelP2 = MakeLabel(page, QString(), x + 170, 110, 150);
    LabelP2->setObjectName(QStringLiteral("LabelP2"));
    ImageP = MakePlot(page, "ImageP", x, 140, kImagePWidth, kImagePHeight);

    const int cx = x + 140;
    ButtonPn = MakeButton(page, "ButtonPn", QStringLiteral("plot Pn -> Pn+1"), {cx, 140, 121, 25});
    MakeLabel(page, QStringLiteral("P0"), cx, 176, 28);
    EditP0 = MakeEdit(page, "EditP0", cx + 30, 173, 56);
    UpDownP0 = new TUpDown(page);
    UpDownP0->setObjectName(QStringLiteral("UpDownP0"));
    UpDownP0->setGeometry(cx + 87, 173, 15, 21);
    UpDownP0->SetRange(0, 100);
    UpDownP0->SetIncrement(1);
    struct Row {
        const char* caption;
        const char* name;
        IntSpinEdit** spin;
    };
    const Row rows[] = {{"NE", "SpinEditNE", &SpinEditNE},
                        {"Nd", "SpinEditNd", &SpinEditNd},
                        {"M", "SpinEditM", &SpinEditM},
                        {"N", "SpinEditN", &SpinEditN}};
    int y = 203;
    for (const Row& row : rows) {
        MakeLabel(page, QString::fromLatin1(row.caption), cx, y + 3, 28);
        *row.spin = MakeSpin(page, row.name, cx + 30, y, 72, 0, 0);
        y += 28;
    }

    connect(ButtonPn, &QPushButton::clicked, this, [this] { RunAction([this] { CobwebClicked(); }); });
    // A value limited to 0..1 stays as typed; a refused text gives way to P0.
    WireTypedEdit(EditP0, true, [this](double v) { P0Changed(v); },
                  [this] { return model_.P0Text(model_.ActualGroup); }, true);
    EditP0->installEventFilter(this);
    connect(UpDownP0, &TUpDown::AboutToStep, this, [this] { Guarded(this, [this] { UpDownP0Stepping(); }); });
    connect(UpDownP0, &TUpDown::Clicked, this, [this] { Guarded(this, [this] { UpDownP0Clicked(); }); });
    auto stored = [this](std::int32_t GroupParameters::*member) {
        return [this, member] { return model_.Group(model_.ActualGroup).*member; };
    };
    WireTypedSpin(SpinEditNE, [this](int v) { NEChanged(v, SpinEditNE); }, stored(&GroupParameters::NE));
    WireTypedSpin(SpinEditNd, [this](int v) { MapParameterChanged(&GroupParameters::Nd, v); },
                  stored(&GroupParameters::Nd));
    WireTypedSpin(SpinEditM, [this](int v) { MapParameterChanged(&GroupParameters::M, v); },
                  stored(&GroupParameters::M));
    WireTypedSpin(SpinEditN, [this](int v) { NChanged(v, SpinEditN); }, stored(&GroupParameters::N));
    for (PlotView* view : {ImagePt, ImageP}) {
        connect(view, &PlotView::Clicked, this, [this, view] {
            Guarded(this, [view] {
                common::ui::CopyPlotAsMask(view->Image(), kPlotBackground[0], kPlotBackground[1],
                                           kPlotBackground[2]);
            });
        });
    }
}

// --- start-up and shutdown ---------------------------------------------------------

void TMainForm::RunStartup() {
    const StartupReport report = model_.RunStartupComputations(kParameterFileName);
    if (!report.loadError.empty()) common::ui::ShowErrorBox(this, Q(report.loadError));
    if (!report.computeError.empty()) common::ui::ShowErrorBox(this, Q(report.computeError));

    Guarded(this, [this] {
        SpinEditG->SetMaxValue(kMaxGroupCount);
        ShowSpin(SpinEditG, model_.GroupCount);
        SpinEditActualg->SetMaxValue(model_.GroupCount);
        ShowSpin(SpinEditActualg, model_.ActualGroup);
        SpinEditCrossg->SetMaxValue(model_.GroupCount);
        ShowSpin(SpinEditCrossg, model_.CrossGroup);
        ShowSpin(SpinEditEmin, model_.EWindowStart);
        ShowSpin(SpinEditEmax, model_.EWindowEnd);
        LabelEtmin->setText(Q(model_.EStartText()));
        LabelEtMax->setText(Q(model_.EEndText()));

        ShowTParameters();
        ShowAParameters();
    });
    // Each plot on its own, so one that cannot be drawn leaves the others.
    Guarded(this, [this] { DrawA(); });
    Guarded(this, [this] {
        ShowPParameters();
        DrawPMap();
    });
    // Filling the controls is no change: only the loading decides the flag.
    model_.ParametersChanged = !model_.ParametersLoaded;
    LoadIntroduction();
}

void TMainForm::LoadIntroduction() {
    Guarded(this, [this] {
        // Read into the box's own document: the text is replaced only when
        // the file could be read.
        QTextDocument* document = RichEdit1->document();
        document->setDefaultFont(RichEdit1->font());
        common::LoadRtfFile(common::CompanionFile("V13.rtf"), *document);
        // The caret followed the inserted text to its end; the reader starts at the top.
        RichEdit1->moveCursor(QTextCursor::Start);
    });
}

void TMainForm::closeEvent(QCloseEvent* event) {
    if (shuttingDown_) {
        event->accept();
        return;
    }
    // What the user typed last counts, also when the window closes at once.
    FinishTyping();
    if (model_.ParametersChanged) {
        const auto path = common::ui::Dialogs().SaveFileName(this, QStringLiteral("Save As"), QString(),
                                                             QString::fromLatin1(kParameterFileName));
        if (path) {
            const bool saved =
                Guarded(this, [&] { model_.SaveParameterFile(path->toStdString()); });
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

void TMainForm::SetAnalysisActions(std::function<void()> openFromEt, std::function<void()> openFromAt) {
    openFromEt_ = std::move(openFromEt);
    openFromAt_ = std::move(openFromAt);
    ButtonEtAnalysis->setEnabled(static_cast<bool>(openFromEt_));
    ButtonPowerAt_->setEnabled(static_cast<bool>(openFromAt_));
}

// --- showing -------------------------------------------------------------------

void TMainForm::ShowText(QLineEdit* edit, const std::string& text) {
    // The field the user is typing in keeps the text as typed.
    if (edit == activeEdit_) return;
    edit->setText(Q(text));
}

void TMainForm::ShowSpin(IntSpinEdit* spin, int value) {
    // The field the user is typing in keeps the text as typed.
    if (spin == activeEdit_) return;
    spin->SetValue(value);
}

void TMainForm::ShowTParameters() {
    const int g = model_.ActualGroup;
    const GroupParameters& p = model_.Group(g);
    LabelTg->setText(Q(model_.TGroupText(g)));
    ShowText(EditfScale, model_.fText(g));
    ShowText(EditFAccom, model_.FText(g));
    ShowText(EditNb, common::IntToText(p.NE));
    ShowText(EditN, common::IntToText(p.N));
    ShowText(EditTe, common::IntToText(p.Te));
    ShowText(EditTa, common::IntToText(p.Ta));
    ShowText(EditTr, common::IntToText(p.Tr));
}

void TMainForm::ShowAParameters() {
    const int g = model_.ActualGroup;
    const GroupParameters& p = model_.Group(g);
    Panel7->setText(Q(APanelText(g)));
    Labelm1->setText(Q(model_.M1Text(g)));
    Labelm2->setText(Q(model_.M2Text(g)));
    ShowSpin(SpinEditS1, p.s1);
    ShowSpin(SpinEditS2, p.s2);
    ShowSpin(SpinEditOff, p.offset);
}

void TMainForm::ShowPParameters() {
    const int g = model_.ActualGroup;
    const GroupParameters& p = model_.Group(g);
    ShowText(EditP0, model_.P0Text(g));
    UpDownP0->SetPosition(UpDownP0Position(p.P0));
    ShowSpin(SpinEditNd, p.Nd);
    ShowSpin(SpinEditM, p.M);
    ShowSpin(SpinEditNE, p.NE);
    ShowSpin(SpinEditN, p.N);
}

void TMainForm::ShowPSeriesLabels() {
    const int g = model_.ActualGroup;
    LabelP1->setText(Q(model_.PHalfText(g)));
    LabelP2->setText(Q(model_.PWholeText(g)));
}

// --- drawing -------------------------------------------------------------------

void TMainForm::DrawA() {
    ecgtrace::DrawA(model_, model_.ActualGroup, imageAt_);
    ImageAt->SetImage(imageAt_.Image());
}

void TMainForm::DrawE() {
    LabelEtmin->setText(Q(model_.EStartText()));
    LabelEtMax->setText(Q(model_.EEndText()));
    ecgtrace::DrawE(model_, imageEt_);
    ImageEt->SetImage(imageEt_.Image());
}

void TMainForm::RecomputeE() {
    model_.ComputeE();
    DrawE();
}

void TMainForm::DrawPMap() {
    struct Refresh {  // the series and its labels are shown even when the map fails midway
        TMainForm* form;
        ~Refresh() {
            form->ImageP->SetImage(form->imageP_.Image());
            form->ImagePt->SetImage(form->imagePt_.Image());
            form->ShowPSeriesLabels();
        }
    } refresh{this};
    ecgtrace::DrawPMap(model_, model_.ActualGroup, imageP_, &imagePt_);
}

void TMainForm::DrawPSeries() {
    ecgtrace::ComputePSeries(model_, model_.ActualGroup, &imagePt_);
    ImagePt->SetImage(imagePt_.Image());
    ShowPSeriesLabels();
}

// --- typed input ----------------------------------------------------------------

TMainForm::TypedField& TMainForm::AddField(TypedField field) {
    fields_.push_back(std::make_unique<TypedField>(std::move(field)));
    return *fields_.back();
}

void TMainForm::WireTypedEdit(QLineEdit* edit, bool real, std::function<void(double)> apply,
                              std::function<std::string()> storedText, bool keepLimitedText) {
    auto read = [real](const QString& text, double& value) {
        const std::string typed = text.toStdString();
        std::int32_t integer = 0;
        if (real) return common::TryParseFloat(typed, value);
        if (!common::TryParseInteger(typed, integer)) return false;
        value = integer;
        return true;
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
    field.apply = std::move(apply);
    field.showKept = [this, edit, read, storedText, keepLimitedText] {
        const QString kept = Q(storedText());
        double typed = 0, value = 0;
        const bool readable = read(edit->text(), typed);
        // A limited value may stay as typed; a refused text never does.
        if (readable && keepLimitedText) return;
        if (!readable || !read(kept, value) || typed != value) edit->setText(kept);
    };
    TypedField& wired = AddField(std::move(field));
    connect(edit, &QLineEdit::textEdited, this, [this, &wired] { TypedIn(wired); });
    connect(edit, &QLineEdit::editingFinished, this, [this, &wired] { EditingEnded(wired); });
}

void TMainForm::WireTypedSpin(IntSpinEdit* spin, std::function<void(int)> apply, std::function<int()> stored) {
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
    field.apply = [apply = std::move(apply)](double v) { apply(static_cast<int>(v)); };
    field.showKept = [this, spin, stored] { ShowKept(spin, stored); };
    ConnectSpin(spin, AddField(std::move(field)));
}

void TMainForm::WireLimitSpin(IntSpinEdit* spin, std::function<void(int)> apply, std::function<int()> stored,
                              bool live, bool groupEdit) {
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

void TMainForm::ConnectSpin(IntSpinEdit* spin, TypedField& field) {
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

void TMainForm::ShowKept(IntSpinEdit* spin, const std::function<int()>& stored) {
    // A text that was refused, or read as the lower limit, gives way to the
    // value kept once the typing is over.
    const int kept = stored();
    std::int32_t typed = 0;
    if (!common::TryParseInteger(spin->Text().toStdString(), typed) || typed != kept) spin->SetValue(kept);
}

void TMainForm::TypedIn(TypedField& field) {
    // The field being applied (an error box took its focus) is not typed in.
    if (activeEdit_ == field.control) return;
    if (typing_ && typing_->field != &field) FinishTyping();
    if (!typing_) {
        typing_.emplace();
        typing_->field = &field;
        if (field.groupEdit) typing_->start = model_.SaveGroupState(model_.ActualGroup);
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

void TMainForm::Stepped(TypedField& field) {
    if (activeEdit_ == field.control) return;
    if (typing_ && typing_->field == &field)
        typing_.reset();  // the step wrote the field anew from what it read
    else
        FinishTyping();
    QObject* previous = activeEdit_;
    activeEdit_ = field.control;
    Guarded(this, [&] { Apply(field, field.readFinal(field.text())); });
    activeEdit_ = previous;
    Guarded(this, field.showKept);
}

void TMainForm::EditingEnded(TypedField& field) {
    // An error box of this very field takes the focus: no second ending.
    if (activeEdit_ == field.control) return;
    if (typing_ && typing_->field == &field)
        FinishTyping();
    else
        Guarded(this, field.showKept);
}

void TMainForm::FinishTyping() {
    if (!typing_) return;
    const TypingSession session = std::move(*typing_);
    typing_.reset();
    TypedField& field = *session.field;
    QObject* previous = activeEdit_;
    activeEdit_ = field.control;
    if (!session.applied) {
        const bool applied = Guarded(this, [&] {
            const double value = field.readFinal(field.text());
            // A choice retyped as it was is no change (it would move the cross group).
            if (field.stored && !field.groupEdit && field.stored() == value) return;
            Apply(field, value);
        });
        // Values passed through while typing leave no trace.
        if (!applied && session.start) {
            model_.RestoreGroupState(*session.start);
            RefreshActualGroup();
        }
    }
    activeEdit_ = previous;
    Guarded(this, field.showKept);
}

void TMainForm::Apply(TypedField& field, double value) {
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
        model_.EditGroup(model_.ActualGroup, [&] { field.apply(value); });
    } catch (...) {
        RefreshActualGroup();
        throw;
    }
}

void TMainForm::RefreshActualGroup() noexcept {
    // Each part on its own: one that cannot be shown leaves the others.
    const auto quietly = [](auto&& part) {
        try {
            part();
        } catch (...) {
        }
    };
    quietly([this] { ShowTParameters(); });
    quietly([this] { ShowAParameters(); });
    quietly([this] { ShowPParameters(); });
    quietly([this] { DrawA(); });
    quietly([this] { DrawPMap(); });
}

void TMainForm::RunAction(const std::function<void()>& work) {
    FinishTyping();
    Guarded(this, work);
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == EditP0 && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool plain = !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
        if (plain && (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down)) {
            if (key->key() == Qt::Key_Up)
                UpDownP0->ClickUp();
            else
                UpDownP0->ClickDown();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

// --- handlers ------------------------------------------------------------------
// Edits of the actual group's parameters run through Apply, which gives the
// group back its state when a step fails.

void TMainForm::GroupCountChanged(int value) {
    // The limit of the actual group follows G before the model may lower g.
    SpinEditActualg->SetMaxValue(std::clamp(value, 1, kMaxGroupCount));
    model_.ChangeGroupCount(value, [this](std::int32_t g) {
        ShowSpin(SpinEditActualg, g);
        ActualGroupChanged(g);
    });
    DrawE();
}

void TMainForm::ActualGroupChanged(int value) {
    model_.SelectActualGroup(value);
    const int g = model_.ActualGroup;
    ShowSpin(SpinEditCrossg, model_.CrossGroup);
    Panel10->setText(Q(PPanelText(g)));
    try {
        // The tabs show the new group before anything is computed: when its
        // computation fails they still show the group the edits go to.
        ShowTParameters();
        ShowAParameters();
        ShowPParameters();
        model_.ComputeT(g);
        ShowAParameters();
        ShowTParameters();
        DrawA();
        RecomputeE();
        model_.ComputePMap(g);
        ShowPParameters();
        DrawPMap();
    } catch (...) {
        RefreshActualGroup();
        throw;
    }
}

void TMainForm::CrossGroupChanged(int value) {
    model_.ParametersChanged = true;
    model_.CrossGroup = value;
}

void TMainForm::RedrawClicked() {
    model_.EWindowStart = SpinEditEmin->Value();
    model_.EWindowEnd = SpinEditEmax->Value();
    RecomputeE();
}

void TMainForm::fScaleChanged(double value) {
    model_.ParametersChanged = true;
    model_.Group(model_.ActualGroup).f = value;
    model_.ComputeT(model_.ActualGroup);
    ShowAParameters();
    ShowTParameters();
}

void TMainForm::FAccomChanged(double value) {
    model_.ParametersChanged = true;
    model_.Group(model_.ActualGroup).F = LimitF(value);
    model_.ComputeT(model_.ActualGroup);
    ShowAParameters();
    ShowTParameters();
}

void TMainForm::NEChanged(int value, QObject* source) {
    model_.ParametersChanged = true;
    model_.Group(model_.ActualGroup).NE = value;
    model_.ComputeT(model_.ActualGroup);
    if (source == EditNb)
        ShowSpin(SpinEditNE, value);
    else
        ShowText(EditNb, common::IntToText(value));
    ShowAParameters();
    ShowTParameters();
    model_.ComputePMap(model_.ActualGroup);
    DrawPMap();
}

void TMainForm::NChanged(int value, QObject* source) {
    model_.ParametersChanged = true;
    model_.Group(model_.ActualGroup).N = value;
    model_.ComputeT(model_.ActualGroup);
    if (source == EditN)
        ShowSpin(SpinEditN, value);
    else
        ShowText(EditN, common::IntToText(value));
    ShowAParameters();
    ShowTParameters();
    model_.ComputePMap(model_.ActualGroup);
    DrawPMap();
}

void TMainForm::PeriodTimeChanged(std::int32_t GroupParameters::*member, int value) {
    model_.ParametersChanged = true;
    model_.Group(model_.ActualGroup).*member = value;
    model_.ComputeT(model_.ActualGroup);
    ShowAParameters();
    ShowTParameters();
    DrawA();
}

void TMainForm::WidthChanged(std::int32_t GroupParameters::*member, int value) {
    if (model_.Group(model_.ActualGroup).*member == value) return;
    model_.ParametersChanged = true;
    model_.Group(model_.ActualGroup).*member = value;
    model_.ComputeA(model_.ActualGroup);
    ShowAParameters();
    DrawA();
}

void TMainForm::OffsetChanged(int value) {
    model_.ParametersChanged = true;
    const int offset = LimitOffset(value);
    // The field shows 0 for a negative value once the typing is over.
    ShowSpin(SpinEditOff, offset);
    model_.Group(model_.ActualGroup).offset = offset;
    model_.ComputeA(model_.ActualGroup);
    ShowAParameters();
    DrawA();
}

void TMainForm::P0Changed(double value) {
    model_.ParametersChanged = true;
    model_.Group(model_.ActualGroup).P0 = LimitP0(value);
    DrawPSeries();
}

void TMainForm::UpDownP0Stepping() {
    // The arrows step from the value the field holds.
    FinishTyping();
    const int position = UpDownP0Position(model_.Group(model_.ActualGroup).P0);
    UpDownP0->SetPosition(position);
    UpDownP0->SetIncrement(UpDownP0Increment(position));
}

void TMainForm::UpDownP0Clicked() {
    model_.ParametersChanged = true;
    const int position = UpDownP0->Position();
    UpDownP0->SetIncrement(UpDownP0Increment(position));
    model_.Group(model_.ActualGroup).P0 = position / 100.0;
    EditP0->setText(Q(model_.P0Text(model_.ActualGroup)));
    DrawPSeries();
}

void TMainForm::MapParameterChanged(std::int32_t GroupParameters::*member, int value) {
    model_.ParametersChanged = true;
    model_.Group(model_.ActualGroup).*member = value;
    model_.ComputePMap(model_.ActualGroup);
    DrawPMap();
}

void TMainForm::CobwebClicked() {
    struct Refresh {
        TMainForm* form;
        ~Refresh() {
            form->ImageP->SetImage(form->imageP_.Image());
            form->ImagePt->SetImage(form->imagePt_.Image());
            form->ShowPSeriesLabels();
        }
    } refresh{this};
    PlotCobweb(model_, model_.ActualGroup, imageP_, &imagePt_);
}

void TMainForm::TabChanged(int index) {
    FinishTyping();
    model_.ETabActive = index == 1;
    if (model_.ETabActive) Guarded(this, [this] { RecomputeE(); });
}

void TMainForm::ExitClicked() { close(); }

void TMainForm::AboutClicked() {
    if (aboutBox_) common::ui::Dialogs().RunModal(*aboutBox_);
}

}  // namespace ecgtrace
