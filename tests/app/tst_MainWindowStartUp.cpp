#include "MainWindowFixture.h"
#include "app/dialogs/DateRangeDialog.h"
#include "core/hdb/Browsing.h"
#include "gui/widgets/Twips.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QHeaderView>
#include <QStyleOptionFrame>

#include <QScrollBar>
#include <QWheelEvent>

using namespace rp;
using rp::test::MainWindowFixture;

class tst_MainWindowStartUp : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { hdb = std::make_unique<test::BrowsingHdb>(); }
    void cleanupTestCase() { hdb.reset(); }
    void controlsAtDesign();
    void textsShowWhole_data();
    void textsShowWhole();
    void withoutSettingsFile();
    void withSettingsFile_data();
    void withSettingsFile();
    void gridFont_data();
    void gridFont();
    void resizeRule_data();
    void resizeRule();
    void wheel_data();
    void wheel();
    void placeDatesAndStepAreKept_data();
    void placeDatesAndStepAreKept();

private:
    std::unique_ptr<test::BrowsingHdb> hdb;
};

void tst_MainWindowStartUp::controlsAtDesign() {
    MainWindowFixture f(*hdb, false);
    struct Expected {
        const char* name;
        const char* caption;
        const char* tip;
        int left;
        bool enabled;
    };
    const Expected buttons[] = {
        {"siteIDbutton", "SITE LIST", "Retrieve list of stations (Ctrl+L)", 1920, true},
        {"SDIDwdatabutton", "PARAMETERS w/data",
         "Show parameters for selected station with data for time step selected", 2880, false},
        {"Getbutton", "GO", "Retrieve selected parameter or execute SQL if checked (F5)", 4680,
         false},
        {"ViewGraphbutton", "Graph/Table",
         "View retrieved data as graph, table, column or send to Excel Workbook (Ctrl+G)", 5640,
         true},
        {"TablesButton", "DB Tables", "Retrieve list of tables in database", 6720, true},
        {"SDIDbutton", "PARAMETERS /all", "Show all parameters regardless if data available", 7680,
         false},
        {"PasswordButton", "Connection", "Set connection string to database", 9360, true},
        {"cmdHELP", "Help", "", 10320, true},
    };
    int rowEnd = 0;
    for (const Expected& e : buttons) {
        QPushButton* b = f.button(e.name);
        QVERIFY2(b, e.name);
        QCOMPARE(b->text(), QLatin1String(e.caption));
        QCOMPARE(b->toolTip(), QLatin1String(e.tip));
        // In its designed place, or moved right as far as a wider caption before it needed;
        // its own caption shows whole.
        QVERIFY2(b->x() >= twipsToPixels(e.left) && b->x() >= rowEnd, e.name);
        QVERIFY2(b->width() > b->fontMetrics().horizontalAdvance(b->text()), e.name);
        rowEnd = b->x() + b->width();
        QCOMPARE(b->y(), twipsToPixels(MainWindow::normalTop));
        QCOMPARE(b->height(), twipsToPixels(MainWindow::normalHeight));
        QCOMPARE(b->isEnabled(), e.enabled);
        QCOMPARE(b->palette().color(QPalette::Button), QColor(192, 255, 192));
    }
    QVERIFY(rowEnd <= f.window->width());
    QCOMPARE(f.label1(), QStringLiteral("Site_ID"));
    QCOMPARE(f.text("Text1"), QString());
    QCOMPARE(f.sql(), QStringLiteral("SQL"));
    QVERIFY(!f.find<QPlainTextEdit>(QStringLiteral("Text4"))->isEnabled());
    auto* check1 = f.find<QCheckBox>(QStringLiteral("Check1"));
    QCOMPARE(check1->toolTip(), QStringLiteral("Check to enter your own SQL expression"));
    QVERIFY(!check1->isChecked());
    QCOMPARE(f.find<QCheckBox>(QStringLiteral("AllowEdit"))->text(), QStringLiteral("Allow Edit"));
    QCOMPARE(f.find<QCheckBox>(QStringLiteral("AutoInsert"))->text(),
             QStringLiteral("Allow Auto Insert"));
    QCOMPARE(f.button("Command4")->text(), QStringLiteral("date"));
    QCOMPARE(
        f.button("EditButton")->toolTip(),
        QStringLiteral("Shows editing options menu.  Same as Right Click on grids left column."));
    QVERIFY(!f.button("EditButton")->isEnabled());
    const QStringList steps{"Year", "Month",  "Day",    "Hour",
                            "Unit", "DayMax", "DayMin", "UnitShift"};
    for (int i = 0; i < steps.size(); ++i) {
        auto* option = f.find<QRadioButton>(QStringLiteral("Option1_%1").arg(i));
        QCOMPARE(option->text(), steps[i]);
        QCOMPARE(option->isChecked(), i == 2);
    }
    QCOMPARE(f.window->timeStep(), TimeStep::Day);
    QVERIFY(f.window->windowTitle().startsWith(QStringLiteral("Rivelpos %1.%2.%3 ")
                                                   .arg(RIVELPOST_VERSION_MAJOR)
                                                   .arg(RIVELPOST_VERSION_MINOR)
                                                   .arg(RIVELPOST_VERSION_PATCH)));
    QVERIFY(f.window->windowTitle().endsWith(QLatin1String(RIVELPOST_LEGAL_NOTICE)));
}

namespace {

// The width a line edit gives its text, as the style lays it out (two pixels of margin a side).
int textRoom(const QLineEdit* box) {
    QStyleOptionFrame option;
    option.initFrom(box);
    option.lineWidth = box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, box);
    return box->style()->subElementRect(QStyle::SE_LineEditContents, &option, box).width() - 4;
}

// Every heading and every cell in view of the grid shows whole.
QString clippedColumns(QTableView* table) {
    const QAbstractItemView* grid = table;
    QStringList clipped;
    for (int c = 0; c < grid->model()->columnCount(); ++c) {
        const QString heading = grid->model()->headerData(c, Qt::Horizontal).toString();
        const int width = table->columnWidth(c);
        const int headingWidth = table->horizontalHeader()->sectionSizeHint(c);
        if (width < headingWidth || width < grid->sizeHintForColumn(c))
            clipped << QStringLiteral("%1 (%2 < %3, %4)")
                           .arg(heading)
                           .arg(width)
                           .arg(headingWidth)
                           .arg(grid->sizeHintForColumn(c));
    }
    return clipped.join(QStringLiteral(", "));
}

// The key, the dates, the time steps and the command row at the size the window opens with
// when there is no settings file.
void checkTopRows(const test::BrowsingHdb& hdb) {
    MainWindowFixture f(hdb, false);
    f.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
    auto* key = f.find<QLineEdit>(QStringLiteral("Text1"));
    const QFontMetrics metrics(key->font());
    QVERIFY2(metrics.horizontalAdvance(QStringLiteral("11532500")) <= textRoom(key),
             qPrintable(QStringLiteral("key box %1 wide").arg(key->width())));
    for (const char* name : {"Text2", "Text3"})
        for (int month = 1; month <= 12; ++month) {
            const QString date = QStringLiteral("28-%1-2026").arg(monthAbbreviation(month));
            QVERIFY2(metrics.horizontalAdvance(date) <= textRoom(f.find<QLineEdit>(name)),
                     qPrintable(date));
        }
    // Controls of a row keep their order without overlapping.
    QVERIFY(key->geometry().right() < f.find<QLineEdit>(QStringLiteral("Text2"))->x());
    QVERIFY(f.find<QLineEdit>(QStringLiteral("Text2"))->geometry().right() <
            f.button("Command4")->x());
    QVERIFY(f.button("Command4")->geometry().right() <
            f.find<QLineEdit>(QStringLiteral("Text3"))->x());
    for (int i = 0; i < 8; ++i) {
        auto* option = f.find<QRadioButton>(QStringLiteral("Option1_%1").arg(i));
        QVERIFY2(option->width() >= option->sizeHint().width(), qPrintable(option->text()));
    }
    const QRect frame2 = f.find<QWidget>(QStringLiteral("Frame2"))->geometry();
    for (QPushButton* button : f.window->findChildren<QPushButton*>()) {
        // The style's frame and margin around the caption (the Edit Menu button has two lines).
        const int chrome = button->style()->pixelMetric(QStyle::PM_ButtonMargin) +
                           2 * button->style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
        const QString caption = button->text().section('\n', 0, 0);
        QVERIFY2(button->width() >= button->fontMetrics().horizontalAdvance(caption) + chrome,
                 qPrintable(caption));
        if (button->y() > frame2.y())
            QVERIFY2(button->geometry().right() <= frame2.right(), qPrintable(caption));
    }
    QVERIFY(frame2.right() < f.window->centralWidget()->width());
}

} // namespace

void tst_MainWindowStartUp::textsShowWhole_data() {
    QTest::addColumn<QString>("family"); // the program's font; empty keeps the platform's
    QTest::newRow("platform font") << "";
    for (const char* family : {"DejaVu Sans", "Liberation Sans", "Nimbus Sans", "DejaVu Sans Mono"})
        if (QFontDatabase::hasFamily(QLatin1String(family)))
            QTest::newRow(family) << family;
}

// The designed twips were drawn for a narrower font: in the running one the keys, dates,
// captions and grid headings still show whole, and the command row stays in its frame.
void tst_MainWindowStartUp::textsShowWhole() {
    QFETCH(QString, family);
    const QFont before = QApplication::font();
    const auto restore = qScopeGuard([&] { QApplication::setFont(before); });
    if (!family.isEmpty())
        QApplication::setFont(QFont(family, before.pointSize()));
    checkTopRows(*hdb);
    if (QTest::currentTestFailed())
        return;
    // The site list, a parameter list and a unit series with its times.
    MainWindowFixture f(*hdb);
    QVERIFY(f.start());
    QVERIFY2(clippedColumns(f.grid()).isEmpty(), qPrintable(clippedColumns(f.grid())));
    f.doubleClickRow(f.findRow(0, QStringLiteral("1")));
    QVERIFY2(clippedColumns(f.grid()).isEmpty(), qPrintable(clippedColumns(f.grid())));
    f.chooseTimeStep(4);
    f.window->setDateTexts(QStringLiteral("31-Jan-2010"), QStringLiteral("31-Jan-2010"));
    f.selectRow(f.findRow(1, QStringLiteral("1001")));
    f.click("Getbutton");
    QCOMPARE(f.caption(1), QStringLiteral("date_time"));
    QVERIFY2(clippedColumns(f.grid()).isEmpty(), qPrintable(clippedColumns(f.grid())));
}

void tst_MainWindowStartUp::withoutSettingsFile() {
    MainWindowFixture f(*hdb, false);
    QVERIFY(f.start());
    QCOMPARE(f.dialogs.messages.value(0),
             QStringLiteral("Use the Connection Button to set database connection."));
    // The first activation's site list then fails with the database's own message, once from
    // the query and once more when the empty result cannot be shown either.
    QTRY_COMPARE(f.dialogs.messages.size(), 3);
    QVERIFY(!f.dialogs.messages[1].isEmpty());
    QCOMPARE(f.dialogs.messages[2], f.dialogs.messages[1]);
    QCOMPARE(f.window->connectionString(), QString());
    QVERIFY(!(f.window->windowState() & Qt::WindowMaximized));
    // The design width, scaled for the running font (and more where the time steps need it).
    QVERIFY(f.window->width() >= f.window->twipsScale().x(11415));
    QCOMPARE(f.window->height(), twipsToPixels(7230));
    QCOMPARE(f.text("Text2"), QStringLiteral("25-Jan-2010"));
    QCOMPARE(f.text("Text3"), QStringLiteral("01-Feb-2010"));
    QCOMPARE(f.window->seriesFilePath(), f.folder.filePath(QStringLiteral("lastout.txt")));
    QCOMPARE(f.grid()->model()->rowCount(), 0);
}

void tst_MainWindowStartUp::withSettingsFile_data() {
    QTest::addColumn<QString>("settingsName");
    QTest::newRow("as written") << "Rivelpost_setup.txt";
    QTest::newRow("lower case") << "rivelpost_setup.txt";
}

void tst_MainWindowStartUp::withSettingsFile() {
    QFETCH(QString, settingsName);
    MainWindowFixture f(*hdb, true, settingsName);
    QVERIFY(f.start());
    QCOMPARE(f.dialogs.messages, QStringList());
    QCOMPARE(f.window->connectionString(), hdb->connectionString);
    QVERIFY(f.window->windowState() & Qt::WindowMaximized);
    QCOMPARE(f.rows(), 3);
    QCOMPARE(f.caption(0), QStringLiteral("site_id"));
    QCOMPARE(f.cell(0, 2), QStringLiteral("Kern River near Bakersfield"));
    QCOMPARE(f.sql(), siteListStatement());
    QCOMPARE(f.label1(), QStringLiteral("SID"));
    QCOMPARE(f.window->activeButton(), f.button("siteIDbutton"));
    QPushButton* active = f.button("siteIDbutton");
    QCOMPARE(active->y(), twipsToPixels(MainWindow::activeTop));
    QCOMPARE(active->height(), twipsToPixels(MainWindow::activeHeight));
    QCOMPARE(f.button("TablesButton")->y(), twipsToPixels(MainWindow::normalTop));
    QVERIFY(f.find<QWidget>(QStringLiteral("Adodc1"))->isVisible());
    QCOMPARE(f.states(), QStringLiteral("1 1 0 0 1 1 0 0 0"));
    QVERIFY(f.grid()->hasFocus());
    // Column widths scale with the grid: 600, 1200 and 7200 twips at 11335 twips of grid.
    const double factor = double(pixelsToTwips(f.grid()->width())) / 11335;
    QCOMPARE(f.grid()->columnWidth(2), twipsToPixels(int(7200 * factor)));
    // The date dialog took its boxes from the date boxes.
    QCOMPARE(f.window->dateRangeDialog()->combo(0)->currentText(), QStringLiteral("25"));
    QCOMPARE(f.window->dateRangeDialog()->combo(4)->currentText(), QStringLiteral("Feb"));
    QCOMPARE(f.window->dateRangeDialog()->combo(5)->currentText(), QStringLiteral("2010"));
}

void tst_MainWindowStartUp::placeDatesAndStepAreKept_data() {
    QTest::addColumn<bool>("withSettings");
    QTest::addColumn<int>("step");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("end");
    QTest::addColumn<QRect>("place");
    QTest::newRow("hourly, with settings") << true << 3 << "30-Jan-2010"
                                           << "31-Jan-2010" << QRect(40, 60, 900, 640);
    QTest::newRow("yearly, without settings") << false << 0 << "01-Jan-2000"
                                              << "31-Dec-2010" << QRect(10, 30, 1000, 700);
}

void tst_MainWindowStartUp::placeDatesAndStepAreKept() {
    QFETCH(bool, withSettings);
    QFETCH(int, step);
    QFETCH(QString, start);
    QFETCH(QString, end);
    QFETCH(QRect, place);
    QByteArray kept;
    QByteArray settingsBefore;
    {
        MainWindowFixture f(*hdb, withSettings);
        QVERIFY(f.start());
        f.window->showNormal();
        f.window->setGeometry(place);
        QTRY_COMPARE(f.window->geometry(), place);
        f.chooseTimeStep(step);
        f.setDates(start, end);
        QFile settings(f.folder.filePath(QStringLiteral("Rivelpost_setup.txt")));
        if (settings.open(QIODevice::ReadOnly))
            settingsBefore = settings.readAll();
        settings.close();
        QVERIFY(f.window->close());
        // Kept beside the settings file, which stays as it was.
        QFile file(f.folder.filePath(QStringLiteral("Rivelpost_windows.ini")));
        QVERIFY(file.open(QIODevice::ReadOnly));
        kept = file.readAll();
        QFile after(settings.fileName());
        QCOMPARE(after.open(QIODevice::ReadOnly) ? after.readAll() : QByteArray(), settingsBefore);
    }
    MainWindowFixture f(*hdb, withSettings);
    QFile file(f.folder.filePath(QStringLiteral("Rivelpost_windows.ini")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(kept);
    file.close();
    QVERIFY(f.start());
    QCOMPARE(f.text("Text2"), start);
    QCOMPARE(f.text("Text3"), end);
    QCOMPARE(f.window->timeStep(), timeStepFromIndex(step));
    QVERIFY(!(f.window->windowState() & Qt::WindowMaximized));
    QTRY_COMPARE(f.window->geometry(), place);
    // The date dialog starts from the kept dates.
    QCOMPARE(f.window->dateRangeDialog()->combo(0)->currentText(), start.left(2));
}

void tst_MainWindowStartUp::gridFont_data() {
    QTest::addColumn<int>("screenWidth");
    QTest::addColumn<int>("points");
    QTest::newRow("1000 pixels") << 1000 << 8;
    QTest::newRow("1001 pixels") << 1001 << 10;
    QTest::newRow("1920 pixels") << 1920 << 10;
}

void tst_MainWindowStartUp::gridFont() {
    QFETCH(int, screenWidth);
    QFETCH(int, points);
    MainWindowFixture f(*hdb, true, QStringLiteral("Rivelpost_setup.txt"), screenWidth);
    f.window->startUp();
    QCOMPARE(f.grid()->font().pointSize(), points);
    QCOMPARE(f.window->screenWidthPixels(), screenWidth);
}

void tst_MainWindowStartUp::resizeRule_data() {
    QTest::addColumn<int>("outerTwips"); // the window's outer width in the layout's twips
    QTest::addColumn<int>("height");     // in pixels
    QTest::addColumn<bool>("changes");
    QTest::newRow("wide") << 15000 << 700 << true;
    QTest::newRow("just wide enough") << 5010 << 700 << true;
    QTest::newRow("too narrow") << 4900 << 700 << false;
    QTest::newRow("too short for the grid") << 15000 << 150 << true;
}

void tst_MainWindowStartUp::resizeRule() {
    QFETCH(int, outerTwips);
    QFETCH(int, height);
    QFETCH(bool, changes);
    MainWindowFixture f(*hdb, false);
    f.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
    f.window->resize(900, 600);
    const QSize gridBefore = f.grid()->size();
    auto* text4 = f.find<QPlainTextEdit>(QStringLiteral("Text4"));
    const int text4Before = text4->width();
    // The rule reads the outer size, frame included, in the twips of the layout as drawn
    // (widths scaled for the running font).
    const double scale = f.window->twipsScale().horizontal();
    const auto widthTwips = [&](int pixels) { return int(std::lround(pixels * 15 / scale)); };
    const auto widthPixels = [&](int twips) { return int(std::lround(twips * scale / 15)); };
    const int frame = f.window->frameGeometry().width() - f.window->width();
    f.window->resize(widthPixels(outerTwips) - frame, height);
    const QRect outer = f.window->frameGeometry();
    const int w = widthTwips(outer.width());
    const int h = pixelsToTwips(outer.height());
    QCOMPARE(w >= 5001, changes);
    if (!changes) {
        QCOMPARE(f.grid()->size(), gridBefore);
        QCOMPARE(text4->width(), text4Before);
        return;
    }
    QCOMPARE(f.grid()->width(), widthPixels(w - 785));
    QCOMPARE(f.grid()->height(), std::max(twipsToPixels(h - 2500), 1));
    QCOMPARE(text4->width(), widthPixels(w - 785 + 180));
    // The time-step frame ends where the rule puts its right edge, also when the boxes before it
    // widened to show their texts and moved it right.
    auto* frame1 = f.find<QWidget>(QStringLiteral("Frame1"));
    QCOMPARE(frame1->x() + frame1->width(), widthPixels(3840) + widthPixels(w - 4060));
}

void tst_MainWindowStartUp::wheel_data() {
    QTest::addColumn<QList<int>>("deltas");
    QTest::addColumn<QList<int>>("tops");
    QTest::newRow("half notch twice") << QList<int>{60, 60} << QList<int>{20, 17};
    QTest::newRow("one notch back") << QList<int>{-120} << QList<int>{23};
    QTest::newRow("three notches forward") << QList<int>{360} << QList<int>{11};
    QTest::newRow("to the first row") << QList<int>{1200} << QList<int>{0};
}

void tst_MainWindowStartUp::wheel() {
    QFETCH(QList<int>, deltas);
    QFETCH(QList<int>, tops);
    MainWindowFixture f(*hdb);
    QVERIFY(f.start());
    // A unit series of 96 rows to scroll through.
    f.window->setDateTexts(QStringLiteral("31-Jan-2010"), QStringLiteral("31-Jan-2010"));
    f.chooseTimeStep(4);
    f.doubleClickRow(0);
    f.click("Getbutton");
    QCOMPARE(f.rows(), 96);
    QScrollBar* bar = f.grid()->verticalScrollBar();
    bar->setValue(20);
    QWidget* viewport = f.grid()->viewport();
    const QPointF at(viewport->width() / 2.0, viewport->height() / 2.0);
    for (int i = 0; i < deltas.size(); ++i) {
        QWheelEvent event(at, viewport->mapToGlobal(at), QPoint(), QPoint(0, deltas[i]),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(viewport, &event);
        QCOMPARE(bar->value(), tops[i]);
    }
}

QTEST_MAIN(tst_MainWindowStartUp)
#include "tst_MainWindowStartUp.moc"
