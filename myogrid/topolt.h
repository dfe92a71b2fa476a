#pragma once
// TFormTopolt: the model window. It runs the cell block or one of the three
// oscillator models, shows the engine's two plot windows, and carries the
// notebook of command, parameter and help pages. Its parameter controls are
// the engine's parameter source: the engine reads them when it uses a value.
#include <QWidget>
#include <array>
#include <initializer_list>
#include <memory>

#include "myogrid/engine/model_engine.h"
#include "myogrid/engine/model_kind.h"
#include "myogrid/engine/model_renderer.h"
#include "myogrid/engine/parameter_source.h"
#include "myogrid/engine/parameter_spec.h"
#include "myogrid/engine/random_source.h"
#include "myogrid/engine/run_loop.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QStackedWidget;
class QTimer;
class QToolButton;

namespace common::ui {
class IntSpinEdit;
class PlotView;
}  // namespace common::ui

namespace myogrid {

class ParameterTable;
class TRspinEdit;

inline constexpr const char* kModelWindowCaption = "ventricular fibrillation models";
inline constexpr const char* kInitializingText = "initializing! please wait";

// Parameter values with which the model in memory was built.
struct BuildRecord {
    int dimension = 0, xNexus = 0, xyXzNexus = 0, xyzNexus = 0, oscDimension = 0;
    friend bool operator==(const BuildRecord&, const BuildRecord&) = default;
};

// Number of the control (ParI<n> / ParR<n>) that edits `p`.
int ControlNumber(Param p);

class TFormTopolt : public QWidget, public ParameterSource {
    Q_OBJECT
public:
    // `clock` and `random` may be given by tests; by default the wall clock
    // and a generator seeded from it. None is owned.
    explicit TFormTopolt(ParameterTable& table, QWidget* parent = nullptr,
                         MillisecondClock* clock = nullptr, RandomSource* random = nullptr);
    ~TFormTopolt() override;

    // Fills the controls from the parameter table and prepares the start
    // page for `kind`. Throws the conversion error of a value that is not a
    // number (the window must then not be shown).
    void OpenModelWindow(const QString& title, ModelKind kind);
    // OpenModelWindow, then shows the window centred on the screen; a failure
    // is reported in the error box (over `reportTo` when given) and the
    // window is not shown. Returns whether it was shown.
    bool OpenAndShow(const QString& title, ModelKind kind, QWidget* reportTo = nullptr);

    // ParameterSource over the controls.
    std::int32_t Integer(Param p) const override;
    double Real(Param p) const override;

    ModelKind Kind() const { return kind_; }
    const BuildRecord& Record() const { return buildRecord_; }
    int CurrentPage() const;
    bool Running() const;
    ModelEngine& Engine() { return *engine_; }
    ModelRenderer& Renderer() { return renderer_; }

    // Controls, by the numbers of their names.
    QCheckBox* CheckBox(int n) const { return checkBoxes_.at(static_cast<std::size_t>(n)); }
    common::ui::IntSpinEdit* ParI(int n) const { return parI_.at(static_cast<std::size_t>(n)); }
    TRspinEdit* ParR(int n) const { return parR_.at(static_cast<std::size_t>(n)); }
    QLabel* LabelTop() const { return labelTop_; }
    QLabel* LabelLeft() const { return labelLeft_; }
    QLabel* LabelRight() const { return labelRight_; }
    QLabel* LabelInit() const { return labelInit_; }
    QLineEdit* EditModelTime() const { return editModelTime_; }
    QToolButton* SpeedButtonHelp() const { return speedButtonHelp_; }
    QToolButton* SpeedButtonReturn() const { return speedButtonReturn_; }
    QToolButton* BitBtnSave1() const { return bitBtnSave1_; }
    QToolButton* BitBtnSave2() const { return bitBtnSave2_; }
    common::ui::PlotView* TimeWindow() const { return timeWindow_; }
    common::ui::PlotView* RightWindow() const { return rightWindow_; }
    QStackedWidget* Notebook() const { return notebook_; }
    QPlainTextEdit* HelpMemo(int page) const { return helpMemos_.at(static_cast<std::size_t>(page)); }
    QLabel* ParameterLabel(int controlNumber) const {
        return parLabels_.at(static_cast<std::size_t>(controlNumber));
    }
    QTimer* RunLoop() const { return runTimer_; }

    // One tick of the run timer.
    void RunLoopTimer();
    // Copies every control into the parameter table ("save parameters").
    void SaveParametersCommand();

signals:
    // "initializing! please wait" is shown and painted; the build follows.
    void BuildStarting();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class ParametersForm { Block, CellParams, ReturnMap };

    void CreateControls();
    void CreateStartPage(QWidget* page);
    void CreateParameterPages();
    QWidget* Page(int page) const;
    QCheckBox* AddCheckBox(QWidget* page, int n, const QString& caption, int x, int y);
    void AddParameter(QWidget* page, int n, const QString& label, int x, int y, int labelWidth);
    QLabel* AddLabel(QWidget* page, const QString& text, int x, int y, int width = 90);

    // Runs a handler: a failure halts a run first, then shows the error box.
    template <class Work>
    bool Handle(Work&& work);

    BlockSwitches Switches() const;
    void RefreshPlots();
    void Halt();
    void ShowPage(int page);
    void OpenPage(int page, QCheckBox* returnBox);
    void SetParametersForm(ParametersForm form);
    void ReturnToStart(QCheckBox* opener);
    void SetLabelRightByAllCells();
    void ComputeTraceCells();
    // Lowers the maxima of the parameters bounded by `bounds` to the values
    // their bounding controls hold now, and their values with them.
    void ClampToDependentMaxima(std::initializer_list<UpperBound> bounds);
    void ApplyKindToStartPage();

    // Commands.
    void RunCommand();
    void RebuildCheck();
    void StartRun();
    void StopCommand();
    void CommandClicked(int n);
    void ReturnClicked(int n);
    void HelpPressed();
    void ReturnPressed();
    void SavePicture(bool timeWindow);
    // One step of the engine with its drawing.
    void StepAndDraw();
    // Recomputes the ReturnMap and draws it into the right window.
    void ShowReturnMap();

    ParameterTable& table_;
    std::unique_ptr<SystemMillisecondClock> ownClock_;
    std::unique_ptr<SeededRandom> ownRandom_;
    MillisecondClock* clock_;
    RandomSource* random_;
    std::unique_ptr<ModelEngine> engine_;
    ModelRenderer renderer_;  // clears both plot windows when it is made
    std::unique_ptr<myogrid::RunLoop> runLoop_;

    ModelKind kind_ = ModelKind::Topological;
    QString title_;
    BuildRecord buildRecord_;
    QCheckBox* parametersOpener_ = nullptr;

    std::array<QCheckBox*, 27> checkBoxes_{};
    std::array<common::ui::IntSpinEdit*, 35> parI_{};
    std::array<TRspinEdit*, 35> parR_{};
    std::array<QLabel*, 35> parLabels_{};
    std::array<QPlainTextEdit*, 22> helpMemos_{};
    QLabel* labelTop_ = nullptr;
    QLabel* labelLeft_ = nullptr;
    QLabel* labelRight_ = nullptr;
    QLabel* labelInit_ = nullptr;
    QLineEdit* editModelTime_ = nullptr;
    QToolButton* speedButtonHelp_ = nullptr;
    QToolButton* speedButtonReturn_ = nullptr;
    QToolButton* bitBtnSave1_ = nullptr;
    QToolButton* bitBtnSave2_ = nullptr;
    common::ui::PlotView* timeWindow_ = nullptr;
    common::ui::PlotView* rightWindow_ = nullptr;
    QStackedWidget* notebook_ = nullptr;
    QTimer* runTimer_ = nullptr;
};

}  // namespace myogrid
