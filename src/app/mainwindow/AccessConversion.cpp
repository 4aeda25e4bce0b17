#include "app/mainwindow/AccessConversion.h"

#include "core/base/CommandPrompts.h"
#include "core/base/Error.h"
#include "core/db/ConnectionString.h"
#include "core/hdb/HdbImport.h"
#include "core/settings/AppPaths.h"
#include "core/settings/RecentConnections.h"
#include "core/settings/SettingsFile.h"
#include "providers/access/AccessFileCheck.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>

namespace rp {

namespace {

// The Access file a connection string names, when it is one this program can read.
QString readableAccessFile(const QString& connectionString) {
    if (connectionString.isEmpty())
        return {};
    try {
        const ConnectionString cs = ConnectionString::parse(connectionString);
        if (cs.backendKind() != BackendKind::Access)
            return {};
        checkAccessFile(cs.databasePath());
        return cs.databasePath();
    } catch (const Error&) {
        // No Access file to convert: connecting to it reports the problem in its own words.
        return {};
    }
}

} // namespace

AccessConversion::AccessConversion(CommandPrompts& prompts, ConnectionView& view, Progress progress)
    : m_prompts(prompts), m_view(view), m_progress(std::move(progress)) {}

QString AccessConversion::suggestedPath(const QString& accessPath) {
    const QFileInfo info(accessPath);
    const QDir folder = info.absoluteDir();
    QString path = folder.filePath(info.completeBaseName() + QStringLiteral(".sqlite"));
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = folder.filePath(QStringLiteral("%1_%2.sqlite").arg(info.completeBaseName()).arg(n));
    return path;
}

QString AccessConversion::offer() {
    if (!AppPaths::settingsFileExists())
        return {};
    const QString current = SettingsFile::read(AppPaths::settingsFilePath()).connectionString;
    const QString accessPath = readableAccessFile(current);
    if (accessPath.isEmpty())
        return {};
    const QString shown = QDir::toNativeSeparators(accessPath);
    if (!m_prompts.askYesNo(QLatin1String(title),
                            QStringLiteral("%1 is an Access database, which this program reads "
                                           "but does not change. Convert it to a new SQLite HDB, "
                                           "which it can edit?")
                                .arg(shown)))
        return {};
    const QString target =
        m_prompts.askNewFile(QLatin1String(title), suggestedPath(accessPath)).trimmed();
    if (target.isEmpty())
        return {};
    const QString connection = QStringLiteral("Provider=SQLite;Data Source=\"%1\"").arg(target);

    const QString caption = m_view.caption();
    m_view.setBusy(true);
    m_view.setCaption(QStringLiteral("Converting %1...").arg(shown));
    m_view.processEvents();
    QElapsedTimer shownSince;
    shownSince.start();
    qint64 copied = 0;
    qint64 rowsBefore = 0; // of the tables done
    QString lastTable;
    qint64 lastRows = 0;
    try {
        copied = importHdb(current, connection, [&](const QString& table, qint64 rows) {
            if (table != lastTable) {
                rowsBefore += lastRows;
                lastTable = table;
            }
            lastRows = rows;
            if (m_progress && !m_progress(rowsBefore + rows, 0))
                throw Error(QStringLiteral("The conversion was cancelled; no file was made."));
            // The caption tells how far it has got, a few times a second at most.
            if (shownSince.elapsed() < 250)
                return;
            shownSince.restart();
            m_view.setCaption(QStringLiteral("Converting %1: %2 rows").arg(table).arg(rows));
            m_view.processEvents();
        });
    } catch (const Error&) {
        m_view.setCaption(caption);
        m_view.setBusy(false);
        throw;
    }
    m_view.setCaption(caption);
    m_view.setBusy(false);

    if (!m_prompts.askYesNo(QLatin1String(title),
                            QStringLiteral("%1 rows were copied into %2. Use the new SQLite HDB "
                                           "from now on?")
                                .arg(copied)
                                .arg(QDir::toNativeSeparators(target))))
        return {};
    switchTo(connection);
    return connection;
}

void AccessConversion::switchTo(const QString& connectionString) {
    SettingsFile settings = SettingsFile::read(AppPaths::settingsFilePath());
    settings.connectionString = connectionString;
    settings.write(AppPaths::settingsFilePath());
    m_view.setConnectionString(connectionString);
    RecentConnections::inProgramFolder().add(connectionString);
}

} // namespace rp
