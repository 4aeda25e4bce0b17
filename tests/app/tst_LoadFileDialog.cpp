// "Load file…": the dialog's preview of a data file with the parameter each series would go to,
// the conflict choice, and the main window retrieving what was loaded into its grid.

#include "MainWindowFixture.h"
#include "app/dialogs/LoadFileDialog.h"
#include "core/db/Database.h"
#include "core/hdb/HdbSchema.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QTreeWidget>

using namespace rp;
using rp::test::BrowsingHdb;
using rp::test::MainWindowFixture;

namespace {

// Two sites' daily mean discharge: site A three days from 1 Mar 2010, site B two.
QByteArray twoSites() {
    QByteArray text;
    const struct {
        const char* site;
        QList<int> values;
    } sites[] = {{"A", {5, 6, 7}}, {"B", {8, 9}}};
    for (const auto& s : sites) {
        text += "# site\nagency_cd\tsite_no\tdatetime\t1_00060_00003\t1_00060_00003_cd\n"
                "5s\t15s\t20d\t14n\t10s\n";
        for (qsizetype i = 0; i < s.values.size(); ++i)
            text += QStringLiteral("USGS\t%1\t2010-03-0%2\t%3\tP\n")
                        .arg(QLatin1String(s.site))
                        .arg(i + 1)
                        .arg(s.values[i])
                        .toUtf8();
    }
    return text;
}

QString writeFile(const QTemporaryDir& dir, const QByteArray& bytes,
                  const QString& name = QStringLiteral("two.rdb")) {
    const QString path = dir.filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

QStringList column(const QTreeWidget* list, int c) {
    QStringList texts;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        texts.append(list->topLevelItem(i)->text(c));
    return texts;
}

QString count(Database& db, const QString& sql) {
    const auto set = db.open(sql, LockType::ReadOnly);
    return set->displayText(0, 0);
}

} // namespace

class tst_LoadFileDialog : public QObject {
    Q_OBJECT
private slots:
    void previewConflictsAndLoad_data();
    void previewConflictsAndLoad();
    void loadedSeriesIsRetrievedIntoTheGrid();
    void zoneOffsets();
};

void tst_LoadFileDialog::previewConflictsAndLoad_data() {
    QTest::addColumn<int>("choice");
    QTest::addColumn<bool>("loads");
    QTest::addColumn<QString>("sum");
    // Loaded once, then again with a 2nd file value of 70 for 3 Mar: refuse, keep or replace.
    QTest::newRow("refuse") << 0 << false << "18";
    QTest::newRow("keep") << 1 << true << "18";
    QTest::newRow("replace") << 2 << true << "81";
}

void tst_LoadFileDialog::previewConflictsAndLoad() {
    QFETCH(int, choice);
    QFETCH(bool, loads);
    QFETCH(QString, sum);
    QTemporaryDir dir;
    const auto db = createHdb(QStringLiteral("Provider=SQLite;Data Source=") +
                              dir.filePath(QStringLiteral("hdb.sqlite")));
    const QString path = writeFile(dir, twoSites());
    {
        LoadFileDialog dialog(db, nullptr, [&] { return path; });
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("fileButton")),
                          Qt::LeftButton);
        auto* list = dialog.findChild<QTreeWidget*>(QStringLiteral("seriesList"));
        QCOMPARE(list->topLevelItemCount(), 2);
        QVERIFY2(list->topLevelItem(0)->text(0).startsWith(QLatin1String("A; ")),
                 qPrintable(list->topLevelItem(0)->text(0)));
        QCOMPARE(column(list, 1), (QStringList{"1 (new) in rday", "2 (new) in rday"}));
        // Only site A is loaded.
        list->topLevelItem(1)->setCheckState(0, Qt::Unchecked);
        QCOMPARE(column(list, 1), (QStringList{"1 (new) in rday", ""}));
        dialog.load();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.results().size(), 1);
    }
    QCOMPARE(count(*db, QStringLiteral("SELECT sum(value) FROM rday")), QStringLiteral("18"));

    QByteArray changed = twoSites();
    changed.replace("2010-03-03\t7\t", "2010-03-03\t70\t");
    writeFile(dir, changed);
    LoadFileDialog dialog(db, nullptr, [&] { return path; });
    QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("fileButton")), Qt::LeftButton);
    auto* list = dialog.findChild<QTreeWidget*>(QStringLiteral("seriesList"));
    QCOMPARE(column(list, 1), (QStringList{"1 in rday, 3 times already held", "2 (new) in rday"}));
    list->topLevelItem(1)->setCheckState(0, Qt::Unchecked);
    dialog.findChild<QComboBox*>(QStringLiteral("conflictBox"))->setCurrentIndex(choice);
    QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("loadButton")), Qt::LeftButton);
    QCOMPARE(dialog.result() == QDialog::Accepted, loads);
    const QString note = dialog.findChild<QLabel*>(QStringLiteral("note"))->text();
    QVERIFY2(loads == note.isEmpty(), qPrintable(note));
    QCOMPARE(count(*db, QStringLiteral("SELECT sum(value) FROM rday")), sum);
    QCOMPARE(count(*db, QStringLiteral("SELECT count(*) FROM rsite")), QStringLiteral("1"));
}

void tst_LoadFileDialog::loadedSeriesIsRetrievedIntoTheGrid() {
    BrowsingHdb hdb;
    MainWindowFixture f(hdb);
    QVERIFY(f.start());
    QTemporaryDir dir;
    f.dataFile = writeFile(dir, twoSites());
    // The dialog is modal: the person picks the file and loads both series.
    QTimer::singleShot(0, [] {
        auto* dialog = qobject_cast<LoadFileDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("fileButton")),
                          Qt::LeftButton);
        QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("loadButton")),
                          Qt::LeftButton);
    });
    f.window->findChild<QAction*>(QStringLiteral("mnuPopupLoadFile"))->trigger();
    QVERIFY2(f.dialogs.messages.isEmpty(), qPrintable(f.dialogs.messages.join('\n')));
    // Site A's series, the first loaded, is in the grid as GO retrieves it.
    const auto db = openDatabase(hdb.connectionString);
    const QString key = count(*db, QStringLiteral("SELECT datatype_site_id FROM rsite WHERE "
                                                  "station_id = 'A'"));
    QCOMPARE(f.text("Text1"), key);
    QCOMPARE(f.window->timeStep(), TimeStep::Day);
    QCOMPARE(f.rows(), 3);
    QCOMPARE(f.caption(1), QStringLiteral("date_time"));
    QCOMPARE(f.cell(2, 2), QStringLiteral("7"));
    QVERIFY2(f.window->windowTitle().startsWith(key + QStringLiteral(" A; ")),
             qPrintable(f.window->windowTitle()));
}

void tst_LoadFileDialog::zoneOffsets() {
    QTemporaryDir dir;
    const auto db = createHdb(QStringLiteral("Provider=SQLite;Data Source=") +
                              dir.filePath(QStringLiteral("hdb.sqlite")));
    const QString path =
        writeFile(dir, "date,value\n2020-01-20 06:00:00,1\n2020-01-20 07:00:00,2\n",
                  QStringLiteral("utc.csv"));
    LoadFileDialog dialog(db, nullptr, [&] { return path; });
    auto* note = dialog.findChild<QLabel*>(QStringLiteral("note"));
    auto* fileOffset = dialog.findChild<QLineEdit*>(QStringLiteral("fileOffsetBox"));
    auto* siteOffset = dialog.findChild<QLineEdit*>(QStringLiteral("siteOffsetBox"));
    QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("fileButton")), Qt::LeftButton);
    // A wrong offset says so and lists nothing; the file is read again once it is right.
    fileOffset->setText(QStringLiteral("Mars"));
    emit fileOffset->editingFinished();
    QVERIFY2(note->text().contains(QLatin1String("\"Mars\"")), qPrintable(note->text()));
    QCOMPARE(dialog.findChild<QTreeWidget*>(QStringLiteral("seriesList"))->topLevelItemCount(), 0);
    fileOffset->setText(QStringLiteral("UTC"));
    siteOffset->setText(QStringLiteral("EST"));
    emit siteOffset->editingFinished();
    QCOMPARE(dialog.findChild<QTreeWidget*>(QStringLiteral("seriesList"))->topLevelItemCount(), 1);
    dialog.load();
    QCOMPARE(count(*db, QStringLiteral("SELECT CStr(Min(date_time)) FROM rhour")),
             QStringLiteral("1/20/2020 1:00:00 AM"));
}

QTEST_MAIN(tst_LoadFileDialog)
#include "tst_LoadFileDialog.moc"
