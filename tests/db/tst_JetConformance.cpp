// Jet SQL as Access runs it, on every backend. Each expected value is the answer Access gives,
// taken from the Access SQL and VBA documentation named beside the case.

#include "BackendHdb.h"
#include "core/base/TimeStep.h"
#include "core/db/RecordSet.h"
#include "core/hdb/Browsing.h"

#include <QtTest>

using namespace rp;
using rp::test::firstColumn;

namespace {

// One row: site 9 has a single parameter.
QString value(const char* expression) {
    return QStringLiteral("SELECT %1 FROM rsite WHERE site_id = 9").arg(QLatin1String(expression));
}

// How many of the three rsite rows (KERN R NR KERNVILLE twice, SMITH R) meet a condition.
QString countWhere(const char* condition) {
    return QStringLiteral("SELECT Count(*) FROM rsite WHERE %1").arg(QLatin1String(condition));
}

} // namespace

class tst_JetConformance : public QObject {
    Q_OBJECT

private slots:
    void accessAnswers_data();
    void accessAnswers();
    void makeTable_data() { test::addBackendRows(); }
    void makeTable();
    void keyLookupUsesThePrimaryKey_data() { test::addBackendRows(); }
    void keyLookupUsesThePrimaryKey();
};

void tst_JetConformance::accessAnswers_data() {
    test::addBackendColumn();
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("expected");
    const struct {
        const char* name;
        QString sql;
        const char* expected;
    } cases[] = {
        // "/ Operator": the result is a Double, even of two whole numbers.
        {"/ of integers", value("10 / 4"), "2.5"},
        {"/ then *", value("7 / 2 * 2"), "7"},
        {"/ of a sum",
         QStringLiteral("SELECT Sum(datatype_site_id) / Count(*) FROM rsite WHERE "
                        "site_id = 7"),
         "1001.5"},
        // "True": True is -1 and False is 0 (Boolean data type; CInt(True) is -1).
        {"True", value("True"), "-1"},
        {"True + 1", value("True + 1"), "0"},
        {"False", value("False"), "0"},
        // "Like Operator": * any characters, ? one, # one digit, [charlist], [!charlist];
        // comparison ignores case under Option Compare Database (text sort order).
        {"Like ignores case", countWhere("site_name LIKE 'smith*'"), "1"},
        {"Like ?", countWhere("site_name LIKE 'SMITH ?'"), "1"},
        {"Like #", countWhere("station_id LIKE '#'"), "3"},
        {"Like # is one digit", countWhere("site_name LIKE '#*'"), "0"},
        {"Like range", countWhere("site_name LIKE '[r-t]*'"), "1"},
        {"Like excluded range", countWhere("site_name LIKE '[!r-t]*'"), "2"},
        {"Like range ignores case", countWhere("site_name LIKE '[K]ERN*'"), "2"},
        {"Not Like range", countWhere("site_name NOT LIKE '[k]*'"), "1"},
        {"Like [*] is a star", countWhere("site_name LIKE '*[*]*'"), "0"},
        {"Like list", countWhere("state LIKE '[co][ar]'"), "3"},
        // "TOP predicate": ties with the last row on the ORDER BY fields all count; PERCENT
        // returns that share of the rows, rounded up.
        {"TOP ties", QStringLiteral("SELECT TOP 1 site_id FROM rsite ORDER BY site_id"), "7|7"},
        {"TOP no ties",
         QStringLiteral("SELECT TOP 2 datatype_site_id FROM rsite ORDER BY "
                        "datatype_site_id DESC"),
         "2001|1002"},
        {"TOP percent rounds up",
         QStringLiteral("SELECT TOP 50 PERCENT datatype_site_id FROM rsite ORDER BY "
                        "datatype_site_id"),
         "1001|1002"},
        {"TOP percent with ties",
         QStringLiteral("SELECT TOP 34 PERCENT site_id FROM rsite ORDER BY site_id DESC, "
                        "datatype_site_id"),
         "9|7"},
        {"TOP ties on an expression, in a sub-query",
         QStringLiteral("SELECT Count(*) FROM (SELECT TOP 4 value FROM rday WHERE "
                        "datatype_site_id = 1001 ORDER BY Day(date_time)) AS t"),
         "5"},
        // Date literals: the forms the engine reads between # (Jet date/time literals).
        {"#d mmm yyyy#", value("Format(#1 Dec 2026#, 'yyyy-mm-dd')"), "2026-12-01"},
        {"#mmm d, yyyy#", value("Format(#Dec 5, 2026#, 'yyyy-mm-dd')"), "2026-12-05"},
        {"#mmmm d, yyyy#", value("Format(#December 5, 2026#, 'yyyy-mm-dd')"), "2026-12-05"},
        {"#d-mmm-yy#", value("Format(#5-Dec-26#, 'yyyy-mm-dd')"), "2026-12-05"},
        {"#yy# before 30", value("Year(#12/5/29#)"), "2029"},
        {"#yy# from 30", value("Year(#12/5/30#)"), "1930"},
        {"#yyyy/mm/dd#", value("Format(#2026/12/05#, 'yyyy-mm-dd')"), "2026-12-05"},
        {"#m-d-yyyy#", value("Format(#1-31-2000#, 'yyyy-mm-dd')"), "2000-01-31"},
        {"#m/d/yyyy h:nn#", value("Format(#12/5/2026 13:45#, 'yyyy-mm-dd hh:nn')"),
         "2026-12-05 13:45"},
        {"#h:nn PM#", value("Hour(#1:30 PM#)"), "13"},
    };
    for (const char* backend : {"SQLite", "PostgreSQL"})
        for (const auto& c : cases)
            QTest::addRow("%s: %s", backend, c.name)
                << QString::fromLatin1(backend) << c.sql << QString::fromLatin1(c.expected);
}

void tst_JetConformance::accessAnswers() {
    RP_BACKEND_HDB(hdb);
    QFETCH(QString, sql);
    QFETCH(QString, expected);
    hdb.fillSmall();
    try {
        QCOMPARE(firstColumn(*hdb.db(), sql), expected);
    } catch (const Error& e) {
        QFAIL(qPrintable(e.message()));
    }
}

// "SELECT...INTO statement": a make-table query creates the table from the rows selected.
void tst_JetConformance::makeTable() {
    RP_BACKEND_HDB(hdb);
    hdb.fillSmall();
    try {
        hdb.db()->execute(QStringLiteral("SELECT TOP 2 * INTO rtmp FROM rday"));
        QCOMPARE(firstColumn(*hdb.db(), QStringLiteral("SELECT Count(*) FROM rtmp")),
                 QStringLiteral("2"));
        hdb.db()->execute(QStringLiteral(
            "SELECT site_name, datatype_id INTO [rtmp2] FROM rsite WHERE site_id = 9"));
        QCOMPARE(firstColumn(*hdb.db(), QStringLiteral("SELECT site_name FROM rtmp2")),
                 QStringLiteral("SMITH R"));
    } catch (const Error& e) {
        QFAIL(qPrintable(e.message()));
    }
}

// The lookup GO makes must stay a search on the key, not a scan.
void tst_JetConformance::keyLookupUsesThePrimaryKey() {
    RP_BACKEND_HDB(hdb);
    hdb.fillSmall();
    const QString go =
        retrievalStatement(TimeStep::Day, QStringLiteral("1001"), QStringLiteral("05-Mar-1999"),
                           QStringLiteral("07-Mar-1999"));
    try {
        QString plan;
        if (hdb.backend() == QLatin1String("SQLite")) {
            const auto set =
                hdb.db()->open(QStringLiteral("EXPLAIN QUERY PLAN ") + go, LockType::ReadOnly);
            for (qsizetype r = 0; r < set->recordCount(); ++r)
                plan += set->displayText(r, 3) + QLatin1Char('\n');
            QVERIFY2(plan.contains(QLatin1String("SEARCH")) &&
                         plan.contains(QLatin1String("datatype_site_id=?")),
                     qPrintable(plan));
        } else {
            // A small table is scanned when scanning is allowed; ask whether the key can serve.
            hdb.db()->executeNative(QStringLiteral("SET enable_seqscan = off"));
            const auto set = hdb.db()->open(QStringLiteral("EXPLAIN ") + go, LockType::ReadOnly);
            for (qsizetype r = 0; r < set->recordCount(); ++r)
                plan += set->displayText(r, 0) + QLatin1Char('\n');
            QVERIFY2(plan.contains(QLatin1String("Index")) &&
                         plan.contains(QLatin1String("datatype_site_id = 1001")),
                     qPrintable(plan));
        }
    } catch (const Error& e) {
        QFAIL(qPrintable(e.message()));
    }
}

QTEST_GUILESS_MAIN(tst_JetConformance)
#include "tst_JetConformance.moc"
