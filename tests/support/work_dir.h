#pragma once
// Runs a test inside a fresh temporary working directory.
#include <QDir>
#include <QTemporaryDir>
#include <string>

namespace testing_support {

class ScopedWorkDir {
public:
    ScopedWorkDir() : previous_(QDir::currentPath()) { QDir::setCurrent(dir_.path()); }
    ~ScopedWorkDir() { QDir::setCurrent(previous_); }
    ScopedWorkDir(const ScopedWorkDir&) = delete;
    ScopedWorkDir& operator=(const ScopedWorkDir&) = delete;
    std::string Path() const { return dir_.path().toStdString(); }
    std::string File(const std::string& name) const { return Path() + "/" + name; }

private:
    QString previous_;
    QTemporaryDir dir_;
};

}  // namespace testing_support
