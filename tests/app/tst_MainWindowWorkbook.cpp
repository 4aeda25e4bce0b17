#include "MainWindowFixture.h"
#include "core/db/Database.h"
#include "core/hdb/Browsing.h"
#include "core/hdb/RunQuery.h"
#include "formats/xlsx/XlsxTableWriter.h"

using namespace rp;
using rp::test::MainWindowFixture;

namespace {

// The small browsing HDB copied sheet by sheet into a workbook beside it.
QString workbookOf(const test::BrowsingHdb& hdb) {
    const QString path = hdb.dir.filePath(QStringLiteral("browsing.xlsx"));
    const auto db = openDatabase(hdb.connectionString);
    XlsxTableWriter writer(path);
    for (const QString& table : db->tables()) {
        const auto rs = db->open(QStringLiteral("SELECT * FROM ") + table, LockType::ReadOnly);
        QList<QVariantList> rows;
        for (qsizetype r = 0; r < rs->recordCount(); ++r) {
            QVariantList row;
            for (int c = 0; c < rs->fieldCount(); ++c)
                row.append(rs->value(r, c));
            rows.append(row);
        }
        writer.addSheet(table, rs->fieldNames(), rows);
    }
    writer.close();
    return QStringLiteral("Driver={Microsoft Excel Driver (*.xls)};DBQ=") + path +
           QStringLiteral(";ReadOnly=False");
}

} // namespace

class tst_MainWindowWorkbook : public QObject {
    Q_OBJECT
private slots:
    void browsingAWorkbook() {
        test::BrowsingHdb hdb;
        hdb.connectionString = workbookOf(hdb);
        MainWindowFixture f(hdb);
        QVERIFY(f.start());
        QCOMPARE(f.dialogs.messages, QStringList());
        QCOMPARE(f.rows(), 3);
        QVERIFY(f.sql().contains(QLatin1String("[rsite$]")));
        QCOMPARE(f.cell(0, 2), QStringLiteral("Kern River near Bakersfield"));

        f.setDates(QStringLiteral("01-Jan-2010"), QStringLiteral("31-Jan-2010"));
        f.doubleClickRow(0);
        QCOMPARE(f.dialogs.messages, QStringList());
        QCOMPARE(f.rows(), 1);
        QCOMPARE(f.cell(0, 1), QStringLiteral("1001"));

        f.click("Getbutton");
        QCOMPARE(f.dialogs.messages, QStringList());
        QCOMPARE(f.window->windowTitle(),
                 QStringLiteral("1001 Kern River near Bakersfield; DISCHARGE, CFS"));
        QCOMPARE(f.rows(), 31);
        QCOMPARE(f.caption(1), QStringLiteral("date_time"));
        QCOMPARE(f.cell(0, 1), QStringLiteral("1/1/2010"));
        QCOMPARE(f.cell(0, 2), QStringLiteral("101"));
        QVERIFY(f.sql().contains(QLatin1String("FROM [rday$] WHERE")));
        QCOMPARE(f.window->stepCount(), 1);

        // A workbook has no list of tables: the message says so and the grid stays.
        f.click("TablesButton");
        QCOMPARE(f.dialogs.messages.size(), 1);
        QVERIFY(f.dialogs.messages.first().startsWith(QLatin1String("Excel database tables")));
        QCOMPARE(f.rows(), 31);
    }
};

QTEST_MAIN(tst_MainWindowWorkbook)
#include "tst_MainWindowWorkbook.moc"
