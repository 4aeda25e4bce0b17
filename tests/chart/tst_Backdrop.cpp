#include "core/chart/Backdrop.h"
#include "core/chart/ChartLine.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace rp;

class tst_Backdrop : public QObject {
    Q_OBJECT
private slots:
    void compositeKeepsAllButButtonFace_data();
    void compositeKeepsAllButButtonFace();
    void gradient();
    void tiledFromTopLeft();
    void colorRefs_data();
    void colorRefs();
    void chartLine_data();
    void chartLine();
    void readChartLine_data();
    void readChartLine();
};

void tst_Backdrop::compositeKeepsAllButButtonFace_data() {
    QTest::addColumn<QRgb>("chartPixel");
    QTest::addColumn<bool>("showsBackdrop");
    const QRgb face = qRgb(240, 240, 240);
    QTest::newRow("button face") << face << true;
    QTest::newRow("one unit off in red") << qRgb(241, 240, 240) << false;
    QTest::newRow("one unit off in blue") << qRgb(240, 240, 239) << false;
    QTest::newRow("line colour") << qRgb(0, 0, 255) << false;
    QTest::newRow("face with another alpha") << qRgba(240, 240, 240, 128) << true;
}

void tst_Backdrop::compositeKeepsAllButButtonFace() {
    QFETCH(QRgb, chartPixel);
    QFETCH(bool, showsBackdrop);
    const QRgb face = qRgb(240, 240, 240);
    QImage content(3, 2, QImage::Format_ARGB32);
    content.fill(qRgb(10, 20, 30));
    content.setPixel(1, 1, chartPixel);
    QImage backdrop(3, 2, QImage::Format_ARGB32);
    backdrop.fill(qRgb(200, 0, 0));
    const QImage out = compositeBackdrop(content, backdrop, face);
    QCOMPARE(out.pixel(1, 1), showsBackdrop ? qRgb(200, 0, 0) : chartPixel);
    QCOMPARE(out.pixel(0, 0), qRgb(10, 20, 30));
}

void tst_Backdrop::gradient() {
    BackdropSettings s;
    s.style = BackdropStyle::Gradient;
    s.color1 = qRgb(255, 0, 0);
    s.color2 = qRgb(0, 0, 255);
    const QImage image = paintBackdrop(s, QSize(4, 5));
    // Top to bottom: every row one colour, the first colour on top, the second at the bottom.
    QCOMPARE(image.pixel(0, 0), qRgb(255, 0, 0));
    QCOMPARE(image.pixel(3, 0), qRgb(255, 0, 0));
    QCOMPARE(image.pixel(2, 4), qRgb(0, 0, 255));
    QCOMPARE(image.pixel(1, 2), image.pixel(3, 2));
    QVERIFY(qRed(image.pixel(0, 1)) > qRed(image.pixel(0, 3)));
    s.color2 = s.color1;
    const QImage flat = paintBackdrop(s, QSize(4, 5));
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 4; ++x)
            QCOMPARE(flat.pixel(x, y), qRgb(255, 0, 0));
}

void tst_Backdrop::tiledFromTopLeft() {
    QImage tile(2, 3, QImage::Format_ARGB32);
    tile.fill(qRgb(0, 255, 0));
    tile.setPixel(0, 0, qRgb(1, 2, 3));
    BackdropSettings s;
    s.style = BackdropStyle::Picture;
    s.picture = tile;
    const QImage image = paintBackdrop(s, QSize(5, 7));
    QCOMPARE(image.pixel(0, 0), qRgb(1, 2, 3));
    QCOMPARE(image.pixel(2, 3), qRgb(1, 2, 3));
    QCOMPARE(image.pixel(4, 6), qRgb(1, 2, 3));
    QCOMPARE(image.pixel(1, 0), qRgb(0, 255, 0));
    QCOMPARE(image.pixel(4, 5), qRgb(0, 255, 0));
    s.picture = QImage();
    QCOMPARE(qAlpha(paintBackdrop(s, QSize(2, 2)).pixel(1, 1)), 0);
}

void tst_Backdrop::colorRefs_data() {
    QTest::addColumn<quint32>("ref");
    QTest::addColumn<QRgb>("color");
    QTest::newRow("red") << 255u << qRgb(255, 0, 0);
    QTest::newRow("blue") << 16711680u << qRgb(0, 0, 255);
    QTest::newRow("mixed") << 0x00336699u << qRgb(0x99, 0x66, 0x33);
}

void tst_Backdrop::colorRefs() {
    QFETCH(quint32, ref);
    QFETCH(QRgb, color);
    QCOMPARE(colorFromColorRef(ref), color);
    QCOMPARE(colorRefFromColor(color), ref);
}

void tst_Backdrop::chartLine_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("path");
    QTest::addColumn<quint32>("color1");
    QTest::addColumn<quint32>("color2");
    const int builtIn = int(ChartLine::Kind::BuiltInPicture);
    const int file = int(ChartLine::Kind::PictureFile);
    const int gradient = int(ChartLine::Kind::Gradient);
    QTest::newRow("empty") << "" << builtIn << "" << 0u << 0u;
    QTest::newRow("three characters") << "a.b" << builtIn << "" << 0u << 0u;
    QTest::newRow("four characters") << "a.bm" << file << "a.bm" << 0u << 0u;
    QTest::newRow("path") << "/home/h/sky.png" << file << "/home/h/sky.png" << 0u << 0u;
    QTest::newRow("written gradient") << " 255 ; 16711680 " << gradient << "" << 255u << 16711680u;
    QTest::newRow("short gradient") << "1;2" << gradient << "" << 1u << 2u;
    QTest::newRow("one colour") << "7;" << gradient << "" << 7u << 0u;
}

void tst_Backdrop::chartLine() {
    QFETCH(QString, line);
    QFETCH(int, kind);
    QFETCH(QString, path);
    QFETCH(quint32, color1);
    QFETCH(quint32, color2);
    const ChartLine chart = ChartLine::parse(line);
    QCOMPARE(int(chart.kind), kind);
    QCOMPARE(chart.path, path);
    QCOMPARE(chart.color1, color1);
    QCOMPARE(chart.color2, color2);
    if (chart.kind == ChartLine::Kind::Gradient) {
        const ChartLine back = ChartLine::parse(ChartLine::gradientText(color1, color2));
        QCOMPARE(back.color1, color1);
        QCOMPARE(back.color2, color2);
    }
    QCOMPARE(ChartLine::gradientText(255, 16711680), QStringLiteral(" 255 ; 16711680 "));
}

void tst_Backdrop::readChartLine_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("line");
    QTest::newRow("two lines") << QByteArray("Data Source=x\r\n 255 ; 16711680 \r\n")
                               << " 255 ; 16711680 ";
    QTest::newRow("one line") << QByteArray("Data Source=x\r\n") << "";
    QTest::newRow("tiny file") << QByteArray("a;b") << "a;b";
    QTest::newRow("LF ends") << QByteArray("x=y\n/p/sky.png\n") << "/p/sky.png";
}

void tst_Backdrop::readChartLine() {
    QFETCH(QByteArray, file);
    QFETCH(QString, line);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("settings.txt"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(file);
    f.close();
    QCOMPARE(rp::readChartLine(path), line);
    QCOMPARE(rp::readChartLine(dir.filePath(QStringLiteral("missing.txt"))), QString());
}

QTEST_GUILESS_MAIN(tst_Backdrop)
#include "tst_Backdrop.moc"
