// Output files written beside their target: the previous file stays until the new one is whole,
// and what a killed run leaves beside it is removed by the next run.
#include "core/base/Error.h"
#include "core/base/SaveFile.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

using namespace rp;

class tst_SaveFile : public QObject {
    Q_OBJECT
private slots:
    void previousFileStaysUntilCommit_data();
    void previousFileStaysUntilCommit();
    void killedRunIsCleanedUpByTheNext_data();
    void killedRunIsCleanedUpByTheNext();
};

namespace {

QByteArray read(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(none)");
}

void put(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

QStringList filesIn(const QTemporaryDir& dir) {
    return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

// A child process that starts writing `target` and stops half-way; its pid.
pid_t startHalfWrite(const QString& target) {
    int ready[2];
    if (::pipe(ready) != 0)
        qFatal("no pipe");
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(ready[0]);
        {
            SaveFile file(target);
            file.write(QByteArray(100000, 'x'));
            file.device().flush();
            (void)!::write(ready[1], "1", 1);
            ::pause();
        }
        ::_exit(0);
    }
    ::close(ready[1]);
    char c = 0;
    (void)!::read(ready[0], &c, 1);
    ::close(ready[0]);
    return pid;
}

} // namespace

void tst_SaveFile::previousFileStaysUntilCommit_data() {
    QTest::addColumn<bool>("previous");
    QTest::addColumn<QString>("ending"); // commit, fail (an error before commit), never
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("committed over a previous file") << true << "commit" << QByteArray("new");
    QTest::newRow("committed as a new file") << false << "commit" << QByteArray("new");
    QTest::newRow("failure keeps the previous file") << true << "fail" << QByteArray("old");
    QTest::newRow("failure makes no file") << false << "fail" << QByteArray("(none)");
    QTest::newRow("an existing file is not replaced when told so")
        << true << "never" << QByteArray("old");
    QTest::newRow("a new file is made when told not to replace")
        << false << "never" << QByteArray("new");
}

void tst_SaveFile::previousFileStaysUntilCommit() {
    QFETCH(bool, previous);
    QFETCH(QString, ending);
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("lasttable.txt"));
    if (previous)
        put(target, "old");
    try {
        SaveFile file(target);
        file.write("new");
        if (ending == QLatin1String("fail"))
            throw Error(QStringLiteral("the series file ended early"));
        file.commit(ending == QLatin1String("never") ? SaveFile::Replace::Never
                                                     : SaveFile::Replace::Existing);
    } catch (const Error&) {
    }
    QTEST(read(target), "expected");
    QCOMPARE(filesIn(dir), QFileInfo::exists(target) ? QStringList{QStringLiteral("lasttable.txt")}
                                                     : QStringList());
}

void tst_SaveFile::killedRunIsCleanedUpByTheNext_data() {
    QTest::addColumn<bool>("killed");
    QTest::newRow("killed run") << true;
    QTest::newRow("run still writing") << false;
}

void tst_SaveFile::killedRunIsCleanedUpByTheNext() {
    QFETCH(bool, killed);
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("lastout.txt"));
    put(target, "old");
    const pid_t pid = startHalfWrite(target);
    const auto stop = [pid] {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    };
    if (killed)
        stop();
    // The killed run's file, named for its target and its process.
    const QStringList before = filesIn(dir);
    QCOMPARE(before.size(), 2);
    const QString left = before.first();
    QVERIFY2(left.startsWith(QStringLiteral(".lastout.txt.rivelpost-tmp-%1-").arg(pid)),
             qPrintable(left));
    QCOMPARE(read(target), QByteArray("old"));

    saveFile(target, "new");
    QCOMPARE(read(target), QByteArray("new"));
    // Another run's file is removed only when that run is gone.
    QCOMPARE(filesIn(dir), killed ? QStringList{QStringLiteral("lastout.txt")}
                                  : QStringList({left, QStringLiteral("lastout.txt")}));
    if (!killed)
        stop();
}

QTEST_GUILESS_MAIN(tst_SaveFile)
#include "tst_SaveFile.moc"
