#include "myogrid/process_starter.h"

#include <QDesktopServices>

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace myogrid {
namespace {

// Retries a call interrupted by a signal.
template <class Call>
auto Retry(Call call) {
    auto result = call();
    while (result == -1 && errno == EINTR) result = call();
    return result;
}

}  // namespace

int SystemProcessStarter::Start(const QString& program, const QStringList& arguments) {
    // Everything the children need is prepared here: after fork() only
    // exec, write and _exit are called.
    const std::string path = program.toStdString();
    std::vector<std::string> texts{path};
    for (const QString& a : arguments) texts.push_back(a.toStdString());
    std::vector<char*> argv;
    for (std::string& t : texts) argv.push_back(t.data());
    argv.push_back(nullptr);

    // The grandchild reports a failed exec through this pipe; a successful
    // exec closes it (close-on-exec) and the parent reads nothing.
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) return errno;

    const pid_t child = fork();
    if (child < 0) {
        const int error = errno;
        close(pipeFds[0]);
        close(pipeFds[1]);
        return error;
    }
    if (child == 0) {
        // Intermediate child: starts the program and leaves at once, so the
        // program is adopted by init and reaped there.
        const pid_t grandchild = fork();
        if (grandchild == 0) {
            execvp(argv[0], argv.data());
            const int error = errno;
            (void)!write(pipeFds[1], &error, sizeof error);
            _exit(127);
        }
        if (grandchild < 0) {
            const int error = errno;
            (void)!write(pipeFds[1], &error, sizeof error);
        }
        _exit(0);
    }
    close(pipeFds[1]);
    int status = 0;
    Retry([&] { return waitpid(child, &status, 0); });
    int error = 0;
    const ssize_t got = Retry([&] { return read(pipeFds[0], &error, sizeof error); });
    close(pipeFds[0]);
    if (got == static_cast<ssize_t>(sizeof error)) return error != 0 ? error : EIO;
    return 0;
}

QUrl LocalPageUrl(const QString& page) {
    const qsizetype hash = page.indexOf(QLatin1Char('#'));
    QUrl url = QUrl::fromLocalFile(hash < 0 ? page : page.left(hash));
    if (hash >= 0) url.setFragment(page.mid(hash + 1));
    return url;
}

bool SystemProcessStarter::OpenInDesktopBrowser(const QString& page) {
    return QDesktopServices::openUrl(LocalPageUrl(page));
}

}  // namespace myogrid
