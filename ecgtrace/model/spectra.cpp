#include "ecgtrace/model/spectra.h"

#include <cmath>

#include "common/errors.h"
#include "common/number_format.h"
#include "common/numeric.h"

namespace ecgtrace {

TComplex GroupSpectrumBin(const GroupParameters& p, int k) {
    const long double f = static_cast<long double>(k) / 1000.0L;
    const long double s1 = p.s1, s2 = p.s2;
    const long double m1 = p.m1(), m2 = p.m2();
    const TComplex term1 = ComplexScale(
        ComplexExp(ComplexMake(static_cast<double>(-(4 * s1 * f) * (4 * s1 * f)),
                               static_cast<double>(-m1 * f))),
        static_cast<double>(-s1 * f * f));
    const TComplex term2 = ComplexScale(
        ComplexExp(ComplexMake(static_cast<double>(-(4 * s2 * f) * (4 * s2 * f)),
                               static_cast<double>(-m2 * f))),
        static_cast<double>(s2 * f * f));
    const TComplex sum = ComplexAdd(term1, term2);
    return ComplexMultiply(sum, ComplexExp(ComplexMake(0.0, static_cast<double>(p.offset * f))));
}

void ComputeGroupSpectra(SignalModel& model, std::int32_t g1, std::int32_t g2) {
    if (g1 < 1) {
        const auto G = static_cast<std::size_t>(model.GroupCount);
        for (std::size_t i = 1; i <= G; ++i) {
            if (i >= model.GroupSpectra.size() || model.GroupSpectra[i].size() != kSpectrumBins)
                throw common::AppError("The spectrum of group " + common::IntToText(static_cast<std::int64_t>(i)) +
                                       " is not computed");
        }
        std::vector<TComplex> row(kSpectrumBins);
        for (std::size_t k = 0; k < kSpectrumBins; ++k) {
            row[k] = ComplexMake(0, 0);
            for (std::size_t i = 1; i <= G; ++i) row[k] = ComplexAdd(row[k], model.GroupSpectra[i][k]);
        }
        model.GroupSpectra[0] = std::move(row);
        return;
    }
    const GroupParameters& p1 = model.Group(g1);
    const GroupParameters& p2 = model.Group(g2);
    auto& row1 = model.GroupSpectra[static_cast<std::size_t>(g1)];
    auto& row2 = model.GroupSpectra[static_cast<std::size_t>(g2)];
    row1.resize(kSpectrumBins);
    if (g2 != g1) row2.resize(kSpectrumBins);
    for (int k = 0; k < kSpectrumBins; ++k) {
        row1[static_cast<std::size_t>(k)] = GroupSpectrumBin(p1, k);
        row2[static_cast<std::size_t>(k)] = GroupSpectrumBin(p2, k);
    }
    if (model.RepetitionFlag[static_cast<std::size_t>(g1)]) {
        ApplyRepetitionEffect(model, g1);
        if (g2 != g1) ApplyRepetitionEffect(model, g2);
    }
    row1[kSpectrumBins - 1].im = 0.0;
}

void ApplyRepetitionEffect(SignalModel& model, std::int32_t g) {
    model.Group(g);
    const auto i = static_cast<std::size_t>(g);
    auto& row = model.GroupSpectra[i];
    row.resize(kSpectrumBins);
    const double w = std::fabs(model.PHalf[i] - model.PWhole[i]);
    const double F = common::FloatDivide(1000.0, model.T[i]);
    double odd = F;
    double even = 2 * F;
    const double step = 2 * F;
    for (int k = 0; k < kSpectrumBins; ++k) {
        auto& bin = row[static_cast<std::size_t>(k)];
        if (k == common::Round(odd)) {
            bin = ComplexScale(bin, w);
            odd += step;
        } else if (k == common::Round(even)) {
            even += step;
        } else {
            bin = ComplexScale(bin, 1e-100);
        }
    }
}

void ComputeEtAnalysisSpectra(SignalModel& model) {
    model.RepetitionFlag[0] = 1;
    for (std::int32_t i = 1; i <= model.GroupCount; ++i) {
        model.RepetitionFlag[static_cast<std::size_t>(i)] = 1;
        ComputeGroupSpectra(model, i, i);
    }
    ComputeGroupSpectra(model, 0, 0);
}

void RequireFiniteSpectrum(const std::vector<TComplex>& row) {
    for (const TComplex& bin : row) {
        common::RequireFinite(bin.re);
        common::RequireFinite(bin.im);
    }
}

}  // namespace ecgtrace
