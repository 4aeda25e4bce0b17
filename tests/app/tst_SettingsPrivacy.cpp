// The settings file and the list of recent connections hold connection strings, which may hold
// passwords: only their owner can read them, however they came to be written. (The series file,
// the window positions and the dumps hold no connection string.)

#include "core/settings/RecentConnections.h"
#include "core/settings/SettingsFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace rp;

namespace {

// A file as an older version left it, readable by everybody.
bool writeReadableByOthers(const QString& path) {
    QFile old(path);
    if (!old.open(QIODevice::WriteOnly) ||
        old.write("Provider=SQLite;Data Source=old.sqlite\r\n") < 0)
        return false;
    old.close();
    return old.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                              QFileDevice::ReadGroup | QFileDevice::ReadOther);
}

// No one but the owner may read or write it.
QFileDevice::Permissions othersRights(const QString& path) {
    return QFile::permissions(path) & (QFileDevice::ReadGroup | QFileDevice::ReadOther |
                                       QFileDevice::WriteGroup | QFileDevice::WriteOther);
}

} // namespace

class tst_SettingsPrivacy : public QObject {
    Q_OBJECT

private slots:
    void ownerOnly_data();
    void ownerOnly();
    void recentListOwnerOnly_data();
    void recentListOwnerOnly();
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
    if (existing)
        QVERIFY(writeReadableByOthers(path));
    SettingsFile settings;
    settings.connectionString =
        QStringLiteral("Provider=PostgreSQL;Host=db;Database=hdb;User ID=ann;Password=secret");
    settings.write(path);
    QCOMPARE(othersRights(path), QFileDevice::Permissions());
    QCOMPARE(SettingsFile::read(path).connectionString, settings.connectionString);
}

void tst_SettingsPrivacy::recentListOwnerOnly_data() {
    ownerOnly_data();
}

void tst_SettingsPrivacy::recentListOwnerOnly() {
    QFETCH(bool, existing);
    QTemporaryDir dir;
    const QString path = dir.filePath(QLatin1String(RecentConnections::fileName));
    if (existing)
        QVERIFY(writeReadableByOthers(path));
    const QString connection =
        QStringLiteral("Provider=PostgreSQL;Host=db;Database=hdb;User ID=ann;Password=secret");
    RecentConnections(path).add(connection);
    QCOMPARE(othersRights(path), QFileDevice::Permissions());
    QCOMPARE(RecentConnections(path).load().value(0), connection);
}

QTEST_GUILESS_MAIN(tst_SettingsPrivacy)
#include "tst_SettingsPrivacy.moc"
