#include "cli/CompactCommand.h"

#include "core/hdb/MaintenanceRules.h"
#include "providers/sqlite/SqliteCompactor.h"

#include <QFile>
#include <QFileInfo>

namespace rp::cli {

namespace {

bool isSqliteFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.read(16) == QByteArray("SQLite format 3\0", 16);
}

} // namespace

QString CompactCommand::summary() const {
    return QStringLiteral("compact and check an SQLite HDB file, keeping a backup");
}

QString CompactCommand::help() const {
    return QStringLiteral(
        "Usage: rivelpost-cli compact DBFILE\n"
        "Compacts the SQLite HDB file DBFILE: its content is copied into a compact new file\n"
        "(DBFILE with \"_new\" before the extension), the copy is checked with PRAGMA\n"
        "integrity_check, and only then does it take DBFILE's place. The previous file is kept\n"
        "with \"_backup\" before the extension (an older backup is replaced). If a step fails,\n"
        "the message says where the database is. Close every program that uses DBFILE first;\n"
        "while it runs, a program that writes to DBFILE is told the database is busy, and a\n"
        "connection opened before is refused when it next writes.\n");
}

void CompactCommand::run(const QStringList& arguments, QTextStream& out) {
    if (arguments.size() != 1)
        throw UsageError(QStringLiteral("compact takes one argument, the database file"));
    const QString& path = arguments.first();
    if (!QFileInfo(path).isFile())
        throw Error(QStringLiteral("The database file %1 was not found.").arg(path));
    if (!isSqliteFile(path)) {
        const QString suffix = QFileInfo(path).suffix().toLower();
        if (suffix == QLatin1String("mdb") || suffix == QLatin1String("accdb"))
            throw Error(QStringLiteral("%1 is an Access database, which this program cannot "
                                       "compact. Convert it to an SQLite HDB first.")
                            .arg(path));
        throw Error(QStringLiteral("%1 is not an SQLite database file.").arg(path));
    }
    const MaintenanceNames names = maintenanceNames(path, true);
    const CompactionResult result = SqliteCompactor().compact(path, names);
    if (!result.replaced) {
        out << "The compacted copy of " << path << " came out empty; nothing was changed.\n";
        return;
    }
    out << "Compacted " << path << ": " << kilobytesText(result.sizeBefore) << " kbytes before, "
        << kilobytesText(result.sizeAfter) << " kbytes after; the previous file is kept as "
        << names.backup << '\n';
}

} // namespace rp::cli
