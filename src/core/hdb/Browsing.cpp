#include "core/hdb/Browsing.h"

#include "core/base/Error.h"
#include "core/base/JetDate.h"

#include <QRegularExpression>

namespace rp {

namespace {

void requireNumber(const QString& text, const QString& what) {
    if (!isNumberText(text))
        throw Error(QStringLiteral("The %1 \"%2\" is not a number.").arg(what, text.trimmed()));
}

bool isPlainName(const QString& name) {
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    static const QStringList reserved{
        QStringLiteral("select"), QStringLiteral("from"),  QStringLiteral("where"),
        QStringLiteral("order"),  QStringLiteral("group"), QStringLiteral("by"),
        QStringLiteral("table"),  QStringLiteral("and"),   QStringLiteral("or"),
        QStringLiteral("not"),    QStringLiteral("into"),  QStringLiteral("values"),
        QStringLiteral("having"), QStringLiteral("union"), QStringLiteral("join"),
        QStringLiteral("as"),     QStringLiteral("on"),    QStringLiteral("top")};
    return plain.match(name).hasMatch() && !reserved.contains(name.toLower());
}

} // namespace

bool isNumberText(const QString& text) {
    static const QRegularExpression number(QStringLiteral("^[+-]?(\\d+\\.?\\d*|\\.\\d+)$"));
    return number.match(text.trimmed()).hasMatch();
}

QString siteListStatement() {
    return QStringLiteral(
        "SELECT DISTINCT site_id, station_id, site_name, state, reach_id FROM rsite ORDER BY "
        "site_id;");
}

QString parameterListStatement(const QString& siteId) {
    requireNumber(siteId, QStringLiteral("site_id"));
    return QStringLiteral("SELECT site_id, datatype_site_id, datatype_name, unit_name, site_name, "
                          "datatype_id FROM rsite WHERE site_id=") +
           siteId.trimmed() + QStringLiteral(" ORDER BY datatype_id;");
}

QString parameterListWithDataStatement(const QString& siteId, TimeStep step, const QString& start,
                                       const QString& end) {
    requireNumber(siteId, QStringLiteral("site_id"));
    const auto endDate = parseJetDateTime(end.trimmed());
    if (!endDate)
        throw Error(QStringLiteral("The end date \"%1\" is not a date.").arg(end.trimmed()));
    return QStringLiteral("SELECT DISTINCT a.site_id, a.datatype_site_id, a.datatype_name, "
                          "a.unit_name, a.site_name, a.datatype_id FROM rsite a, ") +
           QLatin1String(timeStepInfo(step).table) + QStringLiteral(" b WHERE a.site_id=") +
           siteId.trimmed() +
           QStringLiteral(" AND a.datatype_site_id=b.datatype_site_id AND b.date_time BETWEEN #") +
           start.trimmed() + QStringLiteral("# AND #") + jetDateText(endDate->date().addDays(1)) +
           QStringLiteral("# ORDER BY a.datatype_id;");
}

QString tableListStatement() {
    return QStringLiteral("SELECT name FROM MSysObjects WHERE type = 1 AND flags = 0;");
}

QString quotedTableName(const QString& table) {
    if (table.trimmed().isEmpty())
        throw Error(QStringLiteral("Select a table name first."));
    if (isPlainName(table))
        return table;
    // Jet names cannot hold brackets, so such a name cannot be written safely.
    if (table.contains(QLatin1Char('[')) || table.contains(QLatin1Char(']')))
        throw Error(
            QStringLiteral("The table name \"%1\" cannot be used in a statement.").arg(table));
    return QLatin1Char('[') + table + QLatin1Char(']');
}

QString wholeTableStatement(const QString& table) {
    if (table == QLatin1String("rsite"))
        return QStringLiteral("SELECT * FROM rsite order by site_id;");
    return QStringLiteral("SELECT * FROM ") + quotedTableName(table) + QLatin1Char(';');
}

GridDispatch gridDoubleClickDispatch(const QString& firstColumnCaption) {
    const QString caption = firstColumnCaption.trimmed();
    if (caption == QLatin1String("site_id"))
        return GridDispatch::ParametersWithData;
    if (caption == QLatin1String("datatype_site_id"))
        return GridDispatch::Go;
    if (caption == QLatin1String("name"))
        return GridDispatch::OpenTable;
    return GridDispatch::Nothing;
}

double columnWidthFactor(int gridWidthTwips, bool parameterList, int screenWidthPixels) {
    double f = static_cast<double>(gridWidthTwips) / referenceGridWidth;
    if (parameterList && screenWidthPixels > 1000)
        f *= 0.95;
    return f;
}

} // namespace rp
