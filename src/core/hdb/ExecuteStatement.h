#pragma once

#include <QString>

namespace rp {

// Runs an own action statement on a connection of its own, as typed (quoted values keep their
// case), and closes it. Returns the message shown afterwards: "FINISHED: " and the statement in
// capitals. Throws rp::Error with the database's message when the statement fails.
QString executeStatement(const QString& connectionString, const QString& statement);

} // namespace rp
