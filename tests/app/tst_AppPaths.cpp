#include "core/settings/AppPaths.h"

#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <unistd.h>

using namespace rp;

// Where the program keeps its files, for a portable build and an installed program.
class tst_AppPaths : public QObject {
    Q_OBJECT
private slots:
    // The per-user folders of the test mode, never the user's real ones.
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void programFolderFor_data();
    void programFolderFor();
    void readOnlyFolderUsesDataFolder();
};

void tst_AppPaths::programFolderFor_data() {
    QTest::addColumn<QString>("layout"); // folders to make under the temporary root
    QTest::addColumn<QString>("executable");
    QTest::addColumn<bool>("beside"); // the files live beside the executable

    QTest::newRow("build tree") << "build/src/app"
                                << "build/src/app" << true;
    QTest::newRow("portable copy") << "Rivelpost"
                                   << "Rivelpost" << true;
    QTest::newRow("installed under a prefix") << "usr/bin,usr/share/rivelpost/help"
                                              << "usr/bin" << false;
    QTest::newRow("installed in /opt") << "opt/rp/bin,opt/rp/share/rivelpost"
                                       << "opt/rp/bin" << false;
    QTest::newRow("other program's share beside") << "bin,share/other"
                                                  << "bin" << true;
    QTest::newRow("missing folder") << ""
                                    << "gone/bin" << false;
}

void tst_AppPaths::programFolderFor() {
    QFETCH(QString, layout);
    QFETCH(QString, executable);
    QFETCH(bool, beside);
    QTemporaryDir root;
    QVERIFY(root.isValid());
    for (const QString& folder : layout.split(QLatin1Char(','), Qt::SkipEmptyParts))
        QVERIFY(QDir(root.path()).mkpath(folder));
    const QString folder = root.filePath(executable);
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QVERIFY(!data.startsWith(root.path()));

    const QString chosen = AppPaths::programFolderFor(folder);
    QCOMPARE(chosen, beside ? folder : data);
    QVERIFY(QFileInfo(chosen).isDir());
}

void tst_AppPaths::readOnlyFolderUsesDataFolder() {
    if (geteuid() == 0)
        QSKIP("root may write to every folder; the installed layout is checked above");
    QTemporaryDir root;
    QVERIFY(root.isValid());
    QFile::setPermissions(root.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    const QString chosen = AppPaths::programFolderFor(root.path());
    QFile::setPermissions(root.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QCOMPARE(chosen, QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
}

QTEST_GUILESS_MAIN(tst_AppPaths)
#include "tst_AppPaths.moc"
