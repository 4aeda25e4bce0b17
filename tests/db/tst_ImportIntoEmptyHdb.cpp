// An HDB copied into one whose tables exist and are empty (as init-db leaves them), on each
// backend; one holding rows is refused and keeps them.

#include "BackendHdb.h"
#include "SmallHdb.h"

#include "core/base/Error.h"
#include "core/db/Database.h"
#include "core/hdb/HdbImport.h"

#include <QTest>

using namespace rp;

namespace {

QString counts(Database& db) {
    const auto set = db.open(QStringLiteral("SELECT (SELECT count(*) FROM rsite) & ' ' & "
                                            "(SELECT count(*) FROM rday) & ' ' & "
                                            "(SELECT count(*) FROM rhour)"),
                             LockType::ReadOnly);
    return set->value(0, 0).toString();
}

} // namespace

class tst_ImportIntoEmptyHdb : public QObject {
    Q_OBJECT
private slots:
    void intoEmptyTables_data() { rp::test::addBackendRows(); }
    void intoEmptyTables() {
        RP_BACKEND_HDB(hdb);
        rp::test::SmallHdb source;
        const QString expected = counts(*source.db());
        QVERIFY(importHdb(source.connection(), hdb.connection()) > 0);
        QCOMPARE(counts(*hdb.openAnother()), expected);
    }

    void refusedWithRows_data() { rp::test::addBackendRows(); }
    void refusedWithRows() {
        RP_BACKEND_HDB(hdb);
        rp::test::SmallHdb source;
        hdb.db()->executeNative(QStringLiteral(
            "INSERT INTO rsite VALUES (1, '1', 'A', 'CA', 1, 42, 'discharge', 'cfs', 19)"));
        try {
            importHdb(source.connection(), hdb.connection());
            QFAIL("an HDB holding rows was accepted");
        } catch (const Error& e) {
            QVERIFY2(e.message().contains(QLatin1String("holds rows in rsite")),
                     qPrintable(e.message()));
        }
        QCOMPARE(counts(*hdb.openAnother()), QStringLiteral("1 0 0"));
    }
};

QTEST_GUILESS_MAIN(tst_ImportIntoEmptyHdb)
#include "tst_ImportIntoEmptyHdb.moc"
