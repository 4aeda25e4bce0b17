#include "core/base/Error.h"
#include "core/base/TimeStep.h"

#include <QTest>

using namespace rp;

class TestTimeStep : public QObject {
    Q_OBJECT
private slots:
    void defaultIsDay() {
        QCOMPARE(timeStepIndex(defaultTimeStep), 2);
        QCOMPARE(QString::fromLatin1(timeStepInfo(defaultTimeStep).caption), QStringLiteral("Day"));
    }

    void statement_data() {
        QTest::addColumn<int>("step");
        QTest::addColumn<QString>("end");
        QTest::addColumn<QString>("expected");
        const QString s = QStringLiteral("01-Jan-1999");
        QTest::newRow("year keeps end date")
            << 0 << "31-Dec-1999"
            << "SELECT * FROM ryear WHERE datatype_site_id=42 AND date_time BETWEEN #" + s +
                   "# AND #31-Dec-1999# ORDER BY date_time;";
        QTest::newRow("day keeps end date")
            << 2 << " 31-Dec-1999 "
            << "SELECT * FROM rday WHERE datatype_site_id=42 AND date_time BETWEEN #" + s +
                   "# AND #31-Dec-1999# ORDER BY date_time;";
        QTest::newRow("hour moves across the year")
            << 3 << "31-Dec-1999"
            << "SELECT * FROM rhour WHERE datatype_site_id=42 AND date_time BETWEEN #" + s +
                   "# AND #01-Jan-2000# ORDER BY date_time;";
        QTest::newRow("unit month first end date")
            << 4 << "2/28/2000"
            << "SELECT * FROM runit WHERE datatype_site_id=42 AND date_time BETWEEN #" + s +
                   "# AND #29-Feb-2000# ORDER BY date_time;";
        QTest::newRow("daymax four columns")
            << 5 << "05-Mar-1999"
            << "SELECT datatype_site_id, date_time, value, source FROM rdaymax WHERE "
               "datatype_site_id=42 AND date_time BETWEEN #" +
                   s + "# AND #06-Mar-1999# ORDER BY date_time;";
        QTest::newRow("daymin four columns")
            << 6 << "05-Mar-1999"
            << "SELECT datatype_site_id, date_time, value, source FROM rdaymin WHERE "
               "datatype_site_id=42 AND date_time BETWEEN #" +
                   s + "# AND #06-Mar-1999# ORDER BY date_time;";
        QTest::newRow("unitshift")
            << 7 << "30-Jun-2010"
            << "SELECT * FROM runitshift WHERE datatype_site_id=42 AND date_time BETWEEN #" + s +
                   "# AND #01-Jul-2010# ORDER BY date_time;";
    }
    void statement() {
        QFETCH(int, step);
        QFETCH(QString, end);
        QFETCH(QString, expected);
        const TimeStep ts = timeStepFromIndex(step);
        QCOMPARE(retrievalStatement(ts, QStringLiteral(" 42 "), QStringLiteral("01-Jan-1999"),
                                    retrievalUpperBound(ts, end)),
                 expected);
    }

    void startDatePassesUnchanged() {
        const QString sql = retrievalStatement(TimeStep::Day, QStringLiteral("7"),
                                               QStringLiteral("3/5/1999"), QStringLiteral("x"));
        QVERIFY(sql.contains(QStringLiteral("BETWEEN #3/5/1999# AND #x#")));
    }

    void unreadableEndDateIsAClearError() {
        try {
            retrievalUpperBound(TimeStep::Hour, QStringLiteral("31-Feb-2012"));
            QFAIL("no error");
        } catch (const Error& e) {
            QVERIFY(e.message().contains(QStringLiteral("31-Feb-2012")));
        }
        QVERIFY_THROWS_EXCEPTION(Error, timeStepFromIndex(8));
    }

    void monthTable_data() {
        QTest::addColumn<int>("month");
        QTest::addColumn<QString>("abbreviation");
        QTest::newRow("first") << 1 << "Jan";
        QTest::newRow("sixth") << 6 << "Jun";
        QTest::newRow("last") << 12 << "Dec";
        QTest::newRow("zero") << 0 << "";
        QTest::newRow("thirteen") << 13 << "";
    }
    void monthTable() {
        QFETCH(int, month);
        QFETCH(QString, abbreviation);
        QCOMPARE(monthAbbreviation(month), abbreviation);
        if (!abbreviation.isEmpty()) {
            QCOMPARE(monthFromAbbreviation(abbreviation.toUpper()), month);
        }
    }

    void dateTextIgnoresLocale() {
        QLocale::setDefault(QLocale(QLocale::German));
        QCOMPARE(jetDateText(QDate(1999, 3, 5)), QStringLiteral("05-Mar-1999"));
        QCOMPARE(jetDateText(QDate(2012, 10, 31)), QStringLiteral("31-Oct-2012"));
        QLocale::setDefault(QLocale::c());
    }

    void worksheet() {
        QCOMPARE(worksheetName(QStringLiteral("rdaymax")), QStringLiteral("[rdaymax$]"));
    }
};

QTEST_GUILESS_MAIN(TestTimeStep)
#include "tst_TimeStep.moc"
