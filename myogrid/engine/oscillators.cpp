#include "myogrid/engine/oscillators.h"

#include "common/errors.h"
#include "common/numeric.h"
#include "myogrid/engine/parameter_values.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace myogrid {

const std::array<OscDirection, kOscDirectionCount + 1> kOscDirections = {{
    {0, 0, 0, 0},    {+1, +1, -1, 5}, {+1, +1, 0, 3},  {+1, +1, +1, 5}, {+1, 0, -1, 3},
    {+1, 0, 0, 1},   {+1, 0, +1, 3},  {+1, -1, -1, 5}, {+1, -1, 0, 3},  {+1, -1, +1, 5},
    {0, +1, -1, 4},  {0, +1, 0, 2},   {0, +1, +1, 4},  {0, 0, -1, 2},   {0, 0, +1, 2},
    {0, -1, -1, 4},  {0, -1, 0, 2},   {0, -1, +1, 4},  {-1, +1, -1, 5}, {-1, +1, 0, 3},
    {-1, +1, +1, 5}, {-1, 0, -1, 3},  {-1, 0, 0, 1},   {-1, 0, +1, 3},  {-1, -1, -1, 5},
    {-1, -1, 0, 3},  {-1, -1, +1, 5},
}};

namespace {

[[noreturn]] void ThrowDivisionByZero() { throw common::AppError(common::kFloatDivisionByZero); }

}  // namespace

void OscillatorTable::Release() {
    records_.clear();
    records_.shrink_to_fit();
    dimension_ = 0;
    oscillatorCount_ = 0;
    fractionsReady_ = false;
}

int OscillatorTable::OscNeighbourIndex(int x, int y, int z, int d) const {
    const OscDirection& dir = kOscDirections[static_cast<std::size_t>(d)];
    const int nx = kind_ == ModelKind::IndependentOscillators ? 0 : x + dir.dx;
    const int ny = y + dir.dy, nz = z + dir.dz;
    const auto outside = [this](int v) { return v < 0 || v >= dimension_; };
    if (outside(nx) || outside(ny) || outside(nz)) return oscillatorCount_;
    return (nx * dimension_ + ny) * dimension_ + nz;
}

int OscillatorTable::BuildOscillators(ModelKind kind) {
    Release();
    kind_ = kind;
    int dimension = std::clamp(params_.Integer(Param::OscDimension), 1, kMaxOscDimension);
    for (;;) {
        const int count = kind == ModelKind::IndependentOscillators
                              ? dimension * dimension
                              : dimension * dimension * dimension;
        try {
            Oscillator fresh;
            fresh.Link.fill(kUnlaidLink);
            fresh.Link[0] = 0;
            records_.assign(static_cast<std::size_t>(count) + 1, fresh);
            dimension_ = dimension;
            oscillatorCount_ = count;
            break;
        } catch (const std::bad_alloc&) {
            Release();
            if (dimension == 1) throw;
            --dimension;
        }
    }
    const int xEnd = kind == ModelKind::IndependentOscillators ? 0 : dimension_ - 1;
    int i = 0;
    for (int x = 0; x <= xEnd; ++x) {
        for (int y = 0; y < dimension_; ++y) {
            for (int z = 0; z < dimension_; ++z, ++i) {
                for (int d = 1; d <= kOscDirectionCount; ++d) {
                    if (Record(i).Link[d] != kUnlaidLink) continue;
                    const int n = OscNeighbourIndex(x, y, z, d);
                    Record(i).Link[d] = static_cast<std::uint16_t>(n);
                    Record(n).Link[kOscDirectionCount + 1 - d] = static_cast<std::uint16_t>(i);
                }
            }
        }
    }
    return dimension_;
}

int OscillatorTable::RebuildOscillators(ModelKind kind) {
    Release();
    const int dimension = BuildOscillators(kind);
    ComputeCouplingFractions();
    return dimension;
}

void OscillatorTable::ComputeCouplingFractions() {
    fractionsReady_ = false;
    const double n = params_.Integer(Param::Dimension);
    const double m = n - 1;
    const double a = params_.Integer(Param::XNexus);
    const double b = params_.Integer(Param::XyXzNexus);
    const double c = params_.Integer(Param::XyzNexus);
    nexusesPerCell_ = myogrid::NexusesPerCell(params_);
    const double total = nexusesPerCell_ * n * n * n;
    if (total == 0) ThrowDivisionByZero();
    couplingFraction_[0] = (2 * n * n * m * a + 8 * n * m * m * b + 8 * m * m * m * c) / total;
    couplingFraction_[1] = (n * n * a + 4 * (n * n - n) * b + 4 * m * m * c) / total;
    couplingFraction_[2] = (2 * n * m * b + 4 * m * m * c) / total;
    couplingFraction_[3] = (2 * n * b + 2 * m * c) / total;
    couplingFraction_[4] = 2 * m * c / total;
    couplingFraction_[5] = c / total;
    fractionsReady_ = true;
}

void OscillatorTable::BuildActivationCurve() {
    const std::int64_t active = params_.Integer(Param::Active);
    const double root = std::sqrt(2 * std::numbers::pi);
    activationCurve_.fill(0.0);
    for (std::int64_t j = -10; j <= active + 30; ++j) {
        const std::int64_t k = j + 10;
        if (k > kActivationCurveSize - 1) break;  // the curve ends at entry 300
        const double du = (static_cast<double>(j) - 30) / 10;
        const double dv = (static_cast<double>(j) - static_cast<double>(active - 30)) / 15;
        const double u = std::min(du * du / 2, 85.0);
        const double v = std::min(dv * dv / 2, 85.0);
        const double p = std::exp(-u) * (30 - static_cast<double>(j)) / (1000 * root);
        const double q = std::exp(-v) *
                         (static_cast<double>(j) - static_cast<double>(active - 30)) /
                         (3375 * root);
        activationCurve_[static_cast<std::size_t>(k)] = (p + q) * 100 + 0.5;
    }
}

void OscillatorTable::ComputeReturnMap() {
    const std::int64_t k = myogrid::NexusesPerCell(params_);
    if (k == 0) ThrowDivisionByZero();
    // The largest number of active directions whose mean input does not
    // exceed the threshold, in exact integers.
    const std::int64_t r = (18 * static_cast<std::int64_t>(params_.Integer(Param::Threshold))) / k;
    returnMap_[0] = 0.0;
    returnMap_[100] = 0.0;
    for (int i = 1; i <= 99; ++i) {
        const double p = i / 100.0;
        double term = std::exp(18 * std::log(1 - p));
        double b = term;
        for (std::int64_t l = 1; l <= std::min<std::int64_t>(r, 18); ++l) {
            term = term * static_cast<double>(19 - l) * p / ((1 - p) * static_cast<double>(l));
            b = b + term;
        }
        if (b > 1) b = 1;
        returnMap_[static_cast<std::size_t>(i)] = (1 - p) * (1 - b);
    }
}

double OscillatorTable::OscillatorActivity(const Oscillator& o) const {
    return (modelTime_ < o.PrevEnd ? o.PrevAmplitude : 0.0) +
           (modelTime_ < o.ActiveEnd ? o.Amplitude : 0.0);
}

double OscillatorTable::MembraneValue(const Oscillator& o) const {
    const std::int64_t e =
        static_cast<std::int64_t>(params_.Integer(Param::Excited)) + params_.Integer(Param::Active);
    const auto entry = [&](std::int64_t end) {
        const std::int64_t k =
            std::clamp<std::int64_t>(e + modelTime_ - end, 0, kActivationCurveSize - 1);
        return activationCurve_[static_cast<std::size_t>(k)];
    };
    return o.PrevAmplitude * entry(o.PrevEnd) + o.Amplitude * entry(o.ActiveEnd);
}

std::int32_t OscillatorTable::NextInterval(int i, int /*y*/) const {
    double p = 0.0;
    switch (kind_) {
        case ModelKind::OneOscillator:
            p = OscillatorActivity(Record(0));
            break;
        case ModelKind::CoupledOscillators: {
            const Oscillator& o = Record(i);
            for (int d = 1; d <= kOscDirectionCount; ++d) {
                p = p +
                    OscillatorActivity(Record(o.Link[d])) *
                        couplingFraction_[static_cast<std::size_t>(kOscDirections[d].linkClass)];
            }
            p = p + OscillatorActivity(o) * couplingFraction_[0];
            break;
        }
        default:
            p = OscillatorActivity(Record(i));
            break;
    }
    const double excited = params_.Integer(Param::Excited);
    const double delayL = params_.Real(Param::DelayL);
    const double delayF = params_.Real(Param::DelayF);
    double q = nexusesPerCell_ * p - params_.Integer(Param::Threshold);
    if (q < 1) q = 1;
    if (delayL == 0) ThrowDivisionByZero();
    const double denominator = 1 - delayF * p;
    if (denominator == 0) ThrowDivisionByZero();
    const double x = (excited + params_.Integer(Param::DelayC) - params_.Integer(Param::AbsRefr) +
                      std::log(q) / delayL) /
                     denominator;
    const double cycleLength = static_cast<double>(params_.Integer(Param::Excited)) +
                               params_.Integer(Param::Active) + params_.Integer(Param::AbsRefr) +
                               params_.Integer(Param::Refractory);
    return common::RoundToInt((cycleLength + x) / 2);
}

std::int32_t OscillatorTable::ActiveEndAfter(int y) const {
    const double e =
        static_cast<double>(params_.Integer(Param::Excited)) + params_.Integer(Param::Active);
    return common::RoundToInt(e * (1 - params_.Real(Param::PeriodVariability) * y));
}

int OscillatorTable::ReturnMapIndex(double amplitude) const {
    // Amplitudes outside 0..1 take the nearest end of the map.
    double v = amplitude * 100;
    if (v < 0) v = 0;
    if (v > 100) v = 100;
    return static_cast<int>(common::Round(v));
}

void OscillatorTable::StartOscillatorRun(const OscillatorSwitches& /*switches*/) {
    if (!Built()) return;
    if (!fractionsReady_) ComputeCouplingFractions();
    BuildActivationCurve();

    sweepX_ = sweepY_ = sweepZ_ = dimension_ - 1;
    if (kind_ == ModelKind::IndependentOscillators) {
        sweepX_ = 0;
    } else if (kind_ == ModelKind::OneOscillator) {
        sweepX_ = sweepY_ = sweepZ_ = 0;
        oscillatorCount_ = 1;
        traceCell1_ = traceCell2_ = 0;
    }

    // The dynamics never depend on what is shown: the map follows the
    // parameters as they stand at every run start.
    ComputeReturnMap();

    const double startFraction = params_.Real(Param::StartFraction);
    Oscillator& mean = Record(oscillatorCount_);
    mean.PrevAmplitude = 0.0;
    mean.Amplitude = startFraction;
    mean.PrevEnd = 0;
    modelTime_ = 0;

    const double phaseVariability = params_.Real(Param::PhaseVariability);
    for (int x = 0; x <= sweepX_; ++x) {
        for (int y = 0; y <= sweepY_; ++y) {
            for (int z = 0; z <= sweepZ_; ++z) {
                const int i = (x * dimension_ + y) * dimension_ + z;
                Oscillator& o = Record(i);
                o.PrevAmplitude = 0.0;
                o.Amplitude = startFraction;
                o.PrevEnd = 0;
                o.ActiveEnd = ActiveEndAfter(y);
                o.NextFiring = common::RoundToInt(NextInterval(i, y) * (1 - phaseVariability * x));
            }
        }
    }
    mean.ActiveEnd = Record(0).ActiveEnd;
    traceCell1_ = std::min(traceCell1_, oscillatorCount_);
    traceCell2_ = std::min(traceCell2_, oscillatorCount_);
}

void OscillatorTable::StepOscillators(const OscillatorSwitches& switches) {
    if (!Built()) return;
    modelTime_ += params_.Integer(Param::OscStepUnit);
    double sum = 0.0;
    for (int x = 0; x <= sweepX_; ++x) {
        for (int y = 0; y <= sweepY_; ++y) {
            for (int z = 0; z <= sweepZ_; ++z) {
                const int i = (x * dimension_ + y) * dimension_ + z;
                Oscillator& o = Record(i);
                if (o.NextFiring < modelTime_) {
                    o.PrevAmplitude = o.Amplitude;
                    o.PrevEnd = o.ActiveEnd;
                    // Computed while both halves of the activity are equal.
                    o.NextFiring = NextInterval(i, y) + modelTime_;
                    o.Amplitude =
                        returnMap_[static_cast<std::size_t>(ReturnMapIndex(o.PrevAmplitude))];
                    o.ActiveEnd = ActiveEndAfter(y) + modelTime_;
                }
                sum = sum + OscillatorActivity(o);
            }
        }
    }
    Oscillator& mean = Record(oscillatorCount_);
    mean.PrevAmplitude = mean.Amplitude;
    // Start fractions near the largest real overflow the sum.
    mean.Amplitude = common::RequireFinite(sum / oscillatorCount_);
    ComputeTraceValues(switches);
}

double OscillatorTable::TraceValue(int traceCell, bool membrane) const {
    if (traceCell < 0 || traceCell >= oscillatorCount_) {
        if (!membrane) return MeanOscillator().Amplitude;
        double sum = 0.0;
        for (int i = 0; i < oscillatorCount_; ++i) sum = sum + MembraneValue(Record(i));
        return sum / oscillatorCount_;
    }
    return membrane ? MembraneValue(Record(traceCell)) : OscillatorActivity(Record(traceCell));
}

void OscillatorTable::ComputeTraceValues(const OscillatorSwitches& switches) {
    q1_ = TraceValue(traceCell1_, switches.membranePotential);
    // One oscillator: the lower trace is always its simulated electrogram.
    q2_ = TraceValue(traceCell2_, switches.membranePotential || kind_ == ModelKind::OneOscillator);
}

}  // namespace myogrid
