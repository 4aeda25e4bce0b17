#include "BrowsingHdb.h"
#include "core/db/RecordSet.h"
#include "core/hdb/Browsing.h"
#include "core/hdb/RunQuery.h"

#include <QtTest>

using namespace rp;
using Outcome = RunQueryResult::Outcome;

class tst_RunQuery : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { hdb = std::make_unique<test::BrowsingHdb>(); }
    void cleanupTestCase() { hdb.reset(); }
    void retrieval_data();
    void retrieval();
    void listsRunAsTheyStand();
    void dayMaxWhileEditing();
    void ownSelect();
    void ownActionStatement();
    void ownInsertGoesToTheGrid();
    void failedActionStatement();
    void failureLeavesAnEmptyResult();
    void unreachableDatabaseEscalates();
    void keyMustBeANumber_data();
    void keyMustBeANumber();
    void workbookTableListIsRefused();
    void workbookRetrievalIsRewritten();

private:
    RunQueryInput retrievalInput(TimeStep step, const QString& key) const {
        RunQueryInput input;
        input.step = step;
        input.seriesKey = key;
        input.startDate = QStringLiteral("01-Jan-2010");
        input.endDate = QStringLiteral("31-Jan-2010");
        return input;
    }
    QueryState freshState() const {
        QueryState state;
        state.connectionString = hdb->connectionString;
        state.stepCount = -1;
        return state;
    }
    double valueOf(const QString& sql) {
        QueryState state = freshState();
        state.sqlText = sql;
        RunQueryInput input;
        input.runAsTyped = true;
        const RunQueryResult result = runQuery(input, state);
        return result.recordSet->value(0, 0).toDouble();
    }

    std::unique_ptr<test::BrowsingHdb> hdb;
};

void tst_RunQuery::retrieval_data() {
    QTest::addColumn<int>("step");
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("records");
    QTest::addColumn<QString>("interval");
    QTest::addColumn<int>("stepCount");
    QTest::newRow("day") << 2 << "1001" << 31 << "d" << 1;
    QTest::newRow("year, end date not moved") << 0 << "1001" << 1 << "y" << 1;
    QTest::newRow("month") << 1 << "1001" << 1 << "m" << 1;
    // Hour moves the end date on, so midnight after the end day is retrieved.
    QTest::newRow("hour") << 3 << "1002" << 25 << "h" << 1;
    QTest::newRow("unit at 0 15 30 45") << 4 << "1001" << 96 << "n" << 15;
    QTest::newRow("unit at 0 30 0 30") << 4 << "1003" << 48 << "n" << 30;
    QTest::newRow("unit on the hour") << 4 << "3001" << 24 << "n" << 60;
    QTest::newRow("unit, 4 records") << 4 << "2001" << 4 << "n" << 60;
    QTest::newRow("unitshift") << 7 << "1001" << 31 << "n" << 60;
    QTest::newRow("daymax") << 5 << "1001" << 31 << "d" << 1;
    QTest::newRow("empty series") << 2 << "9999" << 0 << "d" << 1;
}

void tst_RunQuery::retrieval() {
    QFETCH(int, step);
    QFETCH(QString, key);
    QFETCH(int, records);
    QFETCH(QString, interval);
    QFETCH(int, stepCount);
    QueryState state = freshState();
    state.sqlText = QStringLiteral("old");
    const TimeStep timeStep = timeStepFromIndex(step);
    const RunQueryResult result = runQuery(retrievalInput(timeStep, key), state);
    QCOMPARE(result.message, QString());
    QCOMPARE(int(result.outcome), int(Outcome::Opened));
    QCOMPARE(result.recordSet->recordCount(), records);
    QCOMPARE(state.dateIncrement, interval);
    QCOMPARE(state.stepCount, stepCount);
    QCOMPARE(state.excel, false);
    QCOMPARE(state.sqlText, retrievalStatement(timeStep, key, QStringLiteral("01-Jan-2010"),
                                               retrievalUpperBound(timeStep, "31-Jan-2010")));
    QCOMPARE(result.statement, state.sqlText);
    QCOMPARE(result.editable, std::optional<bool>(false));
    QCOMPARE(result.recordSet->lockType(), LockType::ReadOnly);
    if (records > 0)
        QCOMPARE(result.recordSet->absolutePosition(), 1);
}

void tst_RunQuery::listsRunAsTheyStand() {
    QueryState state = freshState();
    state.sqlText = siteListStatement();
    RunQueryInput input = retrievalInput(TimeStep::Unit, QString());
    input.runAsTyped = true;
    // A bad end date is no concern of a list that does not use it.
    input.endDate = QStringLiteral("not a date");
    const RunQueryResult result = runQuery(input, state);
    QCOMPARE(result.message, QString());
    QCOMPARE(result.recordSet->recordCount(), 3);
    QCOMPARE(result.recordSet->fieldNames(),
             QStringList({"site_id", "station_id", "site_name", "state", "reach_id"}));
    QCOMPARE(state.stepCount, 0);
    QCOMPARE(state.dateIncrement, QString());
    QCOMPARE(state.sqlText, siteListStatement());
}

void tst_RunQuery::dayMaxWhileEditing() {
    for (const bool autoInsert : {false, true}) {
        QueryState state = freshState();
        RunQueryInput input = retrievalInput(TimeStep::DayMax, QStringLiteral("1001"));
        input.allowEdit = !autoInsert;
        input.autoInsert = autoInsert;
        const RunQueryResult result = runQuery(input, state);
        QCOMPARE(result.message, QString());
        QCOMPARE(result.editable, std::optional<bool>(true));
        QCOMPARE(result.recordSet->lockType(), LockType::Optimistic);
        QVERIFY(result.statement.startsWith(QLatin1String("SELECT * FROM rdaymax")));
        // The SQL box keeps the four named columns.
        QVERIFY(state.sqlText.startsWith(
            QLatin1String("SELECT datatype_site_id, date_time, value, source FROM rdaymax")));
    }
}

void tst_RunQuery::ownSelect() {
    QueryState state = freshState();
    state.dateIncrement = QStringLiteral("d");
    state.sqlText = QStringLiteral("SELECT date_time, value FROM rday WHERE datatype_site_id=2001");
    RunQueryInput input = retrievalInput(TimeStep::Unit, QStringLiteral("SQL"));
    input.ownSql = true;
    const RunQueryResult result = runQuery(input, state);
    QCOMPARE(result.message, QString());
    QCOMPARE(result.recordSet->recordCount(), 10);
    QCOMPARE(state.dateIncrement, QString());
    // The second column is not date_time.
    QCOMPARE(state.stepCount, 0);
    QCOMPARE(state.sqlText, result.statement);
}

void tst_RunQuery::ownActionStatement() {
    QueryState state = freshState();
    state.dateIncrement = QStringLiteral("n");
    state.stepCount = 15;
    state.sqlText = QStringLiteral("UPDATE rsite SET site_name='Kern River at Kernville' WHERE "
                                   "datatype_site_id=1001");
    RunQueryInput input;
    input.ownSql = true;
    const RunQueryResult result = runQuery(input, state);
    QCOMPARE(int(result.outcome), int(Outcome::Executed));
    QCOMPARE(result.message, QStringLiteral("FINISHED: UPDATE RSITE SET SITE_NAME='KERN RIVER AT "
                                            "KERNVILLE' WHERE DATATYPE_SITE_ID=1001"));
    QVERIFY(!result.recordSet);
    QCOMPARE(state.dateIncrement, QString());
    QCOMPARE(state.stepCount, 15);
    // Run as typed: the quoted value keeps its case.
    QueryState check = freshState();
    check.sqlText = QStringLiteral("SELECT site_name FROM rsite WHERE datatype_site_id=1001");
    RunQueryInput list;
    list.runAsTyped = true;
    QCOMPARE(runQuery(list, check).recordSet->value(0, 0).toString(),
             QStringLiteral("Kern River at Kernville"));
}

void tst_RunQuery::ownInsertGoesToTheGrid() {
    QueryState state = freshState();
    state.sqlText = QStringLiteral("INSERT INTO rday (datatype_site_id, date_time, value, source) "
                                   "VALUES (2001, #11-Jan-2010#, 7, 1)");
    RunQueryInput input;
    input.ownSql = true;
    const RunQueryResult result = runQuery(input, state);
    QCOMPARE(result.message, QString());
    QCOMPARE(int(result.outcome), int(Outcome::Opened));
    QCOMPARE(result.recordSet->fieldCount(), 0);
    QCOMPARE(valueOf(QStringLiteral("SELECT value FROM rday WHERE datatype_site_id=2001 AND "
                                    "date_time=#11-Jan-2010#")),
             7.0);
}

void tst_RunQuery::failedActionStatement() {
    QueryState state = freshState();
    state.sqlText = QStringLiteral("DELETE FROM nosuchtable");
    RunQueryInput input;
    input.ownSql = true;
    const RunQueryResult result = runQuery(input, state);
    QCOMPARE(int(result.outcome), int(Outcome::Executed));
    QVERIFY(!result.message.isEmpty());
    QVERIFY(!result.message.startsWith(QLatin1String("FINISHED")));
}

void tst_RunQuery::failureLeavesAnEmptyResult() {
    QueryState state = freshState();
    state.stepCount = 30;
    state.sqlText = QStringLiteral("SELECT * FROM nosuchtable");
    RunQueryInput input;
    input.runAsTyped = true;
    const RunQueryResult result = runQuery(input, state);
    QCOMPARE(int(result.outcome), int(Outcome::Failed));
    QVERIFY(result.message.contains(QLatin1String("nosuchtable")));
    QVERIFY(result.escalatedError.isEmpty());
    QCOMPARE(result.recordSet->recordCount(), 0);
    QCOMPARE(result.recordSet->fieldNames(), QStringList{"site_id"});
    // The step count changes only when a query gets that far.
    QCOMPARE(state.stepCount, 30);
    QCOMPARE(state.dateIncrement, QString());

    // An end date that is not a date fails a retrieval that moves it on.
    QueryState hour = freshState();
    RunQueryInput bad = retrievalInput(TimeStep::Hour, QStringLiteral("1002"));
    bad.endDate = QStringLiteral("31-Feb-2010");
    const RunQueryResult failed = runQuery(bad, hour);
    QCOMPARE(int(failed.outcome), int(Outcome::Failed));
    QVERIFY(failed.message.contains(QLatin1String("31-Feb-2010")));
    QCOMPARE(hour.dateIncrement, QStringLiteral("h"));
}

void tst_RunQuery::unreachableDatabaseEscalates() {
    QueryState state;
    state.sqlText = siteListStatement();
    RunQueryInput input;
    input.runAsTyped = true;
    const RunQueryResult result = runQuery(input, state);
    QCOMPARE(int(result.outcome), int(Outcome::Failed));
    QVERIFY(!result.message.isEmpty());
    QVERIFY(!result.escalatedError.isEmpty());
    QVERIFY(!result.recordSet);
}

void tst_RunQuery::keyMustBeANumber_data() {
    QTest::addColumn<QString>("key");
    QTest::newRow("empty") << "";
    QTest::newRow("mode text") << "Table";
    QTest::newRow("injection") << "1001 OR 1=1";
    QTest::newRow("second statement") << "1001; DELETE FROM rday";
}

void tst_RunQuery::keyMustBeANumber() {
    QFETCH(QString, key);
    const double rows = valueOf(QStringLiteral("SELECT COUNT(*) FROM rday"));
    QueryState state = freshState();
    state.sqlText = QStringLiteral("previous");
    const RunQueryResult result = runQuery(retrievalInput(TimeStep::Day, key), state);
    QCOMPARE(int(result.outcome), int(Outcome::NotRun));
    QVERIFY(result.message.contains(QLatin1String("not a number")));
    QVERIFY(!result.recordSet);
    QCOMPARE(state.sqlText, QStringLiteral("previous"));
    QCOMPARE(valueOf(QStringLiteral("SELECT COUNT(*) FROM rday")), rows);
}

void tst_RunQuery::workbookTableListIsRefused() {
    QueryState state;
    state.connectionString = QStringLiteral("Driver={Microsoft Excel Driver (*.xls)};DBQ=") +
                             hdb->dir.filePath("hdb.xlsx");
    state.sqlText = tableListStatement();
    RunQueryInput input;
    input.runAsTyped = true;
    bool connected = false;
    input.connect = [&](const QString&) -> std::shared_ptr<Database> {
        connected = true;
        return {};
    };
    const RunQueryResult result = runQuery(input, state);
    QCOMPARE(int(result.outcome), int(Outcome::NotRun));
    QVERIFY(!connected);
    QCOMPARE(result.message, workbookMessage(state.connectionString));
    QVERIFY(result.message.endsWith(hdb->dir.filePath("hdb.xlsx")));
    QCOMPARE(state.excel, true);
    QVERIFY(state.connectionString.endsWith(QLatin1String(";ReadOnly=False;HDR=Yes;")));
    QCOMPARE(state.sqlText, tableListStatement());
}

void tst_RunQuery::workbookRetrievalIsRewritten() {
    QueryState state;
    state.connectionString = QStringLiteral("Driver=Excel;DBQ=/data/hdb.xlsx;HDR=Yes;");
    QString opened;
    RunQueryInput input = retrievalInput(TimeStep::DayMax, QStringLiteral("1001"));
    const QString sqlite = hdb->connectionString;
    input.connect = [&](const QString& connection) {
        opened = connection;
        return openDatabase(sqlite);
    };
    // A worksheet name reads the table of that name, so the SQLite file stands in for the
    // workbook here.
    const RunQueryResult result = runQuery(input, state);
    QCOMPARE(opened, QStringLiteral("Driver=Excel;DBQ=/data/hdb.xlsx;HDR=Yes;"));
    QVERIFY(state.sqlText.contains(QLatin1String("FROM [rdaymax$] WHERE")));
    QCOMPARE(result.statement, state.sqlText);
    QCOMPARE(state.excel, true);
    QCOMPARE(int(result.outcome), int(Outcome::Opened));
    QCOMPARE(result.recordSet->recordCount(), 31);
}

QTEST_GUILESS_MAIN(tst_RunQuery)
#include "tst_RunQuery.moc"
