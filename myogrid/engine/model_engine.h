#pragma once
// The simulation models in one object: it computes and draws nothing;
// ModelRenderer draws its results. RunController (run_controller.h) decides
// builds, seeds and traced cells around it; the window and myogrid-batch
// drive that. Besides runs:
//   // "delay": DrawDelayFunction(renderer.Pictures(), params)
//   // "Pt vs Pt-1"/"draw function": engine.ComputeReturnMap(), then DrawReturnMap(...)
//
// `switches` carries the window's ticks: allCells is "all cells"/"all oscill.s",
// firstDerivative is "1st derivative"/"membr. pot.".
#include "myogrid/engine/block_dynamics.h"
#include "myogrid/engine/cell_block.h"
#include "myogrid/engine/model_kind.h"
#include "myogrid/engine/oscillators.h"
#include "myogrid/engine/parameter_source.h"
#include "myogrid/engine/random_source.h"

#include <string>
#include <vector>

namespace myogrid {

// What one step leaves to report: the model time, the traced values and,
// for the block, the number of active cells or, for the oscillators, the
// mean amplitude.
struct StepReport {
    std::int64_t modelTime = 0;
    int activeCount = 0;
    double meanAmplitude = 0.0;
    double trace1 = 0.0;
    double trace2 = 0.0;
};

// Parameters a model kind holds fixed, whatever the file says: the
// independent oscillators are the one layer x = 0 (y and z vary).
struct FixedParameter {
    Param param;
    std::int32_t value;
};
std::vector<FixedParameter> FixedParametersOf(ModelKind kind);

class ModelEngine {
public:
    ModelEngine(const ParameterSource& params, RandomSource& random);

    CellBlock& Block() { return block_; }
    const CellBlock& Block() const { return block_; }
    BlockRun& BlockModel() { return blockRun_; }
    const BlockRun& BlockModel() const { return blockRun_; }
    OscillatorTable& Oscillators() { return oscillators_; }
    const OscillatorTable& Oscillators() const { return oscillators_; }

    // Discards and builds the block (RebuildBlock, in memory only) or the
    // oscillators (RebuildOscillators). Returns the dimension built (lower
    // than asked only when memory ran out).
    int Rebuild(ModelKind kind);
    bool Built(ModelKind kind) const;
    void Release(ModelKind kind);
    // Trace indices from the coordinates (Dimension or OscDimension as n).
    void SetTraceCells(ModelKind kind, int cell1, int cell2);
    // The same from the coordinate parameters of `kind` ("cell 1 x=" ... for
    // the block, "osc. 1 x=" ... for the oscillators).
    void TraceCellsFromParameters(ModelKind kind);

    // StartBlockRun / StartOscillatorRun and StepBlock / StepOscillators.
    // Both do nothing when the model is not built.
    void StartRun(ModelKind kind, const BlockSwitches& switches);
    StepReport Step(ModelKind kind, const BlockSwitches& switches);
    std::int64_t ModelTime(ModelKind kind) const;
    StepReport Report(ModelKind kind) const;
    // Recomputes the oscillators' ReturnMap from the current parameters.
    void ComputeReturnMap() { oscillators_.ComputeReturnMap(); }

    static OscillatorSwitches OscillatorChoices(const BlockSwitches& switches) {
        return {switches.allCells, switches.firstDerivative};
    }

private:
    const ParameterSource& params_;
    RandomSource& random_;
    CellBlock block_;
    BlockRun blockRun_;
    OscillatorTable oscillators_;
};

}  // namespace myogrid
