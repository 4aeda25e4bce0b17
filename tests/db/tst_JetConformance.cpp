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
    void textColumnsIgnoreCase_data();
    void textColumnsIgnoreCase();
    void unnamedColumns_data();
    void unnamedColumns();
    void makeTable_data() { test::addBackendRows(); }
    void makeTable();
    void keyLookupUsesThePrimaryKey_data();
    void keyLookupUsesThePrimaryKey();
    void olderHdbGetsTheNewFunctions_data() { test::addBackendRows(); }
    void olderHdbGetsTheNewFunctions();
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
        // "+ Operator": two texts are joined; Null in either gives Null; a date plus a number is
        // that many days later.
        {"+ joins texts", value("'Kern' + ' River'"), "Kern River"},
        {"+ joins text columns", value("site_name + '/' + state"), "SMITH R/OR"},
        {"+ with Null is Null", value("Nz(site_name + Null, 'none')"), "none"},
        {"date + days", value("Format(#1/31/2000# + 1, 'yyyy-mm-dd')"), "2000-02-01"},
        {"date column + days",
         QStringLiteral("SELECT Format(date_time + 1.5, 'yyyy-mm-dd hh:nn') FROM rday WHERE "
                        "datatype_site_id = 2001"),
         "1999-03-07 12:00"},
        // "- Operator": the difference of two dates is days; a date less a number is earlier.
        {"date - date is days", value("#3/1/2000# - #2/1/2000#"), "29"},
        {"date - days", value("Format(#3/1/2000# - 1, 'yyyy-mm-dd')"), "2000-02-29"},
        {"- then +", value("Format(#3/1/2000# - 1 + 2, 'yyyy-mm-dd')"), "2000-03-02"},
        // "\ Operator": the operands are rounded to whole numbers, the quotient truncated; it
        // binds below * and /.
        {"\\ divides whole numbers", value("17 \\ 4"), "4"},
        {"\\ rounds its operands", value("11.5 \\ 2.5"), "6"},
        {"\\ below *", value("7 \\ 2 * 2"), "1"},
        // "^ Operator": left to right, above negation and multiplication.
        {"^", value("2 ^ 10"), "1024"},
        {"^ left to right", value("3 ^ 3 ^ 3"), "19683"},
        {"^ above negation", value("-2 ^ 2"), "-4"},
        {"^ above *", value("2 * 3 ^ 2"), "18"},
        // "Mod Operator": floating-point operands are rounded to whole numbers first; Mod binds
        // below \.
        {"Mod rounds its operands", value("12.6 Mod 5"), "3"},
        {"Mod below \\", value("19 \\ 2 Mod 4"), "1"},
        // Text comparison ignores case (Option Compare Database, the text sort order).
        {"= ignores case", countWhere("site_name = 'smith r'"), "1"},
        {"<> ignores case", countWhere("site_name <> 'smith r'"), "2"},
        {"> ignores case", countWhere("state > 'ca'"), "1"},
        {"IN ignores case", countWhere("site_name IN ('kern r nr kernville', 'x')"), "2"},
        {"BETWEEN ignores case", countWhere("site_name BETWEEN 'k' AND 'l'"), "2"},
        // "CDbl Function", "Int Function": a date is its day number counted from 30-Dec-1899,
        // the time the fraction.
        {"CDbl of a date", value("CDbl(#1/1/2000#)"), "36526"},
        {"CDbl of a date and time", value("CDbl(#1/1/2000 6:00#)"), "36526.25"},
        {"Int of a date and time", value("Int(#1/1/2000 18:00#)"), "36526"},
        // A computed date is a date, shown as a stored one is.
        {"computed date shows as a date", value("#1/31/2000# + 1"), "2/1/2000"},
        {"a chosen date shows as a date", value("IIf(site_id = 9, #1/31/2000 6:00#, Null)"),
         "1/31/2000 6:00:00 AM"},
        // "TimeSerial Function": a time of day; minutes and seconds beyond their range carry.
        {"TimeSerial", value("Format(TimeSerial(13, 30, 15), 'hh:nn:ss')"), "13:30:15"},
        {"TimeSerial carries", value("Format(TimeSerial(0, 90, 0), 'h:nn')"), "1:30"},
        // "Space Function", "String Function": the first character of a text, or a character code.
        {"Space", value("'[' & Space(3) & ']'"), "[   ]"},
        {"String of a text", value("String(2, 'abc')"), "aa"},
        {"String of a code", value("String(3, 65)"), "AAA"},
        // "StrComp Function": -1, 0 or 1; a query compares as the database does (ignoring case)
        // unless told 0 (binary).
        {"StrComp ignores case", value("StrComp('abc', 'ABC')"), "0"},
        {"StrComp binary", value("StrComp('abc', 'ABC', 0)"), "1"},
        {"StrComp less", value("StrComp('a', 'B')"), "-1"},
        {"StrComp of Null", value("Nz(StrComp(Null, 'a'), 9)"), "9"},
        // "Switch Function", "Choose Function": Null when no expression is true or the index is
        // outside the list.
        {"Switch", value("Switch(site_id = 7, 'seven', site_id = 9, 'nine')"), "nine"},
        {"Switch none true", value("Nz(Switch(site_id = 1, 'one'), 'none')"), "none"},
        {"Choose", value("Choose(2, 'a', 'b', 'c')"), "b"},
        {"Choose outside", value("Nz(Choose(4, 'a', 'b'), 'none')"), "none"},
        // "First and Last Functions": the value of the first or last record of the group.
        {"First", QStringLiteral("SELECT First(datatype_site_id) FROM rsite WHERE site_id = 7"),
         "1001"},
        {"Last", QStringLiteral("SELECT Last(datatype_site_id) FROM rsite WHERE site_id = 7"),
         "1002"},
        // "DateValue Function": month names, full or abbreviated.
        {"DateValue of month-name text",
         value("Format(DateValue('January 5, 2000'), 'yyyy-mm-dd')"), "2000-01-05"},
        {"DateValue of d-mmm-yyyy", value("Format(DateValue('5-Jan-2000'), 'yyyy-mm-dd')"),
         "2000-01-05"},
        // "Val Function": blanks, tabs and line feeds are stripped from the number.
        {"Val strips blanks", value("Val(' 2 45 7')"), "2457"},
        // TOP with ties ordered by a column's alias.
        {"TOP ties by an alias", QStringLiteral("SELECT TOP 1 site_id AS s FROM rsite ORDER BY s"),
         "7|7"},
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

// Option Compare Database: a query compares, groups, sorts and makes distinct its texts
// ignoring case ("GROUP BY clause", "ORDER BY clause", "ALL, DISTINCT, DISTINCTROW, TOP
// predicates", "Comparison operators"). Site 11 spells site 7's name and state in other case.
void tst_JetConformance::textColumnsIgnoreCase_data() {
    test::addBackendColumn();
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("expected");
    const struct {
        const char* name;
        const char* sql;
        const char* expected;
    } cases[] = {
        {"GROUP BY", "SELECT Count(*) FROM rsite GROUP BY site_name ORDER BY Count(*) DESC", "3|1"},
        {"GROUP BY, the column in an expression",
         "SELECT Count(*), UCase(site_name) FROM rsite GROUP BY site_name ORDER BY Count(*)",
         "1|3"},
        {"GROUP BY a qualified column",
         "SELECT Count(*) FROM rsite AS r GROUP BY r.state, r.site_name ORDER BY 1", "1|3"},
        {"HAVING a grouped text", "SELECT Count(*) FROM rsite GROUP BY state HAVING state = 'ca'",
         "3"},
        {"HAVING Like a grouped text",
         "SELECT Count(*) FROM rsite GROUP BY site_name HAVING site_name LIKE 'kern*'", "3"},
        {"DISTINCT", "SELECT Count(*) FROM (SELECT DISTINCT site_name FROM rsite) AS t", "2"},
        {"DISTINCT of two columns",
         "SELECT Count(*) FROM (SELECT DISTINCT [state], site_name AS s FROM rsite) AS t", "2"},
        {"DISTINCT, ordered",
         "SELECT Count(*) FROM (SELECT DISTINCT state FROM rsite ORDER BY state) AS t", "2"},
        {"ORDER BY", "SELECT datatype_site_id FROM rsite ORDER BY state, datatype_site_id",
         "1001|1002|3001|2001"},
        {"ORDER BY DESC, qualified",
         "SELECT r.datatype_site_id FROM rsite AS r ORDER BY r.state DESC, r.datatype_site_id",
         "2001|1001|1002|3001"},
        {"TOP ties on a text",
         "SELECT Count(*) FROM (SELECT TOP 1 site_id FROM rsite ORDER BY "
         "state) AS t",
         "3"},
        {"join on a text",
         "SELECT Count(*) FROM rsite AS a INNER JOIN rsite AS b ON a.site_name = b.site_name "
         "WHERE a.datatype_site_id < b.datatype_site_id",
         "3"},
        {"columns compared",
         "SELECT Count(*) FROM rsite AS a, rsite AS b WHERE a.state = b.state AND a.site_id <> "
         "b.site_id",
         "4"},
        {"columns compared with <",
         "SELECT Count(*) FROM rsite AS a, rsite AS b WHERE a.state < "
         "b.state",
         "3"},
    };
    for (const char* backend : {"SQLite", "PostgreSQL"})
        for (const auto& c : cases)
            QTest::addRow("%s: %s", backend, c.name)
                << QString::fromLatin1(backend) << QString::fromLatin1(c.sql)
                << QString::fromLatin1(c.expected);
}

void tst_JetConformance::textColumnsIgnoreCase() {
    RP_BACKEND_HDB(hdb);
    QFETCH(QString, sql);
    QFETCH(QString, expected);
    hdb.fillSmall();
    try {
        hdb.db()->executeNative(QStringLiteral(
            "INSERT INTO rsite VALUES (11, '6', 'Kern R nr Kernville', 'ca', 3, 3001, "
            "'Discharge', 'cfs', 19)"));
        QCOMPARE(firstColumn(*hdb.db(), sql), expected);
    } catch (const Error& e) {
        QFAIL(qPrintable(e.message()));
    }
}

void tst_JetConformance::unnamedColumns_data() {
    test::addBackendColumn();
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("names");
    // Access heads a computed column it is given no name for Expr1000, Expr1001 …; a column
    // keeps its name, an alias is used as given.
    const struct {
        const char* name;
        const char* sql;
        const char* names;
    } cases[] = {
        {"expressions",
         "SELECT site_id, site_id * 2, Count(*) AS n, Max(state) FROM rsite GROUP BY site_id",
         "site_id|Expr1000|n|Expr1001"},
        {"qualified names and stars", "SELECT r.site_name, r.* FROM rsite AS r WHERE site_id = 9",
         "site_name"},
        {"a value", "SELECT TOP 1 'x', [state] FROM rsite ORDER BY site_id", "Expr1000|state"},
        {"distinct texts", "SELECT DISTINCT site_name, [state], site_id FROM rsite",
         "site_name|state|site_id"},
        {"grouped texts", "SELECT site_name, Count(*) AS n FROM rsite GROUP BY site_name",
         "site_name|n"},
    };
    for (const char* backend : {"SQLite", "PostgreSQL"})
        for (const auto& c : cases)
            QTest::addRow("%s: %s", backend, c.name)
                << QString::fromLatin1(backend) << QString::fromLatin1(c.sql)
                << QString::fromLatin1(c.names);
}

void tst_JetConformance::unnamedColumns() {
    RP_BACKEND_HDB(hdb);
    QFETCH(QString, sql);
    QFETCH(QString, names);
    hdb.fillSmall();
    try {
        const auto set = hdb.db()->open(sql, LockType::ReadOnly);
        const QStringList expected = names.split(QLatin1Char('|'));
        QCOMPARE(set->fieldNames().mid(0, expected.size()), expected);
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

// An HDB made by an earlier version lacks the newer functions; the next connection adds them.
void tst_JetConformance::olderHdbGetsTheNewFunctions() {
    RP_BACKEND_HDB(hdb);
    if (hdb.backend() != QLatin1String("PostgreSQL"))
        QSKIP("only a PostgreSQL HDB keeps functions of its own");
    try {
        hdb.db()->executeNative(QStringLiteral(
            "DROP FUNCTION jet_functions_version(); DROP FUNCTION jet_add(text, text)"));
        const auto later = hdb.openAnother();
        QCOMPARE(firstColumn(*later, QStringLiteral("SELECT 'a' + 'b'")), QStringLiteral("ab"));
    } catch (const Error& e) {
        QFAIL(qPrintable(e.message()));
    }
}

// The lookups GO and the parameter list make must stay searches on the key, not scans, also
// where their text columns compare ignoring case.
void tst_JetConformance::keyLookupUsesThePrimaryKey_data() {
    test::addBackendColumn();
    QTest::addColumn<QString>("sql");
    const QString go =
        retrievalStatement(TimeStep::Day, QStringLiteral("1001"), QStringLiteral("05-Mar-1999"),
                           QStringLiteral("07-Mar-1999"));
    const QString withData = parameterListWithDataStatement(QStringLiteral("7"), TimeStep::Day,
                                                            QStringLiteral("05-Mar-1999"),
                                                            QStringLiteral("07-Mar-1999"));
    for (const char* backend : {"SQLite", "PostgreSQL"}) {
        QTest::addRow("%s: GO", backend) << QString::fromLatin1(backend) << go;
        QTest::addRow("%s: parameters with data", backend)
            << QString::fromLatin1(backend) << withData;
    }
}

void tst_JetConformance::keyLookupUsesThePrimaryKey() {
    RP_BACKEND_HDB(hdb);
    QFETCH(QString, sql);
    hdb.fillSmall();
    try {
        QString plan;
        if (hdb.backend() == QLatin1String("SQLite")) {
            const auto set =
                hdb.db()->open(QStringLiteral("EXPLAIN QUERY PLAN ") + sql, LockType::ReadOnly);
            for (qsizetype r = 0; r < set->recordCount(); ++r)
                plan += set->displayText(r, 3) + QLatin1Char('\n');
            QVERIFY2(plan.contains(QLatin1String("SEARCH")) &&
                         plan.contains(QLatin1String("datatype_site_id=?")) &&
                         !plan.contains(QLatin1String("SCAN b")),
                     qPrintable(plan));
        } else {
            // A small table is scanned when scanning is allowed; ask whether the key can serve.
            hdb.db()->executeNative(QStringLiteral("SET enable_seqscan = off"));
            const auto set = hdb.db()->open(QStringLiteral("EXPLAIN ") + sql, LockType::ReadOnly);
            for (qsizetype r = 0; r < set->recordCount(); ++r)
                plan += set->displayText(r, 0) + QLatin1Char('\n');
            QVERIFY2(plan.contains(QLatin1String("Index")) &&
                         !plan.contains(QLatin1String("Seq Scan")),
                     qPrintable(plan));
        }
    } catch (const Error& e) {
        QFAIL(qPrintable(e.message()));
    }
}

QTEST_GUILESS_MAIN(tst_JetConformance)
#include "tst_JetConformance.moc"
