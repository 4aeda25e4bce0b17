#pragma once

#include "jet/JetStatement.h"

#include <QString>

namespace rp {

class SqlDialect;

// The rewriting rules of the Jet translator that work token by token, each a pass over the
// statement. Passes look at the original tokens only; JetSqlClauseRules.h has the ones that
// work on whole expressions and clauses.

// Words that begin or separate clauses and operators that are words: they end an expression
// operand and cannot be an alias.
bool isClauseWord(const JetToken& token);
// A literal or a quoted name: a number, '…', "…", #…#, […] or `…`.
bool isLiteralOrQuotedName(const JetToken& token);
// An unquoted string value as SQL text: 'it''s'.
QString sqlStringLiteral(const QString& value);
// The value of a '…' or "…" literal.
QString stringLiteralValue(const JetToken& token);
// A plain name that is not a clause word, a [name] or a `name`.
bool isName(const JetToken& token);
// A name as written, without its brackets or quotes and the '$' of a [sheet$].
QString nameAsWritten(const JetToken& token);
// Whether token i is in the FROM clause of its SELECT.
bool inFromClause(const JetStatement& st, int i);

// Rejects an empty statement and characters after the first top-level ';', and drops the
// blanks and comments after that ';'.
void checkSingleStatement(JetStatement& st);
// Names, strings, dates, True/False, Mod, DISTINCTROW, ALIKE.
void translateTokens(JetStatement& st, const SqlDialect& dialect);
// "Delete * from" and "Delete t.* from".
void rewriteDelete(JetStatement& st);
void renameFunctions(JetStatement& st, const SqlDialect& dialect);
void rewriteSystemObjects(JetStatement& st, const SqlDialect& dialect);
// Jet wildcards in a string literal after LIKE.
void rewriteLikePatterns(JetStatement& st);

} // namespace rp
