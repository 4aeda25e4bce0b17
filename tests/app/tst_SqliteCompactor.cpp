#include "BrowsingHdb.h"
#include "core/base/Error.h"
#include "core/hdb/MaintenanceRules.h"
#include "providers/sqlite/SqliteCompactor.h"
#include "providers/sqlite/SqliteDatabase.h"

#include <QCryptographicHash>
#include <QtTest>

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

QTEST_GUILESS_MAIN(tst_SqliteCompactor)
#include "tst_SqliteCompactor.moc"
