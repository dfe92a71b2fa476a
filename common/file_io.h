#pragma once
// Whole-file reading and atomic replacement of files.
#include <cstddef>
#include <cstdint>
#include <string>

namespace common {

bool FileExists(const std::string& path);

// Reads the whole file; throws AppError("Cannot open file %s") when it
// cannot be opened.
std::string ReadWholeFile(const std::string& path);

// Reads at most `maxBytes` from the start of the file, so no file, however
// large or endless, costs more; `complete` tells whether that was all of it.
// Throws like ReadWholeFile.
std::string ReadFileStart(const std::string& path, std::int64_t maxBytes, bool& complete);
// The same without telling whether the file was longer.
std::string ReadFileStart(const std::string& path, std::size_t limit);

// Writes `bytes` to a temporary file beside `path` and renames it over
// `path`, so a failed write never destroys the previous file. Throws AppError
// with the system's message on failure.
void WriteFileAtomically(const std::string& path, const std::string& bytes);

}  // namespace common
