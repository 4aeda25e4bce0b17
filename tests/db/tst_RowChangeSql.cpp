// The statements that save a record-set row: placeholders numbered across SET and WHERE, null
// keys, a backend's own key test, and columns and values that do not pair up.
#include "core/base/Error.h"
#include "core/db/RowChangeSql.h"
#include "providers/postgres/PostgresDialect.h"

#include <QtTest>

using namespace rp;

class tst_RowChangeSql : public QObject {
    Q_OBJECT
private slots:
    void statements_data();
    void statements();
    void ownKeyTest();
    void appendedRowsHoldOneValuePerColumn();
};

namespace {

const PostgresDialect dialect;

RowChangeSql numbered() {
    return {dialect, [](qsizetype n) { return QStringLiteral("$%1").arg(n); }};
}

// Runs the statement named by `kind` and gives its text and parameters.
QString build(const RowChangeSql& sql, const QString& kind, const QStringList& columns,
              const QVariantList& values, const QStringList& keys, const QVariantList& keyValues,
              QVariantList& parameters) {
    parameters = values;
    if (kind == QLatin1String("insert"))
        return sql.insert(QStringLiteral("rday"), columns, values.size());
    if (kind == QLatin1String("update"))
        return sql.update(QStringLiteral("rday"), keys, keyValues, columns, parameters);
    return sql.remove(QStringLiteral("rday"), keys, keyValues, parameters);
}

} // namespace

void tst_RowChangeSql::statements_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QStringList>("columns");
    QTest::addColumn<QVariantList>("values");
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<QVariantList>("keyValues");
    QTest::addColumn<QString>("sql"); // empty: refused
    QTest::addColumn<QVariantList>("parameters");
    QTest::newRow("insert") << "insert" << QStringList{"value", "source"} << QVariantList{1.5, 2}
                            << QStringList() << QVariantList()
                            << R"(INSERT INTO "rday" ("value", "source") VALUES ($1, $2))"
                            << QVariantList{1.5, 2};
    QTest::newRow("insert of defaults")
        << "insert" << QStringList() << QVariantList() << QStringList() << QVariantList()
        << R"(INSERT INTO "rday" DEFAULT VALUES)" << QVariantList();
    QTest::newRow("update numbers on into the key")
        << "update" << QStringList{"value", "source"} << QVariantList{1.5, 2}
        << QStringList{"datatype_site_id", "date_time"} << QVariantList{1001, QVariant()}
        << R"(UPDATE "rday" SET "value" = $1, "source" = $2 WHERE "datatype_site_id" = $3 AND )"
           R"("date_time" IS NULL)"
        << QVariantList{1.5, 2, 1001};
    QTest::newRow("delete")
        << "delete" << QStringList() << QVariantList() << QStringList{"datatype_site_id", "value"}
        << QVariantList{1001, 7.25}
        << R"(DELETE FROM "rday" WHERE "datatype_site_id" = $1 AND "value" = $2)"
        << QVariantList{1001, 7.25};
    // Refused: no statement.
    const QVariantList none;
    QTest::newRow("insert, a value short")
        << "insert" << QStringList{"value", "source"} << QVariantList{1.5} << QStringList()
        << QVariantList() << "" << none;
    QTest::newRow("update of no column") << "update" << QStringList() << QVariantList()
                                         << QStringList{"id"} << QVariantList{1} << "" << none;
    QTest::newRow("update without a key") << "update" << QStringList{"value"} << QVariantList{1.5}
                                          << QStringList() << QVariantList() << "" << none;
    QTest::newRow("delete, key values short")
        << "delete" << QStringList() << QVariantList() << QStringList{"id", "date_time"}
        << QVariantList{1} << "" << none;
}

void tst_RowChangeSql::statements() {
    QFETCH(QString, kind);
    QFETCH(QStringList, columns);
    QFETCH(QVariantList, values);
    QFETCH(QStringList, keys);
    QFETCH(QVariantList, keyValues);
    QFETCH(QString, sql);
    QVariantList parameters;
    if (sql.isEmpty()) {
        QVERIFY_THROWS_EXCEPTION(
            Error, build(numbered(), kind, columns, values, keys, keyValues, parameters));
        return;
    }
    QCOMPARE(build(numbered(), kind, columns, values, keys, keyValues, parameters), sql);
    QTEST(parameters, "parameters");
}

void tst_RowChangeSql::ownKeyTest() {
    // A backend may test some keys its own way; the others keep the plain test.
    RowChangeSql sql = numbered();
    sql.keyTerm = [](const QString& column, const QVariant& value, QVariantList& parameters) {
        if (value.typeId() != QMetaType::QString)
            return QString();
        parameters.append(value.toString().toUpper());
        return QStringLiteral("upper(%1) = $%2").arg(column).arg(parameters.size());
    };
    QVariantList parameters;
    QCOMPARE(sql.remove(QStringLiteral("rsite"), {"site_name", "site_id"},
                        {QStringLiteral("Kern"), 7}, parameters),
             QStringLiteral(R"(DELETE FROM "rsite" WHERE upper("site_name") = $1 AND )"
                            R"("site_id" = $2)"));
    QCOMPARE(parameters, (QVariantList{QStringLiteral("KERN"), 7}));
}

void tst_RowChangeSql::appendedRowsHoldOneValuePerColumn() {
    const QList<QVariantList> rows{{1, 2.5}, {2, 3.5}, {3}};
    qsizetype given = 0;
    const auto next = [&](QVariantList& row) {
        if (given == rows.size())
            return false;
        row = rows[given++];
        return true;
    };
    QVariantList row{QStringLiteral("left over")};
    QVERIFY(nextRowToAppend(next, row, QStringLiteral("rday"), 2, 0));
    QCOMPARE(row, rows[0]);
    QVERIFY(nextRowToAppend(next, row, QStringLiteral("rday"), 2, 1));
    try {
        nextRowToAppend(next, row, QStringLiteral("rday"), 2, 2);
        QFAIL("a short row was taken");
    } catch (const Error& e) {
        QCOMPARE(e.message(), QStringLiteral("Row 3 for rday has 1 values where 2 were expected."));
    }
    QVERIFY(!nextRowToAppend(next, row, QStringLiteral("rday"), 2, 3));
}

QTEST_GUILESS_MAIN(tst_RowChangeSql)
#include "tst_RowChangeSql.moc"
