// A hydrologist's whole session on the demo HDB, on SQLite and on PostgreSQL: start-up, site
// list, parameters with data, GO on a daily series, Graph/Table to a table in the viewer, the
// chart with a second series, cumulative and logarithmic, the spreadsheet export, monthly and
// yearly values written back, the table list and an own statement.
#include "../support/BackendHdb.h"
#include "MainWindowFixture.h"
#include "app/graphtable/GraphTableDialog.h"
#include "app/mainwindow/GraphTableCommand.h"
#include "core/db/Database.h"
#include "core/hdb/HdbImport.h"
#include "formats/xlsx/XlsxReader.h"
#include "gui/graph/ChartView.h"
#include "gui/graph/GraphWindow.h"
#include "gui/graph/GraphWindowRunner.h"

#include <QListWidget>

using namespace rp;
using namespace rp::test;

class tst_WholeJourney : public QObject {
    Q_OBJECT
private slots:
    void journey_data() { addBackendRows(); }
    void journey();
};

namespace {

// The main window driven as a person does, with the steps this journey repeats.
struct Session : WindowDriver {
    // SITE LIST, a double-click on the site, PARAMETERS w/data, then GO on its daily discharge.
    bool retrieveDailyDischarge(const QString& site) {
        click("siteIDbutton");
        QTest::mouseClick(window.findChild<QRadioButton*>(QStringLiteral("Option1_2")),
                          Qt::LeftButton);
        return retrieve(site, QStringLiteral("DISCHARGE"), QStringLiteral("01-Jan-2012"),
                        QStringLiteral("31-Dec-2012"), true) &&
               model()->rowCount() == 366;
    }
    // Graph/Table, then Go with what `choose` sets in the dialog.
    GraphTableDialog* graphTable(const std::function<void(GraphTableDialog*)>& choose) {
        click("ViewGraphbutton");
        GraphTableDialog* form = window.graphTable()->graphTable();
        choose(form);
        QTest::mouseClick(form->findChild<QPushButton*>(QStringLiteral("Command1")),
                          Qt::LeftButton);
        return form;
    }
};

// With RIVELPOST_JOURNEY_SHOTS naming a folder, each window is saved there as it looks at its
// step: for looking at the windows at other scalings or styles, and for the README's pictures.
void shoot(QWidget* widget, const QString& name) {
    const QString folder = qEnvironmentVariable("RIVELPOST_JOURNEY_SHOTS");
    if (folder.isEmpty() || !widget)
        return;
    QWidget* window = widget->window();
    QTest::qWait(200); // let it lay out and paint
    QVERIFY(window->grab().save(QDir(folder).filePath(name + QStringLiteral(".png"))));
}

// A right click on the chart, then a click on the option in the list that pops up.
void chooseOption(GraphWindow* chart, const QString& option, const QString& shot = {}) {
    QWidget* viewport = chart->chartView()->viewport();
    QTest::mouseClick(viewport, Qt::RightButton, {}, QPoint(200, 150));
    auto* list = chart->findChild<QListWidget*>(QStringLiteral("List1"));
    QVERIFY(list && list->isVisible());
    const QList<QListWidgetItem*> found = list->findItems(option, Qt::MatchExactly);
    QCOMPARE(found.size(), 1);
    const QRect item = list->visualItemRect(found[0]);
    // The whole text shows, at any scaling.
    QVERIFY(list->viewport()->rect().contains(item));
    QVERIFY(item.width() >= list->fontMetrics().horizontalAdvance(option));
    if (!shot.isEmpty())
        shoot(chart, shot);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, item.center());
    QVERIFY(!list->isVisible());
}

void tick(GraphTableDialog* form, const char* name) {
    auto* box = form->findChild<QCheckBox*>(QLatin1String(name));
    QVERIFY2(box && box->isEnabled(), name);
    QTest::mouseClick(box, Qt::LeftButton);
}

void choose(GraphTableDialog* form, int option) {
    QTest::mouseClick(form->findChild<QRadioButton*>(QStringLiteral("Option1_%1").arg(option)),
                      Qt::LeftButton);
}

} // namespace

void tst_WholeJourney::journey() {
    QFETCH(QString, backend);
    DemoProgramFolder demo;
    const QString error = demo.create();
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QString connection = demo.connectionString;
    std::unique_ptr<BackendHdb> server;
    if (backend == QLatin1String("PostgreSQL")) {
        if (postgresTestConnection().isEmpty())
            QSKIP("RIVELPOST_TEST_PG names no PostgreSQL server (tools/with-postgres starts one)");
        server = std::make_unique<BackendHdb>(backend);
        connection = server->siblingConnection(QStringLiteral("journey"));
        importHdb(demo.connectionString, connection);
        QFile settings(demo.folder.filePath(QStringLiteral("Rivelpost_setup.txt")));
        QVERIFY(settings.open(QIODevice::WriteOnly));
        settings.write((connection + QStringLiteral("\r\n")).toLatin1());
    }

    RecordingDialogs dialogs;
    MainWindow window(demo.services(&dialogs));
    const auto quit = qScopeGuard([] { AppPaths::setProgramFolder({}); });
    GraphTableServices& services = window.graphTable()->graphTableServices();
    QStringList viewed;
    services.view = [&](QWidget*, const QString& path) { viewed.append(path); };
    services.today = [] { return QDate(2013, 1, 15); };
    Session s{{window}};
    QVERIFY(s.start());
    QVERIFY(s.rowOf(2, QStringLiteral("KERN RIVER NR KERNVILLE CA")) >= 0);
    shoot(&window, QStringLiteral("1-sites"));

    // GO on the daily discharge, then a table in the viewer.
    QVERIFY(s.retrieveDailyDischarge(QStringLiteral("KERN RIVER NR KERNVILLE CA")));
    const QString parameter = window.modeText().trimmed();
    s.graphTable([](GraphTableDialog* form) { tick(form, "table"); });
    QCOMPARE(dialogs.messages, QStringList());
    QCOMPARE(viewed, QStringList{demo.folder.filePath(QStringLiteral("lasttable.txt"))});

    // The chart, then a second gauge added to it, shown cumulative on a logarithmic axis.
    s.graphTable([](GraphTableDialog* form) { choose(form, 1); });
    QCOMPARE(dialogs.messages, QStringList());
    auto* chart = window.findChild<GraphWindow*>();
    QVERIFY(chart && chart->isVisible());
    QCOMPARE(chart->model().seriesCount(), 1);
    QVERIFY(s.retrieveDailyDischarge(QStringLiteral("KERN RIVER BLW ISABELLA DAM CA")));
    s.graphTable([](GraphTableDialog* form) {
        choose(form, 1);
        tick(form, "addline");
        shoot(form, QStringLiteral("2-graph-table"));
    });
    QCOMPARE(dialogs.messages, QStringList());
    QCOMPARE(chart->model().seriesCount(), 2);
    QCOMPARE(chart->model().rowCount(), 366);
    chooseOption(chart, QStringLiteral("Cumulative"), QStringLiteral("3-graph-options"));
    chooseOption(chart, QStringLiteral("Log Yaxis"));
    QVERIFY(chart->model().cumulative());
    QVERIFY(chart->model().yAxis.logarithmic);
    shoot(chart, QStringLiteral("4-graph"));
    QCOMPARE(dialogs.messages, QStringList());

    // SAVE with Excel: the series in the export workbook, shown by the spreadsheet program.
    QStringList opened;
    window.graphTable()->openWorkbook = [&](const QString& path) { opened.append(path); };
    s.graphTable([](GraphTableDialog* form) { tick(form, "XLSout"); });
    QCOMPARE(dialogs.messages, QStringList());
    QCOMPARE(opened, QStringList{demo.folder.filePath(QStringLiteral("Book1.xlsx"))});
    const QList<QVariantList> sheet = XlsxReader(opened[0]).readSheet(QStringLiteral("Sheet1"));
    QCOMPARE(sheet.value(0).value(0).toString(),
             QStringLiteral("2 1041 KERN RIVER BLW ISABELLA DAM CA"));
    QCOMPARE(sheet.value(10).value(0).toDateTime().date(), QDate(2012, 1, 1));
    QCOMPARE(sheet.size(), 10 + 366);

    // Monthly and yearly values of the first gauge written back from its daily table, in place
    // of none.
    const auto db = openDatabase(connection);
    for (const char* table : {"rmonth", "ryear"})
        db->execute(QStringLiteral("DELETE FROM %1 WHERE datatype_site_id=%2 AND date_time "
                                   "BETWEEN #01-Jan-2012# AND #31-Dec-2012#")
                        .arg(QLatin1String(table), parameter));
    QVERIFY(s.retrieveDailyDischarge(QStringLiteral("KERN RIVER NR KERNVILLE CA")));
    s.graphTable([](GraphTableDialog* form) {
        tick(form, "table");
        tick(form, "monthlys2db");
        tick(form, "yearlys2db");
    });
    QCOMPARE(dialogs.messages, QStringList());
    const auto number = [&](const QString& sql) {
        return db->open(sql.arg(parameter), LockType::ReadOnly)->value(0, 0).toDouble();
    };
    QCOMPARE(number("SELECT Count(*) FROM rmonth WHERE datatype_site_id=%1 AND date_time BETWEEN "
                    "#01-Jan-2012# AND #01-Dec-2012# AND source=5"),
             12.0);
    QCOMPARE(number("SELECT Count(*) FROM ryear WHERE datatype_site_id=%1 AND date_time = "
                    "#01-Jan-2012# AND source=5"),
             1.0);

    // The table list, and an own statement over what was written.
    s.click("TablesButton");
    QVERIFY(s.rowOf(0, QStringLiteral("rmonth")) >= 0);
    QTest::mouseClick(window.findChild<QCheckBox*>(QStringLiteral("Check1")), Qt::LeftButton);
    window.findChild<QPlainTextEdit*>(QStringLiteral("Text4"))
        ->setPlainText(QStringLiteral("SELECT Count(*) AS written FROM rmonth WHERE source=5 AND "
                                      "datatype_site_id=%1 AND Year(date_time)=2012")
                           .arg(parameter));
    s.click("Getbutton");
    QCOMPARE(dialogs.messages, QStringList());
    QCOMPARE(s.model()->rowCount(), 1);
    QCOMPARE(s.model()->index(0, 0).data().toString(), QStringLiteral("12"));
    shoot(&window, QStringLiteral("5-own-sql"));
}

QTEST_MAIN(tst_WholeJourney)
#include "tst_WholeJourney.moc"
