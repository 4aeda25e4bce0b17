#pragma once

#include <QDateTime>
#include <QString>

namespace rp {

// What the Jet translator needs to know of the backend it writes for.
class SqlDialect {
public:
    virtual ~SqlDialect() = default;

    virtual QString quoteIdentifier(const QString& name) const = 0;
    // A date-time literal for a naive (Qt::UTC) date-time.
    virtual QString dateTimeLiteral(const QDateTime& dateTime) const = 0;
    virtual QString booleanLiteral(bool value) const = 0;
    // A row-returning query with the columns name, type, flags standing in for MSysObjects:
    // user tables have type 1 and flags 0.
    virtual QString systemObjectsQuery() const = 0;
    // The name a Jet function (Year, DateAdd, IIf …; any case) goes by in this backend, or an
    // empty string when the backend does not provide it.
    virtual QString functionName(const QString& jetName) const = 0;
    // Whether the operands of Jet's & must be turned into text before || joins them (a server
    // that does not join a number to a text by itself).
    virtual bool castsConcatenationOperands() const { return false; }
    // A real-valued one: multiplying by it makes '/' divide whole numbers as reals.
    virtual QString realOne() const { return QStringLiteral("1.0"); }
    // The operator for Jet's LIKE with the backend's wildcards, ignoring case.
    virtual QString likeOperator() const { return QStringLiteral("LIKE"); }
    // The clause ending an ordered SELECT that keeps its first n rows and every row tied with
    // the last of them, or an empty string when the backend has none.
    virtual QString firstRowsWithTies(const QString& n) const {
        (void)n;
        return {};
    }
    // The collation that compares texts ignoring case, as Jet compares them.
    virtual QString caseInsensitiveCollation() const { return QStringLiteral("NOCASE"); }
    // The collation texts are kept in, for a value that leaves a case-insensitive comparison.
    virtual QString defaultCollation() const { return QStringLiteral("BINARY"); }
    // Whether a query grouped by a collated column must name that column with the collation
    // wherever it shows it (the server matches grouped expressions as written).
    virtual bool collatesGroupedColumnsEverywhere() const { return false; }
    // The operator matching a text against a regular expression ("(?i)^…$"), or not matching.
    virtual QString regexOperator(bool negated) const {
        return negated ? QStringLiteral("NOT REGEXP") : QStringLiteral("REGEXP");
    }
};

} // namespace rp
