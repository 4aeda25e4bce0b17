#include "core/base/Error.h"
#include "providers/access/IsolatedRun.h"

#include <QTest>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <unistd.h>
#include <vector>

using namespace rp;

namespace {

void say(int fd, const char* line) {
    [[maybe_unused]] const ssize_t n = ::write(fd, line, std::strlen(line));
}

// What a child does, by name.
int behave(const QString& how, int fd) {
    if (how == QLatin1String("crash"))
        std::raise(SIGSEGV);
    if (how == QLatin1String("abort"))
        std::abort();
    if (how == QLatin1String("hang"))
        ::pause();
    if (how == QLatin1String("fail")) {
        say(fd, "P3\tfirst\nEThe table x cannot be read.\n");
        return 2;
    }
    if (how == QLatin1String("noisy")) {
        // Its own output goes nowhere; only the report line counts.
        say(STDOUT_FILENO, "P9\tstdout\n");
        say(STDERR_FILENO, "warning: page 12\n");
    }
    say(fd, "P5000\tOrders\nP8");
    say(fd, "30\tOrders\nP2\tUms\xc3\xa4tze\n");
    return 0;
}

} // namespace

class TestIsolatedRun : public QObject {
    Q_OBJECT
private slots:
    void outcomes_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("detail"); // exit code or signal
        QTest::addColumn<QString>("failure");
        QTest::addColumn<QString>("progress");
        QTest::newRow("finished") << "well" << int(IsolatedOutcome::Kind::Finished) << 0 << ""
                                  << "Orders 5000, Orders 830, Umsätze 2";
        QTest::newRow("own output ignored")
            << "noisy" << int(IsolatedOutcome::Kind::Finished) << 0 << ""
            << "Orders 5000, Orders 830, Umsätze 2";
        QTest::newRow("failure reported")
            << "fail" << int(IsolatedOutcome::Kind::Finished) << 2 << "The table x cannot be read."
            << "first 3";
        QTest::newRow("crash") << "crash" << int(IsolatedOutcome::Kind::Crashed) << int(SIGSEGV)
                               << ""
                               << "";
        QTest::newRow("abort") << "abort" << int(IsolatedOutcome::Kind::Crashed) << int(SIGABRT)
                               << ""
                               << "";
        QTest::newRow("hang") << "hang" << int(IsolatedOutcome::Kind::Stuck) << 0 << ""
                              << "";
    }
    void outcomes() {
        QFETCH(QString, how);
        QFETCH(int, kind);
        QFETCH(int, detail);
        QFETCH(QString, failure);
        QFETCH(QString, progress);
        QStringList seen;
        const IsolatedOutcome outcome =
            runIsolated([&](int fd) { return behave(how, fd); },
                        [&](const QString& name, qint64 count) {
                            seen.append(QStringLiteral("%1 %2").arg(name).arg(count));
                        },
                        300);
        QCOMPARE(int(outcome.kind), kind);
        QCOMPARE(outcome.kind == IsolatedOutcome::Kind::Crashed ? outcome.signal : outcome.exitCode,
                 detail);
        QCOMPARE(outcome.failure, failure);
        QCOMPARE(seen.join(QStringLiteral(", ")), progress);
    }

    // A child that allocates without end stops at its memory limit, long before it has taken
    // what it asks for.
    void memoryLimitStopsARunaway() {
        if (!memoryLimitApplies())
            QSKIP("no memory limit under AddressSanitizer");
        const IsolatedOutcome outcome = runIsolated(
            [](int) {
                std::vector<void*> held;
                for (int i = 0; i < 256; ++i) { // 4 GB in all
                    void* block = std::malloc(16 << 20);
                    if (!block)
                        return 7;
                    std::memset(block, 1, 16 << 20);
                    held.push_back(block);
                }
                return 0;
            },
            {}, 60000, qint64(64) << 20);
        QCOMPARE(int(outcome.kind), int(IsolatedOutcome::Kind::Finished));
        QCOMPARE(outcome.exitCode, 7);
    }

    // A progress callback that throws (a cancel) stops the child and passes the exception on.
    void cancelledByProgress() {
        QString error;
        try {
            runIsolated(
                [](int fd) {
                    say(fd, "P1\tOrders\n");
                    ::pause();
                    return 0;
                },
                [](const QString&, qint64) { throw Error(QStringLiteral("cancelled")); }, 60000);
        } catch (const Error& e) {
            error = e.message();
        }
        QCOMPARE(error, QStringLiteral("cancelled"));
    }
};

QTEST_GUILESS_MAIN(TestIsolatedRun)
#include "tst_IsolatedRun.moc"
