#include "SmallHdb.h"

#include "core/base/Error.h"
#include "core/base/JetDate.h"
#include "core/base/ValueText.h"
#include "core/db/Database.h"
#include "core/db/RecordColumn.h"
#include "core/db/RecordSetBuilder.h"

#include <QTest>

#include <cmath>
#include <random>

using namespace rp;

namespace {

// Records what the set asks of its database and refuses on demand.
class FakeDatabase : public Database {
public:
    struct Call {
        QString kind, table;
        QStringList keyColumns;
        QVariantList keyValues;
        QStringList columns;
        QVariantList values;
    };
    QList<Call> calls;
    bool refuse = false;

    QString backendName() const override { return QStringLiteral("fake"); }
    const SqlDialect& dialect() const override { throw Error(QStringLiteral("no dialect")); }
    QString location() const override { return QStringLiteral("memory"); }
    std::unique_ptr<RecordSet> open(const QString&, LockType) override { return nullptr; }
    qint64 execute(const QString&) override { return 0; }
    void executeNative(const QString&) override {}
    QStringList tables() override { return {}; }
    void beginTransaction() override {}
    void commit() override {}
    void rollback() override {}
    void insertRow(const QString& t, const QStringList& c, const QVariantList& v) override {
        record({QStringLiteral("insert"), t, {}, {}, c, v});
    }
    void updateRow(const QString& t, const QStringList& kc, const QVariantList& kv,
                   const QStringList& c, const QVariantList& v) override {
        record({QStringLiteral("update"), t, kc, kv, c, v});
    }
    void deleteRow(const QString& t, const QStringList& kc, const QVariantList& kv) override {
        record({QStringLiteral("delete"), t, kc, kv, {}, {}});
    }
    qint64 appendRows(const QString&, const QStringList&,
                      const std::function<bool(QVariantList&)>&) override {
        return 0;
    }

private:
    void record(const Call& call) {
        if (refuse)
            throw Error(QStringLiteral("refused by the database"));
        calls.append(call);
    }
};

QDateTime at(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
    return naiveDateTime(QDate(y, mo, d), QTime(h, mi, s));
}

// A value-table set: datatype_site_id, date_time, value, source; one day per row from 1 March.
std::unique_ptr<RecordSet> seriesSet(int rows, std::shared_ptr<Database> db,
                                     LockType lock = LockType::Optimistic,
                                     const QString& table = QStringLiteral("rday")) {
    RecordSet::Builder b;
    b.addField(QStringLiteral("datatype_site_id"), FieldType::Integer);
    b.addField(QStringLiteral("date_time"), FieldType::DateTime);
    b.addField(QStringLiteral("value"), FieldType::Real);
    b.addField(QStringLiteral("source"), FieldType::Integer);
    for (int i = 0; i < rows; ++i) {
        b.appendInteger(0, 1001);
        b.appendDateTime(1, at(1999, 3, 1 + i).toMSecsSinceEpoch());
        b.appendReal(2, 10.5 + i);
        b.appendInteger(3, 1);
    }
    b.setLockType(lock);
    b.setBaseTable(table);
    b.setDatabase(std::move(db));
    return b.build();
}

} // namespace

class TestRecordSet : public QObject {
    Q_OBJECT
private slots:
    void cursorWalksBothWays() {
        auto rs = seriesSet(3, nullptr, LockType::ReadOnly);
        QCOMPARE(rs->recordCount(), 3);
        QVERIFY(!rs->bof() && !rs->eof());
        QCOMPARE(rs->absolutePosition(), 1);
        rs->movePrevious();
        QVERIFY(rs->bof());
        QCOMPARE(rs->absolutePosition(), 0);
        QVERIFY_THROWS_EXCEPTION(Error, rs->value(0));
        rs->moveLast();
        QCOMPARE(rs->absolutePosition(), 3);
        QCOMPARE(rs->value(1).toDateTime(), at(1999, 3, 3));
        rs->moveNext();
        QVERIFY(rs->eof());
        rs->moveNext(); // stays at EOF
        QVERIFY(rs->eof());
        QCOMPARE(rs->currentRow(), -1);
        rs->setAbsolutePosition(2);
        QCOMPARE(rs->value(2).toDouble(), 11.5);
        QVERIFY_THROWS_EXCEPTION(Error, rs->setAbsolutePosition(4));
        QVERIFY_THROWS_EXCEPTION(Error, rs->setAbsolutePosition(0));
        QCOMPARE(rs->absolutePosition(), 2);
    }

    void emptySetIsBothBofAndEof() {
        auto rs = seriesSet(0, nullptr, LockType::ReadOnly);
        QVERIFY(rs->bof() && rs->eof());
        rs->moveFirst();
        rs->moveLast();
        QVERIFY(rs->bof() && rs->eof());
        QCOMPARE(rs->absolutePosition(), 0);
        QVERIFY_THROWS_EXCEPTION(Error, rs->bookmark());
        QCOMPARE(rs->fieldCount(), 4);
        QCOMPARE(rs->fieldIndex(QStringLiteral("DATE_TIME")), 1);
        QCOMPARE(rs->fieldIndex(QStringLiteral("nope")), -1);
    }

    void bookmarksSurviveDeletesOfOtherRows() {
        auto db = std::make_shared<FakeDatabase>();
        auto rs = seriesSet(4, db);
        QCOMPARE(rs->bookmark(), 1); // the first record's bookmark is 1
        const Bookmark third = rs->bookmarkAt(2);
        const Bookmark second = rs->bookmarkAt(1);
        rs->setAbsolutePosition(2);
        rs->deleteCurrent();
        QCOMPARE(rs->recordCount(), 3);
        QCOMPARE(rs->absolutePosition(), 2); // the next record became current
        QCOMPARE(rs->bookmark(), third);
        QCOMPARE(rs->rowOfBookmark(third), 1);
        QCOMPARE(rs->rowOfBookmark(second), -1);
        QVERIFY_THROWS_EXCEPTION(Error, rs->setBookmark(second));
        rs->moveFirst();
        rs->setBookmark(third);
        QCOMPARE(rs->value(1).toDateTime(), at(1999, 3, 3));
        QCOMPARE(rs->rowOfBookmark(0), -1);
        QCOMPARE(rs->rowOfBookmark(99), -1);
    }

    void displayText_data() {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("half") << QVariant(12.5) << "12.5";
        QTest::newRow("below one") << QVariant(0.5) << "0.5";
        QTest::newRow("whole real") << QVariant(1234567.0) << "1234567";
        QTest::newRow("binary noise") << QVariant(0.1 + 0.2) << "0.3";
        QTest::newRow("negative zero") << QVariant(-0.0) << "0";
        QTest::newRow("negative") << QVariant(-3.25) << "-3.25";
        QTest::newRow("fifteen digits") << QVariant(123456789.123456) << "123456789.123456";
        QTest::newRow("rounded at fifteen") << QVariant(2.0 / 3.0) << "0.666666666666667";
        QTest::newRow("large integer exact")
            << QVariant(qlonglong(9007199254740993LL)) << "9007199254740993";
        QTest::newRow("huge real") << QVariant(1e15) << "1E+15";
        QTest::newRow("tiny real") << QVariant(0.00001) << "1E-05";
        QTest::newRow("small real") << QVariant(0.0001) << "0.0001";
        QTest::newRow("fifteen whole digits") << QVariant(123456789012345.0) << "123456789012345";
        QTest::newRow("fourteen zeros") << QVariant(1e14) << "100000000000000";
        QTest::newRow("half at the sixteenth digit")
            << QVariant(771910932402648.5) << "771910932402649";
        QTest::newRow("negative exponent") << QVariant(-3.5e-7) << "-3.5E-07";
        QTest::newRow("subnormal") << QVariant(5e-324) << "4.94065645841247E-324";
        QTest::newRow("three-digit exponent") << QVariant(1e100) << "1E+100";
        QTest::newRow("date at midnight") << QVariant(at(1999, 3, 5)) << "3/5/1999";
        QTest::newRow("morning") << QVariant(at(1999, 3, 5, 7, 15)) << "3/5/1999 7:15:00 AM";
        QTest::newRow("afternoon")
            << QVariant(at(2010, 12, 31, 13, 5, 9)) << "12/31/2010 1:05:09 PM";
        QTest::newRow("just after midnight")
            << QVariant(at(2010, 1, 2, 0, 15)) << "1/2/2010 12:15:00 AM";
        QTest::newRow("noon") << QVariant(at(2010, 1, 2, 12, 0)) << "1/2/2010 12:00:00 PM";
        QTest::newRow("null") << QVariant() << "";
        QTest::newRow("text") << QVariant(QStringLiteral(" Kern River ")) << " Kern River ";
    }
    // The quick conversion agrees with the full 15-digit one across magnitudes.
    void numberTextMatchesFullConversion() {
        std::mt19937_64 random(7);
        std::uniform_real_distribution<double> mantissa(-1, 1);
        std::uniform_int_distribution<int> exponent(-30, 30);
        for (int i = 0; i < 200000; ++i) {
            const double m = mantissa(random);
            for (const double v : {m * std::pow(10.0, exponent(random)), std::round(m * 1e6) / 100,
                                   std::round(m * 1e17) + 1}) {
                QString full = QString::number(v, 'g', 15).replace(QLatin1Char('e'), 'E');
                if (v == 0)
                    full = QStringLiteral("0");
                QByteArray appended("x");
                appendNumberText(appended, v);
                if (numberText(v) != full || appended != "x" + full.toLatin1())
                    QFAIL(qPrintable(QStringLiteral("%1: %2, not %3")
                                         .arg(QString::number(v, 'g', 17), numberText(v), full)));
            }
        }
    }

    void displayText() {
        QFETCH(QVariant, value);
        QFETCH(QString, expected);
        QCOMPARE(valueText(value), expected);
        RecordSet::Builder b;
        b.addField(QStringLiteral("x"));
        b.appendValue(0, value);
        auto rs = b.build();
        QCOMPARE(rs->displayText(0, 0), expected);
        QCOMPARE(rs->isNull(0, 0), !value.isValid());
    }

    void editSavedByKeyOfValueTable() {
        auto db = std::make_shared<FakeDatabase>();
        auto rs = seriesSet(3, db);
        QVERIFY(rs->isUpdatable());
        rs->setAbsolutePosition(2);
        rs->setValue(2, QStringLiteral("99.5"));
        rs->setValue(1, QStringLiteral("3/20/1999 7:15:00 AM"));
        QCOMPARE(rs->editMode(), EditMode::InProgress);
        QCOMPARE(rs->value(1, 2).toDouble(), 99.5); // pending value shows
        QCOMPARE(rs->displayText(1, 1), QStringLiteral("3/20/1999 7:15:00 AM"));
        QVERIFY(db->calls.isEmpty());
        rs->update();
        QCOMPARE(db->calls.size(), 1);
        const auto& call = db->calls.first();
        QCOMPARE(call.kind, QStringLiteral("update"));
        QCOMPARE(call.table, QStringLiteral("rday"));
        // The key holds the original values, not the new date; every column must still be what
        // was read, or someone else changed the row meanwhile.
        QCOMPARE(call.keyColumns,
                 QStringList({"datatype_site_id", "date_time", "value", "source"}));
        QCOMPARE(call.keyValues,
                 QVariantList({qlonglong(1001), at(1999, 3, 2), 11.5, qlonglong(1)}));
        QCOMPARE(call.columns, QStringList({"date_time", "value"}));
        QCOMPARE(call.values, QVariantList({at(1999, 3, 20, 7, 15), 99.5}));
        QCOMPARE(rs->editMode(), EditMode::None);
        // Saved values are the record's own: the next save keys on them.
        rs->setValue(3, 7);
        rs->moveFirst(); // moving off saves
        QCOMPARE(rs->absolutePosition(), 1);
        QCOMPARE(db->calls.size(), 2);
        QCOMPARE(db->calls[1].keyValues,
                 QVariantList({qlonglong(1001), at(1999, 3, 20, 7, 15), 99.5, qlonglong(1)}));
        QCOMPARE(db->calls[1].values, QVariantList({qlonglong(7)}));
    }

    void otherTablesKeyOnAllOriginalValues() {
        auto db = std::make_shared<FakeDatabase>();
        RecordSet::Builder b;
        b.addField(QStringLiteral("site_id"), FieldType::Integer);
        b.addField(QStringLiteral("site_name"), FieldType::Text);
        b.addField(QStringLiteral("state"), FieldType::Text);
        b.appendInteger(0, 7);
        b.appendText(1, QStringLiteral("KERN R"));
        b.appendNull(2);
        b.setLockType(LockType::Optimistic);
        b.setBaseTable(QStringLiteral("rsite"));
        b.setDatabase(db);
        auto rs = b.build();
        rs->setValue(1, QStringLiteral("Kern River"));
        rs->update();
        QCOMPARE(db->calls.size(), 1);
        QCOMPARE(db->calls[0].keyColumns, QStringList({"site_id", "site_name", "state"}));
        QCOMPARE(db->calls[0].keyValues,
                 QVariantList({qlonglong(7), QStringLiteral("KERN R"), QVariant()}));
        QCOMPARE(rs->value(0, 1).toString(), QStringLiteral("Kern River"));
    }

    void addedRecordIsInsertedWithTheValuesSet() {
        auto db = std::make_shared<FakeDatabase>();
        auto rs = seriesSet(2, db);
        rs->addNew();
        QCOMPARE(rs->editMode(), EditMode::Add);
        QCOMPARE(rs->recordCount(), 3);
        QCOMPARE(rs->absolutePosition(), 3);
        rs->setValue(0, QStringLiteral("1001"));
        rs->setValue(1, QStringLiteral("3/3/1999"));
        rs->setValue(2, QStringLiteral("4"));
        rs->update();
        QCOMPARE(db->calls.size(), 1);
        QCOMPARE(db->calls[0].kind, QStringLiteral("insert"));
        QCOMPARE(db->calls[0].columns, QStringList({"datatype_site_id", "date_time", "value"}));
        QCOMPARE(db->calls[0].values, QVariantList({qlonglong(1001), at(1999, 3, 3), 4.0}));
        QCOMPARE(rs->editMode(), EditMode::None);
        QCOMPARE(rs->recordCount(), 3);
        QCOMPARE(rs->bookmarkAt(2), 3);
        QVERIFY(rs->isNull(2, 3));
    }

    void cancelPaths() {
        auto db = std::make_shared<FakeDatabase>();
        auto rs = seriesSet(3, db);
        rs->setAbsolutePosition(2);
        rs->setValue(2, 1.0);
        rs->cancelUpdate();
        QCOMPARE(rs->editMode(), EditMode::None);
        QCOMPARE(rs->value(2).toDouble(), 11.5);

        rs->addNew();
        rs->setValue(2, 5.0);
        rs->cancelBatch();
        QCOMPARE(rs->recordCount(), 3);
        QCOMPARE(rs->absolutePosition(), 2); // back where it was before the add

        // An added record without values has nothing to save: moving off drops it.
        rs->addNew();
        rs->moveNext();
        QCOMPARE(rs->recordCount(), 3);
        QVERIFY(rs->eof());
        rs->addNew();
        rs->movePrevious();
        QCOMPARE(rs->absolutePosition(), 3);
        // Deleting a record being added discards it; nothing reaches the database.
        rs->addNew();
        rs->setValue(3, 5);
        rs->deleteCurrent();
        QCOMPARE(rs->recordCount(), 3);
        QCOMPARE(rs->editMode(), EditMode::None);
        rs->cancelUpdate(); // nothing pending: no effect
        QVERIFY(db->calls.isEmpty());
    }

    void refusedEditsLeaveTheSetAsItWas() {
        auto db = std::make_shared<FakeDatabase>();
        auto rs = seriesSet(3, db);
        db->refuse = true;

        rs->setValue(2, 42.0);
        QVERIFY_THROWS_EXCEPTION(Error, rs->update());
        QCOMPARE(rs->editMode(), EditMode::InProgress);
        QVERIFY_THROWS_EXCEPTION(Error, rs->moveNext());
        QCOMPARE(rs->absolutePosition(), 1);
        QCOMPARE(rs->value(2).toDouble(), 42.0);
        rs->cancelUpdate();
        QCOMPARE(rs->value(2).toDouble(), 10.5);

        rs->setAbsolutePosition(3);
        QVERIFY_THROWS_EXCEPTION(Error, rs->deleteCurrent());
        QCOMPARE(rs->recordCount(), 3);
        QCOMPARE(rs->absolutePosition(), 3);

        rs->addNew();
        rs->setValue(0, 1001);
        QVERIFY_THROWS_EXCEPTION(Error, rs->update());
        QCOMPARE(rs->editMode(), EditMode::Add);
        QCOMPARE(rs->recordCount(), 4);
        QVERIFY_THROWS_EXCEPTION(Error, rs->addNew()); // cannot save the pending one first
        QCOMPARE(rs->recordCount(), 4);
        rs->cancelUpdate();
        QCOMPARE(rs->recordCount(), 3);
        QCOMPARE(rs->absolutePosition(), 3);
        QVERIFY(db->calls.isEmpty());
    }

    void valuesAreConvertedToTheFieldType_data() {
        QTest::addColumn<int>("field");
        QTest::addColumn<QVariant>("input");
        QTest::addColumn<QVariant>("stored");
        QTest::newRow("text to real") << 2 << QVariant(QStringLiteral(" 12.5 ")) << QVariant(12.5);
        QTest::newRow("whole text to real") << 2 << QVariant(QStringLiteral("3")) << QVariant(3.0);
        QTest::newRow("blank to null") << 2 << QVariant(QStringLiteral("  ")) << QVariant();
        QTest::newRow("integer text")
            << 3 << QVariant(QStringLiteral("34")) << QVariant(qlonglong(34));
        QTest::newRow("fraction in integer field")
            << 3 << QVariant(QStringLiteral("2.5")) << QVariant(2.5);
        QTest::newRow("grid date") << 1 << QVariant(QStringLiteral("3/5/1999 7:15:00 AM"))
                                   << QVariant(at(1999, 3, 5, 7, 15));
        QTest::newRow("jet date") << 1 << QVariant(QStringLiteral("05-Mar-1999"))
                                  << QVariant(at(1999, 3, 5));
        QTest::newRow("iso date") << 1 << QVariant(QStringLiteral("1999-03-05 13:45:00"))
                                  << QVariant(at(1999, 3, 5, 13, 45));
        QTest::newRow("real to integer field") << 3 << QVariant(5.0) << QVariant(qlonglong(5));
    }
    void valuesAreConvertedToTheFieldType() {
        QFETCH(int, field);
        QFETCH(QVariant, input);
        QFETCH(QVariant, stored);
        auto db = std::make_shared<FakeDatabase>();
        auto rs = seriesSet(1, db);
        rs->setValue(field, input);
        rs->update();
        QCOMPARE(db->calls.size(), 1);
        QCOMPARE(db->calls[0].values.first(), stored);
        QCOMPARE(rs->value(0, field), stored);
    }

    void unfitValuesAreRefused_data() {
        QTest::addColumn<int>("field");
        QTest::addColumn<QVariant>("input");
        QTest::newRow("word in real") << 2 << QVariant(QStringLiteral("abc"));
        QTest::newRow("word in integer") << 0 << QVariant(QStringLiteral("12abc"));
        QTest::newRow("not a calendar date") << 1 << QVariant(QStringLiteral("31-Feb-2012"));
        QTest::newRow("number as date") << 1 << QVariant(5);
    }
    void unfitValuesAreRefused() {
        QFETCH(int, field);
        QFETCH(QVariant, input);
        auto db = std::make_shared<FakeDatabase>();
        auto rs = seriesSet(1, db);
        try {
            rs->setValue(field, input);
            QFAIL("no error");
        } catch (const Error& e) {
            QVERIFY2(e.message().contains(rs->fieldName(field)), qPrintable(e.message()));
        }
        QCOMPARE(rs->editMode(), EditMode::None);
        rs->moveNext();
        QVERIFY(db->calls.isEmpty());
    }

    void readOnlyAndTablelessSetsRefuseEdits_data() {
        QTest::addColumn<int>("lock");
        QTest::addColumn<QString>("table");
        QTest::addColumn<bool>("withDatabase");
        QTest::addColumn<QString>("message");
        QTest::newRow("read-only") << int(LockType::ReadOnly) << "rday" << true << "read-only";
        QTest::newRow("no table") << int(LockType::Optimistic) << "" << true << "one table";
        QTest::newRow("no database") << int(LockType::Optimistic) << "rday" << false << "database";
    }
    void readOnlyAndTablelessSetsRefuseEdits() {
        QFETCH(int, lock);
        QFETCH(QString, table);
        QFETCH(bool, withDatabase);
        QFETCH(QString, message);
        auto db = std::make_shared<FakeDatabase>();
        auto rs = seriesSet(2, withDatabase ? db : nullptr, LockType(lock), table);
        QVERIFY(!rs->isUpdatable());
        const std::function<void()> edits[] = {[&] { rs->setValue(2, 1.0); }, [&] { rs->addNew(); },
                                               [&] { rs->deleteCurrent(); }};
        for (const auto& edit : edits) {
            try {
                edit();
                QFAIL("no error");
            } catch (const Error& e) {
                QVERIFY2(e.message().contains(message), qPrintable(e.message()));
            }
        }
        rs->update();
        rs->cancelBatch();
        QCOMPARE(rs->recordCount(), 2);
        QCOMPARE(rs->editMode(), EditMode::None);
        QCOMPARE(rs->value(0, 2).toDouble(), 10.5);
        QVERIFY(db->calls.isEmpty());
    }

    void deletingTheLastRecordMakesTheNewLastCurrent() {
        auto db = std::make_shared<FakeDatabase>();
        auto rs = seriesSet(2, db);
        rs->moveLast();
        rs->deleteCurrent();
        QCOMPARE(rs->absolutePosition(), 1);
        QCOMPARE(db->calls[0].keyValues,
                 QVariantList({qlonglong(1001), at(1999, 3, 2), 11.5, qlonglong(1)}));
        rs->deleteCurrent();
        QVERIFY(rs->bof() && rs->eof());
        QVERIFY_THROWS_EXCEPTION(Error, rs->deleteCurrent());
        // Adding to a set whose rows were deleted still works by bookmark.
        rs->addNew();
        rs->setValue(2, 1.0);
        rs->update();
        QCOMPARE(rs->recordCount(), 1);
        QCOMPARE(rs->rowOfBookmark(rs->bookmark()), 0);
    }

    void editsReachTheDatabaseByKey() {
        rp::test::SmallHdb hdb;
        auto db = openDatabase(hdb.connection());
        auto other = openDatabase(hdb.connection());
        auto rs = db->open(QStringLiteral("SELECT * FROM rday WHERE datatype_site_id=1001 ORDER "
                                          "BY date_time;"),
                           LockType::Optimistic);
        QVERIFY(rs->isUpdatable());
        QCOMPARE(rs->baseTable(), QStringLiteral("rday"));
        rs->setValue(2, QStringLiteral("9.75"));
        rs->moveNext(); // saves
        using rp::test::scalar;
        QCOMPARE(scalar(*other, QStringLiteral("SELECT value FROM rday WHERE datatype_site_id=1001 "
                                               "AND date_time='1999-03-04 23:00:00'")),
                 QStringLiteral("9.75"));
        rs->deleteCurrent(); // 1999-03-05
        QCOMPARE(scalar(*other, QStringLiteral("SELECT count(*) FROM rday WHERE "
                                               "date_time='1999-03-05 00:00:00'")),
                 QStringLiteral("0"));
        QCOMPARE(rs->value(1).toDateTime(), at(1999, 3, 6, 12));
        rs->addNew();
        rs->setValue(0, QStringLiteral("1001"));
        rs->setValue(1, QStringLiteral("3/9/1999 7:15:00 AM"));
        rs->setValue(2, QStringLiteral("4"));
        rs->setValue(3, QStringLiteral("5"));
        rs->moveFirst();
        QCOMPARE(scalar(*other, QStringLiteral("SELECT value || '/' || source FROM rday WHERE "
                                               "date_time='1999-03-09 07:15:00'")),
                 QStringLiteral("4.0/5"));
        // The record set's own rows keep working after the changes.
        QCOMPARE(rs->recordCount(), 7);
        rs->moveLast();
        rs->setValue(2, 4.5);
        rs->update();
        QCOMPARE(scalar(*other, QStringLiteral("SELECT value FROM rday WHERE "
                                               "date_time='1999-03-09 07:15:00'")),
                 QStringLiteral("4.5"));
    }

    void shortDateTextsAndNullsStillMatch() {
        rp::test::SmallHdb hdb;
        auto db = hdb.db();
        db->executeNative(QStringLiteral("INSERT INTO rmonth VALUES (5, '1999-04-01', 1, 1);"
                                         "INSERT INTO rsite VALUES (11, NULL, 'X', NULL, NULL, "
                                         "3001, 'flow', 'cfs', 19)"));
        auto month = db->open(QStringLiteral("SELECT * FROM rmonth WHERE datatype_site_id=5"),
                              LockType::Optimistic);
        month->setValue(2, 2.0);
        month->update();
        QCOMPARE(rp::test::scalar(*db, QStringLiteral("SELECT value FROM rmonth WHERE "
                                                      "datatype_site_id=5")),
                 QStringLiteral("2"));
        auto site =
            db->open(QStringLiteral("SELECT * FROM rsite WHERE site_id=11 order by site_id;"),
                     LockType::Optimistic);
        site->setValue(2, QStringLiteral("Kern River"));
        site->update();
        QCOMPARE(rp::test::scalar(*db, QStringLiteral("SELECT site_name FROM rsite WHERE "
                                                      "site_id=11")),
                 QStringLiteral("Kern River"));
    }

    void databaseRefusalsLeaveTheSetAsItWas() {
        rp::test::SmallHdb hdb;
        auto db = openDatabase(hdb.connection());
        auto rs = db->open(QStringLiteral("SELECT * FROM rday WHERE datatype_site_id=1001 ORDER "
                                          "BY date_time;"),
                           LockType::Optimistic);
        // Someone else deletes the first record meanwhile.
        hdb.db()->execute(QStringLiteral("DELETE FROM rday WHERE date_time < #05-Mar-1999#"));
        rs->setValue(2, 1.0);
        try {
            rs->update();
            QFAIL("no error");
        } catch (const Error& e) {
            QCOMPARE(e.message(), QStringLiteral("The record was changed or deleted by someone "
                                                 "else since it was read; nothing was saved. "
                                                 "Retrieve it again."));
        }
        QCOMPARE(rs->editMode(), EditMode::InProgress);
        rs->cancelUpdate();
        QVERIFY_THROWS_EXCEPTION(Error, rs->deleteCurrent());
        QCOMPARE(rs->recordCount(), 7);
        // A duplicate key is refused by the database; the added record stays pending.
        rs->addNew();
        rs->setValue(0, 1001);
        rs->setValue(1, QStringLiteral("05-Mar-1999"));
        try {
            rs->update();
            QFAIL("no error");
        } catch (const Error& e) {
            QVERIFY2(e.message().contains(QStringLiteral("UNIQUE")), qPrintable(e.message()));
        }
        QCOMPARE(rs->editMode(), EditMode::Add);
        QCOMPARE(rs->recordCount(), 8);
        rs->cancelUpdate();
        QCOMPARE(rs->recordCount(), 7);
        QCOMPARE(rp::test::scalar(*db, QStringLiteral("SELECT count(*) FROM rday")),
                 QStringLiteral("7"));
    }

    void valueRowsAreCompact() {
        // int, date-time, real, int: the unit-value layout. The key and source are the same in
        // every row and the types too: a row needs its date and value only.
        auto rs = seriesSet(100000, nullptr, LockType::ReadOnly);
        const double perRow = double(rs->memoryBytes()) / double(rs->recordCount());
        QVERIFY2(perRow < 17.0, qPrintable(QString::number(perRow)));
    }

    // A column holds a value or type shared by all its cells once, until a cell differs.
    void columnCellsKeepTheirValues_data() {
        QTest::addColumn<QVariantList>("cells");
        QTest::addColumn<int>("setRow"); // -1: no change
        QTest::addColumn<QVariant>("setTo");
        QTest::addColumn<int>("dropped"); // removeLast this often, then append the cells again
        const QVariant null;
        const QVariant five(qlonglong(5));
        const QVariant six(qlonglong(6));
        const QVariant text(QStringLiteral("a"));
        // The integer whose bits are those of the real 1.0.
        const QVariant oneBits(qlonglong(4607182418800017408LL));
        const QVariantList same{five, five, five};
        QTest::newRow("one value") << same << -1 << null << 0;
        QTest::newRow("differs last") << QVariantList{five, five, six} << -1 << null << 0;
        QTest::newRow("differs first") << QVariantList{six, five, five} << -1 << null << 0;
        QTest::newRow("null inside") << QVariantList{five, null, five} << -1 << null << 0;
        QTest::newRow("null first") << QVariantList{null, five, five} << -1 << null << 0;
        QTest::newRow("same bits, other type")
            << QVariantList{oneBits, QVariant(1.0), oneBits} << -1 << null << 0;
        QTest::newRow("texts") << QVariantList{text, text, QVariant(QStringLiteral("b"))} << -1
                               << null << 0;
        QTest::newRow("set to another") << same << 1 << six << 0;
        QTest::newRow("set to the same") << same << 2 << five << 0;
        QTest::newRow("set to null") << same << 0 << null << 0;
        QTest::newRow("set to a text") << same << 2 << text << 0;
        QTest::newRow("set to a real of the same bits")
            << QVariantList{oneBits, oneBits} << 1 << QVariant(1.0) << 0;
        QTest::newRow("dropped and appended") << QVariantList{five, six} << -1 << null << 1;
        QTest::newRow("emptied and appended") << QVariantList{six, five} << -1 << null << 2;
        QTest::newRow("set after dropping") << same << 0 << six << 3;
    }
    void columnCellsKeepTheirValues() {
        QFETCH(QVariantList, cells);
        QFETCH(int, setRow);
        QFETCH(QVariant, setTo);
        QFETCH(int, dropped);
        RecordColumn column(QStringLiteral("x"), FieldType::Null);
        QVariantList expected;
        const auto append = [&] {
            for (const QVariant& v : cells) {
                column.append(v);
                expected.append(v);
            }
        };
        append();
        for (int i = 0; i < dropped; ++i) {
            column.removeLast();
            expected.removeLast();
        }
        if (dropped > 0)
            append();
        if (setRow >= 0) {
            column.set(setRow, setTo);
            expected[setRow] = setTo;
        }
        QCOMPARE(column.size(), expected.size());
        for (qsizetype row = 0; row < expected.size(); ++row) {
            const QVariant got = column.value(row);
            QCOMPARE(got.isValid(), expected[row].isValid());
            if (got.isValid()) {
                QCOMPARE(got.typeId(), expected[row].typeId());
                QCOMPARE(got, expected[row]);
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestRecordSet)
#include "tst_RecordSet.moc"
