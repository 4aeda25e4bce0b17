#pragma once

#include "jet/SqlDialect.h"

namespace rp {

// PostgreSQL as the Jet translator writes for it: plain names folded to lower case (Jet does not
// tell [Site_ID] from site_id), TIMESTAMP '…' literals, TRUE and FALSE, the user tables of the
// current schema for MSysObjects, and the Jet functions as the jet_<name> functions the HDB
// schema creates.
class PostgresDialect : public SqlDialect {
public:
    QString quoteIdentifier(const QString& name) const override;
    QString dateTimeLiteral(const QDateTime& dateTime) const override;
    QString booleanLiteral(bool value) const override;
    QString systemObjectsQuery() const override;
    QString functionName(const QString& jetName) const override;
    bool castsConcatenationOperands() const override { return true; }
    QString realOne() const override { return QStringLiteral("CAST(1 AS double precision)"); }
    QString firstRowsWithTies(const QString& n) const override {
        return QStringLiteral("FETCH FIRST ") + n + QStringLiteral(" ROWS WITH TIES");
    }
    // Created with the HDB's Jet functions: ICU's comparison at the strength that ignores case.
    QString caseInsensitiveCollation() const override { return QStringLiteral("jet_nocase"); }
    QString defaultCollation() const override { return QStringLiteral("\"default\""); }
    bool collatesGroupedColumnsEverywhere() const override { return true; }
    QString likeOperator() const override { return QStringLiteral("ILIKE"); }
    QString regexOperator(bool negated) const override {
        return negated ? QStringLiteral("!~") : QStringLiteral("~");
    }
};

} // namespace rp
