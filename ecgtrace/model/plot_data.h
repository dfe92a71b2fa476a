#pragma once
// The values behind each plot, as tables with a header row naming each
// column with its unit: what "Copy data" and "Save data…" give and what
// ecgtrace-batch --format csv writes.
#include <cstdint>

#include <vector>

#include "common/plot_export.h"
#include "ecgtrace/model/analysis_plots.h"
#include "ecgtrace/model/signal_model.h"

namespace ecgtrace {

// t_ms,E: the samples of the drawn window EWindowStart..EWindowEnd (sample
// j at 10*j ms; sample 0 is E at t = 0).
common::DataTable ETable(const SignalModel& model);
// k_ms,A: A(t) of group g, one sample per ms of its period.
common::DataTable ATable(const SignalModel& model, std::int32_t g);
// n,P: the series P_0..P_300 of group g (computing it again stores the same
// PHalf and PWhole).
common::DataTable PSeriesTable(const SignalModel& model, std::int32_t g);
// Pn,Pn+1: the map of group g at Pn = 0, 0.01, ..., 1.
common::DataTable PMapTable(const SignalModel& model, std::int32_t g);
// bin_low,bin_high,fraction: the 15 bins of the histogram of `index`
// (index 0: E(t)).
common::DataTable HistogramTable(const SignalModel& model, std::int32_t index);
// lag_ms,r: the autocorrelation at lags 1..2000 ms (index 0: E(t)).
common::DataTable AutocorrelationTable(const SignalModel& model, std::int32_t index);
// f_Hz,power_dB: the power of rows g1 against g2 in dB below the largest
// over 0..50 Hz; a bin without power has an empty power cell.
common::DataTable PowerSpectrumTable(const SignalModel& model, std::int32_t g1, std::int32_t g2);
// f_Hz,phase_rad: the phase of the cross spectrum at the bins the plot
// marks (amplitude within three decades of the largest).
common::DataTable CrossPhaseTable(const SignalModel& model, std::int32_t g1, std::int32_t g2);

// The same tables of any signal: its samples, its autocorrelation values,
// its power levels.
common::DataTable HistogramTableOf(const std::vector<double>& samples);
common::DataTable HistogramTableFrom(const Histogram& counted);
common::DataTable AutocorrelationTableOf(const std::vector<double>& values);
common::DataTable PowerSpectrumTableOf(const PowerLevels& levels);

}  // namespace ecgtrace
