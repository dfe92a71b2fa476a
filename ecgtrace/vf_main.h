#pragma once
// The main window: five tabs that show and edit the signal model of the
// actual group, with the plots of T, A(t), the map Pn and E(t).
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

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
    // Up and Down in the P0 field step it as its arrows do.
    bool eventFilter(QObject* watched, QEvent* event) override;

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
    void UpDownP0Stepping();
    void UpDownP0Clicked();
    void MapParameterChanged(std::int32_t GroupParameters::*member, int value);
    void CobwebClicked();
    void TabChanged(int index);
    void ExitClicked();
    void AboutClicked();

    // --- typed input ---------------------------------------------------------
    // A field the user types in. While typing, a text that reads as a number
    // is applied at once (in fields that apply live), silently: a text that
    // does not read or compute is held and the model keeps its last good
    // state. When the editing ends (Enter, leaving the field, closing the
    // window) the final text counts: it is applied, or its message is shown
    // once and the field's value from before the typing comes back. Arrows
    // and the Up and Down keys apply at once.
    struct TypedField {
        QObject* control = nullptr;
        std::function<QString()> text;
        // Reads the text while typing: false for a text that is no number.
        std::function<bool(const QString&, double&)> read;
        // Reads the final text; throws the message of a text that is refused.
        std::function<double(const QString&)> readFinal;
        std::function<void(double)> apply;
        // The field shows the value kept (after limiting or refusing).
        std::function<void()> showKept;
        // The stored value, to leave a field whose value was retyped as it was.
        std::function<double()> stored;
        bool live = true;       // applied while typing
        bool groupEdit = true;  // changes parameters of the actual group only
    };
    struct TypingSession {
        TypedField* field = nullptr;
        std::optional<GroupState> start;  // the actual group before the typing
        bool applied = false;             // the text shown is the one applied
    };

    TypedField& AddField(TypedField field);
    // A line edit whose unreadable text is refused with its message.
    void WireTypedEdit(QLineEdit* edit, bool real, std::function<void(double)> apply,
                       std::function<std::string()> storedText, bool keepLimitedText = false);
    // A spin field whose unreadable text is refused with its message.
    void WireTypedSpin(common::ui::IntSpinEdit* spin, std::function<void(int)> apply,
                       std::function<int()> stored);
    // A spin field reading an unreadable text as its lower limit; `live`
    // false: applied only when the editing ends (or by the arrows).
    void WireLimitSpin(common::ui::IntSpinEdit* spin, std::function<void(int)> apply,
                       std::function<int()> stored, bool live, bool groupEdit);
    void ConnectSpin(common::ui::IntSpinEdit* spin, TypedField& field);
    void ShowKept(common::ui::IntSpinEdit* spin, const std::function<int()>& stored);

    void TypedIn(TypedField& field);
    void Stepped(TypedField& field);
    void EditingEnded(TypedField& field);
    // Ends the typing in progress, if any, as leaving its field does.
    void FinishTyping();
    // Applies `value`; an edit of the actual group that fails leaves the
    // group and every tab as they were before it, and throws.
    void Apply(TypedField& field, double value);
    // Shows and draws the actual group again from the model.
    void RefreshActualGroup() noexcept;
    // Runs a user action other than typing: the typing in progress ends first.
    void RunAction(const std::function<void()>& work);

    SignalModel model_;
    common::PlotSurface imageEt_, imageAt_, imagePt_, imageP_;
    QDialog* aboutBox_ = nullptr;
    std::function<void()> openFromEt_, openFromAt_;
    QObject* activeEdit_ = nullptr;   // the control whose value is being applied
    std::vector<std::unique_ptr<TypedField>> fields_;
    std::optional<TypingSession> typing_;
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
