#pragma once

#include "jet/JetStatement.h"

namespace rp {

class SqlDialect;

// Whether token i is a comparison operator: =, <>, <, >, <=, >=.
bool isComparison(const JetStatement& st, int i);
// Whether token i is in the SET clause of an UPDATE, where = assigns.
bool inSetClause(const JetStatement& st, int i);

// Rules that give Jet's operators their meaning where the backends' own differ: they become
// calls of the functions every backend of the Jet functions provides, with Jet's precedence.

// ^ (power, left to right), \ (whole-number division), Mod (of rounded operands), + (which
// joins texts and adds days to dates) and - (which counts the days between dates).
void rewriteArithmetic(JetStatement& st);
// Switch(…) and Choose(…) as CASE expressions.
void rewriteSwitchAndChoose(JetStatement& st, const SqlDialect& dialect);
// A text literal compared with =, <>, <, >, BETWEEN or IN compares ignoring case.
void rewriteTextComparisons(JetStatement& st, const SqlDialect& dialect);

// An unnamed computed column of the statement's SELECT is headed Expr1000, Expr1001 …
void nameComputedColumns(JetStatement& st);

} // namespace rp
