#include "providers/sqlite/SqliteCompactor.h"

#include "core/base/Error.h"
#include "providers/sqlite/SqliteProgress.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <cstdio>
#include <functional>
#include <sqlite3.h>
#include <unistd.h>

namespace rp {

namespace {

// One SQLite connection, closed however the work ends.
class Connection {
public:
    Connection(const QString& path, int flags) {
        const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, flags, nullptr);
        if (rc != SQLITE_OK) {
            const QString why = m_db ? QString::fromUtf8(sqlite3_errmsg(m_db))
                                     : QString::fromUtf8(sqlite3_errstr(rc));
            sqlite3_close(m_db);
            throw Error(QStringLiteral("Cannot open %1: %2").arg(path, why));
        }
        sqlite3_busy_timeout(m_db, 5000);
    }
    ~Connection() { sqlite3_close(m_db); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    QString error() const { return QString::fromUtf8(sqlite3_errmsg(m_db)); }
    void setProgress(Progress progress) { m_progress.attach(m_db, std::move(progress), 4096); }
    // Prepares sql, binds the texts and steps through every row, handing each row's first
    // column to row.
    void run(const char* sql, const QStringList& texts, const std::function<void(QString)>& row) {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(m_db, sql, -1, &statement, nullptr) != SQLITE_OK)
            throw Error(error());
        for (int i = 0; i < texts.size(); ++i) {
            const QByteArray utf8 = texts[i].toUtf8();
            sqlite3_bind_text(statement, i + 1, utf8.constData(), static_cast<int>(utf8.size()),
                              SQLITE_TRANSIENT);
        }
        int rc;
        while ((rc = sqlite3_step(statement)) == SQLITE_ROW)
            if (row)
                row(QString::fromUtf8(
                    reinterpret_cast<const char*>(sqlite3_column_text(statement, 0))));
        sqlite3_finalize(statement);
        if (rc != SQLITE_DONE)
            throw Error(error());
    }

private:
    sqlite3* m_db = nullptr;
    SqliteProgress m_progress;
};

bool exists(const QString& path) {
    return QFileInfo::exists(path);
}

} // namespace

QStringList sqliteIntegrityCheck(const QString& path) {
    Connection db(path, SQLITE_OPEN_READONLY);
    QStringList lines;
    db.run("PRAGMA integrity_check", {}, [&](const QString& line) { lines.append(line); });
    return lines;
}

void SqliteCompactor::vacuumInto(const QString& source, const QString& target) {
    Connection db(source, SQLITE_OPEN_READWRITE);
    db.setProgress(progress());
    // The target is a bound value, never text pasted into the statement.
    db.run("VACUUM INTO ?", {target}, {});
}

bool SqliteCompactor::removeFile(const QString& path) {
    return QFile::remove(path);
}

bool SqliteCompactor::linkFile(const QString& existing, const QString& newName) {
    return ::link(QFile::encodeName(existing).constData(),
                  QFile::encodeName(newName).constData()) == 0;
}

bool SqliteCompactor::renameFile(const QString& from, const QString& to, bool replace) {
    if (!replace && exists(to))
        return false;
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

CompactionResult SqliteCompactor::compact(const QString& path, const MaintenanceNames& names) {
    CompactionResult result;
    if (!exists(path))
        throw Error(QStringLiteral("The database file %1 was not found.").arg(path));
    result.sizeBefore = QFileInfo(path).size();
    // A journal beside the file means a connection is still writing or died mid-write: the
    // renames would part the file from it.
    for (const char* side : {"-journal", "-wal"})
        if (QFileInfo(path + QLatin1String(side)).size() > 0)
            throw Error(QStringLiteral("%1 is in use (%2 exists). Close every program that uses "
                                       "it and try again; nothing was changed.")
                            .arg(path, path + QLatin1String(side)));
    // Held until the copy has taken the database's place: no other connection can commit a
    // change that the copy would miss. A writer waiting meanwhile finds the file replaced and
    // is refused (SQLite checks that the file it opened is still at its name).
    Connection hold(path, SQLITE_OPEN_READWRITE);
    try {
        hold.run("BEGIN IMMEDIATE", {}, {});
    } catch (const Error& e) {
        throw Error(QStringLiteral("%1 is in use by another program (%2). Close every program "
                                   "that writes to it and try again; nothing was changed.")
                        .arg(path, e.message()));
    }
    if (exists(names.fresh) && !removeFile(names.fresh))
        throw Error(QStringLiteral("Cannot remove the old %1; the database at %2 is unchanged.")
                        .arg(names.fresh, path));
    try {
        vacuumInto(path, names.fresh);
    } catch (const Error& e) {
        removeFile(names.fresh);
        throw Error(QStringLiteral("Compacting %1 failed: %2. The database is unchanged.")
                        .arg(path, e.message()));
    }
    if (!exists(names.fresh))
        throw Error(QStringLiteral("Compacting %1 wrote no %2; the database is unchanged.")
                        .arg(path, names.fresh));
    QStringList check;
    try {
        check = sqliteIntegrityCheck(names.fresh);
    } catch (const Error& e) {
        check = QStringList{e.message()};
    }
    if (check != QStringList{QStringLiteral("ok")}) {
        removeFile(names.fresh);
        throw Error(QStringLiteral("The compacted copy of %1 failed its integrity check (%2). "
                                   "The database is unchanged.")
                        .arg(path, check.mid(0, 3).join(QStringLiteral("; "))));
    }
    if (QFileInfo(names.fresh).size() > 0) {
        swapIn(path, names);
        result.replaced = true;
    }
    result.sizeAfter = QFileInfo(path).size();
    return result;
}

void SqliteCompactor::swapIn(const QString& path, const MaintenanceNames& names) {
    const QString unchanged =
        QStringLiteral("The database is unchanged at %1; the compacted copy is at %2.")
            .arg(path, names.fresh);
    if (exists(names.backup) && !removeFile(names.backup))
        throw Error(QStringLiteral("Cannot remove the old backup %1. ").arg(names.backup) +
                    unchanged);
    // Best: the backup is a second name of the database, and the copy replaces the database
    // in one step, so the database path never stands empty.
    if (linkFile(path, names.backup)) {
        if (!renameFile(names.fresh, path, true))
            throw Error(QStringLiteral("Cannot move %1 to %2. ").arg(names.fresh, path) +
                        unchanged);
        return;
    }
    if (!renameFile(path, names.backup, false))
        throw Error(QStringLiteral("Cannot rename %1 to %2. ").arg(path, names.backup) + unchanged);
    if (renameFile(names.fresh, path, false))
        return;
    if (renameFile(names.backup, path, false))
        throw Error(QStringLiteral("Cannot move %1 to %2. ").arg(names.fresh, path) + unchanged);
    throw Error(QStringLiteral("Cannot move %1 to %2. The database is now at %3 (rename it back "
                               "to %2); the compacted copy is at %1.")
                    .arg(names.fresh, path, names.backup));
}

} // namespace rp
