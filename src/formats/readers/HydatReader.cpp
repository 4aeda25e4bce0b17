#include "formats/readers/HydatReader.h"
#include "formats/readers/ReaderSupport.h"

#include <QAtomicInteger>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <cmath>

namespace rp::readers {

using namespace detail;

namespace {

struct Table {
    const char* table;
    const char* prefix;
    const char* parameter;
    const char* name;
    const char* unit;
};

const Table kTables[] = {{"DLY_FLOWS", "FLOW", "FLOW", "Discharge", "m3/s"},
                         {"DLY_LEVELS", "LEVEL", "LEVEL", "Water level", "m"}};

QString refusal(const QString& path, const QString& why) {
    return QStringLiteral("Cannot read the HYDAT database %1: %2").arg(path, why);
}

void readTable(QSqlDatabase& db, const Table& t, const QString& path, const HydatOptions& options,
               const QHash<QString, QString>& names, Builder& out) {
    QString sql = QStringLiteral("SELECT STATION_NUMBER, YEAR, MONTH");
    for (int d = 1; d <= 31; ++d)
        sql += QStringLiteral(", %1%2, %1_SYMBOL%2").arg(QLatin1String(t.prefix)).arg(d);
    sql += QStringLiteral(" FROM %1").arg(QLatin1String(t.table));
    if (!options.stations.isEmpty()) {
        QStringList marks(options.stations.size(), QStringLiteral("?"));
        sql += QStringLiteral(" WHERE STATION_NUMBER IN (%1)").arg(marks.join(u','));
    }
    sql += QStringLiteral(" ORDER BY STATION_NUMBER, YEAR, MONTH");
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.prepare(sql))
        throw ReadError(refusal(path, q.lastError().text()));
    for (const QString& s : options.stations)
        q.addBindValue(s);
    if (!q.exec())
        throw ReadError(refusal(path, q.lastError().text()));
    QHash<QString, int> seriesOf;
    qsizetype row = 0;
    while (q.next()) {
        ++row;
        const QString station = q.value(0).toString();
        const QDate first(q.value(1).toInt(), q.value(2).toInt(), 1);
        if (!first.isValid()) {
            out.warn(WarningKind::BadDate, 0,
                     QStringLiteral("%1 %2: year %3 month %4 is not a month; row skipped.")
                         .arg(QLatin1String(t.table), station, q.value(1).toString(),
                              q.value(2).toString()));
            continue;
        }
        int index = seriesOf.value(station, -1);
        for (int d = 1; d <= first.daysInMonth(); ++d) {
            const QVariant v = q.value(1 + 2 * d);
            if (v.isNull())
                continue;
            bool ok = false;
            const double value = v.toDouble(&ok);
            if (!ok || !std::isfinite(value))
                continue;
            if (index < 0) {
                Series s;
                s.siteId = station;
                s.siteName = names.value(station);
                s.parameter = QLatin1String(t.parameter);
                s.parameterName = QLatin1String(t.name);
                s.unit = QLatin1String(t.unit);
                s.statistic = QStringLiteral("Mean");
                s.step = TimeStep{StepKind::Day, 0};
                s.qualifiers = QualifierScheme::Hydat;
                index = out.addSeries(s);
                seriesOf.insert(station, index);
            }
            out.add(index, Stamp{first.addDays(d - 1), 0, false, {}}, value,
                    out.qualifier(q.value(2 + 2 * d).toString().toUtf8()), 0);
        }
    }
}

} // namespace

ReadResult readHydat(const QString& path, const HydatOptions& options) {
    if (!QFileInfo(path).isFile())
        throw ReadError(refusal(path, QStringLiteral("no such file.")));
    static QAtomicInteger<int> counter;
    // Removed after the handle below is gone, however the read ends.
    struct Connection {
        QString name;
        ~Connection() { QSqlDatabase::removeDatabase(name); }
    } connection{QStringLiteral("rivelpost-hydat-%1").arg(++counter)};
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection.name);
    db.setDatabaseName(path);
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
    if (!db.open())
        throw ReadError(refusal(path, db.lastError().text()));
    const QStringList tables = db.tables();
    if (!tables.contains(u"DLY_FLOWS"_qs) && !tables.contains(u"DLY_LEVELS"_qs))
        throw ReadError(refusal(path, QStringLiteral("it has neither a DLY_FLOWS nor a "
                                                     "DLY_LEVELS table.")));
    QHash<QString, QString> names;
    if (tables.contains(u"STATIONS"_qs)) {
        QSqlQuery q(QStringLiteral("SELECT STATION_NUMBER, STATION_NAME FROM STATIONS"), db);
        while (q.next())
            names.insert(q.value(0).toString(), q.value(1).toString());
    }
    Builder out(ReadOptions{});
    for (const Table& t : kTables)
        if (tables.contains(QLatin1String(t.table)))
            readTable(db, t, path, options, names, out);
    ReadResult result = out.finish();
    db.close();
    return result;
}

} // namespace rp::readers
