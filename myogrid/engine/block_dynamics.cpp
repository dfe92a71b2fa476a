#include "myogrid/engine/block_dynamics.h"

#include "common/errors.h"
#include "common/numeric.h"
#include "myogrid/engine/parameter_values.h"

#include <climits>
#include <cmath>

namespace myogrid {

namespace {

// ThresholdAt for the many cells of a step that share the same few values
// of a: each value is computed once.
class CachedThreshold {
public:
    explicit CachedThreshold(const ParameterSource& params) : function_(params) {}
    std::int64_t At(std::int64_t a) {
        if (a < 0 || a >= kCached) return function_.At(a);
        std::int64_t& slot = cache_[static_cast<std::size_t>(a)];
        if (slot == kUnknown) slot = function_.At(a);
        return slot;
    }

private:
    static constexpr std::int64_t kCached = 512;
    static constexpr std::int64_t kUnknown = INT64_MIN;
    ThresholdFunction function_;
    std::array<std::int64_t, kCached> cache_ = MakeUnknown();
    static std::array<std::int64_t, kCached> MakeUnknown() {
        std::array<std::int64_t, kCached> a;
        a.fill(kUnknown);
        return a;
    }
};

// The nearest integer of a sum of whole weights is the sum itself; other
// sums are rounded halves-to-even.
std::int64_t RoundInput(double s) {
    if (s > -1e15 && s < 1e15) {
        const auto whole = static_cast<std::int64_t>(s);
        if (static_cast<double>(whole) == s) return whole;
    }
    return common::Round(s);
}

}  // namespace

ThresholdFunction::ThresholdFunction(const ParameterSource& params)
    : threshold_(params.Integer(Param::Threshold)),
      delayL_(params.Real(Param::DelayL)),
      delayC_(params.Integer(Param::DelayC)) {}

std::int64_t ThresholdFunction::At(std::int64_t a) const {
    double c = delayL_ * static_cast<double>(a - delayC_);
    if (std::isnan(c)) throw common::AppError(common::kInvalidFloatOperation);
    // e^0 is exactly 1 and e^20 is the ceiling: no need to call exp.
    if (c <= 0) return threshold_ + 1;
    if (c >= 20) c = 20;
    return threshold_ + common::Round(std::exp(c));
}

BlockRun::Limits BlockRun::CurrentLimits() const {
    const auto excited = static_cast<std::uint16_t>(params_.Integer(Param::Excited));
    const auto active = static_cast<std::uint16_t>(params_.Integer(Param::Active));
    return {excited, static_cast<std::uint16_t>(excited + active), refractoryStart_};
}

std::uint8_t BlockRun::StateOf(int i, const Limits& limits) const {
    const std::uint16_t t = block_.Cell(i).Clock;
    if (i == block_.EnvironmentCell()) return t != 0 ? EnvStimulating : EnvQuiet;
    if (t < limits.excited) return CellExcited;
    if (t < limits.activeEnd) return CellActive;
    if (t < limits.refractoryStart) return CellAbsRefractory;
    return CellRelRefractory;
}

void BlockRun::ClassifyCell(int i) { block_.Cell(i).CellState = StateOf(i, CurrentLimits()); }

double BlockRun::TraceValue(int traceCell) const {
    const int count = block_.CellCount();
    if (traceCell >= 0 && traceCell < count) {
        return block_.Cell(traceCell).CellState == CellActive ? 0.0 : count;
    }
    return count - activeCount_;
}

void BlockRun::StartBlockRun(const BlockSwitches& switches) {
    if (!block_.Built()) return;
    const int count = block_.CellCount();

    // 16-bit arithmetic throughout (done in unsigned, so it simply wraps).
    const auto bits16 = [this](Param p) { return static_cast<std::uint16_t>(params_.Integer(p)); };
    cycleLength_ = static_cast<std::uint16_t>(bits16(Param::Excited) + bits16(Param::Active) +
                                              bits16(Param::AbsRefr) + bits16(Param::Refractory));
    refractoryStart_ = static_cast<std::uint16_t>(
        cycleLength_ - static_cast<std::uint16_t>(params_.Integer(Param::Refractory)));

    activeCount_ = 0;
    const Limits limits = CurrentLimits();
    states_.resize(static_cast<std::size_t>(count) + 1);
    for (int i = 0; i < count; ++i) {
        ModelCell& cell = block_.Cell(i);
        if (switches.randomStart) {
            cell.Clock = static_cast<std::uint16_t>(random_.Below(cycleLength_));
            cell.CellState = StateOf(i, limits);
            if (cell.CellState == CellActive) ++activeCount_;
        } else {
            cell.Clock = cycleLength_;
            cell.CellState = StateOf(i, limits);
        }
        states_[static_cast<std::size_t>(i)] = cell.CellState;
    }
    ModelCell& environment = block_.Cell(block_.EnvironmentCell());
    environment.Clock = 0;
    environment.CellState = EnvQuiet;
    states_[static_cast<std::size_t>(count)] = EnvQuiet;
    backgroundLevel_ = switches.background ? params_.Real(Param::EnvWeight) : 0.0;

    q1_ = TraceValue(traceCell1_);
    q2_ = TraceValue(traceCell2_);
    modelTime_ = 0;
}

void BlockRun::StepBlock(const BlockSwitches& switches) {
    if (!block_.Built()) return;
    const std::int32_t stepUnit = params_.Integer(Param::StepUnit);
    modelTime_ += stepUnit;
    activeCount_ = 0;

    // Stimulus of the environment. Only a clock of exactly 0 is quiet. The
    // two rules are applied one after the other: should both boxes be
    // ticked (the keyboard allows it), the extra stimulus has the last word.
    const int count = block_.CellCount();
    ModelCell& environment = block_.Cell(count);
    const std::int64_t period = params_.Integer(Param::Period);
    const std::int64_t excited = params_.Integer(Param::Excited);
    if (switches.fiftyHzStart) {
        environment.Clock = modelTime_ < period ? static_cast<std::uint16_t>(modelTime_ % 20 - 10)
                                                : std::uint16_t{0};
    }
    if (switches.extra) {
        const std::int64_t extraInterval = params_.Integer(Param::ExtraInterval);
        const bool stimulus =
            (period <= modelTime_ && modelTime_ <= period + excited) ||
            (extraInterval <= modelTime_ && modelTime_ <= extraInterval + excited);
        environment.Clock = stimulus ? 1 : 0;
    }

    // First pass: ageing.
    const Limits limits = CurrentLimits();
    states_.resize(static_cast<std::size_t>(count) + 1);
    for (int i = 0; i < count; ++i) {
        ModelCell& cell = block_.Cell(i);
        cell.Clock = static_cast<std::uint16_t>(cell.Clock + stepUnit);
        const std::uint16_t t = cell.Clock;
        cell.CellState = t < limits.excited           ? CellExcited
                         : t < limits.activeEnd       ? CellActive
                         : t < limits.refractoryStart ? CellAbsRefractory
                                                      : CellRelRefractory;
        states_[static_cast<std::size_t>(i)] = cell.CellState;
        if (cell.CellState == CellActive) ++activeCount_;
    }
    environment.CellState = StateOf(count, limits);
    states_[static_cast<std::size_t>(count)] = environment.CellState;

    // Second pass: excitation, on the states of the first pass.
    CachedThreshold threshold(params_);
    const std::int64_t excitedThreshold = threshold.At(cycleLength_);
    const double envWeight = params_.Real(Param::EnvWeight);
    const double delayF = params_.Real(Param::DelayF);
    const std::int32_t nexuses = NexusesPerCell(params_);
    const bool environmentStimulating = environment.CellState == EnvStimulating;
    for (int c = 0; c < count; ++c) {
        ModelCell& cell = block_.Cell(c);
        const std::uint8_t s = cell.CellState;
        if (s == CellRelRefractory || s == CellExcited) {
            std::int64_t g = 0;
            if (!block_.TouchesEnvironment(c)) {
                // Whole weights only: the sum is exact in any order.
                for (int d = 1; d <= kDirectionCount; ++d) {
                    if (states_[cell.Neighbour[d]] == CellActive) g += cell.Weight[d];
                }
            } else {
                double input = 0.0;
                for (int d = 1; d <= kDirectionCount; ++d) {
                    const int n = cell.Neighbour[d];
                    const double w = cell.Weight[d];
                    if (n == count) {
                        if (environmentStimulating) input = input + envWeight * w;
                        input = input + w * backgroundLevel_;
                    } else if (states_[static_cast<std::size_t>(n)] == CellActive) {
                        input = input + w;
                    }
                }
                g = RoundInput(input);
            }
            if (s == CellExcited) {
                // Too little input: the excitation fails, back to rest.
                if (g < excitedThreshold) cell.Clock = cycleLength_;
            } else {
                const std::int64_t a = static_cast<std::int64_t>(cell.Clock) -
                                       static_cast<std::int64_t>(refractoryStart_);
                if (g >= threshold.At(a)) {
                    // The next first pass brings the clock to 0.
                    cell.Clock = static_cast<std::uint16_t>(0 - stepUnit);
                } else if (nexuses != 0) {
                    // Sub-threshold input delays the recovery.
                    const std::int64_t delay =
                        common::Round(delayF * static_cast<double>(g) / nexuses);
                    cell.Clock =
                        static_cast<std::uint16_t>(cell.Clock - static_cast<std::uint16_t>(delay));
                }
            }
        }
    }
    q1_ = TraceValue(traceCell1_);
    q2_ = TraceValue(traceCell2_);
}

}  // namespace myogrid
