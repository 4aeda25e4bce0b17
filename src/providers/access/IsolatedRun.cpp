#include "providers/access/IsolatedRun.h"

#include "core/base/Error.h"

#include <QByteArray>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace rp {

namespace {

// The child: stopped and reaped if the parent leaves early.
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

QString systemError() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

// Caps the calling process's address space at what it already maps plus extra bytes.
void limitAddressSpace(qint64 extra) {
    long pages = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld", &pages) != 1)
            pages = 0;
        std::fclose(statm);
    }
    const rlim_t limit = rlim_t(pages) * rlim_t(::sysconf(_SC_PAGESIZE)) + rlim_t(extra);
    const rlimit cap{limit, limit};
    ::setrlimit(RLIMIT_AS, &cap);
}

} // namespace

IsolatedOutcome runIsolated(const std::function<int(int reportFd)>& work,
                            const std::function<void(const QString& name, qint64 count)>& progress,
                            int silenceLimitMs, qint64 memoryLimit) {
    int fds[2];
    // Close-on-exec: a process another thread starts meanwhile must not hold the pipe open.
    if (::pipe2(fds, O_CLOEXEC) != 0)
        throw Error(QStringLiteral("No process can be started: %1").arg(systemError()));
    const pid_t pid = ::fork();
    if (pid < 0) {
        const QString error = systemError();
        ::close(fds[0]);
        ::close(fds[1]);
        throw Error(QStringLiteral("No process can be started: %1").arg(error));
    }
    if (pid == 0) {
        ::close(fds[0]);
        // A crash must end the child at once, whatever handler the parent installed.
        for (int sig : {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT})
            std::signal(sig, SIG_DFL);
        const int quiet = ::open("/dev/null", O_WRONLY);
        if (quiet >= 0) {
            ::dup2(quiet, STDOUT_FILENO);
            ::dup2(quiet, STDERR_FILENO);
        }
        if (memoryLimit > 0 && memoryLimitApplies())
            limitAddressSpace(memoryLimit);
        _exit(work(fds[1]));
    }
    ::close(fds[1]);
    Child child{pid, fds[0]};

    IsolatedOutcome outcome;
    QByteArray pending;
    for (;;) {
        pollfd p{fds[0], POLLIN, 0};
        const int ready = ::poll(&p, 1, silenceLimitMs);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready == 0) {
            outcome.kind = IsolatedOutcome::Kind::Stuck;
            ::kill(pid, SIGKILL);
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
                outcome.failure = QString::fromUtf8(line.mid(1));
            } else if (line.startsWith('P') && progress) {
                const qsizetype tab = line.indexOf('\t');
                if (tab > 0)
                    progress(QString::fromUtf8(line.mid(tab + 1)),
                             line.mid(1, tab - 1).toLongLong());
            }
        }
    }
    const int status = child.wait();
    if (outcome.kind == IsolatedOutcome::Kind::Stuck)
        return outcome;
    if (WIFSIGNALED(status)) {
        outcome.kind = IsolatedOutcome::Kind::Crashed;
        outcome.signal = WTERMSIG(status);
    } else {
        outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    return outcome;
}

} // namespace rp
