#pragma once

struct sqlite3;

namespace rp {

// Registers the Jet functions (under the names SqliteDialect::functionName gives them) on an
// open SQLite connection. Throws rp::Error when SQLite refuses.
void registerJetFunctions(sqlite3* db);

} // namespace rp
