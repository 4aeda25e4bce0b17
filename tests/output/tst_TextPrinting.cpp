#include "gui/widgets/TextPrinting.h"

#include <QPdfWriter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace rp;

class tst_TextPrinting : public QObject {
    Q_OBJECT
private slots:
    void pages_data();
    void pages();
    void pdf();
};

void tst_TextPrinting::pages_data() {
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QList<QStringList>>("expected");
    QTest::newRow("one page") << QStringList{"A", "", "B"}
                              << QList<QStringList>{{"", "", "     A", "     ", "     B"}};
    QTest::newRow("form feed at the start of a line starts a page")
        << QStringList{"A", "\fB", "C"}
        << QList<QStringList>{{"", "", "     A"}, {"", "", "     B", "     C"}};
    QTest::newRow("every form feed of a line is dropped, one new page")
        << QStringList{"x\f\fy"} << QList<QStringList>{{"", ""}, {"", "", "     xy"}};
    QTest::newRow("empty file: the two empty lines")
        << QStringList{} << QList<QStringList>{{"", ""}};
}

void tst_TextPrinting::pages() {
    QFETCH(QStringList, lines);
    QFETCH(QList<QStringList>, expected);
    QCOMPARE(printPages(lines), expected);
}

// Prints to a PDF and reads it back: page count and orientation, the two empty lines at the top,
// the five-space indent.
void tst_TextPrinting::pdf() {
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (pdftotext.isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed");
    QTemporaryDir dir;
    const QString path = dir.filePath("out.pdf");
    {
        QPdfWriter writer(path);
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        printLines({"TITLE", "  1  2", "\fSECOND", "LAST"}, writer, tablePrintFont(), true);
    }
    QProcess run;
    run.start(pdftotext, {"-bbox", path, "-"});
    QVERIFY(run.waitForFinished(30000));
    const QString html = QString::fromUtf8(run.readAllStandardOutput());
    static const QRegularExpression pageRe(
        QStringLiteral(R"re(<page width="([\d.]+)" height="([\d.]+)">)re"));
    static const QRegularExpression wordRe(QStringLiteral(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="[\d.]+" yMax="[\d.]+">([^<]*)</word>)re"));
    QList<QRegularExpressionMatch> pagesFound;
    for (auto it = pageRe.globalMatch(html); it.hasNext();)
        pagesFound.append(it.next());
    QCOMPARE(pagesFound.size(), 2);
    QVERIFY(pagesFound[0].captured(1).toDouble() > pagesFound[0].captured(2).toDouble());

    QMap<QString, QPointF> at;
    for (auto it = wordRe.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        at[m.captured(3)] = {m.captured(1).toDouble(), m.captured(2).toDouble()};
    }
    QVERIFY2(at.contains("TITLE") && at.contains("SECOND") && at.contains("1"), qPrintable(html));
    const double charWidth = 6.0; // Courier New 10 point, or its metric twin
    const double lineHeight = at["LAST"].y() - at["SECOND"].y();
    QVERIFY(lineHeight > 9 && lineHeight < 14);
    QVERIFY2(qAbs(at["TITLE"].x() - 5 * charWidth) < 1.5,
             qPrintable(QString::number(at["TITLE"].x())));
    QVERIFY(qAbs(at["1"].x() - 7 * charWidth) < 1.5);
    // Two empty lines above the first printed line of each page.
    for (const char* first : {"TITLE", "SECOND"}) {
        const double y = at[first].y();
        QVERIFY2(y > 1.8 * lineHeight && y < 3.0 * lineHeight, qPrintable(QString::number(y)));
    }
}

QTEST_MAIN(tst_TextPrinting)
#include "tst_TextPrinting.moc"
