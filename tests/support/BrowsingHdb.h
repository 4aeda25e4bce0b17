#pragma once

#include "core/base/JetDate.h"
#include "core/db/Database.h"
#include "core/hdb/HdbSchema.h"

#include <QDateTime>
#include <QTemporaryDir>
#include <QVariantList>

namespace rp::test {

// A small HDB in a temporary folder, with values known to the tests:
// site 1 "Kern River near Bakersfield" (station "1"): 1001 discharge cfs, 1002 gage height feet,
//   1003 water temp deg f; site 2 "Isabella Reservoir" (station "2"): 2001 storage acre-feet;
//   site 3 "Kernville Rain Gage" (station "3"): 3001 rainfall inches.
// rday 1001: 1..31 Jan 2010, value 100 + day; rday 2001: 1..10 Jan 2010.
// rhour 1002: every hour of 31 Jan 2010 and midnight of 1 Feb 2010.
// runit 1001: 15 minutes through 31 Jan 2010; 1003: 30 minutes; 3001: hourly; 2001: 4 records.
// rdaymax, rdaymin, runitshift 1001: 1..31 Jan 2010; ryear 1001: 2000..2010; rmonth 1001: 2010.
class BrowsingHdb {
public:
    BrowsingHdb() {
        path = dir.filePath(QStringLiteral("browsing.sqlite"));
        connectionString = QStringLiteral("Provider=SQLite;Data Source=") + path;
        auto db = createHdb(connectionString);
        const QList<QVariantList> sites{
            {1, "1", "Kern River near Bakersfield", "CA", 10, 1001, "discharge", "cfs", 19},
            {1, "1", "Kern River near Bakersfield", "CA", 10, 1002, "gage height", "feet", 65},
            {1, "1", "Kern River near Bakersfield", "CA", 10, 1003, "water temp", "deg f", 80},
            {2, "2", "Isabella Reservoir", "CA", 11, 2001, "storage", "acre-feet", 17},
            {3, "3", "Kernville Rain Gage", "CA", 12, 3001, "rainfall", "inches", 5}};
        append(*db, QStringLiteral("rsite"),
               {"site_id", "station_id", "site_name", "state", "reach_id", "datatype_site_id",
                "datatype_name", "unit_name", "datatype_id"},
               sites);
        const QDateTime jan1 = naiveDateTime(QDate(2010, 1, 1));
        const QDateTime jan31 = naiveDateTime(QDate(2010, 1, 31));
        append(*db, QStringLiteral("rday"), series(1001, jan1, 31, 86400, 101));
        append(*db, QStringLiteral("rday"), series(2001, jan1, 10, 86400, 5000));
        append(*db, QStringLiteral("rhour"), series(1002, jan31, 25, 3600, 1));
        append(*db, QStringLiteral("runit"), series(1001, jan31, 96, 900, 1));
        append(*db, QStringLiteral("runit"), series(1003, jan31, 48, 1800, 1));
        append(*db, QStringLiteral("runit"), series(3001, jan31, 24, 3600, 1));
        append(*db, QStringLiteral("runit"), series(2001, jan31, 4, 900, 1));
        for (const char* table : {"rdaymax", "rdaymin", "runitshift"})
            append(*db, QLatin1String(table), series(1001, jan1, 31, 86400, 1));
        QList<QVariantList> years, months;
        for (int y = 2000; y <= 2010; ++y)
            years.append({1001, naiveDateTime(QDate(y, 1, 1)), y, 1});
        for (int m = 1; m <= 12; ++m)
            months.append({1001, naiveDateTime(QDate(2010, m, 1)), m, 1});
        append(*db, QStringLiteral("ryear"), years);
        append(*db, QStringLiteral("rmonth"), months);
    }

    static QList<QVariantList> series(int key, const QDateTime& first, int count, int seconds,
                                      double firstValue) {
        QList<QVariantList> rows;
        for (int i = 0; i < count; ++i)
            rows.append({key, first.addSecs(qint64(i) * seconds), firstValue + i, 34});
        return rows;
    }

    static void append(Database& db, const QString& table, const QList<QVariantList>& rows) {
        append(db, table, {"datatype_site_id", "date_time", "value", "source"}, rows);
    }

    static void append(Database& db, const QString& table, const QStringList& columns,
                       const QList<QVariantList>& rows) {
        qsizetype i = 0;
        db.appendRows(table, columns, [&](QVariantList& row) {
            if (i == rows.size())
                return false;
            row = rows[i++];
            return true;
        });
    }

    QTemporaryDir dir;
    QString path;
    QString connectionString;
};

} // namespace rp::test
