#include "myogrid/engine/run_table.h"

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
    return common::TableLine(RunRow(kind, step), ',');
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
