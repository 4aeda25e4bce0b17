#include "BackendHdb.h"
#include "GoldenReport.h"
#include "core/base/Error.h"
#include "core/db/Database.h"
#include "core/writeback/AggregateRows.h"
#include "core/writeback/AggregateSinkFactory.h"
#include "core/writeback/DatabaseAggregateSink.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <thread>
#include <unistd.h>

using namespace rp;

namespace {

// Rows of one value table for a parameter, as "date value source", in date order.
QStringList rowsOf(Database& db, const QString& table, int parameter = 1001) {
    auto rs = db.open(QStringLiteral("SELECT date_time, value, source FROM %1 WHERE "
                                     "datatype_site_id=%2 ORDER BY date_time")
                          .arg(table)
                          .arg(parameter),
                      LockType::ReadOnly);
    QStringList rows;
    for (qsizetype r = 0; r < rs->recordCount(); ++r)
        rows << QStringLiteral("%1 %2 %3")
                    .arg(rs->displayText(r, 0), rs->displayText(r, 1), rs->displayText(r, 2));
    return rows;
}

QByteArray series(const QByteArray& parameter, const QByteArray& lines, int key = 1001) {
    return "2 " + QByteArray::number(key) + " SITE\r\n" + parameter + "\r\n" + lines;
}

// The daily discharge of a whole year 2005: the first and last day without a value.
QByteArray wholeYear(const QByteArray& lines) {
    return series("DAILY DISCHARGE, CFS", "01 JAN 2005 \r\n" + lines + "31 DEC 2005 \r\n");
}

} // namespace

class tst_WriteBack : public QObject {
    Q_OBJECT
private slots:
    void refusalOfTheOpenDatabase_data();
    void refusalOfTheOpenDatabase();
    void rowDates_data();
    void rowDates();
    void parameter_data();
    void parameter();
    void numbers_data();
    void numbers();
    void readOnlyFile();

    void writes_data();
    void writes();
    void sameYearTwiceReplacesRows_data() { test::addBackendRows(); }
    void sameYearTwiceReplacesRows();
    void monthWithoutDataIsLeftAlone_data() { test::addBackendRows(); }
    void monthWithoutDataIsLeftAlone();
    void datesAreDateValues_data() { test::addBackendRows(); }
    void datesAreDateValues();
    void failedInsertKeepsOldRow_data() { test::addBackendRows(); }
    void failedInsertKeepsOldRow();
    void boxesDecideAtEachWrite_data() { test::addBackendRows(); }
    void boxesDecideAtEachWrite();
    void noBoxNoConnection_data() { test::addBackendRows(); }
    void noBoxNoConnection();
    void factoryStartsEachReportAfresh_data() { test::addBackendRows(); }
    void factoryStartsEachReportAfresh();
    void refusedAtTheStart_data();
    void refusedAtTheStart();
    void untrustedSeriesWritesNothing_data();
    void untrustedSeriesWritesNothing();
    void partOfAYearKeepsTheStoredValue_data() { test::addBackendRows(); }
    void partOfAYearKeepsTheStoredValue();
    void twoUsersWriteTheSameSeries_data();
    void twoUsersWriteTheSameSeries();

private:
    void use(test::BackendHdb& hdb) {
        m_connection = hdb.connection();
        m_db = hdb.db();
        m_db->executeNative(QStringLiteral(
            "INSERT INTO rsite (site_id, datatype_site_id) VALUES (1, 1001), (1, 1002)"));
    }
    // Runs the daily table of `text` with both boxes ticked; returns the sink's note.
    QString report(const QByteArray& text);
    void insert(const QString& table, const QString& date, double value, int source);
    // Makes inserts of April 2005 into rmonth fail, or lets them pass again.
    void refuseApril(bool refuse);

    QString m_connection;
    std::shared_ptr<Database> m_db;
};

QString tst_WriteBack::report(const QByteArray& text) {
    DatabaseAggregateSink sink(m_connection, QStringLiteral(" 1001 "),
                               {[] { return true; }, [] { return true; }});
    ReportOptions options;
    options.sink = &sink;
    test::runReport(text, options);
    return sink.finish();
}

void tst_WriteBack::insert(const QString& table, const QString& date, double value, int source) {
    m_db->execute(QStringLiteral("INSERT INTO %1 VALUES (1001, #%2#, %3, %4)")
                      .arg(table, date)
                      .arg(value)
                      .arg(source));
}

void tst_WriteBack::refuseApril(bool refuse) {
    const bool sqlite = m_db->backendName() == QLatin1String("SQLite");
    if (!refuse) {
        m_db->executeNative(sqlite ? QStringLiteral("DROP TRIGGER refuse_april")
                                   : QStringLiteral("DROP TRIGGER refuse_april ON rmonth"));
        return;
    }
    if (sqlite) {
        m_db->executeNative(
            QStringLiteral("CREATE TRIGGER refuse_april BEFORE INSERT ON rmonth WHEN NEW.date_time "
                           "LIKE '2005-04%' BEGIN SELECT RAISE(ABORT, 'April is closed'); END"));
        return;
    }
    m_db->executeNative(QStringLiteral(
        "CREATE FUNCTION refuse_april() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN IF "
        "to_char(NEW.date_time, 'YYYY-MM') = '2005-04' THEN RAISE EXCEPTION 'April is closed'; "
        "END IF; RETURN NEW; END $$"));
    m_db->executeNative(QStringLiteral("CREATE TRIGGER refuse_april BEFORE INSERT ON rmonth FOR "
                                       "EACH ROW EXECUTE FUNCTION refuse_april()"));
}

void tst_WriteBack::rowDates_data() {
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<QString>("monthly");
    QTest::addColumn<QString>("yearly");
    QTest::newRow("March") << 2005 << 3 << "3/01/2005"
                           << "01/01/2005";
    QTest::newRow("December") << 1999 << 12 << "12/01/1999"
                              << "01/01/1999";
    QTest::newRow("January") << 2020 << 1 << "1/01/2020"
                             << "01/01/2020";
}

void tst_WriteBack::rowDates() {
    QFETCH(int, year);
    QFETCH(int, month);
    QTEST(monthRowDate(year, month), "monthly");
    QTEST(yearRowDate(year), "yearly");
    QCOMPARE(aggregateDeleteStatement(QStringLiteral("rmonth"), 1001, monthRowDate(year, month)),
             QStringLiteral("Delete * from rmonth where datatype_site_id=1001 and date_time= #%1#;")
                 .arg(monthRowDate(year, month)));
}

void tst_WriteBack::parameter_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("id"); // -1: refused
    QTest::newRow("identifier") << "1001" << qint64(1001);
    QTest::newRow("blanks around") << "  42 " << qint64(42);
    QTest::newRow("site list") << "" << qint64(-1);
    QTest::newRow("own SQL") << "SQL" << qint64(-1);
    QTest::newRow("tables") << "Table" << qint64(-1);
    QTest::newRow("statement pasted in") << "1 or 1=1" << qint64(-1);
    QTest::newRow("signed") << "-5" << qint64(-1);
    QTest::newRow("decimal") << "10.5" << qint64(-1);
}

void tst_WriteBack::parameter() {
    QFETCH(QString, text);
    QFETCH(qint64, id);
    if (id >= 0) {
        QCOMPARE(aggregateParameter(text), id);
        return;
    }
    try {
        aggregateParameter(text);
        QFAIL("accepted");
    } catch (const Error& e) {
        QVERIFY2(e.message().contains(QStringLiteral("datatype_site_id")), qPrintable(e.message()));
    }
}

void tst_WriteBack::numbers_data() {
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<double>("number");
    QTest::addColumn<bool>("refused");
    QTest::newRow("cell text") << QVariant(QStringLiteral("      198")) << 198.0 << false;
    QTest::newRow("two decimals") << QVariant(QStringLiteral("     0.13")) << 0.13 << false;
    QTest::newRow("plain number, full precision")
        << QVariant(QStringLiteral(" 60.123456789012")) << 60.123456789012 << false;
    QTest::newRow("negative") << QVariant(QStringLiteral("-2.5")) << -2.5 << false;
    QTest::newRow("double") << QVariant(198.35) << 198.35 << false;
    QTest::newRow("not a number") << QVariant(QStringLiteral("   abc")) << 0.0 << true;
    QTest::newRow("empty") << QVariant(QString()) << 0.0 << true;
    QTest::newRow("nothing") << QVariant() << 0.0 << true;
}

void tst_WriteBack::numbers() {
    QFETCH(QVariant, value);
    QFETCH(bool, refused);
    try {
        const double number = aggregateNumber(value);
        QVERIFY(!refused);
        QTEST(number, "number");
    } catch (const Error& e) {
        QVERIFY2(refused, qPrintable(e.message()));
    }
}

void tst_WriteBack::refusalOfTheOpenDatabase_data() {
    QTest::addColumn<QString>("open");       // the database open now: "", "SQLite" or "Access"
    QTest::addColumn<QString>("connection"); // "SQLite" or "Access"
    QTest::addColumn<QString>("refusal");    // a word of the reason; empty when none
    QTest::newRow("nothing open, SQLite") << ""
                                          << "SQLite"
                                          << "";
    QTest::newRow("nothing open, Access") << ""
                                          << "Access"
                                          << "Access";
    QTest::newRow("SQLite open") << "SQLite"
                                 << "SQLite"
                                 << "";
    // The open database knows best, whatever the connection string says.
    QTest::newRow("Access open") << "Access"
                                 << "SQLite"
                                 << "Access";
}

void tst_WriteBack::refusalOfTheOpenDatabase() {
    QFETCH(QString, open);
    QFETCH(QString, connection);
    QFETCH(QString, refusal);
    const QString nwind = QStringLiteral(RIVELPOST_SHARED_DATA) + QStringLiteral("/mdb/nwind.mdb");
    if ((open == QLatin1String("Access") || connection == QLatin1String("Access")) &&
        !QFile::exists(nwind))
        QSKIP("the shared Access sample files are missing");
    QTemporaryDir dir;
    const QString connections[] = {
        QStringLiteral("Provider=SQLite;Data Source=%1")
            .arg(dir.filePath(QStringLiteral("h.sqlite"))),
        QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=%1").arg(nwind)};
    const QString& sqlite = connections[0];
    const QString& access = connections[1];
    createHdb(sqlite);
    std::shared_ptr<Database> database;
    if (!open.isEmpty())
        database = openDatabase(open == QLatin1String("Access") ? access : sqlite);
    const QString why =
        writeBackRefusal(database.get(), connection == QLatin1String("Access") ? access : sqlite);
    if (refusal.isEmpty())
        QCOMPARE(why, QString());
    else
        QVERIFY2(why.contains(refusal), qPrintable(why));
}

void tst_WriteBack::readOnlyFile() {
    if (geteuid() == 0)
        QSKIP("permissions do not bind the superuser");
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("hdb.sqlite"));
    const QString connection = QStringLiteral("Provider=SQLite;Data Source=%1").arg(path);
    createHdb(connection);
    QCOMPARE(writeBackRefusal(connection), QString());
    QFile::setPermissions(path, QFile::ReadOwner);
    QVERIFY(writeBackRefusal(connection).contains(QStringLiteral("read-only")));
}

void tst_WriteBack::writes_data() {
    test::addBackendColumn();
    QTest::addColumn<QByteArray>("parameter");
    QTest::addColumn<QByteArray>("lines");
    QTest::addColumn<QStringList>("months");
    QTest::addColumn<QStringList>("years");

    for (const char* backend : {"SQLite", "PostgreSQL"}) {
        const auto row = [&](const char* name) -> QTestData& {
            return QTest::addRow("%s: %s", backend, name) << QString::fromLatin1(backend);
        };
        row("flow: rounded acre-feet, unrounded year")
            << QByteArray("DAILY DISCHARGE, CFS")
            << QByteArray("01 MAR 2005 40\r\n02 MAR 2005 60\r\n") << QStringList{"3/1/2005 198 5"}
            << QStringList{"1/1/2005 198.35 5"};
        row("wind direction: rounded vector means")
            << QByteArray("DAILY WIND DIRECTION, QUARTERS")
            << QByteArray("01 MAR 2005 3.75\r\n02 MAR 2005 0.25\r\n01 APR 2005 1.1\r\n")
            << QStringList{"3/1/2005 4 5", "4/1/2005 1 5"} << QStringList{"1/1/2005 0.25 5"};
        row("mean as printed") << QByteArray("DAILY GAGE HEIGHT, METRES")
                               << QByteArray(
                                      "01 JAN 2004 1.25\r\n02 JAN 2004 1.5\r\n01 FEB 2004 20\r\n")
                               << QStringList{"1/1/2004 1.4 5", "2/1/2004 20 5"}
                               << QStringList{"1/1/2004 8 5"};
        row("year to date: month maximum in full")
            << QByteArray("DAILY PRECIP YTD, MM")
            << QByteArray("01 MAR 2005 1.234\r\n02 MAR 2005 2.345678\r\n")
            << QStringList{"3/1/2005 2.345678 5"} << QStringList{"1/1/2005 1.8 5"};
        row("two years, a page each") << QByteArray("DAILY RESERVOIR STORAGE, AF")
                                      << QByteArray("31 DEC 2004 100\r\n01 JAN 2005 200\r\n")
                                      << QStringList{"12/1/2004 100 5", "1/1/2005 200 5"}
                                      << QStringList{"1/1/2004 100 5", "1/1/2005 200 5"};
    }
}

void tst_WriteBack::writes() {
    RP_BACKEND_HDB(hdb);
    use(hdb);
    QFETCH(QByteArray, parameter);
    QFETCH(QByteArray, lines);
    report(series(parameter, lines));
    QTEST(rowsOf(*m_db, QStringLiteral("rmonth")), "months");
    QTEST(rowsOf(*m_db, QStringLiteral("ryear")), "years");
}

void tst_WriteBack::sameYearTwiceReplacesRows() {
    RP_BACKEND_HDB(hdb);
    use(hdb);
    insert(QStringLiteral("rmonth"), QStringLiteral("3/01/2005"), 1, 1);
    insert(QStringLiteral("ryear"), QStringLiteral("01/01/2005"), 2, 1);
    const QByteArray text = wholeYear("01 MAR 2005 40\r\n02 MAR 2005 60\r\n01 MAY 2005 10\r\n");
    report(text);
    report(text);
    QCOMPARE(rowsOf(*m_db, QStringLiteral("rmonth")),
             (QStringList{"3/1/2005 198 5", "5/1/2005 20 5"}));
    QCOMPARE(rowsOf(*m_db, QStringLiteral("ryear")), QStringList{"1/1/2005 218.185 5"});
}

void tst_WriteBack::monthWithoutDataIsLeftAlone() {
    RP_BACKEND_HDB(hdb);
    use(hdb);
    insert(QStringLiteral("rmonth"), QStringLiteral("4/01/2005"), 7, 1);
    // April has a line, but no value: no day with data.
    report(series("DAILY DISCHARGE, CFS",
                  "01 MAR 2005 1\r\n01 APR 2005 \r\n02 APR 2005 ---\r\n01 MAY 2005 1\r\n"));
    QCOMPARE(rowsOf(*m_db, QStringLiteral("rmonth")),
             (QStringList{"3/1/2005 2 5", "4/1/2005 7 1", "5/1/2005 2 5"}));
}

void tst_WriteBack::datesAreDateValues() {
    RP_BACKEND_HDB(hdb);
    use(hdb);
    report(series("DAILY DISCHARGE, CFS", "15 MAR 2005 1\r\n"));
    // Found by a date literal, by the date functions and in the stored form of every other row.
    QCOMPARE(rowsOf(*m_db, QStringLiteral("rmonth")), QStringList{"3/1/2005 2 5"});
    auto rs = m_db->open(QStringLiteral("SELECT Year(date_time), Month(date_time), date_time FROM "
                                        "rmonth WHERE date_time = #01-Mar-2005#"),
                         LockType::ReadOnly);
    QCOMPARE(rs->recordCount(), 1);
    QCOMPARE(rs->value(0, 0).toInt(), 2005);
    QCOMPARE(rs->value(0, 1).toInt(), 3);
    QCOMPARE(rs->type(0, 2), FieldType::DateTime);
    QCOMPARE(rs->value(0, 2).toDateTime(), QDateTime(QDate(2005, 3, 1), QTime(0, 0), Qt::UTC));
    QCOMPARE(rowsOf(*m_db, QStringLiteral("ryear")), QStringList{"1/1/2005 1.9835 5"});
}

void tst_WriteBack::failedInsertKeepsOldRow() {
    RP_BACKEND_HDB(hdb);
    use(hdb);
    insert(QStringLiteral("rmonth"), QStringLiteral("4/01/2005"), 7, 1);
    insert(QStringLiteral("ryear"), QStringLiteral("01/01/2005"), 9, 1);
    refuseApril(true);
    try {
        report(wholeYear("01 MAR 2005 1\r\n01 APR 2005 1\r\n01 MAY 2005 1\r\n"));
        QFAIL("the refused insert was not reported");
    } catch (const Error& e) {
        QVERIFY2(e.message().contains(QStringLiteral("April is closed")), qPrintable(e.message()));
        QVERIFY2(e.message().contains(QStringLiteral("4/01/2005")), qPrintable(e.message()));
    }
    // All or nothing: March, written before the failure, is undone; April keeps its row.
    QCOMPARE(rowsOf(*m_db, QStringLiteral("rmonth")), QStringList{"4/1/2005 7 1"});
    QCOMPARE(rowsOf(*m_db, QStringLiteral("ryear")), QStringList{"1/1/2005 9 1"});
    // The connection is usable again: no transaction was left open.
    refuseApril(false);
    report(series("DAILY DISCHARGE, CFS", "01 APR 2005 1\r\n30 APR 2005 \r\n"));
    QCOMPARE(rowsOf(*m_db, QStringLiteral("rmonth")), QStringList{"4/1/2005 2 5"});
}

void tst_WriteBack::boxesDecideAtEachWrite() {
    RP_BACKEND_HDB(hdb);
    use(hdb);
    // "Write Monthlys" unticked after the first month; "Write Yearlys" ticked only after the start
    // opened the database for the monthly box, so it counts.
    bool monthly = true;
    bool yearly = false;
    bool running = false;
    DatabaseAggregateSink sink(m_connection, QStringLiteral("1001"),
                               {[&] {
                                    const bool answer = monthly;
                                    if (running)
                                        monthly = false, yearly = true;
                                    return answer;
                                },
                                [&] { return yearly; }});
    running = true;
    ReportOptions options;
    options.sink = &sink;
    test::runReport(
        series("DAILY DISCHARGE, CFS", "01 MAR 2005 1\r\n01 APR 2005 1\r\n01 MAY 2005 1\r\n"),
        options);
    sink.finish();
    QCOMPARE(rowsOf(*m_db, QStringLiteral("rmonth")), QStringList{"3/1/2005 2 5"});
    QCOMPARE(rowsOf(*m_db, QStringLiteral("ryear")), QStringList{"1/1/2005 5.9505 5"});
}

void tst_WriteBack::noBoxNoConnection() {
    RP_BACKEND_HDB(hdb);
    use(hdb);
    bool yearly = false;
    int connects = 0;
    DatabaseAggregateSink sink(
        [&]() -> std::shared_ptr<Database> {
            ++connects;
            return m_db;
        },
        QStringLiteral("not a parameter"), {[] { return false; }, [&] { return yearly; }});
    QCOMPARE(connects, 0);
    QVERIFY(!sink.isConnected());
    // Ticked after the start: there is no connection to write through, so nothing is written.
    yearly = true;
    QVERIFY(!sink.wantsYearly());
    ReportOptions options;
    options.sink = &sink;
    test::runReport(series("DAILY DISCHARGE, CFS", "01 MAR 2005 1\r\n"), options);
    QCOMPARE(rowsOf(*m_db, QStringLiteral("ryear")), QStringList{});
    QCOMPARE(connects, 0);
}

void tst_WriteBack::factoryStartsEachReportAfresh() {
    RP_BACKEND_HDB(hdb);
    use(hdb);
    QString mode = QStringLiteral("1001");
    bool monthly = true;
    const auto next = aggregateSinkFactory([&] { return m_connection; }, [&] { return mode; },
                                           {[&] { return monthly; }, [] { return false; }});
    ReportOptions options;
    options.sink = next();
    test::runReport(series("DAILY DISCHARGE, CFS", "01 MAR 2005 1\r\n"), options);
    options.sink->finish();
    // The next report writes for the series retrieved since.
    mode = QStringLiteral("1002");
    options.sink = next();
    test::runReport(series("DAILY DISCHARGE, CFS", "01 APR 2005 1\r\n", 1002), options);
    options.sink->finish();
    QCOMPARE(rowsOf(*m_db, QStringLiteral("rmonth"), 1001), QStringList{"3/1/2005 2 5"});
    QCOMPARE(rowsOf(*m_db, QStringLiteral("rmonth"), 1002), QStringList{"4/1/2005 2 5"});
    QCOMPARE(rowsOf(*m_db, QStringLiteral("ryear"), 1002), QStringList{});
    // Nothing ticked: the mode box is not asked to name a series and nothing is opened.
    monthly = false;
    mode = QStringLiteral("SQL");
    AggregateSink* idle = next();
    QVERIFY(!idle->wantsMonthly());
    QVERIFY(!idle->wantsYearly());
}

void tst_WriteBack::refusedAtTheStart_data() {
    QTest::addColumn<QString>("connection");
    QTest::addColumn<QString>("modeText");
    QTest::addColumn<QString>("message");
    QTest::newRow("Access database") << "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=%1.mdb"
                                     << "1001"
                                     << "Access";
    QTest::newRow("missing file") << "Provider=SQLite;Data Source=%1.missing"
                                  << "1001"
                                  << "does not exist";
    QTest::newRow("no series retrieved") << "Provider=SQLite;Data Source=%1"
                                         << "SQL"
                                         << "datatype_site_id";
}

void tst_WriteBack::refusedAtTheStart() {
    QFETCH(QString, connection);
    QFETCH(QString, modeText);
    QFETCH(QString, message);
    QTemporaryDir dir;
    try {
        DatabaseAggregateSink sink(connection.arg(dir.filePath("hdb.sqlite")), modeText,
                                   {[] { return false; }, [] { return true; }});
        QFAIL("accepted");
    } catch (const Error& e) {
        QVERIFY2(e.message().contains(message), qPrintable(e.message()));
    }
    QVERIFY(!QFile::exists(dir.filePath("hdb.sqlite.missing")));
}

void tst_WriteBack::untrustedSeriesWritesNothing_data() {
    test::addBackendColumn();
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("dsid");
    QTest::addColumn<QString>("message"); // a word of the error; empty when any error will do
    for (const char* backend : {"SQLite", "PostgreSQL"}) {
        const auto row = [&](const char* name, const QByteArray& header, const QByteArray& lines,
                             const char* dsid, const char* message) {
            QTest::addRow("%s: %s", backend, name)
                << QString::fromLatin1(backend) << QByteArray(header + "\r\n" + lines)
                << QString::fromLatin1(dsid) << QString::fromLatin1(message);
        };
        const QByteArray flow = "2 1001 SITE\r\nDAILY DISCHARGE, CFS";
        // Each file's first year would be written before its fault is read.
        row("cut short", flow, "01 MAR 2004 1\r\n01 MAR 2005 1\r\n02 MAR 2005 1", "1001",
            "cut short");
        row("dates not ascending", flow, "01 MAR 2005 1\r\n01 MAR 2004 1\r\n", "1001", "ascending");
        row("a date twice", flow, "01 MAR 2004 1\r\n01 MAR 2004 2\r\n", "1001", "ascending");
        row("a value that is no number", flow, "01 MAR 2004 1\r\n01 MAR 2005 12abc\r\n", "1001",
            "finite number");
        row("a value beyond any number", flow, "01 MAR 2004 1\r\n01 MAR 2005 1e400\r\n", "1001",
            "finite number");
        row("not a number at all", flow, "01 MAR 2004 1\r\n01 MAR 2005 nan\r\n", "1001",
            "finite number");
        row("sums beyond any number", flow,
            "01 MAR 2004 1\r\n01 MAR 2005 1e308\r\n02 MAR 2005 1e308\r\n", "1001", "");
        row("another parameter's series", "2 1002 SITE\r\nDAILY DISCHARGE, CFS",
            "01 MAR 2004 1\r\n01 MAR 2005 1\r\n", "1001", "1002");
        row("a key not in rsite", "2 1003 SITE\r\nDAILY DISCHARGE, CFS",
            "01 MAR 2004 1\r\n01 MAR 2005 1\r\n", "1003", "rsite");
        row("a header without a key", "2 SITE\r\nDAILY DISCHARGE, CFS",
            "01 MAR 2004 1\r\n01 MAR 2005 1\r\n", "1001", "datatype_site_id");
        row("the report fails in its second year", "2 1001 SITE\r\nDAILY WIND DIRECTION",
            "01 MAR 2004 1\r\n01 MAR 2005 9\r\n", "1001", "outside 0 to 4");
    }
}

void tst_WriteBack::untrustedSeriesWritesNothing() {
    RP_BACKEND_HDB(hdb);
    use(hdb);
    QFETCH(QByteArray, text);
    QFETCH(QString, dsid);
    QFETCH(QString, message);
    insert(QStringLiteral("rmonth"), QStringLiteral("3/01/2005"), 7, 1);
    insert(QStringLiteral("ryear"), QStringLiteral("01/01/2005"), 9, 1);
    try {
        DatabaseAggregateSink sink(m_connection, dsid, {[] { return true; }, [] { return true; }});
        ReportOptions options;
        options.sink = &sink;
        test::runReport(text, options);
        sink.finish();
        QFAIL("the series was written back");
    } catch (const Error& e) {
        QVERIFY2(e.message().contains(message), qPrintable(e.message()));
    }
    QCOMPARE(rowsOf(*m_db, QStringLiteral("rmonth")), QStringList{"3/1/2005 7 1"});
    QCOMPARE(rowsOf(*m_db, QStringLiteral("ryear")), QStringList{"1/1/2005 9 1"});
}

void tst_WriteBack::partOfAYearKeepsTheStoredValue() {
    RP_BACKEND_HDB(hdb);
    use(hdb);
    for (const char* year : {"2000", "2001", "2002"})
        insert(QStringLiteral("ryear"), QStringLiteral("01/01/%1").arg(QLatin1String(year)), 1000,
               1);
    insert(QStringLiteral("rmonth"), QStringLiteral("10/01/2000"), 7, 1);
    // October 2000 to September 2002, from the middle of October.
    const QString note =
        report(series("DAILY DISCHARGE, CFS", "15 OCT 2000 10\r\n01 NOV 2000 10\r\n"
                                              "01 JUN 2001 10\r\n30 SEP 2002 10\r\n"));
    QCOMPARE(rowsOf(*m_db, QStringLiteral("ryear")),
             (QStringList{"1/1/2000 1000 1", "1/1/2001 19.835 5", "1/1/2002 1000 1"}));
    // A month covered in part without a stored value is written; one with a value is kept.
    QCOMPARE(rowsOf(*m_db, QStringLiteral("rmonth")),
             (QStringList{"10/1/2000 7 1", "11/1/2000 20 5", "6/1/2001 20 5", "9/1/2002 20 5"}));
    for (const char* named : {"October 2000", "2000", "2002"})
        QVERIFY2(note.contains(QLatin1String(named)), qPrintable(note));
    QVERIFY2(!note.contains(QLatin1String("2001")), qPrintable(note));
}

void tst_WriteBack::twoUsersWriteTheSameSeries_data() {
    test::addBackendColumn();
    QTest::newRow("PostgreSQL") << QStringLiteral("PostgreSQL");
}

// Two users write back the same series at the same moment, each through a connection of its own:
// the one that comes second replaces what the first wrote instead of failing on it.
void tst_WriteBack::twoUsersWriteTheSameSeries() {
    RP_BACKEND_HDB(hdb);
    use(hdb);
    insert(QStringLiteral("rmonth"), QStringLiteral("3/01/2005"), 1, 1);
    // A third user holds the March row, so both write-backs are under way when it lets go.
    const auto holder = hdb.openAnother();
    holder->beginTransaction();
    holder->executeNative(QStringLiteral("SELECT * FROM rmonth FOR UPDATE"));
    const QByteArray text = wholeYear("01 MAR 2005 40\r\n02 MAR 2005 60\r\n01 MAY 2005 10\r\n");
    QString failures[2];
    std::thread users[2];
    for (int i = 0; i < 2; ++i)
        users[i] = std::thread([&, i] {
            try {
                report(text);
            } catch (const Error& e) {
                failures[i] = e.message();
            }
        });
    QElapsedTimer waited;
    waited.start();
    // Asked outside the holder's transaction, which would see the same answer each time.
    while (test::firstColumn(*m_db, QStringLiteral("SELECT count(*) FROM pg_stat_activity WHERE "
                                                   "wait_event_type = 'Lock' AND datname = "
                                                   "current_database()")) != QLatin1String("2") &&
           waited.elapsed() < 20000)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    holder->rollback();
    for (std::thread& user : users)
        user.join();
    QCOMPARE(failures[0], QString());
    QCOMPARE(failures[1], QString());
    QCOMPARE(rowsOf(*m_db, QStringLiteral("rmonth")),
             (QStringList{"3/1/2005 198 5", "5/1/2005 20 5"}));
    QCOMPARE(rowsOf(*m_db, QStringLiteral("ryear")), QStringList{"1/1/2005 218.185 5"});
}

QTEST_GUILESS_MAIN(tst_WriteBack)
#include "tst_WriteBack.moc"
