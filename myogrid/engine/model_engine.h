#pragma once
// The simulation engine of the model window in one object. Typical use by
// the window (all on the UI thread, every call inside common::ui::Guarded):
//
//   SeededRandom random(SeededRandom::ClockSeed());
//   ModelEngine engine(parameterControls, random);   // clears both images
//   // run command:
//   if (build record differs) { engine.Rebuild(kind); engine.SetTraceCells(kind, c1, c2); }
//   engine.StartRun(kind, switches);   // then time one engine.Step(kind, switches)
//   // RunLoop ticks: show engine.ModelTime(kind), then engine.Step(kind, switches)
//   // "delay": DrawDelayFunction(engine.Pictures(), params)
//   // "Pt vs Pt-1"/"draw function": DrawReturnMap(engine.Pictures(), engine.Oscillators())
//   // "stop": engine.Release(kind)
// The images are engine.Pictures().TimeWindow() / RightWindow() (616x176, 211x211).
//
// `switches` carries the window's ticks: allCells is "all cells"/"all oscill.s"
// (CheckBox9), firstDerivative is "1st derivative"/"membr. pot." (CheckBox2).
#include "myogrid/engine/block_dynamics.h"
#include "myogrid/engine/cell_block.h"
#include "myogrid/engine/model_kind.h"
#include "myogrid/engine/model_pictures.h"
#include "myogrid/engine/oscillators.h"
#include "myogrid/engine/parameter_source.h"
#include "myogrid/engine/random_source.h"

#include <string>

namespace myogrid {

class ModelEngine {
public:
    ModelEngine(const ParameterSource& params, RandomSource& random);

    ModelPictures& Pictures() { return pictures_; }
    CellBlock& Block() { return block_; }
    BlockRun& BlockModel() { return blockRun_; }
    OscillatorTable& Oscillators() { return oscillators_; }

    // Discards and builds the block (RebuildBlock, writing "connex.txt" into
    // the working directory) or the oscillators (RebuildOscillators).
    // Returns the dimension built (lower than asked only when memory ran out).
    int Rebuild(ModelKind kind, const std::string& connexPath = kConnexionFile);
    bool Built(ModelKind kind) const;
    void Release(ModelKind kind);
    // Trace indices from the coordinates (Dimension or OscDimension as n).
    void SetTraceCells(ModelKind kind, int cell1, int cell2);

    // StartBlockRun / StartOscillatorRun and StepBlock / StepOscillators.
    // Both do nothing when the model is not built.
    void StartRun(ModelKind kind, const BlockSwitches& switches);
    void Step(ModelKind kind, const BlockSwitches& switches);
    std::int32_t ModelTime(ModelKind kind) const;

    static OscillatorSwitches OscillatorChoices(const BlockSwitches& switches) {
        return {switches.allCells, switches.firstDerivative};
    }

private:
    const ParameterSource& params_;
    RandomSource& random_;
    ModelPictures pictures_;
    CellBlock block_;
    BlockRun blockRun_;
    OscillatorTable oscillators_;
};

}  // namespace myogrid
