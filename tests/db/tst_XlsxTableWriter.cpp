#include "XlsxRows.h"
#include "core/base/Error.h"
#include "core/base/JetDate.h"
#include "formats/xlsx/XlsxReader.h"
#include "formats/xlsx/XlsxTableWriter.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace rp;
using namespace rp::test;

Q_DECLARE_METATYPE(rp::XlsxTableWriter::Strings)

namespace {

QDateTime at(int y, int m, int d, int h = 0, int min = 0, int s = 0) {
    return naiveDateTime(QDate(y, m, d), QTime(h, min, s));
}
QVariant n(double v) {
    return QVariant(v);
}
QVariant text(const char* v) {
    return QVariant(QString::fromUtf8(v));
}

} // namespace

class TestXlsxTableWriter : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

    QString file(const QString& name) const { return m_dir.filePath(name); }

private slots:
    void ownWriterRoundTrip_data() {
        QTest::addColumn<XlsxTableWriter::Strings>("strings");
        QTest::newRow("inline strings") << XlsxTableWriter::Strings::Inline;
        QTest::newRow("shared strings") << XlsxTableWriter::Strings::Shared;
    }
    void ownWriterRoundTrip() {
        QFETCH(XlsxTableWriter::Strings, strings);
        const QString path = file(QStringLiteral("own-%1.xlsx").arg(int(strings)));
        const QList<QVariantList> rday = {
            {n(1001), at(1999, 3, 5), n(12.5), text("A")},
            {n(1001), at(1999, 3, 5, 6, 15), n(-0.001), QVariant()},
            {n(1002), at(2020, 2, 29, 23, 59, 59), QVariant(), text("e")},
            {n(1002), at(1900, 1, 15), n(1e12), text("007")},
            {n(1003), at(1900, 3, 1, 12), n(0), text("Fluß ÿ € 水")},
        };
        const QList<QVariantList> rsite = {
            {n(7), text("  padded  "), QVariant(true), QVariant(false)},
        };
        {
            XlsxTableWriter writer(path, strings);
            writer.addSheet(QStringLiteral("rday"),
                            {"datatype_site_id", "date_time", "value", "source"}, rday);
            writer.addSheet(QStringLiteral("rsite"), {"site_id", "site_name", "a", "b"}, rsite);
            writer.close();
        }
        const XlsxReader reader(path);
        QCOMPARE(reader.sheetNames(), QStringList({"rday", "rsite"}));
        QVERIFY(reader.hasSheet(QStringLiteral("RSITE")));
        QList<QVariantList> expected = {
            {text("datatype_site_id"), text("date_time"), text("value"), text("source")}};
        expected += rday;
        expected[2].removeLast(); // a trailing null is no cell
        QCOMPARE(rowsDifference(reader.readSheet(QStringLiteral("rday")), expected), QString());
        expected = {{text("site_id"), text("site_name"), text("a"), text("b")}};
        expected += rsite;
        QCOMPARE(rowsDifference(reader.readSheet(QStringLiteral("Rsite")), expected), QString());
    }

    void badSheetNames_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("too long") << QString(32, QLatin1Char('a'));
        QTest::newRow("bracket") << "rday[1]";
        QTest::newRow("slash") << "a/b";
        QTest::newRow("empty") << "";
    }
    void badSheetNames() {
        QFETCH(QString, name);
        const QString path = file(QStringLiteral("bad-name.xlsx"));
        {
            XlsxTableWriter writer(path);
            QVERIFY_THROWS_EXCEPTION(Error, writer.addSheet(name, {"a"}, QList<QVariantList>()));
            QVERIFY_THROWS_EXCEPTION(Error, writer.close());
        }
        QVERIFY(!QFile::exists(path));
    }

    void textTooLongForACellIsRefused() {
        const QString path = file(QStringLiteral("long.xlsx"));
        {
            XlsxTableWriter writer(path);
            QVERIFY_THROWS_EXCEPTION(
                Error, writer.addSheet(QStringLiteral("s"), {"a"},
                                       QList<QVariantList>{{QString(32768, QLatin1Char('x'))}}));
        }
        QVERIFY(!QFile::exists(path));
    }

    void abandonedWriterLeavesNoFile() {
        const QString path = file(QStringLiteral("abandoned.xlsx"));
        {
            XlsxTableWriter writer(path);
            writer.addSheet(QStringLiteral("s"), {"a"}, QList<QVariantList>{{n(1)}});
        }
        QVERIFY(!QFile::exists(path));
    }
};

QTEST_GUILESS_MAIN(TestXlsxTableWriter)
#include "tst_XlsxTableWriter.moc"
