#pragma once
// The values of a run as a table: one row per step with the model time, the
// two traced values and the number of active cells (block) or the mean
// amplitude (oscillators). The model window's time window, its record of a
// run and myogrid-batch --csv all write these columns.
#include <cstddef>
#include <deque>
#include <string>
#include <vector>

#include "common/plot_export.h"
#include "myogrid/engine/model_engine.h"
#include "myogrid/engine/model_kind.h"

namespace myogrid {

// "model_time_ms", "trace1", "trace2", then "active_count" or "mean_amplitude".
std::vector<std::string> RunColumns(ModelKind kind);
std::vector<double> RunRow(ModelKind kind, const StepReport& step);
// The header line and one line per step, as CSV (LF line ends); the model
// time is written as a whole number.
std::string RunCsvHeader(ModelKind kind);
std::string RunCsvLine(ModelKind kind, const StepReport& step);
// The comment line a run's CSV begins with: "# seed=N".
std::string RunSeedLine(std::uint64_t seed);

// The steps drawn in the time window since it was last cleared: the data
// behind the picture. A sweep of very small steps keeps its latest
// kMaxSteps steps.
class SweepSteps {
public:
    static constexpr std::size_t kMaxSteps = 200000;
    void Clear() { steps_.clear(); }
    void Add(const StepReport& step);
    const std::deque<StepReport>& Steps() const { return steps_; }
    common::DataTable Table(ModelKind kind) const;

private:
    std::deque<StepReport> steps_;
};

}  // namespace myogrid
