#include "core/base/Error.h"
#include "core/settings/AppPaths.h"
#include "core/settings/SettingsFile.h"
#include "gui/widgets/PositionCaption.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace rp;

class tst_AppFiles : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { AppPaths::setProgramFolder({}); }
    void settingsRead_data();
    void settingsRead();
    void settingsWriteIsLatin1WithCrLf();
    void settingsMissing();
    void settingsFoundWithoutRegardToCase_data();
    void settingsFoundWithoutRegardToCase();
    void seriesFilePath();
    void positionCaption_data();
    void positionCaption();
};

namespace {

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray readBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

void tst_AppFiles::settingsRead_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("connection");
    QTest::addColumn<bool>("hasBackdrop");
    QTest::addColumn<QString>("backdrop");
    QTest::newRow("one line") << QByteArray("Provider=SQLite;Data Source=/a.sqlite\r\n")
                              << "Provider=SQLite;Data Source=/a.sqlite" << false << "";
    QTest::newRow("trimmed, no line end") << QByteArray("  Provider=SQLite;Data Source=/a b  ")
                                          << "Provider=SQLite;Data Source=/a b" << false << "";
    QTest::newRow("colours") << QByteArray("cs\r\n 16711680 ; 255 \r\n") << "cs" << true
                             << " 16711680 ; 255 ";
    QTest::newRow("picture, LF only")
        << QByteArray("cs\n/pics/sky.png\n") << "cs" << true << "/pics/sky.png";
    QTest::newRow("latin-1") << QByteArray("Data Source=/caf\xe9.sqlite\r\n")
                             << QString::fromUtf8("Data Source=/caf\xc3\xa9.sqlite") << false << "";
    QTest::newRow("empty file") << QByteArray() << "" << false << "";
}

void tst_AppFiles::settingsRead() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, connection);
    QFETCH(bool, hasBackdrop);
    QFETCH(QString, backdrop);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Rivelpost_setup.txt"));
    writeBytes(path, bytes);
    const SettingsFile settings = SettingsFile::read(path);
    QCOMPARE(settings.connectionString, connection);
    QCOMPARE(settings.hasBackdrop, hasBackdrop);
    QCOMPARE(settings.backdrop, backdrop);
}

void tst_AppFiles::settingsWriteIsLatin1WithCrLf() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Rivelpost_setup.txt"));
    SettingsFile settings;
    settings.connectionString = QString::fromUtf8(" Data Source=/caf\xc3\xa9.sqlite ");
    settings.write(path);
    QCOMPARE(readBytes(path), QByteArray("Data Source=/caf\xe9.sqlite\r\n"));
    settings.hasBackdrop = true;
    settings.backdrop = QStringLiteral(" 16711680 ; 255 ");
    settings.write(path);
    QCOMPARE(readBytes(path), QByteArray("Data Source=/caf\xe9.sqlite\r\n 16711680 ; 255 \r\n"));
    QCOMPARE(SettingsFile::read(path).backdrop, settings.backdrop);
}

void tst_AppFiles::settingsMissing() {
    QTemporaryDir dir;
    QVERIFY_THROWS_EXCEPTION(Error, SettingsFile::read(dir.filePath(QStringLiteral("none.txt"))));
    SettingsFile settings;
    settings.connectionString = QStringLiteral("x");
    // A folder that does not exist cannot take the file.
    QVERIFY_THROWS_EXCEPTION(Error, settings.write(dir.filePath(QStringLiteral("no/such.txt"))));
}

void tst_AppFiles::settingsFoundWithoutRegardToCase_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("as written") << "Rivelpost_setup.txt";
    QTest::newRow("lower case") << "rivelpost_setup.txt";
    QTest::newRow("upper case") << "RIVELPOST_SETUP.TXT";
}

void tst_AppFiles::settingsFoundWithoutRegardToCase() {
    QFETCH(QString, name);
    QTemporaryDir dir;
    AppPaths::setProgramFolder(dir.path());
    QVERIFY(!AppPaths::settingsFileExists());
    QCOMPARE(AppPaths::settingsFilePath(), dir.filePath(QStringLiteral("Rivelpost_setup.txt")));
    writeBytes(dir.filePath(name), "cs\r\n");
    QVERIFY(AppPaths::settingsFileExists());
    QCOMPARE(AppPaths::settingsFilePath(), dir.filePath(name));
}

void tst_AppFiles::seriesFilePath() {
    QTemporaryDir dir;
    AppPaths::setProgramFolder(dir.path());
    QCOMPARE(AppPaths::seriesFilePath(), dir.filePath(QStringLiteral("lastout.txt")));
    QCOMPARE(AppPaths::programFolder(), dir.path());
}

void tst_AppFiles::positionCaption_data() {
    QTest::addColumn<qint64>("position");
    QTest::addColumn<QString>("caption");
    QTest::newRow("none") << qint64(0) << "";
    QTest::newRow("one") << qint64(1) << "1";
    QTest::newRow("three digits") << qint64(999) << "999";
    QTest::newRow("four digits") << qint64(1234) << "1,234";
    QTest::newRow("seven digits") << qint64(1234567) << "1,234,567";
    QTest::newRow("beyond 16 bits") << qint64(350640) << "350,640";
    QTest::newRow("ten digits") << qint64(1234567890) << "1,234,567,890";
}

void tst_AppFiles::positionCaption() {
    QFETCH(qint64, position);
    QFETCH(QString, caption);
    QCOMPARE(rp::positionCaption(position), caption);
}

QTEST_GUILESS_MAIN(tst_AppFiles)
#include "tst_AppFiles.moc"
