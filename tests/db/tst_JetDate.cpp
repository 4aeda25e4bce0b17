#include "core/base/JetDate.h"

#include <QTest>

using namespace rp;

class TestJetDate : public QObject {
    Q_OBJECT

    static QString iso(const std::optional<QDateTime>& dt) {
        return dt ? isoDateTimeText(*dt) : QStringLiteral("<none>");
    }

private slots:
    void parseJet_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        const char* const rows[][2] = {
            // Dates as the program writes them and as users type them.
            {"05-Mar-1999", "1999-03-05 00:00:00"},
            {"5-mar-1999", "1999-03-05 00:00:00"},
            {"5-March-1999", "1999-03-05 00:00:00"},
            {"05-Mar-99", "1999-03-05 00:00:00"},
            {"3/5/1999", "1999-03-05 00:00:00"},
            {"3/01/2005", "2005-03-01 00:00:00"},
            {"12/31/99", "1999-12-31 00:00:00"},
            {"1/1/29", "2029-01-01 00:00:00"},
            {"1/1/30", "1930-01-01 00:00:00"},
            {"1999-03-05", "1999-03-05 00:00:00"},
            {"  29-Feb-2012  ", "2012-02-29 00:00:00"},
            // With a time of day.
            {"05-Mar-1999 13:45", "1999-03-05 13:45:00"},
            {"05-Mar-1999 13:45:10", "1999-03-05 13:45:10"},
            {"3/5/1999 1:45 PM", "1999-03-05 13:45:00"},
            {"3/5/1999 12:00 am", "1999-03-05 00:00:00"},
            {"3/5/1999 12:30:15 PM", "1999-03-05 12:30:15"},
            {"1999-03-05T07:08:09", "1999-03-05 07:08:09"},
            // Not dates.
            {"31-Feb-2012", "<none>"},
            {"29-Feb-2011", "<none>"},
            {"13/1/2000", "<none>"},
            {"1/32/2000", "<none>"},
            {"05-Foo-1999", "<none>"},
            {"05-Mar-1999 25:00", "<none>"},
            {"05-Mar-1999 13:00 PM", "<none>"},
            {"05-Mar-1999 noon", "<none>"},
            {"1999", "<none>"},
            {"abc", "<none>"},
            {"", "<none>"},
        };
        for (const auto& row : rows)
            QTest::newRow(row[0]) << QString::fromLatin1(row[0]) << QString::fromLatin1(row[1]);
    }
    void parseJet() {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(iso(parseJetDateTime(text)), expected);
    }

    void parseIso_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("date") << "1999-03-05"
                              << "1999-03-05 00:00:00";
        QTest::newRow("minutes") << "1999-03-05 07:15"
                                 << "1999-03-05 07:15:00";
        QTest::newRow("seconds") << "1999-03-05 07:15:30"
                                 << "1999-03-05 07:15:30";
        QTest::newRow("fraction") << "1999-03-05 07:15:30.250"
                                  << "1999-03-05 07:15:30";
        QTest::newRow("T separator") << "1999-03-05T07:15:30"
                                     << "1999-03-05 07:15:30";
        QTest::newRow("not on the calendar") << "1999-02-29"
                                             << "<none>";
        QTest::newRow("bad hour") << "1999-03-05 24:00"
                                  << "<none>";
        QTest::newRow("one-digit month") << "1999-3-05"
                                         << "<none>";
        QTest::newRow("jet text") << "05-Mar-1999"
                                  << "<none>";
    }
    void parseIso() {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(iso(parseIsoDateTime(text)), expected);
    }

    void fractionKept() {
        const auto dt = parseIsoDateTime(u"1999-03-05 07:15:30.25");
        QVERIFY(dt);
        QCOMPARE(dt->time().msec(), 250);
    }

    // Naive date-times never shift, whatever the local time zone does that night.
    void naiveIsUtc() {
        const QDateTime dt = naiveDateTime(QDate(2021, 3, 14), QTime(2, 30));
        QCOMPARE(dt.timeSpec(), Qt::UTC);
        QCOMPARE(dt.time(), QTime(2, 30));
        QCOMPARE(parseJetDateTime(u"3/14/2021 2:30")->timeSpec(), Qt::UTC);
    }

    void gridText_data() {
        QTest::addColumn<QDateTime>("dateTime");
        QTest::addColumn<QString>("expected");
        QTest::newRow("midnight shows the date only")
            << naiveDateTime(QDate(1999, 3, 5)) << "3/5/1999";
        QTest::newRow("morning") << naiveDateTime(QDate(1999, 3, 5), QTime(7, 15))
                                 << "3/5/1999 7:15:00 AM";
        QTest::newRow("noon") << naiveDateTime(QDate(1999, 12, 31), QTime(12, 0, 1))
                              << "12/31/1999 12:00:01 PM";
        QTest::newRow("after midnight")
            << naiveDateTime(QDate(2000, 1, 1), QTime(0, 0, 5)) << "1/1/2000 12:00:05 AM";
        QTest::newRow("evening") << naiveDateTime(QDate(2000, 1, 1), QTime(23, 45))
                                 << "1/1/2000 11:45:00 PM";
    }
    void gridText() {
        QFETCH(QDateTime, dateTime);
        QFETCH(QString, expected);
        QCOMPARE(gridDateTimeText(dateTime), expected);
        // What the grid shows reads back as the same date-time.
        QCOMPARE(parseJetDateTime(expected), std::optional<QDateTime>(dateTime));
    }
};

QTEST_GUILESS_MAIN(TestJetDate)
#include "tst_JetDate.moc"
