// Connection strings written where others may read them carry no password, and get it back only
// from a connection string naming the same database.
#include "core/db/ConnectionPassword.h"
#include "core/db/ConnectionString.h"

#include <QTest>

using namespace rp;

class tst_ConnectionPassword : public QObject {
    Q_OBJECT
private slots:
    void withoutPassword_data();
    void withoutPassword();
    void knownPassword_data();
    void knownPassword();
};

void tst_ConnectionPassword::withoutPassword_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("stored");
    const QString pg = QStringLiteral("Provider=PostgreSQL;Host=db;Database=hdb;User ID=ann");
    QTest::newRow("none") << pg << pg;
    QTest::newRow("Password=") << pg + QStringLiteral(";Password=s3cr3t") << pg;
    QTest::newRow("PWD= first") << QStringLiteral("PWD=s3cr3t;") + pg << pg;
    QTest::newRow("blank before =") << pg + QStringLiteral(";Password =s3cr3t") << pg;
    QTest::newRow("lower case, quoted ;") << pg + QStringLiteral(";password=\"s3;cr3t\"") << pg;
    QTest::newRow("no-break space before the key")
        << pg + QStringLiteral(";\u00a0Password=s3cr3t") << pg;
    QTest::newRow("em space before the key") << pg + QStringLiteral("; \u2003PWD=s3cr3t") << pg;
    QTest::newRow("quoted value kept")
        << QStringLiteral("Provider=SQLite;Data Source=\"/a;b.sqlite\";Password=s3cr3t")
        << QStringLiteral("Provider=SQLite;Data Source=\"/a;b.sqlite\"");
    QTest::newRow("unreadable: masked")
        << QStringLiteral("garbage;Password=s3cr3t") << QStringLiteral("garbage;Password=****");
}

void tst_ConnectionPassword::withoutPassword() {
    QFETCH(QString, text);
    const QString stored = connectionWithoutPassword(text);
    QTEST(stored, "stored");
    QVERIFY(!stored.contains(QLatin1String("s3")));
    QVERIFY(!hasPassword(stored));
}

void tst_ConnectionPassword::knownPassword_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("known");
    QTest::addColumn<bool>("lent");
    const QString pg = QStringLiteral("Provider=PostgreSQL;Host=db;Database=hdb;User ID=ann");
    const QString withPassword = pg + QStringLiteral(";Password=s3cr3t");
    QTest::newRow("same database") << pg << withPassword << true;
    QTest::newRow("same database, keys in other case")
        << QStringLiteral("provider=PostgreSQL;host=db;database=hdb;user id=ann") << withPassword
        << true;
    QTest::newRow("another user") << QStringLiteral("Provider=PostgreSQL;Host=db;Database=hdb;"
                                                    "User ID=bob")
                                  << withPassword << false;
    QTest::newRow("another host") << QStringLiteral("Provider=PostgreSQL;Host=evil;Database=hdb;"
                                                    "User ID=ann")
                                  << withPassword << false;
    QTest::newRow("no password known") << pg << pg << false;
    QTest::newRow("stored has its own")
        << pg + QStringLiteral(";PWD=other") << withPassword << false;
}

void tst_ConnectionPassword::knownPassword() {
    QFETCH(QString, stored);
    QFETCH(QString, known);
    QFETCH(bool, lent);
    QCOMPARE(connectionWithKnownPassword(stored, known), lent ? known : stored);
}

QTEST_GUILESS_MAIN(tst_ConnectionPassword)
#include "tst_ConnectionPassword.moc"
