#pragma once
// ModelWindow: the model window. It runs the cell block or one of the three
// oscillator models, shows the engine's two plot windows, and carries the
// notebook of command, parameter and help pages (their layout:
// model_window_layout.h). It fills the run controller's parameter values
// from its fields as their texts change, and shows what the renderer drew.
#include <QWidget>
#include <array>
#include <deque>
#include <initializer_list>
#include <memory>
#include <optional>
#include <span>
#include <functional>

#include "myogrid/engine/delay_function.h"
#include "myogrid/engine/model_engine.h"
#include "myogrid/engine/model_kind.h"
#include "myogrid/engine/model_renderer.h"
#include "myogrid/engine/parameter_source.h"
#include "myogrid/engine/parameter_definitions.h"
#include "myogrid/engine/random_source.h"
#include "myogrid/engine/rebuild_policy.h"
#include "myogrid/engine/run_controller.h"
#include "myogrid/engine/run_loop.h"
#include "myogrid/engine/run_table.h"
#include "myogrid/model_window_layout.h"
#include "myogrid/run_recorder.h"

class QTimer;

namespace myogrid {

class ParameterTable;

class ModelWindow : public QWidget {
    Q_OBJECT
public:
    // `clock` and `random` may be given by tests; by default the wall clock
    // and, per build, a generator seeded from it or from the seed typed in
    // the window. A given `random` serves every build without a typed seed.
    // None is owned.
    explicit ModelWindow(ParameterTable& table, QWidget* parent = nullptr,
                         MillisecondClock* clock = nullptr, RandomSource* random = nullptr);
    ~ModelWindow() override;

    // Fills the fields from the parameter table and prepares the start page
    // for `kind`. Throws the conversion error of a value that is not a
    // number (the window must then not be shown).
    void OpenModelWindow(const QString& title, ModelKind kind);
    // OpenModelWindow, then shows the window centred on the screen; a failure
    // is reported in the error box (over `reportTo` when given) and the
    // window is not shown. Returns whether it was shown.
    bool OpenAndShow(const QString& title, ModelKind kind, QWidget* reportTo = nullptr);

    // The parameter values in use: what the fields hold.
    std::int32_t Integer(Param p) const { return run_->Parameters().Integer(p); }
    double Real(Param p) const { return run_->Parameters().Real(p); }

    ModelKind Kind() const { return kind_; }
    const BuildRecord& Record() const { return run_->Record(); }
    int CurrentPage() const;
    bool Running() const;
    ModelEngine& Engine() { return run_->Engine(); }
    RunController& Run() { return *run_; }
    ModelRenderer& Renderer() { return renderer_; }

    const ModelWindowControls& Controls() const { return controls_; }
    QCheckBox* CommandBox(Command c) const { return controls_.CommandBox(c); }
    QCheckBox* SwitchBox(Switch s) const { return controls_.SwitchBox(s); }
    QCheckBox* ReturnBox(int page) const { return controls_.ReturnBox(page); }
    common::ui::IntSpinEdit* IntegerField(Param p) const { return controls_.IntegerField(p); }
    RealSpinEdit* RealField(Param p) const { return controls_.RealField(p); }
    QTimer* RunTimer() const { return runTimer_; }

    // One tick of the run timer: one step of the running model.
    void RunTimerTick();
    // Copies every field into the parameter table ("save parameters").
    void SaveParametersCommand();

    // Run control. The pause between steps (0..1000 ms; 0: as fast as the
    // window can, the pictures shown at most 60 times a second).
    void SetPauseMs(int pauseMs);
    // One step while no run goes on: the next step of a paused run, or the
    // first step of a new one. The run goes on from there with "run".
    void StepCommand();
    // Space on the plots: pauses a run, or goes on with it.
    void ToggleRunPause();
    bool Paused() const { return runLoop_->Paused(); }
    // A click at `pixel` of the right plot in the all-cells (all-oscillators)
    // view: that cell becomes traced cell 1, or cell 2 when `second`.
    void PickTracedCell(const QPoint& pixel, bool second);
    // The seed of the model in memory; nothing before a build.
    std::optional<std::uint64_t> BuildSeed() const { return run_->BuildSeed(); }
    // The steps drawn in the time window since it was last cleared.
    const SweepSteps& Sweep() const { return sweep_; }
    // The file a ticked "record" writes into (empty when none).
    std::string RecordPath() const { return recorder_ ? recorder_->Path() : std::string(); }

signals:
    // "initializing! please wait" is shown and painted; the build follows.
    void BuildStarting();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class ParametersForm { Block, CellParams, ReturnMap };

    // What a command box does: the page it opens for the block and for the
    // oscillators (-1: none) and the work done before (or instead of)
    // opening it.
    struct CommandEntry {
        Command command;
        bool haltsFirst;  // the start page's commands halt a run first
        int blockPage;
        int oscillatorPage;
        void (ModelWindow::*work)();
    };
    // What the "return" box of a page does: the command it unticks (none:
    // the one that opened the page), the page it goes back to and the work
    // done after.
    struct ReturnEntry {
        int page;
        std::optional<Command> unticks;
        int destination;
        void (ModelWindow::*then)();
    };
    struct SwitchEntry {
        Switch choice;
        bool haltsFirst;
        void (ModelWindow::*then)();
    };
    static std::span<const CommandEntry> CommandTable();
    static std::span<const ReturnEntry> ReturnTable();
    static std::span<const SwitchEntry> SwitchTable();

    void ConnectControls();
    // Copies a field's value (all fields': TakeFieldValues) into the values
    // the engine reads.
    void TakeFieldValue(Param p);
    void TakeFieldValues();
    // Runs the work of a box's click; a failure leaves the box as it was
    // before the click (except "run", which the halt unticks).
    void BoxClicked(QCheckBox* box, bool restoreOnFailure, const std::function<void()>& work);
    void RunCommandEntry(const CommandEntry& entry);
    void RunReturnEntry(const ReturnEntry& entry);

    // Runs a handler: a failure halts a run first, then shows the error box.
    template <class Work>
    bool Handle(Work&& work);

    BlockSwitches Switches() const;
    bool IsTicked(Switch s) const;
    void RefreshPlots();
    void Halt();
    void ShowPage(int page);
    void OpenPage(int page);
    void SetParametersForm(ParametersForm form);
    void SetRightCaptionByAllCells();
    void ComputeTraceCells();
    // Lowers the maxima of the parameters bounded by `bounds` to the values
    // their bounding fields hold now, and their values with them.
    void ClampToDependentMaxima(std::initializer_list<UpperBound> bounds);
    void ApplyKindToStartPage();
    // The independent oscillators lie in the layer x = 0: their coordinate
    // fields offer that layer's oscillators only.
    void LimitCoordinatesToTheLayer();
    // Unticks the commands of the start page, whose pages are left.
    void UntickPageCommands();

    // Commands.
    void RunCommand();
    // Returns whether the model was built anew.
    bool RebuildCheck();
    // Starts a run with its first step; the timer runs it on when `goOn`.
    void StartRun(bool goOn = true);
    void ContinueRun();
    void Pause();
    // Shows the model time and pictures of the steps not shown yet.
    void ShowSteps();
    // The seed typed in the window; nothing when none is. Throws the
    // conversion error of a text that is no seed.
    std::optional<std::uint64_t> TypedSeed() const;
    void StopCommand();
    void PrepareDelayOrReturnMap();
    void PrepareBlockParameters();
    void PrepareCellParameters();
    void RedrawDelayFunction();
    // Draws the delay function into the right plot and keeps its data.
    void ShowDelayFunction();
    void RedrawReturnMap();
    void HideRedraw();
    // After a return.
    void ShowRunViewAgain();
    void ClampCellParameters();
    void ClampOscillatorCoordinates();
    void HelpPressed();
    void HelpReturnClicked();
    void SavePicture(bool timePlot);
    // One step of the engine with its drawing.
    void StepAndDraw();
    // Recomputes the ReturnMap and draws it into the right plot.
    void ShowReturnMap();
    // The context menus of the plots and the "record" box.
    void ConnectExports();
    void RecordClicked(bool ticked);
    // Completes the record file, if one is being written, and unticks "record".
    void FinishRecording();
    // The values behind the right plot: the return map's curve or the
    // phase-plot points drawn in the run (empty for other views).
    common::DataTable RightTable() const;
    void AddPhasePoint(const StepReport& report);
    // Shows `time` whole in the model time field.
    void ShowModelTime(std::int64_t time);

    ParameterTable& table_;
    std::unique_ptr<SystemMillisecondClock> ownClock_;
    MillisecondClock* clock_;
    bool seedTyped_ = false;
    // The model time before the last step, and whether steps are not shown yet.
    std::int64_t stepModelTime_ = 0;
    bool unshownSteps_ = false;
    std::unique_ptr<RunController> run_;
    ModelRenderer renderer_;  // clears both plot windows when it is made
    std::unique_ptr<RunLoop> runLoop_;

    ModelKind kind_ = ModelKind::Topological;
    QString title_;
    // The command that opened the parameters page, unticked on its return.
    std::optional<Command> parametersOpener_;

    ModelWindowControls controls_;
    QTimer* runTimer_ = nullptr;
    SweepSteps sweep_;
    enum class RightData { None, ReturnMap, PhasePoints, DelayFunction };
    RightData rightData_ = RightData::None;
    std::vector<LatencyPoint> delayCurve_;
    std::deque<std::array<double, 2>> phasePoints_;
    std::array<int, 3> activeHistory_{};  // the block's last three active counts
    std::unique_ptr<RunRecorder> recorder_;
};

}  // namespace myogrid
