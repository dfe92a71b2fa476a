#pragma once
// The main window: five tabs that show and edit the signal model of the
// actual group, with the plots of T, A(t), the map Pn and E(t).
#include <QSet>
#include <QWidget>
#include <functional>

#include "common/plot_surface.h"
#include "ecgtrace/model/signal_model.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QTextEdit;

namespace common::ui {
class IntSpinEdit;
class PlotView;
}  // namespace common::ui

namespace ecgtrace {

class TUpDown;

// The window's own title and the error boxes' title.
inline constexpr const char* kMainCaption = "Simulation of Ventricular Fibrillation";
inline constexpr const char* kApplicationTitle = "VF simulation";

class TMainForm : public QWidget {
    Q_OBJECT
public:
    // Creating the window runs the start-up: reads "vfdef.par" from the
    // working directory (or takes the defaults), computes every group, fills
    // the controls and loads "V13.rtf".
    explicit TMainForm(QWidget* parent = nullptr);
    ~TMainForm() override;

    SignalModel& Model() { return model_; }
    const SignalModel& Model() const { return model_; }

    // The about box shown by "about" (not owned).
    void SetAboutBox(QDialog* aboutBox) { aboutBox_ = aboutBox; }
    // What the two "signal analysis" buttons do; while unset they stay disabled.
    void SetAnalysisActions(std::function<void()> openFromEt, std::function<void()> openFromAt);
    QPushButton* ButtonPowerAt() const { return ButtonPowerAt_; }

    // The drawing surfaces behind the plots.
    const common::PlotSurface& SurfaceEt() const { return imageEt_; }
    const common::PlotSurface& SurfaceAt() const { return imageAt_; }
    const common::PlotSurface& SurfacePt() const { return imagePt_; }
    const common::PlotSurface& SurfaceP() const { return imageP_; }

signals:
    // The window closed for good (after the shutdown): the program ends.
    void Closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildIntroductionTab(QWidget* page);
    void BuildETab(QWidget* page);
    void BuildTTab(QWidget* page);
    void BuildATab(QWidget* page);
    void BuildPTab(QWidget* page);
    void RunStartup();
    void LoadIntroduction();

    // Showing values: never runs an edit handler, never marks a change.
    void ShowTParameters();
    void ShowAParameters();
    void ShowPParameters();
    void ShowPSeriesLabels();
    void ShowText(QLineEdit* edit, const std::string& text);
    void ShowSpin(common::ui::IntSpinEdit* spin, int value);

    // Drawing into the surfaces and the views.
    void DrawA();
    void DrawE();          // window labels and plot
    void RecomputeE();     // ComputeE, then DrawE
    void DrawPMap();       // map and series
    void DrawPSeries();    // series only (ComputePSeries)

    // Handlers of the user's actions.
    void GroupCountChanged(int value);
    void ActualGroupChanged(int value);
    void CrossGroupChanged(int value);
    void RedrawClicked();
    void fScaleChanged(double value);
    void FAccomChanged(double value);
    void NEChanged(int value, QObject* source);
    void NChanged(int value, QObject* source);
    void PeriodTimeChanged(std::int32_t GroupParameters::*member, int value);
    void WidthChanged(std::int32_t GroupParameters::*member, int value);
    void OffsetChanged(int value);
    void P0Changed(double value);
    void UpDownP0Clicked();
    void MapParameterChanged(std::int32_t GroupParameters::*member, int value);
    void CobwebClicked();
    void TabChanged(int index);
    void ExitClicked();
    void AboutClicked();

    // Stores a parameter of the actual group and runs the computation; when
    // the computation fails the group keeps the parameters it had.
    void StoreAndCompute(const std::function<void(GroupParameters&)>& store,
                         const std::function<void()>& compute);

    // Typed input: a text that parses is applied at once; one that does not
    // is reported once, when the editing finishes.
    // When the editing ends, a field whose value was limited or refused shows
    // the value kept (`storedText` empty: the text stays as typed).
    void WireTypedEdit(QLineEdit* edit, bool real, std::function<void(double)> apply,
                       std::function<std::string()> storedText);
    void WireTypedSpin(common::ui::IntSpinEdit* spin, std::function<void(int)> apply,
                       std::function<int()> stored);
    // Spin fields reading an unparseable text as their lower limit.
    void WireLimitSpin(common::ui::IntSpinEdit* spin, std::function<void(int)> apply,
                       std::function<int()> stored);
    void ShowKept(common::ui::IntSpinEdit* spin, const std::function<int()>& stored);
    void RunTyped(QObject* edit, const std::function<void()>& work);
    void ReportInvalid(QObject* edit, const QString& text, bool real);

    SignalModel model_;
    common::PlotSurface imageEt_, imageAt_, imagePt_, imageP_;
    QDialog* aboutBox_ = nullptr;
    std::function<void()> openFromEt_, openFromAt_;
    QObject* activeEdit_ = nullptr;   // the control whose typed value is being applied
    QSet<QObject*> invalidText_;      // controls holding an unreported unparseable text
    bool shuttingDown_ = false;

    QTabWidget* PageControl1 = nullptr;
    QTextEdit* RichEdit1 = nullptr;
    common::ui::PlotView *ImageEt = nullptr, *ImageAt = nullptr, *ImagePt = nullptr,
                         *ImageP = nullptr;
    common::ui::IntSpinEdit *SpinEditG = nullptr, *SpinEditActualg = nullptr,
                            *SpinEditCrossg = nullptr, *SpinEditEmin = nullptr,
                            *SpinEditEmax = nullptr;
    QPushButton *ButtonEtAnalysis = nullptr, *ButtonRedraw = nullptr, *ButtonPowerAt_ = nullptr,
                *ButtonPn = nullptr;
    QLabel *LabelEtmin = nullptr, *LabelEtMax = nullptr, *LabelTg = nullptr, *Labelm1 = nullptr,
           *Labelm2 = nullptr, *LabelP1 = nullptr, *LabelP2 = nullptr, *Panel7 = nullptr,
           *Panel10 = nullptr;
    QLineEdit *EditfScale = nullptr, *EditFAccom = nullptr, *EditNb = nullptr, *EditN = nullptr,
              *EditTe = nullptr, *EditTa = nullptr, *EditTr = nullptr, *EditP0 = nullptr;
    common::ui::IntSpinEdit *SpinEditS1 = nullptr, *SpinEditS2 = nullptr, *SpinEditOff = nullptr,
                            *SpinEditNE = nullptr, *SpinEditNd = nullptr, *SpinEditM = nullptr,
                            *SpinEditN = nullptr;
    TUpDown* UpDownP0 = nullptr;
};

}  // namespace ecgtrace
