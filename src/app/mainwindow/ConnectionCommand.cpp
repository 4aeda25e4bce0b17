#include "app/mainwindow/ConnectionCommand.h"

#include "app/mainwindow/AccessConversion.h"
#include "app/mainwindow/DatabaseMaintenance.h"
#include "core/base/CommandPrompts.h"
#include "core/base/Error.h"
#include "core/hdb/MaintenanceRules.h"
#include "core/settings/AppPaths.h"
#include "core/settings/ConnectionRules.h"
#include "core/settings/RecentConnections.h"
#include "core/settings/SettingsFile.h"

#include <QFileInfo>

namespace rp {

ConnectionCommand::ConnectionCommand(CommandPrompts& prompts, ConnectionView& view,
                                     ContigRunner& contig, SqliteCompactor& compactor)
    : m_prompts(prompts), m_view(view), m_contig(contig), m_compactor(compactor) {}

void ConnectionCommand::run() {
    const QString savedCaption = m_view.caption();
    m_view.setCaption(QStringLiteral("Database Connection..."));
    try {
        ask(savedCaption);
        AccessConversion(m_prompts, m_view, m_conversionProgress).offer();
    } catch (const Error& e) {
        m_prompts.message(QString(), e.message());
    }
    m_view.setCaption(savedCaption);
    m_view.finish();
}

void ConnectionCommand::ask(const QString& savedCaption) {
    SettingsFile settings;
    QString defaultAnswer = QStringLiteral("Connection String");
    QString path;
    const bool haveSettings = AppPaths::settingsFileExists();
    if (haveSettings) {
        settings = SettingsFile::read(AppPaths::settingsFilePath());
        defaultAnswer = settings.connectionString;
        // A stored string that names no file must not lock the user out of changing it.
        if (settings.connectionString.contains(QLatin1Char(';')))
            path = connectionDatabasePath(settings.connectionString);
    }
    const RecentConnections recent = RecentConnections::inProgramFolder();
    const ConnectionPromptTexts texts =
        connectionPromptTexts(haveSettings ? settings.connectionString : QString());
    const QString answer =
        m_prompts.askConnectionString(texts.title, texts.prompt, defaultAnswer, recent.load());

    QString connectionString = settings.connectionString;
    if (!answer.isEmpty()) {
        path = connectionDatabasePath(answer);
        connectionString = answer.trimmed();
        m_view.setConnectionString(connectionString);
        SettingsFile written;
        written.connectionString = connectionString;
        written.backdrop = settings.backdrop;
        written.hasBackdrop = !settings.backdrop.isEmpty();
        written.write(AppPaths::settingsFilePath());
        recent.add(connectionString);
    }
    // File rules (".M", a missing file, compaction) apply to database files only.
    if (path.isEmpty() || !isFileDatabaseConnection(connectionString))
        return;

    const bool sqlite = isSqliteConnection(connectionString);
    if (accessMarkerPosition(path) == 0 && !sqlite)
        return;
    const QFileInfo file(path);
    if (!file.exists()) {
        // A new SQLite file is made elsewhere; an Access file must be there.
        if (sqlite)
            return;
        throw Error(QStringLiteral("File not found: %1").arg(path));
    }
    if (file.size() > 0)
        DatabaseMaintenance(m_prompts, m_view, m_contig, m_compactor)
            .run(path, file.size(), sqlite, savedCaption);
}

} // namespace rp
