#pragma once
// The main window: five tabs that show and edit the signal model of the
// actual group, with the plots of T, A(t), the map Pn and E(t). Every user
// action goes to the session; the window shows what the session says changed.
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/plot_surface.h"
#include "ecgtrace/model/session.h"

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

class StepArrows;

// The window's own title and the error boxes' title.
inline constexpr const char* kMainCaption = "Simulation of Ventricular Fibrillation";
inline constexpr const char* kApplicationTitle = "VF simulation";

// Headings of the A(t) and map tabs once they name a group.
QString SignalHeading(std::int32_t g);  // "elaboration of function A(t) for group 1"
QString MapHeading(std::int32_t g);     // "elaboration of function P2"

class MainWindow : public QWidget {
    Q_OBJECT
public:
    // Creating the window runs the start-up: reads "vfdef.par" from the
    // working directory (or takes the defaults), computes every group, fills
    // the controls and loads "V13.rtf".
    // Runs the start-up with `parameterFile` ("vfdef.par" unless the command
    // line named another), which the save at exit proposes again.
    explicit MainWindow(QWidget* parent = nullptr, std::string parameterFile = kParameterFileName);
    ~MainWindow() override;

    SignalSession& Session() { return session_; }
    const SignalModel& Model() const { return session_.Model(); }

    // The about box shown by "about" (not owned).
    void SetAboutBox(QDialog* aboutBox) { aboutBox_ = aboutBox; }
    // What the two "signal analysis" buttons do; while unset they stay disabled.
    void SetAnalysisActions(std::function<void()> openFromSumSignal,
                            std::function<void()> openFromGroup);
    QPushButton* GroupAnalysisButton() const { return groupAnalysisButton_; }
    // The E(t) tab is showing.
    bool ShowsSumSignal() const;
    // Brings up the E(t) tab, as a click on it does.
    void ShowSumSignalTab();
    // What the analysis window analyses as this window stands: E(t) while
    // its tab shows, else the actual group against the cross group.
    AnalysisSubject AnalysedSubject() const;

    // The drawing surfaces behind the plots.
    const common::PlotSurface& SumSurface() const { return sumSurface_; }
    const common::PlotSurface& SignalSurface() const { return signalSurface_; }
    const common::PlotSurface& SeriesSurface() const { return seriesSurface_; }
    const common::PlotSurface& MapSurface() const { return mapSurface_; }
    const common::PlotSurface& RecordingSurface() const { return recordingSurface_; }

signals:
    // The window closed for good (after the shutdown): the program ends.
    void Closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    // Up and Down in the P0 field step it as its arrows do.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildIntroductionTab(QWidget* page);
    void BuildSumSignalTab(QWidget* page);
    void BuildPeriodTab(QWidget* page);
    void BuildSignalTab(QWidget* page);
    void BuildMapTab(QWidget* page);
    void RunStartup();
    void LoadIntroduction();
    // "Copy picture", "Save picture…", "Copy data", "Save data…" on every plot.
    void AttachExportMenus();

    // Showing values: never runs an edit handler, never marks a change.
    void ShowGroupChoice();
    void ShowPeriodTab();
    void ShowSignalValues();
    void ShowSharedCounts();
    void ShowMapTab();
    void ShowSeriesLabels();
    void ShowText(QLineEdit* edit, const std::string& text);
    void ShowSpin(common::ui::IntSpinEdit* spin, int value);

    // Drawing into the surfaces and the views.
    void DrawSignal();
    void DrawSum();  // window labels and plot
    void DrawSumQuietly() noexcept;
    void DrawMap();
    void DrawCobweb();
    void DrawSeries();  // plot and labels
    // The chosen recording's 28 s under E(t); hidden while none is chosen.
    void DrawRecording();

    // Shows and draws what `changed` names; a plot that cannot be drawn
    // leaves the others, and its message is thrown after them.
    void Show(const Redraw& changed);
    // Shows and draws the actual group again from the model.
    void RefreshActualGroup() noexcept;

    // Handlers of the user's actions.
    void GroupCountChanged(int value);
    void ActualGroupChanged(int value);
    void GroupEdited(Parameter which, double value);
    void P0ArrowsStepping();
    void P0ArrowsClicked();
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
    struct Typing {
        TypedField* field = nullptr;
        bool applied = false;  // the text shown is the one applied
    };

    TypedField& AddField(TypedField field);
    // A line edit whose unreadable text is refused with its message.
    // `keepExactText`: a text whose value is the one in use stays as typed
    // (more decimals than the field shows).
    void WireTypedEdit(QLineEdit* edit, bool real, Parameter which, bool keepExactText = false);
    // A spin field whose unreadable text is refused with its message.
    void WireTypedSpin(common::ui::IntSpinEdit* spin, Parameter which);
    // A spin field reading an unreadable text as its lower limit; `live`
    // false: applied only when the editing ends (or by the arrows).
    void WireLimitSpin(common::ui::IntSpinEdit* spin, std::function<void(int)> apply,
                       std::function<int()> stored, bool live, bool groupEdit);
    void ConnectSpin(common::ui::IntSpinEdit* spin, TypedField& field);
    void ShowKept(common::ui::IntSpinEdit* spin, const std::function<int()>& stored);
    int StoredValue(Parameter which) const;

    void TypedIn(TypedField& field);
    void Stepped(TypedField& field);
    void EditingEnded(TypedField& field);
    // Ends the typing in progress, if any, as leaving its field does.
    void FinishTyping();
    // Applies `value`; an edit of the actual group that fails leaves the
    // group and every tab as they were before it, and throws.
    void Apply(TypedField& field, double value);
    // Runs a user action other than typing: the typing in progress ends first.
    void RunAction(const std::function<void()>& work);

    SignalSession session_;
    common::PlotSurface sumSurface_, signalSurface_, seriesSurface_, mapSurface_, recordingSurface_;
    QDialog* aboutBox_ = nullptr;
    std::function<void()> openFromSumSignal_, openFromGroup_;
    QObject* activeEdit_ = nullptr;  // the control whose value is being applied
    std::vector<std::unique_ptr<TypedField>> fields_;
    std::optional<Typing> typing_;
    std::string parameterFile_;
    bool shuttingDown_ = false;

    QTabWidget* tabs_ = nullptr;
    QTextEdit* introductionText_ = nullptr;
    common::ui::PlotView *sumPlot_ = nullptr, *signalPlot_ = nullptr, *seriesPlot_ = nullptr,
                         *mapPlot_ = nullptr, *recordingPlot_ = nullptr;
    common::ui::IntSpinEdit *groupCountField_ = nullptr, *actualGroupField_ = nullptr,
                            *crossGroupField_ = nullptr, *windowStartField_ = nullptr,
                            *windowEndField_ = nullptr;
    QPushButton *sumAnalysisButton_ = nullptr, *applyWindowButton_ = nullptr,
                *groupAnalysisButton_ = nullptr, *cobwebButton_ = nullptr;
    QLabel *windowStartLabel_ = nullptr, *windowEndLabel_ = nullptr, *periodLabel_ = nullptr,
           *m1Label_ = nullptr, *m2Label_ = nullptr, *pHalfLabel_ = nullptr,
           *pWholeLabel_ = nullptr, *signalHeading_ = nullptr, *mapHeading_ = nullptr;
    // The T tab.
    QLineEdit *fField_ = nullptr, *FField_ = nullptr, *periodNEField_ = nullptr,
              *periodNField_ = nullptr, *TeField_ = nullptr, *TaField_ = nullptr,
              *TrField_ = nullptr;
    // The A(t) tab.
    common::ui::IntSpinEdit *s1Field_ = nullptr, *s2Field_ = nullptr, *offsetField_ = nullptr;
    // The map tab.
    QLineEdit* P0Field_ = nullptr;
    StepArrows* P0Arrows_ = nullptr;
    common::ui::IntSpinEdit *mapNEField_ = nullptr, *NdField_ = nullptr, *MField_ = nullptr,
                            *mapNField_ = nullptr;
};

}  // namespace ecgtrace
