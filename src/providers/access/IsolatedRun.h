#pragma once

#include <QString>
#include <functional>

namespace rp {

// How work run in a child process ended.
struct IsolatedOutcome {
    enum class Kind {
        Finished, // exited; exitCode says how
        Crashed,  // killed by signal
        Stuck     // said nothing for longer than the silence limit, and was killed
    };
    Kind kind = Kind::Finished;
    int exitCode = 0;
    int signal = 0;
    QString failure; // the last "E" line it reported
};

// Runs work in a child process of its own, for a library that may crash or loop on bad input.
// The child's standard output and error go nowhere; work reports on the descriptor it is given,
// in lines: "P<count>\t<name>" reach progress, "E<message>" becomes the outcome's failure; its
// result is the exit code. A progress callback that throws stops the child and passes the
// exception on. A memoryLimit above 0 caps the address space the child may add to what it
// inherits, so that a runaway allocation fails in the child instead of exhausting the machine.
// Throws rp::Error when no process can be started.
IsolatedOutcome runIsolated(const std::function<int(int reportFd)>& work,
                            const std::function<void(const QString& name, qint64 count)>& progress,
                            int silenceLimitMs, qint64 memoryLimit = 0);

// False in an AddressSanitizer build: its allocator reserves terabytes of address space up front
// and aborts when a cap stops it from growing, so there the memory limit is not applied.
constexpr bool memoryLimitApplies() {
#if defined(__SANITIZE_ADDRESS__)
    return false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    return false;
#else
    return true;
#endif
#else
    return true;
#endif
}

} // namespace rp
