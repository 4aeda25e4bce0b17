#include "core/hdb/ExecuteStatement.h"

#include "core/db/Database.h"

namespace rp {

QString executeStatement(const QString& connectionString, const QString& statement) {
    {
        const std::shared_ptr<Database> database = openDatabase(connectionString);
        database->execute(statement);
    }
    return QStringLiteral("FINISHED: ") + statement.toUpper();
}

} // namespace rp
