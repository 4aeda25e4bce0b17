#include "core/base/Error.h"
#include "core/base/TimeStep.h"
#include "jet/JetSql.h"
#include "providers/sqlite/SqliteDialect.h"
#include "providers/sqlite/SqliteJetFunctions.h"

#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

using namespace rp;

namespace {

const QString sys = QLatin1Char('(') + SqliteDialect().systemObjectsQuery() + QLatin1Char(')');

// A dialect unlike SQLite, so the tests see which texts come from the dialect.
class OtherDialect : public SqlDialect {
public:
    QString quoteIdentifier(const QString& name) const override { return "<" + name + ">"; }
    QString dateTimeLiteral(const QDateTime& dt) const override {
        return "TS(" + dt.toString(QStringLiteral("yyyyMMddHHmmss")) + ")";
    }
    QString booleanLiteral(bool value) const override { return value ? "YES" : "NO"; }
    QString systemObjectsQuery() const override { return QStringLiteral("SYS"); }
    QString functionName(const QString& jetName) const override {
        return jetName.compare(QLatin1String("year"), Qt::CaseInsensitive) == 0 ? "f_year"
                                                                                : QString();
    }
};

} // namespace

class TestJetSql : public QObject {
    Q_OBJECT
private slots:
    void programStatements_data() {
        QTest::addColumn<QString>("jet");
        QTest::addColumn<QString>("expected");
        const QString sites = "SELECT DISTINCT site_id, station_id, site_name, state, reach_id "
                              "FROM rsite ORDER BY site_id;";
        QTest::newRow("site list") << sites << sites;
        const QString params =
            "SELECT site_id, datatype_site_id, datatype_name, unit_name, "
            "site_name, datatype_id FROM rsite WHERE site_id=7 ORDER BY datatype_id;";
        QTest::newRow("parameters all") << params << params;
        QTest::newRow("parameters with data")
            << "SELECT DISTINCT a.site_id, a.datatype_site_id FROM rsite a, rday b WHERE "
               "a.site_id=7 AND a.datatype_site_id=b.datatype_site_id AND b.date_time BETWEEN "
               "#01-Jan-1999# AND #01-Jan-2000# ORDER BY a.datatype_id;"
            << "SELECT DISTINCT a.site_id, a.datatype_site_id FROM rsite a, rday b WHERE "
               "a.site_id=7 AND a.datatype_site_id=b.datatype_site_id AND b.date_time BETWEEN "
               "'1999-01-01 00:00:00' AND '2000-01-01 00:00:00' ORDER BY a.datatype_id;";
        QTest::newRow("table list")
            << "SELECT name FROM MSysObjects WHERE type = 1 AND flags = 0;"
            << "SELECT name FROM " + sys + " AS MSysObjects WHERE type = 1 AND flags = 0;";
        QTest::newRow("whole table") << "SELECT * FROM rhour;"
                                     << "SELECT * FROM rhour;";
        QTest::newRow("workbook retrieval")
            << "SELECT * FROM [rday$] WHERE datatype_site_id=3 AND date_time BETWEEN "
               "#05-Mar-1999# AND #3/01/2005# ORDER BY date_time;"
            << "SELECT * FROM \"rday\" WHERE datatype_site_id=3 AND date_time BETWEEN "
               "'1999-03-05 00:00:00' AND '2005-03-01 00:00:00' ORDER BY date_time;";
        QTest::newRow("monthly write-back delete")
            << "Delete * from rmonth where datatype_site_id=42 and date_time= #3/01/2005#;"
            << "DELETE FROM rmonth where datatype_site_id=42 and date_time= '2005-03-01 00:00:00';";
        QTest::newRow("yearly write-back select")
            << "Select * from ryear where datatype_site_id=42 and date_time= #01/01/2005#;"
            << "Select * from ryear where datatype_site_id=42 and date_time= '2005-01-01 "
               "00:00:00';";
        QTest::newRow("empty-result statement") << "Select site_id from rsite where site_id=9999"
                                                << "Select site_id from rsite where site_id=9999";
    }
    void programStatements() { compareTranslation(); }

    // The retrieval statement of every time step, as the program builds it.
    void retrievalOfEveryStep() {
        for (const TimeStepInfo& info : timeSteps()) {
            const QString jet = retrievalStatement(info.step, "42", "01-Jan-1999",
                                                   retrievalUpperBound(info.step, "31-Dec-1999"));
            const QString head = info.allColumns ? QStringLiteral("SELECT *")
                                                 : QStringLiteral("SELECT datatype_site_id, "
                                                                  "date_time, value, source");
            const QString upper = info.endDateMovedOn ? "2000-01-01" : "1999-12-31";
            const QString expected = head + " FROM " + info.table +
                                     " WHERE datatype_site_id=42 AND date_time BETWEEN "
                                     "'1999-01-01 00:00:00' AND '" +
                                     upper + " 00:00:00' ORDER BY date_time;";
            const auto t = JetSql::translate(jet, SqliteDialect());
            QCOMPARE(t.sql, expected);
            QCOMPARE(t.sourceTable, QString::fromLatin1(info.table));
        }
    }

    void rules_data() {
        QTest::addColumn<QString>("jet");
        QTest::addColumn<QString>("expected");
        // Literals and comments pass untouched.
        QTest::newRow("strings untouched")
            << "SELECT '#not a date#', '[x]', 'a & b', 'it''s' FROM t"
            << "SELECT '#not a date#' AS \"Expr1000\", '[x]' AS \"Expr1001\", 'a & b' AS "
               "\"Expr1002\", 'it''s' AS \"Expr1003\" FROM t";
        QTest::newRow("line comment untouched") << "SELECT * FROM t -- TOP 5 [x] #no# \"q\"\n"
                                                << "SELECT * FROM t -- TOP 5 [x] #no# \"q\"\n";
        QTest::newRow("block comment untouched")
            << "/* Delete * from [x] */ SELECT 1"
            << "/* Delete * from [x] */ SELECT 1 AS \"Expr1000\"";
        QTest::newRow("semicolon in string") << "SELECT ';' FROM t"
                                             << "SELECT ';' AS \"Expr1000\" FROM t";
        QTest::newRow("blanks after end dropped") << "SELECT 1;  -- done\n"
                                                  << "SELECT 1 AS \"Expr1000\";";
        QTest::newRow("jet string")
            << "SELECT \"it's\", \"say \"\"hi\"\"\" FROM t"
            << "SELECT 'it''s' AS \"Expr1000\", 'say \"hi\"' AS \"Expr1001\" FROM t";
        // Dates.
        QTest::newRow("date named month") << "WHERE d = #05-Mar-1999#"
                                          << "WHERE d = '1999-03-05 00:00:00'";
        QTest::newRow("date month first") << "WHERE d = #3/01/2005#"
                                          << "WHERE d = '2005-03-01 00:00:00'";
        QTest::newRow("date iso") << "WHERE d = #1999-03-05#"
                                  << "WHERE d = '1999-03-05 00:00:00'";
        QTest::newRow("date with time") << "WHERE d = # 05-Mar-1999 13:45 #"
                                        << "WHERE d = '1999-03-05 13:45:00'";
        QTest::newRow("date with pm") << "WHERE d < #3/5/1999 1:45:10 PM#"
                                      << "WHERE d < '1999-03-05 13:45:10'";
        QTest::newRow("time alone") << "WHERE d = #13:45#"
                                    << "WHERE d = '1899-12-30 13:45:00'";
        // Names.
        QTest::newRow("bracketed") << "SELECT [site name], [value] FROM [rsite$]"
                                   << "SELECT \"site name\", \"value\" FROM \"rsite\"";
        QTest::newRow("quote in name") << "SELECT [a\"b] FROM t"
                                       << "SELECT \"a\"\"b\" FROM t";
        // Delete.
        QTest::newRow("delete spacing") << "delete   *\n  FROM rday WHERE value=1"
                                        << "DELETE FROM rday WHERE value=1";
        QTest::newRow("delete table star") << "DELETE rday.* FROM rday WHERE value=1"
                                           << "DELETE FROM rday WHERE value=1";
        QTest::newRow("plain delete kept") << "DELETE FROM rday"
                                           << "DELETE FROM rday";
        QTest::newRow("distinctrow") << "SELECT DISTINCTROW site_id FROM rsite"
                                     << "SELECT DISTINCT site_id FROM rsite";
        // Operators and constants.
        QTest::newRow("true false") << "WHERE a = True OR b = false"
                                    << "WHERE a = -1 OR b = 0";
        QTest::newRow("qualified true is a column") << "SELECT t.True FROM t"
                                                    << "SELECT t.True FROM t";
        QTest::newRow("mod") << "SELECT 7 Mod 3"
                             << "SELECT jet_mod(7 , 3) AS \"Expr1000\"";
        QTest::newRow("concatenation")
            << "SELECT site_name & ', ' & state FROM rsite"
            << "SELECT (COALESCE(site_name, '') || ', ' || COALESCE(state, '')) AS \"Expr1000\" "
               "FROM rsite";
        QTest::newRow("concatenation below arithmetic")
            << "SELECT 1 + 2 & 'x'"
            << "SELECT (COALESCE(1 + 2, '') || 'x') AS \"Expr1000\"";
        QTest::newRow("concatenation above comparison")
            << "WHERE a & b = 'xy' AND c = 1"
            << "WHERE (COALESCE(a, '') || COALESCE(b, '')) = ('xy' COLLATE NOCASE) AND c = 1";
        QTest::newRow("concatenation of calls") << "SELECT Left(a, 2) & (b + 1) AS k FROM t"
                                                << "SELECT (COALESCE(jet_left(a, 2), '') || "
                                                   "COALESCE((jet_add(b , 1)), '')) AS k FROM t";
        // LIKE.
        QTest::newRow("like star") << "WHERE n LIKE 'Colo*'"
                                   << "WHERE n LIKE 'Colo%'";
        QTest::newRow("like jet string") << "WHERE n NOT LIKE \"?ake*\""
                                         << "WHERE n NOT LIKE '_ake%'";
        QTest::newRow("like literal percent") << "WHERE n LIKE '100%*'"
                                              << "WHERE n LIKE '100\\%%' ESCAPE '\\'";
        QTest::newRow("like bracketed star") << "WHERE n LIKE 'a[*]b'"
                                             << "WHERE n LIKE 'a*b'";
        QTest::newRow("like digit wildcard") << "WHERE n LIKE '##*'"
                                             << "WHERE n REGEXP '(?i)^[0-9][0-9][\\s\\S]*$'";
        QTest::newRow("like character ranges")
            << "WHERE n NOT LIKE \"[a-c][!0-9]?.\""
            << "WHERE n  NOT REGEXP '(?i)^[a-c][^0-9][\\s\\S]\\.$'";
        QTest::newRow("like one-letter class") << "WHERE n LIKE '[x]'"
                                               << "WHERE n REGEXP '(?i)^[x]$'";
        QTest::newRow("star outside like") << "WHERE n = '*x'"
                                           << "WHERE n = ('*x' COLLATE NOCASE)";
        // Functions.
        QTest::newRow("jet functions")
            << "SELECT Year(date_time), DATEADD('d', 1, date_time) FROM rday"
            << "SELECT jet_year(date_time) AS \"Expr1000\", jet_dateadd('d', 1, date_time) AS "
               "\"Expr1001\" FROM rday";
        QTest::newRow("function after blank") << "SELECT Month (d) FROM t"
                                              << "SELECT jet_month (d) AS \"Expr1000\" FROM t";
        QTest::newRow("backend functions kept")
            << "SELECT Count(*), Sum(value) FROM rday"
            << "SELECT Count(*) AS \"Expr1000\", Sum(value) AS \"Expr1001\" FROM rday";
        QTest::newRow("column named like a function") << "SELECT year, date FROM t"
                                                      << "SELECT year, date FROM t";
        QTest::newRow("table named like a function") << "INSERT INTO Date (a) VALUES (Now())"
                                                     << "INSERT INTO Date (a) VALUES (jet_now())";
        // MSysObjects.
        QTest::newRow("system objects alias")
            << "SELECT m.name FROM MSysObjects m WHERE m.type = 1"
            << "SELECT m.name FROM " + sys + " m WHERE m.type = 1";
        QTest::newRow("system objects qualified")
            << "SELECT MSysObjects.name FROM [MSysObjects]"
            << "SELECT MSysObjects.name FROM " + sys + " AS MSysObjects";
        // TOP.
        QTest::newRow("top")
            << "SELECT TOP 5 * FROM rday ORDER BY value DESC;"
            << "SELECT * FROM rday ORDER BY value DESC LIMIT (SELECT count(*) FROM (SELECT RANK() "
               "OVER (ORDER BY value DESC) AS jet_rank, count(*) OVER () AS jet_rows FROM rday) AS "
               "jet_top WHERE jet_rank < 5 + 1);";
        QTest::newRow("distinct top") << "select distinct top 3 site_id from rsite"
                                      << "select distinct site_id from rsite LIMIT 3";
        QTest::newRow("top in sub-query")
            << "SELECT * FROM rday WHERE value IN (SELECT TOP 2 value FROM rday ORDER BY value) "
               "ORDER BY date_time;"
            << "SELECT * FROM rday WHERE value IN (SELECT value FROM rday ORDER BY value LIMIT "
               "(SELECT count(*) FROM (SELECT RANK() OVER (ORDER BY value) AS jet_rank, count(*) "
               "OVER () AS jet_rows FROM rday) AS jet_top WHERE jet_rank < 2 + 1)) "
               "ORDER BY date_time;";
        QTest::newRow("top before comment") << "SELECT TOP 1 * FROM t -- first\n"
                                            << "SELECT * FROM t LIMIT 1 -- first\n";
        QTest::newRow("top in union") << "SELECT TOP 1 a FROM t UNION SELECT TOP 2 b FROM u"
                                      << "SELECT * FROM (SELECT a FROM t LIMIT 1) UNION SELECT * "
                                         "FROM (SELECT b FROM u LIMIT 2)";
        QTest::newRow("top percent") << "SELECT TOP 10 PERCENT * FROM t"
                                     << "SELECT * FROM t LIMIT (SELECT count(*) FROM (SELECT "
                                        "ROW_NUMBER() OVER () AS jet_rank, count(*) OVER () AS "
                                        "jet_rows FROM t) AS jet_top WHERE jet_rank < jet_rows * "
                                        "10 / 100.0 + 1)";
        QTest::newRow("top ordered by position") << "SELECT TOP 2 a FROM t ORDER BY 1"
                                                 << "SELECT a FROM t ORDER BY 1 LIMIT 2";
        // Make-table queries.
        QTest::newRow("make table") << "SELECT TOP 2 * INTO rtmp FROM rday"
                                    << "CREATE TABLE rtmp AS SELECT * FROM rday LIMIT 2";
        QTest::newRow("make table bracketed")
            << "select a, b into [new t] from t where a / 2 > 1"
            << "CREATE TABLE \"new t\" AS select a, b from t where a * 1.0 / 2 > 1";
        QTest::newRow("insert into is not make table") << "INSERT INTO t SELECT * FROM u"
                                                       << "INSERT INTO t SELECT * FROM u";
        // Date literals in every form the engine reads.
        QTest::newRow("date d mmm yyyy") << "WHERE d = #1 Dec 2026#"
                                         << "WHERE d = '2026-12-01 00:00:00'";
        QTest::newRow("date mmm d, yyyy") << "WHERE d = #Dec 5, 2026#"
                                          << "WHERE d = '2026-12-05 00:00:00'";
        QTest::newRow("date mmmm d, yyyy") << "WHERE d = #December 5, 2026#"
                                           << "WHERE d = '2026-12-05 00:00:00'";
        QTest::newRow("date d-mmm-yy") << "WHERE d = #5-Dec-26#"
                                       << "WHERE d = '2026-12-05 00:00:00'";
        QTest::newRow("date yy window") << "WHERE d = #5-Dec-30#"
                                        << "WHERE d = '1930-12-05 00:00:00'";
        QTest::newRow("date yy window end") << "WHERE d = #12/31/29#"
                                            << "WHERE d = '2029-12-31 00:00:00'";
        QTest::newRow("date yyyy/mm/dd") << "WHERE d = #2026/12/05#"
                                         << "WHERE d = '2026-12-05 00:00:00'";
        QTest::newRow("date m-d-yyyy") << "WHERE d = #1-31-2000#"
                                       << "WHERE d = '2000-01-31 00:00:00'";
        QTest::newRow("date with 24h time") << "WHERE d = #12/5/2026 13:45#"
                                            << "WHERE d = '2026-12-05 13:45:00'";
        QTest::newRow("time with pm") << "WHERE d = #1:30 PM#"
                                      << "WHERE d = '1899-12-30 13:30:00'";
        QTest::newRow("time 12 am") << "WHERE d = #Dec 5, 2026 12:05 am#"
                                    << "WHERE d = '2026-12-05 00:05:00'";
        QTest::newRow("unknown passes") << "SELEC * FRM t WHERE @x ? 1"
                                        << "SELEC * FRM t WHERE @x ? 1";
    }
    void rules() { compareTranslation(); }

    void dialectDecides_data() {
        QTest::addColumn<QString>("jet");
        QTest::addColumn<QString>("expected");
        QTest::newRow("names dates booleans")
            << "SELECT [a$] FROM t WHERE d = #05-Mar-1999 07:08:09# AND f = True"
            << "SELECT <a> FROM t WHERE d = TS(19990305070809) AND f = YES";
        QTest::newRow("functions the dialect lacks") << "SELECT Year(d), Month(d) FROM t"
                                                     << "SELECT f_year(d) AS \"Expr1000\", "
                                                        "Month(d) AS \"Expr1001\" FROM t";
        QTest::newRow("system objects") << "SELECT name FROM MSysObjects"
                                        << "SELECT name FROM (SYS) AS MSysObjects";
    }
    void dialectDecides() {
        QFETCH(QString, jet);
        QFETCH(QString, expected);
        QCOMPARE(JetSql::translate(jet, OtherDialect()).sql, expected);
    }

    void badInput_data() {
        QTest::addColumn<QString>("jet");
        QTest::addColumn<QString>("message");
        QTest::newRow("unterminated date") << "SELECT * FROM t WHERE d > #1/1/2000"
                                           << "date starting at character 27 has no closing #";
        QTest::newRow("unterminated bracket") << "SELECT [abc FROM t"
                                              << "name starting at character 8 has no closing ]";
        QTest::newRow("unterminated string") << "SELECT 'it''s"
                                             << "text starting at character 8";
        QTest::newRow("unterminated jet string") << "SELECT \"abc"
                                                 << "text starting at character 8";
        QTest::newRow("unterminated comment") << "SELECT 1 /* x"
                                              << "comment starting at character 10";
        QTest::newRow("invalid date") << "SELECT * FROM t WHERE d = #31-Feb-2012#"
                                      << "#31-Feb-2012# is not a valid date";
        QTest::newRow("not a date") << "SELECT #hello#"
                                    << "#hello# is not a valid date";
        QTest::newRow("no 30 February") << "SELECT #Feb 30, 2026#"
                                        << "#Feb 30, 2026# is not a valid date";
        QTest::newRow("no 13 PM") << "SELECT #1 Dec 2026 13:00 PM#"
                                  << "#1 Dec 2026 13:00 PM# is not a valid date";
        QTest::newRow("not a month") << "SELECT #1 Foo 2026#"
                                     << "#1 Foo 2026# is not a valid date";
        QTest::newRow("empty") << ""
                               << "The statement is empty.";
        QTest::newRow("blanks") << "  \r\n\t"
                                << "The statement is empty.";
        QTest::newRow("only a comment") << "-- nothing here"
                                        << "The statement is empty.";
        QTest::newRow("only comments and semicolon") << "/* a */ ; -- b"
                                                     << "The statement is empty.";
        QTest::newRow("two statements") << "DELETE FROM t; SELECT 1"
                                        << "Characters found after end of SQL statement.";
        QTest::newRow("doubled semicolon") << "SELECT 1;;"
                                           << "Characters found after end of SQL statement.";
    }
    void badInput() {
        QFETCH(QString, jet);
        QFETCH(QString, message);
        try {
            JetSql::translate(jet, SqliteDialect());
            QFAIL("no error");
        } catch (const Error& e) {
            QVERIFY2(e.message().contains(message), qPrintable(e.message()));
        }
    }

    void sourceTable_data() {
        QTest::addColumn<QString>("jet");
        QTest::addColumn<QString>("table");
        QTest::newRow("retrieval")
            << "SELECT * FROM rday WHERE datatype_site_id=1 ORDER BY date_time;"
            << "rday";
        QTest::newRow("worksheet") << "SELECT * FROM [rday$] WHERE value > 1"
                                   << "rday";
        QTest::newRow("columns lower case") << "select value, date_time from rHour"
                                            << "rHour";
        QTest::newRow("alias") << "SELECT r.* FROM rday AS r WHERE r.value > 1"
                               << "rday";
        QTest::newRow("bracketed with blank") << "SELECT * FROM [my table] t"
                                              << "my table";
        QTest::newRow("whole rsite") << "SELECT * FROM rsite order by site_id;"
                                     << "rsite";
        QTest::newRow("top") << "SELECT TOP 5 * FROM rday ORDER BY value"
                             << "rday";
        QTest::newRow("sub-query in where")
            << "SELECT * FROM rday WHERE value IN (SELECT value FROM a, b GROUP BY value)"
            << "rday";
        QTest::newRow("column named first") << "SELECT first FROM t"
                                            << "t";
        QTest::newRow("distinct") << "SELECT DISTINCT site_id FROM rsite"
                                  << "";
        QTest::newRow("comma join") << "SELECT * FROM rsite a, rday b WHERE a.x=b.x"
                                    << "";
        QTest::newRow("join") << "SELECT * FROM a INNER JOIN b ON a.x=b.x"
                              << "";
        QTest::newRow("aggregate") << "SELECT Count(*) FROM rday"
                                   << "";
        QTest::newRow("group by") << "SELECT site_id FROM rsite GROUP BY site_id"
                                  << "";
        QTest::newRow("sub-query in from") << "SELECT * FROM (SELECT * FROM rday)"
                                           << "";
        QTest::newRow("system objects") << "SELECT name FROM MSysObjects WHERE type=1"
                                        << "";
        QTest::newRow("union") << "SELECT a FROM t UNION SELECT b FROM u"
                               << "";
        QTest::newRow("into") << "SELECT * INTO x FROM rday"
                              << "";
        QTest::newRow("delete") << "Delete * from rday"
                                << "";
        QTest::newRow("update") << "UPDATE rday SET value=1"
                                << "";
        QTest::newRow("qualified table") << "SELECT * FROM other.rday"
                                         << "";
    }
    void sourceTable() {
        QFETCH(QString, jet);
        QFETCH(QString, table);
        QCOMPARE(JetSql::translate(jet, SqliteDialect()).sourceTable, table);
    }

    // The translations run as they should on the embedded database.
    void runsOnSqlite_data() {
        QTest::addColumn<QString>("jet");
        QTest::addColumn<QString>("expected"); // rows joined by '|'
        QTest::newRow("table list") << "SELECT name FROM MSysObjects WHERE type = 1 AND flags = 0 "
                                       "ORDER BY name;"
                                    << "rday|rsite";
        QTest::newRow("views are not tables") << "SELECT name FROM MSysObjects WHERE type = 5"
                                              << "wet";
        QTest::newRow("top") << "SELECT TOP 2 value FROM rday ORDER BY value DESC"
                             << "30|20";
        QTest::newRow("top in union")
            << "SELECT TOP 1 value FROM rday UNION ALL SELECT TOP 1 value FROM rday ORDER BY 1"
            << "10|10";
        QTest::newRow("dates between") << "SELECT value FROM rday WHERE date_time BETWEEN "
                                          "#02-Jan-2000# AND #1/3/2000# ORDER BY date_time"
                                       << "20|30";
        QTest::newRow("like literal percent")
            << "SELECT site_name FROM rsite WHERE site_name LIKE '*%*'"
            << "50% Creek";
        QTest::newRow("like underscore is literal")
            << "SELECT site_name FROM rsite WHERE site_name "
               "LIKE '*_*'"
            << "Lake_2";
        QTest::newRow("concatenation with null")
            << "SELECT site_name & ' (' & state & ')' FROM rsite ORDER BY site_id"
            << "50% Creek (CO)|Lake_2 ()";
        QTest::newRow("delete star") << "Delete * from rday where value = 99"
                                     << "";
    }
    void runsOnSqlite() {
        QFETCH(QString, jet);
        QFETCH(QString, expected);
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", QTest::currentDataTag());
        db.setDatabaseName(":memory:");
        QVERIFY(db.open());
        registerJetFunctions(*static_cast<sqlite3**>(db.driver()->handle().data()));
        {
            QSqlQuery q(db);
            for (const char* setup :
                 {"CREATE TABLE rsite (site_id INTEGER, site_name TEXT, state TEXT)",
                  "INSERT INTO rsite VALUES (1, '50% Creek', 'CO'), (2, 'Lake_2', NULL)",
                  "CREATE TABLE rday (datatype_site_id INTEGER PRIMARY KEY AUTOINCREMENT, "
                  "date_time TEXT, value REAL)",
                  "INSERT INTO rday VALUES (1, '2000-01-01 00:00:00', 10), "
                  "(2, '2000-01-02 00:00:00', 20), (3, '2000-01-03 00:00:00', 30)",
                  "CREATE VIEW wet AS SELECT * FROM rday"})
                QVERIFY2(q.exec(QString::fromLatin1(setup)), qPrintable(q.lastError().text()));
            QVERIFY(q.exec(JetSql::translate(jet, SqliteDialect()).sql));
            QStringList rows;
            while (q.next())
                rows << q.value(0).toString();
            QCOMPARE(rows.join('|'), expected);
        }
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(QTest::currentDataTag());
    }

    // Whatever is typed into the SQL box, the translator answers with SQL or a message.
    void arbitraryInputIsSafe() {
        const QStringList pieces = {
            "SELECT", "TOP",    "5",          "DISTINCT", "(",           ")",     "&",
            "'",      "\"",     "#",          "[",        "]",           "LIKE",  "'a*'",
            "Delete", "*",      ".",          "from",     "MSysObjects", ";",     "--",
            "/*",     "*/",     "UNION",      "Year",     "Left",        ",",     " ",
            "\n",     "a",      "#1/1/2000#", "[x$]",     "AS",          "WHERE", "=",
            "True",   "Mod",    "ORDER",      "BY",       "PERCENT",     "''",    "`",
            "e",      "1.5e",   "+",          "-",        "^",           "\\",    "IN",
            "Switch", "Choose", "'x'",        "BETWEEN",  "AND",         "SET"};
        QRandomGenerator random(20240501);
        for (int n = 0; n < 20000; ++n) {
            QString jet;
            const int count = random.bounded(1, 14);
            for (int i = 0; i < count; ++i)
                jet += pieces.at(random.bounded(int(pieces.size()))) +
                       (random.bounded(2) ? QStringLiteral(" ") : QString());
            try {
                const auto t = JetSql::translate(jet, SqliteDialect());
                QVERIFY(!t.sql.isEmpty());
            } catch (const Error& e) {
                QVERIFY2(!e.message().isEmpty(), qPrintable(jet));
            }
        }
    }

private:
    void compareTranslation() {
        QFETCH(QString, jet);
        QFETCH(QString, expected);
        QCOMPARE(JetSql::translate(jet, SqliteDialect()).sql, expected);
    }
};

QTEST_GUILESS_MAIN(TestJetSql)
#include "tst_JetSql.moc"
