#pragma once

#include "jet/JetStatement.h"

namespace rp {

class SqlDialect;

// Rules that give Jet's meaning to operators and statements the backends read otherwise.

// '/' divides as reals, also whole numbers: 10 / 4 is 2.5.
void rewriteDivision(JetStatement& st, const SqlDialect& dialect);
// SELECT … INTO t FROM … (a make-table query) becomes CREATE TABLE t AS SELECT … FROM ….
void rewriteMakeTable(JetStatement& st);
// LIKE with Jet's whole pattern language: ignoring case, and with # (a digit), [a-c] and [!a-c]
// as a regular expression where the backend's LIKE has no equivalent.
void rewriteLikeOperators(JetStatement& st, const SqlDialect& dialect);
// The regular expression for a Jet LIKE pattern, or an empty string when the backend's LIKE
// can take it (only *, ? and [*]-style literals).
QString jetLikeRegex(const QString& pattern);

} // namespace rp
