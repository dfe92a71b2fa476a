#pragma once
// Whole-file reading and atomic replacement of files.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

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
// `path`, so a failed write never destroys the previous file. Every write,
// the flush to the disk, the close and the rename are checked; on failure
// the temporary file is removed and AppError names the system's reason
// ("Cannot write file x.png. No space left on device"). A symbolic link is
// followed: the file behind it is replaced and the link stays. A character
// device or a FIFO is written directly, never replaced; any other target
// that is not a regular file (a folder, a block device) is refused.
void WriteFileAtomically(const std::string& path, const std::string& bytes);

// The same for output produced piece by piece (long tables, the record of a
// run): the pieces go to the temporary file as they come, and the target
// appears, complete, at Commit. Destroyed without Commit, the writer removes
// its temporary file and leaves the target as it was.
class AtomicFileWriter {
public:
    explicit AtomicFileWriter(const std::string& path);  // throws AppError
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    void Write(std::string_view bytes);  // throws AppError
    void Commit();                       // throws AppError; once only
    const std::string& Path() const { return path_; }

private:
    [[noreturn]] void Fail(int error);
    void Flush();
    void Discard();
    std::string path_;       // as the user named it
    std::string target_;     // the file finally written (links followed)
    std::string temporary_;  // empty when writing into the target directly
    std::string buffer_;
    int fd_ = -1;
    bool direct_ = false;  // a device or FIFO written in place
    bool done_ = false;
};

// Writes `bytes` to standard output, every write checked; throws AppError.
void WriteStandardOutput(std::string_view bytes);

// The stages of a write, for tests that simulate a failing disk.
enum class WriteStage { Open, Write, Sync, Close, Rename };
// Tests only: a hook asked before every stage; a non-zero return is taken as
// that stage failing with this errno value. An empty function removes it.
void SetWriteFaultHookForTesting(std::function<int(WriteStage)> hook);

}  // namespace common
