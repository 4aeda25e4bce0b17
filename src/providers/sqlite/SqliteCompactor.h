#pragma once

#include "core/base/Progress.h"
#include "core/hdb/MaintenanceRules.h"

#include <QString>

namespace rp {

// What a compaction did.
struct CompactionResult {
    qint64 sizeBefore = 0;
    qint64 sizeAfter = 0;  // the file at the database path afterwards
    bool replaced = false; // false when the compacted copy came out empty and nothing changed
};

// Compacts and checks an SQLite database file: VACUUM INTO the new name, PRAGMA integrity_check
// on that copy, then the previous file becomes the backup and the copy takes the database's
// place. No step ever leaves the database at neither the database path nor the backup path; a
// failure names where it is. The file operations are virtual so tests can make them fail.
class SqliteCompactor {
public:
    virtual ~SqliteCompactor() = default;

    // Throws rp::Error with a message that says where the database is.
    CompactionResult compact(const QString& path, const MaintenanceNames& names);
    // Called while the copy is written (the total is unknown); false stops it, leaving the
    // database unchanged.
    void setProgress(Progress progress) { m_progress = std::move(progress); }

protected:
    virtual void vacuumInto(const QString& source, const QString& target);
    virtual bool removeFile(const QString& path);
    // A second name for the same file (a hard link); false where the file system has none.
    virtual bool linkFile(const QString& existing, const QString& newName);
    // Moves a file; with replace an existing target is replaced in one step.
    virtual bool renameFile(const QString& from, const QString& to, bool replace);

    const Progress& progress() const { return m_progress; }

private:
    void swapIn(const QString& path, const MaintenanceNames& names);
    Progress m_progress;
};

// The lines PRAGMA integrity_check gives for the file; {"ok"} for a sound database.
QStringList sqliteIntegrityCheck(const QString& path);

} // namespace rp
