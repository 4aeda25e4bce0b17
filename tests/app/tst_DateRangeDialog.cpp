#include "app/dialogs/DateRangeDialog.h"

#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QtTest>

using namespace rp;

class tst_DateRangeDialog : public QObject {
    Q_OBJECT
private slots:
    void dateText_data();
    void dateText();
    void lists();
    void boxesFromDateTexts();
    void presetsThenOk_data();
    void presetsThenOk();
    void escapeWritesNothing();
};

void tst_DateRangeDialog::dateText_data() {
    QTest::addColumn<QString>("day");
    QTest::addColumn<QString>("month");
    QTest::addColumn<QString>("year");
    QTest::addColumn<QString>("text");
    QTest::newRow("from the lists") << "05"
                                    << "Mar"
                                    << "2012"
                                    << "05-Mar-2012";
    QTest::newRow("typed loosely") << " 5"
                                   << "mar"
                                   << "2012 "
                                   << "05-Mar-2012";
    QTest::newRow("year outside the list") << "05"
                                           << "Mar"
                                           << "1960"
                                           << "05-Mar-1960";
    QTest::newRow("leap day") << "29"
                              << "Feb"
                              << "2012"
                              << "29-Feb-2012";
    // Not a calendar date: passed on as typed, for the query to report.
    QTest::newRow("31 February") << "31"
                                 << "Feb"
                                 << "2012"
                                 << "31-Feb-2012";
    QTest::newRow("29 February 2013") << "29"
                                      << "Feb"
                                      << "2013"
                                      << "29-Feb-2013";
    QTest::newRow("words") << "xx"
                           << "Jan"
                           << "2012"
                           << "xx-Jan-2012";
}

void tst_DateRangeDialog::dateText() {
    QFETCH(QString, day);
    QFETCH(QString, month);
    QFETCH(QString, year);
    QFETCH(QString, text);
    QCOMPARE(DateRangeDialog::dateText(day, month, year), text);
}

void tst_DateRangeDialog::lists() {
    DateRangeDialog form([] { return QDate(2013, 1, 15); });
    for (int i = 0; i < 6; ++i)
        QCOMPARE(form.combo(i)->count(), 0);
    form.fillLists(2013);
    for (int start : {0, 3}) {
        QCOMPARE(form.combo(start)->count(), 31);
        QCOMPARE(form.combo(start)->itemText(0), QStringLiteral("01"));
        QCOMPARE(form.combo(start)->itemText(30), QStringLiteral("31"));
        QCOMPARE(form.combo(start + 1)->count(), 12);
        QCOMPARE(form.combo(start + 1)->itemText(0), QStringLiteral("Jan"));
        QCOMPARE(form.combo(start + 1)->itemText(8), QStringLiteral("Sep"));
        QCOMPARE(form.combo(start + 2)->count(), 31);
        QCOMPARE(form.combo(start + 2)->itemText(0), QStringLiteral("2013"));
        QCOMPARE(form.combo(start + 2)->itemText(30), QStringLiteral("1983"));
    }
    // Filling the lists leaves the boxes as they were: yesterday and today of a new dialog.
    QCOMPARE(form.combo(0)->currentText(), QStringLiteral("14"));
    QCOMPARE(form.combo(3)->currentText(), QStringLiteral("15"));
    QCOMPARE(form.combo(5)->currentText(), QStringLiteral("2013"));
}

void tst_DateRangeDialog::boxesFromDateTexts() {
    DateRangeDialog form([] { return QDate(2013, 1, 15); });
    form.setStartText(QStringLiteral("08-Jan-2013"));
    form.setEndText(QStringLiteral("15-Jan-2013"));
    const QStringList expected{"08", "Jan", "2013", "15", "Jan", "2013"};
    for (int i = 0; i < 6; ++i)
        QCOMPARE(form.combo(i)->currentText(), expected[i]);
}

void tst_DateRangeDialog::presetsThenOk_data() {
    QTest::addColumn<QDate>("today");
    QTest::addColumn<int>("preset");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("end");
    QTest::newRow("previous year") << QDate(2013, 1, 15) << 6 << "01-Jan-2012"
                                   << "31-Dec-2012";
    QTest::newRow("last 30 days, leap year") << QDate(2012, 3, 1) << 3 << "01-Feb-2012"
                                             << "01-Mar-2012";
    QTest::newRow("previous water year") << QDate(2013, 11, 2) << 9 << "01-Oct-2012"
                                         << "30-Sep-2013";
}

void tst_DateRangeDialog::presetsThenOk() {
    QFETCH(QDate, today);
    QFETCH(int, preset);
    QFETCH(QString, start);
    QFETCH(QString, end);
    DateRangeDialog form([today] { return today; });
    QSignalSpy chosen(&form, &DateRangeDialog::datesChosen);
    form.show();
    QTest::mouseClick(form.findChild<QRadioButton*>(QStringLiteral("Option1_%1").arg(preset)),
                      Qt::LeftButton);
    // Choosing a preset writes nothing yet.
    QCOMPARE(chosen.count(), 0);
    QTest::mouseClick(form.findChild<QPushButton*>(QStringLiteral("Command1")), Qt::LeftButton);
    QCOMPARE(chosen.count(), 1);
    QCOMPARE(chosen[0][0].toString(), start);
    QCOMPARE(chosen[0][1].toString(), end);
    QVERIFY(!form.isVisible());
    QVERIFY(!form.closedFromTitleBar());
}

void tst_DateRangeDialog::escapeWritesNothing() {
    DateRangeDialog form([] { return QDate(2013, 1, 15); });
    QSignalSpy chosen(&form, &DateRangeDialog::datesChosen);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QTest::keyClick(&form, Qt::Key_Escape);
    QVERIFY(!form.isVisible());
    QVERIFY(form.closedFromTitleBar());
    QCOMPARE(chosen.count(), 0);
}

QTEST_MAIN(tst_DateRangeDialog)
#include "tst_DateRangeDialog.moc"
