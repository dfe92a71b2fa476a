#include "myogrid/engine/block_dynamics.h"

#include "common/errors.h"
#include "common/numeric.h"
#include "myogrid/engine/parameter_values.h"

#include <climits>
#include <cmath>

namespace myogrid {

namespace {

// The threshold parameters, read once per step.
struct ThresholdFunction {
    explicit ThresholdFunction(const ParameterSource& params)
        : threshold(params.Integer(Param::Threshold)),
          delayL(params.Real(Param::DelayL)),
          delayC(params.Integer(Param::DelayC)) {}

    std::int64_t At(std::int64_t a) const {
        double c = delayL * static_cast<double>(a - delayC);
        if (std::isnan(c)) throw common::AppError(common::kInvalidFloatOperation);
        // e^0 is exactly 1 and e^20 is the ceiling: no need to call exp.
        if (c <= 0) return threshold + 1;
        if (c >= 20) c = 20;
        return threshold + common::Round(std::exp(c));
    }

    std::int64_t threshold;
    double delayL;
    std::int64_t delayC;
};

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

std::int64_t ThresholdAt(const ParameterSource& params, std::int64_t a) {
    return ThresholdFunction(params).At(a);
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
    common::PlotSurface& right = pictures_.RightWindow();
    pictures_.ClearRightWindow();
    TraceState& tr = pictures_.trace;
    tr.stepWidth = params_.Integer(Param::StepUnit) * 0.08;
    tr.scale = pictures_.TimeWindow().Height() / (count * 2.1);
    tr.rightScaleX = static_cast<double>(right.Width()) / count;
    tr.rightScaleY = static_cast<double>(right.Height()) / count;

    // 16-bit arithmetic throughout (done in unsigned, so it simply wraps).
    const auto bits16 = [this](Param p) { return static_cast<std::uint16_t>(params_.Integer(p)); };
    cycleLength_ = static_cast<std::uint16_t>(bits16(Param::Excited) + bits16(Param::Active) +
                                              bits16(Param::AbsRefr) + bits16(Param::Refractory));
    refractoryStart_ = static_cast<std::uint16_t>(
        cycleLength_ - static_cast<std::uint16_t>(params_.Integer(Param::Refractory)));

    phaseX_ = 0;
    activeCount_ = 0;
    activeHistory_ = {0, 0, 0};
    const Limits limits = CurrentLimits();
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
    }
    ModelCell& environment = block_.Cell(block_.EnvironmentCell());
    environment.Clock = 0;
    environment.CellState = EnvQuiet;
    backgroundLevel_ = switches.background ? params_.Real(Param::EnvWeight) : 0.0;

    // Start values of the traces.
    pictures_.TimeWindow().SetPenColor(common::kWhite);
    right.SetPenColor(common::kWhite);
    right.SetBrushColor(common::kWhite);
    q1_ = TraceValue(traceCell1_);
    q2_ = TraceValue(traceCell2_);
    tr.y1 = PixelCoordinate(q1_ * tr.scale);
    tr.y2 = PixelCoordinate(q2_ * tr.scale) + pictures_.Half();
    if (switches.firstDerivative) {
        tr.history1 = {0, 0, tr.y1};
        tr.history2 = {0, 0, tr.y2};
        tr.y1 = pictures_.Quarter();
        tr.y2 = pictures_.ThreeQuarter();
    }
    modelTime_ = 0;
    pictures_.PlaceBeyondRightEdge();
}

void BlockRun::StepBlock(const BlockSwitches& switches) {
    if (!block_.Built()) return;
    common::PlotSurface& right = pictures_.RightWindow();
    if (pictures_.PastRightEdge()) {
        pictures_.RestartSweep();
        right.SetPenColor(common::kWhite);
        right.SetBrushColor(common::kWhite);
    }
    const std::int32_t stepUnit = params_.Integer(Param::StepUnit);
    modelTime_ = common::WrapAdd32(modelTime_, stepUnit);
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
        const bool stimulus = (period <= modelTime_ && modelTime_ <= period + excited) ||
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
        cell.CellState = t < limits.excited          ? CellExcited
                         : t < limits.activeEnd       ? CellActive
                         : t < limits.refractoryStart ? CellAbsRefractory
                                                      : CellRelRefractory;
        states_[static_cast<std::size_t>(i)] = cell.CellState;
        if (cell.CellState == CellActive) ++activeCount_;
    }
    environment.CellState = StateOf(count, limits);
    states_[static_cast<std::size_t>(count)] = environment.CellState;
    phaseX_ = PixelCoordinate(static_cast<double>(activeCount_) * right.Width() / count);

    // Second pass: excitation, on the states of the first pass.
    CachedThreshold threshold(params_);
    const std::int64_t excitedThreshold = threshold.At(cycleLength_);
    const double envWeight = params_.Real(Param::EnvWeight);
    const double delayF = params_.Real(Param::DelayF);
    const std::int32_t nexuses = NexusesPerCell(params_);
    const bool environmentStimulating = environment.CellState == EnvStimulating;
    const int dimension = block_.Dimension();
    int c = 0;
    for (int x = 0; x < dimension; ++x) {
        for (int y = 0; y < dimension; ++y) {
            for (int z = 0; z < dimension; ++z, ++c) {
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
                        const std::int64_t a =
                            static_cast<std::int64_t>(cell.Clock) - static_cast<std::int64_t>(refractoryStart_);
                        if (g >= threshold.At(a)) {
                            // The next first pass brings the clock to 0.
                            cell.Clock = static_cast<std::uint16_t>(0 - stepUnit);
                        } else if (nexuses != 0) {
                            // Sub-threshold input delays the recovery.
                            const std::int64_t delay = common::Round(delayF * static_cast<double>(g) / nexuses);
                            cell.Clock = static_cast<std::uint16_t>(cell.Clock - static_cast<std::uint16_t>(delay));
                        }
                    }
                }
                if (switches.allCells) {
                    const int px = (z + (dimension + 2) * (x % 4)) * 3 + 5;
                    const int py = (y + (x / 4) * (dimension + 2)) * 3 + 5;
                    Dot(right, px, py, 2, s == CellActive ? common::kRed : common::kBlack);
                }
            }
        }
    }
    DrawTraces(switches);
}

void BlockRun::DrawTraces(const BlockSwitches& switches) {
    TraceState& tr = pictures_.trace;
    common::PlotSurface& time = pictures_.TimeWindow();
    time.SetPenColor(common::kWhite);

    time.MoveTo(tr.x1, tr.y1);
    tr.tracePosition += tr.stepWidth;
    tr.x1 = PixelCoordinate(tr.tracePosition);
    q1_ = TraceValue(traceCell1_);
    tr.y1 = PixelCoordinate(q1_ * tr.scale) + 3;
    if (switches.firstDerivative) {
        tr.history1 = {tr.history1[1], tr.history1[2], tr.y1};
        tr.y1 = (tr.history1[2] - tr.history1[0]) / 2 + pictures_.Quarter();
    }
    time.LineTo(tr.x1, tr.y1);

    time.MoveTo(tr.x2, tr.y2);
    tr.x2 = PixelCoordinate(tr.tracePosition);
    q2_ = TraceValue(traceCell2_);
    tr.y2 = PixelCoordinate(q2_ * tr.scale) + pictures_.Half();
    if (switches.firstDerivative) {
        tr.history2 = {tr.history2[1], tr.history2[2], tr.y2};
        tr.y2 = (tr.history2[2] - tr.history2[0]) / 2 + pictures_.ThreeQuarter();
    }
    time.LineTo(tr.x2, tr.y2);

    activeHistory_ = {activeHistory_[1], activeHistory_[2], activeCount_};
    const int change = activeHistory_[2] - activeHistory_[0];
    if (!switches.allCells) {
        common::PlotSurface& right = pictures_.RightWindow();
        const int count = block_.CellCount();
        const double sy = static_cast<double>(right.Height()) / count;
        phaseY_ = PixelCoordinate((count - change) * sy / 2);
        Dot(right, phaseX_, phaseY_, 5, common::kWhite);
    }
}

void DrawDelayFunction(ModelPictures& pictures, const ParameterSource& params) {
    common::PlotSurface& right = pictures.RightWindow();
    pictures.ClearRightWindow();
    right.SetPenColor(common::kWhite);
    const std::int32_t nexuses = NexusesPerCell(params);
    const std::int32_t refractory = params.Integer(Param::Refractory);
    const double delayF = params.Real(Param::DelayF);
    const double sx = common::FloatDivide(right.Width(), nexuses);
    const double sy = common::FloatDivide(right.Height(), refractory);
    const ThresholdFunction threshold(params);
    // Beyond this count the curve has left the window for good (a negative
    // refractory length would otherwise never end the search).
    const std::int64_t maxCount = 2 * static_cast<std::int64_t>(std::abs(refractory)) + right.Height() + 2;

    right.MoveTo(0, 0);
    for (std::int32_t i = 0; i <= nexuses; ++i) {
        const double a = delayF * i / nexuses;
        double b = 0.0;
        std::int64_t count = 0;
        std::int64_t y = 0;
        for (;;) {
            const std::int64_t th = threshold.At(common::Round(b));
            if (i < th) {
                b = b + 1 - a;
                ++count;
            }
            y = common::Round(static_cast<double>(refractory - count) * sy);
            if (i >= th || y < 0 || count > maxCount) break;
        }
        right.LineTo(PixelCoordinate(i * sx), PixelCoordinate(y));
    }
}

}  // namespace myogrid
