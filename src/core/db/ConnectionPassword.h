#pragma once

#include <QString>

namespace rp {

// Connection strings that are written where others may read them carry no password; the password
// comes back from the settings file's connection string, or libpq finds it itself (PGPASSWORD,
// ~/.pgpass, passfile=).

// The connection string without its Password= and PWD= parts (any spelling, blanks or case).
// A text that does not parse comes back with its password masked.
QString connectionWithoutPassword(const QString& text);

// Whether the connection string carries a password.
bool hasPassword(const QString& text);

// `stored` (written without a password) with the password of `known` when the two name the same
// database in every other part; `stored` itself otherwise.
QString connectionWithKnownPassword(const QString& stored, const QString& known);

// `stored` with `password` added.
QString connectionWithPassword(const QString& stored, const QString& password);

} // namespace rp
