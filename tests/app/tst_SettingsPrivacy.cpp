// The settings file holds the connection string, which may hold a password: only its owner can
// read it, however it came to be written.

#include "core/settings/SettingsFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace rp;

class tst_SettingsPrivacy : public QObject {
    Q_OBJECT

private slots:
    void ownerOnly_data();
    void ownerOnly();
};

void tst_SettingsPrivacy::ownerOnly_data() {
    QTest::addColumn<bool>("existing");
    QTest::newRow("new file") << false;
    QTest::newRow("replacing a file others could read") << true;
}

void tst_SettingsPrivacy::ownerOnly() {
    QFETCH(bool, existing);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Rivelpost_setup.txt"));
    if (existing) {
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("Provider=SQLite;Data Source=old.sqlite\r\n");
        old.close();
        QVERIFY(old.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                   QFileDevice::ReadGroup | QFileDevice::ReadOther));
    }
    SettingsFile settings;
    settings.connectionString =
        QStringLiteral("Provider=PostgreSQL;Host=db;Database=hdb;User ID=ann;Password=secret");
    settings.write(path);
    QCOMPARE(QFile::permissions(path) & (QFileDevice::ReadGroup | QFileDevice::ReadOther |
                                         QFileDevice::WriteGroup | QFileDevice::WriteOther),
             QFileDevice::Permissions());
    QCOMPARE(SettingsFile::read(path).connectionString, settings.connectionString);
}

QTEST_GUILESS_MAIN(tst_SettingsPrivacy)
#include "tst_SettingsPrivacy.moc"
