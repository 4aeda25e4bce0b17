#pragma once

// What the update workbook tests share: a small daily HDB with its series file, and edits of a
// workbook through python3-openpyxl.

#include "SpreadsheetCheck.h"
#include "core/db/Database.h"
#include "core/hdb/HdbSchema.h"

#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <memory>

namespace rp::test {

// Runs Python with openpyxl on the workbook: `edit` is Python acting on `ws`, the named sheet.
inline bool editWithOpenpyxl(const QString& book, const QString& sheet, const QString& edit) {
    QProcess python;
    const QString script = QStringLiteral("import sys, openpyxl\n"
                                          "wb = openpyxl.load_workbook(sys.argv[1])\n"
                                          "ws = wb[sys.argv[2]]\n") +
                           edit + QStringLiteral("\nwb.save(sys.argv[1])\n");
    python.start(QLatin1String(systemPython), {QStringLiteral("-c"), script, book, sheet});
    return python.waitForFinished(60000) && python.exitCode() == 0;
}

// An HDB with five daily values of parameter 1011, 1 to 5 March 1999, source 1.
struct DailyHdb {
    QTemporaryDir dir;
    QString connection;
    std::shared_ptr<Database> db;

    DailyHdb() {
        connection = QStringLiteral("Provider=SQLite;Data Source=%1")
                         .arg(dir.filePath(QStringLiteral("hdb.sqlite")));
        db = createHdb(connection);
        for (int day = 1; day <= 5; ++day)
            db->executeNative(
                QStringLiteral("INSERT INTO rday VALUES (1011, '1999-03-0%1 00:00:00', %1, 1)")
                    .arg(day));
    }

    // date (yyyy-MM-dd) -> "value/source", from the database.
    QMap<QString, QString> rows() const {
        QMap<QString, QString> out;
        const auto rs = db->open(QStringLiteral("SELECT date_time, value, source FROM rday WHERE "
                                                "datatype_site_id=1011 ORDER BY date_time;"),
                                 LockType::ReadOnly);
        for (qsizetype r = 0; r < rs->recordCount(); ++r)
            out.insert(rs->value(r, 0).toDateTime().date().toString(Qt::ISODate),
                       QStringLiteral("%1/%2").arg(rs->displayText(r, 1), rs->displayText(r, 2)));
        return out;
    }

    QString seriesFile() const {
        const QString path = dir.filePath(QStringLiteral("lastout.txt"));
        QByteArray text = "2 1011 KERN R NR KERNVILLE\r\nDAILY DISCHARGE, CFS\r\n";
        for (int day = 1; day <= 5; ++day)
            text += QStringLiteral("0%1 MAR 1999 %1\r\n").arg(day).toLatin1();
        writeFile(path, text);
        return path;
    }
};

} // namespace rp::test
