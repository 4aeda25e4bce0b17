#include "XlsxRows.h"
#include "core/base/JetDate.h"
#include "providers/workbook/WorkbookTables.h"

#include <QTest>

using namespace rp;
using namespace rp::test;

namespace {

QVariant date(int d) {
    return naiveDateTime(QDate(1999, 3, d));
}

} // namespace

class TestWorkbookTables : public QObject {
    Q_OBJECT
private slots:
    void columnTypes_data() {
        QTest::addColumn<QString>("column");
        QTest::addColumn<QVariantList>("cells");
        QTest::addColumn<QString>("type");
        QTest::newRow("whole numbers in a key")
            << "datatype_site_id" << QVariantList{1001.0, 1002.0} << "INTEGER";
        QTest::newRow("whole numbers elsewhere") << "value" << QVariantList{13.0, 14.0} << "REAL";
        QTest::newRow("a fraction in a key") << "site_id" << QVariantList{1.0, 1.5} << "REAL";
        QTest::newRow("huge whole number in a key") << "site_id" << QVariantList{1e17} << "REAL";
        QTest::newRow("dates") << "date_time" << QVariantList{date(5), QVariant()} << "DATETIME";
        QTest::newRow("a date among texts")
            << "when" << QVariantList{"later", date(5)} << "DATETIME";
        QTest::newRow("texts") << "source" << QVariantList{"A", QVariant(), "E"} << "TEXT";
        QTest::newRow("numbers and texts") << "source" << QVariantList{1.0, "E"} << "";
        QTest::newRow("booleans") << "flag" << QVariantList{true, false} << "BOOLEAN";
        QTest::newRow("nothing") << "empty" << QVariantList{QVariant(), QVariant()} << "";
    }
    void columnTypes() {
        QFETCH(QString, column);
        QFETCH(QVariantList, cells);
        QFETCH(QString, type);
        QList<QVariantList> sheet{{column, "other"}};
        for (const QVariant& cell : cells)
            sheet.append({cell, "x"}); // never an empty row
        const WorkbookTable table = workbookTable(QStringLiteral("t"), sheet);
        QCOMPARE(table.types.value(0), type);
        QCOMPARE(table.rows.size(), cells.size());
        if (type == QLatin1String("INTEGER"))
            QCOMPARE(table.rows.at(0).at(0).typeId(), int(QMetaType::LongLong));
    }

    void namesAndRows_data() {
        QTest::addColumn<QList<QVariantList>>("sheet");
        QTest::addColumn<QStringList>("columns");
        QTest::addColumn<QList<QVariantList>>("rows");
        QTest::newRow("plain") << QList<QVariantList>{{"a", "b"}, {1.0, "x"}}
                               << QStringList{"a", "b"} << QList<QVariantList>{{1.0, "x"}};
        QTest::newRow("empty header cells")
            << QList<QVariantList>{{QVariant(), "b", QVariant(), "d"}, {1.0, 2.0, 3.0, 4.0}}
            << QStringList{"F1", "b", "F3", "d"} << QList<QVariantList>{{1.0, 2.0, 3.0, 4.0}};
        QTest::newRow("cells beyond the header")
            << QList<QVariantList>{{"a"}, {1.0, QVariant(), "extra"}}
            << QStringList{"a", "F2", "F3"} << QList<QVariantList>{{1.0, QVariant(), "extra"}};
        QTest::newRow("repeated names")
            << QList<QVariantList>{{"value", "Value", "value"}}
            << QStringList{"value", "Value_2", "value_3"} << QList<QVariantList>{};
        QTest::newRow("names trimmed, numbers as text")
            << QList<QVariantList>{{" site_id ", 1999.0}} << QStringList{"site_id", "1999"}
            << QList<QVariantList>{};
        QTest::newRow("empty rows left out, short rows filled")
            << QList<QVariantList>{{"a", "b"}, {}, {QVariant(), QVariant()}, {"x"}, {}}
            << QStringList{"a", "b"} << QList<QVariantList>{{"x", QVariant()}};
        QTest::newRow("no rows at all")
            << QList<QVariantList>{} << QStringList{} << QList<QVariantList>{};
    }
    void namesAndRows() {
        QFETCH(QList<QVariantList>, sheet);
        QFETCH(QStringList, columns);
        QFETCH(QList<QVariantList>, rows);
        const WorkbookTable table = workbookTable(QStringLiteral("t"), sheet);
        QCOMPARE(table.columns, columns);
        QCOMPARE(table.types.size(), columns.size());
        QCOMPARE(rowsDifference(table.rows, rows), QString());
    }

    void dateColumns_data() {
        QTest::addColumn<QString>("declared");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("isDate");
        QTest::newRow("declared DATETIME") << "DATETIME"
                                           << "when" << true;
        QTest::newRow("declared timestamp") << "timestamp"
                                            << "t" << true;
        QTest::newRow("text named date_time") << "TEXT"
                                              << "date_time" << true;
        QTest::newRow("untyped named Date") << ""
                                            << "Date" << true;
        QTest::newRow("number named date_id") << "INTEGER"
                                              << "date_id" << false;
        QTest::newRow("text named source") << "TEXT"
                                           << "source" << false;
    }
    void dateColumns() {
        QFETCH(QString, declared);
        QFETCH(QString, name);
        QFETCH(bool, isDate);
        QCOMPARE(isDateColumn(declared, name), isDate);
    }
};

QTEST_GUILESS_MAIN(TestWorkbookTables)
#include "tst_WorkbookTables.moc"
