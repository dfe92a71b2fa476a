#pragma once
// One run of a Myogrid model, with or without a window: whether a run must
// build its model anew, the seed of the build, the traced cells, the start
// of the run and its steps. The model window and myogrid-batch both drive
// it; the window fills Parameters() from its fields and shows what the
// renderer drew. It draws nothing and knows no widget.
//
//   RunController run;                       // or RunController run(&testRandom)
//   run.Parameters().SetInteger(Param::Dimension, 6);   // the values in use
//   run.Open(ModelKind::Topological);
//   run.ChooseSeed(seed);                    // nothing: one from the clock
//   const BuildOutcome built = run.BuildIfDue();   // connexionFailure: report it
//   run.StartRun(switches);
//   StepReport step = run.Step(switches);    // as often as wanted
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "myogrid/engine/cell_block.h"
#include "myogrid/engine/model_engine.h"
#include "myogrid/engine/model_kind.h"
#include "myogrid/engine/parameter_values.h"
#include "myogrid/engine/random_source.h"
#include "myogrid/engine/rebuild_policy.h"

namespace myogrid {

// What a build did.
struct BuildOutcome {
    bool built = false;  // false: the model in memory was kept
    int dimension = 0;   // the dimension built
    // Memory ran out and a model of `dimension` was built, smaller than asked.
    bool smaller = false;
    // The block was built but its nexus table could not be written: the
    // message to report. The block stays usable.
    std::optional<std::string> connexionFailure;
};

class RunController {
public:
    // `given` (a test's generator) serves every build without a chosen
    // seed; without it each such build takes a seed from the clock. Not owned.
    explicit RunController(RandomSource* given = nullptr);
    RunController(const RunController&) = delete;
    RunController& operator=(const RunController&) = delete;

    // The parameter values the engine reads when it uses them.
    ParameterValues& Parameters() { return params_; }
    const ParameterValues& Parameters() const { return params_; }
    ModelEngine& Engine() { return engine_; }
    const ModelEngine& Engine() const { return engine_; }

    // A model of `kind` is opened afresh: its fixed parameters are set and
    // the next run builds, whatever the parameters.
    void Open(ModelKind kind);
    ModelKind Kind() const { return kind_; }
    bool Built() const { return engine_.Built(kind_); }
    const BuildRecord& Record() const { return rebuild_.Record(); }

    // Where a build of the block writes its nexus table ("connex.txt" in the
    // working directory by default).
    void SetConnexionPath(std::string path) { connexionPath_ = std::move(path); }

    // The seed the next build takes; nothing: a new one from the clock.
    void ChooseSeed(std::optional<std::uint64_t> seed) { seed_.Choose(seed); }
    // A build is due when the structure changed, no model of the kind is in
    // memory, or a chosen seed differs from the build's.
    bool BuildDue() const;
    // Builds the model when due: the seed, the traced cells and the model in
    // memory, then the block's nexus table as a separate step whose failure
    // is returned, not thrown. A failed build leaves nothing usable: the
    // next run builds again.
    BuildOutcome BuildIfDue();
    // The seed of the model in memory; nothing before a build or when the
    // given generator built it.
    std::optional<std::uint64_t> BuildSeed() const { return seed_.OfBuild(); }
    // The seed that repeats the run under way, when one does.
    std::optional<std::uint64_t> RepeatingSeed() const;

    // The traced cells from the coordinate parameters of the kind.
    void TraceCells() { engine_.TraceCellsFromParameters(kind_); }
    // Starts a run on the model in memory (nothing when none is built).
    void StartRun(const BlockSwitches& switches);
    // One step; the step observer (a record of the run) sees its report.
    StepReport Step(const BlockSwitches& switches);
    std::int64_t ModelTime() const { return engine_.ModelTime(kind_); }
    // Frees the model ("stop").
    void Release() { engine_.Release(kind_); }

    // Called with the report of every step, e.g. to record the run.
    void SetStepObserver(std::function<void(const StepReport&)> observer) {
        observer_ = std::move(observer);
    }

private:
    RandomSource* given_;
    RunSeed seed_;
    RandomRelay random_;  // the engine's source: the seeded or the given one
    ParameterValues params_;
    ModelEngine engine_;
    RebuildPolicy rebuild_;
    ModelKind kind_ = ModelKind::Topological;
    std::string connexionPath_ = kConnexionFile;
    std::function<void(const StepReport&)> observer_;
};

}  // namespace myogrid
