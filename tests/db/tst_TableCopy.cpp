#include "SmallHdb.h"
#include "TestSupport.h"

#include "core/base/Error.h"
#include "core/base/JetDate.h"
#include "core/db/Database.h"
#include "core/hdb/HdbSchema.h"
#include "core/hdb/TableCopy.h"
#include "providers/sqlite/SqliteDatabase.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace rp;
using rp::test::scalar;
using rp::test::SmallHdb;

namespace {

// A table that is no part of an HDB, with a column of each kind and a name to quote.
void addNotes(Database& db) {
    db.executeNative(QStringLiteral(
        "CREATE TABLE \"Gauge Notes ä\" (id INTEGER, noted DATETIME, level REAL, note TEXT, "
        "photo BLOB);"
        "INSERT INTO \"Gauge Notes ä\" VALUES (1, '1999-03-05 07:15:00', 2.5, 'ice', x'00ff'),"
        "(2, '9999-12-31 00:00:00', NULL, 'far future', NULL)"));
}

} // namespace

class TestTableCopy : public QObject {
    Q_OBJECT
private slots:
    void anHdbKeepsItsRowsAndItsOtherTables() {
        SmallHdb source;
        addNotes(*source.db());
        QTemporaryDir dir;
        const QString target = dir.filePath(QStringLiteral("copy.sqlite"));
        QStringList reported;
        qint64 copied = 0;
        buildNewHdbFile(target, [&](Database& to) {
            copied = copyEveryTable(*source.db(), to, [&](const QString& table, qint64) {
                if (!reported.contains(table))
                    reported.append(table);
            });
        });
        // 3 sites, 8 rows in each of 8 value tables, 2 notes.
        QCOMPARE(copied, 3 + 8 * 8 + 2);
        QVERIFY(reported.contains(QStringLiteral("rsite")));
        QVERIFY(reported.contains(QStringLiteral("Gauge Notes ä")));
        SqliteDatabase copy(target);
        QCOMPARE(scalar(copy, "SELECT count(*) FROM rday"), QStringLiteral("8"));
        QCOMPARE(
            scalar(copy, "SELECT sum(value) FROM runit WHERE datatype_site_id = 1001"),
            scalar(*source.db(), "SELECT sum(value) FROM runit WHERE datatype_site_id = 1001"));

        const auto notes = copy.open(QStringLiteral("SELECT * FROM [Gauge Notes ä] ORDER BY id"),
                                     LockType::ReadOnly);
        QCOMPARE(notes->recordCount(), 2);
        QCOMPARE(notes->fieldNames(), (QStringList{"id", "noted", "level", "note", "photo"}));
        QCOMPARE(notes->fieldType(0), FieldType::Integer);
        QCOMPARE(notes->fieldType(1), FieldType::DateTime);
        QCOMPARE(notes->fieldType(2), FieldType::Real);
        QCOMPARE(notes->fieldType(3), FieldType::Text);
        QCOMPARE(notes->value(0, 1), QVariant(naiveDateTime(QDate(1999, 3, 5), QTime(7, 15))));
        QCOMPARE(notes->value(1, 1), QVariant(naiveDateTime(QDate(9999, 12, 31))));
        QCOMPARE(notes->value(0, 4), QVariant(QByteArray("\x00\xff", 2)));
        QVERIFY(notes->isNull(1, 2));
    }

    void aDatabaseThatIsNoHdbGivesItsTables() {
        QTemporaryDir dir;
        const QString sourcePath = dir.filePath(QStringLiteral("plain.sqlite"));
        {
            SqliteDatabase source(sourcePath, SqliteDatabase::OpenMode::CreateNew);
            addNotes(source);
            // A table named like a value table, with a column the HDB's lacks.
            source.executeNative(QStringLiteral(
                "CREATE TABLE RDAY (datatype_site_id INTEGER, date_time DATETIME, value REAL, "
                "remark TEXT); INSERT INTO RDAY VALUES (5, '2001-01-01 00:00:00', 3.5, 'x')"));
        }
        SqliteDatabase source(sourcePath);
        const QString target = dir.filePath(QStringLiteral("copy.sqlite"));
        buildNewHdbFile(target, [&](Database& to) { QCOMPARE(copyEveryTable(source, to), 3); });
        SqliteDatabase copy(target);
        QCOMPARE(scalar(copy, "SELECT count(*) FROM rsite"), QStringLiteral("0"));
        QCOMPARE(scalar(copy, "SELECT value FROM rday WHERE datatype_site_id = 5"),
                 QStringLiteral("3.5"));
        QCOMPARE(scalar(copy, "SELECT count(*) FROM [Gauge Notes ä]"), QStringLiteral("2"));
        // rday keeps the HDB's own columns.
        QCOMPARE(copy.open(QStringLiteral("SELECT * FROM rday"), LockType::ReadOnly)->fieldCount(),
                 4);
    }

    void aFailedCopyLeavesNothing() {
        QTemporaryDir dir;
        const QString sourcePath = dir.filePath(QStringLiteral("plain.sqlite"));
        {
            SqliteDatabase source(sourcePath, SqliteDatabase::OpenMode::CreateNew);
            // Twice the same key: the HDB's rday refuses the second row.
            source.executeNative(QStringLiteral(
                "CREATE TABLE rday (datatype_site_id INTEGER, date_time DATETIME, value REAL);"
                "INSERT INTO rday VALUES (5, '2001-01-01 00:00:00', 1), "
                "(5, '2001-01-01 00:00:00', 2)"));
        }
        SqliteDatabase source(sourcePath);
        const QString target = dir.filePath(QStringLiteral("copy.sqlite"));
        const QString error = rp::test::errorMessageOf(
            [&] { buildNewHdbFile(target, [&](Database& to) { copyEveryTable(source, to); }); });
        QVERIFY2(error.contains(QStringLiteral("UNIQUE")), qPrintable(error));
        QVERIFY(!QFileInfo::exists(target));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("plain.sqlite")});
    }
};

QTEST_GUILESS_MAIN(TestTableCopy)
#include "tst_TableCopy.moc"
