#pragma once
// Draws what the model steps computed onto the two plot images: the traces
// of the time window, and in the right window the phase plot, the all-cells
// or all-oscillators view, the ReturnMap or the delay function. Drawing
// never changes the model.
#include "myogrid/engine/block_dynamics.h"
#include "myogrid/engine/model_engine.h"
#include "myogrid/engine/model_pictures.h"
#include "myogrid/engine/oscillators.h"

#include <array>
#include <optional>

namespace myogrid {

class ModelRenderer {
public:
    ModelPictures& Pictures() { return pictures_; }
    const ModelPictures& Pictures() const { return pictures_; }

    // After ModelEngine::StartRun / Step of `kind`; nothing is drawn for a
    // model that is not built.
    void DrawRunStart(ModelKind kind, const ModelEngine& engine, const BlockSwitches& switches);
    void DrawStep(ModelKind kind, const ModelEngine& engine, const BlockSwitches& switches);

    void DrawBlockRunStart(const BlockRun& run, const BlockSwitches& switches);
    void DrawBlockStep(const BlockRun& run, const BlockSwitches& switches);
    void DrawOscillatorRunStart(const OscillatorTable& table, const OscillatorSwitches& switches);
    void DrawOscillatorStep(const OscillatorTable& table, const OscillatorSwitches& switches);

    // Where the last phase-plot point of the block was put (its top left).
    int PhasePointX() const { return phaseX_; }
    int PhasePointY() const { return phaseY_; }

private:
    void DrawBlockTraces(const BlockRun& run, const BlockSwitches& switches);

    ModelPictures pictures_;
    // Active counts of the last three block steps, oldest first: the phase
    // plot shows the count against its change over two steps.
    std::array<int, 3> activeHistory_{};
    int phaseX_ = 0, phaseY_ = 0;
};

// A cell of the block or an oscillator of the lattice.
struct LatticePoint {
    int x = 0, y = 0, z = 0;
    friend bool operator==(const LatticePoint&, const LatticePoint&) = default;
};

// The cell (or oscillator) whose dot in the all-cells (all-oscillators) view
// of a lattice of `dimension` covers pixel (px, py) of the right window: the
// dot with the 3 x 3 pixels of its place in the tile. Nothing between and
// beside the tiles.
std::optional<LatticePoint> TileCellAt(int px, int py, int dimension);

// The ReturnMap of `table` (as last computed) with its frame and diagonals
// into the right window.
void DrawReturnMap(ModelPictures& pictures, const OscillatorTable& table);

// Latency of a resting cell against its input, into the right window.
// Throws "Floating point division by zero" when NexusesPerCell or Refractory
// is 0.
void DrawDelayFunction(ModelPictures& pictures, const ParameterSource& params);

}  // namespace myogrid
