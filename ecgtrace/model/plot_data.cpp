#include "ecgtrace/model/plot_data.h"

#include <cmath>

#include "common/numeric.h"
#include "ecgtrace/model/analysis_plots.h"

namespace ecgtrace {

common::DataTable ETable(const SignalModel& model) {
    common::DataTable t{{"t_ms", "E"}, {}};
    const std::vector<double>& e = model.ESignal();
    const std::int64_t size = static_cast<std::int64_t>(e.size());
    for (std::int64_t d = std::max<std::int64_t>(model.EWindowStart(), 0);
         d <= model.EWindowEnd() && d < size; ++d)
        t.rows.push_back(
            {10.0 * static_cast<double>(d), common::RequireFinite(e[static_cast<std::size_t>(d)])});
    return t;
}

common::DataTable ATable(const SignalModel& model, std::int32_t g) {
    const GroupSignal& a = model.Signal(g);
    common::DataTable t{{"k_ms", "A"}, {}};
    if (a.size() > GroupSignal::kKeptSignalSamples) {
        // Millions of rows: made while written, from a copy of the signal
        // (the table may outlive an edit of the group).
        t.madeRowCount = a.size();
        t.makeRow = [signal = a](std::size_t k) {
            return std::vector<double>{static_cast<double>(k), common::RequireFinite(signal[k])};
        };
        return t;
    }
    t.rows.reserve(a.size());
    for (std::size_t k = 0; k < a.size(); ++k)
        t.rows.push_back({static_cast<double>(k), common::RequireFinite(a[k])});
    return t;
}

common::DataTable PSeriesTable(const SignalModel& model, std::int32_t g) {
    const std::vector<double> series = model.PSeries(g);
    common::DataTable t{{"n", "P"}, {}};
    for (std::size_t n = 0; n < series.size(); ++n)
        t.rows.push_back({static_cast<double>(n), common::RequireFinite(series[n])});
    return t;
}

common::DataTable PMapTable(const SignalModel& model, std::int32_t g) {
    const auto& map = model.Map(g);
    common::DataTable t{{"Pn", "Pn+1"}, {}};
    for (int i = 0; i < kPMapSize; ++i)
        t.rows.push_back({i / 100.0, common::RequireFinite(map[static_cast<std::size_t>(i)])});
    return t;
}

common::DataTable HistogramTable(const SignalModel& model, std::int32_t index) {
    return HistogramTableFrom(HistogramOf(model, index));
}

common::DataTable HistogramTableOf(const std::vector<double>& samples) {
    common::RequireAllFinite(samples);
    return HistogramTableFrom(CountHistogram(samples));
}

common::DataTable HistogramTableFrom(const Histogram& h) {
    const double width = (h.max - h.min) / kHistogramBins;
    common::DataTable t{{"bin_low", "bin_high", "fraction"}, {}};
    for (int k = 0; k < kHistogramBins; ++k) {
        const double high = k + 1 == kHistogramBins ? h.max : h.min + (k + 1) * width;
        t.rows.push_back({h.min + k * width, high, h.frequency[static_cast<std::size_t>(k)]});
    }
    return t;
}

common::DataTable AutocorrelationTable(const SignalModel& model, std::int32_t index) {
    return AutocorrelationTableOf(AutocorrelationValues(model, index));
}

common::DataTable AutocorrelationTableOf(const std::vector<double>& values) {
    common::DataTable t{{"lag_ms", "r"}, {}};
    for (std::size_t i = 0; i < values.size(); ++i)
        t.rows.push_back({static_cast<double>(i + 1), common::RequireFinite(values[i])});
    return t;
}

common::DataTable PowerSpectrumTable(const SignalModel& model, std::int32_t g1, std::int32_t g2) {
    return PowerSpectrumTableOf(ComputePowerLevels(model, g1, g2));
}

common::DataTable PowerSpectrumTableOf(const PowerLevels& p) {
    common::DataTable t{{"f_Hz", "power_dB"}, {}};
    for (std::size_t k = 0; k < kSpectrumBins; ++k) {
        const double dB = p.silent[k] ? common::DataTable::kNoValue
                                      : 10 * (std::log10(p.amplitude[k]) - p.maxLog);
        t.rows.push_back({static_cast<double>(k), dB});
    }
    return t;
}

common::DataTable CrossPhaseTable(const SignalModel& model, std::int32_t g1, std::int32_t g2) {
    const PowerLevels p = ComputePowerLevels(model, g1, g2);
    common::DataTable t{{"f_Hz", "phase_rad"}, {}};
    for (std::size_t k = 0; k < kSpectrumBins; ++k) {
        if (p.silent[k] || !(p.maxLog - std::log10(p.amplitude[k]) < 3)) continue;
        t.rows.push_back({static_cast<double>(k), std::atan2(p.product[k].im, p.product[k].re)});
    }
    return t;
}

}  // namespace ecgtrace
