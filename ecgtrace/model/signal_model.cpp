#include "ecgtrace/model/signal_model.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "common/errors.h"
#include "common/file_io.h"
#include "common/number_format.h"
#include "common/numeric.h"

namespace ecgtrace {

using common::AppError;

namespace {

constexpr double kSqrt2Pi = 2.5066282746310002;

// Integer power by repeated squaring in extended precision; a negative
// exponent gives the reciprocal.
long double IntPower(long double base, std::int32_t exponent) {
    std::uint32_t y = exponent < 0 ? 0u - static_cast<std::uint32_t>(exponent)
                                   : static_cast<std::uint32_t>(exponent);
    long double result = 1.0L;
    long double b = base;
    while (y > 0) {
        if (y & 1u) result *= b;
        y >>= 1;
        if (y > 0) b *= b;
    }
    if (exponent < 0) result = 1.0L / result;
    return result;
}

// One sample of the pulse pair; the only place its formula is written.
double PulsePairSample(double t, double m1, double m2, double s1, double s2, double c1, double c2) {
    const double u1 = common::FloatDivide(t - m1, s1);
    const double first = common::FloatDivide(std::exp(-u1 * u1 / 2) * (m1 - t), c1 * kSqrt2Pi);
    const double u2 = common::FloatDivide(t - m2, s2);
    const double second = common::FloatDivide(std::exp(-u2 * u2 / 2) * (t - m2), c2 * kSqrt2Pi);
    return second + first;
}

template <typename V>
void GrowTo(V& table, std::size_t size) {
    if (table.size() < size) table.resize(size);
}

std::string IntText(std::int64_t v) { return common::IntToText(v); }

// What a new top group takes from the group below it: f, F, Te, Ta, Tr, N,
// NE (also Nb), M and Nd.
void CopyPeriodAndMapParameters(const GroupParameters& from, GroupParameters& to) {
    to.f = from.f;
    to.F = from.F;
    to.Te = from.Te;
    to.Ta = from.Ta;
    to.Tr = from.Tr;
    to.N = from.N;
    to.NE = from.NE;
    to.M = from.M;
    to.Nd = from.Nd;
}

}  // namespace

// --- A(t) -------------------------------------------------------------------

GroupSignal::GroupSignal(const GroupParameters& p, std::int32_t T)
    : size_(static_cast<std::size_t>(std::max<std::int32_t>(T, 0))),
      m1_(p.m1()),
      m2_(p.m2()),
      c1_(static_cast<double>(p.s1) * p.s1 * p.s1),
      c2_(static_cast<double>(p.s2) * p.s2 * p.s2),
      s1_(p.s1),
      s2_(p.s2),
      offset_(p.offset) {
    kept_ = size_ <= kKeptSignalSamples;
    if (kept_) {
        samples_.resize(size_);
        for (std::size_t k = 0; k < size_; ++k) samples_[k] = Sample(k);
    } else {
        // Only s1 or s2 = 0 make the formula fail, and then at the first
        // sample: trying it keeps a failing signal from being stored.
        Sample(0);
    }
}

GroupSignal::GroupSignal(std::vector<double> samples)
    : size_(samples.size()), samples_(std::move(samples)) {}

double GroupSignal::Sample(std::size_t k) const {
    const double t = static_cast<double>(static_cast<std::int64_t>(k) - offset_);
    return PulsePairSample(t, m1_, m2_, s1_, s2_, c1_, c2_);
}

std::vector<double> GroupSignal::ToVector() const {
    if (kept_) return samples_;
    return std::vector<double>(begin(), end());
}

bool operator==(const GroupSignal& a, const GroupSignal& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin());
}

bool operator==(const GroupSignal& a, const std::vector<double>& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin());
}

// --- group parameters -------------------------------------------------------

GroupParameters GroupParameters::Defaults() {
    GroupParameters p;
    p.f = 21.0;
    p.F = 0.75;
    p.Te = 6;
    p.Ta = 170;
    p.Tr = 24;
    p.P0 = 0.1;
    p.N = 62;
    p.NE = 0;
    p.M = 18;
    p.Nd = 14;
    p.s1 = 20;
    p.s2 = 30;
    p.offset = 0;
    return p;
}

std::int32_t GroupParameters::m1() const { return common::WrapAdd32(Te, common::WrapMul32(3, s1)); }

std::int32_t GroupParameters::m2() const {
    return common::WrapSub32(common::WrapAdd32(Te, Ta), common::WrapMul32(2, s2));
}

// --- parameters by name ----------------------------------------------------

double ParameterValue(const GroupParameters& p, Parameter which) {
    switch (which) {
        case Parameter::f:
            return p.f;
        case Parameter::F:
            return p.F;
        case Parameter::Te:
            return p.Te;
        case Parameter::Ta:
            return p.Ta;
        case Parameter::Tr:
            return p.Tr;
        case Parameter::P0:
            return p.P0;
        case Parameter::N:
            return p.N;
        case Parameter::NE:
            return p.NE;
        case Parameter::M:
            return p.M;
        case Parameter::Nd:
            return p.Nd;
        case Parameter::s1:
            return p.s1;
        case Parameter::s2:
            return p.s2;
        case Parameter::offset:
            return p.offset;
    }
    return 0.0;
}

void SetParameterValue(GroupParameters& p, Parameter which, double value) {
    // Integer parameters come from integer fields: the value is whole and in range.
    const auto integer = [value] { return static_cast<std::int32_t>(common::TruncToInt(value)); };
    switch (which) {
        case Parameter::f:
            p.f = value;
            break;
        case Parameter::F:
            p.F = value;
            break;
        case Parameter::Te:
            p.Te = integer();
            break;
        case Parameter::Ta:
            p.Ta = integer();
            break;
        case Parameter::Tr:
            p.Tr = integer();
            break;
        case Parameter::P0:
            p.P0 = value;
            break;
        case Parameter::N:
            p.N = integer();
            break;
        case Parameter::NE:
            p.NE = integer();
            break;
        case Parameter::M:
            p.M = integer();
            break;
        case Parameter::Nd:
            p.Nd = integer();
            break;
        case Parameter::s1:
            p.s1 = integer();
            break;
        case Parameter::s2:
            p.s2 = integer();
            break;
        case Parameter::offset:
            p.offset = integer();
            break;
    }
}

// --- model state ------------------------------------------------------------

SignalModel::SignalModel() { SetDefaultParameters(); }

void SignalModel::CheckGroup(std::int32_t g) const {
    if (g < 1 || static_cast<std::size_t>(g) >= groups_.size())
        throw AppError("Group " + IntText(g) + " does not exist");
}

std::size_t SignalModel::SpectrumIndex(std::int32_t index) const {
    const auto i = static_cast<std::size_t>(index < 1 ? 0 : index);
    if (i >= withRepetition_.size()) throw AppError("Group " + IntText(index) + " does not exist");
    return i;
}

const GroupParameters& SignalModel::Parameters(std::int32_t g) const {
    CheckGroup(g);
    return groups_[static_cast<std::size_t>(g)];
}

std::int32_t SignalModel::Period(std::int32_t g) const {
    CheckGroup(g);
    return period_[static_cast<std::size_t>(g)];
}

const GroupSignal& SignalModel::Signal(std::int32_t g) const {
    CheckGroup(g);
    return signal_[static_cast<std::size_t>(g)];
}

const std::array<double, kPMapSize>& SignalModel::Map(std::int32_t g) const {
    CheckGroup(g);
    return map_[static_cast<std::size_t>(g)];
}

double SignalModel::PHalf(std::int32_t g) const {
    CheckGroup(g);
    return pHalf_[static_cast<std::size_t>(g)];
}

double SignalModel::PWhole(std::int32_t g) const {
    CheckGroup(g);
    return pWhole_[static_cast<std::size_t>(g)];
}

bool SignalModel::WithRepetition(std::int32_t index) const {
    return withRepetition_[SpectrumIndex(index)] != 0;
}

const std::vector<Complex>& SignalModel::Spectrum(std::int32_t index) const {
    return spectra_[SpectrumIndex(index)];
}

void SignalModel::SetParameters(std::int32_t g, const GroupParameters& p) {
    CheckGroup(g);
    groups_[static_cast<std::size_t>(g)] = p;
}

void SignalModel::SetParameter(std::int32_t g, Parameter which, double value) {
    CheckGroup(g);
    SetParameterValue(groups_[static_cast<std::size_t>(g)], which, value);
}

void SignalModel::SetGroupChoice(std::int32_t groupCount, std::int32_t actualGroup,
                                 std::int32_t crossGroup) {
    ResizeGroupTables(groupCount);
    groupCount_ = groupCount;
    actualGroup_ = actualGroup;
    crossGroup_ = crossGroup;
}

void SignalModel::SetEWindow(std::int32_t start, std::int32_t end) {
    eWindowStart_ = start;
    eWindowEnd_ = end;
}

void SignalModel::SetRepetition(std::int32_t index, bool withRepetition) {
    withRepetition_[SpectrumIndex(index)] = withRepetition ? 1 : 0;
}

void SignalModel::SetSpectrum(std::int32_t index, std::vector<Complex> bins) {
    spectra_[SpectrumIndex(index)] = std::move(bins);
}

void SignalModel::SetWeights(std::int32_t g, double pHalf, double pWhole) {
    CheckGroup(g);
    pHalf_[static_cast<std::size_t>(g)] = pHalf;
    pWhole_[static_cast<std::size_t>(g)] = pWhole;
}

void SignalModel::ClearGroupTables() {
    groups_.clear();
    period_.clear();
    signal_.clear();
    map_.clear();
    pHalf_.clear();
    pWhole_.clear();
    withRepetition_.clear();
    spectra_.clear();
    fault_.clear();
}

void SignalModel::SetDefaultParameters() {
    groupCount_ = kDefaultGroupCount;
    actualGroup_ = 1;
    crossGroup_ = 1;
    ClearGroupTables();
    ResizeGroupTables(groupCount_);
    for (std::int32_t g = 1; g <= groupCount_; ++g)
        groups_[static_cast<std::size_t>(g)] = GroupParameters::Defaults();
}

void SignalModel::ResizeGroupTables(std::int32_t groupCount) {
    if (groupCount < 0) return;
    const auto size = static_cast<std::size_t>(groupCount) + 1;
    GrowTo(groups_, size);
    GrowTo(period_, size);
    GrowTo(signal_, size);
    if (map_.size() < size) map_.resize(size, std::array<double, kPMapSize>{});
    GrowTo(pHalf_, size);
    GrowTo(pWhole_, size);
    GrowTo(withRepetition_, size);
    GrowTo(spectra_, size);
    GrowTo(fault_, size);
}

// --- parameter file ---------------------------------------------------------

void SignalModel::LoadParameterFile(const std::string& path) {
    bool complete = false;
    std::string text = common::ReadFileStart(path, kMaxParameterFileBytes, complete);
    if (!complete)
        throw ParameterFileError(common::kInvalidNumericInput,
                                 "file larger than " + IntText(kMaxParameterFileBytes) + " bytes");
    common::NumberReader in(std::move(text));
    SignalModel m = *this;

    // Where the reading stands, for the message of a fault.
    int line = 1;
    std::size_t group = 0;
    try {
        in.SkipLine();
        line = 2;
        m.groupCount_ = in.ReadInteger();
        in.SkipLine();
        line = 3;
        m.actualGroup_ = in.ReadInteger();
        in.SkipLine();
        line = 4;
        m.crossGroup_ = in.ReadInteger();
        in.SkipLine();
        // A count that could not be a number of groups is not a readable file.
        line = 2;
        if (m.groupCount_ < 1 || m.groupCount_ > kMaxFileGroupCount)
            throw AppError(common::kInvalidNumericInput);
        // The file holds every group there is: groups left over from before
        // (the defaults) must not pass for groups that already existed when G
        // is raised later.
        m.ClearGroupTables();
        m.ResizeGroupTables(m.groupCount_);
        const auto G = static_cast<std::size_t>(m.groupCount_);

        auto reals = [&](double GroupParameters::*field, bool skipAfter) {
            for (group = 1; group <= G; ++group) m.groups_[group].*field = in.ReadReal();
            group = 0;
            if (skipAfter) in.SkipLine();
            ++line;
        };
        auto ints = [&](std::int32_t GroupParameters::*field, bool skipAfter) {
            for (group = 1; group <= G; ++group) m.groups_[group].*field = in.ReadInteger();
            group = 0;
            if (skipAfter) in.SkipLine();
            ++line;
        };

        line = 5;
        in.SkipLine();  // "Parameters for Tg"
        line = 6;
        reals(&GroupParameters::f, true);
        reals(&GroupParameters::F, true);
        ints(&GroupParameters::Te, true);
        ints(&GroupParameters::Ta, true);
        ints(&GroupParameters::Tr, true);
        in.SkipLine();  // "Parameters for Pn"
        line = 12;
        reals(&GroupParameters::P0, true);
        ints(&GroupParameters::N, true);
        ints(&GroupParameters::NE, true);
        ints(&GroupParameters::M, true);
        ints(&GroupParameters::Nd, true);
        in.SkipLine();  // "Parameters for A(t)"
        line = 18;
        ints(&GroupParameters::s1, true);
        ints(&GroupParameters::s2, true);
        ints(&GroupParameters::offset, false);
    } catch (const AppError& e) {
        std::string where = "line " + IntText(line);
        if (group > 0) where += ", group " + IntText(static_cast<std::int64_t>(group));
        throw ParameterFileError(e.what(), where);
    }

    m.parametersLoaded_ = true;
    *this = std::move(m);
}

std::string SignalModel::ParameterFileText() const {
    const std::string crlf = "\r\n";
    const auto G = static_cast<std::size_t>(std::max<std::int32_t>(groupCount_, 0));
    std::string out;
    auto intLine = [&](std::int64_t v, const char* label) {
        out += IntText(v) + "\t" + label + crlf;
    };
    auto reals = [&](double GroupParameters::*field, const char* label) {
        for (std::size_t g = 1; g <= G && g < groups_.size(); ++g)
            out += common::FormatParExponent(groups_[g].*field) + "\t";
        out += std::string(label) + crlf;
    };
    auto ints = [&](std::int32_t GroupParameters::*field, const char* label) {
        for (std::size_t g = 1; g <= G && g < groups_.size(); ++g)
            out += IntText(groups_[g].*field) + "\t";
        out += std::string(label) + crlf;
    };
    out += "Parameters for E(t)" + crlf;
    intLine(groupCount_, "G");
    intLine(actualGroup_, "g");
    intLine(crossGroup_, "Crossg");
    out += "Parameters for Tg" + crlf;
    reals(&GroupParameters::f, "f");
    reals(&GroupParameters::F, "F");
    ints(&GroupParameters::Te, "Te");
    ints(&GroupParameters::Ta, "Ta");
    ints(&GroupParameters::Tr, "Tr");
    out += "Parameters for Pn" + crlf;
    reals(&GroupParameters::P0, "P0");
    ints(&GroupParameters::N, "N");
    ints(&GroupParameters::NE, "NE");
    ints(&GroupParameters::M, "M");
    ints(&GroupParameters::Nd, "Nd");
    out += "Parameters for A(t)" + crlf;
    ints(&GroupParameters::s1, "s1");
    ints(&GroupParameters::s2, "s2");
    ints(&GroupParameters::offset, "offset");
    return out;
}

void SignalModel::SaveParameterFile(const std::string& path) const {
    common::WriteFileAtomically(path, ParameterFileText());
}

// --- start-up and multi-step edits -------------------------------------------

StartupReport SignalModel::RunStartupComputations(const std::string& path) {
    StartupReport report;
    parametersLoaded_ = false;
    if (common::FileExists(path)) {
        try {
            LoadParameterFile(path);
        } catch (const AppError& e) {
            report.loadError = e.what();
            SetDefaultParameters();
            parametersLoaded_ = false;
        }
    } else {
        SetDefaultParameters();
    }

    CompleteStartup(&report);
    return report;
}

void SignalModel::CompleteStartup(StartupReport* report) {
    // Groups above 15 can never be shown or take part in E(t): computing
    // them would only cost time and memory (A(t) of a long period is large).
    const std::int32_t usable = std::min(groupCount_, kMaxGroupCount);
    for (std::int32_t i = 1; i <= usable; ++i) {
        try {
            RecomputeGroup(i);
        } catch (const AppError&) {
            if (!report) throw;
        }
    }

    groupCount_ = std::clamp(groupCount_, 1, kMaxGroupCount);
    actualGroup_ = std::clamp(actualGroup_, 1, groupCount_);
    crossGroup_ = std::clamp(crossGroup_, 1, groupCount_);
    initialGroupCount_ = groupCount_;
    if (report) report->computeError = FaultsText();
    eWindowStart_ = 0;
    eWindowEnd_ = kESampleCount;
    parametersChanged_ = !parametersLoaded_;
}

bool SignalModel::ChangeGroupCount(std::int32_t newCount) {
    parametersChanged_ = true;
    groupCount_ = std::clamp(newCount, 1, kMaxGroupCount);
    const bool actualLowered = actualGroup_ > groupCount_;
    if (actualLowered) {
        // As choosing the group does, except that E(t) is computed once, at
        // the end, when the groups it sums are settled.
        SelectActualGroup(groupCount_);
        RecomputeGroup(actualGroup_);
    }
    if (groupCount_ > initialGroupCount_) {
        // Groups that never existed below the new top group (G raised by
        // more than one at once) are set up like it, so no group of zeros
        // takes part in E(t).
        const auto firstNew = static_cast<std::int32_t>(std::max<std::size_t>(groups_.size(), 2));
        ResizeGroupTables(groupCount_);
        for (std::int32_t g = initialGroupCount_ + 1; g <= groupCount_; ++g) {
            const bool existed = g < firstNew;
            if (existed && g != groupCount_) continue;
            const auto i = static_cast<std::size_t>(g);
            if (existed) {
                // The user may have set up this group before: its P0, widths
                // and offset stay, the rest follows the group below.
                CopyPeriodAndMapParameters(groups_[i - 1], groups_[i]);
            } else {
                // Every parameter comes from the group below, so a group that
                // never existed is computable at once (zero widths would make
                // its A(t) undefined).
                groups_[i] = groups_[i - 1];
            }
            withRepetition_[i] = 0;
            try {
                ComputeT(g);
            } catch (const AppError& e) {
                fault_[i] = e.what();  // E(t) names it until the group is mended
                throw;
            }
        }
    }
    ComputeE();
    return actualLowered;
}

GroupState SignalModel::SaveGroupState(std::int32_t g) const {
    CheckGroup(g);
    const auto i = static_cast<std::size_t>(g);
    return {g,         groups_[i], period_[i],         signal_[i], map_[i],
            pHalf_[i], pWhole_[i], withRepetition_[i], fault_[i]};
}

void SignalModel::RestoreGroupState(const GroupState& state) {
    CheckGroup(state.group);
    const auto i = static_cast<std::size_t>(state.group);
    groups_[i] = state.parameters;
    period_[i] = state.T;
    signal_[i] = state.A;
    map_[i] = state.PMap;
    pHalf_[i] = state.PHalf;
    pWhole_[i] = state.PWhole;
    withRepetition_[i] = state.RepetitionFlag;
    fault_[i] = state.fault;
}

void SignalModel::EditGroup(std::int32_t g, const std::function<void()>& edit) {
    const GroupState before = SaveGroupState(g);
    try {
        edit();
    } catch (...) {
        RestoreGroupState(before);
        throw;
    }
}

void SignalModel::SelectActualGroup(std::int32_t g) {
    parametersChanged_ = true;
    actualGroup_ = std::clamp(g, 1, groupCount_);
    crossGroup_ = std::clamp(actualGroup_, 1, initialGroupCount_);
}

void SignalModel::RecomputeActualGroup() {
    // E(t) last: it takes the weights of the group's series as they are now.
    RecomputeGroup(actualGroup_);
    ComputeE();
}

void SignalModel::RecomputeGroup(std::int32_t g) {
    CheckGroup(g);
    std::string& fault = fault_[static_cast<std::size_t>(g)];
    try {
        ComputeT(g);
        ComputePMap(g);
        ComputePSeries(g);
    } catch (const AppError& e) {
        fault = e.what();
        throw;
    }
    fault.clear();
}

const std::string& SignalModel::GroupFault(std::int32_t g) const {
    CheckGroup(g);
    return fault_[static_cast<std::size_t>(g)];
}

std::string SignalModel::FaultsText() const {
    std::string text;
    const std::int32_t last = std::min(groupCount_, StoredGroupCount());
    for (std::int32_t g = 1; g <= last; ++g) {
        const std::string& fault = fault_[static_cast<std::size_t>(g)];
        if (fault.empty()) continue;
        // Each line ends as a message does; the box ends the last one.
        if (!text.empty()) text += text.back() > '.' ? ".\n" : "\n";
        text += GroupFaultMessage(g, fault);
    }
    return text;
}

// --- computations -------------------------------------------------------------

void SignalModel::ComputeT(std::int32_t g) {
    const GroupParameters& p = Parameters(g);
    double q = static_cast<double>(p.NE) * p.F;
    q = common::FloatDivide(q, static_cast<double>(p.N));
    const double d = 1.0 - q;
    const double x = common::FloatDivide(p.f, d);
    // Adding three 32-bit values to a rounded quotient within +-2^62 cannot
    // overflow; such a period is refused anyway, under its own value.
    const std::int64_t limit = std::int64_t{1} << 62;
    const std::int64_t rounded = std::clamp<std::int64_t>(common::Round(x), -limit, limit);
    const std::int64_t period = rounded + static_cast<std::int64_t>(p.Te) + p.Ta + p.Tr;
    if (period < 1) throw AppError(PeriodTooSmallMessage(period));
    if (period > kMaxPeriod) throw AppError(PeriodTooLargeMessage(period));
    // T and A(t) change together: a failing A(t) leaves both as they were.
    GroupSignal samples(p, static_cast<std::int32_t>(period));
    const auto i = static_cast<std::size_t>(g);
    period_[i] = static_cast<std::int32_t>(period);
    signal_[i] = std::move(samples);
    withRepetition_[i] = 0;
}

void SignalModel::ComputeA(std::int32_t g) {
    const GroupParameters& p = Parameters(g);
    const auto i = static_cast<std::size_t>(g);
    withRepetition_[i] = 0;
    signal_[i] = GroupSignal(p, period_[i]);
}

std::int32_t WrappedFactorial(std::int32_t n) {
    // From 34 on the product holds 2^32 as a factor and wraps to 0.
    if (n >= 34) return 0;
    std::int32_t result = 1;
    for (std::int32_t i = 2; i <= n; ++i) result = common::WrapMul32(result, i);
    return result;
}

double MapCoefficient(std::int32_t M, std::int32_t k) {
    const std::int32_t denominator =
        common::WrapMul32(WrappedFactorial(k), WrappedFactorial(common::WrapSub32(M, k)));
    return common::FloatDivide(static_cast<double>(WrappedFactorial(M)),
                               static_cast<double>(denominator));
}

void SignalModel::ComputePMap(std::int32_t g) {
    const GroupParameters& p = Parameters(g);
    ValidateM(p.M);
    const std::int32_t product = common::WrapMul32(common::WrapSub32(p.Nd, p.NE), p.M);
    std::int32_t K = common::RoundToInt(
        common::FloatDivide(static_cast<double>(product), static_cast<double>(p.N)));
    if (K < 0) K = 0;

    // The coefficients do not depend on x; the first that cannot be formed
    // stops the map before anything is stored.
    std::vector<double> coefficient;
    for (std::int32_t k = 0; k <= K; ++k) coefficient.push_back(MapCoefficient(p.M, k));

    std::array<double, kPMapSize> map{};
    for (int i = 1; i <= 99; ++i) {
        const double x = i / 100.0;
        // The sum is a 64-bit value: rounded after every term.
        double S = 0.0;
        for (std::int32_t k = 0; k <= K; ++k)
            S = static_cast<double>(S + IntPower(1.0L - x, p.M - k) *
                                            coefficient[static_cast<std::size_t>(k)] *
                                            IntPower(x, k));
        map[static_cast<std::size_t>(i)] =
            common::CheckFinite(static_cast<double>((1.0L - x) * (1.0L - S)));
    }
    map_[static_cast<std::size_t>(g)] = map;
}

std::vector<SignalModel::MapStep> SignalModel::IterationSteps(std::int32_t g, int count) const {
    const GroupParameters& p = Parameters(g);
    const auto& map = map_[static_cast<std::size_t>(g)];
    std::vector<MapStep> steps;
    steps.reserve(static_cast<std::size_t>(std::max(count, 0)));
    double P = p.P0;
    for (int i = 0; i < count; ++i) {
        // Map values slightly outside 0..1 must not index outside the table.
        const double v = 100.0 * P;
        const int entry = v <= 0.0 ? 0 : v >= 100.0 ? 100 : static_cast<int>(common::Round(v));
        P = map[static_cast<std::size_t>(entry)];
        steps.push_back({entry, P});
    }
    return steps;
}

std::vector<double> SignalModel::Iterate(std::int32_t g, double& half, double& whole) const {
    std::vector<double> series;
    series.reserve(kSeriesSteps);
    series.push_back(Parameters(g).P0);
    const std::vector<MapStep> steps = IterationSteps(g, kSeriesSteps);
    for (std::size_t i = 0; i + 1 < steps.size(); ++i) series.push_back(steps[i].next);
    half = steps.size() > 299 ? steps[299].next : 0.0;
    whole = steps.size() > 300 ? steps[300].next : 0.0;
    return series;
}

std::vector<double> SignalModel::ComputePSeries(std::int32_t g) {
    double half = 0.0;
    double whole = 0.0;
    std::vector<double> series = Iterate(g, half, whole);
    pHalf_[static_cast<std::size_t>(g)] = half;
    pWhole_[static_cast<std::size_t>(g)] = whole;
    return series;
}

std::vector<double> SignalModel::PSeries(std::int32_t g) const {
    double half = 0.0;
    double whole = 0.0;
    return Iterate(g, half, whole);
}

void SignalModel::ComputeE() {
    // A sum that cannot be formed leaves no E(t) behind: nothing stale is
    // drawn or exported as if it were the present one.
    struct Forget {
        SignalModel* model;
        bool done = false;
        ~Forget() {
            if (!done) model->eSignal_.clear();
        }
    } forget{this};
    for (std::int32_t g = 1; g <= groupCount_; ++g) {
        const auto i = static_cast<std::size_t>(g);
        if (i >= period_.size()) throw AppError("Group " + IntText(g) + " does not exist");
        if (!fault_[i].empty()) throw AppError(GroupFaultMessage(g, fault_[i]));
        if (period_[i] > 0 && signal_[i].size() != static_cast<std::size_t>(period_[i]))
            throw AppError("A(t) of group " + IntText(g) + " is not computed");
    }
    std::vector<double> e(static_cast<std::size_t>(kESampleCount) + 1);
    double emax = -1e308;
    double emin = 1e308;
    for (std::int32_t j = 0; j <= kESampleCount; ++j) {
        double sum = 0.0;
        for (std::int32_t g = 1; g <= groupCount_; ++g) {
            const auto i = static_cast<std::size_t>(g);
            const std::int32_t period = period_[i];
            const std::int32_t i1 = common::Mod(10 * j, period);
            const std::int32_t i2 = common::Mod(10 * j + common::Div(period, 2), period);
            sum = sum + signal_[i][static_cast<std::size_t>(i1)] * pHalf_[i] +
                  signal_[i][static_cast<std::size_t>(i2)] * pWhole_[i];
        }
        e[static_cast<std::size_t>(j)] = sum;
        if (j == 0) continue;  // t = 0 is drawn, not part of the range
        if (sum > emax) emax = sum;
        if (sum < emin) emin = sum;
    }
    eSignal_ = std::move(e);
    eMax_ = emax;
    eMin_ = emin;
    forget.done = true;
}

// --- value rules ----------------------------------------------------------------

double LimitF(double F) {
    if (F < 0.1) return 0.1;
    if (F > 1.0) return 1.0;
    return F;
}

double LimitP0(double P0) {
    if (P0 < 0.0) return 0.0;
    if (P0 > 1.0) return 1.0;
    return P0;
}

std::int32_t LimitOffset(std::int32_t offset) { return offset < 0 ? 0 : offset; }

void ValidateM(std::int32_t M) {
    if (M < 0) throw AppError(NegativeMMessage(M));
}

int P0StepPosition(double P0) {
    // 100 * 0.29 is 28.999...: count in hundredths against n / 100 as the
    // arrows store it, so a value they set gives back its own position.
    if (!(P0 > 0.0)) return 0;
    if (P0 >= 1.0) return 100;
    int n = static_cast<int>(common::TruncToInt(100.0 * P0));
    while (n < 100 && (n + 1) / 100.0 <= P0) ++n;
    while (n > 0 && n / 100.0 > P0) --n;
    return n;
}

int P0StepIncrement(int position) { return position <= 10 || position >= 90 ? 1 : 5; }

std::string PeriodTooSmallMessage(std::int64_t T) {
    return "The period T = " + IntText(T) + " ms is too short: T must be at least 1 ms";
}

std::string PeriodTooLargeMessage(std::int64_t T) {
    return "The period T = " + IntText(T) + " ms is too long: T must be at most " +
           IntText(kMaxPeriod) + " ms";
}

std::string GroupFaultMessage(std::int32_t g, const std::string& fault) {
    return "Group " + IntText(g) + " cannot be computed: " + fault;
}

std::string NegativeMMessage(std::int32_t M) {
    return "M = " + IntText(M) + " is not allowed: M must be 0 or more";
}

}  // namespace ecgtrace
