#include "core/chart/ChartModel.h"

#include "core/base/Error.h"
#include "core/base/LineExcerpt.h"
#include "core/chart/UnitDayCount.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>

namespace rp {

namespace {

// Hour, Unit and UnitShift carry the time in an 18-character date field.
bool isSubDaily(int code) {
    return code == 3 || code == 4 || code == 7;
}

int roundHalfEven(double x) {
    return int(std::nearbyint(x));
}

// The number a value field holds, as QByteArray::toDouble reads it; the common plain decimals
// are read by from_chars, which gives the same double in a fraction of the time.
double numberOf(QByteArrayView text, bool& ok) {
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec == std::errc() && end == text.data() + text.size()) {
        ok = true;
        return value;
    }
    return text.toDouble(&ok);
}

// Calls `take` with each line of `in` without its line end ("\n" or "\r\n"), reading block by
// block so that a long series never sits in memory as text.
template <class Take> void forEachLine(QIODevice& in, Take&& take) {
    constexpr qint64 blockSize = 1 << 20;
    QByteArray block(blockSize, Qt::Uninitialized);
    QByteArray carry; // the start of a line the block cut
    const auto give = [&](QByteArrayView line) {
        if (line.endsWith('\r'))
            line.chop(1);
        take(line);
    };
    for (qint64 got; (got = in.read(block.data(), blockSize)) > 0;) {
        const QByteArrayView data(block.constData(), got);
        qsizetype at = 0;
        for (qsizetype end; (end = data.indexOf('\n', at)) >= 0; at = end + 1) {
            if (carry.isEmpty()) {
                give(data.sliced(at, end - at));
            } else {
                carry.append(data.sliced(at, end - at));
                give(carry);
                carry.clear();
            }
        }
        carry.append(data.sliced(at));
    }
    if (!carry.isEmpty())
        give(carry); // a last line without a line end
}

} // namespace

void ChartModel::loadSeriesFile(const QString& path, bool addSeries, int valuesPerDay) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("Cannot read the series file %1: %2")
                        .arg(QDir::toNativeSeparators(path), file.errorString()));
    loadSeries(file, QFileInfo(path).fileName(), addSeries, valuesPerDay);
}

void ChartModel::loadSeries(QIODevice& in, const QString& name, bool addSeries, int valuesPerDay) {
    // Read every value before touching the chart, so a bad line leaves the chart as it was.
    Column column;
    RowLabels labels;
    ValueRange range;
    int code = 0;
    int width = 12;
    int n = 0; // data lines
    qint64 lineCount = 0;
    UnitDayCount dayCount;
    const auto header = [&] {
        if (column.label.isEmpty() || !column.label[0].isDigit() || column.label[0] > u'7')
            throw Error(QStringLiteral("%1 is not a series file: line 1 must start with the "
                                       "time-step code 0 to 7.")
                            .arg(name));
        code = column.label[0].digitValue();
        width = isSubDaily(code) ? 18 : 12;
        if (in.size() > 0) {
            // No data line is shorter than its date field and line end; the room not used is
            // never touched.
            const auto most = size_t(std::min<qint64>(in.size() / (width + 1), 1 << 26));
            column.values.reserve(most);
            column.nulls.reserve(most);
            labels.reserve(most);
        }
    };
    forEachLine(in, [&](QByteArrayView line) {
        if (lineCount++ < 2) {
            (lineCount == 1 ? column.label : column.heading) = QString::fromLatin1(line);
            if (lineCount == 2)
                header();
            return;
        }
        if (n == INT_MAX)
            throw Error(QStringLiteral("%1 has too many lines for a chart.").arg(name));
        // A file cut off inside a date field is damaged, not a missing value.
        if (line.size() < width - 1 && !line.trimmed().isEmpty())
            throw Error(QStringLiteral("Line %1 of %2: \"%3\" is too short for its date field.")
                            .arg(n + 3)
                            .arg(name, lineExcerpt(QString::fromLatin1(line))));
        const QByteArrayView text =
            line.size() > width - 1 ? line.sliced(width - 1).trimmed() : QByteArrayView();
        double value = 0;
        if (!text.isEmpty()) {
            bool ok = false;
            value = numberOf(text, ok);
            if (!ok || !std::isfinite(value))
                throw Error(QStringLiteral("Line %1 of %2: \"%3\" is not a number.")
                                .arg(n + 3)
                                .arg(name, lineExcerpt(QString::fromLatin1(text))));
            range.extend(value);
        }
        column.values.push_back(value);
        column.nulls.push_back(text.isEmpty() ? 1 : 0);
        labels.append(line, width == 18);
        if (valuesPerDay < 0 && (code == 4 || code == 7))
            dayCount.add(line);
        ++n;
    });
    if (lineCount < 2)
        throw Error(
            QStringLiteral("%1 is not a series file: it needs two header lines.").arg(name));
    if (valuesPerDay < 0)
        valuesPerDay = dayCount.count();
    const QString line1 = column.label;
    const QString line2 = column.heading;

    const bool add = addSeries && seriesCount() > 0;
    if (add && m_cumulative)
        totalit();
    const int count = add ? seriesCount() + 1 : 1;
    ValueRange valueRange = add ? m_valueRange : ValueRange{};
    ValueRange second = count > 2 ? m_secondRange : ValueRange{};
    if (range.largest >= range.smallest) {
        valueRange.extend(range.smallest);
        valueRange.extend(range.largest);
        if (count >= 2) {
            second.extend(range.smallest);
            second.extend(range.largest);
        }
    }

    // Scales before any change: a chart without values fails here and stays as it was.
    const AxisScale primary = computeAxisScale(valueRange.smallest, valueRange.largest);
    AxisScale secondScale;
    if (count >= 2) {
        secondScale = computeAxisScale(second.smallest, second.largest);
        // The upper bound is always the first multiple of the step strictly above the largest.
        secondScale.upper = clean(
            std::floor((second.largest + secondScale.step) / secondScale.step) * secondScale.step);
        secondScale.divisions =
            roundHalfEven((secondScale.upper - secondScale.lower) / secondScale.step);
        second.smallest = secondScale.lower;
        second.largest = secondScale.upper;
    }

    if (!add) {
        // A new chart starts from plain values whatever the previous chart showed.
        m_columns.clear();
        m_labels = {};
        m_rowCount = 0;
        m_cumulative = false;
        m_savedValues.clear();
    }
    m_valueRange = valueRange;
    m_primaryScale = primary;
    if (count == 1) {
        m_firstSeriesScale = primary;
        m_secondRange = ValueRange{};
    } else {
        m_secondRange = second;
        m_secondDivisions = secondScale.divisions;
    }

    m_columns.push_back(std::move(column));
    if (m_rowCount < n)
        m_rowCount = n;
    for (Column& c : m_columns) {
        c.values.resize(m_rowCount, 0.0);
        c.nulls.resize(m_rowCount, 1);
    }
    // A shorter series added keeps the longer chart's later labels.
    m_labels.overlay(std::move(labels));
    m_labelsSpanYears = m_labels.spansYears();

    title = line1;
    showLegend = false;
    if (count > 1) {
        title.clear();
        y2Axis.visible = false;
        y2Axis.title = line2;
        showLegend = true;
    } else {
        yAxis.title = line2;
        y2Axis.visible = false;
    }
    if (secondaryAxisInUse) {
        secondaryAxisInUse = false;
        yAxis.titleColor = Qt::black;
    }
    setYScale(primary);
    m_subDaily = isSubDaily(code);
    setLabelSpacing(code, n, valuesPerDay);
}

void ChartModel::setLabelSpacing(int code, int lines, int valuesPerDay) {
    m_labelEvery = 0;
    if (isSubDaily(code)) {
        m_labelEvery = code == 3 ? 24 : std::max(valuesPerDay, 0);
        if (lines >= 241)
            m_labelEvery = roundHalfEven(lines / 8.0);
    } else if (lines >= 51) {
        m_labelEvery = roundHalfEven(lines / 8.0);
    }
}

void ChartModel::setYScale(const AxisScale& scale) {
    yAxis.scale = scale;
    yAxis.automatic = false;
}

AxisScale ChartModel::secondAxisScale() const {
    AxisScale s;
    s.lower = m_secondRange.smallest;
    s.upper = m_secondRange.largest;
    s.divisions = m_secondDivisions;
    s.step = m_secondDivisions > 0 ? (s.upper - s.lower) / m_secondDivisions : 1;
    return s;
}

void ChartModel::totalit() {
    if (m_cumulative) {
        for (size_t c = 0; c < m_columns.size() && c < m_savedValues.size(); ++c) {
            Column& column = m_columns[c];
            const std::vector<double>& saved = m_savedValues[c];
            for (size_t r = 0; r < column.values.size() && r < saved.size(); ++r)
                if (!column.nulls[r])
                    column.values[r] = saved[r];
        }
        m_savedValues.clear();
        m_secondRange = m_savedSecondRange;
        setYScale(m_primaryScale);
        m_cumulative = false;
        return;
    }
    double largestTotal = 0;
    m_savedValues.assign(m_columns.size(), {});
    for (size_t c = 0; c < m_columns.size(); ++c) {
        Column& column = m_columns[c];
        m_savedValues[c] = column.values;
        double sum = 0;
        for (size_t r = 0; r < column.values.size(); ++r) {
            if (column.nulls[r])
                continue;
            sum += column.values[r];
            column.values[r] = sum;
        }
        largestTotal = std::max(largestTotal, sum);
    }
    m_savedSecondRange = m_secondRange;
    m_secondRange.smallest = m_primaryScale.lower;
    m_secondRange.largest = largestTotal;
    double largest = largestTotal;
    setYScale(computeAxisScale(m_primaryScale.lower, largest));
    m_cumulative = true;
}

void ChartModel::clear() {
    *this = ChartModel{};
}

QString ChartModel::rowLabel(int row) const {
    const QString date = m_labels.date(row);
    const QString time = m_labels.time(row);
    if (time.isEmpty())
        return date;
    return m_labelsSpanYears ? date + QLatin1Char(' ') + time : date.left(7) + time;
}

bool ChartModel::isNull(int row, int column) const {
    return m_columns[column].nulls[row] != 0;
}

double ChartModel::value(int row, int column) const {
    return isNull(row, column) ? 0.0 : m_columns[column].values[row];
}

} // namespace rp
