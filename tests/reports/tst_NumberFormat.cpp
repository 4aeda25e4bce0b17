#include "core/base/Error.h"
#include "core/reports/NumberFormat.h"

#include <QTest>
#include <limits>

using namespace rp;

class tst_NumberFormat : public QObject {
    Q_OBJECT
private slots:
    void fmCells_data();
    void fmCells();
    void formatUnpadded_data();
    void formatUnpadded();
    void leading_data();
    void leading();
    void rejects();
};

void tst_NumberFormat::fmCells_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("expected");

    QTest::newRow("two decimals 7") << 7.0 << "#####0.00"
                                    << "     7.00";
    QTest::newRow("two decimals -0.5") << -0.5 << "#####0.00"
                                       << "    -0.50";
    QTest::newRow("two decimals 0.5") << 0.5 << "#####0.00"
                                      << "     0.50";
    QTest::newRow("two decimals 0") << 0.0 << "#####0.00"
                                    << "     0.00";
    QTest::newRow("two decimals half up 0.285") << 0.285 << "#####0.00"
                                                << "     0.29";
    QTest::newRow("two decimals half away -0.285") << -0.285 << "#####0.00"
                                                   << "    -0.29";
    QTest::newRow("two decimals 0.1+0.2") << 0.1 + 0.2 << "#####0.00"
                                          << "     0.30";
    QTest::newRow("two decimals 0.94") << 0.94 << "#####0.00"
                                       << "     0.94";
    QTest::newRow("two decimals carry 0.999") << 0.999 << "#####0.00"
                                              << "     1.00";
    QTest::newRow("two decimals tiny negative") << -0.001 << "#####0.00"
                                                << "     0.00";
    QTest::newRow("one decimal 5") << 5.0 << "######0.0"
                                   << "      5.0";
    QTest::newRow("one decimal 1.15") << 1.15 << "######0.0"
                                      << "      1.2";
    QTest::newRow("one decimal 9.45") << 9.45 << "######0.0"
                                      << "      9.5";
    QTest::newRow("one decimal 0.05") << 0.05 << "######0.0"
                                      << "      0.1";
    QTest::newRow("no decimals 123.4") << 123.4 << "########0"
                                       << "      123";
    QTest::newRow("no decimals 198.35") << 198.35 << "########0"
                                        << "      198";
    QTest::newRow("no decimals 2.5") << 2.5 << "########0"
                                     << "        3";
    QTest::newRow("no decimals -2.5") << -2.5 << "########0"
                                      << "       -3";
    QTest::newRow("no decimals 9.5") << 9.5 << "########0"
                                     << "       10";
    QTest::newRow("no decimals nine digits") << 123456789.0 << "########0"
                                             << "123456789";
    QTest::newRow("no decimals ten digits cut") << 1234567890.0 << "########0"
                                                << "123456789";
    QTest::newRow("year") << 1999.0 << "####"
                          << "1999";
    QTest::newRow("year ten digits cut") << 9876543210.0 << "####"
                                         << "9876";
    QTest::newRow("year three digits") << 999.0 << "####"
                                       << " 999";
    QTest::newRow("year zero shows nothing") << 0.0 << "####"
                                             << "    ";
    QTest::newRow("day 1") << 1.0 << "     ##"
                           << "      1";
    QTest::newRow("day 31") << 31.0 << "     ##"
                            << "     31";
    QTest::newRow("grouped") << 1234567.4 << "###,###,##0"
                             << "  1,234,567";
    QTest::newRow("grouped small") << 198.0 << "###,###,##0"
                                   << "        198";
    QTest::newRow("grouped negative") << -1234.5 << "###,###,##0"
                                      << "     -1,235";
    QTest::newRow("grouped round to thousand") << 999.5 << "###,###,##0"
                                               << "      1,000";
    QTest::newRow("quarter count") << 15.5 << "#0"
                                   << "16";
    QTest::newRow("quarter count zero") << 0.4 << "#0"
                                        << " 0";
    QTest::newRow("total") << 1234.0 << " #######0"
                           << "     1234";
    QTest::newRow("total big") << 123456789.0 << " #######0"
                               << " 12345678";
    QTest::newRow("year column") << 2001.0 << "#### "
                                 << "2001 ";
    QTest::newRow("hour") << 7.0 << "    #0"
                          << "     7";
    QTest::newRow("hour 24") << 24.0 << "    #0"
                             << "    24";
    QTest::newRow("hourly two decimals") << 1.234 << " 0.00  "
                                         << " 1.23  ";
    QTest::newRow("hourly three decimals") << 0.05 << " 0.000  "
                                           << " 0.050  ";
    QTest::newRow("hourly one decimal") << 4.25 << " 0.0  "
                                        << " 4.3  ";
    QTest::newRow("hourly two digits pad") << 5.0 << " 00  "
                                           << " 05  ";
    QTest::newRow("large value") << 1e20 << "########0"
                                 << "100000000";
}

void tst_NumberFormat::fmCells() {
    QFETCH(double, value);
    QFETCH(QString, pattern);
    QFETCH(QString, expected);
    QCOMPARE(fm(value, pattern), expected);
    QCOMPARE(fm(value, pattern).size(), pattern.size());
}

void tst_NumberFormat::formatUnpadded_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("expected");
    QTest::newRow("annual mean") << 12.345 << "#####0.00"
                                 << "12.35";
    QTest::newRow("annual format #0") << 4.0 << "#0"
                                      << "4";
    QTest::newRow("annual acre-feet") << 72396.5 << "###,###,##0"
                                      << "72,397";
    QTest::newRow("wind mean") << 4.0 << " 0.00 "
                               << " 4.00 ";
    QTest::newRow("wind mode") << 0.25 << "0.00 "
                               << "0.25 ";
    QTest::newRow("large") << 1e20 << "########0"
                           << "100000000000000000000";
    QTest::newRow("small") << 1.5e-7 << "#####0.00"
                           << "0.00";
    QTest::newRow("no integer digit") << 0.5 << "#.00"
                                      << ".50";
    QTest::newRow("hourly whole") << 123.5 << " 0  "
                                  << " 124  ";
    QTest::newRow("hourly two digits at least") << 1234.4 << " 00  "
                                                << " 1234  ";
    QTest::newRow("hourly negative") << -3.0 << " 0.0  "
                                     << " -3.0  ";
    QTest::newRow("optional decimals") << 1.5 << "0.##"
                                       << "1.5";
}

void tst_NumberFormat::formatUnpadded() {
    QFETCH(double, value);
    QFETCH(QString, pattern);
    QFETCH(QString, expected);
    QCOMPARE(formatNumber(value, pattern), expected);
}

void tst_NumberFormat::leading_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");
    QTest::newRow("plain") << "12.5" << 12.5;
    QTest::newRow("trailing word") << "12.5 x" << 12.5;
    QTest::newRow("leading blanks") << "     7.25" << 7.25;
    QTest::newRow("negative") << "-3" << -3.0;
    QTest::newRow("plus") << "+3" << 3.0;
    QTest::newRow("no leading digit") << ".5" << 0.5;
    QTest::newRow("negative no leading digit") << "-.5" << -0.5;
    QTest::newRow("exponent") << "1.5e3" << 1500.0;
    QTest::newRow("exponent without digits") << "12e" << 12.0;
    QTest::newRow("negative exponent") << "2E-2" << 0.02;
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("text") << "abc" << 0.0;
    QTest::newRow("placeholder") << "      ---" << 0.0;
    QTest::newRow("sign alone") << "-" << 0.0;
    QTest::newRow("number then dashes") << "5--" << 5.0;
    QTest::newRow("underflow") << "1e-999" << 0.0;
}

void tst_NumberFormat::leading() {
    QFETCH(QString, text);
    QFETCH(double, expected);
    QCOMPARE(leadingNumber(text), expected);
}

void tst_NumberFormat::rejects() {
    QVERIFY_THROWS_EXCEPTION(Error, leadingNumber(u"1e999"));
    QVERIFY_THROWS_EXCEPTION(Error, fm(std::numeric_limits<double>::infinity(), u"#0"));
    QVERIFY_THROWS_EXCEPTION(Error, fm(std::numeric_limits<double>::quiet_NaN(), u"#0"));
    QVERIFY_THROWS_EXCEPTION(Error, fm(1, u"abc"));
}

QTEST_GUILESS_MAIN(tst_NumberFormat)
#include "tst_NumberFormat.moc"
