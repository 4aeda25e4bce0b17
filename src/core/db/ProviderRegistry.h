#pragma once

#include "core/db/ConnectionString.h"

#include <QString>
#include <functional>
#include <memory>

namespace rp {

class Database;

// What opening a database may report: a file backend that reads whole tables on connecting
// (Access) names each table and its rows so far.
struct OpenOptions {
    std::function<void(const QString& table, qint64 rows)> reading;
};

// Opens one kind of database. Each provider library registers its own; the core names none.
using ProviderOpen =
    std::function<std::shared_ptr<Database>(const ConnectionString&, const OpenOptions&)>;

// Replaces any earlier provider of the same kind.
void registerProvider(BackendKind kind, ProviderOpen open);

// Opens the database a connection string names through its kind's provider. Throws rp::Error
// with a message naming what was wrong (unknown provider, missing file, refused connection).
std::shared_ptr<Database> openDatabase(const ConnectionString& connection,
                                       const OpenOptions& options = {});
std::shared_ptr<Database> openDatabase(const QString& connectionString,
                                       const OpenOptions& options = {});

} // namespace rp
