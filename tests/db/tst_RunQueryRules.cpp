#include "core/hdb/RunQuery.h"

#include <QtTest>

using namespace rp;

class tst_RunQueryRules : public QObject {
    Q_OBJECT
private slots:
    void actionStatement_data();
    void actionStatement();
    void workbookRewrite_data();
    void workbookRewrite();
    void workbookConnection_data();
    void workbookConnection();
    void workbookMessageNamesTheFile();
    void unitStepCount_data();
    void unitStepCount();
};

void tst_RunQueryRules::actionStatement_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("action");
    QTest::newRow("delete") << "DELETE FROM rday WHERE value=1" << true;
    QTest::newRow("update") << "update rsite set site_name='x'" << true;
    QTest::newRow("select") << "SELECT * FROM rday" << false;
    QTest::newRow("select lower case") << "select * from rday" << false;
    QTest::newRow("select after one space") << " SELECT * FROM rday" << false;
    // "SELECT " must lie within the first eight characters.
    QTest::newRow("select after two spaces") << "  SELECT * FROM rday" << true;
    QTest::newRow("select without a following space") << "SELECT\n* FROM rday" << true;
    QTest::newRow("insert into goes to the grid") << "INSERT INTO rday VALUES (1)" << false;
    QTest::newRow("select into") << "SELECT * INTO x FROM rday" << false;
    QTest::newRow("into without spaces around") << "INSERT\tINTO rday VALUES (1)" << true;
    QTest::newRow("empty") << "" << true;
}

void tst_RunQueryRules::actionStatement() {
    QFETCH(QString, text);
    QFETCH(bool, action);
    QCOMPARE(isOwnActionStatement(text), action);
}

void tst_RunQueryRules::workbookRewrite_data() {
    QTest::addColumn<QString>("statement");
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("expected");
    QTest::newRow("daily retrieval")
        << "SELECT * FROM rday WHERE datatype_site_id=5 ORDER BY date_time;"
        << "rday"
        << "SELECT * FROM [rday$] WHERE datatype_site_id=5 ORDER BY date_time;";
    QTest::newRow("daymax retrieval")
        << "SELECT datatype_site_id, date_time, value, source FROM rdaymax WHERE x;"
        << "rdaymax"
        << "SELECT datatype_site_id, date_time, value, source FROM [rdaymax$] WHERE x;";
    QTest::newRow("site list") << "SELECT DISTINCT site_id FROM rsite ORDER BY site_id;"
                               << "rday"
                               << "SELECT DISTINCT site_id FROM [rsite$] ORDER BY site_id;";
    QTest::newRow("parameters with data")
        << "SELECT a.site_id FROM rsite a, rhour b WHERE a.x=b.x;"
        << "rhour"
        << "SELECT a.site_id FROM [rsite$] a, [rhour$] b WHERE a.x=b.x;";
    QTest::newRow("every occurrence") << "rday rday"
                                      << "rday"
                                      << "[rday$] [rday$]";
    QTest::newRow("case-sensitive: RDAY stays") << "SELECT * FROM RDAY"
                                                << "rday"
                                                << "SELECT * FROM RDAY";
    QTest::newRow("case-sensitive: RSITE stays") << "SELECT * FROM RSITE"
                                                 << "rday"
                                                 << "SELECT * FROM RSITE";
    // With a bracket already present only rsite is rewritten, and only when not bracketed.
    QTest::newRow("bracketed table") << "SELECT * FROM [rday$], rsite"
                                     << "rday"
                                     << "SELECT * FROM [rday$], [rsite$]";
    QTest::newRow("bracketed rsite") << "SELECT * FROM [rsite$], rday"
                                     << "rday"
                                     << "SELECT * FROM [rsite$], rday";
    // The replacement is textual, as prescribed: a longer name holding the table is touched.
    QTest::newRow("unit table inside unitshift") << "SELECT * FROM runitshift"
                                                 << "runit"
                                                 << "SELECT * FROM [runit$]shift";
}

void tst_RunQueryRules::workbookRewrite() {
    QFETCH(QString, statement);
    QFETCH(QString, table);
    QFETCH(QString, expected);
    QCOMPARE(rewriteForWorkbook(statement, table), expected);
}

void tst_RunQueryRules::workbookConnection_data() {
    QTest::addColumn<QString>("connection");
    QTest::addColumn<QString>("extended");
    QTest::addColumn<bool>("workbook");
    QTest::addColumn<QString>("path");
    QTest::newRow("ends with semicolon")
        << "Driver={Microsoft Excel Driver (*.xls)};DBQ=C:\\hdb.xls;"
        << "Driver={Microsoft Excel Driver (*.xls)};DBQ=C:\\hdb.xls;ReadOnly=False;HDR=Yes;" << true
        << "C:\\hdb.xls";
    QTest::newRow("no final semicolon")
        << "Driver={Microsoft Excel Driver (*.xls)};dbq=/data/hdb.xlsx"
        << "Driver={Microsoft Excel Driver (*.xls)};dbq=/data/hdb.xlsx;ReadOnly=False;HDR=Yes;"
        << true << "/data/hdb.xlsx";
    QTest::newRow("already has HDR") << "Provider=Excel;DBQ=/x.xlsx;HDR=No;"
                                     << "Provider=Excel;DBQ=/x.xlsx;HDR=No;" << true << "/x.xlsx";
    // "HDR=" is looked for case-sensitively.
    QTest::newRow("lower-case hdr is not HDR")
        << "Provider=Excel;DBQ=/x.xlsx;hdr=No;"
        << "Provider=Excel;DBQ=/x.xlsx;hdr=No;ReadOnly=False;HDR=Yes;" << true << "/x.xlsx";
    QTest::newRow("sqlite is no workbook") << "Provider=SQLite;Data Source=/x.sqlite"
                                           << "" << false << "";
}

void tst_RunQueryRules::workbookConnection() {
    QFETCH(QString, connection);
    QFETCH(QString, extended);
    QFETCH(bool, workbook);
    QFETCH(QString, path);
    QCOMPARE(namesWorkbook(connection), workbook);
    if (workbook)
        QCOMPARE(extendWorkbookConnection(connection), extended);
    QCOMPARE(workbookPath(connection), path);
}

void tst_RunQueryRules::workbookMessageNamesTheFile() {
    const QString text =
        workbookMessage(QStringLiteral("Driver=Excel;DBQ=/data/hdb.xlsx;HDR=Yes;"));
    QVERIFY(text.startsWith(QLatin1String("Excel database tables (worksheets) must be edited in "
                                          "Excel.  Be sure each worksheet")));
    QVERIFY(text.endsWith(QLatin1String("Your current connection is:\r\n\r\n/data/hdb.xlsx")));
}

void tst_RunQueryRules::unitStepCount_data() {
    QTest::addColumn<QList<int>>("minutes");
    QTest::addColumn<int>("count");
    QTest::newRow("0 15 30 45") << QList<int>{0, 15, 30, 45} << 15;
    QTest::newRow("0 30 0 30") << QList<int>{0, 30, 0, 30} << 30;
    QTest::newRow("all on the hour") << QList<int>{0, 0, 0, 0} << 60;
    QTest::newRow("30 then 15 stays 15") << QList<int>{30, 45, 30, 0} << 15;
    QTest::newRow("15 then 30 stays 15") << QList<int>{15, 30, 30, 30} << 15;
    QTest::newRow("five-minute data counts as 15") << QList<int>{0, 5, 10, 15} << 15;
    QTest::newRow("nothing looked at") << QList<int>{} << 60;
}

void tst_RunQueryRules::unitStepCount() {
    QFETCH(QList<int>, minutes);
    QFETCH(int, count);
    QCOMPARE(rp::unitStepCount(minutes), count);
}

QTEST_GUILESS_MAIN(tst_RunQueryRules)
#include "tst_RunQueryRules.moc"
