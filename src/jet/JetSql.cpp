#include "jet/JetSql.h"

#include "jet/JetSqlClauseRules.h"
#include "jet/JetSqlExpressionRules.h"
#include "jet/JetSqlOperatorRules.h"
#include "jet/JetSqlRules.h"
#include "jet/JetStatement.h"

namespace rp {

JetSql::Translation JetSql::translate(const QString& jetSql, const SqlDialect& dialect,
                                      const ColumnKindsLookup& columns) {
    JetStatement st(tokenizeJetSql(jetSql));
    checkSingleStatement(st);
    translateTokens(st, dialect);
    rewriteDelete(st);
    renameFunctions(st, dialect);
    rewriteSystemObjects(st, dialect);
    rewriteLikeOperators(st, dialect);
    rewriteLikePatterns(st);
    rewriteArithmetic(st);
    rewriteSwitchAndChoose(st, dialect);
    rewriteTextComparisons(st, dialect);
    collateTextColumns(st, dialect, columns);
    rewriteDivision(st, dialect);
    rewriteMakeTable(st);
    rewriteConcatenation(st, dialect.castsConcatenationOperands());
    rewriteTop(st, &dialect);
    // Last, as it writes after what the other rules wrap.
    nameComputedColumns(st);
    return Translation{st.text(), plainSelectTable(st)};
}

} // namespace rp
