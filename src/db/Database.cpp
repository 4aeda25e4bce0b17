#include "Database.h"

#include "AccessDatabase.h"
#include "ConnectionString.h"
#include "Error.h"
#include "PostgresDatabase.h"
#include "SqliteDatabase.h"
#include "WorkbookDatabase.h"

namespace rp {

std::shared_ptr<Database> openDatabase(const QString& connectionString) {
    const ConnectionString cs = ConnectionString::parse(connectionString);
    switch (cs.backendKind()) {
    case BackendKind::Sqlite:
        return std::make_shared<SqliteDatabase>(cs.databasePath());
    case BackendKind::PostgreSql:
        return std::make_shared<PostgresDatabase>(PostgresSettings::from(cs));
    case BackendKind::Workbook:
        return std::make_shared<WorkbookDatabase>(cs.databasePath());
    case BackendKind::Access:
        return std::make_shared<AccessDatabase>(cs.databasePath());
    }
    throw Error(QStringLiteral("The connection string \"%1\" names no database.")
                    .arg(ConnectionString::withoutPassword(connectionString)));
}

void inTransaction(Database& database, const QString& failure, const std::function<void()>& work) {
    database.beginTransaction();
    try {
        work();
        database.commit();
    } catch (const Error& e) {
        const QString message = failure + QStringLiteral(": ") + e.message();
        try {
            database.rollback();
        } catch (const Error& undo) {
            throw Error(message + QStringLiteral(" Undoing it failed too: ") + undo.message());
        }
        throw Error(message);
    }
}

} // namespace rp
