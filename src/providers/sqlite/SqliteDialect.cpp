#include "providers/sqlite/SqliteDialect.h"

#include "core/base/JetDate.h"
#include "jet/JetFunctions.h"

namespace rp {

QString SqliteDialect::quoteIdentifier(const QString& name) const {
    QString quoted = name;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString SqliteDialect::dateTimeLiteral(const QDateTime& dateTime) const {
    return QLatin1Char('\'') + isoDateTimeText(dateTime) + QLatin1Char('\'');
}

QString SqliteDialect::booleanLiteral(bool value) const {
    // Jet stores and computes True as -1: True + 1 is 0.
    return value ? QStringLiteral("-1") : QStringLiteral("0");
}

QString SqliteDialect::systemObjectsQuery() const {
    // Jet numbers tables 1 and queries 5; SQLite's own tables are not the user's.
    return QStringLiteral("SELECT name, CASE type WHEN 'table' THEN 1 ELSE 5 END AS type, "
                          "0 AS flags FROM sqlite_master WHERE type IN ('table', 'view') "
                          "AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\'");
}

QString SqliteDialect::functionName(const QString& jetName) const {
    if (!jet::findFunction(jetName) && !jet::isAggregate(jetName))
        return {};
    return QStringLiteral("jet_") + jetName.toLower();
}

} // namespace rp
