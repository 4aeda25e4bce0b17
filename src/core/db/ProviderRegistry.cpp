#include "core/db/ProviderRegistry.h"

#include "core/base/Error.h"

#include <QHash>

namespace rp {

namespace {

// Filled before main() by the providers library, read afterwards.
QHash<int, ProviderOpen>& providers() {
    static QHash<int, ProviderOpen> registry;
    return registry;
}

} // namespace

void registerProvider(BackendKind kind, ProviderOpen open) {
    providers().insert(int(kind), open);
}

std::shared_ptr<Database> openDatabase(const ConnectionString& connection,
                                       const OpenOptions& options) {
    const auto provider = providers().constFind(int(connection.backendKind()));
    if (provider == providers().cend())
        throw Error(QStringLiteral("The connection string \"%1\" names a kind of database this "
                                   "program was built without.")
                        .arg(ConnectionString::withoutPassword(connection.text())));
    return (*provider)(connection, options);
}

std::shared_ptr<Database> openDatabase(const QString& connectionString,
                                       const OpenOptions& options) {
    return openDatabase(ConnectionString::parse(connectionString), options);
}

} // namespace rp
