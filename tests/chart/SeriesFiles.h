#pragma once

#include <QByteArray>
#include <QDate>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace rp::test {

// Series files as the hand-off writes them, for chart tests.
inline QString dailyDateField(QDate d) {
    return QLocale::c().toString(d, QStringLiteral("dd MMM yyyy ")).toUpper();
}

inline QByteArray seriesText(const QString& line1, const QString& line2,
                             const QStringList& dataLines) {
    QByteArray bytes = (line1 + "\r\n" + line2 + "\r\n").toLatin1();
    for (const QString& line : dataLines)
        bytes += (line + "\r\n").toLatin1();
    return bytes;
}

// A daily series from `first`, one line per value; nullopt writes the date field alone.
inline QByteArray dailySeries(const QString& site, const QString& parameter,
                              const std::vector<std::optional<double>>& values,
                              QDate first = QDate(1999, 3, 1)) {
    QStringList lines;
    for (size_t i = 0; i < values.size(); ++i)
        lines << dailyDateField(first.addDays(qint64(i))) +
                     (values[i] ? QString::number(*values[i], 'g', 15) : QString());
    return seriesText("2 " + site, "DAILY " + parameter, lines);
}

// An hourly series from midnight of `first`.
inline QByteArray hourlySeries(int count, QDate first = QDate(1999, 3, 5)) {
    QStringList lines;
    for (int i = 0; i < count; ++i)
        lines << dailyDateField(first.addDays(i / 24)) +
                     QStringLiteral("%1:00 ").arg(i % 24, 2, 10, QLatin1Char('0')) +
                     QString::number(i % 17);
    return seriesText("3 100 GAUGE", "HOURLY FLOW, CFS", lines);
}

} // namespace rp::test
