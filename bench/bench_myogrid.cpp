// Speed of the model engine at the largest block and lattice, and of the
// model window's run loop without pause (drawing and showing included).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdlib>

#include "common/ui/plot_view.h"
#include "myogrid/engine/parameter_table.h"
#include "myogrid/model_window.h"

#include "myogrid/engine/block_dynamics.h"
#include "myogrid/engine/cell_block.h"
#include "myogrid/engine/model_renderer.h"
#include "myogrid/engine/oscillators.h"
#include "myogrid/engine/parameter_values.h"

namespace {

using namespace myogrid;

// Drawing with or without the record of drawing operations: the pair
// shows what keeping a picture exportable as a vector drawing costs.
void KeepRecords(ModelPictures& pictures, bool recorded) {
    pictures.TimeWindow().SetRecording(recorded);
    pictures.RightWindow().SetRecording(recorded);
}

void StepBlockAt13(benchmark::State& state, bool allCells, bool recorded = true) {
    ParameterValues params;
    params.SetInteger(Param::Dimension, 13);
    SeededRandom random(1);
    CellBlock block;
    block.BuildBlock(params, random);
    BlockRun run(block, params, random);
    ModelRenderer renderer;
    KeepRecords(renderer.Pictures(), recorded);
    run.SetTraceCells(0, block.CellCount());
    BlockSwitches switches;  // random start keeps the block busy
    switches.allCells = allCells;
    run.StartBlockRun(switches);
    renderer.DrawBlockRunStart(run, switches);
    for (auto _ : state) {
        run.StepBlock(switches);
        renderer.DrawBlockStep(run, switches);
        benchmark::DoNotOptimize(run.ActiveCount());
    }
}

void BM_StepBlock13(benchmark::State& state) { StepBlockAt13(state, false); }
void BM_StepBlock13AllCells(benchmark::State& state) { StepBlockAt13(state, true); }
void BM_StepBlock13AllCellsUnrecorded(benchmark::State& state) {
    StepBlockAt13(state, true, false);
}

void BM_StepCoupledOscillators13(benchmark::State& state) {
    ParameterValues params;
    params.SetInteger(Param::OscDimension, 13);
    OscillatorTable table(params);
    ModelRenderer renderer;
    table.RebuildOscillators(ModelKind::CoupledOscillators);
    table.SetTraceCells(0, table.OscillatorCount());
    OscillatorSwitches switches;
    table.StartOscillatorRun(switches);
    renderer.DrawOscillatorRunStart(table, switches);
    for (auto _ : state) {
        table.StepOscillators(switches);
        renderer.DrawOscillatorStep(table, switches);
        benchmark::DoNotOptimize(table.MeanOscillator().Amplitude);
    }
}

void BM_BuildBlock13(benchmark::State& state) {
    QTemporaryDir dir;
    const std::string path = (dir.path() + "/connex.txt").toStdString();
    ParameterValues params;
    params.SetInteger(Param::Dimension, 13);
    SeededRandom random(1);
    CellBlock block;
    for (auto _ : state) {
        block.RebuildBlock(params, random);
        block.WriteConnexionTable(path);
        benchmark::DoNotOptimize(block.Cell(0).Weight[1]);
    }
}

// The window runs `kind` at pause 0 through its event loop; steps per
// second of wall time, and how long a click on the right plot waits.
void WindowRun(benchmark::State& state, ModelKind kind, bool allCells, bool recorded = true) {
    QTemporaryDir dir;
    const QString previous = QDir::currentPath();
    QDir::setCurrent(dir.path());  // connex.txt goes here
    ParameterTable table = ParameterTable::Defaults();
    table.Store(Param::Dimension, "13");
    table.Store(Param::OscDimension, "13");
    ModelWindow window(table);
    KeepRecords(window.Renderer().Pictures(), recorded);
    window.OpenAndShow(QStringLiteral("bench"), kind);
    window.SwitchBox(Switch::AllCells)->setChecked(allCells);
    window.SetPauseMs(0);
    window.CommandBox(Command::Run)->click();
    const int stepUnit =
        window.Integer(kind == ModelKind::Topological ? Param::StepUnit : Param::OscStepUnit);
    std::int64_t steps = 0;
    double waitMax = 0, waitSum = 0;
    int clicks = 0;
    QElapsedTimer wall;
    wall.start();
    for (auto _ : state) {
        const std::int32_t before = window.Engine().ModelTime(kind);
        // A click in the all-cells view while the run goes on.
        bool handled = false;
        QElapsedTimer wait;
        QWidget* plot = window.Controls().rightPlot;
        QObject probe;
        QMetaObject::invokeMethod(
            &probe,
            [&] {
                QMouseEvent press(QEvent::MouseButtonPress, QPointF(8, 8),
                                  plot->mapToGlobal(QPointF(8, 8)), Qt::LeftButton, Qt::LeftButton,
                                  Qt::NoModifier);
                QApplication::sendEvent(plot, &press);
                handled = true;
            },
            Qt::QueuedConnection);
        wait.start();
        while (!handled) QApplication::processEvents();
        const double waited = wait.nsecsElapsed() / 1e6;
        waitMax = std::max(waitMax, waited);
        waitSum += waited;
        ++clicks;
        for (int i = 0; i < 20; ++i) QApplication::processEvents();
        steps += (window.Engine().ModelTime(kind) - before) / stepUnit;
    }
    const double seconds = wall.nsecsElapsed() / 1e9;
    state.counters["steps_per_s"] = benchmark::Counter(static_cast<double>(steps) / seconds);
    // Per second of this thread's processor time: steadier than wall time
    // on a machine doing other work.
    state.counters["steps_per_cpu_s"] =
        benchmark::Counter(static_cast<double>(steps), benchmark::Counter::kIsRate);
    state.counters["click_wait_max_ms"] = waitMax;
    state.counters["click_wait_mean_ms"] = clicks ? waitSum / clicks : 0;
    window.CommandBox(Command::Stop)->click();
    QDir::setCurrent(previous);
}

void BM_WindowRunBlock13Phase(benchmark::State& state) {
    WindowRun(state, ModelKind::Topological, false);
}
void BM_WindowRunBlock13AllCells(benchmark::State& state) {
    WindowRun(state, ModelKind::Topological, true);
}
void BM_WindowRunBlock13AllCellsUnrecorded(benchmark::State& state) {
    WindowRun(state, ModelKind::Topological, true, false);
}
void BM_WindowRunCoupled13(benchmark::State& state) {
    WindowRun(state, ModelKind::CoupledOscillators, false);
}

BENCHMARK(BM_WindowRunBlock13Phase)->Unit(benchmark::kMillisecond)->MinTime(3.0);
BENCHMARK(BM_WindowRunBlock13AllCells)->Unit(benchmark::kMillisecond)->MinTime(3.0);
BENCHMARK(BM_WindowRunBlock13AllCellsUnrecorded)->Unit(benchmark::kMillisecond)->MinTime(3.0);
BENCHMARK(BM_WindowRunCoupled13)->Unit(benchmark::kMillisecond)->MinTime(3.0);
BENCHMARK(BM_StepBlock13)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StepBlock13AllCells)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StepBlock13AllCellsUnrecorded)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StepCoupledOscillators13)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BuildBlock13)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
