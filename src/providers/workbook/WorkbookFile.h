#pragma once

#include <QDateTime>
#include <QString>
#include <functional>

namespace rp {

// The file behind a workbook database and the rules for replacing it: never while another
// program has it open (its lock file beside it) or after another program changed it, a one-time
// backup NAME.bak.xlsx before the first change, and a new file written beside the old one and
// renamed over it, so that a failure at any point leaves the old file as it was.
class WorkbookFile {
public:
    // Remembers the file's size and time, to notice another program's changes.
    explicit WorkbookFile(const QString& path);

    const QString& path() const { return m_path; }
    static QString backupPath(const QString& path);
    // The lock files by which LibreOffice (.~lock.NAME#) and Excel (~$NAME) mark a file open.
    static QStringList lockFiles(const QString& path);

    // True when the file is no longer as it was when read or last written (another connection or
    // another program wrote it).
    bool changedOnDisk() const { return !(stampOf(m_path) == m_stamp); }
    // Reads the file again with `read`. The file as it was before the reading began is the one
    // read: a save by another program meanwhile still shows as a change.
    void reread(const std::function<void()>& read) {
        const Stamp before = stampOf(m_path);
        read();
        m_stamp = before;
    }

    // Replaces the file with what write() puts at the path it is given. Throws rp::Error, with the
    // old file untouched, when the file is open elsewhere, was changed elsewhere, is read-only,
    // the backup cannot be made, or write() throws.
    void replace(const std::function<void(const QString& newFile)>& write);

private:
    struct Stamp {
        qint64 size = -1;
        QDateTime modified;
        bool operator==(const Stamp&) const = default;
    };
    static Stamp stampOf(const QString& path);

    QString m_path;
    Stamp m_stamp;
};

} // namespace rp
