#include "demo/DemoDatabase.h"

#include "core/base/Error.h"
#include "core/db/Database.h"
#include "core/hdb/HdbSchema.h"
#include "demo/DemoCatalog.h"
#include "demo/DemoHydrology.h"
#include "demo/DemoSeries.h"

#include <algorithm>

namespace rp {

namespace {

void writeSites(Database& db) {
    const auto& parameters = demo::parameters();
    size_t next = 0;
    db.appendRows(QStringLiteral("rsite"),
                  {QStringLiteral("site_id"), QStringLiteral("station_id"),
                   QStringLiteral("site_name"), QStringLiteral("state"), QStringLiteral("reach_id"),
                   QStringLiteral("datatype_site_id"), QStringLiteral("datatype_name"),
                   QStringLiteral("unit_name"), QStringLiteral("datatype_id")},
                  [&](QVariantList& row) {
                      if (next == parameters.size())
                          return false;
                      const demo::Parameter& p = parameters[next++];
                      const demo::Site& s = demo::sites().at(size_t(p.site));
                      row << s.siteId << QString::fromLatin1(s.stationId)
                          << QString::fromLatin1(s.name) << QString::fromLatin1(s.state)
                          << s.reachId << p.datatypeSiteId << QString::fromLatin1(p.datatypeName)
                          << QString::fromLatin1(p.unitName) << p.datatypeId;
                      return true;
                  });
}

void writeValues(Database& db, const QString& table, std::vector<demo::Row>& rows) {
    // Key order: the tables are clustered on it, so the inserts append.
    std::sort(rows.begin(), rows.end(), [](const demo::Row& a, const demo::Row& b) {
        return a.datatypeSiteId != b.datatypeSiteId ? a.datatypeSiteId < b.datatypeSiteId
                                                    : a.minute < b.minute;
    });
    // The new HDB file is SQLite, whose schema keeps date_time as ISO text; writing that text
    // directly spares a date conversion per row.
    std::vector<QString> clock(1440);
    for (int m = 0; m < 1440; ++m)
        clock[size_t(m)] = QStringLiteral(" %1:%2:00")
                               .arg(m / 60, 2, 10, QLatin1Char('0'))
                               .arg(m % 60, 2, 10, QLatin1Char('0'));
    size_t next = 0;
    qint64 day = -1;
    QString dayText;
    db.appendRows(table,
                  {QStringLiteral("datatype_site_id"), QStringLiteral("date_time"),
                   QStringLiteral("value"), QStringLiteral("source")},
                  [&](QVariantList& row) {
                      if (next == rows.size())
                          return false;
                      const demo::Row& r = rows[next++];
                      if (r.minute / 1440 != day) {
                          day = r.minute / 1440;
                          dayText = QDate::fromJulianDay(day).toString(Qt::ISODate);
                      }
                      row << r.datatypeSiteId << dayText + clock[size_t(r.minute % 1440)] << r.value
                          << r.source;
                      return true;
                  });
}

void fillDemoDatabaseChecks(QDate until) {
    if (!until.isValid())
        throw Error(QStringLiteral("The last day of the demo database is not a valid date."));
    if (until < demo::firstDay())
        throw Error(QStringLiteral("The demo database starts on %1; its last day must not be "
                                   "earlier.")
                        .arg(demo::firstDay().toString(Qt::ISODate)));
}

} // namespace

void fillDemoDatabase(Database& db, QDate until) {
    fillDemoDatabaseChecks(until);
    writeSites(db);
    demo::DemoHydrology hydrology;
    demo::TableRows rows;
    for (const demo::Parameter& p : demo::parameters())
        demo::DemoSeries(p, hydrology).generate(until, rows);
    for (const TimeStepInfo& step : timeSteps()) {
        auto& tableRows = rows[size_t(timeStepIndex(step.step))];
        writeValues(db, QString::fromLatin1(step.table), tableRows);
        tableRows = {};
    }
}

void createDemoDatabase(const QString& path, QDate until) {
    // The date is checked before any file is made.
    fillDemoDatabaseChecks(until);
    buildNewHdbFile(path, [&](Database& db) { fillDemoDatabase(db, until); });
}

void createDemoHdb(const QString& connectionString, QDate until) {
    fillDemoDatabaseChecks(until);
    buildNewHdb(connectionString, [&](Database& db) { fillDemoDatabase(db, until); });
}

} // namespace rp
