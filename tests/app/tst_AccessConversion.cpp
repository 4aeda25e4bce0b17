// "Convert to SQLite..." at the end of the Connection command, and the main window on an Access
// file: it browses, and refuses edits with the message that offers the conversion.

#include "ConnectionFakes.h"
#include "MainWindowFixture.h"
#include "TestSupport.h"
#include "app/mainwindow/AccessConversion.h"
#include "app/mainwindow/ConnectionCommand.h"
#include "core/settings/AppPaths.h"
#include "core/settings/RecentConnections.h"
#include "providers/access/AccessDatabase.h"
#include "providers/sqlite/SqliteCompactor.h"
#include "providers/sqlite/SqliteDatabase.h"

#include <QtTest>

using namespace rp;
using namespace rp::test;

namespace {

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
}

QString accessConnection(const QString& path) {
    return QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + path;
}

} // namespace

class tst_AccessConversion : public QObject {
    Q_OBJECT
private slots:
    void init() {
        m_folder = std::make_unique<QTemporaryDir>();
        AppPaths::setProgramFolder(m_folder->path());
        prompts = ScriptedPrompts();
        view = RecordingView();
        contig = ScriptedContig();
    }
    void cleanup() {
        AppPaths::setProgramFolder({});
        m_folder.reset();
    }

    void convertsAndSwitches();
    void declined_data();
    void declined();
    void failedConversionLeavesTheConnection();
    void cancelledConversionLeavesNothing();
    void suggestedPath();
    void mainWindowBrowsesAndRefusesEdits();

private:
    // Copies the sample into the program folder and names it in a settings file with a backdrop.
    QString prepare(const QString& source) {
        const QString path = m_folder->filePath(QStringLiteral("hydro.mdb"));
        if (!QFile::copy(source, path))
            return {};
        QFile settings(m_folder->filePath(QStringLiteral("Rivelpost_setup.txt")));
        if (!settings.open(QIODevice::WriteOnly))
            return {};
        settings.write((accessConnection(path) + QStringLiteral("\r\n 255 ; 0 \r\n")).toLatin1());
        return path;
    }
    void runCommand(Progress progress = {}) {
        SqliteCompactor compactor;
        ConnectionCommand command(prompts, view, contig, compactor);
        command.setConversionProgress(std::move(progress));
        command.run();
    }
    QString settingsText() const {
        return QString::fromLatin1(
            readAll(m_folder->filePath(QStringLiteral("Rivelpost_setup.txt"))));
    }

    std::unique_ptr<QTemporaryDir> m_folder;
    ScriptedPrompts prompts;
    RecordingView view;
    ScriptedContig contig;
};

void tst_AccessConversion::convertsAndSwitches() {
    RP_REQUIRE_SHARED_DATA(source, QStringLiteral("mdb/nwind.mdb"));
    const QString mdb = prepare(source);
    QVERIFY(!mdb.isEmpty());
    const QString target = m_folder->filePath(QStringLiteral("hydro.sqlite"));
    prompts.newFile = target;
    prompts.yesNo = {true, true}; // convert, then switch

    runCommand(); // Cancel keeps the Access connection and leads on to the offer

    QVERIFY2(prompts.asked.contains(
                 QStringLiteral("question Convert to SQLite... | %1 is an Access database, which "
                                "this program reads but does not change. Convert it to a new "
                                "SQLite HDB, which it can edit?")
                     .arg(mdb)),
             qPrintable(prompts.asked.join('\n')));
    QVERIFY(prompts.asked.contains(QStringLiteral("new file Convert to SQLite... | ") + target));
    const QString connection = QStringLiteral("Provider=SQLite;Data Source=\"%1\"").arg(target);
    QCOMPARE(view.connections, QStringList{connection});
    // Line 1 names the new file; the backdrop line stays.
    QCOMPARE(settingsText(), connection + QStringLiteral("\r\n 255 ; 0 \r\n"));
    QVERIFY(view.captions.contains(QStringLiteral("Converting %1...").arg(mdb)));
    QCOMPARE(view.caption(), QStringLiteral("Rivelpos 0.1.0"));
    QVERIFY(view.events.contains(QStringLiteral("busy")));
    QCOMPARE(view.events.last(), QStringLiteral("finish"));

    SqliteDatabase copy(target);
    QCOMPARE(copy.open(QStringLiteral("SELECT * FROM Orders"), LockType::ReadOnly)->recordCount(),
             830);
    QVERIFY(copy.readOnlyReason().isEmpty());
    QCOMPARE(RecentConnections::inProgramFolder().load().value(0), connection);
}

void tst_AccessConversion::declined_data() {
    QTest::addColumn<QList<bool>>("answers");
    QTest::addColumn<QString>("newFile");
    QTest::addColumn<bool>("made"); // the SQLite file exists afterwards
    QTest::newRow("no to converting") << QList<bool>{false} << "hydro.sqlite" << false;
    QTest::newRow("file dialog cancelled") << QList<bool>{true} << "" << false;
    QTest::newRow("no to switching") << QList<bool>{true, false} << "hydro.sqlite" << true;
}

void tst_AccessConversion::declined() {
    QFETCH(QList<bool>, answers);
    QFETCH(QString, newFile);
    QFETCH(bool, made);
    RP_REQUIRE_SHARED_DATA(source, QStringLiteral("mdb/DateTestDatabase.mdb"));
    QVERIFY(!prepare(source).isEmpty());
    const QString before = settingsText();
    prompts.yesNo = answers;
    const QString target = newFile.isEmpty() ? QString() : m_folder->filePath(newFile);
    prompts.newFile = target;

    runCommand();

    QCOMPARE(settingsText(), before);
    QVERIFY(view.connections.isEmpty());
    QCOMPARE(QFileInfo::exists(m_folder->filePath(QStringLiteral("hydro.sqlite"))), made);
    QVERIFY(!prompts.asked.last().startsWith(QStringLiteral("message")));
}

void tst_AccessConversion::failedConversionLeavesTheConnection() {
    RP_REQUIRE_SHARED_DATA(source, QStringLiteral("mdb/DateTestDatabase.mdb"));
    QVERIFY(!prepare(source).isEmpty());
    const QString before = settingsText();
    // The chosen file is there already: a conversion never overwrites.
    const QString target = m_folder->filePath(QStringLiteral("taken.sqlite"));
    QFile taken(target);
    QVERIFY(taken.open(QIODevice::WriteOnly));
    taken.write("mine");
    taken.close();
    prompts.yesNo = {true, true};
    prompts.newFile = target;

    runCommand();

    QVERIFY2(prompts.asked.last().startsWith(QStringLiteral("message  | ")) &&
                 prompts.asked.last().contains(QStringLiteral("already exists")),
             qPrintable(prompts.asked.last()));
    QCOMPARE(readAll(target), QByteArray("mine"));
    QCOMPARE(settingsText(), before);
    QCOMPARE(view.caption(), QStringLiteral("Rivelpos 0.1.0"));
    QVERIFY(view.events.contains(QStringLiteral("idle")));
}

void tst_AccessConversion::cancelledConversionLeavesNothing() {
    RP_REQUIRE_SHARED_DATA(source, QStringLiteral("mdb/nwind.mdb"));
    QVERIFY(!prepare(source).isEmpty());
    const QString before = settingsText();
    prompts.yesNo = {true, true};
    prompts.newFile = m_folder->filePath(QStringLiteral("hydro.sqlite"));
    qint64 lastDone = -1;
    bool rising = true;
    // Cancel once a thousand rows are done.
    runCommand([&](qint64 done, qint64) {
        rising = rising && done >= lastDone;
        lastDone = done;
        return done < 1000;
    });

    QVERIFY(rising);
    QVERIFY(lastDone >= 1000);
    QCOMPARE(prompts.asked.last(),
             QStringLiteral("message  | The conversion was cancelled; no file was made."));
    QCOMPARE(settingsText(), before);
    // Neither the new file nor a part of it.
    QCOMPARE(QDir(m_folder->path())
                 .entryList({QStringLiteral("*.sqlite*"), QStringLiteral("*.part")},
                            QDir::Files | QDir::Hidden),
             QStringList());
    QCOMPARE(view.caption(), QStringLiteral("Rivelpos 0.1.0"));
}

void tst_AccessConversion::suggestedPath() {
    const QDir dir(m_folder->path());
    const QString mdb = dir.filePath(QStringLiteral("hdb.v2.mdb"));
    QCOMPARE(AccessConversion::suggestedPath(mdb), dir.filePath(QStringLiteral("hdb.v2.sqlite")));
    QFile(dir.filePath(QStringLiteral("hdb.v2.sqlite"))).open(QIODevice::WriteOnly);
    QFile(dir.filePath(QStringLiteral("hdb.v2_2.sqlite"))).open(QIODevice::WriteOnly);
    QCOMPARE(AccessConversion::suggestedPath(mdb), dir.filePath(QStringLiteral("hdb.v2_3.sqlite")));
}

void tst_AccessConversion::mainWindowBrowsesAndRefusesEdits() {
    RP_REQUIRE_SHARED_DATA(source, QStringLiteral("mdb/nwind.mdb"));
    const QString mdb = prepare(source);
    QVERIFY(!mdb.isEmpty());
    RecordingDialogs dialogs;
    MainWindowServices services;
    services.dialogs = &dialogs;
    services.today = [] { return QDate(2010, 2, 1); };
    services.screenWidth = [] { return 1920; };
    MainWindow window(services);
    window.startUp();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    // Northwind is no HDB: the site lists of start-up and activation say so (only that), and the
    // window stays usable.
    QTRY_VERIFY(!dialogs.messages.isEmpty());
    auto others = [&] {
        QStringList left = dialogs.messages;
        left.removeIf([](const QString& m) { return m == QLatin1String("no such table: rsite"); });
        return left;
    };

    // DB Tables lists the file's own tables.
    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("TablesButton")),
                      Qt::LeftButton);
    QVERIFY2(others().isEmpty(), qPrintable(others().join('\n')));
    QStringList listed;
    for (qsizetype r = 0; r < window.recordSet()->recordCount(); ++r)
        listed.append(window.recordSet()->value(r, 0).toString());
    QVERIFY2(listed.contains(QStringLiteral("Umsätze")), qPrintable(listed.join(", ")));

    // An own SELECT with editing allowed shows the rows; the first typed change is refused.
    QTest::mouseClick(window.findChild<QCheckBox*>(QStringLiteral("Check1")), Qt::LeftButton);
    window.findChild<QPlainTextEdit*>(QStringLiteral("Text4"))
        ->setPlainText(QStringLiteral("SELECT * FROM Orders ORDER BY OrderID"));
    QTest::mouseClick(window.findChild<QCheckBox*>(QStringLiteral("AllowEdit")), Qt::LeftButton);
    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("Getbutton")), Qt::LeftButton);
    QVERIFY2(others().isEmpty(), qPrintable(others().join('\n')));
    QCOMPARE(window.recordSet()->recordCount(), 830);
    const int freight = window.recordSet()->fieldIndex(QStringLiteral("Freight"));
    const QVariant before = window.recordSet()->value(0, freight);
    auto* model = window.dataGrid()->model();
    QVERIFY(!model->setData(model->index(0, freight), QStringLiteral("1.5"), Qt::EditRole));
    // The message comes once the editor has closed, once.
    QTRY_COMPARE(others().size(), 1);
    QTest::qWait(100);
    QCOMPARE(others().size(), 1);
    QVERIFY2(others()[0].contains(QStringLiteral("Convert to SQLite")), qPrintable(others()[0]));
    QCOMPARE(window.recordSet()->value(0, freight), before);
    QCOMPARE(window.recordSet()->editMode(), EditMode::None);
}

QTEST_MAIN(tst_AccessConversion)
#include "tst_AccessConversion.moc"
