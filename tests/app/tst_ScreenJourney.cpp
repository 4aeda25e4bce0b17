// The windows a hydrologist looks at, photographed from the X screen with its window manager's
// frames: with RIVELPOST_SCREEN_SHOTS naming a folder and a DISPLAY running a window manager,
// each window is saved there as "<prefix>-<name>.png" (prefix from RIVELPOST_SCREEN_PREFIX).
#include "MainWindowFixture.h"
#include "app/graphtable/GraphTableDialog.h"
#include "app/mainwindow/GraphTableCommand.h"
#include "gui/graph/GraphWindow.h"

#include <QApplication>
#include <QProcess>
#include <QTimer>

using namespace rp;
using namespace rp::test;

class tst_ScreenJourney : public QObject {
    Q_OBJECT
private slots:
    void journey();
};

namespace {

QString shotPath(const QString& name) {
    const QString prefix = qEnvironmentVariable("RIVELPOST_SCREEN_PREFIX");
    return QDir(qEnvironmentVariable("RIVELPOST_SCREEN_SHOTS"))
        .filePath((prefix.isEmpty() ? QString() : prefix + QLatin1Char('-')) + name +
                  QStringLiteral(".png"));
}

// The whole screen as the X server shows it, once the windows have settled; with a window, only
// that window in its frame (the pictures of the guide).
bool shoot(const QString& name, const QWidget* only = nullptr) {
    QTest::qWait(700);
    QStringList arguments{QStringLiteral("-window"), QStringLiteral("root")};
    if (only) {
        const QRect frame = only->frameGeometry();
        arguments << QStringLiteral("-crop")
                  << QStringLiteral("%1x%2+%3+%4")
                         .arg(frame.width())
                         .arg(frame.height())
                         .arg(frame.x())
                         .arg(frame.y());
    }
    return QProcess::execute(QStringLiteral("import"), arguments << shotPath(name)) == 0;
}

// Photographs the first modal dialog a click opens, then closes it and whatever asks next.
bool shootModal(QAbstractButton* opener, const QString& name) {
    bool shot = false;
    bool busy = false;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || busy)
            return;
        busy = true;
        if (!shot)
            shot = shoot(name);
        modal->close();
        busy = false;
    });
    closer.start(300);
    opener->click();
    // A dialog opened without a loop of its own is still up here.
    return QTest::qWaitFor([&] { return shot && !QApplication::activeModalWidget(); }, 5000);
}

} // namespace

void tst_ScreenJourney::journey() {
    if (qEnvironmentVariableIsEmpty("RIVELPOST_SCREEN_SHOTS") ||
        QGuiApplication::platformName() != QLatin1String("xcb"))
        QSKIP("RIVELPOST_SCREEN_SHOTS names no folder, or no X display runs");
    DemoProgramFolder demo;
    const QString error = demo.create();
    QVERIFY2(error.isEmpty(), qPrintable(error));
    RecordingDialogs dialogs;
    MainWindowServices services = demo.services(&dialogs);
    services.screenWidth = [] { return QGuiApplication::primaryScreen()->size().width(); };
    MainWindow window(services);
    const auto quit = qScopeGuard([] { AppPaths::setProgramFolder({}); });
    WindowDriver s{window};
    QVERIFY(s.start());
    QVERIFY(shoot(QStringLiteral("main-sites")));

    // A unit series over the new year, then its chart.
    window.findChild<QRadioButton*>(QStringLiteral("Option1_4"))->click();
    QVERIFY(s.retrieve(QStringLiteral("KERN RIVER NR KERNVILLE CA"), QStringLiteral("DISCHARGE"),
                       QStringLiteral("30-Dec-2012"), QStringLiteral("02-Jan-2013"), true));
    QVERIFY(shoot(QStringLiteral("main-unit")));
    QVERIFY2(s.model()->rowCount() > 100, qPrintable(dialogs.messages.join('\n')));
    s.click("ViewGraphbutton");
    GraphTableDialog* form = window.graphTable()->graphTable();
    QVERIFY(shoot(QStringLiteral("graph-table")));
    QVERIFY(shoot(QStringLiteral("graph-table-dialog"), form));
    form->findChild<QRadioButton*>(QStringLiteral("Option1_1"))->click();
    QTest::mouseClick(form->findChild<QPushButton*>(QStringLiteral("Command1")), Qt::LeftButton);
    auto* chart = window.findChild<GraphWindow*>();
    QVERIFY(chart && chart->isVisible());
    chart->resize(1000, 600);
    QVERIFY(shoot(QStringLiteral("graph-unit")));
    QVERIFY(shoot(QStringLiteral("graph-window"), chart));
    chart->hide();

    // An eight-digit key in the mode box, and the dialogs of the top row.
    window.activateWindow();
    window.findChild<QLineEdit*>(QStringLiteral("Text1"))->setText(QStringLiteral("11532500"));
    QVERIFY(shootModal(window.findChild<QPushButton*>(QStringLiteral("Command4")),
                       QStringLiteral("date-dialog")));
    QVERIFY(shootModal(window.findChild<QPushButton*>(QStringLiteral("PasswordButton")),
                       QStringLiteral("connection")));
    QVERIFY(shoot(QStringLiteral("main-key")));
}

QTEST_MAIN(tst_ScreenJourney)
#include "tst_ScreenJourney.moc"
