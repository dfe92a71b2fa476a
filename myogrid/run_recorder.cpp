#include "myogrid/run_recorder.h"

#include "common/errors.h"
#include "myogrid/engine/run_table.h"

namespace myogrid {

RunRecorder::RunRecorder(const std::string& path, ModelKind kind)
    : path_(path), kind_(kind), file_(QString::fromStdString(path)) {
    if (!file_.open(QIODevice::WriteOnly))
        throw common::AppError("Cannot create file " + path + ". " +
                               file_.errorString().toStdString());
}

void RunRecorder::Begin(std::optional<std::uint64_t> seed) {
    if (begun_) return;
    begun_ = true;
    if (seed) Write(RunSeedLine(*seed));
    Write(RunCsvHeader(kind_));
}

void RunRecorder::Add(const StepReport& step) {
    Begin(std::nullopt);
    Write(RunCsvLine(kind_, step));
}

void RunRecorder::Write(const std::string& line) {
    const auto size = static_cast<qint64>(line.size());
    if (file_.write(line.data(), size) != size)
        throw common::AppError("Cannot write file " + path_ + ". " +
                               file_.errorString().toStdString());
}

void RunRecorder::Finish() {
    Begin(std::nullopt);
    if (!file_.commit())
        throw common::AppError("Cannot write file " + path_ + ". " +
                               file_.errorString().toStdString());
}

}  // namespace myogrid
