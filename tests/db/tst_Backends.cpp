// The database layer on every backend: the same statements, edits and loads give the same
// results on SQLite and on PostgreSQL.

#include "BackendHdb.h"
#include "core/base/TimeStep.h"
#include "core/db/RecordSet.h"
#include "core/hdb/Browsing.h"
#include "core/hdb/HdbImport.h"
#include "core/hdb/RunQuery.h"

#include <QtTest>

using namespace rp;
using rp::test::firstColumn;

namespace {

QDateTime at(const char* iso) {
    return QDateTime::fromString(QLatin1String(iso), Qt::ISODate).toUTC();
}

} // namespace

class tst_Backends : public QObject {
    Q_OBJECT

private slots:
    void jetStatements_data();
    void jetStatements();
    void valuesKeepTheirType_data() { test::addBackendRows(); }
    void valuesKeepTheirType();
    void editsAreSaved_data() { test::addBackendRows(); }
    void editsAreSaved();
    void rowChangedBySomeoneElseIsRefused_data() { test::addBackendRows(); }
    void rowChangedBySomeoneElseIsRefused();
    void changeInAnotherColumnIsRefused_data();
    void changeInAnotherColumnIsRefused();
    void timeBeyondMillisecondsStillSaves_data() { test::addBackendRows(); }
    void timeBeyondMillisecondsStillSaves();
    void keyThatFindsSeveralRowsChangesNone_data() { test::addBackendRows(); }
    void keyThatFindsSeveralRowsChangesNone();
    void appendIsAllOrNothing_data() { test::addBackendRows(); }
    void appendIsAllOrNothing();
    void newHdbRefusesExistingOne_data() { test::addBackendRows(); }
    void newHdbRefusesExistingOne();
    void goInEveryTimeStep_data();
    void goInEveryTimeStep();
    void ownActionStatement_data() { test::addBackendRows(); }
    void ownActionStatement();
    void importCopiesEverySeries_data() { test::addBackendRows(); }
    void importCopiesEverySeries();
};

void tst_Backends::jetStatements_data() {
    test::addBackendColumn();
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("expected");
    const struct {
        const char* name;
        QString sql;
        const char* expected;
    } cases[] = {
        {"retrieval, both bounds included",
         retrievalStatement(TimeStep::Day, QStringLiteral("1001"), QStringLiteral("05-Mar-1999"),
                            QStringLiteral("07-Mar-1999")),
         "1001|1001|1001"},
        {"parameters with data",
         parameterListWithDataStatement(QStringLiteral("7"), TimeStep::Unit,
                                        QStringLiteral("05-Mar-1999"),
                                        QStringLiteral("07-Mar-1999")),
         "7"},
        {"no parameters with data outside the range",
         parameterListWithDataStatement(QStringLiteral("7"), TimeStep::Day,
                                        QStringLiteral("01-Jan-2001"),
                                        QStringLiteral("02-Jan-2001")),
         ""},
        {"site list", siteListStatement(), "7|9"},
        {"table list",
         QStringLiteral("SELECT name FROM MSysObjects WHERE type = 1 AND flags = 0 "
                        "ORDER BY name"),
         "rday|rdaymax|rdaymin|rhour|rmonth|rsite|runit|runitshift|ryear"},
        {"top n with order", QStringLiteral("SELECT TOP 2 value FROM rday ORDER BY value DESC"),
         "7.5|6.5"},
        {"& joins numbers and Null as text",
         QStringLiteral("SELECT site_id & '-' & NULL & datatype_site_id FROM rsite WHERE "
                        "datatype_site_id = 2001"),
         "9-2001"},
        {"bracketed names in any case",
         QStringLiteral("SELECT [Site_Name] FROM [RSITE] WHERE "
                        "[Datatype_Site_ID] = 2001"),
         "SMITH R"},
        {"date functions",
         QStringLiteral("SELECT Year(date_time) & '/' & Month(date_time) & '/' & "
                        "Day(date_time) & ' ' & Hour(date_time) & ':' & "
                        "Minute(date_time) FROM runit WHERE value = 5.5"),
         "1999/3/7 7:15"},
        {"DateAdd across a month end",
         QStringLiteral("SELECT DateAdd('m', 1, #31-Jan-1999#) FROM rsite WHERE site_id = 9"),
         "2/28/1999"},
        {"DateDiff counts year boundaries",
         QStringLiteral("SELECT DateDiff('yyyy', #31-Dec-1999#, #01-Jan-2000#) FROM rsite "
                        "WHERE site_id = 9"),
         "1"},
        {"Round halves to even", QStringLiteral("SELECT Round(2.5) FROM rsite WHERE site_id = 9"),
         "2"},
        {"Round to places halves to even",
         QStringLiteral("SELECT Round(0.125, 2) FROM rsite WHERE site_id = 9"), "0.12"},
        {"text functions",
         QStringLiteral("SELECT UCase(Left(site_name, 4)) & Len(site_name) & "
                        "Mid(site_name, 3, 3) FROM rsite WHERE site_id = 9"),
         "SMIT7ITH"},
        {"IIf and Nz",
         QStringLiteral("SELECT IIf(value > 2, 'high', 'low') & Nz(NULL, 'x') FROM rday WHERE "
                        "datatype_site_id = 2001"),
         "lowx"},
        {"Format of a date",
         QStringLiteral("SELECT Format(date_time, 'dd-mmm-yyyy hh:nn') FROM "
                        "rday WHERE datatype_site_id = 2001"),
         "06-Mar-1999 00:00"},
        {"Delete * from removes rows", QStringLiteral("Delete * from rday WHERE value > 5"), ""},
    };
    for (const char* backend : {"SQLite", "PostgreSQL"})
        for (const auto& c : cases)
            QTest::addRow("%s: %s", backend, c.name)
                << QString::fromLatin1(backend) << c.sql << QString::fromLatin1(c.expected);
}

void tst_Backends::jetStatements() {
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

void tst_Backends::valuesKeepTheirType() {
    RP_BACKEND_HDB(hdb);
    // Text with the characters a bulk load must escape; a time that falls in a daylight-saving
    // gap in many zones; a sum that is not exactly 0.3; a Null.
    const QString awkward = QStringLiteral("tab\there\nline \\ back 'quote' \"dq\" \u00e9");
    const QList<QVariantList> rows{{1, 2, awkward, QStringLiteral("CA"), 1, 3001,
                                    QStringLiteral("x"), QStringLiteral("u"), 4}};
    qsizetype next = 0;
    hdb.db()->appendRows(QStringLiteral("rsite"),
                         {QStringLiteral("site_id"), QStringLiteral("station_id"),
                          QStringLiteral("site_name"), QStringLiteral("state"),
                          QStringLiteral("reach_id"), QStringLiteral("datatype_site_id"),
                          QStringLiteral("datatype_name"), QStringLiteral("unit_name"),
                          QStringLiteral("datatype_id")},
                         [&](QVariantList& row) {
                             if (next == rows.size())
                                 return false;
                             row = rows[next++];
                             return true;
                         });
    const QList<QVariantList> values{{3001, at("2026-03-08T02:30:00Z"), 0.1 + 0.2, 5},
                                     {3001, at("2026-03-29T02:15:00Z"), QVariant(), QVariant()}};
    next = 0;
    hdb.db()->appendRows(QStringLiteral("runit"),
                         {QStringLiteral("datatype_site_id"), QStringLiteral("date_time"),
                          QStringLiteral("value"), QStringLiteral("source")},
                         [&](QVariantList& row) {
                             if (next == values.size())
                                 return false;
                             row = values[next++];
                             return true;
                         });
    const auto site = hdb.db()->open(
        QStringLiteral("SELECT site_name, datatype_site_id FROM rsite"), LockType::ReadOnly);
    QCOMPARE(site->value(0, 0).toString(), awkward);
    QCOMPARE(site->fieldType(1), FieldType::Integer);
    const auto set = hdb.db()->open(
        QStringLiteral("SELECT date_time, value, source FROM runit ORDER BY date_time"),
        LockType::ReadOnly);
    QCOMPARE(set->recordCount(), 2);
    QCOMPARE(set->fieldType(0), FieldType::DateTime);
    QCOMPARE(set->value(0, 0).toDateTime(), at("2026-03-08T02:30:00Z"));
    QCOMPARE(set->value(1, 0).toDateTime(), at("2026-03-29T02:15:00Z"));
    QCOMPARE(set->value(0, 1).toDouble(), 0.1 + 0.2);
    QCOMPARE(set->displayText(0, 1), QStringLiteral("0.3"));
    QVERIFY(set->isNull(1, 1));
    QVERIFY(set->isNull(1, 2));
    QCOMPARE(set->value(0, 2).toLongLong(), 5);
}

void tst_Backends::editsAreSaved() {
    RP_BACKEND_HDB(hdb);
    hdb.fillSmall();
    const QString sql =
        retrievalStatement(TimeStep::Day, QStringLiteral("1001"), QStringLiteral("05-Mar-1999"),
                           QStringLiteral("07-Mar-1999"));
    {
        const auto set = hdb.db()->open(sql, LockType::Optimistic);
        QVERIFY(set->isUpdatable());
        set->moveFirst();
        set->setValue(set->fieldIndex(QStringLiteral("value")), 10.25);
        set->update();
        set->moveLast();
        set->deleteCurrent();
        set->addNew();
        set->setValue(0, 1001);
        set->setValue(1, at("1999-03-06T06:00:00Z"));
        set->setValue(2, 99.0);
        set->update();
    }
    QCOMPARE(firstColumn(*hdb.db(), QStringLiteral("SELECT value FROM rday WHERE "
                                                   "datatype_site_id = 1001 AND date_time "
                                                   "BETWEEN #05-Mar-1999# AND #07-Mar-1999# "
                                                   "ORDER BY date_time")),
             QStringLiteral("10.25|99|3.5"));
}

void tst_Backends::rowChangedBySomeoneElseIsRefused() {
    RP_BACKEND_HDB(hdb);
    hdb.fillSmall();
    const QString sql = QStringLiteral("SELECT * FROM rday WHERE datatype_site_id = 2001");
    const auto other = hdb.openAnother();
    const auto mine = hdb.db()->open(sql, LockType::Optimistic);
    const auto theirs = other->open(sql, LockType::Optimistic);
    const int value = mine->fieldIndex(QStringLiteral("value"));

    theirs->setValue(value, 1.0);
    theirs->update();
    mine->setValue(value, 2.0);
    try {
        mine->update();
        QFAIL("the second save overwrote the first");
    } catch (const Error& e) {
        QVERIFY2(e.message().contains(QLatin1String("changed")), qPrintable(e.message()));
    }
    QCOMPARE(
        firstColumn(*hdb.db(), QString(sql).replace(QLatin1String("*"), QLatin1String("value"))),
        QStringLiteral("1"));
    // Read again, the row takes the edit.
    const auto again = hdb.db()->open(QStringLiteral("SELECT * FROM rday WHERE datatype_site_id "
                                                     "= 2001"),
                                      LockType::Optimistic);
    again->setValue(value, 2.0);
    again->update();
    QCOMPARE(firstColumn(*other, QStringLiteral("SELECT value FROM rday WHERE datatype_site_id = "
                                                "2001")),
             QStringLiteral("2"));
}

void tst_Backends::changeInAnotherColumnIsRefused_data() {
    test::addBackendColumn();
    QTest::addColumn<QString>("theirs"); // the column another connection changes
    QTest::addColumn<bool>("remove");    // delete the row rather than edit its value
    for (const char* backend : {"SQLite", "PostgreSQL"}) {
        QTest::addRow("%s, edit after source changed", backend) << backend << "source" << false;
        QTest::addRow("%s, delete after value changed", backend) << backend << "value" << true;
        QTest::addRow("%s, delete after source changed", backend) << backend << "source" << true;
    }
}

void tst_Backends::changeInAnotherColumnIsRefused() {
    RP_BACKEND_HDB(hdb);
    QFETCH(QString, theirs);
    QFETCH(bool, remove);
    hdb.fillSmall();
    const QString sql = QStringLiteral("SELECT * FROM rday WHERE datatype_site_id = 2001");
    const auto mine = hdb.db()->open(sql, LockType::Optimistic);
    hdb.openAnother()->execute(
        QStringLiteral("UPDATE rday SET %1 = 77 WHERE datatype_site_id = 2001").arg(theirs));
    try {
        if (remove) {
            mine->deleteCurrent();
        } else {
            mine->setValue(mine->fieldIndex(QStringLiteral("value")), 2.0);
            mine->update();
        }
        QFAIL("a row changed by someone else was saved over");
    } catch (const Error& e) {
        QVERIFY2(e.message().contains(QLatin1String("changed")), qPrintable(e.message()));
    }
    // Their change stands, alone.
    const auto column = [&](const char* name) {
        return firstColumn(*hdb.db(),
                           QStringLiteral("SELECT %1 FROM rday WHERE datatype_site_id = 2001")
                               .arg(QLatin1String(name)));
    };
    const bool value = theirs == QLatin1String("value");
    QCOMPARE(column("value"), value ? QStringLiteral("77") : QStringLiteral("0.25"));
    QCOMPARE(column("source"), value ? QStringLiteral("1") : QStringLiteral("77"));
}

void tst_Backends::timeBeyondMillisecondsStillSaves() {
    RP_BACKEND_HDB(hdb);
    hdb.fillSmall();
    // Times stored with microseconds are read to the millisecond; the row is still found.
    hdb.db()->executeNative(QStringLiteral("INSERT INTO rday VALUES (1002, '1999-03-10 "
                                           "12:00:00.123456', 4.5, 1), (1002, '1999-03-11 "
                                           "12:00:00.000789', 5.5, 1)"));
    const auto set = hdb.db()->open(
        QStringLiteral("SELECT * FROM rday WHERE datatype_site_id = 1002 ORDER BY date_time"),
        LockType::Optimistic);
    QCOMPARE(set->recordCount(), 2);
    set->moveFirst();
    set->setValue(set->fieldIndex(QStringLiteral("value")), 9.75);
    set->update();
    set->moveLast();
    set->deleteCurrent();
    QCOMPARE(firstColumn(*hdb.db(),
                         QStringLiteral("SELECT value FROM rday WHERE datatype_site_id = 1002")),
             QStringLiteral("9.75"));
}

void tst_Backends::keyThatFindsSeveralRowsChangesNone() {
    RP_BACKEND_HDB(hdb);
    hdb.fillSmall();
    // Parameter 1001 has seven rows in rday: a key of the parameter alone finds them all, and
    // neither a change nor a delete may touch any of them.
    Database& db = *hdb.db();
    const QString values = QStringLiteral("SELECT Sum(value) FROM rday");
    const QString before = firstColumn(db, values);
    const auto refusal = [&](const std::function<void()>& change) {
        try {
            change();
            return QString();
        } catch (const Error& e) {
            return e.message();
        }
    };
    const QString updated = refusal([&] {
        db.updateRow(QStringLiteral("rday"), {QStringLiteral("datatype_site_id")}, {1001},
                     {QStringLiteral("value")}, {0.0});
    });
    QVERIFY2(updated.startsWith(QLatin1String("7 records")), qPrintable(updated));
    const QString deleted = refusal([&] {
        db.deleteRow(QStringLiteral("rday"), {QStringLiteral("datatype_site_id")}, {1001});
    });
    QVERIFY2(deleted.startsWith(QLatin1String("7 records")), qPrintable(deleted));
    QCOMPARE(firstColumn(db, values), before);
    QCOMPARE(firstColumn(db, QStringLiteral("SELECT Count(*) FROM rday")), QStringLiteral("8"));
}

void tst_Backends::appendIsAllOrNothing() {
    RP_BACKEND_HDB(hdb);
    hdb.fillSmall();
    int n = 0;
    QVERIFY_THROWS_EXCEPTION(
        Error, hdb.db()->appendRows(QStringLiteral("rmonth"),
                                    {QStringLiteral("datatype_site_id"),
                                     QStringLiteral("date_time"), QStringLiteral("value")},
                                    [&](QVariantList& row) {
                                        ++n;
                                        row << 1002 << at("2000-01-01T00:00:00Z").addMonths(n) << n;
                                        // The fourth row repeats a key.
                                        if (n == 4)
                                            row[1] = at("2000-02-01T00:00:00Z");
                                        return n <= 5;
                                    }));
    QCOMPARE(
        firstColumn(*hdb.db(),
                    QStringLiteral("SELECT count(*) FROM rmonth WHERE datatype_site_id = 1002")),
        QStringLiteral("0"));
    // The connection stays usable.
    QCOMPARE(hdb.db()->execute(QStringLiteral("UPDATE rmonth SET source = 2 WHERE "
                                              "datatype_site_id = 2001")),
             1);
}

void tst_Backends::newHdbRefusesExistingOne() {
    RP_BACKEND_HDB(hdb);
    QVERIFY_THROWS_EXCEPTION(Error, createHdb(hdb.connection()));
    // The refused attempt left the HDB as it was.
    QCOMPARE(hdb.db()->tables().size(), 9);
}

void tst_Backends::goInEveryTimeStep_data() {
    test::addBackendColumn();
    QTest::addColumn<TimeStep>("step");
    QTest::addColumn<qsizetype>("rows");
    QTest::addColumn<int>("stepCount");
    // 05-Mar-1999 to 07-Mar-1999; sub-daily steps and DayMax/DayMin reach to 08-Mar 00:00.
    const struct {
        TimeStep step;
        qsizetype rows;
        int stepCount;
    } cases[] = {{TimeStep::Year, 3, 1},   {TimeStep::Month, 3, 1},     {TimeStep::Day, 3, 1},
                 {TimeStep::Hour, 5, 1},   {TimeStep::Unit, 5, 15},     {TimeStep::DayMax, 5, 1},
                 {TimeStep::DayMin, 5, 1}, {TimeStep::UnitShift, 5, 15}};
    for (const char* backend : {"SQLite", "PostgreSQL"})
        for (const auto& c : cases)
            QTest::addRow("%s: %s", backend, timeStepInfo(c.step).table)
                << QString::fromLatin1(backend) << c.step << c.rows << c.stepCount;
}

void tst_Backends::goInEveryTimeStep() {
    RP_BACKEND_HDB(hdb);
    QFETCH(TimeStep, step);
    QFETCH(qsizetype, rows);
    QFETCH(int, stepCount);
    hdb.fillSmall();
    RunQueryInput input;
    input.allowEdit = true;
    input.seriesKey = QStringLiteral("1001");
    input.startDate = QStringLiteral("05-Mar-1999");
    input.endDate = QStringLiteral("07-Mar-1999");
    input.step = step;
    QueryState state;
    state.connectionString = hdb.connection();
    const RunQueryResult result = runQuery(input, state);
    QVERIFY2(result.outcome == RunQueryResult::Outcome::Opened, qPrintable(result.message));
    QCOMPARE(result.recordSet->recordCount(), rows);
    QCOMPARE(state.stepCount, stepCount);
    QVERIFY(result.recordSet->isUpdatable());
    QCOMPARE(result.recordSet->fieldType(1), FieldType::DateTime);
}

void tst_Backends::ownActionStatement() {
    RP_BACKEND_HDB(hdb);
    hdb.fillSmall();
    RunQueryInput input;
    input.ownSql = true;
    QueryState state;
    state.connectionString = hdb.connection();
    state.sqlText = QStringLiteral("DELETE FROM rday WHERE value=2.5 OR site_name='x'");
    // The statement runs in capitals; an unknown column is the server's error, not "FINISHED".
    RunQueryResult result = runQuery(input, state);
    QVERIFY2(!result.message.startsWith(QLatin1String("FINISHED: ")), qPrintable(result.message));
    state.sqlText = QStringLiteral("DELETE FROM rday WHERE value=2.5");
    result = runQuery(input, state);
    QCOMPARE(result.message, QStringLiteral("FINISHED: DELETE FROM RDAY WHERE VALUE=2.5"));
    QCOMPARE(firstColumn(*hdb.db(), QStringLiteral("SELECT count(*) FROM rday")),
             QStringLiteral("7"));
}

void tst_Backends::importCopiesEverySeries() {
    RP_BACKEND_HDB(hdb);
    hdb.fillSmall();
    const QString target = hdb.siblingConnection(QStringLiteral("copy"));
    QStringList progress;
    const qint64 copied =
        importHdb(hdb.connection(), target, [&](const QString& table, qint64 rows) {
            progress.append(table + QLatin1Char(':') + QString::number(rows));
        });
    QCOMPARE(copied, 3 + 8 * 8);
    QVERIFY(progress.contains(QStringLiteral("rsite:3")));
    QVERIFY(progress.contains(QStringLiteral("runitshift:8")));
    const auto copy = openDatabase(target);
    const QString sql =
        QStringLiteral("SELECT datatype_site_id & ' ' & date_time & ' ' & value & ' "
                       "' & source FROM rhour ORDER BY datatype_site_id, date_time");
    QCOMPARE(firstColumn(*copy, sql), firstColumn(*hdb.db(), sql));
    // Into an HDB that exists already: refused, and nothing is added.
    QVERIFY_THROWS_EXCEPTION(Error, importHdb(hdb.connection(), target));
    QCOMPARE(firstColumn(*copy, QStringLiteral("SELECT count(*) FROM rsite")), QStringLiteral("3"));
}

QTEST_GUILESS_MAIN(tst_Backends)
#include "tst_Backends.moc"
