#pragma once
// The fibrillation signal model: group parameters, "vfdef.par", period T,
// group signal A(t), map Pn -> Pn+1 with its P series, and the sum E(t).
//
// API (namespace ecgtrace). Everything throws common::AppError on failure and
// leaves the model as it was for the failing step.
//
//   signal_model.h (pure computations, standard library only)
//     struct GroupParameters                 f F Te Ta Tr P0 N NE M Nd s1 s2 offset
//     class SignalModel                      public tables indexed 1..G (entry 0 reserved;
//                                            RepetitionFlag[0] / GroupSpectra[0] = E(t))
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
//       ChangeGroupCount(newG, changeActual) change of G (ends with ComputeE)
//       SelectActualGroup(g)                 changed flag, g, cross group := g (limited)
//       RecomputeActualGroup()               ComputeT, ComputeE, ComputePMap, ComputePSeries
//       SaveGroupState(g) / RestoreGroupState(state)   parameters and derived tables of g
//       EditGroup(g, edit)                   edit; on failure group g as before
//       ComputeT(g)                          T then ComputeA(g); T < 1 refused
//       ComputeA(g)                          A(t); clears RepetitionFlag[g]
//       ComputePMap(g)                       map with wrapped factorials; M < 0 refused
//       ComputePSeries(g)                    stores PHalf/PWhole, returns P_0..P_300
//       ComputeE()                           ESignal[0..2800] (0 = t 0), EMax/EMin of 1..2800
//     value rules for the window: LimitF, LimitP0, LimitOffset, ValidateM,
//       UpDownP0Position, UpDownP0Increment
//     texts: TGroupText, fText, FText, M1Text, M2Text, APanelText, PPanelText,
//       P0Text, PHalfText, PWholeText, EStartText, EEndText
//
//   signal_plots.h (drawing on common::PlotSurface)
//     DrawA(model, g, ImageAt 190x170)
//     DrawPSeries(series, ImagePt 320x70)
//     ComputePSeries(model, g, ImagePt*)     compute, store and draw when a surface is given
//     DrawPMap(model, g, ImageP 120x120, ImagePt*)   map, then ComputePSeries
//     PlotCobweb(model, g, ImageP, ImagePt*)
//     DrawE(model, ImageEt 281x105)
//
//   ucomplex.h       TComplex, ComplexMake/Add/Multiply/Scale/Exp/ConjProduct/Amplitude
//   spectra.h        GroupSpectrumBin, ComputeGroupSpectra(model, g1, g2),
//                    ApplyRepetitionEffect(model, g), ComputeEtAnalysisSpectra(model)
//   analysis_plots.h (teal on yellow; ImageHist 210x200, ImageCorrel 230x250,
//                    ImagePower 210x200, ImagePhase 230x250)
//     HistogramSamples, CountHistogram, AutocorrelationValues, ComputePowerLevels
//     DrawHistogram(model, index, s), DrawAutocorrelation(model, index, s)
//     DrawPowerSpectrum(model, g1, g2, s)
//     DrawCrossPhase(model, g1, g2, s) -> RepetitionButtonState
//     ToggleRepetition(model, analysedIndex, s) -> RepetitionButtonState
//                                            {caption, enabled, crossPhaseVisible}
//     UpdateAnalysisCaption(model) -> {caption, analysedIndex}
//     titles: HistogramTitle, AutocorrelationTitle, PowerSpectrumTitle,
//       CrossPhaseTitle, RepetitionText
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "common/errors.h"
#include "ecgtrace/model/ucomplex.h"

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

// Everything an edit of one group can change: its parameters and the tables
// derived from them.
struct GroupState {
    std::int32_t group = 0;
    GroupParameters parameters;
    std::int32_t T = 0;
    std::vector<double> A;
    std::array<double, kPMapSize> PMap{};
    double PHalf = 0.0;
    double PWhole = 0.0;
    std::uint8_t RepetitionFlag = 0;
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
    // Non-empty when computing a group failed during start-up (first message).
    std::string computeError;
};

class SignalModel {
public:
    SignalModel();  // defaults, nothing computed

    // --- state --------------------------------------------------------------
    std::int32_t GroupCount = kDefaultGroupCount;         // G
    std::int32_t ActualGroup = 1;                         // g
    std::int32_t CrossGroup = 1;                          // "g cross"
    std::int32_t InitialGroupCount = kDefaultGroupCount;  // G at the end of start-up
    std::int32_t EWindowStart = 0;
    std::int32_t EWindowEnd = kESampleCount;
    bool ParametersChanged = false;
    bool ParametersLoaded = false;
    bool ETabActive = false;

    // Per-group tables, G+1 entries or more (they never shrink); entry 0 is
    // unused except in RepetitionFlag and GroupSpectra, where it is E(t).
    std::vector<GroupParameters> Groups;
    std::vector<std::int32_t> T;                  // period, ms
    std::vector<std::vector<double>> A;           // T samples, one per ms
    std::vector<std::array<double, kPMapSize>> PMap;
    std::vector<double> PHalf;
    std::vector<double> PWhole;
    std::vector<std::uint8_t> RepetitionFlag;     // nonzero: with repetition
    std::vector<std::vector<TComplex>> GroupSpectra;  // 51 bins once computed

    // ESignal[j] is E at 10*j ms for j = 1..2800; ESignal[0] is E at t = 0,
    // drawn when the window starts at 0 but not part of EMax/EMin.
    std::vector<double> ESignal;
    double EMax = 0.0;
    double EMin = 0.0;

    GroupParameters& Group(std::int32_t g);
    const GroupParameters& Group(std::int32_t g) const;

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
    // Change of G. When g lies above the new G, `changeActualGroup(G)` runs
    // first (the window passes its whole actual-group change; empty means
    // SelectActualGroup + RecomputeActualGroup). A new top group above
    // InitialGroupCount takes f, F, Te, Ta, Tr, N, NE, M and Nd of the group
    // below it; one that never existed takes every parameter. Ends with
    // ComputeE; drawing E is left to the caller.
    void ChangeGroupCount(std::int32_t newCount,
                          const std::function<void(std::int32_t)>& changeActualGroup = {});
    // The model part of choosing the actual group: changed flag, g, and the
    // cross group set to g within 1..InitialGroupCount.
    void SelectActualGroup(std::int32_t g);
    // ComputeT(g), ComputeE, ComputePMap(g), ComputePSeries(g) for the actual group.
    void RecomputeActualGroup();

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
    void ComputeE();

    // --- texts the tabs show ------------------------------------------------
    std::string TGroupText(std::int32_t g) const;   // "T for group 1 = 221"
    std::string fText(std::int32_t g) const;        // "21.00"
    std::string FText(std::int32_t g) const;        // "0.75"
    std::string M1Text(std::int32_t g) const;       // "m1 = 66.00000"
    std::string M2Text(std::int32_t g) const;       // "m2 = 116.00000"
    std::string P0Text(std::int32_t g) const;       // "0.10"
    std::string PHalfText(std::int32_t g) const;    // "p half = 0.290"
    std::string PWholeText(std::int32_t g) const;   // "p whole = 0.706"
    std::string EStartText() const;                 // "E(0)"
    std::string EEndText() const;                   // "E(2800)"

private:
    void CheckGroup(std::int32_t g) const;
};

// Value rules of the edits.
double LimitF(double F);                 // 0.1..1.0
double LimitP0(double P0);               // 0..1
std::int32_t LimitOffset(std::int32_t offset);  // negative -> 0
void ValidateM(std::int32_t M);          // M < 0 throws
int UpDownP0Position(double P0);         // trunc(100 P0)
int UpDownP0Increment(int position);     // 1 near the ends (<= 10, >= 90), else 5

std::string APanelText(std::int32_t g);  // "elaboration of function A(t) for group 1"
std::string PPanelText(std::int32_t g);  // "elaboration of function P2"

// Message texts of refused values.
std::string PeriodTooSmallMessage(std::int64_t T);
std::string PeriodTooLargeMessage(std::int64_t T);
std::string NegativeMMessage(std::int32_t M);

// The wrapped 32-bit factorial of the map (1 for n < 1).
std::int32_t WrappedFactorial(std::int32_t n);
// C(M, k) as the map uses it: fact(M) / (fact(k) * fact(M - k)), the
// factorials and their product wrapping in 32 bits, the division real.
double MapCoefficient(std::int32_t M, std::int32_t k);

}  // namespace ecgtrace
