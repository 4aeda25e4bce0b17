#include "BrowsingHdb.h"
#include "core/base/Error.h"
#include "core/hdb/MaintenanceRules.h"
#include "providers/sqlite/SqliteCompactor.h"
#include "providers/sqlite/SqliteDatabase.h"

#include <QCryptographicHash>
#include <QtTest>
#include <memory>
#include <optional>
#include <thread>

using namespace rp;
using rp::test::BrowsingHdb;

namespace {

// A compactor whose file operations fail on request.
class FailingCompactor : public SqliteCompactor {
public:
    QString failVacuum, failRemove, failLink, failRename; // the target that fails, by operation
    bool renameFailsOnce = false;
    bool corruptCopy = false;

protected:
    void vacuumInto(const QString& source, const QString& target) override {
        if (failVacuum == target)
            throw Error(QStringLiteral("disk I/O error"));
        SqliteCompactor::vacuumInto(source, target);
        if (corruptCopy) {
            // Scribble over the copy's pages behind the header.
            QFile file(target);
            QVERIFY(file.open(QIODevice::ReadWrite));
            file.seek(4096);
            file.write(QByteArray(8192, '\x5a'));
        }
    }
    bool removeFile(const QString& path) override {
        return path != failRemove && SqliteCompactor::removeFile(path);
    }
    bool linkFile(const QString& existing, const QString& newName) override {
        return newName != failLink && SqliteCompactor::linkFile(existing, newName);
    }
    bool renameFile(const QString& from, const QString& to, bool replace) override {
        if (to == failRename) {
            if (renameFailsOnce)
                failRename.clear();
            return false;
        }
        return SqliteCompactor::renameFile(from, to, replace);
    }
};

// A compactor that lets another connection write while it copies: `during` runs right after
// the copy is written, before it takes the database's place.
class RacedCompactor : public SqliteCompactor {
public:
    std::function<void(const QString& source)> during;

protected:
    void vacuumInto(const QString& source, const QString& target) override {
        SqliteCompactor::vacuumInto(source, target);
        during(source);
    }
};

const QString kRacedUpdate =
    QStringLiteral("UPDATE rday SET value = -777 WHERE datatype_site_id = 1001 AND value = 101");

// Runs the update on `db`: the error message, or none when it was saved.
std::optional<QString> tryUpdate(Database& db) {
    try {
        db.execute(kRacedUpdate);
        return std::nullopt;
    } catch (const Error& e) {
        return e.message();
    }
}

qint64 racedRows(const QString& path) {
    SqliteDatabase db(path);
    return db.open(QStringLiteral("SELECT * FROM rday WHERE value = -777"), LockType::ReadOnly)
        ->recordCount();
}

// Every row of every table, in one digest: equal digests mean no row was lost or changed.
QByteArray contentDigest(const QString& path) {
    SqliteDatabase db(path);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    for (const QString& table : db.tables()) {
        auto rows = db.open(QStringLiteral("SELECT * FROM ") + table, LockType::ReadOnly);
        hash.addData(table.toUtf8());
        for (qsizetype r = 0; r < rows->recordCount(); ++r)
            for (int f = 0; f < rows->fieldCount(); ++f)
                hash.addData(rows->displayText(r, f).toUtf8() + '\t');
    }
    return hash.result();
}

qint64 rowCount(const QString& path, const QString& table) {
    SqliteDatabase db(path);
    auto rows = db.open(QStringLiteral("SELECT * FROM ") + table, LockType::ReadOnly);
    return rows->recordCount();
}

} // namespace

class tst_SqliteCompactor : public QObject {
    Q_OBJECT
private slots:
    void keepsEveryRowAndTheBackup();
    void replacesAnOlderBackupAndAStaleCopy();
    void failureLosesNothing_data();
    void failureLosesNothing();
    void refusesAFileInUse();
    void concurrentWriterLosesNothing_data();
    void concurrentWriterLosesNothing();
};

void tst_SqliteCompactor::keepsEveryRowAndTheBackup() {
    BrowsingHdb hdb;
    {
        // Deleted rows leave free pages that the compaction gives back.
        SqliteDatabase db(hdb.path);
        db.execute(QStringLiteral("DELETE FROM runit WHERE datatype_site_id = 1001"));
    }
    const QByteArray before = contentDigest(hdb.path);
    const qint64 sizeBefore = QFileInfo(hdb.path).size();
    const MaintenanceNames names = maintenanceNames(hdb.path, true);

    const CompactionResult result = SqliteCompactor().compact(hdb.path, names);

    QVERIFY(result.replaced);
    QCOMPARE(result.sizeBefore, sizeBefore);
    QCOMPARE(result.sizeAfter, QFileInfo(hdb.path).size());
    QVERIFY(result.sizeAfter <= sizeBefore);
    QCOMPARE(contentDigest(hdb.path), before);
    QCOMPARE(rowCount(hdb.path, QStringLiteral("rday")), 41);
    QCOMPARE(sqliteIntegrityCheck(hdb.path), QStringList{QStringLiteral("ok")});
    // The previous file is the backup, whole; no copy is left behind.
    QCOMPARE(QFileInfo(names.backup).size(), sizeBefore);
    QCOMPARE(contentDigest(names.backup), before);
    QVERIFY(!QFileInfo::exists(names.fresh));
}

void tst_SqliteCompactor::replacesAnOlderBackupAndAStaleCopy() {
    BrowsingHdb hdb;
    const MaintenanceNames names = maintenanceNames(hdb.path, true);
    for (const QString& path : {names.backup, names.fresh}) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("left from an earlier run");
    }
    const QByteArray before = contentDigest(hdb.path);
    SqliteCompactor().compact(hdb.path, names);
    QCOMPARE(contentDigest(hdb.path), before);
    QCOMPARE(contentDigest(names.backup), before);
    QVERIFY(!QFileInfo::exists(names.fresh));
}

void tst_SqliteCompactor::failureLosesNothing_data() {
    QTest::addColumn<QString>("failing");    // operation:target (B backup, N copy, P database)
    QTest::addColumn<QString>("databaseAt"); // where the whole database must be afterwards
    QTest::addColumn<bool>("copyLeft");      // the compacted copy is still at N
    QTest::newRow("compaction fails") << "vacuum:N"
                                      << "P" << false;
    QTest::newRow("copy fails its check") << "corrupt"
                                          << "P" << false;
    QTest::newRow("old backup cannot be removed") << "remove:B"
                                                  << "P" << true;
    QTest::newRow("copy cannot replace the database") << "rename:P"
                                                      << "P" << true;
    QTest::newRow("no hard links, database cannot move") << "link:B rename:B"
                                                         << "P" << true;
    QTest::newRow("no hard links, copy cannot move, database moved back") << "link:B rename1:P"
                                                                          << "P" << true;
    QTest::newRow("no hard links, nothing moves back") << "link:B rename:P"
                                                       << "B" << true;
}

void tst_SqliteCompactor::failureLosesNothing() {
    QFETCH(QString, failing);
    QFETCH(QString, databaseAt);
    QFETCH(bool, copyLeft);
    BrowsingHdb hdb;
    const MaintenanceNames names = maintenanceNames(hdb.path, true);
    {
        QFile old(names.backup);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("an older backup");
    }
    const QByteArray before = contentDigest(hdb.path);
    const QMap<QString, QString> paths{{"P", hdb.path}, {"B", names.backup}, {"N", names.fresh}};
    FailingCompactor compactor;
    for (const QString& part : failing.split(QLatin1Char(' '))) {
        const QString target = paths.value(part.section(QLatin1Char(':'), 1));
        const QString operation = part.section(QLatin1Char(':'), 0, 0);
        if (operation == QLatin1String("vacuum"))
            compactor.failVacuum = target;
        else if (operation == QLatin1String("remove"))
            compactor.failRemove = target;
        else if (operation == QLatin1String("link"))
            compactor.failLink = target;
        else if (operation.startsWith(QLatin1String("rename"))) {
            compactor.failRename = target;
            compactor.renameFailsOnce = operation.endsWith(QLatin1Char('1'));
        } else
            compactor.corruptCopy = true;
    }

    QString message;
    try {
        compactor.compact(hdb.path, names);
        QFAIL("the compaction should have failed");
    } catch (const Error& e) {
        message = e.message();
    }
    const QString at = paths.value(databaseAt);
    QVERIFY2(message.contains(at), qPrintable(message));
    QCOMPARE(contentDigest(at), before);
    QCOMPARE(QFileInfo::exists(names.fresh), copyLeft);
    if (copyLeft)
        QCOMPARE(contentDigest(names.fresh), before);
}

void tst_SqliteCompactor::refusesAFileInUse() {
    BrowsingHdb hdb;
    const MaintenanceNames names = maintenanceNames(hdb.path, true);
    {
        QFile journal(hdb.path + QStringLiteral("-journal"));
        QVERIFY(journal.open(QIODevice::WriteOnly));
        journal.write(QByteArray(512, '\1'));
    }
    const qint64 size = QFileInfo(hdb.path).size();
    QVERIFY_THROWS_EXCEPTION(Error, SqliteCompactor().compact(hdb.path, names));
    QCOMPARE(QFileInfo(hdb.path).size(), size);
    QVERIFY(!QFileInfo::exists(names.backup));
    QVERIFY(!QFileInfo::exists(names.fresh));
}

void tst_SqliteCompactor::concurrentWriterLosesNothing_data() {
    QTest::addColumn<QString>("writer");
    QTest::addColumn<QString>("refusal"); // a word of the writer's message
    QTest::newRow("writes while the copy is made") << "during"
                                                   << "busy";
    QTest::newRow("waits on a thread until the copy is in place") << "thread"
                                                                  << "";
    QTest::newRow("opened before, writes after") << "before"
                                                 << "replaced";
}

void tst_SqliteCompactor::concurrentWriterLosesNothing() {
    QFETCH(QString, writer);
    QFETCH(QString, refusal);
    BrowsingHdb hdb;
    const MaintenanceNames names = maintenanceNames(hdb.path, true);
    std::optional<QString> outcome;
    std::thread waiting;
    auto early = std::make_unique<SqliteDatabase>(hdb.path);
    early->open(QStringLiteral("SELECT * FROM rday"), LockType::ReadOnly);
    RacedCompactor compactor;
    compactor.during = [&](const QString& source) {
        if (writer == QLatin1String("during")) {
            SqliteDatabase db(source);
            outcome = tryUpdate(db);
        } else if (writer == QLatin1String("thread")) {
            waiting = std::thread([&outcome, source] {
                SqliteDatabase db(source);
                outcome = tryUpdate(db);
            });
            // Give the thread time to start waiting for the database.
            QThread::msleep(300);
        }
    };
    const CompactionResult result = compactor.compact(hdb.path, names);
    if (waiting.joinable())
        waiting.join();
    if (writer == QLatin1String("before"))
        outcome = tryUpdate(*early);
    early.reset();

    QVERIFY(result.replaced);
    QCOMPARE(sqliteIntegrityCheck(hdb.path), QStringList{QStringLiteral("ok")});
    // Either the write was refused, in words, and is nowhere; or it is in the database.
    if (outcome) {
        QVERIFY2(outcome->contains(refusal, Qt::CaseInsensitive), qPrintable(*outcome));
        QCOMPARE(racedRows(hdb.path), 0);
        QCOMPARE(racedRows(names.backup), 0);
    } else {
        QCOMPARE(racedRows(hdb.path), 1);
    }
}

QTEST_GUILESS_MAIN(tst_SqliteCompactor)
#include "tst_SqliteCompactor.moc"
