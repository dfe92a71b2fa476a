#include "myogrid/run_recorder.h"

#include "common/errors.h"
#include "myogrid/engine/run_table.h"

namespace myogrid {

RunRecorder::RunRecorder(const std::string& path, ModelKind kind) : kind_(kind), file_(path) {}

void RunRecorder::Begin(std::optional<std::uint64_t> seed) {
    if (begun_) return;
    begun_ = true;
    if (seed) file_.Write(RunSeedLine(*seed));
    file_.Write(RunCsvHeader(kind_));
}

void RunRecorder::Add(const StepReport& step) {
    Begin(std::nullopt);
    file_.Write(RunCsvLine(kind_, step));
}

void RunRecorder::Finish() {
    Begin(std::nullopt);
    file_.Commit();
}

}  // namespace myogrid
