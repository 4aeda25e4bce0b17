// Passwords in connection strings: whatever blanks, case or quoting the user typed, when the
// connection takes a text as the password, no message shows it.
#include "core/base/Error.h"
#include "core/db/ConnectionString.h"
#include "core/db/Database.h"
#include "providers/postgres/PostgresSettings.h"

#include <QTest>

using namespace rp;

class tst_PasswordMasking : public QObject {
    Q_OBJECT
private slots:
    void dodges_data();
    void dodges();
    void serverMessages_data();
    void serverMessages();
    void passfile_data();
    void passfile();
    void passfileWithSemicolonRefused();
    void serverQuotingThePasswordLowerCased();
};

void tst_PasswordMasking::dodges_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("password");   // what the connection uses; empty when refused
    QTest::addColumn<QStringList>("secret"); // pieces no message may show, in any case
    const QString pg = QStringLiteral("Provider=PostgreSQL;");
    const QStringList hunter{QStringLiteral("Hunter2")};
    QTest::newRow("plain") << pg + "Password=Hunter2"
                           << "Hunter2" << hunter;
    QTest::newRow("no-break space before the key") << pg + QChar(0xA0) + "Password=Hunter2"
                                                   << "Hunter2" << hunter;
    QTest::newRow("em space before the key") << pg + QChar(0x2003) + "Password=Hunter2"
                                             << "Hunter2" << hunter;
    QTest::newRow("blank before =") << pg + "Password =Hunter2"
                                    << "Hunter2" << hunter;
    QTest::newRow("no-break spaces around =")
        << pg + "PWD" + QChar(0xA0) + "=" + QChar(0xA0) + "Hunter2"
        << "Hunter2" << hunter;
    QTest::newRow("tab before the key") << pg + "\tpassword=Hunter2"
                                        << "Hunter2" << hunter;
    QTest::newRow("capitals") << "PROVIDER=PostgreSQL;PASSWORD=Hunter2"
                              << "Hunter2" << hunter;
    QTest::newRow("pwd first, mixed case") << "pWd=Hunter2;" + pg << "Hunter2" << hunter;
    QTest::newRow("quoted with ;") << pg + "Password='Hun;ter2'"
                                   << "Hun;ter2" << QStringList{"Hun", "ter2"};
    QTest::newRow("no-break space before the quote")
        << pg + "Password=" + QChar(0xA0) + "\"Hunter2;x\""
        << "Hunter2;x" << hunter;
    QTest::newRow("text after the closing quote") << pg + "Password='Hunter2'ter9"
                                                  << "Hunter2" << QStringList{"Hunter2", "ter9"};
    QTest::newRow("two passwords") << pg + "Password=Hunter1;PWD=Hunter2"
                                   << "Hunter1" << QStringList{"Hunter1", "Hunter2"};
    QTest::newRow("unquoted ; in the password") << pg + "Password=Hunter2;ter9"
                                                << "" << QStringList{"Hunter2", "ter9"};
    QTest::newRow("unclosed quote") << pg + "Password=\"Hunter2;Database=d"
                                    << "" << hunter;
    QTest::newRow("no provider, the message quotes the string")
        << "Host=h;" + QString(QChar(0xA0)) + "Password=Hunter2"
        << "Hunter2" << hunter;
    QTest::newRow("unknown provider")
        << "Provider=nothing;" + QString(QChar(0x2003)) + "pwd = Hunter2"
        << "Hunter2" << hunter;
}

void tst_PasswordMasking::dodges() {
    QFETCH(QString, text);
    QFETCH(QString, password);
    QFETCH(QStringList, secret);
    QStringList shown{ConnectionString::withoutPassword(text)};
    try {
        const ConnectionString cs = ConnectionString::parse(text);
        QVERIFY2(!password.isEmpty(), "a damaged string was accepted");
        // The connection takes this password: it is what must stay hidden.
        QCOMPARE(PostgresSettings::from(ConnectionString::parse(text + ";Database=d")).password,
                 password);
        QVERIFY(ConnectionString::passwords(text).contains(password));
        cs.backendKind();
    } catch (const Error& e) {
        shown << e.message();
    }
    for (const QString& message : shown)
        for (const QString& piece : secret)
            QVERIFY2(!message.contains(piece, Qt::CaseInsensitive), qPrintable(message));
}

void tst_PasswordMasking::serverMessages_data() {
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("passwords");
    QTest::addColumn<QString>("expected");
    QTest::newRow("lower-cased by the server")
        << "relation \"secret_pw\" does not exist" << QStringList{"Secret_Pw"}
        << "relation \"****\" does not exist";
    QTest::newRow("twice, in capitals")
        << "SECRET_PW near SECRET_PW" << QStringList{"Secret_Pw"} << "**** near ****";
    QTest::newRow("no password leaves the message")
        << "syntax error" << QStringList{""} << "syntax error";
}

void tst_PasswordMasking::serverMessages() {
    QFETCH(QString, message);
    QFETCH(QStringList, passwords);
    QTEST(ConnectionString::withoutPasswords(message, passwords), "expected");
}

void tst_PasswordMasking::passfile_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("options");
    QTest::newRow("none") << "Database=d"
                          << "connect_timeout=10";
    QTest::newRow("plain") << "Database=d;Passfile=/home/ann/.pgpass"
                           << "connect_timeout=10;passfile='/home/ann/.pgpass'";
    QTest::newRow("blank, quote and backslash")
        << "Database=d;PASSFILE=\"/home/a b/it's\\x\""
        << "connect_timeout=10;passfile='/home/a b/it\\'s\\\\x'";
}

void tst_PasswordMasking::passfile() {
    QFETCH(QString, text);
    const PostgresSettings settings = PostgresSettings::from(ConnectionString::parse(text));
    QVERIFY(settings.password.isEmpty());
    QTEST(settings.connectOptions(), "options");
}

void tst_PasswordMasking::passfileWithSemicolonRefused() {
    QVERIFY_THROWS_EXCEPTION(
        Error, PostgresSettings::from(ConnectionString::parse("Database=d;Passfile='/a;b'")));
}

// A server error that quotes the statement lower-cases its names: the password is struck out in
// any case.
void tst_PasswordMasking::serverQuotingThePasswordLowerCased() {
    const QString server = qEnvironmentVariable("RIVELPOST_TEST_PG");
    if (server.isEmpty())
        QSKIP("set RIVELPOST_TEST_PG to a PostgreSQL connection string (tools/with-postgres)");
    if (!ConnectionString::passwords(server).isEmpty())
        QSKIP("RIVELPOST_TEST_PG holds a password of its own");
    // The throw-away server trusts its users, whatever password they give.
    const auto database = openDatabase(server + QStringLiteral(";Password=Secret_Pw"));
    try {
        database->executeNative(QStringLiteral("SELECT * FROM Secret_Pw"));
        QFAIL("a missing table was read");
    } catch (const Error& e) {
        QVERIFY2(!e.message().contains(QLatin1String("secret_pw"), Qt::CaseInsensitive),
                 qPrintable(e.message()));
        QVERIFY2(e.message().contains(QLatin1String("****")), qPrintable(e.message()));
    }
}

QTEST_GUILESS_MAIN(tst_PasswordMasking)
#include "tst_PasswordMasking.moc"
