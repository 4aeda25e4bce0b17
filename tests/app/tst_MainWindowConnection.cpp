#include "ConnectionFakes.h"
#include "MainWindowFixture.h"
#include "core/hdb/MaintenanceRules.h"

#include <QtTest>

using namespace rp;
using namespace rp::test;

// The Connection and Help buttons of the main window, on the small browsing HDB.
class tst_MainWindowConnection : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void cancelRestoresTheWindow();
    void newStringIsUsedByTheNextList();
    void newDatabaseLeavesNothingOfTheOld_data();
    void newDatabaseLeavesNothingOfTheOld();
    void compactionClosesTheResultAndKeepsTheData();
    void helpOpensTheGuide();

private:
    void click(const char* name) {
        QTest::mouseClick(m_window->findChild<QPushButton*>(QLatin1String(name)), Qt::LeftButton);
    }
    QPushButton* button(const char* name) const {
        return m_window->findChild<QPushButton*>(QLatin1String(name));
    }

    std::unique_ptr<BrowsingHdb> m_hdb;
    std::unique_ptr<QTemporaryDir> m_folder;
    RecordingDialogs m_dialogs;
    ScriptedPrompts m_prompts;
    ScriptedContig m_contig;
    QStringList m_opened;
    std::unique_ptr<MainWindow> m_window;
};

void tst_MainWindowConnection::init() {
    m_hdb = std::make_unique<BrowsingHdb>();
    m_folder = std::make_unique<QTemporaryDir>();
    AppPaths::setProgramFolder(m_folder->path());
    QFile settings(m_folder->filePath(QStringLiteral("Rivelpost_setup.txt")));
    QVERIFY(settings.open(QIODevice::WriteOnly));
    settings.write(m_hdb->connectionString.toLatin1() + "\r\n");
    settings.close();
    m_prompts = ScriptedPrompts();
    m_dialogs.messages.clear();
    m_contig = ScriptedContig();
    m_contig.installed = false;
    m_opened.clear();
    MainWindowServices services;
    services.dialogs = &m_dialogs;
    services.today = [] { return QDate(2010, 2, 1); };
    services.screenWidth = [] { return 1920; };
    services.prompts = &m_prompts;
    services.contig = &m_contig;
    services.openUrl = [this](const QUrl& url) {
        m_opened.append(url.toString());
        return true;
    };
    m_window = std::make_unique<MainWindow>(services);
    m_window->startUp();
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    QTRY_VERIFY(m_window->recordSet() && m_window->recordSet()->recordCount() == 3);
}

void tst_MainWindowConnection::cleanup() {
    m_window.reset();
    AppPaths::setProgramFolder({});
    m_folder.reset();
    m_hdb.reset();
}

void tst_MainWindowConnection::cancelRestoresTheWindow() {
    const QString caption = m_window->windowTitle();
    click("PasswordButton");
    QCOMPARE(m_prompts.asked.value(0).section(QLatin1String(" | "), 2), m_hdb->connectionString);
    QCOMPARE(m_window->windowTitle(), caption);
    QCOMPARE(m_window->activeButton(), button("PasswordButton"));
    QVERIFY(!button("ViewGraphbutton")->isEnabled());
    QVERIFY(m_window->dataGrid()->isVisible());
    // The grid keeps its result until the next query.
    QCOMPARE(m_window->recordSet()->recordCount(), 3);
    QVERIFY(m_dialogs.messages.isEmpty());
}

void tst_MainWindowConnection::newStringIsUsedByTheNextList() {
    BrowsingHdb other;
    {
        auto db = openDatabase(other.connectionString);
        db->execute(QStringLiteral("DELETE FROM rsite WHERE site_id = 3"));
    }
    m_prompts.answer = other.connectionString;
    click("PasswordButton");
    QCOMPARE(m_window->connectionString(), other.connectionString);
    click("siteIDbutton");
    QTRY_COMPARE(m_window->recordSet()->recordCount(), 2);
}

void tst_MainWindowConnection::newDatabaseLeavesNothingOfTheOld_data() {
    QTest::addColumn<bool>("hdb");
    QTest::addColumn<int>("sites");
    QTest::newRow("another HDB") << true << 2;
    QTest::newRow("a database without an HDB") << false << 0;
}

void tst_MainWindowConnection::newDatabaseLeavesNothingOfTheOld() {
    QFETCH(bool, hdb);
    QFETCH(int, sites);
    BrowsingHdb other;
    {
        auto db = openDatabase(other.connectionString);
        db->execute(QStringLiteral("DELETE FROM rsite WHERE site_id = 3"));
    }
    // A series of the old database in the grid, GO and Graph/Table available.
    QTest::mouseClick(
        m_window->dataGrid()->viewport(), Qt::LeftButton, {},
        m_window->dataGrid()->visualRect(m_window->dataGrid()->model()->index(0, 0)).center());
    QTest::mouseDClick(
        m_window->dataGrid()->viewport(), Qt::LeftButton, {},
        m_window->dataGrid()->visualRect(m_window->dataGrid()->model()->index(0, 0)).center());
    QTRY_COMPARE(m_window->modeText(), QStringLiteral("1"));
    m_window->dataGrid()->setCurrentIndex(m_window->dataGrid()->model()->index(0, 0));
    click("Getbutton");
    QTRY_COMPARE(m_window->modeText(), QStringLiteral("1001"));
    QVERIFY(button("ViewGraphbutton")->isEnabled());
    const QString path = hdb ? other.path : m_folder->filePath(QStringLiteral("empty.sqlite"));
    m_prompts.answer = QStringLiteral("Provider=SQLite;Data Source=") + path;
    click("PasswordButton");
    // At once, without SITE LIST: the new database's sites, or nothing.
    QCOMPARE(m_window->recordSet() ? int(m_window->recordSet()->recordCount()) : 0, sites);
    QCOMPARE(m_window->modeText(), QString());
    QCOMPARE(m_window->windowTitle(),
             MainWindow::programCaption() + QStringLiteral(" - ") + QFileInfo(path).fileName());
    QVERIFY(!button("Getbutton")->isEnabled());
    QVERIFY(!button("ViewGraphbutton")->isEnabled());
    QVERIFY(button("siteIDbutton")->isEnabled());
    QCOMPARE(m_window->activeButton(), button("siteIDbutton"));
    QCOMPARE(m_dialogs.messages.isEmpty(), hdb);
}

void tst_MainWindowConnection::compactionClosesTheResultAndKeepsTheData() {
    m_prompts.yesNo = {true};
    click("PasswordButton");
    QVERIFY2(m_prompts.asked.value(2).contains(QLatin1String("Compact and repair complete...")),
             qPrintable(m_prompts.asked.join(QLatin1Char('\n'))));
    QCOMPARE(m_window->recordSet(), nullptr);
    QVERIFY(m_window->dataGrid()->isVisible());
    QVERIFY(QFileInfo::exists(maintenanceNames(m_hdb->path, true).backup));
    click("siteIDbutton");
    QTRY_VERIFY(m_window->recordSet() && m_window->recordSet()->recordCount() == 3);
    QVERIFY(m_dialogs.messages.isEmpty());
}

void tst_MainWindowConnection::helpOpensTheGuide() {
    m_prompts.yesNo = {true};
    click("cmdHELP");
    QCOMPARE(m_window->activeButton(), button("cmdHELP"));
    QCOMPARE(m_opened.size(), 1);
    QVERIFY(m_opened.first().endsWith(QLatin1String("/index.html")));
}

QTEST_MAIN(tst_MainWindowConnection)
#include "tst_MainWindowConnection.moc"
