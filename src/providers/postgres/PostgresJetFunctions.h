#pragma once

#include <QString>

namespace rp {

class Database;

// The Jet functions (Year, DateAdd, Left, Round, IIf …) as SQL functions named jet_<name>, the
// names the PostgreSQL dialect translates Jet's calls to. Created or replaced in the current
// schema, in one script.
// The script ends by creating jet_functions_version(), which returns postgresJetFunctionsVersion().
QString postgresJetFunctionsScript();
QString postgresJetFunctionsVersion();
void installPostgresJetFunctions(Database& database);

} // namespace rp
