#include "ecgtrace/model/spectra.h"

#include <cmath>

#include "common/errors.h"
#include "common/number_format.h"
#include "common/numeric.h"

namespace ecgtrace {

Complex GroupSpectrumBin(const GroupParameters& p, int k) {
    const long double f = static_cast<long double>(k) / 1000.0L;
    const long double s1 = p.s1, s2 = p.s2;
    const long double m1 = p.m1(), m2 = p.m2();
    const Complex term1 =
        ComplexScale(ComplexExp(ComplexMake(static_cast<double>(-(4 * s1 * f) * (4 * s1 * f)),
                                            static_cast<double>(-m1 * f))),
                     static_cast<double>(-s1 * f * f));
    const Complex term2 =
        ComplexScale(ComplexExp(ComplexMake(static_cast<double>(-(4 * s2 * f) * (4 * s2 * f)),
                                            static_cast<double>(-m2 * f))),
                     static_cast<double>(s2 * f * f));
    const Complex sum = ComplexAdd(term1, term2);
    return ComplexMultiply(sum, ComplexExp(ComplexMake(0.0, static_cast<double>(p.offset * f))));
}

void ComputeGroupSpectra(SignalModel& model, std::int32_t g1, std::int32_t g2) {
    if (g1 < 1) {
        const std::int32_t G = model.GroupCount();
        for (std::int32_t i = 1; i <= G; ++i) {
            if (i > model.StoredGroupCount() || model.Spectrum(i).size() != kSpectrumBins)
                throw common::AppError("The spectrum of group " + common::IntToText(i) +
                                       " is not computed");
        }
        std::vector<Complex> row(kSpectrumBins);
        for (std::size_t k = 0; k < kSpectrumBins; ++k) {
            row[k] = ComplexMake(0, 0);
            for (std::int32_t i = 1; i <= G; ++i) row[k] = ComplexAdd(row[k], model.Spectrum(i)[k]);
        }
        model.SetSpectrum(0, std::move(row));
        return;
    }
    const GroupParameters& p1 = model.Parameters(g1);
    const GroupParameters& p2 = model.Parameters(g2);
    std::vector<Complex> row1(kSpectrumBins);
    std::vector<Complex> row2 =
        g2 != g1 ? std::vector<Complex>(kSpectrumBins) : std::vector<Complex>{};
    for (std::size_t k = 0; k < kSpectrumBins; ++k) {
        row1[k] = GroupSpectrumBin(p1, static_cast<int>(k));
        if (g2 != g1) row2[k] = GroupSpectrumBin(p2, static_cast<int>(k));
    }
    model.SetSpectrum(g1, std::move(row1));
    if (g2 != g1) model.SetSpectrum(g2, std::move(row2));
    if (model.WithRepetition(g1)) {
        ApplyRepetitionEffect(model, g1);
        if (g2 != g1) ApplyRepetitionEffect(model, g2);
    }
    std::vector<Complex> first = model.Spectrum(g1);
    first[kSpectrumBins - 1].im = 0.0;
    model.SetSpectrum(g1, std::move(first));
}

void ApplyRepetitionEffect(SignalModel& model, std::int32_t g) {
    std::vector<Complex> row = model.Spectrum(g);
    row.resize(kSpectrumBins);
    const double w = std::fabs(model.PHalf(g) - model.PWhole(g));
    const double F = common::FloatDivide(1000.0, model.Period(g));
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
    model.SetSpectrum(g, std::move(row));
}

void ComputeSumSignalSpectra(SignalModel& model) {
    model.SetRepetition(0, true);
    for (std::int32_t i = 1; i <= model.GroupCount(); ++i) {
        model.SetRepetition(i, true);
        ComputeGroupSpectra(model, i, i);
    }
    ComputeGroupSpectra(model, 0, 0);
}

void RequireFiniteSpectrum(const std::vector<Complex>& row) {
    for (const Complex& bin : row) {
        common::RequireFinite(bin.re);
        common::RequireFinite(bin.im);
    }
}

}  // namespace ecgtrace
