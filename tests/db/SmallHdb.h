#pragma once

// A small SQLite HDB in a temporary folder for database tests, with the rows of fillSmallHdb.

#include "BackendHdb.h"
#include "core/base/Error.h"
#include "core/db/Database.h"
#include "core/hdb/HdbSchema.h"

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
        fillSmallHdb(*m_db);
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
