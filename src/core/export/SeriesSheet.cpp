// A series file as the spreadsheet export lays it out: header lines, dates and values.
#include "core/export/SeriesSheet.h"

#include "core/base/Error.h"
#include "core/base/JetDate.h"
#include "formats/xlsx/XlsxDates.h"

#include <QDate>
#include <QFile>
#include <QLocale>
#include <cmath>

namespace rp {

namespace {

bool isSubDaily(int code) {
    return code == 3 || code == 4 || code == 7;
}

// Reads digits at `at`, at most `most` of them; false when there is none.
bool readNumber(QByteArrayView text, qsizetype& at, int most, int& number) {
    number = 0;
    int count = 0;
    while (at < text.size() && count < most && text[at] >= '0' && text[at] <= '9') {
        number = number * 10 + (text[at] - '0');
        ++at;
        ++count;
    }
    return count > 0;
}

void skipSpaces(QByteArrayView text, qsizetype& at) {
    while (at < text.size() && text[at] == ' ')
        ++at;
}

int monthOf(QByteArrayView text, qsizetype at) {
    static const char names[] = "JANFEBMARAPRMAYJUNJULAUGSEPOCTNOVDEC";
    if (at + 3 > text.size())
        return 0;
    char upper[3];
    for (int i = 0; i < 3; ++i) {
        const char c = text[at + i];
        upper[i] = (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
    }
    for (int m = 0; m < 12; ++m)
        if (names[3 * m] == upper[0] && names[3 * m + 1] == upper[1] &&
            names[3 * m + 2] == upper[2])
            return m + 1;
    return 0;
}

// The lines of a file without their line ends.
std::vector<QByteArrayView> splitLines(const QByteArray& data) {
    std::vector<QByteArrayView> lines;
    qsizetype start = 0;
    while (start < data.size()) {
        qsizetype end = data.indexOf('\n', start);
        const qsizetype next = end < 0 ? data.size() : end + 1;
        if (end < 0)
            end = data.size();
        if (end > start && data[end - 1] == '\r')
            --end;
        lines.emplace_back(data.constData() + start, end - start);
        start = next;
    }
    return lines;
}

QByteArrayView trimmed(QByteArrayView text) {
    qsizetype from = 0;
    qsizetype to = text.size();
    while (from < to && (text[from] == ' ' || text[from] == '\t'))
        ++from;
    while (to > from && (text[to - 1] == ' ' || text[to - 1] == '\t'))
        --to;
    return text.sliced(from, to - from);
}

QByteArray readWhole(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("%1 cannot be read: %2").arg(path, file.errorString()));
    return file.readAll();
}

ChartAxisKind axisOf(int code) {
    switch (code) {
    case 0:
        return ChartAxisKind::Years;
    case 1:
        return ChartAxisKind::Months;
    case 3:
    case 4:
    case 7:
        return ChartAxisKind::Categories;
    default:
        return ChartAxisKind::Days;
    }
}

} // namespace

std::optional<double> seriesDateSerial(QByteArrayView field) {
    qsizetype at = 0;
    skipSpaces(field, at);
    int day = 0;
    int year = 0;
    if (!readNumber(field, at, 2, day))
        return std::nullopt;
    skipSpaces(field, at);
    const int month = monthOf(field, at);
    if (month == 0)
        return std::nullopt;
    at += 3;
    skipSpaces(field, at);
    if (!readNumber(field, at, 4, year))
        return std::nullopt;
    const QDate date(year, month, day);
    if (!date.isValid())
        return std::nullopt;
    int hour = 0;
    int minute = 0;
    int second = 0;
    skipSpaces(field, at);
    if (at < field.size()) {
        if (!readNumber(field, at, 2, hour) || at >= field.size() || field[at] != ':')
            return std::nullopt;
        ++at;
        if (!readNumber(field, at, 2, minute))
            return std::nullopt;
        if (at < field.size() && field[at] == ':') {
            ++at;
            if (!readNumber(field, at, 2, second))
                return std::nullopt;
        }
        skipSpaces(field, at);
        if (at != field.size() || hour > 23 || minute > 59 || second > 59)
            return std::nullopt;
    }
    return serialFromDateTime(naiveDateTime(date, QTime(hour, minute, second)));
}

SeriesColumns readSeriesColumns(const QString& path, int valuesPerDay, const Progress& progress) {
    const QByteArray data = readWhole(path);
    const std::vector<QByteArrayView> lines = splitLines(data);
    if (lines.size() < 2)
        throw Error(
            QStringLiteral("%1 is no series file: its two header lines are missing.").arg(path));
    SeriesColumns columns;
    columns.line1 = QString::fromLatin1(lines[0]);
    columns.line2 = QString::fromLatin1(lines[1]);
    const int code = columns.line1.isEmpty() ? -1 : columns.line1.at(0).digitValue();
    const qsizetype width = isSubDaily(code) ? 17 : 11;
    columns.timeOfDay = isSubDaily(code);
    columns.chart.title = columns.line1.mid(2);
    columns.chart.valueAxisTitle = columns.line2.trimmed();
    columns.chart.axis = axisOf(code);
    if (code == 3)
        columns.chart.labelSpacing = 24;
    else if (isSubDaily(code))
        columns.chart.labelSpacing = valuesPerDay;

    const size_t count = lines.size() - 2;
    // Before any work: the sheet could not take them all anyway.
    checkSeriesFitsSheet(static_cast<qint64>(count));
    columns.dates.reserve(count);
    columns.values.reserve(count);
    columns.kinds.reserve(count);
    ProgressSteps steps(progress, static_cast<qint64>(count), exportCancelledMessage());
    for (size_t i = 2; i < lines.size(); ++i) {
        steps.step();
        const QByteArrayView line = lines[i];
        const auto date = seriesDateSerial(line.first(std::min(width, line.size())));
        if (!date)
            throw Error(
                QStringLiteral("Line %1 of %2 begins with no date: \"%3\"")
                    .arg(i + 1)
                    .arg(path, QString::fromLatin1(line.first(std::min(width, line.size())))));
        const QByteArrayView text =
            trimmed(line.size() > width ? line.sliced(width) : QByteArrayView());
        columns.dates.push_back(*date);
        if (text.isEmpty()) {
            columns.values.push_back(0);
            columns.kinds.push_back(SeriesColumns::Empty);
            continue;
        }
        bool ok = false;
        const double number = QByteArray::fromRawData(text.data(), text.size()).toDouble(&ok);
        if (ok && std::isfinite(number)) {
            columns.values.push_back(number);
            columns.kinds.push_back(SeriesColumns::Number);
        } else {
            columns.values.push_back(0);
            columns.kinds.push_back(SeriesColumns::Text);
            columns.texts.emplace_back(static_cast<qsizetype>(columns.kinds.size() - 1),
                                       QString::fromLatin1(text));
        }
    }
    steps.report();
    return columns;
}

int valuesPerDayOfSeriesFile(const QString& path) {
    const QByteArray data = readWhole(path);
    const std::vector<QByteArrayView> lines = splitLines(data);
    if (lines.size() < 3 || lines[0].isEmpty() || (lines[0][0] != '4' && lines[0][0] != '7'))
        return 0;
    const auto first = seriesDateSerial(lines[2].first(std::min<qsizetype>(17, lines[2].size())));
    if (!first)
        return 0;
    // The whole day the first value rounds to, as the hand-off counts.
    const double day = std::floor(*first + 0.5);
    int count = 0;
    for (size_t i = 2; i < lines.size(); ++i) {
        const auto date =
            seriesDateSerial(lines[i].first(std::min<qsizetype>(17, lines[i].size())));
        if (date && std::floor(*date) == day)
            ++count;
    }
    return count;
}

} // namespace rp
