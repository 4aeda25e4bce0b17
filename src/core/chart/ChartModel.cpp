#include "core/chart/ChartModel.h"

#include "core/base/Error.h"
#include "core/base/LineExcerpt.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <string_view>

namespace rp {

namespace {

// Hour, Unit and UnitShift carry the time in an 18-character date field.
bool isSubDaily(int code) {
    return code == 3 || code == 4 || code == 7;
}

int roundHalfEven(double x) {
    return int(std::nearbyint(x));
}

struct ParsedSeries {
    QString line1;
    QString line2;
    int code = 0;
    std::vector<QByteArray> lines;
};

ParsedSeries parseSeries(QIODevice& in, const QString& name) {
    ParsedSeries parsed;
    QList<QByteArray> lines = in.readAll().split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast(); // the piece after the last line end
    for (QByteArray& line : lines)
        if (line.endsWith('\r'))
            line.chop(1);
    if (lines.size() < 2)
        throw Error(
            QStringLiteral("%1 is not a series file: it needs two header lines.").arg(name));
    parsed.line1 = QString::fromLatin1(lines[0]);
    parsed.line2 = QString::fromLatin1(lines[1]);
    if (parsed.line1.isEmpty() || !parsed.line1[0].isDigit() || parsed.line1[0] > u'7')
        throw Error(QStringLiteral("%1 is not a series file: line 1 must start with the time-step "
                                   "code 0 to 7.")
                        .arg(name));
    parsed.code = parsed.line1[0].digitValue();
    parsed.lines.assign(lines.begin() + 2, lines.end());
    return parsed;
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
    const ParsedSeries parsed = parseSeries(in, name);
    const int width = isSubDaily(parsed.code) ? 18 : 12;
    const int n = int(parsed.lines.size());

    // Read every value before touching the chart, so a bad line leaves the chart as it was.
    Column column;
    column.label = parsed.line1;
    column.heading = parsed.line2;
    column.values.assign(n, 0.0);
    column.nulls.assign(n, 1);
    std::vector<Label> labels(n);
    ValueRange range;
    for (int r = 0; r < n; ++r) {
        const QByteArray& line = parsed.lines[r];
        // A file cut off inside a date field is damaged, not a missing value.
        if (line.size() < width - 1 && !line.trimmed().isEmpty())
            throw Error(QStringLiteral("Line %1 of %2: \"%3\" is too short for its date field.")
                            .arg(r + 3)
                            .arg(name, lineExcerpt(QString::fromLatin1(line))));
        const QByteArray text = line.mid(width - 1).trimmed();
        if (!text.isEmpty()) {
            bool ok = false;
            const double v = text.toDouble(&ok);
            if (!ok || !std::isfinite(v))
                throw Error(QStringLiteral("Line %1 of %2: \"%3\" is not a number.")
                                .arg(r + 3)
                                .arg(name, lineExcerpt(QString::fromLatin1(text))));
            column.values[r] = v;
            column.nulls[r] = 0;
            range.extend(v);
        }
        Label& label = labels[r];
        label.fill('\0');
        std::memcpy(label.data(), line.constData(), std::min<qsizetype>(line.size(), 11));
        if (width == 18 && line.size() >= 17 && line.mid(12, 5) != "00:00")
            std::memcpy(label.data() + 12, line.constData() + 12, 5);
    }

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
        m_labels.clear();
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
    if (m_labels.size() < size_t(m_rowCount))
        m_labels.resize(m_rowCount, Label{});
    m_labels.resize(m_rowCount);
    std::copy(labels.begin(), labels.end(), m_labels.begin());
    // Characters 8 to 11 of the date field hold the year.
    const auto year = [](const Label& label) { return std::string_view(label.data() + 7, 4); };
    const auto dated = [](const Label& label) { return label[0] != '\0'; };
    const auto first = std::find_if(m_labels.begin(), m_labels.end(), dated);
    m_labelsSpanYears =
        first != m_labels.end() && std::any_of(first, m_labels.end(), [&](const Label& label) {
            return dated(label) && year(label) != year(*first);
        });

    title = parsed.line1;
    showLegend = false;
    if (count > 1) {
        title.clear();
        y2Axis.visible = false;
        y2Axis.title = parsed.line2;
        showLegend = true;
    } else {
        yAxis.title = parsed.line2;
        y2Axis.visible = false;
    }
    if (secondaryAxisInUse) {
        secondaryAxisInUse = false;
        yAxis.titleColor = Qt::black;
    }
    setYScale(primary);
    m_subDaily = isSubDaily(parsed.code);
    setLabelSpacing(parsed.code, n, valuesPerDay);
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
    const Label& label = m_labels[row];
    const QString date = QString::fromLatin1(label.data(), qsizetype(strnlen(label.data(), 11)));
    if (label[12] == '\0')
        return date;
    const QString time = QString::fromLatin1(label.data() + 12, 5);
    return m_labelsSpanYears ? date + QLatin1Char(' ') + time : date.left(7) + time;
}

bool ChartModel::isNull(int row, int column) const {
    return m_columns[column].nulls[row] != 0;
}

double ChartModel::value(int row, int column) const {
    return isNull(row, column) ? 0.0 : m_columns[column].values[row];
}

} // namespace rp
