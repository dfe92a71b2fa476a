#pragma once
// Starting external programs (the browser, the fractal program) without a
// shell: the program path is taken as it is, blanks included, and the
// arguments are passed one by one.
#include <QString>
#include <QStringList>
#include <QUrl>

namespace myogrid {

class ProcessStarter {
public:
    virtual ~ProcessStarter() = default;
    // Starts `program` with `arguments` in this process's environment and
    // working directory and returns at once: 0 when it started, otherwise
    // the system's error number (2 for a program that does not exist).
    virtual int Start(const QString& program, const QStringList& arguments) = 0;
    // Opens a local page ("/book/V12.HTM#p3.2") with the desktop's default
    // web browser; false when the desktop could not open it.
    virtual bool OpenInDesktopBrowser(const QString& page) = 0;
};

// The real starter. A program name without "/" is looked for along PATH.
// The started program is not a child of ours afterwards, so it is never
// waited for and leaves no zombie.
class SystemProcessStarter : public ProcessStarter {
public:
    int Start(const QString& program, const QStringList& arguments) override;
    bool OpenInDesktopBrowser(const QString& page) override;
};

// The address of a local page with an optional "#anchor" after its path.
QUrl LocalPageUrl(const QString& page);

}  // namespace myogrid
