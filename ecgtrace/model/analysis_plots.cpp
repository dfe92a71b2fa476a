#include "ecgtrace/model/analysis_plots.h"

#include <cmath>

#include "common/errors.h"
#include "common/number_format.h"
#include "common/numeric.h"
#include "ecgtrace/model/spectra.h"

namespace ecgtrace {

namespace {

constexpr double kPi = 3.14159265358979323846;

int Rnd(double x) { return common::RoundToInt(x); }

std::string IntText(std::int64_t v) { return common::IntToText(v); }

void Clear(common::PlotSurface& s) {
    s.SetPenColor(common::kTeal);
    s.SetBrushColor(common::kYellow);
    s.Rectangle(0, 0, s.Width(), s.Height());
}

std::string SignalName(std::int32_t index) {
    return index == 0 ? std::string("Et") : "At(" + IntText(index) + ")";
}

const std::vector<Complex>& SpectrumRow(const SignalModel& model, std::int32_t g) {
    const std::int32_t i = g < 1 ? 0 : g;
    if (i > model.StoredGroupCount() || model.Spectrum(i).size() != kSpectrumBins)
        throw common::AppError("The spectrum of " + SignalName(i) + " is not computed");
    RequireFiniteSpectrum(model.Spectrum(i));  // rows are only read to be drawn
    return model.Spectrum(i);
}

// Where a text that should start at `x` goes so it stays whole inside the
// plot's frame: moved left when it would run past the right border, but not
// left of `lowestX`; a text too long even then stays at `x`.
int WholeTextX(const common::PlotSurface& s, int x, const std::string& text, int lowestX) {
    const int width = s.TextWidth(text);
    if (x + width <= s.Width()) return x;
    const int moved = s.Width() - 1 - width;  // ends left of the frame's border
    return moved >= lowestX ? moved : x;
}

// Plot titles may start anywhere right of the frame's left border. One too
// long for the frame even so (two-digit groups in a cross spectrum) is
// written in the narrow cut of the plot font, whole.
void WriteTitle(common::PlotSurface& s, int x, int y, const std::string& title) {
    if (s.TextWidth(title) <= s.Width() - 2) {
        s.TextOut(WholeTextX(s, x, title, 1), y, title);
        return;
    }
    const QFont usual = s.Font();
    QFont narrow = usual;
    narrow.setFamily(QStringLiteral("Liberation Sans Narrow"));
    s.SetFont(narrow);
    s.TextOut(WholeTextX(s, x, title, 1), y, title);
    s.SetFont(usual);
}

}  // namespace

// --- values -----------------------------------------------------------------------

std::vector<double> HistogramSamples(const SignalModel& model, std::int32_t index) {
    if (index == 0) {
        const std::vector<double>& e = model.ESignal();
        if (e.size() < 2) return {};
        return std::vector<double>(e.begin() + 1, e.end());
    }
    if (index < 1 || index > model.StoredGroupCount()) return {};
    return model.Signal(index).ToVector();
}

namespace {

template <typename Samples>
Histogram CountSamples(const Samples& samples) {
    Histogram h;
    for (double x : samples) {
        if (h.min > x) h.min = x;
        if (h.max < x) h.max = x;
    }
    const double width = (h.max - h.min) / kHistogramBins;
    std::array<double, kHistogramBins> count{};
    for (double x : samples) {
        std::int64_t k = 1;
        if (width > 0) {
            // Clamp before converting: the quotient lies within 0..15 anyway.
            const double q = (x - h.min) / width;
            k = q >= kHistogramBins ? kHistogramBins : common::Trunc(q) + 1;
        }
        if (k < 1) k = 1;
        if (k > kHistogramBins) k = kHistogramBins;
        count[static_cast<std::size_t>(k - 1)] += 1;
    }
    if (!samples.empty())
        for (std::size_t k = 0; k < count.size(); ++k)
            h.frequency[k] = count[k] / static_cast<double>(samples.size());
    return h;
}

}  // namespace

Histogram CountHistogram(const std::vector<double>& samples) { return CountSamples(samples); }

template <typename Signal>
requires std::same_as<Signal, GroupSignal> Histogram CountHistogram(const Signal& samples) {
    return CountSamples(samples);
}
template Histogram CountHistogram<GroupSignal>(const GroupSignal&);

Histogram HistogramOf(const SignalModel& model, std::int32_t index) {
    if (index >= 1 && index <= model.StoredGroupCount()) {
        const GroupSignal& a = model.Signal(index);
        common::RequireAllFinite(a);
        return CountHistogram(a);
    }
    const std::vector<double> samples = HistogramSamples(model, index);
    common::RequireAllFinite(samples);
    return CountHistogram(samples);
}

std::vector<double> AutocorrelationValues(const SignalModel& model, std::int32_t index) {
    struct Term {
        double period;
        double weight;
    };
    std::vector<Term> terms;
    double norm = 0.0;
    auto add = [&](std::int32_t g) {
        const double w = std::fabs(model.PHalf(g) - model.PWhole(g));
        terms.push_back({static_cast<double>(model.Period(g)), w});
        norm += 1.0 + w;
    };
    if (index >= 1) {
        add(index);
    } else {
        for (std::int32_t g = 1; g <= model.GroupCount(); ++g) add(g);
    }
    std::vector<double> values;
    values.reserve(kAutocorrelationLags);
    for (int tau = 1; tau <= kAutocorrelationLags; ++tau) {
        double v = 0.0;
        for (const Term& t : terms)
            v += std::cos(common::FloatDivide(4 * kPi * tau, t.period)) +
                 t.weight * std::cos(common::FloatDivide(2 * kPi * tau, t.period));
        values.push_back(common::FloatDivide(v, norm));
    }
    return values;
}

PowerLevels ComputePowerLevels(const SignalModel& model, std::int32_t g1, std::int32_t g2) {
    return ComputePowerLevels(SpectrumRow(model, g1), SpectrumRow(model, g2));
}

PowerLevels ComputePowerLevels(const std::vector<Complex>& row1, const std::vector<Complex>& row2) {
    if (row1.size() != kSpectrumBins || row2.size() != kSpectrumBins)
        throw common::AppError("The spectrum is not computed");
    RequireFiniteSpectrum(row1);
    RequireFiniteSpectrum(row2);
    PowerLevels p;
    p.maxLog = -1e308;
    for (std::size_t k = 0; k < kSpectrumBins; ++k) {
        p.product[k] = ComplexConjProduct(row1[k], row2[k]);
        // Two large finite bins may still multiply beyond the double range.
        common::RequireFinite(p.product[k].re);
        common::RequireFinite(p.product[k].im);
        double a = ComplexAmplitude(p.product[k]);
        p.silent[k] = !(a > 0);
        if (p.silent[k]) a = 1e-300;
        p.amplitude[k] = a;
        const double l = std::log10(a);
        if (l > p.maxLog) p.maxLog = l;
    }
    return p;
}

// --- texts ----------------------------------------------------------------------------

std::string HistogramTitle(std::int32_t index) {
    return "amplitudehistogram of " + SignalName(index);
}

std::string AutocorrelationTitle(std::int32_t index) {
    return "autocorrelation of " + SignalName(index);
}

std::string PowerSpectrumTitle(std::int32_t g1, std::int32_t g2) {
    if (g1 == g2)
        return g1 < 1 ? std::string("autopowerspectrum of Et")
                      : "autopowerspectrum of At(" + IntText(g1) + ")";
    return "crosspowerspectrum of At(" + IntText(g1) + ") versus At(" + IntText(g2) + ")";
}

std::string CrossPhaseTitle(std::int32_t g1, std::int32_t g2) {
    return "cross phase spectrum of A(" + IntText(g1) + ") versus A(" + IntText(g2) + ")";
}

std::string RepetitionText(bool withRepetition) {
    return withRepetition ? "with repetition" : "  no repetition";
}

// --- drawings -----------------------------------------------------------------------

void DrawHistogram(const SignalModel& model, std::int32_t index, common::PlotSurface& s) {
    DrawCountedHistogram(HistogramOf(model, index), HistogramTitle(index), s);
}

void DrawHistogramOf(const std::vector<double>& samples, const std::string& title,
                     common::PlotSurface& s) {
    common::RequireAllFinite(samples);  // checked before anything is drawn
    DrawCountedHistogram(CountHistogram(samples), title, s);
}

void DrawCountedHistogram(const Histogram& h, const std::string& title, common::PlotSurface& s) {
    const int W = s.Width();
    const int H = s.Height();
    const double bw = (W - 60) / static_cast<double>(kHistogramBins);
    const double hh = H - 50;
    const int hb = Rnd(hh);

    Clear(s);
    s.SetBrushColor(common::kTeal);
    for (int k = 1; k <= kHistogramBins; ++k) {
        const double f = h.frequency[static_cast<std::size_t>(k - 1)];
        s.Rectangle(Rnd((k - 1) * bw) + 20, Rnd((1 - f) * hh) + 10, Rnd(k * bw) + 19, hb + 10);
    }
    s.SetBrushColor(common::kYellow);
    s.MoveTo(20, 10);
    s.LineTo(20, hb + 10);
    s.LineTo(W - 20, hb + 10);
    const std::string minText = common::FormatGeneral(h.min, 3);
    const std::string maxText = common::FormatGeneral(h.max, 3);
    s.TextOut(20, hb + 15, minText);
    // The largest value moves left to stay whole, never onto the smallest.
    s.TextOut(WholeTextX(s, W - 35, maxText, 20 + s.TextWidth(minText) + 4), hb + 15, maxText);
    s.TextOut(5, 15, "1");
    s.TextOut(5, hb - 5, "0");
    s.TextOut(15, 1, "freq.");
    WriteTitle(s, 20, H - 15, title);
}

void DrawAutocorrelation(const SignalModel& model, std::int32_t index, common::PlotSurface& s) {
    DrawAutocorrelationOf(AutocorrelationValues(model, index), AutocorrelationTitle(index), s);
}

void DrawAutocorrelationOf(const std::vector<double>& values, const std::string& title,
                           common::PlotSurface& s) {
    common::RequireAllFinite(values);
    if (values.size() != kAutocorrelationLags)
        throw common::AppError("The autocorrelation is not computed");
    Clear(s);
    // Fixed pixel positions: 10 ms per column, 100 pixels per unit.
    s.MoveTo(20, 10);
    for (int tau = 1; tau <= kAutocorrelationLags; ++tau)
        s.LineTo(tau / 10 + 20, 110 - Rnd(100 * values[static_cast<std::size_t>(tau - 1)]));
    s.MoveTo(15, 10);
    s.LineTo(20, 10);
    s.LineTo(20, 210);
    s.LineTo(15, 210);
    s.MoveTo(15, 110);
    s.LineTo(220, 110);
    s.TextOut(8, 5, "1");
    s.TextOut(8, 105, "0");
    s.TextOut(5, 205, "-1");
    s.TextOut(20, 210, "0");
    s.TextOut(210, 210, "2 s");
    WriteTitle(s, 20, s.Height() - 15, title);
}

void DrawPowerSpectrum(const SignalModel& model, std::int32_t g1, std::int32_t g2,
                       common::PlotSurface& s) {
    DrawPowerLevels(ComputePowerLevels(model, g1, g2), RepetitionText(model.WithRepetition(g1)),
                    PowerSpectrumTitle(g1, g2), s);
}

void DrawPowerLevels(const PowerLevels& p, const std::string& repetition, const std::string& title,
                     common::PlotSurface& s) {
    const int W = s.Width();
    const int H = s.Height();
    const double xs = 50.0 / (W - 40);
    const double ys = (H - 50) / 30.0;
    const int base = Rnd(30 * ys);

    Clear(s);
    s.MoveTo(20, base + 10);
    for (int k = 0; k < kSpectrumBins; ++k) {
        const double d = 10 * (p.maxLog - std::log10(p.amplitude[static_cast<std::size_t>(k)]));
        const int x = Rnd(k / xs) + 20;
        if (d > 30 || p.silent[static_cast<std::size_t>(k)])
            s.LineTo(x, base + 10);
        else
            s.LineTo(x, Rnd(d * ys) + 10);
    }
    s.MoveTo(20, 10);
    s.LineTo(20, base + 10);
    s.LineTo(W - 20, base + 10);
    s.TextOut(20, base + 15, "0");
    for (int i = 0; i <= 10; ++i) {
        const int x = Rnd((5 * i) / xs) + 20;
        s.MoveTo(x, base + 15);
        s.LineTo(x, base + 10);
    }
    s.TextOut(W - 35, base + 15, "50 Hz");
    for (int i = 0; i <= 3; ++i) {
        const int y = Rnd(10 * i * ys) + 10;
        s.MoveTo(15, y);
        s.LineTo(20, y);
        // Appended, not "-" + text: GCC 12 warns falsely (-Wrestrict) on that.
        std::string label = i == 0 ? "0" : "-";
        if (i != 0) label.append(IntText(10 * i));
        s.TextOut(5, y - 5, label);
    }
    s.TextOut(15, 1, "db");
    s.TextOut(W - s.TextWidth(repetition) - 5, 1, repetition);
    WriteTitle(s, 20, 185, title);
}

void DrawCrossPhase(const SignalModel& model, std::int32_t g1, std::int32_t g2,
                    common::PlotSurface& s) {
    const PowerLevels p = ComputePowerLevels(model, g1, g2);
    const int W = s.Width();
    const int H = s.Height();
    const double xs = 50.0 / (W - 40);
    const double yr = (H - 50) / (2 * kPi);
    const int hx = s.TextHeight("x") / 2;

    Clear(s);
    for (int k = 0; k < kSpectrumBins; ++k) {
        const auto i = static_cast<std::size_t>(k);
        // Only bins within three decades of the strongest carry a phase.
        if (!p.silent[i] && p.maxLog - std::log10(p.amplitude[i]) < 3) {
            const double phi = std::atan2(p.product[i].im, p.product[i].re);
            s.TextOut(Rnd(k / xs) + 20, Rnd((kPi - phi) * yr) + 10 - hx, "x");
        }
    }
    s.MoveTo(15, 10);
    s.LineTo(20, 10);
    s.LineTo(20, 210);
    s.LineTo(15, 210);
    s.MoveTo(15, 110);
    s.LineTo(220, 110);
    s.TextOut(8, 5, "pi");
    s.TextOut(8, 105, "0");
    s.TextOut(5, 205, "-pi");
    for (int i = 0; i <= 10; ++i) {
        const int x = Rnd((5 * i) / xs) + 20;
        s.MoveTo(x, 110);
        s.LineTo(x, 115);
    }
    s.TextOut(W - 35, 125, "50 Hz");
    WriteTitle(s, 20, H - 15, CrossPhaseTitle(g1, g2));
}

}  // namespace ecgtrace
