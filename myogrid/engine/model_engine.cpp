#include "myogrid/engine/model_engine.h"

namespace myogrid {

std::vector<FixedParameter> FixedParametersOf(ModelKind kind) {
    if (kind == ModelKind::IndependentOscillators) return {{Param::Osc1X, 0}, {Param::Osc2X, 0}};
    return {};
}

ModelEngine::ModelEngine(const ParameterSource& params, RandomSource& random)
    : params_(params), random_(random), blockRun_(block_, params, random), oscillators_(params) {}

int ModelEngine::Rebuild(ModelKind kind) {
    if (kind == ModelKind::Topological) return block_.RebuildBlock(params_, random_);
    return oscillators_.RebuildOscillators(kind);
}

bool ModelEngine::Built(ModelKind kind) const {
    if (kind == ModelKind::Topological) return block_.Built();
    return oscillators_.Built() && oscillators_.Kind() == kind;
}

void ModelEngine::Release(ModelKind kind) {
    if (kind == ModelKind::Topological) {
        block_.Release();
    } else {
        oscillators_.Release();
    }
}

void ModelEngine::SetTraceCells(ModelKind kind, int cell1, int cell2) {
    if (kind == ModelKind::Topological) {
        blockRun_.SetTraceCells(cell1, cell2);
    } else {
        oscillators_.SetTraceCells(cell1, cell2);
    }
}

void ModelEngine::TraceCellsFromParameters(ModelKind kind) {
    const auto index = [this](Param x, Param y, Param z, Param dimension) {
        return TraceCellIndex(params_.Integer(x), params_.Integer(y), params_.Integer(z),
                              params_.Integer(dimension));
    };
    if (kind == ModelKind::Topological) {
        SetTraceCells(kind, index(Param::Cell1X, Param::Cell1Y, Param::Cell1Z, Param::Dimension),
                      index(Param::Cell2X, Param::Cell2Y, Param::Cell2Z, Param::Dimension));
    } else {
        SetTraceCells(kind, index(Param::Osc1X, Param::Osc1Y, Param::Osc1Z, Param::OscDimension),
                      index(Param::Osc2X, Param::Osc2Y, Param::Osc2Z, Param::OscDimension));
    }
}

void ModelEngine::StartRun(ModelKind kind, const BlockSwitches& switches) {
    if (!Built(kind)) return;
    if (kind == ModelKind::Topological) {
        blockRun_.StartBlockRun(switches);
    } else {
        oscillators_.StartOscillatorRun(OscillatorChoices(switches));
    }
}

StepReport ModelEngine::Step(ModelKind kind, const BlockSwitches& switches) {
    if (Built(kind)) {
        if (kind == ModelKind::Topological) {
            blockRun_.StepBlock(switches);
        } else {
            oscillators_.StepOscillators(OscillatorChoices(switches));
        }
    }
    return Report(kind);
}

StepReport ModelEngine::Report(ModelKind kind) const {
    StepReport report;
    report.modelTime = ModelTime(kind);
    if (kind == ModelKind::Topological) {
        report.activeCount = blockRun_.ActiveCount();
        report.trace1 = blockRun_.TraceValue1();
        report.trace2 = blockRun_.TraceValue2();
    } else if (oscillators_.Built()) {
        report.meanAmplitude = oscillators_.MeanOscillator().Amplitude;
        report.trace1 = oscillators_.TraceValue1();
        report.trace2 = oscillators_.TraceValue2();
    }
    return report;
}

std::int64_t ModelEngine::ModelTime(ModelKind kind) const {
    return kind == ModelKind::Topological ? blockRun_.ModelTime() : oscillators_.ModelTime();
}

}  // namespace myogrid
