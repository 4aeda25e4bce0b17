#pragma once

#include "BrowsingHdb.h"
#include "app/mainwindow/MainWindow.h"
#include "core/base/CommandPrompts.h"
#include "core/base/UserDialogs.h"
#include "core/db/RecordSet.h"
#include "core/settings/AppPaths.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>
#include <memory>

namespace rp::test {

// Answers every message box and remembers its text; onMessage may act while the box is open.
class RecordingDialogs : public UserDialogs {
public:
    void message(QWidget*, const QString& text) override {
        messages.append(text);
        if (onMessage)
            onMessage(text);
    }
    QStringList messages;
    std::function<void(const QString&)> onMessage;
};

// A program folder holding the demo HDB that rivelpost-cli makes (data up to 15 Jan 2013) and a
// settings file naming it, for journeys on realistic data.
struct DemoProgramFolder {
    QTemporaryDir folder;
    QString connectionString;

    // Empty when the folder is ready, else what failed.
    QString create() {
        const QString path = folder.filePath(QStringLiteral("demo.sqlite"));
        QProcess cli;
        cli.start(QStringLiteral(RIVELPOST_CLI),
                  {QStringLiteral("demo-db"), path, QStringLiteral("--until"),
                   QStringLiteral("2013-01-15")});
        if (!cli.waitForFinished(120000) || cli.exitCode() != 0)
            return QStringLiteral("demo-db failed: ") +
                   QString::fromLocal8Bit(cli.readAllStandardError());
        connectionString = QStringLiteral("Provider=SQLite;Data Source=") + path;
        QFile settings(folder.filePath(QStringLiteral("Rivelpost_setup.txt")));
        if (!settings.open(QIODevice::WriteOnly))
            return QStringLiteral("cannot write ") + settings.fileName();
        settings.write((connectionString + QStringLiteral("\r\n")).toLatin1());
        return {};
    }

    // A main window's services on this folder, today fixed at 15 Jan 2013; makes it the
    // program folder.
    MainWindowServices services(UserDialogs* dialogs) const {
        AppPaths::setProgramFolder(folder.path());
        MainWindowServices services;
        services.dialogs = dialogs;
        services.today = [] { return QDate(2013, 1, 15); };
        services.screenWidth = [] { return 1920; };
        return services;
    }
};

// Drives a main window by its controls, as a person does: for journeys on the demo HDB.
struct WindowDriver {
    MainWindow& window;

    QAbstractItemModel* model() const { return window.dataGrid()->model(); }
    int rowOf(int column, const QString& text) const {
        for (int r = 0; r < model()->rowCount(); ++r)
            if (model()->index(r, column).data().toString() == text)
                return r;
        return -1;
    }
    void click(const char* name) {
        QTest::mouseClick(window.findChild<QPushButton*>(QLatin1String(name)), Qt::LeftButton);
    }
    void doubleClickRow(int row) {
        QTableView* grid = window.dataGrid();
        const QModelIndex index = model()->index(row, 0);
        grid->scrollTo(index);
        const QPoint at = grid->visualRect(index).center();
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
    }
    // Start-up, show, and wait for the first activation's site list.
    bool start() {
        QSignalSpy replaced(&window, &MainWindow::resultReplaced);
        window.startUp();
        window.show();
        window.activateWindow(); // on a display without a window manager nobody else does
        return QTest::qWaitFor([&] { return replaced.count() >= 2; });
    }
    // A double-click on the site in the list shown (then PARAMETERS w/data when asked), and GO on
    // the parameter between the dates. False when the site or the parameter is not listed.
    bool retrieve(const QString& site, const QString& parameter, const QString& from,
                  const QString& to, bool parametersWithData = false) {
        const int siteRow = rowOf(2, site);
        if (siteRow < 0)
            return false;
        doubleClickRow(siteRow);
        if (parametersWithData)
            click("SDIDwdatabutton");
        const int parameterRow = rowOf(2, parameter);
        if (parameterRow < 0)
            return false;
        window.dataGrid()->setCurrentIndex(model()->index(parameterRow, 0));
        window.setDateTexts(from, to);
        click("Getbutton");
        return true;
    }
};

// A main window in a temporary program folder, on the small browsing HDB, with today fixed at
// 1 Feb 2010.
class MainWindowFixture {
public:
    explicit MainWindowFixture(const BrowsingHdb& hdb, bool withSettings = true,
                               const QString& settingsName = QStringLiteral("Rivelpost_setup.txt"),
                               int screenWidth = 1920, CommandPrompts* prompts = nullptr) {
        AppPaths::setProgramFolder(folder.path());
        if (withSettings) {
            QFile file(folder.filePath(settingsName));
            if (file.open(QIODevice::WriteOnly))
                file.write((hdb.connectionString + QStringLiteral("\r\n")).toLatin1());
        }
        MainWindowServices services;
        services.dialogs = &dialogs;
        services.today = [] { return QDate(2010, 2, 1); };
        services.screenWidth = [screenWidth] { return screenWidth; };
        services.chooseDataFile = [this] { return dataFile; };
        services.prompts = prompts;
        window = std::make_unique<MainWindow>(services);
    }
    ~MainWindowFixture() {
        window.reset();
        AppPaths::setProgramFolder({});
    }

    // Start-up, show, and wait for the first activation's site list.
    bool start() {
        QSignalSpy replaced(window.get(), &MainWindow::resultReplaced);
        const qsizetype messagesBefore = dialogs.messages.size();
        window->startUp();
        window->show();
        if (!QTest::qWaitForWindowExposed(window.get()))
            return false;
        // The activation lists the sites again (or reports that it cannot).
        return QTest::qWaitFor(
            [&] { return replaced.count() >= 2 || dialogs.messages.size() >= messagesBefore + 2; });
    }

    template <typename T> T* find(const QString& name) const { return window->findChild<T*>(name); }
    QPushButton* button(const char* name) const { return find<QPushButton>(QLatin1String(name)); }
    QTableView* grid() const { return window->dataGrid(); }
    QString text(const char* name) const { return find<QLineEdit>(QLatin1String(name))->text(); }
    QString sql() const { return find<QPlainTextEdit>(QStringLiteral("Text4"))->toPlainText(); }
    QString label1() const { return find<QLabel>(QStringLiteral("Label1"))->text(); }
    qsizetype rows() const { return window->recordSet() ? window->recordSet()->recordCount() : -1; }
    QString caption(int column) const {
        return grid()->model()->headerData(column, Qt::Horizontal).toString();
    }
    QString cell(int row, int column) const {
        return grid()->model()->index(row, column).data().toString();
    }

    void click(const char* name) { QTest::mouseClick(button(name), Qt::LeftButton); }
    void chooseTimeStep(int index) {
        QTest::mouseClick(find<QRadioButton>(QStringLiteral("Option1_%1").arg(index)),
                          Qt::LeftButton);
    }
    void setDates(const QString& start, const QString& end) { window->setDateTexts(start, end); }
    void selectRow(int row) { grid()->setCurrentIndex(grid()->model()->index(row, 0)); }
    void doubleClickRow(int row, int column = 0) {
        const QModelIndex index = grid()->model()->index(row, column);
        grid()->scrollTo(index);
        const QPoint at = grid()->visualRect(index).center();
        QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(grid()->viewport(), Qt::LeftButton, {}, at);
    }
    int findRow(int column, const QString& value) const {
        for (int r = 0; r < grid()->model()->rowCount(); ++r)
            if (cell(r, column) == value)
                return r;
        return -1;
    }
    // The enabled state of the controls each command switches, as one text.
    QString states() const {
        QStringList parts;
        for (const char* name : {"siteIDbutton", "SDIDwdatabutton", "Getbutton", "ViewGraphbutton",
                                 "TablesButton", "SDIDbutton"})
            parts.append(QString::number(button(name)->isEnabled()));
        parts.append(QString::number(find<QCheckBox>(QStringLiteral("AllowEdit"))->isEnabled()));
        parts.append(QString::number(find<QCheckBox>(QStringLiteral("AutoInsert"))->isEnabled()));
        parts.append(QString::number(find<QPlainTextEdit>(QStringLiteral("Text4"))->isEnabled()));
        return parts.join(QLatin1Char(' '));
    }

    QTemporaryDir folder;
    RecordingDialogs dialogs;
    QString dataFile; // what "Load file…" is given when it asks for a file
    std::unique_ptr<MainWindow> window;
};

} // namespace rp::test
