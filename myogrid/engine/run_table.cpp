#include "myogrid/engine/run_table.h"

#include "common/number_format.h"

namespace myogrid {

std::vector<std::string> RunColumns(ModelKind kind) {
    return {"model_time_ms", "trace1", "trace2",
            kind == ModelKind::Topological ? "active_count" : "mean_amplitude"};
}

std::vector<double> RunRow(ModelKind kind, const StepReport& step) {
    return {static_cast<double>(step.modelTime), step.trace1, step.trace2,
            kind == ModelKind::Topological ? static_cast<double>(step.activeCount)
                                           : step.meanAmplitude};
}

std::string RunCsvHeader(ModelKind kind) { return common::TableLine(RunColumns(kind), ','); }

std::string RunCsvLine(ModelKind kind, const StepReport& step) {
    // The shortest form of a double would write round times as "1e+05".
    std::vector<double> values = RunRow(kind, step);
    values.erase(values.begin());
    return common::IntToText(step.modelTime) + "," + common::TableLine(values, ',');
}

std::string RunSeedLine(std::uint64_t seed) {
    return "# seed=" + common::UnsignedToText(seed) + "\n";
}

void SweepSteps::Add(const StepReport& step) {
    if (steps_.size() >= kMaxSteps) steps_.pop_front();
    steps_.push_back(step);
}

common::DataTable SweepSteps::Table(ModelKind kind) const {
    common::DataTable table;
    table.columns = RunColumns(kind);
    table.rows.reserve(steps_.size());
    for (const StepReport& step : steps_) table.rows.push_back(RunRow(kind, step));
    return table;
}

}  // namespace myogrid
