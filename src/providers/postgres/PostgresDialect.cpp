#include "providers/postgres/PostgresDialect.h"

#include "core/base/JetDate.h"
#include "jet/JetFunctions.h"

#include <QRegularExpression>

namespace rp {

QString PostgresDialect::quoteIdentifier(const QString& name) const {
    // A plain name is folded as the server folds unquoted names, so [Rsite] finds rsite; a name
    // with spaces or other marks keeps its case, as only quoting can reach it.
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    QString quoted = plain.match(name).hasMatch() ? name.toLower() : name;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString PostgresDialect::dateTimeLiteral(const QDateTime& dateTime) const {
    return QStringLiteral("TIMESTAMP '") + isoDateTimeText(dateTime) + QLatin1Char('\'');
}

QString PostgresDialect::booleanLiteral(bool value) const {
    // Jet stores and computes True as -1: True + 1 is 0.
    return value ? QStringLiteral("-1") : QStringLiteral("0");
}

QString PostgresDialect::systemObjectsQuery() const {
    // Jet numbers tables 1 and queries 5.
    return QStringLiteral("SELECT table_name::text AS name, CASE table_type WHEN 'BASE TABLE' "
                          "THEN 1 ELSE 5 END AS type, 0 AS flags FROM information_schema.tables "
                          "WHERE table_schema = current_schema()");
}

QString PostgresDialect::functionName(const QString& jetName) const {
    if (!jet::findFunction(jetName) && !jet::isAggregate(jetName))
        return {};
    return QStringLiteral("jet_") + jetName.toLower();
}

} // namespace rp
