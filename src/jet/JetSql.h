#pragma once

#include "jet/JetSqlTextColumns.h"
#include "jet/SqlDialect.h"

#include <QString>

namespace rp {

// Translates the Jet dialect the program and its users write into a backend's dialect, token by
// token: #date# literals, [name] and [name$], "text" strings, Delete * from, MSysObjects, TOP n,
// & concatenation, True/False, LIKE wildcards and the Jet functions hydrologists use.
// String literals and comments pass untouched; what is not recognised passes through, so the
// backend's own error reaches the user.
class JetSql {
public:
    struct Translation {
        QString sql;
        // The one table a plain "SELECT … FROM table …" reads from, for saving edits; empty for
        // joins, sub-queries, grouping, DISTINCT and anything that is not a SELECT.
        QString sourceTable;
    };

    // Throws rp::Error naming the problem: an unterminated # or [ or string, a date literal that
    // is not a date, a statement that is empty or only a comment, characters after the end of
    // the statement.
    // `columns` tells which columns of a table hold text, for comparing them ignoring case.
    static Translation translate(const QString& jetSql, const SqlDialect& dialect,
                                 const ColumnKindsLookup& columns = {});
};

} // namespace rp
