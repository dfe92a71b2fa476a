// Speed of the model engine at the largest block and lattice.
#include <benchmark/benchmark.h>

#include <QDir>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <cstdlib>

#include "myogrid/engine/block_dynamics.h"
#include "myogrid/engine/cell_block.h"
#include "myogrid/engine/model_renderer.h"
#include "myogrid/engine/oscillators.h"
#include "myogrid/engine/parameter_values.h"

namespace {

using namespace myogrid;

void StepBlockAt13(benchmark::State& state, bool allCells) {
    QTemporaryDir dir;
    ParameterValues params;
    params.SetInteger(Param::Dimension, 13);
    SeededRandom random(1);
    CellBlock block;
    block.BuildBlock(params, random, (dir.path() + "/connex.txt").toStdString());
    BlockRun run(block, params, random);
    ModelRenderer renderer;
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
        block.RebuildBlock(params, random, path);
        benchmark::DoNotOptimize(block.Cell(0).Weight[1]);
    }
}

BENCHMARK(BM_StepBlock13)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StepBlock13AllCells)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StepCoupledOscillators13)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BuildBlock13)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
