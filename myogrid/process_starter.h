#pragma once
// Starting external programs (the browser, the fractal program) without a
// shell: the program path is taken as it is, blanks included, and the
// arguments are passed one by one.
#include <QString>
#include <QStringList>

namespace myogrid {

class ProcessStarter {
public:
    virtual ~ProcessStarter() = default;
    // Starts `program` with `arguments` in this process's environment and
    // working directory and returns at once: 0 when it started, otherwise
    // the system's error number (2 for a program that does not exist).
    virtual int Start(const QString& program, const QStringList& arguments) = 0;
};

// The real starter. A program name without "/" is looked for along PATH.
// The started program is not a child of ours afterwards, so it is never
// waited for and leaves no zombie.
class SystemProcessStarter : public ProcessStarter {
public:
    int Start(const QString& program, const QStringList& arguments) override;
};

}  // namespace myogrid
