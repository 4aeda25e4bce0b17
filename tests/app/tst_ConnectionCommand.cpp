#include "BrowsingHdb.h"
#include "ConnectionFakes.h"
#include "app/mainwindow/ConnectionCommand.h"
#include "app/mainwindow/DatabaseMaintenance.h"
#include "core/hdb/MaintenanceRules.h"
#include "core/settings/AppPaths.h"
#include "core/settings/RecentConnections.h"
#include "providers/sqlite/SqliteCompactor.h"
#include "providers/sqlite/SqliteDatabase.h"

#include <QtTest>

using namespace rp;
using namespace rp::test;

namespace {

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

class tst_ConnectionCommand : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void settingsFile_data();
    void settingsFile();
    void dialogNamesTheDatabaseKind_data();
    void dialogNamesTheDatabaseKind();
    void recentConnections();
    void whichFilesGetMaintenance_data();
    void whichFilesGetMaintenance();
    void noToBothChangesNoFile();
    void defragmentReleasesTheDatabaseFirst();
    void compactionKeepsEveryRow();
    void failedCompactionIsReported();
    void accessFileIsNotCompacted();

private:
    void runCommand() { ConnectionCommand(prompts, view, contig, compactor).run(); }
    QString settingsPath() const {
        return m_folder->filePath(QStringLiteral("Rivelpost_setup.txt"));
    }

    std::unique_ptr<QTemporaryDir> m_folder;
    ScriptedPrompts prompts;
    RecordingView view;
    ScriptedContig contig;
    SqliteCompactor compactor;
};

void tst_ConnectionCommand::init() {
    m_folder = std::make_unique<QTemporaryDir>();
    AppPaths::setProgramFolder(m_folder->path());
    prompts = ScriptedPrompts();
    view = RecordingView();
    contig = ScriptedContig();
}

void tst_ConnectionCommand::cleanup() {
    AppPaths::setProgramFolder({});
    m_folder.reset();
}

void tst_ConnectionCommand::settingsFile_data() {
    QTest::addColumn<QByteArray>("before"); // "<none>": no settings file
    QTest::addColumn<QString>("answer");    // empty: Cancel
    QTest::addColumn<QByteArray>("after");
    QTest::addColumn<QString>("shownDefault");
    QTest::addColumn<bool>("failed"); // a message box with the error
    const QByteArray twoLines = "Provider=SQLite;Data Source=/nowhere/a.sqlite\r\n 255 ; 0 \r\n";
    QTest::newRow("Cancel keeps both lines")
        << twoLines << "" << twoLines << "Provider=SQLite;Data Source=/nowhere/a.sqlite" << false;
    QTest::newRow("new string keeps line 2")
        << twoLines << "Provider=SQLite;Data Source=/nowhere/b.sqlite"
        << QByteArray("Provider=SQLite;Data Source=/nowhere/b.sqlite\r\n 255 ; 0 \r\n")
        << "Provider=SQLite;Data Source=/nowhere/a.sqlite" << false;
    QTest::newRow("one-line file stays one line, trimmed")
        << QByteArray("  old;x  \r\n") << "  Provider=SQLite;Data Source=/n/y.sqlite  "
        << QByteArray("Provider=SQLite;Data Source=/n/y.sqlite\r\n") << "old;x" << false;
    QTest::newRow("no file, Cancel")
        << QByteArray("<none>") << "" << QByteArray("<none>") << "Connection String" << false;
    QTest::newRow("no file, new string")
        << QByteArray("<none>") << "a;b" << QByteArray("a;b\r\n") << "Connection String" << false;
    QTest::newRow("answer naming no file stores nothing")
        << QByteArray("a;b\r\n") << "hdb.sqlite" << QByteArray("a;b\r\n") << "a;b" << true;
    QTest::newRow("a stored string naming no file can still be replaced")
        << QByteArray("junk\r\n") << "a;b" << QByteArray("a;b\r\n") << "junk" << false;
}

void tst_ConnectionCommand::settingsFile() {
    QFETCH(QByteArray, before);
    QFETCH(QString, answer);
    QFETCH(QByteArray, after);
    QFETCH(QString, shownDefault);
    QFETCH(bool, failed);
    if (before != "<none>")
        writeFile(settingsPath(), before);
    prompts.answer = answer;

    runCommand();

    QCOMPARE(readAll(settingsPath()), after);
    // The title and prompt name the kind of database (dialogNamesTheDatabaseKind).
    QVERIFY2(prompts.asked.value(0).startsWith(QStringLiteral("input ")) &&
                 prompts.asked.value(0).endsWith(QStringLiteral(" | ") + shownDefault),
             qPrintable(prompts.asked.value(0)));
    QCOMPARE(prompts.asked.size(), failed ? 2 : 1);
    QCOMPARE(view.connections,
             answer.isEmpty() || failed ? QStringList() : QStringList{answer.trimmed()});
    QCOMPARE(view.captions.value(0), QStringLiteral("Database Connection..."));
    QCOMPARE(view.caption(), QStringLiteral("Rivelpos 0.1.0"));
    QCOMPARE(view.events, QStringList{"finish"});
    QVERIFY(contig.calls.isEmpty());
}

void tst_ConnectionCommand::dialogNamesTheDatabaseKind_data() {
    QTest::addColumn<QByteArray>("settings"); // "<none>": no settings file
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("cancelDoes"); // the prompt's end after "press Cancel to "
    QTest::newRow("Access file")
        << QByteArray("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=/n/hdb.mdb\r\n")
        << "MS Access HDB"
        << "Compact and Repair Access database:";
    QTest::newRow("SQLite file") << QByteArray("Provider=SQLite;Data Source=/n/hdb.sqlite\r\n")
                                 << "SQLite HDB"
                                 << "Compact SQLite database:";
    QTest::newRow("SQLite told by its file")
        << QByteArray("Driver=x;Data Source=/n/hdb.db\r\n") << "SQLite HDB"
        << "Compact SQLite database:";
    QTest::newRow("PostgreSQL server")
        << QByteArray("Provider=PostgreSQL;Host=db;Database=hdb;User ID=u\r\n") << "PostgreSQL HDB"
        << "keep the current one:";
    QTest::newRow("workbook")
        << QByteArray("Driver={Microsoft Excel Driver (*.xls)};DBQ=/n/h.xls;ReadOnly=False\r\n")
        << "Excel workbook HDB"
        << "keep the current one:";
    QTest::newRow("no settings file") << QByteArray("<none>") << "MS Access HDB"
                                      << "Compact and Repair Access database:";
    QTest::newRow("a string of no known kind") << QByteArray("junk\r\n") << "MS Access HDB"
                                               << "Compact and Repair Access database:";
}

void tst_ConnectionCommand::dialogNamesTheDatabaseKind() {
    QFETCH(QByteArray, settings);
    QFETCH(QString, title);
    QFETCH(QString, cancelDoes);
    if (settings != "<none>")
        writeFile(settingsPath(), settings);
    prompts.answer = QStringLiteral("a;b");
    runCommand();
    const QString asked = prompts.asked.value(0);
    QCOMPARE(asked.section(QStringLiteral(" | "), 0, 1),
             QStringLiteral("input %1 | Enter new connection string or press Cancel to %2")
                 .arg(title, cancelDoes));
}

void tst_ConnectionCommand::recentConnections() {
    for (int i = 1; i <= 7; ++i) {
        prompts.answer = QStringLiteral(" p;s%1 ").arg(i % 6); // s1 comes back as the 7th
        runCommand();
    }
    QCOMPARE(prompts.recentShown, (QStringList{"p;s0", "p;s5", "p;s4", "p;s3", "p;s2"}));
    QCOMPARE(RecentConnections::inProgramFolder().load(),
             (QStringList{"p;s1", "p;s0", "p;s5", "p;s4", "p;s3"}));
}

void tst_ConnectionCommand::whichFilesGetMaintenance_data() {
    QTest::addColumn<QString>("connection"); // FILE stands for the file's path
    QTest::addColumn<QString>("fileName");   // empty: no file is made
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("maintained"); // the defragmenter looks at the file
    QTest::addColumn<QString>("message"); // the failure message, if any
    QTest::newRow("workbook without .M")
        << "Driver={Microsoft Excel Driver (*.xls)};DBQ=FILE;ReadOnly=False"
        << "hdb.xls" << QByteArray("x") << false << "";
    QTest::newRow("access file") << "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=FILE"
                                 << "hdb.mdb" << QByteArray("x") << true << "";
    QTest::newRow("missing access file")
        << "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=FILE"
        << "" << QByteArray() << false << "message  | File not found: FILE";
    QTest::newRow("empty access file") << "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=FILE"
                                       << "hdb.mdb" << QByteArray() << false << "";
    QTest::newRow("sqlite file") << "Provider=SQLite;Data Source=FILE"
                                 << "hdb.sqlite" << QByteArray("x") << true << "";
    QTest::newRow("missing sqlite file") << "Provider=SQLite;Data Source=FILE"
                                         << "" << QByteArray() << false << "";
    QTest::newRow("server database") << "Provider=PostgreSQL;Host=localhost;Database=hdb"
                                     << "" << QByteArray() << false << "";
    // A host name holding ".m" is no Access file.
    QTest::newRow("server host with .m") << "Provider=PostgreSQL;Host=db.mycorp.org;Database=hdb"
                                         << "" << QByteArray() << false << "";
    QTest::newRow("server host ending in .mdb") << "Provider=PostgreSQL;Host=hdb.mdb;Database=hdb"
                                                << "" << QByteArray() << false << "";
}

void tst_ConnectionCommand::whichFilesGetMaintenance() {
    QFETCH(QString, connection);
    QFETCH(QString, fileName);
    QFETCH(QByteArray, content);
    QFETCH(bool, maintained);
    QFETCH(QString, message);
    const QString file =
        m_folder->filePath(fileName.isEmpty() ? QStringLiteral("none.mdb") : fileName);
    if (!fileName.isEmpty())
        writeFile(file, content);
    prompts.answer = QString(connection).replace(QLatin1String("FILE"), file);

    runCommand();

    QCOMPARE(contig.calls, maintained ? QStringList{QStringLiteral("-a ") + file} : QStringList());
    if (!message.isEmpty())
        QCOMPARE(prompts.asked.last(), QString(message).replace(QLatin1String("FILE"), file));
    else
        for (const QString& asked : prompts.asked)
            QVERIFY2(!asked.contains(QLatin1String("File not found")), qPrintable(asked));
    // The new string is stored whatever the maintenance says.
    QCOMPARE(view.connections, QStringList{prompts.answer});
}

void tst_ConnectionCommand::noToBothChangesNoFile() {
    BrowsingHdb hdb;
    writeFile(settingsPath(), hdb.connectionString.toLatin1() + "\r\n");
    contig.analysis = hdb.path + QStringLiteral(" is in 25 fragments\r\n");
    const QByteArray before = readAll(hdb.path);
    const QStringList filesBefore = QDir(hdb.dir.path()).entryList(QDir::Files);

    runCommand(); // Cancel, then No and No

    const QString size = kilobytesText(before.size());
    QCOMPARE(prompts.asked.mid(1),
             (QStringList{"question Current defragramentation: 25 fragments | Do you want to "
                          "Defrag: " +
                              hdb.path,
                          "question Current size " + size +
                              " kbytes | Do you want to Compact and Repair: " + hdb.path}));
    QCOMPARE(readAll(hdb.path), before);
    QCOMPARE(QDir(hdb.dir.path()).entryList(QDir::Files), filesBefore);
    // Only the report is left behind, in the program's folder.
    QCOMPARE(readAll(DatabaseMaintenance::reportPath()), contig.analysis.toLatin1());
    QVERIFY(view.captions.contains(hdb.path + QStringLiteral(" is in 25 fragments")));
    QCOMPARE(view.caption(), QStringLiteral("Rivelpos 0.1.0"));
    QVERIFY(!view.events.contains(QStringLiteral("release")));
}

void tst_ConnectionCommand::defragmentReleasesTheDatabaseFirst() {
    BrowsingHdb hdb;
    writeFile(settingsPath(), hdb.connectionString.toLatin1() + "\r\n");
    contig.analysis = hdb.path + QStringLiteral(" is in 3 fragments\n");
    contig.defragmenting = hdb.path + QStringLiteral(" is defragmented\n");
    contig.onRun = [this](const QStringList& arguments) {
        view.events.append(QStringLiteral("contig ") + arguments.join(QLatin1Char(' ')));
    };
    prompts.yesNo = {true, false};

    runCommand();

    QCOMPARE(view.events, (QStringList{"contig -a " + hdb.path, "release", "busy",
                                       "contig " + hdb.path, "idle", "finish"}));
    QVERIFY(view.captions.contains(QStringLiteral("Wait... Defragging...")));
    QVERIFY(view.captions.contains(hdb.path + QStringLiteral(" is defragmented")));
    QCOMPARE(prompts.asked.size(), 3); // input, defragment, compact
}

void tst_ConnectionCommand::compactionKeepsEveryRow() {
    BrowsingHdb hdb;
    writeFile(settingsPath(), hdb.connectionString.toLatin1() + "\r\n");
    {
        SqliteDatabase db(hdb.path);
        db.execute(QStringLiteral("DELETE FROM runit"));
    }
    const QByteArray before = readAll(hdb.path);
    contig.analysis = hdb.path + QStringLiteral(" is defragmented\n");
    prompts.yesNo = {true};

    runCommand();

    const MaintenanceNames names = maintenanceNames(hdb.path, true);
    QCOMPARE(readAll(names.backup), before);
    QVERIFY(!QFileInfo::exists(names.fresh));
    QCOMPARE(SqliteDatabase(hdb.path)
                 .open(QStringLiteral("SELECT * FROM rday"), LockType::ReadOnly)
                 ->recordCount(),
             41);
    // The defragmented file got no defragment question, only the compact one.
    QCOMPARE(prompts.asked.size(), 3);
    QVERIFY(prompts.asked[1].startsWith(QStringLiteral("question Current size ")));
    QCOMPARE(prompts.asked[2], QStringLiteral("message Current size %1 kbytes | Compact and "
                                              "repair complete...")
                                   .arg(kilobytesText(QFileInfo(hdb.path).size())));
    QCOMPARE(view.events, (QStringList{"busy", "release", "idle", "finish"}));
    QVERIFY(view.captions.contains(QStringLiteral("Compact and Repair...")));
}

void tst_ConnectionCommand::failedCompactionIsReported() {
    BrowsingHdb hdb;
    writeFile(settingsPath(), hdb.connectionString.toLatin1() + "\r\n");
    writeFile(hdb.path + QStringLiteral("-journal"), QByteArray(512, '\1'));
    const QByteArray before = readAll(hdb.path);
    contig.installed = false; // and no report: nothing to defragment
    prompts.yesNo = {true};

    runCommand();

    QCOMPARE(prompts.asked.size(), 3);
    QVERIFY2(prompts.asked[2].startsWith(QStringLiteral("message  | ")) &&
                 prompts.asked[2].contains(hdb.path),
             qPrintable(prompts.asked[2]));
    QCOMPARE(readAll(hdb.path), before);
    QCOMPARE(view.caption(), QStringLiteral("Rivelpos 0.1.0"));
    QCOMPARE(view.events.last(), QStringLiteral("finish"));
}

void tst_ConnectionCommand::accessFileIsNotCompacted() {
    const QString file = m_folder->filePath(QStringLiteral("hdb.mdb"));
    writeFile(file, QByteArray(1536, 'x'));
    prompts.answer = QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + file;
    contig.analysis = file + QStringLiteral(" is defragmented\n");

    runCommand();

    QCOMPARE(prompts.asked.size(), 2);
    QVERIFY(prompts.asked[1].startsWith(QStringLiteral("message Current size 2 kbytes | ")));
    QVERIFY(prompts.asked[1].contains(QStringLiteral("SQLite")));
    QCOMPARE(readAll(file), QByteArray(1536, 'x'));
}

QTEST_GUILESS_MAIN(tst_ConnectionCommand)
#include "tst_ConnectionCommand.moc"
