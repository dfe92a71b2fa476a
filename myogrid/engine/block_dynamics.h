#pragma once
// The time step of the cell block: cell states from their clocks, the
// recovering threshold, the start methods and the synchronous update. It
// computes only; ModelRenderer draws what a step left behind.
#include "myogrid/engine/cell_block.h"
#include "myogrid/engine/parameter_source.h"
#include "myogrid/engine/random_source.h"

#include <array>
#include <cstdint>
#include <vector>

namespace myogrid {

// The window's on/off choices for the block model, read at the run start
// and at every step ("random start", "50 Hz start", "extra", "background",
// "all cells", "1st derivative"). A mouse click leaves one start method on;
// ticks changed from the keyboard may leave more.
struct BlockSwitches {
    bool randomStart = true;
    bool fiftyHzStart = false;
    bool extra = false;
    bool background = false;
    bool allCells = false;
    bool firstDerivative = false;
};

// Threshold of a cell `a` ms after the end of its absolute refractory period:
// Threshold + Round(e^c), c = DelayL * (a - DelayC) limited to 0..20. The
// parameters are read once, when the function is made.
class ThresholdFunction {
public:
    explicit ThresholdFunction(const ParameterSource& params);
    std::int64_t At(std::int64_t a) const;

private:
    std::int64_t threshold_;
    double delayL_;
    std::int64_t delayC_;
};

inline std::int64_t ThresholdAt(const ParameterSource& params, std::int64_t a) {
    return ThresholdFunction(params).At(a);
}

// Index (x * n + y) * n + z of the traced cell or oscillator; an index at or
// beyond the count selects the whole block or the mean oscillator.
inline int TraceCellIndex(int x, int y, int z, int n) { return (x * n + y) * n + z; }

class BlockRun {
public:
    BlockRun(CellBlock& block, const ParameterSource& params, RandomSource& random)
        : block_(block), params_(params), random_(random) {}

    // Cells shown in the upper and lower half of the time window.
    void SetTraceCells(int cell1, int cell2) {
        traceCell1_ = cell1;
        traceCell2_ = cell2;
    }
    int TraceCell1() const { return traceCell1_; }
    int TraceCell2() const { return traceCell2_; }

    // Derives CellState of record i from its Clock (unsigned 16-bit).
    void ClassifyCell(int i);

    // Prepares a run on the built block: sets the clocks by the start
    // method, ModelTime 0 and the traced values at the start.
    void StartBlockRun(const BlockSwitches& switches);
    // One time step of StepUnit ms.
    void StepBlock(const BlockSwitches& switches);

    const CellBlock& Block() const { return block_; }
    // Milliseconds of model time per step.
    std::int32_t StepUnit() const { return params_.Integer(Param::StepUnit); }

    std::int64_t ModelTime() const { return modelTime_; }
    int ActiveCount() const { return activeCount_; }
    std::uint16_t CycleLength() const { return cycleLength_; }
    std::uint16_t RefractoryStart() const { return refractoryStart_; }
    double BackgroundLevel() const { return backgroundLevel_; }
    // Values plotted by the two traces at the last step: inactive cells
    // (CellCount - active ones) of the traced cell or of the whole block.
    double TraceValue1() const { return q1_; }
    double TraceValue2() const { return q2_; }
    // State of cell i after the ageing pass of the last step (the all-cells
    // view shows these).
    std::uint8_t AgedState(int i) const { return states_[static_cast<std::size_t>(i)]; }

private:
    struct Limits {
        std::uint16_t excited, activeEnd, refractoryStart;
    };
    Limits CurrentLimits() const;
    std::uint8_t StateOf(int i, const Limits& limits) const;
    double TraceValue(int traceCell) const;

    CellBlock& block_;
    const ParameterSource& params_;
    RandomSource& random_;

    int traceCell1_ = 0, traceCell2_ = 0;
    std::int64_t modelTime_ = 0;  // never wraps
    std::uint16_t cycleLength_ = 0, refractoryStart_ = 0;
    int activeCount_ = 0;
    double backgroundLevel_ = 0.0;
    double q1_ = 0.0, q2_ = 0.0;
    // First-pass states side by side, for the neighbour look-ups.
    std::vector<std::uint8_t> states_;
};

}  // namespace myogrid
