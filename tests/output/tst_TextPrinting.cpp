#include "../support/PdfCheck.h"
#include "core/base/Error.h"
#include "gui/widgets/PdfFallback.h"
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
    void noPrinterSavesPdf_data();
    void noPrinterSavesPdf();
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

void tst_TextPrinting::noPrinterSavesPdf_data() {
    QTest::addColumn<QString>("answer");  // the file dialog's answer, DIR standing for the folder
    QTest::addColumn<QString>("written"); // the PDF that must be there afterwards; empty: none
    QTest::addColumn<bool>("fails");
    QTest::newRow("named with the suffix") << "DIR/table.pdf"
                                           << "DIR/table.pdf" << false;
    QTest::newRow("the suffix added") << "DIR/table"
                                      << "DIR/table.pdf" << false;
    QTest::newRow("cancelled") << ""
                               << "" << false;
    QTest::newRow("a folder that is not there") << "DIR/missing/table.pdf"
                                                << "" << true;
}

// With no printer the report goes to a PDF file chosen in the file dialog, whole or not at all.
void tst_TextPrinting::noPrinterSavesPdf() {
    QFETCH(QString, answer);
    QFETCH(QString, written);
    QFETCH(bool, fails);
    QTemporaryDir dir;
    answer.replace("DIR", dir.path());
    written.replace("DIR", dir.path());
    const QString report = dir.filePath("lasttable.txt");
    {
        QFile file(report);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("DAILY MEAN FLOW\r\n  1  12.5\r\n");
    }
    QStringList asked;
    const AskNewFile ask = [&](const QString& title, const QString& suggested) {
        asked << title << QFileInfo(suggested).fileName();
        return answer;
    };
    PrintOutcome outcome;
    try {
        outcome = printTextFile(report, true, false, ask);
        QVERIFY(!fails);
    } catch (const Error&) {
        QVERIFY(fails);
    }
    QCOMPARE(asked, QStringList({noPrinterTitle(), "lasttable.pdf"}));
    QCOMPARE(outcome.cancelled, answer.isEmpty());
    QCOMPARE(outcome.pdfPath, fails ? QString() : written);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
             written.isEmpty() ? QStringList{"lasttable.txt"}
                               : QStringList({"lasttable.txt", QFileInfo(written).fileName()}));
    if (written.isEmpty())
        return;
    const QString problem = rp::test::pdfProblem(written);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (pdftotext.isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed");
    QProcess run;
    run.start(pdftotext, {"-layout", written, "-"});
    QVERIFY(run.waitForFinished(30000));
    QCOMPARE(run.exitCode(), 0);
    const QString text = QString::fromUtf8(run.readAllStandardOutput());
    QVERIFY2(text.contains("DAILY MEAN FLOW") && text.contains("12.5"), qPrintable(text));
}

QTEST_MAIN(tst_TextPrinting)
#include "tst_TextPrinting.moc"
