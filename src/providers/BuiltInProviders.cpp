#include "providers/BuiltInProviders.h"

#include "core/db/ProviderRegistry.h"
#include "providers/access/AccessDatabase.h"
#include "providers/postgres/PostgresDatabase.h"
#include "providers/sqlite/SqliteDatabase.h"
#include "providers/workbook/WorkbookDatabase.h"

namespace rp {

void registerBuiltInProviders() {
    registerProvider(BackendKind::Sqlite, [](const ConnectionString& cs, const OpenOptions&) {
        return std::make_shared<SqliteDatabase>(cs.databasePath());
    });
    registerProvider(BackendKind::PostgreSql, [](const ConnectionString& cs, const OpenOptions&) {
        return std::make_shared<PostgresDatabase>(PostgresSettings::from(cs));
    });
    registerProvider(BackendKind::Workbook, [](const ConnectionString& cs, const OpenOptions&) {
        return std::make_shared<WorkbookDatabase>(cs.databasePath());
    });
    registerProvider(
        BackendKind::Access, [](const ConnectionString& cs, const OpenOptions& options) {
            return std::make_shared<AccessDatabase>(cs.databasePath(), options.reading);
        });
}

} // namespace rp
