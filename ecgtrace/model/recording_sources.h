#pragma once
// The readers behind OpenRecording, one per library.
#include <memory>
#include <string>

#include "ecgtrace/model/recording.h"

namespace ecgtrace::detail {

// True when the file starts as an EDF or BDF header does.
bool LooksLikeEdf(const std::string& path);
std::unique_ptr<RecordingSource> OpenEdfRecording(const std::string& path);
std::unique_ptr<RecordingSource> OpenBiosigRecording(const std::string& path);

std::string UnreadableRecordingMessage(const std::string& path);

}  // namespace ecgtrace::detail
