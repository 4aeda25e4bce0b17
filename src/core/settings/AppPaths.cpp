#include "core/settings/AppPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace rp {

namespace {

QString& overriddenFolder() {
    static QString folder;
    return folder;
}

// The entry of a folder whose name equals name without regard to case, or an empty text.
QString findCaseInsensitive(const QString& folder, const QString& name) {
    const QDir dir(folder);
    if (QFileInfo::exists(dir.filePath(name)))
        return dir.filePath(name);
    const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden);
    for (const QString& entry : entries)
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return dir.filePath(entry);
    return {};
}

} // namespace

QString AppPaths::programFolder() {
    if (!overriddenFolder().isEmpty())
        return overriddenFolder();
    return programFolderFor(QCoreApplication::applicationDirPath());
}

QString AppPaths::programFolderFor(const QString& executableFolder) {
    const bool installed =
        QFileInfo(executableFolder + QStringLiteral("/../share/rivelpost")).isDir();
    if (!executableFolder.isEmpty() && !installed && QFileInfo(executableFolder).isWritable())
        return executableFolder;
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(data);
    return data;
}

void AppPaths::setProgramFolder(const QString& folder) {
    overriddenFolder() = folder;
}

QString AppPaths::settingsFilePath() {
    const QString folder = programFolder();
    const QString found = findCaseInsensitive(folder, QLatin1String(settingsFileName));
    return found.isEmpty() ? QDir(folder).filePath(QLatin1String(settingsFileName)) : found;
}

bool AppPaths::settingsFileExists() {
    return !findCaseInsensitive(programFolder(), QLatin1String(settingsFileName)).isEmpty();
}

QString AppPaths::seriesFilePath() {
    return QDir(programFolder()).filePath(QLatin1String(seriesFileName));
}

} // namespace rp
