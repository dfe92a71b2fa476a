#include "myogrid/engine/run_controller.h"

#include "common/errors.h"

namespace myogrid {

namespace {

Param DimensionOf(ModelKind kind) {
    return kind == ModelKind::Topological ? Param::Dimension : Param::OscDimension;
}

}  // namespace

RunController::RunController(RandomSource* given)
    : given_(given), random_(given ? *given : seed_.Random()), engine_(params_, random_) {}

void RunController::Open(ModelKind kind) {
    kind_ = kind;
    for (const FixedParameter& fixed : FixedParametersOf(kind))
        params_.SetInteger(fixed.param, fixed.value);
    rebuild_.Forget();
    seed_.Forget();
}

bool RunController::BuildDue() const {
    return rebuild_.NeedsRebuild(kind_, params_, engine_.Built(kind_)) ||
           seed_.ChosenDiffersFromBuild();
}

BuildOutcome RunController::BuildIfDue() {
    BuildOutcome outcome;
    if (!BuildDue()) return outcome;
    rebuild_.BuildStarting(kind_, params_);
    if (seed_.Chosen() || !given_) {
        seed_.StartBuild(SeededRandom::ClockSeed());
        random_.SetTarget(seed_.Random());
    } else {
        // A test's generator: its seed is the test's.
        seed_.Forget();
        random_.SetTarget(*given_);
    }
    try {
        TraceCells();
        outcome.dimension = engine_.Rebuild(kind_);
        const Param dimension = DimensionOf(kind_);
        if (outcome.dimension > 0 && outcome.dimension < params_.Integer(dimension)) {
            outcome.smaller = true;
            params_.SetInteger(dimension, outcome.dimension);
            rebuild_.BuiltSmaller(kind_, outcome.dimension);
        }
        // The oscillators' trace indices count in the dimension just built.
        if (kind_ != ModelKind::Topological) TraceCells();
    } catch (...) {
        rebuild_.Forget();
        seed_.Forget();
        throw;
    }
    seed_.BuildDone();
    outcome.built = true;
    if (kind_ == ModelKind::Topological) {
        // The table is a by-product: the block in memory serves the run
        // whether or not the file could be written.
        try {
            engine_.Block().WriteConnexionTable(connexionPath_);
        } catch (const common::AppError& e) {
            outcome.connexionFailure = e.Message();
        }
    }
    return outcome;
}

std::optional<std::uint64_t> RunController::RepeatingSeed() const {
    // The oscillator models draw no random numbers: any of their runs repeats.
    if (kind_ != ModelKind::Topological || seed_.RunRepeatsWithSeed()) return seed_.OfBuild();
    return std::nullopt;
}

void RunController::StartRun(const BlockSwitches& switches) {
    if (!Built()) return;
    seed_.StartRun();
    // The block in memory matches the dimension in use: trace the cells the
    // parameters name now, whatever dimension stood there when they were set.
    if (kind_ == ModelKind::Topological) TraceCells();
    engine_.StartRun(kind_, switches);
}

StepReport RunController::Step(const BlockSwitches& switches) {
    const StepReport report = engine_.Step(kind_, switches);
    if (observer_) observer_(report);
    return report;
}

}  // namespace myogrid
