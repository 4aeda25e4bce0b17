#include "BrowsingHdb.h"
#include "ToolRun.h"
#include "providers/sqlite/SqliteDatabase.h"

#include <QtTest>

using namespace rp;

// rivelpost-cli compact, run as the real binary.
class tst_CompactCommand : public QObject {
    Q_OBJECT
private slots:
    void compactsAndKeepsTheBackup();
    void refusals_data();
    void refusals();

private:
    using Result = rp::test::ToolRun;
    static Result run(const QStringList& arguments) {
        return rp::test::runTool(QStringLiteral(RIVELPOST_CLI), arguments);
    }
    static qsizetype rows(const QString& path, const char* table) {
        SqliteDatabase db(path);
        return db.open(QStringLiteral("SELECT * FROM ") + QLatin1String(table), LockType::ReadOnly)
            ->recordCount();
    }
};

void tst_CompactCommand::compactsAndKeepsTheBackup() {
    rp::test::BrowsingHdb hdb;
    {
        SqliteDatabase db(hdb.path);
        db.execute(QStringLiteral("DELETE FROM rhour"));
    }
    const QString backup = hdb.dir.filePath(QStringLiteral("browsing_backup.sqlite"));
    const qint64 sizeBefore = QFileInfo(hdb.path).size();

    const Result r = run({QStringLiteral("compact"), hdb.path});

    QCOMPARE(r.err, QString());
    QCOMPARE(r.status, 0);
    QVERIFY2(r.out.startsWith(QStringLiteral("Compacted ") + hdb.path), qPrintable(r.out));
    QVERIFY(r.out.contains(backup));
    QCOMPARE(QFileInfo(backup).size(), sizeBefore);
    QVERIFY(!QFileInfo::exists(hdb.dir.filePath(QStringLiteral("browsing_new.sqlite"))));
    for (const char* table : {"rsite", "rday", "runit", "ryear", "rmonth"})
        QCOMPARE(rows(hdb.path, table), rows(backup, table));
    QCOMPARE(rows(hdb.path, "rday"), 41);
    QCOMPARE(rows(hdb.path, "rhour"), 0);
}

void tst_CompactCommand::refusals_data() {
    QTest::addColumn<QStringList>("arguments"); // DIR stands for a temporary folder
    QTest::addColumn<QByteArray>("content");    // written to DIR/file.* when not empty
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("error");
    QTest::newRow("no file") << QStringList{"compact"} << QByteArray() << 2 << "one argument";
    QTest::newRow("two files") << QStringList{"compact", "a", "b"} << QByteArray() << 2
                               << "one argument";
    QTest::newRow("missing file") << QStringList{"compact", "DIR/none.sqlite"} << QByteArray() << 1
                                  << "was not found";
    QTest::newRow("access file") << QStringList{"compact", "DIR/file.mdb"}
                                 << QByteArray("\0\1\0\0Standard Jet DB", 19) << 1 << "Access";
    QTest::newRow("text file") << QStringList{"compact", "DIR/file.sqlite"}
                               << QByteArray("not a database") << 1 << "not an SQLite";
}

void tst_CompactCommand::refusals() {
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, content);
    QFETCH(int, status);
    QFETCH(QString, error);
    QTemporaryDir dir;
    for (QString& argument : arguments)
        argument.replace(QLatin1String("DIR"), dir.path());
    if (!content.isEmpty()) {
        QFile file(arguments.last());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    const Result r = run(arguments);
    QCOMPARE(r.status, status);
    QVERIFY2(r.err.contains(error), qPrintable(r.err));
    QCOMPARE(r.err.count(QLatin1Char('\n')), 1);
    // Nothing beside the file was made or changed.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), content.isEmpty() ? 0 : 1);
}

QTEST_GUILESS_MAIN(tst_CompactCommand)
#include "tst_CompactCommand.moc"
