#include "AccessFileReader.h"

#include "AccessFileCheck.h"
#include "Error.h"
#include "MdbCopy.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <clocale>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace rp {

namespace {

// A reader that says nothing for this long is taken to be stuck in a damaged file.
constexpr int silenceLimitMs = 60000;

QString shown(const QString& path) {
    return QDir::toNativeSeparators(path);
}

// The reading process: stopped and reaped if the parent leaves early (a progress callback that
// throws to cancel).
struct Child {
    pid_t pid;
    int fd;
    bool reaped = false;
    int wait() {
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        reaped = true;
        return status;
    }
    ~Child() {
        ::close(fd);
        if (!reaped) {
            ::kill(pid, SIGKILL);
            wait();
        }
    }
};

[[noreturn]] void runChild(const QByteArray& accessPath, const QByteArray& sqlitePath, int fd) {
    // Numbers the library formats must use '.' whatever the user's locale.
    std::setlocale(LC_ALL, "C");
    // The library's complaints about a damaged file are for its developers; the user gets the
    // one message the parent makes of the outcome.
    const int quiet = ::open("/dev/null", O_WRONLY);
    if (quiet >= 0) {
        ::dup2(quiet, STDOUT_FILENO);
        ::dup2(quiet, STDERR_FILENO);
    }
    _exit(copyMdbToSqlite(accessPath.constData(), sqlitePath.constData(), fd));
}

} // namespace

void readAccessFile(const QString& accessPath, const QString& sqlitePath,
                    const AccessReadProgress& progress) {
    checkAccessFile(accessPath);
    const QByteArray from = QFile::encodeName(accessPath);
    const QByteArray to = QFile::encodeName(sqlitePath);

    int fds[2];
    if (::pipe(fds) != 0)
        throw Error(QStringLiteral("%1 cannot be read: %2")
                        .arg(shown(accessPath), QString::fromLocal8Bit(std::strerror(errno))));
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        throw Error(QStringLiteral("%1 cannot be read: %2")
                        .arg(shown(accessPath), QString::fromLocal8Bit(std::strerror(errno))));
    }
    if (child == 0) {
        ::close(fds[0]);
        runChild(from, to, fds[1]);
    }
    ::close(fds[1]);
    Child reader{child, fds[0]};

    QByteArray pending;
    QString failure;
    bool stuck = false;
    for (;;) {
        pollfd p{fds[0], POLLIN, 0};
        const int ready = ::poll(&p, 1, silenceLimitMs);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready == 0) {
            stuck = true;
            ::kill(child, SIGKILL);
            break;
        }
        char buffer[4096];
        const ssize_t n = ::read(fds[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        pending.append(buffer, n);
        qsizetype end;
        while ((end = pending.indexOf('\n')) >= 0) {
            const QByteArray line = pending.left(end);
            pending.remove(0, end + 1);
            if (line.startsWith('E')) {
                failure = QString::fromUtf8(line.mid(1));
            } else if (line.startsWith('P') && progress) {
                const qsizetype tab = line.indexOf('\t');
                progress(QString::fromUtf8(line.mid(tab + 1)), line.mid(1, tab - 1).toLongLong());
            }
        }
    }
    const int status = reader.wait();

    if (stuck)
        throw Error(QStringLiteral("%1 is damaged: reading it stopped making progress and was "
                                   "given up.")
                        .arg(shown(accessPath)));
    if (WIFSIGNALED(status))
        throw Error(QStringLiteral("%1 is damaged: the Access reader failed on it (signal %2). "
                                   "Repair the file in Access, or use a backup copy.")
                        .arg(shown(accessPath))
                        .arg(WTERMSIG(status)));
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw Error(QStringLiteral("%1 cannot be read: %2")
                        .arg(shown(accessPath), failure.isEmpty()
                                                    ? QStringLiteral("the Access reader failed.")
                                                    : failure));
}

} // namespace rp
