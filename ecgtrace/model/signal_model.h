#pragma once
// The fibrillation signal model: group parameters, "vfdef.par", period T,
// group signal A(t), map Pn -> Pn+1 with its P series, and the sum E(t).
//
// API (namespace ecgtrace). Everything throws common::AppError on failure and
// leaves the model as it was for the failing step.
//
//   signal_model.h (pure computations, standard library only)
//     struct GroupParameters                 f F Te Ta Tr P0 N NE M Nd s1 s2 offset
//     enum Parameter                         one of them, for edits by name
//     class SignalModel                      tables indexed 1..G, read through accessors
//                                            (index 0 of WithRepetition / Spectrum = E(t))
//       SetDefaultParameters()
//       ResizeGroupTables(G)                 grows only, never shrinks
//       LoadParameterFile(path)              strict line order; "Invalid numeric input"
//                                            (ParameterFileError::Where: line, group)
//       SaveParameterFile(path)              atomic replacement
//       ParameterFileText()                  the bytes SaveParameterFile writes
//       RunStartupComputations(path)         start-up: load or defaults, compute every
//                                            group, limits, InitialGroupCount, E window;
//                                            returns StartupReport (error text to show)
//       CompleteStartup(report*)             the same after loading (used by the batch tool)
//       ChangeGroupCount(newG)               change of G, the actual group lowered with it
//       SelectActualGroup(g)                 changed flag, g, cross group := g (limited)
//       RecomputeActualGroup()               RecomputeGroup(g), then ComputeE
//       RecomputeGroup(g)                    ComputeT, ComputePMap, ComputePSeries; notes
//                                            or clears the group's fault
//       GroupFault(g) / FaultsText()         why a group could not be computed
//       SaveGroupState(g) / RestoreGroupState(state)   parameters and derived tables of g
//       EditGroup(g, edit)                   edit; on failure group g as before
//       ComputeT(g)                          T then ComputeA(g); T < 1 refused
//       ComputeA(g)                          A(t); clears the repetition flag of g
//       ComputePMap(g)                       map with wrapped factorials; M < 0 refused
//       ComputePSeries(g)                    stores PHalf/PWhole, returns P_0..P_300
//       PSeries(g)                           P_0..P_300 from the stored map, nothing stored
//       ComputeE()                           ESignal[0..2800] (0 = t 0), EMax/EMin of 1..2800;
//                                            refused (and emptied) while a group is faulty
//     value rules: LimitF, LimitP0, LimitOffset, ValidateM, P0StepPosition,
//       P0StepIncrement
//
//   session.h        SignalSession: one method per user action of both windows
//                    and the batch tool; says what to show again (Redraw)
//
//   signal_plots.h (drawing on common::PlotSurface, the model read only)
//     DrawA(model, g, 190x170)  DrawPSeries(model, g, 320x70)
//     DrawPMap(model, g, 120x120)  DrawCobweb(model, g, 120x120)  DrawE(model, 281x105)
//
//   complex_number.h Complex, ComplexMake/Add/Multiply/Scale/Exp/ConjProduct/Amplitude
//   spectra.h        GroupSpectrumBin, ComputeGroupSpectra(model, g1, g2),
//                    ApplyRepetitionEffect(model, g), ComputeSumSignalSpectra(model)
//   analysis_plots.h (teal on yellow; histogram 210x200, autocorrelation 230x250,
//                    power spectrum 210x200, cross phase 230x250)
//     HistogramSamples, CountHistogram, AutocorrelationValues, ComputePowerLevels
//     DrawHistogram(model, index, s), DrawAutocorrelation(model, index, s)
//     DrawPowerSpectrum(model, g1, g2, s), DrawCrossPhase(model, g1, g2, s)
//     titles: HistogramTitle, AutocorrelationTitle, PowerSpectrumTitle,
//       CrossPhaseTitle, RepetitionText
#include <array>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "common/errors.h"
#include "ecgtrace/model/complex_number.h"

namespace ecgtrace {

inline constexpr std::int32_t kMaxGroupCount = 15;
inline constexpr std::int32_t kDefaultGroupCount = 6;
inline constexpr std::int32_t kESampleCount = 2800;
inline constexpr int kPMapSize = 101;
inline constexpr int kSpectrumBins = 51;
inline constexpr int kSeriesSteps = 301;
// Longest period accepted: far beyond the 28 s of E(t), small enough that
// A(t) of that length still fits in memory.
inline constexpr std::int32_t kMaxPeriod = 10000000;
inline constexpr const char* kParameterFileName = "vfdef.par";
// Groups a parameter file may declare; the program then works with at most
// kMaxGroupCount of them, and only those are ever computed.
inline constexpr std::int32_t kMaxFileGroupCount = 1000;
// Largest parameter file read: 1000 groups of long values take far less.
inline constexpr std::int64_t kMaxParameterFileBytes = 16 * 1024 * 1024;

// The parameters of one group. NE is also the "Nb" of the T tab: one value.
struct GroupParameters {
    double f = 0.0;
    double F = 0.0;
    std::int32_t Te = 0;
    std::int32_t Ta = 0;
    std::int32_t Tr = 0;
    double P0 = 0.0;
    std::int32_t N = 0;
    std::int32_t NE = 0;
    std::int32_t M = 0;
    std::int32_t Nd = 0;
    std::int32_t s1 = 0;
    std::int32_t s2 = 0;
    std::int32_t offset = 0;

    static GroupParameters Defaults();
    std::int32_t m1() const;  // Te + 3 s1, centre of the first pulse
    std::int32_t m2() const;  // Te + Ta - 2 s2, centre of the second pulse
    friend bool operator==(const GroupParameters&, const GroupParameters&) = default;
};

// A(t) of one group: T samples, one per ms. A signal of up to
// kKeptSignalSamples is kept; a longer one (T may reach kMaxPeriod) is
// computed sample by sample when read, so that fifteen of them cost no
// memory. Both give the same numbers.
class GroupSignal {
public:
    static constexpr std::size_t kKeptSignalSamples = std::size_t{1} << 18;

    GroupSignal() = default;
    // The T samples of the pulse pair of `p`; throws what the formula throws
    // (s1 or s2 = 0) before anything is kept.
    GroupSignal(const GroupParameters& p, std::int32_t T);
    // Given samples, kept as they are.
    explicit GroupSignal(std::vector<double> samples);

    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    double operator[](std::size_t k) const { return kept_ ? samples_[k] : Sample(k); }
    std::vector<double> ToVector() const;

    class const_iterator {
    public:
        using value_type = double;
        using difference_type = std::ptrdiff_t;
        using iterator_category = std::forward_iterator_tag;
        using pointer = const double*;
        using reference = double;
        const_iterator() = default;
        const_iterator(const GroupSignal* signal, std::size_t k) : signal_(signal), k_(k) {}
        double operator*() const { return (*signal_)[k_]; }
        const_iterator& operator++() {
            ++k_;
            return *this;
        }
        const_iterator operator++(int) {
            const_iterator before = *this;
            ++k_;
            return before;
        }
        friend bool operator==(const const_iterator& a, const const_iterator& b) {
            return a.k_ == b.k_;
        }

    private:
        const GroupSignal* signal_ = nullptr;
        std::size_t k_ = 0;
    };
    using iterator = const_iterator;
    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, size_}; }

    friend bool operator==(const GroupSignal& a, const GroupSignal& b);
    friend bool operator==(const GroupSignal& a, const std::vector<double>& b);

private:
    double Sample(std::size_t k) const;

    std::size_t size_ = 0;
    bool kept_ = true;
    std::vector<double> samples_;
    // The pulse pair, for samples computed when read.
    double m1_ = 0, m2_ = 0, c1_ = 0, c2_ = 0, s1_ = 0, s2_ = 0;
    std::int64_t offset_ = 0;
};

// One parameter of a group, named for edits that reach it by name.
enum class Parameter { f, F, Te, Ta, Tr, P0, N, NE, M, Nd, s1, s2, offset };

// The value of `which` in `p`; integers come back exactly.
double ParameterValue(const GroupParameters& p, Parameter which);
// Stores `value` as `which`; an integer parameter takes the value truncated.
void SetParameterValue(GroupParameters& p, Parameter which, double value);

// Everything an edit of one group can change: its parameters and the tables
// derived from them.
struct GroupState {
    std::int32_t group = 0;
    GroupParameters parameters;
    std::int32_t T = 0;
    GroupSignal A;
    std::array<double, kPMapSize> PMap{};
    double PHalf = 0.0;
    double PWhole = 0.0;
    std::uint8_t RepetitionFlag = 0;
    std::string fault;
};

// A parameter file that cannot be read. what() is the message the windows
// show; Where() names the place of the fault ("line 7, group 3") for tools
// that report more than the windows do.
class ParameterFileError : public common::AppError {
public:
    ParameterFileError(const std::string& message, std::string where)
        : common::AppError(message), where_(std::move(where)) {}
    const std::string& Where() const { return where_; }

private:
    std::string where_;
};

struct StartupReport {
    // Non-empty when "vfdef.par" existed but could not be read completely;
    // the model then started from the defaults.
    std::string loadError;
    // Non-empty when computing groups failed during start-up: one line per
    // failing group, naming it.
    std::string computeError;
};

class SignalModel {
public:
    SignalModel();  // defaults, nothing computed

    // --- state -------------------------------------------------------------------
    std::int32_t GroupCount() const { return groupCount_; }    // G
    std::int32_t ActualGroup() const { return actualGroup_; }  // g
    std::int32_t CrossGroup() const { return crossGroup_; }    // "g cross"
    std::int32_t InitialGroupCount() const {
        return initialGroupCount_;
    }  // G at the end of start-up
    std::int32_t EWindowStart() const { return eWindowStart_; }
    std::int32_t EWindowEnd() const { return eWindowEnd_; }
    // A stored value changed since the start (or the start took the defaults).
    bool ParametersChanged() const { return parametersChanged_; }
    bool ParametersLoaded() const { return parametersLoaded_; }

    // Groups held in the tables, G or more (they never shrink).
    std::int32_t StoredGroupCount() const { return static_cast<std::int32_t>(groups_.size()) - 1; }
    const GroupParameters& Parameters(std::int32_t g) const;
    std::int32_t Period(std::int32_t g) const;                       // T, ms
    const GroupSignal& Signal(std::int32_t g) const;                 // A(t), T samples
    const std::array<double, kPMapSize>& Map(std::int32_t g) const;  // Pn -> Pn+1
    double PHalf(std::int32_t g) const;
    double PWhole(std::int32_t g) const;
    // Index 0 is E(t), 1..G the groups.
    bool WithRepetition(std::int32_t index) const;
    const std::vector<Complex>& Spectrum(std::int32_t index) const;  // 51 bins once computed

    // ESignal()[j] is E at 10*j ms for j = 1..2800; [0] is E at t = 0,
    // drawn when the window starts at 0 but not part of EMax/EMin.
    const std::vector<double>& ESignal() const { return eSignal_; }
    double EMax() const { return eMax_; }
    double EMin() const { return eMin_; }

    // --- storing values, nothing recomputed ----------------------------------------
    void SetParameters(std::int32_t g, const GroupParameters& p);
    void SetParameter(std::int32_t g, Parameter which, double value);
    // G, g and the cross group as a parameter file states them; the tables
    // grow to G.
    void SetGroupChoice(std::int32_t groupCount, std::int32_t actualGroup, std::int32_t crossGroup);
    void SetCrossGroup(std::int32_t crossGroup) { crossGroup_ = crossGroup; }
    void SetEWindow(std::int32_t start, std::int32_t end);
    void SetParametersChanged(bool changed) { parametersChanged_ = changed; }
    void SetRepetition(std::int32_t index, bool withRepetition);
    void SetSpectrum(std::int32_t index, std::vector<Complex> bins);
    // The weights of the two copies of A(t) in E(t), as ComputePSeries leaves them.
    void SetWeights(std::int32_t g, double pHalf, double pWhole);

    // --- parameters and file ------------------------------------------------
    void SetDefaultParameters();
    void ResizeGroupTables(std::int32_t groupCount);
    // Reads the file into this model; on failure the model is unchanged and
    // a ParameterFileError names the line and group that could not be read.
    void LoadParameterFile(const std::string& path);
    std::string ParameterFileText() const;
    void SaveParameterFile(const std::string& path) const;

    // Start-up: load `path` when it exists (defaults when it does not or when
    // it cannot be read completely), compute every group, bring G, g and the
    // cross group into range, fix InitialGroupCount and the E window.
    StartupReport RunStartupComputations(const std::string& path = kParameterFileName);
    // The start-up after the parameters are in place (loaded or defaults):
    // T, A(t), map and series of every group that can ever be used (1..15;
    // a file may hold more, which are kept but never computed), limits of G,
    // g and the cross group, InitialGroupCount, E window, ParametersChanged. A failing group
    // is noted in `report` and the others go on; without a report the first
    // failure is thrown.
    void CompleteStartup(StartupReport* report);

    // --- edits that span several steps --------------------------------------
    // Change of G. When g lies above the new G, the actual group becomes G
    // (SelectActualGroup, then T, A(t), map and series of it). A new top
    // group above InitialGroupCount takes f, F, Te, Ta, Tr, N, NE, M and Nd
    // of the group below it; one that never existed takes every parameter.
    // Ends with ComputeE, the only computation of E(t) of the change. True
    // when the actual group changed.
    bool ChangeGroupCount(std::int32_t newCount);
    // The model part of choosing the actual group: changed flag, g, and the
    // cross group set to g within 1..InitialGroupCount.
    void SelectActualGroup(std::int32_t g);
    // RecomputeGroup for the actual group, then ComputeE.
    void RecomputeActualGroup();
    // T, A(t), map and series of group g. A failure is noted as the group's
    // fault (what was computed before it stays) and thrown; success clears it.
    void RecomputeGroup(std::int32_t g);
    // Why group g could not be computed when it was last tried; empty when
    // all its tables follow from its parameters.
    const std::string& GroupFault(std::int32_t g) const;
    // One line per faulty group among 1..G ("Group 3 cannot be computed:
    // ..."); empty when every group is computed.
    std::string FaultsText() const;

    // --- edits of one group ---------------------------------------------------
    GroupState SaveGroupState(std::int32_t g) const;
    void RestoreGroupState(const GroupState& state);
    // Runs `edit`; when it throws, group g gets back its parameters and
    // derived tables before the exception goes on.
    void EditGroup(std::int32_t g, const std::function<void()>& edit);

    // --- computations --------------------------------------------------------
    void ComputeT(std::int32_t g);
    void ComputeA(std::int32_t g);
    void ComputePMap(std::int32_t g);
    // Iterates the map from P0; stores PHalf (P_300) and PWhole (P_301) and
    // returns P_0..P_300 (the points of the series plot).
    std::vector<double> ComputePSeries(std::int32_t g);
    // The same points from the stored map and P0, nothing stored. The stored
    // PHalf and PWhole are always the last two steps of this iteration.
    std::vector<double> PSeries(std::int32_t g) const;
    // The first `count` steps of that iteration: the map entry each P_n
    // reads (0..100) and the P_n+1 it gives ("plot Pn -> Pn+1" draws them).
    struct MapStep {
        int entry = 0;
        double next = 0.0;
    };
    std::vector<MapStep> IterationSteps(std::int32_t g, int count) const;
    void ComputeE();

private:
    void CheckGroup(std::int32_t g) const;
    std::size_t SpectrumIndex(std::int32_t index) const;
    void ClearGroupTables();
    // P_0..P_300 and the two steps after P_299 and P_300.
    std::vector<double> Iterate(std::int32_t g, double& half, double& whole) const;

    std::int32_t groupCount_ = kDefaultGroupCount;
    std::int32_t actualGroup_ = 1;
    std::int32_t crossGroup_ = 1;
    std::int32_t initialGroupCount_ = kDefaultGroupCount;
    std::int32_t eWindowStart_ = 0;
    std::int32_t eWindowEnd_ = kESampleCount;
    bool parametersChanged_ = false;
    bool parametersLoaded_ = false;

    // Per-group tables, G+1 entries or more; entry 0 is unused except in
    // the repetition flags and the spectra, where it is E(t).
    std::vector<GroupParameters> groups_;
    std::vector<std::int32_t> period_;
    std::vector<GroupSignal> signal_;
    std::vector<std::array<double, kPMapSize>> map_;
    std::vector<double> pHalf_;
    std::vector<double> pWhole_;
    std::vector<std::uint8_t> withRepetition_;
    std::vector<std::vector<Complex>> spectra_;
    std::vector<std::string> fault_;

    std::vector<double> eSignal_;
    double eMax_ = 0.0;
    double eMin_ = 0.0;
};

// Value rules of the edits.
double LimitF(double F);                        // 0.1..1.0
double LimitP0(double P0);                      // 0..1
std::int32_t LimitOffset(std::int32_t offset);  // negative -> 0
void ValidateM(std::int32_t M);                 // M < 0 throws
// The arrows beside P0 step a position of 0..100 (P0 = position / 100).
int P0StepPosition(double P0);      // the whole hundredths in P0
int P0StepIncrement(int position);  // 1 near the ends (<= 10, >= 90), else 5

// Message texts of refused values.
std::string PeriodTooSmallMessage(std::int64_t T);
std::string PeriodTooLargeMessage(std::int64_t T);
std::string NegativeMMessage(std::int32_t M);
std::string GroupFaultMessage(std::int32_t g, const std::string& fault);

// The wrapped 32-bit factorial of the map (1 for n < 1).
std::int32_t WrappedFactorial(std::int32_t n);
// C(M, k) as the map uses it: fact(M) / (fact(k) * fact(M - k)), the
// factorials and their product wrapping in 32 bits, the division real.
double MapCoefficient(std::int32_t M, std::int32_t k);

}  // namespace ecgtrace
