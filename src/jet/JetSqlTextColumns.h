#pragma once

#include "jet/JetStatement.h"

#include <QHash>
#include <QString>
#include <functional>

namespace rp {

class SqlDialect;

// The columns of a table by lower-case name, true for those that hold text; empty when there is
// no such table.
using ColumnKinds = QHash<QString, bool>;
using ColumnKindsLookup = std::function<ColumnKinds(const QString& table)>;

// Text columns compared with other columns, ordered, grouped or made distinct compare ignoring
// case, through the dialect's collation; comparisons with a literal are the literal's rule.
// A name is a text column when a table the statement reads has it as text and none has it
// otherwise, so numeric keys and dates keep their indexes.
void collateTextColumns(JetStatement& st, const SqlDialect& dialect,
                        const ColumnKindsLookup& lookup);

} // namespace rp
