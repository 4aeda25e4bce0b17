#pragma once

// A small HDB in a temporary folder for database tests: two sites, a few rows in every value
// table around 5-7 March 1999.

#include "db/Database.h"
#include "db/Error.h"
#include "db/HdbSchema.h"

#include <QTemporaryDir>
#include <QTest>

namespace rp::test {

class SmallHdb {
public:
    SmallHdb() {
        try {
            fill();
        } catch (const Error& e) {
            QFAIL(qPrintable(e.message()));
        }
    }

    const QString& path() const { return m_path; }
    const QString& connection() const { return m_connection; }
    const std::shared_ptr<Database>& db() const { return m_db; }
    QString folder() const { return m_dir.path(); }

private:
    void fill() {
        QVERIFY2(m_dir.isValid(), "no temporary folder");
        m_path = m_dir.filePath(QStringLiteral("small.sqlite"));
        m_connection = QStringLiteral("Provider=SQLite;Data Source=%1").arg(m_path);
        m_db = createHdb(m_connection);
        m_db->beginTransaction();
        m_db->executeNative(QStringLiteral(
            "INSERT INTO rsite VALUES "
            "(7, '2', 'KERN R NR KERNVILLE', 'CA', 1, 1001, 'discharge', 'cfs', 19),"
            "(7, '2', 'KERN R NR KERNVILLE', 'CA', 1, 1002, 'storage', 'acre-feet', 17),"
            "(9, '4', 'SMITH R', 'OR', 2, 2001, 'rainfall', 'inches', 45)"));
        // Around a range of 05-Mar-1999 .. 07-Mar-1999 in every value table.
        const char* times[] = {"1999-03-04 23:00:00", "1999-03-05 00:00:00", "1999-03-06 12:00:00",
                               "1999-03-07 00:00:00", "1999-03-07 07:15:00", "1999-03-08 00:00:00",
                               "1999-03-08 00:15:00"};
        for (const QString& table : hdbValueTables()) {
            int i = 0;
            for (const char* t : times) {
                m_db->executeNative(QStringLiteral("INSERT INTO %1 VALUES (1001, '%2', %3, %4)")
                                        .arg(table, QLatin1String(t))
                                        .arg(1.5 + i)
                                        .arg(i == 2 ? 34 : 1));
                ++i;
            }
            m_db->executeNative(
                QStringLiteral("INSERT INTO %1 VALUES (2001, '1999-03-06 00:00:00', 0.25, 1)")
                    .arg(table));
        }
        m_db->commit();
    }

    QTemporaryDir m_dir;
    QString m_path;
    QString m_connection;
    std::shared_ptr<Database> m_db;
};

// The only value of a one-value query, as the grid shows it.
inline QString scalar(Database& db, const QString& sql) {
    auto rs = db.open(sql, LockType::ReadOnly);
    if (rs->recordCount() != 1 || rs->fieldCount() < 1)
        return QStringLiteral("<%1 rows>").arg(rs->recordCount());
    return rs->displayText(0, 0);
}

} // namespace rp::test
