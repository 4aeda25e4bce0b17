#pragma once

#include "jet/JetStatement.h"

#include <QString>

namespace rp {

// Rewriting rules of the Jet translator that work on expressions and clauses. They insert text
// around tokens, so they run after the token rules, concatenation before TOP.

// a & b: string concatenation in which Null counts as empty text, with Jet's precedence (below
// arithmetic, above comparison).
void rewriteConcatenation(JetStatement& st, bool castOperands = false);
class SqlDialect;

// Count, Sum, First and the other aggregate functions' names.
bool isAggregate(const JetToken& t);

// SELECT TOP n [PERCENT] … becomes SELECT … LIMIT …, at the end of that SELECT, counting the
// rows tied with the last one on the ORDER BY.
void rewriteTop(JetStatement& st, const SqlDialect* dialect = nullptr);
// The one table of a plain SELECT, as written without brackets and '$', or an empty string.
QString plainSelectTable(const JetStatement& st);

} // namespace rp
