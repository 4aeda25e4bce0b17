#include "app/dialogs/ConnectionInputDialog.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

using namespace rp;

// The connection box: default text, recent strings and the Browse button.
class tst_ConnectionInputDialog : public QObject {
    Q_OBJECT
private slots:
    void browse_data();
    void browse();
};

void tst_ConnectionInputDialog::browse_data() {
    QTest::addColumn<QString>("picked"); // empty: the file dialog was cancelled
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("error");
    QTest::newRow("cancelled keeps the text") << ""
                                              << "old;x" << false;
    QTest::newRow("sqlite file") << "/d/hdb.sqlite"
                                 << "Provider=SQLite;Data Source=/d/hdb.sqlite" << false;
    QTest::newRow("workbook")
        << "/d/hdb.xls"
        << "Driver={Microsoft Excel Driver (*.xls)};DBQ=/d/hdb.xls;ReadOnly=False" << false;
    QTest::newRow("another kind of file keeps the text") << "/d/a.txt"
                                                         << "old;x" << true;
}

void tst_ConnectionInputDialog::browse() {
    QFETCH(QString, picked);
    QFETCH(QString, text);
    QFETCH(bool, error);
    ConnectionInputDialog dialog(QStringLiteral("MS Access HDB"), QStringLiteral("Enter"),
                                 QStringLiteral("old;x"), {QStringLiteral("recent;1")});
    dialog.setFilePicker([&](QWidget*) { return picked; });
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QCOMPARE(dialog.findChild<QComboBox*>(QStringLiteral("ConnectionString"))->count(), 1);
    QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("Browse")), Qt::LeftButton);
    QCOMPARE(dialog.text(), text);
    QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("BrowseError"))->isVisible(), error);
}

QTEST_MAIN(tst_ConnectionInputDialog)
#include "tst_ConnectionInputDialog.moc"
