// The one mapping from a file's qualifier codes to HDB source marks.
#include "formats/readers/Qualifiers.h"

#include <QtTest>

using namespace rp::readers;

class tst_Qualifiers : public QObject {
    Q_OBJECT
private slots:
    void source_data();
    void source();
};

void tst_Qualifiers::source_data() {
    QTest::addColumn<QString>("code");
    QTest::addColumn<int>("scheme");
    QTest::addColumn<int>("source");
    const int usgs = int(QualifierScheme::Usgs), hydat = int(QualifierScheme::Hydat);
    QTest::newRow("none") << QString() << usgs << int(HdbSource::Approved);
    QTest::newRow("A") << u"A"_qs << usgs << int(HdbSource::Approved);
    QTest::newRow("P") << u"P"_qs << usgs << int(HdbSource::Provisional);
    QTest::newRow("raw ??") << u"??"_qs << usgs << int(HdbSource::Provisional);
    QTest::newRow("e") << u"e"_qs << usgs << int(HdbSource::Estimated);
    QTest::newRow("A:e") << u"A:e"_qs << usgs << int(HdbSource::Estimated);
    QTest::newRow("Ae as one code") << u"Ae"_qs << usgs << int(HdbSource::Estimated);
    QTest::newRow("P Ice") << u"P Ice"_qs << usgs << int(HdbSource::Ice);
    QTest::newRow("Eqp") << u"Eqp"_qs << usgs << int(HdbSource::Provisional);
    QTest::newRow("hydat none") << QString() << hydat << int(HdbSource::Approved);
    QTest::newRow("hydat A partial") << u"A"_qs << hydat << int(HdbSource::Estimated);
    QTest::newRow("hydat B ice") << u"B"_qs << hydat << int(HdbSource::Ice);
    QTest::newRow("hydat E") << u"E"_qs << hydat << int(HdbSource::Estimated);
    QTest::newRow("hydat D dry") << u"D"_qs << hydat << int(HdbSource::Approved);
}

void tst_Qualifiers::source() {
    QFETCH(QString, code);
    QFETCH(int, scheme);
    QFETCH(int, source);
    QCOMPARE(int(hdbSource(code, QualifierScheme(scheme))), source);
}

QTEST_GUILESS_MAIN(tst_Qualifiers)
#include "tst_Qualifiers.moc"
