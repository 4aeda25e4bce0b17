#include "providers/access/AccessFileReader.h"

#include "core/base/Error.h"
#include "providers/access/AccessFileCheck.h"
#include "providers/access/IsolatedRun.h"
#include "providers/access/MdbCopy.h"

#include <QDir>
#include <QFile>
#include <clocale>

namespace rp {

namespace {

// A reader that says nothing for this long is taken to be stuck in a damaged file.
constexpr int silenceLimitMs = 60000;

// The memory the reader may take: room for its buffers and a table's columns, plus a few times
// the file. A damaged file that makes it allocate without end fails at this limit.
qint64 readerMemoryLimit(qint64 fileSize) {
    return qint64(256) * 1024 * 1024 + 4 * fileSize;
}

} // namespace

void readAccessFile(const QString& accessPath, const QString& sqlitePath,
                    const AccessReadProgress& progress) {
    const AccessFileFormat format = checkAccessFile(accessPath);
    const QByteArray from = QFile::encodeName(accessPath);
    const QByteArray to = QFile::encodeName(sqlitePath);
    const IsolatedOutcome outcome = runIsolated(
        [&](int reportFd) {
            // Numbers the library formats must use '.' whatever the user's locale.
            std::setlocale(LC_ALL, "C");
            return copyMdbToSqlite(from.constData(), to.constData(), reportFd);
        },
        progress, silenceLimitMs, readerMemoryLimit(format.pageCount * format.pageSize));

    const QString shown = QDir::toNativeSeparators(accessPath);
    switch (outcome.kind) {
    case IsolatedOutcome::Kind::Stuck:
        throw Error(QStringLiteral("%1 is damaged: reading it stopped making progress and was "
                                   "given up.")
                        .arg(shown));
    case IsolatedOutcome::Kind::Crashed:
        throw Error(QStringLiteral("%1 is damaged: the Access reader failed on it (signal %2). "
                                   "Repair the file in Access, or use a backup copy.")
                        .arg(shown)
                        .arg(outcome.signal));
    case IsolatedOutcome::Kind::Finished:
        if (outcome.exitCode == mdbCopyDamaged)
            throw Error(QStringLiteral("%1 is damaged: %2 Repair the file in Access, or use a "
                                       "backup copy.")
                            .arg(shown, outcome.failure));
        if (outcome.exitCode != 0)
            throw Error(QStringLiteral("%1 cannot be read: %2")
                            .arg(shown, outcome.failure.isEmpty()
                                            ? QStringLiteral("the Access reader failed.")
                                            : outcome.failure));
        break;
    }
}

} // namespace rp
