#pragma once
// The time step of the cell block: cell states from their clocks, the
// recovering threshold, the start methods and the synchronous update, with
// the drawing of traces, phase plot and all-cells view.
#include "myogrid/engine/cell_block.h"
#include "myogrid/engine/model_pictures.h"
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
// Threshold + Round(e^c), c = DelayL * (a - DelayC) limited to 0..20.
std::int64_t ThresholdAt(const ParameterSource& params, std::int64_t a);

// Index (x * n + y) * n + z of the traced cell or oscillator; an index at or
// beyond the count selects the whole block or the mean oscillator.
inline int TraceCellIndex(int x, int y, int z, int n) { return (x * n + y) * n + z; }

// Latency of a resting cell against its input, into the right window.
// Throws "Floating point division by zero" when NexusesPerCell or Refractory
// is 0.
void DrawDelayFunction(ModelPictures& pictures, const ParameterSource& params);

class BlockRun {
public:
    BlockRun(CellBlock& block, const ParameterSource& params, ModelPictures& pictures,
             RandomSource& random)
        : block_(block), params_(params), pictures_(pictures), random_(random) {}

    // Cells shown in the upper and lower half of the time window.
    void SetTraceCells(int cell1, int cell2) {
        traceCell1_ = cell1;
        traceCell2_ = cell2;
    }
    int TraceCell1() const { return traceCell1_; }
    int TraceCell2() const { return traceCell2_; }

    // Derives CellState of record i from its Clock (unsigned 16-bit).
    void ClassifyCell(int i);

    // Prepares a run on the built block: clears the right window, sets the
    // clocks by the start method, ModelTime 0, traces beyond the right edge.
    void StartBlockRun(const BlockSwitches& switches);
    // One time step of StepUnit ms, drawn into the pictures.
    void StepBlock(const BlockSwitches& switches);

    std::int32_t ModelTime() const { return modelTime_; }
    int ActiveCount() const { return activeCount_; }
    std::uint16_t CycleLength() const { return cycleLength_; }
    std::uint16_t RefractoryStart() const { return refractoryStart_; }
    double BackgroundLevel() const { return backgroundLevel_; }
    // Values plotted by the two traces at the last step: inactive cells
    // (CellCount - active ones) of the traced cell or of the whole block.
    double TraceValue1() const { return q1_; }
    double TraceValue2() const { return q2_; }
    // Where the last phase-plot point was put (its top left).
    int PhasePointX() const { return phaseX_; }
    int PhasePointY() const { return phaseY_; }

private:
    struct Limits {
        std::uint16_t excited, activeEnd, refractoryStart;
    };
    Limits CurrentLimits() const;
    std::uint8_t StateOf(int i, const Limits& limits) const;
    double TraceValue(int traceCell) const;
    void DrawTraces(const BlockSwitches& switches);

    CellBlock& block_;
    const ParameterSource& params_;
    ModelPictures& pictures_;
    RandomSource& random_;

    int traceCell1_ = 0, traceCell2_ = 0;
    std::int32_t modelTime_ = 0;
    std::uint16_t cycleLength_ = 0, refractoryStart_ = 0;
    int activeCount_ = 0;
    std::array<int, 3> activeHistory_{};
    int phaseX_ = 0, phaseY_ = 0;
    double backgroundLevel_ = 0.0;
    double q1_ = 0.0, q2_ = 0.0;
    // First-pass states side by side, for the neighbour look-ups.
    std::vector<std::uint8_t> states_;
};

}  // namespace myogrid
