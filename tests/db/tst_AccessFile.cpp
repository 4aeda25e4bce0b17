#include "TestSupport.h"

#include "core/base/Error.h"
#include "providers/access/AccessFileCheck.h"
#include "providers/access/AccessValues.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <limits>

using namespace rp;

namespace {

QString checkError(const QString& path) {
    return rp::test::errorMessageOf([&] { checkAccessFile(path); });
}

// The bytes as a file named name in dir.
QString written(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write(bytes);
    return path;
}

QByteArray jetHeader(const char* kind, char version, int pages, int pageSize) {
    QByteArray bytes(pages * pageSize, '\0');
    const QByteArray head = QByteArray("\0\1\0\0", 4) + QByteArray(kind) + QByteArray(1, '\0');
    bytes.replace(0, head.size(), head);
    bytes[0x14] = version;
    // The table catalogue's page marker, when the file is long enough to hold that page.
    if (bytes.size() > 2 * pageSize + 1) {
        bytes[2 * pageSize] = 0x02;
        bytes[2 * pageSize + 1] = 0x01;
    }
    return bytes;
}

} // namespace

class TestAccessFile : public QObject {
    Q_OBJECT
private slots:
    void headerTellsTheFormat_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("pageSize");
        QTest::addColumn<QString>("name");
        QTest::newRow("Jet 3") << jetHeader("Standard Jet DB", 0, 3, 2048) << 2048 << "Jet 3";
        QTest::newRow("Jet 4") << jetHeader("Standard Jet DB", 1, 4, 4096) << 4096 << "Jet 4";
        QTest::newRow("ACE 12") << jetHeader("Standard ACE DB", 2, 3, 4096) << 4096 << "ACE 12";
        QTest::newRow("ACE 14") << jetHeader("Standard ACE DB", 3, 3, 4096) << 4096 << "ACE 14";
    }
    void headerTellsTheFormat() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, pageSize);
        QFETCH(QString, name);
        QTemporaryDir dir;
        const QString path = written(dir, QStringLiteral("x.mdb"), bytes);
        const AccessFileFormat format = checkAccessFile(path);
        QCOMPARE(format.pageSize, pageSize);
        QCOMPARE(format.name, name);
        QCOMPARE(format.pageCount, bytes.size() / pageSize);
    }

    void badFilesAreNamed_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");
        const QByteArray jet4 = jetHeader("Standard Jet DB", 1, 4, 4096);
        QTest::newRow("empty") << QByteArray() << "is not an Access database";
        QTest::newRow("text") << QByteArray("site_id,value\n1,2\n") << "is not an Access database";
        QTest::newRow("SQLite") << QByteArray("SQLite format 3\0", 16) + QByteArray(4080, '\0')
                                << "is not an Access database";
        QByteArray noise(8192, '\0');
        QRandomGenerator random(12);
        for (char& c : noise)
            c = char(random.bounded(256));
        QTest::newRow("random bytes") << noise << "is not an Access database";
        QTest::newRow("signature only") << jet4.left(0x18) << "ends in the middle of a page";
        QTest::newRow("cut in a page")
            << jet4.left(3 * 4096 + 100) << "ends in the middle of a page";
        QTest::newRow("no catalogue page") << jet4.left(2 * 4096) << "too short";
        QByteArray unknown = jet4;
        unknown[0x14] = 9;
        QTest::newRow("unknown version") << unknown << "version (9)";
        QByteArray jet3AsAce = jetHeader("Standard ACE DB", 0, 4, 4096);
        QTest::newRow("ACE claiming Jet 3") << jet3AsAce << "version (0)";
        QByteArray noCatalogue = jet4;
        noCatalogue[2 * 4096] = 0x01;
        QTest::newRow("catalogue overwritten") << noCatalogue << "table catalogue is not where";
        // A Jet 4 header on a Jet 3 length: the pages do not come out whole.
        QTest::newRow("Jet 4 with 2048-byte pages")
            << jetHeader("Standard Jet DB", 1, 1, 4096) + QByteArray(2048 * 3, '\0')
            << "ends in the middle of a page";
    }
    void badFilesAreNamed() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString error = checkError(written(dir, QStringLiteral("bad.mdb"), bytes));
        QVERIFY2(error.contains(message), qPrintable(error));
        QVERIFY2(error.contains(QStringLiteral("bad.mdb")), qPrintable(error));
    }

    void missingAndFolderAreNamed() {
        QTemporaryDir dir;
        QVERIFY(checkError(dir.filePath(QStringLiteral("none.mdb"))).contains("does not exist"));
        QVERIFY(checkError(dir.path()).contains(QStringLiteral("is a folder")));
    }

    void realFilesPass_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("name");
        QTest::newRow("nwind") << "mdb/nwind.mdb"
                               << "Jet 3";
        QTest::newRow("dates") << "mdb/DateTestDatabase.mdb"
                               << "Jet 4";
        QTest::newRow("accdb") << "mdb/ASampleDatabase.accdb"
                               << "ACE 12";
    }
    void realFilesPass() {
        QFETCH(QString, file);
        QFETCH(QString, name);
        RP_REQUIRE_SHARED_DATA(path, file);
        QCOMPARE(checkAccessFile(path).name, name);
    }

    void jetDates_data() {
        QTest::addColumn<double>("days");
        QTest::addColumn<QString>("text");
        QTest::newRow("epoch") << 0.0 << "1899-12-30 00:00:00";
        QTest::newRow("a day on") << 1.0 << "1899-12-31 00:00:00";
        QTest::newRow("1900") << 2.0 << "1900-01-01 00:00:00";
        QTest::newRow("noon") << 44532.5 << "2021-12-02 12:00:00";
        QTest::newRow("quarter past seven")
            << 36526.0 + (7 * 60 + 15) / 1440.0 << "2000-01-01 07:15:00";
        QTest::newRow("a millisecond") << 36526.0 + 1.0 / 86400000.0 << "2000-01-01 00:00:00.001";
        // Before the epoch the day counts back but the time forward.
        QTest::newRow("before, with a time") << -1.25 << "1899-12-29 06:00:00";
        QTest::newRow("noon of the epoch, negative") << -0.5 << "1899-12-30 12:00:00";
        QTest::newRow("a year before") << -363.0 << "1899-01-01 00:00:00";
        QTest::newRow("pre-1000") << -463126.0 << "0632-01-01 00:00:00";
        QTest::newRow("first Jet day") << -657434.0 << "0100-01-01 00:00:00";
        QTest::newRow("year 9999") << 2958101.0 << "9999-01-01 00:00:00";
        QTest::newRow("last second") << 2958465.0 + 86399.0 / 86400.0 << "9999-12-31 23:59:59";
        QTest::newRow("rounds to midnight") << 1.9999999999 << "1900-01-01 00:00:00";
        QTest::newRow("rounds to midnight before") << -1.9999999999 << "1899-12-30 00:00:00";
        QTest::newRow("after 9999") << 2958466.0 << "";
        QTest::newRow("before 100") << -657435.0 << "";
        QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << "";
        QTest::newRow("infinite") << std::numeric_limits<double>::infinity() << "";
    }
    void jetDates() {
        QFETCH(double, days);
        QFETCH(QString, text);
        QCOMPARE(QString::fromStdString(jetDateTimeText(days)), text);
    }

    void singlesReadAsTyped_data() {
        QTest::addColumn<float>("single");
        QTest::addColumn<double>("value");
        QTest::newRow("0.1") << 0.1f << 0.1;
        QTest::newRow("12.5") << 12.5f << 12.5;
        QTest::newRow("negative") << -1234.56f << -1234.56;
        QTest::newRow("small") << 0.001f << 0.001;
        QTest::newRow("zero") << 0.0f << 0.0;
    }
    void singlesReadAsTyped() {
        QFETCH(float, single);
        QFETCH(double, value);
        QCOMPARE(jetSingleValue(single), value);
    }

    void currency() {
        QCOMPARE(jetCurrencyValue(127500), 12.75);
        QCOMPARE(jetCurrencyValue(-1), -0.0001);
    }
};

QTEST_GUILESS_MAIN(TestAccessFile)
#include "tst_AccessFile.moc"
