#include "providers/workbook/WorkbookFile.h"

#include "core/base/Error.h"
#include "core/base/SaveFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace rp {

namespace {

const QString nothingWritten =
    QStringLiteral("The change was not made; the workbook is as it was.");

} // namespace

WorkbookFile::WorkbookFile(const QString& path) : m_path(path), m_stamp(stampOf(path)) {}

WorkbookFile::Stamp WorkbookFile::stampOf(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists())
        return {};
    return {info.size(), info.fileTime(QFileDevice::FileModificationTime)};
}

QString WorkbookFile::backupPath(const QString& path) {
    const QFileInfo info(path);
    const QString suffix = info.suffix();
    const QString base = suffix.isEmpty() ? info.fileName() : info.completeBaseName();
    return info.dir().filePath(base + QStringLiteral(".bak.") +
                               (suffix.isEmpty() ? QStringLiteral("xlsx") : suffix));
}

QStringList WorkbookFile::lockFiles(const QString& path) {
    const QFileInfo info(path);
    return {info.dir().filePath(QStringLiteral(".~lock.") + info.fileName() + QLatin1Char('#')),
            info.dir().filePath(QStringLiteral("~$") + info.fileName())};
}

void WorkbookFile::replace(const std::function<void(const QString& newFile)>& write) {
    const QString shown = QDir::toNativeSeparators(m_path);
    for (const QString& lock : lockFiles(m_path))
        if (QFileInfo::exists(lock))
            throw Error(QStringLiteral("The workbook %1 is open in another program (%2 is beside "
                                       "it); close it there and try again. %3")
                            .arg(shown, QFileInfo(lock).fileName(), nothingWritten));
    const QFileInfo info(m_path);
    if (!info.exists())
        throw Error(
            QStringLiteral("The workbook %1 is no longer there. %2").arg(shown, nothingWritten));
    if (!(stampOf(m_path) == m_stamp))
        throw Error(QStringLiteral("The workbook %1 was changed by another program after it was "
                                   "opened; connect to it again to see those changes. %2")
                        .arg(shown, nothingWritten));
    if (!info.isWritable())
        throw Error(QStringLiteral("The workbook %1 is read-only. %2").arg(shown, nothingWritten));

    const QString backup = backupPath(m_path);
    if (!QFileInfo::exists(backup) && !QFile::copy(m_path, backup))
        throw Error(QStringLiteral("The backup %1 of the workbook cannot be made. %2")
                        .arg(QDir::toNativeSeparators(backup), nothingWritten));

    try {
        SaveFile file(m_path);
        write(file.temporaryPath());
        // The rename replaces the old file in one step: a reader sees the old or the new one.
        file.commit();
    } catch (const Error& e) {
        throw Error(QStringLiteral("The workbook %1 cannot be written: %2 %3")
                        .arg(shown, e.message(), nothingWritten));
    }
    m_stamp = stampOf(m_path);
}

} // namespace rp
