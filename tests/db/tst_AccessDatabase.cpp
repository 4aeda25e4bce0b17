#include "TestSupport.h"

#include "core/base/Error.h"
#include "core/base/JetDate.h"
#include "core/db/Database.h"
#include "providers/access/AccessDatabase.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

using namespace rp;

namespace {

QVariant scalar(Database& db, const QString& sql) {
    const auto set = db.open(sql, LockType::ReadOnly);
    return set->isEmpty() ? QVariant() : set->value(0, 0);
}

QDateTime at(int y, int mo, int d, int h = 0, int mi = 0) {
    return naiveDateTime(QDate(y, mo, d), QTime(h, mi));
}

std::shared_ptr<Database> openAccess(const QString& path) {
    return openDatabase(
        QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=%1").arg(path));
}

// A copy of a file changed by edit, in dir.
QString damagedCopy(const QString& source, const QTemporaryDir& dir, const QString& name,
                    const std::function<void(QByteArray&)>& edit) {
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return {};
    QByteArray bytes = in.readAll();
    edit(bytes);
    const QString path = dir.filePath(name);
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly))
        return {};
    out.write(bytes);
    return path;
}

} // namespace

class TestAccessDatabase : public QObject {
    Q_OBJECT
private slots:
    void listsTheFilesOwnTables_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("tables");
        QTest::newRow("nwind") << "mdb/nwind.mdb"
                               << QStringList{"Categories",    "Customers", "Employees",
                                              "Order Details", "Orders",    "Products",
                                              "Shippers",      "Suppliers", "Umsätze"};
        QTest::newRow("dates") << "mdb/DateTestDatabase.mdb" << QStringList{"DateTest"};
        QTest::newRow("accdb") << "mdb/ASampleDatabase.accdb" << QStringList{"Asset Items"};
    }
    void listsTheFilesOwnTables() {
        QFETCH(QString, file);
        QFETCH(QStringList, tables);
        RP_REQUIRE_SHARED_DATA(path, file);
        const auto db = openAccess(path);
        QCOMPARE(db->backendName(), QStringLiteral("Access"));
        QCOMPARE(db->location(), path);
        const QStringList listed = db->tables();
        for (const QString& t : tables)
            QVERIFY2(listed.contains(t), qPrintable(t + " missing from " + listed.join(", ")));
        for (const QString& t : listed)
            QVERIFY2(!t.startsWith(QStringLiteral("MSys")), qPrintable(t));
        // DB Tables asks the system catalogue; it lists the same tables.
        const auto catalogue =
            db->open(QStringLiteral("SELECT name FROM MSysObjects WHERE type = 1 AND flags = 0 "
                                    "ORDER BY name"),
                     LockType::ReadOnly);
        QStringList named;
        for (qsizetype r = 0; r < catalogue->recordCount(); ++r)
            named.append(catalogue->value(r, 0).toString());
        QCOMPARE(named.size(), listed.size());
        for (const QString& t : listed)
            QVERIFY(named.contains(t));
    }

    void rowsArriveWhole_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("table");
        QTest::addColumn<int>("rows");
        QTest::newRow("Orders") << "mdb/nwind.mdb"
                                << "Orders" << 830;
        QTest::newRow("Order Details") << "mdb/nwind.mdb"
                                       << "[Order Details]" << 2155;
        QTest::newRow("Umsätze") << "mdb/nwind.mdb"
                                 << "Umsätze" << 830;
        QTest::newRow("Products") << "mdb/nwind.mdb"
                                  << "Products" << 77;
        QTest::newRow("DateTest") << "mdb/DateTestDatabase.mdb"
                                  << "DateTest" << 6;
        QTest::newRow("Asset Items") << "mdb/ASampleDatabase.accdb"
                                     << "[Asset Items]" << 65;
    }
    void rowsArriveWhole() {
        QFETCH(QString, file);
        QFETCH(QString, table);
        QFETCH(int, rows);
        RP_REQUIRE_SHARED_DATA(path, file);
        const auto db = openAccess(path);
        QCOMPARE(scalar(*db, QStringLiteral("SELECT count(*) FROM %1").arg(table)).toInt(), rows);
        QCOMPARE(db->open(QStringLiteral("SELECT * FROM %1").arg(table), LockType::ReadOnly)
                     ->recordCount(),
                 rows);
    }

    void columnsKeepTheirTypes_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<int>("type");
        const QString nwind = QStringLiteral("mdb/nwind.mdb");
        const QString orders = QStringLiteral("SELECT %1 FROM Orders WHERE OrderID = 10331");
        QTest::newRow("long integer")
            << nwind << orders.arg("EmployeeID") << QVariant(9LL) << int(FieldType::Integer);
        QTest::newRow("date") << nwind << orders.arg("OrderDate") << QVariant(at(1994, 11, 16))
                              << int(FieldType::DateTime);
        QTest::newRow("currency") << nwind << orders.arg("Freight") << QVariant(10.19)
                                  << int(FieldType::Real);
        QTest::newRow("text") << nwind << orders.arg("ShipCity") << QVariant("Marseille")
                              << int(FieldType::Text);
        QTest::newRow("empty text is null")
            << nwind << orders.arg("ShipRegion") << QVariant() << int(FieldType::Text);
        QTest::newRow("non-ASCII table")
            << nwind << "SELECT ShipCity FROM Umsätze WHERE OrderID = 10331"
            << QVariant("Marseille") << int(FieldType::Text);
        QTest::newRow("Jet function on a date")
            << nwind << orders.arg("Year(OrderDate) * 100 + Month(OrderDate)") << QVariant(199411LL)
            << int(FieldType::Integer);
        QTest::newRow("date literal") << nwind
                                      << "SELECT count(*) FROM Orders WHERE OrderDate BETWEEN "
                                         "#16-Nov-1994# AND #16-Nov-1994#"
                                      << QVariant(2LL) << int(FieldType::Integer);
        QTest::newRow("boolean") << nwind
                                 << "SELECT count(*) FROM Products WHERE Discontinued = True"
                                 << QVariant(8LL) << int(FieldType::Integer);
        QTest::newRow("single") << nwind << "SELECT max(Discount) FROM [Order Details]"
                                << QVariant(0.25) << int(FieldType::Real);
        const QString dates = QStringLiteral("mdb/DateTestDatabase.mdb");
        QTest::newRow("year 9999 stays a date")
            << dates << "SELECT DateTimeCol FROM DateTest WHERE IDCol = 2"
            << QVariant(at(9999, 1, 1)) << int(FieldType::DateTime);
        QTest::newRow("before 1900") << dates << "SELECT DateCol FROM DateTest WHERE IDCol = 3"
                                     << QVariant(at(1899, 1, 1)) << int(FieldType::DateTime);
        QTest::newRow("before 1000") << dates << "SELECT DateTimeCol FROM DateTest WHERE IDCol = 4"
                                     << QVariant(at(632, 1, 1)) << int(FieldType::DateTime);
        QTest::newRow("memo") << dates << "SELECT LongTextCol FROM DateTest WHERE IDCol = 2"
                              << QVariant("Year 9999") << int(FieldType::Text);
        const QString accdb = QStringLiteral("mdb/ASampleDatabase.accdb");
        QTest::newRow("accdb date") << accdb
                                    << "SELECT Acquired FROM [Asset Items] WHERE [Asset No] = "
                                       "'30050'"
                                    << QVariant(at(1997, 9, 2)) << int(FieldType::DateTime);
        QTest::newRow("accdb currency") << accdb
                                        << "SELECT Cost FROM [Asset Items] WHERE [Asset No] = "
                                           "'30050'"
                                        << QVariant(1995.5) << int(FieldType::Real);
    }
    void columnsKeepTheirTypes() {
        QFETCH(QString, file);
        QFETCH(QString, sql);
        QFETCH(QVariant, value);
        QFETCH(int, type);
        RP_REQUIRE_SHARED_DATA(path, file);
        const auto db = openAccess(path);
        const auto set = db->open(sql, LockType::ReadOnly);
        QCOMPARE(set->recordCount(), 1);
        QCOMPARE(int(set->fieldType(0)), type);
        QCOMPARE(set->value(0, 0), value);
    }

    void objectColumnsStayBehind() {
        RP_REQUIRE_SHARED_DATA(path, QStringLiteral("mdb/nwind.mdb"));
        const auto db = openAccess(path);
        const auto set = db->open(QStringLiteral("SELECT * FROM Categories"), LockType::ReadOnly);
        QCOMPARE(set->fieldNames(),
                 (QStringList{"CategoryID", "CategoryName", "Description"})); // no Picture
    }

    void everyWriteIsRefused_data() {
        QTest::addColumn<QString>("what");
        QTest::newRow("action statement") << "execute";
        QTest::newRow("action statement opened") << "open delete";
        QTest::newRow("select into") << "open into";
        QTest::newRow("update opened") << "open update";
        QTest::newRow("SELECT INTO over lines") << "open into, on its own line";
        QTest::newRow("native") << "native";
        QTest::newRow("transaction") << "begin";
        QTest::newRow("insert row") << "insert";
        QTest::newRow("update row") << "update";
        QTest::newRow("delete row") << "delete";
        QTest::newRow("bulk load") << "append";
        QTest::newRow("grid edit") << "set value";
        QTest::newRow("grid add") << "add new";
        QTest::newRow("grid delete") << "delete current";
    }
    void everyWriteIsRefused() {
        QFETCH(QString, what);
        RP_REQUIRE_SHARED_DATA(path, QStringLiteral("mdb/nwind.mdb"));
        const auto db = openAccess(path);
        QVERIFY(!db->readOnlyReason().isEmpty());
        const QStringList key{QStringLiteral("OrderID")};
        const QVariantList keyValue{10331};
        const QString error = rp::test::errorMessageOf([&] {
            if (what == QLatin1String("execute"))
                db->execute(QStringLiteral("DELETE * FROM Orders"));
            else if (what == QLatin1String("open delete"))
                db->open(QStringLiteral("Delete * from Orders"), LockType::ReadOnly);
            else if (what == QLatin1String("open into"))
                db->open(QStringLiteral("SELECT * INTO Copied FROM Orders"), LockType::ReadOnly);
            else if (what == QLatin1String("open into, on its own line"))
                db->open(QStringLiteral("SELECT *\r\nINTO Copied\r\nFROM Orders"),
                         LockType::ReadOnly);
            else if (what == QLatin1String("open update"))
                db->open(QStringLiteral("UPDATE Orders SET Freight = 0"), LockType::Optimistic);
            else if (what == QLatin1String("native"))
                db->executeNative(QStringLiteral("SELECT 1; DROP TABLE Orders"));
            else if (what == QLatin1String("begin"))
                db->beginTransaction();
            else if (what == QLatin1String("insert"))
                db->insertRow(QStringLiteral("Orders"), key, {1});
            else if (what == QLatin1String("update"))
                db->updateRow(QStringLiteral("Orders"), key, keyValue, {QStringLiteral("Freight")},
                              {0});
            else if (what == QLatin1String("delete"))
                db->deleteRow(QStringLiteral("Orders"), key, keyValue);
            else if (what == QLatin1String("append"))
                db->appendRows(QStringLiteral("Orders"), key, [](QVariantList& row) {
                    row.append(1);
                    return true;
                });
            else {
                const auto set = db->open(QStringLiteral("SELECT * FROM Orders ORDER BY OrderID"),
                                          LockType::Optimistic);
                if (what == QLatin1String("set value"))
                    set->setValue(set->fieldIndex(QStringLiteral("Freight")), 1.5);
                else if (what == QLatin1String("add new"))
                    set->addNew();
                else
                    set->deleteCurrent();
            }
        });
        QCOMPARE(error, db->readOnlyReason());
        QVERIFY(error.contains(QStringLiteral("nwind.mdb")));
        QVERIFY(error.contains(QStringLiteral("Convert to SQLite")));
        // Nothing changed, not even in the copy the connection reads.
        QCOMPARE(scalar(*db, QStringLiteral("SELECT count(*) FROM Orders")).toInt(), 830);
        QCOMPARE(scalar(*db, QStringLiteral("SELECT Freight FROM Orders WHERE OrderID = 10331")),
                 QVariant(10.19));
        QVERIFY(!db->tables().contains(QStringLiteral("Copied")));
        db->rollback(); // after a refusal there is nothing to take back, and no complaint
    }

    void readingStatementsStillRun() {
        RP_REQUIRE_SHARED_DATA(path, QStringLiteral("mdb/nwind.mdb"));
        const auto db = openAccess(path);
        db->executeNative(QStringLiteral("SELECT 1"));
        QCOMPARE(db->execute(QStringLiteral("SELECT OrderID FROM Orders")), 0);
    }

    void progressNamesEachTable() {
        RP_REQUIRE_SHARED_DATA(path, QStringLiteral("mdb/nwind.mdb"));
        QMap<QString, qint64> seen;
        AccessDatabase db(path, [&](const QString& table, qint64 rows) { seen[table] = rows; });
        QCOMPARE(seen.value(QStringLiteral("Orders")), 830);
        QCOMPARE(seen.value(QStringLiteral("Umsätze")), 830);
        QCOMPARE(seen.value(QStringLiteral("Order Details")), 2155);
    }

    // libmdb crashes on some of these; the program must only report them.
    void damagedFilesGiveAMessage_data() {
        QTest::addColumn<int>("pages");
        QTest::addColumn<int>("seed");
        for (int pages : {3, 40, 400, 1000})
            QTest::newRow(qPrintable(QStringLiteral("first %1 pages").arg(pages))) << pages << 0;
        for (int seed : {1, 2, 3, 4, 5, 6})
            QTest::newRow(qPrintable(QStringLiteral("noise %1").arg(seed))) << 0 << seed;
    }
    void damagedFilesGiveAMessage() {
        QFETCH(int, pages);
        QFETCH(int, seed);
        RP_REQUIRE_SHARED_DATA(source, QStringLiteral("mdb/nwind.mdb"));
        QTemporaryDir dir;
        const QString path =
            damagedCopy(source, dir, QStringLiteral("damaged.mdb"), [&](QByteArray& bytes) {
                if (pages > 0) {
                    bytes.truncate(pages * 2048);
                    return;
                }
                // Whole pages of noise after the catalogue's first page.
                QRandomGenerator random{quint32(seed)};
                for (int n = 0; n < 4; ++n) {
                    const int page = 3 + random.bounded(int(bytes.size() / 2048) - 3);
                    for (int i = 0; i < 2048; ++i)
                        bytes[page * 2048 + i] = char(random.bounded(256));
                }
            });
        QVERIFY(!path.isEmpty());
        std::shared_ptr<Database> db;
        const QString error = rp::test::errorMessageOf([&] { db = openAccess(path); });
        if (db) {
            // The reader got through: what it gives is readable.
            QVERIFY(!db->tables().isEmpty());
        } else {
            QVERIFY2(error.contains(QStringLiteral("damaged.mdb")), qPrintable(error));
        }
    }
};

QTEST_GUILESS_MAIN(TestAccessDatabase)
#include "tst_AccessDatabase.moc"
