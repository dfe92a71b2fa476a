#include "ecgtrace/vf_main.h"

#include "common/errors.h"
#include "common/number_format.h"
#include "common/rtf_reader.h"
#include "common/ui/dialogs.h"
#include "common/ui/error_box.h"
#include "common/ui/int_spin_edit.h"
#include "common/ui/plot_view.h"
#include "ecgtrace/equations.h"
#include "ecgtrace/model/signal_plots.h"
#include "ecgtrace/program_icon.h"
#include "ecgtrace/up_down.h"

#include <QCloseEvent>
#include <QDialog>
#include <QGuiApplication>
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

    RunStartup();
}

TMainForm::~TMainForm() = default;

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

    WireLimitSpin(SpinEditG, [this](int v) { GroupCountChanged(v); }, [this] { return model_.GroupCount; });
    WireLimitSpin(SpinEditActualg, [this](int v) { ActualGroupChanged(v); },
                  [this] { return model_.ActualGroup; });
    WireLimitSpin(SpinEditCrossg, [this](int v) { CrossGroupChanged(v); }, [this] { return model_.CrossGroup; });
    connect(ButtonRedraw, &QPushButton::clicked, this, [this] { Guarded(this, [this] { RedrawClicked(); }); });
    connect(ButtonEtAnalysis, &QPushButton::clicked, this, [this] {
        if (openFromEt_) Guarded(this, openFromEt_);
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
    WireLimitSpin(SpinEditS1, [this](int v) { WidthChanged(&GroupParameters::s1, v); }, stored(&GroupParameters::s1));
    WireLimitSpin(SpinEditS2, [this](int v) { WidthChanged(&GroupParameters::s2, v); }, stored(&GroupParameters::s2));
    WireLimitSpin(SpinEditOff, [this](int v) { OffsetChanged(v); }, stored(&GroupParameters::offset));
    connect(ButtonPowerAt_, &QPushButton::clicked, this, [this] {
        if (openFromAt_) Guarded(this, openFromAt_);
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

    connect(ButtonPn, &QPushButton::clicked, this, [this] { Guarded(this, [this] { CobwebClicked(); }); });
    WireTypedEdit(EditP0, true, [this](double v) { P0Changed(v); }, {});  // left as typed
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
        common::LoadRtfFile("V13.rtf", *document);
        // The caret followed the inserted text to its end; the reader starts at the top.
        RichEdit1->moveCursor(QTextCursor::Start);
    });
}

void TMainForm::closeEvent(QCloseEvent* event) {
    if (shuttingDown_) {
        event->accept();
        return;
    }
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
    if (spin == activeEdit_ && spin->Value() == value) return;
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

void TMainForm::RunTyped(QObject* edit, const std::function<void()>& work) {
    QObject* previous = activeEdit_;
    activeEdit_ = edit;
    Guarded(this, work);
    activeEdit_ = previous;
}

void TMainForm::ReportInvalid(QObject* edit, const QString& text, bool real) {
    if (!invalidText_.remove(edit)) return;
    const std::string typed = text.toStdString();
    double d = 0;
    std::int32_t i = 0;
    if (real ? common::TryParseFloat(typed, d) : common::TryParseInteger(typed, i)) return;
    common::ui::ShowErrorBox(this, Q(real ? common::NotValidFloatMessage(typed)
                                          : common::NotValidIntegerMessage(typed)));
}

void TMainForm::WireTypedEdit(QLineEdit* edit, bool real, std::function<void(double)> apply,
                              std::function<std::string()> storedText) {
    auto parse = [real](const QString& text, double& value) {
        const std::string typed = text.toStdString();
        std::int32_t integer = 0;
        if (real) return common::TryParseFloat(typed, value);
        if (!common::TryParseInteger(typed, integer)) return false;
        value = integer;
        return true;
    };
    connect(edit, &QLineEdit::textEdited, this, [this, edit, parse, apply](const QString& text) {
        double value = 0;
        if (!parse(text, value)) {
            invalidText_.insert(edit);
            return;
        }
        invalidText_.remove(edit);
        RunTyped(edit, [&] { apply(value); });
    });
    connect(edit, &QLineEdit::editingFinished, this, [this, edit, real, parse, storedText] {
        ReportInvalid(edit, edit->text(), real);
        if (!storedText) return;  // left as typed
        Guarded(this, [&] {
            const QString kept = Q(storedText());
            double typed = 0, value = 0;
            if (!parse(edit->text(), typed) || !parse(kept, value) || typed != value) edit->setText(kept);
        });
    });
}

void TMainForm::WireTypedSpin(IntSpinEdit* spin, std::function<void(int)> apply, std::function<int()> stored) {
    connect(spin, &IntSpinEdit::UserChanged, this, [this, spin, apply] {
        std::int32_t value = 0;
        if (!common::TryParseInteger(spin->Text().toStdString(), value)) {
            invalidText_.insert(spin);
            return;
        }
        invalidText_.remove(spin);
        RunTyped(spin, [&] { apply(value); });
    });
    connect(spin, &IntSpinEdit::EditingFinished, this, [this, spin, stored] {
        ReportInvalid(spin, spin->Text(), false);
        ShowKept(spin, stored);
    });
}

void TMainForm::WireLimitSpin(IntSpinEdit* spin, std::function<void(int)> apply, std::function<int()> stored) {
    connect(spin, &IntSpinEdit::UserChanged, this, [this, spin, apply] {
        // An error box of this very change takes the focus, and the field
        // brings its text within the limits: that is the value already being
        // applied, not a second change to report again.
        if (activeEdit_ == spin) return;
        int value = spin->Value();
        if (spin->MinValue() != spin->MaxValue())
            value = std::clamp(value, spin->MinValue(), spin->MaxValue());
        RunTyped(spin, [&] { apply(value); });
    });
    connect(spin, &IntSpinEdit::EditingFinished, this, [this, spin, stored] { ShowKept(spin, stored); });
}

void TMainForm::ShowKept(IntSpinEdit* spin, const std::function<int()>& stored) {
    // A text that was refused, or read as the lower limit, gives way to the
    // value kept once the typing is over.
    Guarded(this, [&] {
        const int kept = stored();
        std::int32_t typed = 0;
        if (!common::TryParseInteger(spin->Text().toStdString(), typed) || typed != kept)
            spin->SetValue(kept);
    });
}

void TMainForm::StoreAndCompute(const std::function<void(GroupParameters&)>& store,
                                const std::function<void()>& compute) {
    const int g = model_.ActualGroup;
    const GroupParameters before = model_.Group(g);
    store(model_.Group(g));
    try {
        compute();
    } catch (...) {
        model_.Group(g) = before;
        throw;
    }
}

// --- handlers ------------------------------------------------------------------

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
    model_.ComputeT(g);
    ShowAParameters();
    ShowTParameters();
    DrawA();
    RecomputeE();
    model_.ComputePMap(g);
    ShowPParameters();
    DrawPMap();
    Panel10->setText(Q(PPanelText(g)));
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
    StoreAndCompute([&](GroupParameters& p) { p.f = value; }, [&] { model_.ComputeT(model_.ActualGroup); });
    ShowAParameters();
    ShowTParameters();
}

void TMainForm::FAccomChanged(double value) {
    model_.ParametersChanged = true;
    StoreAndCompute([&](GroupParameters& p) { p.F = LimitF(value); },
                    [&] { model_.ComputeT(model_.ActualGroup); });
    ShowAParameters();
    ShowTParameters();
}

void TMainForm::NEChanged(int value, QObject* source) {
    model_.ParametersChanged = true;
    StoreAndCompute([&](GroupParameters& p) { p.NE = value; }, [&] { model_.ComputeT(model_.ActualGroup); });
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
    StoreAndCompute([&](GroupParameters& p) { p.N = value; }, [&] { model_.ComputeT(model_.ActualGroup); });
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
    StoreAndCompute([&](GroupParameters& p) { p.*member = value; },
                    [&] { model_.ComputeT(model_.ActualGroup); });
    ShowAParameters();
    ShowTParameters();
    DrawA();
}

void TMainForm::WidthChanged(std::int32_t GroupParameters::*member, int value) {
    if (model_.Group(model_.ActualGroup).*member == value) return;
    model_.ParametersChanged = true;
    StoreAndCompute([&](GroupParameters& p) { p.*member = value; },
                    [&] { model_.ComputeA(model_.ActualGroup); });
    ShowAParameters();
    DrawA();
}

void TMainForm::OffsetChanged(int value) {
    model_.ParametersChanged = true;
    const int offset = LimitOffset(value);
    if (offset != value) SpinEditOff->SetValue(offset);
    StoreAndCompute([&](GroupParameters& p) { p.offset = offset; },
                    [&] { model_.ComputeA(model_.ActualGroup); });
    ShowAParameters();
    DrawA();
}

void TMainForm::P0Changed(double value) {
    model_.ParametersChanged = true;
    model_.Group(model_.ActualGroup).P0 = LimitP0(value);
    DrawPSeries();
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
    StoreAndCompute([&](GroupParameters& p) { p.*member = value; },
                    [&] { model_.ComputePMap(model_.ActualGroup); });
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
    model_.ETabActive = index == 1;
    if (model_.ETabActive) Guarded(this, [this] { RecomputeE(); });
}

void TMainForm::ExitClicked() { close(); }

void TMainForm::AboutClicked() {
    if (aboutBox_) common::ui::Dialogs().RunModal(*aboutBox_);
}

}  // namespace ecgtrace
