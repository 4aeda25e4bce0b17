// What the PostgreSQL backend decides without a server: the Jet translation it asks for, the
// connection string spellings it reads, and the text in which values travel.

#include "core/base/Error.h"
#include "core/db/ConnectionString.h"
#include "jet/JetSql.h"
#include "providers/postgres/PostgresDialect.h"
#include "providers/postgres/PostgresResult.h"
#include "providers/postgres/PostgresSettings.h"

#include <QtTest>

using namespace rp;

class tst_PostgresDialect : public QObject {
    Q_OBJECT

private slots:
    void translation_data();
    void translation();
    void settings_data();
    void settings();
    void badSettings_data();
    void badSettings();
    void passwordNeverShown_data();
    void passwordNeverShown();
    void parameterText_data();
    void parameterText();
};

void tst_PostgresDialect::translation_data() {
    QTest::addColumn<QString>("jet");
    QTest::addColumn<QString>("expected");
    QTest::newRow("date literal")
        << "SELECT * FROM rday WHERE date_time BETWEEN #05-Mar-1999# AND #3/7/1999 13:45#"
        << "SELECT * FROM rday WHERE date_time BETWEEN TIMESTAMP '1999-03-05 00:00:00' AND "
           "TIMESTAMP '1999-03-07 13:45:00'";
    QTest::newRow("plain names fold, others keep their case")
        << "SELECT [Site_ID], [Flow CFS] FROM [RSite]"
        << "SELECT \"site_id\", \"Flow CFS\" FROM \"rsite\"";
    QTest::newRow("& casts its operands to text")
        << "SELECT site_id & 'x' FROM rsite"
        << "SELECT (COALESCE(CAST(site_id AS text), '') || 'x') AS \"Expr1000\" FROM rsite";
    QTest::newRow("Jet functions by their created names")
        << "SELECT Year(date_time), iif(value > 1, 1, 0) FROM rday"
        << "SELECT jet_year(date_time) AS \"Expr1000\", jet_iif(value > 1, 1, 0) AS "
           "\"Expr1001\" FROM rday";
    QTest::newRow("True and False") << "SELECT * FROM t WHERE a = True OR b = False"
                                    << "SELECT * FROM t WHERE a = -1 OR b = 0";
    QTest::newRow("TOP n") << "SELECT TOP 5 * FROM rday ORDER BY date_time"
                           << "SELECT * FROM rday ORDER BY date_time FETCH FIRST 5 ROWS WITH TIES";
}

void tst_PostgresDialect::translation() {
    QFETCH(QString, jet);
    QFETCH(QString, expected);
    QCOMPARE(JetSql::translate(jet, PostgresDialect()).sql.simplified(), expected);
}

void tst_PostgresDialect::settings_data() {
    QTest::addColumn<QString>("connection");
    QTest::addColumn<QString>("host");
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("database");
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password");
    QTest::newRow("ADO spellings")
        << "Provider=PostgreSQL;Host=db.example;Port=5433;Database=hdb;User ID=ann;Password=p"
        << "db.example" << 5433 << "hdb"
        << "ann"
        << "p";
    QTest::newRow("Server, UID, PWD, quoted value")
        << "Provider=PostgreSQL;Server=10.0.0.2;Database=hdb;UID=bob;PWD=\"a;b=c\""
        << "10.0.0.2" << 5432 << "hdb"
        << "bob"
        << "a;b=c";
    QTest::newRow("keys in any case, defaults") << "provider=postgres;database=h"
                                                << "localhost" << 5432 << "h"
                                                << ""
                                                << "";
}

void tst_PostgresDialect::settings() {
    QFETCH(QString, connection);
    const ConnectionString cs = ConnectionString::parse(connection);
    QCOMPARE(cs.backendKind(), BackendKind::PostgreSql);
    const PostgresSettings s = PostgresSettings::from(cs);
    QTEST(s.host, "host");
    QTEST(s.port, "port");
    QTEST(s.database, "database");
    QTEST(s.user, "user");
    QTEST(s.password, "password");
}

void tst_PostgresDialect::badSettings_data() {
    QTest::addColumn<QString>("connection");
    QTest::addColumn<QString>("inMessage");
    QTest::newRow("no database") << "Provider=PostgreSQL;Host=h;Password=hunter2"
                                 << "Database=";
    QTest::newRow("port not a number") << "Provider=PostgreSQL;Port=54x;Database=h"
                                       << "54x";
    QTest::newRow("port out of range") << "Provider=PostgreSQL;Port=70000;Database=h"
                                       << "70000";
}

void tst_PostgresDialect::badSettings() {
    QFETCH(QString, connection);
    QFETCH(QString, inMessage);
    try {
        PostgresSettings::from(ConnectionString::parse(connection));
        QFAIL("accepted");
    } catch (const Error& e) {
        QVERIFY2(e.message().contains(inMessage), qPrintable(e.message()));
        QVERIFY(!e.message().contains(QLatin1String("hunter2")));
    }
}

void tst_PostgresDialect::passwordNeverShown_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("plain") << "Host=h;Password=hunter2;Database=d"
                           << "Host=h;Password=****;Database=d";
    QTest::newRow("PWD first, spaces") << " pwd = hunter2 ;UID=u"
                                       << " pwd = ****;UID=u";
    QTest::newRow("quoted with ;") << "Password=\"hun;ter2\";Database=d"
                                   << "Password=****;Database=d";
    QTest::newRow("no password") << "Provider=SQLite;Data Source=a.db"
                                 << "Provider=SQLite;Data Source=a.db";
}

void tst_PostgresDialect::passwordNeverShown() {
    QFETCH(QString, text);
    QTEST(ConnectionString::withoutPassword(text), "expected");
    // The messages about a string that names no database show it without the password.
    try {
        ConnectionString::parse(text + QStringLiteral(";Provider=nothing")).backendKind();
    } catch (const Error& e) {
        QVERIFY2(!e.message().contains(QLatin1String("hunter2")), qPrintable(e.message()));
    }
}

void tst_PostgresDialect::parameterText_data() {
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<bool>("isNull");
    QTest::newRow("null") << QVariant() << QByteArray() << true;
    QTest::newRow("shortest exact double")
        << QVariant(0.1 + 0.2) << QByteArray("0.30000000000000004") << false;
    QTest::newRow("decimal double") << QVariant(12.5) << QByteArray("12.5") << false;
    QTest::newRow("not a number") << QVariant(qQNaN()) << QByteArray("NaN") << false;
    QTest::newRow("naive date-time with milliseconds")
        << QVariant(QDateTime(QDate(2026, 3, 8), QTime(2, 30, 0, 5), Qt::UTC))
        << QByteArray("2026-03-08 02:30:00.005") << false;
    QTest::newRow("true") << QVariant(true) << QByteArray("1") << false;
    QTest::newRow("text stays UTF-8")
        << QVariant(QStringLiteral("\u00e9")) << QByteArray("\xc3\xa9") << false;
}

void tst_PostgresDialect::parameterText() {
    QFETCH(QVariant, value);
    QFETCH(QByteArray, expected);
    QFETCH(bool, isNull);
    const std::optional<QByteArray> text = postgresText(value);
    QCOMPARE(!text.has_value(), isNull);
    if (text)
        QCOMPARE(*text, expected);
}

QTEST_GUILESS_MAIN(tst_PostgresDialect)
#include "tst_PostgresDialect.moc"
