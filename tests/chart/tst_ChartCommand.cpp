#include "SeriesFiles.h"

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

class tst_ChartCommand : public QObject {
    Q_OBJECT
private slots:
    void init();
    void drawsPng_data();
    void drawsPng();
    void pdf();
    void svgKeepsTextsAndLines();
    void failures_data();
    void failures();
    void writesNothingBesideTheProgram();

private:
    struct Result {
        int status;
        QByteArray err;
    };
    Result run(const QStringList& args) {
        QProcess p;
        p.setWorkingDirectory(m_dir->path());
        p.start(QStringLiteral(RIVELPOST_CLI), QStringList{QStringLiteral("chart")} + args);
        if (!p.waitForFinished(60000))
            qFatal("rivelpost-cli did not finish");
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
                p.readAllStandardError()};
    }
    QString write(const QString& name, const QByteArray& bytes) {
        const QString path = m_dir->filePath(name);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void tst_ChartCommand::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    write(QStringLiteral("a.txt"), rp::test::dailySeries("1 A", "FLOW, CFS", {1.0, 5.0, 3.0}));
    write(QStringLiteral("b.txt"), rp::test::dailySeries("2 B", "FLOW, CFS", {9.0, 7.0}));
}

void tst_ChartCommand::drawsPng_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QSize>("size");
    QTest::newRow("one series") << QStringList{"a.txt"} << QSize(1200, 700);
    QTest::newRow("two, second axis, sized")
        << QStringList{"a.txt", "b.txt", "--y2", "--width", "640", "--height", "480"}
        << QSize(640, 480);
    QTest::newRow("stacked bars, cumulative")
        << QStringList{"a.txt", "b.txt", "--bar", "--stack", "--cumulative"} << QSize(1200, 700);
    QTest::newRow("areas on a log axis")
        << QStringList{"a.txt", "--area", "--log"} << QSize(1200, 700);
}

void tst_ChartCommand::drawsPng() {
    QFETCH(QStringList, args);
    QFETCH(QSize, size);
    const Result r = run(args + QStringList{"--out", "chart.png"});
    QVERIFY2(r.status == 0, r.err.constData());
    const QImage image(m_dir->filePath(QStringLiteral("chart.png")));
    QCOMPARE(image.size(), size);
    // Something is drawn: more than a handful of colours.
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 4)
        for (int x = 0; x < image.width(); x += 4)
            colours.insert(image.pixel(x, y));
    QVERIFY(colours.size() > 10);
}

void tst_ChartCommand::pdf() {
    const Result r = run({"a.txt", "--out", "chart.pdf"});
    QVERIFY2(r.status == 0, r.err.constData());
    QFile f(m_dir->filePath(QStringLiteral("chart.pdf")));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QVERIFY(f.read(5) == "%PDF-");
}

void tst_ChartCommand::svgKeepsTextsAndLines() {
    const Result r = run({"a.txt", "--out", "chart.svg", "--width", "900", "--height", "500"});
    QVERIFY2(r.status == 0, r.err.constData());
    QFile f(m_dir->filePath(QStringLiteral("chart.svg")));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&f);
    QStringList texts;
    int paths = 0;
    QString viewBox;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == u"svg")
            viewBox = xml.attributes().value(QStringLiteral("viewBox")).toString();
        else if (xml.name() == u"path" || xml.name() == u"polyline")
            ++paths;
        else if (xml.name() == u"text")
            texts << xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
    }
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
    QCOMPARE(viewBox, QStringLiteral("0 0 900 500"));
    // The labels and the axis title are text a page can search, the series a drawn line.
    QVERIFY2(texts.contains(QStringLiteral("02 MAR 1999")), qPrintable(texts.join(u'|')));
    QVERIFY2(texts.contains(QStringLiteral("DAILY FLOW, CFS")), qPrintable(texts.join(u'|')));
    QVERIFY(paths > 0);
}

void tst_ChartCommand::failures_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message");
    QTest::newRow("no file") << QStringList{"--out", "x.png"} << 2 << "no series file";
    QTest::newRow("no out") << QStringList{"a.txt"} << 2 << "no --out";
    QTest::newRow("gif") << QStringList{"a.txt", "--out", "x.gif"} << 2 << ".png, .svg or .pdf";
    QTest::newRow("bar and area") << QStringList{"a.txt", "--bar", "--area", "--out", "x.png"} << 2
                                  << "exclude";
    QTest::newRow("bad width") << QStringList{"a.txt", "--width", "wide", "--out", "x.png"} << 2
                               << "--width";
    QTest::newRow("missing series")
        << QStringList{"none.txt", "--out", "x.png"} << 1 << "Cannot read the series file";
    QTest::newRow("not a series") << QStringList{"bad.txt", "--out", "x.png"} << 1
                                  << "not a series file";
    QTest::newRow("last line cut in its date")
        << QStringList{"cut.txt", "--out", "x.png"} << 1 << "Line 6 of cut.txt: \"04 MAR 19\"";
    QTest::newRow("hourly line cut before its hour")
        << QStringList{"cuthour.txt", "--out", "x.png"} << 1
        << "Line 4 of cuthour.txt: \"05 MAR 1999 01\"";
    QTest::newRow("a long bad value is quoted short")
        << QStringList{"long.txt", "--out", "x.png"} << 1 << "\"" + QString(80, 'x') + "...\"";
}

void tst_ChartCommand::failures() {
    QFETCH(QStringList, args);
    QFETCH(int, status);
    QFETCH(QString, message);
    write(QStringLiteral("bad.txt"), "hello\r\nworld\r\n");
    // A file cut off while it was written: what table, xlsx and acre-feet refuse.
    write(QStringLiteral("cut.txt"),
          rp::test::dailySeries("1 A", "FLOW, CFS", {1.0, 5.0, 3.0}) + "04 MAR 19");
    write(QStringLiteral("cuthour.txt"), rp::test::hourlySeries(1) + "05 MAR 1999 01");
    write(QStringLiteral("long.txt"), rp::test::dailySeries("1 A", "FLOW, CFS", {1.0}) +
                                          "02 MAR 1999 " + QByteArray(100000, 'x') + "\r\n");
    const Result r = run(args);
    QCOMPARE(r.status, status);
    QVERIFY2(QString::fromLocal8Bit(r.err).contains(message), r.err.constData());
    QVERIFY(!QFile::exists(m_dir->filePath(QStringLiteral("x.png"))));
}

// The command line keeps no window positions: nothing appears beside its program, even when that
// folder can be written to.
void tst_ChartCommand::writesNothingBesideTheProgram() {
    QTemporaryDir programDir;
    const QString program = programDir.filePath(QStringLiteral("rivelpost-cli"));
    QVERIFY(QFile::copy(QStringLiteral(RIVELPOST_CLI), program));
    QProcess p;
    p.setWorkingDirectory(m_dir->path());
    p.start(program, {"chart", "a.txt", "b.txt", "--out", "chart.png"});
    QVERIFY(p.waitForFinished(60000));
    QVERIFY2(p.exitCode() == 0, p.readAllStandardError().constData());
    QCOMPARE(
        QDir(programDir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
        QStringList{QStringLiteral("rivelpost-cli")});
    QVERIFY(QFile::exists(m_dir->filePath(QStringLiteral("chart.png"))));
}

QTEST_GUILESS_MAIN(tst_ChartCommand)
#include "tst_ChartCommand.moc"
