#pragma once
// The oscillator models: a lattice of oscillators each standing for a block
// of cells that fires as one. The amplitude of a firing follows from the
// previous one through the ReturnMap, the time to the next firing from the
// current activity.
#include "myogrid/engine/model_kind.h"
#include "myogrid/engine/parameter_source.h"

#include <array>
#include <cstdint>
#include <vector>

namespace myogrid {

inline constexpr int kMaxOscDimension = 13;
inline constexpr int kOscillatorSlots = kMaxOscDimension * kMaxOscDimension * kMaxOscDimension + 1;
inline constexpr int kOscDirectionCount = 26;
// Above every oscillator index, so no real neighbour looks unlaid.
inline constexpr std::uint16_t kUnlaidLink = 0xFFFF;
static_assert(kUnlaidLink > kOscillatorSlots);
inline constexpr int kReturnMapSize = 101;        // entries 0..100
inline constexpr int kActivationCurveSize = 301;  // entries 0..300

// Directions 1..26 (index 0 unused) with their LinkClass: 1 along x,
// 2 along y or z, 3 xy/xz diagonal, 4 yz diagonal, 5 xyz diagonal.
// The opposite of d is 27 - d.
struct OscDirection {
    int dx, dy, dz;
    int linkClass;
};
extern const std::array<OscDirection, kOscDirectionCount + 1> kOscDirections;

struct Oscillator {
    double PrevAmplitude = 0.0;
    double Amplitude = 0.0;
    // Model times: 64 bits, like the model time itself, so none wraps.
    std::int64_t PrevEnd = 0;
    std::int64_t ActiveEnd = 0;
    std::int64_t NextFiring = 0;
    std::array<std::uint16_t, kOscDirectionCount + 1> Link{};  // [1..26]
};

// The window's choices for the oscillator models: "all oscill.s" and
// "membr. pot.".
struct OscillatorSwitches {
    bool allOscillators = false;
    bool membranePotential = false;
};

class OscillatorTable {
public:
    explicit OscillatorTable(const ParameterSource& params) : params_(params) {}

    // Releases the table, builds it for `kind` and computes the coupling
    // fractions. Returns the OscDimension built (lower than asked only when
    // memory ran out). Throws "Floating point division by zero" when the
    // nexus total of a cell is 0.
    int RebuildOscillators(ModelKind kind);
    int BuildOscillators(ModelKind kind);
    void ComputeCouplingFractions();
    void BuildActivationCurve();
    // Recomputes the ReturnMap from the current nexus counts and Threshold.
    void ComputeReturnMap();
    void Release();

    // Activity and simulated membrane value of `o` at the current ModelTime.
    double OscillatorActivity(const Oscillator& o) const;
    double MembraneValue(const Oscillator& o) const;
    // Time from a firing of oscillator i (lattice row y) to its next firing.
    std::int32_t NextInterval(int i, int y) const;
    int OscNeighbourIndex(int x, int y, int z, int d) const;

    // Oscillators shown in the upper and lower half of the time window
    // (an index at or beyond OscillatorCount shows the MeanOscillator).
    void SetTraceCells(int cell1, int cell2) {
        traceCell1_ = cell1;
        traceCell2_ = cell2;
    }
    int TraceCell1() const { return traceCell1_; }
    int TraceCell2() const { return traceCell2_; }

    // Starts a run on the built table, the ReturnMap computed afresh whatever
    // view is chosen.
    void StartOscillatorRun(const OscillatorSwitches& switches);
    // One step of OscStepUnit ms.
    void StepOscillators(const OscillatorSwitches& switches);
    // Milliseconds of model time per step.
    std::int32_t OscStepUnit() const { return params_.Integer(Param::OscStepUnit); }
    // The oscillators a step updates: x, y and z run from 0 to these.
    int SweepEndX() const { return sweepX_; }
    int SweepEndY() const { return sweepY_; }
    int SweepEndZ() const { return sweepZ_; }

    bool Built() const { return !records_.empty(); }
    ModelKind Kind() const { return kind_; }
    int OscDimension() const { return dimension_; }
    int OscillatorCount() const { return oscillatorCount_; }
    int MeanOscillatorIndex() const { return oscillatorCount_; }
    Oscillator& Record(int i) { return records_[static_cast<std::size_t>(i)]; }
    const Oscillator& Record(int i) const { return records_[static_cast<std::size_t>(i)]; }
    const Oscillator& MeanOscillator() const { return Record(oscillatorCount_); }
    std::int64_t ModelTime() const { return modelTime_; }
    std::int32_t NexusesPerCell() const { return nexusesPerCell_; }
    const std::array<double, 6>& CouplingFraction() const { return couplingFraction_; }
    const std::array<double, kReturnMapSize>& ReturnMap() const { return returnMap_; }
    const std::array<double, kActivationCurveSize>& ActivationCurve() const {
        return activationCurve_;
    }
    // Values plotted by the two traces at the last step.
    double TraceValue1() const { return q1_; }
    double TraceValue2() const { return q2_; }

private:
    std::int32_t ActiveEndAfter(int y) const;
    int ReturnMapIndex(double amplitude) const;
    double TraceValue(int traceCell, bool membrane) const;
    void ComputeTraceValues(const OscillatorSwitches& switches);

    const ParameterSource& params_;

    std::vector<Oscillator> records_;
    ModelKind kind_ = ModelKind::CoupledOscillators;
    int dimension_ = 0;
    int oscillatorCount_ = 0;
    int sweepX_ = 0, sweepY_ = 0, sweepZ_ = 0;  // upper ends of the sweep ranges
    bool fractionsReady_ = false;
    std::int32_t nexusesPerCell_ = 0;
    std::array<double, 6> couplingFraction_{};
    std::array<double, kReturnMapSize> returnMap_{};
    std::array<double, kActivationCurveSize> activationCurve_{};
    std::int64_t modelTime_ = 0;
    int traceCell1_ = 0, traceCell2_ = 0;
    double q1_ = 0.0, q2_ = 0.0;
};

}  // namespace myogrid
