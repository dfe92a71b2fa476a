#include "common/program_folders.h"

#include "common/errors.h"
#include "common/file_io.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace common {

namespace {

std::string installedDataFolder;

}  // namespace

std::string InstalledDataFolder(const std::string& executableFolder, const std::string& program) {
    const QString folder = QDir(QString::fromStdString(executableFolder))
                               .filePath(QStringLiteral(ARRHYTHMICA_DATA_FROM_BIN "/") +
                                         QString::fromStdString(program));
    return QDir::cleanPath(folder).toStdString() + "/";
}

void SetInstalledDataFolder(const std::string& folder) { installedDataFolder = folder; }

std::string CompanionFile(const std::string& name) {
    if (FileExists(name) || installedDataFolder.empty()) return name;
    const std::string installed = installedDataFolder + name;
    return FileExists(installed) ? installed : name;
}

std::string UserDataFolder(const std::string& program) {
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return QDir(base).filePath(QString::fromStdString(program)).toStdString();
}

void EnterWorkingFolder(const std::string& folder) {
    const QString path = QString::fromStdString(folder);
    if (!QDir().mkpath(path) || !QDir::setCurrent(path))
        throw AppError("Cannot use the folder " + folder + ".");
}

std::string AbsolutePath(const std::string& path) {
    return QFileInfo(QString::fromStdString(path)).absoluteFilePath().toStdString();
}

std::string WorkingFolder() { return QDir::currentPath().toStdString(); }

}  // namespace common
