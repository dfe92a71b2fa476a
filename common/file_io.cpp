#include "common/file_io.h"

#include "common/errors.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

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

void WriteFileAtomically(const std::string& path, const std::string& bytes) {
    QSaveFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly))
        throw AppError("Cannot create file " + path + ". " + file.errorString().toStdString());
    const auto size = static_cast<qint64>(bytes.size());
    if (file.write(bytes.data(), size) != size || !file.commit())
        throw AppError("Cannot write file " + path + ". " + file.errorString().toStdString());
}

}  // namespace common
