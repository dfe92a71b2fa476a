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

std::vector<double> PulsePairSamples(const GroupParameters& p, std::int32_t T) {
    const double m1 = p.m1();
    const double m2 = p.m2();
    const double c1 = static_cast<double>(p.s1) * p.s1 * p.s1;
    const double c2 = static_cast<double>(p.s2) * p.s2 * p.s2;
    std::vector<double> a(static_cast<std::size_t>(T));
    for (std::int32_t k = 0; k < T; ++k) {
        const double t = static_cast<double>(static_cast<std::int64_t>(k) - p.offset);
        const double u1 = common::FloatDivide(t - m1, p.s1);
        const double first =
            common::FloatDivide(std::exp(-u1 * u1 / 2) * (m1 - t), c1 * kSqrt2Pi);
        const double u2 = common::FloatDivide(t - m2, p.s2);
        const double second =
            common::FloatDivide(std::exp(-u2 * u2 / 2) * (t - m2), c2 * kSqrt2Pi);
        a[static_cast<std::size_t>(k)] = second + first;
    }
    return a;
}

template <typename V>
void GrowTo(V& table, std::size_t size) {
    if (table.size() < size) table.resize(size);
}

void ClearGroupTables(SignalModel& m) {
    m.Groups.clear();
    m.T.clear();
    m.A.clear();
    m.PMap.clear();
    m.PHalf.clear();
    m.PWhole.clear();
    m.RepetitionFlag.clear();
    m.GroupSpectra.clear();
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

std::int32_t GroupParameters::m1() const {
    return common::WrapAdd32(Te, common::WrapMul32(3, s1));
}

std::int32_t GroupParameters::m2() const {
    return common::WrapSub32(common::WrapAdd32(Te, Ta), common::WrapMul32(2, s2));
}

// --- model state ------------------------------------------------------------

SignalModel::SignalModel() { SetDefaultParameters(); }

void SignalModel::CheckGroup(std::int32_t g) const {
    if (g < 1 || static_cast<std::size_t>(g) >= Groups.size())
        throw AppError("Group " + IntText(g) + " does not exist");
}

GroupParameters& SignalModel::Group(std::int32_t g) {
    CheckGroup(g);
    return Groups[static_cast<std::size_t>(g)];
}

const GroupParameters& SignalModel::Group(std::int32_t g) const {
    CheckGroup(g);
    return Groups[static_cast<std::size_t>(g)];
}

void SignalModel::SetDefaultParameters() {
    GroupCount = kDefaultGroupCount;
    ActualGroup = 1;
    CrossGroup = 1;
    ClearGroupTables(*this);
    ResizeGroupTables(GroupCount);
    for (std::int32_t g = 1; g <= GroupCount; ++g)
        Groups[static_cast<std::size_t>(g)] = GroupParameters::Defaults();
}

void SignalModel::ResizeGroupTables(std::int32_t groupCount) {
    if (groupCount < 0) return;
    const auto size = static_cast<std::size_t>(groupCount) + 1;
    GrowTo(Groups, size);
    GrowTo(T, size);
    GrowTo(A, size);
    if (PMap.size() < size) PMap.resize(size, std::array<double, kPMapSize>{});
    GrowTo(PHalf, size);
    GrowTo(PWhole, size);
    GrowTo(RepetitionFlag, size);
    GrowTo(GroupSpectra, size);
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
        m.GroupCount = in.ReadInteger();
        in.SkipLine();
        line = 3;
        m.ActualGroup = in.ReadInteger();
        in.SkipLine();
        line = 4;
        m.CrossGroup = in.ReadInteger();
        in.SkipLine();
        // A count that could not be a number of groups is not a readable file.
        line = 2;
        if (m.GroupCount < 1 || m.GroupCount > kMaxFileGroupCount)
            throw AppError(common::kInvalidNumericInput);
        // The file holds every group there is: groups left over from before
        // (the defaults) must not pass for groups that already existed when G
        // is raised later.
        ClearGroupTables(m);
        m.ResizeGroupTables(m.GroupCount);
        const auto G = static_cast<std::size_t>(m.GroupCount);

        auto reals = [&](double GroupParameters::*field, bool skipAfter) {
            for (group = 1; group <= G; ++group) m.Groups[group].*field = in.ReadReal();
            group = 0;
            if (skipAfter) in.SkipLine();
            ++line;
        };
        auto ints = [&](std::int32_t GroupParameters::*field, bool skipAfter) {
            for (group = 1; group <= G; ++group) m.Groups[group].*field = in.ReadInteger();
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

    m.ParametersLoaded = true;
    *this = std::move(m);
}

std::string SignalModel::ParameterFileText() const {
    const std::string crlf = "\r\n";
    const auto G = static_cast<std::size_t>(std::max<std::int32_t>(GroupCount, 0));
    std::string out;
    auto intLine = [&](std::int64_t v, const char* label) {
        out += IntText(v) + "\t" + label + crlf;
    };
    auto reals = [&](double GroupParameters::*field, const char* label) {
        for (std::size_t g = 1; g <= G && g < Groups.size(); ++g)
            out += common::FormatParExponent(Groups[g].*field) + "\t";
        out += std::string(label) + crlf;
    };
    auto ints = [&](std::int32_t GroupParameters::*field, const char* label) {
        for (std::size_t g = 1; g <= G && g < Groups.size(); ++g)
            out += IntText(Groups[g].*field) + "\t";
        out += std::string(label) + crlf;
    };
    out += "Parameters for E(t)" + crlf;
    intLine(GroupCount, "G");
    intLine(ActualGroup, "g");
    intLine(CrossGroup, "Crossg");
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
    ETabActive = false;
    ParametersLoaded = false;
    if (common::FileExists(path)) {
        try {
            LoadParameterFile(path);
        } catch (const AppError& e) {
            report.loadError = e.what();
            SetDefaultParameters();
            ParametersLoaded = false;
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
    const std::int32_t usable = std::min(GroupCount, kMaxGroupCount);
    for (std::int32_t i = 1; i <= usable; ++i) {
        try {
            ComputeT(i);
            ComputePMap(i);
            ComputePSeries(i);
        } catch (const AppError& e) {
            if (!report) throw;
            if (report->computeError.empty()) report->computeError = e.what();
        }
    }

    GroupCount = std::clamp(GroupCount, 1, kMaxGroupCount);
    ActualGroup = std::clamp(ActualGroup, 1, GroupCount);
    CrossGroup = std::clamp(CrossGroup, 1, GroupCount);
    InitialGroupCount = GroupCount;
    EWindowStart = 0;
    EWindowEnd = kESampleCount;
    ParametersChanged = !ParametersLoaded;
}

void SignalModel::ChangeGroupCount(std::int32_t newCount,
                                   const std::function<void(std::int32_t)>& changeActualGroup) {
    ParametersChanged = true;
    GroupCount = std::clamp(newCount, 1, kMaxGroupCount);
    if (ActualGroup > GroupCount) {
        if (changeActualGroup) {
            changeActualGroup(GroupCount);
        } else {
            SelectActualGroup(GroupCount);
            RecomputeActualGroup();
        }
    }
    if (GroupCount > InitialGroupCount) {
        // Groups that never existed below the new top group (G raised by
        // more than one at once) are set up like it, so no group of zeros
        // takes part in E(t).
        const auto firstNew = static_cast<std::int32_t>(std::max<std::size_t>(Groups.size(), 2));
        ResizeGroupTables(GroupCount);
        for (std::int32_t g = InitialGroupCount + 1; g <= GroupCount; ++g) {
            const bool existed = g < firstNew;
            if (existed && g != GroupCount) continue;
            const auto i = static_cast<std::size_t>(g);
            if (existed) {
                // The user may have set up this group before: its P0, widths
                // and offset stay, the rest follows the group below.
                CopyPeriodAndMapParameters(Groups[i - 1], Groups[i]);
            } else {
                // Every parameter comes from the group below, so a group that
                // never existed is computable at once (zero widths would make
                // its A(t) undefined).
                Groups[i] = Groups[i - 1];
            }
            RepetitionFlag[i] = 0;
            ComputeT(g);
        }
    }
    ComputeE();
}

GroupState SignalModel::SaveGroupState(std::int32_t g) const {
    Group(g);
    const auto i = static_cast<std::size_t>(g);
    return {g, Groups[i], T[i], A[i], PMap[i], PHalf[i], PWhole[i], RepetitionFlag[i]};
}

void SignalModel::RestoreGroupState(const GroupState& state) {
    Group(state.group);
    const auto i = static_cast<std::size_t>(state.group);
    Groups[i] = state.parameters;
    T[i] = state.T;
    A[i] = state.A;
    PMap[i] = state.PMap;
    PHalf[i] = state.PHalf;
    PWhole[i] = state.PWhole;
    RepetitionFlag[i] = state.RepetitionFlag;
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
    ParametersChanged = true;
    ActualGroup = std::clamp(g, 1, GroupCount);
    CrossGroup = std::clamp(ActualGroup, 1, InitialGroupCount);
}

void SignalModel::RecomputeActualGroup() {
    ComputeT(ActualGroup);
    ComputeE();
    ComputePMap(ActualGroup);
    ComputePSeries(ActualGroup);
}

// --- computations -------------------------------------------------------------

void SignalModel::ComputeT(std::int32_t g) {
    const GroupParameters& p = Group(g);
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
    std::vector<double> samples = PulsePairSamples(p, static_cast<std::int32_t>(period));
    const auto i = static_cast<std::size_t>(g);
    T[i] = static_cast<std::int32_t>(period);
    A[i] = std::move(samples);
    RepetitionFlag[i] = 0;
}

void SignalModel::ComputeA(std::int32_t g) {
    const GroupParameters& p = Group(g);
    const auto i = static_cast<std::size_t>(g);
    RepetitionFlag[i] = 0;
    A[i] = PulsePairSamples(p, std::max<std::int32_t>(T[i], 0));
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
    const GroupParameters& p = Group(g);
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
    PMap[static_cast<std::size_t>(g)] = map;
}

std::vector<double> SignalModel::ComputePSeries(std::int32_t g) {
    const GroupParameters& p = Group(g);
    const auto& map = PMap[static_cast<std::size_t>(g)];
    std::vector<double> series;
    series.reserve(kSeriesSteps);
    double P = p.P0;
    double half = 0.0;
    double whole = 0.0;
    for (int i = 0; i < kSeriesSteps; ++i) {
        series.push_back(P);
        // Map values slightly outside 0..1 must not index outside the table.
        const double v = 100.0 * P;
        const std::int64_t index = v <= 0.0 ? 0 : v >= 100.0 ? 100 : common::Round(v);
        P = map[static_cast<std::size_t>(index)];
        if (i == 299) half = P;
        if (i == 300) whole = P;
    }
    PHalf[static_cast<std::size_t>(g)] = half;
    PWhole[static_cast<std::size_t>(g)] = whole;
    return series;
}

void SignalModel::ComputeE() {
    for (std::int32_t g = 1; g <= GroupCount; ++g) {
        const auto i = static_cast<std::size_t>(g);
        if (i >= T.size()) throw AppError("Group " + IntText(g) + " does not exist");
        if (T[i] > 0 && A[i].size() != static_cast<std::size_t>(T[i]))
            throw AppError("A(t) of group " + IntText(g) + " is not computed");
    }
    std::vector<double> e(static_cast<std::size_t>(kESampleCount) + 1);
    double emax = -1e308;
    double emin = 1e308;
    for (std::int32_t j = 0; j <= kESampleCount; ++j) {
        double sum = 0.0;
        for (std::int32_t g = 1; g <= GroupCount; ++g) {
            const auto i = static_cast<std::size_t>(g);
            const std::int32_t period = T[i];
            const std::int32_t i1 = common::Mod(10 * j, period);
            const std::int32_t i2 = common::Mod(10 * j + common::Div(period, 2), period);
            sum = sum + A[i][static_cast<std::size_t>(i1)] * PHalf[i] +
                  A[i][static_cast<std::size_t>(i2)] * PWhole[i];
        }
        e[static_cast<std::size_t>(j)] = sum;
        if (j == 0) continue;  // t = 0 is drawn, not part of the range
        if (sum > emax) emax = sum;
        if (sum < emin) emin = sum;
    }
    ESignal = std::move(e);
    EMax = emax;
    EMin = emin;
}

// --- texts ------------------------------------------------------------------------

std::string SignalModel::TGroupText(std::int32_t g) const {
    Group(g);
    return "T for group " + IntText(g) + " = " + IntText(T[static_cast<std::size_t>(g)]);
}

std::string SignalModel::fText(std::int32_t g) const { return common::FormatFixed(Group(g).f, 2); }
std::string SignalModel::FText(std::int32_t g) const { return common::FormatFixed(Group(g).F, 2); }

std::string SignalModel::M1Text(std::int32_t g) const {
    return "m1 = " + common::FormatFixed(Group(g).m1(), 5, 10);
}

std::string SignalModel::M2Text(std::int32_t g) const {
    return "m2 = " + common::FormatFixed(Group(g).m2(), 5, 10);
}

std::string SignalModel::P0Text(std::int32_t g) const { return common::FormatFixed(Group(g).P0, 2); }

std::string SignalModel::PHalfText(std::int32_t g) const {
    Group(g);
    return "p half = " + common::FormatFixed(PHalf[static_cast<std::size_t>(g)], 3);
}

std::string SignalModel::PWholeText(std::int32_t g) const {
    Group(g);
    return "p whole = " + common::FormatFixed(PWhole[static_cast<std::size_t>(g)], 3);
}

std::string SignalModel::EStartText() const { return "E(" + IntText(EWindowStart) + ")"; }
std::string SignalModel::EEndText() const { return "E(" + IntText(EWindowEnd) + ")"; }

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

int UpDownP0Position(double P0) { return static_cast<int>(common::TruncToInt(100.0 * P0)); }

int UpDownP0Increment(int position) { return position <= 10 || position >= 90 ? 1 : 5; }

std::string APanelText(std::int32_t g) { return "elaboration of function A(t) for group " + IntText(g); }
std::string PPanelText(std::int32_t g) { return "elaboration of function P" + IntText(g); }

std::string PeriodTooSmallMessage(std::int64_t T) {
    return "The period T = " + IntText(T) + " ms is too short: T must be at least 1 ms";
}

std::string PeriodTooLargeMessage(std::int64_t T) {
    return "The period T = " + IntText(T) + " ms is too long: T must be at most " +
           IntText(kMaxPeriod) + " ms";
}

std::string NegativeMMessage(std::int32_t M) {
    return "M = " + IntText(M) + " is not allowed: M must be 0 or more";
}

}  // namespace ecgtrace
