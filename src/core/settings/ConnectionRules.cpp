#include "core/settings/ConnectionRules.h"

#include "core/base/Error.h"
#include "core/db/ConnectionString.h"

#include <QFileInfo>
#include <optional>

namespace rp {

QString connectionDatabasePath(const QString& connectionString) {
    const QStringList pieces = connectionString.split(QLatin1Char(';'));
    if (pieces.size() < 2)
        throw Error(QStringLiteral("The connection string \"%1\" names no database file: write "
                                   "it as Provider=...;Data Source=FILE.")
                        .arg(ConnectionString::withoutPassword(connectionString.trimmed())));
    QString path = pieces.at(1);
    const qsizetype eq = path.indexOf(QLatin1Char('='));
    if (eq >= 0)
        path = path.mid(eq + 1);
    path = path.trimmed();
    // The program itself writes file names in quotes (they may hold spaces).
    if (path.size() >= 2 && path.startsWith(QLatin1Char('"')) && path.endsWith(QLatin1Char('"')))
        path = path.mid(1, path.size() - 2);
    return path;
}

bool isFileDatabaseConnection(const QString& connectionString) {
    try {
        return ConnectionString::parse(connectionString).backendKind() != BackendKind::PostgreSql;
    } catch (const Error&) {
        // A string the database layer cannot read is taken at its word as naming a file.
        return true;
    }
}

bool isSqliteConnection(const QString& connectionString) {
    try {
        return ConnectionString::parse(connectionString).backendKind() == BackendKind::Sqlite;
    } catch (const Error&) {
        // A string the database layer cannot read names no SQLite file.
        return false;
    }
}

ConnectionPromptTexts connectionPromptTexts(const QString& connectionString) {
    const QString enter = QStringLiteral("Enter new connection string or press Cancel to ");
    ConnectionPromptTexts access{QStringLiteral("MS Access HDB"),
                                 enter + QStringLiteral("Compact and Repair Access database:")};
    std::optional<BackendKind> kind;
    try {
        kind = ConnectionString::parse(connectionString).backendKind();
    } catch (const Error&) {
        return access;
    }
    switch (*kind) {
    case BackendKind::Sqlite:
        return {QStringLiteral("SQLite HDB"), enter + QStringLiteral("Compact SQLite database:")};
    case BackendKind::PostgreSql:
        return {QStringLiteral("PostgreSQL HDB"), enter + QStringLiteral("keep the current one:")};
    case BackendKind::Workbook:
        return {QStringLiteral("Excel workbook HDB"),
                enter + QStringLiteral("keep the current one:")};
    case BackendKind::Access:
        break;
    }
    return access;
}

QString connectionStringForFile(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("sqlite") || suffix == QLatin1String("sqlite3") ||
        suffix == QLatin1String("db") || suffix == QLatin1String("hdb"))
        return QStringLiteral("Provider=SQLite;Data Source=") + path;
    if (suffix == QLatin1String("mdb"))
        return QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + path;
    if (suffix == QLatin1String("accdb"))
        return QStringLiteral("Provider=Microsoft.ACE.OLEDB.12.0;Data Source=") + path;
    if (suffix == QLatin1String("xls") || suffix == QLatin1String("xlsx"))
        return QStringLiteral("Driver={Microsoft Excel Driver (*.xls)};DBQ=%1;ReadOnly=False")
            .arg(path);
    throw Error(QStringLiteral("%1 is not a database file this program reads: choose an SQLite "
                               "file (.sqlite, .db), an Access file (.mdb, .accdb) or a workbook "
                               "(.xls, .xlsx).")
                    .arg(QFileInfo(path).fileName()));
}

} // namespace rp
