#pragma once
// The record of a run: every step's values written into a CSV file as the
// run goes on, after a first line "# seed=N" when the run is repeated by
// that seed. The file appears, complete, when the record is finished; a
// record given up or failed leaves a former file of that name as it was.
#include <cstdint>
#include <optional>
#include <string>

#include "common/file_io.h"

#include "myogrid/engine/model_engine.h"
#include "myogrid/engine/model_kind.h"

namespace myogrid {

class RunRecorder {
public:
    // Opens the file; throws AppError when it cannot be made.
    RunRecorder(const std::string& path, ModelKind kind);
    // Writes the seed line (when `seed` is given) and the header line,
    // unless a step or an earlier Begin wrote them already.
    void Begin(std::optional<std::uint64_t> seed);
    bool Begun() const { return begun_; }
    void Add(const StepReport& step);  // throws AppError when writing fails
    // Completes the file; throws AppError when it cannot be completed.
    void Finish();
    const std::string& Path() const { return file_.Path(); }

private:
    ModelKind kind_;
    bool begun_ = false;
    common::AtomicFileWriter file_;
};

}  // namespace myogrid
