#include "core/base/UserDialogs.h"
#include "core/settings/AppPaths.h"
#include "core/settings/WindowGeometry.h"
#include "gui/graph/GraphWindow.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

using namespace rp;

namespace {

class SilentDialogs : public UserDialogs {
public:
    void message(QWidget*, const QString& text) override { messages.append(text); }
    QStringList messages;
};

} // namespace

// The graph window opens where the user left it in an earlier run; the positions live in the
// program folder, here a temporary one.
class tst_GraphWindowGeometry : public QObject {
    Q_OBJECT
private slots:
    void init() {
        folder = std::make_unique<QTemporaryDir>();
        AppPaths::setProgramFolder(folder->path());
    }
    void cleanup() {
        AppPaths::setProgramFolder({});
        folder.reset();
    }
    void geometryKeptAcrossRuns_data();
    void geometryKeptAcrossRuns();
    void firstRunHasDefaultSize_data();
    void firstRunHasDefaultSize();

private:
    std::unique_ptr<GraphWindow> newWindow() {
        GraphWindowServices services;
        services.dialogs = &dialogs;
        services.has3d = [] { return false; };
        return std::make_unique<GraphWindow>(services);
    }
    std::unique_ptr<QTemporaryDir> folder;
    SilentDialogs dialogs;
};

void tst_GraphWindowGeometry::geometryKeptAcrossRuns_data() {
    QTest::addColumn<QString>("leave"); // how the first run's window goes away
    QTest::newRow("title bar close") << "close";
    QTest::newRow("Close option") << "option";
    QTest::newRow("program ends while shown") << "destroy";
}

void tst_GraphWindowGeometry::geometryKeptAcrossRuns() {
    QFETCH(QString, leave);
    const QRect placed(120, 90, 640, 480);
    {
        auto window = newWindow();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        window->setGeometry(placed);
        QTRY_COMPARE(window->geometry().size(), placed.size());
        if (leave == QLatin1String("close"))
            window->close();
        else if (leave == QLatin1String("option"))
            window->runOption(QStringLiteral("Close"));
        QCOMPARE(window->isVisible(), leave == QLatin1String("destroy"));
    }
    QVERIFY(QFile::exists(folder->filePath(QLatin1String(WindowGeometry::fileName))));

    auto again = newWindow();
    again->show();
    QVERIFY(QTest::qWaitForWindowExposed(again.get()));
    QCOMPARE(again->geometry().size(), placed.size());
    QCOMPARE(again->geometry().topLeft(), placed.topLeft());
    QVERIFY(dialogs.messages.isEmpty());
}

void tst_GraphWindowGeometry::firstRunHasDefaultSize_data() {
    QTest::addColumn<QByteArray>("file"); // the positions file before the run; none when null
    QTest::newRow("no file") << QByteArray();
    QTest::newRow("other window only")
        << QByteArray("[GraphTableDialog]\r\ngeometry=@ByteArray(xyz)\r\n");
    QTest::newRow("damaged entry")
        << QByteArray("[GraphWindow]\r\ngeometry=@ByteArray(\x01\x02garbage)\r\n");
    QTest::newRow("not an ini file") << QByteArray("\xff\xfe\x00[[[=\n=");
}

void tst_GraphWindowGeometry::firstRunHasDefaultSize() {
    QFETCH(QByteArray, file);
    if (!file.isNull()) {
        QFile out(folder->filePath(QLatin1String(WindowGeometry::fileName)));
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(file);
    }
    auto window = newWindow();
    QCOMPARE(window->size(), QSize(1000, 700));
}

QTEST_MAIN(tst_GraphWindowGeometry)
#include "tst_GraphWindowGeometry.moc"
