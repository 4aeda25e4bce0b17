#include "core/base/Error.h"
#include "core/db/ConnectionString.h"

#include <QTest>

using namespace rp;

Q_DECLARE_METATYPE(rp::BackendKind)

class TestConnectionString : public QObject {
    Q_OBJECT
private slots:
    void parse_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::newRow("plain") << "Provider=SQLite;Data Source=/tmp/h.sqlite"
                               << "data source"
                               << "/tmp/h.sqlite";
        QTest::newRow("blanks around") << "  Provider = SQLite ; Data Source =  /tmp/a b.db ;"
                                       << "DATA SOURCE"
                                       << "/tmp/a b.db";
        QTest::newRow("double quoted") << "Data Source=\"/tmp/x;y.sqlite\";Provider=SQLite"
                                       << "Data Source"
                                       << "/tmp/x;y.sqlite";
        QTest::newRow("single quoted") << "Provider='SQLite';Data Source='/tmp/h.hdb'"
                                       << "provider"
                                       << "SQLite";
        QTest::newRow("value keeps case") << "Provider=SQLite;Data Source=/Tmp/HDB.sqlite"
                                          << "Data Source"
                                          << "/Tmp/HDB.sqlite";
        QTest::newRow("missing key is empty") << "Provider=SQLite;Data Source=x.db"
                                              << "DBQ"
                                              << "";
        QTest::newRow("empty value") << "Provider=SQLite;Password=;Data Source=x.db"
                                     << "Password"
                                     << "";
        QTest::newRow("equals in value") << "Provider=PostgreSQL;Options=-c a=b"
                                         << "options"
                                         << "-c a=b";
    }
    void parse() {
        QFETCH(QString, text);
        QFETCH(QString, key);
        QFETCH(QString, value);
        const ConnectionString cs = ConnectionString::parse(text);
        QCOMPARE(cs.value(key), value);
        QCOMPARE(cs.text(), text.trimmed());
    }

    void backendKind_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<BackendKind>("kind");
        QTest::addColumn<QString>("path");
        QTest::newRow("sqlite provider") << "Provider=SQLite;Data Source=/d/h.anything"
                                         << BackendKind::Sqlite << "/d/h.anything";
        QTest::newRow("sqlite3 provider")
            << "provider=sqlite3;data source=h" << BackendKind::Sqlite << "h";
        QTest::newRow(".sqlite") << "Data Source=/d/h.sqlite" << BackendKind::Sqlite
                                 << "/d/h.sqlite";
        QTest::newRow(".sqlite3") << "Data Source=/d/h.SQLITE3" << BackendKind::Sqlite
                                  << "/d/h.SQLITE3";
        QTest::newRow(".db") << "Data Source=h.db" << BackendKind::Sqlite << "h.db";
        QTest::newRow(".hdb") << "Data Source=h.hdb" << BackendKind::Sqlite << "h.hdb";
        QTest::newRow("postgres") << "Provider=PostgreSQL;Host=127.0.0.1;Database=hdb"
                                  << BackendKind::PostgreSql << "";
        QTest::newRow("jet") << "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\\hdb\\myHDB.mdb"
                             << BackendKind::Access << "C:\\hdb\\myHDB.mdb";
        QTest::newRow(".accdb") << "Data Source=/d/x.accdb" << BackendKind::Access << "/d/x.accdb";
        QTest::newRow("excel driver")
            << "Driver={Microsoft Excel Driver (*.xls)};DBQ=/d/hdb.xls;ReadOnly=False"
            << BackendKind::Workbook << "/d/hdb.xls";
        QTest::newRow("excel anywhere") << "Provider=Microsoft.Jet.OLEDB.4.0;Data "
                                           "Source=/d/x.xls;Extended Properties=excel 8.0"
                                        << BackendKind::Workbook << "/d/x.xls";
    }
    void backendKind() {
        QFETCH(QString, text);
        QFETCH(BackendKind, kind);
        QFETCH(QString, path);
        const ConnectionString cs = ConnectionString::parse(text);
        QCOMPARE(cs.backendKind(), kind);
        QCOMPARE(cs.databasePath(), path);
    }

    void badInput_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty") << ""
                               << "empty";
        QTest::newRow("only blanks") << " \t "
                                     << "empty";
        QTest::newRow("only semicolons") << ";;;"
                                         << "names no database";
        QTest::newRow("no equals") << "Provider=SQLite;hdb.sqlite"
                                   << "\"hdb.sqlite\" has no '='";
        QTest::newRow("empty key") << "=x;Provider=SQLite"
                                   << "without a key";
        QTest::newRow("open quote") << "Data Source=\"/tmp/h.sqlite"
                                    << "no closing";
        QTest::newRow("unknown provider") << "Provider=Oracle;Data Source=x"
                                          << "\"Oracle\"";
        QTest::newRow("no database named") << "User ID=admin;Password="
                                           << "names no database";
        QTest::newRow("unknown suffix") << "Data Source=/d/hdb.txt"
                                        << "names no database";
    }
    void badInput() {
        QFETCH(QString, text);
        QFETCH(QString, message);
        try {
            ConnectionString::parse(text).backendKind();
            QFAIL("no error");
        } catch (const Error& e) {
            QVERIFY2(e.message().contains(message), qPrintable(e.message()));
        }
    }
};

QTEST_GUILESS_MAIN(TestConnectionString)
#include "tst_ConnectionString.moc"
