#include "core/base/Error.h"
#include "core/hdb/Browsing.h"
#include "core/hdb/Retrieval.h"

#include <QtTest>

using namespace rp;

class tst_Browsing : public QObject {
    Q_OBJECT
private slots:
    void fixedStatements();
    void parameterLists_data();
    void parameterLists();
    void keysMustBeNumbers_data();
    void keysMustBeNumbers();
    void wholeTable_data();
    void wholeTable();
    void dispatch_data();
    void dispatch();
    void leadingNumber_data();
    void leadingNumber();
};

void tst_Browsing::fixedStatements() {
    QCOMPARE(siteListStatement(),
             QStringLiteral("SELECT DISTINCT site_id, station_id, site_name, state, reach_id FROM "
                            "rsite ORDER BY site_id;"));
    QCOMPARE(tableListStatement(),
             QStringLiteral("SELECT name FROM MSysObjects WHERE type = 1 AND flags = 0;"));
}

void tst_Browsing::parameterLists_data() {
    QTest::addColumn<int>("step");
    QTest::addColumn<QString>("end");
    QTest::addColumn<QString>("expected");
    const QString head = QStringLiteral(
        "SELECT DISTINCT a.site_id, a.datatype_site_id, a.datatype_name, a.unit_name, "
        "a.site_name, a.datatype_id FROM rsite a, ");
    // The end date moves one day on for every time step, Year included.
    QTest::newRow("year")
        << 0 << "31-Dec-2010"
        << head + "ryear b WHERE a.site_id=12 AND a.datatype_site_id=b.datatype_site_id AND "
                  "b.date_time BETWEEN #01-Jan-2010# AND #01-Jan-2011# ORDER BY a.datatype_id;";
    QTest::newRow("day, end of February in a leap year")
        << 2 << " 28-Feb-2012 "
        << head + "rday b WHERE a.site_id=12 AND a.datatype_site_id=b.datatype_site_id AND "
                  "b.date_time BETWEEN #01-Jan-2010# AND #29-Feb-2012# ORDER BY a.datatype_id;";
    QTest::newRow("unitshift, month-first end")
        << 7 << "3/5/1999"
        << head + "runitshift b WHERE a.site_id=12 AND a.datatype_site_id=b.datatype_site_id AND "
                  "b.date_time BETWEEN #01-Jan-2010# AND #06-Mar-1999# ORDER BY a.datatype_id;";
}

void tst_Browsing::parameterLists() {
    QFETCH(int, step);
    QFETCH(QString, end);
    QFETCH(QString, expected);
    QCOMPARE(parameterListWithDataStatement(QStringLiteral(" 12 "), timeStepFromIndex(step),
                                            QStringLiteral(" 01-Jan-2010 "), end),
             expected);
    QCOMPARE(parameterListStatement(QStringLiteral("12")),
             QStringLiteral("SELECT site_id, datatype_site_id, datatype_name, unit_name, "
                            "site_name, datatype_id FROM rsite WHERE site_id=12 ORDER BY "
                            "datatype_id;"));
}

void tst_Browsing::keysMustBeNumbers_data() {
    QTest::addColumn<QString>("site");
    QTest::addColumn<QString>("end");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("number") << "12"
                            << "01-Jan-2010" << true;
    QTest::newRow("decimal") << "12.0"
                             << "01-Jan-2010" << true;
    QTest::newRow("negative") << "-3"
                              << "01-Jan-2010" << true;
    QTest::newRow("injection") << "1 OR 1=1"
                               << "01-Jan-2010" << false;
    QTest::newRow("statement") << "1; DELETE FROM rday"
                               << "01-Jan-2010" << false;
    QTest::newRow("text") << "Kern"
                          << "01-Jan-2010" << false;
    QTest::newRow("empty") << ""
                           << "01-Jan-2010" << false;
    QTest::newRow("end date not a date") << "12"
                                         << "yesterday" << false;
    QTest::newRow("end date off the calendar") << "12"
                                               << "31-Feb-2012" << false;
}

void tst_Browsing::keysMustBeNumbers() {
    QFETCH(QString, site);
    QFETCH(QString, end);
    QFETCH(bool, accepted);
    bool built = true;
    try {
        parameterListWithDataStatement(site, TimeStep::Day, QStringLiteral("01-Jan-2000"), end);
    } catch (const Error& e) {
        built = false;
        QVERIFY(!e.message().isEmpty());
    }
    QCOMPARE(built, accepted);
}

void tst_Browsing::wholeTable_data() {
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("expected");
    QTest::newRow("value table") << "rday"
                                 << "SELECT * FROM rday;";
    QTest::newRow("rsite is ordered") << "rsite"
                                      << "SELECT * FROM rsite order by site_id;";
    QTest::newRow("name with a space") << "my table"
                                       << "SELECT * FROM [my table];";
    QTest::newRow("name with a quote") << "x'; DROP TABLE rday; --"
                                       << "SELECT * FROM [x'; DROP TABLE rday; --];";
    QTest::newRow("reserved word") << "order"
                                   << "SELECT * FROM [order];";
    QTest::newRow("bracket cannot be quoted") << "a]b"
                                              << "";
    QTest::newRow("empty") << ""
                           << "";
}

void tst_Browsing::wholeTable() {
    QFETCH(QString, table);
    QFETCH(QString, expected);
    if (expected.isEmpty())
        QVERIFY_THROWS_EXCEPTION(Error, wholeTableStatement(table));
    else
        QCOMPARE(wholeTableStatement(table), expected);
}

void tst_Browsing::dispatch_data() {
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("expected");
    QTest::newRow("site list") << "site_id" << int(GridDispatch::ParametersWithData);
    QTest::newRow("trimmed") << " site_id " << int(GridDispatch::ParametersWithData);
    QTest::newRow("series") << "datatype_site_id" << int(GridDispatch::Go);
    QTest::newRow("tables") << "name" << int(GridDispatch::OpenTable);
    QTest::newRow("other") << "value" << int(GridDispatch::Nothing);
    QTest::newRow("case matters") << "Site_ID" << int(GridDispatch::Nothing);
    QTest::newRow("empty grid") << "" << int(GridDispatch::Nothing);
}

void tst_Browsing::dispatch() {
    QFETCH(QString, caption);
    QFETCH(int, expected);
    QCOMPARE(int(gridDoubleClickDispatch(caption)), expected);
}

void tst_Browsing::leadingNumber_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::newRow("key") << "1001" << 1001.0;
    QTest::newRow("leading blanks") << "   42abc" << 42.0;
    QTest::newRow("sign and point") << "-12.5x" << -12.5;
    QTest::newRow("date text") << "3/5/1999" << 3.0;
    QTest::newRow("no number") << "Kern River" << 0.0;
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("sign only") << "-" << 0.0;
    QTest::newRow("point first") << ".5" << 0.5;
}

void tst_Browsing::leadingNumber() {
    QFETCH(QString, text);
    QFETCH(double, value);
    QCOMPARE(rp::leadingNumber(text), value);
}

QTEST_GUILESS_MAIN(tst_Browsing)
#include "tst_Browsing.moc"
