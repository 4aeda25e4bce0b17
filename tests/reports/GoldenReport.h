#pragma once

// Golden-file checks of the table reports: each folder under golden/ holds a series file
// (input.txt), the options of the run (options.txt: "excel", "water-year", "station=ID",
// "date=MM-DD-YYYY"; one a line) and the report expected byte for byte (expected.txt).

#include "core/reports/ReportOptions.h"
#include "core/reports/TableReport.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTest>

namespace rp::test {

inline QString goldenRoot() {
    return QFINDTESTDATA("golden");
}

inline QByteArray readGoldenFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(path));
    return f.readAll();
}

// One data row per golden folder whose name starts with `prefix`.
inline void addGoldenRows(const QString& prefix) {
    QTest::addColumn<QString>("dir");
    const QDir root(goldenRoot());
    QVERIFY2(root.exists(), "golden folder not found");
    const QStringList names = root.entryList({prefix + QStringLiteral("*")}, QDir::Dirs);
    QVERIFY2(!names.isEmpty(), qPrintable(QStringLiteral("no golden cases %1*").arg(prefix)));
    for (const QString& name : names)
        QTest::newRow(qPrintable(name)) << root.filePath(name);
}

inline ReportOptions goldenOptions(const QString& dir) {
    ReportOptions options;
    options.today = QDate(2026, 1, 5);
    const QString text = QString::fromLatin1(readGoldenFile(dir + QStringLiteral("/options.txt")));
    for (const QString& raw : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QString line = raw.trimmed();
        if (line == u"excel")
            options.excel = true;
        else if (line == u"water-year")
            options.waterYear = true;
        else if (line.startsWith(u"station="))
            options.stationId = line.mid(8);
        else if (line.startsWith(u"date="))
            options.today = QDate::fromString(line.mid(5), QStringLiteral("MM-dd-yyyy"));
        else if (!line.isEmpty())
            qFatal("unknown golden option %s", qPrintable(line));
    }
    return options;
}

// Compares line by line first, so a failure names the first line that differs.
inline void compareReport(const QByteArray& actual, const QByteArray& expected) {
    const QList<QByteArray> a = actual.split('\n');
    const QList<QByteArray> e = expected.split('\n');
    for (qsizetype i = 0; i < qMin(a.size(), e.size()); ++i) {
        if (a[i] != e[i]) {
            QFAIL(qPrintable(QStringLiteral("line %1 differs\n   actual: [%2]\n expected: [%3]")
                                 .arg(i + 1)
                                 .arg(QString::fromLatin1(a[i]))
                                 .arg(QString::fromLatin1(e[i]))));
        }
    }
    QCOMPARE(a.size(), e.size());
    QCOMPARE(actual, expected);
}

// Runs the table report of a series file held in memory; `report` receives what was written, also
// when the report throws.
inline void runReport(const QByteArray& series, QByteArray& report,
                      const ReportOptions& options = {}) {
    QBuffer in;
    in.setData(series);
    in.open(QIODevice::ReadOnly);
    QBuffer out(&report);
    out.open(QIODevice::WriteOnly);
    writeTableReport(in, out, options);
}

inline QByteArray runReport(const QByteArray& series, const ReportOptions& options = {}) {
    QByteArray report;
    runReport(series, report, options);
    return report;
}

inline void checkGolden(const QString& dir) {
    QFile input(dir + QStringLiteral("/input.txt"));
    QVERIFY(input.open(QIODevice::ReadOnly));
    QBuffer report;
    report.open(QIODevice::WriteOnly);
    writeTableReport(input, report, goldenOptions(dir));
    compareReport(report.data(), readGoldenFile(dir + QStringLiteral("/expected.txt")));
}

} // namespace rp::test
