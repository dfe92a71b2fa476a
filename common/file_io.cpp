#include "common/file_io.h"

#include "common/errors.h"

#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <locale.h>
#include <climits>
#include <cstdio>
#include <system_error>

namespace common {

bool FileExists(const std::string& path) {
    return !path.empty() && QFileInfo(QString::fromStdString(path)).isFile();
}

std::string ReadWholeFile(const std::string& path) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) throw AppError(CannotOpenFileMessage(path));
    const QByteArray bytes = file.readAll();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

std::string ReadFileStart(const std::string& path, std::int64_t maxBytes, bool& complete) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) throw AppError(CannotOpenFileMessage(path));
    // One byte more than allowed tells a longer file from one of exactly maxBytes.
    const QByteArray bytes = file.read(maxBytes + 1);
    complete = bytes.size() <= maxBytes;
    const auto kept = static_cast<std::size_t>(complete ? bytes.size() : maxBytes);
    return std::string(bytes.constData(), kept);
}

std::string ReadFileStart(const std::string& path, std::size_t limit) {
    bool complete = false;
    return ReadFileStart(path, static_cast<std::int64_t>(limit), complete);
}

namespace {

std::function<int(WriteStage)>& FaultHook() {
    static std::function<int(WriteStage)> hook;
    return hook;
}

// The errno value a stage fails with: the hook's, else the system's.
int Fault(WriteStage stage) { return FaultHook() ? FaultHook()(stage) : 0; }

// The system's reason in English, as the rest of every message, whatever the
// language of the desktop.
std::string Reason(int error) {
    static const locale_t english = newlocale(LC_ALL_MASK, "C", locale_t(0));
    if (english != locale_t(0)) return strerror_l(error, english);
    return std::system_category().message(error);
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The path behind a chain of symbolic links; the path itself when it is no
// link or does not exist. Loops end with ELOOP like the system's own.
std::string FollowLinks(const std::string& path, int& error) {
    std::string current = path;
    for (int depth = 0; depth < 40; ++depth) {
        struct stat info {};
        if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return current;
        std::string link(PATH_MAX, '\0');
        const ssize_t n = ::readlink(current.c_str(), link.data(), link.size());
        if (n < 0) {
            error = errno;
            return current;
        }
        link.resize(static_cast<std::size_t>(n));
        current = link.starts_with('/') ? link : FolderOf(current) + "/" + link;
    }
    error = ELOOP;
    return current;
}

bool WriteAll(int fd, std::string_view bytes, int& error) {
    while (!bytes.empty()) {
        if ((error = Fault(WriteStage::Write)) != 0) return false;
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            error = errno;
            return false;
        }
        if (n == 0) {
            error = ENOSPC;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

}  // namespace

AtomicFileWriter::AtomicFileWriter(const std::string& path) : path_(path) {
    const auto refuse = [this](int error) {
        throw AppError("Cannot create file " + path_ + ". " + Reason(error));
    };
    if (path.empty()) refuse(ENOENT);
    if (const int error = Fault(WriteStage::Open)) refuse(error);
    int linkError = 0;
    target_ = FollowLinks(path, linkError);
    if (linkError != 0) refuse(linkError);

    struct stat info {};
    const bool exists = ::stat(target_.c_str(), &info) == 0;
    if (exists && (S_ISCHR(info.st_mode) || S_ISFIFO(info.st_mode))) {
        // Written in place: a FIFO without a reader is refused at once
        // instead of waiting for one.
        fd_ = ::open(target_.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd_ < 0) refuse(errno);
        const int flags = ::fcntl(fd_, F_GETFL);
        if (flags < 0 || ::fcntl(fd_, F_SETFL, flags & ~O_NONBLOCK) != 0) {
            const int error = errno;
            ::close(fd_);
            fd_ = -1;
            refuse(error);
        }
        direct_ = true;
        return;
    }
    if (exists && S_ISDIR(info.st_mode)) refuse(EISDIR);
    if (exists && !S_ISREG(info.st_mode))
        throw AppError("Cannot create file " + path_ + ". Not a regular file");

    // A new name beside the target; the mode 0666 lets the umask decide as
    // for any new file.
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
        temporary_ = FolderOf(target_) + "/." + NameOf(target_) + "." + std::to_string(::getpid()) +
                     "-" + std::to_string(counter++) + ".tmp";
        fd_ = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ < 0 && errno != EEXIST) {
            const int error = errno;
            temporary_.clear();
            refuse(error);
        }
    }
    if (fd_ < 0) {
        temporary_.clear();
        refuse(EEXIST);
    }
    if (exists) {
        // The replaced file's permissions (and, for root, its owner) stay.
        if (::geteuid() == 0 && ::fchown(fd_, info.st_uid, info.st_gid) != 0) {
        }
        if (::fchmod(fd_, info.st_mode & 07777) != 0) {
        }
    }
}

AtomicFileWriter::~AtomicFileWriter() {
    if (!done_) Discard();
}

void AtomicFileWriter::Discard() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!temporary_.empty()) ::unlink(temporary_.c_str());
    done_ = true;
}

void AtomicFileWriter::Fail(int error) {
    Discard();
    throw AppError("Cannot write file " + path_ + ". " + Reason(error));
}

void AtomicFileWriter::Write(std::string_view bytes) {
    if (done_) throw AppError("Cannot write file " + path_ + ". " + Reason(EBADF));
    // Small pieces (one line of a run) are gathered into blocks.
    constexpr std::size_t kBlockBytes = 64 * 1024;
    if (buffer_.size() + bytes.size() < kBlockBytes) {
        buffer_ += bytes;
        return;
    }
    Flush();
    int error = 0;
    if (!WriteAll(fd_, bytes, error)) Fail(error);
}

void AtomicFileWriter::Flush() {
    int error = 0;
    const bool written = WriteAll(fd_, buffer_, error);
    buffer_.clear();
    if (!written) Fail(error);
}

void AtomicFileWriter::Commit() {
    if (done_) throw AppError("Cannot write file " + path_ + ". " + Reason(EBADF));
    Flush();
    int error = Fault(WriteStage::Sync);
    // A device or FIFO may not know how to sync: that is no failure.
    if (error == 0 && ::fsync(fd_) != 0 && !(direct_ && (errno == EINVAL || errno == EROFS)))
        error = errno;
    if (error != 0) Fail(error);
    error = Fault(WriteStage::Close);
    const int closed = ::close(fd_);
    fd_ = -1;
    if (error == 0 && closed != 0) error = errno;
    if (error != 0) Fail(error);
    if (!direct_) {
        error = Fault(WriteStage::Rename);
        if (error == 0 && std::rename(temporary_.c_str(), target_.c_str()) != 0) error = errno;
        if (error != 0) Fail(error);
        temporary_.clear();
        // The new name itself reaches the disk; a folder that cannot be
        // synced leaves the file written all the same.
        const int folder = ::open(FolderOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (folder >= 0) {
            ::fsync(folder);
            ::close(folder);
        }
    }
    done_ = true;
}

void WriteFileAtomically(const std::string& path, const std::string& bytes) {
    AtomicFileWriter file(path);
    file.Write(bytes);
    file.Commit();
}

void WriteStandardOutput(std::string_view bytes) {
    int error = 0;
    if (!WriteAll(STDOUT_FILENO, bytes, error))
        throw AppError("Cannot write to standard output. " + Reason(error));
}

void SetWriteFaultHookForTesting(std::function<int(WriteStage)> hook) {
    FaultHook() = std::move(hook);
}

}  // namespace common
